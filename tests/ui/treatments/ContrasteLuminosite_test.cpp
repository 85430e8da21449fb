#include "treatments/ContrasteLuminosite_fm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <gtest/gtest.h>

TEST(ContrasteLuminosite, StartsFromTheTextAndFlagsWithOkDisabledAtZero)
{
    TfmContrasteLuminosite fm("{   0:   0:   0:   0:   0:   0}", false, true);
    EXPECT_EQ(fm.windowTitle(), "Contraste, Lumiosité (en %)");
    EXPECT_EQ(fm.gbContraste->title(), "&Contraste");
    EXPECT_EQ(fm.gbLuminosite->title(), "&Luminosité");
    EXPECT_EQ(fm.cbContSynchro->text(), "Synchroniser");
    EXPECT_EQ(fm.btLumRAZ->text(), "RAZ");
    EXPECT_FALSE(fm.lSynchroC());
    EXPECT_TRUE(fm.lSynchroL());
    EXPECT_FALSE(fm.btOK->isEnabled());

    fm.tbLumPCTBleu->setValue(-5);
    EXPECT_EQ(fm.edLumPCTBleu->value(), -5);
    EXPECT_TRUE(fm.btOK->isEnabled());

    TfmContrasteLuminosite Plein("{  40: -20:   0:  10:-100: 100}", false, false);
    EXPECT_EQ(Plein.edContPCTRouge->value(), 40);
    EXPECT_EQ(Plein.tbContPCTVert->value(), -20);
    EXPECT_EQ(Plein.edLumPCTVert->value(), -100);
    EXPECT_EQ(Plein.tbLumPCTBleu->value(), 100);
    EXPECT_EQ(Plein.cParametre(), "{  40: -20:   0:  10:-100: 100}");
    EXPECT_TRUE(Plein.btOK->isEnabled());
}

TEST(ContrasteLuminosite, SynchronisedGroupMovesItsThreeValuesTogether)
{
    TfmContrasteLuminosite fm("{  10:   0:   0:   0:   0:   7}", false, false);
    fm.tbContPCTVert->setValue(25);
    EXPECT_EQ(fm.edContPCTRouge->value(), 10); // not synchronised yet
    // Checking copies red to green and blue.
    fm.cbContSynchro->setChecked(true);
    EXPECT_EQ(fm.cParametre(), "{  10:  10:  10:   0:   0:   7}");
    fm.tbContPCTBleu->setValue(-40);
    EXPECT_EQ(fm.edContPCTRouge->value(), -40);
    EXPECT_EQ(fm.tbContPCTRouge->value(), -40);
    EXPECT_EQ(fm.edContPCTVert->value(), -40);
    // The other group is not touched.
    EXPECT_EQ(fm.cParametre(), "{ -40: -40: -40:   0:   0:   7}");
    fm.edLumPCTRouge->setValue(30);
    EXPECT_EQ(fm.cParametre(), "{ -40: -40: -40:  30:   0:   7}");
    EXPECT_TRUE(fm.lSynchroC());
    EXPECT_FALSE(fm.lSynchroL());
}

TEST(ContrasteLuminosite, RazClearsItsGroupOnlyAndOkFollows)
{
    TfmContrasteLuminosite fm("{  10:  20:  30:  40:  50:  60}", false, false);
    fm.btContRAZ->click();
    EXPECT_EQ(fm.cParametre(), "{   0:   0:   0:  40:  50:  60}");
    EXPECT_EQ(fm.tbContPCTBleu->value(), 0);
    EXPECT_TRUE(fm.btOK->isEnabled());
    QSignalSpy Spy(&fm, &TfmContrasteLuminosite::ParametreModifie);
    fm.btLumRAZ->click();
    EXPECT_EQ(fm.cParametre(), "{   0:   0:   0:   0:   0:   0}");
    EXPECT_FALSE(fm.btOK->isEnabled());
    ASSERT_FALSE(Spy.isEmpty());
    EXPECT_EQ(Spy.last().at(0).toString(), "{   0:   0:   0:   0:   0:   0}");
}
