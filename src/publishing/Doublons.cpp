#include "publishing/Doublons.h"

#include "exploration/ColonnesListe.h"
#include "exploration/ListeImages.h"
#include "exploration/ModeleListe.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "platform/Messages.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/TailleImage.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

namespace
{
constexpr qint64 nTaillePrefixe = 64 * 1024;
constexpr size_t nTailleTampon = 1 << 20;
constexpr int nProfondeurMax = 200;
// Esc is asked once per this many directory entries of the walk.
constexpr int nEntreesParQuestion = 64;

using TIdFichier = std::pair<quint64, quint64>;

// A file opened for reading, closed on every path. A path that turned into a pipe or a device
// is refused before any read could block.
class TFichierLu
{
public:
    explicit TFichierLu(const QString &cChemin)
    {
        m_fd = ::open(QFile::encodeName(cChemin).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (m_fd < 0)
            return;
        struct stat st
        {
        };
        if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_nTaille = st.st_size;
    }
    ~TFichierLu()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFichierLu(const TFichierLu &) = delete;
    TFichierLu &operator=(const TFichierLu &) = delete;

    bool Ouvert() const { return m_fd >= 0; }
    qint64 Taille() const { return m_nTaille; }
    void Sequentiel() const { ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL); }

    // Fills up to n bytes; fewer only at the end of the file. -1 on error.
    qint64 Lit(char *p, size_t n) const
    {
        size_t nLu = 0;
        while (nLu < n) {
            const ssize_t r = ::read(m_fd, p + nLu, n - nLu);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            if (r == 0)
                break;
            nLu += static_cast<size_t>(r);
        }
        return static_cast<qint64>(nLu);
    }

private:
    int m_fd = -1;
    qint64 m_nTaille = 0;
};

using TEmpreinte = std::pair<quint64, quint64>;

// What one worker thread reads with.
struct TAtelier
{
    std::vector<char> A = std::vector<char>(nTailleTampon);
    std::vector<char> B = std::vector<char>(nTailleTampon);
    XXH3_state_t *pEtat = XXH3_createState();
    const std::atomic<bool> *plArret = nullptr;

    TAtelier() = default;
    ~TAtelier() { XXH3_freeState(pEtat); }
    TAtelier(const TAtelier &) = delete;
    TAtelier &operator=(const TAtelier &) = delete;

    bool Arret() const { return plArret && plArret->load(std::memory_order_relaxed); }
};

// The hash of the first 64 KiB (the whole file when smaller); nullopt when the file cannot be
// read or no longer has the expected size.
std::optional<TEmpreinte> EmpreintePrefixe(TAtelier &At, const QString &cChemin, qint64 nTaille)
{
    TFichierLu f(cChemin);
    if (!f.Ouvert() || f.Taille() != nTaille)
        return std::nullopt;
    const qint64 nVoulu = std::min(nTaille, nTaillePrefixe);
    if (f.Lit(At.A.data(), static_cast<size_t>(nVoulu)) != nVoulu)
        return std::nullopt;
    const XXH128_hash_t h = XXH3_128bits(At.A.data(), static_cast<size_t>(nVoulu));
    return TEmpreinte{h.low64, h.high64};
}

std::optional<TEmpreinte> EmpreinteFichier(TAtelier &At, const QString &cChemin, qint64 nTaille)
{
    TFichierLu f(cChemin);
    if (!f.Ouvert() || f.Taille() != nTaille)
        return std::nullopt;
    f.Sequentiel();
    XXH3_128bits_reset(At.pEtat);
    qint64 nTotal = 0;
    for (;;) {
        if (At.Arret())
            return std::nullopt;
        const qint64 n = f.Lit(At.A.data(), nTailleTampon);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        XXH3_128bits_update(At.pEtat, At.A.data(), static_cast<size_t>(n));
        nTotal += n;
    }
    if (nTotal != nTaille)
        return std::nullopt;
    const XXH128_hash_t h = XXH3_128bits_digest(At.pEtat);
    return TEmpreinte{h.low64, h.high64};
}

// 1 when both files read whole and agree, 0 when they differ or one cannot be read, -1 when
// stopped. Empty files never agree.
int CompareOctets(TAtelier &At, const QString &cA, const QString &cB)
{
    TFichierLu a(cA);
    TFichierLu b(cB);
    if (!a.Ouvert() || !b.Ouvert() || a.Taille() != b.Taille() || a.Taille() <= 0)
        return 0;
    a.Sequentiel();
    b.Sequentiel();
    for (;;) {
        if (At.Arret())
            return -1;
        const qint64 na = a.Lit(At.A.data(), nTailleTampon);
        const qint64 nb = b.Lit(At.B.data(), nTailleTampon);
        if (na < 0 || nb < 0 || na != nb)
            return 0;
        if (na == 0)
            return 1;
        if (std::memcmp(At.A.data(), At.B.data(), static_cast<size_t>(na)) != 0)
            return 0;
    }
}

struct TGroupe
{
    qint64 nTaille = 0;
    std::vector<int> Indices; // ascending
};

// The work on one group of equal-size files: the pairs found, as (lower, higher) indices.
class TTraitementGroupe
{
public:
    TTraitementGroupe(TAtelier &At, const QList<TEnrImgSel> &Candidats, std::vector<std::pair<int, int>> &Paires)
        : m_At(At), m_Candidats(Candidats), m_Paires(Paires)
    {}

