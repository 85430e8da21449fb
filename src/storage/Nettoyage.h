#pragma once
// The start-up clean-up of data whose image files have vanished.
//
// Data is removed only when the image is really gone: its file is missing, its volume is
// mounted and answers, and the folder it lay in still exists. The data of images on an
// unplugged disk, an unmounted share or in a folder that is absent as a whole is kept, and
// CD images (keys beginning with "<") are never touched. Each volume is probed once, with a
// time limit, before any of its files is looked at, so that a hung network mount never blocks
// the start.

#include "platform/Volumes.h"

#include <QHash>
#include <QString>
#include <functional>

class TBigIniFile;

// Decides whether the data of an image (or of a folder) whose file is missing may go. Built
// once per clean-up: it remembers which volumes answered.
class TTestDisparition
{
public:
    // Answers whether a volume can be read; called once per volume. The default probes the
    // mount point from a helper thread and gives up after a short delay.
    using FnVolumeRepond = std::function<bool(const TVolume &)>;

    explicit TTestDisparition(const IVolumes &Volumes, FnVolumeRepond fnVolumeRepond = {});

    // True when cChemin (an absolute path of a file or folder) no longer exists while its
    // volume answers and its parent folder exists.
    bool Disparu(const QString &cChemin);

    static bool SondeVolumeParDefaut(const TVolume &Volume);

private:
    bool VolumeRepond(const QString &cChemin);

    const IVolumes &m_Volumes;
    FnVolumeRepond m_fnVolumeRepond;
    QHash<QString, bool> m_Reponses;  // by mount point
};

// What the clean-up removed, reported in the splash window.
struct TResultatNettoyage
{
    int nClesParametres = 0;     // per-image keys of the settings store
    int nDossiersAlbumsWeb = 0;  // folders dropped from the web album history
    int nSectionsCatalogue = 0;  // catalogue sections
    int nVignettes = 0;          // thumbnail files
    int Total() const { return nClesParametres + nDossiersAlbumsWeb + nSectionsCatalogue + nVignettes; }
};

// The thumbnail cache's own reading of its file names: the image path a cache file name
// stands for (decoded once, ".JPG" dropped), or empty when the name is not the thumbnail of
// an image file. Provided by the thumbnail cache.
using FnImageDeVignette = std::function<QString(const QString &cNomFichierVignette)>;

// Step 2: the per-image keys of the settings store and the web album history. Saves the
// store when anything was removed.
void NettoieParametres(TBigIniFile &iniSetup, TTestDisparition &Test, TResultatNettoyage &Resultat);
// Step 3: the catalogue sections. Saves the store when anything was erased.
void NettoieCatalogue(TBigIniFile &iniBDD, TTestDisparition &Test, TResultatNettoyage &Resultat);
// Step 4: the thumbnails lying directly in the cache folder (those of CDs lie in sub-folders
// and stay). Does nothing without a name reader.
void NettoieVignettes(const QString &cDossierVignettes, const FnImageDeVignette &fnImageDeVignette,
                      TTestDisparition &Test, TResultatNettoyage &Resultat);
