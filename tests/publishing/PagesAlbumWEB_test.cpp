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

TEST(PagesAlbumWEB, FlatFramesetNamesTheFirstImageWrittenOrIsAnEmptyPage)
{
    TOptionsAlbumWEB O;
    O.nAWContAlbum = caFrames;
    O.nAWNbCol = 3;
    O.nAWDispoVig = dvVignettesAGauche;
    const QStringList L = FramesetAlbumWEB(O, QStringLiteral("a b#.jpg"), 100);
    EXPECT_TRUE(L.contains(QStringLiteral("<FRAMESET COLS=\"600,800\">")));
    EXPECT_TRUE(L.contains(QStringLiteral("<FRAME SRC=\"Image.htm?a%20b%23.jpg\" name=\"frm_Image\">")));
    O.nAWDispoVig = dvVignettesEnHaut;
    EXPECT_TRUE(
        FramesetAlbumWEB(O, QStringLiteral("a.jpg"), 100).contains(QStringLiteral("<FRAMESET ROWS=\"300,800\">")));

    const QStringList Vide = FramesetAlbumWEB(O, {}, 100);
    EXPECT_TRUE(Vide.filter(QStringLiteral("FRAME")).isEmpty());
    EXPECT_TRUE(Vide.contains(QStringLiteral("<HEAD>")) && Vide.contains(QStringLiteral("<BODY>")));
    EXPECT_EQ(Vide.last(), QStringLiteral("</HTML>"));
}

TEST(PagesAlbumWEB, HierarchicalIndexKeepsItsScriptInTheHead)
{
    TOptionsAlbumWEB O;
    O.nAWContAlbum = caFrames;
    O.nAWDispoVig = dvVignettesAGauche;
    QStringList L = IndexHierarchieAlbumWEB(O, QStringLiteral("Été/Noël 1"), QStringLiteral("a(2).jpg"), 120);
    EXPECT_LT(L.indexOf(QStringLiteral("</script>")), L.indexOf(QStringLiteral("</HEAD>")));
    EXPECT_TRUE(L.contains(QStringLiteral("<FRAMESET onload=\"FenetreHierarchie();\" COLS=\"240,800\">")));
    EXPECT_TRUE(
        L.contains(QStringLiteral("<FRAME SRC=\"%C3%89t%C3%A9/No%C3%ABl%201/Vignettes.htm\" name=\"frm_Vignettes\">")));
    EXPECT_TRUE(L.contains(
        QStringLiteral("<FRAME SRC=\"%C3%89t%C3%A9/No%C3%ABl%201/Image.htm?a(2).jpg\" name=\"frm_Image\">")));

    // The top of a folder hierarchy is the album folder itself; a first node without images.
    O.nAWContAlbum = caImagesSeules;
    L = IndexHierarchieAlbumWEB(O, {}, {}, 120);
    EXPECT_TRUE(L.contains(QStringLiteral("<FRAMESET onload=\"FenetreHierarchie();\">")));
    EXPECT_TRUE(L.contains(QStringLiteral("<FRAME SRC=\"Image.htm\" name=\"frm_Image\">")));
    EXPECT_EQ(L.filter(QStringLiteral("<FRAME ")).size(), 1);

    // In a pane of its own, the tree takes a left frame and needs no window script.
    O.lAWHierDansVoletRech = true;
    L = IndexHierarchieAlbumWEB(O, QStringLiteral("A"), {}, 120);
    EXPECT_TRUE(L.filter(QStringLiteral("script")).isEmpty());
    EXPECT_TRUE(L.contains(QStringLiteral("<FRAME SRC=\"Hierarchie.htm\" name=\"frm_Hierarchie\">")));
    EXPECT_EQ(L.filter(QStringLiteral("<FRAMESET")).size(), L.filter(QStringLiteral("</FRAMESET>")).size());
}

