#include "storage/Descriptions.h"

#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <utime.h>

TEST(LigneDescription, EntriesAndLinesThatAreNot)
{
    QString cNom, cDesc;
    // Tab-separated entry whose description holds blanks: the name ends at the tab.
    ASSERT_TRUE(AnalyseLigneDescription("IMG_0001.JPG\tLa plage de Rome, le soir", cNom, cDesc));
    EXPECT_EQ(cNom, "IMG_0001.JPG");
    EXPECT_EQ(cDesc, "La plage de Rome, le soir");
    // The first blank ends the name even when a tab follows.
    ASSERT_TRUE(AnalyseLigneDescription("  a.jpg Mer\tet ciel  ", cNom, cDesc));
    EXPECT_EQ(cNom, "a.jpg");
    EXPECT_EQ(cDesc, "Mer\tet ciel");
    // A quoted name with a blank.
    ASSERT_TRUE(AnalyseLigneDescription("\"my photo.jpg\" Beach", cNom, cDesc));
    EXPECT_EQ(cNom, "my photo.jpg");
    EXPECT_EQ(cDesc, "Beach");
    ASSERT_TRUE(AnalyseLigneDescription("\"my photo.jpg\"\tBeach  bar", cNom, cDesc));
    EXPECT_EQ(cDesc, "Beach  bar");

    for (const char *cPasEntree :
         {"", "   ", "seul.jpg", "\"my photo.jpg Beach", "\"my photo.jpg\"Beach", "\"my photo.jpg\"", "\"\" vide"})
        EXPECT_FALSE(AnalyseLigneDescription(cPasEntree, cNom, cDesc)) << cPasEntree;
}

TEST(LigneDescription, NamesAreQuotedWhenNeededAndRefusedWhenTheyCannotReadBack)
{
    EXPECT_EQ(LigneDescription("a.jpg", "Mer"), "a.jpg Mer");
    EXPECT_EQ(LigneDescription("IMG 1.JPG", "Plage"), "\"IMG 1.JPG\" Plage");
    EXPECT_EQ(LigneDescription("a\tb.jpg", "x"), "\"a\tb.jpg\" x");
    EXPECT_TRUE(LigneDescription("\"q.jpg", "x").isEmpty());
    EXPECT_TRUE(LigneDescription("a \"b\".jpg", "x").isEmpty());
    EXPECT_TRUE(LigneDescription("a\nb.jpg", "x").isEmpty());
    EXPECT_EQ(LigneDescription("a\"b\".jpg", "x"), "a\"b\".jpg x");
    EXPECT_EQ(DescriptionSurUneLigne("Ligne 1\r\nLigne 2\nLigne 3\r"), "Ligne 1 Ligne 2 Ligne 3");
}

class Descriptions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        cDossier = Tmp.path() + "/photos/";
        ASSERT_TRUE(QDir().mkpath(cDossier));
        iniSetup = std::make_unique<TBigIniFile>(Tmp.path() + "/KX_Setup.ini");
        iniSetup->lAutoSave = false;
        Desc = std::make_unique<TDescriptions>(*iniSetup);
    }
    QString Fichier() const { return cDossier + "descript.ion"; }
    void Ecrit(const QByteArray &Contenu, const QString &cDans = {})
    {
        QFile F(cDans.isEmpty() ? Fichier() : cDans);
        ASSERT_TRUE(F.open(QIODevice::WriteOnly | QIODevice::Truncate));
        F.write(Contenu);
    }
    QByteArray Lit(const QString &cDans = {}) const
    {
        QFile F(cDans.isEmpty() ? Fichier() : cDans);
        return F.open(QIODevice::ReadOnly) ? F.readAll() : QByteArray("<absent>");
    }
    QString Lire(const QString &cNom) { return Desc->DescriptionImage(0, cDossier + cNom, nDescLecture); }

    QTemporaryDir Tmp;
    QString cDossier;
    std::unique_ptr<TBigIniFile> iniSetup;
    std::unique_ptr<TDescriptions> Desc;
};

