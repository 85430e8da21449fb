#include "storage/Nettoyage.h"

#include "platform/VolumesLinux.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <chrono>
#include <dirent.h>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace
{

const QString cIndexAlbumWeb = QStringLiteral("Index.htm");
// A mount table is a few kilobytes; anything far larger is not one.
constexpr qint64 nTailleFstabMax = 1024 * 1024;

QString SansSeparateurFinal(QString c)
{
    while (c.size() > 1 && c.endsWith(QLatin1Char('/')))
        c.chop(1);
    return c;
}

QString AvecSeparateurFinal(const QString &c)
{
    return c.endsWith(QLatin1Char('/')) ? c : c + QLatin1Char('/');
}

bool ExisteOuLien(const QString &cChemin)
{
    struct stat Etat
    {
    };
    return ::lstat(QFile::encodeName(cChemin).constData(), &Etat) == 0;
}

// Beyond this, a folder's names are not kept and each entry is checked on its own.
constexpr qsizetype nNomsDossierMax = 200000;

// The names a folder holds (without "." and ".."), read as the system lists them: no file is
// looked at. False when the folder cannot be read or is empty. Past nNomsDossierMax names,
// lComplets is false and the names are dropped.
bool ListeNoms(const QString &cDossier, QSet<QString> &Noms, bool &lComplets)
{
    DIR *pDossier = ::opendir(QFile::encodeName(cDossier).constData());
    if (!pDossier)
        return false;
    bool lNonVide = false;
    lComplets = true;
    while (const dirent *pEntree = ::readdir(pDossier)) {
        const char *cNom = pEntree->d_name;
        if (cNom[0] == '.' && (cNom[1] == 0 || (cNom[1] == '.' && cNom[2] == 0)))
            continue;
        lNonVide = true;
        if (Noms.size() >= nNomsDossierMax) {
            lComplets = false;
            Noms.clear();
            break;
        }
        Noms.insert(QFile::decodeName(cNom));
    }
    ::closedir(pDossier);
    return lNonVide;
}

void Sauve(TBigIniFile &ini, TResultatNettoyage &Resultat)
{
    if (!ini.UpdateFile())
        Resultat.cStoresNonSauves << ini.FileName();
}

} // namespace

TTestDisparition::TTestDisparition(const IVolumes &Volumes, FnVolumeRepond fnVolumeRepond,
                                   const QStringList &cPointsConnus)
    : m_Volumes(Volumes.Liste()),
      m_fnVolumeRepond(fnVolumeRepond ? std::move(fnVolumeRepond) : FnVolumeRepond(&SondeVolumeParDefaut))
{
    for (const TVolume &Volume : std::as_const(m_Volumes))
        m_PointsMontes.insert(Volume.cPointMontage);
    QSet<QString> cVus;
    for (const QString &cPoint : cPointsConnus) {
        if (!cPoint.startsWith(QLatin1Char('/')))
            continue;
        const QString cPropre = AvecSeparateurFinal(QDir::cleanPath(cPoint));
        if (cPropre == QLatin1String("/") || m_PointsMontes.contains(cPropre) || cVus.contains(cPropre))
            continue;
        cVus.insert(cPropre);
        m_PointsAbsents << cPropre;
    }
}

bool TTestDisparition::SondeVolumeParDefaut(const TVolume &Volume)
{
    // A stat on a dead network mount can block for minutes: it runs on a thread of its own,
    // which is abandoned (and ends whenever the kernel gives up) when it does not answer soon.
    auto Promesse = std::make_shared<std::promise<bool>>();
    std::future<bool> Futur = Promesse->get_future();
    const QByteArray cPoint = QFile::encodeName(Volume.cPointMontage);
    std::thread([Promesse, cPoint] {
        struct stat Etat
        {
        };
        Promesse->set_value(::stat(cPoint.constData(), &Etat) == 0 && S_ISDIR(Etat.st_mode));
    }).detach();
    if (Futur.wait_for(std::chrono::milliseconds(1500)) != std::future_status::ready)
        return false;
    return Futur.get();
}

bool TTestDisparition::VolumeRepond(const TVolume &Volume)
{
    if (Volume.cPointMontage.isEmpty())
        return false;
    const auto It = m_Reponses.constFind(Volume.cPointMontage);
    if (It != m_Reponses.constEnd())
        return It.value();
    const bool lRepond = m_fnVolumeRepond(Volume);
    m_Reponses.insert(Volume.cPointMontage, lRepond);
    return lRepond;
}

