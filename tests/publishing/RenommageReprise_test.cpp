// A renaming batch killed at chosen places, then replayed as the next start does: every image
// must be found once, with all its data under its present name.

#include "publishing/Renommage.h"

#include "BancPublication.h"
#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "storage/Descriptions.h"
#include "storage/Nettoyage.h"

#include <QDirIterator>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr int nImages = 100;

struct TArret
{
    TPointRenommage nPoint;
    int n;
    bool lRepriseTuee = false; // the first replay dies too, between its two store saves
};

class RenommageReprise : public BancPublication, public ::testing::WithParamInterface<TArret>
{
protected:
    QString Dossier() const { return cRacine + QStringLiteral("/photos/"); }
    static QString Id(int i) { return QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')); }

    TParamsRenommage Params() const
    {
        TParamsRenommage P;
        P.cDossierVignettes = cVignettes;
        P.cDossierDonnees = cDonnees;
        P.lTrtDescription = true;
        return P;
    }

    // p00.jpg ... p99.jpg, each with keywords, a legend, an album entry, criteria, a cached
    // thumbnail and a description; one in ten has a sound memo.
    void Prepare()
    {
        TDescriptions Descriptions(*iniSetup);
        QList<std::pair<QString, QString>> Desc;
        for (int i = 0; i < nImages; ++i) {
            const QString c = Cree(QStringLiteral("photos/p%1.jpg").arg(Id(i)), "id" + Id(i).toLatin1());
            if (i % 10 == 3)
                Cree(QStringLiteral("photos/p%1.WAV").arg(Id(i)), "son" + Id(i).toLatin1());
            iniSetup->WriteString(QStringLiteral("MOTS-CLES"), c, QStringLiteral("K") + Id(i));
            iniSetup->WriteString(QStringLiteral("LEGENDES"), c, QStringLiteral("L") + Id(i));
            iniSetup->WriteString(QStringLiteral("SAUVEGARDE ALBUM IMAGES:A"), c, Id(i));
            iniBDD->WriteString(c, QStringLiteral("Lieux/") + Id(i), {});
            EcritFichier(NomVignette(cVignettes, 0, c), "vig" + Id(i).toLatin1());
            Desc.append({QFileInfo(c).fileName(), QStringLiteral("D") + Id(i)});
        }
        ASSERT_TRUE(Descriptions.EcritDescriptionsDossier(Dossier(), Desc));
        ASSERT_TRUE(iniSetup->UpdateFile() && iniBDD->UpdateFile());
    }

    // Listed from p99 down to p00 and numbered from 0: every image takes another's name.
    QList<TEnrLst> Entrees() const
    {
        QList<TEnrLst> E;
        for (int i = nImages - 1; i >= 0; --i)
            E.append({nImages - 1 - i, Dossier() + QStringLiteral("p%1.jpg").arg(Id(i)), {}});
        return E;
    }

    // Runs fn in a child process that must die by SIGKILL.
    static void DansEnfant(const std::function<void()> &fn)
    {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            fn();
            ::_exit(3);
        }
        int nEtat = 0;
        ASSERT_EQ(::waitpid(pid, &nEtat, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(nEtat) && WTERMSIG(nEtat) == SIGKILL) << "the child was not stopped";
    }

    TBilanReprise Reprend(const std::function<void(TPointRenommage, int)> &fnPoint = {})
    {
        OuvreStores(cDonnees);
        TDescriptions Descriptions(*iniSetup);
        TRenommageImages R(*iniSetup, *iniBDD, *Reelles, Params());
        R.pDescriptions = &Descriptions;
        R.fnPoint = fnPoint;
        return R.Reprend();
    }

    static auto Tue(TPointRenommage nPoint, int n)
    {
        return [nPoint, n](TPointRenommage p, int k) {
            if (p == nPoint && k == n)
                ::raise(SIGKILL);
        };
    }

    // Everything on disk, to compare two states.
    QByteArray Etat() const
    {
        QByteArray b = LitFichier(iniSetup->FileName()) + LitFichier(iniBDD->FileName());
        QDirIterator it(cRacine, QDir::Files, QDirIterator::Subdirectories);
        QStringList l;
        while (it.hasNext())
            l << it.next();
        l.sort();
        for (const QString &c : std::as_const(l))
            b += c.toUtf8() + '=' + LitFichier(c) + '\n';
        return b;
    }

    void VerifieTout()
    {
        QHash<QString, QString> Chemins; // id -> path
        const QStringList cNoms = QDir(Dossier()).entryList(QDir::Files);
        int nSons = 0;
        for (const QString &cNom : cNoms) {
            const QString c = Dossier() + cNom;
            const QByteArray Contenu = LitFichier(c);
            if (Contenu.startsWith("id")) {
                const QString cId = QString::fromLatin1(Contenu.mid(2));
                EXPECT_FALSE(Chemins.contains(cId)) << "image " << cId.toStdString() << " twice";
                Chemins.insert(cId, c);
            } else if (Contenu.startsWith("son"))
                ++nSons;
        }
        EXPECT_EQ(Chemins.size(), nImages);
        EXPECT_EQ(nSons, nImages / 10);

        const TBigIniFile Setup(iniSetup->FileName());
        const TBigIniFile BDD(iniBDD->FileName(), true);
        TBigIniFile Copie(iniSetup->FileName());
        TDescriptions Descriptions(Copie);
        for (auto it = Chemins.cbegin(); it != Chemins.cend(); ++it) {
            const QString &c = it.value();
            const QString &cId = it.key();
            SCOPED_TRACE(c.toStdString());
            EXPECT_EQ(Setup.ReadString(QStringLiteral("MOTS-CLES"), c, {}), QStringLiteral("K") + cId);
            EXPECT_EQ(Setup.ReadString(QStringLiteral("LEGENDES"), c, {}), QStringLiteral("L") + cId);
            EXPECT_EQ(Setup.ReadString(QStringLiteral("SAUVEGARDE ALBUM IMAGES:A"), c, {}), cId);
            EXPECT_TRUE(BDD.ValueExists(c, QStringLiteral("Lieux/") + cId));
            EXPECT_EQ(LitFichier(NomVignette(cVignettes, 0, c)), "vig" + cId.toLatin1());
            EXPECT_EQ(Descriptions.DescriptionImage(0, c, nDescLecture), QStringLiteral("D") + cId);
            // A file left under its temporary name has its sound memo under the temporary one too.
            if (cId.toInt() % 10 == 3) {
                const QString cSon =
                    c.endsWith(QStringLiteral("_0"))
                        ? RemplaceExtension(c.chopped(2), QStringLiteral(".WAV")) + QStringLiteral("_0")
                        : RemplaceExtension(c, QStringLiteral(".WAV"));
                EXPECT_EQ(LitFichier(cSon), "son" + cId.toLatin1());
            }
        }
        // Nothing is left under a name no file has.
        QStringList Cles;
        Setup.ReadSection(QStringLiteral("MOTS-CLES"), Cles);
        EXPECT_EQ(Cles.size(), nImages);

        // The start-up clean-up finds nothing to remove.
        OuvreStores(cDonnees);
        TTestDisparition Test = PrepareNettoyage(*iniSetup, Volumes, cRacine + QStringLiteral("/fstab"));
        TResultatNettoyage Resultat;
        NettoieParametres(*iniSetup, Test, Resultat);
        NettoieCatalogue(*iniBDD, Test, Resultat);
        NettoieVignettes(
            cVignettes,
            [this](const QString &cNom) {
                const auto Cle = CleDeNomVignette(cVignettes, cVignettes + cNom);
                return Cle ? Cle->cChemin : QString();
            },
            Test, Resultat);
        EXPECT_EQ(Resultat.Total(), 0);
    }
};
} // namespace

