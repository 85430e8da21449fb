#include "metadata/ExtraitDonGeneEtMD_fm.h"

#include "classification/Classement.h"
#include "components/GaugeWindow.h"
#include "components/PaneledListView.h"
#include "exploration/ModeleListe.h"
#include "mainwindow/MainKX_fm.h"
#include "metadata/ChoixImages_fm.h"
#include "platform/AtomicFile.h"
#include "platform/Couleurs.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

const QString cFiltreRTF = QStringLiteral("Format texte enrichi (*.rtf)");
const QString cFiltreTXT = QStringLiteral("Format texte (*.txt)");

// Active and inactive caption colours of the colour table.
constexpr int nCouleurTitreActif = 19;
constexpr int nCouleurTitreInactif = 21;

QColor CouleurGroupe(TGroupeDon nGroupe, bool lSelectionne, const QPalette &Palette)
{
    switch (nGroupe) {
    case TGroupeDon::EXIF: return lSelectionne ? QColor(0, 255, 0) : QColor(0, 128, 0);
    case TGroupeDon::IPTC: return lSelectionne ? QColor(0, 255, 255) : QColor(0, 128, 128);
    case TGroupeDon::Generales: break;
    }
    return Palette.color(lSelectionne ? QPalette::HighlightedText : QPalette::Text);
}

QIcon IconeGroupe(TGroupeDon nGroupe, const QPalette &Palette)
{
    QPixmap Pixmap(12, 12);
    Pixmap.fill(Qt::transparent);
    QPainter p(&Pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(CouleurGroupe(nGroupe, false, Palette));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    return QIcon(Pixmap);
}

QIcon IconeSigne(bool lPlus, const QColor &Couleur)
{
    QPixmap Pixmap(12, 12);
    Pixmap.fill(Qt::transparent);
    QPainter p(&Pixmap);
    p.setPen(QPen(Couleur, 2));
    p.drawLine(2, 6, 10, 6);
    if (lPlus)
        p.drawLine(6, 2, 6, 10);
    return QIcon(Pixmap);
}

// The items in the colour of their group, brighter when selected.
class TDelegueChoixDonnees : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *pOption, const QModelIndex &Index) const override
    {
        QStyledItemDelegate::initStyleOption(pOption, Index);
        const int i = Index.row();
        if (i < 0 || i >= nNbChoixDon || !(pOption->state & QStyle::State_Enabled))
            return;
        const TGroupeDon g = ChoixDonnees()[i].nGroupe;
        pOption->palette.setColor(QPalette::Text, CouleurGroupe(g, false, pOption->palette));
        pOption->palette.setColor(QPalette::HighlightedText, CouleurGroupe(g, true, pOption->palette));
    }
};

// Selects a whole line of a text page and scrolls it to the top, its start in view.
template <class TEdit>
void SelectionneLigne(TEdit *pEdit, int nLigne)
{
    const QTextBlock Bloc = pEdit->document()->findBlockByNumber(nLigne);
    if (!Bloc.isValid())
        return;
    QTextCursor Curseur(Bloc);
    Curseur.movePosition(QTextCursor::EndOfBlock);
    Curseur.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    // From the end of the page, bringing the line into view leaves it at the top.
    pEdit->verticalScrollBar()->setValue(pEdit->verticalScrollBar()->maximum());
    pEdit->setTextCursor(Curseur);
    pEdit->ensureCursorVisible();
}

bool ImprimeParDefaut(QWidget *Parent, const QString &cDossier, const QString &cNom, QTextDocument &doc)
{
    QPrinter Imprimante(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        // No printer on this machine: the pages go into a PDF file instead.
        const QString cFichier = QFileDialog::getSaveFileName(Parent, QStringLiteral("Imprimer dans un fichier PDF"),
                                                              cDossier + cNom + QStringLiteral(".pdf"),
                                                              QStringLiteral("Document PDF (*.pdf)"));
        if (cFichier.isEmpty())
            return false;
        Imprimante.setOutputFormat(QPrinter::PdfFormat);
        Imprimante.setOutputFileName(cFichier);
    } else {
        QPrintDialog Dialogue(&Imprimante, Parent);
        if (Dialogue.exec() != QDialog::Accepted)
            return false;
    }
    doc.print(&Imprimante);
    return true;
}

} // namespace

