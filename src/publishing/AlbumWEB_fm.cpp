#include "publishing/AlbumWEB_fm.h"
#include "mainwindow/ContextesAide.h"

#include "calendar/VignetteFlottante_fm.h"
#include "classification/ArboCriteres.h"
#include "components/FolderTreeView.h"
#include "components/GaugeWindow.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/OperationsFichiers.h"
#include "publishing/ApercuAlbumWEB_fm.h"
#include "publishing/HistoriqueAlbumsWeb_fm.h"
#include "storage/Contexte.h"
#include "storage/TaillesVignettes.h"
#include "treatments/TraitementsImage.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <memory>

namespace
{
QString AvecBarre(QString c)
{
    if (!c.isEmpty() && !c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}

const char *const cProprieteCouleur = "nCouleur";
constexpr int nMaxBoites = 65535;

QColor CouleurQt(quint32 n)
{
    return QColor(int(n & 0xFF), int((n >> 8) & 0xFF), int((n >> 16) & 0xFF));
}

quint32 CouleurValeur(const QColor &c)
{
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

template <class T>
T *Nomme(T *w, const char *cNom)
{
    w->setObjectName(QLatin1String(cNom));
    return w;
}
} // namespace

TParamsAlbumWEB ParamsAlbumWEB(TContexte &C)
{
    const TEnrParametres &Pa = C.Parametres;
    TParamsAlbumWEB P;
    P.iniSetup = C.iniSetup.get();
    P.iniBDD = C.iniBDD.get();
    P.pVolumes = C.Volumes.get();
    P.pDescriptions = C.Descriptions.get();
    P.Focale = {C.iniCFAPN.get(), Pa.lCoeffFocDansTable};
    P.cDossierVignettes = C.Dossiers.cDossierVignettes;
    P.nTailleVignette = TailleVignette(Pa.nIndTailleVigs);
    P.lLireVigDsTHM = Pa.lLireVigDsTHM;
    P.lOrientationAuto = Pa.lOrientationAuto;
    P.lEtendRechCritEnf = Pa.lEtendRechCritEnf;
    P.lTrtDescription = Pa.lTrtDescription;
    P.lHintAffEXIF = Pa.lHintAffEXIF;
    P.lHintAffIPTC = Pa.lHintAffIPTC;
    if (const TBigIniFile *pIni = C.iniSetup.get()) {
        P.AppliqueTrts = [pIni, &Pa](QImage &Image, const QString &cCle, const QString &cOrientation) {
            AppliqueTrtsImage(Image, *pIni, Pa, cCle, cOrientation);
        };
        P.ATrts = [pIni, &Pa](const QString &cCle, const QString &cOrientation) {
            return ATrtsImage(*pIni, Pa, cCle, cOrientation);
        };
    }
    return P;
}

TfmAlbumWEB::TfmAlbumWEB(TContexte &Contexte, const TParamsAlbumWEB &Params, const TInterfaceAlbumWEB &Interface,
                         QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_Params(Params), m_Interface(Interface),
      m_ComptesPerso([this](const QString &cNom) {
          TSourceDonneesAW S;
          S.nSource = saHierPerso;
          S.cArgument = cNom;
          return CompterImagesAlbumWEB(S, m_Params);
      })
{
    setObjectName(QStringLiteral("fmAlbumWEB"));
    FixeContexteAide(this, ContextesAide::nAlbumWEB);
    setWindowTitle(QStringLiteral("Création d'un album WEB. Clic-Clic, l'album est dans l'sac"));
    fnDemandeNomDossier = [this]() -> std::optional<QString> {
        bool lOk = false;
        const QString c = QInputDialog::getText(this, QStringLiteral("Saisie"),
                                                QStringLiteral("Nom du dossier à créer"), QLineEdit::Normal, {}, &lOk);
        return lOk ? std::optional<QString>(c) : std::nullopt;
    };
    fnChoisitCouleur = [this](quint32 n) -> std::optional<quint32> {
        const QColor c = QColorDialog::getColor(CouleurQt(n), this);
        return c.isValid() ? std::optional<quint32>(CouleurValeur(c)) : std::nullopt;
    };
    if (!m_Interface.pOperations)
        m_Operations = std::make_unique<TOperationsFichiers>(*m_Contexte.Volumes);
    CreeControles();
}

TfmAlbumWEB::~TfmAlbumWEB() = default;

void TfmAlbumWEB::CreeControles()
{
    auto *Colonnes = new QHBoxLayout(this);
    auto *Gauche = new QVBoxLayout;
    auto *Droite = new QVBoxLayout;
    Colonnes->addLayout(Gauche, 1);
    Colonnes->addLayout(Droite, 1);

    // Name and place.
    stNomAlbum = Nomme(new QLabel(QStringLiteral("&Nom de l'album"), this), "stNomAlbum");
    edNomAlbum = Nomme(new QLineEdit(this), "edNomAlbum");
    cbNomAlbum = Nomme(new QComboBox(this), "cbNomAlbum");
    cbNomAlbum->hide();
    stNomAlbum->setBuddy(edNomAlbum);
    Gauche->addWidget(stNomAlbum);
    Gauche->addWidget(edNomAlbum);
    Gauche->addWidget(cbNomAlbum);
    stDosParentAlbum = Nomme(new QLabel(QStringLiteral("&Dossier parent de l'album"), this), "stDosParentAlbum");
    tvDosParentAlbum = Nomme(new TFolderTreeView(m_Contexte.Volumes.get(), this), "tvDosParentAlbum");
    SuivreArbreDossiers(tvDosParentAlbum, m_Contexte);
    tvDosParentAlbum->setMinimumHeight(220);
    stDosParentAlbum->setBuddy(tvDosParentAlbum);
    btCreerDossier = Nomme(new QPushButton(QStringLiteral("Créer un dossier..."), this), "btCreerDossier");
    Gauche->addWidget(stDosParentAlbum);
    Gauche->addWidget(tvDosParentAlbum, 1);
    Gauche->addWidget(btCreerDossier, 0, Qt::AlignLeft);

    // Count and grid.
    auto *Grille = new QHBoxLayout;
    stNbreVigImg = Nomme(new QLabel(this), "stNbreVigImg");
    edNbLig = Nomme(new QSpinBox(this), "edNbLig");
    edNbCol = Nomme(new QSpinBox(this), "edNbCol");
    for (QSpinBox *b : {edNbLig, edNbCol}) {
        b->setRange(1, nMaxBoites);
        b->setValue(5);
    }
    stNbLig = Nomme(new QLabel(QStringLiteral("&Ligne(s),"), this), "stNbLig");
    stNbCol = Nomme(new QLabel(QStringLiteral("&Colonne(s)"), this), "stNbCol");
    stNbLig->setBuddy(edNbLig);
    stNbCol->setBuddy(edNbCol);
    Grille->addWidget(stNbreVigImg);
    Grille->addWidget(edNbLig);
    Grille->addWidget(stNbLig);
    Grille->addWidget(edNbCol);
    Grille->addWidget(stNbCol);
    Grille->addStretch(1);
    Gauche->addLayout(Grille);

    // Content kind.
    rgContAlbum = Nomme(new QGroupBox(QStringLiteral("contenu de l'&album"), this), "rgContAlbum");
    bgContAlbum = new QButtonGroup(this);
    auto *lyCont = new QGridLayout(rgContAlbum);
    const QStringList Contenus = {QStringLiteral("Vignettes seules"), QStringLiteral("Images seules"),
                                  QStringLiteral("Vignettes et liens vers Images"), QStringLiteral("Frames")};
    for (int i = 0; i < Contenus.size(); ++i) {
        auto *r = new QRadioButton(Contenus[i], rgContAlbum);
        r->setObjectName(QStringLiteral("rbContAlbum%1").arg(i));
        bgContAlbum->addButton(r, i);
        lyCont->addWidget(r, i, 0);
    }
    cbDispoVig = Nomme(new QComboBox(rgContAlbum), "cbDispoVig");
    cbDispoVig->addItems({QStringLiteral("Vignettes en haut"), QStringLiteral("Vignettes à gauche")});
    lyCont->addWidget(cbDispoVig, 3, 1);
    Gauche->addWidget(rgContAlbum);

    // Reduction.
    gbRedImg = Nomme(new QGroupBox(QStringLiteral("Réduire les Images"), this), "gbRedImg");
    auto *lyRed = new QHBoxLayout(gbRedImg);
    stRedImgTailleMax = Nomme(new QLabel(QStringLiteral("Taille max. (en pixels)"), gbRedImg), "stRedImgTailleMax");
    cbRedImgTailleMax = Nomme(new QComboBox(gbRedImg), "cbRedImgTailleMax");
    cbRedImgTailleMax->setEditable(true);
    cbRedImgTailleMax->setInsertPolicy(QComboBox::NoInsert);
    cbRedImgTailleMax->addItems({QStringLiteral("<pas de réduction>"), QStringLiteral("600"), QStringLiteral("800"),
                                 QStringLiteral("1000"), QStringLiteral("1200")});
    stRedImgTailleMax->setBuddy(cbRedImgTailleMax);
    lyRed->addWidget(stRedImgTailleMax);
    lyRed->addWidget(cbRedImgTailleMax, 1);
    Droite->addWidget(gbRedImg);

    // Data under the pictures, font and frame.
    gbAffDonnees = Nomme(new QGroupBox(QStringLiteral("Afficher les données..."), this), "gbAffDonnees");
    auto *lyDon = new QGridLayout(gbAffDonnees);
    cbAffNom = Nomme(new QCheckBox(QStringLiteral("le nom"), gbAffDonnees), "cbAffNom");
    cbAffResol = Nomme(new QCheckBox(QStringLiteral("la résolution"), gbAffDonnees), "cbAffResol");
    cbAffTaille = Nomme(new QCheckBox(QStringLiteral("la taille"), gbAffDonnees), "cbAffTaille");
    cbAffDate = Nomme(new QCheckBox(QStringLiteral("la date"), gbAffDonnees), "cbAffDate");
    cbAffLegende = Nomme(new QCheckBox(QStringLiteral("la légende :"), gbAffDonnees), "cbAffLegende");
    cbTypeLegende = Nomme(new QComboBox(gbAffDonnees), "cbTypeLegende");
    cbTypeLegende->addItems({QStringLiteral("de la base de données"), QStringLiteral("le commentaire EXIF"),
                             QStringLiteral("la légende IPTC")});
    lyDon->addWidget(cbAffNom, 0, 0);
    lyDon->addWidget(cbAffResol, 0, 1);
    lyDon->addWidget(cbAffTaille, 1, 0);
    lyDon->addWidget(cbAffDate, 1, 1);
    lyDon->addWidget(cbAffLegende, 2, 0);
    lyDon->addWidget(cbTypeLegende, 2, 1);
    stAffPolice = Nomme(new QLabel(QStringLiteral("&Police"), gbAffDonnees), "stAffPolice");
    cbAffPolice = Nomme(new QComboBox(gbAffDonnees), "cbAffPolice");
    stAffPolice->setBuddy(cbAffPolice);
    lyDon->addWidget(stAffPolice, 3, 0);
    lyDon->addWidget(cbAffPolice, 3, 1);
    Droite->addWidget(gbAffDonnees);
    btAffCadre = Nomme(new QPushButton(QStringLiteral("Afficher le cadre"), this), "btAffCadre");
    btAffCadre->setCheckable(true);
    Droite->addWidget(btAffCadre, 0, Qt::AlignLeft);

    // Colours.
    gbCouleurs = Nomme(new QGroupBox(QStringLiteral("Couleurs"), this), "gbCouleurs");
    auto *lyCoul = new QVBoxLayout(gbCouleurs);
    const auto Couleur = [&](const char *cNom, const QString &cTexte) {
        auto *b = Nomme(new QPushButton(cTexte, gbCouleurs), cNom);
        b->setIconSize(QSize(16, 16));
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 2px 6px;"));
        lyCoul->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, b] { btCoulClick(b); });
        return b;
    };
    btCoulFondFenetre = Couleur("btCoulFondFenetre", QStringLiteral("Fond de la fenêtre"));
    btCoulPolice = Couleur("btCoulPolice", QStringLiteral("Police"));
    btCoulCadre = Couleur("btCoulCadre", QStringLiteral("Cadre"));
    btCoulFondVigImg = Couleur("btCoulFondVigImg", QStringLiteral("Couleur du fond des vignettes, images"));
    btCoulFondDonnees = Couleur("btCoulFondDonnees", QStringLiteral("Couleur du fond des données"));
    Droite->addWidget(gbCouleurs);

    // Titles and keywords.
    const auto Edit = [&](QLabel *&l, QLineEdit *&e, const char *cNomL, const char *cNomE, const QString &cTexte) {
        l = Nomme(new QLabel(cTexte, this), cNomL);
        e = Nomme(new QLineEdit(this), cNomE);
        l->setBuddy(e);
        Droite->addWidget(l);
        Droite->addWidget(e);
    };
    Edit(stNomFenCipale, edNomFenCipale, "stNomFenCipale", "edNomFenCipale",
         QStringLiteral("Nom de la &fenêtre principale"));
    Edit(stMotsCles, edMotsCles, "stMotsCles", "edMotsCles", QStringLiteral("&Mots-clés"));
    Edit(stNomFenImgPE, edNomFenImgPE, "stNomFenImgPE", "edNomFenImgPE",
         QStringLiteral("Nom de la fenêtre de l'&image plein écran"));
    cbHierDansVoletRech =
        Nomme(new QCheckBox(QStringLiteral("Hiérarchie dans le volet '&Rechercher' (IE seulement)"), this),
              "cbHierDansVoletRech");
    cbVisuResApresCreation = Nomme(new QCheckBox(QStringLiteral("&Visualiser le résultat après la création"), this),
                                   "cbVisuResApresCreation");
    Droite->addWidget(cbHierDansVoletRech);
    Droite->addWidget(cbVisuResApresCreation);
    Droite->addStretch(1);

    // Buttons.
    auto *Bas = new QHBoxLayout;
    btHistorique = Nomme(new QPushButton(QStringLiteral("&Historique des albums WEB..."), this), "btHistorique");
    btOK = Nomme(new QPushButton(QStringLiteral("OK"), this), "btOK");
    btAnnuler = Nomme(new QPushButton(QStringLiteral("Annuler"), this), "btAnnuler");
    btAide = Nomme(new QPushButton(QStringLiteral("Aide"), this), "btAide");
    btAide->setProperty("nContexteAide", 50);
    // The program has no help viewer yet.
    btAide->setEnabled(false);
    btOK->setEnabled(false);
    btOK->setDefault(true);
    Bas->addWidget(btHistorique);
    Bas->addStretch(1);
    for (QPushButton *b : {btOK, btAnnuler, btAide})
        Bas->addWidget(b);
    Droite->addLayout(Bas);

    // The upper-case keywords follow the typing, the caret staying where it was.
    connect(edMotsCles, &QLineEdit::textEdited, this, [this](const QString &c) {
        const int n = edMotsCles->cursorPosition();
        edMotsCles->setText(c.toUpper());
        edMotsCles->setCursorPosition(n);
    });
    connect(edNomAlbum, &QLineEdit::textChanged, this, [this] { edNomAlbumChange(); });
    connect(cbNomAlbum, &QComboBox::currentIndexChanged, this, [this] { cbNomAlbumChange(); });
    connect(bgContAlbum, &QButtonGroup::idClicked, this, [this] { rgContAlbumClick(); });
    for (QCheckBox *b : {cbAffNom, cbAffResol, cbAffTaille, cbAffDate, cbAffLegende})
        connect(b, &QCheckBox::clicked, this, [this, b] { cbAffClick(b); });
    connect(btAffCadre, &QPushButton::clicked, this, [this] { cbAffClick(btAffCadre); });
    connect(edNbLig, &QSpinBox::valueChanged, this, [this] {
        if (edNbLig->hasFocus())
            edNbLigChange();
    });
    connect(edNbCol, &QSpinBox::valueChanged, this, [this] {
        if (edNbCol->hasFocus())
            edNbColChange();
    });
    connect(cbDispoVig, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_lMaj)
            emit OptionsModifiees();
    });
    connect(cbAffPolice, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_lMaj)
            emit OptionsModifiees();
    });
    connect(btCreerDossier, &QPushButton::clicked, this, &TfmAlbumWEB::btCreerDossierClick);
    connect(btHistorique, &QPushButton::clicked, this, &TfmAlbumWEB::btHistoriqueClick);
    connect(btOK, &QPushButton::clicked, this, &TfmAlbumWEB::btOKClick);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
}

