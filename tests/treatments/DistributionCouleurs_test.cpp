#include "treatments/DistributionCouleurs.h"

#include "storage/BigIniFiles.h"
#include "storage/Sections.h"
#include "storage/Settings.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <numeric>

namespace
{
// Columns of given colours, each as many pixels wide as asked, on nH rows.
QImage Bandes(const QList<std::pair<QRgb, int>> &Bandes, int nH, QImage::Format f = QImage::Format_RGB32)
{
    int w = 0;
    for (const auto &b : Bandes)
        w += b.second;
    QImage im(w, nH, QImage::Format_RGB32);
    int x0 = 0;
    for (const auto &[c, n] : Bandes) {
        for (int y = 0; y < nH; ++y)
            for (int x = x0; x < x0 + n; ++x)
                im.setPixel(x, y, c);
        x0 += n;
    }
    return f == QImage::Format_RGB32 ? im : im.convertToFormat(f);
}

quint64 Somme(const TCompteursY &a)
{
    return std::accumulate(a.begin(), a.end(), quint64(0));
}

TDistribution Distribution(std::initializer_list<std::pair<int, quint64>> Tous)
{
    TDistribution d;
    for (const auto &[y, n] : Tous)
        d.nDistTous[size_t(y)] = n;
    d.lCalculee = true;
    return d;
}
} // namespace

TEST(DistributionCouleurs, PrimariesAndNearGreyCountAtTheirLuminance)
{
    // 3 red, 5 green, 7 blue, 11 of (100, 96, 40) per row, 2 rows.
    const QImage im =
        Bandes({{qRgb(255, 0, 0), 3}, {qRgb(0, 255, 0), 5}, {qRgb(0, 0, 255), 7}, {qRgb(100, 96, 40), 11}}, 2);
    for (int nFils : {1, 2}) {
        const TDistribution d = CalculeDistribution(im, nFils);
        EXPECT_TRUE(d.lCalculee);
        EXPECT_EQ(d.nDistTous[76], 6u);
        EXPECT_EQ(d.nDistRouge[76], 6u);
        EXPECT_EQ(d.nDistTous[153], 10u);
        EXPECT_EQ(d.nDistVert[153], 10u);
        EXPECT_EQ(d.nDistTous[25], 14u);
        EXPECT_EQ(d.nDistBleu[25], 14u);
        // R − G = 4: no lead, counted only among all pixels.
        EXPECT_EQ(d.nDistTous[91], 22u);
        EXPECT_EQ(Somme(d.nDistTous), 52u);
        EXPECT_EQ(Somme(d.nDistRouge), 6u);
        EXPECT_EQ(Somme(d.nDistVert), 10u);
        EXPECT_EQ(Somme(d.nDistBleu), 14u);
    }
    // A lead of exactly 5 is no lead; 6 is.
    EXPECT_EQ(DominantePixel(105, 100, 100), TDominante::Aucune);
    EXPECT_EQ(DominantePixel(106, 100, 100), TDominante::Rouge);
    EXPECT_EQ(DominantePixel(100, 106, 0), TDominante::Vert);
    EXPECT_EQ(DominantePixel(0, 100, 106), TDominante::Bleu);
    EXPECT_EQ(DominantePixel(200, 200, 0), TDominante::Aucune);
}

