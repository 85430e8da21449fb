#pragma once
// The main window: the command pane (pages "Exploration", "Recherche", "CDs" above the image
// list), the thumbnail pane, the image pane, the treatment bar, the version panel and the
// state pane. It reads the settings and the layout when it is created and writes them back
// when it closes; the features fill its panes from their own files.

#include "components/ExpColPanel.h"
#include "mainwindow/Fonctionnalite.h"
#include "storage/DeplacementDonnees.h"
#include "storage/Nettoyage.h"

#include <QMainWindow>
#include <functional>

class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeView;
class QTreeWidget;
struct TEnrParametres;
class TAfficheImageKX;
class TAlbumImagesKX;
class TComboZoom;
class TContexte;
class TfmParametres;
class TListeImagesKX;
class TMemoEtatKX;
class TMenuPrincipalKX;
class TAideKX;
class TRechercheKX;
class TTraitementsKX;
class TfmDemarrage;
class TPaneledListView;
class TPanneauImage;
class TModeleListeImages;
class TSelectionKX;
class TSeparateur;

class TfmMainKX : public QMainWindow
{
    Q_OBJECT
public:
    // The treatment bar never gets narrower than this.
    static constexpr int nLargMinDroite = 314;

    explicit TfmMainKX(TContexte &Contexte, QWidget *Parent = nullptr);
    ~TfmMainKX() override;

    // Opens the folders and stores, reads the settings and the layout, runs the version
    // migrations and the clean-up, each step shown in the splash window (may be null).
    void FormCreate(TfmDemarrage *fmDemarrage);

    // The folder given on the command line (or by a later start), opened first.
    QString cDossierArgument;

    // What is current (list, entry, checks, mode, folder), for every feature to connect to;
    // it lives as long as the window, beside the list model.
    TSelectionKX &Selection() { return *m_pSelection; }
    TModeleListeImages &Modele() { return *m_pModele; }

    // The installed features, asked for their actions and for opening folders. The window
    // installs its own at creation; a feature installed later joins the menus from then on.
    TFonctionnalitesKX &Fonctionnalites() { return m_Fonctionnalites; }
    void Installe(IFonctionnaliteKX *pFonctionnalite) { m_Fonctionnalites.Ajoute(pFonctionnalite); }

    // The panes the features fill.
    QWidget *PageExploration() const { return tsExpl; }
    QWidget *PageRecherche() const { return tsRech; }
    // Brings one of the pages above (exploration, search, CDs) to the front.
    void MontrePage(QWidget *Page);
    QWidget *PageHistoCD() const { return tsHistoCD; }
    // The image list's tool bar (a horizontal layout) and the list view itself, which the
    // window places so that it can widen over the thumbnails.
    QWidget *BarreListe() const { return pnLVImgsCmdes; }
    QTreeView *VueListe() const { return lvImgs; }
    TPaneledListView *Grille() const { return plvVigs; }
    QTreeWidget *ArbreCriteresVignettes() const { return tvVigsCrit; }
    // The left end of the treatment bar (a horizontal layout), where the save buttons go.
    QWidget *BarreSauvegardes() const { return m_pnSauvegardes; }
    // The treatment buttons' place in the treatment bar (a horizontal layout), after the save
    // buttons. Features add their buttons to these bars with `AjouteBoutonBarre`.
    QWidget *BarreTraitements() const { return m_pnBoutonsTrt; }
    QProgressBar *JaugeChargement() const { return ggChrgImg; }
    TPanneauImage *PanneauImage() const { return sbImage; }
    // The zoom list of the image pane, which the window's zoom keys and menu set.
    TComboZoom *ListeZoom() const { return cbZoom; }
    QTabWidget *PanneauEtat() const { return pcEtat; }
    // The help: context help, help mode, the help window.
    TAideKX &Aide() const { return *m_pAide; }
    // Saves the settings and catalogue stores at exit, filling the reasons of a failure; the
    // application context's by default.
    std::function<bool(QStringList *pRaisons)> fnSauveStores;

    void ShowMode();
    // Closes as a normal close does, without any question (a stop signal, a desktop logging
    // out). While a long task runs the request is latched: the task stops as if the user had
    // confirmed, and the close runs once it has returned.
    void FermeSansQuestion();
    // A later start handed its folder over: come forward and open it (once the running long
    // task, if any, has returned).
    void RecoitDossier(const QString &cDossier);
    // The program's exit status: not 0 when the last save failed.
    int CodeSortie() const { return m_nCodeSortie; }

    // "Paramètres": fills the settings window, shows it and carries out what OK changed; last,
    // a data folder chosen there is moved once the user confirms (the program then closes).
    void btParametresClick();
    // Shows the settings window and returns its result; tests drive it here.
    std::function<int(TfmParametres &)> fnExecParametres;
    // The floating thumbnail's window is made (true) or freed (false); its settings are read
    // from the settings record.
    std::function<void(bool lActive)> fnVignetteFlottante;
    // Runs a program with its arguments (no shell) and returns its exit code; -1 when it could
    // not start.
    std::function<int(const QString &cProgramme, const QStringList &Arguments)> fnExecute;
    // Where the file managers' desktop entry goes; the user's applications folder by default.
    QString cDossierApplications;

    // The window's smallest size by the size rules.
    QSize TailleMinimale() const;
    // The window in its normal state: the frame's top left corner and the client area's size,
    // as the layout keys store them.
    QRect PlaceNormale() const;

