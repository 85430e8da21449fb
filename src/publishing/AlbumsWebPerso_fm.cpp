#include "publishing/AlbumsWebPerso_fm.h"
#include "mainwindow/ContextesAide.h"

#include "components/MessagesQt.h"
#include "components/PaneledListView.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "imaging/NomVignette.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/Couleurs.h"
#include "publishing/AlbumImages.h"
#include "publishing/AlbumImages_fm.h"
#include "publishing/AlbumWEB_fm.h"
#include "publishing/HierarchieAlbumWEB.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageReader>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace AlbumsWebPerso;

namespace
{
// Fills a flat list of album names, selecting cSelection or the first.
void RemplitListeAlbums(QTreeWidget *Arbre, const QStringList &Albums, const QString &cSelection, bool lEditable)
{
    Arbre->clear();
    QTreeWidgetItem *Choisi = nullptr;
    for (const QString &cNom : Albums) {
        auto *Item = new QTreeWidgetItem(Arbre, {cNom});
        Item->setData(0, Qt::UserRole, cNom);
        if (lEditable)
            Item->setFlags(Item->flags() | Qt::ItemIsEditable);
        if (!Choisi || cNom.compare(cSelection, Qt::CaseInsensitive) == 0)
            Choisi = Item;
    }
    if (Choisi)
        Arbre->setCurrentItem(Choisi);
}

QTreeWidget *NouvelArbre(QWidget *Parent, const char *cNom)
{
    auto *Arbre = new QTreeWidget(Parent);
    Arbre->setObjectName(QLatin1String(cNom));
    Arbre->setHeaderHidden(true);
    Arbre->setColumnCount(1);
    // Only the editor renames, and only its own trees say so.
    Arbre->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return Arbre;
}

QPushButton *Bouton(QWidget *Parent, const QString &cTexte, const char *cNom)
{
    auto *b = new QPushButton(cTexte, Parent);
    b->setObjectName(QLatin1String(cNom));
    return b;
}
} // namespace

// ---- Folder tree

TArbreDossiersAWH::TArbreDossiersAWH(QWidget *Parent) : QTreeWidget(Parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
}

QString TArbreDossiersAWH::Chemin(const QTreeWidgetItem *Item)
{
    return Item ? Item->data(0, Qt::UserRole).toString() : QString();
}

QTreeWidgetItem *TArbreDossiersAWH::Noeud(const QString &cChemin) const
{
    for (QTreeWidgetItemIterator It(const_cast<TArbreDossiersAWH *>(this)); *It; ++It)
        if (Chemin(*It).compare(cChemin, Qt::CaseInsensitive) == 0)
            return *It;
    return nullptr;
}

bool TArbreDossiersAWH::PeutDeposerSur(const QTreeWidgetItem *Cible) const
{
    return currentItem() && Cible && PeutDeposer(Chemins, Chemin(currentItem()), Chemin(Cible));
}

void TArbreDossiersAWH::dragMoveEvent(QDragMoveEvent *e)
{
    // Qt scrolls and draws the drop indicator; the rules decide.
    QTreeWidget::dragMoveEvent(e);
    if (e->source() == this && PeutDeposerSur(itemAt(e->position().toPoint()))) {
        e->setDropAction(Qt::MoveAction);
        e->accept();
    } else
        e->ignore();
}

void TArbreDossiersAWH::dropEvent(QDropEvent *e)
{
    QTreeWidgetItem *Cible = itemAt(e->position().toPoint());
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    if (e->source() != this || !PeutDeposerSur(Cible)) {
        e->ignore();
        return;
    }
    // The tree is filled again from the store: Qt must not move the node itself.
    e->setDropAction(Qt::IgnoreAction);
    e->accept();
    const QString cSource = Chemin(currentItem());
    const QString cCible = Chemin(Cible);
    // The menu and the questions come once the drag is over.
    QTimer::singleShot(0, this, [this, cSource, cCible] { emit DepotDemande(cSource, cCible); });
}

