#include "publishing/OptionsAlbumWEB.h"

#include "storage/BigIniFiles.h"

namespace
{
const QString &S = cSectionAlbumsWebGeneral;

int DansLimites(int n, int nMin, int nMax, int nDefaut)
{
    return n >= nMin && n <= nMax ? n : nDefaut;
}
} // namespace

QString ErreurSourceAlbumWEB(const TSourceDonneesAW &Source)
{
    switch (Source.nSource) {
    case saImagesCochees:
        return Source.pModele ? QString() : QStringLiteral("La liste des images n'est pas disponible.");
    case saAlbumImages:
    case saListeImages: return {};
    case saHierPerso:
        return Source.cArgument.trimmed().isEmpty() ? QStringLiteral("Aucun album WEB hiérarchique personnel choisi.")
                                                    : QString();
    case saHierDossiers: return Source.cArgument.isEmpty() ? QStringLiteral("Aucun dossier choisi.") : QString();
    case saHierCritere:
        return Source.cArgument.isEmpty() ? QStringLiteral("Aucun critère hiérarchique choisi.") : QString();
    }
    return QStringLiteral("Source d'album WEB inconnue.");
}

std::optional<int> TOptionsAlbumWEB::TailleMax() const
{
    bool lOk = false;
    const int n = cAWRedImgTailleMax.trimmed().toInt(&lOk);
    if (!lOk || n <= 0)
        return std::nullopt;
    return n;
}

bool TOptionsAlbumWEB::AvecLigneDonnees() const
{
    return lAWAffNom || lAWAffResol || lAWAffTaille || lAWAffDate || (nAWContAlbum == caImagesSeules && lAWAffLegende);
}

TOptionsAlbumWEB LitOptionsAlbumWEB(const TBigIniFile &P)
{
    const TOptionsAlbumWEB D;
    TOptionsAlbumWEB O;
    // A colour outside 0..0xFFFFFF is no colour value: its default stands.
    const auto Couleur = [&](const char *cCle, quint32 nDefaut) {
        const int n = P.ReadInteger(S, QLatin1String(cCle), static_cast<int>(nDefaut));
        return static_cast<quint32>(DansLimites(n, 0, 0xFFFFFF, static_cast<int>(nDefaut)));
    };
    O.cAWDosParentAlbum = P.ReadString(S, QStringLiteral("cAWDosParentAlbum"), D.cAWDosParentAlbum);
    O.nAWContAlbum = DansLimites(P.ReadInteger(S, QStringLiteral("nAWContAlbum"), D.nAWContAlbum), caVignettesSeules,
                                 caFrames, D.nAWContAlbum);
    O.nAWDispoVig = DansLimites(P.ReadInteger(S, QStringLiteral("nAWDispoVig"), D.nAWDispoVig), dvVignettesEnHaut,
                                dvVignettesAGauche, D.nAWDispoVig);
    O.cAWRedImgTailleMax = P.ReadString(S, QStringLiteral("cAWRedImgTailleMax"), D.cAWRedImgTailleMax);
    O.lAWAffNom = P.ReadBool(S, QStringLiteral("lAWAffNom"), D.lAWAffNom);
    O.lAWAffResol = P.ReadBool(S, QStringLiteral("lAWAffResol"), D.lAWAffResol);
    O.lAWAffTaille = P.ReadBool(S, QStringLiteral("lAWAffTaille"), D.lAWAffTaille);
    O.lAWAffDate = P.ReadBool(S, QStringLiteral("lAWAffDate"), D.lAWAffDate);
    O.lAWAffLegende = P.ReadBool(S, QStringLiteral("lAWAffLegende"), D.lAWAffLegende);
    // The window selects its first item for an index past its list.
    O.lAWTypeLegende = qMax(0, P.ReadInteger(S, QStringLiteral("lAWTypeLegende"), D.lAWTypeLegende));
    O.cAWAffPolice = P.ReadString(S, QStringLiteral("cAWAffPolice"), D.cAWAffPolice);
    O.lAWAffCadre = P.ReadBool(S, QStringLiteral("lAWAffCadre"), D.lAWAffCadre);
    O.nAWCoulFondFenetre = Couleur("nAWCoulFondFenetre", D.nAWCoulFondFenetre);
    O.nAWCoulPolice = Couleur("nAWCoulPolice", D.nAWCoulPolice);
    O.nAWCoulCadre = Couleur("nAWCoulCadre", D.nAWCoulCadre);
    O.nAWCoulFondVigImg = Couleur("nAWCoulFondVigImg", D.nAWCoulFondVigImg);
    O.nAWCoulFondDonnees = Couleur("nAWCoulFondDonnees", D.nAWCoulFondDonnees);
    O.lAWHierDansVoletRech = P.ReadBool(S, QStringLiteral("lAWHierDansVoletRech"), D.lAWHierDansVoletRech);
    O.lAWVisuResApresCreation = P.ReadBool(S, QStringLiteral("lAWVisuResApresCreation"), D.lAWVisuResApresCreation);
    return O;
}

void EcritOptionsAlbumWEB(TBigIniFile &P, const TOptionsAlbumWEB &O)
{
    P.WriteString(S, QStringLiteral("cAWDosParentAlbum"), O.cAWDosParentAlbum);
    P.WriteInteger(S, QStringLiteral("nAWContAlbum"), O.nAWContAlbum);
    P.WriteInteger(S, QStringLiteral("nAWDispoVig"), O.nAWDispoVig);
    P.WriteString(S, QStringLiteral("cAWRedImgTailleMax"), O.cAWRedImgTailleMax);
    P.WriteBool(S, QStringLiteral("lAWAffNom"), O.lAWAffNom);
    P.WriteBool(S, QStringLiteral("lAWAffResol"), O.lAWAffResol);
    P.WriteBool(S, QStringLiteral("lAWAffTaille"), O.lAWAffTaille);
    P.WriteBool(S, QStringLiteral("lAWAffDate"), O.lAWAffDate);
    P.WriteBool(S, QStringLiteral("lAWAffLegende"), O.lAWAffLegende);
    P.WriteInteger(S, QStringLiteral("lAWTypeLegende"), O.lAWTypeLegende);
    P.WriteString(S, QStringLiteral("cAWAffPolice"), O.cAWAffPolice);
    P.WriteBool(S, QStringLiteral("lAWAffCadre"), O.lAWAffCadre);
    P.WriteInteger(S, QStringLiteral("nAWCoulFondFenetre"), static_cast<int>(O.nAWCoulFondFenetre));
    P.WriteInteger(S, QStringLiteral("nAWCoulPolice"), static_cast<int>(O.nAWCoulPolice));
    P.WriteInteger(S, QStringLiteral("nAWCoulCadre"), static_cast<int>(O.nAWCoulCadre));
    P.WriteInteger(S, QStringLiteral("nAWCoulFondVigImg"), static_cast<int>(O.nAWCoulFondVigImg));
    P.WriteInteger(S, QStringLiteral("nAWCoulFondDonnees"), static_cast<int>(O.nAWCoulFondDonnees));
    P.WriteBool(S, QStringLiteral("lAWHierDansVoletRech"), O.lAWHierDansVoletRech);
    P.WriteBool(S, QStringLiteral("lAWVisuResApresCreation"), O.lAWVisuResApresCreation);
}
