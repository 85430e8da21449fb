// Times the catalogue search on 100,000 images against SQLite holding the same data.
//
// The catalogue: 70 % of the images have 1 to 4 criteria among about 1,000 nodes four levels
// deep, 60 % have 1 to 6 of 5,000 keywords (a few common, most rare), 10 % are favourites and
// 40 % have a legend, nearly all distinct. One image in ten is on a CD, as store_bench makes
// them. Each query's answer is the ordered key list: the index's tests (criteria, keywords,
// favourites, legend) and the keys, warm, median of 20 runs, checked equal to SQLite's.
//
// The SQLite peer is an in-memory database (the most favourable case for it) with one row per
// candidate numbered in candidate order, the criteria and their ancestors (a closure table, so
// that the extension to children is one indexed lookup), the keywords, and an FTS5 trigram
// index of the upper-cased legends for "*...*" patterns. Everything is indexed on what the
// queries look up; ANALYZE is run after loading.
//
// Times are the processor time of the thread. Prints "BENCH <name> <value> <unit>";
// "<name>_vs_sqlite" is SQLite's time divided by ours.

#include "classification/IndexClassement.h"
#include "classification/MotsCles.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace
{
constexpr int nImages = 100000;
constexpr int nMotsDistincts = 5000;
constexpr int nTours = 20;

void Bench(const char *cNom, double d, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, d, cUnite);
    std::fflush(stdout);
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Processor time of this thread in milliseconds: the machine the figures come from is shared,
// and elapsed time would mostly measure the other programs.
double MsCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

template <class F>
double Chrono(F &&f)
{
    const double d = MsCpu();
    f();
    return MsCpu() - d;
}

// ---- The generated catalogue -------------------------------------------------------------------

const char *const Racines[] = {"Lieux", "Personnes", "Sujets", "Événements"};
const char *const Niveau2[4][10] = {
    {"France", "Italie", "Espagne", "Grèce", "Maroc", "Canada", "Japon", "Écosse", "Portugal", "Irlande"},
    {"Famille", "Amis", "Collègues", "Voisins", "Club", "École", "Équipe", "Cousins", "Parrains", "Invités"},
    {"Architecture", "Paysages", "Animaux", "Fleurs", "Portraits", "Nuit", "Sport", "Fêtes", "Cuisine", "Musique"},
    {"1998", "1999", "2000", "2001", "2002", "2003", "2004", "2005", "2006", "2007"}};

struct TCatalogue
{
    std::vector<QString> Noeuds; // every criterion path
    std::vector<QString> Cles;
    std::vector<std::vector<int>> Criteres; // node numbers
    std::vector<std::vector<int>> MotsCles; // word numbers
    std::vector<bool> Favoris;
    std::vector<QString> Legendes; // null: none
    std::vector<QString> Mots;
    std::vector<int> Ordre; // candidate order: image numbers
};

TCatalogue Genere()
{
    std::mt19937 Alea(20041225);
    TCatalogue c;
    for (int r = 0; r < 4; ++r) {
        const QString cR = QString::fromUtf8(Racines[r]);
        c.Noeuds.push_back(cR);
        for (int a = 0; a < 10; ++a) {
            const QString cA = cR + '/' + QString::fromUtf8(Niveau2[r][a]);
            c.Noeuds.push_back(cA);
            for (int b = 0; b < 6; ++b) {
                const QString cB = cA + QString("/Partie %1").arg(b + 1);
                c.Noeuds.push_back(cB);
                for (int d = 0; d < 3; ++d)
                    c.Noeuds.push_back(cB + QString("/Détail %1").arg(d + 1));
            }
        }
    }
    // Common words first, so that the skewed draw below makes them frequent.
    c.Mots = {"VACANCES", "FAMILLE", "MER", "PLAGE", "SOLEIL", "MONTAGNE", "CHAT", "NEIGE", "SOLDES", "SOLO"};
    for (int i = int(c.Mots.size()); i < nMotsDistincts; ++i)
        c.Mots.push_back(QString("MOT%1_%2").arg(QChar('A' + i % 26)).arg(i));

    const char *const Phrases[] = {"Le Colisée au coucher du soleil",
                                   "Anne et Paul sur la plage",
                                   "Première neige sur le col",
                                   "Marché du dimanche, place de l'église",
                                   "Vue depuis le pont",
                                   "Le chat de la voisine",
                                   "Repas chez grand-mère",
                                   "Retour de pêche au port",
                                   "Feu d'artifice",
                                   "Lumière d'hiver dans la forêt"};
    std::uniform_real_distribution<double> U(0, 1);
    for (int i = 0; i < nImages; ++i) {
        if (i % 10 == 9)
            c.Cles.push_back(QString("<%1>/DCIM/%2CANON/IMG_%3.JPG")
                                 .arg(-1975582719 + i / 5000)
                                 .arg(100 + (i / 900) % 10)
                                 .arg(i % 10000, 4, 10, QChar('0')));
        else
            c.Cles.push_back(QString("/home/ann/Photos/%1/%2/IMG_%3.jpg")
                                 .arg(1998 + i % 11)
                                 .arg(1 + i % 12, 2, 10, QChar('0'))
                                 .arg(i, 6, 10, QChar('0')));
        std::vector<int> Crit;
        if (U(Alea) < 0.7) {
            const int n = 1 + int(Alea() % 4);
            while (int(Crit.size()) < n) {
                const int k = int(Alea() % c.Noeuds.size());
                if (std::find(Crit.begin(), Crit.end(), k) == Crit.end())
                    Crit.push_back(k);
            }
        }
        c.Criteres.push_back(Crit);
        std::vector<int> Mc;
        if (U(Alea) < 0.6) {
            const int n = 1 + int(Alea() % 6);
            while (int(Mc.size()) < n) {
                const int k = int(std::pow(U(Alea), 3.0) * nMotsDistincts);
                if (std::find(Mc.begin(), Mc.end(), k) == Mc.end())
                    Mc.push_back(k);
            }
        }
        c.MotsCles.push_back(Mc);
        c.Favoris.push_back(U(Alea) < 0.1);
        c.Legendes.push_back(U(Alea) < 0.4 ? QString::fromUtf8(Phrases[Alea() % 10]) + QString(" n°%1").arg(i)
                                           : QString());
    }
    // The candidate order: images with criteria, then with keywords, favourites, legends.
    std::vector<bool> Vu(nImages);
    auto Passe = [&](auto Test) {
        for (int i = 0; i < nImages; ++i)
            if (!Vu[size_t(i)] && Test(i)) {
                Vu[size_t(i)] = true;
                c.Ordre.push_back(i);
            }
    };
    Passe([&](int i) { return !c.Criteres[size_t(i)].empty(); });
    Passe([&](int i) { return !c.MotsCles[size_t(i)].empty(); });
    Passe([&](int i) { return bool(c.Favoris[size_t(i)]); });
    Passe([&](int i) { return !c.Legendes[size_t(i)].isNull(); });
    return c;
}

bool EcritFichier(const QString &cFichier, const QByteArray &Texte)
{
    QFile f(cFichier);
    return f.open(QIODevice::WriteOnly) && f.write(Texte) == Texte.size();
}

bool EcritStores(const TCatalogue &c, const QString &cBDD, const QString &cSetup)
{
    QByteArray Bdd, Setup = "[GENERAL]\r\nkcVersion=v 1.44\r\n";
    for (int i = 0; i < nImages; ++i) {
        if (c.Criteres[size_t(i)].empty())
            continue;
        Bdd += '[' + c.Cles[size_t(i)].toUtf8() + "]\r\n";
        for (int k : c.Criteres[size_t(i)])
            Bdd += c.Noeuds[size_t(k)].toUtf8() + "=\r\n";
    }
    Setup += "[MOTS-CLES]\r\n";
    for (int i = 0; i < nImages; ++i) {
        if (c.MotsCles[size_t(i)].empty())
            continue;
        QStringList l;
        for (int k : c.MotsCles[size_t(i)])
            l << c.Mots[size_t(k)];
        Setup += c.Cles[size_t(i)].toUtf8() + '=' + l.join(' ').toUtf8() + "\r\n";
    }
    Setup += "[COUPS DE COEUR]\r\n";
    for (int i = 0; i < nImages; ++i)
        if (c.Favoris[size_t(i)])
            Setup += c.Cles[size_t(i)].toUtf8() + "=\r\n";
    Setup += "[LEGENDES]\r\n";
    for (int i = 0; i < nImages; ++i)
        if (!c.Legendes[size_t(i)].isNull())
            Setup += c.Cles[size_t(i)].toUtf8() + '=' + c.Legendes[size_t(i)].toUtf8() + "\r\n";
    return EcritFichier(cBDD, Bdd) && EcritFichier(cSetup, Setup);
}

// ---- The SQLite peer ---------------------------------------------------------------------------

const char *const cSchema = R"(
PRAGMA journal_mode = OFF;
PRAGMA synchronous = OFF;
PRAGMA temp_store = MEMORY;
PRAGMA cache_size = -262144;
CREATE TABLE image (id INTEGER PRIMARY KEY, cle TEXT NOT NULL UNIQUE, favori INTEGER NOT NULL);
CREATE TABLE critere (chemin TEXT NOT NULL, image_id INTEGER NOT NULL, PRIMARY KEY (chemin, image_id)) WITHOUT ROWID;
CREATE TABLE ancetre (chemin TEXT NOT NULL, image_id INTEGER NOT NULL, PRIMARY KEY (chemin, image_id)) WITHOUT ROWID;
CREATE TABLE motcle (mot TEXT NOT NULL, image_id INTEGER NOT NULL, PRIMARY KEY (mot, image_id)) WITHOUT ROWID;
CREATE INDEX image_favori ON image (id) WHERE favori = 1;
CREATE VIRTUAL TABLE legende USING fts5 (texte, tokenize = 'trigram case_sensitive 1');
)";

