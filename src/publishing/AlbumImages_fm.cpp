#include "publishing/AlbumImages_fm.h"
#include "mainwindow/ContextesAide.h"

#include "classification/ArboCriteres.h"
#include "classification/Classement_fm.h"
#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/Couleurs.h"
#include "publishing/AlbumWEB_fm.h"
#include "storage/Contexte.h"
#include "storage/TaillesVignettes.h"
#include "thumbnails/ThumbnailCache_fm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

constexpr int nHauteurCriteres = 180;

// The progress window of a batch, shown from its first step so that a question asked before
// the work does not open under it.
class TJaugeAlbum
{
public:
    TJaugeAlbum(QWidget *Fenetre, IMessages &Messages, const QString &cTitre)
        : m_Jauge(Fenetre, &Messages), m_cTitre(cTitre)
    {}
    ~TJaugeAlbum() { Arrete(); }
    void Arrete()
    {
        if (m_lDemarree)
            m_Jauge.Arrete();
        m_lDemarree = false;
    }
    TSuivi Suivi()
    {
        TSuivi s;
        s.Avance = [this](qint64 nPosition, qint64 nMaximum) {
            if (!m_lDemarree)
                m_Jauge.Demarre(m_cTitre, 0, 0, int(std::max<qint64>(nMaximum, 1)));
            m_lDemarree = true;
            m_Jauge.set_GaugeCurValue(int(nPosition));
        };
        s.Interrompu = [this] { return m_lDemarree && m_Jauge.Interrompu(); };
        return s;
    }
    TGaugeWindow &Jauge() { return m_Jauge; }

private:
    TGaugeWindow m_Jauge;
    QString m_cTitre;
    bool m_lDemarree = false;
};

QPushButton *Bouton(QWidget *Parent, const char *cNom, const QString &cTexte, const QString &cBulle)
{
    auto *b = new QPushButton(cTexte, Parent);
    b->setObjectName(QString::fromLatin1(cNom));
    b->setToolTip(cBulle);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

void AjouteNoeuds(QTreeWidgetItem *Parent, QTreeWidget *Vue, const QList<TNoeudClassement> &Noeuds,
                  const TListeImagesArbres &Images)
{
    for (const TNoeudClassement &n : Noeuds) {
        auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Vue);
        Item->setText(0, n.cTexte);
        Item->setIcon(0, Images.Icone(n.nImage));
        AjouteNoeuds(Item, Vue, n.Enfants, Images);
        Item->setExpanded(n.lDeplie);
    }
}

} // namespace

// ---- The window

