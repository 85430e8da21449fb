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

TTSL VersTSL(int r, int g, int b)
{
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    const int M = std::max({r, g, b});
    const int m = std::min({r, g, b});
    const TTablesSL &t = TablesSL();
    const size_t i = static_cast<size_t>(M * 256 + m);
    TTSL x{0, t.S[i], t.L[i]};
    if (M == m)
        return x;
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
    x.H = ArrondiAuPair(h * 239);
    return x;
}

bool TeintesProches(int a, int b, int t)
{
    const int d = std::abs(a - b);
    return d <= t || 240 - d <= t;
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
    if ((nMeth & 4) && (i.S == 0 || !TeintesProches(i.H, m.H, nTol)))
        return false;
    if ((nMeth & 2) && (i.S == 0 || std::abs(i.S - m.S) > nTol))
        return false;
    if ((nMeth & 1) && std::abs(i.L - m.L) > nTol)
        return false;
    return true;
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
    if (e.lColorimetrie)
        m_Couleurs = std::make_unique<std::atomic<quint8>[]>((1u << 24) / 4);
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
    std::atomic<quint8> *Table = m_Couleurs.get();
    qint64 n = 0;
    for (int y = 0; y < Image.height(); ++y) {
        const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(y));
        for (int x = 0; x < Image.width(); ++x) {
            const quint32 c = Ligne[x] & 0xFFFFFFu;
            bool lOK;
            if (Table) {
                std::atomic<quint8> &Case = Table[c >> 2];
                const int nDecalage = static_cast<int>(c & 3) * 2;
                const int v = (Case.load(std::memory_order_relaxed) >> nDecalage) & 3;
                if (v != 0) {
                    lOK = v == 2;
                } else {
                    lOK = PixelCouleurOK(VersTSL(Ligne[x]), m_Enr);
                    Case.fetch_or(static_cast<quint8>((lOK ? 2 : 1) << nDecalage), std::memory_order_relaxed);
                }
            } else {
                lOK = PixelCouleurOK(VersTSL(Ligne[x]), m_Enr);
            }
            if (lOK)
                ++n;
        }
    }
    return Pourcentage(n, static_cast<qint64>(Image.width()) * Image.height());
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
        g->X.resize(static_cast<size_t>(m.nZw));
        for (int x = 0; x < m.nZw; ++x)
            g->X[static_cast<size_t>(x)] = ArrondiAuPair(x * sx);
        g->Y.resize(static_cast<size_t>(m.nZh));
        for (int y = 0; y < m.nZh; ++y)
            g->Y[static_cast<size_t>(y)] = ArrondiAuPair(y * sy);
        g->Places = Places(m_Enr, m, W, H);
    }
    return *g;
}

qint64 TPixelsFiltre::Compte(const QImage &Image, std::vector<quint32> &TSL, const TGeometrie &g, int px, int py,
                             const std::vector<TTSL> &P) const
{
    const TMotif &m = *m_Motif;
    const int W = Image.width();
    const int H = Image.height();
    const int nMeth = m_Enr.nMethPixMotif;
    const int nTol = m_Enr.nTolMotif;
    const bool lCache = !TSL.empty();
    qint64 n = 0;
    for (int y = 0; y < m.nZh; ++y) {
        const int iy = Borne(py + static_cast<qint64>(g.Y[static_cast<size_t>(y)]), H);
        const QRgb *Ligne = reinterpret_cast<const QRgb *>(Image.constScanLine(iy));
        const TTSL *Motif = P.data() + static_cast<size_t>(y) * m.nZw;
        for (int x = 0; x < m.nZw; ++x) {
            const int ix = Borne(px + static_cast<qint64>(g.X[static_cast<size_t>(x)]), W);
            TTSL t;
            if (lCache) {
                quint32 &c = TSL[static_cast<size_t>(iy) * W + ix];
                if (c == 0xFFFFFFFFu) {
                    t = VersTSL(Ligne[ix]);
                    c = static_cast<quint32>(t.H) | static_cast<quint32>(t.S) << 8 | static_cast<quint32>(t.L) << 16;
                } else {
                    t = {static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>(c >> 16)};
                }
            } else {
                t = VersTSL(Ligne[ix]);
            }
            if (PixelMotifOK(t, Motif[x], nMeth, nTol))
                ++n;
        }
    }
    return n;
}

int TPixelsFiltre::PctMotif(const QImage &Source, int *pnPlaces) const
{
    if (pnPlaces)
        *pnPlaces = 0;
    if (!m_Motif || Vide(Source) || m_Motif->nZw <= 0 || m_Motif->nZh <= 0)
        return -1;
    const QImage Image = En32Bits(Source);
    const TGeometrie &g = Geometrie(Image.width(), Image.height());
    const qint64 nTotal = static_cast<qint64>(m_Motif->nZw) * m_Motif->nZh;
    // Each thumbnail pixel is converted once however often it is sampled (an upscaled pattern,
    // several places, the mirrored pass); a huge picture is converted at each sample instead.
    const qint64 nPixels = static_cast<qint64>(Image.width()) * Image.height();
    std::vector<quint32> TSL;
    if (nPixels <= 4 * 1024 * 1024)
        TSL.assign(static_cast<size_t>(nPixels), 0xFFFFFFFFu);
    const int nSeuil = m_Enr.nSeuilMotif;
    const auto Passe = [&](const std::vector<TTSL> &P) {
        qint64 nMeilleur = 0;
        for (const auto &[px, py] : g.Places) {
            if (pnPlaces)
                ++*pnPlaces;
            const qint64 n = Compte(Image, TSL, g, px, py, P);
            nMeilleur = std::max(nMeilleur, n);
            if (Pourcentage(n, nTotal) >= nSeuil)
                break;
        }
        return Pourcentage(nMeilleur, nTotal);
    };
    int nPct = Passe(m_P);
    if (m_Enr.lMotifSym && !m_PSym.empty() && nPct < nSeuil)
        nPct = std::max(nPct, Passe(m_PSym));
    return nPct;
}