TEST_F(Descriptions, ReadsEntriesOfTheImageFolder)
{
    Ecrit("IMG_0001.JPG\tLa plage de Rome\r\n\"my photo.jpg\" Beach\r\n\r\nseul.jpg\r\nimg_0002.jpg  Neige \r\n");
    EXPECT_EQ(Lire("IMG_0001.JPG"), "La plage de Rome");
    EXPECT_EQ(Lire("my photo.jpg"), "Beach");
    // Names match without regard to case when no file of the entry's own spelling exists.
    EXPECT_EQ(Lire("IMG_0002.JPG"), "Neige");
    EXPECT_EQ(Lire("seul.jpg"), "");
    EXPECT_EQ(Lire("absent.jpg"), "");
    EXPECT_EQ(Desc->DescriptionImage(0, Tmp.path() + "/ailleurs/a.jpg", nDescLecture), "");
}

TEST_F(Descriptions, CaseInsensitiveMatchNeverTakesAnotherExistingFilesEntry)
{
    Ecrit("img.jpg Petite\r\n");
    Ecrit("", cDossier + "img.jpg");
    Ecrit("", cDossier + "IMG.jpg");
    EXPECT_EQ(Lire("img.jpg"), "Petite");
    EXPECT_EQ(Lire("IMG.jpg"), "");
    Desc->DescriptionImage(0, cDossier + "IMG.jpg", nDescEcriture, "Grande");
    EXPECT_EQ(Lit(), "img.jpg Petite\r\nIMG.jpg Grande\r\n");
}

// A listing reads a folder's descriptions through one snapshot: it answers as single reads do,
// the case rules included, and stays as it was taken when the file changes afterwards.
TEST_F(Descriptions, AFolderSnapshotAnswersAsSingleReads)
{
    Ecrit("IMG_0001.JPG\tLa plage\r\n\"my photo.jpg\" Beach\r\nimg_0002.jpg  Neige \r\nseul.jpg\r\n"
          "dup.jpg Premier\r\ndup.jpg Second\r\nimg.jpg Petite\r\nAutre.JPG Grande\r\n");
    Ecrit("", cDossier + "img.jpg");
    Ecrit("", cDossier + "IMG.jpg");
    const TDescriptionsDossier D = Desc->DescriptionsDossier(cDossier);
    for (const QString c : {"IMG_0001.JPG", "my photo.jpg", "IMG_0002.JPG", "img_0002.jpg", "seul.jpg", "dup.jpg",
                            "img.jpg", "IMG.jpg", "autre.jpg", "absent.jpg", "DUP.JPG"})
        EXPECT_EQ(D.Description(c), Lire(c)) << qPrintable(c);
    EXPECT_EQ(D.Description("IMG_0002.JPG"), "Neige");
    EXPECT_EQ(D.Description("IMG.jpg"), "");
    EXPECT_EQ(D.Description("dup.jpg"), "Premier");
    EXPECT_EQ(D.Description("autre.jpg"), "Grande");

    Desc->DescriptionImage(0, cDossier + "absent.jpg", nDescEcriture, "Nouvelle");
    EXPECT_EQ(D.Description("absent.jpg"), "");
    EXPECT_EQ(Desc->DescriptionsDossier(cDossier).Description("absent.jpg"), "Nouvelle");
    EXPECT_EQ(Desc->DescriptionsDossier(Tmp.path() + "/ailleurs/").Description("a.jpg"), "");
}

