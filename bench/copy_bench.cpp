// Copying 300 generated 12-megapixel JPEGs (about 1 GB) with their criteria into an empty
// folder of the same disk, every copy written, flushed, read back from the disk and compared
// before it is named. Against it, in the same run, the shell's verified copy of each file:
// `cp --preserve=timestamps`, `sync` of the copy, `dd iflag=nocache count=0` of it (drops its
// cached pages) and `cmp`. The sources are read once first, so that both start warm.
//
// Usage: copy_bench [folder] [count]. The folder (default: the temporary folder) must be on a
// real disk for the flushes to mean anything; the tree made there is removed at the end.

#include "exploration/EnrLV.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "platform/OperationsFichiers.h"
#include "platform/VolumesFactices.h"
#include "publishing/CopieImages.h"
#include "storage/BigIniFiles.h"

#include "PhotoGeneree.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace
{
double TempsProcesseur()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    rusage e{};
    ::getrusage(RUSAGE_CHILDREN, &e);
    auto s = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime) + s(e.ru_utime) + s(e.ru_stime);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    const QString cBase = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const int nImages = argc > 2 ? std::max(1, atoi(argv[2])) : 300;
    QTemporaryDir Tmp(cBase + QStringLiteral("/copy_bench-XXXXXX"));
    if (!Tmp.isValid()) {
        std::fprintf(stderr, "copy_bench: no temporary folder in %s\n", qPrintable(cBase));
        return 1;
    }
    const QString cSources = Tmp.path() + QStringLiteral("/sources/");
    const QString cNous = Tmp.path() + QStringLiteral("/nous/");
    const QString cShell = Tmp.path() + QStringLiteral("/shell/");
    const QString cDonnees = Tmp.path() + QStringLiteral("/donnees/");
    for (const QString &c : {cSources, cNous, cShell, cDonnees + QStringLiteral("Vignettes")})
        QDir().mkpath(c);

    // A few distinct 4000 × 3000 pictures; every file differs from the others by a comment
    // segment naming it, so that no two files are alike.
    constexpr int nDistinctes = 6;
    QList<QByteArray> Jpegs;
    for (int i = 0; i < nDistinctes; ++i)
        Jpegs << JpegCodec::EncodeMemoire(Photo(4000, 3000, 11 + i), 92);
    TBigIniFile iniSetup(cDonnees + QStringLiteral("KX_Setup.ini"));
    TBigIniFile iniBDD(cDonnees + QStringLiteral("KX_BDD.ini"), true);
    iniSetup.lAutoSave = false;
    iniBDD.lAutoSave = false;
    QList<TEnrLV> Images;
    qint64 nOctets = 0;
    for (int i = 0; i < nImages; ++i) {
        const QByteArray &J = Jpegs[i % nDistinctes];
        const QByteArray cCommentaire = QByteArray("image ") + QByteArray::number(i);
        QByteArray Fichier = J.left(2);
        Fichier += char(0xFF);
        Fichier += char(0xFE);
        Fichier += char(((cCommentaire.size() + 2) >> 8) & 0xFF);
        Fichier += char((cCommentaire.size() + 2) & 0xFF);
        Fichier += cCommentaire;
        Fichier += J.mid(2);
        TEnrLV Enr;
        Enr.cChemin = cSources + QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        QFile f(Enr.cChemin);
        if (!f.open(QIODevice::WriteOnly) || f.write(Fichier) != Fichier.size())
            return 1;
        f.close();
        Enr.lExiste = true;
        TailleEtDate(Enr.cChemin, Enr.nTaille, Enr.nDate);
        nOctets += Enr.nTaille;
        iniSetup.WriteString(QStringLiteral("MOTS-CLES"), Enr.cChemin, QStringLiteral("MER PLAGE"));
        iniSetup.WriteString(QStringLiteral("LEGENDES"), Enr.cChemin, QStringLiteral("Légende %1").arg(i));
        iniBDD.WriteString(Enr.cChemin, QStringLiteral("Lieux/France/Bretagne"), {});
        Images << Enr;
    }
    iniSetup.UpdateFile();
    iniBDD.UpdateFile();
    QProcess::execute(QStringLiteral("sync"), {});
    // Warm: every source read once.
    for (const TEnrLV &Enr : std::as_const(Images)) {
        QFile f(Enr.cChemin);
        if (f.open(QIODevice::ReadOnly))
            while (!f.read(1 << 20).isEmpty()) {
            }
    }

    TVolumesFactices Volumes;
    TVolume Racine;
    Racine.cPointMontage = QStringLiteral("/");
    Volumes.Ajoute(Racine);
    TOperationsFichiers Operations(Volumes, Tmp.path() + QStringLiteral("/xdg"));
    TParamsCopie P;
    P.cDossierVignettes = cDonnees + QStringLiteral("Vignettes/");
    TCopieImages Copie(iniSetup, iniBDD, Volumes, Operations, P);

    QElapsedTimer t;
    double nCpu = TempsProcesseur();
    t.start();
    const TBilanCopie Bilan = Copie.CopierImages(Images, cNous);
    const double nNous = double(t.nsecsElapsed()) / 1e9;
    const double nCpuNous = TempsProcesseur() - nCpu;
    if (Bilan.nTraitees != nImages) {
        std::fprintf(stderr, "copy_bench: %d of %d copied\n", Bilan.nTraitees, nImages);
        return 1;
    }

    const QString cScript = QStringLiteral(
        "set -e; for f in \"$1\"*; do d=\"$2$(basename \"$f\")\"; cp --preserve=timestamps \"$f\" \"$d\"; "
        "sync \"$d\"; dd if=\"$d\" iflag=nocache count=0 status=none; cmp \"$f\" \"$d\"; done");
    nCpu = TempsProcesseur();
    t.restart();
    const int nRetour = QProcess::execute(QStringLiteral("sh"),
                                          {QStringLiteral("-c"), cScript, QStringLiteral("sh"), cSources, cShell});
    const double nShell = double(t.nsecsElapsed()) / 1e9;
    const double nCpuShell = TempsProcesseur() - nCpu;
    if (nRetour != 0 || QDir(cShell).entryList(QDir::Files).size() != nImages) {
        std::fprintf(stderr, "copy_bench: the shell's copy failed (%d)\n", nRetour);
        return 1;
    }

    std::printf("BENCH copy_%d_size %.1f MB\n", nImages, double(nOctets) / 1e6);
    std::printf("BENCH copy_%d %.3f s\n", nImages, nNous);
    std::printf("BENCH copy_%d_cpu %.3f s\n", nImages, nCpuNous);
    std::printf("BENCH copy_%d_cp_cmp %.3f s\n", nImages, nShell);
    std::printf("BENCH copy_%d_cp_cmp_cpu %.3f s\n", nImages, nCpuShell);
    std::printf("BENCH copy_%d_vs_cp_cmp %.2f x\n", nImages, nShell / nNous);
    return 0;
}
