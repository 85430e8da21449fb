#include "cdhistory/HistoCDImgSsCrit_fm.h"
#include "cdhistory/HistoCDRemplacerCD_fm.h"
#include "cdhistory/HistoCD_fm.h"
#include "components/FolderTreeView.h"
#include "components/PaneledListView.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
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
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace
{
constexpr quint32 nSerie = 0x8A3F0001u; // "8a3f-1"
constexpr quint32 nAutre = 0x00120034u; // "12-34", another disc of the history
constexpr quint32 nCopie = 0x0BAD0F00u; // "bad-f00", a copy in a drive, unknown to the history

struct MaintenanceCDTest : TBancFenetrePrincipale<>
{
    THistoCDKX *Histo = nullptr;
    TVolumesFactices *Volumes = nullptr;

    void SetUp() override
    {
        CreeFenetre();
        Histo = Fenetre->findChild<THistoCDKX *>();
        Volumes = dynamic_cast<TVolumesFactices *>(Contexte->Volumes.get());
        ASSERT_TRUE(Histo && Volumes);
        Fenetre->Selection().MetModeMAJ(true);
        MontreFenetre();
    }
    void Image(quint32 nVolume, const QString &cChemin)
    {
        const QString cCle = CleImage(qint32(nVolume), cChemin);
        Contexte->iniSetup->WriteString(cSectionTaillesVignettes, cCle, "2048");
        Contexte->iniSetup->WriteString(cSectionResolutionsVignettes, cCle, QString::number(64 + 65536 * 48));
        const QString cVignette = NomVignette(Contexte->Dossiers.cDossierVignettes, qint32(nVolume), cChemin);
        QDir().mkpath(QFileInfo(cVignette).absolutePath());
        EcritJpeg(cVignette, 64, 48, Qt::red);
    }
    QString Disque(const QString &cNom)
    {
        const QString c = Temp.filePath(cNom) + "/";
        QDir().mkpath(c);
        return c;
    }
    void MontreCDs() { Fenetre->MontrePage(Fenetre->PageHistoCD()); }
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
    QList<bool> Etats()
    {
        Histo->MajPopup();
        return {Histo->miHistoCDIndexer->isEnabled(),          Histo->miHistoCDRecreer->isEnabled(),
                Histo->miHistoCDSupprimer->isEnabled(),        Histo->miHistoCDSupprimerDos->isEnabled(),
                Histo->miHistoCDSupprimerDosFils->isEnabled(), Histo->miHistoCDSupprimerObs->isEnabled(),
                Histo->miHistoCDImgSsCrit->isEnabled(),        Histo->miHistoCDRemplacer->isEnabled()};
    }
};
} // namespace

TEST_F(MaintenanceCDTest, PopUpEntriesFollowTheNodeTheModeAndTheDisc)
{
    Image(nSerie, "/A.JPG");
    Image(nSerie, "/DCIM/B.JPG");
    MontreCDs();
    const bool o = true, n = false;
    Histo->tvHistoCD->setCurrentItem(Item({}));
    EXPECT_EQ(Etats(), (QList<bool>{o, n, n, n, n, n, n, n})) << "the root";
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1"}));
    EXPECT_EQ(Etats(), (QList<bool>{o, n, o, o, o, o, o, o})) << "a CD node with an image, disc absent";
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1", "DCIM"}));
    EXPECT_EQ(Etats(), (QList<bool>{o, n, o, o, o, n, n, n})) << "a folder";
    // The disc in a drive with the first image on it: the remake is offered.
    const QString cDisque = Disque("cd");
    QDir().mkpath(cDisque + "DCIM");
    EcritJpeg(cDisque + "DCIM/B.JPG", 64, 48, Qt::blue);
    Volumes->AjouteCD(cDisque, nSerie);
    EXPECT_TRUE(Etats()[1]);
    Fenetre->Selection().MetModeMAJ(false);
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1"}));
    EXPECT_EQ(Etats(), (QList<bool>{n, n, n, n, n, n, o, n})) << "consultation: only the listing";
}

