#include "calendar/PleinEcran_fm.h"

#include "components/ComboZoom.h"
#include "components/FolderTreeView.h"
#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "mainwindow/Parametres_fm.h"
#include "platform/MemoSonore.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace
{
struct PleinEcranTest : TBancFenetrePrincipale<>
{
    TExplorationKX *Expl = nullptr;
    TPleinEcranKX *PleinEcran = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        Jpeg(cPhotos + "a.jpg", 3000, 2000);
        Jpeg(cPhotos + "b.jpg", 300, 200);
        Jpeg(cPhotos + "c.jpg", 2400, 1600);
        CreeFenetre();
        Expl = Fenetre->findChild<TExplorationKX *>();
        PleinEcran = Fenetre->findChild<TPleinEcranKX *>();
        ASSERT_TRUE(Expl && PleinEcran);
        Fenetre->showNormal();
        Fenetre->resize(1000, 700);
        // The window's first folder is opened once it is active: before the test's own.
        Fenetre->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Fenetre.get()));
        QTest::qWait(50);
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        ASSERT_EQ(Fenetre->Selection().LigneCourante(), 0);
        Fenetre->ListeZoom()->setCurrentIndex(RapportZoom::nAjuste);
    }
    void TearDown() override
    {
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    static void Jpeg(const QString &c, int w, int h)
    {
        QImage im(w, h, QImage::Format_RGB32);
        im.fill(QColor(30, 140, 60));
        ASSERT_TRUE(JpegCodec::Encode(im, c));
    }
    std::unique_ptr<TfmPleinEcran> Ouvre()
    {
        auto fm = std::make_unique<TfmPleinEcran>(*Fenetre, *Contexte, QColor(Qt::black));
        fm->AfficherPleinEcran();
        fm->open();
        EXPECT_TRUE(fm->AttendImage());
        return fm;
    }
    QString Montree(TfmPleinEcran &fm)
    {
        EXPECT_TRUE(fm.AttendImage());
        return QFileInfo(fm.ImageCourante().cFichier).fileName();
    }
};
} // namespace

TEST_F(PleinEcranTest, ArrowsWrapRoundTheListAndNeighboursAreDecodedAhead)
{
    auto fm = Ouvre();
    EXPECT_EQ(Montree(*fm), QStringLiteral("a.jpg"));
    // The next one and, wrapping, the last one are decoded ahead.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fm->Avance().Occupe(); }, 20000));
    EXPECT_EQ(fm->Avance().Decodages().size(), 3);

    QTest::keyClick(fm.get(), Qt::Key_Left);
    EXPECT_EQ(Fenetre->Selection().LigneCourante(), 2);
    EXPECT_EQ(Montree(*fm), QStringLiteral("c.jpg"));
    QTest::keyClick(fm.get(), Qt::Key_Right);
    EXPECT_EQ(Fenetre->Selection().LigneCourante(), 0);
    EXPECT_EQ(Montree(*fm), QStringLiteral("a.jpg"));
    QTest::keyClick(fm.get(), Qt::Key_Right);
    EXPECT_EQ(Montree(*fm), QStringLiteral("b.jpg"));
    // Stepping back and forth needs no decode beyond the one new neighbour each time.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fm->Avance().Occupe(); }, 20000));
    EXPECT_EQ(fm->Avance().Decodages().size(), 3);
    // The buttons act as the keys.
    fm->findChild<QToolButton *>("btDern")->click();
    EXPECT_EQ(Montree(*fm), QStringLiteral("c.jpg"));
    fm->findChild<QToolButton *>("btSuiv")->click();
    EXPECT_EQ(Montree(*fm), QStringLiteral("a.jpg"));
}

TEST_F(PleinEcranTest, LargePictureFitsSmallOneIsCentredAndCannotBeDragged)
{
    auto fm = Ouvre();
    const QSize Ecran = fm->Ecran();
    ASSERT_LT(Ecran.width(), 3000);
    // The 3000 × 2000 picture fits the screen, decoded for it rather than from the pane.
    const PleinEcran::TDisposition Grand = fm->Disposition();
    EXPECT_TRUE(Grand.Taille.width() == Ecran.width() || Grand.Taille.height() == Ecran.height());
    EXPECT_EQ(fm->ImageCourante().Taille, QSize(3000, 2000));
    EXPECT_GE(fm->ImageCourante().Image.width(), Grand.Taille.width());
    auto *btCentrer = fm->findChild<QToolButton *>("btCentrer");
    EXPECT_FALSE(btCentrer->isEnabled());

    QTest::keyClick(fm.get(), Qt::Key_Right);
    EXPECT_EQ(Montree(*fm), QStringLiteral("b.jpg"));
    const PleinEcran::TDisposition Petit = fm->Disposition();
    EXPECT_EQ(Petit.Taille, QSize(300, 200));
    EXPECT_EQ(Petit.Position, QPoint((Ecran.width() - 300) / 2, (Ecran.height() - 200) / 2));
    EXPECT_FALSE(btCentrer->isEnabled());
    QWidget *Zone = fm->findChild<QWidget *>("sbPleinEcran");
    QTest::mousePress(Zone, Qt::LeftButton, {}, {400, 300});
    QTest::mouseMove(Zone, {200, 100});
    QTest::mouseRelease(Zone, Qt::LeftButton, {}, {200, 100});
    EXPECT_EQ(fm->Disposition().Position, Petit.Position);
}