TfmExtraitDonGeneEtMD::TfmExtraitDonGeneEtMD(TContexte &Contexte, TModeleListeImages &Modele,
                                             const TPaneledListView *pGrille, TClassement *pClassement, QWidget *parent)
    : QDialog(parent), m_Contexte(Contexte), m_Modele(Modele), m_pGrille(pGrille), m_pClassement(pClassement)
{
    Construit();
    MetChoix(ChoixDeMasque(m_Contexte.Parametres.nMasqueChoixDon, m_Contexte.Parametres.lTrtDescription));
    MajPanneauChoix();
    MajBoutons();
}

TfmExtraitDonGeneEtMD::~TfmExtraitDonGeneEtMD() = default;

void TfmExtraitDonGeneEtMD::Construit()
{
    setObjectName(QStringLiteral("fmExtraitDonGeneEtMD"));
    setWindowTitle(QStringLiteral("Extraction des %1").arg(cDonGeneEtMD));
    setSizeGripEnabled(true);
    setMinimumWidth(740);
    resize(900, 720);

    auto *lPrincipal = new QVBoxLayout(this);
    auto *spHaut = new QSplitter(Qt::Vertical, this);
    lPrincipal->addWidget(spHaut, 1);

    auto *pnHaut = new QWidget(spHaut);
    auto *lHaut = new QHBoxLayout(pnHaut);
    lHaut->setContentsMargins(0, 0, 0, 0);

    auto *gbImages = new QGroupBox(QStringLiteral("Images"), pnHaut);
    auto *lImages = new QVBoxLayout(gbImages);
    ChoixImages = new TChoixImages(m_Modele, true, m_pGrille, gbImages);
    lImages->addWidget(ChoixImages);
    lHaut->addWidget(gbImages, 1);

    auto *gbDonnees = new QGroupBox(QStringLiteral("Données"), pnHaut);
    auto *lDonnees = new QHBoxLayout(gbDonnees);
    lbChoixDonnees = new QListWidget(gbDonnees);
    lbChoixDonnees->setObjectName(QStringLiteral("lbChoixDonnees"));
    lbChoixDonnees->setItemDelegate(new TDelegueChoixDonnees(lbChoixDonnees));
    for (int i = 0; i < nNbChoixDon; ++i) {
        const TChoixDon &c = ChoixDonnees()[i];
        auto *Item = new QListWidgetItem(IconeGroupe(c.nGroupe, palette()), c.cNom, lbChoixDonnees);
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
        if (i == nChoixDescription && !m_Contexte.Parametres.lTrtDescription)
            f &= ~(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        Item->setFlags(f);
        Item->setCheckState(Qt::Unchecked);
    }
    lbChoixDonnees->setMinimumWidth(180);
    lDonnees->addWidget(lbChoixDonnees, 1);

    pnChoixDonnees = new QWidget(gbDonnees);
    pnChoixDonnees->setObjectName(QStringLiteral("pnChoixDonnees"));
    pnChoixDonnees->setAutoFillBackground(true);
    auto *lChoix = new QGridLayout(pnChoixDonnees);
    const auto BoutonGroupe = [this](const char *cNom, const QString &cTexte, bool lAjouter, const QString &cGroupe) {
        auto *b = new QPushButton(IconeSigne(lAjouter, palette().color(QPalette::ButtonText)), cTexte, pnChoixDonnees);
        b->setObjectName(QString::fromLatin1(cNom));
        b->setToolTip(QStringLiteral("%1 toutes les données <SG>%2</SG/>")
                          .arg(lAjouter ? QStringLiteral("Ajouter") : QStringLiteral("Enlever"), cGroupe));
        return b;
    };
    btAjtGenerales = BoutonGroupe("btAjtGenerales", QStringLiteral("Générales"), true, QStringLiteral("générales"));
    btEnlGenerales = BoutonGroupe("btEnlGenerales", QStringLiteral("Générales"), false, QStringLiteral("générales"));
    btAjtEXIF = BoutonGroupe("btAjtEXIF", QStringLiteral("EXIF"), true, QStringLiteral("EXIF"));
    btEnlEXIF = BoutonGroupe("btEnlEXIF", QStringLiteral("EXIF"), false, QStringLiteral("EXIF"));
    btAjtIPTC = BoutonGroupe("btAjtIPTC", QStringLiteral("IPTC"), true, QStringLiteral("IPTC"));
    btEnlIPTC = BoutonGroupe("btEnlIPTC", QStringLiteral("IPTC"), false, QStringLiteral("IPTC"));
    lChoix->addWidget(btAjtGenerales, 0, 0);
    lChoix->addWidget(btEnlGenerales, 0, 1);
    lChoix->addWidget(btAjtEXIF, 1, 0);
    lChoix->addWidget(btEnlEXIF, 1, 1);
    lChoix->addWidget(btAjtIPTC, 2, 0);
    lChoix->addWidget(btEnlIPTC, 2, 1);
    const auto BoutonTMD = [this](const char *cNom, const QString &cGroupe) {
        auto *b = new QToolButton(pnChoixDonnees);
        b->setObjectName(QString::fromLatin1(cNom));
        b->setCheckable(true);
        b->setText(QStringLiteral("toutes %1 présentes").arg(cGroupe));
        b->setToolTip(QStringLiteral("toutes les données <SG>%1</SG/> présentes dans l'image").arg(cGroupe));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return b;
    };
    btExtrTMDEXIF = BoutonTMD("btExtrTMDEXIF", QStringLiteral("EXIF"));
    btExtrTMDIPTC = BoutonTMD("btExtrTMDIPTC", QStringLiteral("IPTC"));
    lChoix->addWidget(btExtrTMDEXIF, 3, 0, 1, 2);
    lChoix->addWidget(btExtrTMDIPTC, 4, 0, 1, 2);
    lChoix->setRowStretch(5, 1);
    lDonnees->addWidget(pnChoixDonnees);
    lHaut->addWidget(gbDonnees, 0);

    auto *pnBas = new QWidget(spHaut);
    auto *lBas = new QVBoxLayout(pnBas);
    lBas->setContentsMargins(0, 0, 0, 0);
    btExtraire = new QPushButton(QStringLiteral("&Extraire"), pnBas);
    btExtraire->setObjectName(QStringLiteral("btExtraire"));
    auto *lExtraire = new QHBoxLayout;
    lExtraire->addStretch(1);
    lExtraire->addWidget(btExtraire);
    lExtraire->addStretch(1);
    lBas->addLayout(lExtraire);

    pcResultat = new QTabWidget(pnBas);
    pcResultat->setObjectName(QStringLiteral("pcResultat"));
    tsResFormate = new QWidget(pcResultat);
    tsResFormate->setObjectName(QStringLiteral("tsResFormate"));
    edResFormate = new QTextEdit(tsResFormate);
    edResFormate->setObjectName(QStringLiteral("edResFormate"));
    edResFormate->setReadOnly(true);
    edResFormate->setLineWrapMode(QTextEdit::NoWrap);
    (new QVBoxLayout(tsResFormate))->addWidget(edResFormate);
    tsResBrut = new QWidget(pcResultat);
    tsResBrut->setObjectName(QStringLiteral("tsResBrut"));
    edResBrut = new QPlainTextEdit(tsResBrut);
    edResBrut->setObjectName(QStringLiteral("edResBrut"));
    edResBrut->setReadOnly(true);
    edResBrut->setLineWrapMode(QPlainTextEdit::NoWrap);
    (new QVBoxLayout(tsResBrut))->addWidget(edResBrut);
    pcResultat->addTab(tsResFormate, QStringLiteral("Résultat formaté"));
    pcResultat->addTab(tsResBrut, QStringLiteral("Résultat brut"));
    lBas->addWidget(pcResultat, 1);
    spHaut->setStretchFactor(0, 1);
    spHaut->setStretchFactor(1, 1);

    auto *lBoutons = new QHBoxLayout;
    btCopierRes = new QPushButton(QStringLiteral("Copier vers le presse-papiers"), this);
    btCopierRes->setObjectName(QStringLiteral("btCopierRes"));
    btSauvegarderRes = new QPushButton(QStringLiteral("Sauvegarder..."), this);
    btSauvegarderRes->setObjectName(QStringLiteral("btSauvegarderRes"));
    btImprimerRes = new QPushButton(QStringLiteral("Imprimer..."), this);
    btImprimerRes->setObjectName(QStringLiteral("btImprimerRes"));
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), this);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    for (QPushButton *b : {btCopierRes, btSauvegarderRes, btImprimerRes}) {
        b->setEnabled(false);
        b->setAutoDefault(false);
        lBoutons->addWidget(b);
    }
    lBoutons->addStretch(1);
    lBoutons->addWidget(btQuitter);
    lPrincipal->addLayout(lBoutons);
    btExtraire->setAutoDefault(false);
    btQuitter->setAutoDefault(false);

    connect(lbChoixDonnees, &QListWidget::itemChanged, this, [this] { MajBoutons(); });
    connect(ChoixImages, &TChoixImages::cochesChange, this, [this] { MajBoutons(); });
    connect(ChoixImages, &TChoixImages::ligneChoisie, this, [this](int n) { MontreImage(n); });
    connect(btAjtGenerales, &QPushButton::clicked, this, [this] { CocheGroupe(TGroupeDon::Generales, true); });
    connect(btEnlGenerales, &QPushButton::clicked, this, [this] { CocheGroupe(TGroupeDon::Generales, false); });
    connect(btAjtEXIF, &QPushButton::clicked, this, [this] { CocheGroupe(TGroupeDon::EXIF, true); });
    connect(btEnlEXIF, &QPushButton::clicked, this, [this] { CocheGroupe(TGroupeDon::EXIF, false); });
    connect(btAjtIPTC, &QPushButton::clicked, this, [this] { CocheGroupe(TGroupeDon::IPTC, true); });
    connect(btEnlIPTC, &QPushButton::clicked, this, [this] { CocheGroupe(TGroupeDon::IPTC, false); });
    for (QToolButton *b : {btExtrTMDEXIF, btExtrTMDIPTC})
        connect(b, &QToolButton::toggled, this, [this] {
            MajPanneauChoix();
            MajBoutons();
        });
    connect(btExtraire, &QPushButton::clicked, this, &TfmExtraitDonGeneEtMD::btExtraireClick);
    connect(btCopierRes, &QPushButton::clicked, this, &TfmExtraitDonGeneEtMD::btCopierResClick);
    connect(btSauvegarderRes, &QPushButton::clicked, this, &TfmExtraitDonGeneEtMD::btSauvegarderResClick);
    connect(btImprimerRes, &QPushButton::clicked, this, &TfmExtraitDonGeneEtMD::btImprimerResClick);
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::accept);
}

