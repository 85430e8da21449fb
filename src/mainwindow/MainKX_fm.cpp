#include "mainwindow/MainKX_fm.h"

#include "calendar/Calendrier_fm.h"
#include "calendar/PleinEcran_fm.h"
#include "exploration/Exploration_fm.h"
#include "exploration/Selection.h"
#include "thumbnails/ThumbnailCache_fm.h"

#include "components/MarkupHint.h"
#include "components/ComboZoom.h"
#include "components/DispositionFlux.h"
#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/RapportZoom.h"
#include "components/MessagesQt.h"
#include "components/PaneledListView.h"
#include "components/TacheLongue.h"
#include "mainwindow/Demarrage_fm.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MenuPrincipal.h"
#include "mainwindow/Aide_fm.h"
#include "classification/MotsClesRech_fm.h"
#include "mainwindow/Parametres_fm.h"
#include "platform/DesktopEntry.h"
#include "classification/EditionCriteres.h"
#include "classification/Classement_fm.h"
#include "classification/MemoEtat_fm.h"
#include "classification/MigrationArbo.h"
#include "imaging/FileKinds.h"
#include "classification/CommandesRech_fm.h"
#include "classification/ExploreBDD_fm.h"
#include "classification/Recherche_fm.h"
#include "publishing/Renommage_fm.h"
#include "publishing/AlbumImages_fm.h"
#include "classification/LegendesRech_fm.h"
#include "classification/ArboCriteres.h"
#include "publishing/AlbumWEB_fm.h"
#include "publishing/AlbumsWebPerso_fm.h"
#include "publishing/BulleImage_fm.h"
#include "publishing/CopieImages_fm.h"
#include "publishing/SuppressionImages_fm.h"
#include "cdhistory/HistoCD_fm.h"
#include "metadata/ExtraitDonGeneEtMD_fm.h"
#include "metadata/GereDonGeneEtMD_fm.h"
#include "metadata/ProprietesImage_fm.h"
#include "platform/MemoSonore.h"
#include "treatments/Traitements_fm.h"
#include "components/Separateur.h"
#include "platform/Couleurs.h"
#include "platform/SauvegardeSortie.h"
#include "platform/VolumesFactices.h"
#include "storage/Contexte.h"
#include "storage/DeplacementDonnees.h"
#include "components/GaugeWindow.h"
#include "storage/Migrations.h"

#include <QAbstractItemModel>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextStream>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdlib>
#include <ctime>

namespace
{

constexpr int nHauteurTraitements = 34;
constexpr int nHauteurEtat = 96;
constexpr int nLargeurVigsCrit = 180;

// "<SG>Outils divers :</SG/>" and, for each item, a line "     - " with its caption without
// its final "..." and its "&".
QString BulleOutilsDivers(const QList<QAction *> &Actions)
{
    QString c = QStringLiteral("<SG>Outils divers :</SG/>");
    for (const QAction *a : Actions)
        if (!a->isSeparator())
            c += QStringLiteral("\r\n     - ")
                 + a->text().chopped(std::min<qsizetype>(3, a->text().size())).remove(QLatin1Char('&'));
    return c;
}

QWidget *PageVide(const QString &cNom)
{
    auto *Page = new QWidget;
    Page->setObjectName(cNom);
    return Page;
}

} // namespace

TfmMainKX::TfmMainKX(TContexte &Contexte, QWidget *Parent) : QMainWindow(Parent), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("fmMainKX"));
    fnSauveStores = [this](QStringList *pRaisons) { return m_Contexte.SauveStores(pRaisons); };
    fnExecute = [](const QString &cProgramme, const QStringList &Arguments) {
        return QProcess::execute(cProgramme, Arguments);
    };
    cDossierApplications = DossierApplicationsUtilisateur();
    ConstruitFenetre();
    // Made after the views, so that the views go first when the window is destroyed.
    m_pModele = new TModeleListeImages(this);
    m_pSelection = new TSelectionKX(*m_pModele, this);
    m_pSelection->setObjectName(QStringLiteral("Selection"));
}

TfmMainKX::~TfmMainKX()
{
    // A stop latched for this window ends with it, even if its close never got to run.
    TTachesLongues::Etat().OublieArret();
}

