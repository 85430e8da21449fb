#include "publishing/CopieImages_fm.h"

#include "calendar/VignetteFlottante_fm.h"
#include "components/FolderTreeView.h"
#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/OperationsFichiers.h"
#include "publishing/SuppressionImages.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"
#include "treatments/TraitementsImage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
const QString cTexteMsgCDSel =
    QStringLiteral("Copie vers un CDROM possible si :\n- Copie des Critères.\n- Pas de Traitement avant la copie.");
const QString cTexteMsgCopieCD = QStringLiteral(
    "ATTENTION :\nCopiez les images vers le CD (avec votre logiciel habituel) et revenez à KX une fois l'opération "
    "terminée.\nVous pouvez copier le nom de ces images vers le Presse-Papiers afin de faciliter la copie.\n\nUne fois "
    "la copie terminée, appuyez sur le bouton [Suivant] afin de choisir le dossier où les images ont été copiées, afin "
    "de mettre à jour leurs critères.");
const QString cTexteChoixDossierCD =
    QStringLiteral("La copie vers le CD est achevée.\nSélectionnez le dossier où les images ont été copiées et appuyez "
                   "sur le bouton [Copier] afin de mettre à jour leurs critères.");

// The progress window behind the copy's TSuivi: up from the start of the batch, down before any
// message so that none opens under it.
class TJaugeCopie
{
public:
    TJaugeCopie(QWidget *Fenetre, IMessages &MessagesFenetre, int nImages)
        : m_Jauge(Fenetre, &MessagesFenetre), Messages(MessagesFenetre, [this] { Arrete(); }),
          m_nMax(std::max(0, nImages - 1))
    {}
    ~TJaugeCopie() { Arrete(); }
    void Demarre()
    {
        if (!m_lDemarree)
            m_Jauge.Demarre(cTitreCopieImages, 0, 0, m_nMax);
        m_lDemarree = true;
    }
    void Arrete()
    {
        if (m_lDemarree)
            m_Jauge.Arrete();
        m_lDemarree = false;
    }
    TSuivi Suivi()
    {
        TSuivi s;
        s.Avance = [this](qint64 nPosition, qint64) {
            Demarre();
            m_Jauge.set_GaugeCurValue(int(std::min<qint64>(nPosition, m_nMax)));
        };
        s.Interrompu = [this] {
            Demarre();
            return m_Jauge.Interrompu();
        };
        return s;
    }

private:
    TGaugeWindow m_Jauge;

public:
    // The batch's messages: the progress window goes before any of them shows.
    TMessagesPrecedes Messages;

private:
    int m_nMax;
    bool m_lDemarree = false;
};

QPushButton *Bouton(const QString &cTexte, const char *cNom, QWidget *Parent)
{
    auto *b = new QPushButton(cTexte, Parent);
    b->setObjectName(QLatin1String(cNom));
    return b;
}

QLabel *Texte(const QString &cTexte, const char *cNom, QWidget *Parent)
{
    auto *l = new QLabel(cTexte, Parent);
    l->setObjectName(QLatin1String(cNom));
    l->setWordWrap(true);
    return l;
}
} // namespace

