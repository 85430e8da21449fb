#include "storage/CleImage.h"

#include "storage/BigIniFiles.h"

#include <QFileInfo>
#include <QSet>

#include <limits>

QString CleImage(qint32 nVolume, const QString &cChemin)
{
    if (nVolume == 0)
        return cChemin;
    return QLatin1Char('<') + QString::number(nVolume) + QLatin1Char('>') + cChemin;
}

TEnrLST DecomposeCle(const QString &cCle)
{
    TEnrLST Enr{0, cCle};
    if (!cCle.startsWith(QLatin1Char('<')))
        return Enr;
    const qsizetype nFin = cCle.indexOf(QLatin1Char('>'), 1);
    if (nFin < 0)
        return Enr;
    qsizetype i = 1;
    const bool lNegatif = i < nFin && cCle[i] == QLatin1Char('-');
    if (lNegatif)
        ++i;
    // At most ten digits: anything longer cannot be a 32-bit serial and must not overflow.
    if (i == nFin || nFin - i > 10)
        return Enr;
    qint64 n = 0;
    for (; i < nFin; ++i) {
        const char16_t c = cCle[i].unicode();
        if (c < u'0' || c > u'9')
            return Enr;
        n = n * 10 + (c - u'0');
    }
    if (lNegatif)
        n = -n;
    // "<0>" is never written by CleImage; keeping such a key whole keeps the split reversible.
    if (n == 0 || n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
        return Enr;
    Enr.nVolume = static_cast<qint32>(n);
    Enr.cChemin = cCle.mid(nFin + 1);
    return Enr;
}

QString IdVolume(quint32 nSerie)
{
    return QString::number(nSerie >> 16, 16) + QLatin1Char('-') + QString::number(nSerie & 0xFFFFu, 16);
}

namespace
{
qint32 VolumeDe(const TVolume &Volume)
{
    return Volume.lCD ? static_cast<qint32>(Volume.nSerie) : 0;
}

QString Cle(const TVolume &Volume, const QString &cChemin)
{
    const qint32 nVolume = VolumeDe(Volume);
    if (nVolume == 0)
        return cChemin;
    QString cSurCD =
        cChemin.size() > Volume.cPointMontage.size() ? cChemin.mid(Volume.cPointMontage.size()) : QString();
    return CleImage(nVolume, QLatin1Char('/') + cSurCD);
}
} // namespace

qint32 VolumeDeChemin(const IVolumes &Volumes, const QString &cChemin)
{
    return VolumeDe(Volumes.VolumeDe(cChemin));
}

QString CleDeChemin(const IVolumes &Volumes, const QString &cChemin)
{
    return Cle(Volumes.VolumeDe(cChemin), cChemin);
}

TLecteursCD::TLecteursCD(const IVolumes &Volumes) : m_Volumes(Volumes.Liste())
{
    for (const TVolume &Volume : std::as_const(m_Volumes))
        if (Volume.lCD && Volume.nSerie != 0)
            m_Cds[static_cast<qint32>(Volume.nSerie)].append(Volume.cPointMontage);
}

QStringList TLecteursCD::PointsDeMontage(qint32 nVolume) const
{
    return m_Cds.value(nVolume);
}

TVolume TLecteursCD::VolumeDe(const QString &cChemin) const
{
    return VolumeContenant(m_Volumes, cChemin);
}

qint32 TLecteursCD::VolumeDeChemin(const QString &cChemin) const
{
    return ::VolumeDe(VolumeDe(cChemin));
}

QString TLecteursCD::CleDeChemin(const QString &cChemin) const
{
    return Cle(VolumeDe(cChemin), cChemin);
}

bool LecteurDeCle(const TLecteursCD &Lecteurs, qint32 nVolume, const QString &cChemin, QString &cLecteur)
{
    cLecteur.clear();
    if (nVolume == 0)
        return !cChemin.isEmpty() && QFileInfo::exists(cChemin);
    const QString cSurCD = cChemin.startsWith(QLatin1Char('/')) ? cChemin.mid(1) : cChemin;
    for (const QString &cPoint : Lecteurs.PointsDeMontage(nVolume)) {
        if (QFileInfo::exists(cPoint + cSurCD)) {
            cLecteur = cPoint;
            return true;
        }
    }
    return false;
}

QString CheminFichierImage(const TLecteursCD &Lecteurs, qint32 nVolume, const QString &cChemin)
{
    QString cLecteur;
    if (!LecteurDeCle(Lecteurs, nVolume, cChemin, cLecteur))
        return {};
    if (nVolume == 0)
        return cChemin;
    return cLecteur + (cChemin.startsWith(QLatin1Char('/')) ? cChemin.mid(1) : cChemin);
}

bool ADesDonnees(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup, const QString &cCle)
{
    return iniBDD.SectionExists(cCle) || iniSetup.ValueExists(cSectionMotsCles, cCle)
           || iniSetup.ValueExists(cSectionCoupsDeCoeur, cCle) || iniSetup.ValueExists(cSectionLegendes, cCle);
}

QStringList ListeSectionsImage(const TBigIniFile &iniSetup, const QStringList &cNomsVoulus)
{
    QStringList cSections;
    QStringList cExistantes;
    bool lExistantesLues = false;
    QSet<QString> cDejaVues;
    // The settings store matches section names without regard to case: two spellings are one
    // section, and listing it twice would make a move delete what it just wrote.
    auto Ajoute = [&](const QString &cNom) {
        const QString cForme = cNom.toUpper();
        if (!cDejaVues.contains(cForme)) {
            cDejaVues.insert(cForme);
            cSections.append(cNom);
        }
    };
    for (const QString &cVoulu : cNomsVoulus) {
        if (cVoulu != cSectionAlbumImages && cVoulu != cSectionAlbumWeb) {
            Ajoute(cVoulu);
            continue;
        }
        if (!lExistantesLues) {
            iniSetup.ReadSections(cExistantes);
            lExistantesLues = true;
        }
        for (const QString &cExistante : std::as_const(cExistantes))
            if (cExistante.startsWith(cVoulu, Qt::CaseSensitive))
                Ajoute(cExistante);
    }
    return cSections;
}

bool DeplaceDonnees(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const QStringList &cSections,
                    const QString &cAncienneCle, const QString &cNouvelleCle)
{
    if (cAncienneCle == cNouvelleCle)
        return false;
    bool lChange = false;
    QSet<QString> cFaites;
    for (const QString &cSection : cSections) {
        const QString cForme = cSection.toUpper();
        if (cFaites.contains(cForme))
            continue;
        cFaites.insert(cForme);
        const bool lAncienne = iniSetup.ValueExists(cSection, cAncienneCle);
        // Whatever the new key held belonged to the file that was replaced: it goes even when
        // the moved image has nothing in this section.
        if (iniSetup.ValueExists(cSection, cNouvelleCle)) {
            iniSetup.DeleteKey(cSection, cNouvelleCle);
            lChange = true;
        }
        if (lAncienne) {
            const QString cValeur = iniSetup.ReadString(cSection, cAncienneCle, QString());
            iniSetup.DeleteKey(cSection, cAncienneCle);
            iniSetup.WriteString(cSection, cNouvelleCle, cValeur);
            lChange = true;
        }
    }
    if (iniBDD.SectionExists(cNouvelleCle)) {
        iniBDD.EraseSection(cNouvelleCle);
        lChange = true;
    }
    if (iniBDD.SectionExists(cAncienneCle)) {
        QStringList cCriteres;
        iniBDD.ReadSection(cAncienneCle, cCriteres);
        iniBDD.EraseSection(cAncienneCle);
        for (const QString &cCritere : std::as_const(cCriteres))
            iniBDD.WriteString(cNouvelleCle, cCritere, QString());
        lChange = true;
    }
    return lChange;
}

bool DeplaceDonnees(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const QString &cAncienneCle,
                    const QString &cNouvelleCle)
{
    return DeplaceDonnees(iniSetup, iniBDD, ListeSectionsImage(iniSetup, cSectionsFichiersImages), cAncienneCle,
                          cNouvelleCle);
}

bool SupprimeDonnees(TBigIniFile &iniSetup, const QStringList &cSections, const QString &cCle)
{
    bool lSupprime = false;
    for (const QString &cSection : cSections) {
        if (iniSetup.ValueExists(cSection, cCle)) {
            iniSetup.DeleteKey(cSection, cCle);
            lSupprime = true;
        }
    }
    return lSupprime;
}

bool SupprimeCriteres(TBigIniFile &iniBDD, const QString &cCle)
{
    if (!iniBDD.SectionExists(cCle))
        return false;
    iniBDD.EraseSection(cCle);
    return true;
}