    void setVisible(bool lVisible) override;
    // Places the thumbnail pane at the top (0) or at the left (1) of the right-hand area.
    void PlaceVigs(int nAlign);

    // What the clean-up removed at start-up.
    TResultatNettoyage ResultatNettoyage;
    bool FormDestroyFait() const { return m_lFormDestroyFait; }
    QString DossierCourant() const;

signals:
    // The first folder has been opened (and listed, once exploration lists it).
    void PremierDossierOuvert(const QString &cDossier);

protected:
    void showEvent(QShowEvent *Evenement) override;
    void closeEvent(QCloseEvent *Evenement) override;
    void resizeEvent(QResizeEvent *Evenement) override;
    void changeEvent(QEvent *Evenement) override;
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    void ConstruitFenetre();
    void FormShow();
    void FormActivate();
    bool FormCloseQuery();
    void FormDestroy();
    // The move of the data folder scheduled from the settings, once the stores are saved.
    void DeplaceDonneesEnSortant(bool lUtilisateur);
    void FormResize();
    void AjusteBarreTraitements();
    void AppliqueTaillesMinimales();
    void PlaceLVImgs();
    void ElargitLVImgs(bool lElargir);
    void AppliqueParametresVignettes();
    int LargeurLVImgsSurvol() const;

    bool OuvreDossier(const QString &cDossier);
    void btQuitterClick();
    void pnCommandes_OnCollapsedExpanded();
    void pnVigs_OnCollapsedExpanded();
    void pmOutilsDiversPopup();
    void AppliqueParametres(const TEnrParametres &Avant, bool lVerbeAvant, bool lVerbeApres);
    void AspectGrille(const TEnrParametres &Aspect);
    void AppliqueVignettesPartout();
    void ReorienteImages();
    void ModifieVerbeDossier(bool lInstalle);
    void DeplaceDonnees(const QString &cDossier, TSystemeDonnees Systeme, int nOperation);
    // Ctrl+PageUp, Ctrl+PageDown, Ctrl+End, Ctrl+Home: step the zoom list.
    void ToucheZoom(int nTouche);

    TContexte &m_Contexte;
    // The window's own controls (tests find them by these object names).
    QMenuBar *mmMain = nullptr;
    TExpColPanel *pnCommandes = nullptr;
    QTabWidget *pcExplRech = nullptr;
    TSeparateur *spExplRech = nullptr;
    TSeparateur *spCommandes = nullptr;
    QWidget *pnDroite = nullptr;
    TExpColPanel *pnTraitements = nullptr;
    QPushButton *btQuitter = nullptr;
    // The tools button and its pop-up, filled by the features each time it opens.
    QPushButton *btOutilsDivers = nullptr;
    QMenu *pmOutilsDivers = nullptr;
    QLabel *pnVersion = nullptr;
    QPushButton *btParametres = nullptr;
    // The help mode's toggle.
    QPushButton *btAide = nullptr;
    TExpColPanel *pnVigs = nullptr;
    TExpColPanel *pnVigsCrit = nullptr;
    TSeparateur *spVigs = nullptr;
    TExpColPanel *pnEtat = nullptr;
    // The panes handed to the features.
    QWidget *tsExpl = nullptr;
    QWidget *tsRech = nullptr;
    QWidget *tsHistoCD = nullptr;
    QWidget *pnLVImgsCmdes = nullptr;
    QTreeView *lvImgs = nullptr;
    QWidget *m_pnSauvegardes = nullptr;
    QWidget *m_pnBoutonsTrt = nullptr;
    QProgressBar *ggChrgImg = nullptr;
    TPaneledListView *plvVigs = nullptr;
    QTreeWidget *tvVigsCrit = nullptr;
    TPanneauImage *sbImage = nullptr;
    TComboZoom *cbZoom = nullptr;
    QTabWidget *pcEtat = nullptr;

    TModeleListeImages *m_pModele = nullptr;
    TSelectionKX *m_pSelection = nullptr;
    TFonctionnalitesKX m_Fonctionnalites;
    // The features the settings window's changes reach.
    TListeImagesKX *m_pListe = nullptr;
    TAfficheImageKX *m_pAffiche = nullptr;
    TTraitementsKX *m_pTraitements = nullptr;
    TAlbumImagesKX *m_pAlbumImages = nullptr;
    TRechercheKX *m_pRecherche = nullptr;
    TMemoEtatKX *m_pMemoEtat = nullptr;
    TMenuPrincipalKX *m_pMenu = nullptr;
    TAideKX *m_pAide = nullptr;
    QWidget *m_pnZoneLVImgs = nullptr; // where the image list lies while not widened
    QWidget *m_pnZoneVisu = nullptr;   // thumbnails and image
    bool m_lFormShowFait = false;
    bool m_lFormActivateFait = false;
    bool m_lFormDestroyFait = false;
    // False when a version migration could not save: the stored version is then kept.
    bool m_lMigrationsFaites = true;
    bool m_lSansQuestion = false;
    bool m_lFermeture = false; // a close is asking its questions
    int m_nCodeSortie = 0;
    bool m_lLVElargie = false;
    bool m_lAppliqueTailles = false;
    QString m_cDossierCourant;
    int m_nProfondeurCouleur = 0;
};
