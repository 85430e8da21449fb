#pragma once
// Indexing a CD at once: every image of a folder of the disc and its sub-folders gets its
// thumbnail in the cache and its size, resolution, metadata and description in the settings
// store, so that the CD can be listed, searched and filtered once it has left the drive.
//
// The walk reads the disc in directory order, one file at a time (an optical drive seeks
// slowly), while the decoding runs on a pool of worker threads; the stores are written on the
// calling thread, in walk order, through the thumbnail cache's own writer.

#include "metadata/Focale.h"
#include "thumbnails/ThumbnailCache.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <set>
#include <utility>

class IVolumes;
class TBigIniFile;
class TDescriptions;

// The entries of the list of types, in their order: ".JPG, .JPEG", then the raw kinds, ".TIF"
// and ".PNG".
const QStringList &TypesIndexationCD();
// Whether the entry nType admits a file name: JPEG files for the first entry, for the others
// the files the imaging layer reads whose upper-cased extension is the entry's text.
bool TypeAdmet(int nType, const QString &cNom);

struct TParamsIndexationCD
{
    QList<bool> TypesCoches; // one per entry of TypesIndexationCD(); a missing one is unchecked
    bool lRecrVigExist = true;
    TParamsVignettes Vignettes;
    TContexteFocale Focale;
    TDescriptions *pDescriptions = nullptr;
    bool lTrtDescription = false;
    int nFils = 0; // decoding threads (0: one per core)
    // Where the camera models of the indexed images are added (none when null).
    std::set<QString> *pAppareils = nullptr;
};

struct TBilanIndexationCD
{
    int nTraitees = 0; // thumbnail and data written
    int nDejaLa = 0;   // thumbnail and key there already: skipped
    int nEchecs = 0;   // could not be read, decoded or written
    bool lInterrompu = false;
    bool lLabelEcrit = false;
    bool lSauve = true;
    // Why nothing was done (not on a CD, thumbnail folder not made) or why the save failed.
    QString cErreur;
};

class TIndexationCD
{
public:
    TIndexationCD(TBigIniFile &iniSetup, const IVolumes &Volumes, TParamsIndexationCD Params);

    // Asked after each entry of the walk and each image: true stops (the user confirmed Esc).
    std::function<bool()> Interrompre;
    // Told once per image indexed or skipped, in walk order.
    std::function<void()> Avance;

    bool AuMoinsUnType() const;
    // The number of images the walk from cDossier would index.
    qint64 Compte(const QString &cDossier);
    // Indexes the images from cDossier (a folder of a mounted CD), records the CD's label when
    // it has one and none is known, and saves the settings store once. An interruption keeps
    // what was done, the label and the save.
    TBilanIndexationCD Indexe(const QString &cDossier);

    // Cleared by an interruption; set again at the start of each walk.
    bool lContinue = true;

private:
    bool Admis(const QString &cNom) const;
    void Parcourt(const QString &cDossier, qint64 &nCompteur, QStringList *pFichiers, int nProfondeur);

    TBigIniFile &m_iniSetup;
    const IVolumes &m_Volumes;
    TParamsIndexationCD m_Params;
    std::set<std::pair<quint64, quint64>> m_DossiersVus; // device, inode
};