TEST_F(Descriptions, WritingAppendsQuotedNameOrReplacesTheFirstEntry)
{
    EXPECT_EQ(Desc->DescriptionImage(0, cDossier + "IMG 1.JPG", nDescEcriture, "Plage"), "");
    EXPECT_TRUE(Desc->DerniereEcritureReussie());
    EXPECT_EQ(Lit(), "\"IMG 1.JPG\" Plage\r\n");

    Ecrit("x.jpg Un\r\nX.JPG Deux\r\nx.jpg Trois\r\n\"non fermee.jpg bla\r\n");
    EXPECT_EQ(Lire("x.jpg"), "Un");
    EXPECT_EQ(Desc->DescriptionImage(0, cDossier + "x.jpg", nDescEcriture, "Premier\r\nsur deux lignes"), "Un");
    // Only the first entry changes; the unterminated quote line is kept as it was.
    EXPECT_EQ(Lit(), "x.jpg Premier sur deux lignes\r\nX.JPG Deux\r\nx.jpg Trois\r\n\"non fermee.jpg bla\r\n");
    EXPECT_EQ(Lire("x.jpg"), "Premier sur deux lignes");

    // The name is written back as found in the file.
    Ecrit("Y.JPG Ancienne\n");
    Desc->DescriptionImage(0, cDossier + "y.jpg", nDescEcriture, "Nouvelle");
    EXPECT_EQ(Lit(), "Y.JPG Nouvelle\r\n");
}

TEST_F(Descriptions, DeletingTheFirstEntryAndTheLastOneRemovesTheFile)
{
    Ecrit("a.jpg Un\r\na.jpg Deux\r\n");
    EXPECT_EQ(Desc->DescriptionImage(0, cDossier + "a.jpg", nDescSuppression), "Un");
    EXPECT_EQ(Lit(), "a.jpg Deux\r\n");
    EXPECT_EQ(Lire("a.jpg"), "Deux");
    EXPECT_EQ(Desc->DescriptionImage(0, cDossier + "a.jpg", nDescSuppression), "Deux");
    EXPECT_FALSE(QFileInfo::exists(Fichier()));
    EXPECT_EQ(Desc->DescriptionImage(0, cDossier + "a.jpg", nDescSuppression), "");
    EXPECT_FALSE(QFileInfo::exists(Fichier()));

    // Writing an empty description clears it rather than leaving a line that is no entry.
    Ecrit("b.jpg Un\r\nc.jpg Deux\r\n");
    Desc->DescriptionImage(0, cDossier + "b.jpg", nDescEcriture, "  \r\n ");
    EXPECT_EQ(Lit(), "c.jpg Deux\r\n");
}

TEST_F(Descriptions, RenameKeepsTheDescriptionAndDropsStaleEntriesOfTheNewName)
{
    Ecrit("a.jpg Plage\r\nb.jpg Ancienne\r\nautre.jpg Rien\r\n");
    EXPECT_EQ(Desc->DescriptionImage(0, cDossier + "a.jpg", nDescRenommage, {}, cDossier + "mon b.jpg"), "Plage");
    EXPECT_EQ(Lit(), "\"mon b.jpg\" Plage\r\nb.jpg Ancienne\r\nautre.jpg Rien\r\n");
    Desc->DescriptionImage(0, cDossier + "mon b.jpg", nDescRenommage, {}, cDossier + "b.jpg");
    EXPECT_EQ(Lit(), "b.jpg Plage\r\nautre.jpg Rien\r\n");
    EXPECT_EQ(Lire("b.jpg"), "Plage");

    // Into another folder: the description moves to that folder's file.
    const QString cAutre = Tmp.path() + "/autre/";
    ASSERT_TRUE(QDir().mkpath(cAutre));
    Ecrit("c.jpg Vieux\r\n", cAutre + "descript.ion");
    Desc->DescriptionImage(0, cDossier + "b.jpg", nDescRenommage, {}, cAutre + "c.jpg");
    EXPECT_EQ(Lit(), "autre.jpg Rien\r\n");
    EXPECT_EQ(Lit(cAutre + "descript.ion"), "c.jpg Plage\r\n");
}

