#include "BancSuppressionFm.h"

#include "components/FolderTreeView.h"
#include "components/GaugeWindow.h"
#include "components/PaneledListView.h"
#include "publishing/Doublons_fm.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

namespace
{

using DoublonsFm = BancSuppressionFm;

TEnrImgSel Candidat(const QString &cChemin, qint64 nTaille = 1000)
{
    TEnrImgSel e;
    e.cChemin = cChemin;
    e.nTaille = nTaille;
    e.nDate = 1104534000; // 2005-01-01 00:00 in Paris
    e.cResol = QStringLiteral("64x48");
    return e;
}

// Clicks a row of a pair list at x pixels from its left edge.
void CliqueLigne(QTreeWidget *Liste, int nLigne, int x, Qt::KeyboardModifiers Touches = {})
{
    const QRect r = Liste->visualItemRect(Liste->topLevelItem(nLigne));
    QTest::mouseClick(Liste->viewport(), Qt::LeftButton, Touches, QPoint(x, r.center().y()));
}

} // namespace

TEST_F(DoublonsFm, PairsWindowShowsThreeCopiesInSyncedListsAndTicksOnlyInTheFirstPixels)
{
    const QString a = Jpeg("d/a.jpg", 100);
    const QString b = Copie(a, "d/sous/b.jpg");
    const QString c = Copie(a, "d/c.jpg");
    const QList<TEnrImgSel> Candidats{Candidat(a), Candidat(b), Candidat(c)};
    const QList<TPaireDoublons> Paires{{0, 1}, {0, 2}, {1, 2}};
    Liste(c);
    Liste(a);
    QStringList Images;
    TfmDoublons fm(Candidats, Paires, &Modele, true, {}, [&Images](const TEnrImgSel &e) {
        Images << e.NomFichier();
        QImage im(160, 120, QImage::Format_RGB32);
        im.fill(Qt::red);
        return im;
    });
    fm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fm));

    EXPECT_EQ(fm.windowTitle(), "3 image(s) en double");
    ASSERT_EQ(fm.lvDblImgs->topLevelItemCount(), 3);
    ASSERT_EQ(fm.lvDblImgsSimil->topLevelItemCount(), 3);
    EXPECT_EQ(fm.lvDblImgs->headerItem()->text(2), "Résol.");
    EXPECT_EQ(fm.lvDblImgsSimil->topLevelItem(0)->text(0), "b.jpg");
    EXPECT_EQ(fm.lvDblImgsSimil->topLevelItem(0)->text(1), cRacine + "/d/sous/");
    EXPECT_EQ(fm.lvDblImgs->topLevelItem(2)->text(0), "b.jpg");
    // The first row is selected in both lists, and both panes show its images.
    EXPECT_EQ(fm.lvDblImgs->currentIndex().row(), 0);
    EXPECT_EQ(fm.lvDblImgsSimil->currentIndex().row(), 0);
    EXPECT_EQ(Images, QStringList({"a.jpg", "b.jpg"}));
    EXPECT_TRUE(fm.plvDblImgs->Item(0)->AUneImage());
    EXPECT_EQ(fm.plvDblImgsSimil->Item(0)->cTitre(), "b.jpg");
    EXPECT_EQ(fm.plvDblImgs->_ItemDim(), 160);

    // A row chosen in the second list is chosen in the first.
    CliqueLigne(fm.lvDblImgsSimil, 2, 60);
    EXPECT_EQ(fm.lvDblImgs->currentIndex().row(), 2);
    EXPECT_EQ(fm.plvDblImgs->Item(0)->cTitre(), "b.jpg");
    EXPECT_EQ(fm.plvDblImgsSimil->Item(0)->cTitre(), "c.jpg");
    EXPECT_FALSE(fm.Coche(true, 2));

    // Only a plain click in the first 15 pixels ticks.
    CliqueLigne(fm.lvDblImgs, 0, 7, Qt::ControlModifier);
    EXPECT_FALSE(fm.Coche(false, 0));
    CliqueLigne(fm.lvDblImgs, 0, 7);
    CliqueLigne(fm.lvDblImgs, 1, 7);
    CliqueLigne(fm.lvDblImgs, 2, 7);
    CliqueLigne(fm.lvDblImgs, 2, 7);
    EXPECT_TRUE(fm.Coche(false, 0));
    EXPECT_TRUE(fm.Coche(false, 1));
    EXPECT_FALSE(fm.Coche(false, 2));
    EXPECT_FALSE(fm.Coche(true, 0));

    // A ticked twice in "Images": one record, pointing at its row of the main list.
    EXPECT_FALSE(fm.cbDefinitif->isChecked());
    fm.cbDefinitif->setChecked(true);
    const TChoixSuppression r = fm.Resultat();
    EXPECT_EQ(r.Images, (QList<TEnrImgASuppr>{TEnrImgASuppr{a, 1}}));
    EXPECT_TRUE(r.lDefinitif);
}