void TfmMainKX::ConstruitFenetre()
{
    mmMain = menuBar();
    mmMain->setObjectName(QStringLiteral("mmMain"));
    // The zoom keys belong to the window, ahead of the tabs' and the lists' own Ctrl keys;
    // they are taken even while the zoom list is disabled.
    for (int nTouche : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home}) {
        auto *a = new QAction(this);
        a->setShortcut(QKeySequence(Qt::CTRL | nTouche));
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, [this, nTouche] { ToucheZoom(nTouche); });
        addAction(a);
    }

    auto *Centre = new QWidget(this);
    Centre->setObjectName(QStringLiteral("pnCentre"));
    setCentralWidget(Centre);
    auto *Ligne = new QHBoxLayout(Centre);
    Ligne->setContentsMargins(0, 0, 0, 0);
    Ligne->setSpacing(0);

    // Command pane: the three pages, their splitter, the list's tool bar and the list.
    pnCommandes = new TExpColPanel(paLeft, Centre);
    pnCommandes->setObjectName(QStringLiteral("pnCommandes"));
    pnCommandes->set_LargHautRef(297);
    auto *Commandes = new QVBoxLayout(pnCommandes);
    // A pane's layout fills its contents, which already keep clear of its strip.
    Commandes->setContentsMargins(0, 0, 0, 0);
    Commandes->setSpacing(0);
    pcExplRech = new QTabWidget(pnCommandes);
    pcExplRech->setObjectName(QStringLiteral("pcExplRech"));
    tsExpl = PageVide(QStringLiteral("tsExpl"));
    tsRech = PageVide(QStringLiteral("tsRech"));
    tsHistoCD = PageVide(QStringLiteral("tsHistoCD"));
    pcExplRech->addTab(tsExpl, QStringLiteral("Exploration"));
    pcExplRech->addTab(tsRech, QStringLiteral("Recherche"));
    pcExplRech->addTab(tsHistoCD, QStringLiteral("CDs"));
    pcExplRech->setFixedHeight(361);
    spExplRech = new TSeparateur(
        Qt::Horizontal, [this] { return pcExplRech->height(); }, [this](int n) { pcExplRech->setFixedHeight(n); },
        pnCommandes);
    spExplRech->setObjectName(QStringLiteral("spExplRech"));
    spExplRech->setMinimum(60);
    pnLVImgsCmdes = new QWidget(pnCommandes);
    pnLVImgsCmdes->setObjectName(QStringLiteral("pnLVImgsCmdes"));
    // The features' buttons wrap onto a second row rather than being cut off in a narrow pane.
    auto *Outils = new TDispositionFlux(pnLVImgsCmdes);
    Outils->setContentsMargins(2, 1, 2, 1);
    Outils->setSpacing(2);
    Outils->addStretch(1);
    m_pnZoneLVImgs = new QWidget(pnCommandes);
    m_pnZoneLVImgs->setObjectName(QStringLiteral("pnZoneLVImgs"));
    m_pnZoneLVImgs->installEventFilter(this);
    Commandes->addWidget(pcExplRech);
    Commandes->addWidget(spExplRech);
    Commandes->addWidget(pnLVImgsCmdes);
    Commandes->addWidget(m_pnZoneLVImgs, 1);

    // The image list lies above the rest of the window, not inside the pane, so that it can
    // widen over the thumbnails while the mouse is over it.
    lvImgs = new QTreeView(Centre);
    lvImgs->setObjectName(QStringLiteral("lvImgs"));
    lvImgs->setRootIsDecorated(false);
    lvImgs->setUniformRowHeights(true);
    lvImgs->setAllColumnsShowFocus(true);
    lvImgs->setMouseTracking(true);
    lvImgs->installEventFilter(this);

    spCommandes = new TSeparateur(
        Qt::Vertical, [this] { return pnCommandes->_LargHautRef(); },
        [this](int n) {
            pnCommandes->set_LargHautRef(n);
            AppliqueTaillesMinimales();
        },
        Centre);
    spCommandes->setObjectName(QStringLiteral("spCommandes"));
    spCommandes->setMinimum(nLargMinCommandes);
    spCommandes->PrendPoignee(pnCommandes->Bande());

    // Right-hand area: treatment bar, thumbnails and image, state pane.
    pnDroite = new QWidget(Centre);
    pnDroite->setObjectName(QStringLiteral("pnDroite"));
    auto *Droite = new QVBoxLayout(pnDroite);
    Droite->setContentsMargins(0, 0, 0, 0);
    Droite->setSpacing(0);

    pnTraitements = new TExpColPanel(paTop, pnDroite);
    pnTraitements->setObjectName(QStringLiteral("pnTraitements"));
    pnTraitements->set_LargHautRef(nHauteurTraitements);
    // In a narrow window its groups wrap onto a second row instead of being cut off.
    auto *Traitements = new TDispositionFlux(pnTraitements);
    Traitements->setContentsMargins(12, 2, 4, 2);
    ggChrgImg = new QProgressBar(pnTraitements);
    ggChrgImg->setObjectName(QStringLiteral("ggChrgImg"));
    ggChrgImg->setTextVisible(false);
    ggChrgImg->setFixedSize(80, 10);
    ggChrgImg->hide();
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), pnTraitements);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    connect(btQuitter, &QPushButton::clicked, this, &TfmMainKX::btQuitterClick);
    LieBoutonAction(btQuitter, new QAction(QStringLiteral("&Quitter"), this));
    btOutilsDivers = new QPushButton(QStringLiteral("Outils"), pnTraitements);
    btOutilsDivers->setObjectName(QStringLiteral("btOutilsDivers"));
    btOutilsDivers->setFocusPolicy(Qt::NoFocus);
    pmOutilsDivers = new QMenu(btOutilsDivers);
    pmOutilsDivers->setObjectName(QStringLiteral("pmOutilsDivers"));
    btOutilsDivers->setMenu(pmOutilsDivers);
    connect(pmOutilsDivers, &QMenu::aboutToShow, this, &TfmMainKX::pmOutilsDiversPopup);
    btAide = new QPushButton(QStringLiteral("?"), pnTraitements);
    btAide->setObjectName(QStringLiteral("btAide"));
    btAide->setCheckable(true);
    btAide->setFocusPolicy(Qt::NoFocus);
    btAide->setMaximumWidth(btAide->sizeHint().height() + 4);
    btAide->setToolTip(QStringLiteral("Afficher de l'aide sur le rôle d'un contrôle"));
    m_pAide = new TAideKX(this, btAide);
    btParametres = new QPushButton(QStringLiteral("Paramètres"), pnTraitements);
    btParametres->setObjectName(QStringLiteral("btParametres"));
    btParametres->setFocusPolicy(Qt::NoFocus);
    connect(btParametres, &QPushButton::clicked, this, &TfmMainKX::btParametresClick);
    LieBoutonAction(btParametres, new QAction(QStringLiteral("&Paramètres..."), this));
    pnVersion = new QLabel(cVersionProgramme, pnTraitements);
    pnVersion->setObjectName(QStringLiteral("pnVersion"));
    pnVersion->setFrameShape(QFrame::StyledPanel);
    pnVersion->setFrameShadow(QFrame::Sunken);
    pnVersion->setAlignment(Qt::AlignCenter);
    pnVersion->setMinimumWidth(56);
    QFont Gras = pnVersion->font();
    Gras.setBold(true);
    pnVersion->setFont(Gras);
    m_pnSauvegardes = new QWidget(pnTraitements);
    m_pnSauvegardes->setObjectName(QStringLiteral("pnSauvegardes"));
    auto *Sauvegardes = new QHBoxLayout(m_pnSauvegardes);
    Sauvegardes->setContentsMargins(0, 0, 0, 0);
    Traitements->addWidget(m_pnSauvegardes);
    m_pnBoutonsTrt = new QWidget(pnTraitements);
    m_pnBoutonsTrt->setObjectName(QStringLiteral("pnBoutonsTrt"));
    auto *BoutonsTrt = new QHBoxLayout(m_pnBoutonsTrt);
    BoutonsTrt->setContentsMargins(0, 0, 0, 0);
    BoutonsTrt->setSpacing(1);
    Traitements->addWidget(m_pnBoutonsTrt);
    cbZoom = new TComboZoom(pnTraitements);
    cbZoom->setObjectName(QStringLiteral("cbZoom"));
    cbZoom->setEnabled(false);
    Traitements->addWidget(cbZoom);
    Traitements->addStretch(1);
    Traitements->addWidget(ggChrgImg);
    Traitements->addWidget(btAide);
    Traitements->addWidget(btOutilsDivers);
    Traitements->addWidget(btParametres);
    Traitements->addWidget(btQuitter);
    Traitements->addWidget(pnVersion);
    // As high as its buttons need with the style and font in use, never lower than the bar
    // was drawn.
    AjusteBarreTraitements();

    m_pnZoneVisu = new QWidget(pnDroite);
    m_pnZoneVisu->setObjectName(QStringLiteral("pnZoneVisu"));
    pnVigs = new TExpColPanel(paTop, m_pnZoneVisu);
    pnVigs->setObjectName(QStringLiteral("pnVigs"));
    plvVigs = new TPaneledListView(pnVigs);
    plvVigs->setObjectName(QStringLiteral("plvVigs"));
    pnVigsCrit = new TExpColPanel(paRight, pnVigs);
    pnVigsCrit->setObjectName(QStringLiteral("pnVigsCrit"));
    pnVigsCrit->set_LargHautRef(nLargeurVigsCrit);
    tvVigsCrit = new QTreeWidget(pnVigsCrit);
    tvVigsCrit->setObjectName(QStringLiteral("tvVigsCrit"));
    tvVigsCrit->setHeaderHidden(true);
    auto *VigsCrit = new QVBoxLayout(pnVigsCrit);
    VigsCrit->setContentsMargins(0, 0, 0, 0);
    VigsCrit->addWidget(tvVigsCrit);
    spVigs = new TSeparateur(
        Qt::Horizontal, [this] { return pnVigs->_LargHautRef(); },
        [this](int n) {
            pnVigs->set_LargHautRef(n);
            AppliqueTaillesMinimales();
        },
        m_pnZoneVisu);
    spVigs->setObjectName(QStringLiteral("spVigs"));
    sbImage = new TPanneauImage(m_pnZoneVisu);
    sbImage->setObjectName(QStringLiteral("sbImage"));

    pnEtat = new TExpColPanel(paBottom, pnDroite);
    pnEtat->setObjectName(QStringLiteral("pnEtat"));
    pnEtat->set_LargHautRef(nHauteurEtat);
    auto *Etat = new QVBoxLayout(pnEtat);
    Etat->setContentsMargins(0, 0, 0, 0);
    pcEtat = new QTabWidget(pnEtat);
    pcEtat->setObjectName(QStringLiteral("pcEtat"));
    pcEtat->setDocumentMode(true);
    Etat->addWidget(pcEtat);

    Droite->addWidget(pnTraitements);
    Droite->addWidget(m_pnZoneVisu, 1);
    Droite->addWidget(pnEtat);

    Ligne->addWidget(pnCommandes);
    Ligne->addWidget(spCommandes);
    Ligne->addWidget(pnDroite, 1);

    PlaceVigs(0);
    // The help of the window's parts (a negative context is a pop-up topic).
    FixeContexteAide(pnLVImgsCmdes, 12);
    FixeContexteAide(lvImgs, 13);
    FixeContexteAide(pnTraitements, 14);
    FixeContexteAide(plvVigs, -15);
    FixeContexteAide(tvVigsCrit, -16);
    FixeContexteAide(sbImage, -17);
    FixeContexteAide(tsExpl, 111);
    FixeContexteAide(tsRech, 112);
    FixeContexteAide(tsHistoCD, 113);
    connect(pnCommandes, &TExpColPanel::_OnCollapsed, this, &TfmMainKX::pnCommandes_OnCollapsedExpanded);
    connect(pnCommandes, &TExpColPanel::_OnExpanded, this, &TfmMainKX::pnCommandes_OnCollapsedExpanded);
    connect(pnVigs, &TExpColPanel::_OnCollapsed, this, &TfmMainKX::pnVigs_OnCollapsedExpanded);
    connect(pnVigs, &TExpColPanel::_OnExpanded, this, &TfmMainKX::pnVigs_OnCollapsedExpanded);
    for (TExpColPanel *Panneau : {pnTraitements, pnEtat, pnVigsCrit}) {
        connect(Panneau, &TExpColPanel::_OnCollapsed, this, &TfmMainKX::AppliqueTaillesMinimales);
        connect(Panneau, &TExpColPanel::_OnExpanded, this, &TfmMainKX::AppliqueTaillesMinimales);
    }
    connect(spExplRech, &TSeparateur::Deplace, this, &TfmMainKX::AppliqueTaillesMinimales);
    // Whatever changes a pane's size (its splitter, a menu, a feature) re-applies the rules.
    for (QWidget *Panneau : {static_cast<QWidget *>(pnCommandes), static_cast<QWidget *>(pnTraitements),
                             static_cast<QWidget *>(pnVigs), static_cast<QWidget *>(pcExplRech)})
        Panneau->installEventFilter(this);
}

