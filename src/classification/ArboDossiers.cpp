#include "classification/ArboDossiers.h"

#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <algorithm>
#include <numeric>

QString CleTriHistoCD(qint32 nIdCD, const QString &cChemin)
{
    return IdVolume(static_cast<quint32>(nIdCD)) + cChemin.toUpper();
}

std::vector<int> OrdreHistoCD(const std::vector<TEnrLST> &CD)
{
    // The identifier text once per disc, the key once per image.
    QHash<qint32, QString> Ids;
    std::vector<QString> Cles;
    Cles.reserve(CD.size());
    for (const TEnrLST &e : CD) {
        auto it = Ids.find(e.nVolume);
        if (it == Ids.end())
            it = Ids.insert(e.nVolume, IdVolume(static_cast<quint32>(e.nVolume)));
        Cles.push_back(*it + e.cChemin.toUpper());
    }
    std::vector<int> Ordre(CD.size());
    std::iota(Ordre.begin(), Ordre.end(), 0);
    std::sort(Ordre.begin(), Ordre.end(), [&](int a, int b) {
        if (const int n = Cles[size_t(a)].compare(Cles[size_t(b)]); n != 0)
            return n < 0;
        if (CD[size_t(a)].nVolume != CD[size_t(b)].nVolume)
            return CD[size_t(a)].nVolume < CD[size_t(b)].nVolume;
        return CD[size_t(a)].cChemin < CD[size_t(b)].cChemin;
    });
    return Ordre;
}

QString LegendeCD(const TBigIniFile &iniSetup, qint32 nIdCD)
{
    const QString cId = IdVolume(static_cast<quint32>(nIdCD));
    const QString cLabel = iniSetup.ReadString(cSectionLabelsCD, cId, QString());
    if (cLabel.isEmpty())
        return cId;
    return QStringLiteral("%1 - \"%2\"").arg(cId, cLabel);
}

namespace
{
// The position of the last "/", by a plain loop: QString::lastIndexOf searches a character as
// a text.
qsizetype DerniereBarre(const QString &cChemin)
{
    qsizetype n = cChemin.size() - 1;
    const QChar *p = cChemin.constData();
    while (n >= 0 && p[n] != QLatin1Char('/'))
        --n;
    return n;
}
} // namespace

int TDossiersImages::Dossier(const TEnrLST &e)
{
    const qsizetype nBarre = DerniereBarre(e.cChemin);
    const QStringView cDossier = QStringView(e.cChemin).left(nBarre + 1);
    if (m_nFinPrec >= 0 && e.nVolume == m_nVolPrec && cDossier == QStringView(m_cPrec).left(m_nFinPrec))
        return m_nPrec;

    const QString cVolume = QString::number(e.nVolume) + QLatin1Char(' ');
    const QString cCle = cVolume + cDossier.toString();
    auto it = m_ParDossier.constFind(cCle);
    if (it == m_ParDossier.cend()) {
        int nParent = -1;
        if (e.nVolume != 0) {
            auto itCD = m_ParCD.constFind(e.nVolume);
            if (itCD == m_ParCD.cend()) {
                m_Dossiers.push_back({-1, QString(), e.nVolume, QStringLiteral("/")});
                itCD = m_ParCD.insert(e.nVolume, int(m_Dossiers.size()) - 1);
            }
            nParent = *itCD;
        }
        // The node is found by its names, so that with empty names skipped "/x//a/" and
        // "/x/a/" share it.
        const QStringList Noms =
            nBarre <= 0 ? QStringList() : e.cChemin.mid(1, nBarre - 1).split(QLatin1Char('/'), m_Vides);
        QString cNoms = QStringLiteral("/");
        for (const QString &c : Noms) {
            cNoms += c + QLatin1Char('/');
            const QString cCleNoms = cVolume + cNoms;
            auto itNoeud = m_ParComposants.constFind(cCleNoms);
            if (itNoeud == m_ParComposants.cend()) {
                m_Dossiers.push_back({nParent, c, e.nVolume, cNoms});
                itNoeud = m_ParComposants.insert(cCleNoms, int(m_Dossiers.size()) - 1);
            }
            nParent = *itNoeud;
        }
        it = m_ParDossier.insert(cCle, nParent);
    }
    m_cPrec = e.cChemin;
    m_nFinPrec = nBarre + 1;
    m_nVolPrec = e.nVolume;
    m_nPrec = *it;
    return m_nPrec;
}

