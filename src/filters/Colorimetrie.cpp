#include "filters/Colorimetrie.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

int ArrondiAuPair(double v)
{
    const double f = std::floor(v);
    const double d = v - f;
    const int n = static_cast<int>(f);
    if (d > 0.5)
        return n + 1;
    if (d < 0.5)
        return n;
    return (n & 1) ? n + 1 : n;
}

namespace
{
// k / 255 for every byte, the very quotients the conversion divides out.
constexpr std::array<double, 256> cSur255 = [] {
    std::array<double, 256> t{};
    for (int k = 0; k < 256; ++k)
        t[static_cast<size_t>(k)] = k / 255.0;
    return t;
}();

// Saturation and luminosity depend only on the largest and smallest channel: both are read
// from tables made once, with the formula's own floating-point steps.
struct TTablesSL
{
    std::array<quint8, 256 * 256> S{};
    std::array<quint8, 256 * 256> L{};
    TTablesSL()
    {
        for (int M = 0; M < 256; ++M)
            for (int m = 0; m <= M; ++m) {
                const double mx = cSur255[static_cast<size_t>(M)];
                const double mn = cSur255[static_cast<size_t>(m)];
                const double l = (mx + mn) / 2;
                double s = 0;
                if (mx != mn) {
                    const double d = mx - mn;
                    s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
                }
                S[static_cast<size_t>(M * 256 + m)] = static_cast<quint8>(ArrondiAuPair(s * 240));
                L[static_cast<size_t>(M * 256 + m)] = static_cast<quint8>(ArrondiAuPair(l * 240));
            }
    }
};

const TTablesSL &TablesSL()
{
    static const TTablesSL t;
    return t;
}
}

namespace
{
// The hue by the formula's floating-point steps: only needed where the exact hue lies halfway
// between two whole values, where the rounding of those steps decides.
int TeinteFormule(int r, int g, int b, int M, int m)
{
    const double rr = cSur255[static_cast<size_t>(r)];
    const double gg = cSur255[static_cast<size_t>(g)];
    const double bb = cSur255[static_cast<size_t>(b)];
    const double d = cSur255[static_cast<size_t>(M)] - cSur255[static_cast<size_t>(m)];
    double h;
    if (M == r)
        h = (gg - bb) / d;
    else if (M == g)
        h = (bb - rr) / d + 2;
    else
        h = (rr - gg) / d + 4;
    h = h / 6;
    if (h < 0)
        h += 1;
    return ArrondiAuPair(h * 239);
}

// The conversion of three channels already in 0..255. The hue is the fraction num / (6 d) of
// the circle, num whole: its rounding is exact in integers except at a tie. Away from a tie the
// fraction lies at least 1 / (12 d) from the nearest half, far beyond the floating-point error,
// so both give the same whole hue.
inline TTSL TSL(const TTablesSL &t, int r, int g, int b)
{
    const int M = std::max(r, std::max(g, b));
    const int m = std::min(r, std::min(g, b));
    const size_t i = static_cast<size_t>(M * 256 + m);
    TTSL x{0, t.S[i], t.L[i]};
    if (M == m)
        return x;
    const int d = M - m;
    int num;
    if (M == r) {
        num = g - b;
        if (num < 0)
            num += 6 * d;
    } else if (M == g) {
        num = b - r + 2 * d;
    } else {
        num = r - g + 4 * d;
    }
    const int nDen = 6 * d;
    const int v = num * 239;
    int q = v / nDen;
    const int nReste2 = 2 * (v - q * nDen);
    if (nReste2 == nDen)
        return {TeinteFormule(r, g, b, M, m), x.S, x.L};
    if (nReste2 > nDen)
        ++q;
    x.H = q;
    return x;
}

inline TTSL TSL(const TTablesSL &t, QRgb p)
{
    return TSL(t, qRed(p), qGreen(p), qBlue(p));
}

inline quint32 Compacte(const TTSL &x)
{
    return static_cast<quint32>(x.H) | static_cast<quint32>(x.S) << 8 | static_cast<quint32>(x.L) << 16;
}

inline bool Proches(int a, int b, int t)
{
    const int d = std::abs(a - b);
    return d <= t || 240 - d <= t;
}

inline bool MotifOK(int iH, int iS, int iL, const TTSL &m, int nMeth, int nTol)
{
    if ((nMeth & 4) && (iS == 0 || !Proches(iH, m.H, nTol)))
        return false;
    if ((nMeth & 2) && (iS == 0 || std::abs(iS - m.S) > nTol))
        return false;
    if ((nMeth & 1) && std::abs(iL - m.L) > nTol)
        return false;
    return true;
}
}

