#include "classification/ExploreBDD_fm.h"

#include "classification/ArboCriteres.h"
#include "classification/Audit_fm.h"
#include "classification/Classement.h"
#include "classification/IndexClassement.h"
#include "classification/MotsCles.h"
#include "components/ExpColPanel.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "components/Separateur.h"
#include "components/TacheLongue.h"
#include "imaging/ChargeImage.h"
#include "imaging/NomVignette.h"
#include "imaging/VignetteCompacte.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/ContextesAide.h"
#include "mainwindow/MainKX_fm.h"
#include "metadata/CacheMeta.h"
#include "metadata/Focale.h"
#include "metadata/LectureMeta.h"
#include "platform/Couleurs.h"
#include "publishing/AlbumWEB_fm.h"
#include "publishing/HistoriqueAlbumsWeb_fm.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "storage/TailleImage.h"
#include "storage/TaillesVignettes.h"
#include "treatments/TraitementsImage.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
constexpr int nRoleNoeud = Qt::UserRole + 1;

struct TCurseurOccupe
{
    TCurseurOccupe() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TCurseurOccupe() { QApplication::restoreOverrideCursor(); }
};

QIcon IconeDossier(int nIcone)
{
    static const QList<QIcon> Icones = [] {
        QList<QIcon> l;
        const QStyle *s = QApplication::style();
        l << s->standardIcon(QStyle::SP_DirClosedIcon) << s->standardIcon(QStyle::SP_DirIcon)
          << s->standardIcon(QStyle::SP_DriveCDIcon);
        return l;
    }();
    return Icones.value(qBound(0, nIcone / 2, 2));
}

QTreeWidget *NouvelArbre(QWidget *Parent, const QString &cNom)
{
    auto *t = new QTreeWidget(Parent);
    t->setObjectName(cNom);
    t->setHeaderHidden(true);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    // The selection stays visible without the focus.
    QPalette p = t->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    t->setPalette(p);
    t->setMouseTracking(true);
    return t;
}

void AjouteNoeudsDossier(QTreeWidgetItem *Parent, QTreeWidget *Vue, const TNoeudDossier &n,
                         QHash<const TNoeudDossier *, QTreeWidgetItem *> &Items)
{
    auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Vue);
    Item->setText(0, n.cTexte);
    Item->setIcon(0, IconeDossier(n.nIcone));
    Item->setData(0, nRoleNoeud, QVariant::fromValue(quintptr(&n)));
    Items.insert(&n, Item);
    for (const auto &e : n.Enfants)
        AjouteNoeudsDossier(Item, Vue, *e, Items);
}

void AjouteNoeudsClassement(QTreeWidgetItem *Parent, QTreeWidget *Vue, const QList<TNoeudClassement> &Noeuds,
                            const TListeImagesArbres &Images)
{
    for (const TNoeudClassement &n : Noeuds) {
        auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Vue);
        Item->setText(0, n.cTexte);
        Item->setIcon(0, Images.Icone(n.nImage));
        AjouteNoeudsClassement(Item, Vue, n.Enfants, Images);
        Item->setExpanded(n.lDeplie);
    }
}

void AjouteNoeudsEXIF(QTreeWidgetItem *Parent, QTreeWidget *Vue, TNoeudEXIF &n)
{
    auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Vue);
    Item->setText(0, n.cTexte);
    Item->setData(0, nRoleNoeud, QVariant::fromValue(quintptr(&n)));
    for (auto &e : n.Enfants)
        AjouteNoeudsEXIF(Item, Vue, *e);
}

const TNoeudDossier *NoeudDe(const QTreeWidgetItem *Item)
{
    return Item ? reinterpret_cast<const TNoeudDossier *>(Item->data(0, nRoleNoeud).value<quintptr>()) : nullptr;
}

TNoeudEXIF *NoeudEXIFDe(const QTreeWidgetItem *Item)
{
    return Item ? reinterpret_cast<TNoeudEXIF *>(Item->data(0, nRoleNoeud).value<quintptr>()) : nullptr;
}
} // namespace

TfmExploreBDD::TfmExploreBDD(TContexte &Contexte, TIndexClassement &Index, const TArboCriteres *pArbo,
                             const TClassement *pClassement, QWidget *Parent, std::shared_ptr<TOrdreExplore> pOrdre)
    : QDialog(Parent), m_Contexte(Contexte), m_Index(Index), m_pArbo(pArbo), m_pClassement(pClassement),
      m_pOrdre(pOrdre ? std::move(pOrdre) : std::make_shared<TOrdreExplore>())
{
    setObjectName(QStringLiteral("fmExploreBDD"));
    QFont Police(QStringLiteral("Tahoma"));
    Police.setPixelSize(11);
    setFont(Police);
    // 1. The image sets, once.
    m_Index.Actualise();
    m_Ensembles = EnsemblesExplore(m_Index);
    if (!m_pOrdre->Valable(m_Index, m_Ensembles.lstToutesImages))
        *m_pOrdre = TOrdreExplore(m_Index, m_Ensembles.lstToutesImages);
    CreeControles();
    FixeContexteAide(this, ContextesAide::nExplorateurBDD);
    // Modal to the main window only: the help window it opens must take the keyboard and mouse.
    setWindowModality(Qt::WindowModal);
    for (TPageExplore &p : m_Pages)
        FixeContexteAide(p.tvVigsCrits, ContextesAide::nArbresExplorateurBDD);
    // F1: the help of the focused control, as in the main window.
    auto *F1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(F1, &QShortcut::activated, this, [this] {
        if (fnAide)
            fnAide(focusWidget());
    });
    InstallePageAudit(*this, m_Index, m_pArbo);
    // 2. Place and minimum size from the screen.
    if (const QScreen *Ecran = QApplication::primaryScreen()) {
        const QRect r = Ecran->availableGeometry();
        setGeometry(50, 50, r.width() - 100, r.height() - 100);
        setMinimumSize(std::max(200, r.width() - 300), std::max(200, r.height() - 200));
    }
    PrepareGrilles();
    // 3.
    if (!m_Contexte.Parametres.lEtendRechCritEnf)
        m_Pages[pCRIT].tvHaut->setToolTip(QStringLiteral("RECHERCHE NON ETENDUE AUX CRITERES ENFANTS"));
    // 6. The first page now; the others mark themselves and are built when first shown.
    ConstruitArbre(pBDD, m_pOrdre->Listes(m_Index, m_Ensembles.lstToutesImages));
    ConstruitCRITHaut();
    ConstruitMCHaut();
    m_Pages[pCDC].lAReconstruire = true;
    RemplitOrdreEXIF();
    pcExploreBDD->setCurrentIndex(pBDD);
    MajCaption();
    MajBoutons();
}

