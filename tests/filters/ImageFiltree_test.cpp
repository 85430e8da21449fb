#include "filters/Filtres.h"
#include "filters/ImageFiltree.h"
#include "metadata/CacheMeta.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"
#include "storage/Sections.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ComparaisonsFiltre;

namespace
{
qint64 Secondes(int j, int m, int a, int h = 0, int mn = 0)
{
    return QDateTime(QDate(a, m, j), QTime(h, mn)).toSecsSinceEpoch();
}

struct TFixture
{
    QTemporaryDir Temp;
    TBigIniFile iniSetup;
    TBigIniFile iniBDD;
    TEnrFiltres Enr;
    TContexteFiltre Ctx;
    TEtatFiltre Etat;

    TFixture()
        : iniSetup(QDir(Temp.path()).filePath("KX_Setup.ini")), iniBDD(QDir(Temp.path()).filePath("KX_BDD.ini"), true)
    {
        iniSetup.lAutoSave = false;
        iniBDD.lAutoSave = false;
        Ctx.iniSetup = &iniSetup;
        Ctx.iniBDD = &iniBDD;
    }
    // Prepares the record as it stands (derived flags first) and tests one candidate.
    bool Passe(TCandidatFiltre c)
    {
        CalculeIndicateurs(Enr, Enr.lMotif);
        EXPECT_FALSE(PrepareFiltre(Etat, Enr, Ctx).has_value());
        const bool l = ImageFiltree(Etat, c);
        LibereFiltre(Etat);
        return l;
    }
    static TCandidatFiltre Fichier(const QString &cChemin, qint64 nTaille = 100, qint64 nDate = 0)
    {
        TCandidatFiltre c;
        c.cChemin = cChemin;
        c.lTailleDate = true;
        c.nTaille = nTaille;
        c.nDate = nDate;
        c.lClasse = false;
        return c;
    }
    // A candidate whose file gives these metadata when read.
    static TCandidatFiltre AvecMeta(const TDonneesEXIF &x, const TDonneesIPTC &r = {},
                                    const QString &cChemin = "/photos/a.jpg", int *pLectures = nullptr)
    {
        TCandidatFiltre c = Fichier(cChemin);
        c.fnLitMeta = [x, r, pLectures](TDonneesEXIF &e, TDonneesIPTC &i) {
            e = x;
            i = r;
            if (pLectures)
                ++*pLectures;
        };
        return c;
    }
};

TDonneesEXIF Exif(const QString &cVitesse, const QString &cFocale = {})
{
    TDonneesEXIF x;
    x.cAppareil = "Canon EOS D60";
    x.cVitesse = cVitesse;
    x.cFocale = cFocale;
    x.lEXIF = true;
    return x;
}

TDonneesIPTC Mots(const QStringList &Mots)
{
    TDonneesIPTC r;
    r.cMotsClesIPTC = Mots.join(cSepIPTC);
    r.CalculeGroupes();
    return r;
}
}

TEST(ImageFiltree, AResetFilterPassesEveryImageWithoutLookingAtIt)
{
    TFixture f;
    int nLectures = 0;
    TCandidatFiltre c = TFixture::AvecMeta(Exif("1/125"), {}, "/absent/DSC0001.NEF", &nLectures);
    c.lTailleDate = false;
    EXPECT_TRUE(f.Passe(c));
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/x/y.png", 0, 0)));
    EXPECT_EQ(nLectures, 0);
    EXPECT_FALSE(f.Enr.lActif);
}

TEST(ImageFiltree, SizeLimitsAreStrictAndSixtyFourBit)
{
    TFixture f;
    f.Enr.lTailleInf = true;
    f.Enr.nTailleInf = 1000;
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/a.jpg", 999)));
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/a.jpg", 1000)));

    // A 3 GB TIF is larger than a 2 GB limit, not a negative size.
    f.Enr.lTailleInf = false;
    f.Enr.lTailleSup = true;
    f.Enr.nTailleSup = 2000000000;
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/grand.tif", 3000000000LL)));
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/petit.tif", 2000000000)));
}

