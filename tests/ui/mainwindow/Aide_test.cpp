#include "mainwindow/Aide_fm.h"

#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/Exploration_fm.h"
#include "imaging/Imaging.h"
#include "mainwindow/MainKX_fm.h"
#include "mainwindow/MenuPrincipal.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QWhatsThis>
#include <gtest/gtest.h>

namespace
{

struct AideTest : TBancFenetrePrincipale<>
{
    TAideKX *Aide = nullptr;
    QPushButton *btAide = nullptr;

    void SetUp() override
    {
        CreeFenetre();
        Aide = &Fenetre->Aide();
        btAide = Controle<QPushButton>("btAide");
        Fenetre->resize(1000, 700);
        MontreFenetre();
        Fenetre->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Fenetre.get()));
    }
    void TearDown() override
    {
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    static bool CurseurAide()
    {
        return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WhatsThisCursor;
    }
};

TEST_F(AideTest, ContextClimbsToTheFirstParentThatHasOne)
{
    QSignalSpy Montres(Aide, &TAideKX::AideMontree);
    // The grid's viewport has no context of its own: the grid's pop-up topic shows.
    Aide->AideContextuelle(Fenetre->Grille()->viewport());
    ASSERT_EQ(Montres.size(), 1);
    EXPECT_EQ(Montres.at(0).at(0).toInt(), -15);
    // A control with no context up its parents: the home topic, in the help window.
    auto *Nu = new QLabel(Fenetre->centralWidget());
    Aide->AideContextuelle(Nu);
    ASSERT_EQ(Montres.size(), 2);
    EXPECT_EQ(Montres.at(1).at(0).toInt(), 10);
    ASSERT_TRUE(Aide->Fenetre()->isVisible());
    EXPECT_EQ(Aide->Fenetre()->PageCourante(), "accueil.html");
    // A page of the search page.
    Aide->AideContextuelle(Fenetre->PageRecherche());
    EXPECT_EQ(Aide->Fenetre()->PageCourante(), "page-recherche.html");
    EXPECT_EQ(TAideKX::ContexteDe(Fenetre->findChild<QWidget *>("cbCritMC")), -1121);
}

TEST_F(AideTest, F1GivesTheHelpOfTheFocusedControl)
{
    QSignalSpy Montres(Aide, &TAideKX::AideMontree);
    Fenetre->Grille()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([this] { return Fenetre->Grille()->hasFocus(); }, 2000));
    QTest::keyClick(Fenetre->Grille(), Qt::Key_F1);
    ASSERT_EQ(Montres.size(), 1);
    EXPECT_EQ(Montres.at(0).at(0).toInt(), -15);
}

TEST_F(AideTest, HelpModeTakesOneClickSwallowsItAndGivesTheCursorBack)
{
    QSignalSpy Montres(Aide, &TAideKX::AideMontree);
    btAide->click();
    EXPECT_TRUE(Aide->ModeAide());
    EXPECT_TRUE(CurseurAide());
    // A click on the image pane: the pane's topic, the button up, the cursor back.
    QWidget *Image = Fenetre->PanneauImage();
    QWidget *Cible = Image->childAt(Image->rect().center());
    if (!Cible)
        Cible = Image;
    QTest::mouseClick(Cible, Qt::LeftButton, {}, Cible->rect().center());
    ASSERT_EQ(Montres.size(), 1);
    EXPECT_EQ(Montres.at(0).at(0).toInt(), -17);
    EXPECT_FALSE(btAide->isChecked());
    EXPECT_FALSE(CurseurAide());

    // On the thumbnails, the grid's topic; the click never reaches the grid.
    QWhatsThis::hideText();
    btAide->click();
    QWidget *Vignettes = Fenetre->Grille()->viewport();
    bool lRecu = false;
    struct TEspion : QObject
    {
        bool *p;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonRelease)
                *p = true;
            return false;
        }
    } Espion;
    Espion.p = &lRecu;
    Vignettes->installEventFilter(&Espion);
    QTest::mouseClick(Vignettes, Qt::LeftButton, {}, QPoint(10, 10));
    Vignettes->removeEventFilter(&Espion);
    ASSERT_EQ(Montres.size(), 2);
    EXPECT_EQ(Montres.at(1).at(0).toInt(), -15);
    EXPECT_FALSE(lRecu);

    // Esc and the button itself end help mode without any help.
    btAide->click();
    QTest::keyClick(Fenetre.get(), Qt::Key_Escape);
    EXPECT_FALSE(Aide->ModeAide());
    EXPECT_FALSE(btAide->isChecked());
    btAide->click();
    btAide->click();
    EXPECT_FALSE(CurseurAide());
    EXPECT_EQ(Montres.size(), 2);
}

