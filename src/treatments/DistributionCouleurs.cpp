#include "treatments/DistributionCouleurs.h"

#include "storage/BigIniFiles.h"
#include "storage/Sections.h"
#include "storage/Settings.h"

#include <QMutex>
#include <QPainter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <limits>
#include <vector>

TDominante DominantePixel(int r, int v, int b)
{
    if (r - v > 5 && r - b > 5)
        return TDominante::Rouge;
    if (v - r > 5 && v - b > 5)
        return TDominante::Vert;
    if (b - r > 5 && b - v > 5)
        return TDominante::Bleu;
    return TDominante::Aucune;
}

namespace
{
// Counts by class (0 no lead, 1 red, 2 green, 3 blue) then luminance: class × 256 + Y.
using TCompteursClasses = std::array<quint64, 1024>;

constexpr int nLignesParBloc = 32;
// Below this many pixels a second thread costs more than it saves.
constexpr qint64 nPixelsMinParFil = 1 << 18;

// Counts rows [y0, y1) of a 32-bit picture into Total.
class TCompteur
{
public:
    explicit TCompteur(int nLargeur) : m_Index(size_t(nLargeur)) {}

    void Lignes(const QImage &Image, int y0, int y1, TCompteursClasses &Total)
    {
        const int w = Image.width();
        for (int y = y0; y < y1; ++y) {
            // Four copies of the counters, taken in turn, so that runs of equal pixels do not
            // wait on one another's increments; 32 bits each, emptied before they could wrap.
            if (m_nEnCours + quint64(w) > std::numeric_limits<quint32>::max())
                Vide(Total);
            m_nEnCours += quint64(w);
            const auto *p = reinterpret_cast<const quint32 *>(Image.constScanLine(y));
            quint16 *pi = m_Index.data();
            // Branch-free and in 16 bits, so that the compiler runs it on vectors of eight:
            // (30 R + 60 G + 10 B) div 100 = (3 R + 6 G + B) div 10, and for n up to 2550,
            // n div 10 = (n × 6554) >> 16.
            for (int x = 0; x < w; ++x) {
                const quint32 c = p[x];
                const qint16 r = qint16((c >> 16) & 0xFF), v = qint16((c >> 8) & 0xFF), b = qint16(c & 0xFF);
                const quint16 n = quint16(3 * r + 6 * v + b);
                const quint16 nY = quint16((quint32(n) * 6554u) >> 16);
                const qint16 rv = qint16(r - v), rb = qint16(r - b), vb = qint16(v - b);
                const quint16 nClasse =
                    quint16(((rv > 5) & (rb > 5)) | (((rv < -5) & (vb > 5)) << 1) | (((rb < -5) & (vb < -5)) * 3));
                pi[x] = quint16((nClasse << 8) | nY);
            }
            int x = 0;
            for (; x + 4 <= w; x += 4) {
                ++m_Copies[pi[x]];
                ++m_Copies[1024 + pi[x + 1]];
                ++m_Copies[2048 + pi[x + 2]];
                ++m_Copies[3072 + pi[x + 3]];
            }
            for (; x < w; ++x)
                ++m_Copies[pi[x]];
        }
    }

    void Vide(TCompteursClasses &Total)
    {
        for (int i = 0; i < 1024; ++i) {
            Total[size_t(i)] += quint64(m_Copies[size_t(i)]) + m_Copies[size_t(1024 + i)] + m_Copies[size_t(2048 + i)]
                                + m_Copies[size_t(3072 + i)];
        }
        m_Copies.fill(0);
        m_nEnCours = 0;
    }

private:
    std::vector<quint16> m_Index;
    std::array<quint32, 4096> m_Copies{};
    quint64 m_nEnCours = 0;
};
} // namespace

