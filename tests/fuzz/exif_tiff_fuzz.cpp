// EXIF of TIFF-based raw files, at the header offsets of each kind.
#include "metadata/Exif.h"
#include "metadata/SourceOctets.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pDonnees, size_t nTaille)
{
    for (TModeEXIF m : {TModeEXIF::Tiff, TModeEXIF::Raf, TModeEXIF::Mrw}) {
        TSourceOctets s(pDonnees, qint64(nTaille));
        LitEXIFSource(s, m, false);
    }
    LitEXIFTiff(pDonnees, qint64(nTaille), 0, true);
    return 0;
}