std::vector<int> TDossiersImages::Dossiers(const std::vector<TEnrLST> &Liste)
{
    std::vector<int> v;
    v.reserve(Liste.size());
    for (size_t i = 0; i < Liste.size(); ++i) {
        // A sorted list's texts lie all over memory: the ends of those ahead are fetched early.
        if (i + 8 < Liste.size()) {
            const QString &c = Liste[i + 8].cChemin;
            __builtin_prefetch(c.constData() + c.size() - 1);
        }
        // In a sorted list an image is most often in the folder of the one before, which
        // Dossier tries first.
        v.push_back(Dossier(Liste[i]));
    }
    return v;
}

namespace
{
TNoeudDossier *NouveauNoeud(std::vector<std::unique_ptr<TNoeudDossier>> &Enfants, TNoeudDossier *pParent,
                            const QString &cTexte, bool lCD, qint32 nVolume, const QString &cDossier)
{
    auto p = std::make_unique<TNoeudDossier>();
    p->cTexte = cTexte;
    p->pParent = pParent;
    p->lCD = lCD;
    p->nVolume = nVolume;
    p->cDossier = cDossier;
    Enfants.push_back(std::move(p));
    return Enfants.back().get();
}
} // namespace

TArboDossiers TDossiersImages::Arbo(const std::vector<int> &HorsCD, const std::vector<int> &CD,
                                    const TBigIniFile &iniSetup) const
{
    TArboDossiers Arbo;
    TNoeudDossier *pRacine = nullptr;
    TNoeudDossier *pCDs = nullptr;
    if (!HorsCD.empty())
        pRacine = NouveauNoeud(Arbo.Racines, nullptr, QStringLiteral("/"), false, 0, QStringLiteral("/"));
    if (!CD.empty()) {
        pCDs = NouveauNoeud(Arbo.Racines, nullptr, QStringLiteral("CDs"), true, 0, QString());
        pCDs->nIcone = 4;
    }
    // This tree's node of each folder, made with its missing ancestors when first met.
    std::vector<TNoeudDossier *> Noeuds(m_Dossiers.size(), nullptr);
    std::vector<int> Chaine;
    TNoeudDossier *pPremierCD = nullptr;
    for (const bool lCD : {false, true}) {
        const std::vector<int> &Liste = lCD ? CD : HorsCD;
        TNoeudDossier *pHaut = lCD ? pCDs : pRacine;
        int nDossierPrec = -2;
        TNoeudDossier *pCourant = nullptr;
        for (int k = 0; k < int(Liste.size()); ++k) {
            const int d = Liste[size_t(k)];
            if (d != nDossierPrec) {
                if (d >= 0 && !Noeuds[size_t(d)]) {
                    Chaine.clear();
                    for (int q = d; q >= 0 && !Noeuds[size_t(q)]; q = m_Dossiers[size_t(q)].nParent)
                        Chaine.push_back(q);
                    for (auto it = Chaine.rbegin(); it != Chaine.rend(); ++it) {
                        const TDossier &D = m_Dossiers[size_t(*it)];
                        TNoeudDossier *pParent = D.nParent >= 0 ? Noeuds[size_t(D.nParent)] : pHaut;
                        const QString cTexte =
                            D.nVolume != 0 && D.nParent < 0 ? LegendeCD(iniSetup, D.nVolume) : D.cTexte;
                        Noeuds[size_t(*it)] =
                            NouveauNoeud(pParent->Enfants, pParent, cTexte, lCD, D.nVolume, D.cDossier);
                    }
                }
                pCourant = d >= 0 ? Noeuds[size_t(d)] : pHaut;
                nDossierPrec = d;
                if (!pCourant->Images) {
                    pCourant->Images.emplace();
                    pCourant->nIcone = 2;
                }
                if (lCD && !pPremierCD)
                    pPremierCD = pCourant;
                if (!lCD && !Arbo.pPremier)
                    Arbo.pPremier = pCourant;
            }
            pCourant->Images->push_back(k);
        }
    }
    if (!Arbo.pPremier)
        Arbo.pPremier = pPremierCD;
    return Arbo;
}

TArboDossiers ConstruitArboDossiers(const std::vector<TEnrLST> &HorsCD, const std::vector<TEnrLST> &CD,
                                    const TBigIniFile &iniSetup, Qt::SplitBehavior Vides)
{
    TDossiersImages Dossiers(Vides);
    const std::vector<int> a = Dossiers.Dossiers(HorsCD);
    const std::vector<int> b = Dossiers.Dossiers(CD);
    return Dossiers.Arbo(a, b, iniSetup);
}
