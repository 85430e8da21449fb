#include "mainwindow/Parametres_fm.h"
#include "mainwindow/ContextesAide.h"

#include "calendar/VignetteFlottante_fm.h"
#include "components/ColorComboBox.h"
#include "components/FolderTreeView.h"
#include "storage/Contexte.h"
#include "thumbnails/ThumbnailCache.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Parametres;

namespace
{

constexpr int RoleElement = Qt::UserRole;
constexpr int RoleCoeff = Qt::UserRole + 1;
constexpr int RoleEntete = Qt::UserRole + 2;
constexpr int RoleLettre = Qt::UserRole + 3;
constexpr int RoleIcone = Qt::UserRole + 4;

template <class W>
W *Nomme(W *w, const char *cNom)
{
    w->setObjectName(QString::fromLatin1(cNom));
    return w;
}

// The check icons of the tree: 0 unchecked, 1 checked, drawn by the style as check boxes.
QIcon IconeCase(QWidget *w, bool lCoche)
{
    QPixmap Pixmap(16, 16);
    Pixmap.fill(Qt::transparent);
    QPainter p(&Pixmap);
    QStyleOptionButton o;
    o.rect = QRect(1, 1, 14, 14);
    o.state = QStyle::State_Enabled | (lCoche ? QStyle::State_On : QStyle::State_Off);
    o.palette = w->palette();
    w->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &o, &p, w);
    return QIcon(Pixmap);
}

// The rows of the coefficient list: the model at the left, the coefficient right-aligned, the
// header in bold with its second text 150 pixels from the left, a line at 145 pixels.
class TDelegueCoeffFoc : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString cAppareil = o.text;
        o.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &o, p, o.widget);
        const bool lEntete = index.data(RoleEntete).toBool();
        const QString cCoeff = index.data(RoleCoeff).toString();
        p->save();
        QFont f = o.font;
        f.setBold(lEntete);
        p->setFont(f);
        p->setPen(o.palette.color((o.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
        const QRect r = o.rect;
        p->drawText(r.adjusted(2, 0, 0, 0).intersected(QRect(r.left(), r.top(), 143, r.height())),
                    Qt::AlignLeft | Qt::AlignVCenter, cAppareil);
        if (lEntete)
            p->drawText(QRect(r.left() + 150, r.top(), r.width() - 150, r.height()), Qt::AlignLeft | Qt::AlignVCenter,
                        cCoeff);
        else
            p->drawText(QRect(r.left() + 150, r.top(), r.width() - 154, r.height()), Qt::AlignRight | Qt::AlignVCenter,
                        cCoeff);
        p->setPen(o.palette.color(QPalette::Button));
        p->drawLine(r.left() + 145, r.top(), r.left() + 145, r.bottom());
        p->restore();
    }
};

const char *const cNomsListes[4] = {"lbOrdreCol", "lbOrdreTrt", "lbOrdreEXIF", "lbOrdreIPTC"};
const char *const cNomsHaut[4] = {"btOrdreColHaut", "btOrdreTrtHaut", "btOrdreEXIFHaut", "btOrdreIPTCHaut"};
const char *const cNomsBas[4] = {"btOrdreColBas", "btOrdreTrtBas", "btOrdreEXIFBas", "btOrdreIPTCBas"};
const TListeOrdre Listes[4] = {TListeOrdre::Colonnes, TListeOrdre::Traitements, TListeOrdre::EXIF, TListeOrdre::IPTC};

} // namespace

TfmParametres::TfmParametres(TContexte &Contexte, QWidget *Parent) : QDialog(Parent), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("fmParametres"));
    FixeContexteAide(this, ContextesAide::nParametres);
    setWindowTitle(QStringLiteral("Paramètres"));
    fnDemandeNomDossier = [this]() -> std::optional<QString> {
        bool lOk = false;
        const QString c = QInputDialog::getText(this, QStringLiteral("Créer un dossier"), QStringLiteral("Nom :"),
                                                QLineEdit::Normal, {}, &lOk);
        if (!lOk)
            return std::nullopt;
        return c;
    };
    auto *Principal = new QVBoxLayout(this);
    pcParametres = Nomme(new QTabWidget(this), "pcParametres");
    Principal->addWidget(pcParametres, 1);
    ConstruitGeneral();
    ConstruitVignettes();
    ConstruitOrdres();
    ConstruitDonnees();

    auto *Bas = new QHBoxLayout;
    btOK = Nomme(new QPushButton(QStringLiteral("OK"), this), "btOK");
    btAnnuler = Nomme(new QPushButton(QStringLiteral("Annuler"), this), "btAnnuler");
    btAide = Nomme(new QPushButton(QStringLiteral("Aide"), this), "btAide");
    btAide->setProperty("nContexteAide", 30);
    // The program has no help viewer yet.
    btAide->setEnabled(false);
    btOK->setDefault(true);
    Bas->addStretch(1);
    for (QPushButton *b : {btOK, btAnnuler, btAide})
        Bas->addWidget(b);
    Principal->addLayout(Bas);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    resize(560, 470);
}

