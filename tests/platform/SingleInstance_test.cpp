#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(SingleInstance, SecondStartHandsItsFolderToTheFirst)
{
    QTemporaryDir Temp;
    TInstanceUnique Premiere(Temp.path());
    ASSERT_EQ(Premiere.Demarre("/photos/premier"), TInstanceUnique::TResultat::Premiere);
    QSignalSpy Recus(&Premiere, &TInstanceUnique::DossierRecu);

    TInstanceUnique Seconde(Temp.path());
    EXPECT_EQ(Seconde.Demarre("/photos/[2004] Rome/été"), TInstanceUnique::TResultat::Transmis);
    ASSERT_EQ(Recus.size(), 1);
    EXPECT_EQ(Recus.at(0).at(0).toString(), "/photos/[2004] Rome/été");

    // A start without a folder only brings the running one forward.
    TInstanceUnique Troisieme(Temp.path());
    EXPECT_EQ(Troisieme.Demarre(QString()), TInstanceUnique::TResultat::Transmis);
    ASSERT_EQ(Recus.size(), 2);
    EXPECT_EQ(Recus.at(1).at(0).toString(), "");
}

TEST(SingleInstance, LockHolderThatDoesNotAnswerStillStopsTheSecond)
{
    QTemporaryDir Temp;
    TInstanceUnique Premiere(Temp.path());
    ASSERT_EQ(Premiere.Demarre(""), TInstanceUnique::TResultat::Premiere);
    // The socket vanishes (a program stuck before it listens): the second start must not
    // become a second writer of the stores.
    QFile::remove(Premiere.NomSocket());
    TInstanceUnique Seconde(Temp.path());
    QElapsedTimer Chrono;
    Chrono.start();
    EXPECT_EQ(Seconde.Demarre("/x", 300), TInstanceUnique::TResultat::Injoignable);
    EXPECT_LT(Chrono.elapsed(), 5000);
}

TEST(SingleInstance, LockIsFreedWhenTheFirstEnds)
{
    QTemporaryDir Temp;
    {
        TInstanceUnique Premiere(Temp.path());
        ASSERT_EQ(Premiere.Demarre(""), TInstanceUnique::TResultat::Premiere);
    }
    TInstanceUnique Suivante(Temp.path());
    EXPECT_EQ(Suivante.Demarre(""), TInstanceUnique::TResultat::Premiere);
}

// Run as a child process by the test below: a second start from another process.
TEST(SingleInstance, EnfantSecondDemarrage)
{
    const QString cDossier = qEnvironmentVariable("VIMBREL_TEST_INSTANCE_DOSSIER");
    if (cDossier.isEmpty())
        GTEST_SKIP() << "only run as the child of TwoProcesses";
    TInstanceUnique Seconde(cDossier);
    EXPECT_EQ(Seconde.Demarre("/photos/depuis un autre processus"), TInstanceUnique::TResultat::Transmis);
}

TEST(SingleInstance, TwoProcesses)
{
    QTemporaryDir Temp;
    TInstanceUnique Premiere(Temp.path());
    ASSERT_EQ(Premiere.Demarre(""), TInstanceUnique::TResultat::Premiere);
    QSignalSpy Recus(&Premiere, &TInstanceUnique::DossierRecu);

    QProcess Enfant;
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert("VIMBREL_TEST_INSTANCE_DOSSIER", Temp.path());
    Enfant.setProcessEnvironment(Env);
    Enfant.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=SingleInstance.EnfantSecondDemarrage"});
    ASSERT_TRUE(Enfant.waitForStarted());
    // The child's message is served by this process's event loop while it waits.
    QElapsedTimer Chrono;
    Chrono.start();
    while (Enfant.state() != QProcess::NotRunning && Chrono.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        Enfant.waitForFinished(10);
    }
    ASSERT_EQ(Enfant.state(), QProcess::NotRunning);
    EXPECT_EQ(Enfant.exitCode(), 0) << Enfant.readAll().toStdString();
    ASSERT_EQ(Recus.size(), 1);
    EXPECT_EQ(Recus.at(0).at(0).toString(), "/photos/depuis un autre processus");
}