quint32 TfmAlbumWEB::CouleurBouton(const QPushButton *Bouton)
{
    return Bouton->property(cProprieteCouleur).toUInt();
}

void TfmAlbumWEB::MetCouleurBouton(QPushButton *Bouton, quint32 nCouleur)
{
    Bouton->setProperty(cProprieteCouleur, nCouleur & 0xFFFFFF);
    QPixmap Pastille(16, 16);
    Pastille.fill(CouleurQt(nCouleur));
    {
        QPainter P(&Pastille);
        P.setPen(Qt::black);
        P.drawRect(0, 0, 15, 15);
    }
    Bouton->setIcon(QIcon(Pastille));
}

int TfmAlbumWEB::ContenuAlbum() const
{
    const int n = bgContAlbum->checkedId();
    return n < 0 ? caVignettesEtLiens : n;
}

bool TfmAlbumWEB::InitAlbumWEB(const TSourceDonneesAW &Source)
{
    m_Source = Source;
    return ::InitAlbumWEB(m_Etat, m_Source, m_Params);
}

void TfmAlbumWEB::FormShow()
{
    m_lMaj = true;
    const bool lPerso = m_Etat.nSource == saHierPerso;
    edNomAlbum->setVisible(!lPerso);
    cbNomAlbum->setVisible(lPerso);
    stNomAlbum->setBuddy(lPerso ? static_cast<QWidget *>(cbNomAlbum) : edNomAlbum);

    const bool lDescriptions = m_Contexte.Parametres.lTrtDescription;
    if (lDescriptions && cbTypeLegende->count() == 3)
        cbTypeLegende->insertItem(1, QStringLiteral("la description"));
    const TOptionsAlbumWEB O =
        m_Contexte.iniSetup
            ? ReglagesAlbumWEB(*m_Contexte.iniSetup, m_Contexte.Dossiers.cDossierDonnees, cbTypeLegende->count())
            : TOptionsAlbumWEB{};

    tvDosParentAlbum->Remplit();
    try {
        tvDosParentAlbum->ChoisitDossier(O.cAWDosParentAlbum);
    } catch (const ECheminNonTrouve &) {
        try {
            tvDosParentAlbum->ChoisitDossier(m_Contexte.Dossiers.cDossierDonnees);
        } catch (const ECheminNonTrouve &) {
        }
    }

    if (QAbstractButton *b = bgContAlbum->button(O.nAWContAlbum))
        b->setChecked(true);
    cbDispoVig->setCurrentIndex(O.nAWDispoVig);
    cbRedImgTailleMax->setCurrentText(O.cAWRedImgTailleMax);
    cbAffNom->setChecked(O.lAWAffNom);
    cbAffResol->setChecked(O.lAWAffResol);
    cbAffTaille->setChecked(O.lAWAffTaille);
    cbAffDate->setChecked(O.lAWAffDate);
    cbAffLegende->setChecked(O.lAWAffLegende);
    cbTypeLegende->setCurrentIndex(O.lAWTypeLegende);
    // The installed families, with the kept one and the pages' first default always offered.
    QStringList Polices = QFontDatabase::families();
    for (const QString &c : {O.cAWAffPolice, QStringLiteral("Arial")})
        if (!c.isEmpty() && !Polices.contains(c))
            Polices << c;
    Polices.sort(Qt::CaseInsensitive);
    cbAffPolice->clear();
    cbAffPolice->addItems(Polices);
    cbAffPolice->setCurrentIndex(int(Polices.indexOf(O.cAWAffPolice)));
    btAffCadre->setChecked(O.lAWAffCadre);
    MetCouleurBouton(btCoulFondFenetre, O.nAWCoulFondFenetre);
    MetCouleurBouton(btCoulPolice, O.nAWCoulPolice);
    MetCouleurBouton(btCoulCadre, O.nAWCoulCadre);
    MetCouleurBouton(btCoulFondVigImg, O.nAWCoulFondVigImg);
    MetCouleurBouton(btCoulFondDonnees, O.nAWCoulFondDonnees);
    cbHierDansVoletRech->setChecked(O.lAWHierDansVoletRech);
    cbVisuResApresCreation->setChecked(O.lAWVisuResApresCreation);

    if (lPerso) {
        cbNomAlbum->clear();
        cbNomAlbum->addItems(m_Contexte.iniSetup ? AlbumsPersoAlbumWEB(*m_Contexte.iniSetup) : QStringList());
        const int n = int(cbNomAlbum->findText(m_Source.cArgument));
        cbNomAlbum->setCurrentIndex(n >= 0 ? n : (cbNomAlbum->count() > 0 ? 0 : -1));
    }
    m_lMaj = false;
    if (lPerso)
        cbNomAlbumChange();
    rgContAlbumClick();
    cbAffClick(nullptr);
    (lPerso ? static_cast<QWidget *>(cbNomAlbum) : edNomAlbum)->setFocus();
    PlaceEnBasADroite();
    emit OptionsModifiees();
}