void RemplirDossiers(const TBigIniFile &iniSetup, const QString &cAlbum, QTreeWidget *Arbre, const QString &cSelection)
{
    const QSignalBlocker Bloque(Arbre);
    Arbre->clear();
    const QStringList Chemins = cAlbum.isEmpty() ? QStringList() : LitDossiers(iniSetup, cAlbum);
    if (auto *Dossiers = qobject_cast<TArbreDossiersAWH *>(Arbre))
        Dossiers->Chemins = Chemins;
    QHash<QString, QTreeWidgetItem *> Noeuds;
    QTreeWidgetItem *Choisi = nullptr;
    for (const QString &cChemin : Chemins) {
        // The list is in tree order, so a node's parent is always made before it.
        QTreeWidgetItem *Parent = Noeuds.value(CheminParent(cChemin).toCaseFolded());
        const bool lHaut = !cChemin.contains(QLatin1Char('/'));
        auto *Item = lHaut ? new QTreeWidgetItem(Arbre) : new QTreeWidgetItem(Parent);
        Item->setText(0, NomDossier(cChemin));
        Item->setData(0, Qt::UserRole, cChemin);
        Item->setFlags(Item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
        Noeuds.insert(cChemin.toCaseFolded(), Item);
        if (!Choisi || cChemin.compare(cSelection, Qt::CaseInsensitive) == 0)
            Choisi = Item;
    }
    Arbre->expandAll();
    if (Choisi)
        Arbre->setCurrentItem(Choisi);
}

// ---- Editor

TfmAlbumWEBHierPersoMAJ::TfmAlbumWEBHierPersoMAJ(TContexte &Contexte, QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_ini(*Contexte.iniSetup)
{
    setObjectName(QStringLiteral("fmAlbumWEBHierPersoMAJ"));
    FixeContexteAide(this, ContextesAide::nAlbumsWEBPerso);
    setWindowTitle(QStringLiteral("Mise à jour des Albums WEB hiérarchiques personnels"));
    CreeControles();
    RemplitAlbums(QString());
}

void TfmAlbumWEBHierPersoMAJ::CreeControles()
{
    auto *Principal = new QVBoxLayout(this);
    auto *Groupes = new QHBoxLayout;
    Principal->addLayout(Groupes, 1);

    gbAlbums = new QGroupBox(QStringLiteral("Albums &WEB hiérarchiques"), this);
    gbAlbums->setObjectName(QStringLiteral("gbAlbums"));
    auto *lAlbums = new QVBoxLayout(gbAlbums);
    tvAWH = NouvelArbre(gbAlbums, "tvAWH");
    tvAWH->setRootIsDecorated(false);
    tvAWH->setEditTriggers(QAbstractItemView::EditKeyPressed);
    lAlbums->addWidget(tvAWH, 1);
    btAWHNouveau = Bouton(gbAlbums, QStringLiteral("&Nouvel Album WEB hiérarchique"), "btAWHNouveau");
    btAWHSupprime = Bouton(gbAlbums, QStringLiteral("Su&pprimer"), "btAWHSupprime");
    btAWHRenomme = Bouton(gbAlbums, QStringLiteral("Reno&mmer [F2]"), "btAWHRenomme");
    for (QPushButton *b : {btAWHNouveau, btAWHSupprime, btAWHRenomme})
        lAlbums->addWidget(b);
    Groupes->addWidget(gbAlbums, 2);

    gbDossiers = new QGroupBox(QStringLiteral("&Dossiers de l'Album"), this);
    gbDossiers->setObjectName(QStringLiteral("gbDossiers"));
    auto *lDossiers = new QVBoxLayout(gbDossiers);
    tvDossiersAWH = new TArbreDossiersAWH(gbDossiers);
    tvDossiersAWH->setObjectName(QStringLiteral("tvDossiersAWH"));
    lDossiers->addWidget(tvDossiersAWH, 1);
    auto *lCree = new QHBoxLayout;
    btDossiersAWHCreeEnfant = Bouton(gbDossiers, QStringLiteral("Créer &enfant"), "btDossiersAWHCreeEnfant");
    btDossiersAWHCreeFrere = Bouton(gbDossiers, QStringLiteral("Créer &frère"), "btDossiersAWHCreeFrere");
    lCree->addWidget(btDossiersAWHCreeEnfant);
    lCree->addWidget(btDossiersAWHCreeFrere);
    lDossiers->addLayout(lCree);
    auto *lChange = new QHBoxLayout;
    btDossiersAWHRenomme = Bouton(gbDossiers, QStringLiteral("&Renommer [F2]"), "btDossiersAWHRenomme");
    btDossiersAWHSupprime = Bouton(gbDossiers, QStringLiteral("&Supprimer"), "btDossiersAWHSupprime");
    lChange->addWidget(btDossiersAWHRenomme);
    lChange->addWidget(btDossiersAWHSupprime);
    lDossiers->addLayout(lChange);
    Groupes->addWidget(gbDossiers, 3);

    gbImages = new QGroupBox(this);
    gbImages->setObjectName(QStringLiteral("gbImages"));
    auto *lImages = new QVBoxLayout(gbImages);
    plvImages = new TPaneledListView(gbImages);
    plvImages->setObjectName(QStringLiteral("plvImages"));
    plvImages->set_ItemDim(80);
    plvImages->set_Checks(true);
    const TEnrParametres &P = m_Contexte.Parametres;
    const QPalette Palette = QApplication::palette();
    plvImages->set_Panels3D(P.lVigPan3D);
    plvImages->setCouleurFond(Couleurs::Couleur(P.nVigCoulFond, Palette, 29));
    plvImages->set_PanelsColor(Couleurs::Couleur(P.nVigCoulPan, Palette, 35));
    plvImages->set_PanelsFontColor(Couleurs::Couleur(P.nVigCoulTxtPan, Palette, 30));
    plvImages->_OnItemCheck = [this](TPaneledListView *, TPLVListItem *) { MajBoutons(); };
    plvImages->_OnItemUnCheck = [this](TPaneledListView *, TPLVListItem *) { MajBoutons(); };
    lImages->addWidget(plvImages, 1);
    auto *lBoutonsImages = new QHBoxLayout;
    btImagesToutes = Bouton(gbImages, QStringLiteral("&Toutes"), "btImagesToutes");
    btImagesAucune = Bouton(gbImages, QStringLiteral("&Aucune"), "btImagesAucune");
    btImagesGestion = Bouton(gbImages, QStringLiteral("Gestion des &Images sélectionnées..."), "btImagesGestion");
    for (QPushButton *b : {btImagesToutes, btImagesAucune, btImagesGestion})
        lBoutonsImages->addWidget(b);
    lImages->addLayout(lBoutonsImages);
    Groupes->addWidget(gbImages, 5);

    auto *lBas = new QHBoxLayout;
    lBas->addStretch(1);
    btGenerer = Bouton(this, QStringLiteral("&Générer l'album..."), "btGenerer");
    btQuitter = Bouton(this, QStringLiteral("&Quitter"), "btQuitter");
    lBas->addWidget(btGenerer);
    lBas->addWidget(btQuitter);
    Principal->addLayout(lBas);
    resize(1000, 560);

    connect(btAWHNouveau, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btAWHNouveauClick);
    connect(btAWHSupprime, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btAWHSupprimeClick);
    connect(btAWHRenomme, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btAWHRenommeClick);
    connect(btDossiersAWHCreeEnfant, &QPushButton::clicked, this,
            &TfmAlbumWEBHierPersoMAJ::btDossiersAWHCreeEnfantClick);
    connect(btDossiersAWHCreeFrere, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btDossiersAWHCreeFrereClick);
    connect(btDossiersAWHRenomme, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btDossiersAWHRenommeClick);
    connect(btDossiersAWHSupprime, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btDossiersAWHSupprimeClick);
    connect(btImagesToutes, &QPushButton::clicked, this, [this] { btImagesTouteClick(true); });
    connect(btImagesAucune, &QPushButton::clicked, this, [this] { btImagesTouteClick(false); });
    connect(btImagesGestion, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btImagesGestionClick);
    connect(btGenerer, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btGenererClick);
    connect(btQuitter, &QPushButton::clicked, this, &TfmAlbumWEBHierPersoMAJ::btQuitterClick);
    connect(tvAWH, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_lRemplissage)
            AlbumChange();
    });
    connect(tvAWH, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *Item) { AlbumEdite(Item); });
    connect(tvDossiersAWH, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_lRemplissage)
            DossierChange();
    });
    connect(tvDossiersAWH, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *Item) { DossierEdite(Item); });
    connect(tvDossiersAWH, &TArbreDossiersAWH::DepotDemande, this, &TfmAlbumWEBHierPersoMAJ::Depose);
}

