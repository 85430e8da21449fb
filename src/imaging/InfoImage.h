#pragma once
// The inspection line of the command line: what image loading makes of one file.

#include <QString>

// The first columns of the line, tab-separated: the path, the kind ("JPEG", "RAW", "TIF", "PNG"
// or "-"), the file size in bytes, then the image's width and height as its header gives them
// (both empty when the header cannot be read). The file is also fully decoded (at the
// thumbnail reduction), so that a corrupt file says so: cErreur, when given, receives why it
// could not be decoded, on one line, or an empty text.
QString LigneInfoImage(const QString &cFichier, QString *cErreur = nullptr);
