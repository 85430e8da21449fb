#include "CorpusReference.h"

#include "imaging/ChargeImage.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <thread>

namespace
{
// A 16-bit RGB (or grey + alpha) PNG written with libpng, with known values per pixel.
bool EcritPng16(const QString &cChemin, int w, int h, bool lGrisAlpha)
{
    std::FILE *f = std::fopen(QFile::encodeName(cChemin).constData(), "wb");
    if (!f)
        return false;
    png_structp p = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop i = png_create_info_struct(p);
    if (setjmp(png_jmpbuf(p))) {
        png_destroy_write_struct(&p, &i);
        std::fclose(f);
        return false;
    }
    png_init_io(p, f);
    png_set_IHDR(p, i, w, h, 16, lGrisAlpha ? PNG_COLOR_TYPE_GRAY_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(p, i);
    const int nCanaux = lGrisAlpha ? 2 : 3;
    std::vector<png_byte> Ligne(size_t(w) * nCanaux * 2);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const quint16 v[3] = {quint16(x * 1000), quint16(y * 1000), quint16(65535 - x * 500)};
            for (int c = 0; c < nCanaux; ++c) {
                const quint16 n = lGrisAlpha && c == 1 ? 65535 : v[c];
                Ligne[(size_t(x) * nCanaux + c) * 2] = png_byte(n >> 8);
                Ligne[(size_t(x) * nCanaux + c) * 2 + 1] = png_byte(n & 0xFF);
            }
        }
        png_write_row(p, Ligne.data());
    }
    png_write_end(p, nullptr);
    png_destroy_write_struct(&p, &i);
    std::fclose(f);
    return true;
}

// A TIFF written with libtiff: nBits per sample, nCanaux samples (3 RGB, 4 CMYK), an optional
// orientation tag, and the sample values given by Valeur(x, y, canal).
template <typename F>
bool EcritTiff(const QString &cChemin, int w, int h, int nBits, int nCanaux, int nOrientation, F Valeur)
{
    TIFF *t = TIFFOpen(QFile::encodeName(cChemin).constData(), "w");
    if (!t)
        return false;
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, nBits);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, nCanaux);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, nCanaux == 4 ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB);
    if (nCanaux == 4)
        TIFFSetField(t, TIFFTAG_INKSET, INKSET_CMYK);
    if (nOrientation)
        TIFFSetField(t, TIFFTAG_ORIENTATION, nOrientation);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 8);
    std::vector<uchar> Ligne(size_t(w) * nCanaux * nBits / 8);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < nCanaux; ++c) {
                const quint32 v = Valeur(x, y, c);
                if (nBits == 16)
                    reinterpret_cast<quint16 *>(Ligne.data())[size_t(x) * nCanaux + c] = quint16(v);
                else
                    Ligne[size_t(x) * nCanaux + c] = uchar(v);
            }
        if (TIFFWriteScanline(t, Ligne.data(), y, 0) < 0) {
            TIFFClose(t);
            return false;
        }
    }
    TIFFClose(t);
    return true;
}

void Proche(QRgb p, int r, int g, int b, int nTolerance, const char *cOu)
{
    EXPECT_NEAR(qRed(p), r, nTolerance) << cOu;
    EXPECT_NEAR(qGreen(p), g, nTolerance) << cOu;
    EXPECT_NEAR(qBlue(p), b, nTolerance) << cOu;
}

QRgb Moyenne(const QImage &Image)
{
    qint64 r = 0, g = 0, b = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x) {
            const QRgb p = Image.pixel(x, y);
            r += qRed(p);
            g += qGreen(p);
            b += qBlue(p);
        }
    const qint64 n = qint64(Image.width()) * Image.height();
    return qRgb(int(r / n), int(g / n), int(b / n));
}
}

TEST(Imaging, ThumbnailRectangleRoundsHalvesToEven)
{
    EXPECT_EQ(Imaging::RectangleVignette(3000, 2000, 160), QRect(0, 26, 160, 107));
    EXPECT_EQ(Imaging::RectangleVignette(2000, 3000, 160), QRect(26, 0, 107, 160));
    EXPECT_EQ(Imaging::RectangleVignette(100, 100, 160), QRect(0, 0, 160, 160));
    EXPECT_EQ(Imaging::RectangleVignette(320, 3, 160), QRect(0, 79, 160, 2)); // 1.5 → 2
    EXPECT_EQ(Imaging::RectangleVignette(320, 5, 160), QRect(0, 79, 160, 2)); // 2.5 → 2
    EXPECT_EQ(Imaging::RectangleVignette(320, 7, 160), QRect(0, 78, 160, 4)); // 3.5 → 4
    EXPECT_EQ(Imaging::RectangleVignette(5, 320, 160), QRect(79, 0, 2, 160));
    // A panorama far wider than tall still keeps one row.
    EXPECT_EQ(Imaging::RectangleVignette(60000, 10, 160).height(), 1);
    EXPECT_TRUE(Imaging::RectangleVignette(0, 10, 160).isEmpty());
}