TfmAlbumImages::TfmAlbumImages(TAlbumImages &Album, TContexte &Contexte, QWidget *Parent)
    : QWidget(Parent, Qt::Window), m_Album(Album), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("fmAlbumImages"));
    FixeContexteAide(this, ContextesAide::nAlbumsImages);
    setWindowTitle(QStringLiteral("Album d'images"));

    auto *Ligne = new QHBoxLayout(this);
    Ligne->setContentsMargins(0, 0, 0, 0);
    Ligne->setSpacing(2);
    auto *Gauche = new QVBoxLayout;
    Gauche->setSpacing(2);
    Ligne->addLayout(Gauche);

    m_pnCommandes = new QWidget(this);
    m_pnCommandes->setObjectName(QStringLiteral("pnCommandesAI"));
    auto *Commandes = new QGridLayout(m_pnCommandes);
    Commandes->setContentsMargins(2, 2, 2, 2);
    Commandes->setSpacing(2);
    btAffFenCipale = Bouton(m_pnCommandes, "btAffFenCipale", QStringLiteral("Principale"),
                            QStringLiteral("Afficher la fenêtre principale"));
    btAide =
        Bouton(m_pnCommandes, "btAide", QStringLiteral("?"), QStringLiteral("Afficher de l'aide sur l'Album d'Images"));
    btSupprImgCour = Bouton(m_pnCommandes, "btSupprImgCour", QStringLiteral("Supprimer"),
                            QStringLiteral("Supprimer l'image courante"));
    btSupprTtesImg = Bouton(m_pnCommandes, "btSupprTtesImg", QStringLiteral("Tout supprimer"),
                            QStringLiteral("Supprimer toutes les images"));
    btSvgTtesVig = Bouton(m_pnCommandes, "btSvgTtesVig", QStringLiteral("Planche"),
                          QStringLiteral("Sauvegarder toutes les vignettes dans un même fichier"));
    btAlbumWEB = Bouton(m_pnCommandes, "btAlbumWEB", QStringLiteral("Album WEB"),
                        QStringLiteral("Exporter toutes les images vers un album WEB"));
    cbAlbImg = new QComboBox(m_pnCommandes);
    cbAlbImg->setObjectName(QStringLiteral("cbAlbImg"));
    cbAlbImg->setEditable(true);
    cbAlbImg->setInsertPolicy(QComboBox::NoInsert);
    cbAlbImg->setToolTip(QStringLiteral("Nom de l'album d'images"));
    btSvgAlbImg = Bouton(m_pnCommandes, "btSvgAlbImg", QStringLiteral("Sauvegarder"),
                         QStringLiteral("Sauvegarder l'album d'images"));
    btRstAlbImg =
        Bouton(m_pnCommandes, "btRstAlbImg", QStringLiteral("Restaurer"), QStringLiteral("Restaurer l'album d'images"));
    btSupprAlbImg = Bouton(m_pnCommandes, "btSupprAlbImg", QStringLiteral("Supprimer"),
                           QStringLiteral("Supprimer l'album d'images"));
    Commandes->addWidget(btAffFenCipale, 0, 0, 1, 2);
    Commandes->addWidget(btAide, 0, 2);
    Commandes->addWidget(btSupprImgCour, 1, 0);
    Commandes->addWidget(btSupprTtesImg, 1, 1, 1, 2);
    Commandes->addWidget(btSvgTtesVig, 2, 0);
    Commandes->addWidget(btAlbumWEB, 2, 1, 1, 2);
    Commandes->addWidget(cbAlbImg, 3, 0, 1, 3);
    Commandes->addWidget(btSvgAlbImg, 4, 0);
    Commandes->addWidget(btRstAlbImg, 4, 1);
    Commandes->addWidget(btSupprAlbImg, 4, 2);
    Gauche->addWidget(m_pnCommandes);

    plvVigsAI = new TPaneledListView(this);
    plvVigsAI->setObjectName(QStringLiteral("plvVigsAI"));
    plvVigsAI->set_Checks(false);
    Gauche->addWidget(plvVigsAI, 1);
    tvVigsAICrit = new QTreeWidget(this);
    tvVigsAICrit->setObjectName(QStringLiteral("tvVigsAICrit"));
    tvVigsAICrit->setHeaderHidden(true);
    tvVigsAICrit->setFixedHeight(nHauteurCriteres);
    Gauche->addWidget(tvVigsAICrit);

    pcImages = new QTabWidget(this);
    pcImages->setObjectName(QStringLiteral("pcImages"));
    pcImages->setUsesScrollButtons(true);
    Ligne->addWidget(pcImages, 1);

    connect(btAffFenCipale, &QPushButton::clicked, this, [this] {
        if (fnAfficheFenetrePrincipale)
            fnAfficheFenetrePrincipale();
    });
    connect(btAide, &QPushButton::clicked, this, [this] {
        if (fnAide)
            fnAide(QStringLiteral("Album d'images"));
    });
    connect(btSupprImgCour, &QPushButton::clicked, this, &TfmAlbumImages::btSupprImgCourClick);
    connect(btSupprTtesImg, &QPushButton::clicked, this, &TfmAlbumImages::btSupprTtesImgClick);
    connect(btSvgTtesVig, &QPushButton::clicked, this, &TfmAlbumImages::btSvgTtesVigClick);
    connect(btAlbumWEB, &QPushButton::clicked, this, &TfmAlbumImages::btAlbumWEBClick);
    connect(btSvgAlbImg, &QPushButton::clicked, this, &TfmAlbumImages::btSvgAlbImgClick);
    connect(btRstAlbImg, &QPushButton::clicked, this, &TfmAlbumImages::btRstAlbImgClick);
    connect(btSupprAlbImg, &QPushButton::clicked, this, &TfmAlbumImages::btSupprAlbImgClick);
    connect(cbAlbImg, &QComboBox::editTextChanged, this, &TfmAlbumImages::cbAlbImgChange);
    connect(pcImages, &QTabWidget::currentChanged, this, &TfmAlbumImages::PageChangee);
    plvVigsAI->_OnItemChange = [this](TPaneledListView *, TPLVListItem *Item) {
        if (Item && !m_lSynchro)
            ActivePage(Item->Index());
    };

    connect(&m_Album, &TAlbumImages::EntreeAjoutee, this, &TfmAlbumImages::Ajoutee);
    connect(&m_Album, &TAlbumImages::EntreeEnlevee, this, &TfmAlbumImages::Enlevee);
    connect(&m_Album, &TAlbumImages::EntreeModifiee, this, &TfmAlbumImages::Modifiee);
    connect(&m_Album, &TAlbumImages::ImagePleineChangee, this, &TfmAlbumImages::PleineChangee);
    connect(&m_Album, &TAlbumImages::NomsChanges, this, &TfmAlbumImages::NomsChanges);

    for (int i = 0; i < m_Album.Nombre(); ++i)
        Ajoutee(i);
    NomsChanges();
    cbAlbImg->setCurrentIndex(-1);
    cbAlbImg->setEditText({});
    AppliqueTaillesMinimales();
    MajBoutons();
}

