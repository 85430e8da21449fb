#include "storage/Settings.h"

#include "storage/BigIniFiles.h"

#include <algorithm>
#include <limits>

namespace
{

const QString &G = cSectionGeneral;

int LitEntier(const TBigIniFile &Ini, const QString &cCle, int nDefaut, int nMin, int nMax)
{
    const int n = Ini.ReadInteger(G, cCle, nDefaut);
    return (n < nMin || n > nMax) ? nDefaut : n;
}

QString LitOrdre(const TBigIniFile &Ini, const QString &cCle, const QString &cDefaut)
{
    const QString c = Ini.ReadString(G, cCle, cDefaut);
    return EstOrdreValide(c, cDefaut.toUpper()) ? c : cDefaut;
}

QString LitOrdrePartiel(const TBigIniFile &Ini, const QString &cCle, const QString &cDefaut)
{
    const QString c = Ini.ReadString(G, cCle, cDefaut);
    return EstOrdrePartielValide(c, cDefaut.toUpper()) ? c : cDefaut;
}

// Far beyond any screen, but small enough that sums of sizes never overflow.
constexpr int nTailleMax = 100000;

// How a setting is stored and checked when read.
enum class TGenre {
    Entier,       // clamped to [nMin, nMax]: outside, the default
    Booleen,      // "0" or "1"
    Texte,        // as stored
    Dossier,      // as stored; the data folder by default
    Ordre,        // each letter of the default once, shown or hidden, else the default
    OrdrePartiel, // letters of the default at most once each, else the default
};

// What ties a setting to another one or to the state of the window at exit.
enum class TRegle {
    Aucune,
    Version,             // written as the program's own version
    PlancherCommandes,   // never below the command pane's minimum; written only while expanded
    SuitTailleVignettes, // default and floor follow the thumbnail size; written only while expanded
    SiSauveRapZoom,      // read and written only when the zoom is kept from run to run
    LuSeulement,         // saved by the window that changes it, never at exit
};

struct TDescParametre
{
    const char *cCle;
    TGenre Genre;
    int TEnrParametres::*pnEntier = nullptr;
    bool TEnrParametres::*plBooleen = nullptr;
    QString TEnrParametres::*pcTexte = nullptr;
    int nMin = 0, nMax = 0;
    TRegle Regle = TRegle::Aucune;
};

using P = TEnrParametres;

constexpr TDescParametre Entier(const char *cCle, int P::*pn, int nMin, int nMax, TRegle Regle = TRegle::Aucune)
{
    return {cCle, TGenre::Entier, pn, nullptr, nullptr, nMin, nMax, Regle};
}
constexpr TDescParametre Booleen(const char *cCle, bool P::*pl)
{
    return {cCle, TGenre::Booleen, nullptr, pl};
}
constexpr TDescParametre Texte(const char *cCle, QString P::*pc, TGenre Genre = TGenre::Texte,
                               TRegle Regle = TRegle::Aucune)
{
    return {cCle, Genre, nullptr, nullptr, pc, 0, 0, Regle};
}

// Every key of GENERAL with its member and range; the defaults are the members' initialisers.
// The order is the order of the keys in a new file.
constexpr TDescParametre Descriptions[] = {
    Texte("kcVersion", &P::kcVersion, TGenre::Texte, TRegle::Version),
    Texte("cRep", &P::cRep, TGenre::Dossier),
    Texte("cRepSvgVig", &P::cRepSvgVig, TGenre::Dossier),
    Entier("pnCommandes.Width", &P::pnCommandes_Width, 0, nTailleMax, TRegle::PlancherCommandes),
    Entier("pcExplRech.Height", &P::pcExplRech_Height, 0, nTailleMax),
    Entier("pnVigs.Align", &P::pnVigs_Align, 0, 1),
    Entier("pnVigs.LargHaut", &P::pnVigs_LargHaut, 0, nTailleMax, TRegle::SuitTailleVignettes),
    Entier("lvImgs.ViewStyle", &P::lvImgs_ViewStyle, 0, 3),
    Entier("nEtatFen_Main", &P::nEtatFen_Main, 0, 2),
    Entier("nLeft_Main", &P::nLeft_Main, -nTailleMax, nTailleMax),
    Entier("nTop_Main", &P::nTop_Main, -nTailleMax, nTailleMax),
    Entier("nWidth_Main", &P::nWidth_Main, 1, nTailleMax),
    Entier("nHeight_Main", &P::nHeight_Main, 1, nTailleMax),
    Entier("nLVColTri", &P::nLVColTri, 0, 5),
    Texte("cOrdreCol", &P::cOrdreCol, TGenre::Ordre),
    Booleen("lConsRapZoom", &P::lConsRapZoom),
    Booleen("lSauveRapZoom", &P::lSauveRapZoom),
    Entier("nRapZoom", &P::nRapZoom, 0, nNbRapZoom - 1, TRegle::SiSauveRapZoom),
    Booleen("lVigPan3D", &P::lVigPan3D),
    Entier("nVigCoulFond", &P::nVigCoulFond, 0, nNbCouleurs - 1),
    Entier("nVigCoulPan", &P::nVigCoulPan, 0, nNbCouleurs - 1),
    Entier("nVigCoulTxtPan", &P::nVigCoulTxtPan, 0, nNbCouleurs - 1),
    Entier("nImgFACoulFond", &P::nImgFACoulFond, 0, nNbCouleurs - 1),
    Entier("nImgPECoulFond", &P::nImgPECoulFond, 0, nNbCouleurs - 1),
    Entier("nIndTailleVigs", &P::nIndTailleVigs, 0, nNbTaillesVignettes - 1),
    Entier("nIndLargMaxSvgTtesVig", &P::nIndLargMaxSvgTtesVig, 0, nNbLargMaxSvgTtesVig - 1),
    Texte("cOrdreTrt", &P::cOrdreTrt, TGenre::OrdrePartiel),
    Texte("cOrdreEXIF", &P::cOrdreEXIF, TGenre::OrdrePartiel),
    Texte("cOrdreIPTC", &P::cOrdreIPTC, TGenre::OrdrePartiel),
    Booleen("lHintAffTRT", &P::lHintAffTRT),
    Booleen("lHintAffCRIT", &P::lHintAffCRIT),
    Booleen("lHintAffAlbImg", &P::lHintAffAlbImg),
    Booleen("lHintAffAlbWHP", &P::lHintAffAlbWHP),
    Booleen("lHintAffEXIF", &P::lHintAffEXIF),
    Booleen("lHintAffIPTC", &P::lHintAffIPTC),
    Booleen("lAffHintDsLVImgs", &P::lAffHintDsLVImgs),
    Booleen("lAgrandirLVQdSurvol", &P::lAgrandirLVQdSurvol),
    Booleen("lPreRemplCBEXIFApp", &P::lPreRemplCBEXIFApp),
    Booleen("lCoeffFocDansTable", &P::lCoeffFocDansTable),
    Booleen("lOrientationAuto", &P::lOrientationAuto),
    Booleen("lPreRemplCBLeg", &P::lPreRemplCBLeg),
    Booleen("lLegComplSaisie", &P::lLegComplSaisie),
    Entier("nAffLegMaxCarLig", &P::nAffLegMaxCarLig, -nTailleMax, nTailleMax),
    Booleen("lDeplEntArboCritHier", &P::lDeplEntArboCritHier),
    Booleen("lTrierArboCritHier", &P::lTrierArboCritHier),
    Booleen("lDecocheImgAprAffectCrit", &P::lDecocheImgAprAffectCrit),
    Booleen("lEtendRechCritEnf", &P::lEtendRechCritEnf),
    Booleen("lLireVigDsTHM", &P::lLireVigDsTHM),
    Booleen("lTrtTHMDsOpFic", &P::lTrtTHMDsOpFic),
    Booleen("lTrtWAVDsOpFic", &P::lTrtWAVDsOpFic),
    Booleen("lTrtDescription", &P::lTrtDescription),
    Booleen("lModeMAJ", &P::lModeMAJ),
    Booleen("lMenuCipalVisible", &P::lMenuCipalVisible),
    Booleen("lTrtApercu", &P::lTrtApercu),
    Booleen("lMsgConfQuitAppli", &P::lMsgConfQuitAppli),
    Booleen("vfGene.lActive", &P::vfGene_lActive),
    Booleen("vfGene.lAussiDepuisCD", &P::vfGene_lAussiDepuisCD),
    Entier("vfGene.nMaxLH", &P::vfGene_nMaxLH, 1, nTailleMax),
    Entier("vfGene.nQuelleImg", &P::vfGene_nQuelleImg, 0, 3),
    Entier("nMasqueChoixDon", &P::nMasqueChoixDon, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(),
           TRegle::LuSeulement),
    Texte("cParamNB", &P::cParamNB),
    Texte("cParamCL", &P::cParamCL),
    Booleen("lCLSynchroC", &P::lCLSynchroC),
    Booleen("lCLSynchroL", &P::lCLSynchroL),
    Texte("cParamCanaux", &P::cParamCanaux),
    Entier("nLeft_GDC", &P::nLeft_GDC, -nTailleMax, nTailleMax),
    Entier("nTop_GDC", &P::nTop_GDC, -nTailleMax, nTailleMax),
    Entier("nWidth_GDC", &P::nWidth_GDC, 1, nTailleMax),
    Entier("nHeight_GDC", &P::nHeight_GDC, 1, nTailleMax),
    Booleen("lcbR_GDC", &P::lcbR_GDC),
    Booleen("lcbV_GDC", &P::lcbV_GDC),
    Booleen("lcbB_GDC", &P::lcbB_GDC),
};

void LitParametre(TEnrParametres &Enr, const TBigIniFile &Ini, const TDescParametre &e, const TEnrParametres &Defaut,
                  const QString &cDossierDonnees)
{
    const QString cCle = QLatin1String(e.cCle);
    switch (e.Genre) {
    case TGenre::Entier: Enr.*e.pnEntier = LitEntier(Ini, cCle, Defaut.*e.pnEntier, e.nMin, e.nMax); break;
    case TGenre::Booleen: Enr.*e.plBooleen = Ini.ReadBool(G, cCle, Defaut.*e.plBooleen); break;
    case TGenre::Texte: Enr.*e.pcTexte = Ini.ReadString(G, cCle, Defaut.*e.pcTexte); break;
    case TGenre::Dossier: Enr.*e.pcTexte = Ini.ReadString(G, cCle, cDossierDonnees); break;
    case TGenre::Ordre: Enr.*e.pcTexte = LitOrdre(Ini, cCle, Defaut.*e.pcTexte); break;
    case TGenre::OrdrePartiel: Enr.*e.pcTexte = LitOrdrePartiel(Ini, cCle, Defaut.*e.pcTexte); break;
    }
}

bool AEcrire(const TDescParametre &e, const TEnrParametres &Enr, const TEnrParametres::TEtatSortie &Etat)
{
    switch (e.Regle) {
    case TRegle::Aucune: return true;
    case TRegle::Version: return Etat.lMigrationsFaites && !(Enr.kcVersion > cVersionProgramme);
    case TRegle::PlancherCommandes: return Etat.lCommandesDeplie;
    case TRegle::SuitTailleVignettes: return Etat.lVigsDeplie;
    case TRegle::SiSauveRapZoom: return Enr.lSauveRapZoom;
    case TRegle::LuSeulement: return false;
    }
    return false;
}

} // namespace

