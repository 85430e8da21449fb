#pragma once
// The settings of section GENERAL of the settings store, read once at start-up and written
// once at exit.
//
// Every window that changes a setting changes it in this record (held by the application
// context), so that the write at exit never puts back a value read at start-up over a newer
// one. A stored value outside its range falls back to its default: these values index tables
// (sizes, colours, zoom steps, view styles) and a bad file must not make the program read
// past one.

#include "storage/Sections.h"
#include "storage/TaillesVignettes.h"

#include <QString>
#include <QStringList>

class TBigIniFile;

inline const QString cVersionProgramme = QStringLiteral("v 1.44");

// Entries of the colour table that colour settings index.
inline constexpr int nNbCouleurs = 37;
// Entries of the zoom list (0 "Ajusté" ... 6 "1:1" ... 11 "1:8").
inline constexpr int nNbRapZoom = 12;
inline constexpr int nIndRapZoom11 = 6;
// Entries of the maximum-width list of the contact sheet (0 the screen, then 800 ... 4096).
inline constexpr int nNbLargMaxSvgTtesVig = 7;
// The command pane is never narrower than its splitter's minimum.
inline constexpr int nLargMinCommandes = 260;
// At most this many folders are kept in the folder history.
inline constexpr int nMaxHistoriqueRepertoires = 10;

// True when cOrdre holds each letter of cLettres exactly once, in any order, each in upper
// case (shown) or lower case (hidden).
bool EstOrdreValide(const QString &cOrdre, const QString &cLettres);
// True when no letter of cOrdre is foreign to cLettres or stands twice (in either case); a
// letter left out hides its item and other characters are ignored, so "DA" and "123" are valid.
bool EstOrdrePartielValide(const QString &cOrdre, const QString &cLettres);

// Each member below is one key of GENERAL; its initialiser is the key's default. The key, the
// member and the range a read value must fall in are listed once, in the table of Settings.cpp
// that Lit and Ecrit walk: a new setting is a member here and a line there.
struct TEnrParametres
{
    QString kcVersion;  // as read; the program writes cVersionProgramme
    QString cRep;       // default: the data folder
    QString cRepSvgVig; // default: the data folder
    int nEtatFen_Main = 2;
    int nLeft_Main = 0, nTop_Main = 0, nWidth_Main = 800, nHeight_Main = 600;
    int pnCommandes_Width = 297;
    int pcExplRech_Height = 361;
    int pnVigs_Align = 0;
    int pnVigs_LargHaut = LargHautMinPanneauVignettes(TailleVignette(nIndTailleVigsDefaut));
    int lvImgs_ViewStyle = 3;
    int nLVColTri = 0;
    QString cOrdreCol = QStringLiteral("eRTD");
    bool lConsRapZoom = true;
    bool lSauveRapZoom = false;
    int nRapZoom = nIndRapZoom11;
    bool lVigPan3D = true;
    int nVigCoulFond = 29;
    int nVigCoulPan = 35;
    int nVigCoulTxtPan = 30;
    int nImgFACoulFond = 35;
    int nImgPECoulFond = 0;
    int nIndTailleVigs = 5;
    int nIndLargMaxSvgTtesVig = 0;
    QString cOrdreTrt = QStringLiteral("RMNCTX");
    QString cOrdreEXIF = QStringLiteral("AFVDPIOC");
    QString cOrdreIPTC = QStringLiteral("LMCRO");
    bool lHintAffTRT = true;
    bool lHintAffCRIT = true;
    bool lHintAffAlbImg = true;
    bool lHintAffAlbWHP = false;
    bool lHintAffEXIF = true;
    bool lHintAffIPTC = false;
    bool lAffHintDsLVImgs = true;
    bool lAgrandirLVQdSurvol = true;
    bool lPreRemplCBEXIFApp = true;
    bool lCoeffFocDansTable = false;
    bool lOrientationAuto = true;
    bool lPreRemplCBLeg = true;
    bool lLegComplSaisie = true;
    int nAffLegMaxCarLig = -40;
    bool lDeplEntArboCritHier = true;
    bool lTrierArboCritHier = false;
    bool lDecocheImgAprAffectCrit = true;
    bool lEtendRechCritEnf = true;
    bool lLireVigDsTHM = true;
    bool lTrtTHMDsOpFic = true;
    bool lTrtWAVDsOpFic = true;
    bool lTrtDescription = false;
    bool lModeMAJ = true;
    bool lMenuCipalVisible = true;
    bool lTrtApercu = true;
    bool lMsgConfQuitAppli = false;
    bool vfGene_lActive = false;
    bool vfGene_lAussiDepuisCD = false;
    int vfGene_nMaxLH = 3000;
    int vfGene_nQuelleImg = 0;
    int nMasqueChoixDon = 134217727;
    QString cParamNB = QStringLiteral("{ 30: 60: 10}");
    QString cParamCL = QStringLiteral("{   0:   0:   0:   0:   0:   0}");
    bool lCLSynchroC = false, lCLSynchroL = false;
    QString cParamCanaux = QStringLiteral("{D=0:A=0:I=0}");
    int nLeft_GDC = 0, nTop_GDC = 0, nWidth_GDC = 520, nHeight_GDC = 328;
    bool lcbR_GDC = true, lcbV_GDC = true, lcbB_GDC = true;

    // The state of the window at exit that decides which keys are written.
    struct TEtatSortie
    {
        bool lCommandesDeplie = true; // pnCommandes.Width only while the pane is expanded
        bool lVigsDeplie = true;      // pnVigs.LargHaut only while that pane is expanded
        // False when a version migration could not save its work: the stored version then
        // stays, so that the next start runs the migrations again.
        bool lMigrationsFaites = true;
    };

    // Reads every key of GENERAL; cDossierDonnees is the default of the two folder keys.
    // Out-of-range values take their default.
    void Lit(const TBigIniFile &iniSetup, const QString &cDossierDonnees);
    // Writes every key back, kcVersion as the program's version (unless the migrations
    // failed, or the data were last written by a later version, whose kcVersion stays). nMasqueChoixDon is left to
    // the extraction window, which saves it itself; nRapZoom only when lSauveRapZoom is set.
    void Ecrit(TBigIniFile &iniSetup, const TEtatSortie &Etat) const;
};

// The folder history, most recent first, read from its section.
QStringList LitHistoriqueRepertoires(const TBigIniFile &iniSetup);
// Rewrites the section with at most the first nMaxHistoriqueRepertoires folders, in order.
void EcritHistoriqueRepertoires(TBigIniFile &iniSetup, const QStringList &cDossiers);
