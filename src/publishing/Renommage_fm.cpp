#include "publishing/Renommage_fm.h"

#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "exploration/Selection.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/OperationsFichiers.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
// The progress window behind a TSuivi: shown from the first report, gone at the end so that
// the messages that follow are not under it.
class TJauge
{
public:
    TJauge(QWidget *Fenetre, IMessages &Messages, const QString &cTitre) : m_Jauge(Fenetre, &Messages), m_cTitre(cTitre)
    {}
    ~TJauge() { Arrete(); }
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
            Demarre();
            m_Jauge.set_GaugeCurValue(nMaximum > 0 ? int(std::clamp<qint64>(nPosition * 1000 / nMaximum, 0, 1000)) : 0);
        };
        s.Interrompu = [this] {
            Demarre();
            return m_Jauge.Interrompu();
        };
        return s;
    }

    // Shown before the first item, so that an Esc pressed during it is heard.
    void Demarre()
    {
        if (!m_lDemarree)
            m_Jauge.Demarre(m_cTitre, 0, 0, 1000);
        m_lDemarree = true;
    }

private:
    TGaugeWindow m_Jauge;
    QString m_cTitre;
    bool m_lDemarree = false;
};

QString Extension(const QString &cChemin)
{
    const QString cNom = cChemin.mid(cChemin.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype n = cNom.lastIndexOf(QLatin1Char('.'));
    return n > 0 ? cNom.mid(n) : QString();
}

QString NomSansExtension(const QString &cChemin)
{
    const QString cNom = cChemin.mid(cChemin.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype n = cNom.lastIndexOf(QLatin1Char('.'));
    return n > 0 ? cNom.left(n) : cNom;
}
} // namespace

// ---- TSpinBox64

TSpinBox64::TSpinBox64(QWidget *Parent) : QAbstractSpinBox(Parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString &c) {
        bool lOk = false;
        const qint64 n = c.toLongLong(&lOk);
        if (lOk)
            m_nValeur = n;
    });
    // An empty text left behind gets the value back.
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (Vide())
            lineEdit()->setText(QString::number(m_nValeur));
    });
}

void TSpinBox64::MetValeur(qint64 n)
{
    m_nValeur = n;
    lineEdit()->setText(QString::number(n));
}

bool TSpinBox64::Vide() const
{
    return lineEdit()->text().trimmed().isEmpty();
}

void TSpinBox64::stepBy(int nPas)
{
    const qint64 n = m_nValeur;
    if ((nPas > 0 && n > std::numeric_limits<qint64>::max() - nPas)
        || (nPas < 0 && n < std::numeric_limits<qint64>::min() - nPas))
        return;
    MetValeur(n + nPas);
}

QValidator::State TSpinBox64::validate(QString &cTexte, int &) const
{
    static const QRegularExpression Forme(QStringLiteral("^-?[0-9]*$"));
    if (!Forme.match(cTexte).hasMatch())
        return QValidator::Invalid;
    if (cTexte.isEmpty() || cTexte == QStringLiteral("-"))
        return QValidator::Intermediate;
    bool lOk = false;
    cTexte.toLongLong(&lOk);
    return lOk ? QValidator::Acceptable : QValidator::Invalid;
}

void TSpinBox64::fixup(QString &cTexte) const
{
    cTexte = QString::number(m_nValeur);
}

// ---- TfmRenommeImg

