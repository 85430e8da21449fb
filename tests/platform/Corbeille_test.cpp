#include "platform/Corbeille.h"
#include "platform/OperationsFichiers.h"
#include "platform/VolumesFactices.h"
#include "support/Fichiers.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
QByteArray Lit(const QString &cFichier)
{
    return LitFichier(cFichier);
}

class Corbeille : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        cRacine = Tmp.path();
        TVolume Racine;
        Racine.cPointMontage = QStringLiteral("/");
        Racine.cSysteme = QStringLiteral("ext4");
        Volumes.Ajoute(Racine);
        cDonnees = cRacine + QStringLiteral("/donnees");
        cMaison = cDonnees + QStringLiteral("/Trash");
        cUid = QString::number(::getuid());
    }

    QString Cree(const QString &cRelatif, const QByteArray &Contenu)
    {
        const QString c = cRacine + QLatin1Char('/') + cRelatif;
        EXPECT_TRUE(EcritFichier(c, Contenu)) << c.toStdString();
        return c;
    }

    // A second volume mounted at <root>/vol2.
    QString AjouteVolume2()
    {
        const QString c = cRacine + QStringLiteral("/vol2");
        QDir().mkpath(c);
        TVolume v;
        v.cPointMontage = c + QLatin1Char('/');
        v.cSysteme = QStringLiteral("vfat");
        Volumes.Ajoute(v);
        return c;
    }

    QTemporaryDir Tmp;
    TVolumesFactices Volumes;
    QString cRacine, cDonnees, cMaison, cUid;
    const QDateTime Date{QDate(2024, 3, 5), QTime(14, 7, 9)};
};
} // namespace

TEST_F(Corbeille, HomeTrashTakesFileAndRecordsItsEncodedPathAndLocalDate)
{
    const QString f = Cree(QStringLiteral("photos/vacances été%.jpg"), "AAA");
    TCorbeille C(Volumes, cDonnees);
    EXPECT_EQ(C.CorbeilleMaison(), cMaison);

    const TResultatOperation r = C.Jette(f, Date);
    ASSERT_TRUE(r.lOk) << r.cErreur.toStdString();
    EXPECT_EQ(r.cDestination, cMaison + QStringLiteral("/files/vacances été%.jpg"));
    EXPECT_EQ(Lit(r.cDestination), "AAA");
    EXPECT_FALSE(QFileInfo::exists(f));
    EXPECT_EQ(Lit(cMaison + QStringLiteral("/info/vacances été%.jpg.trashinfo")),
              "[Trash Info]\nPath=" + cRacine.toUtf8()
                  + "/photos/vacances%20%C3%A9t%C3%A9%25.jpg\n"
                    "DeletionDate=2024-03-05T14:07:09\n");

    // Nobody else may look into what the user threw away.
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(cMaison).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
}

TEST_F(Corbeille, OneNameTrashedTwiceGetsTwoTrashNames)
{
    TCorbeille C(Volumes, cDonnees);
    const QString f = Cree(QStringLiteral("a/IMG_1.JPG"), "premier");
    ASSERT_TRUE(C.Jette(f, Date).lOk);
    Cree(QStringLiteral("a/IMG_1.JPG"), "second");
    const TResultatOperation r2 = C.Jette(f, Date);
    ASSERT_TRUE(r2.lOk);
    Cree(QStringLiteral("b/IMG_1.JPG"), "troisieme");
    const TResultatOperation r3 = C.Jette(cRacine + QStringLiteral("/b/IMG_1.JPG"), Date);
    ASSERT_TRUE(r3.lOk);

    EXPECT_EQ(Lit(cMaison + QStringLiteral("/files/IMG_1.JPG")), "premier");
    EXPECT_EQ(Lit(cMaison + QStringLiteral("/files/IMG_1(2).JPG")), "second");
    EXPECT_EQ(Lit(cMaison + QStringLiteral("/files/IMG_1(3).JPG")), "troisieme");
    EXPECT_TRUE(Lit(cMaison + QStringLiteral("/info/IMG_1(2).JPG.trashinfo")).contains("/a/IMG_1.JPG\n"));
    EXPECT_TRUE(Lit(cMaison + QStringLiteral("/info/IMG_1(3).JPG.trashinfo")).contains("/b/IMG_1.JPG\n"));
}

