// Lists a folder of 300 generated 12-megapixel JPEGs twice from an empty thumbnail folder:
// first with one decoding thread, then with one per core into another empty folder, then a
// second time from that filled cache. Prints the first listing's rate, its ratio to the
// one-thread rate, and how much faster the second listing is. Then lists from the filled cache
// with the grid's decoded panels, plain and with every image turned by its EXIF orientation 6,
// "G", black and white, contrast and channels, and prints plain time / treated time.
//
// Usage: cache_bench [images folder]   (generated once into /tmp when not given)

#include "exploration/ListeImages.h"
#include "exploration/ModeleListe.h"
#include "imaging/JpegCodec.h"
#include "thumbnails/ThumbnailCache.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"
#include "storage/Settings.h"
#include "treatments/TraitementsImage.h"

#include <algorithm>
#include <functional>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

#include <sys/resource.h>

namespace
{
constexpr int nImages = 300;
constexpr int nLargeur = 4000;
constexpr int nHauteur = 3000;

QString Genere(const QString &cDossier)
{
    QDir().mkpath(cDossier);
    const QStringList Deja = QDir(cDossier).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    if (Deja.size() == nImages)
        return cDossier;
    std::fprintf(stderr, "generating %d images of %dx%d in %s\n", nImages, nLargeur, nHauteur, qPrintable(cDossier));
    QImage im(nLargeur, nHauteur, QImage::Format_RGB32);
    for (int n = 0; n < nImages; ++n) {
        // Smooth gradients with a texture, so that files weigh what camera files weigh.
        for (int y = 0; y < nHauteur; ++y) {
            QRgb *l = reinterpret_cast<QRgb *>(im.scanLine(y));
            for (int x = 0; x < nLargeur; ++x) {
                const int t = ((x * 7 + y * 13 + n * 101) ^ (x * y >> 6)) & 31;
                l[x] = qRgb((x / 16 + n * 3 + t) & 255, (y / 12 + t) & 255, ((x + y) / 28 + n) & 255);
            }
        }
        const QString c = cDossier + QStringLiteral("/IMG_%1.jpg").arg(n, 4, 10, QLatin1Char('0'));
        if (!JpegCodec::Encode(im, c)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(c));
            std::exit(1);
        }
    }
    return cDossier;
}