TfmAlbumImages::~TfmAlbumImages() = default;

IMessages &TfmAlbumImages::Messages()
{
    return MessagesDe(m_Contexte);
}

void TfmAlbumImages::Montre()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TfmAlbumImages::Place()
{
    const QScreen *Ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!Ecran)
        return;
    const QRect r = Ecran->availableGeometry();
    const int x = r.left() + r.width() / 3;
    move(x, r.top());
    resize(std::max(minimumWidth(), r.right() + 1 - x), std::max(minimumHeight(), r.height()));
}

void TfmAlbumImages::MetApparence(const QColor &Fond, const QColor &Panneaux, const QColor &Texte,
                                  const QColor &FondImage, int nD)
{
    plvVigsAI->setCouleurFond(Fond);
    plvVigsAI->set_PanelsColor(Panneaux);
    plvVigsAI->set_PanelsFontColor(Texte);
    plvVigsAI->set_ItemDim(nD);
    m_FondImage = FondImage;
    for (int i = 0; i < pcImages->count(); ++i)
        if (auto *p = qobject_cast<TPanneauImage *>(pcImages->widget(i)))
            p->MetCouleurFond(FondImage);
    AppliqueTaillesMinimales();
}

void TfmAlbumImages::AppliqueTaillesMinimales()
{
    // The strip shows one column of thumbnails beside its scroll bar.
    const int nD = plvVigsAI->_ItemDim();
    const int nLargeurVigs =
        std::max(PasXCellule(nD) + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * plvVigsAI->frameWidth(),
                 m_pnCommandes->sizeHint().width());
    plvVigsAI->setFixedWidth(nLargeurVigs);
    m_pnCommandes->setFixedWidth(nLargeurVigs);
    tvVigsAICrit->setFixedWidth(nLargeurVigs);
    setMinimumWidth(nLargeurVigs + 128);
    setMinimumHeight(m_pnCommandes->sizeHint().height() + PasYCellule(nD) + nHauteurCriteres + 60);
}

void TfmAlbumImages::MetModeMAJ(bool lModeMAJ)
{
    m_lModeMAJ = lModeMAJ;
    MajBoutons();
}