TEST_F(Corbeille, NamesTakenByOthersAreSkippedAndNoInfoIsLeftBehind)
{
    TCorbeille C(Volumes, cDonnees);
    // Another program's info file without its file, and a file without its info.
    Cree(QStringLiteral("donnees/Trash/info/b.jpg.trashinfo"), "autre");
    Cree(QStringLiteral("donnees/Trash/files/c.jpg"), "ancien");

    const TResultatOperation rb = C.Jette(Cree(QStringLiteral("p/b.jpg"), "B"), Date);
    const TResultatOperation rc = C.Jette(Cree(QStringLiteral("p/c.jpg"), "C"), Date);
    ASSERT_TRUE(rb.lOk);
    ASSERT_TRUE(rc.lOk);
    EXPECT_EQ(rb.cDestination, cMaison + QStringLiteral("/files/b(2).jpg"));
    EXPECT_EQ(rc.cDestination, cMaison + QStringLiteral("/files/c(2).jpg"));
    EXPECT_EQ(Lit(cMaison + QStringLiteral("/info/b.jpg.trashinfo")), "autre");
    EXPECT_EQ(Lit(cMaison + QStringLiteral("/files/c.jpg")), "ancien");
    // The info made for the taken name c.jpg went again when the rename was refused.
    EXPECT_FALSE(QFileInfo::exists(cMaison + QStringLiteral("/info/c.jpg.trashinfo")));
    EXPECT_TRUE(QFileInfo::exists(cMaison + QStringLiteral("/info/c(2).jpg.trashinfo")));
}

TEST_F(Corbeille, FileOnSecondVolumeGoesToItsOwnTrashWithRelativePath)
{
    const QString cVol = AjouteVolume2();
    const QString f = Cree(QStringLiteral("vol2/DCIM/x y.jpg"), "X");
    TCorbeille C(Volumes, cDonnees);
    const TResultatOperation r = C.Jette(f, Date);
    ASSERT_TRUE(r.lOk) << r.cErreur.toStdString();
    EXPECT_EQ(r.cDestination, cVol + QStringLiteral("/.Trash-") + cUid + QStringLiteral("/files/x y.jpg"));
    EXPECT_EQ(Lit(cVol + QStringLiteral("/.Trash-") + cUid + QStringLiteral("/info/x y.jpg.trashinfo")),
              "[Trash Info]\nPath=DCIM/x%20y.jpg\nDeletionDate=2024-03-05T14:07:09\n");
    EXPECT_FALSE(QFileInfo::exists(cMaison));
}

TEST_F(Corbeille, SharedTrashIsUsedOnlyWhenRealAndSticky)
{
    const QString cVol = AjouteVolume2();
    TCorbeille C(Volumes, cDonnees);
    const QByteArray cPartagee = QFile::encodeName(cVol + QStringLiteral("/.Trash"));

    // Without the sticky bit the shared trash is not trusted.
    ASSERT_EQ(::mkdir(cPartagee.constData(), 0777), 0);
    ASSERT_EQ(::chmod(cPartagee.constData(), 0777), 0);
    ASSERT_TRUE(C.Jette(Cree(QStringLiteral("vol2/a.jpg"), "1"), Date).lOk);
    EXPECT_TRUE(QFileInfo::exists(cVol + QStringLiteral("/.Trash-") + cUid + QStringLiteral("/files/a.jpg")));

    ASSERT_EQ(::chmod(cPartagee.constData(), 01777), 0);
    const TResultatOperation r = C.Jette(Cree(QStringLiteral("vol2/b.jpg"), "2"), Date);
    ASSERT_TRUE(r.lOk);
    EXPECT_EQ(r.cDestination, cVol + QStringLiteral("/.Trash/") + cUid + QStringLiteral("/files/b.jpg"));
    EXPECT_TRUE(QFileInfo::exists(cVol + QStringLiteral("/.Trash/") + cUid + QStringLiteral("/info/b.jpg.trashinfo")));

    // A link named .Trash is never followed, even to a sticky folder.
    ASSERT_TRUE(QDir(cVol + QStringLiteral("/.Trash")).removeRecursively());
    const QByteArray cCollante = QFile::encodeName(cRacine + QStringLiteral("/collante"));
    ASSERT_EQ(::mkdir(cCollante.constData(), 01777), 0);
    ASSERT_EQ(::chmod(cCollante.constData(), 01777), 0);
    ASSERT_EQ(::symlink(cCollante.constData(), cPartagee.constData()), 0);
    const TResultatOperation r2 = C.Jette(Cree(QStringLiteral("vol2/c.jpg"), "3"), Date);
    ASSERT_TRUE(r2.lOk);
    EXPECT_EQ(r2.cDestination, cVol + QStringLiteral("/.Trash-") + cUid + QStringLiteral("/files/c.jpg"));
    EXPECT_TRUE(QDir(cRacine + QStringLiteral("/collante")).isEmpty());
}

