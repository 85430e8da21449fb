#include "classification/Modele.h"

#include <gtest/gtest.h>

namespace
{
bool Correspond(const char *cTexte, const char *cModele)
{
    return CorrespondModele(QString::fromUtf8(cTexte), QString::fromUtf8(cModele));
}

// The 1-based position reported for an invalid pattern, or 0 when it compiles.
int PositionFaute(const QString &cModele)
{
    TErreurModele Erreur;
    return TModele::Compile(cModele, &Erreur) ? 0 : Erreur.nPosition;
}
} // namespace

TEST(Modele, LiteralsMatchTheWholeTextWithAsciiCaseFolding)
{
    EXPECT_TRUE(Correspond("MER", "mer"));
    EXPECT_TRUE(Correspond("Coucher", "cOUCHER"));
    EXPECT_FALSE(Correspond("MER", "ME"));
    EXPECT_FALSE(Correspond("ME", "MER"));
    EXPECT_FALSE(Correspond("AMER", "MER"));
    EXPECT_TRUE(Correspond("", ""));
    EXPECT_FALSE(Correspond("A", ""));
    // Only a-z fold: accented letters must be equal.
    EXPECT_TRUE(Correspond("ÉTÉ", "ÉtÉ"));
    EXPECT_FALSE(Correspond("été", "ÉTÉ"));
}

TEST(Modele, StarsAndQuestionMarks)
{
    EXPECT_TRUE(Correspond("MER", "ME*"));
    EXPECT_TRUE(Correspond("ME", "ME*"));
    EXPECT_TRUE(Correspond("Coucher de soleil", "*coucher*"));
    EXPECT_TRUE(Correspond("Le COUCHER", "*coucher*"));
    EXPECT_FALSE(Correspond("Le COUCHER", "coucher"));
    EXPECT_TRUE(Correspond("", "*"));
    EXPECT_TRUE(Correspond("abc", "***"));
    EXPECT_TRUE(Correspond("abcbc", "a*bc"));
    EXPECT_FALSE(Correspond("abcb", "a*bc"));
    EXPECT_TRUE(Correspond("SOLEIL", "S?L*"));
    EXPECT_FALSE(Correspond("SL", "S?L"));
    EXPECT_TRUE(Correspond("SOL", "???"));
    EXPECT_FALSE(Correspond("SO", "???"));
    // A "?" right after a "*" adds nothing, so these need no character at all.
    EXPECT_TRUE(Correspond("AB", "A*?B"));
    EXPECT_TRUE(Correspond("", "*?"));
    EXPECT_TRUE(Correspond("", "*?*?"));
    // ...but only that one: the second "?" still wants a character.
    EXPECT_FALSE(Correspond("AB", "A*??B"));
    EXPECT_TRUE(Correspond("AXB", "A*??B"));
}

TEST(Modele, Sets)
{
    EXPECT_TRUE(Correspond("B", "[abc]"));
    EXPECT_FALSE(Correspond("D", "[abc]"));
    EXPECT_TRUE(Correspond("m", "[A-Z]"));
    EXPECT_TRUE(Correspond("Z", "[a-z]"));
    EXPECT_FALSE(Correspond("5", "[a-z]"));
    EXPECT_TRUE(Correspond("5", "[!a-z]"));
    EXPECT_FALSE(Correspond("q", "[!a-z]"));
    EXPECT_TRUE(Correspond("IMG_0042", "IMG_[0-9][0-9]4[0-9]"));
    EXPECT_TRUE(Correspond("x-", "x[a-]"));
    EXPECT_FALSE(Correspond("!", "[!!a]"));
    EXPECT_TRUE(Correspond("*", "[*]"));
    EXPECT_FALSE(Correspond("A", "[*]"));
    // A set stands for exactly one character.
    EXPECT_FALSE(Correspond("ab", "[ab]"));
    EXPECT_TRUE(Correspond("pa", "*[a-c]"));
}

TEST(Modele, InvalidPatternsGiveTheFaultsPosition)
{
    EXPECT_EQ(PositionFaute("[A-"), 1);
    EXPECT_EQ(PositionFaute("AB[CD"), 3);
    EXPECT_EQ(PositionFaute("A[]"), 3);
    EXPECT_EQ(PositionFaute("[!]"), 3);
    EXPECT_EQ(PositionFaute("[-A]"), 2);
    EXPECT_EQ(PositionFaute("[!-A]"), 3);
    EXPECT_EQ(PositionFaute("[a-c-e]"), 5);
    EXPECT_EQ(PositionFaute("[a-c]*?]"), 0);

    QString c30, c31;
    for (int i = 0; i < 30; ++i)
        c30 += QStringLiteral("**A");
    c31 = c30 + QStringLiteral("*");
    EXPECT_EQ(PositionFaute(c30), 0);
    EXPECT_EQ(PositionFaute(c31), c31.size());

    try {
        CorrespondModele(QStringLiteral("ABC"), QStringLiteral("[A-"));
        ADD_FAILURE() << "an invalid pattern must throw";
    } catch (const EModeleIncorrect &e) {
        EXPECT_EQ(e.Erreur().Message(), QStringLiteral("'[A-' est un masque incorrect à (1)"));
    }
    EXPECT_THROW(TModele(QStringLiteral("x[")), EModeleIncorrect);
}

TEST(Modele, ManyStarsStayLinearOnLongTexts)
{
    // Naive backtracking would try every way to share the text between the stars.
    const QString cTexte(100000, QLatin1Char('A'));
    EXPECT_FALSE(CorrespondModele(cTexte, QStringLiteral("*A*A*A*A*A*A*B")));
    EXPECT_TRUE(CorrespondModele(cTexte + QLatin1Char('B'), QStringLiteral("*A*A*A*A*A*A*B")));
    QString c30Etoiles;
    for (int i = 0; i < 30; ++i)
        c30Etoiles += QStringLiteral("*A");
    EXPECT_FALSE(CorrespondModele(cTexte, c30Etoiles + QStringLiteral("C")));

    const TModele m(QStringLiteral("*COUCHER*"));
    EXPECT_TRUE(m.Correspond(QString(100000, QLatin1Char('X')) + QStringLiteral("COUCHER")));
    EXPECT_FALSE(m.Correspond(QString(100000, QLatin1Char('X'))));
}
