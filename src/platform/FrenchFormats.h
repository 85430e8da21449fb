#pragma once
// The French formats of the user interface, whatever the machine's locale: decimal comma,
// dates dd/MM/yyyy, times HH:mm:ss, French day and month names, French sorting ignoring case.

#include <QDateTime>
#include <QString>

namespace FrenchFormats
{
// A number with a decimal comma and at most nDecimales digits after it, trailing zeros kept
// ("2,8" for 2.8 with one decimal).
QString Nombre(double dValeur, int nDecimales);
// Parses a number written with a comma or a point; nullopt-like: lOk false when it fails.
double LitNombre(const QString &cTexte, bool *lOk = nullptr);
QString Date(const QDate &d);           // 25/12/2004
QString Heure(const QTime &t);          // 14:05:09
QString DateHeure(const QDateTime &dt); // 25/12/2004 14:05:09
QString NomJour(int nJour);             // 1 = "lundi" ... 7 = "dimanche"
QString NomMois(int nMois);             // 1 = "janvier" ... 12 = "décembre"
// Compares two texts as a French user sorts them (case ignored, accents ordered).
int Compare(const QString &a, const QString &b);
}
