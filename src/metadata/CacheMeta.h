#pragma once
// The EXIF and IPTC records cached in the settings store (sections "EXIF" and "IPTC", key =
// the image key), so that the data of CD images stay available while the disc is absent.

#include "metadata/DonneesMeta.h"
#include "metadata/Focale.h"
#include "storage/CleImage.h"

#include <QString>
#include <QStringList>

class TBigIniFile;

// One field as written in a record: a "|" inside becomes "¦" and line breaks become blanks,
// so that the field count never changes.
QString ChampRecord(const QString &cChamp);
// Fields each followed by "|".
QString FormeRecord(const QStringList &Champs);
// Splits a record at "|": the text before each separator is one item (empty items count), the
// remainder is trimmed before the next separator is searched, a trailing empty remainder is
// dropped.
QStringList DecoupeRecord(const QString &cRecord);

QString RecordEXIF(const TDonneesEXIF &Enr);
QString RecordIPTC(const TDonneesIPTC &Enr);

// Fills the EXIF fields from the cache; lEXIF only when the record has exactly 8 items; the
// focal length is then converted.
void LireEXIFCatalogue(const TBigIniFile &iniSetup, const QString &cCle, TDonneesEXIF &Enr,
                       const TContexteFocale &Focale);
// The same from a record already split (8 items, else nothing is set and false).
bool MetEXIFDeRecord(TDonneesEXIF &Enr, const QStringList &Record, const TContexteFocale &Focale);
// JPEG images only: fills the IPTC fields from the cache; lIPTC only with exactly 14 items.
void LireIPTCCatalogue(const TBigIniFile &iniSetup, const QString &cCle, TDonneesIPTC &Enr);
// When lEXIF: writes the record (the recorded focal length, never the converted one) and adds
// a non-blank model to the known camera models (when a list is given).
void EcrireEXIFCatalogue(TBigIniFile &iniSetup, const QString &cCle, const TDonneesEXIF &Enr,
                         QStringList *ModelesConnus = nullptr);
// When lIPTC: writes the record.
void EcrireIPTCCatalogue(TBigIniFile &iniSetup, const QString &cCle, const TDonneesIPTC &Enr);

// Adds a non-blank camera model to the list of known models unless it is there already;
// true when added.
bool AjouteModeleConnu(QStringList &Modeles, const QString &cAppareil);
