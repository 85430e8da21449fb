#include "classification/MotsClesRech_fm.h"

#include "classification/Recherche_fm.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
const QByteArray cAvecMotsCles = "[GENERAL]\r\nlModeMAJ=1\r\n"
                                 "[MOTS-CLES]\r\n/photos/a.jpg=MER PLAGE\r\n/photos/b.jpg=mer SOLEIL\r\n"
                                 "[MOTS-CLES ENREGISTRES]\r\nMER SOLEIL=\r\nCHAT*=\r\n";

struct MotsClesRechTest : TBancFenetrePrincipale<>
{
    TMotsClesRechKX *MC = nullptr;

    void Demarre(const QByteArray &cSetup)
    {
        QDir().mkpath(Donnees());
        QFile f(Donnees() + "KX_Setup.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(cSetup);
        f.close();
        Redemarre();
    }
    // A new run on the same data folder.
    void Redemarre()
    {
        Fenetre.reset();
        Contexte.reset();
        CreeFenetre();
        auto *Rech = Fenetre->findChild<TRechercheKX *>();
        ASSERT_NE(Rech, nullptr);
        MC = Rech->MotsCles();
        ASSERT_NE(MC, nullptr);
        Fenetre->resize(1000, 800);
        Fenetre->show();
        for (QWidget *w = Fenetre->PageRecherche(); w; w = w->parentWidget())
            if (auto *Onglets = qobject_cast<QTabWidget *>(w)) {
                Onglets->setCurrentWidget(Fenetre->PageRecherche());
                break;
            }
        QApplication::setActiveWindow(Fenetre.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(Fenetre.get()));
    }
    QStringList Liste() const
    {
        QStringList l;
        for (int i = 0; i < MC->cbCritMC->count(); ++i)
            l << MC->cbCritMC->itemText(i);
        return l;
    }
    // A double click as the mouse makes it: a click, then the second press.
    void DoubleClic(QTreeWidgetItem *Item)
    {
        ASSERT_NE(Item, nullptr);
        QTreeWidget *tv = MC->tvCritMC;
        const QPoint p = tv->visualItemRect(Item).center();
        QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseDClick(tv->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(tv->viewport(), Qt::LeftButton, {}, p);
    }
    QTreeWidgetItem *ItemMotCle(const QString &cMotCle) const
    {
        const auto Items = MC->tvCritMC->findItems(cMotCle, Qt::MatchExactly | Qt::MatchRecursive);
        return Items.isEmpty() ? nullptr : Items.first();
    }
};
} // namespace

TEST_F(MotsClesRechTest, PanelOpensUnderTheButtonWithTheWholeVocabularyAndHidesOnFocusLoss)
{
    Demarre(cAvecMotsCles);
    QTest::mouseClick(MC->btCritMC, Qt::LeftButton);
    ASSERT_TRUE(MC->PanneauAffiche());
    EXPECT_TRUE(MC->btCritMC->isChecked());
    EXPECT_TRUE(MC->miAfficherMC->isChecked());

    // A child of the window, its corner on the button's bottom-left one, as wide as the page.
    QWidget *Parent = MC->pnCritMC->parentWidget();
    EXPECT_FALSE(MC->pnCritMC->isWindow());
    EXPECT_EQ(MC->pnCritMC->pos(), MC->btCritMC->mapTo(Parent, QPoint(0, MC->btCritMC->height())));
    EXPECT_EQ(MC->pnCritMC->size(), QSize(Fenetre->PageRecherche()->width(), 300));

    QTreeWidget *tv = MC->tvCritMC;
    ASSERT_EQ(tv->topLevelItemCount(), 1);
    QTreeWidgetItem *Groupe = tv->topLevelItem(0);
    EXPECT_EQ(Groupe->text(0), "Mots-clés");
    EXPECT_EQ(tv->currentItem(), Groupe);
    ASSERT_EQ(Groupe->childCount(), 3);
    EXPECT_EQ(Groupe->child(0)->text(0), "MER");
    EXPECT_EQ(Groupe->child(2)->text(0), "SOLEIL");
    EXPECT_TRUE(Groupe->isExpanded());
    EXPECT_TRUE(tv->hasFocus());
    // Nodes never collapse, neither by a double click nor from the keyboard.
    DoubleClic(Groupe);
    QTest::keyClick(tv, Qt::Key_Left);
    EXPECT_TRUE(Groupe->isExpanded());

    // The focus going elsewhere hides it and leaves the focus there.
    Fenetre->findChild<QTreeWidget *>("tvCritRech")->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(MC->PanneauAffiche());
    EXPECT_FALSE(MC->btCritMC->isChecked());
    EXPECT_EQ(QApplication::focusWidget()->objectName(), "tvCritRech");

    // Keywords written meanwhile appear at the next showing.
    Contexte->iniSetup->WriteString(cSectionMotsCles, "/photos/c.jpg", "ANE");
    MC->AfficheMotsCles(true);
    ASSERT_TRUE(MC->PanneauAffiche());
    EXPECT_EQ(tv->topLevelItem(0)->child(0)->text(0), "ANE");

    // Leaving the page takes the panel away.
    Fenetre->findChild<QTabWidget *>("pcExplRech")->setCurrentWidget(Fenetre->PageExploration());
    EXPECT_FALSE(MC->PanneauAffiche());
    EXPECT_FALSE(MC->btCritMC->isChecked());
}

TEST_F(MotsClesRechTest, ClickOnTheButtonOrDoubleClickInTheBoxHidesTheShownPanelOnce)
{
    Demarre(cAvecMotsCles);
    QTest::mouseClick(MC->btCritMC, Qt::LeftButton);
    ASSERT_TRUE(MC->tvCritMC->hasFocus());
    QTest::mouseClick(MC->btCritMC, Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_FALSE(MC->PanneauAffiche());
    EXPECT_FALSE(MC->btCritMC->isChecked());
    EXPECT_TRUE(MC->cbCritMC->hasFocus());

    QLineEdit *Saisie = MC->cbCritMC->lineEdit();
    QTest::mouseDClick(Saisie, Qt::LeftButton);
    EXPECT_TRUE(MC->PanneauAffiche());
    // The pop-up's default entry does the same.
    MC->miAfficherMC->trigger();
    EXPECT_FALSE(MC->PanneauAffiche());
    EXPECT_FALSE(MC->miAfficherMC->isChecked());
}

TEST_F(MotsClesRechTest, EmptyVocabularyReleasesTheButtonAndShowsNothing)
{
    Demarre("[GENERAL]\r\nlModeMAJ=1\r\n[MOTS-CLES]\r\n/photos/a.jpg= \r\n");
    QTest::mouseClick(MC->btCritMC, Qt::LeftButton);
    EXPECT_FALSE(MC->btCritMC->isChecked());
    EXPECT_FALSE(MC->PanneauAffiche());
    EXPECT_FALSE(MC->miAfficherMC->isChecked());
}

TEST_F(MotsClesRechTest, DoubleClickAddsTheKeywordUnlessItIsThereAndDragCarriesIt)
{
    Demarre(cAvecMotsCles);
    MC->cbCritMC->setEditText("MERS");
    MC->AfficheMotsCles(true);
    QTreeWidget *tv = MC->tvCritMC;
    DoubleClic(ItemMotCle("MER"));
    EXPECT_EQ(MC->Texte(), "MERS MER");
    DoubleClic(ItemMotCle("MER"));
    DoubleClic(tv->topLevelItem(0));
    EXPECT_EQ(MC->Texte(), "MERS MER");
    // The box's change ran: the text is now worth saving.
    EXPECT_TRUE(MC->btSvgCritMC->isEnabled());

    std::unique_ptr<QMimeData> Donnees(
        static_cast<TArbreMotsCles *>(tv)->mimeData(QList<QTreeWidgetItem *>{ItemMotCle("PLAGE")}));
    ASSERT_NE(Donnees, nullptr);
    EXPECT_EQ(QString::fromUtf8(Donnees->data(cMimeMotCle)), "PLAGE");
    EXPECT_EQ(static_cast<TArbreMotsCles *>(tv)->mimeData({tv->topLevelItem(0)}), nullptr);

    bool lVignettes = true;
    MC->fnVignettesVisibles = [&] { return lVignettes; };
    EXPECT_TRUE(MC->PeutGlisser());
    lVignettes = false;
    EXPECT_FALSE(MC->PeutGlisser());
    lVignettes = true;
    Fenetre->Selection().MetModeMAJ(false);
    EXPECT_FALSE(MC->PeutGlisser());
}

TEST_F(MotsClesRechTest, BoxFiltersWhatIsTypedOrPastedAndEnterAsksForTheSearch)
{
    Demarre(cAvecMotsCles);
    QLineEdit *Saisie = MC->cbCritMC->lineEdit();
    Saisie->setFocus();
    QTest::keyClicks(Saisie, "a");
    EXPECT_EQ(MC->Texte(), "A");
    for (const QString &c : {QString("é"), QString("?")}) {
        QKeyEvent Touche(QEvent::KeyPress, 0, Qt::NoModifier, c);
        QApplication::sendEvent(Saisie, &Touche);
    }
    EXPECT_EQ(MC->Texte(), "A");

    MC->cbCritMC->setEditText(QString());
    QApplication::clipboard()->setText("a=b?é");
    Saisie->paste();
    EXPECT_EQ(MC->Texte(), "AB");

    QSignalSpy Recherche(MC, &TMotsClesRechKX::RechercheDemandee);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Recherche.count(), 1);
    // Enter does not slip the text into the list of saved sets.
    EXPECT_EQ(Liste(), QStringList({"CHAT*", "MER SOLEIL"}));
}

TEST_F(MotsClesRechTest, OrTurnsTheBoxPaleYellowAndARestartBringsAndBack)
{
    Demarre(cAvecMotsCles);
    const QColor CouleurFenetre = QApplication::palette(MC->cbCritMC).color(QPalette::Base);
    EXPECT_TRUE(MC->OperateurET());
    EXPECT_TRUE(MC->miOperateurET->isChecked());
    EXPECT_EQ(MC->cbCritMC->lineEdit()->palette().color(QPalette::Base), CouleurFenetre);

    EXPECT_EQ(MC->pmCBCritMC->defaultAction(), MC->miAfficherMC);
    MC->miOperateurOU->trigger();
    EXPECT_FALSE(MC->OperateurET());
    EXPECT_FALSE(MC->miOperateurET->isChecked());
    EXPECT_EQ(MC->cbCritMC->lineEdit()->palette().color(QPalette::Base), QColor(255, 255, 128));
    // The main menu's twin follows.
    const QList<QAction *> Menu = MC->ActionsMenu();
    ASSERT_EQ(Menu.size(), 4);
    EXPECT_TRUE(Menu[2]->isChecked());
    Menu[1]->trigger();
    EXPECT_TRUE(MC->OperateurET());
    EXPECT_TRUE(MC->miOperateurET->isChecked());
    EXPECT_EQ(MC->cbCritMC->lineEdit()->palette().color(QPalette::Base), CouleurFenetre);

    MC->miOperateurOU->trigger();
    Redemarre();
    EXPECT_TRUE(MC->OperateurET());
    EXPECT_TRUE(MC->miOperateurET->isChecked());
    EXPECT_EQ(MC->cbCritMC->lineEdit()->palette().color(QPalette::Base), CouleurFenetre);
}

TEST_F(MotsClesRechTest, SaveButtonFollowsTheModeAndTheTextAndAnEqualEntryIsSelected)
{
    Demarre(cAvecMotsCles);
    EXPECT_EQ(Liste(), QStringList({"CHAT*", "MER SOLEIL"}));
    EXPECT_FALSE(MC->btSvgCritMC->isEnabled());
    EXPECT_FALSE(MC->miEffacerMC->isEnabled());

    MC->cbCritMC->setEditText("  ");
    EXPECT_FALSE(MC->btSvgCritMC->isEnabled());
    MC->cbCritMC->setEditText("mer soleil");
    EXPECT_TRUE(MC->btSvgCritMC->isEnabled());
    EXPECT_EQ(MC->cbCritMC->currentIndex(), 1);
    EXPECT_TRUE(MC->miEffacerMC->isEnabled());

    Fenetre->Selection().MetModeMAJ(false);
    EXPECT_FALSE(MC->btSvgCritMC->isEnabled());
    Fenetre->Selection().MetModeMAJ(true);
    EXPECT_TRUE(MC->btSvgCritMC->isEnabled());

    MC->miEffacerMC->trigger();
    EXPECT_EQ(MC->Texte(), "");
    EXPECT_FALSE(MC->btSvgCritMC->isEnabled());
    EXPECT_FALSE(MC->miEffacerMC->isEnabled());
}

TEST_F(MotsClesRechTest, SavingTwiceKeepsOneEntryAndAFailureIsToldWithTheSetKept)
{
    Demarre(cAvecMotsCles);
    MC->cbCritMC->setEditText(" PLAGE MER ");
    MC->btSvgCritMC->click();
    MC->cbCritMC->setEditText("PLAGE MER");
    MC->btSvgCritMC->click();
    EXPECT_EQ(MC->Texte(), "PLAGE MER");
    EXPECT_EQ(Liste(), QStringList({"CHAT*", "MER SOLEIL", "PLAGE MER"}));
    EXPECT_EQ(MC->cbCritMC->currentIndex(), 2);
    TBigIniFile Relu(Contexte->iniSetup->FileName());
    QStringList Cles;
    Relu.ReadSection(cSectionMotsClesEnregistres, Cles);
    EXPECT_EQ(Cles, QStringList({"CHAT*", "MER SOLEIL", "PLAGE MER"}));
    EXPECT_TRUE(Messages->Montres.isEmpty());

    // The data folder has gone: the save is told and the set stays offered.
    ASSERT_TRUE(QDir().rename(Temp.filePath("donnees"), Temp.filePath("ailleurs")));
    MC->cbCritMC->setEditText("SOLEIL");
    MC->btSvgCritMC->click();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Erreur");
    EXPECT_EQ(
        Messages->Montres[0].cTexte,
        QString("Les mots-clés enregistrés n'ont pas pu être écrits dans « %1 ».").arg(Contexte->iniSetup->FileName()));
    EXPECT_TRUE(Liste().contains("SOLEIL"));
    ASSERT_TRUE(QDir().rename(Temp.filePath("ailleurs"), Temp.filePath("donnees")));
}
