#include "treatments/NoirEtBlanc_fm.h"

#include "treatments/BoutonsOKAnnuler_fm.h"
#include "treatments/CurseurChiffre_fm.h"
#include "treatments/Traitements.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

TfmNoirEtBlanc::TfmNoirEtBlanc(const QString &cParam, QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmNoirEtBlanc"));
    setWindowTitle(QStringLiteral("Noir et Blanc"));
    setModal(true);

    gbPourcentages = new QGroupBox(QStringLiteral("Pourcentages"), this);
    gbPourcentages->setObjectName(QStringLiteral("gbPourcentages"));
    auto *Grille = new QGridLayout(gbPourcentages);
    const TCurseurChiffre r = CreeCurseurChiffre(gbPourcentages, Grille, 0, QStringLiteral("&Rouge"), 0, 100,
                                                 QStringLiteral("tbPCTRouge"), QStringLiteral("edPCTRouge"));
    const TCurseurChiffre v = CreeCurseurChiffre(gbPourcentages, Grille, 1, QStringLiteral("&Vert"), 0, 100,
                                                 QStringLiteral("tbPCTVert"), QStringLiteral("edPCTVert"));
    const TCurseurChiffre b = CreeCurseurChiffre(gbPourcentages, Grille, 2, QStringLiteral("&Bleu"), 0, 100,
                                                 QStringLiteral("tbPCTBleu"), QStringLiteral("edPCTBleu"));
    tbPCTRouge = r.tb, edPCTRouge = r.ed;
    tbPCTVert = v.tb, edPCTVert = v.ed;
    tbPCTBleu = b.tb, edPCTBleu = b.ed;

    btIdeal = new QPushButton(QStringLiteral("&Idéal"), gbPourcentages);
    btIdeal->setObjectName(QStringLiteral("btIdeal"));
    stSomme = new QLabel(gbPourcentages);
    stSomme->setObjectName(QStringLiteral("stSomme"));
    stSomme->setAlignment(Qt::AlignCenter);
    stSomme->setAutoFillBackground(true);
    stSomme->setFrameShape(QFrame::StyledPanel);
    stSomme->setMinimumWidth(110);
    Grille->addWidget(btIdeal, 3, 0, 1, 1);
    Grille->addWidget(stSomme, 3, 1, 1, 2, Qt::AlignRight);

    const TBoutonsOKAnnuler Bas = CreeBoutonsOKAnnuler(this);
    btOK = Bas.btOK, btAnnuler = Bas.btAnnuler;
    auto *Principal = new QVBoxLayout(this);
    Principal->addWidget(gbPourcentages);
    Principal->addLayout(Bas.Ligne);
    Principal->setSizeConstraint(QLayout::SetFixedSize);

    const TParamNB p = LitParamNB(cParam);
    edPCTRouge->setValue(p.nRouge);
    edPCTVert->setValue(p.nVert);
    edPCTBleu->setValue(p.nBleu);
    ValeurModifiee();

    for (QSpinBox *ed : {edPCTRouge, edPCTVert, edPCTBleu})
        connect(ed, &QSpinBox::valueChanged, this, &TfmNoirEtBlanc::ValeurModifiee);
    connect(btIdeal, &QPushButton::clicked, this, &TfmNoirEtBlanc::btIdealClick);
}

QString TfmNoirEtBlanc::cParametre() const
{
    return TexteParamNB({edPCTRouge->value(), edPCTVert->value(), edPCTBleu->value()});
}

void TfmNoirEtBlanc::btIdealClick()
{
    edPCTRouge->setValue(30);
    edPCTVert->setValue(60);
    edPCTBleu->setValue(10);
}

void TfmNoirEtBlanc::ValeurModifiee()
{
    const int nSomme = edPCTRouge->value() + edPCTVert->value() + edPCTBleu->value();
    stSomme->setText(QStringLiteral("Somme = %1").arg(nSomme));
    QPalette Palette = stSomme->palette();
    const QColor Fond = nSomme < 100    ? QColor(128, 128, 128)
                        : nSomme == 100 ? palette().color(QPalette::Button)
                                        : QColor(Qt::red);
    Palette.setColor(QPalette::Window, Fond);
    stSomme->setPalette(Palette);
    emit ParametreModifie(cParametre());
}