TfmRenommeImg::TfmRenommeImg(const QList<TEnrLst> &Entrees, const TParamsRenommage &Params, IMessages &Messages,
                             QWidget *Parent)
    : QDialog(Parent), m_Entrees(Entrees), m_Params(Params), m_Messages(Messages)
{
    setObjectName(QStringLiteral("fmRenommeImg"));
    setWindowTitle(QStringLiteral("Renommer les %1 images").arg(Entrees.size()));
    const bool lPlusieurs = Entrees.size() >= 2;

    rbSuffixeNumerique = new QRadioButton(QStringLiteral("Suffixe numérique"), this);
    rbSuffixeNumerique->setObjectName(QStringLiteral("rbSuffixeNumerique"));
    stNbChiffres = new QLabel(QStringLiteral("Nombre de chiffres"), this);
    edNbChiffres = new QSpinBox(this);
    edNbChiffres->setObjectName(QStringLiteral("edNbChiffres"));
    edNbChiffres->setRange(1, 10);
    edNbChiffres->setValue(2);
    edNbChiffres->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    stNbChiffres->setBuddy(edNbChiffres);
    stOffset = new QLabel(QStringLiteral("Offset"), this);
    edOffset = new TSpinBox64(this);
    edOffset->setObjectName(QStringLiteral("edOffset"));
    stOffset->setBuddy(edOffset);
    stPrefixe = new QLabel(QStringLiteral("Préfixe"), this);
    edPrefixe = new QLineEdit(this);
    edPrefixe->setObjectName(QStringLiteral("edPrefixe"));
    stPrefixe->setBuddy(edPrefixe);

    rbNomSeul = new QRadioButton(QStringLiteral("Nom seul"), this);
    rbNomSeul->setObjectName(QStringLiteral("rbNomSeul"));
    edNomSeul = new QLineEdit(this);
    edNomSeul->setObjectName(QStringLiteral("edNomSeul"));
    stExtension = new QLabel(this);
    stExtension->setObjectName(QStringLiteral("stExtension"));
    if (Entrees.size() == 1) {
        edNomSeul->setText(NomSansExtension(Entrees[0].cAncien));
        stExtension->setText(Extension(Entrees[0].cAncien));
    }

    btTester = new QPushButton(QStringLiteral("&Tester"), this);
    btTester->setObjectName(QStringLiteral("btTester"));
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));

    rbSuffixeNumerique->setEnabled(lPlusieurs);
    rbSuffixeNumerique->setChecked(lPlusieurs);
    rbNomSeul->setEnabled(Entrees.size() == 1);
    rbNomSeul->setChecked(Entrees.size() == 1);

    auto *Grille = new QGridLayout;
    Grille->addWidget(rbSuffixeNumerique, 0, 0, 1, 3);
    Grille->addWidget(stNbChiffres, 1, 1);
    Grille->addWidget(edNbChiffres, 1, 2);
    Grille->addWidget(stOffset, 2, 1);
    Grille->addWidget(edOffset, 2, 2);
    Grille->addWidget(stPrefixe, 3, 1);
    Grille->addWidget(edPrefixe, 3, 2);
    Grille->addWidget(rbNomSeul, 4, 0, 1, 3);
    auto *LigneNom = new QHBoxLayout;
    LigneNom->addWidget(edNomSeul, 1);
    LigneNom->addWidget(stExtension);
    Grille->addLayout(LigneNom, 5, 1, 1, 2);
    Grille->setColumnMinimumWidth(0, 16);
    Grille->setColumnStretch(2, 1);
    auto *Boutons = new QHBoxLayout;
    Boutons->addWidget(btTester);
    Boutons->addStretch(1);
    Boutons->addWidget(btOK);
    Boutons->addWidget(btAnnuler);
    auto *Tout = new QVBoxLayout(this);
    Tout->addLayout(Grille);
    Tout->addStretch(1);
    Tout->addLayout(Boutons);
    setMinimumWidth(360);

    connect(rbSuffixeNumerique, &QRadioButton::toggled, this, &TfmRenommeImg::MajControles);
    connect(rbNomSeul, &QRadioButton::toggled, this, &TfmRenommeImg::MajControles);
    connect(edNbChiffres->findChild<QLineEdit *>(), &QLineEdit::textChanged, this, &TfmRenommeImg::MajControles);
    connect(edOffset->findChild<QLineEdit *>(), &QLineEdit::textChanged, this, &TfmRenommeImg::MajControles);
    connect(edNomSeul, &QLineEdit::textChanged, this, &TfmRenommeImg::MajControles);
    connect(btTester, &QPushButton::clicked, this, &TfmRenommeImg::btTesterClick);
    connect(btOK, &QPushButton::clicked, this, &TfmRenommeImg::btOKClick);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    MajControles();
}

void TfmRenommeImg::MajControles()
{
    const bool lNumerique = rbSuffixeNumerique->isChecked();
    for (QWidget *w :
         {static_cast<QWidget *>(stNbChiffres), static_cast<QWidget *>(edNbChiffres), static_cast<QWidget *>(stOffset),
          static_cast<QWidget *>(edOffset), static_cast<QWidget *>(stPrefixe), static_cast<QWidget *>(edPrefixe)})
        w->setEnabled(lNumerique);
    edNomSeul->setEnabled(rbNomSeul->isChecked());
    stExtension->setVisible(rbNomSeul->isChecked());

    bool lPret = false;
    if (lNumerique) {
        bool lOkOffset = false;
        const qint64 nOffset = edOffset->text().toLongLong(&lOkOffset);
        lPret = !edNbChiffres->cleanText().isEmpty() && edNbChiffres->value() > 0 && lOkOffset && nOffset >= 0;
    } else if (rbNomSeul->isChecked())
        lPret = !edNomSeul->text().trimmed().isEmpty();
    btTester->setEnabled(lPret);
    btOK->setEnabled(lPret);
}

