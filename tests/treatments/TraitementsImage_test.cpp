#include "treatments/TraitementsImage.h"

#include "storage/BigIniFiles.h"
#include "storage/Sections.h"
#include "storage/Settings.h"
#include "treatments/Traitements.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

const QString cCle = QStringLiteral("/photos/a.jpg");

// A picture whose every pixel differs from its neighbours, so that a misplaced pixel shows.
QImage Bruit(int W, int H, quint32 nGraine = 11)
{
    QImage im(W, H, QImage::Format_RGB32);
    QRandomGenerator g(nGraine);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            im.setPixel(x, y, 0xFF000000u | (g.generate() & 0xFFFFFF));
    return im;
}

class TraitementsImage : public ::testing::Test
{
protected:
    QTemporaryDir Dossier;
    TBigIniFile Ini{Dossier.filePath(QStringLiteral("KX_Setup.ini"))};
    TEnrParametres P;

    void SetUp() override { Ini.lAutoSave = false; }

    QString Rot() const { return Ini.ReadString(cSectionRotations, cCle, QStringLiteral("-")); }
    QString Mir() const { return Ini.ReadString(cSectionMiroirs, cCle, QStringLiteral("-")); }
    void Bascule(int nCode, const QString &cParam = {}, const QString &cOrientation = QStringLiteral("1"))
    {
        BasculeTrt(Ini, P, cCle, cOrientation, nCode, cParam);
    }
    // The picture as a fresh load shows it: the untreated one through the remembered recipe.
    QImage Recharge(const QImage &Source, const QString &cOrientation = QStringLiteral("1")) const
    {
        QImage im = Source;
        EXPECT_TRUE(AppliqueTrtsImage(im, Ini, P, cCle, cOrientation).lOk);
        return im;
    }
};

} // namespace

TEST_F(TraitementsImage, TurnsCombineAndTwoMakeAHalfTurnInTheMirrors)
{
    Bascule(nTrtRotationGauche);
    EXPECT_EQ(Rot(), "G");
    Bascule(nTrtRotationGauche);
    EXPECT_EQ(Rot(), "-");
    EXPECT_EQ(Mir(), "HV");
    Bascule(nTrtRotationGauche);
    EXPECT_EQ(Rot(), "G");
    EXPECT_EQ(Mir(), "HV");

    Ini.EraseSection(cSectionRotations);
    Ini.EraseSection(cSectionMiroirs);
    Bascule(nTrtRotationGauche);
    Bascule(nTrtRotationDroite);
    EXPECT_EQ(Rot(), "-");
    EXPECT_EQ(Mir(), "-");

    Bascule(nTrtMiroirH);
    Bascule(nTrtMiroirV);
    EXPECT_EQ(Mir(), "HV");
    Bascule(nTrtMiroirH);
    EXPECT_EQ(Mir(), "V");
    Bascule(nTrtMiroirV);
    EXPECT_EQ(Mir(), "-");

    // The letters keep the order they were added in.
    Bascule(nTrtMiroirV);
    Bascule(nTrtMiroirH);
    EXPECT_EQ(Mir(), "VH");
}

TEST_F(TraitementsImage, TurnsAndMirrorsActOnThePictureSeen)
{
    Bascule(nTrtMiroirH);
    Bascule(nTrtRotationGauche);
    EXPECT_EQ(Rot(), "G");
    EXPECT_EQ(Mir(), "V");
    Bascule(nTrtRotationGauche);
    EXPECT_EQ(Rot(), "-");
    EXPECT_EQ(Mir(), "V");

    Ini.EraseSection(cSectionMiroirs);
    P.cOrdreTrt = QStringLiteral("MRNCTX");
    Bascule(nTrtRotationGauche);
    Bascule(nTrtMiroirH);
    EXPECT_EQ(Rot(), "G");
    EXPECT_EQ(Mir(), "V");
}

TEST_F(TraitementsImage, RandomTogglesReloadAsTheChangeOnTopOfWhatWasSeen)
{
    const QImage Source = Bruit(5, 3);
    QRandomGenerator g(2026);
    for (const QString &cOrdre : {QStringLiteral("RMNCTX"), QStringLiteral("MRNCTX")}) {
        P.cOrdreTrt = cOrdre;
        for (int nSuite = 0; nSuite < 200; ++nSuite) {
            for (const QString &cSection : cSectionsTraitements)
                Ini.EraseSection(cSection);
            QImage Vue = Source;
            const int nPas = 1 + int(g.bounded(8));
            for (int i = 0; i < nPas; ++i) {
                // Turns, mirrors, and the negative, which commutes with them.
                const int nCodes[] = {0, 1, 2, 3, 6};
                const int nCode = nCodes[g.bounded(5)];
                Bascule(nCode);
                ASSERT_TRUE(AppliqueTrt(Vue, nCode, {}).lOk);
                ASSERT_EQ(Recharge(Source), Vue) << cOrdre.toStdString() << " sequence " << nSuite << " step " << i;
                ASSERT_EQ(TailleTraitee(Source.size(), LitRecetteTrts(Ini, P, cCle, "1")), Vue.size());
            }
        }
    }
}

