#include "classification/IndexClassement.h"

#include <QSet>

#include "imaging/NomVignette.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <memory>

// ---- TEnsembleImages -------------------------------------------------------------------------

TEnsembleImages::TEnsembleImages(size_t nTaille, bool lPlein)
    : m_Mots((nTaille + 63) / 64, lPlein ? ~std::uint64_t(0) : 0), m_nTaille(nTaille)
{
    if (lPlein && (nTaille & 63))
        m_Mots.back() = (std::uint64_t(1) << (nTaille & 63)) - 1;
}

void TEnsembleImages::Ajoute(size_t n)
{
    if (n < m_nTaille)
        m_Mots[n >> 6] |= std::uint64_t(1) << (n & 63);
}

void TEnsembleImages::Et(const TEnsembleImages &Autre)
{
    for (size_t i = 0; i < m_Mots.size(); ++i)
        m_Mots[i] &= i < Autre.m_Mots.size() ? Autre.m_Mots[i] : 0;
}

void TEnsembleImages::Ou(const TEnsembleImages &Autre)
{
    for (size_t i = 0; i < m_Mots.size() && i < Autre.m_Mots.size(); ++i)
        m_Mots[i] |= Autre.m_Mots[i];
}

size_t TEnsembleImages::Nombre() const
{
    size_t n = 0;
    for (std::uint64_t m : m_Mots)
        n += size_t(std::popcount(m));
    return n;
}

void TEnsembleImages::PourChaque(const std::function<void(size_t)> &f) const
{
    for (size_t i = 0; i < m_Mots.size(); ++i)
        for (std::uint64_t m = m_Mots[i]; m; m &= m - 1)
            f(i * 64 + size_t(std::countr_zero(m)));
}

// ---- The request -----------------------------------------------------------------------------

namespace
{
QStringList MotsSepares(const QString &cTexte)
{
    QStringList Mots;
    qsizetype nDebut = -1;
    for (qsizetype i = 0; i <= cTexte.size(); ++i) {
        const bool lBlanc = i == cTexte.size() || cTexte[i] == u' ' || cTexte[i] == u'\t';
        if (lBlanc && nDebut >= 0) {
            Mots << cTexte.mid(nDebut, i - nDebut);
            nDebut = -1;
        } else if (!lBlanc && nDebut < 0) {
            nDebut = i;
        }
    }
    return Mots;
}

std::optional<TModele> CompileModele(const QString &cModele, TErreurModele *pErreur, bool &lOk)
{
    std::optional<TModele> m = TModele::Compile(cModele, pErreur);
    lOk = lOk && m.has_value();
    return m;
}

void Retire(std::vector<int> &v, int n)
{
    std::erase(v, n);
}

void AjouteUnique(std::vector<int> &v, int n)
{
    if (v.empty() || v.back() != n)
        v.push_back(n);
}

const QString cCleMC = QStringLiteral("_MC");
const QString cCleCDC = QStringLiteral("_CDC");
const QString cCleLEG = QStringLiteral("_LEG");
const QString cCleDES = QStringLiteral("_DES");
} // namespace

bool TDemandeRecherche::Vide(bool lTrtDescription) const
{
    return CritCoches.isEmpty() && cMotsCles.trimmed().isEmpty() && !lCoupsDeCoeur && cLegende.trimmed().isEmpty()
           && (!lTrtDescription || cDescription.trimmed().isEmpty());
}

std::optional<TRechercheCompilee> CompileRecherche(const TDemandeRecherche &Demande, bool lTrtDescription,
                                                   TErreurModele *pErreur)
{
    TRechercheCompilee r;
    r.CritCoches = Demande.CritCoches;
    r.lOperateurET = Demande.lOperateurET;
    r.lCoupsDeCoeur = Demande.lCoupsDeCoeur;
    bool lOk = true;
    for (const QString &cMot : MotsSepares(Demande.cMotsCles)) {
        std::optional<TModele> m = CompileModele(cMot, pErreur, lOk);
        if (!lOk)
            return std::nullopt;
        r.MotsCles.push_back(std::move(*m));
    }
    const QString cLegende = Demande.cLegende.trimmed().toUpper();
    if (!cLegende.isEmpty() && !(r.Legende = CompileModele(cLegende, pErreur, lOk)))
        return std::nullopt;
    const QString cDescription = Demande.cDescription.trimmed().toUpper();
    if (lTrtDescription && !cDescription.isEmpty() && !(r.Description = CompileModele(cDescription, pErreur, lOk)))
        return std::nullopt;
    return r;
}

