// The trailer of a CRW file without companion.
#include "metadata/Exif.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pDonnees, size_t nTaille)
{
    LitEXIFCrw(pDonnees, qint64(nTaille), false);
    LitEXIFCrw(pDonnees, qint64(nTaille), true);
    return 0;
}
