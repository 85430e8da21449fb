#include "imaging/FileKinds.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
void Ecrit(const QString &cChemin, const QByteArray &Donnees = "x")
{
    QFile f(cChemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Donnees);
}

void Ajoute32(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

// A minimal shell link as the shell writes it: header, an item-identifier list, and a
// LinkInfo block whose local base path is cCible (8-bit and, when asked, UTF-16 too).
QByteArray Raccourci(const QByteArray &cCible, bool lUnicode = false)
{
    QByteArray b;
    Ajoute32(b, 0x4C);
    b.append(QByteArray::fromHex("0114020000000000C000000000000046"));
    Ajoute32(b, 0x1 | 0x2); // HasLinkTargetIDList | HasLinkInfo
    b.append(QByteArray(76 - b.size(), '\0'));
    b.append(char(4)).append(char(0)).append(QByteArray(4, '\x07')); // ID list of 4 bytes
    const quint32 nEntete = lUnicode ? 0x24 : 0x1C;
    QByteArray Info;
    const quint32 nVolume = nEntete;
    const QByteArray Volume = QByteArray::fromHex("1000000003000000000000001000000000000000").left(16);
    const quint32 nBase = nVolume + Volume.size();
    const quint32 nSuffixe = nBase + cCible.size() + 1;
    const quint32 nBaseU = nSuffixe + 1;
    QByteArray Utf16;
    const QString c = QString::fromUtf8(cCible);
    for (QChar ch : c)
        Utf16.append(char(ch.unicode() & 0xFF)).append(char(ch.unicode() >> 8));
    Utf16.append(2, '\0');
    Ajoute32(Info, 0); // size, set below
    Ajoute32(Info, nEntete);
    Ajoute32(Info, 0x1);
    Ajoute32(Info, nVolume);
    Ajoute32(Info, nBase);
    Ajoute32(Info, 0);
    Ajoute32(Info, nSuffixe);
    if (lUnicode) {
        Ajoute32(Info, nBaseU);
        Ajoute32(Info, 0);
    }
    Info.append(Volume).append(cCible).append('\0').append('\0');
    if (lUnicode)
        Info.append(Utf16);
    const quint32 n = Info.size();
    for (int i = 0; i < 4; ++i)
        Info[i] = char((n >> (8 * i)) & 0xFF);
    b.append(Info);
    b.append(QByteArray(8, '\0'));
    return b;
}
}

TEST(FileKinds, KindsFollowTheExtensionWhateverItsCase)
{
    EXPECT_TRUE(EstJPEG("photo.JPEG"));
    EXPECT_TRUE(EstJPEG("photo.jpeg"));
    EXPECT_TRUE(EstJPEG("PHOTO.Jpg"));
    EXPECT_TRUE(EstJPEG("/a.b/c/photo.jpg"));
    EXPECT_FALSE(EstImage("photo.jpe"));
    EXPECT_FALSE(EstImage("scan.tiff"));
    EXPECT_FALSE(EstImage("/photos.jpg/readme"));
    EXPECT_FALSE(EstImage("jpg"));
    for (const char *c : {"a.crw", "a.CR2", "a.nef", "a.MRW", "a.orf", "a.PEF", "a.raf", "a.tif", "a.PNG"}) {
        EXPECT_TRUE(EstAutreImage(c)) << c;
        EXPECT_TRUE(EstImage(c)) << c;
        EXPECT_FALSE(EstJPEG(c)) << c;
    }
    EXPECT_TRUE(EstCRW("IMG_0001.CRW"));
    EXPECT_FALSE(EstCRW("IMG_0001.CR2"));
    EXPECT_EQ(TexteGenre("a.Jpeg"), "JPEG");
    EXPECT_EQ(TexteGenre("a.nef"), "RAW");
    EXPECT_EQ(TexteGenre("a.TIF"), "TIF");
    EXPECT_EQ(TexteGenre("a.png"), "PNG");
    EXPECT_EQ(TexteGenre("a.tiff"), "-");
}

TEST(FileKinds, ShortcutNames)
{
    EXPECT_TRUE(EstRaccourci("a.lnk"));
    EXPECT_TRUE(EstRaccourci("/x/Photo.JPG.LNK"));
    EXPECT_FALSE(EstRaccourci("a.lnk.jpg"));
    EXPECT_FALSE(EstRaccourci("a.lnk.lnk"));
    EXPECT_FALSE(EstRaccourci("alnk"));
}

