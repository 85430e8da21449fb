#pragma once
// The dialog "Indexer le CD...": a disc in a drive, the image types to index, whether the
// thumbnails already in the cache are made again; OK indexes from the selected folder under
// the progress window.

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class TContexte;
class TFolderTreeView;
class TGaugeWindow;

class TfmHistoCDIndexerCD : public QDialog
{
    Q_OBJECT
public:
    // nD: the side of the thumbnails made (the main grid's).
    TfmHistoCDIndexerCD(TContexte &Contexte, int nD, QWidget *Parent = nullptr);
    ~TfmHistoCDIndexerCD() override;

    TFolderTreeView *tvCD = nullptr;
    QLabel *stCD = nullptr;
    QPushButton *btRafrCDPresents = nullptr;
    QListWidget *lbTypes = nullptr;
    QPushButton *btTous = nullptr;
    QPushButton *btAucun = nullptr;
    QCheckBox *cbRecrVigExist = nullptr;
    QPushButton *btCompter = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

    // The number of checked types.
    int NbCoches() const;
    // The images the walk from the selected folder finds.
    qint64 Compte();
    // Counts, then indexes under the progress window; true when something was indexed (the
    // dialog then ends with OK).
    bool Indexe();

    void MajBoutons();
    void btRafrCDPresentsClick();
    void btTousAucunClick(bool lCocher);
    void btCompterClick();
    void btOKClick();

    // The progress window of the indexing (the tests answer its question).
    TGaugeWindow &Jauge() { return *m_pJauge; }

private:
    TContexte &m_Contexte;
    int m_nD;
    TGaugeWindow *m_pJauge = nullptr;
};
