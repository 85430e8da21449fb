#include "classification/EditCritRech_fm.h"

#include "classification/ArboCriteres.h"
#include "classification/IndexClassement.h"
#include "classification/MotsCles.h"
#include "platform/Messages.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
constexpr int nRoleChemin = Qt::UserRole + 1;
const QString cMimeCritereEdite = QStringLiteral("application/x-vimbrel-critere-edite");
const QString cQuestion = QStringLiteral("Supprimer %1 ?");

// The renamed or moved node's expanded descendants stay expanded under their new paths.
QSet<QString> DepliesApres(const QSet<QString> &Deplies, const TOperationCritere &Op)
{
    QSet<QString> r;
    for (const QString &c : Deplies) {
        QStringList l{c};
        RecleCles(l, Op);
        r.unite(QSet<QString>(l.begin(), l.end()));
    }
    return r;
}
} // namespace

// ---- TfmSaisieChaine -----------------------------------------------------------------------

TfmSaisieChaine::TfmSaisieChaine(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmSaisieChaine"));
    setModal(true);
    auto *Colonne = new QVBoxLayout(this);
    stLabel = new QLabel(this);
    stLabel->setObjectName(QStringLiteral("stLabel"));
    edSaisie = new QLineEdit(this);
    edSaisie->setObjectName(QStringLiteral("edSaisie"));
    edSaisie->setMinimumWidth(260);
    stLabel->setBuddy(edSaisie);
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    auto *Boutons = new QHBoxLayout;
    Boutons->addStretch(1);
    Boutons->addWidget(btOK);
    Boutons->addWidget(btAnnuler);
    Colonne->addWidget(stLabel);
    Colonne->addWidget(edSaisie);
    Colonne->addLayout(Boutons);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(edSaisie, &QLineEdit::textEdited, this, [this](const QString &c) {
        if (m_lMajuscules && c != c.toUpper()) {
            const int nPos = edSaisie->cursorPosition();
            edSaisie->setText(c.toUpper());
            edSaisie->setCursorPosition(nPos);
        }
    });
    connect(edSaisie, &QLineEdit::textChanged, this,
            [this](const QString &c) { btOK->setEnabled(!c.trimmed().isEmpty()); });
    btOK->setEnabled(false);
}

void TfmSaisieChaine::Prepare(const QString &cTitre, const QString &cLabel, bool lMajuscules, const QString &cTexte)
{
    setWindowTitle(cTitre);
    stLabel->setText(cLabel);
    m_lMajuscules = lMajuscules;
    edSaisie->setText(lMajuscules ? cTexte.toUpper() : cTexte);
    edSaisie->selectAll();
    btOK->setEnabled(!edSaisie->text().trimmed().isEmpty());
}

QString TfmSaisieChaine::Texte() const
{
    return edSaisie->text().trimmed();
}

// ---- TfmEditCritRechImgsCH -----------------------------------------------------------------

