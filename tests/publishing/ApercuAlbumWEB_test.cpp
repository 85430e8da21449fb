#include "publishing/ApercuAlbumWEB.h"

#include <gtest/gtest.h>

namespace
{
constexpr int nTitre = 20;
const QSize Taille(900, 600);

TOptionsAlbumWEB Options(int nContenu, int nColonnes)
{
    TOptionsAlbumWEB O;
    O.nAWContAlbum = nContenu;
    O.nAWNbCol = nColonnes;
    O.lAWAffNom = false;
    return O;
}
} // namespace

TEST(ApercuAlbumWEB, TablesStopAtTenByTenAndCellsGrowWithTheirDataBand)
{
    const TGeometrieApercu G = GeometrieApercu(Options(caVignettesSeules, 3), 50, Taille, nTitre);
    ASSERT_EQ(G.Vignettes.Cellules.size(), 30);
    EXPECT_EQ(G.Vignettes.Cellules.last().rBoite, QRect(105, 455, 50, 50));
    EXPECT_FALSE(G.Vignettes.Cellules.last().lBande);
    EXPECT_EQ(GeometrieApercu(Options(caVignettesSeules, 40), 4, Taille, nTitre).Vignettes.Cellules.size(), 40);

    const TCelluleApercu C = CelluleApercu(1, 2, 50, true);
    EXPECT_EQ(C.rBoite, QRect(QPoint(105, 75), QPoint(154, 144)));
    EXPECT_EQ(C.rBande, QRect(QPoint(105, 125), QPoint(154, 144)));
    EXPECT_EQ(C.ptTexte, QPoint(110, 128));
    EXPECT_EQ(C.rMarque, QRect(QPoint(110, 80), QPoint(149, 119)));
    EXPECT_EQ(C.l1, QLine(110, 80, 150, 120));
    EXPECT_EQ(C.l2, QLine(110, 119, 150, 79));

    // Images alone: cells of 100, a data row for the legend too.
    TOptionsAlbumWEB O = Options(caImagesSeules, 2);
    O.lAWAffLegende = true;
    const TGeometrieApercu I = GeometrieApercu(O, 2, Taille, nTitre);
    EXPECT_FALSE(I.Vignettes.lVisible);
    ASSERT_EQ(I.Image.Cellules.size(), 4);
    EXPECT_EQ(I.Image.Cellules[3].rBoite, QRect(105, 125, 100, 120));
    EXPECT_TRUE(I.Image.Cellules[3].lBande);
    O.nAWContAlbum = caVignettesSeules;
    EXPECT_FALSE(GeometrieApercu(O, 2, Taille, nTitre).Vignettes.Cellules[0].lBande);
}

TEST(ApercuAlbumWEB, OnlyLinkedImagesShowTheLowerPaneAtFullHeight)
{
    for (int n : {caVignettesSeules, caImagesSeules, caVignettesEtLiens, caFrames}) {
        const TGeometrieApercu G = GeometrieApercu(Options(n, 3), 2, Taille, nTitre);
        const bool lBas = n == caVignettesEtLiens;
        EXPECT_EQ(G.nHauteurClient, lBas ? 600 : 300) << n;
        EXPECT_EQ(G.lVoletBas, lBas) << n;
        EXPECT_EQ(G.Bas.lVisible, lBas) << n;
    }
    const TGeometrieApercu G = GeometrieApercu(Options(caVignettesEtLiens, 3), 2, Taille, nTitre);
    EXPECT_EQ(G.Vignettes.rPlace, QRect(0, 20, 900, 280));
    EXPECT_EQ(G.rTitreBas, QRect(0, 300, 900, 20));
    EXPECT_EQ(G.Bas.rPlace, QRect(0, 320, 900, 280));
    ASSERT_EQ(G.Bas.Cellules.size(), 1);
    EXPECT_TRUE(G.Bas.Cellules[0].rBoite.isEmpty());
    EXPECT_EQ(G.Bas.Cellules[0].rMarque, QRect(QPoint(10, 10), QPoint(199, 199)));
    EXPECT_FALSE(G.Image.lVisible);
}

TEST(ApercuAlbumWEB, FramesSplitTheUpperPane)
{
    TOptionsAlbumWEB O = Options(caFrames, 8);
    O.nAWDispoVig = dvVignettesAGauche;
    // 8 columns want 405 pixels; two thirds of 500 are 333.
    TGeometrieApercu G = GeometrieApercu(O, 2, Taille, nTitre);
    EXPECT_EQ(G.Vignettes.rPlace, QRect(0, 20, 405, 280));
    EXPECT_EQ(G.Image.rPlace, QRect(405, 20, 495, 280));
    G = GeometrieApercu(O, 2, QSize(500, 600), nTitre);
    EXPECT_EQ(G.Vignettes.rPlace.width(), 333);
    EXPECT_EQ(GeometrieApercu(O, 2, QSize(502, 600), nTitre).Vignettes.rPlace.width(), 335);
    ASSERT_EQ(G.Image.Cellules.size(), 1);
    EXPECT_EQ(G.Image.rPlace.left(), 333);

    O.nAWDispoVig = dvVignettesEnHaut;
    G = GeometrieApercu(O, 2, Taille, nTitre);
    EXPECT_EQ(G.Vignettes.rPlace, QRect(0, 20, 900, 70));
    EXPECT_EQ(G.Image.rPlace, QRect(0, 90, 900, 210));
}