TDistribution CalculeDistribution(const QImage &Source, int nFils)
{
    TDistribution d;
    if (Source.isNull()) {
        d.lCalculee = true;
        return d;
    }
    const QImage Image = Source.format() == QImage::Format_RGB32 || Source.format() == QImage::Format_ARGB32
                             ? Source
                             : Source.convertToFormat(QImage::Format_RGB32);
    const int h = Image.height();
    const int nBlocs = (h + nLignesParBloc - 1) / nLignesParBloc;
    if (nFils <= 0) {
        const qint64 nPixels = qint64(Image.width()) * h;
        nFils = int(std::clamp<qint64>(nPixels / nPixelsMinParFil, 1, std::max(1, QThread::idealThreadCount())));
    }
    nFils = std::clamp(nFils, 1, std::max(1, nBlocs));

    TCompteursClasses Total{};
    QMutex Verrou;
    std::atomic<int> nProchain{0};
    // Whoever is free takes the next block of rows; the sums do not depend on who counted what.
    const auto Travaille = [&] {
        TCompteur Compteur(Image.width());
        TCompteursClasses Partiel{};
        for (int i = nProchain.fetch_add(1); i < nBlocs; i = nProchain.fetch_add(1))
            Compteur.Lignes(Image, i * nLignesParBloc, std::min(h, (i + 1) * nLignesParBloc), Partiel);
        Compteur.Vide(Partiel);
        QMutexLocker l(&Verrou);
        for (size_t i = 0; i < Total.size(); ++i)
            Total[i] += Partiel[i];
    };
    QSemaphore Finis;
    int nLances = 0;
    // A helper that finds no free worker is simply not started: the calling thread counts
    // whatever is left, so the work is always done whole.
    for (int i = 1; i < nFils; ++i) {
        if (!QThreadPool::globalInstance()->tryStart([&] {
                Travaille();
                Finis.release();
            }))
            break;
        ++nLances;
    }
    Travaille();
    Finis.acquire(nLances);

    for (int y = 0; y < 256; ++y) {
        const size_t i = size_t(y);
        d.nDistRouge[i] = Total[256 + i];
        d.nDistVert[i] = Total[512 + i];
        d.nDistBleu[i] = Total[768 + i];
        d.nDistTous[i] = Total[i] + d.nDistRouge[i] + d.nDistVert[i] + d.nDistBleu[i];
    }
    d.lCalculee = true;
    return d;
}

namespace
{
// n / d rounded to the nearest, halves to even, for d > 0.
qint64 ArrondiPair(__int128 n, __int128 d)
{
    __int128 q = n / d, r = n % d;
    if (r < 0) {
        q -= 1;
        r += d;
    }
    if (2 * r > d || (2 * r == d && (q & 1) != 0))
        ++q;
    return qint64(q);
}
} // namespace

int XGraphe(int nY, int nMin, int nMax, int nLargeur)
{
    if (nMax <= nMin || nLargeur <= 1)
        return 0;
    return int(ArrondiPair(__int128(nY - nMin) * (nLargeur - 1), nMax - nMin));
}

int YGraphe(quint64 c, quint64 nPic, int nHauteur)
{
    if (nHauteur <= 1)
        return 0;
    if (nPic == 0)
        return nHauteur - 1;
    return nHauteur - 1 - int(ArrondiPair(__int128(std::min(c, nPic)) * (nHauteur - 1), nPic));
}

TGraphe TraceGraphe(const TDistribution &d, int nMin, int nMax, int nLargeur, int nHauteur,
                    const TCourbesVisibles &Visibles)
{
    TGraphe g;
    g.nLargeur = std::max(0, nLargeur);
    g.nHauteur = std::max(0, nHauteur);
    g.nMin = std::clamp(nMin, 0, 255);
    g.nMax = std::clamp(nMax, 0, 255);
    if (!d.lCalculee || g.nLargeur == 0 || g.nHauteur == 0 || g.nMax <= g.nMin)
        return g;
    // Every array sets the scale, shown or not, so that hiding a curve does not rescale the rest.
    for (const TCompteursY *a : {&d.nDistTous, &d.nDistRouge, &d.nDistVert, &d.nDistBleu})
        for (int y = g.nMin; y <= g.nMax; ++y)
            g.nPic = std::max(g.nPic, (*a)[size_t(y)]);

    const struct
    {
        bool lVisible;
        const TCompteursY *pCompteurs;
        QColor Couleur;
    } Courbes[] = {{Visibles.lLum, &d.nDistTous, QColor(192, 192, 192)},
                   {Visibles.lR, &d.nDistRouge, QColor(255, 0, 0)},
                   {Visibles.lV, &d.nDistVert, QColor(0, 255, 0)},
                   {Visibles.lB, &d.nDistBleu, QColor(0, 0, 255)}};
    for (const auto &c : Courbes) {
        if (!c.lVisible)
            continue;
        TCourbe Courbe;
        Courbe.Couleur = c.Couleur;
        Courbe.Segments.reserve(g.nMax - g.nMin);
        QPoint Avant(XGraphe(g.nMin, g.nMin, g.nMax, g.nLargeur),
                     YGraphe((*c.pCompteurs)[size_t(g.nMin)], g.nPic, g.nHauteur));
        for (int y = g.nMin + 1; y <= g.nMax; ++y) {
            const QPoint Point(XGraphe(y, g.nMin, g.nMax, g.nLargeur),
                               YGraphe((*c.pCompteurs)[size_t(y)], g.nPic, g.nHauteur));
            Courbe.Segments.append(QLine(Avant, Point));
            Avant = Point;
        }
        g.Courbes.append(std::move(Courbe));
    }
    return g;
}

