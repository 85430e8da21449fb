#include "ImpressionQt.h"
#include "classification/ExploreBDD.h"
#include "classification/IndexClassement.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "metadata/Focale.h"
#include "storage/Sections.h"
#include "support/Corpus.h"
#include "support/EcritJpeg.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
struct ExploreBDDTest : ::testing::Test
{
    TBigIniFile iniBDD{QString(), true};
    TBigIniFile iniSetup{QString()};
    std::unique_ptr<TIndexClassement> Index;

    void SetUp() override
    {
        iniBDD.lAutoSave = false;
        iniSetup.lAutoSave = false;
        Index = std::make_unique<TIndexClassement>(iniBDD, iniSetup);
    }
    QStringList Cles(const std::vector<int> &Images)
    {
        QStringList l;
        for (int n : Images)
            l << Index->Cle(n);
        return l;
    }
    // Every node as "caption[images]" in depth-first order, indented by depth.
    static void Decrit(const TNoeudDossier &n, const TListesPage &Listes, QStringList &Lignes, int nProf = 0)
    {
        QString c = QString(nProf * 2, QLatin1Char(' ')) + n.cTexte;
        if (n.Images)
            c += QLatin1Char('[') + ClesNoeud(n, Listes).join(QLatin1Char(',')) + QLatin1Char(']');
        Lignes << c;
        for (const auto &e : n.Enfants)
            Decrit(*e, Listes, Lignes, nProf + 1);
    }
    QStringList Arbre(const QStringList &ClesImages)
    {
        const TListesPage Listes = ListesPage(ClesImages);
        const TArboDossiers Arbo = ConstruitArboDossiers(Listes, iniSetup);
        QStringList Lignes;
        for (const auto &r : Arbo.Racines)
            Decrit(*r, Listes, Lignes);
        return Lignes;
    }
};
} // namespace

TEST_F(ExploreBDDTest, SetsComeFromTheIndexAndLeaveGoneImagesOut)
{
    EXPECT_TRUE(EnsemblesExplore(*Index).lstToutesImages.empty());
    iniBDD.WriteString(QStringLiteral("/p/1.jpg"), QStringLiteral("Lieux/Paris"), QString());
    iniSetup.WriteString(cSectionMotsCles, QStringLiteral("/p/2.jpg"), QStringLiteral("mer"));
    iniSetup.WriteString(cSectionCoupsDeCoeur, QStringLiteral("/p/3.jpg"), QStringLiteral("1"));
    iniSetup.WriteString(cSectionLegendes, QStringLiteral("/p/1.jpg"), QStringLiteral("Tour"));
    iniSetup.WriteString(cSectionLegendes, QStringLiteral("/p/4.jpg"), QStringLiteral("Pont"));
    Index->Actualise();
    TEnsemblesExplore e = EnsemblesExplore(*Index);
    EXPECT_EQ(Cles(e.lstToutesImages), (QStringList{"/p/1.jpg", "/p/2.jpg", "/p/3.jpg", "/p/4.jpg"}));
    EXPECT_EQ(Cles(e.lstImagesCatalogue), QStringList{"/p/1.jpg"});

    iniSetup.DeleteKey(cSectionLegendes, QStringLiteral("/p/4.jpg"));
    Index->Actualise();
    e = EnsemblesExplore(*Index);
    EXPECT_EQ(Cles(e.lstToutesImages), (QStringList{"/p/1.jpg", "/p/2.jpg", "/p/3.jpg"}));
}

TEST_F(ExploreBDDTest, ListsSortByCollationAndHistoryKeyAndDropForeignKeys)
{
    const QString cCD1 = CleImage(7, QStringLiteral("/b.jpg"));
    const QString cCD2 = CleImage(7, QStringLiteral("/A.jpg"));
    const TListesPage l = ListesPage(
        {"/z/b.jpg", "relatif.jpg", "/z/É.jpg", cCD1, "/z/a.jpg", "/z/B.jpg", cCD2, "<7>sansracine.jpg", "/z/e.jpg"});
    QStringList Hors;
    for (const TEnrLST &e : l.HorsCD)
        Hors << e.cChemin;
    // Case and accents only break ties: a, B, b, e, É rather than the code order B, a, b, e, É.
    EXPECT_EQ(Hors, (QStringList{"/z/a.jpg", "/z/B.jpg", "/z/b.jpg", "/z/e.jpg", "/z/É.jpg"}));
    ASSERT_EQ(l.CD.size(), 2u);
    EXPECT_EQ(l.CD[0].cChemin, QStringLiteral("/A.jpg"));
    EXPECT_EQ(l.CD[1].cChemin, QStringLiteral("/b.jpg"));
    EXPECT_EQ(l.Total(), 7);
}

