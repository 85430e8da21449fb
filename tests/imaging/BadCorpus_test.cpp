#include "CorpusReference.h"

#include "imaging/ChargeImage.h"
#include "imaging/Imaging.h"
#include "imaging/InfoImage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
// Runs Travail in a child process so that a crash or a hang is seen and reported instead of
// taking the whole test program down. Returns an empty text on success.
template <typename F>
std::string DansUnFils(F Travail, int nSecondes)
{
    const pid_t pid = fork();
    if (pid < 0)
        return "fork impossible";
    if (pid == 0) {
        int rc = 0;
        try {
            Travail();
        } catch (const EImageIllisible &) {
        } catch (...) {
            rc = 3; // an exception callers do not expect
        }
        _exit(rc);
    }
    QElapsedTimer t;
    t.start();
    int nEtat = 0;
    while (waitpid(pid, &nEtat, WNOHANG) == 0) {
        if (t.elapsed() > nSecondes * 1000) {
            kill(pid, SIGKILL);
            waitpid(pid, &nEtat, 0);
            return "plus de " + std::to_string(nSecondes) + " s";
        }
        usleep(5000);
    }
    if (WIFSIGNALED(nEtat))
        return "signal " + std::to_string(WTERMSIG(nEtat));
    if (WEXITSTATUS(nEtat) != 0)
        return "code " + std::to_string(WEXITSTATUS(nEtat));
    return {};
}
}

TEST(BadCorpus, EveryFileEndsInAnErrorOrAPicture)
{
    const QFileInfoList Fichiers = QDir(CorpusReference::Dossier() + QStringLiteral("/bad")).entryInfoList(QDir::Files);
    ASSERT_GT(Fichiers.size(), Corpus::Minimum(40, 35));
    for (const QFileInfo &fi : Fichiers) {
        const QString c = fi.filePath();
        const std::string cEchec = DansUnFils(
            [&] {
                for (const bool lVignette : {false, true}) {
                    try {
                        const TImageChargee R = ChargeImage(c, lVignette, 160, false);
                        if (R.Image.isNull() || R.Taille.Vide())
                            _exit(4); // "success" without a picture
                    } catch (const EImageIllisible &) {
                    }
                }
                if (!LigneInfoImage(c).startsWith(c + QLatin1Char('\t')))
                    _exit(5);
            },
            10);
        EXPECT_EQ(cEchec, "") << fi.fileName().toStdString();
    }
}

TEST(BadCorpus, MetadataListingsSurviveHostileFiles)
{
    const QFileInfoList Fichiers = QDir(CorpusReference::Dossier() + QStringLiteral("/bad")).entryInfoList(QDir::Files);
    ASSERT_GT(Fichiers.size(), Corpus::Minimum(40, 35));
    for (const QFileInfo &fi : Fichiers) {
        const QString c = fi.filePath();
        const std::string cEchec = DansUnFils(
            [&] {
                Imaging::ListeEXIF(c);
                Imaging::ListeIPTC(c);
            },
            10);
        EXPECT_EQ(cEchec, "") << fi.fileName().toStdString();
    }
}

TEST(BadCorpus, TruncatedFilesOfEveryKindFailCleanly)
{
    QTemporaryDir d;
    const QString cKinds = CorpusReference::Dossier() + QStringLiteral("/kinds/");
    struct TCas
    {
        const char *cFichier;
        bool lPleine; // also at full size (slow for a raw that develops)
    };
    int nCas = 0;
    for (const TCas &Cas :
         {TCas{"tif/rusttiff_kodim02-lzw.tif", true}, TCas{"tif/ximage_video-001-tile-64x64.tiff", true},
          TCas{"png/ximage_yellow_rose.png", true}, TCas{"png/go_video-001.png", true},
          TCas{"jpeg/mde_Nikon_D70.jpg", true}, TCas{"jpeg/mde_Canon_EOS_D60.jpg", true},
          TCas{"crw/gil_RAW_CANON_D30_SRGB.CRW", false}, TCas{"raf/exiftool_FujiFilm.raf", true}}) {
        QFile Source(cKinds + QLatin1String(Cas.cFichier));
        if (!Source.exists()) {
            std::printf("note: %s is only in the full corpus, not cut here\n", Cas.cFichier);
            continue;
        }
        ++nCas;
        ASSERT_TRUE(Source.open(QIODevice::ReadOnly));
        const QByteArray Tout = Source.readAll();
        for (const int nPourMille : {50, 300, 600, 900, 999}) {
            const QString c =
                d.filePath(QStringLiteral("coupe_%1_").arg(nPourMille) + QFileInfo(Source.fileName()).fileName());
            QFile f(c);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(Tout.left(Tout.size() * nPourMille / 1000));
            f.close();
            const std::string cEchec = DansUnFils(
                [&] {
                    for (const bool lVignette : {false, true}) {
                        if (!lVignette && !Cas.lPleine)
                            continue;
                        try {
                            const TImageChargee R = ChargeImage(c, lVignette, 160, false);
                            if (R.Image.isNull() || R.Taille.Vide())
                                _exit(4);
                        } catch (const EImageIllisible &) {
                        }
                    }
                },
                10);
            EXPECT_EQ(cEchec, "") << Cas.cFichier << " " << nPourMille;
        }
    }
    EXPECT_GE(nCas, 5);
    // The one complete raw cut in half loses the directory kept at its end: refused, at full size too.
    QFile Source(cKinds + QStringLiteral("crw/gil_RAW_CANON_D30_SRGB.CRW"));
    ASSERT_TRUE(Source.open(QIODevice::ReadOnly));
    const QByteArray Tout = Source.readAll();
    const QString c = d.filePath(QStringLiteral("d30_coupe.crw"));
    QFile f(c);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Tout.left(Tout.size() / 2));
    f.close();
    ASSERT_EQ(DansUnFils([&] { ChargeImage(c, false, 0, false); }, 20), "");
    EXPECT_THROW(ChargeImage(c, false, 0, false), EImageIllisible);
}
