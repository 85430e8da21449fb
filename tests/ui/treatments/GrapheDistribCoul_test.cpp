#include "treatments/GrapheDistribCoul_fm.h"

#include "components/ComboZoom.h"
#include "components/ExpColPanel.h"
#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/Exploration_fm.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "support/BancFenetrePrincipale.h"
#include "treatments/Traitements_fm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace
{
const QRgb clGauche = qRgb(200, 30, 40);
const QRgb clDroite = qRgb(20, 180, 60);

struct GrapheDistribCoulTest : TBancFenetrePrincipale<>
{
    TPanneauImage *sbImage = nullptr;

    QString cPhotos;

    void SetUp() override
    {
        // Left half red, right half blue, larger than the pane shows it; made before the
        // window so that its folder tree sees the folder.
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        QImage im(3000, 2000, QImage::Format_RGB32);
        im.fill(qRgb(0, 0, 200));
        for (int y = 0; y < im.height(); ++y)
            for (int x = 0; x < 1500; ++x)
                im.setPixel(x, y, qRgb(200, 0, 0));
        ASSERT_TRUE(JpegCodec::Encode(im, cPhotos + "a.jpg"));
        CreeFenetre();
        sbImage = Fenetre->PanneauImage();
        ASSERT_TRUE(sbImage);
        Fenetre->showNormal();
        Fenetre->resize(1000, 700);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
    }
    void TearDown() override
    {
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    static QColor Fond(QLabel *l) { return l->palette().color(QPalette::Window); }
    static QColor Texte(QLabel *l) { return l->palette().color(QPalette::WindowText); }
};

// The graph window while it is open: fn runs on it, then it is closed.
TfmGrapheDistribCoul *Ouverte()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *fm = qobject_cast<TfmGrapheDistribCoul *>(w); fm && fm->isVisible())
            return fm;
    return nullptr;
}
void PendantOuverture(const std::function<void(TfmGrapheDistribCoul &)> &fn)
{
    QTimer::singleShot(0, [fn] {
        TfmGrapheDistribCoul *fm = Ouverte();
        if (!fm) {
            ADD_FAILURE() << "the graph window did not open";
            return;
        }
        QTest::qWaitForWindowExposed(fm);
        fn(*fm);
        fm->close();
    });
}
} // namespace