TEST_F(PleinEcranTest, AtOneToOneThePictureIsDraggedAndPlacedFromThePositionPicture)
{
    Fenetre->ListeZoom()->setCurrentIndex(RapportZoom::nUnUn);
    auto fm = Ouvre();
    const QSize Ecran = fm->Ecran();
    EXPECT_EQ(fm->Disposition().Taille, QSize(3000, 2000));
    EXPECT_EQ(fm->Disposition().Position, QPoint(0, 0));
    EXPECT_TRUE(fm->findChild<QToolButton *>("btCentrer")->isEnabled());
    QWidget *Zone = fm->findChild<QWidget *>("sbPleinEcran");
    QTest::mousePress(Zone, Qt::LeftButton, {}, {400, 300});
    QTest::mouseMove(Zone, {300, 250});
    QTest::mouseRelease(Zone, Qt::LeftButton, {}, {300, 250});
    EXPECT_EQ(fm->Disposition().Position, QPoint(-100, -50));
    // A second drag goes on from there.
    QTest::mousePress(Zone, Qt::LeftButton, {}, {300, 300});
    QTest::mouseMove(Zone, {290, 300});
    QTest::mouseRelease(Zone, Qt::LeftButton, {}, {290, 300});
    EXPECT_EQ(fm->Disposition().Position, QPoint(-110, -50));
    fm->findChild<QToolButton *>("btCentrer")->click();
    EXPECT_EQ(fm->Disposition().Position, QPoint((Ecran.width() - 3000) / 2, (Ecran.height() - 2000) / 2));
}

TEST_F(PleinEcranTest, EscapeRightClickAndQuitClose)
{
    auto fm = Ouvre();
    QTest::keyClick(fm.get(), Qt::Key_Escape);
    EXPECT_FALSE(fm->isVisible());
    fm = Ouvre();
    QTest::mouseClick(fm->findChild<QWidget *>("sbPleinEcran"), Qt::RightButton, {}, {50, 50});
    EXPECT_FALSE(fm->isVisible());
    fm = Ouvre();
    fm->findChild<QToolButton *>("btQuitter")->click();
    EXPECT_FALSE(fm->isVisible());
    // Other keys do nothing.
    fm = Ouvre();
    QTest::keyClick(fm.get(), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_TRUE(fm->isVisible());
    EXPECT_EQ(Fenetre->Selection().LigneCourante(), 0);
}

TEST_F(PleinEcranTest, ToolBarFoldsAndPanelsMove)
{
    auto fm = Ouvre();
    auto *pnCommandes = fm->findChild<QWidget *>("pnCommandes");
    auto *btAfficheMasque = fm->findChild<QToolButton *>("btAfficheMasque");
    EXPECT_TRUE(btAfficheMasque->isChecked());
    EXPECT_EQ(pnCommandes->width(), 420);
    btAfficheMasque->click();
    EXPECT_EQ(pnCommandes->width(), 140);
    EXPECT_EQ(fm->findChild<QToolButton *>("btQuitter")->x(), 120);
    auto *pnImgPosit = fm->findChild<QWidget *>("pnImgPosit");
    EXPECT_EQ(pnImgPosit->x(), 0);
    fm->findChild<QToolButton *>("btCriteres")->click();
    EXPECT_TRUE(fm->findChild<QWidget *>("pnCriteres")->isVisible());
    EXPECT_EQ(pnImgPosit->x(), 240);
    // Without a sound memo the button stays disabled.
    EXPECT_FALSE(fm->findChild<QToolButton *>("btMemoSonore")->isEnabled());
}

TEST_F(PleinEcranTest, PopupOrderDefaultEntryAndShortcutsThatLeaveTextFieldsAlone)
{
    QMenu Menu;
    const int n = RemplitPmVigs(&Menu, Fenetre->Fonctionnalites().Actions(TEmplacementAction::PopupVignettes), false);
    ASSERT_GT(n, 5);
    QStringList Noms;
    for (QAction *a : Menu.actions())
        if (!a->isSeparator())
            Noms.append(a->menu() ? a->menu()->objectName() : a->objectName());
    EXPECT_EQ(Noms.first(), QStringLiteral("miVigsEditCritImg"));
    EXPECT_EQ(Noms[1], QStringLiteral("miPleinEcran"));
    EXPECT_LT(Noms.indexOf("miMirVertical"), Noms.indexOf("miCDC"));
    EXPECT_LT(Noms.indexOf("miCDC"), Noms.indexOf("miExplorer"));
    EXPECT_EQ(Noms.last(), QStringLiteral("miVigsVigsEnreg"));
    EXPECT_EQ(Menu.defaultAction()->objectName(), QStringLiteral("miVigsEditCritImg"));
    QMenu Panneau;
    RemplitPmVigs(&Panneau, Fenetre->Fonctionnalites().Actions(TEmplacementAction::PopupVignettes), true);
    EXPECT_EQ(Panneau.defaultAction()->objectName(), QStringLiteral("miPleinEcran"));
    // The folder's name goes in the caption.
    const QAction *Explorer = Fenetre->findChild<QAction *>("miExplorer");
    EXPECT_EQ(Explorer->text(), QStringLiteral("Ex&plorer '%1'").arg(cPhotos));
    EXPECT_TRUE(Explorer->isEnabled());

    // Ctrl+V pastes in a text field of the window.
    Fenetre->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Fenetre.get()));
    auto *Champ = new QLineEdit(Fenetre->PageExploration());
    Champ->show();
    Champ->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("collé"));
    QTest::keyClick(Champ, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Champ->text(), QStringLiteral("collé"));
}

