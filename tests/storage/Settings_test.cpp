#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

struct SettingsTest : ::testing::Test
{
    QTemporaryDir Temp;
    std::unique_ptr<TBigIniFile> Ini;
    void SetUp() override
    {
        ASSERT_TRUE(Temp.isValid());
        Ini = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        Ini->lAutoSave = false;
    }
    void Ecrit(const char *cCle, const QString &cValeur) { Ini->WriteString("GENERAL", cCle, cValeur); }
    TEnrParametres Lit()
    {
        TEnrParametres P;
        P.Lit(*Ini, "/donnees/");
        return P;
    }
};

} // namespace

TEST_F(SettingsTest, EmptyStoreGivesTheDefaults)
{
    const TEnrParametres P = Lit();
    EXPECT_EQ(P.kcVersion, "");
    EXPECT_EQ(P.cRep, "/donnees/");
    EXPECT_EQ(P.cRepSvgVig, "/donnees/");
    EXPECT_EQ(P.nEtatFen_Main, 2);
    EXPECT_EQ(P.nWidth_Main, 800);
    EXPECT_EQ(P.nHeight_Main, 600);
    EXPECT_EQ(P.pnCommandes_Width, 297);
    EXPECT_EQ(P.pcExplRech_Height, 361);
    EXPECT_EQ(P.pnVigs_Align, 0);
    EXPECT_EQ(P.pnVigs_LargHaut, 160 + 42);
    EXPECT_EQ(P.lvImgs_ViewStyle, 3);
    EXPECT_EQ(P.cOrdreCol, "eRTD");
    EXPECT_EQ(P.nRapZoom, 6);
    EXPECT_EQ(P.nVigCoulFond, 29);
    EXPECT_EQ(P.nVigCoulPan, 35);
    EXPECT_EQ(P.nVigCoulTxtPan, 30);
    EXPECT_EQ(P.nIndTailleVigs, 5);
    EXPECT_EQ(P.cOrdreTrt, "RMNCTX");
    EXPECT_EQ(P.cOrdreEXIF, "AFVDPIOC");
    EXPECT_EQ(P.cOrdreIPTC, "LMCRO");
    EXPECT_EQ(P.nAffLegMaxCarLig, -40);
    EXPECT_TRUE(P.lModeMAJ);
    EXPECT_FALSE(P.lMsgConfQuitAppli);
    EXPECT_FALSE(P.lTrtDescription);
    EXPECT_EQ(P.vfGene_nMaxLH, 3000);
    EXPECT_EQ(P.nMasqueChoixDon, 134217727);
    EXPECT_EQ(P.cParamNB, "{ 30: 60: 10}");
    EXPECT_EQ(P.cParamCL, "{   0:   0:   0:   0:   0:   0}");
    EXPECT_EQ(P.cParamCanaux, "{D=0:A=0:I=0}");
    EXPECT_EQ(P.nWidth_GDC, 520);
    EXPECT_EQ(P.nHeight_GDC, 328);
}

TEST_F(SettingsTest, OutOfRangeIndexesFallBackToTheirDefaults)
{
    Ecrit("nEtatFen_Main", "3");
    Ecrit("nIndTailleVigs", "10");
    Ecrit("nVigCoulFond", "37");
    Ecrit("nVigCoulPan", "-1");
    Ecrit("nImgPECoulFond", "99999");
    Ecrit("lvImgs.ViewStyle", "4");
    Ecrit("nLVColTri", "6");
    Ecrit("pnVigs.Align", "2");
    Ecrit("vfGene.nQuelleImg", "4");
    Ecrit("nIndLargMaxSvgTtesVig", "7");
    Ecrit("lSauveRapZoom", "1");
    Ecrit("nRapZoom", "12");
    Ecrit("nWidth_Main", "0");
    Ecrit("nHeight_Main", "abc");
    const TEnrParametres P = Lit();
    EXPECT_EQ(P.nEtatFen_Main, 2);
    EXPECT_EQ(P.nIndTailleVigs, 5);
    EXPECT_EQ(P.nVigCoulFond, 29);
    EXPECT_EQ(P.nVigCoulPan, 35);
    EXPECT_EQ(P.nImgPECoulFond, 0);
    EXPECT_EQ(P.lvImgs_ViewStyle, 3);
    EXPECT_EQ(P.nLVColTri, 0);
    EXPECT_EQ(P.pnVigs_Align, 0);
    EXPECT_EQ(P.vfGene_nQuelleImg, 0);
    EXPECT_EQ(P.nIndLargMaxSvgTtesVig, 0);
    EXPECT_EQ(P.nRapZoom, 6);
    EXPECT_EQ(P.nWidth_Main, 800);
    EXPECT_EQ(P.nHeight_Main, 600);
}

