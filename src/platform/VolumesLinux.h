#pragma once
// Volumes read from the kernel's mount table, and the simulated CDs laid over any volumes.

#include "platform/Volumes.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>

// One line of /proc/self/mountinfo, its escapes decoded.
struct TMontage
{
    int nId = 0;
    QString cPointMontage; // ending with "/"
    QString cSysteme;
    QString cSource; // device or other mount source
};

// Decodes the octal escapes of mountinfo fields ("\040" is a blank) and then UTF-8.
QString DecodeChampMontage(QByteArrayView Champ);

// The user-visible mounts of a mountinfo text, "/" first, the rest in mount order; a mount
// point mounted over keeps only its last mount.
QList<TMontage> AnalyseMountinfo(const QByteArray &cTexte);

// Whether a mount is shown to the user (no kernel, runtime, snap or container mounts).
bool MontageVisible(const QString &cPointMontage, const QString &cSysteme, const QString &cSource);

// An iso9660 or udf file system, or a file system on an optical drive.
bool EstMontageCD(const QString &cSysteme, const QString &cSource);

// ISO 9660 primary volume descriptor (2048 bytes of sector 16).
constexpr qint64 nTailleSecteurISO = 2048;
constexpr qint64 nPositionDescripteurISO = 16 * nTailleSecteurISO;
bool EstDescripteurPrimaireISO(QByteArrayView Descripteur);
// The four byte-lane sums of the descriptor (bytes 0,4,8,… then 1,5,9,…), each kept to 8 bits,
// packed lane 0 first in the high byte: the serial another platform shows for that disc.
// 0 when the descriptor is not 2048 bytes.
quint32 SerieDescripteurISO(QByteArrayView Descripteur);
// The volume identifier (bytes 40 to 71), trimmed of blanks and NULs.
QString LabelDescripteurISO(QByteArrayView Descripteur);
// The primary volume descriptor read from a device or image file, or empty when it cannot be
// read or is not one (a UDF-only disc, for example).
QByteArray LitDescripteurISO(const QString &cFichier);

// A stable non-zero 32-bit identifier for a volume without a readable descriptor.
quint32 HacheVolume(const QString &cUuid, const QString &cLabel);

class TVolumesLinux : public IVolumes
{
public:
    // The file names are for tests; the program uses the defaults.
    explicit TVolumesLinux(const QString &cFichierMountinfo = QStringLiteral("/proc/self/mountinfo"),
                           const QString &cDossierDisques = QStringLiteral("/dev/disk/"));

    QList<TVolume> Liste() const override;
    QString PointDeMontage(quint32 nSerie) const override;
    TVolume VolumeDe(const QString &cChemin) const override;

private:
    struct TInfos
    {
        QString cLabel;
        quint32 nSerie = 0;
    };
    TInfos Infos(const TMontage &Montage, bool lCD) const;
    QString LienDisque(const QString &cSousDossier, const QString &cSource) const;

    QString m_cFichierMountinfo;
    QString m_cDossierDisques;
    // A disc's descriptor is read once per mount, not at every listing.
    mutable QMutex m_Verrou;
    mutable QHash<QString, TInfos> m_Infos;
};

// Folders acting as mounted CDs over other volumes. A simulated CD is present while its folder
// exists; a path inside it belongs to it even when the folder sits on another volume.
class TVolumesAvecCdSimules : public IVolumes
{
public:
    TVolumesAvecCdSimules(std::unique_ptr<IVolumes> Base, QList<TCdSimule> Cds);

    QList<TVolume> Liste() const override;
    QString PointDeMontage(quint32 nSerie) const override;
    TVolume VolumeDe(const QString &cChemin) const override;

private:
    QList<TVolume> Simules() const;

    std::unique_ptr<IVolumes> m_Base;
    QList<TCdSimule> m_Cds;
};
