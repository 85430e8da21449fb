#include "cdhistory/HistoCD_fm.h"
#include "components/MarkupHint.h"

#include "cdhistory/HistoCDImgSsCrit_fm.h"
#include "cdhistory/HistoCDIndexerCD_fm.h"
#include "cdhistory/HistoCDRemplacerCD_fm.h"
#include "cdhistory/MaintenanceCD.h"
#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "exploration/ModeleListe.h"
#include "platform/VolumesFactices.h"
#include "storage/CleImage.h"
#include "thumbnails/ThumbnailCache_fm.h"
#include "components/PaneledListView.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
#include "filters/BoutonFiltres_fm.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"
#include "storage/TaillesVignettes.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
constexpr int nRoleNoeud = Qt::UserRole + 1;

QPixmap Pictogramme(QStyle::StandardPixmap nStandard, bool lImages)
{
    QPixmap Pix = QApplication::style()->standardIcon(nStandard).pixmap(16, 16);
    if (lImages) {
        // A small picture in the corner: the folder holds images of its own.
        QPainter p(&Pix);
        p.setPen(QColor(40, 40, 40));
        p.setBrush(QColor(90, 160, 230));
        p.drawRect(8, 8, 7, 6);
        p.setBrush(QColor(80, 170, 60));
        p.drawRect(9, 11, 5, 2);
    }
    return Pix;
}

// The tree's pictures (`ilArbresExplorBDD`): 0/1 a folder without images (closed, open), 2/3 a
// folder with images, 4/5 the root; the second of each pair shows while the node is selected.
QIcon IconeNoeud(int nIcone)
{
    static const QList<QIcon> Icones = [] {
        QList<QIcon> l;
        for (int i = 0; i < 3; ++i) {
            QIcon Ico;
            if (i == 2) {
                Ico.addPixmap(Pictogramme(QStyle::SP_DriveCDIcon, false), QIcon::Normal);
            } else {
                Ico.addPixmap(Pictogramme(QStyle::SP_DirClosedIcon, i == 1), QIcon::Normal);
                Ico.addPixmap(Pictogramme(QStyle::SP_DirOpenIcon, i == 1), QIcon::Selected);
            }
            l << Ico;
        }
        return l;
    }();
    return Icones.value(qBound(0, nIcone / 2, 2));
}

void AjouteItems(QTreeWidgetItem *pParent, const TNoeudCD &Noeud)
{
    for (const auto &e : Noeud.Enfants) {
        auto *pItem = new QTreeWidgetItem(pParent, QStringList(e->cTexte));
        pItem->setIcon(0, IconeNoeud(e->nIcone));
        pItem->setData(0, nRoleNoeud, QVariant::fromValue(quintptr(e.get())));
        AjouteItems(pItem, *e);
    }
}

} // namespace

const TNoeudCD *THistoCDKX::NoeudDe(const QTreeWidgetItem *pItem)
{
    return pItem ? reinterpret_cast<const TNoeudCD *>(pItem->data(0, nRoleNoeud).value<quintptr>()) : nullptr;
}

