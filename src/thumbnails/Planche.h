#pragma once
// The contact sheet: every thumbnail of a grid in one picture, laid out cell by cell as the
// grid shows them.

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>

// The contact sheet: every thumbnail of a grid in one picture.
struct TGeometriePlanche
{
    int nColonnes = 0;
    int nLignes = 0;
    qint64 nLargeur = 0;
    qint64 nHauteur = 0;
    int nPasX = 0;
    int nPasY = 0;
    // JPEG files cannot hold a side above 65,535 pixels.
    bool Valide() const { return nLargeur > 0 && nHauteur > 0 && nLargeur <= 65535 && nHauteur <= 65535; }
};
// The maximum sheet width W for nIndLargMaxSvgTtesVig (0: the screen width).
int LargeurMaxPlanche(int nIndLargMaxSvgTtesVig, int nLargeurEcran);
TGeometriePlanche GeometriePlanche(int nVignettes, int nD, int nLargeurMax);

struct TCellulePlanche
{
    QImage Vignette; // as shown in the grid (fitted into D × D)
    QString cTitre;
};
struct TCouleursPlanche
{
    QColor Fond;         // the grid's colour
    QColor Panneau;      // the panel colour
    QColor TextePanneau; // the caption colour
};
// Draws the sheet; a null image when the geometry is not valid.
QImage DessinePlanche(const QList<TCellulePlanche> &Cellules, int nD, const TGeometriePlanche &Geometrie,
                      const TCouleursPlanche &Couleurs);
// The same, each cell asked for when it is drawn, so that only one thumbnail at a time is
// decoded.
QImage DessinePlanche(int nCellules, const std::function<TCellulePlanche(int)> &Cellule, int nD,
                      const TGeometriePlanche &Geometrie, const TCouleursPlanche &Couleurs);
