#include "publishing/Doublons_fm.h"

#include "components/FolderTreeView.h"
#include "components/PaneledListView.h"
#include "exploration/ModeleListe.h"
#include "imaging/FileKinds.h"
#include "platform/FrenchFormats.h"
#include "publishing/SuppressionImages.h"

#include <QCheckBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

// The main list's rows that are not on a CD, shown as they are there.
class TFiltreHorsCD : public QSortFilterProxyModel
{
public:
    explicit TFiltreHorsCD(const TModeleListeImages &Modele, QObject *Parent)
        : QSortFilterProxyModel(Parent), m_Modele(Modele)
    {
        setSourceModel(const_cast<TModeleListeImages *>(&Modele));
    }

protected:
    bool filterAcceptsRow(int nLigne, const QModelIndex &) const override
    {
        return nLigne < m_Modele.Nombre() && m_Modele.Enr(nLigne).nNumCD == 0;
    }

private:
    const TModeleListeImages &m_Modele;
};

QPushButton *Bouton(const QString &cTexte, const char *cNom, QWidget *Parent)
{
    auto *b = new QPushButton(cTexte, Parent);
    b->setObjectName(QLatin1String(cNom));
    return b;
}

} // namespace

TfmDoublonsChoixImg::TfmDoublonsChoixImg(const TModeleListeImages *pModele, const IVolumes *pVolumes,
                                         const QString &cDossier, QWidget *Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmDoublonsChoixImg"));
    setWindowTitle(QStringLiteral("Images en double : choix des images"));
    resize(560, 520);
    auto *Disposition = new QVBoxLayout(this);

    rbListeImg = new QRadioButton(QStringLiteral("à partir de la liste d'images"), this);
    rbListeImg->setObjectName(QStringLiteral("rbListeImg"));
    lvDblListeImgs = new QTreeView(this);
    lvDblListeImgs->setObjectName(QStringLiteral("lvDblListeImgs"));
    lvDblListeImgs->setRootIsDecorated(false);
    lvDblListeImgs->setUniformRowHeights(true);
    // The rows are shown, never chosen: candidates are every row.
    lvDblListeImgs->setSelectionMode(QAbstractItemView::NoSelection);
    lvDblListeImgs->setFocusPolicy(Qt::NoFocus);
    if (pModele) {
        lvDblListeImgs->setModel(new TFiltreHorsCD(*pModele, lvDblListeImgs));
        for (int c = 0; c < pModele->columnCount(); ++c)
            lvDblListeImgs->setColumnHidden(
                c, !pModele->headerData(c, Qt::Horizontal, TModeleListeImages::RoleVisible).value<bool>());
    }

    rbAutreEmplac = new QRadioButton(QStringLiteral("à partir d'un autre emplacement"), this);
    rbAutreEmplac->setObjectName(QStringLiteral("rbAutreEmplac"));
    tvDblReps = new TFolderTreeView(pVolumes, this);
    tvDblReps->setObjectName(QStringLiteral("tvDblReps"));
    tvDblReps->Remplit();
    if (!cDossier.isEmpty()) {
        try {
            tvDblReps->ChoisitDossier(cDossier);
        } catch (const ECheminNonTrouve &) {
            // The tree then starts on its roots.
        }
    }
    btLectRecurs = Bouton(QStringLiteral("Récursivité"), "btLectRecurs", this);
    btLectRecurs->setCheckable(true);
    btLectRecurs->setChecked(false);
    btLectRecurs->setToolTip(QStringLiteral("Recherche en profondeur dans le dossier courant et ses sous-dossiers"));

    auto *Autre = new QHBoxLayout;
    Autre->addWidget(rbAutreEmplac, 1);
    Autre->addWidget(btLectRecurs);

    btOK = Bouton(QStringLiteral("OK"), "btOK", this);
    btOK->setDefault(true);
    btAnnuler = Bouton(QStringLiteral("Annuler"), "btAnnuler", this);
    auto *Boutons = new QHBoxLayout;
    Boutons->addStretch(1);
    Boutons->addWidget(btOK);
    Boutons->addWidget(btAnnuler);

    Disposition->addWidget(rbListeImg);
    Disposition->addWidget(lvDblListeImgs, 1);
    Disposition->addLayout(Autre);
    Disposition->addWidget(tvDblReps, 1);
    Disposition->addLayout(Boutons);

    const bool lListe = pModele && pModele->Nombre() > 0;
    rbListeImg->setEnabled(lListe);
    (lListe ? rbListeImg : rbAutreEmplac)->setChecked(true);
    connect(rbListeImg, &QRadioButton::toggled, this, &TfmDoublonsChoixImg::MajControles);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    MajControles();
}

void TfmDoublonsChoixImg::MajControles()
{
    const bool lAutre = rbAutreEmplac->isChecked();
    tvDblReps->setEnabled(lAutre);
    btLectRecurs->setEnabled(lAutre);
    lvDblListeImgs->setEnabled(!lAutre);
}