THistoCDKX::THistoCDKX(QWidget *Page, TContexte &Contexte, TListeImagesKX &Liste,
                       std::function<int()> fnTailleVignettes)
    : QObject(Page), m_Page(Page), m_Contexte(Contexte), m_Liste(Liste), m_Selection(Liste.Selection()),
      m_fnTailleVignettes(std::move(fnTailleVignettes))
{
    auto *Disposition = qobject_cast<QVBoxLayout *>(Page->layout());
    if (!Disposition) {
        delete Page->layout();
        Disposition = new QVBoxLayout(Page);
    }
    Disposition->setContentsMargins(2, 2, 2, 2);
    Disposition->setSpacing(2);

    tvHistoCD = new QTreeWidget(Page);
    tvHistoCD->setObjectName(QStringLiteral("tvHistoCD"));
    tvHistoCD->setHeaderHidden(true);
    tvHistoCD->setColumnCount(1);
    tvHistoCD->setIconSize(QSize(16, 16));
    tvHistoCD->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvHistoCD->setSelectionMode(QAbstractItemView::SingleSelection);
    tvHistoCD->setUniformRowHeights(true);
    tvHistoCD->setMouseTracking(true);
    tvHistoCD->viewport()->installEventFilter(this);
    tvHistoCD->setContextMenuPolicy(Qt::CustomContextMenu);
    // The selection stays visible when the tree loses the focus.
    QPalette Pal = tvHistoCD->palette();
    Pal.setColor(QPalette::Inactive, QPalette::Highlight, Pal.color(QPalette::Active, QPalette::Highlight));
    Pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Pal.color(QPalette::Active, QPalette::HighlightedText));
    tvHistoCD->setPalette(Pal);

    auto *Boutons = new QHBoxLayout();
    Boutons->setSpacing(2);
    btHistoLectRecurs = new QPushButton(QStringLiteral("Récursivité"), Page);
    btHistoLectRecurs->setObjectName(QStringLiteral("btHistoLectRecurs"));
    btHistoLectRecurs->setCheckable(true);
    btHistoLectRecurs->setToolTip(
        QStringLiteral("Exploration en profondeur dans le dossier courant et ses sous-dossiers"));
    btHistoFiltres = new QPushButton(QStringLiteral("Filtre"), Page);
    btHistoFiltres->setObjectName(QStringLiteral("btHistoFiltres"));
    btHistoExplorer = new QPushButton(QStringLiteral("Explorer"), Page);
    btHistoExplorer->setObjectName(QStringLiteral("btHistoExplorer"));
    btHistoExplorer->setToolTip(QStringLiteral("Explorer le dossier courant (et ses sous-dossiers si récursivité)"));
    Boutons->addWidget(btHistoLectRecurs);
    Boutons->addWidget(btHistoFiltres);
    Boutons->addWidget(btHistoExplorer);
    Disposition->addWidget(tvHistoCD, 1);
    Disposition->addLayout(Boutons);

    pmHistoCD = new QMenu(tvHistoCD);
    pmHistoCD->setObjectName(QStringLiteral("pmHistoCD"));
    miHistoCDDeplier = pmHistoCD->addAction(QStringLiteral("&Déplier entièrement le noeud"));
    miHistoCDDeplier->setObjectName(QStringLiteral("miHistoCDDeplier"));
    pmHistoCD->addSeparator();
    miHistoCDIndexer = pmHistoCD->addAction(QStringLiteral("&Indexer un CD..."));
    miHistoCDIndexer->setObjectName(QStringLiteral("miHistoCDIndexer"));
    miHistoCDRecreer = pmHistoCD->addAction(QStringLiteral("&Recréer les vignettes de ce dossier"));
    miHistoCDRecreer->setObjectName(QStringLiteral("miHistoCDRecreer"));
    miHistoCDSupprimer = pmHistoCD->addMenu(QStringLiteral("&Supprimer les vignettes"));
    miHistoCDSupprimer->setObjectName(QStringLiteral("miHistoCDSupprimer"));
    miHistoCDSupprimerDos = miHistoCDSupprimer->addAction(QStringLiteral("de ce &Dossier..."));
    miHistoCDSupprimerDos->setObjectName(QStringLiteral("miHistoCDSupprimerDos"));
    miHistoCDSupprimerDosFils = miHistoCDSupprimer->addAction(QStringLiteral("de ce Dossier (ET de ses &Fils)..."));
    miHistoCDSupprimerDosFils->setObjectName(QStringLiteral("miHistoCDSupprimerDosFils"));
    miHistoCDSupprimerObs =
        miHistoCDSupprimer->addAction(QStringLiteral("obsolètes de tout le CD (présence du CD obligatoire)..."));
    miHistoCDSupprimerObs->setObjectName(QStringLiteral("miHistoCDSupprimerObs"));
    pmHistoCD->addSeparator();
    miHistoCDImgSsCrit = pmHistoCD->addAction(QStringLiteral("Images sans &critère..."));
    miHistoCDImgSsCrit->setObjectName(QStringLiteral("miHistoCDImgSsCrit"));
    miHistoCDRemplacer = pmHistoCD->addAction(QStringLiteral("Rem&placer le CD par..."));
    miHistoCDRemplacer->setObjectName(QStringLiteral("miHistoCDRemplacer"));
    connect(miHistoCDRecreer, &QAction::triggered, this, &THistoCDKX::miHistoCDRecreerClick);
    connect(miHistoCDSupprimerDos, &QAction::triggered, this,
            [this] { miHistoCDSupprimerClick(int(TPorteeSuppressionCD::Dossier)); });
    connect(miHistoCDSupprimerDosFils, &QAction::triggered, this,
            [this] { miHistoCDSupprimerClick(int(TPorteeSuppressionCD::DossierEtFils)); });
    connect(miHistoCDSupprimerObs, &QAction::triggered, this,
            [this] { miHistoCDSupprimerClick(int(TPorteeSuppressionCD::Obsoletes)); });
    connect(miHistoCDImgSsCrit, &QAction::triggered, this, &THistoCDKX::miHistoCDImgSsCritClick);
    connect(miHistoCDRemplacer, &QAction::triggered, this, &THistoCDKX::miHistoCDRemplacerClick);
    connect(pmHistoCD, &QMenu::aboutToShow, this, &THistoCDKX::MajPopup);
    connect(miHistoCDDeplier, &QAction::triggered, this, &THistoCDKX::miHistoCDDeplierClick);
    connect(miHistoCDIndexer, &QAction::triggered, this, &THistoCDKX::IndexerCD);
    connect(tvHistoCD, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pt) { pmHistoCD->popup(tvHistoCD->viewport()->mapToGlobal(pt)); });

    connect(tvHistoCD, &QTreeWidget::currentItemChanged, this, &THistoCDKX::tvHistoCDChange);
    connect(btHistoLectRecurs, &QPushButton::clicked, this, &THistoCDKX::btHistoLectRecursClick);
    connect(btHistoExplorer, &QPushButton::clicked, this, &THistoCDKX::btHistoExplorerClick);
    // The CD history's filter: a validated edit or a reset lists the node again.
    BoutonFiltres = new TBoutonFiltresKX(btHistoFiltres, Contexte.enrFiltresHisto, TTypeFiltre::HistoriqueCD, Contexte);
    BoutonFiltres->fnReconstruit = [this] { tvHistoCDChange(); };

    // The page comes to the front or leaves it: shown and hidden by its tab.
    Page->installEventFilter(this);
    if (auto *Onglets =
            qobject_cast<QTabWidget *>(Page->parentWidget() ? Page->parentWidget()->parentWidget() : nullptr)) {
        const int n = Onglets->indexOf(Page);
        if (n >= 0)
            Onglets->setTabToolTip(n, QStringLiteral("Historique des CDs"));
    }
}

