#pragma once
// The full-screen viewer `TfmPleinEcran`: the current image of the main list on the whole
// screen of the main window, with its tool bar, the image's classification, the position
// picture and keyboard navigation through the main grid. Pictures are decoded for the screen on
// a worker, the next and previous ones ahead, so that stepping through the list shows them at
// once. And the feature that opens it and adds the viewing entries of the thumbnail pop-up.

#include "calendar/PleinEcran.h"
#include "calendar/ProgrammeOuverture.h"
#include "calendar/VignetteFlottante_fm.h"
#include "mainwindow/Fonctionnalite.h"

#include <QDialog>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QTimer;
class QLabel;
class QMenu;
class QToolButton;
class TAfficheImageKX;
class TComboZoom;
class TContexte;
class TfmMainKX;
struct TEnrLV;

namespace PleinEcran
{
class TZoneImage;
class TImagePosition;
} // namespace PleinEcran

class TfmPleinEcran : public QDialog
{
    Q_OBJECT
public:
    TfmPleinEcran(TfmMainKX &Main, TContexte &Contexte, const QColor &Fond);
    ~TfmPleinEcran() override;

    // The picture's hint for an entry (the main pane's), its first block shown as plain text.
    std::function<QString(const TEnrLV &Enr)> fnBulle;
    // Plays a ".WAV" companion without waiting; unset, the sound button stays disabled.
    std::function<void(const QString &cFichierWav)> fnMemoSonore;
    // Stops the memo playing, when the view leaves its image.
    std::function<void()> fnArreteMemo;

    // Prepares the window on the main window's screen and takes the current image.
    void AfficherPleinEcran();
    void PrendreImage();
    void MajOutils();
    void DisposerImage();

    // For the tests and the benchmark.
    const PleinEcran::TDisposition &Disposition() const { return m_Disposition; }
    const PleinEcran::TImagePleinEcran &ImageCourante() const { return m_Image; }
    QSize Ecran() const;
    PleinEcran::TAvanceImages &Avance() { return *m_pAvance; }
    // Waits (events processed) until the current image is shown; false after nMs.
    bool AttendImage(int nMs = 10000);

protected:
    void keyPressEvent(QKeyEvent *Evenement) override;
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;
    void changeEvent(QEvent *Evenement) override;

private:
    void ConstruitFenetre();
    QToolButton *Bouton(const char *cNom, const QString &cTexte, const QString &cBulle, int x);
    void Touche(int nTouche, Qt::KeyboardModifiers Modificateurs);
    void Naviguer(int nTouche);
    void CouranteChange();
    void Demande();
    void Recoit();
    void Montre(const PleinEcran::TImagePleinEcran &Image);
    void TracerZone();
    QString Bulle();
    void btAfficheMasqueClick(bool lEnfonce);
    void btCriteresClick(bool lEnfonce);
    void btCentrerClick();
    void cbZoomChange(int nIndex);
    void imPositClick(const QPoint &pt);
    void CopieCriteres();
    void NouvelleAvance();
    void FinPleinEcran();

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    // The main window's image pane, fed with this view's pictures while it is up.
    QPointer<TAfficheImageKX> m_pAffiche;
    PleinEcran::TZoneImage *sbPleinEcran = nullptr;
    QWidget *pnCommandes = nullptr;
    QToolButton *btAfficheMasque = nullptr, *btCriteres = nullptr, *btImgPosit = nullptr, *btMemoSonore = nullptr;
    QToolButton *btPrem = nullptr, *btPrec = nullptr, *btSuiv = nullptr, *btDern = nullptr;
    TComboZoom *cbZoom = nullptr;
    QToolButton *btCentrer = nullptr, *btRotGauche = nullptr, *btRotDroite = nullptr;
    QToolButton *btMirHorizontal = nullptr, *btMirVertical = nullptr, *btQuitter = nullptr;
    QWidget *pnCriteres = nullptr;
    QLabel *stCriteres = nullptr;
    QTreeWidget *tvCriteres = nullptr;
    QWidget *pnImgPosit = nullptr;
    PleinEcran::TImagePosition *imPosit = nullptr;