TEST_F(ExploreBDDTest, OrderMadeOnceGivesTheListsOfEveryPage)
{
    const QStringList Cles = {"/z/b.jpg", "/z/É.jpg",   CleImage(7, "/b.jpg"),
                              "/z/a.jpg", "/z/B.jpg",   CleImage(7, "/A.jpg"),
                              "/z/e.jpg", "relatif.jpg"};
    for (const QString &c : Cles)
        iniBDD.WriteString(c, QStringLiteral("X"), QString());
    Index->Actualise();
    const std::vector<int> Toutes = EnsemblesExplore(*Index).lstToutesImages;
    const TOrdreExplore Ordre(*Index, Toutes);
    // Every subset, large (walked in order) or small (sorted), as if sorted anew.
    for (const std::vector<int> &Part :
         {Toutes, std::vector<int>{Toutes[6], Toutes[0], Toutes[2]}, std::vector<int>{Toutes[5]}, std::vector<int>{}}) {
        const TListesPage a = Ordre.Listes(*Index, Part);
        const TListesPage b = ListesPage(*Index, Part);
        EXPECT_EQ(a.HorsCD, b.HorsCD);
        EXPECT_EQ(a.CD, b.CD);
    }
    // An image unknown to the order is in no page.
    EXPECT_EQ(TOrdreExplore(*Index, {Toutes[0]}).Listes(*Index, Toutes).Total(), 1);
}

TEST_F(ExploreBDDTest, EachImageSitsUnderItsOwnFolderOnly)
{
    // By path, x.jpg of the sub-folder falls between the two images of /a.
    EXPECT_EQ(Arbre({"/a/b.jpg", "/a/b/x.jpg", "/a/c.jpg", "/r.jpg"}),
              (QStringList{"/[/r.jpg]", "  a[/a/b.jpg,/a/c.jpg]", "    b[/a/b/x.jpg]"}));
    // Case twins are two folders, each with its own image.
    EXPECT_EQ(Arbre({"/x/A/1.jpg", "/x/a/2.jpg"}), (QStringList{"/", "  x", "    A[/x/A/1.jpg]", "    a[/x/a/2.jpg]"}));
    EXPECT_TRUE(Arbre({}).isEmpty());
    EXPECT_FALSE(ConstruitArboDossiers(ListesPage(QStringList{"pas/absolu.jpg"}), iniSetup).ADesImages());
}

TEST_F(ExploreBDDTest, CDImagesHangUnderTheirLabelledDisc)
{
    const QString cId = IdVolume(7);
    iniSetup.WriteString(cSectionLabelsCD, cId, QStringLiteral("VACANCES"));
    const QString cRacine = CleImage(7, QStringLiteral("/r.jpg"));
    const QString cSous = CleImage(7, QStringLiteral("/d/s.jpg"));
    const QString cAutre = CleImage(9, QStringLiteral("/t.jpg"));
    const QString cCaption = QStringLiteral("%1 - \"VACANCES\"").arg(cId);
    EXPECT_EQ(Arbre({cSous, cAutre, cRacine}),
              (QStringList{"CDs", "  " + cCaption + "[" + cRacine + "]", "    d[" + cSous + "]",
                           "  " + IdVolume(9) + "[" + cAutre + "]"}));
    // The first folder selected is that of the first image off CDs, when there is one.
    const TListesPage Listes = ListesPage({cSous, "/m/n.jpg"});
    const TArboDossiers Arbo = ConstruitArboDossiers(Listes, iniSetup);
    ASSERT_NE(Arbo.pPremier, nullptr);
    EXPECT_EQ(Arbo.pPremier->cTexte, QStringLiteral("m"));
    EXPECT_EQ(Arbo.Racines.back()->nIcone, 4);
    EXPECT_EQ(BulleNoeudDossier(Arbo.pPremier), QStringLiteral("m - 1 image(s)"));
    EXPECT_EQ(BulleNoeudDossier(Arbo.Racines.front().get()), QString());
}

