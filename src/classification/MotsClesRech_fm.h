#pragma once
// The keyword row of the page "Recherche": the keyword box `cbCritMC` with its saved keyword
// sets and its AND/OR operator, the button `btCritMC` that opens the keyword panel, and the
// save button `btSvgCritMC`. The panel `pnCritMC` lists the whole vocabulary in `tvCritMC`:
// a double click adds a keyword to the box, a drag carries it to a thumbnail.
//
// The panel floats over the command pane as a child of the main window, so that it may
// reach below the page, over the image list, and hides as soon as the focus leaves it.

#include "classification/MotsCles.h"

#include <QComboBox>
#include <QFrame>
#include <QObject>
#include <QTreeWidget>
#include <QValidator>
#include <functional>

class QAction;
class QActionGroup;
class QMenu;
class QPushButton;
class TContexte;
class TSelectionKX;

// What the keyword box accepts, whatever brings it (typing, pasting, dropping): the input
// filter of the keyword texts.
class TValidateurMotsCles : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &cTexte, int &nPos) const override;
};

// The keyword tree of the panel: its nodes never collapse, a double click on a keyword
// reports it, and a keyword may be dragged while dragging is allowed.
class TArbreMotsCles : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TArbreMotsCles(QWidget *Parent = nullptr);

    // Rebuilds the items from the nodes, expands everything and selects the group node.
    void Remplit(const std::vector<TNoeudMotCle> &Noeuds);
    // The keyword of an item, empty for the group node.
    static QString MotCleDe(const QTreeWidgetItem *Item);

    // Asked when a drag starts: the allowance may have changed since the panel was shown.
    std::function<bool()> fnPeutGlisser;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &Items) const override;

signals:
    void MotCleActive(const QString &cMotCle);
    // The focus went to another widget of the window (not to a pop-up or another window).
    void FocusPerdu();

protected:
    void focusOutEvent(QFocusEvent *Evenement) override;
    void startDrag(Qt::DropActions Actions) override;
};

class TMotsClesRechKX : public QObject
{
    Q_OBJECT
public:
    // Fills the row it is given; the panel is as wide as Page. The saved sets are loaded now.
    TMotsClesRechKX(QWidget *Ligne, QWidget *Page, TContexte &Contexte, TSelectionKX &Selection);

    // What a search reads: the box's text and the operator (true for AND).
    QString Texte() const;
    bool OperateurET() const { return m_Etat.lOperateurET; }
    void MetOperateurET(bool lET);

    // Loads the saved sets again (at start-up, and after the criteria editor deleted some).
    void ChargeEnregistres();
    // Saves the box's text as a set; a failure is told, the set kept for the next save.
    void Enregistre();
    // Shows or hides the panel, as the button does.
    void AfficheMotsCles(bool lAffiche);
    bool PanneauAffiche() const;

    // Whether the thumbnails are shown, for dragging (always, when not set).
    std::function<bool()> fnVignettesVisibles;
    bool PeutGlisser() const;

    // The four entries of the main menu's column "Mots-clés", with that menu's captions; the
    // pop-up of the box holds their twins.
    QList<QAction *> ActionsMenu() const;

    QComboBox *cbCritMC = nullptr;
    QPushButton *btCritMC = nullptr;
    QPushButton *btSvgCritMC = nullptr;
    QFrame *pnCritMC = nullptr;
    TArbreMotsCles *tvCritMC = nullptr;

    QMenu *pmCBCritMC = nullptr;
    QAction *miAfficherMC = nullptr;
    QAction *miOperateurET = nullptr;
    QAction *miOperateurOU = nullptr;
    QAction *miEffacerMC = nullptr;

signals:
    // Enter in the box: the search runs.
    void RechercheDemandee();

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    struct TEntrees
    {
        QAction *Afficher = nullptr;
        QAction *ET = nullptr;
        QAction *OU = nullptr;
        QAction *Effacer = nullptr;
    };
    TEntrees CreeEntrees(const QString &cET, const QString &cEffacer);
    void TexteChange();
    void MajEntrees();
    void AppliqueCouleur();
    void PlacePanneau();
    void AjouteMotCle(const QString &cMotCle);
    void MasqueSurPerteFocus();
    void RemplitListe();

    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    QWidget *m_Page;
    TMotsClesRecherche m_Etat;
    TEntrees m_Popup;
    TEntrees m_Menu;
};
