#include "mainwindow/Aide_fm.h"

#include "imaging/Imaging.h"
#include "storage/Settings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWindow>

namespace
{

// Help files are the program's own, but still read bounded.
constexpr qint64 nTailleMaxFichierAide = 1 << 20;

QString LitFichierAide(const QString &cChemin)
{
    QFile f(cChemin);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.read(nTailleMaxFichierAide));
}

constexpr int nRoleLien = Qt::UserRole + 1;

} // namespace

TPagesAide LitPagesAide(const QString &cDossier)
{
    TPagesAide Pages;
    const QDir Dossier(cDossier);
    for (const QString &cNom : Dossier.entryList({QStringLiteral("*.html")}, QDir::Files))
        Pages.insert(cNom, LitFichierAide(Dossier.filePath(cNom)));
    return Pages;
}

TfmAide::TfmAide(QWidget *Parent) : QWidget(Parent, Qt::Window)
{
    setObjectName(QStringLiteral("fmAide"));
    setWindowTitle(QStringLiteral("Aide de Vimbrel"));
    // Left open, it must not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(900, 640);
    m_Pages = LitPagesAide();
    m_Index = LitIndex(LitFichierAide(QLatin1String(cDossierAide) + QStringLiteral("index.txt")));

    auto *Disposition = new QVBoxLayout(this);
    auto *Boutons = new QHBoxLayout;
    const auto Bouton = [this, Boutons](const QString &cTexte, const char *cNom) {
        auto *b = new QPushButton(cTexte, this);
        b->setObjectName(QLatin1String(cNom));
        b->setAutoDefault(false);
        Boutons->addWidget(b);
        return b;
    };
    btPrecedent = Bouton(QStringLiteral("&Précédent"), "btPrecedent");
    btSuivant = Bouton(QStringLiteral("&Suivant"), "btSuivant");
    btAccueil = Bouton(QStringLiteral("&Accueil"), "btAccueil");
    btImprimer = Bouton(QStringLiteral("Imp&rimer..."), "btImprimer");
    Boutons->addStretch(1);
    Disposition->addLayout(Boutons);

    auto *Partage = new QSplitter(this);
    Disposition->addWidget(Partage, 1);
    pcOnglets = new QTabWidget(Partage);
    pcOnglets->setObjectName(QStringLiteral("pcOnglets"));

    tvSommaire = new QTreeWidget;
    tvSommaire->setObjectName(QStringLiteral("tvSommaire"));
    tvSommaire->setHeaderHidden(true);
    QList<QTreeWidgetItem *> Parents;
    for (const TEntreeSommaire &e :
         LitSommaire(LitFichierAide(QLatin1String(cDossierAide) + QStringLiteral("sommaire.txt")))) {
        Parents.resize(e.nNiveau);
        auto *Item = Parents.isEmpty() ? new QTreeWidgetItem(tvSommaire) : new QTreeWidgetItem(Parents.last());
        Item->setText(0, e.cTitre);
        Item->setData(0, nRoleLien, e.cLien);
        Parents << Item;
    }
    tvSommaire->expandAll();
    pcOnglets->addTab(tvSommaire, QStringLiteral("Sommaire"));

    auto *PageIndex = new QWidget;
    auto *DispIndex = new QVBoxLayout(PageIndex);
    auto *lIndex = new QLabel(QStringLiteral("&Index :"), PageIndex);
    edIndex = new QLineEdit(PageIndex);
    edIndex->setObjectName(QStringLiteral("edIndex"));
    lIndex->setBuddy(edIndex);
    lbIndex = new QListWidget(PageIndex);
    lbIndex->setObjectName(QStringLiteral("lbIndex"));
    DispIndex->addWidget(lIndex);
    DispIndex->addWidget(edIndex);
    DispIndex->addWidget(lbIndex, 1);
    pcOnglets->addTab(PageIndex, QStringLiteral("Index"));

    auto *PageRecherche = new QWidget;
    auto *DispRecherche = new QVBoxLayout(PageRecherche);
    auto *lRecherche = new QLabel(QStringLiteral("&Mots à chercher :"), PageRecherche);
    edRecherche = new QLineEdit(PageRecherche);
    edRecherche->setObjectName(QStringLiteral("edRecherche"));
    lRecherche->setBuddy(edRecherche);
    auto *btChercher = new QPushButton(QStringLiteral("&Chercher"), PageRecherche);
    btChercher->setObjectName(QStringLiteral("btChercher"));
    lbRecherche = new QListWidget(PageRecherche);
    lbRecherche->setObjectName(QStringLiteral("lbRecherche"));
    DispRecherche->addWidget(lRecherche);
    DispRecherche->addWidget(edRecherche);
    DispRecherche->addWidget(btChercher);
    DispRecherche->addWidget(lbRecherche, 1);
    pcOnglets->addTab(PageRecherche, QStringLiteral("Rechercher"));

    tbPage = new QTextBrowser(Partage);
    tbPage->setObjectName(QStringLiteral("tbPage"));
    // Links go through AfficheLien, which falls back on the home page.
    tbPage->setOpenLinks(false);
    Partage->addWidget(pcOnglets);
    Partage->addWidget(tbPage);
    Partage->setStretchFactor(1, 1);
    Partage->setSizes({260, 640});

    connect(btPrecedent, &QPushButton::clicked, tbPage, &QTextBrowser::backward);
    connect(btSuivant, &QPushButton::clicked, tbPage, &QTextBrowser::forward);
    connect(btAccueil, &QPushButton::clicked, this, [this] { AfficheContexte(ContextesAide::nAccueil); });
    connect(btImprimer, &QPushButton::clicked, this, &TfmAide::Imprime);
    connect(tbPage, &QTextBrowser::backwardAvailable, btPrecedent, &QWidget::setEnabled);
    connect(tbPage, &QTextBrowser::forwardAvailable, btSuivant, &QWidget::setEnabled);
    connect(tbPage, &QTextBrowser::sourceChanged, this, [this](const QUrl &Url) { m_cPage = Url.fileName(); });
    connect(tbPage, &QTextBrowser::anchorClicked, this, [this](const QUrl &Url) {
        if (Url.scheme() == QLatin1String("qrc") || Url.isRelative())
            AfficheLien(Url.isRelative()
                            ? Url.toString()
                            : Url.fileName() + (Url.hasFragment() ? QLatin1Char('#') + Url.fragment() : QString()));
    });
    connect(tvSommaire, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem *Item) { AfficheLien(Item->data(0, nRoleLien).toString()); });
    connect(tvSommaire, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *Item) { AfficheLien(Item->data(0, nRoleLien).toString()); });
    connect(edIndex, &QLineEdit::textChanged, this, &TfmAide::RemplitIndex);
    connect(edIndex, &QLineEdit::returnPressed, this, [this] {
        if (lbIndex->count() > 0)
            AfficheLien(lbIndex->item(0)->data(nRoleLien).toString());
    });
    for (QListWidget *l : {lbIndex, lbRecherche}) {
        connect(l, &QListWidget::itemActivated, this,
                [this](QListWidgetItem *Item) { AfficheLien(Item->data(nRoleLien).toString()); });
        connect(l, &QListWidget::itemClicked, this,
                [this](QListWidgetItem *Item) { AfficheLien(Item->data(nRoleLien).toString()); });
    }
    connect(btChercher, &QPushButton::clicked, this, &TfmAide::Rechercher);
    connect(edRecherche, &QLineEdit::returnPressed, this, &TfmAide::Rechercher);
    btPrecedent->setEnabled(false);
    btSuivant->setEnabled(false);
    RemplitIndex();
    AfficheContexte(ContextesAide::nAccueil);
}

