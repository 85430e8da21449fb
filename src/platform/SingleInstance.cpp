#include "platform/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>

namespace
{

// The folder travels as one UTF-8 line; the running program answers "OK" once it has it.
constexpr char cFinMessage = '\n';
const QByteArray cAccuse = QByteArrayLiteral("OK\n");
// A path is far shorter; anything longer is not one of ours.
constexpr qint64 nTailleMaxMessage = 64 * 1024;

} // namespace

TInstanceUnique::TInstanceUnique(const QString &cDossierExecution, QObject *Parent)
    : QObject(Parent), m_cDossierExecution(cDossierExecution)
{}

TInstanceUnique::~TInstanceUnique()
{
    if (m_Serveur)
        m_Serveur->close();
    if (m_Verrou)
        m_Verrou->unlock();
}

QString TInstanceUnique::DossierExecutionParDefaut()
{
    QString cDossier = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (cDossier.isEmpty())
        cDossier = QDir::tempPath() + QStringLiteral("/vimbrel-") + qEnvironmentVariable("USER");
    return cDossier;
}

QString TInstanceUnique::CheminVerrou() const
{
    return m_cDossierExecution + QStringLiteral("/vimbrel.lock");
}

QString TInstanceUnique::NomSocket() const
{
    return m_cDossierExecution + QStringLiteral("/vimbrel.socket");
}

TInstanceUnique::TResultat TInstanceUnique::Demarre(const QString &cDossier, int nDelaiMs)
{
    QDir().mkpath(m_cDossierExecution);
    QFile::setPermissions(m_cDossierExecution,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_Verrou = std::make_unique<QLockFile>(CheminVerrou());
    // Never stale by age: a long session keeps its lock; a dead holder is detected by its pid.
    m_Verrou->setStaleLockTime(0);
    if (m_Verrou->tryLock(0)) {
        // Holding the lock, any socket file left is a dead program's.
        QLocalServer::removeServer(NomSocket());
        m_Serveur = new QLocalServer(this);
        m_Serveur->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_Serveur, &QLocalServer::newConnection, this, &TInstanceUnique::NouvelleConnexion);
        m_Serveur->listen(NomSocket());
        return TResultat::Premiere;
    }
    m_Verrou.reset();
    return Transmet(cDossier, nDelaiMs) ? TResultat::Transmis : TResultat::Injoignable;
}

bool TInstanceUnique::Transmet(const QString &cDossier, int nDelaiMs)
{
    const QDeadlineTimer Limite(nDelaiMs);
    QByteArray Message = cDossier.toUtf8();
    Message.replace(cFinMessage, ' ');
    Message += cFinMessage;
    // The running program may hold the lock a moment before it listens: try again until the
    // deadline. The answer is awaited in an event loop so that a listener in this same thread
    // (the tests) can serve it.
    while (!Limite.hasExpired()) {
        QLocalSocket Socket;
        Socket.connectToServer(NomSocket());
        if (Socket.waitForConnected(int(std::min<qint64>(Limite.remainingTime(), 1000)))) {
            Socket.write(Message);
            Socket.flush();
            QByteArray Reponse;
            QEventLoop Boucle;
            QTimer Minuterie;
            Minuterie.setSingleShot(true);
            connect(&Minuterie, &QTimer::timeout, &Boucle, &QEventLoop::quit);
            connect(&Socket, &QLocalSocket::readyRead, &Boucle, [&] {
                Reponse += Socket.readAll();
                if (Reponse.contains(cFinMessage))
                    Boucle.quit();
            });
            connect(&Socket, &QLocalSocket::disconnected, &Boucle, &QEventLoop::quit);
            Minuterie.start(int(std::max<qint64>(Limite.remainingTime(), 1)));
            if (!Reponse.contains(cFinMessage))
                Boucle.exec();
            Reponse += Socket.readAll();
            if (Reponse.startsWith(cAccuse))
                return true;
        }
        QEventLoop Attente;
        QTimer::singleShot(50, &Attente, &QEventLoop::quit);
        Attente.exec();
    }
    return false;
}

void TInstanceUnique::NouvelleConnexion()
{
    while (QLocalSocket *Socket = m_Serveur->nextPendingConnection()) {
        connect(Socket, &QLocalSocket::disconnected, Socket, &QObject::deleteLater);
        auto Tampon = std::make_shared<QByteArray>();
        const auto Lire = [this, Socket, Tampon] {
            *Tampon += Socket->readAll();
            if (Tampon->size() > nTailleMaxMessage) {
                Socket->abort();
                return;
            }
            const qsizetype nFin = Tampon->indexOf(cFinMessage);
            if (nFin < 0)
                return;
            const QString cDossier = QString::fromUtf8(Tampon->left(nFin));
            Tampon->clear();
            Socket->write(cAccuse);
            Socket->flush();
            Socket->disconnectFromServer();
            emit DossierRecu(cDossier);
        };
        connect(Socket, &QLocalSocket::readyRead, this, Lire);
        if (Socket->bytesAvailable() > 0)
            Lire();
    }
}
