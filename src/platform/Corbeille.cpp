#include "platform/Corbeille.h"

#include "platform/Volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// Names longer than this cannot be created on the usual Linux file systems.
constexpr qsizetype nMaxOctetsNom = 255;
const QString cExtensionInfo = QStringLiteral(".trashinfo");
// A folder where thousands of copies of one name were trashed is not worth walking further.
constexpr int nMaxEssaisNom = 10000;

QByteArray Octets(const QString &c)
{
    return QFile::encodeName(c);
}

TResultatOperation Indisponible(int nErrno)
{
    TResultatOperation r;
    r.nErrno = nErrno;
    r.lCorbeilleIndisponible = true;
    r.cErreur = QStringLiteral("corbeille indisponible");
    if (nErrno != 0)
        r.cErreur += QStringLiteral(" (%1)").arg(TexteErreurFichier(nErrno));
    return r;
}

// Creates the folder with mode 0700 when missing; then it must be a real folder (not a link)
// owned by the user, so that nobody else can read what the user throws away.
int PrepareDossierPrive(const QString &cDossier, uid_t nUid, bool lLienPermis)
{
    const QByteArray c = Octets(cDossier);
    if (::mkdir(c.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st
    {
    };
    if ((lLienPermis ? ::stat(c.constData(), &st) : ::lstat(c.constData(), &st)) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (st.st_uid != nUid)
        return EPERM;
    return 0;
}

// files/ and info/ of a trash folder.
int PrepareSousDossiers(const QString &cCorbeille, uid_t nUid)
{
    for (const char *cSous : {"/files", "/info"}) {
        const int e = PrepareDossierPrive(cCorbeille + QLatin1String(cSous), nUid, false);
        if (e != 0)
            return e;
    }
    return 0;
}

bool EcritTout(int fd, const QByteArray &Donnees)
{
    qsizetype nFait = 0;
    while (nFait < Donnees.size()) {
        const ssize_t n = ::write(fd, Donnees.constData() + nFait, static_cast<size_t>(Donnees.size() - nFait));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        nFait += n;
    }
    return true;
}

QString SansBarreFinale(QString c)
{
    while (c.size() > 1 && c.endsWith(QLatin1Char('/')))
        c.chop(1);
    return c;
}
} // namespace

QByteArray EncodeCheminCorbeille(const QByteArray &cChemin)
{
    return cChemin.toPercentEncoding("/");
}

QByteArray ContenuInfoCorbeille(const QByteArray &cCheminEncode, const QDateTime &Date)
{
    const QDateTime Locale = Date.toLocalTime();
    return QByteArrayLiteral("[Trash Info]\nPath=") + cCheminEncode + QByteArrayLiteral("\nDeletionDate=")
           + Locale.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() + '\n';
}

QString NomCandidatCorbeille(const QString &cNom, int n)
{
    // The stem and extension as copies are named elsewhere in the program; a leading "." does
    // not start an extension (".hidden" has none).
    qsizetype nPoint = cNom.lastIndexOf(QLatin1Char('.'));
    if (nPoint <= 0)
        nPoint = cNom.size();
    QString cRacine = cNom.left(nPoint);
    const QString cExt = cNom.mid(nPoint);
    const QString cSuffixe = n <= 1 ? QString() : QStringLiteral("(%1)").arg(n);
    auto Longueur = [&] { return Octets(cRacine + cSuffixe + cExt + cExtensionInfo).size(); };
    while (Longueur() > nMaxOctetsNom && !cRacine.isEmpty()) {
        cRacine.chop(1);
        // Never leave half of a surrogate pair.
        if (!cRacine.isEmpty() && cRacine.back().isHighSurrogate())
            cRacine.chop(1);
    }
    return cRacine + cSuffixe + cExt;
}

TCorbeille::TCorbeille(const IVolumes &Volumes, const QString &cDossierDonneesUtilisateur, uid_t nUid)
    : m_Volumes(Volumes), m_nUid(nUid)
{
    QString cDonnees = cDossierDonneesUtilisateur;
    if (cDonnees.isEmpty())
        cDonnees = qEnvironmentVariable("XDG_DATA_HOME");
    // The variable only counts when it holds an absolute path.
    if (!cDonnees.startsWith(QLatin1Char('/')))
        cDonnees = QDir::homePath() + QStringLiteral("/.local/share");
    m_cMaison = SansBarreFinale(QDir::cleanPath(cDonnees)) + QStringLiteral("/Trash");
}

QString TCorbeille::CorbeillePour(const QString &cChemin, TResultatOperation &r) const
{
    r = {};
    struct stat stFichier
    {
    };
    if (::lstat(Octets(cChemin).constData(), &stFichier) != 0) {
        r.nErrno = errno;
        r.cErreur = TexteErreurFichier(r.nErrno);
        return {};
    }

    // The home trash's volume: the trash folder itself or, before it exists, its nearest
    // existing ancestor.
    struct stat stMaison
    {
    };
    QString cExistant = m_cMaison;
    while (::stat(Octets(cExistant).constData(), &stMaison) != 0 && cExistant.size() > 1)
        cExistant = QFileInfo(cExistant).path();
    const TVolume VolFichier = m_Volumes.VolumeDe(cChemin);
    const TVolume VolMaison = m_Volumes.VolumeDe(m_cMaison);
    // rename(2) refuses to cross mount points even within one file system, so the home trash
    // takes a file only when both the device and the mount agree.
    if (stMaison.st_dev == stFichier.st_dev && VolFichier.cPointMontage == VolMaison.cPointMontage) {
        if (!QDir().mkpath(QFileInfo(m_cMaison).path())) {
            r = Indisponible(EACCES);
            return {};
        }
        int e = PrepareDossierPrive(m_cMaison, m_nUid, true);
        if (e == 0)
            e = PrepareSousDossiers(m_cMaison, m_nUid);
        if (e != 0) {
            r = Indisponible(e);
            return {};
        }
        return m_cMaison;
    }

    // Read-only discs have no trash; a volume the volumes layer does not know has no top.
    if (VolFichier.cPointMontage.isEmpty() || VolFichier.lCD) {
        r = Indisponible(VolFichier.lCD ? EROFS : 0);
        return {};
    }
    const QString cSommet = SansBarreFinale(VolFichier.cPointMontage);
    struct stat stSommet
    {
    };
    if (::stat(Octets(cSommet).constData(), &stSommet) != 0 || stSommet.st_dev != stFichier.st_dev) {
        r = Indisponible(EXDEV);
        return {};
    }
    return CorbeilleSommet(cSommet, r);
}

QString TCorbeille::CorbeilleSommet(const QString &cSommet, TResultatOperation &r) const
{
    const QString cBase = cSommet == QLatin1String("/") ? QString() : cSommet;
    const QString cUid = QString::number(m_nUid);

    // A shared .Trash is only trusted when it is a real folder with the sticky bit, so that
    // users cannot remove each other's folders in it.
    const QString cPartagee = cBase + QStringLiteral("/.Trash");
    struct stat st
    {
    };
    if (::lstat(Octets(cPartagee).constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QString cDossier = cPartagee + QLatin1Char('/') + cUid;
        if (PrepareDossierPrive(cDossier, m_nUid, false) == 0 && PrepareSousDossiers(cDossier, m_nUid) == 0)
            return cDossier;
    }

    const QString cDossier = cBase + QStringLiteral("/.Trash-") + cUid;
    int e = PrepareDossierPrive(cDossier, m_nUid, false);
    if (e == 0)
        e = PrepareSousDossiers(cDossier, m_nUid);
    if (e != 0) {
        r = Indisponible(e);
        return {};
    }
    return cDossier;
}

TResultatOperation TCorbeille::Jette(const QString &cChemin, const QDateTime &Date) const
{
    TResultatOperation r;
    const QString cAbsolu = SansBarreFinale(QDir::cleanPath(QDir::current().absoluteFilePath(cChemin)));
    const QString cDossier = CorbeillePour(cAbsolu, r);
    if (cDossier.isEmpty())
        return r;

    // Path= is absolute in the home trash and relative to the volume's top elsewhere, so that
    // a removable disc restores wherever it is mounted next.
    QString cPath = cAbsolu;
    if (cDossier != m_cMaison) {
        const qsizetype nFin = cDossier.lastIndexOf(QStringLiteral("/.Trash"));
        const QString cSommet = cDossier.left(nFin);
        cPath = cAbsolu.mid(cSommet.size() + 1);
    }
    const QByteArray Contenu = ContenuInfoCorbeille(EncodeCheminCorbeille(Octets(cPath)),
                                                    Date.isValid() ? Date : QDateTime::currentDateTime());

    const QString cNom = cAbsolu.mid(cAbsolu.lastIndexOf(QLatin1Char('/')) + 1);
    for (int n = 1; n <= nMaxEssaisNom; ++n) {
        const QString cCandidat = NomCandidatCorbeille(cNom, n);
        const QByteArray cInfo = Octets(cDossier + QStringLiteral("/info/") + cCandidat + cExtensionInfo);
        const int fd = ::open(cInfo.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return Indisponible(errno);
        }
        const bool lEcrit = EcritTout(fd, Contenu);
        const int nErrEcriture = errno;
        if (::close(fd) != 0 || !lEcrit) {
            ::unlink(cInfo.constData());
            return Indisponible(lEcrit ? EIO : nErrEcriture);
        }

        const QString cCible = cDossier + QStringLiteral("/files/") + cCandidat;
        const int e = RenommeSansRemplacer(cAbsolu, cCible);
        if (e == 0) {
            r = {};
            r.lOk = true;
            r.cDestination = cCible;
            return r;
        }
        ::unlink(cInfo.constData());
        if (e == EEXIST)
            continue;
        if (e == EXDEV)
            return Indisponible(e);
        r = {};
        r.nErrno = e;
        r.cErreur = TexteErreurFichier(e);
        return r;
    }
    return Indisponible(EEXIST);
}
