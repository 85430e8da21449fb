#pragma once
// One running program per user.
//
// The first start takes a lock file in the runtime folder and listens on a local socket
// beside it; a later start finds the lock taken, hands its folder argument to the running
// program through the socket and ends. The lock is taken before anything else is read, so
// that two quick starts can never both write the stores. A lock left by a program that died
// is recognised as stale and taken over.

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

class TInstanceUnique : public QObject
{
    Q_OBJECT
public:
    enum class TResultat {
        Premiere,   // this process is the running program; it listens for later starts
        Transmis,   // another one runs and has received the folder: end now
        Injoignable // another one holds the lock but did not answer: end now all the same
    };

    // cDossierExecution: the runtime folder ($XDG_RUNTIME_DIR, or a private folder of the
    // user when the desktop gives none).
    explicit TInstanceUnique(const QString &cDossierExecution, QObject *Parent = nullptr);
    ~TInstanceUnique() override;

    // The desktop's runtime folder for this program.
    static QString DossierExecutionParDefaut();

    // Takes the lock or hands cDossier (may be empty: the running window only comes forward)
    // to the program that holds it. nDelaiMs bounds the wait for the running program's answer.
    TResultat Demarre(const QString &cDossier, int nDelaiMs = 5000);

    QString CheminVerrou() const;
    QString NomSocket() const;

signals:
    // A later start asked the running program to come forward and open cDossier (empty when
    // it gave no folder).
    void DossierRecu(const QString &cDossier);

private:
    void NouvelleConnexion();
    bool Transmet(const QString &cDossier, int nDelaiMs);

    QString m_cDossierExecution;
    std::unique_ptr<QLockFile> m_Verrou;
    QLocalServer *m_Serveur = nullptr;
};
