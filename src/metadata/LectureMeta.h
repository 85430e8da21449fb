#pragma once
// Reading an image file's EXIF and IPTC data by its path.
//
// Reading is split in two so that listing can read files on worker threads: LitMetaImage and
// LitEXIF are pure functions of the file (one open, one buffered read of its head); the
// completion (TermineLectureEXIF, AppliqueMetaImage) learns and applies the focal coefficient,
// which touches the focal store and so runs on the user-interface thread.

#include "metadata/DonneesMeta.h"
#include "metadata/Exif.h"
#include "metadata/Focale.h"

#include <QString>

// The mode for a file by its extension, and the file actually read (the .THM companion of a
// .CRW that has one).
TModeEXIF ModeEXIF(const QString &cFichier, QString *cSource = nullptr);

// Pure: reads the file's EXIF block.
TLectureEXIF LitEXIF(const QString &cFichier, bool lModeleSeul);
// Fills the record from a reader's result: sets lEXIF, learns the camera's focal coefficient
// after a full TIFF read, keeps the recorded focal length and converts the shown one.
void TermineLectureEXIF(const TLectureEXIF &Lecture, TDonneesEXIF &Enr, bool lModeleSeul,
                        const TContexteFocale &Focale);
// Clears the EXIF fields, reads the file, sets lEXIF, converts the focal length.
void LireEXIF(const QString &cFichier, TDonneesEXIF &Enr, bool lModeleSeul, const TContexteFocale &Focale);
// Clears the IPTC fields and reads those of a JPEG file; sets the group flags.
void LireIPTC(const QString &cFichier, TDonneesIPTC &Enr);

// Both blocks of one image, read with one open of the file (two for a .CRW with a .THM).
struct TMetaImage
{
    TLectureEXIF EXIF;
    TDonneesIPTC IPTC;
    // A JPEG's width and height from its frame header, 0 when not found in the bytes read.
    qint64 nLargeur = 0;
    qint64 nHauteur = 0;
};
// Pure and thread-safe: may run on a worker pool.
TMetaImage LitMetaImage(const QString &cFichier);
// On the user-interface thread: fills the list record's EXIF and IPTC texts.
void AppliqueMetaImage(const TMetaImage &Meta, TDonneesEXIF &EXIF, TDonneesIPTC &IPTC, const TContexteFocale &Focale);
