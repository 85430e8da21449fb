// Times the criteria editor's rename, move and delete of a subtree that 20,000 of 100,000
// images use, against SQLite holding the same criteria.
//
// Ours: one operation of TEditionCriteres each, everything a user waits for: the journal line
// (synced), the key rewrite of every image section under the path, the index kept current in
// place, the tree and number in the settings store, and the catalogue file saved (temporary
// file, fsync, rename). Then a search on the moved criteria, whose answer is checked equal to a
// freshly built index's.
//
// The SQLite peer: a database file in WAL mode with synchronous=FULL,
//   image(id INTEGER PRIMARY KEY, cle TEXT NOT NULL UNIQUE)
//   critere(image INTEGER NOT NULL, chemin TEXT NOT NULL, PRIMARY KEY(image, chemin)) WITHOUT ROWID
//   INDEX critere_chemin ON critere(chemin, image)
// and each operation one transaction of indexed range statements (a path P and its subtree
// are chemin = P or chemin in [P || '/', P || '0'), '0' following '/'):
//   rename, move: UPDATE critere SET chemin = :nouveau || substr(chemin, :n) WHERE <subtree>
//   delete:       UPDATE OR IGNORE critere SET chemin = :parent WHERE <subtree>;
//                 DELETE FROM critere WHERE <subtree>;   -- the rows a duplicate kept back
//                 DELETE FROM critere WHERE chemin = :parent AND EXISTS (SELECT 1 FROM
//                   critere b WHERE b.image = critere.image AND b.chemin >= :parent || '/' AND
//                   b.chemin < :parent || '0')           -- the parent beside a deeper path
// After each, the (image, path) sets of both are compared.
//
// Times: wall clock (what the user waits for, syncs included) and processor time of the
// thread (the machine is shared). "<name>_vs_sqlite" is SQLite's time divided by ours.

#include "CatalogueGenere.h"
#include "BancSqlite.h"
#include "classification/EditionCriteres.h"
#include "classification/IndexClassement.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace
{
constexpr int nImages = 100000;

using namespace MesureBanc;

using TPaires = std::set<std::pair<QString, QString>>;

TPaires PairesStore(const TBigIniFile &ini)
{
    TPaires p;
    QStringList Sections, Cles;
    ini.ReadSections(Sections);
    for (const QString &s : std::as_const(Sections)) {
        ini.ReadSection(s, Cles);
        for (const QString &c : std::as_const(Cles))
            p.insert({s, c});
    }
    return p;
}

TPaires PairesSqlite(sqlite3 *db)
{
    TPaires p;
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, "SELECT i.cle, c.chemin FROM critere c JOIN image i ON i.id = c.image", -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW)
        p.insert({Colonne(s, 0), Colonne(s, 1)});
    sqlite3_finalize(s);
    return p;
}

