// The metadata readers as the listing uses them. Kept apart from the key operations, whose
// header declares section names of its own.
#include "exploration/ListeImages.h"
#include "imaging/FileKinds.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"

void BrancheMetadonnees(TContexteListe &Ctx, const TContexteFocale &Focale)
{
    Ctx.LitMetadonnees = [Focale](TEnrLV &Enr, const QString &cFichier) {
        const TMetaImage Meta = LitMetaImage(cFichier);
        AppliqueMetaImage(Meta, Enr, Enr, Focale);
        if (Meta.nLargeur > 0 && Meta.nHauteur > 0) {
            Enr.nLargeur = Meta.nLargeur;
            Enr.nHauteur = Meta.nHauteur;
        }
    };
    TBigIniFile *iniSetup = Ctx.iniSetup;
    Ctx.LitMetadonneesCache = [Focale, iniSetup](TEnrLV &Enr, const QString &cCle) {
        if (!iniSetup)
            return;
        LireEXIFCatalogue(*iniSetup, cCle, Enr, Focale);
        if (EstJPEG(Enr.cChemin))
            LireIPTCCatalogue(*iniSetup, cCle, Enr);
    };
}
