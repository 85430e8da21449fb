#include "ImpressionQt.h"
#include "classification/ArboCriteres.h"
#include "classification/MigrationArbo.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"
#include "support/MessagesFactices.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
struct MigrationArboTest : ::testing::Test
{
    QTemporaryDir Temp;
    TMessagesFactices Messages;
    std::unique_ptr<TBigIniFile> Setup;

    void SetUp() override { Ouvre("[GENERAL]\r\nkcVersion=v 1.39\r\n"); }
    void Ouvre(const QByteArray &cTexte)
    {
        Ecrit("KX_Setup.ini", cTexte);
        Setup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        Setup->lAutoSave = false;
    }
    void Ecrit(const QString &cNom, const QByteArray &Contenu)
    {
        QFile f(Temp.filePath(cNom));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Contenu);
    }
    TResultatMigrationArbo Migre() { return MigreArboCriteres(*Setup, Temp.path() + '/', Messages); }
    // The section as saved on disk, key by key.
    QStringList SectionSurDisque() const
    {
        TBigIniFile Relu(Temp.filePath("KX_Setup.ini"));
        QStringList l;
        Relu.ReadSectionValues(cSectionCritHier, l);
        return l;
    }
    bool AncienPresent() const { return QFile::exists(Temp.filePath("KX.arb")); }
};
} // namespace

TEST(LitArboAncien, OneLevelPerLeadingTabOrBlank)
{
    const TLectureArboAncien l =
        LitArboAncien("Voyages\r\n\tItalie\r\n\t\tRome\r\n\t Venise\r\n France\r\n\r\nFamille\r\n  \r\n\tEnfants");
    EXPECT_FALSE(l.lErreurNiveau);
    EXPECT_EQ(l.Chemins, QStringList({"Voyages", "Voyages/Italie", "Voyages/Italie/Rome", "Voyages/Italie/Venise",
                                      "Voyages/France", "Famille", "Famille/Enfants"}));
}

TEST(LitArboAncien, ALineTooDeepEndsTheReadingAndKeepsWhatCameBefore)
{
    const TLectureArboAncien l = LitArboAncien("Voyages\n\tItalie\n\t\t\tRome\n\tFrance\n");
    EXPECT_TRUE(l.lErreurNiveau);
    EXPECT_EQ(l.nNiveauErreur, 3);
    EXPECT_EQ(l.cCaptionErreur, "Rome");
    EXPECT_EQ(l.Chemins, QStringList({"Voyages", "Voyages/Italie"}));

    const TLectureArboAncien Premiere = LitArboAncien("  Voyages\nFamille\n");
    EXPECT_TRUE(Premiere.lErreurNiveau);
    EXPECT_EQ(Premiere.nNiveauErreur, 2);
    EXPECT_EQ(Premiere.cCaptionErreur, "Voyages");
    EXPECT_TRUE(Premiere.Chemins.isEmpty());
}

TEST(LitArboAncien, TextOfTheEarlierPlatformIsDecoded)
{
    const TLectureArboAncien l = LitArboAncien("F\xEAtes\n\tNo\xEBl\nCaf\xC3\xA9\n");
    EXPECT_EQ(l.Chemins, QStringList({"Fêtes", "Fêtes/Noël", "Café"}));
}

TEST_F(MigrationArboTest, GoodFileIsWrittenInTreeOrderSavedAndDeleted)
{
    Ecrit("KX.arb", "Voyages\r\n\tItalie\r\n\t\tRome\r\n\tFrance\r\nFamille\r\n");
    const TResultatMigrationArbo r = Migre();
    EXPECT_EQ(r.Issue, TIssueMigrationArbo::Convertie);
    EXPECT_EQ(r.nCheminsLus, 5);
    EXPECT_EQ(SectionSurDisque(),
              QStringList({"Voyages=", "Voyages/Italie=", "Voyages/Italie/Rome=", "Voyages/France=", "Famille="}));
    EXPECT_FALSE(AncienPresent());
    EXPECT_TRUE(Messages.Montres.isEmpty());
}

TEST_F(MigrationArboTest, ALevelErrorKeepsTheNodesReadAndTheFile)
{
    Ecrit("KX.arb", "Voyages\n\tItalie\n\t\t\tRome\n\tFrance\n");
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::ErreurNiveau);
    EXPECT_EQ(SectionSurDisque(), QStringList({"Voyages=", "Voyages/Italie="}));
    EXPECT_TRUE(AncienPresent());
    ASSERT_EQ(Messages.Montres.size(), 2);
    EXPECT_EQ(Messages.Montres[0].cTitre, "Erreur");
    EXPECT_EQ(Messages.Montres[0].cTexte, "Niveau incorrect (3) pour l'élément \"Rome\"");
    EXPECT_EQ(Messages.Montres[1].cTexte, "Le fichier « KX.arb » est conservé.");
}

