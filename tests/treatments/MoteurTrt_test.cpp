#include "treatments/MoteurTrt.h"

#include "support/MessagesFactices.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace
{

// A picture whose every pixel differs from its neighbours, so that a misplaced pixel shows.
QImage Bruit(int W, int H, quint32 nGraine = 7, QImage::Format f = QImage::Format_RGB32)
{
    QImage im(W, H, f);
    QRandomGenerator g(nGraine);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            im.setPixel(x, y,
                        (f == QImage::Format_ARGB32 ? (g.generate() << 24) : 0xFF000000u) | (g.generate() & 0xFFFFFF));
    return im;
}

QImage Uni(QRgb c, int W = 2, int H = 2)
{
    QImage im(W, H, QImage::Format_RGB32);
    im.fill(c);
    return im;
}

// The colour of a one-colour picture after one treatment.
QRgb Apres(QRgb c, int nCode, const QString &cParam = {})
{
    QImage im = Uni(c);
    EXPECT_TRUE(AppliqueTrt(im, nCode, cParam).lOk);
    return im.pixel(1, 1) & 0xFFFFFF;
}

QImage Applique(QImage im, int nCode, const QString &cParam = {}, int nFils = 0)
{
    TOptionsTrt o;
    o.nFils = nFils;
    EXPECT_TRUE(AppliqueTrt(im, nCode, cParam, o).lOk);
    return im;
}

QRgb Gris(int g)
{
    return qRgb(g, g, g) & 0xFFFFFF;
}

} // namespace

TEST(QuarterTurns, FourLeftTurnsOrLeftThenRightGiveTheStart)
{
    const QImage Depart = Bruit(131, 77);
    QImage im = Depart;
    for (int i = 0; i < 4; ++i)
        im = Applique(im, 0);
    EXPECT_EQ(im, Depart);
    EXPECT_EQ(Applique(Applique(Depart, 0), 1), Depart);
    EXPECT_EQ(Applique(Applique(Depart, 1), 0), Depart);
}

TEST(QuarterTurns, LargeTurnedPicturesKeepTheirPixelsWhileTheirMemoryIsReused)
{
    // Large enough for the turned pictures to take their memory from the reserve.
    const QImage Depart = Bruit(1100, 1000, 4);
    const QImage g = Applique(Depart, 0);
    const QImage gg = Applique(g, 0);
    QImage Temoin = gg.copy();
    const QImage Retour = Applique(Applique(gg, 1), 1); // the turns let go of buffers meanwhile
    EXPECT_EQ(Retour, Depart);
    EXPECT_EQ(gg, Temoin);
    EXPECT_EQ(Applique(Applique(g, 0), 0), Applique(Depart, 1));
    LibereReserveTrt();
    EXPECT_EQ(Applique(gg, 0), Applique(Depart, 1));
}

TEST(QuarterTurns, ThreeByTwoTurnedLeftIsTwoByThreeWithTopRightAtTopLeft)
{
    QImage im = Uni(qRgb(0, 0, 0), 3, 2);
    im.setPixel(2, 0, qRgb(255, 0, 0));
    im.setPixel(0, 0, qRgb(0, 255, 0));
    const QImage g = Applique(im, 0);
    ASSERT_EQ(g.size(), QSize(2, 3));
    EXPECT_EQ(g.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(g.pixel(0, 2), qRgb(0, 255, 0)); // top left goes to bottom left
    const QImage d = Applique(im, 1);
    ASSERT_EQ(d.size(), QSize(2, 3));
    EXPECT_EQ(d.pixel(1, 0), qRgb(0, 255, 0)); // top left goes to top right
    EXPECT_EQ(d.pixel(1, 2), qRgb(255, 0, 0));
}

TEST(QuarterTurns, EveryPixelLandsWhereTheFormulaSaysAcrossTileBorders)
{
    const int W = 150, H = 97;
    const QImage s = Bruit(W, H);
    const QImage g = Applique(s, 0, {}, 3);
    const QImage d = Applique(s, 1, {}, 3);
    ASSERT_EQ(g.size(), QSize(H, W));
    ASSERT_EQ(d.size(), QSize(H, W));
    int nFaux = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            nFaux += g.pixel(y, W - 1 - x) != s.pixel(x, y);
            nFaux += d.pixel(H - 1 - y, x) != s.pixel(x, y);
        }
    EXPECT_EQ(nFaux, 0);
}

