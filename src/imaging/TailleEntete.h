#pragma once
// The width and height of an image file read from its header alone, for the data kept beside
// a thumbnail that already exists: nothing is decoded.

#include "storage/TailleImage.h"

#include <QString>

// The size the image loads at: a JPEG's frame, a PNG's header, the first picture of a TIF, a
// camera raw's developed size. False when the header cannot be read or gives no admissible
// size.
bool LitTailleEntete(const QString &cFichier, TTailleImage &Taille);