TEST(FileKinds, SizeTexts)
{
    EXPECT_EQ(TexteTaille(0), "0 Oct");
    EXPECT_EQ(TexteTaille(1024), "1024 Oct");
    EXPECT_EQ(TexteTaille(1025), "1,00 Ko");
    EXPECT_EQ(TexteTaille(1048576), "1024,00 Ko");
    EXPECT_EQ(TexteTaille(1048577), "1,00 Mo");
    EXPECT_EQ(TexteTaille(1536 * 1024), "1,50 Mo");
    EXPECT_EQ(TexteTaille(5LL * 1024 * 1024 * 1024), "5120,00 Mo");
}

TEST(FileKinds, SizeAndDateAre64Bit)
{
    QTemporaryDir d;
    const QString c = d.filePath("gros.tif");
    {
        QFile f(c);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(5LL * 1024 * 1024 * 1024 + 3)); // sparse: nothing is written
        const QDateTime t(QDate(2041, 3, 4), QTime(5, 6, 7), Qt::UTC);
        ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
    }
    qint64 nTaille = -1, nDate = -1;
    ASSERT_TRUE(TailleEtDate(c, nTaille, nDate));
    EXPECT_EQ(nTaille, 5LL * 1024 * 1024 * 1024 + 3);
    EXPECT_EQ(nDate, QDateTime(QDate(2041, 3, 4), QTime(5, 6, 7), Qt::UTC).toSecsSinceEpoch());
    EXPECT_FALSE(TailleEtDate(d.filePath("absent.jpg"), nTaille, nDate));
    EXPECT_EQ(nTaille, 0);
}

TEST(FileKinds, CompanionsAreFoundInEitherCase)
{
    QTemporaryDir d;
    Ecrit(d.filePath("IMG_1.CRW"));
    Ecrit(d.filePath("IMG_1.THM"));
    Ecrit(d.filePath("img_2.crw"));
    Ecrit(d.filePath("img_2.thm"));
    Ecrit(d.filePath("img_2.wav"));
    Ecrit(d.filePath("IMG_3.CRW"));
    EXPECT_EQ(CompagnonTHM(d.filePath("IMG_1.CRW")), d.filePath("IMG_1.THM"));
    EXPECT_EQ(CompagnonTHM(d.filePath("img_2.crw")), d.filePath("img_2.thm"));
    EXPECT_EQ(CompagnonWAV(d.filePath("img_2.crw")), d.filePath("img_2.wav"));
    EXPECT_TRUE(CompagnonTHM(d.filePath("IMG_3.CRW")).isEmpty());
    EXPECT_TRUE(CompagnonWAV(d.filePath("IMG_1.CRW")).isEmpty());
    // Any mix of cases, as renaming tools and other systems leave them; the name itself keeps
    // its case.
    Ecrit(d.filePath("IMG_4.CRW"));
    Ecrit(d.filePath("IMG_4.Thm"));
    Ecrit(d.filePath("IMG_4.wAV"));
    Ecrit(d.filePath("p.jpg"));
    Ecrit(d.filePath("p.Wav"));
    Ecrit(d.filePath("q.JPG"));
    Ecrit(d.filePath("Q.WAV"));
    Ecrit(d.filePath("r.crw"));
    Ecrit(d.filePath("r.tHm"));
    Ecrit(d.filePath("r.Wav"));
    EXPECT_EQ(CompagnonTHM(d.filePath("IMG_4.CRW")), d.filePath("IMG_4.Thm"));
    EXPECT_EQ(CompagnonWAV(d.filePath("IMG_4.CRW")), d.filePath("IMG_4.wAV"));
    EXPECT_EQ(CompagnonWAV(d.filePath("p.jpg")), d.filePath("p.Wav"));
    EXPECT_TRUE(CompagnonWAV(d.filePath("q.JPG")).isEmpty());
    EXPECT_EQ(CompagnonTHM(d.filePath("r.crw")), d.filePath("r.tHm"));
    EXPECT_EQ(CompagnonWAV(d.filePath("r.crw")), d.filePath("r.Wav"));
    // A folder is no companion.
    QDir(d.path()).mkdir("s.THM");
    Ecrit(d.filePath("s.CRW"));
    EXPECT_TRUE(CompagnonTHM(d.filePath("s.CRW")).isEmpty());
    EXPECT_EQ(RemplaceExtension("/a.b/c", ".THM"), "/a.b/c.THM");
    EXPECT_EQ(RemplaceExtension("/a/c.d.crw", ".THM"), "/a/c.d.THM");
}

