#include "calendar/PleinEcran.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

using namespace PleinEcran;

namespace
{
const QSize Ecran(1920, 1080);
const std::array<bool, 4> lTousTrts{true, true, true, true};

// Waits for the worker to have nothing left, taking what it finished.
void AttendLibre(TAvanceImages &Avance)
{
    QElapsedTimer t;
    t.start();
    while (Avance.Occupe() && t.elapsed() < 10000) {
        QThread::msleep(2);
        Avance.Recoit();
    }
}
} // namespace

TEST(DisposerImage, FitsLargePicturesAndCentresSmallOnes)
{
    // 6000 × 4000 on 1920 × 1080: r = max(3.125, 3.7037) → 1620 × 1080, centred across.
    TDisposition d = DisposerImage({6000, 4000}, Ecran, true, {});
    EXPECT_EQ(d.Taille, QSize(1620, 1080));
    EXPECT_EQ(d.Position, QPoint(150, 0));
    EXPECT_FALSE(d.lCentrer);

    // Small: kept at its size, centred both ways (div truncates), nothing to centre.
    d = DisposerImage({301, 201}, Ecran, true, {});
    EXPECT_EQ(d.Taille, QSize(301, 201));
    EXPECT_EQ(d.Position, QPoint(809, 439));
    EXPECT_FALSE(d.lCentrer);

    // Another zoom takes the main pane's size: larger than the screen, at the top left.
    d = DisposerImage({6000, 4000}, Ecran, false, {3000, 2000});
    EXPECT_EQ(d.Taille, QSize(3000, 2000));
    EXPECT_EQ(d.Position, QPoint(0, 0));
    EXPECT_TRUE(d.lCentrer);
    // Wider only still counts.
    EXPECT_TRUE(DisposerImage({100, 100}, Ecran, false, {2000, 500}).lCentrer);
}

TEST(DisposerImage, RoundsHalvesToEven)
{
    // 2000 × 1125 on 1000 × 1000: r = 2, height 562.5 → 562; 2000 × 1127 → 563.5 → 564.
    EXPECT_EQ(DisposerImage({2000, 1125}, {1000, 1000}, true, {}).Taille, QSize(1000, 562));
    EXPECT_EQ(DisposerImage({2000, 1127}, {1000, 1000}, true, {}).Taille, QSize(1000, 564));
    EXPECT_EQ(Arrondi(2.5), 2);
    EXPECT_EQ(Arrondi(-2.5), -2);
    EXPECT_EQ(Arrondi(3.5), 4);
}

TEST(TracerZone, RectangleOfTheVisiblePart)
{
    // 3840 × 2160 shown at (-960, -540), position picture 160 wide: x = 24, 540 / 24 = 22.5.
    const auto r = Zone({3840, 2160}, {-960, -540}, Ecran, 160);
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, QRect(40, 22, 80, 45));
    // A position picture without width (no thumbnail yet) or an empty picture: no rectangle.
    EXPECT_FALSE(Zone({3840, 2160}, {0, 0}, Ecran, 0));
    EXPECT_FALSE(Zone({0, 0}, {0, 0}, Ecran, 160));
}

TEST(TracerZone, ClickOnThePositionPictureCentresThere)
{
    // x = 24; a click at (100, 50) puts image point (2400, 1200) in the screen's middle.
    const auto p = PositionDepuisClic({3840, 2160}, Ecran, 160, {100, 50});
    ASSERT_TRUE(p);
    EXPECT_EQ(*p, QPoint(-(2400 - 960), -(1200 - 540)));
    // The view is not kept inside the picture: a click at the far corner goes past it.
    EXPECT_EQ(*PositionDepuisClic({3840, 2160}, Ecran, 160, {160, 90}), QPoint(-2880, -1620));
    // A picture that fits the screen does not move.
    EXPECT_FALSE(PositionDepuisClic({1000, 800}, Ecran, 160, {10, 10}));
    EXPECT_FALSE(PositionDepuisClic({3840, 2160}, Ecran, 0, {10, 10}));
}

