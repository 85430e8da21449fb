#include "publishing/CopieVerifiee.h"

#include "support/Fichiers.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
class CopieVerifieeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        cSource = Tmp.path() + QStringLiteral("/source/a.jpg");
        cDossier = Tmp.path() + QStringLiteral("/dest");
        ASSERT_TRUE(QDir().mkpath(cDossier));
        // Larger than one block of the copy, so that the comparison runs over several.
        Contenu.resize(3 * 1024 * 1024 + 17);
        for (qsizetype i = 0; i < Contenu.size(); ++i)
            Contenu[i] = static_cast<char>((i * 131) >> 3);
        ASSERT_TRUE(EcritFichier(cSource, Contenu));
        // A date in the past, with nanoseconds that a copy made now could not have.
        const struct timespec Dates[2] = {{1'500'000'000, 123456789}, {1'400'000'000, 987654321}};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(cSource).constData(), Dates, 0), 0);
    }

    QStringList Contenus() const { return QDir(cDossier).entryList(QDir::Files | QDir::Hidden | QDir::System); }
    static struct timespec Mtime(const QString &c)
    {
        struct stat st
        {
        };
        ::stat(QFile::encodeName(c).constData(), &st);
        return st.st_mtim;
    }

    QTemporaryDir Tmp;
    QString cSource, cDossier;
    QByteArray Contenu;
};

void InverseOctet(const QString &cFichier, qint64 nPosition)
{
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(nPosition);
    char c = 0;
    f.getChar(&c);
    f.seek(nPosition);
    f.putChar(static_cast<char>(c ^ 0x01));
}
} // namespace

TEST_F(CopieVerifieeTest, CopyHasTheSourceBytesAndModificationTimeBothWays)
{
    for (const bool lNoyau : {true, false}) {
        const QString cCible = cDossier + (lNoyau ? QStringLiteral("/noyau.jpg") : QStringLiteral("/lecture.jpg"));
        TOptionsCopie Options;
        Options.lCopieNoyau = lNoyau;
        const TResultatCopie r = CopieVerifiee(cSource, cCible, Options);
        ASSERT_TRUE(r.lOk) << r.cErreur.toStdString();
        EXPECT_EQ(LitFichier(cCible), Contenu);
        EXPECT_EQ(Mtime(cCible).tv_sec, 1'400'000'000);
        EXPECT_EQ(Mtime(cCible).tv_nsec, 987654321);
    }
    // No temporary file stays beside the copies.
    EXPECT_EQ(Contenus(), (QStringList{QStringLiteral("lecture.jpg"), QStringLiteral("noyau.jpg")}));
}

TEST_F(CopieVerifieeTest, ByteFlippedDuringTheCopyLeavesNoFile)
{
    for (const qint64 nPosition : {qint64(0), qint64(2 * 1024 * 1024 + 5), qint64(3 * 1024 * 1024 + 16)}) {
        TOptionsCopie Options;
        Options.fnApresEcriture = [&](const QString &cTemporaire) { InverseOctet(cTemporaire, nPosition); };
        const TResultatCopie r = CopieVerifiee(cSource, cDossier + QStringLiteral("/a.jpg"), Options);
        EXPECT_FALSE(r.lOk);
        EXPECT_EQ(r.nErrno, EIO);
        EXPECT_EQ(r.cErreur, TexteCopieDifferente());
        EXPECT_TRUE(Contenus().isEmpty()) << Contenus().join(u' ').toStdString();
    }
    EXPECT_EQ(LitFichier(cSource), Contenu);
}

TEST_F(CopieVerifieeTest, CopyCutShortOrGrownIsRefused)
{
    TOptionsCopie Options;
    Options.fnApresEcriture = [](const QString &cTemporaire) { QFile(cTemporaire).resize(1000); };
    EXPECT_EQ(CopieVerifiee(cSource, cDossier + QStringLiteral("/a.jpg"), Options).nErrno, EIO);
    Options.fnApresEcriture = [](const QString &cTemporaire) {
        QFile f(cTemporaire);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("x");
    };
    EXPECT_EQ(CopieVerifiee(cSource, cDossier + QStringLiteral("/a.jpg"), Options).nErrno, EIO);
    EXPECT_TRUE(Contenus().isEmpty());
}

TEST_F(CopieVerifieeTest, TargetAppearingMeanwhileIsNeverReplaced)
{
    const QString cCible = cDossier + QStringLiteral("/a.jpg");
    TOptionsCopie Options;
    Options.fnApresEcriture = [&](const QString &) { EcritFichier(cCible, "autre programme"); };
    const TResultatCopie r = CopieVerifiee(cSource, cCible, Options);
    EXPECT_FALSE(r.lOk);
    EXPECT_EQ(r.nErrno, EEXIST);
    EXPECT_EQ(LitFichier(cCible), QByteArray("autre programme"));
    EXPECT_EQ(Contenus(), QStringList{QStringLiteral("a.jpg")});

    // Taken before the copy: refused without writing anything; a link counts, even broken.
    ASSERT_TRUE(QFile::link(Tmp.path() + QStringLiteral("/nulle-part"), cDossier + QStringLiteral("/b.jpg")));
    EXPECT_EQ(CopieVerifiee(cSource, cDossier + QStringLiteral("/b.jpg")).nErrno, EEXIST);
    EXPECT_EQ(Contenus().size(), 2);
}

TEST_F(CopieVerifieeTest, FailuresNameTheirReasonAndLeaveNothing)
{
    EXPECT_EQ(CopieVerifiee(Tmp.path() + QStringLiteral("/absent.jpg"), cDossier + QStringLiteral("/a.jpg")).nErrno,
              ENOENT);
    EXPECT_EQ(CopieVerifiee(cSource, Tmp.path() + QStringLiteral("/parti/a.jpg")).nErrno, ENOENT);
    EXPECT_EQ(CopieVerifiee(cDossier, Tmp.path() + QStringLiteral("/d.jpg")).nErrno, EISDIR);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(cDossier).constData(), 0555), 0);
        const TResultatCopie r = CopieVerifiee(cSource, cDossier + QStringLiteral("/a.jpg"));
        ::chmod(QFile::encodeName(cDossier).constData(), 0755);
        EXPECT_EQ(r.nErrno, EACCES);
        EXPECT_FALSE(r.cErreur.isEmpty());
    }
    EXPECT_TRUE(Contenus().isEmpty());
}

