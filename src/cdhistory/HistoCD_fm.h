#pragma once
// The page "CDs": the CD history as a tree (`tvHistoCD`), rebuilt from the settings store each
// time the page comes to the front; selecting a folder lists its images, present disc or not.
// Its pop-up leads to the indexing of a disc and to the maintenance of the history.

#include "cdhistory/ArboCD.h"
#include "mainwindow/Fonctionnalite.h"

#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QDialog;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TBoutonFiltresKX;
class TContexte;
class TfmMainKX;
class TListeImagesKX;
class TSelectionKX;

class THistoCDKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    // fnTailleVignettes: the main grid's thumbnail size, which indexing makes its thumbnails at.
    THistoCDKX(QWidget *Page, TContexte &Contexte, TListeImagesKX &Liste, std::function<int()> fnTailleVignettes);

    // Rebuilds the tree from TAILLES VIGNETTES and LABELS CD, selecting the remembered place.
    void ConstruitArboCD();
    // The node of the selected item (null for none).
    const TNoeudCD *NoeudCourant() const;
    // The node an item of tvHistoCD stands for (null for none).
    static const TNoeudCD *NoeudDe(const QTreeWidgetItem *pItem);
    QTreeWidgetItem *ItemDe(const TNoeudCD *pNoeud) const;
    const TEnrHistoCD &Place() const { return m_Place; }
    // Remembers the selected node's place and leaves the page.
    void QuittePage();
    // Recomputes the pop-up's enabling, as when it opens.
    void MajPopup();
    // Lists the selected node's images (recursively when "Récursivité" is down).
    void ListeNoeud();
    // Opens the indexing dialog; rebuilds the tree when it ends with OK.
    void IndexerCD();

    QTreeWidget *tvHistoCD = nullptr;
    QPushButton *btHistoLectRecurs = nullptr;
    QPushButton *btHistoFiltres = nullptr;
    QPushButton *btHistoExplorer = nullptr;
    TBoutonFiltresKX *BoutonFiltres = nullptr;
    QMenu *pmHistoCD = nullptr;
    QAction *miHistoCDDeplier = nullptr;
    QAction *miHistoCDIndexer = nullptr;
    QAction *miHistoCDRecreer = nullptr;
    QMenu *miHistoCDSupprimer = nullptr;
    QAction *miHistoCDSupprimerDos = nullptr;
    QAction *miHistoCDSupprimerDosFils = nullptr;
    QAction *miHistoCDSupprimerObs = nullptr;
    QAction *miHistoCDImgSsCrit = nullptr;
    QAction *miHistoCDRemplacer = nullptr;

    void tvHistoCDChange();
    void tvHistoCDMouseMove(const QPoint &ptVue);
    void btHistoLectRecursClick();
    void btHistoExplorerClick();
    void miHistoCDDeplierClick();
    // Remakes the thumbnail of every row of the image list under the progress window.
    void miHistoCDRecreerClick();
    // Removes images from the history: nPortee is a TPorteeSuppressionCD.
    void miHistoCDSupprimerClick(int nPortee);
    void miHistoCDImgSsCritClick();
    void miHistoCDRemplacerClick();

    // Seams the tests fill: the windows are shown modal through these (default: exec).
    std::function<int(QDialog &)> fnExecute;

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    TNoeudCD *NoeudModifiable();
    int TailleVignettes() const;
    int Execute(QDialog &Fenetre);

    QWidget *m_Page;
    TContexte &m_Contexte;
    TListeImagesKX &m_Liste;
    TSelectionKX &m_Selection;
    std::function<int()> m_fnTailleVignettes;
    TArboCD m_Arbo;
    TEnrHistoCD m_Place;
    bool m_lConstruction = false;
};

// Fills the page "CDs" of the main window and installs it among the window's features.
THistoCDKX *InstalleHistoCD(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste);
