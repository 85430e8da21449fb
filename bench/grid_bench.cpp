// The thumbnail grid with 20,000 thumbnails of 160 pixels: filling it, painting a full-HD
// view, paging, sorting, resizing, and the memory it all takes.

#include "components/PaneledListView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
constexpr int kNombre = 20000;

double Millis(const QElapsedTimer &t)
{
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
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

// Each thumbnail has pixels of its own, as thumbnails read from the cache would.
QImage Vignette(int i)
{
    const bool lPortrait = i % 3 == 0;
    QImage im(lPortrait ? 120 : 160, lPortrait ? 160 : 120, QImage::Format_RGB32);
    im.fill(QColor::fromHsv((i * 37) % 360, 120, 200));
    QPainter p(&im);
    p.fillRect(10, 10, 40, 30, QColor::fromHsv((i * 91) % 360, 200, 120));
    return im;
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

    std::vector<QImage> Images;
    Images.reserve(kNombre);
    for (int i = 0; i < kNombre; ++i)
        Images.push_back(Vignette(i));

    TPaneledListView g;
    g.set_Checks(true);
    g.set_UnSelectOnClickOut(false);
    g.resize(1920, 1080);
    g.show();
    QApplication::processEvents();

    QElapsedTimer t;
    t.start();
    g.Debut();
    for (int i = 0; i < kNombre; ++i) {
        TPLVListItem *p = g.Ajoute();
        g.MetImage(p, Images[static_cast<size_t>(i)]);
        g.MetTitre(p, QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
    }
    g.Fin();
    std::printf("BENCH add_20000 %.1f ms\n", Millis(t));
    Images.clear(); // the grid holds the only copies now
    g.Selectionne(g.Item(0));

    QImage Cible(g.viewport()->size(), QImage::Format_RGB32);
    std::vector<double> Temps;
    for (int n = 0; n < 30; ++n)
        Temps.push_back(Repeint(g, Cible));
    std::printf("BENCH repaint %.2f ms\n", Mediane(Temps));

    // A page down, then the repaint it causes.
    Temps.clear();
    QScrollBar *vb = g.verticalScrollBar();
    for (int n = 0; n < 30; ++n) {
        QElapsedTimer ts;
        ts.start();
        vb->setValue(vb->value() + vb->pageStep());
        g.viewport()->render(&Cible);
        Temps.push_back(Millis(ts));
    }
    std::printf("BENCH scroll_page %.2f ms\n", Mediane(Temps));

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
