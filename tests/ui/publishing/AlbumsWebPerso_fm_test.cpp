#include "publishing/AlbumsWebPerso_fm.h"

#include "components/PaneledListView.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "imaging/NomVignette.h"
#include "publishing/AlbumWEB_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "components/PanneauImage.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QComboBox>
#include <QTest>

using namespace AlbumsWebPerso;

namespace
{
struct AlbumsWebPersoFm : TBancFenetrePrincipale<>
{
    void SetUp() override { CreeFenetre(); }
    void TearDown() override
    {
        fm.reset();
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    TBigIniFile &ini() { return *Contexte->iniSetup; }
    void Editeur()
    {
        fm = std::make_unique<TfmAlbumWEBHierPersoMAJ>(*Contexte, Fenetre.get());
        fm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fm.get()));
    }
    // Album "Monde": Voyages, Voyages/Italie (three images, two of them with a cached
    // thumbnail), Voyages/Italie/Rome, Maison.
    void AlbumMonde()
    {
        EcrireDossiers(ini(), "Monde", {"Voyages", "Voyages/Italie", "Voyages/Italie/Rome", "Maison"});
        for (const char *c : {"/p/zeta.jpg", "/p/alpha.jpg", "/p/sans.jpg"})
            ini().WriteString(SectionDossier("Monde", "Voyages/Italie"), QLatin1String(c), QString());
        for (const char *c : {"/p/zeta.jpg", "/p/alpha.jpg"})
            ASSERT_TRUE(EcritJpeg(NomVignette(Contexte->Dossiers.cDossierVignettes, 0, QLatin1String(c)), 80, 60,
                                  Qt::darkCyan));
    }
    void Selectionne(const QString &cChemin)
    {
        QTreeWidgetItem *Item = fm->tvDossiersAWH->Noeud(cChemin);
        ASSERT_TRUE(Item) << cChemin.toStdString();
        fm->tvDossiersAWH->setCurrentItem(Item);
    }
    QStringList Titres() const
    {
        QStringList l;
        for (int i = 0; i < fm->plvImages->Nombre(); ++i)
            l << fm->plvImages->Item(i)->cTitre();
        return l;
    }

    std::unique_ptr<TfmAlbumWEBHierPersoMAJ> fm;
};
} // namespace

TEST_F(AlbumsWebPersoFm, ButtonsFollowTheAlbumsAndFolders)
{
    Editeur();
    EXPECT_EQ(fm->windowTitle(), "Mise à jour des Albums WEB hiérarchiques personnels");
    // No album at all.
    EXPECT_TRUE(fm->btAWHNouveau->isEnabled());
    for (QPushButton *b : {fm->btAWHSupprime, fm->btAWHRenomme, fm->btGenerer, fm->btDossiersAWHCreeEnfant,
                           fm->btDossiersAWHCreeFrere, fm->btImagesGestion})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    // An album without folders.
    int nModifs = 0;
    QObject::connect(fm.get(), &TfmAlbumWEBHierPersoMAJ::AlbumsModifies, [&] { ++nModifs; });
    fm->fnSaisieNom = [] { return QStringLiteral(" Été "); };
    fm->btAWHNouveau->click();
    EXPECT_EQ(fm->AlbumCourant(), "Été");
    EXPECT_EQ(nModifs, 1);
    EXPECT_TRUE(fm->btAWHSupprime->isEnabled());
    EXPECT_TRUE(fm->btAWHRenomme->isEnabled());
    EXPECT_TRUE(fm->btDossiersAWHCreeEnfant->isEnabled());
    EXPECT_FALSE(fm->btDossiersAWHCreeFrere->isEnabled());
    EXPECT_FALSE(fm->btGenerer->isEnabled());
    EXPECT_EQ(fm->gbImages->title(), "Images du dossier courant (0)");

    // The same name again is refused with its own message.
    fm->fnSaisieNom = [] { return QStringLiteral("été"); };
    fm->btAWHNouveau->click();
    ASSERT_FALSE(Messages->Montres.isEmpty());
    EXPECT_EQ(Messages->Montres.last().cTitre, "Erreur");
    EXPECT_EQ(Messages->Montres.last().cTexte, "Impossible de créer l'album WEB hiérarchique 'été'.");
    EXPECT_EQ(fm->tvAWH->topLevelItemCount(), 1);

    // Folders: a child at the top, then its sibling; the generator once there is one.
    fm->btDossiersAWHCreeEnfant->click();
    QApplication::processEvents();
    EXPECT_EQ(fm->DossierCourant(), "Nouveau1");
    fm->btDossiersAWHCreeFrere->click();
    EXPECT_EQ(fm->DossierCourant(), "Nouveau2");
    EXPECT_EQ(ini().ReadString(SectionAlbum("Été"), "<aDossiers>", {}), "Nouveau1|Nouveau2");
    EXPECT_TRUE(fm->btGenerer->isEnabled());
    QString cGenere;
    fm->fnGenere = [&](const QString &c) { cGenere = c; };
    fm->btGenerer->click();
    EXPECT_EQ(cGenere, "Été");

    // Deleting the album asks first; No keeps it.
    Messages->Reponses = {false, true};
    fm->btAWHSupprime->click();
    EXPECT_EQ(Messages->Montres.last().cTexte, "Supprimer l'album WEB hiérarchique 'Été' ?");
    EXPECT_EQ(fm->tvAWH->topLevelItemCount(), 1);
    fm->btAWHSupprime->click();
    EXPECT_EQ(fm->tvAWH->topLevelItemCount(), 0);
    EXPECT_FALSE(ini().SectionExists(SectionAlbum("Été")));
    EXPECT_FALSE(fm->btAWHSupprime->isEnabled());
}

