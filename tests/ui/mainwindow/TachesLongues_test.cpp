// A folder handed over by a later start, a stop signal and a click that relists, arriving while
// a long task pumps the event loop (a listing, the thumbnails of a listing, a remake under the
// progress window), and the last save of a run when it fails.

#include "components/FolderTreeView.h"
#include "components/PaneledListView.h"
#include "exploration/ListeImages.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "mainwindow/MainKX_fm.h"
#include "thumbnails/ThumbnailCache_fm.h"
#include "platform/SignauxArret.h"
#include "platform/TachesLongues.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <QComboBox>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace
{
constexpr int nImagesA = 24;

// The fake message helper, with a hook run when a question is asked.
struct TMessagesHook : TMessagesFactices
{
    std::function<void()> fnAvantReponse;
    // Answers the quit question, which the tests count apart from the others.
    std::function<bool()> fnQuitter;
    bool Question(QWidget *Parent, const QString &cTexte, bool lOui, const QString &cTitre) override
    {
        if (fnQuitter && cTexte == QStringLiteral("Quitter Vimbrel ?"))
            return fnQuitter();
        if (fnAvantReponse)
            fnAvantReponse();
        return TMessagesFactices::Question(Parent, cTexte, lOui, cTitre);
    }
};

struct TachesLonguesFenetre : TBancFenetrePrincipale<TMessagesHook>
{
    TExplorationKX *Expl = nullptr;
    TListeImagesKX *Liste = nullptr;
    TVignettesKX *Vignettes = nullptr;
    QString cA, cB;
    int nSauvegardes = 0;
    int nQuestionsQuitter = 0;

    void SetUp() override
    {
        ASSERT_TRUE(Temp.isValid());
        cA = Temp.filePath("a") + "/";
        cB = Temp.filePath("b") + "/";
        for (int i = 0; i < nImagesA; ++i)
            Jpeg(cA + QString("a%1.jpg").arg(i, 2, 10, QChar('0')));
        Jpeg(cB + "b1.jpg");
        Jpeg(cB + "b2.jpg");
        // The quit question is on: a close that asks nobody shows it is a stop's close.
        EcritReglages({{"lMsgConfQuitAppli", "1"}, {"cRep", cB}});

        CreeFenetre();
        Messages->fnQuitter = [this] { return ++nQuestionsQuitter, false; };
        Fenetre->fnSauveStores = [this](QStringList *p) {
            ++nSauvegardes;
            return Contexte->SauveStores(p);
        };
        Expl = Fenetre->findChild<TExplorationKX *>();
        Liste = Fenetre->findChild<TListeImagesKX *>();
        ASSERT_NE(Expl, nullptr);
        ASSERT_NE(Liste, nullptr);
        Vignettes = Fenetre->findChild<TVignettesKX *>();
        ASSERT_NE(Vignettes, nullptr);
        QSignalSpy Ouvert(Fenetre.get(), &TfmMainKX::PremierDossierOuvert);
        MontreFenetre();
        if (Ouvert.isEmpty()) {
            ASSERT_TRUE(Ouvert.wait(5000));
        }
    }
    void TearDown() override
    {
        Fenetre.reset();
        EXPECT_FALSE(TTachesLongues::Etat().EnCours());
        EXPECT_FALSE(TTachesLongues::Etat().ArretDemande());
    }
    static void Jpeg(const QString &c) { ASSERT_TRUE(EcritJpeg(c, 40, 30, Qt::darkYellow)); }
    QStringList Noms() const
    {
        QStringList l;
        for (int i = 0; i < Liste->Modele().Nombre(); ++i)
            l << Liste->Modele().Enr(i).NomFichier();
        return l;
    }
    // Lets the event loop run until the condition holds (or a few seconds have passed).
    template <class F>
    static bool Attend(F Condition)
    {
        for (int i = 0; i < 300 && !Condition(); ++i)
            QTest::qWait(10);
        return Condition();
    }
    // Calls fn when the thumbnail of the nieme row is applied; counts the rows applied.
    int nAppliquees = 0;
    void CrochetVignettes(int nieme, std::function<void()> fn)
    {
        nAppliquees = 0;
        Vignettes->fnLigneAppliquee = [this, nieme, fn](int) {
            if (nAppliquees++ == nieme)
                fn();
        };
    }
    // Calls fn when the listing meets its nieme image.
    void CrochetListage(int nieme, std::function<void()> fn)
    {
        auto n = std::make_shared<int>(0);
        Liste->ContexteListe().Filtre = [n, nieme, fn](TCandidatFiltre &) {
            if ((*n)++ == nieme)
                fn();
            return true;
        };
    }
    QString cRepSauve() const { return Relu().ReadString("GENERAL", "cRep", ""); }
};
} // namespace