bool EstOrdrePartielValide(const QString &cOrdre, const QString &cLettres)
{
    QString cVues;
    for (const QChar c : cOrdre) {
        if (!c.isLetter())
            continue;
        const QChar cMaj = c.toUpper();
        if (c.unicode() > 127 || !cLettres.contains(cMaj) || cVues.contains(cMaj))
            return false;
        cVues += cMaj;
    }
    return true;
}

bool EstOrdreValide(const QString &cOrdre, const QString &cLettres)
{
    if (cOrdre.size() != cLettres.size())
        return false;
    QString cVues;
    for (const QChar c : cOrdre) {
        const QChar cMaj = c.toUpper();
        if (!cLettres.contains(cMaj) || cVues.contains(cMaj))
            return false;
        // Only plain ASCII letters: "ß".toUpper() and the like must not pass as a letter.
        if (c.unicode() > 127)
            return false;
        cVues += cMaj;
    }
    return true;
}

void TEnrParametres::Lit(const TBigIniFile &Ini, const QString &cDossierDonnees)
{
    const TEnrParametres D;
    // Settings whose default or presence follows another one are read once that one is known.
    const auto Suit = [](const TDescParametre &e) {
        return e.Regle == TRegle::SuitTailleVignettes || e.Regle == TRegle::SiSauveRapZoom;
    };
    for (const TDescParametre &e : Descriptions)
        if (!Suit(e))
            LitParametre(*this, Ini, e, D, cDossierDonnees);
    pnCommandes_Width = std::max(pnCommandes_Width, nLargMinCommandes);

    TEnrParametres DefautsLies;
    DefautsLies.pnVigs_LargHaut = LargHautMinPanneauVignettes(TailleVignette(nIndTailleVigs));
    DefautsLies.nRapZoom = lSauveRapZoom ? D.nRapZoom : nIndRapZoom11;
    for (const TDescParametre &e : Descriptions) {
        if (e.Regle == TRegle::SuitTailleVignettes) {
            LitParametre(*this, Ini, e, DefautsLies, cDossierDonnees);
            this->*e.pnEntier = std::max(this->*e.pnEntier, DefautsLies.pnVigs_LargHaut);
        } else if (e.Regle == TRegle::SiSauveRapZoom) {
            if (lSauveRapZoom)
                LitParametre(*this, Ini, e, DefautsLies, cDossierDonnees);
            else
                this->*e.pnEntier = DefautsLies.*e.pnEntier;
        }
    }
}

