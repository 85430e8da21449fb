#include "storage/CleImage.h"

#include "platform/VolumesFactices.h"
#include "platform/VolumesLinux.h"
#include "storage/BigIniFiles.h"
#include "storage/TailleImage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CleImage, CdKeyAndVolumeIdentifier)
{
    const quint32 nSerie = 0x8A3F0001u;
    EXPECT_EQ(CleImage(static_cast<qint32>(nSerie), "/DCIM/100CANON/IMG_0001.JPG"),
              "<-1975582719>/DCIM/100CANON/IMG_0001.JPG");
    EXPECT_EQ(IdVolume(nSerie), "8a3f-1");
    EXPECT_EQ(IdVolume(0x1A2B00C4u), "1a2b-c4");
    EXPECT_EQ(IdVolume(0u), "0-0");
    EXPECT_EQ(CleImage(0, "/home/ann/Photos/img1.jpg"), "/home/ann/Photos/img1.jpg");
    EXPECT_EQ(CleImage(1234, "/a.jpg"), "<1234>/a.jpg");
}

TEST(CleImage, DecomposeAcceptsOnlyASignedDecimalBetweenBrackets)
{
    EXPECT_EQ(DecomposeCle("<-1975582719>/DCIM/IMG_0001.JPG"), (TEnrLST{-1975582719, "/DCIM/IMG_0001.JPG"}));
    EXPECT_EQ(DecomposeCle("<2147483647>/x>y.jpg"), (TEnrLST{2147483647, "/x>y.jpg"}));
    EXPECT_EQ(DecomposeCle("<-2147483648>/a"), (TEnrLST{-2147483647 - 1, "/a"}));
    // Anything else is a plain path, ">" and "<" included.
    for (const char *cCle : {"/photos/a>b.jpg", "<abc>/x.jpg", "<>/x.jpg", "<->/x.jpg", "<12/x.jpg", "<+12>/x.jpg",
                             "< 12>/x.jpg", "<1 2>/x.jpg", "<2147483648>/x.jpg", "<-2147483649>/x.jpg",
                             "<99999999999>/x.jpg", "<0>/x.jpg", "x<12>/y.jpg", ""})
        EXPECT_EQ(DecomposeCle(cCle), (TEnrLST{0, cCle})) << cCle;
    // Splitting gives back the parts the key was made of.
    for (const TEnrLST &Enr : {TEnrLST{-1, "/a"}, TEnrLST{0, "/b<1>/c"}, TEnrLST{77, "/"}})
        EXPECT_EQ(DecomposeCle(CleImage(Enr.nVolume, Enr.cChemin)), Enr);
}

TEST(CleImage, SameDiscInAnotherMountPointKeepsItsKeys)
{
    TVolumesFactices Volumes;
    Volumes.Ajoute({"/", "ext4", "/dev/sda1", "", 0, false, 100});
    Volumes.AjouteCD("/media/cdrom", 0x8A3F0001u, "VACANCES");
    const QString cCle = CleDeChemin(Volumes, "/media/cdrom/DCIM/IMG_0001.JPG");
    EXPECT_EQ(cCle, "<-1975582719>/DCIM/IMG_0001.JPG");
    EXPECT_EQ(VolumeDeChemin(Volumes, "/media/cdrom/DCIM/IMG_0001.JPG"), -1975582719);

    Volumes.Retire("/media/cdrom");
    Volumes.AjouteCD("/run/media/ann/VACANCES", 0x8A3F0001u, "VACANCES");
    EXPECT_EQ(CleDeChemin(Volumes, "/run/media/ann/VACANCES/DCIM/IMG_0001.JPG"), cCle);
    // Not on a CD: the absolute path, volume 0.
    EXPECT_EQ(CleDeChemin(Volumes, "/media/cdrom/DCIM/IMG_0001.JPG"), "/media/cdrom/DCIM/IMG_0001.JPG");
    EXPECT_EQ(VolumeDeChemin(Volumes, "/media/cdrom/DCIM/IMG_0001.JPG"), 0);
}