TEST(Imaging, CorpusPicturesDecodeToTheirReferenceSize)
{
    const QRegularExpression Genre(QStringLiteral("^kinds/(jpeg|tif|png)/"));
    int nVus = 0;
    for (const auto &l : CorpusReference::Lignes()) {
        if (!Genre.match(l.cFichier).hasMatch())
            continue;
        ++nVus;
        const QString c = CorpusReference::Dossier() + QLatin1Char('/') + l.cFichier;
        const qint64 w = l.Champs.value("ImageWidth").toLongLong(), h = l.Champs.value("ImageHeight").toLongLong();
        SCOPED_TRACE(l.cFichier.toStdString());
        ASSERT_GT(w, 0);
        try {
            const TImageChargee Pleine = ChargeImage(c, false, 0, false);
            EXPECT_EQ(Pleine.Taille, (TTailleImage{w, h}));
            EXPECT_EQ(Pleine.Image.size(), QSize(int(w), int(h)));
            EXPECT_TRUE(Pleine.Image.format() == QImage::Format_RGB32
                        || Pleine.Image.format() == QImage::Format_ARGB32);

            const TImageChargee Vignette = ChargeImage(c, true, 160, false);
            EXPECT_EQ(Vignette.Taille, (TTailleImage{w, h}));
            if (Vignette.lJPEG) {
                const int s = JpegCodec::EchellePour(qMax(w, h), 160);
                EXPECT_EQ(Vignette.nEchelle, s);
                EXPECT_EQ(Vignette.Image.size(), QSize(int((w + s - 1) / s), int((h + s - 1) / s)));
            } else {
                EXPECT_EQ(Vignette.Image.size(), Imaging::RectangleVignette(w, h, 160).size());
            }
        } catch (const EImageIllisible &e) {
            ADD_FAILURE() << e.what();
        }
    }
    EXPECT_GT(nVus, Corpus::Minimum(90, 50));
}

TEST(Imaging, CmykJpegKeepsItsColours)
{
    // Expected means from ImageMagick 6.9.11 ("-colorspace sRGB", no colour profile): 96.4,
    // 58.3, 50.5. An ink taken the wrong way round would invert or wash the picture out.
    const QString cDossier = CorpusReference::Dossier() + QStringLiteral("/kinds/jpeg/");
    const QImage Cmjn = ChargeImage(cDossier + "go_video-001.cmyk.jpeg", false, 0, false).Image;
    ASSERT_EQ(Cmjn.size(), QSize(150, 103));
    Proche(Moyenne(Cmjn), 96, 58, 50, 2, "moyenne");
}

TEST(Imaging, SixteenBitPngShowsItsPicture)
{
    QTemporaryDir d;
    const QString cRvb = d.filePath("rvb16.png"), cGris = d.filePath("gris16.png");
    ASSERT_TRUE(EcritPng16(cRvb, 40, 30, false));
    ASSERT_TRUE(EcritPng16(cGris, 40, 30, true));
    const TImageChargee R = ChargeImage(cRvb, false, 0, false);
    ASSERT_EQ(R.Image.size(), QSize(40, 30));
    for (auto [x, y] : {std::pair{0, 0}, {10, 5}, {39, 29}})
        Proche(R.Image.pixel(x, y), x * 1000 / 257, y * 1000 / 257, (65535 - x * 500) / 257, 1, "rvb");
    const TImageChargee G = ChargeImage(cGris, false, 0, false);
    ASSERT_EQ(G.Image.size(), QSize(40, 30));
    Proche(G.Image.pixel(20, 3), 20 * 1000 / 257, 20 * 1000 / 257, 20 * 1000 / 257, 1, "gris");
    EXPECT_EQ(qAlpha(G.Image.pixel(20, 3)), 255);
}

TEST(Imaging, TiffDepthsAndLayoutsBecome32Bit)
{
    QTemporaryDir d;
    const QString c16 = d.filePath("rvb16.tif"), cCmjn = d.filePath("cmjn.tif");
    ASSERT_TRUE(EcritTiff(c16, 20, 10, 16, 3, 0, [](int x, int y, int c) {
        return quint32(c == 0 ? x * 3000 : c == 1 ? y * 6000 : 40000);
    }));
    ASSERT_TRUE(EcritTiff(cCmjn, 4, 4, 8, 4, 0, [](int x, int, int c) {
        // left half pure cyan, right half black through K
        return quint32(x < 2 ? (c == 0 ? 255 : 0) : (c == 3 ? 255 : 0));
    }));
    const TImageChargee T16 = ChargeImage(c16, false, 0, false);
    ASSERT_EQ(T16.Image.size(), QSize(20, 10));
    Proche(T16.Image.pixel(15, 7), 15 * 3000 / 257, 7 * 6000 / 257, 40000 / 257, 1, "16 bits");
    const TImageChargee C = ChargeImage(cCmjn, false, 0, false);
    ASSERT_EQ(C.Image.size(), QSize(4, 4));
    Proche(C.Image.pixel(0, 0), 0, 255, 255, 1, "cyan");
    Proche(C.Image.pixel(3, 3), 0, 0, 0, 1, "noir");
}