void TfmParametres::ConstruitGeneral()
{
    tsGeneral = Nomme(new QWidget, "tsGeneral");
    auto *l = new QVBoxLayout(tsGeneral);
    tvGeneral = Nomme(new QTreeWidget(tsGeneral), "tvGeneral");
    tvGeneral->setHeaderHidden(true);
    tvGeneral->setColumnCount(1);
    tvGeneral->setIconSize(QSize(16, 16));
    l->addWidget(tvGeneral);
    const QIcon Icones[3] = {IconeCase(tvGeneral, false), IconeCase(tvGeneral, true),
                             style()->standardIcon(QStyle::SP_DirIcon)};
    QList<QTreeWidgetItem *> Parents;
    const QList<TElementGeneral> &Elements = ElementsGeneral();
    for (int i = 0; i < Elements.size(); ++i) {
        const TElementGeneral &e = Elements[i];
        Parents.resize(e.nNiveau);
        auto *Item = Parents.isEmpty() ? new QTreeWidgetItem(tvGeneral) : new QTreeWidgetItem(Parents.last());
        Item->setText(0, e.cTexte);
        Item->setData(0, RoleElement, i);
        Item->setIcon(0, Icones[e.lGroupe ? nIconeGroupe : nIconeDecoche]);
        Item->setData(0, RoleIcone, e.lGroupe ? nIconeGroupe : nIconeDecoche);
        Parents.append(Item);
    }
    tvGeneral->expandAll();
    tvGeneral->viewport()->installEventFilter(this);
    tvGeneral->installEventFilter(this);

    // The two controls beside their items live on the tree's viewport and follow the items.
    cbCoeffFoc = Nomme(new QComboBox(tvGeneral->viewport()), "cbCoeffFoc");
    cbCoeffFoc->setItemDelegate(new TDelegueCoeffFoc(cbCoeffFoc));
    cbCoeffFoc->setMinimumWidth(210);
    // A view only: whatever is picked, the list goes back to its first row.
    connect(cbCoeffFoc, &QComboBox::activated, this, [this] { cbCoeffFoc->setCurrentIndex(0); });
    edAffLegMaxCarLig = Nomme(new QSpinBox(tvGeneral->viewport()), "edAffLegMaxCarLig");
    edAffLegMaxCarLig->setRange(nLegMaxMin, nLegMaxMax);
    connect(tvGeneral, &QTreeWidget::itemExpanded, this, &TfmParametres::PlaceControlesArbre);
    connect(tvGeneral, &QTreeWidget::itemCollapsed, this, &TfmParametres::PlaceControlesArbre);
    connect(tvGeneral->verticalScrollBar(), &QScrollBar::valueChanged, this, &TfmParametres::PlaceControlesArbre);
    connect(tvGeneral->horizontalScrollBar(), &QScrollBar::valueChanged, this, &TfmParametres::PlaceControlesArbre);
    connect(tvGeneral, &QTreeWidget::currentItemChanged, this, &TfmParametres::tvGeneralChange);
    pcParametres->addTab(tsGeneral, QStringLiteral("Général"));
}