void TfmAide::AfficheLien(const QString &cLien)
{
    QString cPage = ResoutLien(m_Pages, cLien, m_cPage);
    QString cAncre;
    if (cPage.isEmpty()) {
        cPage = QLatin1String(cPageAccueil);
    } else if (const qsizetype n = cLien.indexOf(QLatin1Char('#')); n >= 0) {
        cAncre = cLien.mid(n + 1);
    }
    QUrl Url(QStringLiteral("qrc") + QLatin1String(cDossierAide) + cPage);
    if (!cAncre.isEmpty())
        Url.setFragment(cAncre);
    tbPage->setSource(Url);
    m_cPage = cPage;
}

void TfmAide::AfficheContexte(int nContexte)
{
    AfficheLien(PageDeContexte(nContexte));
}

void TfmAide::MontreSommaire()
{
    pcOnglets->setCurrentWidget(tvSommaire);
}

void TfmAide::MontreIndex()
{
    pcOnglets->setCurrentIndex(1);
    edIndex->setFocus();
}

void TfmAide::MontreRecherche()
{
    pcOnglets->setCurrentIndex(2);
    edRecherche->setFocus();
}

void TfmAide::RemplitIndex()
{
    lbIndex->clear();
    for (const TEntreeIndex &e : FiltreIndex(m_Index, edIndex->text())) {
        auto *Item = new QListWidgetItem(e.cMot, lbIndex);
        Item->setData(nRoleLien, e.cLien);
    }
}