TEST(CleImage, SimulatedCdFoundInOneFolderThenAnotherKeepsItsKeys)
{
    QTemporaryDir Tmp;
    ASSERT_TRUE(Tmp.isValid());
    const QString cDossierA = Tmp.path() + "/lecteur1";
    const QString cDossierB = Tmp.path() + "/ailleurs/lecteur2";
    ASSERT_TRUE(QDir().mkpath(cDossierA + "/DCIM"));
    QFile F(cDossierA + "/DCIM/IMG_0001.JPG");
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.close();

    auto Avec = [&](const QString &cDossier) {
        auto Base = std::make_unique<TVolumesFactices>();
        Base->Ajoute({"/", "ext4", "/dev/sda1", "", 0, false, 100});
        TCdSimule Cd;
        EXPECT_TRUE(AnalyseCdSimule(cDossier + "=8A3F0001:VACANCES", Cd));
        return TVolumesAvecCdSimules(std::move(Base), {Cd});
    };

    QString cCleA;
    {
        const auto Volumes = Avec(cDossierA);
        cCleA = CleDeChemin(Volumes, cDossierA + "/DCIM/IMG_0001.JPG");
        const TLecteursCD Lecteurs(Volumes);
        EXPECT_EQ(Lecteurs.CleDeChemin(cDossierA + "/DCIM/IMG_0001.JPG"), cCleA);
    }
    EXPECT_EQ(cCleA, "<-1975582719>/DCIM/IMG_0001.JPG");

    // The disc "moves": its folder is renamed, and the program started with the new folder.
    ASSERT_TRUE(QDir().mkpath(Tmp.path() + "/ailleurs"));
    ASSERT_TRUE(QDir().rename(cDossierA, cDossierB));
    const auto Volumes = Avec(cDossierB);
    EXPECT_EQ(CleDeChemin(Volumes, cDossierB + "/DCIM/IMG_0001.JPG"), cCleA);
    const TLecteursCD Lecteurs(Volumes);
    const TEnrLST Enr = DecomposeCle(cCleA);
    QString cLecteur;
    EXPECT_TRUE(LecteurDeCle(Lecteurs, Enr.nVolume, Enr.cChemin, cLecteur));
    EXPECT_EQ(cLecteur, cDossierB + "/");
    EXPECT_EQ(CheminFichierImage(Lecteurs, Enr.nVolume, Enr.cChemin), cDossierB + "/DCIM/IMG_0001.JPG");
}

TEST(CleImage, LecteurDeCleTriesEveryDriveOfTheSerialAndTellsAbsence)
{
    QTemporaryDir Tmp;
    ASSERT_TRUE(Tmp.isValid());
    ASSERT_TRUE(QDir().mkpath(Tmp.path() + "/cd1/DCIM"));
    ASSERT_TRUE(QDir().mkpath(Tmp.path() + "/cd2/DCIM"));
    QFile F(Tmp.path() + "/cd2/DCIM/b.jpg");
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.close();

    TVolumesFactices Volumes;
    Volumes.Ajoute({"/", "ext4", "", "", 0, false, 1});
    Volumes.AjouteCD(Tmp.path() + "/cd1", 42);
    Volumes.AjouteCD(Tmp.path() + "/cd2", 42);
    const TLecteursCD Lecteurs(Volumes);
    EXPECT_EQ(Lecteurs.PointsDeMontage(42), QStringList({Tmp.path() + "/cd1/", Tmp.path() + "/cd2/"}));

    QString cLecteur = "reste";
    EXPECT_TRUE(LecteurDeCle(Lecteurs, 42, "/DCIM/b.jpg", cLecteur));
    EXPECT_EQ(cLecteur, Tmp.path() + "/cd2/");
    EXPECT_FALSE(LecteurDeCle(Lecteurs, 42, "/DCIM/absent.jpg", cLecteur));
    EXPECT_TRUE(cLecteur.isEmpty());
    EXPECT_FALSE(LecteurDeCle(Lecteurs, 43, "/DCIM/b.jpg", cLecteur));
    EXPECT_FALSE(Lecteurs.Present(43));
    EXPECT_TRUE(CheminFichierImage(Lecteurs, 43, "/DCIM/b.jpg").isEmpty());

    // Volume 0: no drive, the test is on the path itself.
    EXPECT_TRUE(LecteurDeCle(Lecteurs, 0, Tmp.path() + "/cd2/DCIM/b.jpg", cLecteur));
    EXPECT_TRUE(cLecteur.isEmpty());
    EXPECT_FALSE(LecteurDeCle(Lecteurs, 0, Tmp.path() + "/cd1/DCIM/b.jpg", cLecteur));

    // The snapshot does not follow later changes: a listing sees one state of the drives.
    Volumes.Retire(Tmp.path() + "/cd2");
    EXPECT_TRUE(LecteurDeCle(Lecteurs, 42, "/DCIM/b.jpg", cLecteur));
    EXPECT_FALSE(LecteurDeCle(TLecteursCD(Volumes), 42, "/DCIM/b.jpg", cLecteur));
}

