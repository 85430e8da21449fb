#include "calendar/VignetteFlottante_fm.h"

#include "imaging/JpegCodec.h"
#include "storage/Contexte.h"
#include "support/DossierDonneesTemporaire.h"

#include <QDir>
#include <QSemaphore>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace
{
struct VignetteFlottanteTest : ::testing::Test, TDossierDonneesTemporaire
{
    std::unique_ptr<TContexte> Contexte;
    std::unique_ptr<QTreeWidget> Arbre;
    std::unique_ptr<TfmVignetteFlottante> fm;
    QTreeWidgetItem *Noeud = nullptr;
    QTreeWidgetItem *Autre = nullptr;
    QString cPhotos;
    QString cVignette; // a cached thumbnail offered for the large image
    bool lVignette = false;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        for (int i = 1; i <= 5; ++i)
            Jpeg(cPhotos + QString("p%1.jpg").arg(i), 300, 400);
        cVignette = Temp.filePath("vignette.jpg");
        Jpeg(cVignette, 160, 120);
        Contexte = NouveauContexte();
        Contexte->Parametres.vfGene_lActive = true;
        Arbre = std::make_unique<QTreeWidget>();
        Arbre->setHeaderHidden(true);
        Arbre->resize(300, 400);
        Noeud = new QTreeWidgetItem(Arbre.get(), {QStringLiteral("les photos du long voyage en Italie")});
        Autre = new QTreeWidgetItem(Arbre.get(), {QStringLiteral("un autre dossier de photos")});
        Arbre->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Arbre.get()));
        fm = std::make_unique<TfmVignetteFlottante>(*Contexte);
        fm->Suivre(Arbre.get(), 0, [this](const QTreeWidgetItem *Item) {
            TNoeudVF n;
            n.lValide = true;
            n.cIdentite = Item->text(0);
            const QString cDossier = Item == Noeud ? cPhotos : Temp.filePath("grand") + "/";
            n.cDossier = cDossier;
            n.fnListe = [this, cDossier] {
                return VignetteFlottante::ListeDossier(cDossier, false, false, [this](const QString &c) {
                    return lVignette && c.endsWith("grand.jpg") ? cVignette : QString();
                });
            };
            return n;
        });
    }
    static void Jpeg(const QString &c, int w, int h)
    {
        QImage im(w, h, QImage::Format_RGB32);
        im.fill(QColor(200, 40, 60));
        ASSERT_TRUE(JpegCodec::Encode(im, c));
    }
    // Points at the start and at the end of an item's text.
    QPoint Debut(QTreeWidgetItem *Item) const
    {
        const QRect r = Arbre->visualItemRect(Item);
        return {r.left() + 8, r.center().y()};
    }
    QPoint Fin(QTreeWidgetItem *Item) const
    {
        const QRect r = Arbre->visualItemRect(Item);
        return {r.left() + Arbre->fontMetrics().horizontalAdvance(Item->text(0)), r.center().y()};
    }
    void Souris(const QPoint &pt)
    {
        fm->SuivreSouris(Arbre.get(), pt);
        ASSERT_TRUE(fm->AttendChargement());
    }
};
} // namespace

TEST_F(VignetteFlottanteTest, ImageUnderTheMouseFromFirstToLastWithRankAndSize)
{
    Contexte->Parametres.vfGene_nQuelleImg = 3;
    Souris(Debut(Noeud));
    ASSERT_TRUE(fm->isVisible());
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("1°/5 Image(s)"));
    EXPECT_EQ(fm->TexteNom(), QStringLiteral("p1.jpg"));
    // A 300 × 400 portrait: a 75 × 100 box under the two labels.
    EXPECT_EQ(fm->size(), QSize(75, 126));
    // The mouse in the top left-hand quarter: the window goes to the opposite corner.
    EXPECT_EQ(Arbre->mapFromGlobal(fm->pos()), QPoint(300 - 75 - 4, 400 - 126 - 4));
    Souris(Fin(Noeud));
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("5°/5 Image(s)"));
    EXPECT_EQ(fm->Enr(Arbre.get()).cFichier, cPhotos + "p5.jpg");
    // Past the middle of the tree's width: at its left edge.
    ASSERT_GT(Fin(Noeud).x(), 150);
    EXPECT_EQ(Arbre->mapFromGlobal(fm->pos()), QPoint(0, 400 - 126 - 4));

    // Beyond the text, on no label: hidden.
    const QRect r = Arbre->visualItemRect(Noeud);
    Souris({r.right() - 2, r.center().y()});
    EXPECT_FALSE(fm->isVisible());
    // Off, the window does nothing.
    Contexte->Parametres.vfGene_lActive = false;
    Souris(Debut(Noeud));
    EXPECT_FALSE(fm->isVisible());
}

