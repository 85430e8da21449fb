#pragma once
// The bottom row of the treatment dialogs: "OK", the default button, accepts the dialog and
// "Annuler" rejects it, both at the right.

class QDialog;
class QHBoxLayout;
class QPushButton;

struct TBoutonsOKAnnuler
{
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;
    QHBoxLayout *Ligne = nullptr; // for the caller to place in its layout
};

TBoutonsOKAnnuler CreeBoutonsOKAnnuler(QDialog *Dialogue);
