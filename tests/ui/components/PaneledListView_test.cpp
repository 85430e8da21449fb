#include "components/PaneledListView.h"
#include "imaging/JpegCodec.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
// A shown grid whose viewport is exactly w × h: no frame, no vertical bar taking width.
std::unique_ptr<TPaneledListView> Grille(int w, int h, int D = 160)
{
    auto g = std::make_unique<TPaneledListView>();
    g->setFrameShape(QFrame::NoFrame);
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->set_ItemDim(D);
    g->resize(w, h);
    g->show();
    return g;
}

QImage Image(int w, int h, QColor c = Qt::darkCyan)
{
    QImage im(w, h, QImage::Format_RGB32);
    im.fill(c);
    return im;
}

void Remplit(TPaneledListView &g, const QStringList &cTitres)
{
    for (const QString &c : cTitres)
        g.MetTitre(g.Ajoute(), c);
}

struct Compteur
{
    int n = 0;
    TPLVListItem *pDernier = reinterpret_cast<TPLVListItem *>(1);
    TOnItemEvent Evenement()
    {
        return [this](TPaneledListView *, TPLVListItem *p) {
            ++n;
            pDernier = p;
        };
    }
};
} // namespace

TEST(PaneledListView, ColumnsAndPanelPlaces)
{
    auto g = Grille(500, 400, 160);
    EXPECT_EQ(g->Colonnes(), 2); // 500 div 172
    Remplit(*g, {"a", "b", "c", "d"});
    EXPECT_EQ(g->rPanneau(3), QRect(174, 189, 168, 183));
    g->set_ItemDim(100);
    EXPECT_EQ(g->Colonnes(), 4); // 500 div 112
    EXPECT_EQ(g->rPanneau(3), QRect(338, 2, 108, 123));

    // Narrower than one panel: still one column.
    auto e = Grille(50, 300, 160);
    EXPECT_EQ(e->Colonnes(), 1);
}

TEST(PaneledListView, JpegFittedAtQuarterScale)
{
    QTemporaryDir Dossier;
    ASSERT_TRUE(Dossier.isValid());
    const QString cFichier = Dossier.filePath("IMG_0001.JPG");
    ASSERT_TRUE(Image(640, 480, Qt::darkRed).save(cFichier, "JPEG"));

    auto g = Grille(500, 400, 160);
    EXPECT_EQ(g->EchellePour({640, 480}), 4);

    // Decoded at full size by its loader: the grid brings it down to the quarter scale.
    TImageChargee Pleine;
    Pleine.Image = JpegCodec::Decode(cFichier, 1);
    ASSERT_EQ(Pleine.Image.size(), QSize(640, 480));
    Pleine.Taille = {640, 480};
    Pleine.lJPEG = true;
    Pleine.nEchelle = 1;
    TPLVListItem *p = g->Ajoute();
    g->MetImage(p, Pleine);
    EXPECT_EQ(p->nEchelle(), 4);
    EXPECT_EQ(p->rVignette(), QRect(4, 24, 160, 120));

    // Decoded at the scale the grid asked for: used as it is.
    TImageChargee Quart;
    Quart.Image = JpegCodec::Decode(cFichier, g->EchellePour({640, 480}));
    ASSERT_EQ(Quart.Image.size(), QSize(160, 120));
    Quart.Taille = {640, 480};
    Quart.lJPEG = true;
    Quart.nEchelle = 4;
    TPLVListItem *q = g->Ajoute();
    g->MetImage(q, Quart);
    EXPECT_EQ(q->nEchelle(), 4);
    EXPECT_EQ(q->rVignette(), QRect(4, 24, 160, 120));
    EXPECT_EQ(q->Vignette().format(), QImage::Format_RGB32);

    // The other reductions of the rule.
    EXPECT_EQ(g->EchellePour({1280, 960}), 8);
    EXPECT_EQ(g->EchellePour({480, 320}), 2);
    EXPECT_EQ(g->EchellePour({300, 200}), 1);
}