TfmCopieImg::TfmCopieImg(TContexte &Contexte, const TPreparationCopie &Preparation, const QString &cDossierDepart,
                         QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_Preparation(Preparation)
{
    setObjectName(QStringLiteral("fmCopieImg"));
    setWindowTitle(m_Preparation.Titre());
    fnDemandeNomDossier = [this]() -> std::optional<QString> {
        bool lOk = false;
        const QString c = QInputDialog::getText(this, QStringLiteral("Saisie"),
                                                QStringLiteral("Nom du dossier à créer"), QLineEdit::Normal, {}, &lOk);
        return lOk ? std::optional<QString>(c) : std::nullopt;
    };

    pcPages = new QTabWidget(this);
    pcPages->setObjectName(QStringLiteral("pcPages"));
    // Only the buttons move between the pages.
    pcPages->tabBar()->setAttribute(Qt::WA_TransparentForMouseEvents);
    pcPages->tabBar()->setFocusPolicy(Qt::NoFocus);

    tsParams = new QWidget;
    tsParams->setObjectName(QStringLiteral("tsParams"));
    auto *lyParams = new QVBoxLayout(tsParams);
    auto *lbDosDst = new QLabel(QStringLiteral("&Dossier de destination"), tsParams);
    tvDosDst = new TFolderTreeView(Contexte.Volumes.get(), tsParams);
    tvDosDst->setObjectName(QStringLiteral("tvDosDst"));
    SuivreArbreDossiers(tvDosDst, Contexte);
    lbDosDst->setBuddy(tvDosDst);
    tvDosDst->Remplit();
    if (!cDossierDepart.isEmpty()) {
        QString c = cDossierDepart;
        const TVolume V = Contexte.Volumes->VolumeDe(cDossierDepart);
        if (V.lCD)
            c = V.cPointMontage;
        try {
            tvDosDst->ChoisitDossier(c);
        } catch (const ECheminNonTrouve &) {
            // The tree then starts on its roots.
        }
    }
    btCreerDossier = Bouton(QStringLiteral("Créer un dossier..."), "btCreerDossier", tsParams);
    stPlaceDispo = Texte({}, "stPlaceDispo", tsParams);
    stMsgCDSel = Texte({}, "stMsgCDSel", tsParams);
    cbVidDosAvtCopie = new QCheckBox(QStringLiteral("&Vider le dossier de destination avant la copie"), tsParams);
    cbVidDosAvtCopie->setObjectName(QStringLiteral("cbVidDosAvtCopie"));
    cbCopieCriteres = new QCheckBox(QStringLiteral("Co&pier les Critères"), tsParams);
    cbCopieCriteres->setObjectName(QStringLiteral("cbCopieCriteres"));
    cbCopieCriteres->setChecked(true);
    cbEffTrt =
        new QCheckBox(QStringLiteral("Effectuer les &Traitements avant la copie (conversion en JPEG)"), tsParams);
    cbEffTrt->setObjectName(QStringLiteral("cbEffTrt"));
    lyParams->addWidget(lbDosDst);
    lyParams->addWidget(tvDosDst, 1);
    auto *lyPlace = new QHBoxLayout;
    lyPlace->addWidget(btCreerDossier);
    lyPlace->addWidget(stPlaceDispo, 1);
    lyParams->addLayout(lyPlace);
    lyParams->addWidget(stMsgCDSel);
    lyParams->addWidget(cbVidDosAvtCopie);
    lyParams->addWidget(cbCopieCriteres);
    lyParams->addWidget(cbEffTrt);

    tsMsgCopieCD = new QWidget;
    tsMsgCopieCD->setObjectName(QStringLiteral("tsMsgCopieCD"));
    auto *lyMsg = new QVBoxLayout(tsMsgCopieCD);
    stMsgCopieCD = Texte(cTexteMsgCopieCD, "stMsgCopieCD", tsMsgCopieCD);
    btCopiePPNomFic = Bouton(QStringLiteral("Copier vers le Presse-Papiers le nom des Images à copier"),
                             "btCopiePPNomFic", tsMsgCopieCD);
    lyMsg->addWidget(stMsgCopieCD);
    lyMsg->addWidget(btCopiePPNomFic, 0, Qt::AlignLeft);
    lyMsg->addStretch(1);

    tsChoixDossierCD = new QWidget;
    tsChoixDossierCD->setObjectName(QStringLiteral("tsChoixDossierCD"));
    auto *lyChoix = new QVBoxLayout(tsChoixDossierCD);
    stChoixDossierCD = Texte(cTexteChoixDossierCD, "stChoixDossierCD", tsChoixDossierCD);
    tvChoixDossierCD = new TFolderTreeView(nullptr, tsChoixDossierCD);
    tvChoixDossierCD->setObjectName(QStringLiteral("tvChoixDossierCD"));
    SuivreArbreDossiers(tvChoixDossierCD, Contexte);
    tvChoixDossierCD->set_ShowShellNodes(false);
    lyChoix->addWidget(stChoixDossierCD);
    lyChoix->addWidget(tvChoixDossierCD, 1);

    pcPages->addTab(tsParams, QStringLiteral("Paramètres"));
    pcPages->addTab(tsMsgCopieCD, QStringLiteral("Copie vers un CD"));
    pcPages->addTab(tsChoixDossierCD, QStringLiteral("Choix du Dossier du CD"));

    btPrec = Bouton(QStringLiteral("Précédent"), "btPrec", this);
    btSuiv = Bouton(QStringLiteral("Suivant"), "btSuiv", this);
    btCopier = Bouton(QStringLiteral("&Copier"), "btCopier", this);
    btQuitter = Bouton(QStringLiteral("&Quitter"), "btQuitter", this);
    auto *lyBoutons = new QHBoxLayout;
    lyBoutons->addWidget(btPrec);
    lyBoutons->addWidget(btSuiv);
    lyBoutons->addStretch(1);
    lyBoutons->addWidget(btCopier);
    lyBoutons->addWidget(btQuitter);
    auto *ly = new QVBoxLayout(this);
    ly->addWidget(pcPages, 1);
    ly->addLayout(lyBoutons);
    resize(560, 520);

    connect(btPrec, &QPushButton::clicked, this, &TfmCopieImg::btPrecClick);
    connect(btSuiv, &QPushButton::clicked, this, &TfmCopieImg::btSuivClick);
    connect(btCreerDossier, &QPushButton::clicked, this, &TfmCopieImg::btCreerDossierClick);
    connect(btCopiePPNomFic, &QPushButton::clicked, this, &TfmCopieImg::btCopiePPNomFicClick);
    connect(btCopier, &QPushButton::clicked, this, &TfmCopieImg::btCopierClick);
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::reject);
    connect(tvDosDst, &TFolderTreeView::Change, this, &TfmCopieImg::MajEtat);
    connect(cbCopieCriteres, &QCheckBox::toggled, this, &TfmCopieImg::MajEtat);
    connect(cbEffTrt, &QCheckBox::toggled, this, &TfmCopieImg::MajEtat);
    connect(pcPages, &QTabWidget::currentChanged, this, &TfmCopieImg::MajEtat);
    for (QWidget *Arbre : {static_cast<QWidget *>(tvDosDst), static_cast<QWidget *>(tvChoixDossierCD)}) {
        Arbre->setMouseTracking(true);
        if (auto *a = qobject_cast<QAbstractScrollArea *>(Arbre)) {
            a->viewport()->setMouseTracking(true);
            a->viewport()->installEventFilter(this);
        }
    }
    MajEtat();
}

