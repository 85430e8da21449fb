#include "classification/MotsClesRech_fm.h"

#include "classification/IconesArbres.h"
#include "classification/Recherche_fm.h"
#include "exploration/Selection.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QActionGroup>
#include <QCursor>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace
{
constexpr int nRoleMotCle = Qt::UserRole + 1;
constexpr int nHauteurPanneau = 300;

const QString cBulleBoite =
    QStringLiteral("<SG>Mots-clés</SG/> (séparés par un espace) - utilisation d'un modèle possible");
const QString cBulleBouton =
    QStringLiteral("Afficher tous les mots-clés pour les ajouter à la zone de saisie (<SG>double clic</SG/>) ou "
                   "les affecter à une image (<SG>glisser-déplacer</SG/>)");
const QString cBullePanneau =
    QStringLiteral("<SG>Double clic :</SG/> ajouter le mot-clé pour l'affecter ou le rechercher.\r\n"
                   "<SG>Glisser-déplacer :</SG/> ajouter le mot-clé à une vignette cible.");
const QString cBulleSauvegarde = QStringLiteral("Sauvegarder les mots-clés courants");

QIcon IconeArbre(int nImage, int nImageSelection)
{
    QIcon Icone(QPixmap::fromImage(IconesArbres::ImageIntegree(nImage)));
    Icone.addPixmap(QPixmap::fromImage(IconesArbres::ImageIntegree(nImageSelection)), QIcon::Selected);
    return Icone;
}
} // namespace

QValidator::State TValidateurMotsCles::validate(QString &cTexte, int &nPos) const
{
    FiltreSaisieMotsCles(cTexte, nPos);
    return Acceptable;
}

// ---- The keyword tree ----------------------------------------------------------------------

TArbreMotsCles::TArbreMotsCles(QWidget *Parent) : QTreeWidget(Parent)
{
    setObjectName(QStringLiteral("tvCritMC"));
    setHeaderHidden(true);
    setColumnCount(1);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemsExpandable(false);
    setRootIsDecorated(false);
    setExpandsOnDoubleClick(false);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDragEnabled(true);
    viewport()->setToolTip(cBullePanneau);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *Item) {
        const QString cMotCle = MotCleDe(Item);
        if (!cMotCle.isEmpty())
            emit MotCleActive(cMotCle);
    });
}

void TArbreMotsCles::Remplit(const std::vector<TNoeudMotCle> &Noeuds)
{
    clear();
    QTreeWidgetItem *Groupe = nullptr;
    for (const TNoeudMotCle &Noeud : Noeuds) {
        auto *Item = Noeud.nNiveau > 0 && Groupe ? new QTreeWidgetItem(Groupe) : new QTreeWidgetItem(this);
        Item->setText(0, Noeud.cCaption);
        Item->setIcon(0, IconeArbre(Noeud.nImage, Noeud.nImageSelection));
        if (Noeud.lMotCle) {
            Item->setData(0, nRoleMotCle, Noeud.cCaption);
            Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        } else {
            Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            Groupe = Item;
        }
    }
    expandAll();
    if (Groupe) {
        setCurrentItem(Groupe);
        scrollToItem(Groupe);
    }
}

QString TArbreMotsCles::MotCleDe(const QTreeWidgetItem *Item)
{
    return Item ? Item->data(0, nRoleMotCle).toString() : QString();
}

QStringList TArbreMotsCles::mimeTypes() const
{
    return {cMimeMotCle};
}

QMimeData *TArbreMotsCles::mimeData(const QList<QTreeWidgetItem *> &Items) const
{
    const QString cMotCle = Items.isEmpty() ? QString() : MotCleDe(Items.first());
    if (cMotCle.isEmpty())
        return nullptr;
    auto *Donnees = new QMimeData;
    Donnees->setData(cMimeMotCle, cMotCle.toUtf8());
    return Donnees;
}

void TArbreMotsCles::startDrag(Qt::DropActions Actions)
{
    if (fnPeutGlisser && !fnPeutGlisser())
        return;
    QTreeWidget::startDrag(Qt::CopyAction & Actions ? Qt::CopyAction : Actions);
}

void TArbreMotsCles::focusOutEvent(QFocusEvent *Evenement)
{
    QTreeWidget::focusOutEvent(Evenement);
    // A pop-up or another window taking the focus for a while is not leaving the panel.
    if (Evenement->reason() != Qt::PopupFocusReason && Evenement->reason() != Qt::ActiveWindowFocusReason)
        emit FocusPerdu();
}

