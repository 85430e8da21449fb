// Treatment speed on a photograph-like 24 MP picture held in memory: the eight operations,
// median of 5, against ImageMagick's convert doing the same work in the same run. convert reads
// a .mpc file (its own memory image, no decoding) to null:; its figure is that run minus the
// same command without the operation. Set VIMBREL_CONVERT to choose the convert program.
// Also an image's whole remembered chain: its EXIF orientation 6 and four colour treatments.

#include "storage/BigIniFiles.h"
#include "storage/Sections.h"
#include "storage/Settings.h"
#include "treatments/MoteurTrt.h"
#include "treatments/TraitementsImage.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{
constexpr int nLargeur = 6000, nHauteur = 4000, nEssais = 5;

// Broad smooth shading, some edges and sensor-like noise, so that no operation meets a
// picture simpler than a photograph.
QImage Photo()
{
    QImage Image(nLargeur, nHauteur, QImage::Format_RGB32);
    quint32 s = 2654435761u;
    for (int y = 0; y < nHauteur; ++y) {
        auto *p = reinterpret_cast<QRgb *>(Image.scanLine(y));
        const double fy = double(y) / nHauteur;
        for (int x = 0; x < nLargeur; ++x) {
            s ^= s << 13;
            s ^= s >> 17;
            s ^= s << 5;
            const int n = int(s & 15) - 8;
            const double fx = double(x) / nLargeur;
            const double v = 0.5 + 0.5 * std::sin(6.0 * fx + 3.0 * fy);
            const bool lBord = ((x / 97) + (y / 131)) % 5 == 0;
            const int r = qBound(0, int(255 * (0.3 + 0.6 * fx * v)) + n + (lBord ? 40 : 0), 255);
            const int g = qBound(0, int(255 * (0.2 + 0.6 * fy)) + n, 255);
            const int b = qBound(0, int(255 * (0.7 - 0.5 * v)) + n, 255);
            p[x] = qRgb(r, g, b);
        }
    }
    return Image;
}

// CPU time of the whole process, all threads, to read the figures of a machine shared with
// other work.
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

struct TCas
{
    int nCode;
    QString cParam;
    QStringList Magick; // the same work for convert
};

// Milliseconds of one convert run, or -1 when it failed.
double LanceConvert(const QString &cConvert, const QStringList &Args)
{
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(cConvert, Args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "convert %s: %s\n", qPrintable(Args.join(u' ')), p.readAllStandardError().constData());
        return -1;
    }
    return t.nsecsElapsed() / 1e6;
}