TEST(DistributionCouleurs, AnySplitAndAnyFormatCountLikeThePixelRule)
{
    // Noisy pixels near the lead threshold, odd sizes so that rows and blocks split unevenly.
    QImage im(1003, 157, QImage::Format_RGB32);
    QRandomGenerator g(7);
    TDistribution Attendue;
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x) {
            const int base = int(g.bounded(256));
            const int r = qBound(0, base + int(g.bounded(17)) - 8, 255);
            const int v = qBound(0, base + int(g.bounded(17)) - 8, 255);
            const int b = y % 3 == 0 ? int(g.bounded(256)) : qBound(0, base + int(g.bounded(17)) - 8, 255);
            im.setPixel(x, y, qRgb(r, v, b));
            const size_t n = size_t((30 * r + 60 * v + 10 * b) / 100);
            ++Attendue.nDistTous[n];
            if (r - v > 5 && r - b > 5)
                ++Attendue.nDistRouge[n];
            else if (v - r > 5 && v - b > 5)
                ++Attendue.nDistVert[n];
            else if (b - r > 5 && b - v > 5)
                ++Attendue.nDistBleu[n];
        }
    for (int nFils : {1, 2, 3, 8, 0}) {
        const TDistribution d = CalculeDistribution(im, nFils);
        EXPECT_EQ(d.nDistTous, Attendue.nDistTous) << nFils;
        EXPECT_EQ(d.nDistRouge, Attendue.nDistRouge) << nFils;
        EXPECT_EQ(d.nDistVert, Attendue.nDistVert) << nFils;
        EXPECT_EQ(d.nDistBleu, Attendue.nDistBleu) << nFils;
    }
    // Other formats are read as their colours, alpha ignored.
    for (QImage::Format f : {QImage::Format_RGB888, QImage::Format_ARGB32, QImage::Format_RGBX8888}) {
        const TDistribution d = CalculeDistribution(im.convertToFormat(f), 2);
        EXPECT_EQ(d.nDistTous, Attendue.nDistTous) << f;
        EXPECT_EQ(d.nDistVert, Attendue.nDistVert) << f;
    }
}

TEST(DistributionCouleurs, EveryColourCountsAtItsLuminanceAndLead)
{
    // All 2^24 colours once each: the counting's arithmetic against the rule, exhaustively.
    QImage im(4096, 4096, QImage::Format_RGB32);
    TDistribution Attendue;
    for (int y = 0; y < 4096; ++y) {
        auto *p = reinterpret_cast<QRgb *>(im.scanLine(y));
        for (int x = 0; x < 4096; ++x) {
            const int c = y * 4096 + x, r = c >> 16, v = (c >> 8) & 0xFF, b = c & 0xFF;
            p[x] = qRgb(r, v, b);
            const size_t n = size_t((30 * r + 60 * v + 10 * b) / 100);
            ++Attendue.nDistTous[n];
            if (r - v > 5 && r - b > 5)
                ++Attendue.nDistRouge[n];
            else if (v - r > 5 && v - b > 5)
                ++Attendue.nDistVert[n];
            else if (b - r > 5 && b - v > 5)
                ++Attendue.nDistBleu[n];
        }
    }
    const TDistribution d = CalculeDistribution(im, 2);
    EXPECT_EQ(d.nDistTous, Attendue.nDistTous);
    EXPECT_EQ(d.nDistRouge, Attendue.nDistRouge);
    EXPECT_EQ(d.nDistVert, Attendue.nDistVert);
    EXPECT_EQ(d.nDistBleu, Attendue.nDistBleu);
    EXPECT_EQ(d.nDistTous[255], 1u);
}

TEST(DistributionCouleurs, TinyThinAndOneColourPictures)
{
    const TDistribution Un = CalculeDistribution(Bandes({{qRgb(10, 200, 30), 1}}, 1), 4);
    EXPECT_EQ(Un.nDistTous[(300 + 12000 + 300) / 100], 1u);
    EXPECT_EQ(Somme(Un.nDistTous), 1u);
    EXPECT_EQ(Somme(Un.nDistVert), 1u);

    // The widest and tallest sides the imaging limits allow.
    const TDistribution Large = CalculeDistribution(Bandes({{qRgb(255, 255, 255), 65535}}, 1), 2);
    EXPECT_EQ(Large.nDistTous[255], 65535u);
    const TDistribution Haute = CalculeDistribution(Bandes({{qRgb(0, 0, 0), 1}}, 65535), 2);
    EXPECT_EQ(Haute.nDistTous[0], 65535u);
    EXPECT_EQ(Somme(Haute.nDistRouge) + Somme(Haute.nDistVert) + Somme(Haute.nDistBleu), 0u);

    const TDistribution Vide = CalculeDistribution(QImage());
    EXPECT_EQ(Somme(Vide.nDistTous), 0u);
}