namespace
{
// Rows of the icon list: a white square holding the icon, the name, the file's date below it,
// and a line over the first row of each group.
class TDelegueImagesCH : public QStyledItemDelegate
{
public:
    TDelegueImagesCH(const QString &cDossier, const std::vector<TEnrImgCH> &Images, QObject *Parent)
        : QStyledItemDelegate(Parent), m_cDossier(cDossier), m_Images(Images)
    {}
    QSize sizeHint(const QStyleOptionViewItem &o, const QModelIndex &) const override
    {
        return {std::max(o.rect.width(), 200), 34};
    }
    void paint(QPainter *p, const QStyleOptionViewItem &o, const QModelIndex &i) const override
    {
        const int n = i.row();
        if (n < 0 || n >= int(m_Images.size()))
            return;
        const TEnrImgCH &e = m_Images[size_t(n)];
        const QPalette &Pal = o.palette;
        const bool lSelection = o.state & QStyle::State_Selected;
        const QRect r = o.rect;
        p->save();
        p->fillRect(r, lSelection ? Pal.highlight() : (o.state & QStyle::State_HasFocus) ? Pal.button() : Pal.base());
        p->fillRect(QRect(r.left() + 8, r.top() + 8, 18, 18), Qt::white);
        QImage Icone;
        if (n == 0) {
            Icone = IconesArbres::ImageIntegree(IconesArbres::nDossierFerme);
        } else if (const auto Octets = IconesArbres::LitFichierIcone(m_cDossier + e.cNom)) {
            Icone.loadFromData(*Octets);
        }
        if (!Icone.isNull())
            p->drawImage(QPoint(r.left() + 9, r.top() + 9), Icone);
        p->setPen(lSelection ? Pal.highlightedText().color() : Pal.text().color());
        const QFontMetrics m(o.font);
        p->drawText(QPoint(r.left() + 40, r.top() + 2 + m.ascent()), e.cNom);
        if (n > 0) {
            p->setPen(lSelection ? Pal.highlightedText().color() : Pal.color(QPalette::Disabled, QPalette::Text));
            p->drawText(QPoint(r.left() + 40, r.top() + 16 + m.ascent()),
                        e.Date.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss")));
        }
        if (e.nSeparateur > 0) {
            p->setPen(e.nSeparateur == 1 ? Pal.button().color() : Pal.windowText().color());
            p->drawLine(r.topLeft(), r.topRight());
        }
        p->restore();
    }

private:
    QString m_cDossier;
    const std::vector<TEnrImgCH> &m_Images;
};
} // namespace

TfmEditCritRechImgsCH::TfmEditCritRechImgsCH(const QString &cDossierImgsCH, QWidget *Parent)
    : QDialog(Parent), m_cDossier(cDossierImgsCH)
{
    if (!m_cDossier.isEmpty() && !m_cDossier.endsWith(u'/'))
        m_cDossier += u'/';
    setObjectName(QStringLiteral("fmEditCritRechImgsCH"));
    setWindowTitle(QStringLiteral("Gestion des images des critères hiérarchiques"));
    setModal(true);
    resize(460, 480);
    auto *Colonne = new QVBoxLayout(this);

    auto *Haut = new QHBoxLayout;
    auto *stCat = new QLabel(QStringLiteral("C&atégorie"), this);
    cbImgCategories = new QComboBox(this);
    cbImgCategories->setObjectName(QStringLiteral("cbImgCategories"));
    stCat->setBuddy(cbImgCategories);
    auto *stAtteindre = new QLabel(QStringLiteral("&Atteindre"), this);
    edImgAtteindre = new QLineEdit(this);
    edImgAtteindre->setObjectName(QStringLiteral("edImgAtteindre"));
    stAtteindre->setBuddy(edImgAtteindre);
    btImageParDefaut = new QPushButton(QStringLiteral("Image par défaut"), this);
    btImageParDefaut->setObjectName(QStringLiteral("btImageParDefaut"));
    Haut->addWidget(stCat);
    Haut->addWidget(cbImgCategories, 1);
    Haut->addWidget(stAtteindre);
    Haut->addWidget(edImgAtteindre, 1);
    Haut->addWidget(btImageParDefaut);
    Colonne->addLayout(Haut);

    auto *gbImages = new QGroupBox(QStringLiteral("&Images"), this);
    auto *Images = new QVBoxLayout(gbImages);
    lbImages = new QListWidget(gbImages);
    lbImages->setObjectName(QStringLiteral("lbImages"));
    lbImages->setUniformItemSizes(true);
    lbImages->setItemDelegate(new TDelegueImagesCH(m_cDossier, m_Images, lbImages));
    Images->addWidget(lbImages);
    Colonne->addWidget(gbImages, 1);

    auto *gbAffecte = new QGroupBox(QStringLiteral("Affecter l'image"), this);
    auto *Affecte = new QVBoxLayout(gbAffecte);
    rbAffecteImageCHCourSeul = new QRadioButton(QStringLiteral("au critère hiérarchique &courant"), gbAffecte);
    rbAffecteImageCHCourSeul->setObjectName(QStringLiteral("rbAffecteImageCHCourSeul"));
    rbAffecteImageCHCourSeul->setChecked(true);
    rbAffecteImageCHCourEtEnf =
        new QRadioButton(QStringLiteral("au critère hiérarchique courant et à ses &enfants"), gbAffecte);
    rbAffecteImageCHCourEtEnf->setObjectName(QStringLiteral("rbAffecteImageCHCourEtEnf"));
    cbCHCourEtEnfRecurs = new QCheckBox(QStringLiteral("&récursivement"), gbAffecte);
    cbCHCourEtEnfRecurs->setObjectName(QStringLiteral("cbCHCourEtEnfRecurs"));
    cbCHCourEtEnfRecurs->setEnabled(false);
    auto *Recurs = new QHBoxLayout;
    Recurs->addSpacing(20);
    Recurs->addWidget(cbCHCourEtEnfRecurs);
    Affecte->addWidget(rbAffecteImageCHCourSeul);
    Affecte->addWidget(rbAffecteImageCHCourEtEnf);
    Affecte->addLayout(Recurs);
    Colonne->addWidget(gbAffecte);

    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    auto *Boutons = new QHBoxLayout;
    Boutons->addStretch(1);
    Boutons->addWidget(btOK);
    Boutons->addWidget(btAnnuler);
    Colonne->addLayout(Boutons);

    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(btImageParDefaut, &QPushButton::clicked, this, [this] { lbImages->setCurrentRow(0); });
    connect(rbAffecteImageCHCourEtEnf, &QRadioButton::toggled, cbCHCourEtEnfRecurs, &QCheckBox::setEnabled);
    connect(cbImgCategories, &QComboBox::activated, this, &TfmEditCritRechImgsCH::cbImgCategoriesChange);
    connect(edImgAtteindre, &QLineEdit::textChanged, this, &TfmEditCritRechImgsCH::edImgAtteindreChange);
}

bool TfmEditCritRechImgsCH::Prepare(const QString &cImageCH, bool lAEnfants)
{
    ListeImagesCH(m_cDossier, m_Images, m_Categories);
    if (m_Images.empty())
        return false;
    rbAffecteImageCHCourEtEnf->setEnabled(lAEnfants);
    lbImages->clear();
    for (const TEnrImgCH &e : m_Images)
        lbImages->addItem(e.cNom);
    cbImgCategories->clear();
    for (const TEnrCat &c : m_Categories)
        cbImgCategories->addItem(c.cNom);
    int nCourante = 0;
    for (int i = 1; i < int(m_Images.size()); ++i)
        if (m_Images[size_t(i)].cNom == cImageCH)
            nCourante = i;
    lbImages->setCurrentRow(nCourante);
    int nCategorie = -1;
    if (nCourante > 0) {
        const TEnrImgCH &e = m_Images[size_t(nCourante)];
        const QString cCat = e.lCategorie ? e.cNom.left(e.cNom.indexOf(u'-')) : cCategorieSans;
        nCategorie = cbImgCategories->findText(cCat, Qt::MatchExactly);
    }
    cbImgCategories->setCurrentIndex(nCategorie);
    return true;
}

QString TfmEditCritRechImgsCH::ImageChoisie() const
{
    const int n = lbImages->currentRow();
    return n < 1 || n >= int(m_Images.size()) ? QString() : m_Images[size_t(n)].cNom;
}

int TfmEditCritRechImgsCH::Portee() const
{
    if (!rbAffecteImageCHCourEtEnf->isChecked())
        return 0;
    return cbCHCourEtEnfRecurs->isChecked() ? 2 : 1;
}

void TfmEditCritRechImgsCH::SelectionneEnHaut(int n)
{
    if (n < 0 || n >= lbImages->count())
        return;
    lbImages->setCurrentRow(n);
    lbImages->scrollToItem(lbImages->item(n), QAbstractItemView::PositionAtTop);
}

void TfmEditCritRechImgsCH::cbImgCategoriesChange(int n)
{
    if (n < 0 || n >= int(m_Categories.size()))
        return;
    SelectionneEnHaut(m_Categories[size_t(n)].nPremier);
    edImgAtteindre->blockSignals(true);
    edImgAtteindre->clear();
    edImgAtteindre->blockSignals(false);
    edImgAtteindre->setFocus();
}

void TfmEditCritRechImgsCH::edImgAtteindreChange()
{
    SelectionneEnHaut(IndiceAtteindre(m_Images, m_Categories, cbImgCategories->currentIndex(), edImgAtteindre->text()));
}

// ---- TArbreEditCrit ------------------------------------------------------------------------

TArbreEditCrit::TArbreEditCrit(const TArboEditee &Arbo, QWidget *Parent) : QTreeWidget(Parent), m_Arbo(Arbo)
{
    setObjectName(QStringLiteral("tvCriteres"));
    setHeaderHidden(true);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    setEditTriggers(QAbstractItemView::EditKeyPressed);
    setContextMenuPolicy(Qt::CustomContextMenu);
}

QString TArbreEditCrit::CheminDe(const QTreeWidgetItem *Item)
{
    return Item ? Item->data(0, nRoleChemin).toString() : QString();
}

void TArbreEditCrit::Reconstruit(TListeImagesArbres &Icones, const QSet<QString> &Deplies)
{
    m_lConstruction = true;
    clear();
    m_Items.clear();
    for (const TCritereEdite &e : m_Arbo.Noeuds()) {
        QTreeWidgetItem *Parent = m_Items.value(ParentChemin(e.cChemin));
        auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(this);
        Item->setText(0, CaptionChemin(e.cChemin));
        Item->setData(0, nRoleChemin, e.cChemin);
        Item->setIcon(0, Icones.Icone(Icones.IndexIcone(e.cImageCH)));
        Item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled
                       | Qt::ItemIsDropEnabled);
        m_Items.insert(e.cChemin, Item);
    }
    for (const QString &c : Deplies)
        if (QTreeWidgetItem *Item = m_Items.value(c))
            Item->setExpanded(true);
    m_lConstruction = false;
}

