#pragma once
// The settings window "Paramètres": the pages "Général", "Vignettes, Images", "Ordres" and,
// in update mode, "Données". It edits a copy of the settings (Parametres::TEtatParametres);
// the main window fills it, shows it and carries out what OK changed.

#include "storage/DeplacementDonnees.h"
#include "storage/Parametres.h"

#include <QDialog>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TColorComboBox;
class TContexte;
class TFolderTreeView;

class TfmParametres : public QDialog
{
    Q_OBJECT
public:
    explicit TfmParametres(TContexte &Contexte, QWidget *Parent = nullptr);

    // Fills every page from the state (FormCreate's part that depends on it): cLignesCoeff
    // are the key=value lines of the focal coefficients. The page "Données" is there only in
    // update mode.
    void Remplit(const Parametres::TEtatParametres &Etat, const QStringList &cLignesCoeff, bool lModeMAJ);
    // The state as the controls show it now.
    Parametres::TEtatParametres Etat() const;

    // The folder chosen on the page "Données" when OK closed the window and it differs from
    // the data folder; empty otherwise.
    QString DossierDonneesChoisi() const { return m_cDossierChoisi; }
    TSystemeDonnees SystemeDonnees() const;
    int OperationDonnees() const;

    // Puts a thumbnail look on the main grid: "Tester", and Annuler with the look it had.
    std::function<void(const TEnrParametres &Aspect)> fnAspectGrille;
    // Asks the name of a folder to create; nothing when the user cancels. Tests answer here.
    std::function<std::optional<QString>()> fnDemandeNomDossier;
    // The day the purge of old thumbnails starts from is the picker's; tests may set it.
    QDateEdit *DateSupprVigAnt() const { return dtSupprVigAnt; }

    // The item of tvGeneral at an absolute index, and the icon it shows (0, 1 or a group's).
    QTreeWidgetItem *ElementGeneral(int nElement) const;
    int IconeElement(int nElement) const;

    // Places the two item controls beside their items (hidden when their item is not shown).
    void PlaceControlesArbre();

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;
    void done(int nResultat) override;
    void resizeEvent(QResizeEvent *Evenement) override;
    void showEvent(QShowEvent *Evenement) override;

private:
    void ConstruitGeneral();
    void ConstruitVignettes();
    void ConstruitOrdres();
    void ConstruitDonnees();
    void tvGeneralBascule(QTreeWidgetItem *Item);
    void tvGeneralChange();
    void ActiveControlesArbre();
    void btVigTesterClick();
    void btVigValDefClick();
    void btSupprVigAntClick();
    void cbVFActiveClick();
    void MajBoutonsOrdre(int nListe);
    void DeplaceOrdre(int nListe, bool lMonte);
    void lbOrdreChange(int nListe, QListWidgetItem *Item);
    void btCreerDossierClick();
    void tvEmplDonChange();
    void rgDonSystemeClick();
    void lbOpDonClick();
    TEnrParametres AspectVignettes() const;
    QList<Parametres::TElementOrdre> ElementsOrdre(int nListe) const;
    void RemplitOrdre(int nListe, const QList<Parametres::TElementOrdre> &Elements, int nSelection);

    TContexte &m_Contexte;
    Parametres::TEtatParametres m_Etat; // as filled; what the controls do not show comes from here
    TEnrParametres m_AspectInitial;     // the grid's look when the window opened
    QString m_cDossierChoisi;
    bool m_lModeMAJ = true;
    bool m_lRemplissage = false;

public:
    // The controls, named as the tests find them.
    QTabWidget *pcParametres = nullptr;
    QWidget *tsGeneral = nullptr;
    QWidget *tsVignettes = nullptr;
    QWidget *tsOrdres = nullptr;
    QWidget *tsDonnees = nullptr;
    QTreeWidget *tvGeneral = nullptr;
    QComboBox *cbCoeffFoc = nullptr;
    QSpinBox *edAffLegMaxCarLig = nullptr;
    QCheckBox *cbVigPan3D = nullptr;
    TColorComboBox *cbVigCoulFond = nullptr;
    TColorComboBox *cbVigCoulPan = nullptr;
    TColorComboBox *cbVigCoulTxtPan = nullptr;
    QComboBox *cbVigTailleVigs = nullptr;
    QCheckBox *cbVigAligGauche = nullptr;
    QComboBox *cbVigLargMaxSvgTtesVig = nullptr;
    QPushButton *btVigTester = nullptr;
    QPushButton *btVigValDef = nullptr;
    QPushButton *btSupprVigAnt = nullptr;
    QDateEdit *dtSupprVigAnt = nullptr;
    TColorComboBox *cbImgFACoulFond = nullptr;
    TColorComboBox *cbImgPECoulFond = nullptr;
    QCheckBox *cbVFActive = nullptr;
    QCheckBox *cbVFAussiDepuisCD = nullptr;
    QLabel *lbVFMaxLH = nullptr;
    QSpinBox *edVFMaxLH = nullptr;
    QLabel *lbVFQuelleImg = nullptr;
    QComboBox *cbVFQuelleImg = nullptr;
    // The four order lists (columns, treatments, EXIF, IPTC) and their buttons.
    QListWidget *lbOrdre[4] = {};
    QToolButton *btOrdreHaut[4] = {};
    QToolButton *btOrdreBas[4] = {};
    TFolderTreeView *tvEmplDon = nullptr;
    QPushButton *btCreerDossier = nullptr;
    QGroupBox *rgDonSysteme = nullptr;
    QRadioButton *rbMono = nullptr;
    QRadioButton *rbMulti = nullptr;
    QListWidget *lbOpDon = nullptr;
    QLabel *stOpDon = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;
    QPushButton *btAide = nullptr;
};

// The list index of each order list.
inline constexpr int nOrdreCol = 0, nOrdreTrt = 1, nOrdreEXIF = 2, nOrdreIPTC = 3;
