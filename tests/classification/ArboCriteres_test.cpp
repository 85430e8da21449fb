#include "ImpressionQt.h"
#include "classification/ArboCriteres.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
// A settings store made from the given text, and a tree loaded from it.
struct ArboTest : ::testing::Test
{
    QTemporaryDir Temp;
    std::unique_ptr<TBigIniFile> Setup;
    TEnrParametres Parametres;
    TArboCriteres Arbo;

    void Charge(const QByteArray &cTexte, bool lTrier = false)
    {
        QFile f(Temp.filePath("KX_Setup.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(cTexte);
        f.close();
        Setup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        Setup->lAutoSave = false;
        Parametres.lTrierArboCritHier = lTrier;
        Arbo.ChargerArboCritHier(*Setup, Parametres, Temp.filePath("ImgsCH/"));
    }

    // Every node as "path" in pre-order.
    QStringList Chemins() const
    {
        QStringList c;
        for (const TNoeudCritere *n : Arbo.Preordre())
            c << CheminCritere(*n);
        return c;
    }
    QStringList Captions(const std::vector<TNoeudCritere *> &Noeuds) const
    {
        QStringList c;
        for (const TNoeudCritere *n : Noeuds)
            c << n->Caption();
        return c;
    }
};
} // namespace

TEST_F(ArboTest, LoadsTheLinesInTreeOrder)
{
    Charge("[GENERAL]\r\nx=1\r\n[CRITERES HIERARCHIQUES]\r\nVoyages=\r\nVoyages/Italie=Pays-Italie.bmp\r\n"
           "Voyages/Italie/Rome=\r\nVoyages/France=\r\nFamille=\r\n[AUTRE]\r\nVoyages/Espagne=\r\n");
    EXPECT_EQ(Chemins(),
              QStringList({"Voyages", "Voyages/Italie", "Voyages/Italie/Rome", "Voyages/France", "Famille"}));
    ASSERT_EQ(Arbo.Racines().size(), 2u);
    const TNoeudCritere *Italie = Arbo.NoeudDeChemin("Voyages/Italie");
    ASSERT_NE(Italie, nullptr);
    EXPECT_EQ(Italie->Parent(), Arbo.Racine("Voyages"));
    EXPECT_EQ(Arbo.Racine("Voyages")->Parent(), nullptr);
    EXPECT_EQ(Italie->ImageCH(), "Pays-Italie.bmp");
    EXPECT_EQ(Captions(Italie->Enfants()), QStringList({"Rome"}));
}

TEST_F(ArboTest, AbsentParentIsCreatedWithTheLinesIconAndALaterLineAddsNothing)
{
    Charge("[CRITERES HIERARCHIQUES]\nA/B=Ic.bmp\nA=\nA/B=Autre.bmp\n");
    EXPECT_EQ(Chemins(), QStringList({"A", "A/B"}));
    EXPECT_EQ(Arbo.NoeudDeChemin("A")->ImageCH(), "Ic.bmp");
    EXPECT_EQ(Arbo.NoeudDeChemin("A/B")->ImageCH(), "Ic.bmp");
}

TEST_F(ArboTest, CaptionsMatchWithTheirCaseAndTrimmedOfBlanks)
{
    Charge("[CRITERES HIERARCHIQUES]\nA=\na=\n A / B =\nA/B/=\n\tA\t/C=\n");
    EXPECT_EQ(Chemins(), QStringList({"A", "A/B", "A/C", "a"}));
    EXPECT_EQ(Arbo.NoeudDeChemin(" A/ B "), Arbo.NoeudDeChemin("A/B"));
    EXPECT_EQ(Arbo.NoeudDeChemin("a/B"), nullptr);
    EXPECT_EQ(Arbo.NoeudDeChemin("A/B/X"), nullptr);
    EXPECT_EQ(Arbo.NoeudDeChemin(""), nullptr);
}

TEST_F(ArboTest, KeysAreDecodedLikeTheStoreWritesThem)
{
    // The store writes "=" and "%" of a key escaped; a "%" not followed by two hex digits stays.
    Charge("[CRITERES HIERARCHIQUES]\nPrix%3D10%25=\nPrix%3D10%25/100%=x.bmp\nA%2FB=\n");
    EXPECT_EQ(Chemins(), QStringList({"Prix=10%", "Prix=10%/100%", "A", "A/B"}));
    EXPECT_EQ(Arbo.NoeudDeChemin("Prix=10%/100%")->ImageCH(), "x.bmp");
}

TEST_F(ArboTest, KeyWrittenByTheStoreReadsBack)
{
    Charge("");
    Setup->WriteString(cSectionCritHier, "Un=deux/Cinq%", "i=c.bmp");
    Arbo.Recharger();
    EXPECT_EQ(Chemins(), QStringList({"Un=deux", "Un=deux/Cinq%"}));
    EXPECT_EQ(Arbo.NoeudDeChemin("Un=deux/Cinq%")->ImageCH(), "i=c.bmp");
}

TEST_F(ArboTest, SortingUsesTheCodeOrderAtEveryLevel)
{
    Charge("[CRITERES HIERARCHIQUES]\nb=\nB=\na=\nB/z=\nB/Z=\nB/é=\nB/e=\n", true);
    EXPECT_EQ(Captions(Arbo.Racines()), QStringList({"B", "a", "b"}));
    EXPECT_EQ(Captions(Arbo.Racine("B")->Enfants()), QStringList({"Z", "e", "z", "é"}));
    // Indexes follow the sorted order.
    EXPECT_EQ(Chemins(), QStringList({"B", "B/Z", "B/e", "B/z", "B/é", "a", "b"}));

    Parametres.lTrierArboCritHier = false;
    Arbo.Recharger();
    EXPECT_EQ(Captions(Arbo.Racines()), QStringList({"b", "B", "a"}));
}

TEST_F(ArboTest, PreOrderIndexesSizesAndDepths)
{
    Charge("[CRITERES HIERARCHIQUES]\nV=\nV/I=\nV/I/R=\nV/I/Ve=\nV/F=\nM=\n");
    const TNoeudCritere *V = Arbo.Racine("V");
    const TNoeudCritere *I = Arbo.NoeudDeChemin("V/I");
    const TNoeudCritere *M = Arbo.Racine("M");
    EXPECT_EQ(V->Index(), 0);
    EXPECT_EQ(V->Taille(), 5);
    EXPECT_EQ(I->Index(), 1);
    EXPECT_EQ(I->Taille(), 3);
    EXPECT_EQ(Arbo.NoeudDeChemin("V/F")->Index(), 4);
    EXPECT_EQ(M->Index(), 5);
    EXPECT_EQ(M->Taille(), 1);
    EXPECT_EQ(Arbo.NoeudDeChemin("V/I/Ve")->Profondeur(), 2);
    EXPECT_EQ(Arbo.Noeud(3), Arbo.NoeudDeChemin("V/I/Ve"));
    EXPECT_EQ(Arbo.Noeud(6), nullptr);
    EXPECT_EQ(Arbo.Noeud(-1), nullptr);
}

TEST_F(ArboTest, MissingSectionGivesAnEmptyTree)
{
    Charge("[GENERAL]\nlModeMAJ=1\n");
    EXPECT_TRUE(Arbo.EstVide());
    EXPECT_EQ(Arbo.NbNoeuds(), 0);
    EXPECT_TRUE(Arbo.Racines().empty());
}

TEST_F(ArboTest, ReloadingRebuildsAndTellsTheViews)
{
    Charge("[CRITERES HIERARCHIQUES]\nA=\n");
    const quint64 nGeneration = Arbo.Generation();
    QSignalSpy Espion(&Arbo, &TArboCriteres::ArboChargee);
    Setup->WriteString(cSectionCritHier, "B", "");
    Arbo.Recharger();
    EXPECT_EQ(Chemins(), QStringList({"A", "B"}));
    EXPECT_EQ(Espion.count(), 1);
    EXPECT_GT(Arbo.Generation(), nGeneration);
}

TEST_F(ArboTest, AVeryDeepKeyLoadsAndWalksWithoutRecursion)
{
    // Deep enough that a walk recursing once per level would overflow the stack.
    constexpr int nNiveaux = 100000;
    QByteArray Cle;
    for (int i = 0; i < nNiveaux; ++i)
        Cle += (i ? "/n" : "n");
    Charge("[CRITERES HIERARCHIQUES]\n" + Cle + "=\nAutre=\n", true);
    ASSERT_EQ(Arbo.NbNoeuds(), nNiveaux + 1);
    // Sorted: "Autre" comes before the chain.
    EXPECT_EQ(Arbo.Noeud(0)->Caption(), "Autre");
    const TNoeudCritere *Profond = Arbo.Noeud(nNiveaux);
    EXPECT_EQ(Profond->Profondeur(), nNiveaux - 1);
    EXPECT_EQ(Arbo.Racine("n")->Taille(), nNiveaux);
    EXPECT_EQ(CheminCritere(*Profond), QString::fromLatin1(Cle));
    EXPECT_EQ(Arbo.NoeudDeChemin(QString::fromLatin1(Cle)), Profond);
    // Reloading frees the old chain.
    Arbo.Recharger();
    EXPECT_EQ(Arbo.NbNoeuds(), nNiveaux + 1);
}

TEST(DecoupeChemin, SplitsTrimsAndDropsOnlyAnEmptyLastComponent)
{
    EXPECT_EQ(DecoupeChemin(" A / B "), QStringList({"A", "B"}));
    EXPECT_EQ(DecoupeChemin("A/"), QStringList({"A"}));
    EXPECT_EQ(DecoupeChemin("A//B"), QStringList({"A", "", "B"}));
    EXPECT_EQ(DecoupeChemin(""), QStringList());
    EXPECT_EQ(DecoupeChemin("Voyages"), QStringList({"Voyages"}));
}

TEST(ResumeCritCoches, OutlinesThePathsSharingTheirCommonStart)
{
    EXPECT_EQ(ResumeCritCoches({"Voyages/Italie/Rome", "Voyages/Italie/Venise"}),
              "Voyages\r\n     Italie\r\n          Rome\r\n          Venise");
    EXPECT_EQ(ResumeCritCoches({"Voyages/Italie/Rome", "Voyages/France", "Famille"}, true),
              "Voyages\r\n\tItalie\r\n\t\tRome\r\n\tFrance\r\nFamille");
    EXPECT_EQ(ResumeCritCoches({}), "");
    EXPECT_EQ(ResumeCritCoches({"A"}), "A");
    // A path that only repeats the start of the previous one adds no line.
    EXPECT_EQ(ResumeCritCoches({"A/B", "A", "C"}), "A\r\n     B\r\nC");
}

TEST_F(ArboTest, ManySiblingsAreFoundByTheirExactCaption)
{
    QByteArray Texte = "[CRITERES HIERARCHIQUES]\n";
    for (int i = 0; i < 40; ++i)
        Texte += "P/N" + QByteArray::number(i) + "=\nP/n" + QByteArray::number(i) + "=\n";
    Texte += "P/N7/Fin=\n";
    Charge(Texte);
    ASSERT_EQ(Arbo.Racine("P")->Enfants().size(), 80u);
    for (int i = 0; i < 40; ++i) {
        const TNoeudCritere *Grand = Arbo.NoeudDeChemin("P/N" + QString::number(i));
        const TNoeudCritere *Petit = Arbo.NoeudDeChemin("P/n" + QString::number(i));
        ASSERT_NE(Grand, nullptr);
        ASSERT_NE(Petit, nullptr);
        EXPECT_NE(Grand, Petit);
        EXPECT_EQ(Grand->Caption(), "N" + QString::number(i));
    }
    // The last line went under the existing node rather than a new twin.
    EXPECT_EQ(Arbo.NbNoeuds(), 82);
    EXPECT_EQ(Arbo.NoeudDeChemin("P/N7/Fin")->Parent(), Arbo.NoeudDeChemin("P/N7"));
}