quint32 TfmExtraitDonGeneEtMD::Choix() const
{
    quint32 n = 0;
    for (int i = 0; i < nNbChoixDon && i < lbChoixDonnees->count(); ++i)
        if (lbChoixDonnees->item(i)->checkState() == Qt::Checked)
            n |= 1u << i;
    return n;
}

void TfmExtraitDonGeneEtMD::MetChoix(quint32 nChoix)
{
    if (!m_Contexte.Parametres.lTrtDescription)
        nChoix &= ~(1u << nChoixDescription);
    const QSignalBlocker Bloque(lbChoixDonnees);
    for (int i = 0; i < nNbChoixDon && i < lbChoixDonnees->count(); ++i)
        lbChoixDonnees->item(i)->setCheckState(((nChoix >> i) & 1u) ? Qt::Checked : Qt::Unchecked);
    lbChoixDonnees->viewport()->update();
    MajBoutons();
}

bool TfmExtraitDonGeneEtMD::ToutesPresentes() const
{
    return btExtrTMDEXIF->isChecked() || btExtrTMDIPTC->isChecked();
}

QTextDocument &TfmExtraitDonGeneEtMD::DocFormate() const
{
    return *edResFormate->document();
}

bool TfmExtraitDonGeneEtMD::PageFormateVisible() const
{
    return pcResultat->currentWidget() == tsResFormate;
}

