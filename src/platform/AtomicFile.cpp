#include "platform/AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The temporary's name: "." + the target's name (at most this many bytes, so that a target
// whose name is near the length limit still saves) + ".tmp-" + random letters.
constexpr qsizetype nLongBaseTemp = 64;
constexpr qsizetype nLongAleaTemp = 6;
constexpr char cAlphabetTemp[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

QByteArray PrefixeTemp(const QByteArray &cNomCible)
{
    return '.' + cNomCible.left(nLongBaseTemp) + ".tmp-";
}

QString TexteErreur(const QString &cEtape, int nErr)
{
    return QStringLiteral("%1 : %2").arg(cEtape, TexteErreurSysteme(nErr));
}

TEtatFichier VersEtat(const struct stat &St)
{
    TEtatFichier E;
    E.lExiste = true;
    E.nPeripherique = quint64(St.st_dev);
    E.nInode = quint64(St.st_ino);
    E.nTaille = qint64(St.st_size);
    E.nModifNs = qint64(St.st_mtim.tv_sec) * 1000000000 + St.st_mtim.tv_nsec;
    return E;
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

// The real path of a target, so that a store kept elsewhere through a symbolic link is
// written, and cleaned, where it really is; the path itself when it does not resolve.
QByteArray CheminReel(const QString &cFichier)
{
    const QByteArray cCible = QFile::encodeName(QFileInfo(cFichier).absoluteFilePath());
    char cTampon[PATH_MAX];
    return ::realpath(cCible.constData(), cTampon) ? QByteArray(cTampon) : cCible;
}

QByteArray DossierDe(const QByteArray &cChemin)
{
    const qsizetype nPos = cChemin.lastIndexOf('/');
    return nPos > 0 ? cChemin.left(nPos) : QByteArray("/");
}

TAppelsLecture &AppelsLecture()
{
    static TAppelsLecture Appels;
    return Appels;
}
} // namespace

QString TexteErreurSysteme(int nErr)
{
    switch (nErr) {
    case ENOENT: return QStringLiteral("fichier ou dossier absent");
    case EACCES:
    case EPERM: return QStringLiteral("accès refusé");
    case EIO: return QStringLiteral("erreur d'entrée/sortie");
    case ENOSPC: return QStringLiteral("plus de place sur le disque");
    case EDQUOT: return QStringLiteral("quota de disque dépassé");
    case EROFS: return QStringLiteral("support en lecture seule");
    case EMFILE:
    case ENFILE: return QStringLiteral("trop de fichiers ouverts");
    case EISDIR: return QStringLiteral("c'est un dossier");
    case ENOTDIR: return QStringLiteral("un élément du chemin n'est pas un dossier");
    case ENAMETOOLONG: return QStringLiteral("nom trop long");
    case EFBIG: return QStringLiteral("fichier trop gros");
    case ELOOP: return QStringLiteral("trop de liens symboliques");
    case ENOMEM: return QStringLiteral("mémoire insuffisante");
    case EINVAL: return QStringLiteral("argument invalide");
    case EEXIST: return QStringLiteral("le fichier existe déjà");
    case EBUSY: return QStringLiteral("ressource occupée");
    case ENODEV:
    case ENXIO: return QStringLiteral("périphérique absent");
    case ESTALE: return QStringLiteral("partage réseau devenu inaccessible");
    default: return QStringLiteral("erreur système %1 (%2)").arg(nErr).arg(QString::fromLocal8Bit(std::strerror(nErr)));
    }
}

TEtatFichier EtatFichier(const QString &cFichier)
{
    struct stat St;
    if (cFichier.isEmpty() || ::stat(QFile::encodeName(cFichier).constData(), &St) != 0)
        return {};
    return VersEtat(St);
}

bool EcritFichierAtomique(const QString &cFichier, const QByteArray &Donnees, QString *cErreur, TEtatFichier *pEtat)
{
    auto Echec = [&](const QString &cEtape, int nErr) {
        if (cErreur)
            *cErreur = TexteErreur(cEtape, nErr);
        return false;
    };
    if (cFichier.isEmpty())
        return Echec(QStringLiteral("nom de fichier vide"), EINVAL);

    const QByteArray cReelle = CheminReel(cFichier);
    const QByteArray cDossierReel = DossierDe(cReelle);

    struct stat St;
    const bool lExiste = ::stat(cReelle.constData(), &St) == 0;

    // The kernel gives a new file 0666 less the umask; the umask is never touched, since
    // other threads create files meanwhile.
    const QByteArray cPrefixe =
        cDossierReel + (cDossierReel.endsWith('/') ? "" : "/") + PrefixeTemp(cReelle.mid(cReelle.lastIndexOf('/') + 1));
    QByteArray cTemp;
    int fd = -1;
    for (int nEssai = 0; fd < 0 && nEssai < 100; ++nEssai) {
        cTemp = cPrefixe;
        for (qsizetype i = 0; i < nLongAleaTemp; ++i)
            cTemp += cAlphabetTemp[QRandomGenerator::global()->bounded(int(sizeof(cAlphabetTemp) - 1))];
        fd = ::open(cTemp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Echec(QStringLiteral("création du fichier temporaire"), errno);

    auto Abandon = [&](const QString &cEtape) {
        const int nErr = errno;
        ::close(fd);
        ::unlink(cTemp.constData());
        return Echec(cEtape, nErr);
    };
    if (lExiste) {
        if (::fchmod(fd, St.st_mode & 07777) != 0)
            return Abandon(QStringLiteral("droits du fichier temporaire"));
        if (St.st_uid != ::geteuid() || St.st_gid != ::getegid()) {
            // Keeping the owner is only possible for a privileged process; failing to is harmless.
            [[maybe_unused]] int r = ::fchown(fd, St.st_uid, St.st_gid);
        }
    }
    if (!EcritTout(fd, Donnees.constData(), Donnees.size()))
        return Abandon(QStringLiteral("écriture"));
    if (::fsync(fd) != 0)
        return Abandon(QStringLiteral("synchronisation"));
    struct stat StEcrit;
    if (pEtat && ::fstat(fd, &StEcrit) != 0)
        return Abandon(QStringLiteral("état du fichier écrit"));
    if (::close(fd) != 0) {
        const int nErr = errno;
        ::unlink(cTemp.constData());
        return Echec(QStringLiteral("fermeture"), nErr);
    }
    if (::rename(cTemp.constData(), cReelle.constData()) != 0) {
        const int nErr = errno;
        ::unlink(cTemp.constData());
        return Echec(QStringLiteral("remplacement"), nErr);
    }
    if (pEtat)
        *pEtat = VersEtat(StEcrit);
    const int fdDossier = ::open(cDossierReel.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDossier >= 0) {
        // The data is already in place; a folder that refuses fsync costs only crash safety.
        ::fsync(fdDossier);
        ::close(fdDossier);
    }
    return true;
}

QString ConserveCopieDatee(const QString &cFichier, const QDateTime &Date, QString *cErreur)
{
    const QByteArray cReelle = CheminReel(cFichier);
    const QByteArray cBase = cReelle + '.' + Date.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")).toLatin1();
    int nErr = 0;
    for (int n = 1; n <= 100; ++n) {
        const QByteArray cCopie = n == 1 ? cBase : cBase + '-' + QByteArray::number(n);
        if (::link(cReelle.constData(), cCopie.constData()) == 0)
            return QFile::decodeName(cCopie);
        nErr = errno;
        if (nErr == EEXIST)
            continue;
        if (nErr != EPERM && nErr != EXDEV && nErr != EMLINK && nErr != EOPNOTSUPP && nErr != ENOSYS)
            break;
        // No hard links here: the bytes are copied instead.
        if (::access(cCopie.constData(), F_OK) == 0)
            continue;
        const TLectureFichier L = LitFichierEntier(QFile::decodeName(cReelle));
        if (L.nResultat != TLectureFichier::TResultat::Lu) {
            if (cErreur)
                *cErreur = L.cErreur;
            return {};
        }
        if (!EcritFichierAtomique(QFile::decodeName(cCopie), L.Octets, cErreur))
            return {};
        return QFile::decodeName(cCopie);
    }
    if (cErreur)
        *cErreur = TexteErreur(QStringLiteral("copie de l'autre version"), nErr);
    return {};
}

bool EstTemporaireDe(const QString &cNom, const QString &cNomCible)
{
    const QByteArray cOctets = QFile::encodeName(cNom);
    const QByteArray cPrefixe = PrefixeTemp(QFile::encodeName(cNomCible));
    if (cOctets.size() != cPrefixe.size() + nLongAleaTemp || !cOctets.startsWith(cPrefixe))
        return false;
    for (qsizetype i = cPrefixe.size(); i < cOctets.size(); ++i)
        if (!std::strchr(cAlphabetTemp, cOctets[i]) || cOctets[i] == '\0')
            return false;
    return true;
}

int SupprimeTemporairesPerimes(const QString &cFichierCible, qint64 nAgeMinSecondes)
{
    if (cFichierCible.isEmpty())
        return 0;
    const QByteArray cReelle = CheminReel(cFichierCible);
    const QByteArray cDossier = DossierDe(cReelle);
    const QString cNomCible = QFile::decodeName(cReelle.mid(cReelle.lastIndexOf('/') + 1));
    DIR *Rep = ::opendir(cDossier.constData());
    if (!Rep)
        return 0;
    const qint64 nMaintenant = QDateTime::currentSecsSinceEpoch();
    int nSupprimes = 0;
    while (const dirent *e = ::readdir(Rep)) {
        const QString cNom = QFile::decodeName(e->d_name);
        if (!EstTemporaireDe(cNom, cNomCible))
            continue;
        const QByteArray cChemin = cDossier + (cDossier.endsWith('/') ? "" : "/") + e->d_name;
        struct stat St;
        if (::lstat(cChemin.constData(), &St) != 0 || !S_ISREG(St.st_mode))
            continue;
        if (nMaintenant - qint64(St.st_mtim.tv_sec) < nAgeMinSecondes)
            continue;
        if (::unlink(cChemin.constData()) == 0)
            ++nSupprimes;
    }
    ::closedir(Rep);
    return nSupprimes;
}

TAppelsLecture RemplaceAppelsLecture(TAppelsLecture Appels)
{
    std::swap(Appels, AppelsLecture());
    return Appels;
}

TLectureFichier LitFichierEntier(const QString &cFichier, qint64 nTailleMax, qint64 nMarge)
{
    TLectureFichier L;
    const TAppelsLecture &Appels = AppelsLecture();
    auto Illisible = [&L](const QString &cRaison) {
        L.nResultat = TLectureFichier::TResultat::Illisible;
        L.cErreur = cRaison;
        L.Octets.clear();
        L.Etat = {};
        return L;
    };
    const QByteArray cChemin = QFile::encodeName(cFichier);
    // Non-blocking, so that a pipe put where a file should be does not hang the start; it
    // changes nothing for a regular file.
    const int nDrapeaux = O_RDONLY | O_CLOEXEC | O_NONBLOCK;
    const int fd = Appels.Ouvre ? Appels.Ouvre(cChemin.constData(), nDrapeaux) : ::open(cChemin.constData(), nDrapeaux);
    if (fd < 0) {
        if (errno == ENOENT)
            return L;
        return Illisible(TexteErreur(QStringLiteral("ouverture"), errno));
    }
    struct Fermeture
    {
        int fd;
        ~Fermeture() { ::close(fd); }
    } Garde{fd};

    struct stat St;
    if (::fstat(fd, &St) != 0)
        return Illisible(TexteErreur(QStringLiteral("état du fichier"), errno));
    if (S_ISDIR(St.st_mode))
        return Illisible(TexteErreurSysteme(EISDIR));
    if (!S_ISREG(St.st_mode))
        return Illisible(QStringLiteral("ce n'est pas un fichier ordinaire"));
    if (St.st_size > nTailleMax)
        return Illisible(QStringLiteral("fichier trop gros (%1 octets)").arg(qint64(St.st_size)));

    // One byte more than the size, so that the end of the file is seen in the same pass.
    qint64 nCapacite = qint64(St.st_size) + 1;
    L.Octets.reserve(nCapacite + std::max<qint64>(nMarge, 0));
    L.Octets.resize(nCapacite);
    qint64 nLus = 0;
    for (;;) {
        if (nLus == nCapacite) {
            if (nCapacite > nTailleMax)
                return Illisible(QStringLiteral("fichier trop gros"));
            nCapacite = std::min(nTailleMax + 1, nCapacite + std::max<qint64>(nCapacite / 2, 65536));
            L.Octets.resize(nCapacite);
        }
        const size_t nDemande = size_t(std::min<qint64>(nCapacite - nLus, 1 << 30));
        const ssize_t n = Appels.Lit ? Appels.Lit(fd, L.Octets.data() + nLus, nDemande)
                                     : ::read(fd, L.Octets.data() + nLus, nDemande);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Illisible(TexteErreur(QStringLiteral("lecture"), errno));
        }
        if (n == 0)
            break;
        nLus += n;
    }
    if (nLus < qint64(St.st_size))
        return Illisible(QStringLiteral("lecture incomplète (%1 octets sur %2)").arg(nLus).arg(qint64(St.st_size)));
    if (nLus > nTailleMax)
        return Illisible(QStringLiteral("fichier trop gros"));
    L.Octets.truncate(nLus);
    struct stat StFin;
    L.Etat = VersEtat(::fstat(fd, &StFin) == 0 ? StFin : St);
    L.nResultat = TLectureFichier::TResultat::Lu;
    return L;
}