    void Traite(const TGroupe &G)
    {
        if (G.Indices.size() == 2) {
            Paire(G.Indices[0], G.Indices[1]);
            return;
        }
        for (const auto &Sous :
             Partage(G.Indices, [&](int i) { return EmpreintePrefixe(m_At, Chemin(i), G.nTaille); })) {
            if (m_At.Arret())
                return;
            if (Sous.size() == 2)
                Paire(Sous[0], Sous[1]);
            else if (G.nTaille <= nTaillePrefixe)
                Confirme(Sous);
            else
                for (const auto &Sous2 :
                     Partage(Sous, [&](int i) { return EmpreinteFichier(m_At, Chemin(i), G.nTaille); })) {
                    if (Sous2.size() == 2)
                        Paire(Sous2[0], Sous2[1]);
                    else
                        Confirme(Sous2);
                }
        }
    }

private:
    const QString &Chemin(int i) const { return m_Candidats[i].cChemin; }

    // The members split by a fingerprint; unreadable members dropped, single ones too.
    template <typename F>
    std::vector<std::vector<int>> Partage(const std::vector<int> &Membres, F Empreinte)
    {
        std::map<TEmpreinte, std::vector<int>> Classes;
        for (const int i : Membres) {
            if (m_At.Arret())
                return {};
            if (const auto e = Empreinte(i))
                Classes[*e].push_back(i);
        }
        std::vector<std::vector<int>> Resultat;
        for (auto &[e, v] : Classes)
            if (v.size() >= 2)
                Resultat.push_back(std::move(v));
        return Resultat;
    }

    void Paire(int i, int k)
    {
        if (CompareOctets(m_At, Chemin(i), Chemin(k)) == 1)
            m_Paires.emplace_back(std::min(i, k), std::max(i, k));
    }

    // Equal hashes still get a byte check, each file against the first of its class: equality
    // being transitive, a class of m files costs m - 1 comparisons, not m² / 2.
    void Confirme(std::vector<int> Restants)
    {
        while (Restants.size() >= 2) {
            std::vector<int> Classe{Restants[0]};
            std::vector<int> Autres;
            for (size_t j = 1; j < Restants.size(); ++j) {
                const int r = CompareOctets(m_At, Chemin(Restants[0]), Chemin(Restants[j]));
                if (r < 0)
                    return;
                (r == 1 ? Classe : Autres).push_back(Restants[j]);
            }
            for (size_t a = 0; a < Classe.size(); ++a)
                for (size_t b = a + 1; b < Classe.size(); ++b)
                    m_Paires.emplace_back(std::min(Classe[a], Classe[b]), std::max(Classe[a], Classe[b]));
            Restants = std::move(Autres);
        }
    }

