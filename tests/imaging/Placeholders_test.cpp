#include "imaging/ChargeImage.h"

#include <QColor>
#include <gtest/gtest.h>

namespace
{
int CompteCouleur(const QImage &img, const QRect &zone, QColor c)
{
    int n = 0;
    for (int y = zone.top(); y <= zone.bottom(); ++y)
        for (int x = zone.left(); x <= zone.right(); ++x)
            if (QColor(img.pixel(x, y)) == c)
                ++n;
    return n;
}
}

// The words of the placeholders are part of what the user reads: check that they are drawn,
// in their colours and where they belong, not only the shapes around them.
TEST(Placeholders, ErrorWordIsWrittenInMaroonInsideTheWhiteBar)
{
    const int S = 160;
    const QImage img = ImageErreur(S);
    ASSERT_EQ(img.size(), QSize(S, S));
    const QRect barre(20, S / 2 - 10, S - 40, 20);
    EXPECT_GT(CompteCouleur(img, barre, QColor(128, 0, 0)), 20);
    // Nothing maroon outside the bar.
    EXPECT_EQ(CompteCouleur(img, QRect(0, 0, S, S / 2 - 12), QColor(128, 0, 0)), 0);
}

TEST(Placeholders, AbsentCdShowsItsIdentifierInYellowAndItsLabelInAqua)
{
    const int S = 160;
    const QImage avec = ImageNonTrouvee(S, "8a3f-1", "PHOTOS");
    EXPECT_GT(CompteCouleur(avec, QRect(2, 50, S - 4, 16), QColor(255, 255, 0)), 10);
    EXPECT_GT(CompteCouleur(avec, QRect(2, 70, S - 4, 16), QColor(0, 255, 255)), 10);
    // White text on black for the two first lines.
    EXPECT_GT(CompteCouleur(avec, QRect(2, 10, S - 4, 16), QColor(255, 255, 255)), 10);
    const QImage sans = ImageNonTrouvee(S, "8a3f-1", QString());
    EXPECT_EQ(CompteCouleur(sans, QRect(2, 70, S - 4, 16), QColor(0, 255, 255)), 0);
}
