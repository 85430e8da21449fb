// The database explorer on a large catalogue: opening (sets and the folder tree), a criterion,
// a keyword, the EXIF tree on six levels and a selection at its third level, each beside an
// indexed SQLite database of the same data, whose answers (key lists per folder, in the order
// shown) must match.
//
// SQLite peer: image(id INTEGER PRIMARY KEY, cle, dossier, rang) where rang is the key's place
// in the French order without regard to case (a collation registered with SQLite, computed
// once when loading, as the explorer's order is kept between openings), with an index on
// rang; ancetre(chemin, id) WITHOUT ROWID, primary key (chemin, id), one row per image and per
// criterion path or ancestor of one; motcle(mot COLLATE NOCASE, id) WITHOUT ROWID; exif(id
// PRIMARY KEY, the six values) with an index on (appareil, focale, vitesse). UTF-16 texts, journal off,
// synchronous off, temp store in memory, ANALYZE after loading; statements prepared once.
// Its client groups the rows by folder in a hash, keeping their order.
//
// Opening is timed twice: "open_first" sorts the keys (the first opening of a session; its sort
// alone and its whole order are given beside it), "open"
// finds the order of the previous window still valid (every later opening).

#include "BancSqlite.h"
#include "ExifGenere.h"
#include "PhotoGeneree.h"
#include "CatalogueGenere.h"
#include "classification/ExploreBDD.h"
#include "classification/IndexClassement.h"
#include "classification/TriFrancais.h"
#include "imaging/JpegCodec.h"
#include "metadata/Focale.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QLocale>
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

using TGroupes = QHash<QString, QStringList>; // folder → keys in the order shown

TGroupes GroupesSql(sqlite3_stmt *s)
{
    TGroupes g;
    while (sqlite3_step(s) == SQLITE_ROW)
        g[Colonne(s, 0)].append(Colonne(s, 1));
    sqlite3_reset(s);
    return g;
}

TReponse Reponse(const TGroupes &g)
{
    TReponse r;
    for (auto it = g.cbegin(); it != g.cend(); ++it)
        r[it.key()] = std::set<QString>(it->cbegin(), it->cend());
    return r;
}

// The keys of each folder in the order the grid shows them, from the tree and from SQLite.
std::map<QString, QStringList> OrdreArbre(const TArboDossiers &Arbo, const TListesPage &Listes)
{
    std::map<QString, QStringList> r;
    std::vector<const TNoeudDossier *> Pile;
    for (const auto &p : Arbo.Racines)
        Pile.push_back(p.get());
    while (!Pile.empty()) {
        const TNoeudDossier *n = Pile.back();
        Pile.pop_back();
        for (const QString &c : ClesNoeud(*n, Listes))
            r[DossierDe(c)].append(c);
        for (const auto &e : n->Enfants)
            Pile.push_back(e.get());
    }
    return r;
}

std::map<QString, QStringList> OrdreSql(const TGroupes &g)
{
    std::map<QString, QStringList> r;
    for (auto it = g.cbegin(); it != g.cend(); ++it)
        r[it.key()] = *it;
    return r;
}

