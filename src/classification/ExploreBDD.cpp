#include "classification/ExploreBDD.h"

#include "classification/IndexClassement.h"
#include "classification/TriFrancais.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "metadata/TextesMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QDate>
#include <QLocale>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <numeric>

// ---- Image sets ---------------------------------------------------------------------------

TEnsemblesExplore EnsemblesExplore(const TIndexClassement &Index)
{
    TEnsemblesExplore e;
    const int nNombre = Index.Nombre();
    e.lstToutesImages.reserve(size_t(nNombre));
    for (int n = 0; n < nNombre; ++n) {
        if (!Index.ADesDonnees(n))
            continue;
        e.lstToutesImages.push_back(n);
        if (Index.DansCatalogue(n))
            e.lstImagesCatalogue.push_back(n);
    }
    return e;
}

// ---- Page lists -------------------------------------------------------------------------

namespace
{
// pPositions, when given, receives the input position of each image of the two lists, the
// images off CDs first.
template <class FCle>
TListesPage ListesDe(qsizetype nNombre, FCle &&Cle, std::vector<int> *pPositions = nullptr)
{
    TListesPage Listes;
    std::vector<TEnrLST> HorsCD;
    std::vector<TEnrLST> CD;
    std::vector<int> PosHorsCD, PosCD;
    HorsCD.reserve(size_t(nNombre));
    PosHorsCD.reserve(size_t(nNombre));
    for (qsizetype i = 0; i < nNombre; ++i) {
        const QString &cCle = Cle(i);
        if (cCle.startsWith(QLatin1Char('<'))) {
            TEnrLST e = DecomposeCle(cCle);
            if (e.nVolume != 0 && e.cChemin.startsWith(QLatin1Char('/'))) {
                CD.push_back(std::move(e));
                PosCD.push_back(int(i));
            }
        } else if (cCle.startsWith(QLatin1Char('/'))) {
            HorsCD.push_back({0, cCle});
            PosHorsCD.push_back(int(i));
        }
    }

    // French order without regard to case; equal under it, the exact spelling decides, so the
    // order never depends on the store's.
    Listes.HorsCD.reserve(HorsCD.size());
    for (int i : TriFrancais::Ordre(qsizetype(HorsCD.size()),
                                    [&](qsizetype k) { return QStringView(HorsCD[size_t(k)].cChemin); })) {
        Listes.HorsCD.push_back(std::move(HorsCD[size_t(i)]));
        if (pPositions)
            pPositions->push_back(PosHorsCD[size_t(i)]);
    }
    Listes.CD.reserve(CD.size());
    for (int i : OrdreHistoCD(CD)) {
        Listes.CD.push_back(std::move(CD[size_t(i)]));
        if (pPositions)
            pPositions->push_back(PosCD[size_t(i)]);
    }
    return Listes;
}
} // namespace

TListesPage ListesPage(const QStringList &Cles)
{
    return ListesDe(Cles.size(), [&](qsizetype i) -> const QString & { return Cles[i]; });
}

TListesPage ListesPage(const TIndexClassement &Index, const std::vector<int> &Images)
{
    return ListesDe(qsizetype(Images.size()),
                    [&](qsizetype i) -> const QString & { return Index.Cle(Images[size_t(i)]); });
}

TOrdreExplore::TOrdreExplore(const TIndexClassement &Index, const std::vector<int> &Images)
{
    std::vector<int> Positions;
    TListesPage l = ListesDe(
        qsizetype(Images.size()), [&](qsizetype i) -> const QString & { return Index.Cle(Images[size_t(i)]); },
        &Positions);
    m_Rang.assign(size_t(Index.Nombre()), -1);
    m_ParRang.reserve(Positions.size());
    m_Enr.reserve(Positions.size());
    for (size_t k = 0; k < Positions.size(); ++k) {
        if (k == l.HorsCD.size())
            m_nHorsCD = int(m_ParRang.size());
        const int n = Images[size_t(Positions[k])];
        if (m_Rang[size_t(n)] >= 0)
            continue;
        m_Rang[size_t(n)] = int(m_ParRang.size());
        m_ParRang.push_back(n);
        m_Enr.push_back(std::move(k < l.HorsCD.size() ? l.HorsCD[k] : l.CD[k - l.HorsCD.size()]));
    }
    if (l.CD.empty())
        m_nHorsCD = int(m_ParRang.size());
    // The keys shared in the index's order, not the rank's: taking a share touches each text,
    // and in the index's order those lie one after the other in memory.
    m_Cles.resize(m_ParRang.size());
    for (size_t n = 0; n < m_Rang.size(); ++n)
        if (m_Rang[n] >= 0)
            m_Cles[size_t(m_Rang[n])] = Index.Cle(int(n));
    m_Images = Images;
    m_lFait = true;

    // Every folder named once, so that a page's tree is built from numbers.
    m_DossierRang = m_Dossiers.Dossiers(m_Enr);
}