// ---- TIndexClassement ------------------------------------------------------------------------

TIndexClassement::TIndexClassement(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup)
    : m_iniBDD(iniBDD), m_iniSetup(iniSetup)
{}

int TIndexClassement::Numero(const QString &cCle)
{
    auto it = m_Numeros.constFind(cCle);
    if (it != m_Numeros.constEnd())
        return it.value();
    const int n = int(m_Cles.size());
    m_Cles.push_back(cCle);
    m_Images.emplace_back();
    m_Numeros.insert(cCle, n);
    return n;
}

void TIndexClassement::PoseCriteres(int n, const QStringList &Criteres)
{
    TImage &i = m_Images[size_t(n)];
    auto Parcourt = [&](const QStringList &Chemins, bool lAjout) {
        for (const QString &c : Chemins) {
            std::vector<int> &v = m_ParChemin[c];
            lAjout ? AjouteUnique(v, n) : Retire(v, n);
            for (qsizetype k = 0; k <= c.size(); ++k) {
                if (k < c.size() && c[k] != u'/')
                    continue;
                std::vector<int> &s = m_ParSousArbre[c.left(k)];
                lAjout ? AjouteUnique(s, n) : Retire(s, n);
            }
        }
    };
    Parcourt(i.Criteres, false);
    i.Criteres = Criteres;
    Parcourt(i.Criteres, true);
}

void TIndexClassement::PoseMotsCles(int n, const QStringList &MotsCles)
{
    TImage &i = m_Images[size_t(n)];
    for (const QString &c : i.MotsCles)
        Retire(m_ParMotCle[c], n);
    i.MotsCles = MotsCles;
    for (const QString &c : i.MotsCles)
        AjouteUnique(m_ParMotCle[c], n);
}

void TIndexClassement::PoseLegende(int n, const QString &cLegende)
{
    TImage &i = m_Images[size_t(n)];
    m_lTexteLegendesPerime = true;
    if (!i.cLegende.isEmpty())
        Retire(m_ParLegende[i.cLegende], n);
    i.cLegende = cLegende;
    if (!i.cLegende.isEmpty())
        AjouteUnique(m_ParLegende[i.cLegende], n);
}

void TIndexClassement::LitCriteres(int n, bool lSectionConnue)
{
    QStringList Criteres;
    m_iniBDD.ReadSection(m_Cles[size_t(n)], Criteres);
    m_Images[size_t(n)].lSection = lSectionConnue || m_iniBDD.SectionExists(m_Cles[size_t(n)]);
    PoseCriteres(n, Criteres);
}

namespace
{
// A default no value can equal (a line never holds a line break): one lookup tells both
// whether the key exists and its value.
const QString cAbsente = QStringLiteral("\n");
} // namespace

void TIndexClassement::LitMotsCles(int n)
{
    const QString cValeur = m_iniSetup.ReadString(cSectionMotsCles, m_Cles[size_t(n)], cAbsente);
    const bool lPresente = cValeur != cAbsente;
    m_Images[size_t(n)].lMotsCles = lPresente;
    PoseMotsCles(n, lPresente ? MotsSepares(cValeur) : QStringList());
}

void TIndexClassement::LitLegende(int n)
{
    const QString cValeur = m_iniSetup.ReadString(cSectionLegendes, m_Cles[size_t(n)], cAbsente);
    const bool lPresente = cValeur != cAbsente;
    m_Images[size_t(n)].lLegende = lPresente;
    PoseLegende(n, lPresente ? cValeur.toUpper() : QString());
}

