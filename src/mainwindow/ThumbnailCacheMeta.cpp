// Kept apart from ThumbnailCache_fm.cpp: the metadata cache's header declares section names
// that the image-key header declares as well, so the two cannot meet in one file.
#include "metadata/CacheMeta.h"
#include "metadata/DonneesMeta.h"

void EcritMetadonneesCDVignette(TBigIniFile &iniSetup, const QString &cCle, const TDonneesEXIF &EXIF,
                                const TDonneesIPTC &IPTC)
{
    // Each writer keeps a record only when the image has such data.
    EcrireEXIFCatalogue(iniSetup, cCle, EXIF);
    EcrireIPTCCatalogue(iniSetup, cCle, IPTC);
}
