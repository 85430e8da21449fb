#include "metadata/Extraction.h"

#include <QFileInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace
{

quint32 Bits(std::initializer_list<int> Items)
{
    quint32 n = 0;
    for (int i : Items)
        n |= 1u << i;
    return n;
}

TEnrLV Image(const QString &cChemin)
{
    TEnrLV e;
    e.cChemin = cChemin;
    e.lExiste = true;
    return e;
}

QString Texte(const TParagrapheRTF &Par)
{
    return TexteDeParagraphes({Par}).chopped(1);
}

} // namespace

TEST(Extraction, MaskKeepsTheDescriptionBitWhileDescriptionsAreOff)
{
    EXPECT_EQ(ChoixDeMasque(nMasqueChoixDonDefaut, true), (1u << 27) - 1);
    // Bits past the 27 items are not items.
    EXPECT_EQ(ChoixDeMasque(-1, true), (1u << 27) - 1);
    EXPECT_EQ(ChoixDeMasque(nMasqueChoixDonDefaut, false), ((1u << 27) - 1) & ~(1u << 4));

    // Descriptions off: the user's choice of other items is saved, the description's bit as read.
    EXPECT_EQ(MasqueAEnregistrer(Bits({0, 5}), Bits({4, 6}), false), static_cast<int>(Bits({0, 4, 5})));
    EXPECT_EQ(MasqueAEnregistrer(Bits({0, 5}), Bits({6}), false), static_cast<int>(Bits({0, 5})));
    // Descriptions on: the bit follows the item.
    EXPECT_EQ(MasqueAEnregistrer(Bits({0}), Bits({4}), true), static_cast<int>(Bits({0})));
    EXPECT_EQ(MasqueAEnregistrer(Bits({4}), 0, true), static_cast<int>(Bits({4})));
    // Bits past 26 of the saved mask stay; those of the choice never go out.
    EXPECT_EQ(MasqueAEnregistrer(Bits({1, 29}), Bits({30}), true), static_cast<int>(Bits({1, 30})));

    ASSERT_EQ(ChoixDonnees().size(), nNbChoixDon);
    EXPECT_EQ(MasqueDuGroupe(TGroupeDon::Generales) | MasqueDuGroupe(TGroupeDon::EXIF)
                  | MasqueDuGroupe(TGroupeDon::IPTC),
              (1u << 27) - 1);
    for (int i = 0; i < nNbChoixDon; ++i) {
        const TGroupeDon g = ChoixDonnees()[i].nGroupe;
        EXPECT_TRUE(i >= PremierChoixDuGroupe(g) && i <= DernierChoixDuGroupe(g)) << i;
    }
}

