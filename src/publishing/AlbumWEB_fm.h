#pragma once
// Making a web album from the program: the window `TfmAlbumWEB` that collects the album's name,
// place and options, the entry every caller goes through (`OuvreAlbumWEB`), and the main
// window's button `btAlbumWEB` with its menu. The rules the window follows live in
// publishing/FenetreAlbumWEB.

#include "mainwindow/Fonctionnalite.h"
#include "publishing/FenetreAlbumWEB.h"
#include "publishing/GenerationAlbumWEB.h"
#include "publishing/OptionsAlbumWEB.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;
class IOperationsFichiers;
class TContexte;
class TFolderTreeView;
class TSelectionKX;
class TfmAlbumWEB;
class TfmAlbumWEBApercu;
class TfmMainKX;

// What the entry asks outside the program; tests replace them.
struct TInterfaceAlbumWEB
{
    // Shows the album's first page in the browser (default: xdg-open).
    std::function<void(const QString &cPage)> fnOuvrePage;
    // Runs the prepared window and returns its result (default: exec()).
    std::function<int(TfmAlbumWEB &Fenetre)> fnExecute;
    // Where a replaced album goes (default: the desktop trash).
    IOperationsFichiers *pOperations = nullptr;
    // Opens the history of web albums once it has entries.
    std::function<void(QWidget *Parent)> fnHistorique;
    // Threads decoding and encoding; 0: one per core.
    int nFils = 0;
};

// The web album window, opened modally for one source ("Création d'un album WEB. Clic-Clic,
// l'album est dans l'sac"). Every change runs the one enabling function of the state, so that
// no control keeps a state decided before the last change.
class TfmAlbumWEB : public QDialog
{
    Q_OBJECT
public:
    TfmAlbumWEB(TContexte &Contexte, const TParamsAlbumWEB &Params, const TInterfaceAlbumWEB &Interface,
                QWidget *Parent = nullptr);
    ~TfmAlbumWEB() override;

    // Takes the source and counts its images; true when it holds at least one.
    bool InitAlbumWEB(const TSourceDonneesAW &Source);
    // Fills the controls from the kept options and the source, before the window is shown.
    void FormShow();

    // The album folder made by OK (ending with "/"), empty until then.
    QString DossierAlbum() const { return m_cDossierAlbum; }
    // The options as the controls give them (the album folder left empty).
    TOptionsAlbumWEB OptionsControles() const;
    const TEtatAlbumWEB &Etat() const { return m_Etat; }
    int ContenuAlbum() const;

    QLabel *stNomAlbum = nullptr;
    QLineEdit *edNomAlbum = nullptr;
    QComboBox *cbNomAlbum = nullptr;
    QLabel *stDosParentAlbum = nullptr;
    TFolderTreeView *tvDosParentAlbum = nullptr;
    QPushButton *btCreerDossier = nullptr;
    QLabel *stNbreVigImg = nullptr;
    QSpinBox *edNbLig = nullptr;
    QLabel *stNbLig = nullptr;
    QSpinBox *edNbCol = nullptr;
    QLabel *stNbCol = nullptr;
    QGroupBox *rgContAlbum = nullptr;
    QButtonGroup *bgContAlbum = nullptr;
    QComboBox *cbDispoVig = nullptr;
    QGroupBox *gbRedImg = nullptr;
    QLabel *stRedImgTailleMax = nullptr;
    QComboBox *cbRedImgTailleMax = nullptr;
    QGroupBox *gbAffDonnees = nullptr;
    QCheckBox *cbAffNom = nullptr;
    QCheckBox *cbAffResol = nullptr;
    QCheckBox *cbAffTaille = nullptr;
    QCheckBox *cbAffDate = nullptr;
    QCheckBox *cbAffLegende = nullptr;
    QComboBox *cbTypeLegende = nullptr;
    QLabel *stAffPolice = nullptr;
    QComboBox *cbAffPolice = nullptr;
    QPushButton *btAffCadre = nullptr;
    QGroupBox *gbCouleurs = nullptr;
    QPushButton *btCoulFondFenetre = nullptr;
    QPushButton *btCoulPolice = nullptr;
    QPushButton *btCoulCadre = nullptr;
    QPushButton *btCoulFondVigImg = nullptr;
    QPushButton *btCoulFondDonnees = nullptr;
    QLabel *stNomFenCipale = nullptr;
    QLineEdit *edNomFenCipale = nullptr;
    QLabel *stMotsCles = nullptr;
    QLineEdit *edMotsCles = nullptr;
    QLabel *stNomFenImgPE = nullptr;
    QLineEdit *edNomFenImgPE = nullptr;
    QCheckBox *cbHierDansVoletRech = nullptr;
    QCheckBox *cbVisuResApresCreation = nullptr;
    QPushButton *btHistorique = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;
    QPushButton *btAide = nullptr;