    struct TCommandes;
    std::shared_ptr<TCommandes> m_pCommandes;
    std::unique_ptr<PleinEcran::TAvanceImages> m_pAvance;
    PleinEcran::TImagePleinEcran m_Image;
    PleinEcran::TDisposition m_Disposition;
    int m_nZoomAvance = -1; // the zoom the kept decodes were made for
    bool m_lAttente = false;
    PleinEcran::TRepetition m_Repetition;
    bool m_lRepetition = false;     // the key being handled is an auto-repeat
    QTimer *m_pMajOutils = nullptr; // the tools' refresh, put off while a key is held
    QTimer *m_pVoisins = nullptr;   // lets the neighbours' decodes start after a paint
    QString m_cImageOutils;         // the image the tools were last set for
    QString m_cBulle;               // the current image's hint, for the file m_cBulleFichier
    std::optional<QString> m_cBulleFichier;
    // The drag of a picture larger than the screen.
    bool lDeplace = false;
    int nPriseX = 0, nPriseY = 0, nDecalX = 0, nDecalY = 0;
    QPoint m_PositionPrise;
};

// The viewing entries of the thumbnail pop-up ("Plein &écran", "&Mémo sonore", the image's
// properties, the copy of its data, "Ex&plorer", "&Ouvrir avec") and the floating thumbnail.
class TPleinEcranKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TPleinEcranKX(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche);
    ~TPleinEcranKX() override;
    QList<QAction *> Actions(TEmplacementAction nPlace) override;

    // Seams filled by the main window once those features exist: the sound memo of a file and
    // the properties sheet of an entry. Their entries stay disabled while unset.
    std::function<void(const QString &cFichierWav)> fnMemoSonore;
    std::function<void()> fnArreteMemo;
    // The plain copy of an image's hint.
    std::function<QString(const TEnrLV &Enr)> fnBulle;
    // Shows a folder in the exploration page, listing it again when it is already shown; false
    // when it cannot.
    std::function<bool(const QString &cDossier)> fnExplorer;
    // Starts a program; false when it could not be started.
    std::function<bool(const QString &cProgramme, const QStringList &Arguments)> fnDemarre;

    TContexte &Contexte() const { return m_Contexte; }
    TProgrammesOuverture &Programmes() { return m_Programmes; }
    TfmVignetteFlottante *VignetteFlottante() const { return m_fmVignetteFlottante; }
    // Makes or frees the floating thumbnail as vfGene.lActive says (at start and whenever the
    // settings change).
    void MajVignetteFlottante();
    // Any window registers its tree here (nTypeArbre 0 folder tree, 1 CD tree, 2 explorer
    // tree): the floating thumbnail follows it whenever it exists, made before or after the
    // registration, and forgets it when the tree is destroyed.
    void SuivreArbre(QTreeWidget *Arbre, quint8 nTypeArbre, TfmVignetteFlottante::TFournisseur Fournisseur);
    // The registered trees still alive.
    QList<QTreeWidget *> ArbresSuivis() const;
    // Opens the full-screen view on the current image (as a double click on the pane).
    void PleinEcran(const QImage &Image, const QColor &Fond);
    // The last full-screen window, while it is open.
    TfmPleinEcran *Fenetre() const { return m_fmPleinEcran; }

private:
    void MajEtats();
    void MemoSonore();
    void CopierDonnees();
    void Explorer();
    void OuvrirAvec();

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
    TAfficheImageKX &m_Affiche;
    QAction *miPleinEcran = nullptr, *miMemoSonore = nullptr;
    QAction *miCopierDonnees = nullptr, *miExplorer = nullptr, *miOuvrirAvec = nullptr;
    TProgrammesOuverture m_Programmes;
    TProgrammeOuverture m_Programme; // the current image's
    TfmPleinEcran *m_fmPleinEcran = nullptr;
    TfmVignetteFlottante *m_fmVignetteFlottante = nullptr;
    struct TArbreSuivi
    {
        QPointer<QTreeWidget> Arbre;
        const QObject *pObjet = nullptr;
        quint8 nType = 0;
        TfmVignetteFlottante::TFournisseur Fournisseur;
    };
    QList<TArbreSuivi> m_ArbresSuivis;
};

TPleinEcranKX *InstallePleinEcran(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche);

// Lays the thumbnail pop-up's entries out in their order, with separators between groups; over
// the image pane (lPanneau) the default entry is "Plein &écran", else "&Editer les critères...".
// Returns how many entries were added.
int RemplitPmVigs(QMenu *Menu, const QList<QAction *> &Actions, bool lPanneau);
