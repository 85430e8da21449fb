#pragma once
// The thumbnail grid: equal panels, each a picture, an optional check box and a caption.
//
// The grid is a single scroll area that draws the panels visible in its viewport straight
// from its item array: an item is a few fields and its thumbnail kept compressed, never a
// widget, so that tens of thousands of images open, scroll and resize without delay. Every
// position is computed from an item's index, the column count and the scroll offsets.
//
// Only the panels in view and one screen around them hold decoded pixels: the visible ones are
// decoded when painted, the others by a worker thread after each scroll, so that paging finds
// its next screen ready. Everything else stays as JPEG bytes (or a shared placeholder).

#include "imaging/ImageChargee.h"
#include "imaging/VignetteCompacte.h"
#include "storage/TaillesVignettes.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QThreadPool>
#include <QStringList>

#include <atomic>
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

    // The thumbnail as shown, after the grid's transform hook: from the decoded panels when it
    // is among them, else decoded now (and not kept). Null when there is no picture or its
    // bytes cannot be decoded.
    QImage Vignette() const;
    // What the item keeps: the bytes or shared pixels, and the size they are shown at.
    const TVignetteCompacte &VignetteCompacte() const { return Compacte_; }
    // The thumbnail's place inside the panel.
    QRect rVignette() const;
    bool AUneImage() const { return !Compacte_.Vide() && !lIllisible_; }
    // True while the item holds decoded pixels (it is in view or near it).
    bool lDecodee() const { return !Decodee_.isNull(); }
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
    quint64 nSerie = 0; // tells a decoding that comes back late whether its item is still there
    TVignetteCompacte Compacte_;
    QImage Decodee_;                  // the decoded thumbnail while among the decoded panels
    mutable bool lIllisible_ = false; // its bytes would not decode: shown empty until replaced
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
    friend class TPLVListItem;
    void Renumerote(int nDepuis);

    std::vector<std::unique_ptr<TPLVListItem>> Items;
    TPaneledListView *pGrille = nullptr;
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
    // Pixels handed over are fitted and kept as they are.
    void MetImage(TPLVListItem *pItem, const TImageChargee &Image);
    void MetImage(TPLVListItem *pItem, const QImage &Image);
    // A compressed thumbnail (bytes of a cache file, or a shared placeholder) is kept as it is
    // and shown fitted into D × D from its own proportions; nothing is decoded here.
    void MetImage(TPLVListItem *pItem, const TVignetteCompacte &Vignette);
    void MetTitre(TPLVListItem *pItem, const QString &cTexte);
    void MetBulle(TPLVListItem *pItem, const QString &cTexte);
    // The hint of an item that has none of its own, made when it is shown.
    std::function<QString(int nItem)> fnBulle;
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

    // Applied to every thumbnail once decoded, before it is shown or handed out (the image's
    // treatments); it may change the picture's size. Call OublieDecodees after changing what
    // it does.
    std::function<void(const TPLVListItem &Item, QImage &Image)> fnTransformeVignette;
    // Drops every decoded panel: the visible ones are decoded again when painted.
    void OublieDecodees();
    // Drops one item's decoded pixels, so that it is decoded (and transformed) again when
    // painted; its stored thumbnail stays.
    void OublieDecodee(TPLVListItem *pItem);
    // How many items hold decoded pixels; whether the worker is still decoding around the view.
    int NombreDecodees() const { return static_cast<int>(m_Decodees.size()); }
    bool RemplissageEnCours() const { return m_nTravaux.load() > 0; }
    // Waits for the worker and takes in what it decoded (benchmarks, tests).
    void AttendRemplissage();

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

signals:
    // The bytes of an item's thumbnail would not decode (a damaged cache file); the item shows
    // no picture until it is given another. Sent from the event loop, once per failure.
    void VignetteIllisible(TPLVListItem *pItem);

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
    void MetCompacte(TPLVListItem *pItem, const TVignetteCompacte &Vignette);
    friend class TPLVListItem;
    QImage VignetteDe(const TPLVListItem &Item) const;
    QPoint PosVignette(QSize Taille) const;
    // The items, in index order, that hold decoded pixels: the rows in view and one screen
    // above and below them.
    void FenetreDecodage(int &nDebut, int &nFin) const;
    // Decodes the items given on this thread and one helper, applies the hook and keeps them.
    void DecodeEtGarde(const std::vector<TPLVListItem *> &Items);
    void Garde(TPLVListItem *pItem, QImage Image);
    void Oublie(TPLVListItem *pItem);
    void Illisible(const TPLVListItem &Item) const;
    void SignaleIllisibles();
    // After a scroll or a change of layout: drops what left the window and asks the worker for
    // what entered it.
    void PrevoitRemplissage();
    void Remplit();
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

    quint64 m_nSerieSuivante = 1;
    std::vector<TPLVListItem *> m_Decodees;
    bool m_lRemplissagePrevu = false;
    mutable std::vector<quint64> m_Illisibles; // reported from the event loop
    mutable bool m_lIllisiblesPrevus = false;
    // A newer request makes the worker drop the older one.
    std::shared_ptr<std::atomic<quint64>> m_nGeneration = std::make_shared<std::atomic<quint64>>(0);
    std::atomic<int> m_nTravaux{0};
    QThreadPool m_Pool; // one thread: the decoding ahead
};