TfmCopieImg::~TfmCopieImg() = default;

bool TfmCopieImg::eventFilter(QObject *Objet, QEvent *e)
{
    if (e->type() == QEvent::MouseMove && fnSurvolArbre) {
        auto *Vue = qobject_cast<QWidget *>(Objet);
        fnSurvolArbre(Vue ? Vue->parentWidget() : nullptr, static_cast<QMouseEvent *>(e)->position().toPoint());
    }
    return QDialog::eventFilter(Objet, e);
}

TVolume TfmCopieImg::VolumeDestination() const
{
    return m_Contexte.Volumes->VolumeDe(tvDosDst->DossierCourant());
}

void TfmCopieImg::MontreArbreCD()
{
    const TVolume V = VolumeDestination();
    if (!V.lCD || V.nSerie == 0 || V.nSerie == m_nSerieArbreCD)
        return;
    m_nSerieArbreCD = V.nSerie;
    tvChoixDossierCD->setVolumes(m_Contexte.Volumes.get());
    tvChoixDossierCD->Remplit();
    // Only the disc stays: the other drives and the root folder the tree always offers go.
    for (int i = tvChoixDossierCD->topLevelItemCount() - 1; i >= 0; --i) {
        const TInfoNoeud *Info = TFolderTreeView::Info(tvChoixDossierCD->topLevelItem(i));
        if (!Info || Info->cChemin != V.cPointMontage)
            delete tvChoixDossierCD->takeTopLevelItem(i);
    }
    try {
        tvChoixDossierCD->ChoisitDossier(V.cPointMontage);
    } catch (const ECheminNonTrouve &) {
    }
    if (QTreeWidgetItem *Item = tvChoixDossierCD->currentItem())
        Item->setExpanded(true);
}

