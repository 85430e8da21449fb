#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Nettoyage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The reversible cache naming: "%" "#" "^" escaped, then ":" -> "#" and "/" -> "^", ".JPG"
// appended. Written here independently of the cache so that the clean-up is tested alone.
QString DecodeNomVignette(const QString &cNom)
{
    if (!cNom.endsWith(".JPG"))
        return {};
    QString c = cNom.chopped(4);
    c.replace('^', '/').replace('#', ':');
    c.replace("%5E", "^").replace("%23", "#").replace("%25", "%");
    static const QStringList cImages = {".jpg", ".jpeg", ".crw", ".cr2", ".nef", ".tif", ".png"};
    for (const QString &cExt : cImages)
        if (c.endsWith(cExt, Qt::CaseInsensitive))
            return c;
    return {};
}

QString NomVignette(const QString &cChemin)
{
    QString c = cChemin;
    c.replace("%", "%25").replace("#", "%23").replace("^", "%5E");
    c.replace(':', '#').replace('/', '^');
    return c + ".JPG";
}

void Touche(const QString &cFichier)
{
    QDir().mkpath(QFileInfo(cFichier).absolutePath());
    QFile F(cFichier);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write("x");
}

struct NettoyageTest : ::testing::Test
{
    QTemporaryDir Temp;
    TVolumesFactices Volumes;
    QString cPresente, cDisparue, cSurCle, cDebranchee, cSurPartagePendu, cVignettes;
    const QString cCleCD = "<123>/DCIM/100CANON/IMG_0001.JPG";
    QHash<QString, int> nSondes;

    void SetUp() override
    {
        ASSERT_TRUE(Temp.isValid());
        TVolume Racine;
        Racine.cPointMontage = "/";
        Racine.cSysteme = "ext4";
        Volumes.Ajoute(Racine);
        TVolume Partage;
        Partage.cPointMontage = Temp.filePath("nfs") + "/";
        Partage.cSysteme = "nfs4";
        Volumes.Ajoute(Partage);
        Volumes.AjouteCD(Temp.filePath("cdrom"), 123);

        cPresente = Temp.filePath("photos/2004/présente.jpg");
        cDisparue = Temp.filePath("photos/2004/disparue [1] = 2.jpg");
        // An unplugged disk: its mount folder is empty, so the image's folder is absent.
        cDebranchee = Temp.filePath("usb/photos/débranchée.jpg");
        QDir().mkpath(Temp.filePath("usb"));
        // A hung share: its folder exists but the volume does not answer.
        cSurPartagePendu = Temp.filePath("nfs/photos/partage.jpg");
        QDir().mkpath(Temp.filePath("nfs/photos"));
        Touche(cPresente);
        Touche(cDisparue);
        cVignettes = Temp.filePath("Vignettes") + "/";
        QDir().mkpath(cVignettes);
    }

    TTestDisparition Test()
    {
        return TTestDisparition(Volumes, [this](const TVolume &V) {
            ++nSondes[V.cPointMontage];
            return !V.cPointMontage.endsWith("/nfs/");
        });
    }

    void RemplitStores(TBigIniFile &Setup, TBigIniFile &BDD)
    {
        for (const QString &cCle : {cPresente, cDisparue, cDebranchee, cSurPartagePendu, cCleCD}) {
            Setup.WriteString("MOTS-CLES", cCle, "ROME");
            Setup.WriteString("LEGENDES", cCle, "Une légende");
            Setup.WriteString("ROTATIONS", cCle, "1");
            Setup.WriteString("SAUVEGARDE ALBUM IMAGES:Vacances", cCle, "");
            Setup.WriteString("TAILLES VIGNETTES", cCle, "1234");
            BDD.WriteString(cCle, "Lieux/Italie/Rome", "");
            Touche(cCle.startsWith('<') ? cVignettes + "7b-0/" + NomVignette("/DCIM/100CANON/IMG_0001.JPG")
                                        : cVignettes + NomVignette(cCle));
        }
        Setup.WriteString("GENERAL", "cRep", "/photos/");
    }
};

} // namespace

