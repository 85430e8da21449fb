#include "exploration/Exploration_fm.h"

#include "calendar/PleinEcran_fm.h"
#include "classification/Classement_fm.h"

#include "components/FolderTreeView.h"
#include "components/PaneledListView.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "thumbnails/ThumbnailCache_fm.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace
{
struct ExplorationTest : TBancFenetrePrincipale<>
{
    TExplorationKX *Expl = nullptr;
    TListeImagesKX *Liste = nullptr;
    TVignettesKX *Vignettes = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        Jpeg(cPhotos + "b.jpg", 40, 30, 0);
        Jpeg(cPhotos + "a.jpg", 20, 10, 3000);
        Jpeg(cPhotos + "c.jpg", 30, 20, 0);
        QFile t(cPhotos + "lisez-moi.txt");
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        t.write("texte");
        t.close();

        CreeFenetre();
        // The main window installs the page itself; a window built without it gets it here.
        Expl = Fenetre->findChild<TExplorationKX *>();
        if (!Expl)
            Expl = InstalleExploration(*Fenetre, *Contexte);
        ASSERT_NE(Expl, nullptr);
        Liste = Fenetre->findChild<TListeImagesKX *>();
        ASSERT_NE(Liste, nullptr);
        Vignettes = Fenetre->findChild<TVignettesKX *>();
        ASSERT_NE(Vignettes, nullptr);
        MontreFenetre();
    }
    static void Jpeg(const QString &c, int w, int h, int nBourrage)
    {
        ASSERT_TRUE(EcritJpeg(c, w, h, Qt::darkGreen, nBourrage));
    }
    QStringList Noms() const
    {
        QStringList l;
        for (int i = 0; i < Liste->Modele().Nombre(); ++i)
            l << Liste->Modele().Enr(i).NomFichier();
        return l;
    }
};
}

TEST_F(ExplorationTest, OpeningAFolderListsItsImagesInListAndGrid)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_EQ(Noms(), QStringList({"a.jpg", "b.jpg", "c.jpg"}));
    ASSERT_EQ(Liste->plvVigs->Nombre(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Liste->plvVigs->Item(i)->cTitre(), Noms().at(i));
    EXPECT_EQ(Fenetre->windowTitle(), QString("%1 [20x10] (1/3)").arg(cPhotos + "a.jpg"));
    EXPECT_EQ(Expl->cbHistoReps->itemText(0), cPhotos);
    EXPECT_FALSE(Fenetre->VueListe()->isHeaderHidden());
    EXPECT_EQ(Fenetre->VueListe()->header()->sectionSize(1), 0); // "Emplacement" hidden by "eRTD"
    EXPECT_TRUE(Liste->btCocheTtesImgs->isEnabled());

    // A size sort moves rows and thumbnails together.
    Liste->lvImgsColumnClick(3); // "Taille"
    EXPECT_EQ(Contexte->Parametres.nLVColTri, 4);
    EXPECT_EQ(Noms().last(), "a.jpg");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Liste->plvVigs->Item(i)->cTitre(), Noms().at(i));
}

TEST_F(ExplorationTest, ChecksGoThroughTheModelToTheGrid)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Liste->BasculeCoche(1);
    EXPECT_TRUE(Liste->plvVigs->Item(1)->lCoche());
    EXPECT_EQ(Liste->Modele().nNbCoches(), 1);
    Liste->btCocheDeCocheTtesImgsClick(true);
    EXPECT_EQ(Liste->Modele().nNbCoches(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(Liste->plvVigs->Item(i)->lCoche());

    // A plain click on a row's check box toggles it.
    const QRect r = Fenetre->VueListe()->visualRect(Liste->Modele().index(0, 0));
    QTest::mouseClick(Fenetre->VueListe()->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 6, r.center().y()));
    EXPECT_FALSE(Liste->Modele().Coche(0));
    EXPECT_EQ(Liste->Modele().nNbCoches(), 2);
}

