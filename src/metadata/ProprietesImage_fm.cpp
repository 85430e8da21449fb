#include "metadata/ProprietesImage_fm.h"

#include "classification/ArboCriteres.h"
#include "classification/Classement.h"
#include "classification/IconesArbres.h"
#include "components/MarkupHint.h"
#include "components/MemoSonoreQt.h"
#include "components/PaneledListView.h"
#include "exploration/ColonnesListe.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "publishing/AlbumImages.h"
#include "publishing/BulleImage.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace
{
const QColor cJauneClair(255, 255, 192);

QLabel *Valeur(QWidget *Parent, const char *cNom)
{
    auto *l = new QLabel(Parent);
    l->setObjectName(QLatin1String(cNom));
    // File texts may hold markup or HTML: shown as they are.
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return l;
}

QLabel *Titre(QWidget *Parent, const QString &cTexte, const char *cNom = nullptr)
{
    auto *l = new QLabel(cTexte, Parent);
    if (cNom)
        l->setObjectName(QLatin1String(cNom));
    return l;
}

void AjouteNoeuds(QTreeWidgetItem *Parent, QTreeWidget *Vue, const QList<TNoeudClassement> &Noeuds,
                  const TListeImagesArbres *Images)
{
    for (const TNoeudClassement &n : Noeuds) {
        auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Vue);
        Item->setText(0, n.cTexte);
        if (Images)
            Item->setIcon(0, Images->Icone(n.nImage));
        AjouteNoeuds(Item, Vue, n.Enfants, Images);
    }
}

void MetTexte(QLabel *l, const QString &c, bool lBulle = false)
{
    l->setText(c);
    if (lBulle)
        l->setToolTip(c);
}
} // namespace

// ---- All metadata

TfmProprietesImageToutesMD::TfmProprietesImageToutesMD(QWidget *Parent)
    : QWidget(Parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("fmProprietesImageToutesMD"));
    auto *Colonne = new QVBoxLayout(this);
    // Narrow margins: the value column takes the window's width less the two first columns.
    Colonne->setContentsMargins(4, 4, 4, 4);
    pcToutesMD = new QTabWidget(this);
    pcToutesMD->setObjectName(QStringLiteral("pcToutesMD"));
    tsEXIF = new QWidget;
    tsEXIF->setObjectName(QStringLiteral("tsEXIF"));
    tsIPTC = new QWidget;
    tsIPTC->setObjectName(QStringLiteral("tsIPTC"));
    grEXIF = Grille("grEXIF", QStringLiteral("Tag"));
    grIPTC = Grille("grIPTC", QStringLiteral("Id"));
    for (auto [Page, Vue] : {std::pair{tsEXIF, grEXIF}, std::pair{tsIPTC, grIPTC}}) {
        auto *l = new QVBoxLayout(Page);
        l->setContentsMargins(0, 0, 0, 0);
        l->addWidget(Vue);
    }
    pcToutesMD->addTab(tsEXIF, QStringLiteral("EXIF"));
    pcToutesMD->addTab(tsIPTC, QStringLiteral("IPTC"));
    Colonne->addWidget(pcToutesMD);
    btCopierPP = new QPushButton(QStringLiteral("&Copier vers le presse-papiers"), this);
    btCopierPP->setObjectName(QStringLiteral("btCopierPP"));
    auto *Bas = new QHBoxLayout;
    Bas->addStretch();
    Bas->addWidget(btCopierPP);
    Colonne->addLayout(Bas);
    connect(btCopierPP, &QPushButton::clicked, this, &TfmProprietesImageToutesMD::btCopierPPClick);
    resize(600, 500);
}

QTableWidget *TfmProprietesImageToutesMD::Grille(const char *cNom, const QString &cTitreId)
{
    auto *g = new QTableWidget(0, 3);
    g->setObjectName(QLatin1String(cNom));
    g->setHorizontalHeaderLabels({cTitreId, QStringLiteral("Nom"), QStringLiteral("Valeur")});
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 4);
    g->horizontalHeader()->setStretchLastSection(false);
    g->setColumnWidth(0, 40);
    g->setColumnWidth(1, 150);
    g->setWordWrap(false);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    g->setMouseTracking(true);
    g->viewport()->setMouseTracking(true);
    g->viewport()->setProperty(cBullesPropres, true);
    g->viewport()->installEventFilter(this);
    return g;
}