void TfmCopieImg::MajEtat()
{
    const QString cDossier = tvDosDst->DossierCourant();
    const TVolume V = VolumeDestination();
    const bool lCD = !cDossier.isEmpty() && V.lCD;
    const bool lDisque = lCD && V.nSerie != 0;

    stPlaceDispo->setText(TextePlaceDispo(lCD && !lDisque ? -1 : PlaceLibre(cDossier),
                                          V.cPointMontage.isEmpty() ? cDossier : V.cPointMontage));
    stMsgCDSel->setText(lDisque ? cTexteMsgCDSel : QString());

    const bool lPagesCD = lCD && cbCopieCriteres->isChecked() && !cbEffTrt->isChecked();
    if (!lPagesCD && pcPages->currentIndex() > 0)
        pcPages->setCurrentIndex(0);
    pcPages->setTabVisible(1, lPagesCD);
    pcPages->setTabVisible(2, lPagesCD);
    if (lPagesCD)
        MontreArbreCD();

    const int nPage = pcPages->currentIndex();
    btPrec->setVisible(lCD);
    btSuiv->setVisible(lCD);
    btPrec->setEnabled(nPage > 0);
    btSuiv->setEnabled(lPagesCD && nPage < 2);
    cbVidDosAvtCopie->setEnabled(!cDossier.isEmpty() && !lCD);
    btCopier->setEnabled(!cDossier.isEmpty() && !(lCD && nPage < 2) && !(lCD && !lDisque));
}

void TfmCopieImg::btPrecClick()
{
    if (pcPages->currentIndex() > 0)
        pcPages->setCurrentIndex(pcPages->currentIndex() - 1);
}

void TfmCopieImg::btSuivClick()
{
    if (btSuiv->isEnabled() && pcPages->currentIndex() < 2)
        pcPages->setCurrentIndex(pcPages->currentIndex() + 1);
}

void TfmCopieImg::btCreerDossierClick()
{
    const std::optional<QString> cNom = fnDemandeNomDossier ? fnDemandeNomDossier() : std::nullopt;
    if (!cNom)
        return;
    const QString c = cNom->trimmed();
    if (!tvDosDst->CreeSousDossier(c))
        MessagesDe(m_Contexte).Erreur(this, QStringLiteral("Impossible de créer le dossier '%1'.").arg(c));
    MajEtat();
}

void TfmCopieImg::btCopiePPNomFicClick()
{
    QStringList cChemins;
    for (const TEnrLV &Enr : m_Preparation.Images)
        cChemins << Enr.CheminComplet();
    std::sort(cChemins.begin(), cChemins.end());
    QList<QUrl> Urls;
    for (const QString &c : std::as_const(cChemins))
        Urls << QUrl::fromLocalFile(c);
    auto *Donnees = new QMimeData;
    // The file list for file managers, the plain text for everything else.
    Donnees->setUrls(Urls);
    Donnees->setText(cChemins.join(u'\n'));
    QApplication::clipboard()->setMimeData(Donnees);
}

IOperationsFichiers &TfmCopieImg::Operations()
{
    return m_Operations.Operations(*m_Contexte.Volumes);
}

TParamsCopie TfmCopieImg::Params() const
{
    const TEnrParametres &P = m_Contexte.Parametres;
    TParamsCopie p;
    p.cDossierVignettes = m_Contexte.Dossiers.cDossierVignettes;
    p.lTrtDescription = P.lTrtDescription;
    p.lTrtTHMDsOpFic = P.lTrtTHMDsOpFic;
    p.lTrtWAVDsOpFic = P.lTrtWAVDsOpFic;
    p.lCopieCriteres = cbCopieCriteres->isChecked();
    p.lEffTrt = cbEffTrt->isChecked();
    const TContexte &Contexte = m_Contexte;
    p.fnATrtsImage = [&Contexte](const TBigIniFile &iniSetup, const TEnrLV &Enr) {
        return ATrtsImage(iniSetup, Contexte.Parametres, Enr.Cle(), Enr.cOrientation);
    };
    p.fnAppliqueTrtsImage = [&Contexte](QImage &Image, const TBigIniFile &iniSetup, const TEnrLV &Enr) {
        return AppliqueTrtsImage(Image, iniSetup, Contexte.Parametres, Enr.Cle(), Enr.cOrientation).lOk;
    };
    if (fnAjusteParams)
        fnAjusteParams(p);
    return p;
}