TEST_F(GrapheDistribCoulTest, PipetteScrollsNearTheEdgeThenReadsThePanesPaintingAndAClickEndsIt)
{
    // Two colours side by side, larger than the pane so that it scrolls.
    QImage im(2000, 1500, QImage::Format_RGB32);
    im.fill(clDroite);
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < 100; ++x)
            im.setPixel(x, y, clGauche);
    sbImage->MetImage(im, im.size());
    QScrollBar *h = sbImage->horizontalScrollBar();
    ASSERT_GT(h->maximum(), 100);
    h->setValue(20);

    TfmGrapheDistribCoul fm(*Contexte, sbImage, Fenetre.get());
    fm.CalculeDistribution(im);
    fm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fm));
    EXPECT_EQ(fm.Distribution().nDistTous[(6000 + 1800 + 400) / 100], 100u * 1500);
    const QColor Face = fm.palette().color(QPalette::Button);

    // While the pipette is up, the main window takes no input.
    sbImage->setFocus();
    QTest::keyClick(sbImage->viewport(), Qt::Key_Right);
    EXPECT_EQ(h->value(), 20);

    fm.btPipette->click();
    ASSERT_TRUE(fm.PipetteActive());
    ASSERT_TRUE(QApplication::overrideCursor());
    EXPECT_EQ(QApplication::overrideCursor()->hotSpot(), QPoint(1, 30));

    // 10 pixels from the left edge: the pane scrolls 20 pixels, nothing is read.
    QTest::mouseMove(sbImage->viewport(), QPoint(10, 100));
    EXPECT_EQ(h->value(), 0);
    EXPECT_TRUE(fm.pnLum->text().isEmpty());
    EXPECT_EQ(fm.YMarqueur(), -1);

    // At the leftmost position the pixel the pane paints there is read.
    QTest::mouseMove(sbImage->viewport(), QPoint(11, 100));
    EXPECT_EQ(h->value(), 0);
    const QRgb Peint = sbImage->viewport()->grab().toImage().pixel(11, 100);
    ASSERT_EQ(Peint, clGauche);
    const int nY = (30 * 200 + 60 * 30 + 10 * 40) / 100;
    EXPECT_EQ(fm.pnLum->text(), QString::number(nY));
    EXPECT_EQ(fm.pnR->text(), QStringLiteral("200"));
    EXPECT_EQ(fm.pnV->text(), QStringLiteral("30"));
    EXPECT_EQ(fm.pnB->text(), QStringLiteral("40"));
    EXPECT_EQ(Fond(fm.pnPipette), QColor(clGauche));
    EXPECT_EQ(Fond(fm.pnLum), QColor(nY, nY, nY));
    EXPECT_EQ(Fond(fm.pnR), QColor(200, 0, 0));
    EXPECT_EQ(Fond(fm.pnV), QColor(0, 30, 0));
    EXPECT_EQ(Texte(fm.pnR), QColor(Qt::black));
    EXPECT_EQ(Texte(fm.pnV), QColor(Qt::white));

    // The marker: the column of Y inverted over the cached curves, every row.
    const int x = XGraphe(nY, 0, 255, fm.imGraphe->width());
    EXPECT_EQ(fm.YMarqueur(), nY);
    ASSERT_EQ(fm.imGraphe->Marqueur(), x);
    QApplication::processEvents();
    const QImage Ecran = fm.imGraphe->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage &Courbes = fm.imGraphe->Image();
    ASSERT_EQ(Ecran.size(), Courbes.size());
    for (int y = 0; y < Courbes.height(); ++y) {
        const QRgb c = Courbes.pixel(x, y);
        ASSERT_EQ(Ecran.pixel(x, y), qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c))) << y;
        ASSERT_EQ(Ecran.pixel(x + 1, y), Courbes.pixel(x + 1, y)) << y;
    }
    // Moving the range moves the marker with the curves.
    fm.tbMin->setValue(40);
    EXPECT_EQ(fm.imGraphe->Marqueur(), XGraphe(nY, 40, 255, fm.imGraphe->width()));
    EXPECT_EQ(fm.stMin->text(), QStringLiteral("Filtre Mi&n (0 à 63) = 40"));

    // A click ends the pipette: button up, marker gone, panels back to the button face.
    QTest::mouseClick(sbImage->viewport(), Qt::LeftButton, {}, QPoint(300, 300));
    EXPECT_FALSE(fm.btPipette->isChecked());
    EXPECT_FALSE(fm.PipetteActive());
    EXPECT_EQ(fm.YMarqueur(), -1);
    EXPECT_EQ(fm.imGraphe->Marqueur(), -1);
    EXPECT_FALSE(QApplication::overrideCursor());
    for (QLabel *l : {fm.pnPipette, fm.pnLum, fm.pnR, fm.pnV, fm.pnB}) {
        EXPECT_TRUE(l->text().isEmpty());
        EXPECT_EQ(Fond(l), Face);
    }
    // Moves read nothing any more.
    QTest::mouseMove(sbImage->viewport(), QPoint(200, 200));
    EXPECT_TRUE(fm.pnLum->text().isEmpty());

    // Esc ends it too, and leaves the window open.
    fm.btPipette->click();
    QTest::mouseMove(sbImage->viewport(), QPoint(150, 150));
    EXPECT_FALSE(fm.pnLum->text().isEmpty());
    QTest::keyClick(&fm, Qt::Key_Escape);
    EXPECT_FALSE(fm.PipetteActive());
    EXPECT_TRUE(fm.isVisible());

    // Once closed, the main window has its input back.
    fm.close();
    sbImage->setFocus();
    QTest::keyClick(sbImage->viewport(), Qt::Key_Right);
    EXPECT_GT(h->value(), 0);
}