TEST_F(Corbeille, NoUsableTrashLeavesTheFileWhereItIs)
{
    TCorbeille C(Volumes, cDonnees);

    // A CD is read-only: it has no trash.
    Volumes.AjouteCD(cRacine + QStringLiteral("/cd"), 0x1234);
    const QString fCD = Cree(QStringLiteral("cd/DCIM/a.jpg"), "A");
    TResultatOperation r = C.Jette(fCD, Date);
    EXPECT_FALSE(r.lOk);
    EXPECT_TRUE(r.lCorbeilleIndisponible);
    EXPECT_EQ(Lit(fCD), "A");

    // A volume whose trash name is taken by a plain file.
    const QString cVol = AjouteVolume2();
    Cree(QStringLiteral("vol2/.Trash-") + cUid, "pas un dossier");
    const QString f = Cree(QStringLiteral("vol2/b.jpg"), "B");
    r = C.Jette(f, Date);
    EXPECT_FALSE(r.lOk);
    EXPECT_TRUE(r.lCorbeilleIndisponible);
    EXPECT_FALSE(r.cErreur.isEmpty());
    EXPECT_EQ(Lit(f), "B");

    // A missing file is not a missing trash.
    r = C.Jette(cRacine + QStringLiteral("/absent.jpg"), Date);
    EXPECT_FALSE(r.lOk);
    EXPECT_FALSE(r.lCorbeilleIndisponible);
    EXPECT_EQ(r.nErrno, ENOENT);
    EXPECT_EQ(r.cErreur, QStringLiteral("fichier introuvable"));
}

TEST(CorbeilleNoms, CopiesAreNumberedBeforeTheExtensionAndLongNamesFit)
{
    EXPECT_EQ(NomCandidatCorbeille(QStringLiteral("a.jpg"), 1), QStringLiteral("a.jpg"));
    EXPECT_EQ(NomCandidatCorbeille(QStringLiteral("a.jpg"), 2), QStringLiteral("a(2).jpg"));
    EXPECT_EQ(NomCandidatCorbeille(QStringLiteral("a.b.CRW"), 12), QStringLiteral("a.b(12).CRW"));
    EXPECT_EQ(NomCandidatCorbeille(QStringLiteral(".cache"), 2), QStringLiteral(".cache(2)"));
    EXPECT_EQ(NomCandidatCorbeille(QStringLiteral("sans"), 3), QStringLiteral("sans(3)"));

    // 250 bytes of "é" pairs: the info file name must stay within 255 bytes.
    const QString cLong = QString(125, QChar(0xE9)) + QStringLiteral(".jpg");
    const QString c = NomCandidatCorbeille(cLong, 2);
    EXPECT_LE(QFile::encodeName(c + QStringLiteral(".trashinfo")).size(), 255);
    EXPECT_TRUE(c.endsWith(QStringLiteral("(2).jpg")));
    EXPECT_TRUE(c.startsWith(QString(100, QChar(0xE9))));
}

TEST(OperationsFichiers, RenameNeverReplacesAndFakeFailsOnDemand)
{
    QTemporaryDir Tmp;
    const QString a = Tmp.filePath(QStringLiteral("a")), b = Tmp.filePath(QStringLiteral("b")),
                  c = Tmp.filePath(QStringLiteral("c"));
    for (const auto &[f, t] : {std::pair{a, "A"}, std::pair{b, "B"}}) {
        QFile F(f);
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write(t);
    }
    EXPECT_EQ(RenommeSansRemplacer(a, b), EEXIST);
    EXPECT_EQ(Lit(a), "A");
    EXPECT_EQ(Lit(b), "B");
    EXPECT_EQ(RenommeSansRemplacer(a, c), 0);
    EXPECT_EQ(Lit(c), "A");
    EXPECT_FALSE(QFileInfo::exists(a));

    TVolumesFactices Volumes;
    TOperationsFichiers Reelles(Volumes, Tmp.filePath(QStringLiteral("donnees")));
    TOperationsFichiersFactices Fausses(Reelles);
    Fausses.EchoueSur(b, EBUSY);
    const TResultatOperation r = Fausses.Supprime(b);
    EXPECT_FALSE(r.lOk);
    EXPECT_EQ(r.nErrno, EBUSY);
    EXPECT_EQ(r.cErreur, QStringLiteral("fichier occupé"));
    EXPECT_EQ(Lit(b), "B");
    EXPECT_FALSE(Fausses.Absent(b));
    EXPECT_TRUE(Fausses.Supprime(c).lOk);
    EXPECT_TRUE(Fausses.Absent(c));
    EXPECT_EQ(Fausses.Appels, QStringList({"supprime:" + b, "supprime:" + c}));
}