void TfmMainKX::PlaceVigs(int nAlign)
{
    // Thumbnails at the top: criteria tree at their right; at the left: criteria tree below.
    delete m_pnZoneVisu->layout();
    delete pnVigs->layout();
    const bool lGauche = nAlign == 1;
    pnVigs->set_Align(lGauche ? paLeft : paTop);
    pnVigsCrit->set_Align(lGauche ? paBottom : paRight);
    pnVigsCrit->set_LargHautRef(lGauche ? nLargeurVigsCrit * 2 / 3 : nLargeurVigsCrit);
    QBoxLayout *Vigs = lGauche ? static_cast<QBoxLayout *>(new QVBoxLayout(pnVigs))
                               : static_cast<QBoxLayout *>(new QHBoxLayout(pnVigs));
    Vigs->setContentsMargins(0, 0, 0, 0);
    Vigs->setSpacing(0);
    Vigs->addWidget(plvVigs, 1);
    Vigs->addWidget(pnVigsCrit);

    QBoxLayout *Visu = lGauche ? static_cast<QBoxLayout *>(new QHBoxLayout(m_pnZoneVisu))
                               : static_cast<QBoxLayout *>(new QVBoxLayout(m_pnZoneVisu));
    Visu->setContentsMargins(0, 0, 0, 0);
    Visu->setSpacing(0);
    delete spVigs;
    spVigs = new TSeparateur(
        lGauche ? Qt::Vertical : Qt::Horizontal, [this] { return pnVigs->_LargHautRef(); },
        [this](int n) {
            pnVigs->set_LargHautRef(n);
            AppliqueTaillesMinimales();
        },
        m_pnZoneVisu);
    spVigs->setObjectName(QStringLiteral("spVigs"));
    spVigs->PrendPoignee(pnVigs->Bande());
    spVigs->setVisible(pnVigs->_PanelState() == psExpanded);
    const int nMin = LargHautMinPanneauVignettes(TailleVignette(m_Contexte.Parametres.nIndTailleVigs));
    spVigs->setMinimum(nMin);
    Visu->addWidget(pnVigs);
    Visu->addWidget(spVigs);
    Visu->addWidget(sbImage, 1);
    m_Contexte.Parametres.pnVigs_Align = lGauche ? 1 : 0;
    if (pnVigs->_LargHautRef() < nMin)
        pnVigs->set_LargHautRef(nMin);
    AppliqueTaillesMinimales();
}

