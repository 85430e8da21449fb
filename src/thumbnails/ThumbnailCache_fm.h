#pragma once
// The main window's thumbnail commands: the thumbnails of a listing (ChargeVignettes, with the
// small gauge and Esc), the "Vignettes en&registrées" pop-up (remaking and deleting cached
// thumbnails) added to the grid's pop-up, and the three save buttons with the contact sheet.
// The rules live in thumbnails/ThumbnailCache, Planche and SauveImage; this unit asks the user
// and moves the gauges. The current entry comes from the selection object.

#include "mainwindow/Fonctionnalite.h"
#include "thumbnails/ThumbnailCache.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QMenu;
class QProgressBar;
class QPushButton;
class QWidget;
class TBigIniFile;
class TContexte;
class TModeleListeImages;
class TPaneledListView;
class TListeImagesKX;
class TPLVListItem;
class TSelectionKX;
class TfmMainKX;
struct TEnrLV;

// Which entries a remake or delete command treats.
enum class TPorteeVignettes { Courante = 0, Cochees = 1, Toutes = 2 };

class TVignettesKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TVignettesKX(TContexte &Contexte, TSelectionKX &Selection, TPaneledListView *plvVigs, QProgressBar *ggChrgImg,
                 QWidget *Fenetre);
    ~TVignettesKX() override;

    // "Vignettes en&registrées" in the grid's pop-up, enabled when there is a current entry.
    QList<QAction *> Actions(TEmplacementAction nPlace) override;
    // Puts the three save buttons into the bar given (a horizontal layout).
    void CreeBoutons(QWidget *Barre);
    QPushButton *btSvgVigCour = nullptr;
    QPushButton *btSvgTtesVig = nullptr;
    QPushButton *btSvgImgCour = nullptr;

    TParamsVignettes Params() const;
    static TImageVignette ImageDe(const TEnrLV &Enr);

    // Gives every row of the list its grid item and thumbnail, in row order, the decoding
    // running on every core. Esc asks "Interrompre le chargement des vignettes ?"; on Yes the
    // rows after the current one are dropped. The settings store is saved once, at the end.
    // Returns the number of rows kept.
    int ChargeVignettes();

    // The pop-up "Vignettes en&registrées" with "&Recréer" and "&Supprimer", each offering
    // "la vignette &courante", "les vignettes &sélectionnées", "&Toutes les vignettes".
    QMenu *CreeMenuVignettesEnregistrees(QWidget *Parent);
    void miVigsVigsEnregRecreerClick(TPorteeVignettes nPortee);
    void miVigsVigsEnregSupprimerClick(TPorteeVignettes nPortee);

    void btSvgVigCourClick();
    void btSvgImgCourClick();
    // cNomPropose: the name the page proposes (folder name, saved search, "Historique des CDs").
    void btSvgTtesVigClick(const QString &cNomPropose);
    // Saves every thumbnail of a grid as one JPEG sheet; false when nothing was written.
    bool SauverPlanche(TPaneledListView *Grille, const QString &cNomPropose);

    // Seams the image pane and the tests fill.
    // The picture shown in the image pane; by default the current image as loaded.
    std::function<QImage()> fnImageAffichee;
    // The remembered treatments of an image applied to its thumbnail, each time the grid
    // decodes it; true when changed.
    std::function<bool(QImage &Vignette, const TEnrLV &Enr)> fnAppliqueTraitements;
    // Told each row whose thumbnail was just applied (listing or remake).
    std::function<void(int nLigne)> fnLigneAppliquee;
    // The save dialog: (title, initial folder, proposed name) → chosen file or empty.
    std::function<QString(const QString &cTitre, const QString &cDossier, const QString &cNom)> fnNomFichier;
    // True when an Esc key press is waiting; the default takes the one the long-task guard
    // noted while thumbnails load.
    std::function<bool()> fnEchapAttendu;
    // The screen width, for a sheet width of 0.
    std::function<int()> fnLargeurEcran;

private:
    int LigneCourante() const;
    void MajBoutons();
    TSourcesDonneesCD DonneesPour(const TEnrLV &Enr);
    void Applique(int nLigne, TPLVListItem *pItem, const TResultatVignette &r);
    void RefaitVignetteIllisible(TPLVListItem *pItem);
    QList<int> Lignes(TPorteeVignettes nPortee) const;
    // "la vignette &courante", with the size the stored thumbnail was made at when it differs.
    QString TexteVignetteCourante() const;
    void Traite(TPorteeVignettes nPortee, bool lRecreer);
    bool Demande(const QString &cTexte);
    void Message(const QString &cTitre, const QString &cTexte);
    bool SauveImage(const QImage &Image, const QString &cTitre, const QString &cNomPropose,
                    const QString &cFichierProtege);
    QString cNomEnregistrement(const QString &cTitre, const QString &cNomPropose);

    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    TModeleListeImages &m_Modele;
    QPointer<TPaneledListView> m_plvVigs;
    QPointer<QProgressBar> m_ggChrgImg;
    QPointer<QWidget> m_Fenetre;
    QMenu *m_pmEnregistrees = nullptr;
};

// Installs the thumbnail commands: the save buttons in the window's bar, the stored thumbnails
// in the grid's pop-up, and the thumbnails of every listing of the image list.
TVignettesKX *InstalleVignettes(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste);
