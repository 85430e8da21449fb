#pragma once
// The database explorer's model: the whole catalogue seen by folder, criterion, keyword,
// favourite and EXIF value, computed from the classification index without reading the
// stores again, and independent of the main window's image list.
//
// Images are named by their number in the index (its candidate order). A page's images are
// split into two lists of (volume, path): the images off CDs sorted by French collation
// without regard to case, and the CD images sorted by the CD history's key. A folder tree is
// built from the two lists; each node keeps the positions of its own images in its list, as
// a folder's images need not be neighbours in path order ("/a/b.jpg", "/a/b/x.jpg",
// "/a/c.jpg").

#include "classification/ArboDossiers.h"
#include "storage/CleImage.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TBigIniFile;
class TIndexClassement;
struct TContexteFocale;

// ---- Image sets ---------------------------------------------------------------------------

struct TEnsemblesExplore
{
    // Every image that has a classification (catalogue section, keywords, favourite, legend),
    // in the index's order, and those among them with a catalogue section.
    std::vector<int> lstToutesImages;
    std::vector<int> lstImagesCatalogue;
};
// The index must be current (Actualise) beforehand.
TEnsemblesExplore EnsemblesExplore(const TIndexClassement &Index);

// ---- Page lists -------------------------------------------------------------------------

struct TListesPage
{
    std::vector<TEnrLST> HorsCD; // volume 0
    std::vector<TEnrLST> CD;
    // The images' ranks in the order that made the lists (HorsCD then CD); empty otherwise.
    std::vector<int> Rangs;
    int Total() const { return int(HorsCD.size() + CD.size()); }
};

// Splits image keys into a page's two sorted lists. Keys that are neither absolute paths nor
// CD keys with a path from the disc's root are left out.
TListesPage ListesPage(const QStringList &Cles);
TListesPage ListesPage(const TIndexClassement &Index, const std::vector<int> &Images);

// The order of a window's images, made once when it opens (sorting the paths is the costly
// part): every page's lists then come from it without comparing texts again. It also names
// every folder once, so that a page's folder tree is built from numbers, not texts.
class TOrdreExplore
{
public:
    TOrdreExplore() = default;
    // Orders the images as ListesPage does; other numbers are left out of every page.
    TOrdreExplore(const TIndexClassement &Index, const std::vector<int> &Images);
    // The lists of these images, equal to ListesPage(Index, Images) for images ordered here.
    TListesPage Listes(const TIndexClassement &Index, const std::vector<int> &Images) const;
    // The folder tree of lists made by Listes, equal to ConstruitArboDossiers(Listes); other
    // lists go to ConstruitArboDossiers.
    TArboDossiers Arbo(const TListesPage &Listes, const TBigIniFile &iniSetup) const;
    int NbDossiers() const { return m_Dossiers.Nombre(); }
    // True when the order was made from these very images with the keys they have now: a
    // window opened again on an unchanged catalogue keeps it instead of sorting anew.
    bool Valable(const TIndexClassement &Index, const std::vector<int> &Images) const;

private:
    std::vector<int> m_Images;   // as given
    std::vector<QString> m_Cles; // by rank, shared with the index
    bool m_lFait = false;
    std::vector<int> m_Rang;        // by image number; -1 when not ordered
    std::vector<int> m_ParRang;     // image numbers, the images off CDs first
    std::vector<TEnrLST> m_Enr;     // by rank
    std::vector<int> m_DossierRang; // by rank: the folder holding the image
    TDossiersImages m_Dossiers;
    int m_nHorsCD = 0;
};

// ---- Folder trees --------------------------------------------------------------------------

// The folders of a page's two lists, made by the shared builder (ArboDossiers.h).
TArboDossiers ConstruitArboDossiers(const TListesPage &Listes, const TBigIniFile &iniSetup);

// The images of a node, as keys, in list order.
QStringList ClesNoeud(const TNoeudDossier &Noeud, const TListesPage &Listes);

// "%s - %d image(s)" for a node with images of its own, else empty.
QString BulleNoeudDossier(const TNoeudDossier *pNoeud);

// The name SauverPlanche proposes for a node's thumbnails: its caption, or its first letter
// when shorter than 3 characters; "/" becomes "_", and "." or ".." gives "Vignettes".
QString NomPlancheNoeud(const QString &cTexte);

// ---- Pages -----------------------------------------------------------------------------

// The catalogue's images holding the criterion, exactly or (lEtendRechCritEnf) through a
// child criterion.
std::vector<int> ImagesCritereExplore(const TIndexClassement &Index, const QString &cChemin, bool lEtendRechCritEnf);
// The images of MOTS-CLES: all of them for an empty keyword, else those holding it.
std::vector<int> ImagesMotCleExplore(const TIndexClassement &Index, const QString &cMotCle);
std::vector<int> ImagesCoupsDeCoeur(const TIndexClassement &Index);

// ---- EXIF -------------------------------------------------------------------------------

// Index of the values an EXIF level groups by.
enum TIndEXIF : int { eAppareil = 0, eFocale, eVitesse, eDiaphragme, eDatePDV, eISO, nNbNiveauxEXIF };

// The eight values of an image: model, focal length, exposure time, aperture, date,
// ISO, orientation, comment. An image without values has none in the map.
using TValeursEXIF = QHash<QString, QStringList>;

// The value an image has at a level: the date's first 10 characters; empty when absent.
QString ValeurNiveauEXIF(const QStringList &Valeurs, int nIndEXIF);

