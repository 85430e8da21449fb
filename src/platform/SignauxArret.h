#pragma once
// SIGTERM, SIGINT and SIGHUP (a desktop logging out, Ctrl+C in a terminal, the terminal
// closed) turned into a Qt signal, so that the program closes as a normal close does, with its
// data saved. The handler only writes a byte into a pipe; the event loop reads it.

#include <QObject>

class QSocketNotifier;

class TSignauxArret : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers; only one object may exist at a time.
    explicit TSignauxArret(QObject *Parent = nullptr);
    ~TSignauxArret() override;

    bool Installe() const { return m_Notificateur != nullptr; }

signals:
    void ArretDemande(int nSignal);

private:
    void Lit();

    QSocketNotifier *m_Notificateur = nullptr;
};
