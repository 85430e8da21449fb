#pragma once
// A picture as image loading hands it to its callers: the decoded pixels (32-bit), the
// image's own size, and for a JPEG the reduction it was decoded at.

#include "storage/TailleImage.h"

#include <QImage>

struct TImageChargee
{
    QImage Image;        // decoded pixels, Format_RGB32 or Format_ARGB32
    TTailleImage Taille; // the image's own width and height (full size)
    bool lJPEG = false;  // decoded by the JPEG codec
    int nEchelle = 1;    // the JPEG reduction used (1, 2, 4 or 8)
};
