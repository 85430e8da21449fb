#pragma once
// Until hints are drawn by a window of their own, a widget's marked-up hint is handed to Qt as
// rich text when it is about to be shown, so that "<SG>…</SG/>" shows bold instead of raw.
// Hints without tags keep Qt's own handling.

#include <QObject>

class QCoreApplication;

class TBullesBalisees : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;
};

// Installs the hint handling on the application once; later calls do nothing.
void InstalleBullesBalisees(QCoreApplication *Application);
