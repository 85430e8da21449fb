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