TfmExploreBDD::~TfmExploreBDD()
{
    // The pool's tasks read the window's members: they end before anything is freed.
    m_lFermeture = true;
    m_Pool.clear();
    m_Pool.waitForDone();
    // The trees and grids outlive this part of the window while the base class frees its
    // children: nothing of theirs may call back into it.
    for (QTreeWidget *t : findChildren<QTreeWidget *>())
        QObject::disconnect(t, nullptr, this, nullptr);
    for (TPageExplore &p : m_Pages) {
        p.plv->_OnItemChange = nullptr;
        p.plv->fnBulle = nullptr;
    }
    QObject::disconnect(pcExploreBDD, nullptr, this, nullptr);
}

void TfmExploreBDD::CreeControles()
{
    auto *Principale = new QVBoxLayout(this);
    Principale->setContentsMargins(2, 2, 2, 2);
    pcExploreBDD = new QTabWidget(this);
    pcExploreBDD->setObjectName(QStringLiteral("pcExploreBDD"));
    Principale->addWidget(pcExploreBDD, 1);

    CreePage(pBDD, QStringLiteral("BDD"), QStringLiteral("Base de données"), false);
    CreePage(pCRIT, QStringLiteral("CRIT"), QStringLiteral("Images répondant à un critère"), true);
    CreePage(pMC, QStringLiteral("MC"), QStringLiteral("Mots-clés"), true);
    CreePage(pCDC, QStringLiteral("CDC"), QStringLiteral("Coups de coeur"), false);
    CreePage(pEXIF, QStringLiteral("EXIF"), QStringLiteral("EXIF"), true);
    tsAudit = new QWidget(pcExploreBDD);
    tsAudit->setObjectName(QStringLiteral("tsAudit"));
    new QVBoxLayout(tsAudit);
    pcExploreBDD->addTab(tsAudit, QStringLiteral("Audit"));
    connect(pcExploreBDD, &QTabWidget::currentChanged, this, &TfmExploreBDD::ChangePage);

    // The EXIF level list and its commands, below tvEXIFHaut.
    {
        TPageExplore &p = m_Pages[pEXIF];
        auto *Groupe = new QGroupBox(QStringLiteral("Arborescence et présence des données EXIF"), p.ts);
        Groupe->setObjectName(QStringLiteral("gbEXIFOrdre"));
        auto *h = new QHBoxLayout(Groupe);
        tvEXIFOrdre = NouvelArbre(Groupe, QStringLiteral("tvEXIFOrdre"));
        tvEXIFOrdre->setItemsExpandable(false);
        h->addWidget(tvEXIFOrdre, 1);
        auto *v = new QVBoxLayout;
        auto Bouton = [&](QPushButton *&b, const QString &cNom, const QString &cTexte, const QString &cBulle) {
            b = new QPushButton(cTexte, Groupe);
            b->setObjectName(cNom);
            b->setToolTip(cBulle);
            v->addWidget(b);
        };
        Bouton(btEXIFOrdreMonter, QStringLiteral("btEXIFOrdreMonter"), QStringLiteral("▲"),
               QStringLiteral("Monter d'un niveau le critère"));
        Bouton(btEXIFOrdreDescendre, QStringLiteral("btEXIFOrdreDescendre"), QStringLiteral("▼"),
               QStringLiteral("Descendre d'un niveau le critère"));
        Bouton(btEXIFOrdreValider, QStringLiteral("btEXIFOrdreValider"), QStringLiteral("✓"),
               QStringLiteral("Construire l'arborescence des images de la base de données"));
        Bouton(btEXIFOrdreValDef, QStringLiteral("btEXIFOrdreValDef"), QStringLiteral("↺"),
               QStringLiteral("Rétablir l'arborescence et la présence des critères par défaut"));
        v->addStretch(1);
        h->addLayout(v);
        auto *Gauche = qobject_cast<QSplitter *>(p.tvHaut->parentWidget());
        Gauche->insertWidget(1, Groupe);
        connect(btEXIFOrdreMonter, &QPushButton::clicked, this, [this] { DeplaceNiveau(-1); });
        connect(btEXIFOrdreDescendre, &QPushButton::clicked, this, [this] { DeplaceNiveau(1); });
        connect(btEXIFOrdreValider, &QPushButton::clicked, this, &TfmExploreBDD::btEXIFOrdreValiderClick);
        connect(btEXIFOrdreValDef, &QPushButton::clicked, this, &TfmExploreBDD::btEXIFOrdreValDefClick);
        connect(tvEXIFOrdre, &QTreeWidget::currentItemChanged, this, &TfmExploreBDD::SelectionOrdreEXIF);
        connect(tvEXIFOrdre, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *Item) {
            if (m_lConstructionEXIF || !Item)
                return;
            // The position in the chain is the depth of the item.
            int nPos = 0;
            for (const QTreeWidgetItem *q = Item->parent(); q; q = q->parent())
                ++nPos;
            const bool lVoulu = Item->checkState(0) == Qt::Checked;
            if (lVoulu != m_Niveaux.Niveaux()[size_t(nPos)].lCoche)
                m_Niveaux.Bascule(nPos);
            const bool lEtat = m_Niveaux.Niveaux()[size_t(nPos)].lCoche;
            if (lEtat != lVoulu) {
                m_lConstructionEXIF = true;
                Item->setCheckState(0, lEtat ? Qt::Checked : Qt::Unchecked);
                m_lConstructionEXIF = false;
            }
            btEXIFOrdreValider->setEnabled(true);
        });
    }

    // The bottom strip.
    auto *pnCommandes = new QWidget(this);
    pnCommandes->setObjectName(QStringLiteral("pnCommandes"));
    auto *h = new QHBoxLayout(pnCommandes);
    h->setContentsMargins(0, 0, 0, 0);
    ggTrtLong = new QProgressBar(pnCommandes);
    ggTrtLong->setObjectName(QStringLiteral("ggTrtLong"));
    ggTrtLong->setTextVisible(false);
    ggTrtLong->setVisible(false);
    h->addWidget(ggTrtLong, 1);
    h->addStretch(0);
    auto Bouton = [&](QPushButton *&b, const QString &cNom, const QString &cTexte, const QString &cBulle) {
        b = new QPushButton(cTexte, pnCommandes);
        b->setObjectName(cNom);
        if (!cBulle.isEmpty())
            b->setToolTip(cBulle);
        h->addWidget(b);
    };
    Bouton(btSvgTtesVig, QStringLiteral("btSvgTtesVig"), QStringLiteral("Vignettes"),
           QStringLiteral("Sauvegarder toutes les vignettes dans un même fichier"));
    Bouton(btAlbumWEB, QStringLiteral("btAlbumWEB"), QStringLiteral("Album WEB"),
           QStringLiteral("Exporter toutes les images vers un album WEB"));
    Bouton(btHistoAlbumsWEB, QStringLiteral("btHistoAlbumsWEB"), QStringLiteral("&Historique des albums WEB..."),
           QString());
    Bouton(btAide, QStringLiteral("btAide"), QStringLiteral("&Aide"), QString());
    Bouton(btQuitter, QStringLiteral("btQuitter"), QStringLiteral("&Quitter"), QString());
    Principale->addWidget(pnCommandes);

    pmAlbumWEB = new QMenu(this);
    pmAlbumWEB->setObjectName(QStringLiteral("pmAlbumWEB"));
    miAlbumWEBGenAPartirImgPres =
        pmAlbumWEB->addAction(QStringLiteral("&Générer un album WEB à partir des images présentes..."));
    miAlbumWEBGenAPartirImgPres->setObjectName(QStringLiteral("miAlbumWEBGenAPartirImgPres"));
    miAlbumWEBGenAWHBDD = pmAlbumWEB->addAction(QString());
    miAlbumWEBGenAWHBDD->setObjectName(QStringLiteral("miAlbumWEBGenAWHBDD"));
    connect(pmAlbumWEB, &QMenu::aboutToShow, this, &TfmExploreBDD::PopupAlbumWEB);
    connect(btAlbumWEB, &QPushButton::clicked, this,
            [this] { pmAlbumWEB->popup(btAlbumWEB->mapToGlobal(QPoint(0, btAlbumWEB->height()))); });
    connect(miAlbumWEBGenAPartirImgPres, &QAction::triggered, this, [this] {
        const int nPage = pcExploreBDD->currentIndex();
        if (fnAlbumWEB && nPage < pAudit)
            fnAlbumWEB(this,
                       QList<TEnrLV>(m_Pages[size_t(nPage)].Entrees.begin(), m_Pages[size_t(nPage)].Entrees.end()),
                       QString());
    });
    connect(miAlbumWEBGenAWHBDD, &QAction::triggered, this, [this] {
        if (fnAlbumWEB)
            fnAlbumWEB(this, {}, CritereSelectionne());
    });
    connect(btSvgTtesVig, &QPushButton::clicked, this, [this] {
        const int nPage = pcExploreBDD->currentIndex();
        const TNoeudDossier *n = NoeudSelectionne(nPage);
        if (fnSauverPlanche && n)
            fnSauverPlanche(m_Pages[size_t(nPage)].plv, NomPlancheNoeud(n->cTexte));
    });
    connect(btHistoAlbumsWEB, &QPushButton::clicked, this, [this] {
        if (fnHistoAlbumsWEB)
            fnHistoAlbumsWEB(this);
    });
    connect(btAide, &QPushButton::clicked, this, [this] {
        if (fnAide)
            fnAide(focusWidget());
    });
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::close);
}

