#include "thumbnails/Planche.h"

#include <gtest/gtest.h>

TEST(Planche, GeometryAndDrawing)
{
    // 7 thumbnails of 160 at W = 800: C = 800 div 172 = 4, two rows of 187.
    const TGeometriePlanche g = GeometriePlanche(7, 160, LargeurMaxPlanche(1, 1920));
    EXPECT_EQ(g.nColonnes, 4);
    EXPECT_EQ(g.nLargeur, 688);
    EXPECT_EQ(g.nHauteur, 374);
    EXPECT_TRUE(g.Valide());
    EXPECT_EQ(LargeurMaxPlanche(0, 1920), 1920);
    EXPECT_EQ(LargeurMaxPlanche(6, 1920), 4096);
    // Fewer thumbnails than columns: the sheet is as wide as they are.
    EXPECT_EQ(GeometriePlanche(2, 160, 800).nLargeur, 344);
    // A sheet taller than a JPEG can hold is refused.
    EXPECT_FALSE(GeometriePlanche(4000, 300, 800).Valide());
    EXPECT_FALSE(GeometriePlanche(0, 160, 800).Valide());

    QImage v(160, 120, QImage::Format_RGB32);
    v.fill(QColor(0, 255, 0));
    QList<TCellulePlanche> Cellules;
    for (int i = 0; i < 7; ++i)
        Cellules << TCellulePlanche{v, QString("img%1").arg(i)};
    const TCouleursPlanche Couleurs{QColor(255, 255, 255), QColor(100, 100, 100), QColor(0, 0, 0)};
    const QImage p = DessinePlanche(Cellules, 160, g, Couleurs);
    ASSERT_EQ(p.size(), QSize(688, 374));
    // Cell 5 is the second of the second row: x = 172, y = 187.
    EXPECT_EQ(p.pixelColor(172 + 1, 187 + 1), Couleurs.Fond);
    EXPECT_EQ(p.pixelColor(172 + 2, 187 + 2), Couleurs.Panneau);
    EXPECT_EQ(p.pixelColor(172 + 169, 187 + 184), Couleurs.Panneau);
    EXPECT_EQ(p.pixelColor(172 + 170, 187 + 185), Couleurs.Fond);
    // The thumbnail at (x + (160 - 160) div 2 + 6, y + (160 - 120) div 2 + 6).
    EXPECT_EQ(p.pixelColor(172 + 6, 187 + 26), QColor(0, 255, 0));
    EXPECT_EQ(p.pixelColor(172 + 6, 187 + 25), Couleurs.Panneau);
    // The eighth cell is empty: grid colour.
    EXPECT_EQ(p.pixelColor(3 * 172 + 50, 187 + 50), Couleurs.Fond);
}
