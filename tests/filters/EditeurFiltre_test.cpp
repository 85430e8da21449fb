#include "filters/EditeurFiltre.h"
#include "filters/Filtres.h"
#include "imaging/JpegCodec.h"
#include "metadata/CacheMeta.h"
#include "metadata/DonneesMeta.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "support/EcritJpeg.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
// Every field of the record away from its default, within what the dialog offers.
TEnrFiltres EnrComplet()
{
    TEnrFiltres e;
    e.nPageFiltres = 3;
    e.nPageIPTC = 2;
    e.nImages = 2;
    e.lJPEG = false;
    e.lModeles = true;
    e.cModeles = "img* dsc?";
    e.lTailleInf = true;
    e.nTailleInf = 5000000000LL;
    e.lTailleSup = true;
    e.nTailleSup = 1234;
    e.lDateAnt = true;
    e.dDateAnt = QDate(2005, 7, 14);
    e.lDatePst = true;
    e.dDatePst = QDate(2004, 2, 29);
    e.lDescription = true;
    e.cDescription = "plage*";
    e.cFAppareil = "Canon*";
    e.nOpFocale = 1;
    e.cFFocale = "50,5";
    e.nOpVitesse = 2;
    e.cFVitesse = "1/125";
    e.nOpDiaphragme = 3;
    e.cFDiaphragme = "5,6";
    e.nOpDatePDV = 4;
    e.dFDatePDV = QDate(2003, 1, 2);
    e.nOpISO = 6;
    e.cFISO = "400";
    e.cFCommentaire = "vac*";
    e.cFTitre = "Titre";
    e.cFTexte = "Texte";
    e.cFCopyright = "Copy";
    e.cFAuteur = "Auteur";
    e.cFMotsCles = QStringList({"MER", "PLAGE"}).join(cSepIPTC);
    e.cFCategorie = "CAT";
    e.cFCatSuppl = QStringList({"A", "B"}).join(cSepIPTC);
    e.cFCredits = "Cr";
    e.cFSource = "So";
    e.cFOriNom = "Nom";
    e.nOpOriDate = 5;
    e.cFOriDate = "01/05/2001";
    e.cFOriVille = "Brest";
    e.cFOriEtat = "Bretagne";
    e.cFOriPays = "France";
    e.nTeinte = 10;
    e.nSaturation = 20;
    e.nLuminosite = 30;
    e.nMethColorimetrie = 5;
    e.nTolColorimetrie = 40;
    e.nSeuilColorimetrie = 50;
    e.cMotif = "ciel.jpg";
    e.lMotifSym = true;
    e.nMethPixMotif = 3;
    e.nTolMotif = 60;
    e.nSeuilMotif = 90;
    e.nMethZoneMotif = 4;
    e.lMotifZone = true;
    e.rZoneMotif = QRect(QPoint(3, 4), QPoint(40, 50));
    CalculeIndicateurs(e, true);
    return e;
}

// The saved fields of a state, numbered from 1 as the saved form numbers them.
QStringList Champs(const TEtatEditeur &e)
{
    TEnrFiltres r = EnrDepuisEtat(e, true);
    r.lMotif = e.lMotif;
    return DecoupeRecord(FiltreSauve(r));
}

QString Rgb(QRgb c)
{
    return QStringLiteral("%1,%2,%3").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}
}

TEST(EditeurFiltre, EveryFieldSurvivesShowAndOk)
{
    const TEnrFiltres e = EnrComplet();
    ASSERT_TRUE(e.lActif && e.lGeneral && e.lFiltreEXIF && e.lFiltreIPTC && e.lColorimetrie && e.lMotif);
    const TEnrFiltres r = EnrDepuisEtat(EtatDepuisEnr(e), true);
    EXPECT_EQ(FiltreSauve(r), FiltreSauve(e));
    // What the saved form does not hold, or holds in 32 bits.
    EXPECT_EQ(r.nPageFiltres, 3);
    EXPECT_EQ(r.nPageIPTC, 2);
    EXPECT_EQ(r.nTailleInf, 5000000000LL);
    EXPECT_EQ(r.rZoneMotif, e.rZoneMotif);
    EXPECT_TRUE(r.lActif && r.lGeneral && r.lFiltreEXIF && r.lFiltreIPTC && r.lColorimetrie && r.lMotif);

    // Without descriptions handled their criterion does not survive.
    EXPECT_FALSE(EnrDepuisEtat(EtatDepuisEnr(e), false).lDescription);
    // Outputs of earlier tests are not carried into a fresh record.
    TEnrFiltres f = e;
    f.nResColorimetrie = 40;
    f.nResMotif = 50;
    EXPECT_EQ(EnrDepuisEtat(EtatDepuisEnr(f), true).nResMotif, 0);
    EXPECT_EQ(EnrDepuisEtat(EtatDepuisEnr(f), true).nResColorimetrie, 0);
}

