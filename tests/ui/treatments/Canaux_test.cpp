#include "treatments/Canaux_fm.h"

#include <QApplication>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{
QStringList Ordre(const TfmCanaux &fm)
{
    QStringList c;
    for (int i = 0; i < fm.lbOrdre->count(); ++i)
        c << fm.lbOrdre->item(i)->text();
    return c;
}

// The groups from top to bottom as laid out on screen.
QList<QGroupBox *> Disposition(TfmCanaux &fm)
{
    fm.show();
    QApplication::processEvents();
    QList<QGroupBox *> g{fm.gbDominantes, fm.gbAffectations, fm.gbInversions};
    std::sort(g.begin(), g.end(), [](QGroupBox *a, QGroupBox *b) {
        return a->mapTo(a->window(), QPoint()).y() < b->mapTo(b->window(), QPoint()).y();
    });
    return g;
}

QColor Fond(const QGroupBox *g)
{
    return g->palette().color(QPalette::Window);
}
} // namespace

TEST(Canaux, StartsFromTheTextWithItsButtonsAndOrder)
{
    TfmCanaux fm("{I=3:D=1:A=0}");
    EXPECT_EQ(fm.windowTitle(), "Canaux");
    EXPECT_TRUE(fm.btInvVertBleu->isChecked());
    EXPECT_TRUE(fm.btDomRouge->isChecked());
    EXPECT_FALSE(fm.btAffRougeVert->isChecked());
    EXPECT_EQ(fm.btInvVertBleu->text(), "Vert <-> Bleu");
    EXPECT_EQ(fm.btAffBleuRouge->text(), "Bleu <- Rouge");
    EXPECT_EQ(Ordre(fm), (QStringList{"Inversions", "Dominantes", "Affectations"}));
    EXPECT_EQ(Disposition(fm), (QList<QGroupBox *>{fm.gbInversions, fm.gbDominantes, fm.gbAffectations}));
    EXPECT_EQ(fm.cParametre(), "{I=3:D=1:A=0}");
    EXPECT_TRUE(fm.btOK->isEnabled());
}

TEST(Canaux, UnknownOrRepeatedLettersFallBackToTheMissingGroups)
{
    TfmCanaux fm("{Z=1:D=2:D=3}");
    EXPECT_EQ(Ordre(fm), (QStringList{"Dominantes", "Affectations", "Inversions"}));
    EXPECT_TRUE(fm.btDomVerte->isChecked());
    EXPECT_FALSE(fm.btDomBleue->isChecked());
    EXPECT_EQ(fm.cParametre(), "{D=2:A=0:I=0}");
}

TEST(Canaux, AtMostOneButtonPerGroupAndASecondClickRaisesIt)
{
    TfmCanaux fm("{D=0:A=0:I=0}");
    EXPECT_FALSE(fm.btOK->isEnabled());
    EXPECT_EQ(Fond(fm.gbDominantes), fm.palette().color(QPalette::Dark));
    fm.btDomRouge->click();
    EXPECT_TRUE(fm.btOK->isEnabled());
    EXPECT_EQ(Fond(fm.gbDominantes), fm.palette().color(QPalette::Button));
    EXPECT_EQ(Fond(fm.gbAffectations), fm.palette().color(QPalette::Dark));
    fm.btDomCyan->click();
    EXPECT_FALSE(fm.btDomRouge->isChecked());
    EXPECT_TRUE(fm.btDomCyan->isChecked());
    fm.btAffVertBleu->click(); // another group keeps its own
    EXPECT_TRUE(fm.btDomCyan->isChecked());
    EXPECT_EQ(fm.cParametre(), "{D=6:A=4:I=0}");
    fm.btDomCyan->click();
    EXPECT_FALSE(fm.btDomCyan->isChecked());
    EXPECT_EQ(Fond(fm.gbDominantes), fm.palette().color(QPalette::Dark));
    fm.btAffVertBleu->click();
    EXPECT_FALSE(fm.btOK->isEnabled());
    EXPECT_EQ(fm.cParametre(), "{D=0:A=0:I=0}");
}

TEST(Canaux, OrderButtonsMoveTheNameTheLayoutAndTheText)
{
    TfmCanaux fm("{D=1:A=2:I=3}");
    QSignalSpy Spy(&fm, &TfmCanaux::ParametreModifie);
    fm.lbOrdre->setCurrentRow(0);
    EXPECT_FALSE(fm.btOrdreHaut->isEnabled());
    EXPECT_TRUE(fm.btOrdreBas->isEnabled());
    fm.btOrdreBas->click();
    EXPECT_EQ(Ordre(fm), (QStringList{"Affectations", "Dominantes", "Inversions"}));
    EXPECT_EQ(fm.lbOrdre->currentRow(), 1);
    EXPECT_EQ(fm.cParametre(), "{A=2:D=1:I=3}");
    ASSERT_FALSE(Spy.isEmpty());
    EXPECT_EQ(Spy.last().at(0).toString(), "{A=2:D=1:I=3}");
    fm.btOrdreBas->click();
    EXPECT_EQ(fm.cParametre(), "{A=2:I=3:D=1}");
    EXPECT_FALSE(fm.btOrdreBas->isEnabled());
    EXPECT_TRUE(fm.btOrdreHaut->isEnabled());
    EXPECT_EQ(Disposition(fm), (QList<QGroupBox *>{fm.gbAffectations, fm.gbInversions, fm.gbDominantes}));
    fm.lbOrdre->setCurrentRow(1);
    fm.btOrdreHaut->click();
    EXPECT_EQ(Ordre(fm), (QStringList{"Inversions", "Affectations", "Dominantes"}));
    EXPECT_EQ(Disposition(fm), (QList<QGroupBox *>{fm.gbInversions, fm.gbAffectations, fm.gbDominantes}));
}
