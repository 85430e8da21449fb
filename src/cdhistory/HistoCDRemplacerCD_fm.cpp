#include "cdhistory/HistoCDRemplacerCD_fm.h"

#include "calendar/VignetteFlottante_fm.h"
#include "components/FolderTreeView.h"
#include "components/MessagesQt.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
constexpr int nRoleVolume = Qt::UserRole + 1;

const QString cInformation = QStringLiteral(
    "En cas de nouvelle session de gravure sur un CD (RW) ou d'utilisation d'une copie de sauvegarde d'un CD (dont le "
    "numéro de série peut être différent de celui de l'original, alors que le label peut avoir été conservé), cette "
    "transaction permet de conserver les critères définis sur les Images du CD initial.\r\nIl suffit de choisir la "
    "nouvelle référence du CD (où appliquer les critères de l'ancienne) qui peut être déjà référencée (à gauche) ou "
    "non mais présente dans le lecteur (à droite).");
} // namespace

TfmHistoCDRemplacerCDDiff::TfmHistoCDRemplacerCDDiff(TContexte &Contexte, int nD, qint32 nSource,
                                                     const QString &cSource, qint32 nDestination,
                                                     const TComparaisonCD &Comparaison, QWidget *Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmHistoCDRemplacerCDDiff"));
    setWindowTitle(QStringLiteral("Différences entre les CDs Source et Destination (%1 Image(s) commune(s))")
                       .arg(Comparaison.nCommunes));
    setModal(true);
    resize(900, 600);
    const QString cId = IdVolume(static_cast<quint32>(nDestination));
    const QString cLabel =
        Contexte.iniSetup ? Contexte.iniSetup->ReadString(cSectionLabelsCD, cId, QString()) : QString();
    auto *Disposition = new QVBoxLayout(this);
    gbDansSrcExcl = new QGroupBox(QStringLiteral("%1 Image(s) référencée(s) sur le CD 'SOURCE' (%2) exclusivement")
                                      .arg(Comparaison.SourceSeule.size())
                                      .arg(cSource),
                                  this);
    gbDansSrcExcl->setObjectName(QStringLiteral("gbDansSrcExcl"));
    lvDansSrcExcl = new TListeImagesCDKX(Contexte, nD, QStringLiteral("DansSrcExcl"), gbDansSrcExcl);
    (new QVBoxLayout(gbDansSrcExcl))->addWidget(lvDansSrcExcl);
    gbDansDstExcl = new QGroupBox(QStringLiteral("%1 Image(s) référencée(s) sur le CD 'DESTINATION' (%2) exclusivement")
                                      .arg(Comparaison.DestinationSeule.size())
                                      .arg(QStringLiteral("%1 - \"%2\"").arg(cId, cLabel)),
                                  this);
    gbDansDstExcl->setObjectName(QStringLiteral("gbDansDstExcl"));
    lvDansDstExcl = new TListeImagesCDKX(Contexte, nD, QStringLiteral("DansDstExcl"), gbDansDstExcl);
    (new QVBoxLayout(gbDansDstExcl))->addWidget(lvDansDstExcl);
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), this);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    auto *Bas = new QHBoxLayout();
    Bas->addStretch(1);
    Bas->addWidget(btQuitter);
    Disposition->addWidget(gbDansSrcExcl, 1);
    Disposition->addWidget(gbDansDstExcl, 1);
    Disposition->addLayout(Bas);
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::accept);
    lvDansSrcExcl->Remplit(nSource, Comparaison.SourceSeule);
    lvDansDstExcl->Remplit(nDestination, Comparaison.DestinationSeule);
}

