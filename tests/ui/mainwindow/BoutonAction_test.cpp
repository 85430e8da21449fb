// A bar button and its menu action as one command.
#include "mainwindow/BoutonAction.h"

#include <QAction>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <gtest/gtest.h>

namespace
{

struct BoutonActionTest : ::testing::Test
{
    QWidget Barre;
    QHBoxLayout *Rangee = new QHBoxLayout(&Barre);
    QObject Proprietaire;
};

TEST_F(BoutonActionTest, BarTakesTheButtonAtItsPlaceAndTheActionItsCaptionWhenItHasNone)
{
    Rangee->addStretch(1);
    auto *Neuve = new QAction(&Proprietaire);
    QPushButton *b = AjouteBoutonBarre(&Barre, "btVignette", "Vignette", "Sauvegarder la vignette", Neuve, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Rangee->indexOf(b), 0);
    EXPECT_EQ(b->objectName(), "btVignette");
    EXPECT_EQ(b->toolTip(), "Sauvegarder la vignette");
    EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(Neuve->text(), "Vignette");
    EXPECT_EQ(Neuve->objectName(), "acVignette");
    EXPECT_EQ(ActionDuBouton(b), Neuve);

    // A feature's action keeps its caption and name; the button keeps its short text.
    auto *Propre = new QAction("&Calendrier...", &Proprietaire);
    Propre->setObjectName("miCalendrier");
    QPushButton *c = AjouteBoutonBarre(&Barre, "btCalendrier", "Calendrier", "Calendrier des images", Propre);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(Rangee->indexOf(c), Rangee->count() - 1);
    EXPECT_EQ(Propre->text(), "&Calendrier...");
    EXPECT_EQ(Propre->objectName(), "miCalendrier");
    EXPECT_EQ(c->text(), "Calendrier");

    // No row, no button; and a button is bound once only.
    QWidget SansRangee;
    EXPECT_EQ(AjouteBoutonBarre(&SansRangee, "btX", "X", "", new QAction(&Proprietaire)), nullptr);
    LieBoutonAction(b, Propre);
    EXPECT_EQ(ActionDuBouton(b), Neuve);
    EXPECT_EQ(ActionDuBouton(&SansRangee), nullptr);
}

TEST_F(BoutonActionTest, EitherSideRunsBothHandlersOnce)
{
    auto *a = new QAction("&Copier...", &Proprietaire);
    QPushButton *b = AjouteBoutonBarre(&Barre, "btCopie", "Copier", "", a);
    QSignalSpy Clics(b, &QAbstractButton::clicked);
    QSignalSpy Declenchements(a, &QAction::triggered);
    b->click();
    EXPECT_EQ(Clics.size(), 1);
    EXPECT_EQ(Declenchements.size(), 1);
    a->trigger();
    EXPECT_EQ(Clics.size(), 2);
    EXPECT_EQ(Declenchements.size(), 2);
    // Disabled, neither side runs.
    a->setEnabled(false);
    b->click();
    a->trigger();
    EXPECT_EQ(Clics.size(), 2);
    EXPECT_EQ(Declenchements.size(), 2);
}

TEST_F(BoutonActionTest, CheckableButtonIsSetNeverClickedTwice)
{
    auto *a = new QAction("&Coup de coeur", &Proprietaire);
    a->setCheckable(true);
    QPushButton *b = AjouteBoutonBarre(&Barre, "btCDC", "", "", a);
    ASSERT_TRUE(b->isCheckable());
    QSignalSpy Bascules(b, &QAbstractButton::toggled);
    QSignalSpy Clics(b, &QAbstractButton::clicked);
    a->trigger();
    EXPECT_TRUE(b->isChecked());
    ASSERT_EQ(Bascules.size(), 1);
    ASSERT_EQ(Clics.size(), 1);
    EXPECT_TRUE(Clics.at(0).at(0).toBool());
    // The button clicked: the action follows and reports the new state.
    QSignalSpy Declenchements(a, &QAction::triggered);
    b->click();
    EXPECT_FALSE(a->isChecked());
    ASSERT_EQ(Declenchements.size(), 1);
    EXPECT_FALSE(Declenchements.at(0).at(0).toBool());
    // Set by a handler on either side, both show it.
    b->setChecked(true);
    EXPECT_TRUE(a->isChecked());
    a->setChecked(false);
    EXPECT_FALSE(b->isChecked());
}

TEST_F(BoutonActionTest, EnabledStateIsOneWhicheverSideSetsIt)
{
    auto *a = new QAction(&Proprietaire);
    a->setEnabled(false);
    // The action's state, set before the button existed, wins.
    QPushButton *b = AjouteBoutonBarre(&Barre, "btSupprime", "Supprimer", "", a);
    EXPECT_FALSE(b->isEnabled());
    a->setEnabled(true);
    EXPECT_TRUE(b->isEnabled());
    b->setEnabled(false);
    EXPECT_FALSE(a->isEnabled());
    b->setEnabled(true);
    EXPECT_TRUE(a->isEnabled());
    // A disabled bar greys the button without changing what the rule says.
    Barre.setEnabled(false);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(a->isEnabled());
    Barre.setEnabled(true);
    EXPECT_TRUE(b->isEnabled());
    // A tool button's action is its default one.
    QToolButton t;
    auto *d = new QAction(&Proprietaire);
    t.setDefaultAction(d);
    EXPECT_EQ(ActionDuBouton(&t), d);
}

} // namespace