TEST(EditeurFiltre, RecordValuesOutOfRangeAreBroughtWithinTheControls)
{
    TEnrFiltres e;
    e.nOpFocale = 9;
    e.nOpOriDate = -3;
    e.nImages = 7;
    e.nTolColorimetrie = 200;
    e.nSeuilMotif = 3;
    e.nTeinte = 250;
    e.nMethZoneMotif = 9;
    e.cFOriDate = "31/02/2005";
    e.dDateAnt = QDate();
    e.cFFocale = "5.6mm";
    const TEtatEditeur s = EtatDepuisEnr(e);
    EXPECT_EQ(s.nOpFocale, 6);
    EXPECT_EQ(s.nOpOriDate, 0);
    EXPECT_EQ(s.nImages, 3);
    EXPECT_EQ(s.nTolColorimetrie, 128);
    EXPECT_EQ(s.nSeuilMotif, 10);
    EXPECT_EQ(s.nTeinte, 239);
    EXPECT_EQ(s.nMethZoneMotif, 5);
    EXPECT_EQ(s.dOriDate, QDate::currentDate());
    EXPECT_EQ(s.dDateAnt, QDate::currentDate());
    EXPECT_EQ(s.cFFocale, "5,6");
}

TEST(EditeurFiltre, CaptionStarsAndOkRule)
{
    TEtatEditeur e;
    EXPECT_TRUE(OKPermis(e, true));
    TEtoiles t = Etoiles(e, false, true);
    EXPECT_FALSE(t.lGeneral || t.lEXIF || t.lIPTC || t.lColorimetrie || t.lMotif);

    // No kind: OK disabled whatever else is set.
    e.lJPEG = e.lRAW = e.lPNG = false;
    e.lColT = true;
    EXPECT_FALSE(OKPermis(e, true));
    EXPECT_TRUE(Etoiles(e, false, true).lGeneral);
    e = TEtatEditeur();

    // A models box with a blank text: no OK, no star.
    e.lModeles = true;
    e.cModeles = "   ";
    EXPECT_FALSE(OKPermis(e, true));
    EXPECT_FALSE(Etoiles(e, false, true).lGeneral);
    e.cModeles = "img*";
    EXPECT_TRUE(OKPermis(e, true));
    EXPECT_TRUE(Etoiles(e, false, true).lGeneral);
    e = TEtatEditeur();

    // A description box with a blank text counts only while descriptions are handled.
    e.lDescription = true;
    EXPECT_FALSE(OKPermis(e, true));
    EXPECT_TRUE(OKPermis(e, false));
    e = TEtatEditeur();

    // The images list is ignored under the search flag.
    e.nImages = 1;
    EXPECT_TRUE(Etoiles(e, false, true).lGeneral);
    EXPECT_FALSE(Etoiles(e, true, true).lGeneral);
    e = TEtatEditeur();

    // "<" for the focal length without a value: a star, but no EXIF criterion after OK.
    e.nOpFocale = 1;
    EXPECT_TRUE(Etoiles(e, false, true).lEXIF);
    const TEnrFiltres r = EnrDepuisEtat(e, true);
    EXPECT_FALSE(r.lFiltreEXIF);
    EXPECT_FALSE(r.lActif);
    e = TEtatEditeur();

    e.nOpOriDate = 2;
    t = Etoiles(e, false, true);
    EXPECT_TRUE(t.lCreditsOrigine && t.lIPTC);
    EXPECT_FALSE(t.lLegende || t.lMotsCles || t.lCategorie);
    e = TEtatEditeur();
    e.cMemoCatSuppl = "\n  \n";
    EXPECT_FALSE(Etoiles(e, false, true).lCategorie);
    e.cMemoCatSuppl = "\nX\n";
    EXPECT_TRUE(Etoiles(e, false, true).lCategorie);

    // The pattern needs the box, a name and a pixel set.
    e = TEtatEditeur();
    e.lMotif = true;
    EXPECT_FALSE(Etoiles(e, false, true).lMotif);
    e.cMotif = "a.jpg";
    EXPECT_TRUE(Etoiles(e, false, true).lMotif);
    e.lPixT = false;
    EXPECT_FALSE(Etoiles(e, false, true).lMotif);
    EXPECT_FALSE(EnrDepuisEtat(e, true).lMotif);
    EXPECT_EQ(Titre("Motif", true), "Motif*");
    EXPECT_EQ(Titre("Motif", false), "Motif");
}

