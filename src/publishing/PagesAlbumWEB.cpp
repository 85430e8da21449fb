#include "publishing/PagesAlbumWEB.h"

#include "publishing/EchappementWEB.h"
#include "publishing/FichiersAlbumWEB.h"

namespace W = EchappementWEB;

QStringList TeteAlbumWEB(const QString &cTitre, const TOptionsAlbumWEB &O)
{
    return {QStringLiteral("<!DOCTYPE html>"),
            QStringLiteral("<HTML>"),
            QStringLiteral("<HEAD>"),
            QStringLiteral("<META CHARSET=\"utf-8\">"),
            QStringLiteral("<TITLE>%1</TITLE>").arg(W::HTML(cTitre)),
            QStringLiteral("<META NAME=\"keywords\" CONTENT=\"%1\">").arg(W::HTML(O.cAWMotsCles)),
            QStringLiteral("</HEAD>"),
            QStringLiteral("<BODY BGCOLOR=\"#%1\" text=\"#%2\">")
                .arg(CouleurHTML(O.nAWCoulFondFenetre), CouleurHTML(O.nAWCoulPolice)),
            QStringLiteral("<FONT FACE=\"%1\">").arg(W::HTML(O.cAWAffPolice))};
}

QStringList PiedAlbumWEB()
{
    return {QStringLiteral("</FONT>"), QStringLiteral("</BODY>"), QStringLiteral("</HTML>")};
}

QString LigneTableAlbumWEB(const TOptionsAlbumWEB &O)
{
    return QStringLiteral("<TABLE BORDER=%1 CELLSPACING=1 CELLPADDING=4 BORDERCOLOR=\"#%2\">")
        .arg(O.lAWAffCadre ? 1 : 0)
        .arg(CouleurHTML(O.nAWCoulCadre));
}

QString LigneRangeeAlbumWEB(quint32 nCouleur)
{
    return QStringLiteral("<TR ALIGN=\"CENTER\" BGCOLOR=\"#%1\">").arg(CouleurHTML(nCouleur));
}

QString CelluleImageAlbumWEB(int nContenu, const QString &cLargeur, const QString &cNomVignette,
                             const QString &cNomImage, const QString &cBulle)
{
    const QString cBulleHTML = W::HTML(cBulle);
    switch (nContenu) {
    case caVignettesSeules:
    case caImagesSeules: {
        const QString cSource = nContenu == caVignettesSeules
                                    ? QStringLiteral("Vignettes/") + W::PartieURL(cNomVignette)
                                    : QStringLiteral("Images/") + W::PartieURL(cNomImage);
        return QStringLiteral("<TD WIDTH=\"%1%\"><IMG SRC=\"%2\" ALT=\"%3\" BORDER=0></TD>")
            .arg(cLargeur, cSource, cBulleHTML);
    }
    default:
        return QStringLiteral("<TD WIDTH=\"%1%\"><A HREF=\"Image.htm?%2\" target=\"%3\"><IMG SRC=\"%4\" ALT=\"%5\" "
                              "BORDER=0></A></TD>")
            .arg(cLargeur, W::PartieURL(cNomImage),
                 nContenu == caFrames ? QStringLiteral("frm_Image") : QStringLiteral("_blank"),
                 QStringLiteral("Vignettes/") + W::PartieURL(cNomVignette), cBulleHTML);
    }
}

QString CelluleDonneesAlbumWEB(const QString &cLargeur, const QString &cTexte, bool lAvecLegende,
                               const QString &cLegende)
{
    if (lAvecLegende)
        return QStringLiteral("<TD WIDTH=\"%1%\">%2<BR>%3</TD>").arg(cLargeur, W::HTML(cTexte), W::HTML(cLegende));
    return QStringLiteral("<TD WIDTH=\"%1%\">%2</TD>").arg(cLargeur, W::HTML(cTexte));
}