TEST_F(ExploreBDDTest, CriterionKeywordAndFavouritePages)
{
    iniBDD.WriteString(QStringLiteral("/p/a.jpg"), QStringLiteral("A"), QString());
    iniBDD.WriteString(QStringLiteral("/p/ab.jpg"), QStringLiteral("A/B"), QString());
    iniBDD.WriteString(QStringLiteral("/p/ac.jpg"), QStringLiteral("AC"), QString());
    iniSetup.WriteString(cSectionMotsCles, QStringLiteral("/p/m1.jpg"), QStringLiteral("Mer plage"));
    iniSetup.WriteString(cSectionMotsCles, QStringLiteral("/p/m2.jpg"), QStringLiteral("MER"));
    iniSetup.WriteString(cSectionMotsCles, QStringLiteral("/p/m3.jpg"), QStringLiteral("merle"));
    iniSetup.WriteString(cSectionCoupsDeCoeur, QStringLiteral("/p/ab.jpg"), QStringLiteral("1"));
    Index->Actualise();
    EXPECT_EQ(Cles(ImagesCritereExplore(*Index, QStringLiteral("A"), false)), QStringList{"/p/a.jpg"});
    EXPECT_EQ(Cles(ImagesCritereExplore(*Index, QStringLiteral("A"), true)), (QStringList{"/p/a.jpg", "/p/ab.jpg"}));
    EXPECT_TRUE(ImagesCritereExplore(*Index, QStringLiteral("Z"), true).empty());
    EXPECT_EQ(Cles(ImagesMotCleExplore(*Index, QStringLiteral("mer"))), (QStringList{"/p/m1.jpg", "/p/m2.jpg"}));
    EXPECT_EQ(ImagesMotCleExplore(*Index, QString()).size(), 3u);
    EXPECT_EQ(Cles(ImagesCoupsDeCoeur(*Index)), QStringList{"/p/ab.jpg"});
}

TEST(ExploreBDDEXIF, ValuesSortByTheirKindWithUnreadableOnesLast)
{
    auto Trie = [](int nInd, QStringList l) {
        std::sort(l.begin(), l.end(),
                  [nInd](const QString &a, const QString &b) { return AvantValeurEXIF(nInd, a, b); });
        return l;
    };
    EXPECT_EQ(Trie(eVitesse, {"2", "1/0", "1/60", "abc", "1/250"}), (QStringList{"1/250", "1/60", "2", "1/0", "abc"}));
    EXPECT_DOUBLE_EQ(*NombreEXIF(eVitesse, QStringLiteral("1/250")), 0.004);
    EXPECT_DOUBLE_EQ(*NombreEXIF(eDiaphragme, QStringLiteral("5,6")), 5.6);
    EXPECT_FALSE(NombreEXIF(eVitesse, QStringLiteral("0/0")));
    EXPECT_FALSE(NombreEXIF(eFocale, QStringLiteral("1/x")));
    EXPECT_EQ(Trie(eDiaphragme, {"11", "5,6", "2.8"}), (QStringList{"2.8", "5,6", "11"}));
    EXPECT_EQ(Trie(eDatePDV, {"99/99/9999", "02/01/2024", "31/12/2023"}),
              (QStringList{"31/12/2023", "02/01/2024", "99/99/9999"}));
    EXPECT_EQ(Trie(eISO, {"800", "abc", "100", "1600"}), (QStringList{"100", "800", "1600", "abc"}));
    EXPECT_EQ(Trie(eAppareil, {"b", "B", "a"}), (QStringList{"B", "a", "b"}));

    EXPECT_EQ(LegendeValeurEXIF(eFocale, "50"), QStringLiteral("50 mm"));
    EXPECT_EQ(LegendeValeurEXIF(eVitesse, "1/60"), QStringLiteral("1/60 s"));
    EXPECT_EQ(LegendeValeurEXIF(eDiaphragme, "5,6"), QStringLiteral("f 5,6"));
    // 1 January 2024 was a Monday.
    EXPECT_EQ(LegendeValeurEXIF(eDatePDV, "01/01/2024"), QStringLiteral("Lu 01/01/2024"));
    EXPECT_EQ(ValeurNiveauEXIF({"m", "", "", "", "01/01/2024 10:00:00"}, eDatePDV), QStringLiteral("01/01/2024"));
    EXPECT_EQ(ValeurNiveauEXIF({"m"}, eISO), QString());
}

