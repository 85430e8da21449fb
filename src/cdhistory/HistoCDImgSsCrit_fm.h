#pragma once
// The image list the CD history's maintenance windows share (a report list beside a grid of
// one item showing the selected image), and the window of a CD's images without
// classification.

#include "cdhistory/MaintenanceCD.h"

#include <QDialog>
#include <QWidget>

class QPushButton;
class QTreeWidget;
class TContexte;
class TPaneledListView;

class TListeImagesCDKX : public QWidget
{
    Q_OBJECT
public:
    // cNom: the object names' stem ("ImgSsCrit" gives lvImgSsCrit and plvImgSsCrit).
    TListeImagesCDKX(TContexte &Contexte, int nD, const QString &cNom, QWidget *Parent = nullptr);

    // Fills the list with the images of a volume, selects and focuses the first row.
    void Remplit(qint32 nVolume, const QStringList &Chemins);
    const QList<TLigneListeCD> &Lignes() const { return m_Lignes; }
    // Shows the selected row in the grid: its thumbnail, else the image loaded from the disc,
    // else the placeholder.
    void MontreLigne(int nLigne);

    QTreeWidget *lv = nullptr;
    TPaneledListView *plv = nullptr;

private:
    TContexte &m_Contexte;
    int m_nD;
    QList<TLigneListeCD> m_Lignes;
};

class TfmHistoCDImgSsCrit : public QDialog
{
    Q_OBJECT
public:
    // cCD: the CD node's caption.
    TfmHistoCDImgSsCrit(TContexte &Contexte, int nD, qint32 nIdCD, const QString &cCD, const QStringList &Chemins,
                        QWidget *Parent = nullptr);

    TListeImagesCDKX *lvImgSsCrit = nullptr;
    QPushButton *btQuitter = nullptr;
};
