#include "calendar/PleinEcran.h"
#include "exploration/RapportZoom.h"
#include "imaging/JpegCodec.h"
#include "treatments/TraitementsImage.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <optional>

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

TEST(DisposerImage, ThumbnailStandingInIsEnlargedToFitAndCentred)
{
    // 160 × 120 on 1920 × 1080: 1440 × 1080, 240 from the left; a portrait one 90 × 120 →
    // 810 × 1080.
    EXPECT_EQ(PlaceApercu({160, 120}, Ecran), QRect(240, 0, 1440, 1080));
    EXPECT_EQ(PlaceApercu({90, 120}, Ecran), QRect(555, 0, 810, 1080));
    // A wide panorama is bound by the width.
    EXPECT_EQ(PlaceApercu({400, 100}, Ecran), QRect(0, 300, 1920, 480));
    EXPECT_TRUE(PlaceApercu({0, 120}, Ecran).isEmpty());
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
    // d waits until the owner has taken c on its way (its next Recoit).
    QThread::msleep(20);
    EXPECT_EQ(Avance.Decodages().size(), 3);
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

TEST(AvanceImages, NeighboursWaitUntilTheCurrentPictureHasBeenHandedOver)
{
    TAvanceImages Avance(
        [&](const QString &) {
            TImagePleinEcran i;
            i.Image = QImage(4, 4, QImage::Format_RGB32);
            i.lLue = true;
            return i;
        },
        {});
    EXPECT_FALSE(Avance.Demande(QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")));
    std::optional<TImagePleinEcran> b;
    QElapsedTimer t;
    t.start();
    while (!b && t.elapsed() < 10000) {
        QThread::msleep(1);
        b = Avance.Recoit();
    }
    ASSERT_TRUE(b);
    // The owner paints b before it calls again: nothing else decodes meanwhile.
    QThread::msleep(30);
    EXPECT_EQ(Avance.Decodages(), QStringList({"b"}));
    EXPECT_FALSE(Avance.Recoit());
    AttendLibre(Avance);
    EXPECT_EQ(Avance.Decodages(), QStringList({"b", "c", "a"}));
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
    // Each press started its image at once on a free worker, abandoning the one before; none
    // queued behind another. Once the workers were all held, only the last press's images are
    // decoded: the current one first, then its neighbours.
    const QStringList Decodages = Avance.Decodages();
    ASSERT_GE(Decodages.size(), 4);
    EXPECT_LE(Decodages.size(), 6);
    EXPECT_EQ(Decodages.first(), QStringLiteral("1"));
    EXPECT_EQ(Decodages.mid(Decodages.size() - 3), QStringList({"20", "21", "19"}));
    EXPECT_EQ(Avance.Abandons(), Decodages.size() - 3);
    EXPECT_EQ(Avance.Gardees().size(), 3);
    EXPECT_FALSE(Avance.Gardees().contains(QStringLiteral("1")));
}

namespace
{
// A decoder that goes on row after row until the test lets it end, and stops when its decode
// is abandoned; it logs every start, end and early stop.
struct TDecodeurLent
{
    std::mutex Verrou;
    QStringList Journal;
    std::atomic<int> nDebuts = 0, nArrets = 0;
    std::atomic<bool> lLibre = false;
    void Note(const QString &c)
    {
        std::lock_guard l(Verrou);
        Journal << c;
    }
    TImagePleinEcran operator()(const QString &c, const std::atomic<bool> &lAbandon)
    {
        ++nDebuts;
        Note(QStringLiteral("+") + c);
        TImagePleinEcran i;
        while (!lLibre) {
            if (lAbandon) {
                ++nArrets;
                Note(QStringLiteral("x") + c);
                return i;
            }
            QThread::msleep(1);
        }
        i.Image = QImage(8, 8, QImage::Format_RGB32);
        i.lLue = true;
        Note(QStringLiteral("-") + c);
        return i;
    }
};

std::optional<TImagePleinEcran> AttendCourante(TAvanceImages &Avance)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 20000) {
        if (auto i = Avance.Recoit())
            return i;
        QThread::msleep(1);
    }
    return std::nullopt;
}
} // namespace

TEST(AvanceImages, HeldKeyAbandonsThePassedDecodesAndShowsTheLastImage)
{
    TDecodeurLent Decodeur;
    TAvanceImages Avance([&](const QString &c, const std::atomic<bool> &l) { return Decodeur(c, l); }, {});
    // Twenty presses, each before the decode of the one before could end.
    for (int n = 1; n <= 20; ++n) {
        EXPECT_FALSE(Avance.Demande(QString::number(n), QString::number(n + 1), QString::number(n - 1)));
        QThread::msleep(5);
    }
    Decodeur.lLibre = true;
    const auto Montree = AttendCourante(Avance);
    ASSERT_TRUE(Montree);
    EXPECT_EQ(Montree->cFichier, QStringLiteral("20"));
    EXPECT_TRUE(Montree->lLue);
    AttendLibre(Avance);

    // Every decode started for a passed image stopped early; only the last three ran through.
    EXPECT_EQ(Decodeur.nArrets.load(), Avance.Abandons());
    EXPECT_EQ(Decodeur.nDebuts.load(), Avance.Abandons() + 3);
    EXPECT_EQ(Avance.Decodages().size(), Decodeur.nDebuts.load());
    QStringList Gardees = Avance.Gardees();
    Gardees.sort();
    EXPECT_EQ(Gardees, QStringList({"19", "20", "21"}));
    // No neighbour was decoded during the hold, and the last image went first, alone.
    const QStringList Journal = Decodeur.Journal;
    const qsizetype nFin20 = Journal.indexOf(QStringLiteral("-20"));
    ASSERT_GE(nFin20, 0);
    for (const QString &c : Journal.mid(0, nFin20))
        EXPECT_TRUE(c.startsWith(QLatin1Char('x')) || c.startsWith(QLatin1Char('+'))) << c.toStdString();
    EXPECT_LT(nFin20, Journal.lastIndexOf(QStringLiteral("+21")));
    EXPECT_LT(nFin20, Journal.lastIndexOf(QStringLiteral("+19")));
    EXPECT_EQ(Journal.filter(QStringLiteral("-")).size(), 3);
}

TEST(AvanceImages, CurrentImageNeverWaitsForADecodeThatIgnoresItsFlag)
{
    std::mutex Porte;
    Porte.lock();
    std::atomic<bool> lBloqueEnCours = false;
    TAvanceImages Avance(
        [&](const QString &c) {
            if (c == QLatin1String("bloque")) {
                lBloqueEnCours = true;
                std::lock_guard Attente(Porte);
            }
            TImagePleinEcran i;
            i.Image = QImage(4, 4, QImage::Format_RGB32);
            i.lLue = true;
            return i;
        },
        {});
    Avance.Demande(QStringLiteral("bloque"), {}, {});
    QElapsedTimer t;
    t.start();
    while (!lBloqueEnCours && t.elapsed() < 10000)
        QThread::msleep(1);
    ASSERT_TRUE(lBloqueEnCours);
    // The user moved on: the new image and its neighbour come while the old decode still runs.
    Avance.Demande(QStringLiteral("b"), QStringLiteral("c"), {});
    const auto b = AttendCourante(Avance);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->cFichier, QStringLiteral("b"));
    t.restart();
    while (Avance.Gardees().size() < 2 && t.elapsed() < 10000) {
        Avance.Recoit();
        QThread::msleep(1);
    }
    EXPECT_EQ(Avance.Gardees(), QStringList({"b", "c"}));
    EXPECT_TRUE(Avance.Occupe());
    EXPECT_EQ(Avance.Abandons(), 1);

    // Back to it before the old decode ends: that decode was abandoned, so its picture is
    // not trusted; a new one is made.
    Avance.Demande(QStringLiteral("bloque"), QStringLiteral("b"), {});
    Porte.unlock();
    const auto Bloque = AttendCourante(Avance);
    ASSERT_TRUE(Bloque);
    AttendLibre(Avance);
    EXPECT_EQ(Avance.Decodages().count(QStringLiteral("bloque")), 2);
}

