#include "treatments/Traitements_fm.h"

#include "components/ComboZoom.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/Exploration_fm.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "support/BancFenetrePrincipale.h"
#include "thumbnails/ThumbnailCache_fm.h"
#include "treatments/Traitements.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace
{
// Left half red, right half blue: a turn or a mirror shows where the halves went.
void Jpeg(const QString &c, int w, int h)
{
    QImage im(w, h, QImage::Format_RGB32);
    im.fill(QColor(200, 0, 0));
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x)
            im.setPixel(x, y, qRgb(0, 0, 200));
    ASSERT_TRUE(JpegCodec::Encode(im, c));
}

bool Rouge(QRgb c)
{
    return qRed(c) > 150 && qBlue(c) < 60;
}
bool Bleu(QRgb c)
{
    return qBlue(c) > 150 && qRed(c) < 60;
}

struct TraitementsFmTest : TBancFenetrePrincipale<>
{
    TExplorationKX *Expl = nullptr;
    TAfficheImageKX *Affiche = nullptr;
    TTraitementsKX *Trt = nullptr;
    TVignettesKX *Vignettes = nullptr;
    TPanneauImage *sbImage = nullptr;
    QString cPhotos;

    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        Jpeg(cPhotos + "a.jpg", 300, 200);
        Jpeg(cPhotos + "b.jpg", 3000, 2000);
        CreeFenetre();
        Expl = Fenetre->findChild<TExplorationKX *>();
        Affiche = Fenetre->findChild<TAfficheImageKX *>();
        Trt = Fenetre->findChild<TTraitementsKX *>();
        Vignettes = Fenetre->findChild<TVignettesKX *>();
        ASSERT_TRUE(Expl && Affiche && Trt && Vignettes);
        sbImage = Fenetre->PanneauImage();
        Fenetre->Selection().MetModeMAJ(true);
        Fenetre->showNormal();
        Fenetre->resize(1000, 700);
        Fenetre->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Fenetre.get()));
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        Attend();
        Messages->Montres.clear();
    }
    void TearDown() override
    {
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    void Attend()
    {
        EXPECT_TRUE(QTest::qWaitFor([this] { return !Affiche->Chargeur().Occupe(); }, 20000));
        QTest::qWait(30);
    }
    // Makes the entry of a file current and waits for its picture.
    void Montre(const QString &cNom)
    {
        TModeleListeImages &Modele = Fenetre->Modele();
        for (int i = 0; i < Modele.Nombre(); ++i)
            if (Modele.Enr(i).NomFichier() == cNom)
                Fenetre->Selection().MetLigneCourante(i);
        Attend();
        ASSERT_EQ(Fenetre->Selection().EnrCourant()->NomFichier(), cNom);
        ASSERT_TRUE(Affiche->ImageLue());
    }
    QString Valeur(const QString &cSection) const
    {
        return Contexte->iniSetup->ReadString(cSection, Fenetre->Selection().CleCourante(), "-");
    }
    QImage Vignette() const
    {
        const TPLVListItem *p = Fenetre->Grille()->Item(Fenetre->Selection().LigneCourante());
        return p ? p->Vignette() : QImage();
    }
    int NbDecodages() const
    {
        int n = 0;
        for (const auto &t : Affiche->Chargeur().Decodages())
            n += t.lAvance ? 0 : 1;
        return n;
    }
};
} // namespace

