#include "publishing/FichiersAlbumWEB.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
void Ecrit(const QString &cFichier, const QByteArray &Donnees)
{
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Donnees);
}

QByteArray Lit(const QString &cFichier)
{
    QFile f(cFichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

qint64 DateNs(const QString &cFichier)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(cFichier).constData(), &st) != 0)
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

class FichiersAlbumWEB : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        cAlbum = Tmp.path() + QStringLiteral("/album");
        cDehors = Tmp.path() + QStringLiteral("/dehors");
        ASSERT_TRUE(QDir().mkpath(cAlbum));
        ASSERT_TRUE(QDir().mkpath(cDehors));
    }
    QTemporaryDir Tmp;
    QString cAlbum;
    QString cDehors;
};
} // namespace

TEST_F(FichiersAlbumWEB, OutputNamesFollowTheNamingRules)
{
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("/photos/My photo.JPG")), QStringLiteral("My_photo.JPG"));
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("/photos/IMG_0001.CRW")), QStringLiteral("IMG_0001.jpg"));
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("scan.tif")), QStringLiteral("scan.jpg"));

    // Two a.jpg from different folders, then a third; a re-encoded a.png meets them as a.jpg.
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("/x/a.jpg")), QStringLiteral("a.jpg"));
    Ecrit(cAlbum + QStringLiteral("/a.jpg"), "1");
    EXPECT_EQ(NomFichierUnique(cAlbum + QLatin1Char('/'), QStringLiteral("/y/a.jpg")), QStringLiteral("a(2).jpg"));
    Ecrit(cAlbum + QStringLiteral("/a(2).jpg"), "2");
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("/z/a.jpg")), QStringLiteral("a(3).jpg"));
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("/z/a.png")), QStringLiteral("a(3).jpg"));

    // The counter goes before the last extension only; a name without one gets it at the end.
    Ecrit(cAlbum + QStringLiteral("/b.c.jpg"), "");
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("b.c.jpg")), QStringLiteral("b.c(2).jpg"));
    Ecrit(cAlbum + QStringLiteral("/sans"), "");
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("sans")), QStringLiteral("sans(2)"));

    // A broken link still holds its name: writing there would follow it.
    ASSERT_EQ(::symlink("/nulle/part", QFile::encodeName(cAlbum + QStringLiteral("/lien.jpg")).constData()), 0);
    EXPECT_EQ(NomFichierUnique(cAlbum, QStringLiteral("lien.jpg")), QStringLiteral("lien(2).jpg"));
}

TEST(CouleurHTML, RedIsTheLowestByte)
{
    EXPECT_EQ(CouleurHTML(0xC0C0C0), QStringLiteral("c0c0c0"));
    EXPECT_EQ(CouleurHTML(0), QStringLiteral("000000"));
    EXPECT_EQ(CouleurHTML(8421504), QStringLiteral("808080"));
    EXPECT_EQ(CouleurHTML(0x0000FF), QStringLiteral("ff0000"));
    EXPECT_EQ(CouleurHTML(0x0A0B0C), QStringLiteral("0c0b0a"));
    EXPECT_EQ(CouleurHTML(0xFF000000u), QStringLiteral("000000"));
}

TEST(ErreurCheminNoeud, RefusesEveryPartThatLeavesOrRepeatsAFolder)
{
    for (const char *c : {"", "a", "Été 2004/Noël", "a/b/c", ".cache", "a/..b", "...", "a\\b"})
        EXPECT_TRUE(ErreurCheminNoeud(QString::fromUtf8(c)).isEmpty()) << c;
    for (const char *c : {".", "..", "../a", "a/..", "a/../b", "a/./b", "a//b", "/a", "a/"})
        EXPECT_EQ(ErreurCheminNoeud(QString::fromUtf8(c)),
                  QStringLiteral("Nom de dossier impossible dans un album WEB : « %1 ».").arg(QString::fromUtf8(c)))
            << c;
}

TEST_F(FichiersAlbumWEB, AlbumFolderMustExistAndBeEmpty)
{
    TDossierAlbumWEB Absent(Tmp.path() + QStringLiteral("/absent"));
    EXPECT_FALSE(Absent.Ouvert());
    EXPECT_TRUE(Absent.Erreur().contains(QStringLiteral("« ") + Tmp.path() + QStringLiteral("/absent/ »")));
    EXPECT_FALSE(Absent.CreeDossiers(QStringLiteral("Images")));
    EXPECT_FALSE(QFileInfo::exists(Tmp.path() + QStringLiteral("/absent")));

    Ecrit(cDehors + QStringLiteral("/x"), "x");
    TDossierAlbumWEB Plein(cDehors);
    EXPECT_FALSE(Plein.Ouvert());
    EXPECT_TRUE(Plein.Erreur().contains(QStringLiteral("n'est pas vide")));

    // A hidden entry counts too.
    Ecrit(cAlbum + QStringLiteral("/.cache"), "");
    EXPECT_FALSE(TDossierAlbumWEB(cAlbum).Ouvert());
}

