#pragma once
// The criteria editor's windows: "Edition des critères de recherche" (the tree, the saved
// lists and the keywords in use), the icon chooser "Gestion des images des critères
// hiérarchiques", and the one-line entry used to rename a keyword. Every rule lives in
// EditionCriteres; these windows show its state and pass the user's requests on.

#include "classification/EditionCriteres.h"
#include "classification/IconesArbres.h"

#include <QDialog>
#include <QSet>
#include <QTreeWidget>

#include <functional>
#include <memory>

class IMessages;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class TArboCriteres;
class TContexte;
class TIndexClassement;

// ---- One line of text ----------------------------------------------------------------------

class TfmSaisieChaine : public QDialog
{
    Q_OBJECT
public:
    explicit TfmSaisieChaine(QWidget *Parent = nullptr);
    // The caller's settings: caption, label, upper-case input, initial text.
    void Prepare(const QString &cTitre, const QString &cLabel, bool lMajuscules, const QString &cTexte);
    QString Texte() const;

    QLabel *stLabel = nullptr;
    QLineEdit *edSaisie = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

private:
    bool m_lMajuscules = false;
};

// ---- The icon chooser ----------------------------------------------------------------------

class TfmEditCritRechImgsCH : public QDialog
{
    Q_OBJECT
public:
    TfmEditCritRechImgsCH(const QString &cDossierImgsCH, QWidget *Parent = nullptr);
    // Lists the folder's icons and selects the current one; false when no file is usable
    // (the dialog is then not to be shown).
    bool Prepare(const QString &cImageCH, bool lAEnfants);

    // On OK: the icon chosen (empty: the default) and its reach (0 the node, 1 and its
    // children, 2 and every descendant).
    QString ImageChoisie() const;
    int Portee() const;

    QListWidget *lbImages = nullptr;
    QComboBox *cbImgCategories = nullptr;
    QLineEdit *edImgAtteindre = nullptr;
    QPushButton *btImageParDefaut = nullptr;
    QRadioButton *rbAffecteImageCHCourSeul = nullptr;
    QRadioButton *rbAffecteImageCHCourEtEnf = nullptr;
    QCheckBox *cbCHCourEtEnfRecurs = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

    const std::vector<TEnrImgCH> &Images() const { return m_Images; }
    const std::vector<TEnrCat> &Categories() const { return m_Categories; }

private:
    void cbImgCategoriesChange(int n);
    void edImgAtteindreChange();
    void SelectionneEnHaut(int n);

    QString m_cDossier;
    std::vector<TEnrImgCH> m_Images;
    std::vector<TEnrCat> m_Categories;
};

// ---- The editor ----------------------------------------------------------------------------

// The editor's tree: captions edited in place (F2), a node dropped on another where the rules
// allow it.
class TArbreEditCrit : public QTreeWidget
{
    Q_OBJECT
public:
    TArbreEditCrit(const TArboEditee &Arbo, QWidget *Parent = nullptr);
    static QString CheminDe(const QTreeWidgetItem *Item);
    QTreeWidgetItem *ItemDe(const QString &cChemin) const { return m_Items.value(cChemin); }
    // Rebuilds the items from the tree, expanding the given paths.
    void Reconstruit(TListeImagesArbres &Icones, const QSet<QString> &Deplies);
    QSet<QString> Deplies() const;
    bool EnConstruction() const { return m_lConstruction; }
    bool EnEdition() const { return state() == QAbstractItemView::EditingState; }
    // Whether the node under that point may receive the dragged node.
    QString CibleAcceptee(const QPoint &Position) const;

signals:
    // A node was dropped on an accepted target at that global position.
    void Depot(const QString &cDeplace, const QString &cCible, const QPoint &PositionGlobale);

protected:
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &Items) const override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    const TArboEditee &m_Arbo;
    QHash<QString, QTreeWidgetItem *> m_Items;
    bool m_lConstruction = false;
};

class TfmEditCritRech : public QDialog
{
    Q_OBJECT
public:
    // The tree is copied from the search tree; pIndex (may be null) follows the changes.
    TfmEditCritRech(TContexte &Contexte, const TArboCriteres &ArboRech, TIndexClassement *pIndex,
                    QWidget *Parent = nullptr);
    ~TfmEditCritRech() override;

    TEditionCriteres &Edition() { return *m_Edition; }
    bool Modifie() const { return m_Edition->lModifie; }

    // Seams for the tests: how a pop-up, the icon chooser and the entry dialog are run.
    std::function<QAction *(QMenu *, const QPoint &)> fnExecMenu;
    std::function<int(TfmEditCritRechImgsCH &)> fnExecImages;
    std::function<int(TfmSaisieChaine &)> fnExecSaisie;

    TArbreEditCrit *tvCriteres = nullptr;
    QMenu *pmCriteres = nullptr;
    QAction *miDeplierTout = nullptr;
    QAction *miReplierTout = nullptr;
    QPushButton *btImageCH = nullptr;
    QPushButton *btCreeCritereFrere = nullptr;
    QPushButton *btCreeCritereEnfant = nullptr;
    QPushButton *btSupprimeCritere = nullptr;
    QPushButton *btRenommeCritere = nullptr;
    QListWidget *lbSupprCritEnreg = nullptr;
    QPushButton *btSupprCritEnreg = nullptr;
    QListWidget *lbSupprRechMC = nullptr;
    QPushButton *btSupprRechMC = nullptr;
    QListWidget *lbMAJMC = nullptr;
    QPushButton *btSupprMC = nullptr;
    QPushButton *btRenMC = nullptr;
    QPushButton *btCopiePPCritsMC = nullptr;
    QPushButton *btQuitter = nullptr;
    QMenu *pmDragDrop = nullptr;
    QAction *miCopier = nullptr;
    QAction *miDeplacer = nullptr;
    QAction *miAnnuler = nullptr;

    void btCreeCritereFrereClick();
    void btCreeCritereEnfantClick();
    void btSupprimeCritereClick();
    void btRenommeCritereClick();
    void btImageCHClick();
    void btSupprCritEnregClick();
    void btSupprRechMCClick();
    void btSupprMCClick();
    void btRenMCClick();
    void btCopiePPCritsMCClick();
    // The drop menu for dragging cDeplace onto cCible, run at that position.
    void DepotDemande(const QString &cDeplace, const QString &cCible, const QPoint &Position);
    void MajBoutons();

    void done(int r) override;

private:
    QString CheminCourant() const;
    // Runs an operation and shows the tree again, selecting cSelection; false when refused.
    bool Execute(const TOperationCritere &Op, const QString &cSelection);
    void Reconstruit(const QString &cSelection, QSet<QString> Deplies);
    void Cree(const QString &cParent);
    void CaptionEditee(QTreeWidgetItem *Item);
    void MajListes();
    void MajBoutonImage();

    TContexte &m_Contexte;
    IMessages &m_Messages;
    std::unique_ptr<TJournalCriteres> m_Journal;
    std::unique_ptr<TEditionCriteres> m_Edition;
    TListeImagesArbres m_Icones;
    bool m_lFerme = false;
};
