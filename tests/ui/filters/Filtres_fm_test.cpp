#include "filters/Filtres_fm.h"

#include "classification/Recherche_fm.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "filters/BoutonFiltres_fm.h"
#include "filters/Filtres.h"
#include "metadata/CacheMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

namespace
{
struct FiltresDialogueTest : ::testing::Test, TDossierDonneesTemporaire
{
    std::unique_ptr<TContexte> Contexte;
    TMessagesFactices *Messages = nullptr;

    void SetUp() override
    {
        Contexte = NouveauContexte();
        auto m = std::make_unique<TMessagesFactices>();
        Messages = m.get();
        Contexte->Messages = std::move(m);
        Contexte->FixeDossiers();
        Contexte->OuvreStores();
        Contexte->Parametres.lTrtDescription = true;
        ASSERT_TRUE(EcritJpeg(Contexte->Dossiers.cDossierMotifs + "a.jpg", 80, 60, Qt::red));
    }
    std::unique_ptr<TfmFiltres> Dialogue(const TEnrFiltres &e = TEnrFiltres(), bool lRecherche = false,
                                         bool lModeMAJ = true)
    {
        auto d = std::make_unique<TfmFiltres>(*Contexte);
        d->Montre(e, lRecherche, lModeMAJ);
        d->show();
        return d;
    }
    static void Glisse(TfmFiltres &d, QPoint a, QPoint b)
    {
        QWidget *w = d.SurfaceMotif();
        QTest::mousePress(w, Qt::LeftButton, {}, a);
        QTest::mouseMove(w, a);
        QTest::mouseMove(w, b);
        QTest::mouseRelease(w, Qt::LeftButton, {}, b);
    }
};

struct TCas
{
    const char *cNom;
    std::function<void(TfmFiltres &)> Action;
    std::map<int, QString> Attendus; // saved field (from 1) → its text after OK
};
}

