#include "publishing/FichiersAlbumWEB.h"

#include "imaging/FileKinds.h"
#include "platform/AtomicFile.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

namespace
{
bool ExisteSansSuivre(const QString &cChemin)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(cChemin).constData(), &st) == 0;
}

QString Guillemets(const QString &cTexte)
{
    return QStringLiteral("« ") + cTexte + QStringLiteral(" »");
}

// Writes all of n bytes, going on after a short write or a signal.
bool EcritTout(int nFd, const char *p, qint64 n)
{
    while (n > 0) {
        const ssize_t nEcrits = ::write(nFd, p, static_cast<size_t>(n));
        if (nEcrits < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += nEcrits;
        n -= nEcrits;
    }
    return true;
}
} // namespace

QString NomFichierUnique(const QString &cFichier, const std::function<bool(const QString &cNom)> &Pris)
{
    QString cNom = cFichier.mid(cFichier.lastIndexOf(QLatin1Char('/')) + 1);
    cNom.replace(QLatin1Char(' '), QLatin1Char('_'));
    const qsizetype nPoint = cNom.lastIndexOf(QLatin1Char('.'));
    QString cBase = nPoint >= 0 ? cNom.left(nPoint) : cNom;
    QString cExt = nPoint >= 0 ? cNom.mid(nPoint) : QString();
    if (EstAutreImage(cNom)) {
        cExt = QStringLiteral(".jpg");
        cNom = cBase + cExt;
    }
    if (!Pris(cNom))
        return cNom;
    for (int n = 2;; ++n) {
        const QString cEssai = QStringLiteral("%1(%2)%3").arg(cBase).arg(n).arg(cExt);
        if (!Pris(cEssai))
            return cEssai;
    }
}

QString NomFichierUnique(const QString &cDossier, const QString &cFichier)
{
    QString cDos = cDossier;
    if (!cDos.isEmpty() && !cDos.endsWith(QLatin1Char('/')))
        cDos += QLatin1Char('/');
    return NomFichierUnique(cFichier, [&](const QString &cNom) { return ExisteSansSuivre(cDos + cNom); });
}

QString CouleurHTML(quint32 nCouleur)
{
    const auto Hex = [](quint32 n) { return QStringLiteral("%1").arg(n & 0xFF, 2, 16, QLatin1Char('0')); };
    return Hex(nCouleur) + Hex(nCouleur >> 8) + Hex(nCouleur >> 16);
}

QString ErreurCheminNoeud(const QString &cChemin)
{
    if (cChemin.isEmpty())
        return {};
    for (const QString &cPartie : cChemin.split(QLatin1Char('/'))) {
        if (cPartie.isEmpty() || cPartie == QLatin1String(".") || cPartie == QLatin1String("..")
            || cPartie.contains(QChar(0)))
            return QStringLiteral("Nom de dossier impossible dans un album WEB : %1.").arg(Guillemets(cChemin));
    }
    return {};
}