    TAtelier &m_At;
    const QList<TEnrImgSel> &m_Candidats;
    std::vector<std::pair<int, int>> &m_Paires;
};

bool StatCandidat(const QString &cChemin, TEnrImgSel &Enr)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(cChemin).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    Enr.cChemin = cChemin;
    Enr.nTaille = st.st_size;
    Enr.nDate = st.st_mtime;
    Enr.nPeripherique = static_cast<quint64>(st.st_dev);
    Enr.nInode = static_cast<quint64>(st.st_ino);
    return true;
}

// The walk of a folder for candidates.
class TParcoursDoublons
{
public:
    TParcoursDoublons(const IVolumes &Volumes, const QString &cDossierVignettes, const TSuivi &Suivi)
        : m_Lecteurs(Volumes), m_cDossierVignettes(cDossierVignettes), m_Suivi(Suivi)
    {}

    void Parcourt(const QString &cDossier, bool lRecursif, int nProfondeur)
    {
        if (m_lInterrompu || EstDansVignettes(cDossier, m_cDossierVignettes)
            || m_Lecteurs.VolumeDeChemin(cDossier) != 0)
            return;
        const QByteArray cOctets = QFile::encodeName(cDossier);
        DIR *pDir = ::opendir(cOctets.constData());
        if (!pDir)
            return;
        const int fd = ::dirfd(pDir);
        struct stat stDossier
        {
        };
        const bool lStat = ::fstat(fd, &stDossier) == 0;
        const TIdFichier IdDossier{static_cast<quint64>(stDossier.st_dev), static_cast<quint64>(stDossier.st_ino)};
        // Each folder once: a bind mount or a loop cannot make the walk run forever.
        if (!lStat || m_DossiersVus.contains(IdDossier)) {
            ::closedir(pDir);
            return;
        }
        m_DossiersVus.insert(IdDossier);
        while (const dirent *pEnt = ::readdir(pDir)) {
            if (++m_nEntrees % nEntreesParQuestion == 0 && m_Suivi.Arret()) {
                m_lInterrompu = true;
                break;
            }
            const char *cNomC = pEnt->d_name;
            if (cNomC[0] == '.')
                continue;
            // Links are not copies: deleting "the copy" through one would delete its target.
            if (pEnt->d_type == DT_LNK)
                continue;
            const QString cNom = QFile::decodeName(cNomC);
            if (pEnt->d_type == DT_REG && !EstImage(cNom))
                continue;
            struct stat st
            {
            };
            if (::fstatat(fd, cNomC, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            const QString cChemin = cDossier + cNom;
            if (S_ISDIR(st.st_mode)) {
                if (lRecursif && nProfondeur < nProfondeurMax)
                    Parcourt(cChemin + QLatin1Char('/'), lRecursif, nProfondeur + 1);
                if (m_lInterrompu)
                    break;
            } else if (S_ISREG(st.st_mode) && EstImage(cNom)) {
                const TIdFichier Id{static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
                if (m_FichiersVus.contains(Id))
                    continue;
                m_FichiersVus.insert(Id);
                TEnrImgSel Enr;
                Enr.cChemin = cChemin;
                Enr.nTaille = st.st_size;
                Enr.nDate = st.st_mtime;
                Enr.nPeripherique = Id.first;
                Enr.nInode = Id.second;
                Candidats.append(Enr);
                m_Suivi.Position(Candidats.size(), 0);
            }
        }
        ::closedir(pDir);
    }

    QList<TEnrImgSel> Candidats;
    bool Interrompu() const { return m_lInterrompu; }

private:
    TLecteursCD m_Lecteurs;
    QString m_cDossierVignettes;
    const TSuivi &m_Suivi;
    QSet<TIdFichier> m_DossiersVus;
    QSet<TIdFichier> m_FichiersVus;
    qint64 m_nEntrees = 0;
    bool m_lInterrompu = false;
};
} // namespace

QList<TEnrImgSel> CandidatsListe(const TModeleListeImages &Modele)
{
    QList<TEnrImgSel> Candidats;
    QSet<TIdFichier> Vus;
    for (int i = 0; i < Modele.Nombre(); ++i) {
        const TEnrLV &Enr = Modele.Enr(i);
        if (Enr.nNumCD != 0)
            continue;
        TEnrImgSel Sel;
        if (!StatCandidat(Enr.CheminComplet(), Sel))
            continue;
        // A shortcut row is keyed by its target: the target's own row is the same file.
        if (Vus.contains({Sel.nPeripherique, Sel.nInode}))
            continue;
        Vus.insert({Sel.nPeripherique, Sel.nInode});
        Sel.cResol = ColonnesListe::TexteResolution(Enr);
        Sel.lResolConnue = true;
        Candidats.append(Sel);
    }
    return Candidats;
}

QList<TEnrImgSel> CandidatsDossier(const QString &cDossier, bool lRecursif, const IVolumes &Volumes,
                                   const QString &cDossierVignettes, const TSuivi &Suivi, bool *plInterrompu)
{
    QString d = cDossier;
    if (!d.endsWith(QLatin1Char('/')))
        d += QLatin1Char('/');
    TParcoursDoublons Parcours(Volumes, cDossierVignettes, Suivi);
    Parcours.Parcourt(d, lRecursif, 0);
    if (plInterrompu)
        *plInterrompu = Parcours.Interrompu();
    return Parcours.Interrompu() ? QList<TEnrImgSel>() : Parcours.Candidats;
}

QList<TEnrImgSel> CandidatsDoublons(const TChoixDoublons &Choix, const TModeleListeImages *pModele,
                                    const IVolumes &Volumes, const QString &cDossierVignettes, const TSuivi &Suivi,
                                    bool *plInterrompu)
{
    if (plInterrompu)
        *plInterrompu = false;
    if (Choix.lListeImages)
        return pModele ? CandidatsListe(*pModele) : QList<TEnrImgSel>();
    return CandidatsDossier(Choix.cDossier, Choix.lRecursif, Volumes, cDossierVignettes, Suivi, plInterrompu);
}

bool ComparerFichiers(const QString &cA, const QString &cB)
{
    TAtelier At;
    return CompareOctets(At, cA, cB) == 1;
}

TResultatPaires ChercherPaires(const QList<TEnrImgSel> &Candidats, const TSuivi &Suivi, int nFils)
{
    TResultatPaires Resultat;

    // Groups of equal size, each file once.
    std::map<qint64, TGroupe> ParTaille;
    {
        QSet<TIdFichier> Vus;
        QSet<QString> CheminsVus;
        for (int i = 0; i < Candidats.size(); ++i) {
            const TEnrImgSel &c = Candidats[i];
            if (c.nTaille <= 0 || CheminsVus.contains(c.cChemin))
                continue;
            CheminsVus.insert(c.cChemin);
            if (c.nInode != 0) {
                if (Vus.contains({c.nPeripherique, c.nInode}))
                    continue;
                Vus.insert({c.nPeripherique, c.nInode});
            }
            TGroupe &G = ParTaille[c.nTaille];
            G.nTaille = c.nTaille;
            G.Indices.push_back(i);
        }
    }
    std::vector<TGroupe> Groupes;
    qint64 nOctetsTotal = 0;
    for (auto &[n, G] : ParTaille)
        if (G.Indices.size() >= 2) {
            nOctetsTotal += G.nTaille * static_cast<qint64>(G.Indices.size());
            Groupes.push_back(std::move(G));
        }
    if (Groupes.empty())
        return Resultat;
    // The largest groups first, so that the threads end together.
    std::stable_sort(Groupes.begin(), Groupes.end(), [](const TGroupe &a, const TGroupe &b) {
        return a.nTaille * static_cast<qint64>(a.Indices.size()) > b.nTaille * static_cast<qint64>(b.Indices.size());
    });

    // Esc pressed before the first file was opened.
    if (Suivi.Arret()) {
        Resultat.lInterrompu = true;
        return Resultat;
    }
    std::atomic<bool> lArret{false};
    std::atomic<size_t> nProchain{0};
    std::atomic<qint64> nOctetsFaits{0};
    std::atomic<int> nActifs{0};
    std::mutex Verrou;
    std::condition_variable Fini;

    const int nThreads = std::clamp(nFils, 1, 16);
    std::vector<std::vector<std::pair<int, int>>> PairesParFil(static_cast<size_t>(nThreads));
    std::vector<std::thread> Fils;
    nActifs = nThreads;
    for (int t = 0; t < nThreads; ++t)
        Fils.emplace_back([&, t] {
            TAtelier At;
            At.plArret = &lArret;
            TTraitementGroupe Traitement(At, Candidats, PairesParFil[static_cast<size_t>(t)]);
            for (;;) {
                const size_t g = nProchain.fetch_add(1);
                if (g >= Groupes.size() || lArret.load())
                    break;
                Traitement.Traite(Groupes[g]);
                nOctetsFaits += Groupes[g].nTaille * static_cast<qint64>(Groupes[g].Indices.size());
            }
            {
                std::lock_guard<std::mutex> l(Verrou);
                --nActifs;
            }
            Fini.notify_all();
        });

    // The calling thread (the user interface's) shows the progress and hears Esc meanwhile.
    {
        std::unique_lock<std::mutex> l(Verrou);
        while (nActifs > 0) {
            Fini.wait_for(l, std::chrono::milliseconds(50));
            l.unlock();
            Suivi.Position(nOctetsFaits.load(), nOctetsTotal);
            if (!lArret && Suivi.Arret())
                lArret = true;
            l.lock();
        }
    }
    for (std::thread &f : Fils)
        f.join();

    if (lArret) {
        Resultat.lInterrompu = true;
        return Resultat;
    }
    Suivi.Position(nOctetsTotal, nOctetsTotal);
    std::vector<std::pair<int, int>> Toutes;
    for (auto &v : PairesParFil)
        Toutes.insert(Toutes.end(), v.begin(), v.end());
    std::sort(Toutes.begin(), Toutes.end());
    for (const auto &[i, k] : Toutes)
        Resultat.Paires.append({i, k});
    return Resultat;
}

void RemplitResolutions(QList<TEnrImgSel> &Candidats, const QList<TPaireDoublons> &Paires, const TBigIniFile &iniSetup)
{
    QSet<int> Faits;
    auto Remplit = [&](int i) {
        if (i < 0 || i >= Candidats.size() || Faits.contains(i))
            return;
        Faits.insert(i);
        TEnrImgSel &c = Candidats[i];
        if (c.lResolConnue)
            return;
        if (EstJPEG(c.cChemin)) {
            TTailleImage Taille;
            c.cResol = JpegCodec::LitTaille(c.cChemin, Taille)
                           ? QStringLiteral("%1x%2").arg(Taille.nLargeur).arg(Taille.nHauteur)
                           : QString();
        } else {
            bool ok = false;
            const qint64 n = iniSetup.ReadString(cSectionResolutionsVignettes, CleImage(c.nNumCD, c.cChemin), {})
                                 .trimmed()
                                 .toLongLong(&ok);
            if (ok) {
                const TTailleImage Taille = TTailleImage::DePacke(n);
                c.cResol = QStringLiteral("%1x%2").arg(Taille.nLargeur).arg(Taille.nHauteur);
            } else
                c.cResol = QStringLiteral("?x?");
        }
        c.lResolConnue = true;
    };
    for (const TPaireDoublons &p : Paires) {
        Remplit(p.nImage);
        Remplit(p.nSimilaire);
    }
}

QString TitreDoublons(int nLignes)
{
    return QStringLiteral("%1 image(s) en double").arg(nLignes);
}

QList<TEnrImgASuppr> ImagesASupprimer(const QList<TPaireDoublons> &Paires, const QList<TEnrImgSel> &Candidats,
                                      const QList<bool> &CochesImages, const QList<bool> &CochesSimilaires,
                                      const TModeleListeImages *pModele)
{
    QHash<QString, int> LigneDe;
    if (pModele)
        for (int n = pModele->Nombre() - 1; n >= 0; --n)
            LigneDe.insert(pModele->Enr(n).CheminComplet(), n);

    QList<TEnrImgASuppr> Liste;
    QSet<QString> Pris;
    auto Ajoute = [&](int nCandidat) {
        if (nCandidat < 0 || nCandidat >= Candidats.size())
            return;
        const QString &c = Candidats[nCandidat].cChemin;
        if (Pris.contains(c))
            return;
        Pris.insert(c);
        Liste.append({c, LigneDe.value(c, -1)});
    };
    for (qsizetype r = 0; r < Paires.size(); ++r)
        if (r < CochesImages.size() && CochesImages[r])
            Ajoute(Paires[r].nImage);
    for (qsizetype r = 0; r < Paires.size(); ++r)
        if (r < CochesSimilaires.size() && CochesSimilaires[r])
            Ajoute(Paires[r].nSimilaire);
    return Liste;
}

TBilanSuppression RechercherDoublons(TFenetresDoublons &Fenetres, TSuppressionImages &Suppression,
                                     TModeleListeImages *pModele, const IVolumes &Volumes, const TBigIniFile &iniSetup,
                                     const QString &cDossierVignettes, IMessages &Messages)
{
    const QString cAucune = QStringLiteral("Aucune image à traiter.");
    if (!Fenetres.ChoixImages)
        return {};
    const std::optional<TChoixDoublons> Choix = Fenetres.ChoixImages();
    if (!Choix)
        return {};

    bool lInterrompu = false;
    QList<TEnrImgSel> Candidats =
        CandidatsDoublons(*Choix, pModele, Volumes, cDossierVignettes, Fenetres.SuiviCandidats, &lInterrompu);
    if (lInterrompu)
        return {};
    if (Candidats.isEmpty()) {
        Messages.Attention(nullptr, cAucune);
        return {};
    }

    const TResultatPaires Resultat = ChercherPaires(Candidats, Fenetres.SuiviPaires, Fenetres.nFils);
    if (Resultat.lInterrompu)
        return {};
    if (Resultat.Paires.isEmpty()) {
        Messages.Attention(nullptr, cAucune);
        return {};
    }
    RemplitResolutions(Candidats, Resultat.Paires, iniSetup);

    if (!Fenetres.Paires)
        return {};
    const std::optional<TChoixSuppression> ASupprimer = Fenetres.Paires(Candidats, Resultat.Paires);
    if (!ASupprimer)
        return {};
    if (ASupprimer->Images.isEmpty()) {
        Messages.Erreur(nullptr, QStringLiteral("Aucune image à supprimer."));
        return {};
    }

    Suppression.Suivi = Fenetres.SuiviSuppression;
    TBilanSuppression Bilan = Suppression.SupprimerImages(ASupprimer->Images, pModele, ASupprimer->lDefinitif);
    for (const QString &c : std::as_const(Bilan.cErreursEnregistrement))
        Messages.Erreur(nullptr, c);
    if (const QString c = Bilan.MessageFinal(); !c.isEmpty())
        Messages.Attention(nullptr, c);
    return Bilan;
}