TEST_F(TachesLonguesFenetre, HandOverDuringThumbnailsIsOpenedOnceTheyAreLoaded)
{
    int nPendant = -1;
    CrochetVignettes(5, [&] {
        Fenetre->RecoitDossier(cB);
        nPendant = Liste->Modele().Nombre();
    });
    ASSERT_TRUE(Expl->OuvreDossier(cA));
    // The loop went on over the rows it had: nothing relisted them under it.
    EXPECT_EQ(nPendant, nImagesA);
    EXPECT_EQ(nAppliquees, nImagesA);
    EXPECT_EQ(Liste->Modele().Nombre(), nImagesA);
    EXPECT_EQ(Liste->plvVigs->Nombre(), nImagesA);
    // Then, from the event loop, the folder handed over.
    Vignettes->fnLigneAppliquee = nullptr;
    EXPECT_TRUE(Attend([&] { return Noms() == QStringList({"b1.jpg", "b2.jpg"}); })) << Noms().join(',').toStdString();
    EXPECT_EQ(Liste->plvVigs->Nombre(), 2);
}

TEST_F(TachesLonguesFenetre, StopDuringThumbnailsInterruptsThemThenClosesAndSavesOnce)
{
    bool lFermeeDansLaBoucle = true;
    CrochetVignettes(5, [&] {
        Fenetre->FermeSansQuestion();
        lFermeeDansLaBoucle = Fenetre->FormDestroyFait();
    });
    Expl->OuvreDossier(cA);
    EXPECT_FALSE(lFermeeDansLaBoucle);
    // Taken as an accepted interruption: the rows up to the one applied stay, without a question.
    EXPECT_EQ(Liste->Modele().Nombre(), 6);
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_TRUE(Attend([&] { return Fenetre->FormDestroyFait(); }));
    QTest::qWait(50);
    EXPECT_EQ(nSauvegardes, 1);
    EXPECT_EQ(nQuestionsQuitter, 0);
    EXPECT_FALSE(Fenetre->isVisible());
    EXPECT_EQ(AvecSeparateurFinal(cRepSauve()), cA);
    EXPECT_EQ(Fenetre->CodeSortie(), 0);
}

TEST_F(TachesLonguesFenetre, HandOverAndStopDuringAListing)
{
    // A folder handed over while the folder is walked: the walk ends, then the folder opens.
    int nPendant = -1;
    CrochetListage(3, [&] {
        Fenetre->RecoitDossier(cB);
        nPendant = Liste->Modele().Nombre();
    });
    ASSERT_TRUE(Expl->OuvreDossier(cA));
    EXPECT_EQ(nPendant, 3);
    EXPECT_EQ(Liste->Modele().Nombre(), nImagesA);
    Liste->ContexteListe().Filtre = nullptr;
    EXPECT_TRUE(Attend([&] { return Noms() == QStringList({"b1.jpg", "b2.jpg"}); }));

    // A stop while the folder is walked ends the walk as Esc would, then closes once; a folder
    // handed over meanwhile is not opened on the way out.
    CrochetListage(3, [&] {
        Fenetre->RecoitDossier(cB);
        Fenetre->FermeSansQuestion();
    });
    Expl->OuvreDossier(cA);
    EXPECT_LT(Liste->Modele().Nombre(), nImagesA);
    EXPECT_FALSE(Fenetre->FormDestroyFait());
    EXPECT_TRUE(Attend([&] { return Fenetre->FormDestroyFait(); }));
    QTest::qWait(50);
    EXPECT_EQ(nSauvegardes, 1);
    EXPECT_EQ(nQuestionsQuitter, 0);
    EXPECT_EQ(AvecSeparateurFinal(cRepSauve()), cA);
}

