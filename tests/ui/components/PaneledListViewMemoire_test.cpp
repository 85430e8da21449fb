// The grid keeps its thumbnails compressed: decoded pixels only around the view.

#include "components/PaneledListView.h"
#include "imaging/JpegCodec.h"
#include "storage/BigIniFiles.h"
#include "thumbnails/ThumbnailCache.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
std::unique_ptr<TPaneledListView> Grille(int w, int h, int D = 160)
{
    auto g = std::make_unique<TPaneledListView>();
    g->setFrameShape(QFrame::NoFrame);
    g->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    g->set_ItemDim(D);
    g->resize(w, h);
    g->show();
    return g;
}

// A picture whose pixels all differ, so that a decoding of the wrong bytes or at the wrong
// size cannot compare equal.
QImage Degrade(int w, int h, int nGraine)
{
    QImage im(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            im.setPixel(x, y, qRgb((x * 3 + nGraine) & 255, (y * 5 + nGraine * 7) & 255, (x + y) & 255));
    return im;
}

// Paints the grid as the window system would, then lets the worker finish the screens around.
void Peint(TPaneledListView &g)
{
    QImage Cible(g.viewport()->size(), QImage::Format_RGB32);
    g.viewport()->render(&Cible);
    QApplication::processEvents();
    g.AttendRemplissage();
}

// The rows whose items may hold pixels: those in view and one screen above and below.
bool DecodeesAutourDeLaVue(const TPaneledListView &g, int &nHorsFenetre)
{
    const int nPasY = g._ItemDim() + 27;
    const int nEcran = g.viewport()->height() / nPasY + 1;
    const int vs = g.verticalScrollBar()->value();
    const int nPremiere = vs / nPasY - nEcran;
    const int nDerniere = (vs + g.viewport()->height()) / nPasY + nEcran;
    nHorsFenetre = 0;
    for (int i = 0; i < g.Nombre(); ++i) {
        const int nLigne = i / g.Colonnes();
        if (g.Item(i)->lDecodee() && (nLigne < nPremiere || nLigne > nDerniere))
            ++nHorsFenetre;
    }
    return nHorsFenetre == 0;
}
} // namespace

TEST(PaneledListViewMemoire, DecodedPanelsStayBoundedWhileScrollingTwentyThousand)
{
    auto g = Grille(720, 420, 160); // 4 columns, 2 rows and a bit in view
    const QByteArray Octets = JpegCodec::EncodeMemoire(Degrade(160, 120, 1), 90);
    g->Debut();
    for (int i = 0; i < 20000; ++i)
        g->MetImage(g->Ajoute(), TVignetteCompacte::DeJpeg(Octets, QSize(160, 160)));
    g->Fin();
    ASSERT_EQ(g->Colonnes(), 4);
    QScrollBar *vb = g->verticalScrollBar();
    ASSERT_GT(vb->maximum(), 0);

    // The view touches 4 rows at most, and 3 rows each side are kept: 10 rows of 4.
    const int nBorne = 10 * 4;
    int nPlusGrand = 0;
    for (int n = 0; n <= 20; ++n) {
        vb->setValue(static_cast<int>(qint64(vb->maximum()) * n / 20));
        Peint(*g);
        // Page down twice from there, as a user reading on would.
        for (int k = 0; k < 2; ++k) {
            vb->setValue(vb->value() + vb->pageStep());
            Peint(*g);
        }
        nPlusGrand = std::max(nPlusGrand, g->NombreDecodees());
        int nHors = 0;
        EXPECT_TRUE(DecodeesAutourDeLaVue(*g, nHors)) << nHors << " decoded far from the view at " << vb->value();
    }
    EXPECT_LE(nPlusGrand, nBorne);
    // The look-ahead filled the screens around the last view: more than the visible panels.
    const int nPremier = vb->value() / 187 * 4;
    EXPECT_TRUE(g->Item(nPremier)->lDecodee());
    EXPECT_GT(g->NombreDecodees(), 3 * 4);
    EXPECT_FALSE(g->Item(0)->lDecodee());

    // Emptied, the grid holds nothing any more.
    g->Vide();
    EXPECT_EQ(g->NombreDecodees(), 0);
}

