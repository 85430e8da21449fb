#include "platform/Couleurs.h"

#include <gtest/gtest.h>

TEST(Couleurs, FixedColoursHaveTheirNamesAndValues)
{
    const QPalette pal;
    struct
    {
        int n;
        const char *nom;
        int r, g, b;
    } attendus[] = {
        {0, "Noir", 0, 0, 0},
        {1, "Marron", 128, 0, 0},
        {3, "Moutarde", 128, 128, 0},
        {7, "Acier", 192, 192, 192},
        {8, "Gris", 128, 128, 128},
        {10, "Vert clair", 0, 255, 0},
        {14, "Eau", 0, 255, 255},
        {15, "Blanc", 255, 255, 255},
        {16, "Blanc 33%", 85, 85, 85},
        {17, "Blanc 50%", 127, 127, 127},
        {18, "Blanc 66%", 170, 170, 170},
    };
    for (const auto &a : attendus) {
        EXPECT_EQ(Couleurs::Nom(a.n), QString::fromUtf8(a.nom)) << a.n;
        EXPECT_EQ(Couleurs::Couleur(a.n, pal), QColor(a.r, a.g, a.b)) << a.n;
    }
    EXPECT_EQ(Couleurs::Nom(23), QString::fromUtf8("Bordure de fenêtre active"));
    EXPECT_EQ(Couleurs::Nom(26), QString::fromUtf8("Eléments sélectionnés (Fond)"));
    EXPECT_EQ(Couleurs::Nom(36), "Objets 3D (Texte)");
    EXPECT_EQ(Couleurs::Noms(false).size(), 19);
    EXPECT_EQ(Couleurs::Noms(true).size(), 37);
    EXPECT_EQ(Couleurs::Noms(true).at(28), "Espace de travail de l'application");
    EXPECT_TRUE(Couleurs::Nom(37).isEmpty());
    EXPECT_TRUE(Couleurs::Nom(-1).isEmpty());
}

TEST(Couleurs, ThemeColoursFollowThePalettePassedIn)
{
    QPalette pal;
    pal.setColor(QPalette::All, QPalette::Base, QColor(1, 2, 3));
    pal.setColor(QPalette::All, QPalette::Text, QColor(4, 5, 6));
    pal.setColor(QPalette::All, QPalette::Button, QColor(7, 8, 9));
    pal.setColor(QPalette::All, QPalette::Highlight, QColor(10, 11, 12));
    EXPECT_EQ(Couleurs::Couleur(29, pal), QColor(1, 2, 3));    // Fenêtre (Fond)
    EXPECT_EQ(Couleurs::Couleur(30, pal), QColor(4, 5, 6));    // Fenêtre (Texte)
    EXPECT_EQ(Couleurs::Couleur(35, pal), QColor(7, 8, 9));    // Objets 3D (Fond)
    EXPECT_EQ(Couleurs::Couleur(26, pal), QColor(10, 11, 12)); // Eléments sélectionnés (Fond)
    pal.setColor(QPalette::All, QPalette::Base, QColor(200, 201, 202));
    EXPECT_EQ(Couleurs::Couleur(29, pal), QColor(200, 201, 202));
}

TEST(Couleurs, IndexOutsideTheTableFallsBackToTheDefault)
{
    QPalette pal;
    pal.setColor(QPalette::All, QPalette::Button, QColor(7, 8, 9));
    EXPECT_EQ(Couleurs::Couleur(37, pal, 35), QColor(7, 8, 9));
    EXPECT_EQ(Couleurs::Couleur(-4, pal, 9), QColor(255, 0, 0));
    EXPECT_EQ(Couleurs::Couleur(1000, pal, 1000), QColor(0, 0, 0));
    EXPECT_EQ(Couleurs::IndexOuDefaut(36, 0), 36);
    EXPECT_EQ(Couleurs::IndexOuDefaut(19, 4, false), 4); // theme colours not offered
    EXPECT_EQ(Couleurs::IndexOuDefaut(18, 4, false), 18);
    EXPECT_EQ(Couleurs::IndexOuDefaut(-1, 29, false), 0); // default itself out of reach
    EXPECT_FALSE(Couleurs::IndexValide(19, false));
    EXPECT_TRUE(Couleurs::IndexValide(36, true));
}
