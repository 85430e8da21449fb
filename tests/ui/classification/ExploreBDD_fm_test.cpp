#include "classification/ExploreBDD_fm.h"

#include "classification/ArboCriteres.h"
#include "calendar/PleinEcran_fm.h"
#include "classification/IndexClassement.h"
#include "mainwindow/Aide_fm.h"
#include "mainwindow/MainKX_fm.h"
#include "components/ExpColPanel.h"
#include "components/PaneledListView.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "support/BancFenetrePrincipale.h"
#include "support/DossierDonneesTemporaire.h"
#include "support/EcritJpeg.h"
#include "support/Fichiers.h"
#include "support/MessagesFactices.h"

#include <QDirIterator>
#include <QProgressBar>
#include <QSignalSpy>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <gtest/gtest.h>

namespace
{
struct ExploreBDDFenetreTest : ::testing::Test, TDossierDonneesTemporaire
{
    std::unique_ptr<TContexte> Contexte;
    std::unique_ptr<TIndexClassement> Index;
    std::unique_ptr<TArboCriteres> Arbo;
    QString cPhotos;

    void SetUp() override
    {
        Contexte = NouveauContexte();
        Contexte->Messages = std::make_unique<TMessagesFactices>();
        Contexte->FixeDossiers();
        Contexte->OuvreStores();
        cPhotos = Temp.filePath(QStringLiteral("photos"));
    }
    void Catalogue()
    {
        for (const QString &c : {"/a/1.jpg", "/a/b/2.jpg", "/a/3.jpg", "/c/4.jpg"})
            ASSERT_TRUE(EcritJpeg(cPhotos + c, 40, 30, Qt::blue));
        TBigIniFile &BDD = *Contexte->iniBDD;
        BDD.WriteString(cPhotos + "/a/1.jpg", QStringLiteral("Lieux"), QString());
        BDD.WriteString(cPhotos + "/a/b/2.jpg", QStringLiteral("Lieux/Paris"), QString());
        // Catalogued but gone from the disk: counted in its folder, absent from the grid.
        BDD.WriteString(cPhotos + "/a/absent.jpg", QStringLiteral("Lieux"), QString());
        TBigIniFile &Setup = *Contexte->iniSetup;
        Setup.WriteString(cSectionMotsCles, cPhotos + "/a/3.jpg", QStringLiteral("mer"));
        Setup.WriteString(cSectionCoupsDeCoeur, cPhotos + "/c/4.jpg", QStringLiteral("1"));
        Setup.WriteString(cSectionCritHier, QStringLiteral("Lieux"), QString());
        Setup.WriteString(cSectionCritHier, QStringLiteral("Lieux/Paris"), QString());
        ASSERT_TRUE(Contexte->SauveStores());
    }
    std::unique_ptr<TfmExploreBDD> Fenetre()
    {
        Index = std::make_unique<TIndexClassement>(*Contexte->iniBDD, *Contexte->iniSetup);
        Arbo = std::make_unique<TArboCriteres>();
        Arbo->ChargerArboCritHier(*Contexte->iniSetup, Contexte->Parametres, Contexte->Dossiers.cDossierImgsCH);
        return std::make_unique<TfmExploreBDD>(*Contexte, *Index, Arbo.get(), nullptr);
    }
    template <class T>
    static T *Controle(QWidget *w, const char *cNom)
    {
        return w->findChild<T *>(QString::fromLatin1(cNom));
    }
    static int NbItems(QTreeWidget *t)
    {
        int n = 0;
        for (QTreeWidgetItemIterator it(t); *it; ++it)
            ++n;
        return n;
    }
};
} // namespace

