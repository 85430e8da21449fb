#include "platform/AtomicFile.h"

#include "support/LecturesEnPanne.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <ctime>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
QByteArray Contenu(const QString &cFichier)
{
    QFile f(cFichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// Only the files a caller asked for: no temporary file may be left behind.
QStringList Fichiers(const QString &cDossier)
{
    return QDir(cDossier).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Makes every write past nOctets fail as on a full disk, for the life of the object.
struct LimiteTaille
{
    rlimit Avant{};
    void (*AncienSignal)(int) = nullptr;
    explicit LimiteTaille(rlim_t nOctets)
    {
        getrlimit(RLIMIT_FSIZE, &Avant);
        AncienSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = Avant;
        r.rlim_cur = nOctets;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~LimiteTaille()
    {
        setrlimit(RLIMIT_FSIZE, &Avant);
        std::signal(SIGXFSZ, AncienSignal);
    }
};
}

TEST(AtomicFile, CreatesAndReplacesWholeFiles)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("a.ini");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "un\r\n"));
    EXPECT_EQ(Contenu(cFichier), "un\r\n");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "deux"));
    EXPECT_EQ(Contenu(cFichier), "deux");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, QByteArray()));
    EXPECT_EQ(Contenu(cFichier), "");
    EXPECT_EQ(Fichiers(Dossier.path()), QStringList{"a.ini"});
}

TEST(AtomicFile, KeepsThePermissionBitsOfTheTarget)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("p.ini");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "x"));
    ASSERT_EQ(chmod(QFile::encodeName(cFichier).constData(), 0640), 0);
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "y"));
    struct stat St;
    ASSERT_EQ(stat(QFile::encodeName(cFichier).constData(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, 0640u);
}

TEST(AtomicFile, NameAtTheLengthLimitStillSaves)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath(QString(250, 'n') + ".ini");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "a"));
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "b"));
    EXPECT_EQ(Contenu(cFichier), "b");
}

TEST(AtomicFile, FailureLeavesTheOldFileWholeAndNoTemporaryFile)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("b.ini");
    const QByteArray Ancien(100, 'a');
    ASSERT_TRUE(EcritFichierAtomique(cFichier, Ancien));
    QString cErreur;
    {
        LimiteTaille Limite(4096);
        EXPECT_FALSE(EcritFichierAtomique(cFichier, QByteArray(100000, 'b'), &cErreur));
    }
    EXPECT_FALSE(cErreur.isEmpty());
    EXPECT_EQ(Contenu(cFichier), Ancien);
    EXPECT_EQ(Fichiers(Dossier.path()), QStringList{"b.ini"});

    // A folder that does not exist, and a folder that is in fact a file.
    EXPECT_FALSE(EcritFichierAtomique(Dossier.filePath("absent/c.ini"), "x"));
    EXPECT_FALSE(EcritFichierAtomique(Dossier.filePath("b.ini/c.ini"), "x"));
    // A target that is a folder is not replaced.
    ASSERT_TRUE(QDir(Dossier.path()).mkdir("d"));
    EXPECT_FALSE(EcritFichierAtomique(Dossier.filePath("d"), "x"));
    EXPECT_TRUE(QFileInfo(Dossier.filePath("d")).isDir());
    EXPECT_EQ(Fichiers(Dossier.path()), QStringList{"b.ini"});
}

TEST(AtomicFile, WritesThroughASymbolicLink)
{
    QTemporaryDir Dossier;
    ASSERT_TRUE(QDir(Dossier.path()).mkdir("reel"));
    const QString cReel = Dossier.filePath("reel/s.ini");
    ASSERT_TRUE(EcritFichierAtomique(cReel, "1"));
    ASSERT_TRUE(QFile::link(cReel, Dossier.filePath("lien.ini")));
    ASSERT_TRUE(EcritFichierAtomique(Dossier.filePath("lien.ini"), "2"));
    EXPECT_EQ(Contenu(cReel), "2");
    EXPECT_TRUE(QFileInfo(Dossier.filePath("lien.ini")).isSymLink());
}

