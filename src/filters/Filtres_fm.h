#pragma once
// The filter editor: a modal dialog that shows one filter record on five pages, keeps named
// filters in the settings store, lets the colour be picked on a chart and a zone be drawn on a
// pattern picture, and gives a fresh record on OK. Its rules live in EditeurFiltre.

#include "filters/EditeurFiltre.h"

#include <QDialog>
#include <QHash>
#include <QImage>

#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QSlider;
class QSpinBox;
class QTabWidget;
class TContexte;

// A picture with what is drawn over it (markers, zone), repainted whole at each change, and
// the mouse in the picture's pixels.
class TSurfaceFiltre : public QWidget
{
    Q_OBJECT
public:
    explicit TSurfaceFiltre(QWidget *Parent = nullptr);
    void MetImage(const QImage &Image);
    const QImage &Image() const { return m_Image; }
    std::function<void(class QPainter &)> fnDessus;

signals:
    void Presse(const QPoint &pt);
    void Deplace(const QPoint &pt);
    void Relache(const QPoint &pt);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    QImage m_Image;
};

// What the dialog knows of the main window's current image.
struct TImageCouranteFiltre
{
    bool lDisponible = false;           // a row selected, readable, its file present
    QString cFichier;                   // its file, whose name the pattern takes
    std::function<QImage()> fnVignette; // the grid's thumbnail as shown
};

class TfmFiltres : public QDialog
{
    Q_OBJECT
public:
    TfmFiltres(TContexte &Contexte, QWidget *Parent = nullptr);
    ~TfmFiltres() override;

    // Fills every control from the record. lRecherche: opened from the search page;
    // lModeMAJ: saved filters may be written and deleted.
    void Montre(const TEnrFiltres &Enr, bool lRecherche, bool lModeMAJ, const TImageCouranteFiltre &Courante = {});
    // The record made when OK was pressed.
    const TEnrFiltres &Resultat() const { return m_Resultat; }
    bool LanceRecherche() const;
    // The controls as they stand.
    TEtatEditeur Etat() const;
    int SujetAide() const;

    // Loads a pattern by name; an empty or unreadable one leaves the blank square.
    void ChargeMotifNom(const QString &cNom);
    const TZoneMotif &Zone() const { return m_Zone; }
    TSurfaceFiltre *SurfaceMotif() const { return imMotif; }
    TSurfaceFiltre *SurfaceNuancier() const { return imColorimetrieTS; }
    TSurfaceFiltre *SurfaceBarre() const { return imColorimetrieL; }