TEST_F(AideTest, AnotherWindowComingForwardEndsHelpMode)
{
    btAide->click();
    ASSERT_TRUE(CurseurAide());
    QWidget Autre;
    Autre.show();
    Autre.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Autre));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !Aide->ModeAide(); }, 2000));
    EXPECT_FALSE(btAide->isChecked());
    EXPECT_FALSE(CurseurAide());
}

TEST_F(AideTest, MissingPagesAndAnchorsShowTheHome)
{
    TfmAide *f = Aide->Fenetre();
    f->AfficheLien("page-exploration.html");
    EXPECT_EQ(f->PageCourante(), "page-exploration.html");
    for (const char *c : {"absente.html", "page-exploration.html#nulle-part", ""}) {
        f->AfficheLien("page-exploration.html");
        f->AfficheLien(c);
        EXPECT_EQ(f->PageCourante(), "accueil.html") << c;
        EXPECT_FALSE(f->tbPage->toPlainText().trimmed().isEmpty());
    }
    // Back goes to the page before.
    f->btPrecedent->click();
    EXPECT_EQ(f->PageCourante(), "page-exploration.html");
}

TEST_F(AideTest, IndexAndSearchTabsLeadToPages)
{
    TfmAide *f = Aide->Fenetre();
    f->show();
    Aide->Index();
    EXPECT_EQ(f->pcOnglets->currentIndex(), 1);
    ASSERT_TRUE(QTest::qWaitFor([f] { return f->edIndex->hasFocus(); }, 2000));
    const int nTous = f->lbIndex->count();
    EXPECT_GE(nTous, 150);
    f->edIndex->setText("ZOOM");
    ASSERT_GT(f->lbIndex->count(), 0);
    EXPECT_LT(f->lbIndex->count(), nTous);
    for (int i = 0; i < f->lbIndex->count(); ++i)
        EXPECT_TRUE(f->lbIndex->item(i)->text().contains("zoom", Qt::CaseInsensitive));
    emit f->lbIndex->itemActivated(f->lbIndex->item(0));
    EXPECT_NE(f->PageCourante(), "accueil.html");

    f->edRecherche->setText("vignettes CALENDRIER");
    f->Rechercher();
    ASSERT_GT(f->lbRecherche->count(), 0);
    emit f->lbRecherche->itemActivated(f->lbRecherche->item(0));
    const QString cTexte = FormeRecherche(f->tbPage->toPlainText());
    EXPECT_TRUE(cTexte.contains("vignettes") && cTexte.contains("calendrier"));
    EXPECT_GT(f->tvSommaire->topLevelItemCount(), 3);
}

TEST_F(AideTest, AboutBoxNamesBothVersions)
{
    QString cTitre, cTextes;
    Aide->fnExecAPropos = [&](TfmAPropos &Boite) {
        cTitre = Boite.windowTitle();
        for (QLabel *l : Boite.findChildren<QLabel *>())
            cTextes += l->text() + "\n";
    };
    auto *Menu = Fenetre->findChild<TMenuPrincipalKX *>();
    ASSERT_NE(Menu, nullptr);
    Menu->miMainAid->actions().last()->trigger();
    EXPECT_EQ(cTitre, "A propos de Vimbrel");
    EXPECT_TRUE(cTextes.contains("Version de Vimbrel :\nv 1.44\n"));
    EXPECT_TRUE(cTextes.contains(Imaging::TexteVersion()));
}

} // namespace

namespace
{

TEST_F(AideTest, EveryShortcutOfTheWindowIsOnTheShortcutsPage)
{
    // Every menu opened once, so that every feature's actions exist.
    for (QMenu *m : Fenetre->findChildren<QMenu *>())
        emit m->aboutToShow();
    const QString cPage = TextePage(Aide->Fenetre()->Pages().value("raccourcis.html"));
    ASSERT_FALSE(cPage.isEmpty());
    int nRaccourcis = 0;
    for (QAction *a : Fenetre->findChildren<QAction *>())
        for (const QKeySequence &k : a->shortcuts()) {
            if (k.isEmpty())
                continue;
            ++nRaccourcis;
            EXPECT_TRUE(cPage.contains(k.toString(QKeySequence::PortableText)))
                << k.toString().toStdString() << " (" << a->text().toStdString() << ")";
        }
    EXPECT_GE(nRaccourcis, 6);
}

} // namespace
