#include "classification/ArboDossiers.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <gtest/gtest.h>

namespace
{
// Every node as "caption{folder}[positions]" in depth-first order, indented by depth.
void Decrit(const TNoeudDossier &n, QStringList &Lignes, int nProf = 0)
{
    QString c = QString(nProf * 2, QLatin1Char(' ')) + n.cTexte + QLatin1Char('{') + n.cDossier + QLatin1Char('}');
    if (n.Images) {
        QStringList p;
        for (int i : *n.Images)
            p << QString::number(i);
        c += QLatin1Char('[') + p.join(QLatin1Char(',')) + QLatin1Char(']');
    }
    Lignes << c;
    for (const auto &e : n.Enfants) {
        EXPECT_EQ(e->pParent, &n);
        Decrit(*e, Lignes, nProf + 1);
    }
}

QStringList Lignes(const TArboDossiers &a)
{
    QStringList l;
    for (const auto &r : a.Racines)
        Decrit(*r, l);
    return l;
}

std::vector<TEnrLST> Liste(qint32 nVolume, const QStringList &Chemins)
{
    std::vector<TEnrLST> v;
    for (const QString &c : Chemins)
        v.push_back({nVolume, c});
    return v;
}
} // namespace

TEST(ArboDossiers, NodesListTheirOwnImagesWhenFoldersInterleave)
{
    TBigIniFile iniSetup{QString()};
    iniSetup.lAutoSave = false;
    iniSetup.WriteString(cSectionLabelsCD, IdVolume(7), QStringLiteral("ETE"));
    // In path order a sub-folder's images fall between its parent's, and a folder comes back
    // after another one on the same disc.
    const auto HorsCD = Liste(0, {"/a/b.jpg", "/a/b/x.jpg", "/a/b/y/z.jpg", "/a/c.jpg", "/a/d/w.jpg", "/r.jpg"});
    const auto CD = Liste(7, {"/D/1.JPG", "/D/E/2.JPG", "/D/3.JPG", "/R.JPG"});
    const TArboDossiers a = ConstruitArboDossiers(HorsCD, CD, iniSetup);
    const QString cCD = IdVolume(7) + QStringLiteral(" - \"ETE\"");
    EXPECT_EQ(Lignes(a),
              (QStringList{"/{/}[5]", "  a{/a/}[0,3]", "    b{/a/b/}[1]", "      y{/a/b/y/}[2]", "    d{/a/d/}[4]",
                           "CDs{}", "  " + cCD + "{/}[3]", "    D{/D/}[0,2]", "      E{/D/E/}[1]"}));
    ASSERT_EQ(a.Racines.size(), 2u);
    EXPECT_EQ(a.Racines[1]->nIcone, 4);
    EXPECT_EQ(a.Racines[0]->Enfants[0]->nIcone, 2);
    EXPECT_EQ(a.Racines[0]->Enfants[0]->Enfants[0]->Enfants[0]->nIcone, 2);
    const TNoeudDossier *d = a.Racines[1]->Enfants[0]->Enfants[0].get();
    EXPECT_TRUE(d->lCD);
    EXPECT_EQ(d->nVolume, 7);
    EXPECT_EQ(a.pPremier, a.Racines[0]->Enfants[0].get());

    // The same folders numbered once give the tree of any part of the images.
    TDossiersImages Dossiers;
    const std::vector<int> nHors = Dossiers.Dossiers(HorsCD), nCD = Dossiers.Dossiers(CD);
    EXPECT_EQ(Dossiers.Nombre(), 7) << "a, a/b, a/b/y, a/d, the disc, D, D/E";
    EXPECT_EQ(nHors[5], -1) << "an image at the root of \"/\"";
    const TArboDossiers Part = Dossiers.Arbo({nHors[4], nHors[1]}, {nCD[1]}, iniSetup);
    EXPECT_EQ(Lignes(Part), (QStringList{"/{/}", "  a{/a/}", "    d{/a/d/}[0]", "    b{/a/b/}[1]", "CDs{}",
                                         "  " + cCD + "{/}", "    D{/D/}", "      E{/D/E/}[0]"}));
    EXPECT_EQ(Part.pPremier->cTexte, QStringLiteral("d"));
    // Only CD images: the first folder is theirs.
    EXPECT_EQ(Dossiers.Arbo({}, {nCD[3]}, iniSetup).pPremier->cTexte, cCD);
    EXPECT_FALSE(Dossiers.Arbo({}, {}, iniSetup).ADesImages());
}

TEST(ArboDossiers, EmptyNamesAreSkippedOrKeptAsAsked)
{
    TBigIniFile iniSetup{QString()};
    iniSetup.lAutoSave = false;
    const auto CD = Liste(9, {"//r.jpg", "/x//a/1.jpg", "/x/a/2.jpg"});
    const QString cCD = IdVolume(9);
    // Skipped: "/x//a/" is "/x/a/", and an image under "//" lies at the disc's root.
    EXPECT_EQ(Lignes(ConstruitArboDossiers({}, CD, iniSetup)),
              (QStringList{"CDs{}", "  " + cCD + "{/}[0]", "    x{/x/}", "      a{/x/a/}[1,2]"}));
    // Kept: each spelling its own folder, named as the path spells it.
    EXPECT_EQ(Lignes(ConstruitArboDossiers({}, CD, iniSetup, Qt::KeepEmptyParts)),
              (QStringList{"CDs{}", "  " + cCD + "{/}", "    {//}[0]", "    x{/x/}", "      {/x//}",
                           "        a{/x//a/}[1]", "      a{/x/a/}[2]"}));
}

TEST(ArboDossiers, HistoryOrderGoesByDiscIdentifierThenUpperCasedPath)
{
    // "12-34" sorts before "8a3f-1" as text; within a disc case is set aside, then the exact
    // spelling decides.
    const qint32 d = qint32(0x8a3f0001u), e = 0x00120034;
    const std::vector<TEnrLST> CD = {{d, "/b.jpg"}, {e, "/z.jpg"}, {d, "/A.jpg"}, {d, "/a.jpg"}, {d, "/B.jpg"}};
    std::vector<TEnrLST> Tries;
    for (int i : OrdreHistoCD(CD))
        Tries.push_back(CD[size_t(i)]);
    EXPECT_EQ(Tries, (std::vector<TEnrLST>{{e, "/z.jpg"}, {d, "/A.jpg"}, {d, "/a.jpg"}, {d, "/B.jpg"}, {d, "/b.jpg"}}));
    EXPECT_EQ(CleTriHistoCD(d, "/ab.jpg"), QStringLiteral("8a3f-1/AB.JPG"));
}