// ---- The keyword row -----------------------------------------------------------------------

TMotsClesRechKX::TMotsClesRechKX(QWidget *Ligne, QWidget *Page, TContexte &Contexte, TSelectionKX &Selection)
    : QObject(Ligne), m_Contexte(Contexte), m_Selection(Selection), m_Page(Page)
{
    setObjectName(QStringLiteral("MotsClesRech"));
    auto *Rangee = qobject_cast<QBoxLayout *>(Ligne->layout());
    if (!Rangee)
        Rangee = new QHBoxLayout(Ligne);

    btCritMC = new QPushButton(Ligne);
    btCritMC->setObjectName(QStringLiteral("btCritMC"));
    btCritMC->setCheckable(true);
    btCritMC->setIcon(IconeArbre(IconesArbres::nMotCle, IconesArbres::nMotCle + 1));
    btCritMC->setToolTip(cBulleBouton);
    // Pressing it must not take the focus from the panel's tree: the focus loss would hide the
    // panel and release the button, and the click would then show it again.
    btCritMC->setFocusPolicy(Qt::NoFocus);

    cbCritMC = new QComboBox(Ligne);
    cbCritMC->setObjectName(QStringLiteral("cbCritMC"));
    cbCritMC->setEditable(true);
    cbCritMC->setInsertPolicy(QComboBox::NoInsert);
    // Completion would write a saved set over what is being typed.
    cbCritMC->setCompleter(nullptr);
    cbCritMC->setValidator(new TValidateurMotsCles(cbCritMC));
    cbCritMC->setToolTip(cBulleBoite);
    cbCritMC->setContextMenuPolicy(Qt::CustomContextMenu);
    cbCritMC->lineEdit()->setContextMenuPolicy(Qt::CustomContextMenu);
    cbCritMC->lineEdit()->installEventFilter(this);
    cbCritMC->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    btSvgCritMC = new QPushButton(Ligne);
    btSvgCritMC->setObjectName(QStringLiteral("btSvgCritMC"));
    btSvgCritMC->setIcon(Ligne->style()->standardIcon(QStyle::SP_DialogSaveButton));
    btSvgCritMC->setToolTip(cBulleSauvegarde);

    Rangee->addWidget(btCritMC);
    Rangee->addWidget(cbCritMC, 1);
    Rangee->addWidget(btSvgCritMC);

    pnCritMC = new QFrame(Page->window());
    pnCritMC->setObjectName(QStringLiteral("pnCritMC"));
    pnCritMC->setFrameShape(QFrame::StyledPanel);
    pnCritMC->setAutoFillBackground(true);
    pnCritMC->setToolTip(cBullePanneau);
    auto *Cadre = new QVBoxLayout(pnCritMC);
    Cadre->setContentsMargins(1, 1, 1, 1);
    tvCritMC = new TArbreMotsCles(pnCritMC);
    tvCritMC->fnPeutGlisser = [this] { return PeutGlisser(); };
    Cadre->addWidget(tvCritMC);
    pnCritMC->hide();

    pmCBCritMC = new QMenu(cbCritMC);
    pmCBCritMC->setObjectName(QStringLiteral("pmCBCritMC"));
    m_Popup = CreeEntrees(QStringLiteral("Opérateur &ET"), QStringLiteral("E&ffacer les Mots-clés"));
    m_Menu = CreeEntrees(QStringLiteral("O&pérateur ET"), QStringLiteral("Effa&cer les Mots-clés"));
    miAfficherMC = m_Popup.Afficher;
    miOperateurET = m_Popup.ET;
    miOperateurOU = m_Popup.OU;
    miEffacerMC = m_Popup.Effacer;
    pmCBCritMC->addAction(miAfficherMC);
    pmCBCritMC->setDefaultAction(miAfficherMC);
    pmCBCritMC->addSeparator();
    pmCBCritMC->addAction(miOperateurET);
    pmCBCritMC->addAction(miOperateurOU);
    pmCBCritMC->addSeparator();
    pmCBCritMC->addAction(miEffacerMC);

    const auto Popup = [this](const QPoint &) {
        MajEntrees();
        pmCBCritMC->popup(QCursor::pos());
    };
    connect(cbCritMC, &QWidget::customContextMenuRequested, this, Popup);
    connect(cbCritMC->lineEdit(), &QWidget::customContextMenuRequested, this, Popup);
    connect(cbCritMC, &QComboBox::editTextChanged, this, &TMotsClesRechKX::TexteChange);
    connect(cbCritMC->lineEdit(), &QLineEdit::returnPressed, this, &TMotsClesRechKX::RechercheDemandee);
    connect(btCritMC, &QPushButton::toggled, this, &TMotsClesRechKX::AfficheMotsCles);
    connect(btSvgCritMC, &QPushButton::clicked, this, &TMotsClesRechKX::Enregistre);
    connect(tvCritMC, &TArbreMotsCles::MotCleActive, this, &TMotsClesRechKX::AjouteMotCle);
    connect(tvCritMC, &TArbreMotsCles::FocusPerdu, this, &TMotsClesRechKX::MasqueSurPerteFocus);
    connect(&m_Selection, &TSelectionKX::ModeChange, this, &TMotsClesRechKX::TexteChange);
    // The panel follows the page: it moves with it and goes when the page is left.
    m_Page->installEventFilter(this);

    ChargeEnregistres();
    AppliqueCouleur();
    TexteChange();
}

