#include "exploration/AfficheImage_fm.h"

#include "components/ComboZoom.h"
#include "components/PanneauImage.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace
{
struct AfficheImageTest : TBancFenetrePrincipale<>
{
    TExplorationKX *Expl = nullptr;
    TListeImagesKX *Liste = nullptr;
    TAfficheImageKX *Affiche = nullptr;
    TComboZoom *cbZoom = nullptr;
    TPanneauImage *sbImage = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        Jpeg(cPhotos + "a.jpg", 3000, 2000);
        Jpeg(cPhotos + "b.jpg", 300, 200);
        QFile f(cPhotos + "c.jpg");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xFF\xD8\xFF\xE0 abîmé");
        f.close();

        CreeFenetre();
        Expl = Fenetre->findChild<TExplorationKX *>();
        Liste = Fenetre->findChild<TListeImagesKX *>();
        Affiche = Fenetre->findChild<TAfficheImageKX *>();
        ASSERT_TRUE(Expl && Liste && Affiche);
        cbZoom = Fenetre->ListeZoom();
        sbImage = Fenetre->PanneauImage();
        Fenetre->showNormal();
        Fenetre->resize(1000, 700);
        Fenetre->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Fenetre.get()));
        Messages->Montres.clear();
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
    // The decodes asked for so far have arrived.
    void Attend()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !Affiche->Chargeur().Occupe(); }, 20000));
        QTest::qWait(30);
    }
    int NbDecodages(const QString &cNom)
    {
        int n = 0;
        for (const auto &t : Affiche->Chargeur().Decodages())
            n += t.cFichier.endsWith(cNom) && !t.lAvance ? 1 : 0;
        return n;
    }
    void Touche(QWidget *w, Qt::Key nTouche, Qt::KeyboardModifiers m = Qt::ControlModifier)
    {
        QTest::keyClick(w, nTouche, m);
    }
};
} // namespace

TEST_F(AfficheImageTest, TheCurrentEntryIsShownAtTheZoomAndFittedToThePane)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Attend();
    ASSERT_TRUE(Affiche->ImageLue());
    EXPECT_TRUE(cbZoom->isEnabled());
    EXPECT_EQ(cbZoom->currentIndex(), RapportZoom::nUnUn); // the start-up zoom
    EXPECT_EQ(sbImage->TailleAffichee(), QSize(3000, 2000));
    EXPECT_EQ(Fenetre->windowTitle(), QString("%1 [3000x2000] (1/3)").arg(cPhotos + "a.jpg"));
    EXPECT_EQ(sbImage->toolTip(), cPhotos + "a.jpg");

    cbZoom->setCurrentIndex(RapportZoom::nAjuste);
    const QSize Place = sbImage->TailleDisponible();
    const RapportZoom::TAffichage A = RapportZoom::Ajuste(3000, 2000, Place.width(), Place.height());
    EXPECT_EQ(sbImage->TailleAffichee(), A.Taille);
    EXPECT_EQ(cbZoom->toolTip(), A.cBulle);
    // The pane grows: the picture is fitted again.
    Fenetre->resize(1200, 800);
    QTest::qWait(30);
    const QSize Place2 = sbImage->TailleDisponible();
    ASSERT_NE(Place2, Place);
    EXPECT_EQ(sbImage->TailleAffichee(), RapportZoom::Ajuste(3000, 2000, Place2.width(), Place2.height()).Taille);
    cbZoom->setCurrentIndex(8);
    EXPECT_EQ(sbImage->TailleAffichee(), QSize(1000, 666));
    EXPECT_EQ(cbZoom->toolTip(), QString("Rapport de Zoom : ajusté à la fenêtre ou de 8:1 à 1:8"));
}