void TfmAlbumWEB::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!m_pApercu) {
        m_pApercu = std::make_unique<TfmAlbumWEBApercu>(this);
        connect(this, &TfmAlbumWEB::OptionsModifiees, m_pApercu.get(), [this] { RafraichirApercu(); });
        m_pApercu->Montre();
        RafraichirApercu();
    }
    // The frame of the window manager is known only once shown: placed again then.
    if (!m_lPlacee) {
        m_lPlacee = true;
        QTimer::singleShot(50, this, &TfmAlbumWEB::PlaceEnBasADroite);
    }
}

void TfmAlbumWEB::hideEvent(QHideEvent *e)
{
    QDialog::hideEvent(e);
    if (!e->spontaneous())
        m_pApercu.reset();
}

void TfmAlbumWEB::RafraichirApercu()
{
    if (m_pApercu)
        m_pApercu->RafraichirApercu(OptionsControles(), edNbLig->value());
}

void TfmAlbumWEB::PlaceEnBasADroite()
{
    if (!isVisible())
        adjustSize();
    const QScreen *Ecran = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!Ecran)
        return;
    const QRect Zone = Ecran->availableGeometry();
    const QSize Taille = frameGeometry().size().expandedTo(size());
    move(std::max(Zone.left(), Zone.right() + 1 - Taille.width()),
         std::max(Zone.top(), Zone.bottom() + 1 - Taille.height()));
}

