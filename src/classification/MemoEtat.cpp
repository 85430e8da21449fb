#include "classification/MemoEtat.h"

#include "classification/Classement.h"
#include "exploration/EnrLV.h"
#include "metadata/TextesMeta.h"

namespace
{
const char *const cTitres[nNbContenusMemoEtat] = {
    "Nom",          "Mots-clés",     "Légende", "Description", "Données techniques EXIF", "Commentaire EXIF",
    "Légende IPTC", "Mots-clés IPTC"};
} // namespace

QStringList OngletsMemoEtat(bool lTrtDescription)
{
    QStringList Onglets;
    for (int n = 0; n < nNbContenusMemoEtat; ++n)
        if (n != nMemoDescription || lTrtDescription)
            Onglets << QString::fromUtf8(cTitres[n]);
    return Onglets;
}

int ContenuOngletMemoEtat(int nOnglet, bool lTrtDescription)
{
    if (nOnglet < 0)
        return nMemoNom;
    const int n = !lTrtDescription && nOnglet >= nMemoDescription ? nOnglet + 1 : nOnglet;
    return std::min(n, int(nNbContenusMemoEtat) - 1);
}

QString TitreContenuMemoEtat(int nContenu)
{
    return nContenu >= 0 && nContenu < nNbContenusMemoEtat ? QString::fromUtf8(cTitres[nContenu]) : QString();
}

QColor CouleurContenuMemoEtat(int nContenu)
{
    switch (nContenu) {
    case nMemoNom: return Qt::black;
    case nMemoMotsCles:
    case nMemoLegende:
    case nMemoDescription: return Qt::blue;
    case nMemoEXIF:
    case nMemoCommentaireEXIF: return CouleurEtatEXIF();
    default: return CouleurEtatIPTC();
    }
}

TMemoEtat RemplitMemoEtat(const TEnrLV *pEnr, int nContenu, const TClassement &Classement)
{
    TMemoEtat m;
    m.Couleur = CouleurContenuMemoEtat(nContenu);
    if (!pEnr)
        return m;
    const TEnrLV &e = *pEnr;
    switch (nContenu) {
    case nMemoNom: m.cTexte = e.CheminComplet(); break;
    case nMemoMotsCles: m.cTexte = Classement.MotsClesImage(e); break;
    case nMemoLegende: m.cTexte = Classement.LegendeImage(e); break;
    case nMemoDescription: m.cTexte = Classement.DescriptionImage(e); break;
    case nMemoEXIF: m.cTexte = TexteEtatEXIF(e); break;
    case nMemoCommentaireEXIF: m.cTexte = TexteEtatCommentaireEXIF(e); break;
    case nMemoLegendeIPTC: m.cTexte = TexteEtatLegendeIPTC(e); break;
    case nMemoMotsClesIPTC: m.cTexte = TexteEtatMotsClesIPTC(e); break;
    default: break;
    }
    const QString cTitre = TitreContenuMemoEtat(nContenu);
    m.cBulle = m.cTexte.trimmed().isEmpty() ? QStringLiteral("<SG>%1</SG/> (vide)").arg(cTitre)
                                            : TexteLegende(cTitre, m.cTexte, 100);
    return m;
}
