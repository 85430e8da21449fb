#pragma once
// The program's own EXIF reader: JPEG APP1 segments, TIFF-based raw files at their header
// offsets, CRW files through their .THM companion or their trailer.
//
// These readers work on bytes and touch no store: the file-level operations (LireEXIF and the
// one read per listed image) are in LectureMeta.h.

#include "metadata/DonneesMeta.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>

class TSourceOctets;

// The raw result of a reader, before the focal store is consulted.
struct TLectureEXIF
{
    TDonneesEXIF Donnees; // values read; lEXIF and lFocEq are not set yet
    bool lLu = false;     // the reader reported success
    bool lTIFF = false;   // a full TIFF read took place, after which a coefficient may be learnt
    int nFocale35 = 0;    // FocalLengthIn35mmFilm, 0 when absent
};

// Where the EXIF block of a file lies, decided by its extension.
enum class TModeEXIF {
    Aucun, // not read
    Jpeg,  // APP1 segment (.JPG, .JPEG, the .THM of a .CRW)
    Tiff,  // TIFF header at byte 0 (.CR2, .NEF, .ORF, .PEF, .TIF)
    Raf,   // TIFF header at byte 120, else the embedded JPEG
    Mrw,   // TIFF header at byte 48
    Crw    // trailer of a .CRW without companion
};

// Readers over bytes; none reads outside [0, size).
TLectureEXIF LitEXIFSource(TSourceOctets &Source, TModeEXIF Mode, bool lModeleSeul);
TLectureEXIF LitEXIFJpeg(const uchar *p, qint64 n, bool lModeleSeul);
TLectureEXIF LitEXIFTiff(const uchar *p, qint64 n, qint64 nEntete, bool lModeleSeul);
TLectureEXIF LitEXIFCrw(const uchar *p, qint64 n, bool lModeleSeul);

// The JPEG segment search shared by the EXIF and IPTC readers: the position just after the
// first marker 0xFF nMarqueur of the JPEG starting at nDebut, or -1.
qint64 ChercheSegmentJpeg(TSourceOctets &Source, qint64 nDebut, uchar nMarqueur);
// Width and height from a JPEG's first start-of-frame segment (every SOF but C4, C8 and CC),
// from the bytes already read for the metadata; false when none is found before the scan.
bool LitTailleSOF(TSourceOctets &Source, qint64 &nLargeur, qint64 &nHauteur);

// Text forms of the values (French decimal comma).
QString TexteVitesse(qint64 n, qint64 d);    // 10/1250 -> "1/125", 2/1 -> "2"; empty when ignored
QString TexteDiaphragme(qint64 n, qint64 d); // 28/10 -> "2,8", 8/1 -> "8"
QString TexteFocale(qint64 n, qint64 d);     // 725/100 -> "7,25", 50/1 -> "50"
// "2005:07:14 18:30:05" -> "14/07/2005 18:30:05"; empty for any other shape.
QString TexteDatePDV(const QString &cTexte);
// A value with at most nDecimales decimals, halves rounded away from zero, decimal comma.
QString TexteDecimal(double dValeur, int nDecimales);

// The stored shooting date "dd/MM/yyyy HH:mm:ss" (its fixed French form, whatever the locale)
// as a local date and time; invalid for any other shape or an impossible date. A missing time
// part reads as midnight.
QDateTime LitDatePDV(const QString &cTexte);
