#pragma once
// The metadata columns of the inspection line printed by "vimbrel --info FILE…".

#include <QString>

// Tab-separated, each preceded by a tab: cAppareil, cFocaleReelle, cVitesse, cDiaphragme,
// cDatePDV, cISO, cOrientation, cCommentaire, then the fourteen IPTC fields in their stored
// order, the values of a repeatable dataset separated by "; ".
// No focal store is used: the recorded focal length is printed, and an inspection never
// learns a coefficient into the user's store.
QString ColonnesInfoMeta(const QString &cFichier);