void TfmAlbumWEB::Applique()
{
    m_Etat.nContenu = ContenuAlbum();
    m_Etat.cNom = m_Etat.nSource == saHierPerso ? cbNomAlbum->currentText() : edNomAlbum->text();
    m_Etat.lAffNom = cbAffNom->isChecked();
    m_Etat.lAffResol = cbAffResol->isChecked();
    m_Etat.lAffTaille = cbAffTaille->isChecked();
    m_Etat.lAffDate = cbAffDate->isChecked();
    m_Etat.lAffLegende = cbAffLegende->isChecked();
    m_Etat.lAffCadre = btAffCadre->isChecked();
    const TActivationAlbumWEB A = ActivationAlbumWEB(m_Etat);
    btOK->setEnabled(A.lOK);
    stNomFenImgPE->setEnabled(A.lNomFenImgPE);
    edNomFenImgPE->setEnabled(A.lNomFenImgPE);
    cbDispoVig->setEnabled(A.lDispoVig);
    gbRedImg->setEnabled(A.lReduction);
    cbAffLegende->setEnabled(A.lAffLegende);
    cbTypeLegende->setEnabled(A.lTypeLegende);
    for (QWidget *w : {static_cast<QWidget *>(stAffPolice), static_cast<QWidget *>(cbAffPolice),
                       static_cast<QWidget *>(btCoulPolice), static_cast<QWidget *>(btCoulFondDonnees)})
        w->setEnabled(A.lPolice);
    btCoulCadre->setEnabled(A.lCoulCadre);
    cbHierDansVoletRech->setEnabled(A.lHierDansVoletRech);
    edNbLig->setVisible(A.lLignesVisibles);
    stNbLig->setVisible(A.lLignesVisibles);
    edNbCol->setVisible(A.lColonnesVisibles);
    stNbCol->setVisible(A.lColonnesVisibles);
}

