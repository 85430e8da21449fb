#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Nettoyage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

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

    EXPECT_EQ(R.nClesParametres, 3); // MOTS-CLES, LEGENDES, ROTATIONS
    EXPECT_EQ(R.nSectionsCatalogue, 1);
    EXPECT_EQ(R.nVignettes, 1);
    EXPECT_EQ(R.Total(), 5);
    EXPECT_TRUE(R.cStoresNonSauves.isEmpty());

    // Both stores were saved: the files on disk tell the same.
    TBigIniFile SetupRelu(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDDRelu(Temp.filePath("KX_BDD.ini"), true);
    for (const char *cSection : {"MOTS-CLES", "LEGENDES", "ROTATIONS"}) {
        EXPECT_FALSE(SetupRelu.ValueExists(cSection, cDisparue)) << cSection;
        for (const QString &cCle : {cPresente, cDebranchee, cSurPartagePendu, cCleCD})
            EXPECT_TRUE(SetupRelu.ValueExists(cSection, cCle)) << cSection << " " << cCle.toStdString();
    }
    // Albums are left alone: their keys do not tell a CD image from another.
    EXPECT_TRUE(SetupRelu.ValueExists("SAUVEGARDE ALBUM IMAGES:Vacances", cDisparue));
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
    NettoieVignettes(cVignettes, {}, T, R); // no cache name reader: thumbnails stay
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
    // An empty folder may be an unmounted volume's mount folder: this one holds something.
    Touche(cSansIndex + "notes.txt");
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

namespace
{

// Volumes that count how often they are read, over an in-memory list.
class TVolumesComptes : public IVolumes
{
public:
    explicit TVolumesComptes(const TVolumesFactices &Base) : m_Base(Base) {}
    QList<TVolume> Liste() const override { return ++nListes, m_Base.Liste(); }
    QString PointDeMontage(quint32 nSerie) const override { return ++nAutres, m_Base.PointDeMontage(nSerie); }
    TVolume VolumeDe(const QString &cChemin) const override { return ++nAutres, m_Base.VolumeDe(cChemin); }
    mutable int nListes = 0;
    mutable int nAutres = 0;

private:
    const TVolumesFactices &m_Base;
};

// A volume mounted at Temp/nas, with an image at its top and one in a sub-folder; the
// stores hold both. Démonte() takes the volume away and leaves its mount folder as the
// system does: empty, or holding whatever lay there before the mount.
struct VolumeDemonteTest : NettoyageTest
{
    QString cPoint, cHaut, cSous, cLocaleDisparue, cFstab;
    TVolume Nas;

    void SetUp() override
    {
        NettoyageTest::SetUp();
        cPoint = Temp.filePath("nas") + "/";
        Nas.cPointMontage = cPoint;
        Nas.cSysteme = "cifs";
        Volumes.Ajoute(Nas);
        cHaut = cPoint + "haut.jpg";
        cSous = cPoint + "2004/sous.jpg";
        Touche(cHaut);
        Touche(cSous);
        // A real vanished image beside it, so that the clean-up is seen to work.
        cLocaleDisparue = Temp.filePath("photos/2004/partie.jpg");
        cFstab = Temp.filePath("fstab");
    }

    void Demonte(bool lDossierVide)
    {
        ASSERT_TRUE(Volumes.Retire(cPoint));
        ASSERT_TRUE(QDir(cPoint).removeRecursively());
        ASSERT_TRUE(QDir().mkpath(cPoint));
        if (!lDossierVide)
            Touche(cPoint + "LISEZMOI.txt");
    }

    void EcritFstab(const QByteArray &cTexte)
    {
        QFile F(cFstab);
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write(cTexte);
    }

    // One start: the test as the program builds it, then steps 2 and 3.
    TResultatNettoyage Demarre(TBigIniFile &Setup, TBigIniFile &BDD)
    {
        TTestDisparition T = PrepareNettoyage(Setup, Volumes, cFstab, [](const TVolume &) { return true; });
        TResultatNettoyage R;
        NettoieParametres(Setup, T, R);
        NettoieCatalogue(BDD, T, R);
        return R;
    }

    void Remplit(TBigIniFile &Setup, TBigIniFile &BDD)
    {
        for (const QString &cCle : {cHaut, cSous, cLocaleDisparue}) {
            Setup.WriteString("MOTS-CLES", cCle, "ROME");
            Setup.WriteString("COUPS DE COEUR", cCle, "");
            BDD.WriteString(cCle, "Lieux/Italie/Rome", "");
        }
    }

    void AttendGarde(TBigIniFile &Setup, TBigIniFile &BDD, const TResultatNettoyage &R)
    {
        for (const QString &cCle : {cHaut, cSous}) {
            EXPECT_TRUE(Setup.ValueExists("MOTS-CLES", cCle)) << cCle.toStdString();
            EXPECT_TRUE(Setup.ValueExists("COUPS DE COEUR", cCle)) << cCle.toStdString();
            EXPECT_TRUE(BDD.SectionExists(cCle)) << cCle.toStdString();
        }
        EXPECT_FALSE(Setup.ValueExists("MOTS-CLES", cLocaleDisparue));
        EXPECT_FALSE(BDD.SectionExists(cLocaleDisparue));
        EXPECT_EQ(R.nClesParametres, 2);
        EXPECT_EQ(R.nSectionsCatalogue, 1);
    }
};

} // namespace

TEST_F(VolumeDemonteTest, ImageAtTheTopOfAnUnmountedVolumeKeepsItsDataWhenTheMountFolderIsEmpty)
{
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    Remplit(Setup, BDD);
    Demonte(true);
    // Neither in the mount table nor seen mounted before: only the empty folder tells.
    AttendGarde(Setup, BDD, Demarre(Setup, BDD));
}

TEST_F(VolumeDemonteTest, MountPointOfTheMountTableKeepsWhatLiesUnderItWhenUnmounted)
{
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    Remplit(Setup, BDD);
    Demonte(false);
    QByteArray cTable = "# <file system> <mount point> <type>\n"
                        "UUID=1234 / ext4 defaults 0 1\n"
                        "/dev/sdb2 none swap sw 0 0\n\t\n"
                        "//serveur/photos\t";
    cTable += QFile::encodeName(cPoint.chopped(1)) + "  cifs  noauto,user  0 0\n";
    EcritFstab(cTable);
    AttendGarde(Setup, BDD, Demarre(Setup, BDD));
}

TEST_F(VolumeDemonteTest, VolumeSeenMountedInAnEarlierRunKeepsItsDataOnceUnmounted)
{
    {
        TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
        TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
        Setup.lAutoSave = BDD.lAutoSave = false;
        Remplit(Setup, BDD);
        ASSERT_TRUE(BDD.UpdateFile());
        // First run, the volume mounted: its images stay, the mount points are remembered
        // and saved with the clean-up.
        const TResultatNettoyage R = Demarre(Setup, BDD);
        EXPECT_EQ(R.nClesParametres, 2);
        EXPECT_FALSE(Setup.Modifie());
    }
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    EXPECT_TRUE(PointsMontageRetenus(Setup).contains(cPoint));
    EXPECT_FALSE(PointsMontageRetenus(Setup).contains("/"));
    Remplit(Setup, BDD);
    Demonte(false);
    AttendGarde(Setup, BDD, Demarre(Setup, BDD));

    // Mounted again with the image really gone: now it goes.
    Volumes.Ajoute(Nas);
    ASSERT_TRUE(QFile::remove(cPoint + "LISEZMOI.txt"));
    Touche(cPoint + "autre.jpg");
    const TResultatNettoyage R = Demarre(Setup, BDD);
    EXPECT_FALSE(Setup.ValueExists("MOTS-CLES", cHaut));
    EXPECT_FALSE(BDD.SectionExists(cHaut));
    EXPECT_EQ(R.nClesParametres, 2);
}

TEST(PointsMontage, MountTableFieldsAndTheRememberedListStaysBounded)
{
    const QByteArray cTable = "# commentaire\n"
                              "LABEL=data /mnt/donn\\040es ext4 defaults 0 2\n"
                              "/dev/sdb2 none swap sw 0 0\n"
                              "/dev/sdb3 swap swap sw 0 0\n"
                              "proc /proc proc defaults 0 0\n"
                              "srv:/photos /mnt/nas/ nfs4 noauto 0 0\n"
                              "srv:/autre /mnt/nas nfs4 noauto 0 0\n"
                              "ligne-sans-point\n";
    EXPECT_EQ(PointsMontageFstab(cTable), QStringList({"/mnt/donn es/", "/proc/", "/mnt/nas/"}));
    EXPECT_TRUE(LitPointsMontageFstab("/nulle/part/fstab").isEmpty());

    QTemporaryDir Temp;
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    Setup.lAutoSave = false;
    QList<TVolume> Vus;
    TVolume Racine;
    Racine.cPointMontage = "/";
    Vus << Racine;
    TVolume Cd;
    Cd.cPointMontage = "/media/cdrom/";
    Cd.lCD = true;
    Cd.nSerie = 12;
    Vus << Cd;
    for (int i = 0; i < nPointsMontageRetenusMax + 10; ++i) {
        TVolume V;
        V.cPointMontage = QString("/mnt/v%1/").arg(i);
        Vus << V;
    }
    EXPECT_TRUE(RetientPointsMontage(Setup, Vus));
    const QStringList cRetenus = PointsMontageRetenus(Setup);
    ASSERT_EQ(cRetenus.size(), nPointsMontageRetenusMax);
    // Neither "/" nor a CD; the oldest went first.
    EXPECT_EQ(cRetenus.first(), "/mnt/v10/");
    EXPECT_EQ(cRetenus.last(), QString("/mnt/v%1/").arg(nPointsMontageRetenusMax + 9));
    EXPECT_FALSE(RetientPointsMontage(Setup, Vus.mid(Vus.size() - 20)));
}

TEST_F(NettoyageTest, AlbumsKeepCdImagesAtTheDiscRootAndVanishedImages)
{
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    Setup.lAutoSave = false;
    // An album entry of a CD image holds its path on the disc, without the volume number.
    const QString cRacineCD = "/IMG_0001.JPG";
    for (const char *cAlbum : {"SAUVEGARDE ALBUM IMAGES:Rome", "SAUVEGARDE ALBUM WEB:Italie:Rome"}) {
        Setup.WriteString(cAlbum, cRacineCD, "");
        Setup.WriteString(cAlbum, cDisparue, "");
    }
    Setup.WriteString("MOTS-CLES", cDisparue, "ROME");
    ASSERT_TRUE(QFile::remove(cDisparue));
    TTestDisparition T = Test();
    TResultatNettoyage R;
    NettoieParametres(Setup, T, R);
    EXPECT_FALSE(Setup.ValueExists("MOTS-CLES", cDisparue));
    for (const char *cAlbum : {"SAUVEGARDE ALBUM IMAGES:Rome", "SAUVEGARDE ALBUM WEB:Italie:Rome"}) {
        EXPECT_TRUE(Setup.ValueExists(cAlbum, cRacineCD)) << cAlbum;
        EXPECT_TRUE(Setup.ValueExists(cAlbum, cDisparue)) << cAlbum;
    }
    EXPECT_EQ(R.nClesParametres, 1);
    EXPECT_FALSE(SectionsNettoyage(Setup).contains("SAUVEGARDE ALBUM IMAGES:Rome"));
    EXPECT_TRUE(SectionsNettoyage(Setup).contains("RESOLUTIONS VIGNETTES"));
}

TEST_F(NettoyageTest, VolumesAreReadOnceForTheWholeCleanUp)
{
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    for (int i = 0; i < 200; ++i) {
        const QString cCle = Temp.filePath(QString("photos/%1/img%2.jpg").arg(i % 7).arg(i));
        if (i % 2 == 0)
            Touche(cCle);
        Setup.WriteString("MOTS-CLES", cCle, "ROME");
        BDD.WriteString(cCle, "Lieux", "");
    }
    Touche(cVignettes + NomVignette(Temp.filePath("photos/1/img1.jpg")));
    TVolumesComptes Comptes(Volumes);
    TTestDisparition T =
        PrepareNettoyage(Setup, Comptes, Temp.filePath("pas-de-fstab"), [](const TVolume &) { return true; });
    TResultatNettoyage R;
    NettoieParametres(Setup, T, R);
    NettoieCatalogue(BDD, T, R);
    NettoieVignettes(cVignettes, &DecodeNomVignette, T, R);
    EXPECT_EQ(R.nClesParametres, 100);
    EXPECT_EQ(R.nSectionsCatalogue, 100);
    EXPECT_EQ(R.nVignettes, 1);
    EXPECT_EQ(Comptes.nListes, 1);
    EXPECT_EQ(Comptes.nAutres, 0);
}

TEST_F(NettoyageTest, FailedSaveIsRecordedAndTheRemovalStaysInMemory)
{
    // The store's file cannot be replaced: a folder stands in its place.
    const QString cBloque = Temp.filePath("bloque/KX_BDD.ini");
    ASSERT_TRUE(QDir().mkpath(cBloque + "/dedans"));
    TBigIniFile BDD(cBloque, true);
    BDD.lAutoSave = false;
    BDD.WriteString(cDisparue, "Lieux", "");
    ASSERT_TRUE(QFile::remove(cDisparue));
    TTestDisparition T = Test();
    TResultatNettoyage R;
    NettoieCatalogue(BDD, T, R);
    EXPECT_EQ(R.nSectionsCatalogue, 1);
    EXPECT_EQ(R.cStoresNonSauves, QStringList{cBloque});
    EXPECT_FALSE(BDD.SectionExists(cDisparue));
    EXPECT_TRUE(BDD.Modifie());
}