QSet<QString> TArbreEditCrit::Deplies() const
{
    QSet<QString> s;
    for (auto it = m_Items.cbegin(); it != m_Items.cend(); ++it)
        if (it.value()->isExpanded())
            s.insert(it.key());
    return s;
}

QString TArbreEditCrit::CibleAcceptee(const QPoint &Position) const
{
    const QString cCible = CheminDe(itemAt(Position));
    return DepotAccepte(m_Arbo, CheminDe(currentItem()), cCible) ? cCible : QString();
}

QStringList TArbreEditCrit::mimeTypes() const
{
    return {cMimeCritereEdite};
}

QMimeData *TArbreEditCrit::mimeData(const QList<QTreeWidgetItem *> &Items) const
{
    auto *d = new QMimeData;
    d->setData(cMimeCritereEdite, (Items.isEmpty() ? QString() : CheminDe(Items.first())).toUtf8());
    return d;
}

void TArbreEditCrit::dragEnterEvent(QDragEnterEvent *e)
{
    if (e->source() == this && e->mimeData()->hasFormat(cMimeCritereEdite))
        e->acceptProposedAction();
    else
        e->ignore();
}

void TArbreEditCrit::dragMoveEvent(QDragMoveEvent *e)
{
    if (e->source() == this && !CibleAcceptee(e->position().toPoint()).isEmpty()) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void TArbreEditCrit::dropEvent(QDropEvent *e)
{
    const QString cCible = e->source() == this ? CibleAcceptee(e->position().toPoint()) : QString();
    // The items are never moved by the view itself: the tree is rebuilt from the data.
    e->setDropAction(Qt::IgnoreAction);
    e->accept();
    if (!cCible.isEmpty()) {
        const QString cDeplace = CheminDe(currentItem());
        const QPoint Position = viewport()->mapToGlobal(e->position().toPoint());
        QTimer::singleShot(0, this, [this, cDeplace, cCible, Position] { emit Depot(cDeplace, cCible, Position); });
    }
}

// ---- TfmEditCritRech -----------------------------------------------------------------------

TfmEditCritRech::TfmEditCritRech(TContexte &Contexte, const TArboCriteres &ArboRech, TIndexClassement *pIndex,
                                 QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_Messages(*Contexte.Messages)
{
    setObjectName(QStringLiteral("fmEditCritRech"));
    setWindowTitle(QStringLiteral("Edition des critères de recherche"));
    setModal(true);
    resize(760, 540);
    m_Journal = std::make_unique<TJournalCriteres>(Contexte.Dossiers.cDossierDonnees + cNomJournalCriteres);
    m_Edition = std::make_unique<TEditionCriteres>(*Contexte.iniSetup, *Contexte.iniBDD, pIndex, *m_Journal);
    m_Edition->Arbo().Depuis(ArboRech, *Contexte.iniSetup);
    m_Icones.setDossier(Contexte.Dossiers.cDossierImgsCH);

    auto *Colonne = new QVBoxLayout(this);
    auto *Volets = new QHBoxLayout;

    auto *gbCriteres = new QGroupBox(QStringLiteral("Critères hiérarchiques"), this);
    auto *Gauche = new QVBoxLayout(gbCriteres);
    tvCriteres = new TArbreEditCrit(m_Edition->Arbo(), gbCriteres);
    Gauche->addWidget(tvCriteres, 1);
    btImageCH = new QPushButton(gbCriteres);
    btImageCH->setObjectName(QStringLiteral("btImageCH"));
    btImageCH->setToolTip(QStringLiteral("Image représentant le critère hiérarchique..."));
    btCreeCritereFrere = new QPushButton(QStringLiteral("Créer &frère"), gbCriteres);
    btCreeCritereFrere->setObjectName(QStringLiteral("btCreeCritereFrere"));
    btCreeCritereEnfant = new QPushButton(QStringLiteral("Créer &enfant"), gbCriteres);
    btCreeCritereEnfant->setObjectName(QStringLiteral("btCreeCritereEnfant"));
    btSupprimeCritere = new QPushButton(QStringLiteral("&Supprimer le critère"), gbCriteres);
    btSupprimeCritere->setObjectName(QStringLiteral("btSupprimeCritere"));
    btRenommeCritere = new QPushButton(QStringLiteral("&Renommer le critère [F2]"), gbCriteres);
    btRenommeCritere->setObjectName(QStringLiteral("btRenommeCritere"));
    auto *Ligne1 = new QHBoxLayout;
    Ligne1->addWidget(btImageCH);
    Ligne1->addWidget(btCreeCritereFrere);
    Ligne1->addWidget(btCreeCritereEnfant);
    auto *Ligne2 = new QHBoxLayout;
    Ligne2->addWidget(btSupprimeCritere);
    Ligne2->addWidget(btRenommeCritere);
    Gauche->addLayout(Ligne1);
    Gauche->addLayout(Ligne2);
    Volets->addWidget(gbCriteres, 3);

    auto *Droite = new QVBoxLayout;
    auto Groupe = [&](const QString &cTitre, QListWidget *&Liste, const char *cNomListe) {
        auto *gb = new QGroupBox(cTitre, this);
        auto *v = new QVBoxLayout(gb);
        Liste = new QListWidget(gb);
        Liste->setObjectName(QString::fromLatin1(cNomListe));
        v->addWidget(Liste, 1);
        Droite->addWidget(gb, 1);
        return v;
    };
    QVBoxLayout *v =
        Groupe(QStringLiteral("Suppression des critères enregistrés"), lbSupprCritEnreg, "lbSupprCritEnreg");
    lbSupprCritEnreg->setSortingEnabled(true);
    btSupprCritEnreg = new QPushButton(QStringLiteral("Supprimer le critère enregistré"), this);
    btSupprCritEnreg->setObjectName(QStringLiteral("btSupprCritEnreg"));
    v->addWidget(btSupprCritEnreg);
    v = Groupe(QStringLiteral("Suppression des mots-clés enregistrés"), lbSupprRechMC, "lbSupprRechMC");
    btSupprRechMC = new QPushButton(QStringLiteral("Supprimer le mot-clé enregistré"), this);
    btSupprRechMC->setObjectName(QStringLiteral("btSupprRechMC"));
    v->addWidget(btSupprRechMC);
    v = Groupe(QStringLiteral("Mise à jour des mots-clés présents"), lbMAJMC, "lbMAJMC");
    btSupprMC = new QPushButton(QStringLiteral("Supprimer"), this);
    btSupprMC->setObjectName(QStringLiteral("btSupprMC"));
    btRenMC = new QPushButton(QStringLiteral("Renommer"), this);
    btRenMC->setObjectName(QStringLiteral("btRenMC"));
    auto *LigneMC = new QHBoxLayout;
    LigneMC->addWidget(btSupprMC);
    LigneMC->addWidget(btRenMC);
    v->addLayout(LigneMC);
    Volets->addLayout(Droite, 2);
    Colonne->addLayout(Volets, 1);

    btCopiePPCritsMC = new QPushButton(QStringLiteral("Presse-papiers"), this);
    btCopiePPCritsMC->setObjectName(QStringLiteral("btCopiePPCritsMC"));
    btCopiePPCritsMC->setToolTip(
        QStringLiteral("Copier vers le Presse-Papiers les critères hiérarchiques et les mots-clés"));
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), this);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    auto *Bas = new QHBoxLayout;
    Bas->addWidget(btCopiePPCritsMC);
    Bas->addStretch(1);
    Bas->addWidget(btQuitter);
    Colonne->addLayout(Bas);

    pmCriteres = new QMenu(tvCriteres);
    pmCriteres->setObjectName(QStringLiteral("pmCriteres"));
    miDeplierTout = pmCriteres->addAction(QStringLiteral("&Déplier entièrement"));
    miReplierTout = pmCriteres->addAction(QStringLiteral("&Replier entièrement"));
    pmDragDrop = new QMenu(tvCriteres);
    pmDragDrop->setObjectName(QStringLiteral("pmDragDrop"));
    miCopier = pmDragDrop->addAction(QString());
    miDeplacer = pmDragDrop->addAction(QString());
    pmDragDrop->addSeparator();
    miAnnuler = pmDragDrop->addAction(QStringLiteral("&Annuler"));

    fnExecMenu = [](QMenu *Menu, const QPoint &Position) { return Menu->exec(Position); };
    fnExecImages = [](TfmEditCritRechImgsCH &d) { return d.exec(); };
    fnExecSaisie = [](TfmSaisieChaine &d) { return d.exec(); };

    connect(tvCriteres, &QTreeWidget::currentItemChanged, this, [this] { MajBoutons(); });
    connect(tvCriteres, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *Item) {
        if (!tvCriteres->EnConstruction())
            CaptionEditee(Item);
    });
    connect(tvCriteres, &TArbreEditCrit::Depot, this, &TfmEditCritRech::DepotDemande);
    connect(tvCriteres, &QWidget::customContextMenuRequested, this, [this](const QPoint &p) {
        const bool lNoeuds = !m_Edition->Arbo().EstVide();
        miDeplierTout->setEnabled(lNoeuds);
        miReplierTout->setEnabled(lNoeuds);
        QAction *a = fnExecMenu(pmCriteres, tvCriteres->viewport()->mapToGlobal(p));
        if (a != miDeplierTout && a != miReplierTout)
            return;
        a == miDeplierTout ? tvCriteres->expandAll() : tvCriteres->collapseAll();
        if (QTreeWidgetItem *Item = tvCriteres->currentItem())
            tvCriteres->scrollToItem(Item);
    });
    connect(btImageCH, &QPushButton::clicked, this, &TfmEditCritRech::btImageCHClick);
    connect(btCreeCritereFrere, &QPushButton::clicked, this, &TfmEditCritRech::btCreeCritereFrereClick);
    connect(btCreeCritereEnfant, &QPushButton::clicked, this, &TfmEditCritRech::btCreeCritereEnfantClick);
    connect(btSupprimeCritere, &QPushButton::clicked, this, &TfmEditCritRech::btSupprimeCritereClick);
    connect(btRenommeCritere, &QPushButton::clicked, this, &TfmEditCritRech::btRenommeCritereClick);
    connect(btSupprCritEnreg, &QPushButton::clicked, this, &TfmEditCritRech::btSupprCritEnregClick);
    connect(btSupprRechMC, &QPushButton::clicked, this, &TfmEditCritRech::btSupprRechMCClick);
    connect(btSupprMC, &QPushButton::clicked, this, &TfmEditCritRech::btSupprMCClick);
    connect(btRenMC, &QPushButton::clicked, this, &TfmEditCritRech::btRenMCClick);
    connect(btCopiePPCritsMC, &QPushButton::clicked, this, &TfmEditCritRech::btCopiePPCritsMCClick);
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::accept);

    Reconstruit(QString(), {});
    MajListes();
}