void TfmAlbumWEB::FixeGrille(const TGrilleAlbumWEB &G)
{
    const QSignalBlocker B1(edNbLig), B2(edNbCol);
    edNbLig->setMaximum(G.nMax);
    edNbCol->setMaximum(G.nMax);
    edNbLig->setValue(G.nLignes);
    edNbCol->setValue(G.nColonnes);
}

void TfmAlbumWEB::MajCompte()
{
    m_Etat.nContenu = ContenuAlbum();
    stNbreVigImg->setText(TexteCompteAlbumWEB(m_Etat));
    if (!m_Etat.Hierarchique())
        FixeGrille(GrilleAlbumWEB(NbImagesGrilleAlbumWEB(m_Etat)));
}

void TfmAlbumWEB::rgContAlbumClick()
{
    if (m_lMaj)
        return;
    if (m_Etat.nSource == saHierPerso && cbNomAlbum->currentIndex() >= 0) {
        const TComptesAlbumWEB C = m_ComptesPerso.Comptes(cbNomAlbum->currentText());
        m_Etat.nImgsSource = C.nImgsSource;
        m_Etat.nDisponibles = C.nDisponibles;
    }
    MajCompte();
    Applique();
    if (ContenuAlbum() == caFrames)
        cbDispoVig->setFocus();
    emit OptionsModifiees();
}

