#pragma once
// A track bar and a spin box showing one value, as the treatment dialogs pair them: moving
// one moves the other, and a spin box left empty gets its value back when it loses the focus.

#include <QString>

class QGridLayout;
class QSlider;
class QSpinBox;
class QWidget;

struct TCurseurChiffre
{
    QSlider *tb = nullptr;
    QSpinBox *ed = nullptr;
};

// Makes the pair (named cNomTb and cNomEd) on row nLigne of Grille, after a label cLibelle.
TCurseurChiffre CreeCurseurChiffre(QWidget *Parent, QGridLayout *Grille, int nLigne, const QString &cLibelle, int nMin,
                                   int nMax, const QString &cNomTb, const QString &cNomEd);
