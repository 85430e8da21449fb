#include "exploration/RapportZoom.h"

#include <gtest/gtest.h>

using namespace RapportZoom;

TEST(RapportZoomTest, FitShrinksByTheLargerRatioAndNeverEnlarges)
{
    TAffichage A = Affichage(nAjuste, 4000, 3000, QSize(400, 300));
    EXPECT_EQ(A.Taille, QSize(400, 300));
    EXPECT_EQ(A.cBulle, QString("Rapport de Zoom : ajusté (1:10,00)"));

    A = Affichage(nAjuste, 300, 200, QSize(400, 300));
    EXPECT_EQ(A.Taille, QSize(300, 200));
    EXPECT_EQ(A.cBulle, QString("Rapport de Zoom : ajusté (1:1)"));

    // The height sets r here: 1000 / 300 = 3.33, the width 1500 / 3.33 = 450.
    A = Affichage(nAjuste, 1500, 1000, QSize(600, 300));
    EXPECT_EQ(A.Taille, QSize(450, 300));
    EXPECT_EQ(A.cBulle, QString("Rapport de Zoom : ajusté (1:3,33)"));

    // Halves go to the even neighbour: 301 / 2 = 150.5 -> 150, 303 / 2 = 151.5 -> 152.
    EXPECT_EQ(Ajuste(800, 301, 400, 400).Taille, QSize(400, 150));
    EXPECT_EQ(Ajuste(800, 303, 400, 400).Taille, QSize(400, 152));
    // A sliver keeps one pixel.
    EXPECT_EQ(Ajuste(10000, 3, 100, 100).Taille, QSize(100, 1));
}

TEST(RapportZoomTest, FitWaitsForAPaneWithRoom)
{
    EXPECT_TRUE(Ajuste(4000, 3000, 0, 300).Taille.isEmpty());
    EXPECT_TRUE(Ajuste(4000, 3000, 400, 0).Taille.isEmpty());
    EXPECT_TRUE(Affichage(nAjuste, 4000, 3000, QSize()).Taille.isEmpty());
    // The other entries do not depend on the pane.
    EXPECT_EQ(Affichage(9, 4000, 3000, QSize()).Taille, QSize(1000, 750));
}

TEST(RapportZoomTest, FixedEntriesMultiplyOrDivideAndKeepOnePixel)
{
    EXPECT_EQ(Affichage(8, 1000, 700, {}).Taille, QSize(333, 233)); // "1:3"
    EXPECT_EQ(Affichage(1, 6000, 4000, {}).Taille, QSize(48000, 32000));
    EXPECT_EQ(Affichage(nUnUn, 6000, 4000, {}).Taille, QSize(6000, 4000));
    EXPECT_EQ(Affichage(11, 5, 3, {}).Taille, QSize(1, 1)); // "1:8" of a picture narrower than 8
    EXPECT_EQ(Affichage(3, 65535, 16, {}).Taille, QSize(262140, 64));
    const QString cBulle = QStringLiteral("Rapport de Zoom : ajusté à la fenêtre ou de 8:1 à 1:8");
    for (int i = 1; i < nNombre; ++i)
        EXPECT_EQ(Affichage(i, 100, 100, {}).cBulle, cBulle) << i;
    EXPECT_EQ(Texte(0), QString("Ajusté"));
    EXPECT_EQ(Texte(7), QString("1:2"));
    EXPECT_EQ(Texte(11), QString("1:8"));
}

