// Thumbnail making speed: 160-pixel thumbnails of a folder of JPEGs (the corpus JPEGs plus
// generated 12 MP and 24 MP photograph-like pictures), with one thread and with every core,
// against vipsthumbnail and ImageMagick's convert -thumbnail on the same files in the same run.

#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "PhotoGeneree.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr int kD = 160;

// Generated in a child process, so that the full-size pictures built here do not count in
// the peak memory of the thumbnail runs.
bool GenerePhotos(const QString &cDossier, int nParTaille)
{
    const pid_t pid = fork();
    if (pid == 0) {
        int k = 0;
        for (const QSize t : {QSize(4000, 3000), QSize(6000, 4000)})
            for (int i = 0; i < nParTaille; ++i, ++k) {
                const QString c =
                    QStringLiteral("%1/gen_%2mp_%3.jpg").arg(cDossier).arg(t.width() * t.height() / 1000000).arg(i);
                if (!JpegCodec::Encode(Photo(t.width(), t.height(), quint32(k)), c, 90))
                    _exit(1);
            }
        _exit(0);
    }
    int nEtat = 0;
    waitpid(pid, &nEtat, 0);
    return WIFEXITED(nEtat) && WEXITSTATUS(nEtat) == 0;
}

// Our thumbnail path, as the thumbnail cache runs it: load at the JPEG reduction, fit into
// D × D, encode at quality 90 and write the file.
bool Vignette(const QString &cSource, const QString &cSortie)
{
    try {
        const TImageChargee R = ChargeImage(cSource, true, kD, false);
        const QImage v = R.Image.scaled(kD, kD, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return JpegCodec::Encode(v, cSortie, 90);
    } catch (const EImageIllisible &) {
        return false;
    }
}

double Nous(const QStringList &Fichiers, const QString &cSortie, int nFils, int &nEchecs)
{
    std::atomic<int> nSuivant{0}, nRates{0};
    QElapsedTimer t;
    t.start();
    std::vector<std::thread> Fils;
    for (int f = 0; f < nFils; ++f)
        Fils.emplace_back([&] {
            for (int i = nSuivant++; i < Fichiers.size(); i = nSuivant++) {
                const QString cNom = QFileInfo(Fichiers[i]).completeBaseName();
                if (!Vignette(Fichiers[i], cSortie + QLatin1Char('/') + cNom + QStringLiteral(".jpg")))
                    ++nRates;
            }
        });
    for (auto &f : Fils)
        f.join();
    nEchecs = nRates;
    return t.nsecsElapsed() / 1e9;
}

QString Programme(const QStringList &Noms)
{
    for (const QString &c : Noms) {
        if (QFileInfo(c).isAbsolute() && QFileInfo(c).isExecutable())
            return c;
        const QString p = QStandardPaths::findExecutable(c);
        if (!p.isEmpty())
            return p;
    }
    return {};
}

// Seconds for a peer, or a negative value when it is missing or failed.
double Vips(const QString &cProgramme, const QStringList &Fichiers, const QString &cSortie)
{
    QProcess p;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QStringLiteral("VIPS_CONCURRENCY"), QStringLiteral("1"));
    p.setProcessEnvironment(Env);
    QStringList Args = Fichiers;
    Args << QStringLiteral("--size") << QString::number(kD) << QStringLiteral("-o")
         << cSortie + QStringLiteral("/%s.jpg[Q=90]");
    QElapsedTimer t;
    t.start();
    p.start(cProgramme, Args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    return t.nsecsElapsed() / 1e9;
}

double ImageMagick(const QString &cProgramme, const QStringList &Fichiers, const QString &cSortie)
{
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QStringLiteral("MAGICK_THREAD_LIMIT"), QStringLiteral("1"));
    QElapsedTimer t;
    t.start();
    for (const QString &c : Fichiers) {
        QProcess p;
        p.setProcessEnvironment(Env);
        p.start(cProgramme, {c, QStringLiteral("-thumbnail"), QStringLiteral("%1x%1").arg(kD),
                             QStringLiteral("-quality"), QStringLiteral("90"),
                             cSortie + QLatin1Char('/') + QFileInfo(c).completeBaseName() + QStringLiteral(".jpg")});
        if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit)
            return -1;
    }
    return t.nsecsElapsed() / 1e9;
}

