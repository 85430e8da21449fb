#pragma once
// The settings window's rules, apart from its widgets: the state the window edits, filled from
// the settings record and read back into it; the check items of the page "Général"; the four
// order lists and their up/down rules; the focal-coefficient rows; and what the main window
// must do once the user has pressed OK, as a list of changes it carries out in order.

#include "storage/DataFolder.h"
#include "storage/DeplacementDonnees.h"
#include "storage/Settings.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Parametres
{

// ---- Page "Général" ----------------------------------------------------------------------

inline constexpr int nNbElementsGeneral = 38;
// Items with a control of their own beside them.
inline constexpr int nElementCoeffFoc = 16;
inline constexpr int nElementLegMax = 21;
inline constexpr int nElementVerbeDossier = 36;
// Icon indexes: an item that can be checked shows 0 or 1; groups show this one.
inline constexpr int nIconeDecoche = 0;
inline constexpr int nIconeCoche = 1;
inline constexpr int nIconeGroupe = 2;

struct TElementGeneral
{
    int nNiveau = 0; // 0 at the top of the tree
    QString cTexte;
    bool lGroupe = false; // cannot be checked
};
// The 38 items in tree order (index = absolute position).
const QList<TElementGeneral> &ElementsGeneral();

// The spin box of the legend limit.
inline constexpr int nLegMaxMin = 16;
inline constexpr int nLegMaxMax = 200;
inline constexpr int nLegMaxDefaut = 40;
// The floating thumbnail's largest side.
inline constexpr int nVFMaxLHMin = 64;
inline constexpr int nVFMaxLHMax = 4096;

// The window's state: every setting it shows, already brought into the ranges its controls
// accept.
struct TEtatParametres
{
    TEnrParametres P;
    bool abCoches[nNbElementsGeneral] = {};
    int nLegMax = nLegMaxDefaut; // the spin value, 16..200, whatever the check of item 21
    bool lVerbeDossier = false;  // item 36: the file managers' folder verb is installed

    bool Coche(int nElement) const;
    // Checks or unchecks an item; groups and out-of-range indexes are left alone.
    void MetCoche(int nElement, bool lCoche);
    // The icon of an item: 0 or 1 for the ones that can be checked, nIconeGroupe otherwise.
    int Icone(int nElement) const;
    // A click on the icon or Space: 0 becomes 1 and 1 becomes 0; groups stay. True when it
    // switched.
    bool Bascule(int nElement);
};

// Fills the state from the settings record: the items from their settings, item 21 from the
// sign of nAffLegMaxCarLig and the spin from its size (clamped to 16..200; 0 unchecked with
// the default), indexes and limits out of range as their defaults, orders through their codec.
TEtatParametres EtatDepuis(const TEnrParametres &P, bool lVerbeDossierInstalle);
// Reads the state back into a settings record (the items, nAffLegMaxCarLig = the spin value,
// negative when item 21 is unchecked, and every other edited setting).
void RelitDans(const TEtatParametres &Etat, TEnrParametres &P);

// "Défaut" of the thumbnail colours: 3-D on, colours 29, 35, 30.
void ValeursDefautVignettes(TEnrParametres &P);

// The size list "60x60" ... "300x300" and the width list of the contact sheet.
QStringList TextesTaillesVignettes();
QStringList TextesLargMaxSvgTtesVig();
QStringList TextesQuelleImageVF();

// ---- Focal coefficients --------------------------------------------------------------

struct TLigneCoeffFoc
{
    QString cAppareil;
    QString cCoeff;
    bool lEntete = false;
};
// The rows of the list from the key=value lines of the coefficient section: sorted by model,
// each value with one decimal and a decimal comma; a value that is not a number is left out;
// a header row "Appareil" / "Coeff" first when any row remains.
QList<TLigneCoeffFoc> LignesCoeffFoc(const QStringList &cLignesCleValeur);

// ---- The order lists ------------------------------------------------------------------

enum class TListeOrdre { Colonnes, Traitements, EXIF, IPTC };

struct TElementOrdre
{
    QChar cLettre; // upper case; null for "Nom"
    QString cTexte;
    bool lCoche = true;
};

// The letters a list is made of, in default order, with the default order string.
QString LettresOrdre(TListeOrdre Liste);
QString OrdreDefaut(TListeOrdre Liste);
QString TexteLettre(TListeOrdre Liste, QChar cLettre);

// The items of a list for an order string: for the columns "Nom" first, checked; each letter
// checked when upper case (the treatments always); a letter the order leaves out is added at
// the end unchecked; an order with unknown or repeated letters is read as the default.
QList<TElementOrdre> DecodeOrdre(TListeOrdre Liste, const QString &cOrdre);
// The order string of a list: each letter in list order, upper case when checked (always for
// the treatments), "Nom" left out.
QString EncodeOrdre(TListeOrdre Liste, const QList<TElementOrdre> &Elements);

// Whether "up" and "down" are enabled for the selected row (-1: none) of a list of nNombre.
bool MonteePossible(TListeOrdre Liste, int nLigne, int nNombre);
bool DescentePossible(TListeOrdre Liste, int nLigne, int nNombre);
// Exchanges the row with the one above or below when allowed, checks kept; returns the row
// the selection follows to.
int Monte(TListeOrdre Liste, QList<TElementOrdre> &Elements, int nLigne);
int Descend(TListeOrdre Liste, QList<TElementOrdre> &Elements, int nLigne);
// Checking a row; "Nom" never unchecks, the treatments are always checked.
void MetCocheOrdre(TListeOrdre Liste, QList<TElementOrdre> &Elements, int nLigne, bool lCoche);

// ---- Page "Données" -------------------------------------------------------------------

struct TEtatDossierDonnees
{
    bool lActif = false; // the kind, the list and the explanation may be used
    QString cTexte;      // what stOpDon shows: the refusal when not active
};
// The folder chosen in the tree judged by the move's own checks.
TEtatDossierDonnees EtatDossierDonnees(const TEmplacementsConfig &Emplacements, const TDossiers &Dossiers,
                                       const QString &cDossier, TSystemeDonnees Systeme, int nOperation);

// ---- After OK --------------------------------------------------------------------------

enum class TChangement {
    BullesListe,          // lAffHintDsLVImgs switched: the list's hints follow
    RemplitAppareils,     // lPreRemplCBEXIFApp switched on
    Orientation,          // lOrientationAuto switched: re-treat the decoded pictures
    RemplitLegendes,      // lPreRemplCBLeg switched on
    AutoSeekLegende,      // lLegComplSaisie changed
    TriArboCriteres,      // lTrierArboCritHier switched on
    BulleRecherche,       // the search button's hint
    Descriptions,         // lTrtDescription changed
    Mode,                 // lModeMAJ changed
    MenuPrincipal,        // lMenuCipalVisible changed
    VerbeDossier,         // item 36 changed: install or remove the desktop entry
    AspectVignettes,      // 3-D, colours, image background
    TailleVignettes,      // the thumbnail size changed
    PlaceVignettes,       // left or top changed
    VignetteFlotteCree,   // the floating thumbnail switched on or off
    VignetteFlotteParams, // its other settings changed
    Colonnes,             // the column order changed: rebuild the columns now
    OrdreEXIFIPTC,        // rebuild the criteria trees of the current images
    BullesImages,         // something that shapes image hints changed
    BoutonsTraitements,   // refresh the treatment buttons
    AvisCoeffFoc,         // tell that the listed images keep the old coefficient use
};

struct TAvantApres
{
    const TEnrParametres &Avant;
    const TEnrParametres &Apres;
    bool lVerbeAvant = false;
    bool lVerbeApres = false;
    bool lListeNonVide = false;
};
// What OK leaves to do, in the order it must be done.
QList<TChangement> ChangementsApresOK(const TAvantApres &a);

} // namespace Parametres
