#include "treatments/CurseurChiffre_fm.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>

TCurseurChiffre CreeCurseurChiffre(QWidget *Parent, QGridLayout *Grille, int nLigne, const QString &cLibelle, int nMin,
                                   int nMax, const QString &cNomTb, const QString &cNomEd)
{
    TCurseurChiffre c;
    c.tb = new QSlider(Qt::Horizontal, Parent);
    c.tb->setObjectName(cNomTb);
    c.tb->setRange(nMin, nMax);
    c.tb->setPageStep(10);
    c.tb->setTickPosition(QSlider::TicksBelow);
    c.tb->setTickInterval(10);
    c.tb->setMinimumWidth(200);
    c.ed = new QSpinBox(Parent);
    c.ed->setObjectName(cNomEd);
    c.ed->setRange(nMin, nMax);
    c.ed->setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
    c.ed->setKeyboardTracking(true);
    auto *Libelle = new QLabel(cLibelle, Parent);
    Libelle->setBuddy(c.ed);
    Grille->addWidget(Libelle, nLigne, 0);
    Grille->addWidget(c.tb, nLigne, 1);
    Grille->addWidget(c.ed, nLigne, 2);
    // setValue does nothing when the value is already there, so the pair settles at once.
    QObject::connect(c.tb, &QSlider::valueChanged, c.ed, &QSpinBox::setValue);
    QObject::connect(c.ed, &QSpinBox::valueChanged, c.tb, &QSlider::setValue);
    return c;
}
