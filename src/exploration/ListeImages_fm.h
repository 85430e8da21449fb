#pragma once
// The main window's image list: the list view `lvImgs` (details) and its icon views, the
// thumbnail grid `plvVigs` kept item for item in step with the list model, checking, the
// pop-up menus (with the actions the installed features add), the caption, and the window
// side of building a list (cursor, Esc, colours, thumbnails, first entry). The current entry
// it shows is reported to the window's selection object.

#include "exploration/ListeImages.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QListView;
class QMenu;
class QMouseEvent;
class QPushButton;
class QTreeView;
class TContexte;
class TGaugeWindow;
class TfmMainKX;
class TPaneledListView;
class TPLVListItem;
class TSelectionKX;

class TListeImagesKX : public QObject
{
    Q_OBJECT
public:
    TListeImagesKX(TfmMainKX &Main, TContexte &Contexte);
    ~TListeImagesKX() override;

    TModeleListeImages &Modele() { return m_Modele; }
    TSelectionKX &Selection() { return m_Selection; }
    TContexteListe &ContexteListe() { return m_Ctx; }
    // The progress window of a listing with a colour or pattern filter, while it runs.
    const TGaugeWindow *JaugeListage() const { return m_Jauge.get(); }

    // Builds the list in a mode (window disabled, wait cursor, Esc stops), then the
    // thumbnails, the first entry, the caption. Returns the row count, or -1 when a long task
    // runs: the listing is then made once it has returned.
    int ConstruitListe(const TDemandeListe &Demande);

    void TrieListe();
    void BasculeCoche(int nLigne);
    void CocheSelon(bool lCocher, int nCritere);
    void ColonnesListe(const QString &cNouvelOrdre);
    // 0 icons, 1 small icons, 2 list, 3 details.
    void MetStyle(int nStyle);
    int Style() const { return m_nStyle; }
    int LigneCourante() const;
    void SelectionneLigne(int nLigne);
    void MetCaption();

    // Thumbnails of the whole list after a listing, before its first entry is shown; returns
    // the rows kept. One step of the listing, which the thumbnail commands fill when installed.
    std::function<int()> fnChargeVignettes;

    // Controls.
    QTreeView *lvImgs = nullptr;
    QListView *lvImgsIcones = nullptr; // the icons, small icons and list styles
    TPaneledListView *plvVigs = nullptr;
    QMenu *pmImgs = nullptr;
    QMenu *pmMenuCocheDeCocheImgs = nullptr;
    QMenu *pmVigs = nullptr;
    QPushButton *btCocheTtesImgs = nullptr;
    QPushButton *btDeCocheTtesImgs = nullptr;
    QPushButton *btMenuCocheTtesImgs = nullptr;
    QPushButton *btMenuDeCocheTtesImgs = nullptr;

    // Events.
    void lvImgsColumnClick(int nColonne);
    void lvImgsChange(int nLigne);
    void lvImgsDblClick();
    void pmImgsPopup(const QPoint &ptEcran);
    void miImgsTrierSurClick(int nCle);
    void miImgsColClick(QChar cLettre);
    void miImgsAffClick(int nStyle);
    void miImgsAffBullesAideClick();
    void btCocheDeCocheTtesImgsClick(bool lCocher);
    void btMenuCocheDeCocheTtesImgsClick(QPushButton *Bouton, bool lCocher);
    void pmVigsPopup(const QPoint &ptEcran);
    // Fills the pop-up for the grid (or the image pane) without showing it; its entry count.
    int pmVigsDeroule(bool lPanneau);

signals:
    // A row was double-clicked: the criteria editor opens on it.
    void LigneActivee(int nLigne);

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    void ConstruitControles();
    void BrancheGrille();
    void AppliqueColonnes();
    void MajBoutons();
    int LigneSousCoche(const QPoint &ptVue) const;
    bool lvImgsMouseDown(QMouseEvent *e);
    bool lvImgsMouseMove(QMouseEvent *e);
    bool InterrompreListage();

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    TModeleListeImages &m_Modele;
    TContexteListe m_Ctx;
    int m_nStyle = 3;
    bool m_lListage = false;
    bool m_lEchap = false;
    std::unique_ptr<TGaugeWindow> m_Jauge;
    int m_nJauge = 0;
    bool m_lSansRetour = false;    // a selection made by code: no echo to the other view
    QObject *m_pDetails = nullptr; // lvImgs and its viewport, as the event filter sees them
    QObject *m_pVueDetails = nullptr;
};