TEST(Extraction, NormalModeSkipsImagesWithoutTheChosenGroupAndNumbersTheOthers)
{
    TEnrLV a = Image(QStringLiteral("/photos/été/a.jpg"));
    a.lEXIF = true;
    a.cFocale = QStringLiteral("50");
    a.cDiaphragme = QStringLiteral("2.8");
    a.cVitesse = QStringLiteral(" ");
    a.cCommentaire = QStringLiteral("ligne 1\r\nligne 2|fin\n");
    TEnrLV b = Image(QStringLiteral("/photos/b.jpg"));
    TEnrLV c = Image(QStringLiteral("/photos/c.jpg"));
    c.lEXIF = true;
    c.cISO = QStringLiteral("200");
    TSourcesExtraction S;

    const TRapportExtraction r = ExtraitNormal({&a, &b, &c}, Bits({6, 7, 8, 10, 11, 12}), S);
    EXPECT_EQ(r.nNbImages, 2);
    EXPECT_EQ(r.Brut, QStringList({QStringLiteral("Focale|Vitesse|Diaphragme|ISO|Orientation|Commentaire|"),
                                   QStringLiteral("50||2.8||1|ligne 1 ligne 2¦fin|"), QStringLiteral("|||200|1||")}));
    EXPECT_EQ(r.nLigneBrut, QList<int>({1, -1, 2}));

    QStringList Lignes;
    for (const TParagrapheRTF &Par : r.Formate)
        Lignes.append(Texte(Par));
    EXPECT_EQ(Lignes,
              QStringList({QStringLiteral("1) a.jpg :"), QStringLiteral("EXIF :"), QStringLiteral("Focale : 50 mm"),
                           QStringLiteral("Diaphragme : f/2.8"), QStringLiteral("Orientation : 1"),
                           QStringLiteral("Commentaire : ligne 1 ligne 2|fin"), QString(), QStringLiteral("2) c.jpg :"),
                           QStringLiteral("EXIF :"), QStringLiteral("ISO : 200"), QStringLiteral("Orientation : 1")}));
    EXPECT_EQ(r.nLigneFormate, QList<int>({0, -1, 7}));

    // Looks: bold 10 pt title, bold indented group line, underlined name further indented.
    const TParagrapheRTF &Titre = r.Formate[0];
    ASSERT_EQ(Titre.lstSegments.size(), 1);
    EXPECT_TRUE(Titre.lstSegments[0].lGras);
    EXPECT_DOUBLE_EQ(Titre.lstSegments[0].rTaille, 10.0);
    EXPECT_TRUE(r.Formate[1].lstSegments[0].lGras);
    EXPECT_GT(r.Formate[1].nRetraitGauche, Titre.nRetraitGauche);
    const TParagrapheRTF &Focale = r.Formate[2];
    EXPECT_GT(Focale.nRetraitGauche, r.Formate[1].nRetraitGauche);
    ASSERT_EQ(Focale.lstSegments.size(), 2);
    EXPECT_TRUE(Focale.lstSegments[0].lSouligne);
    EXPECT_EQ(Focale.lstSegments[0].sTexte, QStringLiteral("Focale :"));
    EXPECT_FALSE(Focale.lstSegments[1].lSouligne || Focale.lstSegments[1].lGras);
    EXPECT_DOUBLE_EQ(Focale.lstSegments[1].rTaille, 8.0);
}

TEST(Extraction, NormalModeGeneralItemsAndDescriptions)
{
    TEnrLV a = Image(QStringLiteral("/photos/a|b.jpg"));
    a.lIPTC = true;
    a.cMotsClesIPTC = QStringLiteral("mer") + cSepIPTC + QStringLiteral("plage");
    a.cOrientation = QStringLiteral("6"); // no EXIF: not reported
    TSourcesExtraction S;
    S.fnMotsCles = [](const TEnrLV &) { return QStringLiteral("MER PLAGE"); };
    S.fnLegende = [](const TEnrLV &) { return QStringLiteral("  au\nsoleil "); };
    S.fnDescription = [](const TEnrLV &) { return QStringLiteral("desc"); };

    const quint32 nChoix = Bits({0, 1, 2, 3, 4, 11, 17});
    TRapportExtraction r = ExtraitNormal({&a}, nChoix, S);
    EXPECT_EQ(r.Brut, QStringList({QStringLiteral("Emplacement|Nom|Mots-clés|Légende|Orientation|Mots-clés|"),
                                   QStringLiteral("/photos/|a¦b.jpg|MER PLAGE|au soleil||mer plage|")}));
    QStringList Lignes;
    for (const TParagrapheRTF &Par : r.Formate)
        Lignes.append(Texte(Par));
    EXPECT_EQ(Lignes, QStringList({QStringLiteral("1) a|b.jpg :"), QStringLiteral("Données générales :"),
                                   QStringLiteral("Emplacement : /photos/"), QStringLiteral("Nom : a|b.jpg"),
                                   QStringLiteral("Mots-clés : MER PLAGE"), QStringLiteral("Légende : au soleil"),
                                   QStringLiteral("IPTC :"), QStringLiteral("Mots-clés : mer plage")}));

    S.lTrtDescription = true;
    r = ExtraitNormal({&a}, nChoix, S);
    EXPECT_TRUE(r.Brut[0].startsWith(QStringLiteral("Emplacement|Nom|Mots-clés|Légende|Description|")));
    EXPECT_TRUE(r.Brut[1].contains(QStringLiteral("|au soleil|desc|")));

    // Only EXIF items and an image without EXIF: no image, the header alone.
    r = ExtraitNormal({&a}, Bits({5}), S);
    EXPECT_EQ(r.nNbImages, 0);
    EXPECT_TRUE(r.Formate.isEmpty());
    EXPECT_EQ(r.TexteBrut(), QStringLiteral("Appareil|\n"));
}