TEST(PaneledListView, PictureFitting)
{
    auto g = Grille(500, 400, 200);
    TPLVListItem *p = g->Ajoute();

    // Larger side already D, odd portrait width of the 4n+1 kind: one pixel wider.
    g->MetImage(p, Image(97, 200));
    EXPECT_EQ(p->rVignette(), QRect(55, 4, 98, 200));

    g->set_ItemDim(160);
    // Scaled portrait: 82 × 160 / 320 = 41, widened to 42 and centred.
    g->MetImage(p, Image(82, 320));
    EXPECT_EQ(p->rVignette(), QRect(63, 4, 42, 160));
    // Scaled landscape, not a JPEG: no reduction recorded.
    g->MetImage(p, Image(640, 480));
    EXPECT_EQ(p->rVignette(), QRect(4, 24, 160, 120));
    EXPECT_EQ(p->nEchelle(), 1);
    // Small pictures are enlarged; squares fill the box.
    g->MetImage(p, Image(40, 40));
    EXPECT_EQ(p->rVignette(), QRect(4, 4, 160, 160));

    // A new size refits the current thumbnail: 160 × 120 into 100 gives 100 × 75.
    g->MetImage(p, Image(640, 480));
    g->set_ItemDim(100);
    EXPECT_EQ(p->rVignette(), QRect(4, 16, 100, 75));
}

TEST(PaneledListView, EmptyPicturesShowNothing)
{
    auto g = Grille(500, 400, 160);
    TPLVListItem *p = g->Ajoute();
    g->MetImage(p, Image(640, 480));
    ASSERT_TRUE(p->AUneImage());

    g->MetImage(p, QImage());
    EXPECT_FALSE(p->AUneImage());

    g->MetImage(p, Image(640, 480));
    TImageChargee Vide;
    Vide.Image = QImage(0, 480, QImage::Format_RGB32);
    Vide.Taille = {0, 480};
    Vide.lJPEG = true;
    g->MetImage(p, Vide);
    EXPECT_FALSE(p->AUneImage());

    // A sliver rounds to no width at all; it keeps at least a pixel.
    g->MetImage(p, Image(1, 5000));
    EXPECT_GE(p->rVignette().width(), 1);
    EXPECT_EQ(p->rVignette().height(), 160);
    // And the grid still paints.
    EXPECT_FALSE(g->grab().isNull());
}

TEST(PaneledListView, TypeAheadWithinAndAfterOneSecond)
{
    auto g = Grille(500, 400, 100);
    qint64 nHeure = 10000;
    g->setHorloge([&] { return nHeure; });
    Remplit(*g, {"Bateau", "arbre", "cabane", "Carte", "ca-2", "ca_3", "7B"});

    QTest::keyClick(g.get(), Qt::Key_C);
    EXPECT_EQ(g->IndexSelectionne(), 2);
    nHeure += 300;
    QTest::keyClick(g.get(), Qt::Key_A);
    EXPECT_EQ(g->cPrefixe(), "CA");
    EXPECT_EQ(g->IndexSelectionne(), 2); // "cabane" upper-cased starts with "CA"
    nHeure += 300;
    QTest::keyClick(g.get(), Qt::Key_R);
    EXPECT_EQ(g->IndexSelectionne(), 3); // "CAR"

    // Two seconds later the search starts again.
    nHeure += 2000;
    QTest::keyClick(g.get(), Qt::Key_A);
    EXPECT_EQ(g->cPrefixe(), "A");
    EXPECT_EQ(g->IndexSelectionne(), 1);

    // "-" and "_" and keypad digits take part; Shift held alone loses nothing.
    nHeure += 2000;
    QTest::keyClick(g.get(), Qt::Key_C);
    QTest::keyClick(g.get(), Qt::Key_A);
    QTest::keyClick(g.get(), Qt::Key_Underscore);
    EXPECT_EQ(g->IndexSelectionne(), 5);
    nHeure += 2000;
    QTest::keyClick(g.get(), Qt::Key_C);
    QTest::keyClick(g.get(), Qt::Key_Shift);
    QTest::keyClick(g.get(), Qt::Key_A);
    QTest::keyClick(g.get(), Qt::Key_Minus);
    EXPECT_EQ(g->cPrefixe(), "CA-");
    EXPECT_EQ(g->IndexSelectionne(), 4);
    nHeure += 2000;
    QTest::keyClick(g.get(), Qt::Key_7, Qt::KeypadModifier);
    EXPECT_EQ(g->IndexSelectionne(), 6);

    // A prefix nobody has keeps the selection; a navigation key clears the prefix.
    QTest::keyClick(g.get(), Qt::Key_Z);
    EXPECT_EQ(g->IndexSelectionne(), 6);
    QTest::keyClick(g.get(), Qt::Key_Home);
    EXPECT_TRUE(g->cPrefixe().isEmpty());
    EXPECT_EQ(g->IndexSelectionne(), 0);
}

