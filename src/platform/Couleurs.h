#pragma once
// The table of 37 named colours that every colour setting indexes: 19 fixed colours, then 18
// colours of the desktop theme, taken from the palette the caller passes in.

#include <QColor>
#include <QPalette>
#include <QString>
#include <QStringList>

namespace Couleurs
{
constexpr int nNbCouleurs = 37;      // with the theme colours
constexpr int nNbCouleursFixes = 19; // without them

// The name of a colour, or an empty text outside the table.
QString Nom(int nIndex);
// The names of the first 19 colours, or of all 37 with the theme colours.
QStringList Noms(bool lSysColors);
// True when the index names a colour of the table (limited to the fixed ones without lSysColors).
bool IndexValide(int nIndex, bool lSysColors = true);
// The colour of an index; a stored index outside the table (a damaged or foreign settings file)
// falls back to nDefaut, the setting's own default index, and that one to black.
QColor Couleur(int nIndex, const QPalette &palette, int nDefaut = 0);
// The index itself when valid, otherwise nDefaut (or 0 when nDefaut is not valid either).
int IndexOuDefaut(int nIndex, int nDefaut, bool lSysColors = true);
}
