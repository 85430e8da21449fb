#include "metadata/GereDonGeneEtMD_fm.h"

#include "exploration/Exploration_fm.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "metadata/ChoixImages_fm.h"
#include "metadata/LectureMeta.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{
struct GereDonGeneEtMDTest : TBancFenetrePrincipale<>
{
    TGereDonGeneEtMDKX *Gere = nullptr;
    QString cPhotos;

    void Demarre(int nImages, bool lDescriptions = true)
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        for (int i = 0; i < nImages; ++i)
            ASSERT_TRUE(EcritJpeg(cPhotos + QStringLiteral("img%1.jpg").arg(i), 32, 24, Qt::darkCyan));
        CreeFenetre();
        Contexte->Parametres.lTrtDescription = lDescriptions;
        Gere = Fenetre->findChild<TGereDonGeneEtMDKX *>();
        ASSERT_NE(Gere, nullptr);
        MontreFenetre();
        auto *Expl = Fenetre->findChild<TExplorationKX *>();
        ASSERT_NE(Expl, nullptr);
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        ASSERT_EQ(Fenetre->Modele().Nombre(), nImages);
    }

    void Ouvre(const std::function<void(TfmGereDonGeneEtMD &)> &fnDans)
    {
        bool lOuverte = false;
        Gere->fnExecute = [&](TfmGereDonGeneEtMD &f) {
            lOuverte = true;
            f.show();
            fnDans(f);
            f.close();
        };
        Gere->Ouvre();
        EXPECT_TRUE(lOuverte);
    }
};
}

TEST_F(GereDonGeneEtMDTest, EntryOnlyInUpdateModeAndControlsFollowTheSource)
{
    Demarre(3);
    Fenetre->Selection().MetModeMAJ(false);
    EXPECT_TRUE(Gere->Actions(TEmplacementAction::OutilsDivers).isEmpty());
    Fenetre->Selection().MetModeMAJ(true);
    const auto Actions = Gere->Actions(TEmplacementAction::OutilsDivers);
    ASSERT_EQ(Actions.size(), 1);
    EXPECT_EQ(Actions[0]->text(), QStringLiteral("&Gérer les données générales et méta-données..."));

    Ouvre([&](TfmGereDonGeneEtMD &f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Gestion des données générales et méta-données"));
        EXPECT_TRUE(f.rbCopier->isChecked());
        EXPECT_EQ(f.ChoixImages->stNbImgSel->text(), "0/3");
        EXPECT_FALSE(f.btTraiter->isEnabled());
        EXPECT_FALSE(f.edCopSrcConst->isEnabled());
        EXPECT_FALSE(f.btCopDstMC->isEnabled());
        EXPECT_FALSE(f.btSupMC->isEnabled());

        f.btCopSrcMCIPTC->click();
        f.btCopDstMC->click();
        EXPECT_TRUE(f.btCopDstMC->isChecked());
        EXPECT_FALSE(f.btCopDstMCIPTC->isEnabled());
        EXPECT_TRUE(f.btCopDstCatIPTC->toolTip().contains("1° élément dans la <SG>Catégorie</SG/>"));
        // Another source that cannot go to keywords raises that destination.
        f.btCopSrcCH->click();
        EXPECT_FALSE(f.btCopDstMC->isEnabled());
        EXPECT_FALSE(f.btCopDstMC->isChecked());
        EXPECT_TRUE(f.btCopDstCatIPTC->isEnabled());

        f.btCopSrcConst->click();
        EXPECT_TRUE(f.edCopSrcConst->isEnabled());
        EXPECT_TRUE(f.btCopDstCatIPTC->toolTip().contains(
            "Texte dans la <SG>Catégorie</SG/> ; <SG>Cat. Suppl.</SG/> effacées."));
        f.btCopDstMC->click();
        f.ChoixImages->btSelToutes->click();
        EXPECT_EQ(f.ChoixImages->stNbImgSel->text(), "3/3");
        EXPECT_FALSE(f.btTraiter->isEnabled()); // the constant is still blank
        f.edCopSrcConst->setText("mer");
        EXPECT_EQ(f.edCopSrcConst->toolTip(), "mer");
        EXPECT_TRUE(f.btTraiter->isEnabled());
        f.ChoixImages->btSelAucune->click();
        EXPECT_FALSE(f.btTraiter->isEnabled());

        f.rbSupprimer->click();
        EXPECT_FALSE(f.btCopSrcConst->isEnabled());
        EXPECT_TRUE(f.btSupMCIPTC->isEnabled());
        EXPECT_EQ(f.btSupMCIPTC->toolTip(), "Pour les images <SG>JPEG</SG/> seulement");
        EXPECT_TRUE(f.btSupDes->isVisible());
    });
}

TEST_F(GereDonGeneEtMDTest, TraiterWritesReportsAndTellsEachChangedImage)
{
    Demarre(2);
    Fenetre->Selection().MetModeMAJ(true);
    QSignalSpy Classement(&Fenetre->Selection(), &TSelectionKX::ClassementChange);
    const qint64 nTailleAvant = Fenetre->Modele().Enr(0).nTaille;
    Ouvre([&](TfmGereDonGeneEtMD &f) {
        f.btCopSrcConst->click();
        f.edCopSrcConst->setText("mer plage mer");
        f.btCopDstMC->click();
        f.btCopDstMCIPTC->click();
        f.ChoixImages->Modele().MetCoche(0, true);
        // Non: nothing happens.
        Messages->Reponses = {false};
        EXPECT_FALSE(f.btTraiterClick());
        EXPECT_EQ(Messages->Montres.last().cTexte,
                  "Traiter les 1 image(s) sélectionnée(s) avec les paramètres choisis ?");
        Messages->Reponses = {true};
        EXPECT_TRUE(f.btTraiterClick());
        EXPECT_EQ(Messages->Montres.last().cTitre, "Information");
        EXPECT_EQ(Messages->Montres.last().cTexte,
                  "Certains Mots-clés n'ont pas été mis à jour correctement.\nTraitement terminé avec succès.");
        EXPECT_TRUE(f.QuelqueChoseTraite());
    });
    const TEnrLV &e = Fenetre->Modele().Enr(0);
    EXPECT_EQ(Contexte->iniSetup->ReadString(cSectionMotsCles, e.Cle(), {}), "PLAGE MER");
    EXPECT_FALSE(Contexte->iniSetup->ValueExists(cSectionMotsCles, Fenetre->Modele().Enr(1).Cle()));
    // The row holds the file's new size and IPTC.
    EXPECT_EQ(e.cMotsClesIPTC, "mer plage mer");
    EXPECT_EQ(e.nTaille, QFileInfo(e.CheminComplet()).size());
    EXPECT_NE(e.nTaille, nTailleAvant);
    ASSERT_EQ(Classement.size(), 1);
    EXPECT_EQ(Classement[0][0].toString(), e.Cle());
}

TEST_F(GereDonGeneEtMDTest, WithoutDescriptionsTheirButtonsAreHidden)
{
    Demarre(1, false);
    Ouvre([&](TfmGereDonGeneEtMD &f) {
        EXPECT_FALSE(f.btCopSrcDes->isVisible());
        EXPECT_FALSE(f.btCopDstDes->isVisible());
        EXPECT_FALSE(f.btSupDes->isVisible());
        EXPECT_TRUE(f.btCopDstLeg->isVisible());
    });
}
