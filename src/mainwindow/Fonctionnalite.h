#pragma once
// How a feature plugs into the main window: it is installed once, receives the panes it fills
// from the window's accessors, listens to the selection object, and hands the window the
// actions it adds to each menu. The menus ask for them each time they open, in the order the
// features were installed, so that no feature edits another one's menu.

#include <QList>
#include <QString>

#include <optional>

class QAction;
class QMenu;

// The menus and pop-ups features add actions to.
enum class TEmplacementAction {
    MenuFichiers,   // the main menu's "&Fichiers", above "&Quitter"
    PopupImages,    // the image list's pop-up, after its own items
    PopupVignettes, // the thumbnail grid's pop-up
    OutilsDivers,   // the pop-up of the tools button `btOutilsDivers`
};

class IFonctionnaliteKX
{
public:
    virtual ~IFonctionnaliteKX() = default;
    // The actions for a place, owned by the feature; enabled as things stand now.
    virtual QList<QAction *> Actions(TEmplacementAction nPlace)
    {
        Q_UNUSED(nPlace);
        return {};
    }
    // A folder to open (the first one, one handed over by a later start): true when this
    // feature opened it, false when it could not, nothing when folders are not its business.
    virtual std::optional<bool> OuvreDossierDemande(const QString &cDossier)
    {
        Q_UNUSED(cDossier);
        return std::nullopt;
    }
};

// The installed features, in installation order. They live as long as the main window.
class TFonctionnalitesKX
{
public:
    void Ajoute(IFonctionnaliteKX *pFonctionnalite);
    const QList<IFonctionnaliteKX *> &Liste() const { return m_Liste; }
    QList<QAction *> Actions(TEmplacementAction nPlace) const;
    // Adds the actions for a place to a menu, each feature's group set apart by a separator;
    // returns how many were added.
    int AjouteAuMenu(QMenu *Menu, TEmplacementAction nPlace) const;
    // Asks the features in turn until one opens it: true then; false when those that open
    // folders could not; nothing when none opens folders.
    std::optional<bool> OuvreDossierDemande(const QString &cDossier) const;

private:
    QList<IFonctionnaliteKX *> m_Liste;
};