bool TTestDisparition::SousPointAbsent(const QString &cChemin) const
{
    for (const QString &cPoint : m_PointsAbsents)
        if (cChemin.startsWith(cPoint) || (cChemin.size() == cPoint.size() - 1 && cPoint.startsWith(cChemin)))
            return true;
    return false;
}

const TTestDisparition::TDossier &TTestDisparition::Dossier(const QString &cDossier)
{
    auto It = m_Dossiers.find(cDossier);
    if (It != m_Dossiers.end())
        return *It;
    TDossier D;
    // The volume first: nothing on a volume that does not answer is ever looked at.
    D.lProbant =
        !SousPointAbsent(cDossier) && VolumeRepond(VolumeContenant(m_Volumes, cDossier)) && QFileInfo(cDossier).isDir();
    if (D.lProbant)
        D.lProbant = ListeNoms(cDossier, D.Noms, D.lNomsComplets);
    return *m_Dossiers.insert(cDossier, std::move(D));
}

bool TTestDisparition::Disparu(const QString &cChemin)
{
    const QString cPropre = SansSeparateurFinal(cChemin);
    if (!cPropre.startsWith(QLatin1Char('/')) || cPropre == QLatin1String("/"))
        return false;
    if (SousPointAbsent(cPropre))
        return false;
    const qsizetype nBarre = cPropre.lastIndexOf(QLatin1Char('/'));
    const TDossier &D = Dossier(nBarre == 0 ? QStringLiteral("/") : cPropre.left(nBarre));
    if (!D.lProbant)
        return false;
    if (D.lNomsComplets && D.Noms.contains(cPropre.mid(nBarre + 1)))
        return false;
    // Within a folder the volume is the folder's, unless the path is itself a mount point:
    // then it is mounted, hence there.
    if (m_PointsMontes.contains(cPropre + QLatin1Char('/')))
        return false;
    // Not listed: asked on its own (a file system that ignores case lists other spellings).
    auto It = m_Absents.find(cPropre);
    if (It == m_Absents.end())
        It = m_Absents.insert(cPropre, !ExisteOuLien(cPropre));
    return *It;
}

QStringList PointsMontageFstab(const QByteArray &cTexte)
{
    QStringList cPoints;
    for (const QByteArray &cLigne : cTexte.split('\n')) {
        const QByteArray c = cLigne.trimmed();
        if (c.isEmpty() || c.startsWith('#'))
            continue;
        const QList<QByteArray> Champs = c.simplified().split(' ');
        if (Champs.size() < 2)
            continue;
        if (Champs.size() >= 3 && Champs[2] == "swap")
            continue;
        const QString cPoint = DecodeChampMontage(Champs[1]);
        if (!cPoint.startsWith(QLatin1Char('/')))
            continue;
        const QString cPropre = AvecSeparateurFinal(QDir::cleanPath(cPoint));
        if (!cPoints.contains(cPropre))
            cPoints << cPropre;
    }
    return cPoints;
}

QStringList LitPointsMontageFstab(const QString &cFichier)
{
    QFile Fichier(cFichier);
    if (!Fichier.open(QIODevice::ReadOnly))
        return {};
    return PointsMontageFstab(Fichier.read(nTailleFstabMax));
}

QStringList PointsMontageRetenus(const TBigIniFile &iniSetup)
{
    QStringList cCles;
    iniSetup.ReadSection(cSectionPointsMontage, cCles);
    QStringList cPoints;
    for (const QString &cCle : std::as_const(cCles))
        if (cCle.startsWith(QLatin1Char('/')))
            cPoints << AvecSeparateurFinal(cCle);
    return cPoints;
}

bool RetientPointsMontage(TBigIniFile &iniSetup, const QList<TVolume> &Volumes)
{
    QStringList cCles;
    iniSetup.ReadSection(cSectionPointsMontage, cCles);
    const QSet<QString> cDeja(cCles.cbegin(), cCles.cend());
    bool lChange = false;
    for (const TVolume &Volume : Volumes) {
        const QString &cPoint = Volume.cPointMontage;
        if (Volume.lCD || cPoint.isEmpty() || cPoint == QLatin1String("/") || cDeja.contains(cPoint))
            continue;
        iniSetup.WriteString(cSectionPointsMontage, cPoint, QString());
        cCles << cPoint;
        lChange = true;
    }
    for (qsizetype i = 0; i < cCles.size() - nPointsMontageRetenusMax; ++i) {
        iniSetup.DeleteKey(cSectionPointsMontage, cCles[i]);
        lChange = true;
    }
    return lChange;
}

