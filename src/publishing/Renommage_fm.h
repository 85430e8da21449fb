#pragma once
// The renaming and dating windows and the main window's commands that open them: the buttons
// `btRenommeImg` and `btDateImg` of the list's tool bar and "&Renommer...", "chan&ger la
// Date..." in "&Fichiers". Both work on the checked images not on a CD; renaming only in update
// mode, since it moves catalogue data. The rules live in publishing/Renommage and Datation.

#include "platform/OperationsFichiers.h"
#include "mainwindow/Fonctionnalite.h"
#include "publishing/Datation.h"
#include "publishing/Renommage.h"

#include <QAbstractSpinBox>
#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QAction;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimeEdit;
class QTreeView;
class IMessages;
class IOperationsFichiers;
class TContexte;
class TSelectionKX;
class TfmMainKX;

// A spin box over 64-bit integers without limits.
class TSpinBox64 : public QAbstractSpinBox
{
    Q_OBJECT
public:
    explicit TSpinBox64(QWidget *Parent = nullptr);
    qint64 Valeur() const { return m_nValeur; }
    void MetValeur(qint64 n);
    bool Vide() const;

    void stepBy(int nPas) override;
    QValidator::State validate(QString &cTexte, int &nPos) const override;
    void fixup(QString &cTexte) const override;

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    qint64 m_nValeur = 0;
};

class TfmRenommeImg : public QDialog
{
    Q_OBJECT
public:
    TfmRenommeImg(const QList<TEnrLst> &Entrees, const TParamsRenommage &Params, IMessages &Messages,
                  QWidget *Parent = nullptr);

    TReglageRenommage Reglage() const;

    QRadioButton *rbSuffixeNumerique;
    QLabel *stNbChiffres;
    QSpinBox *edNbChiffres;
    QLabel *stOffset;
    TSpinBox64 *edOffset;
    QLabel *stPrefixe;
    QLineEdit *edPrefixe;
    QRadioButton *rbNomSeul;
    QLineEdit *edNomSeul;
    QLabel *stExtension;
    QPushButton *btTester;
    QPushButton *btOK;
    QPushButton *btAnnuler;

    void btTesterClick();
    void btOKClick();

private:
    void MajControles();

    QList<TEnrLst> m_Entrees;
    TParamsRenommage m_Params;
    IMessages &m_Messages;
};

class TfmDateImg : public QDialog
{
    Q_OBJECT
public:
    TfmDateImg(int nImages, QWidget *Parent = nullptr);

    bool EXIF() const;
    // The picked date with the picked time (seconds at 0), local time.
    QDateTime DateChoisie() const;

    QRadioButton *rbChoisirDate;
    QLabel *stDate;
    QDateEdit *dtpDate;
    QLabel *stHeure;
    QTimeEdit *dtpHeure;
    QRadioButton *rbDatePDVEXIF;
    QPushButton *btOK;
    QPushButton *btAnnuler;

private:
    void MajControles();
};

class TRenommageImagesKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TRenommageImagesKX(TContexte &Contexte, TSelectionKX &Selection, QWidget *Fenetre);
    ~TRenommageImagesKX() override;

    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    // Puts `btRenommeImg` and `btDateImg` into the bar given (a horizontal layout).
    void CreeBoutons(QWidget *Barre);

    QPushButton *btRenommeImg = nullptr;
    QPushButton *btDateImg = nullptr;
    QAction *miMainFicRenommer = nullptr;
    QAction *miMainFicDater = nullptr;

    void RenommerImages();
    void DaterImages();

    // Seams for tests: the file layer (the real one when null), the modal showing of the
    // windows (exec by default), the album.
    void MetOperations(IOperationsFichiers *pOperations) { m_Operations.Remplace(pOperations); }
    std::function<int(QDialog &)> fnExecute;
    IAlbumImages *pAlbum = nullptr;

private:
    IOperationsFichiers &Operations();
    TParamsRenommage Params() const;
    QList<TEnrLst> Entrees() const;
    void ApresLot();
    void MajBoutons();

    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    QPointer<QWidget> m_Fenetre;
    TOperationsAuChoix m_Operations;
};

TRenommageImagesKX *InstalleRenommageImages(TfmMainKX &Main, TContexte &Contexte);

// At start-up, before the clean-up of vanished images: finishes a renaming batch the last run
// left unfinished, so that the data of renamed files are under their present names.
TBilanReprise RepriseRenommage(TContexte &Contexte);
