#include "publishing/HierarchieAlbumWEB.h"

#include "imaging/FileKinds.h"
#include "platform/Volumes.h"
#include "publishing/FichiersAlbumWEB.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
using TIdDossier = std::pair<quint64, quint64>;

// Deeper than any real tree; it only bounds a walk through a file system that loops.
constexpr int nProfondeurMax = 256;

std::optional<TIdDossier> IdDossier(const QString &cDossier)
{
    struct stat st
    {
    };
    if (cDossier.isEmpty() || ::stat(QFile::encodeName(cDossier).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return TIdDossier{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

QString AvecBarre(QString c)
{
    if (!c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}

class TParcoursHierarchie
{
public:
    TParcoursHierarchie(const TVolume &Volume, const QSet<TIdDossier> &Exclus) : m_Volume(Volume), m_Exclus(Exclus) {}

    // cDossier ends with "/".
    void Parcourt(const QString &cDossier, int nNiveau)
    {
        DIR *pDir = ::opendir(QFile::encodeName(cDossier).constData());
        if (!pDir)
            return;
        const int fd = ::dirfd(pDir);
        struct stat stDossier
        {
        };
        if (::fstat(fd, &stDossier) != 0) {
            ::closedir(pDir);
            return;
        }
        const TIdDossier Id{static_cast<quint64>(stDossier.st_dev), static_cast<quint64>(stDossier.st_ino)};
        if (m_Vus.contains(Id) || m_Exclus.contains(Id)) {
            ::closedir(pDir);
            return;
        }
        m_Vus.insert(Id);

        const qsizetype nNoeud = Noeuds.size();
        Noeuds.append({nNiveau, cDossier, {}, {}});
        QStringList SousDossiers;
        while (const dirent *pEnt = ::readdir(pDir)) {
            if (pEnt->d_name[0] == '.')
                continue;
            struct stat st
            {
            };
            if (::fstatat(fd, pEnt->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            const QString cNom = QFile::decodeName(pEnt->d_name);
            if (S_ISDIR(st.st_mode))
                SousDossiers << cDossier + cNom + QLatin1Char('/');
            else if (EstImage(cNom)
                     && (S_ISREG(st.st_mode)
                         || (S_ISLNK(st.st_mode) && ::fstatat(fd, pEnt->d_name, &st, 0) == 0 && S_ISREG(st.st_mode))))
                Noeuds[nNoeud].lstImgs.append(Image(cDossier + cNom));
        }
        ::closedir(pDir);
        TrieImagesNoeud(Noeuds[nNoeud].lstImgs);
        if (nNiveau < nProfondeurMax)
            for (const QString &cSous : std::as_const(SousDossiers))
                Parcourt(cSous, nNiveau + 1);
    }

    // Nodes with cChemin still holding the full path of their folder.
    QList<TEnrAWH> Noeuds;

private:
    TEnrLST Image(const QString &cChemin) const
    {
        if (!m_Volume.lCD || m_Volume.nSerie == 0)
            return {0, cChemin};
        return {static_cast<qint32>(m_Volume.nSerie), QLatin1Char('/') + cChemin.mid(m_Volume.cPointMontage.size())};
    }

    TVolume m_Volume;
    QSet<TIdDossier> m_Exclus;
    QSet<TIdDossier> m_Vus;
};
} // namespace

void TrieImagesNoeud(QList<TEnrLST> &Images)
{
    QList<std::pair<QByteArray, TEnrLST>> Cles;
    Cles.reserve(Images.size());
    for (const TEnrLST &e : std::as_const(Images))
        Cles.append({(IdVolume(static_cast<quint32>(e.nVolume)) + e.cChemin.toUpper()).toUtf8(), e});
    std::stable_sort(Cles.begin(), Cles.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (qsizetype i = 0; i < Images.size(); ++i)
        Images[i] = Cles[i].second;
}

QList<TEnrAWH> ConstruireHierarchieDossiers(const QString &cDossier, const IVolumes &Volumes,
                                            const QString &cDossierAlbum, const QString &cDossierVignettes)
{
    const QString cRacine = AvecBarre(cDossier);
    QSet<TIdDossier> Exclus;
    for (const QString &c : {cDossierAlbum, cDossierVignettes})
        if (const auto Id = IdDossier(c))
            Exclus.insert(*Id);
    // The chosen folder is walked even when it is itself a link.
    TParcoursHierarchie Parcours(Volumes.VolumeDe(cRacine), Exclus);
    Parcours.Parcourt(cRacine, 0);

    QList<std::pair<QByteArray, TEnrAWH>> Tries;
    for (TEnrAWH &Noeud : Parcours.Noeuds)
        Tries.append({Noeud.cChemin.toUpper().toUtf8(), std::move(Noeud)});
    std::stable_sort(Tries.begin(), Tries.end(), [](const auto &a, const auto &b) { return a.first < b.first; });

    QList<TEnrAWH> Noeuds;
    Noeuds.reserve(Tries.size());
    for (auto &[cCle, Noeud] : Tries) {
        QString cRelatif = Noeud.cChemin.mid(cRacine.size());
        if (!cRelatif.isEmpty())
            cRelatif.chop(1);
        // The top node is named after the chosen folder itself.
        const QString cPlein = cRacine.chopped(1);
        Noeud.cNom = cRelatif.isEmpty() ? cPlein.mid(cPlein.lastIndexOf(QLatin1Char('/')) + 1)
                                        : cRelatif.mid(cRelatif.lastIndexOf(QLatin1Char('/')) + 1);
        Noeud.cChemin = cRelatif;
        Noeuds.append(std::move(Noeud));
    }
    return Noeuds;
}

QList<TEnrAWH> ConstruireHierarchiePerso(const TBigIniFile &Parametres, const QString &cNom)
{
    const QString cSection = cSectionAlbumWeb + QLatin1Char(':') + cNom;
    QStringList Dossiers = Parametres.ReadString(cSection, QStringLiteral("<aDossiers>"), {}).split(QLatin1Char('|'));
    for (QString &F : Dossiers)
        F = F.trimmed();
    if (!Dossiers.isEmpty() && Dossiers.last().isEmpty())
        Dossiers.removeLast();
    QList<TEnrAWH> Noeuds;
    Noeuds.reserve(Dossiers.size());
    for (const QString &F : std::as_const(Dossiers)) {
        TEnrAWH Noeud;
        Noeud.nNiveau = static_cast<qint32>(F.count(QLatin1Char('/')));
        Noeud.cChemin = F;
        const QString cSansFin = F.endsWith(QLatin1Char('/')) ? F.chopped(1) : F;
        Noeud.cNom = cSansFin.mid(cSansFin.lastIndexOf(QLatin1Char('/')) + 1);
        QStringList Cles;
        Parametres.ReadSection(cSection + QLatin1Char(':') + F, Cles);
        for (const QString &cCle : std::as_const(Cles))
            Noeud.lstImgs.append(DecomposeCle(cCle));
        TrieImagesNoeud(Noeud.lstImgs);
        Noeuds.append(std::move(Noeud));
    }
    return Noeuds;
}

QString ErreurHierarchieAlbumWEB(const QList<TEnrAWH> &Noeuds)
{
    for (const TEnrAWH &Noeud : Noeuds) {
        const QString cErreur = ErreurCheminNoeud(Noeud.cChemin);
        if (!cErreur.isEmpty())
            return cErreur;
    }
    return {};
}