TEST_F(FiltresDialogueTest, EachControlGivesItsSavedFieldAfterOk)
{
    const QString cAuj = QDate::currentDate().toString("dd/MM/yyyy");
    const QString s = QString(QChar(1));
    auto Coche = [](QCheckBox *c) { QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(4, c->height() / 2)); };
    auto Tape = [](QWidget *w, const QString &c) { QTest::keyClicks(w, c); };
    auto Motif = [](TfmFiltres &d) {
        d.cbMotif->setChecked(true);
        d.cbMotifNomFicImg->setCurrentIndex(0);
        emit d.cbMotifNomFicImg->activated(0);
    };
    const QList<TCas> Cas = {
        {"images", [](TfmFiltres &d) { d.lbImages->setCurrentRow(2); }, {{1, "2"}}},
        {"kinds", [](TfmFiltres &d) { d.lbTypes->item(1)->setCheckState(Qt::Unchecked); }, {{2, "5"}}},
        {"models",
         [&](TfmFiltres &d) {
             Coche(d.cbModeles);
             Tape(d.edModeles, "img*.x");
         },
         {{3, "1"}, {4, "img*x"}}},
        {"size below",
         [&](TfmFiltres &d) {
             Coche(d.cbTailleInf);
             d.edTailleInf->clear();
             Tape(d.edTailleInf, "12a34");
         },
         {{5, "1"}, {6, "1234"}}},
        {"size above",
         [&](TfmFiltres &d) {
             Coche(d.cbTailleSup);
             d.edTailleSup->clear();
             Tape(d.edTailleSup, "99");
         },
         {{7, "1"}, {8, "99"}}},
        {"date before",
         [&](TfmFiltres &d) {
             Coche(d.cbDateAnt);
             d.dtDateAnt->setDate(QDate(2005, 7, 14));
         },
         {{9, "1"}, {10, "14/07/2005"}}},
        {"date after",
         [&](TfmFiltres &d) {
             Coche(d.cbDatePst);
             d.dtDatePst->setDate(QDate(2004, 2, 29));
         },
         {{11, "1"}, {12, "29/02/2004"}}},
        {"description",
         [&](TfmFiltres &d) {
             Coche(d.cbDescription);
             Tape(d.edDescription, " plage* ");
         },
         {{13, "1"}, {14, "plage*"}}},
        {"camera", [](TfmFiltres &d) { d.cbAppareil->setEditText("Canon*"); }, {{15, "Canon*"}}},
        {"focal",
         [&](TfmFiltres &d) {
             d.cbOpFocale->setCurrentIndex(1);
             Tape(d.edFocale, "50.5");
         },
         {{16, "1"}, {17, "50,5"}}},
        {"exposure",
         [&](TfmFiltres &d) {
             d.cbOpVitesse->setCurrentIndex(2);
             Tape(d.edVitesse, "1/125s");
         },
         {{18, "2"}, {19, "1/125"}}},
        {"f-number",
         [&](TfmFiltres &d) {
             d.cbOpDiaphragme->setCurrentIndex(3);
             Tape(d.edDiaphragme, "5,6");
         },
         {{20, "3"}, {21, "5,6"}}},
        {"shooting date",
         [](TfmFiltres &d) {
             d.cbOpDatePDV->setCurrentIndex(4);
             d.dtDatePDV->setDate(QDate(2003, 1, 2));
         },
         {{22, "4"}, {23, "02/01/2003"}}},
        {"ISO",
         [&](TfmFiltres &d) {
             d.cbOpISO->setCurrentIndex(6);
             Tape(d.edISO, "4,00");
         },
         {{24, "6"}, {25, "400"}}},
        {"comment", [&](TfmFiltres &d) { Tape(d.edCommentaire, "vac*"); }, {{26, "vac*"}}},
        {"title", [&](TfmFiltres &d) { Tape(d.edLegTitre, "T"); }, {{27, "T"}}},
        {"text",
         [&](TfmFiltres &d) {
             Tape(d.mmLegTexte, "un");
             QTest::keyClick(d.mmLegTexte, Qt::Key_Return);
             Tape(d.mmLegTexte, "deux");
         },
         {{28, "undeux"}}},
        {"copyright", [&](TfmFiltres &d) { Tape(d.edLegCopyright, "C"); }, {{29, "C"}}},
        {"author", [&](TfmFiltres &d) { Tape(d.edLegAuteur, "A"); }, {{30, "A"}}},
        {"keywords", [](TfmFiltres &d) { d.mmMC->setPlainText(" mer \n\n  \nplage"); }, {{31, "mer" + s + "plage"}}},
        {"category", [&](TfmFiltres &d) { Tape(d.edCatCat, "K"); }, {{32, "K"}}},
        {"supplemental", [](TfmFiltres &d) { d.mmCatSuppl->setPlainText("a\nb"); }, {{33, "a" + s + "b"}}},
        {"credit", [&](TfmFiltres &d) { Tape(d.edCrdCredits, "Cr"); }, {{34, "Cr"}}},
        {"source", [&](TfmFiltres &d) { Tape(d.edCrdSource, "So"); }, {{35, "So"}}},
        {"object name", [&](TfmFiltres &d) { Tape(d.edOriNom, "N"); }, {{36, "N"}}},
        {"IPTC date",
         [](TfmFiltres &d) {
             d.cbOpOriDate->setCurrentIndex(5);
             d.dtOriDate->setDate(QDate(2001, 5, 1));
         },
         {{37, "5"}, {38, "01/05/2001"}}},
        {"city", [&](TfmFiltres &d) { Tape(d.edOriVille, "V"); }, {{39, "V"}}},
        {"state", [&](TfmFiltres &d) { Tape(d.edOriEtat, "E"); }, {{40, "E"}}},
        {"country", [&](TfmFiltres &d) { Tape(d.edOriPays, "P"); }, {{41, "P"}}},
        {"chart click",
         [](TfmFiltres &d) {
             // QTest takes the point (0, 0) for the widget's centre: the press is sent by hand.
             QMouseEvent e(QEvent::MouseButtonPress, QPointF(0, 0), d.SurfaceNuancier()->mapToGlobal(QPointF(0, 0)),
                           Qt::LeftButton, Qt::LeftButton, {});
             QApplication::sendEvent(d.SurfaceNuancier(), &e);
         },
         {{42, "0"}, {43, "239"}}},
        {"bar click",
         [](TfmFiltres &d) { QTest::mouseClick(d.SurfaceBarre(), Qt::LeftButton, {}, QPoint(15, 199)); },
         {{44, "0"}}},
        {"channels",
         [&](TfmFiltres &d) {
             Coche(d.cbColorimetrieT);
             Coche(d.cbColorimetrieL);
         },
         {{45, "5"}}},
        {"colour tolerance", [](TfmFiltres &d) { d.tbColorimetrieTolerance->setValue(40); }, {{46, "40"}}},
        {"colour threshold", [](TfmFiltres &d) { d.tbColorimetrieSeuil->setValue(50); }, {{47, "50"}}},
        {"pattern", Motif, {{48, "1"}, {49, "a.jpg"}}},
        {"pixels",
         [&](TfmFiltres &d) {
             d.cbMotifMethRechPixT->setChecked(false);
             d.cbMotifMethRechPixS->setChecked(true);
         },
         {{50, "2"}}},
        {"mirror", [](TfmFiltres &d) { d.cbMotifRechSym->setChecked(true); }, {{51, "1"}}},
        {"pattern tolerance", [](TfmFiltres &d) { d.tbMotifTolerance->setValue(60); }, {{52, "60"}}},
        {"pattern threshold", [](TfmFiltres &d) { d.tbMotifSeuil->setValue(90); }, {{53, "90"}}},
        {"zone method", [](TfmFiltres &d) { d.cbMotifMethRechZone->setCurrentIndex(3); }, {{54, "3"}}},
        {"zone",
         [&](TfmFiltres &d) {
             Motif(d);
             Glisse(d, QPoint(10, 12), QPoint(40, 45));
         },
         {{48, "1"}, {49, "a.jpg"}, {55, "1"}, {56, "10"}, {57, "12"}, {58, "40"}, {59, "45"}}},
    };
    const QStringList Defaut = DecoupeRecord(FiltreSauve(TEnrFiltres()));
    ASSERT_EQ(Defaut.size(), 59);
    QSet<int> Couverts;
    for (const TCas &c : Cas) {
        auto d = Dialogue();
        c.Action(*d);
        ASSERT_TRUE(d->btOK->isEnabled()) << c.cNom;
        QTest::mouseClick(d->btOK, Qt::LeftButton);
        ASSERT_EQ(d->result(), QDialog::Accepted) << c.cNom;
        const QStringList Champs = DecoupeRecord(FiltreSauve(d->Resultat()));
        for (int n = 1; n <= 59; ++n) {
            const auto it = c.Attendus.find(n);
            EXPECT_EQ(Champs[n - 1], it != c.Attendus.end() ? it->second : Defaut[n - 1]) << c.cNom << ", field " << n;
            if (it != c.Attendus.end())
                Couverts.insert(n);
        }
        EXPECT_TRUE(d->Resultat().lActif || QString(c.cNom).contains("tolerance")
                    || QString(c.cNom).contains("threshold") || QString(c.cNom) == "pixels"
                    || QString(c.cNom) == "mirror" || QString(c.cNom) == "zone method"
                    || QString(c.cNom).contains("click"))
            << c.cNom;
    }
    EXPECT_EQ(Couverts.size(), 59);
}

