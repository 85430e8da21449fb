// The full-screen viewer's pictures: 40 photo-like 24 MP JPEGs shown fitted ("Ajusté") on a
// 1920 × 1080 screen with the EXIF orientation 6 applied, through the viewer's decode-ahead
// worker and a paint of the fitted picture on a screen-sized surface. Figures are processor
// time of the whole process (worker included), since the machine is shared:
//   fullscreen_first       a request with nothing decoded ahead, to painted;
//   fullscreen_next, _prev a step once the neighbours are decoded ahead (median);
//   fullscreen_held        20 steps at 30 per second, from the last one to painted;
//   fullscreen_peak_memory the process's peak resident size;
//   fullscreen_first_vs_vips `vips thumbnail` to 1920 × 1080 for the same files, same run;
//   floating_move          one mouse move of the floating thumbnail over a node of 5,000 files.
// The window itself (Xvfb, key events) is not part of it.

#include "PhotoGeneree.h"
#include "calendar/PleinEcran.h"
#include "calendar/VignetteFlottante.h"
#include "exploration/ChargeurImage.h"
#include "exploration/RapportZoom.h"
#include "imaging/JpegCodec.h"
#include "treatments/TraitementsImage.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <sys/resource.h>
#include <vector>

using namespace PleinEcran;

namespace
{
constexpr int nFichiers = 40;
const QSize Ecran(1920, 1080);

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Bench(const char *cNom, double v, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, v, cUnite);
    std::fflush(stdout);
}

// Waits without spinning for the worker to post a result.
struct TSignal
{
    std::mutex m;
    std::condition_variable c;
    int n = 0;
    void Poste()
    {
        {
            std::lock_guard l(m);
            ++n;
        }
        c.notify_all();
    }
    void Attend(int &nVu)
    {
        std::unique_lock l(m);
        c.wait(l, [&] { return n != nVu; });
        nVu = n;
    }
};