TEST_P(RenommageReprise, KilledBatchIsReplayedWithoutLossOrDouble)
{
    Prepare();
    TReglageRenommage R;
    R.nNbChiffres = 2;
    R.cPrefixe = QStringLiteral("p");
    const TArret Arret = GetParam();
    DansEnfant([&] {
        TBigIniFile Setup(iniSetup->FileName());
        TBigIniFile BDD(iniBDD->FileName(), true);
        TDescriptions Descriptions(Setup);
        TRenommageImages Ren(Setup, BDD, *Reelles, Params());
        Ren.pDescriptions = &Descriptions;
        Ren.fnPoint = Tue(Arret.nPoint, Arret.n);
        QList<TEnrLst> E = Entrees();
        Ren.Renomme(E, R);
    });
    ASSERT_TRUE(QFileInfo::exists(TRenommageImages::CheminJournal(cDonnees)));

    if (Arret.lRepriseTuee)
        DansEnfant([&] { Reprend(Tue(TPointRenommage::ApresEnregistrement, 1)); });

    const TBilanReprise Bilan = Reprend();
    EXPECT_TRUE(Bilan.lJournal);
    EXPECT_EQ(Bilan.nEntrees, nImages);
    EXPECT_TRUE(Bilan.cErreursEnregistrement.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(TRenommageImages::CheminJournal(cDonnees)));
    VerifieTout();

    const QByteArray Avant = Etat();
    EXPECT_FALSE(Reprend().lJournal);
    EXPECT_EQ(Etat(), Avant);
}

INSTANTIATE_TEST_SUITE_P(Arrets, RenommageReprise,
                         ::testing::Values(TArret{TPointRenommage::ApresRenommage, 1},
                                           TArret{TPointRenommage::ApresRenommage, 37},
                                           TArret{TPointRenommage::EntrePhases, nImages},
                                           TArret{TPointRenommage::ApresRenommage, nImages + 37},
                                           TArret{TPointRenommage::ApresRenommage, nImages + 37, true},
                                           TArret{TPointRenommage::ApresRenommage, 2 * nImages},
                                           TArret{TPointRenommage::ApresEnregistrement, 1},
                                           TArret{TPointRenommage::ApresEnregistrement, 2}));