TEST(FileKinds, ShellLinkTargets)
{
    QTemporaryDir d;
    const QString cImage = d.filePath("vacances été.jpg");
    Ecrit(cImage);
    Ecrit(d.filePath("a.lnk"), Raccourci(cImage.toUtf8()));
    Ecrit(d.filePath("u.lnk"), Raccourci(cImage.toUtf8(), true));
    EXPECT_EQ(CibleRaccourci(d.filePath("a.lnk")), cImage);
    EXPECT_EQ(CibleRaccourci(d.filePath("u.lnk")), cImage);
    EXPECT_EQ(ImageDeEntree(d.filePath("a.lnk")), cImage);

    // A target that is gone, relative, or a Windows path gives nothing.
    Ecrit(d.filePath("perdu.lnk"), Raccourci(d.filePath("perdu.jpg").toUtf8()));
    Ecrit(d.filePath("relatif.lnk"), Raccourci("vacances.jpg"));
    Ecrit(d.filePath("windows.lnk"), Raccourci("C:\\Photos\\a.jpg"));
    EXPECT_TRUE(CibleRaccourci(d.filePath("perdu.lnk")).isEmpty());
    EXPECT_TRUE(ImageDeEntree(d.filePath("perdu.lnk")).isEmpty());
    EXPECT_TRUE(CibleRaccourci(d.filePath("relatif.lnk")).isEmpty());
    EXPECT_TRUE(CibleRaccourci(d.filePath("windows.lnk")).isEmpty());

    // A shortcut to a shortcut is not followed; a shortcut to a non-image is no image.
    Ecrit(d.filePath("double.lnk"), Raccourci(d.filePath("a.lnk").toUtf8()));
    EXPECT_EQ(CibleRaccourci(d.filePath("double.lnk")), d.filePath("a.lnk"));
    EXPECT_TRUE(ImageDeEntree(d.filePath("double.lnk")).isEmpty());
    Ecrit(d.filePath("notes.txt"));
    Ecrit(d.filePath("texte.lnk"), Raccourci(d.filePath("notes.txt").toUtf8()));
    EXPECT_TRUE(ImageDeEntree(d.filePath("texte.lnk")).isEmpty());

    // Every cut of a valid link, and offsets pointing outside, end in an empty path.
    const QByteArray Bon = Raccourci(cImage.toUtf8(), true);
    for (int n = 0; n < Bon.size() - 8; n += 7) {
        Ecrit(d.filePath("coupe.lnk"), Bon.left(n));
        EXPECT_TRUE(CibleRaccourci(d.filePath("coupe.lnk")).isEmpty()) << n;
    }
    QByteArray Faux = Bon;
    const int nInfo = 76 + 2 + 4;
    Faux[nInfo + 16 + 3] = char(0x7F); // LocalBasePathOffset far beyond the block
    Faux[nInfo + 28 + 3] = char(0x7F); // and its Unicode twin
    Ecrit(d.filePath("faux.lnk"), Faux);
    EXPECT_TRUE(CibleRaccourci(d.filePath("faux.lnk")).isEmpty());
    EXPECT_TRUE(CibleRaccourci(d.filePath("absent.lnk")).isEmpty());
}

TEST(FileKinds, SymbolicLinksStandForTheirImage)
{
    QTemporaryDir d;
    QDir().mkpath(d.filePath("vraies"));
    const QString cImage = d.filePath("vraies/a.png");
    Ecrit(cImage);
    Ecrit(d.filePath("vraies/notes.txt"));
    ASSERT_TRUE(QFile::link(cImage, d.filePath("lien.png")));
    ASSERT_TRUE(QFile::link(cImage, d.filePath("lien sans extension")));
    ASSERT_TRUE(QFile::link(d.filePath("vraies/notes.txt"), d.filePath("notes.jpg")));
    ASSERT_TRUE(QFile::link(d.filePath("vraies/disparue.jpg"), d.filePath("casse.jpg")));
    EXPECT_EQ(ImageDeEntree(d.filePath("lien.png")), cImage);
    EXPECT_EQ(ImageDeEntree(d.filePath("lien sans extension")), cImage);
    EXPECT_TRUE(ImageDeEntree(d.filePath("notes.jpg")).isEmpty());
    EXPECT_TRUE(ImageDeEntree(d.filePath("casse.jpg")).isEmpty());
    EXPECT_EQ(ImageDeEntree(cImage), cImage);
    EXPECT_TRUE(ImageDeEntree(d.filePath("vraies/notes.txt")).isEmpty());
    EXPECT_TRUE(ImageDeEntree(d.filePath("vraies/absente.jpg")).isEmpty());
}
