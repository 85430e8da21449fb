#include "components/ExpColPanel.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

TEST(ExpColPanel, CollapsesToNinePixelsAndReturnsToItsReferenceSize)
{
    QWidget fenetre;
    auto *lay = new QHBoxLayout(&fenetre);
    auto *p = new TExpColPanel(paLeft, &fenetre);
    auto *pl = new QVBoxLayout(p);
    auto *lbVisible = new QLabel(QStringLiteral("Commandes"), p);
    auto *lbCache = new QLabel(QStringLiteral("Caché"), p);
    pl->addWidget(lbVisible);
    pl->addWidget(lbCache);
    lbCache->hide();
    lay->addWidget(p);
    lay->addWidget(new QLabel(QStringLiteral("Reste"), &fenetre), 1);
    p->set_LargHautRef(260);
    fenetre.resize(600, 300);
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));
    EXPECT_EQ(p->width(), 260);

    QSignalSpy spyCol(p, &TExpColPanel::_OnCollapsed);
    QSignalSpy spyExp(p, &TExpColPanel::_OnExpanded);
    QTest::mouseClick(p->Bouton(), Qt::LeftButton);
    fenetre.layout()->activate();
    EXPECT_EQ(p->_PanelState(), psCollapsed);
    EXPECT_EQ(p->width(), 9);
    EXPECT_FALSE(lbVisible->isVisible());
    EXPECT_TRUE(p->Bouton()->isVisible());
    EXPECT_EQ(spyCol.count(), 1);
    EXPECT_EQ(spyExp.count(), 0);

    // A new reference while collapsed is what the expansion goes back to.
    p->set_LargHautRef(300);
    fenetre.layout()->activate();
    EXPECT_EQ(p->width(), 9);
    p->set_PanelState(psExpanded);
    fenetre.layout()->activate();
    EXPECT_EQ(p->width(), 300);
    EXPECT_TRUE(lbVisible->isVisible());
    EXPECT_FALSE(lbCache->isVisible());
    EXPECT_EQ(spyExp.count(), 1);
    // Setting the same state again changes nothing.
    p->set_PanelState(psExpanded);
    EXPECT_EQ(spyExp.count(), 1);
    // The strip runs along the right edge, the button at its top.
    EXPECT_EQ(p->Bande()->geometry(), QRect(300 - 9, 0, 9, p->height()));
    EXPECT_EQ(p->Bouton()->geometry(), QRect(300 - 9, 0, 9, 9));
    // Expanded, a new reference applies at once.
    p->set_LargHautRef(220);
    fenetre.layout()->activate();
    EXPECT_EQ(p->width(), 220);
}

TEST(ExpColPanel, TopPaneCollapsesItsHeightWithTheStripAtTheBottom)
{
    QWidget fenetre;
    auto *lay = new QVBoxLayout(&fenetre);
    auto *p = new TExpColPanel(paTop, &fenetre);
    p->set_LargHautRef(85);
    lay->addWidget(p);
    lay->addStretch(1);
    fenetre.resize(400, 400);
    fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fenetre));
    EXPECT_EQ(p->height(), 85);
    EXPECT_EQ(p->Bande()->geometry(), QRect(0, 85 - 9, p->width(), 9));
    p->set_PanelState(psCollapsed);
    fenetre.layout()->activate();
    EXPECT_EQ(p->height(), 9);
    EXPECT_EQ(p->Bouton()->geometry().topLeft(), QPoint(0, 0));
    p->set_PanelState(psExpanded);
    fenetre.layout()->activate();
    EXPECT_EQ(p->height(), 85);
}

TEST(ExpColPanel, GlyphShowsThePlusAndTheDirection)
{
    TExpColPanel p(paLeft);
    const QRgb bleu = QColor(Qt::blue).rgb();
    const QRgb blanc = QColor(Qt::white).rgb();
    QImage g = p.Glyphe(Qt::white);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(g.pixel(2, i), bleu);
        EXPECT_EQ(g.pixel(i, 2), bleu);
    }
    EXPECT_EQ(g.pixel(1, 1), bleu);
    EXPECT_EQ(g.pixel(1, 3), bleu);
    EXPECT_EQ(g.pixel(1, 4), blanc);
    EXPECT_EQ(g.pixel(3, 1), blanc);
    p.set_PanelState(psCollapsed);
    g = p.Glyphe(Qt::white);
    EXPECT_EQ(g.pixel(3, 1), bleu);
    EXPECT_EQ(g.pixel(1, 1), blanc);

    TExpColPanel haut(paTop);
    haut.set_ArrowsColor(Qt::red);
    g = haut.Glyphe(Qt::white);
    EXPECT_EQ(g.pixel(1, 1), QColor(Qt::red).rgb());
    EXPECT_EQ(g.pixel(3, 1), QColor(Qt::red).rgb());
    EXPECT_EQ(g.pixel(4, 1), blanc);
    EXPECT_EQ(g.pixel(1, 3), blanc);
}