TEST(PaneledListView, KeyboardNavigation)
{
    // D = 100: 3 columns in 336 pixels, 2 rows in 254.
    auto g = Grille(336, 254, 100);
    ASSERT_EQ(g->Colonnes(), 3);
    ASSERT_EQ(g->LignesVisibles(), 2);
    for (int i = 0; i < 10; ++i)
        g->Ajoute();
    Compteur Double;
    g->_OnItemDblClick = Double.Evenement();

    // Nothing selected: only Home and End act.
    QTest::keyClick(g.get(), Qt::Key_Right);
    QTest::keyClick(g.get(), Qt::Key_PageDown);
    QTest::keyClick(g.get(), Qt::Key_Return);
    EXPECT_EQ(g->IndexSelectionne(), -1);
    EXPECT_EQ(Double.n, 0);
    QTest::keyClick(g.get(), Qt::Key_End);
    EXPECT_EQ(g->IndexSelectionne(), 9);
    QTest::keyClick(g.get(), Qt::Key_Right);
    EXPECT_EQ(g->IndexSelectionne(), 9);
    QTest::keyClick(g.get(), Qt::Key_Home);
    QTest::keyClick(g.get(), Qt::Key_Left);
    EXPECT_EQ(g->IndexSelectionne(), 0);

    QTest::keyClick(g.get(), Qt::Key_Right);
    QTest::keyClick(g.get(), Qt::Key_Up); // 1 - 3 < 0: the first
    EXPECT_EQ(g->IndexSelectionne(), 0);
    QTest::keyClick(g.get(), Qt::Key_Down);
    EXPECT_EQ(g->IndexSelectionne(), 3);
    QTest::keyClick(g.get(), Qt::Key_PageDown); // 3 + 3 × 2
    EXPECT_EQ(g->IndexSelectionne(), 9);
    QTest::keyClick(g.get(), Qt::Key_PageUp);
    EXPECT_EQ(g->IndexSelectionne(), 3);
    QTest::keyClick(g.get(), Qt::Key_PageUp); // negative: as Up, the first
    EXPECT_EQ(g->IndexSelectionne(), 0);

    // Page Down near the end: one row below, or the last item.
    g->Selectionne(g->Item(5));
    QTest::keyClick(g.get(), Qt::Key_PageDown);
    EXPECT_EQ(g->IndexSelectionne(), 8);
    g->Selectionne(g->Item(7));
    QTest::keyClick(g.get(), Qt::Key_PageDown);
    EXPECT_EQ(g->IndexSelectionne(), 9);
    QTest::keyClick(g.get(), Qt::Key_Down);
    EXPECT_EQ(g->IndexSelectionne(), 9);

    QTest::keyClick(g.get(), Qt::Key_Return);
    EXPECT_EQ(Double.n, 1);
    EXPECT_EQ(Double.pDernier, g->Item(9));
    g->set_ReturnIsDblClick(false);
    QTest::keyClick(g.get(), Qt::Key_Return);
    EXPECT_EQ(Double.n, 1);
}

