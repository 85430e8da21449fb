// Measures the start-up clean-up (steps 2 to 4) on a catalogue of 100,000 images of local
// paths spread over 50 folders, one image in ten of each folder vanished, with the settings store holding
// four per-image sections. The volumes are the machine's own, read as the program reads them,
// so the figure also shows what the number of mounts costs.
//
// Prints "BENCH <name> <value> <unit>" lines.

#include "platform/Volumes.h"
#include "storage/BigIniFiles.h"
#include "storage/Nettoyage.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>

namespace
{
constexpr int NbImages = 100000;
constexpr int NbDossiers = 50;

using Horloge = std::chrono::steady_clock;

void Bench(const char *cNom, double dValeur, const char *cUnite)
{
    std::printf("BENCH %s %.6g %s\n", cNom, dValeur, cUnite);
    std::fflush(stdout);
}

// Processor time of this process, to tell our cost from a machine busy with other work.
double SecondesCpu()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

QString Image(const QString &cRacine, int i)
{
    return QStringLiteral("%1/%2/IMG_%3.jpg").arg(cRacine).arg(i % NbDossiers).arg(i, 6, 10, QLatin1Char('0'));
}
} // namespace

int main()
{
    QTemporaryDir Temp;
    if (!Temp.isValid())
        return 1;
    const QString cPhotos = Temp.filePath(QStringLiteral("Photos"));
    const QString cVignettes = Temp.filePath(QStringLiteral("Vignettes")) + QLatin1Char('/');
    QDir().mkpath(cVignettes);
    for (int d = 0; d < NbDossiers; ++d)
        QDir().mkpath(QStringLiteral("%1/%2").arg(cPhotos).arg(d));

    {
        TBigIniFile Setup(Temp.filePath(QStringLiteral("KX_Setup.ini")));
        TBigIniFile BDD(Temp.filePath(QStringLiteral("KX_BDD.ini")), true);
        Setup.lAutoSave = BDD.lAutoSave = false;
        for (int i = 0; i < NbImages; ++i) {
            const QString cCle = Image(cPhotos, i);
            if ((i / NbDossiers) % 10 != 0) {
                QFile F(cCle);
                if (!F.open(QIODevice::WriteOnly))
                    return 1;
            }
            BDD.WriteString(cCle, QStringLiteral("Lieux/Italie/Rome"), QString());
            Setup.WriteString(cSectionMotsCles, cCle, QStringLiteral("ROME FORUM"));
            Setup.WriteString(cSectionLegendes, cCle, QStringLiteral("Le forum"));
            Setup.WriteString(cSectionRotations, cCle, QStringLiteral("1"));
            Setup.WriteString(cSectionResolutionsVignettes, cCle, QStringLiteral("196808704"));
        }
        if (!Setup.UpdateFile() || !BDD.UpdateFile())
            return 1;
    }

    TBigIniFile Setup(Temp.filePath(QStringLiteral("KX_Setup.ini")));
    TBigIniFile BDD(Temp.filePath(QStringLiteral("KX_BDD.ini")), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    const std::unique_ptr<IVolumes> Volumes = CreeVolumes({});
    const FnImageDeVignette fnAucune = [](const QString &) { return QString(); };

    const auto t0 = Horloge::now();
    const double dCpu0 = SecondesCpu();
    TTestDisparition Test = PrepareNettoyage(Setup, *Volumes);
    TResultatNettoyage Resultat;
    NettoieParametres(Setup, Test, Resultat);
    NettoieCatalogue(BDD, Test, Resultat);
    NettoieVignettes(cVignettes, fnAucune, Test, Resultat);
    const double dSecondes = std::chrono::duration<double>(Horloge::now() - t0).count();
    const double dCpu = SecondesCpu() - dCpu0;

    if (Resultat.nSectionsCatalogue != NbImages / 10 || !Resultat.cStoresNonSauves.isEmpty()) {
        std::fprintf(stderr, "startup_bench: %d sections removed, %lld saves failed\n", Resultat.nSectionsCatalogue,
                     static_cast<long long>(Resultat.cStoresNonSauves.size()));
        return 1;
    }
    Bench("cleanup_100000", dSecondes, "s");
    Bench("cleanup_100000_cpu", dCpu, "s");
    Bench("cleanup_mounts", static_cast<double>(Test.Volumes().size()), "count");
    return 0;
}