TEST(ExploreBDDEXIF, LevelChainKeepsOneLevelCheckedAndMovesLevels)
{
    TNiveauxEXIF n;
    EXPECT_EQ(n.Utilises(), (std::vector<int>{0, 1, 2, 3, 4, 5}));
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(n.Bascule(i));
    EXPECT_FALSE(n.Bascule(5));
    EXPECT_EQ(n.Utilises(), std::vector<int>{5});
    EXPECT_TRUE(n.Bascule(2));
    EXPECT_TRUE(n.Bascule(5));
    EXPECT_EQ(n.Utilises(), std::vector<int>{2});
    EXPECT_FALSE(n.Monte(0));
    EXPECT_FALSE(n.Descend(5));
    EXPECT_TRUE(n.Monte(2));
    EXPECT_TRUE(n.Descend(4));
    EXPECT_EQ(n.Niveaux()[1].nIndEXIF, 2);
    EXPECT_TRUE(n.Niveaux()[1].lCoche);
    EXPECT_EQ(n.Niveaux()[5].nIndEXIF, 4);
    EXPECT_EQ(TNiveauxEXIF::Nom(n.Niveaux()[5].nIndEXIF), QStringLiteral("Date (prise de vue)"));
    n.Reinitialise();
    EXPECT_EQ(n.NbCoches(), 6);
    EXPECT_EQ(n.Niveaux()[4].nIndEXIF, 4);
}

TEST_F(ExploreBDDTest, EXIFTreeCountsAndSelectsByModelThenDate)
{
    const QStringList Cles = {"/e/1.jpg", "/e/2.jpg", "/e/3.jpg", "/e/4.jpg", "/e/5.jpg"};
    for (const QString &c : Cles)
        iniBDD.WriteString(c, QStringLiteral("X"), QString());
    Index->Actualise();
    TValeursEXIF v;
    v["/e/1.jpg"] = {"Zeta", "50", "1/60", "4", "02/01/2024 10:00:00", "100", "1", ""};
    v["/e/2.jpg"] = {"Zeta", "50", "1/60", "4", "01/01/2024 10:00:00", "100", "1", ""};
    v["/e/3.jpg"] = {"Alpha", "35", "", "", "", "", "1", ""};
    v["/e/4.jpg"] = {"", "35", "", "", "01/01/2024", "", "1", ""};
    // 5.jpg has no values at all.
    const std::vector<int> Toutes = EnsemblesExplore(*Index).lstToutesImages;
    const std::vector<int> Niveaux = {eAppareil, eDatePDV};
    const auto pRacine = ConstruitArboEXIF(*Index, Toutes, v, Niveaux);
    ASSERT_TRUE(pRacine);
    EXPECT_EQ(pRacine->cTexte, QStringLiteral("EXIF"));
    ASSERT_EQ(pRacine->Enfants.size(), 2u);
    const TNoeudEXIF &Alpha = *pRacine->Enfants[0];
    const TNoeudEXIF &Zeta = *pRacine->Enfants[1];
    EXPECT_EQ(Alpha.cTexte, QStringLiteral("Alpha"));
    EXPECT_EQ(Alpha.Enr.nNbImages, 1);
    EXPECT_TRUE(Alpha.Enfants.empty());
    EXPECT_EQ(Alpha.nIcone, 16);
    ASSERT_EQ(Zeta.Enfants.size(), 2u);
    EXPECT_EQ(Zeta.Enfants[0]->cTexte, QStringLiteral("Lu 01/01/2024"));
    EXPECT_EQ(Zeta.Enfants[0]->Enr.cValeur, QStringLiteral("01/01/2024"));
    EXPECT_EQ(Zeta.Enfants[1]->Enr.nNbImages, 1);
    EXPECT_EQ(Zeta.Enfants[1]->nIcone, 24);

    EXPECT_EQ(this->Cles(ImagesNoeudEXIF(*Index, Toutes, v, Niveaux, Alpha)), QStringList{"/e/3.jpg"});
    EXPECT_EQ(this->Cles(ImagesNoeudEXIF(*Index, Toutes, v, Niveaux, *Zeta.Enfants[1])), QStringList{"/e/1.jpg"});
    // The root keeps the images with a model, the first level.
    EXPECT_EQ(this->Cles(ImagesNoeudEXIF(*Index, Toutes, v, Niveaux, *pRacine)),
              (QStringList{"/e/1.jpg", "/e/2.jpg", "/e/3.jpg"}));
    EXPECT_TRUE(ImagesNoeudEXIF(*Index, Toutes, v, {}, *pRacine).empty());
    // What the nodes keep while built is what a scan finds.
    std::vector<const TNoeudEXIF *> Pile{pRacine.get()};
    while (!Pile.empty()) {
        const TNoeudEXIF *n = Pile.back();
        Pile.pop_back();
        std::vector<int> Images = n->Images();
        std::sort(Images.begin(), Images.end());
        EXPECT_EQ(Images, ImagesNoeudEXIF(*Index, Toutes, v, Niveaux, *n)) << n->cTexte.toStdString();
        for (const auto &e : n->Enfants)
            Pile.push_back(e.get());
    }
    EXPECT_FALSE(ConstruitArboEXIF(*Index, {}, v, Niveaux));
}