void TfmProprietesImageToutesMD::Remplit(QTableWidget *Grille, const QList<TEnrToutesMD> &Liste)
{
    Grille->clearContents();
    Grille->setRowCount(int(Liste.size()));
    for (int i = 0; i < Liste.size(); ++i) {
        const TEnrToutesMD &e = Liste[i];
        auto *Id = new QTableWidgetItem(QString::number(e.nId));
        Id->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        Grille->setItem(i, 0, Id);
        Grille->setItem(i, 1, new QTableWidgetItem(e.cNom));
        Grille->setItem(i, 2, new QTableWidgetItem(e.cValeur));
        if (i % 2 == 1)
            for (int c = 0; c < 3; ++c)
                Grille->item(i, c)->setBackground(cJauneClair);
    }
    // 40 pixels hold three digits; EXIF tags run to five, which must not lose their first ones.
    int nLargeurId = 40;
    for (const TEnrToutesMD &e : Liste)
        nLargeurId = std::max(nLargeurId, Grille->fontMetrics().horizontalAdvance(QString::number(e.nId)) + 12);
    Grille->setColumnWidth(0, nLargeurId);
    Grille->scrollToTop();
}

void TfmProprietesImageToutesMD::AjusteColonnes()
{
    // A wider identifier column takes its extra width from the value column.
    for (QTableWidget *g : {grEXIF, grIPTC})
        g->setColumnWidth(2, LargeurColonneValeur(width() - (g->columnWidth(0) - 40)));
}

void TfmProprietesImageToutesMD::Montre(const TContenuProprietes &Contenu)
{
    setWindowTitle(Contenu.cTitreToutesMD);
    m_Listes = Contenu.ToutesMD;
    m_cBulle.clear();
    Remplit(grEXIF, m_Listes.EXIF);
    Remplit(grIPTC, m_Listes.IPTC);
    AjusteColonnes();
    pcToutesMD->setTabText(0, Contenu.cPageEXIF);
    pcToutesMD->setTabText(1, Contenu.cPageIPTC);
}

void TfmProprietesImageToutesMD::Place(const QRect &Sheet)
{
    const QScreen *Ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!Ecran)
        return;
    const QRect Zone = Ecran->availableGeometry();
    const int x = Sheet.right() + 1;
    const int nLargeur = std::max(300, Zone.right() + 1 - x);
    const int nHauteur = std::min(Zone.height(), std::max(300, Sheet.height()));
    resize(nLargeur, nHauteur);
    move(x, Zone.top() + (Zone.height() - frameGeometry().height()) / 2);
}

const QList<TEnrToutesMD> &TfmProprietesImageToutesMD::ListeDe(const QTableWidget *Grille) const
{
    return Grille == grEXIF ? m_Listes.EXIF : m_Listes.IPTC;
}

QString TfmProprietesImageToutesMD::BulleLigne(const QTableWidget *Grille, int nLigne) const
{
    const QList<TEnrToutesMD> &Liste = ListeDe(Grille);
    if (nLigne < 0 || nLigne >= Liste.size())
        return {};
    const TEnrToutesMD &e = Liste[nLigne];
    const QString cLegende = fnTexteLegende ? fnTexteLegende(e.cNom, e.cValeur, 100) : e.cValeur;
    return BulleLigneToutesMD(Grille->horizontalHeaderItem(0)->text(), e, cLegende);
}

void TfmProprietesImageToutesMD::closeEvent(QCloseEvent *Evenement)
{
    // Only "Toutes les méta-données..." hides it: Alt+F4 and the window manager are refused.
    if (m_lFermable)
        Evenement->accept();
    else
        Evenement->ignore();
}

void TfmProprietesImageToutesMD::resizeEvent(QResizeEvent *Evenement)
{
    QWidget::resizeEvent(Evenement);
    AjusteColonnes();
}

void TfmProprietesImageToutesMD::wheelEvent(QWheelEvent *Evenement)
{
    // The wheel scrolls the grid of the page shown, wherever the mouse is over the window.
    auto *Grille = pcToutesMD->currentWidget() == tsEXIF ? grEXIF : grIPTC;
    QScrollBar *b = Grille->verticalScrollBar();
    b->setValue(b->value() - Evenement->angleDelta().y() / 120 * 3);
    Evenement->accept();
}

