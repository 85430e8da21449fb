// Thumbnails whose picture does not have the image's proportions: a raw's embedded preview, the
// .THM of a CRW; and cache files damaged by a write cut short.

#include "imaging/CorpusReference.h"

#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "thumbnails/ThumbnailCache.h"
#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace
{
struct TCache
{
    QTemporaryDir Temp;
    std::unique_ptr<TBigIniFile> iniSetup;
    TParamsVignettes Params;

    TCache()
    {
        QDir().mkpath(Temp.filePath("Vignettes"));
        iniSetup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        iniSetup->lAutoSave = false;
        Params.cDossierVignettes = Temp.filePath("Vignettes") + QLatin1Char('/');
        Params.nD = 160;
    }

    QString Copie(const QString &cSource, const QString &cNom)
    {
        const QString c = Temp.filePath(cNom);
        return QFile::copy(cSource, c) ? c : QString();
    }

    TResultatVignette Fait(const QString &cChemin)
    {
        TImageVignette i;
        i.cChemin = cChemin;
        i.lExiste = QFileInfo::exists(cChemin);
        bool lModifie = false;
        return FaitVignette(*iniSetup, Params, i, {}, lModifie);
    }
};

QSize TailleFichierVignette(const TCache &c, const QString &cImage)
{
    TTailleImage t;
    if (!JpegCodec::LitTaille(NomVignette(c.Params.cDossierVignettes, 0, cImage), t))
        return {};
    return QSize(int(t.nLargeur), int(t.nHauteur));
}
}

TEST(VignettesBrutes, TurnedSensorGivesItsDevelopedSizeAndItsPreviewUnstretched)
{
    // This camera's photosites are turned by 45 degrees: it declares a nearly square sensor
    // (3584 × 3583) and develops to 3030 × 2036 (what LibRaw's size computation gives), close to
    // the camera's own 3:2 pictures. Its preview is 160 × 120.
    const QString cRaf = Corpus::Dossier() + QStringLiteral("/kinds/raf/exiftool_FujiFilm.raf");
    const TImageChargee R = ChargeImage(cRaf, true, 160, false);
    EXPECT_EQ(R.Taille, (TTailleImage{3030, 2036}));
    EXPECT_EQ(R.Image.size(), QSize(160, 120));

    TCache c;
    const QString cCopie = c.Copie(cRaf, QStringLiteral("DSCF0001.RAF"));
    const TResultatVignette r = c.Fait(cCopie);
    ASSERT_FALSE(r.lIllisible) << r.cErreur.toStdString();
    EXPECT_EQ(r.Resolution, (TTailleImage{3030, 2036}));
    EXPECT_EQ(r.Image.size(), QSize(160, 120));
    EXPECT_EQ(TailleFichierVignette(c, cCopie), QSize(160, 120));
}

TEST(VignettesBrutes, CrwThumbnailFromA43ThmKeepsItsProportions)
{
    // A 3:2 CRW whose camera wrote a 4:3 .THM: the thumbnail is that picture, unsquashed; the
    // CRW's size is only the resolution shown in the list.
    TCache c;
    const QString cCrw = c.Copie(Corpus::Dossier() + QStringLiteral("/kinds/crw/gil_RAW_CANON_D30_SRGB.CRW"),
                                 QStringLiteral("IMG_0001.CRW"));
    ASSERT_FALSE(cCrw.isEmpty());
    QImage Thm(160, 120, QImage::Format_RGB32);
    Thm.fill(qRgb(20, 160, 40));
    ASSERT_TRUE(JpegCodec::Encode(Thm, c.Temp.filePath("IMG_0001.THM")));
    c.Params.lLireVigDsTHM = true;

    const TResultatVignette r = c.Fait(cCrw);
    ASSERT_FALSE(r.lIllisible) << r.cErreur.toStdString();
    EXPECT_EQ(r.Resolution, (TTailleImage{1440, 960}));
    EXPECT_EQ(r.Image.size(), QSize(160, 120));
    EXPECT_EQ(TailleFichierVignette(c, cCrw), QSize(160, 120));

    // A picture that is the image at a reduction keeps the image's proportions, its sides
    // having been rounded: 1772 × 1181 decoded at 1/8 is 222 × 148.
    QImage Reduite(222, 148, QImage::Format_RGB32);
    Reduite.fill(Qt::white);
    EXPECT_EQ(AjusteVignette(Reduite, 1772, 1181, 160).size(), QSize(160, 107));
    EXPECT_EQ(AjusteVignette(Reduite, 0, 0, 160).size(), QSize(160, 107));
    EXPECT_EQ(AjusteVignette(Thm, 1440, 960, 160).size(), QSize(160, 120));
}

TEST(VignettesBrutes, CacheFileCutShortIsMadeAgain)
{
    // A photograph cut short is shown as libjpeg decodes it, but the program's own cache file
    // cut short by a crash is not taken for a thumbnail: a listing only reads the file, its
    // first decoding refuses it, and it is made again from the image.
    TCache c;
    QImage Image(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x)
            Image.setPixel(x, y, qRgb(200, x * 255 / 319, y));
    const QString cImage = c.Temp.filePath("a.jpg");
    ASSERT_TRUE(JpegCodec::Encode(Image, cImage));
    ASSERT_FALSE(c.Fait(cImage).lIllisible);
    const QString cT = NomVignette(c.Params.cDossierVignettes, 0, cImage);
    QFile f(cT);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray Bon = f.readAll();
    f.close();
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    const qsizetype nScan = Bon.indexOf(QByteArray::fromHex("FFDA"));
    ASSERT_GT(nScan, 0);
    f.write(Bon.left(nScan + (Bon.size() - nScan) / 2));
    f.close();

    const TResultatVignette Lue = c.Fait(cImage);
    EXPECT_FALSE(Lue.lIllisible);
    EXPECT_FALSE(Lue.lEcrite);
    QString cErreur;
    EXPECT_TRUE(Lue.Vignette.Decode(&cErreur).isNull());
    EXPECT_FALSE(cErreur.isEmpty());

    TImageVignette i;
    i.cChemin = cImage;
    i.lExiste = true;
    TResultatVignette r;
    bool lModifie = false;
    EXPECT_TRUE(RecreeVignette(*c.iniSetup, c.Params, i, {}, nullptr, r, lModifie));
    EXPECT_FALSE(r.lIllisible);
    EXPECT_TRUE(r.lEcrite);
    EXPECT_EQ(r.Vignette.Decode().size(), QSize(160, 120));
    const QImage Refaite = JpegCodec::Decode(cT, 1, nullptr, JpegCodec::TAvertissements::Refuses);
    ASSERT_EQ(Refaite.size(), QSize(160, 120));
    EXPECT_GT(qRed(Refaite.pixel(80, 119)), 150);
    EXPECT_GT(qBlue(Refaite.pixel(80, 119)), 200);
}