TEST_F(MaintenanceCDTest, RemovingAFolderAsksThenRebuildsTheTree)
{
    Image(nSerie, "/A.JPG");
    Image(nSerie, "/DCIM/B.JPG");
    Image(nAutre, "/C.JPG");
    MontreCDs();
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1"}));
    Messages->Reponses = {false};
    Histo->miHistoCDSupprimerDosFils->trigger();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
    EXPECT_TRUE(Messages->Montres[0].cTexte.startsWith("CD : 8a3f-1, Dossier : <RACINE !!!>\r\n"));
    EXPECT_TRUE(Contexte->iniSetup->ValueExists(cSectionTaillesVignettes, CleImage(qint32(nSerie), "/A.JPG")));

    Messages->Reponses = {true};
    Histo->miHistoCDSupprimerDosFils->trigger();
    EXPECT_EQ(Messages->Montres.back().cTitre, "Information");
    EXPECT_EQ(Messages->Montres.back().cTexte, "2 Image(s) supprimée(s).");
    EXPECT_FALSE(Item({"8a3f-1"})) << "the CD left the tree";
    EXPECT_TRUE(Item({"12-34"}));
    TBigIniFile s(Contexte->iniSetup->FileName());
    EXPECT_FALSE(s.ValueExists(cSectionTaillesVignettes, CleImage(qint32(nSerie), "/A.JPG"))) << "saved";

    // Obsolete images of a disc not in a drive: the error, nothing else.
    Messages->Montres.clear();
    Histo->tvHistoCD->setCurrentItem(Item({"12-34"}));
    Messages->Reponses = {true};
    Histo->miHistoCDSupprimerObs->trigger();
    ASSERT_EQ(Messages->Montres.size(), 2);
    EXPECT_EQ(Messages->Montres[0].cTexte, "Suppression des Images obsolètes (de tout le CD 12-34) ?");
    EXPECT_EQ(Messages->Montres[1].cTitre, "Erreur");
    EXPECT_EQ(Messages->Montres[1].cTexte, "Le CD 12-34 n'est pas présent dans le lecteur.");
}

TEST_F(MaintenanceCDTest, UnclassifiedWindowListsTheImagesWithTheirColumns)
{
    Image(nSerie, "/b.jpg");
    Image(nSerie, "/DCIM/A.JPG");
    Image(nSerie, "/classee.jpg");
    Contexte->iniBDD->WriteString(CleImage(qint32(nSerie), "/classee.jpg"), "Lieux", "1");
    Contexte->iniSetup->WriteString(cSectionLabelsCD, "8a3f-1", "PHOTOS");
    MontreCDs();
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1 - \"PHOTOS\""}));
    bool lVue = false;
    Histo->fnExecute = [&](QDialog &d) {
        auto *f = qobject_cast<TfmHistoCDImgSsCrit *>(&d);
        EXPECT_TRUE(f);
        if (!f)
            return 0;
        lVue = true;
        EXPECT_EQ(f->windowTitle(), "2 Image(s) sans Critère sur le CD 8a3f-1 - \"PHOTOS\"");
        QTreeWidget *lv = f->findChild<QTreeWidget *>("lvImgSsCrit");
        TPaneledListView *plv = f->findChild<TPaneledListView *>("plvImgSsCrit");
        EXPECT_TRUE(lv && plv && f->findChild<QPushButton *>("btQuitter"));
        if (!lv || !plv)
            return 0;
        EXPECT_EQ(lv->headerItem()->text(2), "Résol.");
        EXPECT_EQ(lv->topLevelItemCount(), 2);
        EXPECT_EQ(lv->topLevelItem(0)->text(0), "b.jpg");
        EXPECT_EQ(lv->topLevelItem(1)->text(1), "/DCIM/");
        EXPECT_EQ(lv->topLevelItem(1)->text(2), "64x48");
        EXPECT_FALSE(lv->topLevelItem(1)->text(4).isEmpty());
        // The grid shows the selected row from its thumbnail.
        EXPECT_EQ(lv->currentItem(), lv->topLevelItem(0));
        EXPECT_EQ(plv->Nombre(), 1);
        lv->setCurrentItem(lv->topLevelItem(1));
        EXPECT_EQ(plv->Item(0)->cTitre(), "A.JPG");
        EXPECT_TRUE(plv->Item(0)->AUneImage());
        return 1;
    };
    Histo->miHistoCDImgSsCrit->trigger();
    EXPECT_TRUE(lVue);

    Contexte->iniSetup->WriteString(cSectionMotsCles, CleImage(qint32(nSerie), "/b.jpg"), "x");
    Contexte->iniSetup->WriteString(cSectionLegendes, CleImage(qint32(nSerie), "/DCIM/A.JPG"), "y");
    lVue = false;
    Histo->miHistoCDImgSsCrit->trigger();
    EXPECT_FALSE(lVue);
    EXPECT_EQ(Messages->Montres.back().cTexte, "Aucune image à traiter.");
}