class Catalogue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        iniSetup = std::make_unique<TBigIniFile>(Tmp.path() + "/KX_Setup.ini");
        iniBDD = std::make_unique<TBigIniFile>(Tmp.path() + "/KX_BDD.ini", true);
        iniSetup->lAutoSave = false;
        iniBDD->lAutoSave = false;
    }
    QStringList Sections(const TBigIniFile &Ini) const
    {
        QStringList Liste;
        Ini.ReadSections(Liste);
        return Liste;
    }
    QStringList Cles(const TBigIniFile &Ini, const QString &cSection) const
    {
        QStringList Liste;
        Ini.ReadSection(cSection, Liste);
        return Liste;
    }

    QTemporaryDir Tmp;
    std::unique_ptr<TBigIniFile> iniSetup;
    std::unique_ptr<TBigIniFile> iniBDD;
};

TEST_F(Catalogue, ImageHasDataThroughCriteriaKeywordsFavouriteOrLegend)
{
    const QString a = "/photos/a.jpg";
    EXPECT_FALSE(ADesDonnees(*iniBDD, *iniSetup, a));
    iniSetup->WriteString("ROTATIONS", a, "90");
    iniSetup->WriteString("EXIF", a, "x|");
    EXPECT_FALSE(ADesDonnees(*iniBDD, *iniSetup, a));
    iniSetup->WriteString("COUPS DE COEUR", a, "");
    EXPECT_TRUE(ADesDonnees(*iniBDD, *iniSetup, a));
    EXPECT_FALSE(ADesDonnees(*iniBDD, *iniSetup, "/photos/A.jpg"));
    iniBDD->WriteString("/photos/b.jpg", "Lieux/France", "");
    EXPECT_TRUE(ADesDonnees(*iniBDD, *iniSetup, "/photos/b.jpg"));
    iniSetup->WriteString("LEGENDES", "/photos/c.jpg", "Rome");
    EXPECT_TRUE(ADesDonnees(*iniBDD, *iniSetup, "/photos/c.jpg"));
    iniSetup->WriteString("MOTS-CLES", "/photos/d.jpg", "PLAGE");
    EXPECT_TRUE(ADesDonnees(*iniBDD, *iniSetup, "/photos/d.jpg"));
}

TEST_F(Catalogue, AlbumNamesExpandToEveryAlbumSectionInStoreOrder)
{
    iniSetup->WriteString("SAUVEGARDE ALBUM WEB:Perso", "<aDossiers>", "Rome");
    iniSetup->WriteString("SAUVEGARDE ALBUM IMAGES:Vacances", "/a.jpg", "");
    iniSetup->WriteString("GENERAL", "x", "1");
    iniSetup->WriteString("SAUVEGARDE ALBUM WEB:Perso:Rome", "/a.jpg", "");
    iniSetup->WriteString("Sauvegarde album images:minuscules", "/a.jpg", "");
    iniSetup->WriteString("SAUVEGARDE ALBUM IMAGES:Noel", "/b.jpg", "");

    EXPECT_EQ(
        ListeSectionsImage(*iniSetup, cSectionsFichiersImages),
        QStringList({"ROTATIONS", "MIROIRS", "NOIR ET BLANC", "CONTRASTE LUMINOSITE", "NEGATIF", "CANAUX", "MOTS-CLES",
                     "COUPS DE COEUR", "LEGENDES", "SAUVEGARDE ALBUM IMAGES:Vacances", "SAUVEGARDE ALBUM IMAGES:Noel",
                     "SAUVEGARDE ALBUM WEB:Perso", "SAUVEGARDE ALBUM WEB:Perso:Rome", "RESOLUTIONS VIGNETTES"}));
    EXPECT_EQ(cSectionsFichiersImages.size(), 12);
    EXPECT_EQ(cSectionsMigration115.size(), 13);
    EXPECT_EQ(cSectionsHistoriqueCD.size(), 16);
    EXPECT_TRUE(cSectionsHistoriqueCD.contains("DESCRIPTIONS"));
    EXPECT_FALSE(cSectionsFichiersImages.contains("EXIF"));
    EXPECT_FALSE(cSectionsMigration115.contains("LEGENDES"));
}

