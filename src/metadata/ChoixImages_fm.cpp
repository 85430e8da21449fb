#include "metadata/ChoixImages_fm.h"

#include "components/PaneledListView.h"
#include "exploration/ModeleListe.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

TModeleChoixImages::TModeleChoixImages(TModeleListeImages &Source, bool lCocheesAuDebut, QObject *parent)
    : QIdentityProxyModel(parent), m_Source(Source), m_lInitial(lCocheesAuDebut)
{
    setSourceModel(&Source);
    Recommence();
    connect(&Source, &QAbstractItemModel::modelReset, this, &TModeleChoixImages::Recommence);
    connect(&Source, &QAbstractItemModel::rowsRemoved, this, &TModeleChoixImages::Recommence);
    connect(&Source, &QAbstractItemModel::rowsInserted, this, &TModeleChoixImages::Recommence);
    // A sort moves rows under the same indexes: the checks must move with their images.
    connect(&Source, &TModeleListeImages::ordreChange, this, [this](const std::vector<int> &nAnciens) {
        if (static_cast<qsizetype>(nAnciens.size()) != m_Coches.size())
            return Recommence();
        QList<bool> Nouvelles(m_Coches.size(), m_lInitial);
        for (size_t i = 0; i < nAnciens.size(); ++i)
            if (nAnciens[i] >= 0 && nAnciens[i] < m_Coches.size())
                Nouvelles[static_cast<qsizetype>(i)] = m_Coches[nAnciens[i]];
        m_Coches = Nouvelles;
        if (!m_Coches.isEmpty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    });
}

void TModeleChoixImages::Recommence()
{
    m_Coches = QList<bool>(m_Source.Nombre(), m_lInitial);
    emit cochesChange(nNbCoches());
}

QVariant TModeleChoixImages::data(const QModelIndex &index, int role) const
{
    if (role == Qt::CheckStateRole) {
        if (!index.isValid() || index.column() != 0)
            return {};
        return Coche(index.row()) ? Qt::Checked : Qt::Unchecked;
    }
    return QIdentityProxyModel::data(index, role);
}

bool TModeleChoixImages::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0)
        return false;
    MetCoche(index.row(), value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TModeleChoixImages::flags(const QModelIndex &index) const
{
    // Checks change only through the 15-pixel band and the buttons, never the view's own
    // indicator click, which would toggle twice.
    return QIdentityProxyModel::flags(index) & ~(Qt::ItemIsUserCheckable | Qt::ItemIsEditable);
}

bool TModeleChoixImages::Coche(int nLigne) const
{
    return nLigne >= 0 && nLigne < m_Coches.size() && m_Coches[nLigne];
}

void TModeleChoixImages::MetCoche(int nLigne, bool lCoche)
{
    if (nLigne < 0 || nLigne >= m_Coches.size() || m_Coches[nLigne] == lCoche)
        return;
    m_Coches[nLigne] = lCoche;
    emit dataChanged(index(nLigne, 0), index(nLigne, 0), {Qt::CheckStateRole});
    emit cochesChange(nNbCoches());
}

void TModeleChoixImages::Bascule(int nLigne)
{
    MetCoche(nLigne, !Coche(nLigne));
}

void TModeleChoixImages::CocheTout(bool lCoche)
{
    if (m_Coches.isEmpty())
        return;
    m_Coches.fill(lCoche);
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
    emit cochesChange(nNbCoches());
}

int TModeleChoixImages::nNbCoches() const
{
    return static_cast<int>(m_Coches.count(true));
}

QList<int> TModeleChoixImages::LignesCochees() const
{
    QList<int> Lignes;
    for (int i = 0; i < m_Coches.size(); ++i)
        if (m_Coches[i])
            Lignes.append(i);
    return Lignes;
}

TChoixImages::TChoixImages(TModeleListeImages &Source, bool lCocheesAuDebut, const TPaneledListView *pGrilleModele,
                           QWidget *parent)
    : QWidget(parent)
{
    m_pModele = new TModeleChoixImages(Source, lCocheesAuDebut, this);

    auto *lPrincipal = new QVBoxLayout(this);
    lPrincipal->setContentsMargins(0, 0, 0, 0);

    lvImages = new QTreeView(this);
    lvImages->setObjectName(QStringLiteral("lvImages"));
    lvImages->setModel(m_pModele);
    lvImages->setRootIsDecorated(false);
    lvImages->setUniformRowHeights(true);
    lvImages->setSelectionMode(QAbstractItemView::SingleSelection);
    lvImages->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvImages->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvImages->setIconSize(QSize(16, 16));
    lvImages->header()->setSectionsMovable(false);
    lvImages->header()->setStretchLastSection(false);
    for (int c = 0; c < m_pModele->columnCount(); ++c)
        lvImages->setColumnHidden(c,
                                  !m_pModele->headerData(c, Qt::Horizontal, TModeleListeImages::RoleVisible).toBool());
    lvImages->setColumnWidth(0, 160);
    lvImages->viewport()->installEventFilter(this);
    lPrincipal->addWidget(lvImages, 1);

    auto *lBas = new QHBoxLayout;
    btSelToutes = new QPushButton(QStringLiteral("Toutes"), this);
    btSelToutes->setObjectName(QStringLiteral("btSelToutes"));
    btSelToutes->setToolTip(QStringLiteral("Sélectionner toutes les images"));
    btSelAucune = new QPushButton(QStringLiteral("Aucune"), this);
    btSelAucune->setObjectName(QStringLiteral("btSelAucune"));
    btSelAucune->setToolTip(QStringLiteral("Désélectionner toutes les images"));
    stNbImgSel = new QLabel(this);
    stNbImgSel->setObjectName(QStringLiteral("stNbImgSel"));
    stNbImgSel->setAlignment(Qt::AlignCenter);
    auto *lBoutons = new QVBoxLayout;
    lBoutons->addWidget(btSelToutes);
    lBoutons->addWidget(btSelAucune);
    lBoutons->addWidget(stNbImgSel);
    lBoutons->addStretch(1);
    lBas->addLayout(lBoutons);

    plvImages = new TPaneledListView(this);
    plvImages->setObjectName(QStringLiteral("plvImages"));
    if (pGrilleModele) {
        plvImages->set_ItemDim(pGrilleModele->_ItemDim());
        plvImages->set_Panels3D(pGrilleModele->_Panels3D());
        plvImages->setCouleurFond(pGrilleModele->CouleurFond());
        plvImages->set_PanelsColor(pGrilleModele->_PanelsColor());
        plvImages->set_PanelsFontColor(pGrilleModele->_PanelsFontColor());
    }
    plvImages->setFixedHeight(plvImages->_ItemDim() + 48);
    lBas->addWidget(plvImages, 1);
    lPrincipal->addLayout(lBas);

    connect(btSelToutes, &QPushButton::clicked, this, [this] { m_pModele->CocheTout(true); });
    connect(btSelAucune, &QPushButton::clicked, this, [this] { m_pModele->CocheTout(false); });
    connect(m_pModele, &TModeleChoixImages::cochesChange, this, [this](int n) {
        MajNbImgSel();
        emit cochesChange(n);
    });
    connect(lvImages->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &Courant) {
                const int nLigne = Courant.isValid() ? Courant.row() : -1;
                MontreVignette(nLigne);
                emit ligneChoisie(nLigne);
            });
    MajNbImgSel();
}