bool TfmProprietesImageToutesMD::eventFilter(QObject *Objet, QEvent *Evenement)
{
    QTableWidget *Grille = Objet == grEXIF->viewport() ? grEXIF : Objet == grIPTC->viewport() ? grIPTC : nullptr;
    if (!Grille)
        return QWidget::eventFilter(Objet, Evenement);
    if (Evenement->type() == QEvent::MouseMove || Evenement->type() == QEvent::ToolTip) {
        const QPoint Pos = Evenement->type() == QEvent::MouseMove
                               ? static_cast<QMouseEvent *>(Evenement)->position().toPoint()
                               : static_cast<QHelpEvent *>(Evenement)->pos();
        const int nLigne = Grille->rowAt(Pos.y());
        const QString cBulle = BulleLigne(Grille, nLigne);
        // Moving within a row keeps its hint on screen; another row cancels it.
        if (cBulle != m_cBulle) {
            TMarkupHint::Cache();
            m_cBulle = cBulle;
        }
        if (Evenement->type() == QEvent::ToolTip) {
            if (!m_cBulle.isEmpty()) {
                const QRect Zone(0, Grille->rowViewportPosition(nLigne), Grille->viewport()->width(),
                                 Grille->rowHeight(nLigne));
                TMarkupHint::Affiche(static_cast<QHelpEvent *>(Evenement)->globalPos(), m_cBulle, Grille->viewport(),
                                     Zone);
            }
            return true;
        }
    } else if (Evenement->type() == QEvent::Leave) {
        m_cBulle.clear();
    }
    return QWidget::eventFilter(Objet, Evenement);
}

void TfmProprietesImageToutesMD::btCopierPPClick()
{
    const QTableWidget *Grille = pcToutesMD->currentWidget() == tsEXIF ? grEXIF : grIPTC;
    QGuiApplication::clipboard()->setText(TexteCopieToutesMD(ListeDe(Grille)));
}

// ---- The sheet

TfmProprietesImage::TfmProprietesImage(const TModeleListeImages &Modele, const TPaneledListView *Grille,
                                       TSourcesProprietes Sources, const TListeImagesArbres *Images, IMemoSonore &Memo,
                                       QWidget *Parent)
    : QDialog(Parent), m_Modele(Modele), m_Grille(Grille), m_Sources(std::move(Sources)), m_Images(Images), m_Memo(Memo)
{
    setObjectName(QStringLiteral("fmProprietesImage"));
    setModal(true);
    ConstruitFenetre();
    m_pToutesMD = new TfmProprietesImageToutesMD(this);
    m_pToutesMD->fnTexteLegende = m_Sources.fnTexteLegende;
    connect(btToutesMD, &QPushButton::toggled, m_pToutesMD, [this](bool lVisible) {
        m_pToutesMD->setVisible(lVisible);
        if (lVisible)
            m_pToutesMD->raise();
    });
}

TfmProprietesImage::~TfmProprietesImage()
{
    m_Memo.Arrete();
    m_pToutesMD->AutoriseFermeture();
}

int TfmProprietesImage::Dernier() const
{
    return m_Modele.Nombre() - 1;
}