TEST_F(DoublonsFm, RowCellsGiveSizeAndDateTexts)
{
    TEnrImgSel e = Candidat("/x/y/z.jpg", 2048);
    const QStringList c = CellulesDoublon(e);
    ASSERT_EQ(c.size(), 5);
    EXPECT_EQ(c[0], "z.jpg");
    EXPECT_EQ(c[1], "/x/y/");
    EXPECT_EQ(c[3], "2,00 Ko");
    EXPECT_FALSE(c[4].isEmpty());
    e.nTaille = 0;
    e.nDate = 0;
    EXPECT_TRUE(CellulesDoublon(e)[3].isEmpty());
    EXPECT_TRUE(CellulesDoublon(e)[4].isEmpty());
}

TEST_F(DoublonsFm, OutsideUpdateModeThePairsWindowCannotDelete)
{
    const QList<TEnrImgSel> Candidats{Candidat("/x/a.jpg"), Candidat("/x/b.jpg")};
    const QList<TPaireDoublons> Paires{{0, 1}};
    TfmDoublons fm(Candidats, Paires, nullptr, false, {}, {});
    EXPECT_FALSE(fm.btOK->isEnabled());
    EXPECT_EQ(fm.btOK->text(), "Fermer et supprimer les images sélectionnées");
    TfmDoublons fmMAJ(Candidats, Paires, nullptr, true, {}, {});
    EXPECT_TRUE(fmMAJ.btOK->isEnabled());
}

TEST_F(DoublonsFm, ChoiceWindowCopiesTheListWithoutCDImagesOrOffersAFolder)
{
    Liste(Jpeg("l/a.jpg"));
    ListeCD("/photos/b.jpg");
    Liste(Jpeg("l/c.jpg"));
    const QString cDossier = cRacine + "/l";
    {
        TfmDoublonsChoixImg fm(&Modele, Contexte->Volumes.get(), cDossier);
        EXPECT_EQ(fm.windowTitle(), "Images en double : choix des images");
        EXPECT_TRUE(fm.rbListeImg->isEnabled());
        EXPECT_TRUE(fm.rbListeImg->isChecked());
        EXPECT_FALSE(fm.tvDblReps->isEnabled());
        EXPECT_FALSE(fm.btLectRecurs->isEnabled());
        ASSERT_NE(fm.lvDblListeImgs->model(), nullptr);
        EXPECT_EQ(fm.lvDblListeImgs->model()->rowCount(), 2);
        EXPECT_EQ(fm.lvDblListeImgs->model()->index(1, 0).data().toString(), "c.jpg");
        EXPECT_EQ(fm.lvDblListeImgs->selectionMode(), QAbstractItemView::NoSelection);
        EXPECT_TRUE(fm.Choix().lListeImages);

        fm.rbAutreEmplac->setChecked(true);
        EXPECT_TRUE(fm.tvDblReps->isEnabled());
        EXPECT_TRUE(fm.btLectRecurs->isEnabled());
        EXPECT_FALSE(fm.btLectRecurs->isChecked());
        EXPECT_EQ(fm.btLectRecurs->toolTip(), "Recherche en profondeur dans le dossier courant et ses sous-dossiers");
        EXPECT_EQ(fm.tvDblReps->DossierCourant(), cDossier + "/");
        fm.btLectRecurs->click();
        const TChoixDoublons c = fm.Choix();
        EXPECT_FALSE(c.lListeImages);
        EXPECT_EQ(c.cDossier, cDossier + "/");
        EXPECT_TRUE(c.lRecursif);
    }
    Modele.Vide();
    TfmDoublonsChoixImg fm(&Modele, Contexte->Volumes.get(), QString());
    EXPECT_FALSE(fm.rbListeImg->isEnabled());
    EXPECT_TRUE(fm.rbAutreEmplac->isChecked());
}

