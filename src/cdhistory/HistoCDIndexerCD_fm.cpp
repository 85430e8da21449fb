#include "cdhistory/HistoCDIndexerCD_fm.h"

#include "calendar/VignetteFlottante_fm.h"
#include "cdhistory/IndexationCD.h"
#include "components/FolderTreeView.h"
#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "storage/Contexte.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfmHistoCDIndexerCD::TfmHistoCDIndexerCD(TContexte &Contexte, int nD, QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_nD(nD)
{
    setObjectName(QStringLiteral("fmHistoCDIndexerCD"));
    setWindowTitle(QStringLiteral("Indexer le CD..."));
    setModal(true);
    auto *Disposition = new QVBoxLayout(this);

    auto *gbCD = new QGroupBox(QStringLiteral("&CD à Indexer"), this);
    auto *CD = new QVBoxLayout(gbCD);
    tvCD = new TFolderTreeView(nullptr, gbCD);
    tvCD->setObjectName(QStringLiteral("tvCD"));
    SuivreArbreDossiers(tvCD, Contexte);
    tvCD->set_CDsOnly(true);
    tvCD->setVolumes(Contexte.Volumes.get());
    tvCD->setMinimumHeight(140);
    stCD = new QLabel(QStringLiteral("Récursivement, à partir du dossier sélectionné."), gbCD);
    stCD->setObjectName(QStringLiteral("stCD"));
    btRafrCDPresents = new QPushButton(QStringLiteral("&Rafraîchir la liste des CDs présents"), gbCD);
    btRafrCDPresents->setObjectName(QStringLiteral("btRafrCDPresents"));
    CD->addWidget(tvCD, 1);
    CD->addWidget(stCD);
    CD->addWidget(btRafrCDPresents);

    auto *gbTypes = new QGroupBox(QStringLiteral("&Types d'Images à traiter"), this);
    auto *Types = new QHBoxLayout(gbTypes);
    lbTypes = new QListWidget(gbTypes);
    lbTypes->setObjectName(QStringLiteral("lbTypes"));
    for (const QString &cType : TypesIndexationCD()) {
        auto *pItem = new QListWidgetItem(cType, lbTypes);
        pItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        pItem->setCheckState(Qt::Checked);
    }
    auto *TousAucun = new QVBoxLayout();
    btTous = new QPushButton(QStringLiteral("Tous"), gbTypes);
    btTous->setObjectName(QStringLiteral("btTous"));
    btAucun = new QPushButton(QStringLiteral("Aucun"), gbTypes);
    btAucun->setObjectName(QStringLiteral("btAucun"));
    TousAucun->addWidget(btTous);
    TousAucun->addWidget(btAucun);
    TousAucun->addStretch(1);
    Types->addWidget(lbTypes, 1);
    Types->addLayout(TousAucun);

    cbRecrVigExist = new QCheckBox(QStringLiteral("Recréer les Vignettes existantes"), this);
    cbRecrVigExist->setObjectName(QStringLiteral("cbRecrVigExist"));
    cbRecrVigExist->setChecked(true);

    auto *Bas = new QHBoxLayout();
    btCompter = new QPushButton(QStringLiteral("Compter les Images à traiter"), this);
    btCompter->setObjectName(QStringLiteral("btCompter"));
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    Bas->addWidget(btCompter);
    Bas->addStretch(1);
    Bas->addWidget(btOK);
    Bas->addWidget(btAnnuler);

    Disposition->addWidget(gbCD, 1);
    Disposition->addWidget(gbTypes);
    Disposition->addWidget(cbRecrVigExist);
    Disposition->addLayout(Bas);

    m_pJauge = new TGaugeWindow(this, Contexte.Messages.get());

    connect(btRafrCDPresents, &QPushButton::clicked, this, &TfmHistoCDIndexerCD::btRafrCDPresentsClick);
    connect(btTous, &QPushButton::clicked, this, [this] { btTousAucunClick(true); });
    connect(btAucun, &QPushButton::clicked, this, [this] { btTousAucunClick(false); });
    connect(lbTypes, &QListWidget::itemChanged, this, &TfmHistoCDIndexerCD::MajBoutons);
    connect(btCompter, &QPushButton::clicked, this, &TfmHistoCDIndexerCD::btCompterClick);
    connect(btOK, &QPushButton::clicked, this, &TfmHistoCDIndexerCD::btOKClick);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    btRafrCDPresentsClick();
}

TfmHistoCDIndexerCD::~TfmHistoCDIndexerCD() = default;

