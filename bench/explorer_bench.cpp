// The database explorer on a large catalogue: opening (sets and the folder tree), a criterion,
// a keyword, the EXIF tree on six levels and a selection at its third level, each beside an
// indexed SQLite database of the same data, whose answers (key lists per node) must match.
//
// SQLite peer: image(id INTEGER PRIMARY KEY, cle, dossier) with an index on (dossier, cle);
// ancetre(chemin, id) WITHOUT ROWID, primary key (chemin, id), one row per image and per
// criterion path or ancestor of one; motcle(mot COLLATE NOCASE, id) WITHOUT ROWID; exif(id
// PRIMARY KEY, the six values) with an index on (appareil, focale, vitesse). Journal off,
// synchronous off, temp store in memory, ANALYZE after loading; statements prepared once.

#include "BancSqlite.h"
#include "CatalogueGenere.h"
#include "classification/ExploreBDD.h"
#include "classification/IndexClassement.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QCoreApplication>
#include <QHash>
#include <QTemporaryDir>

#include <map>
#include <set>

using namespace MesureBanc;

namespace
{
using TReponse = std::map<QString, std::set<QString>>; // folder → keys

// The folder a key groups under: its volume and the path up to its last "/".
QString DossierDe(const QString &cCle)
{
    return cCle.left(cCle.lastIndexOf(QLatin1Char('/')) + 1);
}

TReponse ReponseArbre(const TArboDossiers &Arbo, const TListesPage &Listes)
{
    TReponse r;
    std::vector<const TNoeudDossier *> Pile;
    for (const auto &p : Arbo.Racines)
        Pile.push_back(p.get());
    while (!Pile.empty()) {
        const TNoeudDossier *n = Pile.back();
        Pile.pop_back();
        for (const QString &c : ClesNoeud(*n, Listes))
            r[DossierDe(c)].insert(c);
        for (const auto &e : n->Enfants)
            Pile.push_back(e.get());
    }
    return r;
}

TReponse ReponseSql(sqlite3_stmt *s)
{
    TReponse r;
    while (sqlite3_step(s) == SQLITE_ROW)
        r[Colonne(s, 0)].insert(Colonne(s, 1));
    sqlite3_reset(s);
    return r;
}

sqlite3_stmt *Prepare(sqlite3 *db, const char *cSql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, cSql, -1, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s (%s)\n", sqlite3_errmsg(db), cSql);
        std::exit(1);
    }
    return s;
}

template <class F>
double Meilleur(F &&f, double *pCpu = nullptr)
{
    double dMur = 1e30, dCpu = 1e30;
    for (int i = 0; i < 5; ++i) {
        const TTemps t = Chrono(f);
        dMur = std::min(dMur, t.dMur);
        dCpu = std::min(dCpu, t.dCpu);
    }
    if (pCpu)
        *pCpu = dCpu;
    return dMur;
}

void Compare(const char *cNom, const TReponse &a, const TReponse &b)
{
    if (a != b) {
        std::fprintf(stderr, "%s: the answers differ (%zu and %zu folders)\n", cNom, a.size(), b.size());
        std::exit(1);
    }
}

