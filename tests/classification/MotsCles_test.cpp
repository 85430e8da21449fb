#include "ImpressionQt.h"
#include "classification/MotsCles.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace
{
struct MotsClesTest : ::testing::Test
{
    QTemporaryDir Temp;
    std::unique_ptr<TBigIniFile> Setup;

    QString Fichier() const { return Temp.filePath("KX_Setup.ini"); }

    void Charge(const QByteArray &Texte)
    {
        QFile f(Fichier());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Texte);
        f.close();
        Setup = std::make_unique<TBigIniFile>(Fichier());
        Setup->lAutoSave = false;
    }

    QByteArray SurDisque() const
    {
        QFile f(Fichier());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QStringList Vocabulaire() const
    {
        QStringList l{"reste d'avant"};
        ListerMotsCles(*Setup, l);
        return l;
    }
};

QStringList Captions(const std::vector<TNoeudMotCle> &Noeuds)
{
    QStringList c;
    for (const TNoeudMotCle &n : Noeuds)
        c << n.cCaption;
    return c;
}
} // namespace

// ---- Vocabulary ----------------------------------------------------------------------------

TEST_F(MotsClesTest, VocabularyTakesEachWordOnceWhateverItsCase)
{
    Charge("[MOTS-CLES]\r\n/photos/a.jpg=MER PLAGE\r\n/photos/b.jpg=mer SOLEIL\r\n"
           "[LEGENDES]\r\n/photos/a.jpg=VAGUE\r\n");
    EXPECT_EQ(Vocabulaire(), QStringList({"MER", "PLAGE", "SOLEIL"}));

    // The first form met stays, even in lower case, and accented capitals meet their small form.
    Charge("[MOTS-CLES]\r\n/a.jpg=été mer\r\n/b.jpg=ÉTÉ MER Mer\r\n");
    EXPECT_EQ(Vocabulaire(), QStringList({"été", "mer"}));
}

TEST_F(MotsClesTest, VocabularySortsInFrenchOrderIgnoringCase)
{
    Charge("[MOTS-CLES]\r\n/a.jpg=FORÊT ÉTÉ ESCALE\r\n/b.jpg=zoo abri BATEAU Été2 ete\r\n");
    const QStringList l = Vocabulaire();
    // Code order would put every capital before "abri" and "É" after "Z".
    EXPECT_EQ(l, QStringList({"abri", "BATEAU", "ESCALE", "ete", "ÉTÉ", "Été2", "FORÊT", "zoo"}));
    EXPECT_TRUE(std::is_sorted(l.begin(), l.end(),
                               [](const QString &a, const QString &b) { return FrenchFormats::Compare(a, b) < 0; }));
}

TEST_F(MotsClesTest, VocabularyCopesWithValuesWrittenByOtherTools)
{
    // Runs of blanks and tabs, blanks at both ends, an empty value, a key holding an escaped
    // "=" (whose value starts after the line's first "="), a line that is not a key.
    Charge("[mots-cles]\r\n/a.jpg=  mer   plage \r\n/b.jpg=\r\n/c.jpg=\tSOLEIL\t\tCHAT \r\n"
           "/d%3De.jpg=VENT\r\nligne sans egal\r\n/f.jpg=CIEL=BLEU\r\n");
    EXPECT_EQ(Vocabulaire(), QStringList({"CHAT", "CIEL=BLEU", "mer", "plage", "SOLEIL", "VENT"}));

    Charge("[GENERAL]\r\nx=1\r\n");
    EXPECT_TRUE(Vocabulaire().isEmpty());

    // One value of 5,000 distinct words, each met twice.
    QByteArray Valeur;
    for (int n = 0; n < 2; ++n)
        for (int i = 4999; i >= 0; --i)
            Valeur += "MOT" + QByteArray::number(i).rightJustified(4, '0') + (n ? " " : "  ");
    Charge("[MOTS-CLES]\r\n/g.jpg=" + Valeur + "\r\n");
    const QStringList l = Vocabulaire();
    ASSERT_EQ(l.size(), 5000);
    EXPECT_EQ(l.first(), "MOT0000");
    EXPECT_EQ(l.at(1234), "MOT1234");
    EXPECT_EQ(l.last(), "MOT4999");
}

TEST(MotsCles, VocabularyOfValuesAndFrenchSortKeepTiesInPlace)
{
    EXPECT_EQ(VocabulaireMotsCles({"PLAGE  MER", " mer\tSOLEIL ", ""}), QStringList({"MER", "PLAGE", "SOLEIL"}));
    EXPECT_TRUE(VocabulaireMotsCles({}).isEmpty());

    // Texts equal but for their case are of equal order and stay as given.
    QStringList l{"b", "MER", "A", "mer", "Mer"};
    TrieFrancais(l);
    EXPECT_EQ(l, QStringList({"A", "b", "MER", "mer", "Mer"}));
}