int TfmHistoCDIndexerCD::NbCoches() const
{
    int n = 0;
    for (int i = 0; i < lbTypes->count(); ++i)
        if (lbTypes->item(i)->checkState() == Qt::Checked)
            ++n;
    return n;
}

void TfmHistoCDIndexerCD::MajBoutons()
{
    const bool l = tvCD->topLevelItemCount() > 0 && NbCoches() > 0;
    btCompter->setEnabled(l);
    btOK->setEnabled(l);
}

void TfmHistoCDIndexerCD::btRafrCDPresentsClick()
{
    tvCD->Remplit();
    if (tvCD->topLevelItemCount() > 0)
        tvCD->setCurrentItem(tvCD->topLevelItem(0));
    MajBoutons();
}

void TfmHistoCDIndexerCD::btTousAucunClick(bool lCocher)
{
    {
        const QSignalBlocker Bloque(lbTypes);
        for (int i = 0; i < lbTypes->count(); ++i)
            lbTypes->item(i)->setCheckState(lCocher ? Qt::Checked : Qt::Unchecked);
    }
    MajBoutons();
}

namespace
{
TParamsIndexationCD Params(TContexte &Contexte, const QListWidget *lbTypes, bool lRecreer, int nD)
{
    TParamsIndexationCD p;
    for (int i = 0; i < lbTypes->count(); ++i)
        p.TypesCoches << (lbTypes->item(i)->checkState() == Qt::Checked);
    p.lRecrVigExist = lRecreer;
    p.Vignettes.cDossierVignettes = Contexte.Dossiers.cDossierVignettes;
    p.Vignettes.nD = nD;
    p.Vignettes.lLireVigDsTHM = Contexte.Parametres.lLireVigDsTHM;
    p.Focale.iniCFAPN = Contexte.iniCFAPN.get();
    p.Focale.lCoeffFocDansTable = Contexte.Parametres.lCoeffFocDansTable;
    p.lTrtDescription = Contexte.Parametres.lTrtDescription;
    p.pDescriptions = Contexte.Descriptions.get();
    p.pAppareils = &Contexte.Appareils;
    return p;
}
} // namespace

qint64 TfmHistoCDIndexerCD::Compte()
{
    if (!m_Contexte.iniSetup || !m_Contexte.Volumes || tvCD->DossierCourant().isEmpty())
        return 0;
    TIndexationCD x(*m_Contexte.iniSetup, *m_Contexte.Volumes,
                    Params(m_Contexte, lbTypes, cbRecrVigExist->isChecked(), m_nD));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const qint64 n = x.Compte(tvCD->DossierCourant());
    QApplication::restoreOverrideCursor();
    return n;
}

void TfmHistoCDIndexerCD::btCompterClick()
{
    MessagesDe(m_Contexte).Information(this, QStringLiteral("%1 Image(s) à traiter.").arg(Compte()));
}

bool TfmHistoCDIndexerCD::Indexe()
{
    IMessages &Messages = MessagesDe(m_Contexte);
    const QString cDossier = tvCD->DossierCourant();
    const qint64 nCompte = Compte();
    if (nCompte == 0) {
        Messages.Attention(this, QStringLiteral("Aucune image à traiter."));
        return false;
    }
    TIndexationCD x(*m_Contexte.iniSetup, *m_Contexte.Volumes,
                    Params(m_Contexte, lbTypes, cbRecrVigExist->isChecked(), m_nD));
    const int nMax = int(std::min<qint64>(nCompte, INT_MAX));
    int nPosition = 0;
    x.Avance = [this, &nPosition] { m_pJauge->set_GaugeCurValue(++nPosition); };
    x.Interrompre = [this] { return m_pJauge->Interrompu(); };
    m_pJauge->Demarre(QStringLiteral("Indexation du CD - %1 Image(s)").arg(nCompte), 1, 1, nMax);
    const TBilanIndexationCD Bilan = x.Indexe(cDossier);
    m_pJauge->Arrete();
    if (!Bilan.cErreur.isEmpty())
        Messages.Erreur(this, Bilan.cErreur);
    if (Bilan.nEchecs > 0)
        Messages.Attention(this, QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(Bilan.nEchecs));
    return Bilan.nTraitees > 0 || Bilan.nDejaLa > 0 || Bilan.lLabelEcrit;
}

void TfmHistoCDIndexerCD::btOKClick()
{
    if (Indexe())
        accept();
    else
        reject();
}