TEST(PaneledListView, PagingInAGridLowerThanARow)
{
    auto g = Grille(400, 100, 160); // 2 columns, no whole row visible
    ASSERT_EQ(g->LignesVisibles(), 0);
    for (int i = 0; i < 10; ++i)
        g->Ajoute();
    g->Selectionne(g->Item(2));
    QTest::keyClick(g.get(), Qt::Key_PageDown);
    EXPECT_EQ(g->IndexSelectionne(), 4);
    QTest::keyClick(g.get(), Qt::Key_PageUp);
    QTest::keyClick(g.get(), Qt::Key_PageUp);
    EXPECT_EQ(g->IndexSelectionne(), 0);
}

TEST(PaneledListView, SelectionEventsAndRecursion)
{
    auto g = Grille(500, 400, 100);
    for (int i = 0; i < 6; ++i)
        g->Ajoute();

    Compteur Change;
    g->_OnItemChange = Change.Evenement();
    g->Selectionne(g->Item(2));
    EXPECT_EQ(Change.n, 1);
    EXPECT_EQ(Change.pDernier, g->Item(2));
    EXPECT_TRUE(g->Item(2)->lSelectionne());
    g->Selectionne(g->Item(2)); // no change, no event
    EXPECT_EQ(Change.n, 1);

    // A handler that always moves the selection on must not call itself back for ever.
    int nAppels = 0;
    g->_OnItemChange = [&](TPaneledListView *s, TPLVListItem *p) {
        ++nAppels;
        if (p)
            s->Selectionne(s->Item((p->Index() + 1) % s->Nombre()));
    };
    g->Selectionne(g->Item(4));
    EXPECT_EQ(nAppels, 1);
    EXPECT_EQ(g->IndexSelectionne(), 5);
    EXPECT_FALSE(g->Item(4)->lSelectionne());
    g->Selectionne(g->Item(0)); // the guard is released after each event
    EXPECT_EQ(nAppels, 2);
    EXPECT_EQ(g->IndexSelectionne(), 1);
}

TEST(PaneledListView, MouseSelectsAndClearsOnBackground)
{
    auto g = Grille(500, 400, 100); // 4 columns
    for (int i = 0; i < 6; ++i)
        g->Ajoute();
    Compteur Change;
    Compteur Double;
    g->_OnItemChange = Change.Evenement();
    g->_OnItemDblClick = Double.Evenement();

    const QPoint ptItem5 = g->rPanneau(5).center();
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, ptItem5);
    EXPECT_EQ(g->IndexSelectionne(), 5);
    EXPECT_EQ(Change.pDernier, g->Item(5));
    EXPECT_EQ(g->ItemSous(g->viewport()->mapToGlobal(ptItem5)), 5);
    // The 4-pixel gap between panels belongs to no item.
    EXPECT_EQ(g->ItemSous(g->viewport()->mapToGlobal(QPoint(g->rPanneau(0).right() + 2, 20))), -1);

    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, g->rPanneau(1).center());
    EXPECT_EQ(Double.n, 1);
    EXPECT_EQ(Double.pDernier, g->Item(1));

    // Background below the last row.
    const QPoint ptFond(300, 350);
    ASSERT_EQ(g->ItemSous(g->viewport()->mapToGlobal(ptFond)), -1);
    g->set_UnSelectOnClickOut(false);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, ptFond);
    EXPECT_EQ(g->IndexSelectionne(), 1);
    const int n = Change.n;
    g->set_UnSelectOnClickOut(true);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, ptFond);
    EXPECT_EQ(g->IndexSelectionne(), -1);
    EXPECT_EQ(Change.n, n + 1);
    EXPECT_EQ(Change.pDernier, nullptr);
}