TEST(DistributionCouleurs, RangeEndsMapToTheGraphEdgesHalvesToEven)
{
    EXPECT_EQ(XGraphe(63, 63, 192, 640), 0);
    EXPECT_EQ(XGraphe(192, 63, 192, 640), 639);
    EXPECT_EQ(XGraphe(0, 0, 255, 1920), 0);
    EXPECT_EQ(XGraphe(255, 0, 255, 1920), 1919);
    // (Y − 0) × 2 / 4: 0.5 goes to 0, 1.5 to 2, 2.5 to 2.
    EXPECT_EQ(XGraphe(1, 0, 4, 3), 0);
    EXPECT_EQ(XGraphe(3, 0, 4, 3), 2);
    EXPECT_EQ(XGraphe(5, 0, 4, 3), 2);
    // Below the range falls off the left edge, above it off the right.
    EXPECT_LT(XGraphe(62, 63, 192, 640), 0);
    EXPECT_GT(XGraphe(193, 63, 192, 640), 639);

    EXPECT_EQ(YGraphe(0, 1000, 200), 199);
    EXPECT_EQ(YGraphe(1000, 1000, 200), 0);
    EXPECT_EQ(YGraphe(500, 1000, 201), 100);
    // The largest count a picture may have, on a tall graph: no overflow.
    const quint64 nMax = 500ull * 1000 * 1000;
    EXPECT_EQ(YGraphe(nMax, nMax, 65535), 0);
    EXPECT_EQ(YGraphe(nMax / 2, nMax, 65535), 32767);
}