bool THistoCDKX::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet == m_Page && !Evenement->spontaneous()) {
        if (Evenement->type() == QEvent::Show)
            ConstruitArboCD();
        else if (Evenement->type() == QEvent::Hide)
            QuittePage();
    } else if (Objet == tvHistoCD->viewport()) {
        if (Evenement->type() == QEvent::MouseMove)
            tvHistoCDMouseMove(static_cast<QMouseEvent *>(Evenement)->position().toPoint());
        else if (Evenement->type() == QEvent::Leave)
            tvHistoCD->setToolTip(QString());
    }
    return QObject::eventFilter(Objet, Evenement);
}

void THistoCDKX::ConstruitArboCD()
{
    {
        // The items point into the former model: nothing may react while they go.
        const QSignalBlocker Bloque(tvHistoCD);
        tvHistoCD->clear();
    }
    m_Arbo = TArboCD();
    if (!m_Contexte.iniSetup) {
        ListeNoeud();
        return;
    }
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_Arbo = ::ConstruitArboCD(*m_Contexte.iniSetup, m_Place);
        QApplication::restoreOverrideCursor();
    }
    if (!m_Arbo.Racine) {
        // An empty history: the list is emptied the way a listing of nothing does it.
        ListeNoeud();
        return;
    }
    QTreeWidgetItem *pRacine;
    {
        const QSignalBlocker Bloque(tvHistoCD);
        pRacine = new QTreeWidgetItem(tvHistoCD, QStringList(m_Arbo.Racine->cTexte));
        pRacine->setIcon(0, IconeNoeud(m_Arbo.Racine->nIcone));
        pRacine->setData(0, nRoleNoeud, QVariant::fromValue(quintptr(m_Arbo.Racine.get())));
        AjouteItems(pRacine, *m_Arbo.Racine);
    }
    QTreeWidgetItem *pChoisi = ItemDe(m_Arbo.pChoisi);
    if (!pChoisi || pChoisi == pRacine) {
        pRacine->setExpanded(true);
        pChoisi = pRacine;
    } else {
        for (QTreeWidgetItem *p = pChoisi->parent(); p; p = p->parent())
            p->setExpanded(true);
    }
    // Selecting it is a change of the node like a click: it lists unless recursion waits.
    if (tvHistoCD->currentItem() == pChoisi)
        tvHistoCDChange();
    else
        tvHistoCD->setCurrentItem(pChoisi);
    tvHistoCD->scrollToItem(pChoisi);
}

