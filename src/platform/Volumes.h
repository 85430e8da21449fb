#pragma once
// Mounted volumes as the rest of the program sees them: what the catalogue calls a "drive".
// A CD is an iso9660 or udf file system or a /dev/sr* device; its 32-bit serial identifies the
// disc wherever it is mounted. The Linux implementation reads /proc/self/mountinfo; tests use
// the in-memory fake, and `--cd-simule DIR=SERIAL[:LABEL]` makes a folder act as a CD.

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

struct TVolume
{
    QString cPointMontage; // mount point, ending with "/"
    QString cSysteme;      // file-system type (ext4, iso9660, ...)
    QString cPeripherique; // device (/dev/sr0, ...) or empty
    QString cLabel;        // volume label, may be empty
    quint32 nSerie = 0;    // volume serial; 0 for volumes that are not CDs
    bool lCD = false;
    qint64 nLibre = -1; // free bytes, -1 when unknown
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

// The volume of a list holding a path: the deepest mount point that is a prefix of it (the
// mount point itself without its final "/" included). An empty record when none holds it.
TVolume VolumeContenant(const QList<TVolume> &Volumes, const QString &cChemin);

// A folder acting as a mounted CD (`--cd-simule DIR=SERIAL[:LABEL]`).
struct TCdSimule
{
    QString cDossier; // absolute, ending with "/"
    quint32 nSerie = 0;
    QString cLabel;
};

// Parses one DIR=SERIAL[:LABEL] value. SERIAL is 1 to 8 hexadecimal digits, with or without
// "0x", never 0. The split is made at the first "=" whose right side is a valid
// SERIAL[:LABEL], so a folder name may itself hold "=". False, with a French message in
// cErreur, when the value is not of that form.
bool AnalyseCdSimule(const QString &cValeur, TCdSimule &Cd, QString *cErreur = nullptr);

// The values of every `--cd-simule VALUE` and `--cd-simule=VALUE` of an argument list, in order.
QStringList ValeursCdSimule(const QStringList &Arguments);

// The program's volumes: the mounted file systems, plus one simulated CD per valid value of
// `--cd-simule` (values as ValeursCdSimule returns them; invalid ones are reported on stderr
// and ignored).
std::unique_ptr<IVolumes> CreeVolumes(const QStringList &argumentsCdSimule);
