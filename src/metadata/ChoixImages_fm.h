#pragma once
// The image-choice list of the metadata windows: the main list's columns and rows in report
// view with a check of their own per row (the main list's checks stay as they are), buttons
// to check all or none, the count of checked images, and the selected row's thumbnail in a
// small grid drawn like the main one.

#include <QIdentityProxyModel>
#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeView;
class TModeleListeImages;
class TPaneledListView;

// The main list model seen with its own checks. Rows follow the source; a reset or a row
// removal there starts the checks over with the initial state.
class TModeleChoixImages : public QIdentityProxyModel
{
    Q_OBJECT
public:
    TModeleChoixImages(TModeleListeImages &Source, bool lCocheesAuDebut, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    TModeleListeImages &Source() const { return m_Source; }
    bool Coche(int nLigne) const;
    void MetCoche(int nLigne, bool lCoche);
    void Bascule(int nLigne);
    void CocheTout(bool lCoche);
    int nNbCoches() const;
    QList<int> LignesCochees() const; // in list order

signals:
    void cochesChange(int nNbCoches);

private:
    void Recommence();

    TModeleListeImages &m_Source;
    bool m_lInitial;
    QList<bool> m_Coches;
};

class TChoixImages : public QWidget
{
    Q_OBJECT
public:
    // pGrilleModele: the main grid, whose item size, colours and 3D look plvImages takes.
    TChoixImages(TModeleListeImages &Source, bool lCocheesAuDebut, const TPaneledListView *pGrilleModele,
                 QWidget *parent = nullptr);

    TModeleChoixImages &Modele() { return *m_pModele; }
    const TModeleChoixImages &Modele() const { return *m_pModele; }
    // The current row (-1: none).
    int LigneCourante() const;
    void MetLigneCourante(int nLigne);
    // "%d/%d": checked and listed images.
    QString TexteNbImgSel() const;

    QTreeView *lvImages = nullptr;
    QPushButton *btSelToutes = nullptr;
    QPushButton *btSelAucune = nullptr;
    QLabel *stNbImgSel = nullptr;
    TPaneledListView *plvImages = nullptr;

signals:
    void cochesChange(int nNbCoches);
    void ligneChoisie(int nLigne);

protected:
    bool eventFilter(QObject *pObjet, QEvent *pEvenement) override;

private:
    void MontreVignette(int nLigne);
    void MajNbImgSel();

    TModeleChoixImages *m_pModele = nullptr;
};

// Width of the band at the left of a row where a plain click toggles its check.
inline constexpr int nLargeurZoneCoche = 15;
