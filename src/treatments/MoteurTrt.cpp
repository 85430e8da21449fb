#include "treatments/MoteurTrt.h"

#include "platform/Messages.h"
#include "treatments/Traitements.h"

#include <QColorSpace>
#include <QThread>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <sys/mman.h>

namespace
{

using TPixel = quint32;

// Below this many pixels per thread, starting a thread costs more than it saves.
constexpr qint64 nPixelsMinParFil = 1 << 17;
// Square tiles of a quarter turn: a source and a destination tile together stay within the
// first-level cache.
constexpr int nCoteTuile = 64;

constexpr int nRouge = 0, nVert = 1, nBleu = 2, nZero = 3;

using TTable = std::array<quint8, 256>;

// A colour step over one pixel at a time. A mapping step takes each output channel from an
// input channel (or from 0) through a table: contrast, luminosity, negative and every channel
// operation are mappings, and consecutive mappings fold into one. Black and white is the only
// step that mixes channels by weight.
struct TEtapeCouleur
{
    bool lNoirEtBlanc = false;
    int nPR = 0, nPV = 0, nPB = 0;
    std::array<int, 3> nSource{nRouge, nVert, nBleu};
    std::array<TTable, 3> Tables;

    TEtapeCouleur()
    {
        for (TTable &t : Tables)
            for (int i = 0; i < 256; ++i)
                t[i] = quint8(i);
    }
    bool EstIdentite() const
    {
        if (lNoirEtBlanc || nSource != std::array<int, 3>{nRouge, nVert, nBleu})
            return false;
        for (const TTable &t : Tables)
            for (int i = 0; i < 256; ++i)
                if (t[i] != i)
                    return false;
        return true;
    }
};

// Rounds the quotient n / 100 to the nearest integer, halves to the even one; exact, where a
// floating-point factor such as 1.07 would land on either side of a half.
int ArrondiCentiemes(int n)
{
    const int nSigne = n < 0 ? -1 : 1;
    const int a = n * nSigne;
    int q = a / 100;
    const int r = a % 100;
    if (r > 50 || (r == 50 && (q & 1)))
        ++q;
    return q * nSigne;
}

TTable TableContraste(int k)
{
    TTable t;
    for (int i = 0; i < 256; ++i)
        t[i] = quint8(std::clamp(ArrondiCentiemes((100 + k) * (i - 128) + 12800), 0, 255));
    return t;
}

TTable TableLuminosite(int k)
{
    TTable t;
    for (int i = 0; i < 256; ++i)
        t[i] = quint8(std::clamp(ArrondiCentiemes((100 + k) * i), 0, 255));
    return t;
}

TEtapeCouleur EtapeNoirEtBlanc(const QString &cParam)
{
    const TParamNB p = LitParamNB(cParam);
    TEtapeCouleur e;
    e.lNoirEtBlanc = true;
    e.nPR = p.nRouge;
    e.nPV = p.nVert;
    e.nPB = p.nBleu;
    return e;
}

TEtapeCouleur EtapeContrasteLuminosite(const QString &cParam)
{
    const TParamCL p = LitParamCL(cParam);
    TEtapeCouleur e;
    const auto NonNul = [](const std::array<int, 3> &n) { return n[0] != 0 || n[1] != 0 || n[2] != 0; };
    if (NonNul(p.nContraste))
        for (int c = 0; c < 3; ++c)
            e.Tables[c] = TableContraste(p.nContraste[c]);
    if (NonNul(p.nLuminosite))
        for (int c = 0; c < 3; ++c) {
            const TTable l = TableLuminosite(p.nLuminosite[c]);
            for (quint8 &v : e.Tables[c])
                v = l[v];
        }
    return e;
}

TEtapeCouleur EtapeNegatif()
{
    TEtapeCouleur e;
    for (TTable &t : e.Tables)
        for (int i = 0; i < 256; ++i)
            t[i] = quint8(255 - i);
    return e;
}

TEtapeCouleur EtapeCanaux(const QString &cParam)
{
    TEtapeCouleur e;
    std::array<int, 3> &s = e.nSource;
    for (const TGroupeCanaux &g : LitParamCanaux(cParam).Groupes) {
        const int n = g.nChiffre;
        if (g.cLettre == cGroupeDominantes) {
            // The dominant colour keeps its channels and clears the others.
            static constexpr std::array<std::array<bool, 3>, 6> lGarde{{{true, false, false},
                                                                        {false, true, false},
                                                                        {false, false, true},
                                                                        {true, false, true},
                                                                        {true, true, false},
                                                                        {false, true, true}}};
            if (n >= 1 && n <= 6)
                for (int c = 0; c < 3; ++c)
                    if (!lGarde[n - 1][c])
                        s[c] = nZero;
        } else if (g.cLettre == cGroupeAffectations) {
            static constexpr std::array<std::array<int, 2>, 6> Affectations{
                {{nRouge, nVert}, {nRouge, nBleu}, {nVert, nRouge}, {nVert, nBleu}, {nBleu, nRouge}, {nBleu, nVert}}};
            if (n >= 1 && n <= 6)
                s[Affectations[n - 1][0]] = s[Affectations[n - 1][1]];
        } else if (g.cLettre == cGroupeInversions) {
            static constexpr std::array<std::array<int, 2>, 3> Inversions{
                {{nRouge, nVert}, {nRouge, nBleu}, {nVert, nBleu}}};
            if (n >= 1 && n <= 3)
                std::swap(s[Inversions[n - 1][0]], s[Inversions[n - 1][1]]);
        }
    }
    return e;
}

// b after a, as one mapping.
TEtapeCouleur Compose(const TEtapeCouleur &a, const TEtapeCouleur &b)
{
    TEtapeCouleur r;
    for (int c = 0; c < 3; ++c) {
        const int sb = b.nSource[c];
        if (sb == nZero) {
            r.nSource[c] = nZero;
            r.Tables[c] = b.Tables[c];
            continue;
        }
        r.nSource[c] = a.nSource[sb];
        for (int i = 0; i < 256; ++i)
            r.Tables[c][i] = b.Tables[c][a.Tables[sb][i]];
    }
    return r;
}

void AjouteEtape(std::vector<TEtapeCouleur> &Etapes, const TEtapeCouleur &e)
{
    if (e.EstIdentite())
        return;
    if (!e.lNoirEtBlanc && !Etapes.empty() && !Etapes.back().lNoirEtBlanc) {
        Etapes.back() = Compose(Etapes.back(), e);
        if (Etapes.back().EstIdentite())
            Etapes.pop_back();
        return;
    }
    Etapes.push_back(e);
}

void LigneNoirEtBlanc(TPixel *p, int nLargeur, const TEtapeCouleur &e)
{
    const unsigned pr = unsigned(e.nPR), pv = unsigned(e.nPV), pb = unsigned(e.nPB);
    for (int x = 0; x < nLargeur; ++x) {
        const TPixel v = p[x];
        // Unsigned, so that the division by 100 compiles to a multiplication and a shift.
        const unsigned g = std::min((pr * ((v >> 16) & 0xFF) + pv * ((v >> 8) & 0xFF) + pb * (v & 0xFF)) / 100u, 255u);
        p[x] = (v & 0xFF000000u) | (g * 0x010101u);
    }
}

void LigneTables(TPixel *p, int nLargeur, const TEtapeCouleur &e)
{
    const quint8 *tr = e.Tables[0].data(), *tv = e.Tables[1].data(), *tb = e.Tables[2].data();
    if (e.nSource == std::array<int, 3>{nRouge, nVert, nBleu}) {
        for (int x = 0; x < nLargeur; ++x) {
            const TPixel v = p[x];
            p[x] = (v & 0xFF000000u) | (TPixel(tr[(v >> 16) & 0xFF]) << 16) | (TPixel(tv[(v >> 8) & 0xFF]) << 8)
                   | TPixel(tb[v & 0xFF]);
        }
        return;
    }
    const int sr = e.nSource[0], sv = e.nSource[1], sb = e.nSource[2];
    for (int x = 0; x < nLargeur; ++x) {
        const TPixel v = p[x];
        const TPixel c[4] = {(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF, 0};
        p[x] = (v & 0xFF000000u) | (TPixel(tr[c[sr]]) << 16) | (TPixel(tv[c[sv]]) << 8) | TPixel(tb[c[sb]]);
    }
}

// Runs fn over [0, nTaches) cut into nFils contiguous ranges, the calling thread taking the
// first. A thread that cannot be started leaves its ranges to the calling thread, so the work
// is always done whole.
void Partage(int nTaches, int nFils, const std::function<void(int, int)> &fn)
{
    if (nTaches <= 0)
        return;
    nFils = std::clamp(nFils, 1, nTaches);
    const auto Borne = [&](int i) { return int(qint64(nTaches) * i / nFils); };
    std::vector<std::thread> Fils;
    int nLances = 1;
    try {
        Fils.reserve(size_t(nFils - 1));
        for (int i = 1; i < nFils; ++i) {
            Fils.emplace_back(fn, Borne(i), Borne(i + 1));
            nLances = i + 1;
        }
    } catch (const std::system_error &) {
    } catch (const std::bad_alloc &) {
    }
    fn(0, Borne(1));
    if (nLances < nFils)
        fn(Borne(nLances), nTaches);
    for (std::thread &t : Fils)
        t.join();
}

int NbFils(const TOptionsTrt &Options, const QImage &Image)
{
    if (Options.nFils > 0)
        return Options.nFils;
    const qint64 nPixels = qint64(Image.width()) * Image.height();
    return int(std::clamp<qint64>(nPixels / nPixelsMinParFil, 1, std::max(1, QThread::idealThreadCount())));
}

// Turned pictures of photographs take their memory from here. Memory fresh from the system
// costs a page fault per page on first touch, several times the turn itself, so the buffer of
// the last turned picture that was let go is kept for the next turn of the same size. At most
// one such buffer is kept; LibereReserveTrt gives it back.
constexpr size_t nOctetsMinReserve = size_t(4) << 20;
constexpr size_t nAlignementReserve = size_t(2) << 20; // lets the system back it with large pages

struct TTampon
{
    void *p = nullptr;
    size_t n = 0;
};

// Plain globals with trivial destructors: a picture let go at exit may still give its buffer back.
std::mutex mReserve;
TTampon Reserve;

TTampon PrendTampon(size_t n)
{
    TTampon Ancien;
    {
        std::lock_guard<std::mutex> Verrou(mReserve);
        if (Reserve.p && Reserve.n == n)
            return std::exchange(Reserve, TTampon{});
        // A buffer of another size goes before the new one is taken, not after.
        Ancien = std::exchange(Reserve, TTampon{});
    }
    std::free(Ancien.p);
    void *p = nullptr;
    if (posix_memalign(&p, nAlignementReserve, n) != 0)
        return {};
    madvise(p, n, MADV_HUGEPAGE);
    return TTampon{p, n};
}

void RendTampon(void *pInfo)
{
    TTampon *t = static_cast<TTampon *>(pInfo);
    {
        std::lock_guard<std::mutex> Verrou(mReserve);
        std::swap(Reserve, *t);
    }
    std::free(t->p);
    delete t;
}

// A 32-bit picture of w × h pixels, from the reserve when it is large; null when memory runs short.
QImage NouvelleImage(int w, int h, QImage::Format f)
{
    const size_t n = size_t(w) * size_t(h) * 4;
    if (n < nOctetsMinReserve)
        return QImage(w, h, f);
    TTampon *pInfo = new (std::nothrow) TTampon(PrendTampon(n));
    if (!pInfo || !pInfo->p) {
        delete pInfo;
        return QImage();
    }
    QImage Image(static_cast<uchar *>(pInfo->p), w, h, qsizetype(w) * 4, f, RendTampon, pInfo);
    if (Image.isNull())
        RendTampon(pInfo);
    return Image;
}

TPixel *Ligne(uchar *pBits, qsizetype nOctetsLigne, int y)
{
    return reinterpret_cast<TPixel *>(pBits + nOctetsLigne * y);
}

void Tourne(const QImage &Source, QImage &Dest, bool lGauche, int nFils)
{
    const int W = Source.width(), H = Source.height();
    const uchar *s = Source.constBits();
    const qsizetype sbpl = Source.bytesPerLine();
    uchar *d = Dest.bits();
    const qsizetype dbpl = Dest.bytesPerLine();
    // The destination is H wide and W high; each thread fills a band of its rows.
    Partage((W + nCoteTuile - 1) / nCoteTuile, nFils, [&](int t0, int t1) {
        const int r0 = t0 * nCoteTuile, r1 = std::min(W, t1 * nCoteTuile);
        for (int rt = r0; rt < r1; rt += nCoteTuile) {
            const int rf = std::min(rt + nCoteTuile, r1);
            for (int ct = 0; ct < H; ct += nCoteTuile) {
                const int cf = std::min(ct + nCoteTuile, H);
                for (int r = rt; r < rf; ++r) {
                    TPixel *pd = Ligne(d, dbpl, r);
                    if (lGauche) {
                        // Destination (y, W - 1 - x) takes source (x, y).
                        const uchar *ps = s + qsizetype(W - 1 - r) * 4;
                        for (int c = ct; c < cf; ++c)
                            pd[c] = *reinterpret_cast<const TPixel *>(ps + sbpl * c);
                    } else {
                        // Destination (H - 1 - y, x) takes source (x, y).
                        const uchar *ps = s + qsizetype(r) * 4;
                        for (int c = ct; c < cf; ++c)
                            pd[c] = *reinterpret_cast<const TPixel *>(ps + sbpl * (H - 1 - c));
                    }
                }
            }
        }
    });
}

void MiroirH(QImage &Image, int nFils)
{
    const int W = Image.width(), H = Image.height();
    uchar *b = Image.bits();
    const qsizetype bpl = Image.bytesPerLine();
    Partage(H / 2, nFils, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            std::swap_ranges(Ligne(b, bpl, y), Ligne(b, bpl, y) + W, Ligne(b, bpl, H - 1 - y));
    });
}

void MiroirV(QImage &Image, int nFils)
{
    const int W = Image.width();
    uchar *b = Image.bits();
    const qsizetype bpl = Image.bytesPerLine();
    // Pairs are swapped: copying pixel W - 1 - x into x in one sweep would read the right half
    // after overwriting it.
    Partage(Image.height(), nFils, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            std::reverse(Ligne(b, bpl, y), Ligne(b, bpl, y) + W);
    });
}

