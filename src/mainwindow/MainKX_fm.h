#pragma once
// The main window: the command pane (pages "Exploration", "Recherche", "CDs" above the image
// list), the thumbnail pane, the image pane, the treatment bar, the version panel and the
// state pane. It reads the settings and the layout when it is created and writes them back
// when it closes; the features fill its panes from their own files.

#include "components/ExpColPanel.h"
#include "storage/Nettoyage.h"

#include <QMainWindow>
#include <functional>

class QLabel;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTreeView;
class QTreeWidget;
class TContexte;
class TfmDemarrage;
class TPaneledListView;
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

    // Makes a folder the folder tree's current one and lists it; false when it cannot be
    // opened. Installed by the exploration page; until then the folder is only remembered.
    std::function<bool(const QString &)> fnOuvreDossier;
    // The folder tree's current folder, written back as `cRep` at exit.
    std::function<QString()> fnDossierCourant;
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

    // Controls, named as the features name them.
    QMenuBar *mmMain = nullptr;
    QMenu *miMainFic = nullptr;
    TExpColPanel *pnCommandes = nullptr;
    QTabWidget *pcExplRech = nullptr;
    QWidget *tsExpl = nullptr;
    QWidget *tsRech = nullptr;
    QWidget *tsHistoCD = nullptr;
    TSeparateur *spExplRech = nullptr;
    QWidget *pnLVImgsCmdes = nullptr;
    QTreeView *lvImgs = nullptr;
    TSeparateur *spCommandes = nullptr;
    QWidget *pnDroite = nullptr;
    TExpColPanel *pnTraitements = nullptr;
    QPushButton *btQuitter = nullptr;
    // Saving thumbnails and the current image (the image list connects them).
    QPushButton *btSvgVigCour = nullptr;
    QPushButton *btSvgTtesVig = nullptr;
    QPushButton *btSvgImgCour = nullptr;
    QProgressBar *ggChrgImg = nullptr;
    QLabel *pnVersion = nullptr;
    TExpColPanel *pnVigs = nullptr;
    TPaneledListView *plvVigs = nullptr;
    TExpColPanel *pnVigsCrit = nullptr;
    QTreeWidget *tvVigsCrit = nullptr;
    TSeparateur *spVigs = nullptr;
    QScrollArea *sbImage = nullptr;
    TExpColPanel *pnEtat = nullptr;
    QTabWidget *pcEtat = nullptr;

    void btQuitterClick();
    void pnCommandes_OnCollapsedExpanded();
    void pnVigs_OnCollapsedExpanded();

signals:
    // The first folder has been opened (and listed, once exploration lists it).
    void PremierDossierOuvert(const QString &cDossier);
    // The working mode changed: the features enable their controls from it.
    void ModeChange(bool lModeMAJ);

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
    void FormResize();
    void AppliqueTaillesMinimales();
    void PlaceLVImgs();
    void ElargitLVImgs(bool lElargir);
    void AppliqueParametresVignettes();
    int LargeurLVImgsSurvol() const;

    TContexte &m_Contexte;
    QWidget *m_pnZoneLVImgs = nullptr;   // where the image list lies while not widened
    QWidget *m_pnZoneVisu = nullptr;     // thumbnails and image
    bool m_lFormShowFait = false;
    bool m_lFormActivateFait = false;
    bool m_lFormDestroyFait = false;
    bool m_lSansQuestion = false;
    bool m_lFermeture = false;   // a close is asking its questions
    int m_nCodeSortie = 0;
    bool m_lLVElargie = false;
    bool m_lAppliqueTailles = false;
    QString m_cDossierCourant;
    int m_nProfondeurCouleur = 0;
};