void TfmExtraitDonGeneEtMD::CocheGroupe(TGroupeDon nGroupe, bool lCoche)
{
    const quint32 nGroupeBits = MasqueDuGroupe(nGroupe);
    MetChoix(lCoche ? Choix() | nGroupeBits : Choix() & ~nGroupeBits);
}

void TfmExtraitDonGeneEtMD::MajPanneauChoix()
{
    const bool lTMD = ToutesPresentes();
    lbChoixDonnees->setEnabled(!lTMD);
    for (QPushButton *b : {btAjtGenerales, btEnlGenerales, btAjtEXIF, btEnlEXIF, btAjtIPTC, btEnlIPTC})
        b->setEnabled(!lTMD);
    QPalette Palette = pnChoixDonnees->palette();
    Palette.setColor(QPalette::Window, Couleurs::Couleur(lTMD ? nCouleurTitreActif : nCouleurTitreInactif, palette()));
    pnChoixDonnees->setPalette(Palette);
}

void TfmExtraitDonGeneEtMD::MajBoutons()
{
    if (!btExtraire)
        return;
    btExtraire->setEnabled(ChoixImages->Modele().nNbCoches() > 0 && (Choix() != 0 || ToutesPresentes()));
}

TSourcesExtraction TfmExtraitDonGeneEtMD::Sources() const
{
    TSourcesExtraction S;
    S.lTrtDescription = m_Contexte.Parametres.lTrtDescription;
    if (TClassement *C = m_pClassement) {
        S.fnMotsCles = [C](const TEnrLV &e) { return C->MotsClesImage(e); };
        S.fnLegende = [C](const TEnrLV &e) { return C->LegendeImage(e); };
        S.fnDescription = [C](const TEnrLV &e) { return C->DescriptionImage(e); };
    }
    return S;
}

