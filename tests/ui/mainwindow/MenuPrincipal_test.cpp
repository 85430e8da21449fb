#include "mainwindow/MenuPrincipal.h"

#include "components/ComboZoom.h"
#include "components/ExpColPanel.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/ModeleListe.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <QAbstractButton>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace
{

QStringList Textes(const QMenu *Menu)
{
    QStringList l;
    for (const QAction *a : Menu->actions())
        if (a->isVisible())
            l << (a->isSeparator() ? (a->text().isEmpty() ? QStringLiteral("-") : "[" + a->text() + "]") : a->text());
    return l;
}

QAction *Entree(const QMenu *Menu, const QString &cTexte)
{
    for (QAction *a : Menu->actions())
        if (a->text() == cTexte)
            return a;
    return nullptr;
}

struct MenuPrincipalTest : TBancFenetrePrincipale<>
{
    TMenuPrincipalKX *Menu = nullptr;
    QTabWidget *pcExplRech = nullptr;
    TExplorationKX *Expl = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        EcritJpeg(cPhotos + "a.jpg", 40, 30, Qt::red);
        EcritJpeg(cPhotos + "b.jpg", 40, 30, Qt::blue);
        CreeFenetre();
        Menu = Fenetre->findChild<TMenuPrincipalKX *>();
        pcExplRech = Controle<QTabWidget>("pcExplRech");
        Expl = Fenetre->findChild<TExplorationKX *>();
        ASSERT_TRUE(Menu && pcExplRech && Expl);
    }
    void TearDown() override
    {
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    void Ouvre(QMenu *m) { emit m->aboutToShow(); }
    void Liste()
    {
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        ASSERT_TRUE(QTest::qWaitFor([this] { return Fenetre->Modele().rowCount() == 2; }, 10000));
    }
};

TEST_F(MenuPrincipalTest, MenusComeInOrderWithTheirEntries)
{
    QStringList Titres;
    for (QAction *a : Fenetre->menuBar()->actions())
        Titres << a->text();
    EXPECT_EQ(Titres, QStringList({"&Fichiers", "&Explorer", "&Affichage", "&Image", "&Outils", "Ai&de"}));
    Ouvre(Menu->miMainFic);
    EXPECT_EQ(Textes(Menu->miMainFic),
              QStringList({"&Sélectionner toutes les images", "&Désélectionner toutes les images", "-", "&Copier...",
                           "Su&pprimer...", "chan&ger la Date...", "&Renommer...", "-", "&Quitter"}));
    Ouvre(Menu->miMainERHCR);
    EXPECT_EQ(Textes(Menu->miMainERHCR),
              QStringList({"&Editer les critères de recherche", "-", "RAZ des critères &hiérarchiques",
                           "RAZ de &tous les critères", "[Mots-clés]", "&Afficher les Mots-clés", "O&pérateur ET",
                           "Opérateur &OU", "-", "Effa&cer les Mots-clés"}));
    Ouvre(Menu->miMainAff);
    EXPECT_EQ(Textes(Menu->miMainAff),
              QStringList({"onglet &Exploration", "onglet &Recherche", "onglet &Historique CDs", "-",
                           "Volet d'e&xploration", "Barre de &traitements", "Arbre de &critères", "Liste de &vignettes",
                           "&Barre d'état", "-", "Rapport de &Zoom"}));
    Ouvre(Menu->miMainOut);
    const QStringList Outils = Textes(Menu->miMainOut);
    EXPECT_EQ(Outils.first(), "&Appliquer les critères de recherche aux images sélectionnées...");
    EXPECT_EQ(Outils.mid(1, 4), QStringList({"-", "&Calendrier...", "&Exploration de la base de données...", "-"}));
    EXPECT_EQ(Outils.last(), "&Paramètres...");
    EXPECT_TRUE(Outils.contains("Album &WEB"));
    EXPECT_TRUE(Outils.contains("&Divers"));
    EXPECT_EQ(Textes(Menu->miMainAid),
              QStringList({"&Contextuelle", "-", "&Sommaire", "&Index", "&Accueil", "-", "A &propos..."}));
}

TEST_F(MenuPrincipalTest, EntriesAreThePopupsOwnActions)
{
    Liste();
    Fenetre->Modele().setData(Fenetre->Modele().index(0, 0), Qt::Checked, Qt::CheckStateRole);
    // "&Image" holds the very entries of the thumbnail pop-up, filled by its own handler.
    auto *pmVigs = Fenetre->findChild<QMenu *>("pmVigs");
    ASSERT_NE(pmVigs, nullptr);
    Ouvre(Menu->miMainImg);
    ASSERT_FALSE(Menu->miMainImg->actions().isEmpty());
    EXPECT_EQ(Menu->miMainImg->actions(), pmVigs->actions());
    // Opened twice, nothing doubles.
    Ouvre(Menu->miMainImg);
    EXPECT_EQ(Menu->miMainImg->actions(), pmVigs->actions());

    auto *pmOutilsDivers = Fenetre->findChild<QMenu *>("pmOutilsDivers");
    ASSERT_NE(pmOutilsDivers, nullptr);
    Ouvre(Menu->miMainOutDiv);
    EXPECT_FALSE(Menu->miMainOutDiv->actions().isEmpty());
    EXPECT_EQ(Menu->miMainOutDiv->actions(), pmOutilsDivers->actions());

    // "&Fichiers" takes the features' own actions, asked again at each opening.
    Ouvre(Menu->miMainFic);
    QAction *Copier = Entree(Menu->miMainFic, "&Copier...");
    ASSERT_NE(Copier, nullptr);
    EXPECT_EQ(Copier->objectName(), "miMainFicCopier");
    Ouvre(Menu->miMainFic);
    EXPECT_EQ(Menu->miMainFic->actions().count(Copier), 1);
}

TEST_F(MenuPrincipalTest, EntriesAreEnabledLikeTheirButtonsInEachState)
{
    // The bar buttons each menu repeats: the entry is the button's very action.
    const QList<QPair<QMenu *, QStringList>> Boutons = {
        {Menu->miMainFic,
         {"btCocheTtesImgs", "btDeCocheTtesImgs", "btCopieImg", "btSupprimeImg", "btDateImg", "btRenommeImg",
          "btQuitter"}},
        {Menu->miMainOut,
         {"btAppliqueCritRech", "btCalendrier", "btExploreBDD", "btAffAlbImg", "btSvgVigCour", "btSvgTtesVig",
          "btSvgImgCour", "btParametres"}},
    };
    int nVerifies = 0;
    const auto Verifie = [&](const char *cEtat) {
        SCOPED_TRACE(cEtat);
        for (const auto &[m, Noms] : Boutons) {
            Ouvre(m);
            for (const QString &cBouton : Noms) {
                auto *b = Controle<QAbstractButton>(cBouton.toUtf8().constData());
                ASSERT_NE(b, nullptr) << cBouton.toStdString();
                QAction *a = ActionDuBouton(b);
                ASSERT_NE(a, nullptr) << cBouton.toStdString();
                EXPECT_EQ(m->actions().count(a), 1) << cBouton.toStdString();
                EXPECT_TRUE(a->isVisible()) << cBouton.toStdString();
                EXPECT_EQ(a->isEnabled(), b->isEnabled()) << cBouton.toStdString();
                ++nVerifies;
            }
        }
        // The grid's pop-up, hence "&Image", holds the favourite button's own toggle.
        auto *btCDC = Controle<QAbstractButton>("btCDC");
        Ouvre(Menu->miMainImg);
        ASSERT_TRUE(btCDC && ActionDuBouton(btCDC));
        EXPECT_TRUE(Menu->miMainImg->actions().contains(ActionDuBouton(btCDC)));
        EXPECT_EQ(ActionDuBouton(btCDC)->isEnabled(), btCDC->isEnabled());
        EXPECT_EQ(ActionDuBouton(btCDC)->isChecked(), btCDC->isChecked());

        Ouvre(Menu->miMainERH);
        QAbstractButton *Explorer = pcExplRech->currentIndex() == 1
                                        ? Fenetre->findChild<QAbstractButton *>("btRechercher")
                                        : Fenetre->findChild<QAbstractButton *>(
                                            pcExplRech->currentIndex() == 0 ? "btExplExplorer" : "btHistoExplorer");
        ASSERT_NE(Explorer, nullptr);
        EXPECT_EQ(Menu->miMainERH->actions().first()->isEnabled(), Explorer->isEnabled());
    };
    // Which entries differ between the states: a rule left on a button alone would show here.
    QMap<QString, QSet<bool>> Vus;
    const auto Note = [&] {
        for (const auto &[m, Noms] : Boutons)
            for (const QString &cBouton : Noms)
                if (auto *b = Fenetre->findChild<QAbstractButton *>(cBouton))
                    Vus[cBouton] << b->isEnabled();
    };
    Verifie("sans lignes");
    Note();
    Liste();
    Verifie("avec lignes");
    Note();
    Fenetre->Modele().setData(Fenetre->Modele().index(1, 0), Qt::Checked, Qt::CheckStateRole);
    Verifie("avec une coche");
    Note();
    Fenetre->Selection().MetLigneCourante(0);
    Verifie("une image courante");
    Note();
    Contexte->Parametres.lModeMAJ = !Contexte->Parametres.lModeMAJ;
    Fenetre->ShowMode();
    Verifie("autre mode");
    Note();
    Contexte->Parametres.lModeMAJ = !Contexte->Parametres.lModeMAJ;
    Fenetre->ShowMode();
    Verifie("mode rétabli");
    for (int i : {1, 2, 0}) {
        pcExplRech->setCurrentIndex(i);
        Verifie(qPrintable(QString("page %1").arg(i)));
    }
    Fenetre->Modele().CocheSelon(false, [](const TEnrLV &, bool) { return true; });
    Verifie("coches retirées");
    EXPECT_GT(nVerifies, 0);
    // The states above do move the entries: checks, rows and the mode each change some.
    for (const char *c : {"btCocheTtesImgs", "btCopieImg", "btSvgTtesVig"})
        EXPECT_EQ(Vus.value(c).size(), 2) << c;
}

TEST_F(MenuPrincipalTest, AMenuEntryRunsItsButtonsHandlerOnce)
{
    Liste();
    // "&Sélectionner toutes les images" is the check button's action: it checks every row.
    Ouvre(Menu->miMainFic);
    auto *btCoche = Controle<QAbstractButton>("btCocheTtesImgs");
    ASSERT_NE(btCoche, nullptr);
    QSignalSpy Clics(btCoche, &QAbstractButton::clicked);
    QAction *Selectionner = Entree(Menu->miMainFic, "&Sélectionner toutes les images");
    ASSERT_EQ(Selectionner, ActionDuBouton(btCoche));
    Selectionner->trigger();
    EXPECT_EQ(Clics.size(), 1);
    EXPECT_EQ(Fenetre->Modele().nNbCoches(), 2);
    // The copy entry now enabled is the copy button's, with the menu's caption.
    Ouvre(Menu->miMainFic);
    QAction *Copier = Entree(Menu->miMainFic, "&Copier...");
    ASSERT_NE(Copier, nullptr);
    EXPECT_EQ(Copier, ActionDuBouton(Controle<QAbstractButton>("btCopieImg")));
    EXPECT_TRUE(Copier->isEnabled());
    EXPECT_EQ(Controle<QAbstractButton>("btCopieImg")->text(), "Copier");
}

TEST_F(MenuPrincipalTest, SearchPageRenamesTheMenuAndDisablesRecursion)
{
    pcExplRech->setCurrentIndex(1);
    Ouvre(Menu->miMainERH);
    EXPECT_EQ(Menu->miMainERH->title(), "&Rechercher");
    EXPECT_EQ(Menu->miMainERH->actions().first()->text(), "&Rechercher &maintenant");
    EXPECT_FALSE(Menu->miMainERHRecurs->isEnabled());
    EXPECT_TRUE(Menu->miMainERHCR->menuAction()->isEnabled());

    pcExplRech->setCurrentIndex(0);
    Ouvre(Menu->miMainERH);
    EXPECT_EQ(Menu->miMainERH->title(), "&Explorer");
    EXPECT_EQ(Menu->miMainERH->actions().first()->text(), "&Explorer &maintenant");
    EXPECT_TRUE(Menu->miMainERHRecurs->isEnabled());
    EXPECT_FALSE(Menu->miMainERHCR->menuAction()->isEnabled());
}

TEST_F(MenuPrincipalTest, RecursionSetsThePageButtonOnceAndRunsItsHandler)
{
    auto *Recurs = Fenetre->findChild<QPushButton *>("btExplLectRecurs");
    ASSERT_NE(Recurs, nullptr);
    ASSERT_FALSE(Recurs->isChecked());
    QSignalSpy Clics(Recurs, &QPushButton::clicked);
    Ouvre(Menu->miMainERH);
    EXPECT_FALSE(Menu->miMainERHRecurs->isChecked());
    Menu->miMainERHRecurs->trigger();
    EXPECT_TRUE(Recurs->isChecked());
    ASSERT_EQ(Clics.size(), 1);
    EXPECT_TRUE(Clics.at(0).at(0).toBool());
    Ouvre(Menu->miMainERH);
    EXPECT_TRUE(Menu->miMainERHRecurs->isChecked());
}

TEST_F(MenuPrincipalTest, QuitCaptionFollowsTheConfirmationSetting)
{
    Contexte->Parametres.lMsgConfQuitAppli = true;
    Ouvre(Menu->miMainFic);
    EXPECT_EQ(Menu->miMainFicQuitter->text(), "&Quitter...");
    Contexte->Parametres.lMsgConfQuitAppli = false;
    Ouvre(Menu->miMainFic);
    EXPECT_EQ(Menu->miMainFicQuitter->text(), "&Quitter");
    EXPECT_EQ(Menu->miMainFicQuitter->shortcut(), QKeySequence(Qt::ALT | Qt::Key_F4));
}

TEST_F(MenuPrincipalTest, DisplayMenuFollowsPagesAndPanes)
{
    auto *pnVigs = Controle<TExpColPanel>("pnVigs");
    auto *pnEtat = Controle<TExpColPanel>("pnEtat");
    Ouvre(Menu->miMainAff);
    QAction *Etat = Entree(Menu->miMainAff, "&Barre d'état");
    QAction *Arbre = Entree(Menu->miMainAff, "Arbre de &critères");
    ASSERT_TRUE(Etat && Arbre);
    EXPECT_TRUE(Etat->isChecked());
    QSignalSpy Replie(pnEtat, &TExpColPanel::_OnCollapsed);
    Etat->trigger();
    EXPECT_EQ(pnEtat->_PanelState(), psCollapsed);
    EXPECT_EQ(Replie.size(), 1);

    pnVigs->set_PanelState(psCollapsed);
    Ouvre(Menu->miMainAff);
    EXPECT_FALSE(Arbre->isEnabled());
    EXPECT_FALSE(Etat->isChecked());

    Entree(Menu->miMainAff, "onglet &Historique CDs")->trigger();
    EXPECT_EQ(pcExplRech->currentIndex(), 2);
    Ouvre(Menu->miMainAff);
    EXPECT_TRUE(Entree(Menu->miMainAff, "onglet &Historique CDs")->isChecked());
    EXPECT_FALSE(Entree(Menu->miMainAff, "onglet &Exploration")->isChecked());
}

TEST_F(MenuPrincipalTest, ZoomKeysStopAtTheEndsAndNeedCtrlAlone)
{
    TComboZoom *cbZoom = Fenetre->ListeZoom();
    cbZoom->setEnabled(true);
    MontreFenetre();
    Fenetre->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Fenetre.get()));
    cbZoom->setCurrentIndex(1); // "8:1"
    QTest::keyClick(Fenetre.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(cbZoom->currentIndex(), 1);
    cbZoom->setCurrentIndex(0); // "Ajusté"
    QTest::keyClick(Fenetre.get(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(cbZoom->currentIndex(), 0);
    cbZoom->setCurrentIndex(5);
    QTest::keyClick(Fenetre.get(), Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(cbZoom->currentIndex(), 5);
    QTest::keyClick(Fenetre.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(cbZoom->currentIndex(), 4);

    // "1:2" in the zoom report is index 7.
    Ouvre(Menu->miMainAffRZ);
    Entree(Menu->miMainAffRZ, "1:2")->trigger();
    EXPECT_EQ(cbZoom->currentIndex(), 7);
}

TEST_F(MenuPrincipalTest, NoShortcutTwiceInTheWindow)
{
    Liste();
    // Every menu opened once, so that every feature has handed over its actions.
    for (QMenu *m : Fenetre->findChildren<QMenu *>())
        emit m->aboutToShow();
    // Two actions on one key are ambiguous when one acts on the whole window, or when both act
    // on the same control.
    struct TRaccourci
    {
        QAction *a;
        QObject *Portee;
    };
    QMultiMap<QKeySequence, TRaccourci> Vus;
    for (QAction *a : Fenetre->findChildren<QAction *>()) {
        const bool lFenetre =
            a->shortcutContext() == Qt::WindowShortcut || a->shortcutContext() == Qt::ApplicationShortcut;
        const QList<QObject *> Associes = a->associatedObjects();
        QObject *Portee = lFenetre || Associes.isEmpty() ? nullptr : Associes.first();
        for (const QKeySequence &k : a->shortcuts()) {
            for (auto i = Vus.constFind(k); i != Vus.constEnd() && i.key() == k; ++i)
                EXPECT_TRUE(i->a == a || (Portee && i->Portee && Portee != i->Portee))
                    << k.toString().toStdString() << ": " << a->text().toStdString() << " / "
                    << i->a->text().toStdString();
            Vus.insert(k, {a, Portee});
        }
    }
    EXPECT_TRUE(Vus.contains(QKeySequence(Qt::Key_F1)));
    EXPECT_TRUE(Vus.contains(QKeySequence(Qt::ALT | Qt::Key_F4)));
    EXPECT_TRUE(Vus.contains(QKeySequence(Qt::CTRL | Qt::Key_PageUp)));
}

} // namespace