TTSL VersTSL(int r, int g, int b)
{
    return TSL(TablesSL(), std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
}

bool TeintesProches(int a, int b, int t)
{
    return Proches(a, b, t);
}

bool PixelCouleurOK(const TTSL &p, const TEnrFiltres &e)
{
    const int m = e.nMethColorimetrie;
    const int t = e.nTolColorimetrie;
    if ((m & 4) && (p.S == 0 || !TeintesProches(p.H, e.nTeinte, t)))
        return false;
    if ((m & 2) && std::abs(p.S - e.nSaturation) > t)
        return false;
    if ((m & 1) && std::abs(p.L - e.nLuminosite) > t)
        return false;
    return true;
}

bool PixelMotifOK(const TTSL &i, const TTSL &m, int nMeth, int nTol)
{
    return MotifOK(i.H, i.S, i.L, m, nMeth, nTol);
}

std::optional<TMotif> CaptureMotif(const TEnrFiltres &e, const QImage &Source)
{
    if (Source.isNull() || Source.width() <= 0 || Source.height() <= 0)
        return std::nullopt;
    const QImage Image = Source.format() == QImage::Format_RGB32 || Source.format() == QImage::Format_ARGB32
                             ? Source
                             : Source.convertToFormat(QImage::Format_RGB32);
    const qint64 W = Image.width();
    const qint64 H = Image.height();
    // A saved zone may be hand-edited: inverted or beyond the picture, it is cut to the picture
    // and an empty one leaves no pattern.
    qint64 g = 0, h = 0, d = W - 1, b = H - 1;
    if (e.lMotifZone) {
        g = std::max<qint64>(0, e.rZoneMotif.left());
        h = std::max<qint64>(0, e.rZoneMotif.top());
        d = std::min<qint64>(W - 1, e.rZoneMotif.right());
        b = std::min<qint64>(H - 1, e.rZoneMotif.bottom());
    }
    if (d < g || b < h)
        return std::nullopt;
    TMotif m;
    m.nLargeur = static_cast<int>(W);
    m.nHauteur = static_cast<int>(H);
    m.nGauche = static_cast<int>(g);
    m.nHaut = static_cast<int>(h);
    m.nZw = static_cast<int>(d - g + 1);
    m.nZh = static_cast<int>(b - h + 1);
    const size_t n = static_cast<size_t>(m.nZw) * static_cast<size_t>(m.nZh);
    m.P.resize(n);
    if (e.lMotifSym)
        m.PSym.resize(n);
    for (int y = 0; y < m.nZh; ++y) {
        const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(m.nHaut + y)) + m.nGauche;
        QRgb *Dest = m.P.data() + static_cast<size_t>(y) * m.nZw;
        std::copy(Ligne, Ligne + m.nZw, Dest);
        if (e.lMotifSym)
            std::reverse_copy(Ligne, Ligne + m.nZw, m.PSym.data() + static_cast<size_t>(y) * m.nZw);
    }
    return m;
}

