#include "components/VueParagraphes.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

// Qt's own way of asking a scroll bar for its style option (exported for its views).
QStyleOptionSlider qt_qscrollbarStyleOption(QScrollBar *scrollBar);

namespace
{
TParagrapheRTF P(const QString &c, double rTaille = 8, bool lGras = false)
{
    TParagrapheRTF p;
    p.lstSegments << TSegmentRTF{c, rTaille, lGras, false};
    return p;
}

void Souris(QWidget *w, QEvent::Type t, QPoint Point, Qt::MouseButton b, Qt::MouseButtons bs,
            Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QMouseEvent e(t, QPointF(Point), QPointF(w->mapToGlobal(Point)), b, bs, m);
    QApplication::sendEvent(w, &e);
}

// A report of n paragraphs: headings, wrapping lines, tabs, bullets, empty lines.
QList<TParagrapheRTF> Rapport(int n)
{
    std::mt19937 Alea(7);
    QList<TParagrapheRTF> l;
    for (int i = 0; i < n; ++i) {
        switch (Alea() % 5) {
        case 0: l << P(QStringLiteral("%1) Titre").arg(i), 16, true); break;
        case 1: l << P(QString()); break;
        case 2: l << P(QStringLiteral("\tligne %1 ").arg(i).repeated(int(Alea() % 30) + 1)); break;
        case 3: {
            TParagrapheRTF p = P(QStringLiteral("puce %1").arg(i));
            p.lPuce = true;
            p.nRetraitGauche = 200;
            l << p;
            break;
        }
        default: l << P(QStringLiteral("entrée %1\r\nsuite").arg(i), 10); break;
        }
    }
    return l;
}

// Where the style puts the bar's thumb now.
QRect RectCurseur(QScrollBar *b)
{
    const QStyleOptionSlider o = qt_qscrollbarStyleOption(b);
    return b->style()->subControlRect(QStyle::CC_ScrollBar, &o, QStyle::SC_ScrollBarSlider, b);
}

// The rows of a vertical bar, as painted, that are darker (lighter with lClaire) than the
// middle between its lightest and its darkest rows along its groove (arrow buttons left out):
// what the eye takes for the thumb. Null when the bar is one tone.
QRect PartieSombre(QScrollBar *b, bool lClaire = false)
{
    const QStyleOptionSlider o = qt_qscrollbarStyleOption(b);
    const QRect Sillon = b->style()->subControlRect(QStyle::CC_ScrollBar, &o, QStyle::SC_ScrollBarGroove, b);
    const QImage Image = b->grab().toImage();
    const int x = Sillon.center().x();
    QList<int> Clartes;
    for (int y = Sillon.top(); y <= Sillon.bottom(); ++y)
        Clartes << QColor(Image.pixel(x * Image.width() / b->width(), y * Image.height() / b->height())).lightness();
    const auto [itMin, itMax] = std::minmax_element(Clartes.begin(), Clartes.end());
    if (*itMax - *itMin < 16)
        return {};
    const int nSeuil = (*itMin + *itMax) / 2;
    int nHaut = -1, nBas = -1;
    for (int i = 0; i < Clartes.size(); ++i)
        if (lClaire ? Clartes[i] > nSeuil : Clartes[i] < nSeuil) {
            if (nHaut < 0)
                nHaut = i;
            nBas = i;
        }
    return QRect(Sillon.left(), Sillon.top() + nHaut, Sillon.width(), nBas - nHaut + 1);
}

struct VueTest : ::testing::Test
{
    TVueParagraphes Vue;
    void Montre(int nLargeur, int nHauteur)
    {
        Vue.resize(nLargeur, nHauteur);
        Vue.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Vue));
    }
    // Lets the bars settle, then paints now, as the screen would.
    void Peint()
    {
        QApplication::processEvents();
        Vue.viewport()->grab();
    }
    // The geometry must be one column of paragraphs without gaps, whatever was laid out.
    void VerifieContinuite()
    {
        qint64 nSomme = 0;
        for (qsizetype n = 0; n < Vue.NombreParagraphes(); ++n) {
            nSomme += Vue.HauteurParagraphe(n);
            if (n > 0)
                ASSERT_EQ(Vue.RectParagraphe(n).top(), Vue.RectParagraphe(n - 1).bottom() + 1) << n;
        }
        EXPECT_EQ(Vue.HauteurTotale(), nSomme);
    }
};
} // namespace