// Every call of umask() made by this process, counted, then passed on to the kernel.
namespace
{
std::atomic<int> nAppelsUmask{0};
}
extern "C" mode_t umask(mode_t nMasque)
{
    ++nAppelsUmask;
    return mode_t(::syscall(SYS_umask, nMasque));
}

namespace
{
struct UmaskTemporaire
{
    mode_t Avant;
    explicit UmaskTemporaire(mode_t n) : Avant(mode_t(::syscall(SYS_umask, n))) {}
    ~UmaskTemporaire() { ::syscall(SYS_umask, Avant); }
};

mode_t Mode(const QString &cFichier)
{
    struct stat St
    {
    };
    stat(QFile::encodeName(cFichier).constData(), &St);
    return St.st_mode & 07777;
}
}

TEST(AtomicFile, NewFilesTakeTheUmaskWhichIsNeverChanged)
{
    QTemporaryDir Dossier;
    const UmaskTemporaire Masque(027);
    nAppelsUmask = 0;
    ASSERT_TRUE(EcritFichierAtomique(Dossier.filePath("n.ini"), "x"));
    EXPECT_EQ(Mode(Dossier.filePath("n.ini")), 0640u);
    {
        const UmaskTemporaire Ouvert(0);
        ASSERT_TRUE(EcritFichierAtomique(Dossier.filePath("o.ini"), "x"));
        EXPECT_EQ(Mode(Dossier.filePath("o.ini")), 0666u);
        // An existing file keeps its own mode, whatever the umask.
        ASSERT_TRUE(EcritFichierAtomique(Dossier.filePath("n.ini"), "y"));
        EXPECT_EQ(Mode(Dossier.filePath("n.ini")), 0640u);
    }
    // Another thread may be creating files at any moment: the process umask is not touched.
    EXPECT_EQ(nAppelsUmask.load(), 0);
}

TEST(AtomicFile, ErrorTextsAreReadableFrench)
{
    QTemporaryDir Dossier;
    QString cErreur;
    {
        LimiteTaille Limite(4096);
        EXPECT_FALSE(EcritFichierAtomique(Dossier.filePath("e.ini"), QByteArray(100000, 'b'), &cErreur));
    }
    EXPECT_EQ(cErreur, QString::fromUtf8("écriture : fichier trop gros"));
    EXPECT_FALSE(EcritFichierAtomique(Dossier.filePath("absent/e.ini"), "x", &cErreur));
    EXPECT_EQ(cErreur, QString::fromUtf8("création du fichier temporaire : fichier ou dossier absent"));
    EXPECT_EQ(TexteErreurSysteme(ENOSPC), QString::fromUtf8("plus de place sur le disque"));
}

TEST(AtomicFile, ReportsTheVersionItWrote)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("v.ini");
    TEtatFichier Ecrit;
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "12345", nullptr, &Ecrit));
    EXPECT_TRUE(Ecrit.lExiste);
    EXPECT_EQ(Ecrit.nTaille, 5);
    EXPECT_EQ(Ecrit, EtatFichier(cFichier));
    TEtatFichier Suivant;
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "12345", nullptr, &Suivant));
    // Same size and content, yet another version: a new file took its place.
    EXPECT_NE(Suivant, Ecrit);
    EXPECT_FALSE(EtatFichier(Dossier.filePath("absent")).lExiste);
}

