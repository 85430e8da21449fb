#include "classification/Recherche_fm.h"

#include "classification/LegendesRech_fm.h"
#include "classification/MotsClesRech_fm.h"
#include "filters/BoutonFiltres_fm.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "components/PaneledListView.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QComboBox>
#include <QDrag>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QToolTip>
#include <QVBoxLayout>

namespace
{
constexpr int nRoleIndex = Qt::UserRole + 1;
const QString cBulleSansCoche = QStringLiteral("Sélection/Désélection des critères hiérarchiques");

QFont PoliceArbre()
{
    QFont Police(QStringLiteral("Tahoma"));
    Police.setPixelSize(13);
    // Without Tahoma, the default sans-serif at the same size.
    if (!QFontInfo(Police).exactMatch()) {
        Police = QFont();
        Police.setStyleHint(QFont::SansSerif);
        Police.setFamily(Police.defaultFamily());
        Police.setPixelSize(13);
    }
    return Police;
}
} // namespace

TArbreCritRech::TArbreCritRech(TArboCriteres &Arbo, QWidget *Parent) : QTreeWidget(Parent), m_Arbo(Arbo), m_Coches(Arbo)
{
    setObjectName(QStringLiteral("tvCritRech"));
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFont(PoliceArbre());
    setMouseTracking(true);
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::DragOnly);
    setContextMenuPolicy(Qt::CustomContextMenu);

    pmCritRech = new QMenu(this);
    pmCritRech->setObjectName(QStringLiteral("pmCritRech"));
    miCritRechDeplier = pmCritRech->addAction(QStringLiteral("&Déplier entièrement"), this, [this] { Deplie(true); });
    miCritRechReplier = pmCritRech->addAction(QStringLiteral("&Replier entièrement"), this, [this] { Deplie(false); });
    pmCritRech->addSeparator();
    miCritRechRAZ = pmCritRech->addAction(QStringLiteral("RA&Z des critères hiérarchiques"), this, [this] { RAZ(); });
    connect(pmCritRech, &QMenu::aboutToShow, this, &TArbreCritRech::PreparePopup);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &Pos) {
        PreparePopup();
        if (pmCritRech->isEnabled())
            pmCritRech->popup(viewport()->mapToGlobal(Pos));
    });
    connect(&m_Arbo, &TArboCriteres::ArboChargee, this, &TArbreCritRech::Reconstruit);
    Reconstruit();
}

void TArbreCritRech::Reconstruit()
{
    clear();
    m_Items.assign(size_t(m_Arbo.NbNoeuds()), nullptr);
    // Pre-order puts each parent's item before its children's: no recursion needed.
    for (TNoeudCritere *Noeud : m_Arbo.Preordre()) {
        const TNoeudCritere *Parent = Noeud->Parent();
        auto *Item = Parent ? new QTreeWidgetItem(m_Items[size_t(Parent->Index())]) : new QTreeWidgetItem(this);
        Item->setText(0, Noeud->Caption());
        Item->setIcon(0, Noeud->Icone());
        Item->setData(0, nRoleIndex, Noeud->Index());
        Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        Item->setCheckState(0, Qt::Unchecked);
        m_Items[size_t(Noeud->Index())] = Item;
    }
    m_nGenerationItems = m_Arbo.Generation();
    ActualiseCoches();
    PreparePopup();
}

void TArbreCritRech::ActualiseCoches()
{
    for (size_t i = 0; i < m_Items.size(); ++i)
        if (const TNoeudCritere *Noeud = m_Arbo.Noeud(int(i)))
            m_Items[i]->setCheckState(0, m_Coches.EstCoche(*Noeud) ? Qt::Checked : Qt::Unchecked);
    MetIndicateurGras(m_lIndicateurGras);
}

void TArbreCritRech::MetIndicateurGras(bool lActif)
{
    m_lIndicateurGras = lActif;
    QFont Police = font();
    const bool lGras = lActif && m_Coches.AuMoinsUnCritCoche();
    if (Police.bold() != lGras) {
        Police.setBold(lGras);
        setFont(Police);
    }
}

QString TArbreCritRech::Bulle()
{
    if (m_nRevisionBulle != m_Coches.Revision()) {
        QStringList Chemins;
        m_Coches.ListerCritCoches(Chemins);
        m_cBulle = Chemins.isEmpty() ? cBulleSansCoche : ResumeCritCoches(Chemins);
        m_nRevisionBulle = m_Coches.Revision();
    }
    return m_cBulle;
}

TNoeudCritere *TArbreCritRech::NoeudDe(const QTreeWidgetItem *Item) const
{
    if (!Item || m_nGenerationItems != m_Arbo.Generation())
        return nullptr;
    return m_Arbo.Noeud(Item->data(0, nRoleIndex).toInt());
}

