#include "filters/Filtres.h"
#include "metadata/DonneesMeta.h"

#include <gtest/gtest.h>

namespace
{
// A record with general and EXIF criteria, as the editor would leave it.
TEnrFiltres GeneralEtExif()
{
    TEnrFiltres e;
    e.nImages = 1;
    e.lRAW = false;
    e.lModeles = true;
    e.cModeles = "img* dsc*";
    e.lTailleInf = true;
    e.nTailleInf = 1000;
    e.lTailleSup = true;
    e.nTailleSup = 10;
    e.lDateAnt = true;
    e.dDateAnt = QDate(2005, 7, 14);
    e.lDatePst = true;
    e.dDatePst = QDate(2005, 1, 1);
    e.cFAppareil = "Canon*";
    e.nOpFocale = 4;
    e.cFFocale = "50";
    e.nOpVitesse = 1;
    e.cFVitesse = "1/60";
    e.nOpISO = 2; // set, but without a value: not a criterion
    e.nOpDatePDV = 3;
    e.dFDatePDV = QDate(2005, 7, 14);
    e.cFCommentaire = "vacances";
    CalculeIndicateurs(e, false);
    return e;
}
}

TEST(Filtres, DerivedFlags)
{
    TEnrFiltres e;
    CalculeIndicateurs(e, true);
    EXPECT_FALSE(e.lActif);
    EXPECT_FALSE(e.lMotif); // the box alone, without a pattern file

    e.nOpFocale = 3; // an operator without a value is nothing
    CalculeIndicateurs(e, false);
    EXPECT_FALSE(e.lFiltreEXIF);
    e.nOpDatePDV = 1; // a date always has a value
    CalculeIndicateurs(e, false);
    EXPECT_TRUE(e.lFiltreEXIF);
    EXPECT_TRUE(e.lActif);

    e = TEnrFiltres();
    e.lPNG = false;
    e.cFCatSuppl = QString(cSepIPTC) + "  ";
    e.nOpOriDate = 2;
    CalculeIndicateurs(e, false);
    EXPECT_TRUE(e.lGeneral);
    EXPECT_FALSE(e.lFCategorie);
    EXPECT_TRUE(e.lFOrigine);
    EXPECT_TRUE(e.lFiltreIPTC);

    e = TEnrFiltres();
    e.cMotif = "ciel.bmp";
    e.nMethColorimetrie = 1;
    CalculeIndicateurs(e, true);
    EXPECT_TRUE(e.lMotif);
    EXPECT_TRUE(e.lColorimetrie);
    e.nMethPixMotif = 0;
    CalculeIndicateurs(e, true);
    EXPECT_FALSE(e.lMotif);
}

TEST(Filtres, SummaryOfAResetFilterIsTheInvitation)
{
    TEnrFiltres e;
    RAZEnrFiltre(e);
    EXPECT_EQ(ResumeFiltre(e, TTypeFiltre::Recherche, true),
              "Filtrer les images selon leurs types, modèles, taille, date, méta-données (EXIF et IPTC),\r\n"
              "leur colorimétrie et leur ressemblance à un motif");
    const QString cAutres = "Filtrer les images selon leurs critères, types, modèles, taille, date, méta-données "
                            "(EXIF et IPTC),\r\nleur colorimétrie et leur ressemblance à un motif";
    EXPECT_EQ(ResumeFiltre(e, TTypeFiltre::Exploration, true), cAutres);
    EXPECT_EQ(ResumeFiltre(e, TTypeFiltre::HistoriqueCD, false), cAutres);
}

