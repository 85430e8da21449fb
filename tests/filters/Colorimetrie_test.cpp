#include "filters/Colorimetrie.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
const QList<QColor> cBlocs = {Qt::red,
                              Qt::blue,
                              Qt::green,
                              Qt::yellow,
                              Qt::cyan,
                              Qt::magenta,
                              QColor(90, 40, 10),
                              QColor(250, 200, 150),
                              QColor(30, 0, 60),
                              QColor(20, 120, 200),
                              Qt::darkGreen,
                              Qt::darkMagenta};

// A picture of 4 × 3 solid blocks, each nCote pixels square (one saturated colour per block), so that
// any enlargement of it shows the same colours at the same relative places.
QImage Blocs(int nCote)
{
    QImage Image(4 * nCote, 3 * nCote, QImage::Format_RGB32);
    QPainter p(&Image);
    for (int i = 0; i < 12; ++i)
        p.fillRect((i % 4) * nCote, (i / 4) * nCote, nCote, nCote, cBlocs[i]);
    return Image;
}

QImage Aleatoire(int w, int h, std::mt19937 &Gen)
{
    QImage Image(w, h, QImage::Format_RGB32);
    std::uniform_int_distribution<int> Octet(0, 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            Image.setPixel(x, y, qRgb(Octet(Gen), Octet(Gen), Octet(Gen)));
    return Image;
}

TEnrFiltres Motif(int nMethZone = 0, bool lSym = false)
{
    TEnrFiltres e;
    e.lMotif = true;
    e.nMethPixMotif = 7;
    e.nTolMotif = 8;
    e.nSeuilMotif = 90;
    e.nMethZoneMotif = static_cast<quint8>(nMethZone);
    e.lMotifSym = lSym;
    return e;
}
}

TEST(Colorimetrie, ConvertsToTheColourChooserScale)
{
    EXPECT_EQ(VersTSL(255, 0, 0), (TTSL{0, 240, 120}));
    EXPECT_EQ(VersTSL(0, 0, 255).H, 159);
    EXPECT_EQ(VersTSL(0, 255, 0).H, 80);
    EXPECT_EQ(VersTSL(0, 255, 255).H, 120); // 119.5
    EXPECT_EQ(VersTSL(255, 0, 255).H, 199); // negative hue wrapped
    const TTSL Blanc = VersTSL(255, 255, 255);
    EXPECT_EQ(Blanc.S, 0);
    EXPECT_EQ(Blanc.L, 240);
    EXPECT_EQ(VersTSL(128, 128, 128), (TTSL{0, 0, 120}));
    // Above half luminosity the saturation divides by 2 - max - min.
    EXPECT_EQ(VersTSL(255, 128, 128), (TTSL{0, 240, 180}));

    EXPECT_EQ(ArrondiAuPair(2.5), 2);
    EXPECT_EQ(ArrondiAuPair(3.5), 4);
    EXPECT_EQ(ArrondiAuPair(-0.5), 0);
    EXPECT_EQ(ArrondiAuPair(2.5000001), 3);
}

// The conversion reads tables for speed: over a grid of colours it must give what the formula
// gives, step by step in floating point.
TEST(Colorimetrie, ConversionFollowsTheFormulaEverywhere)
{
    const auto Formule = [](int r, int g, int b) {
        const double rr = r / 255.0, gg = g / 255.0, bb = b / 255.0;
        const double mx = std::max({rr, gg, bb}), mn = std::min({rr, gg, bb});
        const double l = (mx + mn) / 2;
        double h = 0, s = 0;
        if (mx != mn) {
            const double d = mx - mn;
            s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
            h = mx == rr ? (gg - bb) / d : mx == gg ? (bb - rr) / d + 2 : (rr - gg) / d + 4;
            h /= 6;
            if (h < 0)
                h += 1;
        }
        return TTSL{int(std::nearbyint(h * 239)), int(std::nearbyint(s * 240)), int(std::nearbyint(l * 240))};
    };
    std::vector<int> Valeurs;
    for (int v = 0; v < 256; v += 3)
        Valeurs.push_back(v);
    Valeurs.push_back(254);
    Valeurs.push_back(255);
    for (int r : Valeurs)
        for (int g : Valeurs)
            for (int b : Valeurs)
                ASSERT_EQ(VersTSL(r, g, b), Formule(r, g, b)) << r << " " << g << " " << b;
}