bool TOrdreExplore::Valable(const TIndexClassement &Index, const std::vector<int> &Images) const
{
    if (!m_lFait || Images != m_Images || m_Rang.size() != size_t(Index.Nombre()))
        return false;
    for (size_t r = 0; r < m_ParRang.size(); ++r) {
        const QString &a = Index.Cle(m_ParRang[r]);
        const QString &b = m_Cles[r];
        if (a.constData() != b.constData() && a != b)
            return false;
    }
    return true;
}

TListesPage TOrdreExplore::Listes(const TIndexClassement &Index, const std::vector<int> &Images) const
{
    Q_UNUSED(Index);
    std::vector<int> Rangs;
    Rangs.reserve(Images.size());
    for (int n : Images)
        if (n >= 0 && size_t(n) < m_Rang.size() && m_Rang[size_t(n)] >= 0)
            Rangs.push_back(m_Rang[size_t(n)]);
    // A large share of the catalogue is walked in rank order; a few images are sorted.
    if (Rangs.size() > m_ParRang.size() / 16) {
        std::vector<char> Present(m_ParRang.size(), 0);
        for (int r : Rangs)
            Present[size_t(r)] = 1;
        Rangs.clear();
        for (size_t r = 0; r < Present.size(); ++r)
            if (Present[r])
                Rangs.push_back(int(r));
    } else {
        std::sort(Rangs.begin(), Rangs.end());
        Rangs.erase(std::unique(Rangs.begin(), Rangs.end()), Rangs.end());
    }
    TListesPage l;
    const auto itCD = std::lower_bound(Rangs.begin(), Rangs.end(), m_nHorsCD);
    l.HorsCD.reserve(size_t(itCD - Rangs.begin()));
    l.CD.reserve(size_t(Rangs.end() - itCD));
    for (auto it = Rangs.begin(); it != itCD; ++it)
        l.HorsCD.push_back(m_Enr[size_t(*it)]);
    for (auto it = itCD; it != Rangs.end(); ++it)
        l.CD.push_back(m_Enr[size_t(*it)]);
    l.Rangs = std::move(Rangs);
    return l;
}

// ---- Folder trees --------------------------------------------------------------------------

TArboDossiers ConstruitArboDossiers(const TListesPage &Listes, const TBigIniFile &iniSetup)
{
    return ConstruitArboDossiers(Listes.HorsCD, Listes.CD, iniSetup);
}

TArboDossiers TOrdreExplore::Arbo(const TListesPage &Listes, const TBigIniFile &iniSetup) const
{
    if (Listes.Rangs.size() != size_t(Listes.Total()))
        return ConstruitArboDossiers(Listes, iniSetup);
    const auto itCD = Listes.Rangs.begin() + qsizetype(Listes.HorsCD.size());
    std::vector<int> HorsCD, CD;
    HorsCD.reserve(Listes.HorsCD.size());
    CD.reserve(Listes.CD.size());
    for (auto it = Listes.Rangs.begin(); it != Listes.Rangs.end(); ++it)
        (it < itCD ? HorsCD : CD).push_back(m_DossierRang[size_t(*it)]);
    return m_Dossiers.Arbo(HorsCD, CD, iniSetup);
}

QStringList ClesNoeud(const TNoeudDossier &Noeud, const TListesPage &Listes)
{
    QStringList Cles;
    if (!Noeud.Images)
        return Cles;
    const std::vector<TEnrLST> &Liste = Noeud.lCD ? Listes.CD : Listes.HorsCD;
    Cles.reserve(qsizetype(Noeud.Images->size()));
    for (int i : *Noeud.Images) {
        const TEnrLST &e = Liste[size_t(i)];
        Cles.append(CleImage(e.nVolume, e.cChemin));
    }
    return Cles;
}

QString BulleNoeudDossier(const TNoeudDossier *pNoeud)
{
    if (!pNoeud || !pNoeud->Images)
        return {};
    return QStringLiteral("%1 - %2 image(s)").arg(pNoeud->cTexte).arg(pNoeud->NbImages());
}