TEST_F(GrapheDistribCoulTest, OpensOnTheFullPictureAndRemembersItsPlaceAndBoxes)
{
    auto *Trt = Fenetre->findChild<TTraitementsKX *>();
    auto *Expl = Fenetre->findChild<TExplorationKX *>();
    auto *Affiche = Fenetre->findChild<TAfficheImageKX *>();
    ASSERT_TRUE(Trt && Expl && Affiche);
    QToolButton *bt = Trt->btGrapheDistribCoul;
    ASSERT_TRUE(bt);
    EXPECT_EQ(bt->toolTip(), QStringLiteral("Graphe de distribution des couleurs"));
    EXPECT_EQ(bt->parentWidget(), Fenetre->BarreTraitements());
    EXPECT_FALSE(bt->isEnabled());

    QFile f(cPhotos + "a.jpg");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray Avant = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    f.close();

    Fenetre->Selection().MetModeMAJ(false);
    Contexte->Parametres.lConsRapZoom = true;
    Fenetre->ListeZoom()->setCurrentIndex(RapportZoom::nAjuste);
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Affiche->Chargeur().Occupe() && Affiche->ImageLue(); }, 20000));
    // Consultation mode may look at the picture too.
    EXPECT_TRUE(bt->isEnabled());
    // The pane holds a reduction only: the graph counts the picture decoded again.
    ASSERT_GT(Affiche->Chargeur().Reduite().nEchelle, 1);
    ASSERT_FALSE(Affiche->Chargeur().Complete().Valide());

    PendantOuverture([&](TfmGrapheDistribCoul &fm) {
        const TDistribution &d = fm.Distribution();
        EXPECT_EQ(std::accumulate(d.nDistTous.begin(), d.nDistTous.end(), quint64(0)), 6000000u);
        EXPECT_GT(std::accumulate(d.nDistRouge.begin(), d.nDistRouge.end(), quint64(0)), 2900000u);
        EXPECT_GT(std::accumulate(d.nDistBleu.begin(), d.nDistBleu.end(), quint64(0)), 2900000u);
        EXPECT_EQ(fm.windowTitle(), QStringLiteral("Graphe de distribution des couleurs"));
        EXPECT_GE(fm.width(), 520);
        EXPECT_GE(fm.height(), 170);
        EXPECT_EQ(fm.stMax->text(), QStringLiteral("Filtre Ma&x (192 à 255) = 255"));
        EXPECT_EQ(fm.pnCommandes->_LargHautRef(), 85);
        EXPECT_TRUE(fm.cbLum->isChecked() && fm.cbR->isChecked() && fm.cbV->isChecked() && fm.cbB->isChecked());
        ASSERT_EQ(fm.Graphe().Courbes.size(), 4);

        // Collapsing the commands gives the graph the room: it is drawn again at its new size.
        const int nAvant = fm.imGraphe->Image().height();
        fm.pnCommandes->set_PanelState(psCollapsed);
        QApplication::processEvents();
        EXPECT_GT(fm.imGraphe->Image().height(), nAvant);
        EXPECT_EQ(fm.imGraphe->Image().size(), fm.imGraphe->size());
        fm.pnCommandes->set_PanelState(psExpanded);

        fm.cbV->setChecked(false);
        EXPECT_EQ(fm.Graphe().Courbes.size(), 3);
        fm.cbLum->setChecked(false);
        fm.resize(640, 300);
        fm.move(30, 40);
    });
    bt->click();
    EXPECT_FALSE(Ouverte());

    TBigIniFile Relu(Contexte->iniSetup->FileName());
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nWidth_GDC"), 0), 640);
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nHeight_GDC"), 0), 300);
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nLeft_GDC"), -1), 30);
    EXPECT_EQ(Relu.ReadInteger(cSectionGeneral, QStringLiteral("nTop_GDC"), -1), 40);
    EXPECT_TRUE(Relu.ReadBool(cSectionGeneral, QStringLiteral("lcbR_GDC"), false));
    EXPECT_FALSE(Relu.ReadBool(cSectionGeneral, QStringLiteral("lcbV_GDC"), true));
    EXPECT_TRUE(Relu.ReadBool(cSectionGeneral, QStringLiteral("lcbB_GDC"), false));

    bool lRouverte = false;
    PendantOuverture([&](TfmGrapheDistribCoul &fm) {
        lRouverte = true;
        EXPECT_EQ(fm.size(), QSize(640, 300));
        EXPECT_EQ(fm.pos(), QPoint(30, 40));
        EXPECT_TRUE(fm.cbLum->isChecked());
        EXPECT_TRUE(fm.cbR->isChecked());
        EXPECT_FALSE(fm.cbV->isChecked());
        EXPECT_TRUE(fm.cbB->isChecked());
    });
    bt->click();
    EXPECT_TRUE(lRouverte);

    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256), Avant);
}