void TfmExtraitDonGeneEtMD::btExtraireClick()
{
    if (!btExtraire->isEnabled())
        return;
    edResFormate->clear();
    edResBrut->clear();
    const QList<int> Lignes = ChoixImages->Modele().LignesCochees();
    QList<const TEnrLV *> Images;
    for (int nLigne : Lignes)
        Images.append(&m_Modele.Enr(nLigne));
    const TSourcesExtraction S = Sources();

    TRapportExtraction r;
    if (ToutesPresentes()) {
        TGaugeWindow Jauge(this, m_Contexte.Messages.get());
        Jauge._WindowWidth = 400;
        if (fnQuestionInterruption)
            Jauge.setQuestion(fnQuestionInterruption);
        Jauge.Demarre(QStringLiteral("Lecture des méta-données des images"), 0, 0,
                      std::max<int>(1, static_cast<int>(Images.size())));
        const QList<TEnrGlobaleToutesMD> Lues = LitToutesPresentes(Images, S, [&Jauge](int n) {
            Jauge.set_GaugeCurValue(n);
            return !Jauge.Interrompu();
        });
        Jauge.Arrete();
        r = ExtraitToutesPresentes(Images, Lues, btExtrTMDEXIF->isChecked(), btExtrTMDIPTC->isChecked());
    } else {
        r = ExtraitNormal(Images, Choix(), S);
    }

    RemplitDocument(*edResFormate->document(), r.Formate);
    edResBrut->setPlainText(r.Brut.join(QLatin1Char('\n')));
    m_nLignesFormate = QList<int>(m_Modele.Nombre(), -1);
    m_nLignesBrut = QList<int>(m_Modele.Nombre(), -1);
    for (int k = 0; k < Lignes.size(); ++k) {
        m_nLignesFormate[Lignes[k]] = r.nLigneFormate.value(k, -1);
        m_nLignesBrut[Lignes[k]] = r.nLigneBrut.value(k, -1);
    }
    edResFormate->moveCursor(QTextCursor::Start);
    edResBrut->moveCursor(QTextCursor::Start);
    m_lExtrait = true;
    btCopierRes->setEnabled(true);
    btSauvegarderRes->setEnabled(true);
    btImprimerRes->setEnabled(true);
}

