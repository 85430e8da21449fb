#pragma once
// The "Exploration" page: the folder tree `tvReps`, the folder history `cbHistoReps`, the
// buttons "Récursivité", filter, "Explorer" and the history's clearing. Selecting a folder
// lists it through the image list; the folder shown is kept by the selection object.

#include "mainwindow/Fonctionnalite.h"

#include <QObject>
#include <QString>
#include <functional>

class QComboBox;
class QPushButton;
class TBoutonFiltresKX;
class TFiltresListeKX;
class TContexte;
class TFolderTreeView;
class TfmMainKX;
class TListeImagesKX;
class TSelectionKX;

class TExplorationKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    // Fills the page it is given.
    TExplorationKX(QWidget *Page, TContexte &Contexte, TListeImagesKX &Liste);

    TListeImagesKX &Liste() { return m_Liste; }

    // Makes a folder the tree's current one (listing it unless recursion waits for
    // "Explorer"); false when it cannot be opened.
    bool OuvreDossier(const QString &cDossier);
    std::optional<bool> OuvreDossierDemande(const QString &cDossier) override { return OuvreDossier(cDossier); }
    QString DossierCourant() const;
    // Lists the tree's current folder now.
    void ListeDossier();

    // The exploration filter: its button, and its part in every listing.
    TBoutonFiltresKX *BoutonFiltres = nullptr;
    TFiltresListeKX *FiltresListe = nullptr;

    TFolderTreeView *tvReps = nullptr;
    QComboBox *cbHistoReps = nullptr;
    QPushButton *btExplLectRecurs = nullptr;
    QPushButton *btExplFiltres = nullptr;
    QPushButton *btExplExplorer = nullptr;
    QPushButton *btSupprHisto = nullptr;

    void tvRepsChange(const QString &cDossier);
    void btExplLectRecursClick();
    void btExplExplorerClick();
    void cbHistoRepsChange(int nIndex);
    void btSupprHistoClick();

private:
    void ListeApresClic();
    void MetHistorique(const QString &cDossier);
    void RemplitHistorique();
    // Tells the selection object the folder, as it is kept for the next start.
    void PublieDossier();

    QWidget *m_Page;
    TContexte &m_Contexte;
    TListeImagesKX &m_Liste;
    TSelectionKX &m_Selection;
    QString m_cDossierListe; // the folder of the current list
    QString m_cDemande;      // the last folder asked for, as it was spelt
    bool m_lSansListe = false;
    bool m_lImmediat = false; // the tree's folder is being set by OuvreDossier
    bool m_lClicEnAttente = false;
};

// Builds the image list and the exploration page into the main window's panes and installs
// the page among the window's features.
TExplorationKX *InstalleExploration(TfmMainKX &Main, TContexte &Contexte);