QTreeWidgetItem *TArbreCritRech::ItemDe(const TNoeudCritere &Noeud) const
{
    const int n = Noeud.Index();
    return n >= 0 && size_t(n) < m_Items.size() && m_Arbo.Noeud(n) == &Noeud ? m_Items[size_t(n)] : nullptr;
}

QRect TArbreCritRech::RectCase(const QTreeWidgetItem *Item) const
{
    const QModelIndex Index = indexFromItem(Item);
    if (!Index.isValid())
        return {};
    QStyleOptionViewItem Option;
    initViewItemOption(&Option);
    Option.rect = visualRect(Index);
    Option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    if (!Item->icon(0).isNull())
        Option.features |= QStyleOptionViewItem::HasDecoration;
    Option.text = Item->text(0);
    Option.icon = Item->icon(0);
    Option.checkState = Item->checkState(0);
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &Option, this);
}

void TArbreCritRech::mousePressEvent(QMouseEvent *Evenement)
{
    if (Evenement->button() == Qt::LeftButton) {
        QTreeWidgetItem *Item = itemAt(Evenement->position().toPoint());
        if (Item && RectCase(Item).contains(Evenement->position().toPoint())) {
            // Only a plain click toggles; with a modifier the box is left alone.
            if (!(Evenement->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
                if (const TNoeudCritere *Noeud = NoeudDe(Item)) {
                    m_Coches.BasculerCritere(*Noeud);
                    ActualiseCoches();
                    MetIndicateurGras(true);
                    emit CochesModifiees();
                }
            }
            Evenement->accept();
            return;
        }
    }
    QTreeWidget::mousePressEvent(Evenement);
}

void TArbreCritRech::mouseDoubleClickEvent(QMouseEvent *Evenement)
{
    // A quick second click on a box is a second toggle, not an expansion.
    if (Evenement->button() == Qt::LeftButton) {
        QTreeWidgetItem *Item = itemAt(Evenement->position().toPoint());
        if (Item && RectCase(Item).contains(Evenement->position().toPoint())) {
            mousePressEvent(Evenement);
            return;
        }
    }
    QTreeWidget::mouseDoubleClickEvent(Evenement);
}

void TArbreCritRech::mouseMoveEvent(QMouseEvent *Evenement)
{
    MontreBulle();
    QTreeWidget::mouseMoveEvent(Evenement);
}

void TArbreCritRech::MontreBulle()
{
    const QString c = Bulle();
    if (viewport()->toolTip() != c) {
        QToolTip::hideText();
        viewport()->setToolTip(c);
    }
}

void TArbreCritRech::PreparePopup()
{
    const bool lNoeuds = !m_Arbo.EstVide();
    miCritRechDeplier->setEnabled(lNoeuds);
    miCritRechReplier->setEnabled(lNoeuds);
    miCritRechRAZ->setEnabled(lNoeuds);
    pmCritRech->setEnabled(lNoeuds);
}

void TArbreCritRech::Deplie(bool lDeplie)
{
    if (lDeplie)
        expandAll();
    else
        collapseAll();
    if (QTreeWidgetItem *Item = currentItem())
        scrollToItem(Item);
}

void TArbreCritRech::RAZ()
{
    m_Coches.DecocherTout();
    ActualiseCoches();
    MetIndicateurGras(false);
    emit CochesModifiees();
}

void TArbreCritRech::MetModeMAJ(bool lModeMAJ)
{
    m_lModeMAJ = lModeMAJ;
    setDragEnabled(lModeMAJ);
}

bool TArbreCritRech::PeutGlisser() const
{
    return m_lModeMAJ && !m_Arbo.EstVide() && (!fnVignettesVisibles || fnVignettesVisibles());
}

QStringList TArbreCritRech::mimeTypes() const
{
    return {cMimeCritere};
}

QMimeData *TArbreCritRech::mimeData(const QList<QTreeWidgetItem *> &Items) const
{
    if (Items.isEmpty())
        return nullptr;
    const TNoeudCritere *Noeud = NoeudDe(Items.first());
    if (!Noeud)
        return nullptr;
    auto *Donnees = new QMimeData;
    Donnees->setData(cMimeCritere, CheminCritere(*Noeud).toUtf8());
    return Donnees;
}

void TArbreCritRech::startDrag(Qt::DropActions Actions)
{
    // The thumbnails may have been hidden since the mode last changed.
    if (!PeutGlisser())
        return;
    QTreeWidget::startDrag(Actions & Qt::CopyAction ? Qt::CopyAction : Actions);
}

TRechercheKX::TRechercheKX(QWidget *Page, TContexte &Contexte, TSelectionKX &Selection)
    : QObject(Page), m_Contexte(Contexte), m_Selection(Selection), m_Arbo(std::make_unique<TArboCriteres>())
{
    setObjectName(QStringLiteral("Recherche"));
    auto *Colonne = new QVBoxLayout(Page);
    Colonne->setContentsMargins(2, 2, 2, 2);
    Colonne->setSpacing(2);

    pnCommandesRech = new QWidget(Page);
    pnCommandesRech->setObjectName(QStringLiteral("pnCommandesRech"));
    new QHBoxLayout(pnCommandesRech);
    pnCommandesRech->layout()->setContentsMargins(0, 0, 0, 0);
    Colonne->addWidget(pnCommandesRech);

    tvCritRech = new TArbreCritRech(*m_Arbo, Page);
    Colonne->addWidget(tvCritRech, 1);

    pnMotsClesRech = new QWidget(Page);
    pnMotsClesRech->setObjectName(QStringLiteral("pnMotsClesRech"));
    new QHBoxLayout(pnMotsClesRech);
    pnMotsClesRech->layout()->setContentsMargins(0, 0, 0, 0);
    Colonne->addWidget(pnMotsClesRech);
    m_MotsCles = new TMotsClesRechKX(pnMotsClesRech, Page, Contexte, Selection);

    // Legend and description rows, with the search button at their right.
    auto *Bas = new QHBoxLayout;
    auto *Lignes = new QVBoxLayout;
    pnLegendeRech = new QWidget(Page);
    pnLegendeRech->setObjectName(QStringLiteral("pnLegendeRech"));
    new QHBoxLayout(pnLegendeRech);
    pnLegendeRech->layout()->setContentsMargins(0, 0, 0, 0);
    pnDescriptionRech = new QWidget(Page);
    pnDescriptionRech->setObjectName(QStringLiteral("pnDescriptionRech"));
    new QHBoxLayout(pnDescriptionRech);
    pnDescriptionRech->layout()->setContentsMargins(0, 0, 0, 0);
    Lignes->addWidget(pnLegendeRech);
    Lignes->addWidget(pnDescriptionRech);
    Bas->addLayout(Lignes, 1);
    btRechercher = new QPushButton(QStringLiteral("Rechercher"), Page);
    btRechercher->setObjectName(QStringLiteral("btRechercher"));
    btRechercher->setEnabled(false);
    Bas->addWidget(btRechercher);
    Colonne->addLayout(Bas);

    auto *Boutons = new QHBoxLayout;
    btCritCDC = new QPushButton(Page);
    btCritCDC->setObjectName(QStringLiteral("btCritCDC"));
    btCritCDC->setIcon(QIcon(QPixmap::fromImage(IconesArbres::ImageIntegree(IconesArbres::nCoupDeCoeur))));
    btCritCDC->setCheckable(true);
    btCritCDC->setEnabled(false);
    btRechFiltres = new QPushButton(QStringLiteral("Filtres"), Page);
    btRechFiltres->setObjectName(QStringLiteral("btRechFiltres"));
    // Its filter is shown and reset here; the search applies it to its own candidates.
    BoutonFiltres = InstalleFiltresRecherche(btRechFiltres, Contexte);
    Boutons->addWidget(btCritCDC);
    Boutons->addWidget(btRechFiltres);
    Boutons->addStretch(1);
    Colonne->addLayout(Boutons);

    tvCritRech->MetModeMAJ(m_Selection.ModeMAJ());
    connect(&m_Selection, &TSelectionKX::ModeChange, tvCritRech, &TArbreCritRech::MetModeMAJ);
}

TRechercheKX::~TRechercheKX() = default;

void TRechercheKX::ChargeArbo()
{
    if (!m_Contexte.iniSetup)
        return;
    m_Arbo->ChargerArboCritHier(*m_Contexte.iniSetup, m_Contexte.Parametres, m_Contexte.Dossiers.cDossierImgsCH);
    if (m_Contexte.Parametres.lDeplEntArboCritHier)
        tvCritRech->expandAll();
}

QString TRechercheKX::LegendeRech() const
{
    return Legendes ? Legendes->cbCritLeg->currentText() : QString();
}

QString TRechercheKX::DescriptionRech() const
{
    return Legendes ? Legendes->cbCritDes->currentText() : QString();
}

bool TRechercheKX::CoupDeCoeurRech() const
{
    return btCritCDC->isChecked();
}

TRechercheKX *InstalleRecherche(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Recherche = new TRechercheKX(Main.PageRecherche(), Contexte, Main.Selection());
    Recherche->Legendes = new TLegendesRechKX(*Recherche, Contexte);
    TPaneledListView *Grille = Main.Grille();
    Recherche->tvCritRech->fnVignettesVisibles = [Grille, &Main] { return Grille && Grille->isVisibleTo(&Main); };
    Recherche->MotsCles()->fnVignettesVisibles = Recherche->tvCritRech->fnVignettesVisibles;
    Recherche->ChargeArbo();
    Main.Installe(Recherche);
    return Recherche;
}