QString TfmAlbumWEBHierPersoMAJ::AlbumCourant() const
{
    return tvAWH->currentItem() ? tvAWH->currentItem()->data(0, Qt::UserRole).toString() : QString();
}

std::optional<QString> TfmAlbumWEBHierPersoMAJ::DossierCourant() const
{
    if (!tvDossiersAWH->currentItem())
        return std::nullopt;
    return TArbreDossiersAWH::Chemin(tvDossiersAWH->currentItem());
}

QStringList TfmAlbumWEBHierPersoMAJ::ClesCochees() const
{
    QStringList l;
    for (int i = 0; i < plvImages->Nombre() && i < m_ClesImages.size(); ++i)
        if (plvImages->Item(i)->lCoche())
            l << m_ClesImages[i];
    return l;
}

void TfmAlbumWEBHierPersoMAJ::RemplitAlbums(const QString &cSelection)
{
    m_lRemplissage = true;
    {
        const QSignalBlocker Bloque(tvAWH);
        RemplitListeAlbums(tvAWH, ListerAlbumsPerso(m_ini, false), cSelection, true);
    }
    m_lRemplissage = false;
    AlbumChange();
}

void TfmAlbumWEBHierPersoMAJ::AlbumChange()
{
    m_lRemplissage = true;
    RemplirDossiers(m_ini, AlbumCourant(), tvDossiersAWH);
    m_lRemplissage = false;
    DossierChange();
}

void TfmAlbumWEBHierPersoMAJ::DossierChange()
{
    RemplitImages();
    MajBoutons();
}