TChoixDoublons TfmDoublonsChoixImg::Choix() const
{
    TChoixDoublons c;
    c.lListeImages = rbListeImg->isChecked();
    if (!c.lListeImages) {
        c.cDossier = tvDblReps->DossierCourant();
        c.lRecursif = btLectRecurs->isChecked();
    }
    return c;
}

QStringList CellulesDoublon(const TEnrImgSel &Enr)
{
    QString cDate;
    if (Enr.nDate > 0) {
        const QDateTime d = QDateTime::fromSecsSinceEpoch(Enr.nDate);
        if (d.isValid())
            cDate = FrenchFormats::DateHeure(d);
    }
    return {Enr.NomFichier(), Enr.Dossier(), Enr.cResol, Enr.nTaille > 0 ? TexteTaille(Enr.nTaille) : QString(), cDate};
}

TfmDoublons::TfmDoublons(const QList<TEnrImgSel> &Candidats, const QList<TPaireDoublons> &Paires,
                         const TModeleListeImages *pModele, bool lModeMAJ, const TAspectVignettesDoublons &Aspect,
                         std::function<QImage(const TEnrImgSel &)> fnImage, QWidget *Parent)
    : QDialog(Parent), m_Candidats(Candidats), m_Paires(Paires), m_pModele(pModele), m_fnImage(std::move(fnImage))
{
    setObjectName(QStringLiteral("fmDoublons"));
    setWindowTitle(QStringLiteral("Doublons"));
    resize(900, 560);
    auto *Disposition = new QVBoxLayout(this);

    lvDblImgs = NouvelleListe(QStringLiteral("lvDblImgs"));
    lvDblImgsSimil = NouvelleListe(QStringLiteral("lvDblImgsSimil"));
    plvDblImgs = NouveauPanneau(QStringLiteral("plvDblImgs"), Aspect);
    plvDblImgsSimil = NouveauPanneau(QStringLiteral("plvDblImgsSimil"), Aspect);
    const auto Rangee = [this, Disposition](const QString &cTitre, QTreeWidget *Liste, TPaneledListView *Panneau) {
        auto *Titre = new QLabel(cTitre, this);
        Disposition->addWidget(Titre);
        auto *Ligne = new QHBoxLayout;
        Ligne->addWidget(Liste, 1);
        Ligne->addWidget(Panneau);
        Disposition->addLayout(Ligne, 1);
    };
    Rangee(QStringLiteral("Images"), lvDblImgs, plvDblImgs);
    Rangee(QStringLiteral("Images similaires"), lvDblImgsSimil, plvDblImgsSimil);

    cbDefinitif = new QCheckBox(cTexteSupprimerDefinitivement, this);
    cbDefinitif->setObjectName(QStringLiteral("cbDefinitif"));
    cbDefinitif->setChecked(false);
    btOK = Bouton(QStringLiteral("Fermer et supprimer les images sélectionnées"), "btOK", this);
    btOK->setEnabled(lModeMAJ);
    btAnnuler = Bouton(QStringLiteral("Annuler"), "btAnnuler", this);
    // Enter never deletes: only a click on the button does.
    btOK->setAutoDefault(false);
    btAnnuler->setAutoDefault(false);
    auto *Bas = new QHBoxLayout;
    Bas->addWidget(cbDefinitif);
    Bas->addStretch(1);
    Bas->addWidget(btOK);
    Bas->addWidget(btAnnuler);
    Disposition->addLayout(Bas);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);

    Remplit();
}

QTreeWidget *TfmDoublons::NouvelleListe(const QString &cNom)
{
    auto *Liste = new QTreeWidget(this);
    Liste->setObjectName(cNom);
    Liste->setRootIsDecorated(false);
    Liste->setUniformRowHeights(true);
    Liste->setAllColumnsShowFocus(true);
    Liste->setSelectionMode(QAbstractItemView::SingleSelection);
    Liste->setHeaderLabels({QStringLiteral("Nom"), QStringLiteral("Emplacement"), QStringLiteral("Résol."),
                            QStringLiteral("Taille"), QStringLiteral("Date")});
    Liste->header()->setStretchLastSection(false);
    Liste->setColumnWidth(0, 150);
    Liste->setColumnWidth(1, 220);
    Liste->setColumnWidth(2, 80);
    Liste->setColumnWidth(3, 80);
    Liste->setColumnWidth(4, 130);
    Liste->viewport()->installEventFilter(this);
    connect(Liste, &QTreeWidget::currentItemChanged, this,
            [this, Liste](QTreeWidgetItem *Item) { LigneChange(Liste, Item ? Liste->indexOfTopLevelItem(Item) : -1); });
    return Liste;
}

