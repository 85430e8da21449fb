#include "cdhistory/ArboCD.h"
#include "exploration/ListeImages.h"
#include "filters/ImageFiltree.h"
#include "imaging/NomVignette.h"
#include "support/EcritJpeg.h"

#include "BancCD.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace
{
const TNoeudCD *Enfant(const TNoeudCD *p, const QString &cTexte)
{
    if (!p)
        return nullptr;
    for (const auto &e : p->Enfants)
        if (e->cTexte == cTexte)
            return e.get();
    return nullptr;
}

QStringList Chemins(const TNoeudCD *p)
{
    return p && p->Enr && p->Enr->lstChemins ? *p->Enr->lstChemins : QStringList{QStringLiteral("<aucune>")};
}

// The images \DCIM\A.JPG, \DCIM\SUB\B.JPG and \DCIM\C.JPG of one disc, entered out of order.
void HistoriqueDCIM(TBancCD &b)
{
    b.AjouteHistorique(b.Volume(), "/DCIM/C.JPG");
    b.AjouteHistorique(b.Volume(), "/DCIM/SUB/B.JPG");
    b.AjouteHistorique(b.Volume(), "/DCIM/A.JPG");
}
} // namespace

TEST(ArboCD, FoldersListTheirOwnImagesAndEveryNodeTellsTheDiscTotal)
{
    TBancCD b;
    HistoriqueDCIM(b);
    // Images off CDs share the section and stay out of the tree, as does a key without a path
    // from the disc's root.
    b.AjouteHistorique(0, "/home/ann/img.jpg");
    b.iniSetup.WriteString(cSectionTaillesVignettes, "<12>relatif.jpg", "5");

    const TArboCD a = ConstruitArboCD(b.iniSetup, {});
    ASSERT_TRUE(a.Racine);
    EXPECT_EQ(a.Racine->cTexte, "CDs");
    EXPECT_EQ(a.Racine->nIcone, 4);
    EXPECT_FALSE(a.Racine->Enr);
    ASSERT_EQ(a.Racine->Enfants.size(), 1u);
    const TNoeudCD *cd = a.Racine->Enfants.front().get();
    EXPECT_EQ(cd->cTexte, "8a3f-1");
    EXPECT_FALSE(cd->Enr->lstChemins) << "the disc's root holds no image";
    const TNoeudCD *dcim = Enfant(cd, "DCIM");
    const TNoeudCD *sub = Enfant(dcim, "SUB");
    ASSERT_TRUE(sub);
    EXPECT_EQ(Chemins(dcim), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG"}));
    EXPECT_EQ(Chemins(sub), QStringList({"/DCIM/SUB/B.JPG"}));
    EXPECT_EQ(dcim->nIcone, 2);
    EXPECT_EQ(cd->nIcone, 0);
    for (const TNoeudCD *n : {cd, dcim, sub}) {
        EXPECT_EQ(n->Enr->nIdCD, b.Volume());
        EXPECT_EQ(n->Enr->nNbImagesCD, 3) << n->cTexte.toStdString();
    }
    // With nothing remembered, the root is the one selected.
    EXPECT_EQ(a.pChoisi, a.Racine.get());
}

TEST(ArboCD, RootImagesLabelsCaseAndSeveralDiscs)
{
    TBancCD b;
    HistoriqueDCIM(b);
    b.AjouteHistorique(b.Volume(), "/RACINE.JPG");
    // Linux folders differing by case are two folders.
    b.AjouteHistorique(b.Volume(), "/dcim/D.JPG");
    const qint32 nAutre = 0x00120034;
    b.AjouteHistorique(nAutre, "/X/Y.JPG");
    b.iniSetup.WriteString(cSectionLabelsCD, "8a3f-1", "PHOTOS");

    const TArboCD a = ConstruitArboCD(b.iniSetup, {});
    ASSERT_TRUE(a.Racine);
    ASSERT_EQ(a.Racine->Enfants.size(), 2u);
    // Discs in the order of their identifier text: "12-34" before "8a3f-1".
    EXPECT_EQ(a.Racine->Enfants[0]->cTexte, "12-34");
    const TNoeudCD *cd = a.Racine->Enfants[1].get();
    EXPECT_EQ(cd->cTexte, "8a3f-1 - \"PHOTOS\"");
    EXPECT_EQ(Chemins(cd), QStringList({"/RACINE.JPG"}));
    EXPECT_EQ(cd->nIcone, 2);
    EXPECT_EQ(Chemins(Enfant(cd, "DCIM")), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG"}));
    EXPECT_EQ(Chemins(Enfant(cd, "dcim")), QStringList({"/dcim/D.JPG"}));
    EXPECT_EQ(cd->Enr->nNbImagesCD, 5);
    EXPECT_EQ(a.Racine->Enfants[0]->Enr->nNbImagesCD, 1);

    EXPECT_EQ(LegendeCD(b.iniSetup, nAutre), "12-34");
}

TEST(ArboCD, TheRememberedPlaceIsSelectedAgainEvenWithoutImagesOfItsOwn)
{
    TBancCD b;
    HistoriqueDCIM(b);
    b.AjouteHistorique(b.Volume(), "/VIDE/SOUS/E.JPG");

    TArboCD a = ConstruitArboCD(b.iniSetup, {});
    const TNoeudCD *cd = a.Racine->Enfants.front().get();
    const TNoeudCD *sub = Enfant(Enfant(cd, "DCIM"), "SUB");
    const TNoeudCD *vide = Enfant(cd, "VIDE");
    ASSERT_TRUE(sub && vide);

    const TEnrHistoCD PlaceSub = PlaceDeNoeud(sub);
    EXPECT_EQ(PlaceSub.nIdCD, b.Volume());
    EXPECT_EQ(PlaceSub.cDossier, "/DCIM/SUB/");
    TArboCD a2 = ConstruitArboCD(b.iniSetup, PlaceSub);
    ASSERT_TRUE(a2.pChoisi);
    EXPECT_EQ(a2.pChoisi->cTexte, "SUB");
    EXPECT_EQ(a2.pChoisi->pParent->cTexte, "DCIM");

    // A folder without images of its own, and the disc itself, are found again too.
    TArboCD a3 = ConstruitArboCD(b.iniSetup, PlaceDeNoeud(vide));
    EXPECT_EQ(a3.pChoisi->cTexte, "VIDE");
    TArboCD a4 = ConstruitArboCD(b.iniSetup, PlaceDeNoeud(cd));
    EXPECT_EQ(a4.pChoisi->nNiveau, 1);

    // The root, or a place that left the history, gives the root.
    EXPECT_EQ(PlaceDeNoeud(a.Racine.get()).nIdCD, 0);
    TArboCD a5 = ConstruitArboCD(b.iniSetup, {b.Volume(), "/PARTI/"});
    EXPECT_EQ(a5.pChoisi, a5.Racine.get());
    // Case counts in the remembered folder too.
    TArboCD a6 = ConstruitArboCD(b.iniSetup, {b.Volume(), "/dcim/sub/"});
    EXPECT_EQ(a6.pChoisi, a6.Racine.get());
}

TEST(ArboCD, HintsAndAnEmptyHistory)
{
    TBancCD b;
    EXPECT_FALSE(ConstruitArboCD(b.iniSetup, {}).Racine);
    b.AjouteHistorique(0, "/home/ann/img.jpg");
    EXPECT_FALSE(ConstruitArboCD(b.iniSetup, {}).Racine);

    HistoriqueDCIM(b);
    b.AjouteHistorique(0x00120034, "/X/Y.JPG");
    const TArboCD a = ConstruitArboCD(b.iniSetup, {});
    const TNoeudCD *cd = a.Racine->Enfants[1].get();
    EXPECT_EQ(BulleNoeudCD(a.Racine.get()), "2 CDs");
    EXPECT_EQ(BulleNoeudCD(cd), "8a3f-1 - 3 image(s)");
    EXPECT_EQ(BulleNoeudCD(Enfant(cd, "DCIM")), "DCIM - 2 image(s) / 3");
    EXPECT_EQ(BulleNoeudCD(nullptr), "");
}

namespace
{
struct TListeCD : TBancCD
{
    TModeleListeImages Modele;
    TContexteListe Ctx;
    TArboCD Arbo;

    TListeCD()
    {
        Ctx.iniSetup = &iniSetup;
        Ctx.pVolumes = &Volumes;
        Ctx.cDossierVignettes = Vignettes();
    }
    const TNoeudCD *Noeud(const QStringList &Textes)
    {
        Arbo = ConstruitArboCD(iniSetup, {});
        const TNoeudCD *p = Arbo.Racine.get();
        for (const QString &c : Textes)
            p = Enfant(p, c);
        return p;
    }
    int Liste(const TNoeudCD *p, bool lRecursif, std::function<bool(TCandidatFiltre &)> fnFiltre = {})
    {
        TDemandeListe d;
        d.nMode = TModeListe::HistoriqueCD;
        d.Produit = [&](TListeur &l, bool lCompteSeul) {
            return p ? ListeNoeudCD(*p, l, Ctx, fnFiltre, lRecursif, lCompteSeul) : 0;
        };
        return ConstruitListe(Modele, Ctx, d);
    }
    QStringList Listees() const
    {
        QStringList l;
        for (int i = 0; i < Modele.Nombre(); ++i)
            l << Modele.Enr(i).cChemin;
        l.sort();
        return l;
    }
};
} // namespace

TEST(ListeNoeudCD, ListsTheNodeOrItsWholeSubTreeAndNothingForTheRoot)
{
    TListeCD f;
    HistoriqueDCIM(f);
    const TNoeudCD *dcim = f.Noeud({"8a3f-1", "DCIM"});
    ASSERT_TRUE(dcim);
    EXPECT_EQ(f.Liste(dcim, false), 2);
    EXPECT_EQ(f.Listees(), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG"}));
    dcim = f.Noeud({"8a3f-1", "DCIM"});
    EXPECT_EQ(f.Liste(dcim, true), 3);
    EXPECT_EQ(f.Listees(), QStringList({"/DCIM/A.JPG", "/DCIM/C.JPG", "/DCIM/SUB/B.JPG"}));
    EXPECT_EQ(f.Liste(f.Noeud({}), true), 0);

    // Counting gives the same number without listing, and the filter sees every candidate.
    TModeleListeImages Autre;
    TListeur l(Autre, f.Ctx);
    dcim = f.Noeud({"8a3f-1", "DCIM"});
    EXPECT_EQ(ListeNoeudCD(*dcim, l, f.Ctx, {}, true, true), 3);
    EXPECT_EQ(Autre.Nombre(), 0);
    QStringList Vus;
    EXPECT_EQ(f.Liste(dcim, true,
                      [&](TCandidatFiltre &c) {
                          Vus << c.cChemin;
                          return c.cChemin.endsWith("B.JPG");
                      }),
              1);
    EXPECT_EQ(Vus.size(), 3);
    EXPECT_EQ(f.Listees(), QStringList({"/DCIM/SUB/B.JPG"}));
}

TEST(ListeNoeudCD, SizeAndDateFromTheFileOrFromTheCacheWhenTheDiscIsAbsent)
{
    TListeCD f;
    f.Insere("PHOTOS");
    ASSERT_TRUE(EcritJpeg(f.Disque() + "DCIM/A.JPG", 40, 30, Qt::red, 500));
    const qint64 nTailleFichier = QFileInfo(f.Disque() + "DCIM/A.JPG").size();
    const QString cVignette = NomVignette(f.Vignettes(), f.Volume(), "/DCIM/A.JPG");
    ASSERT_TRUE(EcritJpeg(cVignette, 16, 12, Qt::red));
    utimbuf t{1100000000, 1100000000};
    ASSERT_EQ(::utime(QFile::encodeName(cVignette).constData(), &t), 0);
    utimbuf tf{1200000000, 1200000000};
    ASSERT_EQ(::utime(QFile::encodeName(f.Disque() + "DCIM/A.JPG").constData(), &tf), 0);
    f.AjouteHistorique(f.Volume(), "/DCIM/A.JPG", 777);
    f.AjouteHistorique(f.Volume(), "/DCIM/SANS.JPG", 888);

    ASSERT_EQ(f.Liste(f.Noeud({"8a3f-1", "DCIM"}), false), 2);
    const TEnrLV *a = nullptr;
    for (int i = 0; i < f.Modele.Nombre(); ++i)
        if (f.Modele.Enr(i).cChemin == "/DCIM/A.JPG")
            a = &f.Modele.Enr(i);
    ASSERT_TRUE(a);
    EXPECT_TRUE(a->lExiste);
    EXPECT_EQ(a->nTaille, nTailleFichier);
    EXPECT_EQ(a->nDate, 1200000000);

    f.Ejecte();
    ASSERT_EQ(f.Liste(f.Noeud({"8a3f-1", "DCIM"}), false), 2);
    for (int i = 0; i < f.Modele.Nombre(); ++i) {
        const TEnrLV &e = f.Modele.Enr(i);
        EXPECT_FALSE(e.lExiste);
        if (e.cChemin == "/DCIM/A.JPG") {
            EXPECT_EQ(e.nTaille, 777);
            EXPECT_EQ(e.nDate, 1100000000);
        } else {
            EXPECT_EQ(e.nTaille, 888);
            EXPECT_EQ(e.nDate, 0) << "no thumbnail, no date";
        }
    }
}

TEST(ListeNoeudCD, AnInterruptionStopsEveryLevel)
{
    TListeCD f;
    HistoriqueDCIM(f);
    int nAppels = 0;
    f.Ctx.Interrompre = [&] { return ++nAppels == 1; };
    EXPECT_EQ(f.Liste(f.Noeud({"8a3f-1"}), true), 1);
}

TEST(ArboCD, EmptyNamesOnADiscAreFoldersOfTheirOwnAndFoundAgain)
{
    TBigIniFile iniSetup{QString()};
    iniSetup.lAutoSave = false;
    const qint32 nId = 7;
    const QStringList Cles = {CleImage(nId, "/x/a/2.jpg"), CleImage(nId, "/x//a/1.jpg"), CleImage(nId, "//r.jpg")};
    const TArboCD a = ConstruitArboCD(Cles, iniSetup, {});
    ASSERT_TRUE(a.Racine);
    const TNoeudCD *cd = Enfant(a.Racine.get(), IdVolume(nId));
    ASSERT_TRUE(cd);
    // "//" and "/x//" are folders with an empty name, kept apart from "/x/a/".
    const TNoeudCD *vide = Enfant(cd, "");
    EXPECT_EQ(Chemins(vide), QStringList{"//r.jpg"});
    EXPECT_EQ(vide ? vide->cDossier : QString(), "//");
    const TNoeudCD *x = Enfant(cd, "x");
    const TNoeudCD *xa = Enfant(x, "a");
    const TNoeudCD *xva = Enfant(Enfant(x, ""), "a");
    ASSERT_TRUE(xa && xva);
    EXPECT_EQ(Chemins(xa), QStringList{"/x/a/2.jpg"});
    EXPECT_EQ(Chemins(xva), QStringList{"/x//a/1.jpg"});
    EXPECT_EQ(xva->nNiveau, 4);
    EXPECT_EQ(xva->Enr->nNbImagesCD, 3);
    const TArboCD b = ConstruitArboCD(Cles, iniSetup, PlaceDeNoeud(xva));
    ASSERT_TRUE(b.pChoisi);
    EXPECT_EQ(b.pChoisi->cDossier, "/x//a/");
    EXPECT_EQ(Chemins(b.pChoisi), QStringList{"/x//a/1.jpg"});
}