void TfmExploreBDD::CreePage(int nPage, const QString &cNom, const QString &cTitre, bool lHaut)
{
    TPageExplore &p = m_Pages[size_t(nPage)];
    p.cTitre = cTitre;
    p.ts = new QWidget(pcExploreBDD);
    p.ts->setObjectName(QStringLiteral("ts") + cNom);
    pcExploreBDD->addTab(p.ts, cTitre);
    auto *Disposition = new QHBoxLayout(p.ts);
    Disposition->setContentsMargins(0, 0, 0, 0);
    // The trees in a pane that collapses to the left, the grid and the classification tree in
    // one that collapses upwards above the picture, the classification tree in one of its own
    // collapsing to the right; each bar beside a pane changes its width or height.
    p.pnArbres = new TExpColPanel(paLeft, p.ts);
    p.pnArbres->setObjectName(QStringLiteral("pnArbres") + cNom);
    p.pnArbres->set_LargHautRef(280);
    auto *dArbres = new QVBoxLayout(p.pnArbres);
    dArbres->setContentsMargins(0, 0, TExpColPanel::nEpaisseurBande, 0);
    auto *Arbres = new QSplitter(Qt::Vertical, p.pnArbres);
    Arbres->setObjectName(QStringLiteral("spArbres") + cNom);
    dArbres->addWidget(Arbres);
    if (lHaut) {
        p.tvHaut = NouvelArbre(Arbres, QStringLiteral("tv") + cNom + QStringLiteral("Haut"));
        Arbres->addWidget(p.tvHaut);
        p.tvBas = NouvelArbre(Arbres, QStringLiteral("tv") + cNom + QStringLiteral("Bas"));
    } else {
        p.tvBas = NouvelArbre(Arbres, QStringLiteral("tv") + cNom);
    }
    Arbres->addWidget(p.tvBas);
    p.tvBas->viewport()->installEventFilter(this);
    if (p.tvHaut && nPage == pEXIF)
        p.tvHaut->viewport()->installEventFilter(this);
    TExpColPanel *pnArbres = p.pnArbres;
    auto *spGauche = new TSeparateur(
        Qt::Vertical, [pnArbres] { return pnArbres->_LargHautRef(); },
        [pnArbres](int n) { pnArbres->set_LargHautRef(n); }, p.ts);
    spGauche->setObjectName(QStringLiteral("spGauche") + cNom);
    spGauche->setMinimum(120);
    spGauche->PrendPoignee(pnArbres->Bande());
    Disposition->addWidget(pnArbres);
    Disposition->addWidget(spGauche);

    auto *Droite = new QWidget(p.ts);
    auto *dDroite = new QVBoxLayout(Droite);
    dDroite->setContentsMargins(0, 0, 0, 0);
    dDroite->setSpacing(0);
    Disposition->addWidget(Droite, 1);
    p.pnVigs = new TExpColPanel(paTop, Droite);
    p.pnVigs->setObjectName(QStringLiteral("pnVigs") + cNom);
    auto *dVigs = new QHBoxLayout(p.pnVigs);
    dVigs->setContentsMargins(0, 0, 0, TExpColPanel::nEpaisseurBande);
    dVigs->setSpacing(0);
    p.plv = new TPaneledListView(p.pnVigs);
    p.plv->setObjectName(QStringLiteral("plv") + cNom + QStringLiteral("Vigs"));
    p.plv->set_Checks(false);
    dVigs->addWidget(p.plv, 1);
    p.pnVigsCrits = new TExpColPanel(paRight, p.pnVigs);
    p.pnVigsCrits->setObjectName(QStringLiteral("pnVigsCrits") + cNom);
    p.pnVigsCrits->set_LargHautRef(240);
    auto *dCrits = new QVBoxLayout(p.pnVigsCrits);
    dCrits->setContentsMargins(TExpColPanel::nEpaisseurBande, 0, 0, 0);
    p.tvVigsCrits = NouvelArbre(p.pnVigsCrits, QStringLiteral("tv") + cNom + QStringLiteral("VigsCrits"));
    dCrits->addWidget(p.tvVigsCrits);
    TExpColPanel *pnVigsCrits = p.pnVigsCrits;
    auto *spVigs = new TSeparateur(
        Qt::Vertical, [pnVigsCrits] { return pnVigsCrits->_LargHautRef(); },
        [pnVigsCrits](int n) { pnVigsCrits->set_LargHautRef(n); }, p.pnVigs, -1);
    spVigs->setObjectName(QStringLiteral("spVigs") + cNom);
    spVigs->setMinimum(80);
    spVigs->PrendPoignee(pnVigsCrits->Bande());
    dVigs->addWidget(spVigs);
    dVigs->addWidget(pnVigsCrits);
    TExpColPanel *pnVigs = p.pnVigs;
    auto *spImg = new TSeparateur(
        Qt::Horizontal, [pnVigs] { return pnVigs->_LargHautRef(); }, [pnVigs](int n) { pnVigs->set_LargHautRef(n); },
        Droite);
    spImg->setObjectName(QStringLiteral("spImg") + cNom);
    spImg->PrendPoignee(pnVigs->Bande());
    p.spImg = spImg;
    p.sbImg = new TPanneauImage(Droite);
    p.sbImg->setObjectName(QStringLiteral("sbImg") + cNom);
    p.sbImg->setVisible(false);
    dDroite->addWidget(pnVigs);
    dDroite->addWidget(spImg);
    dDroite->addWidget(p.sbImg, 1);
    // With the picture hidden, the grid takes the room.
    dDroite->addStretch(0);

    connect(p.tvBas, &QTreeWidget::currentItemChanged, this, [this, nPage] {
        if (!m_Pages[size_t(nPage)].lConstruction)
            ListeNoeud(nPage);
    });
    p.plv->_OnItemChange = [this, nPage](TPaneledListView *, TPLVListItem *) { MontreImage(nPage); };
    p.plv->fnBulle = [this, nPage](int nItem) {
        const TPageExplore &q = m_Pages[size_t(nPage)];
        if (nItem < 0 || nItem >= int(q.Entrees.size()) || !fnBulle)
            return QString();
        return fnBulle(q.Entrees[size_t(nItem)]);
    };
    if (p.tvHaut && nPage != pEXIF)
        connect(p.tvHaut, &QTreeWidget::currentItemChanged, this, [this, nPage] { SelectionHaut(nPage); });
    if (nPage == pEXIF)
        connect(p.tvHaut, &QTreeWidget::currentItemChanged, this, [this] {
            if (!m_lConstructionEXIF)
                SelectionHaut(pEXIF);
        });
}

