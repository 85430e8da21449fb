#include "publishing/FichiersAlbumWEB.h"
#include "publishing/HierarchieAlbumWEB.h"

#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{
class HierarchieAlbumWEB : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        cR = Tmp.path() + QStringLiteral("/Racine/");
        for (const char *c : {"Z.jpg", "a.jpg", "notes.txt", ".cache/x.jpg", "Été/x.png", "Été/Sub/y.crw", "a b/.keep",
                              "a/c.jpg", "album/i.jpg", "vignettes/v.jpg"})
            Cree(QString::fromUtf8(c));
        Lien(cR + QStringLiteral("a"), QStringLiteral("lien"));
        Lien(cR, QStringLiteral("a/boucle"));
        Lien(cR + QStringLiteral("Z.jpg"), QStringLiteral("img-lien.jpg"));
        Lien(cR + QStringLiteral("absent.jpg"), QStringLiteral("casse.jpg"));
    }
    void Cree(const QString &cRelatif)
    {
        const QString c = cR + cRelatif;
        ASSERT_TRUE(QDir().mkpath(c.left(c.lastIndexOf(QLatin1Char('/')))));
        QFile f(c);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void Lien(const QString &cCible, const QString &cRelatif)
    {
        ASSERT_EQ(::symlink(QFile::encodeName(cCible).constData(), QFile::encodeName(cR + cRelatif).constData()), 0);
    }
    // "level|cChemin|cNom|images" with the images' paths relative to the root.
    QStringList Resume(const QList<TEnrAWH> &Noeuds) const
    {
        QStringList l;
        for (const TEnrAWH &n : Noeuds) {
            QStringList Images;
            for (const TEnrLST &e : n.lstImgs)
                Images << (e.nVolume ? QStringLiteral("<%1>").arg(e.nVolume) + e.cChemin : e.cChemin.mid(cR.size()));
            l << QStringLiteral("%1|%2|%3|%4").arg(n.nNiveau).arg(n.cChemin, n.cNom, Images.join(QLatin1Char(',')));
        }
        return l;
    }
    QTemporaryDir Tmp;
    QString cR;
    TVolumesFactices Volumes;
};
} // namespace

TEST_F(HierarchieAlbumWEB, FolderTreeInUpperCaseByteOrder)
{
    const QList<TEnrAWH> Noeuds = ConstruireHierarchieDossiers(cR.chopped(1), Volumes, cR + QStringLiteral("album"),
                                                               cR + QStringLiteral("vignettes/"));
    // Each sub-tree follows its folder ("a b" sorts before "a/"), hidden entries, links to
    // folders, broken links, the album and the thumbnail folder are left out.
    EXPECT_EQ(Resume(Noeuds), (QStringList{
                                  QStringLiteral("0||Racine|a.jpg,img-lien.jpg,Z.jpg"),
                                  QStringLiteral("1|a b|a b|"),
                                  QStringLiteral("1|a|a|a/c.jpg"),
                                  QStringLiteral("1|Été|Été|Été/x.png"),
                                  QStringLiteral("2|Été/Sub|Sub|Été/Sub/y.crw"),
                              }));
    for (const TEnrAWH &n : Noeuds)
        EXPECT_TRUE(ErreurCheminNoeud(n.cChemin).isEmpty()) << n.cChemin.toStdString();
}

TEST_F(HierarchieAlbumWEB, ImagesOnACdAreKeyedByTheDisc)
{
    Volumes.AjouteCD(cR + QStringLiteral("Été"), 0x8a3f0001);
    const QList<TEnrAWH> Noeuds = ConstruireHierarchieDossiers(cR + QStringLiteral("Été"), Volumes, {}, {});
    EXPECT_EQ(Resume(Noeuds), (QStringList{
                                  QStringLiteral("0||Été|<%1>/x.png").arg(qint32(0x8a3f0001)),
                                  QStringLiteral("1|Sub|Sub|<%1>/Sub/y.crw").arg(qint32(0x8a3f0001)),
                              }));
}

