#include "filters/BoutonFiltres_fm.h"

#include "components/GaugeWindow.h"
#include "components/TacheLongue.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QDir>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
struct ColorMotifListeTest : TBancFenetrePrincipale<>
{
    TExplorationKX *Expl = nullptr;
    TListeImagesKX *Liste = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        // A folder never listed: none of its images has a thumbnail yet.
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        const QList<std::pair<const char *, QColor>> Images = {{"rouge1.jpg", Qt::red},
                                                               {"bleu1.jpg", Qt::blue},
                                                               {"rouge2.jpg", QColor(220, 20, 10)},
                                                               {"vert.jpg", Qt::green},
                                                               {"rouge3.jpg", QColor(255, 40, 40)}};
        for (const auto &[c, Couleur] : Images) {
            QImage im(400, 300, QImage::Format_RGB32);
            im.fill(Couleur);
            ASSERT_TRUE(JpegCodec::Encode(im, cPhotos + c));
        }
        CreeFenetre();
        Expl = Fenetre->findChild<TExplorationKX *>();
        Liste = Fenetre->findChild<TListeImagesKX *>();
        ASSERT_TRUE(Expl && Liste && Expl->BoutonFiltres);
        Fenetre->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
    }
    QStringList Noms() const
    {
        QStringList l;
        for (int i = 0; i < Liste->Modele().Nombre(); ++i)
            l << Liste->Modele().Enr(i).NomFichier();
        l.sort();
        return l;
    }
};
}

TEST_F(ColorMotifListeTest, AColourFilterFromTheStoreListsTheImagesOfThatColour)
{
    // A filter saved as the editor saves it, restored from the settings store.
    TEnrFiltres Sauve;
    Sauve.nMethColorimetrie = 4;
    Sauve.nTeinte = 0;
    Sauve.nTolColorimetrie = 16;
    Sauve.nSeuilColorimetrie = 75;
    Contexte->iniSetup->WriteString(cSectionSauvegardeFiltres, "Rouges", FiltreSauve(Sauve));
    TEnrFiltres &e = Contexte->enrFiltresExpl;
    ASSERT_TRUE(LitFiltreSauve(Contexte->iniSetup->ReadString(cSectionSauvegardeFiltres, "Rouges", ""), e));
    ASSERT_TRUE(e.lColorimetrie);
    Expl->BoutonFiltres->AfficheFiltre();
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_EQ(Noms(), QStringList({"rouge1.jpg", "rouge2.jpg", "rouge3.jpg"}));
    for (int i = 0; i < Liste->Modele().Nombre(); ++i)
        EXPECT_EQ(Liste->Modele().Enr(i).nPctCouleur, 100);
    // The images were judged on thumbnails made for the test: even the blue one, not listed,
    // has one.
    EXPECT_TRUE(QFileInfo::exists(NomVignette(Contexte->Dossiers.cDossierVignettes, 0, cPhotos + "bleu1.jpg")));
    EXPECT_TRUE(Messages->Montres.isEmpty());
    // A picture of the screen for a look at the listing, when asked for (on a real display).
    if (const QString c = qEnvironmentVariable("VIMBREL_CAPTURE"); !c.isEmpty()) {
        QTest::qWait(800);
        Fenetre->screen()->grabWindow(0).save(c);
    }

    // Reset: every image again.
    Expl->BoutonFiltres->miFiltresPasDeFiltre->trigger();
    EXPECT_EQ(Liste->Modele().Nombre(), 5);
}

TEST_F(ColorMotifListeTest, AMissingPatternIsToldOnceAndAdmitsNothing)
{
    TEnrFiltres &e = Contexte->enrFiltresExpl;
    e.cMotif = "disparu.jpg";
    e.nMethPixMotif = 4;
    CalculeIndicateurs(e, true);
    ASSERT_TRUE(e.lMotif);
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_EQ(Liste->Modele().Nombre(), 0);
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
    EXPECT_EQ(Messages->Montres[0].cTexte,
              "Motif introuvable ou illisible : " + Contexte->Dossiers.cDossierMotifs + "disparu.jpg");
}