TEST_F(TachesLonguesFenetre, HandOverAndStopDuringARemakeUnderTheProgressWindow)
{
    ASSERT_TRUE(Expl->OuvreDossier(cA));
    ASSERT_EQ(Liste->Modele().Nombre(), nImagesA);

    int nPendant = -1;
    CrochetVignettes(5, [&] {
        Fenetre->RecoitDossier(cB);
        nPendant = Liste->Modele().Nombre();
    });
    Vignettes->miVigsVigsEnregRecreerClick(TPorteeVignettes::Toutes);
    EXPECT_EQ(nPendant, nImagesA);
    EXPECT_EQ(nAppliquees, nImagesA);
    Vignettes->fnLigneAppliquee = nullptr;
    EXPECT_TRUE(Attend([&] { return Noms() == QStringList({"b1.jpg", "b2.jpg"}); }));

    ASSERT_TRUE(Expl->OuvreDossier(cA));
    CrochetVignettes(5, [&] { Fenetre->FermeSansQuestion(); });
    Vignettes->miVigsVigsEnregRecreerClick(TPorteeVignettes::Toutes);
    // The progress window took the stop as a confirmed Esc, without asking.
    EXPECT_EQ(nAppliquees, 6);
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_FALSE(Fenetre->FormDestroyFait());
    EXPECT_TRUE(Attend([&] { return Fenetre->FormDestroyFait(); }));
    QTest::qWait(50);
    EXPECT_EQ(nSauvegardes, 1);
    EXPECT_EQ(nQuestionsQuitter, 0);
}

TEST_F(TachesLonguesFenetre, HangUpSignalDuringThumbnailsClosesAndSaves)
{
    TSignauxArret Signaux;
    ASSERT_TRUE(Signaux.Installe());
    QObject::connect(&Signaux, &TSignauxArret::ArretDemande, Fenetre.get(), &TfmMainKX::FermeSansQuestion);
    CrochetVignettes(2, [] { ::raise(SIGHUP); });
    Expl->OuvreDossier(cA);
    EXPECT_TRUE(Attend([&] { return Fenetre->FormDestroyFait(); }));
    QTest::qWait(50);
    EXPECT_EQ(nSauvegardes, 1);
    EXPECT_EQ(nQuestionsQuitter, 0);
    EXPECT_EQ(AvecSeparateurFinal(cRepSauve()), cA);
}

TEST_F(TachesLonguesFenetre, ARefusedStopCloseLeavesTheQuitQuestionInPlace)
{
    // Something else refuses the close once (as a progress window's input block did).
    struct TRefus : QObject
    {
        bool lActif = true;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (lActif && e->type() == QEvent::Close) {
                e->ignore();
                return true;
            }
            return false;
        }
    } Refus;
    qApp->installEventFilter(&Refus);
    Fenetre->FermeSansQuestion();
    qApp->removeEventFilter(&Refus);
    EXPECT_FALSE(Fenetre->FormDestroyFait());
    EXPECT_FALSE(TTachesLongues::Etat().ArretDemande());

    // "Quitter" still asks; No keeps the program running.
    Controle<QPushButton>("btQuitter")->click();
    EXPECT_EQ(nQuestionsQuitter, 1);
    EXPECT_FALSE(Fenetre->FormDestroyFait());
    EXPECT_EQ(nSauvegardes, 0);
    // And a listing after it is not cut short by a stale stop.
    ASSERT_TRUE(Expl->OuvreDossier(cA));
    EXPECT_EQ(Liste->Modele().Nombre(), nImagesA);
}

