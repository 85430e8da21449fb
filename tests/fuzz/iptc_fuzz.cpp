// IPTC of a JPEG file (APP13 segment search and the datasets), and a segment on its own.
#include "metadata/Iptc.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pDonnees, size_t nTaille)
{
    LitIPTCJpeg(pDonnees, qint64(nTaille));
    LitIPTCSegment(pDonnees, qint64(nTaille));
    return 0;
}
