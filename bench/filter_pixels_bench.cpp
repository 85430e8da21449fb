// Times listings of a folder of 24 MP photographs (hard links to a few photo-like JPEGs) under
// a colour filter, a stretched pattern filter and a zone pattern filter (method 5, mirrored),
// all judged on the cached 160-pixel thumbnails the bench puts in the cache beforehand; the
// bytes read per image during the colour listing; and, per image, the same judgements made by
// ImageMagick: the colour share through "convert -colorspace HSL -fx" and "%[fx:mean]", the
// pattern through "compare -metric AE -fuzz" against each thumbnail resized to the pattern.
// The peers run once per thumbnail on the first 1,000 of them, in the same run.
//
// Each figure is given in wall time and in processor time (the process's and its children's),
// the second being the one to compare on a loaded machine.
//
// Usage: filter_pixels_bench [images, 10000 by default] [peer runs, 1000 by default]

#include "exploration/ListeImages.h"
#include "filters/Colorimetrie.h"
#include "filters/Filtres.h"
#include "filters/ImageFiltree.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "storage/BigIniFiles.h"
#include "thumbnails/ThumbnailCache.h"

#include "PhotoGeneree.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
double Cpu(int nQui)
{
    rusage r{};
    ::getrusage(nQui, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Bytes this process read through read() and its kin, from /proc/self/io.
qint64 OctetsLus()
{
    QFile f(QStringLiteral("/proc/self/io"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &l : f.readAll().split('\n'))
        if (l.startsWith("rchar:"))
            return l.mid(6).trimmed().toLongLong();
    return -1;
}

struct TMesure
{
    double nMur = 0;
    double nCpu = 0;
};

void Ecrit(const QString &cChemin, const QByteArray &b)
{
    QDir().mkpath(QFileInfo(cChemin).absolutePath());
    QFile f(cChemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(cChemin));
        std::exit(1);
    }
}

// Runs a peer command through the shell; its processor time is counted with the children's.
bool Lance(const QString &cCommande, QByteArray *pSortie = nullptr)
{
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), cCommande});
    if (!p.waitForFinished(60000))
        return false;
    if (pSortie)
        *pSortie = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit;
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int nImages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
    const int nPairs = std::min(nImages, argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000);
    QTemporaryDir Temp;
    const QString cPhotos = Temp.path() + "/photos/";
    const QString cSources = Temp.path() + "/sources/";
    const QString cVignettes = Temp.path() + "/Vignettes/";
    const QString cMotifs = Temp.path() + "/Motifs/";
    for (const QString &c : {cPhotos, cSources, cVignettes, cMotifs})
        QDir().mkpath(c);

    // A few 24 MP photographs, their 160-pixel thumbnails made as the cache makes them.
    constexpr int nSources = 4;
    QByteArray Vignettes[nSources];
    for (int i = 0; i < nSources; ++i) {
        const QString c = cSources + QString("photo%1.jpg").arg(i);
        QImage Image = Photo(6000, 4000, static_cast<quint32>(i + 1));
        if (i % 2 == 1)
            Image = Image.mirrored(true, false);
        // One of them a warm evening light, for the colour filter to find.
        if (i == 2)
            for (int y = 0; y < Image.height(); ++y) {
                auto *p = reinterpret_cast<QRgb *>(Image.scanLine(y));
                for (int x = 0; x < Image.width(); ++x)
                    p[x] = qRgb(qRed(p[x]), qGreen(p[x]) / 2, qBlue(p[x]) / 4);
            }
        if (!JpegCodec::Encode(Image, c))
            return 1;
        const QImage Reduite = JpegCodec::Decode(c, 8);
        Vignettes[i] = JpegCodec::EncodeMemoire(AjusteVignette(Reduite, 6000, 4000, 160), 90);
        if (i == 0)
            Ecrit(cMotifs + "motif.jpg", Vignettes[i]);
    }
    for (int i = 0; i < nImages; ++i) {
        const QString cNom = QString("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        const QString cSource = cSources + QString("photo%1.jpg").arg(i % nSources);
        if (::link(QFile::encodeName(cSource).constData(), QFile::encodeName(cPhotos + cNom).constData()) != 0) {
            std::fprintf(stderr, "cannot link %s\n", qPrintable(cNom));
            return 1;
        }
        Ecrit(NomVignette(cVignettes, 0, cPhotos + cNom), Vignettes[i % nSources]);
    }

    TBigIniFile iniSetup(Temp.path() + "/KX_Setup.ini"), iniBDD(Temp.path() + "/KX_BDD.ini", true);
    iniSetup.lAutoSave = false;
    iniBDD.lAutoSave = false;
    TContexteListe Ctx;
    Ctx.iniSetup = &iniSetup;
    Ctx.iniBDD = &iniBDD;
    Ctx.cDossierVignettes = cVignettes;
    TModeleListeImages Modele;

    TEnrFiltres Enr;
    TEtatFiltre Etat;
    TContexteFiltre CtxF;
    CtxF.iniSetup = &iniSetup;
    CtxF.iniBDD = &iniBDD;
    CtxF.lExploration = true;
    CtxF.cDossierVignettes = cVignettes;
    CtxF.cDossierMotifs = cMotifs;
    CtxF.iniSetupVignettes = &iniSetup;
    CtxF.fnAttention = [](const QString &c) { std::fprintf(stderr, "%s\n", qPrintable(c)); };
    // As the exploration page does it: a long filter counts its candidates first, and the
    // counting pass hands them to the work ahead.
    Ctx.Filtre = [&](TCandidatFiltre &c) { return ImageFiltree(Etat, c); };
    Ctx.lFiltreLong = true;
    Ctx.CandidatCompte = [&](qint32 nNumCD, const QString &c) { AnnonceCandidat(Etat, nNumCD, c); };

    int nAdmises = 0;
    auto Liste = [&](bool lMotif) {
        CalculeIndicateurs(Enr, lMotif);
        if (!Enr.lActif || PrepareFiltre(Etat, Enr, CtxF)) {
            std::fprintf(stderr, "filter not prepared\n");
            std::exit(1);
        }
        TDemandeListe Dem;
        Dem.cDossier = cPhotos;
        TMesure m;
        const double c0 = Cpu(RUSAGE_SELF);
        QElapsedTimer t;
        t.start();
        nAdmises = ConstruitListe(Modele, Ctx, Dem);
        LibereFiltre(Etat);
        m.nMur = t.nsecsElapsed() / 1e9;
        m.nCpu = Cpu(RUSAGE_SELF) - c0;
        return m;
    };
    auto Affiche = [&](const char *cNom, const TMesure &m) {
        std::printf("BENCH %s %.4f s\n", cNom, m.nMur);
        std::printf("BENCH %s_cpu %.4f s\n", cNom, m.nCpu);
        std::fflush(stdout);
    };
    const QString cSuffixe = nImages == 10000 ? QString() : QString("_n%1").arg(nImages);
    const auto Nom = [&](const char *c) { return (QString(c) + cSuffixe).toUtf8(); };

    // Colour: the commonest hues of the warm thumbnail, tolerance 16, threshold 30.
    int nTeinte = 0;
    {
        const QImage v = JpegCodec::DecodeMemoire(Vignettes[2]);
        std::vector<int> Nombre(240, 0);
        for (int y = 0; y < v.height(); ++y)
            for (int x = 0; x < v.width(); ++x)
                ++Nombre[static_cast<size_t>(VersTSL(v.pixel(x, y)).H)];
        // The hue whose band of ±16 holds most pixels.
        int nMax = -1;
        for (int h = 0; h < 240; ++h) {
            int n = 0;
            for (int k = -16; k <= 16; ++k)
                n += Nombre[static_cast<size_t>((h + k + 240) % 240)];
            if (n > nMax) {
                nMax = n;
                nTeinte = h;
            }
        }
    }
    Enr = TEnrFiltres();
    Enr.nMethColorimetrie = 4;
    Enr.nTeinte = static_cast<quint8>(nTeinte);
    Enr.nTolColorimetrie = 16;
    Enr.nSeuilColorimetrie = 30;
    Liste(false); // the file cache warmed
    const qint64 nLusAvant = OctetsLus();
    const TMesure Couleur = Liste(false);
    const qint64 nLus = OctetsLus() - nLusAvant;
    const int nAdmisesCouleur = nAdmises;
    Affiche(Nom("colour_filter_10000").constData(), Couleur);
    std::printf("BENCH filter_read_per_image %.1f KB\n", nLus / 1024.0 / nImages);

    // The pattern: the first photograph's thumbnail, stretched, then its central zone looked
    // for by method 5 with its mirror.
    Enr = TEnrFiltres();
    Enr.cMotif = "motif.jpg";
    Enr.nMethPixMotif = 7;
    Enr.nTolMotif = 32;
    Enr.nSeuilMotif = 75;
    const TMesure Motif = Liste(true);
    const int nAdmisesMotif = nAdmises;
    Affiche(Nom("pattern_filter_10000").constData(), Motif);
    Enr.lMotifZone = true;
    Enr.rZoneMotif = QRect(QPoint(40, 27), QPoint(119, 79));
    Enr.nMethZoneMotif = 5;
    Enr.lMotifSym = true;
    const TMesure Zone = Liste(true);
    Affiche(Nom("pattern_zone_filter_10000").constData(), Zone);
    std::fprintf(stderr, "admitted: colour %d (hue %d), pattern %d, zone %d of %d; peers on %d\n", nAdmisesCouleur,
                 nTeinte, nAdmisesMotif, nAdmises, nImages, nPairs);

    // The peers, once per thumbnail, on the first 1,000.
    const QString cConvert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    const QString cCompare = QStandardPaths::findExecutable(QStringLiteral("compare"));
    if (cConvert.isEmpty() || cCompare.isEmpty()) {
        std::fprintf(stderr, "ImageMagick not found: no peer figures\n");
        return 0;
    }
    TMesure Pair;
    double c0 = Cpu(RUSAGE_CHILDREN);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < nPairs; ++i) {
        const QString v = NomVignette(cVignettes, 0, cPhotos + QString("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
        // The same hue, tolerance 16, on saturated pixels.
        const QString c = QString("'%1' '%2' -colorspace HSL -fx 'd=abs(r*240-%3); (g>0)*((d<=16)||(240-d<=16))' "
                                  "-format '%[fx:mean]' info:")
                              .arg(cConvert, v)
                              .arg(nTeinte);
        QByteArray s;
        if (!Lance(c, &s)) {
            std::fprintf(stderr, "convert failed\n");
            return 1;
        }
    }
    Pair.nMur = t.nsecsElapsed() / 1e9 / nPairs;
    Pair.nCpu = (Cpu(RUSAGE_CHILDREN) - c0) / nPairs;
    std::printf("BENCH colour_filter_vs_imagemagick %.1f x\n", Pair.nMur / (Couleur.nMur / nImages));
    std::printf("BENCH colour_filter_vs_imagemagick_cpu %.1f x\n", Pair.nCpu / (Couleur.nCpu / nImages));
    std::fflush(stdout);

    c0 = Cpu(RUSAGE_CHILDREN);
    t.start();
    const QImage m = JpegCodec::Decode(cMotifs + "motif.jpg");
    for (int i = 0; i < nPairs; ++i) {
        const QString v = NomVignette(cVignettes, 0, cPhotos + QString("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
        const QString c = QString("'%1' '%2' -resize %3x%4! miff:- | '%5' -metric AE -fuzz 13% '%6' - null: 2>&1")
                              .arg(cConvert, v)
                              .arg(m.width())
                              .arg(m.height())
                              .arg(cCompare, cMotifs + "motif.jpg");
        if (!Lance(c)) {
            std::fprintf(stderr, "compare failed\n");
            return 1;
        }
    }
    Pair.nMur = t.nsecsElapsed() / 1e9 / nPairs;
    Pair.nCpu = (Cpu(RUSAGE_CHILDREN) - c0) / nPairs;
    std::printf("BENCH pattern_filter_vs_compare %.1f x\n", Pair.nMur / (Motif.nMur / nImages));
    std::printf("BENCH pattern_filter_vs_compare_cpu %.1f x\n", Pair.nCpu / (Motif.nCpu / nImages));
    return 0;
}
