#pragma once
// Focal lengths as 35 mm equivalents, with a multiplier per camera model learnt from the
// files that record both focal lengths and kept in the focal store (KX_CFAPN.ini).

#include "storage/Sections.h"

#include <QString>

class TBigIniFile;

// What the focal-length conversion needs: the focal store (KX_CFAPN.ini) and the setting that
// switches conversion on. Without a store nothing is learnt or converted.
struct TContexteFocale
{
    TBigIniFile *iniCFAPN = nullptr;
    bool lCoeffFocDansTable = false;
};

// The coefficient as stored: "1,6" when it has a fractional part, "2" otherwise (French form
// whatever the machine's locale).
QString TexteCoeff(double dCoeff);

// After a full read of a file: when the camera has no coefficient yet and the file gives both
// the recorded focal length and its 35 mm equivalent, stores their ratio and saves the store.
// A save that fails keeps the coefficient in memory for the next save and returns false.
bool ApprendreCoeffFocale(TBigIniFile *iniCFAPN, const QString &cAppareil, const QString &cFocale, int nFocale35);

// Replaces the focal text by its 35 mm equivalent (no decimals) when conversion is on and
// the camera has a coefficient other than "1"; true when it did.
bool ConvertirFocale(const TContexteFocale &Focale, const QString &cAppareil, QString &cFocale);
