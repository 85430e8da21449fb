#include "platform/Balises.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextTable>
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

// The character format of the first fragment holding a text, in a rendered document.
QTextCharFormat FormatDe(const QTextDocument &Doc, const QString &cTexte, QTextBlock *pBloc = nullptr)
{
    for (QTextBlock b = Doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(cTexte)) {
                if (pBloc)
                    *pBloc = b;
                return it.fragment().charFormat();
            }
    ADD_FAILURE() << "absent du rendu : " << cTexte.toStdString();
    return {};
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

TEST(Balises, RichTextShowsStylesAndKeepsEveryOtherCharacter)
{
    const QString cBulle = QString::fromUtf8("Vimbrel est en mode <SG>Mise à jour</SG/>\r\n"
                                             "<SS>souligné</SS/> & <ST>les deux</ST/>\r\n"
                                             "     - Outil <ordinaire> & co");
    QTextDocument Doc;
    Doc.setHtml(Balises::PourBulle(cBulle));
    EXPECT_EQ(Doc.toPlainText(), QString::fromUtf8("Vimbrel est en mode Mise à jour\nsouligné & les deux\n"
                                                   "     - Outil <ordinaire> & co"));
    EXPECT_EQ(FormatDe(Doc, QString::fromUtf8("Mise à jour")).fontWeight(), QFont::Bold);
    EXPECT_NE(FormatDe(Doc, "Vimbrel est en mode").fontWeight(), QFont::Bold);
    const QTextCharFormat Souligne = FormatDe(Doc, QString::fromUtf8("souligné"));
    EXPECT_TRUE(Souligne.fontUnderline());
    EXPECT_NE(Souligne.fontWeight(), QFont::Bold);
    const QTextCharFormat Deux = FormatDe(Doc, "les deux");
    EXPECT_TRUE(Deux.fontUnderline());
    EXPECT_EQ(Deux.fontWeight(), QFont::Bold);
    EXPECT_FALSE(FormatDe(Doc, "Outil").fontUnderline());
}

TEST(Balises, RichTextCentresHeadingsAndDrawsTitlesAndSeparators)
{
    QTextDocument Doc;
    Doc.setHtml(
        Balises::TexteRiche("<CS>Titre centré</CS/>\r\n<PG>TRAITEMENTS</PG/>\r\nRotation\r\n<LS></LS/>\r\nfin"));
    QTextBlock Bloc;
    const QTextCharFormat Centre = FormatDe(Doc, "Titre", &Bloc);
    EXPECT_TRUE(Centre.fontUnderline());
    EXPECT_TRUE(Bloc.blockFormat().alignment() & Qt::AlignHCenter);

    // The title sits between two rules, in a row of its own.
    FormatDe(Doc, "TRAITEMENTS", &Bloc);
    EXPECT_EQ(FormatDe(Doc, "TRAITEMENTS").fontWeight(), QFont::Bold);
    QTextCursor Curseur(Bloc);
    const QTextTable *Table = Curseur.currentTable();
    ASSERT_NE(Table, nullptr);
    ASSERT_EQ(Table->columns(), 3);
    for (int c : {0, 2}) {
        const QTextBlock Regle = Table->cellAt(0, c).firstCursorPosition().block();
        EXPECT_TRUE(Regle.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) << c;
    }

    // The separator line is a rule, its text never shown.
    int nRegles = 0;
    for (QTextBlock b = Doc.begin(); b.isValid(); b = b.next())
        if (b.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth))
            ++nRegles;
    EXPECT_EQ(nRegles, 3);
    EXPECT_FALSE(Doc.toPlainText().contains("LS"));
}

TEST(Balises, HintsWithoutTagsAreLeftAlone)
{
    for (const char *c : {"/photos/Rome & Florence/a.jpg", "Supprimer l'historique", "a < b", ""})
        EXPECT_EQ(Balises::PourBulle(c), c) << c;
}