TEST_F(SettingsTest, ValuesAtTheEdgesOfTheirRangeAreKept)
{
    Ecrit("nEtatFen_Main", "0");
    Ecrit("nIndTailleVigs", "9");
    Ecrit("nVigCoulFond", "36");
    Ecrit("lvImgs.ViewStyle", "0");
    Ecrit("nLVColTri", "5");
    Ecrit("vfGene.nQuelleImg", "3");
    Ecrit("nIndLargMaxSvgTtesVig", "6");
    Ecrit("lSauveRapZoom", "1");
    Ecrit("nRapZoom", "11");
    const TEnrParametres P = Lit();
    EXPECT_EQ(P.nEtatFen_Main, 0);
    EXPECT_EQ(P.nIndTailleVigs, 9);
    EXPECT_EQ(P.nVigCoulFond, 36);
    EXPECT_EQ(P.lvImgs_ViewStyle, 0);
    EXPECT_EQ(P.nLVColTri, 5);
    EXPECT_EQ(P.vfGene_nQuelleImg, 3);
    EXPECT_EQ(P.nIndLargMaxSvgTtesVig, 6);
    EXPECT_EQ(P.nRapZoom, 11);
    // Largest thumbnails: the pane's default and floor follow the size (300 + 42).
    EXPECT_EQ(P.pnVigs_LargHaut, 342);
}

TEST_F(SettingsTest, ZoomIndexIsReadOnlyWhenKeptFromRunToRun)
{
    Ecrit("nRapZoom", "3");
    EXPECT_EQ(Lit().nRapZoom, 6);
    Ecrit("lSauveRapZoom", "1");
    EXPECT_EQ(Lit().nRapZoom, 3);
}

TEST_F(SettingsTest, PaneSizesNeverBelowTheirMinimum)
{
    Ecrit("pnCommandes.Width", "100");
    Ecrit("nIndTailleVigs", "0"); // 60 pixels
    Ecrit("pnVigs.LargHaut", "50");
    const TEnrParametres P = Lit();
    EXPECT_EQ(P.pnCommandes_Width, 260);
    EXPECT_EQ(P.pnVigs_LargHaut, 60 + 42);
}

TEST_F(SettingsTest, OrderStringsMustBePermutationsWithShownOrHiddenLetters)
{
    EXPECT_TRUE(EstOrdreValide("eRTD", "ERTD"));
    EXPECT_TRUE(EstOrdreValide("dtre", "ERTD"));
    EXPECT_TRUE(EstOrdreValide("XTCNMR", "RMNCTX"));
    EXPECT_FALSE(EstOrdreValide("eRT", "ERTD"));   // a letter missing
    EXPECT_FALSE(EstOrdreValide("eRTDD", "ERTD")); // too long
    EXPECT_FALSE(EstOrdreValide("eRTT", "ERTD"));  // a letter twice
    EXPECT_FALSE(EstOrdreValide("eRtT", "ERTD"));  // the same letter in both cases
    EXPECT_FALSE(EstOrdreValide("eRTX", "ERTD"));  // a foreign letter
    EXPECT_FALSE(EstOrdreValide("", "ERTD"));

    Ecrit("cOrdreCol", "ERTT");
    Ecrit("cOrdreTrt", "rmnctx");
    Ecrit("cOrdreEXIF", "AFVDPIO");
    Ecrit("cOrdreIPTC", "lmcrQ");
    const TEnrParametres P = Lit();
    EXPECT_EQ(P.cOrdreCol, "eRTD");
    EXPECT_EQ(P.cOrdreTrt, "rmnctx");
    EXPECT_EQ(P.cOrdreEXIF, "AFVDPIO"); // the metadata orders may leave letters out
    EXPECT_EQ(P.cOrdreIPTC, "LMCRO");

    // The treatments apply any set of their letters, in the order given.
    Ecrit("cOrdreTrt", "XR");
    EXPECT_EQ(Lit().cOrdreTrt, "XR");
    Ecrit("cOrdreTrt", "XRx");
    EXPECT_EQ(Lit().cOrdreTrt, "RMNCTX");
}

