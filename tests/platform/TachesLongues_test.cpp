#include "platform/TachesLongues.h"

#include <QCoreApplication>
#include <QObject>
#include <gtest/gtest.h>

#include <memory>

namespace
{
// Each case starts from an idle state, whatever an earlier case left.
struct TachesLonguesTest : ::testing::Test
{
    TTachesLongues &T = TTachesLongues::Etat();
    QObject Destinataire;
    QStringList Faits;

    void SetUp() override
    {
        ASSERT_EQ(T.Profondeur(), 0);
        T.OublieArret();
        T.PrendEchap();
    }
    void TearDown() override
    {
        while (T.EnCours())
            T.Sort();
        QCoreApplication::processEvents();
        T.OublieArret();
    }
    std::function<void()> Note(const QString &c)
    {
        return [this, c] { Faits << c; };
    }
};
} // namespace

TEST_F(TachesLonguesTest, ActionsRunAtOnceWhenIdleAndAfterTheOutermostTaskOtherwise)
{
    T.Differe("liste", &Destinataire, Note("idle"));
    EXPECT_EQ(Faits, QStringList{"idle"});

    Faits.clear();
    T.Entre();
    T.Entre();
    T.Differe("liste", &Destinataire, Note("dossier A"));
    T.Differe("liste", &Destinataire, Note("dossier B")); // the last folder asked for wins
    T.Differe("autre", &Destinataire, Note("autre"));
    EXPECT_EQ(T.ClesEnAttente(), QStringList({"liste", "autre"}));
    T.Sort();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Faits.isEmpty()) << "an inner task ended, the outer one still runs";
    T.Sort();
    // Never from inside the code that ended the task: only from the event loop.
    EXPECT_TRUE(Faits.isEmpty());
    EXPECT_TRUE(T.ClesEnAttente().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(Faits, QStringList({"dossier B", "autre"}));
}

TEST_F(TachesLonguesTest, APostedActionWaitsAgainForATaskBegunBeforeItArrives)
{
    T.Entre();
    T.Differe("liste", &Destinataire, Note("ouvre"));
    T.Sort();
    // The first event delivered starts another task, which pumps the loop itself.
    T.Entre();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Faits.isEmpty());
    EXPECT_EQ(T.ClesEnAttente(), QStringList{"liste"});
    T.Sort();
    QCoreApplication::processEvents();
    EXPECT_EQ(Faits, QStringList{"ouvre"});
}

TEST_F(TachesLonguesTest, AStopLeavesOnlyItsOwnActionAndTheGoneAreDropped)
{
    auto Passager = std::make_unique<QObject>();
    T.Entre();
    T.Differe("liste", &Destinataire, Note("liste"));
    T.Differe("passager", Passager.get(), Note("passager"));
    T.DemandeArret();
    T.Differe(TTachesLongues::cCleArret, &Destinataire, Note("ferme"));
    EXPECT_TRUE(T.ArretDemande());
    T.Sort();
    QCoreApplication::processEvents();
    EXPECT_EQ(Faits, QStringList{"ferme"});

    // Without a stop, an action whose receiver is gone is dropped, the others run.
    Faits.clear();
    T.OublieArret();
    T.Entre();
    T.Differe("liste", &Destinataire, Note("liste"));
    T.Differe("passager", Passager.get(), Note("passager"));
    T.Sort();
    Passager.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(Faits, QStringList{"liste"});
}

TEST_F(TachesLonguesTest, EscIsTakenOnceAndForgottenWhenANewTaskBegins)
{
    T.Entre();
    T.NoteEchap();
    EXPECT_TRUE(T.PrendEchap());
    EXPECT_FALSE(T.PrendEchap());
    T.NoteEchap();
    T.Sort();
    T.Entre();
    EXPECT_FALSE(T.PrendEchap());
    T.Sort();
    // More ends than beginnings never make the count negative.
    T.Sort();
    EXPECT_EQ(T.Profondeur(), 0);
    EXPECT_FALSE(T.EnCours());
}
