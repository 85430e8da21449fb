#pragma once
// The two filter tests that look at pixels: the share of a thumbnail's pixels near a wanted
// hue, saturation and luminosity, and the share of a pattern's pixels that resemble the
// thumbnail's at the corresponding places (stretched over it, or looked for at a few places,
// optionally mirrored). Both give a whole percentage.
//
// PctColorimetrie and PctMotif follow the rules literally, one conversion per pixel. A list
// build uses TPixelsFiltre instead, prepared once per build, which gives the same results
// faster and may be shared by worker threads.

#include "storage/EnrFiltres.h"

#include <QImage>
#include <QRgb>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// Hue 0 to 239, saturation and luminosity 0 to 240, the scale of the colour chooser.
struct TTSL
{
    int H = 0;
    int S = 0;
    int L = 0;
    bool operator==(const TTSL &) const = default;
};

// v to the nearest integer, halves to the even neighbour.
int ArrondiAuPair(double v);

TTSL VersTSL(int r, int g, int b);
inline TTSL VersTSL(QRgb p)
{
    return VersTSL(qRed(p), qGreen(p), qBlue(p));
}

// Hues a and b differ by at most t, going either way round the circle of 240.
bool TeintesProches(int a, int b, int t);

// The colour test of one pixel: for each channel of nMethColorimetrie (4 hue, 2 saturation,
// 1 luminosity), the pixel must lie within nTolColorimetrie of the wanted value; a grey pixel
// has no hue.
bool PixelCouleurOK(const TTSL &p, const TEnrFiltres &e);
// The pattern test of one pixel against the pattern's, channels nMethPixMotif, tolerance
// nTolMotif. Unlike the colour test, comparing saturations needs a saturated image pixel.
bool PixelMotifOK(const TTSL &Image, const TTSL &Motif, int nMeth, int nTol);

// The pattern as captured once per build: the pattern image's size, the zone (clamped to the
// image), its pixels P row by row and, when mirrored patterns are looked for too, P' with
// P'(x, y) = P(Zw - 1 - x, y).
struct TMotif
{
    int nLargeur = 0; // W_m
    int nHauteur = 0; // H_m
    int nGauche = 0;
    int nHaut = 0;
    int nZw = 0;
    int nZh = 0;
    std::vector<QRgb> P;
    std::vector<QRgb> PSym; // empty unless lMotifSym
};

// Copies the zone rZoneMotif (right and bottom included) when lMotifZone, else the whole
// image. The zone is clamped to the image; nothing when the image or the zone is empty.
std::optional<TMotif> CaptureMotif(const TEnrFiltres &e, const QImage &Motif);

// The colour test of a thumbnail: the percentage of its pixels passing, also stored in
// nResColorimetrie; -1 (0 stored) for an empty thumbnail.
int PctColorimetrie(TEnrFiltres &e, const QImage &Vignette);

// The pattern test of a thumbnail, also stored in nResMotif; -1 (0 stored) for an empty
// thumbnail. pnPlaces, when given, receives the number of places compared, the mirrored
// pattern's included.
int PctMotif(TEnrFiltres &e, const QImage &Vignette, const TMotif &Motif, int *pnPlaces = nullptr);

// The two tests as a list build runs them: the pattern's HSL and the sampling tables of each
// thumbnail size met are computed once, and each thumbnail pixel is converted at most once. Every const
// member may be called from several threads at once. The results are those of PctColorimetrie
// and PctMotif; nothing is stored into the record.
class TPixelsFiltre
{
public:
    // Motif may be null when the filter has no pattern test or its pattern could not be loaded.
    TPixelsFiltre(const TEnrFiltres &e, std::shared_ptr<const TMotif> Motif);

    int PctCouleur(const QImage &Vignette) const;
    int PctMotif(const QImage &Vignette, int *pnPlaces = nullptr) const;
    const TMotif *Motif() const { return m_Motif.get(); }

private:
    // The thumbnail's columns and rows sampled at one place, clamped to the thumbnail.
    struct TPlace
    {
        std::vector<int> Colonnes, Lignes;
    };
    struct TGeometrie
    {
        std::vector<TPlace> Places;
    };
    const TGeometrie &Geometrie(int W, int H) const;

    // The colour test's parameters, copied so that the record may change meanwhile.
    TEnrFiltres m_Enr;

    std::shared_ptr<const TMotif> m_Motif;
    std::vector<TTSL> m_P, m_PSym;
    mutable std::mutex m_Verrou;
    mutable std::map<std::pair<int, int>, std::unique_ptr<TGeometrie>> m_Geometries;
};