TfmEditCritRech::~TfmEditCritRech() = default;

QString TfmEditCritRech::CheminCourant() const
{
    return TArbreEditCrit::CheminDe(tvCriteres->currentItem());
}

void TfmEditCritRech::Reconstruit(const QString &cSelection, QSet<QString> Deplies)
{
    tvCriteres->Reconstruit(m_Icones, Deplies);
    if (QTreeWidgetItem *Item = tvCriteres->ItemDe(cSelection)) {
        tvCriteres->setCurrentItem(Item);
        tvCriteres->scrollToItem(Item);
    }
    MajBoutons();
}

void TfmEditCritRech::MajBoutons()
{
    const bool lSelection = tvCriteres->currentItem() != nullptr;
    for (QPushButton *b : {btImageCH, btCreeCritereFrere, btSupprimeCritere, btRenommeCritere})
        b->setEnabled(lSelection);
    btCreeCritereEnfant->setEnabled(true);
    MajBoutonImage();
}

void TfmEditCritRech::MajBoutonImage()
{
    const int n = m_Edition->Arbo().Cherche(CheminCourant());
    const QString cImage = n < 0 ? QString() : m_Edition->Arbo().Noeuds()[size_t(n)].cImageCH;
    btImageCH->setIcon(m_Icones.Icone(m_Icones.IndexIcone(cImage)));
}