void TfmExploreBDD::PrepareGrilles()
{
    const TEnrParametres &P = m_Contexte.Parametres;
    const QPalette Palette = QApplication::palette();
    const int nTaille = TailleVignette(P.nIndTailleVigs);
    for (TPageExplore &p : m_Pages) {
        p.plv->set_Panels3D(P.lVigPan3D);
        p.plv->setCouleurFond(Couleurs::Couleur(P.nVigCoulFond, Palette, 29));
        p.plv->set_PanelsColor(Couleurs::Couleur(P.nVigCoulPan, Palette, 35));
        p.plv->set_PanelsFontColor(Couleurs::Couleur(P.nVigCoulTxtPan, Palette, 30));
        p.plv->set_ItemDim(nTaille);
        p.plv->verticalScrollBar()->setSingleStep(PasYCellule(nTaille) / 2);
        p.plv->setMinimumHeight(nTaille + 42);
        p.spImg->setMinimum(nTaille + 42);
        p.pnVigs->set_LargHautRef(std::max(height() / 3, nTaille + 42));
        p.sbImg->MetCouleurFond(Couleurs::Couleur(P.nImgFACoulFond, Palette, 35));
    }
}

// ---- Folder trees and listing ---------------------------------------------------------

void TfmExploreBDD::ConstruitArbre(int nPage, TListesPage Listes)
{
    TPageExplore &p = m_Pages[size_t(nPage)];
    p.lConstruction = true;
    p.tvBas->setUpdatesEnabled(false);
    p.tvBas->clear();
    p.Listes = std::move(Listes);
    p.Arbo = m_pOrdre->Arbo(p.Listes, *m_Contexte.iniSetup);
    QHash<const TNoeudDossier *, QTreeWidgetItem *> Items;
    for (const auto &r : p.Arbo.Racines)
        AjouteNoeudsDossier(nullptr, p.tvBas, *r, Items);
    p.tvBas->expandAll();
    QTreeWidgetItem *Choisi = p.Arbo.pPremier ? Items.value(p.Arbo.pPremier) : p.tvBas->topLevelItem(0);
    p.tvBas->setCurrentItem(Choisi);
    p.tvBas->setUpdatesEnabled(true);
    if (Choisi)
        p.tvBas->scrollToItem(Choisi);
    p.lConstruction = false;
    ListeNoeud(nPage);
}