void TfmProprietesImage::ConstruitFenetre()
{
    auto *Principal = new QVBoxLayout(this);
    auto *Colonnes = new QHBoxLayout;
    Principal->addLayout(Colonnes);
    auto *Gauche = new QVBoxLayout;
    auto *Droite = new QVBoxLayout;
    Colonnes->addLayout(Gauche, 1);
    Colonnes->addLayout(Droite, 1);

    // Characteristics
    gbCaracteristiques = new QGroupBox(QStringLiteral("Caractéristiques"), this);
    gbCaracteristiques->setObjectName(QStringLiteral("gbCaracteristiques"));
    auto *gC = new QGridLayout(gbCaracteristiques);
    imImage = new QLabel(gbCaracteristiques);
    imImage->setObjectName(QStringLiteral("imImage"));
    imImage->setFixedSize(144, 144);
    imImage->setAlignment(Qt::AlignCenter);
    gC->addWidget(imImage, 0, 0, 8, 1, Qt::AlignTop);
    int n = 0;
    const auto Ligne = [&](const QString &cTitre, QLabel *v) {
        gC->addWidget(Titre(gbCaracteristiques, cTitre), n, 1);
        gC->addWidget(v, n++, 2);
    };
    stVEmplacement = Valeur(gbCaracteristiques, "stVEmplacement");
    Ligne(QStringLiteral("Emplacement :"), stVEmplacement);
    stVCD = Valeur(gbCaracteristiques, "stVCD");
    gC->addWidget(stVCD, n++, 1, 1, 2);
    stVNom = Valeur(gbCaracteristiques, "stVNom");
    Ligne(QStringLiteral("Nom :"), stVNom);
    stVResolution = Valeur(gbCaracteristiques, "stVResolution");
    Ligne(QStringLiteral("Résolution :"), stVResolution);
    stVTaille = Valeur(gbCaracteristiques, "stVTaille");
    Ligne(QStringLiteral("Taille :"), stVTaille);
    stVDate = Valeur(gbCaracteristiques, "stVDate");
    Ligne(QStringLiteral("Date :"), stVDate);
    stColorimetriePctPixOK =
        Titre(gbCaracteristiques, QStringLiteral("% de correspondance avec la Colorimétrie"), "stColorimetriePctPixOK");
    stVColorimetriePctPixOK = Valeur(gbCaracteristiques, "stVColorimetriePctPixOK");
    gC->addWidget(stColorimetriePctPixOK, n, 1);
    gC->addWidget(stVColorimetriePctPixOK, n++, 2);
    stMotifPctPixOK = Titre(gbCaracteristiques, QStringLiteral("% de correspondance avec le Motif"), "stMotifPctPixOK");
    stVMotifPctPixOK = Valeur(gbCaracteristiques, "stVMotifPctPixOK");
    gC->addWidget(stMotifPctPixOK, n, 1);
    gC->addWidget(stVMotifPctPixOK, n++, 2);
    btMemoSonore = new QPushButton(QStringLiteral("Mémo sonore"), gbCaracteristiques);
    btMemoSonore->setObjectName(QStringLiteral("btMemoSonore"));
    gC->addWidget(btMemoSonore, n++, 1, 1, 2, Qt::AlignLeft);
    gC->setColumnStretch(2, 1);
    Gauche->addWidget(gbCaracteristiques);
    connect(btMemoSonore, &QPushButton::clicked, this, &TfmProprietesImage::btMemoSonoreClick);

    // Classification
    gbCriteres = new QGroupBox(QStringLiteral("Critères"), this);
    gbCriteres->setObjectName(QStringLiteral("gbCriteres"));
    auto *gK = new QGridLayout(gbCriteres);
    tvCriteres = new QTreeWidget(gbCriteres);
    tvCriteres->setObjectName(QStringLiteral("tvCriteres"));
    tvCriteres->setHeaderHidden(true);
    tvCriteres->setMinimumHeight(90);
    gK->addWidget(tvCriteres, 0, 0, 1, 3);
    gK->addWidget(Titre(gbCriteres, QStringLiteral("Mots-clés :")), 1, 0);
    stVMotsCles = Valeur(gbCriteres, "stVMotsCles");
    stVMotsCles->setWordWrap(true);
    gK->addWidget(stVMotsCles, 1, 1, 1, 2);
    imCDC = new QLabel(gbCriteres);
    imCDC->setObjectName(QStringLiteral("imCDC"));
    imCDC->setPixmap(QPixmap::fromImage(IconesArbres::ImageIntegree(IconesArbres::nCoupDeCoeur)));
    stVCDC = Valeur(gbCriteres, "stVCDC");
    stVCDC->setText(QStringLiteral("Coup de coeur"));
    gK->addWidget(imCDC, 2, 0, Qt::AlignRight);
    gK->addWidget(stVCDC, 2, 1, 1, 2);
    gK->addWidget(Titre(gbCriteres, QStringLiteral("Légende :")), 3, 0, Qt::AlignTop);
    stVLegende = Valeur(gbCriteres, "stVLegende");
    stVLegende->setWordWrap(true);
    stVLegende->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    stVLegende->setFrameShape(QFrame::StyledPanel);
    gK->addWidget(stVLegende, 3, 1, 1, 2);
    stDescription = Titre(gbCriteres, QStringLiteral("Description :"), "stDescription");
    gK->addWidget(stDescription, 4, 0, Qt::AlignTop);
    stVDescription = Valeur(gbCriteres, "stVDescription");
    stVDescription->setWordWrap(true);
    stVDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    stVDescription->setFrameShape(QFrame::StyledPanel);
    stVDescription->setFixedHeight(41);
    gK->addWidget(stVDescription, 4, 1, 1, 2);
    gK->setColumnStretch(2, 1);
    Gauche->addWidget(gbCriteres, 1);

    // Albums
    gbAlbums = new QGroupBox(QStringLiteral("Albums"), this);
    gbAlbums->setObjectName(QStringLiteral("gbAlbums"));
    auto *gA = new QGridLayout(gbAlbums);
    gA->addWidget(Titre(gbAlbums, QStringLiteral("Albums d'images :")), 0, 0);
    stVAlbImg = Valeur(gbAlbums, "stVAlbImg");
    gA->addWidget(stVAlbImg, 0, 1);
    gA->addWidget(Titre(gbAlbums, QStringLiteral("Albums WEB personnels :")), 1, 0);
    stVAlbWHP = Valeur(gbAlbums, "stVAlbWHP");
    gA->addWidget(stVAlbWHP, 1, 1);
    gA->setColumnStretch(1, 1);
    Gauche->addWidget(gbAlbums);

    // EXIF: one icon and value per line, each shown only with its value.
    gbEXIF = new QGroupBox(QStringLiteral("EXIF"), this);
    gbEXIF->setObjectName(QStringLiteral("gbEXIF"));
    auto *gE = new QGridLayout(gbEXIF);
    const std::pair<const char *, int> Lignes[] = {{"stEXIFVAppareil", IconesArbres::nExifModele},
                                                   {"stEXIFVFocale", IconesArbres::nExifFocale},
                                                   {"stEXIFVVitesse", IconesArbres::nExifExposition},
                                                   {"stEXIFVDiaphragme", IconesArbres::nExifOuverture},
                                                   {"stEXIFVDatePDV", IconesArbres::nExifDate},
                                                   {"stEXIFVISO", IconesArbres::nExifIso},
                                                   {"stEXIFVOrientation", IconesArbres::nExifOrientation},
                                                   {"stEXIFVCommentaire", IconesArbres::nExifCommentaire}};
    QLabel **Champs[] = {&stEXIFVAppareil, &stEXIFVFocale, &stEXIFVVitesse,     &stEXIFVDiaphragme,
                         &stEXIFVDatePDV,  &stEXIFVISO,    &stEXIFVOrientation, &stEXIFVCommentaire};
    for (int i = 0; i < 8; ++i) {
        auto *Icone = new QLabel(gbEXIF);
        Icone->setObjectName(
            QString::fromLatin1(Lignes[i].first).replace(QLatin1String("stEXIFV"), QLatin1String("imEXIF")));
        Icone->setPixmap(QPixmap::fromImage(IconesArbres::ImageIntegree(Lignes[i].second)));
        *Champs[i] = Valeur(gbEXIF, Lignes[i].first);
        gE->addWidget(Icone, i, 0);
        gE->addWidget(*Champs[i], i, 1);
        m_EXIF.append(qMakePair(Icone, *Champs[i]));
    }
    gE->setColumnStretch(1, 1);
    Droite->addWidget(gbEXIF);

    // IPTC
    gbIPTC = new QGroupBox(QStringLiteral("IPTC"), this);
    gbIPTC->setObjectName(QStringLiteral("gbIPTC"));
    auto *gI = new QVBoxLayout(gbIPTC);
    pcIPTC = new QTabWidget(gbIPTC);
    pcIPTC->setObjectName(QStringLiteral("pcIPTC"));
    gI->addWidget(pcIPTC);
    const auto Page = [this](const QList<std::pair<QString, QLabel **>> &Champs, const char *cNom) {
        auto *p = new QWidget;
        p->setObjectName(QLatin1String(cNom));
        auto *g = new QGridLayout(p);
        int i = 0;
        for (const auto &[cTitre, Champ] : Champs) {
            if (!cTitre.isEmpty())
                g->addWidget(Titre(p, cTitre), i, 0, Qt::AlignTop);
            g->addWidget(*Champ, i++, 1);
        }
        g->setColumnStretch(1, 1);
        g->setRowStretch(i, 1);
        pcIPTC->addTab(p, QString());
    };
    for (auto [Champ, cNom] :
         std::initializer_list<std::pair<QLabel **, const char *>>{{&stVLegTitre, "stVLegTitre"},
                                                                   {&stVLegTexte, "stVLegTexte"},
                                                                   {&stVLegCopyright, "stVLegCopyright"},
                                                                   {&stVLegAuteur, "stVLegAuteur"},
                                                                   {&stVMC, "stVMC"},
                                                                   {&stVCatCat, "stVCatCat"},
                                                                   {&stVCatSuppl, "stVCatSuppl"},
                                                                   {&stVCrdCredits, "stVCrdCredits"},
                                                                   {&stVCrdSource, "stVCrdSource"},
                                                                   {&stVOriNom, "stVOriNom"},
                                                                   {&stVOriDate, "stVOriDate"},
                                                                   {&stVOriVille, "stVOriVille"},
                                                                   {&stVOriEtat, "stVOriEtat"},
                                                                   {&stVOriPays, "stVOriPays"}}) {
        *Champ = Valeur(gbIPTC, cNom);
        (*Champ)->setWordWrap(true);
    }
    Page({{QStringLiteral("Titre :"), &stVLegTitre},
          {QStringLiteral("Texte :"), &stVLegTexte},
          {QStringLiteral("Copyright :"), &stVLegCopyright},
          {QStringLiteral("Auteur :"), &stVLegAuteur}},
         "tsIPTCLegende");
    Page({{QString(), &stVMC}}, "tsIPTCMotsCles");
    Page({{QStringLiteral("Catégorie :"), &stVCatCat}, {QStringLiteral("Suppl. :"), &stVCatSuppl}}, "tsIPTCCategorie");
    Page({{QStringLiteral("Crédits :"), &stVCrdCredits},
          {QStringLiteral("Source :"), &stVCrdSource},
          {QStringLiteral("Nom :"), &stVOriNom},
          {QStringLiteral("Date :"), &stVOriDate},
          {QStringLiteral("Ville :"), &stVOriVille},
          {QStringLiteral("Etat :"), &stVOriEtat},
          {QStringLiteral("Pays :"), &stVOriPays}},
         "tsIPTCCredits");
    Droite->addWidget(gbIPTC, 1);
    Droite->addStretch();

    // Buttons
    auto *Bas = new QHBoxLayout;
    Principal->addLayout(Bas);
    btToutesMD = new QPushButton(QStringLiteral("&Toutes les méta-données..."), this);
    btToutesMD->setObjectName(QStringLiteral("btToutesMD"));
    btToutesMD->setCheckable(true);
    btToutesMD->setChecked(true);
    btToutesMD->setAutoDefault(false);
    Bas->addWidget(btToutesMD);
    Bas->addStretch();
    const auto Navig = [&](const char *cNom, const QString &cTexte, const QString &cBulle) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(cNom));
        b->setText(cTexte);
        b->setToolTip(cBulle);
        Bas->addWidget(b);
        return b;
    };
    btNavigPrem = Navig("btNavigPrem", QStringLiteral("|◀"), QStringLiteral("Première image"));
    btNavigPrec = Navig("btNavigPrec", QStringLiteral("◀"), QStringLiteral("Image précédente"));
    btNavigSuiv = Navig("btNavigSuiv", QStringLiteral("▶"), QStringLiteral("Image suivante"));
    btNavigDern = Navig("btNavigDern", QStringLiteral("▶|"), QStringLiteral("Dernière image"));
    Bas->addStretch();
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), this);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    Bas->addWidget(btQuitter);
    connect(btNavigPrem, &QToolButton::clicked, this, [this] { Navigue(0); });
    connect(btNavigPrec, &QToolButton::clicked, this,
            [this] { Navigue(ImageVoisine(m_nIndex, m_Modele.Nombre(), -1)); });
    connect(btNavigSuiv, &QToolButton::clicked, this,
            [this] { Navigue(ImageVoisine(m_nIndex, m_Modele.Nombre(), +1)); });
    connect(btNavigDern, &QToolButton::clicked, this, [this] { Navigue(Dernier()); });
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::accept);
    resize(900, 640);
}