TEST_F(TraitementsImage, AnOrientationTurnsThePictureAndTakesTurnsAndMirrorsOut)
{
    const QImage Source = Bruit(4, 3);
    Ini.WriteString(cSectionRotations, cCle, "G");
    Ini.WriteString(cSectionMiroirs, cCle, "H");
    QImage Droite = Source;
    ASSERT_TRUE(AppliqueTrt(Droite, nTrtRotationDroite, {}).lOk);
    EXPECT_EQ(Recharge(Source, "6"), Droite); // the old ROTATIONS ignored

    const TRecetteTrts r = LitRecetteTrts(Ini, P, cCle, "6");
    EXPECT_EQ(TailleTraitee({4000, 3000}, r), QSize(3000, 4000));
    const TEtatTrtsImage e = EtatTrtsImage(r, true, true);
    EXPECT_FALSE(e.lRotationsMiroirs);
    EXPECT_TRUE(e.lCouleurs);
    EXPECT_EQ(e.cRotEtat, "Rotation (AUTOMATIQUE)");
    EXPECT_EQ(e.cMirEtat, "Miroir (AUTOMATIQUE)");
    // Turns and mirrors cannot be changed meanwhile.
    EXPECT_FALSE(BasculeTrt(Ini, P, cCle, "6", nTrtRotationGauche));
    EXPECT_EQ(Rot(), "G");

    // Orientation 5: turned left, then rows reversed.
    QImage Cinq = Source;
    ASSERT_TRUE(AppliqueTrts(Cinq, {{nTrtRotationGauche, {}}, {nTrtMiroirH, {}}}).lOk);
    EXPECT_EQ(Recharge(Source, "5"), Cinq);

    // Off, or outside 1..8: the image's own treatments again.
    QImage Gauche = Source;
    ASSERT_TRUE(AppliqueTrts(Gauche, {{nTrtRotationGauche, {}}, {nTrtMiroirH, {}}}).lOk);
    EXPECT_EQ(Recharge(Source, "9"), Gauche);
    EXPECT_EQ(Recharge(Source, "x"), Gauche);
    P.lOrientationAuto = false;
    EXPECT_EQ(Recharge(Source, "6"), Gauche);
}

TEST_F(TraitementsImage, ColourTreatmentsFollowTheOrderAndSwitchOffAlone)
{
    const QImage Source = Bruit(3, 2);
    Bascule(nTrtNegatif);
    Bascule(nTrtNoirEtBlanc, cParamNBDefaut);
    QImage Attendue = Source;
    ASSERT_TRUE(AppliqueTrts(Attendue, {{nTrtNoirEtBlanc, cParamNBDefaut}, {nTrtNegatif, {}}}).lOk);
    EXPECT_EQ(Recharge(Source), Attendue);

    // Off again: the negative alone, from the untreated picture.
    Bascule(nTrtNoirEtBlanc);
    EXPECT_FALSE(Ini.ValueExists(cSectionNoirEtBlanc, cCle));
    QImage Negatif = Source;
    Negatif.invertPixels();
    EXPECT_EQ(Recharge(Source), Negatif);

    // "XR": channels, then the turn; the negative and mirrors are left out.
    Bascule(nTrtCanaux, "{D=1:A=0:I=0}");
    Bascule(nTrtRotationGauche);
    Bascule(nTrtMiroirV);
    P.cOrdreTrt = QStringLiteral("XR");
    QImage XR = Source;
    ASSERT_TRUE(AppliqueTrts(XR, {{nTrtCanaux, "{D=1:A=0:I=0}"}, {nTrtRotationGauche, {}}}).lOk);
    EXPECT_EQ(Recharge(Source), XR);
    // Lower-case letters are not applied.
    P.cOrdreTrt = QStringLiteral("xR");
    QImage R = Source;
    ASSERT_TRUE(AppliqueTrt(R, nTrtRotationGauche, {}).lOk);
    EXPECT_EQ(Recharge(Source), R);
}

