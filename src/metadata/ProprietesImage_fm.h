#pragma once
// The image properties sheet (`TfmProprietesImage`): a read-only view of everything known about
// one image of the list, with buttons that step through the list; beside it the tool window
// listing every EXIF tag and IPTC dataset of the file (`TfmProprietesImageToutesMD`). The
// metadata feature offers the sheet in the grid's pop-up and under Ctrl+I.

#include "mainwindow/Fonctionnalite.h"
#include "metadata/ToutesMD.h"

#include <QDialog>
#include <QObject>
#include <QWidget>

#include <functional>
#include <memory>

class IMemoSonore;
class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class TAlbumImages;
class TClassement;
class TContexte;
class TListeImagesArbres;
class TModeleListeImages;
class TPaneledListView;
class TfmMainKX;

class TfmProprietesImageToutesMD : public QWidget
{
    Q_OBJECT
public:
    explicit TfmProprietesImageToutesMD(QWidget *Parent);

    // The legend text of a row hint (title, text, width).
    std::function<QString(const QString &, const QString &, int)> fnTexteLegende;

    void Montre(const TContenuProprietes &Contenu);
    // Placed right of the sheet, vertically centred on the screen, up to the screen's right edge.
    void Place(const QRect &Sheet);
    // The window refuses to close while this is false: only its owner hides it.
    void AutoriseFermeture() { m_lFermable = true; }
    // The hint of a data row of a grid (empty outside the rows).
    QString BulleLigne(const QTableWidget *Grille, int nLigne) const;

    QTabWidget *pcToutesMD = nullptr;
    QWidget *tsEXIF = nullptr;
    QWidget *tsIPTC = nullptr;
    QTableWidget *grEXIF = nullptr;
    QTableWidget *grIPTC = nullptr;
    QPushButton *btCopierPP = nullptr;

protected:
    void closeEvent(QCloseEvent *Evenement) override;
    void resizeEvent(QResizeEvent *Evenement) override;
    void wheelEvent(QWheelEvent *Evenement) override;
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    QTableWidget *Grille(const char *cNom, const QString &cTitreId);
    static void Remplit(QTableWidget *Grille, const QList<TEnrToutesMD> &Liste);
    void AjusteColonnes();
    const QList<TEnrToutesMD> &ListeDe(const QTableWidget *Grille) const;
    void btCopierPPClick();

    TToutesMD m_Listes;
    QString m_cBulle; // the hint of the row under the mouse
    bool m_lFermable = false;
};

class TfmProprietesImage : public QDialog
{
    Q_OBJECT
public:
    // Modele and Grille are the main window's; Images gives the criteria icons.
    TfmProprietesImage(const TModeleListeImages &Modele, const TPaneledListView *Grille, TSourcesProprietes Sources,
                       const TListeImagesArbres *Images, IMemoSonore &Memo, QWidget *Parent = nullptr);
    ~TfmProprietesImage() override;

    void Affiche(int nLigne);
    int Index() const { return m_nIndex; }
    int Dernier() const;
    TfmProprietesImageToutesMD *ToutesMD() const { return m_pToutesMD; }

    // "Caractéristiques"
    QGroupBox *gbCaracteristiques = nullptr;
    QLabel *imImage = nullptr;
    QLabel *stVEmplacement = nullptr, *stVCD = nullptr, *stVNom = nullptr, *stVResolution = nullptr,
           *stVTaille = nullptr, *stVDate = nullptr;
    QLabel *stColorimetriePctPixOK = nullptr, *stVColorimetriePctPixOK = nullptr;
    QLabel *stMotifPctPixOK = nullptr, *stVMotifPctPixOK = nullptr;
    QPushButton *btMemoSonore = nullptr;
    // "Critères"
    QGroupBox *gbCriteres = nullptr;
    QTreeWidget *tvCriteres = nullptr;
    QLabel *stVMotsCles = nullptr, *imCDC = nullptr, *stVCDC = nullptr, *stVLegende = nullptr;
    QLabel *stDescription = nullptr, *stVDescription = nullptr;
    // "Albums"
    QGroupBox *gbAlbums = nullptr;
    QLabel *stVAlbImg = nullptr, *stVAlbWHP = nullptr;
    // "EXIF"
    QGroupBox *gbEXIF = nullptr;
    QLabel *stEXIFVAppareil = nullptr, *stEXIFVFocale = nullptr, *stEXIFVVitesse = nullptr,
           *stEXIFVDiaphragme = nullptr, *stEXIFVDatePDV = nullptr, *stEXIFVISO = nullptr,
           *stEXIFVOrientation = nullptr, *stEXIFVCommentaire = nullptr;
    // "IPTC"
    QGroupBox *gbIPTC = nullptr;
    QTabWidget *pcIPTC = nullptr;
    QLabel *stVLegTitre = nullptr, *stVLegTexte = nullptr, *stVLegCopyright = nullptr, *stVLegAuteur = nullptr;
    QLabel *stVMC = nullptr, *stVCatCat = nullptr, *stVCatSuppl = nullptr;
    QLabel *stVCrdCredits = nullptr, *stVCrdSource = nullptr, *stVOriNom = nullptr, *stVOriDate = nullptr,
           *stVOriVille = nullptr, *stVOriEtat = nullptr, *stVOriPays = nullptr;

    QPushButton *btToutesMD = nullptr;
    QToolButton *btNavigPrem = nullptr, *btNavigPrec = nullptr, *btNavigSuiv = nullptr, *btNavigDern = nullptr;
    QPushButton *btQuitter = nullptr;

protected:
    void showEvent(QShowEvent *Evenement) override;
    bool event(QEvent *Evenement) override;
    void done(int nResultat) override;

private:
    void ConstruitFenetre();
    void Remplit(const TContenuProprietes &c);
    void MontreImage();
    void Navigue(int nLigne);
    void btMemoSonoreClick();

    const TModeleListeImages &m_Modele;
    const TPaneledListView *m_Grille;
    TSourcesProprietes m_Sources;
    const TListeImagesArbres *m_Images;
    IMemoSonore &m_Memo;
    TfmProprietesImageToutesMD *m_pToutesMD = nullptr;
    int m_nIndex = 0;
    QString m_cMemo;
    QList<QPair<QLabel *, QLabel *>> m_EXIF; // icon and value of each EXIF line
};

// The metadata feature: the properties sheet of the current image.
class TProprietesImageKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TProprietesImageKX(TfmMainKX &Main, TContexte &Contexte, TClassement *Classement, TAlbumImages *Album);
    ~TProprietesImageKX() override;

    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    // Opens the sheet on a row of the list (also from the full-screen view).
    void AfficheProprietes(int nLigne);

    // How the sheet is run (tests open it without waiting).
    std::function<int(QDialog &)> fnExecute;
    // The memo player the sheet uses (tests put a fake in its place).
    void MetMemoSonore(std::unique_ptr<IMemoSonore> Memo);
    IMemoSonore &MemoSonore() { return *m_pMemo; }

    QAction *miVigsPropImg = nullptr;

private:
    TSourcesProprietes Sources() const;

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TClassement *m_pClassement;
    TAlbumImages *m_pAlbum;
    std::unique_ptr<IMemoSonore> m_pMemo;
};

TProprietesImageKX *InstalleProprietesImage(TfmMainKX &Main, TContexte &Contexte, TClassement *Classement,
                                            TAlbumImages *Album);
