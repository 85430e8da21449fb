#pragma once
// The main window's menu bar `mmMain`. Its entries repeat the window's buttons and pop-ups:
// an entry is the very action of the pop-up or of the bar button (found by the button's object
// name), so that its state and shortcut stay one. The page commands, whose button changes with
// the page, are the menu's own entries that run the active page's button. A button or action
// that is not in the window leaves its entry out. Each menu refreshes its entries when it
// opens.

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QTabWidget;
class TContexte;
class TfmMainKX;

// What the menus reach in the features and in the window's private parts.
struct TSourcesMenuKX
{
    // The search page's own entries.
    QAction *miRechMaintenant = nullptr;
    QAction *miEditeCritRech = nullptr;
    QAction *miRAZTousCriteres = nullptr;
    QAction *miCritRechRAZ = nullptr;
    // True while the search tree has nodes.
    std::function<bool()> fnArbreRechNonVide;
    // The keyword column: "&Afficher les Mots-clés", "O&pérateur ET", "Opérateur &OU",
    // "Effa&cer les Mots-clés" and what their states follow.
    QList<QAction *> ActionsMotsCles;
    std::function<bool()> fnMotsClesAffiches;
    std::function<bool()> fnOperateurET;
    std::function<bool()> fnMotsClesNonVides;
    // The thumbnail pop-up and its opening handler (it fills the pop-up).
    QMenu *pmVigs = nullptr;
    std::function<void()> fnPmVigsDeroule;
    // The CD page's "&Indexer un CD..." entry.
    QAction *miIndexerCD = nullptr;
    // The window's handlers.
    std::function<void()> fnAideContextuelle;
    std::function<void()> fnAideSommaire;
    std::function<void()> fnAideIndex;
    std::function<void()> fnAideAccueil;
    std::function<void()> fnAPropos;
};

class TMenuPrincipalKX : public QObject
{
    Q_OBJECT
public:
    TMenuPrincipalKX(TfmMainKX &Main, QMenuBar *mmMain, TContexte &Contexte, TSourcesMenuKX Sources);

    // The entries' handlers, public for the tests' sake as the buttons' are.
    void miMainFicDeroule();
    void miMainERHDeroule();
    void miMainERHCRDeroule();
    void miMainAffDeroule();
    void miMainAffRZDeroule();
    void miMainImgDeroule();
    void miMainOutDeroule();

    QMenu *miMainFic = nullptr;
    QMenu *miMainERH = nullptr;
    QMenu *miMainERHCR = nullptr;
    QMenu *miMainAff = nullptr;
    QMenu *miMainAffRZ = nullptr;
    QMenu *miMainImg = nullptr;
    QMenu *miMainOut = nullptr;
    QMenu *miMainOutAW = nullptr;
    QMenu *miMainOutDiv = nullptr;
    QMenu *miMainAid = nullptr;
    QAction *miMainFicQuitter = nullptr;
    QAction *miMainERHRecurs = nullptr;

private:
    // The place of the action of the window's button `cBouton`, captioned `cTexte`: the very
    // action goes there as soon as the button is in the window (it may come with a feature
    // installed later); until then the entry is left out.
    void EntreeBouton(QMenu *Menu, const QString &cTexte, const QString &cBouton);
    void PlaceActionsBoutons(QMenu *Menu);
    // Refills a sub-menu with the actions of a pop-up after running its opening handler.
    void RecopiePopup(QMenu *Cible, QMenu *Source, const std::function<void()> &fnDeroule);
    QObject *Trouve(const QString &cNom) const;
    // The active page: 0 exploration, 1 search, 2 CDs.
    int PageActive() const;
    QString BoutonDePage(int nRole) const;

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TSourcesMenuKX m_Sources;
    QTabWidget *m_pcExplRech = nullptr;
    QAction *m_miMaintenant = nullptr;
    QAction *m_miFiltres = nullptr;
    QAction *m_miPasDeFiltre = nullptr;
    QAction *m_miCritRech = nullptr;
    QAction *m_miIndexerCD = nullptr;
    QAction *m_miRAZHierarchiques = nullptr;
    QList<QAction *> m_Pages;
    QList<QAction *> m_Volets;
    QList<QAction *> m_ActionsFeatures; // the features' "&Fichiers" entries shown last time
    // The hidden place holders of the actions of buttons not in the window yet, each with its
    // button's name.
    QList<QAction *> m_PlacesBoutons;
};