QStringList RangeeAlbumWEB(const TOptionsAlbumWEB &O, const TMiseEnPageAlbumWEB &M, const TLigneAlbumWEB &Ligne,
                           const QList<TEntreeAlbumWEB> &Entrees)
{
    QStringList L;
    L << LigneRangeeAlbumWEB(O.nAWCoulFondVigImg);
    for (int j = Ligne.nDebut; j < Ligne.nDebut + Ligne.nNombre; ++j) {
        const TEntreeAlbumWEB &E = Entrees.at(j);
        L << CelluleImageAlbumWEB(O.nAWContAlbum, M.cLargeur, E.cNomVignette, E.cNomImage, E.cBulle);
    }
    L << QStringLiteral("</TR>");
    if (!O.AvecLigneDonnees())
        return L;
    const bool lLegende = O.nAWContAlbum == caImagesSeules && O.lAWAffLegende;
    L << LigneRangeeAlbumWEB(O.nAWCoulFondDonnees);
    for (int j = Ligne.nDebut; j < Ligne.nDebut + Ligne.nNombre; ++j)
        L << CelluleDonneesAlbumWEB(M.cLargeur, Entrees.at(j).cTexte, lLegende, Entrees.at(j).cLegende);
    return L << QStringLiteral("</TR>");
}

QStringList ScriptImageAlbumWEB(const QStringList &cNoms, const QStringList &cLegendes, bool lLegendes,
                                const QString &cPrefixe)
{
    // The prefix is only "../" steps, but it goes into a script string inside markup like the rest.
    const QString P = W::JS(W::HTML(cPrefixe));
    const auto Lien = [](const QString &cIndice) {
        return QStringLiteral("<A HREF=\"Image.htm?'+encodeURIComponent(aImgs[%1])+'\">").arg(cIndice);
    };
    const auto Bouton = [&](const char *cFichier, const QString &cAlt) {
        return QStringLiteral("<IMG SRC=\"%1%2\" ALT=\"%3\" BORDER=0></A></TD>").arg(P, QLatin1String(cFichier), cAlt);
    };

    QStringList L;
    L << QStringLiteral("<script language=\"JavaScript\">") << QStringLiteral("var cParam=null;")
      << QStringLiteral("try { cParam=decodeURIComponent(location.search.substring(1)); } catch (e) { cParam=null; }")
      << QStringLiteral("nNbMaxImgs=%1;").arg(cNoms.size()) << QStringLiteral("aImgs=new Array(nNbMaxImgs-1);");
    if (lLegendes)
        L << QStringLiteral("aLegs=new Array(nNbMaxImgs-1);");
    for (qsizetype j = 0; j < cNoms.size(); ++j) {
        L << QStringLiteral("aImgs[%1] = \"%2\";").arg(j).arg(W::JS(cNoms[j]));
        if (lLegendes)
            L << QStringLiteral("aLegs[%1] = \"%2\";").arg(j).arg(W::Legende(cLegendes.value(j)));
    }
    L << QStringLiteral("nInd=-1;") << QStringLiteral("for (var i=0; i < nNbMaxImgs; i++)") << QStringLiteral("{")
      << QStringLiteral("  if (aImgs[i] == cParam)") << QStringLiteral("  {") << QStringLiteral("    nInd=i;")
      << QStringLiteral("    break;") << QStringLiteral("  }") << QStringLiteral("}")
      << QStringLiteral("if (nInd != -1)") << QStringLiteral("{")
      << QStringLiteral("  document.write('<TABLE BORDER=0 CELLSPACING=1 CELLPADDING=4>');")
      << QStringLiteral("  document.write('<TR>');")
      << QStringLiteral("  document.write('<TD>%1%2');")
             .arg(Lien(QStringLiteral("0")), Bouton("btPrem.jpg", QStringLiteral("Première Image")))
      << QStringLiteral("  if (nInd > 0)")
      << QStringLiteral("    document.write('<TD>%1%2'); else")
             .arg(Lien(QStringLiteral("nInd-1")), Bouton("btPrec.jpg", QStringLiteral("Image Précédante")))
      << QStringLiteral("      document.write('<TD>%1%2');")
             .arg(Lien(QStringLiteral("nNbMaxImgs-1")), Bouton("btPrec.jpg", QStringLiteral("Image Précédante")))
      << QStringLiteral("  if (nInd < nNbMaxImgs-1)")
      << QStringLiteral("    document.write('<TD>%1%2'); else")
             .arg(Lien(QStringLiteral("nInd+1")), Bouton("btSuiv.jpg", QStringLiteral("Image Suivante")))
      << QStringLiteral("      document.write('<TD>%1%2');")
             .arg(Lien(QStringLiteral("0")), Bouton("btSuiv.jpg", QStringLiteral("Image Suivante")))
      << QStringLiteral("  document.write('<TD>%1%2');")
             .arg(Lien(QStringLiteral("nNbMaxImgs-1")), Bouton("btDern.jpg", QStringLiteral("Dernière Image")))
      << QStringLiteral("  document.write('</TR>');") << QStringLiteral("  document.write('</TABLE>');")
      << QStringLiteral("  document.write('<BR>');")
      << QStringLiteral("  document.write('<IMG SRC=\"Images/'+encodeURIComponent(aImgs[nInd])+'\" BORDER=0>');");
    if (lLegendes)
        L << QStringLiteral("  document.write('<BR>'.concat(aLegs[nInd]));");
    L << QStringLiteral("} else alert('Image non trouvée !');") << QStringLiteral("</script>");
    return L;
}