class TPair
{
public:
    explicit TPair(const QString &cFichier)
    {
        sqlite3_open(cFichier.toUtf8().constData(), &db);
        Exec(db, "PRAGMA journal_mode=WAL");
        Exec(db, "PRAGMA synchronous=FULL");
        Exec(db, "CREATE TABLE image(id INTEGER PRIMARY KEY, cle TEXT NOT NULL UNIQUE)");
        Exec(db, "CREATE TABLE critere(image INTEGER NOT NULL, chemin TEXT NOT NULL, PRIMARY KEY(image, chemin)) "
                 "WITHOUT ROWID");
        Exec(db, "CREATE INDEX critere_chemin ON critere(chemin, image)");
        const char *cSousArbre = "(chemin = ?1 OR (chemin >= ?1 || '/' AND chemin < ?1 || '0'))";
        auto Prepare = [&](QByteArray Sql) {
            Sql.replace("<sous-arbre>", cSousArbre);
            sqlite3_stmt *s = nullptr;
            if (sqlite3_prepare_v2(db, Sql.constData(), -1, &s, nullptr) != SQLITE_OK)
                std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
            return s;
        };
        sRecle = Prepare("UPDATE critere SET chemin = ?2 || substr(chemin, length(?1) + 1) WHERE <sous-arbre>");
        sCoupe = Prepare("UPDATE OR IGNORE critere SET chemin = ?2 WHERE <sous-arbre>");
        sReste = Prepare("DELETE FROM critere WHERE <sous-arbre>");
        sAncetre = Prepare("DELETE FROM critere WHERE chemin = ?1 AND EXISTS (SELECT 1 FROM critere b "
                           "WHERE b.image = critere.image AND b.chemin >= ?1 || '/' AND b.chemin < ?1 || '0')");
    }
    ~TPair()
    {
        for (sqlite3_stmt *s : {sRecle, sCoupe, sReste, sAncetre})
            sqlite3_finalize(s);
        sqlite3_close(db);
    }
    void Charge(const TCatalogue &c)
    {
        Exec(db, "BEGIN");
        sqlite3_stmt *si = nullptr, *sc = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO image(id, cle) VALUES(?1, ?2)", -1, &si, nullptr);
        sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO critere(image, chemin) VALUES(?1, ?2)", -1, &sc, nullptr);
        for (size_t i = 0; i < c.Images.size(); ++i) {
            sqlite3_bind_int64(si, 1, qint64(i));
            Lie(si, 2, c.Images[i]);
            Execute(si);
            for (const QString &p : c.Criteres[i]) {
                sqlite3_bind_int64(sc, 1, qint64(i));
                Lie(sc, 2, p);
                Execute(sc);
            }
        }
        sqlite3_finalize(si);
        sqlite3_finalize(sc);
        Exec(db, "COMMIT");
        Exec(db, "ANALYZE");
    }
    // Rename and move: the subtree's paths take their new beginning.
    void Recle(const QString &cAncien, const QString &cNouveau)
    {
        Exec(db, "BEGIN");
        Lie(sRecle, 1, cAncien);
        Lie(sRecle, 2, cNouveau);
        Execute(sRecle);
        Exec(db, "COMMIT");
    }
    void Supprime(const QString &cChemin, const QString &cParent)
    {
        Exec(db, "BEGIN");
        Lie(sCoupe, 1, cChemin);
        Lie(sCoupe, 2, cParent);
        Execute(sCoupe);
        Lie(sReste, 1, cChemin);
        Execute(sReste);
        Lie(sAncetre, 1, cParent);
        Execute(sAncetre);
        Exec(db, "COMMIT");
    }
    sqlite3 *db = nullptr;

private:
    sqlite3_stmt *sRecle = nullptr, *sCoupe = nullptr, *sReste = nullptr, *sAncetre = nullptr;
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    QTemporaryDir Temp;
    std::mt19937 Alea(20261209);
    TCatalogue c = GenereCatalogue(Alea, nImages);
    // The subtree: every fifth image holds Rome or Venise (and a few both), no other does.
    const QString cItalie = QStringLiteral("Lieux/Italie");
    for (size_t i = 0; i < c.Criteres.size(); ++i) {
        std::erase_if(c.Criteres[i], [&](const QString &p) { return p.startsWith(cItalie + '/'); });
        if (i % 5 == 0) {
            c.Criteres[i].push_back(cItalie + (i % 10 == 0 ? "/Rome" : "/Venise"));
            if (i % 35 == 0)
                c.Criteres[i].push_back(cItalie + "/Venise");
        }
    }

    TBigIniFile iniBDD(Temp.filePath("KX_BDD.ini"), true), iniSetup(Temp.filePath("KX_Setup.ini"));
    iniBDD.lAutoSave = iniSetup.lAutoSave = false;
    for (size_t i = 0; i < c.Images.size(); ++i) {
        std::vector<std::pair<QString, QString>> Lignes;
        for (const QString &p : c.Criteres[i])
            Lignes.push_back({p, QString()});
        iniBDD.RemplaceSection(c.Images[i], Lignes);
    }
    std::vector<std::pair<QString, QString>> Arbre;
    for (const QString &p : c.Chemins) {
        const QStringList l = p.split('/');
        for (qsizetype k = 1; k <= l.size(); ++k) {
            const QString cPrefixe = QStringList(l.mid(0, k)).join('/');
            if (std::find_if(Arbre.begin(), Arbre.end(), [&](const auto &x) { return x.first == cPrefixe; })
                == Arbre.end())
                Arbre.push_back({cPrefixe, QString()});
        }
    }
    Arbre.push_back({cItalie + "/Venise", QString()});
    iniSetup.RemplaceSection(cSectionCritHier, Arbre);
    iniBDD.UpdateFile();
    iniSetup.UpdateFile();

    TPair Pair(Temp.filePath("peer.db"));
    Pair.Charge(c);

    TIndexClassement Index(iniBDD, iniSetup);
    Index.Actualise();
    TJournalCriteres Journal(Temp.filePath(cNomJournalCriteres));
    TEditionCriteres Ed(iniSetup, iniBDD, &Index, Journal);
    Ed.Arbo().DepuisSection(iniSetup);

    int nAffectees = 0;
    for (const auto &l : c.Criteres)
        nAffectees += std::any_of(l.begin(), l.end(), [&](const QString &p) { return p.startsWith(cItalie + '/'); });
    std::printf("images %d, images under %s %d, nodes %d\n", nImages, qPrintable(cItalie), nAffectees,
                Ed.Arbo().Nombre());

