#pragma once
// The command row of the page "Recherche" and the search it runs: the reset of the criteria,
// the saved searches (`cbCritEnreg`, `btSvgCritEnreg`), the criteria editor's button, the
// search button, and the actions of the search menu.
//
// The rows of the page that hold the other inputs (keywords and their operator, favourites,
// legend, description) are read and written through small providers set when those rows are
// installed; a provider left empty reads as "nothing asked" and ignores what is written.

#include "classification/IndexClassement.h"
#include "mainwindow/Fonctionnalite.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QWidget;
class TCochesCriteres;
class TContexte;
class TfmEditCritRech;
class TfmMainKX;
class TListeImagesKX;
class TRechercheKX;
class TSelectionKX;

// How the search reads and writes the rows it does not own.
struct TFournisseursRecherche
{
    std::function<QString()> fnMotsCles;
    std::function<void(const QString &)> fnMetMotsCles;
    std::function<bool()> fnOperateurET; // empty: AND
    std::function<bool()> fnCoupsDeCoeur;
    std::function<void(bool)> fnMetCoupsDeCoeur;
    std::function<QString()> fnLegende;
    std::function<void(const QString &)> fnMetLegende;
    std::function<QString()> fnDescription;
    std::function<void(const QString &)> fnMetDescription;
};

// Loads a saved search into a set of controls: this page's, or the classification window's.
// The boxes are emptied and the favourites released first (through their setters, so that
// their hints follow), then the tree is unchecked and each saved path checked as far as the
// tree still holds it.
void ChargerRecherche(const TContexte &Contexte, const QString &cNom, const TFournisseursRecherche &Controles,
                      TCochesCriteres &Coches);

// Fills a saved-search box with the names of the saved searches, sorted, keeping its text.
void RemplitNomsRecherches(QComboBox *Boite, const TContexte &Contexte);

class TCommandesRechKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TCommandesRechKX(TRechercheKX &Recherche, TContexte &Contexte, TSelectionKX &Selection, TListeImagesKX &Liste);
    ~TCommandesRechKX() override;

    TFournisseursRecherche Fournisseurs;
    // The search page's filter, set by the filters: null when inactive. fnFiltreLong tells
    // whether it has a colour or pattern part (a progress window is then shown).
    std::function<bool(qint32 nNumCD, const QString &cChemin, quint8 &nPctCouleur, quint8 &nPctMotif)> fnFiltreRech;
    std::function<bool()> fnFiltreLong;

    // What the page asks now.
    TDemandeRecherche Demande() const;
    // Runs the search into the image list. An invalid pattern is reported and the list stays
    // as it was. Returns false then.
    bool Rechercher();
    void RAZRecherche();
    // Saves under the name typed in cbCritEnreg; false when the settings could not be written
    // (the user is told, the search stays in memory).
    bool SauverRecherche();
    // Loads a saved search into this page and turns the bold indicator on.
    void ChargerRecherche(const QString &cNom);
    // The saved names again (start-up, after the criteria editor).
    void ChargeNomsRecherches();
    // The search button's hint and height, from the settings (start-up, after the settings).
    void MajBoutonRechercher();
    // Opens the criteria editor (update mode only), then refreshes once what its changes
    // reach: the search tree with its checks again, the saved lists, every row of the list,
    // the current image's classification.
    void EditeCriteres();
    // How the editor is run (tests replace it to act on the open window).
    std::function<void(TfmEditCritRech &)> fnExecEditeur;

    // Enter in this box runs the search (the keyword, legend and description boxes).
    void BrancheEntree(QWidget *Boite);

    TIndexClassement &Index();

    // Controls.
    QPushButton *btRAZCritRech = nullptr;
    QPushButton *btEditeCritRech = nullptr;
    QComboBox *cbCritEnreg = nullptr;
    QPushButton *btSvgCritEnreg = nullptr;

    // The search menu's entries: "&maintenant", "RAZ de &tous les critères", "&Editer les
    // critères de recherche", and its sub-menu "&Critères de recherche".
    QAction *miRechMaintenant = nullptr;
    QAction *miRAZTousCriteres = nullptr;
    QAction *miEditeCritRech = nullptr;
    QMenu *pmCriteresRech = nullptr;

    QList<QAction *> Actions(TEmplacementAction nPlace) override;

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    void cbCritEnregChange(const QString &cTexte);
    void MajBoutonSauver();

    TRechercheKX &m_Recherche;
    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    TListeImagesKX &m_Liste;
    std::unique_ptr<TIndexClassement> m_Index;
};

// Builds the command row into the page's pnCommandesRech and wires the search button; the
// main window installs it right after the page.
TCommandesRechKX *InstalleCommandesRech(TfmMainKX &Main, TContexte &Contexte, TRechercheKX &Recherche,
                                        TListeImagesKX &Liste);
