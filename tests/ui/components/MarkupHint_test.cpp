#include "components/MarkupHint.h"

#include "components/PaneledListView.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QListView>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

namespace
{
// Asks a widget for its hint as the mouse resting over it would, and gives what is shown.
QString BulleMontree(QWidget *w, QPoint p = QPoint(2, 2))
{
    TMarkupHint::Cache();
    QHelpEvent Aide(QEvent::ToolTip, p, w->mapToGlobal(p));
    QApplication::sendEvent(w, &Aide);
    EXPECT_FALSE(QToolTip::isVisible()); // never Qt's own tool-tip
    return TMarkupHint::TexteAffiche();
}

// Rows of the picture where most pixels have the hint's text colour: its rules.
int NombreRegles(const QString &cTexte)
{
    TMarkupHint *b = TMarkupHint::Instance();
    TMarkupHint::Affiche(QPoint(10, 10), cTexte, nullptr);
    const QImage Image = b->grab().toImage();
    const QRgb Encre = b->palette().color(QPalette::ToolTipText).rgb();
    int n = 0;
    for (int y = 1; y < Image.height() - 1; ++y) {
        int nEncre = 0;
        for (int x = 1; x < Image.width() - 1; ++x)
            nEncre += Image.pixel(x, y) == Encre ? 1 : 0;
        n += nEncre > (Image.width() - 2) * 3 / 4 ? 1 : 0;
    }
    TMarkupHint::Cache();
    return n;
}

struct MarkupHintTest : ::testing::Test
{
    void SetUp() override { InstalleMarkupHint(qApp); }
    void TearDown() override { TMarkupHint::Cache(); }
};
} // namespace

TEST_F(MarkupHintTest, WidgetHintsShowInTheProgramsWindowAndGoOnLeaveOrKey)
{
    InstalleMarkupHint(qApp); // a second call adds nothing
    EXPECT_EQ(qApp->findChildren<QObject *>("FiltreMarkupHint", Qt::FindDirectChildrenOnly).size(), 1);

    QWidget Fenetre;
    auto *Etiquette = new QLabel("v 1.44", &Fenetre);
    Etiquette->setToolTip(QString::fromUtf8("Vimbrel est en mode <SG>Mise à jour</SG/>"));
    auto *Simple = new QLabel("x", &Fenetre);
    Simple->move(0, 40);
    Simple->setToolTip("Rome & Florence");
    // A child without a hint of its own shows its parent's.
    auto *Enfant = new QLabel("y", Simple);
    Fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Fenetre));

    EXPECT_EQ(BulleMontree(Etiquette), QString::fromUtf8("Vimbrel est en mode <SG>Mise à jour</SG/>"));
    EXPECT_TRUE(TMarkupHint::Visible());
    QEvent Sortie(QEvent::Leave);
    QApplication::sendEvent(Etiquette, &Sortie);
    EXPECT_FALSE(TMarkupHint::Visible());

    EXPECT_EQ(BulleMontree(Enfant), "Rome & Florence");
    QTest::keyClick(&Fenetre, Qt::Key_A);
    EXPECT_FALSE(TMarkupHint::Visible());
}

TEST_F(MarkupHintTest, ItemViewsTabsAndThumbnailsGiveTheirItemsHints)
{
    QStandardItemModel Modele;
    auto *Ligne = new QStandardItem("a.jpg");
    Ligne->setToolTip("<SG>a.jpg</SG/>");
    Modele.appendRow(Ligne);
    QListView Vue;
    Vue.setModel(&Modele);
    Vue.resize(200, 100);
    Vue.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Vue));
    EXPECT_EQ(BulleMontree(Vue.viewport(), Vue.visualRect(Modele.index(0, 0)).center()), "<SG>a.jpg</SG/>");
    // Below the last row: no hint.
    EXPECT_EQ(BulleMontree(Vue.viewport(), QPoint(5, 90)), "");

    QTabBar Onglets;
    Onglets.addTab("Nom");
    Onglets.addTab("Légende");
    Onglets.setTabToolTip(1, "<SG>Légende</SG/> (vide)");
    Onglets.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Onglets));
    EXPECT_EQ(BulleMontree(&Onglets, Onglets.tabRect(1).center()), "<SG>Légende</SG/> (vide)");

    TPaneledListView Grille;
    Grille.resize(400, 300);
    Grille.set_ItemDim(100);
    TPLVListItem *p = Grille.Ajoute();
    Grille.MetBulle(p, "/photos/\r\n<SG>a.jpg</SG/> <SS>[640x480]</SS/>");
    Grille.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grille));
    EXPECT_EQ(BulleMontree(Grille.viewport(), Grille.rPanneau(0).center()),
              "/photos/\r\n<SG>a.jpg</SG/> <SS>[640x480]</SS/>");
    // Moving out of the item's panel takes the hint away.
    QTest::mouseMove(Grille.viewport(), QPoint(390, 290));
    EXPECT_FALSE(TMarkupHint::Visible());
}

