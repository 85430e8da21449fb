#include "components/PanneauImage.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
struct PanneauImageTest : ::testing::Test
{
    TPanneauImage Panneau;

    void SetUp() override
    {
        Panneau.resize(400, 300);
        Panneau.MetCouleurFond(Qt::gray);
        Panneau.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Panneau));
    }
    QPoint Defilement() const { return {Panneau.horizontalScrollBar()->value(), Panneau.verticalScrollBar()->value()}; }
    void Souris(QEvent::Type Type, QPoint pt, Qt::MouseButton Bouton = Qt::LeftButton)
    {
        const Qt::MouseButtons Boutons = Type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Bouton);
        QMouseEvent e(Type, QPointF(pt), Panneau.viewport()->mapToGlobal(QPointF(pt)),
                      Type == QEvent::MouseMove ? Qt::NoButton : Bouton, Boutons, Qt::NoModifier);
        QApplication::sendEvent(Panneau.viewport(), &e);
    }
    QImage Vue() { return Panneau.viewport()->grab().toImage(); }
};

// Two columns, black then white, and a green last column to find the far end.
QImage Bandes(int w, int h)
{
    QImage Image(w, h, QImage::Format_RGB32);
    for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y)
            Image.setPixel(x, y, x == w - 1 ? qRgb(0, 255, 0) : x < w / 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return Image;
}
} // namespace

TEST_F(PanneauImageTest, EnlargementsAreSquarePixelsDrawnWithoutACopy)
{
    Panneau.MetImage(Bandes(4, 2), QSize(32, 16)); // 8:1, centred
    const QImage v = Vue();
    const QPoint O((400 - 32) / 2, (300 - 16) / 2);
    EXPECT_EQ(v.pixel(O + QPoint(15, 0)), qRgb(0, 0, 0));
    EXPECT_EQ(v.pixel(O + QPoint(16, 15)), qRgb(255, 255, 255));
    EXPECT_EQ(v.pixel(O + QPoint(24, 8)), qRgb(0, 255, 0));
    EXPECT_EQ(v.pixel(O - QPoint(1, 1)), QColor(Qt::gray).rgb());
    EXPECT_FALSE(Panneau.horizontalScrollBar()->isVisible());
}

TEST_F(PanneauImageTest, AVeryWidePictureAtEightToOnePaintsOnlyItsViewport)
{
    // 65,535 pixels wide at 8:1 is 524,280 pixels: the range scrolls it, nothing that size is
    // made.
    Panneau.MetImage(Bandes(65535, 16), QSize(65535 * 8, 16 * 8));
    const int nVue = Panneau.viewport()->width();
    EXPECT_EQ(Panneau.horizontalScrollBar()->maximum(), 65535 * 8 - nVue);
    Panneau.horizontalScrollBar()->setValue(Panneau.horizontalScrollBar()->maximum());
    const QImage v = Vue();
    const int y = Panneau.viewport()->height() / 2; // the strip is centred vertically
    EXPECT_EQ(v.pixel(nVue - 1, y), qRgb(0, 255, 0));
    EXPECT_EQ(v.pixel(nVue - 8, y), qRgb(0, 255, 0));
    EXPECT_EQ(v.pixel(nVue - 9, y), qRgb(255, 255, 255));
    EXPECT_EQ(v.pixel(nVue - 1, 2), QColor(Qt::gray).rgb());
    EXPECT_TRUE(Panneau.PlusGrandeCopie().isEmpty());
}