// The lists are built from the named sections; what they hold, and in which order, is what the
// stores have always been walked by.
TEST(CleImage, WantedSectionListsNameTheStoredSectionsInOrder)
{
    const QStringList cTraitements = {"ROTATIONS", "MIROIRS", "NOIR ET BLANC", "CONTRASTE LUMINOSITE",
                                      "NEGATIF",   "CANAUX"};
    EXPECT_EQ(cSectionsFichiersImages,
              cTraitements
                  + QStringList({"MOTS-CLES", "COUPS DE COEUR", "LEGENDES", "SAUVEGARDE ALBUM IMAGES",
                                 "SAUVEGARDE ALBUM WEB", "RESOLUTIONS VIGNETTES"}));
    EXPECT_EQ(cSectionsMigration115,
              cTraitements
                  + QStringList({"MOTS-CLES", "COUPS DE COEUR", "EXIF", "SAUVEGARDE ALBUM IMAGES",
                                 "SAUVEGARDE ALBUM WEB", "TAILLES VIGNETTES", "RESOLUTIONS VIGNETTES"}));
    EXPECT_EQ(cSectionsHistoriqueCD,
              cTraitements
                  + QStringList({"MOTS-CLES", "COUPS DE COEUR", "LEGENDES", "EXIF", "IPTC", "DESCRIPTIONS",
                                 "SAUVEGARDE ALBUM IMAGES", "SAUVEGARDE ALBUM WEB", "TAILLES VIGNETTES",
                                 "RESOLUTIONS VIGNETTES"}));
}

TEST_F(Catalogue, RenameMovesExactlyTheKeysThatExisted)
{
    const QString a = "/photos/a.jpg";
    const QString b = "/photos/b.jpg";
    iniSetup->WriteString("MOTS-CLES", a, "PLAGE MER");
    iniSetup->WriteString("MOTS-CLES", "/photos/z.jpg", "NEIGE");
    iniSetup->WriteString("COUPS DE COEUR", a, "");
    iniSetup->WriteString("ROTATIONS", a, "90");
    iniSetup->WriteString("SAUVEGARDE ALBUM IMAGES:Vacances", a, "");
    iniSetup->WriteString("SAUVEGARDE ALBUM WEB:Perso:Rome", a, "");
    iniSetup->WriteString("LEGENDES", "/photos/z.jpg", "Rome");
    iniSetup->WriteString("EXIF", a, "cd only|");
    iniBDD->WriteString(a, "Lieux/France/Paris", "");
    iniBDD->WriteString(a, "Personnes/Ann", "");
    iniBDD->WriteString("/photos/z.jpg", "Lieux", "");

    EXPECT_TRUE(DeplaceDonnees(*iniSetup, *iniBDD, a, b));

    EXPECT_EQ(iniSetup->ReadString("MOTS-CLES", b, "?"), "PLAGE MER");
    EXPECT_EQ(Cles(*iniSetup, "MOTS-CLES"), QStringList({"/photos/z.jpg", b}));
    EXPECT_TRUE(iniSetup->ValueExists("COUPS DE COEUR", b));
    EXPECT_EQ(iniSetup->ReadString("ROTATIONS", b, "?"), "90");
    EXPECT_TRUE(iniSetup->ValueExists("SAUVEGARDE ALBUM IMAGES:Vacances", b));
    EXPECT_TRUE(iniSetup->ValueExists("SAUVEGARDE ALBUM WEB:Perso:Rome", b));
    // No key is created where the old one was absent; sections outside the list stay.
    EXPECT_FALSE(iniSetup->ValueExists("LEGENDES", b));
    EXPECT_FALSE(iniSetup->ValueExists("MIROIRS", b));
    EXPECT_TRUE(iniSetup->ValueExists("EXIF", a));
    EXPECT_FALSE(iniSetup->ValueExists("EXIF", b));
    for (const QString cSection : {"MOTS-CLES", "COUPS DE COEUR", "ROTATIONS", "SAUVEGARDE ALBUM IMAGES:Vacances"})
        EXPECT_FALSE(iniSetup->ValueExists(cSection, a)) << cSection.toStdString();

    EXPECT_FALSE(iniBDD->SectionExists(a));
    EXPECT_EQ(Cles(*iniBDD, b), QStringList({"Lieux/France/Paris", "Personnes/Ann"}));
    EXPECT_EQ(Sections(*iniBDD), QStringList({"/photos/z.jpg", b}));
    EXPECT_EQ(Cles(*iniBDD, "/photos/z.jpg"), QStringList({"Lieux"}));

    // Nothing to move, nothing at the target: no change to save.
    EXPECT_FALSE(DeplaceDonnees(*iniSetup, *iniBDD, "/photos/rien.jpg", "/photos/rien2.jpg"));
    EXPECT_FALSE(DeplaceDonnees(*iniSetup, *iniBDD, b, b));
    EXPECT_TRUE(iniBDD->SectionExists(b));
}