TEST_F(ExploreBDDFenetreTest, PagesFillWhenFirstShownAndStoresStayUntouched)
{
    Catalogue();
    const QByteArray Setup = LitFichier(Contexte->iniSetup->FileName());
    const QByteArray BDD = LitFichier(Contexte->iniBDD->FileName());
    auto fm = Fenetre();
    auto *tvBDD = Controle<QTreeWidget>(fm.get(), "tvBDD");
    auto *tvCRITBas = Controle<QTreeWidget>(fm.get(), "tvCRITBas");
    auto *tvMCBas = Controle<QTreeWidget>(fm.get(), "tvMCBas");
    auto *tvCDC = Controle<QTreeWidget>(fm.get(), "tvCDC");
    auto *plvBDDVigs = Controle<TPaneledListView>(fm.get(), "plvBDDVigs");
    ASSERT_TRUE(tvBDD && tvCRITBas && tvMCBas && tvCDC && plvBDDVigs);

    // Only the first page is built while the window is hidden.
    EXPECT_GT(NbItems(tvBDD), 0);
    EXPECT_EQ(NbItems(tvCRITBas), 0);
    EXPECT_TRUE(fm->PageARemplir(TfmExploreBDD::pCRIT));
    EXPECT_TRUE(fm->PageARemplir(TfmExploreBDD::pMC));
    EXPECT_TRUE(fm->PageARemplir(TfmExploreBDD::pCDC));
    // The first folder, "a", is selected: three images counted, two on the disk.
    ASSERT_TRUE(tvBDD->currentItem());
    EXPECT_EQ(tvBDD->currentItem()->text(0), QStringLiteral("a"));
    EXPECT_EQ(plvBDDVigs->Nombre(), 2);
    EXPECT_EQ(fm->windowTitle(),
              QStringLiteral("Exploration de la base de données - Base de données - 3 Image(s) / 5"));
    EXPECT_TRUE(Controle<QPushButton>(fm.get(), "btSvgTtesVig")->isEnabled());

    fm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fm.get()));
    fm->pcExploreBDD->setCurrentIndex(TfmExploreBDD::pCRIT);
    EXPECT_FALSE(fm->PageARemplir(TfmExploreBDD::pCRIT));
    // The first criterion, "Lieux", extended to its child by default.
    ASSERT_TRUE(tvCRITBas->currentItem());
    EXPECT_EQ(fm->TotalPage(TfmExploreBDD::pCRIT), 3);
    auto *tvCRITHaut = Controle<QTreeWidget>(fm.get(), "tvCRITHaut");
    ASSERT_EQ(tvCRITHaut->topLevelItemCount(), 1);
    tvCRITHaut->setCurrentItem(tvCRITHaut->topLevelItem(0)->child(0));
    EXPECT_EQ(fm->TotalPage(TfmExploreBDD::pCRIT), 1);

    fm->pcExploreBDD->setCurrentIndex(TfmExploreBDD::pMC);
    EXPECT_EQ(fm->TotalPage(TfmExploreBDD::pMC), 1);
    fm->pcExploreBDD->setCurrentIndex(TfmExploreBDD::pCDC);
    ASSERT_TRUE(tvCDC->currentItem());
    EXPECT_EQ(tvCDC->currentItem()->text(0), QStringLiteral("c"));
    EXPECT_EQ(fm->windowTitle(), QStringLiteral("Exploration de la base de données - Coups de coeur - 1 Image(s) / 1"));

    fm->pcExploreBDD->setCurrentIndex(TfmExploreBDD::pEXIF);
    fm->btEXIFOrdreValiderClick();
    EXPECT_TRUE(fm->ValeursEXIFLues());
    EXPECT_FALSE(fm->btEXIFOrdreValider->isEnabled());

    fm->pcExploreBDD->setCurrentIndex(TfmExploreBDD::pAudit);
    EXPECT_EQ(fm->windowTitle(), QStringLiteral("Audit de la base de données"));
    EXPECT_FALSE(Controle<QPushButton>(fm.get(), "btSvgTtesVig")->isEnabled());
    EXPECT_FALSE(Controle<QPushButton>(fm.get(), "btAlbumWEB")->isEnabled());
    ASSERT_TRUE(fm->tsAudit);
    EXPECT_EQ(fm->tsAudit->objectName(), QStringLiteral("tsAudit"));
    EXPECT_TRUE(qobject_cast<QVBoxLayout *>(fm->tsAudit->layout()));
    fm->close();
    fm.reset();

    EXPECT_FALSE(Contexte->iniSetup->Modifie());
    EXPECT_FALSE(Contexte->iniBDD->Modifie());
    ASSERT_TRUE(Contexte->SauveStores());
    EXPECT_EQ(LitFichier(Contexte->iniSetup->FileName()), Setup);
    EXPECT_EQ(LitFichier(Contexte->iniBDD->FileName()), BDD);
}

TEST_F(ExploreBDDFenetreTest, EmptyCatalogueShowsNothingAndDisablesExports)
{
    auto fm = Fenetre();
    fm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fm.get()));
    EXPECT_EQ(fm->windowTitle(),
              QStringLiteral("Exploration de la base de données - Base de données - 0 Image(s) / 0"));
    EXPECT_EQ(NbItems(Controle<QTreeWidget>(fm.get(), "tvBDD")), 0);
    EXPECT_FALSE(Controle<QPushButton>(fm.get(), "btSvgTtesVig")->isEnabled());
    EXPECT_FALSE(Controle<QPushButton>(fm.get(), "btAlbumWEB")->isEnabled());
    fm->pcExploreBDD->setCurrentIndex(TfmExploreBDD::pEXIF);
    fm->btEXIFOrdreValiderClick();
    EXPECT_EQ(NbItems(Controle<QTreeWidget>(fm.get(), "tvEXIFHaut")), 0);
}