TEST_F(AfficheImageTest, ZoomKeysStepTheListAndNeverSwitchTabs)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Attend();
    auto *Onglets = Fenetre->findChild<QTabWidget *>("pcExplRech");
    ASSERT_NE(Onglets, nullptr);
    Onglets->tabBar()->setFocus();
    const int nOnglet = Onglets->currentIndex();

    cbZoom->setCurrentIndex(RapportZoom::nAjuste);
    Touche(Onglets->tabBar(), Qt::Key_PageDown);
    EXPECT_EQ(cbZoom->currentIndex(), RapportZoom::nAjuste);
    cbZoom->setCurrentIndex(1);
    Touche(Onglets->tabBar(), Qt::Key_PageUp);
    EXPECT_EQ(cbZoom->currentIndex(), 1);
    Touche(Onglets->tabBar(), Qt::Key_PageDown);
    EXPECT_EQ(cbZoom->currentIndex(), 2);
    Touche(Fenetre->VueListe(), Qt::Key_End);
    EXPECT_EQ(cbZoom->currentIndex(), RapportZoom::nAjuste);
    Touche(Fenetre->VueListe(), Qt::Key_Home);
    EXPECT_EQ(cbZoom->currentIndex(), RapportZoom::nUnUn);
    // Not a zoom key with Shift as well.
    Touche(Onglets->tabBar(), Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(cbZoom->currentIndex(), RapportZoom::nUnUn);

    // Disabled, the list stays, and the keys still reach neither the tabs nor the list.
    const int nLigne = Liste->LigneCourante();
    cbZoom->setEnabled(false);
    for (Qt::Key k : {Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_End}) {
        Touche(Onglets->tabBar(), k);
        Touche(Fenetre->VueListe(), k);
    }
    EXPECT_EQ(cbZoom->currentIndex(), RapportZoom::nUnUn);
    EXPECT_EQ(Onglets->currentIndex(), nOnglet);
    EXPECT_EQ(Liste->LigneCourante(), nLigne);
}

TEST_F(AfficheImageTest, TheZoomMenuChecksTheCurrentEntryAndSetsTheList)
{
    auto *Menu = Fenetre->findChild<QMenu *>("miMainAffRZ");
    ASSERT_NE(Menu, nullptr);
    auto *MenuAffichage = Fenetre->findChild<QMenu *>("miMainAff");
    ASSERT_NE(MenuAffichage, nullptr);
    EXPECT_EQ(MenuAffichage->title(), QString("&Affichage"));
    QStringList cTextes;
    for (QAction *a : Menu->actions())
        cTextes << (a->isSeparator() ? QString("-") : a->text());
    EXPECT_EQ(cTextes, QStringList({"Ajusté", "8:1", "6:1", "4:1", "3:1", "2:1", "-", "1:1", "-", "1:2", "1:3", "1:4",
                                    "1:6", "1:8"}));
    cbZoom->setCurrentIndex(4);
    emit Menu->aboutToShow();
    EXPECT_TRUE(Menu->actions().at(4)->isChecked());
    Menu->actions().at(9)->trigger(); // "1:2"
    EXPECT_EQ(cbZoom->currentIndex(), 7);
}

TEST_F(AfficheImageTest, WithoutKeepingTheZoomTheNextImageComesAtOneToOne)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Attend();
    Contexte->Parametres.lConsRapZoom = false;
    cbZoom->setCurrentIndex(7); // "1:2"
    EXPECT_EQ(sbImage->TailleAffichee(), QSize(1500, 1000));
    Liste->SelectionneLigne(1);
    Attend();
    EXPECT_EQ(cbZoom->currentIndex(), RapportZoom::nUnUn);
    EXPECT_EQ(sbImage->TailleAffichee(), QSize(300, 200));

    // Kept, the zoom follows to the next image.
    Contexte->Parametres.lConsRapZoom = true;
    cbZoom->setCurrentIndex(7);
    Liste->SelectionneLigne(0);
    Attend();
    EXPECT_EQ(cbZoom->currentIndex(), 7);
    EXPECT_EQ(sbImage->TailleAffichee(), QSize(1500, 1000));
}

