// Measures the sectioned text store on a catalogue of 100,000 images and does the same work on
// SQLite (a file database, one indexed table per kind of section) for comparison.
//
// Prints "BENCH <name> <value> <unit>" lines; "<name>_vs_sqlite" is SQLite's time divided by
// ours (above 1: the text store is faster).

#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include "BancSqlite.h"
#include "CatalogueGenere.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr int NbImages = 100000;
constexpr int NbLectures = 100000;
constexpr int NbEcritures = 10000;
constexpr int NbSuppressions = 1000;
constexpr int NbEffacements = 100;
constexpr int NbTours = 3;

using Horloge = std::chrono::steady_clock;

double Secondes(Horloge::time_point t0)
{
    return std::chrono::duration<double>(Horloge::now() - t0).count();
}

void Bench(const char *cNom, double dValeur, const char *cUnite)
{
    std::printf("BENCH %s %.6g %s\n", cNom, dValeur, cUnite);
    std::fflush(stdout);
}

void Ratio(const char *cNom, double dSqlite, double dNous)
{
    std::printf("BENCH %s_vs_sqlite %.3g x\n", cNom, dNous > 0 ? dSqlite / dNous : 0.0);
    std::fflush(stdout);
}

// Processor time of this process, to tell our cost from a machine busy with other work.
double SecondesCpu()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double PicMemoireMo()
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &l : f.readAll().split('\n'))
        if (l.startsWith("VmHWM:"))
            return l.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return 0;
}

// ---------------------------------------------------------------- the generated catalogue

TCatalogue Genere(std::mt19937 &Alea)
{
    return GenereCatalogue(Alea, NbImages);
}

QString Resolution(std::mt19937 &Alea)
{
    const int w = 1600 + int(Alea() % 8) * 256, h = 1200 + int(Alea() % 6) * 192;
    return QString::number(qint64(w) + 65536LL * h);
}

// The two files as the program writes them: UTF-8, CR LF.
void EcritFichiers(const TCatalogue &c, const QString &cBDD, const QString &cSetup, std::mt19937 &Alea)
{
    {
        std::ofstream f(cBDD.toStdString(), std::ios::binary);
        for (size_t i = 0; i < c.Images.size(); ++i) {
            f << '[' << c.Images[i].toStdString() << "]\r\n";
            for (const QString &p : c.Criteres[i])
                f << p.toStdString() << "=\r\n";
        }
    }
    std::ofstream f(cSetup.toStdString(), std::ios::binary);
    f << "[GENERAL]\r\n";
    for (int i = 0; i < 80; ++i)
        f << "nReglage" << i << '=' << i * 7 << "\r\n";
    f << "\r\n";
    auto Section = [&](const QString &cNom, auto &&Valeur) {
        f << '[' << cNom.toStdString() << "]\r\n";
        for (const QString &cImage : c.Images)
            f << cImage.toStdString() << '=' << Valeur().toStdString() << "\r\n";
        f << "\r\n";
    };
    Section(cSectionMotsCles, [&] { return MotsCles(Alea); });
    Section(cSectionLegendes, [&] { return Legende(Alea); });
    Section(cSectionCoupsDeCoeur, [] { return QString(); });
    Section(cSectionResolutionsVignettes, [&] { return Resolution(Alea); });
}

// ---------------------------------------------------------------- the work, decided once

const QString *const SectionsSetup[] = {&cSectionMotsCles, &cSectionLegendes, &cSectionCoupsDeCoeur,
                                        &cSectionResolutionsVignettes};

struct TLecture
{
    int nImage;
    int nGenre; // 0: catalogue (a criterion of the image); 1..4: a section of the settings store
    int nCritere;
};
struct TEcriture
{
    int nGenre; // 0: new image in the catalogue; 1: new keyword key; 2: legend rewritten; 3: resolution rewritten
    int nImage;
    QString cCle, cValeur;
};
struct TSuppression
{
    bool lCatalogue; // true: a criterion of an image; false: the image's keywords
    int nImage;
};

struct TTravail
{
    std::vector<TLecture> Lectures;
    std::vector<TEcriture> Ecritures;
    std::vector<TSuppression> Suppressions;
    std::vector<int> Effacements;
};