TTestDisparition PrepareNettoyage(TBigIniFile &iniSetup, const IVolumes &Volumes, const QString &cFichierFstab,
                                  TTestDisparition::FnVolumeRepond fnVolumeRepond)
{
    const QStringList cConnus = LitPointsMontageFstab(cFichierFstab) + PointsMontageRetenus(iniSetup);
    TTestDisparition Test(Volumes, std::move(fnVolumeRepond), cConnus);
    Test.lPointsRetenus = RetientPointsMontage(iniSetup, Test.Volumes());
    return Test;
}

QStringList SectionsNettoyage(const TBigIniFile &iniSetup)
{
    QStringList cVoulus = cSectionsFichiersImages;
    cVoulus.removeAll(cSectionAlbumImages);
    cVoulus.removeAll(cSectionAlbumWeb);
    return ListeSectionsImage(iniSetup, cVoulus);
}

void NettoieParametres(TBigIniFile &iniSetup, TTestDisparition &Test, TResultatNettoyage &Resultat)
{
    int nSupprimees = 0;
    QHash<QString, bool> Disparus; // an image is often in several sections
    const QStringList cSections = SectionsNettoyage(iniSetup);
    for (const QString &cSection : cSections) {
        QStringList cCles;
        iniSetup.ReadSection(cSection, cCles);
        for (const QString &cCle : std::as_const(cCles)) {
            if (cCle.startsWith(QLatin1Char('<')))
                continue;
            auto It = Disparus.find(cCle);
            if (It == Disparus.end())
                It = Disparus.insert(cCle, Test.Disparu(cCle));
            if (It.value() && iniSetup.ValueExists(cSection, cCle)) {
                iniSetup.DeleteKey(cSection, cCle);
                ++nSupprimees;
            }
        }
    }
    Resultat.nClesParametres += nSupprimees;

    // Web albums: a folder that no longer holds its index page leaves the history, unless it
    // lies where nothing can be seen now (an unplugged disk).
    QStringList cDossiers;
    iniSetup.ReadSection(cSectionAlbumsWebHistorique, cDossiers);
    QStringList cGardes;
    int nAbandonnes = 0;
    for (const QString &cDossier : std::as_const(cDossiers)) {
        const QString cSans = SansSeparateurFinal(cDossier);
        const bool lDisparu = Test.Disparu(cSans)
                              || (QFileInfo(cSans).isDir() && Test.Disparu(cSans + QLatin1Char('/') + cIndexAlbumWeb));
        if (lDisparu)
            ++nAbandonnes;
        else
            cGardes << cDossier;
    }
    if (nAbandonnes > 0) {
        iniSetup.EraseSection(cSectionAlbumsWebHistorique);
        for (const QString &cDossier : std::as_const(cGardes))
            iniSetup.WriteString(cSectionAlbumsWebHistorique, cDossier, QString());
        Resultat.nDossiersAlbumsWeb += nAbandonnes;
    }
    if (nSupprimees > 0 || nAbandonnes > 0 || Test.lPointsRetenus) {
        Sauve(iniSetup, Resultat);
        Test.lPointsRetenus = false;
    }
}

void NettoieCatalogue(TBigIniFile &iniBDD, TTestDisparition &Test, TResultatNettoyage &Resultat)
{
    QStringList cSections;
    iniBDD.ReadSections(cSections);
    QSet<QString> Vues;
    int nEffacees = 0;
    for (const QString &cSection : std::as_const(cSections)) {
        if (cSection.startsWith(QLatin1Char('<')) || Vues.contains(cSection))
            continue;
        Vues.insert(cSection);
        if (Test.Disparu(cSection) && SupprimeCriteres(iniBDD, cSection))
            ++nEffacees;
    }
    if (nEffacees > 0) {
        Resultat.nSectionsCatalogue += nEffacees;
        Sauve(iniBDD, Resultat);
    }
}

void NettoieVignettes(const QString &cDossierVignettes, const FnImageDeVignette &fnImageDeVignette,
                      TTestDisparition &Test, TResultatNettoyage &Resultat)
{
    if (!fnImageDeVignette)
        return;
    const QDir Dossier(cDossierVignettes);
    const QStringList cNoms = Dossier.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
    for (const QString &cNom : cNoms) {
        const QString cImage = fnImageDeVignette(cNom);
        if (cImage.isEmpty() || cImage.startsWith(QLatin1Char('<')))
            continue;
        if (Test.Disparu(cImage) && QFile::remove(Dossier.filePath(cNom)))
            ++Resultat.nVignettes;
    }
}