void TfmMainKX::FormCreate(TfmDemarrage *fmDemarrage)
{
    TEnrParametres &P = m_Contexte.Parametres;
    const auto Etape = [fmDemarrage](int n, const std::function<void()> &Travail) {
        if (fmDemarrage)
            fmDemarrage->Etape(n, Travail);
        else if (Travail)
            Travail();
    };

    // Random numbers for the features that draw them.
    std::srand(unsigned(std::time(nullptr)));
    // The folders (the data folder first, then the cache, pattern and icon folders) and the
    // hint hook, so that marked-up hints show styled.
    m_Contexte.FixeDossiers();
    InstalleMarkupHint(qApp);
    // The splash shows its first step before the stores are read.
    Etape(0, {});
    // The three stores, saved explicitly only.
    m_Contexte.OuvreStores();
    m_Contexte.SignaleFichiersIllisibles(this);
    // The caption names the program alone until a list names its images.
    setWindowTitle(QStringLiteral("Vimbrel"));
    // The settings, then the pane sizes they give.
    m_Contexte.LitParametres();
    pnCommandes->set_LargHautRef(std::max(P.pnCommandes_Width, nLargMinCommandes));
    pcExplRech->setFixedHeight(std::max(P.pcExplRech_Height, spExplRech->Minimum()));
    pcExplRech->setCurrentWidget(tsExpl);
    // The criteria tree of older versions moves into the settings store now: it reads
    // the stored version, which the version migrations below overwrite. The camera model
    // list, the saved keyword sets and the image-list settings belong to the exploration,
    // criteria and keyword features, which read them from the settings record; the tree is
    // loaded by the page "Recherche" once the settings are final.
    if (m_Contexte.iniSetup && m_Contexte.Messages)
        MigreArboCriteres(*m_Contexte.iniSetup, m_Contexte.Dossiers.cDossierDonnees, *m_Contexte.Messages, this);

    // Version migrations; the settings they may have changed are read again.
    Etape(1, [this] {
        TContexteMigration Migration{*m_Contexte.iniSetup, *m_Contexte.iniBDD, m_Contexte.Dossiers};
        Migration.fnEstImage = [](const QString &c) { return EstImage(c); };
        Migration.fnEstJPEG = [](const QString &c) { return EstJPEG(c); };
        ExecuteMigrations(Migration, ListeMigrations(), cVersionProgramme);
        m_lMigrationsFaites = !Migration.lEchec;
        m_Contexte.LitParametres();
    });
    // Criteria edits a crash left stored in one file only are finished before the tree loads.
    if (m_Contexte.iniSetup && m_Contexte.iniBDD) {
        TJournalCriteres Journal(m_Contexte.Dossiers.cDossierDonnees + cNomJournalCriteres);
        QString cMessage;
        RejoueJournalCriteres(Journal, *m_Contexte.iniSetup, *m_Contexte.iniBDD, cMessage);
        if (!cMessage.isEmpty() && m_Contexte.Messages)
            m_Contexte.Messages->Erreur(this, cMessage);
    }

    // Thumbnail grid and thumbnail pane.
    AppliqueParametresVignettes();
    // Mode and main menu.
    ShowMode();
    mmMain->setVisible(P.lMenuCipalVisible);

    // A renaming batch the last run left unfinished: its files' data go to their present names
    // first, or the clean-up below would take them for vanished images' data.
    RepriseRenommage(m_Contexte);

    // Clean-up of the data of vanished images (never without the volumes to judge them).
    TVolumesFactices SansVolumes;
    TTestDisparition Test = PrepareNettoyage(
        *m_Contexte.iniSetup, m_Contexte.Volumes ? *m_Contexte.Volumes : static_cast<const IVolumes &>(SansVolumes));
    Etape(2, [&] { NettoieParametres(*m_Contexte.iniSetup, Test, ResultatNettoyage); });
    Etape(3, [&] { NettoieCatalogue(*m_Contexte.iniBDD, Test, ResultatNettoyage); });
    Etape(4, [&] {
        NettoieVignettes(m_Contexte.Dossiers.cDossierVignettes, m_Contexte.fnImageDeVignette, Test, ResultatNettoyage);
    });
    if (fmDemarrage && ResultatNettoyage.Total() > 0)
        fmDemarrage->AfficheTexte(
            QStringLiteral("%1 information(s) d'images inexistantes supprimée(s).").arg(ResultatNettoyage.Total()));

    // The features, with the settings as migrated: the exploration page with the image list,
    // the thumbnail commands, which load the thumbnails of its listings, the page
    // "Recherche" with the criteria tree, and the classification commands that read it.
    TExplorationKX *Exploration = InstalleExploration(*this, m_Contexte);
    TVignettesKX *Vignettes = InstalleVignettes(*this, m_Contexte, Exploration->Liste());
    TRechercheKX *Recherche = InstalleRecherche(*this, m_Contexte);
    TCommandesRechKX *CommandesRech = InstalleCommandesRech(*this, m_Contexte, *Recherche, Exploration->Liste());
    TClassementKX *Classement = InstalleClassement(*this, m_Contexte, Exploration->Liste(), *Recherche);
    m_pMemoEtat = InstalleMemoEtat(*this, m_Contexte, Classement->Classement());
    TBulleImageKX *BulleImage = InstalleBulleImage(*this, m_Contexte, &Classement->Classement());
    TSuppressionImagesKX *Suppression = InstalleSuppressionImages(*this, m_Contexte);
    InstalleHistoCD(*this, m_Contexte, Exploration->Liste());
    TRenommageImagesKX *Renommage = InstalleRenommageImages(*this, m_Contexte);
    InstalleAlbumWEB(*this, m_Contexte);
    TCopieImagesKX *Copie = InstalleCopieImages(*this, m_Contexte);
    // The image album follows the files that deleting, renaming, dating and copying change.
    TAlbumImagesKX *AlbumImages = InstalleAlbumImages(*this, m_Contexte, Vignettes, Classement);
    Suppression->pAlbum = &AlbumImages->Album();
    Renommage->pAlbum = &AlbumImages->Album();
    Copie->pAlbum = &AlbumImages->Album();
    // The image hint names the image albums holding the image; the album's pages show it too.
    BulleImage->Sources.fnAlbumsImages = [Album = &AlbumImages->Album()](const QString &cCle) {
        return Album->AlbumsDeImage(cCle);
    };
    AlbumImages->Album().fnBulle = [BulleImage](const TEnrLV &Enr) { return BulleImage->Bulle(Enr); };
    // The personal web albums: after the web album's menu and the image album whose hints they refresh.
    TAlbumsWebPersoKX *AlbumsPerso = InstalleAlbumsWebPerso(*this, m_Contexte);
    connect(AlbumsPerso, &TAlbumsWebPersoKX::AlbumsModifies, BulleImage, &TBulleImageKX::MajBullePanneau);
    TProprietesImageKX *Proprietes =
        InstalleProprietesImage(*this, m_Contexte, &Classement->Classement(), &AlbumImages->Album());
    InstalleCalendrier(*this, m_Contexte, &Recherche->Arbo());
    InstalleExtraitDonGeneEtMD(*this, m_Contexte, &Classement->Classement());
    InstalleGereDonGeneEtMD(*this, m_Contexte, &AlbumImages->Album());
    // After the calendar: its tools entry follows the calendar's.
    TExploreBDDKX *ExploreBDD =
        InstalleExploreBDD(*this, m_Contexte, CommandesRech->Index(), &Recherche->Arbo(), &Classement->Classement());
    ExploreBDD->fnBulle = [BulleImage](const TEnrLV &Enr) { return BulleImage->Bulle(Enr); };
    ExploreBDD->fnSauverPlanche = [Vignettes](TPaneledListView *Grille, const QString &cNom) {
        Vignettes->SauverPlanche(Grille, cNom);
    };
    ExploreBDD->fnAide = [this](QWidget *Controle) { m_pAide->AideContextuelle(Controle); };
    // The zoom the image pane starts with: the one kept from the last run, or "1:1".
    cbZoom->setCurrentIndex(P.lSauveRapZoom ? P.nRapZoom : RapportZoom::nUnUn);
    TAfficheImageKX *Affiche = InstalleAfficheImage(*this, m_Contexte, Exploration->Liste());
    // The remembered treatments, on every picture those features show.
    m_pTraitements = InstalleTraitements(*this, m_Contexte, *Affiche, *Vignettes, Classement);
    // The full-screen view and the viewing entries of the thumbnail pop-up.
    TPleinEcranKX *PleinEcran = InstallePleinEcran(*this, m_Contexte, *Affiche);
    // The explorer's lower trees are followed by the floating thumbnail, kind 2.
    ExploreBDD->fnSuivreArbre = [PleinEcran](QTreeWidget *Arbre, quint8 nType, TfmVignetteFlottante::TFournisseur f) {
        PleinEcran->SuivreArbre(Arbre, nType, std::move(f));
    };
    PleinEcran->fnBulle = [BulleImage](const TEnrLV &Enr) { return BulleImage->Bulle(Enr); };
    // One player for the sheet and the full-screen view: a memo started in one stops in the other.
    PleinEcran->fnMemoSonore = [Proprietes](const QString &cFichierWav) { Proprietes->MemoSonore().Joue(cFichierWav); };
    PleinEcran->fnArreteMemo = [Proprietes] { Proprietes->MemoSonore().Arrete(); };
    PleinEcran->fnExplorer = [this, Exploration](const QString &cDossier) {
        MontrePage(tsExpl);
        Exploration->btExplLectRecurs->setChecked(false);
        return Exploration->OuvreDossier(cDossier);
    };
    // The settings window makes or frees the floating thumbnail through the full-screen feature.
    if (!fnVignetteFlottante)
        fnVignetteFlottante = [PleinEcran](bool) { PleinEcran->MajVignetteFlottante(); };
    m_pListe = &Exploration->Liste();
    m_pAffiche = Affiche;
    m_pAlbumImages = AlbumImages;
    m_pRecherche = Recherche;
    btOutilsDivers->setToolTip(BulleOutilsDivers(m_Fonctionnalites.Actions(TEmplacementAction::OutilsDivers)));

    // The menu bar repeats the buttons and pop-ups the features have just put in place.
    TSourcesMenuKX Sources;
    Sources.miRechMaintenant = CommandesRech->miRechMaintenant;
    Sources.miEditeCritRech = CommandesRech->miEditeCritRech;
    Sources.miRAZTousCriteres = CommandesRech->miRAZTousCriteres;
    Sources.miCritRechRAZ = Recherche->tvCritRech->miCritRechRAZ;
    Sources.fnArbreRechNonVide = [Arbre = Recherche->tvCritRech] { return Arbre->topLevelItemCount() > 0; };
    if (TMotsClesRechKX *MC = Recherche->MotsCles()) {
        Sources.ActionsMotsCles = MC->ActionsMenu();
        Sources.fnMotsClesAffiches = [MC] { return MC->btCritMC->isChecked(); };
        Sources.fnOperateurET = [MC] { return MC->OperateurET(); };
        Sources.fnMotsClesNonVides = [MC] { return !MC->Texte().trimmed().isEmpty(); };
    }
    Sources.pmVigs = Exploration->Liste().pmVigs;
    Sources.fnPmVigsDeroule = [Liste = &Exploration->Liste()] { Liste->pmVigsDeroule(false); };
    Sources.miIndexerCD = findChild<QAction *>(QStringLiteral("miHistoCDIndexer"));
    Sources.fnAideContextuelle = [this] { m_pAide->AideContextuelle(QApplication::focusWidget()); };
    Sources.fnAideSommaire = [this] { m_pAide->Sommaire(); };
    Sources.fnAideIndex = [this] { m_pAide->Index(); };
    Sources.fnAideAccueil = [this] { m_pAide->Accueil(); };
    Sources.fnAPropos = [this] { m_pAide->APropos(); };
    // The search criteria boxes share one pop-up topic.
    for (const char *c : {"cbCritMC", "cbCritEnreg", "tvCritRech"})
        for (QWidget *w : findChildren<QWidget *>(QLatin1String(c)))
            if (w->window() == this)
                FixeContexteAide(w, -1121);
    m_pMenu = new TMenuPrincipalKX(*this, mmMain, m_Contexte, std::move(Sources));

    // The command pane as if both splitters had just moved.
    AppliqueTaillesMinimales();
    // The version in the treatments pane, once everything it describes is in place.
    pnVersion->setText(cVersionProgramme);
}