void TfmAlbumImages::MajBoutons()
{
    const TEtatBoutonsAlbum E = m_Album.EtatBoutons(cbAlbImg->currentText(), m_lModeMAJ);
    btSupprImgCour->setEnabled(E.lSupprImgCour);
    btSupprTtesImg->setEnabled(E.lSupprTtesImg);
    btSvgTtesVig->setEnabled(E.lSvgTtesVig);
    btAlbumWEB->setEnabled(E.lAlbumWEB);
    btSvgAlbImg->setEnabled(E.lSvgAlbImg);
    btRstAlbImg->setEnabled(E.lRstAlbImg);
    btSupprAlbImg->setEnabled(E.lSupprAlbImg);
    btAide->setEnabled(bool(fnAide));
}

void TfmAlbumImages::cbAlbImgChange()
{
    const int n = m_Album.IndexNom(cbAlbImg->currentText());
    if (n >= 0 && cbAlbImg->currentIndex() != n) {
        // The listed album is chosen, under its own spelling, so that the questions name it.
        const QSignalBlocker Bloque(cbAlbImg);
        cbAlbImg->setCurrentIndex(n);
    }
    MajBoutons();
}

// ---- Entries and pages

void TfmAlbumImages::Ajoutee(int n)
{
    const TEnrImgAlbum &e = m_Album.Entree(n);
    auto *Page = new TPanneauImage;
    Page->setObjectName(QStringLiteral("sbDefil"));
    if (m_FondImage.isValid())
        Page->MetCouleurFond(m_FondImage);
    Page->setToolTip(e.cBulle);
    {
        const QSignalBlocker Bloque(pcImages);
        pcImages->insertTab(n, Page, e.Titre());
    }
    TPLVListItem *Item = plvVigsAI->Insere(n);
    plvVigsAI->MetTitre(Item, e.Titre());
    plvVigsAI->MetBulle(Item, e.cBulle);
    if (!e.imVignette.isNull())
        plvVigsAI->MetImage(Item, e.imVignette);
    PleineChangee(n);
    MajBoutons();
}

void TfmAlbumImages::Enlevee(int n)
{
    if (n < 0 || n >= pcImages->count())
        return;
    {
        const QSignalBlocker Bloque(pcImages);
        QWidget *Page = pcImages->widget(n);
        pcImages->removeTab(n);
        delete Page;
    }
    plvVigsAI->Supprime(plvVigsAI->Item(n));
    if (m_Album.Nombre() > 0)
        ActivePage(0);
    else
        tvVigsAICrit->clear();
    MajBoutons();
}

void TfmAlbumImages::Modifiee(int n)
{
    if (n < 0 || n >= pcImages->count())
        return;
    const TEnrImgAlbum &e = m_Album.Entree(n);
    pcImages->setTabText(n, e.Titre());
    pcImages->widget(n)->setToolTip(e.cBulle);
    TPLVListItem *Item = plvVigsAI->Item(n);
    plvVigsAI->MetTitre(Item, e.Titre());
    plvVigsAI->MetBulle(Item, e.cBulle);
    if (!e.imVignette.isNull())
        plvVigsAI->MetImage(Item, e.imVignette);
    if (n == plvVigsAI->IndexSelectionne())
        MontreCriteres(n);
}

void TfmAlbumImages::PleineChangee(int n)
{
    auto *Page = n >= 0 && n < pcImages->count() ? qobject_cast<TPanneauImage *>(pcImages->widget(n)) : nullptr;
    if (!Page)
        return;
    const QImage &Image = m_Album.Entree(n).imImage;
    if (Image.isNull())
        Page->Vide();
    else {
        Page->MetImage(Image, Image.size());
        Page->RetourOrigine();
    }
}

void TfmAlbumImages::ActivePage(int n)
{
    if (n < 0 || n >= m_Album.Nombre())
        return;
    if (pcImages->currentIndex() != n)
        pcImages->setCurrentIndex(n);
    else
        PageChangee(n);
}