QImage DessineGraphe(const TGraphe &g)
{
    if (g.nLargeur <= 0 || g.nHauteur <= 0)
        return {};
    QImage Image(g.nLargeur, g.nHauteur, QImage::Format_RGB32);
    Image.fill(Qt::black);
    QPainter p(&Image);
    for (const TCourbe &c : g.Courbes) {
        p.setPen(QPen(c.Couleur, 0));
        p.drawLines(c.Segments);
    }
    return Image;
}

QColor CouleurTexteChiffre(int n)
{
    return n >= 160 ? QColor(Qt::black) : QColor(Qt::white);
}

TLecturePipette LecturePipette(QRgb Pixel)
{
    TLecturePipette l;
    l.nR = qRed(Pixel);
    l.nV = qGreen(Pixel);
    l.nB = qBlue(Pixel);
    l.nY = LuminancePixel(l.nR, l.nV, l.nB);
    l.clPipette = QColor(l.nR, l.nV, l.nB);
    l.clLum = QColor(l.nY, l.nY, l.nY);
    l.clR = QColor(l.nR, 0, 0);
    l.clV = QColor(0, l.nV, 0);
    l.clB = QColor(0, 0, l.nB);
    l.clTexteLum = CouleurTexteChiffre(l.nY);
    l.clTexteR = CouleurTexteChiffre(l.nR);
    l.clTexteV = CouleurTexteChiffre(l.nV);
    l.clTexteB = CouleurTexteChiffre(l.nB);
    return l;
}

TPasPipette PasPipette(QPoint pt, QSize Client, QPoint Defilement, QPoint DefilementMax)
{
    TPasPipette Pas;
    Pas.Defilement = Defilement;
    Pas.lDansClient = pt.x() >= 0 && pt.y() >= 0 && pt.x() < Client.width() && pt.y() < Client.height();
    if (!Pas.lDansClient)
        return Pas;
    constexpr int nBord = 20;
    const auto Pas1D = [](int n, int nTaille) { return n < nBord ? -nBord : n >= nTaille - nBord ? nBord : 0; };
    Pas.Defilement.setX(std::clamp(Defilement.x() + Pas1D(pt.x(), Client.width()), 0, std::max(0, DefilementMax.x())));
    Pas.Defilement.setY(std::clamp(Defilement.y() + Pas1D(pt.y(), Client.height()), 0, std::max(0, DefilementMax.y())));
    Pas.lLecture = Pas.Defilement == Defilement;
    return Pas;
}

TReglagesGDC ReglagesGDC(const TEnrParametres &P)
{
    TReglagesGDC r;
    r.Geometrie = QRect(P.nLeft_GDC, P.nTop_GDC, P.nWidth_GDC, P.nHeight_GDC);
    r.lR = P.lcbR_GDC;
    r.lV = P.lcbV_GDC;
    r.lB = P.lcbB_GDC;
    return r;
}

bool EnregistreReglagesGDC(const TReglagesGDC &r, TEnrParametres &P, TBigIniFile &iniSetup)
{
    P.nLeft_GDC = r.Geometrie.x();
    P.nTop_GDC = r.Geometrie.y();
    P.nWidth_GDC = r.Geometrie.width();
    P.nHeight_GDC = r.Geometrie.height();
    P.lcbR_GDC = r.lR;
    P.lcbV_GDC = r.lV;
    P.lcbB_GDC = r.lB;
    iniSetup.WriteInteger(cSectionGeneral, QStringLiteral("nLeft_GDC"), P.nLeft_GDC);
    iniSetup.WriteInteger(cSectionGeneral, QStringLiteral("nTop_GDC"), P.nTop_GDC);
    iniSetup.WriteInteger(cSectionGeneral, QStringLiteral("nWidth_GDC"), P.nWidth_GDC);
    iniSetup.WriteInteger(cSectionGeneral, QStringLiteral("nHeight_GDC"), P.nHeight_GDC);
    iniSetup.WriteBool(cSectionGeneral, QStringLiteral("lcbR_GDC"), P.lcbR_GDC);
    iniSetup.WriteBool(cSectionGeneral, QStringLiteral("lcbV_GDC"), P.lcbV_GDC);
    iniSetup.WriteBool(cSectionGeneral, QStringLiteral("lcbB_GDC"), P.lcbB_GDC);
    return iniSetup.UpdateFile();
}

QRect PlaceFenetreGDC(const QRect &Sauvee, const QList<QRect> &Ecrans, const QRect &EcranCourant, const QSize &Minimum)
{
    const bool lVisible =
        std::any_of(Ecrans.begin(), Ecrans.end(), [&](const QRect &e) { return e.intersects(Sauvee); });
    if (lVisible && Sauvee.width() >= Minimum.width() && Sauvee.height() >= Minimum.height())
        return Sauvee;
    QRect r(QPoint(0, 0), Minimum);
    r.moveCenter(EcranCourant.center());
    return r;
}