void TfmMainKX::AppliqueParametresVignettes()
{
    const TEnrParametres &P = m_Contexte.Parametres;
    const QPalette Palette = QApplication::palette();
    const int nTaille = TailleVignette(P.nIndTailleVigs);
    plvVigs->set_Panels3D(P.lVigPan3D);
    plvVigs->setCouleurFond(Couleurs::Couleur(P.nVigCoulFond, Palette, 29));
    plvVigs->set_PanelsColor(Couleurs::Couleur(P.nVigCoulPan, Palette, 35));
    plvVigs->set_PanelsFontColor(Couleurs::Couleur(P.nVigCoulTxtPan, Palette, 30));
    plvVigs->set_ItemDim(nTaille);
    plvVigs->verticalScrollBar()->setSingleStep(PasYCellule(nTaille) / 2);
    sbImage->MetCouleurFond(Couleurs::Couleur(P.nImgFACoulFond, Palette, 35));
    pnVigs->set_LargHautRef(std::max(P.pnVigs_LargHaut, LargHautMinPanneauVignettes(nTaille)));
    PlaceVigs(P.pnVigs_Align);
}

void TfmMainKX::ShowMode()
{
    const bool lMAJ = m_Contexte.Parametres.lModeMAJ;
    QPalette Palette = pnVersion->palette();
    Palette.setColor(QPalette::WindowText, lMAJ ? QColor(255, 0, 0) : QColor(0, 128, 0));
    pnVersion->setPalette(Palette);
    pnVersion->setToolTip(
        QStringLiteral("%1 est en mode <SG>%2</SG/>")
            .arg(QStringLiteral("Vimbrel"), lMAJ ? QStringLiteral("Mise à jour") : QStringLiteral("Consultation")));
    m_pSelection->MetModeMAJ(lMAJ);
}

QString TfmMainKX::DossierCourant() const
{
    const QString c = m_pSelection->DossierCourant();
    return c.isEmpty() ? m_cDossierCourant : c;
}

bool TfmMainKX::OuvreDossier(const QString &cDossier)
{
    if (cDossier.isEmpty())
        return false;
    if (const std::optional<bool> r = m_Fonctionnalites.OuvreDossierDemande(cDossier))
        return *r;
    // No feature opens folders: the folder is only remembered.
    if (!QFileInfo(cDossier).isDir())
        return false;
    m_cDossierCourant = QFileInfo(cDossier).absoluteFilePath();
    return true;
}

void TfmMainKX::MontrePage(QWidget *Page)
{
    if (pcExplRech && pcExplRech->currentWidget() != Page)
        pcExplRech->setCurrentWidget(Page);
}

void TfmMainKX::pmOutilsDiversPopup()
{
    pmOutilsDivers->clear();
    m_Fonctionnalites.AjouteAuMenu(pmOutilsDivers, TEmplacementAction::OutilsDivers);
}

void TfmMainKX::btParametresClick()
{
    TEnrParametres &P = m_Contexte.Parametres;
    const bool lVerbeAvant = VerbeDossierInstalle(cDossierApplications, QStringLiteral("Vimbrel"));
    QStringList cLignesCoeff;
    if (m_Contexte.iniCFAPN)
        m_Contexte.iniCFAPN->ReadSectionValues(cSectionCoeffFoc, cLignesCoeff);
    TfmParametres fm(m_Contexte, this);
    fm.fnAspectGrille = [this](const TEnrParametres &Aspect) { AspectGrille(Aspect); };
    fm.Remplit(Parametres::EtatDepuis(P, lVerbeAvant), cLignesCoeff, P.lModeMAJ);
    const int nResultat = fnExecParametres ? fnExecParametres(fm) : fm.exec();
    if (nResultat == QDialog::Accepted) {
        const TEnrParametres Avant = P;
        const Parametres::TEtatParametres Etat = fm.Etat();
        Parametres::RelitDans(Etat, P);
        AppliqueParametres(Avant, lVerbeAvant, Etat.Coche(Parametres::nElementVerbeDossier));
    }
    // Last, since on Yes the program closes.
    if (!fm.DossierDonneesChoisi().isEmpty())
        DeplaceDonnees(fm.DossierDonneesChoisi(), fm.SystemeDonnees(), fm.OperationDonnees());
}

