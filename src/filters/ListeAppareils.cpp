#include "filters/ListeAppareils.h"

#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "platform/Volumes.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Nettoyage.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <future>
#include <mutex>
#include <vector>

QStringList ClesCataloguees(const TBigIniFile &iniBDD)
{
    QStringList Cles;
    iniBDD.ReadSections(Cles);
    QSet<QString> Vues(Cles.begin(), Cles.end());
    for (const char *cSection : {"MOTS-CLES", "COUPS DE COEUR", "LEGENDES"}) {
        QStringList Autres;
        iniBDD.ReadSection(QString::fromLatin1(cSection), Autres);
        for (const QString &c : std::as_const(Autres))
            if (!Vues.contains(c)) {
                Vues.insert(c);
                Cles << c;
            }
    }
    // The named sections of the catalogue are lists, not images.
    for (const char *cSection : {"MOTS-CLES", "COUPS DE COEUR", "LEGENDES"})
        Cles.removeAll(QString::fromLatin1(cSection));
    return Cles;
}

QStringList ModelesEnCache(const QStringList &Cles, const TBigIniFile &iniSetup, std::set<QString> &Appareils)
{
    QStringList ALire;
    for (const QString &cCle : Cles) {
        const QStringList Champs = DecoupeRecord(iniSetup.ReadString(QStringLiteral("EXIF"), cCle, QString()));
        if (Champs.size() > 1) {
            const QString cModele = Champs.first().trimmed();
            if (!cModele.isEmpty())
                Appareils.insert(cModele);
        } else {
            ALire << cCle;
        }
    }
    return ALire;
}

QStringList LitModeles(const QStringList &Cles, const TLectureModeles &Lecture)
{
    if (Cles.isEmpty())
        return {};
    // The files to read, each volume probed once: a volume that does not answer is left out
    // whole instead of blocking on each of its files.
    std::vector<QString> Fichiers;
    if (Lecture.pVolumes) {
        const TLecteursCD Lecteurs(*Lecture.pVolumes);
        const auto fnRepond = Lecture.fnVolumeRepond
                                  ? Lecture.fnVolumeRepond
                                  : std::function<bool(const TVolume &)>(&TTestDisparition::SondeVolumeParDefaut);
        QHash<QString, bool> Reponses;
        for (const QString &cCle : Cles) {
            const TEnrLST e = DecomposeCle(cCle);
            if (e.nVolume != 0) {
                const QString c = CheminFichierImage(Lecteurs, e.nVolume, e.cChemin);
                if (!c.isEmpty())
                    Fichiers.push_back(c);
                continue;
            }
            const TVolume v = Lecteurs.VolumeDe(e.cChemin);
            if (!v.cPointMontage.isEmpty()) {
                auto It = Reponses.find(v.cPointMontage);
                if (It == Reponses.end())
                    It = Reponses.insert(v.cPointMontage, fnRepond(v));
                if (!*It)
                    continue;
            }
            Fichiers.push_back(e.cChemin);
        }
    } else {
        for (const QString &cCle : Cles)
            Fichiers.push_back(DecomposeCle(cCle).cChemin);
    }

    const int nFils = Lecture.nFils > 0 ? Lecture.nFils : std::max(1, QThread::idealThreadCount());
    std::mutex Verrou;
    QSet<QString> Modeles;
    std::atomic<size_t> nSuivant{0};
    auto Travail = [&] {
        QSet<QString> Miens;
        for (size_t i = nSuivant++; i < Fichiers.size(); i = nSuivant++) {
            if (Lecture.pAnnule && Lecture.pAnnule->load())
                break;
            if (!QFileInfo::exists(Fichiers[i]))
                continue;
            const TLectureEXIF l = LitEXIF(Fichiers[i], true);
            const QString c = l.Donnees.cAppareil.trimmed();
            if (l.lLu && !c.isEmpty())
                Miens.insert(c);
        }
        const std::lock_guard<std::mutex> g(Verrou);
        Modeles.unite(Miens);
    };
    std::vector<std::future<void>> Fils;
    for (int n = 1; n < nFils; ++n)
        Fils.push_back(std::async(std::launch::async, Travail));
    Travail();
    for (auto &f : Fils)
        f.get();
    return QStringList(Modeles.begin(), Modeles.end());
}
