#include "publishing/MiseEnPageAlbumWEB.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace
{
TOptionsAlbumWEB Options(int nContenu, int nCols, int nDispo = dvVignettesEnHaut)
{
    TOptionsAlbumWEB O;
    O.nAWContAlbum = nContenu;
    O.nAWNbCol = nCols;
    O.nAWDispoVig = nDispo;
    return O;
}
} // namespace

TEST(MiseEnPageAlbumWEB, SevenImagesInThreeColumns)
{
    const TMiseEnPageAlbumWEB M = MiseEnPageAlbumWEB(Options(caVignettesEtLiens, 3), false, 7);
    EXPECT_EQ(M.nCols, 3);
    EXPECT_EQ(M.cLargeur, QStringLiteral("33"));
    EXPECT_EQ(M.Lignes, (QList<TLigneAlbumWEB>{{0, 3}, {3, 3}, {6, 1}}));
    EXPECT_EQ(M.nPas, 9);

    const TMiseEnPageAlbumWEB Exact = MiseEnPageAlbumWEB(Options(caVignettesSeules, 3), false, 6);
    EXPECT_EQ(Exact.Lignes, (QList<TLigneAlbumWEB>{{0, 3}, {3, 3}}));
    EXPECT_EQ(Exact.nPas, 6);

    const TMiseEnPageAlbumWEB Vide = MiseEnPageAlbumWEB(Options(caVignettesSeules, 3), false, 0);
    EXPECT_TRUE(Vide.Lignes.isEmpty());
    EXPECT_EQ(Vide.nPas, 0);
}

TEST(MiseEnPageAlbumWEB, CellWidthRoundsHalvesToEven)
{
    const QList<std::pair<int, const char *>> Cas = {{8, "12"}, {3, "33"},  {6, "17"}, {1, "100"}, {0, "100"},
                                                     {40, "2"}, {200, "0"}, {7, "14"}, {67, "1"},  {65535, "0"}};
    for (const auto &[nCols, cLargeur] : Cas)
        EXPECT_EQ(LargeurCellule(nCols), QLatin1String(cLargeur)) << nCols;
    EXPECT_EQ(ArrondiPair(2.5), 2);
    EXPECT_EQ(ArrondiPair(3.5), 4);
    EXPECT_EQ(ArrondiPair(500.5), 500);
    EXPECT_EQ(ArrondiPair(0.49), 0);
    EXPECT_EQ(ArrondiPair(559.51), 560);
}

TEST(MiseEnPageAlbumWEB, HierarchicalFramesPutThumbnailsInOneRowOrOneColumn)
{
    const TMiseEnPageAlbumWEB AGauche = MiseEnPageAlbumWEB(Options(caFrames, 5, dvVignettesAGauche), true, 4);
    EXPECT_EQ(AGauche.nCols, 1);
    EXPECT_EQ(AGauche.cLargeur, QStringLiteral("100"));
    EXPECT_EQ(AGauche.Lignes.size(), 4);
    EXPECT_EQ(AGauche.nPas, 4);

    const TMiseEnPageAlbumWEB EnHaut = MiseEnPageAlbumWEB(Options(caFrames, 5, dvVignettesEnHaut), true, 8);
    EXPECT_EQ(EnHaut.nCols, 8);
    EXPECT_EQ(EnHaut.cLargeur, QStringLiteral("12"));
    EXPECT_EQ(EnHaut.Lignes, (QList<TLigneAlbumWEB>{{0, 8}}));

    // A node without images: an empty table whose width text is "100".
    const TMiseEnPageAlbumWEB Vide = MiseEnPageAlbumWEB(Options(caFrames, 5, dvVignettesEnHaut), true, 0);
    EXPECT_EQ(Vide.cLargeur, QStringLiteral("100"));
    EXPECT_TRUE(Vide.Lignes.isEmpty());

    // Flat "Frames" and hierarchical other kinds keep the chosen columns.
    EXPECT_EQ(MiseEnPageAlbumWEB(Options(caFrames, 5, dvVignettesAGauche), false, 8).nCols, 5);
    EXPECT_EQ(MiseEnPageAlbumWEB(Options(caImagesSeules, 5, dvVignettesAGauche), true, 8).nCols, 5);
}

TEST(MiseEnPageAlbumWEB, ReducedSizes)
{
    const std::optional<int> n800 = 800;
    EXPECT_EQ(TailleReduiteAlbumWEB(1600, 1200, n800), QSize(800, 600));
    EXPECT_EQ(TailleReduiteAlbumWEB(1000, 700, n800), QSize(800, 560));
    EXPECT_EQ(TailleReduiteAlbumWEB(1200, 1600, n800), QSize(600, 800));
    // 1001 / 2 and 1003 / 2 are halves: to the even neighbour.
    EXPECT_EQ(TailleReduiteAlbumWEB(1600, 1001, n800), QSize(800, 500));
    EXPECT_EQ(TailleReduiteAlbumWEB(1600, 1003, n800), QSize(800, 502));
    // A thin strip keeps at least one pixel.
    EXPECT_EQ(TailleReduiteAlbumWEB(10000, 3, n800), QSize(800, 1));
    EXPECT_EQ(TailleReduiteAlbumWEB(3, 10000, n800), QSize(1, 800));

    EXPECT_FALSE(ReductionAlbumWEB(640, 480, n800));
    EXPECT_FALSE(ReductionAlbumWEB(800, 800, n800));
    EXPECT_TRUE(ReductionAlbumWEB(801, 10, n800));
    EXPECT_EQ(TailleReduiteAlbumWEB(640, 480, n800), QSize(640, 480));
    for (const std::optional<int> nAucune : {std::optional<int>(), std::optional<int>(0), std::optional<int>(-5)}) {
        EXPECT_FALSE(ReductionAlbumWEB(4000, 3000, nAucune));
        EXPECT_EQ(TailleReduiteAlbumWEB(4000, 3000, nAucune), QSize(4000, 3000));
    }
}

TEST(MiseEnPageAlbumWEB, DataTextTakesEachAskedPartInOrder)
{
    TEnrLV Enr;
    Enr.cChemin = QStringLiteral("/photos/Été/My photo.JPG");
    Enr.nLargeur = 3000;
    Enr.nHauteur = 2000;
    Enr.nTaille = 1536 * 1024;
    Enr.nDate = QDateTime(QDate(2005, 7, 14), QTime(18, 30, 5)).toSecsSinceEpoch(); // local time

    TOptionsAlbumWEB O;
    EXPECT_EQ(TexteDonneesAlbumWEB(Enr, O), QStringLiteral("My photo.JPG"));
    O.lAWAffResol = O.lAWAffTaille = O.lAWAffDate = true;
    EXPECT_EQ(TexteDonneesAlbumWEB(Enr, O), QStringLiteral("My photo.JPG [3000x2000] 1,50 Mo le 14/07/2005 18:30:05"));
    O.lAWAffNom = O.lAWAffResol = O.lAWAffDate = false;
    EXPECT_EQ(TexteDonneesAlbumWEB(Enr, O), QStringLiteral(" 1,50 Mo"));
}