int CollationFR(void *p, int n1, const void *a, int n2, const void *b)
{
    const QStringView x(static_cast<const QChar *>(a), n1 / 2), y(static_cast<const QChar *>(b), n2 / 2);
    if (const int n = static_cast<QCollator *>(p)->compare(x, y); n != 0)
        return n;
    return x.compare(y);
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
double Meilleur(F &&f, double *pCpu)
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

// Wall time and processor time of the thread, each side's best of five; the ratios of both,
// the machine being shared.
void Rapporte(const char *cNom, double dNous, double dCpu, double dSql, double dSqlCpu)
{
    const QString c = QStringLiteral("explorer_") + QLatin1String(cNom);
    Bench(c.toUtf8().constData(), dNous, "ms");
    Bench((c + QStringLiteral("_cpu")).toUtf8().constData(), dCpu, "ms");
    Bench((c + QStringLiteral("_vs_sqlite")).toUtf8().constData(), dSql / dNous, "x");
    Bench((c + QStringLiteral("_cpu_vs_sqlite")).toUtf8().constData(), dSqlCpu / std::max(dCpu, 1e-6), "x");
}
// 20,000 small JPEGs with varied EXIF, read as the explorer reads them (one open each, on the
// worker pool) and by exiftool -fast2 -T for the same six tags, in the same run.
void LectureEXIF()
{
    constexpr int nFichiers = 20000;
    QTemporaryDir Dossier;
    const QByteArray Jpeg = JpegCodec::EncodeMemoire(Photo(160, 120, 45), 80);
    const char *const Modeles[] = {"Canon EOS 300D", "NIKON D70", "DSC-W1", "E-300", "FinePix S5000"};
    const quint32 Vitesses[] = {250, 60, 125, 2000, 1000, 30};
    TBigIniFile iniBDD(QString(), true), iniSetup{QString()};
    iniBDD.lAutoSave = false;
    iniSetup.lAutoSave = false;
    for (int i = 0; i < nFichiers; ++i) {
        const QString cSous = Dossier.path() + QStringLiteral("/d%1").arg(i % 20);
        if (i < 20)
            QDir().mkpath(cSous);
        const QString cChemin = cSous + QStringLiteral("/IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        const QByteArray cDate = QStringLiteral("20%1:%2:%3 1%4:00:00")
                                     .arg(10 + i % 12)
                                     .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                     .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                     .arg(i % 10)
                                     .toLatin1();
        QFile f(cChemin);
        if (!f.open(QIODevice::WriteOnly)
            || f.write(AvecEXIF(Jpeg, BlocEXIF(Modeles[i % 5], Vitesses[i % 6], 28 + 4 * (i % 7),
                                               quint16(100 << (i % 4)), cDate, 18 + i % 50)))
                   <= 0) {
            std::fprintf(stderr, "exif_read: cannot write %s\n", qPrintable(cChemin));
            std::exit(1);
        }
        iniBDD.WriteString(cChemin, QStringLiteral("X"), QString());
    }
    TIndexClassement Index(iniBDD, iniSetup);
    Index.Actualise();
    const std::vector<int> Images = EnsemblesExplore(Index).lstToutesImages;

    TValeursEXIF Valeurs;
    const TTemps tNous = Chrono([&] { Valeurs = LitValeursEXIF(Index, Images, iniSetup, TContexteFocale{}); });
    if (Valeurs.size() != nFichiers
        || Valeurs.value(Index.Cle(Images.front())).value(eAppareil) != QLatin1String(Modeles[0])) {
        std::fprintf(stderr, "exif_read: %lld images read of %d\n", qlonglong(Valeurs.size()), nFichiers);
        std::exit(1);
    }
    Bench("explorer_exif_read_20000", tNous.dMur / 1000, "s");
    Bench("explorer_exif_read_20000_cpu", tNous.dCpu / 1000, "s");

    QProcess Outil;
    QElapsedTimer Montre;
    Montre.start();
    Outil.start(QStringLiteral("exiftool"),
                {QStringLiteral("-fast2"), QStringLiteral("-T"), QStringLiteral("-Model"),
                 QStringLiteral("-FocalLength"), QStringLiteral("-ExposureTime"), QStringLiteral("-FNumber"),
                 QStringLiteral("-DateTimeOriginal"), QStringLiteral("-ISO"), QStringLiteral("-r"), Dossier.path()});
    if (!Outil.waitForStarted()) {
        std::fprintf(stderr, "exif_read: exiftool is missing (scripts/setup installs it)\n");
        return;
    }
    QByteArray Sortie;
    while (Outil.state() != QProcess::NotRunning) {
        Outil.waitForReadyRead(1000);
        Sortie += Outil.readAllStandardOutput();
    }
    Sortie += Outil.readAllStandardOutput();
    const double dOutil = double(Montre.elapsed()) / 1000;
    const qsizetype nLignes = Sortie.count('\n');
    if (nLignes != nFichiers)
        std::fprintf(stderr, "exif_read: exiftool gave %lld lines\n", qlonglong(nLignes));
    Bench("explorer_exif_read_20000_exiftool", dOutil, "s");
    Bench("explorer_exif_read_20000_vs_exiftool", dOutil / (tNous.dMur / 1000), "x");
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
    // Texts kept as UTF-16, as the program reads them: no conversion on either side.
    Exec(db, "PRAGMA encoding='UTF-16le'; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA temp_store=MEMORY;");
    QCollator Collateur{QLocale(QLocale::French, QLocale::France)};
    Collateur.setCaseSensitivity(Qt::CaseInsensitive);
    sqlite3_create_collation_v2(db, "FR", SQLITE_UTF16, &Collateur, CollationFR, nullptr);
    Exec(db, "CREATE TABLE image(id INTEGER PRIMARY KEY, cle TEXT, dossier TEXT, rang INTEGER);"
             "CREATE TABLE ancetre(chemin TEXT, id INTEGER, PRIMARY KEY(chemin, id)) WITHOUT ROWID;"
             "CREATE TABLE motcle(mot TEXT COLLATE NOCASE, id INTEGER, PRIMARY KEY(mot, id)) WITHOUT ROWID;"
             "CREATE TABLE exif(id INTEGER PRIMARY KEY, appareil TEXT, focale TEXT, vitesse TEXT, diaph TEXT,"
             " date TEXT, iso TEXT);");
    Exec(db, "BEGIN");
    {
        sqlite3_stmt *Img = Prepare(db, "INSERT INTO image(id, cle, dossier) VALUES(?1, ?2, ?3)");
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
    // The order shown: CD keys by their history key, as the explorer's lists, after the others.
    Exec(db, "CREATE TEMP TABLE ordre(id INTEGER PRIMARY KEY, r INTEGER);"
             "INSERT INTO ordre SELECT id, row_number() OVER (ORDER BY substr(cle, 1, 1) = '<',"
             " CASE WHEN substr(cle, 1, 1) = '<' THEN upper(cle) END, cle COLLATE FR, cle) FROM image;"
             "UPDATE image SET rang = (SELECT r FROM ordre WHERE ordre.id = image.id);"
             "COMMIT; CREATE INDEX image_rang ON image(rang);"
             "CREATE INDEX exif_trois ON exif(appareil, focale, vitesse); ANALYZE;");

    TIndexClassement Index(iniBDD, iniSetup);
    Index.Actualise();
    double dCpu = 0, dSqlCpu = 0;
    auto Verifie = [](const char *cNom, const TArboDossiers &a, const TListesPage &l, const TGroupes &g) {
        Compare(cNom, ReponseArbre(a, l), Reponse(g));
        if (OrdreArbre(a, l) != OrdreSql(g)) {
            std::fprintf(stderr, "%s: the order within a folder differs\n", cNom);
            std::exit(1);
        }
    };

    // Opening: the sets, the page lists and the folder tree of every image; first with the
    // keys sorted, then as a later window does.
    TEnsemblesExplore Ens;
    TOrdreExplore Ordre;
    TListesPage Listes;
    TArboDossiers Arbo;
    double dCpuPremier = 0;
    const double dPremier = Meilleur(
        [&] {
            Index.Actualise();
            Ens = EnsemblesExplore(Index);
            Ordre = TOrdreExplore(Index, Ens.lstToutesImages);
            Listes = Ordre.Listes(Index, Ens.lstToutesImages);
            Arbo = Ordre.Arbo(Listes, iniSetup);
        },
        &dCpuPremier);
    const double dOuv = Meilleur(
        [&] {
            Index.Actualise();
            Ens = EnsemblesExplore(Index);
            if (!Ordre.Valable(Index, Ens.lstToutesImages))
                Ordre = TOrdreExplore(Index, Ens.lstToutesImages);
            Listes = Ordre.Listes(Index, Ens.lstToutesImages);
            Arbo = Ordre.Arbo(Listes, iniSetup);
        },
        &dCpu);
    sqlite3_stmt *sOuv = Prepare(db, "SELECT dossier, cle FROM image ORDER BY rang");
    TGroupes gSql;
    const double dOuvSql = Meilleur([&] { gSql = GroupesSql(sOuv); }, &dSqlCpu);
    Verifie("open", Arbo, Listes, gSql);
    Compare("open (by the generic builder)", ReponseArbre(ConstruitArboDossiers(Listes, iniSetup), Listes),
            Reponse(gSql));
    Rapporte("open_first", dPremier, dCpuPremier, dOuvSql, dSqlCpu);
    {
        // Where the first opening goes: the French sort of the keys alone, and the whole order.
        std::vector<QString> Cles;
        for (int n : Ens.lstToutesImages)
            if (Index.Cle(n).startsWith(QLatin1Char('/')))
                Cles.push_back(Index.Cle(n));
        double dTriCpu = 0, dOrdreCpu = 0;
        Meilleur(
            [&] {
                TriFrancais::Ordre(qsizetype(Cles.size()), [&](qsizetype k) { return QStringView(Cles[size_t(k)]); });
            },
            &dTriCpu);
        Meilleur([&] { TOrdreExplore o(Index, Ens.lstToutesImages); }, &dOrdreCpu);
        Bench("explorer_open_first_sort_cpu", dTriCpu, "ms");
        Bench("explorer_open_first_order_cpu", dOrdreCpu, "ms");
    }
    Rapporte("open", dOuv, dCpu, dOuvSql, dSqlCpu);
    Bench("explorer_folders", Ordre.NbDossiers(), "folders");

    auto Page = [&](const char *cNom, const std::function<std::vector<int>()> &fnImages, sqlite3_stmt *s) {
        TListesPage l;
        TArboDossiers a;
        const double d = Meilleur(
            [&] {
                l = Ordre.Listes(Index, fnImages());
                a = Ordre.Arbo(l, iniSetup);
            },
            &dCpu);
        TGroupes g;
        const double dSql = Meilleur([&] { g = GroupesSql(s); }, &dSqlCpu);
        Verifie(cNom, a, l, g);
        Rapporte(cNom, d, dCpu, dSql, dSqlCpu);
    };
    Page(
        "crit", [&] { return ImagesCritereExplore(Index, QStringLiteral("Lieux"), true); },
        Prepare(db, "SELECT i.dossier, i.cle FROM ancetre a JOIN image i ON i.id = a.id WHERE a.chemin = 'Lieux'"
                    " ORDER BY i.rang"));
    Page(
        "kw", [&] { return ImagesMotCleExplore(Index, QStringLiteral("mer")); },
        Prepare(db, "SELECT i.dossier, i.cle FROM motcle m JOIN image i ON i.id = m.id WHERE m.mot = 'mer'"
                    " ORDER BY i.rang"));

    // The EXIF values as numbers, made once per window after they are read.
    TTableEXIF Table;
    const double dTable = Meilleur([&] { Table = TTableEXIF(Index, Ens.lstToutesImages, Valeurs); }, &dCpu);
    Bench("explorer_exif_table", dTable, "ms");
    Bench("explorer_exif_table_cpu", dCpu, "ms");

    // The EXIF tree on six levels: the counts of every node compared.
    const std::vector<int> Niveaux = {eAppareil, eFocale, eVitesse, eDiaphragme, eDatePDV, eISO};
    std::unique_ptr<TNoeudEXIF> Racine;
    const double dExif = Meilleur([&] { Racine = ConstruitArboEXIF(Table, Niveaux); }, &dCpu);
    sqlite3_stmt *sExif = Prepare(db, "SELECT appareil, focale, vitesse, diaph, date, iso, count(*) FROM exif"
                                      " GROUP BY 1, 2, 3, 4, 5, 6");
    std::map<QStringList, int> ParFeuilleSql;
    const double dExifSql = Meilleur(
        [&] {
            ParFeuilleSql.clear();
            while (sqlite3_step(sExif) == SQLITE_ROW) {
                QStringList Ligne;
                for (int n = 0; n < 6; ++n)
                    Ligne << Colonne(sExif, n);
                ParFeuilleSql[Ligne] += sqlite3_column_int(sExif, 6);
            }
            sqlite3_reset(sExif);
        },
        &dSqlCpu);
    std::map<QStringList, int> ParFeuille;
    std::function<void(const TNoeudEXIF &, QStringList)> Feuilles = [&](const TNoeudEXIF &n, QStringList Chemin) {
        if (n.pParent)
            Chemin << n.Enr.cValeur;
        if (n.Enfants.empty() && n.pParent)
            ParFeuille[Chemin] += n.Enr.nNbImages;
        for (const auto &e : n.Enfants)
            Feuilles(*e, Chemin);
    };
    Feuilles(*Racine, {});
    if (ParFeuille != ParFeuilleSql) {
        std::fprintf(stderr, "exif_build: the counts differ (%zu and %zu leaves)\n", ParFeuille.size(),
                     ParFeuilleSql.size());
        return 1;
    }
    Rapporte("exif_build", dExif, dCpu, dExifSql, dSqlCpu);

    // A node of the third level: images, page lists and folder tree.
    const TNoeudEXIF &Troisieme = *Racine->Enfants.front()->Enfants.front()->Enfants.front();
    sqlite3_stmt *sSel = Prepare(db, "SELECT i.dossier, i.cle FROM exif e JOIN image i ON i.id = e.id"
                                     " WHERE e.appareil = ?1 AND e.focale = ?2 AND e.vitesse = ?3 ORDER BY i.rang");
    Lie(sSel, 1, Troisieme.pParent->pParent->Enr.cValeur);
    Lie(sSel, 2, Troisieme.pParent->Enr.cValeur);
    Lie(sSel, 3, Troisieme.Enr.cValeur);
    Page(
        "exif_select", [&] { return Troisieme.Images(); }, sSel);
    sqlite3_close_v2(db);
    LectureEXIF();
    return 0;
}