void TfmAlbumWEBHierPersoMAJ::RemplitImages()
{
    plvImages->Vide();
    m_ClesImages.clear();
    const std::optional<QString> cChemin = DossierCourant();
    const QStringList Cles = cChemin ? ImagesDossier(m_ini, AlbumCourant(), *cChemin) : QStringList();
    gbImages->setTitle(QStringLiteral("Images du dossier courant (%1)").arg(Cles.size()));
    QList<TEnrLST> Images;
    for (const QString &cCle : Cles)
        Images << DecomposeCle(cCle);
    TrieImagesNoeud(Images);
    // Only thumbnails already in the cache are shown: nothing here decodes an image file.
    for (const TEnrLST &e : std::as_const(Images)) {
        const QString cVignette = NomVignette(m_Contexte.Dossiers.cDossierVignettes, e.nVolume, e.cChemin);
        if (!QFile::exists(cVignette))
            continue;
        QImageReader Lecteur(cVignette);
        const QImage Image = Lecteur.read();
        if (Image.isNull())
            continue;
        TPLVListItem *Item = plvImages->Ajoute();
        plvImages->MetImage(Item, Image);
        plvImages->MetTitre(Item, e.cChemin.mid(e.cChemin.lastIndexOf(QLatin1Char('/')) + 1));
        plvImages->MetBulle(Item, e.cChemin);
        m_ClesImages << CleImage(e.nVolume, e.cChemin);
    }
}

void TfmAlbumWEBHierPersoMAJ::MajBoutons()
{
    const bool lAlbum = tvAWH->currentItem() != nullptr;
    const bool lDossier = tvDossiersAWH->currentItem() != nullptr;
    btAWHSupprime->setEnabled(lAlbum);
    btAWHRenomme->setEnabled(lAlbum);
    btGenerer->setEnabled(lAlbum && tvDossiersAWH->topLevelItemCount() > 0);
    btDossiersAWHCreeEnfant->setEnabled(lAlbum);
    btDossiersAWHCreeFrere->setEnabled(lDossier);
    btDossiersAWHRenomme->setEnabled(lDossier);
    btDossiersAWHSupprime->setEnabled(lDossier);
    btImagesToutes->setEnabled(plvImages->Nombre() > 0);
    btImagesAucune->setEnabled(plvImages->Nombre() > 0);
    btImagesGestion->setEnabled(!ClesCochees().isEmpty());
}

bool TfmAlbumWEBHierPersoMAJ::Rend(const TResultat &R)
{
    IMessages &Messages = MessagesDe(m_Contexte);
    if (!R.cRefus.isEmpty())
        Messages.Erreur(this, R.cRefus);
    if (!R.cErreurSauvegarde.isEmpty())
        Messages.Erreur(this, R.cErreurSauvegarde);
    if (R.lFait)
        emit AlbumsModifies();
    return R.lFait;
}

void TfmAlbumWEBHierPersoMAJ::btAWHNouveauClick()
{
    std::optional<QString> cNom;
    if (fnSaisieNom)
        cNom = fnSaisieNom();
    else {
        bool lOK = false;
        const QString c = QInputDialog::getText(this, QStringLiteral("Saisie"),
                                                QStringLiteral("Nom de l'album WEB hiérarchique à créer"),
                                                QLineEdit::Normal, {}, &lOK);
        if (lOK)
            cNom = c;
    }
    if (!cNom)
        return;
    if (Rend(CreeAlbum(m_ini, *cNom)))
        RemplitAlbums(cNom->trimmed());
}

void TfmAlbumWEBHierPersoMAJ::btAWHSupprimeClick()
{
    const QString cAlbum = AlbumCourant();
    if (cAlbum.isEmpty())
        return;
    if (!MessagesDe(m_Contexte)
             .Question(
                 this,
                 QStringLiteral("Supprimer %1 ?").arg(QStringLiteral("l'album WEB hiérarchique '") + cAlbum + "'")))
        return;
    Rend(SupprimeAlbum(m_ini, cAlbum));
    RemplitAlbums(QString());
}

void TfmAlbumWEBHierPersoMAJ::btAWHRenommeClick()
{
    if (QTreeWidgetItem *Item = tvAWH->currentItem()) {
        tvAWH->setFocus();
        tvAWH->editItem(Item);
    }
}

void TfmAlbumWEBHierPersoMAJ::AlbumEdite(QTreeWidgetItem *Item)
{
    if (m_lRemplissage || !Item)
        return;
    const QString cAncien = Item->data(0, Qt::UserRole).toString();
    const QString cNouveau = Item->text(0).trimmed();
    if (cNouveau == cAncien) {
        const QSignalBlocker Bloque(tvAWH);
        Item->setText(0, cAncien);
        return;
    }
    const TResultat R = RenommeAlbum(m_ini, cAncien, cNouveau);
    if (!R.lFait) {
        // Refused: the old name comes back.
        const QSignalBlocker Bloque(tvAWH);
        Item->setText(0, cAncien);
    }
    Rend(R);
    if (R.lFait)
        QTimer::singleShot(0, this, [this, cNouveau] { RemplitAlbums(cNouveau); });
}

