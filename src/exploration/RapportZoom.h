#pragma once
// The zoom of the image pane: the twelve entries of the zoom list, the size a picture is shown
// at for each of them, the fit to the pane and its hint, the Ctrl keys that step through the
// list, the arithmetic of dragging a picture, and the JPEG reduction a shown size needs.

#include <QPoint>
#include <QSize>
#include <QString>
#include <QtGlobal>

namespace RapportZoom
{
inline constexpr int nAjuste = 0; // "Ajusté": fitted to the pane
inline constexpr int nUnUn = 6;   // "1:1"
inline constexpr int nNombre = 12;

// "Ajusté", "8:1" ... "1:1" ... "1:8"; empty out of range.
QString Texte(int nIndex);
// The factor of an entry: k for "k:1" (enlargement), for "1:k" (reduction), 1 for "1:1" and
// "Ajusté".
int Facteur(int nIndex);
bool Agrandit(int nIndex);

// The shown size, its hint and whether the picture could be sized at all.
struct TAffichage
{
    QSize Taille;        // empty when the pane has no size to fit into
    QString cBulle;      // the zoom list's hint
    double dRapport = 1; // for the fit: the reduction r (1 when the picture fits as it is)
};

// The fit of a W × H picture into a pane of nPw × nPh: unchanged when it fits, otherwise
// divided by r = max(W / Pw, H / Ph), each side rounded to the nearest (halves to even) and at
// least 1. The fit never enlarges. A pane with a side of 0 gives an empty size.
TAffichage Ajuste(qint64 W, qint64 H, int nPw, int nPh);

// The size of a W × H picture at an entry: the fit for "Ajusté", k × W by k × H for "k:1",
// W div k by H div k for "1:k" (each side at least 1). Sides are capped at what a pane can
// scroll through (int).
TAffichage Affichage(int nIndex, qint64 W, qint64 H, QSize Panneau);

// The four zoom keys (PageUp, PageDown, End, Home with Ctrl as the only modifier) and the
// index each leaves the list at (maybe the same). They are consumed even while the list is
// disabled (lActive false): the index then stays.
bool EstToucheZoom(int nTouche, Qt::KeyboardModifiers Modificateurs);
int IndexApresTouche(int nIndex, int nTouche, bool lActive);

// The JPEG reduction (8, 4, 2 or 1) whose decoded picture still covers the shown size:
// libjpeg gives ceil(W / k) × ceil(H / k). An empty shown size asks for the smallest.
int EchelleJpeg(qint64 W, qint64 H, QSize Affichee);
// A raw's half-size development covers the shown size.
bool DemiTailleSuffit(qint64 W, qint64 H, QSize Affichee);

// Dragging a picture larger than its pane. The scroll position follows the pointer from
// where both were at the press, so that every drag starts where the previous one ended.
class TGlissement
{
public:
    // A left press at ptPointeur (pane coordinates) while the view is scrolled to
    // ptDefilement. The drag starts only when the picture is larger than the pane and the
    // press does not belong to a double click. Returns whether it started.
    bool Appuie(QPoint ptPointeur, QPoint ptDefilement, bool lPlusGrand);
    // The scroll position for the pointer at ptPointeur while dragging.
    QPoint Deplace(QPoint ptPointeur);
    // Ends the drag; returns whether the pointer moved since the press.
    bool Relache();
    // A double click: any drag ends, and the press that belongs to it starts none.
    void DoubleClic();
    // Forgets the drag and the double click (another image is shown).
    void Arrete();

    bool EnCours() const { return m_lEnCours; }
    bool ADeplace() const { return m_lDeplace; }
    bool DoubleClicEnCours() const { return m_lDoubleClic; }

private:
    bool m_lEnCours = false;
    bool m_lDeplace = false;
    bool m_lDoubleClic = false;
    QPoint m_ptAppui;
    QPoint m_ptDefilementAppui;
};
}
