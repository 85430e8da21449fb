#include "components/GaugeWindow.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <climits>
#include <gtest/gtest.h>

namespace
{
// A main window with one command button, and a task of 100 items run under the gauge.
struct FenetreTest
{
    QWidget principal;
    QPushButton *bt = nullptr;
    int nCommandes = 0;
    FenetreTest()
    {
        auto *lay = new QVBoxLayout(&principal);
        bt = new QPushButton(QStringLiteral("Commande"), &principal);
        lay->addWidget(bt);
        QObject::connect(bt, &QPushButton::clicked, [this] { ++nCommandes; });
        principal.resize(200, 100);
        principal.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&principal));
    }
};
}

TEST(GaugeWindow, EscStopsTheTaskAndNothingElseRunsMeanwhile)
{
    FenetreTest f;
    TGaugeWindow g(&f.principal);
    QStringList lQuestions;
    g.setQuestion([&](const QString &cTitre, const QString &cTexte) {
        lQuestions << cTitre + QLatin1Char('|') + cTexte;
        return true;
    });
    int nTraites = 0;
    bool lInterrompu = false;
    bool lFermee = true;
    g.Demarre(QStringLiteral("Indexation"), 0, 0, 99);
    EXPECT_TRUE(TGaugeWindow::TacheEnCours());
    EXPECT_TRUE(g.Fenetre()->isVisible());
    EXPECT_EQ(g.Fenetre()->windowTitle(), "Indexation");
    for (int i = 0; i < 100; ++i) {
        g.set_GaugeCurValue(i);
        ++nTraites;
        if (i == 10) {
            QTest::mouseClick(f.bt, Qt::LeftButton);
            QTest::keyClick(f.bt, Qt::Key_Space);
            lFermee = f.principal.close();
            QTest::keyClick(&f.principal, Qt::Key_Escape);
        }
        if (g.Interrompu()) {
            lInterrompu = true;
            break;
        }
    }
    EXPECT_TRUE(lInterrompu);
    EXPECT_EQ(nTraites, 11);
    EXPECT_EQ(f.nCommandes, 0);
    EXPECT_FALSE(lFermee);
    EXPECT_TRUE(f.principal.isVisible());
    EXPECT_EQ(lQuestions, QStringList{QStringLiteral("Attention|Interrompre le traitement ?")});
    g.Arrete();
    EXPECT_FALSE(TGaugeWindow::TacheEnCours());
    EXPECT_FALSE(g.Fenetre()->isVisible());
    // Once the task is over the same command and the close are accepted again.
    QTest::mouseClick(f.bt, Qt::LeftButton);
    EXPECT_EQ(f.nCommandes, 1);
    EXPECT_TRUE(f.principal.close());
}

TEST(GaugeWindow, AnsweringNoGoesOnAndAsksOnlyAfterEsc)
{
    FenetreTest f;
    TGaugeWindow g(&f.principal);
    int nQuestions = 0;
    g.setQuestion([&](const QString &, const QString &) {
        ++nQuestions;
        return false;
    });
    g.Demarre(QStringLiteral("Copie"), 0, 0, 9);
    EXPECT_FALSE(g.Interrompu());
    EXPECT_EQ(nQuestions, 0);
    QTest::keyClick(g.Fenetre(), Qt::Key_Escape);
    EXPECT_FALSE(g.Interrompu());
    EXPECT_EQ(nQuestions, 1);
    // The Esc was answered: it does not ask again on the next item.
    EXPECT_FALSE(g.Interrompu());
    EXPECT_EQ(nQuestions, 1);
    g.Arrete();
}

TEST(GaugeWindow, EmptyAndSingleItemRangesDoNotDivideByZero)
{
    EXPECT_EQ(TGaugeWindow::Millieme(0, 0, 0), 0);
    EXPECT_EQ(TGaugeWindow::Millieme(0, 1, 0), 1000);
    EXPECT_EQ(TGaugeWindow::Millieme(5, 5, 5), 0);
    EXPECT_EQ(TGaugeWindow::Millieme(3, 0, 1), 0); // maximum below the minimum
    EXPECT_EQ(TGaugeWindow::Millieme(0, 50, 100), 500);
    EXPECT_EQ(TGaugeWindow::Millieme(0, 150, 100), 1000);
    EXPECT_EQ(TGaugeWindow::Millieme(0, -5, 100), 0);
    EXPECT_EQ(TGaugeWindow::Millieme(INT_MIN, 0, INT_MAX), 500);

    FenetreTest f;
    TGaugeWindow g(&f.principal);
    g.Demarre(QStringLiteral("Rien"), 0, 0, 0);
    g.set_GaugeCurValue(0);
    EXPECT_EQ(g.Jauge()->value(), 0);
    g.set_GaugeMaxValue(1);
    g.set_GaugeCurValue(1);
    EXPECT_EQ(g.Jauge()->value(), g.Jauge()->maximum());
    g.Arrete();
}

TEST(GaugeWindow, WindowHasTheRequiredSizeAndStaysOnTop)
{
    TGaugeWindow g;
    EXPECT_EQ(g._WindowWidth, 300);
    EXPECT_EQ(g._WindowHeight, 48);
    EXPECT_EQ(g._GaugeMinValue(), 0);
    EXPECT_EQ(g._GaugeMaxValue(), 100);
    g.Demarre(QStringLiteral("Album"), 0, 0, 10);
    EXPECT_EQ(g.Fenetre()->size(), QSize(300, 48));
    EXPECT_TRUE(g.Fenetre()->windowFlags() & Qt::WindowStaysOnTopHint);
    g.Arrete();
}