const TNoeudCD *THistoCDKX::NoeudCourant() const
{
    return NoeudDe(tvHistoCD->currentItem());
}

QTreeWidgetItem *THistoCDKX::ItemDe(const TNoeudCD *pNoeud) const
{
    if (!pNoeud)
        return nullptr;
    for (QTreeWidgetItemIterator it(tvHistoCD); *it; ++it)
        if (NoeudDe(*it) == pNoeud)
            return *it;
    return nullptr;
}

void THistoCDKX::QuittePage()
{
    m_Place = PlaceDeNoeud(NoeudCourant());
}

void THistoCDKX::tvHistoCDChange()
{
    if (!btHistoLectRecurs->isChecked())
        ListeNoeud();
}

void THistoCDKX::ListeNoeud()
{
    // The node is found again when the listing runs: a listing put off behind a long task
    // must not reach a tree rebuilt meanwhile.
    const TEnrHistoCD Place = PlaceDeNoeud(NoeudCourant());
    const bool lRecursif = btHistoLectRecurs->isChecked();
    auto *Filtres = m_Liste.findChild<TFiltresListeKX *>();
    TDemandeListe d;
    d.nMode = TModeListe::HistoriqueCD;
    d.lRecursif = lRecursif;
    d.Produit = [this, Place, lRecursif, Filtres](TListeur &Listeur, bool lCompteSeul) -> qint64 {
        const TNoeudCD *p = TrouveNoeudCD(m_Arbo, Place);
        if (!p)
            return 0;
        std::function<bool(TCandidatFiltre &)> fnFiltre;
        if (Filtres && m_Contexte.enrFiltresHisto.lActif)
            fnFiltre = [Filtres](TCandidatFiltre &c) { return Filtres->Teste(c); };
        return ListeNoeudCD(*p, Listeur, m_Liste.ContexteListe(), fnFiltre, lRecursif, lCompteSeul);
    };
    // A colour or pattern filter counts the candidates first and shows the progress window.
    TContexteListe &Ctx = m_Liste.ContexteListe();
    const TEnrFiltres &Enr = m_Contexte.enrFiltresHisto;
    const bool lLong = Filtres && Enr.lActif && (Enr.lColorimetrie || Enr.lMotif);
    const auto AncienFiltre = Ctx.Filtre;
    const bool lAncienLong = Ctx.lFiltreLong;
    if (lLong) {
        Ctx.Filtre = [Filtres](TCandidatFiltre &c) { return Filtres->Teste(c); };
        Ctx.lFiltreLong = true;
    }
    m_Liste.ConstruitListe(d);
    Ctx.Filtre = AncienFiltre;
    Ctx.lFiltreLong = lAncienLong;
}

void THistoCDKX::tvHistoCDMouseMove(const QPoint &ptVue)
{
    const QString cBulle = BulleNoeudCD(NoeudDe(tvHistoCD->itemAt(ptVue)));
    if (cBulle != tvHistoCD->toolTip()) {
        TMarkupHint::Cache();
        tvHistoCD->setToolTip(cBulle);
    }
}

void THistoCDKX::btHistoLectRecursClick()
{
    tvHistoCDChange();
}

void THistoCDKX::btHistoExplorerClick()
{
    ListeNoeud();
}