TEST_F(AlbumsWebPersoFm, TheEditorOpensFromTheWebAlbumMenuInUpdateModeOnly)
{
    auto *AlbumWEB = Fenetre->findChild<TAlbumWEBKX *>();
    ASSERT_TRUE(AlbumWEB);
    EXPECT_TRUE(AlbumWEB->miAlbumWEBAWH->isVisible());
    Fenetre->Selection().MetModeMAJ(false);
    emit AlbumWEB->pmAlbumWEB->aboutToShow();
    EXPECT_FALSE(AlbumWEB->miAlbumWEBAWH->isEnabled());
    Fenetre->Selection().MetModeMAJ(true);
    emit AlbumWEB->pmAlbumWEB->aboutToShow();
    EXPECT_TRUE(AlbumWEB->miAlbumWEBAWH->isEnabled());
}

TEST_F(AlbumsWebPersoFm, F2WithAnInvalidNameRestoresTheOldOne)
{
    AlbumMonde();
    Editeur();
    Selectionne("Voyages/Italie");
    fm->tvDossiersAWH->setFocus();
    QTest::keyClick(fm->tvDossiersAWH, Qt::Key_F2);
    auto *Edition = fm->tvDossiersAWH->findChild<QLineEdit *>();
    ASSERT_TRUE(Edition) << "F2 edits the name in place";
    Edition->selectAll();
    QTest::keyClicks(Edition, "..");
    QTest::keyClick(Edition, Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_FALSE(Messages->Montres.isEmpty());
    EXPECT_EQ(Messages->Montres.last().cTitre, "Erreur");
    EXPECT_EQ(Messages->Montres.last().cTexte, "Valeur incorrecte.");
    ASSERT_TRUE(fm->tvDossiersAWH->Noeud("Voyages/Italie"));
    EXPECT_EQ(fm->tvDossiersAWH->Noeud("Voyages/Italie")->text(0), "Italie");
    EXPECT_EQ(ini().ReadString(SectionAlbum("Monde"), "<aDossiers>", {}),
              "Voyages|Voyages/Italie|Voyages/Italie/Rome|Maison");

    // A valid name is taken by the store, the sub-folder following.
    fm->tvDossiersAWH->Noeud("Voyages/Italie")->setText(0, "Italia");
    QApplication::processEvents();
    EXPECT_EQ(ini().ReadString(SectionAlbum("Monde"), "<aDossiers>", {}),
              "Voyages|Voyages/Italia|Voyages/Italia/Rome|Maison");
    EXPECT_EQ(fm->DossierCourant(), "Voyages/Italia");
    EXPECT_EQ(fm->gbImages->title(), "Images du dossier courant (3)");
}

TEST_F(AlbumsWebPersoFm, DropsFollowTheRulesAndMoveWithTheImages)
{
    AlbumMonde();
    Editeur();
    Selectionne("Voyages");
    TArbreDossiersAWH *tv = fm->tvDossiersAWH;
    EXPECT_FALSE(tv->PeutDeposerSur(tv->Noeud("Voyages/Italie/Rome"))) << "a descendant";
    EXPECT_FALSE(tv->PeutDeposerSur(tv->Noeud("Voyages"))) << "itself";
    EXPECT_TRUE(tv->PeutDeposerSur(tv->Noeud("Maison")));
    Selectionne("Voyages/Italie");
    EXPECT_FALSE(tv->PeutDeposerSur(tv->Noeud("Voyages"))) << "its parent";

    // Cancelled from the menu: nothing asked, nothing changed.
    QStringList Menu;
    fm->fnMenuDepot = [&](const QStringList &Entrees) {
        Menu = Entrees;
        return 2;
    };
    fm->Depose("Voyages/Italie", "Maison");
    EXPECT_EQ(Menu, QStringList({"&Copier 'Italie' vers 'Maison'", "&Déplacer 'Italie' vers 'Maison'", "&Annuler"}));
    EXPECT_TRUE(Messages->Montres.isEmpty());

    // A move with the images.
    fm->fnMenuDepot = [](const QStringList &) { return 1; };
    Messages->Reponses = {true};
    fm->Depose("Voyages/Italie", "Maison");
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTexte, "Copier/Déplacer aussi les Images ?");
    EXPECT_EQ(ini().ReadString(SectionAlbum("Monde"), "<aDossiers>", {}),
              "Voyages|Maison|Maison/Italie|Maison/Italie/Rome");
    EXPECT_EQ(ImagesDossier(ini(), "Monde", "Maison/Italie").size(), 3);
    EXPECT_TRUE(ImagesDossier(ini(), "Monde", "Voyages").isEmpty());
    EXPECT_EQ(fm->DossierCourant(), "Maison");
    EXPECT_TRUE(tv->Noeud("Maison")->isExpanded());
}

