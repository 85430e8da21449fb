#include "thumbnails/ThumbnailCache.h"

#include "imaging/JpegCodec.h"
#include "imaging/ChargeImage.h"
#include "imaging/NomVignette.h"
#include "imaging/TailleEntete.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"
#include "support/Corpus.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

namespace
{
const QString cCorpus = Corpus::Dossier();

// A temporary data folder with its thumbnail folder and a settings store that never saves
// by itself, as the program opens it.
struct TBanc
{
    QTemporaryDir Temp;
    QString cVignettes;
    QString cImages;
    std::unique_ptr<TBigIniFile> iniSetup;
    TParamsVignettes Params;

    TBanc()
    {
        cVignettes = Temp.path() + "/Vignettes/";
        cImages = Temp.path() + "/Images/";
        QDir().mkpath(cVignettes);
        QDir().mkpath(cImages);
        iniSetup = std::make_unique<TBigIniFile>(Temp.path() + "/KX_Setup.ini");
        iniSetup->lAutoSave = false;
        Params.cDossierVignettes = cVignettes;
        Params.nD = 160;
    }

    // A JPEG of w × h made of two colour halves.
    QString Jpeg(const QString &cNom, int w, int h, QString cDossier = {})
    {
        if (cDossier.isEmpty())
            cDossier = cImages;
        QDir().mkpath(cDossier);
        QImage im(w, h, QImage::Format_RGB32);
        im.fill(QColor(200, 30, 30));
        for (int y = 0; y < h; ++y)
            for (int x = w / 2; x < w; ++x)
                im.setPixel(x, y, qRgb(20, 40, 220));
        const QString c = cDossier + cNom;
        EXPECT_TRUE(JpegCodec::Encode(im, c));
        return c;
    }

    QStringList FichiersCache() const
    {
        QStringList R;
        QDirIterator it(cVignettes, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            R << it.next();
        R.sort();
        return R;
    }
};

TImageVignette Locale(const QString &cChemin)
{
    TImageVignette i;
    i.cChemin = cChemin;
    i.lExiste = QFileInfo::exists(cChemin);
    return i;
}

// An image of a CD as the list builds it from the volumes: present when the disc is mounted.
TImageVignette SurCD(const IVolumes &Volumes, qint32 nSerie, const QString &cChemin)
{
    const TLecteursCD Lecteurs(Volumes);
    TImageVignette i;
    i.nNumCD = nSerie;
    i.cChemin = cChemin;
    QString cLecteur;
    i.lExiste = LecteurDeCle(Lecteurs, nSerie, cChemin, cLecteur);
    if (cLecteur.endsWith('/'))
        cLecteur.chop(1);
    i.cLecteur = cLecteur;
    return i;
}

void DateFichier(const QString &c, qint64 nSecondes)
{
    timespec t[2];
    t[0].tv_sec = nSecondes;
    t[0].tv_nsec = 0;
    t[1] = t[0];
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(c).constData(), t, 0), 0);
}

QByteArray Contenu(const QString &c)
{
    QFile f(c);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 DateDe(const QString &c)
{
    return QFileInfo(c).lastModified().toSecsSinceEpoch();
}
} // namespace

TEST(ThumbnailCache, SizesTableAndFitting)
{
    EXPECT_EQ(TailleVignette(0), 60);
    EXPECT_EQ(TailleVignette(5), 160);
    EXPECT_EQ(TailleVignette(9), 300);
    EXPECT_EQ(TailleVignette(10), 160);
    EXPECT_EQ(TailleVignette(-1), 160);
    // 640 × 480 at D = 160 is shown 160 × 120; a 97 × 200 portrait at D = 200 is 98 wide.
    EXPECT_EQ(TailleAjustee(640, 480, 160), QSize(160, 120));
    EXPECT_EQ(TailleAjustee(97, 200, 200), QSize(98, 200));
    EXPECT_EQ(TailleAjustee(3000, 4000, 160), QSize(120, 160));
    EXPECT_TRUE(TailleAjustee(0, 480, 160).isEmpty());
}