TEST(ToucheTable, NavigationWrapsAndOtherKeysBeepWhenDisabled)
{
    // Left on the first row goes to the last, Right on the last to the first.
    EXPECT_EQ(ActionTouche(Qt::Key_Left, {}, 0, 5, true, lTousTrts).nTouche, Qt::Key_End);
    EXPECT_EQ(ActionTouche(Qt::Key_Right, {}, 4, 5, true, lTousTrts).nTouche, Qt::Key_Home);
    EXPECT_EQ(ActionTouche(Qt::Key_Left, {}, 2, 5, true, lTousTrts).nTouche, Qt::Key_Left);
    EXPECT_EQ(ActionTouche(Qt::Key_Right, {}, 3, 5, true, lTousTrts).nTouche, Qt::Key_Right);
    // Keypad arrows are the same keys.
    const TActionTouche Pave = ActionTouche(Qt::Key_Right, Qt::KeypadModifier, 4, 5, true, lTousTrts);
    EXPECT_EQ(Pave.nGenre, TActionTouche::Naviguer);
    EXPECT_EQ(Pave.nTouche, Qt::Key_Home);
    EXPECT_EQ(ActionTouche(Qt::Key_PageDown, {}, 1, 5, false, lTousTrts).nGenre, TActionTouche::Naviguer);
    EXPECT_EQ(ActionTouche(Qt::Key_Escape, {}, 1, 5, true, lTousTrts).nGenre, TActionTouche::Fermer);

    // Ctrl with the page keys is the zoom, or a beep while the main list is disabled.
    EXPECT_EQ(ActionTouche(Qt::Key_Home, Qt::ControlModifier, 1, 5, true, lTousTrts).nGenre, TActionTouche::Zoom);
    EXPECT_EQ(ActionTouche(Qt::Key_Home, Qt::ControlModifier, 1, 5, false, lTousTrts).nGenre, TActionTouche::Bip);
    // Ctrl+G, D, H, V each follow their own main-window counterpart.
    const std::array<bool, 4> lSeulH{false, false, true, false};
    const TActionTouche h = ActionTouche(Qt::Key_H, Qt::ControlModifier, 1, 5, true, lSeulH);
    EXPECT_EQ(h.nGenre, TActionTouche::Traitement);
    EXPECT_EQ(h.nTrt, 2);
    EXPECT_EQ(ActionTouche(Qt::Key_G, Qt::ControlModifier, 1, 5, true, lSeulH).nGenre, TActionTouche::Bip);
    EXPECT_EQ(ActionTouche(Qt::Key_V, Qt::ControlModifier, 1, 5, true, lTousTrts).nTrt, 3);

    // Any other combination does nothing.
    EXPECT_EQ(ActionTouche(Qt::Key_Left, Qt::ShiftModifier, 0, 5, true, lTousTrts).nGenre, TActionTouche::Rien);
    EXPECT_EQ(ActionTouche(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier, 1, 5, true, lTousTrts).nGenre,
              TActionTouche::Rien);
    EXPECT_EQ(ActionTouche(Qt::Key_G, {}, 1, 5, true, lTousTrts).nGenre, TActionTouche::Rien);
    EXPECT_EQ(ActionTouche(Qt::Key_Left, Qt::ControlModifier, 1, 5, true, lTousTrts).nGenre, TActionTouche::Rien);
}

TEST(AvanceImages, DecodesAheadKeepsThreeAndServesFromWhatIsKept)
{
    std::atomic<int> nDecodes = 0;
    TAvanceImages Avance(
        [&](const QString &c) {
            ++nDecodes;
            TImagePleinEcran i;
            i.Image = QImage(4, 4, QImage::Format_RGB32);
            i.lLue = c != QLatin1String("illisible");
            return i;
        },
        {});
    EXPECT_FALSE(Avance.Demande(QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")));
    AttendLibre(Avance);
    EXPECT_EQ(Avance.Decodages(), QStringList({"b", "c", "a"}));
    // One step on: c was decoded ahead and is there at once; only d is new.
    const auto c = Avance.Demande(QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("b"));
    ASSERT_TRUE(c);
    EXPECT_EQ(c->cFichier, QStringLiteral("c"));
    AttendLibre(Avance);
    EXPECT_EQ(Avance.Decodages().size(), 4);
    QStringList Gardees = Avance.Gardees();
    Gardees.sort();
    EXPECT_EQ(Gardees, QStringList({"b", "c", "d"}));
    // A failed decode is kept as such and shown as a placeholder, not decoded again.
    Avance.Demande(QStringLiteral("illisible"), {}, {});
    AttendLibre(Avance);
    const auto i = Avance.Demande(QStringLiteral("illisible"), {}, {});
    ASSERT_TRUE(i);
    EXPECT_FALSE(i->lLue);
    EXPECT_EQ(nDecodes.load(), 5);
}

TEST(AvanceImages, NewerRequestsSupersedeWaitingOnes)
{
    std::mutex Porte;
    Porte.lock();
    TAvanceImages Avance(
        [&](const QString &) {
            // The first decode waits until the keys have been "held".
            std::lock_guard Attente(Porte);
            TImagePleinEcran i;
            i.lLue = true;
            return i;
        },
        {});
    Avance.Demande(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0"));
    // Auto-repeat: each press asks for the next one while the first decode still runs.
    QElapsedTimer t;
    t.start();
    while (Avance.Decodages().isEmpty() && t.elapsed() < 10000)
        QThread::msleep(1);
    for (int n = 2; n <= 20; ++n)
        Avance.Demande(QString::number(n), QString::number(n + 1), QString::number(n - 1));
    Porte.unlock();
    AttendLibre(Avance);
    // The running decode ends; of all the presses only the last one's images are decoded.
    EXPECT_EQ(Avance.Decodages(), QStringList({"1", "20", "21", "19"}));
    EXPECT_EQ(Avance.Gardees().size(), 3);
    EXPECT_FALSE(Avance.Gardees().contains(QStringLiteral("1")));
}