TEST_F(ExploreBDDFenetreTest, LevelListRefusesToUncheckTheLastLevelAndMovesLevels)
{
    auto fm = Fenetre();
    QTreeWidget *t = fm->tvEXIFOrdre;
    std::vector<QTreeWidgetItem *> Niveaux;
    for (QTreeWidgetItem *p = t->topLevelItem(0); p; p = p->childCount() ? p->child(0) : nullptr)
        Niveaux.push_back(p);
    ASSERT_EQ(Niveaux.size(), 6u);
    EXPECT_EQ(Niveaux[4]->text(0), QStringLiteral("Date (prise de vue)"));
    EXPECT_FALSE(fm->btEXIFOrdreMonter->isEnabled());
    for (QTreeWidgetItem *p : Niveaux)
        p->setCheckState(0, Qt::Unchecked);
    EXPECT_EQ(Niveaux[5]->checkState(0), Qt::Checked);
    EXPECT_EQ(Niveaux[0]->checkState(0), Qt::Unchecked);

    t->setCurrentItem(Niveaux[5]);
    EXPECT_TRUE(fm->btEXIFOrdreMonter->isEnabled());
    EXPECT_FALSE(fm->btEXIFOrdreDescendre->isEnabled());
    fm->btEXIFOrdreMonter->click();
    // "ISO" went up one level, still checked, and the selection followed it.
    QTreeWidgetItem *pIso = t->currentItem();
    ASSERT_TRUE(pIso);
    EXPECT_EQ(pIso->text(0), QStringLiteral("ISO"));
    EXPECT_EQ(pIso->checkState(0), Qt::Checked);
    EXPECT_EQ(pIso->child(0)->text(0), QStringLiteral("Date (prise de vue)"));
    fm->btEXIFOrdreValDefClick();
    EXPECT_EQ(t->topLevelItem(0)->text(0), QStringLiteral("Appareil"));
    EXPECT_EQ(t->topLevelItem(0)->checkState(0), Qt::Checked);
}

namespace
{
struct ExploreBDDPrincipale : TBancFenetrePrincipale<>
{
};
} // namespace

TEST_F(ExploreBDDPrincipale, OpensFromTheToolsAndHandsItsTreesToTheFloatingThumbnail)
{
    CreeFenetre();
    auto *Feature = Fenetre->findChild<TExploreBDDKX *>();
    auto *PleinEcran = Fenetre->findChild<TPleinEcranKX *>();
    ASSERT_TRUE(Feature && PleinEcran);
    EXPECT_EQ(Controle<QPushButton>("btExploreBDD")->toolTip(),
              QStringLiteral("Exploration de la base de données, gestion fine des EXIF et audit"));
    const QList<QAction *> Outils = Feature->Actions(TEmplacementAction::OutilsDivers);
    ASSERT_EQ(Outils.size(), 1);
    EXPECT_EQ(Outils.front()->objectName(), QStringLiteral("miExploreBDD"));
    EXPECT_EQ(Outils.front()->text(), QStringLiteral("&Exploration de la base de données..."));

    QStringList Suivis;
    Feature->fnExecute = [&](TfmExploreBDD &fm) {
        fm.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&fm));
        for (QTreeWidget *t : PleinEcran->ArbresSuivis())
            Suivis << t->objectName();
    };
    Outils.front()->trigger();
    EXPECT_EQ(Suivis, (QStringList{"tvReps", "tvHistoCD", "tvBDD", "tvCRITBas", "tvMCBas", "tvCDC", "tvEXIFBas"}));
    // Closed, the window's trees are forgotten.
    EXPECT_FALSE(PleinEcran->ArbresSuivis().contains(nullptr));
    for (QTreeWidget *t : PleinEcran->ArbresSuivis())
        EXPECT_FALSE(t->objectName().startsWith(QStringLiteral("tvBDD")));
}

