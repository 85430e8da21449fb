// The calendar over a catalogue of 100,000 images whose files (empty, with set dates) and cache
// thumbnails exist: the building of the image list, against a plain loop that stats each image
// and its thumbnail in the same run, and the slowest search of the six period kinds.
//
// Usage: calendar_bench [work folder]   (generated once into /tmp when not given)

#include "calendar/Calendrier.h"
#include "imaging/NomVignette.h"
#include "storage/BigIniFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace
{
constexpr int nImages = 100000;
constexpr int nParDossier = 1000;

double SecondesCPU()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

QString CheminImage(const QString &cDossier, int n)
{
    return cDossier
           + QStringLiteral("/photos/%1/IMG_%2.jpg")
                 .arg(n / nParDossier, 3, 10, QLatin1Char('0'))
                 .arg(n, 6, 10, QLatin1Char('0'));
}

// Dates spread over 2005, several images a day, some of the same second.
time_t DateImage(int n)
{
    static const time_t t2005 = time_t(QDateTime(QDate(2005, 1, 1), QTime(0, 0)).toSecsSinceEpoch());
    return t2005 + time_t(qint64(n) * 365 * 86400 / nImages) + (n % 7) * 17;
}

void Touche(const QString &cFichier, time_t t)
{
    const QByteArray c = QFile::encodeName(cFichier);
    const int fd = ::open(c.constData(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "cannot write %s\n", c.constData());
        std::exit(1);
    }
    ::close(fd);
    utimbuf u{t, t};
    ::utime(c.constData(), &u);
}

void Genere(const QString &cDossier, const QString &cVignettes)
{
    if (QFile::exists(cDossier + QStringLiteral("/fait")))
        return;
    std::fprintf(stderr, "generating %d images and thumbnails in %s\n", nImages, qPrintable(cDossier));
    QDir().mkpath(cVignettes);
    for (int d = 0; d < nImages / nParDossier; ++d)
        QDir().mkpath(QFileInfo(CheminImage(cDossier, d * nParDossier)).path());
    for (int n = 0; n < nImages; ++n) {
        const QString c = CheminImage(cDossier, n);
        Touche(c, DateImage(n));
        Touche(NomVignette(cVignettes, 0, c), DateImage(n));
    }
    Touche(cDossier + QStringLiteral("/fait"), std::time(nullptr));
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString cDossier = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/vimbrel_calendar_bench");
    const QString cVignettes = cDossier + QStringLiteral("/vignettes/");
    Genere(cDossier, cVignettes);

    TBigIniFile iniBDD(cDossier + QStringLiteral("/bdd.ini"), true);
    TBigIniFile iniSetup(cDossier + QStringLiteral("/setup.ini"));
    iniBDD.lAutoSave = iniSetup.lAutoSave = false;
    for (int n = 0; n < nImages; ++n)
        iniBDD.WriteString(CheminImage(cDossier, n), QStringLiteral("Lieux/Paris"), QStringLiteral("1"));

    // The floor: the two stats each image needs, names made beforehand.
    std::vector<QByteArray> Noms;
    Noms.reserve(2 * nImages);
    for (int n = 0; n < nImages; ++n) {
        const QString c = CheminImage(cDossier, n);
        Noms.push_back(QFile::encodeName(c));
        Noms.push_back(QFile::encodeName(NomVignette(cVignettes, 0, c)));
    }
    auto Plancher = [&Noms] {
        struct stat s;
        int nTrouves = 0;
        for (const QByteArray &c : Noms)
            nTrouves += ::stat(c.constData(), &s) == 0;
        return nTrouves;
    };
    Plancher(); // the file system's caches warm for both

    // Best of five of each, alternated, since the machine is shared.
    double dOuverture = 1e9, dOuvertureCPU = 1e9, dPlancher = 1e9, dPlancherCPU = 1e9;
    size_t nGardees = 0;
    for (int k = 0; k < 5; ++k) {
        QElapsedTimer t;
        const double c0 = SecondesCPU();
        t.start();
        const std::vector<TEnrImgBDD> Images = ChargerImagesCalendrier(iniBDD, iniSetup, cVignettes);
        dOuverture = std::min(dOuverture, t.nsecsElapsed() / 1e9);
        dOuvertureCPU = std::min(dOuvertureCPU, SecondesCPU() - c0);
        nGardees = Images.size();
        const double c1 = SecondesCPU();
        t.restart();
        if (Plancher() != 2 * nImages)
            std::fprintf(stderr, "missing files\n");
        dPlancher = std::min(dPlancher, t.nsecsElapsed() / 1e9);
        dPlancherCPU = std::min(dPlancherCPU, SecondesCPU() - c1);
    }
    if (nGardees != size_t(nImages))
        std::fprintf(stderr, "only %zu images kept out of %d\n", nGardees, nImages);

    const std::vector<TEnrImgBDD> Images = ChargerImagesCalendrier(iniBDD, iniSetup, cVignettes);
    // Each kind on the period holding the most images; a year holds them all.
    double dRecherche = 0, dRechercheCPU = 0;
    for (int g = 0; g < nNbGenresPeriode; ++g) {
        TPeriode p;
        p.nGenre = TGenrePeriode(g);
        p.dJour = QDate(2005, 6, 15);
        p.nMois = 4;
        p.nAnnee = 2005;
        TCellules Cellules;
        double dMeilleure = 1e9, dMeilleureCPU = 1e9;
        for (int k = 0; k < 5; ++k) {
            QElapsedTimer t;
            const double c0 = SecondesCPU();
            t.start();
            RemplirCellules(Images, false, p, Cellules);
            dMeilleure = std::min(dMeilleure, t.nsecsElapsed() / 1e6);
            dMeilleureCPU = std::min(dMeilleureCPU, (SecondesCPU() - c0) * 1e3);
        }
        std::fprintf(stderr, "search %s: %.2f ms (cpu %.2f ms)\n", qPrintable(NomGenrePeriode(p.nGenre)), dMeilleure,
                     dMeilleureCPU);
        dRecherche = std::max(dRecherche, dMeilleure);
        dRechercheCPU = std::max(dRechercheCPU, dMeilleureCPU);
    }

    std::printf("BENCH calendar_open_100000 %.3f s\n", dOuverture);
    std::printf("BENCH calendar_open_100000_cpu %.3f s\n", dOuvertureCPU);
    std::printf("BENCH calendar_open_floor %.3f s\n", dPlancher);
    std::printf("BENCH calendar_open_vs_floor %.2f x\n", dOuverture / std::max(1e-9, dPlancher));
    std::printf("BENCH calendar_open_vs_floor_cpu %.2f x\n", dOuvertureCPU / std::max(1e-9, dPlancherCPU));
    std::printf("BENCH calendar_search %.2f ms\n", dRecherche);
    std::printf("BENCH calendar_search_cpu %.2f ms\n", dRechercheCPU);
    return 0;
}