TEST(Colorimetrie, HuesAreCloseAcrossTheWrap)
{
    EXPECT_TRUE(TeintesProches(235, 5, 10));
    EXPECT_TRUE(TeintesProches(5, 235, 10));
    EXPECT_FALSE(TeintesProches(235, 5, 9));
    EXPECT_FALSE(TeintesProches(0, 120, 119));
    EXPECT_TRUE(TeintesProches(100, 110, 10));
}

TEST(Colorimetrie, GreyHasNoHueAndOnlyTheColourTestTakesItsSaturation)
{
    const TTSL Gris = VersTSL(100, 100, 100);
    TEnrFiltres e;
    e.nTolColorimetrie = 128;
    e.nMethColorimetrie = 4;
    for (int h : {0, 120, 239}) {
        e.nTeinte = static_cast<quint8>(h);
        EXPECT_FALSE(PixelCouleurOK(Gris, e)) << h;
    }
    e.nMethColorimetrie = 2;
    e.nTolColorimetrie = 32;
    e.nSaturation = 32;
    EXPECT_TRUE(PixelCouleurOK(Gris, e));
    e.nSaturation = 33;
    EXPECT_FALSE(PixelCouleurOK(Gris, e));

    // The pattern's saturation test wants a saturated image pixel, even against a grey one.
    EXPECT_FALSE(PixelMotifOK(Gris, Gris, 2, 128));
    EXPECT_FALSE(PixelMotifOK(Gris, Gris, 4, 128));
    EXPECT_TRUE(PixelMotifOK(Gris, Gris, 1, 8));
    const TTSL Rouge = VersTSL(255, 0, 0);
    EXPECT_TRUE(PixelMotifOK(Rouge, VersTSL(230, 10, 10), 7, 24)); // S 220, L 113
    EXPECT_FALSE(PixelMotifOK(Rouge, VersTSL(230, 10, 10), 7, 19));
    EXPECT_FALSE(PixelMotifOK(Rouge, VersTSL(0, 0, 255), 4, 32));
}

TEST(Colorimetrie, CountsTheShareOfPixelsNearTheColour)
{
    QImage Image(40, 30, QImage::Format_RGB32);
    Image.fill(Qt::blue);
    QPainter(&Image).fillRect(0, 0, 20, 30, Qt::red);
    TEnrFiltres e;
    e.lColorimetrie = true;
    e.nMethColorimetrie = 4;
    e.nTeinte = 0;
    e.nTolColorimetrie = 8;
    EXPECT_EQ(PctColorimetrie(e, Image), 50);
    EXPECT_EQ(e.nResColorimetrie, 50);
    EXPECT_EQ(TPixelsFiltre(e, nullptr).PctCouleur(Image), 50);
    // One pixel in 3: rnd(33.33).
    QImage Tiers(3, 1, QImage::Format_RGB32);
    Tiers.fill(Qt::blue);
    Tiers.setPixel(0, 0, qRgb(255, 0, 0));
    EXPECT_EQ(PctColorimetrie(e, Tiers), 33);
    // A picture of another format is read as its colours.
    EXPECT_EQ(PctColorimetrie(e, Image.convertToFormat(QImage::Format_RGB888)), 50);

    EXPECT_EQ(PctColorimetrie(e, QImage()), -1);
    EXPECT_EQ(e.nResColorimetrie, 0);
    EXPECT_EQ(TPixelsFiltre(e, nullptr).PctCouleur(QImage()), -1);
}