TEST_F(TachesLonguesFenetre, StopWhileTheQuitQuestionIsOpenClosesAndSaves)
{
    Messages->fnQuitter = [this] {
        ++nQuestionsQuitter;
        Fenetre->FermeSansQuestion(); // the signal arrives; the user has not answered
        return false;
    };
    Controle<QPushButton>("btQuitter")->click();
    EXPECT_TRUE(Fenetre->FormDestroyFait());
    EXPECT_FALSE(Fenetre->isVisible());
    EXPECT_EQ(nQuestionsQuitter, 1);
    EXPECT_EQ(nSauvegardes, 1);
}

TEST_F(TachesLonguesFenetre, AClickInTheTreeListsFromAQueuedCall)
{
    ASSERT_TRUE(Expl->OuvreDossier(cA));
    Expl->tvReps->ChoisitDossier(cB); // as a click does
    // The tree shows the new folder first; the old list is still there.
    EXPECT_EQ(AvecSeparateurFinal(Expl->DossierCourant()), cB);
    EXPECT_EQ(Liste->Modele().Nombre(), nImagesA);
    EXPECT_TRUE(Attend([&] { return Noms() == QStringList({"b1.jpg", "b2.jpg"}); }));
    EXPECT_EQ(Expl->cbHistoReps->itemText(0), cB);
}

TEST_F(TachesLonguesFenetre, AFailedSaveAtCloseIsShownAndTriedAgain)
{
    Contexte->Parametres.lMsgConfQuitAppli = false;
    // The data folder becomes unreachable: a file stands where it was.
    const QString cDonnees = QDir::cleanPath(E.cDossierDefaut);
    ASSERT_TRUE(QDir().rename(cDonnees, cDonnees + ".ailleurs"));
    QFile Obstacle(cDonnees);
    ASSERT_TRUE(Obstacle.open(QIODevice::WriteOnly));
    Obstacle.close();
    Messages->Reponses = {true, false};
    Controle<QPushButton>("btQuitter")->click();
    EXPECT_TRUE(Fenetre->FormDestroyFait());
    EXPECT_EQ(nSauvegardes, 2);
    ASSERT_EQ(Messages->Montres.size(), 2);
    for (const auto &m : Messages->Montres) {
        EXPECT_EQ(m.cTitre, "Erreur");
        EXPECT_TRUE(m.cTexte.contains("KX_Setup.ini")) << m.cTexte.toStdString();
        EXPECT_TRUE(m.cTexte.contains("KX_BDD.ini")) << m.cTexte.toStdString();
    }
    EXPECT_NE(Fenetre->CodeSortie(), 0);
}

TEST_F(TachesLonguesFenetre, ASaveTriedAgainAfterTheUserMadeRoomSucceeds)
{
    Contexte->Parametres.lMsgConfQuitAppli = false;
    const QString cDonnees = QDir::cleanPath(E.cDossierDefaut);
    ASSERT_TRUE(QDir().rename(cDonnees, cDonnees + ".ailleurs"));
    QFile Obstacle(cDonnees);
    ASSERT_TRUE(Obstacle.open(QIODevice::WriteOnly));
    Obstacle.close();
    Messages->fnAvantReponse = [&] {
        QFile::remove(cDonnees);
        QDir().rename(cDonnees + ".ailleurs", cDonnees);
    };
    Messages->Reponses = {true};
    Controle<QPushButton>("btQuitter")->click();
    EXPECT_EQ(nSauvegardes, 2);
    EXPECT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Fenetre->CodeSortie(), 0);
    EXPECT_EQ(Relu().ReadString("GENERAL", "kcVersion", ""), "v 1.44");
}

TEST_F(TachesLonguesFenetre, AStopWithAFailedSaveAsksNobodyAndEndsWithAFailureStatus)
{
    const QString cDonnees = QDir::cleanPath(E.cDossierDefaut);
    ASSERT_TRUE(QDir().rename(cDonnees, cDonnees + ".ailleurs"));
    QFile Obstacle(cDonnees);
    ASSERT_TRUE(Obstacle.open(QIODevice::WriteOnly));
    Obstacle.close();
    Messages->Reponses = {true, true};
    Fenetre->FermeSansQuestion();
    EXPECT_TRUE(Fenetre->FormDestroyFait());
    EXPECT_EQ(nSauvegardes, 1);
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_NE(Fenetre->CodeSortie(), 0);
}