void TIndexClassement::ReconstruitParties(int nParties)
{
    QStringList Cles;
    if (nParties & Criteres) {
        m_ParChemin.clear();
        m_ParSousArbre.clear();
        for (TImage &i : m_Images) {
            i.Criteres.clear();
            i.lSection = false;
        }
        m_iniBDD.ReadSections(Cles);
        m_Numeros.reserve(Cles.size() * 3 / 2);
        m_Cles.reserve(size_t(Cles.size()) * 3 / 2);
        m_Images.reserve(size_t(Cles.size()) * 3 / 2);
        for (const QString &c : std::as_const(Cles))
            LitCriteres(Numero(c), true);
    }
    if (nParties & MotsCles) {
        m_ParMotCle.clear();
        for (TImage &i : m_Images) {
            i.MotsCles.clear();
            i.lMotsCles = false;
        }
        m_iniSetup.ReadSection(cSectionMotsCles, Cles);
        for (const QString &c : std::as_const(Cles))
            LitMotsCles(Numero(c));
    }
    if (nParties & CoupsDeCoeur) {
        for (TImage &i : m_Images)
            i.lCoupDeCoeur = false;
        m_iniSetup.ReadSection(cSectionCoupsDeCoeur, Cles);
        for (const QString &c : std::as_const(Cles))
            m_Images[size_t(Numero(c))].lCoupDeCoeur = true;
    }
    if (nParties & Legendes) {
        m_ParLegende.clear();
        m_lTexteLegendesPerime = true;
        for (TImage &i : m_Images) {
            i.cLegende.clear();
            i.lLegende = false;
        }
        m_iniSetup.ReadSection(cSectionLegendes, Cles);
        for (const QString &c : std::as_const(Cles))
            LitLegende(Numero(c));
    }
    if (nParties)
        ++nDernieresReconstructions;
}

void TIndexClassement::NoteGenerations()
{
    m_nGenBDD = m_iniBDD.Generation();
    m_nGenSetup = m_iniSetup.Generation();
    m_nGenMotsCles = m_iniSetup.GenerationSection(cSectionMotsCles);
    m_nGenCoupsDeCoeur = m_iniSetup.GenerationSection(cSectionCoupsDeCoeur);
    m_nGenLegendes = m_iniSetup.GenerationSection(cSectionLegendes);
}

void TIndexClassement::Reconstruit()
{
    m_Cles.clear();
    m_Numeros.clear();
    m_Images.clear();
    ReconstruitParties(Criteres | MotsCles | CoupsDeCoeur | Legendes);
    NoteGenerations();
    m_lConstruit = true;
}

void TIndexClassement::Actualise()
{
    nDerniersRejoues = 0;
    nDernieresReconstructions = 0;
    if (!m_lConstruit) {
        Reconstruit();
        return;
    }
    int nParties = 0;
    std::vector<TBigIniFile::TChangement> Changements;
    if (m_iniBDD.Generation() != m_nGenBDD) {
        if (m_iniBDD.ChangementsDepuis(m_nGenBDD, Changements)) {
            // A section is an image: replaying it re-reads its criteria, whatever changed.
            for (const TBigIniFile::TChangement &c : Changements) {
                LitCriteres(Numero(c.cSection));
                ++nDerniersRejoues;
            }
        } else {
            nParties |= Criteres;
        }
    }
    if (m_iniSetup.Generation() != m_nGenSetup) {
        const struct
        {
            const QString &cSection;
            quint64 nGen;
            TPartie nPartie;
        } Suivies[] = {{cSectionMotsCles, m_nGenMotsCles, MotsCles},
                       {cSectionCoupsDeCoeur, m_nGenCoupsDeCoeur, CoupsDeCoeur},
                       {cSectionLegendes, m_nGenLegendes, Legendes}};
        int nBougees = 0;
        for (const auto &s : Suivies)
            if (m_iniSetup.GenerationSection(s.cSection) != s.nGen)
                nBougees |= s.nPartie;
        if (nBougees && m_iniSetup.ChangementsDepuis(m_nGenSetup, Changements)) {
            for (const TBigIniFile::TChangement &c : Changements) {
                for (const auto &s : Suivies) {
                    if (c.cSection.compare(s.cSection, Qt::CaseInsensitive) != 0)
                        continue;
                    if (c.cCle.isNull()) {
                        nParties |= s.nPartie;
                        continue;
                    }
                    const int n = Numero(c.cCle);
                    if (s.nPartie == MotsCles)
                        LitMotsCles(n);
                    else if (s.nPartie == Legendes)
                        LitLegende(n);
                    else
                        m_Images[size_t(n)].lCoupDeCoeur = m_iniSetup.ValueExists(cSectionCoupsDeCoeur, c.cCle);
                    ++nDerniersRejoues;
                }
            }
        } else {
            nParties |= nBougees;
        }
    }
    ReconstruitParties(nParties);
    NoteGenerations();
}