TEST(ThumbnailCache, FileNamesOfImagesOnDiskAndOnCd)
{
    TBanc b;
    const QString cImage = b.Jpeg("a.jpg", 640, 480, b.cImages + "Photos/");
    bool lModifie = false;
    const TResultatVignette r = FaitVignette(*b.iniSetup, b.Params, Locale(cImage), {}, lModifie);
    ASSERT_FALSE(r.lIllisible) << r.cErreur.toStdString();
    EXPECT_TRUE(r.lEcrite);
    EXPECT_EQ(r.Resolution, (TTailleImage{640, 480}));
    EXPECT_EQ(r.Image.size(), QSize(160, 120));
    QString cAttendu = cImage;
    cAttendu.replace('/', '^');
    EXPECT_EQ(b.FichiersCache(), QStringList{b.cVignettes + cAttendu + ".JPG"});
    // A JPEG off CDs stores nothing beside its thumbnail.
    EXPECT_FALSE(lModifie);
    EXPECT_FALSE(b.iniSetup->SectionExists(cSectionResolutionsVignettes));

    // The CD with serial 12 0034 (hexadecimal halves) keeps its thumbnails in "12-34".
    TBanc c;
    const QString cCD = c.Temp.path() + "/cdrom/";
    const QString cSurCD = c.Jpeg("b.JPG", 800, 600, cCD + "DCIM/");
    DateFichier(cSurCD, 1100000000);
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cCD, 0x120034, "VACANCES");
    const TImageVignette i = SurCD(Volumes, 0x120034, "/DCIM/b.JPG");
    ASSERT_TRUE(i.lExiste);
    int nAppelsMeta = 0;
    TSourcesDonneesCD Donnees;
    Donnees.EcritMetadonnees = [&](TBigIniFile &, const QString &cCle) {
        ++nAppelsMeta;
        EXPECT_EQ(cCle, "<1179700>/DCIM/b.JPG");
    };
    lModifie = false;
    const TResultatVignette rc = FaitVignette(*c.iniSetup, c.Params, i, Donnees, lModifie);
    ASSERT_FALSE(rc.lIllisible) << rc.cErreur.toStdString();
    const QString cT = c.cVignettes + "12-34/^DCIM^b.JPG.JPG";
    EXPECT_EQ(c.FichiersCache(), QStringList{cT});
    EXPECT_TRUE(lModifie);
    EXPECT_EQ(nAppelsMeta, 1);
    const QString cCle = "<1179700>/DCIM/b.JPG";
    EXPECT_EQ(c.iniSetup->ReadString(cSectionTaillesVignettes, cCle, ""), QString::number(QFileInfo(cSurCD).size()));
    EXPECT_EQ(c.iniSetup->ReadString(cSectionResolutionsVignettes, cCle, ""), QString::number(800 + 65536 * 600));
    // The thumbnail of a CD image carries the image's date, so that listings show it while
    // the CD is absent.
    EXPECT_EQ(DateDe(cT), 1100000000);
    // One save at the end of a batch, never one per thumbnail.
    EXPECT_FALSE(QFileInfo::exists(c.iniSetup->FileName()));
    EXPECT_TRUE(c.iniSetup->Modifie());
}

TEST(ThumbnailCache, SecondListingMakesNoFileAndReadsRawResolutionFromStore)
{
    TBanc b;
    const QString cSource = cCorpus + "/kinds/crw/gil_RAW_CANON_D30_SRGB.CRW";
    if (!QFileInfo::exists(cSource))
        GTEST_SKIP() << "corpus file missing";
    const QString cRaw = b.cImages + "IMG_0001.CRW";
    ASSERT_TRUE(QFile::copy(cSource, cRaw));
    DateFichier(cRaw, 1000000000);
    const QString cJpeg = b.Jpeg("p.jpg", 300, 200);

    bool lModifie = false;
    const TResultatVignette r1 = FaitVignette(*b.iniSetup, b.Params, Locale(cRaw), {}, lModifie);
    ASSERT_FALSE(r1.lIllisible) << r1.cErreur.toStdString();
    // The size the raw decoder gives, margins included (exiftool's 2160 × 1440 leaves them out).
    EXPECT_EQ(r1.Resolution, (TTailleImage{2176, 1448}));
    EXPECT_TRUE(lModifie);
    EXPECT_EQ(b.iniSetup->ReadString(cSectionResolutionsVignettes, cRaw, ""), QString::number(2176 + 65536 * 1448));
    FaitVignette(*b.iniSetup, b.Params, Locale(cJpeg), {}, lModifie);
    const QStringList Avant = b.FichiersCache();
    ASSERT_EQ(Avant.size(), 2);
    const QString cTRaw = NomVignette(b.cVignettes, 0, cRaw);
    EXPECT_EQ(DateDe(cTRaw), 1000000000);

    // The second time the raw is not decoded: its resolution is the stored one.
    b.iniSetup->WriteString(cSectionResolutionsVignettes, cRaw, QString::number(1234 + 65536 * 567));
    DateFichier(cTRaw, 1000000100);
    const qint64 nDateTJpeg = DateDe(NomVignette(b.cVignettes, 0, cJpeg));
    lModifie = false;
    const TResultatVignette r2 = FaitVignette(*b.iniSetup, b.Params, Locale(cRaw), {}, lModifie);
    const TResultatVignette r3 = FaitVignette(*b.iniSetup, b.Params, Locale(cJpeg), {}, lModifie);
    EXPECT_FALSE(r2.lEcrite);
    EXPECT_FALSE(r3.lEcrite);
    EXPECT_FALSE(lModifie);
    EXPECT_EQ(r2.Resolution, (TTailleImage{1234, 567}));
    EXPECT_EQ(r3.Resolution, (TTailleImage{300, 200}));
    EXPECT_EQ(r2.Vignette.Taille().width(), 160);
    // A cached file is read, not decoded: the grid keeps its very bytes.
    EXPECT_TRUE(r2.Image.isNull());
    EXPECT_TRUE(r3.Image.isNull());
    EXPECT_EQ(r3.Vignette.Octets(), Contenu(NomVignette(b.cVignettes, 0, cJpeg)));
    EXPECT_EQ(b.FichiersCache(), Avant);
    EXPECT_EQ(DateDe(cTRaw), 1000000100);
    EXPECT_EQ(DateDe(NomVignette(b.cVignettes, 0, cJpeg)), nDateTJpeg);

    // A smaller grid fits the cached file to the new size without remaking it.
    TParamsVignettes Petit = b.Params;
    Petit.nD = 100;
    const TResultatVignette r4 = FaitVignette(*b.iniSetup, Petit, Locale(cJpeg), {}, lModifie);
    EXPECT_EQ(r4.Vignette.Taille(), QSize(100, 67));
    EXPECT_EQ(r4.Vignette.Decode().size(), QSize(100, 67));
    EXPECT_FALSE(r4.lEcrite);
}

