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

TEST(BigIniFilesChemins, FindsSectionsHoldingAPathOrAPathUnderIt)
{
    QTemporaryDir Temp;
    const QString cFichier = Temp.filePath("bdd.ini");
    ASSERT_TRUE(Ecrit(cFichier, "[a]\r\nVoyages/Italiens=\r\n; Voyages/Italie\r\n"
                                "[b]\r\nX=\r\nVoyages/Italie/Rome=\r\nVoyages/Italie=\r\n"
                                "[c]\r\nVoyages/Italie=1\r\n"
                                "[d%3D1]\r\nVoyages%2FItalie=\r\n"
                                "[e]\r\n Voyages/Italie=\r\nvoyages/italie=\r\nVoyages=\r\n"
                                "[b]\r\nVoyages/Italie=\r\n"));
    TBigIniFile ini(cFichier, true);
    // Keys compared exactly, escapes decoded, each section named once.
    EXPECT_EQ(ini.SectionsSousChemin("Voyages/Italie"), (QStringList{"b", "c", "d=1"}));
    EXPECT_EQ(ini.SectionsSousChemin("Voyages"), (QStringList{"a", "b", "c", "d=1", "e"}));
    EXPECT_TRUE(ini.SectionsSousChemin("Voyages/It").isEmpty());
}

TEST(BigIniFilesChemins, ReplacingASectionKeepsItsPlace)
{
    QTemporaryDir Temp;
    const QString cFichier = Temp.filePath("bdd.ini");
    ASSERT_TRUE(Ecrit(cFichier, "[a]\r\nA=\r\n[b]\r\nB=\r\n; remarque\r\nC=\r\n[c]\r\nD=\r\n"));
    TBigIniFile ini(cFichier, true);
    ini.lAutoSave = false;
    const quint64 nGen = ini.Generation();
    ini.RemplaceSection("b", {{"X=1", ""}, {"[Y", "v]"}, {"B", "z"}});
    EXPECT_EQ(ini.Generation(), nGen + 1);
    EXPECT_EQ(ini.ReadString("b", "X=1", "?"), "");
    EXPECT_EQ(ini.ReadString("b", "[Y", "?"), "v]");
    EXPECT_EQ(ini.ReadString("b", "C", "?"), "?");
    ini.RemplaceSection("c", {});
    ini.RemplaceSection("n", {{"N", ""}});
    ASSERT_TRUE(ini.UpdateFile());
    EXPECT_EQ(Lit(cFichier), "[a]\r\nA=\r\n[b]\r\nX%3D1=\r\n%5BY=v]\r\nB=z\r\n[n]\r\nN=\r\n");

    // A section large enough for its own key table finds its new keys and no old one.
    std::vector<std::pair<QString, QString>> Lignes;
    for (int i = 0; i < 50; ++i)
        Lignes.push_back({QString::number(i), QString::number(i * 2)});
    ini.RemplaceSection("a", Lignes);
    ini.RemplaceSection("a", {Lignes.begin() + 10, Lignes.end()});
    EXPECT_FALSE(ini.ValueExists("a", "A"));
    EXPECT_FALSE(ini.ValueExists("a", "5"));
    EXPECT_EQ(ini.ReadString("a", "49", ""), "98");
    QStringList Cles;
    ini.ReadSection("a", Cles);
    EXPECT_EQ(Cles.size(), 40);
    EXPECT_EQ(Cles.first(), "10");
}
} // namespace
