#include "storage/BigIniFiles.h"

#include "support/LecturesEnPanne.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <limits>
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

TEST_F(BigIniFile, NamesOfEveryLengthAndAlphabetAreFoundAsWritten)
{
    // Short ASCII names and keys are looked up without conversion; long or non-ASCII ones
    // are converted: both ways must find the same lines, case ignored in section names only.
    TBigIniFile ini(cFichier);
    ini.lAutoSave = false;
    for (const qsizetype n : {1, 511, 512, 513, 2000}) {
        const QString cSection = QString(n, u'a');
        const QString cCle = QStringLiteral("/p/") + QString(n, u'k');
        ini.WriteString(cSection, cCle, QString::number(n));
        ini.WriteString(cSection + QString::fromUtf8("é"), cCle + QString::fromUtf8("é"), QStringLiteral("e%1").arg(n));
    }
    for (const qsizetype n : {1, 511, 512, 513, 2000}) {
        const QString cCle = QStringLiteral("/p/") + QString(n, u'k');
        EXPECT_EQ(ini.ReadString(QString(n, u'A'), cCle, "-"), QString::number(n)) << n;
        EXPECT_EQ(ini.ReadString(QString(n, u'a') + QString::fromUtf8("É"), cCle + QString::fromUtf8("é"), "-"),
                  QStringLiteral("e%1").arg(n))
            << n;
        EXPECT_TRUE(ini.ValueExists(QString(n, u'a'), cCle)) << n;
        EXPECT_FALSE(ini.ValueExists(QString(n, u'a'), cCle.toUpper())) << n;
        EXPECT_FALSE(ini.SectionExists(QString(n - 1, u'a') + u'b')) << n;
    }
    EXPECT_FALSE(ini.SectionExists(QString(512, u'a') + QChar(u'\0')));
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
    EXPECT_EQ(
        Lit(cFichier),
        QString::fromUtf8("[/photos/100%25%0Aété/a=b.jpg]\r\n/photos/a%3Db%25c%0D.jpg=1\r\nsimple=2\r\n").toUtf8());
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
        ini.WriteString("LEGENDES", "/photos/a.jpg",
                        "Rome\r\nle Colis\xC3\xA9"
                        "e\nde nuit");
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
    Ecrit(cFichier, "[COUPS DE COEUR]\n/photos/\xE9t\xE9 \x80.jpg=1\n[L\xC3\x89GENDES]\r\nk=C\x9C"
                    "ur\n");
    {
        TBigIniFile ini(cFichier);
        EXPECT_EQ(ini.ReadString("COUPS DE COEUR", QString::fromUtf8("/photos/été €.jpg"), ""), "1");
        EXPECT_EQ(ini.ReadString(QString::fromUtf8("LÉGENDES"), "k", ""), QString::fromUtf8("Cœur"));
        ASSERT_TRUE(ini.UpdateFile());
    }
    EXPECT_EQ(Lit(cFichier),
              QString::fromUtf8("[COUPS DE COEUR]\r\n/photos/été €.jpg=1\r\n[LÉGENDES]\r\nk=Cœur\r\n").toUtf8());
}