TEST(Filtres, SummaryOfGeneralAndExifCriteria)
{
    const TEnrFiltres e = GeneralEtExif();
    const QString cAttendu = "<PG>FILTRES</PG/>"
                             "\r\n<CS>Général</CS/>"
                             "\r\n<SG>Images :</SG/> Coups de coeur"
                             "\r\n<SG>Type(s) :</SG/> JPEG PNG"
                             "\r\n<SG>Modèles :</SG/> img* dsc*"
                             "\r\n<SG>Taille :</SG/>  < 1000 Octet(s)  > 10 Octet(s)"
                             "\r\n<SG>Date :</SG/>  < 14/07/2005  > 01/01/2005"
                             "\r\n<CS>EXIF</CS/>"
                             "\r\n<SG>Appareil :</SG/> Canon*"
                             "\r\n<SG>Focale >=</SG/> 50 mm"
                             "\r\n<SG>Vitesse <</SG/> 1/60 s"
                             "\r\n<SG>Date =</SG/> Je 14/07/2005"
                             "\r\n<SG>Commentaire :</SG/> 'vacances'";
    EXPECT_EQ(ResumeFiltre(e, TTypeFiltre::Exploration, false), cAttendu);

    // The description shows only while descriptions are handled.
    TEnrFiltres d;
    d.lDescription = true;
    d.cDescription = "*mer*";
    CalculeIndicateurs(d, false);
    EXPECT_EQ(ResumeFiltre(d, TTypeFiltre::Exploration, true),
              "<PG>FILTRES</PG/>\r\n<CS>Général</CS/>\r\n<SG>Description :</SG/> *mer*");
    EXPECT_EQ(ResumeFiltre(d, TTypeFiltre::Exploration, false), "<PG>FILTRES</PG/>\r\n<CS>Général</CS/>");
}

TEST(Filtres, SummaryOfIptcColourAndPattern)
{
    TEnrFiltres e;
    e.cFTitre = "Rome";
    e.cFMotsCles = QStringList({"MER", "PLAGE"}).join(cSepIPTC);
    e.cFCatSuppl = QStringList({"VOY", "ETE"}).join(cSepIPTC);
    e.nOpOriDate = 5;
    e.cFOriDate = "14/07/2005";
    e.cFOriPays = "Italie";
    e.nMethColorimetrie = 4 + 1;
    e.nTeinte = 10;
    e.nLuminosite = 200;
    e.cMotif = "ciel.bmp";
    e.lMotifSym = true;
    e.nMethZoneMotif = 2;
    e.nMethPixMotif = 6;
    CalculeIndicateurs(e, true);
    EXPECT_EQ(ResumeFiltre(e, TTypeFiltre::Recherche, true),
              "<PG>FILTRES</PG/>"
              "\r\n<CS>IPTC</CS/>"
              "\r\n<SG>Légende</SG/>\r\n     <SS>Titre :</SS/> Rome"
              "\r\n<SG>Mots-clés :</SG/> MER PLAGE"
              "\r\n<SG>Catégorie</SG/>\r\n     <SS>Cat. Suppl. :</SS/> VOY ETE"
              "\r\n<SG>Origine</SG/>\r\n<SS>Date ></SS/> Je 14/07/2005\r\n     <SS>Pays :</SS/> Italie"
              "\r\n<CS>Colorimétrie</CS/>"
              "\r\n<SG>Teinte :</SG/> 10 <SG>Luminosité :</SG/> 200 "
              "\r\n<SG>Tolérance :</SG/> 32 <SG>Seuil :</SG/> 75"
              "\r\n<CS>Motif</CS/>"
              "\r\n<SG>Rechercher les images symétriques</SG/>"
              "\r\n<SG>Méthode de recherche de la Zone :</SG/> ID + au centre des autres images"
              "\r\n<SG>Méthode de recherche des Pixels :</SG/> TeinteSaturation"
              "\r\n<SG>Tolérance :</SG/> 32 <SG>Seuil :</SG/> 75");
}

