#pragma once
// The windows of the personal web albums: the editor of albums, folders and their images
// (`TfmAlbumWEBHierPersoMAJ`), the dialog that manages a folder's ticked images
// (`TfmAlbumWEBHierPersoMAJGestImg`), the dialog that adds images from the main window
// (`TfmAlbumWEBHierPersoAjtImg`), and the feature that offers them in the main window. Every
// rule lives in publishing/AlbumsWebPerso; these only call it and show the store again.

#include "mainwindow/Fonctionnalite.h"
#include "publishing/AlbumsWebPerso.h"

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTreeWidget>

#include <functional>
#include <optional>

class QAction;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;
class TBigIniFile;
class TContexte;
class TPaneledListView;
class TfmMainKX;

// The editor's folder tree: Qt's drag of one folder onto another, refused where the drop rules
// say so (Escape cancels the drag). The drop itself changes nothing: DepotDemande tells the
// editor, which asks and acts on the store.
class TArbreDossiersAWH : public QTreeWidget
{
    Q_OBJECT
public:
    explicit TArbreDossiersAWH(QWidget *Parent = nullptr);
    // The album's folder paths, for the drop rules.
    QStringList Chemins;
    // The path a node stands for.
    static QString Chemin(const QTreeWidgetItem *Item);
    QTreeWidgetItem *Noeud(const QString &cChemin) const;
    // Whether the dragged folder (the current one) may be dropped on the node.
    bool PeutDeposerSur(const QTreeWidgetItem *Cible) const;

signals:
    void DepotDemande(const QString &cSource, const QString &cCible);

protected:
    void dragMoveEvent(QDragMoveEvent *e) override;
    void dropEvent(QDropEvent *e) override;
};

// Fills a tree with the album's folders: each path split on "/", the nodes made as needed,
// every node expanded, the first selected (or cSelection when it is there). The node's path is
// kept in its Qt::UserRole.
void RemplirDossiers(const TBigIniFile &iniSetup, const QString &cAlbum, QTreeWidget *Arbre,
                     const QString &cSelection = {});

class TfmAlbumWEBHierPersoMAJ : public QDialog
{
    Q_OBJECT
public:
    TfmAlbumWEBHierPersoMAJ(TContexte &Contexte, QWidget *Parent = nullptr);

    // The album and folder selected (empty / nullopt when none).
    QString AlbumCourant() const;
    std::optional<QString> DossierCourant() const;
    // The keys of the pane's ticked images.
    QStringList ClesCochees() const;

    QGroupBox *gbAlbums = nullptr;
    QTreeWidget *tvAWH = nullptr;
    QPushButton *btAWHNouveau = nullptr;
    QPushButton *btAWHSupprime = nullptr;
    QPushButton *btAWHRenomme = nullptr;
    QGroupBox *gbDossiers = nullptr;
    TArbreDossiersAWH *tvDossiersAWH = nullptr;
    QPushButton *btDossiersAWHCreeEnfant = nullptr;
    QPushButton *btDossiersAWHCreeFrere = nullptr;
    QPushButton *btDossiersAWHRenomme = nullptr;
    QPushButton *btDossiersAWHSupprime = nullptr;
    QGroupBox *gbImages = nullptr;
    TPaneledListView *plvImages = nullptr;
    QPushButton *btImagesToutes = nullptr;
    QPushButton *btImagesAucune = nullptr;
    QPushButton *btImagesGestion = nullptr;
    QPushButton *btGenerer = nullptr;
    QPushButton *btQuitter = nullptr;

    void btAWHNouveauClick();
    void btAWHSupprimeClick();
    void btAWHRenommeClick();
    void btDossiersAWHCreeEnfantClick();
    void btDossiersAWHCreeFrereClick();
    void btDossiersAWHRenommeClick();
    void btDossiersAWHSupprimeClick();
    void btImagesTouteClick(bool lCoche);
    void btImagesGestionClick();
    void btGenererClick();
    void btQuitterClick();
    // A folder dropped on another: the menu, the question, then the copy or the move.
    void Depose(const QString &cSource, const QString &cCible);