TEST_F(DoublonsFm, SearchingAFolderRecursivelyDeletesOnlyTheTickedCopy)
{
    const QString a = Jpeg("album/a.jpg", 100);
    const QString b = Copie(a, "album/2005/copie.jpg");
    const QString c = Copie(a, "album/2006/encore.jpg");
    Jpeg("album/autre.jpg", 200);
    Liste(b);
    QStringList Fenetres;
    Suppression->fnExecute = [&](QDialog &d) {
        Fenetres << d.windowTitle();
        if (auto *Choix = qobject_cast<TfmDoublonsChoixImg *>(&d)) {
            Choix->rbAutreEmplac->setChecked(true);
            Choix->tvDblReps->ChoisitDossier(cRacine + "/album");
            Choix->btLectRecurs->setChecked(true);
            return int(QDialog::Accepted);
        }
        auto *Paires = qobject_cast<TfmDoublons *>(&d);
        EXPECT_NE(Paires, nullptr);
        if (!Paires)
            return int(QDialog::Rejected);
        Paires->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Paires));
        EXPECT_TRUE(Paires->plvDblImgs->Item(0)->AUneImage());
        Capture("g27-doublons.png");
        EXPECT_FALSE(Paires->cbDefinitif->isChecked());
        // Every row showing the copy, in either list, is ticked.
        for (QTreeWidget *Liste : {Paires->lvDblImgs, Paires->lvDblImgsSimil})
            for (int i = 0; i < Liste->topLevelItemCount(); ++i)
                if (Liste->topLevelItem(i)->text(0) == "copie.jpg")
                    Paires->Bascule(Liste == Paires->lvDblImgsSimil, i);
        return int(QDialog::Accepted);
    };

    Suppression->miOutilsDiversRechercheDoublonsImgClick();

    EXPECT_EQ(Fenetres, QStringList({"Images en double : choix des images", "3 image(s) en double"}));
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_TRUE(QFileInfo::exists(c));
    EXPECT_EQ(DansCorbeille(), QStringList{"copie.jpg"});
    EXPECT_EQ(Operations->Appels, QStringList{"corbeille:" + b});
    // Its row in the main list went with it.
    EXPECT_EQ(Modele.Nombre(), 0);
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_FALSE(TGaugeWindow::TacheEnCours());
}

TEST_F(DoublonsFm, NoImageOrNoPairSaysSoAndConsultationModeDeletesNothing)
{
    QDir().mkpath(cRacine + "/vide");
    Suppression->fnExecute = [&](QDialog &d) {
        auto *Choix = qobject_cast<TfmDoublonsChoixImg *>(&d);
        if (!Choix)
            return int(QDialog::Rejected);
        Choix->rbAutreEmplac->setChecked(true);
        Choix->tvDblReps->ChoisitDossier(cRacine + "/vide");
        return int(QDialog::Accepted);
    };
    Suppression->miOutilsDiversRechercheDoublonsImgClick();
    EXPECT_EQ(Messages->Textes(), QStringList{"Aucune image à traiter."});

    // Consultation: even a window accepted with a tick leaves the files alone.
    const QString a = Jpeg("vide/a.jpg", 100);
    const QString b = Copie(a, "vide/b.jpg");
    Selection.MetModeMAJ(false);
    bool lBoutonActif = true;
    Suppression->fnExecute = [&](QDialog &d) {
        if (auto *Choix = qobject_cast<TfmDoublonsChoixImg *>(&d)) {
            Choix->rbAutreEmplac->setChecked(true);
            Choix->tvDblReps->ChoisitDossier(cRacine + "/vide");
            return int(QDialog::Accepted);
        }
        auto *Paires = qobject_cast<TfmDoublons *>(&d);
        lBoutonActif = Paires && Paires->btOK->isEnabled();
        if (Paires)
            Paires->Bascule(true, 0);
        return int(QDialog::Accepted);
    };
    Suppression->miOutilsDiversRechercheDoublonsImgClick();
    EXPECT_FALSE(lBoutonActif);
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_TRUE(QFileInfo::exists(b));
    EXPECT_TRUE(Operations->Appels.isEmpty());
}