TEST(EditeurFiltre, MemosBecomeTrimmedListsWithoutBlankLines)
{
    TEtatEditeur e;
    e.cMemoMotsCles = "  mer \n\n   \nplage";
    EXPECT_EQ(EnrDepuisEtat(e, true).cFMotsCles, QStringList({"mer", "plage"}).join(cSepIPTC));
    TEnrFiltres r;
    r.cFCatSuppl = QStringList({"A", "B"}).join(cSepIPTC);
    EXPECT_EQ(EtatDepuisEnr(r).cMemoCatSuppl, "A\nB");
}

TEST(EditeurFiltre, ColourConversionWorkedByHand)
{
    // Red: S = 1, L = 0.5, m2 = 1, m1 = 0; the red channel sits on m2, the others on m1.
    EXPECT_EQ(Rgb(VersRVB(0, 240, 120)), "255,0,0");
    // Green, hue 80: f = 0.3347; blue's x = 0.0014 gives 6x × 255 = 2.13.
    EXPECT_EQ(Rgb(VersRVB(80, 240, 120)), "0,255,2");
    // Greys: L × 255, halves to even (127.5 gives 128, 63.75 gives 64).
    EXPECT_EQ(Rgb(VersRVB(0, 0, 120)), "128,128,128");
    EXPECT_EQ(Rgb(VersRVB(200, 0, 60)), "64,64,64");
    // Hue 239 is red again: f = 1, red's x wraps to 1/3; at L = 0.25, m2 = 0.5 gives 127.5.
    EXPECT_EQ(Rgb(VersRVB(239, 240, 60)), "128,0,0");
    // Above half luminosity: S = 0.5, L = 0.75, m2 = 0.875, m1 = 0.625, f = 0.6695.
    EXPECT_EQ(Rgb(VersRVB(160, 120, 180)), "160,159,223");
}

TEST(EditeurFiltre, ChartAndBarClicksAndMarkers)
{
    const QSize Nuancier(200, 200), Barre(30, 200);
    // The top of the chart's left edge: hue 0, saturation 239; the bottom of the bar: 0.
    EXPECT_EQ(ClicNuancier(QPoint(0, 0), Nuancier), std::make_pair(0, 239));
    EXPECT_EQ(ClicNuancier(QPoint(199, 199), Nuancier), std::make_pair(239, 0));
    EXPECT_EQ(ClicNuancier(QPoint(100, 100), Nuancier), std::make_pair(120, 119));
    EXPECT_EQ(ClicBarre(199, Barre), 0);
    EXPECT_EQ(ClicBarre(0, Barre), 239);
    // A drag beyond the picture stays within the scale.
    EXPECT_EQ(ClicNuancier(QPoint(-5, 230), Nuancier), std::make_pair(0, 0));

    // Hue 120, saturation 120: x = rnd(120 × 199 / 239) = 100, y = 100, from (91, 90) to (109, 108).
    EXPECT_EQ(MarqueNuancier(120, 120, Nuancier), QRect(QPoint(91, 90), QSize(18, 18)));
    EXPECT_EQ(MarqueBarre(0, Barre), QRect(QPoint(6, 190), QSize(18, 18)));

    const QImage n = DessineNuancier(Nuancier);
    EXPECT_EQ(Rgb(n.pixel(0, 0)), Rgb(VersRVB(0, 239, 120)));
    EXPECT_EQ(Rgb(n.pixel(0, 199)), "128,128,128");
    EXPECT_EQ(Rgb(n.pixel(100, 0)), Rgb(VersRVB(120, 239, 120)));
    const QImage b = DessineBarre(Barre);
    EXPECT_EQ(Rgb(b.pixel(15, 199)), "0,0,0");
    EXPECT_EQ(Rgb(b.pixel(0, 0)), Rgb(VersRVB(0, 0, 239)));
}