TEST_F(ExploreBDDTest, CachedCDRecordGivesItsEightItemsAndThumbnailNamesAreSafe)
{
    const QString cCle = CleImage(7, QStringLiteral("/a.jpg"));
    iniSetup.WriteString(cSectionEXIF, cCle, QStringLiteral("Cam|50|1/60|4|01/01/2024|100|1||"));
    EXPECT_EQ(ValeursEXIFCatalogue(iniSetup, cCle),
              (QStringList{"Cam", "50", "1/60", "4", "01/01/2024", "100", "1", ""}));
    iniSetup.WriteString(cSectionEXIF, cCle, QStringLiteral("Cam|50|"));
    EXPECT_TRUE(ValeursEXIFCatalogue(iniSetup, cCle).isEmpty());

    EXPECT_EQ(NomPlancheNoeud(QStringLiteral("/")), QStringLiteral("_"));
    EXPECT_EQ(NomPlancheNoeud(QStringLiteral("..")), QStringLiteral("Vignettes"));
    EXPECT_EQ(NomPlancheNoeud(QStringLiteral(".")), QStringLiteral("Vignettes"));
    EXPECT_EQ(NomPlancheNoeud(QStringLiteral("ab")), QStringLiteral("a"));
    EXPECT_EQ(NomPlancheNoeud(QStringLiteral("a/b - \"x\"")), QStringLiteral("a_b - \"x\""));
}

TEST_F(ExploreBDDTest, ValuesAreReadOnceFromFilesAndFromTheCDCache)
{
    const QString cSource = Corpus::Fichier(QStringLiteral("kinds/jpeg/exiftool_Canon.jpg"));
    if (cSource.isEmpty())
        GTEST_SKIP() << "corpus absent";
    QTemporaryDir Temp;
    QStringList Fichiers;
    for (int i = 0; i < 40; ++i) {
        Fichiers << Temp.filePath(QStringLiteral("c%1.jpg").arg(i));
        ASSERT_TRUE(QFile::copy(cSource, Fichiers.back()));
    }
    const QString cSansEXIF = Temp.filePath(QStringLiteral("plain.jpg"));
    ASSERT_TRUE(EcritJpeg(cSansEXIF, 8, 8, Qt::red));
    const QString cCD = CleImage(3, QStringLiteral("/d/x.jpg"));
    iniSetup.WriteString(cSectionEXIF, cCD, QStringLiteral("Disque|24|1/8|2,8|05/06/2007|200|1||"));
    for (const QString &c : Fichiers + QStringList{cSansEXIF, cCD, Temp.filePath("absent.jpg")})
        iniBDD.WriteString(c, QStringLiteral("X"), QString());
    Index->Actualise();
    const std::vector<int> Toutes = EnsemblesExplore(*Index).lstToutesImages;
    int nDernier = -1;
    const TValeursEXIF v = LitValeursEXIF(
        *Index, Toutes, iniSetup, TContexteFocale{},
        [&](int nLus, int nTotal) {
            EXPECT_EQ(nTotal, 42);
            nDernier = nLus;
            return false;
        },
        3);
    EXPECT_EQ(nDernier, 42);
    ASSERT_EQ(v.size(), 41);
    EXPECT_EQ(v.value(Fichiers[17]).value(eAppareil), QStringLiteral("Canon EOS DIGITAL REBEL"));
    EXPECT_EQ(v.value(Fichiers[17]).size(), 8);
    EXPECT_EQ(ValeurNiveauEXIF(v.value(Fichiers[0]), eDatePDV), QStringLiteral("04/12/2003"));
    EXPECT_EQ(v.value(cCD).value(eDiaphragme), QStringLiteral("2,8"));
    EXPECT_FALSE(v.contains(cSansEXIF));

    // Stopped at once: what was read keeps its values, nothing is made up for the rest.
    const TValeursEXIF Partiel = LitValeursEXIF(
        *Index, Toutes, iniSetup, TContexteFocale{}, [](int, int) { return true; }, 1);
    EXPECT_TRUE(Partiel.contains(cCD));
    EXPECT_LE(Partiel.size(), 41);
    for (auto it = Partiel.cbegin(); it != Partiel.cend(); ++it)
        EXPECT_EQ(*it, v.value(it.key()));
}