TEST(Mirrors, RowsAndColumnsAreExchangedForOddAndEvenSizes)
{
    for (const QSize t : {QSize(5, 3), QSize(6, 4), QSize(1, 1), QSize(7, 2)}) {
        const QImage s = Bruit(t.width(), t.height(), 11);
        const QImage h = Applique(s, 2);
        const QImage v = Applique(s, 3);
        for (int y = 0; y < t.height(); ++y)
            for (int x = 0; x < t.width(); ++x) {
                ASSERT_EQ(h.pixel(x, y), s.pixel(x, t.height() - 1 - y)) << t.width() << "x" << t.height();
                ASSERT_EQ(v.pixel(x, y), s.pixel(t.width() - 1 - x, y)) << t.width() << "x" << t.height();
            }
    }
}

TEST(Mirrors, MirrorVKeepsTheLeftHalfOfAHandWrittenRow)
{
    // Copying pixel W - 1 - x into x in one sweep would give 1 2 3 2 1 here.
    QImage im(5, 1, QImage::Format_RGB32);
    for (int x = 0; x < 5; ++x)
        im.setPixel(x, 0, qRgb(x + 1, 0, 0));
    im = Applique(im, 3);
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(qRed(im.pixel(x, 0)), 5 - x);
}

TEST(BlackAndWhite, WeightsAreSummedDividedAndCapped)
{
    EXPECT_EQ(Apres(qRgb(200, 200, 200), 4, "{100:100:100}"), Gris(255));
    EXPECT_EQ(Apres(qRgb(200, 200, 200), 4, "{  0:  0:  0}"), Gris(0));
    // (30 × 200 + 60 × 100 + 10 × 31) div 100 = 123 (123.1 rounded down).
    EXPECT_EQ(Apres(qRgb(200, 100, 31), 4, "{ 30: 60: 10}"), Gris(123));
    EXPECT_EQ(Apres(qRgb(199, 0, 0), 4, "{ 50:  0:  0}"), Gris(99));
}

TEST(BlackAndWhite, HandEditedAndDamagedTextsAreClampedOrZero)
{
    // -50 is read as 0: (60 × 100 + 10 × 50) div 100 = 65, not a negative wrapped into a byte.
    EXPECT_EQ(Apres(qRgb(200, 100, 50), 4, "{-50: 60: 10}"), Gris(65));
    EXPECT_EQ(Apres(qRgb(200, 100, 50), 4, "{abc:def:ghi}"), Gris(0));
}

TEST(ContrastLuminosity, ContrastScalesDistancesFrom128)
{
    EXPECT_EQ(Apres(qRgb(200, 100, 0), 5, "{ 100: 100: 100:   0:   0:   0}"), qRgb(255, 72, 0) & 0xFFFFFF);
    EXPECT_EQ(Apres(qRgb(200, 100, 0), 5, "{-100:-100:-100:   0:   0:   0}"), Gris(128));
    // Out-of-range percentages are brought back to ±100.
    EXPECT_EQ(Apres(qRgb(200, 100, 0), 5, "{ 300: 300: 300:   0:   0:   0}"), qRgb(255, 72, 0) & 0xFFFFFF);
}

TEST(ContrastLuminosity, LuminosityScalesValues)
{
    EXPECT_EQ(Apres(qRgb(200, 100, 3), 5, "{   0:   0:   0:-100:-100:-100}"), Gris(0));
    EXPECT_EQ(Apres(qRgb(200, 100, 20), 5, "{   0:   0:   0:  50:  50:  50}"), qRgb(255, 150, 30) & 0xFFFFFF);
    // -200 would map every value to a negative number wrapped into a byte.
    EXPECT_EQ(Apres(qRgb(200, 100, 3), 5, "{   0:   0:   0:-200:-200:-200}"), Gris(0));
}

TEST(ContrastLuminosity, HalvesRoundToEven)
{
    // 1.5 × 1 = 1.5 → 2, 1.5 × 3 = 4.5 → 4, 1.5 × 5 = 7.5 → 8.
    EXPECT_EQ(Apres(qRgb(1, 3, 5), 5, "{   0:   0:   0:  50:  50:  50}"), qRgb(2, 4, 8) & 0xFFFFFF);
    // 1.5 × (129 - 128) + 128 = 129.5 → 130; 1.5 × (127 - 128) + 128 = 126.5 → 126.
    EXPECT_EQ(Apres(qRgb(129, 127, 128), 5, "{  50:  50:  50:   0:   0:   0}"), qRgb(130, 126, 128) & 0xFFFFFF);
    // 1.07 × (78 - 128) + 128 = 74.5 exactly → 74, where 1.07 in binary lands on either side.
    EXPECT_EQ(Apres(qRgb(78, 178, 128), 5, "{   7:   7:   7:   0:   0:   0}"), qRgb(74, 182, 128) & 0xFFFFFF);
}

