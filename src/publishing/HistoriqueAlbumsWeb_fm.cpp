#include "publishing/HistoriqueAlbumsWeb_fm.h"

#include "components/ExpColPanel.h"
#include "platform/Messages.h"
#include "platform/OperationsFichiers.h"
#include "storage/Contexte.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
enum TColonne { coNom, coParent, coDate, coVignettes, coImages, coMotsCles };

template <class T>
T *Nomme(T *w, const char *cNom)
{
    w->setObjectName(QLatin1String(cNom));
    return w;
}

bool OuvrePage(const QString &cPage)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(cPage));
}
} // namespace

TfmAlbumWEBHisto::TfmAlbumWEBHisto(TContexte &C, const TInterfaceHistoAlbumsWEB &I, QWidget *Parent)
    : QDialog(Parent), m_Contexte(C), m_Interface(I),
      m_Historique(*C.iniSetup, {C.Dossiers.cDossierDonnees, C.Dossiers.cDossierVignettes, {}})
{
    setObjectName(QStringLiteral("fmAlbumWEBHisto"));
    setWindowTitle(QStringLiteral("Historique des albums WEB"));
    if (!m_Interface.pOperations)
        m_Operations = std::make_unique<TOperationsFichiers>(*C.Volumes);
    CreeControles();
    resize(760, 420);
}

TfmAlbumWEBHisto::~TfmAlbumWEBHisto() = default;