TEST_F(ExploreBDDTest, TreeFromTheOrderMatchesTheTreeFromTexts)
{
    iniSetup.WriteString(cSectionLabelsCD, IdVolume(7), QStringLiteral("ETE"));
    // Interleaved sub-folders, case twins, a doubled "/", images at the roots of "/" and of a
    // disc, and a disc met before another in the history order.
    const QStringList Toutes = {"/a/b.jpg",
                                "/a/b/x.jpg",
                                "/a/c.jpg",
                                "/r.jpg",
                                "/x/A/1.jpg",
                                "/x/a/2.jpg",
                                "/x//a/3.jpg",
                                "/Été/e.jpg",
                                "/ete/f.jpg",
                                "/a/b/y/z.jpg",
                                CleImage(7, "/r.jpg"),
                                CleImage(7, "/d/s.jpg"),
                                CleImage(9, "/t.jpg"),
                                CleImage(7, "/d/e/u.jpg")};
    for (const QString &c : Toutes)
        iniBDD.WriteString(c, QStringLiteral("X"), QString());
    Index->Actualise();
    const std::vector<int> Images = EnsemblesExplore(*Index).lstToutesImages;
    const TOrdreExplore Ordre(*Index, Images);
    auto Lignes = [&](const TArboDossiers &Arbo, const TListesPage &l) {
        QStringList r;
        for (const auto &p : Arbo.Racines)
            Decrit(*p, l, r);
        if (Arbo.pPremier)
            r << QStringLiteral("premier ") + Arbo.pPremier->cTexte;
        return r;
    };
    // The whole catalogue and parts of it, each starting with a different folder.
    for (const std::vector<int> &Part :
         {Images, std::vector<int>{Images[13], Images[1]}, std::vector<int>{Images[11], Images[5], Images[12]},
          std::vector<int>{Images[9], Images[2], Images[3]}, std::vector<int>{}}) {
        const TListesPage l = Ordre.Listes(*Index, Part);
        EXPECT_EQ(l.Rangs.size(), size_t(l.Total()));
        const QStringList Attendu = Lignes(ConstruitArboDossiers(l, iniSetup), l);
        EXPECT_EQ(Lignes(Ordre.Arbo(l, iniSetup), l), Attendu);
        // Icons too: a folder with images of its own, the "CDs" node.
        const TArboDossiers a = Ordre.Arbo(l, iniSetup), b = ConstruitArboDossiers(l, iniSetup);
        ASSERT_EQ(a.Racines.size(), b.Racines.size());
        for (size_t i = 0; i < a.Racines.size(); ++i) {
            EXPECT_EQ(a.Racines[i]->nIcone, b.Racines[i]->nIcone);
            EXPECT_EQ(a.Racines[i]->lCD, b.Racines[i]->lCD);
        }
    }
    const TListesPage l = Ordre.Listes(*Index, Images);
    const QStringList Tout = Lignes(Ordre.Arbo(l, iniSetup), l);
    EXPECT_TRUE(Tout.contains(QStringLiteral("/[/r.jpg]")));
    EXPECT_TRUE(Tout.contains(QStringLiteral("    a[/x//a/3.jpg,/x/a/2.jpg]")));
    EXPECT_TRUE(Tout.contains(QStringLiteral("  %1 - \"ETE\"[%2]").arg(IdVolume(7), CleImage(7, "/r.jpg"))));
    // Lists made elsewhere (no ranks) still get their tree.
    const TListesPage Texte = ListesPage(Toutes);
    EXPECT_EQ(Lignes(Ordre.Arbo(Texte, iniSetup), Texte), Tout);
}