TEST_F(ExploreBDDPrincipale, F1GivesTheExplorersHelpAndItsClassificationTreesTheirTopic)
{
    CreeFenetre();
    auto *Feature = Fenetre->findChild<TExploreBDDKX *>();
    auto *Aide = Fenetre->findChild<TAideKX *>();
    ASSERT_TRUE(Feature && Aide);
    QSignalSpy Montrees(Aide, &TAideKX::AideMontree);
    Feature->fnExecute = [&](TfmExploreBDD &fm) {
        fm.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&fm));
        auto *Dossiers = fm.findChild<QTreeWidget *>(QStringLiteral("tvBDD"));
        auto *Criteres = fm.findChild<QTreeWidget *>(QStringLiteral("tvBDDVigsCrits"));
        ASSERT_TRUE(Dossiers && Criteres);
        // The pop-up topic first: the help window, once shown, takes the activation.
        fm.activateWindow();
        Criteres->setFocus();
        QTest::keyClick(&fm, Qt::Key_F1);
        // The topic's pop-up takes the next key to close itself.
        QWhatsThis::hideText();
        Dossiers->setFocus();
        QTest::keyClick(&fm, Qt::Key_F1);
    };
    Feature->Ouvre();
    ASSERT_EQ(Montrees.size(), 2);
    EXPECT_EQ(Montrees.at(0).at(0).toInt(), -16);
    EXPECT_EQ(Montrees.at(1).at(0).toInt(), 20);
    if (QWidget *w = Aide->Fenetre())
        w->close();
}

TEST_F(ExploreBDDFenetreTest, PoolGivesTheGridMetadataAndMissingThumbnailsWithoutCachingThem)
{
    Catalogue();
    auto fm = Fenetre();
    auto *plv = Controle<TPaneledListView>(fm.get(), "plvBDDVigs");
    auto *tvBDD = Controle<QTreeWidget>(fm.get(), "tvBDD");
    // "a" is listed at opening with no cached thumbnail: the pool makes them for the grid and
    // reads each file's size from its header.
    ASSERT_EQ(plv->Nombre(), 2);
    for (int n = 0; n < 200 && fm->ResultatsPage(TfmExploreBDD::pBDD) < 2; ++n)
        QTest::qWait(20);
    ASSERT_EQ(fm->ResultatsPage(TfmExploreBDD::pBDD), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(plv->Item(i)->AUneImage()) << i;
        EXPECT_EQ(fm->EntreesPage(TfmExploreBDD::pBDD)[size_t(i)].nLargeur, 40);
        EXPECT_EQ(fm->EntreesPage(TfmExploreBDD::pBDD)[size_t(i)].nHauteur, 30);
    }
    QDirIterator it(Contexte->Dossiers.cDossierVignettes, QDir::Files, QDirIterator::Subdirectories);
    EXPECT_FALSE(it.hasNext()) << it.next().toStdString();

    // Results for a grid that was filled again are dropped: only the new node's count.
    QTreeWidgetItem *c = nullptr;
    for (QTreeWidgetItemIterator i(tvBDD); *i; ++i)
        if ((*i)->text(0) == QStringLiteral("c"))
            c = *i;
    ASSERT_TRUE(c);
    tvBDD->setCurrentItem(c);
    for (int n = 0; n < 200 && fm->ResultatsPage(TfmExploreBDD::pBDD) < 1; ++n)
        QTest::qWait(20);
    QTest::qWait(50);
    EXPECT_EQ(plv->Nombre(), 1);
    EXPECT_EQ(fm->ResultatsPage(TfmExploreBDD::pBDD), 1);
    // Closing while the pool works ends its tasks first.
    tvBDD->setCurrentItem(tvBDD->topLevelItem(0));
    fm.reset();
}

TEST_F(ExploreBDDFenetreTest, SidePanesCollapseToAStripAndKeepTheirWidth)
{
    auto fm = Fenetre();
    fm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fm.get()));
    for (const char *cNom : {"pnArbresBDD", "pnVigsCritsEXIF"}) {
        auto *pn = Controle<TExpColPanel>(fm.get(), cNom);
        ASSERT_TRUE(pn) << cNom;
        const int nRef = pn->_LargHautRef();
        pn->set_PanelState(psCollapsed);
        EXPECT_EQ(pn->width(), TExpColPanel::nEpaisseurBande) << cNom;
        pn->set_PanelState(psExpanded);
        EXPECT_EQ(pn->width(), nRef) << cNom;
    }
    // The grid's pane is at least one row of thumbnails high.
    auto *pnVigs = Controle<TExpColPanel>(fm.get(), "pnVigsMC");
    auto *plv = Controle<TPaneledListView>(fm.get(), "plvMCVigs");
    ASSERT_TRUE(pnVigs && plv);
    EXPECT_GE(pnVigs->_LargHautRef(), plv->_ItemDim() + 42);
    EXPECT_EQ(pnVigs->height(), pnVigs->_LargHautRef());
}
