#pragma once
// The thumbnail sizes the setting nIndTailleVigs chooses from, and the cell a thumbnail of side
// D takes in a grid: the main window's grid, the album grids and the contact sheet all lay
// their cells out by these numbers.

#include <iterator>

inline constexpr int nTaillesVignettes[] = {60, 80, 100, 120, 140, 160, 180, 200, 250, 300};
inline constexpr int nNbTaillesVignettes = int(std::size(nTaillesVignettes));
inline constexpr int nIndTailleVigsDefaut = 5;
static_assert(nIndTailleVigsDefaut < nNbTaillesVignettes);

// The side D of a thumbnail for a size index; an index out of range gives the default size.
constexpr int TailleVignette(int nIndTailleVigs)
{
    if (nIndTailleVigs < 0 || nIndTailleVigs >= nNbTaillesVignettes)
        nIndTailleVigs = nIndTailleVigsDefaut;
    return nTaillesVignettes[nIndTailleVigs];
}

// The horizontal step from one cell to the next: the panel (D + 8) and the gap between panels.
constexpr int PasXCellule(int nD)
{
    return nD + 12;
}
// The vertical step from one row of cells to the next: the panel with its caption, and the gap.
constexpr int PasYCellule(int nD)
{
    return nD + 27;
}
// The thumbnail pane is never narrower or lower than this, so that one row or column of cells
// and the pane's own scroll bar always fit.
constexpr int LargHautMinPanneauVignettes(int nD)
{
    return nD + 42;
}