    QTabWidget *pcFiltres = nullptr;
    QTabWidget *pcIPTC = nullptr;
    // Général
    QListWidget *lbImages = nullptr;
    QListWidget *lbTypes = nullptr;
    QCheckBox *cbModeles = nullptr;
    QLineEdit *edModeles = nullptr;
    QCheckBox *cbTailleInf = nullptr;
    QLineEdit *edTailleInf = nullptr;
    QCheckBox *cbTailleSup = nullptr;
    QLineEdit *edTailleSup = nullptr;
    QCheckBox *cbDateAnt = nullptr;
    QDateEdit *dtDateAnt = nullptr;
    QCheckBox *cbDatePst = nullptr;
    QDateEdit *dtDatePst = nullptr;
    QCheckBox *cbDescription = nullptr;
    QLineEdit *edDescription = nullptr;
    // EXIF
    QComboBox *cbAppareil = nullptr;
    QComboBox *cbOpFocale = nullptr;
    QLineEdit *edFocale = nullptr;
    QComboBox *cbOpVitesse = nullptr;
    QLineEdit *edVitesse = nullptr;
    QComboBox *cbOpDiaphragme = nullptr;
    QLineEdit *edDiaphragme = nullptr;
    QComboBox *cbOpISO = nullptr;
    QLineEdit *edISO = nullptr;
    QComboBox *cbOpDatePDV = nullptr;
    QDateEdit *dtDatePDV = nullptr;
    QLineEdit *edCommentaire = nullptr;
    // IPTC
    QLineEdit *edLegTitre = nullptr;
    QPlainTextEdit *mmLegTexte = nullptr;
    QLineEdit *edLegCopyright = nullptr;
    QLineEdit *edLegAuteur = nullptr;
    QPlainTextEdit *mmMC = nullptr;
    QLineEdit *edCatCat = nullptr;
    QPlainTextEdit *mmCatSuppl = nullptr;
    QLineEdit *edOriNom = nullptr;
    QComboBox *cbOpOriDate = nullptr;
    QDateEdit *dtOriDate = nullptr;
    QLineEdit *edOriVille = nullptr;
    QLineEdit *edOriEtat = nullptr;
    QLineEdit *edOriPays = nullptr;
    QLineEdit *edCrdCredits = nullptr;
    QLineEdit *edCrdSource = nullptr;
    // Colorimétrie
    TSurfaceFiltre *imColorimetrieTS = nullptr;
    TSurfaceFiltre *imColorimetrieL = nullptr;
    QSpinBox *edColorimetrieValT = nullptr;
    QSpinBox *edColorimetrieValS = nullptr;
    QSpinBox *edColorimetrieValL = nullptr;
    QCheckBox *cbColorimetrieT = nullptr;
    QCheckBox *cbColorimetrieS = nullptr;
    QCheckBox *cbColorimetrieL = nullptr;
    QSlider *tbColorimetrieTolerance = nullptr;
    QSlider *tbColorimetrieSeuil = nullptr;
    QLabel *lblColorimetrieTolerance = nullptr;
    QLabel *lblColorimetrieSeuil = nullptr;
    // Motif
    QCheckBox *cbMotif = nullptr;
    QScrollArea *sbMotif = nullptr;
    TSurfaceFiltre *imMotif = nullptr;
    QLabel *lblMotifNomFicImg = nullptr;
    QComboBox *cbMotifNomFicImg = nullptr;
    QPushButton *btMotifPrendsImageCourante = nullptr;
    QCheckBox *cbMotifRechSym = nullptr;
    QLabel *lblMotifMethRechZone = nullptr;
    QComboBox *cbMotifMethRechZone = nullptr;
    QGroupBox *gbMotifMethRechPix = nullptr;
    QCheckBox *cbMotifMethRechPixT = nullptr;
    QCheckBox *cbMotifMethRechPixS = nullptr;
    QCheckBox *cbMotifMethRechPixL = nullptr;
    QSlider *tbMotifTolerance = nullptr;
    QSlider *tbMotifSeuil = nullptr;
    QLabel *lblMotifTolerance = nullptr;
    QLabel *lblMotifSeuil = nullptr;
    // Below the pages
    QComboBox *cbFiltresEnregistres = nullptr;
    QPushButton *btRstFiltres = nullptr;
    QPushButton *btSvgFiltres = nullptr;
    QPushButton *btSupprFiltres = nullptr;
    QCheckBox *cbLanceRechAprValid = nullptr;
    QPushButton *btPasDeFiltre = nullptr;
    QMenu *pmPasDeFiltre = nullptr;
    QPushButton *btAide = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

    void btOKClick();
    void btRstFiltresClick();
    void btSvgFiltresClick();
    void btSupprFiltresClick();
    void btMotifPrendsImageCouranteClick();
    // "Pas de filtre" on page nPage (0 to 4), or every page for 5.
    void PasDeFiltre(int nPage);

protected:
    void showEvent(QShowEvent *Evenement) override;
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    TContexte &m_Contexte;
    bool m_lRecherche = false;
    bool m_lModeMAJ = false;
    bool m_lDescriptions = false;
    bool m_lRemplit = false; // controls being filled: no refresh until the end
    TImageCouranteFiltre m_Courante;
    TEnrFiltres m_Resultat;
    QString m_cMotif;
    QImage m_ImageMotif;
    TZoneMotif m_Zone;
    QStringList m_Motifs;

    QWidget *CreePageGeneral();
    QWidget *CreePageEXIF();
    QWidget *CreePageIPTC();
    QWidget *CreePageColorimetrie();
    QWidget *CreePageMotif();
    void CreeBas(class QVBoxLayout *Colonne);

    void MetEtat(const TEtatEditeur &e);
    void Rafraichit();
    void RafraichitSauves();
    void ListeMotifsDossier();
    void SelectionneMotif(const QString &cNom);
    void MetZone(const TZoneMotif &z);
    void MotifSouris(int nGenre, const QPoint &pt);
    void CurseurZone();
};
