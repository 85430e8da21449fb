#include "storage/DeplacementDonnees.h"

#include "platform/AtomicFile.h"
#include "platform/OperationsFichiers.h"
#include "storage/Contexte.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{
const QString cNomSetup = QStringLiteral("KX_Setup.ini");
const QString cNomBDD = QStringLiteral("KX_BDD.ini");
const QString cNomVignettes = QStringLiteral("Vignettes");
const QString cNomMotifs = QStringLiteral("Motifs");
const QString cEtatPlanifie = QStringLiteral("planifié");
const QString cEtatBascule = QStringLiteral("basculé");
// The journal's last line: a journal cut short by a crash or a full disk lacks it.
const QString cFinJournal = QStringLiteral("fin=Vimbrel");

QString Mo(qint64 n)
{
    return QString::number(static_cast<double>(n) / (1024.0 * 1024.0), 'f', 2)
               .replace(QLatin1Char('.'), QLatin1Char(','))
           + QStringLiteral(" Mo");
}

// The folder with links and ".." resolved, ending with "/": the part that exists is resolved,
// the rest appended as written.
QString Canonique(const QString &cDossier)
{
    QString cReste;
    QString c = QDir::cleanPath(QDir(cDossier).absolutePath());
    while (!QFileInfo::exists(c) && c != QLatin1String("/")) {
        cReste = QStringLiteral("/") + QFileInfo(c).fileName() + cReste;
        c = QFileInfo(c).path();
    }
    const QString cExistant = QFileInfo(c).canonicalFilePath();
    return AvecSeparateurFinal(QDir::cleanPath((cExistant.isEmpty() ? c : cExistant) + cReste));
}

// The nearest folder that exists on the way up, or a file standing where a folder is wanted.
QString ExistantLePlusProche(const QString &cDossier)
{
    QString c = QDir::cleanPath(QDir(cDossier).absolutePath());
    while (!QFileInfo::exists(c) && c != QLatin1String("/"))
        c = QFileInfo(c).path();
    return c;
}

