#include "storage/Parametres.h"

#include "platform/FrenchFormats.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace Parametres
{
namespace
{

using P = TEnrParametres;

struct TDefElement
{
    int nNiveau;
    const char *cTexte;
    bool P::*pReglage; // null for groups and for items 21 and 36
    bool lGroupe;
};

const QString cTexteTHMWAV = QStringLiteral("Traiter les %1 (copies, suppressions, datations et renomages)");

// Kept in step with the tree: a new item is a line here.
const TDefElement DefElements[nNbElementsGeneral] = {
    {0, "Bulles d'aide", nullptr, true},
    {1, "Contenu :", nullptr, true},
    {2, "Traitements", &P::lHintAffTRT, false},
    {2, "Critères", &P::lHintAffCRIT, false},
    {2, "Albums d'images", &P::lHintAffAlbImg, false},
    {2, "Albums WEB hiérarchiques personnels", &P::lHintAffAlbWHP, false},
    {2, "Données EXIF", &P::lHintAffEXIF, false},
    {2, "Données IPTC", &P::lHintAffIPTC, false},
    {1, "Présentes dans la liste d'images", &P::lAffHintDsLVImgs, false},
    {1, "Agrandir la liste d'images lors de son survol", &P::lAgrandirLVQdSurvol, false},
    {0, "Zoom", nullptr, true},
    {1, "Conserver le rapport de Zoom d'une image à l'autre", &P::lConsRapZoom, false},
    {1, "Sauvegarder ce rapport d'une session à l'autre", &P::lSauveRapZoom, false},
    {0, "Données EXIF", nullptr, true},
    {1, "Préremplir les listes 'Appareils' avec les 500 1° valeurs de la BD", &P::lPreRemplCBEXIFApp, false},
    {1, "Focale : coefficient multiplicateur pour l'équivalence 24x36", nullptr, true},
    {2, "le chercher ici :", &P::lCoeffFocDansTable, false},
    {1, "Orientation automatique", &P::lOrientationAuto, false},
    {0, "Légendes", nullptr, true},
    {1, "Préremplir les listes 'Légendes' avec les valeurs de la BD", &P::lPreRemplCBLeg, false},
    {1, "Compléter la saisie", &P::lLegComplSaisie, false},
    {1, "Limiter l'affichage à (caract. par ligne)", nullptr, false},
    {0, "Critères", nullptr, true},
    {1, "Deplier entièrement l'arborescence des critères hiérarchiques", &P::lDeplEntArboCritHier, false},
    {1, "Trier cette arborescence (non réversible)", &P::lTrierArboCritHier, false},
    {1, "Décocher les images après l'affectation des critères", &P::lDecocheImgAprAffectCrit, false},
    {1, "Etendre la recherche aux critères enfants", &P::lEtendRechCritEnf, false},
    {0, "Traitements des fichiers .THM pour les .CRW", nullptr, true},
    {1, "Lire les vignettes dans les fichiers .THM", &P::lLireVigDsTHM, false},
    {1, nullptr, &P::lTrtTHMDsOpFic, false},
    {1, nullptr, &P::lTrtWAVDsOpFic, false},
    {1, "Traiter les fichiers 'Descript.ion' (pour les mêmes opérations)", &P::lTrtDescription, false},
    {0, "Divers", nullptr, true},
    {1, "Mode mise à jour", &P::lModeMAJ, false},
    {1, "Menu principal visible", &P::lMenuCipalVisible, false},
    {1, "Aperçu pour les traitements Noir & Blanc, Contr., Lum. et Canaux", &P::lTrtApercu, false},
    {1, "Option 'Lire avec Vimbrel' dans le gestionnaire de fichiers", nullptr, false},
    {1, "Message de confirmation avant de quitter l'application", &P::lMsgConfQuitAppli, false},
};

bool IndexValide(int n)
{
    return n >= 0 && n < nNbElementsGeneral;
}

int Borne(int n, int nMin, int nMax, int nDefaut)
{
    return (n < nMin || n > nMax) ? nDefaut : n;
}

} // namespace

const QList<TElementGeneral> &ElementsGeneral()
{
    static const QList<TElementGeneral> Liste = [] {
        QList<TElementGeneral> l;
        for (int i = 0; i < nNbElementsGeneral; ++i) {
            const TDefElement &d = DefElements[i];
            QString cTexte = d.cTexte ? QString::fromUtf8(d.cTexte)
                                      : cTexteTHMWAV.arg(i == 29 ? QStringLiteral(".THM") : QStringLiteral(".WAV"));
            l.append({d.nNiveau, cTexte, d.lGroupe});
        }
        return l;
    }();
    return Liste;
}

bool TEtatParametres::Coche(int nElement) const
{
    return IndexValide(nElement) && abCoches[nElement];
}

void TEtatParametres::MetCoche(int nElement, bool lCoche)
{
    if (IndexValide(nElement) && !DefElements[nElement].lGroupe)
        abCoches[nElement] = lCoche;
}

int TEtatParametres::Icone(int nElement) const
{
    if (!IndexValide(nElement) || DefElements[nElement].lGroupe)
        return nIconeGroupe;
    return abCoches[nElement] ? nIconeCoche : nIconeDecoche;
}

bool TEtatParametres::Bascule(int nElement)
{
    if (!IndexValide(nElement) || DefElements[nElement].lGroupe)
        return false;
    abCoches[nElement] = !abCoches[nElement];
    return true;
}

TEtatParametres EtatDepuis(const TEnrParametres &Enr, bool lVerbeDossierInstalle)
{
    TEtatParametres e;
    e.P = Enr;
    const TEnrParametres Defaut;
    for (int i = 0; i < nNbElementsGeneral; ++i)
        if (DefElements[i].pReglage)
            e.abCoches[i] = Enr.*DefElements[i].pReglage;
    // The sign says whether the limit applies, the size what it is.
    const int n = Enr.nAffLegMaxCarLig;
    e.abCoches[nElementLegMax] = n > 0;
    e.nLegMax = n == 0 ? nLegMaxDefaut : std::clamp(std::abs(n), nLegMaxMin, nLegMaxMax);
    e.abCoches[nElementVerbeDossier] = lVerbeDossierInstalle;
    e.lVerbeDossier = lVerbeDossierInstalle;

    e.P.nIndTailleVigs = Borne(Enr.nIndTailleVigs, 0, nNbTaillesVignettes - 1, Defaut.nIndTailleVigs);
    e.P.nIndLargMaxSvgTtesVig =
        Borne(Enr.nIndLargMaxSvgTtesVig, 0, nNbLargMaxSvgTtesVig - 1, Defaut.nIndLargMaxSvgTtesVig);
    e.P.nVigCoulFond = Borne(Enr.nVigCoulFond, 0, nNbCouleurs - 1, Defaut.nVigCoulFond);
    e.P.nVigCoulPan = Borne(Enr.nVigCoulPan, 0, nNbCouleurs - 1, Defaut.nVigCoulPan);
    e.P.nVigCoulTxtPan = Borne(Enr.nVigCoulTxtPan, 0, nNbCouleurs - 1, Defaut.nVigCoulTxtPan);
    e.P.nImgFACoulFond = Borne(Enr.nImgFACoulFond, 0, nNbCouleurs - 1, Defaut.nImgFACoulFond);
    e.P.nImgPECoulFond = Borne(Enr.nImgPECoulFond, 0, nNbCouleurs - 1, Defaut.nImgPECoulFond);
    e.P.pnVigs_Align = Borne(Enr.pnVigs_Align, 0, 1, Defaut.pnVigs_Align);
    e.P.vfGene_nMaxLH = std::clamp(Enr.vfGene_nMaxLH, nVFMaxLHMin, nVFMaxLHMax);
    e.P.vfGene_nQuelleImg = Borne(Enr.vfGene_nQuelleImg, 0, 3, Defaut.vfGene_nQuelleImg);
    e.P.cOrdreCol = EncodeOrdre(TListeOrdre::Colonnes, DecodeOrdre(TListeOrdre::Colonnes, Enr.cOrdreCol));
    e.P.cOrdreTrt = EncodeOrdre(TListeOrdre::Traitements, DecodeOrdre(TListeOrdre::Traitements, Enr.cOrdreTrt));
    e.P.cOrdreEXIF = EncodeOrdre(TListeOrdre::EXIF, DecodeOrdre(TListeOrdre::EXIF, Enr.cOrdreEXIF));
    e.P.cOrdreIPTC = EncodeOrdre(TListeOrdre::IPTC, DecodeOrdre(TListeOrdre::IPTC, Enr.cOrdreIPTC));
    return e;
}

void RelitDans(const TEtatParametres &Etat, TEnrParametres &Enr)
{
    // Only what the window edits goes back: the record may have changed elsewhere meanwhile.
    const TEnrParametres &E = Etat.P;
    for (int i = 0; i < nNbElementsGeneral; ++i)
        if (DefElements[i].pReglage)
            Enr.*DefElements[i].pReglage = Etat.abCoches[i];
    const int nLeg = std::clamp(Etat.nLegMax, nLegMaxMin, nLegMaxMax);
    Enr.nAffLegMaxCarLig = Etat.abCoches[nElementLegMax] ? nLeg : -nLeg;
    Enr.lVigPan3D = E.lVigPan3D;
    Enr.nVigCoulFond = E.nVigCoulFond;
    Enr.nVigCoulPan = E.nVigCoulPan;
    Enr.nVigCoulTxtPan = E.nVigCoulTxtPan;
    Enr.nImgFACoulFond = E.nImgFACoulFond;
    Enr.nImgPECoulFond = E.nImgPECoulFond;
    Enr.nIndTailleVigs = E.nIndTailleVigs;
    Enr.nIndLargMaxSvgTtesVig = E.nIndLargMaxSvgTtesVig;
    Enr.pnVigs_Align = E.pnVigs_Align;
    Enr.vfGene_lActive = E.vfGene_lActive;
    Enr.vfGene_lAussiDepuisCD = E.vfGene_lAussiDepuisCD;
    Enr.vfGene_nMaxLH = std::clamp(E.vfGene_nMaxLH, nVFMaxLHMin, nVFMaxLHMax);
    Enr.vfGene_nQuelleImg = std::clamp(E.vfGene_nQuelleImg, 0, 3);
    Enr.cOrdreCol = E.cOrdreCol;
    Enr.cOrdreTrt = E.cOrdreTrt;
    Enr.cOrdreEXIF = E.cOrdreEXIF;
    Enr.cOrdreIPTC = E.cOrdreIPTC;
}

void ValeursDefautVignettes(TEnrParametres &Enr)
{
    Enr.lVigPan3D = true;
    Enr.nVigCoulFond = 29;
    Enr.nVigCoulPan = 35;
    Enr.nVigCoulTxtPan = 30;
}

QStringList TextesTaillesVignettes()
{
    QStringList l;
    for (const int n : nTaillesVignettes)
        l.append(QStringLiteral("%1x%1").arg(n));
    return l;
}

QStringList TextesLargMaxSvgTtesVig()
{
    return {QStringLiteral("Largeur écran"), QStringLiteral("800"),  QStringLiteral("1024"), QStringLiteral("1600"),
            QStringLiteral("2048"),          QStringLiteral("3072"), QStringLiteral("4096")};
}

QStringList TextesQuelleImageVF()
{
    return {QStringLiteral("la première"), QStringLiteral("la dernière"), QStringLiteral("n'importe laquelle"),
            QStringLiteral("selon la position de la souris")};
}

QList<TLigneCoeffFoc> LignesCoeffFoc(const QStringList &cLignesCleValeur)
{
    QStringList Triees = cLignesCleValeur;
    Triees.sort(Qt::CaseInsensitive);
    QList<TLigneCoeffFoc> l;
    for (const QString &cLigne : Triees) {
        const qsizetype nEgal = cLigne.indexOf(QLatin1Char('='));
        if (nEgal <= 0)
            continue;
        bool lOk = false;
        const double d = FrenchFormats::LitNombre(cLigne.mid(nEgal + 1).trimmed(), &lOk);
        if (!lOk || !std::isfinite(d))
            continue;
        l.append({cLigne.left(nEgal), FrenchFormats::Nombre(d, 1), false});
    }
    if (!l.isEmpty())
        l.prepend({QStringLiteral("Appareil"), QStringLiteral("Coeff"), true});
    return l;
}

QString LettresOrdre(TListeOrdre Liste)
{
    switch (Liste) {
    case TListeOrdre::Colonnes: return QStringLiteral("ERTD");
    case TListeOrdre::Traitements: return QStringLiteral("RMNCTX");
    case TListeOrdre::EXIF: return QStringLiteral("AFVDPIOC");
    case TListeOrdre::IPTC: return QStringLiteral("LMCRO");
    }
    return {};
}

QString OrdreDefaut(TListeOrdre Liste)
{
    const TEnrParametres d;
    switch (Liste) {
    case TListeOrdre::Colonnes: return d.cOrdreCol;
    case TListeOrdre::Traitements: return d.cOrdreTrt;
    case TListeOrdre::EXIF: return d.cOrdreEXIF;
    case TListeOrdre::IPTC: return d.cOrdreIPTC;
    }
    return {};
}

QString TexteLettre(TListeOrdre Liste, QChar cLettre)
{
    const char c = char(cLettre.toUpper().toLatin1());
    switch (Liste) {
    case TListeOrdre::Colonnes:
        switch (c) {
        case 'E': return QStringLiteral("Emplacement");
        case 'R': return QStringLiteral("Résol.");
        case 'T': return QStringLiteral("Taille");
        case 'D': return QStringLiteral("Date");
        }
        break;
    case TListeOrdre::Traitements:
        switch (c) {
        case 'R': return QStringLiteral("Rotations");
        case 'M': return QStringLiteral("Miroirs");
        case 'N': return QStringLiteral("Noir et Blanc");
        case 'C': return QStringLiteral("Contraste, Luminosité");
        case 'T': return QStringLiteral("Négatif");
        case 'X': return QStringLiteral("Canaux");
        }
        break;
    case TListeOrdre::EXIF:
        switch (c) {
        case 'A': return QStringLiteral("Appareil");
        case 'F': return QStringLiteral("Focale");
        case 'V': return QStringLiteral("Vitesse");
        case 'D': return QStringLiteral("Diaphragme");
        case 'P': return QStringLiteral("Date (prise de vue)");
        case 'I': return QStringLiteral("ISO");
        case 'O': return QStringLiteral("Orientation");
        case 'C': return QStringLiteral("Commentaire");
        }
        break;
    case TListeOrdre::IPTC:
        switch (c) {
        case 'L': return QStringLiteral("Légende");
        case 'M': return QStringLiteral("Mots-clés");
        case 'C': return QStringLiteral("Catégorie");
        case 'R': return QStringLiteral("Crédits");
        case 'O': return QStringLiteral("Origine");
        }
        break;
    }
    return {};
}

QList<TElementOrdre> DecodeOrdre(TListeOrdre Liste, const QString &cOrdre)
{
    const QString cLettres = LettresOrdre(Liste);
    // Only letters of the list, each once; anything else reads as the default.
    QString cValide;
    bool lValide = true;
    for (const QChar c : cOrdre) {
        if (!cLettres.contains(c.toUpper()) || cValide.contains(c.toUpper(), Qt::CaseInsensitive)) {
            lValide = false;
            break;
        }
        cValide += c;
    }
    if (!lValide)
        cValide = OrdreDefaut(Liste);
    QList<TElementOrdre> l;
    if (Liste == TListeOrdre::Colonnes)
        l.append({QChar(), QStringLiteral("Nom"), true});
    const bool lToujours = Liste == TListeOrdre::Traitements;
    for (const QChar c : cValide)
        l.append({c.toUpper(), TexteLettre(Liste, c), lToujours || c.isUpper()});
    for (const QChar c : cLettres)
        if (!cValide.contains(c, Qt::CaseInsensitive))
            l.append({c, TexteLettre(Liste, c), lToujours});
    return l;
}

QString EncodeOrdre(TListeOrdre Liste, const QList<TElementOrdre> &Elements)
{
    QString c;
    for (const TElementOrdre &e : Elements) {
        if (e.cLettre.isNull())
            continue;
        c += (e.lCoche || Liste == TListeOrdre::Traitements) ? e.cLettre.toUpper() : e.cLettre.toLower();
    }
    return c;
}

bool MonteePossible(TListeOrdre Liste, int nLigne, int nNombre)
{
    const int nPremiere = Liste == TListeOrdre::Colonnes ? 2 : 1;
    return nLigne >= nPremiere && nLigne < nNombre;
}

bool DescentePossible(TListeOrdre Liste, int nLigne, int nNombre)
{
    const int nPremiere = Liste == TListeOrdre::Colonnes ? 1 : 0;
    return nLigne >= nPremiere && nLigne < nNombre - 1;
}

int Monte(TListeOrdre Liste, QList<TElementOrdre> &Elements, int nLigne)
{
    if (!MonteePossible(Liste, nLigne, int(Elements.size())))
        return nLigne;
    Elements.swapItemsAt(nLigne, nLigne - 1);
    return nLigne - 1;
}

int Descend(TListeOrdre Liste, QList<TElementOrdre> &Elements, int nLigne)
{
    if (!DescentePossible(Liste, nLigne, int(Elements.size())))
        return nLigne;
    Elements.swapItemsAt(nLigne, nLigne + 1);
    return nLigne + 1;
}

void MetCocheOrdre(TListeOrdre Liste, QList<TElementOrdre> &Elements, int nLigne, bool lCoche)
{
    if (nLigne < 0 || nLigne >= Elements.size())
        return;
    TElementOrdre &e = Elements[nLigne];
    e.lCoche = lCoche || e.cLettre.isNull() || Liste == TListeOrdre::Traitements;
}

TEtatDossierDonnees EtatDossierDonnees(const TEmplacementsConfig &Emplacements, const TDossiers &Dossiers,
                                       const QString &cDossier, TSystemeDonnees Systeme, int nOperation)
{
    TEtatDossierDonnees e;
    if (cDossier.trimmed().isEmpty())
        return e;
    const TVerificationDestination v = VerifieDestination(Emplacements, Dossiers, cDossier, Systeme, nOperation);
    e.lActif = v.lAccepte;
    if (v.lSansObjet)
        e.cTexte = QStringLiteral("Le dossier « %1 » est le dossier des données actuel ou celui du programme.")
                       .arg(QDir::toNativeSeparators(cDossier));
    else if (!v.lAccepte)
        e.cTexte = v.cRefus;
    else
        e.cTexte = ExplicationDeplacement(Systeme, nOperation);
    return e;
}

QList<TChangement> ChangementsApresOK(const TAvantApres &a)
{
    const TEnrParametres &Av = a.Avant;
    const TEnrParametres &Ap = a.Apres;
    QList<TChangement> l;
    const auto Si = [&l](bool lCondition, TChangement c) {
        if (lCondition)
            l.append(c);
    };
    const bool lBulles = Av.lHintAffTRT != Ap.lHintAffTRT || Av.lHintAffCRIT != Ap.lHintAffCRIT
                         || Av.lHintAffAlbImg != Ap.lHintAffAlbImg || Av.lHintAffAlbWHP != Ap.lHintAffAlbWHP
                         || Av.lHintAffEXIF != Ap.lHintAffEXIF || Av.lHintAffIPTC != Ap.lHintAffIPTC
                         || Av.nAffLegMaxCarLig != Ap.nAffLegMaxCarLig || Av.lTrierArboCritHier != Ap.lTrierArboCritHier
                         || Av.lTrtDescription != Ap.lTrtDescription;
    Si(Av.lAffHintDsLVImgs != Ap.lAffHintDsLVImgs, TChangement::BullesListe);
    Si(!Av.lPreRemplCBEXIFApp && Ap.lPreRemplCBEXIFApp, TChangement::RemplitAppareils);
    Si(Av.lOrientationAuto != Ap.lOrientationAuto, TChangement::Orientation);
    Si(!Av.lPreRemplCBLeg && Ap.lPreRemplCBLeg, TChangement::RemplitLegendes);
    Si(Av.lLegComplSaisie != Ap.lLegComplSaisie, TChangement::AutoSeekLegende);
    Si(!Av.lTrierArboCritHier && Ap.lTrierArboCritHier, TChangement::TriArboCriteres);
    l.append(TChangement::BulleRecherche);
    Si(Av.lTrtDescription != Ap.lTrtDescription, TChangement::Descriptions);
    Si(Av.lModeMAJ != Ap.lModeMAJ, TChangement::Mode);
    Si(Av.lMenuCipalVisible != Ap.lMenuCipalVisible, TChangement::MenuPrincipal);
    Si(a.lVerbeAvant != a.lVerbeApres, TChangement::VerbeDossier);
    Si(Av.lVigPan3D != Ap.lVigPan3D || Av.nVigCoulFond != Ap.nVigCoulFond || Av.nVigCoulPan != Ap.nVigCoulPan
           || Av.nVigCoulTxtPan != Ap.nVigCoulTxtPan || Av.nImgFACoulFond != Ap.nImgFACoulFond,
       TChangement::AspectVignettes);
    Si(Av.nIndTailleVigs != Ap.nIndTailleVigs, TChangement::TailleVignettes);
    Si(Av.pnVigs_Align != Ap.pnVigs_Align, TChangement::PlaceVignettes);
    Si(Av.vfGene_lActive != Ap.vfGene_lActive, TChangement::VignetteFlotteCree);
    Si(Av.vfGene_lAussiDepuisCD != Ap.vfGene_lAussiDepuisCD || Av.vfGene_nMaxLH != Ap.vfGene_nMaxLH
           || Av.vfGene_nQuelleImg != Ap.vfGene_nQuelleImg,
       TChangement::VignetteFlotteParams);
    Si(Av.cOrdreCol != Ap.cOrdreCol, TChangement::Colonnes);
    Si(Av.cOrdreEXIF != Ap.cOrdreEXIF || Av.cOrdreIPTC != Ap.cOrdreIPTC, TChangement::OrdreEXIFIPTC);
    Si(lBulles, TChangement::BullesImages);
    l.append(TChangement::BoutonsTraitements);
    Si(Av.lCoeffFocDansTable != Ap.lCoeffFocDansTable && a.lListeNonVide, TChangement::AvisCoeffFoc);
    return l;
}

} // namespace Parametres