TEST_F(Catalogue, MoveOntoAKeyHoldingDataReplacesIt)
{
    const QString a = "/photos/a.jpg";
    const QString b = "/photos/b.jpg";
    iniSetup->WriteString("MOTS-CLES", a, "NOUVEAU");
    iniSetup->WriteString("MOTS-CLES", b, "ANCIEN");
    iniSetup->WriteString("LEGENDES", b, "Ancienne légende");
    iniBDD->WriteString(a, "Lieux/Rome", "");
    iniBDD->WriteString(b, "Lieux/Paris", "");
    iniBDD->WriteString(b, "Personnes/Bob", "");

    EXPECT_TRUE(DeplaceDonnees(*iniSetup, *iniBDD, a, b));
    EXPECT_EQ(iniSetup->ReadString("MOTS-CLES", b, "?"), "NOUVEAU");
    EXPECT_FALSE(iniSetup->ValueExists("LEGENDES", b));
    EXPECT_EQ(Cles(*iniBDD, b), QStringList({"Lieux/Rome"}));
    EXPECT_EQ(Sections(*iniBDD), QStringList({b}));

    // An image without data moved onto one with data leaves the target without data.
    iniSetup->WriteString("COUPS DE COEUR", "/photos/c.jpg", "");
    EXPECT_TRUE(DeplaceDonnees(*iniSetup, *iniBDD, "/photos/sans.jpg", "/photos/c.jpg"));
    EXPECT_FALSE(ADesDonnees(*iniBDD, *iniSetup, "/photos/c.jpg"));
}

TEST_F(Catalogue, ASectionSpelledTwiceIsMovedOnce)
{
    {
        QFile F(Tmp.path() + "/Deux.ini");
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write("[SAUVEGARDE ALBUM IMAGES:Rome]\r\n/p/a.jpg=\r\n[SAUVEGARDE ALBUM IMAGES:ROME]\r\n/p/c.jpg=\r\n");
    }
    TBigIniFile Ini(Tmp.path() + "/Deux.ini");
    Ini.lAutoSave = false;
    const QStringList cSections = ListeSectionsImage(Ini, {"SAUVEGARDE ALBUM IMAGES"});
    EXPECT_EQ(cSections, QStringList({"SAUVEGARDE ALBUM IMAGES:Rome"}));
    EXPECT_TRUE(
        DeplaceDonnees(Ini, *iniBDD, cSections + QStringList{"SAUVEGARDE ALBUM IMAGES:ROME"}, "/p/a.jpg", "/p/b.jpg"));
    EXPECT_TRUE(Ini.ValueExists("SAUVEGARDE ALBUM IMAGES:Rome", "/p/b.jpg"));
    EXPECT_FALSE(Ini.ValueExists("SAUVEGARDE ALBUM IMAGES:Rome", "/p/a.jpg"));
}

