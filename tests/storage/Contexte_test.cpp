#include "storage/Contexte.h"

#include "support/DossierDonneesTemporaire.h"
#include "support/Fichiers.h"
#include "support/LecturesEnPanne.h"
#include "support/MessagesFactices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/time.h>

namespace
{

struct ContexteTest : ::testing::Test, TDossierDonneesTemporaire
{
    ContexteTest() : TDossierDonneesTemporaire("defaut") {}
    void SetUp() override { ASSERT_TRUE(Temp.isValid()); }
    std::unique_ptr<TContexte> Nouveau(TMessagesFactices **pMessages = nullptr)
    {
        auto C = NouveauContexte(false);
        auto Messages = std::make_unique<TMessagesFactices>();
        if (pMessages)
            *pMessages = Messages.get();
        C->Messages = std::move(Messages);
        return C;
    }
    // A data folder of its own, named by the user's configuration.
    QString DossierDonnees()
    {
        const QString cDossier = Temp.filePath("donnees");
        QDir().mkpath(cDossier);
        EXPECT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cDossier));
        return cDossier + "/";
    }
    static void Ecrit(const QString &cFichier, const QByteArray &Octets)
    {
        ASSERT_TRUE(EcritFichier(cFichier, Octets));
    }
    static QByteArray Lit(const QString &cFichier) { return LitFichier(cFichier); }
    static QStringList Contenu(const QString &cDossier)
    {
        return QDir(cDossier).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                        QDir::Name);
    }
};

} // namespace

TEST_F(ContexteTest, SecondProgramOnTheSameDataFolderStopsWithoutWriting)
{
    const QString cDonnees = DossierDonnees();
    TMessagesFactices *Messages1 = nullptr;
    auto Premier = Nouveau(&Messages1);
    ASSERT_TRUE(Premier->PrendDossierDonnees());
    EXPECT_TRUE(Premier->DossierDonneesPris());
    Premier->FixeDossiers();
    Premier->OuvreStores();
    Premier->iniBDD->WriteString("/photos/a.jpg", "Lieux/Rome", "");
    ASSERT_TRUE(Premier->SauveStores());
    EXPECT_TRUE(Messages1->Montres.isEmpty());
    // A killed save of the first program's: the second must not touch it either.
    Ecrit(cDonnees + ".KX_BDD.ini.tmp-Ab12Cd", "en cours");
    const QStringList Avant = Contenu(cDonnees);
    const QByteArray BDD = Lit(cDonnees + "KX_BDD.ini");

    // The second has its own runtime folder, so only the data folder can stop it.
    TMessagesFactices *Messages2 = nullptr;
    auto Second = Nouveau(&Messages2);
    EXPECT_FALSE(Second->PrendDossierDonnees());
    EXPECT_FALSE(Second->DossierDonneesPris());
    ASSERT_EQ(Messages2->Montres.size(), 1);
    EXPECT_EQ(Messages2->Montres[0].cTitre, "Erreur");
    EXPECT_EQ(Messages2->Montres[0].cTexte,
              QString::fromUtf8("Le dossier de données « %1 » est déjà utilisé par un autre Vimbrel.\n"
                                "Ce lancement s'arrête sans rien modifier.")
                  .arg(cDonnees));
    Second.reset();
    EXPECT_EQ(Contenu(cDonnees), Avant);
    EXPECT_EQ(Lit(cDonnees + "KX_BDD.ini"), BDD);

    // The lock goes with the first program.
    Premier.reset();
    auto Troisieme = Nouveau();
    EXPECT_TRUE(Troisieme->PrendDossierDonnees());
}