TEST(EditeurFiltre, ZoneHitTestAndDrag)
{
    TZoneMotif z;
    EXPECT_EQ(z.Touche(QPoint(5, 5)), 0);

    // Dragging from a point without a zone makes a 17 × 17 one under the pointer.
    z.Presse(QPoint(10, 20));
    EXPECT_FALSE(z.lDefinie);
    const std::optional<QPoint> pt = z.Deplace(QPoint(10, 20));
    ASSERT_TRUE(pt);
    EXPECT_EQ(*pt, QPoint(26, 36));
    EXPECT_EQ(z.Rect(), QRect(10, 20, 17, 17));
    EXPECT_EQ(z.nCode, 9);
    // Its edges cannot make it narrower or lower than 17.
    EXPECT_FALSE(z.Deplace(QPoint(20, 30)));
    EXPECT_EQ(z.Rect(), QRect(10, 20, 17, 17));
    z.Deplace(QPoint(60, 80));
    EXPECT_EQ(z.Rect(), QRect(QPoint(10, 20), QPoint(60, 80)));
    z.Relache(QSize(100, 100));
    EXPECT_FALSE(z.lGlisse);

    // Hit codes around (10, 20)-(60, 80).
    EXPECT_EQ(z.Touche(QPoint(6, 16)), 1);
    EXPECT_EQ(z.Touche(QPoint(35, 23)), 2);
    EXPECT_EQ(z.Touche(QPoint(63, 19)), 3);
    EXPECT_EQ(z.Touche(QPoint(13, 50)), 4);
    EXPECT_EQ(z.Touche(QPoint(35, 50)), 5);
    EXPECT_EQ(z.Touche(QPoint(56, 50)), 6);
    EXPECT_EQ(z.Touche(QPoint(9, 83)), 7);
    EXPECT_EQ(z.Touche(QPoint(35, 76)), 8);
    EXPECT_EQ(z.Touche(QPoint(63, 83)), 9);
    EXPECT_EQ(z.Touche(QPoint(5, 50)), 0);
    EXPECT_EQ(z.Touche(QPoint(35, 84)), 0);

    // The left edge follows while 17 pixels stay, not beyond.
    z.Presse(QPoint(10, 50));
    EXPECT_EQ(z.nCode, 4);
    z.Deplace(QPoint(30, 50));
    EXPECT_EQ(z.nGauche, 30);
    z.Deplace(QPoint(50, 50));
    EXPECT_EQ(z.nGauche, 30);
    z.Relache(QSize(100, 100));

    // Moved by its inside past the picture, it is clamped on release.
    z.Presse(QPoint(45, 50));
    EXPECT_EQ(z.nCode, 5);
    z.Deplace(QPoint(85, 20));
    EXPECT_EQ(z.Rect(), QRect(QPoint(70, -10), QPoint(100, 50)));
    z.Relache(QSize(90, 100));
    EXPECT_EQ(z.Rect(), QRect(QPoint(70, 0), QPoint(89, 50)));
    EXPECT_TRUE(z.lDefinie);

    // Pressing outside drops it; moving without dragging only tests.
    z.Presse(QPoint(1, 99));
    EXPECT_FALSE(z.lDefinie);
    z.Relache(QSize(90, 100));
    EXPECT_FALSE(z.Deplace(QPoint(5, 5)));
    EXPECT_FALSE(z.lDefinie);

    // A zone left wholly outside a smaller picture is no zone.
    z.lDefinie = true;
    z.nGauche = 200;
    z.nDroite = 230;
    z.Borne(QSize(120, 120));
    EXPECT_FALSE(z.lDefinie);
}

TEST(EditeurFiltre, EachResetClearsItsPageOnly)
{
    const TEtatEditeur Plein = EtatDepuisEnr(EnrComplet());
    const QStringList Avant = Champs(Plein);
    const QStringList Defaut = Champs(TEtatEditeur());
    // Saved fields of each page, numbered from 1.
    const std::pair<int, int> Pages[] = {{1, 14}, {15, 26}, {27, 41}, {42, 47}, {48, 59}};
    void (*Remises[])(TEtatEditeur &) = {RAZGeneral, RAZEXIF, RAZIPTC, RAZColorimetrie, RAZMotif};
    for (int p = 0; p < 5; ++p) {
        TEtatEditeur e = Plein;
        Remises[p](e);
        const QStringList Apres = Champs(e);
        for (int n = 1; n <= 59; ++n) {
            const bool lPage = n >= Pages[p].first && n <= Pages[p].second;
            EXPECT_EQ(Apres[n - 1], lPage ? Defaut[n - 1] : Avant[n - 1]) << "page " << p << ", field " << n;
        }
    }
    TEtatEditeur e = Plein;
    RAZMotif(e);
    EXPECT_FALSE(e.Zone.lDefinie);
    EXPECT_TRUE(e.cMotif.isEmpty());
}