void TfmEditCritRech::MajListes()
{
    QStringList Noms = NomsRecherchesEnregistrees(*m_Contexte.iniSetup);
    lbSupprCritEnreg->clear();
    lbSupprCritEnreg->addItems(Noms);
    TMotsClesRecherche Enregistres;
    Enregistres.ChargerMotsClesEnregistres(*m_Contexte.iniSetup);
    lbSupprRechMC->clear();
    lbSupprRechMC->addItems(Enregistres.MotsClesEnregistres());
    QStringList MotsCles;
    ListerMotsCles(*m_Contexte.iniSetup, MotsCles);
    lbMAJMC->clear();
    lbMAJMC->addItems(MotsCles);
    for (QListWidget *l : {lbSupprCritEnreg, lbSupprRechMC, lbMAJMC})
        if (l->count() > 0 && !l->currentItem())
            l->setCurrentRow(0);
    btSupprCritEnreg->setEnabled(lbSupprCritEnreg->count() > 0);
    btSupprRechMC->setEnabled(lbSupprRechMC->count() > 0);
    btSupprMC->setEnabled(lbMAJMC->count() > 0);
    btRenMC->setEnabled(lbMAJMC->count() > 0);
}

bool TfmEditCritRech::Execute(const TOperationCritere &Op, const QString &cSelection)
{
    const QSet<QString> Deplies = DepliesApres(tvCriteres->Deplies(), Op);
    QString cErreur;
    const bool lOk = m_Edition->Applique(Op, cErreur);
    Reconstruit(cSelection, Deplies);
    if (!cErreur.isEmpty())
        m_Messages.Erreur(this, cErreur);
    return lOk;
}