void THistoCDKX::MajPopup()
{
    const QTreeWidgetItem *pItem = tvHistoCD->currentItem();
    miHistoCDDeplier->setEnabled(pItem && pItem->childCount() > 0);
    const bool lMAJ = m_Selection.ModeMAJ();
    miHistoCDIndexer->setEnabled(lMAJ);
    const TNoeudCD *pNoeud = NoeudCourant();
    const bool lD = pNoeud && pNoeud->Enr;
    bool lPremiereAccessible = false;
    if (lMAJ && lD && pNoeud->ADesImages() && m_Contexte.Volumes) {
        QString cLecteur;
        lPremiereAccessible = LecteurDeCle(TLecteursCD(*m_Contexte.Volumes), pNoeud->Enr->nIdCD,
                                           pNoeud->Enr->lstChemins->first(), cLecteur);
    }
    miHistoCDRecreer->setEnabled(lPremiereAccessible);
    miHistoCDSupprimer->setEnabled(lMAJ && lD);
    miHistoCDSupprimerDos->setEnabled(lMAJ && lD && pNoeud->ADesImages());
    miHistoCDSupprimerDosFils->setEnabled(lMAJ && lD);
    miHistoCDSupprimerObs->setEnabled(lMAJ && lD && pNoeud->nNiveau == 1);
    miHistoCDImgSsCrit->setEnabled(lD && pNoeud->nNiveau == 1);
    miHistoCDRemplacer->setEnabled(lMAJ && miHistoCDImgSsCrit->isEnabled());
}

void THistoCDKX::miHistoCDDeplierClick()
{
    QTreeWidgetItem *pItem = tvHistoCD->currentItem();
    if (!pItem)
        return;
    tvHistoCD->expandRecursively(tvHistoCD->currentIndex());
    tvHistoCD->scrollToItem(pItem);
}

void THistoCDKX::IndexerCD()
{
    if (!m_Selection.ModeMAJ())
        return;
    TfmHistoCDIndexerCD Dialogue(m_Contexte, TailleVignettes(), m_Page->window());
    if (Dialogue.exec() == QDialog::Accepted)
        ConstruitArboCD();
}

TNoeudCD *THistoCDKX::NoeudModifiable()
{
    // The tree's nodes belong to m_Arbo; the item only points at them.
    return const_cast<TNoeudCD *>(NoeudCourant());
}

int THistoCDKX::TailleVignettes() const
{
    return m_fnTailleVignettes ? m_fnTailleVignettes() : TailleVignette(m_Contexte.Parametres.nIndTailleVigs);
}

int THistoCDKX::Execute(QDialog &Fenetre)
{
    return fnExecute ? fnExecute(Fenetre) : Fenetre.exec();
}

void THistoCDKX::miHistoCDRecreerClick()
{
    if (!m_Selection.ModeMAJ() || !m_Contexte.iniSetup)
        return;
    TModeleListeImages &Modele = m_Liste.Modele();
    const int nLignes = Modele.Nombre();
    if (nLignes == 0)
        return;
    TBigIniFile &iniSetup = *m_Contexte.iniSetup;
    TParamsVignettes P;
    P.cDossierVignettes = m_Contexte.Dossiers.cDossierVignettes;
    P.nD = TailleVignettes();
    P.lLireVigDsTHM = m_Contexte.Parametres.lLireVigDsTHM;
    std::optional<TLecteursCD> Lecteurs;
    if (m_Contexte.Volumes)
        Lecteurs.emplace(*m_Contexte.Volumes);
    TGaugeWindow Jauge(m_Page->window(), m_Contexte.Messages.get());
    Jauge.Demarre(QStringLiteral("Re-création des Vignettes"), 0, 0, nLignes - 1);
    bool lModifie = false;
    int nNonTraitees = 0;
    QStringList Changees;
    TContexteFocale Focale;
    Focale.iniCFAPN = m_Contexte.iniCFAPN.get();
    Focale.lCoeffFocDansTable = m_Contexte.Parametres.lCoeffFocDansTable;
    TDescriptions *pDescriptions = m_Contexte.Parametres.lTrtDescription ? m_Contexte.Descriptions.get() : nullptr;
    for (int i = 0; i < nLignes && i < Modele.Nombre(); ++i) {
        Jauge.set_GaugeCurValue(i);
        const TImageVignette Image = TVignettesKX::ImageDe(Modele.Enr(i));
        const TImageVignette Actuelle = ImageActuelle(Image, Lecteurs ? &*Lecteurs : nullptr);
        TResultatVignette r;
        // A row whose file cannot be reached keeps its thumbnail: it is the image's only picture.
        if (RecreeVignette(iniSetup, P, Image, DonneesRelues(Actuelle.CheminComplet(), Focale, pDescriptions),
                           Lecteurs ? &*Lecteurs : nullptr, r, lModifie))
            Changees << Image.Cle();
        else
            ++nNonTraitees;
        if (Jauge.Interrompu())
            break;
    }
    Jauge.Arrete();
    if (lModifie || iniSetup.Modifie()) {
        if (!iniSetup.UpdateFile())
            MessagesDe(m_Contexte)
                .Erreur(m_Page->window(),
                        QStringLiteral("Le catalogue n'a pas pu être enregistré : %1").arg(iniSetup.FileName()));
    }
    for (const QString &cCle : std::as_const(Changees))
        m_Selection.SignaleImage(cCle);
    if (nNonTraitees > 0)
        MessagesDe(m_Contexte)
            .Attention(m_Page->window(), QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(nNonTraitees));
    ListeNoeud();
}