bool MemeFichier(const QString &cA, const QString &cB)
{
    struct stat a
    {
    }, b{};
    return ::stat(QFile::encodeName(cA).constData(), &a) == 0 && ::stat(QFile::encodeName(cB).constData(), &b) == 0
           && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when cInterieur is cDossier or lies below it, both canonical and ending with "/".
bool Dans(const QString &cInterieur, const QString &cDossier)
{
    return cInterieur.startsWith(cDossier);
}

qint64 PlaceLibreVolume(const QString &cDossier)
{
    struct statvfs s
    {
    };
    if (::statvfs(QFile::encodeName(cDossier).constData(), &s) != 0)
        return -1;
    return static_cast<qint64>(s.f_bavail) * static_cast<qint64>(s.f_frsize);
}

// Whether a file could be written there: a file exists and is writable, or its nearest
// existing folder is.
bool Inscriptible(const QString &cFichier)
{
    if (QFileInfo::exists(cFichier))
        return ::access(QFile::encodeName(cFichier).constData(), W_OK) == 0;
    const QString c = ExistantLePlusProche(QFileInfo(cFichier).path());
    return QFileInfo(c).isDir() && ::access(QFile::encodeName(c).constData(), W_OK | X_OK) == 0;
}

// The data of a folder that moves, relative to it, as the file system spells the names: the
// two stores, then every file of the thumbnail and pattern trees; their folders, parents
// first. A link is followed to a file, never to a folder.
struct TListeDonnees
{
    std::vector<QByteArray> Fichiers;
    std::vector<QByteArray> Dossiers;
    int nVignettes = 0; // files of the thumbnail tree
};

void ParcourtArbre(const QByteArray &cRacine, const QByteArray &cRelatif, bool lVignettes, TListeDonnees &L)
{
    DIR *d = ::opendir((cRacine + cRelatif).constData());
    if (!d)
        return;
    while (const dirent *e = ::readdir(d)) {
        const char *n = e->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        QByteArray c = cRelatif + '/' + n;
        unsigned char nType = e->d_type;
        if (nType == DT_UNKNOWN || nType == DT_LNK) {
            struct stat st
            {
            };
            const QByteArray cChemin = cRacine + c;
            if (::lstat(cChemin.constData(), &st) != 0)
                continue;
            nType = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            if (S_ISLNK(st.st_mode) && ::stat(cChemin.constData(), &st) == 0 && S_ISREG(st.st_mode))
                nType = DT_REG;
        }
        if (nType == DT_DIR) {
            L.Dossiers.push_back(c);
            ParcourtArbre(cRacine, c, lVignettes, L);
        } else if (nType == DT_REG) {
            L.Fichiers.push_back(std::move(c));
            if (lVignettes)
                ++L.nVignettes;
        }
    }
    ::closedir(d);
}

TListeDonnees ListeDonnees(const QString &cDossier)
{
    TListeDonnees L;
    const QByteArray cRacine = QFile::encodeName(cDossier);
    struct stat st
    {
    };
    for (const QString &cNom : {cNomSetup, cNomBDD})
        if (::stat((cRacine + QFile::encodeName(cNom)).constData(), &st) == 0 && S_ISREG(st.st_mode))
            L.Fichiers.push_back(QFile::encodeName(cNom));
    for (const QString &cArbre : {cNomVignettes, cNomMotifs}) {
        const QByteArray cNom = QFile::encodeName(cArbre);
        if (::stat((cRacine + cNom).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            continue;
        L.Dossiers.push_back(cNom);
        ParcourtArbre(cRacine, cNom, cArbre == cNomVignettes, L);
    }
    return L;
}

qint64 TailleDonnees(const QString &cDossier)
{
    const QByteArray cRacine = QFile::encodeName(cDossier);
    qint64 n = 0;
    struct stat st
    {
    };
    for (const QByteArray &c : ListeDonnees(cDossier).Fichiers)
        if (::stat((cRacine + c).constData(), &st) == 0)
            n += st.st_size;
    return n;
}

// Runs fn(i) for every i below nNombre on nFils threads, the calling one among them, which
// alone calls fnSuivi between its items. After the first failure no new item starts; the
// failure of the lowest item met is returned (its index in nEchec), or 0.
int EnParallele(int nNombre, int nFils, const std::function<int(int)> &fn, const std::function<void()> &fnSuivi,
                int &nEchec)
{
    std::atomic<int> nSuivant{0};
    std::atomic<bool> lArret{false};
    std::mutex Verrou;
    int nErreur = 0;
    nEchec = -1;
    auto Travaille = [&](bool lAppelant) {
        for (;;) {
            if (lArret.load(std::memory_order_relaxed))
                return;
            const int i = nSuivant.fetch_add(1, std::memory_order_relaxed);
            if (i >= nNombre)
                return;
            if (const int e = fn(i); e != 0) {
                const std::lock_guard<std::mutex> g(Verrou);
                if (nEchec < 0 || i < nEchec) {
                    nEchec = i;
                    nErreur = e;
                }
                lArret = true;
            }
            if (lAppelant && fnSuivi)
                fnSuivi();
        }
    };
    std::vector<std::thread> Fils;
    for (int k = 1; k < std::min(nFils, nNombre); ++k)
        Fils.emplace_back(Travaille, false);
    Travaille(true);
    for (std::thread &t : Fils)
        t.join();
    return nErreur;
}

// ---- The built-in verified copy ----
//
// The copies go straight to their names in the new folder: until the switch nothing reads
// that folder, and a start after a crash removes whatever it holds. Each source is read once;
// what was read is written and fingerprinted, and after the volume's one flush each copy is
// read back from the disk and its fingerprint compared with the source's.

// A 64-bit fingerprint over two lanes of 8-byte words: every round is one-to-one in the word
// and in the lane, so a fault confined to one word always shows; wider faults escape with a
// chance of 2^-64. Fed in blocks whose size is a multiple of 16 bytes, the last one excepted.
class TEmpreinte
{
public:
    void Ajoute(const char *p, size_t n)
    {
        size_t i = 0;
        for (; i + 16 <= n; i += 16)
            Tour(Mot(p + i), Mot(p + i + 8));
        if (i < n) {
            char Reste[16] = {};
            std::memcpy(Reste, p + i, n - i);
            Tour(Mot(Reste), Mot(Reste + 8));
        }
        m_nTaille += qint64(n);
    }
    quint64 Valeur() const
    {
        quint64 h = m_a + Rotation(m_b, 27) + quint64(m_nTaille) * P3;
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        h *= 0xC4CEB9FE1A85EC53ull;
        return h ^ (h >> 33);
    }
    qint64 Taille() const { return m_nTaille; }

private:
    static constexpr quint64 P1 = 0x9E3779B185EBCA87ull, P2 = 0xC2B2AE3D27D4EB4Full, P3 = 0x165667B19E3779F9ull;
    static quint64 Rotation(quint64 x, int n) { return (x << n) | (x >> (64 - n)); }
    static quint64 Mot(const char *p)
    {
        quint64 w;
        std::memcpy(&w, p, 8);
        return w;
    }
    void Tour(quint64 w1, quint64 w2)
    {
        m_a = Rotation(m_a + w1 * P2, 31) * P1;
        m_b = Rotation(m_b + w2 * P2, 29) * P1;
    }
    quint64 m_a = P1 + P2, m_b = P2;
    qint64 m_nTaille = 0;
};

constexpr size_t nBlocCopie = size_t(1) << 20;

struct TCopieFaite
{
    qint64 nTaille = -1;
    quint64 nEmpreinte = 0;
};

// Each thread's read buffer, kept for its later files.
char *TamponCopie()
{
    thread_local std::unique_ptr<char[]> Tampon;
    if (!Tampon)
        Tampon = std::make_unique_for_overwrite<char[]>(nBlocCopie);
    return Tampon.get();
}

// Reads until the buffer is full or the file ends; the count, or -1 with errno.
ssize_t LitBloc(int fd, char *p, size_t n)
{
    size_t nLu = 0;
    while (nLu < n) {
        const ssize_t k = ::read(fd, p + nLu, n - nLu);
        if (k < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (k == 0)
            break;
        nLu += size_t(k);
    }
    return ssize_t(nLu);
}

int EcritBloc(int fd, const char *p, size_t n)
{
    while (n > 0) {
        const ssize_t k = ::write(fd, p, n);
        if (k < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += k;
        n -= size_t(k);
    }
    return 0;
}

class TFdDeplacement
{
public:
    explicit TFdDeplacement(int n) : m_n(n) {}
    ~TFdDeplacement()
    {
        if (m_n >= 0)
            ::close(m_n);
    }
    TFdDeplacement(const TFdDeplacement &) = delete;
    TFdDeplacement &operator=(const TFdDeplacement &) = delete;
    int get() const { return m_n; }
    int Ferme()
    {
        const int r = m_n >= 0 ? ::close(m_n) : 0;
        m_n = -1;
        return r;
    }

private:
    int m_n;
};

// The folders of the data, opened once on each side so that every file is reached by its
// name alone.
struct TDossiersOuverts
{
    std::vector<int> Source, Cible; // by folder rank; [0] the data folder itself
    std::vector<int> RangDossier;   // by file: the rank of its folder
    std::vector<size_t> DebutNom;   // by file: where its name starts in its relative path
    ~TDossiersOuverts()
    {
        for (const std::vector<int> *v : {&Source, &Cible})
            for (const int fd : *v)
                if (fd >= 0)
                    ::close(fd);
    }
};

int OuvreDossiers(const QByteArray &cAncien, const QByteArray &cNouveau, const TListeDonnees &L, TDossiersOuverts &D)
{
    QHash<QByteArray, int> Rangs;
    auto Ouvre = [&](const QByteArray &cRelatif) {
        const int fdS = ::open((cAncien + cRelatif).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int e = errno;
        const int fdC = ::open((cNouveau + cRelatif).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        D.Source.push_back(fdS);
        D.Cible.push_back(fdC);
        if (fdS < 0)
            return e;
        return fdC < 0 ? errno : 0;
    };
    if (const int e = Ouvre(QByteArray()); e != 0)
        return e;
    for (const QByteArray &c : L.Dossiers) {
        Rangs.insert(c, int(D.Source.size()));
        if (const int e = Ouvre(c); e != 0)
            return e;
    }
    for (const QByteArray &c : L.Fichiers) {
        const qsizetype n = c.lastIndexOf('/');
        D.RangDossier.push_back(n < 0 ? 0 : Rangs.value(c.left(n), -1));
        D.DebutNom.push_back(size_t(n + 1));
        if (D.RangDossier.back() < 0)
            return ENOENT;
    }
    return 0;
}

// Copies file i to its new name (never replacing), with its dates, noting its fingerprint.
int CopieFichier(const TDossiersOuverts &D, const TListeDonnees &L, size_t i, TCopieFaite &Fait)
{
    const char *cNom = L.Fichiers[i].constData() + D.DebutNom[i];
    const int nRang = D.RangDossier[i];
    TFdDeplacement Source(::openat(D.Source[size_t(nRang)], cNom, O_RDONLY | O_CLOEXEC));
    if (Source.get() < 0)
        return errno;
    struct stat st
    {
    };
    if (::fstat(Source.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    TFdDeplacement Cible(
        ::openat(D.Cible[size_t(nRang)], cNom, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (Cible.get() < 0)
        return errno;
    char *p = TamponCopie();
    TEmpreinte E;
    for (;;) {
        const ssize_t k = LitBloc(Source.get(), p, nBlocCopie);
        if (k < 0)
            return errno;
        if (k == 0)
            break;
        if (const int e = EcritBloc(Cible.get(), p, size_t(k)); e != 0)
            return e;
        E.Ajoute(p, size_t(k));
        if (size_t(k) < nBlocCopie)
            break;
    }
    const struct timespec Dates[2] = {st.st_atim, st.st_mtim};
    if (::futimens(Cible.get(), Dates) != 0 || Cible.Ferme() != 0)
        return errno;
    Fait.nTaille = E.Taille();
    Fait.nEmpreinte = E.Valeur();
    return 0;
}

// Reads copy i back from the disk, its cached pages dropped first (the volume was flushed),
// and compares it with what was read from its source; EIO when it differs.
int VerifieFichier(const TDossiersOuverts &D, const TListeDonnees &L, size_t i, const TCopieFaite &Fait)
{
    const char *cNom = L.Fichiers[i].constData() + D.DebutNom[i];
    TFdDeplacement Copie(::openat(D.Cible[size_t(D.RangDossier[i])], cNom, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (Copie.get() < 0)
        return errno;
    ::posix_fadvise(Copie.get(), 0, 0, POSIX_FADV_DONTNEED);
    char *p = TamponCopie();
    TEmpreinte E;
    for (;;) {
        const ssize_t k = LitBloc(Copie.get(), p, nBlocCopie);
        if (k < 0)
            return errno;
        if (k == 0)
            break;
        E.Ajoute(p, size_t(k));
        if (E.Taille() > Fait.nTaille || size_t(k) < nBlocCopie)
            break;
    }
    return E.Taille() == Fait.nTaille && E.Valeur() == Fait.nEmpreinte ? 0 : EIO;
}

// ---- The journal ----

struct TJournal
{
    QString cAncien, cNouveau; // canonical, ending with "/"
    int nBits = 0;
    TValeurMachine Machine = TValeurMachine::Inchangee;
    QString cAncienUtilisateur; // the configuration values before the switch
    QString cAncienMachine;
    QString cEtat;
};

QString Code(const QString &c)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(c, "/ "));
}

QByteArray Texte(const TJournal &J)
{
    QString c;
    c += QStringLiteral("ancien=") + Code(J.cAncien) + QLatin1Char('\n');
    c += QStringLiteral("nouveau=") + Code(J.cNouveau) + QLatin1Char('\n');
    c += QStringLiteral("travail=%1\n").arg(J.nBits);
    c += QStringLiteral("machine=%1\n").arg(static_cast<int>(J.Machine));
    c += QStringLiteral("utilisateur_avant=") + Code(J.cAncienUtilisateur) + QLatin1Char('\n');
    c += QStringLiteral("machine_avant=") + Code(J.cAncienMachine) + QLatin1Char('\n');
    c += QStringLiteral("etat=") + Code(J.cEtat) + QLatin1Char('\n');
    c += cFinJournal + QLatin1Char('\n');
    return c.toUtf8();
}

// Reads a journal; false when it is not wholly as written.
bool LitJournal(const QString &cFichier, TJournal &J)
{
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 64 * 1024)
        return false;
    const QStringList Lignes = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (Lignes.size() != 8 || Lignes.last() != cFinJournal)
        return false;
    QHash<QString, QString> v;
    for (const QString &l : Lignes) {
        const qsizetype p = l.indexOf(QLatin1Char('='));
        if (p <= 0)
            return false;
        v.insert(l.left(p), QUrl::fromPercentEncoding(l.mid(p + 1).toLatin1()));
    }
    bool lOk1 = false, lOk2 = false;
    J.cAncien = v.value(QStringLiteral("ancien"));
    J.cNouveau = v.value(QStringLiteral("nouveau"));
    J.nBits = v.value(QStringLiteral("travail")).toInt(&lOk1);
    const int nMachine = v.value(QStringLiteral("machine")).toInt(&lOk2);
    J.cAncienUtilisateur = v.value(QStringLiteral("utilisateur_avant"));
    J.cAncienMachine = v.value(QStringLiteral("machine_avant"));
    J.cEtat = v.value(QStringLiteral("etat"));
    if (!lOk1 || !lOk2 || J.nBits < 0 || J.nBits > 3 || nMachine < 0 || nMachine > 2 || !J.cAncien.startsWith('/')
        || !J.cAncien.endsWith('/') || !J.cNouveau.startsWith('/') || !J.cNouveau.endsWith('/')
        || (J.cEtat != cEtatPlanifie && J.cEtat != cEtatBascule) || J.cAncien == J.cNouveau)
        return false;
    J.Machine = static_cast<TValeurMachine>(nMachine);
    return true;
}

bool EcritJournal(const QString &cFichier, const TJournal &J, QString *cErreur)
{
    QDir().mkpath(QFileInfo(cFichier).path());
    return EcritFichierAtomique(cFichier, Texte(J), cErreur);
}

void Point(const TOutilsDeplacement &O, TPointDeplacement p, int n = 0)
{
    if (O.fnPoint)
        O.fnPoint(p, n);
}

// What the copy leaves in the new folder; removed when the move does not go through. Only
// the names the program's data has are touched: the folder held none of them at confirmation.
void SupprimeRestes(const QString &cNouveau)
{
    for (const QString &cNom : {cNomSetup, cNomBDD})
        QFile::remove(cNouveau + cNom);
    for (const QString &cArbre : {cNomVignettes, cNomMotifs})
        QDir(cNouveau + cArbre).removeRecursively();
    // Temporaries of a copy killed before it named its file.
    for (const QString &cNom :
         QDir(cNouveau).entryList({QStringLiteral(".vimbrel-copie-*.tmp")}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(cNouveau + cNom);
}

// Deletes the data at the old place, files first, then the folders that became empty.
void SupprimeAnciens(const QString &cAncien, const TOutilsDeplacement &O)
{
    const TListeDonnees L = ListeDonnees(cAncien);
    const QByteArray cRacine = QFile::encodeName(cAncien);
    int n = 0;
    for (const QByteArray &c : L.Fichiers) {
        const QByteArray cChemin = cRacine + c;
        struct stat st
        {
        };
        // The read-only attribute is the owner's write bit: cleared as the attribute would be.
        if (::lstat(cChemin.constData(), &st) == 0 && !(st.st_mode & S_IWUSR))
            ::chmod(cChemin.constData(), (st.st_mode & 07777) | S_IWUSR);
        ::unlink(cChemin.constData());
        Point(O, TPointDeplacement::Suppression, n++);
    }
    // Deepest first; a folder something else still fills stays.
    for (auto It = L.Dossiers.rbegin(); It != L.Dossiers.rend(); ++It)
        ::rmdir((cRacine + *It).constData());
}

// The old folder's lock, for the deletion; -1 when another program holds it. A folder where
// no lock can be made is deleted from all the same, as the program uses it all the same.
int PrendVerrou(const QString &cDossier, bool &lAutreDetenteur)
{
    lAutreDetenteur = false;
    const int fd = ::open(QFile::encodeName(cDossier + TContexte::NomVerrouDonnees()).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        lAutreDetenteur = errno == EWOULDBLOCK;
        ::close(fd);
        return -1;
    }
    return fd;
}

// Deletes the old files under the old folder's lock, then the journal; a lock held by another
// program leaves both for a later start.
TResultatDeplacement Termine(const QString &cJournal, const TJournal &J, const TOutilsDeplacement &O)
{
    TResultatDeplacement r;
    if (J.nBits & nBitSuppression) {
        int fd = -1;
        if (!O.lVerrouAncienDetenu) {
            bool lAutre = false;
            fd = PrendVerrou(J.cAncien, lAutre);
            if (lAutre) {
                r.Issue = TIssueDeplacement::SuppressionDifferee;
                return r;
            }
        }
        SupprimeAnciens(J.cAncien, O);
        if (fd >= 0)
            ::close(fd);
    }
    QFile::remove(cJournal);
    r.Issue = TIssueDeplacement::Fait;
    return r;
}

bool EcritConfig(const TOutilsDeplacement &O, const QString &cFichier, const QString &cValeur, QString *cErreur)
{
    return O.fnEcritConfig ? O.fnEcritConfig(cFichier, cValeur, cErreur)
                           : EcritDossierDonneesConfig(cFichier, cValeur, cErreur);
}

// Puts the configuration values back as they were before the switch; only values that
// changed are written, so that an unwritable machine-wide file that was never changed does
// not stand in the way.
void RetablitConfig(const TEmplacementsConfig &E, const TJournal &J, const TOutilsDeplacement &O)
{
    if (LitDossierDonneesConfig(E.cFichierUtilisateur) != J.cAncienUtilisateur)
        EcritConfig(O, E.cFichierUtilisateur, J.cAncienUtilisateur, nullptr);
    if (J.Machine != TValeurMachine::Inchangee && LitDossierDonneesConfig(E.cFichierMachine) != J.cAncienMachine)
        EcritConfig(O, E.cFichierMachine, J.cAncienMachine, nullptr);
}

QString TexteEchec(const QString &cRaison, const QString &cAncien)
{
    return QStringLiteral("Le déplacement des données a échoué : %1\r\nLes données restent dans « %2 ».")
        .arg(cRaison, QDir::toNativeSeparators(cAncien));
}

TResultatDeplacement Echoue(const QString &cJournal, const TJournal &J, const QString &cRaison)
{
    if (J.nBits & nBitCopie)
        SupprimeRestes(J.cNouveau);
    QFile::remove(cJournal);
    TResultatDeplacement r;
    r.Issue = TIssueDeplacement::Echoue;
    r.cMessage = TexteEchec(cRaison, J.cAncien);
    return r;
}

TResultatDeplacement MetDeCote(const QString &cJournal)
{
    QString cCote = cJournal + QStringLiteral(".endommagé");
    for (int i = 2; QFileInfo::exists(cCote); ++i)
        cCote = cJournal + QStringLiteral(".endommagé-%1").arg(i);
    QFile::rename(cJournal, cCote);
    TResultatDeplacement r;
    r.Issue = TIssueDeplacement::JournalEndommage;
    r.cMessage = QStringLiteral("Le journal du déplacement des données est illisible ; il a été mis de côté sous "
                                "« %1 ». Rien n'a été supprimé.")
                     .arg(cCote);
    return r;
}
} // namespace

QStringList OperationsDeplacement(TSystemeDonnees Systeme)
{
    if (Systeme == TSystemeDonnees::MonoUtilisateur)
        return {QStringLiteral("Transférer la Base"), QStringLiteral("Nouvelle Base (en Effaçant l'ancienne)")};
    return {QStringLiteral("Dupliquer la Base"), QStringLiteral("Transférer la Base"),
            QStringLiteral("Nouvelle Base (en Conservant l'ancienne)"),
            QStringLiteral("Nouvelle Base (en Effaçant l'ancienne)")};
}

QString ExplicationDeplacement(TSystemeDonnees Systeme, int nOperation)
{
    static const QStringList Mono{
        QStringLiteral("Transférer la Base vers le dossier spécifié."),
        QStringLiteral(
            "Créer une toute nouvelle Base (dans le dossier spécifié) en Effaçant l'ancienne.\r\nDANGEREUX.")};
    static const QStringList Multi{
        QStringLiteral("Dupliquer la Base : seul l'utilisateur courant aura accès à la Copie.\r\nLes autres "
                       "utilisateurs auront accès à la Base originale."),
        QStringLiteral("Transférer la Base : seul l'utilisateur courant aura accès à la Copie de la Base à son nouvel "
                       "emplacement.\r\nLes autres utilisateurs auront accès à la Base originale... VIDE."),
        QStringLiteral("Nouvelle Base (VIDE) pour l'utilisateur courant.\r\nLes autres utilisateurs auront accès à la "
                       "Base originale."),
        QStringLiteral("Nouvelle Base (VIDE) pour l'utilisateur courant.\r\nLes autres utilisateurs auront accès à la "
                       "Base originale... VIDE.\r\nDANGEREUX.")};
    const QStringList &L = Systeme == TSystemeDonnees::MonoUtilisateur ? Mono : Multi;
    return nOperation >= 0 && nOperation < L.size() ? L.at(nOperation) : QString();
}

TPlanDeplacement PlanDeplacement(TSystemeDonnees Systeme, int nOperation)
{
    using V = TValeurMachine;
    if (Systeme == TSystemeDonnees::MonoUtilisateur) {
        if (nOperation == 0)
            return {V::NouveauDossier, nBitCopie | nBitSuppression};
        if (nOperation == 1)
            return {V::NouveauDossier, nBitSuppression};
        return {};
    }
    switch (nOperation) {
    case 0: return {V::Inchangee, nBitCopie};
    case 1: return {V::Videe, nBitCopie | nBitSuppression};
    case 2: return {V::Inchangee, 0};
    case 3: return {V::Videe, nBitSuppression};
    default: return {};
    }
}

TVerificationDestination VerifieDestination(const TEmplacementsConfig &Emplacements, const TDossiers &Dossiers,
                                            const QString &cNouveau, TSystemeDonnees Systeme, int nOperation,
                                            const std::function<qint64(const QString &cDossier)> &fnPlaceLibre)
{
    TVerificationDestination v;
    if (cNouveau.trimmed().isEmpty())
        return v;
    const QString cCible = Canonique(cNouveau);
    const QString cActuel = Canonique(Dossiers.cDossierDonnees);
    v.cDossierCanonique = cCible;
    const auto Nom = [&] { return QDir::toNativeSeparators(cCible); };
    // The current folder by another spelling, or the program's own folder: nothing to do.
    if (cCible == cActuel || MemeFichier(cCible, cActuel)
        || (!Dossiers.cDossierProgramme.isEmpty()
            && (cCible == Canonique(Dossiers.cDossierProgramme) || MemeFichier(cCible, Dossiers.cDossierProgramme)))) {
        v.lSansObjet = true;
        return v;
    }
    if (Dans(cCible, cActuel)) {
        v.cRefus = QStringLiteral("Le dossier « %1 » est à l'intérieur du dossier des données actuel.").arg(Nom());
        return v;
    }
    if (Dans(cActuel, cCible)) {
        v.cRefus = QStringLiteral("Le dossier « %1 » contient le dossier des données actuel.").arg(Nom());
        return v;
    }
    for (const QString &cNom : {cNomSetup, cNomBDD, cNomVignettes, cNomMotifs}) {
        if (QFileInfo::exists(cCible + cNom)) {
            v.cRefus = QStringLiteral("Le dossier « %1 » contient déjà des données de Vimbrel.").arg(Nom());
            return v;
        }
    }
    const QString cExistant = ExistantLePlusProche(cCible);
    if (!QFileInfo(cExistant).isDir() || ::access(QFile::encodeName(cExistant).constData(), W_OK | X_OK) != 0) {
        v.cRefus = QStringLiteral("Le dossier « %1 » n'est pas accessible en écriture.").arg(Nom());
        return v;
    }
    const TPlanDeplacement Plan = PlanDeplacement(Systeme, nOperation);
    if (Plan.nBits & nBitCopie) {
        const qint64 nNecessaire = TailleDonnees(cActuel);
        const qint64 nLibre = fnPlaceLibre ? fnPlaceLibre(cExistant) : PlaceLibreVolume(cExistant);
        if (nLibre >= 0 && nLibre < nNecessaire) {
            v.cRefus = QStringLiteral("Place insuffisante dans « %1 » : %2 nécessaires, %3 disponibles.")
                           .arg(Nom(), Mo(nNecessaire), Mo(nLibre));
            return v;
        }
    }
    v.lAccepte = true;
    v.cQuestion = QStringLiteral("Voulez vous réellement effectuer les traitement suivants ? :\r\n\r\n\r\nNouvel "
                                 "emplacement des données : ")
                  + Nom() + QStringLiteral("\r\n\r\n") + ExplicationDeplacement(Systeme, nOperation);
    if (Plan.Machine != TValeurMachine::Inchangee && !Inscriptible(Emplacements.cFichierMachine))
        v.cQuestion += QStringLiteral("\r\n\r\nLe fichier « %1 » ne peut pas être modifié : les autres utilisateurs "
                                      "ne verront pas ce changement.")
                           .arg(Emplacements.cFichierMachine);
    return v;
}

QString FichierJournalDeplacement(const TEmplacementsConfig &Emplacements)
{
    return QFileInfo(Emplacements.cFichierUtilisateur).path() + QStringLiteral("/Vimbrel.deplacement");
}

bool PlanifieDeplacement(const TEmplacementsConfig &Emplacements, const TDossiers &Dossiers,
                         const TVerificationDestination &Verification, TSystemeDonnees Systeme, int nOperation,
                         QString &cErreur)
{
    if (!Verification.lAccepte)
        return false;
    const TPlanDeplacement Plan = PlanDeplacement(Systeme, nOperation);
    TJournal J;
    J.cAncien = Canonique(Dossiers.cDossierDonnees);
    J.cNouveau = Verification.cDossierCanonique;
    J.nBits = Plan.nBits;
    J.Machine = Plan.Machine;
    J.cAncienUtilisateur = LitDossierDonneesConfig(Emplacements.cFichierUtilisateur);
    J.cAncienMachine = LitDossierDonneesConfig(Emplacements.cFichierMachine);
    J.cEtat = cEtatPlanifie;
    if (Plan.nBits != 0)
        return EcritJournal(FichierJournalDeplacement(Emplacements), J, &cErreur);
    // Nothing to do at the end: the values are all there is, written now.
    const QString cMachine = Plan.Machine == TValeurMachine::NouveauDossier ? J.cNouveau : QString();
    if (Plan.Machine != TValeurMachine::Inchangee)
        EcritDossierDonneesConfig(Emplacements.cFichierMachine, cMachine);
    return EcritDossierDonneesConfig(Emplacements.cFichierUtilisateur, J.cNouveau, &cErreur);
}

TResultatDeplacement ExecuteDeplacement(const TEmplacementsConfig &Emplacements, const TOutilsDeplacement &O)
{
    const QString cJournal = FichierJournalDeplacement(Emplacements);
    if (!QFileInfo::exists(cJournal))
        return {};
    TJournal J;
    if (!LitJournal(cJournal, J))
        return MetDeCote(cJournal);
    if (J.cEtat == cEtatBascule)
        return Termine(cJournal, J, O);

    // (1) The copy: every file written without a flush of its own, then one flush of the
    // whole volume, then every copy read back from the disk.
    if (J.nBits & nBitCopie) {
        // Without both seams, the built-in copy; with one alone the caller erred.
        const bool lInterne = !O.fnCopie && !O.fnCompare;
        if (!lInterne && (!O.fnCopie || !O.fnCompare))
            return Echoue(cJournal, J, TexteErreurFichier(ENOSYS));
        const TListeDonnees L = ListeDonnees(J.cAncien);
        if (!QDir().mkpath(J.cNouveau))
            return Echoue(cJournal, J, TexteErreurFichier(EACCES));
        const QByteArray cNouveau = QFile::encodeName(J.cNouveau);
        for (const QByteArray &c : L.Dossiers)
            if (::mkdir((cNouveau + c).constData(), 0777) != 0 && errno != EEXIST)
                return Echoue(
                    cJournal, J,
                    QStringLiteral("%1 : %2").arg(J.cNouveau + QFile::decodeName(c), TexteErreurFichier(errno)));
        const int nNombre = int(L.Fichiers.size());
        TDossiersOuverts Ouverts;
        std::vector<TCopieFaite> Faits;
        if (lInterne) {
            if (const int e = OuvreDossiers(QFile::encodeName(J.cAncien), cNouveau, L, Ouverts); e != 0)
                return Echoue(cJournal, J, QStringLiteral("%1 : %2").arg(J.cNouveau, TexteErreurFichier(e)));
            Faits.resize(L.Fichiers.size());
        }
        const QByteArray cPrefixeVignettes = QFile::encodeName(cNomVignettes) + '/';
        auto Chemin = [&](const QString &cDossier, int i) {
            return cDossier + QFile::decodeName(L.Fichiers[size_t(i)]);
        };
        // The gauge follows the thumbnails, from 0 to their count less one, on this thread.
        std::atomic<int> nVignettesFaites{0};
        int nSignalee = -1;
        auto Suivi = [&](bool lFin) {
            if (!O.fnProgression || L.nVignettes == 0)
                return;
            const int n = lFin ? L.nVignettes - 1 : std::max(0, nVignettesFaites.load() - 1);
            if (n != nSignalee)
                O.fnProgression(nSignalee = n, L.nVignettes);
        };
        Suivi(false);
        int nEchec = -1;
        int e = EnParallele(
            nNombre, O.nFils,
            [&](int i) {
                if (const int nErr = lInterne ? CopieFichier(Ouverts, L, size_t(i), Faits[size_t(i)])
                                              : O.fnCopie(Chemin(J.cAncien, i), Chemin(J.cNouveau, i));
                    nErr != 0)
                    return nErr;
                Point(O, TPointDeplacement::Copie, i);
                if (L.Fichiers[size_t(i)].startsWith(cPrefixeVignettes))
                    ++nVignettesFaites;
                return 0;
            },
            [&] { Suivi(false); }, nEchec);
        if (e != 0)
            return Echoue(cJournal, J, QStringLiteral("%1 : %2").arg(Chemin(J.cAncien, nEchec), TexteErreurFichier(e)));
        Suivi(true);
        const int fd = ::open(cNouveau.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int nSync = fd >= 0 ? ::syncfs(fd) : -1;
        const int nErrSync = errno;
        if (fd >= 0)
            ::close(fd);
        if (nSync != 0)
            return Echoue(cJournal, J, TexteErreurFichier(nErrSync));
        e = EnParallele(
            nNombre, O.nFils,
            [&](int i) {
                if (const int nErr = lInterne ? VerifieFichier(Ouverts, L, size_t(i), Faits[size_t(i)])
                                              : O.fnCompare(Chemin(J.cNouveau, i), Chemin(J.cAncien, i));
                    nErr != 0)
                    return nErr;
                Point(O, TPointDeplacement::Verification, i);
                return 0;
            },
            {}, nEchec);
        if (e != 0)
            return Echoue(cJournal, J,
                          QStringLiteral("%1 : %2").arg(Chemin(J.cNouveau, nEchec), TexteErreurFichier(e)));
    }

    // (2) The switch: the values written and read back, then recorded in the journal.
    Point(O, TPointDeplacement::AvantConfig);
    if (J.Machine != TValeurMachine::Inchangee) {
        // A machine-wide file that cannot be written was named in the question: the user's
        // value alone makes the switch.
        EcritConfig(O, Emplacements.cFichierMachine,
                    J.Machine == TValeurMachine::NouveauDossier ? J.cNouveau : QString(), nullptr);
    }
    QString cErreur;
    const bool lEcrit = EcritConfig(O, Emplacements.cFichierUtilisateur, J.cNouveau, &cErreur);
    if (!lEcrit || Canonique(LitDossierDonneesConfig(Emplacements.cFichierUtilisateur)) != J.cNouveau) {
        RetablitConfig(Emplacements, J, O);
        return Echoue(cJournal, J,
                      QStringLiteral("%1 : %2").arg(Emplacements.cFichierUtilisateur,
                                                    cErreur.isEmpty() ? TexteErreurFichier(EIO) : cErreur));
    }
    Point(O, TPointDeplacement::ApresConfig);
    J.cEtat = cEtatBascule;
    if (!EcritJournal(cJournal, J, &cErreur)) {
        RetablitConfig(Emplacements, J, O);
        return Echoue(cJournal, J, QStringLiteral("%1 : %2").arg(cJournal, cErreur));
    }
    Point(O, TPointDeplacement::Bascule);

    // (3) and (4).
    return Termine(cJournal, J, O);
}

TResultatDeplacement RepriseDeplacement(const TEmplacementsConfig &Emplacements, const TOutilsDeplacement &O)
{
    const QString cJournal = FichierJournalDeplacement(Emplacements);
    if (!QFileInfo::exists(cJournal))
        return {};
    TJournal J;
    if (!LitJournal(cJournal, J))
        return MetDeCote(cJournal);
    if (J.cEtat == cEtatBascule)
        return Termine(cJournal, J, O);
    // Before the switch: the old folder stays in use, whatever the copy had reached.
    RetablitConfig(Emplacements, J, O);
    if (J.nBits & nBitCopie)
        SupprimeRestes(J.cNouveau);
    QFile::remove(cJournal);
    TResultatDeplacement r;
    r.Issue = TIssueDeplacement::Echoue;
    r.cMessage = QStringLiteral("Le déplacement des données vers « %1 » a été interrompu ; les données sont restées "
                                "dans « %2 ».")
                     .arg(QDir::toNativeSeparators(J.cNouveau), QDir::toNativeSeparators(J.cAncien));
    return r;
}