void TfmAide::Rechercher()
{
    lbRecherche->clear();
    for (const QString &cPage : PagesContenant(m_Pages, edRecherche->text())) {
        auto *Item = new QListWidgetItem(TitrePage(m_Pages.value(cPage)), lbRecherche);
        Item->setData(nRoleLien, cPage);
    }
    if (lbRecherche->count() == 0)
        new QListWidgetItem(QStringLiteral("(aucune page ne contient tous ces mots)"), lbRecherche);
}

void TfmAide::Imprime()
{
    QPrinter Imprimante;
    QPrintDialog Dialogue(&Imprimante, this);
    Dialogue.setWindowTitle(QStringLiteral("Imprimer la page d'aide"));
    if (Dialogue.exec() == QDialog::Accepted)
        tbPage->print(&Imprimante);
}

TfmAPropos::TfmAPropos(QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmAPropos"));
    setWindowTitle(QStringLiteral("A propos de Vimbrel"));
    auto *Disposition = new QVBoxLayout(this);
    auto *Ligne = new QHBoxLayout;
    auto *lVersion = new QLabel(QStringLiteral("Version de Vimbrel :"), this);
    lVersion->setObjectName(QStringLiteral("lVersion"));
    auto *lNumero = new QLabel(cVersionProgramme, this);
    lNumero->setObjectName(QStringLiteral("lNumeroVersion"));
    QFont Gras = lNumero->font();
    Gras.setBold(true);
    lNumero->setFont(Gras);
    Ligne->addWidget(lVersion);
    Ligne->addWidget(lNumero);
    Ligne->addStretch(1);
    Disposition->addLayout(Ligne);
    auto *lBibliotheques = new QLabel(Imaging::TexteVersion(), this);
    lBibliotheques->setObjectName(QStringLiteral("lVersionImagerie"));
    lBibliotheques->setWordWrap(true);
    lBibliotheques->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Disposition->addWidget(lBibliotheques);
    auto *Boutons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(Boutons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    Disposition->addWidget(Boutons);
}

TAideKX::TAideKX(QWidget *Main, QAbstractButton *btAide) : QObject(Main), m_Main(Main), m_btAide(btAide)
{
    if (m_btAide)
        connect(m_btAide, &QAbstractButton::toggled, this, &TAideKX::MetModeAide);
    // Always there, so that the release of a press help mode took is swallowed as well.
    qApp->installEventFilter(this);
    // Another window coming forward ends help mode.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *Fenetre) {
        if (m_lModeAide && Fenetre && !FenetreActiveAccepte())
            MetModeAide(false);
    });
}

TAideKX::~TAideKX()
{
    if (m_lModeAide)
        QApplication::restoreOverrideCursor();
    delete m_fmAide;
}

int TAideKX::ContexteDe(const QWidget *Controle)
{
    for (const QWidget *w = Controle; w; w = w->parentWidget()) {
        const int n = w->property(cProprieteContexte).toInt();
        if (n != 0)
            return n;
        if (w->isWindow())
            break;
    }
    return ContextesAide::nAccueil;
}

