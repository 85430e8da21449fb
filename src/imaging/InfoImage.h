#pragma once
// The inspection line of the command line: what image loading makes of one file.

#include <QString>

// One tab-separated line: the path, the kind ("JPEG", "RAW", "TIF", "PNG" or "-"), the file
// size in bytes, then the width and height the file decodes to, or "Erreur" and the reason.
// The file is fully decoded (at the thumbnail reduction), so a corrupt file says so here.
QString LigneInfoImage(const QString &cFichier);