void TfmAlbumWEBHierPersoMAJ::CreeDossier(bool lEnfant)
{
    const QString cAlbum = AlbumCourant();
    if (cAlbum.isEmpty())
        return;
    const std::optional<QString> cCourant = DossierCourant();
    std::optional<QString> cParent;
    if (lEnfant)
        cParent = cCourant;
    else if (cCourant && cCourant->contains(QLatin1Char('/')))
        cParent = CheminParent(*cCourant);
    const TResultat R = AlbumsWebPerso::CreeDossier(m_ini, cAlbum, cParent);
    if (!Rend(R))
        return;
    m_lRemplissage = true;
    RemplirDossiers(m_ini, cAlbum, tvDossiersAWH, R.cChemin);
    m_lRemplissage = false;
    DossierChange();
    if (QTreeWidgetItem *Item = tvDossiersAWH->Noeud(R.cChemin)) {
        tvDossiersAWH->setFocus();
        tvDossiersAWH->editItem(Item);
    }
}

void TfmAlbumWEBHierPersoMAJ::btDossiersAWHCreeEnfantClick()
{
    CreeDossier(true);
}

void TfmAlbumWEBHierPersoMAJ::btDossiersAWHCreeFrereClick()
{
    CreeDossier(false);
}

void TfmAlbumWEBHierPersoMAJ::btDossiersAWHRenommeClick()
{
    if (QTreeWidgetItem *Item = tvDossiersAWH->currentItem()) {
        tvDossiersAWH->setFocus();
        tvDossiersAWH->editItem(Item);
    }
}

void TfmAlbumWEBHierPersoMAJ::DossierEdite(QTreeWidgetItem *Item)
{
    if (m_lRemplissage || !Item)
        return;
    const QString cChemin = TArbreDossiersAWH::Chemin(Item);
    const QString cNom = Item->text(0);
    if (cNom == NomDossier(cChemin))
        return;
    const TResultat R = RenommeDossier(m_ini, AlbumCourant(), cChemin, cNom);
    if (!R.lFait) {
        const QSignalBlocker Bloque(tvDossiersAWH);
        Item->setText(0, NomDossier(cChemin));
    }
    Rend(R);
    if (R.lFait)
        QTimer::singleShot(0, this, [this, cNouveau = R.cChemin] {
            m_lRemplissage = true;
            RemplirDossiers(m_ini, AlbumCourant(), tvDossiersAWH, cNouveau);
            m_lRemplissage = false;
            DossierChange();
        });
}

void TfmAlbumWEBHierPersoMAJ::btDossiersAWHSupprimeClick()
{
    const std::optional<QString> cChemin = DossierCourant();
    if (!cChemin)
        return;
    const QString cTexte =
        QStringLiteral("Supprimer %1 ?")
            .arg(QStringLiteral("le dossier '") + NomDossier(*cChemin) + QStringLiteral("' (et ses sous-dossiers)"));
    if (!MessagesDe(m_Contexte).Question(this, cTexte))
        return;
    const TResultat R = SupprimeDossier(m_ini, AlbumCourant(), *cChemin);
    Rend(R);
    m_lRemplissage = true;
    RemplirDossiers(m_ini, AlbumCourant(), tvDossiersAWH, R.cChemin);
    m_lRemplissage = false;
    DossierChange();
}

void TfmAlbumWEBHierPersoMAJ::Depose(const QString &cSource, const QString &cCible)
{
    const QStringList Entrees = {
        QStringLiteral("&Copier '%1' vers '%2'").arg(NomDossier(cSource), NomDossier(cCible)),
        QStringLiteral("&Déplacer '%1' vers '%2'").arg(NomDossier(cSource), NomDossier(cCible)),
        QStringLiteral("&Annuler")};
    int nChoix = -1;
    if (fnMenuDepot)
        nChoix = fnMenuDepot(Entrees);
    else {
        QMenu Menu(this);
        QList<QAction *> Actions;
        for (const QString &c : Entrees)
            Actions << Menu.addAction(c);
        nChoix = static_cast<int>(Actions.indexOf(Menu.exec(QCursor::pos())));
    }
    if (nChoix != 0 && nChoix != 1)
        return;
    const bool lImages = MessagesDe(m_Contexte).Question(this, QStringLiteral("Copier/Déplacer aussi les Images ?"));
    const TResultat R = CopieDossier(m_ini, AlbumCourant(), cSource, cCible, lImages, nChoix == 1);
    if (!Rend(R))
        return;
    m_lRemplissage = true;
    RemplirDossiers(m_ini, AlbumCourant(), tvDossiersAWH, cCible);
    m_lRemplissage = false;
    if (QTreeWidgetItem *Item = tvDossiersAWH->Noeud(cCible))
        Item->setExpanded(true);
    DossierChange();
}

void TfmAlbumWEBHierPersoMAJ::btImagesTouteClick(bool lCoche)
{
    for (int i = 0; i < plvImages->Nombre(); ++i)
        plvImages->Coche(plvImages->Item(i), lCoche);
    MajBoutons();
}

