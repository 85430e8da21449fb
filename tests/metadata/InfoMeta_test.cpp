#include "metadata/InfoCommande.h"
#include "metadata/InfoMeta.h"
#include "support/Corpus.h"

#include "imaging/JpegCodec.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(InfoMeta, ColonnesDansLOrdreDeLaLigne)
{
    const QString c = ColonnesInfoMeta(Corpus::Dossier() + "/kinds/jpeg/exiftool_IPTC.jpg");
    ASSERT_TRUE(c.startsWith('\t'));
    const QStringList Col = c.mid(1).split('\t');
    ASSERT_EQ(Col.size(), 8 + 14);
    EXPECT_EQ(Col[6], "1"); // orientation of a file without EXIF
    // IPTC: headline, caption, copyright, writer, keywords ... as the reference reader gives them.
    EXPECT_EQ(Col[8], "No headline");
    EXPECT_EQ(Col[9], "A witty caption");
    EXPECT_EQ(Col[10], "Copyright 2004 Phil Harvey");
    EXPECT_EQ(Col[11], "I wrote it");
    EXPECT_EQ(Col[12], "ExifTool; Test; IPTC");
    EXPECT_EQ(Col[18], "26/02/2004");
    EXPECT_EQ(Col[21], "Canada");

    const QStringList Nikon =
        ColonnesInfoMeta(Corpus::Dossier() + "/kinds/jpeg/exiftool_NikonD70.jpg").mid(1).split('\t');
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
    EXPECT_TRUE(Lignes[0].endsWith(ColonnesInfoMeta(a) + '\t')); // decoded: no error
    EXPECT_TRUE(Lignes[0].contains("\tCanon EOS DIGITAL REBEL\t34\t4\t14\t04/12/2003 06:46:52\t100\t1\t"));
    EXPECT_TRUE(Lignes[1].startsWith(b));
    QString cSeul;
    QTextStream FluxSeul(&cSeul);
    EXPECT_EQ(ExecuteInfo({a}, FluxSeul), 0);
}

TEST(InfoMeta, CommandeInfoTailleDeLEnTeteEtErreurEnDerniereColonne)
{
    QTemporaryDir d;
    const auto Ecrit = [&](const QString &cNom, const QByteArray &b) {
        QFile f(d.filePath(cNom));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
        return f.fileName();
    };
    QImage Image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            Image.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    const QByteArray Bon = JpegCodec::EncodeMemoire(Image);
    // A readable header whose scan names Huffman tables that were never defined: libjpeg stops
    // with an error once past the header.
    QByteArray SansTables = Bon;
    const qsizetype nSOS = SansTables.indexOf(QByteArray::fromHex("FFDA"));
    ASSERT_GT(nSOS, 0);
    for (int i = 0; i < uchar(SansTables[nSOS + 4]); ++i)
        SansTables[nSOS + 6 + 2 * i] = char(0x33);
    const QString cSansTables = Ecrit("tables.jpg", SansTables);
    const QString cCoupe = Ecrit("coupe.jpg", Bon.left(nSOS + (Bon.size() - nSOS) / 2));
    const QString cTexte = Ecrit("texte.jpg", "pas une image");
    const QString cRaw = Corpus::Dossier() + "/kinds/nef/exiftool_Nikon.nef"; // pixels stripped

    QString cSortie;
    QTextStream Flux(&cSortie);
    EXPECT_EQ(ExecuteInfo({cSansTables, cCoupe, cTexte, cRaw, "/nulle/part.jpg"}, Flux), 1);
    const QStringList Lignes = cSortie.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(Lignes.size(), 5);
    QList<QStringList> Col;
    for (const QString &l : Lignes) {
        Col.append(l.split('\t'));
        // path, kind, size, width, height, 8 EXIF and 14 IPTC columns, the decoding error
        ASSERT_EQ(Col.last().size(), 5 + 22 + 1) << l.toStdString();
        bool lNombre = false;
        Col.last()[2].toLongLong(&lNombre);
        EXPECT_TRUE(lNombre) << l.toStdString();
    }
    EXPECT_EQ(Col[0].mid(1, 4), QStringList({"JPEG", QString::number(SansTables.size()), "64", "48"}));
    EXPECT_FALSE(Col[0].last().isEmpty());
    EXPECT_FALSE(Col[0].last().contains("Erreur\t"));
    // A file cut short decodes (grey below): no error.
    EXPECT_EQ(Col[1].mid(3, 2), QStringList({"64", "48"}));
    EXPECT_EQ(Col[1].last(), "");
    // No header: no size, the reason at the end.
    EXPECT_EQ(Col[2].mid(3, 2), QStringList({"", ""}));
    EXPECT_FALSE(Col[2].last().isEmpty());
    // A raw whose header is whole but whose pixels are gone: its size, and why it cannot be shown.
    EXPECT_EQ(Col[3][1], "RAW");
    EXPECT_GT(Col[3][3].toInt(), 3000);
    EXPECT_GT(Col[3][4].toInt(), 2000);
    EXPECT_EQ(Col[3][5], "NIKON D70");
    EXPECT_FALSE(Col[3].last().isEmpty());
    EXPECT_EQ(Col[4].mid(3, 2), QStringList({"", ""}));
    EXPECT_EQ(Col[4].last(), "Fichier introuvable");
}