TDossierAlbumWEB::TDossierAlbumWEB(const QString &cDossierAlbum) : cDossier(cDossierAlbum)
{
    if (!cDossier.endsWith(QLatin1Char('/')))
        cDossier += QLatin1Char('/');
    const QByteArray cNatif = QFile::encodeName(cDossier);
    const int nOuvert = ::open(cNatif.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (nOuvert < 0) {
        const int nErr = errno;
        cErreur = nErr == ENOENT
                      ? QStringLiteral("Le dossier de l'album WEB %1 n'existe pas.").arg(Guillemets(cDossier))
                      : QStringLiteral("Impossible d'ouvrir le dossier de l'album WEB %1 : %2.")
                            .arg(Guillemets(cDossier), TexteErreurSysteme(nErr));
        return;
    }
    if (::faccessat(nOuvert, ".", W_OK | X_OK, AT_EACCESS) != 0) {
        cErreur = QStringLiteral("Impossible d'écrire dans le dossier de l'album WEB %1 : %2.")
                      .arg(Guillemets(cDossier), TexteErreurSysteme(errno));
        ::close(nOuvert);
        return;
    }
    // A second descriptor for the listing, since closedir closes the one it is given.
    const int nListe = ::dup(nOuvert);
    DIR *pDir = nListe >= 0 ? ::fdopendir(nListe) : nullptr;
    if (!pDir) {
        if (nListe >= 0)
            ::close(nListe);
        cErreur = QStringLiteral("Impossible de lire le dossier de l'album WEB %1 : %2.")
                      .arg(Guillemets(cDossier), TexteErreurSysteme(errno));
        ::close(nOuvert);
        return;
    }
    bool lVide = true;
    while (const dirent *e = ::readdir(pDir)) {
        if (::strcmp(e->d_name, ".") != 0 && ::strcmp(e->d_name, "..") != 0) {
            lVide = false;
            break;
        }
    }
    ::closedir(pDir);
    if (!lVide) {
        cErreur = QStringLiteral("Le dossier de l'album WEB %1 n'est pas vide.").arg(Guillemets(cDossier));
        ::close(nOuvert);
        return;
    }
    nFd = nOuvert;
}

TDossierAlbumWEB::~TDossierAlbumWEB()
{
    if (nFd >= 0)
        ::close(nFd);
}

bool TDossierAlbumWEB::Echec(const QString &cRelatif, int nErr)
{
    cErreur =
        QStringLiteral("Impossible d'écrire %1 : %2").arg(Guillemets(cDossier + cRelatif), TexteErreurSysteme(nErr));
    return false;
}

int TDossierAlbumWEB::OuvreParent(const QString &cRelatif, QString &cNom, bool lCreer)
{
    if (nFd < 0) {
        Echec(cRelatif, EBADF);
        return -1;
    }
    if (!cRelatif.isEmpty() && !ErreurCheminNoeud(cRelatif).isEmpty()) {
        cErreur = ErreurCheminNoeud(cRelatif);
        return -1;
    }
    QStringList Parties = cRelatif.split(QLatin1Char('/'));
    cNom = Parties.takeLast();
    int nCourant = nFd;
    for (const QString &cPartie : Parties) {
        const QByteArray cNatif = QFile::encodeName(cPartie);
        int nSuivant = ::openat(nCourant, cNatif.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (nSuivant < 0 && errno == ENOENT && lCreer) {
            if (::mkdirat(nCourant, cNatif.constData(), 0755) != 0 && errno != EEXIST) {
                const int nErr = errno;
                if (nCourant != nFd)
                    ::close(nCourant);
                Echec(cRelatif, nErr);
                return -1;
            }
            nSuivant = ::openat(nCourant, cNatif.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        const int nErr = errno;
        if (nCourant != nFd)
            ::close(nCourant);
        if (nSuivant < 0) {
            // O_NOFOLLOW on a link gives ELOOP (or ENOTDIR with O_DIRECTORY).
            Echec(cRelatif, nErr);
            return -1;
        }
        nCourant = nSuivant;
    }
    return nCourant;
}

bool TDossierAlbumWEB::CreeDossiers(const QString &cRelatif)
{
    if (cRelatif.isEmpty())
        return nFd >= 0 || Echec(cRelatif, EBADF);
    QString cNom;
    const int nParent = OuvreParent(cRelatif, cNom, true);
    if (nParent < 0)
        return false;
    const QByteArray cNatif = QFile::encodeName(cNom);
    bool lOk = ::mkdirat(nParent, cNatif.constData(), 0755) == 0;
    int nErr = errno;
    if (!lOk && nErr == EEXIST) {
        // Only a real folder will do, not a link to one nor a file.
        struct stat st
        {
        };
        lOk = ::fstatat(nParent, cNatif.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
        nErr = lOk ? 0 : ENOTDIR;
    }
    if (nParent != nFd)
        ::close(nParent);
    return lOk || Echec(cRelatif, nErr);
}

int TDossierAlbumWEB::OuvreEnEcriture(const QString &cRelatif)
{
    QString cNom;
    const int nParent = OuvreParent(cRelatif, cNom, false);
    if (nParent < 0)
        return -1;
    const int nFichier = ::openat(nParent, QFile::encodeName(cNom).constData(),
                                  O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    const int nErr = errno;
    if (nParent != nFd)
        ::close(nParent);
    if (nFichier < 0) {
        Echec(cRelatif, nErr);
        return -1;
    }
    // A FIFO or device planted under the name would not be truncated; only a regular file is.
    struct stat st
    {
    };
    if (::fstat(nFichier, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(nFichier);
        Echec(cRelatif, EINVAL);
        return -1;
    }
    return nFichier;
}

bool TDossierAlbumWEB::EcritFichier(const QString &cRelatif, const QByteArray &Donnees, std::optional<qint64> nDateNs)
{
    const int nFichier = OuvreEnEcriture(cRelatif);
    if (nFichier < 0)
        return false;
    bool lOk = EcritTout(nFichier, Donnees.constData(), Donnees.size());
    int nErr = errno;
    if (lOk && nDateNs) {
        const timespec Dates[2] = {
            {0, UTIME_OMIT}, {static_cast<time_t>(*nDateNs / 1000000000), static_cast<long>(*nDateNs % 1000000000)}};
        lOk = ::futimens(nFichier, Dates) == 0;
        nErr = errno;
    }
    if (::close(nFichier) != 0 && lOk) {
        lOk = false;
        nErr = errno;
    }
    return lOk || Echec(cRelatif, nErr);
}

bool TDossierAlbumWEB::CopieFichier(const QString &cSource, const QString &cRelatif)
{
    const int nSource = ::open(QFile::encodeName(cSource).constData(), O_RDONLY | O_CLOEXEC);
    if (nSource < 0) {
        cErreur = QStringLiteral("Impossible de lire %1 : %2").arg(Guillemets(cSource), TexteErreurSysteme(errno));
        return false;
    }
    struct stat stSource
    {
    };
    if (::fstat(nSource, &stSource) != 0 || !S_ISREG(stSource.st_mode)) {
        cErreur = QStringLiteral("Impossible de lire %1 : %2").arg(Guillemets(cSource), TexteErreurSysteme(EINVAL));
        ::close(nSource);
        return false;
    }
    const int nCible = OuvreEnEcriture(cRelatif);
    if (nCible < 0) {
        ::close(nSource);
        return false;
    }
    bool lOk = true;
    int nErr = 0;
    char Tampon[1 << 16];
    for (;;) {
        const ssize_t nLus = ::read(nSource, Tampon, sizeof Tampon);
        if (nLus < 0 && errno == EINTR)
            continue;
        if (nLus <= 0) {
            lOk = nLus == 0;
            nErr = errno;
            break;
        }
        if (!EcritTout(nCible, Tampon, nLus)) {
            lOk = false;
            nErr = errno;
            break;
        }
    }
    ::close(nSource);
    if (lOk) {
        const timespec Dates[2] = {{0, UTIME_OMIT}, stSource.st_mtim};
        lOk = ::futimens(nCible, Dates) == 0;
        nErr = errno;
    }
    if (::close(nCible) != 0 && lOk) {
        lOk = false;
        nErr = errno;
    }
    return lOk || Echec(cRelatif, nErr);
}
