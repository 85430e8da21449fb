// The help's logic, without any window.
#include "mainwindow/ContextesAide.h"

#include <gtest/gtest.h>

namespace
{

const TPagesAide Pages = {
    {"accueil.html", R"h(<html><head><title>Accueil</title></head><body><h1 id="haut">Aide</h1>
        <a href="liste.html#barre">barre</a> <a href="https://exemple.org/x.html">ext</a> <a href="#haut">haut</a></body></html>)h"},
    {"liste.html", R"h(<html><head><title>La &amp; liste</title></head><body><a name="barre"></a>
        <p>L'élève de l'École coche les c&oelig;urs.</p><a href="absente.html">x</a><a href="accueil.html#nulle">y</a></body></html>)h"},
};

TEST(ContextesAide, LinksResolveToExistingPagesAndAnchorsOnly)
{
    EXPECT_EQ(ResoutLien(Pages, "liste.html#barre"), "liste.html");
    EXPECT_EQ(ResoutLien(Pages, "liste.html"), "liste.html");
    EXPECT_EQ(ResoutLien(Pages, "#haut", "accueil.html"), "accueil.html");
    EXPECT_EQ(ResoutLien(Pages, "#barre", "accueil.html"), "");
    EXPECT_EQ(ResoutLien(Pages, "liste.html#haut"), "");
    EXPECT_EQ(ResoutLien(Pages, "absente.html"), "");
    EXPECT_EQ(ResoutLien(Pages, ""), "");
    // The broken links of every page, external ones left out.
    EXPECT_EQ(LiensCasses(Pages), QStringList({"liste.html: absente.html", "liste.html: accueil.html#nulle"}));
}

TEST(ContextesAide, ContextsWithoutPageGiveTheHome)
{
    EXPECT_EQ(PageDeContexte(0), QString(cPageAccueil));
    EXPECT_EQ(PageDeContexte(12345), QString(cPageAccueil));
    EXPECT_EQ(PageDeContexte(-15), "bulle15.html");
    EXPECT_EQ(PageDeContexte(72), "filtres.html#cds");
    EXPECT_EQ(ContextesConnus().count(10), 1);
}

TEST(ContextesAide, SearchNeedsEveryWordWithAccentsAndCaseIgnored)
{
    EXPECT_EQ(PagesContenant(Pages, "ELEVE ecole"), QStringList({"liste.html"}));
    EXPECT_EQ(PagesContenant(Pages, "coeurs"), QStringList({"liste.html"}));
    EXPECT_EQ(PagesContenant(Pages, "élève barre-inconnue"), QStringList());
    // Words are looked for in the text, not in the markup.
    EXPECT_EQ(PagesContenant(Pages, "href"), QStringList());
    EXPECT_EQ(PagesContenant(Pages, "aide"), QStringList({"accueil.html"}));
    EXPECT_EQ(PagesContenant(Pages, "  ,; "), QStringList());
    EXPECT_EQ(FormeRecherche("Œuvre ÉTÉ"), "oeuvre ete");
    EXPECT_EQ(TitrePage(Pages.value("liste.html")), "La & liste");
}

TEST(ContextesAide, IndexIsReadBoundedAndFilteredWithoutAccents)
{
    const QList<TEntreeIndex> Index = LitIndex("zoom\tpanneau.html#zoom\n# note\ntab\tseul\tde trop\nsans lien\n"
                                               "Écran, plein\tplein-ecran.html\n\nEchelle\tx.html\n");
    ASSERT_EQ(Index.size(), 3);
    EXPECT_EQ(Index.at(1).cMot, "Écran, plein");
    EXPECT_EQ(Index.at(1).cLien, "plein-ecran.html");
    EXPECT_EQ(LitIndex("a\tb\nc\td\ne\tf\n", 2).size(), 2);
    QStringList Mots;
    for (const TEntreeIndex &e : FiltreIndex(Index, ""))
        Mots << e.cMot;
    EXPECT_EQ(Mots, QStringList({"Echelle", "Écran, plein", "zoom"}));
    Mots.clear();
    for (const TEntreeIndex &e : FiltreIndex(Index, "ECR"))
        Mots << e.cMot;
    EXPECT_EQ(Mots, QStringList({"Écran, plein"}));
}

TEST(ContextesAide, ContentsLevelsNeverJumpMoreThanOne)
{
    const QList<TEntreeSommaire> s =
        LitSommaire("Accueil\taccueil.html\n      Trop profond\ta.html\n  Frère\tb.html\nmal formé\nFin\tc.html\n");
    ASSERT_EQ(s.size(), 4);
    EXPECT_EQ(s.at(0).nNiveau, 0);
    EXPECT_EQ(s.at(1).nNiveau, 1);
    EXPECT_EQ(s.at(2).nNiveau, 1);
    EXPECT_EQ(s.at(2).cTitre, "Frère");
    EXPECT_EQ(s.at(3).nNiveau, 0);
}

} // namespace
