#include "exploration/ListeImages_fm.h"

#include "calendar/PleinEcran_fm.h"
#include "components/PanneauImage.h"

#include "components/GaugeWindow.h"
#include "components/PaneledListView.h"
#include "components/TacheLongue.h"
#include "exploration/ColonnesListe.h"
#include "exploration/Selection.h"
#include "imaging/FileKinds.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "metadata/Focale.h"
#include "storage/Contexte.h"
#include "storage/Settings.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <limits>

namespace
{
// The eight row icons: a page, with an arrow for a shortcut (1), a blue mark for metadata (2)
// and a red mark for catalogue data (4).
QList<QIcon> IconesLignes()
{
    QList<QIcon> l;
    for (int n = 0; n < 8; ++n) {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(90, 90, 90));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 10, 13));
        p.setPen(QColor(120, 150, 190));
        for (int y = 5; y <= 11; y += 3)
            p.drawLine(QPointF(4.5, y + 0.5), QPointF(10.5, y + 0.5));
        if (n & 1) {
            p.setPen(QPen(QColor(0, 110, 0), 1.6));
            p.drawLine(QPointF(1.5, 14.5), QPointF(6.5, 9.5));
            p.drawLine(QPointF(6.5, 9.5), QPointF(3.5, 9.5));
            p.drawLine(QPointF(6.5, 9.5), QPointF(6.5, 12.5));
        }
        if (n & 2) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 80, 220));
            p.drawEllipse(QRectF(10, 0.5, 5.5, 5.5));
        }
        if (n & 4) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(220, 30, 30));
            p.drawEllipse(QRectF(10, 10, 5.5, 5.5));
        }
        p.end();
        l << QIcon(pm);
    }
    return l;
}

QPushButton *PetitBouton(const QString &cTexte, const QString &cBulle, QWidget *Parent, int nLargeur = 24)
{
    auto *b = new QPushButton(cTexte, Parent);
    b->setToolTip(cBulle);
    b->setFixedSize(nLargeur, 22);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}
}

TListeImagesKX::TListeImagesKX(TfmMainKX &Main, TContexte &Contexte)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Selection(Main.Selection()), m_Modele(Main.Modele())
{
    m_Ctx.iniSetup = Contexte.iniSetup.get();
    m_Ctx.iniBDD = Contexte.iniBDD.get();
    m_Ctx.pVolumes = Contexte.Volumes.get();
    m_Ctx.cDossierVignettes = Contexte.Dossiers.cDossierVignettes;
    m_Ctx.Interrompre = [this] { return InterrompreListage(); };
    // A listing with a colour or pattern filter runs under the progress window, one step per
    // candidate.
    m_Ctx.OuvreProgression = [this](qint64 nMax) {
        m_Jauge = std::make_unique<TGaugeWindow>(&m_Main, m_Contexte.Messages.get());
        m_nJauge = 0;
        m_Jauge->Demarre(QStringLiteral("Traitement en cours"), 0, 0,
                         static_cast<int>(std::min<qint64>(nMax, std::numeric_limits<int>::max())));
    };
    m_Ctx.AvanceProgression = [this] {
        if (!m_Jauge)
            return m_lEchap;
        if (m_nJauge < std::numeric_limits<int>::max())
            m_Jauge->set_GaugeCurValue(m_nJauge++);
        // The search polls here only: the walk of exploration polls after each entry too.
        if (!m_lEchap && m_Jauge->Interrompu())
            m_lEchap = true;
        return m_lEchap;
    };
    m_Ctx.FermeProgression = [this] {
        if (m_Jauge)
            m_Jauge->Arrete();
        m_Jauge.reset();
    };
    TContexteFocale Focale;
    Focale.iniCFAPN = Contexte.iniCFAPN.get();
    Focale.lCoeffFocDansTable = Contexte.Parametres.lCoeffFocDansTable;
    BrancheMetadonnees(m_Ctx, Focale);

    const TEnrParametres &P = Contexte.Parametres;
    m_Modele.MetIcones(IconesLignes());
    m_Modele.MetOrdreCol(P.cOrdreCol);
    m_Modele.MetCleTri(P.nLVColTri);
    ConstruitControles();
    BrancheGrille();
    // A remade thumbnail may have brought the resolution the caption shows.
    connect(&m_Selection, &TSelectionKX::ImageChange, this, [this](const QString &cCle) {
        if (cCle == m_Selection.CleCourante())
            MetCaption();
    });
    MetStyle(P.lvImgs_ViewStyle);
    AppliqueColonnes();
    MajBoutons();
}

