// The move of the data folder: its checks, its work, and its recovery after a crash.
#include "storage/DeplacementDonnees.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

using TEtat = std::map<QString, QByteArray>;

void Ecrit(const QString &cFichier, const QByteArray &Octets)
{
    QDir().mkpath(QFileInfo(cFichier).path());
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Octets);
}

QByteArray Lit(const QString &cFichier)
{
    QFile f(cFichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

// Every file below a folder, by relative path.
TEtat Etat(const QString &cDossier)
{
    TEtat m;
    QDirIterator It(cDossier, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (It.hasNext()) {
        const QString c = It.next();
        m[c.mid(cDossier.size())] = Lit(c);
    }
    return m;
}

// Plain copy and compare: the seam the program fills with the verified copy.
int CopieSimple(const QString &a, const QString &b)
{
    if (QFileInfo::exists(b))
        return EEXIST;
    return QFile::copy(a, b) ? 0 : EIO;
}
int CompareSimple(const QString &a, const QString &b)
{
    return Lit(a) == Lit(b) ? 0 : EIO;
}

struct DeplacementTest : ::testing::Test
{
    QTemporaryDir Temp;
    TEmplacementsConfig E;
    TDossiers D;
    QString cAncien, cNouveau;
    TEtat Originaux; // the data files as they were

    void SetUp() override
    {
        E.cFichierUtilisateur = Temp.filePath("conf/u/Vimbrel.conf");
        E.cFichierMachine = Temp.filePath("conf/m/Vimbrel.conf");
        E.cDossierDefaut = Temp.filePath("defaut") + "/";
        cAncien = Temp.filePath("ancien") + "/";
        cNouveau = Temp.filePath("nouveau") + "/";
        Ecrit(cAncien + "KX_Setup.ini", "[GENERAL]\r\nkcVersion=v 1.44\r\n");
        Ecrit(cAncien + "KX_BDD.ini", "[/a.jpg]\r\nLieu=\r\n");
        for (int i = 0; i < 150; ++i)
            Ecrit(cAncien + QStringLiteral("Vignettes/%1/v%2.JPG").arg(i % 3 ? "1-2" : "").arg(i),
                  QByteArray(100 + i, char('a' + i % 26)));
        Ecrit(cAncien + "Motifs/m1.bmp", "motif");
        Ecrit(cAncien + "Motifs/sous/m2.bmp", "motif2");
        Originaux = Etat(cAncien);
        // Not data that moves: the lock and the focal store.
        Ecrit(cAncien + ".KX_Verrou", "");
        Ecrit(cAncien + "KX_CFAPN.ini", "focales");
        ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cAncien));
        D.cDossierDonnees = cAncien;
        D.cDossierProgramme = Temp.filePath("programme") + "/";
        QDir().mkpath(D.cDossierProgramme);
    }

    TOutilsDeplacement Outils() const
    {
        TOutilsDeplacement O;
        O.fnCopie = CopieSimple;
        O.fnCompare = CompareSimple;
        return O;
    }

    TVerificationDestination Verifie(const QString &c, TSystemeDonnees s = TSystemeDonnees::MonoUtilisateur, int n = 0)
    {
        return VerifieDestination(E, D, c, s, n);
    }

    void Planifie(TSystemeDonnees s = TSystemeDonnees::MonoUtilisateur, int n = 0)
    {
        const TVerificationDestination v = Verifie(cNouveau, s, n);
        ASSERT_TRUE(v.lAccepte) << v.cRefus.toStdString();
        QString cErreur;
        ASSERT_TRUE(PlanifieDeplacement(E, D, v, s, n, cErreur)) << cErreur.toStdString();
    }

    // A start: the move finished or undone, then the data folder chosen.
    QString Demarre()
    {
        RepriseDeplacement(E, Outils());
        return ChoisitDossierDonnees(E);
    }

    // The data files of a folder, the lock and focal store left out.
    static TEtat Donnees(const QString &cDossier)
    {
        TEtat m = Etat(cDossier);
        m.erase(".KX_Verrou");
        m.erase("KX_CFAPN.ini");
        return m;
    }

    // Everything a start could change.
    TEtat Tout() const
    {
        TEtat m = Etat(Temp.path());
        return m;
    }
};

} // namespace