void TfmProprietesImage::Navigue(int nLigne)
{
    if (nLigne >= 0 && nLigne < m_Modele.Nombre() && nLigne != m_nIndex)
        Affiche(nLigne);
}

void TfmProprietesImage::Affiche(int nLigne)
{
    // The sound of the image left behind does not go on over the next one.
    m_Memo.Arrete();
    if (nLigne < 0 || nLigne >= m_Modele.Nombre())
        return;
    m_nIndex = nLigne;
    const TContenuProprietes c = ContenuProprietes(m_Modele.Enr(nLigne), nLigne, m_Modele.Nombre(), m_Sources);
    Remplit(c);
    m_pToutesMD->Montre(c);
}

void TfmProprietesImage::Remplit(const TContenuProprietes &c)
{
    setWindowTitle(c.cTitre);
    MontreImage();
    MetTexte(stVEmplacement, c.cEmplacement, true);
    MetTexte(stVCD, c.cCD, true);
    MetTexte(stVNom, c.cNom, true);
    MetTexte(stVResolution, c.cResolution);
    MetTexte(stVTaille, c.cTaille);
    MetTexte(stVDate, c.cDate);
    stColorimetriePctPixOK->setVisible(c.lColorimetrie);
    stVColorimetriePctPixOK->setVisible(c.lColorimetrie);
    stVColorimetriePctPixOK->setText(c.cPctCouleur);
    stMotifPctPixOK->setVisible(c.lMotif);
    stVMotifPctPixOK->setVisible(c.lMotif);
    stVMotifPctPixOK->setText(c.cPctMotif);
    m_cMemo = c.cMemoSonore;
    btMemoSonore->setEnabled(!m_cMemo.isEmpty());

    tvCriteres->clear();
    AjouteNoeuds(nullptr, tvCriteres, c.Criteres, m_Images);
    tvCriteres->expandAll();
    if (QTreeWidgetItem *Premier = tvCriteres->topLevelItem(0))
        tvCriteres->setCurrentItem(Premier);
    MetTexte(stVMotsCles, c.cMotsCles);
    imCDC->setVisible(c.lCoupDeCoeur);
    stVCDC->setVisible(c.lCoupDeCoeur);
    stVLegende->setText(c.cLegende);
    stVLegende->setToolTip(c.cBulleLegende);
    stVLegende->setFixedHeight(c.nHauteurLegende);
    stDescription->setVisible(c.lDescription);
    stVDescription->setVisible(c.lDescription);
    stVDescription->setText(c.cDescription);
    stVDescription->setToolTip(c.cBulleDescription);
    MetTexte(stVAlbImg, c.cAlbImg, true);
    MetTexte(stVAlbWHP, c.cAlbWHP, true);

    gbEXIF->setVisible(c.lEXIF);
    const TValeurProprietes *Valeurs[] = {&c.Appareil, &c.Focale, &c.Vitesse,     &c.Diaphragme,
                                          &c.DatePDV,  &c.ISO,    &c.Orientation, &c.Commentaire};
    for (int i = 0; i < m_EXIF.size(); ++i) {
        m_EXIF[i].first->setVisible(Valeurs[i]->lVisible);
        m_EXIF[i].second->setVisible(Valeurs[i]->lVisible);
        m_EXIF[i].second->setText(Valeurs[i]->cTexte);
    }

    gbIPTC->setVisible(c.lIPTC);
    pcIPTC->setTabText(0, c.cPageLegende);
    pcIPTC->setTabText(1, c.cPageMotsCles);
    pcIPTC->setTabText(2, c.cPageCategorie);
    pcIPTC->setTabText(3, c.cPageCredits);
    pcIPTC->setCurrentIndex(0);
    stVLegTitre->setText(c.cLegTitre);
    stVLegTexte->setText(c.cLegTexte);
    stVLegTexte->setToolTip(c.cBulleLegTexte);
    stVLegCopyright->setText(c.cLegCopyright);
    stVLegAuteur->setText(c.cLegAuteur);
    stVMC->setText(c.cMC);
    stVCatCat->setText(c.cCatCat);
    stVCatSuppl->setText(c.cCatSuppl);
    stVCrdCredits->setText(c.cCrdCredits);
    stVCrdSource->setText(c.cCrdSource);
    stVOriNom->setText(c.cOriNom);
    stVOriDate->setText(c.cOriDate);
    stVOriVille->setText(c.cOriVille);
    stVOriEtat->setText(c.cOriEtat);
    stVOriPays->setText(c.cOriPays);

    const bool lNavigation = m_Modele.Nombre() > 1;
    for (QToolButton *b : {btNavigPrem, btNavigPrec, btNavigSuiv, btNavigDern})
        b->setEnabled(lNavigation);
}