TEST(DistributionCouleurs, PeakComesFromTheRangeOfAllFourArrays)
{
    TDistribution d = Distribution({{10, 100000}, {63, 40}, {100, 50}, {192, 20}, {250, 90000}});
    d.nDistRouge[100] = 30;
    d.nDistTous[100] = 30; // a colour count can only reach the luminance count
    d.nDistRouge[120] = 80;
    d.nDistTous[120] = 80;
    const TGraphe g = TraceGraphe(d, 63, 192, 300, 101, {});
    EXPECT_EQ(g.nPic, 80u);
    ASSERT_EQ(g.Courbes.size(), 4);
    const QList<QColor> Couleurs = {QColor(192, 192, 192), QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
    for (int i = 0; i < 4; ++i) {
        const TCourbe &c = g.Courbes[i];
        EXPECT_EQ(c.Couleur, Couleurs[i]);
        ASSERT_EQ(c.Segments.size(), 192 - 63);
        EXPECT_EQ(c.Segments.first().p1().x(), 0);
        EXPECT_EQ(c.Segments.last().p2().x(), 299);
        for (int s = 1; s < c.Segments.size(); ++s)
            EXPECT_EQ(c.Segments[s].p1(), c.Segments[s - 1].p2());
    }
    // Y 120 with the peak count reaches the top row, at its place across.
    EXPECT_EQ(g.Courbes[1].Segments[120 - 63 - 1].p2(), QPoint(XGraphe(120, 63, 192, 300), 0));
    // Y 63 with 40 of 80: half way down the 100 usable rows.
    EXPECT_EQ(g.Courbes[0].Segments[0].p1(), QPoint(0, 50));

    // Hiding every curve leaves black, the scale unchanged.
    const TGraphe Aucune = TraceGraphe(d, 63, 192, 300, 101, {false, false, false, false});
    EXPECT_EQ(Aucune.nPic, 80u);
    EXPECT_TRUE(Aucune.Courbes.isEmpty());
    const QImage Noir = DessineGraphe(Aucune);
    ASSERT_EQ(Noir.size(), QSize(300, 101));
    for (int y = 0; y < Noir.height(); ++y)
        for (int x = 0; x < Noir.width(); ++x)
            ASSERT_EQ(Noir.pixel(x, y), qRgb(0, 0, 0));

    // Only the shown ones, in their order.
    const TGraphe Deux = TraceGraphe(d, 63, 192, 300, 101, {false, true, false, true});
    ASSERT_EQ(Deux.Courbes.size(), 2);
    EXPECT_EQ(Deux.Courbes[0].Couleur, QColor(255, 0, 0));
    EXPECT_EQ(Deux.Courbes[1].Couleur, QColor(0, 0, 255));
}

TEST(DistributionCouleurs, GreyPictureDrawsFlatColourCurvesOnTheLastRow)
{
    const TDistribution d = CalculeDistribution(Bandes({{qRgb(90, 90, 90), 40}, {qRgb(180, 180, 180), 60}}, 10));
    const TGraphe g = TraceGraphe(d, 0, 255, 256, 100, {});
    ASSERT_EQ(g.Courbes.size(), 4);
    for (int i = 1; i < 4; ++i)
        for (const QLine &s : g.Courbes[i].Segments) {
            ASSERT_EQ(s.p1().y(), 99);
            ASSERT_EQ(s.p2().y(), 99);
        }
    // Drawn, the bottom row shows the last colour curve (blue) away from the luminance peaks.
    const QImage im = DessineGraphe(g);
    EXPECT_EQ(im.pixel(20, 99), qRgb(0, 0, 255));
    EXPECT_EQ(im.pixel(240, 99), qRgb(0, 0, 255));
    // The luminance peak (60 pixels × 10 rows at Y 180) reaches the top row.
    EXPECT_EQ(im.pixel(XGraphe(180, 0, 255, 256), 0), qRgb(192, 192, 192));
}

TEST(DistributionCouleurs, NoPixelInRangeLaysEveryCurveOnTheBottomRow)
{
    // Everything black: nothing between 63 and 192.
    const TDistribution d = CalculeDistribution(Bandes({{qRgb(0, 0, 0), 8}}, 8));
    const TGraphe g = TraceGraphe(d, 63, 192, 200, 50, {});
    EXPECT_EQ(g.nPic, 0u);
    ASSERT_EQ(g.Courbes.size(), 4);
    for (const TCourbe &c : g.Courbes)
        for (const QLine &s : c.Segments) {
            ASSERT_EQ(s.p1().y(), 49);
            ASSERT_EQ(s.p2().y(), 49);
        }
    // Graphs too small to hold a line still come out whole.
    EXPECT_TRUE(TraceGraphe(d, 0, 255, 0, 50, {}).Courbes.isEmpty());
    const TGraphe Point = TraceGraphe(d, 0, 255, 1, 1, {});
    for (const TCourbe &c : Point.Courbes)
        EXPECT_EQ(c.Segments.last().p2(), QPoint(0, 0));
    // Nothing is drawn before the arrays are filled.
    EXPECT_TRUE(TraceGraphe(TDistribution{}, 0, 255, 100, 100, {}).Courbes.isEmpty());
}

TEST(DistributionCouleurs, PipetteReadingColoursAndNumbers)
{
    const TLecturePipette l = LecturePipette(qRgb(200, 100, 159));
    EXPECT_EQ(l.nY, (6000 + 6000 + 1590) / 100);
    EXPECT_EQ(l.nR, 200);
    EXPECT_EQ(l.nV, 100);
    EXPECT_EQ(l.nB, 159);
    EXPECT_EQ(l.clPipette, QColor(200, 100, 159));
    EXPECT_EQ(l.clLum, QColor(l.nY, l.nY, l.nY));
    EXPECT_EQ(l.clR, QColor(200, 0, 0));
    EXPECT_EQ(l.clV, QColor(0, 100, 0));
    EXPECT_EQ(l.clB, QColor(0, 0, 159));
    EXPECT_EQ(l.clTexteR, QColor(Qt::black));
    EXPECT_EQ(l.clTexteV, QColor(Qt::white));
    EXPECT_EQ(l.clTexteB, QColor(Qt::white));
    EXPECT_EQ(l.clTexteLum, QColor(Qt::white));
    EXPECT_EQ(CouleurTexteChiffre(160), QColor(Qt::black));
    EXPECT_EQ(CouleurTexteChiffre(159), QColor(Qt::white));
}

TEST(DistributionCouleurs, PipetteScrollsNearEdgesAndReadsOnlyWhenNothingMoved)
{
    const QSize Client(400, 300);
    const QPoint Max(1000, 800);
    // 10 px from the left of a scrolled pane: 20 px to the left, no reading.
    TPasPipette p = PasPipette({10, 150}, Client, {100, 50}, Max);
    EXPECT_TRUE(p.lDansClient);
    EXPECT_EQ(p.Defilement, QPoint(80, 50));
    EXPECT_FALSE(p.lLecture);
    // At the leftmost position the same point reads.
    p = PasPipette({10, 150}, Client, {0, 50}, Max);
    EXPECT_EQ(p.Defilement, QPoint(0, 50));
    EXPECT_TRUE(p.lLecture);
    // Edges: 19 is near, 20 is not; size − 20 is near; both axes at once.
    EXPECT_EQ(PasPipette({19, 20}, Client, {100, 100}, Max).Defilement, QPoint(80, 100));
    EXPECT_EQ(PasPipette({20, 19}, Client, {100, 100}, Max).Defilement, QPoint(100, 80));
    EXPECT_EQ(PasPipette({380, 280}, Client, {100, 100}, Max).Defilement, QPoint(120, 120));
    EXPECT_TRUE(PasPipette({379, 279}, Client, {100, 100}, Max).lLecture);
    // A move that scrolls less than 20 still reads nothing; at the end it reads.
    p = PasPipette({390, 150}, Client, {990, 0}, Max);
    EXPECT_EQ(p.Defilement, QPoint(1000, 0));
    EXPECT_FALSE(p.lLecture);
    EXPECT_TRUE(PasPipette({390, 150}, Client, {1000, 0}, Max).lLecture);
    // Outside the client area nothing happens.
    for (QPoint pt : {QPoint(-1, 10), QPoint(10, -1), QPoint(400, 10), QPoint(10, 300)}) {
        p = PasPipette(pt, Client, {100, 100}, Max);
        EXPECT_FALSE(p.lDansClient);
        EXPECT_FALSE(p.lLecture);
        EXPECT_EQ(p.Defilement, QPoint(100, 100));
    }
}

TEST(DistributionCouleurs, WindowSettingsAreWrittenSavedAndPlacedOnAScreen)
{
    QTemporaryDir Dossier;
    const QString cFichier = Dossier.filePath(QStringLiteral("KX_Setup.ini"));
    TEnrParametres P;
    const TReglagesGDC Defaut = ReglagesGDC(P);
    EXPECT_EQ(Defaut.Geometrie, QRect(0, 0, 520, 328));
    EXPECT_TRUE(Defaut.lR && Defaut.lV && Defaut.lB);
    {
        TBigIniFile Ini(cFichier);
        EXPECT_TRUE(EnregistreReglagesGDC({QRect(-30, 40, 700, 400), true, false, true}, P, Ini));
    }
    EXPECT_EQ(P.nLeft_GDC, -30);
    EXPECT_FALSE(P.lcbV_GDC);
    TBigIniFile Relu(cFichier);
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nLeft_GDC"), 0), -30);
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nTop_GDC"), 0), 40);
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nWidth_GDC"), 0), 700);
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nHeight_GDC"), 0), 400);
    EXPECT_TRUE(Relu.ReadBool(cSectionGeneral, QStringLiteral("lcbR_GDC"), false));
    EXPECT_FALSE(Relu.ReadBool(cSectionGeneral, QStringLiteral("lcbV_GDC"), true));
    EXPECT_TRUE(Relu.ReadBool(cSectionGeneral, QStringLiteral("lcbB_GDC"), false));
    TEnrParametres Lu;
    Lu.Lit(Relu, Dossier.path());
    EXPECT_EQ(ReglagesGDC(Lu).Geometrie, QRect(-30, 40, 700, 400));

    const QList<QRect> Ecrans = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QSize Min(520, 170);
    EXPECT_EQ(PlaceFenetreGDC(QRect(2000, 100, 600, 300), Ecrans, Ecrans[0], Min), QRect(2000, 100, 600, 300));
    QRect Attendu(QPoint(0, 0), Min);
    Attendu.moveCenter(Ecrans[1].center());
    EXPECT_EQ(PlaceFenetreGDC(QRect(5000, 100, 600, 300), Ecrans, Ecrans[1], Min), Attendu);
    EXPECT_EQ(PlaceFenetreGDC(QRect(100, -900, 600, 300), Ecrans, Ecrans[1], Min), Attendu);
    EXPECT_EQ(PlaceFenetreGDC(QRect(100, 100, 519, 300), Ecrans, Ecrans[1], Min), Attendu);
    EXPECT_EQ(PlaceFenetreGDC(QRect(100, 100, 600, 169), Ecrans, Ecrans[1], Min), Attendu);
}
