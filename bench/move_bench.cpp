// The move of the data folder and the version migrations over store_bench's catalogue of
// 100,000 images with their thumbnails (one folder for the images of folders, 40 for CDs).
// Prints "BENCH <name> <value> <unit>" lines:
//   datamove_100000         duplicating the data folder (each source read once and
//                           fingerprinted, one flush of the volume, every copy read back from
//                           the disk and checked, configuration switched)
//   datamove_100000_vs_cp   the time of `cp -a`, `sync`, `diff -r` over the same folder, same
//                           run, divided by ours (above 1: ours is faster)
//   migrate_100000          version 1.10 data of the earlier platform through every step
// with the processor time (user + system) of this process beside each, and of the peer's
// commands beside theirs ("_cpu"), since the machine may be busy.

#include "CatalogueGenere.h"

#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/DeplacementDonnees.h"
#include "storage/Migrations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <random>

#include <sys/resource.h>

namespace
{
constexpr int NbImages = 100000;
using Horloge = std::chrono::steady_clock;

double Secondes(Horloge::time_point t0)
{
    return std::chrono::duration<double>(Horloge::now() - t0).count();
}

double SecondesCpu()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The processor time of the finished child processes (the peer's commands).
double SecondesCpuEnfants()
{
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) * 1e-6;
}

void Bench(const char *cNom, double dValeur, const char *cUnite)
{
    std::printf("BENCH %s %.6g %s\n", cNom, dValeur, cUnite);
    std::fflush(stdout);
}

// A thumbnail's bytes: a JPEG start and a few kilobytes that differ from image to image.
std::string Vignette(std::mt19937 &Alea)
{
    std::string s = "\xFF\xD8\xFF\xE0";
    s.resize(2500 + Alea() % 3000);
    for (size_t i = 4; i < s.size(); i += 4)
        s[i] = char(Alea());
    return s;
}

QString Encode(QString c)
{
    return c.replace(QLatin1Char(':'), QLatin1Char('#')).replace(QLatin1Char('/'), QLatin1Char('^'));
}

// The data folder: both stores and a thumbnail per image. lAncien writes it as version 1.10
// of the earlier platform did: CD keys with a drive letter and "\", thumbnails named alike.
void Ecrit(const TCatalogue &c, const QString &cDossier, bool lAncien, std::mt19937 &Alea)
{
    QDir().mkpath(cDossier + "Vignettes");
    QDir().mkpath(cDossier + "Motifs");
    std::ofstream Bdd((cDossier + "KX_BDD.ini").toStdString(), std::ios::binary);
    std::ofstream Setup((cDossier + "KX_Setup.ini").toStdString(), std::ios::binary);
    Setup << "[GENERAL]\r\nkcVersion=" << (lAncien ? "v 1.10" : "v 1.44") << "\r\nnIndTailleVigs=3\r\n";
    std::string Legendes = "[LEGENDES]\r\n";
    for (size_t i = 0; i < c.Images.size(); ++i) {
        QString cCle = c.Images[i];
        const TEnrLST e = DecomposeCle(cCle);
        QString cVignette;
        if (e.nVolume != 0) {
            const QString cSousDossier = QStringLiteral("Vignettes/%1-cd/").arg(i % 40);
            QDir().mkpath(cDossier + cSousDossier);
            if (lAncien) {
                cCle = QStringLiteral("<%1>E:%2").arg(e.nVolume).arg(QString(e.cChemin).replace('/', '\\'));
                cVignette = cSousDossier + "E#" + Encode(e.cChemin) + ".JPG";
            } else {
                cVignette = cSousDossier + Encode(e.cChemin) + ".JPG";
            }
        } else {
            cVignette = "Vignettes/" + Encode(cCle) + ".JPG";
        }
        Bdd << '[' << cCle.toStdString() << "]\r\n";
        for (const QString &p : c.Criteres[i])
            Bdd << p.toStdString() << "=\r\n";
        if (i % 10 == 0)
            Legendes += cCle.toStdString() + "=" + CatalogueGenere::Phrases[i % 10] + "\r\n";
        std::ofstream(QString(cDossier + cVignette).toStdString(), std::ios::binary) << Vignette(Alea);
    }
    Setup << Legendes;
    std::ofstream((cDossier + "Motifs/motif.bmp").toStdString(), std::ios::binary) << Vignette(Alea);
}

int Systeme(const QString &c)
{
    return std::system(c.toLocal8Bit().constData());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication Application(argc, argv);
    QTemporaryDir Temp(QDir::currentPath() + "/move_bench-XXXXXX");
    std::mt19937 Alea(40);
    const TCatalogue c = GenereCatalogue(Alea, NbImages);

    // ---- The move ----
    TEmplacementsConfig E;
    E.cFichierUtilisateur = Temp.filePath("conf/u/Vimbrel.conf");
    E.cFichierMachine = Temp.filePath("conf/m/Vimbrel.conf");
    E.cDossierDefaut = Temp.filePath("defaut/");
    TDossiers D;
    D.cDossierDonnees = Temp.filePath("donnees/");
    D.cDossierProgramme = Temp.filePath("programme/");
    Ecrit(c, D.cDossierDonnees, false, Alea);
    EcritDossierDonneesConfig(E.cFichierUtilisateur, D.cDossierDonnees);
    // Warmed: the source is read once, as a running program would have it cached.
    Systeme(QStringLiteral("sync; cat '%1'KX_* > /dev/null; find '%1' -type f -exec cat {} + > /dev/null")
                .arg(D.cDossierDonnees));

    const TVerificationDestination v =
        VerifieDestination(E, D, Temp.filePath("copie"), TSystemeDonnees::MultiUtilisateurs, 0);
    QString cErreur;
    if (!v.lAccepte || !PlanifieDeplacement(E, D, v, TSystemeDonnees::MultiUtilisateurs, 0, cErreur)) {
        std::fprintf(stderr, "move_bench : %s\n", qPrintable(v.cRefus + cErreur));
        return 1;
    }
    // The program's own copy: the seams left empty.
    TOutilsDeplacement O;
    O.lVerrouAncienDetenu = true;
    double dCpu = SecondesCpu();
    auto t0 = Horloge::now();
    const TResultatDeplacement r = ExecuteDeplacement(E, O);
    const double dNous = Secondes(t0);
    dCpu = SecondesCpu() - dCpu;
    if (r.Issue != TIssueDeplacement::Fait) {
        std::fprintf(stderr, "move_bench : %s\n", qPrintable(r.cMessage));
        return 1;
    }
    Bench("datamove_100000", dNous, "s");
    Bench("datamove_100000_cpu", dCpu, "s");

    const double dCpuEnfants = SecondesCpuEnfants();
    t0 = Horloge::now();
    const int nCp = Systeme(QStringLiteral("cp -a '%1' '%2' && sync && diff -r '%1' '%2' > /dev/null")
                                .arg(D.cDossierDonnees, Temp.filePath("cp")));
    const double dCp = Secondes(t0);
    if (nCp != 0)
        std::fprintf(stderr, "move_bench : cp -a; sync; diff -r a échoué (%d)\n", nCp);
    Bench("datamove_100000_cp", dCp, "s");
    Bench("datamove_100000_cp_cpu", SecondesCpuEnfants() - dCpuEnfants, "s");
    Bench("datamove_100000_vs_cp", dNous > 0 ? dCp / dNous : 0.0, "x");
    QDir(Temp.filePath("cp")).removeRecursively();
    QDir(Temp.filePath("copie")).removeRecursively();

    // ---- The migrations ----
    TDossiers A;
    A.cDossierDonnees = Temp.filePath("ancien/");
    A.cDossierVignettes = A.cDossierDonnees + "Vignettes/";
    A.cFichierSetup = A.cDossierDonnees + "KX_Setup.ini";
    A.cFichierBDD = A.cDossierDonnees + "KX_BDD.ini";
    Ecrit(c, A.cDossierDonnees, true, Alea);
    Systeme(QStringLiteral("sync"));
    dCpu = SecondesCpu();
    t0 = Horloge::now();
    {
        TBigIniFile Setup(A.cFichierSetup);
        TBigIniFile Bdd(A.cFichierBDD, true);
        Setup.lAutoSave = Bdd.lAutoSave = false;
        TContexteMigration M{Setup, Bdd, A};
        const auto Ext = [](const QString &n) { return n.section('.', -1).toUpper(); };
        M.fnEstJPEG = [Ext](const QString &n) { return n.contains('.') && (Ext(n) == "JPG" || Ext(n) == "JPEG"); };
        M.fnEstImage = [Ext](const QString &n) {
            const QString e = Ext(n);
            return n.contains('.') && (e == "JPG" || e == "JPEG" || e == "CR2" || e == "NEF" || e == "CRW");
        };
        M.cDossierApplications = Temp.filePath("applications");
        ExecuteMigrations(M, ListeMigrations(), QStringLiteral("v 1.44"));
        if (M.lEchec)
            std::fprintf(stderr, "move_bench : une migration n'a pas pu enregistrer\n");
    }
    Bench("migrate_100000", Secondes(t0), "s");
    Bench("migrate_100000_cpu", SecondesCpu() - dCpu, "s");
    return 0;
}
