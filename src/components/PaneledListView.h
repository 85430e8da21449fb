#pragma once
// The thumbnail grid: equal panels, each a picture, an optional check box and a caption.
//
// The grid is a single scroll area that draws the panels visible in its viewport straight
// from its item array: an item is a few fields and its scaled thumbnail, never a widget, so
// that tens of thousands of images open, scroll and resize without delay. Every position is
// computed from an item's index, the column count and the scroll offsets.

#include "imaging/ImageChargee.h"
#include "storage/TaillesVignettes.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QMimeData;
class QPainter;
class TPaneledListView;
class TPLVListItems;

// One panel of the grid. Created and owned by the grid; its address stays valid until the
// item is removed, whatever sorts and moves happen meanwhile.
class TPLVListItem
{
public:
    TPLVListItems *Collection() const { return pCollection; }
    int Index() const { return nIndex; }

    // The scaled thumbnail (null when there is no picture) and its place inside the panel.
    const QImage &Vignette() const { return Vignette_; }
    QRect rVignette() const { return QRect(posVignette, Vignette_.size()); }
    bool AUneImage() const { return !Vignette_.isNull(); }
    // The JPEG reduction the thumbnail was made from (1, 2, 4 or 8; 1 for other pictures).
    int nEchelle() const { return nEchelle_; }

    const QString &cTitre() const { return cTitre_; }
    const QString &cBulle() const { return cBulle_; }
    bool lSelectionne() const { return lSelectionne_; }
    bool lCoche() const { return lCoche_; }

private:
    friend class TPaneledListView;
    friend class TPLVListItems;

    TPLVListItems *pCollection = nullptr;
    int nIndex = -1;
    QImage Vignette_;
    QPoint posVignette;
    QString cTitre_;
    QString cBulle_;
    qint8 nEchelle_ = 1;
    bool lSelectionne_ = false;
    bool lCoche_ = false;
    bool lVisible = true; // false for a panel added while the grid is updating
};

// The items in display order, the selected one, and the "updating" mark.
class TPLVListItems
{
public:
    int Nombre() const { return static_cast<int>(Items.size()); }
    TPLVListItem *Item(int nIndex) const
    {
        return nIndex >= 0 && nIndex < Nombre() ? Items[static_cast<size_t>(nIndex)].get() : nullptr;
    }
    TPLVListItem *Selectionne() const { return pSelectionne; }
    bool lMiseAJour() const { return lMiseAJour_; }

private:
    friend class TPaneledListView;
    void Renumerote(int nDepuis);

    std::vector<std::unique_ptr<TPLVListItem>> Items;
    TPLVListItem *pSelectionne = nullptr;
    bool lMiseAJour_ = false;
};

using TOnItemEvent = std::function<void(TPaneledListView *Sender, TPLVListItem *Item)>;
// Negative when A goes before B, zero when equal, positive after; nCle is the caller's key.
using TPLVCompare = std::function<int(const TPLVListItem *A, const TPLVListItem *B, int nCle)>;