TEST_F(SettingsTest, WrittenRecordReadsBackAndCarriesTheVersion)
{
    TEnrParametres P = Lit();
    P.kcVersion = "v 1.20";
    P.cRep = "/photos/[2004] Rome/";
    P.nEtatFen_Main = 0;
    P.nLeft_Main = 12;
    P.nTop_Main = 34;
    P.nWidth_Main = 1024;
    P.nHeight_Main = 700;
    P.lModeMAJ = false;
    P.cOrdreCol = "ERtd";
    P.nIndTailleVigs = 2;
    P.pnVigs_LargHaut = 300;
    P.lSauveRapZoom = true;
    P.nRapZoom = 9;
    P.Ecrit(*Ini, {});
    ASSERT_TRUE(Ini->UpdateFile());

    TBigIniFile Relu(Temp.filePath("KX_Setup.ini"));
    EXPECT_EQ(Relu.ReadString("GENERAL", "kcVersion", ""), "v 1.44");
    TEnrParametres Q;
    Q.Lit(Relu, "/ailleurs/");
    EXPECT_EQ(Q.cRep, "/photos/[2004] Rome/");
    EXPECT_EQ(Q.nEtatFen_Main, 0);
    EXPECT_EQ(Q.nLeft_Main, 12);
    EXPECT_EQ(Q.nTop_Main, 34);
    EXPECT_EQ(Q.nWidth_Main, 1024);
    EXPECT_EQ(Q.nHeight_Main, 700);
    EXPECT_FALSE(Q.lModeMAJ);
    EXPECT_EQ(Q.cOrdreCol, "ERtd");
    EXPECT_EQ(Q.nIndTailleVigs, 2);
    EXPECT_EQ(Q.pnVigs_LargHaut, 300);
    EXPECT_EQ(Q.nRapZoom, 9);
    EXPECT_EQ(Relu.ReadString("GENERAL", "lModeMAJ", ""), "0");
    EXPECT_EQ(Relu.ReadString("GENERAL", "lOrientationAuto", ""), "1");
}

TEST_F(SettingsTest, TheVersionStaysAfterFailedMigrationsOrWhenALaterOneWroteIt)
{
    // Migrations that could not save: the old version, or its absence, stays for the next
    // start to run them again.
    for (const QString &cStockee : {QString("v 1.20"), QString()}) {
        Ini = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        Ini->lAutoSave = false;
        Ini->EraseSection("GENERAL");
        if (!cStockee.isEmpty())
            Ecrit("kcVersion", cStockee);
        TEnrParametres::TEtatSortie Etat;
        Etat.lMigrationsFaites = false;
        Lit().Ecrit(*Ini, Etat);
        EXPECT_EQ(Ini->ReadString("GENERAL", "kcVersion", "<absente>"), cStockee.isEmpty() ? "<absente>" : cStockee);
        EXPECT_TRUE(Ini->ValueExists("GENERAL", "cRep"));
    }
    // Data a later version wrote keep its number.
    Ecrit("kcVersion", "v 9.00");
    Lit().Ecrit(*Ini, {});
    EXPECT_EQ(Ini->ReadString("GENERAL", "kcVersion", ""), "v 9.00");
}