TListeImagesKX::~TListeImagesKX() = default;

void TListeImagesKX::ConstruitControles()
{
    lvImgs = m_Main.VueListe();
    plvVigs = m_Main.Grille();
    lvImgs->setModel(&m_Modele);
    lvImgs->setSelectionMode(QAbstractItemView::SingleSelection);
    lvImgs->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvImgs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvImgs->setIconSize(QSize(16, 16));
    lvImgs->header()->setSectionsMovable(false);
    lvImgs->header()->setSectionsClickable(true);
    lvImgs->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lvImgs->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pDetails = lvImgs;
    m_pVueDetails = lvImgs->viewport();
    m_pVueDetails->installEventFilter(this);
    lvImgs->setToolTipDuration(-1);
    connect(lvImgs->header(), &QHeaderView::sectionClicked, this, [this](int c) { lvImgsColumnClick(c); });
    connect(lvImgs, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { pmImgsPopup(lvImgs->viewport()->mapToGlobal(p)); });
    connect(lvImgs, &QAbstractItemView::doubleClicked, this, [this] { lvImgsDblClick(); });

    // The icon styles are a list view laid over the details view, on the same model and the
    // same selection, so that the main window places one control.
    lvImgsIcones = new QListView(lvImgs);
    lvImgsIcones->setObjectName(QStringLiteral("lvImgsIcones"));
    lvImgsIcones->setModel(&m_Modele);
    lvImgsIcones->setSelectionModel(lvImgs->selectionModel());
    lvImgsIcones->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvImgsIcones->setResizeMode(QListView::Adjust);
    lvImgsIcones->setContextMenuPolicy(Qt::CustomContextMenu);
    lvImgsIcones->viewport()->installEventFilter(this);
    lvImgsIcones->hide();
    connect(lvImgsIcones, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { pmImgsPopup(lvImgsIcones->viewport()->mapToGlobal(p)); });
    connect(lvImgsIcones, &QAbstractItemView::doubleClicked, this, [this] { lvImgsDblClick(); });
    lvImgs->installEventFilter(this);

    connect(lvImgs->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &Courant, const QModelIndex &) {
                m_Selection.MetLigneCourante(Courant.isValid() ? Courant.row() : -1);
                if (Courant.isValid() && !m_lListage && !m_Modele.EnCours())
                    lvImgsChange(Courant.row());
            });

    // Check buttons in the list's tool bar.
    QWidget *Barre = m_Main.BarreListe();
    auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr);
    btCocheTtesImgs = AjouteBoutonBarre(Barre, "btCocheTtesImgs", QStringLiteral("☑"),
                                        QStringLiteral("Cocher toutes les images"), new QAction(this), 0);
    btMenuCocheTtesImgs =
        PetitBouton(QStringLiteral("▾"), QStringLiteral("ajouter à la Sélection les images..."), Barre, 14);
    btDeCocheTtesImgs = AjouteBoutonBarre(Barre, "btDeCocheTtesImgs", QStringLiteral("☐"),
                                          QStringLiteral("Décocher toutes les images"), new QAction(this), 1);
    btMenuDeCocheTtesImgs =
        PetitBouton(QStringLiteral("▾"), QStringLiteral("enlever de la Sélection les images..."), Barre, 14);
    btCocheTtesImgs->setFixedSize(24, 22);
    btDeCocheTtesImgs->setFixedSize(24, 22);
    btMenuCocheTtesImgs->setObjectName(QStringLiteral("btMenuCocheTtesImgs"));
    btMenuDeCocheTtesImgs->setObjectName(QStringLiteral("btMenuDeCocheTtesImgs"));
    if (Disposition) {
        Disposition->insertWidget(1, btMenuCocheTtesImgs);
        Disposition->insertWidget(3, btMenuDeCocheTtesImgs);
    }
    connect(btCocheTtesImgs, &QPushButton::clicked, this, [this] { btCocheDeCocheTtesImgsClick(true); });
    connect(btDeCocheTtesImgs, &QPushButton::clicked, this, [this] { btCocheDeCocheTtesImgsClick(false); });
    connect(btMenuCocheTtesImgs, &QPushButton::clicked, this,
            [this] { btMenuCocheDeCocheTtesImgsClick(btMenuCocheTtesImgs, true); });
    connect(btMenuDeCocheTtesImgs, &QPushButton::clicked, this,
            [this] { btMenuCocheDeCocheTtesImgsClick(btMenuDeCocheTtesImgs, false); });

    pmMenuCocheDeCocheImgs = new QMenu(&m_Main);
    pmMenuCocheDeCocheImgs->setObjectName(QStringLiteral("pmMenuCocheDeCocheImgs"));
    pmImgs = new QMenu(&m_Main);
    pmImgs->setObjectName(QStringLiteral("pmImgs"));

    connect(&m_Modele, &TModeleListeImages::nbCochesChange, this, [this](int) { MajBoutons(); });
}

