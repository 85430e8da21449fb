#pragma once
// The program's own IPTC writer for JPEG files. Only the IPTC resource (8BIM 0x0404) of the
// "Photoshop 3.0" APP13 segment is replaced: every other segment and resource, the picture data
// and whatever follows the end of the image keep their bytes, so that maker notes, XMP and
// colour profiles that a general-purpose rewrite could re-encode are never touched.
//
// A write goes through three checks: the file is walked segment by segment within its bounds
// (anything damaged is refused, never mended); the new bytes are read back in memory and must
// hold exactly the intended datasets with the rest identical; the file on disk is replaced by a
// rename only when it is still the version that was read, and never on a CD nor when it has
// several names.

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <sys/types.h>

class IVolumes;

namespace Imaging
{
class TLotRemplacement;
// One IIM dataset as stored: record, dataset number, value bytes.
struct TDatasetIPTC
{
    quint8 nRecord = 2;
    quint8 nDataset = 0;
    QByteArray Valeur;
    bool operator==(const TDatasetIPTC &) const = default;
};

// Where the IPTC lives in a JPEG file's bytes.
struct TStructureJpeg
{
    qint64 nDebutApp13 = -1;     // the Photoshop APP13 segment's marker, -1 when there is none
    qint64 nFinApp13 = -1;       // just past that segment
    qint64 nDebutRessource = -1; // the 0x0404 resource's "8BIM", -1 when the segment has none
    qint64 nFinRessource = -1;   // just past the resource (padding included)
    qint64 nFinRessources = -1;  // just past the segment's last resource (zero padding may follow)
    qint64 nDebutIIM = -1;       // the resource's data
    qint64 nTailleIIM = 0;
    qint64 nInsertion = 2; // where a new APP13 goes: after the last APPn before the picture
};

// Walks the file's segments up to the picture data and the APP13's resources, every length
// checked against the bytes. False, with the French reason, for a file that is not a JPEG by
// content, is cut short, or whose Photoshop APP13 is damaged or split over several segments.
bool AnalyseJpegIPTC(const QByteArray &Octets, TStructureJpeg &s, QString *cErreur = nullptr);

// The datasets of an IIM block, in order. False for a block whose datasets do not follow one
// another up to its end or use the extended length form.
bool LitDatasetsIIM(const char *p, qint64 n, QList<TDatasetIPTC> &Datasets);

// The IIM block of a list of datasets: record 1 first with 1:90 saying UTF-8, then record 2
// with its version dataset 2:00 first. False when a value does not fit the short length form.
bool ConstruitIIM(const QList<TDatasetIPTC> &Datasets, QByteArray &IIM, QString *cErreur = nullptr);

// The file's bytes with its IPTC resource replaced by IIM (or a resource, or a whole segment,
// added). False, with the reason, when the file cannot be walked or the segment would pass
// 64 KB.
bool RemplaceIIM(const QByteArray &Avant, const QByteArray &IIM, QByteArray &Apres, QString *cErreur = nullptr);

// True when Apres is Avant with only its IPTC resource changed, to IIM.
bool SeulIIMChange(const QByteArray &Avant, const QByteArray &Apres, const QByteArray &IIM);

// A JPEG file's IPTC datasets, loaded, changed and written back. Texts are written as UTF-8;
// values kept from the file in another character set are turned into UTF-8 as well.
class TEcritureIPTC
{
public:
    // Reads the whole file and its IPTC. False, with the reason, for anything but a readable,
    // well-formed JPEG file of at most 1 GB whose IPTC can be rewritten.
    bool Charge(const QString &cFichier, QString *cErreur = nullptr);

    // Record 2 values of a dataset, as text.
    QStringList Valeurs(quint8 nDataset) const;
    void SupprimeValeurs(quint8 nDataset);
    void AjouteValeur(quint8 nDataset, const QString &cValeur);
    void RemplaceValeur(quint8 nDataset, const QString &cValeur);
    const QList<TDatasetIPTC> &Datasets() const { return m_Datasets; }