QString NomPlancheNoeud(const QString &cTexte)
{
    QString c = cTexte.size() < 3 ? cTexte.left(1) : cTexte;
    if (c == QLatin1String(".") || c == QLatin1String("..") || c.isEmpty())
        return QStringLiteral("Vignettes");
    c.replace(QLatin1Char('/'), QLatin1Char('_'));
    return c;
}

// ---- Pages -----------------------------------------------------------------------------

std::vector<int> ImagesCritereExplore(const TIndexClassement &Index, const QString &cChemin, bool lEtendRechCritEnf)
{
    return Index.ImagesCritere(cChemin, lEtendRechCritEnf);
}

std::vector<int> ImagesMotCleExplore(const TIndexClassement &Index, const QString &cMotCle)
{
    if (!cMotCle.isEmpty())
        return Index.ImagesMotCle(cMotCle);
    std::vector<int> v;
    for (int n = 0; n < Index.Nombre(); ++n)
        if (Index.DansMotsCles(n))
            v.push_back(n);
    return v;
}

std::vector<int> ImagesCoupsDeCoeur(const TIndexClassement &Index)
{
    std::vector<int> v;
    for (int n = 0; n < Index.Nombre(); ++n)
        if (Index.CoupDeCoeur(n))
            v.push_back(n);
    return v;
}

// ---- EXIF -------------------------------------------------------------------------------

QString ValeurNiveauEXIF(const QStringList &Valeurs, int nIndEXIF)
{
    if (nIndEXIF < 0 || nIndEXIF >= Valeurs.size())
        return {};
    const QString &c = Valeurs[nIndEXIF];
    return nIndEXIF == eDatePDV ? c.left(10) : c;
}

std::optional<double> NombreEXIF(int nIndEXIF, const QString &cValeur)
{
    const QString c = cValeur.trimmed();
    if (c.isEmpty())
        return std::nullopt;
    bool lOk = false;
    switch (nIndEXIF) {
    case eFocale:
    case eVitesse:
    case eDiaphragme: {
        if (c.startsWith(QLatin1String("1/"))) {
            const qlonglong n = c.mid(2).toLongLong(&lOk);
            if (!lOk || n <= 0)
                return std::nullopt;
            return 1.0 / double(n);
        }
        QString d = c;
        d.replace(QLatin1Char(','), QLatin1Char('.'));
        const double x = d.toDouble(&lOk);
        if (!lOk || !std::isfinite(x))
            return std::nullopt;
        return x;
    }
    case eDatePDV: {
        const QDate Date = QDate::fromString(c.left(10), QStringLiteral("dd/MM/yyyy"));
        if (!Date.isValid())
            return std::nullopt;
        return double(Date.toJulianDay());
    }
    case eISO: {
        const qlonglong n = c.toLongLong(&lOk);
        if (!lOk)
            return std::nullopt;
        return double(n);
    }
    default: return std::nullopt;
    }
}

bool AvantValeurEXIF(int nIndEXIF, const QString &a, const QString &b)
{
    if (nIndEXIF == eAppareil)
        return a < b;
    const std::optional<double> x = NombreEXIF(nIndEXIF, a);
    const std::optional<double> y = NombreEXIF(nIndEXIF, b);
    if (x && y)
        return *x < *y || (*x == *y && a < b);
    if (x || y)
        return bool(x);
    return a < b;
}

QString LegendeValeurEXIF(int nIndEXIF, const QString &cValeur)
{
    switch (nIndEXIF) {
    case eFocale: return cValeur + QStringLiteral(" mm");
    case eVitesse: return cValeur + QStringLiteral(" s");
    case eDiaphragme: return QStringLiteral("f ") + cValeur;
    case eDatePDV: return PrefixeJour(cValeur) + cValeur;
    default: return cValeur;
    }
}

void TNiveauxEXIF::Reinitialise()
{
    for (int i = 0; i < nNbNiveauxEXIF; ++i)
        m_Niveaux[size_t(i)] = {i, true};
}

bool TNiveauxEXIF::Bascule(int nPos)
{
    if (nPos < 0 || nPos >= nNbNiveauxEXIF)
        return false;
    TNiveau &n = m_Niveaux[size_t(nPos)];
    if (n.lCoche && NbCoches() < 2)
        return false;
    n.lCoche = !n.lCoche;
    return true;
}