TEST(PaneledListView, ChecksToggleFireAndClear)
{
    auto g = Grille(500, 400, 100);
    for (int i = 0; i < 3; ++i)
        g->Ajoute();
    EXPECT_EQ(g->rTitre(0).left(), 2 + 4);
    EXPECT_EQ(g->rTitre(0).width(), 100);
    g->set_Checks(true);
    EXPECT_EQ(g->rCoche(0), QRect(2 + 4, 2 + 105, 13, 13));
    EXPECT_EQ(g->rTitre(0).left(), 2 + 19);
    EXPECT_EQ(g->rTitre(0).width(), 85);

    Compteur Coche, Decoche, Change;
    g->_OnItemCheck = Coche.Evenement();
    g->_OnItemUnCheck = Decoche.Evenement();
    g->_OnItemChange = Change.Evenement();

    g->Coche(g->Item(0), true); // silent
    EXPECT_TRUE(g->Item(0)->lCoche());
    EXPECT_EQ(Coche.n, 0);

    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->rCoche(1).center());
    EXPECT_TRUE(g->Item(1)->lCoche());
    EXPECT_EQ(Coche.n, 1);
    EXPECT_EQ(Coche.pDernier, g->Item(1));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->rCoche(1).center());
    EXPECT_FALSE(g->Item(1)->lCoche());
    EXPECT_EQ(Decoche.n, 1);
    EXPECT_EQ(Change.n, 0);

    // The drawn check: white inside, a green cross when checked.
    g->Coche(g->Item(1), true);
    const QImage im = g->viewport()->grab().toImage();
    const QPoint c0 = g->rCoche(0).topLeft();
    const QPoint c2 = g->rCoche(2).topLeft();
    EXPECT_EQ(QColor(im.pixel(c0 + QPoint(6, 6))), QColor(0, 128, 0));
    EXPECT_EQ(QColor(im.pixel(c0 + QPoint(0, 6))), QColor(Qt::black));
    EXPECT_EQ(QColor(im.pixel(c2 + QPoint(6, 6))), QColor(Qt::white));

    g->set_Checks(false);
    g->set_Checks(true);
    EXPECT_FALSE(g->Item(0)->lCoche());
    EXPECT_FALSE(g->Item(1)->lCoche());
}

TEST(PaneledListView, SelectionColours)
{
    auto g = Grille(500, 400, 100);
    const QColor cPanneau(0x12, 0x34, 0x56);
    g->set_PanelsColor(cPanneau);
    g->set_Panels3D(false);
    for (int i = 0; i < 2; ++i)
        g->Ajoute();
    g->Selectionne(g->Item(1));
    g->clearFocus();
    ASSERT_FALSE(g->hasFocus());
    const QImage im = g->viewport()->grab().toImage();
    EXPECT_EQ(QColor(im.pixel(g->rPanneau(0).topLeft() + QPoint(1, 1))), cPanneau);
    EXPECT_EQ(QColor(im.pixel(g->rPanneau(1).topLeft() + QPoint(1, 1))), g->palette().color(QPalette::Button));
    EXPECT_EQ(QColor(im.pixel(g->rPanneau(1).right() + 2, 5)), g->CouleurFond());
}

