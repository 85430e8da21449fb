#pragma once
// The copying window `TfmCopieImg` and the main window's command that opens it (`btCopieImg`
// in the list's bar, "&Copier..." in "&Fichiers"). The window chooses the destination and the
// options and walks the user through the two steps of a copy to a CD; the rules live in
// publishing/CopieImages.

#include "platform/OperationsFichiers.h"
#include "mainwindow/Fonctionnalite.h"
#include "platform/Volumes.h"
#include "publishing/CopieImages.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeView;
class QWidget;
class IAlbumImages;
class IOperationsFichiers;
class TContexte;
class TFolderTreeView;
class TSelectionKX;
class TfmMainKX;

class TfmCopieImg : public QDialog
{
    Q_OBJECT
public:
    // cDossierDepart: the folder selected in the main tree (a CD folder starts on its root).
    TfmCopieImg(TContexte &Contexte, const TPreparationCopie &Preparation, const QString &cDossierDepart,
                QWidget *Parent = nullptr);
    ~TfmCopieImg() override;

    QTabWidget *pcPages = nullptr;
    QWidget *tsParams = nullptr;
    QWidget *tsMsgCopieCD = nullptr;
    QWidget *tsChoixDossierCD = nullptr;
    TFolderTreeView *tvDosDst = nullptr;
    QPushButton *btCreerDossier = nullptr;
    QLabel *stPlaceDispo = nullptr;
    QLabel *stMsgCDSel = nullptr;
    QCheckBox *cbVidDosAvtCopie = nullptr;
    QCheckBox *cbCopieCriteres = nullptr;
    QCheckBox *cbEffTrt = nullptr;
    QLabel *stMsgCopieCD = nullptr;
    QPushButton *btCopiePPNomFic = nullptr;
    QLabel *stChoixDossierCD = nullptr;
    TFolderTreeView *tvChoixDossierCD = nullptr;
    QPushButton *btPrec = nullptr;
    QPushButton *btSuiv = nullptr;
    QPushButton *btCopier = nullptr;
    QPushButton *btQuitter = nullptr;

    void btPrecClick();
    void btSuivClick();
    void btCreerDossierClick();
    void btCopiePPNomFicClick();
    void btCopierClick();

    // Seams: the name asked by "Créer un dossier..." (nullopt: cancelled), the file layer (the
    // real one when null), the settings of the copy before it starts (tests add their damage
    // there), the mouse over either folder tree (where the floating thumbnail hooks).
    std::function<std::optional<QString>()> fnDemandeNomDossier;
    void MetOperations(IOperationsFichiers *pOperations) { m_Operations.Remplace(pOperations); }
    std::function<void(TParamsCopie &)> fnAjusteParams;
    // The image album, emptied of the images of a folder emptied before the copy.
    IAlbumImages *pAlbum = nullptr;
    std::function<void(QWidget *Arbre, const QPoint &Position)> fnSurvolArbre;

    // What the last copy did (nImages 0 while none ran).
    const TBilanCopie &Bilan() const { return m_Bilan; }
    // The destination state, made again after every change of folder, box or tab.
    void MajEtat();

protected:
    bool eventFilter(QObject *Objet, QEvent *e) override;

private:
    TVolume VolumeDestination() const;
    void MontreArbreCD();
    IOperationsFichiers &Operations();
    TParamsCopie Params() const;

    TContexte &m_Contexte;
    TPreparationCopie m_Preparation;
    TOperationsAuChoix m_Operations;
    TBilanCopie m_Bilan;
    quint32 m_nSerieArbreCD = 0;
};

class TCopieImagesKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TCopieImagesKX(TContexte &Contexte, TSelectionKX &Selection, QWidget *Fenetre);

    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    // Puts `btCopieImg` into the bar given (a horizontal layout), after what is there.
    void CreeBouton(QWidget *Barre);

    QPushButton *btCopieImg = nullptr;
    QAction *miMainFicCopier = nullptr;

    void btCopieImgClick();
    // How the window is shown (exec by default); tests drive it instead.
    std::function<int(TfmCopieImg &)> fnExecute;
    IAlbumImages *pAlbum = nullptr;

private:
    void MajBoutons();

    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    QPointer<QWidget> m_Fenetre;
};

// Installs the copy command: the button in the list's bar, the menu item, the button's state
// following the checks.
TCopieImagesKX *InstalleCopieImages(TfmMainKX &Main, TContexte &Contexte);
