#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QString TexteErreur(const char *cEtape, int nErr)
{
    return QStringLiteral("%1 : %2").arg(QString::fromLatin1(cEtape), QString::fromLocal8Bit(std::strerror(nErr)));
}

bool EcritTout(int fd, const char *p, qint64 n)
{
    while (n > 0) {
        ssize_t k = ::write(fd, p, static_cast<size_t>(qMin<qint64>(n, 1 << 30)));
        if (k < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += k;
        n -= k;
    }
    return true;
}
}

bool EcritFichierAtomique(const QString &cFichier, const QByteArray &Donnees, QString *cErreur)
{
    auto Echec = [&](const char *cEtape, int nErr) {
        if (cErreur)
            *cErreur = TexteErreur(cEtape, nErr);
        return false;
    };
    if (cFichier.isEmpty())
        return Echec("nom de fichier vide", EINVAL);

    const QFileInfo Info(cFichier);
    const QByteArray cCible = QFile::encodeName(Info.absoluteFilePath());
    const QByteArray cDossier = QFile::encodeName(Info.absolutePath());

    // A symbolic link is written through, so that a store kept elsewhere stays where it is.
    QByteArray cReelle = cCible;
    {
        char cTampon[PATH_MAX];
        if (::realpath(cCible.constData(), cTampon))
            cReelle = QByteArray(cTampon);
    }
    const int nPos = cReelle.lastIndexOf('/');
    const QByteArray cDossierReel = nPos > 0 ? cReelle.left(nPos) : (nPos == 0 ? QByteArray("/") : cDossier);

    mode_t nMode = 0644;
    struct stat St;
    bool lExiste = ::stat(cReelle.constData(), &St) == 0;
    if (lExiste)
        nMode = St.st_mode & 07777;

    // A short hidden name, so that a target whose name is near the length limit still saves.
    const QByteArray cBase = cReelle.mid(nPos + 1).left(64);
    QByteArray cTemp = cDossierReel + (cDossierReel.endsWith('/') ? "" : "/") + "." + cBase + ".tmp-XXXXXX";
    int fd = ::mkstemp(cTemp.data());
    if (fd < 0)
        return Echec("création du fichier temporaire", errno);

    auto Abandon = [&](const char *cEtape) {
        const int nErr = errno;
        ::close(fd);
        ::unlink(cTemp.constData());
        return Echec(cEtape, nErr);
    };
    if (!lExiste) {
        // mkstemp makes the file 0600; a new file gets the usual mode filtered by the umask.
        const mode_t nMasque = ::umask(0);
        ::umask(nMasque);
        nMode = 0666 & ~nMasque;
    }
    if (::fchmod(fd, nMode) != 0)
        return Abandon("droits du fichier temporaire");
    if (lExiste && (St.st_uid != ::geteuid() || St.st_gid != ::getegid())) {
        // Keeping the owner is only possible for a privileged process; failing to is harmless.
        [[maybe_unused]] int r = ::fchown(fd, St.st_uid, St.st_gid);
    }
    if (!EcritTout(fd, Donnees.constData(), Donnees.size()))
        return Abandon("écriture");
    if (::fsync(fd) != 0)
        return Abandon("synchronisation");
    if (::close(fd) != 0) {
        const int nErr = errno;
        ::unlink(cTemp.constData());
        return Echec("fermeture", nErr);
    }
    if (::rename(cTemp.constData(), cReelle.constData()) != 0) {
        const int nErr = errno;
        ::unlink(cTemp.constData());
        return Echec("remplacement", nErr);
    }
    const int fdDossier = ::open(cDossierReel.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDossier >= 0) {
        // The data is already in place; a folder that refuses fsync costs only crash safety.
        ::fsync(fdDossier);
        ::close(fdDossier);
    }
    return true;
}