namespace
{
QImage En32Bits(const QImage &Image)
{
    if (Image.format() == QImage::Format_RGB32 || Image.format() == QImage::Format_ARGB32)
        return Image;
    return Image.convertToFormat(QImage::Format_RGB32);
}

bool Vide(const QImage &Image)
{
    return Image.isNull() || Image.width() <= 0 || Image.height() <= 0;
}

int Borne(qint64 v, int n)
{
    return v < 0 ? 0 : v >= n ? n - 1 : static_cast<int>(v);
}

int Pourcentage(qint64 nCompte, qint64 nTotal)
{
    return ArrondiAuPair(static_cast<double>(nCompte) * 100 / static_cast<double>(nTotal));
}

// The stretched pattern covers the whole thumbnail; otherwise the zone is looked for at places
// of the thumbnail mapped from the whole pattern image.
bool ModeEtire(const TEnrFiltres &e)
{
    return !e.lMotifZone || e.nMethZoneMotif == 0;
}

double EchelleX(const TEnrFiltres &e, const TMotif &m, int W)
{
    return static_cast<double>(W) / (ModeEtire(e) ? m.nZw : m.nLargeur);
}

double EchelleY(const TEnrFiltres &e, const TMotif &m, int H)
{
    return static_cast<double>(H) / (ModeEtire(e) ? m.nZh : m.nHauteur);
}

// The upper-left corners tried, in order: ID, then the centre, or the places mirrored
// left-right, top-bottom or both, by method.
std::vector<std::pair<int, int>> Places(const TEnrFiltres &e, const TMotif &m, int W, int H)
{
    if (ModeEtire(e))
        return {{0, 0}};
    const double sx = EchelleX(e, m, W);
    const double sy = EchelleY(e, m, H);
    const std::pair<int, int> ID{ArrondiAuPair(m.nGauche * sx), ArrondiAuPair(m.nHaut * sy)};
    const int xOpp = W - ArrondiAuPair((static_cast<double>(m.nGauche) + m.nZw) * sx);
    const int yOpp = H - ArrondiAuPair((static_cast<double>(m.nHaut) + m.nZh) * sy);
    switch (std::clamp<int>(e.nMethZoneMotif, 1, 5)) {
    case 2: return {ID, {(W - ArrondiAuPair(m.nZw * sx)) / 2, (H - ArrondiAuPair(m.nZh * sy)) / 2}};
    case 3: return {ID, {xOpp, ID.second}};
    case 4: return {ID, {ID.first, yOpp}};
    case 5: return {ID, {xOpp, ID.second}, {ID.first, yOpp}, {xOpp, yOpp}};
    default: return {ID};
    }
}
}

int PctColorimetrie(TEnrFiltres &e, const QImage &Source)
{
    e.nResColorimetrie = 0;
    if (Vide(Source))
        return -1;
    const QImage Image = En32Bits(Source);
    qint64 n = 0;
    for (int y = 0; y < Image.height(); ++y) {
        const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(y));
        for (int x = 0; x < Image.width(); ++x)
            if (PixelCouleurOK(VersTSL(Ligne[x]), e))
                ++n;
    }
    const int nPct = Pourcentage(n, static_cast<qint64>(Image.width()) * Image.height());
    e.nResColorimetrie = static_cast<quint8>(nPct);
    return nPct;
}

int PctMotif(TEnrFiltres &e, const QImage &Source, const TMotif &m, int *pnPlaces)
{
    e.nResMotif = 0;
    if (pnPlaces)
        *pnPlaces = 0;
    if (Vide(Source) || m.nZw <= 0 || m.nZh <= 0)
        return -1;
    const QImage Image = En32Bits(Source);
    const int W = Image.width();
    const int H = Image.height();
    const double sx = EchelleX(e, m, W);
    const double sy = EchelleY(e, m, H);
    const qint64 nTotal = static_cast<qint64>(m.nZw) * m.nZh;
    const auto Passe = [&](const std::vector<QRgb> &P) {
        qint64 nMeilleur = 0;
        for (const auto &[px, py] : Places(e, m, W, H)) {
            if (pnPlaces)
                ++*pnPlaces;
            qint64 n = 0;
            for (int y = 0; y < m.nZh; ++y) {
                const int iy = Borne(py + static_cast<qint64>(ArrondiAuPair(y * sy)), H);
                const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(iy));
                for (int x = 0; x < m.nZw; ++x) {
                    const int ix = Borne(px + static_cast<qint64>(ArrondiAuPair(x * sx)), W);
                    if (PixelMotifOK(VersTSL(Ligne[ix]), VersTSL(P[static_cast<size_t>(y) * m.nZw + x]),
                                     e.nMethPixMotif, e.nTolMotif))
                        ++n;
                }
            }
            nMeilleur = std::max(nMeilleur, n);
            if (Pourcentage(n, nTotal) >= e.nSeuilMotif)
                break;
        }
        return Pourcentage(nMeilleur, nTotal);
    };
    int nPct = Passe(m.P);
    if (e.lMotifSym && !m.PSym.empty() && nPct < e.nSeuilMotif)
        nPct = std::max(nPct, Passe(m.PSym));
    e.nResMotif = static_cast<quint8>(nPct);
    return nPct;
}

