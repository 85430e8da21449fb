#pragma once
// The main window's side of classifying images: the classification window opened from the
// list's and the grid's pop-ups, a double click and btEditeCritImg; the application of the
// search page's values to the checked images (btAppliqueCritRech); the favourite toggle
// (btCDC on the treatment bar, miCDC in the grid's pop-up, Ctrl+C in the grid and the list);
// the image's classification tree tvVigsCrit; and the drops of a criterion or a keyword on a
// thumbnail. The writes are TClassement's; after each one the image's state icon is set
// again and the selection object tells every other feature.

#include "classification/Classement.h"
#include "mainwindow/Fonctionnalite.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QDialog;
class QMimeData;
class QPushButton;
class QTreeWidget;
class TContexte;
class TfmMainKX;
class TListeImagesKX;
class TPLVListItem;
class TRechercheKX;

class TClassementKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TClassementKX(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste, TRechercheKX &Recherche);
    ~TClassementKX() override;

    // "Editer les &critères..." in the list's pop-up; "&Editer les critères..." and
    // "&Coup de coeur" in the grid's; the application in the "&Fichiers" menu.
    QList<QAction *> Actions(TEmplacementAction nPlace) override;

    TClassement &Classement() { return *m_pClassement; }

    // Opens the classification window on a row of the list (update mode only).
    void EditeCriteres(int nLigne);
    // The choice window, then the search page's values written to the checked rows.
    void btAppliqueCritRechClick();
    // Toggles the current image's favourite mark.
    void BasculeCoupDeCoeur();
    // Rebuilds tvVigsCrit for the current image.
    void AfficheClassement();

    // Runs a modal window and gives its result; tests answer in its place.
    std::function<int(QDialog &Fenetre)> fnExecute;
    // The remembered treatments, handed to the classification window's full-size picture.
    std::function<void(QImage &Image, const TEnrLV &Enr)> fnAppliqueTraitements;

    QPushButton *btEditeCritImg = nullptr;
    QPushButton *btAppliqueCritRech = nullptr;
    QPushButton *btCDC = nullptr;
    QAction *miImgsEditCritImg = nullptr;
    QAction *miVigsEditCritImg = nullptr;
    QAction *miCDC = nullptr;
    QAction *miAppliqueCritRech = nullptr;
    QTreeWidget *tvVigsCrit = nullptr;

private:
    void MajEtats();
    // The images whose classification changed since the last call: state icons set again,
    // then each reported once to the selection object.
    void Rafraichit();
    void Signale(const TResultatClassement &r);
    bool PeutDeposer(TPLVListItem *Item, const QMimeData *Donnees) const;
    void Depose(TPLVListItem *Item, const QMimeData *Donnees);
    const TEnrLV *EnrDeLigne(int nLigne) const;

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TListeImagesKX &m_Liste;
    TRechercheKX &m_Recherche;
    std::unique_ptr<TClassement> m_pClassement;
    QSet<QString> m_ClesModifiees;
    bool m_lRafraichissementPrevu = false;
};

// Installs the classification commands in the main window, beside the page "Recherche" whose
// tree and values they read.
TClassementKX *InstalleClassement(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste, TRechercheKX &Recherche);
