#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/Exploration_fm.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/VolumesFactices.h"
#include "storage/Contexte.h"
#include "support/MessagesFactices.h"
#include "treatments/DialoguesTrt_fm.h"
#include "treatments/MoteurTrt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The preview's source taken from the main window: the picture the image pane shows, with the
// treatments the pane applied, and nothing for an image that could not be read.
TEST(SourceApercu, IsThePanesTreatedPictureAndNothingForAnUnreadableImage)
{
    QTemporaryDir Temp;
    TEmplacementsConfig E;
    E.cFichierUtilisateur = Temp.filePath("config/Vimbrel.conf");
    E.cFichierMachine = Temp.filePath("etc/Vimbrel.conf");
    E.cDossierDefaut = Temp.filePath("donnees") + "/";
    const QString cPhotos = Temp.filePath("photos") + "/";
    QDir().mkpath(cPhotos);
    QImage Photo(360, 240, QImage::Format_RGB32);
    Photo.fill(QColor(200, 40, 20));
    ASSERT_TRUE(JpegCodec::Encode(Photo, cPhotos + "a.jpg"));
    QFile f(cPhotos + "b.jpg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xFF\xD8\xFF\xE0 abîmé");
    f.close();

    auto Volumes = std::make_unique<TVolumesFactices>();
    TVolume Racine;
    Racine.cPointMontage = "/";
    Volumes->Ajoute(Racine);
    TContexte Contexte(E, Temp.filePath("bin"), std::move(Volumes));
    Contexte.Messages.reset(new TMessagesFactices);
    TfmMainKX Fenetre(Contexte);
    Fenetre.FormCreate(nullptr);
    auto *Expl = Fenetre.findChild<TExplorationKX *>();
    auto *Affiche = Fenetre.findChild<TAfficheImageKX *>();
    ASSERT_TRUE(Expl && Affiche);
    Affiche->fnTraitement = [](const QImage &Image, const TEnrLV &) {
        QImage Traitee = Image;
        AppliqueTrt(Traitee, 6, QString());
        return Traitee;
    };
    Fenetre.showNormal();
    Fenetre.resize(1000, 700);
    Fenetre.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Fenetre));
    const TSourceApercu fnSource = SourceApercuImageAffichee(Fenetre, *Affiche);
    EXPECT_TRUE(fnSource().isNull()); // nothing shown yet

    auto Attend = [Affiche] {
        EXPECT_TRUE(QTest::qWaitFor([Affiche] { return !Affiche->Chargeur().Occupe(); }, 20000));
        QTest::qWait(30);
    };
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    Attend();
    ASSERT_TRUE(Affiche->ImageLue());
    const QImage Source = fnSource();
    ASSERT_EQ(Source.size(), QSize(360, 240));
    const QColor c = Source.pixelColor(180, 120);
    // The negative of the photo's red, give or take the JPEG's rounding.
    EXPECT_NEAR(c.red(), 55, 6);
    EXPECT_NEAR(c.green(), 215, 6);
    EXPECT_NEAR(c.blue(), 235, 6);

    Affiche->AfficheImage(1);
    Attend();
    ASSERT_FALSE(Affiche->ImageLue());
    EXPECT_FALSE(Fenetre.PanneauImage()->Image().isNull()) << "the placeholder is shown";
    EXPECT_TRUE(fnSource().isNull());
    Fenetre.FermeSansQuestion();
}