void TfmAlbumWEBHisto::CreeControles()
{
    auto *Principale = new QVBoxLayout(this);

    pnAfficher = Nomme(new TExpColPanel(paTop, this), "pnAfficher");
    auto *Panneau = new QVBoxLayout(pnAfficher);
    gbAfficher = Nomme(new QGroupBox(QStringLiteral("Afficher"), pnAfficher), "gbAfficher");
    Panneau->addWidget(gbAfficher);
    auto *Groupe = new QVBoxLayout(gbAfficher);
    rbTsAlbums = Nomme(new QRadioButton(QStringLiteral("&Tous les albums"), gbAfficher), "rbTsAlbums");
    rbAlbumsContMC =
        Nomme(new QRadioButton(QStringLiteral("Les albums contenant le &Mot-clé"), gbAfficher), "rbAlbumsContMC");
    rbTsAlbums->setChecked(true);
    edChercherMC = Nomme(new QLineEdit(gbAfficher), "edChercherMC");
    btChercherMC = Nomme(new QPushButton(gbAfficher), "btChercherMC");
    btChercherMC->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    btChercherMC->setToolTip(QStringLiteral("Chercher"));
    cbMotEntier = Nomme(new QCheckBox(QStringLiteral("Mot &Entier"), gbAfficher), "cbMotEntier");
    cbMotEntier->setChecked(true);
    edChercherMC->setEnabled(false);
    btChercherMC->setEnabled(false);
    Groupe->addWidget(rbTsAlbums);
    auto *Ligne = new QHBoxLayout;
    Ligne->addWidget(rbAlbumsContMC);
    Ligne->addWidget(edChercherMC, 1);
    Ligne->addWidget(btChercherMC);
    Ligne->addWidget(cbMotEntier);
    Groupe->addLayout(Ligne);
    pnAfficher->set_LargHautRef(gbAfficher->sizeHint().height() + TExpColPanel::nEpaisseurBande + 8);
    Principale->addWidget(pnAfficher);

    lvHistorique = Nomme(new QTreeWidget(this), "lvHistorique");
    lvHistorique->setRootIsDecorated(false);
    lvHistorique->setSelectionMode(QAbstractItemView::SingleSelection);
    lvHistorique->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvHistorique->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvHistorique->setSortingEnabled(false);
    lvHistorique->setAllColumnsShowFocus(true);
    lvHistorique->setUniformRowHeights(true);
    lvHistorique->setHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Dossier parent"), QStringLiteral("Date"),
                                   QStringLiteral("Vignettes"), QStringLiteral("Images"), QStringLiteral("Mots-clés")});
    lvHistorique->header()->setSectionsClickable(false);
    for (int c : {coVignettes, coImages})
        lvHistorique->headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    Principale->addWidget(lvHistorique, 1);

    auto *Bas = new QHBoxLayout;
    btVisualiser = Nomme(new QPushButton(QStringLiteral("&Visualiser..."), this), "btVisualiser");
    btSupprimer = Nomme(new QPushButton(QStringLiteral("&Supprimer..."), this), "btSupprimer");
    btQuitter = Nomme(new QPushButton(QStringLiteral("&Quitter"), this), "btQuitter");
    btVisualiser->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    btSupprimer->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    btQuitter->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    Bas->addWidget(btVisualiser);
    Bas->addWidget(btSupprimer);
    Bas->addStretch(1);
    Bas->addWidget(btQuitter);
    Principale->addLayout(Bas);
    // Enter in the search box searches: no button takes it.
    for (QPushButton *b : {btChercherMC, btVisualiser, btSupprimer, btQuitter})
        b->setAutoDefault(false);

    connect(edChercherMC, &QLineEdit::textEdited, this, [this](const QString &c) {
        const int n = edChercherMC->cursorPosition();
        edChercherMC->setText(c.toUpper());
        edChercherMC->setCursorPosition(n);
    });
    connect(rbTsAlbums, &QRadioButton::clicked, this, &TfmAlbumWEBHisto::rbClick);
    connect(rbAlbumsContMC, &QRadioButton::clicked, this, &TfmAlbumWEBHisto::rbClick);
    connect(edChercherMC, &QLineEdit::returnPressed, this, [this] { RemplirHistorique(); });
    connect(btChercherMC, &QPushButton::clicked, this, [this] { RemplirHistorique(); });
    connect(cbMotEntier, &QCheckBox::clicked, this, [this] { RemplirHistorique(); });
    // The focused row is always the selected one.
    connect(lvHistorique, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *Item) {
        if (Item && !m_lSuppression && !Item->isSelected())
            Selectionne(Item);
    });
    connect(lvHistorique, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *Item) {
        if (Item && Item->isSelected())
            btVisualiserClick();
    });
    connect(btVisualiser, &QPushButton::clicked, this, &TfmAlbumWEBHisto::btVisualiserClick);
    connect(btSupprimer, &QPushButton::clicked, this, &TfmAlbumWEBHisto::btSupprimerClick);
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmAlbumWEBHisto::rbClick()
{
    const bool lMotCle = rbAlbumsContMC->isChecked();
    edChercherMC->setEnabled(lMotCle);
    btChercherMC->setEnabled(lMotCle);
    if (lMotCle)
        edChercherMC->setFocus();
    RemplirHistorique();
}

bool TfmAlbumWEBHisto::RemplirHistorique()
{
    TFiltreHistoAlbumWEB F;
    F.lMotCle = rbAlbumsContMC->isChecked();
    if (F.lMotCle) {
        F.cMotCle = edChercherMC->text().trimmed();
        edChercherMC->setText(F.cMotCle);
        edChercherMC->setCursorPosition(int(F.cMotCle.size()));
        F.lMotEntier = cbMotEntier->isChecked();
    }
    m_Lignes = m_Historique.Lignes(F);

    lvHistorique->setUpdatesEnabled(false);
    lvHistorique->clear();
    const QIcon Icone = style()->standardIcon(QStyle::SP_DirIcon);
    QList<QTreeWidgetItem *> Items;
    for (const TLigneHistoAlbumWEB &L : std::as_const(m_Lignes)) {
        auto *Item = new QTreeWidgetItem(
            QStringList{L.cNom, L.cParent, L.dDate.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")),
                        QString::number(L.Comptes.nVignettes), QString::number(L.Comptes.nImages), L.cMotsCles});
        Item->setIcon(coNom, Icone);
        for (int c : {coVignettes, coImages})
            Item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        Items << Item;
    }
    lvHistorique->addTopLevelItems(Items);
    for (int c = coNom; c < coMotsCles; ++c)
        lvHistorique->resizeColumnToContents(c);
    lvHistorique->setUpdatesEnabled(true);
    SelectionnePremiere();
    MajBoutons();
    return !m_Lignes.isEmpty();
}

