#include "exploration/ModeleListe.h"

#include "exploration/ColonnesListe.h"
#include "imaging/FileKinds.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <unordered_map>

TModeleListeImages::TModeleListeImages(QObject *parent)
    : QAbstractTableModel(parent), m_cOrdreCol(QString::fromLatin1(ColonnesListe::cOrdreColDefaut))
{}

TModeleListeImages::~TModeleListeImages() = default;

int TModeleListeImages::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Nombre();
}

int TModeleListeImages::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1 + static_cast<int>(m_cOrdreCol.size());
}

QChar TModeleListeImages::LettreColonne(int nColonne) const
{
    if (nColonne <= 0 || nColonne > m_cOrdreCol.size())
        return QChar();
    return m_cOrdreCol.at(nColonne - 1);
}

QVariant TModeleListeImages::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= Nombre())
        return {};
    const TLigne &l = m_Lignes[static_cast<size_t>(index.row())];
    const TEnrLV &e = *l.pEnr;
    const int c = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        if (c == 0)
            return e.NomFichier();
        const QChar x = LettreColonne(c);
        return x.toUpper() == QLatin1Char('R') ? TexteResolution(e) : ColonnesListe::TexteColonne(e, x);
    }
    case Qt::ToolTipRole: return fnBulle ? fnBulle(e) : QString();
    case Qt::CheckStateRole:
        if (c == 0)
            return l.lCoche ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole: {
        const QChar x = LettreColonne(c).toUpper();
        if (x == QLatin1Char('R'))
            return int(Qt::AlignCenter);
        if (x == QLatin1Char('T'))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    case RoleIcone: return Icone(index.row());
    case Qt::DecorationRole:
        if (c == 0 && Icone(index.row()) < m_Icones.size())
            return m_Icones.at(Icone(index.row()));
        return {};
    case RoleVignette: return QVariant::fromValue(l.Vignette);
    case RoleCle: return e.Cle();
    case RoleCheminComplet: return e.CheminComplet();
    default: return {};
    }
}

bool TModeleListeImages::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::CheckStateRole || index.column() != 0)
        return false;
    const bool lVoulu = value.toInt() == Qt::Checked;
    if (lVoulu != Coche(index.row()))
        BasculeCoche(index.row());
    return true;
}

