#pragma once
// The calendar window: the catalogued images on a grid of hours, days, spans of days or months,
// one thumbnail per cell, a pop-up of every picture of a cell, and a second tab exploring the
// images of one cell (period tree, thumbnails, full view, criteria). It works on its own copy
// of the image list and never writes to the stores. The rules live in calendar/Calendrier.

#include "calendar/Calendrier.h"
#include "mainwindow/Fonctionnalite.h"

#include <QAbstractScrollArea>
#include <QDialog>
#include <QHash>
#include <QImage>
#include <QPointer>

#include <functional>
#include <memory>

class QButtonGroup;
class QComboBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class TArboCriteres;
class TChargeurImage;
class TClassement;
class TContexte;
class TModeleListeImages;
class TPaneledListView;
class TPanneauImage;
class TSelectionKX;
class TVignettesKX;
class TfmMainKX;
struct TEnrLV;
struct TImageDecodee;

// The pictures of one cell, in a small grid opened over the calendar.
class TPopupCellule : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TPopupCellule(QWidget *Parent);

    void Ouvre(const QList<int> &Images, int nCourante, int nS, int nColonnes);
    const QList<int> &Images() const { return m_Images; }
    int Colonnes() const { return m_nColonnes; }
    int Lignes() const;
    // The picture of image i, fitted into S × S (kept once loaded).
    std::function<QImage(int i)> fnImage;
    std::function<QString(int nPosition)> fnBulle;

signals:
    void Choisie(int nPosition);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool viewportEvent(QEvent *e) override;

private:
    int PositionSous(const QPoint &pt) const;
    QList<int> m_Images;
    QHash<int, QImage> m_Pictures;
    int m_nCourante = 0;
    int m_nS = 100;
    int m_nColonnes = 1;
};

// The calendar grid, painted cell by cell.
class TGrilleCalendrier : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TGrilleCalendrier(QWidget *Parent);

    void MetGrille(const TGrille &g, int nS, const QStringList &Entetes, const TCellules *pCellules);
    // The pictures of the cells, already fitted; kept until the next search.
    void MetImageCellule(int nLigne, int nColonne, const QImage &Image);
    TGrille Grille() const { return m_Grille; }
    int S() const { return m_nS; }
    QStringList Entetes() const { return m_Entetes; }
    int LigneCourante() const { return m_nLigne; }
    int ColonneCourante() const { return m_nColonne; }
    void MetCourante(int nLigne, int nColonne);
    // Rows and columns from 1, in viewport coordinates.
    QRect RectCellule(int nLigne, int nColonne) const;
    int HauteurEntete() const;
    TPopupCellule *Popup() const { return m_pPopup; }
    // A click on a cell: the pop-up when it holds more than one image.
    void CliqueCellule(int nLigne, int nColonne);
    void FermePopup();

    std::function<QString(int nLigne, int nColonne, int nPosition)> fnBulle;

signals:
    void CouranteChange(int nLigne, int nColonne);
    void CelluleActivee(int nLigne, int nColonne);
    void ImageChoisie(int nLigne, int nColonne, int nPosition);

protected:
    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *e) override;

private:
    bool CelluleSous(const QPoint &pt, int &nLigne, int &nColonne) const;
    void MajBarres();

    TGrille m_Grille;
    int m_nS = 100;
    QStringList m_Entetes;
    const TCellules *m_pCellules = nullptr;
    QImage m_Images[nLignesMax][nColonnesMax];
    int m_nLigne = 1;
    int m_nColonne = 1;
    TPopupCellule *m_pPopup = nullptr;
    int m_nLignePopup = 0;
    int m_nColonnePopup = 0;
};

class TfmCalendrier : public QDialog
{
    Q_OBJECT
public:
    // pArbo: the criteria tree the criteria of the explored images are shown with (an empty
    // one when null). pMain, when given, gives its thumbnail colours and sizes.
    TfmCalendrier(TContexte &Contexte, const TArboCriteres *pArbo, QWidget *Parent = nullptr);
    ~TfmCalendrier() override;

    // Places the window (50, 50, the screen less 100) and builds the image list.
    void FormCreate();

    // Seams for what other parts of the program provide.
    // The web album of the thumbnails shown; the button stays disabled while it is empty.
    std::function<void(QWidget *Parent, const QList<TEnrLV> &Images)> fnOuvreAlbumWEB;
    // The history of web albums; the button stays disabled while it is empty.
    std::function<void(QWidget *Parent)> fnOuvreHistoAlbumsWEB;
    // The remembered treatments of an image applied to a picture of it; true when changed.
    // AppliqueTrtsImage on the application context by default.
    std::function<bool(QImage &Image, const TEnrLV &Enr)> fnAppliqueTrtsImage;
    // Asked when Esc is pressed during the reading of the shooting dates (tests answer).
    std::function<bool(const QString &cTitre, const QString &cTexte)> fnQuestionInterruption;

