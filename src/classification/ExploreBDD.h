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
    int Total() const { return int(HorsCD.size() + CD.size()); }
};

// The CD history's sort key: the volume identifier followed by the upper-cased path, compared
// by character codes.
QString CleTriHistoCD(qint32 nIdCD, const QString &cChemin);

// Splits image keys into a page's two sorted lists. Keys that are neither absolute paths nor
// CD keys with a path from the disc's root are left out.
TListesPage ListesPage(const QStringList &Cles);
TListesPage ListesPage(const TIndexClassement &Index, const std::vector<int> &Images);

// ---- Folder trees --------------------------------------------------------------------------

struct TNoeudDossier
{
    QString cTexte;
    TNoeudDossier *pParent = nullptr;
    // 0/1 folder without images of its own, 2/3 with, 4/5 the top node "CDs".
    int nIcone = 0;
    bool lCD = false;
    // Positions in the page's list (CD list when lCD) of the images of this very folder; none
    // for a node without images of its own.
    std::optional<std::vector<int>> Images;
    std::vector<std::unique_ptr<TNoeudDossier>> Enfants;

    int NbImages() const { return Images ? int(Images->size()) : 0; }
};

struct TArboDossiers
{
    // "/" for the images off CDs, "CDs" for the CD images; each present only when it has images.
    std::vector<std::unique_ptr<TNoeudDossier>> Racines;
    // The folder of the first image (off CDs first), else null.
    TNoeudDossier *pPremier = nullptr;
    bool ADesImages() const { return pPremier != nullptr; }
};

// The folders of the two lists. Folders compare exactly: two spellings differing by case are
// two nodes. CD folders hang under "CDs", below a node per CD captioned with LegendeCDExplore.
TArboDossiers ConstruitArboDossiers(const TListesPage &Listes, const TBigIniFile &iniSetup);

// "<id>", or "<id> - "<label>"" with the label of LABELS CD.
QString LegendeCDExplore(const TBigIniFile &iniSetup, qint32 nIdCD);

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
};

// The tree of tvEXIFHaut: the root "EXIF", below it the images' values level by level, each
// node counting the images that reach it; children sorted by AvantValeurEXIF and captioned.
// Null when there are no images.
std::unique_ptr<TNoeudEXIF> ConstruitArboEXIF(const TIndexClassement &Index, const std::vector<int> &Images,
                                              const TValeursEXIF &Valeurs, const std::vector<int> &Niveaux);

// The images of a node: for the root, those with a value at the first used level; for any
// other, those matching the node and each ancestor below the root.
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