TEST_F(Catalogue, DeletingTakesTheKeyFromEverySectionOfTheList)
{
    const QString a = "<-1975582719>/DCIM/a.jpg";
    iniSetup->WriteString("MOTS-CLES", a, "PLAGE");
    iniSetup->WriteString("EXIF", a, "x|");
    iniSetup->WriteString("DESCRIPTIONS", a, "Plage");
    iniSetup->WriteString("SAUVEGARDE ALBUM IMAGES:V", a, "");
    iniSetup->WriteString("LABELS CD", "8a3f-1", "VACANCES");
    iniBDD->WriteString(a, "Lieux", "");

    const QStringList cFichiers = ListeSectionsImage(*iniSetup, cSectionsFichiersImages);
    EXPECT_TRUE(SupprimeDonnees(*iniSetup, cFichiers, a));
    EXPECT_FALSE(iniSetup->ValueExists("MOTS-CLES", a));
    EXPECT_FALSE(iniSetup->ValueExists("SAUVEGARDE ALBUM IMAGES:V", a));
    EXPECT_TRUE(iniSetup->ValueExists("EXIF", a));
    EXPECT_TRUE(SupprimeDonnees(*iniSetup, ListeSectionsImage(*iniSetup, cSectionsHistoriqueCD), a));
    EXPECT_FALSE(iniSetup->ValueExists("EXIF", a));
    EXPECT_FALSE(iniSetup->ValueExists("DESCRIPTIONS", a));
    EXPECT_TRUE(iniSetup->ValueExists("LABELS CD", "8a3f-1"));
    EXPECT_FALSE(SupprimeDonnees(*iniSetup, cFichiers, a));

    EXPECT_TRUE(SupprimeCriteres(*iniBDD, a));
    EXPECT_FALSE(iniBDD->SectionExists(a));
    EXPECT_FALSE(SupprimeCriteres(*iniBDD, a));
}

TEST_F(Catalogue, DeletingAnImageWithoutDataChangesNothing)
{
    iniSetup->WriteString("MOTS-CLES", "/p/b.jpg", "X");
    iniBDD->WriteString("/p/b.jpg", "Lieux", "");
    ASSERT_TRUE(iniSetup->UpdateFile());
    ASSERT_TRUE(iniBDD->UpdateFile());
    EXPECT_FALSE(SupprimeDonnees(*iniSetup, ListeSectionsImage(*iniSetup, cSectionsFichiersImages), "/p/a.jpg"));
    EXPECT_FALSE(SupprimeCriteres(*iniBDD, "/p/a.jpg"));
    // Keys compare with their case: B.jpg is another image.
    EXPECT_FALSE(SupprimeCriteres(*iniBDD, "/p/B.jpg"));
    EXPECT_FALSE(iniSetup->Modifie());
    EXPECT_FALSE(iniBDD->Modifie());
}

TEST(TailleImage, PacksSidesBelow65536AndReadsBackUnsigned)
{
    const TTailleImage Max{65535, 65535};
    ASSERT_TRUE(Max.Packe().has_value());
    // 65535 + 65536 × 65535 = 2^32 - 1: -1 as a signed 32-bit value.
    EXPECT_EQ(*Max.Packe(), -1);
    EXPECT_EQ(TTailleImage::DePacke(-1), Max);

    const TTailleImage Haute{100, 40000};
    // 100 + 65536 × 40000 = 2,621,440,100, above 2^31: stored negative, read back whole.
    EXPECT_EQ(*Haute.Packe(), static_cast<qint32>(2621440100LL - 4294967296LL));
    EXPECT_EQ(TTailleImage::DePacke(*Haute.Packe()), Haute);
    EXPECT_EQ((TTailleImage{3072, 2048}.Packe()), 3072 + 65536 * 2048);

    EXPECT_FALSE((TTailleImage{65536, 10}.Packe().has_value()));
    EXPECT_FALSE((TTailleImage{10, 65536}.Packe().has_value()));
    EXPECT_FALSE((TTailleImage{-1, 10}.Packe().has_value()));
}
