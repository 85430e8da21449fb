#include "CorpusReference.h"

#include "imaging/ChargeImage.h"
#include "imaging/Imaging.h"
#include "imaging/InfoImage.h"

#include <QDir>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>
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
            rc = 3;  // an exception callers do not expect
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
    ASSERT_GT(Fichiers.size(), 40);
    for (const QFileInfo &fi : Fichiers) {
        const QString c = fi.filePath();
        const std::string cEchec = DansUnFils(
            [&] {
                for (const bool lVignette : {false, true}) {
                    try {
                        const TImageChargee R = ChargeImage(c, lVignette, 160, false);
                        if (R.Image.isNull() || R.Taille.Vide())
                            _exit(4);  // "success" without a picture
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
