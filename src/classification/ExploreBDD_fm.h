#pragma once
// The database explorer window and the feature that opens it from the main window. The
// window is modal, made when opened and freed when closed; it reads the stores and writes
// nothing to them. Its model lives in classification/ExploreBDD.

#include "calendar/VignetteFlottante_fm.h"
#include "classification/ExploreBDD.h"
#include "exploration/EnrLV.h"
#include "mainwindow/Fonctionnalite.h"

#include "metadata/LectureMeta.h"

#include <QDialog>
#include <QImage>
#include <QObject>
#include <QThreadPool>

#include <array>
#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QGroupBox;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class TArboCriteres;
class TClassement;
class TContexte;
class TIndexClassement;
class TExpColPanel;
class TPaneledListView;
class TSeparateur;
class TPanneauImage;
class TfmMainKX;

class TfmExploreBDD : public QDialog
{
    Q_OBJECT
public:
    // The index must outlive the window; the criteria tree and the classification may be null.
    // pOrdre, when given, is the order of a previous window, kept when the catalogue's images
    // have not changed since and replaced otherwise.
    TfmExploreBDD(TContexte &Contexte, TIndexClassement &Index, const TArboCriteres *pArbo,
                  const TClassement *pClassement, QWidget *Parent = nullptr,
                  std::shared_ptr<TOrdreExplore> pOrdre = {});
    ~TfmExploreBDD() override;

    // The pages, in the order of pcExploreBDD.
    enum TPage { pBDD = 0, pCRIT, pMC, pCDC, pEXIF, pAudit };

    // Seams: the thumbnail hint, the floating thumbnail's following of the lower trees, help,
    // the web album (source 2 with its list or 5 with a criterion path; answers whether
    // there was something to do), the web album history, the contact sheet.
    std::function<QString(const TEnrLV &Enr)> fnBulle;
    std::function<void(QTreeWidget *, quint8, TfmVignetteFlottante::TFournisseur)> fnSuivreArbre;
    std::function<void(QWidget *Controle)> fnAide;
    std::function<void(QWidget *Parent, const QList<TEnrLV> &Images, const QString &cCritere)> fnAlbumWEB;
    std::function<void(QWidget *Parent)> fnHistoAlbumsWEB;
    std::function<void(TPaneledListView *Grille, const QString &cNom)> fnSauverPlanche;
    // Esc while a long task runs (tests).
    std::function<bool()> fnEchap;

    // What the audit needs.
    const TEnsemblesExplore &Ensembles() const { return m_Ensembles; }
    const TIndexClassement &Index() const { return m_Index; }
    TContexte &Contexte() const { return m_Contexte; }
    // The EXIF values, read at the first need (a build of the EXIF tree, or this call).
    const TValeursEXIF &ValeursEXIF();
    bool ValeursEXIFLues() const { return m_lValeursLues; }

    // For the tests and the pages: the current page's state.
    int NbImagesNoeud(int nPage) const;
    // The grid's entries of a page, and how many of them the pool has completed since the grid
    // was last filled (metadata, a missing thumbnail).
    const std::vector<TEnrLV> &EntreesPage(int nPage) const { return m_Pages[size_t(nPage)].Entrees; }
    int ResultatsPage(int nPage) const { return m_Pages[size_t(nPage)].nResultats; }
    int TotalPage(int nPage) const;
    bool PageARemplir(int nPage) const { return m_Pages[size_t(nPage)].lAReconstruire; }
    // The provider of the floating thumbnail for a lower tree.
    TfmVignetteFlottante::TFournisseur Fournisseur(int nPage);

    QTabWidget *pcExploreBDD = nullptr;
    QWidget *tsAudit = nullptr;
    QTreeWidget *tvEXIFOrdre = nullptr;
    QPushButton *btEXIFOrdreMonter = nullptr;
    QPushButton *btEXIFOrdreDescendre = nullptr;
    QPushButton *btEXIFOrdreValider = nullptr;
    QPushButton *btEXIFOrdreValDef = nullptr;
    QProgressBar *ggTrtLong = nullptr;
    QPushButton *btSvgTtesVig = nullptr;
    QPushButton *btAlbumWEB = nullptr;
    QMenu *pmAlbumWEB = nullptr;
    QAction *miAlbumWEBGenAPartirImgPres = nullptr;
    QAction *miAlbumWEBGenAWHBDD = nullptr;
    QPushButton *btHistoAlbumsWEB = nullptr;
    QPushButton *btAide = nullptr;
    QPushButton *btQuitter = nullptr;

    // Builds tvEXIFHaut from the checked levels.
    void btEXIFOrdreValiderClick();
    void btEXIFOrdreValDefClick();
    // The caption of the window, as it is now.
    void MajCaption();

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *Objet, QEvent *e) override;