void TfmParametres::ConstruitVignettes()
{
    tsVignettes = Nomme(new QWidget, "tsVignettes");
    auto *l = new QVBoxLayout(tsVignettes);
    auto *Vigs = new QGroupBox(QStringLiteral("Vignettes"), tsVignettes);
    auto *fv = new QGridLayout(Vigs);
    cbVigPan3D = Nomme(new QCheckBox(QStringLiteral("Panneaux 3D"), Vigs), "cbVigPan3D");
    const auto Couleurs = [](QWidget *Parent, const char *cNom) {
        auto *c = Nomme(new TColorComboBox(Parent), cNom);
        c->set_SysColors(true);
        return c;
    };
    cbVigCoulFond = Couleurs(Vigs, "cbVigCoulFond");
    cbVigCoulPan = Couleurs(Vigs, "cbVigCoulPan");
    cbVigCoulTxtPan = Couleurs(Vigs, "cbVigCoulTxtPan");
    cbVigTailleVigs = Nomme(new QComboBox(Vigs), "cbVigTailleVigs");
    cbVigTailleVigs->addItems(TextesTaillesVignettes());
    cbVigAligGauche = Nomme(new QCheckBox(QStringLiteral("Vignettes alignées à gauche"), Vigs), "cbVigAligGauche");
    cbVigLargMaxSvgTtesVig = Nomme(new QComboBox(Vigs), "cbVigLargMaxSvgTtesVig");
    cbVigLargMaxSvgTtesVig->addItems(TextesLargMaxSvgTtesVig());
    btVigTester = Nomme(new QPushButton(QStringLiteral("Tester"), Vigs), "btVigTester");
    btVigValDef = Nomme(new QPushButton(QStringLiteral("Défaut"), Vigs), "btVigValDef");
    fv->addWidget(cbVigPan3D, 0, 0);
    fv->addWidget(btVigTester, 0, 2);
    fv->addWidget(btVigValDef, 0, 3);
    fv->addWidget(new QLabel(QStringLiteral("Fond"), Vigs), 1, 0);
    fv->addWidget(cbVigCoulFond, 1, 1, 1, 3);
    fv->addWidget(new QLabel(QStringLiteral("Panneaux"), Vigs), 2, 0);
    fv->addWidget(cbVigCoulPan, 2, 1, 1, 3);
    fv->addWidget(new QLabel(QStringLiteral("Texte des Panneaux"), Vigs), 3, 0);
    fv->addWidget(cbVigCoulTxtPan, 3, 1, 1, 3);
    fv->addWidget(new QLabel(QStringLiteral("Taille des vignettes (en pixels)"), Vigs), 4, 0);
    fv->addWidget(cbVigTailleVigs, 4, 1);
    fv->addWidget(cbVigAligGauche, 4, 2, 1, 2);
    fv->addWidget(
        new QLabel(QStringLiteral("Sauvegarde de toutes les vignettes dans un même fichier, largeur max :"), Vigs), 5,
        0, 1, 3);
    fv->addWidget(cbVigLargMaxSvgTtesVig, 5, 3);
    btSupprVigAnt =
        Nomme(new QPushButton(QStringLiteral("Supprimer les vignettes (sauf des CDs) créées avant le"), Vigs),
              "btSupprVigAnt");
    dtSupprVigAnt = Nomme(new QDateEdit(QDate::currentDate(), Vigs), "dtSupprVigAnt");
    dtSupprVigAnt->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    dtSupprVigAnt->setCalendarPopup(true);
    fv->addWidget(btSupprVigAnt, 6, 0, 1, 3);
    fv->addWidget(dtSupprVigAnt, 6, 3);
    l->addWidget(Vigs);

    auto *Images = Nomme(new QGroupBox(QStringLiteral("Images"), tsVignettes), "gbImages");
    auto *fi = new QFormLayout(Images);
    cbImgFACoulFond = Couleurs(Images, "cbImgFACoulFond");
    cbImgPECoulFond = Couleurs(Images, "cbImgPECoulFond");
    fi->addRow(QStringLiteral("Couleur de fond (fenêtres application)"), cbImgFACoulFond);
    fi->addRow(QStringLiteral("Couleur de fond (plein écran)"), cbImgPECoulFond);
    l->addWidget(Images);

    auto *VF = Nomme(new QGroupBox(QStringLiteral("Vignette flottante"), tsVignettes), "gbVignetteFlottante");
    auto *fvf = new QGridLayout(VF);
    cbVFActive = Nomme(new QCheckBox(QStringLiteral("Vignette flottante active"), VF), "cbVFActive");
    cbVFAussiDepuisCD = Nomme(new QCheckBox(QStringLiteral("Lire aussi depuis les CDs"), VF), "cbVFAussiDepuisCD");
    lbVFMaxLH = Nomme(new QLabel(QStringLiteral("Maximum (Largeur, Hauteur) <="), VF), "lbVFMaxLH");
    edVFMaxLH = Nomme(new QSpinBox(VF), "edVFMaxLH");
    edVFMaxLH->setRange(nVFMaxLHMin, nVFMaxLHMax);
    lbVFQuelleImg = Nomme(new QLabel(QStringLiteral("Image affichée"), VF), "lbVFQuelleImg");
    cbVFQuelleImg = Nomme(new QComboBox(VF), "cbVFQuelleImg");
    cbVFQuelleImg->addItems(TextesQuelleImageVF());
    fvf->addWidget(cbVFActive, 0, 0);
    fvf->addWidget(cbVFAussiDepuisCD, 0, 1);
    fvf->addWidget(lbVFMaxLH, 1, 0);
    fvf->addWidget(edVFMaxLH, 1, 1);
    fvf->addWidget(lbVFQuelleImg, 2, 0);
    fvf->addWidget(cbVFQuelleImg, 2, 1);
    l->addWidget(VF);
    l->addStretch(1);

    connect(btVigTester, &QPushButton::clicked, this, &TfmParametres::btVigTesterClick);
    connect(btVigValDef, &QPushButton::clicked, this, &TfmParametres::btVigValDefClick);
    connect(btSupprVigAnt, &QPushButton::clicked, this, &TfmParametres::btSupprVigAntClick);
    connect(cbVFActive, &QCheckBox::toggled, this, &TfmParametres::cbVFActiveClick);
    pcParametres->addTab(tsVignettes, QStringLiteral("Vignettes, Images"));
}