double MedianeConvert(const QString &cConvert, const QStringList &Args)
{
    std::vector<double> v;
    for (int i = 0; i < nEssais; ++i) {
        const double ms = LanceConvert(cConvert, Args);
        if (ms < 0)
            return -1;
        v.push_back(ms);
    }
    return Mediane(v);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QImage Source = Photo();
    std::printf("# %d x %d picture, %d threads\n", nLargeur, nHauteur, QThread::idealThreadCount());

    const QStringList Separe{"-separate", "-delete", "0", "-clone", "0", "-combine"};
    const std::vector<TCas> Cas{
        {0, {}, {"-rotate", "270"}},
        {1, {}, {"-rotate", "90"}},
        {2, {}, {"-flip"}},
        {3, {}, {"-flop"}},
        {4, "{ 30: 60: 10}", {"-color-matrix", "0.3 0.6 0.1 0.3 0.6 0.1 0.3 0.6 0.1"}},
        {5, "{  40:  40:  40:  20:  20:  20}", {"-function", "Polynomial", "1.4,-0.2", "-evaluate", "Multiply", "1.2"}},
        {6, {}, {"-negate"}},
        // Red takes green, then green and blue are swapped: (g, b, g). This convert has no
        // -channel-fx; separating the channels and combining them in that order is the same.
        {7, "{D=0:A=1:I=3}", Separe},
    };

    std::vector<double> Nos(Cas.size());
    for (size_t i = 0; i < Cas.size(); ++i) {
        QImage Travail = Source.copy();
        std::vector<double> v, vCPU;
        for (int k = 0; k < nEssais; ++k) {
            QElapsedTimer t;
            const double nCPU = MsCPU();
            t.start();
            const TResultatTrt r = AppliqueTrt(Travail, Cas[i].nCode, Cas[i].cParam);
            v.push_back(t.nsecsElapsed() / 1e6);
            vCPU.push_back(MsCPU() - nCPU);
            if (!r) {
                std::fprintf(stderr, "trt %d: %s\n", Cas[i].nCode, qPrintable(r.cRaison));
                return 1;
            }
        }
        Nos[i] = Mediane(v);
        // The first run of a turn takes fresh memory from the system; later ones reuse it.
        std::printf("# trt_%d first run %.1f ms, median CPU time %.1f ms\n", Cas[i].nCode, v[0], Mediane(vCPU));
        std::printf("BENCH trt_%d %.1f ms\n", Cas[i].nCode, Nos[i]);
        std::fflush(stdout);
    }

    {
        // As the pane runs it on a picture just decoded: the recipe read from the store, then
        // the turn and one pass for the four colour treatments.
        QTemporaryDir Dossier;
        TBigIniFile iniSetup(Dossier.filePath(QStringLiteral("KX_Setup.ini")));
        iniSetup.lAutoSave = false;
        const QString cCle = QStringLiteral("/photos/IMG_0001.jpg");
        iniSetup.WriteString(cSectionNoirEtBlanc, cCle, QStringLiteral("{ 30: 60: 10}"));
        iniSetup.WriteString(cSectionContrasteLuminosite, cCle, QStringLiteral("{  40:  40:  40:  20:  20:  20}"));
        iniSetup.WriteString(cSectionNegatif, cCle, QStringLiteral("O"));
        iniSetup.WriteString(cSectionCanaux, cCle, QStringLiteral("{D=0:A=1:I=3}"));
        const TEnrParametres P;
        std::vector<double> v, vCPU;
        for (int k = 0; k < nEssais; ++k) {
            QImage Travail = Source.copy();
            QElapsedTimer t;
            const double nCPU = MsCPU();
            t.start();
            const TResultatTrt r = AppliqueTrtsImage(Travail, iniSetup, P, cCle, QStringLiteral("6"));
            v.push_back(t.nsecsElapsed() / 1e6);
            vCPU.push_back(MsCPU() - nCPU);
            if (!r || Travail.size() != QSize(nHauteur, nLargeur)) {
                std::fprintf(stderr, "chain: %s\n", qPrintable(r.cRaison));
                return 1;
            }
        }
        std::printf("# trts_chain_24mp median CPU time %.1f ms\n", Mediane(vCPU));
        std::printf("BENCH trts_chain_24mp %.1f ms\n", Mediane(v));
        std::fflush(stdout);
    }

    QString cConvert = qEnvironmentVariable("VIMBREL_CONVERT");
    if (cConvert.isEmpty())
        cConvert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    if (cConvert.isEmpty()) {
        std::printf("# convert not found: no comparison\n");
        return 0;
    }
    QTemporaryDir Temp;
    const QString cPpm = Temp.filePath("photo.ppm"), cMpc = Temp.filePath("photo.mpc");
    if (!Source.save(cPpm) || LanceConvert(cConvert, {cPpm, cMpc}) < 0) {
        std::printf("# could not prepare the .mpc file: no comparison\n");
        return 0;
    }
    const double nBase = MedianeConvert(cConvert, {cMpc, "null:"});
    std::printf("# convert reading the .mpc to null: %.1f ms\n", nBase);
    for (size_t i = 0; i < Cas.size(); ++i) {
        const double nTotal = MedianeConvert(cConvert, QStringList{cMpc} + Cas[i].Magick + QStringList{"null:"});
        if (nTotal < 0)
            continue;
        const double nMagick = std::max(0.0, nTotal - nBase);
        std::printf("# convert trt_%d %.1f ms\n", Cas[i].nCode, nMagick);
        std::printf("BENCH trt_%d_vs_imagemagick %.2f x\n", Cas[i].nCode, nMagick / std::max(Nos[i], 0.001));
        std::fflush(stdout);
    }
    return 0;
}
