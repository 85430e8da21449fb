#pragma once
// The image key and the operations that carry an image's data across the stores.
//
// An image not on a CD is keyed by its absolute path. An image on a CD is keyed by "<%d>" (the
// disc's 32-bit serial as a signed decimal) followed by its path below the CD's mount point,
// starting with "/", so that the same disc mounted elsewhere later keeps its keys. Keys compare
// exactly and case-sensitively.

#include "platform/Volumes.h"
#include "storage/Sections.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class TBigIniFile;

// One image reference as parsed from an image key.
struct TEnrLST
{
    qint32 nVolume = 0;
    QString cChemin;
    friend bool operator==(const TEnrLST &, const TEnrLST &) = default;
};

// The key of an image: the path alone for volume 0, else "<volume>" + path.
QString CleImage(qint32 nVolume, const QString &cChemin);

// Splits a key. Only "<", an optional "-", decimal digits fitting 32 bits and ">" make a
// volume number; anything else is volume 0 with the whole key as path (a Linux path may
// itself hold "<" or ">").
TEnrLST DecomposeCle(const QString &cCle);

// "%x-%x" of the serial's high and low 16 bits (8A3F0001 gives "8a3f-1").
QString IdVolume(quint32 nSerie);

// The serial (as a volume number) of the CD holding a full path, 0 when it is not on a CD.
qint32 VolumeDeChemin(const IVolumes &Volumes, const QString &cChemin);

// The key of the image at a full path: CD images lose their mount point.
QString CleDeChemin(const IVolumes &Volumes, const QString &cChemin);

// The mounted CDs, read once: a listing builds one and asks it for every image, instead of
// querying the volumes for each key.
class TLecteursCD
{
public:
    explicit TLecteursCD(const IVolumes &Volumes);

    // Mount points (ending with "/") of the CDs with this volume number, in mount order.
    QStringList PointsDeMontage(qint32 nVolume) const;
    bool Present(qint32 nVolume) const { return m_Cds.contains(nVolume); }
    // Same answers as VolumeDeChemin and CleDeChemin, from the snapshot.
    TVolume VolumeDe(const QString &cChemin) const;
    qint32 VolumeDeChemin(const QString &cChemin) const;
    QString CleDeChemin(const QString &cChemin) const;

private:
    QList<TVolume> m_Volumes;
    QHash<qint32, QStringList> m_Cds;
};

// Where the file of an image is. Volume 0: the drive is empty and the test is on the path
// itself. A CD image: the first mounted CD of that serial on which the path names an existing
// file; its mount point (ending with "/") goes to cLecteur. Returns whether the file exists;
// cLecteur stays empty when the CD is absent.
bool LecteurDeCle(const TLecteursCD &Lecteurs, qint32 nVolume, const QString &cChemin, QString &cLecteur);

// The full path of an image's file, or empty when its CD is absent or the file is missing.
QString CheminFichierImage(const TLecteursCD &Lecteurs, qint32 nVolume, const QString &cChemin);

// True when the image has criteria, keywords, a favourite mark or a legend.
bool ADesDonnees(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup, const QString &cCle);

// The settings-store sections a list of wanted names stands for: each name as it is, except
// the two album names, each replaced by every existing section beginning with it (compared
// exactly), in store order.
QStringList ListeSectionsImage(const TBigIniFile &iniSetup, const QStringList &cNomsVoulus);

// Moves an image's data from one key to another: every section of cSections (an expanded list)
// and the catalogue section. A key that already held data is replaced wholly, never merged
// with the moved data. True when a store changed, so that the caller saves it.
bool DeplaceDonnees(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const QStringList &cSections,
                    const QString &cAncienneCle, const QString &cNouvelleCle);
// Same, over the sections for renaming and moving image files.
bool DeplaceDonnees(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const QString &cAncienneCle,
                    const QString &cNouvelleCle);

// Deletes the key from every section of cSections holding it; true when one was deleted.
bool SupprimeDonnees(TBigIniFile &iniSetup, const QStringList &cSections, const QString &cCle);
// Erases the catalogue section of the key; true when it existed.
bool SupprimeCriteres(TBigIniFile &iniBDD, const QString &cCle);