void TfmAlbumWEBHisto::SelectionnePremiere()
{
    if (lvHistorique->topLevelItemCount() == 0)
        return;
    QTreeWidgetItem *Premier = lvHistorique->topLevelItem(0);
    lvHistorique->setCurrentItem(Premier);
    Selectionne(Premier);
    if (!edChercherMC->hasFocus())
        lvHistorique->setFocus();
}

void TfmAlbumWEBHisto::Selectionne(QTreeWidgetItem *Item)
{
    lvHistorique->selectionModel()->select(lvHistorique->model()->index(lvHistorique->indexOfTopLevelItem(Item), 0),
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TfmAlbumWEBHisto::MajBoutons()
{
    const bool lLignes = lvHistorique->topLevelItemCount() > 0;
    btVisualiser->setEnabled(lLignes);
    btSupprimer->setEnabled(lLignes && m_Contexte.Parametres.lModeMAJ);
}

void TfmAlbumWEBHisto::btVisualiserClick()
{
    const QList<QTreeWidgetItem *> Choix = lvHistorique->selectedItems();
    if (Choix.isEmpty())
        return;
    const TLigneHistoAlbumWEB &L = m_Lignes.at(lvHistorique->indexOfTopLevelItem(Choix.first()));
    const QString cPage = L.cParent + L.cNom + QStringLiteral("/Index.htm");
    const bool lOuverte = m_Interface.fnOuvrePage ? m_Interface.fnOuvrePage(cPage) : OuvrePage(cPage);
    if (!lOuverte)
        m_Contexte.Messages->Erreur(this, QStringLiteral("Impossible d'ouvrir « %1 ».").arg(cPage));
}

void TfmAlbumWEBHisto::btSupprimerClick()
{
    const QList<QTreeWidgetItem *> Choix = lvHistorique->selectedItems();
    if (Choix.isEmpty() || !m_Contexte.Parametres.lModeMAJ)
        return;
    const int n = lvHistorique->indexOfTopLevelItem(Choix.first());
    const TLigneHistoAlbumWEB L = m_Lignes.at(n);
    IMessages &Messages = *m_Contexte.Messages;
    if (!Messages.Question(this, QStringLiteral("Supprimer %1 ?").arg(QStringLiteral("l'Album WEB '%1'").arg(L.cNom))))
        return;
    IOperationsFichiers &Operations = m_Interface.pOperations ? *m_Interface.pOperations : *m_Operations;
    const TSuppressionHisto S = m_Historique.Supprime(L.cCle, Operations);
    if (S.nEtat == TEtatSuppressionHisto::Supprime || S.nEtat == TEtatSuppressionHisto::NonSauve) {
        m_lSuppression = true;
        delete lvHistorique->takeTopLevelItem(n);
        m_Lignes.removeAt(n);
        m_lSuppression = false;
        SelectionnePremiere();
        MajBoutons();
    }
    if (!S.cMessage.isEmpty())
        Messages.Erreur(this, S.cMessage);
}

void OuvreHistoriqueAlbumsWEB(TContexte &C, QWidget *Parent, const TInterfaceHistoAlbumsWEB &I)
{
    if (!C.iniSetup) {
        C.Messages->Erreur(Parent, QStringLiteral("Les paramètres ne sont pas disponibles."));
        return;
    }
    TfmAlbumWEBHisto Fenetre(C, I, Parent);
    if (!Fenetre.RemplirHistorique()) {
        C.Messages->Attention(Parent, QStringLiteral("Aucun historique des albums WEB."));
        return;
    }
    if (I.fnExecute)
        I.fnExecute(Fenetre);
    else
        Fenetre.exec();
}