TEST(Extraction, AllPresentModeUnitesTagsAndLeavesEmptyColumns)
{
    QList<TEnrLV> Images = {Image(QStringLiteral("/x/un.jpg")), Image(QStringLiteral("/x/deux.jpg")),
                            Image(QStringLiteral("/x/trois.jpg")), Image(QStringLiteral("/x/quatre.jpg"))};
    Images[1].nNumCD = 12; // a disc that is not in a drive
    QList<const TEnrLV *> Liste;
    for (const TEnrLV &e : Images)
        Liste.append(&e);
    TSourcesExtraction S;
    QStringList Lus;
    S.fnToutesMD = [&Lus](const QString &cChemin) {
        Lus.append(cChemin);
        TToutesMD t;
        if (cChemin.endsWith(QStringLiteral("un.jpg"))) {
            t.EXIF = {{0x110, QStringLiteral("Model"), QStringLiteral("X1")},
                      {0x10F, QStringLiteral("Make"), QStringLiteral("Maker|Co")}};
            t.IPTC = {{25, QStringLiteral("Keywords"), QStringLiteral("mer plage")}};
        } else if (cChemin.endsWith(QStringLiteral("trois.jpg"))) {
            t.EXIF = {{0x10F, QStringLiteral("Make (autre)"), QStringLiteral("Y")}};
        }
        return t;
    };
    // These files do not exist: what the reading would give is built here; the reading itself
    // is tested on real files below.
    QList<TEnrGlobaleToutesMD> Lues;
    for (int i = 0; i < Liste.size(); ++i)
        if (Liste[i]->nNumCD == 0)
            Lues.append(TEnrGlobaleToutesMD{Liste[i]->CheminComplet(), S.fnToutesMD(Liste[i]->CheminComplet()).EXIF,
                                            S.fnToutesMD(Liste[i]->CheminComplet()).IPTC, i});
    EXPECT_EQ(UnionTags(Lues, false),
              QList<TEnrTagNom>({{0x10F, QStringLiteral("Make")}, {0x110, QStringLiteral("Model")}}));

    TRapportExtraction r = ExtraitToutesPresentes(Liste, Lues, true, true);
    EXPECT_EQ(r.Brut,
              QStringList({QStringLiteral("Nom|Make|Model|Keywords|"),
                           QStringLiteral("/x/un.jpg|Maker¦Co|X1|mer plage|"), QStringLiteral("/x/trois.jpg|Y|||")}));
    EXPECT_EQ(r.nLigneBrut, QList<int>({1, -1, 2, -1}));
    EXPECT_EQ(r.nNbImages, 2);
    QStringList Lignes;
    for (const TParagrapheRTF &Par : r.Formate)
        Lignes.append(Texte(Par));
    EXPECT_EQ(Lignes,
              QStringList({QStringLiteral("1) un.jpg :"), QStringLiteral("EXIF :"), QStringLiteral("Model : X1"),
                           QStringLiteral("Make : Maker|Co"), QStringLiteral("IPTC :"),
                           QStringLiteral("Keywords : mer plage"), QString(), QStringLiteral("2) trois.jpg :"),
                           QStringLiteral("EXIF :"), QStringLiteral("Make (autre) : Y")}));

    // IPTC alone: the image without IPTC drops out, numbering restarts from the first left.
    r = ExtraitToutesPresentes(Liste, Lues, false, true);
    EXPECT_EQ(r.Brut, QStringList({QStringLiteral("Nom|Keywords|"), QStringLiteral("/x/un.jpg|mer plage|")}));
    // Nothing of the chosen kind anywhere: no header.
    EXPECT_TRUE(ExtraitToutesPresentes(Liste, {}, true, true).Brut.isEmpty());

    // Absent files and discs out of their drive are never read.
    Lus.clear();
    EXPECT_TRUE(LitToutesPresentes(Liste, S).isEmpty());
    EXPECT_TRUE(Lus.isEmpty());
}