TEST(PaneledListViewMemoire, OffScreenThumbnailIsItsFileDecodedAndTheHookApplies)
{
    QTemporaryDir Dossier;
    ASSERT_TRUE(Dossier.isValid());
    const QString cPaysage = Dossier.filePath("p.JPG");
    const QString cPortrait = Dossier.filePath("q.JPG");
    ASSERT_TRUE(JpegCodec::Encode(Degrade(160, 120, 3), cPaysage));
    ASSERT_TRUE(JpegCodec::Encode(Degrade(120, 160, 9), cPortrait));
    auto Lit = [](const QString &c) {
        QFile f(c);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    auto g = Grille(400, 400, 160);
    for (int i = 0; i < 60; ++i)
        g->MetImage(g->Ajoute(), TVignetteCompacte::DeJpeg(Lit(i % 2 ? cPortrait : cPaysage), QSize(160, 160)));
    Peint(*g);
    TPLVListItem *pLoin = g->Item(59);
    ASSERT_FALSE(pLoin->lDecodee());
    const QImage Attendue = JpegCodec::Decode(cPortrait);
    ASSERT_FALSE(Attendue.isNull());
    EXPECT_EQ(pLoin->Vignette(), Attendue);
    // Handed out, not kept.
    EXPECT_FALSE(pLoin->lDecodee());
    EXPECT_EQ(pLoin->rVignette(), QRect(24, 4, 120, 160));

    // The hook turns every thumbnail a quarter: shown and handed-out ones alike, the panel
    // centring the new shape.
    int nAppels = 0;
    g->fnTransformeVignette = [&](const TPLVListItem &, QImage &im) {
        ++nAppels;
        im = im.transformed(QTransform().rotate(90));
    };
    g->OublieDecodees();
    Peint(*g);
    EXPECT_GT(nAppels, 0);
    TPLVListItem *pVu = g->Item(0);
    ASSERT_TRUE(pVu->lDecodee());
    EXPECT_EQ(pVu->Vignette(), JpegCodec::Decode(cPaysage).transformed(QTransform().rotate(90)));
    EXPECT_EQ(pVu->rVignette(), QRect(24, 4, 120, 160));
    EXPECT_EQ(pLoin->Vignette(), Attendue.transformed(QTransform().rotate(90)));

    // A new size shows the same bytes smaller, decoded and fitted on demand.
    g->fnTransformeVignette = nullptr;
    g->set_ItemDim(80);
    EXPECT_EQ(pLoin->rVignette(), QRect(14, 4, 60, 80));
    EXPECT_EQ(pLoin->Vignette().size(), QSize(60, 80));
}

TEST(PaneledListViewMemoire, PlaceholdersAreSharedAndDamagedBytesReported)
{
    auto g = Grille(400, 400, 160);
    TBigIniFile iniSetup(QString{});
    TImageVignette Introuvable;
    Introuvable.cChemin = "/x/a.jpg";
    Introuvable.lExiste = true;
    const QImage Erreur = ImageRemplacement(iniSetup, Introuvable, 160);
    Introuvable.cChemin = "/x/b.jpg";
    const QImage Erreur2 = ImageRemplacement(iniSetup, Introuvable, 160);
    EXPECT_EQ(Erreur.constBits(), Erreur2.constBits());
    // Another size and the other kind are other pictures.
    EXPECT_NE(ImageRemplacement(iniSetup, Introuvable, 100).size(), Erreur.size());
    TImageVignette SurCD;
    SurCD.nNumCD = 0x120034;
    SurCD.cChemin = "/DCIM/a.jpg";
    EXPECT_NE(ImageRemplacement(iniSetup, SurCD, 160), Erreur);

    TPLVListItem *a = g->Ajoute();
    TPLVListItem *b = g->Ajoute();
    g->MetImage(a, TVignetteCompacte::DePixels(Erreur));
    g->MetImage(b, TVignetteCompacte::DePixels(Erreur2));
    g->set_ItemDim(100);
    Peint(*g);
    // Both panels show it at the new size; the items still share the one picture.
    EXPECT_EQ(a->Vignette().size(), QSize(100, 100));
    EXPECT_EQ(a->VignetteCompacte().Pixels().constBits(), b->VignetteCompacte().Pixels().constBits());

    // Bytes cut short: the item shows nothing and the owner hears of it once, from the loop.
    const QByteArray Octets = JpegCodec::EncodeMemoire(Degrade(160, 120, 5), 90);
    TPLVListItem *c = g->Ajoute();
    g->MetImage(c, TVignetteCompacte::DeJpeg(Octets.left(Octets.size() * 2 / 3), QSize(100, 100)));
    ASSERT_TRUE(c->AUneImage());
    QList<TPLVListItem *> Signales;
    QObject::connect(g.get(), &TPaneledListView::VignetteIllisible, [&](TPLVListItem *p) { Signales << p; });
    Peint(*g);
    EXPECT_TRUE(c->Vignette().isNull());
    EXPECT_FALSE(c->AUneImage());
    QApplication::processEvents();
    EXPECT_EQ(Signales, QList<TPLVListItem *>{c});
    // Given good bytes again, it shows them.
    g->MetImage(c, TVignetteCompacte::DeJpeg(Octets, QSize(100, 100)));
    EXPECT_EQ(c->Vignette().size(), QSize(100, 75));
}