const TNoeudDossier *TfmExploreBDD::NoeudSelectionne(int nPage) const
{
    if (nPage < 0 || nPage >= pAudit)
        return nullptr;
    return NoeudDe(m_Pages[size_t(nPage)].tvBas->currentItem());
}

void TfmExploreBDD::ListeNoeud(int nPage)
{
    TPageExplore &p = m_Pages[size_t(nPage)];
    TCurseurOccupe Curseur;
    p.tvVigsCrits->clear();
    p.sbImg->setVisible(false);
    p.sbImg->Vide();
    p.plv->Vide();
    p.Entrees.clear();
    ++p.nGeneration; // the pool's results for the former grid are dropped
    p.nResultats = 0;
    const TNoeudDossier *n = NoeudDe(p.tvBas->currentItem());
    if (n && n->Images) {
        const QStringList Cles = ClesNoeud(*n, p.Listes);
        const int nD = p.plv->_ItemDim();
        const QString &cVignettes = m_Contexte.Dossiers.cDossierVignettes;
        ggTrtLong->setMaximum(std::max(0, int(Cles.size()) - 1));
        ggTrtLong->setValue(0);
        ggTrtLong->setVisible(true);
        // The first screenful is painted as soon as it is there; Esc stops the listing.
        const int nPremierEcran = std::max(1, (p.plv->viewport()->width() / PasXCellule(nD) + 1)
                                                  * (p.plv->viewport()->height() / PasYCellule(nD) + 1));
        TTacheLongue Garde(false);
        std::vector<TTravailVignette> Travaux;
        for (int i = 0; i < Cles.size(); ++i) {
            ggTrtLong->setValue(i);
            const TEnrLST k = DecomposeCle(Cles[i]);
            TEnrLV e;
            e.nNumCD = k.nVolume;
            e.cChemin = k.cChemin;
            const QString cVignette = NomVignette(cVignettes, k.nVolume, k.cChemin);
            QFileInfo Vignette(cVignette);
            if (k.nVolume != 0) {
                // A CD image is shown by its cached thumbnail alone.
                if (!Vignette.isFile())
                    continue;
                e.nDate = Vignette.lastModified().toSecsSinceEpoch();
                e.nTaille = m_Contexte.iniSetup->ReadString(cSectionTaillesVignettes, Cles[i], QString()).toLongLong();
                e.lExiste = false;
            } else {
                const QFileInfo Fichier(k.cChemin);
                if (!Fichier.isFile())
                    continue;
                e.nTaille = Fichier.size();
                e.nDate = Fichier.lastModified().toSecsSinceEpoch();
                e.lExiste = true;
            }
            if (k.nVolume != 0) {
                // A CD image: its cached records, the disc is not read.
                if (const QStringList v = ValeursEXIFCatalogue(*m_Contexte.iniSetup, Cles[i]); v.size() == 8)
                    MetValeursEXIF(e, v);
            } else if (m_lValeursLues) {
                if (const auto it = m_Valeurs.constFind(Cles[i]); it != m_Valeurs.cend() && it->size() == 8)
                    MetValeursEXIF(e, *it);
            }
            const TTailleImage Stockee = TTailleImage::DePacke(
                m_Contexte.iniSetup->ReadString(cSectionResolutionsVignettes, Cles[i], QStringLiteral("0"))
                    .toLongLong());
            e.nLargeur = Stockee.nLargeur;
            e.nHauteur = Stockee.nHauteur;
            TPLVListItem *Item = p.plv->Ajoute();
            p.plv->MetTitre(Item, e.NomFichier());
            bool lImage = false;
            if (Vignette.isFile()) {
                QFile f(cVignette);
                if (f.size() < (qint64(16) << 20) && f.open(QIODevice::ReadOnly)) {
                    const TVignetteCompacte v = TVignetteCompacte::DeJpeg(f.readAll(), QSize(nD, nD));
                    if (!v.Vide()) {
                        p.plv->MetImage(Item, v);
                        lImage = true;
                    }
                }
            }
            // The file's metadata (one open) and a missing thumbnail are made on the pool; the
            // thumbnail is for the grid only, the cache is not written from here.
            if (k.nVolume == 0)
                Travaux.push_back({int(p.Entrees.size()), k.cChemin, !lImage});
            p.Entrees.push_back(std::move(e));
            if (i + 1 == nPremierEcran)
                TTacheLongue::TraiteEvenements(0, true);
            else
                TTacheLongue::TraiteEvenements();
            if (Echap())
                break;
        }
        ggTrtLong->setVisible(false);
        ggTrtLong->setValue(0);
        LanceTravaux(nPage, std::move(Travaux));
        if (p.plv->Nombre() > 0)
            p.plv->Selectionne(p.plv->Item(0));
    }
    p.sbImg->setVisible(p.plv->Nombre() > 0);
    MajCaption();
    MajBoutons();
}

void TfmExploreBDD::LanceTravaux(int nPage, std::vector<TTravailVignette> Travaux)
{
    if (Travaux.empty())
        return;
    const quint64 nGeneration = m_Pages[size_t(nPage)].nGeneration;
    const int nD = m_Pages[size_t(nPage)].plv->_ItemDim();
    const bool lTHM = m_Contexte.Parametres.lLireVigDsTHM;
    // A few images per task: enough to amortise the hand-over, few enough for the first screen
    // to fill early.
    constexpr size_t nParTache = 16;
    for (size_t nDebut = 0; nDebut < Travaux.size(); nDebut += nParTache) {
        std::vector<TTravailVignette> Lot(Travaux.begin() + qsizetype(nDebut),
                                          Travaux.begin() + qsizetype(std::min(Travaux.size(), nDebut + nParTache)));
        m_Pool.start([this, nPage, nGeneration, nD, lTHM, Lot = std::move(Lot)]() mutable {
            std::vector<TResultatVignette> Resultats;
            Resultats.reserve(Lot.size());
            for (TTravailVignette &t : Lot) {
                if (m_lFermeture)
                    return;
                TResultatVignette r;
                r.nItem = t.nItem;
                r.Meta = LitMetaImage(t.cChemin);
                if (t.lVignette) {
                    try {
                        r.Image = ChargeImage(t.cChemin, true, nD, lTHM).Image;
                    } catch (const std::exception &) {
                        r.Image = ImageErreur(nD);
                    }
                    r.lImage = !r.Image.isNull();
                }
                Resultats.push_back(std::move(r));
            }
            QMetaObject::invokeMethod(
                this,
                [this, nPage, nGeneration, Resultats = std::move(Resultats)]() mutable {
                    AppliqueResultats(nPage, nGeneration, Resultats);
                },
                Qt::QueuedConnection);
        });
    }
}