TEST(Colorimetrie, CapturesTheZoneClampedAndItsMirror)
{
    const QImage Image = Blocs(10);
    TEnrFiltres e = Motif(1, true);
    e.lMotifZone = true;
    e.rZoneMotif = QRect(QPoint(5, 0), QPoint(14, 1));
    std::optional<TMotif> m = CaptureMotif(e, Image);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->nZw, 10);
    EXPECT_EQ(m->nZh, 2);
    EXPECT_EQ(m->nGauche, 5);
    EXPECT_EQ(m->P[0], QColor(Qt::red).rgb());
    EXPECT_EQ(m->P[9], QColor(Qt::blue).rgb());
    EXPECT_EQ(m->PSym[0], QColor(Qt::blue).rgb());
    EXPECT_EQ(m->PSym[19], QColor(Qt::red).rgb());

    // Beyond the picture: cut to it.
    e.rZoneMotif = QRect(QPoint(-20, 25), QPoint(1000, 1000));
    m = CaptureMotif(e, Image);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->nGauche, 0);
    EXPECT_EQ(m->nHaut, 25);
    EXPECT_EQ(m->nZw, 40);
    EXPECT_EQ(m->nZh, 5);
    // Inverted, or wholly outside: no pattern.
    e.rZoneMotif = QRect(QPoint(30, 20), QPoint(10, 5));
    EXPECT_FALSE(CaptureMotif(e, Image));
    e.rZoneMotif = QRect(QPoint(50, 0), QPoint(60, 10));
    EXPECT_FALSE(CaptureMotif(e, Image));
    EXPECT_FALSE(CaptureMotif(e, QImage()));
    // Without a zone, the whole picture.
    e.lMotifZone = false;
    m = CaptureMotif(e, Image);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->nZw * m->nZh, 1200);

    // A zone wider than any fixed row buffer is mirrored whole.
    QImage Large(9000, 2, QImage::Format_RGB32);
    Large.fill(Qt::black);
    for (int x = 0; x < 9000; ++x)
        Large.setPixel(x, 0, qRgb(x % 256, x / 256, 0));
    m = CaptureMotif(e, Large);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->PSym[0], Large.pixel(8999, 0));
    EXPECT_EQ(m->PSym[8999], Large.pixel(0, 0));
    TEnrFiltres f = e;
    f.nMethPixMotif = 1;
    f.nSeuilMotif = 100;
    f.lMotifSym = false;
    EXPECT_LT(PctMotif(f, Large.mirrored(true, false), *m), 100);
    f.lMotifSym = true;
    EXPECT_EQ(PctMotif(f, Large.mirrored(true, false), *m), 100);
}

TEST(Colorimetrie, AStretchedIdenticalPatternMatchesWhollyAtAnySize)
{
    const QImage Motif10 = Blocs(10);
    TEnrFiltres e = Motif();
    const std::optional<TMotif> m = CaptureMotif(e, Motif10);
    ASSERT_TRUE(m);
    for (int nCote : {10, 25, 40, 37}) {
        EXPECT_EQ(PctMotif(e, Blocs(nCote), *m), 100) << nCote;
        EXPECT_EQ(e.nResMotif, 100);
        EXPECT_EQ(TPixelsFiltre(e, std::make_shared<TMotif>(*m)).PctMotif(Blocs(nCote)), 100) << nCote;
    }
    // A different picture does not.
    QImage Autre = Blocs(20).mirrored(true, false);
    EXPECT_LT(PctMotif(e, Autre, *m), 50);
    EXPECT_EQ(PctMotif(e, QImage(), *m), -1);
    EXPECT_EQ(e.nResMotif, 0);
}

