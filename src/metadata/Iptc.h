#pragma once
// The program's own IPTC reader: record 2 datasets of the first APP13 segment of a JPEG file.

#include "metadata/DonneesMeta.h"

#include <QString>
#include <QtGlobal>

class TSourceOctets;

// Reads the IPTC fields of the JPEG in the source; the group flags are set.
TDonneesIPTC LitIPTCSource(TSourceOctets &Source);
TDonneesIPTC LitIPTCJpeg(const uchar *p, qint64 n);
// The fourteen fields of a segment's bytes (the two length bytes first, as in the file).
TDonneesIPTC LitIPTCSegment(const uchar *p, qint64 n);

// A dataset's text as kept: trimmed, line breaks as blanks, runs of blanks made single.
QString NettoieTexteIPTC(const QString &c);