void TfmExploreBDD::AppliqueResultats(int nPage, quint64 nGeneration, std::vector<TResultatVignette> &Resultats)
{
    TPageExplore &p = m_Pages[size_t(nPage)];
    if (nGeneration != p.nGeneration)
        return;
    const TContexteFocale Focale{m_Contexte.iniCFAPN.get(), m_Contexte.Parametres.lCoeffFocDansTable};
    for (TResultatVignette &r : Resultats) {
        if (r.nItem < 0 || r.nItem >= int(p.Entrees.size()))
            continue;
        TEnrLV &e = p.Entrees[size_t(r.nItem)];
        AppliqueMetaImage(r.Meta, e, e, Focale);
        if (r.Meta.nLargeur > 0 && r.Meta.nHauteur > 0) {
            e.nLargeur = r.Meta.nLargeur;
            e.nHauteur = r.Meta.nHauteur;
        }
        if (r.lImage) {
            AppliqueTrtsImage(r.Image, m_Contexte, e.Cle(), e.cOrientation);
            if (TPLVListItem *Item = p.plv->Item(r.nItem))
                p.plv->MetImage(Item, r.Image);
        }
        ++p.nResultats;
    }
}

bool TfmExploreBDD::Echap()
{
    if (fnEchap)
        return fnEchap();
    return TTacheLongue::PrendEchap();
}

void TfmExploreBDD::MetValeursEXIF(TEnrLV &e, const QStringList &v) const
{
    // Converted as the main list converts it, so both grids show the same focal length.
    const TContexteFocale Focale{m_Contexte.iniCFAPN.get(), m_Contexte.Parametres.lCoeffFocDansTable};
    MetEXIFDeRecord(e, v, Focale);
}

void TfmExploreBDD::MontreImage(int nPage)
{
    TPageExplore &p = m_Pages[size_t(nPage)];
    const int nItem = p.plv->IndexSelectionne();
    p.tvVigsCrits->clear();
    if (nItem < 0 || nItem >= int(p.Entrees.size()))
        return;
    TCurseurOccupe Curseur;
    const TEnrLV &e = p.Entrees[size_t(nItem)];
    QImage Image;
    if (e.nNumCD == 0 && e.lExiste) {
        try {
            Image = ChargeImage(e.cChemin, false, 0, m_Contexte.Parametres.lLireVigDsTHM).Image;
            AppliqueTrtsImage(Image, m_Contexte, e.Cle(), e.cOrientation);
        } catch (const std::exception &) {
            Image = QImage();
        }
    }
    if (Image.isNull())
        Image = ImageErreur(std::max(64, p.plv->_ItemDim()));
    p.sbImg->MetImage(Image, Image.size());
    p.sbImg->RetourOrigine();
    p.sbImg->setToolTip(fnBulle ? fnBulle(e) : QString());
    if (m_pClassement && m_pArbo)
        AjouteNoeudsClassement(nullptr, p.tvVigsCrits, m_pClassement->AfficherClassement(e), m_pArbo->ilArbres());
}

// ---- Pages -----------------------------------------------------------------------------

void TfmExploreBDD::ConstruitCRITHaut()
{
    QTreeWidget *t = m_Pages[pCRIT].tvHaut;
    t->clear();
    if (m_pArbo) {
        QHash<const TNoeudCritere *, QTreeWidgetItem *> Items;
        for (const TNoeudCritere *n : m_pArbo->Preordre()) {
            QTreeWidgetItem *Parent = n->Parent() ? Items.value(n->Parent()) : nullptr;
            auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(t);
            Item->setText(0, n->Caption());
            Item->setIcon(0, m_pArbo->ilArbres().Icone(n->IndexImage()));
            Item->setData(0, nRoleNoeud, CheminCritere(*n));
            Items.insert(n, Item);
        }
    }
    t->expandAll();
    m_Pages[pCRIT].lAReconstruire = true;
    t->setCurrentItem(t->topLevelItem(0));
}

void TfmExploreBDD::ConstruitMCHaut()
{
    QTreeWidget *t = m_Pages[pMC].tvHaut;
    t->clear();
    auto *Racine = new QTreeWidgetItem(t, QStringList{QStringLiteral("Mots-clés")});
    Racine->setIcon(0, IconeDossier(4));
    QStringList Mots;
    ListerMotsCles(*m_Contexte.iniSetup, Mots);
    for (const QString &c : std::as_const(Mots)) {
        auto *Item = new QTreeWidgetItem(Racine, QStringList{c});
        Item->setData(0, nRoleNoeud, c);
    }
    t->expandAll();
    m_Pages[pMC].lAReconstruire = true;
    t->setCurrentItem(Racine);
}

QString TfmExploreBDD::CritereSelectionne() const
{
    const QTreeWidgetItem *Item = m_Pages[pCRIT].tvHaut->currentItem();
    return Item ? Item->data(0, nRoleNoeud).toString() : QString();
}

void TfmExploreBDD::SelectionHaut(int nPage)
{
    TPageExplore &p = m_Pages[size_t(nPage)];
    if (!isVisible() && nPage != pEXIF) {
        p.lAReconstruire = true;
        return;
    }
    TCurseurOccupe Curseur;
    std::vector<int> Images;
    switch (nPage) {
    case pCRIT:
        if (const QString c = CritereSelectionne(); !c.isEmpty())
            Images = ImagesCritereExplore(m_Index, c, m_Contexte.Parametres.lEtendRechCritEnf);
        break;
    case pMC: {
        const QTreeWidgetItem *Item = p.tvHaut->currentItem();
        if (Item)
            Images = ImagesMotCleExplore(m_Index, Item->data(0, nRoleNoeud).toString());
        break;
    }
    case pCDC: Images = ImagesCoupsDeCoeur(m_Index); break;
    case pEXIF:
        if (TNoeudEXIF *n = NoeudEXIFDe(p.tvHaut->currentItem())) {
            Images = n->Images();
            if (!n->pParent)
                n->Enr.nNbImages = int(Images.size());
        }
        break;
    default: break;
    }
    ConstruitArbre(nPage, m_pOrdre->Listes(m_Index, Images));
}

