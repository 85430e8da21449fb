#include "ImpressionQt.h"
#include "classification/ArboCriteres.h"
#include "classification/IconesArbres.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
// A picture whose bottom-left pixel and a few others share the background colour.
QImage Motif(int nTaille, QColor Fond = QColor(255, 0, 255))
{
    QImage Image(nTaille, nTaille, QImage::Format_RGB32);
    Image.fill(Fond);
    for (int i = 2; i < nTaille - 2; ++i)
        Image.setPixel(i, i, qRgb(0, 0, 200));
    Image.setPixel(nTaille - 1, 0, qRgb(250, 0, 255)); // close to the background, not equal
    return Image;
}

struct IconesTest : ::testing::Test
{
    QTemporaryDir Temp;
    QString cDossier;
    std::unique_ptr<TBigIniFile> Setup;
    TEnrParametres Parametres;
    TArboCriteres Arbo;
    QStringList Lus;

    void SetUp() override
    {
        cDossier = Temp.filePath("ImgsCH/");
        ASSERT_TRUE(QDir().mkpath(cDossier));
        Arbo.ilArbres().setLecteur([this](const QString &cFichier) {
            Lus << QFileInfo(cFichier).fileName();
            return IconesArbres::LitFichierIcone(cFichier);
        });
    }
    void Charge(const QByteArray &cSection)
    {
        QFile f(Temp.filePath("KX_Setup.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[CRITERES HIERARCHIQUES]\n" + cSection);
        f.close();
        Setup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        Arbo.ChargerArboCritHier(*Setup, Parametres, cDossier);
    }
    const TNoeudCritere &N(const char *cChemin) const { return *Arbo.NoeudDeChemin(cChemin); }
};
} // namespace

TEST(IconesIntegrees, ThirtyNineDistinctPicturesOfSixteenPixels)
{
    std::vector<QImage> Images;
    for (int i = 0; i < IconesArbres::nNbIntegrees; ++i) {
        const QImage Image = IconesArbres::ImageIntegree(i);
        ASSERT_EQ(Image.size(), QSize(16, 16)) << i;
        // Something is drawn, and the corners stay see-through for the tree's background.
        int nOpaques = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                nOpaques += qAlpha(Image.pixel(x, y)) > 0;
        EXPECT_GT(nOpaques, 20) << i;
        for (size_t j = 0; j < Images.size(); ++j)
            EXPECT_NE(Image, Images[j]) << i << " looks like " << j;
        Images.push_back(Image);
    }
    EXPECT_TRUE(IconesArbres::ImageIntegree(39).isNull());
    EXPECT_TRUE(IconesArbres::ImageIntegree(-1).isNull());
}

TEST_F(IconesTest, OwnIconIsAppendedWithItsBackgroundMadeTransparent)
{
    ASSERT_TRUE(Motif(16).save(cDossier + "Pays-Italie.bmp", "BMP"));
    Charge("Voyages=\nVoyages/Italie=Pays-Italie.bmp\n");
    const TNoeudCritere &Italie = N("Voyages/Italie");
    EXPECT_EQ(Italie.IndexImage(), 39);
    EXPECT_EQ(N("Voyages").IndexImage(), 0);
    EXPECT_EQ(Arbo.ilArbres().Nombre(), 40);

    const QImage Image = Arbo.ilArbres().Image(39);
    ASSERT_EQ(Image.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(Image.pixel(0, 15)), 0);
    EXPECT_EQ(qAlpha(Image.pixel(8, 0)), 0);
    EXPECT_EQ(Image.pixel(5, 5), qRgb(0, 0, 200));
    EXPECT_EQ(Image.pixel(15, 0), qRgb(250, 0, 255));

    // The node's own icon shows that picture; the default one has a closed and an open state.
    EXPECT_EQ(Italie.Icone().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32), Image);
    const QIcon Defaut = N("Voyages").Icone();
    EXPECT_EQ(Defaut.pixmap(16, 16, QIcon::Normal, QIcon::Off).toImage().convertToFormat(QImage::Format_ARGB32),
              IconesArbres::ImageIntegree(0));
    EXPECT_EQ(Defaut.pixmap(16, 16, QIcon::Normal, QIcon::On).toImage().convertToFormat(QImage::Format_ARGB32),
              IconesArbres::ImageIntegree(1));
}