TEST_F(VueTest, SelectsAcrossParagraphsAndCopiesWithoutLosingTheSelection)
{
    TParagrapheRTF Puce = P("troisième");
    Puce.lPuce = true;
    TParagrapheRTF Double = P("deux\r\n");
    Double.lstSegments << TSegmentRTF{"lignes", 12, true, true};
    Vue.setParagraphes({P("Première ligne"), Double, Puce});
    Montre(400, 200);
    EXPECT_EQ(Vue.toPlainText(), "Première ligne\ndeux\nlignes\ntroisième");

    Vue.Selectionne({0, 3}, {2, 4});
    EXPECT_EQ(Vue.TexteSelectionne(), "mière ligne\ndeux\nlignes\ntroi");
    QTest::keyClick(&Vue, Qt::Key_C, Qt::ControlModifier);
    const QMimeData *m = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text(), "mière ligne\ndeux\nlignes\ntroi");
    EXPECT_TRUE(m->html().contains("font-weight:bold;text-decoration:underline;\">lignes</span>"));
    EXPECT_TRUE(m->html().contains("<li")) << m->html().toStdString();
    const QByteArray Rtf = m->data("text/rtf");
    EXPECT_TRUE(Rtf.startsWith("{\\rtf1"));
    EXPECT_TRUE(Rtf.contains("deux\\line ")) << Rtf.constData();
    EXPECT_FALSE(Rtf.contains("sième"));
    EXPECT_EQ(Vue.Ancre(), (TPositionParagraphe{0, 3}));
    EXPECT_EQ(Vue.Curseur(), (TPositionParagraphe{2, 4}));

    // Backwards selections read the same way.
    Vue.Selectionne({2, 4}, {0, 3});
    EXPECT_EQ(Vue.TexteSelectionne(), "mière ligne\ndeux\nlignes\ntroi");

    QTest::keyClick(&Vue, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Vue.TexteSelectionne(), Vue.toPlainText());
}

TEST_F(VueTest, ShowingSelectingAndCopyingNeverCopyTheParagraphs)
{
    const QList<TParagrapheRTF> l = Rapport(3000);
    Vue.setParagraphes(l);
    Montre(400, 300);
    Peint();
    Vue.SelectionneTout();
    Vue.Copier();
    Vue.AllerALaFin();
    Peint();
    Souris(Vue.viewport(), QEvent::MouseButtonDblClick, QPoint(20, 20), Qt::LeftButton, Qt::LeftButton);
    // A report of millions of lines would double in memory if the view detached from it.
    EXPECT_EQ(Vue.Paragraphes().constData(), l.constData());
}

