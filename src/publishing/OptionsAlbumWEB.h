#pragma once
// What a web album is made from and how it looks: the six sources and the data each needs,
// the records of the generator, and the options that the album window collects and keeps in
// section "ALBUMS WEB:GENERAL" of the settings store.

#include "exploration/EnrLV.h"
#include "storage/CleImage.h"

#include <QImage>
#include <QList>
#include <QString>

#include <optional>

class TBigIniFile;
class TModeleListeImages;

inline const QString cSectionAlbumsWebGeneral = QStringLiteral("ALBUMS WEB:GENERAL");

enum TSourceAlbumWEB {
    saImagesCochees = 0, // the selected images of the main image list
    saAlbumImages = 1,   // every image of the open image album
    saListeImages = 2,   // a list of TEnrLstAW handed in by the caller
    saHierPerso = 3,     // a personal web album hierarchy, by its name
    saHierDossiers = 4,  // a folder and all its sub-folders, by its path
    saHierCritere = 5,   // a hierarchical criterion and its descendants, by its path
};

inline bool EstHierarchique(TSourceAlbumWEB nSource)
{
    return nSource >= saHierPerso;
}

// The content kinds, indexes of the "contenu de l'album" group.
enum TContenuAlbumWEB {
    caVignettesSeules = 0,
    caImagesSeules = 1,
    caVignettesEtLiens = 2,
    caFrames = 3,
};

// Frames layouts.
enum TDispoVigAlbumWEB {
    dvVignettesEnHaut = 0,
    dvVignettesAGauche = 1,
};

// One node of a hierarchical album.
struct TEnrAWH
{
    qint32 nNiveau = 0;     // depth under the top of the hierarchy
    QString cChemin;        // path inside the album, parts separated by "/"; empty for the top folder
    QString cNom;           // the name shown in the tree
    QList<TEnrLST> lstImgs; // the node's own images
};

// One image handed in by a caller (and, for an image album, its already treated picture).
struct TEnrLstAW
{
    TEnrLV EnrLV;
    QImage imVignette;
    QString cHint;  // the thumbnail hint, markup text
    QImage imImage; // image album only: the album's loaded and treated picture
};

// The duplicate search has its own TEnrImgSel; the web album's lives in this namespace.
namespace AlbumWEB
{
// One image of the page being generated.
struct TEnrImgSel
{
    TEnrLV EnrLV;
    QImage imVignette; // null for "Images seules" in a hierarchical album
    QImage imImage;    // empty until needed; the album's own picture for an image album
    QString cLegende;
    QString cHint; // markup
};
}

// The source of an album and the data it needs.
struct TSourceDonneesAW
{
    TSourceAlbumWEB nSource = saImagesCochees;
    const TModeleListeImages *pModele = nullptr; // saImagesCochees: the main image list
    QList<TEnrLstAW> lstImages;                  // saAlbumImages, saListeImages
    QString cArgument; // saHierPerso: the name; saHierDossiers: the folder; saHierCritere: the criterion path
};

// Why the data cannot make an album of its source, empty when they can.
QString ErreurSourceAlbumWEB(const TSourceDonneesAW &Source);

// The options of the generator, with the defaults of a first use.
struct TOptionsAlbumWEB
{
    QString cAWDosParentAlbum; // the folder that receives new albums; empty: the data folder
    QString cAWDossierAlbum;   // the album folder, full path ending in "/"
    int nAWContAlbum = caVignettesEtLiens;
    int nAWDispoVig = dvVignettesEnHaut;
    int nAWNbCol = 5; // thumbnails per row, 1..65535 (set by the window, not kept)
    QString cAWRedImgTailleMax = QStringLiteral("<pas de réduction>");
    bool lAWAffNom = true;
    bool lAWAffResol = false;
    bool lAWAffTaille = false;
    bool lAWAffDate = false;
    bool lAWAffLegende = false;
    int lAWTypeLegende = 0;
    QString cAWAffPolice = QStringLiteral("Arial");
    bool lAWAffCadre = true;
    quint32 nAWCoulFondFenetre = 0;       // black
    quint32 nAWCoulPolice = 16777215;     // white
    quint32 nAWCoulCadre = 16777215;      // white
    quint32 nAWCoulFondVigImg = 12632256; // silver
    quint32 nAWCoulFondDonnees = 8421504; // grey
    bool lAWHierDansVoletRech = false;
    bool lAWVisuResApresCreation = true;
    QString cAWNomFenCipale;
    QString cAWMotsCles; // upper case, trimmed
    QString cAWNomFenImgPE;

    // The maximum side of written images: the integer of cAWRedImgTailleMax when it is one
    // and above 0; none otherwise (no reduction).
    std::optional<int> TailleMax() const;
    // True when a data row follows each picture row.
    bool AvecLigneDonnees() const;

    friend bool operator==(const TOptionsAlbumWEB &, const TOptionsAlbumWEB &) = default;
};

// The kept options from the settings store; a damaged kind or layout falls back to its default.
TOptionsAlbumWEB LitOptionsAlbumWEB(const TBigIniFile &Parametres);
// Keeps the options that the window remembers (not the album folder, the titles or the columns).
void EcritOptionsAlbumWEB(TBigIniFile &Parametres, const TOptionsAlbumWEB &Options);