TEST(PagesAlbumWEB, TreePageLinesOpenTheFirstNodeAndEscapeNames)
{
    TOptionsAlbumWEB O;
    O.nAWContAlbum = caFrames;
    const QList<TEnrAWH> Noeuds = {{0, QString(), QStringLiteral("Racine"), {}},
                                   {1, QStringLiteral("Jean's <b>\"fête\""), QStringLiteral("Jean's <b>\"fête\""), {}}};
    const QStringList L = PageHierarchieAlbumWEB(O, Noeuds, {QStringLiteral("a.jpg"), QStringLiteral("x'y.jpg")});
    EXPECT_LT(L.indexOf(QStringLiteral("</script>")), L.indexOf(QStringLiteral("</HEAD>")));
    EXPECT_TRUE(L.contains(QStringLiteral("&nbsp;<img src = \"bmDossierO.jpg\" id=\"bt1\">&nbsp;<A id=\"t1\" "
                                          "onclick=\"ClickDossier(this, '', 'a.jpg');\">Racine <BR></A>")));
    EXPECT_TRUE(L.contains(QStringLiteral("&nbsp;&nbsp;&nbsp;&nbsp;<img src = \"bmDossierF.jpg\" id=\"bt2\">&nbsp;"
                                          "<A href=\"#\" id=\"t2\" onclick=\"ClickDossier(this, "
                                          "'Jean%27s%20%3Cb%3E%22f%C3%AAte%22/', 'x%27y.jpg');\">"
                                          "Jean&#39;s &lt;b&gt;&quot;fête&quot; <BR></A>")));
    EXPECT_TRUE(L.contains(QStringLiteral(
        "  window.opener.frames.frm_Image.location.href=cRepVigImg.concat(\"Image.htm?\").concat(cNomImg);")));
    O.nAWContAlbum = caImagesSeules;
    O.lAWHierDansVoletRech = true;
    const QStringList Seules = PageHierarchieAlbumWEB(O, Noeuds, {});
    EXPECT_TRUE(
        Seules.contains(QStringLiteral("  parent.frames.frm_Image.location.href=cRepVigImg.concat(\"Image.htm\");")));
    EXPECT_TRUE(Seules.filter(QStringLiteral("cNomImg);")).isEmpty());
}

TEST(PagesAlbumWEB, RowsHoldTheirEntriesAndADataRowWhenAsked)
{
    QList<TEntreeAlbumWEB> E;
    for (int i = 0; i < 7; ++i) {
        const QString n = QStringLiteral("i%1.jpg").arg(i);
        E.append({n, n, {}, n, QStringLiteral("L%1").arg(i)});
    }
    TOptionsAlbumWEB O;
    O.nAWNbCol = 3;
    const TMiseEnPageAlbumWEB M = MiseEnPageAlbumWEB(O, false, int(E.size()));
    QStringList Page;
    for (const TLigneAlbumWEB &Ligne : M.Lignes)
        Page << RangeeAlbumWEB(O, M, Ligne, E);
    // Three picture rows, each followed by its data row (the name is shown), no empty cell.
    EXPECT_EQ(Page.filter(QStringLiteral("BGCOLOR=\"#c0c0c0\"")).size(), 3);
    EXPECT_EQ(Page.filter(QStringLiteral("BGCOLOR=\"#808080\"")).size(), 3);
    EXPECT_EQ(Page.filter(QStringLiteral("<TD WIDTH=\"33%\"><A HREF=")).size(), 7);
    EXPECT_EQ(Page.filter(QStringLiteral("<TD WIDTH=\"33%\">i")).size(), 7);
    const qsizetype nDerniere = Page.lastIndexOf(LigneRangeeAlbumWEB(O.nAWCoulFondVigImg));
    EXPECT_EQ(Page.mid(nDerniere),
              (QStringList{LigneRangeeAlbumWEB(O.nAWCoulFondVigImg),
                           CelluleImageAlbumWEB(caVignettesEtLiens, QStringLiteral("33"), QStringLiteral("i6.jpg"),
                                                QStringLiteral("i6.jpg"), {}),
                           QStringLiteral("</TR>"), LigneRangeeAlbumWEB(O.nAWCoulFondDonnees),
                           QStringLiteral("<TD WIDTH=\"33%\">i6.jpg</TD>"), QStringLiteral("</TR>")}));

    // No data box: picture rows only; "Images seules" with a legend: the legend under the text.
    O.lAWAffNom = false;
    EXPECT_EQ(RangeeAlbumWEB(O, M, M.Lignes[0], E).size(), 5);
    O.nAWContAlbum = caImagesSeules;
    O.lAWAffLegende = true;
    EXPECT_TRUE(RangeeAlbumWEB(O, M, M.Lignes[1], E).contains(QStringLiteral("<TD WIDTH=\"33%\">i4.jpg<BR>L4</TD>")));
}
