#include "storage/BigIniFiles.h"
#include "storage/DataFolder.h"
#include "storage/Migrations.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

struct MigrationsTest : ::testing::Test
{
    QTemporaryDir Temp;
    TDossiers Dossiers;
    QStringList cJournal;

    QList<TMigration> Liste()
    {
        const auto Pas = [this](const QString &cNom) {
            return [this, cNom](TContexteMigration &C, const QString &) {
                cJournal << cNom;
                C.iniSetup.WriteString("JOURNAL", cNom, "");
                C.iniSetup.UpdateFile();
            };
        };
        return {{"v 1.30", Pas("1.30")}, {"v 1.05", Pas("1.05")}, {"v 1.41", Pas("1.41")}};
    }
    // One start of the program: open the stores, migrate, then (maybe) crash.
    int Demarre()
    {
        TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
        TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
        Setup.lAutoSave = BDD.lAutoSave = false;
        TContexteMigration C{Setup, BDD, Dossiers};
        return ExecuteMigrations(C, Liste(), "v 1.44");
        // Leaving without any other save stands for a crash after the splash.
    }
};

} // namespace

TEST_F(MigrationsTest, StepsRunInOrderWhenStoredVersionIsLower)
{
    {
        TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
        Setup.WriteString("GENERAL", "kcVersion", "v 1.20");
    }
    EXPECT_EQ(Demarre(), 2);
    EXPECT_EQ(cJournal, QStringList({"1.30", "1.41"}));
}

TEST_F(MigrationsTest, NeverRunTwiceAfterACrash)
{
    // An empty data folder: an empty version is lower than every step.
    EXPECT_EQ(Demarre(), 3);
    EXPECT_EQ(cJournal, QStringList({"1.30", "1.05", "1.41"}));
    // The version was saved right after the steps although the run never reached its exit.
    TBigIniFile Relu(Temp.filePath("KX_Setup.ini"));
    EXPECT_EQ(Relu.ReadString("GENERAL", "kcVersion", ""), "v 1.44");

    cJournal.clear();
    EXPECT_EQ(Demarre(), 0);
    EXPECT_TRUE(cJournal.isEmpty());
}

TEST_F(MigrationsTest, VersionsCompareAsText)
{
    {
        TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
        Setup.WriteString("GENERAL", "kcVersion", "v 1.30");
    }
    // "v 1.30" is not lower than "v 1.30": only the later step runs.
    EXPECT_EQ(Demarre(), 1);
    EXPECT_EQ(cJournal, QStringList({"1.41"}));
}

TEST_F(MigrationsTest, CurrentDataIsNotRewritten)
{
    {
        TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
        Setup.WriteString("GENERAL", "kcVersion", "v 1.44");
    }
    const QDateTime Avant = QFileInfo(Temp.filePath("KX_Setup.ini")).lastModified();
    TBigIniFile Setup(Temp.filePath("KX_Setup.ini"));
    TBigIniFile BDD(Temp.filePath("KX_BDD.ini"), true);
    Setup.lAutoSave = BDD.lAutoSave = false;
    TContexteMigration C{Setup, BDD, Dossiers};
    // Only the steps that run at any version (and find nothing to do here) run.
    const QList<TMigration> Liste = ListeMigrations();
    const auto nToujours =
        std::count_if(Liste.begin(), Liste.end(), [](const TMigration &m) { return m.cVersion.isEmpty(); });
    EXPECT_EQ(ExecuteMigrations(C, Liste, "v 1.44"), nToujours);
    EXPECT_FALSE(Setup.Modifie());
    EXPECT_EQ(QFileInfo(Temp.filePath("KX_Setup.ini")).lastModified(), Avant);
}