TEST(Extraction, ReadsRealFilesAndStopsOnRequest)
{
    const QString cDossier = QStringLiteral(VIMBREL_TEST_DATA "/corpus/kinds/jpeg/");
    const QString cIPTC = cDossier + QStringLiteral("exiftool_IPTC.jpg");
    const QString cNikon = cDossier + QStringLiteral("mde_Nikon_D1X.jpg");
    ASSERT_TRUE(QFileInfo(cIPTC).isFile());
    ASSERT_TRUE(QFileInfo(cNikon).isFile());
    QList<TEnrLV> Images = {Image(cIPTC), Image(cDossier + QStringLiteral("absent.jpg")), Image(cNikon)};
    QList<const TEnrLV *> Liste;
    for (const TEnrLV &e : Images)
        Liste.append(&e);
    const TSourcesExtraction S;

    QList<int> Appels;
    const QList<TEnrGlobaleToutesMD> Toutes = LitToutesPresentes(Liste, S, [&Appels](int n) {
        Appels.append(n);
        return true;
    });
    EXPECT_EQ(Appels, QList<int>({0, 1, 2}));
    ASSERT_EQ(Toutes.size(), 2);
    EXPECT_EQ(Toutes[0].nImage, 0);
    EXPECT_EQ(Toutes[1].nImage, 2);
    EXPECT_FALSE(Toutes[1].EXIF.isEmpty());
    const TRapportExtraction r = ExtraitToutesPresentes(Liste, Toutes, true, true);
    EXPECT_TRUE(r.Brut[0].contains(QStringLiteral("|Keywords|"))) << r.Brut[0].toStdString();
    EXPECT_TRUE(r.Brut[1].startsWith(cIPTC + QLatin1Char('|')));
    EXPECT_TRUE(r.Brut[1].contains(QStringLiteral("ExifTool Test IPTC"))) << r.Brut[1].toStdString();
    for (const QString &cLigne : r.Brut)
        EXPECT_EQ(cLigne.count(QLatin1Char('|')), r.Brut[0].count(QLatin1Char('|'))) << cLigne.toStdString();

    // Esc after the first image: that image is kept.
    const QList<TEnrGlobaleToutesMD> Arretees = LitToutesPresentes(Liste, S, [](int n) { return n < 1; });
    ASSERT_EQ(Arretees.size(), 1);
    EXPECT_EQ(Arretees[0].cChemin, cIPTC);
}

TEST(Extraction, FormattedPageBecomesADocumentAndBack)
{
    TEnrLV a = Image(QStringLiteral("/p/a.jpg"));
    TEnrLV b = Image(QStringLiteral("/p/b.jpg"));
    const TRapportExtraction r = ExtraitNormal({&a, &b}, Bits({0, 1}), TSourcesExtraction());
    QTextDocument doc;
    RemplitDocument(doc, r.Formate);
    ASSERT_EQ(doc.blockCount(), r.Formate.size());
    // The line remembered for the second image is that image's title in the document.
    EXPECT_EQ(doc.findBlockByNumber(r.nLigneFormate[1]).text(), QStringLiteral("2) b.jpg :"));
    const QList<TParagrapheRTF> Relus = ParagraphesDeDocument(doc);
    ASSERT_EQ(Relus.size(), r.Formate.size());
    for (int i = 0; i < Relus.size(); ++i) {
        EXPECT_EQ(Relus[i].nRetraitGauche, r.Formate[i].nRetraitGauche) << i;
        ASSERT_EQ(Relus[i].lstSegments.size(), r.Formate[i].lstSegments.size()) << i;
        for (int j = 0; j < Relus[i].lstSegments.size(); ++j) {
            EXPECT_EQ(Relus[i].lstSegments[j].sTexte, r.Formate[i].lstSegments[j].sTexte);
            EXPECT_EQ(Relus[i].lstSegments[j].lGras, r.Formate[i].lstSegments[j].lGras);
            EXPECT_EQ(Relus[i].lstSegments[j].lSouligne, r.Formate[i].lstSegments[j].lSouligne);
            EXPECT_DOUBLE_EQ(Relus[i].lstSegments[j].rTaille, r.Formate[i].lstSegments[j].rTaille);
        }
    }
}