TEST_F(ExplorationTest, RecursionWaitsForExplorerAndTheCacheFolderIsRefused)
{
    QDir().mkpath(cPhotos + "sous");
    Jpeg(cPhotos + "sous/d.jpg", 8, 8, 0);
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_EQ(Liste->Modele().Nombre(), 3);
    Expl->btExplLectRecurs->setChecked(true);
    Expl->btExplExplorerClick();
    EXPECT_EQ(Liste->Modele().Nombre(), 4);

    const QString cVignettes = Contexte->Dossiers.cDossierVignettes;
    ASSERT_TRUE(QDir().mkpath(cVignettes));
    EXPECT_FALSE(Expl->OuvreDossier(cVignettes));
    EXPECT_EQ(Expl->cbHistoReps->itemText(0), cPhotos);

    // Switching recursion off lists the folder alone again.
    Expl->btExplLectRecurs->setChecked(false);
    Expl->btExplLectRecursClick();
    EXPECT_EQ(Liste->Modele().Nombre(), 3);
}

TEST_F(ExplorationTest, ClearingTheHistoryAsksFirst)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    const int nAvant = Expl->cbHistoReps->count(); // the first folder opened at start-up too
    ASSERT_GE(nAvant, 1);
    auto *Messages = new TMessagesFactices;
    Contexte->Messages.reset(Messages);
    Messages->Reponses = {false};
    Expl->btSupprHistoClick();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
    EXPECT_EQ(Messages->Montres[0].cTexte, "Supprimer l'historique des dossiers parcourus ?");
    EXPECT_EQ(Expl->cbHistoReps->count(), nAvant);
    Messages->Reponses = {true};
    Expl->btSupprHistoClick();
    EXPECT_EQ(Expl->cbHistoReps->count(), 0);
    EXPECT_TRUE(Contexte->HistoriqueRepertoires.isEmpty());
}

TEST_F(ExplorationTest, ViewStylesSwitchBetweenDetailsAndIconViews)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Liste->MetStyle(0);
    EXPECT_TRUE(Liste->lvImgsIcones->isVisible());
    EXPECT_EQ(Liste->lvImgsIcones->viewMode(), QListView::IconMode);
    Liste->MetStyle(2);
    EXPECT_EQ(Liste->lvImgsIcones->viewMode(), QListView::ListMode);
    EXPECT_EQ(Contexte->Parametres.lvImgs_ViewStyle, 2);
    Liste->MetStyle(3);
    EXPECT_FALSE(Liste->lvImgsIcones->isVisible());
}

// The save buttons of the treatment bar follow the list: enabled once thumbnails exist, and the
// sheet is proposed under the listed folder's name and written where the user chose.
TEST_F(ExplorationTest, SaveButtonsFollowTheListAndWriteTheSheet)
{
    EXPECT_FALSE(Vignettes->btSvgTtesVig->isEnabled());
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_TRUE(Vignettes->btSvgTtesVig->isEnabled());
    EXPECT_TRUE(Vignettes->btSvgVigCour->isEnabled());
    EXPECT_TRUE(Vignettes->btSvgImgCour->isEnabled());

    QString cPropose;
    const QString cSortie = Temp.filePath("planche.jpg");
    Vignettes->fnNomFichier = [&](const QString &, const QString &, const QString &cNom) {
        cPropose = cNom;
        return cSortie;
    };
    Contexte->Messages = std::make_unique<TMessagesFactices>();
    QTest::mouseClick(Vignettes->btSvgTtesVig, Qt::LeftButton);
    EXPECT_EQ(cPropose, "photos.jpg");
    QImage Planche(cSortie);
    ASSERT_FALSE(Planche.isNull());
    EXPECT_EQ(Planche.height() % (Fenetre->Grille()->_ItemDim() + 27), 0);

    // The current image is saved whole, at its own size.
    const QString cImage = Temp.filePath("image.jpg");
    Vignettes->fnNomFichier = [&](const QString &, const QString &, const QString &) { return cImage; };
    QTest::mouseClick(Vignettes->btSvgImgCour, Qt::LeftButton);
    const QImage Image(cImage);
    ASSERT_FALSE(Image.isNull());
    EXPECT_EQ(Image.size(), QSize(20, 10));
}

// Resolutions the listing cannot read are filled by the thumbnails: "Résol." fits them after.
TEST_F(ExplorationTest, ResolutionColumnFitsTheResolutionsTheThumbnailsFill)
{
    const auto Charge = Liste->fnChargeVignettes;
    Liste->fnChargeVignettes = [&] {
        const int n = Charge();
        Liste->Modele().MetResolution(0, 12345678, 87654321);
        return n;
    };
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    QHeaderView *Entete = Fenetre->VueListe()->header();
    int nResol = -1;
    for (int c = 0; c < Liste->Modele().columnCount(); ++c)
        if (Liste->Modele().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == QString::fromUtf8("Résol."))
            nResol = c;
    ASSERT_GE(nResol, 0);
    EXPECT_EQ(Liste->Modele().index(0, nResol).data().toString(), "12345678x87654321");
    EXPECT_GE(Entete->sectionSize(nResol), Fenetre->VueListe()->fontMetrics().horizontalAdvance("12345678x87654321"));
}