TEST_F(MaintenanceCDTest, ReplacementWindowOffersOtherCDsAndUnknownDiscs)
{
    Image(nSerie, "/DCIM/A.JPG");
    Image(nAutre, "/DCIM/A.JPG");
    Contexte->iniSetup->WriteString(cSectionMotsCles, CleImage(qint32(nSerie), "/DCIM/A.JPG"), "source");
    // In the drives: the source disc itself under another label, and an unknown copy.
    Volumes->AjouteCD(Disque("src"), nSerie, "AUTRE TEXTE");
    Volumes->AjouteCD(Disque("copie"), nCopie, "COPIE");
    MontreCDs();
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1"}));
    TfmHistoCDRemplacerCD f(
        *Contexte, 96, qint32(nSerie), "8a3f-1", *[&] {
            static TArboCD a;
            a = ConstruitArboCD(*Contexte->iniSetup, {});
            return &a;
        }());
    EXPECT_EQ(f.windowTitle(), "Remplacer le CD 8a3f-1 par le CD...");
    ASSERT_EQ(f.tvCDDejaReference->topLevelItemCount(), 1);
    EXPECT_EQ(f.tvCDDejaReference->topLevelItem(0)->text(0), "12-34");
    EXPECT_EQ(f.tvCDDejaReference->topLevelItem(0)->toolTip(0), "12-34 - 1 image(s)");
    ASSERT_EQ(f.tvCDPresentDansLecteur->topLevelItemCount(), 1) << "the source disc is left out by its serial";
    EXPECT_TRUE(f.tvCDPresentDansLecteur->topLevelItem(0)->text(0).contains("bad-f00"));
    EXPECT_EQ(f.tvCDPresentDansLecteur->topLevelItem(0)->childCount(), 0);

    // The radio buttons enable their tree only.
    EXPECT_TRUE(f.rbCDDejaReference->isChecked());
    EXPECT_TRUE(f.tvCDDejaReference->isEnabled());
    EXPECT_FALSE(f.tvCDPresentDansLecteur->isEnabled());
    EXPECT_FALSE(f.btRafrCDPresents->isEnabled());
    EXPECT_TRUE(f.btDifferences->isEnabled());
    f.rbCDPresentDansLecteur->setChecked(true);
    EXPECT_FALSE(f.tvCDDejaReference->isEnabled());
    EXPECT_TRUE(f.tvCDPresentDansLecteur->isEnabled());
    EXPECT_TRUE(f.btRafrCDPresents->isEnabled());
    EXPECT_FALSE(f.btDifferences->isEnabled());
    EXPECT_TRUE(f.btOK->isEnabled());

    // Same paths: no difference.
    f.rbCDDejaReference->setChecked(true);
    f.btDifferences->click();
    EXPECT_EQ(Messages->Montres.back().cTexte, "Pas de différence.");
    Image(nAutre, "/D.JPG");
    bool lDiff = false;
    f.fnExecute = [&](QDialog &d) {
        auto *g = qobject_cast<TfmHistoCDRemplacerCDDiff *>(&d);
        EXPECT_TRUE(g);
        if (!g)
            return 0;
        lDiff = true;
        EXPECT_EQ(g->windowTitle(), "Différences entre les CDs Source et Destination (1 Image(s) commune(s))");
        EXPECT_EQ(g->gbDansSrcExcl->title(), "0 Image(s) référencée(s) sur le CD 'SOURCE' (8a3f-1) exclusivement");
        EXPECT_EQ(g->gbDansDstExcl->title(), "1 Image(s) référencée(s) sur le CD 'DESTINATION' (12-34 - \"\") "
                                             "exclusivement");
        EXPECT_EQ(g->lvDansDstExcl->lv->topLevelItem(0)->text(0), "D.JPG");
        return 1;
    };
    f.btDifferences->click();
    EXPECT_TRUE(lDiff);

    // To the copy in the drive: two Yes... only one question for a disc not in the history.
    f.rbCDPresentDansLecteur->setChecked(true);
    Messages->Montres.clear();
    Messages->Reponses = {true};
    f.btOK->click();
    ASSERT_GE(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTexte, "Remplacer le CD 8a3f-1 par le CD...\r\nbad-f00 - \"COPIE\" ?");
    EXPECT_EQ(f.result(), QDialog::Accepted);
    TBigIniFile s(Contexte->iniSetup->FileName());
    EXPECT_EQ(s.ReadString(cSectionMotsCles, CleImage(qint32(nCopie), "/DCIM/A.JPG"), ""), "source");
    EXPECT_EQ(s.ReadString(cSectionLabelsCD, "bad-f00", ""), "COPIE");
    EXPECT_TRUE(QFileInfo::exists(NomVignette(Contexte->Dossiers.cDossierVignettes, qint32(nCopie), "/DCIM/A.JPG")));
}

