#include "publishing/AlbumImages_fm.h"

#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

namespace
{

struct AlbumImagesFm : TBancFenetrePrincipale<>
{
    TExplorationKX *Expl = nullptr;
    TAlbumImagesKX *Album = nullptr;
    TfmAlbumImages *fm = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        ASSERT_TRUE(EcritJpeg(cPhotos + "a.jpg", 300, 200, Qt::red));
        ASSERT_TRUE(EcritJpeg(cPhotos + "b.jpg", 200, 300, Qt::green));
        ASSERT_TRUE(EcritJpeg(cPhotos + "c.jpg", 300, 200, Qt::blue));
        CreeFenetre();
        Expl = Fenetre->findChild<TExplorationKX *>();
        Album = Fenetre->findChild<TAlbumImagesKX *>();
        ASSERT_TRUE(Expl && Album);
        fm = Album->Fenetre();
        ASSERT_TRUE(fm);
        Fenetre->showNormal();
        Fenetre->resize(1000, 700);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        ASSERT_EQ(Fenetre->Modele().Nombre(), 3);
        Messages->Montres.clear();
    }
    void TearDown() override
    {
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    int Ligne(const QString &cNom) const
    {
        for (int i = 0; i < Fenetre->Modele().Nombre(); ++i)
            if (Fenetre->Modele().Enr(i).NomFichier() == cNom)
                return i;
        return -1;
    }
    QStringList Onglets() const
    {
        QStringList l;
        for (int i = 0; i < fm->pcImages->count(); ++i)
            l << fm->pcImages->tabText(i);
        return l;
    }
    QStringList Vignettes() const
    {
        QStringList l;
        for (int i = 0; i < fm->plvVigsAI->Nombre(); ++i)
            l << fm->plvVigsAI->Item(i)->cTitre();
        return l;
    }
};

} // namespace

TEST_F(AlbumImagesFm, PopupAddsTheCurrentCheckedOrEveryImageAndShowsThem)
{
    auto *bt = Controle<QPushButton>("btAffAlbImg");
    EXPECT_EQ(bt->toolTip(), "Afficher l'album d'images");
    EXPECT_FALSE(fm->isVisible());
    EXPECT_EQ(fm->windowTitle(), "Album d'images");

    Fenetre->Selection().MetLigneCourante(Ligne("b.jpg"));
    const QList<QAction *> Actions = Album->Actions(TEmplacementAction::PopupVignettes);
    ASSERT_EQ(Actions.size(), 1);
    EXPECT_EQ(Actions[0]->text(), "ajouter à l'&Album d'images :");
    ASSERT_EQ(Actions[0]->menu(), Album->miVigsAjtAlbImg);
    QStringList Textes;
    for (QAction *a : Album->miVigsAjtAlbImg->actions())
        Textes << a->text();
    EXPECT_EQ(Textes, (QStringList{"l'image &courante...", "les images &sélectionnées...", "&Toutes les images..."}));
    EXPECT_TRUE(Album->miVigsAjtAlbImgImgCour->isEnabled());
    EXPECT_FALSE(Album->miVigsAjtAlbImgImgSel->isEnabled());

    Album->miVigsAjtAlbImgImgCour->trigger();
    EXPECT_TRUE(fm->isVisible());
    EXPECT_EQ(Onglets(), QStringList{"b.jpg"});
    EXPECT_EQ(Vignettes(), QStringList{"b.jpg"});
    // The strip shows the grid's thumbnail; the page the full picture.
    EXPECT_FALSE(fm->plvVigsAI->Item(0)->Vignette().isNull());
    auto *Page = qobject_cast<TPanneauImage *>(fm->pcImages->widget(0));
    ASSERT_TRUE(Page);
    EXPECT_EQ(Page->Image().size(), QSize(200, 300));

    // A checked image on an absent CD is skipped, the one already there only activated.
    TModeleListeImages &Modele = Fenetre->Modele();
    TEnrLV &SurCD = Modele.Enr(Ligne("c.jpg"));
    SurCD.nNumCD = 77;
    SurCD.lExiste = false;
    Modele.MetCoche(Ligne("a.jpg"), true);
    Modele.MetCoche(Ligne("b.jpg"), true);
    Modele.MetCoche(Ligne("c.jpg"), true);
    Album->AjouterImages(TAlbumImagesKX::AjoutSelectionnees);
    EXPECT_EQ(Onglets(), (QStringList{"b.jpg", "a.jpg"}));
    EXPECT_EQ(fm->pcImages->currentIndex(), 0); // b.jpg, the last one met
    EXPECT_EQ(fm->plvVigsAI->IndexSelectionne(), 0);
    Fenetre->Selection().MetLigneCourante(Ligne("c.jpg"));
    Album->Actions(TEmplacementAction::PopupVignettes);
    EXPECT_FALSE(Album->miVigsAjtAlbImgImgCour->isEnabled());

    // Strip and tabs select each other.
    fm->plvVigsAI->Selectionne(fm->plvVigsAI->Item(1));
    EXPECT_EQ(fm->pcImages->currentIndex(), 1);
    fm->pcImages->setCurrentIndex(0);
    EXPECT_EQ(fm->plvVigsAI->IndexSelectionne(), 0);

    // Removing the current image asks first.
    Messages->Reponses = {false, true};
    fm->btSupprImgCour->click();
    EXPECT_EQ(Onglets().size(), 2);
    fm->btSupprImgCour->click();
    EXPECT_EQ(Onglets(), QStringList{"a.jpg"});
    EXPECT_EQ(Messages->Textes(), (QStringList{"Supprimer l'image courante ?", "Supprimer l'image courante ?"}));
}