TEST(Colorimetrie, PlacesAreTriedInOrderUntilTheThreshold)
{
    // The zone is the yellow block (column 3, row 0) of a 40 × 30 pattern.
    TEnrFiltres e = Motif(5);
    e.lMotifZone = true;
    e.rZoneMotif = QRect(QPoint(30, 0), QPoint(39, 9));
    const std::optional<TMotif> m = CaptureMotif(e, Blocs(10));
    ASSERT_TRUE(m);
    const auto Pixels = std::make_shared<TMotif>(*m);
    int nPlaces = 0;

    // Found at the same relative place: nothing else is tried.
    EXPECT_EQ(PctMotif(e, Blocs(40), *m, &nPlaces), 100);
    EXPECT_EQ(nPlaces, 1);
    EXPECT_EQ(TPixelsFiltre(e, Pixels).PctMotif(Blocs(40), &nPlaces), 100);
    EXPECT_EQ(nPlaces, 1);

    // Yellow at the left edge only: the left-right mirror (second place) finds it.
    QImage Thumb(160, 120, QImage::Format_RGB32);
    Thumb.fill(Qt::black);
    QPainter(&Thumb).fillRect(0, 0, 40, 40, Qt::yellow);
    EXPECT_EQ(PctMotif(e, Thumb, *m, &nPlaces), 100);
    EXPECT_EQ(nPlaces, 2);
    // Bottom left: found at the last place, XY.
    Thumb.fill(Qt::black);
    QPainter(&Thumb).fillRect(0, 80, 40, 40, Qt::yellow);
    EXPECT_EQ(PctMotif(e, Thumb, *m, &nPlaces), 100);
    EXPECT_EQ(nPlaces, 4);
    // Method 3 (left-right only) does not look there; it keeps the best count, 0.
    e.nMethZoneMotif = 3;
    EXPECT_EQ(PctMotif(e, Thumb, *m, &nPlaces), 0);
    EXPECT_EQ(nPlaces, 2);

    // Method 2: the centre, with the halving truncated: (161 - 40) div 2 = 60.
    e.nMethZoneMotif = 2;
    QImage Centre(161, 120, QImage::Format_RGB32);
    Centre.fill(Qt::black);
    QPainter(&Centre).fillRect(60, 40, 40, 40, Qt::yellow);
    EXPECT_EQ(PctMotif(e, Centre, *m, &nPlaces), 100);
    EXPECT_EQ(nPlaces, 2);
    EXPECT_EQ(TPixelsFiltre(e, Pixels).PctMotif(Centre), 100);
}

TEST(Colorimetrie, TheMirroredPatternIsTriedOnlyBelowTheThreshold)
{
    TEnrFiltres e = Motif(0, true);
    const QImage Image = Blocs(10);
    const std::optional<TMotif> m = CaptureMotif(e, Image.mirrored(true, false));
    ASSERT_TRUE(m);
    int nPlaces = 0;
    EXPECT_EQ(PctMotif(e, Blocs(30), *m, &nPlaces), 100);
    EXPECT_EQ(nPlaces, 2); // the direct pass stayed low
    e.lMotifSym = false;
    EXPECT_LT(PctMotif(e, Blocs(30), *m), 50);
    // A pattern that passes directly is not mirrored.
    e.lMotifSym = true;
    const std::optional<TMotif> Direct = CaptureMotif(e, Image);
    EXPECT_EQ(PctMotif(e, Blocs(30), *Direct, &nPlaces), 100);
    EXPECT_EQ(nPlaces, 1);
}

