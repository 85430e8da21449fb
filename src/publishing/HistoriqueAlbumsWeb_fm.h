#pragma once
// The history of web albums ("Historique des albums WEB"): the albums made so far, filtered by
// keyword, opened in the browser or deleted. Every caller goes through
// OuvreHistoriqueAlbumsWEB; the rules live in publishing/HistoriqueAlbumsWeb.

#include "publishing/HistoriqueAlbumsWeb.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class IOperationsFichiers;
class TContexte;
class TExpColPanel;
class TfmAlbumWEBHisto;

// What the window asks outside the program; tests replace them.
struct TInterfaceHistoAlbumsWEB
{
    // Opens a page with the program associated with it; false when it could not.
    std::function<bool(const QString &cPage)> fnOuvrePage;
    // Runs the filled window (default: exec()).
    std::function<int(TfmAlbumWEBHisto &Fenetre)> fnExecute;
    // Where a deleted album goes (default: the desktop trash).
    IOperationsFichiers *pOperations = nullptr;
};

class TfmAlbumWEBHisto : public QDialog
{
    Q_OBJECT
public:
    TfmAlbumWEBHisto(TContexte &Contexte, const TInterfaceHistoAlbumsWEB &Interface, QWidget *Parent = nullptr);
    ~TfmAlbumWEBHisto() override;

    // Refills the list from the history and the filter; true when it has rows.
    bool RemplirHistorique();

    // The albums of the rows, in their order.
    const QList<TLigneHistoAlbumWEB> &Lignes() const { return m_Lignes; }

    QTreeWidget *lvHistorique = nullptr;
    TExpColPanel *pnAfficher = nullptr;
    QGroupBox *gbAfficher = nullptr;
    QRadioButton *rbTsAlbums = nullptr;
    QRadioButton *rbAlbumsContMC = nullptr;
    QLineEdit *edChercherMC = nullptr;
    QPushButton *btChercherMC = nullptr;
    QCheckBox *cbMotEntier = nullptr;
    QPushButton *btVisualiser = nullptr;
    QPushButton *btSupprimer = nullptr;
    QPushButton *btQuitter = nullptr;

    void btVisualiserClick();
    void btSupprimerClick();

private:
    void CreeControles();
    void rbClick();
    void MajBoutons();
    void SelectionnePremiere();
    void Selectionne(QTreeWidgetItem *Item);

    TContexte &m_Contexte;
    TInterfaceHistoAlbumsWEB m_Interface;
    THistoriqueAlbumsWEB m_Historique;
    std::unique_ptr<IOperationsFichiers> m_Operations;
    QList<TLigneHistoAlbumWEB> m_Lignes;
    bool m_lSuppression = false; // a row is being removed: the focus does not pull the selection
};

// Creates the window, fills it, shows it modally when it has rows (else "Aucun historique des
// albums WEB."), and frees it.
void OuvreHistoriqueAlbumsWEB(TContexte &Contexte, QWidget *Parent, const TInterfaceHistoAlbumsWEB &Interface = {});
