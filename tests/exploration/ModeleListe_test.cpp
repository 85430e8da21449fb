#include "exploration/ColonnesListe.h"
#include "exploration/ModeleListe.h"
#include "storage/BigIniFiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
std::unique_ptr<TEnrLV> Entree(const QString &cChemin, qint64 nTaille = 0, qint64 nDate = 0)
{
    auto p = std::make_unique<TEnrLV>();
    p->cChemin = cChemin;
    p->nTaille = nTaille;
    p->nDate = nDate;
    p->lExiste = true;
    return p;
}

QStringList Noms(const TModeleListeImages &m)
{
    QStringList l;
    for (int i = 0; i < m.Nombre(); ++i)
        l << m.Enr(i).NomFichier();
    return l;
}
}

TEST(ColonnesListe, OrderDtrEGivesColumnsAndVisibility)
{
    TModeleListeImages m;
    m.MetOrdreCol("DtrE");
    ASSERT_EQ(m.columnCount(), 5);
    QStringList titres;
    QList<bool> visibles;
    for (int c = 0; c < 5; ++c) {
        titres << m.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        visibles << m.headerData(c, Qt::Horizontal, TModeleListeImages::RoleVisible).toBool();
    }
    EXPECT_EQ(titres, QStringList({"Nom", "Date", "Taille", "Résol.", "Emplacement"}));
    EXPECT_EQ(visibles, QList<bool>({true, true, false, false, true}));

    // Damaged settings fall back to the default instead of losing or doubling a column.
    EXPECT_EQ(ColonnesListe::OrdreValide("DDtr"), "eRTD");
    EXPECT_EQ(ColonnesListe::OrdreValide("xRTD"), "eRTD");
    EXPECT_EQ(ColonnesListe::OrdreValide("eRT"), "eRTD");
    EXPECT_EQ(ColonnesListe::OrdreValide("tdER"), "tdER");
}

TEST(ColonnesListe, ColumnMenuAndColumnClick)
{
    EXPECT_EQ(ColonnesListe::BasculeLettre("eRTD", 'E'), "ERTD");
    EXPECT_EQ(ColonnesListe::BasculeLettre("eRTD", 't'), "eRtD");
    EXPECT_EQ(ColonnesListe::Permutation("eRTD", "DtrE"), QList<int>({3, 2, 1, 0}));
    EXPECT_EQ(ColonnesListe::CleDeColonne("Nom"), 0);
    EXPECT_EQ(ColonnesListe::CleDeColonne("Emplacement"), 1);
    EXPECT_EQ(ColonnesListe::CleDeColonne("Résol."), 3);
    EXPECT_EQ(ColonnesListe::CleDeColonne("Taille"), 4);
    EXPECT_EQ(ColonnesListe::CleDeColonne("Date"), 5);
    EXPECT_EQ(ColonnesListe::TitresMenuTri().at(3), "la &Résolution (+l'emplacement+le nom)");
}

