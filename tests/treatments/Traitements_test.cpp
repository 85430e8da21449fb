#include "treatments/Traitements.h"

#include <gtest/gtest.h>

TEST(ParamNB, ReadsTheThreeFieldsAndWritesThemBackRightAligned)
{
    EXPECT_EQ(LitParamNB("{ 30: 60: 10}"), (TParamNB{30, 60, 10}));
    EXPECT_EQ(LitParamNB("{100:  0:  5}"), (TParamNB{100, 0, 5}));
    EXPECT_EQ(TexteParamNB({30, 60, 10}), "{ 30: 60: 10}");
    EXPECT_EQ(TexteParamNB({100, 0, 5}), "{100:  0:  5}");
}

TEST(ParamNB, DamagedOrHandEditedTextsGiveUsableValues)
{
    // A field that does not convert reads as 0.
    EXPECT_EQ(LitParamNB("{abc:def:ghi}"), (TParamNB{0, 0, 0}));
    EXPECT_EQ(LitParamNB(""), (TParamNB{0, 0, 0}));
    EXPECT_EQ(LitParamNB("{ 30"), (TParamNB{30, 0, 0}));
    EXPECT_EQ(LitParamNB("{ 30: x0: 10}"), (TParamNB{30, 0, 10}));
    // Out of 0..100: brought back into it.
    EXPECT_EQ(LitParamNB("{-50: 60:150}"), (TParamNB{0, 60, 100}));
    EXPECT_EQ(TexteParamNB({-5, 250, 7}), "{  0:100:  7}");
}

TEST(ParamCL, ReadsContrastThenLuminosityPerChannel)
{
    const TParamCL p = LitParamCL("{  40: -20:   0:  10:-100: 100}");
    EXPECT_EQ(p.nContraste, (std::array<int, 3>{40, -20, 0}));
    EXPECT_EQ(p.nLuminosite, (std::array<int, 3>{10, -100, 100}));
    EXPECT_EQ(TexteParamCL(p), "{  40: -20:   0:  10:-100: 100}");
    EXPECT_EQ(TexteParamCL(TParamCL{}), "{   0:   0:   0:   0:   0:   0}");
}

TEST(ParamCL, ClampsToPlusOrMinusAHundredAndReadsJunkAsZero)
{
    const TParamCL p = LitParamCL("{-200: 300:  ab:   7:-999:    }");
    EXPECT_EQ(p.nContraste, (std::array<int, 3>{-100, 100, 0}));
    EXPECT_EQ(p.nLuminosite, (std::array<int, 3>{7, -100, 0}));
    TParamCL q;
    q.nContraste = {-150, 0, 150};
    EXPECT_EQ(TexteParamCL(q), "{-100:   0: 100:   0:   0:   0}");
}

TEST(ParamCanaux, ReadsLettersAndDigitsInTheirStoredOrder)
{
    const TParamCanaux p = LitParamCanaux("{I=3:D=1:A=0}");
    EXPECT_EQ(p.Groupes[0], (TGroupeCanaux{u'I', 3}));
    EXPECT_EQ(p.Groupes[1], (TGroupeCanaux{u'D', 1}));
    EXPECT_EQ(p.Groupes[2], (TGroupeCanaux{u'A', 0}));
    EXPECT_EQ(TexteParamCanaux(p), "{I=3:D=1:A=0}");
    EXPECT_EQ(TexteParamCanaux(TParamCanaux{}), "{D=0:A=0:I=0}");
}

TEST(ParamCanaux, ANonDigitIsMarkedAndWrittenAsZero)
{
    const TParamCanaux p = LitParamCanaux("{D=x:A");
    EXPECT_EQ(p.Groupes[0].nChiffre, -1);
    EXPECT_EQ(p.Groupes[1].cLettre, u'A');
    EXPECT_EQ(p.Groupes[1].nChiffre, -1);
    EXPECT_EQ(p.Groupes[2].cLettre, QChar());
}

TEST(ParamCanaux, GroupNamesAndCaptionsFollowTheDigitTable)
{
    EXPECT_EQ(NomGroupeCanaux(u'D'), "Dominantes");
    EXPECT_EQ(NomGroupeCanaux(u'A'), "Affectations");
    EXPECT_EQ(NomGroupeCanaux(u'I'), "Inversions");
    EXPECT_EQ(NomGroupeCanaux(u'Z'), "");
    EXPECT_EQ(NbChoixGroupeCanaux(u'D'), 6);
    EXPECT_EQ(NbChoixGroupeCanaux(u'A'), 6);
    EXPECT_EQ(NbChoixGroupeCanaux(u'I'), 3);
    EXPECT_EQ(LibelleChoixCanaux(u'D', 4), "Violette");
    EXPECT_EQ(LibelleChoixCanaux(u'D', 6), "Cyan");
    EXPECT_EQ(LibelleChoixCanaux(u'A', 2), "Rouge <- Bleu");
    EXPECT_EQ(LibelleChoixCanaux(u'A', 5), "Bleu <- Rouge");
    EXPECT_EQ(LibelleChoixCanaux(u'I', 3), "Vert <-> Bleu");
    EXPECT_EQ(LibelleChoixCanaux(u'I', 4), "");
    EXPECT_EQ(LibelleChoixCanaux(u'D', 0), "");
}

TEST(DescriptionTrt, BlackAndWhiteKeepsTheStoredBlanks)
{
    EXPECT_EQ(DescriptionTrt(u'N', "{ 30: 60: 10}"), "R= 30%, V= 60%, B= 10%");
    EXPECT_EQ(DescriptionTrt(u'N', "{100:  0:  5}"), "R=100%, V=  0%, B=  5%");
}

TEST(DescriptionTrt, ContrastAndLuminosityShowsTheSixFields)
{
    EXPECT_EQ(DescriptionTrt(u'C', "{  40: -20:   0:  10:-100: 100}"),
              "Cont : R=  40%, V= -20%, B=   0%/Lum : R=  10%, V=-100%, B= 100%");
}

TEST(DescriptionTrt, ChannelsNameTheChosenButtonsInStoredOrder)
{
    EXPECT_EQ(DescriptionTrt(u'X', "{D=1:A=0:I=3}"), "Dominantes=Rouge Inversions=Vert <-> Bleu");
    EXPECT_EQ(DescriptionTrt(u'X', "{I=1:D=2:A=6}"),
              "Inversions=Rouge <-> Vert Dominantes=Verte Affectations=Bleu <- Vert");
    EXPECT_EQ(DescriptionTrt(u'X', "{D=0:A=0:I=0}"), "");
    // Unknown letters and digits out of a group's range are left out.
    EXPECT_EQ(DescriptionTrt(u'X', "{Z=1:I=5:A=4}"), "Affectations=Vert <- Bleu");
    EXPECT_EQ(DescriptionTrt(u'Q', "{D=1:A=0:I=3}"), "");
}
