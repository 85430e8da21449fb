#include "components/DrawLabel.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
// Every character 10 pixels wide, so that the expected cuts can be worked out by hand.
int Largeur10(const QString &c)
{
    return int(c.size()) * 10;
}
}

TEST(DrawLabel, CutsInTheMiddleUntilTheTextFits)
{
    struct
    {
        const char *texte;
        int largeur;
        const char *attendu;
        int avantSep;
    } cas[] = {
        {"0123456789", 95, "0123.6789", 4}, // even length: two steps
        {"0123456789", 75, "012.789", 3},
        {"012345678", 75, "012.678", 3}, // odd length
        {"012345678", 85, "012.5678", 3},
        {"0123456789", 0, ".", 0}, // nothing fits: ends with the separator alone
        {"0123456789", -20, ".", 0},
        {"ab", 5, ".", 0},
        {"a", 0, ".", 0},
        {"abc.efg", 55, "ab.fg", 2}, // the middle character already is the separator
    };
    for (const auto &c : cas) {
        const auto r = TDrawLabel::Raccourcit(QString::fromLatin1(c.texte), QStringLiteral("."), c.largeur, Largeur10);
        EXPECT_TRUE(r.lRaccourci) << c.texte << " " << c.largeur;
        EXPECT_EQ(r.cTexte, QString::fromLatin1(c.attendu)) << c.texte << " " << c.largeur;
        EXPECT_EQ(r.nAvantSep, c.avantSep) << c.texte << " " << c.largeur;
    }
    const auto r = TDrawLabel::Raccourcit(QStringLiteral("abc"), QStringLiteral("."), 30, Largeur10);
    EXPECT_FALSE(r.lRaccourci);
    EXPECT_EQ(r.cTexte, "abc");
    // A separator of several characters also ends at width 0.
    const auto r2 = TDrawLabel::Raccourcit(QStringLiteral("abcdefghij"), QStringLiteral("..."), 0, Largeur10);
    EXPECT_EQ(r2.cTexte, "...");
}

namespace
{
QImage Rendu(TDrawLabel &l, int nLargeur)
{
    l.resize(nLargeur, 20);
    QPalette pal = l.palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    l.setPalette(pal);
    return l.grab().toImage();
}

bool ARouge(const QImage &img)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 100 && c.blue() < 100)
                return true;
        }
    return false;
}

int PremiereColonneEncree(const QImage &img)
{
    for (int x = 0; x < img.width(); ++x)
        for (int y = 0; y < img.height(); ++y)
            if (img.pixelColor(x, y).lightness() < 128)
                return x;
    return -1;
}
}

TEST(DrawLabel, ShortTextIsCentredLongTextMarkedInRed)
{
    TDrawLabel l(QStringLiteral("/home/utilisateur/Photos/2004/Vacances en Bretagne/IMG_0001.JPG"));
    l.set_SeparatorString(QStringLiteral("#"));
    const QImage large = Rendu(l, 2000);
    EXPECT_FALSE(ARouge(large));
    EXPECT_GT(PremiereColonneEncree(large), 500);
    for (int nLargeur : {200, 120, 40, 7, 1, 0}) {
        const QImage img = Rendu(l, nLargeur);
        if (nLargeur >= 40) {
            EXPECT_TRUE(ARouge(img)) << nLargeur;
            EXPECT_LE(PremiereColonneEncree(img), 3) << nLargeur; // drawn at the left
        }
    }
    EXPECT_EQ(l.minimumSizeHint().width(), 0);
    l.set_OptimizeDisplay(false);
    EXPECT_GT(l.minimumSizeHint().width(), 100);
    l.set_OptimizeDisplay(true);
    l.setText(QStringLiteral("   "));
    EXPECT_EQ(PremiereColonneEncree(Rendu(l, 100)), -1);
}
