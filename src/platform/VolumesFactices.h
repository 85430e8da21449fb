#pragma once
// Volumes held in memory, for tests: a CD is "inserted" or "ejected" by adding or removing it.

#include "platform/Volumes.h"

class TVolumesFactices : public IVolumes
{
public:
    // Replaces a volume already at the same mount point; a mount point gets its final "/".
    void Ajoute(TVolume Volume);
    // Shortcut for a CD.
    void AjouteCD(const QString &cPointMontage, quint32 nSerie, const QString &cLabel = {});
    // False when no volume was at that mount point.
    bool Retire(const QString &cPointMontage);
    void Vide() { m_Volumes.clear(); }

    QList<TVolume> Liste() const override { return m_Volumes; }
    QString PointDeMontage(quint32 nSerie) const override;
    TVolume VolumeDe(const QString &cChemin) const override { return VolumeContenant(m_Volumes, cChemin); }

private:
    QList<TVolume> m_Volumes;
};
