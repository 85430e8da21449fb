#include "imaging/NomVignette.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
const QString V = QStringLiteral("/data/Vignettes/");
}

TEST(NomVignette, NamesOfImagesOnDiskAndOnCd)
{
    EXPECT_EQ(NomVignette(V, 0, "/Photos/a.jpg"), V + "^Photos^a.jpg.JPG");
    // Serial 12 0034 hexadecimal: the CD's sub-folder is its identifier "12-34".
    EXPECT_EQ(NomVignette(V, 0x120034, "/DCIM/b.CRW"), V + "12-34/^DCIM^b.CRW.JPG");
    const qint32 nNegatif = static_cast<qint32>(0x8A3F0001u);
    EXPECT_EQ(NomVignette(V, nNegatif, "/x.jpg"), V + "8a3f-1/^x.jpg.JPG");
}

TEST(NomVignette, EveryNameMapsBackToItsPath)
{
    const QStringList chemins = {
        "/Photos/a.jpg",
        "/p/#1 ^top^ 100%/x:y.JPG",
        "/a/%23/b^c/#.jpg",
        "/r/[2004] Rome/a=b.jpg",
        "/e/été/ça.jpg",
        "/%",
        "/a%2",
        "/x/%5E.jpg",
    };
    for (const QString &c : chemins) {
        const QString nom = NomVignette(V, 0, c);
        const auto cle = CleDeNomVignette(V, nom);
        ASSERT_TRUE(cle.has_value()) << c.toStdString();
        EXPECT_EQ(cle->cChemin, c);
        EXPECT_EQ(cle->nVolume, 0);
        const auto cleCd = CleDeNomVignette(V, NomVignette(V, 0x1A2B00C4, c));
        ASSERT_TRUE(cleCd.has_value());
        EXPECT_EQ(cleCd->nVolume, 0x1A2B00C4);
        EXPECT_EQ(cleCd->cChemin, c);
    }
    // Two paths that the plain replacement would confuse get two names.
    EXPECT_NE(NomVignette(V, 0, "/a#b.jpg"), NomVignette(V, 0, "/a:b.jpg"));
    EXPECT_NE(NomVignette(V, 0, "/a^b.jpg"), NomVignette(V, 0, "/a/b.jpg"));
}

TEST(NomVignette, ForeignNamesAreNotTakenForThumbnails)
{
    EXPECT_FALSE(CleDeNomVignette(V, V + "notes.txt").has_value());
    EXPECT_FALSE(CleDeNomVignette(V, V + "Sauvegarde/^a.jpg.JPG").has_value());
    EXPECT_FALSE(CleDeNomVignette(V, V + "1A2B-C4/^a.jpg.JPG").has_value());
    EXPECT_FALSE(CleDeNomVignette(V, "/ailleurs/^a.jpg.JPG").has_value());
}

TEST(NomVignette, LongNamesAreShortenedWithAHashAndReadBackFromTheComment)
{
    const QString cDossier = QString(200, QChar('d'));
    const QString a = "/" + cDossier + "/" + QString(100, QChar('x')) + "1.jpg";
    const QString b = "/" + cDossier + "/" + QString(100, QChar('x')) + "2.jpg";
    const QString nomA = NomVignette(V, 0, a);
    const QString nomB = NomVignette(V, 0, b);
    const QString fichierA = nomA.mid(V.size());
    EXPECT_LE(fichierA.toUtf8().size(), 255);
    EXPECT_TRUE(EstNomVignetteAbrege(fichierA));
    EXPECT_TRUE(fichierA.endsWith(".JPG"));
    EXPECT_NE(nomA, nomB);
    // The name alone cannot give the path back: never guess.
    EXPECT_FALSE(CleDeNomVignette(V, nomA).has_value());

    QTemporaryDir tmp;
    const QString dossier = tmp.path() + "/";
    const QString fichier = NomVignette(dossier, 0, a);
    QFile f(fichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    const QByteArray com = CommentaireVignette(0, a);
    QByteArray jpeg("\xFF\xD8\xFF\xFE", 4);
    jpeg.append(char((com.size() + 2) >> 8)).append(char((com.size() + 2) & 0xFF)).append(com);
    jpeg.append("\xFF\xD9", 2);
    f.write(jpeg);
    f.close();
    const auto cle = CleDeFichierVignette(dossier, fichier);
    ASSERT_TRUE(cle.has_value());
    EXPECT_EQ(cle->cChemin, a);

    // The same comment in the file of another image is not believed.
    const QString autre = NomVignette(dossier, 0, b);
    ASSERT_TRUE(QFile::copy(fichier, autre));
    EXPECT_FALSE(CleDeFichierVignette(dossier, autre).has_value());
}
