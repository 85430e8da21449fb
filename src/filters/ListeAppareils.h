#pragma once
// The camera models the filter editor offers, gathered from the catalogue: the cached EXIF
// records first (no file opened), then the files of the other catalogued images, read for
// their model only, on worker threads, skipping the volumes that do not answer.

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <set>

class IVolumes;
class TBigIniFile;
struct TVolume;

// The catalogued image keys: the catalogue's sections, then the keys of "MOTS-CLES",
// "COUPS DE COEUR" and "LEGENDES" not met yet.
QStringList ClesCataloguees(const TBigIniFile &iniBDD);

// Adds to Appareils the model of every key whose cached EXIF record has more than one field;
// returns the keys without one, whose file is to be read.
QStringList ModelesEnCache(const QStringList &Cles, const TBigIniFile &iniSetup, std::set<QString> &Appareils);

// What reading the files needs: the volumes (for CD keys and for the probe), the probe of a
// volume (the start-up clean-up's by default) and the number of threads (0: one per core).
struct TLectureModeles
{
    const IVolumes *pVolumes = nullptr;
    std::function<bool(const TVolume &)> fnVolumeRepond;
    int nFils = 0;
    const std::atomic<bool> *pAnnule = nullptr;
};

// The non-blank models read from the files of the keys that can be reached, each once, in no
// particular order. Safe on a worker thread: touches no store.
QStringList LitModeles(const QStringList &Cles, const TLectureModeles &Lecture);