TEST(Filtres, SavedFormRoundTripsAndKeepsItsFieldCount)
{
    TEnrFiltres e = GeneralEtExif();
    e.cFTitre = "a|b";
    e.cFTexte = "ligne 1\r\nligne 2";
    e.cFMotsCles = QStringList({" MER ", "", "PLAGE"}).join(cSepIPTC);
    e.cMotif = "ciel.bmp";
    e.lMotifZone = true;
    e.rZoneMotif = QRect(QPoint(3, 4), QPoint(20, 30));
    CalculeIndicateurs(e, true);

    const QString s = FiltreSauve(e);
    EXPECT_EQ(s.count('|'), 59);
    EXPECT_TRUE(s.startsWith("1|5|1|img* dsc*|1|1000|1|10|1|14/07/2005|1|01/01/2005|0||Canon*|4|50|1|1/60|0||3|"
                             "14/07/2005|2||vacances|a¦b|ligne 1  ligne 2|"))
        << s.toStdString();
    EXPECT_TRUE(s.endsWith("|1|ciel.bmp|4|0|32|75|0|1|3|4|20|30|")) << s.toStdString();

    TEnrFiltres r;
    ASSERT_TRUE(LitFiltreSauve(s, r));
    EXPECT_EQ(FiltreSauve(r), s);
    EXPECT_EQ(r.cFTitre, "a¦b");
    EXPECT_EQ(r.cFMotsCles, QStringList({"MER", "PLAGE"}).join(cSepIPTC));
    EXPECT_EQ(r.dDatePst, QDate(2005, 1, 1));
    EXPECT_EQ(r.rZoneMotif, QRect(QPoint(3, 4), QPoint(20, 30)));
    EXPECT_TRUE(r.lActif);
    EXPECT_TRUE(r.lMotif);
    EXPECT_FALSE(r.lRAW);

    // Sizes beyond 32 bits keep the saved form's 32-bit field.
    TEnrFiltres g;
    g.lTailleSup = true;
    g.nTailleSup = 3000000000LL;
    EXPECT_TRUE(FiltreSauve(g).startsWith("0|7|0||0|0|1|2147483647|"));
}

TEST(Filtres, MalformedSavedFormsChangeNothing)
{
    const QString s = FiltreSauve(GeneralEtExif());
    TEnrFiltres r;
    r.cModeles = "inchangé";
    const TEnrFiltres Avant = r;
    auto Inchange = [&] { return r.cModeles == Avant.cModeles && r.lActif == Avant.lActif; };

    const QString c58 = s.left(s.lastIndexOf('|', -2) + 1);
    EXPECT_EQ(c58.count('|'), 58);
    EXPECT_FALSE(LitFiltreSauve(c58, r));
    EXPECT_TRUE(Inchange());
    EXPECT_FALSE(LitFiltreSauve(s + "0|", r));
    EXPECT_TRUE(Inchange());
    // A trailing piece without its separator is an item too.
    EXPECT_FALSE(LitFiltreSauve(s + "0", r));
    EXPECT_TRUE(LitFiltreSauve(s + "  ", r));
    r = Avant;

    QString cDate = s;
    cDate.replace("14/07/2005|1|01/01/2005", "14/07/2005|1|32/01/2005");
    ASSERT_NE(cDate, s);
    EXPECT_FALSE(LitFiltreSauve(cDate, r));
    EXPECT_TRUE(Inchange());
    QString cNombre = s;
    cNombre.replace(0, 1, "x");
    EXPECT_FALSE(LitFiltreSauve(cNombre, r));
    EXPECT_FALSE(LitFiltreSauve(QString(), r));
    EXPECT_TRUE(Inchange());
}

TEST(Filtres, OutOfRangeColourAndPatternValuesAreClamped)
{
    QStringList Champs = FiltreSauve(TEnrFiltres()).split('|');
    // Fields 42 to 47 (colour) and 50, 52 to 54 (pattern), as a hand-edited store may hold them.
    const QList<std::pair<int, const char *>> Valeurs = {{42, "250"}, {43, "255"}, {45, "9"},   {46, "200"}, {47, "3"},
                                                         {50, "12"},  {52, "0"},   {53, "101"}, {54, "7"}};
    for (const auto &[n, c] : Valeurs)
        Champs[n - 1] = c;
    TEnrFiltres r;
    ASSERT_TRUE(LitFiltreSauve(Champs.join('|'), r));
    EXPECT_EQ(r.nTeinte, 239);
    EXPECT_EQ(r.nSaturation, 240);
    EXPECT_EQ(r.nMethColorimetrie, 7);
    EXPECT_EQ(r.nTolColorimetrie, 128);
    EXPECT_EQ(r.nSeuilColorimetrie, 10);
    EXPECT_EQ(r.nMethPixMotif, 7);
    EXPECT_EQ(r.nTolMotif, 8);
    EXPECT_EQ(r.nSeuilMotif, 100);
    EXPECT_EQ(r.nMethZoneMotif, 5);
}
