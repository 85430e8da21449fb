// Web album of a folder hierarchy: 500 generated photo-like 3000 × 2000 JPEGs in 10 folders,
// content "Vignettes et liens vers Images", 5 columns, images reduced to 800 pixels, an empty
// thumbnail cache, the files read once beforehand. Then, on the same files, lazygal making a
// 160-pixel thumbnail and an 800-pixel image of each, without the originals. Wall and
// processor times of both (the machine may be shared: the processor time tells the work).
// The pictures are kept in /tmp/vimbrel_album_bench and made again only when missing.

#include "imaging/JpegCodec.h"
#include "platform/VolumesFactices.h"
#include "publishing/GenerationAlbumWEB.h"
#include "storage/BigIniFiles.h"

#include "PhotoGeneree.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace
{
constexpr int nImages = 500;
constexpr int nDossiers = 10;

double Secondes(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

// Processor time of this process (lEnfants: of the children waited for).
double Processeur(bool lEnfants)
{
    rusage r{};
    getrusage(lEnfants ? RUSAGE_CHILDREN : RUSAGE_SELF, &r);
    return Secondes(r.ru_utime) + Secondes(r.ru_stime);
}

void Bench(const char *cNom, double v, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, v, cUnite);
    std::fflush(stdout);
}

QString Source()
{
    const QString cSource = QStringLiteral("/tmp/vimbrel_album_bench/src/");
    for (int i = 0; i < nImages; ++i) {
        const QString c = cSource
                          + QStringLiteral("dossier%1/photo%2.jpg")
                                .arg(i % nDossiers, 2, 10, QLatin1Char('0'))
                                .arg(i, 3, 10, QLatin1Char('0'));
        if (QFile::exists(c))
            continue;
        QDir().mkpath(c.left(c.lastIndexOf(QLatin1Char('/'))));
        if (!JpegCodec::Encode(Photo(3000, 2000, quint32(i)), c, 90)) {
            std::fprintf(stderr, "impossible d'écrire %s\n", qPrintable(c));
            std::exit(1);
        }
    }
    return cSource;
}

void Rechauffe(const QString &cDossier)
{
    const QStringList Fichiers = QDir(cDossier).entryList({QStringLiteral("*.jpg")}, QDir::Files);
    for (const QString &cSous : QDir(cDossier).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        Rechauffe(cDossier + cSous + QLatin1Char('/'));
    for (const QString &f : Fichiers) {
        QFile Fichier(cDossier + f);
        if (Fichier.open(QIODevice::ReadOnly))
            while (!Fichier.read(1 << 20).isEmpty()) {
            }
    }
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication Application(argc, argv);
    const QString cSource = Source();
    Rechauffe(cSource);

    QTemporaryDir Tmp(QStringLiteral("/tmp/vimbrel_album_bench_XXXXXX"));
    const QString cDonnees = Tmp.path() + QStringLiteral("/donnees/");
    const QString cVignettes = cDonnees + QStringLiteral("Vignettes/");
    const QString cAlbum = Tmp.path() + QStringLiteral("/album/");
    QDir().mkpath(cVignettes);
    QDir().mkpath(cAlbum);
    TBigIniFile iniSetup(cDonnees + QStringLiteral("KX_Setup.ini"));
    TBigIniFile iniBDD(cDonnees + QStringLiteral("KX_BDD.ini"), true);
    iniSetup.lAutoSave = false;
    iniBDD.lAutoSave = false;
    TVolumesFactices Volumes;
    TVolume Racine;
    Racine.cPointMontage = QStringLiteral("/");
    Volumes.Ajoute(Racine);

    TParamsAlbumWEB P;
    P.iniSetup = &iniSetup;
    P.iniBDD = &iniBDD;
    P.pVolumes = &Volumes;
    P.cDossierVignettes = cVignettes;
    P.nTailleVignette = 160;
    TOptionsAlbumWEB O;
    O.cAWDossierAlbum = cAlbum;
    O.nAWContAlbum = caVignettesEtLiens;
    O.nAWNbCol = 5;
    O.cAWRedImgTailleMax = QStringLiteral("800");
    const TSourceDonneesAW S{saHierDossiers, nullptr, {}, cSource};

    QElapsedTimer Chrono;
    const double nProcAvant = Processeur(false);
    Chrono.start();
    const TBilanAlbumWEB B = GenererAlbumWEB(S, O, P);
    const double nAlbum = Chrono.nsecsElapsed() / 1e9;
    const double nAlbumProc = Processeur(false) - nProcAvant;
    if (!B.cErreur.isEmpty() || B.nImages != nImages || B.nNonTraitees != 0) {
        std::fprintf(stderr, "album incomplet : %d image(s), %d non traitée(s), %s\n", B.nImages, B.nNonTraitees,
                     qPrintable(B.cErreur));
        return 1;
    }
    Bench("album_500", nAlbum, "s");
    Bench("album_500_cpu", nAlbumProc, "s");

    const QString cLazygal = QStandardPaths::findExecutable(QStringLiteral("lazygal"));
    if (cLazygal.isEmpty()) {
        std::printf("lazygal n'est pas installé : pas de comparaison (scripts/setup l'installe)\n");
        return 0;
    }
    const QString cSortie = Tmp.path() + QStringLiteral("/lazygal/");
    QProcess Lazygal;
    Lazygal.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const double nEnfantsAvant = Processeur(true);
    Chrono.restart();
    Lazygal.start(cLazygal,
                  {QStringLiteral("--quiet"), QStringLiteral("-o"), cSortie, QStringLiteral("-T"),
                   QStringLiteral("160x160"), QStringLiteral("-s"), QStringLiteral("medium=800x800"), cSource});
    if (!Lazygal.waitForFinished(-1) || Lazygal.exitCode() != 0) {
        std::fprintf(stderr, "lazygal a échoué (%d)\n", Lazygal.exitCode());
        return 1;
    }
    const double nLazygal = Chrono.nsecsElapsed() / 1e9;
    const double nLazygalProc = Processeur(true) - nEnfantsAvant;
    Bench("lazygal_500", nLazygal, "s");
    Bench("lazygal_500_cpu", nLazygalProc, "s");
    Bench("album_500_vs_lazygal", nLazygal / nAlbum, "x");
    Bench("album_500_vs_lazygal_cpu", nLazygalProc / nAlbumProc, "x");
    return 0;
}
