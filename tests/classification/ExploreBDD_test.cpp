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