TReglageRenommage TfmRenommeImg::Reglage() const
{
    TReglageRenommage R;
    R.nMode = rbNomSeul->isChecked() ? TModeRenommage::NomSeul : TModeRenommage::SuffixeNumerique;
    R.nNbChiffres = edNbChiffres->value();
    R.nOffset = edOffset->text().toLongLong();
    R.cPrefixe = edPrefixe->text();
    R.cNomSeul = edNomSeul->text();
    return R;
}

void TfmRenommeImg::btTesterClick()
{
    if (RenommageValide(m_Entrees, Reglage(), m_Params))
        m_Messages.Information(this, cTexteRenommagePossible);
    else
        m_Messages.Erreur(this, cTexteRenommageImpossible);
}

void TfmRenommeImg::btOKClick()
{
    if (!RenommageValide(m_Entrees, Reglage(), m_Params)) {
        m_Messages.Erreur(this, cTexteRenommageImpossible);
        return;
    }
    accept();
}

// ---- TfmDateImg

TfmDateImg::TfmDateImg(int nImages, QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmDateImg"));
    setWindowTitle(QStringLiteral("Dater les %1 image(s)").arg(nImages));

    rbChoisirDate = new QRadioButton(QStringLiteral("&Choisir la date"), this);
    rbChoisirDate->setObjectName(QStringLiteral("rbChoisirDate"));
    rbChoisirDate->setChecked(true);
    stDate = new QLabel(QStringLiteral("&Date"), this);
    stDate->setObjectName(QStringLiteral("stDate"));
    dtpDate = new QDateEdit(QDate::currentDate(), this);
    dtpDate->setObjectName(QStringLiteral("dtpDate"));
    dtpDate->setCalendarPopup(true);
    dtpDate->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    stDate->setBuddy(dtpDate);
    stHeure = new QLabel(QStringLiteral("&Heure"), this);
    stHeure->setObjectName(QStringLiteral("stHeure"));
    const QTime Maintenant = QTime::currentTime();
    dtpHeure = new QTimeEdit(QTime(Maintenant.hour(), Maintenant.minute()), this);
    dtpHeure->setObjectName(QStringLiteral("dtpHeure"));
    dtpHeure->setDisplayFormat(QStringLiteral("HH:mm"));
    stHeure->setBuddy(dtpHeure);
    rbDatePDVEXIF =
        new QRadioButton(QStringLiteral("Affecter la date de prise de vue contenue dans les données &EXIF"), this);
    rbDatePDVEXIF->setObjectName(QStringLiteral("rbDatePDVEXIF"));
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));

    auto *Grille = new QGridLayout;
    Grille->addWidget(rbChoisirDate, 0, 0, 1, 3);
    Grille->addWidget(stDate, 1, 1);
    Grille->addWidget(dtpDate, 1, 2);
    Grille->addWidget(stHeure, 2, 1);
    Grille->addWidget(dtpHeure, 2, 2);
    Grille->addWidget(rbDatePDVEXIF, 3, 0, 1, 3);
    Grille->setColumnMinimumWidth(0, 16);
    Grille->setColumnStretch(2, 1);
    auto *Boutons = new QHBoxLayout;
    Boutons->addStretch(1);
    Boutons->addWidget(btOK);
    Boutons->addWidget(btAnnuler);
    auto *Tout = new QVBoxLayout(this);
    Tout->addLayout(Grille);
    Tout->addStretch(1);
    Tout->addLayout(Boutons);

    // The file date is set to the minute chosen: seconds stay at 0 whatever the editing did.
    connect(dtpHeure, &QTimeEdit::timeChanged, this, [this](QTime t) {
        if (t.second() != 0 || t.msec() != 0)
            dtpHeure->setTime(QTime(t.hour(), t.minute()));
    });
    connect(rbChoisirDate, &QRadioButton::toggled, this, &TfmDateImg::MajControles);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    MajControles();
}

void TfmDateImg::MajControles()
{
    const bool l = rbChoisirDate->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(stDate), static_cast<QWidget *>(dtpDate), static_cast<QWidget *>(stHeure),
                       static_cast<QWidget *>(dtpHeure)})
        w->setEnabled(l);
}

bool TfmDateImg::EXIF() const
{
    return rbDatePDVEXIF->isChecked();
}

QDateTime TfmDateImg::DateChoisie() const
{
    const QTime t = dtpHeure->time();
    return QDateTime(dtpDate->date(), QTime(t.hour(), t.minute()), Qt::LocalTime);
}