void THistoCDKX::miHistoCDSupprimerClick(int nPortee)
{
    TNoeudCD *pNoeud = NoeudModifiable();
    if (!m_Selection.ModeMAJ() || !pNoeud || !pNoeud->Enr || !m_Contexte.iniSetup || !m_Contexte.iniBDD)
        return;
    const auto Portee = static_cast<TPorteeSuppressionCD>(nPortee);
    if (Portee == TPorteeSuppressionCD::Obsoletes && pNoeud->nNiveau != 1)
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    QWidget *Fenetre = m_Page->window();
    if (!Messages.Question(Fenetre, QuestionSuppression(*pNoeud, Portee)))
        return;
    static const TVolumesFactices Aucun;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TBilanSuppressionCD r = SupprimeImagesCD(
        *pNoeud, Portee, {*m_Contexte.iniSetup, *m_Contexte.iniBDD, m_Contexte.Dossiers.cDossierVignettes},
        m_Contexte.Volumes ? *m_Contexte.Volumes : static_cast<const IVolumes &>(Aucun));
    QApplication::restoreOverrideCursor();
    if (r.lCDAbsent) {
        Messages.Erreur(Fenetre, r.cMessage);
        return;
    }
    if (!r.Erreurs.isEmpty())
        Messages.Erreur(Fenetre, r.Erreurs.join(QStringLiteral("\r\n")));
    m_Place = TEnrHistoCD();
    Messages.Information(Fenetre, r.cMessage);
    if (r.nSupprimees > 0)
        ConstruitArboCD();
}

void THistoCDKX::miHistoCDImgSsCritClick()
{
    const TNoeudCD *pNoeud = NoeudCourant();
    if (!pNoeud || !pNoeud->Enr || pNoeud->nNiveau != 1 || !m_Contexte.iniSetup || !m_Contexte.iniBDD)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList Chemins = ImagesSansCritere(*m_Contexte.iniSetup, *m_Contexte.iniBDD, pNoeud->Enr->nIdCD);
    QApplication::restoreOverrideCursor();
    if (Chemins.isEmpty()) {
        MessagesDe(m_Contexte).Attention(m_Page->window(), QStringLiteral("Aucune image à traiter."));
        return;
    }
    TfmHistoCDImgSsCrit Fenetre(m_Contexte, TailleVignettes(), pNoeud->Enr->nIdCD, pNoeud->cTexte, Chemins,
                                m_Page->window());
    Execute(Fenetre);
}

void THistoCDKX::miHistoCDRemplacerClick()
{
    const TNoeudCD *pNoeud = NoeudCourant();
    if (!m_Selection.ModeMAJ() || !pNoeud || !pNoeud->Enr || pNoeud->nNiveau != 1)
        return;
    TfmHistoCDRemplacerCD Fenetre(m_Contexte, TailleVignettes(), pNoeud->Enr->nIdCD, pNoeud->cTexte, m_Arbo,
                                  m_Page->window());
    if (Execute(Fenetre) == QDialog::Accepted) {
        m_Place = TEnrHistoCD();
        ConstruitArboCD();
    }
}

THistoCDKX *InstalleHistoCD(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste)
{
    TPaneledListView *Grille = Main.Grille();
    auto *HistoCD = new THistoCDKX(Main.PageHistoCD(), Contexte, Liste, [Grille, &Contexte] {
        return Grille ? Grille->_ItemDim() : TailleVignette(Contexte.Parametres.nIndTailleVigs);
    });
    Main.Installe(HistoCD);
    return HistoCD;
}
