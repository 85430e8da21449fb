#include "cdhistory/HistoCDIndexerCD_fm.h"
#include "calendar/PleinEcran_fm.h"
#include "cdhistory/HistoCD_fm.h"
#include "components/FolderTreeView.h"
#include "components/GaugeWindow.h"
#include "components/PanneauImage.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "imaging/NomVignette.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <utime.h>

namespace
{
constexpr quint32 nSerie = 0x8A3F0001u;

struct HistoCDTest : TBancFenetrePrincipale<>
{
    THistoCDKX *Histo = nullptr;
    TListeImagesKX *Liste = nullptr;
    TVolumesFactices *Volumes = nullptr;
    QString cDisque;

    void SetUp() override
    {
        cDisque = Temp.filePath("cd") + "/";
        CreeFenetre();
        Histo = Fenetre->findChild<THistoCDKX *>();
        Liste = Fenetre->findChild<TListeImagesKX *>();
        Volumes = dynamic_cast<TVolumesFactices *>(Contexte->Volumes.get());
        ASSERT_TRUE(Histo && Liste && Volumes);
        MontreFenetre();
    }
    void Historique(const QString &cChemin, qint64 nTaille = 1000)
    {
        Contexte->iniSetup->WriteString(cSectionTaillesVignettes, CleImage(qint32(nSerie), cChemin),
                                        QString::number(nTaille));
    }
    void HistoriqueDCIM()
    {
        Historique("/DCIM/A.JPG");
        Historique("/DCIM/SUB/B.JPG");
        Historique("/DCIM/C.JPG");
    }
    void MontreCDs() { Fenetre->MontrePage(Fenetre->PageHistoCD()); }
    void MontreExploration() { Fenetre->MontrePage(Fenetre->PageExploration()); }
    QTreeWidgetItem *Item(const QStringList &Textes)
    {
        QTreeWidgetItem *p = Histo->tvHistoCD->topLevelItem(0);
        for (const QString &c : Textes) {
            QTreeWidgetItem *pEnfant = nullptr;
            for (int i = 0; p && i < p->childCount(); ++i)
                if (p->child(i)->text(0) == c)
                    pEnfant = p->child(i);
            p = pEnfant;
        }
        return p;
    }
    QStringList Listees() const
    {
        QStringList l;
        for (int i = 0; i < Liste->Modele().Nombre(); ++i)
            l << Liste->Modele().Enr(i).cChemin;
        l.sort();
        return l;
    }
};
} // namespace