TTravail Prepare(const TCatalogue &c, std::mt19937 &Alea)
{
    TTravail t;
    for (int i = 0; i < NbLectures; ++i) {
        TLecture l{int(Alea() % NbImages), int(Alea() % 5), 0};
        l.nCritere = int(Alea() % c.Criteres[l.nImage].size());
        t.Lectures.push_back(l);
    }
    for (int i = 0; i < NbEcritures; ++i) {
        TEcriture e;
        e.nGenre = i % 4;
        e.nImage = int(Alea() % NbImages);
        switch (e.nGenre) {
        case 0:
            e.cCle = QString::fromUtf8("/home/ann/Photos/2009/Nouvelles/IMG_%1.jpg").arg(i);
            e.cValeur = c.Chemins[Alea() % c.Chemins.size()];
            break;
        case 1:
            e.cCle = QString::fromUtf8("/home/ann/Photos/2009/Nouvelles/IMG_%1.jpg").arg(i);
            e.cValeur = MotsCles(Alea);
            break;
        case 2: e.cValeur = Legende(Alea) + QString(" (%1)").arg(i); break;
        default: e.cValeur = QString::number(i);
        }
        t.Ecritures.push_back(std::move(e));
    }
    for (int i = 0; i < NbSuppressions; ++i)
        t.Suppressions.push_back({i % 2 == 0, int(Alea() % NbImages)});
    for (int i = 0; i < NbEffacements; ++i)
        t.Effacements.push_back(int(Alea() % NbImages));
    return t;
}

struct TTemps
{
    double dCharge = 0, dLectures = 0, dEcritures = 0, dSuppressions = 0, dEffacements = 0, dSauvegarde = 0;
};

// ---------------------------------------------------------------- the text store

