#include "ConstruitTiff.h"
#include "metadata/Iptc.h"

#include <gtest/gtest.h>

namespace
{
QByteArray Dataset(int nRecord, int nDataset, const QByteArray &Valeur)
{
    QByteArray b;
    b += char(0x1C);
    b += char(nRecord);
    b += char(nDataset);
    b += char(Valeur.size() >> 8);
    b += char(Valeur.size() & 0xFF);
    return b + Valeur;
}

// An APP13 segment as image editors write it: a resource block holding the IPTC datasets.
QByteArray App13(const QByteArray &Datasets)
{
    return QByteArray("Photoshop 3.0\0"
                      "8BIM\x04\x04\0\0",
                      22)
           + QByteArray("\0\0", 2) + char(Datasets.size() >> 8) + char(Datasets.size() & 0xFF) + Datasets;
}

TDonneesIPTC Lit(const QByteArray &Jpeg)
{
    return LitIPTCJpeg(U(Jpeg), Jpeg.size());
}
}

TEST(LecteurIptc, ChampsDuRecord2EtGroupes)
{
    const QByteArray d =
        Dataset(2, 0, "\0\x02") + Dataset(2, 105, "Titre") + Dataset(2, 120, "  Un texte\r\nsur  deux   lignes ")
        + Dataset(2, 116, "(c) Moi") + Dataset(2, 122, "Ecrivain") + Dataset(2, 25, "mer") + Dataset(2, 25, "plage")
        + Dataset(2, 25, "sable") + Dataset(2, 15, QByteArray(70, 'K')) + Dataset(2, 20, "un") + Dataset(2, 20, "deux")
        + Dataset(2, 110, "Credit") + Dataset(2, 115, "Source") + Dataset(2, 5, "Objet") + Dataset(2, 55, "20040226")
        + Dataset(2, 90, "Kingston") + Dataset(2, 95, "Ontario") + Dataset(2, 101, "Canada") + Dataset(1, 90, "\x1B%G");
    const TDonneesIPTC r = Lit(JpegAvecSegments({{0xE0, "JFIF"}, {0xED, App13(d)}}));
    EXPECT_EQ(r.cTitre, "Titre");
    EXPECT_EQ(r.cTexte, "Un texte sur deux lignes");
    EXPECT_EQ(r.cCopyright, "(c) Moi");
    EXPECT_EQ(r.cAuteur, "Ecrivain");
    EXPECT_EQ(r.cMotsClesIPTC, QString("mer") + QChar(1) + "plage" + QChar(1) + "sable");
    EXPECT_EQ(r.cCategorie, QString(64, 'K'));
    EXPECT_EQ(r.cCatSuppl, QString("un") + QChar(1) + "deux");
    EXPECT_EQ(r.cCredits, "Credit");
    EXPECT_EQ(r.cSource, "Source");
    EXPECT_EQ(r.cOriNom, "Objet");
    EXPECT_EQ(r.cOriDate, "26/02/2004");
    EXPECT_EQ(r.cOriVille, "Kingston");
    EXPECT_EQ(r.cOriEtat, "Ontario");
    EXPECT_EQ(r.cOriPays, "Canada");
    EXPECT_TRUE(r.lIPTC && r.lIPTCLegende && r.lIPTCMotsCles && r.lIPTCCategorie && r.lIPTCCredits && r.lIPTCOrigine);
}

TEST(LecteurIptc, GroupesAbsentsEtTexteNonUtf8)
{
    const TDonneesIPTC r = Lit(JpegAvecSegments({{0xED, App13(Dataset(2, 90,
                                                                      "Montr\xe9"
                                                                      "al"))}}));
    EXPECT_EQ(r.cOriVille, QString::fromUtf8("Montréal"));
    EXPECT_TRUE(r.lIPTC && r.lIPTCOrigine);
    EXPECT_FALSE(r.lIPTCLegende || r.lIPTCMotsCles || r.lIPTCCategorie || r.lIPTCCredits);
    // A date of another shape is not turned into a wrong one.
    EXPECT_EQ(Lit(JpegAvecSegments({{0xED, App13(Dataset(2, 55, "2004"))}})).cOriDate, "");
}

TEST(LecteurIptc, SansApp13NiMarqueurRienNEstLu)
{
    EXPECT_FALSE(Lit(JpegAvecSegments({{0xE0, "JFIF"}})).lIPTC);
    EXPECT_FALSE(Lit(JpegAvecSegments({{0xED, "Photoshop 3.0\0 rien"}})).lIPTC);
    EXPECT_FALSE(Lit(QByteArray()).lIPTC);
}

TEST(LecteurIptc, SegmentsTronquesOuIncoherentsSansPlantage)
{
    const QByteArray Complet = JpegAvecSegments({{0xED, App13(Dataset(2, 105, "Titre") + Dataset(2, 120, "Texte"))}});
    // Cut at every length: never a read past the end, and a cut segment gives nothing.
    for (qsizetype n = 0; n < Complet.size() - 2; ++n) {
        const QByteArray t = Complet.left(n);
        const TDonneesIPTC r = LitIPTCJpeg(U(t), t.size());
        EXPECT_FALSE(r.lIPTC) << n;
    }
    // A segment length below 2.
    EXPECT_FALSE(Lit(QByteArray("\xFF\xD8\xFF\xED\x00\x01\x1C\x02", 8)).lIPTC);
    // A dataset announcing more bytes than the segment holds stops the read; the datasets
    // before it stay.
    QByteArray d = Dataset(2, 105, "Titre") + Dataset(2, 120, "Texte");
    d[d.size() - 7] = char(0x7F);
    const TDonneesIPTC r = Lit(JpegAvecSegments({{0xED, App13(d)}}));
    EXPECT_EQ(r.cTitre, "Titre");
    EXPECT_TRUE(r.cTexte.isEmpty());
    // An extended-length dataset (high bit set) is past the end as well.
    QByteArray x = Dataset(2, 105, "Titre");
    x[3] = char(0x80);
    EXPECT_FALSE(Lit(JpegAvecSegments({{0xED, App13(x)}})).lIPTC);
}

TEST(LecteurIptc, NettoyageDesTextes)
{
    EXPECT_EQ(NettoieTexteIPTC("  a\r\n\r\nb    c  "), "a b c");
    EXPECT_EQ(NettoieTexteIPTC("\r\n"), "");
}
