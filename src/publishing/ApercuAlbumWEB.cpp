#include "publishing/ApercuAlbumWEB.h"

#include "publishing/MiseEnPageAlbumWEB.h"

#include <algorithm>

namespace
{
constexpr int nMaxCotes = 10;
constexpr int nCelluleVignette = 50;
constexpr int nCelluleImage = 100;
constexpr int nGrandeImage = 200;

TCelluleApercu Marque(int x, int y, int S)
{
    TCelluleApercu C;
    C.rMarque = QRect(QPoint(x + 10, y + 10), QPoint(x + S - 1, y + S - 1));
    C.l1 = QLine(x + 10, y + 10, x + S, y + S);
    C.l2 = QLine(x + 10, y + S - 1, x + S, y + 9);
    return C;
}

void Remplit(TDessinApercu &D, int nLignes, int nColonnes, int nTaille, bool lDonnees)
{
    for (int r = 0; r < std::min(nMaxCotes, nLignes); ++r)
        for (int c = 0; c < std::min(nMaxCotes, nColonnes); ++c)
            D.Cellules << CelluleApercu(r, c, nTaille, lDonnees);
}

void GrandeImage(TDessinApercu &D)
{
    D.Cellules << Marque(0, 0, nGrandeImage);
}
} // namespace

TCelluleApercu CelluleApercu(int r, int c, int S, bool lDonnees)
{
    const int Hc = lDonnees ? S + 20 : S;
    const int x = c * S;
    const int y = r * Hc;
    TCelluleApercu C = Marque(x, y, S);
    C.rBoite = QRect(x + 5, y + 5, S, Hc);
    if (lDonnees) {
        C.lBande = true;
        C.rBande = QRect(x + 5, y + Hc - 15, S, 20);
        C.ptTexte = QPoint(x + 10, y + Hc - 12);
    }
    return C;
}

TGeometrieApercu GeometrieApercu(const TOptionsAlbumWEB &O, int nLignes, QSize Taille, int nTitre)
{
    TGeometrieApercu G;
    const int W = Taille.width();
    const int H = Taille.height();
    const int nContenu = O.nAWContAlbum;
    G.lVoletBas = nContenu == caVignettesEtLiens;
    G.nHauteurClient = G.lVoletBas ? H : H / 2;
    const int nVolet = H / 2;
    G.rTitreHaut = QRect(0, 0, W, nTitre);
    const int Hp = std::max(0, nVolet - nTitre);
    const QRect rZone(0, nTitre, W, Hp);

    switch (nContenu) {
    case caImagesSeules: G.Image = {true, rZone, {}}; break;
    case caFrames:
        if (O.nAWDispoVig == dvVignettesAGauche) {
            const int Wv = int(std::min<qint64>(qint64(O.nAWNbCol) * nCelluleVignette + 5, ArrondiPair(2.0 * W / 3)));
            G.Vignettes = {true, QRect(0, nTitre, Wv, Hp), {}};
            G.Image = {true, QRect(Wv, nTitre, std::max(0, W - Wv), Hp), {}};
        } else {
            G.Vignettes = {true, QRect(0, nTitre, W, Hp / 4), {}};
            G.Image = {true, QRect(0, nTitre + Hp / 4, W, Hp - Hp / 4), {}};
        }
        break;
    default: G.Vignettes = {true, rZone, {}}; break;
    }

    const bool lDonnees = O.AvecLigneDonnees();
    if (nContenu == caImagesSeules) {
        Remplit(G.Image, nLignes, O.nAWNbCol, nCelluleImage, lDonnees);
    } else {
        Remplit(G.Vignettes, nLignes, O.nAWNbCol, nCelluleVignette, lDonnees);
        if (G.lVoletBas) {
            G.rTitreBas = QRect(0, nVolet, W, nTitre);
            G.Bas = {true, QRect(0, nVolet + nTitre, W, std::max(0, H - nVolet - nTitre)), {}};
            GrandeImage(G.Bas);
        } else if (G.Image.lVisible) {
            // "Vignettes seules" hides the image picture: its large image is never seen.
            GrandeImage(G.Image);
        }
    }
    return G;
}
