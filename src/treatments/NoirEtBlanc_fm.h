#pragma once
// The black-and-white dialog: the weights of red, green and blue, each a track bar coupled to
// a spin box, and their sum shown grey below 100, on the button face at 100, red above.

#include <QDialog>
#include <QString>

class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

class TfmNoirEtBlanc : public QDialog
{
    Q_OBJECT
public:
    // cParam: the starting text ("{ 30: 60: 10}" form); a damaged one starts at 0, 0, 0.
    explicit TfmNoirEtBlanc(const QString &cParam, QWidget *Parent = nullptr);

    // The text of the current values, "{%3d:%3d:%3d}".
    QString cParametre() const;

    QGroupBox *gbPourcentages;
    QSlider *tbPCTRouge, *tbPCTVert, *tbPCTBleu;
    QSpinBox *edPCTRouge, *edPCTVert, *edPCTBleu;
    QPushButton *btIdeal;
    QLabel *stSomme;
    QPushButton *btOK, *btAnnuler;

signals:
    // At every change of a value, with the new text (what a preview shows).
    void ParametreModifie(const QString &cParam);

private:
    void btIdealClick();
    void ValeurModifiee();
};
