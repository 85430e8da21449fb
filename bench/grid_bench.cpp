// The thumbnail grid with 20,000 thumbnails of 160 pixels: filling it, painting a full-HD
// view, paging (once the screen ahead is decoded), jumping far (nothing decoded there),
// sorting, resizing, and the memory it all takes. The grid is fed photograph-like JPEG bytes at
// quality 90, as cache files hold them, and the bench keeps no copy of them.

#include "components/PaneledListView.h"
#include "imaging/JpegCodec.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{
constexpr int kNombre = 20000;

double Millis(const QElapsedTimer &t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

// CPU time of the whole process (every thread), which a machine shared with other work leaves
// meaningful where wall time is not.
double CpuMillis()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double PicMemoireMo()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &cLigne : f.readAll().split('\n'))
        if (cLigne.startsWith("VmHWM:"))
            return cLigne.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Each thumbnail has bytes of its own, as cache files would: broad smooth shading, some edges
// and a little noise (a reduced photograph keeps little of its sensor's), so that the coder
// sees what it sees in a photograph's thumbnail.
QByteArray Vignette(int i)
{
    const bool lPortrait = i % 3 == 0;
    const int w = lPortrait ? 120 : 160;
    const int h = lPortrait ? 160 : 120;
    QImage im(w, h, QImage::Format_RGB32);
    quint32 s = quint32(i) * 2654435761u + 1;
    const double fPhase = (i % 97) * 0.37;
    for (int y = 0; y < h; ++y) {
        auto *p = reinterpret_cast<QRgb *>(im.scanLine(y));
        const double fy = double(y) / h;
        for (int x = 0; x < w; ++x) {
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            const int n = int(s & 7) - 4;
            const double fx = double(x) / w;
            const double v = 0.5 + 0.5 * std::sin(6.0 * fx + 3.0 * fy + fPhase);
            const bool lBord = ((x / 23) + (y / 31) + i) % 5 == 0;
            p[x] =
                qRgb(qBound(0, int(255 * (0.3 + 0.6 * fx * v)) + n + (lBord ? 40 : 0), 255),
                     qBound(0, int(255 * (0.2 + 0.6 * fy)) + n, 255), qBound(0, int(255 * (0.7 - 0.5 * v)) + n, 255));
        }
    }
    return JpegCodec::EncodeMemoire(im, 90);
}

// The worker decodes the screens around the view after each scroll; paging comes after it.
void AttendAnticipation(TPaneledListView &g)
{
    QApplication::processEvents();
    g.AttendRemplissage();
}

// One full repaint of the viewport, as the window system would ask for it.
double Repeint(TPaneledListView &g, QImage &Cible)
{
    QElapsedTimer t;
    t.start();
    g.viewport()->render(&Cible);
    return Millis(t);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    TPaneledListView g;
    g.set_Checks(true);
    g.set_UnSelectOnClickOut(false);
    g.resize(1920, 1080);
    g.show();
    QApplication::processEvents();

    // Only the grid's own work is timed, not the making of the bytes.
    qint64 nNanos = 0;
    QElapsedTimer t;
    g.Debut();
    for (int i = 0; i < kNombre; ++i) {
        const QByteArray Octets = Vignette(i);
        t.start();
        TPLVListItem *p = g.Ajoute();
        g.MetImage(p, TVignetteCompacte::DeJpeg(Octets, QSize(160, 160)));
        g.MetTitre(p, QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
        nNanos += t.nsecsElapsed();
    }
    t.start();
    g.Fin();
    nNanos += t.nsecsElapsed();
    std::printf("BENCH add_20000 %.1f ms\n", double(nNanos) / 1e6);
    g.Selectionne(g.Item(0));

    QImage Cible(g.viewport()->size(), QImage::Format_RGB32);
    g.viewport()->render(&Cible);
    AttendAnticipation(g);
    std::vector<double> Temps;
    for (int n = 0; n < 30; ++n)
        Temps.push_back(Repeint(g, Cible));
    std::printf("BENCH repaint %.2f ms\n", Mediane(Temps));

    // A page down, then the repaint it causes, the screen below having been decoded ahead.
    Temps.clear();
    QScrollBar *vb = g.verticalScrollBar();
    for (int n = 0; n < 30; ++n) {
        AttendAnticipation(g);
        QElapsedTimer ts;
        ts.start();
        vb->setValue(vb->value() + vb->pageStep());
        g.viewport()->render(&Cible);
        Temps.push_back(Millis(ts));
    }
    std::printf("BENCH scroll_page %.2f ms\n", Mediane(Temps));

    // A jump far away (the scroll bar dragged): nothing there is decoded yet.
    Temps.clear();
    std::vector<double> Cpu;
    quint32 s = 12345;
    for (int n = 0; n < 30; ++n) {
        AttendAnticipation(g);
        s = s * 1664525u + 1013904223u;
        int nCible = int(s % quint32(std::max(1, vb->maximum())));
        if (std::abs(nCible - vb->value()) < 4 * vb->pageStep())
            nCible = (nCible + vb->maximum() / 2) % std::max(1, vb->maximum());
        QElapsedTimer ts;
        const double fCpu = CpuMillis();
        ts.start();
        vb->setValue(nCible);
        g.viewport()->render(&Cible);
        Temps.push_back(Millis(ts));
        Cpu.push_back(CpuMillis() - fCpu);
    }
    std::printf("BENCH scroll_jump %.2f ms\n", Mediane(Temps));
    std::printf("BENCH scroll_jump_cpu %.2f ms\n", Mediane(Cpu));
    AttendAnticipation(g);
    std::printf("BENCH decoded_panels %d items\n", g.NombreDecodees());

    // Reverse order of captions: every item moves.
    t.restart();
    g.Trie(0, true, [](const TPLVListItem *a, const TPLVListItem *b, int) { return b->cTitre().compare(a->cTitre()); });
    std::printf("BENCH sort %.1f ms\n", Millis(t));

    // Narrower window (fewer columns), laid out again and repainted.
    Temps.clear();
    for (int n = 0; n < 10; ++n) {
        QElapsedTimer tr;
        tr.start();
        g.resize(n % 2 == 0 ? 1280 : 1920, n % 2 == 0 ? 800 : 1080);
        QImage Vue(g.viewport()->size(), QImage::Format_RGB32);
        g.viewport()->render(&Vue);
        Temps.push_back(Millis(tr));
    }
    std::printf("BENCH resize %.2f ms\n", Mediane(Temps));

    std::printf("BENCH peak_memory %.0f MB\n", PicMemoireMo());
    return 0;
}