void TfmEditCritRech::Cree(const QString &cParent)
{
    const QString cCaption = CaptionNouveau(m_Edition->Arbo().CaptionsEnfants(cParent));
    const QString cChemin = cParent.isEmpty() ? cCaption : cParent + u'/' + cCaption;
    QSet<QString> Deplies = tvCriteres->Deplies();
    if (!cParent.isEmpty())
        Deplies.insert(cParent);
    QString cErreur;
    const bool lOk = m_Edition->Applique({TGenreOpCritere::Creation, cParent, cCaption, 0}, cErreur);
    Reconstruit(cChemin, Deplies);
    if (!lOk) {
        m_Messages.Erreur(this, cErreur);
        return;
    }
    if (QTreeWidgetItem *Item = tvCriteres->ItemDe(cChemin))
        tvCriteres->editItem(Item);
}

void TfmEditCritRech::btCreeCritereFrereClick()
{
    if (tvCriteres->currentItem())
        Cree(ParentChemin(CheminCourant()));
}

void TfmEditCritRech::btCreeCritereEnfantClick()
{
    Cree(CheminCourant());
}

void TfmEditCritRech::btRenommeCritereClick()
{
    QTreeWidgetItem *Item = tvCriteres->currentItem();
    if (Item && !tvCriteres->EnEdition())
        tvCriteres->editItem(Item);
}