TEST(ThumbnailCache, InterruptingAtRowTenOfFiftyKeepsElevenThumbnails)
{
    TBanc b;
    QList<TImageVignette> Lignes;
    for (int i = 0; i < 50; ++i)
        Lignes << Locale(b.Jpeg(QString("img%1.jpg").arg(i, 2, 10, QChar('0')), 400, 300));

    QList<int> Appliquees;
    int nAvecImage = 0;
    TPiloteVignettes Pilote;
    Pilote.nFils = 2;
    Pilote.Prepare = [&](int n) { return PrepareVignette(*b.iniSetup, b.Params, Lignes[n]); };
    Pilote.Applique = [&](int n, const TTravailVignette &t, TResultatVignette &r) {
        Appliquees << n;
        EXPECT_EQ(t.Image.cChemin, Lignes[n].cChemin);
        if (!r.Image.isNull())
            ++nAvecImage;
    };
    Pilote.Interrompre = [](int n) { return n == 10; };
    EXPECT_EQ(ChargeVignettesEnOrdre(50, Pilote), 11);
    QList<int> Attendues;
    for (int i = 0; i <= 10; ++i)
        Attendues << i;
    EXPECT_EQ(Appliquees, Attendues);
    EXPECT_EQ(nAvecImage, 11);
    // Thumbnails decoded ahead for the rows dropped are not left behind.
    const QStringList Fichiers = b.FichiersCache();
    ASSERT_EQ(Fichiers.size(), 11);
    for (int i = 0; i <= 10; ++i)
        EXPECT_TRUE(Fichiers.contains(NomVignette(b.cVignettes, 0, Lignes[i].cChemin)));

    // Without interruption every row is applied once, in order, whatever the thread count.
    Appliquees.clear();
    Pilote.nFils = 0;
    Pilote.Interrompre = {};
    EXPECT_EQ(ChargeVignettesEnOrdre(50, Pilote), 50);
    Attendues.clear();
    for (int i = 0; i < 50; ++i)
        Attendues << i;
    EXPECT_EQ(Appliquees, Attendues);
    EXPECT_EQ(b.FichiersCache().size(), 50);
}

TEST(ThumbnailCache, NamesWithHashAndCaretAndOverlongNamesMapBack)
{
    TBanc b;
    const QString cImage = b.Jpeg("a#1^b%.jpg", 200, 100, b.cImages + "x:y/");
    bool lModifie = false;
    ASSERT_FALSE(FaitVignette(*b.iniSetup, b.Params, Locale(cImage), {}, lModifie).lIllisible);
    const QStringList f = b.FichiersCache();
    ASSERT_EQ(f.size(), 1);
    const QString cNom = QFileInfo(f[0]).fileName();
    EXPECT_TRUE(cNom.endsWith("x#y^a%231%5Eb%25.jpg.JPG")) << cNom.toStdString();
    EXPECT_EQ(ImageDeVignette(b.cVignettes, cNom), cImage);

    // A path too long for one file name gets a shortened name whose key is read from the file.
    QString cLong = b.cImages;
    for (int i = 0; i < 6; ++i)
        cLong += QString(50, QChar('a' + i)) + "/";
    const QString cImageLongue = b.Jpeg("photo.jpg", 120, 90, cLong);
    ASSERT_FALSE(FaitVignette(*b.iniSetup, b.Params, Locale(cImageLongue), {}, lModifie).lIllisible);
    const QString cT = NomVignette(b.cVignettes, 0, cImageLongue);
    ASSERT_TRUE(EstNomVignetteAbrege(QFileInfo(cT).fileName()));
    ASSERT_TRUE(QFileInfo::exists(cT));
    EXPECT_LE(QFileInfo(cT).fileName().toUtf8().size(), 255);
    EXPECT_EQ(ImageDeVignette(b.cVignettes, QFileInfo(cT).fileName()), cImageLongue);
    // The comment does not spoil the picture.
    EXPECT_EQ(JpegCodec::Decode(cT).size(), QSize(160, 120));

    // A shortened name whose key cannot be read is never taken for any image.
    const QString cEtranger = b.cVignettes + "zzz%~0123456789abcdef.JPG";
    QFile e(cEtranger);
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    e.write("not a jpeg");
    e.close();
    EXPECT_TRUE(ImageDeVignette(b.cVignettes, "zzz%~0123456789abcdef.JPG").isEmpty());
    // Nor is a CD thumbnail's name, nor a file of another kind.
    EXPECT_TRUE(ImageDeVignette(b.cVignettes, "^p^notes.txt.JPG").isEmpty());
    EXPECT_EQ(ImageDeVignette(b.cVignettes, "^p^a.JPG.JPG"), "/p/a.JPG");
}