private:
    struct TPageExplore
    {
        QWidget *ts = nullptr;
        QString cTitre;
        QTreeWidget *tvHaut = nullptr;
        QTreeWidget *tvBas = nullptr;
        TPaneledListView *plv = nullptr;
        QTreeWidget *tvVigsCrits = nullptr;
        TPanneauImage *sbImg = nullptr;
        TExpColPanel *pnArbres = nullptr;
        TExpColPanel *pnVigs = nullptr;
        TExpColPanel *pnVigsCrits = nullptr;
        TSeparateur *spImg = nullptr;
        TListesPage Listes;
        TArboDossiers Arbo;
        std::vector<TEnrLV> Entrees; // one per grid item
        bool lAReconstruire = false;
        bool lConstruction = false; // the lower tree is being rebuilt: its handler waits
        quint64 nGeneration = 0;    // counts the grid's fillings
        int nResultats = 0;         // results of the pool applied
    };
    // What the pool does for a grid item off CDs: its file's metadata, and its thumbnail when
    // none is cached.
    struct TTravailVignette
    {
        int nItem;
        QString cChemin;
        bool lVignette;
    };
    struct TResultatVignette
    {
        int nItem = -1;
        TMetaImage Meta;
        QImage Image;
        bool lImage = false;
    };

    void CreeControles();
    void CreePage(int nPage, const QString &cNom, const QString &cTitre, bool lHaut);
    void PrepareGrilles();
    void ConstruitArbre(int nPage, TListesPage Listes);
    void ListeNoeud(int nPage);
    void MontreImage(int nPage);
    void ChangePage(int nPage);
    void SelectionHaut(int nPage);
    void ConstruitCRITHaut();
    void ConstruitMCHaut();
    void RemplitOrdreEXIF();
    void SelectionOrdreEXIF();
    void DeplaceNiveau(int nSens);
    void MajBoutons();
    void PopupAlbumWEB();
    const TNoeudDossier *NoeudSelectionne(int nPage) const;
    QString CritereSelectionne() const;
    bool Echap();
    void LanceTravaux(int nPage, std::vector<TTravailVignette> Travaux);
    void AppliqueResultats(int nPage, quint64 nGeneration, std::vector<TResultatVignette> &Resultats);
    void MetValeursEXIF(TEnrLV &e, const QStringList &v) const;

    TContexte &m_Contexte;
    TIndexClassement &m_Index;
    const TArboCriteres *m_pArbo;
    const TClassement *m_pClassement;
    TEnsemblesExplore m_Ensembles;
    std::shared_ptr<TOrdreExplore> m_pOrdre;
    std::array<TPageExplore, 5> m_Pages;
    TNiveauxEXIF m_Niveaux;
    std::vector<int> m_NiveauxConstruits; // the levels of the tree shown
    std::unique_ptr<TNoeudEXIF> m_ArboEXIF;
    TValeursEXIF m_Valeurs;
    TTableEXIF m_TableEXIF; // made once the values are read
    bool m_lValeursLues = false;
    bool m_lConstructionEXIF = false;
    bool m_lPremierAffichage = true;
    std::atomic<bool> m_lFermeture{false};
    QThreadPool m_Pool; // last member: its tasks end before the others are freed
};

// The command of the main window: `btExploreBDD` and "&Exploration de la base de données..."
// in the tools pop-up.
class TExploreBDDKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TExploreBDDKX(TfmMainKX &Main, TContexte &Contexte, TIndexClassement &Index, const TArboCriteres *pArbo,
                  const TClassement *pClassement);
    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    void Ouvre();

    QAction *miExploreBDD = nullptr;
    QPushButton *btExploreBDD = nullptr;
    // Seams handed to each window; fnExecute shows it (tests replace the modal loop).
    std::function<QString(const TEnrLV &Enr)> fnBulle;
    std::function<void(QTreeWidget *, quint8, TfmVignetteFlottante::TFournisseur)> fnSuivreArbre;
    std::function<void(TPaneledListView *Grille, const QString &cNom)> fnSauverPlanche;
    std::function<void(QWidget *Controle)> fnAide;
    std::function<void(TfmExploreBDD &Fenetre)> fnExecute;

private:
    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TIndexClassement &m_Index;
    const TArboCriteres *m_pArbo;
    const TClassement *m_pClassement;
    std::shared_ptr<TOrdreExplore> m_pOrdre = std::make_shared<TOrdreExplore>();
};

TExploreBDDKX *InstalleExploreBDD(TfmMainKX &Main, TContexte &Contexte, TIndexClassement &Index,
                                  const TArboCriteres *pArbo, const TClassement *pClassement);