TTemps MesureTexte(const TCatalogue &c, const TTravail &t, const QString &cBDD, const QString &cSetup)
{
    TTemps r;
    // Loads and lookups change nothing: the best of a few rounds is kept, which tells the
    // store's cost from the noise of other work on the machine.
    double dChargeBDD = 1e9, dChargeSetup = 1e9, dChargeCpu = 1e9;
    r.dCharge = 1e9;
    for (int nTour = 0; nTour < NbTours - 1; ++nTour) {
        const double c0 = SecondesCpu();
        const auto t0 = Horloge::now();
        TBigIniFile a(cBDD, true);
        const double d1 = Secondes(t0);
        const auto t1 = Horloge::now();
        TBigIniFile b(cSetup);
        dChargeSetup = std::min(dChargeSetup, Secondes(t1));
        dChargeBDD = std::min(dChargeBDD, d1);
        r.dCharge = std::min(r.dCharge, Secondes(t0));
        dChargeCpu = std::min(dChargeCpu, SecondesCpu() - c0);
    }
    double c0 = SecondesCpu();
    auto t0 = Horloge::now();
    TBigIniFile iniBDD(cBDD, true);
    dChargeBDD = std::min(dChargeBDD, Secondes(t0));
    auto t1 = Horloge::now();
    TBigIniFile iniSetup(cSetup);
    dChargeSetup = std::min(dChargeSetup, Secondes(t1));
    r.dCharge = std::min(r.dCharge, Secondes(t0));
    dChargeCpu = std::min(dChargeCpu, SecondesCpu() - c0);
    iniBDD.lAutoSave = false;
    iniSetup.lAutoSave = false;
    Bench("load_catalogue", dChargeBDD, "s");
    Bench("load_settings", dChargeSetup, "s");
    Bench("load", r.dCharge, "s");
    Bench("load_cpu", dChargeCpu, "s");

    qsizetype nTotal = 0;
    r.dLectures = 1e9;
    double dLecturesCpu = 1e9;
    for (int nTour = 0; nTour < NbTours; ++nTour) {
        c0 = SecondesCpu();
        t0 = Horloge::now();
        for (const TLecture &l : t.Lectures) {
            const QString &cImage = c.Images[size_t(l.nImage)];
            if (l.nGenre == 0)
                nTotal += iniBDD.ReadString(cImage, c.Criteres[size_t(l.nImage)][size_t(l.nCritere)], "?").size();
            else
                nTotal += iniSetup.ReadString(*SectionsSetup[l.nGenre - 1], cImage, "?").size();
        }
        r.dLectures = std::min(r.dLectures, Secondes(t0));
        dLecturesCpu = std::min(dLecturesCpu, SecondesCpu() - c0);
    }
    Bench("lookup_cpu", dLecturesCpu / NbLectures * 1e6, "us");
    if (nTotal == 0)
        std::printf("no value read\n");

    t0 = Horloge::now();
    for (const TEcriture &e : t.Ecritures) {
        switch (e.nGenre) {
        case 0: iniBDD.WriteString(e.cCle, e.cValeur, QString()); break;
        case 1: iniSetup.WriteString(cSectionMotsCles, e.cCle, e.cValeur); break;
        case 2: iniSetup.WriteString(cSectionLegendes, c.Images[size_t(e.nImage)], e.cValeur); break;
        default: iniSetup.WriteString(cSectionResolutionsVignettes, c.Images[size_t(e.nImage)], e.cValeur);
        }
    }
    r.dEcritures = Secondes(t0);

    t0 = Horloge::now();
    for (const TSuppression &s : t.Suppressions) {
        const QString &cImage = c.Images[size_t(s.nImage)];
        if (s.lCatalogue)
            iniBDD.DeleteKey(cImage, c.Criteres[size_t(s.nImage)].front());
        else
            iniSetup.DeleteKey(cSectionMotsCles, cImage);
    }
    r.dSuppressions = Secondes(t0);

    t0 = Horloge::now();
    for (const int n : t.Effacements)
        iniBDD.EraseSection(c.Images[size_t(n)]);
    r.dEffacements = Secondes(t0);

    c0 = SecondesCpu();
    t0 = Horloge::now();
    const bool lOk1 = iniBDD.UpdateFile();
    const double dSauveBDD = Secondes(t0);
    t1 = Horloge::now();
    const bool lOk2 = iniSetup.UpdateFile();
    const double dSauveSetup = Secondes(t1);
    r.dSauvegarde = Secondes(t0);
    Bench("save_cpu", SecondesCpu() - c0, "s");
    if (!lOk1 || !lOk2)
        std::printf("save failed\n");

    Bench("lookup", r.dLectures / NbLectures * 1e6, "us");
    Bench("read_100000", r.dLectures, "s");
    Bench("write_10000", r.dEcritures, "s");
    Bench("delete_key_1000", r.dSuppressions, "s");
    Bench("erase_section_100", r.dEffacements, "s");
    Bench("save_catalogue", dSauveBDD, "s");
    Bench("save_settings", dSauveSetup, "s");
    Bench("save", r.dSauvegarde, "s");
    Bench("file_size_catalogue", double(QFile(cBDD).size()) / (1024.0 * 1024.0), "MB");
    Bench("file_size_settings", double(QFile(cSetup).size()) / (1024.0 * 1024.0), "MB");
    return r;
}

// ---------------------------------------------------------------- SQLite

sqlite3_stmt *Prepare(sqlite3 *db, const char *cSql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, cSql, -1, &s, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "sqlite: %s (%s)\n", sqlite3_errmsg(db), cSql);
    return s;
}

const char *const TablesSetup[] = {"motscles", "legendes", "coupsdecoeur", "resolutions"};