TPixelsFiltre::TPixelsFiltre(const TEnrFiltres &e, std::shared_ptr<const TMotif> Motif)
    : m_Enr(e), m_Motif(std::move(Motif))
{
    if (m_Motif) {
        m_P.reserve(m_Motif->P.size());
        for (const QRgb p : m_Motif->P)
            m_P.push_back(VersTSL(p));
        m_PSym.reserve(m_Motif->PSym.size());
        for (const QRgb p : m_Motif->PSym)
            m_PSym.push_back(VersTSL(p));
    }
}

int TPixelsFiltre::PctCouleur(const QImage &Source) const
{
    if (Vide(Source))
        return -1;
    const QImage Image = En32Bits(Source);
    const TTablesSL &t = TablesSL();
    const int W = Image.width();
    const int H = Image.height();
    const int nMeth = m_Enr.nMethColorimetrie;
    const int nTol = m_Enr.nTolColorimetrie;
    const int nTeinte = m_Enr.nTeinte;
    const int nSaturation = m_Enr.nSaturation;
    const int nLuminosite = m_Enr.nLuminosite;
    qint64 n = 0;
    for (int y = 0; y < H; ++y) {
        const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(y));
        for (int x = 0; x < W; ++x) {
            const TTSL p = TSL(t, Ligne[x]);
            if ((nMeth & 4) && (p.S == 0 || !Proches(p.H, nTeinte, nTol)))
                continue;
            if ((nMeth & 2) && std::abs(p.S - nSaturation) > nTol)
                continue;
            if ((nMeth & 1) && std::abs(p.L - nLuminosite) > nTol)
                continue;
            ++n;
        }
    }
    return Pourcentage(n, static_cast<qint64>(W) * H);
}

const TPixelsFiltre::TGeometrie &TPixelsFiltre::Geometrie(int W, int H) const
{
    std::lock_guard<std::mutex> Verrou(m_Verrou);
    std::unique_ptr<TGeometrie> &g = m_Geometries[{W, H}];
    if (!g) {
        const TMotif &m = *m_Motif;
        g = std::make_unique<TGeometrie>();
        const double sx = EchelleX(m_Enr, m, W);
        const double sy = EchelleY(m_Enr, m, H);
        std::vector<int> X(static_cast<size_t>(m.nZw)), Y(static_cast<size_t>(m.nZh));
        for (int x = 0; x < m.nZw; ++x)
            X[static_cast<size_t>(x)] = ArrondiAuPair(x * sx);
        for (int y = 0; y < m.nZh; ++y)
            Y[static_cast<size_t>(y)] = ArrondiAuPair(y * sy);
        for (const auto &[px, py] : Places(m_Enr, m, W, H)) {
            TPlace p;
            p.Colonnes.reserve(X.size());
            for (const int x : X)
                p.Colonnes.push_back(Borne(px + static_cast<qint64>(x), W));
            p.Lignes.reserve(Y.size());
            for (const int y : Y)
                p.Lignes.push_back(Borne(py + static_cast<qint64>(y), H));
            g->Places.push_back(std::move(p));
        }
    }
    return *g;
}