// ---- Keyword tree --------------------------------------------------------------------------

TEST_F(MotsClesTest, TreeHoldsTheGroupNodeAndOneNodePerKeyword)
{
    Charge("[MOTS-CLES]\r\n/a.jpg=SOLEIL MER\r\n/b.jpg=mer\r\n");
    const std::vector<TNoeudMotCle> Noeuds = ArboMotsCles(*Setup);
    ASSERT_EQ(Noeuds.size(), 3u);
    EXPECT_EQ(Noeuds[0], (TNoeudMotCle{"Mots-clés", 0, 4, 5, false}));
    EXPECT_EQ(Noeuds[1], (TNoeudMotCle{"MER", 1, 6, 7, true}));
    EXPECT_EQ(Noeuds[2], (TNoeudMotCle{"SOLEIL", 1, 6, 7, true}));

    // An empty vocabulary shows nothing, not even the group node.
    Charge("[MOTS-CLES]\r\n/a.jpg=   \r\n");
    EXPECT_TRUE(ArboMotsCles(*Setup).empty());
    EXPECT_TRUE(NoeudsMotsCles({}).empty());
    EXPECT_EQ(Captions(NoeudsMotsCles({"Z", "A"})), QStringList({"Mots-clés", "Z", "A"}));
}

// ---- Whole words ---------------------------------------------------------------------------

TEST(MotsCles, WholeWordPresence)
{
    for (const char *cTexte : {"MER", "MER PLAGE", "PLAGE MER", "A MER B", "MERS MER", "AMER MER MERS", "A  MER  B"})
        EXPECT_TRUE(MotCleEntierPresent(cTexte, "MER")) << cTexte;
    for (const char *cTexte : {"", "MERS", "AMER", "SOUS-MER", "MER-NOIRE", "mer", "PLAGE mer", "MERS AMER"})
        EXPECT_FALSE(MotCleEntierPresent(cTexte, "MER")) << cTexte;
    // A blank is the only separator.
    EXPECT_FALSE(MotCleEntierPresent("PLAGE\tMER", "MER"));
}

TEST(MotsCles, DoubleClickAppendsAKeywordOnlyWhenItIsNotThereAsAWholeWord)
{
    QString c = "MERS";
    EXPECT_TRUE(AjouteMotCleTexte(c, "MER"));
    EXPECT_EQ(c, "MERS MER");

    c = "PLAGE MER";
    EXPECT_FALSE(AjouteMotCleTexte(c, "MER"));
    EXPECT_EQ(c, "PLAGE MER");

    // A text left alone is not even trimmed.
    c = " MER  ";
    EXPECT_FALSE(AjouteMotCleTexte(c, "MER"));
    EXPECT_EQ(c, " MER  ");

    c = "  PLAGE  SABLE ";
    EXPECT_TRUE(AjouteMotCleTexte(c, "MER"));
    EXPECT_EQ(c, "PLAGE  SABLE MER");

    c = "";
    EXPECT_TRUE(AjouteMotCleTexte(c, "CHAT*"));
    EXPECT_EQ(c, "CHAT*");
}

// ---- Cleaning ------------------------------------------------------------------------------

