#include "publishing/CopieVerifiee.h"

#include "platform/OperationsFichiers.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{
constexpr qint64 nBloc = 1 << 20;

class TFd
{
public:
    explicit TFd(int n = -1) : m_n(n) {}
    ~TFd() { Ferme(); }
    TFd(const TFd &) = delete;
    TFd &operator=(const TFd &) = delete;
    int get() const { return m_n; }
    int Ferme()
    {
        int r = 0;
        if (m_n >= 0)
            r = ::close(m_n);
        m_n = -1;
        return r;
    }

private:
    int m_n;
};

// What Compare returns for a copy that reads back different (errno values are positive).
constexpr int nDifferente = -1;

TResultatCopie Echec(int nErrno)
{
    TResultatCopie r;
    r.nErrno = nErrno == nDifferente ? EIO : nErrno;
    r.cErreur = nErrno == nDifferente ? TexteCopieDifferente() : TexteErreurFichier(nErrno);
    return r;
}

QString DossierDe(const QString &cChemin)
{
    const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
    return n <= 0 ? QStringLiteral("/") : cChemin.left(n);
}

// A hidden file of the destination folder, made exclusively so that no other file is touched.
int CreeTemporaire(const QString &cDossier, QString &cTemporaire)
{
    for (int nEssai = 0; nEssai < 100; ++nEssai) {
        cTemporaire = cDossier
                      + QStringLiteral("/.vimbrel-copie-%1.tmp")
                            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(cTemporaire).constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool EcritTout(int fd, const char *p, qint64 n, qint64 nPosition)
{
    while (n > 0) {
        const ssize_t k = ::pwrite(fd, p, static_cast<size_t>(n), nPosition);
        if (k < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += k;
        n -= k;
        nPosition += k;
    }
    return true;
}

// Fills the buffer from nPosition until it is full or the file ends; the count read, -1 on error.
qint64 LitPlein(int fd, char *p, qint64 n, qint64 nPosition)
{
    qint64 nLu = 0;
    while (nLu < n) {
        const ssize_t k = ::pread(fd, p + nLu, static_cast<size_t>(n - nLu), nPosition + nLu);
        if (k < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (k == 0)
            break;
        nLu += k;
    }
    return nLu;
}

// Copies the whole source into the temporary file; 0 or the errno.
int CopieOctets(int fdSource, int fdCible, bool lCopieNoyau)
{
    qint64 nFait = 0;
    if (lCopieNoyau) {
        for (;;) {
            const ssize_t k =
                ::copy_file_range(fdSource, nullptr, fdCible, nullptr, static_cast<size_t>(nBloc * 16), 0);
            if (k > 0) {
                nFait += k;
                continue;
            }
            if (k == 0)
                return 0;
            if (errno == EINTR)
                continue;
            // File systems or kernels that cannot do it: the plain way, from where it stopped.
            if (errno != EXDEV && errno != ENOSYS && errno != EOPNOTSUPP && errno != EINVAL && errno != EBADF)
                return errno;
            break;
        }
    }
    auto Tampon = std::make_unique_for_overwrite<char[]>(nBloc);
    for (;;) {
        const qint64 k = LitPlein(fdSource, Tampon.get(), nBloc, nFait);
        if (k < 0)
            return errno;
        if (k == 0)
            return 0;
        if (!EcritTout(fdCible, Tampon.get(), k, nFait))
            return errno;
        nFait += k;
    }
}

// Reads the copy back from the disk and compares it with the source (a file or bytes in
// memory); 0, nDifferente, or the errno of a read.
int Compare(int fdCopie, int fdSource, const QByteArray *pDonnees)
{
    // Buffers the size of the file (a thumbnail is a few kilobytes), left unfilled: clearing
    // a megabyte for each of a hundred thousand small files cost more than reading them.
    struct stat st
    {
    };
    qint64 nTampon = nBloc;
    if (::fstat(fdCopie, &st) == 0 && S_ISREG(st.st_mode)) {
        struct stat Source
        {
        };
        qint64 nAttendu = pDonnees ? pDonnees->size() : -1;
        if (!pDonnees && ::fstat(fdSource, &Source) == 0 && S_ISREG(Source.st_mode))
            nAttendu = Source.st_size;
        if (nAttendu >= 0 && st.st_size != nAttendu)
            return nDifferente;
        nTampon = std::clamp<qint64>(st.st_size + 1, 1, nBloc);
    }
    auto A = std::make_unique_for_overwrite<char[]>(size_t(nTampon));
    auto B = std::make_unique_for_overwrite<char[]>(size_t(pDonnees ? 0 : nTampon));
    qint64 nPosition = 0;
    for (;;) {
        const qint64 nA = LitPlein(fdCopie, A.get(), nTampon, nPosition);
        if (nA < 0)
            return errno;
        qint64 nB;
        const char *pB = B.get();
        if (pDonnees) {
            nB = std::min<qint64>(nTampon, pDonnees->size() - nPosition);
            pB = pDonnees->constData() + nPosition;
        } else {
            nB = LitPlein(fdSource, B.get(), nTampon, nPosition);
            if (nB < 0)
                return errno;
        }
        if (nA != nB || std::memcmp(A.get(), pB, static_cast<size_t>(nA)) != 0)
            return nDifferente;
        // A short read is the end of both files.
        if (nA < nTampon)
            return 0;
        nPosition += nA;
    }
}

void SynchroniseDossier(const QString &cDossier)
{
    const int fd = ::open(QFile::encodeName(cDossier).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Writes (through fnEcrit), verifies, dates and names the copy; the temporary file goes on any
// failure.
TResultatCopie Produit(const QString &cCible, int fdSource, const QByteArray *pDonnees,
                       const std::optional<std::array<struct timespec, 2>> &Dates, const TOptionsCopie &Options,
                       const std::function<int(int fdCible)> &fnEcrit)
{
    const QString cDossier = DossierDe(cCible);
    if (::access(QFile::encodeName(cCible).constData(), F_OK) == 0 || errno != ENOENT)
        return Echec(EEXIST);
    QString cTemporaire;
    TFd Cible(CreeTemporaire(cDossier, cTemporaire));
    if (Cible.get() < 0)
        return Echec(errno);
    const QByteArray cTmp = QFile::encodeName(cTemporaire);
    auto Abandonne = [&](int nErrno) {
        Cible.Ferme();
        ::unlink(cTmp.constData());
        return Echec(nErrno);
    };

    if (const int e = fnEcrit(Cible.get()); e != 0)
        return Abandonne(e);
    if (Options.fnApresEcriture)
        Options.fnApresEcriture(cTemporaire);
    if (!Options.lDifferee) {
        if (::fsync(Cible.get()) != 0)
            return Abandonne(errno);
        // What is compared must come from the disk, not from the pages just written.
        ::posix_fadvise(Cible.get(), 0, 0, POSIX_FADV_DONTNEED);
        if (const int e = Compare(Cible.get(), fdSource, pDonnees); e != 0)
            return Abandonne(e);
    }
    if (Dates && ::futimens(Cible.get(), Dates->data()) != 0)
        return Abandonne(errno);
    if (Cible.Ferme() != 0)
        return Abandonne(errno);
    if (const int e = RenommeSansRemplacer(cTemporaire, cCible); e != 0) {
        ::unlink(cTmp.constData());
        return Echec(e);
    }
    if (!Options.lDifferee)
        SynchroniseDossier(cDossier);
    TResultatCopie r;
    r.lOk = true;
    return r;
}
} // namespace

QString TexteCopieDifferente()
{
    return QStringLiteral("la copie relue diffère de l'original");
}

TResultatCopie CopieVerifiee(const QString &cSource, const QString &cCible, const TOptionsCopie &Options)
{
    TFd Source(::open(QFile::encodeName(cSource).constData(), O_RDONLY | O_CLOEXEC));
    if (Source.get() < 0)
        return Echec(errno);
    struct stat st
    {
    };
    if (::fstat(Source.get(), &st) != 0)
        return Echec(errno);
    if (!S_ISREG(st.st_mode))
        return Echec(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    ::posix_fadvise(Source.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const std::array<struct timespec, 2> Dates{st.st_atim, st.st_mtim};
    return Produit(cCible, Source.get(), nullptr, Dates, Options,
                   [&](int fdCible) { return CopieOctets(Source.get(), fdCible, Options.lCopieNoyau); });
}

TResultatCopie CompareCopie(const QString &cCopie, const QString &cSource)
{
    TFd Copie(::open(QFile::encodeName(cCopie).constData(), O_RDONLY | O_CLOEXEC));
    if (Copie.get() < 0)
        return Echec(errno);
    TFd Source(::open(QFile::encodeName(cSource).constData(), O_RDONLY | O_CLOEXEC));
    if (Source.get() < 0)
        return Echec(errno);
    ::posix_fadvise(Copie.get(), 0, 0, POSIX_FADV_DONTNEED);
    if (const int e = Compare(Copie.get(), Source.get(), nullptr); e != 0)
        return Echec(e);
    TResultatCopie r;
    r.lOk = true;
    return r;
}

TResultatCopie EcritVerifie(const QByteArray &Donnees, const QString &cCible, std::optional<struct timespec> Date,
                            const TOptionsCopie &Options)
{
    std::optional<std::array<struct timespec, 2>> Dates;
    if (Date)
        Dates = std::array<struct timespec, 2>{*Date, *Date};
    return Produit(cCible, -1, &Donnees, Dates, Options,
                   [&](int fdCible) { return EcritTout(fdCible, Donnees.constData(), Donnees.size(), 0) ? 0 : errno; });
}

qint64 PlaceLibre(const QString &cDossier)
{
    struct statvfs s
    {
    };
    if (cDossier.isEmpty() || ::statvfs(QFile::encodeName(cDossier).constData(), &s) != 0)
        return -1;
    const unsigned long long n = static_cast<unsigned long long>(s.f_bavail) * s.f_frsize;
    return n > static_cast<unsigned long long>(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                                                   : static_cast<qint64>(n);
}

bool MemeInode(const QString &cA, const QString &cB)
{
    struct stat a
    {
    }, b{};
    return ::stat(QFile::encodeName(cA).constData(), &a) == 0 && ::stat(QFile::encodeName(cB).constData(), &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