void TListeImagesKX::BrancheGrille()
{
    if (!plvVigs)
        return;
    plvVigs->set_Checks(true);
    plvVigs->set_UnSelectOnClickOut(false);
    // The grid keeps items of its own: it follows every change of the model's rows.
    connect(&m_Modele, &QAbstractItemModel::modelReset, this, [this] {
        if (plvVigs->Nombre() != m_Modele.Nombre())
            plvVigs->Vide();
    });
    connect(&m_Modele, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int nPremiere, int nDerniere) {
                for (int i = std::min(nDerniere, plvVigs->Nombre() - 1); i >= nPremiere; --i)
                    plvVigs->Supprime(plvVigs->Item(i));
            });
    connect(&m_Modele, &TModeleListeImages::ordreChange, this, [this](const std::vector<int> &nAnciens) {
        if (plvVigs->Nombre() == static_cast<int>(nAnciens.size()))
            plvVigs->Reordonne(nAnciens, true);
    });
    connect(&m_Modele, &TModeleListeImages::cocheChange, this, [this](int nLigne, bool lCoche) {
        if (TPLVListItem *p = plvVigs->Item(nLigne); p && p->lCoche() != lCoche)
            plvVigs->Coche(p, lCoche);
    });
    auto SuitCoche = [this](TPaneledListView *, TPLVListItem *p) {
        if (p && m_Modele.Coche(p->Index()) != p->lCoche())
            m_Modele.BasculeCoche(p->Index());
    };
    plvVigs->_OnItemCheck = SuitCoche;
    plvVigs->_OnItemUnCheck = SuitCoche;
    plvVigs->_OnItemChange = [this](TPaneledListView *, TPLVListItem *p) {
        if (!p || m_lSansRetour)
            return;
        SelectionneLigne(p->Index());
    };
    plvVigs->_OnItemDblClick = [this](TPaneledListView *, TPLVListItem *) { lvImgsDblClick(); };
    // The grid's pop-up holds what the features add to it.
    pmVigs = new QMenu(plvVigs);
    pmVigs->setObjectName(QStringLiteral("pmVigs"));
    plvVigs->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(plvVigs, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &p) { pmVigsPopup(plvVigs->viewport()->mapToGlobal(p)); });
}

void TListeImagesKX::pmVigsPopup(const QPoint &ptEcran)
{
    const TPanneauImage *Panneau = m_Main.PanneauImage();
    const bool lPanneau = Panneau && Panneau->rect().contains(Panneau->mapFromGlobal(ptEcran));
    if (pmVigsDeroule(lPanneau) > 0)
        pmVigs->popup(ptEcran);
}

int TListeImagesKX::pmVigsDeroule(bool lPanneau)
{
    pmVigs->clear();
    return RemplitPmVigs(pmVigs, m_Main.Fonctionnalites().Actions(TEmplacementAction::PopupVignettes), lPanneau);
}

