#include "metadata/TextesMeta.h"

#include <gtest/gtest.h>

namespace
{
TDonneesEXIF Exif()
{
    TDonneesEXIF e;
    e.lEXIF = true;
    e.cAppareil = "E950";
    e.cFocale = "28";
    e.cFocaleReelle = "14";
    e.lFocEq = true;
    e.cVitesse = "1/125";
    e.cDiaphragme = "5,6";
    e.cDatePDV = "14/07/2005 18:30:05"; // a Thursday
    e.cISO = "100";
    e.cOrientation = "6";
    e.cCommentaire = "Chambord";
    return e;
}

QStringList Textes(const TNoeudMeta &n)
{
    QStringList l;
    for (const TNoeudMeta &e : n.Enfants)
        l << e.cTexte;
    return l;
}
}

TEST(TextesMeta, PrefixeDuJourDeLaSemaine)
{
    EXPECT_EQ(PrefixeJour("14/07/2005 18:30:05"), "Je ");
    EXPECT_EQ(PrefixeJour("11/07/2005"), "Lu ");
    EXPECT_EQ(PrefixeJour("13/07/2005"), "Me ");
    EXPECT_EQ(PrefixeJour("17/07/2005 00:00:00"), "Di ");
    EXPECT_EQ(PrefixeJour("31/02/2005"), "");
    EXPECT_EQ(PrefixeJour("2005:07:14"), "");
    EXPECT_EQ(PrefixeJour(""), "");
}

TEST(TextesMeta, MemoDEtat)
{
    const QString cPuce = QString::fromUtf8(" • ");
    EXPECT_EQ(TexteEtatEXIF(Exif()), "E950" + cPuce + "28 mm" + cPuce + "1/125 s" + cPuce + "f5,6" + cPuce
                                         + "Je 14/07/2005 18:30:05" + cPuce + "100 ISO");
    TDonneesEXIF e;
    e.cAppareil = "E950";
    e.cISO = "80";
    EXPECT_EQ(TexteEtatEXIF(e), "E950" + cPuce + "80 ISO");
    TDonneesIPTC r;
    r.cMotsClesIPTC = QString("mer") + QChar(1) + "plage" + QChar(1) + "sable";
    EXPECT_EQ(TexteEtatMotsClesIPTC(r), "mer plage sable");
    EXPECT_EQ(CouleurEtatEXIF(), QColor(0, 128, 0));
    EXPECT_EQ(CouleurEtatIPTC(), QColor(0, 128, 128));
}

TEST(TextesMeta, BlocsDeLaBulle)
{
    EXPECT_EQ(BlocHintEXIF(Exif(), true),
              QString::fromUtf8("\r\n<PG>EXIF</PG/>\r\n<SG>APPAREIL :</SG/> E950\r\n<SG>FOCALE :</SG/> 28 (14) mm"
                                "\r\n<SG>VITESSE :</SG/> 1/125 s\r\n<SG>DIAPHRAGME :</SG/> f 5,6"
                                "\r\n<SG>DATE :</SG/> Je 14/07/2005 18:30:05\r\n<SG>ISO :</SG/> 100"
                                "\r\n<SG>ORIENTATION :</SG/> 6\r\n<SG>COMMENTAIRE :</SG/> 'Chambord'"));
    EXPECT_EQ(BlocHintEXIF(Exif(), false), "");
    TDonneesEXIF e;
    e.lEXIF = true;
    e.cFocale = "50";
    EXPECT_EQ(BlocHintEXIF(e, true), "\r\n<PG>EXIF</PG/>\r\n<SG>FOCALE :</SG/> 50 mm");

    TDonneesIPTC r;
    r.cTitre = "Titre";
    r.cTexte = "Un texte assez long pour tenir sur deux lignes au moins";
    r.cMotsClesIPTC = QString("mer") + QChar(1) + "plage";
    r.cOriDate = "26/02/2004";
    r.CalculeGroupes();
    EXPECT_EQ(BlocHintIPTC(r, true),
              QString::fromUtf8("\r\n<PG>IPTC</PG/>\r\n<SG>Légende</SG/>\r\n     <SS>Titre :</SS/> Titre"
                                "\r\n     <SS>Texte :</SS/> Un texte assez long pour tenir sur deux"
                                "\r\n          lignes au moins"
                                "\r\n<SG>Mots-clés :</SG/> mer plage"
                                "\r\n<SG>Origine</SG/>\r\n     <SS>Date :</SS/> Je 26/02/2004"));
    EXPECT_EQ(BlocHintIPTC(r, false), "");
}

