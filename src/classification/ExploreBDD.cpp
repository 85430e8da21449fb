#include "classification/ExploreBDD.h"

#include "classification/IndexClassement.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "metadata/TextesMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QCollator>
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

QString CleTriHistoCD(qint32 nIdCD, const QString &cChemin)
{
    return IdVolume(static_cast<quint32>(nIdCD)) + cChemin.toUpper();
}

namespace
{
template <class FCle>
TListesPage ListesDe(qsizetype nNombre, FCle &&Cle)
{
    TListesPage Listes;
    std::vector<TEnrLST> HorsCD;
    std::vector<TEnrLST> CD;
    for (qsizetype i = 0; i < nNombre; ++i) {
        const QString &cCle = Cle(i);
        if (cCle.startsWith(QLatin1Char('<'))) {
            TEnrLST e = DecomposeCle(cCle);
            if (e.nVolume != 0 && e.cChemin.startsWith(QLatin1Char('/')))
                CD.push_back(std::move(e));
        } else if (cCle.startsWith(QLatin1Char('/'))) {
            HorsCD.push_back({0, cCle});
        }
    }

    // Collation keys are made once per image: comparing through the collator at each step
    // of the sort would cost tens of times more on a large catalogue.
    {
        QCollator Collateur{QLocale(QLocale::French, QLocale::France)};
        Collateur.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<QCollatorSortKey> Cles;
        Cles.reserve(HorsCD.size());
        for (const TEnrLST &e : HorsCD)
            Cles.push_back(Collateur.sortKey(e.cChemin));
        std::vector<int> Ordre(HorsCD.size());
        std::iota(Ordre.begin(), Ordre.end(), 0);
        // Equal under the collation: the exact spelling decides, so the order never depends on
        // the store's.
        std::sort(Ordre.begin(), Ordre.end(), [&](int a, int b) {
            if (const int n = Cles[size_t(a)].compare(Cles[size_t(b)]); n != 0)
                return n < 0;
            return HorsCD[size_t(a)].cChemin < HorsCD[size_t(b)].cChemin;
        });
        Listes.HorsCD.reserve(HorsCD.size());
        for (int i : Ordre)
            Listes.HorsCD.push_back(std::move(HorsCD[size_t(i)]));
    }
    {
        std::vector<QString> Cles;
        Cles.reserve(CD.size());
        for (const TEnrLST &e : CD)
            Cles.push_back(CleTriHistoCD(e.nVolume, e.cChemin));
        std::vector<int> Ordre(CD.size());
        std::iota(Ordre.begin(), Ordre.end(), 0);
        std::sort(Ordre.begin(), Ordre.end(), [&](int a, int b) {
            if (const int n = Cles[size_t(a)].compare(Cles[size_t(b)]); n != 0)
                return n < 0;
            if (CD[size_t(a)].nVolume != CD[size_t(b)].nVolume)
                return CD[size_t(a)].nVolume < CD[size_t(b)].nVolume;
            return CD[size_t(a)].cChemin < CD[size_t(b)].cChemin;
        });
        Listes.CD.reserve(CD.size());
        for (int i : Ordre)
            Listes.CD.push_back(std::move(CD[size_t(i)]));
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

// ---- Folder trees --------------------------------------------------------------------------

QString LegendeCDExplore(const TBigIniFile &iniSetup, qint32 nIdCD)
{
    const QString cId = IdVolume(static_cast<quint32>(nIdCD));
    const QString cLabel = iniSetup.ReadString(cSectionLabelsCD, cId, QString());
    if (cLabel.isEmpty())
        return cId;
    return QStringLiteral("%1 - \"%2\"").arg(cId, cLabel);
}

namespace
{
TNoeudDossier *NouveauNoeud(std::vector<std::unique_ptr<TNoeudDossier>> &Enfants, TNoeudDossier *pParent,
                            const QString &cTexte, bool lCD)
{
    auto p = std::make_unique<TNoeudDossier>();
    p->cTexte = cTexte;
    p->pParent = pParent;
    p->lCD = lCD;
    Enfants.push_back(std::move(p));
    return Enfants.back().get();
}

// "/a/b/c.jpg" → a, b; none for an image at the root.
QStringList Composants(const QString &cChemin, qsizetype nBarre)
{
    if (nBarre <= 1)
        return {};
    return cChemin.mid(1, nBarre - 1).split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// Walks one list: each folder met for the first time is found or made component by component
// below pHaut; the node of a folder receives the positions of its own images.
template <class FDossier>
void AjouteListe(const std::vector<TEnrLST> &Liste, bool lCD, FDossier &&Dossier, TNoeudDossier *&pPremier)
{
    // Nodes by folder (the node's path from pHaut, with the CD's number), compared exactly.
    QHash<QString, TNoeudDossier *> Noeuds;
    QString cCourant;
    TNoeudDossier *pCourant = nullptr;
    for (int i = 0; i < int(Liste.size()); ++i) {
        const TEnrLST &e = Liste[size_t(i)];
        const qsizetype nBarre = e.cChemin.lastIndexOf(QLatin1Char('/'));
        // The folder with its final "/" and the CD's number ahead.
        const QString cDossier = QString::number(e.nVolume) + QLatin1Char(' ') + e.cChemin.left(nBarre + 1);
        if (!pCourant || cDossier != cCourant) {
            TNoeudDossier *&pNoeud = Noeuds[cDossier];
            if (!pNoeud) {
                const auto [pDepart, Composants] = Dossier(e, nBarre);
                TNoeudDossier *p = pDepart;
                QString cChemin = QString::number(e.nVolume) + QLatin1Char(' ');
                for (const QString &c : Composants) {
                    cChemin += c + QLatin1Char('/');
                    TNoeudDossier *&pEnfant = Noeuds[QLatin1Char('#') + cChemin];
                    if (!pEnfant) {
                        // Another spelling may already hold the caption: only this folder's
                        // node is reused, never a twin differing by case.
                        pEnfant = NouveauNoeud(p->Enfants, p, c, lCD);
                    }
                    p = pEnfant;
                }
                pNoeud = p;
            }
            if (!pNoeud->Images) {
                pNoeud->Images.emplace();
                pNoeud->nIcone = 2;
            }
            if (!pPremier)
                pPremier = pNoeud;
            pCourant = pNoeud;
            cCourant = cDossier;
        }
        pCourant->Images->push_back(i);
    }
}
} // namespace

TArboDossiers ConstruitArboDossiers(const TListesPage &Listes, const TBigIniFile &iniSetup)
{
    TArboDossiers Arbo;
    if (!Listes.HorsCD.empty()) {
        TNoeudDossier *pRacine = NouveauNoeud(Arbo.Racines, nullptr, QStringLiteral("/"), false);
        AjouteListe(
            Listes.HorsCD, false,
            [&](const TEnrLST &e, qsizetype nBarre) {
                return std::pair{pRacine, Composants(e.cChemin, nBarre)};
            },
            Arbo.pPremier);
    }
    if (!Listes.CD.empty()) {
        TNoeudDossier *pCDs = NouveauNoeud(Arbo.Racines, nullptr, QStringLiteral("CDs"), true);
        pCDs->nIcone = 4;
        QHash<qint32, TNoeudDossier *> CDs;
        TNoeudDossier *pPremierCD = nullptr;
        AjouteListe(
            Listes.CD, true,
            [&](const TEnrLST &e, qsizetype nBarre) {
                TNoeudDossier *&pCD = CDs[e.nVolume];
                if (!pCD)
                    pCD = NouveauNoeud(pCDs->Enfants, pCDs, LegendeCDExplore(iniSetup, e.nVolume), true);
                return std::pair{pCD, Composants(e.cChemin, nBarre)};
            },
            pPremierCD);
        if (!Arbo.pPremier)
            Arbo.pPremier = pPremierCD;
    }
    return Arbo;
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

namespace
{
void TrieEtLegende(TNoeudEXIF &Noeud)
{
    if (!Noeud.Enfants.empty()) {
        const int nInd = Noeud.Enfants.front()->Enr.nIndEXIF;
        std::sort(Noeud.Enfants.begin(), Noeud.Enfants.end(),
                  [nInd](const std::unique_ptr<TNoeudEXIF> &a, const std::unique_ptr<TNoeudEXIF> &b) {
                      return AvantValeurEXIF(nInd, a->Enr.cValeur, b->Enr.cValeur);
                  });
    }
    for (auto &p : Noeud.Enfants) {
        p->cTexte = LegendeValeurEXIF(p->Enr.nIndEXIF, p->Enr.cValeur);
        TrieEtLegende(*p);
    }
}
} // namespace

std::unique_ptr<TNoeudEXIF> ConstruitArboEXIF(const TIndexClassement &Index, const std::vector<int> &Images,
                                              const TValeursEXIF &Valeurs, const std::vector<int> &Niveaux)
{
    if (Images.empty())
        return nullptr;
    auto pRacine = std::make_unique<TNoeudEXIF>();
    pRacine->cTexte = QStringLiteral("EXIF");
    pRacine->Enr = {-1, 0, QStringLiteral("EXIF")};
    pRacine->nIcone = 14;
    // Children found by value per node, so that a level of thousands of dates stays linear.
    QHash<const TNoeudEXIF *, QHash<QString, TNoeudEXIF *>> Index2;
    for (int n : Images) {
        const auto it = Valeurs.constFind(Index.Cle(n));
        if (it == Valeurs.cend() || it->isEmpty())
            continue;
        TNoeudEXIF *p = pRacine.get();
        for (int nInd : Niveaux) {
            const QString cValeur = ValeurNiveauEXIF(*it, nInd);
            if (cValeur.isEmpty())
                break;
            TNoeudEXIF *&pEnfant = Index2[p][cValeur];
            if (!pEnfant) {
                auto e = std::make_unique<TNoeudEXIF>();
                e->Enr = {nInd, 0, cValeur};
                e->nIcone = 16 + 2 * nInd;
                e->pParent = p;
                pEnfant = e.get();
                p->Enfants.push_back(std::move(e));
            }
            p = pEnfant;
            ++p->Enr.nNbImages;
        }
    }
    TrieEtLegende(*pRacine);
    return pRacine;
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