TEST_F(MaintenanceCDTest, RemakeRedoesReachableThumbnailsAndLeavesTheOthers)
{
    Image(nSerie, "/DCIM/A.JPG");
    Image(nSerie, "/DCIM/B.JPG");
    const QString cDisque = Disque("cd");
    QDir().mkpath(cDisque + "DCIM");
    // A's file is on the disc, B's is not: B's thumbnail is then its only picture.
    ASSERT_TRUE(EcritJpeg(cDisque + "DCIM/A.JPG", 200, 100, Qt::green));
    Volumes->AjouteCD(cDisque, nSerie);
    const QString cVigA = NomVignette(Contexte->Dossiers.cDossierVignettes, qint32(nSerie), "/DCIM/A.JPG");
    const QString cVigB = NomVignette(Contexte->Dossiers.cDossierVignettes, qint32(nSerie), "/DCIM/B.JPG");
    auto Octets = [](const QString &c) {
        QFile f(c);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray AvantA = Octets(cVigA), AvantB = Octets(cVigB);
    MontreCDs();
    Histo->tvHistoCD->setCurrentItem(Item({"8a3f-1", "DCIM"}));
    ASSERT_EQ(Fenetre->findChild<TListeImagesKX *>()->Modele().Nombre(), 2);
    Histo->MajPopup();
    ASSERT_TRUE(Histo->miHistoCDRecreer->isEnabled());
    Messages->Montres.clear();
    Histo->miHistoCDRecreer->trigger();
    EXPECT_NE(Octets(cVigA), AvantA) << "remade from the disc's file";
    EXPECT_EQ(Octets(cVigB), AvantB);
    ASSERT_EQ(Messages->Montres.size(), 1) << "no question, one notice";
    EXPECT_EQ(Messages->Montres[0].cTexte, "1 image(s) n'ont(a) pas été traitée(s).");
    TBigIniFile s(Contexte->iniSetup->FileName());
    EXPECT_EQ(s.ReadString(cSectionResolutionsVignettes, CleImage(qint32(nSerie), "/DCIM/A.JPG"), ""),
              QString::number(200 + 65536 * 100));
}