QByteArray OctetsPageAlbumWEB(const QStringList &Lignes)
{
    QByteArray Octets;
    for (const QString &l : Lignes) {
        Octets += l.toUtf8();
        Octets += "\r\n";
    }
    return Octets;
}

namespace
{
QStringList TeteSimple(const QString &cTitre, const TOptionsAlbumWEB &O)
{
    return {QStringLiteral("<!DOCTYPE html>"),
            QStringLiteral("<HTML>"),
            QStringLiteral("<HEAD>"),
            QStringLiteral("<META CHARSET=\"utf-8\">"),
            QStringLiteral("<TITLE>%1</TITLE>").arg(W::HTML(cTitre)),
            QStringLiteral("<META NAME=\"keywords\" CONTENT=\"%1\">").arg(W::HTML(O.cAWMotsCles))};
}

// The address of a node's folder from the album folder, with its final "/"; empty for the top.
QString DossierURL(const QString &cChemin)
{
    return cChemin.isEmpty() ? QString() : W::CheminURL(cChemin) + QLatin1Char('/');
}

// The frames' division of a "Frames" album, without its leading space.
QString Division(const TOptionsAlbumWEB &O, int nColonnes, int nTailleVignette)
{
    if (O.nAWDispoVig == dvVignettesAGauche)
        return QStringLiteral("COLS=\"%1,800\"").arg(qint64(nColonnes) * 2 * nTailleVignette);
    return QStringLiteral("ROWS=\"300,800\"");
}
} // namespace

QStringList FramesetAlbumWEB(const TOptionsAlbumWEB &O, const QString &cPremiereImage, int nTailleVignette)
{
    QStringList L = TeteSimple(O.cAWNomFenCipale, O);
    L << QStringLiteral("</HEAD>");
    if (cPremiereImage.isEmpty())
        return L << QStringLiteral("<BODY>") << QStringLiteral("</BODY>") << QStringLiteral("</HTML>");
    return L << QStringLiteral("<FRAMESET %1>").arg(Division(O, O.nAWNbCol, nTailleVignette))
             << QStringLiteral("<FRAME SRC=\"Vignettes.htm\" name=\"frm_Vignettes\">")
             << QStringLiteral("<FRAME SRC=\"Image.htm?%1\" name=\"frm_Image\">").arg(W::PartieURL(cPremiereImage))
             << QStringLiteral("</FRAMESET>") << QStringLiteral("</HTML>");
}

QStringList IndexHierarchieAlbumWEB(const TOptionsAlbumWEB &O, const QString &cCheminPremier,
                                    const QString &cPremiereImage, int nTailleVignette)
{
    const bool lVolet = O.lAWHierDansVoletRech;
    QStringList L = TeteSimple(QString(), O);
    if (!lVolet) {
        // The script stays inside the head, where a page with frames may hold one.
        L << QString() << QStringLiteral("<script language=\"JavaScript\">")
          << QStringLiteral("function FenetreHierarchie()") << QStringLiteral("{")
          << QStringLiteral("  window.open(\"Hierarchie.htm\", \"\", \"modal, left=\"+screen.width+\", "
                            "top=0\"+\", width=200, height=300\");")
          << QStringLiteral("}") << QStringLiteral("</script>");
    }
    L << QStringLiteral("</HEAD>") << QString();
    const QString P1 = DossierURL(cCheminPremier);
    const bool lFrames = O.nAWContAlbum == caFrames;
    const QString cDivision = lFrames ? QLatin1Char(' ') + Division(O, 1, nTailleVignette) : QString();
    if (lVolet) {
        L << QStringLiteral("<FRAMESET COLS=\"200,*\">")
          << QStringLiteral("<FRAME SRC=\"Hierarchie.htm\" name=\"frm_Hierarchie\">")
          << QStringLiteral("<FRAMESET%1>").arg(lFrames ? cDivision : QStringLiteral(" COLS=\"*\""));
    } else
        L << QStringLiteral("<FRAMESET onload=\"FenetreHierarchie();\"%1>").arg(cDivision);
    if (O.nAWContAlbum == caImagesSeules)
        L << QStringLiteral("<FRAME SRC=\"%1Image.htm\" name=\"frm_Image\">").arg(P1);
    else
        L << QStringLiteral("<FRAME SRC=\"%1Vignettes.htm\" name=\"frm_Vignettes\">").arg(P1);
    if (lFrames)
        L << (cPremiereImage.isEmpty() ? QStringLiteral("<FRAME SRC=\"%1Image.htm\" name=\"frm_Image\">").arg(P1)
                                       : QStringLiteral("<FRAME SRC=\"%1Image.htm?%2\" name=\"frm_Image\">")
                                             .arg(P1, W::PartieURL(cPremiereImage)));
    L << QStringLiteral("</FRAMESET>");
    if (lVolet)
        L << QStringLiteral("</FRAMESET>");
    return L << QStringLiteral("</HTML>");
}

