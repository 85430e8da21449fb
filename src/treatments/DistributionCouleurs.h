#pragma once
// How the pixels of a picture spread over the luminance scale: one count for every pixel and
// one for each of the pixels where red, green or blue leads; the graph of those counts as
// lines to draw; what the pipette reads from a pixel and how it scrolls the image pane near
// its edges; the graph window's remembered settings.

#include <QColor>
#include <QImage>
#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

class TBigIniFile;
struct TEnrParametres;

using TCompteursY = std::array<quint64, 256>;

struct TDistribution
{
    TCompteursY nDistTous{};  // every pixel, by luminance
    TCompteursY nDistRouge{}; // the pixels where red leads, by luminance
    TCompteursY nDistVert{};  // green leads
    TCompteursY nDistBleu{};  // blue leads
    bool lCalculee = false;   // the arrays are filled: the graph may be drawn
};

// Y = (30 R + 60 G + 10 B) div 100.
constexpr int LuminancePixel(int r, int v, int b)
{
    return (30 * r + 60 * v + 10 * b) / 100;
}

enum class TDominante { Aucune, Rouge, Vert, Bleu };
// The channel that leads both others by more than 5, if any.
TDominante DominantePixel(int r, int v, int b);

// Counts the pixels of a picture (any format; 32-bit pixels are read as they are). nFils:
// threads sharing the rows, 0 = one per core; the counts do not depend on it.
TDistribution CalculeDistribution(const QImage &Image, int nFils = 0);

// Which curves are drawn.
struct TCourbesVisibles
{
    bool lLum = true, lR = true, lV = true, lB = true;
};

struct TCourbe
{
    QColor Couleur;
    QList<QLine> Segments;
};

// The graph of Y = nMin … nMax on a nLargeur × nHauteur bitmap.
struct TGraphe
{
    int nLargeur = 0, nHauteur = 0;
    int nMin = 0, nMax = 255;
    quint64 nPic = 0;       // the largest count of the four arrays within nMin … nMax
    QList<TCourbe> Courbes; // the shown curves, in drawing order (later over earlier)
};

// Where luminance Y falls across a graph nLargeur wide showing nMin … nMax: nMin at 0, nMax at
// nLargeur − 1, rounded to the nearest, halves to even. Y outside the range falls outside.
int XGraphe(int nY, int nMin, int nMax, int nLargeur);
// The row of count c under peak nPic on a graph nHauteur tall: 0 on row nHauteur − 1, the
// peak on row 0; with no peak every count lies on the bottom row.
int YGraphe(quint64 c, quint64 nPic, int nHauteur);

TGraphe TraceGraphe(const TDistribution &Distribution, int nMin, int nMax, int nLargeur, int nHauteur,
                    const TCourbesVisibles &Visibles);
// The graph painted: black, each curve's segments in its colour.
QImage DessineGraphe(const TGraphe &Graphe);

// What the pipette shows for a pixel: its luminance, the colours of the panels and the colour
// of their numbers (black on a light panel, white on a dark one).
struct TLecturePipette
{
    int nY = 0, nR = 0, nV = 0, nB = 0;
    QColor clPipette, clLum, clR, clV, clB;
    QColor clTexteLum, clTexteR, clTexteV, clTexteB;
};
TLecturePipette LecturePipette(QRgb Pixel);
// Black from 160 up, white below.
QColor CouleurTexteChiffre(int n);

// One pipette move at pt in a client area of size Client scrolled to Defilement (each between 0
// and DefilementMax): near an edge the area scrolls 20 pixels toward it; the pixel is read only
// when the point lies in the area and no scroll position changed.
struct TPasPipette
{
    bool lDansClient = false;
    QPoint Defilement; // the scroll positions after the move
    bool lLecture = false;
};
TPasPipette PasPipette(QPoint pt, QSize Client, QPoint Defilement, QPoint DefilementMax);

// The graph window's place, size and colour boxes, as remembered in the settings.
struct TReglagesGDC
{
    QRect Geometrie;
    bool lR = true, lV = true, lB = true;
};
TReglagesGDC ReglagesGDC(const TEnrParametres &Parametres);
// Puts the settings into the record and the store, then saves the store; false when the save
// failed (the values stay for the next save).
bool EnregistreReglagesGDC(const TReglagesGDC &r, TEnrParametres &Parametres, TBigIniFile &iniSetup);

// Where the window goes: its saved place, unless it is smaller than the minimum or lies off
// every screen; then the minimum size, centred on the current screen.
QRect PlaceFenetreGDC(const QRect &Sauvee, const QList<QRect> &Ecrans, const QRect &EcranCourant, const QSize &Minimum);