TEST_F(PleinEcranTest, OpeningProgramGetsThePathAsOneArgumentAndAFailedStartIsReported)
{
    // The programs are looked up once per type for the run: the ones found so far go.
    TProgrammesOuverture &Programmes = PleinEcran->Programmes();
    Programmes = TProgrammesOuverture();
    Programmes.fnDefaut = [](const QString &) { return QStringLiteral("visionneuse.desktop"); };
    Programmes.fnEntree = [](const QString &) {
        return QStringLiteral("[Desktop Entry]\nName=Viewer\nName[fr]=Visionneuse\nExec=visio --seul %f\n");
    };
    QStringList Lance;
    bool lReussit = true;
    PleinEcran->fnDemarre = [&](const QString &cProgramme, const QStringList &Arguments) {
        Lance = QStringList{cProgramme} + Arguments;
        return lReussit;
    };
    Fenetre->Selection().MetLigneCourante(1);
    Fenetre->Fonctionnalites().Actions(TEmplacementAction::PopupVignettes);
    QAction *Ouvrir = Fenetre->findChild<QAction *>("miOuvrirAvec");
    ASSERT_TRUE(Ouvrir->isVisible());
    EXPECT_EQ(Ouvrir->text(), QStringLiteral("&Ouvrir avec 'Visionneuse'"));
    Messages->Montres.clear();
    Ouvrir->trigger();
    EXPECT_EQ(Lance, QStringList({"visio", "--seul", cPhotos + "b.jpg"}));
    EXPECT_TRUE(Messages->Montres.isEmpty());
    lReussit = false;
    Ouvrir->trigger();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, QStringLiteral("Erreur"));
    EXPECT_TRUE(Messages->Montres[0].cTexte.contains(QStringLiteral("Visionneuse")));
}