// The prepared tests take shortcuts (colours remembered, sampling tables, the pattern's HSL
// computed once): they must give the literal rules' percentages.
TEST(Colorimetrie, PreparedTestsEqualTheRules)
{
    std::mt19937 Gen(24);
    std::uniform_int_distribution<int> Taille(1, 50);
    for (int i = 0; i < 42; ++i) {
        TEnrFiltres e;
        e.lColorimetrie = true;
        e.nMethColorimetrie = static_cast<quint8>(1 + i % 7);
        e.nTeinte = static_cast<quint8>((i * 37) % 240);
        e.nSaturation = static_cast<quint8>((i * 53) % 241);
        e.nLuminosite = static_cast<quint8>((i * 71) % 241);
        e.nTolColorimetrie = static_cast<quint8>(8 + (i * 13) % 121);
        e.lMotif = true;
        e.nMethPixMotif = static_cast<quint8>(1 + (i / 7) % 7);
        e.nTolMotif = static_cast<quint8>(8 + (i * 29) % 121);
        e.nSeuilMotif = static_cast<quint8>(10 + (i * 17) % 91);
        e.nMethZoneMotif = static_cast<quint8>(i % 6);
        e.lMotifZone = i % 3 != 0;
        e.lMotifSym = i % 2 == 0;
        const QImage Source = Aleatoire(Taille(Gen), Taille(Gen), Gen);
        e.rZoneMotif =
            QRect(QPoint(Source.width() / 4, Source.height() / 3), QPoint(Source.width() * 3 / 4, Source.height() - 1));
        // Thumbnails made of blocks of the pattern, so that some places match.
        const QImage Vignette =
            i % 4 == 0 ? Aleatoire(Taille(Gen), Taille(Gen), Gen) : Source.scaled(Taille(Gen) + 10, Taille(Gen) + 10);
        const std::optional<TMotif> m = CaptureMotif(e, Source);
        ASSERT_TRUE(m);
        const TPixelsFiltre Prepare(e, std::make_shared<TMotif>(*m));
        TEnrFiltres r = e;
        EXPECT_EQ(Prepare.PctCouleur(Vignette), PctColorimetrie(r, Vignette)) << i;
        // Twice: the second run reads the remembered colours.
        EXPECT_EQ(Prepare.PctCouleur(Vignette), r.nResColorimetrie) << i;
        int nPlaces = 0, nPlacesRegle = 0;
        EXPECT_EQ(Prepare.PctMotif(Vignette, &nPlaces), PctMotif(r, Vignette, *m, &nPlacesRegle)) << i;
        EXPECT_EQ(nPlaces, nPlacesRegle) << i;
    }
}