TEST(EditeurFiltre, TypedAndPastedTextIsFilteredAsKeys)
{
    EXPECT_EQ(FiltreSaisie("1.5a,2", TSaisie::Decimal), "1,5,2");
    EXPECT_EQ(FiltreSaisie("1/125 s", TSaisie::Vitesse), "1/125");
    EXPECT_EQ(FiltreSaisie("4 00.5", TSaisie::Entier), "4005");
    EXPECT_EQ(FiltreSaisie("٣2", TSaisie::Entier), "2");
    EXPECT_EQ(FiltreModeles("img*.jpg dsc"), "img*jpg dsc");
}

TEST(EditeurFiltre, PatternFolderListingAndLoading)
{
    QTemporaryDir Temp;
    const QString d = Temp.path() + "/Motifs/";
    EXPECT_TRUE(ListeMotifs(d).isEmpty());
    ASSERT_TRUE(EcritJpeg(d + "b.jpeg", 30, 20, Qt::red));
    ASSERT_TRUE(EcritJpeg(d + "A.JPG", 10, 10, Qt::blue));
    QDir().mkpath(d + "dossier.jpg");
    QFile f(d + "c.png");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QFile g(d + "casse.jpg");
    ASSERT_TRUE(g.open(QIODevice::WriteOnly));
    g.write("pas une image");
    g.close();
    EXPECT_EQ(ListeMotifs(d), QStringList({"A.JPG", "b.jpeg", "casse.jpg"}));

    const std::optional<QImage> m = ChargeMotif(d, "b.jpeg");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->size(), QSize(30, 20));
    EXPECT_FALSE(ChargeMotif(d, "casse.jpg"));
    EXPECT_FALSE(ChargeMotif(d, ""));
    EXPECT_FALSE(ChargeMotif(d, "absent.jpg"));
    ASSERT_TRUE(EcritJpeg(Temp.path() + "/dehors.jpg", 10, 10, Qt::blue));
    EXPECT_FALSE(ChargeMotif(d, "../dehors.jpg"));
    EXPECT_EQ(MotifVide(Qt::gray).size(), QSize(120, 120));
}

TEST(EditeurFiltre, TakenPatternIsWrittenAsShownAndNeverReplacesAnother)
{
    QTemporaryDir Temp;
    const QString d = Temp.path() + "/Motifs/";
    QImage Vignette(160, 100, QImage::Format_RGB32);
    Vignette.fill(Qt::green);
    // The picture shown: longer side 120, the other rnd(120 / 1.6) = 75.
    const QImage Prise = ImagePriseCommeMotif(Vignette);
    EXPECT_EQ(Prise.size(), QSize(120, 75));
    QImage Haute(60, 90, QImage::Format_RGB32);
    Haute.fill(Qt::red);
    EXPECT_EQ(ImagePriseCommeMotif(Haute).size(), QSize(80, 120));

    QString cErreur;
    const std::optional<QString> n1 = EcritMotif(Prise, d, "/photos/a/IMG_0001.CRW", &cErreur);
    ASSERT_TRUE(n1) << cErreur.toStdString();
    EXPECT_EQ(*n1, "IMG_0001.jpg");
    // The file holds the picture shown, so that the zone drawn on one is read in the other.
    EXPECT_EQ(ChargeMotif(d, *n1)->size(), QSize(120, 75));
    // The same picture again is the same file.
    EXPECT_EQ(EcritMotif(Prise, d, "/photos/a/IMG_0001.jpg", nullptr), "IMG_0001.jpg");
    // Another picture of the same name gets a name of its own.
    const std::optional<QString> n2 = EcritMotif(ImagePriseCommeMotif(Haute), d, "/photos/b/IMG_0001.jpg", nullptr);
    EXPECT_EQ(n2, "IMG_0001(2).jpg");
    EXPECT_EQ(ChargeMotif(d, "IMG_0001.jpg")->size(), QSize(120, 75));

    // A folder that cannot be written: no name, a reason.
    QFile Bloque(Temp.path() + "/bloque");
    ASSERT_TRUE(Bloque.open(QIODevice::WriteOnly));
    Bloque.close();
    cErreur.clear();
    EXPECT_FALSE(EcritMotif(Prise, Temp.path() + "/bloque/Motifs/", "x.jpg", &cErreur));
    EXPECT_FALSE(cErreur.isEmpty());
}

