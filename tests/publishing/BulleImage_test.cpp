#include "exploration/ColonnesListe.h"
#include "exploration/EnrLV.h"
#include "imaging/FileKinds.h"
#include "publishing/BulleImage.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "storage/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ctime>

namespace
{
struct BulleImageTest : ::testing::Test
{
    QTemporaryDir Temp;
    std::unique_ptr<TBigIniFile> Setup;
    TEnrParametres Parametres;
    TSourcesBulleImage Sources;
    TEnrLV Cd;

    void SetUp() override
    {
        Setup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        Setup->lAutoSave = false;
        Cd.nNumCD = 0x12345;
        Cd.cChemin = "/DCIM/IMG_0001.JPG";
        Cd.nLargeur = 3000;
        Cd.nHauteur = 2000;
        Cd.nTaille = 2'500'000;
        Cd.nDate = 1'100'000'000;
        Cd.cAppareil = "Canon EOS D60";
        Cd.lEXIF = true;
        Setup->WriteString(cSectionLabelsCD, IdVolume(0x12345), "Vacances");
        Setup->WriteString(cSectionRotations, Cd.Cle(), "G");
        Sources.iniSetup = Setup.get();
        Sources.Parametres = &Parametres;
        Sources.fnBlocClassement = [](const TEnrLV &) { return QString("\r\n<PG>CRITERES</PG/>\r\nVoyages"); };
        Sources.fnAlbumsImages = [this](const QString &cCle) {
            return cCle == Cd.Cle() ? QStringList{"Vacances", "Famille"} : QStringList{};
        };
    }
    QString Debut() const
    {
        return "/DCIM/\r\n<SG>IMG_0001.JPG</SG/> <SS>[2000x3000]</SS/>\r\n(Sur le CD N° " + IdVolume(0x12345)
               + " : <SG>\"Vacances\"</SG/>)\r\n" + TexteTaille(Cd.nTaille) + " le "
               + ColonnesListe::TexteDate(Cd.nDate);
    }
};
} // namespace

TEST_F(BulleImageTest, BlocksComeInOrderAndFollowTheSettings)
{
    Parametres.lHintAffTRT = Parametres.lHintAffCRIT = Parametres.lHintAffAlbImg = Parametres.lHintAffEXIF = true;
    const QString c = TexteBulleImage(Cd, Sources);
    // Turned left by its treatments: the size is shown turned.
    ASSERT_TRUE(c.startsWith(Debut())) << c.toStdString();
    const qsizetype nTrt = c.indexOf("<PG>TRAITEMENTS</PG/>"), nCrit = c.indexOf("<PG>CRITERES</PG/>"),
                    nAlb = c.indexOf("<PG>Albums d'images</PG/>\r\nVacances\r\nFamille"),
                    nExif = c.indexOf("<PG>EXIF</PG/>");
    EXPECT_GT(nTrt, 0);
    EXPECT_GT(nCrit, nTrt);
    EXPECT_GT(nAlb, nCrit);
    EXPECT_GT(nExif, nAlb);
    EXPECT_TRUE(c.contains("Rotation (Gauche)"));

    // Every block off: the first lines only; match percentages when the filters gave some.
    Parametres.lHintAffTRT = Parametres.lHintAffCRIT = Parametres.lHintAffAlbImg = false;
    Parametres.lHintAffAlbWHP = Parametres.lHintAffEXIF = Parametres.lHintAffIPTC = false;
    Cd.nPctCouleur = 42;
    EXPECT_EQ(TexteBulleImage(Cd, Sources), Debut() + "\r\n% de correspondance avec la Colorimétrie : <SG>42</SG/>");

    // The label gone from the store: the disc without its name; the next hint shows it.
    Setup->DeleteKey(cSectionLabelsCD, IdVolume(0x12345));
    EXPECT_TRUE(TexteBulleImage(Cd, Sources).contains("(Sur le CD N° " + IdVolume(0x12345) + ")\r\n"));
}