void Couleurs(QImage &Image, const std::vector<TEtapeCouleur> &Etapes, int nFils)
{
    if (Etapes.empty())
        return;
    const int W = Image.width();
    uchar *b = Image.bits();
    const qsizetype bpl = Image.bytesPerLine();
    // Each row goes through every step while it is in the cache.
    Partage(Image.height(), nFils, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            TPixel *p = Ligne(b, bpl, y);
            for (const TEtapeCouleur &e : Etapes) {
                if (e.lNoirEtBlanc)
                    LigneNoirEtBlanc(p, W, e);
                else
                    LigneTables(p, W, e);
            }
        }
    });
}

// One step of a run: a geometric operation, or a run of colour operations folded together.
struct TPas
{
    int nCode = -1; // 0..3, or -1 for colours
    std::vector<TEtapeCouleur> Etapes;
};

TResultatTrt Echec(const QString &cRaison)
{
    return TResultatTrt{false, cRaison};
}

QString Dimensions(const QImage &Image)
{
    return QStringLiteral("%1 × %2 pixels").arg(Image.width()).arg(Image.height());
}

QImage::Format FormatTravail(const QImage &Image)
{
    return Image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32;
}

// The picture as 32-bit pixels that this thread alone holds, or a null picture when memory
// runs short. Source is left as it was in every case.
QImage Exclusive(QImage &Source)
{
    const QImage::Format f = Source.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32)
        return Source.convertToFormat(FormatTravail(Source));
    if (!Source.isDetached())
        return Source.copy();
    return std::move(Source);
}

} // namespace