void TfmExploreBDD::ChangePage(int nPage)
{
    if (nPage >= 0 && nPage < pAudit) {
        TPageExplore &p = m_Pages[size_t(nPage)];
        if (p.lAReconstruire && isVisible()) {
            p.lAReconstruire = false;
            SelectionHaut(nPage);
        }
    }
    MajCaption();
    MajBoutons();
}

void TfmExploreBDD::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (std::exchange(m_lPremierAffichage, false)) {
        if (fnSuivreArbre)
            for (int nPage = pBDD; nPage < pAudit; ++nPage)
                fnSuivreArbre(m_Pages[size_t(nPage)].tvBas, 2, Fournisseur(nPage));
        ChangePage(pcExploreBDD->currentIndex());
    }
}

int TfmExploreBDD::NbImagesNoeud(int nPage) const
{
    const TNoeudDossier *n = NoeudSelectionne(nPage);
    if (!n || m_Pages[size_t(nPage)].plv->Nombre() == 0)
        return 0;
    return n->NbImages();
}

int TfmExploreBDD::TotalPage(int nPage) const
{
    return nPage >= 0 && nPage < pAudit ? m_Pages[size_t(nPage)].Listes.Total() : 0;
}

void TfmExploreBDD::MajCaption()
{
    const int nPage = pcExploreBDD->currentIndex();
    if (nPage == pAudit) {
        setWindowTitle(QStringLiteral("Audit de la base de données"));
        return;
    }
    setWindowTitle(QStringLiteral("%1 - %2 - %3 Image(s) / %4")
                       .arg(QStringLiteral("Exploration de la base de données"), m_Pages[size_t(nPage)].cTitre)
                       .arg(NbImagesNoeud(nPage))
                       .arg(TotalPage(nPage)));
}

void TfmExploreBDD::MajBoutons()
{
    const int nPage = pcExploreBDD->currentIndex();
    const bool lSvg = nPage < pAudit && NbImagesNoeud(nPage) > 0;
    btSvgTtesVig->setEnabled(lSvg);
    bool lAlbum = lSvg;
    if (nPage == pCRIT)
        lAlbum = !CritereSelectionne().isEmpty() && (!m_Contexte.Parametres.lEtendRechCritEnf || lSvg);
    btAlbumWEB->setEnabled(nPage < pAudit && lAlbum);
}

void TfmExploreBDD::PopupAlbumWEB()
{
    const int nPage = pcExploreBDD->currentIndex();
    miAlbumWEBGenAPartirImgPres->setEnabled(btSvgTtesVig->isEnabled());
    const bool lCrit = nPage == pCRIT && !CritereSelectionne().isEmpty();
    miAlbumWEBGenAWHBDD->setVisible(lCrit);
    miAlbumWEBGenAWHBDD->setEnabled(lCrit);
    miAlbumWEBGenAWHBDD->setText(
        QStringLiteral("Générer un album WEB hiérarchique à partir du &critère hiérarchique '%1'...")
            .arg(CritereSelectionne()));
}

TfmVignetteFlottante::TFournisseur TfmExploreBDD::Fournisseur(int nPage)
{
    return [this, nPage](const QTreeWidgetItem *Item) {
        TNoeudVF n;
        const TNoeudDossier *p = NoeudDe(Item);
        if (!p || !p->Images || p->Images->empty())
            return n;
        n.lValide = true;
        const QStringList Cles = ClesNoeud(*p, m_Pages[size_t(nPage)].Listes);
        n.cIdentite = QString::number(nPage) + QLatin1Char(' ') + Cles.front();
        const QString cVignettes = m_Contexte.Dossiers.cDossierVignettes;
        n.fnListe = [Cles, cVignettes] {
            TListeVF l;
            l.nNombre = int(Cles.size());
            for (const QString &c : Cles) {
                const TEnrLST k = DecomposeCle(c);
                const QString cVig = NomVignette(cVignettes, k.nVolume, k.cChemin);
                const bool lVig = QFileInfo::exists(cVig);
                if (!lVig && k.nVolume != 0)
                    continue;
                l.Liste.append({k.cChemin.mid(k.cChemin.lastIndexOf(QLatin1Char('/')) + 1), lVig ? cVig : k.cChemin});
            }
            return l;
        };
        return n;
    };
}

bool TfmExploreBDD::eventFilter(QObject *Objet, QEvent *e)
{
    if (e->type() == QEvent::MouseMove)
        for (int nPage = pBDD; nPage < pAudit; ++nPage) {
            TPageExplore &p = m_Pages[size_t(nPage)];
            const QPoint pt = static_cast<QMouseEvent *>(e)->position().toPoint();
            if (Objet == p.tvBas->viewport()) {
                const QString c = BulleNoeudDossier(NoeudDe(p.tvBas->itemAt(pt)));
                if (c != p.tvBas->toolTip())
                    p.tvBas->setToolTip(c);
            } else if (nPage == pEXIF && Objet == p.tvHaut->viewport()) {
                const TNoeudEXIF *n = NoeudEXIFDe(p.tvHaut->itemAt(pt));
                const QString c =
                    n ? QStringLiteral("%1 - %2 image(s)").arg(n->cTexte).arg(n->Enr.nNbImages) : QString();
                if (c != p.tvHaut->toolTip())
                    p.tvHaut->setToolTip(c);
            }
        }
    return QDialog::eventFilter(Objet, e);
}

// ---- EXIF page ------------------------------------------------------------------------

void TfmExploreBDD::RemplitOrdreEXIF()
{
    m_lConstructionEXIF = true;
    tvEXIFOrdre->clear();
    QTreeWidgetItem *Parent = nullptr;
    for (const TNiveauxEXIF::TNiveau &n : m_Niveaux.Niveaux()) {
        auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(tvEXIFOrdre);
        Item->setText(0, TNiveauxEXIF::Nom(n.nIndEXIF));
        Item->setData(0, nRoleNoeud, n.nIndEXIF);
        Item->setFlags(Item->flags() | Qt::ItemIsUserCheckable);
        Item->setCheckState(0, n.lCoche ? Qt::Checked : Qt::Unchecked);
        Parent = Item;
    }
    tvEXIFOrdre->expandAll();
    tvEXIFOrdre->setCurrentItem(tvEXIFOrdre->topLevelItem(0));
    m_lConstructionEXIF = false;
    SelectionOrdreEXIF();
}