TEST(ThumbnailCache, RemakeAndDeleteLeaveAbsentCdThumbnailsAlone)
{
    TBanc b;
    const QString cCD = b.Temp.path() + "/cdrom/";
    b.Jpeg("c.jpg", 640, 480, cCD + "DCIM/");
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cCD, 0x1A2B00C4, "ETE");
    const TImageVignette Present = SurCD(Volumes, 0x1A2B00C4, "/DCIM/c.jpg");
    ASSERT_TRUE(Present.lExiste);
    bool lModifie = false;
    ASSERT_FALSE(FaitVignette(*b.iniSetup, b.Params, Present, {}, lModifie).lIllisible);
    const QString cT = NomVignette(b.cVignettes, 0x1A2B00C4, "/DCIM/c.jpg");
    ASSERT_TRUE(QFileInfo::exists(cT));
    const QString cCle = Present.Cle();

    // The disc is taken out: its thumbnail is the only picture left of the image. The
    // commands get the entry as it was listed, while the disc was in; its mount folder stays,
    // empty.
    const QString cSorti = b.Temp.path() + "/cd-sorti";
    ASSERT_TRUE(Volumes.Retire(cCD));
    ASSERT_TRUE(QDir().rename(cCD, cSorti));
    ASSERT_TRUE(QDir().mkpath(cCD));
    const QByteArray Avant = Contenu(cT);
    lModifie = false;
    const TLecteursCD Lecteurs(Volumes);
    for (const TLecteursCD *pLecteurs : {&Lecteurs, static_cast<const TLecteursCD *>(nullptr)}) {
        EXPECT_FALSE(SupprimeVignette(*b.iniSetup, b.Params, Present, lModifie, pLecteurs));
        EXPECT_FALSE(EffaceVignettePourRecreer(b.Params, Present, pLecteurs));
        TResultatVignette r;
        EXPECT_FALSE(RecreeVignette(*b.iniSetup, b.Params, Present, {}, pLecteurs, r, lModifie));
        EXPECT_FALSE(ImageActuelle(Present, pLecteurs).lExiste);
    }
    EXPECT_EQ(Contenu(cT), Avant);
    EXPECT_FALSE(lModifie);
    EXPECT_TRUE(b.iniSetup->ValueExists(cSectionResolutionsVignettes, cCle));
    const TImageVignette Absent = SurCD(Volumes, 0x1A2B00C4, "/DCIM/c.jpg");
    ASSERT_FALSE(Absent.lExiste);
    // Shown from the cache while absent, with the stored resolution.
    const TResultatVignette r = FaitVignette(*b.iniSetup, b.Params, Absent, {}, lModifie);
    EXPECT_FALSE(r.lIllisible);
    EXPECT_EQ(r.Resolution, (TTailleImage{640, 480}));
    EXPECT_FALSE(r.lEcrite);

    // Back in the drive: deleting removes the file and the resolution, never the size, which
    // is the disc's history.
    ASSERT_TRUE(QDir().rmdir(cCD));
    ASSERT_TRUE(QDir().rename(cSorti, cCD));
    Volumes.AjouteCD(cCD, 0x1A2B00C4, "ETE");
    const TImageVignette DeRetour = SurCD(Volumes, 0x1A2B00C4, "/DCIM/c.jpg");
    QFile(cT).setPermissions(QFileDevice::ReadOwner);
    EXPECT_TRUE(SupprimeVignette(*b.iniSetup, b.Params, DeRetour, lModifie));
    EXPECT_FALSE(QFileInfo::exists(cT));
    EXPECT_TRUE(lModifie);
    EXPECT_FALSE(b.iniSetup->ValueExists(cSectionResolutionsVignettes, cCle));
    EXPECT_TRUE(b.iniSetup->ValueExists(cSectionTaillesVignettes, cCle));

    // An image off CDs loses both keys.
    const QString cTif = cCorpus + "/kinds/tif/exiv2_Reagan.tiff";
    if (QFileInfo::exists(cTif)) {
        const QString cLocal = b.cImages + "r.tif";
        ASSERT_TRUE(QFile::copy(cTif, cLocal));
        ASSERT_FALSE(FaitVignette(*b.iniSetup, b.Params, Locale(cLocal), {}, lModifie).lIllisible);
        EXPECT_EQ(b.iniSetup->ReadString(cSectionResolutionsVignettes, cLocal, ""), QString::number(200 + 65536 * 130));
        b.iniSetup->WriteString(cSectionTaillesVignettes, cLocal, "1");
        EXPECT_TRUE(SupprimeVignette(*b.iniSetup, b.Params, Locale(cLocal), lModifie));
        EXPECT_FALSE(b.iniSetup->ValueExists(cSectionResolutionsVignettes, cLocal));
        EXPECT_FALSE(b.iniSetup->ValueExists(cSectionTaillesVignettes, cLocal));
    }
}