TPaneledListView *TfmDoublons::NouveauPanneau(const QString &cNom, const TAspectVignettesDoublons &Aspect)
{
    auto *Panneau = new TPaneledListView(this);
    Panneau->setObjectName(cNom);
    Panneau->set_ItemDim(160);
    Panneau->set_Panels3D(Aspect.lPanels3D);
    if (Aspect.CouleurPanneaux.isValid())
        Panneau->set_PanelsColor(Aspect.CouleurPanneaux);
    if (Aspect.CouleurTexte.isValid())
        Panneau->set_PanelsFontColor(Aspect.CouleurTexte);
    if (Aspect.CouleurFond.isValid())
        Panneau->setCouleurFond(Aspect.CouleurFond);
    Panneau->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Panneau->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QSize Taille = Panneau->sizeHint();
    Panneau->setFixedWidth(PasXCellule(160) + 2 * Panneau->frameWidth());
    Panneau->setMinimumHeight(std::min(Taille.height(), PasYCellule(160) + 2 * Panneau->frameWidth()));
    Panneau->Ajoute();
    return Panneau;
}

void TfmDoublons::Remplit()
{
    for (QTreeWidget *Liste : {lvDblImgs, lvDblImgsSimil}) {
        const bool lSimil = Liste == lvDblImgsSimil;
        QList<QTreeWidgetItem *> Items;
        for (const TPaireDoublons &p : m_Paires) {
            const int n = lSimil ? p.nSimilaire : p.nImage;
            auto *Item = new QTreeWidgetItem(CellulesDoublon(m_Candidats.at(n)));
            // The tick is drawn from the check state; only a click in its area toggles it.
            Item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            Item->setData(0, Qt::CheckStateRole, Qt::Unchecked);
            Items << Item;
        }
        Liste->addTopLevelItems(Items);
    }
    setWindowTitle(TitreDoublons(int(m_Paires.size())));
    if (!m_Paires.isEmpty())
        lvDblImgs->setCurrentItem(lvDblImgs->topLevelItem(0));
}

void TfmDoublons::LigneChange(QTreeWidget *Source, int nLigne)
{
    if (m_lSynchro || nLigne < 0 || nLigne >= m_Paires.size())
        return;
    m_lSynchro = true;
    QTreeWidget *Autre = Source == lvDblImgs ? lvDblImgsSimil : lvDblImgs;
    QTreeWidgetItem *Item = Autre->topLevelItem(nLigne);
    Autre->setCurrentItem(Item);
    Autre->scrollToItem(Item);
    Source->scrollToItem(Source->topLevelItem(nLigne));
    Montre(plvDblImgs, m_Paires[nLigne].nImage);
    Montre(plvDblImgsSimil, m_Paires[nLigne].nSimilaire);
    m_lSynchro = false;
}

void TfmDoublons::Montre(TPaneledListView *Panneau, int nCandidat)
{
    TPLVListItem *Item = Panneau->Item(0);
    if (!Item)
        return;
    const TEnrImgSel &Enr = m_Candidats.at(nCandidat);
    Panneau->MetImage(Item, m_fnImage ? m_fnImage(Enr) : QImage());
    Panneau->MetTitre(Item, Enr.NomFichier());
    Panneau->MetBulle(Item, Enr.cChemin);
}

bool TfmDoublons::Coche(bool lSimilaires, int nLigne) const
{
    const QTreeWidgetItem *Item = (lSimilaires ? lvDblImgsSimil : lvDblImgs)->topLevelItem(nLigne);
    return Item && Item->data(0, Qt::CheckStateRole).toInt() == Qt::Checked;
}

void TfmDoublons::Bascule(bool lSimilaires, int nLigne)
{
    QTreeWidgetItem *Item = (lSimilaires ? lvDblImgsSimil : lvDblImgs)->topLevelItem(nLigne);
    if (Item)
        Item->setData(0, Qt::CheckStateRole, Coche(lSimilaires, nLigne) ? Qt::Unchecked : Qt::Checked);
}

bool TfmDoublons::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Evenement->type() == QEvent::MouseButtonPress) {
        for (QTreeWidget *Liste : {lvDblImgs, lvDblImgsSimil}) {
            if (Objet != Liste->viewport())
                continue;
            const auto *e = static_cast<QMouseEvent *>(Evenement);
            const QPoint pt = e->position().toPoint();
            // The first pixels of the row, whatever the horizontal scroll.
            const int x = pt.x() + Liste->header()->offset();
            if (e->button() == Qt::LeftButton && e->modifiers() == Qt::NoModifier && x < nLargeurCoche) {
                if (QTreeWidgetItem *Item = Liste->itemAt(pt))
                    Bascule(Liste == lvDblImgsSimil, Liste->indexOfTopLevelItem(Item));
            }
        }
    }
    return QDialog::eventFilter(Objet, Evenement);
}

TChoixSuppression TfmDoublons::Resultat() const
{
    QList<bool> Images, Similaires;
    for (int i = 0; i < m_Paires.size(); ++i) {
        Images << Coche(false, i);
        Similaires << Coche(true, i);
    }
    TChoixSuppression r;
    r.Images = ImagesASupprimer(m_Paires, m_Candidats, Images, Similaires, m_pModele);
    r.lDefinitif = cbDefinitif->isChecked();
    return r;
}