TEST(TextesMeta, CouperLignes)
{
    EXPECT_EQ(CouperLignes("abc def ghi", 7), QStringList({"abc", "def ghi"}));
    EXPECT_EQ(CouperLignes("abcdefghij", 4), QStringList({"abcd", "efgh", "ij"}));
    EXPECT_EQ(CouperLignes("court", 40), QStringList({"court"}));
}

TEST(TextesMeta, ArbreEXIFSelonLOrdre)
{
    const auto n = NoeudEXIF(Exif(), "AFVDPIOC");
    ASSERT_TRUE(n.has_value());
    EXPECT_EQ(n->cTexte, "EXIF");
    EXPECT_EQ(Textes(*n), QStringList({"E950", "28 mm", "1/125 s", "f 5,6", "Je 14/07/2005 18:30:05", "100",
                                       "Orientation : 6", "'Chambord'"}));
    EXPECT_EQ(n->Enfants[1].nImage, 32); // converted focal length
    const auto d = NoeudEXIF(Exif(), "DA");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(Textes(*d), QStringList({"f 5,6", "E950"}));
    EXPECT_EQ(Textes(*NoeudEXIF(Exif(), "aFvdpioc")), QStringList({"28 mm"}));
    EXPECT_FALSE(NoeudEXIF(Exif(), "123").has_value());
    EXPECT_FALSE(NoeudEXIF(TDonneesEXIF{}, "AFVDPIOC").has_value());
    TDonneesEXIF e = Exif();
    e.cOrientation = "1";
    e.lFocEq = false;
    const auto o = NoeudEXIF(e, "FO");
    EXPECT_EQ(Textes(*o), QStringList({"28 mm"}));
    EXPECT_EQ(o->Enfants[0].nImage, 18);
}

TEST(TextesMeta, ArbreIPTCParGroupesPresents)
{
    TDonneesIPTC r;
    r.cTitre = "T";
    r.cMotsClesIPTC = QString("mer") + QChar(1) + "plage";
    r.cCatSuppl = QString("a") + QChar(1) + "b";
    r.cSource = "S";
    r.CalculeGroupes();
    const auto n = NoeudIPTC(r, "LMCRO");
    ASSERT_TRUE(n.has_value());
    EXPECT_EQ(Textes(*n), QStringList({QString::fromUtf8("Légende"), QString::fromUtf8("Mots-clés :"),
                                       QString::fromUtf8("Catégorie"), QString::fromUtf8("Crédits")}));
    EXPECT_EQ(Textes(n->Enfants[0]), QStringList({"Titre : T"}));
    EXPECT_EQ(Textes(n->Enfants[1]), QStringList({"mer", "plage"}));
    EXPECT_EQ(Textes(n->Enfants[2]), QStringList({"Cat. Suppl. :"}));
    EXPECT_EQ(Textes(n->Enfants[2].Enfants[0]), QStringList({"a", "b"}));
    EXPECT_EQ(Textes(n->Enfants[3]), QStringList({"Source : S"}));
    EXPECT_EQ(Textes(*NoeudIPTC(r, "RmL")), QStringList({QString::fromUtf8("Crédits"), QString::fromUtf8("Légende")}));
    EXPECT_FALSE(NoeudIPTC(r, "lmcro").has_value());
}
