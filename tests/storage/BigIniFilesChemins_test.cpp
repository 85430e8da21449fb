#include "storage/BigIniFiles.h"

#include "platform/TextCodec.h"

#include <QFile>
#include <QHash>
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

// The raw readers give what the readers by name give, on the lines that trip them up.
TEST(BigIniFilesChemins, RawReadersAgreeWithTheReadersByName)
{
    QTemporaryDir Temp;
    const QString cFichier = Temp.filePath("bdd.ini");
    ASSERT_TRUE(Ecrit(cFichier, "; avant\r\n[a]\r\nk=1\r\nk=2\r\nsans egal\r\n=vide\r\nv=\r\nx%3Dy=a=b\r\n"
                                "[B%5B1%5D]\r\n%E9t%E9=caf\xC3\xA9\r\n\xC3\xA9t\xC3\xA9= \r\n"
                                "[A]\r\nautre=3\r\n[vide]\r\n[%25]\r\n%=%\r\n"));
    for (const bool lCasse : {false, true}) {
        TBigIniFile ini(cFichier, lCasse);
        QStringList Sections;
        ini.ReadSections(Sections);
        QStringList Noms, Attendus;
        std::vector<bool> Trouvees;
        ini.ParcourtSections(
            [&](QByteArrayView Nom, bool lEchappe, bool lTrouvee) {
                Noms << (lEchappe ? DecodeLigne(Nom) : QString::fromUtf8(Nom));
                Trouvees.push_back(lTrouvee);
                return false;
            },
            [&](const TBigIniFile::TLigneBrute &) { ADD_FAILURE() << "lines of a section refused"; });
        EXPECT_EQ(Noms, Sections);
        // "a" and "A" are one section unless case counts: the second is then not found by name.
        EXPECT_EQ(Trouvees, (std::vector<bool>{true, true, lCasse, true, true}));

        // Values as they stand, a key written twice giving each of its values.
        const QStringList ValeursA{"1", "2", "vide", "", "a=b"};
        const QHash<QString, QStringList> Valeurs{{"a", ValeursA},
                                                  {"B[1]", {"caf\u00e9", " "}},
                                                  {"A", lCasse ? QStringList{"3"} : ValeursA},
                                                  {"vide", {}},
                                                  {"%", {"%"}}};
        for (const QString &cSection : Sections) {
            QStringList Cles, ClesBrutes, ValeursBrutes;
            ini.ReadSection(cSection, Cles);
            EXPECT_TRUE(ini.ParcourtSection(cSection, [&](const TBigIniFile::TLigneBrute &l) {
                ClesBrutes << (l.lEchappe ? DecodeLigne(l.Cle) : QString::fromUtf8(l.Cle));
                ValeursBrutes << QString::fromUtf8(l.Valeur);
            }));
            EXPECT_EQ(ClesBrutes, Cles) << qPrintable(cSection);
            EXPECT_EQ(ValeursBrutes, Valeurs.value(cSection)) << qPrintable(cSection);
        }
        EXPECT_FALSE(ini.ParcourtSection("absente", [](const TBigIniFile::TLigneBrute &) {}));
    }
}

// Re-keying in one pass leaves the file as reading, changing and replacing each section by
// name does, on escaped names and keys, valueless and other lines, a section emptied.
TEST(BigIniFilesChemins, ReKeyingInOnePassWritesWhatTheReadersByNameWould)
{
    const QByteArray Texte = "; avant\r\n[a]\r\nV/I=1\r\nsans egal\r\nX=\r\nV/I/R=\r\n"
                             "[b%3D1]\r\nV%2FI=\r\nV/I=\r\n"
                             "[%E9]\r\nV/I/x=\r\n"
                             "[vide]\r\nV/I=\r\n"
                             "[c]\r\nV/Ix=\r\n"
                             "[grand]\r\nk=\r\n"
                             "V/I/1=\r\nV/I/2=\r\nV/I/3=\r\nV/I/4=\r\nV/I/5=\r\nV/I/6=\r\nV/I/7=\r\nV/I/8=\r\n"
                             "V/I/9=\r\nV/I/10=\r\nV/I/11=\r\nV/I/12=\r\nV/I/13=\r\n";
    // The change: every key under V/I renamed to W/I, the whole "vide" section dropped.
    auto Change = [](const QString &cSection, QStringList &Cles) {
        if (cSection == "vide") {
            Cles.clear();
            return true;
        }
        bool lChange = false;
        for (QString &c : Cles)
            if (c == "V/I" || c.startsWith("V/I/")) {
                c.replace(0, 1, "W");
                lChange = true;
            }
        return lChange;
    };
    // A file with a section name written twice is handled too.
    for (const QByteArray &Fichier : {Texte, Texte + "[a]\r\nV/I=\r\n[A]\r\nV/I/x=\r\n"}) {
        for (const bool lCasse : {false, true}) {
            QTemporaryDir Temp;
            const QString cUn = Temp.filePath("un.ini"), cDeux = Temp.filePath("deux.ini");
            ASSERT_TRUE(Ecrit(cUn, Fichier));
            ASSERT_TRUE(Ecrit(cDeux, Fichier));
            TBigIniFile Un(cUn, lCasse), Deux(cDeux, lCasse);
            Un.lAutoSave = Deux.lAutoSave = false;
            QStringList Vues, VuesParNom;
            Un.RecleSectionsSousChemin("V/I", [&](const QString &cSection, QStringList &Cles) {
                Vues << cSection;
                return Change(cSection, Cles);
            });
            for (const QString &cSection : Deux.SectionsSousChemin("V/I")) {
                QStringList Cles;
                Deux.ReadSection(cSection, Cles);
                VuesParNom << cSection;
                if (!Change(cSection, Cles))
                    continue;
                std::vector<std::pair<QString, QString>> Lignes;
                for (const QString &c : std::as_const(Cles))
                    Lignes.push_back({c, QString()});
                Deux.RemplaceSection(cSection, Lignes);
            }
            Vues.sort();
            VuesParNom.sort();
            EXPECT_EQ(Vues, VuesParNom);
            ASSERT_TRUE(Un.UpdateFile());
            ASSERT_TRUE(Deux.UpdateFile());
            EXPECT_EQ(Lit(cUn), Lit(cDeux)) << lCasse;
            EXPECT_NE(Lit(cUn), Fichier);
            // The sections changed are counted as changed.
            EXPECT_GT(Un.GenerationSection("a"), 0u);
            EXPECT_EQ(Un.GenerationSection("c"), 0u);
        }
    }
}