TEST_F(BulleImageTest, PersonalWebAlbumsAreFoundThroughTheirFolders)
{
    const QString cCle = "/photos/a.jpg";
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Été", "<aDossiers>", "Plage|Montagne|");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Été:Plage", cCle, "");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Hiver", "<aDossiers>", "Ski|");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Hiver:Ski", "/photos/b.jpg", "");
    EXPECT_EQ(AlbumsWEBPersoDeImage(*Setup, cCle), QStringList{"Été"});
    EXPECT_TRUE(AlbumsWEBPersoDeImage(*Setup, "/photos/c.jpg").isEmpty());

    TEnrLV e;
    e.cChemin = cCle;
    Parametres.lHintAffAlbWHP = true;
    Sources.fnAlbumsWEBPerso = [this](const QString &c) { return AlbumsWEBPersoDeImage(*Setup, c); };
    EXPECT_TRUE(TexteBulleImage(e, Sources).contains("\r\n<PG>Albums WEB hiérarchiques personnels</PG/>\r\nÉté"));
}

TEST_F(BulleImageTest, WebAlbumIndexAnswersAsTheSectionsAndFollowsTheirChanges)
{
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Été", "<aDossiers>", "Plage|Montagne|");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Été:Plage", "/photos/a.jpg", "");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Été:Montagne", "/photos/a.jpg", "");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Été:Montagne", "/photos/b.jpg", "");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Hiver", "<aDossiers>", "Ski|");
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Hiver:Ski", "/photos/a.jpg", "");
    // Folders of an album that is gone hold nothing for the hint.
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Ancien:Ski", "/photos/b.jpg", "");
    const TIndexAlbumsWEBPerso Index(*Setup);
    const QStringList Cles = {"/photos/a.jpg", "/photos/b.jpg", "/photos/c.jpg", "/PHOTOS/A.JPG"};
    for (const QString &c : Cles)
        EXPECT_EQ(Index.Albums(c), AlbumsWEBPersoDeImage(*Setup, c)) << c.toStdString();
    EXPECT_EQ(Index.Albums("/photos/a.jpg"), (QStringList{"Été", "Hiver"}));

    // A saved album changes the next answers.
    Setup->WriteString("SAUVEGARDE ALBUM WEB:Hiver:Ski", "/photos/c.jpg", "");
    Setup->EraseSection("SAUVEGARDE ALBUM WEB:Été:Plage");
    Setup->EraseSection("SAUVEGARDE ALBUM WEB:Été:Montagne");
    EXPECT_EQ(Index.Albums("/photos/c.jpg"), QStringList{"Hiver"});
    EXPECT_EQ(Index.Albums("/photos/a.jpg"), QStringList{"Hiver"});
    EXPECT_TRUE(Index.Albums("/photos/b.jpg").isEmpty());
}

TEST_F(BulleImageTest, DateIsTheListsLocalDateAllYearRound)
{
    Parametres.lHintAffTRT = Parametres.lHintAffCRIT = Parametres.lHintAffAlbImg = false;
    Parametres.lHintAffEXIF = Parametres.lHintAffIPTC = false;
    // Winter and summer time, the turn of a year, a leap day, in a zone that changes its time.
    const QByteArray cTZ = qgetenv("TZ");
    const bool lTZ = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "Europe/Paris");
    ::tzset();
    for (const qint64 n : {qint64(1'100'000'000), qint64(1'121'345'678), qint64(1'104'537'599), qint64(1'204'243'200),
                           qint64(1), qint64(4'102'444'800)}) {
        Cd.nDate = n;
        EXPECT_TRUE(TexteBulleImage(Cd, Sources).endsWith(" le " + ColonnesListe::TexteDate(n))) << n;
    }
    Cd.nDate = 0;
    EXPECT_TRUE(TexteBulleImage(Cd, Sources).endsWith(" le ")) << "unknown date";
    if (lTZ)
        qputenv("TZ", cTZ);
    else
        qunsetenv("TZ");
    ::tzset();
}