TEST_F(SettingsTest, CollapsedPanesKeepTheirStoredWidths)
{
    Ecrit("pnCommandes.Width", "400");
    Ecrit("pnVigs.LargHaut", "250");
    TEnrParametres P = Lit();
    P.pnCommandes_Width = 9;
    P.pnVigs_LargHaut = 9;
    TEnrParametres::TEtatSortie Etat;
    Etat.lCommandesDeplie = false;
    Etat.lVigsDeplie = false;
    P.Ecrit(*Ini, Etat);
    EXPECT_EQ(Ini->ReadInteger("GENERAL", "pnCommandes.Width", 0), 400);
    EXPECT_EQ(Ini->ReadInteger("GENERAL", "pnVigs.LargHaut", 0), 250);
    // The extraction window saves its own mask; the exit write leaves it alone.
    EXPECT_FALSE(Ini->ValueExists("GENERAL", "nMasqueChoixDon"));
    // Without lSauveRapZoom the zoom index is not written.
    EXPECT_FALSE(Ini->ValueExists("GENERAL", "nRapZoom"));
}

TEST_F(SettingsTest, FolderHistoryKeepsItsFirstTenInOrder)
{
    QStringList cDossiers;
    for (int i = 1; i <= 14; ++i)
        cDossiers << QStringLiteral("/photos/dossier %1/").arg(i);
    EcritHistoriqueRepertoires(*Ini, cDossiers);
    ASSERT_TRUE(Ini->UpdateFile());

    TBigIniFile Relu(Temp.filePath("KX_Setup.ini"));
    QStringList cCles;
    Relu.ReadSection("HISTORIQUE REPERTOIRES", cCles);
    EXPECT_EQ(cCles, cDossiers.mid(0, 10));
    EXPECT_EQ(LitHistoriqueRepertoires(Relu), cDossiers.mid(0, 10));
    EXPECT_EQ(Relu.ReadString("HISTORIQUE REPERTOIRES", "/photos/dossier 1/", "absent"), "");

    // A shorter history replaces the longer one wholly.
    EcritHistoriqueRepertoires(*Ini, {"/a/", "/b/"});
    EXPECT_EQ(LitHistoriqueRepertoires(*Ini), QStringList({"/a/", "/b/"}));
}

namespace
{

QByteArray LitOctets(const QString &cFichier)
{
    QFile F(cFichier);
    return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray();
}

void EcritOctets(const QString &cFichier, const QByteArray &Octets)
{
    QFile F(cFichier);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(F.write(Octets), Octets.size());
}

} // namespace