bool TListeImagesKX::InterrompreListage()
{
    // Under the progress window Esc stops only once the user has confirmed it.
    if (m_Jauge) {
        if (m_Jauge->Interrompu())
            m_lEchap = true;
        return m_lEchap;
    }
    // Events are looked at every 50 ms: often enough to see Esc, rarely enough to cost nothing.
    TTacheLongue::TraiteEvenements();
    // Esc stops the walk at every level, so it stays noted once seen; a stop signal too.
    if (TTacheLongue::PrendEchap() || TTacheLongue::ArretDemande())
        m_lEchap = true;
    return m_lEchap;
}

int TListeImagesKX::ConstruitListe(const TDemandeListe &Demande)
{
    // A listing asked for while a task walks the rows (a hand-over, a click, a mode change
    // seen through the task's event pump) would rebuild them under it: it runs afterwards.
    if (TTacheLongue::EnCours()) {
        TTachesLongues::Etat().Differe(TTachesLongues::cCleListe, this, [this, Demande] { ConstruitListe(Demande); });
        return -1;
    }
    // The filter's masks are checked before anything changes: a wrong one keeps the list.
    if (m_Ctx.PrepareFiltre && !m_Ctx.PrepareFiltre(Demande.nMode))
        return -1;
    // The window takes no input but Esc while the list is built.
    TTacheLongue Tache;
    m_lListage = true;
    m_lEchap = false;
    m_Main.setWindowTitle(QStringLiteral("Vimbrel"));

    // The list's text colour tells the mode.
    QPalette Pal = lvImgs->palette();
    const QColor Couleur = Demande.nMode == TModeListe::Recherche      ? QColor(0, 0, 128)
                           : Demande.nMode == TModeListe::HistoriqueCD ? QColor(128, 0, 0)
                                                                       : m_Main.palette().color(QPalette::WindowText);
    Pal.setColor(QPalette::Text, Couleur);
    lvImgs->setPalette(Pal);
    lvImgsIcones->setPalette(Pal);

    m_Modele.MetCleTri(m_Contexte.Parametres.nLVColTri);
    const int n = ::ConstruitListe(m_Modele, m_Ctx, Demande);
    if (m_Ctx.LibereFiltre)
        m_Ctx.LibereFiltre();

    // Headers only with rows; visible columns fitted to their contents.
    AppliqueColonnes();

    // Thumbnails (they may drop rows when interrupted, after asking), then the resolution
    // sort.
    m_lListage = false;
    if (m_Modele.Nombre() > 0) {
        SelectionneLigne(0);
        if (fnChargeVignettes)
            fnChargeVignettes();
        // The thumbnails filled the resolutions the listing could not read: fit again.
        AppliqueColonnes();
        if (m_Modele.nLVColTri() == ColonnesListe::TriResolution)
            m_Modele.TrieListe();
        SelectionneLigne(0);
        if (plvVigs && plvVigs->Item(0)) {
            m_lSansRetour = true;
            plvVigs->Selectionne(plvVigs->Item(0));
            m_lSansRetour = false;
        }
    }

    // The first image shown, the caption naming the list, those waiting for the list told,
    // and the buttons brought up to date.
    if (m_Modele.Nombre() > 0)
        lvImgsChange(0);
    MetCaption();
    MajBoutons();
    m_Selection.SignaleListeConstruite(Demande.nMode);
    return n;
}

void TListeImagesKX::AppliqueColonnes()
{
    const bool lLignes = m_Modele.Nombre() > 0;
    lvImgs->setHeaderHidden(!lLignes);
    // A hidden column is a column of width 0, so that the header keeps one section per letter.
    lvImgs->header()->setMinimumSectionSize(0);
    for (int c = 0; c < m_Modele.columnCount(); ++c) {
        const bool lVisible = m_Modele.headerData(c, Qt::Horizontal, TModeleListeImages::RoleVisible).toBool();
        if (!lVisible)
            lvImgs->header()->resizeSection(c, 0);
        else if (lLignes)
            lvImgs->resizeColumnToContents(c);
        else if (lvImgs->header()->sectionSize(c) == 0)
            lvImgs->header()->resizeSection(c, lvImgs->header()->defaultSectionSize());
    }
}