QVariant TModeleListeImages::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return section == 0 ? QStringLiteral("Nom") : ColonnesListe::Titre(LettreColonne(section));
    if (role == RoleVisible)
        return section == 0 || ColonnesListe::Visible(LettreColonne(section));
    if (role == Qt::TextAlignmentRole) {
        const QChar x = LettreColonne(section).toUpper();
        if (x == QLatin1Char('R'))
            return int(Qt::AlignCenter);
        if (x == QLatin1Char('T'))
            return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags TModeleListeImages::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void TModeleListeImages::Vide()
{
    beginResetModel();
    m_Lignes.clear();
    m_nNbCoches = 0;
    m_nDerniereBasculee = -1;
    lstAppareils.clear();
    endResetModel();
    emit nbCochesChange(0);
}

void TModeleListeImages::Debut()
{
    if (m_lEnCours)
        return;
    m_lEnCours = true;
    beginResetModel();
}

void TModeleListeImages::Fin()
{
    if (!m_lEnCours)
        return;
    m_lEnCours = false;
    endResetModel();
}

int TModeleListeImages::Ajoute(std::unique_ptr<TEnrLV> pEnr, bool lDonnees)
{
    const int n = Nombre();
    if (!m_lEnCours)
        beginInsertRows({}, n, n);
    TLigne l;
    l.pEnr = std::move(pEnr);
    l.lDonnees = lDonnees;
    m_Lignes.push_back(std::move(l));
    if (!m_lEnCours)
        endInsertRows();
    return n;
}

void TModeleListeImages::Supprime(int nLigne)
{
    if (nLigne < 0 || nLigne >= Nombre())
        return;
    beginRemoveRows({}, nLigne, nLigne);
    const bool lCoche = m_Lignes[static_cast<size_t>(nLigne)].lCoche;
    m_Lignes.erase(m_Lignes.begin() + nLigne);
    if (m_nDerniereBasculee == nLigne)
        m_nDerniereBasculee = -1;
    else if (m_nDerniereBasculee > nLigne)
        --m_nDerniereBasculee;
    endRemoveRows();
    if (lCoche) {
        --m_nNbCoches;
        emit nbCochesChange(m_nNbCoches);
    }
}

void TModeleListeImages::SupprimeApres(int nLigne)
{
    const int nPremiere = std::max(nLigne + 1, 0);
    if (nPremiere >= Nombre())
        return;
    beginRemoveRows({}, nPremiere, Nombre() - 1);
    int nCochesOtees = 0;
    for (size_t i = static_cast<size_t>(nPremiere); i < m_Lignes.size(); ++i)
        nCochesOtees += m_Lignes[i].lCoche ? 1 : 0;
    m_Lignes.erase(m_Lignes.begin() + nPremiere, m_Lignes.end());
    if (m_nDerniereBasculee >= nPremiere)
        m_nDerniereBasculee = -1;
    endRemoveRows();
    if (nCochesOtees) {
        m_nNbCoches -= nCochesOtees;
        emit nbCochesChange(m_nNbCoches);
    }
}

void TModeleListeImages::SupprimeLignes(QList<int> nLignes)
{
    std::sort(nLignes.begin(), nLignes.end(), std::greater<int>());
    nLignes.erase(std::unique(nLignes.begin(), nLignes.end()), nLignes.end());
    int nCochesOtees = 0;
    qsizetype i = 0;
    while (i < nLignes.size()) {
        const int nDerniere = nLignes[i];
        if (nDerniere < 0 || nDerniere >= Nombre()) {
            ++i;
            continue;
        }
        int nPremiere = nDerniere;
        while (i + 1 < nLignes.size() && nLignes[i + 1] == nPremiere - 1 && nPremiere - 1 >= 0) {
            --nPremiere;
            ++i;
        }
        ++i;
        beginRemoveRows({}, nPremiere, nDerniere);
        for (int n = nPremiere; n <= nDerniere; ++n)
            nCochesOtees += m_Lignes[static_cast<size_t>(n)].lCoche ? 1 : 0;
        m_Lignes.erase(m_Lignes.begin() + nPremiere, m_Lignes.begin() + nDerniere + 1);
        if (m_nDerniereBasculee >= nPremiere && m_nDerniereBasculee <= nDerniere)
            m_nDerniereBasculee = -1;
        else if (m_nDerniereBasculee > nDerniere)
            m_nDerniereBasculee -= nDerniere - nPremiere + 1;
        endRemoveRows();
    }
    if (nCochesOtees) {
        m_nNbCoches -= nCochesOtees;
        emit nbCochesChange(m_nNbCoches);
    }
}

int TModeleListeImages::Icone(int nLigne) const
{
    const TLigne &l = m_Lignes.at(static_cast<size_t>(nLigne));
    return (l.pEnr->lRaccourci ? 1 : 0) + ((l.pEnr->lEXIF || l.pEnr->lIPTC) ? 2 : 0) + (l.lDonnees ? 4 : 0);
}

void TModeleListeImages::MetDonnees(int nLigne, bool lDonnees)
{
    if (nLigne < 0 || nLigne >= Nombre())
        return;
    m_Lignes[static_cast<size_t>(nLigne)].lDonnees = lDonnees;
    const QModelIndex i = index(nLigne, 0);
    emit dataChanged(i, i, {RoleIcone, Qt::DecorationRole});
}

void TModeleListeImages::MetResolution(int nLigne, qint64 nLargeur, qint64 nHauteur)
{
    if (nLigne < 0 || nLigne >= Nombre())
        return;
    TEnrLV &e = *m_Lignes[static_cast<size_t>(nLigne)].pEnr;
    e.nLargeur = std::max<qint64>(nLargeur, 0);
    e.nHauteur = std::max<qint64>(nHauteur, 0);
    const int c = static_cast<int>(m_cOrdreCol.toUpper().indexOf(QLatin1Char('R'))) + 1;
    if (c > 0 && !m_lEnCours)
        emit dataChanged(index(nLigne, c), index(nLigne, c), {Qt::DisplayRole});
}

QString TModeleListeImages::TexteResolution(const TEnrLV &e) const
{
    if (fnTournee && fnTournee(e))
        return ColonnesListe::TexteResolution(e.nHauteur, e.nLargeur);
    return ColonnesListe::TexteResolution(e);
}

void TModeleListeImages::MetVignette(int nLigne, const TVignetteCompacte &Vignette)
{
    if (nLigne < 0 || nLigne >= Nombre())
        return;
    m_Lignes[static_cast<size_t>(nLigne)].Vignette = Vignette;
    if (!m_lEnCours)
        emit dataChanged(index(nLigne, 0), index(nLigne, 0), {RoleVignette});
}

TVignetteCompacte TModeleListeImages::Vignette(int nLigne) const
{
    if (nLigne < 0 || nLigne >= Nombre())
        return {};
    return m_Lignes[static_cast<size_t>(nLigne)].Vignette;
}

void TModeleListeImages::EnrModifie(int nLigne)
{
    if (nLigne < 0 || nLigne >= Nombre() || m_lEnCours)
        return;
    emit dataChanged(index(nLigne, 0), index(nLigne, columnCount() - 1));
}

bool TModeleListeImages::Coche(int nLigne) const
{
    return nLigne >= 0 && nLigne < Nombre() && m_Lignes[static_cast<size_t>(nLigne)].lCoche;
}

void TModeleListeImages::MetCoche(int nLigne, bool lCoche)
{
    if (nLigne < 0 || nLigne >= Nombre())
        return;
    TLigne &l = m_Lignes[static_cast<size_t>(nLigne)];
    if (l.lCoche == lCoche)
        return;
    l.lCoche = lCoche;
    m_nNbCoches += lCoche ? 1 : -1;
    const QModelIndex i = index(nLigne, 0);
    emit dataChanged(i, i, {Qt::CheckStateRole});
    emit cocheChange(nLigne, lCoche);
    emit nbCochesChange(m_nNbCoches);
}

void TModeleListeImages::BasculeCoche(int nLigne)
{
    if (nLigne < 0 || nLigne >= Nombre())
        return;
    MetCoche(nLigne, !Coche(nLigne));
    m_nDerniereBasculee = nLigne;
}

int TModeleListeImages::CocheSelon(bool lCocher, const std::function<bool(const TEnrLV &, bool)> &Critere)
{
    int n = 0;
    for (int i = 0; i < Nombre(); ++i) {
        const TLigne &l = m_Lignes[static_cast<size_t>(i)];
        if (l.lCoche != lCocher && Critere(*l.pEnr, l.lDonnees)) {
            MetCoche(i, lCocher);
            ++n;
        }
    }
    return n;
}

QList<int> TModeleListeImages::LignesCochees() const
{
    QList<int> l;
    for (int i = 0; i < Nombre(); ++i)
        if (m_Lignes[static_cast<size_t>(i)].lCoche)
            l << i;
    return l;
}

void TModeleListeImages::MetOrdreCol(const QString &cOrdre)
{
    beginResetModel();
    m_cOrdreCol = ColonnesListe::OrdreValide(cOrdre);
    endResetModel();
}

void TModeleListeImages::ColonnesListe(const QString &cNouvelOrdre)
{
    const QString c = ColonnesListe::OrdreValide(cNouvelOrdre);
    if (c == m_cOrdreCol)
        return;
    // The texts are computed from the entry by letter, so moving a letter moves its texts with
    // it; the row set and the selection are untouched.
    m_cOrdreCol = c;
    emit headerDataChanged(Qt::Horizontal, 1, columnCount() - 1);
    if (Nombre() > 0)
        emit dataChanged(index(0, 0), index(Nombre() - 1, columnCount() - 1));
}

namespace
{
// Ranks of distinct texts in French order, case ignored; texts equal for the collator are told
// apart by their code points so that the order never depends on the input order.
std::vector<qint64> Rangs(const QStringList &Textes, const QCollator &Coll)
{
    std::unordered_map<QString, int> Index;
    QStringList Distincts;
    std::vector<int> Renvoi(static_cast<size_t>(Textes.size()));
    for (qsizetype i = 0; i < Textes.size(); ++i) {
        auto [it, lNouveau] = Index.try_emplace(Textes[i], static_cast<int>(Distincts.size()));
        if (lNouveau)
            Distincts << Textes[i];
        Renvoi[static_cast<size_t>(i)] = it->second;
    }
    std::vector<QCollatorSortKey> Cles;
    Cles.reserve(static_cast<size_t>(Distincts.size()));
    for (const QString &c : Distincts)
        Cles.push_back(Coll.sortKey(c));
    std::vector<int> Ordre(static_cast<size_t>(Distincts.size()));
    std::iota(Ordre.begin(), Ordre.end(), 0);
    std::sort(Ordre.begin(), Ordre.end(), [&](int a, int b) {
        const int r = Cles[static_cast<size_t>(a)].compare(Cles[static_cast<size_t>(b)]);
        if (r != 0)
            return r < 0;
        return Distincts[a] < Distincts[b];
    });
    std::vector<qint64> RangDistinct(Ordre.size());
    for (size_t r = 0; r < Ordre.size(); ++r)
        RangDistinct[static_cast<size_t>(Ordre[r])] = static_cast<qint64>(r);
    std::vector<qint64> Resultat(Renvoi.size());
    for (size_t i = 0; i < Renvoi.size(); ++i)
        Resultat[i] = RangDistinct[static_cast<size_t>(Renvoi[i])];
    return Resultat;
}

QString Extension(const QString &cNom)
{
    const qsizetype n = cNom.lastIndexOf(QLatin1Char('.'));
    // Kinds are told by upper-cased extensions: ".jpg" and ".JPG" are one type.
    return n < 0 ? QString() : cNom.mid(n).toUpper();
}

qint64 Pixels(const TEnrLV &e)
{
    const qint64 l = std::max<qint64>(e.nLargeur, 0), h = std::max<qint64>(e.nHauteur, 0);
    // Sides come from file headers: saturate rather than overflow on absurd values.
    if (l != 0 && h > std::numeric_limits<qint64>::max() / l)
        return std::numeric_limits<qint64>::max();
    return l * h;
}
}

std::vector<int> TModeleListeImages::OrdreTri(int nCle) const
{
    const int n = Nombre();
    std::vector<int> Ordre(static_cast<size_t>(n));
    std::iota(Ordre.begin(), Ordre.end(), 0);
    if (n < 2)
        return Ordre;

    QCollator Coll{QLocale(QLocale::French, QLocale::France)};
    Coll.setCaseSensitivity(Qt::CaseInsensitive);
    QStringList Noms, Dossiers, Exts;
    Noms.reserve(n);
    Dossiers.reserve(n);
    for (const TLigne &l : m_Lignes) {
        Noms << l.pEnr->NomFichier();
        Dossiers << l.pEnr->Dossier();
        if (nCle == ColonnesListe::TriType)
            Exts << Extension(Noms.back());
    }
    const std::vector<qint64> RNom = Rangs(Noms, Coll), RDossier = Rangs(Dossiers, Coll);
    const std::vector<qint64> RExt = nCle == ColonnesListe::TriType ? Rangs(Exts, Coll) : std::vector<qint64>();

    struct TCle
    {
        qint64 a, b, c;
    };
    std::vector<TCle> Cles(static_cast<size_t>(n));
    for (size_t i = 0; i < Cles.size(); ++i) {
        const TEnrLV &e = *m_Lignes[i].pEnr;
        switch (nCle) {
        case ColonnesListe::TriEmplacement: Cles[i] = {RDossier[i], RNom[i], 0}; break;
        case ColonnesListe::TriType: Cles[i] = {RExt[i], RDossier[i], RNom[i]}; break;
        case ColonnesListe::TriResolution: Cles[i] = {Pixels(e), RDossier[i], RNom[i]}; break;
        case ColonnesListe::TriTaille: Cles[i] = {std::max<qint64>(e.nTaille, 0), RDossier[i], RNom[i]}; break;
        case ColonnesListe::TriDate: Cles[i] = {std::max<qint64>(e.nDate, 0), RDossier[i], RNom[i]}; break;
        default: Cles[i] = {RNom[i], RDossier[i], 0}; break;
        }
    }
    std::stable_sort(Ordre.begin(), Ordre.end(), [&](int x, int y) {
        const TCle &p = Cles[static_cast<size_t>(x)], &q = Cles[static_cast<size_t>(y)];
        if (p.a != q.a)
            return p.a < q.a;
        if (p.b != q.b)
            return p.b < q.b;
        return p.c < q.c;
    });
    return Ordre;
}

void TModeleListeImages::TrieListe()
{
    Permute(OrdreTri(m_nCleTri));
}

void TModeleListeImages::Permute(const std::vector<int> &Ordre)
{
    if (Ordre.size() != m_Lignes.size())
        return;
    bool lIdentique = true;
    for (size_t i = 0; i < Ordre.size() && lIdentique; ++i)
        lIdentique = Ordre[i] == static_cast<int>(i);
    if (lIdentique)
        return;
    if (!m_lEnCours)
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> NouvelleLigne(Ordre.size());
    for (size_t i = 0; i < Ordre.size(); ++i)
        NouvelleLigne[static_cast<size_t>(Ordre[i])] = static_cast<int>(i);
    std::vector<TLigne> Nouvelles;
    Nouvelles.reserve(m_Lignes.size());
    for (int i : Ordre)
        Nouvelles.push_back(std::move(m_Lignes[static_cast<size_t>(i)]));
    m_Lignes = std::move(Nouvelles);
    if (m_nDerniereBasculee >= 0)
        m_nDerniereBasculee = NouvelleLigne[static_cast<size_t>(m_nDerniereBasculee)];
    if (!m_lEnCours) {
        const QModelIndexList Anciens = persistentIndexList();
        QModelIndexList Nouveaux;
        Nouveaux.reserve(Anciens.size());
        for (const QModelIndex &i : Anciens)
            Nouveaux << index(NouvelleLigne[static_cast<size_t>(i.row())], i.column());
        changePersistentIndexList(Anciens, Nouveaux);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        emit ordreChange(Ordre);
    }
}

std::function<bool(const TEnrLV &, bool)> CritereCoche(int nCritere, const TBigIniFile &iniSetup)
{
    switch (nCritere) {
    case 1: return [&iniSetup](const TEnrLV &e, bool) { return iniSetup.ValueExists(cSectionCoupsDeCoeur, e.Cle()); };
    case 2: return [](const TEnrLV &, bool lDonnees) { return lDonnees; };
    case 3: return [](const TEnrLV &, bool lDonnees) { return !lDonnees; };
    case 4: return [](const TEnrLV &e, bool) { return e.lEXIF || e.lIPTC; };
    case 5: return [](const TEnrLV &e, bool) { return !e.lEXIF && !e.lIPTC; };
    case 6: return [](const TEnrLV &e, bool) { return EstJPEG(e.NomFichier()); };
    case 7: return [](const TEnrLV &e, bool) { return EstAutreImage(e.NomFichier()); };
    default: return [](const TEnrLV &, bool) { return true; };
    }
}