void TfmParametres::ConstruitOrdres()
{
    tsOrdres = Nomme(new QWidget, "tsOrdres");
    auto *g = new QGridLayout(tsOrdres);
    const QString cTitres[4] = {QStringLiteral("Colonnes"), QStringLiteral("Traitements"),
                                QStringLiteral("Données EXIF dans l'arbre des critères"),
                                QStringLiteral("Données IPTC dans l'arbre des critères")};
    for (int n = 0; n < 4; ++n) {
        auto *Groupe = new QGroupBox(cTitres[n], tsOrdres);
        auto *h = new QHBoxLayout(Groupe);
        lbOrdre[n] = Nomme(new QListWidget(Groupe), cNomsListes[n]);
        auto *Boutons = new QVBoxLayout;
        btOrdreHaut[n] = Nomme(new QToolButton(Groupe), cNomsHaut[n]);
        btOrdreHaut[n]->setArrowType(Qt::UpArrow);
        btOrdreBas[n] = Nomme(new QToolButton(Groupe), cNomsBas[n]);
        btOrdreBas[n]->setArrowType(Qt::DownArrow);
        Boutons->addStretch(1);
        Boutons->addWidget(btOrdreHaut[n]);
        Boutons->addWidget(btOrdreBas[n]);
        Boutons->addStretch(1);
        h->addWidget(lbOrdre[n], 1);
        h->addLayout(Boutons);
        g->addWidget(Groupe, n / 2, n % 2);
        connect(lbOrdre[n], &QListWidget::currentRowChanged, this, [this, n] { MajBoutonsOrdre(n); });
        connect(lbOrdre[n], &QListWidget::itemChanged, this,
                [this, n](QListWidgetItem *Item) { lbOrdreChange(n, Item); });
        connect(btOrdreHaut[n], &QToolButton::clicked, this, [this, n] { DeplaceOrdre(n, true); });
        connect(btOrdreBas[n], &QToolButton::clicked, this, [this, n] { DeplaceOrdre(n, false); });
    }
    pcParametres->addTab(tsOrdres, QStringLiteral("Ordres"));
}

void TfmParametres::ConstruitDonnees()
{
    tsDonnees = Nomme(new QWidget, "tsDonnees");
    auto *l = new QVBoxLayout(tsDonnees);
    auto *Empl = new QGroupBox(QStringLiteral("Emplacement des données"), tsDonnees);
    auto *le = new QVBoxLayout(Empl);
    tvEmplDon = Nomme(new TFolderTreeView(m_Contexte.Volumes.get(), Empl), "tvEmplDon");
    SuivreArbreDossiers(tvEmplDon, m_Contexte);
    tvEmplDon->set_FixedDisksOnly(true);
    btCreerDossier = Nomme(new QPushButton(QStringLiteral("Créer un dossier..."), Empl), "btCreerDossier");
    le->addWidget(tvEmplDon, 1);
    auto *hb = new QHBoxLayout;
    hb->addWidget(btCreerDossier);
    hb->addStretch(1);
    le->addLayout(hb);
    l->addWidget(Empl, 1);
    auto *Avis = Nomme(new QLabel(QStringLiteral("Tout changement effectué sur cet onglet entraînera la fermeture du "
                                                 "programme après celle de cette boîte de dialogue."),
                                  tsDonnees),
                       "lbAvisDonnees");
    Avis->setWordWrap(true);
    QFont f = Avis->font();
    f.setBold(true);
    Avis->setFont(f);
    l->addWidget(Avis);
    auto *Bas = new QHBoxLayout;
    rgDonSysteme = Nomme(new QGroupBox(QStringLiteral("Système"), tsDonnees), "rgDonSysteme");
    auto *lr = new QVBoxLayout(rgDonSysteme);
    rbMono = Nomme(new QRadioButton(QStringLiteral("Mono-utilisateur"), rgDonSysteme), "rbMono");
    rbMulti = Nomme(new QRadioButton(QStringLiteral("Multi-utilisateurs"), rgDonSysteme), "rbMulti");
    rbMono->setChecked(true);
    lr->addWidget(rbMono);
    lr->addWidget(rbMulti);
    lr->addStretch(1);
    Bas->addWidget(rgDonSysteme);
    auto *Op = Nomme(new QGroupBox(QStringLiteral("Opérations à faire sur les données"), tsDonnees), "gbOpDon");
    auto *lo = new QVBoxLayout(Op);
    lbOpDon = Nomme(new QListWidget(Op), "lbOpDon");
    lbOpDon->setMaximumHeight(80);
    stOpDon = Nomme(new QLabel(Op), "stOpDon");
    stOpDon->setWordWrap(true);
    stOpDon->setMinimumHeight(48);
    stOpDon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lo->addWidget(lbOpDon);
    lo->addWidget(stOpDon);
    Bas->addWidget(Op, 1);
    l->addLayout(Bas);
    connect(btCreerDossier, &QPushButton::clicked, this, &TfmParametres::btCreerDossierClick);
    connect(tvEmplDon, &TFolderTreeView::Change, this, &TfmParametres::tvEmplDonChange);
    connect(rbMono, &QRadioButton::toggled, this, &TfmParametres::rgDonSystemeClick);
    connect(lbOpDon, &QListWidget::currentRowChanged, this, &TfmParametres::lbOpDonClick);
    pcParametres->addTab(tsDonnees, QStringLiteral("Données"));
}