TMotsClesRechKX::TEntrees TMotsClesRechKX::CreeEntrees(const QString &cET, const QString &cEffacer)
{
    TEntrees e;
    e.Afficher = new QAction(QStringLiteral("&Afficher les Mots-clés"), this);
    e.Afficher->setCheckable(true);
    connect(e.Afficher, &QAction::triggered, this, [this] { btCritMC->toggle(); });
    auto *Groupe = new QActionGroup(this);
    e.ET = Groupe->addAction(cET);
    e.OU = Groupe->addAction(QStringLiteral("Opérateur &OU"));
    e.ET->setCheckable(true);
    e.OU->setCheckable(true);
    connect(e.ET, &QAction::triggered, this, [this] { MetOperateurET(true); });
    connect(e.OU, &QAction::triggered, this, [this] { MetOperateurET(false); });
    e.Effacer = new QAction(cEffacer, this);
    connect(e.Effacer, &QAction::triggered, this, [this] { cbCritMC->setEditText(QString()); });
    return e;
}

QList<QAction *> TMotsClesRechKX::ActionsMenu() const
{
    return {m_Menu.Afficher, m_Menu.ET, m_Menu.OU, m_Menu.Effacer};
}

QString TMotsClesRechKX::Texte() const
{
    return cbCritMC->currentText();
}

void TMotsClesRechKX::MetOperateurET(bool lET)
{
    m_Etat.lOperateurET = lET;
    AppliqueCouleur();
    MajEntrees();
}

void TMotsClesRechKX::AppliqueCouleur()
{
    // With AND only the palette the box inherits: it follows a change of the system colours.
    QPalette Palette;
    if (!m_Etat.lOperateurET)
        Palette.setColor(QPalette::Base, TMotsClesRecherche::CouleurOU);
    cbCritMC->setPalette(Palette);
    cbCritMC->lineEdit()->setPalette(Palette);
}

void TMotsClesRechKX::MajEntrees()
{
    const bool lAffiche = btCritMC->isChecked();
    const bool lTexte = !cbCritMC->currentText().trimmed().isEmpty();
    for (const TEntrees *e : {&m_Popup, &m_Menu}) {
        e->Afficher->setChecked(lAffiche);
        e->ET->setChecked(m_Etat.lOperateurET);
        e->OU->setChecked(!m_Etat.lOperateurET);
        e->Effacer->setEnabled(lTexte);
    }
}

void TMotsClesRechKX::TexteChange()
{
    const QString cTexte = cbCritMC->currentText();
    btSvgCritMC->setEnabled(TMotsClesRecherche::SauvegardePossible(m_Selection.ModeMAJ(), cTexte));
    const int nIndice = m_Etat.IndiceEnregistre(cTexte);
    if (nIndice >= 0 && nIndice != cbCritMC->currentIndex()) {
        // Selecting the entry rewrites the text; the cursor stays where the typing left it.
        const int nCurseur = cbCritMC->lineEdit()->cursorPosition();
        const QSignalBlocker Bloque(cbCritMC);
        cbCritMC->setCurrentIndex(nIndice);
        cbCritMC->lineEdit()->setCursorPosition(nCurseur);
    }
    MajEntrees();
}