TEST_F(Descriptions, WritesKeepPermissionBits)
{
    Ecrit("a.jpg Un\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(Fichier()).constData(), 0440), 0);
    Desc->DescriptionImage(0, cDossier + "a.jpg", nDescEcriture, "Deux");
    EXPECT_TRUE(Desc->DerniereEcritureReussie());
    EXPECT_EQ(Lit(), "a.jpg Deux\r\n");
    struct stat St
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(Fichier()).constData(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, 0440u);
}

TEST_F(Descriptions, ReadsTheFileAgainOnlyWhenItChanges)
{
    Ecrit("a.jpg Un\r\n");
    EXPECT_EQ(Lire("a.jpg"), "Un");
    // Another program rewrites it with the same size and an older time: still seen.
    Ecrit("a.jpg Xy\r\n");
    struct utimbuf Temps
    {
        1000000000, 1000000000
    };
    ASSERT_EQ(::utime(QFile::encodeName(Fichier()).constData(), &Temps), 0);
    EXPECT_EQ(Lire("a.jpg"), "Xy");
    Ecrit("a.jpg Une autre\r\n");
    EXPECT_EQ(Lire("a.jpg"), "Une autre");
    QFile::remove(Fichier());
    EXPECT_EQ(Lire("a.jpg"), "");
    // Our own write is seen by the next read without re-reading stale text.
    Desc->DescriptionImage(0, cDossier + "a.jpg", nDescEcriture, "Quatre");
    EXPECT_EQ(Lire("a.jpg"), "Quatre");
    Desc->OublieCache();
    EXPECT_EQ(Lire("a.jpg"), "Quatre");
}

TEST_F(Descriptions, ListingAFolderParsesItsFileOnce)
{
    Ecrit("a.jpg Un\r\nb.jpg Deux\r\n");
    EXPECT_EQ(Lire("a.jpg"), "Un");
    struct stat Avant
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(Fichier()).constData(), &Avant), 0);
    // Same inode, size and time, other bytes: a file that was not read again still answers
    // from the first reading.
    {
        QFile F(Fichier());
        ASSERT_TRUE(F.open(QIODevice::ReadWrite));
        ASSERT_TRUE(F.seek(16));
        F.write("Xx");
    }
    const struct timespec Temps[2] = {Avant.st_atim, Avant.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(Fichier()).constData(), Temps, 0), 0);
    EXPECT_EQ(Lire("b.jpg"), "Deux");
    EXPECT_EQ(Lire("a.jpg"), "Un");
}

TEST_F(Descriptions, KeepsTheEncodingTheFileWasReadIn)
{
    // "été" in Windows-1252 on the first line, plain ASCII on the second.
    Ecrit("a.jpg Vacances d'\xE9t\xE9\r\nb.jpg Neige\r\n");
    EXPECT_EQ(Lire("a.jpg"), QString::fromUtf8("Vacances d'été"));
    Desc->DescriptionImage(0, cDossier + "b.jpg", nDescEcriture, QString::fromUtf8("Noël"));
    EXPECT_EQ(Lit(), QByteArray("a.jpg Vacances d'\xE9t\xE9\r\nb.jpg No\xEBl\r\n"));
    // A character the old code page lacks is kept, in UTF-8, on its own line.
    Desc->DescriptionImage(0, cDossier + "c.jpg", nDescEcriture, QString::fromUtf8("Łódź"));
    EXPECT_EQ(Lire("c.jpg"), QString::fromUtf8("Łódź"));
    EXPECT_EQ(Lire("b.jpg"), QString::fromUtf8("Noël"));

    // A new file, and a UTF-8 one, are written in UTF-8.
    const QString cAutre = Tmp.path() + "/utf8/";
    ASSERT_TRUE(QDir().mkpath(cAutre));
    Desc->DescriptionImage(0, cAutre + "d.jpg", nDescEcriture, QString::fromUtf8("Noël"));
    EXPECT_EQ(Lit(cAutre + "descript.ion"), QByteArray("d.jpg No\xC3\xABl\r\n"));
}