namespace
{
// The conversion written out in floating point, one step after the other, halves to even.
TTSL TSLLitterale(QRgb p)
{
    const double r = qRed(p) / 255.0, g = qGreen(p) / 255.0, b = qBlue(p) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double l = (mx + mn) / 2;
    double h = 0, s = 0;
    if (mx != mn) {
        const double d = mx - mn;
        s = l < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
        h = mx == r ? (g - b) / d : mx == g ? (b - r) / d + 2 : (r - g) / d + 4;
        h /= 6;
        if (h < 0)
            h += 1;
    }
    return TTSL{int(std::nearbyint(h * 239)), int(std::nearbyint(s * 240)), int(std::nearbyint(l * 240))};
}

int Rnd(double v)
{
    return int(std::nearbyint(v));
}

// The pattern test written from its rules: the zone clamped to the pattern image, the scales,
// the places by method, the samples clamped to the thumbnail, the threshold that stops the
// places, the mirrored pattern below the threshold only.
int PctMotifLitteral(const TEnrFiltres &e, const QImage &Motif, const QImage &Vignette)
{
    const int Wm = Motif.width(), Hm = Motif.height();
    int g = 0, h = 0, d = Wm - 1, b = Hm - 1;
    if (e.lMotifZone) {
        g = std::max(0, e.rZoneMotif.left());
        h = std::max(0, e.rZoneMotif.top());
        d = std::min(Wm - 1, e.rZoneMotif.right());
        b = std::min(Hm - 1, e.rZoneMotif.bottom());
    }
    const int Zw = d - g + 1, Zh = b - h + 1;
    const int W = Vignette.width(), H = Vignette.height();
    const bool lEtire = !e.lMotifZone || e.nMethZoneMotif == 0;
    const double sx = double(W) / (lEtire ? Zw : Wm), sy = double(H) / (lEtire ? Zh : Hm);
    std::vector<std::pair<int, int>> Places = {{0, 0}};
    if (!lEtire) {
        const int x0 = Rnd(g * sx), y0 = Rnd(h * sy);
        const int xo = W - Rnd((g + Zw) * sx), yo = H - Rnd((h + Zh) * sy);
        Places = {{x0, y0}};
        switch (std::clamp<int>(e.nMethZoneMotif, 1, 5)) {
        case 2: Places.push_back({(W - Rnd(Zw * sx)) / 2, (H - Rnd(Zh * sy)) / 2}); break;
        case 3: Places.push_back({xo, y0}); break;
        case 4: Places.push_back({x0, yo}); break;
        case 5: Places.insert(Places.end(), {{xo, y0}, {x0, yo}, {xo, yo}}); break;
        default: break;
        }
    }
    const auto Passe = [&](bool lMiroir) {
        int nMeilleur = 0;
        for (const auto &[px, py] : Places) {
            int n = 0;
            for (int y = 0; y < Zh; ++y)
                for (int x = 0; x < Zw; ++x) {
                    const TTSL m = TSLLitterale(Motif.pixel(g + (lMiroir ? Zw - 1 - x : x), h + y));
                    const int ix = std::clamp(px + Rnd(x * sx), 0, W - 1);
                    const int iy = std::clamp(py + Rnd(y * sy), 0, H - 1);
                    const TTSL i = TSLLitterale(Vignette.pixel(ix, iy));
                    const int t = e.nTolMotif;
                    const int dh = std::abs(i.H - m.H);
                    bool lOK = true;
                    if ((e.nMethPixMotif & 4) && (i.S == 0 || (dh > t && 240 - dh > t)))
                        lOK = false;
                    if ((e.nMethPixMotif & 2) && (i.S == 0 || std::abs(i.S - m.S) > t))
                        lOK = false;
                    if ((e.nMethPixMotif & 1) && std::abs(i.L - m.L) > t)
                        lOK = false;
                    n += lOK;
                }
            nMeilleur = std::max(nMeilleur, n);
            if (Rnd(n * 100.0 / (Zw * Zh)) >= e.nSeuilMotif)
                break;
        }
        return Rnd(nMeilleur * 100.0 / (Zw * Zh));
    };
    int nPct = Passe(false);
    if (e.lMotifSym && nPct < e.nSeuilMotif)
        nPct = std::max(nPct, Passe(true));
    return nPct;
}

// A thumbnail resembling the pattern: the pattern resized, mirrored now and then, with noise.
QImage Ressemblante(const QImage &Motif, int w, int h, std::mt19937 &Gen)
{
    QImage v = Motif.scaled(w, h).convertToFormat(QImage::Format_RGB32);
    if (Gen() % 2)
        v = v.mirrored(true, false);
    std::uniform_int_distribution<int> Bruit(-24, 24);
    for (int y = 0; y < v.height(); ++y)
        for (int x = 0; x < v.width(); ++x) {
            const QRgb p = v.pixel(x, y);
            v.setPixel(x, y,
                       qRgb(std::clamp(qRed(p) + Bruit(Gen), 0, 255), std::clamp(qGreen(p) + Bruit(Gen), 0, 255),
                            std::clamp(qBlue(p) + Bruit(Gen), 0, 255)));
        }
    return v;
}
}

// The conversion reckons the hue in whole numbers: on every colour it must give what the
// floating-point steps give, ties included.
TEST(Colorimetrie, ConversionEqualsTheFloatingPointStepsOnEveryColour)
{
    int nEcarts = 0;
    for (int r = 0; r < 256; ++r)
        for (int g = 0; g < 256; ++g)
            for (int b = 0; b < 256; ++b)
                if (VersTSL(r, g, b) != TSLLitterale(qRgb(r, g, b)) && ++nEcarts <= 5)
                    ADD_FAILURE() << r << " " << g << " " << b;
    EXPECT_EQ(nEcarts, 0);
}