TEST(AvanceImages, ForgettingAFileOrEverythingAbandonsTheirDecodes)
{
    TDecodeurLent Decodeur;
    TAvanceImages Avance([&](const QString &c, const std::atomic<bool> &l) { return Decodeur(c, l); }, {});
    Avance.Demande(QStringLiteral("a"), {}, {});
    QElapsedTimer t;
    t.start();
    while (Decodeur.nDebuts == 0 && t.elapsed() < 10000)
        QThread::msleep(1);
    // The file changed while it was being decoded: the old picture is never kept.
    Avance.Oublie(QStringLiteral("a"));
    AttendLibre(Avance);
    EXPECT_EQ(Decodeur.nArrets.load(), 1);
    EXPECT_TRUE(Avance.Gardees().isEmpty());
    EXPECT_FALSE(Avance.Recoit());

    Decodeur.lLibre = true;
    Avance.Demande(QStringLiteral("a"), QStringLiteral("b"), {});
    ASSERT_TRUE(AttendCourante(Avance));
    AttendLibre(Avance);
    EXPECT_EQ(Avance.Gardees().size(), 2);
    // Another zoom: nothing kept serves any more, the neighbour running is dropped.
    Decodeur.lLibre = false;
    Avance.Demande(QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a"));
    t.restart();
    while (Decodeur.nDebuts < 4 && t.elapsed() < 10000) {
        Avance.Recoit();
        QThread::msleep(1);
    }
    Avance.Vide();
    AttendLibre(Avance);
    EXPECT_TRUE(Avance.Gardees().isEmpty());
    EXPECT_EQ(Decodeur.nArrets.load(), 2);
    EXPECT_EQ(Avance.Abandons(), 2);
    EXPECT_FALSE(Avance.Demande(QStringLiteral("b"), {}, {}));
}

TEST(ImagePourEcran, QuarterTurnDecodedNoLargerThanNeededTurnedAndFittedOnce)
{
    QTemporaryDir Temp;
    ASSERT_TRUE(Temp.isValid());
    // Red on the upper half, blue on the lower: turned right, red comes to the right.
    QImage Source(1200, 800, QImage::Format_RGB32);
    Source.fill(Qt::blue);
    QPainter(&Source).fillRect(0, 0, 1200, 400, Qt::red);
    const QString cFichier = Temp.filePath(QStringLiteral("tournee.jpg"));
    ASSERT_TRUE(JpegCodec::Encode(Source, cFichier));
    TRecetteTrts Recette;
    Recette.nOrientation = 6;
    const std::atomic<bool> lGarde = false;
    const QSize Petit(450, 350);

    const TImagePleinEcran r =
        ImagePourEcran(cFichier, {RapportZoom::nAjuste, Petit, OperationsTrts(Recette), true}, lGarde, 0);
    ASSERT_TRUE(r.lLue);
    EXPECT_EQ(r.cFichier, cFichier);
    EXPECT_EQ(r.Taille, QSize(800, 1200));
    // A reduction of the file, turned, that still covers the fitted size.
    const QSize Ajustee = DisposerImage(r.Taille, Petit, true, {}).Taille;
    EXPECT_EQ(Ajustee, QSize(233, 350));
    EXPECT_LT(r.Image.width(), 800);
    EXPECT_GT(r.Image.height(), r.Image.width());
    EXPECT_GE(r.Image.width(), Ajustee.width());
    EXPECT_GE(r.Image.height(), Ajustee.height());
    EXPECT_EQ(r.Affichee.size(), Ajustee);
    const QRgb Droite = r.Affichee.pixel(Ajustee.width() - 5, Ajustee.height() / 2);
    const QRgb Gauche = r.Affichee.pixel(5, Ajustee.height() / 2);
    EXPECT_GT(qRed(Droite), 200);
    EXPECT_LT(qBlue(Droite), 60);
    EXPECT_GT(qBlue(Gauche), 200);
    EXPECT_LT(qRed(Gauche), 60);

    // At 1:1 the whole file is decoded and no fitted copy is made.
    const TImagePleinEcran u =
        ImagePourEcran(cFichier, {RapportZoom::nUnUn, Petit, OperationsTrts(Recette), true}, lGarde, 0);
    ASSERT_TRUE(u.lLue);
    EXPECT_EQ(u.Image.size(), QSize(800, 1200));
    EXPECT_TRUE(u.Affichee.isNull());

    // A decode abandoned before it starts, a missing file: nothing to show.
    const std::atomic<bool> lAbandon = true;
    EXPECT_FALSE(ImagePourEcran(cFichier, {RapportZoom::nAjuste, Petit, {}, false}, lAbandon, 0).lLue);
    EXPECT_FALSE(ImagePourEcran(Temp.filePath(QStringLiteral("absente.jpg")), {}, lGarde, 0).lLue);
}

TEST(ImageAffichee, FittedOnceInTheDisplayFormat)
{
    // A half-size decode of 6000 × 4000 for 1920 × 1080: fitted to 1620 × 1080.
    QImage Decodee(3000, 2000, QImage::Format_RGB32);
    Decodee.fill(Qt::darkGreen);
    const QImage a = ImageAffichee(Decodee, {6000, 4000}, Ecran);
    EXPECT_EQ(a.size(), QSize(1620, 1080));
    EXPECT_EQ(a.format(), QImage::Format_RGB32);
    EXPECT_EQ(a.pixel(800, 500), QColor(Qt::darkGreen).rgb());
    // Already at its size and format: painted as it is.
    EXPECT_TRUE(ImageAffichee(a, {6000, 4000}, Ecran).isNull());
    // At its size in another format: converted only.
    const QImage b = ImageAffichee(Decodee.convertToFormat(QImage::Format_RGB888), {3000, 2000}, {4000, 3000});
    EXPECT_EQ(b.size(), QSize(3000, 2000));
    EXPECT_EQ(b.format(), QImage::Format_RGB32);
    EXPECT_TRUE(ImageAffichee({}, {6000, 4000}, Ecran).isNull());
}

TEST(Repetition, RepeatsGeneratedDuringASlowStepAreDropped)
{
    TRepetition r;
    EXPECT_TRUE(r.Accepte(1000, true));
    // A first press handled in 80 ms: repeats stamped within those 80 ms queued behind it.
    r.Fin(1000, 80);
    EXPECT_FALSE(r.Accepte(1033, true));
    EXPECT_FALSE(r.Accepte(1079, true));
    EXPECT_TRUE(r.Accepte(1080, true));
    // A real press is never dropped, nor a stamp from before (another clock, a wrap).
    EXPECT_TRUE(r.Accepte(1033, false));
    EXPECT_TRUE(r.Accepte(500, true));
    // Quick steps keep every repeat.
    r.Fin(2000, 5);
    EXPECT_TRUE(r.Accepte(2033, true));
}