bool TIndexClassement::CatalogueSuivi() const
{
    return m_lConstruit && m_nGenBDD == m_iniBDD.Generation();
}

void TIndexClassement::CriteresChanges(const std::vector<std::pair<QString, QStringList>> &Images, bool lSuivi)
{
    if (!lSuivi || !m_lConstruit)
        return;
    std::vector<int> Numeros;
    Numeros.reserve(Images.size());
    for (const auto &Image : Images)
        Numeros.push_back(Numero(Image.first));
    std::vector<char> Touchee(m_Images.size(), 0);
    for (int n : Numeros)
        Touchee[size_t(n)] = 1;
    // Every path list that holds one of the images loses them all in one pass.
    QSet<QString> Chemins, SousArbres;
    for (int n : Numeros) {
        for (const QString &c : std::as_const(m_Images[size_t(n)].Criteres)) {
            Chemins.insert(c);
            for (qsizetype k = 0; k <= c.size(); ++k)
                if (k == c.size() || c[k] == u'/')
                    SousArbres.insert(c.left(k));
        }
    }
    auto Filtre = [&](QHash<QString, std::vector<int>> &Table, const QSet<QString> &Cles) {
        for (const QString &c : Cles) {
            auto it = Table.find(c);
            if (it == Table.end())
                continue;
            std::erase_if(it.value(), [&](int n) { return Touchee[size_t(n)] != 0; });
            if (it.value().empty())
                Table.erase(it);
        }
    };
    Filtre(m_ParChemin, Chemins);
    Filtre(m_ParSousArbre, SousArbres);
    for (size_t k = 0; k < Images.size(); ++k) {
        TImage &i = m_Images[size_t(Numeros[k])];
        i.Criteres.clear();
        i.lSection = !Images[k].second.isEmpty();
        PoseCriteres(Numeros[k], Images[k].second);
    }
    m_nGenBDD = m_iniBDD.Generation();
}

void TIndexClassement::ConstruitTexteLegendes()
{
    if (!m_lTexteLegendesPerime)
        return;
    m_TexteLegendes.clear();
    m_DebutsLegendes.clear();
    m_ListeLegendes.clear();
    for (auto it = m_ParLegende.constBegin(); it != m_ParLegende.constEnd(); ++it) {
        if (it.value().empty())
            continue;
        m_DebutsLegendes.push_back(m_TexteLegendes.size());
        m_ListeLegendes << it.key();
        m_TexteLegendes += it.key();
        m_TexteLegendes += QLatin1Char('\n');
    }
    m_lTexteLegendesPerime = false;
}

