#include "publishing/PagesAlbumWEB.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace
{
const QString cHostile = QStringLiteral("x\" onerror=\"alert(1)' <b>&amp; é #?%</script>\r\nfin\\");

// The inside of a double-quoted script string once its escapes are taken out: a raw quote,
// line break or "<" left in it could end the string or the script.
bool ChaineJSSure(const QString &cLigne, const QString &cDebut)
{
    if (!cLigne.startsWith(cDebut) || !cLigne.endsWith(QStringLiteral("\";")))
        return false;
    QString cDedans = cLigne.mid(cDebut.size(), cLigne.size() - cDebut.size() - 2);
    cDedans.remove(QRegularExpression(QStringLiteral(R"(\\.)")));
    return !cDedans.contains(QLatin1Char('"')) && !cDedans.contains(QLatin1Char('\\'))
           && !cDedans.contains(QLatin1Char('<')) && !cDedans.contains(QLatin1Char('\n'))
           && !cDedans.contains(QLatin1Char('\r'));
}
} // namespace

TEST(PagesAlbumWEB, HeadIsHtml5WithEscapedTexts)
{
    TOptionsAlbumWEB O;
    O.cAWMotsCles = QStringLiteral("\"><SCRIPT>");
    O.cAWAffPolice = QStringLiteral("Font\" onload=\"x");
    const QStringList L = TeteAlbumWEB(QStringLiteral("Vacances <2004> & \"amis\""), O);
    EXPECT_EQ(L.first(), QStringLiteral("<!DOCTYPE html>"));
    EXPECT_TRUE(L.contains(QStringLiteral("<META CHARSET=\"utf-8\">")));
    EXPECT_TRUE(L.contains(QStringLiteral("<TITLE>Vacances &lt;2004&gt; &amp; &quot;amis&quot;</TITLE>")));
    EXPECT_TRUE(L.contains(QStringLiteral("<META NAME=\"keywords\" CONTENT=\"&quot;&gt;&lt;SCRIPT&gt;\">")));
    EXPECT_TRUE(L.contains(QStringLiteral("<BODY BGCOLOR=\"#000000\" text=\"#ffffff\">")));
    EXPECT_EQ(L.last(), QStringLiteral("<FONT FACE=\"Font&quot; onload=&quot;x\">"));
    EXPECT_EQ(LigneTableAlbumWEB(O),
              QStringLiteral("<TABLE BORDER=1 CELLSPACING=1 CELLPADDING=4 BORDERCOLOR=\"#ffffff\">"));
    EXPECT_EQ(LigneRangeeAlbumWEB(O.nAWCoulFondVigImg), QStringLiteral("<TR ALIGN=\"CENTER\" BGCOLOR=\"#c0c0c0\">"));
}

TEST(PagesAlbumWEB, CellsLinkTheOutputNames)
{
    EXPECT_EQ(CelluleImageAlbumWEB(caVignettesEtLiens, QStringLiteral("33"), QStringLiteral("a(2).jpg"),
                                   QStringLiteral("a(2).jpg"), QStringLiteral("a.jpg\r\n640x480")),
              QStringLiteral("<TD WIDTH=\"33%\"><A HREF=\"Image.htm?a(2).jpg\" target=\"_blank\"><IMG "
                             "SRC=\"Vignettes/a(2).jpg\" ALT=\"a.jpg\r\n640x480\" BORDER=0></A></TD>"));
    EXPECT_TRUE(
        CelluleImageAlbumWEB(caFrames, QStringLiteral("12"), QStringLiteral("v.jpg"), QStringLiteral("i.jpg"), {})
            .contains(QStringLiteral("HREF=\"Image.htm?i.jpg\" target=\"frm_Image\"")));
    EXPECT_EQ(CelluleImageAlbumWEB(caVignettesSeules, QStringLiteral("17"), QStringLiteral("v.jpg"), {}, {}),
              QStringLiteral("<TD WIDTH=\"17%\"><IMG SRC=\"Vignettes/v.jpg\" ALT=\"\" BORDER=0></TD>"));
    EXPECT_EQ(CelluleImageAlbumWEB(caImagesSeules, QStringLiteral("100"), {}, QStringLiteral("My photo.jpg"), {}),
              QStringLiteral("<TD WIDTH=\"100%\"><IMG SRC=\"Images/My%20photo.jpg\" ALT=\"\" BORDER=0></TD>"));

    // Hostile names and hints change no attribute and open no element.
    const QString cBenin = CelluleImageAlbumWEB(caFrames, QStringLiteral("33"), QStringLiteral("a"),
                                                QStringLiteral("a"), QStringLiteral("a"));
    const QString cCellule = CelluleImageAlbumWEB(caFrames, QStringLiteral("33"), cHostile, cHostile, cHostile);
    EXPECT_EQ(cCellule.count(QLatin1Char('"')), cBenin.count(QLatin1Char('"')));
    EXPECT_EQ(cCellule.count(QLatin1Char('<')), cBenin.count(QLatin1Char('<')));
    EXPECT_TRUE(cCellule.contains(
        QStringLiteral("Image.htm?x%22%20onerror%3D%22alert(1)%27%20%3Cb%3E%26amp%3B%20%C3%A9%20%23%3F%25")));

    EXPECT_EQ(CelluleDonneesAlbumWEB(QStringLiteral("50"), QStringLiteral("<a>.jpg [1x1]"), false, QStringLiteral("L")),
              QStringLiteral("<TD WIDTH=\"50%\">&lt;a&gt;.jpg [1x1]</TD>"));
    EXPECT_EQ(
        CelluleDonneesAlbumWEB(QStringLiteral("50"), QStringLiteral("a.jpg"), true, QStringLiteral("Tom & \"Jerry\"")),
        QStringLiteral("<TD WIDTH=\"50%\">a.jpg<BR>Tom &amp; &quot;Jerry&quot;</TD>"));
}