TEST_F(PleinEcranTest, TreesRegisteredAnyTimeAreFollowedByEachFloatingWindowUntilDestroyed)
{
    Contexte->Parametres.vfGene_lActive = false;
    PleinEcran->MajVignetteFlottante();
    ASSERT_EQ(PleinEcran->VignetteFlottante(), nullptr);
    // A window registers its tree while the floating thumbnail is off.
    auto Arbre = std::make_unique<QTreeWidget>();
    Arbre->setHeaderHidden(true);
    Arbre->resize(300, 300);
    auto *Noeud = new QTreeWidgetItem(Arbre.get(), {QStringLiteral("photos")});
    Arbre->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Arbre.get()));
    const QString cDossier = cPhotos;
    PleinEcran->SuivreArbre(Arbre.get(), 2, [cDossier](const QTreeWidgetItem *) {
        TNoeudVF n;
        n.lValide = true;
        n.cIdentite = cDossier;
        n.fnListe = [cDossier] {
            return VignetteFlottante::ListeDossier(cDossier, false, false, [](const QString &) { return QString(); });
        };
        return n;
    });
    const int nSuivis = int(PleinEcran->ArbresSuivis().size());
    EXPECT_TRUE(PleinEcran->ArbresSuivis().contains(Expl->tvReps));

    Contexte->Parametres.vfGene_lActive = true;
    Contexte->Parametres.vfGene_nQuelleImg = 0;
    Contexte->Parametres.vfGene_nMaxLH = 4000;
    for (int nFois = 0; nFois < 2; ++nFois) {
        PleinEcran->MajVignetteFlottante();
        TfmVignetteFlottante *vf = PleinEcran->VignetteFlottante();
        ASSERT_NE(vf, nullptr);
        EXPECT_TRUE(vf->Suit(Expl->tvReps));
        EXPECT_EQ(vf->Enr(Arbre.get()).nTypeArbre, 2);
        const QRect r = Arbre->visualItemRect(Noeud);
        vf->SuivreSouris(Arbre.get(), {r.left() + 6, r.center().y()});
        ASSERT_TRUE(vf->AttendChargement());
        EXPECT_TRUE(vf->isVisible());
        EXPECT_EQ(vf->TexteNombre(), QStringLiteral("1°/3 Image(s)"));
        // Off and on again: the new window follows the same trees.
        Contexte->Parametres.vfGene_lActive = false;
        PleinEcran->MajVignetteFlottante();
        EXPECT_EQ(PleinEcran->VignetteFlottante(), nullptr);
        Contexte->Parametres.vfGene_lActive = true;
    }

    // A destroyed tree is forgotten, by the registrations and by the window that follows it.
    PleinEcran->MajVignetteFlottante();
    Arbre.reset();
    EXPECT_EQ(PleinEcran->ArbresSuivis().size(), nSuivis - 1);
    Contexte->Parametres.vfGene_lActive = false;
    PleinEcran->MajVignetteFlottante();
    Contexte->Parametres.vfGene_lActive = true;
    PleinEcran->MajVignetteFlottante();
    EXPECT_TRUE(PleinEcran->VignetteFlottante()->Suit(Expl->tvReps));
}

TEST_F(PleinEcranTest, FolderTreeOfAnotherWindowShowsTheImagesOfItsFolder)
{
    Contexte->Parametres.vfGene_lActive = true;
    Contexte->Parametres.vfGene_nQuelleImg = 1;
    Contexte->Parametres.vfGene_nMaxLH = 4000;
    PleinEcran->MajVignetteFlottante();
    auto fm = std::make_unique<TfmParametres>(*Contexte, Fenetre.get());
    auto *tv = fm->findChild<TFolderTreeView *>("tvEmplDon");
    ASSERT_NE(tv, nullptr);
    const qsizetype nSuivis = PleinEcran->ArbresSuivis().size();
    TfmVignetteFlottante *vf = PleinEcran->VignetteFlottante();
    EXPECT_TRUE(vf->Suit(tv));
    tv->set_FixedDisksOnly(false);
    tv->Remplit();
    tv->ChoisitDossier(cPhotos);
    fm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fm.get()));
    QTreeWidgetItem *Noeud = tv->currentItem();
    ASSERT_NE(Noeud, nullptr);
    tv->scrollToItem(Noeud);
    const QRect r = tv->visualItemRect(Noeud);
    // Past the icon, on the folder's name.
    vf->SuivreSouris(tv, {r.left() + 30, r.center().y()});
    ASSERT_TRUE(vf->AttendChargement());
    EXPECT_TRUE(vf->isVisible());
    EXPECT_EQ(vf->TexteNombre(), QStringLiteral("3°/3 Image(s)"));
    EXPECT_EQ(vf->TexteNom(), QStringLiteral("c.jpg"));
    // The window gone, its tree is no longer followed.
    fm.reset();
    EXPECT_EQ(PleinEcran->ArbresSuivis().size(), nSuivis - 1);
}