// Orders two values of a level: numbers by value (1/n as 1 ÷ n, "5,6" as 5.6), dates as
// dates, the model by character codes; unreadable values after every readable one.
bool AvantValeurEXIF(int nIndEXIF, const QString &a, const QString &b);
// The value read as a number of that level's kind (date: its day number), or none when
// unreadable. Never throws.
std::optional<double> NombreEXIF(int nIndEXIF, const QString &cValeur);

// A node's caption: " mm", " s", "f " and the day prefix of a date added.
QString LegendeValeurEXIF(int nIndEXIF, const QString &cValeur);

// The chain of levels of tvEXIFOrdre.
class TNiveauxEXIF
{
public:
    struct TNiveau
    {
        int nIndEXIF;
        bool lCoche;
    };
    TNiveauxEXIF() { Reinitialise(); }
    // The default order, every level checked.
    void Reinitialise();
    // Checks or unchecks a level; unchecking the last checked level is refused (false).
    bool Bascule(int nPos);
    // Exchanges a level with the one above (Monte) or below (Descend); false at the end.
    bool Monte(int nPos);
    bool Descend(int nPos);
    // The value indexes of the checked levels, top down.
    std::vector<int> Utilises() const;
    int NbCoches() const;
    const std::array<TNiveau, nNbNiveauxEXIF> &Niveaux() const { return m_Niveaux; }
    static QString Nom(int nIndEXIF);

private:
    std::array<TNiveau, nNbNiveauxEXIF> m_Niveaux{};
};

struct TEnrTVEXIF
{
    qint32 nIndEXIF = -1;
    qint32 nNbImages = 0;
    QString cValeur;
};

struct TNoeudEXIF
{
    TEnrTVEXIF Enr;
    QString cTexte;
    int nIcone = 14;
    TNoeudEXIF *pParent = nullptr;
    std::vector<std::unique_ptr<TNoeudEXIF>> Enfants;
    // The images counted in the node are a range of the root's list, where the tree's images
    // are grouped node by node.
    int nDebut = 0;
    int nFin = 0;
    std::vector<int> ImagesArbre; // on the root only

    // The images counted in the node, grouped by their values (not by number).
    std::vector<int> Images() const;
};

// The EXIF values of a window's images as numbers, made once after they are read: each level's
// distinct values are numbered in that level's order (1 the first, 0 for no value), so that a
// tree is built by counting, with no text compared.
class TTableEXIF
{
public:
    TTableEXIF() = default;
    TTableEXIF(const TIndexClassement &Index, const std::vector<int> &Images, const TValeursEXIF &Valeurs);
    // The images with values, in the order given.
    const std::vector<int> &Images() const { return m_Images; }
    // The number of the value of the i-th image at a level; 0 when it has none there.
    qint32 Numero(size_t i, int nIndEXIF) const { return m_Numeros[i][size_t(nIndEXIF)]; }
    int NbValeurs(int nIndEXIF) const { return int(m_Valeurs[size_t(nIndEXIF)].size()); }
    // The value (the date's first 10 characters) and the caption of a number (from 1).
    const QString &Valeur(int nIndEXIF, qint32 nNumero) const
    {
        return m_Valeurs[size_t(nIndEXIF)][size_t(nNumero - 1)];
    }
    const QString &Legende(int nIndEXIF, qint32 nNumero) const
    {
        return m_Legendes[size_t(nIndEXIF)][size_t(nNumero - 1)];
    }

private:
    std::vector<int> m_Images;
    std::vector<std::array<qint32, nNbNiveauxEXIF>> m_Numeros;
    std::array<std::vector<QString>, nNbNiveauxEXIF> m_Valeurs;
    std::array<std::vector<QString>, nNbNiveauxEXIF> m_Legendes;
};

// The tree of tvEXIFHaut: the root "EXIF", below it the images' values level by level, each
// node counting the images that reach it; children sorted by AvantValeurEXIF and captioned.
// Null when there are no images.
std::unique_ptr<TNoeudEXIF> ConstruitArboEXIF(const TTableEXIF &Table, const std::vector<int> &Niveaux);
std::unique_ptr<TNoeudEXIF> ConstruitArboEXIF(const TIndexClassement &Index, const std::vector<int> &Images,
                                              const TValeursEXIF &Valeurs, const std::vector<int> &Niveaux);

// The images of a node: for the root, those with a value at the first used level; for any
// other, those matching the node and each ancestor below the root. A tree built by
// ConstruitArboEXIF from the same images and values already holds them.
std::vector<int> ImagesNoeudEXIF(const TIndexClassement &Index, const std::vector<int> &Images,
                                 const TValeursEXIF &Valeurs, const std::vector<int> &Niveaux, const TNoeudEXIF &Noeud);

// The cached EXIF record of a CD image (settings section EXIF) as its eight values, the focal
// length as recorded; empty without a complete record.
QStringList ValeursEXIFCatalogue(const TBigIniFile &iniSetup, const QString &cCle);

// The values of every image of the list, read once per window: CD images from their cached
// record (the disc is not read), the others with one open of the file each, on nFils worker
// threads (0: one per processor). The focal length is converted on the calling thread.
// fnAvance(nLus, nTotal) is polled on the calling thread while the workers read; true stops:
// the images read so far keep their values.
TValeursEXIF LitValeursEXIF(const TIndexClassement &Index, const std::vector<int> &Images, const TBigIniFile &iniSetup,
                            const TContexteFocale &Focale,
                            const std::function<bool(int nLus, int nTotal)> &fnAvance = {}, int nFils = 0);
