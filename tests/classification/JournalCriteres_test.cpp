#include "ImpressionQt.h"
#include "classification/EditionCriteres.h"
#include "classification/IndexClassement.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
using TGenre = TGenreOpCritere;

QByteArray Lit(const QString &cFichier)
{
    QFile f(cFichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

bool Ecrit(const QString &cFichier, const QByteArray &Octets)
{
    QFile f(cFichier);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(Octets) == Octets.size();
}

const QByteArray cSetupDepart = "[GENERAL]\r\nX=1\r\n[CRITERES HIERARCHIQUES]\r\nVoyages=\r\nVoyages/Italie=\r\n"
                                "Voyages/Italie/Rome=\r\nVoyages/Italie/Milan=\r\nVoyages/France=\r\nArchives=\r\n"
                                "[CRITERES ENREGISTRES:ROME]\r\nVoyages/Italie/Rome=\r\n_MC=MER\r\n";
const QByteArray cBDDDepart = "[i1]\r\nVoyages/Italie/Rome=\r\nVoyages/France=\r\n[i2]\r\nVoyages/Italie=\r\n"
                              "[i3]\r\nArchives=\r\n[i4]\r\nVoyages/Italie/Milan=\r\nArchives=\r\n";

const std::vector<TOperationCritere> cScript = {
    {TGenre::Renommage, "Voyages/Italie", "Italia", 0},
    {TGenre::Creation, "Archives", QString(), 0},
    {TGenre::Deplacement, "Voyages/Italia", "Archives", 0},
    {TGenre::Image, "Archives", "a.bmp", 2},
    {TGenre::Copie, "Archives/Italia", "Voyages/France", 0},
    {TGenre::Suppression, "Archives/Italia/Rome", QString(), 0},
    {TGenre::Suppression, "Voyages", QString(), 0},
};

// What both stores hold that the editor changes: the image sections and the settings' tree and
// saved searches.
struct TEtat
{
    QStringList Catalogue, Reglages;
    bool operator==(const TEtat &) const = default;
};

QStringList Contenu(const TBigIniFile &ini, bool lReglages)
{
    QStringList Sections, Lignes, r;
    ini.ReadSections(Sections);
    for (const QString &s : std::as_const(Sections)) {
        if (lReglages && s != cSectionCritHier && !s.startsWith(cPrefixeRechEnreg))
            continue;
        ini.ReadSectionValues(s, Lignes);
        r << "[" + s + "]" << Lignes;
    }
    return r;
}

struct Dossier
{
    QTemporaryDir Temp;
    QString Setup() const { return Temp.filePath("KX_Setup.ini"); }
    QString BDD() const { return Temp.filePath("KX_BDD.ini"); }
    QString Journal() const { return Temp.filePath(cNomJournalCriteres); }
    Dossier()
    {
        Ecrit(Setup(), cSetupDepart);
        Ecrit(BDD(), cBDDDepart);
    }
    TEtat Etat() const
    {
        TBigIniFile s(Setup()), b(BDD(), true);
        return {Contenu(b, false), Contenu(s, true)};
    }
};

// A run of the editor on the folder's files: start (replay), the script, the close. fnApresOp
// sees the stores after each operation.
void Session(const Dossier &d, const std::function<void(int, const TEtat &)> &fnApresOp = {})
{
    TBigIniFile iniSetup(d.Setup()), iniBDD(d.BDD(), true);
    iniSetup.lAutoSave = iniBDD.lAutoSave = false;
    TJournalCriteres Journal(d.Journal());
    QString cMessage;
    RejoueJournalCriteres(Journal, iniSetup, iniBDD, cMessage);
    TEditionCriteres Ed(iniSetup, iniBDD, nullptr, Journal);
    Ed.Arbo().DepuisSection(iniSetup);
    for (size_t i = 0; i < cScript.size(); ++i) {
        QString cErreur;
        if (!Ed.Applique(cScript[i], cErreur))
            ADD_FAILURE() << cErreur.toStdString();
        if (fnApresOp)
            fnApresOp(int(i) + 1, {Contenu(iniBDD, false), Contenu(iniSetup, true)});
    }
    QString cErreur;
    Ed.Ferme(cErreur);
}

TEST(JournalCriteres, KilledAtEachPointTheReplayGivesTheLastOperationsState)
{
    // The states after each operation, and which operation each crash point belongs to.
    std::vector<TEtat> Etats;
    std::vector<int> OpDuPoint;
    {
        Dossier d;
        Etats.push_back(d.Etat());
        int nOp = 1;
        fnPointCritiqueCriteres = [&](int n) { OpDuPoint.push_back(n >= 5 ? int(cScript.size()) : nOp); };
        Session(d, [&](int n, const TEtat &e) {
            Etats.push_back(e);
            nOp = n + 1;
        });
        fnPointCritiqueCriteres = nullptr;
        ASSERT_EQ(d.Etat(), Etats.back());
        EXPECT_FALSE(QFile::exists(d.Journal()));
    }
    ASSERT_EQ(Etats.size(), cScript.size() + 1);
    ASSERT_GT(OpDuPoint.size(), cScript.size() * 2);

    for (size_t k = 0; k < OpDuPoint.size(); ++k) {
        SCOPED_TRACE(testing::Message() << "point " << k + 1 << ", operation " << OpDuPoint[k]);
        Dossier d;
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            size_t nVus = 0;
            fnPointCritiqueCriteres = [&](int) {
                if (++nVus == k + 1)
                    ::raise(SIGKILL);
            };
            Session(d);
            ::_exit(0);
        }
        int nStatut = 0;
        ASSERT_EQ(waitpid(pid, &nStatut, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(nStatut) && WTERMSIG(nStatut) == SIGKILL);

        {
            TBigIniFile iniSetup(d.Setup()), iniBDD(d.BDD(), true);
            iniSetup.lAutoSave = iniBDD.lAutoSave = false;
            TJournalCriteres Journal(d.Journal());
            QString cMessage;
            EXPECT_TRUE(RejoueJournalCriteres(Journal, iniSetup, iniBDD, cMessage));
            EXPECT_TRUE(cMessage.isEmpty());
        }
        const TEtat e = d.Etat();
        EXPECT_EQ(e, Etats[size_t(OpDuPoint[k])]);
        EXPECT_FALSE(QFile::exists(d.Journal()));
        // Every stored criterion is a node of the stored tree.
        TBigIniFile s(d.Setup()), b(d.BDD(), true);
        QStringList Noeuds, Sections, Cles;
        s.ReadSection(cSectionCritHier, Noeuds);
        b.ReadSections(Sections);
        for (const QString &c : std::as_const(Sections)) {
            b.ReadSection(c, Cles);
            for (const QString &x : std::as_const(Cles))
                EXPECT_TRUE(Noeuds.contains(x)) << x.toStdString();
        }
        // A second start changes nothing.
        const QByteArray Setup = Lit(d.Setup()), BDD = Lit(d.BDD());
        {
            TBigIniFile iniSetup(d.Setup()), iniBDD(d.BDD(), true);
            iniSetup.lAutoSave = iniBDD.lAutoSave = false;
            TJournalCriteres Journal(d.Journal());
            QString cMessage;
            EXPECT_TRUE(RejoueJournalCriteres(Journal, iniSetup, iniBDD, cMessage));
        }
        EXPECT_EQ(Lit(d.Setup()), Setup);
        EXPECT_EQ(Lit(d.BDD()), BDD);
    }
}

struct JournalTest : ::testing::Test
{
    Dossier d;
    std::unique_ptr<TBigIniFile> iniSetup, iniBDD;
    void Ouvre(const QString &cBDD = {})
    {
        iniSetup = std::make_unique<TBigIniFile>(d.Setup());
        iniBDD = std::make_unique<TBigIniFile>(cBDD.isEmpty() ? d.BDD() : cBDD, true);
        iniSetup->lAutoSave = iniBDD->lAutoSave = false;
    }
};

TEST_F(JournalTest, UnwritableJournalRefusesBeforeAnyChange)
{
    Ouvre();
    ASSERT_TRUE(QDir(d.Temp.path()).mkdir("dossier"));
    TJournalCriteres Journal(d.Temp.filePath("dossier"));
    TEditionCriteres Ed(*iniSetup, *iniBDD, nullptr, Journal);
    Ed.Arbo().DepuisSection(*iniSetup);
    QString cErreur;
    EXPECT_FALSE(Ed.Applique({TGenre::Suppression, "Voyages", QString(), 0}, cErreur));
    EXPECT_TRUE(cErreur.startsWith(QStringLiteral("Impossible d'enregistrer la modification des critères : ")))
        << cErreur.toStdString();
    EXPECT_GT(cErreur.size(), 60);
    EXPECT_EQ(Ed.Arbo().Nombre(), 6);
    EXPECT_FALSE(iniSetup->Modifie());
    EXPECT_FALSE(iniBDD->Modifie());
    EXPECT_FALSE(Ed.lModifie);
}

TEST_F(JournalTest, FailedCatalogueSaveKeepsTheChangeInMemoryAndJournal)
{
    Ouvre(d.Temp.filePath("absent/KX_BDD.ini"));
    iniBDD->WriteString("i1", "Voyages/Italie", QString());
    TJournalCriteres Journal(d.Journal());
    TEditionCriteres Ed(*iniSetup, *iniBDD, nullptr, Journal);
    Ed.Arbo().DepuisSection(*iniSetup);
    QString cErreur;
    EXPECT_FALSE(Ed.Applique({TGenre::Renommage, "Voyages/Italie", "Italia", 0}, cErreur));
    EXPECT_TRUE(cErreur.contains(iniBDD->FileName()));
    QStringList Cles;
    iniBDD->ReadSection("i1", Cles);
    EXPECT_EQ(Cles, QStringList{"Voyages/Italia"});
    const TJournalCriteres::TContenu c = Journal.Lit();
    ASSERT_EQ(c.Operations.size(), 1u);
    EXPECT_EQ(c.Operations[0].second, (TOperationCritere{TGenre::Renommage, "Voyages/Italie", "Italia", 0}));
    EXPECT_EQ(c.nCatalogue, -1);
    // The close cannot save the catalogue either: the journal stays for the next start.
    EXPECT_FALSE(Ed.Ferme(cErreur));
    EXPECT_TRUE(QFile::exists(d.Journal()));
}

TEST_F(JournalTest, TornLastLineIsIgnoredAndCutBeforeTheNextAppend)
{
    ASSERT_TRUE(Ecrit(d.Journal(), "1\tR\tVoyages/Italie\tIt%09a%25\t0\n2\tS\tVoy"));
    TJournalCriteres Journal(d.Journal());
    TJournalCriteres::TContenu c = Journal.Lit();
    ASSERT_TRUE(c.lLisible);
    ASSERT_EQ(c.Operations.size(), 1u);
    EXPECT_EQ(c.Operations[0].second.cArgument, "It\ta%");
    ASSERT_TRUE(Journal.AjouteCatalogue(1, nullptr));
    ASSERT_TRUE(Journal.AjouteOperation(2, {TGenre::Creation, "", "N\nx", 0}, nullptr));
    EXPECT_EQ(Lit(d.Journal()), "1\tR\tVoyages/Italie\tIt%09a%25\t0\n1\tB\n2\tC\t\tN%0Ax\t0\n");
    c = Journal.Lit();
    EXPECT_EQ(c.nCatalogue, 1);
    ASSERT_EQ(c.Operations.size(), 2u);
    EXPECT_EQ(c.Operations[1].second.cArgument, "N\nx");
}

// A line written ahead of its sync is in the journal at once, in order, whether the sync is
// awaited, left to the next line, or never comes (the object gone as with a killed process).
TEST_F(JournalTest, LineWrittenAheadOfItsSyncIsInTheJournalInOrder)
{
    {
        TJournalCriteres Journal(d.Journal());
        ASSERT_TRUE(Journal.EcritOperation(1, {TGenre::Creation, "", "A", 0}, nullptr));
        EXPECT_EQ(Lit(d.Journal()), "1\tC\t\tA\t0\n");
        EXPECT_TRUE(Journal.Synchronise(nullptr));
        ASSERT_TRUE(Journal.EcritOperation(2, {TGenre::Creation, "", "B", 0}, nullptr));
        // The next append syncs the line still waiting, then writes its own after it.
        ASSERT_TRUE(Journal.AjouteCatalogue(2, nullptr));
        ASSERT_TRUE(Journal.EcritOperation(3, {TGenre::Suppression, "A", QString(), 0}, nullptr));
    }
    EXPECT_EQ(Lit(d.Journal()), "1\tC\t\tA\t0\n2\tC\t\tB\t0\n2\tB\n3\tS\tA\t\t0\n");
    TJournalCriteres Journal(d.Journal());
    const TJournalCriteres::TContenu c = Journal.Lit();
    ASSERT_TRUE(c.lLisible);
    EXPECT_EQ(c.Operations.size(), 3u);
    EXPECT_EQ(c.nCatalogue, 2);
    // Removal drops a line still waiting for its sync as well.
    ASSERT_TRUE(Journal.EcritOperation(4, {TGenre::Creation, "", "C", 0}, nullptr));
    EXPECT_TRUE(Journal.Supprime());
    EXPECT_FALSE(QFile::exists(d.Journal()));
    EXPECT_TRUE(Journal.Synchronise(nullptr));
}

TEST_F(JournalTest, ReplayGivesEachStoreTheOperationsItLacks)
{
    // The settings hold operation 1 already; the catalogue was saved after 2.
    ASSERT_TRUE(Ecrit(d.Journal(), "1\tC\t\tNouveau1\t0\n2\tR\tVoyages/Italie\tItalia\t0\n2\tB\n"
                                   "3\tD\tVoyages/Italia\tArchives\t0\n"));
    Ouvre();
    iniSetup->WriteString(cSectionGeneral, cCleNumOpCriteres, "1");
    iniSetup->WriteString(cSectionCritHier, "Nouveau1", QString());
    iniSetup->UpdateFile();
    iniBDD->RemplaceSection("i2", {{"Voyages/Italia", ""}});
    iniBDD->UpdateFile();
    Ouvre();
    TJournalCriteres Journal(d.Journal());
    QString cMessage;
    ASSERT_TRUE(RejoueJournalCriteres(Journal, *iniSetup, *iniBDD, cMessage));
    Ouvre();
    QStringList l;
    iniSetup->ReadSection(cSectionCritHier, l);
    EXPECT_EQ(l, (QStringList{"Voyages", "Voyages/France", "Archives", "Archives/Italia", "Archives/Italia/Rome",
                              "Archives/Italia/Milan", "Nouveau1"}));
    EXPECT_EQ(iniSetup->ReadString(cSectionGeneral, cCleNumOpCriteres, ""), "3");
    iniSetup->ReadSection(cPrefixeRechEnreg + "ROME", l);
    EXPECT_EQ(l, (QStringList{"Archives/Italia/Rome", "_MC"}));
    // i1 still held Italie: the catalogue had operation 2, so its rename is not replayed.
    iniBDD->ReadSection("i1", l);
    EXPECT_EQ(l, (QStringList{"Voyages/Italie/Rome", "Voyages/France"}));
    iniBDD->ReadSection("i2", l);
    EXPECT_EQ(l, QStringList{"Archives/Italia"});
    EXPECT_FALSE(QFile::exists(d.Journal()));
}

TEST_F(JournalTest, UnreadableJournalIsSetAside)
{
    ASSERT_TRUE(Ecrit(d.Journal(), "1\tR\tVoyages/Italie\tItalia\t0\nordures\n"));
    Ouvre();
    TJournalCriteres Journal(d.Journal());
    QString cMessage;
    EXPECT_TRUE(RejoueJournalCriteres(Journal, *iniSetup, *iniBDD, cMessage));
    EXPECT_TRUE(cMessage.contains("illisible"));
    EXPECT_FALSE(QFile::exists(d.Journal()));
    const QStringList Restes = QDir(d.Temp.path()).entryList({cNomJournalCriteres + ".*"}, QDir::Files);
    EXPECT_EQ(Restes.size(), 1);
    EXPECT_FALSE(iniSetup->Modifie());
    EXPECT_FALSE(iniBDD->Modifie());
    EXPECT_EQ(Lit(d.BDD()), cBDDDepart);
}
} // namespace
