#pragma once
// The filter record's own rules: its reset, the flags derived from its fields, its saved form
// (section "SAUVEGARDE FILTRES" of the settings store) and the summary shown as the hint of a
// filter button.

#include "storage/EnrFiltres.h"

#include <QString>
#include <QStringList>

inline const QString cSectionSauvegardeFiltres = QStringLiteral("SAUVEGARDE FILTRES");

// Which of the three filters a record is: the search filter has a hint of its own.
enum class TTypeFiltre { Exploration, Recherche, HistoriqueCD };

// Every field back to its default (no criterion, today's dates).
void RAZEnrFiltre(TEnrFiltres &Enr);

// Sets lGeneral, lFiltreEXIF, the IPTC group flags, lFiltreIPTC, lColorimetrie, lMotif and
// lActif from the fields. lCaseMotif is the state of the pattern box: the pattern test is on
// only with a pattern file and a channel set.
void CalculeIndicateurs(TEnrFiltres &Enr, bool lCaseMotif);

// The operators of the EXIF and IPTC comparisons, by index: "" (none), "<", "<=", "=", ">=",
// ">", "<>".
QString TexteOperateur(int nOp);

// The saved form: 59 fields each followed by "|", dates as dd/MM/yyyy, texts trimmed; a "|" or
// a line break inside a text cannot change the field count.
QString FiltreSauve(const TEnrFiltres &Enr);
// Restores a saved form into the record, then its derived flags; false, the record untouched,
// unless the text splits into exactly 59 items whose numbers and dates all read.
bool LitFiltreSauve(const QString &cValeur, TEnrFiltres &Enr);

// The summary (markup text): the plain invitation when the filter does nothing, else every
// criterion set. lDescriptions: descriptions are handled (their criterion shows only then).
QString ResumeFiltre(const TEnrFiltres &Enr, TTypeFiltre nType, bool lDescriptions);

// The names of the channel sets 1 to 7 and of the zone search methods 0 to 5; empty out of range.
QString NomMethodePixels(int nMethode);
QString NomMethodeZone(int nMethode);