TEST(ImageFiltree, DateLimitsExcludeTheDayItself)
{
    TFixture f;
    f.Enr.lDateAnt = true;
    f.Enr.dDateAnt = QDate(2005, 7, 14);
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/a.jpg", 10, Secondes(14, 7, 2005, 8))));
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/a.jpg", 10, Secondes(13, 7, 2005, 23, 59))));

    f.Enr.lDateAnt = false;
    f.Enr.lDatePst = true;
    f.Enr.dDatePst = QDate(2005, 7, 14);
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/a.jpg", 10, Secondes(14, 7, 2005, 23, 59))));
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/a.jpg", 10, Secondes(15, 7, 2005))));
}

TEST(ImageFiltree, NumberAndDateComparisons)
{
    // 1/125 < 1/60 (0.008 < 0.0167), read as fractions only where allowed.
    EXPECT_TRUE(TestNombre("1/125", "1/60", 1, true));
    EXPECT_FALSE(TestNombre("1/60", "1/125", 1, true));
    EXPECT_TRUE(TestNombre("2,8", "2.8", 3, false));
    EXPECT_TRUE(TestNombre("50", "35", 4, false));
    EXPECT_FALSE(TestNombre("1/125", "1", 1, false));
    // A filter text that does not read is ignored; an image value that does not read fails.
    EXPECT_TRUE(TestNombre("50", "abc", 3, false));
    EXPECT_TRUE(TestNombre("", "abc", 3, false));
    EXPECT_FALSE(TestNombre("", "50", 3, false));
    EXPECT_FALSE(TestNombre("inf", "50", 6, false));
    // "1/0" is no number: ignored as a filter, failing as a value.
    EXPECT_FALSE(LitNombre("1/0", true).has_value());
    EXPECT_TRUE(TestNombre("1/125", "1/0", 1, true));
    EXPECT_FALSE(TestNombre("1/0", "1/60", 1, true));
    // Operator 0 passes anything, and each operator compares image value with filter value.
    EXPECT_TRUE(TestNombre("", "50", 0, false));
    const bool Attendus[7] = {true, false, true, true, true, false, false};
    for (int op = 1; op <= 6; ++op)
        EXPECT_EQ(TestNombre("50", "50", op, false), Attendus[op]) << op;

    // Dates keep the day only.
    EXPECT_TRUE(TestDate("14/07/2005 18:30:05", "14/07/2005", 3));
    EXPECT_TRUE(TestDate("13/07/2005 23:59:59", "14/07/2005", 1));
    EXPECT_TRUE(TestDate("14/07/2005", "pas une date", 1));
    EXPECT_FALSE(TestDate("", "14/07/2005", 6));
}

TEST(ImageFiltree, ExifCriteriaReadTheFileOnceAndFailMissingValues)
{
    TFixture f;
    int nLectures = 0;
    f.Enr.nOpVitesse = 1;
    f.Enr.cFVitesse = "1/60";
    f.Enr.cFAppareil = "canon*";
    f.Enr.cFTitre = "*";
    EXPECT_TRUE(f.Passe(TFixture::AvecMeta(
        Exif("1/125"),
        [] {
            TDonneesIPTC r;
            r.cTitre = "Plage";
            r.CalculeGroupes();
            return r;
        }(),
        "/p/a.jpg", &nLectures)));
    EXPECT_EQ(nLectures, 1); // EXIF and IPTC from one read
    EXPECT_FALSE(f.Passe(TFixture::AvecMeta(Exif("1/30"))));

    // A focal text that does not read is ignored; a missing focal fails a valid criterion.
    f.Enr = TEnrFiltres();
    f.Enr.nOpFocale = 3;
    f.Enr.cFFocale = "abc";
    f.Enr.cFAppareil = "*";
    EXPECT_TRUE(f.Passe(TFixture::AvecMeta(Exif("1/125"))));
    f.Enr.cFFocale = "50";
    EXPECT_FALSE(f.Passe(TFixture::AvecMeta(Exif("1/125"))));
    EXPECT_TRUE(f.Passe(TFixture::AvecMeta(Exif("1/125", "50"))));

    // No EXIF at all fails.
    EXPECT_FALSE(f.Passe(TFixture::AvecMeta(TDonneesEXIF())));
}