void TfmParametres::Remplit(const TEtatParametres &Etat, const QStringList &cLignesCoeff, bool lModeMAJ)
{
    m_lRemplissage = true;
    m_Etat = Etat;
    m_lModeMAJ = lModeMAJ;
    const TEnrParametres &P = Etat.P;
    // Page "Général".
    const QIcon Icones[2] = {IconeCase(tvGeneral, false), IconeCase(tvGeneral, true)};
    for (QTreeWidgetItemIterator it(tvGeneral); *it; ++it) {
        const int n = (*it)->data(0, RoleElement).toInt();
        if (Etat.Icone(n) != nIconeGroupe)
            (*it)->setIcon(0, Icones[Etat.Icone(n)]);
        (*it)->setData(0, RoleIcone, Etat.Icone(n));
    }
    cbCoeffFoc->clear();
    for (const TLigneCoeffFoc &Ligne : LignesCoeffFoc(cLignesCoeff)) {
        cbCoeffFoc->addItem(Ligne.cAppareil);
        cbCoeffFoc->setItemData(cbCoeffFoc->count() - 1, Ligne.cCoeff, RoleCoeff);
        cbCoeffFoc->setItemData(cbCoeffFoc->count() - 1, Ligne.lEntete, RoleEntete);
    }
    cbCoeffFoc->setCurrentIndex(0);
    edAffLegMaxCarLig->setValue(Etat.nLegMax);
    ActiveControlesArbre();

    // Page "Vignettes, Images".
    cbVigPan3D->setChecked(P.lVigPan3D);
    const TEnrParametres d;
    cbVigCoulFond->ChoisitCouleur(P.nVigCoulFond, d.nVigCoulFond);
    cbVigCoulPan->ChoisitCouleur(P.nVigCoulPan, d.nVigCoulPan);
    cbVigCoulTxtPan->ChoisitCouleur(P.nVigCoulTxtPan, d.nVigCoulTxtPan);
    cbVigTailleVigs->setCurrentIndex(P.nIndTailleVigs);
    cbVigAligGauche->setChecked(P.pnVigs_Align == 1);
    cbVigLargMaxSvgTtesVig->setCurrentIndex(P.nIndLargMaxSvgTtesVig);
    cbImgFACoulFond->ChoisitCouleur(P.nImgFACoulFond, d.nImgFACoulFond);
    cbImgPECoulFond->ChoisitCouleur(P.nImgPECoulFond, d.nImgPECoulFond);
    cbVFActive->setChecked(P.vfGene_lActive);
    cbVFAussiDepuisCD->setChecked(P.vfGene_lAussiDepuisCD);
    edVFMaxLH->setValue(P.vfGene_nMaxLH);
    cbVFQuelleImg->setCurrentIndex(P.vfGene_nQuelleImg);
    cbVFActiveClick();
    m_AspectInitial = AspectVignettes();

    // Page "Ordres".
    RemplitOrdre(nOrdreCol, DecodeOrdre(TListeOrdre::Colonnes, P.cOrdreCol), 0);
    RemplitOrdre(nOrdreTrt, DecodeOrdre(TListeOrdre::Traitements, P.cOrdreTrt), 0);
    RemplitOrdre(nOrdreEXIF, DecodeOrdre(TListeOrdre::EXIF, P.cOrdreEXIF), 0);
    RemplitOrdre(nOrdreIPTC, DecodeOrdre(TListeOrdre::IPTC, P.cOrdreIPTC), 0);

    // Page "Données", in update mode only.
    const int nPage = pcParametres->indexOf(tsDonnees);
    if (!lModeMAJ && nPage >= 0)
        pcParametres->removeTab(nPage);
    else if (lModeMAJ && nPage < 0)
        pcParametres->addTab(tsDonnees, QStringLiteral("Données"));
    if (lModeMAJ) {
        tvEmplDon->Remplit();
        try {
            tvEmplDon->ChoisitDossier(m_Contexte.Dossiers.cDossierDonnees);
        } catch (const ECheminNonTrouve &) {
            // The data folder lies where the tree does not go: nothing selected.
        }
        rbMono->setChecked(true);
        rgDonSystemeClick();
    }
    m_lRemplissage = false;
}

