#include "metadata/InfoCommande.h"
#include "metadata/InfoMeta.h"
#include "support/Corpus.h"

#include <QStringList>
#include <gtest/gtest.h>

TEST(InfoMeta, ColonnesDansLOrdreDeLaLigne)
{
    const QString c = ColonnesInfoMeta(Corpus::Dossier() + "/kinds/jpeg/exiftool_IPTC.jpg");
    ASSERT_TRUE(c.startsWith('\t'));
    const QStringList Col = c.mid(1).split('\t');
    ASSERT_EQ(Col.size(), 8 + 14);
    EXPECT_EQ(Col[6], "1");  // orientation of a file without EXIF
    // IPTC: headline, caption, copyright, writer, keywords ... as the reference reader gives them.
    EXPECT_EQ(Col[8], "No headline");
    EXPECT_EQ(Col[9], "A witty caption");
    EXPECT_EQ(Col[10], "Copyright 2004 Phil Harvey");
    EXPECT_EQ(Col[11], "I wrote it");
    EXPECT_EQ(Col[12], "ExifTool; Test; IPTC");
    EXPECT_EQ(Col[18], "26/02/2004");
    EXPECT_EQ(Col[21], "Canada");

    const QStringList Nikon = ColonnesInfoMeta(Corpus::Dossier() + "/kinds/jpeg/exiftool_NikonD70.jpg").mid(1).split('\t');
    ASSERT_EQ(Nikon.size(), 22);
    EXPECT_EQ(Nikon.mid(0, 8), QStringList({"NIKON D70", "56", "1/60", "5", "14/01/2005 08:57:59", "200", "1",
                                            "curve: fotogenics point and shoot"}));
    EXPECT_EQ(ColonnesInfoMeta("/nulle/part.jpg").count('\t'), 22);
}

TEST(InfoMeta, CommandeInfoUneLigneParFichier)
{
    const QString a = Corpus::Dossier() + "/kinds/jpeg/exiftool_Canon.jpg";
    const QString b = QStringLiteral("/nulle/part.jpg");
    QString cSortie;
    QTextStream Flux(&cSortie);
    EXPECT_EQ(ExecuteInfo({a, b}, Flux), 1);
    const QStringList Lignes = cSortie.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(Lignes.size(), 2);
    EXPECT_TRUE(Lignes[0].startsWith(a));
    EXPECT_TRUE(Lignes[0].endsWith(ColonnesInfoMeta(a)));
    EXPECT_TRUE(Lignes[0].contains("\tCanon EOS DIGITAL REBEL\t34\t4\t14\t04/12/2003 06:46:52\t100\t1\t"));
    EXPECT_TRUE(Lignes[1].startsWith(b));
    QString cSeul;
    QTextStream FluxSeul(&cSeul);
    EXPECT_EQ(ExecuteInfo({a}, FluxSeul), 0);
}