void TfmAlbumWEB::cbNomAlbumChange()
{
    if (m_lMaj)
        return;
    const QString cNom = cbNomAlbum->currentText();
    edNomAlbum->setText(cNom);
    m_Source.cArgument = cNom;
    if (cbNomAlbum->currentIndex() >= 0) {
        const TComptesAlbumWEB C = m_ComptesPerso.Comptes(cNom);
        m_Etat.nImgsSource = C.nImgsSource;
        m_Etat.nDisponibles = C.nDisponibles;
    } else {
        m_Etat.nImgsSource = m_Etat.nDisponibles = 0;
    }
    MajCompte();
    Applique();
}

void TfmAlbumWEB::edNomAlbumChange()
{
    if (!m_lMaj)
        Applique();
}

void TfmAlbumWEB::cbAffClick(QObject *Source)
{
    if (m_lMaj)
        return;
    Applique();
    if (Source == cbAffLegende && cbTypeLegende->isEnabled())
        cbTypeLegende->setFocus();
    emit OptionsModifiees();
}

void TfmAlbumWEB::edNbLigChange()
{
    if (m_lMaj || m_Etat.Hierarchique())
        return;
    FixeGrille(GrilleSelonLignes(NbImagesGrilleAlbumWEB(m_Etat), edNbLig->value()));
    emit OptionsModifiees();
}

void TfmAlbumWEB::edNbColChange()
{
    if (m_lMaj)
        return;
    if (!m_Etat.Hierarchique())
        FixeGrille(GrilleSelonColonnes(NbImagesGrilleAlbumWEB(m_Etat), edNbCol->value()));
    emit OptionsModifiees();
}

void TfmAlbumWEB::btCoulClick(QPushButton *Bouton)
{
    const std::optional<quint32> n = fnChoisitCouleur ? fnChoisitCouleur(CouleurBouton(Bouton)) : std::nullopt;
    if (!n)
        return;
    MetCouleurBouton(Bouton, *n);
    emit OptionsModifiees();
}

void TfmAlbumWEB::btCreerDossierClick()
{
    const std::optional<QString> cNom = fnDemandeNomDossier ? fnDemandeNomDossier() : std::nullopt;
    if (!cNom)
        return;
    const QString c = cNom->trimmed();
    if (!tvDosParentAlbum->CreeSousDossier(c))
        m_Contexte.Messages->Erreur(this, QStringLiteral("Impossible de créer le dossier '%1'.").arg(c));
}

void TfmAlbumWEB::btHistoriqueClick()
{
    if (!m_Contexte.iniSetup || NbAlbumsHistorique(*m_Contexte.iniSetup) == 0) {
        m_Contexte.Messages->Attention(this, QStringLiteral("Aucun historique des albums WEB."));
        return;
    }
    if (m_Interface.fnHistorique)
        m_Interface.fnHistorique(this);
    else
        OuvreHistoriqueAlbumsWEB(m_Contexte, this, {{}, {}, m_Interface.pOperations});
}

TOptionsAlbumWEB TfmAlbumWEB::OptionsControles() const
{
    TOptionsAlbumWEB O;
    O.cAWDosParentAlbum = AvecBarre(tvDosParentAlbum->DossierCourant());
    O.nAWContAlbum = ContenuAlbum();
    O.nAWDispoVig = std::max(0, cbDispoVig->currentIndex());
    O.nAWNbCol = edNbCol->value();
    O.cAWRedImgTailleMax = cbRedImgTailleMax->currentText();
    O.lAWAffNom = cbAffNom->isChecked();
    O.lAWAffResol = cbAffResol->isChecked();
    O.lAWAffTaille = cbAffTaille->isChecked();
    O.lAWAffDate = cbAffDate->isChecked();
    O.lAWAffLegende = cbAffLegende->isChecked();
    O.lAWTypeLegende = std::max(0, cbTypeLegende->currentIndex());
    O.cAWAffPolice = cbAffPolice->currentText();
    O.lAWAffCadre = btAffCadre->isChecked();
    O.nAWCoulFondFenetre = CouleurBouton(btCoulFondFenetre);
    O.nAWCoulPolice = CouleurBouton(btCoulPolice);
    O.nAWCoulCadre = CouleurBouton(btCoulCadre);
    O.nAWCoulFondVigImg = CouleurBouton(btCoulFondVigImg);
    O.nAWCoulFondDonnees = CouleurBouton(btCoulFondDonnees);
    O.lAWHierDansVoletRech = cbHierDansVoletRech->isChecked();
    O.lAWVisuResApresCreation = cbVisuResApresCreation->isChecked();
    O.cAWNomFenCipale = edNomFenCipale->text();
    O.cAWMotsCles = edMotsCles->text().trimmed().toUpper();
    O.cAWNomFenImgPE = edNomFenImgPE->text();
    return O;
}