TEST_F(CopieVerifieeTest, WrittenBytesAreVerifiedAndDated)
{
    const QByteArray Donnees("\xff\xd8 une image encodée \xff\xd9");
    const struct timespec Date
    {
        1'300'000'000, 0
    };
    const QString cCible = cDossier + QStringLiteral("/r.jpg");
    TOptionsCopie Options;
    Options.fnApresEcriture = [](const QString &cTemporaire) { InverseOctet(cTemporaire, 3); };
    EXPECT_EQ(EcritVerifie(Donnees, cCible, Date, Options).nErrno, EIO);
    EXPECT_TRUE(Contenus().isEmpty());

    ASSERT_TRUE(EcritVerifie(Donnees, cCible, Date).lOk);
    EXPECT_EQ(LitFichier(cCible), Donnees);
    EXPECT_EQ(Mtime(cCible).tv_sec, 1'300'000'000);
    EXPECT_EQ(EcritVerifie("autre", cCible).nErrno, EEXIST);
    EXPECT_EQ(LitFichier(cCible), Donnees);
}

TEST(CopieOutils, SameFileWhateverTheSpellingAndFreeSpace)
{
    QTemporaryDir Tmp;
    const QString c = Tmp.path() + QStringLiteral("/d/a.jpg");
    ASSERT_TRUE(EcritFichier(c, "a"));
    ASSERT_TRUE(EcritFichier(Tmp.path() + QStringLiteral("/d/b.jpg"), "a"));
    ASSERT_TRUE(QFile::link(Tmp.path() + QStringLiteral("/d"), Tmp.path() + QStringLiteral("/lien")));
    EXPECT_TRUE(MemeInode(c, Tmp.path() + QStringLiteral("/lien/../d//a.jpg")));
    EXPECT_TRUE(MemeInode(c, Tmp.path() + QStringLiteral("/lien/a.jpg")));
    EXPECT_FALSE(MemeInode(c, Tmp.path() + QStringLiteral("/d/b.jpg")));
    EXPECT_FALSE(MemeInode(c, Tmp.path() + QStringLiteral("/d/absent.jpg")));

    EXPECT_GT(PlaceLibre(Tmp.path()), 0);
    EXPECT_EQ(PlaceLibre(Tmp.path() + QStringLiteral("/absent")), -1);
}
