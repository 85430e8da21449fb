#include "components/Separateur.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
// Presses, drags and releases the left button over a widget, in global coordinates.
void Glisse(QWidget *w, QPoint Depart, QPoint Arrivee)
{
    const auto Envoie = [w](QEvent::Type t, QPoint g, Qt::MouseButton b, Qt::MouseButtons bs) {
        QMouseEvent e(t, QPointF(w->mapFromGlobal(g)), QPointF(g), b, bs, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    Envoie(QEvent::MouseButtonPress, Depart, Qt::LeftButton, Qt::LeftButton);
    Envoie(QEvent::MouseMove, (Depart + Arrivee) / 2, Qt::NoButton, Qt::LeftButton);
    Envoie(QEvent::MouseMove, Arrivee, Qt::NoButton, Qt::LeftButton);
    Envoie(QEvent::MouseButtonRelease, Arrivee, Qt::LeftButton, Qt::NoButton);
}

struct SeparateurTest : ::testing::Test
{
    QWidget Fenetre;
    QFrame *Bande = new QFrame(&Fenetre);
    int nLargeur = 200;
    TSeparateur *sp = new TSeparateur(
        Qt::Vertical, [this] { return nLargeur; }, [this](int n) { nLargeur = n; }, &Fenetre);

    void SetUp() override
    {
        Bande->setGeometry(200, 0, 9, 300);
        sp->setMinimum(150);
        Fenetre.resize(400, 300);
        Fenetre.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Fenetre));
    }
};
} // namespace

TEST_F(SeparateurTest, TheBarItselfMovesThePane)
{
    EXPECT_EQ(sp->width(), TSeparateur::nEpaisseur);
    const QPoint g = sp->mapToGlobal(QPoint(1, 50));
    Glisse(sp, g, g + QPoint(30, 7));
    EXPECT_EQ(nLargeur, 230);
    // Never below its minimum.
    Glisse(sp, g, g - QPoint(200, 0));
    EXPECT_EQ(nLargeur, 150);
}

TEST_F(SeparateurTest, AStripTakenAsHandleMovesThePaneAndTheBarTakesNoRoom)
{
    sp->PrendPoignee(Bande);
    EXPECT_EQ(sp->width(), 0);
    EXPECT_EQ(Bande->cursor().shape(), Qt::SplitHCursor);
    const QPoint g = Bande->mapToGlobal(QPoint(4, 100));
    Glisse(Bande, g, g + QPoint(40, 0));
    EXPECT_EQ(nLargeur, 240);

    // Hidden with its collapsed pane, the splitter leaves the strip alone.
    sp->hide();
    EXPECT_NE(Bande->cursor().shape(), Qt::SplitHCursor);
    Glisse(Bande, g, g + QPoint(40, 0));
    EXPECT_EQ(nLargeur, 240);
    sp->show();
    EXPECT_EQ(Bande->cursor().shape(), Qt::SplitHCursor);
    Glisse(Bande, g, g - QPoint(10, 0));
    EXPECT_EQ(nLargeur, 230);
}
