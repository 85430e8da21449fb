#include "platform/VolumesFactices.h"

namespace
{
QString AvecBarre(QString cPoint)
{
    if (!cPoint.endsWith(QLatin1Char('/')))
        cPoint += QLatin1Char('/');
    return cPoint;
}
} // namespace

void TVolumesFactices::Ajoute(TVolume Volume)
{
    Volume.cPointMontage = AvecBarre(Volume.cPointMontage);
    for (TVolume &Existant : m_Volumes) {
        if (Existant.cPointMontage == Volume.cPointMontage) {
            Existant = Volume;
            return;
        }
    }
    m_Volumes.append(Volume);
}

void TVolumesFactices::AjouteCD(const QString &cPointMontage, quint32 nSerie, const QString &cLabel)
{
    TVolume Volume;
    Volume.cPointMontage = cPointMontage;
    Volume.cSysteme = QStringLiteral("iso9660");
    Volume.cLabel = cLabel;
    Volume.nSerie = nSerie;
    Volume.lCD = true;
    Volume.nLibre = 0;
    Ajoute(Volume);
}

bool TVolumesFactices::Retire(const QString &cPointMontage)
{
    const QString cPoint = AvecBarre(cPointMontage);
    return m_Volumes.removeIf([&](const TVolume &Volume) { return Volume.cPointMontage == cPoint; }) > 0;
}

QString TVolumesFactices::PointDeMontage(quint32 nSerie) const
{
    if (nSerie == 0)
        return {};
    for (const TVolume &Volume : m_Volumes)
        if (Volume.lCD && Volume.nSerie == nSerie)
            return Volume.cPointMontage;
    return {};
}