TEST(PaneledListView, SortKeepsSelectionAndItems)
{
    auto g = Grille(500, 400, 100);
    Remplit(*g, {"d", "b", "a", "c"});
    TPLVListItem *pB = g->Item(1);
    g->Selectionne(pB);
    int nClePassee = -1;
    g->Trie(7, true, [&](const TPLVListItem *a, const TPLVListItem *b, int nCle) {
        nClePassee = nCle;
        return a->cTitre().compare(b->cTitre());
    });
    EXPECT_EQ(nClePassee, 7);
    QStringList cOrdre;
    for (int i = 0; i < g->Nombre(); ++i) {
        cOrdre << g->Item(i)->cTitre();
        EXPECT_EQ(g->Item(i)->Index(), i);
    }
    EXPECT_EQ(cOrdre, QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(g->ItemSelectionne(), pB);
    EXPECT_EQ(g->IndexSelectionne(), 1);

    // An order decided by a model: d c b a.
    EXPECT_FALSE(g->Reordonne({3, 2, 2, 0}));
    EXPECT_FALSE(g->Reordonne({3, 2, 1}));
    EXPECT_EQ(g->Item(0)->cTitre(), "a");
    ASSERT_TRUE(g->Reordonne({3, 2, 1, 0}));
    EXPECT_EQ(g->Item(0)->cTitre(), "d");
    EXPECT_EQ(g->Item(3)->cTitre(), "a");
    EXPECT_EQ(g->Item(3)->Index(), 3);
    EXPECT_EQ(g->IndexSelectionne(), 2);
}

TEST(PaneledListView, ModelOperationsKeepIndexesAndSelection)
{
    auto g = Grille(500, 400, 100);
    Remplit(*g, {"a", "b", "c"});
    TPLVListItem *pX = g->Insere(1);
    g->MetTitre(pX, "x");
    EXPECT_EQ(g->Item(1), pX);
    EXPECT_EQ(g->Item(2)->cTitre(), "b");
    EXPECT_EQ(g->Item(3)->Index(), 3);

    g->Deplace(1, 3); // a b c x
    EXPECT_EQ(g->Item(3), pX);
    EXPECT_EQ(pX->Index(), 3);
    EXPECT_EQ(g->Item(1)->cTitre(), "b");
    g->Deplace(3, 0); // x a b c
    EXPECT_EQ(g->Item(0), pX);
    EXPECT_EQ(g->Item(0)->cTitre(), "x");

    Compteur Change;
    g->Selectionne(g->Item(2));
    g->_OnItemChange = Change.Evenement();
    g->Supprime(g->Item(2));
    EXPECT_EQ(g->Nombre(), 3);
    EXPECT_EQ(g->ItemSelectionne(), nullptr);
    EXPECT_EQ(g->Item(2)->cTitre(), "c");
    EXPECT_EQ(g->Item(2)->Index(), 2);

    g->Selectionne(g->Item(0));
    g->Vide();
    EXPECT_EQ(g->Nombre(), 0);
    EXPECT_EQ(g->ItemSelectionne(), nullptr);
    QTest::keyClick(g.get(), Qt::Key_Home); // nothing to reach, nothing to break
    EXPECT_EQ(g->IndexSelectionne(), -1);
}

TEST(PaneledListView, UpdatingHidesNewPanelsUntilEnd)
{
    auto g = Grille(500, 400, 100);
    g->Ajoute();
    g->Debut();
    g->Ajoute();
    EXPECT_TRUE(g->Items().lMiseAJour());
    const QPoint pt1 = g->viewport()->mapToGlobal(g->rPanneau(1).center());
    EXPECT_EQ(g->ItemSous(pt1), -1);
    g->Fin();
    EXPECT_FALSE(g->Items().lMiseAJour());
    EXPECT_EQ(g->ItemSous(pt1), 1);
}

TEST(PaneledListView, ScrollingKeepsTheSelectionInView)
{
    auto g = Grille(500, 400, 160); // 2 columns, 187-pixel rows
    g->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (int i = 0; i < 40; ++i)
        g->Ajoute();
    QScrollBar *vb = g->verticalScrollBar();
    EXPECT_GT(vb->maximum(), 0);

    g->MontreItem(g->Item(39));
    EXPECT_LE(g->rPanneau(39).bottom(), g->viewport()->height());
    EXPECT_GE(g->rPanneau(39).top(), 0);

    // A wheel notch down moves one line, half a row.
    const int v = vb->value();
    vb->setValue(0);
    QWheelEvent Roue(QPointF(10, 10), g->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g->viewport(), &Roue);
    EXPECT_EQ(vb->value(), 187 / 2);
    vb->setValue(v);

    // After a resize that changes the columns, the selected item is brought back into view.
    g->Selectionne(g->Item(30));
    g->MontreItem(g->Item(30));
    g->resize(900, 400);
    EXPECT_EQ(g->Colonnes(), 5);
    const QRect r = g->rPanneau(30);
    EXPECT_GE(r.top(), 0);
    EXPECT_LE(r.bottom(), g->viewport()->height());
}
