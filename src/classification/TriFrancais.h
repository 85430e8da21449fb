#pragma once
// Sorting texts in the French order without regard to case, the order of QCollator for the
// French locale with case ignored, equal texts by their character codes.
//
// A collation key from QCollator costs about a microsecond and a half, which on a catalogue
// of 100,000 paths is most of the first opening of the database explorer. Texts made of
// printable ASCII and of the Latin-1 letters that are a base letter with one accent (é, À, ç,
// ñ, ÿ...) get a key of their own instead, made from a table: at the first level the base
// letters' ranks (case and accent set aside), then, for a text with accents, each character's
// accent (none before any accent). The table is read from the collator itself when first
// needed, and checked on texts where the levels matter ("cote", "côte", "coté", punctuation,
// digits); should the collator not agree, every text goes through it as before. These keys
// are sorted eight bytes at a time. Other texts are sorted by the collator's keys and merged
// in, comparing through the collator.

#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace TriFrancais
{
// The positions 0..nNombre-1 of the texts in that order.
std::vector<int> Ordre(qsizetype nNombre, const std::function<QStringView(qsizetype)> &Texte);

// True when the table agrees with the collator, so that covered texts get their own keys.
bool Rapide();
// Appends a text's own key to Cle; false, leaving Cle as it was, for a text with a
// character outside the table or when the table is not in use.
bool CleRapide(QStringView cTexte, std::string &Cle);
} // namespace TriFrancais