TEST(ThumbnailCache, PlaceholdersAreNeverCached)
{
    TBanc b;
    const QString cFaux = b.cImages + "faux.jpg";
    QFile f(cFaux);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(500, 'x'));
    f.close();
    bool lModifie = false;
    const TResultatVignette r = FaitVignette(*b.iniSetup, b.Params, Locale(cFaux), {}, lModifie);
    EXPECT_TRUE(r.lIllisible);
    EXPECT_TRUE(r.Image.isNull());
    EXPECT_EQ(r.Resolution, (TTailleImage{160, 160}));
    EXPECT_FALSE(r.lEcrite);
    EXPECT_TRUE(b.FichiersCache().isEmpty());
    EXPECT_FALSE(lModifie);

    // A CD image whose disc is absent and whose thumbnail was never made.
    TVolumesFactices Volumes;
    const TImageVignette Absent = SurCD(Volumes, 77, "/DCIM/x.jpg");
    const TResultatVignette ra = FaitVignette(*b.iniSetup, b.Params, Absent, {}, lModifie);
    EXPECT_TRUE(ra.lIllisible);
    EXPECT_TRUE(b.FichiersCache().isEmpty());
    EXPECT_EQ(ImageRemplacement(*b.iniSetup, Absent, 160).size(), QSize(160, 160));

    // A damaged cache file of a reachable image is made again from the image.
    const QString cBon = b.Jpeg("bon.jpg", 320, 240);
    const QString cT = NomVignette(b.cVignettes, 0, cBon);
    QFile t(cT);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("\xFF\xD8\xFF");
    t.close();
    const TResultatVignette rb = FaitVignette(*b.iniSetup, b.Params, Locale(cBon), {}, lModifie);
    EXPECT_FALSE(rb.lIllisible);
    EXPECT_TRUE(rb.lEcrite);
    EXPECT_EQ(JpegCodec::Decode(cT).size(), QSize(160, 120));
}

TEST(ThumbnailCache, PurgeOfOldThumbnailsSparesCdFolders)
{
    TBanc b;
    const QString cA = b.Jpeg("a.png.jpg", 40, 30); // stands for any image
    const QString cVieux = b.cVignettes + "^p^vieux.tif.JPG";
    const QString cRecent = b.cVignettes + "^p^recent.tif.JPG";
    const QString cCD = b.cVignettes + "12-34/^DCIM^x.jpg.JPG";
    QDir().mkpath(b.cVignettes + "12-34");
    for (const QString &c : {cVieux, cRecent, cCD})
        ASSERT_TRUE(QFile::copy(cA, c));
    const QDate Jour(2020, 6, 15);
    DateFichier(cVieux, QDateTime(Jour.addDays(-1), QTime(23, 59)).toSecsSinceEpoch());
    DateFichier(cRecent, QDateTime(Jour, QTime(0, 0)).toSecsSinceEpoch());
    DateFichier(cCD, QDateTime(QDate(2001, 1, 1), QTime(0, 0)).toSecsSinceEpoch());
    b.iniSetup->WriteString(cSectionResolutionsVignettes, "/p/vieux.tif", "123");
    b.iniSetup->WriteString(cSectionResolutionsVignettes, "/p/recent.tif", "456");

    const QStringList Vieilles = VignettesAnciennes(b.cVignettes, Jour);
    EXPECT_EQ(Vieilles, QStringList{cVieux});
    EXPECT_EQ(SupprimeVignettesAnciennes(*b.iniSetup, b.cVignettes, Vieilles), 1);
    EXPECT_FALSE(QFileInfo::exists(cVieux));
    EXPECT_TRUE(QFileInfo::exists(cRecent));
    EXPECT_TRUE(QFileInfo::exists(cCD));
    EXPECT_FALSE(b.iniSetup->ValueExists(cSectionResolutionsVignettes, "/p/vieux.tif"));
    EXPECT_TRUE(b.iniSetup->ValueExists(cSectionResolutionsVignettes, "/p/recent.tif"));
    // The store is saved because a key went.
    EXPECT_TRUE(QFileInfo::exists(b.iniSetup->FileName()));
    EXPECT_FALSE(b.iniSetup->Modifie());
}