TEST_F(IconesTest, EachFileIsReadOncePerLoading)
{
    ASSERT_TRUE(Motif(16).save(cDossier + "Ic.bmp", "BMP"));
    ASSERT_TRUE(Motif(16, Qt::green).save(cDossier + "Autre.png", "PNG"));
    ASSERT_TRUE(Motif(32).save(cDossier + "Grand.bmp", "BMP"));
    Charge("A=Ic.bmp\nB=Grand.bmp\nC=Ic.bmp\nD=Autre.png\nE=Grand.bmp\nF=Absent.bmp\nG=Absent.bmp\n");
    EXPECT_EQ(Lus, QStringList({"Ic.bmp", "Grand.bmp", "Autre.png", "Absent.bmp"}));
    EXPECT_EQ(N("A").IndexImage(), 39);
    EXPECT_EQ(N("C").IndexImage(), 39);
    EXPECT_EQ(N("D").IndexImage(), 40);
    EXPECT_EQ(Arbo.ilArbres().Nombre(), 41);

    // A new loading starts the list again and reads the files anew.
    Lus.clear();
    Setup->WriteString(cSectionCritHier, "A", "Autre.png");
    Arbo.Recharger();
    EXPECT_EQ(N("A").IndexImage(), 39);
    EXPECT_EQ(N("C").IndexImage(), 40);
    EXPECT_EQ(Lus.first(), "Autre.png");
    EXPECT_EQ(Lus.count("Ic.bmp"), 1);
}

TEST_F(IconesTest, WrongSizeMissingUnreadableAndBadNamesGiveTheDefaultSilently)
{
    ASSERT_TRUE(Motif(32).save(cDossier + "Grand.bmp", "BMP"));
    ASSERT_TRUE(Motif(16).save(cDossier + "Large.bmp", "BMP"));
    {
        const QImage Court = Motif(16).copy(0, 0, 16, 15);
        ASSERT_TRUE(Court.save(cDossier + "Court.bmp", "BMP"));
        QFile f(cDossier + "Faux.bmp");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("BM ce n'est pas une image");
    }
    ASSERT_TRUE(QDir().mkpath(cDossier + "Dossier.bmp"));
    ASSERT_TRUE(Motif(16).save(Temp.filePath("Dehors.bmp"), "BMP"));
    Charge("Grand=Grand.bmp\nCourt=Court.bmp\nFaux=Faux.bmp\nAbsent=Absent.bmp\nDossier=Dossier.bmp\n"
           "Remonte=../Dehors.bmp\nPoints=..\nChemin="
           + QFile::encodeName(Temp.filePath("Dehors.bmp")) + "\nContre=..\\Dehors.bmp\nBon=Large.bmp\n");
    for (const char *c : {"Grand", "Court", "Faux", "Absent", "Dossier", "Remonte", "Points", "Chemin", "Contre"})
        EXPECT_EQ(N(c).IndexImage(), 0) << c;
    EXPECT_EQ(N("Bon").IndexImage(), 39);
    // Names that point out of the folder are never even opened.
    for (const QString &cLu : Lus)
        EXPECT_FALSE(cLu == "Dehors.bmp" || cLu == "..") << cLu.toStdString();
}

TEST(ImageIconeCritere, KeepsTransparencyAndRefusesOtherSizes)
{
    QImage Image(16, 16, QImage::Format_ARGB32);
    Image.fill(qRgba(0, 0, 0, 0));
    Image.setPixel(3, 3, qRgba(10, 20, 30, 255));
    QByteArray Octets;
    {
        QBuffer b(&Octets);
        b.open(QIODevice::WriteOnly);
        ASSERT_TRUE(Image.save(&b, "PNG"));
    }
    const QImage Lue = IconesArbres::ImageIconeCritere(Octets);
    ASSERT_FALSE(Lue.isNull());
    EXPECT_EQ(Lue.pixel(3, 3), qRgba(10, 20, 30, 255));
    EXPECT_EQ(qAlpha(Lue.pixel(0, 0)), 0);

    EXPECT_TRUE(IconesArbres::ImageIconeCritere(QByteArray()).isNull());
    EXPECT_TRUE(IconesArbres::ImageIconeCritere(QByteArray(64, '\xFF')).isNull());
}

TEST(LitFichierIcone, RefusesLargeFiles)
{
    QTemporaryDir Temp;
    QFile f(Temp.filePath("gros.bmp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(IconesArbres::nMaxOctetsIcone + 1, 'x'));
    f.close();
    EXPECT_FALSE(IconesArbres::LitFichierIcone(Temp.filePath("gros.bmp")).has_value());
    EXPECT_FALSE(IconesArbres::LitFichierIcone(Temp.filePath("absent.bmp")).has_value());
    EXPECT_FALSE(IconesArbres::LitFichierIcone(Temp.path()).has_value());
}