TEST(AtomicFile, StaleTemporariesOfAKilledSaveAreRecognisedAndOnlyTheyRemoved)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("KX_BDD.ini");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "ancien"));
    // A save killed in the middle of its write, as a full session would be by the system.
    const pid_t Enfant = fork();
    ASSERT_GE(Enfant, 0);
    if (Enfant == 0) {
        rlimit r{4096, 4096};
        std::signal(SIGXFSZ, SIG_DFL);
        setrlimit(RLIMIT_FSIZE, &r);
        EcritFichierAtomique(cFichier, QByteArray(100000, 'n'));
        _exit(0);
    }
    int nStatut = 0;
    ASSERT_EQ(waitpid(Enfant, &nStatut, 0), Enfant);
    ASSERT_TRUE(WIFSIGNALED(nStatut));
    QStringList cRestes = Fichiers(Dossier.path());
    cRestes.removeAll("KX_BDD.ini");
    ASSERT_EQ(cRestes.size(), 1);
    EXPECT_TRUE(EstTemporaireDe(cRestes[0], "KX_BDD.ini"));
    EXPECT_FALSE(EstTemporaireDe(cRestes[0], "KX_Setup.ini"));

    // Names that only look alike, and a folder of the very pattern, are not the writer's.
    const QStringList cEtrangers = {".KX_BDD.ini.tmp-abc12",      ".KX_BDD.ini.tmp-abc1234",  "KX_BDD.ini.tmp-abc123",
                                    ".KX_BDD.ini.tmp-abc123.bak", ".KX_Setup.ini.tmp-abc123", ".KX_BDD.ini.tmp-ab_123"};
    for (const QString &c : cEtrangers) {
        EXPECT_FALSE(EstTemporaireDe(c, "KX_BDD.ini")) << c.toStdString();
        QFile f(Dossier.filePath(c));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(Dossier.path()).mkdir(".KX_BDD.ini.tmp-DOSSIE"));
    EXPECT_EQ(SupprimeTemporairesPerimes(cFichier), 1);
    QStringList cAttendus = cEtrangers;
    cAttendus << "KX_BDD.ini";
    cAttendus.sort();
    EXPECT_EQ(Fichiers(Dossier.path()), cAttendus);
    EXPECT_TRUE(QFileInfo(Dossier.filePath(".KX_BDD.ini.tmp-DOSSIE")).isDir());
    EXPECT_EQ(Contenu(cFichier), "ancien");
}

TEST(AtomicFile, RecentTemporariesAreLeftWhenAnAgeIsAsked)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("KX_CFAPN.ini");
    for (const char *c : {".KX_CFAPN.ini.tmp-Recent", ".KX_CFAPN.ini.tmp-Ancien"}) {
        QFile f(Dossier.filePath(c));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Only six letters make the writer's name.
    ASSERT_TRUE(
        QFile::rename(Dossier.filePath(".KX_CFAPN.ini.tmp-Recent"), Dossier.filePath(".KX_CFAPN.ini.tmp-Recen1")));
    ASSERT_TRUE(
        QFile::rename(Dossier.filePath(".KX_CFAPN.ini.tmp-Ancien"), Dossier.filePath(".KX_CFAPN.ini.tmp-Ancie1")));
    const timeval Vieux[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
    ASSERT_EQ(utimes(QFile::encodeName(Dossier.filePath(".KX_CFAPN.ini.tmp-Ancie1")).constData(), Vieux), 0);
    EXPECT_EQ(SupprimeTemporairesPerimes(cFichier, 3600), 1);
    EXPECT_EQ(Fichiers(Dossier.path()), QStringList{".KX_CFAPN.ini.tmp-Recen1"});
}

TEST(AtomicFile, DatedCopyKeepsTheOtherVersionUnderAFreeName)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("KX_BDD.ini");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "leur version"));
    const QDateTime Date(QDate(2026, 12, 9), QTime(10, 45, 0));
    QString cErreur;
    const QString cCopie = ConserveCopieDatee(cFichier, Date, &cErreur);
    EXPECT_EQ(cCopie, Dossier.filePath("KX_BDD.ini.2026-12-09_10-45-00")) << cErreur.toStdString();
    EXPECT_EQ(Contenu(cCopie), "leur version");
    EXPECT_EQ(ConserveCopieDatee(cFichier, Date), Dossier.filePath("KX_BDD.ini.2026-12-09_10-45-00-2"));
    // The copy is a version of its own: replacing the store leaves it as it was.
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "notre version"));
    EXPECT_EQ(Contenu(cCopie), "leur version");
    EXPECT_TRUE(ConserveCopieDatee(Dossier.filePath("absent.ini"), Date, &cErreur).isEmpty());
    EXPECT_FALSE(cErreur.isEmpty());
}