void TfmAlbumWEBHierPersoMAJ::btImagesGestionClick()
{
    const std::optional<QString> cChemin = DossierCourant();
    const QStringList Cles = ClesCochees();
    if (!cChemin || Cles.isEmpty())
        return;
    TfmAlbumWEBHierPersoMAJGestImg Dialogue(m_ini, ListerAlbumsPerso(m_ini, false), AlbumCourant(), *cChemin, this);
    const bool lOK = fnExecuteGestion ? fnExecuteGestion(Dialogue) : Dialogue.exec() == QDialog::Accepted;
    if (!lOK)
        return;
    Rend(GereImages(m_ini, Dialogue.Gestion(), AlbumCourant(), *cChemin, Cles, Dialogue.AlbumCible(),
                    Dialogue.DossierCible().value_or(QString())));
    DossierChange();
}

void TfmAlbumWEBHierPersoMAJ::btGenererClick()
{
    const QString cAlbum = AlbumCourant();
    if (cAlbum.isEmpty())
        return;
    if (fnGenere) {
        fnGenere(cAlbum);
        return;
    }
    TSourceDonneesAW Source;
    Source.nSource = saHierPerso;
    Source.cArgument = cAlbum;
    OuvreAlbumWEB(m_Contexte, this, Source);
}

void TfmAlbumWEBHierPersoMAJ::btQuitterClick()
{
    accept();
}

void TfmAlbumWEBHierPersoMAJ::keyPressEvent(QKeyEvent *e)
{
    // F2 renames what the focus is on, album or folder, as the buttons say.
    if (e->key() == Qt::Key_F2) {
        if (tvDossiersAWH->hasFocus())
            btDossiersAWHRenommeClick();
        else
            btAWHRenommeClick();
        return;
    }
    QDialog::keyPressEvent(e);
}

// ---- Management of the ticked images