void TfmMainKX::AppliqueParametres(const TEnrParametres &Avant, bool lVerbeAvant, bool lVerbeApres)
{
    using Parametres::TChangement;
    const TEnrParametres &P = m_Contexte.Parametres;
    const QList<TChangement> Changements =
        Parametres::ChangementsApresOK({Avant, P, lVerbeAvant, lVerbeApres, m_pModele->rowCount() > 0});
    bool lVignettesFaites = false;
    for (const TChangement c : Changements) {
        switch (c) {
        case TChangement::Orientation: ReorienteImages(); break;
        case TChangement::RemplitLegendes:
            if (m_pRecherche && m_pRecherche->Legendes)
                m_pRecherche->Legendes->ChargeLegendes();
            break;
        case TChangement::TriArboCriteres:
            if (m_pRecherche)
                m_pRecherche->Arbo().Recharger();
            break;
        case TChangement::Descriptions:
            if (m_pMemoEtat)
                m_pMemoEtat->RemplitMemoEtat();
            break;
        case TChangement::Mode: ShowMode(); break;
        case TChangement::MenuPrincipal: mmMain->setVisible(P.lMenuCipalVisible); break;
        case TChangement::VerbeDossier: ModifieVerbeDossier(lVerbeApres); break;
        case TChangement::AspectVignettes:
        case TChangement::TailleVignettes:
        case TChangement::PlaceVignettes:
            // Look, size and place are applied together, once.
            if (!lVignettesFaites)
                AppliqueVignettesPartout();
            lVignettesFaites = true;
            break;
        case TChangement::VignetteFlotteCree:
            if (fnVignetteFlottante)
                fnVignetteFlottante(P.vfGene_lActive);
            break;
        case TChangement::Colonnes:
            if (m_pListe)
                m_pListe->ColonnesListe(P.cOrdreCol);
            break;
        case TChangement::OrdreEXIFIPTC:
            if (!m_pSelection->CleCourante().isEmpty())
                m_pSelection->SignaleClassement(m_pSelection->CleCourante());
            break;
        case TChangement::BoutonsTraitements:
            if (m_pTraitements)
                m_pTraitements->EtatTrtsImage();
            break;
        case TChangement::AvisCoeffFoc:
            if (m_Contexte.Messages)
                m_Contexte.Messages->Attention(
                    this, QStringLiteral("L'utilisation du coefficient multiplicateur a changé.\r\nLes images "
                                         "présentes ne prennent pas en compte cette modification."));
            break;
        // Read where they are used, or made when shown: nothing to do now.
        case TChangement::BullesListe:
        case TChangement::RemplitAppareils:
        case TChangement::AutoSeekLegende:
        case TChangement::BulleRecherche:
        case TChangement::VignetteFlotteParams:
        case TChangement::BullesImages: break;
        }
    }
}

void TfmMainKX::AppliqueVignettesPartout()
{
    const TEnrParametres &P = m_Contexte.Parametres;
    AppliqueParametresVignettes();
    if (m_pAlbumImages && m_pAlbumImages->Fenetre()) {
        const QPalette Palette = QApplication::palette();
        m_pAlbumImages->Fenetre()->MetApparence(
            Couleurs::Couleur(P.nVigCoulFond, Palette, 29), Couleurs::Couleur(P.nVigCoulPan, Palette, 35),
            Couleurs::Couleur(P.nVigCoulTxtPan, Palette, 30), Couleurs::Couleur(P.nImgFACoulFond, Palette, 35),
            TailleVignette(P.nIndTailleVigs));
    }
}

void TfmMainKX::AspectGrille(const TEnrParametres &Aspect)
{
    const QPalette Palette = QApplication::palette();
    plvVigs->set_Panels3D(Aspect.lVigPan3D);
    plvVigs->setCouleurFond(Couleurs::Couleur(Aspect.nVigCoulFond, Palette, 29));
    plvVigs->set_PanelsColor(Couleurs::Couleur(Aspect.nVigCoulPan, Palette, 35));
    plvVigs->set_PanelsFontColor(Couleurs::Couleur(Aspect.nVigCoulTxtPan, Palette, 30));
}

void TfmMainKX::ReorienteImages()
{
    // The cache holds untreated thumbnails: the decoded panels are treated again from them,
    // and no image file is read or thumbnail remade.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    plvVigs->OublieDecodees();
    for (int i = 0; i < m_pModele->rowCount(); ++i)
        m_pModele->EnrModifie(i);
    if (m_pAffiche)
        m_pAffiche->RetraiteImage();
    if (m_pAlbumImages && m_pAlbumImages->Fenetre())
        m_pAlbumImages->Fenetre()->plvVigsAI->OublieDecodees();
    QApplication::restoreOverrideCursor();
}

void TfmMainKX::ModifieVerbeDossier(bool lInstalle)
{
    const QString cProduit = QStringLiteral("Vimbrel");
    const bool lOk = lInstalle
                         ? InstalleVerbeDossier(cDossierApplications, cProduit, QCoreApplication::applicationFilePath())
                         : SupprimeVerbeDossier(cDossierApplications, cProduit);
    if (!lOk) {
        if (m_Contexte.Messages)
            m_Contexte.Messages->Erreur(
                this, QStringLiteral("Le raccourci « Lire avec Vimbrel » n'a pas pu être modifié : %1")
                          .arg(FichierVerbeDossier(cDossierApplications, cProduit)));
        return;
    }
    // The file managers read their cache of entries again; a missing tool changes nothing else.
    if (fnExecute)
        fnExecute(QStringLiteral("update-desktop-database"), {cDossierApplications});
}

void TfmMainKX::DeplaceDonnees(const QString &cDossier, TSystemeDonnees Systeme, int nOperation)
{
    if (!m_Contexte.Messages)
        return;
    const TVerificationDestination v =
        VerifieDestination(m_Contexte.Emplacements, m_Contexte.Dossiers, cDossier, Systeme, nOperation);
    if (!v.lAccepte) {
        if (!v.cRefus.isEmpty())
            m_Contexte.Messages->Erreur(this, v.cRefus);
        return;
    }
    if (!m_Contexte.Messages->Question(this, v.cQuestion))
        return;
    QString cErreur;
    if (!PlanifieDeplacement(m_Contexte.Emplacements, m_Contexte.Dossiers, v, Systeme, nOperation, cErreur)) {
        m_Contexte.Messages->Erreur(this, cErreur);
        return;
    }
    // The move itself runs once the stores are saved, as the program ends.
    QMetaObject::invokeMethod(this, &TfmMainKX::FermeSansQuestion, Qt::QueuedConnection);
}

void TfmMainKX::ToucheZoom(int nTouche)
{
    const int n = RapportZoom::IndexApresTouche(cbZoom->currentIndex(), nTouche, cbZoom->isEnabled());
    if (n != cbZoom->currentIndex())
        cbZoom->setCurrentIndex(n);
}

