#pragma once
// The web album generator: gathers the images of a source, writes their thumbnails and
// images into the album folder, then the table pages, single-image pages, framesets and, for
// a hierarchical album, one folder per node with the tree page beside them.
//
// The album folder is checked (present, empty, writable) and every node path is checked before
// anything is written; every file goes through TDossierAlbumWEB. Decoding and encoding run on
// a pool of worker threads; the stores, the pages and the files are handled on the calling
// thread, in table order, with the progress told and the interruption asked after each row.

#include "metadata/Focale.h"
#include "publishing/OptionsAlbumWEB.h"
#include "publishing/Suivi.h"

#include <QImage>
#include <QList>
#include <QString>

#include <functional>

class IVolumes;
class TArboCriteres;
class TBigIniFile;
class TDescriptions;

// What the generator reads besides the source and the options.
struct TParamsAlbumWEB
{
    TBigIniFile *iniSetup = nullptr;     // settings store: legends, treatments, thumbnail data, labels
    const TBigIniFile *iniBDD = nullptr; // catalogue: the criterion hierarchy
    const IVolumes *pVolumes = nullptr;  // where CDs are
    TDescriptions *pDescriptions = nullptr;
    const TArboCriteres *pArbo = nullptr; // the criteria tree (criterion hierarchy)
    TContexteFocale Focale;               // for the EXIF data read from files

    QString cDossierVignettes; // the thumbnail cache, ending with "/"
    int nTailleVignette = 160; // the item size of the main thumbnail grid
    bool lLireVigDsTHM = true;
    bool lOrientationAuto = true;
    bool lEtendRechCritEnf = true;
    bool lTrtDescription = false;
    bool lHintAffEXIF = true;
    bool lHintAffIPTC = false;

    // An image's saved treatments and automatic orientation applied to a picture of it (cCle
    // its image key, cOrientation its EXIF orientation text). Called from worker threads,
    // never while the stores change. None: the pictures are written as loaded.
    std::function<void(QImage &Image, const QString &cCle, const QString &cOrientation)> AppliqueTrts;
    // Whether an image has a treatment or an automatic orientation, so that its file is
    // re-encoded rather than copied. None: a key in one of the treatment sections, or the
    // automatic orientation on and an EXIF orientation other than "1".
    std::function<bool(const QString &cCle, const QString &cOrientation)> ATrts;

    TSuivi Suivi;  // progress over the image positions, and Esc after each row
    int nFils = 0; // worker threads; 0: one per core
};

struct TBilanAlbumWEB
{
    // Why the album was refused before anything was written, or why it stopped ("Impossible
    // d'écrire « ... » : ..."); empty when it went to its end.
    QString cErreur;
    bool lRefuse = false; // nothing was written
    bool lInterrompu = false;
    int nImages = 0;        // entries placed in the pages
    int nNonTraitees = 0;   // images whose file could not be written
    QString cPremiereImage; // output name of the first image written, if any

    // "%d image(s) n'ont(a) pas été traitée(s)." when some were not; else empty.
    QString TexteNonTraitees() const;
};

// The nodes of a hierarchical source (saHierPerso, saHierDossiers, saHierCritere) as listed by
// the source, before availability is looked at. cDossierAlbum is left out of a folder walk.
QList<TEnrAWH> ConstruireHierarchie(const TSourceDonneesAW &Source, int nAWContAlbum, const TParamsAlbumWEB &Params,
                                    const QString &cDossierAlbum = {});

// The nodes of criterion cCritere and its descendants in tree order, each with the images of the
// catalogue holding that criterion (or, with lEtendRechCritEnf, one below it). The catalogue is
// read once.
QList<TEnrAWH> ConstruireHierarchieCritere(const TBigIniFile &iniBDD, const TArboCriteres &Arbo,
                                           const QString &cCritere, bool lEtendRechCritEnf);

struct TComptesAlbumWEB
{
    int nImgsSource = 0;
    int nDisponibles = 0;
};
// The images of a source and how many of them can be reached now, as the album window shows
// them before generating.
TComptesAlbumWEB CompterImagesAlbumWEB(const TSourceDonneesAW &Source, const TParamsAlbumWEB &Params);

// Writes the whole album into Options.cAWDossierAlbum.
TBilanAlbumWEB GenererAlbumWEB(const TSourceDonneesAW &Source, const TOptionsAlbumWEB &Options,
                               const TParamsAlbumWEB &Params);

// The fixed pictures: the four 30 × 30 navigation buttons (first, previous, next, last) and the
// two 16 × 13 folder icons (closed, open), drawn on white.
QList<QImage> BoutonsNavigationAlbumWEB();
QList<QImage> IconesDossierAlbumWEB();