TEST_F(Descriptions, CdImagesUseTheSettingsStore)
{
    const QString cCle = "<-1975582719>/DCIM/IMG_0001.JPG";
    EXPECT_EQ(Desc->DescriptionImage(-1975582719, "/DCIM/IMG_0001.JPG", nDescEcriture, "Rome\r\nle soir"), "");
    EXPECT_EQ(iniSetup->ReadString("DESCRIPTIONS", cCle, "?"), "Rome le soir");
    EXPECT_EQ(Desc->DescriptionImage(-1975582719, "/DCIM/IMG_0001.JPG", nDescLecture), "Rome le soir");
    // A CD image is never renamed nor deleted: its description stays.
    Desc->DescriptionImage(-1975582719, "/DCIM/IMG_0001.JPG", nDescSuppression);
    Desc->DescriptionImage(-1975582719, "/DCIM/IMG_0001.JPG", nDescRenommage, {}, "/DCIM/X.JPG");
    EXPECT_EQ(iniSetup->ReadString("DESCRIPTIONS", cCle, "?"), "Rome le soir");
    EXPECT_FALSE(iniSetup->ValueExists("DESCRIPTIONS", "<-1975582719>/DCIM/X.JPG"));
    EXPECT_FALSE(QFileInfo::exists("/DCIM/descript.ion"));
}

TEST_F(Descriptions, MoveToAnotherFolderWritesTheTargetBeforeLeavingTheSource)
{
    Ecrit("a.jpg Plage\r\nb.jpg Port\r\n");
    // The target folder's descript.ion cannot be written: a folder stands in its place.
    const QString cBloque = Tmp.path() + "/bloque/";
    ASSERT_TRUE(QDir().mkpath(cBloque + "descript.ion/dedans"));
    Desc->DescriptionImage(0, cDossier + "a.jpg", nDescRenommage, {}, cBloque + "a.jpg");
    EXPECT_FALSE(Desc->DerniereEcritureReussie());
    EXPECT_EQ(Lit(), "a.jpg Plage\r\nb.jpg Port\r\n");
    EXPECT_EQ(Lire("a.jpg"), "Plage");

    // A name that cannot be written so that it reads back: the source keeps the entry too.
    const QString cAutre = Tmp.path() + "/autre/";
    ASSERT_TRUE(QDir().mkpath(cAutre));
    Desc->DescriptionImage(0, cDossier + "b.jpg", nDescRenommage, {}, cAutre + "le \"b\".jpg");
    EXPECT_FALSE(Desc->DerniereEcritureReussie());
    EXPECT_EQ(Lit(), "a.jpg Plage\r\nb.jpg Port\r\n");

    // Once the target can be written, the entry moves.
    Desc->DescriptionImage(0, cDossier + "b.jpg", nDescRenommage, {}, cAutre + "b.jpg");
    EXPECT_TRUE(Desc->DerniereEcritureReussie());
    EXPECT_EQ(Lit(), "a.jpg Plage\r\n");
    EXPECT_EQ(Lit(cAutre + "descript.ion"), "b.jpg Port\r\n");
}

TEST_F(Descriptions, AFolderOfChangesIsWrittenOnceAndAFailureIsKeptForTheNextSave)
{
    Ecrit("a.jpg Un\r\nautre.txt garde\r\nb.jpg Deux\r\n");
    EXPECT_EQ(Lire("a.jpg"), "Un"); // the batch then works on the cached file
    EXPECT_TRUE(
        Desc->EcritDescriptionsDossier(cDossier, {{"a.jpg", ""}, {"b.jpg", "Neuf\r\nsoir"}, {"c d.jpg", "Trois"}}));
    EXPECT_EQ(Lit(), "autre.txt garde\r\nb.jpg Neuf soir\r\n\"c d.jpg\" Trois\r\n");
    EXPECT_EQ(Lire("c d.jpg"), "Trois");

    // A folder that cannot be written: the change stays in memory and goes with the next one.
    ASSERT_EQ(::chmod(QFile::encodeName(cDossier).constData(), 0555), 0);
    const bool lRoot = QFileInfo(cDossier).isWritable();
    EXPECT_EQ(Desc->EcritDescriptionsDossier(cDossier, {{"b.jpg", "Autre"}}), lRoot);
    EXPECT_EQ(Lire("b.jpg"), "Autre");
    ASSERT_EQ(::chmod(QFile::encodeName(cDossier).constData(), 0755), 0);
    EXPECT_TRUE(Desc->EcritDescriptionsDossier(cDossier, {{"c d.jpg", "Trois"}}));
    EXPECT_EQ(Lit(), "autre.txt garde\r\nb.jpg Autre\r\n\"c d.jpg\" Trois\r\n");
}