void TfmProprietesImage::MontreImage()
{
    // The thumbnail as the grid shows it, its treatments included.
    const TPLVListItem *Item = m_Grille && m_Grille->Nombre() == m_Modele.Nombre() ? m_Grille->Item(m_nIndex) : nullptr;
    const QImage Vignette = Item && Item->AUneImage() ? Item->Vignette() : QImage();
    const QSize Taille = TailleImageProprietes(Vignette.size(), m_Grille ? m_Grille->_ItemDim() : 0);
    if (!Taille.isValid()) {
        imImage->clear();
        return;
    }
    imImage->setPixmap(QPixmap::fromImage(Vignette.scaled(Taille, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

void TfmProprietesImage::btMemoSonoreClick()
{
    if (!m_cMemo.isEmpty())
        m_Memo.Joue(m_cMemo);
}

void TfmProprietesImage::showEvent(QShowEvent *Evenement)
{
    QDialog::showEvent(Evenement);
    if (const QScreen *Ecran = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect Zone = Ecran->availableGeometry();
        move(Zone.left(), Zone.top() + (Zone.height() - frameGeometry().height()) / 2);
    }
    m_pToutesMD->Place(frameGeometry());
    m_pToutesMD->setVisible(btToutesMD->isChecked());
}

bool TfmProprietesImage::event(QEvent *Evenement)
{
    // A window manager may stack the tool window, shown before the sheet is mapped, under the
    // main window: it comes back above once the sheet is active.
    if (Evenement->type() == QEvent::WindowActivate && m_pToutesMD->isVisible())
        m_pToutesMD->raise();
    return QDialog::event(Evenement);
}

void TfmProprietesImage::done(int nResultat)
{
    m_Memo.Arrete();
    m_pToutesMD->hide();
    QDialog::done(nResultat);
}

// ---- The feature

TProprietesImageKX::TProprietesImageKX(TfmMainKX &Main, TContexte &Contexte, TClassement *Classement,
                                       TAlbumImages *Album)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_pClassement(Classement), m_pAlbum(Album),
      m_pMemo(std::make_unique<TMemoSonoreQt>())
{
    setObjectName(QStringLiteral("ProprietesImage"));
    miVigsPropImg = new QAction(QStringLiteral("Propriétés de l'&image..."), this);
    miVigsPropImg->setObjectName(QStringLiteral("miVigsPropImg"));
    miVigsPropImg->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    // Window-wide, so that Ctrl+I works without opening the pop-up.
    miVigsPropImg->setShortcutContext(Qt::WindowShortcut);
    Main.addAction(miVigsPropImg);
    connect(miVigsPropImg, &QAction::triggered, this,
            [this] { AfficheProprietes(m_Main.Selection().LigneCourante()); });
    const auto Etat = [this] { miVigsPropImg->setEnabled(m_Main.Selection().LigneCourante() >= 0); };
    connect(&Main.Selection(), &TSelectionKX::CouranteChange, this, Etat);
    connect(&Main.Selection(), &TSelectionKX::ListeConstruite, this, Etat);
    Etat();
    fnExecute = [](QDialog &d) { return d.exec(); };
}

TProprietesImageKX::~TProprietesImageKX() = default;

QList<QAction *> TProprietesImageKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::PopupVignettes)
        return {};
    miVigsPropImg->setEnabled(m_Main.Selection().LigneCourante() >= 0);
    return {miVigsPropImg};
}

void TProprietesImageKX::MetMemoSonore(std::unique_ptr<IMemoSonore> Memo)
{
    if (Memo)
        m_pMemo = std::move(Memo);
}

TSourcesProprietes TProprietesImageKX::Sources() const
{
    TSourcesProprietes S;
    TBigIniFile *iniSetup = m_Contexte.iniSetup.get();
    S.iniSetup = iniSetup;
    S.lTrtDescription = m_Contexte.Parametres.lTrtDescription;
    const TModeleListeImages *Modele = &m_Main.Modele();
    S.fnTexteColonne = [Modele](const TEnrLV &e, QChar x) {
        return x == QLatin1Char('R') ? Modele->TexteResolution(e) : ColonnesListe::TexteColonne(e, x);
    };
    if (TClassement *C = m_pClassement) {
        S.fnClassement = [C](const TEnrLV &e) { return C->AfficherClassement(e); };
        S.fnMotsCles = [C](const TEnrLV &e) { return C->MotsClesImage(e); };
        S.fnCoupDeCoeur = [C](const TEnrLV &e) { return C->EstCoupDeCoeur(e); };
        S.fnLegende = [C](const TEnrLV &e) { return C->LegendeImage(e); };
        S.fnDescription = [C](const TEnrLV &e) { return C->DescriptionImage(e); };
    }
    if (TAlbumImages *A = m_pAlbum)
        S.fnAlbumsImages = [A](const QString &cCle) { return A->AlbumsDeImage(cCle); };
    if (iniSetup)
        S.fnAlbumsWEBPerso = [iniSetup](const QString &cCle) { return AlbumsWEBPersoDeImage(*iniSetup, cCle); };
    S.fnTexteLegende = [](const QString &cTitre, const QString &cTexte, int n) {
        return TexteLegende(cTitre, cTexte, n);
    };
    return S;
}

void TProprietesImageKX::AfficheProprietes(int nLigne)
{
    if (nLigne < 0 || nLigne >= m_Main.Modele().Nombre())
        return;
    TfmProprietesImage Fenetre(m_Main.Modele(), m_Main.Grille(), Sources(),
                               m_pClassement ? &m_pClassement->Arbo().ilArbres() : nullptr, *m_pMemo, &m_Main);
    Fenetre.Affiche(nLigne);
    fnExecute(Fenetre);
}

TProprietesImageKX *InstalleProprietesImage(TfmMainKX &Main, TContexte &Contexte, TClassement *Classement,
                                            TAlbumImages *Album)
{
    auto *Proprietes = new TProprietesImageKX(Main, Contexte, Classement, Album);
    Main.Installe(Proprietes);
    return Proprietes;
}