// The exit write of a new store: every key, in this order, in this form. Other versions of the
// program read the file, so neither the order nor a value's spelling may drift.
TEST_F(SettingsTest, ExitWriteOfANewStoreGivesTheKnownText)
{
    TEnrParametres P = Lit();
    P.cRep = "/photos/[2004] Rome/";
    P.nLeft_Main = -8;
    P.pnCommandes_Width = 120; // written at its floor
    P.lSauveRapZoom = true;
    P.nRapZoom = 9;
    P.nVigCoulFond = 3;
    P.lHintAffIPTC = true;
    P.lModeMAJ = false;
    P.cParamCanaux = "{D=5:A=-3:I=1}";
    P.nMasqueChoixDon = 7;
    P.Ecrit(*Ini, {});
    ASSERT_TRUE(Ini->UpdateFile());

    const QByteArray Attendu = "[GENERAL]\r\n"
                               "kcVersion=v 1.44\r\n"
                               "cRep=/photos/[2004] Rome/\r\n"
                               "cRepSvgVig=/donnees/\r\n"
                               "pnCommandes.Width=260\r\n"
                               "pcExplRech.Height=361\r\n"
                               "pnVigs.Align=0\r\n"
                               "pnVigs.LargHaut=202\r\n"
                               "lvImgs.ViewStyle=3\r\n"
                               "nEtatFen_Main=2\r\n"
                               "nLeft_Main=-8\r\n"
                               "nTop_Main=0\r\n"
                               "nWidth_Main=800\r\n"
                               "nHeight_Main=600\r\n"
                               "nLVColTri=0\r\n"
                               "cOrdreCol=eRTD\r\n"
                               "lConsRapZoom=1\r\n"
                               "lSauveRapZoom=1\r\n"
                               "nRapZoom=9\r\n"
                               "lVigPan3D=1\r\n"
                               "nVigCoulFond=3\r\n"
                               "nVigCoulPan=35\r\n"
                               "nVigCoulTxtPan=30\r\n"
                               "nImgFACoulFond=35\r\n"
                               "nImgPECoulFond=0\r\n"
                               "nIndTailleVigs=5\r\n"
                               "nIndLargMaxSvgTtesVig=0\r\n"
                               "cOrdreTrt=RMNCTX\r\n"
                               "cOrdreEXIF=AFVDPIOC\r\n"
                               "cOrdreIPTC=LMCRO\r\n"
                               "lHintAffTRT=1\r\n"
                               "lHintAffCRIT=1\r\n"
                               "lHintAffAlbImg=1\r\n"
                               "lHintAffAlbWHP=0\r\n"
                               "lHintAffEXIF=1\r\n"
                               "lHintAffIPTC=1\r\n"
                               "lAffHintDsLVImgs=1\r\n"
                               "lAgrandirLVQdSurvol=1\r\n"
                               "lPreRemplCBEXIFApp=1\r\n"
                               "lCoeffFocDansTable=0\r\n"
                               "lOrientationAuto=1\r\n"
                               "lPreRemplCBLeg=1\r\n"
                               "lLegComplSaisie=1\r\n"
                               "nAffLegMaxCarLig=-40\r\n"
                               "lDeplEntArboCritHier=1\r\n"
                               "lTrierArboCritHier=0\r\n"
                               "lDecocheImgAprAffectCrit=1\r\n"
                               "lEtendRechCritEnf=1\r\n"
                               "lLireVigDsTHM=1\r\n"
                               "lTrtTHMDsOpFic=1\r\n"
                               "lTrtWAVDsOpFic=1\r\n"
                               "lTrtDescription=0\r\n"
                               "lModeMAJ=0\r\n"
                               "lMenuCipalVisible=1\r\n"
                               "lTrtApercu=1\r\n"
                               "lMsgConfQuitAppli=0\r\n"
                               "vfGene.lActive=0\r\n"
                               "vfGene.lAussiDepuisCD=0\r\n"
                               "vfGene.nMaxLH=3000\r\n"
                               "vfGene.nQuelleImg=0\r\n"
                               "cParamNB={ 30: 60: 10}\r\n"
                               "cParamCL={   0:   0:   0:   0:   0:   0}\r\n"
                               "lCLSynchroC=0\r\n"
                               "lCLSynchroL=0\r\n"
                               "cParamCanaux={D=5:A=-3:I=1}\r\n"
                               "nLeft_GDC=0\r\n"
                               "nTop_GDC=0\r\n"
                               "nWidth_GDC=520\r\n"
                               "nHeight_GDC=328\r\n"
                               "lcbR_GDC=1\r\n"
                               "lcbV_GDC=1\r\n"
                               "lcbB_GDC=1\r\n";
    EXPECT_EQ(LitOctets(Temp.filePath("KX_Setup.ini")), Attendu);
}