TEST_F(TraitementsFmTest, CtrlGTurnsThePaneAndTheThumbnailFromTheirUntreatedPictures)
{
    Montre("a.jpg");
    EXPECT_EQ(sbImage->Image().size(), QSize(300, 200));
    const int nDecodages = NbDecodages();
    QSignalSpy Images(&Fenetre->Selection(), &TSelectionKX::ImageChange);

    QTest::keyClick(Fenetre.get(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Valeur(cSectionRotations), "G");
    EXPECT_EQ(Images.count(), 1);
    // Turned left: the right-hand (blue) half comes on top.
    const QImage Pane = sbImage->Image();
    ASSERT_EQ(Pane.size(), QSize(200, 300));
    EXPECT_TRUE(Bleu(Pane.pixel(100, 50)));
    EXPECT_TRUE(Rouge(Pane.pixel(100, 250)));
    EXPECT_EQ(Affiche->TailleImage(), QSize(200, 300));
    // The entry keeps the file's size; the list and the caption show the turned one.
    const TModeleListeImages &Modele = Fenetre->Selection().Modele();
    EXPECT_EQ(Fenetre->Selection().EnrCourant()->nLargeur, 300);
    EXPECT_EQ(Modele.TexteResolution(*Fenetre->Selection().EnrCourant()), "200x300");
    EXPECT_TRUE(Fenetre->windowTitle().contains("[200x300]")) << Fenetre->windowTitle().toStdString();
    const QImage v = Vignette();
    ASSERT_FALSE(v.isNull());
    EXPECT_GT(v.height(), v.width());
    EXPECT_TRUE(Bleu(v.pixel(v.width() / 2, 5)));
    // Nothing was read from the file again.
    EXPECT_EQ(NbDecodages(), nDecodages);

    // A second turn the other way: back as it was, the size too.
    QTest::keyClick(Fenetre.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(Valeur(cSectionRotations), "-");
    EXPECT_EQ(sbImage->Image().size(), QSize(300, 200));
    EXPECT_EQ(Fenetre->Selection().EnrCourant()->nLargeur, 300);
    EXPECT_EQ(Modele.TexteResolution(*Fenetre->Selection().EnrCourant()), "300x200");
    EXPECT_TRUE(Fenetre->windowTitle().contains("[300x200]"));

    // Turned again, then shown anew from the file (another image and back): the thumbnail
    // and the pane each set the size, which must not flip it back.
    QTest::keyClick(Fenetre.get(), Qt::Key_G, Qt::ControlModifier);
    Montre("b.jpg");
    Montre("a.jpg");
    EXPECT_EQ(Fenetre->Selection().EnrCourant()->nLargeur, 300);
    EXPECT_EQ(Modele.TexteResolution(*Fenetre->Selection().EnrCourant()), "200x300");
    EXPECT_EQ(Affiche->TailleImage(), QSize(200, 300));
    EXPECT_TRUE(Messages->Montres.isEmpty());
}

TEST_F(TraitementsFmTest, ATextFieldWithTheFocusKeepsItsCtrlVAndCtrlX)
{
    Montre("a.jpg");
    auto *Texte = new QLineEdit(Fenetre->PageExploration());
    Texte->show();
    Texte->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([Texte] { return Texte->hasFocus(); }, 2000));
    QApplication::clipboard()->setText(QStringLiteral("collé"));
    QTest::keyClick(Texte, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Texte->text(), "collé");
    EXPECT_EQ(Valeur(cSectionMiroirs), "-");
    Texte->selectAll();
    QTest::keyClick(Texte, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Texte->text(), "");
    EXPECT_EQ(Valeur(cSectionCanaux), "-");
    // Keys no text field takes still reach the treatments.
    QTest::keyClick(Texte, Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(Valeur(cSectionMiroirs), "H");
}

TEST_F(TraitementsFmTest, ConsultationModeDisablesTreatmentsButKeepsTheZoom)
{
    Montre("a.jpg");
    EXPECT_TRUE(Trt->btRotGauche->isEnabled());
    EXPECT_TRUE(Trt->btNeg->isEnabled());
    Fenetre->Selection().MetModeMAJ(false);
    for (QToolButton *b : {Trt->btRotGauche, Trt->btRotDroite, Trt->btMirHorizontal, Trt->btMirVertical, Trt->btNB,
                           Trt->btCL, Trt->btNeg, Trt->btCanaux})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(Fenetre->ListeZoom()->isEnabled());
    QTest::keyClick(Fenetre.get(), Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(Valeur(cSectionRotations), "-");
    Fenetre->Selection().MetModeMAJ(true);
    EXPECT_TRUE(Trt->btRotGauche->isEnabled());
}

TEST_F(TraitementsFmTest, DialogEntriesSwitchOnThroughTheirDialogAndOffWithoutIt)
{
    Montre("a.jpg");
    QList<int> Demandes;
    std::optional<QString> Reponse;
    Trt->fnDemandeParam = [&](int nCode) {
        Demandes << nCode;
        return Reponse;
    };
    // Annuler: nothing kept, the button raised again.
    Trt->btNB->click();
    EXPECT_EQ(Demandes, QList<int>{nTrtNoirEtBlanc});
    EXPECT_FALSE(Trt->btNB->isChecked());
    EXPECT_EQ(Valeur(cSectionNoirEtBlanc), "-");

    Trt->miNeg->trigger();
    Reponse = QStringLiteral("{ 30: 60: 10}");
    Trt->btNB->click();
    EXPECT_EQ(Valeur(cSectionNoirEtBlanc), "{ 30: 60: 10}");
    EXPECT_TRUE(Trt->btNB->isChecked() && Trt->btNeg->isChecked());
    Trt->Actions(TEmplacementAction::PopupVignettes);
    EXPECT_EQ(Trt->miNB->text(), "&Noir et Blanc (R= 30%, V= 60%, B= 10%)");
    EXPECT_EQ(Trt->miCL->text(), "Contraste, &Luminosité...");
    EXPECT_EQ(Trt->miRotEtat->text(), "Rotation (Aucune)");
    // Grey, then negative: red (200, 0, 0) gives 60 grey, 195 once inverted.
    EXPECT_NEAR(qGreen(sbImage->Image().pixel(50, 100)), 195, 12);

    // Off: no dialog; the negative alone stays, in the pane and the thumbnail.
    Trt->btNB->click();
    EXPECT_EQ(Demandes.size(), 2);
    EXPECT_EQ(Valeur(cSectionNoirEtBlanc), "-");
    EXPECT_FALSE(Trt->btNB->isChecked());
    EXPECT_EQ(Trt->miNB->text(), "&Noir et Blanc...");
    const QRgb p = sbImage->Image().pixel(50, 100);
    EXPECT_LT(qRed(p), 80);
    EXPECT_GT(qGreen(p), 200); // (200, 0, 0) inverted: cyan
    const QImage v = Vignette();
    EXPECT_GT(qGreen(v.pixel(5, v.height() / 2)), 200);
}

TEST_F(TraitementsFmTest, AnEXIFOrientationShowsInTheCaptionsAndLocksTurns)
{
    Montre("a.jpg");
    Fenetre->Selection().EnrCourant()->cOrientation = QStringLiteral("6");
    Trt->Actions(TEmplacementAction::PopupVignettes);
    EXPECT_EQ(Trt->miRotEtat->text(), "Rotation (AUTOMATIQUE)");
    EXPECT_EQ(Trt->miMirEtat->text(), "Miroir (AUTOMATIQUE)");
    EXPECT_FALSE(Trt->miRotGauche->isEnabled());
    EXPECT_FALSE(Trt->btMirVertical->isEnabled());
    EXPECT_TRUE(Trt->btNeg->isEnabled());
}

TEST_F(TraitementsFmTest, TheSavedImageIsTheFullSizeTreatedPicture)
{
    Contexte->Parametres.lConsRapZoom = true;
    Fenetre->ListeZoom()->setCurrentIndex(RapportZoom::nAjuste);
    // Decoded ahead at "1:1" while the first entry was shown: that decode is dropped.
    Affiche->Chargeur().Oublie(cPhotos + "b.jpg");
    Montre("b.jpg");
    // The pane holds a reduction only.
    ASSERT_GT(Affiche->Chargeur().Reduite().nEchelle, 1);
    ASSERT_FALSE(Affiche->Chargeur().Complete().Valide());
    QTest::keyClick(Fenetre.get(), Qt::Key_G, Qt::ControlModifier);
    const QString cSortie = Temp.filePath("sortie.jpg");
    Vignettes->fnNomFichier = [&](const QString &, const QString &, const QString &) { return cSortie; };
    Vignettes->btSvgImgCourClick();
    const QImage Ecrite(cSortie);
    ASSERT_EQ(Ecrite.size(), QSize(2000, 3000));
    EXPECT_TRUE(Bleu(Ecrite.pixel(1000, 500)));
    EXPECT_TRUE(Rouge(Ecrite.pixel(1000, 2500)));
}