TEST(ColonnesListe, TextsFollowTheirColumnWhenTheOrderChanges)
{
    TModeleListeImages m;
    m.Ajoute(Entree("/photos/a.jpg", 1025, 0), false);
    auto Texte = [&](int c) { return m.data(m.index(0, c), Qt::DisplayRole).toString(); };
    EXPECT_EQ(Texte(1), "/photos/"); // e: hidden location
    EXPECT_EQ(Texte(2), "");         // R: empty until known
    EXPECT_EQ(Texte(3), "1,00 Ko");  // T
    EXPECT_EQ(Texte(4), "");         // D: no date
    m.ColonnesListe("TDER");
    EXPECT_EQ(Texte(1), "1,00 Ko");
    EXPECT_EQ(Texte(3), "/photos/");
    EXPECT_EQ(m.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Taille");
    EXPECT_EQ(m.data(m.index(0, 1), Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
}

TEST(ModeleListe, FavouritesCheckingChecksExactlyThem)
{
    QTemporaryDir t;
    TBigIniFile ini(t.path() + "/KX_Setup.ini");
    ini.lAutoSave = false;
    TModeleListeImages m;
    for (const char *c : {"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/d.jpg", "/p/e.jpg"})
        m.Ajoute(Entree(c), false);
    ini.WriteString("COUPS DE COEUR", "/p/b.jpg", "");
    ini.WriteString("COUPS DE COEUR", "/p/e.jpg", "");
    // A key spelt with other letter cases is another image.
    ini.WriteString("COUPS DE COEUR", "/p/C.jpg", "");

    QSignalSpy spy(&m, &TModeleListeImages::nbCochesChange);
    EXPECT_EQ(m.CocheSelon(true, CritereCoche(1, ini)), 2);
    EXPECT_EQ(m.nNbCoches(), 2);
    EXPECT_EQ(m.LignesCochees(), QList<int>({1, 4}));
    EXPECT_EQ(spy.count(), 2);

    // Checking all then unchecking the favourites leaves the three others.
    m.CocheSelon(true, CritereCoche(0, ini));
    EXPECT_EQ(m.nNbCoches(), 5);
    m.CocheSelon(false, CritereCoche(1, ini));
    EXPECT_EQ(m.LignesCochees(), QList<int>({0, 2, 3}));
}

TEST(ModeleListe, CheckCriteriaOnKindsAndData)
{
    QTemporaryDir t;
    TBigIniFile ini(t.path() + "/KX_Setup.ini");
    TModeleListeImages m;
    m.Ajoute(Entree("/p/a.jpg"), true);
    m.Ajoute(Entree("/p/b.NEF"), false);
    m.Ajoute(Entree("/p/c.png"), false);
    m.Enr(1).lIPTC = true;
    m.CocheSelon(true, CritereCoche(7, ini));
    EXPECT_EQ(m.LignesCochees(), QList<int>({1, 2}));
    m.CocheSelon(false, CritereCoche(0, ini));
    m.CocheSelon(true, CritereCoche(2, ini));
    EXPECT_EQ(m.LignesCochees(), QList<int>({0}));
    m.CocheSelon(true, CritereCoche(4, ini));
    EXPECT_EQ(m.LignesCochees(), QList<int>({0, 1}));
    EXPECT_EQ(m.Icone(1), 2);
    EXPECT_EQ(m.Icone(0), 4);
}

TEST(ModeleListe, SortKeepsChecksSelectionAndToggledRowWithTheirEntry)
{
    TModeleListeImages m;
    m.Ajoute(Entree("/p/Zèbre.jpg", 10, 300), false);
    m.Ajoute(Entree("/p/école.jpg", 30, 100), false);
    m.Ajoute(Entree("/p/abc.jpg", 20, 200), false);
    m.Ajoute(Entree("/a/zz.jpg", 20, 200), false);
    m.BasculeCoche(0);
    const QPersistentModelIndex sel = m.index(0, 0);

    m.MetCleTri(ColonnesListe::TriNom);
    m.TrieListe();
    // French order, case ignored: accents do not send a name after "z".
    EXPECT_EQ(Noms(m), QStringList({"abc.jpg", "école.jpg", "Zèbre.jpg", "zz.jpg"}));
    EXPECT_TRUE(m.Coche(2));
    EXPECT_EQ(m.nDerniereBasculee(), 2);
    EXPECT_EQ(sel.row(), 2);

    m.MetCleTri(ColonnesListe::TriEmplacement);
    m.TrieListe();
    EXPECT_EQ(Noms(m).first(), "zz.jpg");

    m.MetCleTri(ColonnesListe::TriDate);
    m.TrieListe();
    EXPECT_EQ(Noms(m), QStringList({"école.jpg", "zz.jpg", "abc.jpg", "Zèbre.jpg"}));

    // Equal sizes fall back on the folder, then the name.
    m.MetCleTri(ColonnesListe::TriTaille);
    m.TrieListe();
    EXPECT_EQ(Noms(m), QStringList({"Zèbre.jpg", "zz.jpg", "abc.jpg", "école.jpg"}));
}

TEST(ModeleListe, TypeSortGroupsExtensions)
{
    TModeleListeImages m;
    m.Ajoute(Entree("/p/b.png"), false);
    m.Ajoute(Entree("/p/a.tif"), false);
    m.Ajoute(Entree("/p/c.JPG"), false);
    m.Ajoute(Entree("/p/a.jpg"), false);
    m.MetCleTri(ColonnesListe::TriType);
    m.TrieListe();
    EXPECT_EQ(Noms(m), QStringList({"a.jpg", "c.JPG", "b.png", "a.tif"}));
}

TEST(ModeleListe, RemovingRowsKeepsTheCheckCount)
{
    TModeleListeImages m;
    for (int i = 0; i < 5; ++i)
        m.Ajoute(Entree(QString("/p/%1.jpg").arg(i)), false);
    m.BasculeCoche(1);
    m.BasculeCoche(3);
    m.BasculeCoche(4);
    m.SupprimeApres(2); // thumbnail loading interrupted at row 2
    EXPECT_EQ(m.Nombre(), 3);
    EXPECT_EQ(m.nNbCoches(), 1);
    EXPECT_EQ(m.nDerniereBasculee(), -1);
    m.Supprime(1);
    EXPECT_EQ(m.nNbCoches(), 0);
    EXPECT_EQ(Noms(m), QStringList({"0.jpg", "2.jpg"}));

    // Checking through the model interface, as a view does.
    EXPECT_TRUE(m.setData(m.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(m.nNbCoches(), 1);
    EXPECT_EQ(m.nDerniereBasculee(), 1);
}

TEST(ModeleListe, RemovingScatteredRowsInOneCallRemovesExactlyThem)
{
    TModeleListeImages m;
    for (int i = 0; i < 10; ++i)
        m.Ajoute(Entree(QString("/p/%1.jpg").arg(i)), false);
    m.BasculeCoche(3);
    m.BasculeCoche(5);
    m.BasculeCoche(9); // last toggled: row 9, which shifts down to 5 once rows 2, 3, 4 and 7 go
    QSignalSpy Retraits(&m, &QAbstractItemModel::rowsRemoved);
    QSignalSpy Coches(&m, &TModeleListeImages::nbCochesChange);

    m.SupprimeLignes({7, 3, 2, 4, 3, -1, 42});
    EXPECT_EQ(Noms(m), QStringList({"0.jpg", "1.jpg", "5.jpg", "6.jpg", "8.jpg", "9.jpg"}));
    EXPECT_EQ(m.nNbCoches(), 2);
    EXPECT_EQ(m.nDerniereBasculee(), 5);
    // One removal per run of adjacent rows, the last first, so that a view following them
    // one by one never removes a wrong item; the count changes once.
    ASSERT_EQ(Retraits.size(), 2);
    EXPECT_EQ(Retraits[0][1].toInt(), 7);
    EXPECT_EQ(Retraits[0][2].toInt(), 7);
    EXPECT_EQ(Retraits[1][1].toInt(), 2);
    EXPECT_EQ(Retraits[1][2].toInt(), 4);
    ASSERT_EQ(Coches.size(), 1);
    EXPECT_EQ(Coches[0][0].toInt(), 2);
}

#include "exploration/Historique.h"

TEST(Historique, FolderGoesToTheTopOnce)
{
    QStringList l{"/a/", "/b/", "/c/"};
    Historique::MetEnTete(l, "/c/");
    EXPECT_EQ(l, QStringList({"/c/", "/a/", "/b/"}));
    Historique::MetEnTete(l, "/d/");
    EXPECT_EQ(l, QStringList({"/d/", "/c/", "/a/", "/b/"}));
}

TEST(Historique, LongPathsLoseTheirMiddleAlternatelyRightAndLeft)
{
    qsizetype nPoint = 0;
    auto Tient = [](int n) { return [n](const QString &c) { return c.size() <= n; }; };
    EXPECT_EQ(Historique::RaccourcitMilieu("/photos/", Tient(20), &nPoint), "/photos/");
    EXPECT_EQ(nPoint, -1);
    // "abcdefgh": middle between "abcd" and "efgh"; first the right loses "e" ("abcd.fgh" is
    // still 8 long), then the left "d", then the right "f", then the left "c".
    EXPECT_EQ(Historique::RaccourcitMilieu("abcdefgh", Tient(7), &nPoint), "abc.fgh");
    EXPECT_EQ(nPoint, 3);
    EXPECT_EQ(Historique::RaccourcitMilieu("abcdefgh", Tient(6), &nPoint), "abc.gh");
    EXPECT_EQ(Historique::RaccourcitMilieu("abcdefgh", Tient(5), &nPoint), "ab.gh");
    EXPECT_EQ(nPoint, 2);
}