TEST(ThumbnailCache, CdDescriptionIsCopiedIntoTheStoreWhenDescriptionsAreHandled)
{
    TBanc b;
    const QString cCD = b.Temp.path() + "/cd/";
    b.Jpeg("d.jpg", 64, 48, cCD + "Photos/");
    b.Jpeg("e.jpg", 64, 48, cCD + "Photos/");
    QFile f(cCD + "Photos/descript.ion");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("d.jpg Le phare de Sein\r\ne.jpg Ouessant\r\n");
    f.close();
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cCD, 0x00AB0001);
    TDescriptions Descriptions(*b.iniSetup);
    TSourcesDonneesCD Donnees;
    Donnees.pDescriptions = &Descriptions;
    Donnees.lTrtDescription = false;
    bool lModifie = false;
    FaitVignette(*b.iniSetup, b.Params, SurCD(Volumes, 0x00AB0001, "/Photos/e.jpg"), Donnees, lModifie);
    Donnees.lTrtDescription = true;
    FaitVignette(*b.iniSetup, b.Params, SurCD(Volumes, 0x00AB0001, "/Photos/d.jpg"), Donnees, lModifie);
    const QString cCle = CleImage(0x00AB0001, "/Photos/d.jpg");
    EXPECT_EQ(b.iniSetup->ReadString(cSectionDescriptions, cCle, ""), "Le phare de Sein");
    // Read back while the disc is out.
    Volumes.Retire(cCD);
    EXPECT_EQ(Descriptions.DescriptionImage(0x00AB0001, "/Photos/d.jpg", nDescLecture), "Le phare de Sein");
    // Not copied while descriptions are not handled.
    EXPECT_FALSE(b.iniSetup->ValueExists(cSectionDescriptions, CleImage(0x00AB0001, "/Photos/e.jpg")));
}

TEST(ThumbnailCache, RemakeReplacesTheThumbnailOnlyWithAPictureDecodedWhole)
{
    TBanc b;
    const QString cImage = b.Jpeg("r.jpg", 640, 480);
    bool lModifie = false;
    ASSERT_FALSE(FaitVignette(*b.iniSetup, b.Params, Locale(cImage), {}, lModifie).lIllisible);
    const QString cT = NomVignette(b.cVignettes, 0, cImage);
    const QByteArray Avant = Contenu(cT);
    ASSERT_FALSE(Avant.isEmpty());

    // The image changed: the remake shows it.
    b.Jpeg("r.jpg", 300, 600);
    TResultatVignette r;
    EXPECT_TRUE(RecreeVignette(*b.iniSetup, b.Params, Locale(cImage), {}, nullptr, r, lModifie));
    EXPECT_EQ(r.Resolution, (TTailleImage{300, 600}));
    TTailleImage Taille;
    ASSERT_TRUE(JpegCodec::LitTaille(cT, Taille));
    EXPECT_EQ(Taille.nHauteur, 160);
    const QByteArray Refait = Contenu(cT);

    // Now it cannot be decoded: the thumbnail made before stays, whole.
    {
        QFile f(cImage);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\xFF\xD8\xFF\xE0 pas une image");
    }
    EXPECT_FALSE(RecreeVignette(*b.iniSetup, b.Params, Locale(cImage), {}, nullptr, r, lModifie));
    EXPECT_TRUE(r.lIllisible);
    EXPECT_EQ(Contenu(cT), Refait);

    // Gone since it was listed: nothing is touched.
    TImageVignette Listee = Locale(cImage);
    ASSERT_TRUE(QFile::remove(cImage));
    EXPECT_FALSE(RecreeVignette(*b.iniSetup, b.Params, Listee, {}, nullptr, r, lModifie));
    EXPECT_FALSE(SupprimeVignette(*b.iniSetup, b.Params, Listee, lModifie));
    EXPECT_EQ(Contenu(cT), Refait);
}