TEST_F(PleinEcranTest, TheMemoOfTheImageLeftStopsButNotARefreshOfTheSameImage)
{
    QFile Wav(cPhotos + "a.WAV");
    ASSERT_TRUE(Wav.open(QIODevice::WriteOnly));
    Wav.close();
    TMemoSonoreFactice Memo;
    auto fm = std::make_unique<TfmPleinEcran>(*Fenetre, *Contexte, QColor(Qt::black));
    fm->fnMemoSonore = [&](const QString &c) { Memo.Joue(c); };
    fm->fnArreteMemo = [&] { Memo.Arrete(); };
    fm->AfficherPleinEcran();
    fm->open();
    ASSERT_EQ(Montree(*fm), QStringLiteral("a.jpg"));
    auto *btMemoSonore = fm->findChild<QToolButton *>("btMemoSonore");
    ASSERT_TRUE(btMemoSonore->isEnabled());
    btMemoSonore->click();
    EXPECT_EQ(Memo.cJoue, cPhotos + "a.WAV");
    // The tools refreshed for the same image: the memo goes on.
    fm->MajOutils();
    EXPECT_TRUE(Memo.EnCours());
    QTest::keyClick(fm.get(), Qt::Key_Right);
    EXPECT_EQ(Montree(*fm), QStringLiteral("b.jpg"));
    EXPECT_FALSE(Memo.EnCours());
    EXPECT_EQ(Memo.nArrets, 1);
    EXPECT_FALSE(btMemoSonore->isEnabled());
}

TEST_F(PleinEcranTest, EachStepIsDecodedOnceForTheViewAndTheHiddenPane)
{
    auto *Affiche = Fenetre->findChild<TAfficheImageKX *>();
    ASSERT_NE(Affiche, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Affiche->Chargeur().Occupe() && Affiche->ImageLue(); }, 20000));
    const qsizetype nAvant = Affiche->Chargeur().Decodages().size();
    auto fm = Ouvre();
    QTest::keyClick(fm.get(), Qt::Key_Right);
    EXPECT_EQ(Montree(*fm), QStringLiteral("b.jpg"));
    QTest::keyClick(fm.get(), Qt::Key_Right);
    EXPECT_EQ(Montree(*fm), QStringLiteral("c.jpg"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fm->Avance().Occupe(); }, 20000));
    // The pane's loader did nothing: the pane holds the view's picture.
    EXPECT_EQ(Affiche->Chargeur().Decodages().size(), nAvant);
    EXPECT_EQ(Fenetre->PanneauImage()->Image().cacheKey(), fm->ImageCourante().Image.cacheKey());
    EXPECT_TRUE(Affiche->ImageLue());
    EXPECT_EQ(Affiche->TailleImage(), QSize(2400, 1600));

    // Closed, the pane shows the current image from its own decode.
    QTest::keyClick(fm.get(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Affiche->Chargeur().Occupe() && Affiche->ImageLue(); }, 20000));
    const auto Decodages = Affiche->Chargeur().Decodages();
    ASSERT_EQ(Decodages.size(), nAvant + 1);
    EXPECT_EQ(Decodages.last().cFichier, cPhotos + "c.jpg");
    EXPECT_NE(Fenetre->PanneauImage()->Image().cacheKey(), fm->ImageCourante().Image.cacheKey());
}

TEST_F(PleinEcranTest, HeldKeyShowsTheImageReachedAndTheToolsFollowWhenItPauses)
{
    auto fm = std::make_unique<TfmPleinEcran>(*Fenetre, *Contexte, QColor(Qt::black));
    fm->fnBulle = [](const TEnrLV &e) { return QFileInfo(e.CheminComplet()).fileName(); };
    fm->AfficherPleinEcran();
    fm->open();
    ASSERT_EQ(Montree(*fm), QStringLiteral("a.jpg"));
    auto *stCriteres = fm->findChild<QLabel *>("stCriteres");
    ASSERT_NE(stCriteres, nullptr);
    EXPECT_EQ(stCriteres->text(), QStringLiteral("a.jpg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fm->Avance().Occupe(); }, 20000));
    // Four repeats of a held Right key, each well after the step before: a, b, c, a, b.
    for (int i = 1; i <= 4; ++i) {
        QKeyEvent Repetition(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        Repetition.setTimestamp(ulong(10000 + 1000 * i));
        QApplication::sendEvent(fm.get(), &Repetition);
    }
    EXPECT_EQ(Fenetre->Selection().LigneCourante(), 1);
    // The picture follows at once; the tools once the key pauses.
    EXPECT_EQ(Montree(*fm), QStringLiteral("b.jpg"));
    EXPECT_EQ(stCriteres->text(), QStringLiteral("a.jpg"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return stCriteres->text() == QStringLiteral("b.jpg"); }, 5000));
    // A plain press refreshes them at once.
    QTest::keyClick(fm.get(), Qt::Key_Right);
    EXPECT_EQ(stCriteres->text(), QStringLiteral("c.jpg"));
    EXPECT_EQ(Montree(*fm), QStringLiteral("c.jpg"));
}