class TPaneledListView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TPaneledListView(QWidget *parent = nullptr);
    ~TPaneledListView() override;

    // Properties.
    int _ItemDim() const { return nD; }
    void set_ItemDim(int nValeur);
    bool _Checks() const { return lChecks; }
    void set_Checks(bool lValeur);
    bool _Panels3D() const { return lPanels3D; }
    void set_Panels3D(bool lValeur);
    QColor _PanelsColor() const { return cPanels; }
    void set_PanelsColor(const QColor &Couleur);
    QColor _PanelsFontColor() const { return cPanelsFont; }
    void set_PanelsFontColor(const QColor &Couleur);
    bool _ReArrangeOnReSize() const { return lReArrangeOnReSize; }
    void set_ReArrangeOnReSize(bool lValeur) { lReArrangeOnReSize = lValeur; }
    bool _ReturnIsDblClick() const { return lReturnIsDblClick; }
    void set_ReturnIsDblClick(bool lValeur) { lReturnIsDblClick = lValeur; }
    bool _ShowSelectedOnResize() const { return lShowSelectedOnResize; }
    void set_ShowSelectedOnResize(bool lValeur) { lShowSelectedOnResize = lValeur; }
    bool _UnSelectOnClickOut() const { return lUnSelectOnClickOut; }
    void set_UnSelectOnClickOut(bool lValeur) { lUnSelectOnClickOut = lValeur; }
    // The grid's own background, behind and between the panels.
    QColor CouleurFond() const { return cFond; }
    void setCouleurFond(const QColor &Couleur);

    // Item events; none is fired while a handler of the same grid is running a selection
    // change (see Selectionne).
    TOnItemEvent _OnItemChange;
    TOnItemEvent _OnItemCheck;
    TOnItemEvent _OnItemUnCheck;
    TOnItemEvent _OnItemDblClick;
    TOnItemEvent _OnItemMouseMove;

    // Items.
    const TPLVListItems &Items() const { return Liste; }
    int Nombre() const { return Liste.Nombre(); }
    TPLVListItem *Item(int nIndex) const { return Liste.Item(nIndex); }
    TPLVListItem *ItemSelectionne() const { return Liste.pSelectionne; }
    int IndexSelectionne() const { return Liste.pSelectionne ? Liste.pSelectionne->nIndex : -1; }

    TPLVListItem *Ajoute();
    // Inserts an item at nIndex (clamped to 0..Nombre()); the items from there move one place on.
    TPLVListItem *Insere(int nIndex);
    // Moves the item at nDe to nVers, the others keeping their order.
    void Deplace(int nDe, int nVers);
    void Vide();
    void Supprime(TPLVListItem *pItem);
    void Debut();
    void Fin();
    void Reorganise();
    void Trie(int nCle, bool lMontre, const TPLVCompare &Compare);
    // Puts the items in an order decided elsewhere (a list model that sorted its rows):
    // position i receives the item that was at nAnciens[i]. False, and nothing moved, when
    // nAnciens is not a permutation of the current indexes.
    bool Reordonne(const std::vector<int> &nAnciens, bool lMontre = true);
    int ItemSous(const QPoint &ptEcran) const;
    void Selectionne(TPLVListItem *pItem);
    void Coche(TPLVListItem *pItem, bool lEtat);
    void MetImage(TPLVListItem *pItem, const TImageChargee &Image);
    void MetImage(TPLVListItem *pItem, const QImage &Image);
    void MetTitre(TPLVListItem *pItem, const QString &cTexte);
    void MetBulle(TPLVListItem *pItem, const QString &cTexte);
    void MontreItem(TPLVListItem *pItem);

    // The JPEG reduction a picture of this size should be decoded at for this grid, so that
    // loaders decode no finer than the thumbnail needs.
    int EchellePour(const TTailleImage &Taille) const;

    // Geometry, in viewport coordinates (scroll offsets applied).
    int Colonnes() const { return nColonnes; }
    int LignesVisibles() const;
    QRect rPanneau(int nIndex) const;
    QRect rCoche(int nIndex) const;
    QRect rTitre(int nIndex) const;

    // Milliseconds of a monotonic clock; the type-ahead search measures its one-second pause
    // with it. Tests give their own.
    void setHorloge(std::function<qint64()> Horloge);
    const QString &cPrefixe() const { return cPrefixe_; }

    QSize sizeHint() const override;

    // Drops: only data of one of these MIME types, only over an item (ItemSous), and only
    // when the owner's test accepts it for that item. Left empty, the grid takes no drop.
    QStringList TypesDepot;
    std::function<bool(TPLVListItem *Item, const QMimeData *Donnees)> fnPeutDeposer;
    std::function<void(TPLVListItem *Item, const QMimeData *Donnees)> fnDepose;
    // The item a drop at this screen point would land on, when it is accepted there.
    TPLVListItem *ItemDepot(const QPoint &ptEcran, const QMimeData *Donnees) const;

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    bool viewportEvent(QEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    int PasX() const { return PasXCellule(nD); }
    int PasY() const { return PasYCellule(nD); }
    int ColonnesPour(int nLargeur) const;
    int ItemAuPoint(const QPoint &ptVue) const;
    void MetAJourBarres();
    void Ajuste(TPLVListItem *pItem, const QImage &Source, qint64 w, qint64 h);
    // A mouse press: takes the focus, sends a press on a check box to the release, selects and
    // shows the item pressed and gives it back (nullptr otherwise). lHorsItems: a press outside
    // every item clears the selection when lUnSelectOnClickOut is set.
    TPLVListItem *Presse(QMouseEvent *e, bool lHorsItems);
    void RedessineItem(const TPLVListItem *pItem);
    void Declenche(const TOnItemEvent &Evenement, TPLVListItem *pItem);
    void ChercheTitre();
    void PeintPanneau(QPainter &p, const TPLVListItem &Item, const QRect &r, bool lFocus) const;

    TPLVListItems Liste;
    int nD = 160;
    int nColonnes = 1;
    bool lChecks = false;
    bool lPanels3D = true;
    bool lReArrangeOnReSize = true;
    bool lReturnIsDblClick = true;
    bool lShowSelectedOnResize = true;
    bool lUnSelectOnClickOut = true;
    QColor cPanels;
    QColor cPanelsFont;
    QColor cFond;

    QString cPrefixe_;
    qint64 nDerniereTouche = 0;
    std::function<qint64()> Horloge_;

    int nCocheAppuyee = -1; // item whose check image the mouse pressed
    int nReentree = 0;      // depth of item-change handlers running
    int nRoulette = 0;      // wheel delta not yet turned into lines
    bool lBarresEnCours = false;
    QImage imCoche[2];
};