std::vector<int> TIndexClassement::Selectionne(const TRechercheCompilee &r, bool lEtendRechCritEnf)
{
    const size_t nNombre = m_Images.size();
    TEnsembleImages Resultat(nNombre);
    for (size_t n = 0; n < nNombre; ++n) {
        const TImage &i = m_Images[n];
        if (ADesDonnees(i) && (!r.lCoupsDeCoeur || i.lCoupDeCoeur) && (r.CritCoches.isEmpty() || i.lSection))
            Resultat.Ajoute(n);
    }
    auto Ensemble = [&](const std::vector<int> *v) {
        TEnsembleImages e(nNombre);
        if (v)
            for (int n : *v)
                e.Ajoute(size_t(n));
        return e;
    };
    // (a) Every checked path, exactly or through a descendant.
    const QHash<QString, std::vector<int>> &Chemins = lEtendRechCritEnf ? m_ParSousArbre : m_ParChemin;
    for (const QString &c : r.CritCoches) {
        auto it = Chemins.constFind(c);
        Resultat.Et(Ensemble(it == Chemins.constEnd() ? nullptr : &it.value()));
    }
    // (b) Each pattern against each distinct keyword once.
    if (!r.MotsCles.empty()) {
        TEnsembleImages Un(nNombre);
        for (const TModele &m : r.MotsCles) {
            TEnsembleImages e(nNombre);
            for (auto it = m_ParMotCle.constBegin(); it != m_ParMotCle.constEnd(); ++it)
                if (!it.value().empty() && m.Correspond(it.key()))
                    for (int n : it.value())
                        e.Ajoute(size_t(n));
            if (r.lOperateurET)
                Resultat.Et(e);
            else
                Un.Ou(e);
        }
        if (!r.lOperateurET)
            Resultat.Et(Un);
    }
    // (d) The pattern against each distinct legend once.
    if (r.Legende) {
        TEnsembleImages e(nNombre);
        auto Teste = [&](const QString &cLegende) {
            if (!r.Legende->CorrespondMajuscules(cLegende))
                return;
            for (int n : m_ParLegende.value(cLegende))
                e.Ajoute(size_t(n));
        };
        const QString &cLitteral = r.Legende->Litteral();
        if (cLitteral.size() >= 2) {
            ConstruitTexteLegendes();
            const QStringView Texte(m_TexteLegendes);
            for (qsizetype nPos = Texte.indexOf(cLitteral); nPos >= 0;) {
                const auto it = std::upper_bound(m_DebutsLegendes.begin(), m_DebutsLegendes.end(), nPos);
                const size_t k = size_t(it - m_DebutsLegendes.begin()) - 1;
                Teste(m_ListeLegendes[qsizetype(k)]);
                nPos = k + 1 < m_DebutsLegendes.size() ? Texte.indexOf(cLitteral, m_DebutsLegendes[k + 1]) : -1;
            }
        } else {
            for (auto it = m_ParLegende.constBegin(); it != m_ParLegende.constEnd(); ++it)
                if (!it.value().empty())
                    Teste(it.key());
        }
        Resultat.Et(e);
    }
    std::vector<int> Numeros;
    Numeros.reserve(Resultat.Nombre());
    Resultat.PourChaque([&](size_t n) { Numeros.push_back(int(n)); });
    return Numeros;
}

// ---- The search ------------------------------------------------------------------------------

namespace
{
bool TailleEtDateFichier(const QString &cFichier, qint64 &nTaille, qint64 &nDate)
{
    const QFileInfo Info(cFichier);
    if (!Info.isFile())
        return false;
    nTaille = Info.size();
    nDate = Info.lastModified().toSecsSinceEpoch();
    return true;
}
} // namespace

int CompteCandidats(TIndexClassement &Index, const TRechercheCompilee &Recherche, bool lEtendRechCritEnf)
{
    Index.Actualise();
    return int(Index.Selectionne(Recherche, lEtendRechCritEnf).size());
}