    // Checks the new bytes in memory, then in fnVerifie when given (an empty text accepts),
    // and replaces the file (see EcritFichierRemplace). The volumes, when given, refuse a file
    // on a CD. False, with the reason, when the file was left as it was.
    bool Enregistre(const IVolumes *pVolumes, QString *cErreur = nullptr,
                    const std::function<QString(const QByteArray &)> &fnVerifie = {});
    // The same checks, the new bytes then written into the batch (see TLotRemplacement):
    // the entry's number, or -1 with the reason. Once the batch is validated and the entry
    // replaced its file, NoteEcrit records the file as written.
    int Prepare(TLotRemplacement &Lot, QString *cErreur = nullptr,
                const std::function<QString(const QByteArray &)> &fnVerifie = {});
    void NoteEcrit();

    const QString &Fichier() const { return m_cFichier; }
    const TEtatFichier &EtatLu() const { return m_EtatLu; }
    // The size of the file as the last successful Enregistre left it.
    qint64 TailleEcrite() const { return m_nTailleEcrite; }

private:
    QString m_cFichier;
    QByteArray m_Octets;
    TEtatFichier m_EtatLu;
    QList<TDatasetIPTC> m_Datasets;
    qint64 m_nTailleEcrite = -1;
    qint64 m_nTaillePreparee = -1;
    QByteArray m_Prepare;
};

// Files replaced together, so that their data reach the disk in one burst instead of one wait
// per file. Prepare writes a file's replacement into a temporary file beside it (named
// ".<name>.iptc-XXXXXX", holding the file's mode, owner, extended attributes and nanosecond
// times, and locked while this batch lives); Valide syncs every temporary at once, then renames
// each over its file only when the file still has the size, modification time and inode it was
// read with, and syncs each folder once. A kill at any point leaves each file old or new.
//
// The first Prepare in a folder removes the temporaries that a killed batch left there: only
// names of that form, beside an existing file, that no live batch holds locked.
class TLotRemplacement
{
public:
    explicit TLotRemplacement(const IVolumes *pVolumes = nullptr);
    // Temporaries not renamed are removed.
    ~TLotRemplacement();
    TLotRemplacement(const TLotRemplacement &) = delete;
    TLotRemplacement &operator=(const TLotRemplacement &) = delete;

    // May be called from several threads at once. The entry's number, or -1 with the reason
    // when the file was left as it was (refused as for EcritFichierRemplace, or the write
    // failed). Each entry keeps a descriptor open until Valide.
    int Prepare(const QString &cFichier, const QByteArray &Donnees, const TEtatFichier &EtatLu,
                QString *cErreur = nullptr);
    // Syncs, renames and syncs the folders; returns the number of files replaced. Once only.
    int Valide();
    // After Valide: whether entry n replaced its file, and why not.
    bool Remplace(int n, QString *cErreur = nullptr) const;
    int Nombre() const;

private:
    struct TDonnees;
    TDonnees *d;
};

// The temporaries of killed batches in cDossier that TLotRemplacement would remove; removes
// them and returns how many went.
int NettoieTemporairesIPTC(const QString &cDossier);

// Replaces cFichier by Donnees: a temporary file beside it gets the file's mode, owner and
// access and modification times (to the nanosecond), is synced, and is renamed over it only
// when the file still has the size, modification time and inode of EtatLu; the folder is then
// synced. Refused for a file with several hard links (a rename would split its names) and,
// just before writing, for a file the volumes place on a CD.
bool EcritFichierRemplace(const QString &cFichier, const QByteArray &Donnees, const TEtatFichier &EtatLu,
                          const IVolumes *pVolumes, QString *cErreur = nullptr);

// The write call EcritFichierRemplace goes through, so that tests can make it fail; an empty
// function stands for write(2). Returns the previous one.
using FnEcritureIPTC = std::function<ssize_t(int fd, const void *p, size_t n)>;
FnEcritureIPTC RemplaceAppelEcritureIPTC(FnEcritureIPTC fn);
}