void TfmMainKX::setVisible(bool lVisible)
{
    // Placed before its first showing, while the window has no frame yet: the position then
    // counts the frame, which the window manager adds around it.
    if (lVisible && !m_lFormShowFait) {
        m_lFormShowFait = true;
        FormShow();
    }
    QMainWindow::setVisible(lVisible);
}

void TfmMainKX::showEvent(QShowEvent *Evenement)
{
    QMainWindow::showEvent(Evenement);
    PlaceLVImgs();
    if (!m_lFormActivateFait)
        QTimer::singleShot(0, this, &TfmMainKX::FormActivate);
}

void TfmMainKX::FormShow()
{
    if (const QScreen *Ecran = screen())
        m_nProfondeurCouleur = Ecran->depth();
    const TEnrParametres &P = m_Contexte.Parametres;
    // The stored place is the frame's, so that the title bar stays on the screen; the size is
    // the client area's.
    if (P.nEtatFen_Main != 0) {
        move(0, 0);
        resize(800, 600);
    } else {
        move(P.nLeft_Main, P.nTop_Main);
        resize(P.nWidth_Main, P.nHeight_Main);
    }
    if (P.nEtatFen_Main == 2)
        setWindowState(Qt::WindowMaximized);
    else if (P.nEtatFen_Main == 1)
        setWindowState(Qt::WindowMinimized);
}

void TfmMainKX::changeEvent(QEvent *Evenement)
{
    QMainWindow::changeEvent(Evenement);
    if (Evenement->type() == QEvent::ActivationChange && isActiveWindow() && !m_lFormActivateFait)
        FormActivate();
}

void TfmMainKX::FormActivate()
{
    if (m_lFormActivateFait || m_lFormDestroyFait)
        return;
    m_lFormActivateFait = true;
    const QString cPremier = !cDossierArgument.isEmpty() ? cDossierArgument : m_Contexte.Parametres.cRep;
    const auto Ouvre = [this](const QString &cDossier) { return OuvreDossier(cDossier); };
    QString cOuvert = cPremier;
    if (!Ouvre(cPremier)) {
        // The program folder is read-only once installed; the data folder is the
        // folder the program owns.
        cOuvert = m_Contexte.Dossiers.cDossierDonnees;
        if (!Ouvre(cOuvert)) {
            cOuvert = m_Contexte.Dossiers.cDossierProgramme;
            Ouvre(cOuvert);
        }
    }
    emit PremierDossierOuvert(DossierCourant().isEmpty() ? cOuvert : DossierCourant());
}

void TfmMainKX::RecoitDossier(const QString &cDossier)
{
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (cDossier.isEmpty() || m_lFormDestroyFait)
        return;
    // Opening lists the folder: while a long task walks the rows, the folder is only
    // remembered and opened once the task has returned.
    TTachesLongues::Etat().Differe(TTachesLongues::cCleListe, this, [this, cDossier] {
        if (!m_lFormDestroyFait)
            OuvreDossier(cDossier);
    });
}

void TfmMainKX::btQuitterClick()
{
    close();
}

void TfmMainKX::FermeSansQuestion()
{
    if (m_lFormDestroyFait)
        return;
    TTachesLongues &Taches = TTachesLongues::Etat();
    Taches.DemandeArret();
    // A question open now waits for nobody: it is answered No, and whoever asked it sees the
    // stop request.
    TTacheLongue::AbandonneDialogues();
    if (Taches.EnCours()) {
        Taches.Differe(TTachesLongues::cCleArret, this, [this] { FermeSansQuestion(); });
        return;
    }
    // A close asking its question takes the stop as its answer once the question has returned.
    if (m_lFermeture)
        return;
    m_lSansQuestion = true;
    const bool lFerme = close();
    m_lSansQuestion = false;
    // A refused close leaves nothing behind: the next one asks its question, tasks run normally.
    if (!lFerme)
        Taches.OublieArret();
}

bool TfmMainKX::FormCloseQuery()
{
    if (m_lSansQuestion || TTachesLongues::Etat().ArretDemande() || !m_Contexte.Parametres.lMsgConfQuitAppli)
        return true;
    return MessagesDe(m_Contexte).Question(this, QStringLiteral("Quitter Vimbrel ?"));
}

void TfmMainKX::closeEvent(QCloseEvent *Evenement)
{
    if (m_lFormDestroyFait) {
        Evenement->accept();
        return;
    }
    bool lFermer = false;
    {
        const QScopedValueRollback Garde(m_lFermeture, true);
        // A stop that arrived while the question was open answers it.
        lFermer = FormCloseQuery() || TTachesLongues::Etat().ArretDemande();
        if (lFermer)
            FormDestroy();
    }
    TTachesLongues::Etat().OublieArret();
    if (lFermer)
        Evenement->accept();
    else
        Evenement->ignore();
}

void TfmMainKX::FormDestroy()
{
    if (m_lFormDestroyFait || !m_Contexte.iniSetup)
        return;
    m_lFormDestroyFait = true;
    TEnrParametres &P = m_Contexte.Parametres;

    // The focal store is saved by its writers, never here; it stays open (unsaved) until
    // the context goes, since the listing still refers to it.

    // The settings take the layout as the user leaves it.
    const QString cCourant = DossierCourant();
    if (!cCourant.isEmpty())
        P.cRep = cCourant;
    P.pnCommandes_Width = pnCommandes->_LargHautRef();
    P.pcExplRech_Height = pcExplRech->height();
    P.pnVigs_LargHaut = pnVigs->_LargHautRef();
    P.pnVigs_Align = pnVigs->_Align() == paLeft ? 1 : 0;
    if (P.lSauveRapZoom)
        P.nRapZoom = cbZoom->currentIndex();
    const Qt::WindowStates Etat = windowState();
    P.nEtatFen_Main = (Etat & Qt::WindowMinimized) ? 1 : (Etat & Qt::WindowMaximized) ? 2 : 0;
    const QRect Normale = PlaceNormale();
    P.nLeft_Main = Normale.x();
    P.nTop_Main = Normale.y();
    P.nWidth_Main = Normale.width();
    P.nHeight_Main = Normale.height();
    TEnrParametres::TEtatSortie Sortie;
    Sortie.lCommandesDeplie = pnCommandes->_PanelState() == psExpanded;
    Sortie.lVigsDeplie = pnVigs->_PanelState() == psExpanded;
    Sortie.lMigrationsFaites = m_lMigrationsFaites;
    // The settings, then the folder history trimmed to its first ten entries.
    m_Contexte.EcritParametres(Sortie);
    // Both stores. A failure is told with its reason and may be tried again once the user
    // has freed space; a close without a question has nobody to ask, so it reports on the
    // error stream and the run ends with a failure status.
    const bool lUtilisateur = !m_lSansQuestion && !TTachesLongues::Etat().ArretDemande();
    QTextStream Erreurs(stderr);
    m_nCodeSortie = SauveEnSortant(
        fnSauveStores, lUtilisateur ? &MessagesDe(m_Contexte) : nullptr, this,
        [] { return TTachesLongues::Etat().ArretDemande(); }, Erreurs);
    // A store that another program changed meanwhile was kept as a dated copy: say where.
    const QString cCopies = TexteCopiesConservees(m_Contexte.CopiesConservees());
    if (!cCopies.isEmpty()) {
        if (lUtilisateur)
            MessagesDe(m_Contexte).Attention(this, cCopies);
        else
            Erreurs << "vimbrel : " << QString(cCopies).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << "\n";
    }
    // A scheduled move of the data folder, only over stores that were both saved.
    if (m_nCodeSortie == 0)
        DeplaceDonneesEnSortant(lUtilisateur);
}

