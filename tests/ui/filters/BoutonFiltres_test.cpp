#include "filters/BoutonFiltres_fm.h"

#include "classification/Recherche_fm.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "filters/Filtres_fm.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/VolumesFactices.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{
struct BoutonFiltresTest : TBancFenetrePrincipale<>
{
    TExplorationKX *Expl = nullptr;
    TRechercheKX *Rech = nullptr;
    TListeImagesKX *Liste = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        for (const char *c : {"IMG_0001.jpg", "IMG_0002.jpg", "DSC0003.jpg"}) {
            QImage im(16, 12, QImage::Format_RGB32);
            im.fill(Qt::darkGreen);
            ASSERT_TRUE(JpegCodec::Encode(im, cPhotos + c));
        }
        CreeFenetre();
        Expl = Fenetre->findChild<TExplorationKX *>();
        Rech = Fenetre->findChild<TRechercheKX *>();
        Liste = Fenetre->findChild<TListeImagesKX *>();
        ASSERT_TRUE(Expl && Rech && Liste);
        ASSERT_TRUE(Expl->BoutonFiltres && Rech->BoutonFiltres);
        Fenetre->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
    }
    QStringList Noms() const
    {
        QStringList l;
        for (int i = 0; i < Liste->Modele().Nombre(); ++i)
            l << Liste->Modele().Enr(i).NomFichier();
        return l;
    }
    static bool Glyphe(const TBoutonFiltresKX *b, int n)
    {
        return b->Glyphe() == n && b->Bouton->icon().cacheKey() == ImagesFiltres().at(n).cacheKey();
    }
    // The models filter of the exploration page, as the editor would leave it.
    void FiltreModeles(const QString &cModeles)
    {
        TEnrFiltres &e = Contexte->enrFiltresExpl;
        e.lModeles = true;
        e.cModeles = cModeles;
        CalculeIndicateurs(e, false);
        Expl->BoutonFiltres->AfficheFiltre();
    }
};
}

TEST_F(BoutonFiltresTest, AnExplorationFilterNarrowsTheListAndTheMenuResetsIt)
{
    TBoutonFiltresKX *b = Expl->BoutonFiltres;
    EXPECT_TRUE(Glyphe(b, 0));
    EXPECT_TRUE(b->Bouton->toolTip().startsWith("Filtrer les images selon leurs critères"));
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    EXPECT_EQ(Liste->Modele().Nombre(), 3);

    FiltreModeles("img*");
    EXPECT_TRUE(Glyphe(b, 1));
    EXPECT_EQ(b->Bouton->toolTip(), "<PG>FILTRES</PG/>\r\n<CS>Général</CS/>\r\n<SG>Modèles :</SG/> img*");
    Expl->ListeDossier();
    EXPECT_EQ(Noms(), QStringList({"IMG_0001.jpg", "IMG_0002.jpg"}));

    // Releasing the right button opens the menu; its entry is enabled while the filter acts,
    // and resets it and lists again.
    QTest::mouseRelease(b->Bouton, Qt::RightButton, {}, QPoint(2, 2));
    EXPECT_TRUE(b->pmFiltres->isVisible());
    EXPECT_TRUE(b->miFiltresPasDeFiltre->isEnabled());
    b->pmFiltres->hide();
    b->miFiltresPasDeFiltre->trigger();
    EXPECT_FALSE(Contexte->enrFiltresExpl.lActif);
    EXPECT_TRUE(Glyphe(b, 0));
    EXPECT_EQ(Liste->Modele().Nombre(), 3);
    b->BoutonMouseUp(b->Bouton->mapToGlobal(QPoint(2, 2)));
    EXPECT_FALSE(b->miFiltresPasDeFiltre->isEnabled());
    b->pmFiltres->hide();

    // The left click opens the editor; cancelled, it changes nothing.
    bool lOuvert = false;
    b->fnAvantExec = [&lOuvert](TfmFiltres &d) {
        lOuvert = true;
        QTimer::singleShot(0, &d, &QDialog::reject);
    };
    QTest::mouseClick(b->Bouton, Qt::LeftButton);
    EXPECT_TRUE(lOuvert);
    EXPECT_FALSE(Contexte->enrFiltresExpl.lActif);
    EXPECT_EQ(Liste->Modele().Nombre(), 3);
    EXPECT_TRUE(Messages->Montres.isEmpty());
}

TEST_F(BoutonFiltresTest, AnInvalidMaskKeepsThePreviousList)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    FiltreModeles("dsc* [img");
    Expl->ListeDossier();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Erreur");
    EXPECT_TRUE(Messages->Montres[0].cTexte.startsWith("'[img' est un masque incorrect à ("));
    EXPECT_EQ(Liste->Modele().Nombre(), 3);
}

TEST_F(BoutonFiltresTest, TheSearchFilterResetsWithoutRelisting)
{
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    FiltreModeles("dsc*");
    Expl->ListeDossier();
    ASSERT_EQ(Noms(), QStringList({"DSC0003.jpg"}));

    TBoutonFiltresKX *b = Rech->BoutonFiltres;
    EXPECT_TRUE(b->Bouton->toolTip().startsWith("Filtrer les images selon leurs types"));
    TEnrFiltres &r = Contexte->enrFiltresRech;
    r.lJPEG = false;
    CalculeIndicateurs(r, false);
    b->AfficheFiltre();
    EXPECT_TRUE(Glyphe(b, 1));
    EXPECT_TRUE(b->Bouton->toolTip().endsWith("<SG>Type(s) :</SG/> RAW PNG"));

    b->miFiltresPasDeFiltre->trigger();
    EXPECT_TRUE(r.lJPEG);
    EXPECT_TRUE(Glyphe(b, 0));
    // The exploration list and its filter are left as they were.
    EXPECT_EQ(Noms(), QStringList({"DSC0003.jpg"}));
    EXPECT_TRUE(Contexte->enrFiltresExpl.lActif);
}
