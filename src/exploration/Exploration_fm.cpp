#include "exploration/Exploration_fm.h"

#include "components/FolderTreeView.h"
#include "components/MessagesQt.h"
#include "exploration/Historique.h"
#include "exploration/ListeImages.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
#include "filters/BoutonFiltres_fm.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
// A path drawn on one line: too wide, it loses its middle, the "." put there shown in red.
void DessineCheminRaccourci(QPainter *p, const QRect &r, const QString &cTexte, const QFont &Police,
                            const QColor &Texte)
{
    const QFontMetrics fm(Police);
    qsizetype nPoint = -1;
    const QString c = Historique::RaccourcitMilieu(
        cTexte, [&](const QString &x) { return fm.horizontalAdvance(x) <= r.width(); }, &nPoint);
    p->save();
    p->setFont(Police);
    p->setPen(Texte);
    if (nPoint < 0) {
        p->drawText(r, Qt::AlignLeft | Qt::AlignVCenter, c);
    } else {
        const QString g = c.left(nPoint), d = c.mid(nPoint + 1);
        int x = r.left();
        p->drawText(QRect(x, r.top(), r.width(), r.height()), Qt::AlignLeft | Qt::AlignVCenter, g);
        x += fm.horizontalAdvance(g);
        p->setPen(Qt::red);
        p->drawText(QRect(x, r.top(), r.width(), r.height()), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("."));
        x += fm.horizontalAdvance(QLatin1Char('.'));
        p->setPen(Texte);
        p->drawText(QRect(x, r.top(), r.right() - x, r.height()), Qt::AlignLeft | Qt::AlignVCenter, d);
    }
    p->restore();
}