    const std::vector<TEnrImgBDD> &ImagesCalendrier() const { return m_Images; }
    const TCellules &Cellules() const { return m_Cellules; }
    TPeriode PeriodeChoisie() const;
    bool DatesEXIFLues() const { return m_lEXIFLu; }

    void RechercherImages();
    void Navigue(int nSens);
    void ExplorerCellule();
    void SauverPlanche();

    // Controls, by their names.
    QTabWidget *pcCalendrier = nullptr;
    QWidget *tsSaisie = nullptr;
    QWidget *tsExploreImgs = nullptr;
    QButtonGroup *rgDateAPEC = nullptr;
    QComboBox *cbTailleVig = nullptr;
    QListWidget *lbPeriode = nullptr;
    QLabel *stDate = nullptr;
    QDateEdit *dtDate = nullptr;
    QLabel *stMois = nullptr;
    QComboBox *cbMois = nullptr;
    QLabel *stAnnee = nullptr;
    QComboBox *cbAnnee = nullptr;
    QPushButton *btRechImgs = nullptr;
    QPushButton *btNavigPrec = nullptr;
    QPushButton *btNavigSuiv = nullptr;
    QPushButton *btExplImgs = nullptr;
    TGrilleCalendrier *sgCalendrier = nullptr;
    QTreeWidget *tvPeriodes = nullptr;
    TPaneledListView *plvVignettes = nullptr;
    TPanneauImage *sbImage = nullptr;
    QTreeWidget *tvCriteres = nullptr;
    QProgressBar *ggBas = nullptr;
    QPushButton *btSvgTtesVig = nullptr;
    QPushButton *btAlbumWEB = nullptr;
    QPushButton *btHistoAlbumsWEB = nullptr;
    QPushButton *btQuitter = nullptr;

    TModeleListeImages &ListeExploration() { return *m_pModele; }
    // The thumbnail commands of the exploration grid (the contact sheet and its save dialog).
    TVignettesKX *Vignettes() const { return m_pVignettes; }

private:
    void ConstruitFenetre();
    void ConstruitExploration(QWidget *Onglet);
    void lbPeriodeClick();
    void MajNavigation();
    void RemplitAnnees();
    void MetPeriode(const TPeriode &p);
    bool LireDatesEXIF();
    QImage ImageCellule(int nImage) const;
    QString BulleCellule(int nLigne, int nColonne, int nPosition);
    void CouranteChange(int nLigne, int nColonne);
    void ImageChoisie(int nLigne, int nColonne, int nPosition);
    void tvPeriodesChange(QTreeWidgetItem *Item);
    void VignetteChoisie(int nIndex);
    void ImagePrete(const TImageDecodee &Image);
    void AfficheCriteres(const TEnrLV &e);
    void MajBoutonsOnglet();
    void AlbumWEB();
    std::unique_ptr<TEnrLV> EnrExploration(int nImage);

    TContexte &m_Contexte;
    std::unique_ptr<TArboCriteres> m_ArboPropre;
    const TArboCriteres *m_pArbo = nullptr;
    std::unique_ptr<TClassement> m_pClassement;
    std::unique_ptr<TLecteursCD> m_pLecteurs;
    std::vector<TEnrImgBDD> m_Images;
    TCellules m_Cellules;
    bool m_lEXIFLu = false;
    bool m_lRecherche = false;
    TPeriode m_PeriodeRecherche;
    bool m_lEXIFRecherche = false;
    int m_nAnneeMin = 1995;
    int m_nAnneeMax = 1995;
    QList<QList<int>> m_NoeudsImages; // images of each node of tvPeriodes, by the node's data
    QList<int> m_ImagesAffichees;     // image list positions of the thumbnails shown
    int m_nTotalRacine = 0;
    TModeleListeImages *m_pModele = nullptr;
    TSelectionKX *m_pSelection = nullptr;
    TVignettesKX *m_pVignettes = nullptr;
    TChargeurImage *m_pChargeur = nullptr;
    QString m_cFichierAffiche;
    int m_nAfficheeLigne = -1;
};

// The calendar command: the button `btCalendrier` beside the save buttons and "&Calendrier..."
// in the tools pop-up; both open the window modally.
class TCalendrierKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TCalendrierKX(TfmMainKX &Main, TContexte &Contexte, const TArboCriteres *pArbo);
    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    void Ouvre();

    QPushButton *btCalendrier = nullptr;
    QAction *miCalendrier = nullptr;
    // How the window is run; exec() by default (tests look at it without blocking).
    std::function<void(TfmCalendrier &Fenetre)> fnExecute;

private:
    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    const TArboCriteres *m_pArbo;
};

TCalendrierKX *InstalleCalendrier(TfmMainKX &Main, TContexte &Contexte, const TArboCriteres *pArbo);