TEST_F(FiltresDialogueTest, ARecordWithEveryFieldSetSurvivesTheDialog)
{
    TEnrFiltres e;
    e.nPageFiltres = 4;
    e.nPageIPTC = 3;
    e.nImages = 3;
    e.lPNG = false;
    e.lModeles = true;
    e.cModeles = "dsc*";
    e.lTailleSup = true;
    e.nTailleSup = 6000000000LL;
    e.lDescription = true;
    e.cDescription = "x";
    e.nOpVitesse = 1;
    e.cFVitesse = "1/60";
    e.cFMotsCles = QStringList({"MER", "PLAGE"}).join(QChar(1));
    e.nOpOriDate = 2;
    e.cFOriDate = "03/04/2002";
    e.nTeinte = 200;
    e.nMethColorimetrie = 7;
    e.lMotif = true;
    e.cMotif = "a.jpg";
    e.nMethPixMotif = 6;
    e.lMotifZone = true;
    e.rZoneMotif = QRect(QPoint(5, 6), QPoint(50, 40));
    e.nMethZoneMotif = 2;
    CalculeIndicateurs(e, true);
    auto d = Dialogue(e);
    EXPECT_EQ(d->pcFiltres->currentIndex(), 4);
    EXPECT_EQ(d->SujetAide(), 72);
    EXPECT_EQ(d->pcFiltres->tabText(4), "Motif*");
    EXPECT_EQ(d->pcFiltres->tabText(0), "Général*");
    EXPECT_EQ(d->pcIPTC->tabText(3), "Crédits, Origine*");
    EXPECT_EQ(d->pcIPTC->tabText(0), "Légende");
    EXPECT_TRUE(d->cbMotifMethRechZone->isEnabled());
    QTest::mouseClick(d->btOK, Qt::LeftButton);
    const TEnrFiltres &r = d->Resultat();
    EXPECT_EQ(FiltreSauve(r), FiltreSauve(e));
    EXPECT_EQ(r.nTailleSup, 6000000000LL);
    EXPECT_EQ(r.nPageIPTC, 3);
    EXPECT_TRUE(r.lMotif);

    // A zone beyond its pattern (80 × 60) is clamped when shown.
    e.rZoneMotif = QRect(QPoint(50, 40), QPoint(300, 300));
    auto d2 = Dialogue(e);
    EXPECT_EQ(d2->Zone().Rect(), QRect(QPoint(50, 40), QPoint(79, 59)));
    // A pattern that is no longer there: blank square, no pattern, no zone.
    e.cMotif = "parti.jpg";
    auto d3 = Dialogue(e);
    EXPECT_EQ(d3->SurfaceMotif()->Image().size(), QSize(120, 120));
    EXPECT_FALSE(d3->Zone().lDefinie);
    QTest::mouseClick(d3->btOK, Qt::LeftButton);
    EXPECT_FALSE(d3->Resultat().lMotif);
    EXPECT_TRUE(d3->Resultat().cMotif.isEmpty());
}