TEST(TrieImagesNoeud, VolumeThenUpperCasedPathByteByByte)
{
    QList<TEnrLST> Images = {{0, QStringLiteral("/p/b.jpg")},        {0x00020001, QStringLiteral("/a.jpg")},
                             {0, QStringLiteral("/p/É.jpg")},        {0, QStringLiteral("/p/A.jpg")},
                             {0x00010001, QStringLiteral("/z.jpg")}, {0, QStringLiteral("/p/a.jpg")}};
    TrieImagesNoeud(Images);
    // "0-0" < "1-1" < "2-1"; equal upper-cased paths keep their order.
    EXPECT_EQ(Images, (QList<TEnrLST>{{0, QStringLiteral("/p/A.jpg")},
                                      {0, QStringLiteral("/p/a.jpg")},
                                      {0, QStringLiteral("/p/b.jpg")},
                                      {0, QStringLiteral("/p/É.jpg")},
                                      {0x00010001, QStringLiteral("/z.jpg")},
                                      {0x00020001, QStringLiteral("/a.jpg")}}));
}

TEST(HierarchiePerso, NodesInStoredOrderWithTheirSortedKeys)
{
    QTemporaryDir Tmp;
    ASSERT_TRUE(Tmp.isValid());
    TBigIniFile P(Tmp.path() + QStringLiteral("/parametres.ini"));
    const QString S = QStringLiteral("SAUVEGARDE ALBUM WEB:Famille");
    P.WriteString(S, QStringLiteral("<aDossiers>"), QStringLiteral(" Voyages | Voyages/Italie |Noël|"));
    P.WriteString(S + QStringLiteral(":Voyages/Italie"), QStringLiteral("/p/b.jpg"), {});
    P.WriteString(S + QStringLiteral(":Voyages/Italie"), QStringLiteral("<-1>/cd/a.jpg"), {});
    P.WriteString(S + QStringLiteral(":Voyages/Italie"), QStringLiteral("/p/A.jpg"), {});
    P.WriteString(S + QStringLiteral(":Noël"), QStringLiteral("/n.jpg"), {});
    // Another album of a similar name is not read.
    P.WriteString(QStringLiteral("SAUVEGARDE ALBUM WEB:Famille2:Voyages"), QStringLiteral("/x.jpg"), {});

    const QList<TEnrAWH> N = ConstruireHierarchiePerso(P, QStringLiteral("Famille"));
    ASSERT_EQ(N.size(), 3);
    EXPECT_EQ(N[0].cChemin, QStringLiteral("Voyages"));
    EXPECT_EQ(N[0].nNiveau, 0);
    EXPECT_TRUE(N[0].lstImgs.isEmpty());
    EXPECT_EQ(N[1].cChemin, QStringLiteral("Voyages/Italie"));
    EXPECT_EQ(N[1].cNom, QStringLiteral("Italie"));
    EXPECT_EQ(N[1].nNiveau, 1);
    // "0-0/P/A.JPG" < "0-0/P/B.JPG" < "ffff-ffff/CD/A.JPG"
    EXPECT_EQ(N[1].lstImgs, (QList<TEnrLST>{{0, QStringLiteral("/p/A.jpg")},
                                            {0, QStringLiteral("/p/b.jpg")},
                                            {-1, QStringLiteral("/cd/a.jpg")}}));
    EXPECT_EQ(N[2].cNom, QStringLiteral("Noël"));
    EXPECT_EQ(N[2].lstImgs, (QList<TEnrLST>{{0, QStringLiteral("/n.jpg")}}));
    EXPECT_TRUE(ErreurHierarchieAlbumWEB(N).isEmpty());
    EXPECT_TRUE(ConstruireHierarchiePerso(P, QStringLiteral("Inconnu")).isEmpty());
}

TEST(HierarchiePerso, AClimbingFolderRefusesTheWholeAlbum)
{
    QTemporaryDir Tmp;
    ASSERT_TRUE(Tmp.isValid());
    TBigIniFile P(Tmp.path() + QStringLiteral("/parametres.ini"));
    P.WriteString(QStringLiteral("SAUVEGARDE ALBUM WEB:Piège"), QStringLiteral("<aDossiers>"),
                  QStringLiteral("Bon|Bon/..|Autre"));
    EXPECT_EQ(ErreurHierarchieAlbumWEB(ConstruireHierarchiePerso(P, QStringLiteral("Piège"))),
              QStringLiteral("Nom de dossier impossible dans un album WEB : « Bon/.. »."));
}