void TfmAlbumWEB::btOKClick()
{
    Applique();
    if (!btOK->isEnabled() || !m_Contexte.iniSetup)
        return;
    IMessages &Messages = *m_Contexte.Messages;
    IOperationsFichiers &Operations = m_Interface.pOperations ? *m_Interface.pOperations : *m_Operations;
    const QString cDossier =
        PrepareDossierAlbumWEB({tvDosParentAlbum->DossierCourant(), edNomAlbum->text(),
                                m_Contexte.Dossiers.cDossierDonnees, m_Contexte.Dossiers.cDossierVignettes},
                               *m_Contexte.iniSetup, Operations, Messages, this);
    if (cDossier.isEmpty())
        return;
    TOptionsAlbumWEB O = OptionsControles();
    O.cAWDossierAlbum = cDossier;

    TParamsAlbumWEB P = m_Params;
    TBilanAlbumWEB B;
    {
        // The progress window holds the long-task guard from its start to its end.
        TGaugeWindow Jauge(this, &Messages);
        Jauge.Demarre(QStringLiteral("Création de l'Album WEB"), 0, 0, 1000);
        P.Suivi.Avance = [&](qint64 nPosition, qint64 nMaximum) {
            Jauge.set_GaugeCurValue(TGaugeWindow::Millieme(0, int(std::min<qint64>(nPosition, INT_MAX)),
                                                           int(std::min<qint64>(nMaximum, INT_MAX))));
        };
        P.Suivi.Interrompu = [&] { return Jauge.Interrompu(); };
        B = GenererAlbumWEB(m_Source, O, P);
        Jauge.Arrete();
    }

    // The thumbnails made meanwhile left their data in the store, whatever became of the album.
    QString cErreurSauvegarde;
    const bool lMontrable = ConclutAlbumWEB(*m_Contexte.iniSetup, O, B, cErreurSauvegarde);
    if (!B.cErreur.isEmpty())
        Messages.Erreur(this, B.cErreur);
    if (!cErreurSauvegarde.isEmpty())
        Messages.Erreur(this, cErreurSauvegarde);
    if (B.nNonTraitees > 0)
        Messages.Attention(this, B.TexteNonTraitees());
    m_cDossierAlbum = B.lRefuse ? QString() : cDossier;
    if (lMontrable && O.lAWVisuResApresCreation)
        (m_Interface.fnOuvrePage ? m_Interface.fnOuvrePage : [](const QString &cPage) { OuvrePageAlbumWEB(cPage); })(
            cDossier + QStringLiteral("Index.htm"));
    accept();
}

QString OuvreAlbumWEB(TContexte &C, QWidget *Parent, const TSourceDonneesAW &Source, const TInterfaceAlbumWEB &I)
{
    IMessages &Messages = *C.Messages;
    if (!C.iniSetup) {
        Messages.Erreur(Parent, QStringLiteral("Les paramètres ne sont pas disponibles."));
        return {};
    }
    const QString cErreurSource = ErreurSourceAlbumWEB(Source);
    if (!cErreurSource.isEmpty() && Source.nSource != saHierPerso) {
        Messages.Attention(Parent, cErreurSource);
        return {};
    }
    // The walk of a whole volume may take very long: asked before anything is counted.
    if (Source.nSource == saHierDossiers && C.Volumes && EstRacineAlbumWEB(Source.cArgument, *C.Volumes)
        && !Messages.Question(Parent, QStringLiteral("Le dossier sélectionné est à la racine de l'arborescence.\r\n\r\n"
                                                     "Générer tout de même l'album WEB hiérarchique correspondant ?\r\n"
                                                     "(ceci peut être très long.)")))
        return {};

    TParamsAlbumWEB P = ParamsAlbumWEB(C);
    P.nFils = I.nFils;
    std::unique_ptr<TArboCriteres> Arbo;
    if (Source.nSource == saHierCritere) {
        Arbo = std::make_unique<TArboCriteres>();
        Arbo->ChargerArboCritHier(*C.iniSetup, C.Parametres, C.Dossiers.cDossierImgsCH);
        P.pArbo = Arbo.get();
    }
    TfmAlbumWEB Fenetre(C, P, I, Parent);
    if (!Fenetre.InitAlbumWEB(Source)) {
        Messages.Attention(Parent, QStringLiteral("Aucune image à traiter."));
        return {};
    }
    Fenetre.FormShow();
    const int nResultat = I.fnExecute ? I.fnExecute(Fenetre) : Fenetre.exec();
    return nResultat == QDialog::Accepted ? Fenetre.DossierAlbum() : QString();
}