bool TNiveauxEXIF::Monte(int nPos)
{
    if (nPos <= 0 || nPos >= nNbNiveauxEXIF)
        return false;
    std::swap(m_Niveaux[size_t(nPos)], m_Niveaux[size_t(nPos - 1)]);
    return true;
}

bool TNiveauxEXIF::Descend(int nPos)
{
    return Monte(nPos + 1);
}

std::vector<int> TNiveauxEXIF::Utilises() const
{
    std::vector<int> v;
    for (const TNiveau &n : m_Niveaux)
        if (n.lCoche)
            v.push_back(n.nIndEXIF);
    return v;
}

int TNiveauxEXIF::NbCoches() const
{
    return int(std::count_if(m_Niveaux.begin(), m_Niveaux.end(), [](const TNiveau &n) { return n.lCoche; }));
}

QString TNiveauxEXIF::Nom(int nIndEXIF)
{
    switch (nIndEXIF) {
    case eAppareil: return QStringLiteral("Appareil");
    case eFocale: return QStringLiteral("Focale");
    case eVitesse: return QStringLiteral("Vitesse");
    case eDiaphragme: return QStringLiteral("Diaphragme");
    case eDatePDV: return QStringLiteral("Date (prise de vue)");
    case eISO: return QStringLiteral("ISO");
    default: return {};
    }
}

std::vector<int> TNoeudEXIF::Images() const
{
    const TNoeudEXIF *pRacine = this;
    while (pRacine->pParent)
        pRacine = pRacine->pParent;
    const std::vector<int> &v = pRacine->ImagesArbre;
    if (nDebut < 0 || nFin > int(v.size()) || nDebut >= nFin)
        return {};
    return std::vector<int>(v.begin() + nDebut, v.begin() + nFin);
}

TTableEXIF::TTableEXIF(const TIndexClassement &Index, const std::vector<int> &Images, const TValeursEXIF &Valeurs)
{
    // Each distinct value is numbered as met, then the numbers are put in the level's order,
    // each value being read as a number once.
    std::array<QHash<QString, qint32>, nNbNiveauxEXIF> ParValeur;
    m_Images.reserve(Images.size());
    m_Numeros.reserve(Images.size());
    for (int n : Images) {
        const auto it = Valeurs.constFind(Index.Cle(n));
        if (it == Valeurs.cend() || it->isEmpty())
            continue;
        std::array<qint32, nNbNiveauxEXIF> Numeros{};
        for (int nInd = 0; nInd < nNbNiveauxEXIF; ++nInd) {
            const QString c = ValeurNiveauEXIF(*it, nInd);
            if (c.isEmpty())
                continue;
            qint32 &nNumero = ParValeur[size_t(nInd)][c];
            if (nNumero == 0) {
                m_Valeurs[size_t(nInd)].push_back(c);
                nNumero = qint32(m_Valeurs[size_t(nInd)].size());
            }
            Numeros[size_t(nInd)] = nNumero;
        }
        m_Images.push_back(n);
        m_Numeros.push_back(Numeros);
    }
    for (int nInd = 0; nInd < nNbNiveauxEXIF; ++nInd) {
        std::vector<QString> &Vals = m_Valeurs[size_t(nInd)];
        struct TCle
        {
            std::optional<double> x;
            qint32 nAncien;
        };
        std::vector<TCle> Cles;
        Cles.reserve(Vals.size());
        for (qint32 i = 0; i < qint32(Vals.size()); ++i)
            Cles.push_back({nInd == eAppareil ? std::nullopt : NombreEXIF(nInd, Vals[size_t(i)]), i});
        std::sort(Cles.begin(), Cles.end(), [&](const TCle &a, const TCle &b) {
            const QString &ca = Vals[size_t(a.nAncien)];
            const QString &cb = Vals[size_t(b.nAncien)];
            if (a.x && b.x)
                return *a.x < *b.x || (*a.x == *b.x && ca < cb);
            if (a.x || b.x)
                return bool(a.x);
            return ca < cb;
        });
        std::vector<qint32> Nouveau(Vals.size() + 1, 0);
        std::vector<QString> Tries;
        Tries.reserve(Vals.size());
        for (size_t k = 0; k < Cles.size(); ++k) {
            Nouveau[size_t(Cles[k].nAncien) + 1] = qint32(k + 1);
            Tries.push_back(std::move(Vals[size_t(Cles[k].nAncien)]));
        }
        Vals = std::move(Tries);
        for (auto &Numeros : m_Numeros)
            Numeros[size_t(nInd)] = Nouveau[size_t(Numeros[size_t(nInd)])];
        m_Legendes[size_t(nInd)].reserve(Vals.size());
        for (const QString &c : Vals)
            m_Legendes[size_t(nInd)].push_back(LegendeValeurEXIF(nInd, c));
    }
}