void Rapporte(const char *cNom, double dNous, double dCpu, double dSql)
{
    Bench(QStringLiteral("explorer_%1").arg(QLatin1String(cNom)).toUtf8().constData(), dNous, "ms");
    Bench(QStringLiteral("explorer_%1_cpu").arg(QLatin1String(cNom)).toUtf8().constData(), dCpu, "ms");
    Bench(QStringLiteral("explorer_%1_vs_sqlite").arg(QLatin1String(cNom)).toUtf8().constData(), dSql / dNous, "x");
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    std::mt19937 Alea(45);
    // 100,000 images (a tenth on CDs) and 5,000 more on 10 other CDs.
    TCatalogue c = GenereCatalogue(Alea, 100000);
    for (int i = 0; i < 5000; ++i) {
        c.Images.push_back(QStringLiteral("<%1>/DISQUE/%2/IMG_%3.JPG").arg(1000 + i % 10).arg(i % 37).arg(i));
        c.Criteres.push_back({c.Chemins[size_t(Alea() % c.Chemins.size())]});
    }
    const int nImages = int(c.Images.size());
    TBigIniFile iniBDD(QString(), true), iniSetup{QString()};
    iniBDD.lAutoSave = false;
    iniSetup.lAutoSave = false;
    std::vector<QString> MotsImages(static_cast<size_t>(nImages));
    TValeursEXIF Valeurs;
    const char *const Appareils[] = {"Canon EOS 300D", "NIKON D70",     "DSC-W1",
                                     "E-300",          "FinePix S5000", "PowerShot A70"};
    const char *const Vitesses[] = {"1/250", "1/60", "1/125", "2", "1/1000", "1/30", "0,5", "1/0"};
    const char *const Diaph[] = {"2,8", "4", "5,6", "8", "11", "3,5"};
    for (int i = 0; i < nImages; ++i) {
        const QString &k = c.Images[size_t(i)];
        for (const QString &p : c.Criteres[size_t(i)])
            iniBDD.WriteString(k, p, QString());
        if (i % 3 == 0) {
            MotsImages[size_t(i)] = MotsCles(Alea);
            iniSetup.WriteString(cSectionMotsCles, k, MotsImages[size_t(i)]);
        }
        if (i % 50 == 0)
            iniSetup.WriteString(cSectionCoupsDeCoeur, k, QStringLiteral("1"));
        if (i % 11 != 0)
            Valeurs.insert(k, QStringList{QString::fromLatin1(Appareils[i % 6]), QString::number(18 + (i / 7) % 40),
                                          QString::fromLatin1(Vitesses[(i / 3) % 8]),
                                          QString::fromLatin1(Diaph[(i / 5) % 6]),
                                          QStringLiteral("%1/%2/%3 12:00:00")
                                              .arg(1 + i % 28, 2, 10, QChar('0'))
                                              .arg(1 + (i / 28) % 12, 2, 10, QChar('0'))
                                              .arg(1998 + i % 11),
                                          QString::number(100 << (i % 4)), QStringLiteral("1"), QString()});
    }

    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA temp_store=MEMORY;");
    Exec(db, "CREATE TABLE image(id INTEGER PRIMARY KEY, cle TEXT, dossier TEXT);"
             "CREATE TABLE ancetre(chemin TEXT, id INTEGER, PRIMARY KEY(chemin, id)) WITHOUT ROWID;"
             "CREATE TABLE motcle(mot TEXT COLLATE NOCASE, id INTEGER, PRIMARY KEY(mot, id)) WITHOUT ROWID;"
             "CREATE TABLE exif(id INTEGER PRIMARY KEY, appareil TEXT, focale TEXT, vitesse TEXT, diaph TEXT,"
             " date TEXT, iso TEXT);");
    Exec(db, "BEGIN");
    {
        sqlite3_stmt *Img = Prepare(db, "INSERT INTO image VALUES(?1, ?2, ?3)");
        sqlite3_stmt *Anc = Prepare(db, "INSERT OR IGNORE INTO ancetre VALUES(?1, ?2)");
        sqlite3_stmt *Mot = Prepare(db, "INSERT OR IGNORE INTO motcle VALUES(?1, ?2)");
        sqlite3_stmt *Ex = Prepare(db, "INSERT INTO exif VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        for (int i = 0; i < nImages; ++i) {
            const QString &k = c.Images[size_t(i)];
            sqlite3_bind_int(Img, 1, i);
            Lie(Img, 2, k);
            Lie(Img, 3, DossierDe(k));
            Execute(Img);
            for (const QString &p : c.Criteres[size_t(i)])
                for (qsizetype j = 0; j <= p.size(); ++j)
                    if (j == p.size() || p[j] == u'/') {
                        Lie(Anc, 1, p.left(j));
                        sqlite3_bind_int(Anc, 2, i);
                        Execute(Anc);
                    }
            for (const QString &m : MotsImages[size_t(i)].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                Lie(Mot, 1, m);
                sqlite3_bind_int(Mot, 2, i);
                Execute(Mot);
            }
            if (const auto it = Valeurs.constFind(k); it != Valeurs.cend()) {
                sqlite3_bind_int(Ex, 1, i);
                for (int n = 0; n < 6; ++n)
                    Lie(Ex, 2 + n, n == 4 ? (*it)[n].left(10) : (*it)[n]);
                Execute(Ex);
            }
        }
        for (sqlite3_stmt *s : {Img, Anc, Mot, Ex})
            sqlite3_finalize(s);
    }
    Exec(db, "COMMIT; CREATE INDEX image_dossier ON image(dossier, cle);"
             "CREATE INDEX exif_trois ON exif(appareil, focale, vitesse); ANALYZE;");

    TIndexClassement Index(iniBDD, iniSetup);
    Index.Actualise();
    double dCpu = 0;

    // Opening: the sets, the page lists and the folder tree of every image.
    TEnsemblesExplore Ens;
    TOrdreExplore Ordre;
    TListesPage Listes;
    TArboDossiers Arbo;
    const double dOuv = Meilleur(
        [&] {
            Index.Actualise();
            Ens = EnsemblesExplore(Index);
            Ordre = TOrdreExplore(Index, Ens.lstToutesImages);
            Listes = Ordre.Listes(Index, Ens.lstToutesImages);
            Arbo = ConstruitArboDossiers(Listes, iniSetup);
        },
        &dCpu);
    sqlite3_stmt *sOuv = Prepare(db, "SELECT dossier, cle FROM image ORDER BY dossier, cle");
    TReponse rSql;
    const double dOuvSql = Meilleur([&] { rSql = ReponseSql(sOuv); });
    Compare("open", ReponseArbre(Arbo, Listes), rSql);
    Rapporte("open", dOuv, dCpu, dOuvSql);

    auto Page = [&](const char *cNom, const std::function<std::vector<int>()> &fnImages, sqlite3_stmt *s) {
        TListesPage l;
        TArboDossiers a;
        const double d = Meilleur(
            [&] {
                l = Ordre.Listes(Index, fnImages());
                a = ConstruitArboDossiers(l, iniSetup);
            },
            &dCpu);
        TReponse r;
        const double dSql = Meilleur([&] { r = ReponseSql(s); });
        Compare(cNom, ReponseArbre(a, l), r);
        Rapporte(cNom, d, dCpu, dSql);
    };
    Page(
        "crit", [&] { return ImagesCritereExplore(Index, QStringLiteral("Lieux"), true); },
        Prepare(db, "SELECT i.dossier, i.cle FROM ancetre a JOIN image i ON i.id = a.id WHERE a.chemin = 'Lieux'"));
    Page(
        "kw", [&] { return ImagesMotCleExplore(Index, QStringLiteral("mer")); },
        Prepare(db, "SELECT i.dossier, i.cle FROM motcle m JOIN image i ON i.id = m.id WHERE m.mot = 'mer'"));

    // The EXIF tree on six levels: the counts of the first level compared.
    const std::vector<int> Niveaux = {eAppareil, eFocale, eVitesse, eDiaphragme, eDatePDV, eISO};
    std::unique_ptr<TNoeudEXIF> Racine;
    const double dExif =
        Meilleur([&] { Racine = ConstruitArboEXIF(Index, Ens.lstToutesImages, Valeurs, Niveaux); }, &dCpu);
    sqlite3_stmt *sExif = Prepare(db, "SELECT appareil, focale, vitesse, diaph, date, iso, count(*) FROM exif"
                                      " GROUP BY 1, 2, 3, 4, 5, 6");
    std::map<QString, int> ParAppareilSql;
    const double dExifSql = Meilleur([&] {
        ParAppareilSql.clear();
        while (sqlite3_step(sExif) == SQLITE_ROW)
            ParAppareilSql[Colonne(sExif, 0)] += sqlite3_column_int(sExif, 6);
        sqlite3_reset(sExif);
    });
    std::map<QString, int> ParAppareil;
    for (const auto &e : Racine->Enfants)
        ParAppareil[e->Enr.cValeur] = e->Enr.nNbImages;
    if (ParAppareil != ParAppareilSql) {
        std::fprintf(stderr, "exif_build: the counts differ\n");
        return 1;
    }
    Rapporte("exif_build", dExif, dCpu, dExifSql);

    // A node of the third level: images, page lists and folder tree.
    const TNoeudEXIF &Troisieme = *Racine->Enfants.front()->Enfants.front()->Enfants.front();
    sqlite3_stmt *sSel = Prepare(db, "SELECT i.dossier, i.cle FROM exif e JOIN image i ON i.id = e.id"
                                     " WHERE e.appareil = ?1 AND e.focale = ?2 AND e.vitesse = ?3");
    Lie(sSel, 1, Troisieme.pParent->pParent->Enr.cValeur);
    Lie(sSel, 2, Troisieme.pParent->Enr.cValeur);
    Lie(sSel, 3, Troisieme.Enr.cValeur);
    Page(
        "exif_select", [&] { return Troisieme.Images; }, sSel);
    sqlite3_close_v2(db);
    return 0;
}
