#include "treatments/ParamsTrt.h"

#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
TDerniersParamsTrt Exemple()
{
    return TDerniersParamsTrt{"{100:  0:  5}", "{  40:   0:   0:   0:   0: -10}", true, false, "{I=3:D=1:A=0}"};
}
} // namespace

TEST(ParamsTrt, ValidatedValuesGoIntoTheRecordAndTheSavedStore)
{
    QTemporaryDir Temp;
    const QString cFichier = Temp.filePath("KX_Setup.ini");
    TBigIniFile Ini(cFichier);
    Ini.lAutoSave = false;
    TEnrParametres P;
    EXPECT_EQ(DerniersParamsTrt(P).cParamNB, "{ 30: 60: 10}");
    ASSERT_TRUE(EnregistreDerniersParamsTrt(Exemple(), P, Ini));
    EXPECT_EQ(P.cParamNB, "{100:  0:  5}");
    EXPECT_EQ(P.cParamCL, "{  40:   0:   0:   0:   0: -10}");
    EXPECT_TRUE(P.lCLSynchroC);
    EXPECT_FALSE(P.lCLSynchroL);
    EXPECT_EQ(P.cParamCanaux, "{I=3:D=1:A=0}");
    EXPECT_FALSE(Ini.Modifie());

    // Read back from the file as the next start-up would.
    TBigIniFile Relu(cFichier);
    TEnrParametres Q;
    Q.Lit(Relu, Temp.path());
    const TDerniersParamsTrt d = DerniersParamsTrt(Q);
    EXPECT_EQ(d.cParamNB, "{100:  0:  5}");
    EXPECT_EQ(d.cParamCL, "{  40:   0:   0:   0:   0: -10}");
    EXPECT_TRUE(d.lCLSynchroC);
    EXPECT_FALSE(d.lCLSynchroL);
    EXPECT_EQ(d.cParamCanaux, "{I=3:D=1:A=0}");
}

TEST(ParamsTrt, AFailedSaveKeepsTheValuesForTheNextSave)
{
    QTemporaryDir Temp;
    const QString cDossier = Temp.filePath("pas-encore");
    TBigIniFile Ini(cDossier + "/KX_Setup.ini");
    Ini.lAutoSave = false;
    TEnrParametres P;
    EXPECT_FALSE(EnregistreDerniersParamsTrt(Exemple(), P, Ini));
    EXPECT_EQ(P.cParamCanaux, "{I=3:D=1:A=0}");
    EXPECT_TRUE(Ini.Modifie());
    ASSERT_TRUE(QDir().mkpath(cDossier));
    ASSERT_TRUE(Ini.UpdateFile());
    TBigIniFile Relu(cDossier + "/KX_Setup.ini");
    EXPECT_EQ(Relu.ReadString("GENERAL", "cParamNB", {}), "{100:  0:  5}");
}