TEtatParametres TfmParametres::Etat() const
{
    TEtatParametres e = m_Etat;
    for (QTreeWidgetItemIterator it(tvGeneral); *it; ++it) {
        const int n = (*it)->data(0, RoleElement).toInt();
        if (e.Icone(n) != nIconeGroupe)
            e.MetCoche(n, (*it)->data(0, RoleIcone).toInt() == nIconeCoche);
    }
    e.nLegMax = edAffLegMaxCarLig->value();
    TEnrParametres &P = e.P;
    const TEnrParametres a = AspectVignettes();
    P.lVigPan3D = a.lVigPan3D;
    P.nVigCoulFond = a.nVigCoulFond;
    P.nVigCoulPan = a.nVigCoulPan;
    P.nVigCoulTxtPan = a.nVigCoulTxtPan;
    P.nIndTailleVigs = cbVigTailleVigs->currentIndex();
    P.pnVigs_Align = cbVigAligGauche->isChecked() ? 1 : 0;
    P.nIndLargMaxSvgTtesVig = cbVigLargMaxSvgTtesVig->currentIndex();
    P.nImgFACoulFond = cbImgFACoulFond->currentIndex();
    P.nImgPECoulFond = cbImgPECoulFond->currentIndex();
    P.vfGene_lActive = cbVFActive->isChecked();
    P.vfGene_lAussiDepuisCD = cbVFAussiDepuisCD->isChecked();
    P.vfGene_nMaxLH = edVFMaxLH->value();
    P.vfGene_nQuelleImg = cbVFQuelleImg->currentIndex();
    P.cOrdreCol = EncodeOrdre(TListeOrdre::Colonnes, ElementsOrdre(nOrdreCol));
    P.cOrdreTrt = EncodeOrdre(TListeOrdre::Traitements, ElementsOrdre(nOrdreTrt));
    P.cOrdreEXIF = EncodeOrdre(TListeOrdre::EXIF, ElementsOrdre(nOrdreEXIF));
    P.cOrdreIPTC = EncodeOrdre(TListeOrdre::IPTC, ElementsOrdre(nOrdreIPTC));
    return e;
}

TEnrParametres TfmParametres::AspectVignettes() const
{
    TEnrParametres a;
    a.lVigPan3D = cbVigPan3D->isChecked();
    a.nVigCoulFond = cbVigCoulFond->currentIndex();
    a.nVigCoulPan = cbVigCoulPan->currentIndex();
    a.nVigCoulTxtPan = cbVigCoulTxtPan->currentIndex();
    return a;
}

// ---- Page "Général" -------------------------------------------------------------------------

QTreeWidgetItem *TfmParametres::ElementGeneral(int nElement) const
{
    for (QTreeWidgetItemIterator it(tvGeneral); *it; ++it)
        if ((*it)->data(0, RoleElement).toInt() == nElement)
            return *it;
    return nullptr;
}

int TfmParametres::IconeElement(int nElement) const
{
    const QTreeWidgetItem *Item = ElementGeneral(nElement);
    return Item ? Item->data(0, RoleIcone).toInt() : -1;
}

void TfmParametres::tvGeneralBascule(QTreeWidgetItem *Item)
{
    if (!Item)
        return;
    const int n = Item->data(0, RoleElement).toInt();
    const int nIcone = Item->data(0, RoleIcone).toInt();
    if (nIcone != nIconeDecoche && nIcone != nIconeCoche)
        return;
    const int nNouvelle = nIcone == nIconeCoche ? nIconeDecoche : nIconeCoche;
    Item->setData(0, RoleIcone, nNouvelle);
    Item->setIcon(0, IconeCase(tvGeneral, nNouvelle == nIconeCoche));
    if (n == nElementCoeffFoc || n == nElementLegMax)
        ActiveControlesArbre();
}

void TfmParametres::ActiveControlesArbre()
{
    for (QTreeWidgetItemIterator it(tvGeneral); *it; ++it) {
        const int n = (*it)->data(0, RoleElement).toInt();
        const bool lCoche = (*it)->data(0, RoleIcone).toInt() == nIconeCoche;
        if (n == nElementCoeffFoc)
            cbCoeffFoc->setEnabled(lCoche);
        else if (n == nElementLegMax)
            edAffLegMaxCarLig->setEnabled(lCoche);
    }
}

void TfmParametres::tvGeneralChange()
{
    QTreeWidgetItem *Item = tvGeneral->currentItem();
    if (!Item)
        return;
    // Selecting item 16 or 21 hands the keyboard to its control.
    const int n = Item->data(0, RoleElement).toInt();
    QWidget *w = n == nElementCoeffFoc ? static_cast<QWidget *>(cbCoeffFoc)
                 : n == nElementLegMax ? static_cast<QWidget *>(edAffLegMaxCarLig)
                                       : nullptr;
    if (w && w->isEnabled() && w->isVisible())
        w->setFocus();
}

