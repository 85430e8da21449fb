#pragma once
// The rules of the floating thumbnail, apart from its window: which images of a tree node can
// be shown and from which file, which one is chosen as the mouse moves over the node's label,
// at what size it is decoded and shown, and where the window goes.

#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>

#include <functional>

// One per tree the floating thumbnail follows, kept by the window that owns the tree.
struct TEnrVigFlot
{
    quint8 nTypeArbre = 0; // 0 folder tree, 1 CD tree, 2 tree of the database explorer
    QString cNoeud;        // the node whose image was last shown
    QString cFichier;      // the file last shown; empty after a failed or refused load
};

// One displayable image of the node under the mouse.
struct TEnrVF
{
    QString cNom;     // sorts the list and is shown under the picture
    QString cFichier; // the cached thumbnail or the image file itself
};

// The images of a node: the displayable ones, sorted, and how many image files it holds.
struct TListeVF
{
    QList<TEnrVF> Liste;
    int nNombre = 0;
};

namespace VignetteFlottante
{
// The file to show for an image: its cached thumbnail (cVignette, empty when there is none),
// else the image itself when it is a JPEG on a fixed disk, or on a CD with lAussiDepuisCD.
// Empty when it cannot be shown.
QString FichierAffichable(const QString &cImage, const QString &cVignette, bool lJPEG, bool lCD, bool lAussiDepuisCD);

// Sorts by name in upper case, character code by character code.
void Trie(QList<TEnrVF> &Liste);

// The images of a folder (names beginning with "." and sub-folders skipped). fnVignette gives
// the cached thumbnail of a file when there is one. At most nMaxFichiers entries are read, so
// that a huge folder bounds the time spent on it.
TListeVF ListeDossier(const QString &cDossier, bool lCD, bool lAussiDepuisCD,
                      const std::function<QString(const QString &cFichier)> &fnVignette, int nMaxFichiers = 100000);

// Which image to show and whether to load it.
struct TChoix
{
    int nPosition = -1; // -1: none
    bool lCharger = false;
    bool lMontrer = false; // (without a load) the window shows the picture it has
};

// Which image of the node under the mouse to show, and whether to load it. nQuelleImg: 0 first,
// 1 last, 2 any, 3 under the mouse (X over the label's text from nGauche to nDroite). fnHasard(n) draws a number in [0, n).
TChoix Choisit(int nQuelleImg, const QList<TEnrVF> &Liste, const TEnrVigFlot &R, const QString &cNoeud, bool lVisible,
               int X, int nGauche, int nDroite, const std::function<int(int)> &fnHasard);

// The decode's reduction for a JPEG of that size: 8, 4, 2 or 1.
int EchelleJPEG(QSize Taille);
// A picture larger than nMaxLH on either side is not shown.
bool TropGrande(QSize Taille, int nMaxLH);
// The box the picture is stretched into: its larger side 100 pixels.
QSize Boite(QSize Taille);
// The window's client area for a box: the two labels above the picture.
QSize Client(QSize Boite);
// The window's place in the tree's coordinates: in the corner opposite the mouse.
QPoint Coin(QSize Arbre, QSize Client, QPoint Souris);
// "%d°/%d Image(s)" with the rank (from 1) and the count.
QString TexteNombre(int nRang, int nNombre);
// The file name part of a name or path.
QString NomAffiche(const QString &cNom);
} // namespace VignetteFlottante