TEST_F(MigrationArboTest, AnIndentedFirstLineIsALevelError)
{
    Ecrit("KX.arb", "\tVoyages\n");
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::ErreurNiveau);
    EXPECT_TRUE(SectionSurDisque().isEmpty());
    EXPECT_TRUE(AncienPresent());
    EXPECT_EQ(Messages.Textes(),
              QStringList({"Niveau incorrect (1) pour l'élément \"Voyages\"", "Le fichier « KX.arb » est conservé."}));
}

TEST_F(MigrationArboTest, AnUnreadableFileIsKeptAndNothingIsWritten)
{
    // A folder in the file's place cannot be read as a file, whoever runs the test.
    ASSERT_TRUE(QDir(Temp.path()).mkdir("KX.arb"));
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::Illisible);
    EXPECT_FALSE(Setup->Modifie());
    EXPECT_TRUE(SectionSurDisque().isEmpty());
    EXPECT_TRUE(AncienPresent());
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, "Erreur");
    EXPECT_EQ(Messages.Montres[0].cTexte,
              "Impossible de lire l'ancien fichier des critères « KX.arb » ; il est conservé.");
}

TEST_F(MigrationArboTest, RunsOnlyBeforeTheVersionThatKeepsTheTreeInTheSettings)
{
    Ecrit("KX.arb", "Voyages\n");
    Ouvre("[GENERAL]\r\nkcVersion=v 1.40\r\n");
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::SansObjet);
    EXPECT_TRUE(AncienPresent());
    EXPECT_TRUE(SectionSurDisque().isEmpty());

    // Settings without any version come from the oldest versions.
    Ouvre("");
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::Convertie);
    EXPECT_EQ(SectionSurDisque(), QStringList({"Voyages="}));
}

TEST_F(MigrationArboTest, NoOldFileChangesNothing)
{
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::SansObjet);
    EXPECT_FALSE(Setup->Modifie());
    EXPECT_TRUE(Messages.Montres.isEmpty());
}

TEST_F(MigrationArboTest, TheOldNameMatchesWhateverItsCase)
{
    Ecrit("kx.ARB", "Voyages\n");
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::Convertie);
    EXPECT_FALSE(QFile::exists(Temp.filePath("kx.ARB")));
}

TEST_F(MigrationArboTest, APathAlreadyStoredKeepsItsIcon)
{
    Ouvre("[GENERAL]\r\nkcVersion=v 1.30\r\n[CRITERES HIERARCHIQUES]\r\nVoyages=Monde.bmp\r\n");
    Ecrit("KX.arb", "Voyages\n\tItalie\n");
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::Convertie);
    EXPECT_EQ(SectionSurDisque(), QStringList({"Voyages=Monde.bmp", "Voyages/Italie="}));
}

TEST_F(MigrationArboTest, AFailedSaveKeepsTheOldFile)
{
    Ecrit("KX.arb", "Voyages\n");
    // A store whose folder does not exist cannot be saved, whoever runs the test.
    Setup = std::make_unique<TBigIniFile>(Temp.filePath("absent/KX_Setup.ini"));
    Setup->lAutoSave = false;
    Setup->WriteString("GENERAL", "kcVersion", "v 1.39");
    EXPECT_EQ(Migre().Issue, TIssueMigrationArbo::EchecSauvegarde);
    EXPECT_TRUE(AncienPresent());
    // The nodes stay in memory for the next save.
    EXPECT_TRUE(Setup->ValueExists(cSectionCritHier, "Voyages"));
}

TEST_F(MigrationArboTest, TheMigratedSectionLoadsAsTheOldTree)
{
    Ecrit("KX.arb", "Voyages\n\tItalie\n\t\tRome\nFamille\n");
    Migre();
    TEnrParametres Parametres;
    TArboCriteres Arbo;
    Arbo.ChargerArboCritHier(*Setup, Parametres, Temp.filePath("ImgsCH/"));
    QStringList Chemins;
    for (const TNoeudCritere *n : Arbo.Preordre())
        Chemins << CheminCritere(*n);
    EXPECT_EQ(Chemins, QStringList({"Voyages", "Voyages/Italie", "Voyages/Italie/Rome", "Famille"}));
}
