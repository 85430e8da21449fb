#pragma once
// The page "Recherche": a command row, the criteria tree `tvCritRech` with its check boxes,
// then the rows the search fills (keywords, legend and description beside the search button,
// favourite and filter buttons). The search itself plugs into these rows later; until then
// their buttons stay disabled.
//
// The page owns the criteria tree for the window's life: every other view of it borrows it
// from here.

#include "classification/ArboCriteres.h"
#include "classification/CochesCriteres.h"
#include "mainwindow/Fonctionnalite.h"

#include <QObject>
#include <QString>
#include <QTreeWidget>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPushButton;
class TBoutonFiltresKX;
class TContexte;
class TfmMainKX;
class TLegendesRechKX;
class TMotsClesRechKX;
class TSelectionKX;

// The program's own MIME type for a criterion path being dragged.
inline const QString cMimeCritere = QStringLiteral("application/x-vimbrel-critere");
// The same for a keyword being dragged from the keyword panel.
inline const QString cMimeMotCle = QStringLiteral("application/x-vimbrel-motcle");

// The search tree: checks through TCochesCriteres, the bold indicator, the checked criteria
// as its hint, its pop-up and the drag of a criterion.
class TArbreCritRech : public QTreeWidget
{
    Q_OBJECT
public:
    TArbreCritRech(TArboCriteres &Arbo, QWidget *Parent = nullptr);

    TCochesCriteres &Coches() { return m_Coches; }
    // Rebuilds the items from the tree (after each loading; the checks were dropped).
    void Reconstruit();
    // Shows the checks again after they changed outside the tree.
    void ActualiseCoches();

    // The bold indicator: the tree's font is bold while it is on and something is checked.
    void MetIndicateurGras(bool lActif);
    bool IndicateurGras() const { return m_lIndicateurGras; }

    // What the hint shows now, recomputed only when the checks have changed.
    QString Bulle();

    // The criterion of an item (nullptr for none or an item of an earlier loading).
    TNoeudCritere *NoeudDe(const QTreeWidgetItem *Item) const;
    QTreeWidgetItem *ItemDe(const TNoeudCritere &Noeud) const;
    // Where an item's check box lies, in the viewport's coordinates.
    QRect RectCase(const QTreeWidgetItem *Item) const;

    // Dragging: allowed in update mode while the thumbnails are shown.
    void MetModeMAJ(bool lModeMAJ);
    std::function<bool()> fnVignettesVisibles;
    bool PeutGlisser() const;
    // What a drag carries: the first item's criterion path in cMimeCritere.
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &Items) const override;

    QMenu *pmCritRech = nullptr;
    QAction *miCritRechDeplier = nullptr;
    QAction *miCritRechReplier = nullptr;
    QAction *miCritRechRAZ = nullptr;
    // Enables the pop-up and its entries as the tree stands.
    void PreparePopup();

signals:
    // The checks changed through the tree (a click or the reset).
    void CochesModifiees();

protected:
    void mousePressEvent(QMouseEvent *Evenement) override;
    void mouseDoubleClickEvent(QMouseEvent *Evenement) override;
    void mouseMoveEvent(QMouseEvent *Evenement) override;
    void startDrag(Qt::DropActions Actions) override;

private:
    void Deplie(bool lDeplie);
    void RAZ();
    void MontreBulle();

    TArboCriteres &m_Arbo;
    TCochesCriteres m_Coches;
    std::vector<QTreeWidgetItem *> m_Items; // by pre-order index
    quint64 m_nGenerationItems = 0;
    bool m_lIndicateurGras = false;
    bool m_lModeMAJ = false;
    QString m_cBulle;
    quint64 m_nRevisionBulle = ~quint64(0);
};

class TRechercheKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    // Fills the page it is given; the tree is loaded by ChargeArbo().
    TRechercheKX(QWidget *Page, TContexte &Contexte, TSelectionKX &Selection);
    ~TRechercheKX() override;

    TArboCriteres &Arbo() { return *m_Arbo; }
    // Loads the tree from the settings store, expanded fully when the settings ask it; the
    // criteria editor calls it again after a change.
    void ChargeArbo();
    // The keyword row: the box's text and the operator a search reads.
    TMotsClesRechKX *MotsCles() const { return m_MotsCles; }

    TArbreCritRech *tvCritRech = nullptr;
    // Filled by the search: the command row, the keyword row, the legend and description
    // rows, and their buttons.
    QWidget *pnCommandesRech = nullptr;
    QWidget *pnMotsClesRech = nullptr;
    QWidget *pnLegendeRech = nullptr;
    QWidget *pnDescriptionRech = nullptr;
    QPushButton *btRechercher = nullptr;
    QPushButton *btCritCDC = nullptr;
    QPushButton *btRechFiltres = nullptr;
    // The search filter's button (glyph, summary, reset).
    TBoutonFiltresKX *BoutonFiltres = nullptr;
    // The legend and description rows (cbCritLeg, cbCritDes) and the favourite button.
    TLegendesRechKX *Legendes = nullptr;

    // The values the search and the application to the checked images read.
    QString LegendeRech() const;
    QString DescriptionRech() const;
    bool CoupDeCoeurRech() const;

private:
    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    std::unique_ptr<TArboCriteres> m_Arbo;
    TMotsClesRechKX *m_MotsCles = nullptr;
};

// Builds the page "Recherche" into the main window's pane, loads the criteria tree and
// installs the page among the window's features.
TRechercheKX *InstalleRecherche(TfmMainKX &Main, TContexte &Contexte);