// The picture fitted and painted as the viewer's window paints it.
void Peint(QImage &Surface, const TImagePleinEcran &Image)
{
    const TDisposition d = DisposerImage(Image.Taille, Ecran, true, {});
    QPainter p(&Surface);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(d.Position, d.Taille), Image.Image);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication App(argc, argv);
    QTemporaryDir Temp;
    QStringList Fichiers;
    for (int i = 0; i < nFichiers; ++i) {
        const QString c = Temp.filePath(QStringLiteral("photo_%1.jpg").arg(i));
        if (!JpegCodec::Encode(Photo(6000, 4000, quint32(i + 1)), c, 90)) {
            std::fprintf(stderr, "génération des photos impossible\n");
            return 1;
        }
        Fichiers << c;
    }

    TRecetteTrts Recette;
    Recette.nOrientation = 6;
    const QList<TTrt> Trts = OperationsTrts(Recette);
    TSignal Signal;
    int nVu = 0;
    TAvanceImages Avance(
        [&](const QString &cFichier) {
            const TImageDecodee d = DecodePour({cFichier, RapportZoom::nAjuste, Ecran.transposed()}, 0);
            TImagePleinEcran r;
            r.lLue = d.Valide();
            r.Image = d.Image;
            r.Taille = QSize(int(d.Taille.nLargeur), int(d.Taille.nHauteur));
            if (r.lLue && AppliqueTrts(r.Image, Trts))
                r.Taille.transpose();
            return r;
        },
        [&] { Signal.Poste(); });
    QImage Surface(Ecran, QImage::Format_RGB32);
    const auto Voisins = [&](int n) {
        return std::make_pair(Fichiers[(n + 1) % nFichiers], Fichiers[(n + nFichiers - 1) % nFichiers]);
    };
    // Shows image n: the milliseconds of processor time from the request to painted.
    const auto Montre = [&](int n) {
        const double t0 = CpuMs();
        const auto [cSuivant, cPrecedent] = Voisins(n);
        std::optional<TImagePleinEcran> Image = Avance.Demande(Fichiers[n], cSuivant, cPrecedent);
        while (!Image) {
            Signal.Attend(nVu);
            Image = Avance.Recoit();
        }
        Peint(Surface, *Image);
        return CpuMs() - t0;
    };
    const auto AttendRepos = [&] {
        while (Avance.Occupe()) {
            QThread::msleep(2);
            Avance.Recoit();
        }
    };

    std::vector<double> Premieres;
    for (int n : {0, 10, 20}) {
        AttendRepos();
        Avance.Demande({}, {}, {});
        Premieres.push_back(Montre(n));
    }
    const double msPremiere = Mediane(Premieres);
    Bench("fullscreen_first", msPremiere, "ms");

    std::vector<double> Suivantes, Precedentes;
    int n = 20;
    for (int i = 0; i < 12; ++i) {
        AttendRepos();
        n = (n + 1) % nFichiers;
        Suivantes.push_back(Montre(n));
    }
    for (int i = 0; i < 12; ++i) {
        AttendRepos();
        n = (n + nFichiers - 1) % nFichiers;
        Precedentes.push_back(Montre(n));
    }
    Bench("fullscreen_next", Mediane(Suivantes), "ms");
    Bench("fullscreen_prev", Mediane(Precedentes), "ms");

    // Held key: a request every 33 ms, the pictures that arrive meanwhile painted.
    AttendRepos();
    for (int i = 0; i < 19; ++i) {
        n = (n + 1) % nFichiers;
        const auto [cSuivant, cPrecedent] = Voisins(n);
        if (const auto Image = Avance.Demande(Fichiers[n], cSuivant, cPrecedent))
            Peint(Surface, *Image);
        QThread::msleep(33);
    }
    Bench("fullscreen_held", Montre((n + 1) % nFichiers), "ms");

    struct rusage Usage
    {
    };
    getrusage(RUSAGE_SELF, &Usage);
    Bench("fullscreen_peak_memory", Usage.ru_maxrss / 1024.0, "MB");

    const QString cVips = QStandardPaths::findExecutable(QStringLiteral("vips"));
    if (!cVips.isEmpty()) {
        std::vector<double> Vips;
        for (int i : {0, 10, 20}) {
            QProcess p;
            struct rusage Avant
            {
            };
            getrusage(RUSAGE_CHILDREN, &Avant);
            p.start(cVips,
                    {QStringLiteral("thumbnail"), Fichiers[i], Temp.filePath(QStringLiteral("vips.v")),
                     QString::number(Ecran.width()), QStringLiteral("--height"), QString::number(Ecran.height())});
            if (!p.waitForFinished(600000) || p.exitCode() != 0)
                break;
            struct rusage Apres
            {
            };
            getrusage(RUSAGE_CHILDREN, &Apres);
            const auto Ms = [](const rusage &u) {
                return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
            };
            Vips.push_back(Ms(Apres) - Ms(Avant));
        }
        if (Vips.size() == 3)
            Bench("fullscreen_first_vs_vips", Mediane(Vips) / msPremiere, "x");
    } else {
        std::printf("# vips absent\n");
    }

    // The floating thumbnail: a node of 5,000 images listed once, then one choice per move.
    QList<TEnrVF> Liste;
    for (int i = 0; i < 5000; ++i)
        Liste.append({QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("/x/%1").arg(i)});
    VignetteFlottante::Trie(Liste);
    TEnrVigFlot R;
    R.cNoeud = QStringLiteral("n");
    int nTotal = 0;
    const int nMouvements = 100000;
    const double t0 = CpuMs();
    for (int i = 0; i < nMouvements; ++i) {
        const VignetteFlottante::TChoix c =
            VignetteFlottante::Choisit(3, Liste, R, R.cNoeud, true, 40 + i % 200, 40, 240, {});
        R.cFichier = Liste[c.nPosition].cFichier;
        nTotal += c.nPosition;
    }
    Bench("floating_move", (CpuMs() - t0) * 1e3 / nMouvements, "us");
    return nTotal < 0 ? 1 : 0;
}