TEST(ImageFiltree, KeywordMasksMustEachMatchAKeyword)
{
    TFixture f;
    f.Enr.cFMotsCles = QStringList({"MER", "PLAGE"}).join(cSepIPTC);
    EXPECT_TRUE(f.Passe(TFixture::AvecMeta({}, Mots({"mer", "plage", "soleil"}))));
    EXPECT_FALSE(f.Passe(TFixture::AvecMeta({}, Mots({"mer", "soleil"}))));
    // IPTC is read from JPEG files only.
    EXPECT_FALSE(f.Passe(TFixture::AvecMeta({}, Mots({"mer", "plage"}), "/p/a.nef")));
}

TEST(ImageFiltree, ModelsGetTheFileExtensionAppended)
{
    TFixture f;
    f.Enr.lModeles = true;
    f.Enr.cModeles = "img*";
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/IMG_0012.JPG")));
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/img_0013.jpeg")));
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/DSC0001.JPG")));
    f.Enr.cModeles = "img*.jpg";
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/IMG_0012.JPG")));
    // Any of several models.
    f.Enr.cModeles = "dsc* img*";
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/DSC0001.JPG")));
}

TEST(ImageFiltree, KindsFavouritesAndClassification)
{
    TFixture f;
    f.Enr.lRAW = false;
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/a.CR2")));
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/a.tif")));
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/a.jpg")));

    f.Enr = TEnrFiltres();
    f.Enr.nImages = 1;
    f.iniSetup.WriteString(cSectionCoupsDeCoeur, "/p/aime.jpg", "");
    EXPECT_TRUE(f.Passe(TFixture::Fichier("/p/aime.jpg")));
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/autre.jpg")));

    // Without the builder's answer, the stores are asked.
    f.Enr.nImages = 2;
    TCandidatFiltre c = TFixture::Fichier("/p/mots.jpg");
    c.lClasse.reset();
    EXPECT_FALSE(f.Passe(c));
    f.iniSetup.WriteString(cSectionMotsCles, "/p/mots.jpg", "MER");
    EXPECT_TRUE(f.Passe(c));
    f.Enr.nImages = 3;
    EXPECT_FALSE(f.Passe(c));
}

TEST(ImageFiltree, CdImagesAreKeyedOnTheDiscAndAbsentOnesUseTheCache)
{
    TFixture f;
    const QString cd = f.Temp.path() + "/cdrom/";
    QDir().mkpath(cd + "DCIM");
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cd, 0x8A3F0001u, "VACANCES");
    f.Ctx.pVolumes = &Volumes;
    const qint32 nCD = static_cast<qint32>(0x8A3F0001u);
    f.Enr.nImages = 1;
    f.iniSetup.WriteString(cSectionCoupsDeCoeur, "<-1975582719>/DCIM/a.jpg", "");
    TCandidatFiltre c = TFixture::Fichier(cd + "DCIM/a.jpg");
    c.nNumCD = nCD;
    EXPECT_TRUE(f.Passe(c));

    // An absent disc without a cached record fails an EXIF criterion in search and CD lists.
    f.Enr = TEnrFiltres();
    f.Enr.cFAppareil = "CANON*";
    TCandidatFiltre Absent = TFixture::AvecMeta(Exif("1/125"), {}, "/DCIM/b.jpg");
    Absent.nNumCD = static_cast<qint32>(0x12345678);
    EXPECT_FALSE(f.Passe(Absent));
    f.Ctx.lExploration = true;
    EXPECT_FALSE(f.Passe(Absent)); // nothing to read either
    f.Ctx.lExploration = false;
    TDonneesEXIF x = Exif("1/125");
    EcrireEXIFCatalogue(f.iniSetup, Absent.Cle(), x);
    EXPECT_TRUE(f.Passe(Absent));

    // Its size comes from the thumbnail sizes.
    f.Enr = TEnrFiltres();
    f.Enr.lTailleSup = true;
    f.Enr.nTailleSup = 5000;
    Absent.lTailleDate = false;
    EXPECT_FALSE(f.Passe(Absent));
    f.iniSetup.WriteString(cSectionTaillesVignettes, Absent.Cle(), "6000");
    EXPECT_TRUE(f.Passe(Absent));
}