double SecondesCPU(int nQui = RUSAGE_SELF)
{
    rusage r{};
    getrusage(nQui, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

struct TMesure
{
    double nSecondes = 0;
    double nCPU = 0;
    double nCPUPrincipal = 0; // the user-interface thread's share: the part no pool can spread
    int nLignes = 0;
    int nFaites = 0;
};

// The panels a grid of 160-pixel thumbnails decodes around a first screen of 6 × 4: that
// screen, and one more below it.
constexpr int nPanneauxDecodes = 48;

// What runs after the listing, timed with it.
using TApres = std::function<void(const TModeleListeImages &Modele, const TBigIniFile &iniSetup)>;

// One listing as the main window runs it: the folder walk, then the thumbnails in row order.
TMesure Liste(const QString &cDossier, const QString &cVignettes, int nFils, const TApres &Apres = {})
{
    TBigIniFile iniSetup(cVignettes + QStringLiteral("../KX_Setup.ini"));
    iniSetup.lAutoSave = false;
    TBigIniFile iniBDD(cVignettes + QStringLiteral("../KX_BDD.ini"), true);
    iniBDD.lAutoSave = false;
    TModeleListeImages Modele;
    TContexteListe Ctx;
    Ctx.iniSetup = &iniSetup;
    Ctx.iniBDD = &iniBDD;
    Ctx.cDossierVignettes = cVignettes;
    TDemandeListe Demande;
    Demande.cDossier = cDossier + QLatin1Char('/');

    TParamsVignettes Params;
    Params.cDossierVignettes = cVignettes;
    Params.nD = 160;

    QElapsedTimer t;
    t.start();
    TMesure m;
    const double nCPU0 = SecondesCPU();
    const double nPrincipal0 = SecondesCPU(RUSAGE_THREAD);
    m.nLignes = ConstruitListe(Modele, Ctx, Demande);
    TPiloteVignettes Pilote;
    Pilote.nFils = nFils;
    Pilote.Prepare = [&](int i) {
        const TEnrLV &e = Modele.Enr(i);
        TImageVignette v;
        v.nNumCD = e.nNumCD;
        v.cLecteur = e.cLecteur;
        v.cChemin = e.cChemin;
        v.lExiste = e.lExiste;
        return PrepareVignette(iniSetup, Params, v);
    };
    Pilote.Applique = [&](int i, const TTravailVignette &tr, TResultatVignette &r) {
        EcritDonneesVignette(iniSetup, tr, r, {});
        Modele.MetResolution(i, r.Resolution.nLargeur, r.Resolution.nHauteur);
        Modele.MetVignette(i, r.Vignette);
        if (r.lEcrite)
            ++m.nFaites;
    };
    ChargeVignettesEnOrdre(m.nLignes, Pilote);
    if (Apres)
        Apres(Modele, iniSetup);
    iniSetup.UpdateFile();
    m.nSecondes = t.nsecsElapsed() / 1e9;
    m.nCPU = SecondesCPU() - nCPU0;
    m.nCPUPrincipal = SecondesCPU(RUSAGE_THREAD) - nPrincipal0;
    return m;
}
double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The grid's first decoded panels, with their treatments or without.
TApres Panneaux(bool lTraites)
{
    return [lTraites](const TModeleListeImages &Modele, const TBigIniFile &iniSetup) {
        TEnrParametres P;
        if (lTraites && Modele.Nombre() > 0 && LitRecetteTrts(iniSetup, P, Modele.Enr(0).Cle(), {}).cCanaux.isEmpty()) {
            std::fprintf(stderr, "the treatments were not found under the listed keys\n");
            std::exit(1);
        }
        for (int i = 0; i < std::min(nPanneauxDecodes, Modele.Nombre()); ++i) {
            QImage Image = Modele.Vignette(i).Decode();
            if (lTraites && !AppliqueTrtsImage(Image, iniSetup, P, Modele.Enr(i).Cle(), QStringLiteral("6")))
                std::exit(1);
        }
    };
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString cImages = Genere(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                            : QDir::tempPath() + QStringLiteral("/vimbrel-cache-bench-images"));
    QTemporaryDir Temp;
    const QString cUn = Temp.path() + QStringLiteral("/un/Vignettes/");
    const QString cTous = Temp.path() + QStringLiteral("/tous/Vignettes/");
    QDir().mkpath(cUn);
    QDir().mkpath(cTous);

    // Read every image once so that both runs find them in the page cache: otherwise the first
    // run measured would also pay the disk and flatter the parallel one.
    for (const QFileInfo &Fichier : QDir(cImages).entryInfoList(QDir::Files)) {
        QFile f(Fichier.filePath());
        if (f.open(QIODevice::ReadOnly))
            while (!f.read(1 << 20).isEmpty()) {
            }
    }
    const TMesure Un = Liste(cImages, cUn, 1);
    const TMesure Premier = Liste(cImages, cTous, 0);
    const TMesure Second = Liste(cImages, cTous, 0);
    if (Un.nLignes != nImages || Premier.nFaites != nImages || Second.nFaites != 0) {
        std::fprintf(stderr, "unexpected counts: %d rows, %d then %d thumbnails made\n", Premier.nLignes,
                     Premier.nFaites, Second.nFaites);
        return 1;
    }
    // The processor time beside the wall time shows how much of the machine the run had.
    std::fprintf(stderr,
                 "threads %d; one thread %.2f s (cpu %.2f s), first %.2f s (cpu %.2f s, of which the main thread "
                 "%.2f s), second %.3f s\n",
                 QThread::idealThreadCount(), Un.nSecondes, Un.nCPU, Premier.nSecondes, Premier.nCPU,
                 Premier.nCPUPrincipal, Second.nSecondes);
    std::printf("BENCH first_listing %.1f img/s\n", Premier.nLignes / Premier.nSecondes);
    std::printf("BENCH parallel_vs_1thread %.2f x\n", Un.nSecondes / Premier.nSecondes);
    std::printf("BENCH second_vs_first %.1f x\n", Premier.nSecondes / Second.nSecondes);
    std::fflush(stdout);

    // The same cached listing, plain and treated in turn, so that both see the same machine.
    {
        TBigIniFile iniSetup(cTous + QStringLiteral("../KX_Setup.ini"));
        for (const QFileInfo &Fichier : QDir(cImages).entryInfoList(QDir::Files)) {
            const QString cCle = Fichier.absoluteFilePath();
            iniSetup.WriteString(cSectionRotations, cCle, QStringLiteral("G"));
            iniSetup.WriteString(cSectionNoirEtBlanc, cCle, QStringLiteral("{ 30: 60: 10}"));
            iniSetup.WriteString(cSectionContrasteLuminosite, cCle, QStringLiteral("{  40:  40:  40:  20:  20:  20}"));
            iniSetup.WriteString(cSectionCanaux, cCle, QStringLiteral("{D=0:A=1:I=3}"));
        }
        iniSetup.UpdateFile();
    }
    std::vector<double> Plain, Traite, CPUPlain, CPUTraite;
    for (int k = 0; k < 7; ++k) {
        const TMesure p = Liste(cImages, cTous, 0, Panneaux(false));
        const TMesure t = Liste(cImages, cTous, 0, Panneaux(true));
        Plain.push_back(p.nSecondes);
        Traite.push_back(t.nSecondes);
        CPUPlain.push_back(p.nCPU);
        CPUTraite.push_back(t.nCPU);
    }
    std::fprintf(stderr,
                 "cached listing with %d decoded panels: plain %.3f s (cpu %.3f s), treated %.3f s (cpu %.3f s)\n",
                 nPanneauxDecodes, Mediane(Plain), Mediane(CPUPlain), Mediane(Traite), Mediane(CPUTraite));
    std::printf("BENCH cached_treated_vs_plain %.2f x\n", Mediane(Plain) / Mediane(Traite));
    return 0;
}