TEST_F(HistoCDTest, ThePageListsTheSelectedFolderAndComesBackToIt)
{
    HistoriqueDCIM();
    Contexte->iniSetup->WriteString(cSectionLabelsCD, "8a3f-1", "PHOTOS");
    MontreCDs();
    QTreeWidget *tv = Histo->tvHistoCD;
    ASSERT_EQ(tv->topLevelItemCount(), 1);
    EXPECT_EQ(tv->topLevelItem(0)->text(0), "CDs");
    EXPECT_TRUE(tv->topLevelItem(0)->isExpanded());
    EXPECT_EQ(tv->currentItem(), tv->topLevelItem(0));
    EXPECT_EQ(Liste->Modele().Nombre(), 0) << "the root lists nothing";
    ASSERT_TRUE(Item({"8a3f-1 - \"PHOTOS\"", "DCIM", "SUB"}));

    tv->setCurrentItem(Item({"8a3f-1 - \"PHOTOS\"", "DCIM"}));
    EXPECT_EQ(Listees(), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG"}));
    EXPECT_EQ(Liste->Modele().nMode, TModeListe::HistoriqueCD);
    tv->setCurrentItem(Item({"8a3f-1 - \"PHOTOS\"", "DCIM", "SUB"}));
    EXPECT_EQ(Listees(), QStringList({"/DCIM/SUB/B.JPG"}));

    // Leaving on SUB and coming back selects SUB again, and lists it.
    MontreExploration();
    EXPECT_EQ(Histo->Place().cDossier, "/DCIM/SUB/");
    Historique("/AUTRE/D.JPG");
    MontreCDs();
    ASSERT_TRUE(tv->currentItem());
    EXPECT_EQ(tv->currentItem()->text(0), "SUB");
    EXPECT_TRUE(Item({"8a3f-1 - \"PHOTOS\"", "AUTRE"})) << "the tree is rebuilt from the store";
    EXPECT_EQ(Listees(), QStringList({"/DCIM/SUB/B.JPG"}));

    // "Récursivité" down: a click lists nothing until "Explorer".
    Histo->btHistoLectRecurs->click();
    tv->setCurrentItem(Item({"8a3f-1 - \"PHOTOS\"", "DCIM"}));
    EXPECT_EQ(Listees(), QStringList({"/DCIM/SUB/B.JPG"}));
    Histo->btHistoExplorer->click();
    EXPECT_EQ(Listees(), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG", "/DCIM/SUB/B.JPG"}));
    // Released, it lists the node alone at once.
    Histo->btHistoLectRecurs->click();
    EXPECT_EQ(Listees(), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG"}));
    EXPECT_TRUE(Messages->Montres.isEmpty());
}

TEST_F(HistoCDTest, HintsFollowTheMouseAndThePopUpItsNode)
{
    HistoriqueDCIM();
    MontreCDs();
    QTreeWidget *tv = Histo->tvHistoCD;
    QTreeWidgetItem *pDCIM = Item({"8a3f-1", "DCIM"});
    ASSERT_TRUE(pDCIM);
    Item({"8a3f-1"})->setExpanded(true);
    auto Survole = [&](QTreeWidgetItem *p) {
        const QPoint pt = p ? tv->visualItemRect(p).center() : QPoint(5, tv->viewport()->height() - 3);
        QMouseEvent e(QEvent::MouseMove, pt, tv->viewport()->mapToGlobal(pt), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(tv->viewport(), &e);
        return tv->toolTip();
    };
    EXPECT_EQ(Survole(tv->topLevelItem(0)), "1 CDs");
    EXPECT_EQ(Survole(Item({"8a3f-1"})), "8a3f-1 - 3 image(s)");
    EXPECT_EQ(Survole(pDCIM), "DCIM - 2 image(s) / 3");
    EXPECT_EQ(Survole(nullptr), "");

    // Unfolding needs children; indexing, the update mode.
    tv->setCurrentItem(Item({"8a3f-1", "DCIM", "SUB"}));
    Fenetre->Selection().MetModeMAJ(false);
    Histo->MajPopup();
    EXPECT_FALSE(Histo->miHistoCDDeplier->isEnabled());
    EXPECT_FALSE(Histo->miHistoCDIndexer->isEnabled());
    tv->setCurrentItem(Item({"8a3f-1"}));
    tv->collapseAll();
    Fenetre->Selection().MetModeMAJ(true);
    Histo->MajPopup();
    EXPECT_TRUE(Histo->miHistoCDDeplier->isEnabled());
    EXPECT_TRUE(Histo->miHistoCDIndexer->isEnabled());
    Histo->miHistoCDDeplier->trigger();
    EXPECT_TRUE(pDCIM->isExpanded());
    EXPECT_EQ(Histo->miHistoCDDeplier->text(), "&Déplier entièrement le noeud");
    EXPECT_EQ(Histo->miHistoCDIndexer->text(), "&Indexer un CD...");
}

TEST_F(HistoCDTest, TheDialogOffersDiscsOnlyAndItsButtonsFollowTheTypes)
{
    {
        // No disc in a drive: nothing to index.
        TfmHistoCDIndexerCD d(*Contexte, 60, Fenetre.get());
        EXPECT_EQ(d.windowTitle(), "Indexer le CD...");
        EXPECT_EQ(d.tvCD->topLevelItemCount(), 0);
        EXPECT_FALSE(d.btOK->isEnabled());
        EXPECT_FALSE(d.btCompter->isEnabled());
    }
    ASSERT_TRUE(EcritJpeg(cDisque + "DCIM/A.JPG", 40, 30, Qt::red));
    ASSERT_TRUE(EcritJpeg(cDisque + "DCIM/b.jpeg", 40, 30, Qt::red));
    Volumes->AjouteCD(cDisque, nSerie, "PHOTOS");
    // A CD drive without disc is not offered.
    Volumes->AjouteCD(Temp.filePath("vide"), 0);
    TfmHistoCDIndexerCD d(*Contexte, 60, Fenetre.get());
    ASSERT_EQ(d.tvCD->topLevelItemCount(), 1);
    EXPECT_TRUE(d.tvCD->topLevelItem(0)->text(0).endsWith("8a3f-1 - \"PHOTOS\""));
    EXPECT_EQ(d.lbTypes->count(), 10);
    EXPECT_EQ(d.NbCoches(), 10);
    EXPECT_TRUE(d.cbRecrVigExist->isChecked());
    EXPECT_TRUE(d.btOK->isEnabled());

    d.btAucun->click();
    EXPECT_EQ(d.NbCoches(), 0);
    EXPECT_FALSE(d.btOK->isEnabled());
    EXPECT_FALSE(d.btCompter->isEnabled());
    d.lbTypes->item(8)->setCheckState(Qt::Checked); // ".TIF"
    EXPECT_TRUE(d.btOK->isEnabled());
    d.btCompter->click();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres.back().cTitre, "Information");
    EXPECT_EQ(Messages->Montres.back().cTexte, "0 Image(s) à traiter.");
    // Nothing to index: said, and the dialog ends as cancelled.
    d.btOK->click();
    EXPECT_EQ(Messages->Montres.back().cTexte, "Aucune image à traiter.");
    EXPECT_EQ(d.result(), QDialog::Rejected);

    d.btTous->click();
    d.btCompter->click();
    EXPECT_EQ(Messages->Montres.back().cTexte, "2 Image(s) à traiter.");
}

TEST_F(HistoCDTest, AnIndexedDiscListsFromTheCacheOnceItsFolderIsGone)
{
    ASSERT_TRUE(EcritJpeg(cDisque + "DCIM/A.JPG", 200, 150, Qt::red, 3000));
    ASSERT_TRUE(EcritJpeg(cDisque + "DCIM/SUB/B.JPG", 90, 120, Qt::green));
    ASSERT_TRUE(EcritJpeg(cDisque + "DCIM/C.JPG", 120, 90, Qt::blue));
    utimbuf t{1150000000, 1150000000};
    ASSERT_EQ(::utime(QFile::encodeName(cDisque + "DCIM/A.JPG").constData(), &t), 0);
    const qint64 nTailleA = QFileInfo(cDisque + "DCIM/A.JPG").size();
    Volumes->AjouteCD(cDisque, nSerie, "PHOTOS");
    {
        TfmHistoCDIndexerCD d(*Contexte, 60, Fenetre.get());
        EXPECT_TRUE(d.Indexe());
        EXPECT_FALSE(d.Jauge().Fenetre() && d.Jauge().Fenetre()->isVisible());
    }
    EXPECT_FALSE(Contexte->iniSetup->Modifie()) << "saved once the indexing ended";
    EXPECT_EQ(Contexte->iniSetup->ReadString(cSectionLabelsCD, "8a3f-1", ""), "PHOTOS");

    // The disc leaves: its folder is gone and it is no longer mounted.
    Volumes->Retire(cDisque);
    ASSERT_TRUE(QDir(cDisque).removeRecursively());
    MontreCDs();
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1 - \"PHOTOS\"", "DCIM"}));
    ASSERT_EQ(Listees(), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG"}));
    const TModeleListeImages &m = Liste->Modele();
    for (int i = 0; i < m.Nombre(); ++i) {
        const TEnrLV &e = m.Enr(i);
        EXPECT_FALSE(e.lExiste);
        const TVignetteCompacte v = m.Vignette(i);
        ASSERT_FALSE(v.Vide()) << e.cChemin.toStdString();
        // The cached thumbnail, not the square drawn for a missing picture.
        EXPECT_NE(v.Taille().width(), v.Taille().height()) << e.cChemin.toStdString();
        if (e.cChemin == "/DCIM/A.JPG") {
            EXPECT_EQ(e.nTaille, nTailleA);
            EXPECT_EQ(e.nDate, 1150000000);
            EXPECT_EQ(e.nLargeur, 200);
            EXPECT_EQ(e.nHauteur, 150);
        }
    }
    // The image pane tells the disc is missing.
    const int nCourante = Liste->LigneCourante();
    ASSERT_GE(nCourante, 0);
    EXPECT_EQ(Fenetre->PanneauImage()->Image(), ImageNonTrouvee(200, "8a3f-1", "PHOTOS"));
    EXPECT_TRUE(Messages->Montres.isEmpty());
}

TEST_F(HistoCDTest, TheFloatingThumbnailShowsTheCachedImagesOfANodeAndFollowsTheDialogTree)
{
    HistoriqueDCIM();
    // Only C has a cached thumbnail; the CD is not read.
    ASSERT_TRUE(EcritJpeg(NomVignette(Contexte->Dossiers.cDossierVignettes, qint32(nSerie), "/DCIM/C.JPG"), 160, 120,
                          Qt::blue));
    Contexte->Parametres.vfGene_lActive = true;
    Contexte->Parametres.vfGene_nQuelleImg = 0;
    Contexte->Parametres.vfGene_lAussiDepuisCD = false;
    auto *PleinEcran = Fenetre->findChild<TPleinEcranKX *>();
    ASSERT_NE(PleinEcran, nullptr);
    PleinEcran->MajVignetteFlottante();
    TfmVignetteFlottante *vf = PleinEcran->VignetteFlottante();
    ASSERT_NE(vf, nullptr);
    MontreCDs();
    Item({"8a3f-1"})->setExpanded(true);
    QTreeWidgetItem *pDCIM = Item({"8a3f-1", "DCIM"});
    ASSERT_TRUE(pDCIM);
    const QRect r = Histo->tvHistoCD->visualItemRect(pDCIM);
    vf->SuivreSouris(Histo->tvHistoCD, {r.left() + 30, r.center().y()});
    ASSERT_TRUE(vf->AttendChargement());
    EXPECT_TRUE(vf->isVisible());
    EXPECT_EQ(vf->TexteNombre(), QStringLiteral("1°/2 Image(s)"));
    EXPECT_EQ(vf->TexteNom(), QStringLiteral("C.JPG"));

    auto d = std::make_unique<TfmHistoCDIndexerCD>(*Contexte, 60, Fenetre.get());
    EXPECT_TRUE(vf->Suit(d->tvCD));
}
