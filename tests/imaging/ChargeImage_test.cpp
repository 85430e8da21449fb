#include "CorpusReference.h"

#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
QString FichierCorpus(const char *c)
{
    return CorpusReference::Dossier() + QLatin1Char('/') + QLatin1String(c);
}

struct TEtapes
{
    QList<int> Etapes, Pourcents;
    TProgresImage Gestion()
    {
        return [this](int e, int p) {
            Etapes.append(e);
            Pourcents.append(p);
        };
    }
    QList<int> PourcentsEtape1() const
    {
        QList<int> l;
        for (int i = 0; i < Etapes.size(); ++i)
            if (Etapes[i] == 1)
                l.append(Pourcents[i]);
        return l;
    }
};

bool SauvePng(const QImage &Image, const QString &c)
{
    return Image.save(c, "PNG");
}
}

TEST(ChargeImage, CrwThumbnailComesFromItsThmWhenAsked)
{
    // A JPEG from the same camera stands for the .THM that the camera writes.
    QTemporaryDir d;
    const QString cCrw = d.filePath("IMG_0001.CRW");
    ASSERT_TRUE(QFile::copy(FichierCorpus("kinds/crw/exiv2-canon-powershot-s40.crw"), cCrw));
    ASSERT_TRUE(QFile::copy(FichierCorpus("kinds/jpeg/exiv2-canon-powershot-s40.jpg"), d.filePath("IMG_0001.THM")));
    TTailleImage TailleCrw;
    ASSERT_TRUE(LitTailleCRW(cCrw, TailleCrw));

    const TImageChargee Thm = ChargeImage(cCrw, true, 160, true);
    EXPECT_TRUE(Thm.lJPEG);
    EXPECT_EQ(Thm.Image.size(), QSize(150, 91)); // the .THM picture (reference: 150 × 91)
    EXPECT_EQ(Thm.Taille, TailleCrw);            // the resolution is the CRW's

    // Setting off: the raw itself is asked, and this one has its pixels stripped.
    EXPECT_THROW(ChargeImage(cCrw, true, 160, false), EImageIllisible);
    // Full size never uses the .THM.
    EXPECT_THROW(ChargeImage(cCrw, false, 0, true), EImageIllisible);

    // A .THM that cannot be read is an error, not a silent fallback.
    QFile::remove(d.filePath("IMG_0001.THM"));
    {
        QFile f(d.filePath("IMG_0001.THM"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("garbage");
    }
    EXPECT_THROW(ChargeImage(cCrw, true, 160, true), EImageIllisible);
}

TEST(ChargeImage, CrwWithPixelsAndThm)
{
    QTemporaryDir d;
    const QString cCrw = d.filePath("d30.crw");
    ASSERT_TRUE(QFile::copy(FichierCorpus("kinds/crw/gil_RAW_CANON_D30_SRGB.CRW"), cCrw));
    ASSERT_TRUE(QFile::copy(FichierCorpus("kinds/jpeg/exiv2-canon-powershot-s40.jpg"), d.filePath("d30.thm")));
    // The size reader finds the frame of the embedded JPEG (1440 × 960 for this file).
    TTailleImage t;
    ASSERT_TRUE(LitTailleCRW(cCrw, t));
    EXPECT_EQ(t, (TTailleImage{1440, 960}));

    const TImageChargee Avec = ChargeImage(cCrw, true, 160, true);
    EXPECT_EQ(Avec.Image.size(), QSize(150, 91));
    EXPECT_EQ(Avec.Taille, (TTailleImage{1440, 960}));
    const TImageChargee Sans = ChargeImage(cCrw, true, 160, false);
    EXPECT_FALSE(Sans.lJPEG);
    EXPECT_EQ(Sans.Taille, (TTailleImage{2176, 1448}));
    // Its embedded preview (1440 × 960) fitted by its own proportions: 960 × 160 / 1440 = 106.67.
    EXPECT_EQ(Sans.Image.size(), QSize(160, 107));
}

TEST(ChargeImage, CrwSizeWalkIsBounded)
{
    QTemporaryDir d;
    const auto Crw = [&](const QByteArray &Marqueurs) {
        // Markers at offset 4 + 28 = 32, found through the trailer value 4.
        QByteArray b(32, '\0');
        b += Marqueurs;
        b += QByteArray(64, '\0');
        const qsizetype n = b.size() - 18;
        b[n] = 4;
        b[n + 1] = b[n + 2] = b[n + 3] = 0;
        QFile f(d.filePath("t.crw"));
        f.open(QIODevice::WriteOnly);
        f.write(b);
        f.close();
        TTailleImage t;
        return LitTailleCRW(f.fileName(), t) ? t : TTailleImage{-1, -1};
    };
    const QByteArray SOF = QByteArray::fromHex("0011080078009F03"); // 120 high, 159 wide
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFC0") + SOF), (TTailleImage{159, 120}));
    // Markers without length (start of image, restarts, padding) are stepped over.
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFD0FFFFFFD7FFC1") + SOF), (TTailleImage{159, 120}));
    // Every start-of-frame counts, but not C4 (tables), C8 and CC.
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFC2") + SOF), (TTailleImage{159, 120}));
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFCF") + SOF), (TTailleImage{159, 120}));
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFC40004AAAAFFC0") + SOF), (TTailleImage{159, 120}));
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFE1000600000000FFC0") + SOF), (TTailleImage{159, 120}));
    // A length below 2 would never move on; a length past the end or a stray byte stops.
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFE10000FFC0") + SOF), (TTailleImage{-1, -1}));
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFE10001FFC0") + SOF), (TTailleImage{-1, -1}));
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFE1FFFF")), (TTailleImage{-1, -1}));
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD812FFC0") + SOF), (TTailleImage{-1, -1}));
    EXPECT_EQ(Crw(QByteArray::fromHex("FFD8FFD9FFC0") + SOF), (TTailleImage{-1, -1}));

    // A trailer pointing past the end, or FFFFFFFF, gives no size.
    QByteArray b(100, '\0');
    b[82] = b[83] = b[84] = b[85] = char(0xFF);
    QFile f(d.filePath("u.crw"));
    f.open(QIODevice::WriteOnly);
    f.write(b);
    f.close();
    TTailleImage t;
    EXPECT_FALSE(LitTailleCRW(f.fileName(), t));
    b[85] = 0x7F;
    f.open(QIODevice::WriteOnly);
    f.write(b);
    f.close();
    EXPECT_FALSE(LitTailleCRW(f.fileName(), t));
    EXPECT_FALSE(LitTailleCRW(d.filePath("absent.crw"), t));
}

TEST(ChargeImage, LargeRawLikeImageThumbnailIsTheCentredCut)
{
    // 3000 × 2000 through the imaging layer: 160 × 107 cut from row 26 of the 160 × 160 bitmap.
    QImage Source(3000, 2000, QImage::Format_RGB32);
    Source.fill(qRgb(0, 0, 255));
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 3000; ++x)
            Source.setPixel(x, y, qRgb(255, 0, 0));
    QTemporaryDir d;
    const QString c = d.filePath("grand.png");
    ASSERT_TRUE(SauvePng(Source, c));
    TEtapes Suivi;
    const TImageChargee R = ChargeImage(c, true, 160, false, Suivi.Gestion());
    EXPECT_EQ(R.Taille, (TTailleImage{3000, 2000}));
    ASSERT_EQ(R.Image.size(), QSize(160, 107));
    // The cut starts at the picture's top (red) and ends at its bottom (blue): no white band.
    EXPECT_GT(qRed(R.Image.pixel(80, 0)), 200);
    EXPECT_LT(qBlue(R.Image.pixel(80, 0)), 60);
    EXPECT_GT(qBlue(R.Image.pixel(80, 106)), 200);
    EXPECT_LT(qRed(R.Image.pixel(80, 106)), 60);
    // Progress over the 160 rows of the bitmap: rows 0, 50, 100, 150 of 159.
    EXPECT_EQ(Suivi.Etapes.first(), 0);
    EXPECT_EQ(Suivi.Etapes.last(), 2);
    EXPECT_EQ(Suivi.PourcentsEtape1(), (QList<int>{0, 31, 63, 94}));
}

TEST(ChargeImage, ProgressOfFullLoads)
{
    QTemporaryDir d;
    QImage Image(7, 101, QImage::Format_RGB32);
    Image.fill(Qt::green);
    ASSERT_TRUE(SauvePng(Image, d.filePath("haut.png")));
    TEtapes Suivi;
    const TImageChargee R = ChargeImage(d.filePath("haut.png"), false, 0, false, Suivi.Gestion());
    EXPECT_EQ(R.Image.size(), QSize(7, 101));
    EXPECT_EQ(Suivi.PourcentsEtape1(), (QList<int>{0, 50, 100}));

    // One row: 100 %, not a division by zero.
    QImage Ligne(9, 1, QImage::Format_RGB32);
    Ligne.fill(Qt::green);
    ASSERT_TRUE(SauvePng(Ligne, d.filePath("ligne.png")));
    TEtapes Suivi1;
    EXPECT_EQ(ChargeImage(d.filePath("ligne.png"), false, 0, false, Suivi1.Gestion()).Image.size(), QSize(9, 1));
    EXPECT_EQ(Suivi1.PourcentsEtape1(), (QList<int>{100}));

    // A JPEG reports its decoding, from 0 to 100.
    TEtapes SuiviJ;
    ASSERT_TRUE(JpegCodec::Encode(Image, d.filePath("haut.jpg")));
    ChargeImage(d.filePath("haut.jpg"), false, 0, false, SuiviJ.Gestion());
    EXPECT_EQ(SuiviJ.Etapes.first(), 0);
    EXPECT_EQ(SuiviJ.Etapes.last(), 2);
    EXPECT_EQ(SuiviJ.PourcentsEtape1().first(), 0);
    EXPECT_EQ(SuiviJ.PourcentsEtape1().last(), 100);
}

TEST(ChargeImage, JpegThumbnailIsDecodedAtTheReduction)
{
    const TImageChargee D60 = ChargeImage(FichierCorpus("kinds/jpeg/mde_Canon_EOS_D60.jpg"), true, 160, false);
    EXPECT_EQ(D60.nEchelle, 8);
    EXPECT_EQ(D60.Taille, (TTailleImage{1772, 1181}));
    EXPECT_EQ(D60.Image.size(), QSize(222, 148)); // sides rounded up, as the decoder does

    CORPUS_FICHIER(c, "kinds/jpeg/mde_Canon_PowerShot_G11.jpg"); // 3648 × 2736
    const TImageChargee R = ChargeImage(c, true, 160, false);
    EXPECT_TRUE(R.lJPEG);
    EXPECT_EQ(R.nEchelle, 8);
    EXPECT_EQ(R.Taille, (TTailleImage{3648, 2736}));
    EXPECT_EQ(R.Image.size(), QSize(456, 342));
    const TImageChargee P = ChargeImage(c, false, 160, false);
    EXPECT_EQ(P.nEchelle, 1);
    EXPECT_EQ(P.Image.size(), QSize(3648, 2736));
}

TEST(ChargeImage, CorruptOrEmptyPicturesAreUnreadable)
{
    QTemporaryDir d;
    // Valid header, data cut: a photograph cut short shows the part decoded and grey below,
    // in both modes, as libjpeg makes it.
    QFile Source(FichierCorpus("kinds/jpeg/mde_Canon_EOS_D60.jpg"));
    ASSERT_TRUE(Source.open(QIODevice::ReadOnly));
    const QByteArray Bon = Source.readAll();
    QFile Coupe(d.filePath("coupe.jpg"));
    ASSERT_TRUE(Coupe.open(QIODevice::WriteOnly));
    Coupe.write(Bon.left(Bon.size() / 2));
    Coupe.close();
    TTailleImage t;
    EXPECT_TRUE(JpegCodec::LitTaille(Coupe.fileName(), t));
    const TImageChargee Pleine = ChargeImage(Coupe.fileName(), false, 0, false);
    ASSERT_EQ(Pleine.Image.size(), QSize(1772, 1181));
    EXPECT_EQ(Pleine.Image.pixel(900, 1180), qRgb(128, 128, 128));
    EXPECT_NE(Pleine.Image.pixel(900, 10), qRgb(128, 128, 128));
    const TImageChargee Reduite = ChargeImage(Coupe.fileName(), true, 160, false);
    EXPECT_EQ(Reduite.Image.size(), QSize(222, 148));
    EXPECT_EQ(Reduite.Taille, (TTailleImage{1772, 1181}));

    // A frame of width 0.
    QByteArray Zero = Bon;
    const qsizetype nSOF = Zero.indexOf(QByteArray::fromHex("FFC0"));
    ASSERT_GT(nSOF, 0);
    Zero[nSOF + 7] = Zero[nSOF + 8] = 0;
    QFile z(d.filePath("zero.jpg"));
    ASSERT_TRUE(z.open(QIODevice::WriteOnly));
    z.write(Zero);
    z.close();
    EXPECT_THROW(ChargeImage(z.fileName(), true, 160, false), EImageIllisible);

    // A TIFF declaring a width of 0.
    QByteArray Tiff = QByteArray::fromHex("49492A0008000000"
                                          "0300"
                                          "000103000100000000000000" // ImageWidth 0
                                          "010103000100000010000000" // ImageLength 16
                                          "020103000100000008000000" // BitsPerSample 8
                                          "00000000");
    QFile tz(d.filePath("zero.tif"));
    ASSERT_TRUE(tz.open(QIODevice::WriteOnly));
    tz.write(Tiff);
    tz.close();
    EXPECT_THROW(ChargeImage(tz.fileName(), false, 0, false), EImageIllisible);

    EXPECT_THROW(ChargeImage(d.filePath("absente.png"), false, 0, false), EImageIllisible);
    EXPECT_THROW(ChargeImage(FichierCorpus("kinds/jpeg/exiftool_Canon.jpg"), true, 0, false), EImageIllisible);
}

TEST(ChargeImage, ErrorPlaceholder)
{
    const QImage p = ImageErreur(160);
    ASSERT_EQ(p.size(), QSize(160, 160));
    const QRgb Blanc = qRgb(255, 255, 255), Rouge = qRgb(255, 0, 0);
    EXPECT_EQ(p.pixel(0, 0), Blanc);
    EXPECT_EQ(p.pixel(12, 12), Blanc); // outside the ellipse inset 10
    EXPECT_EQ(p.pixel(80, 5), Blanc);
    EXPECT_EQ(p.pixel(80, 30), Rouge);
    EXPECT_EQ(p.pixel(80, 130), Rouge);
    EXPECT_EQ(p.pixel(15, 80), Rouge); // left of the bar
    EXPECT_EQ(p.pixel(20, 80), Blanc); // the bar from (20, 70) to (140, 90)
    EXPECT_EQ(p.pixel(139, 70), Blanc);
    EXPECT_EQ(p.pixel(139, 89), Blanc);
    EXPECT_EQ(p.pixel(139, 69), Rouge);
    EXPECT_EQ(p.pixel(139, 90), Rouge);
    EXPECT_EQ(p.pixel(140, 80), Rouge);
    EXPECT_EQ(ImageErreur(200).pixel(100, 40), Rouge);
    EXPECT_EQ(ImageErreur(200).pixel(100, 95), Blanc);
}

TEST(ChargeImage, AbsentCdPlaceholder)
{
    const QImage p = ImageNonTrouvee(160, QStringLiteral("8a3f-1c2d"), QString());
    ASSERT_EQ(p.size(), QSize(160, 160));
    const QRgb Gris = qRgb(128, 128, 128), Argent = qRgb(192, 192, 192), Blanc = qRgb(255, 255, 255);
    EXPECT_EQ(p.pixel(159, 159), Blanc);
    EXPECT_EQ(p.pixel(80, 148), Gris); // between the ellipses inset 10 and 15
    EXPECT_EQ(p.pixel(148, 80), Gris);
    EXPECT_EQ(p.pixel(80, 140), Argent);
    EXPECT_EQ(p.pixel(120, 120), Argent);
    EXPECT_EQ(p.pixel(80, 80), Blanc); // the white circle of diameter 30 in the centre
    EXPECT_EQ(p.pixel(88, 88), Blanc);
    // Its black outline crosses the vertical through the centre at 15 pixels below it.
    bool lNoir = false;
    for (int y = 93; y <= 96; ++y)
        lNoir |= p.pixel(80, y) == qRgb(0, 0, 0);
    EXPECT_TRUE(lNoir);
    EXPECT_EQ(p.pixel(80, 100), Argent);
}