int TChoixImages::LigneCourante() const
{
    const QModelIndex i = lvImages->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TChoixImages::MetLigneCourante(int nLigne)
{
    if (nLigne < 0 || nLigne >= m_pModele->rowCount())
        return;
    lvImages->setCurrentIndex(m_pModele->index(nLigne, 0));
}

QString TChoixImages::TexteNbImgSel() const
{
    return QStringLiteral("%1/%2").arg(m_pModele->nNbCoches()).arg(m_pModele->rowCount());
}

void TChoixImages::MajNbImgSel()
{
    stNbImgSel->setText(TexteNbImgSel());
}

void TChoixImages::MontreVignette(int nLigne)
{
    plvImages->Vide();
    TModeleListeImages &Source = m_pModele->Source();
    if (nLigne < 0 || nLigne >= Source.Nombre())
        return;
    TPLVListItem *Item = plvImages->Ajoute();
    plvImages->MetImage(Item, Source.Vignette(nLigne));
    plvImages->MetTitre(Item, Source.Enr(nLigne).NomFichier());
    plvImages->MetBulle(Item, Source.Enr(nLigne).CheminComplet());
}

bool TChoixImages::eventFilter(QObject *pObjet, QEvent *pEvenement)
{
    if (pObjet == lvImages->viewport() && pEvenement->type() == QEvent::MouseButtonPress) {
        const auto *Souris = static_cast<QMouseEvent *>(pEvenement);
        if (Souris->button() == Qt::LeftButton && Souris->modifiers() == Qt::NoModifier) {
            const QPoint pt = Souris->position().toPoint();
            const QModelIndex i = lvImages->indexAt(pt);
            if (i.isValid()) {
                const QRect r = lvImages->visualRect(i.siblingAtColumn(0));
                if (pt.x() >= r.left() && pt.x() < r.left() + nLargeurZoneCoche)
                    m_pModele->Bascule(i.row());
            }
        }
    }
    return QWidget::eventFilter(pObjet, pEvenement);
}