TEST(AtomicFile, WholeReadTellsAMissingFileFromAnUnreadableOne)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("KX_BDD.ini");
    EXPECT_EQ(LitFichierEntier(cFichier).nResultat, TLectureFichier::TResultat::Absent);
    // Missing folders on the way are missing too; a path through a file is not.
    EXPECT_EQ(LitFichierEntier(Dossier.filePath("absent/KX_BDD.ini")).nResultat, TLectureFichier::TResultat::Absent);

    const QByteArray Octets = QByteArray(300000, 'a') + "fin";
    ASSERT_TRUE(EcritFichierAtomique(cFichier, Octets));
    TLectureFichier L = LitFichierEntier(cFichier);
    ASSERT_EQ(L.nResultat, TLectureFichier::TResultat::Lu);
    EXPECT_EQ(L.Octets, Octets);
    EXPECT_EQ(L.Etat, EtatFichier(cFichier));

    L = LitFichierEntier(cFichier + "/sous");
    EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible);
    EXPECT_EQ(L.cErreur, QString::fromUtf8("ouverture : un élément du chemin n'est pas un dossier"));
    L = LitFichierEntier(Dossier.path());
    EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible);
    // A pipe where the file should be neither hangs the read nor passes for a file.
    ASSERT_EQ(mkfifo(QFile::encodeName(Dossier.filePath("tube")).constData(), 0600), 0);
    L = LitFichierEntier(Dossier.filePath("tube"));
    EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible);
    EXPECT_EQ(LitFichierEntier("/dev/zero").nResultat, TLectureFichier::TResultat::Illisible);
    L = LitFichierEntier(cFichier, 1000);
    EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible);
    EXPECT_TRUE(L.Octets.isEmpty());
}

TEST(AtomicFile, InjectedOpenAndReadFailuresMakeTheFileUnreadable)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("KX_BDD.ini");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, QByteArray(3 << 20, 'a')));
    for (const int nErr : {EIO, EMFILE, EACCES}) {
        const TLecturesEnPanne Panne = TLecturesEnPanne::Ouverture("KX_BDD.ini", nErr);
        const TLectureFichier L = LitFichierEntier(cFichier);
        EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible) << nErr;
        EXPECT_EQ(L.cErreur, "ouverture : " + TexteErreurSysteme(nErr));
        EXPECT_TRUE(L.Octets.isEmpty());
    }
    {
        const TLecturesEnPanne Panne = TLecturesEnPanne::Lecture("KX_BDD.ini", 1 << 20, EIO);
        const TLectureFichier L = LitFichierEntier(cFichier);
        EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible);
        EXPECT_EQ(L.cErreur, QString::fromUtf8("lecture : erreur d'entrée/sortie"));
        EXPECT_TRUE(L.Octets.isEmpty());
    }
    {
        // The file ends early: a cut network share, a file truncated while read.
        const TLecturesEnPanne Panne = TLecturesEnPanne::Lecture("KX_BDD.ini", 1 << 20, 0);
        const TLectureFichier L = LitFichierEntier(cFichier);
        EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible);
        EXPECT_TRUE(L.cErreur.startsWith(QString::fromUtf8("lecture incomplète"))) << L.cErreur.toStdString();
    }
    // Other files read normally meanwhile, and everything again once the fault is gone.
    const TLecturesEnPanne Panne = TLecturesEnPanne::Ouverture("KX_BDD.ini", EIO);
    ASSERT_TRUE(EcritFichierAtomique(Dossier.filePath("KX_Setup.ini"), "[A]"));
    EXPECT_EQ(LitFichierEntier(Dossier.filePath("KX_Setup.ini")).Octets, "[A]");
}

TEST(AtomicFile, FileWithoutReadRightsIsUnreadable)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running with rights that ignore permissions";
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath("KX_BDD.ini");
    ASSERT_TRUE(EcritFichierAtomique(cFichier, "[A]"));
    ASSERT_EQ(chmod(QFile::encodeName(cFichier).constData(), 0), 0);
    const TLectureFichier L = LitFichierEntier(cFichier);
    EXPECT_EQ(L.nResultat, TLectureFichier::TResultat::Illisible);
    EXPECT_EQ(L.cErreur, QString::fromUtf8("ouverture : accès refusé"));
}