TAlbumWEBKX::TAlbumWEBKX(TContexte &Contexte, TSelectionKX &Selection, QWidget *Fenetre)
    : QObject(Fenetre), m_Contexte(Contexte), m_Selection(Selection), m_Fenetre(Fenetre)
{
    pmAlbumWEB = new QMenu(Fenetre);
    pmAlbumWEB->setObjectName(QStringLiteral("pmAlbumWEB"));
    miAlbumWEBGenAPartirImgSel =
        pmAlbumWEB->addAction(QStringLiteral("&Générer un album WEB à partir des images sélectionnées..."));
    miAlbumWEBGenAPartirImgSel->setObjectName(QStringLiteral("miAlbumWEBGenAPartirImgSel"));
    miAlbumWEBGenAWHPerso = pmAlbumWEB->addAction(QStringLiteral("Générer un album WEB hiérarchique &personnel..."));
    miAlbumWEBGenAWHPerso->setObjectName(QStringLiteral("miAlbumWEBGenAWHPerso"));
    miAlbumWEBGenAWHDossiers = pmAlbumWEB->addAction(QString());
    miAlbumWEBGenAWHDossiers->setObjectName(QStringLiteral("miAlbumWEBGenAWHDossiers"));
    miAlbumWEBAWH = pmAlbumWEB->addAction(QStringLiteral("&Albums WEB hiérarchiques personnels..."));
    miAlbumWEBAWH->setObjectName(QStringLiteral("miAlbumWEBAWH"));
    // Shown by the personal hierarchy editor's feature once installed.
    miAlbumWEBAWH->setVisible(false);
    connect(miAlbumWEBGenAPartirImgSel, &QAction::triggered, this, &TAlbumWEBKX::miAlbumWEBGenAPartirImgSelClick);
    connect(miAlbumWEBGenAWHPerso, &QAction::triggered, this, &TAlbumWEBKX::miAlbumWEBGenAWHPersoClick);
    connect(miAlbumWEBGenAWHDossiers, &QAction::triggered, this, &TAlbumWEBKX::miAlbumWEBGenAWHDossiersClick);
    connect(pmAlbumWEB, &QMenu::aboutToShow, this, &TAlbumWEBKX::pmAlbumWEBPopup);
    pmAlbumWEBPopup();
}

void TAlbumWEBKX::pmAlbumWEBPopup()
{
    miAlbumWEBGenAPartirImgSel->setEnabled(m_Selection.Modele().nNbCoches() > 0);
    miAlbumWEBGenAWHPerso->setEnabled(m_Contexte.iniSetup && !AlbumsPersoAlbumWEB(*m_Contexte.iniSetup).isEmpty());
    miAlbumWEBAWH->setEnabled(m_Selection.ModeMAJ());
    const QString cDossier = m_Selection.DossierCourant();
    miAlbumWEBGenAWHDossiers->setText(
        QStringLiteral("Générer un album WEB hiérarchique à partir du &dossier '%1'...").arg(cDossier));
    miAlbumWEBGenAWHDossiers->setEnabled(!cDossier.isEmpty());
}

void TAlbumWEBKX::CreeBouton(QWidget *Barre)
{
    auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr);
    if (!Disposition)
        return;
    btAlbumWEB = new QPushButton(QStringLiteral("Album WEB"), Barre);
    btAlbumWEB->setObjectName(QStringLiteral("btAlbumWEB"));
    btAlbumWEB->setToolTip(QStringLiteral("Exporter les images sélectionnées vers un album WEB ou générer/gérer les "
                                          "albums WEB hiérarchiques"));
    btAlbumWEB->setFocusPolicy(Qt::NoFocus);
    btAlbumWEB->setMenu(pmAlbumWEB);
    Disposition->addWidget(btAlbumWEB);
}

void TAlbumWEBKX::miAlbumWEBGenAPartirImgSelClick()
{
    TSourceDonneesAW Source;
    Source.nSource = saImagesCochees;
    Source.pModele = &m_Selection.Modele();
    OuvreAlbumWEB(m_Contexte, m_Fenetre, Source, Interface);
}

void TAlbumWEBKX::miAlbumWEBGenAWHPersoClick()
{
    TSourceDonneesAW Source;
    Source.nSource = saHierPerso;
    OuvreAlbumWEB(m_Contexte, m_Fenetre, Source, Interface);
}

void TAlbumWEBKX::miAlbumWEBGenAWHDossiersClick()
{
    TSourceDonneesAW Source;
    Source.nSource = saHierDossiers;
    Source.cArgument = AvecBarre(m_Selection.DossierCourant());
    OuvreAlbumWEB(m_Contexte, m_Fenetre, Source, Interface);
}

TAlbumWEBKX *InstalleAlbumWEB(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Album = new TAlbumWEBKX(Contexte, Main.Selection(), &Main);
    Album->CreeBouton(Main.BarreListe());
    Main.Installe(Album);
    return Album;
}