TEST_F(AfficheImageTest, FitDecodesReducedOneToOneFullyAndBackToFitNothing)
{
    cbZoom->setCurrentIndex(RapportZoom::nAjuste);
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Attend();
    const QList<TChargeurImage::TTrace> Traces = Affiche->Chargeur().Decodages();
    ASSERT_FALSE(Traces.isEmpty());
    EXPECT_GT(Traces.first().nEchelle, 1);
    EXPECT_EQ(NbDecodages("a.jpg"), 1);
    cbZoom->setCurrentIndex(RapportZoom::nUnUn);
    Attend();
    EXPECT_EQ(Affiche->Chargeur().Decodages().last().nEchelle, 1);
    EXPECT_EQ(sbImage->Image().size(), QSize(3000, 2000));
    EXPECT_EQ(NbDecodages("a.jpg"), 2);
    cbZoom->setCurrentIndex(RapportZoom::nAjuste);
    Attend();
    EXPECT_EQ(NbDecodages("a.jpg"), 2);
}

TEST_F(AfficheImageTest, UnreadableFilesAndAbsentCdsShowTheirPlaceholders)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Attend();
    ASSERT_EQ(Liste->Modele().Nombre(), 3);
    Liste->SelectionneLigne(2); // the damaged file
    Attend();
    EXPECT_EQ(sbImage->Image(), ImageErreur(200));
    EXPECT_FALSE(cbZoom->isEnabled());
    EXPECT_FALSE(Affiche->ImageLue());

    // A file that vanished after the listing.
    Liste->SelectionneLigne(1);
    Attend();
    EXPECT_TRUE(cbZoom->isEnabled());
    ASSERT_TRUE(QFile::remove(cPhotos + "a.jpg"));
    Affiche->Chargeur().Oublie(cPhotos + "a.jpg");
    Liste->SelectionneLigne(0);
    Attend();
    EXPECT_EQ(sbImage->Image(), ImageErreur(200));
    EXPECT_FALSE(cbZoom->isEnabled());

    // An image whose CD is not in a drive: its identifier and label.
    TEnrLV &e = Liste->Modele().Enr(1);
    e.nNumCD = 0x12340005;
    e.cLecteur.clear();
    Contexte->iniSetup->WriteString(cSectionLabelsCD, IdVolume(0x12340005), "Vacances");
    Affiche->AfficheImage(1);
    EXPECT_EQ(sbImage->Image(), ImageNonTrouvee(200, "1234-5", "Vacances"));
    EXPECT_FALSE(cbZoom->isEnabled());
    EXPECT_TRUE(Messages->Montres.isEmpty());
}

TEST_F(AfficheImageTest, TheZoomIsSavedAtExitOnlyWhenAsked)
{
    Contexte->Parametres.lSauveRapZoom = true;
    cbZoom->setCurrentIndex(9);
    Fenetre->FermeSansQuestion();
    EXPECT_EQ(Contexte->Parametres.nRapZoom, 9);
}

TEST_F(AfficheImageTest, DoubleClickOpensFullScreenOnAReadPictureAndRightClickTheGridMenu)
{
    int nPleinEcran = 0;
    QSize TaillePleinEcran;
    Affiche->fnPleinEcran = [&](const QImage &Image, const QColor &) {
        ++nPleinEcran;
        TaillePleinEcran = Image.size();
    };
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Attend();
    QWidget *Vue = sbImage->viewport();
    QTest::mouseDClick(Vue, Qt::LeftButton, {}, Vue->rect().center());
    EXPECT_EQ(nPleinEcran, 1);
    EXPECT_EQ(TaillePleinEcran, sbImage->Image().size());
    EXPECT_FALSE(sbImage->Glissement().EnCours());

    // Not on a placeholder.
    Liste->SelectionneLigne(2);
    Attend();
    QTest::mouseDClick(Vue, Qt::LeftButton, {}, Vue->rect().center());
    EXPECT_EQ(nPleinEcran, 1);

    QTest::mouseClick(Vue, Qt::RightButton, {}, Vue->rect().center());
    EXPECT_TRUE(Liste->pmVigs->isVisible());
    Liste->pmVigs->hide();
}