TEST_F(DeplacementTest, RefusedAndPointlessDestinations)
{
    // The current folder spelt otherwise, through a link, and the program folder: nothing to do.
    EXPECT_TRUE(Verifie(Temp.filePath("ancien/../ancien")).lSansObjet);
    ASSERT_TRUE(QFile::link(Temp.filePath("ancien"), Temp.filePath("lien")));
    EXPECT_TRUE(Verifie(Temp.filePath("lien")).lSansObjet);
    EXPECT_TRUE(Verifie(D.cDossierProgramme).lSansObjet);
    EXPECT_FALSE(Verifie(D.cDossierProgramme).lAccepte);
    // Inside the data folder (through the link too), or holding it.
    EXPECT_FALSE(Verifie(Temp.filePath("lien/sous")).lAccepte);
    EXPECT_TRUE(Verifie(Temp.filePath("lien/sous")).cRefus.contains("à l'intérieur"));
    EXPECT_FALSE(Verifie(Temp.path()).lAccepte);
    // Another program base is never overwritten.
    for (const char *cNom : {"KX_Setup.ini", "KX_BDD.ini", "Vignettes/x", "Motifs/y"}) {
        const QString cAutre = Temp.filePath(QStringLiteral("autre-%1").arg(QString(cNom).left(3)));
        Ecrit(cAutre + "/" + cNom, "x");
        const TVerificationDestination v = Verifie(cAutre);
        EXPECT_FALSE(v.lAccepte) << cNom;
        EXPECT_EQ(v.cRefus, QStringLiteral("Le dossier « %1/ » contient déjà des données de Vimbrel.").arg(cAutre));
    }
    // A folder that cannot be made (a file stands on its way).
    Ecrit(Temp.filePath("fichier"), "x");
    EXPECT_FALSE(Verifie(Temp.filePath("fichier/sous")).lAccepte);
    // A fine one: the question names it and explains the operation.
    const TVerificationDestination v = Verifie(cNouveau, TSystemeDonnees::MultiUtilisateurs, 0);
    ASSERT_TRUE(v.lAccepte);
    EXPECT_TRUE(v.cQuestion.startsWith("Voulez vous réellement effectuer les traitement suivants ? :\r\n\r\n\r\n"
                                       "Nouvel emplacement des données : "
                                       + cNouveau + "\r\n\r\nDupliquer la Base : "));
    // A machine-wide file the operation must change but cannot: named in the question.
    E.cFichierMachine = Temp.filePath("fichier/Vimbrel.conf");
    EXPECT_TRUE(Verifie(cNouveau, TSystemeDonnees::MonoUtilisateur, 0).cQuestion.contains(E.cFichierMachine));
    EXPECT_FALSE(Verifie(cNouveau, TSystemeDonnees::MultiUtilisateurs, 0).cQuestion.contains(E.cFichierMachine));
}

TEST_F(DeplacementTest, AVolumeShortOfRoomIsRefusedWhenTheDataAreCopied)
{
    // What the data weigh: the stores, the thumbnails and the patterns, not the lock nor the
    // focal store.
    qint64 nDonnees = 0;
    for (const auto &[cNom, Octets] : Originaux)
        nDonnees += Octets.size();
    QString cDemande;
    auto Place = [&](qint64 n) {
        return [&cDemande, n](const QString &c) {
            cDemande = c;
            return n;
        };
    };
    using S = TSystemeDonnees;
    const TVerificationDestination v =
        VerifieDestination(E, D, cNouveau + "sous", S::MultiUtilisateurs, 0, Place(nDonnees - 1));
    EXPECT_FALSE(v.lAccepte);
    EXPECT_EQ(v.cRefus, QStringLiteral("Place insuffisante dans « %1sous/ » : %2 nécessaires, %3 disponibles.")
                            .arg(cNouveau, QString::number(nDonnees / 1048576.0, 'f', 2).replace('.', ',') + " Mo",
                                 QString::number((nDonnees - 1) / 1048576.0, 'f', 2).replace('.', ',') + " Mo"));
    // The volume asked about is the one the folder will be made on.
    EXPECT_EQ(cDemande, Temp.path());
    EXPECT_TRUE(VerifieDestination(E, D, cNouveau, S::MultiUtilisateurs, 0, Place(nDonnees)).lAccepte);
    // Without a copy no room is needed; an unknown count does not stand in the way.
    EXPECT_TRUE(VerifieDestination(E, D, cNouveau, S::MultiUtilisateurs, 2, Place(0)).lAccepte);
    EXPECT_TRUE(VerifieDestination(E, D, cNouveau, S::MultiUtilisateurs, 0, Place(-1)).lAccepte);
}