void TfmMainKX::DeplaceDonneesEnSortant(bool lUtilisateur)
{
    if (!QFileInfo::exists(FichierJournalDeplacement(m_Contexte.Emplacements)))
        return;
    TGaugeWindow Jauge(this, m_Contexte.Messages.get());
    TOutilsDeplacement Outils;
    Outils.fnProgression = [&Jauge](int nFait, int nTotal) {
        if (nFait == 0)
            Jauge.Demarre(QStringLiteral("Traitement des données"), 0, 0, nTotal - 1);
        Jauge.set_GaugeCurValue(nFait);
    };
    Outils.lVerrouAncienDetenu = m_Contexte.DossierDonneesPris();
    const TResultatDeplacement Resultat = ExecuteDeplacement(m_Contexte.Emplacements, Outils);
    Jauge.Arrete();
    if (Resultat.cMessage.isEmpty())
        return;
    if (lUtilisateur)
        MessagesDe(m_Contexte).Erreur(this, Resultat.cMessage);
    else
        QTextStream(stderr) << "vimbrel : "
                            << QString(Resultat.cMessage).replace(QStringLiteral("\r\n"), QStringLiteral(" ")) << "\n";
}

QRect TfmMainKX::PlaceNormale() const
{
    const Qt::WindowStates Etat = windowState();
    if (!(Etat & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) || normalGeometry().isEmpty())
        return {frameGeometry().topLeft(), size()};
    // Only the client area of the normal state is known: its frame is taken as thick as now.
    const QPoint Cadre = geometry().topLeft() - frameGeometry().topLeft();
    return {normalGeometry().topLeft() - Cadre, normalGeometry().size()};
}

QSize TfmMainKX::TailleMinimale() const
{
    const int nLargeur = pnCommandes->width() + spCommandes->width() + nLargMinDroite;
    const int nVigs = pnVigs->_Align() == paTop ? pnVigs->height() : 0;
    const int nHauteurDroite = pnTraitements->height() + nVigs + 16;
    const int nHauteurListe = m_pnZoneLVImgs->y() + 56;
    int nHauteur = std::max(nHauteurDroite, nHauteurListe);
    if (mmMain && mmMain->isVisible())
        nHauteur += mmMain->sizeHint().height();
    return {nLargeur, nHauteur};
}

void TfmMainKX::AppliqueTaillesMinimales()
{
    if (!pnVigs || !m_pnZoneLVImgs || m_lAppliqueTailles)
        return;
    const QScopedValueRollback Garde(m_lAppliqueTailles, true);
    if (QLayout *Couches = centralWidget()->layout())
        Couches->activate();
    if (QLayout *Couches = pnCommandes->layout())
        Couches->activate();
    // The layouts' own minimum is left to them; the rule adds its floor.
    centralWidget()->setMinimumSize(0, 0);
    const QSize Min = TailleMinimale();
    setMinimumSize(Min);
    FormResize();
    PlaceLVImgs();
}

void TfmMainKX::AjusteBarreTraitements()
{
    // As high as its buttons need with the style and font in use at its present width, never
    // lower than the bar was drawn.
    if (!pnTraitements || pnTraitements->_PanelState() != psExpanded)
        return;
    QLayout *Barre = pnTraitements->layout();
    const int nLargeur = pnTraitements->width() > 0 ? pnTraitements->width() : Barre->sizeHint().width();
    const int nHauteur =
        Barre->hasHeightForWidth() ? Barre->totalHeightForWidth(nLargeur) : Barre->totalSizeHint().height();
    if (pnTraitements->_LargHautRef() != std::max(nHauteurTraitements, nHauteur))
        pnTraitements->set_LargHautRef(std::max(nHauteurTraitements, nHauteur));
}

void TfmMainKX::resizeEvent(QResizeEvent *Evenement)
{
    QMainWindow::resizeEvent(Evenement);
    FormResize();
    PlaceLVImgs();
}

void TfmMainKX::FormResize()
{
    if (!isVisible() || isMaximized() || isFullScreen())
        return;
    const int nLargeurVoulue = pnCommandes->width() + spCommandes->width() + nLargMinDroite;
    if (pnTraitements->width() < nLargMinDroite && width() < nLargeurVoulue)
        resize(nLargeurVoulue, height());
}

void TfmMainKX::pnCommandes_OnCollapsedExpanded()
{
    const bool lDeplie = pnCommandes->_PanelState() == psExpanded;
    lvImgs->setVisible(lDeplie);
    spCommandes->setVisible(lDeplie);
    AppliqueTaillesMinimales();
}

void TfmMainKX::pnVigs_OnCollapsedExpanded()
{
    spVigs->setVisible(pnVigs->_PanelState() == psExpanded);
    AppliqueTaillesMinimales();
}

void TfmMainKX::PlaceLVImgs()
{
    if (!m_pnZoneLVImgs || !lvImgs)
        return;
    const QRect Zone(m_pnZoneLVImgs->mapTo(centralWidget(), QPoint(0, 0)), m_pnZoneLVImgs->size());
    QRect Place = Zone;
    if (m_lLVElargie)
        Place.setWidth(std::max(Zone.width(), LargeurLVImgsSurvol()));
    lvImgs->setGeometry(Place);
    lvImgs->raise();
}

int TfmMainKX::LargeurLVImgsSurvol() const
{
    const int nColonnes = lvImgs->header()->length();
    const int nLargeur = nColonnes + lvImgs->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;
    return std::max(nLargeur, pcExplRech->width());
}

void TfmMainKX::ElargitLVImgs(bool lElargir)
{
    const bool lPossible = m_Contexte.Parametres.lAgrandirLVQdSurvol && m_Contexte.Parametres.lvImgs_ViewStyle == 3
                           && lvImgs->model() && lvImgs->model()->rowCount() > 0 && lvImgs->isVisible();
    const bool lNouveau = lElargir && lPossible;
    if (lNouveau == m_lLVElargie && !lNouveau)
        return;
    m_lLVElargie = lNouveau;
    PlaceLVImgs();
}

bool TfmMainKX::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet == lvImgs) {
        if (Evenement->type() == QEvent::Enter)
            ElargitLVImgs(true);
        else if (Evenement->type() == QEvent::Leave)
            ElargitLVImgs(false);
    } else if (Evenement->type() == QEvent::Resize
               && (Objet == pnCommandes || Objet == pnTraitements || Objet == pnVigs || Objet == pcExplRech)) {
        if (Objet == pnTraitements)
            AjusteBarreTraitements();
        AppliqueTaillesMinimales();
    } else if (Objet == m_pnZoneLVImgs && (Evenement->type() == QEvent::Resize || Evenement->type() == QEvent::Move)) {
        PlaceLVImgs();
    }
    return QMainWindow::eventFilter(Objet, Evenement);
}