void TMotsClesRechKX::RemplitListe()
{
    const QString cTexte = cbCritMC->currentText();
    {
        const QSignalBlocker Bloque(cbCritMC);
        cbCritMC->clear();
        cbCritMC->addItems(m_Etat.MotsClesEnregistres());
        cbCritMC->setCurrentIndex(-1);
        cbCritMC->setEditText(cTexte);
    }
    TexteChange();
}

void TMotsClesRechKX::ChargeEnregistres()
{
    if (m_Contexte.iniSetup)
        m_Etat.ChargerMotsClesEnregistres(*m_Contexte.iniSetup);
    RemplitListe();
}

void TMotsClesRechKX::Enregistre()
{
    if (!m_Contexte.iniSetup)
        return;
    QString cTexte = cbCritMC->currentText();
    QString cErreur;
    const bool lEcrit = m_Etat.EnregistrerMotsCles(*m_Contexte.iniSetup, cTexte, cErreur);
    {
        const QSignalBlocker Bloque(cbCritMC);
        cbCritMC->setEditText(cTexte);
    }
    RemplitListe();
    if (!lEcrit && m_Contexte.Messages)
        m_Contexte.Messages->Erreur(cbCritMC->window(), cErreur);
}

bool TMotsClesRechKX::PeutGlisser() const
{
    return m_Selection.ModeMAJ() && (!fnVignettesVisibles || fnVignettesVisibles());
}

bool TMotsClesRechKX::PanneauAffiche() const
{
    return pnCritMC->isVisible();
}

void TMotsClesRechKX::AfficheMotsCles(bool lAffiche)
{
    if (btCritMC->isChecked() != lAffiche) {
        // Called directly: the button shows the state, its signal comes back here.
        btCritMC->setChecked(lAffiche);
        return;
    }
    if (!lAffiche) {
        pnCritMC->hide();
        cbCritMC->setFocus(Qt::OtherFocusReason);
        MajEntrees();
        return;
    }
    std::vector<TNoeudMotCle> Noeuds;
    if (m_Contexte.iniSetup)
        Noeuds = ArboMotsCles(*m_Contexte.iniSetup);
    tvCritMC->Remplit(Noeuds);
    if (Noeuds.empty()) {
        const QSignalBlocker Bloque(btCritMC);
        btCritMC->setChecked(false);
        MajEntrees();
        return;
    }
    tvCritMC->setDragEnabled(PeutGlisser());
    PlacePanneau();
    pnCritMC->show();
    pnCritMC->raise();
    tvCritMC->setFocus(Qt::OtherFocusReason);
    MajEntrees();
}

void TMotsClesRechKX::PlacePanneau()
{
    QWidget *Fenetre = pnCritMC->parentWidget();
    QRect Place(btCritMC->mapTo(Fenetre, QPoint(0, btCritMC->height())), QSize(m_Page->width(), nHauteurPanneau));
    // Anchored under the button; only when the window is too small is it pushed back inside.
    if (Place.right() > Fenetre->width() - 1)
        Place.moveRight(Fenetre->width() - 1);
    if (Place.bottom() > Fenetre->height() - 1)
        Place.moveBottom(Fenetre->height() - 1);
    Place.moveTopLeft(QPoint(std::max(0, Place.left()), std::max(0, Place.top())));
    pnCritMC->setGeometry(Place);
}

void TMotsClesRechKX::AjouteMotCle(const QString &cMotCle)
{
    QString cTexte = cbCritMC->currentText();
    if (AjouteMotCleTexte(cTexte, cMotCle))
        cbCritMC->setEditText(cTexte);
}

void TMotsClesRechKX::MasqueSurPerteFocus()
{
    if (!btCritMC->isChecked())
        return;
    // The focus is where the user put it: only the panel goes.
    {
        const QSignalBlocker Bloque(btCritMC);
        btCritMC->setChecked(false);
    }
    pnCritMC->hide();
    MajEntrees();
}

bool TMotsClesRechKX::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet == cbCritMC->lineEdit() && Evenement->type() == QEvent::MouseButtonDblClick) {
        if (static_cast<QMouseEvent *>(Evenement)->button() == Qt::LeftButton) {
            btCritMC->toggle();
            return true;
        }
    } else if (Objet == m_Page && pnCritMC->isVisible()) {
        if (Evenement->type() == QEvent::Hide)
            MasqueSurPerteFocus();
        else if (Evenement->type() == QEvent::Resize || Evenement->type() == QEvent::Move)
            PlacePanneau();
    }
    return QObject::eventFilter(Objet, Evenement);
}