void TfmEditCritRech::CaptionEditee(QTreeWidgetItem *Item)
{
    const QString cChemin = TArbreEditCrit::CheminDe(Item);
    const QString S = Item->text(0).trimmed();
    if (S == CaptionChemin(cChemin)) {
        if (Item->text(0) != S)
            QTimer::singleShot(0, this, [this, cChemin] { Reconstruit(cChemin, tvCriteres->Deplies()); });
        return;
    }
    // The item is being closed by its editor: the tree is rebuilt once that is over.
    if (!m_Edition->RenommageCorrect(cChemin, S)) {
        QTimer::singleShot(0, this, [this, cChemin] {
            Reconstruit(cChemin, tvCriteres->Deplies());
            m_Messages.Erreur(this, QStringLiteral("Valeur incorrecte."));
        });
        return;
    }
    const QString cNouveau = ParentChemin(cChemin).isEmpty() ? S : ParentChemin(cChemin) + u'/' + S;
    QTimer::singleShot(0, this, [this, cChemin, S, cNouveau] {
        Execute({TGenreOpCritere::Renommage, cChemin, S, 0}, cNouveau);
    });
}

void TfmEditCritRech::btSupprimeCritereClick()
{
    const QString cChemin = CheminCourant();
    if (cChemin.isEmpty()
        || !m_Messages.Question(this, cQuestion.arg(QStringLiteral("le critère (et ses sous-critères)"))))
        return;
    // The next selection: the following sibling, else the previous one, else the parent.
    const QStringList Freres = m_Edition->Arbo().CaptionsEnfants(ParentChemin(cChemin));
    const qsizetype n = Freres.indexOf(CaptionChemin(cChemin));
    QString cSuivant;
    if (n + 1 < Freres.size())
        cSuivant = Freres[n + 1];
    else if (n > 0)
        cSuivant = Freres[n - 1];
    const QString cParent = ParentChemin(cChemin);
    const QString cSelection =
        cSuivant.isEmpty() ? cParent : (cParent.isEmpty() ? cSuivant : cParent + u'/' + cSuivant);
    Execute({TGenreOpCritere::Suppression, cChemin, QString(), 0}, cSelection);
}

void TfmEditCritRech::DepotDemande(const QString &cDeplace, const QString &cCible, const QPoint &Position)
{
    if (!DepotAccepte(m_Edition->Arbo(), cDeplace, cCible))
        return;
    const QString cD = CaptionChemin(cDeplace), cT = CaptionChemin(cCible);
    miCopier->setText(QStringLiteral("&Copier '%1' vers '%2'").arg(cD, cT));
    miDeplacer->setText(QStringLiteral("&Déplacer '%1' vers '%2'").arg(cD, cT));
    QAction *a = fnExecMenu(pmDragDrop, Position);
    if (a != miCopier && a != miDeplacer)
        return;
    const bool lCopie = a == miCopier;
    QSet<QString> Deplies = tvCriteres->Deplies();
    // The target and all it holds are shown expanded.
    for (const TCritereEdite &e : m_Edition->Arbo().Noeuds())
        if (e.cChemin == cCible || e.cChemin.startsWith(cCible + u'/'))
            Deplies.insert(e.cChemin);
    const qsizetype nDebut = cDeplace.size() - cD.size();
    for (const QString &c : tvCriteres->Deplies())
        if (c == cDeplace || c.startsWith(cDeplace + u'/'))
            Deplies.insert(cCible + u'/' + c.mid(nDebut));
    const TOperationCritere Op{lCopie ? TGenreOpCritere::Copie : TGenreOpCritere::Deplacement, cDeplace, cCible, 0};
    QString cErreur;
    m_Edition->Applique(Op, cErreur);
    Reconstruit(cCible, Deplies);
    const QString cNouveau = cCible + u'/' + cD;
    for (const TCritereEdite &e : m_Edition->Arbo().Noeuds())
        if (e.cChemin == cNouveau || e.cChemin.startsWith(cNouveau + u'/'))
            if (QTreeWidgetItem *Item = tvCriteres->ItemDe(e.cChemin))
                Item->setExpanded(true);
    if (!cErreur.isEmpty())
        m_Messages.Erreur(this, cErreur);
}