// ---- the commands

TRenommageImagesKX::TRenommageImagesKX(TContexte &Contexte, TSelectionKX &Selection, QWidget *Fenetre)
    : QObject(Fenetre), m_Contexte(Contexte), m_Selection(Selection), m_Fenetre(Fenetre)
{
    setObjectName(QStringLiteral("RenommageImages"));
    fnExecute = [](QDialog &Dialogue) { return Dialogue.exec(); };

    miMainFicRenommer = new QAction(QStringLiteral("&Renommer..."), this);
    miMainFicRenommer->setObjectName(QStringLiteral("miMainFicRenommer"));
    connect(miMainFicRenommer, &QAction::triggered, this, &TRenommageImagesKX::RenommerImages);
    miMainFicDater = new QAction(QStringLiteral("chan&ger la Date..."), this);
    miMainFicDater->setObjectName(QStringLiteral("miMainFicDater"));
    connect(miMainFicDater, &QAction::triggered, this, &TRenommageImagesKX::DaterImages);

    TModeleListeImages &Modele = m_Selection.Modele();
    connect(&m_Selection, &TSelectionKX::ModeChange, this, &TRenommageImagesKX::MajBoutons);
    connect(&m_Selection, &TSelectionKX::CochesChange, this, &TRenommageImagesKX::MajBoutons);
    connect(&m_Selection, &TSelectionKX::ListeConstruite, this, &TRenommageImagesKX::MajBoutons);
    connect(&Modele, &QAbstractItemModel::modelReset, this, &TRenommageImagesKX::MajBoutons);
    connect(&Modele, &QAbstractItemModel::rowsRemoved, this, &TRenommageImagesKX::MajBoutons);
    MajBoutons();
}

TRenommageImagesKX::~TRenommageImagesKX() = default;

QList<QAction *> TRenommageImagesKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::MenuFichiers)
        return {};
    MajBoutons();
    return {miMainFicRenommer, miMainFicDater};
}

void TRenommageImagesKX::CreeBoutons(QWidget *Barre)
{
    auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr);
    if (!Disposition)
        return;
    btRenommeImg = AjouteBoutonBarre(Barre, "btRenommeImg", QStringLiteral("Renommer"),
                                     QStringLiteral("Renommer les images sélectionnées"), miMainFicRenommer);
    btDateImg = AjouteBoutonBarre(Barre, "btDateImg", QStringLiteral("Dater"),
                                  QStringLiteral("Changer la date des images sélectionnées"), miMainFicDater);
    MajBoutons();
}

void TRenommageImagesKX::MajBoutons()
{
    const bool lCoches = m_Selection.Modele().nNbCoches() > 0;
    const bool lRenommer = lCoches && m_Selection.ModeMAJ();
    if (btRenommeImg)
        btRenommeImg->setEnabled(lRenommer);
    if (btDateImg)
        btDateImg->setEnabled(lCoches);
    miMainFicRenommer->setEnabled(lRenommer);
    miMainFicDater->setEnabled(lCoches);
}

IOperationsFichiers &TRenommageImagesKX::Operations()
{
    return m_Operations.Operations(*m_Contexte.Volumes);
}

TParamsRenommage TRenommageImagesKX::Params() const
{
    const TEnrParametres &P = m_Contexte.Parametres;
    TParamsRenommage p;
    p.cDossierVignettes = m_Contexte.Dossiers.cDossierVignettes;
    p.cDossierDonnees = m_Contexte.Dossiers.cDossierDonnees;
    p.lTrtDescription = P.lTrtDescription;
    p.lTrtTHMDsOpFic = P.lTrtTHMDsOpFic;
    p.lTrtWAVDsOpFic = P.lTrtWAVDsOpFic;
    p.lModeMAJ = m_Selection.ModeMAJ();
    return p;
}

QList<TEnrLst> TRenommageImagesKX::Entrees() const
{
    const TModeleListeImages &Modele = m_Selection.Modele();
    QList<int> Lignes = Modele.LignesCochees();
    std::sort(Lignes.begin(), Lignes.end());
    QList<TEnrLst> E;
    for (const int n : std::as_const(Lignes))
        if (Modele.Enr(n).nNumCD == 0)
            E.append({n, Modele.Enr(n).CheminComplet(), {}});
    return E;
}

void TRenommageImagesKX::ApresLot()
{
    // The current image's pane shows its new name or date in its hint.
    if (const TEnrLV *Enr = m_Selection.EnrCourant();
        Enr && Enr->nNumCD == 0 && m_Selection.Modele().Coche(m_Selection.LigneCourante()))
        m_Selection.SignaleImage(Enr->Cle());
    MajBoutons();
}