TEST(ContrastLuminosity, ContrastComesBeforeLuminosityAndChannelsAreSeparate)
{
    // Contrast first: 200 → 255, then half of it 127.5 → 128. The other order would give 72.
    EXPECT_EQ(Apres(Gris(200), 5, "{ 100: 100: 100: -50: -50: -50}"), Gris(128));
    EXPECT_EQ(Apres(Gris(200), 5, "{ 100:   0:-100:   0: -50:   0}"), qRgb(255, 100, 128) & 0xFFFFFF);
}

TEST(Negative, InvertsEachChannelKeepsAlphaAndTwiceGivesTheStart)
{
    EXPECT_EQ(Apres(qRgb(10, 20, 30), 6), qRgb(245, 235, 225) & 0xFFFFFF);
    const QImage s = Bruit(33, 21, 5, QImage::Format_ARGB32);
    const QImage n = Applique(s, 6);
    EXPECT_EQ(qAlpha(n.pixel(3, 4)), qAlpha(s.pixel(3, 4)));
    EXPECT_NE(n, s);
    EXPECT_EQ(Applique(n, 6), s);
}

TEST(Channels, GroupsApplyInTheOrderOfTheirLetters)
{
    const QRgb c = qRgb(10, 20, 30);
    // Green and blue swapped first, then cleared by the red dominant.
    EXPECT_EQ(Apres(c, 7, "{I=3:D=1:A=0}"), qRgb(10, 0, 0) & 0xFFFFFF);
    // Swap red and green then red := green, against red := green then the swap.
    EXPECT_EQ(Apres(c, 7, "{I=1:A=1:D=0}"), qRgb(10, 10, 30) & 0xFFFFFF);
    EXPECT_EQ(Apres(c, 7, "{A=1:I=1:D=0}"), qRgb(20, 20, 30) & 0xFFFFFF);
}

TEST(Channels, EveryChoiceOfTheDigitTable)
{
    const QRgb c = qRgb(10, 20, 30);
    const struct
    {
        const char *cParam;
        QRgb Attendu;
    } Cas[] = {
        {"{D=1:A=0:I=0}", qRgb(10, 0, 0)},   {"{D=2:A=0:I=0}", qRgb(0, 20, 0)},   {"{D=3:A=0:I=0}", qRgb(0, 0, 30)},
        {"{D=4:A=0:I=0}", qRgb(10, 0, 30)},  {"{D=5:A=0:I=0}", qRgb(10, 20, 0)},  {"{D=6:A=0:I=0}", qRgb(0, 20, 30)},
        {"{D=0:A=1:I=0}", qRgb(20, 20, 30)}, {"{D=0:A=2:I=0}", qRgb(30, 20, 30)}, {"{D=0:A=3:I=0}", qRgb(10, 10, 30)},
        {"{D=0:A=4:I=0}", qRgb(10, 30, 30)}, {"{D=0:A=5:I=0}", qRgb(10, 20, 10)}, {"{D=0:A=6:I=0}", qRgb(10, 20, 20)},
        {"{D=0:A=0:I=1}", qRgb(20, 10, 30)}, {"{D=0:A=0:I=2}", qRgb(30, 20, 10)}, {"{D=0:A=0:I=3}", qRgb(10, 30, 20)},
    };
    for (const auto &k : Cas)
        EXPECT_EQ(Apres(c, 7, k.cParam), k.Attendu & 0xFFFFFF) << k.cParam;
}

TEST(Channels, UnknownLettersAndDigitsDoNothing)
{
    const QRgb c = qRgb(10, 20, 30);
    EXPECT_EQ(Apres(c, 7, "{Z=1:A=9:I=3}"), qRgb(10, 30, 20) & 0xFFFFFF);
    EXPECT_EQ(Apres(c, 7, "{D=7:A=x:I=4}"), c & 0xFFFFFF);
    EXPECT_EQ(Apres(c, 7, "garbage"), c & 0xFFFFFF);
}

TEST(Engine, ThreadedEqualsOneThreadOnAnOddSizedPicture)
{
    const QImage s = Bruit(1001, 667, 3);
    const char *cParams[] = {"", "", "", "", "{ 30: 60: 10}", "{  40: -20:  13:  20:   0: -35}", "", "{I=3:D=5:A=2}"};
    for (int nCode = 0; nCode < 8; ++nCode) {
        const QImage Un = Applique(s, nCode, cParams[nCode], 1);
        EXPECT_EQ(Applique(s, nCode, cParams[nCode], 3), Un) << nCode;
        EXPECT_EQ(Applique(s, nCode, cParams[nCode], 0), Un) << nCode;
    }
}