TEST(MotsCles, InputFilterUpperCasesAndKeepsOnlyTheBoxCharacters)
{
    EXPECT_EQ(FiltreSaisieMotsCles("a=b?é"), "AB");
    EXPECT_EQ(FiltreSaisieMotsCles("a"), "A");
    EXPECT_EQ(FiltreSaisieMotsCles("é"), "");
    EXPECT_EQ(FiltreSaisieMotsCles("?"), "");
    EXPECT_EQ(FiltreSaisieMotsCles(" &*+,-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_"),
              " &*+,-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_");
    EXPECT_EQ(FiltreSaisieMotsCles("abcdefghijklmnopqrstuvwxyz"), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    // Letters whose capital would be a plain letter are not letters of a keyword.
    EXPECT_EQ(FiltreSaisieMotsCles(QString::fromUtf8("straße ıl ﬁn")), "STRAE L N");
    // Pasted lines and tabs separate words; blanks are left as they are.
    EXPECT_EQ(FiltreSaisieMotsCles("mer\r\nplage\tsable  ciel"), "MER  PLAGE SABLE  CIEL");
    EXPECT_EQ(FiltreSaisieMotsCles("x=y;z\"[]%/\\'!?#"), "XYZ");
}

TEST(MotsCles, InputFilterMovesTheCursorBackByWhatItDropsBeforeIt)
{
    QString c = "a=b?é";
    int nPos = 5;
    FiltreSaisieMotsCles(c, nPos);
    EXPECT_EQ(c, "AB");
    EXPECT_EQ(nPos, 2);

    c = "MER=?SOLEIL";
    nPos = 5; // after "?"
    FiltreSaisieMotsCles(c, nPos);
    EXPECT_EQ(c, "MERSOLEIL");
    EXPECT_EQ(nPos, 3);

    c = "MER SOL?EIL";
    nPos = 2; // the drop after the cursor does not move it
    FiltreSaisieMotsCles(c, nPos);
    EXPECT_EQ(c, "MER SOLEIL");
    EXPECT_EQ(nPos, 2);
}

TEST(MotsCles, NormaliserWritesKeywordsAsTheStoreKeepsThem)
{
    EXPECT_EQ(NormaliseMotsCles("  mer   plage\tsable \r\n ciel "), "MER PLAGE SABLE CIEL");
    EXPECT_EQ(NormaliseMotsCles("a=b?é chat* & +,-._09"), "AB CHAT & +,-._09");
    EXPECT_EQ(NormaliseMotsCles(QString::fromUtf8("é ? =")), "");
    EXPECT_EQ(NormaliseMotsCles(""), "");
    for (const QChar c : NormaliseMotsCles(QString::fromUtf8("Été à la MER, d'après *x*")))
        EXPECT_TRUE(CaractereMotCle(c) || c == u' ') << QString(c).toStdString();
    EXPECT_FALSE(CaractereMotCle(u'a'));
    EXPECT_FALSE(CaractereMotCle(u' '));
    EXPECT_FALSE(CaractereMotCle(u'*'));
}

// ---- Saved keyword sets --------------------------------------------------------------------

TEST_F(MotsClesTest, SavedSetsAreLoadedFromTheStoreAndKeptSorted)
{
    Charge("[MOTS-CLES ENREGISTRES]\r\nSOLEIL=\r\nchat*=\r\nMER SOLEIL=\r\nÉTÉ=\r\nESCALE=\r\n");
    TMotsClesRecherche Recherche;
    Recherche.ChargerMotsClesEnregistres(*Setup);
    EXPECT_EQ(Recherche.MotsClesEnregistres(), QStringList({"chat*", "ESCALE", "ÉTÉ", "MER SOLEIL", "SOLEIL"}));
    EXPECT_EQ(Recherche.IndiceEnregistre("mer soleil"), 3);
    EXPECT_EQ(Recherche.IndiceEnregistre("MER"), -1);
    EXPECT_EQ(Recherche.IndiceEnregistre("MER SOLEIL "), -1);

    // A later loading replaces the list.
    Charge("[MOTS-CLES ENREGISTRES]\r\nVENT=\r\n");
    Recherche.ChargerMotsClesEnregistres(*Setup);
    EXPECT_EQ(Recherche.MotsClesEnregistres(), QStringList({"VENT"}));
}

TEST_F(MotsClesTest, SavingTwiceKeepsOneEntryAndRewritesTheSectionSorted)
{
    Charge("[MOTS-CLES ENREGISTRES]\r\nZOO=\r\nABRI=ancienne valeur\r\n[GENERAL]\r\nx=1\r\n");
    TMotsClesRecherche Recherche;
    Recherche.ChargerMotsClesEnregistres(*Setup);

    QString cTexte = "  MER SOLEIL ";
    QString cErreur = "reste";
    EXPECT_TRUE(Recherche.EnregistrerMotsCles(*Setup, cTexte, cErreur));
    EXPECT_EQ(cTexte, "MER SOLEIL");
    EXPECT_TRUE(cErreur.isEmpty());
    EXPECT_FALSE(Setup->Modifie());
    const QByteArray Attendu = "[GENERAL]\r\nx=1\r\n[MOTS-CLES ENREGISTRES]\r\nABRI=\r\nMER SOLEIL=\r\nZOO=\r\n";
    EXPECT_EQ(SurDisque(), Attendu);

    cTexte = "mer soleil";
    EXPECT_TRUE(Recherche.EnregistrerMotsCles(*Setup, cTexte, cErreur));
    EXPECT_EQ(Recherche.MotsClesEnregistres(), QStringList({"ABRI", "MER SOLEIL", "ZOO"}));
    EXPECT_EQ(SurDisque(), Attendu);

    // What is saved comes back at the next start.
    TBigIniFile Relu(Fichier());
    TMotsClesRecherche Suivante;
    Suivante.ChargerMotsClesEnregistres(Relu);
    EXPECT_EQ(Suivante.MotsClesEnregistres(), QStringList({"ABRI", "MER SOLEIL", "ZOO"}));
}

TEST_F(MotsClesTest, SavingABlankTextDoesNothing)
{
    const QByteArray Avant = "[MOTS-CLES ENREGISTRES]\r\nZOO=\r\nABRI=\r\n";
    Charge(Avant);
    TMotsClesRecherche Recherche;
    Recherche.ChargerMotsClesEnregistres(*Setup);
    QString cTexte = " \t ";
    QString cErreur;
    EXPECT_TRUE(Recherche.EnregistrerMotsCles(*Setup, cTexte, cErreur));
    EXPECT_EQ(cTexte, "");
    EXPECT_FALSE(Setup->Modifie());
    EXPECT_EQ(SurDisque(), Avant);
    EXPECT_EQ(Recherche.MotsClesEnregistres(), QStringList({"ABRI", "ZOO"}));
}

TEST_F(MotsClesTest, AFailedSaveIsToldAndKeepsTheSetForTheNextSave)
{
    // A data folder that has gone away cannot take the file.
    const QString cAbsent = Temp.filePath("absent/KX_Setup.ini");
    TBigIniFile Store(cAbsent);
    Store.lAutoSave = false;
    TMotsClesRecherche Recherche;
    QString cTexte = "MER SOLEIL";
    QString cErreur;
    EXPECT_FALSE(Recherche.EnregistrerMotsCles(Store, cTexte, cErreur));
    EXPECT_EQ(cErreur,
              QString::fromUtf8("Les mots-clés enregistrés n'ont pas pu être écrits dans « %1 ».").arg(cAbsent));
    EXPECT_EQ(Recherche.MotsClesEnregistres(), QStringList({"MER SOLEIL"}));
    EXPECT_TRUE(Store.Modifie());

    ASSERT_TRUE(QDir(Temp.path()).mkdir("absent"));
    cTexte = "CHAT*";
    EXPECT_TRUE(Recherche.EnregistrerMotsCles(Store, cTexte, cErreur));
    EXPECT_TRUE(cErreur.isEmpty());
    TBigIniFile Relu(cAbsent);
    QStringList Cles;
    Relu.ReadSection(cSectionMotsClesEnregistres, Cles);
    EXPECT_EQ(Cles, QStringList({"CHAT*", "MER SOLEIL"}));
}

TEST_F(MotsClesTest, ASetHoldingAnEqualSignComesBackWhole)
{
    // The box keeps "=" out, but a set saved by an older version may hold one.
    Charge("[GENERAL]\r\nx=1\r\n");
    TMotsClesRecherche Recherche;
    QString cTexte = "A=B C";
    QString cErreur;
    ASSERT_TRUE(Recherche.EnregistrerMotsCles(*Setup, cTexte, cErreur));
    TBigIniFile Relu(Fichier());
    TMotsClesRecherche Suivante;
    Suivante.ChargerMotsClesEnregistres(Relu);
    EXPECT_EQ(Suivante.MotsClesEnregistres(), QStringList({"A=B C"}));
}

TEST_F(MotsClesTest, OperatorIsBackToAndAtEveryStartAndNeverStored)
{
    Charge("[GENERAL]\r\nx=1\r\n");
    {
        TMotsClesRecherche Recherche;
        EXPECT_TRUE(Recherche.lOperateurET);
        Recherche.lOperateurET = false;
        QString cTexte = "MER";
        QString cErreur;
        ASSERT_TRUE(Recherche.EnregistrerMotsCles(*Setup, cTexte, cErreur));
    }
    EXPECT_EQ(SurDisque(), "[GENERAL]\r\nx=1\r\n[MOTS-CLES ENREGISTRES]\r\nMER=\r\n");
    TBigIniFile Relu(Fichier());
    TMotsClesRecherche Suivante;
    Suivante.ChargerMotsClesEnregistres(Relu);
    EXPECT_TRUE(Suivante.lOperateurET);
    EXPECT_EQ(TMotsClesRecherche::CouleurOU, QColor(255, 255, 128));
}

TEST(MotsCles, SaveButtonNeedsUpdateModeAndAText)
{
    EXPECT_TRUE(TMotsClesRecherche::SauvegardePossible(true, " MER "));
    EXPECT_FALSE(TMotsClesRecherche::SauvegardePossible(false, "MER"));
    EXPECT_FALSE(TMotsClesRecherche::SauvegardePossible(true, "  \t"));
    EXPECT_FALSE(TMotsClesRecherche::SauvegardePossible(true, ""));
}