namespace
{
enum class TLecture {
    Convertie, // every pixel of the thumbnail converted beforehand
    Memorisee, // each pixel converted at its first sample
    Directe,   // converted at each sample (a huge picture)
};

// The pattern pixels that pass at one place.
template <TLecture nLecture>
qint64 Compte(const QImage &Image, std::vector<quint32> &TSLs, const std::vector<int> &Colonnes,
              const std::vector<int> &Lignes, const std::vector<TTSL> &P, int nMeth, int nTol)
{
    const TTablesSL &t = TablesSL();
    const size_t nZw = Colonnes.size();
    const size_t W = static_cast<size_t>(Image.width());
    const int *Col = Colonnes.data();
    qint64 n = 0;
    for (size_t y = 0; y < Lignes.size(); ++y) {
        const size_t iy = static_cast<size_t>(Lignes[y]);
        const TTSL *Motif = P.data() + y * nZw;
        [[maybe_unused]] const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(static_cast<int>(iy)));
        [[maybe_unused]] quint32 *LigneTSL = TSLs.empty() ? nullptr : TSLs.data() + iy * W;
        for (size_t x = 0; x < nZw; ++x) {
            const size_t ix = static_cast<size_t>(Col[x]);
            quint32 c;
            if constexpr (nLecture == TLecture::Convertie) {
                c = LigneTSL[ix];
            } else if constexpr (nLecture == TLecture::Memorisee) {
                c = LigneTSL[ix];
                if (c == 0xFFFFFFFFu) {
                    c = Compacte(TSL(t, Ligne[ix]));
                    LigneTSL[ix] = c;
                }
            } else {
                c = Compacte(TSL(t, Ligne[ix]));
            }
            if (MotifOK(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c >> 16),
                        Motif[x], nMeth, nTol))
                ++n;
        }
    }
    return n;
}
}

int TPixelsFiltre::PctMotif(const QImage &Source, int *pnPlaces) const
{
    if (pnPlaces)
        *pnPlaces = 0;
    if (!m_Motif || Vide(Source) || m_Motif->nZw <= 0 || m_Motif->nZh <= 0)
        return -1;
    const QImage Image = En32Bits(Source);
    const int W = Image.width();
    const int H = Image.height();
    const TGeometrie &g = Geometrie(W, H);
    const qint64 nTotal = static_cast<qint64>(m_Motif->nZw) * m_Motif->nZh;
    const bool lSym = m_Enr.lMotifSym && !m_PSym.empty();
    // Each thumbnail pixel is converted once however often it is sampled (an upscaled pattern,
    // several places, the mirrored pass): all of them beforehand when there are no more pixels
    // than samples, else at their first sample; a huge picture is converted at each sample.
    const qint64 nPixels = static_cast<qint64>(W) * H;
    const qint64 nEchantillons = nTotal * static_cast<qint64>(g.Places.size()) * (lSym ? 2 : 1);
    TLecture nLecture = TLecture::Directe;
    std::vector<quint32> TSLs;
    if (nPixels <= 4 * 1024 * 1024) {
        if (nPixels <= nEchantillons) {
            nLecture = TLecture::Convertie;
            TSLs.resize(static_cast<size_t>(nPixels));
            const TTablesSL &t = TablesSL();
            for (int y = 0; y < H; ++y) {
                const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(y));
                quint32 *Dest = TSLs.data() + static_cast<size_t>(y) * static_cast<size_t>(W);
                for (int x = 0; x < W; ++x)
                    Dest[x] = Compacte(TSL(t, Ligne[x]));
            }
        } else {
            nLecture = TLecture::Memorisee;
            TSLs.assign(static_cast<size_t>(nPixels), 0xFFFFFFFFu);
        }
    }
    const int nMeth = m_Enr.nMethPixMotif;
    const int nTol = m_Enr.nTolMotif;
    const int nSeuil = m_Enr.nSeuilMotif;
    const auto Passe = [&](const std::vector<TTSL> &P) {
        qint64 nMeilleur = 0;
        for (const TPlace &p : g.Places) {
            if (pnPlaces)
                ++*pnPlaces;
            qint64 n;
            switch (nLecture) {
            case TLecture::Convertie:
                n = Compte<TLecture::Convertie>(Image, TSLs, p.Colonnes, p.Lignes, P, nMeth, nTol);
                break;
            case TLecture::Memorisee:
                n = Compte<TLecture::Memorisee>(Image, TSLs, p.Colonnes, p.Lignes, P, nMeth, nTol);
                break;
            default: n = Compte<TLecture::Directe>(Image, TSLs, p.Colonnes, p.Lignes, P, nMeth, nTol); break;
            }
            nMeilleur = std::max(nMeilleur, n);
            if (Pourcentage(n, nTotal) >= nSeuil)
                break;
        }
        return Pourcentage(nMeilleur, nTotal);
    };
    int nPct = Passe(m_P);
    if (lSym && nPct < nSeuil)
        nPct = std::max(nPct, Passe(m_PSym));
    return nPct;
}
