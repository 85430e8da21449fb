// Speed of the colour distribution graph: counting a photo-like 24 MP picture held in memory
// (median of 5, on every core, and on one), against vips hist_find on the same picture saved
// as a .v file in the same run; and tracing plus drawing a 1920 × 1080 graph of four curves.
// vips' figure is its run minus the same command on a 1 × 1 picture, so that starting the
// program and writing its result are not counted. Set VIMBREL_VIPS to choose the program.

#include "PhotoGeneree.h"
#include "treatments/DistributionCouleurs.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{
constexpr int nLargeur = 6000, nHauteur = 4000, nEssais = 5;

double MsCPU()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median wall and processor milliseconds of fn.
template <class F>
std::pair<double, double> Mesure(int n, F fn)
{
    std::vector<double> v, vCPU;
    for (int i = 0; i < n; ++i) {
        QElapsedTimer t;
        const double nCPU = MsCPU();
        t.start();
        fn();
        v.push_back(t.nsecsElapsed() / 1e6);
        vCPU.push_back(MsCPU() - nCPU);
    }
    return {Mediane(v), Mediane(vCPU)};
}

// Median milliseconds of a vips run, or −1 when it failed.
double Vips(const QString &cVips, const QStringList &Args)
{
    std::vector<double> v;
    for (int i = 0; i < nEssais; ++i) {
        QProcess p;
        QElapsedTimer t;
        t.start();
        p.start(cVips, Args);
        if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
            std::fprintf(stderr, "vips %s: %s\n", qPrintable(Args.join(u' ')), p.readAllStandardError().constData());
            return -1;
        }
        v.push_back(t.nsecsElapsed() / 1e6);
    }
    return Mediane(v);
}

// Saves a picture as binary PPM, which vips reads without a codec, then as a .v file.
bool EnV(const QString &cVips, const QImage &Image, const QString &cPpm, const QString &cV)
{
    QFile f(cPpm);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QStringLiteral("P6\n%1 %2\n255\n").arg(Image.width()).arg(Image.height()).toLatin1());
    std::vector<char> Ligne(size_t(Image.width()) * 3);
    for (int y = 0; y < Image.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(Image.constScanLine(y));
        for (int x = 0; x < Image.width(); ++x) {
            Ligne[size_t(x) * 3] = char(qRed(p[x]));
            Ligne[size_t(x) * 3 + 1] = char(qGreen(p[x]));
            Ligne[size_t(x) * 3 + 2] = char(qBlue(p[x]));
        }
        f.write(Ligne.data(), qint64(Ligne.size()));
    }
    f.close();
    QProcess p;
    p.start(cVips, {QStringLiteral("copy"), cPpm, cV});
    return p.waitForFinished(600000) && p.exitCode() == 0;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QImage Source = Photo(nLargeur, nHauteur, 1);
    std::printf("# %d x %d picture, %d threads\n", nLargeur, nHauteur, QThread::idealThreadCount());

    quint64 nTotal = 0;
    const auto [ms, msCPU] = Mesure(nEssais, [&] { nTotal += CalculeDistribution(Source).nDistTous[128]; });
    const auto [ms1, ms1CPU] = Mesure(nEssais, [&] { nTotal += CalculeDistribution(Source, 1).nDistTous[128]; });
    std::printf("BENCH colour_distribution_24mp %.1f ms\n", ms);
    std::printf("BENCH colour_distribution_24mp_cpu %.1f ms\n", msCPU);
    std::printf("BENCH colour_distribution_24mp_one_thread %.1f ms\n", ms1);
    std::printf("BENCH colour_distribution_24mp_one_thread_cpu %.1f ms\n", ms1CPU);

    const TDistribution d = CalculeDistribution(Source);
    TGraphe g;
    QImage Dessin;
    const auto [msTrace, msTraceCPU] = Mesure(21, [&] {
        g = TraceGraphe(d, 0, 255, 1920, 1080, {});
        Dessin = DessineGraphe(g);
    });
    std::printf("BENCH colour_graph_trace %.2f ms\n", msTrace);
    std::printf("BENCH colour_graph_trace_cpu %.2f ms\n", msTraceCPU);

    QString cVips = qEnvironmentVariable("VIMBREL_VIPS");
    if (cVips.isEmpty())
        cVips = QStandardPaths::findExecutable(QStringLiteral("vips"));
    QTemporaryDir Dossier;
    const QString cV = Dossier.filePath(QStringLiteral("photo.v"));
    const QString cPetit = Dossier.filePath(QStringLiteral("petit.v"));
    if (cVips.isEmpty() || !EnV(cVips, Source, Dossier.filePath(QStringLiteral("photo.ppm")), cV)
        || !EnV(cVips, Source.copy(0, 0, 1, 1), Dossier.filePath(QStringLiteral("petit.ppm")), cPetit)) {
        std::printf("# vips not found or failed: no comparison\n");
    } else {
        const QString cSortie = Dossier.filePath(QStringLiteral("hist.v"));
        const double msVips = Vips(cVips, {QStringLiteral("hist_find"), cV, cSortie});
        const double msVide = Vips(cVips, {QStringLiteral("hist_find"), cPetit, cSortie});
        if (msVips > 0 && msVide >= 0) {
            std::printf("# vips hist_find %.1f ms, of which %.1f ms on a 1 x 1 picture\n", msVips, msVide);
            std::printf("BENCH colour_distribution_24mp_vs_vips %.2f x\n", (msVips - msVide) / ms);
        }
    }
    std::printf("# %llu %d\n", static_cast<unsigned long long>(nTotal), int(g.Courbes.size()));
    return 0;
}