// The check menus are titled with their button's hint, shown whole.
TEST_F(ExplorationTest, CheckMenuShowsItsWholeTitle)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Liste->btMenuCocheDeCocheTtesImgsClick(Liste->btMenuCocheTtesImgs, true);
    QMenu *Menu = Liste->pmMenuCocheDeCocheImgs;
    ASSERT_TRUE(Menu->isVisible());
    const QString cTitre = QString::fromUtf8("ajouter à la Sélection les images...");
    EXPECT_EQ(Menu->title(), cTitre);
    EXPECT_GE(Menu->width(), Menu->fontMetrics().horizontalAdvance(cTitre) + 10);
    Menu->close();
}

namespace
{
bool ARouge(const QImage &Image)
{
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x) {
            const QColor c = Image.pixelColor(x, y);
            if (c.red() > 160 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    return false;
}
} // namespace

// The closed history box shortens a long path in its middle with a red "." as its list does.
TEST_F(ExplorationTest, ClosedHistoryBoxShortensInTheMiddle)
{
    QComboBox *cb = Expl->cbHistoReps;
    QString cLong = "/photos";
    for (int i = 0; i < 12; ++i)
        cLong += QString("/dossier au nom assez long %1").arg(i);
    cb->clear();
    cb->addItem(cLong + "/");
    cb->setCurrentIndex(0);
    ASSERT_GT(cb->fontMetrics().horizontalAdvance(cLong), cb->width());
    EXPECT_TRUE(ARouge(cb->grab().toImage()));

    cb->clear();
    cb->addItem("/a/");
    cb->setCurrentIndex(0);
    EXPECT_FALSE(ARouge(cb->grab().toImage()));
}

// The list reports what is current to the window's selection object: the listing with its
// mode, the first entry, the folder, and the entry a click or a sort makes current.
TEST_F(ExplorationTest, TheSelectionFollowsListingsClicksAndSorts)
{
    TSelectionKX &Selection = Fenetre->Selection();
    QSignalSpy Listes(&Selection, &TSelectionKX::ListeConstruite);
    QSignalSpy Courantes(&Selection, &TSelectionKX::CouranteChange);
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    ASSERT_EQ(Listes.size(), 1);
    EXPECT_EQ(Listes.at(0).at(0).value<TModeListe>(), TModeListe::Exploration);
    EXPECT_EQ(AvecSeparateurFinal(Selection.DossierCourant()), cPhotos);
    EXPECT_EQ(Fenetre->DossierCourant(), Selection.DossierCourant());
    ASSERT_FALSE(Courantes.isEmpty());
    EXPECT_EQ(Courantes.last().at(1).toString(), cPhotos + "a.jpg");
    EXPECT_EQ(Selection.LigneCourante(), 0);

    // A click on a thumbnail makes its entry current, in the list as in the selection.
    Liste->plvVigs->Selectionne(Liste->plvVigs->Item(2));
    EXPECT_EQ(Selection.CleCourante(), cPhotos + "c.jpg");
    EXPECT_EQ(Liste->LigneCourante(), 2);
    // A size sort moves it; it stays current.
    Liste->lvImgsColumnClick(3);
    EXPECT_EQ(Selection.CleCourante(), cPhotos + "c.jpg");
    EXPECT_EQ(Fenetre->VueListe()->currentIndex().row(), Selection.LigneCourante());

    // A double click asks for the entry's editor, through a signal any feature may hear: the
    // classification feature opens its window (closed here at once).
    auto *Classement = Fenetre->findChild<TClassementKX *>();
    ASSERT_NE(Classement, nullptr);
    int nFenetres = 0;
    Classement->fnExecute = [&nFenetres](QDialog &) {
        ++nFenetres;
        return int(QDialog::Rejected);
    };
    QSignalSpy Activees(Liste, &TListeImagesKX::LigneActivee);
    Liste->lvImgsDblClick();
    ASSERT_EQ(Activees.size(), 1);
    EXPECT_EQ(Activees.at(0).at(0).toInt(), Selection.LigneCourante());
    EXPECT_EQ(nFenetres, 1);
}

namespace
{
// A feature that adds one action to every place.
struct TFonctionnaliteEssai : IFonctionnaliteKX
{
    QAction Fichiers{QStringLiteral("&Essai du menu")};
    QAction Images{QStringLiteral("Essai des &images")};
    QList<QAction *> Actions(TEmplacementAction n) override
    {
        if (n == TEmplacementAction::MenuFichiers)
            return {&Fichiers};
        if (n == TEmplacementAction::PopupImages)
            return {&Images};
        return {};
    }
};

QStringList Textes(const QMenu *Menu)
{
    QStringList l;
    for (const QAction *a : Menu->actions())
        l << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return l;
}
} // namespace

// The menus are built from the installed features: the thumbnail commands put their stored
// thumbnails in the grid's pop-up, and a feature installed later joins the list's pop-up and
// "&Fichiers" without touching them.
TEST_F(ExplorationTest, MenusAreBuiltFromTheInstalledFeatures)
{
    // No program opens images here, whatever the machine has.
    Fenetre->findChild<TPleinEcranKX *>()->Programmes().fnDefaut = [](const QString &) { return QString(); };
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Liste->pmVigsPopup(QPoint(0, 0));
    // Every feature's entries in the pop-up's own order, whatever the order of installation.
    EXPECT_EQ(Textes(Liste->pmVigs), QStringList({"&Editer les critères...",
                                                  "Plein &écran",
                                                  "Propriétés de l'&image...",
                                                  "&Mémo sonore",
                                                  "-",
                                                  "ajouter à l'&Album d'images :",
                                                  "ajouter à un Album &WEB hiérarchique personnel :",
                                                  "-",
                                                  "Rotation (Aucune)",
                                                  "à &Gauche",
                                                  "à &Droite",
                                                  "-",
                                                  "Miroir (Aucun)",
                                                  "&Horizontal",
                                                  "&Vertical",
                                                  "-",
                                                  "&Noir et Blanc...",
                                                  "Contraste, &Luminosité...",
                                                  "Néga&tif",
                                                  "Canau&x...",
                                                  "&Coup de coeur",
                                                  "-",
                                                  "copier vers le Pre&sse-Papiers les données de l'Image",
                                                  QStringLiteral("Ex&plorer '%1'").arg(cPhotos),
                                                  "&Ouvrir avec",
                                                  "-",
                                                  "Vignettes en&registrées"}));
    EXPECT_TRUE(Liste->pmVigs->actions().at(1)->isEnabled());
    EXPECT_FALSE(Liste->pmVigs->actions().at(24)->isVisible());
    EXPECT_TRUE(Liste->pmVigs->actions().last()->isEnabled());
    Liste->pmVigs->close();

    TFonctionnaliteEssai Essai;
    Fenetre->Installe(&Essai);
    Liste->pmImgsPopup(QPoint(0, 0));
    const QStringList Popup = Textes(Liste->pmImgs);
    ASSERT_GE(Popup.size(), 3);
    EXPECT_EQ(Popup.mid(Popup.size() - 2), QStringList({"-", "Essai des &images"}));
    EXPECT_EQ(Popup.first(), "Trier sur");
    Liste->pmImgs->close();

    QMenu *Fichiers = Fenetre->findChild<QMenu *>("miMainFic");
    ASSERT_NE(Fichiers, nullptr);
    emit Fichiers->aboutToShow();
    EXPECT_EQ(Textes(Fichiers),
              QStringList({"&Sélectionner toutes les images", "&Désélectionner toutes les images", "-", "&Copier...",
                           "Su&pprimer...", "chan&ger la Date...", "&Renommer...", "&Essai du menu", "-", "&Quitter"}));
    // Asked again at each opening: nothing doubles.
    emit Fichiers->aboutToShow();
    EXPECT_EQ(Textes(Fichiers),
              QStringList({"&Sélectionner toutes les images", "&Désélectionner toutes les images", "-", "&Copier...",
                           "Su&pprimer...", "chan&ger la Date...", "&Renommer...", "&Essai du menu", "-", "&Quitter"}));
    // The window goes first: it still lists the feature.
    Fenetre.reset();
}
