#pragma once
// The channel dialog: three groups of toggle buttons (dominant colour, channel assignment,
// channel swap), at most one down per group, applied in the order the "Ordre" list gives,
// which is also the order the groups are laid out in.

#include <QDialog>
#include <QList>
#include <QString>

class QGroupBox;
class QListWidget;
class QPushButton;
class QVBoxLayout;

class TfmCanaux : public QDialog
{
    Q_OBJECT
public:
    // cParam: the starting text ("{D=0:A=0:I=0}" form); unknown or repeated letters fall back
    // to the missing groups in D, A, I order.
    explicit TfmCanaux(const QString &cParam, QWidget *Parent = nullptr);

    // The groups in their order, each with the digit of its button down (0 when none).
    QString cParametre() const;

    QGroupBox *gbDominantes, *gbAffectations, *gbInversions;
    QPushButton *btDomRouge, *btDomVerte, *btDomBleue, *btDomViolette, *btDomJaune, *btDomCyan;
    QPushButton *btAffRougeVert, *btAffRougeBleu, *btAffVertRouge, *btAffVertBleu, *btAffBleuRouge, *btAffBleuVert;
    QPushButton *btInvRougeVert, *btInvRougeBleu, *btInvVertBleu;
    QGroupBox *gbOrdre;
    QListWidget *lbOrdre;
    QPushButton *btOrdreHaut, *btOrdreBas;
    QPushButton *btOK, *btAnnuler;

signals:
    // At every change of a button or of the order, with the new text (what a preview shows).
    void ParametreModifie(const QString &cParam);

private:
    struct TGroupe
    {
        QChar cLettre;
        QGroupBox *gb;
        QList<QPushButton *> Boutons; // in the order of the digits
    };
    TGroupe *GroupeDe(QChar cLettre);
    void BoutonBascule(TGroupe &g, QPushButton *bt, bool lEnfonce);
    void DeplaceOrdre(int nSens);
    void DisposeGroupes();
    void EtatBoutonsOrdre();
    void MetAJour();

    QList<TGroupe> m_Groupes; // D, A, I
    QVBoxLayout *m_Colonne = nullptr;
};