TEST_F(DeplacementTest, WorkOfEachOperation)
{
    using S = TSystemeDonnees;
    EXPECT_EQ(PlanDeplacement(S::MonoUtilisateur, 0).nBits, 3);
    EXPECT_EQ(PlanDeplacement(S::MonoUtilisateur, 1).nBits, 2);
    EXPECT_EQ(PlanDeplacement(S::MultiUtilisateurs, 0).nBits, 1);
    EXPECT_EQ(PlanDeplacement(S::MultiUtilisateurs, 1).Machine, TValeurMachine::Videe);
    EXPECT_EQ(PlanDeplacement(S::MultiUtilisateurs, 3).nBits, 2);
    EXPECT_EQ(OperationsDeplacement(S::MultiUtilisateurs).at(2), "Nouvelle Base (en Conservant l'ancienne)");

    // A new base keeping the old one schedules nothing: the user's value is all.
    Planifie(S::MultiUtilisateurs, 2);
    EXPECT_FALSE(QFileInfo::exists(FichierJournalDeplacement(E)));
    EXPECT_EQ(LitDossierDonneesConfig(E.cFichierUtilisateur), cNouveau);
    EXPECT_EQ(Donnees(cAncien), Originaux);
}

TEST_F(DeplacementTest, TransferCopiesSwitchesThenDeletes)
{
    Planifie();
    // Nothing is written to the configuration before the work.
    EXPECT_EQ(LitDossierDonneesConfig(E.cFichierUtilisateur), cAncien);
    TOutilsDeplacement O = Outils();
    O.lVerrouAncienDetenu = true;
    int nDerniere = -1, nTotal = 0;
    O.fnProgression = [&](int n, int t) { nDerniere = n, nTotal = t; };
    const TResultatDeplacement r = ExecuteDeplacement(E, O);
    EXPECT_EQ(r.Issue, TIssueDeplacement::Fait) << r.cMessage.toStdString();
    EXPECT_EQ(nTotal, 150);
    EXPECT_EQ(nDerniere, 149);
    EXPECT_EQ(LitDossierDonneesConfig(E.cFichierUtilisateur), cNouveau);
    EXPECT_EQ(LitDossierDonneesConfig(E.cFichierMachine), cNouveau);
    EXPECT_EQ(Donnees(cNouveau), Originaux);
    // The old place keeps only what never moves.
    EXPECT_EQ(Etat(cAncien).size(), 2u);
    EXPECT_TRUE(QFileInfo::exists(cAncien + "KX_CFAPN.ini"));
    EXPECT_FALSE(QFileInfo::exists(cAncien + "Vignettes"));
    EXPECT_FALSE(QFileInfo::exists(FichierJournalDeplacement(E)));
    const TEtat Apres = Tout();
    EXPECT_EQ(Demarre(), cNouveau);
    EXPECT_EQ(Tout(), Apres);
}

TEST_F(DeplacementTest, FailureBeforeTheSwitchLeavesTheOldFolderInUse)
{
    // A disk that fills up at the hundredth file, then a configuration that cannot be written.
    for (int nCas = 0; nCas < 2; ++nCas) {
        Planifie();
        TOutilsDeplacement O = Outils();
        std::atomic<int> nCopies{0};
        if (nCas == 0)
            O.fnCopie = [&](const QString &a, const QString &b) {
                return ++nCopies == 100 ? ENOSPC : CopieSimple(a, b);
            };
        else
            O.fnEcritConfig = [](const QString &, const QString &, QString *cErreur) {
                if (cErreur)
                    *cErreur = "accès refusé";
                return false;
            };
        const TResultatDeplacement r = ExecuteDeplacement(E, O);
        EXPECT_EQ(r.Issue, TIssueDeplacement::Echoue) << nCas;
        EXPECT_TRUE(r.cMessage.startsWith("Le déplacement des données a échoué : ")) << nCas;
        EXPECT_TRUE(r.cMessage.endsWith(QStringLiteral("\r\nLes données restent dans « %1 ».").arg(cAncien))) << nCas;
        EXPECT_EQ(Donnees(cAncien), Originaux) << nCas;
        EXPECT_TRUE(Etat(cNouveau).empty()) << nCas;
        EXPECT_FALSE(QFileInfo::exists(FichierJournalDeplacement(E)));
        EXPECT_EQ(Demarre(), cAncien);
    }
}

