#pragma once
// Mounted volumes as the rest of the program sees them: what the catalogue calls a "drive".
// A CD is an iso9660 or udf file system or a /dev/sr* device; its 32-bit serial identifies the
// disc wherever it is mounted. The Linux implementation reads /proc/self/mountinfo; tests use
// the in-memory fake, and `--cd-simule DIR=SERIAL[:LABEL]` makes a folder act as a CD.

#include <QList>
#include <QString>
#include <QtGlobal>
#include <memory>

struct TVolume
{
    QString cPointMontage;   // mount point, ending with "/"
    QString cSysteme;        // file-system type (ext4, iso9660, ...)
    QString cPeripherique;   // device (/dev/sr0, ...) or empty
    QString cLabel;          // volume label, may be empty
    quint32 nSerie = 0;      // volume serial; 0 for volumes that are not CDs
    bool lCD = false;
    qint64 nLibre = -1;      // free bytes, -1 when unknown
};

class IVolumes
{
public:
    virtual ~IVolumes() = default;
    // Every user-visible mounted volume, in mount order ("/" first).
    virtual QList<TVolume> Liste() const = 0;
    // The mount point (ending with "/") of the mounted CD with this serial, or empty.
    virtual QString PointDeMontage(quint32 nSerie) const = 0;
    // The volume holding a path: the deepest mount point that is a prefix of it.
    virtual TVolume VolumeDe(const QString &cChemin) const = 0;
};
