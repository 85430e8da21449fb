#pragma once
// Moving the history of one CD to another: the window that picks the destination (a CD of
// the history, or a disc in a drive that the history does not know) and the window of the
// differences between two CDs of the history.

#include "cdhistory/HistoCDImgSsCrit_fm.h"

#include <QDialog>

#include <functional>

class IMessages;
class QGroupBox;
class QLabel;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class TFolderTreeView;

class TfmHistoCDRemplacerCDDiff : public QDialog
{
    Q_OBJECT
public:
    TfmHistoCDRemplacerCDDiff(TContexte &Contexte, int nD, qint32 nSource, const QString &cSource, qint32 nDestination,
                              const TComparaisonCD &Comparaison, QWidget *Parent = nullptr);

    QGroupBox *gbDansSrcExcl = nullptr;
    TListeImagesCDKX *lvDansSrcExcl = nullptr;
    QGroupBox *gbDansDstExcl = nullptr;
    TListeImagesCDKX *lvDansDstExcl = nullptr;
    QPushButton *btQuitter = nullptr;
};

class TfmHistoCDRemplacerCD : public QDialog
{
    Q_OBJECT
public:
    // The source: a CD node of the history (its volume and caption); Arbo the history's tree.
    TfmHistoCDRemplacerCD(TContexte &Contexte, int nD, qint32 nSource, const QString &cSource, const TArboCD &Arbo,
                          QWidget *Parent = nullptr);

    QLabel *stInformation = nullptr;
    QRadioButton *rbCDDejaReference = nullptr;
    QTreeWidget *tvCDDejaReference = nullptr;
    QRadioButton *rbCDPresentDansLecteur = nullptr;
    TFolderTreeView *tvCDPresentDansLecteur = nullptr;
    QPushButton *btRafrCDPresents = nullptr;
    QPushButton *btDifferences = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

    // The destination as the chosen tree's selected node gives it; false without one.
    bool Destination(qint32 &nVolume, QString &cLabel) const;
    // Enabling that follows the radio buttons and the trees.
    void MajControles();
    void btRafrCDPresentsClick();
    void btDifferencesClick();
    // Asks, replaces, tells; the window ends with OK once the stores were changed.
    void btOKClick();

    // Shows the differences window modal (default: exec); the tests look at it instead.
    std::function<int(QDialog &)> fnExecute;

    // The last replacement's result (for the caller's messages and the tests).
    TBilanRemplacementCD Bilan;

private:
    IMessages &Messages();

    TContexte &m_Contexte;
    int m_nD;
    qint32 m_nSource;
    QString m_cSource;
};