    // Test seams: the name typed for a new album (nullopt: cancelled); the drop menu's choice
    // among its entries (-1: none); the management dialog run (true: OK); the generator.
    std::function<std::optional<QString>()> fnSaisieNom;
    std::function<int(const QStringList &Entrees)> fnMenuDepot;
    std::function<bool(class TfmAlbumWEBHierPersoMAJGestImg &Dialogue)> fnExecuteGestion;
    std::function<void(const QString &cAlbum)> fnGenere;

signals:
    // A change of the personal albums was saved (hints list the albums holding an image).
    void AlbumsModifies();

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    void CreeControles();
    void RemplitAlbums(const QString &cSelection);
    void AlbumChange();
    void DossierChange();
    void RemplitImages();
    void MajBoutons();
    // Shows a refusal or a failed save; emits AlbumsModifies when the store changed.
    bool Rend(const AlbumsWebPerso::TResultat &R);
    void AlbumEdite(QTreeWidgetItem *Item);
    void DossierEdite(QTreeWidgetItem *Item);
    void CreeDossier(bool lEnfant);

    TContexte &m_Contexte;
    TBigIniFile &m_ini;
    QStringList m_ClesImages; // the key of each panel of plvImages
    bool m_lRemplissage = false;
};

// The choice of the management dialog.
class TfmAlbumWEBHierPersoMAJGestImg : public QDialog
{
    Q_OBJECT
public:
    // cAlbum and cChemin: the editor's current folder, the images' home.
    TfmAlbumWEBHierPersoMAJGestImg(const TBigIniFile &iniSetup, const QStringList &Albums, const QString &cAlbum,
                                   const QString &cChemin, QWidget *Parent = nullptr);

    AlbumsWebPerso::TGestion Gestion() const;
    QString AlbumCible() const;
    std::optional<QString> DossierCible() const;

    QRadioButton *rbSupprime = nullptr;
    QRadioButton *rbCopie = nullptr;
    QRadioButton *rbDeplace = nullptr;
    QComboBox *cbAlbums = nullptr;
    QTreeWidget *tvDossiers = nullptr;
    QDialogButtonBox *btBoutons = nullptr;
    QPushButton *btOK = nullptr;

    void MajEtat();

private:
    const TBigIniFile &m_ini;
    QString m_cAlbum;
    QString m_cChemin;
};

// The choice of an album's folder to add images to.
class TfmAlbumWEBHierPersoAjtImg : public QDialog
{
    Q_OBJECT
public:
    TfmAlbumWEBHierPersoAjtImg(const TBigIniFile &iniSetup, QWidget *Parent = nullptr);

    QString Album() const;
    std::optional<QString> Dossier() const;

    QTreeWidget *tvAlbums = nullptr;
    QTreeWidget *tvDossiers = nullptr;
    QPushButton *btOK = nullptr;

private:
    const TBigIniFile &m_ini;
};

// Opens the editor modally; fnModifie runs after each saved change.
void OuvreAlbumsWebPerso(TContexte &Contexte, QWidget *Parent, const std::function<void()> &fnModifie = {});

// The main window's side: the grid pop-up's entries and the web album menu's editor entry.
class TAlbumsWebPersoKX : public QObject, public IFonctionnaliteKX
{
    Q_OBJECT
public:
    TAlbumsWebPersoKX(TfmMainKX &Main, TContexte &Contexte);
    ~TAlbumsWebPersoKX() override;

    QList<QAction *> Actions(TEmplacementAction nPlace) override;

    enum TChoixAjout { AjoutCourante, AjoutSelectionnees, AjoutToutes };
    // The keys the choice adds: the current image, or the ticked rows, or every row, leaving out
    // in the last two the rows whose thumbnail could not be made.
    QStringList ClesAjout(TChoixAjout nChoix) const;
    void AjouterImages(TChoixAjout nChoix);
    void OuvreEditeur();

    QMenu *miVigsAjtAlbWEBHierPerso = nullptr;
    QAction *miVigsAjtAlbWEBHierPersoImgCour = nullptr;
    QAction *miVigsAjtAlbWEBHierPersoImgSel = nullptr;
    QAction *miVigsAjtAlbWEBHierPersoTtesImg = nullptr;

    // Test seam: runs the add dialog (true: OK); exec() by default.
    std::function<bool(TfmAlbumWEBHierPersoAjtImg &Dialogue)> fnExecuteAjout;

signals:
    // A change of the personal albums was saved.
    void AlbumsModifies();

private:
    void RafraichitBulles();

    TfmMainKX &m_Main;
    TContexte &m_Contexte;
};

// Installs the feature; it also shows the web album menu's editor entry.
TAlbumsWebPersoKX *InstalleAlbumsWebPerso(TfmMainKX &Main, TContexte &Contexte);
