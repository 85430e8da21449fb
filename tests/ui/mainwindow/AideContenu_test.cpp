// The help text as written in the repository: pages, contents, index, spelling.
#include "mainwindow/Aide_fm.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace
{

const QString cDossier = QStringLiteral(VIMBREL_SOURCE_DIR "/data/help/");

QString Lit(const QString &cChemin)
{
    QFile f(cChemin);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

struct AideContenu : ::testing::Test
{
    TPagesAide Pages = LitPagesAide(cDossier);
};

TEST_F(AideContenu, EveryContextOpensAnExistingAnchor)
{
    ASSERT_TRUE(Pages.contains(cPageAccueil));
    for (int n : ContextesConnus()) {
        const QString cLien = PageDeContexte(n);
        EXPECT_FALSE(ResoutLien(Pages, cLien).isEmpty()) << n << " " << cLien.toStdString();
    }
    // The pop-up topics are short: two to five sentences.
    for (int n : {15, 16, 17, 1121}) {
        const QString cTexte = TextePage(Pages.value(QStringLiteral("bulle%1.html").arg(n))).simplified();
        const qsizetype nPhrases = cTexte.count(QRegularExpression(QStringLiteral("[.!?](\\s|$)")));
        EXPECT_GE(nPhrases, 2) << n;
        EXPECT_LE(nPhrases, 5) << n;
    }
}

TEST_F(AideContenu, NoLinkLeadsNowhere)
{
    EXPECT_EQ(LiensCasses(Pages), QStringList());
    const QList<TEntreeSommaire> Sommaire = LitSommaire(Lit(cDossier + "sommaire.txt"));
    EXPECT_GE(Sommaire.size(), 30);
    for (const TEntreeSommaire &e : Sommaire)
        EXPECT_FALSE(ResoutLien(Pages, e.cLien).isEmpty()) << e.cLien.toStdString();
    // Every page is reachable from the contents.
    QSet<QString> Atteintes;
    for (const TEntreeSommaire &e : Sommaire)
        Atteintes << e.cLien.section('#', 0, 0);
    for (const QString &cPage : Pages.keys()) {
        if (!cPage.startsWith("bulle")) {
            EXPECT_TRUE(Atteintes.contains(cPage)) << cPage.toStdString();
        }
    }
}

TEST_F(AideContenu, IndexHasAtLeast150EntriesThatAllLead)
{
    const QList<TEntreeIndex> Index = LitIndex(Lit(cDossier + "index.txt"));
    EXPECT_GE(Index.size(), 150);
    QSet<QString> Mots;
    for (const TEntreeIndex &e : Index) {
        EXPECT_FALSE(ResoutLien(Pages, e.cLien).isEmpty()) << e.cMot.toStdString() << " " << e.cLien.toStdString();
        Mots << e.cMot + e.cLien;
    }
    EXPECT_EQ(Mots.size(), Index.size()) << "une entrée de l'index est en double";
}

TEST_F(AideContenu, EveryWindowClassHasAPage)
{
    // A page names the windows it describes in <meta name="fenetres" content="...">.
    QSet<QString> Decrites;
    static const QRegularExpression Meta(QStringLiteral(R"re(<meta name="fenetres" content="([^"]*)")re"));
    for (const QString &cHtml : Pages)
        for (auto i = Meta.globalMatch(cHtml); i.hasNext();)
            for (const QString &c : i.next().captured(1).split(' ', Qt::SkipEmptyParts))
                Decrites << c;
    static const QRegularExpression Classe(QStringLiteral(R"(^class (Tfm\w+)\b[^;]*$)"),
                                           QRegularExpression::MultilineOption);
    int nClasses = 0;
    for (QDirIterator i(QStringLiteral(VIMBREL_SOURCE_DIR "/src"), {"*.h"}, QDir::Files, QDirIterator::Subdirectories);
         i.hasNext();) {
        const QString cTexte = Lit(i.next());
        for (auto m = Classe.globalMatch(cTexte); m.hasNext();) {
            const QString cClasse = m.next().captured(1);
            ++nClasses;
            EXPECT_TRUE(Decrites.contains(cClasse)) << cClasse.toStdString() << " n'a pas de page d'aide";
        }
    }
    EXPECT_GE(nClasses, 30);
}

TEST_F(AideContenu, SpellingKnowsOnlyAllowedProgramTerms)
{
    const QString cHunspell = QStandardPaths::findExecutable("hunspell");
    if (cHunspell.isEmpty())
        GTEST_SKIP() << "hunspell est absent (scripts/setup l'installe avec hunspell-fr)";
    QString cTexte;
    for (const QString &cHtml : Pages)
        cTexte += TextePage(cHtml) + "\n";
    for (const TEntreeIndex &e : LitIndex(Lit(cDossier + "index.txt")))
        cTexte += e.cMot + "\n";
    for (const TEntreeSommaire &e : LitSommaire(Lit(cDossier + "sommaire.txt")))
        cTexte += e.cTitre + "\n";
    QProcess p;
    p.start(cHunspell, {"-d", "fr_FR", "-l"});
    ASSERT_TRUE(p.waitForStarted());
    p.write(cTexte.toUtf8());
    p.closeWriteChannel();
    ASSERT_TRUE(p.waitForFinished(60000));
    if (p.exitCode() != 0 && p.readAllStandardError().contains("Can't open"))
        GTEST_SKIP() << "le dictionnaire fr_FR de hunspell est absent";
    QSet<QString> Permis;
    for (const QString &c : Lit(QStringLiteral(VIMBREL_SOURCE_DIR "/tests/data/aide/mots-permis.txt")).split('\n'))
        if (!c.trimmed().isEmpty() && !c.startsWith('#'))
            Permis << c.trimmed();
    ASSERT_FALSE(Permis.isEmpty());
    QStringList Inconnus;
    for (const QString &c : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        if (!Permis.contains(c.trimmed()) && !Inconnus.contains(c.trimmed()))
            Inconnus << c.trimmed();
    EXPECT_EQ(Inconnus, QStringList());
}

} // namespace