TfmHistoCDRemplacerCD::TfmHistoCDRemplacerCD(TContexte &Contexte, int nD, qint32 nSource, const QString &cSource,
                                             const TArboCD &Arbo, QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_nD(nD), m_nSource(nSource), m_cSource(cSource)
{
    setObjectName(QStringLiteral("fmHistoCDRemplacerCD"));
    setWindowTitle(QStringLiteral("Remplacer le CD %1 par le CD...").arg(cSource));
    setModal(true);
    resize(720, 480);
    auto *Disposition = new QVBoxLayout(this);

    auto *gbInformation = new QGroupBox(QStringLiteral("Information"), this);
    stInformation = new QLabel(cInformation, gbInformation);
    stInformation->setObjectName(QStringLiteral("stInformation"));
    stInformation->setWordWrap(true);
    (new QVBoxLayout(gbInformation))->addWidget(stInformation);

    auto *Arbres = new QHBoxLayout();
    auto *Gauche = new QVBoxLayout();
    rbCDDejaReference = new QRadioButton(QStringLiteral("CD &déjà référencé"), this);
    rbCDDejaReference->setObjectName(QStringLiteral("rbCDDejaReference"));
    tvCDDejaReference = new QTreeWidget(this);
    tvCDDejaReference->setObjectName(QStringLiteral("tvCDDejaReference"));
    tvCDDejaReference->setHeaderHidden(true);
    tvCDDejaReference->setRootIsDecorated(false);
    tvCDDejaReference->setIconSize(QSize(16, 16));
    btDifferences = new QPushButton(QStringLiteral("Di&fférences"), this);
    btDifferences->setObjectName(QStringLiteral("btDifferences"));
    btDifferences->setToolTip(
        QStringLiteral("Liste des Images présentes sur un CD et pas sur l'autre (en cas de 2 CDs référencés)"));
    Gauche->addWidget(rbCDDejaReference);
    Gauche->addWidget(tvCDDejaReference, 1);
    Gauche->addWidget(btDifferences);
    auto *Droite = new QVBoxLayout();
    rbCDPresentDansLecteur = new QRadioButton(QStringLiteral("CD &présent dans le lecteur"), this);
    rbCDPresentDansLecteur->setObjectName(QStringLiteral("rbCDPresentDansLecteur"));
    tvCDPresentDansLecteur = new TFolderTreeView(nullptr, this);
    tvCDPresentDansLecteur->setObjectName(QStringLiteral("tvCDPresentDansLecteur"));
    SuivreArbreDossiers(tvCDPresentDansLecteur, Contexte);
    tvCDPresentDansLecteur->set_CDsOnly(true);
    tvCDPresentDansLecteur->setVolumes(Contexte.Volumes.get());
    btRafrCDPresents = new QPushButton(QStringLiteral("&Rafraîchir la liste des CDs présents"), this);
    btRafrCDPresents->setObjectName(QStringLiteral("btRafrCDPresents"));
    Droite->addWidget(rbCDPresentDansLecteur);
    Droite->addWidget(tvCDPresentDansLecteur, 1);
    Droite->addWidget(btRafrCDPresents);
    Arbres->addLayout(Gauche, 1);
    Arbres->addLayout(Droite, 1);
    auto *Groupe = new QButtonGroup(this);
    Groupe->addButton(rbCDDejaReference);
    Groupe->addButton(rbCDPresentDansLecteur);

    auto *Bas = new QHBoxLayout();
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    Bas->addStretch(1);
    Bas->addWidget(btOK);
    Bas->addWidget(btAnnuler);

    Disposition->addWidget(gbInformation);
    Disposition->addLayout(Arbres, 1);
    Disposition->addLayout(Bas);

    // Every CD of the history but the source, with its caption and total.
    if (Arbo.Racine) {
        for (const auto &p : Arbo.Racine->Enfants) {
            if (!p->Enr || p->Enr->nIdCD == nSource)
                continue;
            auto *pItem = new QTreeWidgetItem(tvCDDejaReference, QStringList(p->cTexte));
            pItem->setIcon(0, QApplication::style()->standardIcon(QStyle::SP_DriveCDIcon));
            pItem->setData(0, nRoleVolume, p->Enr->nIdCD);
            pItem->setToolTip(0, QStringLiteral("%1 - %2 image(s)").arg(p->cTexte).arg(p->Enr->nNbImagesCD));
        }
        if (tvCDDejaReference->topLevelItemCount() > 0)
            tvCDDejaReference->setCurrentItem(tvCDDejaReference->topLevelItem(0));
    }
    rbCDDejaReference->setChecked(true);

    connect(rbCDDejaReference, &QRadioButton::toggled, this, [this](bool l) {
        MajControles();
        if (l)
            tvCDDejaReference->setFocus();
    });
    connect(rbCDPresentDansLecteur, &QRadioButton::toggled, this, [this](bool l) {
        MajControles();
        if (l)
            tvCDPresentDansLecteur->setFocus();
    });
    connect(btRafrCDPresents, &QPushButton::clicked, this, &TfmHistoCDRemplacerCD::btRafrCDPresentsClick);
    connect(btDifferences, &QPushButton::clicked, this, &TfmHistoCDRemplacerCD::btDifferencesClick);
    connect(btOK, &QPushButton::clicked, this, &TfmHistoCDRemplacerCD::btOKClick);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    btRafrCDPresentsClick();
}

IMessages &TfmHistoCDRemplacerCD::Messages()
{
    return MessagesDe(m_Contexte);
}

void TfmHistoCDRemplacerCD::MajControles()
{
    const bool lGauche = rbCDDejaReference->isChecked();
    tvCDDejaReference->setEnabled(lGauche);
    tvCDPresentDansLecteur->setEnabled(!lGauche);
    btRafrCDPresents->setEnabled(!lGauche);
    btDifferences->setEnabled(lGauche && tvCDDejaReference->topLevelItemCount() > 0);
    btOK->setEnabled(lGauche ? tvCDDejaReference->topLevelItemCount() > 0
                             : tvCDPresentDansLecteur->topLevelItemCount() > 0);
}

void TfmHistoCDRemplacerCD::btRafrCDPresentsClick()
{
    tvCDPresentDansLecteur->Remplit();
    // Discs the history knows are left out by their serial, not by their caption: a disc
    // whose label changed is still the same CD.
    QSet<qint32> Connus;
    if (m_Contexte.iniSetup) {
        QStringList Cles;
        m_Contexte.iniSetup->ReadSection(cSectionTaillesVignettes, Cles);
        for (const QString &c : std::as_const(Cles))
            if (c.startsWith(QLatin1Char('<')))
                Connus.insert(DecomposeCle(c).nVolume);
    }
    for (int i = tvCDPresentDansLecteur->topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *pItem = tvCDPresentDansLecteur->topLevelItem(i);
        const TInfoNoeud *pInfo = TFolderTreeView::Info(pItem);
        const TVolume v = m_Contexte.Volumes && pInfo ? m_Contexte.Volumes->VolumeDe(pInfo->cChemin) : TVolume{};
        if (!v.lCD || v.nSerie == 0 || Connus.contains(static_cast<qint32>(v.nSerie))) {
            delete pItem;
            continue;
        }
        pItem->setExpanded(false);
        qDeleteAll(pItem->takeChildren());
        pItem->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
    }
    if (tvCDPresentDansLecteur->topLevelItemCount() > 0)
        tvCDPresentDansLecteur->setCurrentItem(tvCDPresentDansLecteur->topLevelItem(0));
    MajControles();
}

bool TfmHistoCDRemplacerCD::Destination(qint32 &nVolume, QString &cLabel) const
{
    if (rbCDDejaReference->isChecked()) {
        const QTreeWidgetItem *pItem = tvCDDejaReference->currentItem();
        if (!pItem)
            return false;
        nVolume = pItem->data(0, nRoleVolume).toInt();
        cLabel =
            m_Contexte.iniSetup
                ? m_Contexte.iniSetup->ReadString(cSectionLabelsCD, IdVolume(static_cast<quint32>(nVolume)), QString())
                : QString();
        return true;
    }
    // The serial and label come from the node's volume, never from its text.
    QTreeWidgetItem *pItem = tvCDPresentDansLecteur->currentItem();
    while (pItem && pItem->parent())
        pItem = pItem->parent();
    const TInfoNoeud *pInfo = TFolderTreeView::Info(pItem);
    if (!pInfo || !m_Contexte.Volumes)
        return false;
    const TVolume v = m_Contexte.Volumes->VolumeDe(pInfo->cChemin);
    if (!v.lCD || v.nSerie == 0)
        return false;
    nVolume = static_cast<qint32>(v.nSerie);
    cLabel = v.cLabel;
    return true;
}

void TfmHistoCDRemplacerCD::btDifferencesClick()
{
    qint32 nD = 0;
    QString cLabel;
    if (!rbCDDejaReference->isChecked() || !Destination(nD, cLabel) || !m_Contexte.iniSetup)
        return;
    const TComparaisonCD r = CompareCD(*m_Contexte.iniSetup, m_nSource, nD);
    if (r.SourceSeule.isEmpty() && r.DestinationSeule.isEmpty()) {
        Messages().Information(this, QStringLiteral("Pas de différence."));
        return;
    }
    TfmHistoCDRemplacerCDDiff Fenetre(m_Contexte, m_nD, m_nSource, m_cSource, nD, r, this);
    if (fnExecute)
        fnExecute(Fenetre);
    else
        Fenetre.exec();
}

void TfmHistoCDRemplacerCD::btOKClick()
{
    qint32 nD = 0;
    QString cLabel;
    if (!Destination(nD, cLabel) || !m_Contexte.iniSetup || !m_Contexte.iniBDD)
        return;
    if (nD == m_nSource) {
        Messages().Erreur(this, QStringLiteral("Le CD de destination est le CD source."));
        return;
    }
    if (!Messages().Question(this, QuestionRemplacement(windowTitle(), nD, cLabel)))
        return reject();
    if (rbCDDejaReference->isChecked() && !Messages().Question(this, QuestionRemplacementReference()))
        return reject();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Bilan = RemplaceCD({*m_Contexte.iniSetup, *m_Contexte.iniBDD, m_Contexte.Dossiers.cDossierVignettes}, m_nSource, nD,
                       cLabel);
    QApplication::restoreOverrideCursor();
    if (!Bilan.Erreurs.isEmpty())
        Messages().Erreur(this, Bilan.Erreurs.join(QStringLiteral("\r\n")));
    else if (!Bilan.cMessage.isEmpty())
        Messages().Attention(this, Bilan.cMessage);
    if (Bilan.lFait)
        accept();
}
