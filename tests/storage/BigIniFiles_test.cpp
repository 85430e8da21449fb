#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace
{
QByteArray Lit(const QString &cFichier)
{
    QFile f(cFichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

void Ecrit(const QString &cFichier, const QByteArray &Octets)
{
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(Octets);
}

class BigIniFile : public ::testing::Test
{
protected:
    QTemporaryDir Dossier;
    QString cFichier = Dossier.filePath("KX_Test.ini");

    // Loads Octets, applies Action with automatic saving off, saves, returns the file text.
    template <class F>
    QByteArray Apres(const QByteArray &Octets, F &&Action, bool lSensible = false)
    {
        Ecrit(cFichier, Octets);
        TBigIniFile ini(cFichier, lSensible);
        ini.lAutoSave = false;
        Action(ini);
        EXPECT_TRUE(ini.UpdateFile());
        return Lit(cFichier);
    }
};
}

TEST_F(BigIniFile, LinesBeforeTheFirstHeaderSurviveAndAreNeverRead)
{
    const QByteArray Avant = "; notes\r\nk=preambule\r\n\r\n[A]\r\nk=1\r\n";
    const QByteArray Apres = this->Apres(Avant, [](TBigIniFile &ini) {
        EXPECT_EQ(ini.ReadString("A", "k", "-"), "1");
        EXPECT_EQ(ini.ReadString("", "k", "-"), "-");
        QStringList Sections;
        ini.ReadSections(Sections);
        EXPECT_EQ(Sections, QStringList{"A"});
        ini.WriteString("A", "j", "2");
    });
    EXPECT_EQ(Apres, "; notes\r\nk=preambule\r\n\r\n[A]\r\nk=1\r\nj=2\r\n");
}

TEST_F(BigIniFile, SectionNamesIgnoreCaseAndKeepTheirSpelling)
{
    const QByteArray Apres = this->Apres("[PHOTOS]\r\nb=2\r\n", [](TBigIniFile &ini) {
        EXPECT_TRUE(ini.SectionExists("Photos"));
        EXPECT_TRUE(ini.SectionExists(QString::fromUtf8("photos")));
        ini.WriteString("Photos", "a", "1");
        // Keys stay case-sensitive.
        ini.WriteString("photos", "B", "3");
        EXPECT_EQ(ini.ReadString("PHOTOS", "b", ""), "2");
    });
    EXPECT_EQ(Apres, "[PHOTOS]\r\nb=2\r\na=1\r\nB=3\r\n");
}

TEST_F(BigIniFile, NonAsciiSectionNamesFoldWithUpperCase)
{
    TBigIniFile ini(cFichier);
    ini.lAutoSave = false;
    ini.WriteString(QString::fromUtf8("légendes"), "k", "v");
    EXPECT_EQ(ini.ReadString(QString::fromUtf8("LÉGENDES"), "k", ""), "v");
}

TEST_F(BigIniFile, CaseSensitiveStoreKeepsImagesDifferingInCaseApart)
{
    {
        TBigIniFile ini(cFichier, true);
        ini.lAutoSave = false;
        ini.WriteString("/photos/IMG_1.JPG", "Lieux/Rome", "");
        ini.WriteString("/photos/img_1.jpg", "Lieux/Paris", "");
        EXPECT_FALSE(ini.SectionExists("/PHOTOS/IMG_1.JPG"));
        ini.EraseSection("/photos/img_1.JPG"); // no such image: nothing happens
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(Lit(cFichier), "[/photos/IMG_1.JPG]\r\nLieux/Rome=\r\n[/photos/img_1.jpg]\r\nLieux/Paris=\r\n");
    TBigIniFile ini(cFichier, true);
    QStringList Cles;
    ini.ReadSection("/photos/img_1.jpg", Cles);
    EXPECT_EQ(Cles, QStringList{"Lieux/Paris"});
    ini.ReadSection("/photos/IMG_1.JPG", Cles);
    EXPECT_EQ(Cles, QStringList{"Lieux/Rome"});
    // The same file in the default mode finds the first of the two.
    TBigIniFile iniSansCasse(cFichier);
    iniSansCasse.ReadSection("/photos/img_1.jpg", Cles);
    EXPECT_EQ(Cles, QStringList{"Lieux/Rome"});
}

TEST_F(BigIniFile, DuplicateSectionsFirstWinsAndTheNextTakesOverWhenErased)
{
    const QByteArray Apres = this->Apres("[A]\r\nk=1\r\n[B]\r\n[a]\r\nk=2\r\n", [](TBigIniFile &ini) {
        QStringList Sections;
        ini.ReadSections(Sections);
        EXPECT_EQ(Sections, (QStringList{"A", "B", "a"}));
        EXPECT_EQ(ini.ReadString("a", "k", ""), "1");
        ini.WriteString("a", "k", "3");
        ini.EraseSection("A");
        EXPECT_EQ(ini.ReadString("A", "k", ""), "2");
        ini.WriteString("A", "m", "4");
    });
    EXPECT_EQ(Apres, "[B]\r\n[a]\r\nk=2\r\nm=4\r\n");
}

TEST_F(BigIniFile, NewKeyGoesAfterTrailingBlankLinesBeforeTheNextHeader)
{
    const QByteArray Apres = this->Apres("[A]\r\nk=1\r\n\r\n[B]\r\nx=1\r\n", [](TBigIniFile &ini) {
        ini.WriteString("A", "m", "2");
        ini.WriteString("B", "y", "3");
        ini.WriteString("C", "z", "4");
        EXPECT_EQ(ini.ReadString("B", "x", ""), "1");
    });
    EXPECT_EQ(Apres, "[A]\r\nk=1\r\n\r\nm=2\r\n[B]\r\nx=1\r\ny=3\r\n[C]\r\nz=4\r\n");
}

TEST_F(BigIniFile, ReadsFollowTheLineRules)
{
    Ecrit(cFichier, "[S]\r\nk=\r\nj\r\nn=12abc\r\nb=2\r\nyes=yes\r\neq=a=b\r\n a = 1\r\nneg=-12\r\n"
                    "big=99999999999\r\nImg=haut\r\nimg=bas\r\n[T]\r\n");
    TBigIniFile ini(cFichier);
    EXPECT_EQ(ini.ReadString("S", "k", "def"), "");
    EXPECT_TRUE(ini.ValueExists("S", "k"));
    EXPECT_EQ(ini.ReadString("S", "j", "def"), "def");
    EXPECT_FALSE(ini.ValueExists("S", "j"));
    EXPECT_EQ(ini.ReadInteger("S", "n", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "k", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "neg", 7), -12);
    EXPECT_EQ(ini.ReadInteger("S", "big", 7), 7);
    EXPECT_TRUE(ini.ReadBool("S", "b", false));
    EXPECT_FALSE(ini.ReadBool("S", "yes", false));
    EXPECT_TRUE(ini.ReadBool("S", "yes", true));
    EXPECT_EQ(ini.ReadString("S", "eq", ""), "a=b");
    EXPECT_EQ(ini.ReadString("S", " a ", ""), " 1");
    EXPECT_EQ(ini.ReadString("S", "a", "def"), "def");
    EXPECT_EQ(ini.ReadString("S", "Img", ""), "haut");
    EXPECT_EQ(ini.ReadString("S", "img", ""), "bas");
    EXPECT_TRUE(ini.SectionExists("T"));
    EXPECT_FALSE(ini.ValueExists("T", "k"));
    EXPECT_EQ(ini.ReadString("U", "k", "def"), "def");

    QStringList Liste;
    ini.ReadSection("S", Liste);
    EXPECT_EQ(Liste, (QStringList{"k", "n", "b", "yes", "eq", " a ", "neg", "big", "Img", "img"}));
    ini.ReadSectionValues("S", Liste);
    EXPECT_EQ(Liste.size(), 10);
    EXPECT_EQ(Liste.value(4), "eq=a=b");
    ini.ReadSection("absent", Liste);
    EXPECT_TRUE(Liste.isEmpty());
}

TEST_F(BigIniFile, WritesIntegersAndBooleans)
{
    const QByteArray Apres = this->Apres("", [](TBigIniFile &ini) {
        ini.WriteInteger("S", "n", -12);
        ini.WriteBool("S", "v", true);
        ini.WriteBool("S", "f", false);
        ini.WriteString("S", "n", "5");
    });
    EXPECT_EQ(Apres, "[S]\r\nn=5\r\nv=1\r\nf=0\r\n");
}

TEST_F(BigIniFile, HeaderIsABracketAtBothEnds)
{
    Ecrit(cFichier, "[/photos/[2004] Rome/a.jpg]\r\nk=1\r\n [B]\r\n[C] \r\n[D]]\r\nk=2\r\n");
    TBigIniFile ini(cFichier, true);
    QStringList Sections;
    ini.ReadSections(Sections);
    EXPECT_EQ(Sections, (QStringList{"/photos/[2004] Rome/a.jpg", "D]"}));
    EXPECT_EQ(ini.ReadString("/photos/[2004] Rome/a.jpg", "k", ""), "1");
    EXPECT_EQ(ini.ReadString("D]", "k", ""), "2");

    // A folder named with brackets as a key and as a section round-trips.
    ini.lAutoSave = false;
    ini.WriteString("/photos/[2004] Rome/b.jpg", "[2004] Rome", "x]");
    ASSERT_TRUE(ini.UpdateFile());
    TBigIniFile Relu(cFichier, true);
    EXPECT_EQ(Relu.ReadString("/photos/[2004] Rome/b.jpg", "[2004] Rome", ""), "x]");
    Relu.ReadSections(Sections);
    EXPECT_EQ(Sections.size(), 3);
}

TEST_F(BigIniFile, NamesHoldingEqualsPercentAndLineBreaksRoundTrip)
{
    const QString cImage = QString::fromUtf8("/photos/100%\nété/a=b.jpg");
    const QString cCle = "/photos/a=b%c\r.jpg";
    {
        TBigIniFile ini(cFichier, true);
        ini.lAutoSave = false;
        ini.WriteString(cImage, cCle, "1");
        ini.WriteString(cImage, "simple", "2");
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(Lit(cFichier), QString::fromUtf8("[/photos/100%25%0Aété/a=b.jpg]\r\n/photos/a%3Db%25c%0D.jpg=1\r\nsimple=2\r\n").toUtf8());
    TBigIniFile ini(cFichier, true);
    EXPECT_EQ(ini.ReadString(cImage, cCle, ""), "1");
    QStringList Liste;
    ini.ReadSection(cImage, Liste);
    EXPECT_EQ(Liste, (QStringList{cCle, "simple"}));
    ini.ReadSections(Liste);
    EXPECT_EQ(Liste, QStringList{cImage});
}

TEST_F(BigIniFile, PercentNotFollowedByTwoHexDigitsStaysAsWritten)
{
    const QByteArray Apres = this->Apres("[50% off]\r\na%zz=1\r\n", [](TBigIniFile &ini) {
        EXPECT_EQ(ini.ReadString("50% off", "a%zz", ""), "1");
        ini.WriteString("50% off", "a%zz", "2");
    });
    // The key keeps its spelling in the file.
    EXPECT_EQ(Apres, "[50% off]\r\na%zz=2\r\n");
}

TEST_F(BigIniFile, LegendWithALineBreakStaysOnOneLine)
{
    {
        TBigIniFile ini(cFichier);
        ini.lAutoSave = false;
        ini.WriteString("LEGENDES", "/photos/a.jpg", "Rome\r\nle Colis\xC3\xA9" "e\nde nuit");
        ini.WriteString("LEGENDES", "/photos/b.jpg", "suivante");
        ASSERT_TRUE(ini.UpdateFile());
    }
    TBigIniFile ini(cFichier);
    EXPECT_EQ(ini.ReadString("LEGENDES", "/photos/a.jpg", ""), QString::fromUtf8("Rome  le Colisée de nuit"));
    EXPECT_EQ(ini.ReadString("LEGENDES", "/photos/b.jpg", ""), "suivante");
    QStringList Cles;
    ini.ReadSection("LEGENDES", Cles);
    EXPECT_EQ(Cles.size(), 2);
}

TEST_F(BigIniFile, ReadsWindows1252AndLfOnlyFilesAndWritesUtf8WithCrLf)
{
    Ecrit(cFichier, "[COUPS DE COEUR]\n/photos/\xE9t\xE9 \x80.jpg=1\n[L\xC3\x89GENDES]\r\nk=C\x9C" "ur\n");
    {
        TBigIniFile ini(cFichier);
        EXPECT_EQ(ini.ReadString("COUPS DE COEUR", QString::fromUtf8("/photos/été €.jpg"), ""), "1");
        EXPECT_EQ(ini.ReadString(QString::fromUtf8("LÉGENDES"), "k", ""), QString::fromUtf8("Cœur"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(Lit(cFichier), QString::fromUtf8("[COUPS DE COEUR]\r\n/photos/été €.jpg=1\r\n[LÉGENDES]\r\nk=Cœur\r\n").toUtf8());
}

TEST_F(BigIniFile, EraseSectionTakesItsTrailingLines)
{
    const QByteArray Texte = "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n; fin de B\r\n\r\n[C]\r\nc=1\r\n\r\n";
    EXPECT_EQ(this->Apres(Texte, [](TBigIniFile &ini) { ini.EraseSection("b"); }),
              "[A]\r\na=1\r\n\r\n[C]\r\nc=1\r\n\r\n");
    EXPECT_EQ(this->Apres(Texte, [](TBigIniFile &ini) { ini.EraseSection("C"); }),
              "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n; fin de B\r\n\r\n");
    EXPECT_EQ(this->Apres(Texte, [](TBigIniFile &ini) {
                  ini.EraseSection("X");
                  ini.DeleteKey("A", "zz");
                  ini.DeleteKey("X", "a");
                  EXPECT_FALSE(ini.Modifie());
                  ini.DeleteKey("A", "a");
                  EXPECT_TRUE(ini.Modifie());
              }),
              "[A]\r\n\r\n[B]\r\nb=1\r\n; fin de B\r\n\r\n[C]\r\nc=1\r\n\r\n");
}

TEST_F(BigIniFile, AutoSaveWritesEachChangeAndIsOnAtCreation)
{
    TBigIniFile ini(cFichier);
    EXPECT_TRUE(ini.lAutoSave);
    EXPECT_EQ(Lit(cFichier), "<absent>");
    ini.WriteString("S", "k", "1");
    EXPECT_EQ(Lit(cFichier), "[S]\r\nk=1\r\n");
    EXPECT_FALSE(ini.Modifie());
    ini.DeleteKey("S", "k");
    EXPECT_EQ(Lit(cFichier), "[S]\r\n");
    ini.EraseSection("S");
    EXPECT_EQ(Lit(cFichier), "");
}

TEST_F(BigIniFile, UnsavedChangesAreLostWhenAutoSaveIsOff)
{
    Ecrit(cFichier, "[S]\r\nk=1\r\n");
    {
        TBigIniFile ini(cFichier);
        ini.lAutoSave = false;
        EXPECT_FALSE(ini.Modifie());
        ini.WriteString("S", "k", "1"); // same value: nothing to save
        EXPECT_FALSE(ini.Modifie());
        ini.WriteString("S", "k", "2");
        EXPECT_TRUE(ini.Modifie());
    }
    EXPECT_EQ(Lit(cFichier), "[S]\r\nk=1\r\n");
}

TEST_F(BigIniFile, FailedSaveKeepsTheOldFileAndTheChangesForTheNextSave)
{
    // A folder that does not exist (as a removed or unmounted data folder) cannot take the file.
    const QString cAbsent = Dossier.filePath("absent/KX_BDD.ini");
    TBigIniFile ini(cAbsent, true);
    ini.WriteString("/a.jpg", "Lieux", ""); // automatic save fails silently
    EXPECT_TRUE(ini.Modifie());
    EXPECT_FALSE(ini.UpdateFile());
    ASSERT_TRUE(QDir(Dossier.path()).mkdir("absent"));
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_FALSE(ini.Modifie());
    EXPECT_EQ(Lit(cAbsent), "[/a.jpg]\r\nLieux=\r\n");

    // A full medium: the previous file stays whole and no temporary file is left.
    Ecrit(cFichier, "[S]\r\nk=ancien\r\n");
    TBigIniFile Gros(cFichier);
    Gros.lAutoSave = false;
    for (int i = 0; i < 2000; ++i)
        Gros.WriteString("S", QString("cle%1").arg(i), QString(40, 'v'));
    rlimit Avant{};
    getrlimit(RLIMIT_FSIZE, &Avant);
    auto AncienSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit Limite = Avant;
    Limite.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &Limite);
    const bool lSauve = Gros.UpdateFile();
    setrlimit(RLIMIT_FSIZE, &Avant);
    std::signal(SIGXFSZ, AncienSignal);
    EXPECT_FALSE(lSauve);
    EXPECT_TRUE(Gros.Modifie());
    EXPECT_EQ(Lit(cFichier), "[S]\r\nk=ancien\r\n");
    EXPECT_EQ(QDir(Dossier.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_TRUE(Gros.UpdateFile());
    TBigIniFile Relu(cFichier);
    EXPECT_EQ(Relu.ReadString("S", "cle1999", ""), QString(40, 'v'));
}

TEST_F(BigIniFile, LargeSectionsKeepFirstMatchThroughDeletions)
{
    QByteArray Texte = "[MOTS-CLES]\r\n";
    for (int i = 0; i < 300; ++i)
        Texte += "k" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n";
    Texte += "k7=second\r\n\r\n[SUITE]\r\nz=1\r\n";
    const QByteArray Apres = this->Apres(Texte, [](TBigIniFile &ini) {
        EXPECT_EQ(ini.ReadString("MOTS-CLES", "k7", ""), "7");
        ini.DeleteKey("MOTS-CLES", "k7");
        EXPECT_EQ(ini.ReadString("MOTS-CLES", "k7", ""), "second");
        for (int i = 0; i < 300; i += 2)
            ini.DeleteKey("MOTS-CLES", QString("k%1").arg(i));
        ini.DeleteKey("MOTS-CLES", "k1");
        ini.WriteString("MOTS-CLES", "k2", "neuf");
        ini.WriteString("MOTS-CLES", "k3", "trois");
        EXPECT_EQ(ini.ReadString("MOTS-CLES", "k299", ""), "299");
        EXPECT_FALSE(ini.ValueExists("MOTS-CLES", "k298"));
    });
    QByteArray Attendu = "[MOTS-CLES]\r\n";
    for (int i = 3; i < 300; i += 2)
        if (i != 7)
            Attendu += "k" + QByteArray::number(i) + "=" + (i == 3 ? QByteArray("trois") : QByteArray::number(i)) + "\r\n";
    Attendu += "k7=second\r\n\r\nk2=neuf\r\n[SUITE]\r\nz=1\r\n";
    EXPECT_EQ(Apres, Attendu);
}

namespace
{
// The store as the file format describes it, kept as a plain list of lines and searched by
// walking it: the reference the indexed store must agree with.
struct TModele
{
    QStringList Lignes;
    bool lSensible;

    static bool EstEntete(const QString &l) { return l.size() >= 2 && l.front() == '[' && l.back() == ']'; }
    // The names here are ASCII, where folding and upper-casing agree.
    bool Egal(QStringView a, const QString &b) const { return a.compare(b, lSensible ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0; }
    // Header line and last line of the first matching section, or -1.
    std::pair<int, int> Section(const QString &s) const
    {
        for (int i = 0; i < Lignes.size(); ++i) {
            if (EstEntete(Lignes[i]) && Egal(QStringView(Lignes[i]).mid(1, Lignes[i].size() - 2), s)) {
                int j = i + 1;
                while (j < Lignes.size() && !EstEntete(Lignes[j]))
                    ++j;
                return {i, j - 1};
            }
        }
        return {-1, -1};
    }
    int Cle(const QString &s, const QString &k) const
    {
        const auto [d, f] = Section(s);
        for (int i = d + 1; d >= 0 && i <= f; ++i)
            if (Lignes[i].startsWith(k + "="))
                return i;
        return -1;
    }
    QString Lit(const QString &s, const QString &k) const
    {
        const int i = Cle(s, k);
        return i < 0 ? "<def>" : Lignes[i].mid(k.size() + 1);
    }
    void Ecrit(const QString &s, const QString &k, const QString &v)
    {
        const int i = Cle(s, k);
        const auto [d, f] = Section(s);
        if (i >= 0)
            Lignes[i] = k + "=" + v;
        else if (d < 0)
            Lignes << "[" + s + "]" << k + "=" + v;
        else
            Lignes.insert(f + 1, k + "=" + v);
    }
    void Supprime(const QString &s, const QString &k)
    {
        if (const int i = Cle(s, k); i >= 0)
            Lignes.removeAt(i);
    }
    void Efface(const QString &s)
    {
        const auto [d, f] = Section(s);
        if (d >= 0)
            Lignes.remove(d, f - d + 1);
    }
    QByteArray Texte() const
    {
        QByteArray t;
        for (const QString &l : Lignes)
            t += l.toUtf8() + "\r\n";
        return t;
    }
};
}

TEST_F(BigIniFile, AgreesWithALineByLineReferenceOverRandomChanges)
{
    for (const bool lSensible : {false, true}) {
        QRandomGenerator Alea(lSensible ? 17 : 4);
        // Few names, so that sections and keys collide, grow past the index threshold and
        // are deleted often; duplicate sections and blank lines come from the start file.
        auto Section = [&] {
            const int n = Alea.bounded(8) == 0 ? Alea.bounded(100) : Alea.bounded(6);
            return QString("%1%2").arg(Alea.bounded(2) ? 'S' : 's').arg(n);
        };
        auto Cle = [&] { return QString("k%1").arg(Alea.bounded(60)); };
        TModele Modele{{"; tête", "[S1]", "k1=a", "", "[s1]", "k1=b", "k1=c", "[S2]", "k2=x", "k2=y", ""}, lSensible};
        Ecrit(cFichier, Modele.Texte());
        TBigIniFile ini(cFichier, lSensible);
        ini.lAutoSave = false;
        for (int n = 0; n < 4000; ++n) {
            const QString s = Section(), k = Cle();
            switch (Alea.bounded(10)) {
            case 0: case 1: case 2: case 3: {
                const QString v = QString::number(n);
                Modele.Ecrit(s, k, v);
                ini.WriteString(s, k, v);
                break;
            }
            case 4: case 5:
                Modele.Supprime(s, k);
                ini.DeleteKey(s, k);
                break;
            case 6:
                Modele.Efface(s);
                ini.EraseSection(s);
                break;
            default:
                ASSERT_EQ(ini.ReadString(s, k, "<def>"), Modele.Lit(s, k)) << n;
                ASSERT_EQ(ini.SectionExists(s), Modele.Section(s).first >= 0) << n;
            }
            if (n % 500 == 0) {
                ASSERT_TRUE(ini.UpdateFile());
                ASSERT_EQ(Lit(cFichier), Modele.Texte()) << n;
            }
        }
        ASSERT_TRUE(ini.UpdateFile());
        EXPECT_EQ(Lit(cFichier), Modele.Texte());
        QStringList Sections, Attendues;
        ini.ReadSections(Sections);
        for (const QString &l : Modele.Lignes)
            if (TModele::EstEntete(l))
                Attendues << l.mid(1, l.size() - 2);
        EXPECT_EQ(Sections, Attendues);
    }
}