std::unique_ptr<TNoeudEXIF> ConstruitArboEXIF(const TTableEXIF &Table, const std::vector<int> &Niveaux)
{
    const std::vector<int> &Images = Table.Images();
    if (Images.empty())
        return nullptr;
    auto pRacine = std::make_unique<TNoeudEXIF>();
    pRacine->cTexte = QStringLiteral("EXIF");
    pRacine->Enr = {-1, 0, QStringLiteral("EXIF")};
    pRacine->nIcone = 14;
    const size_t nNiveaux = Niveaux.size();
    // The value numbers an image follows down the levels, none after its first missing value.
    const auto Numero = [&](size_t i, size_t nNiv) -> qint32 {
        for (size_t k = 0; k <= nNiv; ++k)
            if (Table.Numero(i, Niveaux[k]) == 0)
                return 0;
        return Table.Numero(i, Niveaux[nNiv]);
    };
    // Stable counting sorts from the last level up leave the images ordered by their values
    // level after level, with those stopping at a node ahead of its children: every node is
    // then a run of that order, and its children come already sorted.
    std::vector<int> Ordre(Images.size());
    std::iota(Ordre.begin(), Ordre.end(), 0);
    std::vector<int> Tampon(Images.size());
    std::vector<int> Compte;
    for (size_t nNiv = nNiveaux; nNiv-- > 0;) {
        Compte.assign(size_t(Table.NbValeurs(Niveaux[nNiv])) + 2, 0);
        for (int i : Ordre)
            ++Compte[size_t(Numero(size_t(i), nNiv)) + 1];
        for (size_t k = 1; k < Compte.size(); ++k)
            Compte[k] += Compte[k - 1];
        for (int i : Ordre)
            Tampon[size_t(Compte[size_t(Numero(size_t(i), nNiv))]++)] = i;
        Ordre.swap(Tampon);
    }

    pRacine->ImagesArbre.reserve(Images.size());
    std::vector<TNoeudEXIF *> Chemin(nNiveaux, nullptr);
    std::vector<qint32> Courant(nNiveaux, 0);
    for (int i : Ordre) {
        const int nPos = int(pRacine->ImagesArbre.size());
        bool lNouveau = false;
        for (size_t nNiv = 0; nNiv < nNiveaux; ++nNiv) {
            const int nInd = Niveaux[nNiv];
            const qint32 nNumero = Table.Numero(size_t(i), nInd);
            if (nNumero == 0)
                break;
            if (nNiv == 0 && pRacine->nFin == 0)
                pRacine->nDebut = nPos;
            if (lNouveau || !Chemin[nNiv] || Courant[nNiv] != nNumero) {
                lNouveau = true;
                TNoeudEXIF *pParent = nNiv == 0 ? pRacine.get() : Chemin[nNiv - 1];
                auto e = std::make_unique<TNoeudEXIF>();
                e->Enr = {nInd, 0, Table.Valeur(nInd, nNumero)};
                e->cTexte = Table.Legende(nInd, nNumero);
                e->nIcone = 16 + 2 * nInd;
                e->pParent = pParent;
                e->nDebut = nPos;
                Chemin[nNiv] = e.get();
                Courant[nNiv] = nNumero;
                pParent->Enfants.push_back(std::move(e));
            }
            TNoeudEXIF *p = Chemin[nNiv];
            ++p->Enr.nNbImages;
            p->nFin = nPos + 1;
            if (nNiv == 0)
                pRacine->nFin = nPos + 1;
        }
        // An image stopping above a level closes the runs below it.
        for (size_t nNiv = 0; nNiv < nNiveaux; ++nNiv)
            if (Table.Numero(size_t(i), Niveaux[nNiv]) == 0) {
                std::fill(Chemin.begin() + qsizetype(nNiv), Chemin.end(), nullptr);
                break;
            }
        pRacine->ImagesArbre.push_back(Images[size_t(i)]);
    }
    return pRacine;
}

