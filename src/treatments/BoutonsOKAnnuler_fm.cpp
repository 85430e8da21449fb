#include "treatments/BoutonsOKAnnuler_fm.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

TBoutonsOKAnnuler CreeBoutonsOKAnnuler(QDialog *Dialogue)
{
    TBoutonsOKAnnuler b;
    b.btOK = new QPushButton(QStringLiteral("OK"), Dialogue);
    b.btOK->setObjectName(QStringLiteral("btOK"));
    b.btOK->setDefault(true);
    b.btAnnuler = new QPushButton(QStringLiteral("Annuler"), Dialogue);
    b.btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    b.Ligne = new QHBoxLayout;
    b.Ligne->addStretch();
    b.Ligne->addWidget(b.btOK);
    b.Ligne->addWidget(b.btAnnuler);
    QObject::connect(b.btOK, &QPushButton::clicked, Dialogue, &QDialog::accept);
    QObject::connect(b.btAnnuler, &QPushButton::clicked, Dialogue, &QDialog::reject);
    return b;
}