void TListeImagesKX::MajBoutons()
{
    const bool lLignes = m_Modele.Nombre() > 0;
    for (QPushButton *b : {btCocheTtesImgs, btDeCocheTtesImgs, btMenuCocheTtesImgs, btMenuDeCocheTtesImgs})
        if (b)
            b->setEnabled(lLignes);
}

void TListeImagesKX::TrieListe()
{
    const int nCourante = LigneCourante();
    m_Modele.TrieListe();
    if (nCourante >= 0 && LigneCourante() >= 0)
        lvImgs->scrollTo(m_Modele.index(LigneCourante(), 0));
}

void TListeImagesKX::BasculeCoche(int nLigne)
{
    m_Modele.BasculeCoche(nLigne);
}

void TListeImagesKX::CocheSelon(bool lCocher, int nCritere)
{
    m_Modele.CocheSelon(lCocher, CritereCoche(nCritere, *m_Contexte.iniSetup));
}

void TListeImagesKX::ColonnesListe(const QString &cNouvelOrdre)
{
    m_Modele.ColonnesListe(cNouvelOrdre);
    m_Contexte.Parametres.cOrdreCol = m_Modele.cOrdreCol();
    AppliqueColonnes();
}

void TListeImagesKX::MetStyle(int nStyle)
{
    m_nStyle = std::clamp(nStyle, 0, 3);
    m_Contexte.Parametres.lvImgs_ViewStyle = m_nStyle;
    if (m_nStyle == 3) {
        lvImgsIcones->hide();
        return;
    }
    if (m_nStyle == 0) {
        lvImgsIcones->setViewMode(QListView::IconMode);
        lvImgsIcones->setIconSize(QSize(32, 32));
        lvImgsIcones->setGridSize(QSize(96, 64));
        lvImgsIcones->setWordWrap(true);
        lvImgsIcones->setFlow(QListView::LeftToRight);
        lvImgsIcones->setWrapping(true);
    } else {
        lvImgsIcones->setViewMode(QListView::ListMode);
        lvImgsIcones->setIconSize(QSize(16, 16));
        lvImgsIcones->setGridSize(QSize());
        lvImgsIcones->setWordWrap(false);
        // Small icons run in rows, the list style in columns.
        lvImgsIcones->setFlow(m_nStyle == 1 ? QListView::LeftToRight : QListView::TopToBottom);
        lvImgsIcones->setWrapping(true);
    }
    lvImgsIcones->setGeometry(lvImgs->rect());
    lvImgsIcones->show();
    lvImgsIcones->raise();
}

int TListeImagesKX::LigneCourante() const
{
    return m_Selection.LigneCourante();
}

void TListeImagesKX::SelectionneLigne(int nLigne)
{
    if (nLigne < 0 || nLigne >= m_Modele.Nombre())
        return;
    const QModelIndex i = m_Modele.index(nLigne, 0);
    lvImgs->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lvImgs->scrollTo(i);
    if (lvImgsIcones->isVisible())
        lvImgsIcones->scrollTo(i);
}

void TListeImagesKX::MetCaption()
{
    const int n = LigneCourante();
    if (m_Modele.Nombre() == 0 || n < 0) {
        m_Main.setWindowTitle(QStringLiteral("Vimbrel"));
    } else {
        const TEnrLV &e = m_Modele.Enr(n);
        const bool lTournee = m_Modele.fnTournee && m_Modele.fnTournee(e);
        m_Main.setWindowTitle(QStringLiteral("%1 [%2x%3] (%4/%5)")
                                  .arg(e.CheminComplet())
                                  .arg(lTournee ? e.nHauteur : e.nLargeur)
                                  .arg(lTournee ? e.nLargeur : e.nHauteur)
                                  .arg(n + 1)
                                  .arg(m_Modele.Nombre()));
    }
    QApplication::setApplicationDisplayName(QString());
}

void TListeImagesKX::lvImgsChange(int nLigne)
{
    if (nLigne < 0 || nLigne >= m_Modele.Nombre())
        return;
    if (plvVigs) {
        if (TPLVListItem *p = plvVigs->Item(nLigne)) {
            m_lSansRetour = true;
            plvVigs->Selectionne(p);
            m_lSansRetour = false;
            plvVigs->MontreItem(p);
        }
    }
    MetCaption();
}

