#pragma once
// The start-up clean-up of data whose image files have vanished.
//
// Data is removed only when the image is really gone: its file is missing, its volume is
// mounted and answers, and the folder it lay in still exists and holds something. The data of
// images on an unplugged disk, an unmounted share or in a folder that is absent as a whole is
// kept, and CD images (keys beginning with "<") are never touched. An unmounted volume often
// leaves its empty mount folder behind: an empty folder, a mount point of the system's mount
// table or one seen mounted in an earlier run that is not mounted now, all keep what lies in
// them. The volumes are read once per clean-up; each one is probed once, with a time limit,
// before any of its files is looked at, so that a hung network mount never blocks the start.

#include "platform/Volumes.h"
#include "storage/Sections.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

class TBigIniFile;

// Decides whether the data of an image (or of a folder) whose file is missing may go. Built
// once per clean-up: it holds one snapshot of the mounted volumes and remembers which
// volumes answered and which folders were looked at.
class TTestDisparition
{
public:
    // Answers whether a volume can be read; called once per volume. The default probes the
    // mount point from a helper thread and gives up after a short delay.
    using FnVolumeRepond = std::function<bool(const TVolume &)>;

    // cPointsConnus: mount points that carry a volume at times (those of the mount table,
    // those seen mounted before); any of them not mounted now hides what lies below it.
    explicit TTestDisparition(const IVolumes &Volumes, FnVolumeRepond fnVolumeRepond = {},
                              const QStringList &cPointsConnus = {});

    // True when cChemin (an absolute path of a file or folder) no longer exists while its
    // volume answers and its parent folder exists, holds something and is not an unmounted
    // volume's mount point.
    bool Disparu(const QString &cChemin);

    // The volumes as read when the test was built.
    const QList<TVolume> &Volumes() const { return m_Volumes; }
    // Known mount points with nothing mounted on them now, each ending with "/".
    const QStringList &PointsAbsents() const { return m_PointsAbsents; }

    // Set when building the test recorded newly seen mount points in the settings store, so
    // that the clean-up saves them with its own changes.
    bool lPointsRetenus = false;

    static bool SondeVolumeParDefaut(const TVolume &Volume);

private:
    // A folder as looked at once: whether a missing entry of it may be judged gone, and the
    // names it holds, so that the entries present cost no system call each.
    struct TDossier
    {
        bool lProbant = false;
        bool lNomsComplets = false;
        QSet<QString> Noms;
    };

    bool VolumeRepond(const TVolume &Volume);
    bool SousPointAbsent(const QString &cChemin) const;
    const TDossier &Dossier(const QString &cDossier);

    QList<TVolume> m_Volumes;
    FnVolumeRepond m_fnVolumeRepond;
    QSet<QString> m_PointsMontes;
    QStringList m_PointsAbsents;
    QHash<QString, bool> m_Reponses; // by mount point
    QHash<QString, TDossier> m_Dossiers;
    QHash<QString, bool> m_Absents; // entries not listed, each checked once on its own
};

// At most this many remembered mount points; the oldest go first.
inline constexpr int nPointsMontageRetenusMax = 256;

// The mount points (second field, escapes decoded, ending with "/") of a mount table text;
// swap and other entries without an absolute mount point are left out.
QStringList PointsMontageFstab(const QByteArray &cTexte);
// The same, read from a file (bounded); empty when it cannot be read.
QStringList LitPointsMontageFstab(const QString &cFichier);
QStringList PointsMontageRetenus(const TBigIniFile &iniSetup);
// Adds the mount points of the mounted volumes that are not "/" nor CDs to the remembered
// ones. True when the store changed.
bool RetientPointsMontage(TBigIniFile &iniSetup, const QList<TVolume> &Volumes);

// The test of one start-up clean-up: one snapshot of the volumes, judged with the mount
// points of cFichierFstab and those remembered from earlier runs; the volumes mounted now
// are then remembered in the settings store (saved with the clean-up's own changes).
TTestDisparition PrepareNettoyage(TBigIniFile &iniSetup, const IVolumes &Volumes,
                                  const QString &cFichierFstab = QStringLiteral("/etc/fstab"),
                                  TTestDisparition::FnVolumeRepond fnVolumeRepond = {});

// What the clean-up removed, reported in the splash window.
struct TResultatNettoyage
{
    int nClesParametres = 0;    // per-image keys of the settings store
    int nDossiersAlbumsWeb = 0; // folders dropped from the web album history
    int nSectionsCatalogue = 0; // catalogue sections
    int nVignettes = 0;         // thumbnail files
    // The stores whose save failed: their changes stay in memory and go with the next save,
    // whose failure the close reports.
    QStringList cStoresNonSauves;
    int Total() const { return nClesParametres + nDossiersAlbumsWeb + nSectionsCatalogue + nVignettes; }
};

// The thumbnail cache's own reading of its file names: the image path a cache file name
// stands for (decoded once, ".JPG" dropped), or empty when the name is not the thumbnail of
// an image file. Provided by the thumbnail cache.
using FnImageDeVignette = std::function<QString(const QString &cNomFichierVignette)>;

// The sections step 2 walks: the per-image sections of renaming and deleting, but not the
// image albums, whose keys do not say whether an image is on a CD.
QStringList SectionsNettoyage(const TBigIniFile &iniSetup);

// Step 2: the per-image keys of the settings store and the web album history. Saves the
// store when anything was removed.
void NettoieParametres(TBigIniFile &iniSetup, TTestDisparition &Test, TResultatNettoyage &Resultat);
// Step 3: the catalogue sections. Saves the store when anything was erased.
void NettoieCatalogue(TBigIniFile &iniBDD, TTestDisparition &Test, TResultatNettoyage &Resultat);
// Step 4: the thumbnails lying directly in the cache folder (those of CDs lie in sub-folders
// and stay). Does nothing without a name reader.
void NettoieVignettes(const QString &cDossierVignettes, const FnImageDeVignette &fnImageDeVignette,
                      TTestDisparition &Test, TResultatNettoyage &Resultat);