void TfmExtraitDonGeneEtMD::MontreImage(int nLigne)
{
    if (!m_lExtrait || nLigne < 0)
        return;
    const int nFormate = m_nLignesFormate.value(nLigne, -1);
    if (nFormate >= 0)
        SelectionneLigne(edResFormate, nFormate);
    const int nBrut = m_nLignesBrut.value(nLigne, -1);
    if (nBrut >= 0)
        SelectionneLigne(edResBrut, nBrut);
}

QList<TParagrapheRTF> TfmExtraitDonGeneEtMD::ParagraphesPageVisible() const
{
    if (PageFormateVisible())
        return ParagraphesDeDocument(DocFormate());
    QList<TParagrapheRTF> Paragraphes;
    for (const QString &cLigne : edResBrut->toPlainText().split(QLatin1Char('\n'))) {
        TParagrapheRTF Par;
        Par.lstSegments.append(TSegmentRTF{cLigne, 8.0, false, false});
        Paragraphes.append(Par);
    }
    return Paragraphes;
}

void TfmExtraitDonGeneEtMD::btCopierResClick()
{
    auto *Donnees = new QMimeData;
    if (PageFormateVisible()) {
        const QByteArray baRTF = RTFDeDocument(DocFormate());
        Donnees->setHtml(DocFormate().toHtml());
        Donnees->setData(QStringLiteral("text/rtf"), baRTF);
        Donnees->setData(QStringLiteral("application/rtf"), baRTF);
        Donnees->setText(DocFormate().toPlainText());
    } else {
        Donnees->setText(edResBrut->toPlainText());
    }
    QApplication::clipboard()->setMimeData(Donnees);
}

void TfmExtraitDonGeneEtMD::btSauvegarderResClick()
{
    const bool lFormate = PageFormateVisible();
    const QString cFiltreInitial = lFormate ? cFiltreRTF : cFiltreTXT;
    const QString cPropose = m_Contexte.Dossiers.cDossierDonnees + windowTitle()
                             + (lFormate ? QStringLiteral(".rtf") : QStringLiteral(".txt"));
    const QString cFiltres = cFiltreRTF + QStringLiteral(";;") + cFiltreTXT;
    QString cFiltre = cFiltreInitial;
    QString cFichier;
    if (fnNomSauvegarde) {
        cFichier =
            fnNomSauvegarde(QStringLiteral("Sauvegarde du résultat"), cPropose, cFiltres, cFiltreInitial, &cFiltre);
    } else {
        QFileDialog Dialogue(this, QStringLiteral("Sauvegarde du résultat"), cPropose, cFiltres);
        Dialogue.setAcceptMode(QFileDialog::AcceptSave);
        Dialogue.setDefaultSuffix(QStringLiteral("rtf"));
        Dialogue.selectNameFilter(cFiltreInitial);
        Dialogue.selectFile(cPropose);
        if (Dialogue.exec() == QDialog::Accepted && !Dialogue.selectedFiles().isEmpty()) {
            cFichier = Dialogue.selectedFiles().constFirst();
            cFiltre = Dialogue.selectedNameFilter();
        }
    }
    if (cFichier.isEmpty())
        return;
    const bool lTexte = cFiltre == cFiltreTXT
                        || (cFiltre != cFiltreRTF && cFichier.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive));
    QByteArray Octets;
    if (lTexte)
        Octets = (lFormate ? DocFormate().toPlainText() : edResBrut->toPlainText()).toUtf8();
    else
        Octets = lFormate ? RTFDeDocument(DocFormate()) : RTFDeParagraphes(ParagraphesPageVisible());
    QString cErreur;
    const bool lEcrit =
        lTexte ? EcritFichierAtomique(cFichier, Octets, &cErreur) : EnregistreRTF(cFichier, Octets, &cErreur);
    if (!lEcrit && m_Contexte.Messages)
        m_Contexte.Messages->Erreur(this,
                                    QStringLiteral("Impossible d'enregistrer « %1 » : %2").arg(cFichier, cErreur));
}

