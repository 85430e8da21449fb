#pragma once
// The choice window of the application to the checked images: which parts of the search
// page's values are applied, and whether criteria and keywords replace those of the images.

#include "classification/Classement.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

class TfmChoixDonneesAppliquer : public QDialog
{
    Q_OBJECT
public:
    // Every button down and both boxes checked; the description's button is hidden (and up)
    // when descriptions are not handled.
    explicit TfmChoixDonneesAppliquer(bool lTrtDescription, QWidget *Parent = nullptr);

    TChoixDonneesAppliquer Choix() const;

    QPushButton *btCritHier = nullptr;
    QCheckBox *cbEASCritHier = nullptr;
    QPushButton *btMotsCles = nullptr;
    QCheckBox *cbEASMC = nullptr;
    QPushButton *btCoupDeCoeur = nullptr;
    QPushButton *btLegende = nullptr;
    QPushButton *btDescription = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

private:
    void MajEtats();
};