TEST_F(BigIniFile, EraseSectionTakesItsTrailingLines)
{
    const QByteArray Texte = "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n; fin de B\r\n\r\n[C]\r\nc=1\r\n\r\n";
    EXPECT_EQ(this->Apres(Texte, [](TBigIniFile &ini) { ini.EraseSection("b"); }),
              "[A]\r\na=1\r\n\r\n[C]\r\nc=1\r\n\r\n");
    EXPECT_EQ(this->Apres(Texte, [](TBigIniFile &ini) { ini.EraseSection("C"); }),
              "[A]\r\na=1\r\n\r\n[B]\r\nb=1\r\n; fin de B\r\n\r\n");
    EXPECT_EQ(this->Apres(Texte,
                          [](TBigIniFile &ini) {
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
            Attendu +=
                "k" + QByteArray::number(i) + "=" + (i == 3 ? QByteArray("trois") : QByteArray::number(i)) + "\r\n";
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
    bool Egal(QStringView a, const QString &b) const
    {
        return a.compare(b, lSensible ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
    }
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
            case 0:
            case 1:
            case 2:
            case 3: {
                const QString v = QString::number(n);
                Modele.Ecrit(s, k, v);
                ini.WriteString(s, k, v);
                break;
            }
            case 4:
            case 5:
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

TEST_F(BigIniFile, UnreadableFileLoadsEmptyAndIsNeverSavedOver)
{
    // A catalogue large enough that a read cut short leaves part of it behind.
    QByteArray Catalogue;
    for (int i = 0; i < 60000; ++i)
        Catalogue += QStringLiteral("[/photos/IMG_%1.JPG]\r\nLieux/Rome=\r\n").arg(i, 6, 10, QChar('0')).toUtf8();
    Ecrit(cFichier, Catalogue);
    struct TCas
    {
        const char *cNom;
        std::function<TLecturesEnPanne()> Panne;
        QString cRaison;
    };
    const QList<TCas> Cas = {
        {"open EIO", [] { return TLecturesEnPanne::Ouverture("KX_Test.ini", EIO); },
         QString::fromUtf8("ouverture : erreur d'entrée/sortie")},
        {"open EMFILE", [] { return TLecturesEnPanne::Ouverture("KX_Test.ini", EMFILE); },
         QString::fromUtf8("ouverture : trop de fichiers ouverts")},
        {"open EACCES", [] { return TLecturesEnPanne::Ouverture("KX_Test.ini", EACCES); },
         QString::fromUtf8("ouverture : accès refusé")},
        {"read EIO at 1 MiB", [] { return TLecturesEnPanne::Lecture("KX_Test.ini", 1 << 20, EIO); },
         QString::fromUtf8("lecture : erreur d'entrée/sortie")},
        {"short read", [] { return TLecturesEnPanne::Lecture("KX_Test.ini", 1 << 20, 0); },
         QString::fromUtf8("lecture incomplète (1048576 octets sur %1)").arg(Catalogue.size())},
    };
    for (const TCas &c : Cas) {
        SCOPED_TRACE(c.cNom);
        std::unique_ptr<TBigIniFile> ini;
        {
            const TLecturesEnPanne Panne = c.Panne();
            ini = std::make_unique<TBigIniFile>(cFichier, true);
        }
        EXPECT_TRUE(ini->Illisible());
        EXPECT_EQ(ini->DerniereErreur(), c.cRaison);
        QStringList Sections;
        ini->ReadSections(Sections);
        EXPECT_TRUE(Sections.isEmpty());
        // Changes stay in memory; the file is neither replaced by them nor by an automatic save.
        ini->WriteString("/photos/nouvelle.jpg", "Lieux/Paris", "");
        EXPECT_TRUE(ini->ReadString("/photos/nouvelle.jpg", "Lieux/Paris", "-").isEmpty());
        EXPECT_FALSE(ini->UpdateFile());
        EXPECT_EQ(ini->DerniereErreur(),
                  QString::fromUtf8("illisible au chargement (%1) : le fichier n'est pas remplacé").arg(c.cRaison));
        EXPECT_EQ(ini->ErreurLecture(), c.cRaison);
        EXPECT_EQ(Lit(cFichier), Catalogue);
    }
    // Once the fault is gone the same file loads whole.
    TBigIniFile ini(cFichier, true);
    EXPECT_FALSE(ini.Illisible());
    EXPECT_TRUE(ini.DerniereErreur().isEmpty());
    EXPECT_TRUE(ini.SectionExists("/photos/IMG_059999.JPG"));
}

TEST_F(BigIniFile, OnlyAMissingFileMakesANewStore)
{
    {
        TBigIniFile ini(Dossier.filePath("absent/KX_Test.ini"));
        EXPECT_FALSE(ini.Illisible());
    }
    TBigIniFile ini(cFichier);
    EXPECT_FALSE(ini.Illisible());
    ini.WriteString("S", "k", "1");
    EXPECT_EQ(Lit(cFichier), "[S]\r\nk=1\r\n");
    // A folder where the file should be is not a missing file.
    ASSERT_TRUE(QDir(Dossier.path()).mkdir("KX_Dossier.ini"));
    TBigIniFile Dossier_(Dossier.filePath("KX_Dossier.ini"));
    EXPECT_TRUE(Dossier_.Illisible());
    EXPECT_FALSE(Dossier_.UpdateFile());
    EXPECT_TRUE(QFileInfo(Dossier.filePath("KX_Dossier.ini")).isDir());
}

TEST_F(BigIniFile, LineLongerThanTheLengthFieldMakesTheFileUnreadable)
{
    // The real limit is what a line's 32-bit length holds; a smaller one stands in for it.
    EXPECT_EQ(TBigIniFile::LongueurMaxLigne(), std::numeric_limits<qint32>::max());
    struct Limite
    {
        qint64 nAvant = TBigIniFile::FixeLongueurMaxLigne(20);
        ~Limite() { TBigIniFile::FixeLongueurMaxLigne(nAvant); }
    } Garde;
    // "/p/huge.jpg=" and 8 letters: exactly 20 bytes.
    const QByteArray Juste = "[LEGENDES]\r\n/p/a.jpg=a\r\n/p/huge.jpg=aaaaaaaa\r\n/p/b.jpg=b\r\n";
    Ecrit(cFichier, Juste);
    {
        TBigIniFile ini(cFichier);
        EXPECT_FALSE(ini.Illisible());
        EXPECT_EQ(ini.ReadString("LEGENDES", "/p/huge.jpg", ""), "aaaaaaaa");
        EXPECT_EQ(ini.ReadString("LEGENDES", "/p/b.jpg", ""), "b");
    }
    const QByteArray Long = "[LEGENDES]\r\n/p/a.jpg=a\r\n/p/huge.jpg=aaaaaaaaa\r\n/p/b.jpg=b\r\n";
    Ecrit(cFichier, Long);
    TBigIniFile ini(cFichier);
    EXPECT_TRUE(ini.Illisible());
    EXPECT_EQ(ini.DerniereErreur(), "ligne de plus de 20 octets");
    EXPECT_FALSE(ini.SectionExists("LEGENDES"));
    ini.WriteString("ZZ-TRIAL", "tag", "x");
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_EQ(Lit(cFichier), Long);
    // The limit is never raised beyond what the length field holds.
    TBigIniFile::FixeLongueurMaxLigne(qint64(1) << 40);
    EXPECT_EQ(TBigIniFile::LongueurMaxLigne(), std::numeric_limits<qint32>::max());
}

TEST_F(BigIniFile, ReplacedValueOfABracketKeyNeverReadsBackAsAHeader)
{
    Ecrit(cFichier, "[/photos/a.jpg]\r\n[2004] Rome=1\r\nLieux/Rome=\r\n");
    {
        TBigIniFile ini(cFichier, true);
        ini.lAutoSave = false;
        ini.WriteString("/photos/a.jpg", "[2004] Rome", "x]");
        ASSERT_TRUE(ini.UpdateFile());
    }
    TBigIniFile Relu(cFichier, true);
    QStringList Liste;
    Relu.ReadSections(Liste);
    EXPECT_EQ(Liste, QStringList{"/photos/a.jpg"});
    Relu.ReadSection("/photos/a.jpg", Liste);
    EXPECT_EQ(Liste, (QStringList{"[2004] Rome", "Lieux/Rome"}));
    EXPECT_EQ(Relu.ReadString("/photos/a.jpg", "[2004] Rome", ""), "x]");
}

TEST_F(BigIniFile, StoreChangedOnDiskIsKeptAsADatedCopyBeforeItIsReplaced)
{
    Ecrit(cFichier, "[S]\r\nk=0\r\n");
    TBigIniFile Nous(cFichier);
    Nous.lAutoSave = false;
    {
        // Another program saves the same store meanwhile.
        TBigIniFile Autre(cFichier);
        Autre.WriteString("S", "autre", "1");
    }
    const QByteArray Leur = Lit(cFichier);
    Nous.WriteString("S", "nous", "1");
    ASSERT_TRUE(Nous.UpdateFile());
    const QString cCopie = Nous.CopieConservee();
    ASSERT_FALSE(cCopie.isEmpty());
    EXPECT_TRUE(QRegularExpression("^KX_Test\\.ini\\.\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d$")
                    .match(QFileInfo(cCopie).fileName())
                    .hasMatch())
        << cCopie.toStdString();
    EXPECT_EQ(QFileInfo(cCopie).absolutePath(), QFileInfo(cFichier).absolutePath());
    EXPECT_EQ(Lit(cCopie), Leur);
    EXPECT_EQ(Lit(cFichier), "[S]\r\nk=0\r\nnous=1\r\n");

    // Our own saves are not someone else's: no further copy.
    Nous.WriteString("S", "nous", "2");
    ASSERT_TRUE(Nous.UpdateFile());
    EXPECT_TRUE(Nous.CopieConservee().isEmpty());
    EXPECT_EQ(QDir(Dossier.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // A change in place (same file, appended to) counts as well.
    {
        QFile f(cFichier);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("[/photos/ajoutee.jpg]\r\nLieux/Rome=\r\n");
    }
    const QByteArray Ajoute = Lit(cFichier);
    ASSERT_TRUE(Nous.UpdateFile());
    ASSERT_FALSE(Nous.CopieConservee().isEmpty());
    EXPECT_NE(Nous.CopieConservee(), cCopie);
    EXPECT_EQ(Lit(Nous.CopieConservee()), Ajoute);
}

TEST_F(BigIniFile, StoreCreatedByAnotherProgramAfterLoadIsKeptToo)
{
    TBigIniFile Nous(cFichier);
    Nous.lAutoSave = false;
    Ecrit(cFichier, "[S]\r\nleur=1\r\n");
    Nous.WriteString("S", "nous", "1");
    ASSERT_TRUE(Nous.UpdateFile());
    EXPECT_EQ(Lit(Nous.CopieConservee()), "[S]\r\nleur=1\r\n");
    EXPECT_EQ(Lit(cFichier), "[S]\r\nnous=1\r\n");
}

TEST_F(BigIniFile, FailedSaveKeepsTheWritersReason)
{
    TBigIniFile ini(Dossier.filePath("absent/KX_BDD.ini"));
    ini.lAutoSave = false;
    ini.WriteString("S", "k", "1");
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_EQ(ini.DerniereErreur(), QString::fromUtf8("création du fichier temporaire : fichier ou dossier absent"));
    ASSERT_TRUE(QDir(Dossier.path()).mkdir("absent"));
    EXPECT_TRUE(ini.UpdateFile());
    EXPECT_TRUE(ini.DerniereErreur().isEmpty());
}

// ---- Change counters ----------------------------------------------------------------------

TEST(CompteursStore, SectionsAndStoreCountTheirChanges)
{
    TBigIniFile ini{QString()};
    ini.lAutoSave = false;
    EXPECT_EQ(ini.Generation(), 0u);
    ini.WriteString("A", "k", "1");
    ini.WriteString("B", "k", "1");
    EXPECT_EQ(ini.Generation(), 2u);
    EXPECT_EQ(ini.GenerationSection("a"), 1u);
    EXPECT_EQ(ini.GenerationSection("B"), 2u);
    // Writing the same value changes nothing; deleting a missing key neither.
    ini.WriteString("A", "k", "1");
    ini.DeleteKey("A", "absent");
    ini.EraseSection("absent");
    EXPECT_EQ(ini.Generation(), 2u);
    ini.DeleteKey("A", "k");
    EXPECT_EQ(ini.GenerationSection("A"), 3u);
    ini.EraseSection("B");
    EXPECT_EQ(ini.GenerationSection("B"), 4u);

    std::vector<TBigIniFile::TChangement> l;
    ASSERT_TRUE(ini.ChangementsDepuis(2, l));
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].cSection, "A");
    EXPECT_EQ(l[0].cCle, "k");
    EXPECT_EQ(l[1].cSection, "B");
    EXPECT_TRUE(l[1].cCle.isNull());
    EXPECT_TRUE(ini.ChangementsDepuis(4, l));
    EXPECT_TRUE(l.empty());
    EXPECT_FALSE(ini.ChangementsDepuis(5, l));
    for (int i = 0; i < 5000; ++i)
        ini.WriteInteger("C", "n", i);
    EXPECT_FALSE(ini.ChangementsDepuis(4, l));
    EXPECT_TRUE(ini.ChangementsDepuis(ini.Generation() - 10, l));
    EXPECT_EQ(l.size(), 10u);
}