TEST_F(AlbumImagesFm, SavingFollowsTheModeAndARestoredAlbumComesBack)
{
    Fenetre->Selection().MetModeMAJ(false);
    Album->AjouterImages(TAlbumImagesKX::AjoutToutes);
    ASSERT_EQ(Vignettes(), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    fm->cbAlbImg->setEditText(" Vacances ");
    EXPECT_FALSE(fm->btSvgAlbImg->isEnabled());
    Fenetre->Selection().MetModeMAJ(true);
    ASSERT_TRUE(fm->btSvgAlbImg->isEnabled());
    EXPECT_FALSE(fm->btRstAlbImg->isEnabled());

    fm->btSvgAlbImg->click();
    EXPECT_EQ(Messages->Textes(), QStringList{"3 image(s) sauvegardée(s)."});
    ASSERT_EQ(fm->cbAlbImg->count(), 1);
    EXPECT_EQ(fm->cbAlbImg->itemText(0), "Vacances");
    EXPECT_TRUE(fm->btRstAlbImg->isEnabled() && fm->btSupprAlbImg->isEnabled());
    EXPECT_TRUE(TBigIniFile(Contexte->iniSetup->FileName())
                    .ValueExists(QStringLiteral("SAUVEGARDE ALBUM IMAGES:Vacances"), cPhotos + "b.jpg"));

    Messages->Reponses = {true};
    fm->btSupprTtesImg->click();
    EXPECT_EQ(Messages->Textes().last(), "Supprimer les 3 image(s) ?");
    EXPECT_EQ(fm->pcImages->count(), 0);
    EXPECT_EQ(fm->plvVigsAI->Nombre(), 0);
    EXPECT_FALSE(fm->btSupprImgCour->isEnabled() || fm->btAlbumWEB->isEnabled() || fm->btSvgAlbImg->isEnabled());

    // Consultation mode still restores.
    Fenetre->Selection().MetModeMAJ(false);
    QFile::remove(cPhotos + "c.jpg");
    fm->btRstAlbImg->click();
    EXPECT_EQ(Onglets(), (QStringList{"a.jpg", "b.jpg"}));
    EXPECT_EQ(fm->pcImages->currentIndex(), 0);
    EXPECT_FALSE(fm->btSupprAlbImg->isEnabled());

    // Renaming a file renames its page and thumbnail.
    fm->Album().RenommeImage(0, cPhotos + "b.jpg", cPhotos + "plage.jpg");
    EXPECT_EQ(Onglets(), (QStringList{"a.jpg", "plage.jpg"}));
    EXPECT_EQ(Vignettes(), (QStringList{"a.jpg", "plage.jpg"}));

    Fenetre->Selection().MetModeMAJ(true);
    Messages->Reponses = {true};
    fm->btSupprAlbImg->click();
    EXPECT_EQ(Messages->Textes().last(), "Supprimer l'album d'images 'Vacances' ?");
    EXPECT_EQ(fm->cbAlbImg->count(), 0);
    EXPECT_EQ(fm->cbAlbImg->currentText(), "");
    EXPECT_FALSE(Contexte->iniSetup->SectionExists(QStringLiteral("SAUVEGARDE ALBUM IMAGES:Vacances")));
}

TEST_F(AlbumImagesFm, WindowKeepsItsMinimumAndShowsFromTheButton)
{
    Controle<QPushButton>("btAffAlbImg")->click();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fm));
    EXPECT_GE(fm->minimumWidth(), fm->plvVigsAI->minimumWidth() + 128);
    EXPECT_GE(fm->width(), fm->minimumWidth());
    fm->showMinimized();
    Controle<QPushButton>("btAffAlbImg")->click();
    EXPECT_FALSE(fm->isMinimized());
}
