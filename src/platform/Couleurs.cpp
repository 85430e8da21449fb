#include "platform/Couleurs.h"

namespace Couleurs
{
namespace
{
struct TEnrCouleur
{
    const char *cNom;
    QRgb nRgb;                    // fixed colours
    QPalette::ColorGroup nGroupe; // theme colours
    QPalette::ColorRole nRole;    // NoRole for fixed colours
};

// Qt has no caption or border colours: the nearest palette roles stand for them, so that a
// choice like "Barre de titre active (Fond)" still follows the desktop theme.
const TEnrCouleur aCouleurs[nNbCouleurs] = {
    {"Noir", qRgb(0, 0, 0), QPalette::Active, QPalette::NoRole},
    {"Marron", qRgb(128, 0, 0), QPalette::Active, QPalette::NoRole},
    {"Vert", qRgb(0, 128, 0), QPalette::Active, QPalette::NoRole},
    {"Moutarde", qRgb(128, 128, 0), QPalette::Active, QPalette::NoRole},
    {"Bleu", qRgb(0, 0, 128), QPalette::Active, QPalette::NoRole},
    {"Pourpre", qRgb(128, 0, 128), QPalette::Active, QPalette::NoRole},
    {"Cyan", qRgb(0, 128, 128), QPalette::Active, QPalette::NoRole},
    {"Acier", qRgb(192, 192, 192), QPalette::Active, QPalette::NoRole},
    {"Gris", qRgb(128, 128, 128), QPalette::Active, QPalette::NoRole},
    {"Rouge", qRgb(255, 0, 0), QPalette::Active, QPalette::NoRole},
    {"Vert clair", qRgb(0, 255, 0), QPalette::Active, QPalette::NoRole},
    {"Jaune", qRgb(255, 255, 0), QPalette::Active, QPalette::NoRole},
    {"Bleu clair", qRgb(0, 0, 255), QPalette::Active, QPalette::NoRole},
    {"Fuchsia", qRgb(255, 0, 255), QPalette::Active, QPalette::NoRole},
    {"Eau", qRgb(0, 255, 255), QPalette::Active, QPalette::NoRole},
    {"Blanc", qRgb(255, 255, 255), QPalette::Active, QPalette::NoRole},
    {"Blanc 33%", qRgb(85, 85, 85), QPalette::Active, QPalette::NoRole},
    {"Blanc 50%", qRgb(127, 127, 127), QPalette::Active, QPalette::NoRole},
    {"Blanc 66%", qRgb(170, 170, 170), QPalette::Active, QPalette::NoRole},
    {"Barre de titre active (Fond)", 0, QPalette::Active, QPalette::Highlight},
    {"Barre de titre active (Texte)", 0, QPalette::Active, QPalette::HighlightedText},
    {"Barre de titre inactive (Fond)", 0, QPalette::Inactive, QPalette::Window},
    {"Barre de titre inactive (Texte)", 0, QPalette::Disabled, QPalette::WindowText},
    {"Bordure de fenêtre active", 0, QPalette::Active, QPalette::Midlight},
    {"Bordure de fenêtre inactive", 0, QPalette::Inactive, QPalette::Light},
    {"Bureau", 0, QPalette::Active, QPalette::Shadow},
    {"Eléments sélectionnés (Fond)", 0, QPalette::Active, QPalette::Highlight},
    {"Eléments sélectionnés (Texte)", 0, QPalette::Active, QPalette::HighlightedText},
    {"Espace de travail de l'application", 0, QPalette::Active, QPalette::Mid},
    {"Fenêtre (Fond)", 0, QPalette::Active, QPalette::Base},
    {"Fenêtre (Texte)", 0, QPalette::Active, QPalette::Text},
    {"Infobulle (Fond)", 0, QPalette::Active, QPalette::ToolTipBase},
    {"Infobulle (Texte)", 0, QPalette::Active, QPalette::ToolTipText},
    {"Menu (Fond)", 0, QPalette::Active, QPalette::Window},
    {"Menu (Texte)", 0, QPalette::Active, QPalette::WindowText},
    {"Objets 3D (Fond)", 0, QPalette::Active, QPalette::Button},
    {"Objets 3D (Texte)", 0, QPalette::Active, QPalette::ButtonText},
};
}

QString Nom(int nIndex)
{
    return IndexValide(nIndex) ? QString::fromUtf8(aCouleurs[nIndex].cNom) : QString();
}

QStringList Noms(bool lSysColors)
{
    QStringList l;
    const int n = lSysColors ? nNbCouleurs : nNbCouleursFixes;
    for (int i = 0; i < n; ++i)
        l << QString::fromUtf8(aCouleurs[i].cNom);
    return l;
}

bool IndexValide(int nIndex, bool lSysColors)
{
    return nIndex >= 0 && nIndex < (lSysColors ? nNbCouleurs : nNbCouleursFixes);
}

int IndexOuDefaut(int nIndex, int nDefaut, bool lSysColors)
{
    if (IndexValide(nIndex, lSysColors))
        return nIndex;
    return IndexValide(nDefaut, lSysColors) ? nDefaut : 0;
}

QColor Couleur(int nIndex, const QPalette &palette, int nDefaut)
{
    const TEnrCouleur &c = aCouleurs[IndexOuDefaut(nIndex, nDefaut)];
    if (c.nRole == QPalette::NoRole)
        return QColor::fromRgb(c.nRgb);
    return palette.color(c.nGroupe, c.nRole);
}
}