std::unique_ptr<TNoeudEXIF> ConstruitArboEXIF(const TIndexClassement &Index, const std::vector<int> &Images,
                                              const TValeursEXIF &Valeurs, const std::vector<int> &Niveaux)
{
    return ConstruitArboEXIF(TTableEXIF(Index, Images, Valeurs), Niveaux);
}

std::vector<int> ImagesNoeudEXIF(const TIndexClassement &Index, const std::vector<int> &Images,
                                 const TValeursEXIF &Valeurs, const std::vector<int> &Niveaux, const TNoeudEXIF &Noeud)
{
    std::vector<int> Gardees;
    // The conditions from the node up to the level below the root.
    std::vector<const TEnrTVEXIF *> Conditions;
    for (const TNoeudEXIF *p = &Noeud; p && p->pParent; p = p->pParent)
        Conditions.push_back(&p->Enr);
    const bool lRacine = Conditions.empty();
    if (lRacine && Niveaux.empty())
        return Gardees;
    for (int n : Images) {
        const auto it = Valeurs.constFind(Index.Cle(n));
        if (it == Valeurs.cend() || it->isEmpty())
            continue;
        bool lGarde = true;
        if (lRacine)
            lGarde = !ValeurNiveauEXIF(*it, Niveaux.front()).isEmpty();
        else
            for (const TEnrTVEXIF *c : Conditions)
                if (ValeurNiveauEXIF(*it, c->nIndEXIF) != c->cValeur) {
                    lGarde = false;
                    break;
                }
        if (lGarde)
            Gardees.push_back(n);
    }
    return Gardees;
}

QStringList ValeursEXIFCatalogue(const TBigIniFile &iniSetup, const QString &cCle)
{
    const QString cRecord = iniSetup.ReadString(cSectionEXIF, cCle, QString());
    if (cRecord.isEmpty())
        return {};
    const QStringList Items = DecoupeRecord(cRecord);
    return Items.size() == 8 ? Items : QStringList();
}

TValeursEXIF LitValeursEXIF(const TIndexClassement &Index, const std::vector<int> &Images, const TBigIniFile &iniSetup,
                            const TContexteFocale &Focale, const std::function<bool(int, int)> &fnAvance, int nFils)
{
    TValeursEXIF Valeurs;
    std::vector<QString> Fichiers;
    for (int n : Images) {
        const QString &cCle = Index.Cle(n);
        if (cCle.startsWith(QLatin1Char('<'))) {
            QStringList v = ValeursEXIFCatalogue(iniSetup, cCle);
            if (!v.isEmpty())
                Valeurs.insert(cCle, std::move(v));
        } else if (cCle.startsWith(QLatin1Char('/'))) {
            Fichiers.push_back(cCle);
        }
    }
    if (Fichiers.empty())
        return Valeurs;

    // Each worker takes the next file until none is left or the reading is stopped; the
    // results land in their own slots, so no lock is needed.
    const int nTotal = int(Fichiers.size());
    std::vector<TLectureEXIF> Lectures(Fichiers.size());
    std::vector<char> Lus(Fichiers.size(), 0);
    std::atomic<int> nSuivant{0};
    std::atomic<int> nFaits{0};
    std::atomic<bool> lArret{false};
    QThreadPool Pool;
    const int nTravailleurs = std::min(nTotal, nFils > 0 ? nFils : std::max(1, QThread::idealThreadCount()));
    Pool.setMaxThreadCount(nTravailleurs);
    for (int t = 0; t < nTravailleurs; ++t)
        Pool.start([&] {
            for (int i = nSuivant++; i < nTotal && !lArret; i = nSuivant++) {
                Lectures[size_t(i)] = LitEXIF(Fichiers[size_t(i)], false);
                Lus[size_t(i)] = 1;
                ++nFaits;
            }
        });
    while (!Pool.waitForDone(20))
        if (fnAvance && !lArret && fnAvance(nFaits.load(), nTotal))
            lArret = true;
    if (fnAvance && !lArret)
        fnAvance(nTotal, nTotal);

    for (size_t i = 0; i < Fichiers.size(); ++i) {
        if (!Lus[i])
            continue;
        TDonneesEXIF e;
        TermineLectureEXIF(Lectures[i], e, false, Focale);
        if (!e.lEXIF)
            continue;
        Valeurs.insert(Fichiers[i], QStringList{e.cAppareil, e.cFocale, e.cVitesse, e.cDiaphragme, e.cDatePDV, e.cISO,
                                                e.cOrientation, e.cCommentaire});
    }
    return Valeurs;
}
