#pragma once
// The main window's deleting commands: the button `btSupprimeImg` of the list's tool bar (and
// "Su&pprimer..." in "&Fichiers") for the checked images, and the duplicate search of the
// tools pop-up. Both delete under the progress window "Suppression des images", Esc heard
// between images, and only in update mode. The rules live in publishing/SuppressionImages and
// Doublons; this unit asks the user, moves the gauges and refreshes the window afterwards.

#include "platform/OperationsFichiers.h"
#include "mainwindow/Fonctionnalite.h"
#include "publishing/SuppressionImages.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QDialog;
class QPushButton;
class QTreeView;
class QWidget;
class IAlbumImages;
class IOperationsFichiers;
class TContexte;
class TSelectionKX;
class TfmMainKX;
struct TEnrImgSel;

class TSuppressionImagesKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TSuppressionImagesKX(TContexte &Contexte, TSelectionKX &Selection, QTreeView *lvImgs, QWidget *Fenetre);
    ~TSuppressionImagesKX() override;

    // "Su&pprimer..." in "&Fichiers"; "&Rechercher les images en double..." in the tools pop-up.
    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    // Puts `btSupprimeImg` into the bar given (a horizontal layout), after what is there.
    void CreeBouton(QWidget *Barre);

    QPushButton *btSupprimeImg = nullptr;
    QAction *miMainFicSupprimer = nullptr;
    QAction *miOutilsDiversRechercheDoublonsImg = nullptr;

    void btSupprimeImgClick();
    void miOutilsDiversRechercheDoublonsImgClick();

    // Seams for tests: the file layer (the real one when null) and the modal showing of the
    // duplicate windows (exec by default).
    void MetOperations(IOperationsFichiers *pOperations) { m_Operations.Remplace(pOperations); }
    std::function<int(QDialog &)> fnExecute;
    int nFils = 2;
    // The image album, which loses the entries of deleted images.
    IAlbumImages *pAlbum = nullptr;

private:
    IOperationsFichiers &Operations();
    TParamsSuppression Params() const;
    void ApresLot(const TBilanSuppression &Bilan, int nCouranteAvant);
    void MajBoutons();
    QImage ImageDoublon(const TEnrImgSel &Enr) const;

    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    QPointer<QTreeView> m_lvImgs;
    QPointer<QWidget> m_Fenetre;
    TOperationsAuChoix m_Operations;
};

// Installs the deleting commands: the button in the list's tool bar, the menu items, and the
// button's state following the mode and the checks.
TSuppressionImagesKX *InstalleSuppressionImages(TfmMainKX &Main, TContexte &Contexte);