TEST(ImageFiltree, ColourAndPatternGoThroughTheirSeams)
{
    TFixture f;
    f.Enr.nMethColorimetrie = 4;
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/a.jpg"))); // no test yet: the image fails
    f.Ctx.fnPctColorimetrie = [](TCandidatFiltre &c, const TEnrFiltres &) {
        return c.cChemin.endsWith("rouge.jpg") ? 80 : 40;
    };
    TCandidatFiltre c = TFixture::Fichier("/p/rouge.jpg");
    CalculeIndicateurs(f.Enr, false);
    ASSERT_FALSE(PrepareFiltre(f.Etat, f.Enr, f.Ctx));
    EXPECT_TRUE(ImageFiltree(f.Etat, c));
    EXPECT_EQ(c.nPctCouleur, 80);
    EXPECT_EQ(f.Enr.nResColorimetrie, 80);
    LibereFiltre(f.Etat);
    EXPECT_FALSE(f.Passe(TFixture::Fichier("/p/bleu.jpg")));
}

TEST(ImageFiltree, AnInvalidMaskStopsThePreparation)
{
    TFixture f;
    f.Enr.cFMotsCles = QStringList({"MER", "[A-"}).join(cSepIPTC);
    CalculeIndicateurs(f.Enr, false);
    const std::optional<TErreurModele> Erreur = PrepareFiltre(f.Etat, f.Enr, f.Ctx);
    ASSERT_TRUE(Erreur.has_value());
    EXPECT_EQ(Erreur->cModele, "[A-");
    EXPECT_TRUE(Erreur->Message().startsWith("'[A-' est un masque incorrect à ("));
    EXPECT_GT(Erreur->nPosition, 0);
    EXPECT_FALSE(f.Etat.Prepare());

    f.Enr = TEnrFiltres();
    f.Enr.lModeles = true;
    f.Enr.cModeles = "img* [dsc";
    CalculeIndicateurs(f.Enr, false);
    ASSERT_TRUE(PrepareFiltre(f.Etat, f.Enr, f.Ctx).has_value());
}

// One build reads each folder's descript.ion once: images of several folders, met in turn,
// each get their own folder's description, and a CD image the settings store's.
TEST(ImageFiltree, DescriptionsOfSeveralFoldersInOneBuild)
{
    TFixture f;
    TDescriptions Descriptions(f.iniSetup);
    const QString a = f.Temp.path() + "/a/", b = f.Temp.path() + "/b/";
    for (const QString &d : {a, b})
        ASSERT_TRUE(QDir().mkpath(d));
    const auto Ecrit = [](const QString &c, const QByteArray &t) {
        QFile F(c);
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write(t);
    };
    Ecrit(a + "descript.ion", "x.jpg vacances a la mer\r\ny.jpg bureau\r\n");
    Ecrit(b + "descript.ion", "x.jpg bureau\r\nY.JPG vacances au ski\r\n");
    Descriptions.DescriptionImage(3, "/DCIM/x.jpg", nDescEcriture, "vacances sur CD");
    f.Ctx.Descriptions = &Descriptions;
    f.Ctx.lTrtDescription = true;
    f.Enr.lDescription = true;
    f.Enr.cDescription = "*vacances*";
    CalculeIndicateurs(f.Enr, false);
    ASSERT_FALSE(PrepareFiltre(f.Etat, f.Enr, f.Ctx).has_value());
    QStringList Admis;
    for (const QString &p : {a + "x.jpg", b + "x.jpg", a + "y.jpg", b + "y.jpg", a + "x.jpg", b + "z.jpg"}) {
        TCandidatFiltre c = TFixture::Fichier(p);
        if (ImageFiltree(f.Etat, c))
            Admis << p.mid(f.Temp.path().size());
    }
    TCandidatFiltre Cd = TFixture::Fichier("/DCIM/x.jpg");
    Cd.nNumCD = 3;
    const bool lCd = ImageFiltree(f.Etat, Cd);
    LibereFiltre(f.Etat);
    EXPECT_EQ(Admis, QStringList({"/a/x.jpg", "/b/y.jpg", "/a/x.jpg"}));
    EXPECT_TRUE(lCd);
}