void TRenommageImagesKX::RenommerImages()
{
    if (!m_Selection.ModeMAJ() || TGaugeWindow::TacheEnCours())
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    QList<TEnrLst> E = Entrees();
    if (E.isEmpty()) {
        Messages.Attention(m_Fenetre, QStringLiteral("Aucune image à traiter."));
        return;
    }
    const TParamsRenommage P = Params();
    TReglageRenommage R;
    {
        TfmRenommeImg fm(E, P, Messages, m_Fenetre);
        if (fnExecute(fm) != QDialog::Accepted)
            return;
        R = fm.Reglage();
    }

    TBilanRenommage Bilan;
    {
        TJauge Jauge(m_Fenetre, Messages, cTitreRenommageImages);
        TRenommageImages Renommage(*m_Contexte.iniSetup, *m_Contexte.iniBDD, Operations(), P);
        Renommage.pDescriptions = m_Contexte.Descriptions.get();
        Renommage.pAlbum = pAlbum;
        Renommage.Suivi = Jauge.Suivi();
        Jauge.Demarre();
        Bilan = Renommage.Renomme(E, R);
    }
    AppliqueRenommage(m_Selection.Modele(), E);
    if (!Bilan.cErreurPreparation.isEmpty())
        Messages.Erreur(m_Fenetre, Bilan.cErreurPreparation);
    else if (Bilan.lInvalide)
        Messages.Erreur(m_Fenetre, cTexteRenommageImpossible);
    for (const QString &c : std::as_const(Bilan.cErreursEnregistrement))
        Messages.Erreur(m_Fenetre, c);
    ApresLot();
    if (const QString c = Bilan.MessageFinal(); !c.isEmpty())
        Messages.Attention(m_Fenetre, c);
}

void TRenommageImagesKX::DaterImages()
{
    if (TGaugeWindow::TacheEnCours())
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    TModeleListeImages &Modele = m_Selection.Modele();
    const QList<int> Lignes = Modele.LignesCochees();
    int n = 0;
    for (const int nLigne : Lignes)
        if (Modele.Enr(nLigne).nNumCD == 0)
            ++n;
    if (n == 0) {
        Messages.Attention(m_Fenetre, QStringLiteral("Aucune image à traiter."));
        return;
    }
    bool lEXIF = false;
    QDateTime D;
    {
        TfmDateImg fm(n, m_Fenetre);
        if (fnExecute(fm) != QDialog::Accepted)
            return;
        lEXIF = fm.EXIF();
        D = fm.DateChoisie();
    }
    TBilanDatation Bilan;
    {
        TJauge Jauge(m_Fenetre, Messages, cTitreDatationImages);
        TParamsDatation P;
        P.lTrtTHMDsOpFic = m_Contexte.Parametres.lTrtTHMDsOpFic;
        P.lTrtWAVDsOpFic = m_Contexte.Parametres.lTrtWAVDsOpFic;
        TDatationImages Datation(P);
        Datation.pAlbum = pAlbum;
        Datation.Suivi = Jauge.Suivi();
        Jauge.Demarre();
        Bilan = Datation.Date(Modele, Lignes, lEXIF, D);
    }
    ApresLot();
    if (const QString c = Bilan.MessageFinal(); !c.isEmpty())
        Messages.Attention(m_Fenetre, c);
}

TRenommageImagesKX *InstalleRenommageImages(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Renommage = new TRenommageImagesKX(Contexte, Main.Selection(), &Main);
    Renommage->CreeBoutons(Main.BarreListe());
    Main.Installe(Renommage);
    return Renommage;
}

TBilanReprise RepriseRenommage(TContexte &Contexte)
{
    if (!Contexte.iniSetup || !Contexte.iniBDD || !Contexte.Volumes)
        return {};
    const TEnrParametres &P = Contexte.Parametres;
    TParamsRenommage p;
    p.cDossierVignettes = Contexte.Dossiers.cDossierVignettes;
    p.cDossierDonnees = Contexte.Dossiers.cDossierDonnees;
    p.lTrtDescription = P.lTrtDescription;
    p.lTrtTHMDsOpFic = P.lTrtTHMDsOpFic;
    p.lTrtWAVDsOpFic = P.lTrtWAVDsOpFic;
    TOperationsFichiers Operations(*Contexte.Volumes);
    TRenommageImages Renommage(*Contexte.iniSetup, *Contexte.iniBDD, Operations, p);
    Renommage.pDescriptions = Contexte.Descriptions.get();
    return Renommage.Reprend();
}
