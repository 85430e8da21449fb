#pragma once
// The image list's columns and sort keys: the order string `cOrdreCol` (one letter per column
// after "Nom": E location, R resolution, T size, D date; upper case shown, lower case hidden)
// and the six sort keys `nLVColTri`.

#include <QString>
#include <QStringList>

struct TEnrLV;

namespace ColonnesListe
{
inline constexpr const char *cOrdreColDefaut = "eRTD";

enum TCleTri { TriNom = 0, TriEmplacement = 1, TriType = 2, TriResolution = 3, TriTaille = 4, TriDate = 5 };

// The order as stored when it holds each of E, R, T, D exactly once (any case); otherwise the
// default, so that a damaged settings value never loses or duplicates a column.
QString OrdreValide(const QString &cOrdre);

// "Emplacement", "Résol.", "Taille", "Date" for E, R, T, D (either case); empty otherwise.
QString Titre(QChar cLettre);
// "Nom" followed by the titles in the order's order.
QStringList Titres(const QString &cOrdre);
bool Visible(QChar cLettre);

// Swaps the case of one letter of the order, in place.
QString BasculeLettre(const QString &cOrdre, QChar cLettre);

// For a new order, the position in the old order of each new letter (compared in upper case):
// the j-th new sub-item is the old sub-item at that position; -1 when the letter is missing.
QList<int> Permutation(const QString &cAncien, const QString &cNouveau);

// The sort key of a clicked column caption: its first letter's place p in "NERTD", plus 1
// when p > 1; -1 for an unknown caption.
int CleDeColonne(const QString &cTitre);
// The six captions of the "Trier sur" menu, in key order.
QStringList TitresMenuTri();

// The texts of the columns for one entry.
QString TexteColonne(const TEnrLV &Enr, QChar cLettre);
QString TexteDate(qint64 nDate);
QString TexteResolution(const TEnrLV &Enr);
QString TexteResolution(qint64 nLargeur, qint64 nHauteur);
}