// A listing with a colour filter runs under the progress window, one step per candidate: Esc
// asks whether to stop; No goes on, Yes stops the walk and keeps what was listed.
TEST_F(ColorMotifListeTest, EscUnderTheProgressWindowAsksThenStopsKeepingWhatWasListed)
{
    TEnrFiltres &e = Contexte->enrFiltresExpl;
    e.nMethColorimetrie = 4;
    e.nTolColorimetrie = 16;
    e.nSeuilColorimetrie = 50;
    CalculeIndicateurs(e, false);
    ASSERT_TRUE(e.lColorimetrie);
    struct TVu
    {
        bool lFenetre = false;
        int nMax = -1;
        int nCur = -1;
    };
    QList<TVu> Vus;
    int nEchap = -1; // the candidate after which Esc is pressed
    Expl->FiltresListe->fnPctColorimetrie = [&](TCandidatFiltre &, const TEnrFiltres &) {
        TVu v;
        if (const TGaugeWindow *g = Liste->JaugeListage()) {
            v.lFenetre = g->Fenetre()->isVisible();
            v.nMax = g->_GaugeMaxValue();
            v.nCur = g->_GaugeCurValue();
        }
        Vus << v;
        if (Vus.size() == nEchap)
            QTest::keyClick(Fenetre.get(), Qt::Key_Escape);
        return 100;
    };

    // Esc answered No: the whole folder, the gauge over the five candidates.
    nEchap = 2;
    Messages->Reponses = {false};
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_EQ(Liste->Modele().Nombre(), 5);
    ASSERT_EQ(Vus.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(Vus[i].lFenetre) << i;
        EXPECT_EQ(Vus[i].nMax, 4) << i;
        EXPECT_EQ(Vus[i].nCur, i) << i;
    }
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
    EXPECT_EQ(Messages->Montres[0].cTexte, "Interrompre le traitement ?");
    EXPECT_EQ(Liste->JaugeListage(), nullptr);

    // Yes: the walk stops after the candidate being tested, the images listed stay.
    Vus.clear();
    Messages->Montres.clear();
    Messages->Reponses = {true};
    TDemandeListe Demande;
    Demande.cDossier = cPhotos;
    Liste->ConstruitListe(Demande);
    EXPECT_EQ(Vus.size(), 2);
    ASSERT_EQ(Liste->Modele().Nombre(), 2);
    EXPECT_EQ(Messages->Montres.size(), 1);
    QSet<QString> Vues;
    for (int i = 0; i < Liste->Modele().Nombre(); ++i) {
        const TEnrLV &r = Liste->Modele().Enr(i);
        EXPECT_TRUE(QFileInfo::exists(r.cChemin)) << qPrintable(r.cChemin);
        EXPECT_EQ(r.nPctCouleur, 100);
        Vues.insert(r.cChemin);
    }
    EXPECT_EQ(Vues.size(), 2);
    // The window and the guard are gone: another listing runs at once, whole.
    EXPECT_EQ(Liste->JaugeListage(), nullptr);
    EXPECT_FALSE(TTacheLongue::EnCours());
    nEchap = -1;
    Vus.clear();
    Liste->ConstruitListe(Demande);
    EXPECT_EQ(Liste->Modele().Nombre(), 5);
    EXPECT_EQ(Vus.size(), 5);
}

// Without a colour or pattern part there is no progress window.
TEST_F(ColorMotifListeTest, APlainFilterListsWithoutTheProgressWindow)
{
    TEnrFiltres &e = Contexte->enrFiltresExpl;
    e.lModeles = true;
    e.cModeles = "rouge*";
    CalculeIndicateurs(e, false);
    ASSERT_TRUE(e.lActif);
    ASSERT_FALSE(e.lColorimetrie);
    Expl->BoutonFiltres->AfficheFiltre();
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_EQ(Noms(), QStringList({"rouge1.jpg", "rouge2.jpg", "rouge3.jpg"}));
    EXPECT_EQ(Liste->JaugeListage(), nullptr);
    EXPECT_TRUE(Messages->Montres.isEmpty());
}
