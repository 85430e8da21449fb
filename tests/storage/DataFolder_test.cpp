#include "storage/DataFolder.h"

#include "support/DossierDonneesTemporaire.h"
#include "support/LecturesEnPanne.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

struct DataFolderTest : ::testing::Test, TDossierDonneesTemporaire
{
    DataFolderTest() : TDossierDonneesTemporaire("data/Vimbrel") {}
    void SetUp() override { ASSERT_TRUE(Temp.isValid()); }
    QString Dossier(const QString &cNom)
    {
        QDir().mkpath(Temp.filePath(cNom));
        return Temp.filePath(cNom);
    }
};

} // namespace

TEST_F(DataFolderTest, LookupOrderIsUserThenMachineThenDefault)
{
    // Nothing configured: the default folder.
    EXPECT_EQ(ChoisitDossierDonnees(E), E.cDossierDefaut);

    const QString cMachine = Dossier("machine");
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierMachine, cMachine));
    EXPECT_EQ(ChoisitDossierDonnees(E), cMachine + "/");

    const QString cUtilisateur = Dossier("utilisateur");
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cUtilisateur));
    EXPECT_EQ(ChoisitDossierDonnees(E), cUtilisateur + "/");
    EXPECT_EQ(LitDossierDonneesConfig(E.cFichierUtilisateur), cUtilisateur);
}

TEST_F(DataFolderTest, DeletedFolderPassesTheTurn)
{
    const QString cMachine = Dossier("machine");
    const QString cUtilisateur = Dossier("utilisateur");
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierMachine, cMachine));
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cUtilisateur));

    ASSERT_TRUE(QDir(cUtilisateur).removeRecursively());
    EXPECT_EQ(ChoisitDossierDonnees(E), cMachine + "/");
    ASSERT_TRUE(QDir(cMachine).removeRecursively());
    EXPECT_EQ(ChoisitDossierDonnees(E), E.cDossierDefaut);
}

TEST_F(DataFolderTest, EmptiedOrFileValueIsNotAFolder)
{
    const QString cMachine = Dossier("machine");
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierMachine, cMachine));
    // A cleared user value and a value naming a plain file both pass the turn.
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, QString()));
    EXPECT_EQ(ChoisitDossierDonnees(E), cMachine + "/");
    QFile Fichier(Temp.filePath("fichier"));
    ASSERT_TRUE(Fichier.open(QIODevice::WriteOnly));
    Fichier.close();
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, Fichier.fileName()));
    EXPECT_EQ(ChoisitDossierDonnees(E), cMachine + "/");
}

TEST_F(DataFolderTest, FoldersAndWritableProgramFiles)
{
    const QString cDonnees = Dossier("photos data");
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cDonnees));
    const TDossiers D = FixeDossiers(E, Temp.filePath("bin"));
    EXPECT_EQ(D.cDossierDonnees, cDonnees + "/");
    EXPECT_EQ(D.cFichierSetup, cDonnees + "/KX_Setup.ini");
    EXPECT_EQ(D.cFichierBDD, cDonnees + "/KX_BDD.ini");
    EXPECT_EQ(D.cDossierVignettes, cDonnees + "/Vignettes/");
    EXPECT_EQ(D.cDossierMotifs, cDonnees + "/Motifs/");
    // Written at run time, so kept in the per-user data folder, not beside the executable.
    EXPECT_EQ(D.cFichierCFAPN, E.cDossierDefaut + "KX_CFAPN.ini");
    EXPECT_EQ(D.cDossierImgsCH, E.cDossierDefaut + "ImgsCH/");
    EXPECT_EQ(D.cFichierAide, Temp.filePath("bin") + "/KX.hlp");

    EXPECT_TRUE(CreeDossiers(D));
    for (const QString &c : {D.cDossierVignettes, D.cDossierMotifs, D.cDossierImgsCH})
        EXPECT_TRUE(QFileInfo(c).isDir()) << c.toStdString();
}

TEST_F(DataFolderTest, UnwritableConfigurationReportsFailure)
{
    const QString cBloque = Dossier("bloque");
    QFile::setPermissions(cBloque, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (QFileInfo(cBloque).isWritable())
        GTEST_SKIP() << "running with rights that ignore permissions";
    EXPECT_FALSE(EcritDossierDonneesConfig(cBloque + "/Vimbrel.conf", Temp.path()));
    EXPECT_TRUE(LitDossierDonneesConfig(cBloque + "/Vimbrel.conf").isEmpty());
    QFile::setPermissions(cBloque, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(DataFolderTest, UnreadableConfigurationPassesTheTurnSaysWhyAndIsNeverReplaced)
{
    const QString cUtilisateur = Dossier("utilisateur");
    const QString cMachine = Dossier("machine");
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cUtilisateur));
    ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierMachine, cMachine));
    QFile f(E.cFichierUtilisateur);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray Avant = f.readAll();
    f.close();

    const TLecturesEnPanne Panne = TLecturesEnPanne::Lecture(E.cFichierUtilisateur, 3, EIO);
    QString cErreur;
    EXPECT_TRUE(LitDossierDonneesConfig(E.cFichierUtilisateur, &cErreur).isEmpty());
    EXPECT_EQ(cErreur, QString::fromUtf8("lecture : erreur d'entrée/sortie"));
    QStringList cErreurs;
    EXPECT_EQ(ChoisitDossierDonnees(E, &cErreurs), cMachine + "/");
    EXPECT_EQ(cErreurs, QStringList{E.cFichierUtilisateur + QString::fromUtf8(" : lecture : erreur d'entrée/sortie")});
    EXPECT_EQ(FixeDossiers(E, Temp.path()).cErreursConfig, cErreurs);

    // The data-folder move at exit must not replace what it could not read.
    EXPECT_FALSE(EcritDossierDonneesConfig(E.cFichierUtilisateur, Temp.path(), &cErreur));
    EXPECT_TRUE(cErreur.startsWith(QString::fromUtf8("illisible au chargement"))) << cErreur.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), Avant);
}
