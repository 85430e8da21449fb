#include "storage/BigIniFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
QByteArray Lit(const QString &cFichier)
{
    QFile f(cFichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

bool Ecrit(const QString &cFichier, const QByteArray &Octets)
{
    QFile f(cFichier);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(Octets) == Octets.size();
}

QString VersDeux(const QString &cCle)
{
    return cCle.startsWith("<1>") ? "<2>" + cCle.mid(3) : QString();
}
} // namespace

TEST(BigIniFilesRecle, RenamingASectionKeepsItsPlaceAndReplacesTheTarget)
{
    QTemporaryDir Temp;
    const QString cFichier = Temp.filePath("bdd.ini");
    ASSERT_TRUE(Ecrit(cFichier, "[<1>/a]\r\nx=1\r\ny=2\r\n[<2>/a]\r\nz=3\r\n[autre]\r\nk=v\r\n[<1>/b=c]\r\nw=4\r\n"));
    TBigIniFile ini(cFichier, true);
    ini.lAutoSave = false;
    EXPECT_TRUE(ini.RenommeSection("<1>/a", "<2>/a"));
    EXPECT_TRUE(ini.RenommeSection("<1>/b=c", "<2>/b=c"));
    EXPECT_FALSE(ini.RenommeSection("<1>/absent", "<2>/absent"));
    EXPECT_FALSE(ini.SectionExists("<1>/a"));
    EXPECT_EQ(ini.ReadString("<2>/a", "x", ""), "1");
    EXPECT_FALSE(ini.ValueExists("<2>/a", "z"));
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(Lit(cFichier), "[<2>/a]\r\nx=1\r\ny=2\r\n[autre]\r\nk=v\r\n[<2>/b=c]\r\nw=4\r\n");
    // The renamed section is found, written and erased under its new name only.
    ini.WriteString("<2>/a", "n", "5");
    ini.EraseSection("<2>/b=c");
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(Lit(cFichier), "[<2>/a]\r\nx=1\r\ny=2\r\nn=5\r\n[autre]\r\nk=v\r\n");
}

TEST(BigIniFilesRecle, ManyRenamesKeepTheSectionIndexRight)
{
    QTemporaryDir Temp;
    TBigIniFile ini(Temp.filePath("bdd.ini"), true);
    ini.lAutoSave = false;
    for (int i = 0; i < 200; ++i) {
        ini.WriteString(QStringLiteral("<1>/%1").arg(i), "c", QString::number(i));
        if (i % 3 == 0)
            ini.WriteString(QStringLiteral("<2>/%1").arg(i), "c", "D");
    }
    // Erasing replaced targets squeezes the section vector on the way.
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(ini.RenommeSection(QStringLiteral("<1>/%1").arg(i), QStringLiteral("<2>/%1").arg(i)));
    QStringList Noms;
    ini.ReadSections(Noms);
    ASSERT_EQ(Noms.size(), 200);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(Noms[i], QStringLiteral("<2>/%1").arg(i));
        EXPECT_EQ(ini.ReadString(QStringLiteral("<2>/%1").arg(i), "c", ""), QString::number(i));
    }
}

TEST(BigIniFilesRecle, ReKeyingKeepsPositionsAndTheReKeyedLineWins)
{
    QTemporaryDir Temp;
    const QString cFichier = Temp.filePath("setup.ini");
    ASSERT_TRUE(Ecrit(cFichier, "[MOTS-CLES]\r\n<2>/a=dest\r\n/home/x=h\r\n<1>/a=src\r\n<1>/b%3D=eq\r\n"
                                "<12>/a=autre\r\n<2>/c=seule\r\n[X]\r\n<1>/a=1\r\n"));
    TBigIniFile ini(cFichier);
    ini.lAutoSave = false;
    EXPECT_EQ(ini.RecleSection("MOTS-CLES", "<1>", VersDeux), 2);
    EXPECT_EQ(ini.ReadString("MOTS-CLES", "<2>/a", ""), "src");
    EXPECT_EQ(ini.ReadString("MOTS-CLES", "<2>/b=", ""), "eq");
    EXPECT_FALSE(ini.ValueExists("MOTS-CLES", "<1>/a"));
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(Lit(cFichier), "[MOTS-CLES]\r\n/home/x=h\r\n<2>/a=src\r\n<2>/b%3D=eq\r\n<12>/a=autre\r\n<2>/c=seule\r\n"
                             "[X]\r\n<1>/a=1\r\n");
    EXPECT_EQ(ini.RecleSection("MOTS-CLES", "<1>", VersDeux), 0);
    EXPECT_FALSE(ini.Modifie());
}

TEST(BigIniFilesRecle, ReKeyingALargeIndexedSectionLeavesLookupsRight)
{
    QTemporaryDir Temp;
    TBigIniFile ini(Temp.filePath("setup.ini"));
    ini.lAutoSave = false;
    for (int i = 0; i < 100; ++i) {
        ini.WriteString("T", QStringLiteral("<1>/%1").arg(i), QString::number(i));
        if (i % 2 == 0)
            ini.WriteString("T", QStringLiteral("<2>/%1").arg(i), "D");
    }
    EXPECT_EQ(ini.RecleSection("T", "<1>", VersDeux), 100);
    QStringList Cles;
    ini.ReadSection("T", Cles);
    ASSERT_EQ(Cles.size(), 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(ini.ReadString("T", QStringLiteral("<2>/%1").arg(i), ""), QString::number(i));
    ini.DeleteKey("T", "<2>/50");
    ini.WriteString("T", "<2>/7", "sept");
    EXPECT_FALSE(ini.ValueExists("T", "<2>/50"));
    EXPECT_EQ(ini.ReadString("T", "<2>/7", ""), "sept");
    ini.ReadSection("T", Cles);
    EXPECT_EQ(Cles.size(), 99);
}