TEST(Imaging, TiffOrientationIsNotApplied)
{
    // Orientations 3 (upside down) and 6 (rotated) must come out exactly as stored: the
    // remembered treatments turn the picture, once.
    for (int nOrientation : {1, 3, 4, 6, 8}) {
        QTemporaryDir d;
        const QString c = d.filePath("o.tif");
        ASSERT_TRUE(EcritTiff(c, 6, 3, 8, 3, nOrientation, [](int x, int y, int k) {
            return quint32(x == 0 && y == 0 ? (k == 0 ? 255 : 0) : (k == 2 ? 255 : 0));
        }));
        const TImageChargee R = ChargeImage(c, false, 0, false);
        ASSERT_EQ(R.Image.size(), QSize(6, 3)) << nOrientation;
        Proche(R.Image.pixel(0, 0), 255, 0, 0, 0, "coin");
        Proche(R.Image.pixel(5, 2), 0, 0, 255, 0, "reste");
    }
}

TEST(Imaging, CorpusRawsGivePreviewOrError)
{
    const QString cDossier = CorpusReference::Dossier() + QStringLiteral("/kinds/");
    for (const char *cGenre : {"cr2", "crw", "nef", "mrw", "raf"}) {
        for (const QFileInfo &fi : QDir(cDossier + QLatin1String(cGenre)).entryInfoList(QDir::Files)) {
            SCOPED_TRACE(fi.fileName().toStdString());
            try {
                const TImageChargee R = ChargeImage(fi.filePath(), true, 160, false);
                EXPECT_FALSE(R.Image.isNull());
                EXPECT_LE(R.Image.width(), 160);
                EXPECT_LE(R.Image.height(), 160);
                EXPECT_EQ(qMax(R.Image.width(), R.Image.height()), 160);
            } catch (const EImageIllisible &e) {
                EXPECT_FALSE(e.Message().isEmpty());
            }
        }
    }
    // The RAF holds an embedded JPEG: its thumbnail is that picture.
    EXPECT_NO_THROW(ChargeImage(cDossier + "raf/exiftool_FujiFilm.raf", true, 160, false));
    // Stripped raws without preview are unreadable, even at full size.
    EXPECT_THROW(ChargeImage(cDossier + "nef/exiftool_Nikon.nef", false, 0, false), EImageIllisible);
}

TEST(Imaging, CompleteRawDecodesFullyAndAsThumbnail)
{
    const QString c = CorpusReference::Dossier() + QStringLiteral("/kinds/crw/gil_RAW_CANON_D30_SRGB.CRW");
    const TImageChargee Pleine = ChargeImage(c, false, 0, false);
    EXPECT_EQ(Pleine.Taille, (TTailleImage{2176, 1448}));
    EXPECT_EQ(Pleine.Image.size(), QSize(2176, 1448));
    // A developed photograph is not flat.
    const QRgb m = Moyenne(Pleine.Image.scaled(64, 64));
    EXPECT_GT(qRed(m) + qGreen(m) + qBlue(m), 30);
    EXPECT_LT(qRed(m) + qGreen(m) + qBlue(m), 3 * 245);

    const TImageChargee Vignette = ChargeImage(c, true, 160, false);
    EXPECT_EQ(Vignette.Taille, (TTailleImage{2176, 1448}));
    // The embedded preview, 1440 × 960, fitted by its own proportions (960 × 160 / 1440 = 106.67),
    // not by the developed size's (1448 × 160 / 2176 = 106.47).
    EXPECT_EQ(Vignette.Image.size(), QSize(160, 107));
}

TEST(Imaging, DecodingRunsOnSeveralThreadsAtOnce)
{
    const QString cDossier = CorpusReference::Dossier() + QStringLiteral("/kinds/");
    const QStringList Fichiers{cDossier + "png/go_video-001.png", cDossier + "tif/ximage_video-001.tiff",
                               cDossier + "jpeg/mde_Canon_EOS_D60.jpg", cDossier + "raf/exiftool_FujiFilm.raf"};
    QList<QImage> Attendues;
    for (const QString &c : Fichiers)
        Attendues.append(ChargeImage(c, true, 160, false).Image);
    std::vector<std::thread> Fils;
    std::vector<int> Egales(8, 0);
    for (int i = 0; i < 8; ++i)
        Fils.emplace_back([&, i] {
            const int k = i % Fichiers.size();
            Egales[i] = ChargeImage(Fichiers[k], true, 160, false).Image == Attendues[k];
        });
    for (auto &f : Fils)
        f.join();
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(Egales[i]) << i;
}

TEST(Imaging, VersionTextNamesTheLibraries)
{
    const QString c = Imaging::TexteVersion();
    for (const char *cNom : {"LibRaw \\d", "libtiff \\d", "libpng \\d", "Exiv2 \\d", "libjpeg-turbo \\d"})
        EXPECT_TRUE(QRegularExpression(QString::fromLatin1(cNom)).match(c).hasMatch())
            << cNom << " in " << c.toStdString();
}