// A build's pattern test converts each thumbnail at most once, beforehand or at the first
// sample by the thumbnail's size, and a huge one at each sample: every way gives the rules'
// percentage, places and mirror included.
TEST(Colorimetrie, PreparedPatternTestEqualsTheWrittenOutRules)
{
    std::mt19937 Gen(2024);
    std::uniform_int_distribution<int> Taille(3, 60);
    for (int i = 0; i < 60; ++i) {
        TEnrFiltres e;
        e.lMotif = true;
        e.nMethPixMotif = static_cast<quint8>(1 + i % 7);
        e.nTolMotif = static_cast<quint8>(6 + (i * 11) % 40);
        e.nSeuilMotif = static_cast<quint8>(20 + (i * 23) % 81);
        e.lMotifZone = i % 2 == 1;
        e.nMethZoneMotif = static_cast<quint8>((i / 2) % 6);
        e.lMotifSym = (i / 3) % 2 == 0;
        const QImage Source = Blocs(2 + i % 5).scaled(Taille(Gen), Taille(Gen));
        e.rZoneMotif = QRect(QPoint(int(Gen() % 20) - 5, int(Gen() % 20) - 5), QSize(Taille(Gen), Taille(Gen)));
        const std::optional<TMotif> m = CaptureMotif(e, Source);
        if (!m)
            continue;
        const TPixelsFiltre Prepare(e, std::make_shared<TMotif>(*m));
        // Smaller and larger than the pattern, so that both ways of converting are taken.
        for (const QImage &v :
             {Ressemblante(Source, Taille(Gen), Taille(Gen), Gen),
              Ressemblante(Source, Taille(Gen) * 4, Taille(Gen) * 4, Gen), Aleatoire(Taille(Gen), Taille(Gen), Gen)})
            EXPECT_EQ(Prepare.PctMotif(v), PctMotifLitteral(e, Source, v))
                << i << " " << v.width() << "x" << v.height();
    }

    // Beyond four million pixels, each sample is converted where it is read.
    TEnrFiltres e = Motif(0, true);
    e.nTolMotif = 20;
    e.nSeuilMotif = 100;
    const QImage Source = Ressemblante(Blocs(1), 4, 3, Gen);
    const std::optional<TMotif> m = CaptureMotif(e, Source);
    ASSERT_TRUE(m);
    const QImage Grande = Source.scaled(2100, 2000).mirrored(true, false).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(TPixelsFiltre(e, std::make_shared<TMotif>(*m)).PctMotif(Grande), PctMotifLitteral(e, Source, Grande));
}

TEST(Colorimetrie, PreparedColourTestEqualsTheWrittenOutRule)
{
    std::mt19937 Gen(7);
    for (int i = 0; i < 28; ++i) {
        TEnrFiltres e;
        e.lColorimetrie = true;
        e.nMethColorimetrie = static_cast<quint8>(1 + i % 7);
        e.nTeinte = static_cast<quint8>((i * 41) % 240);
        e.nSaturation = static_cast<quint8>((i * 59) % 241);
        e.nLuminosite = static_cast<quint8>((i * 83) % 241);
        e.nTolColorimetrie = static_cast<quint8>(20 + (i * 13) % 100);
        const QImage v = Aleatoire(40, 30, Gen);
        int n = 0;
        for (int y = 0; y < v.height(); ++y)
            for (int x = 0; x < v.width(); ++x) {
                const TTSL p = TSLLitterale(v.pixel(x, y));
                const int t = e.nTolColorimetrie;
                const int dh = std::abs(p.H - e.nTeinte);
                const bool lTeinte = !(e.nMethColorimetrie & 4) || (p.S != 0 && (dh <= t || 240 - dh <= t));
                const bool lSat = !(e.nMethColorimetrie & 2) || std::abs(p.S - e.nSaturation) <= t;
                const bool lLum = !(e.nMethColorimetrie & 1) || std::abs(p.L - e.nLuminosite) <= t;
                n += lTeinte && lSat && lLum;
            }
        EXPECT_EQ(TPixelsFiltre(e, nullptr).PctCouleur(v), Rnd(n * 100.0 / 1200)) << i;
    }
}