TfmAlbumWEBHierPersoMAJGestImg::TfmAlbumWEBHierPersoMAJGestImg(const TBigIniFile &iniSetup, const QStringList &Albums,
                                                               const QString &cAlbum, const QString &cChemin,
                                                               QWidget *Parent)
    : QDialog(Parent), m_ini(iniSetup), m_cAlbum(cAlbum), m_cChemin(cChemin)
{
    setObjectName(QStringLiteral("fmAlbumWEBHierPersoMAJGestImg"));
    FixeContexteAide(this, ContextesAide::nAlbumsWEBPerso);
    setWindowTitle(QStringLiteral("Images sélectionnées..."));
    auto *l = new QVBoxLayout(this);
    rbSupprime = new QRadioButton(QStringLiteral("les &Supprimer"), this);
    rbCopie = new QRadioButton(QStringLiteral("les &Copier vers"), this);
    rbDeplace = new QRadioButton(QStringLiteral("&les Déplacer vers"), this);
    rbSupprime->setObjectName(QStringLiteral("rbSupprime"));
    rbCopie->setObjectName(QStringLiteral("rbCopie"));
    rbDeplace->setObjectName(QStringLiteral("rbDeplace"));
    rbSupprime->setChecked(true);
    for (QRadioButton *rb : {rbSupprime, rbCopie, rbDeplace})
        l->addWidget(rb);
    auto *stAlbums = new QLabel(QStringLiteral("l'&Album"), this);
    cbAlbums = new QComboBox(this);
    cbAlbums->setObjectName(QStringLiteral("cbAlbums"));
    cbAlbums->addItems(Albums);
    stAlbums->setBuddy(cbAlbums);
    auto *stDossiers = new QLabel(QStringLiteral("dans le &Dossier"), this);
    tvDossiers = NouvelArbre(this, "tvDossiers");
    stDossiers->setBuddy(tvDossiers);
    for (QWidget *w : std::initializer_list<QWidget *>{stAlbums, cbAlbums, stDossiers, tvDossiers})
        l->addWidget(w);
    btBoutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btOK = btBoutons->button(QDialogButtonBox::Ok);
    btOK->setObjectName(QStringLiteral("btOK"));
    btBoutons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    l->addWidget(btBoutons);
    connect(btBoutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(btBoutons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto Remplit = [this] {
        RemplirDossiers(m_ini, cbAlbums->currentText(), tvDossiers);
        tvDossiers->setCurrentItem(nullptr);
        MajEtat();
    };
    connect(cbAlbums, &QComboBox::currentIndexChanged, this, Remplit);
    for (QRadioButton *rb : {rbSupprime, rbCopie, rbDeplace})
        connect(rb, &QRadioButton::toggled, this, &TfmAlbumWEBHierPersoMAJGestImg::MajEtat);
    connect(tvDossiers, &QTreeWidget::currentItemChanged, this, &TfmAlbumWEBHierPersoMAJGestImg::MajEtat);
    cbAlbums->setCurrentIndex(Albums.isEmpty() ? -1 : 0);
    Remplit();
}

TGestion TfmAlbumWEBHierPersoMAJGestImg::Gestion() const
{
    return rbCopie->isChecked() ? TGestion::Copie : rbDeplace->isChecked() ? TGestion::Deplace : TGestion::Supprime;
}

QString TfmAlbumWEBHierPersoMAJGestImg::AlbumCible() const
{
    return cbAlbums->currentText();
}

std::optional<QString> TfmAlbumWEBHierPersoMAJGestImg::DossierCible() const
{
    if (!tvDossiers->currentItem())
        return std::nullopt;
    return TArbreDossiersAWH::Chemin(tvDossiers->currentItem());
}

void TfmAlbumWEBHierPersoMAJGestImg::MajEtat()
{
    const bool lVers = !rbSupprime->isChecked();
    cbAlbums->setEnabled(lVers);
    tvDossiers->setEnabled(lVers);
    btOK->setEnabled(PeutGerer(Gestion(), m_cAlbum, m_cChemin, AlbumCible(), DossierCible()));
}

// ---- Adding images from the main window

TfmAlbumWEBHierPersoAjtImg::TfmAlbumWEBHierPersoAjtImg(const TBigIniFile &iniSetup, QWidget *Parent)
    : QDialog(Parent), m_ini(iniSetup)
{
    setObjectName(QStringLiteral("fmAlbumWEBHierPersoAjtImg"));
    FixeContexteAide(this, ContextesAide::nAlbumsWEBPerso);
    setWindowTitle(QStringLiteral("Ajout d'images dans un Album WEB hiérarchique personnel"));
    auto *l = new QVBoxLayout(this);
    auto *lArbres = new QHBoxLayout;
    auto *lAlbums = new QVBoxLayout;
    auto *stAlbums = new QLabel(QStringLiteral("&Albums"), this);
    tvAlbums = NouvelArbre(this, "tvAlbums");
    tvAlbums->setRootIsDecorated(false);
    stAlbums->setBuddy(tvAlbums);
    lAlbums->addWidget(stAlbums);
    lAlbums->addWidget(tvAlbums, 1);
    auto *lDossiers = new QVBoxLayout;
    auto *stDossiers = new QLabel(QStringLiteral("&Dossier"), this);
    tvDossiers = NouvelArbre(this, "tvDossiers");
    stDossiers->setBuddy(tvDossiers);
    lDossiers->addWidget(stDossiers);
    lDossiers->addWidget(tvDossiers, 1);
    lArbres->addLayout(lAlbums, 1);
    lArbres->addLayout(lDossiers, 2);
    l->addLayout(lArbres, 1);
    auto *Boutons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btOK = Boutons->button(QDialogButtonBox::Ok);
    btOK->setObjectName(QStringLiteral("btOK"));
    Boutons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annuler"));
    l->addWidget(Boutons);
    connect(Boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Boutons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(tvAlbums, &QTreeWidget::currentItemChanged, this, [this] { RemplirDossiers(m_ini, Album(), tvDossiers); });
    connect(tvDossiers, &QTreeWidget::currentItemChanged, this, [this] { btOK->setEnabled(Dossier().has_value()); });
    RemplitListeAlbums(tvAlbums, ListerAlbumsPerso(m_ini, true), QString(), false);
    RemplirDossiers(m_ini, Album(), tvDossiers);
    btOK->setEnabled(Dossier().has_value());
    resize(520, 360);
}

QString TfmAlbumWEBHierPersoAjtImg::Album() const
{
    return tvAlbums->currentItem() ? tvAlbums->currentItem()->data(0, Qt::UserRole).toString() : QString();
}

std::optional<QString> TfmAlbumWEBHierPersoAjtImg::Dossier() const
{
    if (!tvDossiers->currentItem())
        return std::nullopt;
    return TArbreDossiersAWH::Chemin(tvDossiers->currentItem());
}

void OuvreAlbumsWebPerso(TContexte &Contexte, QWidget *Parent, const std::function<void()> &fnModifie)
{
    if (!Contexte.iniSetup)
        return;
    TfmAlbumWEBHierPersoMAJ Fenetre(Contexte, Parent);
    if (fnModifie)
        QObject::connect(&Fenetre, &TfmAlbumWEBHierPersoMAJ::AlbumsModifies, &Fenetre, fnModifie);
    Fenetre.exec();
}

// ---- The feature

TAlbumsWebPersoKX::TAlbumsWebPersoKX(TfmMainKX &Main, TContexte &Contexte)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("AlbumsWebPerso"));
    miVigsAjtAlbWEBHierPerso = new QMenu(QStringLiteral("ajouter à un Album &WEB hiérarchique personnel :"));
    miVigsAjtAlbWEBHierPerso->setObjectName(QStringLiteral("miVigsAjtAlbWEBHierPerso"));
    miVigsAjtAlbWEBHierPersoImgCour = miVigsAjtAlbWEBHierPerso->addAction(QStringLiteral("l'image &courante..."));
    miVigsAjtAlbWEBHierPersoImgSel =
        miVigsAjtAlbWEBHierPerso->addAction(QStringLiteral("les images &sélectionnées..."));
    miVigsAjtAlbWEBHierPersoTtesImg = miVigsAjtAlbWEBHierPerso->addAction(QStringLiteral("&Toutes les images..."));
    connect(miVigsAjtAlbWEBHierPersoImgCour, &QAction::triggered, this, [this] { AjouterImages(AjoutCourante); });
    connect(miVigsAjtAlbWEBHierPersoImgSel, &QAction::triggered, this, [this] { AjouterImages(AjoutSelectionnees); });
    connect(miVigsAjtAlbWEBHierPersoTtesImg, &QAction::triggered, this, [this] { AjouterImages(AjoutToutes); });
    connect(this, &TAlbumsWebPersoKX::AlbumsModifies, this, &TAlbumsWebPersoKX::RafraichitBulles);
}

TAlbumsWebPersoKX::~TAlbumsWebPersoKX()
{
    delete miVigsAjtAlbWEBHierPerso;
}

QList<QAction *> TAlbumsWebPersoKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::PopupVignettes)
        return {};
    const TSelectionKX &Selection = m_Main.Selection();
    const TEnrLV *Courant = Selection.EnrCourant();
    const bool lAlbums = m_Contexte.iniSetup && !ListerAlbumsPerso(*m_Contexte.iniSetup, true).isEmpty();
    miVigsAjtAlbWEBHierPerso->menuAction()->setEnabled(Selection.ModeMAJ() && Courant && lAlbums);
    miVigsAjtAlbWEBHierPersoImgCour->setEnabled(Courant && !Courant->lIllisible);
    miVigsAjtAlbWEBHierPersoImgSel->setEnabled(Selection.Modele().nNbCoches() > 0);
    miVigsAjtAlbWEBHierPersoTtesImg->setEnabled(Selection.Modele().Nombre() > 0);
    return {miVigsAjtAlbWEBHierPerso->menuAction()};
}