TEST(ThumbnailCache, RemakeFindsTheDiscInTheDriveItIsInNow)
{
    TBanc b;
    const QString cD = b.Temp.path() + "/lecteurD/";
    const QString cE = b.Temp.path() + "/lecteurE/";
    b.Jpeg("m.jpg", 200, 100, cD + "DCIM/");
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cD, 0x00C00001);
    const TImageVignette Listee = SurCD(Volumes, 0x00C00001, "/DCIM/m.jpg");
    ASSERT_TRUE(Listee.lExiste);
    // Ejected from one drive, put in the other.
    ASSERT_TRUE(Volumes.Retire(cD));
    ASSERT_TRUE(QDir().rename(cD, cE));
    Volumes.AjouteCD(cE, 0x00C00001);
    const TLecteursCD Lecteurs(Volumes);
    const TImageVignette Actuelle = ImageActuelle(Listee, &Lecteurs);
    EXPECT_TRUE(Actuelle.lExiste);
    EXPECT_EQ(Actuelle.cLecteur + "/", cE);
    TResultatVignette r;
    bool lModifie = false;
    EXPECT_TRUE(RecreeVignette(*b.iniSetup, b.Params, Listee, {}, &Lecteurs, r, lModifie));
    EXPECT_TRUE(lModifie);
    EXPECT_EQ(b.iniSetup->ReadString(cSectionResolutionsVignettes, Listee.Cle(), ""),
              QString::number(200 + 65536 * 100));
}

TEST(ThumbnailCache, ThumbnailWithoutItsDataGetsThemBackWithoutADecode)
{
    TBanc b;
    const QString cCD = b.Temp.path() + "/cd/";
    const QString cImage = b.Jpeg("k.jpg", 640, 480, cCD + "DCIM/");
    DateFichier(cImage, 1100000000);
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cCD, 0x00AB0002);
    const TImageVignette Image = SurCD(Volumes, 0x00AB0002, "/DCIM/k.jpg");
    int nMeta = 0;
    TSourcesDonneesCD Donnees;
    Donnees.EcritMetadonnees = [&](TBigIniFile &ini, const QString &cCle) {
        ++nMeta;
        ini.WriteString(cSectionEXIF, cCle, "Canon|");
    };
    bool lModifie = false;
    ASSERT_FALSE(FaitVignette(*b.iniSetup, b.Params, Image, Donnees, lModifie).lIllisible);
    const QString cCle = Image.Cle();
    const QString cT = NomVignette(b.cVignettes, 0x00AB0002, "/DCIM/k.jpg");
    ASSERT_EQ(nMeta, 1);

    // A stop before the store was saved: the thumbnail is there, its data are not. The cache
    // file is made recognisable, so that a new decode would show.
    for (const QString &cSection : {cSectionTaillesVignettes, cSectionResolutionsVignettes, cSectionEXIF})
        b.iniSetup->DeleteKey(cSection, cCle);
    QImage Vert(160, 120, QImage::Format_RGB32);
    Vert.fill(Qt::green);
    ASSERT_TRUE(JpegCodec::Encode(Vert, cT));
    const QByteArray Marque = Contenu(cT);

    lModifie = false;
    const TResultatVignette r = FaitVignette(*b.iniSetup, b.Params, Image, Donnees, lModifie);
    EXPECT_FALSE(r.lIllisible);
    EXPECT_FALSE(r.lEcrite);
    EXPECT_TRUE(lModifie);
    EXPECT_EQ(Contenu(cT), Marque);
    EXPECT_EQ(r.Resolution, (TTailleImage{640, 480}));
    EXPECT_EQ(b.iniSetup->ReadString(cSectionTaillesVignettes, cCle, ""), QString::number(QFileInfo(cImage).size()));
    EXPECT_EQ(b.iniSetup->ReadString(cSectionResolutionsVignettes, cCle, ""), QString::number(640 + 65536 * 480));
    EXPECT_EQ(b.iniSetup->ReadString(cSectionEXIF, cCle, ""), "Canon|");
    EXPECT_EQ(DateDe(cT), 1100000000);

    // Once they are there, a listing writes nothing.
    lModifie = false;
    FaitVignette(*b.iniSetup, b.Params, Image, Donnees, lModifie);
    EXPECT_FALSE(lModifie);
    EXPECT_EQ(nMeta, 2);

    // Out of the drive, nothing can be read: nothing is written.
    b.iniSetup->DeleteKey(cSectionTaillesVignettes, cCle);
    ASSERT_TRUE(Volumes.Retire(cCD));
    FaitVignette(*b.iniSetup, b.Params, SurCD(Volumes, 0x00AB0002, "/DCIM/k.jpg"), Donnees, lModifie);
    EXPECT_FALSE(lModifie);
    EXPECT_FALSE(b.iniSetup->ValueExists(cSectionTaillesVignettes, cCle));
}

