// Image pane speed on photograph-like 24 MP JPEGs in a 1280 × 800 pane: from a selection to the
// fitted picture on screen, against `vips thumbnail` making the same size in the same run; the
// switch to "1:1"; the next entry once it was decoded ahead; the peak memory after painting at
// 8:1.

#include "components/PanneauImage.h"
#include "exploration/ChargeurImage.h"
#include "exploration/RapportZoom.h"
#include "imaging/JpegCodec.h"
#include "PhotoGeneree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
const QSize Panneau(1280, 800);
constexpr int nFichiers = 5;

// Made in a child process, so that the full-size pictures built here do not count in the peak
// memory.
bool GenerePhotos(const QStringList &Fichiers)
{
    const pid_t pid = fork();
    if (pid == 0) {
        for (int i = 0; i < Fichiers.size(); ++i)
            if (!JpegCodec::Encode(Photo(6000, 4000, quint32(i)), Fichiers[i], 90))
                _exit(1);
        _exit(0);
    }
    int nEtat = 0;
    waitpid(pid, &nEtat, 0);
    return WIFEXITED(nEtat) && WEXITSTATUS(nEtat) == 0;
}

double Mediane(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Bench(const char *cNom, double v, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, v, cUnite);
    std::fflush(stdout);
}

// Shows the loader's picture in the pane at the zoom and paints it.
void Montre(TPanneauImage &Pane, const TImageDecodee &D, int nZoom)
{
    const QSize Affichee =
        RapportZoom::Affichage(nZoom, D.Taille.nLargeur, D.Taille.nHauteur, Pane.TailleDisponible()).Taille;
    Pane.MetImage(D.Image, Affichee);
    Pane.viewport()->repaint();
}

// Milliseconds from a request to the painted picture.
double Affiche(TChargeurImage &Chargeur, TPanneauImage &Pane, const QString &cFichier, int nZoom,
               const QString &cSuivant = {})
{
    TImageDecodee D;
    bool lRecu = false;
    const auto Connexion = QObject::connect(&Chargeur, &TChargeurImage::Pret, [&](const TImageDecodee &R) {
        if (R.cFichier == cFichier && (R.nEchelle == 1 || nZoom != RapportZoom::nUnUn)) {
            D = R;
            lRecu = true;
        }
    });
    QElapsedTimer t;
    t.start();
    Chargeur.Demande({cFichier, nZoom, Pane.TailleDisponible()}, cSuivant);
    while (!lRecu)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    Montre(Pane, D, nZoom);
    const double ms = t.nsecsElapsed() / 1e6;
    QObject::disconnect(Connexion);
    return ms;
}

void AttendRepos(TChargeurImage &Chargeur)
{
    while (Chargeur.Occupe())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

double RssMaxMo()
{
    struct rusage Usage
    {
    };
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss / 1024.0;
}
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    QTemporaryDir Temp;
    QStringList Fichiers;
    for (int i = 0; i < nFichiers; ++i)
        Fichiers << Temp.filePath(QStringLiteral("photo_%1.jpg").arg(i));
    if (!GenerePhotos(Fichiers)) {
        std::fprintf(stderr, "génération des photos impossible\n");
        return 1;
    }

    TPanneauImage Pane;
    Pane.resize(Panneau);
    Pane.show();
    QCoreApplication::processEvents();

    // Selection to fitted picture, each file new to the loader.
    std::vector<double> Ajuste, UnUn;
    for (const QString &c : Fichiers) {
        TChargeurImage Chargeur;
        Ajuste.push_back(Affiche(Chargeur, Pane, c, RapportZoom::nAjuste));
        UnUn.push_back(Affiche(Chargeur, Pane, c, RapportZoom::nUnUn));
    }
    const double msAjuste = Mediane(Ajuste);
    Bench("viewer_fit_24mp", msAjuste, "ms");

    const QString cVips = QStandardPaths::findExecutable(QStringLiteral("vips"));
    if (!cVips.isEmpty()) {
        std::vector<double> Vips;
        for (const QString &c : Fichiers) {
            QProcess p;
            QElapsedTimer t;
            t.start();
            p.start(cVips,
                    {QStringLiteral("thumbnail"), c, Temp.filePath(QStringLiteral("vips.v")),
                     QString::number(Panneau.width()), QStringLiteral("--height"), QString::number(Panneau.height())});
            if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
                break;
            Vips.push_back(t.nsecsElapsed() / 1e6);
        }
        if (qsizetype(Vips.size()) == Fichiers.size())
            Bench("viewer_fit_vs_vips", Mediane(Vips) / msAjuste, "x");
    } else {
        std::printf("# vips absent\n");
    }
    Bench("viewer_zoom_1to1", Mediane(UnUn), "ms");

    // The next entry, decoded ahead while the current one was looked at.
    {
        TChargeurImage Chargeur;
        std::vector<double> Suivante;
        for (int i = 0; i + 1 < Fichiers.size(); ++i) {
            Affiche(Chargeur, Pane, Fichiers[i], RapportZoom::nAjuste, Fichiers[i + 1]);
            AttendRepos(Chargeur);
            Suivante.push_back(Affiche(Chargeur, Pane, Fichiers[i + 1], RapportZoom::nAjuste));
        }
        Bench("viewer_next", Mediane(Suivante), "ms");
    }

    // 8:1 of the full picture (48,000 × 32,000), scrolled to the middle and painted.
    {
        TChargeurImage Chargeur;
        Affiche(Chargeur, Pane, Fichiers[0], 1);
        Pane.horizontalScrollBar()->setValue(Pane.horizontalScrollBar()->maximum() / 2);
        Pane.verticalScrollBar()->setValue(Pane.verticalScrollBar()->maximum() / 2);
        Pane.viewport()->repaint();
        Bench("viewer_peak_memory", RssMaxMo(), "MB");
    }
    return 0;
}