QStringList TAlbumsWebPersoKX::ClesAjout(TChoixAjout nChoix) const
{
    const TModeleListeImages &Modele = m_Main.Selection().Modele();
    if (nChoix == AjoutCourante) {
        const TEnrLV *Courant = m_Main.Selection().EnrCourant();
        return Courant ? QStringList{Courant->Cle()} : QStringList();
    }
    QList<int> Lignes;
    if (nChoix == AjoutSelectionnees)
        Lignes = Modele.LignesCochees();
    else
        for (int i = 0; i < Modele.Nombre(); ++i)
            Lignes << i;
    QStringList Cles;
    for (int n : std::as_const(Lignes))
        if (!Modele.Enr(n).lIllisible)
            Cles << Modele.Enr(n).Cle();
    return Cles;
}

void TAlbumsWebPersoKX::AjouterImages(TChoixAjout nChoix)
{
    if (!m_Contexte.iniSetup)
        return;
    const QStringList Cles = ClesAjout(nChoix);
    if (Cles.isEmpty())
        return;
    TBigIniFile &ini = *m_Contexte.iniSetup;
    TfmAlbumWEBHierPersoAjtImg Dialogue(ini, &m_Main);
    const bool lOK = fnExecuteAjout ? fnExecuteAjout(Dialogue) : Dialogue.exec() == QDialog::Accepted;
    if (!lOK || !Dialogue.Dossier())
        return;
    const TResultat R = AjouteImages(ini, Dialogue.Album(), *Dialogue.Dossier(), Cles);
    if (!R.cErreurSauvegarde.isEmpty())
        MessagesDe(m_Contexte).Erreur(&m_Main, R.cErreurSauvegarde);
    if (R.lFait)
        emit AlbumsModifies();
}

void TAlbumsWebPersoKX::OuvreEditeur()
{
    OuvreAlbumsWebPerso(m_Contexte, &m_Main, [this] { emit AlbumsModifies(); });
}

void TAlbumsWebPersoKX::RafraichitBulles()
{
    // The grid's and the list's hints are made when shown; the image album keeps its own, made
    // when each image joined it.
    if (auto *AlbumImages = m_Main.findChild<TAlbumImagesKX *>()) {
        TAlbumImages &Album = AlbumImages->Album();
        if (Album.fnBulle)
            for (int n = 0; n < Album.Nombre(); ++n)
                Album.MetVignette(n, Album.Entree(n).imVignette, Album.fnBulle(Album.Entree(n).Enr));
    }
}

TAlbumsWebPersoKX *InstalleAlbumsWebPerso(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Feature = new TAlbumsWebPersoKX(Main, Contexte);
    if (auto *AlbumWEB = Main.findChild<TAlbumWEBKX *>(); AlbumWEB && AlbumWEB->miAlbumWEBAWH) {
        AlbumWEB->miAlbumWEBAWH->setVisible(true);
        QObject::connect(AlbumWEB->miAlbumWEBAWH, &QAction::triggered, Feature, &TAlbumsWebPersoKX::OuvreEditeur);
    }
    Main.Installe(Feature);
    return Feature;
}
