#include "classification/ChoixDonneesAppliquer_fm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TfmChoixDonneesAppliquer::TfmChoixDonneesAppliquer(bool lTrtDescription, QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmChoixDonneesAppliquer"));
    setWindowTitle(QStringLiteral("Choix des données à appliquer"));
    setModal(true);
    auto *Colonne = new QVBoxLayout(this);
    const QString cEffacer = QStringLiteral("Effacer les valeurs courantes avant application");
    auto Bouton = [this, Colonne](const char *cNom, const QString &cTexte) {
        auto *b = new QPushButton(cTexte, this);
        b->setObjectName(QLatin1String(cNom));
        b->setCheckable(true);
        b->setChecked(true);
        b->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 8px;"));
        Colonne->addWidget(b);
        connect(b, &QPushButton::toggled, this, &TfmChoixDonneesAppliquer::MajEtats);
        return b;
    };
    auto Case = [this, Colonne, &cEffacer](const char *cNom) {
        auto *c = new QCheckBox(cEffacer, this);
        c->setObjectName(QLatin1String(cNom));
        c->setChecked(true);
        Colonne->addWidget(c);
        Colonne->addSpacing(4);
        return c;
    };
    btCritHier = Bouton("btCritHier", QStringLiteral("Critères cochés dans l'arborescence"));
    cbEASCritHier = Case("cbEASCritHier");
    btMotsCles = Bouton("btMotsCles", QStringLiteral("Mots-clés"));
    cbEASMC = Case("cbEASMC");
    btCoupDeCoeur = Bouton("btCoupDeCoeur", QStringLiteral("Coup de coeur"));
    btLegende = Bouton("btLegende", QStringLiteral("Légende"));
    btDescription = Bouton("btDescription", QStringLiteral("Description"));
    if (!lTrtDescription) {
        btDescription->setChecked(false);
        btDescription->hide();
    }

    auto *Commandes = new QHBoxLayout;
    Commandes->addStretch(1);
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    Commandes->addWidget(btOK);
    Commandes->addWidget(btAnnuler);
    Colonne->addLayout(Commandes);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    MajEtats();
}

TChoixDonneesAppliquer TfmChoixDonneesAppliquer::Choix() const
{
    TChoixDonneesAppliquer c;
    c.lCriteres = btCritHier->isChecked();
    c.lEffacerCriteres = cbEASCritHier->isChecked();
    c.lMotsCles = btMotsCles->isChecked();
    c.lEffacerMotsCles = cbEASMC->isChecked();
    c.lCoupDeCoeur = btCoupDeCoeur->isChecked();
    c.lLegende = btLegende->isChecked();
    c.lDescription = btDescription->isChecked();
    return c;
}

void TfmChoixDonneesAppliquer::MajEtats()
{
    // Buttons set while the window is being built wait for the last one.
    if (!btOK)
        return;
    cbEASCritHier->setEnabled(btCritHier->isChecked());
    cbEASMC->setEnabled(btMotsCles->isChecked());
    btOK->setEnabled(Choix().OKPossible());
}
