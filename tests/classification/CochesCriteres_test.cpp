#include "ImpressionQt.h"
#include "classification/ArboCriteres.h"
#include "classification/CochesCriteres.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
struct CochesTest : ::testing::Test
{
    QTemporaryDir Temp;
    std::unique_ptr<TBigIniFile> Setup;
    TEnrParametres Parametres;
    TArboCriteres Arbo;

    void SetUp() override
    {
        Charge("[CRITERES HIERARCHIQUES]\nVoyages=\nVoyages/Italie=\nVoyages/Italie/Rome=\n"
               "Voyages/Italie/Venise=\nVoyages/France=\nVoyages/France/Paris=\nItalie=\nFamille=\n");
    }
    void Charge(const QByteArray &cTexte)
    {
        QFile f(Temp.filePath("KX_Setup.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(cTexte);
        f.close();
        Setup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        Arbo.ChargerArboCritHier(*Setup, Parametres, Temp.filePath("ImgsCH/"));
    }
    const TNoeudCritere &N(const char *cChemin) const
    {
        const TNoeudCritere *n = Arbo.NoeudDeChemin(cChemin);
        EXPECT_NE(n, nullptr) << cChemin;
        return *n;
    }
    QStringList Coches(const TCochesCriteres &c) const
    {
        QStringList l;
        for (const TNoeudCritere *n : Arbo.Preordre())
            if (c.EstCoche(*n))
                l << CheminCritere(*n);
        return l;
    }
    QStringList Liste(const TCochesCriteres &c) const
    {
        QStringList l{"reste d'avant"};
        c.ListerCritCoches(l);
        return l;
    }
};
} // namespace

TEST_F(CochesTest, CheckingANodeChecksItsPath)
{
    TCochesCriteres c(Arbo);
    EXPECT_FALSE(c.AuMoinsUnCritCoche());
    c.BasculerCritere(N("Voyages/Italie/Rome"));
    EXPECT_EQ(Coches(c), QStringList({"Voyages", "Voyages/Italie", "Voyages/Italie/Rome"}));
    EXPECT_TRUE(c.AuMoinsUnCritCoche());
    EXPECT_EQ(c.NbCoches(), 3);
    EXPECT_EQ(Liste(c), QStringList({"Voyages/Italie/Rome"}));
}

TEST_F(CochesTest, UncheckingGoesDownThroughCheckedChildrenOnly)
{
    TCochesCriteres c(Arbo);
    c.BasculerCritere(N("Voyages/Italie/Rome"));
    c.BasculerCritere(N("Voyages"));
    EXPECT_TRUE(Coches(c).isEmpty());
    EXPECT_FALSE(c.AuMoinsUnCritCoche());

    c.BasculerCritere(N("Voyages/Italie/Rome"));
    c.BasculerCritere(N("Voyages/Italie"));
    EXPECT_EQ(Coches(c), QStringList({"Voyages"}));
    EXPECT_EQ(Liste(c), QStringList({"Voyages"}));
}

TEST_F(CochesTest, DeepestCheckedPathsComeInTreeOrder)
{
    TCochesCriteres c(Arbo);
    // Checked in the reverse of the tree order.
    c.BasculerCritere(N("Famille"));
    c.BasculerCritere(N("Voyages/France"));
    c.BasculerCritere(N("Voyages/Italie/Venise"));
    c.BasculerCritere(N("Voyages/Italie/Rome"));
    EXPECT_EQ(Liste(c), QStringList({"Voyages/Italie/Rome", "Voyages/Italie/Venise", "Voyages/France", "Famille"}));
    EXPECT_EQ(ResumeCritCoches(Liste(c)),
              "Voyages\r\n     Italie\r\n          Rome\r\n          Venise\r\n     France\r\nFamille");
}

TEST_F(CochesTest, CocherCheminStopsAtTheFirstMissingComponent)
{
    TCochesCriteres c(Arbo);
    c.CocherChemin("Voyages/Espagne/Madrid");
    EXPECT_EQ(Coches(c), QStringList({"Voyages"}));

    c.DecocherTout();
    // A top-level Italie exists, but the path starts with an absent Europe.
    c.CocherChemin("Europe/Italie");
    EXPECT_TRUE(Coches(c).isEmpty());

    c.CocherChemin("voyages/Italie");
    EXPECT_TRUE(Coches(c).isEmpty());

    c.CocherChemin(" Voyages / Italie / Rome ");
    c.CocherChemin("Voyages/France");
    EXPECT_EQ(Liste(c), QStringList({"Voyages/Italie/Rome", "Voyages/France"}));
}

TEST_F(CochesTest, EachViewKeepsItsOwnMarks)
{
    TCochesCriteres Recherche(Arbo), Classement(Arbo);
    Recherche.BasculerCritere(N("Famille"));
    Classement.BasculerCritere(N("Voyages/France/Paris"));
    EXPECT_EQ(Liste(Recherche), QStringList({"Famille"}));
    EXPECT_EQ(Liste(Classement), QStringList({"Voyages/France/Paris"}));
    // A copy starts with the marks of its source and then lives apart.
    TCochesCriteres Copie = Recherche;
    Copie.DecocherTout();
    EXPECT_TRUE(Recherche.EstCoche(N("Famille")));
}

TEST_F(CochesTest, LoadingTheTreeAgainDropsEveryMark)
{
    TCochesCriteres c(Arbo);
    c.BasculerCritere(N("Voyages/Italie/Rome"));
    const quint64 nAvant = c.Revision();
    Arbo.Recharger();
    EXPECT_FALSE(c.AuMoinsUnCritCoche());
    EXPECT_TRUE(Liste(c).isEmpty());
    EXPECT_NE(c.Revision(), nAvant);
    c.BasculerCritere(N("Famille"));
    EXPECT_EQ(Liste(c), QStringList({"Famille"}));
}

TEST_F(CochesTest, RevisionMovesOnlyWhenTheMarksChange)
{
    TCochesCriteres c(Arbo);
    const quint64 n0 = c.Revision();
    c.DecocherTout();
    c.CocherChemin("Absent");
    EXPECT_EQ(c.Revision(), n0);
    c.BasculerCritere(N("Famille"));
    const quint64 n1 = c.Revision();
    EXPECT_NE(n1, n0);
    c.CocherChemin("Famille");
    EXPECT_EQ(c.Revision(), n1);
    c.DecocherTout();
    EXPECT_NE(c.Revision(), n1);
}

TEST_F(CochesTest, EmptyTreeHasNothingToCheck)
{
    Charge("[GENERAL]\n");
    TCochesCriteres c(Arbo);
    c.CocherChemin("Voyages");
    c.DecocherTout();
    EXPECT_FALSE(c.AuMoinsUnCritCoche());
    EXPECT_TRUE(Liste(c).isEmpty());
}

TEST_F(CochesTest, AVeryDeepChainTogglesWithoutRecursion)
{
    constexpr int nNiveaux = 100000;
    QByteArray Cle;
    for (int i = 0; i < nNiveaux; ++i)
        Cle += (i ? "/c" : "c");
    Charge("[CRITERES HIERARCHIQUES]\n" + Cle + "=\n");
    TCochesCriteres c(Arbo);
    c.BasculerCritere(*Arbo.Noeud(nNiveaux - 1));
    EXPECT_EQ(c.NbCoches(), nNiveaux);
    QStringList l;
    c.ListerCritCoches(l);
    EXPECT_EQ(l, QStringList({QString::fromLatin1(Cle)}));
    c.BasculerCritere(*Arbo.Noeud(0));
    EXPECT_EQ(c.NbCoches(), 0);
    c.CocherChemin(QString::fromLatin1(Cle));
    EXPECT_EQ(c.NbCoches(), nNiveaux);
}