    // The colour value (0x00BBGGRR) a colour button holds.
    static quint32 CouleurBouton(const QPushButton *Bouton);
    void MetCouleurBouton(QPushButton *Bouton, quint32 nCouleur);

    void rgContAlbumClick();
    void cbNomAlbumChange();
    void edNomAlbumChange();
    void cbAffClick(QObject *Source);
    // The user typed in the rows or the columns box: the other one follows.
    void edNbLigChange();
    void edNbColChange();
    void btCoulClick(QPushButton *Bouton);
    void btCreerDossierClick();
    void btHistoriqueClick();
    // Checks and makes the album folder, generates, keeps the options; closes on success.
    void btOKClick();

    // The layout preview, while the window is shown.
    TfmAlbumWEBApercu *Apercu() const { return m_pApercu.get(); }
    void RafraichirApercu();

    // Test seams: the name of the folder to create, the colour chosen (nullopt: cancelled).
    std::function<std::optional<QString>()> fnDemandeNomDossier;
    std::function<std::optional<quint32>(quint32 nCouleur)> fnChoisitCouleur;

signals:
    // A layout option changed (rows, columns, content kind, thumbnail placement, a data box,
    // the font, the frame, a colour): the preview follows it.
    void OptionsModifiees();

protected:
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;

private:
    void CreeControles();
    void Applique();
    void MajCompte();
    void FixeGrille(const TGrilleAlbumWEB &G);
    void PlaceEnBasADroite();

    TContexte &m_Contexte;
    TParamsAlbumWEB m_Params;
    TInterfaceAlbumWEB m_Interface;
    TSourceDonneesAW m_Source;
    TEtatAlbumWEB m_Etat;
    TComptesAlbumsPerso m_ComptesPerso;
    std::unique_ptr<IOperationsFichiers> m_Operations;
    std::unique_ptr<TfmAlbumWEBApercu> m_pApercu;
    QString m_cDossierAlbum;
    bool m_lMaj = false; // controls being filled: no handler reacts
    bool m_lPlacee = false;
};

// The generator's parameters from the application context.
TParamsAlbumWEB ParamsAlbumWEB(TContexte &Contexte);

// Makes an album of the source (its list or its name or path inside Source). Returns the
// album folder when an album was written, empty otherwise.
QString OuvreAlbumWEB(TContexte &Contexte, QWidget *Parent, const TSourceDonneesAW &Source,
                      const TInterfaceAlbumWEB &Interface = {});

class TAlbumWEBKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TAlbumWEBKX(TContexte &Contexte, TSelectionKX &Selection, QWidget *Fenetre);

    // Puts `btAlbumWEB` into the bar given (a horizontal layout), after what is there.
    void CreeBouton(QWidget *Barre);

    QPushButton *btAlbumWEB = nullptr;
    QMenu *pmAlbumWEB = nullptr;
    QAction *miAlbumWEBGenAPartirImgSel = nullptr;
    QAction *miAlbumWEBGenAWHPerso = nullptr;
    QAction *miAlbumWEBGenAWHDossiers = nullptr;
    // The personal hierarchy editor; hidden until its feature is installed.
    QAction *miAlbumWEBAWH = nullptr;

    void miAlbumWEBGenAPartirImgSelClick();
    void miAlbumWEBGenAWHPersoClick();
    void miAlbumWEBGenAWHDossiersClick();

    TInterfaceAlbumWEB Interface;

    void pmAlbumWEBPopup();

private:
    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    QPointer<QWidget> m_Fenetre;
};

TAlbumWEBKX *InstalleAlbumWEB(TfmMainKX &Main, TContexte &Contexte);
