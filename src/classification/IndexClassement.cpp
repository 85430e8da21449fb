#include "classification/IndexClassement.h"

#include <QSet>

#include "imaging/NomVignette.h"
#include "platform/TextCodec.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>

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

std::vector<int> TEnsembleImages::Membres() const
{
    std::vector<int> v(Nombre());
    size_t k = 0;
    for (size_t i = 0; i < m_Mots.size(); ++i)
        for (std::uint64_t m = m_Mots[i]; m; m &= m - 1)
            v[k++] = int(i * 64 + size_t(std::countr_zero(m)));
    return v;
}

void TEnsembleImages::FixeMot(size_t i, std::uint64_t nMot)
{
    if (i >= m_Mots.size())
        return;
    if (i + 1 == m_Mots.size() && (m_nTaille & 63))
        nMot &= (std::uint64_t(1) << (m_nTaille & 63)) - 1;
    m_Mots[i] = nMot;
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

// ---- Numbered texts --------------------------------------------------------------------------

namespace
{
quint32 Hache32(size_t h)
{
    return quint32(h) ^ quint32(quint64(h) >> 32);
}

quint32 HacheOctets(QByteArrayView s)
{
    return Hache32(qHash(s, 0x9e3779b9u));
}

quint32 HacheTexte(QStringView s)
{
    return Hache32(qHash(s, 0x9e3779b9u));
}

// A key or name as the store's readers give it: decoded escapes may not be UTF-8.
QString TexteStocke(QByteArrayView Octets, bool lEchappe)
{
    return lEchappe ? DecodeLigne(Octets) : QString::fromUtf8(Octets);
}
} // namespace

void TIndexClassement::TTableNumeros::Ajoute(quint32 nHache, int nNumero)
{
    if ((m_nNombre + 1) * 4 > m_Cases.size() * 3)
        Reserve(std::max<size_t>(16, m_Cases.size()));
    size_t i = nHache & m_nMasque;
    while (m_Cases[i].nNumero >= 0)
        i = (i + 1) & m_nMasque;
    m_Cases[i] = {nHache, nNumero};
    ++m_nNombre;
}

void TIndexClassement::TTableNumeros::Vide()
{
    m_Cases.clear();
    m_nNombre = 0;
    m_nMasque = 0;
}

void TIndexClassement::TTableNumeros::Reserve(size_t n)
{
    size_t nCap = 16;
    while (nCap * 3 < n * 4 + 4)
        nCap *= 2;
    if (nCap <= m_Cases.size())
        return;
    std::vector<TCase> Anciennes(nCap);
    Anciennes.swap(m_Cases);
    m_nMasque = nCap - 1;
    m_nNombre = 0;
    for (const TCase &c : Anciennes)
        if (c.nNumero >= 0)
            Ajoute(c.nHache, c.nNumero);
}

int TIndexClassement::TDictionnaireOctets::Cherche(QByteArrayView Octets) const
{
    const int k = m_Table.Cherche(HacheOctets(Octets), [&](int n) {
        const TEntree &e = m_Entrees[size_t(n)];
        return e.nLong == Octets.size()
               && std::memcmp(m_Octets.constData() + e.nDebut, Octets.data(), size_t(e.nLong)) == 0;
    });
    return k < 0 ? -1 : m_Entrees[size_t(k)].nValeur;
}

void TIndexClassement::TDictionnaireOctets::Ajoute(QByteArrayView Octets, int nValeur)
{
    m_Entrees.push_back({m_Octets.size(), Octets.size(), nValeur});
    m_Octets.append(Octets);
    m_Table.Ajoute(HacheOctets(Octets), int(m_Entrees.size() - 1));
}

void TIndexClassement::TDictionnaireOctets::Vide()
{
    m_Octets.clear();
    m_Entrees.clear();
    m_Table.Vide();
}

void TIndexClassement::TTextes::Vide()
{
    Textes.clear();
    ParTexte.clear();
    ParOctets.Vide();
}

namespace
{
// The number of the text, given the next one when it is new; fnNouveau is then called with it.
template <class FNouveau>
int NumeroTexte(std::vector<QString> &Textes, QHash<QString, int> &ParTexte, const QString &c, FNouveau &&fnNouveau)
{
    const auto it = ParTexte.constFind(c);
    if (it != ParTexte.constEnd())
        return it.value();
    const int n = int(Textes.size());
    Textes.push_back(c);
    ParTexte.insert(c, n);
    fnNouveau(n);
    return n;
}
} // namespace

// ---- TIndexClassement ------------------------------------------------------------------------

TIndexClassement::TIndexClassement(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup)
    : m_iniBDD(iniBDD), m_iniSetup(iniSetup)
{}

int TIndexClassement::Numero(const QString &cCle)
{
    const quint32 h = HacheTexte(cCle);
    const int n = m_Numeros.Cherche(h, [&](int k) { return m_Cles[size_t(k)] == cCle; });
    if (n >= 0)
        return n;
    const int nNouveau = int(m_Cles.size());
    m_Cles.push_back(cCle);
    m_Images.emplace_back();
    m_Drapeaux.push_back(0);
    m_Numeros.Ajoute(h, nNouveau);
    return nNouveau;
}

int TIndexClassement::Numero(QByteArrayView Octets, bool lEchappe)
{
    return Numero(TexteStocke(Octets, lEchappe));
}

int TIndexClassement::NumeroChemin(const QString &cChemin)
{
    auto Nouveau = [this](int) {
        m_ParChemin.emplace_back();
        m_ParSousArbre.emplace_back();
        m_AncetresChemin.emplace_back();
    };
    const int n = m_Chemins.Cherche(cChemin);
    if (n >= 0 && !m_AncetresChemin[size_t(n)].empty())
        return n;
    // The path and each of its ancestors: every "/" ends one.
    std::vector<int> Ancetres;
    for (qsizetype k = 0; k <= cChemin.size(); ++k)
        if (k == cChemin.size() || cChemin[k] == u'/')
            Ancetres.push_back(NumeroTexte(m_Chemins.Textes, m_Chemins.ParTexte, cChemin.left(k), Nouveau));
    const int nChemin = Ancetres.back();
    m_AncetresChemin[size_t(nChemin)] = std::move(Ancetres);
    return nChemin;
}

int TIndexClassement::NumeroChemin(QByteArrayView Octets)
{
    int n = m_Chemins.ParOctets.Cherche(Octets);
    if (n < 0) {
        n = NumeroChemin(QString::fromUtf8(Octets));
        m_Chemins.ParOctets.Ajoute(Octets, n);
    }
    return n;
}

std::vector<int> TIndexClassement::NumerosChemins(const QStringList &Chemins)
{
    std::vector<int> v;
    v.reserve(size_t(Chemins.size()));
    for (const QString &c : Chemins)
        v.push_back(NumeroChemin(c));
    return v;
}

int TIndexClassement::NumeroMotCle(QByteArrayView Octets)
{
    int n = m_MotsCles.ParOctets.Cherche(Octets);
    if (n < 0) {
        n = NumeroTexte(m_MotsCles.Textes, m_MotsCles.ParTexte, QString::fromUtf8(Octets),
                        [this](int) { m_ParMotCle.emplace_back(); });
        m_MotsCles.ParOctets.Ajoute(Octets, n);
    }
    return n;
}

int TIndexClassement::NumeroLegende(QByteArrayView Octets)
{
    if (Octets.isEmpty())
        return -1;
    int n = m_LegendesBrutes.Cherche(Octets);
    if (n < 0) {
        n = NumeroTexte(m_Legendes.Textes, m_Legendes.ParTexte, QString::fromUtf8(Octets).toUpper(),
                        [this](int) { m_ParLegende.emplace_back(); });
        m_LegendesBrutes.Ajoute(Octets, n);
    }
    return n;
}

void TIndexClassement::PoseCriteres(int n, std::vector<int> Criteres)
{
    TImage &i = m_Images[size_t(n)];
    for (const int c : i.Criteres) {
        Retire(m_ParChemin[size_t(c)], n);
        for (const int a : m_AncetresChemin[size_t(c)])
            Retire(m_ParSousArbre[size_t(a)], n);
    }
    i.Criteres = std::move(Criteres);
    for (const int c : i.Criteres) {
        AjouteUnique(m_ParChemin[size_t(c)], n);
        for (const int a : m_AncetresChemin[size_t(c)])
            AjouteUnique(m_ParSousArbre[size_t(a)], n);
    }
}

void TIndexClassement::PoseMotsCles(int n, std::vector<int> MotsCles)
{
    TImage &i = m_Images[size_t(n)];
    for (const int c : i.MotsCles)
        Retire(m_ParMotCle[size_t(c)], n);
    i.MotsCles = std::move(MotsCles);
    for (const int c : i.MotsCles)
        AjouteUnique(m_ParMotCle[size_t(c)], n);
}

// The value split at blanks and tabs, as typed patterns are.
void TIndexClassement::PoseValeurMotsCles(int n, QByteArrayView Valeur)
{
    std::vector<int> Mots;
    qsizetype nDebut = -1;
    for (qsizetype k = 0; k <= Valeur.size(); ++k) {
        const bool lBlanc = k == Valeur.size() || Valeur[k] == ' ' || Valeur[k] == '\t';
        if (lBlanc && nDebut >= 0) {
            Mots.push_back(NumeroMotCle(Valeur.sliced(nDebut, k - nDebut)));
            nDebut = -1;
        } else if (!lBlanc && nDebut < 0) {
            nDebut = k;
        }
    }
    PoseMotsCles(n, std::move(Mots));
}

void TIndexClassement::PoseLegende(int n, int nLegende)
{
    TImage &i = m_Images[size_t(n)];
    m_lTexteLegendesPerime = true;
    if (i.nLegende >= 0)
        Retire(m_ParLegende[size_t(i.nLegende)], n);
    i.nLegende = nLegende;
    if (i.nLegende >= 0)
        AjouteUnique(m_ParLegende[size_t(i.nLegende)], n);
}

void TIndexClassement::LitCriteres(int n, bool lSectionConnue)
{
    std::vector<int> Criteres;
    const bool lExiste = m_iniBDD.ParcourtSection(m_Cles[size_t(n)], [&](const TBigIniFile::TLigneBrute &l) {
        Criteres.push_back(l.lEchappe ? NumeroChemin(DecodeLigne(l.Cle)) : NumeroChemin(l.Cle));
    });
    Marque(n, dSection, lSectionConnue || lExiste);
    PoseCriteres(n, std::move(Criteres));
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
    Marque(n, dMotsCles, lPresente);
    PoseValeurMotsCles(n, lPresente ? cValeur.toUtf8() : QByteArray());
}

void TIndexClassement::LitLegende(int n)
{
    const QString cValeur = m_iniSetup.ReadString(cSectionLegendes, m_Cles[size_t(n)], cAbsente);
    const bool lPresente = cValeur != cAbsente;
    Marque(n, dLegende, lPresente);
    PoseLegende(n, lPresente ? NumeroLegende(cValeur.toUtf8()) : -1);
}

void TIndexClassement::ReconstruitParties(int nParties)
{
    // The lines of a section are read straight from the store's bytes. What a reader by name
    // could see differently (a name or key holding an escape, a section behind another of the
    // same name, a key met again) goes through the lookups by name, as a replay does.
    std::vector<char> Vues;
    auto PremiereFois = [&](int n) {
        if (size_t(n) >= Vues.size())
            Vues.resize(m_Images.size(), 0);
        return !std::exchange(Vues[size_t(n)], 1);
    };
    if (nParties & Criteres) {
        for (std::vector<int> &v : m_ParChemin)
            v.clear();
        for (std::vector<int> &v : m_ParSousArbre)
            v.clear();
        for (TImage &i : m_Images)
            i.Criteres.clear();
        Efface(dSection);
        int nImage = -1;
        std::vector<int> Chemins;
        auto Termine = [&] {
            if (nImage >= 0)
                PoseCriteres(nImage, std::move(Chemins));
            Chemins = {};
            nImage = -1;
        };
        m_iniBDD.ParcourtSections(
            [&](QByteArrayView Nom, bool lEchappe, bool lTrouvee) {
                Termine();
                const int n = Numero(Nom, lEchappe);
                if (lEchappe || !lTrouvee) {
                    LitCriteres(n, true);
                    return false;
                }
                Marque(n, dSection, true);
                nImage = n;
                return true;
            },
            [&](const TBigIniFile::TLigneBrute &l) {
                Chemins.push_back(l.lEchappe ? NumeroChemin(DecodeLigne(l.Cle)) : NumeroChemin(l.Cle));
            });
        Termine();
    }
    if (nParties & MotsCles) {
        for (std::vector<int> &v : m_ParMotCle)
            v.clear();
        for (TImage &i : m_Images)
            i.MotsCles.clear();
        Efface(dMotsCles);
        Vues.assign(m_Images.size(), 0);
        m_iniSetup.ParcourtSection(cSectionMotsCles, [&](const TBigIniFile::TLigneBrute &l) {
            const int n = Numero(l.Cle, l.lEchappe);
            if (!PremiereFois(n))
                return;
            if (l.lEchappe) {
                LitMotsCles(n);
                return;
            }
            Marque(n, dMotsCles, true);
            PoseValeurMotsCles(n, l.Valeur);
        });
    }
    if (nParties & CoupsDeCoeur) {
        Efface(dCoupDeCoeur);
        m_iniSetup.ParcourtSection(cSectionCoupsDeCoeur, [&](const TBigIniFile::TLigneBrute &l) {
            const int n = Numero(l.Cle, l.lEchappe);
            Marque(n, dCoupDeCoeur, true);
        });
    }
    if (nParties & Legendes) {
        for (std::vector<int> &v : m_ParLegende)
            v.clear();
        m_lTexteLegendesPerime = true;
        for (TImage &i : m_Images)
            i.nLegende = -1;
        Efface(dLegende);
        Vues.assign(m_Images.size(), 0);
        m_iniSetup.ParcourtSection(cSectionLegendes, [&](const TBigIniFile::TLigneBrute &l) {
            const int n = Numero(l.Cle, l.lEchappe);
            if (!PremiereFois(n))
                return;
            if (l.lEchappe) {
                LitLegende(n);
                return;
            }
            Marque(n, dLegende, true);
            PoseLegende(n, NumeroLegende(l.Valeur));
        });
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
    m_Numeros.Vide();
    m_Images.clear();
    m_Drapeaux.clear();
    m_Chemins.Vide();
    m_ParChemin.clear();
    m_ParSousArbre.clear();
    m_AncetresChemin.clear();
    m_MotsCles.Vide();
    m_ParMotCle.clear();
    m_Legendes.Vide();
    m_ParLegende.clear();
    m_LegendesBrutes.Vide();
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
                        Marque(n, dCoupDeCoeur, m_iniSetup.ValueExists(cSectionCoupsDeCoeur, c.cCle));
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
    std::vector<char> Chemins(m_ParChemin.size(), 0), SousArbres(m_ParSousArbre.size(), 0);
    for (int n : Numeros) {
        for (const int c : m_Images[size_t(n)].Criteres) {
            Chemins[size_t(c)] = 1;
            for (const int a : m_AncetresChemin[size_t(c)])
                SousArbres[size_t(a)] = 1;
        }
    }
    auto Filtre = [&](std::vector<std::vector<int>> &Table, const std::vector<char> &Marques) {
        for (size_t c = 0; c < Marques.size(); ++c)
            if (Marques[c])
                std::erase_if(Table[c], [&](int n) { return Touchee[size_t(n)] != 0; });
    };
    Filtre(m_ParChemin, Chemins);
    Filtre(m_ParSousArbre, SousArbres);
    for (size_t k = 0; k < Images.size(); ++k) {
        TImage &i = m_Images[size_t(Numeros[k])];
        i.Criteres.clear();
        Marque(Numeros[k], dSection, !Images[k].second.isEmpty());
        PoseCriteres(Numeros[k], NumerosChemins(Images[k].second));
    }
    m_nGenBDD = m_iniBDD.Generation();
}

void TIndexClassement::ConstruitTexteLegendes()
{
    if (!m_lTexteLegendesPerime)
        return;
    m_TexteLegendes.clear();
    m_DebutsLegendes.clear();
    m_NumerosTexteLegendes.clear();
    for (size_t k = 0; k < m_ParLegende.size(); ++k) {
        if (m_ParLegende[k].empty())
            continue;
        m_DebutsLegendes.push_back(m_TexteLegendes.size());
        m_NumerosTexteLegendes.push_back(int(k));
        m_TexteLegendes += m_Legendes.Textes[k];
        m_TexteLegendes += QLatin1Char('\n');
    }
    m_lTexteLegendesPerime = false;
}

std::vector<int> TIndexClassement::Selectionne(const TRechercheCompilee &r, bool lEtendRechCritEnf)
{
    const size_t nNombre = m_Images.size();
    TEnsembleImages Resultat(nNombre);
    // Images with data, favourites when asked, with a section when criteria are asked.
    const quint8 nMasque = (r.lCoupsDeCoeur ? dCoupDeCoeur : 0) | (r.CritCoches.isEmpty() ? 0 : dSection);
    for (size_t n0 = 0; n0 < nNombre; n0 += 64) {
        std::uint64_t nMot = 0;
        const size_t nFin = std::min<size_t>(64, nNombre - n0);
        for (size_t b = 0; b < nFin; ++b) {
            const quint8 d = m_Drapeaux[n0 + b];
            nMot |= std::uint64_t(d != 0 && (d & nMasque) == nMasque) << b;
        }
        Resultat.FixeMot(n0 / 64, nMot);
    }
    auto Ensemble = [&](const std::vector<int> *v) {
        TEnsembleImages e(nNombre);
        if (v)
            for (int n : *v)
                e.Ajoute(size_t(n));
        return e;
    };
    // (a) Every checked path, exactly or through a descendant.
    const std::vector<std::vector<int>> &Chemins = lEtendRechCritEnf ? m_ParSousArbre : m_ParChemin;
    for (const QString &c : r.CritCoches) {
        const int k = m_Chemins.Cherche(c);
        Resultat.Et(Ensemble(k < 0 ? nullptr : &Chemins[size_t(k)]));
    }
    // (b) Each pattern against each distinct keyword once.
    if (!r.MotsCles.empty()) {
        TEnsembleImages Un(nNombre);
        for (const TModele &m : r.MotsCles) {
            TEnsembleImages e(nNombre);
            for (size_t k = 0; k < m_ParMotCle.size(); ++k)
                if (!m_ParMotCle[k].empty() && m.Correspond(m_MotsCles.Textes[k]))
                    for (int n : m_ParMotCle[k])
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
        auto Teste = [&](size_t k) {
            if (!r.Legende->CorrespondMajuscules(m_Legendes.Textes[k]))
                return;
            for (int n : m_ParLegende[k])
                e.Ajoute(size_t(n));
        };
        const QString &cLitteral = r.Legende->Litteral();
        if (cLitteral.size() >= 2) {
            ConstruitTexteLegendes();
            const QStringView Texte(m_TexteLegendes);
            for (qsizetype nPos = Texte.indexOf(cLitteral); nPos >= 0;) {
                const auto it = std::upper_bound(m_DebutsLegendes.begin(), m_DebutsLegendes.end(), nPos);
                const size_t k = size_t(it - m_DebutsLegendes.begin()) - 1;
                Teste(size_t(m_NumerosTexteLegendes[k]));
                nPos = k + 1 < m_DebutsLegendes.size() ? Texte.indexOf(cLitteral, m_DebutsLegendes[k + 1]) : -1;
            }
        } else {
            for (size_t k = 0; k < m_ParLegende.size(); ++k)
                if (!m_ParLegende[k].empty())
                    Teste(k);
        }
        Resultat.Et(e);
    }
    return Resultat.Membres();
}

std::vector<int> TIndexClassement::ImagesCritere(const QString &cChemin, bool lSousArbre) const
{
    const int k = m_Chemins.Cherche(cChemin);
    if (k < 0)
        return {};
    std::vector<int> v = (lSousArbre ? m_ParSousArbre : m_ParChemin)[size_t(k)];
    std::erase_if(v, [this](int n) { return !DansCatalogue(n); });
    std::sort(v.begin(), v.end());
    return v;
}

std::vector<int> TIndexClassement::ImagesMotCle(const QString &cMotCle) const
{
    std::vector<int> v;
    for (size_t k = 0; k < m_ParMotCle.size(); ++k)
        if (!m_ParMotCle[k].empty() && m_MotsCles.Textes[k].compare(cMotCle, Qt::CaseInsensitive) == 0)
            v.insert(v.end(), m_ParMotCle[k].begin(), m_ParMotCle[k].end());
    std::erase_if(v, [this](int n) { return !DansMotsCles(n); });
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
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