TEST(PagesAlbumWEB, ScriptStringsCannotEscapeTheirLiteralOrTheScript)
{
    const QStringList cNoms = {QStringLiteral("a.jpg"), cHostile, QStringLiteral("a(2).jpg")};
    const QStringList cLegendes = {QString(), cHostile, QStringLiteral("Noël")};
    const QStringList L = ScriptImageAlbumWEB(cNoms, cLegendes, true, QStringLiteral("../../"));
    EXPECT_EQ(L.first(), QStringLiteral("<script language=\"JavaScript\">"));
    EXPECT_EQ(L.last(), QStringLiteral("</script>"));
    EXPECT_TRUE(L.contains(QStringLiteral("nNbMaxImgs=3;")));
    EXPECT_TRUE(L.contains(QStringLiteral("aImgs[2] = \"a(2).jpg\";")));
    EXPECT_TRUE(L.contains(QStringLiteral("aLegs[2] = \"Noël\";")));
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(L.filter(QStringLiteral("aImgs[%1] = ").arg(j)).size(), 1);
        for (const QString &l : L.filter(QStringLiteral("aImgs[%1] = ").arg(j)))
            EXPECT_TRUE(ChaineJSSure(l, QStringLiteral("aImgs[%1] = \"").arg(j))) << l.toStdString();
        for (const QString &l : L.filter(QStringLiteral("aLegs[%1] = ").arg(j)))
            EXPECT_TRUE(ChaineJSSure(l, QStringLiteral("aLegs[%1] = \"").arg(j))) << l.toStdString();
    }
    // The legend is written into the page as markup: it arrives there as entities.
    EXPECT_TRUE(L.join(QLatin1Char('\n')).contains(QStringLiteral("&lt;b&gt;&amp;amp;")));
    EXPECT_EQ(L.join(QLatin1Char('\n')).count(QStringLiteral("</script")), 1);
    // The parameter is decoded, links re-encode the names, the buttons sit in the album folder.
    EXPECT_TRUE(L.join(QLatin1Char('\n')).contains(QStringLiteral("decodeURIComponent(location.search.substring(1))")));
    EXPECT_TRUE(
        L.contains(QStringLiteral("  document.write('<TD><A HREF=\"Image.htm?'+encodeURIComponent(aImgs[0])+'\"><IMG "
                                  "SRC=\"../../btPrem.jpg\" ALT=\"Première Image\" BORDER=0></A></TD>');")));
    EXPECT_TRUE(L.contains(QStringLiteral("} else alert('Image non trouvée !');")));

    const QStringList SansLegende = ScriptImageAlbumWEB(cNoms, cLegendes, false, {});
    EXPECT_TRUE(SansLegende.filter(QStringLiteral("aLegs")).isEmpty());
    EXPECT_TRUE(SansLegende.join(QString()).contains(QStringLiteral("SRC=\"btDern.jpg\"")));
}

TEST(PagesAlbumWEB, PageBytesAreUtf8WithCrLfAfterEveryLine)
{
    EXPECT_EQ(OctetsPageAlbumWEB({QStringLiteral("<HTML>"), QStringLiteral("é")}),
              QByteArray("<HTML>\r\n\xC3\xA9\r\n"));
    EXPECT_EQ(OctetsPageAlbumWEB({}), QByteArray());
}