TEST_F(PanneauImageTest, ReductionsAreSmoothedIntoNoMoreThanTheViewport)
{
    QImage Source(3000, 2000, QImage::Format_RGB32);
    Source.fill(qRgb(200, 40, 40));
    // Fine black and white lines: smoothed at 1:2 they come out grey, not black or white.
    for (int y = 0; y < 2000; ++y)
        for (int x = 1000; x < 3000; ++x)
            Source.setPixel(x, y, (x & 1) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    Panneau.MetImage(Source, QSize(1500, 1000));
    QImage v = Vue();
    const QSize Viewport = Panneau.viewport()->size();
    EXPECT_EQ(v.pixel(10, 10), qRgb(200, 40, 40));
    Panneau.horizontalScrollBar()->setValue(1000);
    v = Vue();
    const QColor Gris = v.pixelColor(200, 100);
    EXPECT_NEAR(Gris.red(), 128, 20);
    EXPECT_LE(Panneau.PlusGrandeCopie().width(), Viewport.width());
    EXPECT_LE(Panneau.PlusGrandeCopie().height(), Viewport.height());
    EXPECT_FALSE(Panneau.PlusGrandeCopie().isEmpty());
}

TEST_F(PanneauImageTest, DraggingFollowsThePointerFromEachPress)
{
    Panneau.MetImage(Bandes(100, 100), QSize(1000, 1000));
    Souris(QEvent::MouseButtonPress, {100, 100});
    EXPECT_EQ(Panneau.viewport()->cursor().shape(), Qt::ClosedHandCursor);
    Souris(QEvent::MouseMove, {60, 70});
    EXPECT_EQ(Defilement(), QPoint(40, 30));
    Souris(QEvent::MouseButtonRelease, {60, 70});
    EXPECT_EQ(Panneau.viewport()->cursor().shape(), Qt::ArrowCursor);
    // A second drag continues from there instead of jumping back.
    Souris(QEvent::MouseButtonPress, {200, 200});
    Souris(QEvent::MouseMove, {190, 195});
    EXPECT_EQ(Defilement(), QPoint(50, 35));
    Souris(QEvent::MouseButtonRelease, {190, 195});

    // A picture that fits is not dragged.
    Panneau.MetImage(Bandes(100, 100), QSize(100, 100));
    Souris(QEvent::MouseButtonPress, {200, 150});
    Souris(QEvent::MouseMove, {100, 100});
    Souris(QEvent::MouseButtonRelease, {100, 100});
    EXPECT_EQ(Defilement(), QPoint(0, 0));
    EXPECT_FALSE(Panneau.Glissement().EnCours());
}

TEST_F(PanneauImageTest, ADoubleClickStartsNoDragAndTheRightButtonAsksForTheMenu)
{
    QSignalSpy DoubleClic(&Panneau, &TPanneauImage::DoubleClic);
    QSignalSpy Menu(&Panneau, &TPanneauImage::MenuDemande);
    Panneau.MetImage(Bandes(100, 100), QSize(1000, 1000));
    // As the platform delivers a double click: press, release, press, double click, release.
    Souris(QEvent::MouseButtonPress, {100, 100});
    Souris(QEvent::MouseButtonRelease, {100, 100});
    Souris(QEvent::MouseButtonPress, {100, 100});
    Souris(QEvent::MouseButtonDblClick, {100, 100});
    Souris(QEvent::MouseMove, {50, 50});
    EXPECT_EQ(Defilement(), QPoint(0, 0));
    EXPECT_EQ(Panneau.viewport()->cursor().shape(), Qt::ArrowCursor);
    Souris(QEvent::MouseButtonRelease, {50, 50});
    EXPECT_EQ(DoubleClic.size(), 1);
    // The next press is an ordinary one.
    Souris(QEvent::MouseButtonPress, {100, 100});
    Souris(QEvent::MouseMove, {90, 100});
    EXPECT_EQ(Defilement(), QPoint(10, 0));
    Souris(QEvent::MouseButtonRelease, {90, 100});

    Souris(QEvent::MouseButtonPress, {30, 40}, Qt::RightButton);
    ASSERT_EQ(Menu.size(), 1);
    EXPECT_EQ(Menu.at(0).at(0).toPoint(), Panneau.viewport()->mapToGlobal(QPoint(30, 40)));
}