TEST_F(TraitementsImage, BadValuesDoNothing)
{
    const QImage Source = Bruit(3, 2);
    Ini.WriteString(cSectionRotations, cCle, "90");
    Ini.WriteString(cSectionMiroirs, cCle, "XYZ");
    EXPECT_EQ(Recharge(Source), Source);
    EXPECT_TRUE(ATrtsImage(Ini, P, cCle, "1")); // stored values, even useless ones
    EXPECT_EQ(DecritTrtsImage(LitRecetteTrts(Ini, P, cCle, "1")), "");
    // A turn over a bad value starts from none.
    Bascule(nTrtRotationDroite);
    EXPECT_EQ(Rot(), "D");
    // Switching a dialog's treatment on needs its parameter.
    EXPECT_FALSE(BasculeTrt(Ini, P, cCle, "1", nTrtCanaux, {}));
    EXPECT_FALSE(BasculeTrt(Ini, P, cCle, "1", 8, {}));
    EXPECT_FALSE(BasculeTrt(Ini, P, QString(), "1", nTrtNegatif, {}));
}

TEST_F(TraitementsImage, HasTreatmentsWhenAValueIsStoredOrTheOrientationApplies)
{
    EXPECT_FALSE(ATrtsImage(Ini, P, cCle, "1"));
    EXPECT_FALSE(ATrtsImage(Ini, P, cCle, "12"));
    EXPECT_TRUE(ATrtsImage(Ini, P, cCle, "3"));
    P.lOrientationAuto = false;
    EXPECT_FALSE(ATrtsImage(Ini, P, cCle, "3"));
    for (const QString &cSection : cSectionsTraitements) {
        Ini.WriteString(cSection, cCle, "O");
        EXPECT_TRUE(ATrtsImage(Ini, P, cCle, "1")) << cSection.toStdString();
        Ini.DeleteKey(cSection, cCle);
    }
}

TEST_F(TraitementsImage, DescriptionAndCaptions)
{
    TRecetteTrts r;
    EXPECT_EQ(DecritTrtsImage(r), "");
    TEtatTrtsImage e = EtatTrtsImage(r, true, true);
    EXPECT_EQ(e.cRotEtat, "Rotation (Aucune)");
    EXPECT_EQ(e.cMirEtat, "Miroir (Aucun)");
    EXPECT_EQ(e.cNB, "&Noir et Blanc...");
    EXPECT_EQ(e.cCL, "Contraste, &Luminosité...");
    EXPECT_EQ(e.cNeg, "Néga&tif");
    EXPECT_EQ(e.cCanaux, "Canau&x...");
    EXPECT_TRUE(e.lRotationsMiroirs);
    EXPECT_FALSE(e.lNoirEtBlanc);

    r.cRotation = "D";
    r.cMiroirs = "VH";
    r.cNoirEtBlanc = cParamNBDefaut;
    r.cNegatif = "O";
    r.cCanaux = "{D=1:A=0:I=3}";
    EXPECT_EQ(DecritTrtsImage(r), "\r\n<PG>TRAITEMENTS</PG/>"
                                  "\r\nRotation (Droite)"
                                  "\r\nMiroir (Horizontal Vertical)"
                                  "\r\nNoir et Blanc (R= 30%, V= 60%, B= 10%)"
                                  "\r\nNégatif"
                                  "\r\nCanaux (Dominantes=Rouge Inversions=Vert <-> Bleu)");
    e = EtatTrtsImage(r, true, false);
    EXPECT_EQ(e.cRotEtat, "Rotation (Droite)");
    EXPECT_EQ(e.cMirEtat, "Miroir (Horizontal Vertical)");
    EXPECT_EQ(e.cNB, "&Noir et Blanc (R= 30%, V= 60%, B= 10%)");
    EXPECT_EQ(e.cCanaux, "Canau&x (Dominantes=Rouge Inversions=Vert <-> Bleu)");
    EXPECT_TRUE(e.lNoirEtBlanc && e.lNegatif && e.lCanaux);
    EXPECT_FALSE(e.lContrasteLuminosite);
    // Consultation mode: nothing can be changed.
    EXPECT_FALSE(e.lRotationsMiroirs || e.lCouleurs);

    r.nOrientation = 8;
    EXPECT_EQ(DecritTrtsImage(r, "#"), "#\r\nRotation & Miroir (AUTOMATIQUES)"
                                       "\r\nNoir et Blanc (R= 30%, V= 60%, B= 10%)"
                                       "\r\nNégatif"
                                       "\r\nCanaux (Dominantes=Rouge Inversions=Vert <-> Bleu)");
    // No valid picture: nothing enabled, nothing checked.
    e = EtatTrtsImage(r, false, true);
    EXPECT_FALSE(e.lRotationsMiroirs || e.lCouleurs || e.lNoirEtBlanc || e.lNegatif);
}