TEST_F(VueTest, MouseDragShiftClickAndDoubleClickSelect)
{
    Vue.setParagraphes({P("Mot suivant"), P("autre ligne"), P("dernière")});
    Montre(400, 200);
    Peint();
    QWidget *v = Vue.viewport();
    const QRect r0 = Vue.RectParagraphe(0), r2 = Vue.RectParagraphe(2);
    Souris(v, QEvent::MouseButtonPress, QPoint(1, r0.center().y()), Qt::LeftButton, Qt::LeftButton);
    Souris(v, QEvent::MouseMove, QPoint(200, r0.bottom() + 3), Qt::NoButton, Qt::LeftButton);
    Souris(v, QEvent::MouseMove, QPoint(390, r2.center().y()), Qt::NoButton, Qt::LeftButton);
    Souris(v, QEvent::MouseButtonRelease, QPoint(390, r2.center().y()), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Vue.TexteSelectionne(), "Mot suivant\nautre ligne\ndernière");

    // Shift-click moves the end, the anchor stays.
    const QPoint Debut1(1, Vue.RectParagraphe(1).center().y());
    Souris(v, QEvent::MouseButtonPress, Debut1, Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    Souris(v, QEvent::MouseButtonRelease, Debut1, Qt::LeftButton, Qt::NoButton, Qt::ShiftModifier);
    EXPECT_EQ(Vue.TexteSelectionne(), "Mot suivant\n");

    // A plain click drops the selection; a double click takes the word under the pointer.
    Souris(v, QEvent::MouseButtonPress, Debut1, Qt::LeftButton, Qt::LeftButton);
    Souris(v, QEvent::MouseButtonRelease, Debut1, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(Vue.ASelection());
    Souris(v, QEvent::MouseButtonDblClick, QPoint(8, r0.center().y()), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(Vue.TexteSelectionne(), "Mot");
}

TEST_F(VueTest, WheelAndADragBelowTheTextScroll)
{
    Vue.setParagraphes(Rapport(500));
    Montre(300, 200);
    Peint();
    QScrollBar *b = Vue.verticalScrollBar();
    QWidget *v = Vue.viewport();
    QWheelEvent Roue(QPointF(50, 50), QPointF(Vue.mapToGlobal(QPoint(50, 50))), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v, &Roue);
    EXPECT_GT(b->value(), 0);
    b->setValue(0);

    // Held below the text, the drag keeps scrolling and selecting until the button is released.
    Souris(v, QEvent::MouseButtonPress, QPoint(1, 10), Qt::LeftButton, Qt::LeftButton);
    const QPoint Dessous(100, v->height() + 20);
    Souris(v, QEvent::MouseMove, Dessous, Qt::NoButton, Qt::LeftButton);
    const int nPremier = b->value();
    EXPECT_GT(nPremier, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return b->value() > nPremier + 3 * b->singleStep(); }, 10000));
    Souris(v, QEvent::MouseButtonRelease, Dessous, Qt::LeftButton, Qt::NoButton);
    const int nRelache = b->value();
    EXPECT_GE(Vue.Curseur().nParagraphe, Vue.DernierVisible());
    EXPECT_EQ(Vue.Ancre(), (TPositionParagraphe{0, 0}));
    QTest::qWait(200);
    EXPECT_EQ(b->value(), nRelache);
}

TEST_F(VueTest, ContextMenuCopiesAndSelectsAll)
{
    Vue.setParagraphes({P("un"), P("deux")});
    Montre(300, 200);
    std::unique_ptr<QMenu> Menu(Vue.CreeMenuContextuel(nullptr));
    const QList<QAction *> Actions = Menu->actions();
    ASSERT_EQ(Actions.size(), 2);
    EXPECT_EQ(Actions[0]->text(), "Copier");
    EXPECT_EQ(Actions[1]->text(), "Tout sélectionner");
    EXPECT_FALSE(Actions[0]->isEnabled());
    Actions[1]->trigger();
    EXPECT_EQ(Vue.TexteSelectionne(), "un\ndeux");
    Menu.reset(Vue.CreeMenuContextuel(nullptr));
    ASSERT_TRUE(Menu->actions()[0]->isEnabled());
    QApplication::clipboard()->clear();
    Menu->actions()[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "un\ndeux");
}

TEST_F(VueTest, EndShowsTheLastParagraphWithoutLayingOutTheWhole)
{
    const int n = 30000;
    Vue.setParagraphes(Rapport(n));
    Montre(420, 300);
    Peint();
    QTest::keyClick(&Vue, Qt::Key_End, Qt::ControlModifier);
    Peint();
    const int nVue = Vue.viewport()->height();
    EXPECT_EQ(Vue.DernierVisible(), n - 1);
    const QRect r = Vue.RectParagraphe(n - 1);
    // The last paragraph sits whole at the bottom, the bottom margin below it.
    EXPECT_LE(r.bottom() + 1, nVue);
    EXPECT_GE(r.bottom() + 1, nVue - 8);
    EXPECT_TRUE(Vue.HauteurExacte(n - 1));
    EXPECT_LT(Vue.NombreDisposes(), 200);
    VerifieContinuite();

    // Anywhere in the middle, the first visible paragraph is the one at the top edge.
    QScrollBar *b = Vue.verticalScrollBar();
    for (int nValeur : {b->maximum() / 3, b->maximum() / 2 + 17, 5}) {
        b->setValue(nValeur);
        Peint();
        const QRect rHaut = Vue.RectParagraphe(Vue.PremierVisible());
        EXPECT_LE(rHaut.top(), 0);
        EXPECT_GT(rHaut.bottom(), 0);
    }
    VerifieContinuite();
    QTest::keyClick(&Vue, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(b->value(), 0);
    EXPECT_EQ(Vue.PremierVisible(), 0);
    QTest::keyClick(&Vue, Qt::Key_PageDown);
    EXPECT_EQ(b->value(), b->pageStep());
}

TEST_F(VueTest, AppendingMeasuresOnlyTheNewParagraphs)
{
    Vue.setParagraphes(Rapport(2000));
    Montre(420, 300);
    Vue.AllerALaFin();
    Peint();
    const qsizetype nDisposes = Vue.NombreDisposes();
    const qint64 nAvant = Vue.HauteurTotale();
    Vue.AjouteParagraphes(Rapport(3000));
    EXPECT_EQ(Vue.NombreParagraphes(), 5000);
    EXPECT_EQ(Vue.NombreDisposes(), nDisposes);
    EXPECT_GT(Vue.HauteurTotale(), nAvant);
    EXPECT_FALSE(Vue.HauteurExacte(4999));
    VerifieContinuite();
    Vue.AllerALaFin();
    Peint();
    EXPECT_EQ(Vue.DernierVisible(), 4999);
    EXPECT_LE(Vue.RectParagraphe(4999).bottom() + 1, Vue.viewport()->height());
}

TEST_F(VueTest, WidthChangeLaysParagraphsOutAgain)
{
    QString cLong;
    for (int i = 0; i < 200; ++i)
        cLong += QStringLiteral("mot%1 ").arg(i);
    TParagrapheRTF Titre = P("Audit", 24, true);
    Titre.nAlignement = TAlignementRTF::Centre;
    Vue.setParagraphes({P(cLong), Titre, P("fin")});
    Montre(800, 400);
    Peint();
    ASSERT_TRUE(Vue.HauteurExacte(0));
    const int nLarge = Vue.HauteurParagraphe(0);
    const int nTitre = Vue.HauteurParagraphe(1);
    Vue.resize(300, 400);
    EXPECT_FALSE(Vue.HauteurExacte(0));
    Peint();
    ASSERT_TRUE(Vue.HauteurExacte(0));
    // Less than half the width: more than twice the lines.
    EXPECT_GT(Vue.HauteurParagraphe(0), 2 * nLarge);
    EXPECT_EQ(Vue.HauteurParagraphe(1), nTitre);
    VerifieContinuite();
    Vue.resize(800, 400);
    Peint();
    EXPECT_EQ(Vue.HauteurParagraphe(0), nLarge);
}

TEST_F(VueTest, AReportTallerThanEstimatedStaysAtItsTop)
{
    // Line separators break lines without counting as breaks for the estimate.
    QStringList Lignes;
    for (int i = 0; i < 60; ++i)
        Lignes << QStringLiteral("ligne %1").arg(i);
    Vue.setParagraphes({P(Lignes.join(QChar::LineSeparator))});
    Montre(300, 200);
    Peint();
    EXPECT_GT(Vue.verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(Vue.verticalScrollBar()->value(), 0);
}

TEST_F(VueTest, TheBarOfAShortReportFollowsTheTextAndTheView)
{
    // A few screenfuls, as the audit of a small catalogue gives.
    const int n = 45;
    Vue.setParagraphes(Rapport(n));
    Montre(400, 300);
    Peint();
    QScrollBar *b = Vue.verticalScrollBar();
    const int nVue = Vue.viewport()->height();
    EXPECT_EQ(b->value(), b->minimum());
    EXPECT_EQ(b->minimum(), 0);
    EXPECT_EQ(b->pageStep(), nVue);
    EXPECT_EQ(Vue.RectParagraphe(0).top(), 4);
    // Once every paragraph has been on screen, the range is the text (its margins included)
    // less one screenful.
    for (int i = 0; i < 50 && Vue.DernierVisible() < n - 1; ++i) {
        QTest::keyClick(&Vue, Qt::Key_PageDown);
        Peint();
    }
    for (int i = 0; i < n; ++i)
        ASSERT_TRUE(Vue.HauteurExacte(i)) << i;
    EXPECT_EQ(b->maximum() + b->pageStep(), Vue.HauteurTotale() + 2 * 4);

    QTest::keyClick(&Vue, Qt::Key_End, Qt::ControlModifier);
    Peint();
    EXPECT_EQ(b->value(), b->maximum());
    EXPECT_EQ(Vue.RectParagraphe(n - 1).bottom() + 1, nVue - 4);
    QTest::keyClick(&Vue, Qt::Key_Home, Qt::ControlModifier);
    Peint();
    EXPECT_EQ(b->value(), 0);

    // The wheel and the bar move the text by what the bar moves.
    QWheelEvent Roue(QPointF(50, 50), QPointF(Vue.mapToGlobal(QPoint(50, 50))), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Vue.viewport(), &Roue);
    Peint();
    EXPECT_GT(b->value(), 0);
    EXPECT_EQ(Vue.RectParagraphe(0).top(), 4 - b->value());
    b->setValue(0);
    Peint();

    const QRect Curseur = RectCurseur(b);
    const QStyleOptionSlider o = qt_qscrollbarStyleOption(b);
    const QRect Sillon = b->style()->subControlRect(QStyle::CC_ScrollBar, &o, QStyle::SC_ScrollBarGroove, b);
    ASSERT_GT(Sillon.height() - Curseur.height(), 40);
    const QPoint Prise = Curseur.center();
    QTest::mousePress(b, Qt::LeftButton, {}, Prise);
    QTest::mouseMove(b, Prise + QPoint(0, 40));
    Peint();
    const int nAttendu = 40 * b->maximum() / (Sillon.height() - Curseur.height());
    EXPECT_NEAR(b->value(), nAttendu, b->maximum() / 20 + 2);
    EXPECT_EQ(Vue.RectParagraphe(0).top(), 4 - b->value());
    // Pulled past the end of the groove: the end of the text.
    QTest::mouseMove(b, QPoint(Prise.x(), b->height() + 50));
    Peint();
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(Prise.x(), b->height() + 50));
    Peint();
    EXPECT_EQ(b->value(), b->maximum());
    EXPECT_EQ(Vue.DernierVisible(), n - 1);
    EXPECT_EQ(Vue.RectParagraphe(n - 1).bottom() + 1, nVue - 4);
}

TEST_F(VueTest, TheThumbIsWhatStandsOutOfTheBar)
{
    // Light thumb on a darker track reads the other way round beside a white page: the dark
    // part of the bar must be the thumb, at its place and of its length.
    Vue.setParagraphes(Rapport(45));
    Montre(400, 300);
    Peint();
    QScrollBar *b = Vue.verticalScrollBar();
    ASSERT_GT(b->maximum(), 0);
    for (auto [nTouche, cOu] : {std::pair{Qt::Key_Home, "top"}, {Qt::Key_End, "end"}}) {
        QTest::keyClick(&Vue, nTouche, Qt::ControlModifier);
        Peint();
        const QRect Curseur = RectCurseur(b), Sombre = PartieSombre(b);
        ASSERT_FALSE(Sombre.isNull()) << cOu;
        EXPECT_NEAR(Sombre.top(), Curseur.top(), 2) << cOu;
        EXPECT_NEAR(Sombre.bottom(), Curseur.bottom(), 2) << cOu;
    }
    // A long report: a short thumb, at the top, then at the bottom.
    Vue.setParagraphes(Rapport(5000));
    Peint();
    QTest::keyClick(&Vue, Qt::Key_Home, Qt::ControlModifier);
    Peint();
    const QRect Haut = PartieSombre(b);
    EXPECT_NEAR(Haut.top(), RectCurseur(b).top(), 2);
    EXPECT_LT(Haut.height(), b->height() / 4);
    QTest::keyClick(&Vue, Qt::Key_End, Qt::ControlModifier);
    Peint();
    EXPECT_NEAR(PartieSombre(b).bottom(), RectCurseur(b).bottom(), 2);

    // On a dark palette the thumb is what shows lightest.
    QPalette Sombre = Vue.palette();
    for (auto [nRole, cCouleur] : {std::pair{QPalette::Window, "#303030"},
                                   {QPalette::Base, "#202020"},
                                   {QPalette::Button, "#383838"},
                                   {QPalette::Mid, "#282828"},
                                   {QPalette::Midlight, "#808080"},
                                   {QPalette::Dark, "#101010"}})
        Sombre.setColor(nRole, QColor(cCouleur));
    Vue.setPalette(Sombre);
    QTest::keyClick(&Vue, Qt::Key_Home, Qt::ControlModifier);
    Peint();
    const QRect Clair = PartieSombre(b, true);
    EXPECT_NEAR(Clair.top(), RectCurseur(b).top(), 2);
    EXPECT_NEAR(Clair.bottom(), RectCurseur(b).bottom(), 2);
}

TEST_F(VueTest, ALongReportsThumbIsSizedAndPlacedByItsText)
{
    const int n = 3000;
    Vue.setParagraphes(Rapport(n));
    Montre(420, 300);
    Peint();
    QScrollBar *b = Vue.verticalScrollBar();
    const qint64 nEstimee = Vue.HauteurTotale();

    // Dragged to the middle of the groove, the text settles where the thumb was let go: laying
    // out what shows does not move the paragraph at the top.
    const QStyleOptionSlider o = qt_qscrollbarStyleOption(b);
    const QRect Sillon = b->style()->subControlRect(QStyle::CC_ScrollBar, &o, QStyle::SC_ScrollBarGroove, b);
    const QPoint Prise = RectCurseur(b).center();
    QTest::mousePress(b, Qt::LeftButton, {}, Prise);
    QTest::mouseMove(b, QPoint(Prise.x(), Sillon.center().y()));
    Peint();
    const int nMilieu = b->value();
    EXPECT_NEAR(nMilieu, b->maximum() / 2, b->maximum() / 20);
    const qsizetype nHaut = Vue.PremierVisible();
    const int yHaut = Vue.RectParagraphe(nHaut).top();
    Peint();
    Peint();
    EXPECT_EQ(b->value(), nMilieu);
    EXPECT_EQ(Vue.PremierVisible(), nHaut);
    EXPECT_EQ(Vue.RectParagraphe(nHaut).top(), yHaut);
    // Down to the bottom of the groove: the end of the text, whatever its true heights.
    QTest::mouseMove(b, QPoint(Prise.x(), Sillon.bottom()));
    Peint();
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(Prise.x(), Sillon.bottom()));
    Peint();
    EXPECT_EQ(b->value(), b->maximum());
    EXPECT_EQ(Vue.DernierVisible(), n - 1);
    EXPECT_LE(Vue.RectParagraphe(n - 1).bottom() + 1, Vue.viewport()->height());

    // The estimates (wrapped lines, tabs, bullets) are near enough the laid-out heights that
    // the thumb's length and place hold as the report is read through.
    b->setValue(0);
    for (int i = 0; i < 2000 && Vue.DernierVisible() < n - 1; ++i) {
        b->setValue(b->value() + b->pageStep());
        Peint();
    }
    ASSERT_EQ(Vue.DernierVisible(), n - 1);
    const qint64 nVraie = Vue.HauteurTotale();
    EXPECT_NEAR(double(nEstimee) / double(nVraie), 1.0, 0.06) << nEstimee << " / " << nVraie;
}

TEST(HTMLDeParagraphes, KeepsLookIndentsAndBulletsAndEscapes)
{
    TParagrapheRTF Titre = P("Audit <&>", 24, true);
    Titre.nAlignement = TAlignementRTF::Centre;
    Titre.lstSegments[0].lSouligne = true;
    TParagrapheRTF Retrait = P("a\r\nb");
    Retrait.nRetraitPremiereLigne = 640;
    TParagrapheRTF Puce = P("mer");
    Puce.lPuce = true;
    Puce.nRetraitGauche = 200;
    const QString h = HTMLDeParagraphes({Titre, P(QString()), Retrait, Puce, Puce, P("fin")});
    EXPECT_TRUE(h.contains("<p style=\"margin-top:0;margin-bottom:0;text-align:center;\"><span "
                           "style=\"font-size:24pt;font-weight:bold;text-decoration:underline;\">Audit "
                           "&lt;&amp;&gt;</span></p>"))
        << h.toStdString();
    EXPECT_TRUE(h.contains("text-indent:32pt;\"><span style=\"font-size:8pt;\">a<br>b</span>"));
    EXPECT_TRUE(h.contains("<span style=\"font-size:8pt\"><br></span>"));
    // Two bullets in a row make one list, closed before the next paragraph.
    EXPECT_EQ(h.count("<ul"), 1);
    EXPECT_EQ(h.count("<li style=\"margin-top:0;margin-bottom:0;margin-left:10pt;\">"), 2);
    EXPECT_LT(h.indexOf("</ul>"), h.indexOf(">fin<"));
}

TEST(ImprimeParagraphes, BreaksPagesBetweenLinesAndLosesNone)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QList<TParagrapheRTF> l;
    TParagrapheRTF Titre = P("Titre du rapport", 24, true);
    Titre.nAlignement = TAlignementRTF::Centre;
    l << Titre;
    for (int i = 0; i < 400; ++i)
        l << P(QStringLiteral("ligne%1").arg(i), i % 2 ? 8 : 12);
    QTemporaryDir Temp;
    const QString cPdf = Temp.filePath("rapport.pdf");
    {
        QPdfWriter Pdf(cPdf);
        ImprimeParagraphes(l, QApplication::font(), Pdf);
    }
    QProcess p;
    p.start("pdftotext", {"-layout", cPdf, "-"});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QString c = QString::fromUtf8(p.readAllStandardOutput());
    // Pages are separated by form feeds: several pages, every line on one of them, in order.
    EXPECT_GE(c.count(u'\f'), 4);
    qsizetype nPos = c.indexOf("Titre du rapport");
    ASSERT_GE(nPos, 0);
    for (int i = 0; i < 400; ++i) {
        const qsizetype n = c.indexOf(QStringLiteral("ligne%1\n").arg(i), nPos);
        ASSERT_GT(n, nPos) << i;
        nPos = n;
    }
}

TEST(ImprimeParagraphes, PlacesTabStopsHalfAnInchApartOnAnyResolution)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir Temp;
    const QString cPdf = Temp.filePath("tabs.pdf");
    {
        QPdfWriter Pdf(cPdf);
        Pdf.setResolution(1200);
        ImprimeParagraphes({P("un\tdeux\ttrois")}, QApplication::font(), Pdf);
    }
    QProcess p;
    p.start("pdftotext", {"-bbox", cPdf, "-"});
    ASSERT_TRUE(p.waitForFinished(20000));
    const QString c = QString::fromUtf8(p.readAllStandardOutput());
    // Each word's left edge, in points.
    auto Gauche = [&c](const QString &cMot) {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\"[^>]*>%1<").arg(cMot)).match(c);
        return m.hasMatch() ? m.captured(1).toDouble() : -1000.0;
    };
    EXPECT_NEAR(Gauche("deux") - Gauche("un"), 36.0, 1.0) << c.toStdString();
    EXPECT_NEAR(Gauche("trois") - Gauche("un"), 72.0, 1.0);
}