TEST_F(DeplacementTest, KilledAtAnyPointOneCompleteFolderIsInUse)
{
    using P = TPointDeplacement;
    const std::pair<P, int> Points[] = {{P::Copie, 0},          {P::Copie, 120},     {P::Verification, 0},
                                        {P::Verification, 151}, {P::AvantConfig, 0}, {P::ApresConfig, 0},
                                        {P::Bascule, 0},        {P::Suppression, 0}, {P::Suppression, 90}};
    for (const auto &[Point, n] : Points) {
        SCOPED_TRACE(QStringLiteral("point %1 at %2").arg(static_cast<int>(Point)).arg(n).toStdString());
        Planifie();
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            TOutilsDeplacement O = Outils();
            O.lVerrouAncienDetenu = true;
            O.fnPoint = [Point, n](P p, int k) {
                if (p == Point && k == n)
                    ::raise(SIGKILL);
            };
            ExecuteDeplacement(E, O);
            ::_exit(3);
        }
        int nEtat = 0;
        ASSERT_EQ(::waitpid(pid, &nEtat, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(nEtat) && WTERMSIG(nEtat) == SIGKILL);

        const QString cEnUsage = Demarre();
        const bool lBascule = Point >= P::Bascule;
        EXPECT_EQ(cEnUsage, lBascule ? cNouveau : cAncien);
        EXPECT_EQ(Donnees(cEnUsage), Originaux);
        // The other place holds nothing of the data any more.
        EXPECT_TRUE(Donnees(lBascule ? cAncien : cNouveau).empty());
        const TEtat Apres = Tout();
        EXPECT_EQ(Demarre(), cEnUsage);
        EXPECT_EQ(Tout(), Apres);

        // Back to the start for the next point.
        if (lBascule) {
            QDir(cAncien).removeRecursively();
            QDir(cNouveau).rename(cNouveau, cAncien);
            ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cAncien));
            ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierMachine, ""));
        }
        QDir(cNouveau).removeRecursively();
        ASSERT_EQ(Donnees(cAncien), Originaux);
    }
}

TEST_F(DeplacementTest, DeletionWaitsForAnotherProgramsLock)
{
    Planifie();
    const int fd = ::open(QFile::encodeName(cAncien + ".KX_Verrou").constData(), O_RDWR);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(ExecuteDeplacement(E, Outils()).Issue, TIssueDeplacement::SuppressionDifferee);
    EXPECT_EQ(Donnees(cAncien), Originaux);
    EXPECT_EQ(Demarre(), cNouveau);
    EXPECT_EQ(Donnees(cAncien), Originaux);
    ::close(fd);
    EXPECT_EQ(Demarre(), cNouveau);
    EXPECT_TRUE(Donnees(cAncien).empty());
    EXPECT_EQ(Donnees(cNouveau), Originaux);
}

TEST_F(DeplacementTest, DamagedJournalIsSetAsideAndNothingDeleted)
{
    Planifie();
    const QString cJournal = FichierJournalDeplacement(E);
    QByteArray Texte = Lit(cJournal);
    Texte.chop(5); // cut short as by a full disk
    Ecrit(cJournal, Texte);
    const TResultatDeplacement r = RepriseDeplacement(E, Outils());
    EXPECT_EQ(r.Issue, TIssueDeplacement::JournalEndommage);
    EXPECT_FALSE(r.cMessage.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(cJournal));
    EXPECT_EQ(Lit(cJournal + ".endommagé"), Texte);
    EXPECT_EQ(Donnees(cAncien), Originaux);
    EXPECT_EQ(ChoisitDossierDonnees(E), cAncien);
}

TEST_F(DeplacementTest, InterruptedBeforeTheSwitchIsSaid)
{
    Planifie();
    const TResultatDeplacement r = RepriseDeplacement(E, Outils());
    EXPECT_EQ(r.Issue, TIssueDeplacement::Echoue);
    EXPECT_EQ(r.cMessage, QStringLiteral("Le déplacement des données vers « %1 » a été interrompu ; les données sont "
                                         "restées dans « %2 ».")
                              .arg(cNouveau, cAncien));
}

