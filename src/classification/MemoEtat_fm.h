#pragma once
// The state memo's window side: fills the main window's pcEtat with its tabs (captions in
// their contents' colours) and puts the read-only memo mmEtat under them. It follows the
// current image, its classification and picture, and the tab chosen.

#include <QObject>

class QPlainTextEdit;
class QTabWidget;
class TClassement;
class TContexte;
class TfmMainKX;

class TMemoEtatKX : public QObject
{
    Q_OBJECT
public:
    TMemoEtatKX(TfmMainKX &Main, TContexte &Contexte, const TClassement &Classement);

    // Rebuilds the tabs when the description setting changed (the first tab then active),
    // then fills the memo for the current image.
    void RemplitMemoEtat();
    QPlainTextEdit *mmEtat = nullptr;

private:
    void ConstruitOnglets();

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    const TClassement &m_Classement;
    QTabWidget *pcEtat = nullptr;
    bool m_lOngletsDescription = false;
    bool m_lOngletsFaits = false;
};

TMemoEtatKX *InstalleMemoEtat(TfmMainKX &Main, TContexte &Contexte, const TClassement &Classement);