TEST_F(NettoyageTest, VanishedImageLosesItsDataOthersKeepEverything)
{
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    RemplitStores(Setup, BDD);
    ASSERT_TRUE(Setup.UpdateFile());
    ASSERT_TRUE(BDD.UpdateFile());
    ASSERT_TRUE(QFile::remove(cDisparue));

    TTestDisparition T = Test();
    TResultatNettoyage R;
    NettoieParametres(Setup, T, R);
    NettoieCatalogue(BDD, T, R);
    NettoieVignettes(cVignettes, &DecodeNomVignette, T, R);

    EXPECT_EQ(R.nClesParametres, 4);   // MOTS-CLES, LEGENDES, ROTATIONS, the album
    EXPECT_EQ(R.nSectionsCatalogue, 1);
    EXPECT_EQ(R.nVignettes, 1);
    EXPECT_EQ(R.Total(), 6);

    // Both stores were saved: the files on disk tell the same.
    TBigIniFile SetupRelu(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDDRelu(Temp.filePath("KX_BDD.ini"), true);
    for (const char *cSection : {"MOTS-CLES", "LEGENDES", "ROTATIONS", "SAUVEGARDE ALBUM IMAGES:Vacances"}) {
        EXPECT_FALSE(SetupRelu.ValueExists(cSection, cDisparue)) << cSection;
        for (const QString &cCle : {cPresente, cDebranchee, cSurPartagePendu, cCleCD})
            EXPECT_TRUE(SetupRelu.ValueExists(cSection, cCle)) << cSection << " " << cCle.toStdString();
    }
    // Sizes are CD history, not in the list of sections the clean-up walks.
    EXPECT_TRUE(SetupRelu.ValueExists("TAILLES VIGNETTES", cDisparue));
    EXPECT_FALSE(BDDRelu.SectionExists(cDisparue));
    for (const QString &cCle : {cPresente, cDebranchee, cSurPartagePendu, cCleCD})
        EXPECT_TRUE(BDDRelu.SectionExists(cCle)) << cCle.toStdString();
    EXPECT_EQ(SetupRelu.ReadString("GENERAL", "cRep", ""), "/photos/");

    EXPECT_FALSE(QFile::exists(cVignettes + NomVignette(cDisparue)));
    EXPECT_TRUE(QFile::exists(cVignettes + NomVignette(cPresente)));
    EXPECT_TRUE(QFile::exists(cVignettes + NomVignette(cDebranchee)));
    EXPECT_TRUE(QFile::exists(cVignettes + NomVignette(cSurPartagePendu)));
    EXPECT_TRUE(QFile::exists(cVignettes + "7b-0/" + NomVignette("/DCIM/100CANON/IMG_0001.JPG")));

    // Each volume was asked once, whatever the number of keys on it.
    for (auto It = nSondes.cbegin(); It != nSondes.cend(); ++It)
        EXPECT_EQ(It.value(), 1) << It.key().toStdString();
    EXPECT_EQ(nSondes.value(Temp.filePath("nfs") + "/"), 1);
}

TEST_F(NettoyageTest, CaseOfTheKeyMatters)
{
    // Another image whose name differs only in case is not the vanished one.
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    BDD.lAutoSave = false;
    const QString cMaj = Temp.filePath("photos/2004/PRÉSENTE.jpg");
    BDD.WriteString(cPresente, "Lieux", "");
    BDD.WriteString(cMaj, "Lieux", "");
    TTestDisparition T = Test();
    TResultatNettoyage R;
    NettoieCatalogue(BDD, T, R);
    EXPECT_TRUE(BDD.SectionExists(cPresente));
    EXPECT_FALSE(BDD.SectionExists(cMaj));
    EXPECT_EQ(R.nSectionsCatalogue, 1);
}

TEST_F(NettoyageTest, NothingRemovedMeansNothingWritten)
{
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    Setup.WriteString("MOTS-CLES", cPresente, "ROME");
    BDD.WriteString(cPresente, "Lieux", "");
    TTestDisparition T = Test();
    TResultatNettoyage R;
    NettoieParametres(Setup, T, R);
    NettoieCatalogue(BDD, T, R);
    NettoieVignettes(cVignettes, {}, T, R);  // no cache name reader: thumbnails stay
    EXPECT_EQ(R.Total(), 0);
    // The stores were never saved: no file was created.
    EXPECT_FALSE(QFile::exists(Temp.filePath("KX_Setup.ini")));
    EXPECT_FALSE(QFile::exists(Temp.filePath("KX_BDD.ini")));
}

TEST_F(NettoyageTest, WebAlbumHistoryDropsFoldersWithoutTheirIndex)
{
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    Setup.lAutoSave = false;
    const QString cAvecIndex = Temp.filePath("albums/rome") + "/";
    const QString cSansIndex = Temp.filePath("albums/paris") + "/";
    const QString cEfface = Temp.filePath("albums/effacé") + "/";
    const QString cDebranche = Temp.filePath("usb/albums/venise") + "/";
    Touche(cAvecIndex + "Index.htm");
    QDir().mkpath(cSansIndex);
    for (const QString &c : {cDebranche, cAvecIndex, cSansIndex, cEfface})
        Setup.WriteString("ALBUMS WEB:HISTORIQUE", c, "");
    TTestDisparition T = Test();
    TResultatNettoyage R;
    NettoieParametres(Setup, T, R);
    QStringList cReste;
    Setup.ReadSection("ALBUMS WEB:HISTORIQUE", cReste);
    EXPECT_EQ(cReste, QStringList({cDebranche, cAvecIndex}));
    EXPECT_EQ(R.nDossiersAlbumsWeb, 2);
    EXPECT_TRUE(QFile::exists(Temp.filePath("KX_Setup.ini")));
}

TEST(TestDisparition, UnknownVolumeOrRelativePathIsNeverJudged)
{
    TVolumesFactices Aucun;
    int nSondes = 0;
    TTestDisparition T(Aucun, [&](const TVolume &) { return ++nSondes, true; });
    EXPECT_FALSE(T.Disparu("/nulle/part/image.jpg"));
    EXPECT_FALSE(T.Disparu("relatif/image.jpg"));
    EXPECT_FALSE(T.Disparu(""));
    EXPECT_EQ(nSondes, 0);
}

TEST(TestDisparition, DefaultProbeAnswersForAReadableFolder)
{
    QTemporaryDir Temp;
    TVolume V;
    V.cPointMontage = Temp.path() + "/";
    EXPECT_TRUE(TTestDisparition::SondeVolumeParDefaut(V));
    V.cPointMontage = Temp.filePath("absent/");
    EXPECT_FALSE(TTestDisparition::SondeVolumeParDefaut(V));
}