void ConstruitSqlite(const TCatalogue &c, const QString &cFichier, std::mt19937 &Alea)
{
    sqlite3 *db = nullptr;
    sqlite3_open(cFichier.toUtf8().constData(), &db);
    Exec(db,
         "CREATE TABLE criteres(image TEXT NOT NULL, critere TEXT NOT NULL, valeur TEXT, PRIMARY KEY(image, critere))");
    Exec(db, "CREATE TABLE general(cle TEXT PRIMARY KEY, valeur TEXT)");
    for (const char *t : TablesSetup)
        Exec(db, (std::string("CREATE TABLE ") + t + "(cle TEXT PRIMARY KEY, valeur TEXT)").c_str());
    Exec(db, "BEGIN");
    sqlite3_stmt *sCrit = Prepare(db, "INSERT INTO criteres VALUES(?,?,'')");
    for (size_t i = 0; i < c.Images.size(); ++i) {
        for (const QString &p : c.Criteres[i]) {
            Lie(sCrit, 1, c.Images[i]);
            Lie(sCrit, 2, p);
            Execute(sCrit);
        }
    }
    sqlite3_finalize(sCrit);
    sqlite3_stmt *sGen = Prepare(db, "INSERT INTO general VALUES(?,?)");
    for (int i = 0; i < 80; ++i) {
        Lie(sGen, 1, QString("nReglage%1").arg(i));
        Lie(sGen, 2, QString::number(i * 7));
        Execute(sGen);
    }
    sqlite3_finalize(sGen);
    for (int k = 0; k < 4; ++k) {
        sqlite3_stmt *s = Prepare(db, (std::string("INSERT INTO ") + TablesSetup[k] + " VALUES(?,?)").c_str());
        for (const QString &cImage : c.Images) {
            Lie(s, 1, cImage);
            Lie(s, 2, k == 0 ? MotsCles(Alea) : k == 1 ? Legende(Alea) : k == 2 ? QString() : Resolution(Alea));
            Execute(s);
        }
        sqlite3_finalize(s);
    }
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

TTemps MesureSqlite(const TCatalogue &c, const TTravail &t, const QString &cFichier)
{
    TTemps r;
    auto t0 = Horloge::now();
    sqlite3 *db = nullptr;
    sqlite3_open(cFichier.toUtf8().constData(), &db);
    sqlite3_stmt *sLitCrit = Prepare(db, "SELECT valeur FROM criteres WHERE image=? AND critere=?");
    sqlite3_stmt *sLit[4], *sEcrit[4];
    for (int k = 0; k < 4; ++k) {
        sLit[k] = Prepare(db, (std::string("SELECT valeur FROM ") + TablesSetup[k] + " WHERE cle=?").c_str());
        sEcrit[k] = Prepare(db, (std::string("INSERT OR REPLACE INTO ") + TablesSetup[k] + " VALUES(?,?)").c_str());
    }
    sqlite3_stmt *sEcritCrit = Prepare(db, "INSERT OR REPLACE INTO criteres VALUES(?,?,?)");
    sqlite3_stmt *sSupprCrit = Prepare(db, "DELETE FROM criteres WHERE image=? AND critere=?");
    sqlite3_stmt *sSupprMot = Prepare(db, "DELETE FROM motscles WHERE cle=?");
    sqlite3_stmt *sEfface = Prepare(db, "DELETE FROM criteres WHERE image=?");
    // Reading the settings, as the program does first at start-up.
    Exec(db, "SELECT count(*) FROM general");
    r.dCharge = Secondes(t0);

    qsizetype nTotal = 0;
    r.dLectures = 1e9;
    for (int nTour = 0; nTour < NbTours; ++nTour) {
        t0 = Horloge::now();
        for (const TLecture &l : t.Lectures) {
            const QString &cImage = c.Images[size_t(l.nImage)];
            sqlite3_stmt *s;
            if (l.nGenre == 0) {
                s = sLitCrit;
                Lie(s, 1, cImage);
                Lie(s, 2, c.Criteres[size_t(l.nImage)][size_t(l.nCritere)]);
            } else {
                s = sLit[l.nGenre - 1];
                Lie(s, 1, cImage);
            }
            if (sqlite3_step(s) == SQLITE_ROW) {
                const void *p = sqlite3_column_text16(s, 0);
                const int n = sqlite3_column_bytes16(s, 0);
                nTotal += QString(reinterpret_cast<const QChar *>(p), n / 2).size() + 1;
            }
            sqlite3_reset(s);
        }
        r.dLectures = std::min(r.dLectures, Secondes(t0));
    }
    if (nTotal == 0)
        std::printf("no value read\n");

    // All the changes form one transaction, committed as the save.
    Exec(db, "BEGIN");
    t0 = Horloge::now();
    for (const TEcriture &e : t.Ecritures) {
        switch (e.nGenre) {
        case 0:
            Lie(sEcritCrit, 1, e.cCle);
            Lie(sEcritCrit, 2, e.cValeur);
            Lie(sEcritCrit, 3, QString(""));
            Execute(sEcritCrit);
            break;
        case 1:
            Lie(sEcrit[0], 1, e.cCle);
            Lie(sEcrit[0], 2, e.cValeur);
            Execute(sEcrit[0]);
            break;
        default: {
            sqlite3_stmt *s = sEcrit[e.nGenre == 2 ? 1 : 3];
            Lie(s, 1, c.Images[size_t(e.nImage)]);
            Lie(s, 2, e.cValeur);
            Execute(s);
        }
        }
    }
    r.dEcritures = Secondes(t0);

    t0 = Horloge::now();
    for (const TSuppression &s : t.Suppressions) {
        const QString &cImage = c.Images[size_t(s.nImage)];
        if (s.lCatalogue) {
            Lie(sSupprCrit, 1, cImage);
            Lie(sSupprCrit, 2, c.Criteres[size_t(s.nImage)].front());
            Execute(sSupprCrit);
        } else {
            Lie(sSupprMot, 1, cImage);
            Execute(sSupprMot);
        }
    }
    r.dSuppressions = Secondes(t0);

    t0 = Horloge::now();
    for (const int n : t.Effacements) {
        Lie(sEfface, 1, c.Images[size_t(n)]);
        Execute(sEfface);
    }
    r.dEffacements = Secondes(t0);

    t0 = Horloge::now();
    Exec(db, "COMMIT");
    r.dSauvegarde = Secondes(t0);

    for (sqlite3_stmt *s : {sLitCrit, sEcritCrit, sSupprCrit, sSupprMot, sEfface})
        sqlite3_finalize(s);
    for (int k = 0; k < 4; ++k) {
        sqlite3_finalize(sLit[k]);
        sqlite3_finalize(sEcrit[k]);
    }
    sqlite3_close(db);
    return r;
}
} // namespace