QString TAideKX::TexteBulle(int nSujet)
{
    const QString cHtml =
        LitFichierAide(QLatin1String(cDossierAide) + QStringLiteral("bulle%1.html").arg(std::abs(nSujet)));
    static const QRegularExpression Corps(QStringLiteral("<body[^>]*>(.*)</body>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = Corps.match(cHtml);
    return m.hasMatch() ? m.captured(1).trimmed() : cHtml;
}

void TAideKX::AideContextuelle(QWidget *Controle)
{
    if (!Controle)
        Controle = QApplication::widgetAt(QCursor::pos());
    const int nContexte = (!Controle || Controle == m_btAide) ? int(ContextesAide::nAccueil) : ContexteDe(Controle);
    // Help mode ends before anything shows, so that the cursor is back.
    MetModeAide(false);
    if (nContexte < 0) {
        const QString cTexte = TexteBulle(nContexte);
        if (!cTexte.isEmpty()) {
            QWhatsThis::showText(Controle->mapToGlobal(Controle->rect().center()), cTexte, Controle);
            emit AideMontree(nContexte);
            return;
        }
    }
    TfmAide *f = Fenetre();
    f->AfficheContexte(nContexte < 0 ? int(ContextesAide::nAccueil) : nContexte);
    f->show();
    f->raise();
    f->activateWindow();
    emit AideMontree(nContexte < 0 ? int(ContextesAide::nAccueil) : nContexte);
}

TfmAide *TAideKX::Fenetre()
{
    // Its own top-level window: closing the main window closes it through this object.
    if (!m_fmAide)
        m_fmAide = new TfmAide(nullptr);
    return m_fmAide;
}

void TAideKX::Sommaire()
{
    TfmAide *f = Fenetre();
    f->MontreSommaire();
    f->show();
    f->raise();
}

void TAideKX::Index()
{
    TfmAide *f = Fenetre();
    f->show();
    f->raise();
    f->activateWindow();
    f->MontreIndex();
}

void TAideKX::Accueil()
{
    TfmAide *f = Fenetre();
    f->AfficheContexte(ContextesAide::nAccueil);
    f->show();
    f->raise();
}

void TAideKX::APropos()
{
    TfmAPropos Boite(m_Main);
    if (fnExecAPropos)
        fnExecAPropos(Boite);
    else
        Boite.exec();
}

void TAideKX::MetModeAide(bool lModeAide)
{
    if (m_btAide && m_btAide->isChecked() != lModeAide) {
        // The button's toggled signal comes back here.
        m_btAide->setChecked(lModeAide);
        return;
    }
    if (lModeAide == m_lModeAide)
        return;
    m_lModeAide = lModeAide;
    if (m_lModeAide) {
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

bool TAideKX::FenetreActiveAccepte() const
{
    const QWidget *Active = QApplication::activeWindow();
    if (!Active)
        return false;
    // The main window and the database explorer take help-mode clicks.
    return Active == m_Main->window() || Active->property(cProprieteContexte).toInt() == ContextesAide::nExplorateurBDD;
}

bool TAideKX::eventFilter(QObject *Objet, QEvent *Evenement)
{
    switch (Evenement->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const auto *e = static_cast<QMouseEvent *>(Evenement);
        if (!m_lModeAide || e->button() != Qt::LeftButton || !Objet->isWidgetType() || !FenetreActiveAccepte())
            break;
        // Disabled controls too: the one under the press, whatever it accepts.
        QWidget *Controle = QApplication::widgetAt(e->globalPosition().toPoint());
        if (!Controle)
            Controle = static_cast<QWidget *>(Objet);
        m_lRelachementAAvaler = true;
        AideContextuelle(Controle);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (m_lRelachementAAvaler && static_cast<QMouseEvent *>(Evenement)->button() == Qt::LeftButton) {
            m_lRelachementAAvaler = false;
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (m_lModeAide && static_cast<QKeyEvent *>(Evenement)->key() == Qt::Key_Escape) {
            MetModeAide(false);
            return true;
        }
        break;
    default: break;
    }
    return QObject::eventFilter(Objet, Evenement);
}