struct TRequete
{
    const char *cNom;
    TDemandeRecherche Demande;
    const char *cSql;
};

void Executer(sqlite3 *db, const char *cSql)
{
    char *cErr = nullptr;
    if (sqlite3_exec(db, cSql, nullptr, nullptr, &cErr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", cErr);
        sqlite3_free(cErr);
        std::exit(1);
    }
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

void Lie(sqlite3_stmt *s, int n, const QString &c)
{
    const QByteArray u = c.toUtf8();
    sqlite3_bind_text(s, n, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

void Charge(sqlite3 *db, const TCatalogue &c)
{
    Executer(db, cSchema);
    Executer(db, "BEGIN");
    sqlite3_stmt *Img = Prepare(db, "INSERT INTO image VALUES (?1, ?2, ?3)");
    sqlite3_stmt *Crit = Prepare(db, "INSERT OR IGNORE INTO critere VALUES (?1, ?2)");
    sqlite3_stmt *Anc = Prepare(db, "INSERT OR IGNORE INTO ancetre VALUES (?1, ?2)");
    sqlite3_stmt *Mot = Prepare(db, "INSERT OR IGNORE INTO motcle VALUES (?1, ?2)");
    sqlite3_stmt *Leg = Prepare(db, "INSERT INTO legende (rowid, texte) VALUES (?1, ?2)");
    auto Pas = [&](sqlite3_stmt *s) {
        if (sqlite3_step(s) != SQLITE_DONE) {
            std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
        sqlite3_reset(s);
    };
    for (size_t r = 0; r < c.Ordre.size(); ++r) {
        const size_t i = size_t(c.Ordre[r]);
        sqlite3_bind_int64(Img, 1, qint64(r));
        Lie(Img, 2, c.Cles[i]);
        sqlite3_bind_int(Img, 3, c.Favoris[i] ? 1 : 0);
        Pas(Img);
        for (int k : c.Criteres[i]) {
            const QString &p = c.Noeuds[size_t(k)];
            Lie(Crit, 1, p);
            sqlite3_bind_int64(Crit, 2, qint64(r));
            Pas(Crit);
            for (qsizetype j = 0; j <= p.size(); ++j)
                if (j == p.size() || p[j] == u'/') {
                    Lie(Anc, 1, p.left(j));
                    sqlite3_bind_int64(Anc, 2, qint64(r));
                    Pas(Anc);
                }
        }
        for (int k : c.MotsCles[i]) {
            Lie(Mot, 1, c.Mots[size_t(k)]);
            sqlite3_bind_int64(Mot, 2, qint64(r));
            Pas(Mot);
        }
        if (!c.Legendes[i].isEmpty()) {
            sqlite3_bind_int64(Leg, 1, qint64(r));
            Lie(Leg, 2, c.Legendes[i].toUpper());
            Pas(Leg);
        }
    }
    for (sqlite3_stmt *s : {Img, Crit, Anc, Mot, Leg})
        sqlite3_finalize(s);
    Executer(db, "COMMIT; ANALYZE;");
}

QStringList Lignes(sqlite3_stmt *s)
{
    QStringList l;
    while (sqlite3_step(s) == SQLITE_ROW)
        l << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)), sqlite3_column_bytes(s, 0));
    sqlite3_reset(s);
    return l;
}

QStringList Cherche(TIndexClassement &Index, const TRechercheCompilee &r)
{
    Index.Actualise();
    QStringList l;
    for (int n : Index.Selectionne(r, true))
        l << Index.Cle(n);
    return l;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    QTemporaryDir Temp;
    const TCatalogue c = Genere();
    const QString cBDD = Temp.filePath("KX_BDD.ini"), cSetup = Temp.filePath("KX_Setup.ini");
    if (!EcritStores(c, cBDD, cSetup)) {
        std::fprintf(stderr, "cannot write the stores\n");
        return 1;
    }
    TBigIniFile iniBDD(cBDD, true), iniSetup(cSetup);
    iniBDD.lAutoSave = false;
    iniSetup.lAutoSave = false;

    std::vector<double> t;
    for (int i = 0; i < 5; ++i)
        t.push_back(Chrono([&] { TIndexClassement(iniBDD, iniSetup).Reconstruit(); }));
    Bench("search_index_build", Mediane(t), "ms");

    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    Charge(db, c);

    TDemandeRecherche Crit, EtMots, OuMots, Leg, Tout, Rien;
    Crit.CritCoches = {"Lieux/France", "Personnes/Famille"};
    EtMots.cMotsCles = "MER SOL*";
    OuMots.cMotsCles = "MER SOL* CHAT";
    OuMots.lOperateurET = false;
    Leg.cLegende = "*COUCHER*";
    Tout.CritCoches = {"Lieux"};
    Tout.cMotsCles = "PLAGE SOL* VACANCES";
    Tout.lOperateurET = false;
    Tout.lCoupsDeCoeur = true;
    Tout.cLegende = "*SOLEIL*";
    const TRequete Requetes[] = {
        {"crit_children", Crit,
         "SELECT cle FROM image WHERE id IN (SELECT image_id FROM ancetre WHERE chemin = 'Lieux/France') "
         "AND id IN (SELECT image_id FROM ancetre WHERE chemin = 'Personnes/Famille') ORDER BY id"},
        {"kw_and", EtMots,
         "SELECT cle FROM image WHERE id IN (SELECT image_id FROM motcle WHERE mot GLOB 'MER') "
         "AND id IN (SELECT image_id FROM motcle WHERE mot GLOB 'SOL*') ORDER BY id"},
        {"kw_or", OuMots,
         "SELECT cle FROM image WHERE id IN (SELECT image_id FROM motcle WHERE mot GLOB 'MER' "
         "UNION SELECT image_id FROM motcle WHERE mot GLOB 'SOL*' "
         "UNION SELECT image_id FROM motcle WHERE mot GLOB 'CHAT') ORDER BY id"},
        {"legend", Leg,
         "SELECT cle FROM image WHERE id IN (SELECT rowid FROM legende WHERE texte GLOB '*COUCHER*') ORDER BY id"},
        {"combined", Tout,
         "SELECT cle FROM image WHERE favori = 1 AND id IN (SELECT image_id FROM ancetre WHERE chemin = 'Lieux') "
         "AND id IN (SELECT image_id FROM motcle WHERE mot GLOB 'PLAGE' "
         "UNION SELECT image_id FROM motcle WHERE mot GLOB 'SOL*' "
         "UNION SELECT image_id FROM motcle WHERE mot GLOB 'VACANCES') "
         "AND id IN (SELECT rowid FROM legende WHERE texte GLOB '*SOLEIL*') ORDER BY id"},
        {"all", Rien, "SELECT cle FROM image ORDER BY id"},
    };

    TIndexClassement Index(iniBDD, iniSetup);
    Index.Actualise();
    for (const TRequete &q : Requetes) {
        const TRechercheCompilee r = *CompileRecherche(q.Demande, false);
        sqlite3_stmt *s = Prepare(db, q.cSql);
        const QStringList Nous = Cherche(Index, r), Eux = Lignes(s);
        if (Nous != Eux) {
            std::fprintf(stderr, "%s: %lld keys against SQLite's %lld\n", q.cNom, qlonglong(Nous.size()),
                         qlonglong(Eux.size()));
            return 1;
        }
        std::fprintf(stderr, "%s: %lld images\n", q.cNom, qlonglong(Nous.size()));
        std::vector<double> tNous, tEux;
        for (int i = 0; i < nTours; ++i) {
            tNous.push_back(Chrono([&] { Cherche(Index, r); }));
            tEux.push_back(Chrono([&] { Lignes(s); }));
        }
        sqlite3_finalize(s);
        const double dNous = Mediane(tNous), dEux = Mediane(tEux);
        Bench(QString("search_%1").arg(q.cNom).toUtf8().constData(), dNous, "ms");
        Bench(QString("search_%1_vs_sqlite").arg(q.cNom).toUtf8().constData(), dNous > 0 ? dEux / dNous : 0, "x");
    }

    // A search right after classifying one image (criteria, keywords, favourite, legend).
    const TRechercheCompilee rTout = *CompileRecherche(Tout, false);
    std::mt19937 Alea(7);
    t.clear();
    for (int i = 0; i < nTours; ++i) {
        const QString &cCle = c.Cles[Alea() % c.Cles.size()];
        iniBDD.EraseSection(cCle);
        iniBDD.WriteString(cCle, "Lieux/France/Partie 1", QString());
        iniBDD.WriteString(cCle, "Personnes/Famille", QString());
        iniSetup.WriteString(cSectionMotsCles, cCle, "PLAGE SOLEIL");
        iniSetup.WriteString(cSectionCoupsDeCoeur, cCle, QString());
        iniSetup.WriteString(cSectionLegendes, cCle, QString("Coucher de soleil %1").arg(i));
        t.push_back(Chrono([&] { Cherche(Index, rTout); }));
    }
    Bench("search_after_classify", Mediane(t), "ms");

    t.clear();
    QStringList Vocabulaire;
    for (int i = 0; i < 7; ++i)
        t.push_back(Chrono([&] { ListerMotsCles(iniSetup, Vocabulaire); }));
    Bench("vocabulary_100000", Mediane(t), "ms");
    sqlite3_close(db);
    return 0;
}
