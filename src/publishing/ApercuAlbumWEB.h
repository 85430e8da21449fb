#pragma once
// The schematic drawing of a web album's layout: where the preview window puts its panes, its
// pictures, the cells of a table page with their data bands, and the picture marks, for the
// options of the album window. The window only paints what this gives.

#include "publishing/OptionsAlbumWEB.h"

#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// One cell of a table (or the large image, which has neither box nor band). Coordinates are
// those of the picture that holds it.
struct TCelluleApercu
{
    QRect rBoite; // the cell box; empty for the large image
    bool lBande = false;
    QRect rBande;   // the data band, when lBande
    QPoint ptTexte; // top left of "abc" in the band
    QRect rMarque;  // the picture mark: black, outlined in yellow
    QLine l1, l2;   // its two yellow diagonals
};

// A picture: its place in the window's client area and what it holds.
struct TDessinApercu
{
    bool lVisible = false;
    QRect rPlace;
    QList<TCelluleApercu> Cellules;
};

struct TGeometrieApercu
{
    int nHauteurClient = 0;
    QRect rTitreHaut;        // "Fenêtre principale"
    QRect rTitreBas;         // "Fenêtre de l'image plein écran", when lVoletBas
    bool lVoletBas = false;  // the lower pane is shown
    TDessinApercu Vignettes; // the thumbnail picture of the upper pane
    TDessinApercu Image;     // the image picture of the upper pane
    TDessinApercu Bas;       // the picture of the lower pane
};

// The cell at row r and column c of a table of cells of side nTaille, with or without data.
TCelluleApercu CelluleApercu(int r, int c, int nTaille, bool lDonnees);

// The whole drawing for the options and nLignes rows, in a client area Taille.width() wide
// whose full height (content "Vignettes et liens vers Images") is Taille.height(), under title
// strips nTitre high.
TGeometrieApercu GeometrieApercu(const TOptionsAlbumWEB &Options, int nLignes, QSize Taille, int nTitre);