void TfmExtraitDonGeneEtMD::btImprimerResClick()
{
    std::unique_ptr<QTextDocument> doc;
    if (PageFormateVisible()) {
        doc.reset(DocFormate().clone());
    } else {
        doc = std::make_unique<QTextDocument>();
        QFont Police(QStringLiteral("Arial"));
        Police.setPointSizeF(8);
        doc->setDefaultFont(Police);
        doc->setPlainText(edResBrut->toPlainText());
    }
    // The pages show long lines whole; on paper they wrap at the margin.
    QTextOption Option = doc->defaultTextOption();
    Option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc->setDefaultTextOption(Option);
    if (fnImprime)
        fnImprime(*doc);
    else
        ImprimeParDefaut(this, m_Contexte.Dossiers.cDossierDonnees, windowTitle(), *doc);
}

void TfmExtraitDonGeneEtMD::done(int nResultat)
{
    TEnrParametres &P = m_Contexte.Parametres;
    P.nMasqueChoixDon = MasqueAEnregistrer(Choix(), P.nMasqueChoixDon, P.lTrtDescription);
    if (m_Contexte.iniSetup)
        m_Contexte.iniSetup->WriteInteger(cSectionGeneral, QStringLiteral("nMasqueChoixDon"), P.nMasqueChoixDon);
    QDialog::done(nResultat);
}

TExtraitDonGeneEtMDKX::TExtraitDonGeneEtMDKX(TfmMainKX &Main, TContexte &Contexte, TClassement *pClassement)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_pClassement(pClassement)
{
    setObjectName(QStringLiteral("ExtraitDonGeneEtMD"));
    miOutilsDiversExtraitDonGeneEtMD = new QAction(QStringLiteral("&Extraire les %1...").arg(cDonGeneEtMD), this);
    miOutilsDiversExtraitDonGeneEtMD->setObjectName(QStringLiteral("miOutilsDiversExtraitDonGeneEtMD"));
    connect(miOutilsDiversExtraitDonGeneEtMD, &QAction::triggered, this, &TExtraitDonGeneEtMDKX::Ouvre);
    fnExecute = [](TfmExtraitDonGeneEtMD &Fenetre) { Fenetre.exec(); };
}

QList<QAction *> TExtraitDonGeneEtMDKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::OutilsDivers)
        return {};
    miOutilsDiversExtraitDonGeneEtMD->setEnabled(m_Main.Modele().Nombre() > 0);
    return {miOutilsDiversExtraitDonGeneEtMD};
}

void TExtraitDonGeneEtMDKX::Ouvre()
{
    if (m_Main.Modele().Nombre() == 0)
        return;
    TfmExtraitDonGeneEtMD Fenetre(m_Contexte, m_Main.Modele(), m_Main.Grille(), m_pClassement, &m_Main);
    fnExecute(Fenetre);
}

TExtraitDonGeneEtMDKX *InstalleExtraitDonGeneEtMD(TfmMainKX &Main, TContexte &Contexte, TClassement *pClassement)
{
    auto *Extrait = new TExtraitDonGeneEtMDKX(Main, Contexte, pClassement);
    Main.Installe(Extrait);
    return Extrait;
}
