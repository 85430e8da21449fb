#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

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
