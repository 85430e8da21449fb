#pragma once
// The image album's window "Album d'images": one tab per image showing its full treated
// picture, the thumbnail strip at the left with the chosen image's criteria below it, the
// commands on the album and on its saved copies. Non-modal, made at start-up; the main window
// shows it from `btAffAlbImg` and fills it from the grid's pop-up.

#include "mainwindow/Fonctionnalite.h"
#include "publishing/AlbumImages.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;
class QComboBox;
class QMenu;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class TClassementKX;
class TContexte;
class TfmMainKX;
class TPanneauImage;
class TPaneledListView;
class TVignettesKX;

class TfmAlbumImages : public QWidget
{
    Q_OBJECT
public:
    TfmAlbumImages(TAlbumImages &Album, TContexte &Contexte, QWidget *Parent = nullptr);
    ~TfmAlbumImages() override;

    TAlbumImages &Album() { return m_Album; }

    // The controls, found by these object names.
    QTabWidget *pcImages = nullptr;
    TPaneledListView *plvVigsAI = nullptr;
    QTreeWidget *tvVigsAICrit = nullptr;
    QComboBox *cbAlbImg = nullptr;
    QPushButton *btAffFenCipale = nullptr;
    QPushButton *btAide = nullptr;
    QPushButton *btSupprImgCour = nullptr;
    QPushButton *btSupprTtesImg = nullptr;
    QPushButton *btSvgTtesVig = nullptr;
    QPushButton *btAlbumWEB = nullptr;
    QPushButton *btSvgAlbImg = nullptr;
    QPushButton *btRstAlbImg = nullptr;
    QPushButton *btSupprAlbImg = nullptr;

    // What the main window provides: bringing it forward, the help on a topic, the contact
    // sheet of the strip, the criteria tree of an image, the web album window.
    std::function<void()> fnAfficheFenetrePrincipale;
    std::function<void(const QString &cSujet)> fnAide;
    std::function<void(TPaneledListView *Grille)> fnSauverPlanche;
    std::function<void(QTreeWidget *Arbre, const TEnrLV &Enr)> fnAfficheClassement;
    std::function<void(const TSourceDonneesAW &Source)> fnAlbumWEB;

    // Shows the window (a minimized one is restored first) and brings it forward.
    void Montre();
    // The page of an entry becomes the active one, its thumbnail selected and in view.
    void ActivePage(int n);
    // The strip and page colours and the thumbnails' side, as the main window has them.
    void MetApparence(const QColor &Fond, const QColor &Panneaux, const QColor &Texte, const QColor &FondImage, int nD);
    void MetModeMAJ(bool lModeMAJ);
    void MajBoutons();
    // Places the window at the left third of the screen, at the top, filling the rest.
    void Place();

    void cbAlbImgChange();
    void btSupprImgCourClick();
    void btSupprTtesImgClick();
    void btSvgTtesVigClick();
    void btAlbumWEBClick();
    void btSvgAlbImgClick();
    void btRstAlbImgClick();
    void btSupprAlbImgClick();

private:
    void Ajoutee(int n);
    void Enlevee(int n);
    void Modifiee(int n);
    void PleineChangee(int n);
    void NomsChanges();
    void PageChangee(int n);
    void MontreCriteres(int n);
    void AppliqueTaillesMinimales();
    IMessages &Messages();

    TAlbumImages &m_Album;
    TContexte &m_Contexte;
    QWidget *m_pnCommandes = nullptr;
    QColor m_FondImage;
    bool m_lModeMAJ = false;
    bool m_lSynchro = false; // a page and its thumbnail are being selected together
};

class TAlbumImagesKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TAlbumImagesKX(TfmMainKX &Main, TContexte &Contexte, TVignettesKX *Vignettes, TClassementKX *Classement);
    ~TAlbumImagesKX() override;

    // "ajouter à l'&Album d'images :" in the grid's pop-up.
    QList<QAction *> Actions(TEmplacementAction nPlace) override;

    enum TChoixAjout { AjoutCourante = 0, AjoutSelectionnees = 1, AjoutToutes = 2 };
    // Adds the images of the list the item names, then shows the window.
    void AjouterImages(TChoixAjout nChoix);

    TAlbumImages &Album() { return *m_pAlbum; }
    TfmAlbumImages *Fenetre() const { return m_fmAlbum; }

    QPushButton *btAffAlbImg = nullptr;
    QMenu *miVigsAjtAlbImg = nullptr;
    QAction *miVigsAjtAlbImgImgCour = nullptr;
    QAction *miVigsAjtAlbImgImgSel = nullptr;
    QAction *miVigsAjtAlbImgTtesImg = nullptr;

private:
    int AjouteLigne(int nLigne);

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TAlbumImages *m_pAlbum = nullptr;
    QPointer<TfmAlbumImages> m_fmAlbum;
};

// Installs the image album: the album and its window, the button in the list's bar, the
// entries of the grid's pop-up, the save and delete buttons following the mode.
TAlbumImagesKX *InstalleAlbumImages(TfmMainKX &Main, TContexte &Contexte, TVignettesKX *Vignettes,
                                    TClassementKX *Classement);