TEST_F(ContexteTest, TakingTheDataFolderRemovesOnlyStaleStoreTemporaries)
{
    const QString cDonnees = DossierDonnees();
    const QString cDefaut = E.cDossierDefaut;
    QDir().mkpath(cDefaut);
    const QStringList cPerimes = {".KX_BDD.ini.tmp-Ab12Cd", ".KX_Setup.ini.tmp-zzzzzz", ".KX_CFAPN.ini.tmp-000000"};
    const QStringList cEtrangers = {".KX_BDD.ini.tmp-Ab12Cd.jpg", "notes.tmp-abcdef", ".photo.jpg.tmp-abcdef",
                                    "KX_BDD.ini"};
    for (const QString &c : cPerimes + cEtrangers)
        Ecrit(cDonnees + c, "x");
    // In the default folder, which a program on another data folder may be saving into,
    // only an old temporary goes.
    Ecrit(cDefaut + ".KX_CFAPN.ini.tmp-Recent", "x");
    Ecrit(cDefaut + ".KX_CFAPN.ini.tmp-Vieux1", "x");
    const timeval Vieux[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
    ASSERT_EQ(utimes(QFile::encodeName(cDefaut + ".KX_CFAPN.ini.tmp-Vieux1").constData(), Vieux), 0);

    auto C = Nouveau();
    ASSERT_TRUE(C->PrendDossierDonnees());
    QStringList cAttendus = cEtrangers;
    cAttendus << TContexte::NomVerrouDonnees();
    cAttendus.sort();
    EXPECT_EQ(Contenu(cDonnees), cAttendus);
    EXPECT_EQ(Contenu(cDefaut), QStringList{".KX_CFAPN.ini.tmp-Recent"});
}

TEST_F(ContexteTest, FailedSavesSayWhichFileAndWhy)
{
    const QString cDonnees = DossierDonnees();
    auto C = Nouveau();
    ASSERT_TRUE(C->PrendDossierDonnees());
    C->FixeDossiers();
    C->OuvreStores();
    C->iniSetup->WriteString("GENERAL", "cRep", "/photos");
    // The data folder goes away under the running program (an unplugged disk).
    ASSERT_TRUE(QDir(cDonnees).removeRecursively());
    QStringList cErreurs;
    EXPECT_FALSE(C->SauveStores(&cErreurs));
    const QString cRaison = QString::fromUtf8("création du fichier temporaire : fichier ou dossier absent");
    EXPECT_EQ(cErreurs, (QStringList{cDonnees + "KX_Setup.ini : " + cRaison, cDonnees + "KX_BDD.ini : " + cRaison}));
    // The data stays for another try, which works once the folder is back.
    QDir().mkpath(cDonnees);
    cErreurs.clear();
    EXPECT_TRUE(C->SauveStores(&cErreurs));
    EXPECT_TRUE(cErreurs.isEmpty());
    EXPECT_EQ(TBigIniFile(cDonnees + "KX_Setup.ini").ReadString("GENERAL", "cRep", ""), "/photos");
}

TEST_F(ContexteTest, UnreadableFilesAreReportedAtStartAndKept)
{
    const QString cDonnees = DossierDonnees();
    Ecrit(cDonnees + "KX_BDD.ini", "[/photos/a.jpg]\r\nLieux/Rome=\r\n");
    Ecrit(cDonnees + "KX_Setup.ini", "[GENERAL]\r\nkcVersion=v 1.44\r\n");
    TMessagesFactices *Messages = nullptr;
    auto C = Nouveau(&Messages);
    ASSERT_TRUE(C->PrendDossierDonnees());
    C->FixeDossiers();
    Ecrit(C->Dossiers.cFichierCFAPN, "[COEFF MULT FOC EXIF]\r\nCANON EOS=1,6\r\n");
    {
        const TLecturesEnPanne Panne = TLecturesEnPanne::Lecture("KX_BDD.ini", 5, EIO);
        const TLecturesEnPanne Focales = TLecturesEnPanne::Ouverture("KX_CFAPN.ini", EACCES);
        C->OuvreStores();
    }
    const QString cLigne = cDonnees + QString::fromUtf8("KX_BDD.ini : lecture : erreur d'entrée/sortie");
    const QString cLigneFocales = C->Dossiers.cFichierCFAPN + QString::fromUtf8(" : ouverture : accès refusé");
    EXPECT_EQ(C->FichiersIllisibles(), (QStringList{cLigne, cLigneFocales}));
    EXPECT_FALSE(C->iniCFAPN->UpdateFile());
    EXPECT_EQ(Lit(C->Dossiers.cFichierCFAPN), "[COEFF MULT FOC EXIF]\r\nCANON EOS=1,6\r\n");
    C->SignaleFichiersIllisibles(nullptr);
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Erreur");
    EXPECT_TRUE(Messages->Montres[0].cTexte.contains(cLigne)) << Messages->Montres[0].cTexte.toStdString();
    EXPECT_TRUE(Messages->Montres[0].cTexte.contains(cLigneFocales));
    // The settings still save; the catalogue is left as it is on disk.
    C->iniSetup->WriteString("GENERAL", "cRep", "/photos");
    QStringList cErreurs;
    EXPECT_FALSE(C->SauveStores(&cErreurs));
    ASSERT_EQ(cErreurs.size(), 1);
    EXPECT_TRUE(cErreurs[0].startsWith(cDonnees + "KX_BDD.ini : ")) << cErreurs[0].toStdString();
    EXPECT_EQ(Lit(cDonnees + "KX_BDD.ini"), "[/photos/a.jpg]\r\nLieux/Rome=\r\n");
    EXPECT_EQ(TBigIniFile(cDonnees + "KX_Setup.ini").ReadString("GENERAL", "cRep", ""), "/photos");
}

TEST_F(ContexteTest, UnreadableConfigurationIsReportedAndTheNextPlaceIsUsed)
{
    DossierDonnees();
    TMessagesFactices *Messages = nullptr;
    auto C = Nouveau(&Messages);
    {
        const TLecturesEnPanne Panne = TLecturesEnPanne::Ouverture(E.cFichierUtilisateur, EMFILE);
        ASSERT_TRUE(C->PrendDossierDonnees());
    }
    C->FixeDossiers();
    C->OuvreStores();
    EXPECT_EQ(C->Dossiers.cDossierDonnees, E.cDossierDefaut);
    EXPECT_EQ(C->FichiersIllisibles(), QStringList{E.cFichierUtilisateur + " : ouverture : trop de fichiers ouverts"});
    C->SignaleFichiersIllisibles(nullptr);
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_TRUE(Messages->Montres[0].cTexte.contains(E.cFichierUtilisateur));
}

TEST_F(ContexteTest, CopiesOfOtherVersionsAreListed)
{
    const QString cDonnees = DossierDonnees();
    auto C = Nouveau();
    ASSERT_TRUE(C->PrendDossierDonnees());
    C->FixeDossiers();
    C->OuvreStores();
    Ecrit(cDonnees + "KX_BDD.ini", "[/photos/ailleurs.jpg]\r\nLieux/Rome=\r\n");
    C->iniBDD->WriteString("/photos/ici.jpg", "Lieux/Rome", "");
    ASSERT_TRUE(C->SauveStores());
    const QStringList cCopies = C->CopiesConservees();
    ASSERT_EQ(cCopies.size(), 1);
    EXPECT_EQ(Lit(cCopies[0]), "[/photos/ailleurs.jpg]\r\nLieux/Rome=\r\n");
    EXPECT_EQ(Lit(cDonnees + "KX_BDD.ini"), "[/photos/ici.jpg]\r\nLieux/Rome=\r\n");
}