TEST(RapportZoomTest, CtrlKeysStepWithinTheListAndAreTakenEvenWhenDisabled)
{
    EXPECT_EQ(IndexApresTouche(nAjuste, Qt::Key_PageDown, true), nAjuste);
    EXPECT_EQ(IndexApresTouche(1, Qt::Key_PageUp, true), 1);
    EXPECT_EQ(IndexApresTouche(11, Qt::Key_PageDown, true), 11);
    EXPECT_EQ(IndexApresTouche(6, Qt::Key_PageDown, true), 7);
    EXPECT_EQ(IndexApresTouche(6, Qt::Key_PageUp, true), 5);
    EXPECT_EQ(IndexApresTouche(2, Qt::Key_PageUp, true), 1);
    for (int i = 0; i < nNombre; ++i) {
        EXPECT_EQ(IndexApresTouche(i, Qt::Key_End, true), nAjuste);
        EXPECT_EQ(IndexApresTouche(i, Qt::Key_Home, true), nUnUn);
        EXPECT_EQ(IndexApresTouche(i, Qt::Key_End, false), i);
    }
    EXPECT_TRUE(EstToucheZoom(Qt::Key_PageUp, Qt::ControlModifier));
    EXPECT_TRUE(EstToucheZoom(Qt::Key_Home, Qt::ControlModifier | Qt::KeypadModifier));
    EXPECT_FALSE(EstToucheZoom(Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_FALSE(EstToucheZoom(Qt::Key_PageUp, Qt::NoModifier));
    EXPECT_FALSE(EstToucheZoom(Qt::Key_Left, Qt::ControlModifier));
}

TEST(RapportZoomTest, JpegReductionIsTheLargestThatStillCoversTheShownSize)
{
    const QSize Ajustee = Affichage(nAjuste, 6000, 4000, QSize(1280, 800)).Taille;
    EXPECT_EQ(Ajustee, QSize(1200, 800));
    EXPECT_EQ(EchelleJpeg(6000, 4000, Ajustee), 4);
    EXPECT_EQ(EchelleJpeg(6000, 4000, QSize(6000, 4000)), 1);
    EXPECT_EQ(EchelleJpeg(6000, 4000, QSize(2000, 1333)), 2); // "1:3"
    EXPECT_EQ(EchelleJpeg(6000, 4000, QSize(750, 500)), 8);
    // libjpeg rounds its reductions up: 801 / 2 gives 401, enough for 400.
    EXPECT_EQ(EchelleJpeg(801, 601, QSize(400, 300)), 2);
    EXPECT_EQ(EchelleJpeg(7, 7, QSize(1, 1)), 8);
    EXPECT_TRUE(DemiTailleSuffit(2160, 1440, QSize(800, 533)));
    EXPECT_FALSE(DemiTailleSuffit(2160, 1440, QSize(1200, 800)));
    EXPECT_FALSE(DemiTailleSuffit(2160, 1440, QSize()));
}

TEST(RapportZoomTest, EachDragStartsFromWhereThePreviousOneLeftTheView)
{
    TGlissement G;
    ASSERT_TRUE(G.Appuie(QPoint(100, 100), QPoint(50, 60), true));
    EXPECT_EQ(G.Deplace(QPoint(80, 90)), QPoint(70, 70));
    EXPECT_EQ(G.Deplace(QPoint(60, 100)), QPoint(90, 60));
    EXPECT_TRUE(G.Relache());
    EXPECT_FALSE(G.EnCours());
    // The second drag goes on from the scroll position the first one left, without a jump.
    ASSERT_TRUE(G.Appuie(QPoint(200, 200), QPoint(90, 60), true));
    EXPECT_EQ(G.Deplace(QPoint(200, 200)), QPoint(90, 60));
    EXPECT_EQ(G.Deplace(QPoint(210, 205)), QPoint(80, 55));
    EXPECT_TRUE(G.Relache());
    // A click without motion is not a move.
    ASSERT_TRUE(G.Appuie(QPoint(5, 5), QPoint(0, 0), true));
    EXPECT_FALSE(G.Relache());
}

TEST(RapportZoomTest, NoDragOnAFittingPictureNorFromADoubleClicksPress)
{
    TGlissement G;
    EXPECT_FALSE(G.Appuie(QPoint(10, 10), QPoint(0, 0), false));
    EXPECT_FALSE(G.EnCours());

    ASSERT_TRUE(G.Appuie(QPoint(10, 10), QPoint(0, 0), true));
    G.DoubleClic();
    EXPECT_FALSE(G.EnCours());
    EXPECT_FALSE(G.Appuie(QPoint(10, 10), QPoint(0, 0), true)); // the double click's own press
    EXPECT_EQ(G.Deplace(QPoint(40, 40)), QPoint(0, 0));
    G.Relache();
    EXPECT_TRUE(G.Appuie(QPoint(10, 10), QPoint(0, 0), true)); // the flag served once
}