void TfmParametres::PlaceControlesArbre()
{
    for (QTreeWidgetItemIterator it(tvGeneral); *it; ++it) {
        const int n = (*it)->data(0, RoleElement).toInt();
        QWidget *w = n == nElementCoeffFoc ? static_cast<QWidget *>(cbCoeffFoc)
                     : n == nElementLegMax ? static_cast<QWidget *>(edAffLegMaxCarLig)
                                           : nullptr;
        if (!w)
            continue;
        bool lVisible = true;
        for (QTreeWidgetItem *p = (*it)->parent(); p; p = p->parent())
            lVisible = lVisible && p->isExpanded();
        const QRect r = tvGeneral->visualItemRect(*it);
        if (!lVisible || !r.isValid()) {
            w->hide();
            continue;
        }
        const int nX = r.left() + tvGeneral->iconSize().width() + 8
                       + tvGeneral->fontMetrics().horizontalAdvance((*it)->text(0)) + 6;
        const int nH = std::max(r.height(), w->sizeHint().height());
        w->setGeometry(nX, r.center().y() - nH / 2, w == cbCoeffFoc ? 220 : 64, nH);
        w->show();
    }
}

bool TfmParametres::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet == tvGeneral->viewport() && Evenement->type() == QEvent::MouseButtonPress) {
        // A plain left click on the icon switches it.
        auto *e = static_cast<QMouseEvent *>(Evenement);
        if (e->button() == Qt::LeftButton && e->modifiers() == Qt::NoModifier) {
            if (QTreeWidgetItem *Item = tvGeneral->itemAt(e->position().toPoint())) {
                const QRect r = tvGeneral->visualItemRect(Item);
                if (e->position().x() >= r.left() && e->position().x() < r.left() + tvGeneral->iconSize().width() + 6)
                    tvGeneralBascule(Item);
            }
        }
    } else if (Objet == tvGeneral && Evenement->type() == QEvent::KeyPress) {
        auto *e = static_cast<QKeyEvent *>(Evenement);
        if (e->key() == Qt::Key_Space && e->modifiers() == Qt::NoModifier) {
            QTreeWidgetItem *Item = tvGeneral->currentItem();
            tvGeneralBascule(Item);
            if (Item && tvGeneral->itemBelow(Item))
                tvGeneral->setCurrentItem(tvGeneral->itemBelow(Item));
            return true;
        }
    } else if (Objet == tvGeneral->viewport() && Evenement->type() == QEvent::Resize) {
        PlaceControlesArbre();
    }
    return QDialog::eventFilter(Objet, Evenement);
}

void TfmParametres::resizeEvent(QResizeEvent *Evenement)
{
    QDialog::resizeEvent(Evenement);
    PlaceControlesArbre();
}

void TfmParametres::showEvent(QShowEvent *Evenement)
{
    QDialog::showEvent(Evenement);
    PlaceControlesArbre();
}

// ---- Page "Vignettes, Images" ---------------------------------------------------------------

void TfmParametres::btVigTesterClick()
{
    if (fnAspectGrille)
        fnAspectGrille(AspectVignettes());
}

void TfmParametres::btVigValDefClick()
{
    TEnrParametres a;
    ValeursDefautVignettes(a);
    cbVigPan3D->setChecked(a.lVigPan3D);
    cbVigCoulFond->ChoisitCouleur(a.nVigCoulFond, a.nVigCoulFond);
    cbVigCoulPan->ChoisitCouleur(a.nVigCoulPan, a.nVigCoulPan);
    cbVigCoulTxtPan->ChoisitCouleur(a.nVigCoulTxtPan, a.nVigCoulTxtPan);
}

void TfmParametres::btSupprVigAntClick()
{
    const QString cDossier = m_Contexte.Dossiers.cDossierVignettes;
    const QStringList Fichiers = VignettesAnciennes(cDossier, dtSupprVigAnt->date());
    if (Fichiers.isEmpty() || !m_Contexte.Messages || !m_Contexte.iniSetup)
        return;
    const QString cQuoi = QStringLiteral("les %1 vignettes trouvées").arg(Fichiers.size());
    if (!m_Contexte.Messages->Question(this, QStringLiteral("Supprimer %1 ?").arg(cQuoi)))
        return;
    bool lSauve = true;
    const int nSupprimees = SupprimeVignettesAnciennes(*m_Contexte.iniSetup, cDossier, Fichiers, &lSauve);
    if (nSupprimees < Fichiers.size())
        m_Contexte.Messages->Erreur(
            this, QStringLiteral("%1 vignette(s) n'ont pas pu être supprimée(s).").arg(Fichiers.size() - nSupprimees));
    if (!lSauve)
        m_Contexte.Messages->Erreur(
            this, QStringLiteral("Le fichier « %1 » n'a pas pu être enregistré.").arg(m_Contexte.iniSetup->FileName()));
}

void TfmParametres::cbVFActiveClick()
{
    const bool l = cbVFActive->isChecked();
    for (QWidget *w :
         std::initializer_list<QWidget *>{cbVFAussiDepuisCD, lbVFMaxLH, edVFMaxLH, lbVFQuelleImg, cbVFQuelleImg})
        w->setEnabled(l);
}

// ---- Page "Ordres" --------------------------------------------------------------------------

