#pragma once
// The layout of a web album's table pages and the sizes of its written images: how many
// cells a row holds, how wide each cell is, where the rows split, how far the progress
// advances, the text under each picture, and the size an image is reduced to.

#include "publishing/OptionsAlbumWEB.h"

#include <QList>
#include <QSize>
#include <QString>

#include <optional>

// n rounded to the nearest integer, a half going to the even neighbour.
qint64 ArrondiPair(double n);

// The cells of one table row: entries nDebut to nDebut + nNombre - 1 of the page.
struct TLigneAlbumWEB
{
    int nDebut = 0;
    int nNombre = 0;
    friend bool operator==(const TLigneAlbumWEB &, const TLigneAlbumWEB &) = default;
};

struct TMiseEnPageAlbumWEB
{
    int nCols = 0;    // cells per row
    QString cLargeur; // the width of a cell, in percent of the table
    QList<TLigneAlbumWEB> Lignes;
    int nPas = 0; // progress steps: every position of every row, the empty end of the last one included
};

// Cells per row: the chosen columns, except in a hierarchical "Frames" album, where thumbnails
// on the left stand one per row and thumbnails on top all in one row.
int ColonnesAlbumWEB(const TOptionsAlbumWEB &Options, bool lHierarchique, int nImages);

// 100 / nCols rounded halves to even ("12" for 8, "33" for 3, "17" for 6); "100" for 0.
QString LargeurCellule(int nCols);

// The table of a page of nImages entries.
TMiseEnPageAlbumWEB MiseEnPageAlbumWEB(const TOptionsAlbumWEB &Options, bool lHierarchique, int nImages);

// The text of a data cell: the file name, " [WxH]", " " and the size, " le " and the date, each
// as its box asks; raw, for the page writer to escape.
QString TexteDonneesAlbumWEB(const TEnrLV &Enr, const TOptionsAlbumWEB &Options);

// True when an image of that size is reduced for the maximum nMax (none: never).
bool ReductionAlbumWEB(int nLargeur, int nHauteur, std::optional<int> nMax);
// The size of a written image: the image's own size unless it is reduced, in which case both
// sides are divided by the larger of width / nMax and height / nMax and rounded halves to even,
// never below 1 pixel.
QSize TailleReduiteAlbumWEB(int nLargeur, int nHauteur, std::optional<int> nMax);