TEST_F(FichiersAlbumWEB, WritesNestedFoldersAndFiles)
{
    TDossierAlbumWEB Dossier(cAlbum);
    ASSERT_TRUE(Dossier.Ouvert()) << Dossier.Erreur().toStdString();
    ASSERT_TRUE(Dossier.CreeDossiers(QStringLiteral("Été/Noël à l'eau/Images")));
    EXPECT_TRUE(Dossier.CreeDossiers(QStringLiteral("Été/Noël à l'eau/Images"))); // already there
    ASSERT_TRUE(Dossier.EcritFichier(QStringLiteral("Été/Noël à l'eau/Images/a.jpg"), "abc"));
    EXPECT_EQ(Lit(cAlbum + QStringLiteral("/Été/Noël à l'eau/Images/a.jpg")), QByteArray("abc"));
    // Replacing a file truncates it.
    ASSERT_TRUE(Dossier.EcritFichier(QStringLiteral("Index.htm"), "long contenu"));
    ASSERT_TRUE(Dossier.EcritFichier(QStringLiteral("Index.htm"), "court", 1234567890123456789));
    EXPECT_EQ(Lit(cAlbum + QStringLiteral("/Index.htm")), QByteArray("court"));
    EXPECT_EQ(DateNs(cAlbum + QStringLiteral("/Index.htm")), 1234567890123456789);
    // A file is written only into existing folders.
    EXPECT_FALSE(Dossier.EcritFichier(QStringLiteral("Manque/a.jpg"), "x"));
    EXPECT_TRUE(Dossier.Erreur().startsWith(QStringLiteral("Impossible d'écrire « ") + cAlbum
                                            + QStringLiteral("/Manque/a.jpg » : ")));
}

TEST_F(FichiersAlbumWEB, CopyIsByteIdenticalWithTheSourceDate)
{
    QByteArray Donnees(200000, '\0');
    for (int i = 0; i < Donnees.size(); ++i)
        Donnees[i] = static_cast<char>(i * 7);
    const QString cSource = cDehors + QStringLiteral("/source.jpg");
    Ecrit(cSource, Donnees);
    const timespec Dates[2] = {{0, UTIME_OMIT}, {1100000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(cSource).constData(), Dates, 0), 0);

    TDossierAlbumWEB Dossier(cAlbum);
    ASSERT_TRUE(Dossier.CreeDossiers(QStringLiteral("Images")));
    ASSERT_TRUE(Dossier.CopieFichier(cSource, QStringLiteral("Images/source.jpg")));
    EXPECT_EQ(Lit(cAlbum + QStringLiteral("/Images/source.jpg")), Donnees);
    EXPECT_EQ(DateNs(cAlbum + QStringLiteral("/Images/source.jpg")), DateNs(cSource));
    EXPECT_FALSE(Dossier.CopieFichier(cDehors + QStringLiteral("/absent.jpg"), QStringLiteral("Images/b.jpg")));
    EXPECT_FALSE(QFileInfo::exists(cAlbum + QStringLiteral("/Images/b.jpg")));
}

TEST_F(FichiersAlbumWEB, NothingIsWrittenOutsideTheAlbum)
{
    TDossierAlbumWEB Dossier(cAlbum);
    ASSERT_TRUE(Dossier.Ouvert());
    Ecrit(cDehors + QStringLiteral("/cible.htm"), "intact");

    // Paths that climb out are refused before anything is made.
    for (const char *c : {"../dehors/x.htm", "a/../../dehors/x.htm", "/etc/x", "a//x"}) {
        EXPECT_FALSE(Dossier.EcritFichier(QString::fromUtf8(c), "x")) << c;
        EXPECT_FALSE(Dossier.CreeDossiers(QString::fromUtf8(c))) << c;
    }
    EXPECT_EQ(QDir(cAlbum).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

    // Links planted inside the album, to a folder and to a file outside, are not followed.
    ASSERT_EQ(::symlink(QFile::encodeName(cDehors).constData(), QFile::encodeName(cAlbum + "/Images").constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(cDehors + "/cible.htm").constData(),
                        QFile::encodeName(cAlbum + "/Index.htm").constData()),
              0);
    EXPECT_FALSE(Dossier.CreeDossiers(QStringLiteral("Images")));
    EXPECT_FALSE(Dossier.CreeDossiers(QStringLiteral("Images/sous")));
    EXPECT_FALSE(Dossier.EcritFichier(QStringLiteral("Images/x.htm"), "x"));
    EXPECT_FALSE(Dossier.CopieFichier(cDehors + QStringLiteral("/cible.htm"), QStringLiteral("Images/y.htm")));
    EXPECT_FALSE(Dossier.EcritFichier(QStringLiteral("Index.htm"), "pirate"));
    EXPECT_EQ(Lit(cDehors + QStringLiteral("/cible.htm")), QByteArray("intact"));
    EXPECT_EQ(QDir(cDehors).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"cible.htm"});
}
