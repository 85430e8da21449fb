// EXIF of a JPEG file (APP1 segment search, TIFF block, Exif IFD, maker note).
#include "metadata/Exif.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pDonnees, size_t nTaille)
{
    LitEXIFJpeg(pDonnees, qint64(nTaille), false);
    LitEXIFJpeg(pDonnees, qint64(nTaille), true);
    return 0;
}