TEST_F(AlbumsWebPersoFm, ThePaneShowsCachedThumbnailsAndManagesTheTickedOnes)
{
    AlbumMonde();
    EcrireDossiers(ini(), "Autre", {"Voyages/Italie"});
    Editeur();
    // "Autre" comes first; its folder of the same path has no image.
    EXPECT_EQ(fm->AlbumCourant(), "Autre");
    Selectionne("Voyages/Italie");
    EXPECT_EQ(fm->gbImages->title(), "Images du dossier courant (0)");
    fm->tvAWH->setCurrentItem(fm->tvAWH->topLevelItem(1));
    ASSERT_EQ(fm->AlbumCourant(), "Monde");
    Selectionne("Voyages/Italie");
    // Three keys, two thumbnails in the cache, sorted by path.
    EXPECT_EQ(fm->gbImages->title(), "Images du dossier courant (3)");
    EXPECT_EQ(Titres(), QStringList({"alpha.jpg", "zeta.jpg"}));
    EXPECT_EQ(fm->plvImages->_ItemDim(), 80);
    EXPECT_FALSE(fm->btImagesGestion->isEnabled());
    fm->btImagesToutes->click();
    EXPECT_TRUE(fm->btImagesGestion->isEnabled());
    fm->btImagesAucune->click();
    EXPECT_FALSE(fm->btImagesGestion->isEnabled());
    // A click on a panel's check box.
    QTest::mouseClick(fm->plvImages->viewport(), Qt::LeftButton, {}, fm->plvImages->rCoche(1).center());
    ASSERT_TRUE(fm->plvImages->Item(1)->lCoche());
    EXPECT_TRUE(fm->btImagesGestion->isEnabled());

    // The dialog: OK for a deletion; for a copy once another folder is chosen, the same path in
    // another album being another folder.
    fm->fnExecuteGestion = [](TfmAlbumWEBHierPersoMAJGestImg &D) {
        EXPECT_EQ(D.windowTitle(), "Images sélectionnées...");
        EXPECT_TRUE(D.btOK->isEnabled());
        EXPECT_FALSE(D.cbAlbums->isEnabled());
        D.rbCopie->setChecked(true);
        EXPECT_TRUE(D.cbAlbums->isEnabled());
        EXPECT_EQ(D.cbAlbums->currentText(), "Autre");
        EXPECT_FALSE(D.btOK->isEnabled());
        D.tvDossiers->setCurrentItem(D.tvDossiers->topLevelItem(0)->child(0));
        EXPECT_EQ(D.DossierCible(), "Voyages/Italie");
        EXPECT_TRUE(D.btOK->isEnabled());
        D.cbAlbums->setCurrentIndex(1);
        EXPECT_EQ(D.cbAlbums->currentText(), "Monde");
        D.tvDossiers->setCurrentItem(D.tvDossiers->topLevelItem(0)->child(0));
        EXPECT_FALSE(D.btOK->isEnabled()) << "the current folder itself";
        D.tvDossiers->setCurrentItem(D.tvDossiers->topLevelItem(1));
        D.rbDeplace->setChecked(true);
        EXPECT_TRUE(D.btOK->isEnabled());
        return true;
    };
    fm->btImagesGestion->click();
    EXPECT_EQ(ImagesDossier(ini(), "Monde", "Maison"), QStringList({"/p/zeta.jpg"}));
    EXPECT_EQ(fm->gbImages->title(), "Images du dossier courant (2)");
    EXPECT_EQ(Titres(), QStringList({"alpha.jpg"}));
}