// The program's own copy (no seams given): copies equal to their sources with their dates,
// and a copy that no longer reads back as what was read from its source stops the move.
TEST_F(DeplacementTest, BuiltInCopyIsCheckedAgainstWhatWasRead)
{
    const QDateTime Ancienne(QDate(2004, 6, 11), QTime(10, 20, 30), Qt::UTC);
    {
        QFile f(cAncien + "KX_BDD.ini");
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(Ancienne, QFileDevice::FileModificationTime));
    }
    // 0: no fault; 1: a byte of the catalogue's copy changed on its way to the disk; 2: a
    // thumbnail's copy one byte longer.
    for (int nCas = 0; nCas < 3; ++nCas) {
        SCOPED_TRACE(nCas);
        Planifie(TSystemeDonnees::MultiUtilisateurs, 0);
        TOutilsDeplacement O;
        O.nFils = 2;
        bool lFait = false;
        std::mutex Verrou;
        O.fnPoint = [&](TPointDeplacement p, int) {
            const std::lock_guard<std::mutex> g(Verrou);
            if (nCas == 0 || p != TPointDeplacement::Copie || lFait)
                return;
            const QString cNom = nCas == 1 ? "KX_BDD.ini" : "Vignettes/v0.JPG";
            // Another thread may still be writing that copy: only a whole one is spoilt (its
            // own point, after its copy, always finds it whole).
            QFile f(cNouveau + cNom);
            if (!f.exists() || f.size() != QFileInfo(cAncien + cNom).size() || !f.open(QIODevice::ReadWrite))
                return;
            if (nCas == 1) {
                const QByteArray Octets = f.readAll();
                f.seek(3);
                f.write(QByteArray(1, char(Octets.at(3) ^ 0x20)));
            } else {
                f.seek(f.size());
                f.write("x");
            }
            lFait = true;
        };
        const TResultatDeplacement r = ExecuteDeplacement(E, O);
        if (nCas == 0) {
            ASSERT_EQ(r.Issue, TIssueDeplacement::Fait) << r.cMessage.toStdString();
            EXPECT_EQ(Donnees(cNouveau), Originaux);
            EXPECT_EQ(QFileInfo(cNouveau + "KX_BDD.ini").lastModified().toUTC(), Ancienne);
            EXPECT_EQ(ChoisitDossierDonnees(E), cNouveau);
            // Back to the old folder for the faulty copies.
            QDir(cNouveau).removeRecursively();
            ASSERT_TRUE(EcritDossierDonneesConfig(E.cFichierUtilisateur, cAncien));
            continue;
        }
        EXPECT_TRUE(lFait);
        EXPECT_EQ(r.Issue, TIssueDeplacement::Echoue);
        EXPECT_TRUE(r.cMessage.contains(QStringLiteral("« %1 »").arg(cAncien))) << r.cMessage.toStdString();
        EXPECT_EQ(Donnees(cAncien), Originaux);
        EXPECT_TRUE(Donnees(cNouveau).empty());
        EXPECT_EQ(Demarre(), cAncien);
    }
}

// The built-in copy writes straight to the final names: a start after a crash that left a
// copy cut short, or killed between copies, still goes back to the complete old folder.
TEST_F(DeplacementTest, BuiltInCopyCutShortIsRemovedAtTheNextStart)
{
    Planifie();
    QDir().mkpath(cNouveau + "Vignettes");
    Ecrit(cNouveau + "KX_BDD.ini", "[/a.j");
    EXPECT_EQ(Demarre(), cAncien);
    EXPECT_TRUE(Donnees(cNouveau).empty());
    EXPECT_EQ(Donnees(cAncien), Originaux);

    Planifie();
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        TOutilsDeplacement O;
        O.fnPoint = [](TPointDeplacement p, int k) {
            if (p == TPointDeplacement::Copie && k == 60)
                ::raise(SIGKILL);
        };
        ExecuteDeplacement(E, O);
        ::_exit(3);
    }
    int nEtat = 0;
    ASSERT_EQ(::waitpid(pid, &nEtat, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(nEtat));
    EXPECT_EQ(Demarre(), cAncien);
    EXPECT_TRUE(Donnees(cNouveau).empty());
    EXPECT_EQ(Donnees(cAncien), Originaux);
}