QList<TElementOrdre> TfmParametres::ElementsOrdre(int nListe) const
{
    QList<TElementOrdre> l;
    for (int i = 0; i < lbOrdre[nListe]->count(); ++i) {
        const QListWidgetItem *Item = lbOrdre[nListe]->item(i);
        const QString c = Item->data(RoleLettre).toString();
        l.append(
            {c.isEmpty() ? QChar() : c.at(0), Item->text(), nListe == nOrdreTrt || Item->checkState() == Qt::Checked});
    }
    return l;
}

void TfmParametres::RemplitOrdre(int nListe, const QList<TElementOrdre> &Elements, int nSelection)
{
    QListWidget *lb = lbOrdre[nListe];
    const QSignalBlocker Bloque(lb);
    lb->clear();
    for (const TElementOrdre &e : Elements) {
        auto *Item = new QListWidgetItem(e.cTexte, lb);
        Item->setData(RoleLettre, e.cLettre.isNull() ? QString() : QString(e.cLettre));
        // The treatments all apply: their list only orders them.
        if (nListe != nOrdreTrt)
            Item->setCheckState(e.lCoche ? Qt::Checked : Qt::Unchecked);
    }
    lb->setCurrentRow(nSelection);
    MajBoutonsOrdre(nListe);
}

void TfmParametres::MajBoutonsOrdre(int nListe)
{
    const int n = lbOrdre[nListe]->currentRow();
    const int nNombre = lbOrdre[nListe]->count();
    btOrdreHaut[nListe]->setEnabled(MonteePossible(Listes[nListe], n, nNombre));
    btOrdreBas[nListe]->setEnabled(DescentePossible(Listes[nListe], n, nNombre));
}

void TfmParametres::DeplaceOrdre(int nListe, bool lMonte)
{
    QList<TElementOrdre> l = ElementsOrdre(nListe);
    const int n = lbOrdre[nListe]->currentRow();
    const int nNouvelle = lMonte ? Monte(Listes[nListe], l, n) : Descend(Listes[nListe], l, n);
    RemplitOrdre(nListe, l, nNouvelle);
}

void TfmParametres::lbOrdreChange(int nListe, QListWidgetItem *Item)
{
    // Unchecking "Nom" is undone at once.
    if (nListe == nOrdreCol && Item->data(RoleLettre).toString().isEmpty() && Item->checkState() != Qt::Checked) {
        const QSignalBlocker Bloque(lbOrdre[nListe]);
        Item->setCheckState(Qt::Checked);
    }
}

// ---- Page "Données" -------------------------------------------------------------------------

TSystemeDonnees TfmParametres::SystemeDonnees() const
{
    return rbMulti->isChecked() ? TSystemeDonnees::MultiUtilisateurs : TSystemeDonnees::MonoUtilisateur;
}

int TfmParametres::OperationDonnees() const
{
    return std::max(0, lbOpDon->currentRow());
}

void TfmParametres::btCreerDossierClick()
{
    if (!fnDemandeNomDossier)
        return;
    const std::optional<QString> cNom = fnDemandeNomDossier();
    if (!cNom || cNom->trimmed().isEmpty())
        return;
    if (!tvEmplDon->CreeSousDossier(cNom->trimmed()) && m_Contexte.Messages)
        m_Contexte.Messages->Erreur(this, QStringLiteral("Le dossier « %1 » n'a pas pu être créé.").arg(*cNom));
}

void TfmParametres::tvEmplDonChange()
{
    const TEtatDossierDonnees e = EtatDossierDonnees(m_Contexte.Emplacements, m_Contexte.Dossiers,
                                                     tvEmplDon->DossierCourant(), SystemeDonnees(), OperationDonnees());
    rgDonSysteme->setEnabled(e.lActif);
    lbOpDon->setEnabled(e.lActif);
    stOpDon->setEnabled(true);
    stOpDon->setText(e.cTexte);
}

void TfmParametres::rgDonSystemeClick()
{
    const QSignalBlocker Bloque(lbOpDon);
    lbOpDon->clear();
    lbOpDon->addItems(OperationsDeplacement(SystemeDonnees()));
    lbOpDon->setCurrentRow(0);
    tvEmplDonChange();
}

void TfmParametres::lbOpDonClick()
{
    tvEmplDonChange();
}

void TfmParametres::done(int nResultat)
{
    m_cDossierChoisi.clear();
    if (nResultat == QDialog::Accepted) {
        if (m_lModeMAJ && pcParametres->indexOf(tsDonnees) >= 0) {
            const QString c = tvEmplDon->DossierCourant();
            if (EtatDossierDonnees(m_Contexte.Emplacements, m_Contexte.Dossiers, c, SystemeDonnees(),
                                   OperationDonnees())
                    .lActif)
                m_cDossierChoisi = c;
        }
    } else if (fnAspectGrille) {
        // "Tester" undone.
        fnAspectGrille(m_AspectInitial);
    }
    QDialog::done(nResultat);
}