TEST_F(FiltresDialogueTest, OperatorsAndBoxesEnableTheirValues)
{
    auto d = Dialogue();
    EXPECT_FALSE(d->edFocale->isEnabled());
    d->cbOpFocale->setCurrentIndex(1);
    EXPECT_TRUE(d->edFocale->isEnabled());
    EXPECT_EQ(d->pcFiltres->tabText(1), "EXIF*");
    d->cbOpFocale->setCurrentIndex(0);
    EXPECT_FALSE(d->edFocale->isEnabled());
    EXPECT_EQ(d->pcFiltres->tabText(1), "EXIF");

    // No kind: OK off; a models box with nothing typed: OK off, no star.
    for (int n = 0; n < 3; ++n)
        d->lbTypes->item(n)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(d->btOK->isEnabled());
    d->lbTypes->item(0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(d->btOK->isEnabled());
    d->lbTypes->item(1)->setCheckState(Qt::Checked);
    d->lbTypes->item(2)->setCheckState(Qt::Checked);
    d->cbModeles->setChecked(true);
    EXPECT_TRUE(d->edModeles->isEnabled());
    EXPECT_FALSE(d->btOK->isEnabled());
    EXPECT_EQ(d->pcFiltres->tabText(0), "Général");

    // The pattern controls follow the box; the zone method needs a zone too.
    EXPECT_FALSE(d->cbMotifNomFicImg->isEnabled());
    d->cbMotif->setChecked(true);
    EXPECT_TRUE(d->cbMotifNomFicImg->isEnabled());
    EXPECT_FALSE(d->cbMotifMethRechZone->isEnabled());
    EXPECT_FALSE(d->btMotifPrendsImageCourante->isEnabled());
    d->ChargeMotifNom("a.jpg");
    Glisse(*d, QPoint(70, 50), QPoint(70, 50));
    // Made at (70, 50) as 17 × 17, clamped to the 80 × 60 picture on release.
    EXPECT_EQ(d->Zone().Rect(), QRect(QPoint(70, 50), QPoint(79, 59)));
    EXPECT_TRUE(d->cbMotifMethRechZone->isEnabled());
}

TEST_F(FiltresDialogueTest, SearchFlagAndConsultationMode)
{
    auto e = Dialogue(TEnrFiltres(), false, true);
    EXPECT_FALSE(e->cbLanceRechAprValid->isEnabled());
    EXPECT_TRUE(e->lbImages->isEnabled());
    auto r = Dialogue(TEnrFiltres(), true, false);
    EXPECT_TRUE(r->cbLanceRechAprValid->isEnabled());
    EXPECT_FALSE(r->cbLanceRechAprValid->isChecked());
    EXPECT_FALSE(r->lbImages->isEnabled());

    // Consultation: a saved filter can be restored, not saved nor deleted.
    TEnrFiltres Sauve;
    Sauve.cFAppareil = "Nikon*";
    Contexte->iniSetup->WriteString(cSectionSauvegardeFiltres, "nikon", FiltreSauve(Sauve));
    auto c = Dialogue(TEnrFiltres(), false, false);
    c->cbFiltresEnregistres->setEditText("nikon");
    EXPECT_TRUE(c->btRstFiltres->isEnabled());
    EXPECT_FALSE(c->btSvgFiltres->isEnabled());
    EXPECT_FALSE(c->btSupprFiltres->isEnabled());
    Messages->Reponses = {true};
    c->btRstFiltresClick();
    EXPECT_EQ(c->cbAppareil->currentText(), "Nikon*");
    EXPECT_EQ(Messages->Montres.value(0).cTexte, "Restaurer le filtre 'nikon' ?");
}

TEST_F(FiltresDialogueTest, SaveRestoreDeleteAndTheirFailures)
{
    auto d = Dialogue();
    d->cbAppareil->setEditText("Canon*");
    d->edLegTitre->setText("a|b");
    d->cbMotif->setChecked(true);
    d->ChargeMotifNom("a.jpg");
    Glisse(*d, QPoint(5, 5), QPoint(30, 30));
    d->cbFiltresEnregistres->setEditText(" vacances ");
    EXPECT_TRUE(d->btSvgFiltres->isEnabled());
    EXPECT_FALSE(d->btRstFiltres->isEnabled());
    const TEtatEditeur Avant = d->Etat();
    Messages->Reponses = {true};
    d->btSvgFiltresClick();
    EXPECT_EQ(Messages->Montres.value(0).cTexte, "Sauvegarder le filtre 'vacances' ?");
    EXPECT_EQ(d->cbFiltresEnregistres->count(), 1);
    EXPECT_TRUE(TBigIniFile(FichierSetup()).ValueExists(cSectionSauvegardeFiltres, "vacances"));

    // Everything cleared, then restored as saved ("|" kept as the saved form writes it).
    d->PasDeFiltre(5);
    EXPECT_TRUE(d->cbAppareil->currentText().isEmpty());
    EXPECT_FALSE(d->Zone().lDefinie);
    d->cbFiltresEnregistres->setEditText("vacances");
    Messages->Reponses = {true};
    d->btRstFiltresClick();
    const TEtatEditeur Apres = d->Etat();
    EXPECT_EQ(Apres.cFAppareil, "Canon*");
    EXPECT_EQ(Apres.cFTitre, "a¦b");
    EXPECT_EQ(Apres.cMotif, "a.jpg");
    EXPECT_TRUE(Apres.lMotif);
    EXPECT_EQ(Apres.Zone.Rect(), Avant.Zone.Rect());
    EXPECT_TRUE(Apres.Zone.lDefinie);

    // An unreadable saved filter is told and changes nothing.
    Contexte->iniSetup->WriteString(cSectionSauvegardeFiltres, "abime", "1|2|3|");
    d->cbFiltresEnregistres->addItem("abime");
    d->cbFiltresEnregistres->setEditText("abime");
    Messages->Montres.clear();
    Messages->Reponses = {true};
    d->btRstFiltresClick();
    ASSERT_EQ(Messages->Montres.size(), 2);
    EXPECT_EQ(Messages->Montres[1].cTitre, "Erreur");
    EXPECT_EQ(Messages->Montres[1].cTexte, "Le filtre 'abime' est illisible : il n'a pas été restauré.");
    EXPECT_EQ(d->Etat().cFAppareil, "Canon*");

    // Deleting removes the key and the entry.
    d->cbFiltresEnregistres->setEditText("vacances");
    Messages->Reponses = {true};
    d->btSupprFiltresClick();
    EXPECT_FALSE(TBigIniFile(FichierSetup()).ValueExists(cSectionSauvegardeFiltres, "vacances"));
    EXPECT_EQ(d->cbFiltresEnregistres->findText("vacances"), -1);
}

TEST_F(FiltresDialogueTest, TakingTheCurrentImageAsPattern)
{
    QImage Vignette(160, 100, QImage::Format_RGB32);
    Vignette.fill(Qt::blue);
    TImageCouranteFiltre c;
    c.lDisponible = true;
    c.cFichier = Temp.filePath("photos/IMG_0001.jpg");
    c.fnVignette = [&] { return Vignette; };
    TfmFiltres d(*Contexte);
    d.Montre(TEnrFiltres(), false, true, c);
    EXPECT_FALSE(d.btMotifPrendsImageCourante->isEnabled());
    d.cbMotif->setChecked(true);
    ASSERT_TRUE(d.btMotifPrendsImageCourante->isEnabled());
    d.btMotifPrendsImageCouranteClick();
    EXPECT_EQ(d.Etat().cMotif, "IMG_0001.jpg");
    EXPECT_EQ(d.SurfaceMotif()->Image().size(), QSize(120, 75));
    EXPECT_EQ(d.cbMotifNomFicImg->currentText(), "IMG_0001.jpg");

    // The folder cannot be written: told, and no pattern chosen.
    TfmFiltres d2(*Contexte);
    QDir(Contexte->Dossiers.cDossierMotifs).removeRecursively();
    ASSERT_TRUE(EcritFichier(Contexte->Dossiers.cDossierMotifs.chopped(1), "fichier"));
    d2.Montre(TEnrFiltres(), false, true, c);
    EXPECT_EQ(d2.cbMotifNomFicImg->count(), 0);
    d2.cbMotif->setChecked(true);
    d2.btMotifPrendsImageCouranteClick();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Erreur");
    EXPECT_TRUE(Messages->Montres[0].cTexte.startsWith("Le motif n'a pas pu être enregistré dans « "));
    EXPECT_TRUE(d2.Etat().cMotif.isEmpty());
}

namespace
{
struct FiltresBoutonsTest : TBancFenetrePrincipale<>
{
    QString cPhotos;
    void SetUp() override
    {
        cPhotos = Temp.filePath("photos") + "/";
        for (const char *c : {"IMG_0001.jpg", "DSC0002.jpg"})
            ASSERT_TRUE(EcritJpeg(cPhotos + c, 16, 12, Qt::darkGreen));
        CreeFenetre();
        MontreFenetre();
    }
    // Opens the editor of a button, sets the models and, when asked, the search box, then OK.
    static void Edite(TBoutonFiltresKX *b, bool lLance)
    {
        b->fnAvantExec = [lLance](TfmFiltres &d) {
            QTimer::singleShot(0, &d, [&d, lLance] {
                d.cbModeles->setChecked(true);
                d.edModeles->setText("img*");
                d.cbLanceRechAprValid->setChecked(lLance);
                d.btOKClick();
            });
        };
        QTest::mouseClick(b->Bouton, Qt::LeftButton);
    }
};
}

TEST_F(FiltresBoutonsTest, OkRelistsExplorationAndSearchesOnlyWhenAsked)
{
    auto *Expl = Fenetre->findChild<TExplorationKX *>();
    auto *Liste = Fenetre->findChild<TListeImagesKX *>();
    auto *Rech = Fenetre->findChild<TRechercheKX *>();
    ASSERT_TRUE(Expl && Liste && Rech);
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    ASSERT_EQ(Liste->Modele().Nombre(), 2);
    Edite(Expl->BoutonFiltres, false);
    EXPECT_TRUE(Contexte->enrFiltresExpl.lActif);
    EXPECT_EQ(Liste->Modele().Nombre(), 1);
    EXPECT_EQ(Expl->BoutonFiltres->Glyphe(), 1);

    int nRecherches = 0;
    Rech->BoutonFiltres->fnLanceRecherche = [&] { ++nRecherches; };
    Edite(Rech->BoutonFiltres, false);
    EXPECT_TRUE(Contexte->enrFiltresRech.lActif);
    EXPECT_EQ(nRecherches, 0);
    EXPECT_EQ(Liste->Modele().Nombre(), 1);
    Edite(Rech->BoutonFiltres, true);
    EXPECT_EQ(nRecherches, 1);
}

TEST_F(FiltresDialogueTest, MarkersAndZoneAreDrawnOnThePages)
{
    TEnrFiltres e;
    e.nTeinte = 80;
    e.nSaturation = 200;
    e.nLuminosite = 60;
    e.nMethColorimetrie = 4;
    e.lMotif = true;
    ASSERT_TRUE(EcritJpeg(Contexte->Dossiers.cDossierMotifs + "ciel.jpg", 90, 70, QColor(40, 90, 200)));
    e.cMotif = "ciel.jpg";
    e.lMotifZone = true;
    e.rZoneMotif = QRect(QPoint(10, 10), QPoint(50, 40));
    CalculeIndicateurs(e, true);
    auto d = Dialogue(e);
    const QImage Nuancier = d->SurfaceNuancier()->grab().toImage();
    const QRect m = MarqueNuancier(80, 200, QSize(200, 200));
    EXPECT_EQ(QColor(Nuancier.pixel(m.center().x(), m.top())), QColor(0, 128, 0));
    const QImage Motif = d->SurfaceMotif()->grab().toImage();
    EXPECT_EQ(QColor(Motif.pixel(30, 10)), QColor(Qt::red));
    EXPECT_EQ(QColor(Motif.pixel(50, 25)), QColor(Qt::red));
    EXPECT_NE(QColor(Motif.pixel(30, 20)), QColor(Qt::red));

    // Pictures of the five pages for a look, when a folder is given.
    const QString cCaptures = qEnvironmentVariable("VIMBREL_CAPTURES");
    if (cCaptures.isEmpty())
        return;
    const char *const cPages[] = {"general", "exif", "iptc", "colorimetrie", "motif"};
    d->pcIPTC->setCurrentIndex(3);
    for (int n = 0; n < 5; ++n) {
        d->pcFiltres->setCurrentIndex(n);
        QTest::qWait(200);
        QPixmap p = d->screen()->grabWindow(0, d->frameGeometry().x(), d->frameGeometry().y(),
                                            d->frameGeometry().width(), d->frameGeometry().height());
        if (p.isNull() || p.toImage().allGray())
            p = d->grab();
        EXPECT_TRUE(p.save(QStringLiteral("%1/j35-%2.png").arg(cCaptures, cPages[n])));
    }
}

TEST_F(FiltresDialogueTest, CameraModelsGatheredOffTheStartAreOfferedSorted)
{
    const QString d = Temp.filePath("photos") + "/";
    ASSERT_TRUE(QDir().mkpath(d));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VIMBREL_TEST_DATA "/corpus/kinds/jpeg/exiftool_Canon.jpg"), d + "b.jpg"));
    Contexte->iniBDD->WriteString(d + "a.jpg", "Lieu", "1");
    Contexte->iniBDD->WriteString("COUPS DE COEUR", d + "b.jpg", "1");
    Contexte->iniSetup->WriteString("EXIF", d + "a.jpg", "Nikon D70|18|1/60|5,6|01/01/2005|200|1||");
    bool lFini = false;
    {
        TRemplisseurAppareils r(*Contexte, nullptr);
        r.fnFini = [&] { lFini = true; };
        r.Lance();
        // The cached model is there at once, the file's once the worker has read it.
        EXPECT_EQ(Contexte->Appareils.count("Nikon D70"), 1u);
        EXPECT_TRUE(QTest::qWaitFor([&] { return lFini; }, 10000));
    }
    EXPECT_EQ(Contexte->Appareils, std::set<QString>({"Canon EOS DIGITAL REBEL", "Nikon D70"}));
    auto dlg = Dialogue();
    ASSERT_EQ(dlg->cbAppareil->count(), 2);
    EXPECT_EQ(dlg->cbAppareil->itemText(0), "Canon EOS DIGITAL REBEL");
    EXPECT_TRUE(dlg->cbAppareil->currentText().isEmpty());
}