void TListeImagesKX::lvImgsDblClick()
{
    const int n = LigneCourante();
    if (n >= 0)
        emit LigneActivee(n);
}

void TListeImagesKX::lvImgsColumnClick(int nColonne)
{
    const int nCle =
        ColonnesListe::CleDeColonne(m_Modele.headerData(nColonne, Qt::Horizontal, Qt::DisplayRole).toString());
    if (nCle < 0 || nCle == m_Modele.nLVColTri())
        return;
    miImgsTrierSurClick(nCle);
}

void TListeImagesKX::miImgsTrierSurClick(int nCle)
{
    m_Modele.MetCleTri(nCle);
    m_Contexte.Parametres.nLVColTri = m_Modele.nLVColTri();
    TrieListe();
}

void TListeImagesKX::miImgsColClick(QChar cLettre)
{
    ColonnesListe(ColonnesListe::BasculeLettre(m_Modele.cOrdreCol(), cLettre));
}

void TListeImagesKX::miImgsAffClick(int nStyle)
{
    MetStyle(nStyle);
}

void TListeImagesKX::miImgsAffBullesAideClick()
{
    m_Contexte.Parametres.lAffHintDsLVImgs = !m_Contexte.Parametres.lAffHintDsLVImgs;
}

void TListeImagesKX::pmImgsPopup(const QPoint &ptEcran)
{
    pmImgs->clear();
    QMenu *Tri = pmImgs->addMenu(QStringLiteral("Trier sur"));
    Tri->setEnabled(m_Modele.Nombre() > 0);
    const QStringList Titres = ColonnesListe::TitresMenuTri();
    for (int k = 0; k < Titres.size(); ++k) {
        QAction *a = Tri->addAction(Titres[k], this, [this, k] { miImgsTrierSurClick(k); });
        a->setCheckable(true);
        a->setChecked(k == m_Modele.nLVColTri());
        a->setData(k);
    }
    QMenu *Col = pmImgs->addMenu(QStringLiteral("Colonnes"));
    const QList<std::pair<QChar, QString>> Lettres = {{'E', QStringLiteral("&Emplacement")},
                                                      {'R', QStringLiteral("&Résol.")},
                                                      {'T', QStringLiteral("&Taille")},
                                                      {'D', QStringLiteral("D&ate")}};
    for (const auto &[c, cTitre] : Lettres) {
        QAction *a = Col->addAction(cTitre, this, [this, c] { miImgsColClick(c); });
        a->setCheckable(true);
        a->setChecked(m_Modele.cOrdreCol().contains(c));
    }
    QMenu *Aff = pmImgs->addMenu(QStringLiteral("Affichage"));
    const QStringList Styles = {QStringLiteral("&Icônes"), QStringLiteral("&Petites icônes"), QStringLiteral("&Liste"),
                                QStringLiteral("&Détails")};
    for (int s = 0; s < Styles.size(); ++s) {
        QAction *a = Aff->addAction(Styles[s], this, [this, s] { miImgsAffClick(s); });
        a->setCheckable(true);
        a->setChecked(s == m_nStyle);
    }
    QAction *Bulles = pmImgs->addAction(QStringLiteral("&Bulles d'aide"), this, [this] { miImgsAffBullesAideClick(); });
    Bulles->setCheckable(true);
    Bulles->setChecked(m_Contexte.Parametres.lAffHintDsLVImgs);
    m_Main.Fonctionnalites().AjouteAuMenu(pmImgs, TEmplacementAction::PopupImages);
    pmImgs->popup(ptEcran);
}

void TListeImagesKX::btCocheDeCocheTtesImgsClick(bool lCocher)
{
    CocheSelon(lCocher, 0);
}