// Each history entry in the open list.
class TDelegueHistorique : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &Option, const QModelIndex &Index) const override
    {
        QStyleOptionViewItem o = Option;
        initStyleOption(&o, Index);
        const QString cTexte = o.text;
        o.text.clear();
        const QWidget *w = o.widget;
        (w ? w->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &o, p, w);
        DessineCheminRaccourci(
            p, o.rect.adjusted(3, 0, -3, 0), cTexte, o.font,
            o.palette.color((o.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    }
};

// The closed box shows its entry the way its list does.
class TComboHistorique : public QComboBox
{
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QStylePainter p(this);
        QStyleOptionComboBox o;
        initStyleOption(&o);
        const QString cTexte = o.currentText;
        o.currentText.clear();
        p.drawComplexControl(QStyle::CC_ComboBox, o);
        p.drawControl(QStyle::CE_ComboBoxLabel, o);
        const QRect r = style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, this);
        DessineCheminRaccourci(
            &p, r.adjusted(1, 0, -1, 0), cTexte, font(),
            palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    }
};

QString AvecBarre(QString c)
{
    if (!c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}
}

TExplorationKX::TExplorationKX(QWidget *Page, TContexte &Contexte, TListeImagesKX &Liste)
    : QObject(Page), m_Page(Page), m_Contexte(Contexte), m_Liste(Liste), m_Selection(Liste.Selection())
{
    auto *Disposition = qobject_cast<QVBoxLayout *>(Page->layout());
    if (!Disposition) {
        delete Page->layout();
        Disposition = new QVBoxLayout(Page);
    }
    Disposition->setContentsMargins(2, 2, 2, 2);
    Disposition->setSpacing(2);

    tvReps = new TFolderTreeView(Contexte.Volumes.get(), Page);
    tvReps->setObjectName(QStringLiteral("tvReps"));
    tvReps->set_ShowShellNodes(true);
    tvReps->Remplit();

    auto *Ligne = new QHBoxLayout();
    Ligne->setSpacing(2);
    cbHistoReps = new TComboHistorique(Page);
    cbHistoReps->setObjectName(QStringLiteral("cbHistoReps"));
    cbHistoReps->setItemDelegate(new TDelegueHistorique(cbHistoReps));
    cbHistoReps->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbHistoReps->setMinimumContentsLength(8);
    btSupprHisto = new QPushButton(QStringLiteral("✕"), Page);
    btSupprHisto->setObjectName(QStringLiteral("btSupprHisto"));
    btSupprHisto->setToolTip(QStringLiteral("Supprimer l'historique des dossiers parcourus"));
    btSupprHisto->setFixedWidth(24);
    Ligne->addWidget(cbHistoReps, 1);
    Ligne->addWidget(btSupprHisto);

    auto *Boutons = new QHBoxLayout();
    Boutons->setSpacing(2);
    btExplLectRecurs = new QPushButton(QStringLiteral("Récursivité"), Page);
    btExplLectRecurs->setObjectName(QStringLiteral("btExplLectRecurs"));
    btExplLectRecurs->setCheckable(true);
    btExplFiltres = new QPushButton(QStringLiteral("Filtre"), Page);
    btExplFiltres->setObjectName(QStringLiteral("btExplFiltres"));
    btExplExplorer = new QPushButton(QStringLiteral("Explorer"), Page);
    btExplExplorer->setObjectName(QStringLiteral("btExplExplorer"));
    Boutons->addWidget(btExplLectRecurs);
    Boutons->addWidget(btExplFiltres);
    Boutons->addWidget(btExplExplorer);

    Disposition->addWidget(tvReps, 1);
    Disposition->addLayout(Ligne);
    Disposition->addLayout(Boutons);

    connect(tvReps, &TFolderTreeView::Change, this, [this](const QString &c) {
        PublieDossier();
        if (m_lImmediat)
            tvRepsChange(c);
        else if (!m_lSansListe)
            ListeApresClic();
    });
    connect(btExplLectRecurs, &QPushButton::clicked, this, [this] { btExplLectRecursClick(); });
    connect(btExplExplorer, &QPushButton::clicked, this, [this] { btExplExplorerClick(); });
    // The filter button and the listing's filter: a reset or a validated edit lists again.
    FiltresListe = InstalleFiltresExploration(
        btExplFiltres, m_Liste, Contexte, [this] { ListeDossier(); }, &BoutonFiltres);
    // Queued, like a click in the tree: the box closes and repaints before the listing starts.
    connect(
        cbHistoReps, &QComboBox::activated, this, [this](int n) { cbHistoRepsChange(n); }, Qt::QueuedConnection);
    connect(btSupprHisto, &QPushButton::clicked, this, [this] { btSupprHistoClick(); });

    connect(&m_Selection, &TSelectionKX::ListeConstruite, this, [this](TModeListe nMode) {
        if (nMode == TModeListe::Exploration)
            MetHistorique(m_cDossierListe);
    });
    RemplitHistorique();
    PublieDossier();
}

void TExplorationKX::PublieDossier()
{
    // Spelt as it was asked for when it is still the current one, otherwise the tree's folder
    // without its final "/".
    const QString c = DossierCourant();
    if (!m_cDemande.isEmpty() && AvecBarre(m_cDemande) == AvecBarre(c))
        m_Selection.MetDossierCourant(m_cDemande);
    else
        m_Selection.MetDossierCourant(c.size() > 1 && c.endsWith(QLatin1Char('/')) ? c.chopped(1) : c);
}

QString TExplorationKX::DossierCourant() const
{
    return tvReps->DossierCourant();
}

bool TExplorationKX::OuvreDossier(const QString &cDossier)
{
    const QFileInfo fi(cDossier);
    if (cDossier.isEmpty() || !fi.isDir())
        return false;
    const QString c = AvecBarre(fi.absoluteFilePath());
    if (EstDansVignettes(c, m_Contexte.Dossiers.cDossierVignettes))
        return false;
    m_cDemande = cDossier;
    try {
        if (AvecBarre(tvReps->DossierCourant()) == c) {
            PublieDossier();
            tvRepsChange(c); // already current: list it again
        } else {
            // Asked for by the program: listed before this returns.
            const QScopedValueRollback Immediat(m_lImmediat, true);
            tvReps->ChoisitDossier(c);
        }
    } catch (const ECheminNonTrouve &) {
        PublieDossier();
        return false;
    }
    return true;
}

void TExplorationKX::tvRepsChange(const QString &cDossier)
{
    if (m_lSansListe || cDossier.isEmpty())
        return;
    // The thumbnail folder is the program's own: it is never explored.
    if (EstDansVignettes(cDossier, m_Contexte.Dossiers.cDossierVignettes)) {
        QApplication::beep();
        if (!m_cDossierListe.isEmpty()) {
            m_lSansListe = true;
            try {
                tvReps->ChoisitDossier(m_cDossierListe);
            } catch (const ECheminNonTrouve &) {
            }
            m_lSansListe = false;
        }
        return;
    }
    if (!btExplLectRecurs->isChecked())
        ListeDossier();
}

void TExplorationKX::ListeApresClic()
{
    // The tree repaints with the new folder before the listing starts; clicks that follow
    // each other quickly make one listing, of the folder current when it starts.
    if (m_lClicEnAttente)
        return;
    m_lClicEnAttente = true;
    QTimer::singleShot(0, this, [this] {
        m_lClicEnAttente = false;
        tvRepsChange(tvReps->DossierCourant());
    });
}

void TExplorationKX::ListeDossier()
{
    const QString c = tvReps->DossierCourant();
    if (c.isEmpty())
        return;
    m_cDossierListe = AvecBarre(c);
    TDemandeListe d;
    d.nMode = TModeListe::Exploration;
    d.cDossier = m_cDossierListe;
    d.lRecursif = btExplLectRecurs->isChecked();
    m_Liste.ConstruitListe(d);
}

void TExplorationKX::btExplLectRecursClick()
{
    tvRepsChange(tvReps->DossierCourant());
}

void TExplorationKX::btExplExplorerClick()
{
    ListeDossier();
}

void TExplorationKX::cbHistoRepsChange(int nIndex)
{
    const QString c = cbHistoReps->itemText(nIndex);
    if (!OuvreDossier(c))
        cbHistoReps->setCurrentIndex(-1);
}

void TExplorationKX::btSupprHistoClick()
{
    if (!MessagesDe(m_Contexte)
             .Question(m_Page,
                       QStringLiteral("Supprimer %1 ?").arg(QStringLiteral("l'historique des dossiers parcourus"))))
        return;
    m_Contexte.HistoriqueRepertoires.clear();
    RemplitHistorique();
}

void TExplorationKX::MetHistorique(const QString &cDossier)
{
    if (cDossier.isEmpty())
        return;
    Historique::MetEnTete(m_Contexte.HistoriqueRepertoires, cDossier);
    RemplitHistorique();
    cbHistoReps->setCurrentIndex(0);
}

void TExplorationKX::RemplitHistorique()
{
    cbHistoReps->clear();
    cbHistoReps->addItems(m_Contexte.HistoriqueRepertoires);
    cbHistoReps->setCurrentIndex(m_Contexte.HistoriqueRepertoires.isEmpty() ? -1 : 0);
}

TExplorationKX *InstalleExploration(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Liste = new TListeImagesKX(Main, Contexte);
    auto *Exploration = new TExplorationKX(Main.PageExploration(), Contexte, *Liste);
    Main.Installe(Exploration);
    return Exploration;
}