TEST(EditeurFiltre, SavedFiltersThroughTheStore)
{
    QTemporaryDir Temp;
    TBigIniFile ini(Temp.filePath("KX_Setup.ini"));
    TEtatEditeur e = EtatDepuisEnr(EnrComplet());
    e.cFTitre = "a|b";
    e.lMotif = true;
    e.cMotif.clear(); // the box checked without a pattern is saved as checked
    ASSERT_TRUE(SauveFiltre(ini, "  Plage ", e, true));
    ASSERT_TRUE(SauveFiltre(ini, "autre", TEtatEditeur(), true));
    EXPECT_EQ(NomsFiltresSauves(ini), QStringList({"autre", "Plage"}));

    TBigIniFile Relu(Temp.filePath("KX_Setup.ini"));
    TEtatEditeur r;
    r.nPageFiltres = 1;
    ASSERT_TRUE(RestaureFiltre(Relu, "Plage", r));
    // The pages shown are the dialog's, not the saved filter's.
    EXPECT_EQ(r.nPageFiltres, 1);
    EXPECT_TRUE(r.lMotif);
    EXPECT_EQ(r.cFTitre, "a¦b");
    QStringList Attendu = Champs(e);
    Attendu[26] = "a¦b";
    EXPECT_EQ(Champs(r), Attendu);

    ASSERT_TRUE(SupprimeFiltre(ini, "autre"));
    EXPECT_EQ(NomsFiltresSauves(TBigIniFile(Temp.filePath("KX_Setup.ini"))), QStringList({"Plage"}));
}

TEST(EditeurFiltre, RestoringBadSavedValues)
{
    QTemporaryDir Temp;
    TBigIniFile ini(Temp.filePath("KX_Setup.ini"));
    QStringList Items = DecoupeRecord(FiltreSauve(EnrComplet()));
    Items[15] = "9";          // focal operator
    Items[45] = "500";        // colour tolerance
    Items[51] = "abc";        // pattern tolerance
    Items[9] = "31/02/2005";  // date before
    Items[37] = "31/02/2005"; // IPTC date
    Items[2] = "oui";         // models box: true only for "1"
    ini.WriteString(cSectionSauvegardeFiltres, "abimé", FormeRecord(Items));
    TEtatEditeur e;
    ASSERT_TRUE(RestaureFiltre(ini, "abimé", e));
    EXPECT_EQ(e.nOpFocale, 6);
    EXPECT_EQ(e.nTolColorimetrie, 128);
    EXPECT_EQ(e.nTolMotif, 32);
    EXPECT_EQ(e.dDateAnt, QDate::currentDate());
    EXPECT_EQ(e.dOriDate, QDate::currentDate());
    EXPECT_FALSE(e.lModeles);
    EXPECT_EQ(e.cFAppareil, "Canon*");

    // Not 59 fields: nothing changes.
    ini.WriteString(cSectionSauvegardeFiltres, "court", FormeRecord(Items.mid(0, 58)));
    TEtatEditeur f;
    f.cFAppareil = "inchangé";
    EXPECT_FALSE(RestaureFiltre(ini, "court", f));
    EXPECT_FALSE(RestaureFiltre(ini, "absent", f));
    EXPECT_EQ(f.cFAppareil, "inchangé");
}

TEST(EditeurFiltre, FailedStoreSaveKeepsTheFilterInMemory)
{
    QTemporaryDir Temp;
    QFile Bloque(Temp.filePath("bloque"));
    ASSERT_TRUE(Bloque.open(QIODevice::WriteOnly));
    Bloque.close();
    TBigIniFile ini(Temp.filePath("bloque/KX_Setup.ini"));
    TEtatEditeur e;
    e.cFAppareil = "Nikon";
    EXPECT_FALSE(SauveFiltre(ini, "n", e, true));
    EXPECT_EQ(NomsFiltresSauves(ini), QStringList({"n"}));
    TEtatEditeur r;
    ASSERT_TRUE(RestaureFiltre(ini, "n", r));
    EXPECT_EQ(r.cFAppareil, "Nikon");
}
