#include "mainwindow/Demarrage_fm.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
// A splash window on a clock the test moves, recording each wait with what it showed then.
struct DemarrageTest : ::testing::Test
{
    TfmDemarrage Fenetre;
    qint64 nMaintenant = 5000;
    struct TAttente
    {
        int nMs;
        bool lVisible;
        QString cTexte;
    };
    QList<TAttente> Attentes;

    void SetUp() override
    {
        Fenetre.fnHorloge = [this] { return nMaintenant; };
        Fenetre.fnAttend = [this](int nMs) {
            Attentes.append({nMs, Fenetre.isVisible(), Fenetre.stLancement->text()});
            nMaintenant += nMs;
        };
        Fenetre.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Fenetre));
    }
};
} // namespace

TEST_F(DemarrageTest, CleanUpCountStaysReadableBeforeTheWindowGoes)
{
    for (int n = 0; n <= TfmDemarrage::nDerniereEtape; ++n)
        Fenetre.Etape(n);
    const QString cCompte = QString::fromUtf8("3 information(s) d'images inexistantes supprimée(s).");
    Fenetre.AfficheTexte(cCompte);
    nMaintenant += 150;
    Fenetre.hide();
    ASSERT_EQ(Attentes.size(), 2);
    // Still on screen with the count for the rest of its time, then the usual pause, cleared.
    EXPECT_EQ(Attentes[0].nMs, TfmDemarrage::nDureeTexteMs - 150);
    EXPECT_TRUE(Attentes[0].lVisible);
    EXPECT_EQ(Attentes[0].cTexte, cCompte);
    EXPECT_EQ(Attentes[1].nMs, 300);
    EXPECT_FALSE(Attentes[1].lVisible);
    EXPECT_TRUE(Attentes[1].cTexte.isEmpty());
}

TEST_F(DemarrageTest, AStartWithNothingToSayIsNotSlowed)
{
    for (int n = 0; n <= TfmDemarrage::nDerniereEtape; ++n)
        Fenetre.Etape(n);
    EXPECT_EQ(Fenetre.stLancement->text(), QString::fromUtf8("Suppression des vignettes dont l'image n'existe plus."));
    Fenetre.hide();
    ASSERT_EQ(Attentes.size(), 1);
    EXPECT_EQ(Attentes[0].nMs, 300);
}

TEST_F(DemarrageTest, ACountShownLongEnoughAgoAddsNoWait)
{
    Fenetre.AfficheTexte("1 information(s) d'images inexistantes supprimée(s).");
    nMaintenant += TfmDemarrage::nDureeTexteMs + 1;
    Fenetre.hide();
    ASSERT_EQ(Attentes.size(), 1);
    EXPECT_EQ(Attentes[0].nMs, 300);
}
