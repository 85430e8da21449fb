#include "platform/Balises.h"

#include <gtest/gtest.h>

using Balises::TMorceau;

namespace
{
TMorceau Texte(const QString &c)
{
    return {c, false, {}, {}};
}
TMorceau Balise(const QString &c, char g, char s)
{
    return {c, true, QChar(g), QChar(s)};
}
} // namespace

TEST(Balises, LinesSplitIntoTextAndTaggedPieces)
{
    EXPECT_EQ(Balises::AnalyseLigne("<SG>Outils divers :</SG/>"), QList<TMorceau>{Balise("Outils divers :", 'S', 'G')});
    EXPECT_EQ(Balises::AnalyseLigne(QString::fromUtf8("Vimbrel est en mode <SG>Mise à jour</SG/>")),
              (QList<TMorceau>{Texte("Vimbrel est en mode "), Balise(QString::fromUtf8("Mise à jour"), 'S', 'G')}));
    EXPECT_EQ(Balises::AnalyseLigne("<SG>a</SG/> et <SS>[4x3]</SS/>!"),
              (QList<TMorceau>{Balise("a", 'S', 'G'), Texte(" et "), Balise("[4x3]", 'S', 'S'), Texte("!")}));
    EXPECT_EQ(Balises::AnalyseLigne("<LS></LS/>"), QList<TMorceau>{Balise("", 'L', 'S')});
    EXPECT_TRUE(Balises::AnalyseLigne("").isEmpty());
}

TEST(Balises, AStrayAngleOrAnUnclosedTagLeavesTheLineAsItIs)
{
    // The first "<" is not a tag: the rest of the line is text, tags included.
    for (const char *c : {"a < b <SG>gras</SG/>", "a > b <SG>gras</SG/>", "<SG>ouvert seulement", "<SG>x</SG>",
                          "<SG>x/></SG/>", "<br> x", "<SG></S/>"})
        EXPECT_EQ(Balises::AnalyseLigne(c), QList<TMorceau>{Texte(c)}) << c;
    // A tag after a good one is still read; a stray "<" after it stops the reading there.
    EXPECT_EQ(Balises::AnalyseLigne("<SG>a</SG/> < <SG>b</SG/>"),
              (QList<TMorceau>{Balise("a", 'S', 'G'), Texte(" < <SG>b</SG/>")}));
}

TEST(Balises, PlainTextDropsTheTagsAndKeepsTheirText)
{
    EXPECT_EQ(Balises::TexteSimple("/photos/\r\n<SG>a.jpg</SG/> <SS>[640x480]</SS/>\r\n<PG>EXIF</PG/>\r\n<LS></LS/>"),
              "/photos/\na.jpg [640x480]\nEXIF\n");
    EXPECT_EQ(Balises::TexteSimple("a < b <SG>c</SG/>"), "a < b <SG>c</SG/>");
    EXPECT_TRUE(Balises::ABalise("x\r\n<SG>y</SG/>"));
    EXPECT_FALSE(Balises::ABalise("a < b <SG>c</SG/>"));
    EXPECT_FALSE(Balises::ABalise("/photos/<2004>/a.jpg"));
}

TEST(Balises, TextsAreCutAtEachKindOfLineBreak)
{
    // CR LF is one break; a lone CR or LF is one too, and a break at either end gives an
    // empty line there.
    EXPECT_EQ(Balises::Lignes("a\r\nb\nc\rd\r\r\ne"), (QStringList{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(Balises::Lignes("\n\r"), (QStringList{"", "", ""}));
    EXPECT_EQ(Balises::Lignes("x\r\n"), (QStringList{"x", ""}));
    EXPECT_EQ(Balises::Lignes("\r\n\r\n"), (QStringList{"", "", ""}));
    EXPECT_EQ(Balises::Lignes(""), QStringList{""});
    EXPECT_EQ(Balises::Lignes(QString::fromUtf8("é\u2028日")), QStringList{QString::fromUtf8("é\u2028日")});
    // Lines with and without tags, joined again by LF.
    EXPECT_EQ(Balises::TexteSimple("a <b\r<SG>c</SG/>\n\nd"), "a <b\nc\n\nd");
}
