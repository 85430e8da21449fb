#include "treatments/NoirEtBlanc_fm.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace
{
QColor Fond(const QLabel *l)
{
    return l->palette().color(QPalette::Window);
}
} // namespace

TEST(NoirEtBlanc, StartsFromTheTextAndShowsAHundredOnTheButtonFace)
{
    TfmNoirEtBlanc fm("{ 30: 60: 10}");
    EXPECT_EQ(fm.windowTitle(), "Noir et Blanc");
    EXPECT_EQ(fm.edPCTRouge->value(), 30);
    EXPECT_EQ(fm.tbPCTVert->value(), 60);
    EXPECT_EQ(fm.edPCTBleu->value(), 10);
    EXPECT_EQ(fm.stSomme->text(), "Somme = 100");
    EXPECT_EQ(Fond(fm.stSomme), fm.palette().color(QPalette::Button));
    EXPECT_EQ(fm.cParametre(), "{ 30: 60: 10}");
}

TEST(NoirEtBlanc, SumAboveAHundredIsRedAndBelowIsGrey)
{
    TfmNoirEtBlanc fm("{ 30: 60: 10}");
    fm.tbPCTBleu->setValue(20);
    EXPECT_EQ(fm.edPCTBleu->value(), 20);
    EXPECT_EQ(fm.stSomme->text(), "Somme = 110");
    EXPECT_EQ(Fond(fm.stSomme), QColor(Qt::red));
    EXPECT_TRUE(fm.btOK->isEnabled());
    fm.edPCTRouge->setValue(0);
    EXPECT_EQ(fm.tbPCTRouge->value(), 0);
    EXPECT_EQ(fm.stSomme->text(), "Somme = 80");
    EXPECT_EQ(Fond(fm.stSomme), QColor(128, 128, 128));
    EXPECT_EQ(fm.cParametre(), "{  0: 60: 20}");
}

TEST(NoirEtBlanc, IdealSetsThirtySixtyTenAndEachChangeIsSignalled)
{
    TfmNoirEtBlanc fm("{abc:def:ghi}"); // a damaged text starts at 0, 0, 0
    EXPECT_EQ(fm.stSomme->text(), "Somme = 0");
    QSignalSpy Spy(&fm, &TfmNoirEtBlanc::ParametreModifie);
    EXPECT_EQ(fm.btIdeal->text(), "&Idéal");
    fm.btIdeal->click();
    EXPECT_EQ(fm.cParametre(), "{ 30: 60: 10}");
    EXPECT_EQ(fm.tbPCTVert->value(), 60);
    ASSERT_FALSE(Spy.isEmpty());
    EXPECT_EQ(Spy.last().at(0).toString(), "{ 30: 60: 10}");
}

TEST(NoirEtBlanc, AnEmptiedSpinBoxGetsItsValueBackWhenLeft)
{
    TfmNoirEtBlanc fm("{ 30: 60: 10}");
    fm.show();
    fm.edPCTVert->setFocus();
    QLineEdit *Saisie = fm.edPCTVert->findChild<QLineEdit *>();
    ASSERT_NE(Saisie, nullptr);
    Saisie->clear();
    EXPECT_EQ(fm.edPCTVert->text(), "");
    QFocusEvent Sortie(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(fm.edPCTVert, &Sortie);
    EXPECT_EQ(fm.edPCTVert->text(), "60");
    EXPECT_EQ(fm.cParametre(), "{ 30: 60: 10}");
}