void TEnrParametres::Ecrit(TBigIniFile &Ini, const TEtatSortie &Etat) const
{
    for (const TDescParametre &e : Descriptions) {
        if (!AEcrire(e, *this, Etat))
            continue;
        const QString cCle = QLatin1String(e.cCle);
        switch (e.Genre) {
        case TGenre::Entier:
            Ini.WriteInteger(G, cCle,
                             e.Regle == TRegle::PlancherCommandes ? std::max(this->*e.pnEntier, nLargMinCommandes)
                                                                  : this->*e.pnEntier);
            break;
        case TGenre::Booleen: Ini.WriteBool(G, cCle, this->*e.plBooleen); break;
        case TGenre::Texte:
        case TGenre::Dossier:
        case TGenre::Ordre:
        case TGenre::OrdrePartiel:
            Ini.WriteString(G, cCle, e.Regle == TRegle::Version ? cVersionProgramme : this->*e.pcTexte);
            break;
        }
    }
}

QStringList LitHistoriqueRepertoires(const TBigIniFile &iniSetup)
{
    QStringList cDossiers;
    iniSetup.ReadSection(cSectionHistoriqueRepertoires, cDossiers);
    cDossiers.removeAll(QString());
    cDossiers.removeDuplicates();
    return cDossiers;
}

void EcritHistoriqueRepertoires(TBigIniFile &iniSetup, const QStringList &cDossiers)
{
    iniSetup.EraseSection(cSectionHistoriqueRepertoires);
    const QStringList cGardes = cDossiers.mid(0, nMaxHistoriqueRepertoires);
    for (const QString &cDossier : cGardes)
        iniSetup.WriteString(cSectionHistoriqueRepertoires, cDossier, QString());
}
