#include "storage/Nettoyage.h"

#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <chrono>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace {

const QString cSectionAlbumsWebHistorique = QStringLiteral("ALBUMS WEB:HISTORIQUE");
const QString cIndexAlbumWeb = QStringLiteral("Index.htm");

QString SansSeparateurFinal(QString c)
{
    while (c.size() > 1 && c.endsWith(QLatin1Char('/')))
        c.chop(1);
    return c;
}

} // namespace

TTestDisparition::TTestDisparition(const IVolumes &Volumes, FnVolumeRepond fnVolumeRepond)
    : m_Volumes(Volumes),
      m_fnVolumeRepond(fnVolumeRepond ? std::move(fnVolumeRepond) : FnVolumeRepond(&SondeVolumeParDefaut))
{
}

bool TTestDisparition::SondeVolumeParDefaut(const TVolume &Volume)
{
    // A stat on a dead network mount can block for minutes: it runs on a thread of its own,
    // which is abandoned (and ends whenever the kernel gives up) when it does not answer soon.
    auto Promesse = std::make_shared<std::promise<bool>>();
    std::future<bool> Futur = Promesse->get_future();
    const QByteArray cPoint = QFile::encodeName(Volume.cPointMontage);
    std::thread([Promesse, cPoint] {
        struct stat Etat {};
        Promesse->set_value(::stat(cPoint.constData(), &Etat) == 0 && S_ISDIR(Etat.st_mode));
    }).detach();
    if (Futur.wait_for(std::chrono::milliseconds(1500)) != std::future_status::ready)
        return false;
    return Futur.get();
}

bool TTestDisparition::VolumeRepond(const QString &cChemin)
{
    const TVolume Volume = m_Volumes.VolumeDe(cChemin);
    if (Volume.cPointMontage.isEmpty())
        return false;
    const auto It = m_Reponses.constFind(Volume.cPointMontage);
    if (It != m_Reponses.constEnd())
        return It.value();
    const bool lRepond = m_fnVolumeRepond(Volume);
    m_Reponses.insert(Volume.cPointMontage, lRepond);
    return lRepond;
}

bool TTestDisparition::Disparu(const QString &cChemin)
{
    const QString cPropre = SansSeparateurFinal(cChemin);
    if (cPropre.isEmpty() || !QDir::isAbsolutePath(cPropre) || cPropre == QLatin1String("/"))
        return false;
    // The volume first: nothing on a volume that does not answer is ever looked at.
    if (!VolumeRepond(cPropre))
        return false;
    const QFileInfo Info(cPropre);
    if (Info.exists() || Info.isSymLink())
        return false;
    return QFileInfo(Info.absolutePath()).isDir();
}

void NettoieParametres(TBigIniFile &iniSetup, TTestDisparition &Test, TResultatNettoyage &Resultat)
{
    int nSupprimees = 0;
    QHash<QString, bool> Disparus;  // an image is often in several sections
    const QStringList cSections = ListeSectionsImage(iniSetup, cSectionsFichiersImages);
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
        const bool lDisparu = Test.Disparu(cSans) ||
                              (QFileInfo(cSans).isDir() && Test.Disparu(cSans + QLatin1Char('/') + cIndexAlbumWeb));
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
    if (nSupprimees > 0 || nAbandonnes > 0)
        iniSetup.UpdateFile();
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
        iniBDD.UpdateFile();
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