TEST_F(VignetteFlottanteTest, TooLargeStaysHiddenUnlessItsThumbnailIsCached)
{
    QDir().mkpath(Temp.filePath("grand"));
    Jpeg(Temp.filePath("grand/grand.jpg"), 4000, 3000);
    Contexte->Parametres.vfGene_nMaxLH = 3000;
    Souris(Debut(Autre));
    EXPECT_FALSE(fm->isVisible());
    EXPECT_TRUE(fm->Enr(Arbre.get()).cFichier.isEmpty());
    // Leaving the node and coming back, now with a cached thumbnail: shown from it.
    lVignette = true;
    Souris(Debut(Noeud));
    Souris(Debut(Autre));
    ASSERT_TRUE(fm->isVisible());
    EXPECT_EQ(fm->Enr(Arbre.get()).cFichier, cVignette);
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("1°/1 Image(s)"));
    EXPECT_EQ(fm->size(), QSize(100, 75 + 26));
}

TEST_F(VignetteFlottanteTest, AnyImageIsKeptWithinTheNodeAndDrawnAgainAfterLeaving)
{
    Contexte->Parametres.vfGene_nQuelleImg = 2;
    int nTirages = 0;
    fm->fnHasard = [&](int n) { return (++nTirages * 3) % n; };
    Souris(Debut(Noeud));
    ASSERT_TRUE(fm->isVisible());
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("4°/5 Image(s)"));
    Souris(Fin(Noeud));
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("4°/5 Image(s)"));
    EXPECT_EQ(nTirages, 1);
    // The mouse leaves the tree: the window hides, and coming back draws again.
    QEvent Sortie(QEvent::Leave);
    QApplication::sendEvent(Arbre->viewport(), &Sortie);
    EXPECT_FALSE(fm->isVisible());
    Souris(Debut(Noeud));
    EXPECT_EQ(nTirages, 2);
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("2°/5 Image(s)"));
}

TEST_F(VignetteFlottanteTest, AHugeFolderIsListedAwayFromTheMouseAndShownOnlyIfTheMouseStayed)
{
    // 20,000 image files, the first a real JPEG.
    const QString cGrand = Temp.filePath("grand") + "/";
    QDir().mkpath(cGrand);
    Jpeg(cGrand + "a0000.jpg", 200, 100);
    for (int i = 1; i < 20000; ++i) {
        QFile f(cGrand + QString("f%1.jpg").arg(i, 5, 10, QLatin1Char('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Contexte->Parametres.vfGene_nQuelleImg = 0;
    // The huge folder's list waits for the test to let it go.
    QSemaphore Feu;
    std::atomic<int> nListes{0};
    fm->Suivre(Arbre.get(), 0, [&](const QTreeWidgetItem *Item) {
        TNoeudVF n;
        n.lValide = true;
        n.cIdentite = Item->text(0);
        const bool lGrand = Item == Autre;
        const QString cDossier = lGrand ? cGrand : cPhotos;
        n.cDossier = cDossier;
        n.fnListe = [&, lGrand, cDossier] {
            if (lGrand)
                Feu.tryAcquire(1, 5000);
            ++nListes;
            return VignetteFlottante::ListeDossier(cDossier, false, false, [](const QString &) { return QString(); });
        };
        return n;
    });
    // The mouse enters the huge node: the move returns at once, before the list exists.
    fm->SuivreSouris(Arbre.get(), Debut(Autre));
    EXPECT_EQ(nListes.load(), 0);
    EXPECT_FALSE(fm->isVisible());
    // It leaves for the other node before the list arrives: only that one is ever shown.
    fm->SuivreSouris(Arbre.get(), Debut(Noeud));
    Feu.release(10);
    ASSERT_TRUE(fm->AttendChargement());
    QTest::qWait(50);
    ASSERT_TRUE(fm->isVisible());
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("1°/5 Image(s)"));
    EXPECT_EQ(fm->TexteNom(), QStringLiteral("p1.jpg"));

    // Back on the huge node, staying: its first image and count.
    Souris(Debut(Autre));
    ASSERT_TRUE(fm->isVisible());
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("1°/20000 Image(s)"));
    EXPECT_EQ(fm->TexteNom(), QStringLiteral("a0000.jpg"));

    // A folder that cannot be read lists nothing: hidden.
    QDir(cGrand).removeRecursively();
    Souris(Debut(Autre));
    EXPECT_FALSE(fm->isVisible());
}

TEST_F(VignetteFlottanteTest, HiddenWhereAnotherWindowLiesOverTheTree)
{
    Contexte->Parametres.vfGene_nQuelleImg = 3;
    // Another window of the program over the tree's upper part, where the node is.
    QWidget Dessus(nullptr, Qt::Tool | Qt::WindowDoesNotAcceptFocus);
    Dessus.setAttribute(Qt::WA_ShowWithoutActivating);
    Dessus.setGeometry(QRect(Arbre->mapToGlobal(QPoint(0, 0)), QSize(300, 120)));
    Dessus.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dessus));
    Souris(Debut(Noeud));
    EXPECT_FALSE(fm->isVisible());
    EXPECT_TRUE(fm->TexteNombre().isEmpty());
    // Shown as soon as the tree is uncovered there.
    Dessus.hide();
    Souris(Fin(Noeud));
    ASSERT_TRUE(fm->isVisible());
    EXPECT_EQ(fm->TexteNombre(), QStringLiteral("5°/5 Image(s)"));
    // Covered again while shown, the next image is not shown over it.
    Dessus.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dessus));
    Souris(Debut(Noeud));
    EXPECT_FALSE(fm->isVisible());
}
