#pragma once
// The contrast and luminosity dialog: six signed percentages, contrast then luminosity for red,
// green and blue, each group with "Synchroniser" (its three values move together) and "RAZ".

#include <QDialog>
#include <QString>

#include <array>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QSlider;
class QSpinBox;

class TfmContrasteLuminosite : public QDialog
{
    Q_OBJECT
public:
    // cParam: the starting text ("{%4d:...}" form); the two flags start the check boxes.
    TfmContrasteLuminosite(const QString &cParam, bool lSynchroC, bool lSynchroL, QWidget *Parent = nullptr);

    // The text of the current values, "{%4d:%4d:%4d:%4d:%4d:%4d}".
    QString cParametre() const;
    bool lSynchroC() const;
    bool lSynchroL() const;

    QGroupBox *gbContraste, *gbLuminosite;
    QSlider *tbContPCTRouge, *tbContPCTVert, *tbContPCTBleu;
    QSpinBox *edContPCTRouge, *edContPCTVert, *edContPCTBleu;
    QCheckBox *cbContSynchro;
    QPushButton *btContRAZ;
    QSlider *tbLumPCTRouge, *tbLumPCTVert, *tbLumPCTBleu;
    QSpinBox *edLumPCTRouge, *edLumPCTVert, *edLumPCTBleu;
    QCheckBox *cbLumSynchro;
    QPushButton *btLumRAZ;
    QPushButton *btOK, *btAnnuler;

signals:
    // At every change of a value, with the new text (what a preview shows).
    void ParametreModifie(const QString &cParam);

private:
    struct TGroupe
    {
        std::array<QSpinBox *, 3> ed;
        QCheckBox *cb;
    };
    void ValeurModifiee(const TGroupe &g, int nValeur);
    void SynchroCochee(const TGroupe &g, bool lCoche);
    void RAZ(const TGroupe &g);
    void MetAJour();

    TGroupe m_Cont, m_Lum;
    bool m_lSynchronise = false;
};