TEST(Engine, OnePassRunEqualsTheOperationsOneByOne)
{
    const QImage s = Bruit(257, 129, 9);
    const QList<TTrt> Trts{{5, "{  40: -20:  13:  20:   0: -35}"},
                           {6, {}},
                           {7, "{A=4:I=2:D=4}"},
                           {4, "{ 30: 60: 10}"},
                           {5, "{ -60:   0:   0:  70:  10:   0}"},
                           {2, {}},
                           {0, {}},
                           {6, {}},
                           {7, "{D=2:A=0:I=1}"},
                           {3, {}},
                           {1, {}},
                           {1, {}},
                           {5, "{  10:  10:  10:   0:   0:   0}"}};
    QImage UnParUn = s;
    for (const TTrt &t : Trts)
        UnParUn = Applique(UnParUn, t.nCode, t.cParam);
    for (int nFils : {1, 3}) {
        QImage Ensemble = s;
        TOptionsTrt o;
        o.nFils = nFils;
        ASSERT_TRUE(AppliqueTrts(Ensemble, Trts, o).lOk);
        EXPECT_EQ(Ensemble, UnParUn) << nFils;
    }
}

TEST(Engine, NegativeThenItsUndoingFoldToNothingAndLeaveThePictureAlone)
{
    const QImage s = Bruit(40, 30, 2);
    QImage im = s;
    ASSERT_TRUE(AppliqueTrts(im, {{6, {}}, {6, {}}, {7, "{I=1:A=0:D=0}"}, {7, "{I=1:A=0:D=0}"}}).lOk);
    EXPECT_EQ(im, s);
}

TEST(Engine, OtherFormatsAreWorkedOnAs32Bits)
{
    QImage im(3, 2, QImage::Format_RGB888);
    im.fill(qRgb(10, 20, 30));
    ASSERT_TRUE(AppliqueTrt(im, 6, {}).lOk);
    EXPECT_EQ(im.format(), QImage::Format_RGB32);
    EXPECT_EQ(im.pixel(2, 1), qRgb(245, 235, 225));
    QImage g = Uni(qRgb(1, 2, 3), 4, 3).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_TRUE(AppliqueTrt(g, 0, {}).lOk);
    EXPECT_EQ(g.size(), QSize(3, 4));
}

TEST(Engine, ACopyHeldElsewhereIsNotChanged)
{
    QImage im = Bruit(20, 10);
    const QImage Copie = im;
    const QImage Avant = im.copy();
    ASSERT_TRUE(AppliqueTrt(im, 3, {}).lOk);
    EXPECT_EQ(Copie, Avant);
    EXPECT_NE(im, Avant);
}

TEST(Engine, APictureTooLargeToTurnIsLeftAsItWasWithTheReason)
{
    const QImage s = Bruit(64, 48);
    QImage im = s;
    TOptionsTrt o;
    o.nOctetsMaxRotation = 64 * 48 * 4 - 1;
    const TResultatTrt r = AppliqueTrt(im, 1, {}, o);
    EXPECT_FALSE(r.lOk);
    EXPECT_EQ(r.cRaison, QStringLiteral("Image trop grande pour être tournée en mémoire (64 × 48 pixels)."));
    EXPECT_EQ(im, s);
    // In a run, the operations before the turn are not applied either.
    const TResultatTrt r2 = AppliqueTrts(im, {{6, {}}, {2, {}}, {0, {}}}, o);
    EXPECT_FALSE(r2.lOk);
    EXPECT_EQ(im, s);
    o.nOctetsMaxRotation = 64 * 48 * 4;
    EXPECT_TRUE(AppliqueTrt(im, 1, {}, o).lOk);
    EXPECT_EQ(im.size(), QSize(48, 64));
}

TEST(Engine, AnUnknownCodeFailsBeforeTouchingThePicture)
{
    const QImage s = Bruit(8, 8);
    QImage im = s;
    const TResultatTrt r = AppliqueTrts(im, {{6, {}}, {8, {}}});
    EXPECT_FALSE(r.lOk);
    EXPECT_EQ(r.cRaison, "Traitement inconnu (8).");
    EXPECT_EQ(im, s);
}

TEST(Engine, AnEmptyPictureIsLeftEmpty)
{
    QImage im;
    EXPECT_TRUE(AppliqueTrt(im, 0, {}).lOk);
    EXPECT_TRUE(im.isNull());
}

TEST(Engine, AFailureIsShownUnderErreurWithItsReason)
{
    TMessagesFactices m;
    EXPECT_TRUE(SignaleErreurTrt(m, nullptr, TResultatTrt{}));
    EXPECT_TRUE(m.Montres.isEmpty());
    EXPECT_FALSE(SignaleErreurTrt(m, nullptr, TResultatTrt{false, "Pas de mémoire."}));
    ASSERT_EQ(m.Montres.size(), 1);
    EXPECT_EQ(m.Montres[0].cTitre, "Erreur");
    EXPECT_EQ(m.Montres[0].cTexte, "Erreur pendant un traitement sur une image :\r\nPas de mémoire.");
}