void TfmAlbumImages::PageChangee(int n)
{
    if (n < 0 || n >= m_Album.Nombre())
        return;
    m_Album.Active(n);
    if (TPLVListItem *Item = plvVigsAI->Item(n); Item && plvVigsAI->IndexSelectionne() != n) {
        m_lSynchro = true;
        plvVigsAI->Selectionne(Item);
        m_lSynchro = false;
        plvVigsAI->MontreItem(Item);
    }
    MontreCriteres(n);
}

void TfmAlbumImages::MontreCriteres(int n)
{
    tvVigsAICrit->clear();
    if (fnAfficheClassement && n >= 0 && n < m_Album.Nombre())
        fnAfficheClassement(tvVigsAICrit, m_Album.Entree(n).Enr);
}

void TfmAlbumImages::NomsChanges()
{
    const QString cTexte = cbAlbImg->currentText();
    {
        const QSignalBlocker Bloque(cbAlbImg);
        cbAlbImg->clear();
        cbAlbImg->addItems(m_Album.NomsSauves());
        cbAlbImg->setCurrentIndex(-1);
        // A name deleted while it was the last one leaves the text empty.
        cbAlbImg->setEditText(m_Album.NomsSauves().isEmpty() ? QString() : cTexte);
    }
    cbAlbImgChange();
}

// ---- Buttons

void TfmAlbumImages::btSupprImgCourClick()
{
    const int n = plvVigsAI->IndexSelectionne() >= 0 ? plvVigsAI->IndexSelectionne() : pcImages->currentIndex();
    if (n < 0 || !Messages().Question(this, QStringLiteral("Supprimer %1 ?").arg(QStringLiteral("l'image courante"))))
        return;
    m_Album.EnleverPosition(n);
}

void TfmAlbumImages::btSupprTtesImgClick()
{
    if (m_Album.Nombre() == 0
        || !Messages().Question(
            this, QStringLiteral("Supprimer %1 ?").arg(QStringLiteral("les %1 image(s)").arg(m_Album.Nombre()))))
        return;
    m_Album.EnleverTout();
}

void TfmAlbumImages::btSvgTtesVigClick()
{
    if (fnSauverPlanche)
        fnSauverPlanche(plvVigsAI);
}

void TfmAlbumImages::btAlbumWEBClick()
{
    TSourceDonneesAW Source;
    Source.nSource = saAlbumImages;
    Source.lstImages = m_Album.ListeAlbumWEB();
    if (fnAlbumWEB)
        fnAlbumWEB(Source);
}

void TfmAlbumImages::btSvgAlbImgClick()
{
    if (!btSvgAlbImg->isEnabled())
        return;
    const QString cNom = cbAlbImg->currentText().trimmed();
    if (m_Album.SauverAlbum(cNom, Messages(), this))
        cbAlbImg->setEditText(cNom);
    MajBoutons();
}

void TfmAlbumImages::btRstAlbImgClick()
{
    if (!btRstAlbImg->isEnabled() || TGaugeWindow::TacheEnCours())
        return;
    IMessages &M = Messages();
    TJaugeAlbum Jauge(this, M, QStringLiteral("Restauration des Images"));
    TMessagesPrecedes MessagesLot(M, [&Jauge] { Jauge.Arrete(); });
    tvVigsAICrit->clear();
    const int n = m_Album.RestaurerAlbum(cbAlbImg->currentText(), MessagesLot, this, Jauge.Suivi());
    Jauge.Arrete();
    if (n >= 0 && m_Album.Nombre() > 0) {
        plvVigsAI->setFocus();
        ActivePage(0);
    }
    MajBoutons();
}

void TfmAlbumImages::btSupprAlbImgClick()
{
    if (!btSupprAlbImg->isEnabled())
        return;
    m_Album.SupprimerAlbum(cbAlbImg->currentText(), Messages(), this);
    MajBoutons();
}