TEST_F(AlbumsWebPersoFm, ThePopupAddsTheTickedRowsThroughTheDialog)
{
    const QString cPhotos = Temp.filePath("photos") + "/";
    for (const char *c : {"a.jpg", "b.jpg", "c.jpg"})
        ASSERT_TRUE(EcritJpeg(cPhotos + c, 120, 90, Qt::red));
    auto *Expl = Fenetre->findChild<TExplorationKX *>();
    auto *Feature = Fenetre->findChild<TAlbumsWebPersoKX *>();
    ASSERT_TRUE(Expl && Feature);
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    TModeleListeImages &Modele = Fenetre->Modele();
    ASSERT_EQ(Modele.Nombre(), 3);
    Fenetre->Selection().MetLigneCourante(0);

    // No album with folders yet: the entry is there but disabled.
    EcrireDossiers(ini(), "Vide", {});
    QList<QAction *> Actions = Feature->Actions(TEmplacementAction::PopupVignettes);
    ASSERT_EQ(Actions.size(), 1);
    EXPECT_EQ(Actions[0]->text(), "ajouter à un Album &WEB hiérarchique personnel :");
    EXPECT_FALSE(Actions[0]->isEnabled());
    EcrireDossiers(ini(), "Monde", {"Voyages", "Voyages/Italie"});
    Feature->Actions(TEmplacementAction::PopupVignettes);
    EXPECT_TRUE(Actions[0]->isEnabled());
    EXPECT_FALSE(Feature->miVigsAjtAlbWEBHierPersoImgSel->isEnabled());
    Fenetre->Selection().MetModeMAJ(false);
    Feature->Actions(TEmplacementAction::PopupVignettes);
    EXPECT_FALSE(Actions[0]->isEnabled()) << "consultation mode";
    Fenetre->Selection().MetModeMAJ(true);

    // Two ticked rows, one of them unreadable: only the other is written.
    Modele.MetCoche(0, true);
    Modele.MetCoche(2, true);
    Modele.Enr(2).lIllisible = true;
    Feature->Actions(TEmplacementAction::PopupVignettes);
    EXPECT_TRUE(Feature->miVigsAjtAlbWEBHierPersoImgSel->isEnabled());
    Feature->fnExecuteAjout = [](TfmAlbumWEBHierPersoAjtImg &D) {
        EXPECT_EQ(D.windowTitle(), "Ajout d'images dans un Album WEB hiérarchique personnel");
        EXPECT_EQ(D.tvAlbums->topLevelItemCount(), 1) << "albums with folders only";
        EXPECT_EQ(D.Album(), "Monde");
        EXPECT_EQ(D.Dossier(), "Voyages");
        D.tvDossiers->setCurrentItem(D.tvDossiers->topLevelItem(0)->child(0));
        return true;
    };
    int nModifs = 0;
    QObject::connect(Feature, &TAlbumsWebPersoKX::AlbumsModifies, [&] { ++nModifs; });
    Contexte->Parametres.lHintAffAlbWHP = true;
    QWidget *Panneau = Fenetre->PanneauImage()->viewport();
    Fenetre->Selection().MetLigneCourante(1);
    Fenetre->Selection().MetLigneCourante(0);
    EXPECT_FALSE(Panneau->toolTip().contains("Monde"));
    Feature->miVigsAjtAlbWEBHierPersoImgSel->trigger();
    EXPECT_EQ(ImagesDossier(ini(), "Monde", "Voyages/Italie"), QStringList({Modele.Enr(0).Cle()}));
    EXPECT_EQ(nModifs, 1);
    // The image pane's hint names the album at once, without another image being shown first.
    EXPECT_TRUE(Panneau->toolTip().contains("Monde")) << Panneau->toolTip().toStdString();
    EXPECT_FALSE(ini().Modifie()) << "saved";

    // Cancelled: nothing written.
    Feature->fnExecuteAjout = [](TfmAlbumWEBHierPersoAjtImg &) { return false; };
    Feature->miVigsAjtAlbWEBHierPersoTtesImg->trigger();
    EXPECT_EQ(ImagesAlbumPerso(ini(), "Monde").size(), 1);
    EXPECT_EQ(nModifs, 1);
}
