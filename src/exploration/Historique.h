#pragma once
// The folder history of the exploration page and the shortening of its entries for display.

#include <QString>
#include <QStringList>
#include <functional>

namespace Historique
{
// Puts a folder at the top of the history, removing its former place.
void MetEnTete(QStringList &Dossiers, const QString &cDossier);

// Shortens a text that does not fit by removing characters alternately at the right and at the
// left of its middle and putting one "." there, until lTient accepts it. nPosPoint receives
// the place of that "." (-1 when the text fits as it is).
QString RaccourcitMilieu(const QString &cTexte, const std::function<bool(const QString &)> &lTient,
                         qsizetype *nPosPoint = nullptr);
}