// ---- The feature in the main window

TAlbumImagesKX::TAlbumImagesKX(TfmMainKX &Main, TContexte &Contexte, TVignettesKX *Vignettes, TClassementKX *Classement)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("AlbumImages"));
    m_pAlbum = new TAlbumImages(*Contexte.iniSetup, Contexte.Parametres, this);
    m_pAlbum->cDossierVignettes = Contexte.Dossiers.cDossierVignettes;
    m_pAlbum->nDVignette = TailleVignette(Contexte.Parametres.nIndTailleVigs);
    m_pAlbum->LitNomsSauves();

    m_fmAlbum = new TfmAlbumImages(*m_pAlbum, Contexte, &Main);
    TfmAlbumImages *fm = m_fmAlbum;
    fm->fnAfficheFenetrePrincipale = [this] {
        if (m_Main.isMinimized())
            m_Main.showNormal();
        m_Main.raise();
        m_Main.activateWindow();
    };
    if (Vignettes)
        fm->fnSauverPlanche = [Vignettes](TPaneledListView *Grille) {
            Vignettes->SauverPlanche(Grille, QStringLiteral("Album d'Images"));
        };
    if (Classement)
        fm->fnAfficheClassement = [Classement](QTreeWidget *Arbre, const TEnrLV &Enr) {
            TClassement &C = Classement->Classement();
            AjouteNoeuds(nullptr, Arbre, C.AfficherClassement(Enr), C.Arbo().ilArbres());
        };
    fm->fnAlbumWEB = [this](const TSourceDonneesAW &Source) { OuvreAlbumWEB(m_Contexte, m_fmAlbum, Source); };
    const TEnrParametres &P = Contexte.Parametres;
    const QPalette Palette = QApplication::palette();
    fm->MetApparence(Couleurs::Couleur(P.nVigCoulFond, Palette, 29), Couleurs::Couleur(P.nVigCoulPan, Palette, 35),
                     Couleurs::Couleur(P.nVigCoulTxtPan, Palette, 30), Couleurs::Couleur(P.nImgFACoulFond, Palette, 35),
                     TailleVignette(P.nIndTailleVigs));
    fm->MetModeMAJ(Main.Selection().ModeMAJ());
    fm->Place();
    connect(&Main.Selection(), &TSelectionKX::ModeChange, fm, &TfmAlbumImages::MetModeMAJ);

    miVigsAjtAlbImg = new QMenu(QStringLiteral("ajouter à l'&Album d'images :"));
    miVigsAjtAlbImg->setObjectName(QStringLiteral("miVigsAjtAlbImg"));
    miVigsAjtAlbImg->menuAction()->setObjectName(QStringLiteral("miVigsAjtAlbImg"));
    miVigsAjtAlbImgImgCour = miVigsAjtAlbImg->addAction(QStringLiteral("l'image &courante..."));
    miVigsAjtAlbImgImgCour->setObjectName(QStringLiteral("miVigsAjtAlbImgImgCour"));
    miVigsAjtAlbImgImgSel = miVigsAjtAlbImg->addAction(QStringLiteral("les images &sélectionnées..."));
    miVigsAjtAlbImgImgSel->setObjectName(QStringLiteral("miVigsAjtAlbImgImgSel"));
    miVigsAjtAlbImgTtesImg = miVigsAjtAlbImg->addAction(QStringLiteral("&Toutes les images..."));
    miVigsAjtAlbImgTtesImg->setObjectName(QStringLiteral("miVigsAjtAlbImgTtesImg"));
    connect(miVigsAjtAlbImgImgCour, &QAction::triggered, this, [this] { AjouterImages(AjoutCourante); });
    connect(miVigsAjtAlbImgImgSel, &QAction::triggered, this, [this] { AjouterImages(AjoutSelectionnees); });
    connect(miVigsAjtAlbImgTtesImg, &QAction::triggered, this, [this] { AjouterImages(AjoutToutes); });

    btAffAlbImg = AjouteBoutonBarre(Main.BarreListe(), "btAffAlbImg", QStringLiteral("Album"),
                                    QStringLiteral("Afficher l'album d'images"), new QAction(this));
    if (btAffAlbImg)
        connect(btAffAlbImg, &QPushButton::clicked, fm, &TfmAlbumImages::Montre);
}