void TfmEditCritRech::btImageCHClick()
{
    const QString cChemin = CheminCourant();
    const int n = m_Edition->Arbo().Cherche(cChemin);
    if (n < 0)
        return;
    TfmEditCritRechImgsCH Dialogue(m_Contexte.Dossiers.cDossierImgsCH, this);
    if (!Dialogue.Prepare(m_Edition->Arbo().Noeuds()[size_t(n)].cImageCH, m_Edition->Arbo().AEnfants(cChemin))) {
        m_Messages.Erreur(this,
                          QStringLiteral("Pas d'image disponible sous ' %1'.").arg(m_Contexte.Dossiers.cDossierImgsCH));
        return;
    }
    if (fnExecImages(Dialogue) != QDialog::Accepted)
        return;
    // The icons are read again: a file changed in the folder meanwhile shows its new picture.
    m_Icones.Vide();
    Execute({TGenreOpCritere::Image, cChemin, Dialogue.ImageChoisie(), Dialogue.Portee()}, cChemin);
    // Assigned icons reach the settings file at once.
    if (!m_Contexte.iniSetup->UpdateFile())
        m_Messages.Erreur(this, QStringLiteral("%1 : %2").arg(m_Contexte.iniSetup->FileName(),
                                                              m_Contexte.iniSetup->DerniereErreur()));
}

void TfmEditCritRech::btSupprCritEnregClick()
{
    QListWidgetItem *Item = lbSupprCritEnreg->currentItem();
    if (!Item
        || !m_Messages.Question(this, cQuestion.arg(QStringLiteral("le critère enregistré '%1'").arg(Item->text()))))
        return;
    m_Contexte.iniSetup->EraseSection(cPrefixeRechEnreg + Item->text());
    if (!m_Contexte.iniSetup->UpdateFile())
        m_Messages.Erreur(this, QStringLiteral("%1 : %2").arg(m_Contexte.iniSetup->FileName(),
                                                              m_Contexte.iniSetup->DerniereErreur()));
    delete Item;
    MajListes();
}

void TfmEditCritRech::btSupprRechMCClick()
{
    QListWidgetItem *Item = lbSupprRechMC->currentItem();
    if (!Item
        || !m_Messages.Question(this, cQuestion.arg(QStringLiteral("le mot-clé enregistré '%1'").arg(Item->text()))))
        return;
    m_Contexte.iniSetup->DeleteKey(cSectionMotsClesEnregistres, Item->text());
    if (!m_Contexte.iniSetup->UpdateFile())
        m_Messages.Erreur(this, QStringLiteral("%1 : %2").arg(m_Contexte.iniSetup->FileName(),
                                                              m_Contexte.iniSetup->DerniereErreur()));
    MajListes();
}

void TfmEditCritRech::btSupprMCClick()
{
    QListWidgetItem *Item = lbMAJMC->currentItem();
    if (!Item || !m_Messages.Question(this, cQuestion.arg(QStringLiteral("le mot-clé '%1'").arg(Item->text()))))
        return;
    SupprimeMotCle(*m_Contexte.iniSetup, Item->text());
    if (!m_Contexte.iniSetup->UpdateFile())
        m_Messages.Erreur(this, QStringLiteral("%1 : %2").arg(m_Contexte.iniSetup->FileName(),
                                                              m_Contexte.iniSetup->DerniereErreur()));
    MajListes();
}

void TfmEditCritRech::btRenMCClick()
{
    QListWidgetItem *Item = lbMAJMC->currentItem();
    if (!Item)
        return;
    const QString cAncien = Item->text();
    TfmSaisieChaine Saisie(this);
    Saisie.Prepare(QStringLiteral("Saisie"), QStringLiteral("Renommer '%1' en").arg(cAncien), true, cAncien);
    if (fnExecSaisie(Saisie) != QDialog::Accepted)
        return;
    const QString R = Saisie.Texte();
    QStringList Existants;
    for (int i = 0; i < lbMAJMC->count(); ++i)
        Existants << lbMAJMC->item(i)->text();
    if (!RenommageMotCleCorrect(R, cAncien, Existants)) {
        m_Messages.Erreur(this, QStringLiteral("Mot-clé déjà existant ou contenant des caractères invalides."));
        return;
    }
    RenommeMotCle(*m_Contexte.iniSetup, cAncien, R);
    if (!m_Contexte.iniSetup->UpdateFile())
        m_Messages.Erreur(this, QStringLiteral("%1 : %2").arg(m_Contexte.iniSetup->FileName(),
                                                              m_Contexte.iniSetup->DerniereErreur()));
    MajListes();
    const QList<QListWidgetItem *> Trouves = lbMAJMC->findItems(R, Qt::MatchFixedString);
    if (!Trouves.isEmpty())
        lbMAJMC->setCurrentItem(Trouves.first());
}

void TfmEditCritRech::btCopiePPCritsMCClick()
{
    QStringList MotsCles;
    for (int i = 0; i < lbMAJMC->count(); ++i)
        MotsCles << lbMAJMC->item(i)->text();
    QApplication::clipboard()->setText(TextePressePapiers(m_Edition->Arbo(), MotsCles));
}

void TfmEditCritRech::done(int r)
{
    if (!m_lFerme) {
        m_lFerme = true;
        QString cErreur;
        if (!m_Edition->Ferme(cErreur))
            m_Messages.Erreur(this, cErreur);
    }
    QDialog::done(r);
}