double RssActuelleMo()
{
    std::FILE *f = std::fopen("/proc/self/statm", "r");
    long nTaille = 0, nResidente = 0;
    if (f) {
        if (std::fscanf(f, "%ld %ld", &nTaille, &nResidente) != 2)
            nResidente = 0;
        std::fclose(f);
    }
    return nResidente * double(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

void Bench(const char *cNom, double v, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, v, cUnite);
}
}

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    const int nParTaille = argc > 1 ? qMax(1, atoi(argv[1])) : 4;
    QTemporaryDir Dossier;
    const QString cSources = Dossier.filePath(QStringLiteral("sources"));
    QDir().mkpath(cSources);
    const QDir Corpus(QStringLiteral(VIMBREL_CORPUS_DIR "/kinds/jpeg"));
    for (const QFileInfo &fi : Corpus.entryInfoList({"*.jpg", "*.jpeg", "*.JPG"}, QDir::Files))
        QFile::copy(fi.filePath(), cSources + QLatin1Char('/') + fi.fileName());
    if (!GenerePhotos(cSources, nParTaille)) {
        std::fprintf(stderr, "génération impossible\n");
        return 1;
    }
    QStringList Fichiers;
    QStringList Grands;
    for (const QFileInfo &fi : QDir(cSources).entryInfoList(QDir::Files, QDir::Name)) {
        Fichiers << fi.filePath();
        if (fi.fileName().startsWith(QLatin1String("gen_")))
            Grands << fi.filePath();
    }
    const auto Sortie = [&](const char *c) {
        const QString s = Dossier.filePath(QString::fromLatin1(c));
        QDir(s).removeRecursively();
        QDir().mkpath(s);
        return s;
    };
    std::printf("# %lld fichiers JPEG dont %lld générés (12 et 24 Mpixels), vignettes de %d pixels\n",
                (long long)Fichiers.size(), (long long)Grands.size(), kD);

    const double nBaseMo = RssActuelleMo();
    // One untimed pass so that every tool reads the files from the page cache.
    int nEchecs = 0;
    Nous(Fichiers, Sortie("chauffe"), 2, nEchecs);

    const double t1 = Nous(Fichiers, Sortie("un"), 1, nEchecs);
    if (nEchecs)
        std::printf("# %d fichier(s) illisible(s)\n", nEchecs);
    const int nCoeurs = int(qMax(1u, std::thread::hardware_concurrency()));
    const double tN = Nous(Fichiers, Sortie("tous"), nCoeurs, nEchecs);
    const double tGrands = Nous(Grands, Sortie("grands"), 1, nEchecs);
    struct rusage Usage
    {
    };
    getrusage(RUSAGE_SELF, &Usage);
    const double nPicMo = Usage.ru_maxrss / 1024.0;

    const double n = Fichiers.size();
    Bench("thumbs_1thread", n / t1, "img/s");
    Bench("thumbs_allcores", n / tN, "img/s");
    std::printf("# %d cœur(s)\n", nCoeurs);
    Bench("thumbs_1thread_large", Grands.size() / tGrands, "img/s");

    const QString cVips = Programme({QStringLiteral("vipsthumbnail")});
    // The real convert, not a wrapper placed earlier in the PATH.
    const QString cConvert = Programme(
        {QStringLiteral("/usr/bin/convert-im6.q16"), QStringLiteral("/usr/bin/convert"), QStringLiteral("convert")});
    if (!cVips.isEmpty()) {
        Vips(cVips, Fichiers, Sortie("vips_chauffe"));
        const double tV = Vips(cVips, Fichiers, Sortie("vips"));
        if (tV > 0) {
            Bench("thumbs_vips_1thread", n / tV, "img/s");
            Bench("thumbs_1thread_vs_vips", tV / t1, "x");
        }
        const double tVG = Vips(cVips, Grands, Sortie("vips_grands"));
        if (tVG > 0)
            Bench("thumbs_1thread_large_vs_vips", tVG / tGrands, "x");
    } else {
        std::printf("# vipsthumbnail absent\n");
    }
    if (!cConvert.isEmpty()) {
        const double tM = ImageMagick(cConvert, Fichiers, Sortie("magick"));
        if (tM > 0) {
            Bench("thumbs_imagemagick_1thread", n / tM, "img/s");
            Bench("thumbs_1thread_vs_imagemagick", tM / t1, "x");
        }
    } else {
        std::printf("# convert absent\n");
    }
    Bench("thumbs_peak_rss", nPicMo, "MB");
    // Above the program's own footprint (libraries, Qt), divided among the threads that ran.
    Bench("thumbs_peak_rss_per_thread", (nPicMo - nBaseMo) / nCoeurs, "MB");
    Bench("thumbs_full_24mp_picture", 6000.0 * 4000 * 4 / 1048576, "MB");
    return 0;
}