TEST_F(ExploreBDDTest, OrderIsKeptOnlyWhileTheImagesAndKeysStay)
{
    iniBDD.WriteString(QStringLiteral("/p/b.jpg"), QStringLiteral("X"), QString());
    iniBDD.WriteString(QStringLiteral("/p/a.jpg"), QStringLiteral("X"), QString());
    Index->Actualise();
    std::vector<int> Images = EnsemblesExplore(*Index).lstToutesImages;
    const TOrdreExplore Ordre(*Index, Images);
    EXPECT_FALSE(TOrdreExplore().Valable(*Index, Images));
    EXPECT_TRUE(Ordre.Valable(*Index, Images));
    EXPECT_FALSE(Ordre.Valable(*Index, {Images.front()}));
    iniSetup.WriteString(cSectionCoupsDeCoeur, QStringLiteral("/p/c.jpg"), QStringLiteral("1"));
    Index->Actualise();
    const std::vector<int> Plus = EnsemblesExplore(*Index).lstToutesImages;
    EXPECT_FALSE(Ordre.Valable(*Index, Plus));
    const TOrdreExplore Nouvel(*Index, Plus);
    EXPECT_EQ(Nouvel.Listes(*Index, Plus).HorsCD.size(), 3u);
}

TEST_F(ExploreBDDTest, EXIFTreeFromNumbersSortsEachLevelAndKeepsEveryImageOnce)
{
    const char *const Vitesses[] = {"2", "1/60", "1/0", "1/250", "abc", "1/60", "0,5", ""};
    const char *const Modeles[] = {"Zeta", "Alpha", "", "Alpha"};
    TValeursEXIF v;
    for (int i = 0; i < 40; ++i) {
        const QString c = QStringLiteral("/v/%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        iniBDD.WriteString(c, QStringLiteral("X"), QString());
        v[c] = {QString::fromLatin1(Modeles[i % 4]),
                QString(),
                QString::fromLatin1(Vitesses[i % 8]),
                QString(),
                QStringLiteral("%1/01/2020 08:00:00").arg(1 + i % 3, 2, 10, QLatin1Char('0')),
                QString(),
                "1",
                ""};
    }
    Index->Actualise();
    const std::vector<int> Toutes = EnsemblesExplore(*Index).lstToutesImages;
    const TTableEXIF Table(*Index, Toutes, v);
    for (const std::vector<int> &Niveaux : {std::vector<int>{eVitesse}, std::vector<int>{eAppareil, eVitesse, eDatePDV},
                                            std::vector<int>{eDatePDV, eAppareil}}) {
        const auto pRacine = ConstruitArboEXIF(Table, Niveaux);
        ASSERT_TRUE(pRacine);
        std::vector<const TNoeudEXIF *> Pile{pRacine.get()};
        while (!Pile.empty()) {
            const TNoeudEXIF *n = Pile.back();
            Pile.pop_back();
            std::vector<int> Images = n->Images();
            std::sort(Images.begin(), Images.end());
            EXPECT_EQ(Images, ImagesNoeudEXIF(*Index, Toutes, v, Niveaux, *n)) << n->cTexte.toStdString();
            if (n->pParent)
                EXPECT_EQ(n->Enr.nNbImages, int(Images.size()));
            int nEnfants = 0;
            for (size_t i = 0; i < n->Enfants.size(); ++i) {
                nEnfants += n->Enfants[i]->Enr.nNbImages;
                if (i > 0)
                    EXPECT_TRUE(AvantValeurEXIF(n->Enfants[i]->Enr.nIndEXIF, n->Enfants[i - 1]->Enr.cValeur,
                                                n->Enfants[i]->Enr.cValeur));
                Pile.push_back(n->Enfants[i].get());
            }
            EXPECT_LE(nEnfants, int(Images.size()));
        }
    }
    // Exposure times by value, the unreadable ones last.
    const auto pVitesses = ConstruitArboEXIF(Table, {eVitesse});
    QStringList Ordre;
    for (const auto &e : pVitesses->Enfants)
        Ordre << e->cTexte;
    EXPECT_EQ(Ordre, (QStringList{"1/250 s", "1/60 s", "0,5 s", "2 s", "1/0 s", "abc s"}));
}
