#pragma once
// The window that copies one kind of the images' data into others, or deletes kinds of data,
// for the images chosen in the current list; and the tools pop-up entry that opens it (update
// mode only). The batch itself is GestionDonnees.

#include "mainwindow/Fonctionnalite.h"
#include "metadata/GestionDonnees.h"

#include <QDialog>
#include <QList>
#include <QObject>

#include <functional>

class IAlbumImages;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TChoixImages;
class TPaneledListView;
class TContexte;
class TModeleListeImages;
class TfmMainKX;

class TfmGereDonGeneEtMD : public QDialog
{
    Q_OBJECT
public:
    // pGrille: the main grid, whose look the choice list's thumbnail takes.
    TfmGereDonGeneEtMD(TContexte &Contexte, TModeleListeImages &Modele, const TPaneledListView *pGrille,
                       QWidget *Parent = nullptr);

    // The parameters as the controls stand.
    TParamsGestion Params() const;
    // Runs the batch over the checked images (after the question); true when it ran.
    bool btTraiterClick();
    void MajBoutons();

    // Called for each image the batch changed (its row in the main list), after the row was
    // refreshed.
    std::function<void(int nLigne, const TImageGestion &Image)> fnImageModifiee;
    // Whether something was written since the window opened.
    bool QuelqueChoseTraite() const { return m_lTraite; }

    QRadioButton *rbCopier = nullptr;
    QRadioButton *rbSupprimer = nullptr;
    QPushButton *btCopSrcCH = nullptr, *btCopSrcMC = nullptr, *btCopSrcLeg = nullptr, *btCopSrcDes = nullptr,
                *btCopSrcComEXIF = nullptr, *btCopSrcLegIPTC = nullptr, *btCopSrcMCIPTC = nullptr,
                *btCopSrcCatIPTC = nullptr, *btCopSrcConst = nullptr;
    QLineEdit *edCopSrcConst = nullptr;
    QLabel *lbVers = nullptr;
    QPushButton *btCopDstMC = nullptr, *btCopDstLeg = nullptr, *btCopDstDes = nullptr, *btCopDstLegIPTC = nullptr,
                *btCopDstMCIPTC = nullptr, *btCopDstCatIPTC = nullptr;
    QPushButton *btSupMC = nullptr, *btSupLeg = nullptr, *btSupDes = nullptr, *btSupLegIPTC = nullptr,
                *btSupMCIPTC = nullptr, *btSupCatIPTC = nullptr;
    QPushButton *btTraiter = nullptr;
    QPushButton *btQuitter = nullptr;
    // The image choice: the main list's rows, none checked at start.
    TChoixImages *ChoixImages = nullptr;

private:
    void SourceChoisie();

    TContexte &m_Contexte;
    TModeleListeImages &m_Modele;
    QButtonGroup *m_pSources = nullptr;
    QList<std::pair<QPushButton *, TSourceGestion>> m_Sources;
    QList<std::pair<QPushButton *, int>> m_Destinations;
    QList<std::pair<QPushButton *, int>> m_Suppressions;
    bool m_lTraite = false;
};

// The tools pop-up entry "&Gérer les données générales et méta-données...".
class TGereDonGeneEtMDKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TGereDonGeneEtMDKX(TfmMainKX &Main, TContexte &Contexte, IAlbumImages *pAlbum);
    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    void Ouvre();

    QAction *miOutilsDiversGereDonGeneEtMD = nullptr;
    // How the window is run; exec() by default (tests drive it without blocking).
    std::function<void(TfmGereDonGeneEtMD &Fenetre)> fnExecute;

private:
    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    IAlbumImages *m_pAlbum;
};

TGereDonGeneEtMDKX *InstalleGereDonGeneEtMD(TfmMainKX &Main, TContexte &Contexte, IAlbumImages *pAlbum);