// A file written by an earlier run, keys in its own order, with the extraction mask and a key
// this version does not know: read then written back at exit, it stays byte for byte the same.
TEST_F(SettingsTest, AnEarlierFileReadsAndWritesBackUnchanged)
{
    const QByteArray Ancien = "[HISTORIQUE REPERTOIRES]\r\n"
                              "/photos/2003/=\r\n"
                              "[GENERAL]\r\n"
                              "kcVersion=v 1.44\r\n"
                              "nMasqueChoixDon=4095\r\n"
                              "cRep=/photos/2003/\r\n"
                              "cRepSvgVig=/sauvegardes/\r\n"
                              "nEtatFen_Main=0\r\n"
                              "nLeft_Main=15\r\n"
                              "nTop_Main=-4\r\n"
                              "nWidth_Main=1280\r\n"
                              "nHeight_Main=960\r\n"
                              "pnCommandes.Width=330\r\n"
                              "pcExplRech.Height=250\r\n"
                              "pnVigs.Align=1\r\n"
                              "pnVigs.LargHaut=400\r\n"
                              "lvImgs.ViewStyle=1\r\n"
                              "nLVColTri=4\r\n"
                              "cOrdreCol=DteR\r\n"
                              "lConsRapZoom=0\r\n"
                              "lSauveRapZoom=1\r\n"
                              "nRapZoom=2\r\n"
                              "lVigPan3D=0\r\n"
                              "nVigCoulFond=1\r\n"
                              "nVigCoulPan=2\r\n"
                              "nVigCoulTxtPan=4\r\n"
                              "nImgFACoulFond=5\r\n"
                              "nImgPECoulFond=6\r\n"
                              "nIndTailleVigs=8\r\n"
                              "nIndLargMaxSvgTtesVig=3\r\n"
                              "cOrdreTrt=XTCnmr\r\n"
                              "cOrdreEXIF=FAd\r\n"
                              "cOrdreIPTC=ocrml\r\n"
                              "lHintAffTRT=0\r\n"
                              "lHintAffCRIT=0\r\n"
                              "lHintAffAlbImg=0\r\n"
                              "lHintAffAlbWHP=1\r\n"
                              "lHintAffEXIF=0\r\n"
                              "lHintAffIPTC=1\r\n"
                              "lAffHintDsLVImgs=0\r\n"
                              "lAgrandirLVQdSurvol=0\r\n"
                              "lPreRemplCBEXIFApp=0\r\n"
                              "lCoeffFocDansTable=1\r\n"
                              "lOrientationAuto=0\r\n"
                              "lPreRemplCBLeg=0\r\n"
                              "lLegComplSaisie=0\r\n"
                              "nAffLegMaxCarLig=55\r\n"
                              "lDeplEntArboCritHier=0\r\n"
                              "lTrierArboCritHier=1\r\n"
                              "lDecocheImgAprAffectCrit=0\r\n"
                              "lEtendRechCritEnf=0\r\n"
                              "lLireVigDsTHM=0\r\n"
                              "lTrtTHMDsOpFic=0\r\n"
                              "lTrtWAVDsOpFic=0\r\n"
                              "lTrtDescription=1\r\n"
                              "lModeMAJ=0\r\n"
                              "lMenuCipalVisible=0\r\n"
                              "lTrtApercu=0\r\n"
                              "lMsgConfQuitAppli=1\r\n"
                              "vfGene.lActive=1\r\n"
                              "vfGene.lAussiDepuisCD=1\r\n"
                              "vfGene.nMaxLH=1600\r\n"
                              "vfGene.nQuelleImg=2\r\n"
                              "cParamNB={ 10: 20: 30}\r\n"
                              "cParamCL={  10:  -5:   0:   0:   3:   0}\r\n"
                              "lCLSynchroC=1\r\n"
                              "lCLSynchroL=1\r\n"
                              "cParamCanaux={D=1:A=2:I=3}\r\n"
                              "nLeft_GDC=40\r\n"
                              "nTop_GDC=50\r\n"
                              "nWidth_GDC=600\r\n"
                              "nHeight_GDC=400\r\n"
                              "lcbR_GDC=0\r\n"
                              "lcbV_GDC=1\r\n"
                              "lcbB_GDC=0\r\n"
                              "cCleInconnue=gardee\r\n"
                              "[AUTRE]\r\n"
                              "x=1\r\n";
    const QString cFichier = Temp.filePath("Ancien.ini");
    EcritOctets(cFichier, Ancien);
    TBigIniFile Setup(cFichier);
    Setup.lAutoSave = false;
    TEnrParametres P;
    P.Lit(Setup, "/donnees/");
    EXPECT_EQ(P.nMasqueChoixDon, 4095);
    EXPECT_EQ(P.cOrdreEXIF, "FAd");
    EXPECT_EQ(P.nIndTailleVigs, 8);
    EXPECT_EQ(P.nRapZoom, 2);
    EXPECT_EQ(P.lCLSynchroL, true);
    EXPECT_EQ(P.nLeft_GDC, 40);
    P.Ecrit(Setup, {});
    ASSERT_TRUE(Setup.UpdateFile());
    EXPECT_EQ(LitOctets(cFichier), Ancien);
}