TResultatTrt AppliqueTrts(QImage &Image, const QList<TTrt> &Trts, const TOptionsTrt &Options)
{
    std::vector<TPas> Plan;
    bool lRotation = false;
    try {
        for (const TTrt &t : Trts) {
            if (t.nCode < 0 || t.nCode >= nNbCodesTrt)
                return Echec(QStringLiteral("Traitement inconnu (%1).").arg(t.nCode));
            if (!EstTrtCouleur(t.nCode)) {
                lRotation = lRotation || t.nCode == nTrtRotationGauche || t.nCode == nTrtRotationDroite;
                Plan.push_back(TPas{t.nCode, {}});
                continue;
            }
            if (Plan.empty() || Plan.back().nCode != -1)
                Plan.push_back(TPas{});
            std::vector<TEtapeCouleur> &Etapes = Plan.back().Etapes;
            switch (t.nCode) {
            case nTrtNoirEtBlanc: AjouteEtape(Etapes, EtapeNoirEtBlanc(t.cParam)); break;
            case nTrtContrasteLuminosite: AjouteEtape(Etapes, EtapeContrasteLuminosite(t.cParam)); break;
            case nTrtNegatif: AjouteEtape(Etapes, EtapeNegatif()); break;
            default: AjouteEtape(Etapes, EtapeCanaux(t.cParam)); break;
            }
        }
    } catch (const std::bad_alloc &) {
        return Echec(QStringLiteral("Mémoire insuffisante pour préparer le traitement."));
    }
    if (Image.isNull() || Plan.empty())
        return {};

    const QString cTaille = Dimensions(Image);
    QImage Courante = Exclusive(Image);
    if (Courante.isNull())
        return Echec(QStringLiteral("Mémoire insuffisante pour traiter l'image (%1).").arg(cTaille));
    // Restores the caller's picture when Exclusive took it over rather than copying it.
    const auto Rend = [&](const QString &cRaison) {
        if (Image.isNull())
            Image = std::move(Courante);
        return Echec(cRaison);
    };

    // Turns ping-pong between the picture and one spare of the turned size, taken now.
    QImage Rechange;
    if (lRotation) {
        const qint64 nOctets = qint64(Courante.width()) * Courante.height() * 4;
        const QString cTropGrande = QStringLiteral("Image trop grande pour être tournée en mémoire (%1).").arg(cTaille);
        if (Options.nOctetsMaxRotation > 0 && nOctets > Options.nOctetsMaxRotation)
            return Rend(cTropGrande);
        Rechange = NouvelleImage(Courante.height(), Courante.width(), Courante.format());
        if (Rechange.isNull())
            return Rend(cTropGrande);
    }

    const int nFils = NbFils(Options, Courante);
    for (const TPas &p : Plan) {
        switch (p.nCode) {
        case nTrtRotationGauche:
        case nTrtRotationDroite:
            Rechange.setDotsPerMeterX(Courante.dotsPerMeterY());
            Rechange.setDotsPerMeterY(Courante.dotsPerMeterX());
            Rechange.setColorSpace(Courante.colorSpace());
            Tourne(Courante, Rechange, p.nCode == nTrtRotationGauche, nFils);
            std::swap(Courante, Rechange);
            break;
        case nTrtMiroirH: MiroirH(Courante, nFils); break;
        case nTrtMiroirV: MiroirV(Courante, nFils); break;
        default: Couleurs(Courante, p.Etapes, nFils); break;
        }
    }
    Image = std::move(Courante);
    return {};
}

TResultatTrt AppliqueTrt(QImage &Image, int nCode, const QString &cParam, const TOptionsTrt &Options)
{
    return AppliqueTrts(Image, QList<TTrt>{TTrt{nCode, cParam}}, Options);
}

void LibereReserveTrt()
{
    TTampon t;
    {
        std::lock_guard<std::mutex> Verrou(mReserve);
        t = std::exchange(Reserve, TTampon{});
    }
    std::free(t.p);
}

QString MessageErreurTrt(const QString &cRaison)
{
    return QStringLiteral("Erreur pendant un traitement sur une image :\r\n") + cRaison;
}

bool SignaleErreurTrt(IMessages &Messages, QWidget *Parent, const TResultatTrt &r)
{
    if (!r.lOk)
        Messages.Erreur(Parent, MessageErreurTrt(r.cRaison));
    return r.lOk;
}