TEST_F(MarkupHintTest, SizesFollowTheMarkupAndHtmlIsPlainText)
{
    const QFont Police = QToolTip::font();
    const QSize Ecran(4000, 4000);
    const QFontMetrics fm(Police);
    QFont Gras = Police;
    Gras.setBold(true);
    // A title line is 32 pixels wider than the same words in bold; +6 for the edges.
    const QSize Gras1 = TMarkupHint::TailleTexte("<SG>TRAITEMENTS</SG/>", Police, Ecran);
    const QSize Titre = TMarkupHint::TailleTexte("<PG>TRAITEMENTS</PG/>", Police, Ecran);
    EXPECT_EQ(Gras1.width(), QFontMetrics(Gras).horizontalAdvance("TRAITEMENTS") + 6);
    EXPECT_EQ(Titre.width(), Gras1.width() + 32);
    EXPECT_EQ(TMarkupHint::TailleTexte("a\r\nb\nc", Police, Ecran).height(), 3 * fm.height() + 4);

    // HTML in a file name or an IPTC field is measured, and so drawn, as the characters it is.
    const QString cHtml = "<b>x</b><img src=a.png>";
    EXPECT_EQ(TMarkupHint::TailleTexte(cHtml, Police, Ecran).width(), fm.horizontalAdvance(cHtml) + 6);
    // A lone "<" before a tag: the line is plain.
    const QString cSeul = "a < b <SG>x</SG/>";
    EXPECT_EQ(TMarkupHint::TailleTexte(cSeul, Police, Ecran).width(), fm.horizontalAdvance(cSeul) + 6);

    // A huge line and thousands of lines stay within the screen.
    const QSize Petit(800, 600);
    EXPECT_LE(TMarkupHint::TailleTexte(QString(50000, 'm'), Police, Petit).width(), 800);
    QStringList Lignes;
    for (int i = 0; i < 2000; ++i)
        Lignes << QString::number(i);
    EXPECT_LE(TMarkupHint::TailleTexte(Lignes.join("\r\n"), Police, Petit).height(), 600);
}

TEST_F(MarkupHintTest, SeparatorLinesAreSingleOrDouble)
{
    EXPECT_EQ(NombreRegles("mot mot mot mot\r\n<LS></LS/>\r\nmot mot mot mot"), 1);
    EXPECT_EQ(NombreRegles("mot mot mot mot\r\n<LG></LG/>\r\nmot mot mot mot"), 2);
    EXPECT_EQ(NombreRegles("mot mot mot mot\r\nmot mot mot mot"), 0);
}

TEST_F(MarkupHintTest, NoHintWhileTheLeftButtonIsDown)
{
    QWidget Fenetre;
    auto *Etiquette = new QLabel("v 1.44", &Fenetre);
    Etiquette->setToolTip("Consultation");
    Fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Fenetre));
    QTest::mousePress(Etiquette, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_TRUE(QGuiApplication::mouseButtons() & Qt::LeftButton);
    EXPECT_EQ(BulleMontree(Etiquette), "");
    EXPECT_FALSE(TMarkupHint::Visible());
    QTest::mouseRelease(Etiquette, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(BulleMontree(Etiquette), "Consultation");
}