void TfmCopieImg::btCopierClick()
{
    if (!btCopier->isEnabled() || TGaugeWindow::TacheEnCours())
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    TJaugeCopie Jauge(this, Messages, int(m_Preparation.Images.size()));
    TCopieImages Copie(*m_Contexte.iniSetup, *m_Contexte.iniBDD, *m_Contexte.Volumes, Operations(), Params());
    Copie.pDescriptions = m_Contexte.Descriptions.get();
    Copie.pAlbum = pAlbum;
    Copie.Suivi = Jauge.Suivi();
    const bool lCD = VolumeDestination().lCD;
    if (lCD)
        m_Bilan =
            ConfirmeEtEnregistreCD(Copie, m_Preparation.Images, tvChoixDossierCD->DossierCourant(), Jauge.Messages);
    else {
        const bool lVider = cbVidDosAvtCopie->isChecked();
        if (!lVider)
            Jauge.Demarre();
        m_Bilan = ConfirmeEtCopie(
            Copie, m_Preparation.Images, tvDosDst->DossierCourant(), lVider,
            [&](const QString &cQuestion) {
                const std::optional<bool> r = Messages.QuestionCase(this, cQuestion, cTexteSupprimerDefinitivement);
                if (r)
                    Jauge.Demarre();
                return r;
            },
            Jauge.Messages);
    }
    Jauge.Arrete();
    if (!m_Bilan.lAnnule)
        accept();
}

TCopieImagesKX::TCopieImagesKX(TContexte &Contexte, TSelectionKX &Selection, QWidget *Fenetre)
    : QObject(Fenetre), m_Contexte(Contexte), m_Selection(Selection), m_Fenetre(Fenetre)
{
    setObjectName(QStringLiteral("CopieImages"));
    fnExecute = [](TfmCopieImg &fm) { return fm.exec(); };
    miMainFicCopier = new QAction(QStringLiteral("&Copier..."), this);
    miMainFicCopier->setObjectName(QStringLiteral("miMainFicCopier"));
    connect(miMainFicCopier, &QAction::triggered, this, &TCopieImagesKX::btCopieImgClick);
    TModeleListeImages &Modele = m_Selection.Modele();
    connect(&m_Selection, &TSelectionKX::CochesChange, this, &TCopieImagesKX::MajBoutons);
    connect(&m_Selection, &TSelectionKX::ListeConstruite, this, &TCopieImagesKX::MajBoutons);
    connect(&Modele, &QAbstractItemModel::modelReset, this, &TCopieImagesKX::MajBoutons);
    connect(&Modele, &QAbstractItemModel::rowsRemoved, this, &TCopieImagesKX::MajBoutons);
}

QList<QAction *> TCopieImagesKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::MenuFichiers)
        return {};
    MajBoutons();
    return {miMainFicCopier};
}

void TCopieImagesKX::CreeBouton(QWidget *Barre)
{
    auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr);
    if (!Disposition)
        return;
    btCopieImg = AjouteBoutonBarre(Barre, "btCopieImg", QStringLiteral("Copier"),
                                   QStringLiteral("Copier les images sélectionnées vers un dossier"), miMainFicCopier);
    MajBoutons();
}

void TCopieImagesKX::MajBoutons()
{
    const bool l = m_Selection.Modele().nNbCoches() > 0;
    if (btCopieImg)
        btCopieImg->setEnabled(l);
    miMainFicCopier->setEnabled(l);
}

void TCopieImagesKX::btCopieImgClick()
{
    if (TGaugeWindow::TacheEnCours())
        return;
    const TPreparationCopie Preparation = PreparerCopie(m_Selection.Modele(), TLecteursCD(*m_Contexte.Volumes));
    if (Preparation.Images.isEmpty()) {
        MessagesDe(m_Contexte).Attention(m_Fenetre, QStringLiteral("Aucune image à traiter."));
        return;
    }
    TfmCopieImg fm(m_Contexte, Preparation, m_Selection.DossierCourant(), m_Fenetre);
    fm.pAlbum = pAlbum;
    fnExecute(fm);
}

TCopieImagesKX *InstalleCopieImages(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Copie = new TCopieImagesKX(Contexte, Main.Selection(), &Main);
    Copie->CreeBouton(Main.BarreListe());
    Main.Installe(Copie);
    return Copie;
}
