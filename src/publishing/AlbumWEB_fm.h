#pragma once
// Making a web album from the program: the entry every caller goes through, and the main
// window's button `btAlbumWEB` with its menu. Until the album window exists the entry asks for
// a new empty folder, takes the remembered options (the defaults at first), generates under the
// progress window "Création de l'Album WEB", records the album in the history and opens its
// Index.htm.

#include "mainwindow/Fonctionnalite.h"
#include "publishing/GenerationAlbumWEB.h"
#include "publishing/OptionsAlbumWEB.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;
class QPushButton;
class QWidget;
class TContexte;
class TSelectionKX;
class TfmMainKX;

// What the entry asks outside the program; tests replace them.
struct TInterfaceAlbumWEB
{
    // The folder that receives the album (empty: cancelled); cDepart is where the choice starts.
    std::function<QString(QWidget *Parent, const QString &cDepart)> fnChoisitDossier;
    // Shows the album's first page in the browser.
    std::function<void(const QString &cPage)> fnOuvrePage;
    // Threads decoding and encoding; 0: one per core.
    int nFils = 0;
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
    QAction *miAlbumWEBGenAWHDossiers = nullptr;

    void miAlbumWEBGenAPartirImgSelClick();
    void miAlbumWEBGenAWHDossiersClick();

    TInterfaceAlbumWEB Interface;

private:
    void pmAlbumWEBPopup();

    TContexte &m_Contexte;
    TSelectionKX &m_Selection;
    QPointer<QWidget> m_Fenetre;
};

TAlbumWEBKX *InstalleAlbumWEB(TfmMainKX &Main, TContexte &Contexte);