int main()
{
    QTemporaryDir Dossier;
    if (!Dossier.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    std::mt19937 Alea(20040704);
    const TCatalogue c = Genere(Alea);
    const QString cBDD = Dossier.filePath("KX_BDD.ini"), cSetup = Dossier.filePath("KX_Setup.ini");
    EcritFichiers(c, cBDD, cSetup, Alea);
    const TTravail t = Prepare(c, Alea);
    const double dMemAvant = PicMemoireMo();

    const TTemps Texte = MesureTexte(c, t, cBDD, cSetup);
    Bench("peak_memory", PicMemoireMo(), "MB");
    Bench("memory_before_load", dMemAvant, "MB");

    const QString cDb = Dossier.filePath("catalogue.sqlite");
    ConstruitSqlite(c, cDb, Alea);
    const TTemps Sql = MesureSqlite(c, t, cDb);
    Bench("sqlite_open", Sql.dCharge, "s");
    Bench("sqlite_lookup", Sql.dLectures / NbLectures * 1e6, "us");
    Bench("sqlite_write_10000", Sql.dEcritures, "s");
    Bench("sqlite_delete_key_1000", Sql.dSuppressions, "s");
    Bench("sqlite_erase_section_100", Sql.dEffacements, "s");
    Bench("sqlite_commit", Sql.dSauvegarde, "s");

    Ratio("load", Sql.dCharge, Texte.dCharge);
    Ratio("lookup", Sql.dLectures, Texte.dLectures);
    Ratio("write", Sql.dEcritures, Texte.dEcritures);
    Ratio("delete_key", Sql.dSuppressions, Texte.dSuppressions);
    Ratio("erase_section", Sql.dEffacements, Texte.dEffacements);
    Ratio("save", Sql.dSauvegarde, Texte.dSauvegarde);
    // The whole session: open, read, change and make the changes durable.
    const double dTotalTexte = Texte.dCharge + Texte.dLectures + Texte.dEcritures + Texte.dSuppressions
                               + Texte.dEffacements + Texte.dSauvegarde;
    const double dTotalSql =
        Sql.dCharge + Sql.dLectures + Sql.dEcritures + Sql.dSuppressions + Sql.dEffacements + Sql.dSauvegarde;
    Bench("session", dTotalTexte, "s");
    Ratio("session", dTotalSql, dTotalTexte);
    return 0;
}
