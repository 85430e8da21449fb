#pragma once
// Saving a picture the user asked for (a thumbnail, the current image, a contact sheet) as a
// JPEG file, never over the image it comes from.

#include <QImage>
#include <QString>

// Writes a picture as a JPEG file (quality 90). Refuses to write over cFichierProtege (the
// image the picture comes from). False with the reason on failure.
bool SauveImageJPEG(const QImage &Image, const QString &cFichier, const QString &cFichierProtege, QString &cErreur);
// True when the two paths name the same file (links and "." resolved).
bool MemeFichier(const QString &cA, const QString &cB);