// A one-pass re-key keeps the lines of untouched keys as they are: a key dropped and a new one
// of the same length made in its place, a key given twice, a key with a value, a bracketed or
// escaped key must still come out as a rewrite by name writes them.
TEST(BigIniFilesChemins, ReKeyingKeepsOnlyTheLinesOfKeysLeftUntouched)
{
    const QByteArray Fichier = "[s]\r\nV/I=\r\nAB=\r\nCD=\r\nEF=2\r\n[t]\r\nV/I/x=\r\n[AB=\r\nK%3D=\r\nGH=\r\n";
    auto Change = [](const QString &cSection, QStringList &Cles) {
        for (QString &c : Cles)
            if (c.startsWith("V/I"))
                c.replace(0, 1, "W");
        if (cSection == "s") {
            Cles.removeOne("AB");
            Cles << QString("X") + QString("Y") << Cles[1];
        } else {
            Cles.removeOne("GH");
            Cles << QString("G") + QString("Z");
        }
        return true;
    };
    QTemporaryDir Temp;
    const QString cUn = Temp.filePath("un.ini"), cDeux = Temp.filePath("deux.ini");
    ASSERT_TRUE(Ecrit(cUn, Fichier));
    ASSERT_TRUE(Ecrit(cDeux, Fichier));
    TBigIniFile Un(cUn, true), Deux(cDeux, true);
    Un.lAutoSave = Deux.lAutoSave = false;
    Un.RecleSectionsSousChemin("V/I", Change);
    for (const QString &cSection : Deux.SectionsSousChemin("V/I")) {
        QStringList Cles;
        Deux.ReadSection(cSection, Cles);
        Change(cSection, Cles);
        std::vector<std::pair<QString, QString>> Lignes;
        for (const QString &c : std::as_const(Cles))
            Lignes.push_back({c, QString()});
        Deux.RemplaceSection(cSection, Lignes);
    }
    ASSERT_TRUE(Un.UpdateFile());
    ASSERT_TRUE(Deux.UpdateFile());
    EXPECT_EQ(Lit(cUn), Lit(cDeux));
    EXPECT_EQ(Lit(cUn), "[s]\r\nW/I=\r\nCD=\r\nEF=\r\nXY=\r\nCD=\r\n[t]\r\nW/I/x=\r\n[AB=\r\nK%3D=\r\nGZ=\r\n");
    QStringList Cles;
    Un.ReadSection("t", Cles);
    EXPECT_EQ(Cles, (QStringList{"W/I/x", "[AB", "K=", "GZ"}));
}

// A section rewritten in one pass counts as changed, and its counter keeps growing through an
// erasure, a new section of the name and another rewrite.
TEST(BigIniFilesChemins, ReKeyedSectionsKeepCountingTheirChanges)
{
    TBigIniFile ini(QString(), true);
    ini.lAutoSave = false;
    ini.WriteString("a", "V/I", "");
    ini.WriteString("b", "V/I/x", "");
    ini.WriteString("c", "k", "1");
    auto Renomme = [&] {
        ini.RecleSectionsSousChemin("V/I", [](const QString &, QStringList &Cles) {
            for (QString &c : Cles)
                c.replace(0, 1, c.startsWith('V') ? "W" : "V");
            return true;
        });
    };
    Renomme();
    EXPECT_EQ(ini.Generation(), 5u);
    EXPECT_EQ(ini.GenerationSection("a"), 4u);
    EXPECT_EQ(ini.GenerationSection("b"), 5u);
    EXPECT_EQ(ini.GenerationSection("c"), 3u);
    std::vector<TBigIniFile::TChangement> l;
    ASSERT_TRUE(ini.ChangementsDepuis(3, l));
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].cSection, "a");
    EXPECT_TRUE(l[0].cCle.isNull());
    ini.EraseSection("a");
    EXPECT_EQ(ini.GenerationSection("a"), 6u);
    ini.WriteString("a", "V/I", "");
    EXPECT_EQ(ini.GenerationSection("a"), 7u);
    ini.WriteString("b", "k", "1");
    EXPECT_EQ(ini.GenerationSection("b"), 8u);
    Renomme();
    EXPECT_EQ(ini.GenerationSection("a"), 9u);
    EXPECT_EQ(ini.GenerationSection("b"), 8u); // holds W/I/x now: not under V/I
}