int Rechercher(TIndexClassement &Index, const TRechercheCompilee &r, const TContexteRecherche &Ctx,
               const std::function<void(const TImageTrouvee &)> &fnAjoute)
{
    Index.Actualise();
    const std::vector<int> Survivants = Index.Selectionne(r, Ctx.lEtendRechCritEnf);
    std::unique_ptr<TLecteursCD> Lecteurs;
    int nTrouves = 0;
    for (int n : Survivants) {
        if (Ctx.fnAvance && Ctx.fnAvance())
            break;
        const QString &cCle = Index.Cle(n);
        const TEnrLST k = DecomposeCle(cCle);
        TImageTrouvee t;
        t.nNumCD = k.nVolume;
        t.cChemin = k.cChemin;
        // (e) The description.
        if (r.Description) {
            const QString cDescription =
                Ctx.fnDescription ? Ctx.fnDescription(k.nVolume, k.cChemin).toUpper() : QString();
            if (cDescription.isEmpty() || !r.Description->Correspond(cDescription))
                continue;
        }
        // (f) The filter.
        if (Ctx.fnFiltre && !Ctx.fnFiltre(k.nVolume, k.cChemin, t.nPctCouleur, t.nPctMotif))
            continue;
        // (g) The entry: a file gone off CDs is left out; an absent CD gives what the cache kept.
        if (k.nVolume == 0) {
            if (!TailleEtDateFichier(k.cChemin, t.nTaille, t.nDate))
                continue;
        } else {
            if (!Lecteurs && Ctx.pVolumes)
                Lecteurs = std::make_unique<TLecteursCD>(*Ctx.pVolumes);
            const QString cFichier = Lecteurs ? CheminFichierImage(*Lecteurs, k.nVolume, k.cChemin) : QString();
            if (cFichier.isEmpty() || !TailleEtDateFichier(cFichier, t.nTaille, t.nDate)) {
                t.nTaille =
                    Ctx.iniSetup ? Ctx.iniSetup->ReadString(cSectionTaillesVignettes, cCle, QString()).toLongLong() : 0;
                const QFileInfo Vignette(NomVignette(Ctx.cDossierVignettes, k.nVolume, k.cChemin));
                t.nDate = Vignette.isFile() ? Vignette.lastModified().toSecsSinceEpoch() : 0;
            }
        }
        fnAjoute(t);
        ++nTrouves;
        if (Ctx.fnInterrompre && Ctx.fnInterrompre())
            break;
    }
    return nTrouves;
}

// ---- Saved searches --------------------------------------------------------------------------

QStringList NomsRecherchesEnregistrees(const TBigIniFile &iniSetup)
{
    QStringList Sections, Noms;
    iniSetup.ReadSections(Sections);
    for (const QString &c : std::as_const(Sections))
        if (c.startsWith(cPrefixeRechEnreg))
            Noms << c.mid(cPrefixeRechEnreg.size());
    return Noms;
}

bool EcritRechercheEnregistree(TBigIniFile &iniSetup, const QString &cNom, const TDemandeRecherche &d,
                               bool lTrtDescription)
{
    if (d.Vide(lTrtDescription))
        return false;
    const QString cSection = cPrefixeRechEnreg + cNom;
    iniSetup.EraseSection(cSection);
    for (const QString &c : d.CritCoches)
        iniSetup.WriteString(cSection, c, QString());
    if (!d.cMotsCles.trimmed().isEmpty())
        iniSetup.WriteString(cSection, cCleMC, d.cMotsCles.trimmed());
    if (d.lCoupsDeCoeur)
        iniSetup.WriteString(cSection, cCleCDC, QString());
    if (!d.cLegende.trimmed().isEmpty())
        iniSetup.WriteString(cSection, cCleLEG, d.cLegende.trimmed());
    if (lTrtDescription && !d.cDescription.trimmed().isEmpty())
        iniSetup.WriteString(cSection, cCleDES, d.cDescription.trimmed());
    return true;
}

TDemandeRecherche LitRechercheEnregistree(const TBigIniFile &iniSetup, const QString &cNom, bool lTrtDescription)
{
    const QString cSection = cPrefixeRechEnreg + cNom;
    TDemandeRecherche d;
    QStringList Cles;
    iniSetup.ReadSection(cSection, Cles);
    for (const QString &c : std::as_const(Cles)) {
        if (c == cCleMC)
            d.cMotsCles = iniSetup.ReadString(cSection, c, QString());
        else if (c == cCleCDC)
            d.lCoupsDeCoeur = true;
        else if (c == cCleLEG)
            d.cLegende = iniSetup.ReadString(cSection, c, QString());
        else if (c == cCleDES) {
            if (lTrtDescription)
                d.cDescription = iniSetup.ReadString(cSection, c, QString());
        } else
            d.CritCoches << c;
    }
    return d;
}

QString FiltreNomRecherche(const QString &cTexte)
{
    QString c;
    c.reserve(cTexte.size());
    for (QChar ch : cTexte) {
        const QChar u = ch.toUpper();
        if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u' ' || u == u'&' || u == u'+' || u == u','
            || u == u'-' || u == u'.' || u == u'_')
            c += u;
    }
    return c;
}