void TfmExploreBDD::SelectionOrdreEXIF()
{
    int nPos = -1;
    for (const QTreeWidgetItem *q = tvEXIFOrdre->currentItem(); q; q = q->parent())
        ++nPos;
    btEXIFOrdreMonter->setEnabled(nPos > 0);
    btEXIFOrdreDescendre->setEnabled(nPos >= 0 && nPos < nNbNiveauxEXIF - 1);
}

void TfmExploreBDD::DeplaceNiveau(int nSens)
{
    int nPos = -1;
    for (const QTreeWidgetItem *q = tvEXIFOrdre->currentItem(); q; q = q->parent())
        ++nPos;
    if (nPos < 0 || !(nSens < 0 ? m_Niveaux.Monte(nPos) : m_Niveaux.Descend(nPos)))
        return;
    RemplitOrdreEXIF();
    QTreeWidgetItem *Item = tvEXIFOrdre->topLevelItem(0);
    for (int i = 0; Item && i < nPos + nSens; ++i)
        Item = Item->child(0);
    tvEXIFOrdre->setCurrentItem(Item);
    btEXIFOrdreValider->setEnabled(true);
}

void TfmExploreBDD::btEXIFOrdreValDefClick()
{
    m_Niveaux.Reinitialise();
    RemplitOrdreEXIF();
    btEXIFOrdreValider->setEnabled(true);
}

const TValeursEXIF &TfmExploreBDD::ValeursEXIF()
{
    if (m_lValeursLues)
        return m_Valeurs;
    m_lValeursLues = true;
    TTacheLongue Garde;
    ggTrtLong->setMaximum(100);
    ggTrtLong->setValue(0);
    ggTrtLong->setVisible(true);
    const TContexteFocale Focale{m_Contexte.iniCFAPN.get(), m_Contexte.Parametres.lCoeffFocDansTable};
    m_Valeurs = LitValeursEXIF(m_Index, m_Ensembles.lstToutesImages, *m_Contexte.iniSetup, Focale,
                               [this](int nLus, int nTotal) {
                                   ggTrtLong->setMaximum(std::max(1, nTotal));
                                   ggTrtLong->setValue(nLus);
                                   TTacheLongue::TraiteEvenements();
                                   return Echap();
                               });
    ggTrtLong->setVisible(false);
    m_TableEXIF = TTableEXIF(m_Index, m_Ensembles.lstToutesImages, m_Valeurs);
    return m_Valeurs;
}

void TfmExploreBDD::btEXIFOrdreValiderClick()
{
    TCurseurOccupe Curseur;
    btEXIFOrdreValider->setEnabled(false);
    m_NiveauxConstruits = m_Niveaux.Utilises();
    if (m_Ensembles.lstToutesImages.empty())
        return;
    ValeursEXIF();
    TPageExplore &p = m_Pages[pEXIF];
    m_lConstructionEXIF = true;
    p.tvHaut->clear();
    m_ArboEXIF = ConstruitArboEXIF(m_TableEXIF, m_NiveauxConstruits);
    QTreeWidgetItem *Racine = nullptr;
    if (m_ArboEXIF) {
        AjouteNoeudsEXIF(nullptr, p.tvHaut, *m_ArboEXIF);
        Racine = p.tvHaut->topLevelItem(0);
        Racine->setExpanded(true);
    }
    p.tvHaut->setCurrentItem(Racine);
    m_lConstructionEXIF = false;
    if (Racine) {
        p.tvHaut->scrollToItem(Racine);
        p.tvHaut->setFocus();
    }
    SelectionHaut(pEXIF);
}

// ---- The feature ----------------------------------------------------------------------

TExploreBDDKX::TExploreBDDKX(TfmMainKX &Main, TContexte &Contexte, TIndexClassement &Index, const TArboCriteres *pArbo,
                             const TClassement *pClassement)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Index(Index), m_pArbo(pArbo), m_pClassement(pClassement)
{
    setObjectName(QStringLiteral("ExploreBDD"));
    fnExecute = [](TfmExploreBDD &Fenetre) { Fenetre.exec(); };
    miExploreBDD = new QAction(QStringLiteral("&Exploration de la base de données..."), this);
    miExploreBDD->setObjectName(QStringLiteral("miExploreBDD"));
    connect(miExploreBDD, &QAction::triggered, this, &TExploreBDDKX::Ouvre);
    btExploreBDD = AjouteBoutonBarre(
        Main.BarreSauvegardes(), "btExploreBDD", QStringLiteral("Base"),
        QStringLiteral("Exploration de la base de données, gestion fine des EXIF et audit"), miExploreBDD);
}

QList<QAction *> TExploreBDDKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::OutilsDivers)
        return {};
    return {miExploreBDD};
}

void TExploreBDDKX::Ouvre()
{
    TfmExploreBDD Fenetre(m_Contexte, m_Index, m_pArbo, m_pClassement, &m_Main, m_pOrdre);
    Fenetre.fnBulle = fnBulle;
    Fenetre.fnSuivreArbre = fnSuivreArbre;
    Fenetre.fnAide = fnAide;
    Fenetre.fnSauverPlanche = fnSauverPlanche;
    Fenetre.fnAlbumWEB = [this](QWidget *Parent, const QList<TEnrLV> &Images, const QString &cCritere) {
        TSourceDonneesAW Source;
        if (!cCritere.isEmpty()) {
            Source.nSource = saHierCritere;
            Source.cArgument = cCritere;
        } else {
            Source.nSource = saListeImages;
            for (const TEnrLV &e : Images)
                Source.lstImages.append({e, QImage(), fnBulle ? fnBulle(e) : QString(), QImage()});
        }
        OuvreAlbumWEB(m_Contexte, Parent, Source);
    };
    Fenetre.fnHistoAlbumsWEB = [this](QWidget *Parent) { OuvreHistoriqueAlbumsWEB(m_Contexte, Parent); };
    fnExecute(Fenetre);
}

TExploreBDDKX *InstalleExploreBDD(TfmMainKX &Main, TContexte &Contexte, TIndexClassement &Index,
                                  const TArboCriteres *pArbo, const TClassement *pClassement)
{
    auto *p = new TExploreBDDKX(Main, Contexte, Index, pArbo, pClassement);
    Main.Installe(p);
    return p;
}
