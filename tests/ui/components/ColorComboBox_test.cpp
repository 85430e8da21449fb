#include "components/ColorComboBox.h"

#include <gtest/gtest.h>

TEST(ColorComboBox, HoldsTheFixedColoursOrAllWithTheThemeOnes)
{
    TColorComboBox cb;
    EXPECT_EQ(cb.width(), 193);
    EXPECT_EQ(cb.count(), 19);
    EXPECT_EQ(cb.itemText(16), "Blanc 33%");
    cb.ChoisitCouleur(9, 0);
    EXPECT_EQ(cb.currentIndex(), 9);
    EXPECT_EQ(cb.Couleur(), QColor(255, 0, 0));
    // Without the theme colours 19 to 36 are out of the list: the setting's default is shown.
    cb.ChoisitCouleur(29, 7);
    EXPECT_EQ(cb.currentIndex(), 7);
    cb.ChoisitCouleur(-1, 4);
    EXPECT_EQ(cb.currentIndex(), 4);

    cb.set_SysColors(true);
    EXPECT_EQ(cb.count(), 37);
    EXPECT_EQ(cb.currentIndex(), 4);
    EXPECT_EQ(cb.itemText(36), "Objets 3D (Texte)");
    QPalette pal = cb.palette();
    pal.setColor(QPalette::All, QPalette::Base, QColor(12, 34, 56));
    cb.setPalette(pal);
    cb.ChoisitCouleur(29, 7);
    EXPECT_EQ(cb.currentIndex(), 29);
    EXPECT_EQ(cb.Couleur(), QColor(12, 34, 56));
    cb.ChoisitCouleur(37, 35);
    EXPECT_EQ(cb.currentIndex(), 35);
    // Back to the fixed colours, a theme colour cannot stay selected.
    cb.ChoisitCouleur(30, 0);
    cb.set_SysColors(false);
    EXPECT_EQ(cb.count(), 19);
    EXPECT_EQ(cb.currentIndex(), -1);
}