TEST(ThumbnailCache, ImageNotJpegWithoutItsResolutionGetsItBackWithoutADecode)
{
    TBanc b;
    const QString cImage = b.cImages + "p.png";
    QImage Source(300, 200, QImage::Format_RGB32);
    Source.fill(Qt::red);
    ASSERT_TRUE(Source.save(cImage, "PNG"));
    bool lModifie = false;
    ASSERT_FALSE(FaitVignette(*b.iniSetup, b.Params, Locale(cImage), {}, lModifie).lIllisible);
    const QString cAttendu = QString::number(300 + 65536 * 200);
    ASSERT_EQ(b.iniSetup->ReadString(cSectionResolutionsVignettes, cImage, ""), cAttendu);
    const QString cT = NomVignette(b.cVignettes, 0, cImage);

    b.iniSetup->DeleteKey(cSectionResolutionsVignettes, cImage);
    QImage Vert(160, 107, QImage::Format_RGB32);
    Vert.fill(Qt::green);
    ASSERT_TRUE(JpegCodec::Encode(Vert, cT));
    const QByteArray Marque = Contenu(cT);
    lModifie = false;
    const TResultatVignette r = FaitVignette(*b.iniSetup, b.Params, Locale(cImage), {}, lModifie);
    EXPECT_TRUE(lModifie);
    EXPECT_FALSE(r.lEcrite);
    EXPECT_EQ(r.Resolution, (TTailleImage{300, 200}));
    EXPECT_EQ(b.iniSetup->ReadString(cSectionResolutionsVignettes, cImage, ""), cAttendu);
    EXPECT_EQ(Contenu(cT), Marque);
}

TEST(ThumbnailCache, HeaderSizesMatchTheSizesImagesLoadAt)
{
    TBanc b;
    TTailleImage t;
    EXPECT_TRUE(LitTailleEntete(b.Jpeg("j.jpg", 123, 45), t));
    EXPECT_EQ(t, (TTailleImage{123, 45}));

    QImage Png(77, 301, QImage::Format_ARGB32);
    Png.fill(Qt::transparent);
    ASSERT_TRUE(Png.save(b.cImages + "a.png", "PNG"));
    EXPECT_TRUE(LitTailleEntete(b.cImages + "a.png", t));
    EXPECT_EQ(t, (TTailleImage{77, 301}));
    // A PNG under a TIF name is read by its content, as loading does.
    ASSERT_TRUE(QFile::copy(b.cImages + "a.png", b.cImages + "a.tif"));
    EXPECT_TRUE(LitTailleEntete(b.cImages + "a.tif", t));
    EXPECT_EQ(t, (TTailleImage{77, 301}));

    // A header claiming a zero-wide picture, a text, a missing file.
    QByteArray Faux = Contenu(b.cImages + "a.png");
    Faux[16] = Faux[17] = Faux[18] = Faux[19] = 0;
    {
        QFile f(b.cImages + "faux.png");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Faux);
    }
    EXPECT_FALSE(LitTailleEntete(b.cImages + "faux.png", t));
    {
        QFile f(b.cImages + "texte.tif");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("II*\0 ceci n'est pas une image", 30);
    }
    EXPECT_FALSE(LitTailleEntete(b.cImages + "texte.tif", t));
    EXPECT_FALSE(LitTailleEntete(b.cImages + "absent.nef", t));

    // Real camera files, when the corpus is at hand: the header gives what a load gives.
    int nVus = 0;
    for (const char *cKind : {"tif", "cr2", "crw", "nef", "mrw"}) {
        QDirIterator It(cCorpus + "/kinds/" + cKind, QDir::Files);
        while (It.hasNext()) {
            const QString c = It.next();
            TTailleImage Chargee;
            try {
                Chargee = ChargeImage(c, true, 160, false).Taille;
            } catch (const EImageIllisible &) {
                continue;
            }
            ++nVus;
            EXPECT_TRUE(LitTailleEntete(c, t)) << c.toStdString();
            EXPECT_EQ(t, Chargee) << c.toStdString();
        }
    }
    if (nVus == 0)
        GTEST_SKIP() << "corpus absent: only generated files were checked";
}

TEST(ThumbnailCache, PurgeTellsWhenItsSaveFailedAndKeepsTheChangeForTheNextSave)
{
    TBanc b;
    const QString cVieux = b.cVignettes + "^p^vieux.tif.JPG";
    b.Jpeg("^p^vieux.tif.JPG", 40, 30, b.cVignettes);
    // The settings file cannot be replaced: a folder stands in its place.
    const QString cBloque = b.Temp.path() + "/bloque/KX_Setup.ini";
    ASSERT_TRUE(QDir().mkpath(cBloque + "/dedans"));
    TBigIniFile Setup(cBloque);
    Setup.lAutoSave = false;
    Setup.WriteString(cSectionResolutionsVignettes, "/p/vieux.tif", "123");
    bool lSauve = true;
    EXPECT_EQ(SupprimeVignettesAnciennes(Setup, b.cVignettes, {cVieux}, &lSauve), 1);
    EXPECT_FALSE(lSauve);
    EXPECT_FALSE(Setup.ValueExists(cSectionResolutionsVignettes, "/p/vieux.tif"));
    EXPECT_TRUE(Setup.Modifie());
    // Nothing to save is no failure.
    EXPECT_EQ(SupprimeVignettesAnciennes(Setup, b.cVignettes, {}, &lSauve), 0);
    EXPECT_TRUE(lSauve);
}