QStringList PageHierarchieAlbumWEB(const TOptionsAlbumWEB &O, const QList<TEnrAWH> &Noeuds,
                                   const QStringList &Premieres)
{
    // A separate window reaches the album through its opener; a left frame through its parent.
    const QString cCible = O.lAWHierDansVoletRech ? QStringLiteral("parent") : QStringLiteral("window.opener");
    const bool lImagesSeules = O.nAWContAlbum == caImagesSeules;
    QStringList L = TeteSimple(QStringLiteral("Arborescence"), O);
    L << QString() << QStringLiteral("<script language=\"JavaScript\">") << QStringLiteral("var cIDPrec=\"t1\";")
      << QStringLiteral("function ClickDossier(oObject, cRepVigImg, cNomImg)") << QStringLiteral("{")
      << QStringLiteral("var cID=oObject.id;")
      << QStringLiteral("  %1.frames.%2.location.href=cRepVigImg.concat(\"%3\");")
             .arg(cCible, lImagesSeules ? QStringLiteral("frm_Image") : QStringLiteral("frm_Vignettes"),
                  lImagesSeules ? QStringLiteral("Image.htm") : QStringLiteral("Vignettes.htm"));
    if (O.nAWContAlbum == caFrames)
        L << QStringLiteral("  %1.frames.frm_Image.location.href=cRepVigImg.concat(\"Image.htm?\").concat(cNomImg);")
                 .arg(cCible);
    L << QString() << QStringLiteral("document.getElementById(\"b\"+cIDPrec).src=\"bmDossierF.jpg\";")
      << QStringLiteral("document.getElementById(\"b\"+cID).src=\"bmDossierO.jpg\";") << QString()
      << QStringLiteral("document.getElementById(cIDPrec).href=\"#\";")
      << QStringLiteral("document.getElementById(cID).removeAttribute(\"href\");") << QStringLiteral("cIDPrec = cID;")
      << QStringLiteral("focus();") << QStringLiteral("}") << QStringLiteral("</script>") << QStringLiteral("</HEAD>")
      << QString() << QStringLiteral("<BODY onload=\"focus();\" BGCOLOR=\"#FFFFFF\">")
      << QStringLiteral("<FONT FACE=\"Tahoma\" SIZE=3>");
    for (qsizetype i = 0; i < Noeuds.size(); ++i) {
        const TEnrAWH &N = Noeuds[i];
        // The arguments land in script strings inside an attribute: script first, then markup.
        const QString cDossier = W::HTML(W::JS(DossierURL(N.cChemin)));
        const QString cImage =
            O.nAWContAlbum == caFrames ? W::HTML(W::JS(W::PartieURL(Premieres.value(i)))) : QString();
        L << QStringLiteral("&nbsp;%1<img src = \"bmDossier%2.jpg\" id=\"bt%3\">&nbsp;<A %4id=\"t%3\" "
                            "onclick=\"ClickDossier(this, '%5', '%6');\">%7 <BR></A>")
                 .arg(QStringLiteral("&nbsp;&nbsp;&nbsp;").repeated(qMax(0, N.nNiveau)),
                      i == 0 ? QStringLiteral("O") : QStringLiteral("F"), QString::number(i + 1),
                      i == 0 ? QString() : QStringLiteral("href=\"#\" "), cDossier, cImage, W::HTML(N.cNom));
    }
    return L << QStringLiteral("</FONT>") << QStringLiteral("</BODY>") << QStringLiteral("</HTML>");
}