void TListeImagesKX::btMenuCocheDeCocheTtesImgsClick(QPushButton *Bouton, bool lCocher)
{
    pmMenuCocheDeCocheImgs->clear();
    pmMenuCocheDeCocheImgs->setTitle(Bouton->toolTip());
    pmMenuCocheDeCocheImgs->addSection(Bouton->toolTip());
    // A menu leaves its section titles out of its width: the title sets the width itself.
    QFont Gras = pmMenuCocheDeCocheImgs->font();
    Gras.setBold(true);
    const QStyle *Style = pmMenuCocheDeCocheImgs->style();
    const int nBords = 2
                       * (Style->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, pmMenuCocheDeCocheImgs)
                          + Style->pixelMetric(QStyle::PM_MenuHMargin, nullptr, pmMenuCocheDeCocheImgs));
    pmMenuCocheDeCocheImgs->setMinimumWidth(QFontMetrics(Gras).horizontalAdvance(Bouton->toolTip()) + nBords + 16);
    const QStringList Items = {
        QStringLiteral("&Toutes"),       QStringLiteral("&Coups de coeur"),    QStringLiteral("&avec Critères"),
        QStringLiteral("&sans Critère"), QStringLiteral("avec &Méta-données"), QStringLiteral("sans Méta-&données"),
        QStringLiteral("&JPEG"),         QStringLiteral("&RAW, TIF, PNG")};
    for (int n = 0; n < Items.size(); ++n)
        pmMenuCocheDeCocheImgs->addAction(Items[n], this, [this, lCocher, n] { CocheSelon(lCocher, n); })->setData(n);
    pmMenuCocheDeCocheImgs->popup(Bouton->mapToGlobal(QPoint(0, Bouton->height())));
}

int TListeImagesKX::LigneSousCoche(const QPoint &ptVue) const
{
    const QModelIndex i = lvImgs->indexAt(ptVue);
    if (!i.isValid())
        return -1;
    const QRect r = lvImgs->visualRect(m_Modele.index(i.row(), 0));
    const int nLarg = lvImgs->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6;
    return (ptVue.x() >= r.left() && ptVue.x() < r.left() + nLarg) ? i.row() : -1;
}

bool TListeImagesKX::lvImgsMouseDown(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || e->modifiers() != Qt::NoModifier || m_nStyle != 3)
        return false;
    const int n = LigneSousCoche(e->position().toPoint());
    if (n < 0)
        return false;
    BasculeCoche(n);
    return true;
}

bool TListeImagesKX::lvImgsMouseMove(QMouseEvent *e)
{
    if (!(e->buttons() & Qt::LeftButton) || m_nStyle != 3)
        return false;
    const int n = LigneSousCoche(e->position().toPoint());
    if (n < 0 || n == m_Modele.nDerniereBasculee())
        return n >= 0;
    BasculeCoche(n);
    // At the edge of the visible rows the list moves by one row.
    const QModelIndex Haut = lvImgs->indexAt(QPoint(1, 1));
    const QModelIndex Bas = lvImgs->indexAt(QPoint(1, lvImgs->viewport()->height() - 2));
    if ((Haut.isValid() && n == Haut.row() && n > 0)
        || (Bas.isValid() && n == Bas.row() && n + 1 < m_Modele.Nombre())) {
        QScrollBar *b = lvImgs->verticalScrollBar();
        b->setValue(b->value() + (n == Haut.row() ? -1 : 1));
        m_Modele.OublieDerniereBasculee();
    }
    return true;
}

bool TListeImagesKX::eventFilter(QObject *Objet, QEvent *Evenement)
{
    const QEvent::Type t = Evenement->type();
    // Only cached pointers are compared here: the filter also sees the views' destruction.
    if (Objet == m_pDetails && t == QEvent::Resize && lvImgsIcones)
        lvImgsIcones->setGeometry(lvImgs->rect());
    if (Objet == m_pVueDetails && m_pVueDetails) {
        if (t == QEvent::MouseButtonPress && lvImgsMouseDown(static_cast<QMouseEvent *>(Evenement)))
            return true;
        if (t == QEvent::MouseButtonDblClick
            && LigneSousCoche(static_cast<QMouseEvent *>(Evenement)->position().toPoint()) >= 0)
            return true;
        if (t == QEvent::MouseMove && lvImgsMouseMove(static_cast<QMouseEvent *>(Evenement)))
            return true;
        if (t == QEvent::ToolTip && !m_Contexte.Parametres.lAffHintDsLVImgs)
            return true;
    }
    return QObject::eventFilter(Objet, Evenement);
}
