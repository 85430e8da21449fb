#include "platform/FrenchFormats.h"

#include <gtest/gtest.h>

TEST(FrenchFormats, NumbersUseTheDecimalComma)
{
    EXPECT_EQ(FrenchFormats::Nombre(2.8, 1), "2,8");
    EXPECT_EQ(FrenchFormats::Nombre(1.0, 2), "1,00");
    bool ok = false;
    EXPECT_DOUBLE_EQ(FrenchFormats::LitNombre("1,6", &ok), 1.6);
    EXPECT_TRUE(ok);
    FrenchFormats::LitNombre("abc", &ok);
    EXPECT_FALSE(ok);
}

TEST(FrenchFormats, DatesAndNames)
{
    EXPECT_EQ(FrenchFormats::DateHeure(QDateTime(QDate(2004, 12, 5), QTime(7, 3, 9))), "05/12/2004 07:03:09");
    EXPECT_EQ(FrenchFormats::NomMois(8), QString::fromUtf8("août"));
    EXPECT_EQ(FrenchFormats::NomJour(7), "dimanche");
    EXPECT_TRUE(FrenchFormats::NomMois(13).isEmpty());
}

TEST(FrenchFormats, SortingIgnoresCaseAndOrdersAccents)
{
    EXPECT_LT(FrenchFormats::Compare("abc", "ABD"), 0);
    EXPECT_LT(FrenchFormats::Compare(QString::fromUtf8("été"), "ete2"), 0);
    EXPECT_GT(FrenchFormats::Compare("Zoo", QString::fromUtf8("élan")), 0);
}