    bool lEgaux = true;
    auto Mediane = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // Each operation is timed nTours times, going back and forth (a delete once), median kept;
    // the (image, path) sets are compared after the last.
    auto Mesure = [&](const char *cNom, const std::vector<std::pair<TOperationCritere, std::function<void()>>> &Ops) {
        std::vector<double> NousMur, NousCpu, EuxMur, EuxCpu;
        for (const auto &[Op, fnPair] : Ops) {
            QString cErreur;
            const TTemps Nous = Chrono([&] {
                if (!Ed.Applique(Op, cErreur))
                    std::fprintf(stderr, "%s\n", qPrintable(cErreur));
            });
            const TTemps Eux = Chrono(fnPair);
            NousMur.push_back(Nous.dMur);
            NousCpu.push_back(Nous.dCpu);
            EuxMur.push_back(Eux.dMur);
            EuxCpu.push_back(Eux.dCpu);
        }
        const bool lEgal = PairesStore(iniBDD) == PairesSqlite(Pair.db);
        lEgaux = lEgaux && lEgal;
        const TTemps Nous{Mediane(NousMur), Mediane(NousCpu)}, Eux{Mediane(EuxMur), Mediane(EuxCpu)};
        std::printf("%s (median of %zu): ours %.1f ms (cpu %.1f), sqlite %.1f ms (cpu %.1f), same (image, path) sets: "
                    "%s\n",
                    cNom, Ops.size(), Nous.dMur, Nous.dCpu, Eux.dMur, Eux.dCpu, lEgal ? "yes" : "NO");
        Bench(QStringLiteral("critedit_%1_20000").arg(cNom).toUtf8().constData(), Nous.dMur, "ms");
        Bench(QStringLiteral("critedit_%1_20000_cpu").arg(cNom).toUtf8().constData(), Nous.dCpu, "ms");
        Bench(QStringLiteral("critedit_%1_vs_sqlite").arg(cNom).toUtf8().constData(), Eux.dMur / Nous.dMur, "x");
        Bench(QStringLiteral("critedit_%1_vs_sqlite_cpu").arg(cNom).toUtf8().constData(), Eux.dCpu / Nous.dCpu, "x");
    };
    const QString cItalia = QStringLiteral("Lieux/Italia");
    std::vector<std::pair<TOperationCritere, std::function<void()>>> Renommages, Deplacements;
    for (int i = 0; i < 5; ++i) {
        const QString cDe = i % 2 ? cItalia : cItalie, cVers = i % 2 ? cItalie : cItalia;
        Renommages.push_back({{TGenreOpCritere::Renommage, cDe, CaptionChemin(cVers), 0},
                              [&Pair, cDe, cVers] { Pair.Recle(cDe, cVers); }});
    }
    Mesure("rename", Renommages); // ends on Lieux/Italia
    for (int i = 0; i < 5; ++i) {
        const QString cDe = i % 2 ? "Sujets/Italia" : cItalia, cVers = i % 2 ? cItalia : "Sujets/Italia";
        const QString cCible = ParentChemin(cVers);
        Deplacements.push_back(
            {{TGenreOpCritere::Deplacement, cDe, cCible, 0}, [&Pair, cDe, cVers] { Pair.Recle(cDe, cVers); }});
    }
    Mesure("move", Deplacements); // ends on Sujets/Italia

    // A search on the moved subtree, against a fresh index.
    TRechercheCompilee r;
    r.CritCoches = {QStringLiteral("Sujets/Italia")};
    std::vector<int> Trouves;
    std::vector<double> RechMur, RechCpu;
    for (int i = 0; i < 20; ++i) {
        const TTemps t = Chrono([&] {
            Index.Actualise();
            Trouves = Index.Selectionne(r, true);
        });
        RechMur.push_back(t.dMur);
        RechCpu.push_back(t.dCpu);
    }
    const TTemps Recherche{Mediane(RechMur), Mediane(RechCpu)};
    TIndexClassement Frais(iniBDD, iniSetup);
    Frais.Actualise();
    std::set<QString> a, b;
    for (int n : Trouves)
        a.insert(Index.Cle(n));
    for (int n : Frais.Selectionne(r, true))
        b.insert(Frais.Cle(n));
    std::printf("search after: %zu images, equal to a fresh index: %s (replayed %d, rebuilt %d)\n", a.size(),
                a == b ? "yes" : "NO", Index.nDerniersRejoues, Index.nDernieresReconstructions);
    lEgaux = lEgaux && a == b && int(a.size()) == nAffectees;
    Bench("critedit_search_after", Recherche.dMur, "ms");
    Bench("critedit_search_after_cpu", Recherche.dCpu, "ms");

    Mesure("delete", {{{TGenreOpCritere::Suppression, "Sujets/Italia", QString(), 0},
                       [&] { Pair.Supprime(QStringLiteral("Sujets/Italia"), QStringLiteral("Sujets")); }}});
    QString cErreur;
    Ed.Ferme(cErreur);
    std::printf("results %s\n", lEgaux ? "equal" : "DIFFERENT");
    return lEgaux ? 0 : 1;
}