TAlbumImagesKX::~TAlbumImagesKX()
{
    // The window shows the album: it goes first.
    delete m_fmAlbum;
    delete miVigsAjtAlbImg;
}

QList<QAction *> TAlbumImagesKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::PopupVignettes)
        return {};
    const TModeleListeImages &Modele = m_Main.Modele();
    const TEnrLV *Courant = m_Main.Selection().EnrCourant();
    miVigsAjtAlbImgImgCour->setEnabled(Courant && PeutAjouterAlbum(*Courant));
    miVigsAjtAlbImgImgSel->setEnabled(Modele.nNbCoches() > 0);
    miVigsAjtAlbImgTtesImg->setEnabled(Modele.Nombre() > 0);
    miVigsAjtAlbImg->menuAction()->setEnabled(Modele.Nombre() > 0 && !TGaugeWindow::TacheEnCours());
    return {miVigsAjtAlbImg->menuAction()};
}

int TAlbumImagesKX::AjouteLigne(int nLigne)
{
    const TEnrLV &Enr = m_Main.Modele().Enr(nLigne);
    QImage Vignette;
    QString cBulle;
    // The grid's thumbnail, treated as the grid shows it, and its hint.
    if (const TPLVListItem *Item = m_Main.Grille() ? m_Main.Grille()->Item(nLigne) : nullptr) {
        Vignette = Item->Vignette();
        cBulle = Item->cBulle();
    }
    if (cBulle.isEmpty())
        cBulle = m_pAlbum->fnBulle(Enr);
    return m_pAlbum->AjouterImage(Enr, Vignette, cBulle);
}

void TAlbumImagesKX::AjouterImages(TChoixAjout nChoix)
{
    if (TGaugeWindow::TacheEnCours())
        return;
    TModeleListeImages &Modele = m_Main.Modele();
    int nDerniere = -1;
    if (nChoix == AjoutCourante) {
        const int nLigne = m_Main.Selection().LigneCourante();
        if (nLigne < 0 || nLigne >= Modele.Nombre() || !PeutAjouterAlbum(Modele.Enr(nLigne)))
            return;
        nDerniere = AjouteLigne(nLigne);
    } else {
        QList<int> Lignes;
        if (nChoix == AjoutSelectionnees)
            Lignes = Modele.LignesCochees();
        else
            for (int i = 0; i < Modele.Nombre(); ++i)
                Lignes << i;
        IMessages &Messages = MessagesDe(m_Contexte);
        TJaugeAlbum Jauge(&m_Main, Messages, QStringLiteral("Ajout des Images"));
        const TSuivi Suivi = Jauge.Suivi();
        for (int i = 0; i < Lignes.size(); ++i) {
            Suivi.Position(i, Lignes.size());
            if (Suivi.Arret())
                break;
            if (PeutAjouterAlbum(Modele.Enr(Lignes[i])))
                nDerniere = AjouteLigne(Lignes[i]);
        }
        Jauge.Arrete();
    }
    m_fmAlbum->Montre();
    if (nDerniere >= 0) {
        m_fmAlbum->plvVigsAI->setFocus();
        m_fmAlbum->ActivePage(nDerniere);
    }
}

TAlbumImagesKX *InstalleAlbumImages(TfmMainKX &Main, TContexte &Contexte, TVignettesKX *Vignettes,
                                    TClassementKX *Classement)
{
    auto *Album = new TAlbumImagesKX(Main, Contexte, Vignettes, Classement);
    Main.Installe(Album);
    return Album;
}
