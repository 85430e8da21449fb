// Times the application of the search page's values to 1,000 checked images of a 100,000-image
// catalogue (the catalogue store_bench makes), in 10 folders, descriptions handled: two
// criteria and keywords merged, the favourite set, a legend and a description written, through
// the button's core path with its saves. Then the same changes alone, without any save, against
// an indexed SQLite database doing them in one transaction.
//
// Prints "BENCH <name> <value> <unit>" lines; "<name>_vs_sqlite" is SQLite's processor time
// divided by ours (above 1: faster than SQLite).

#include "classification/ArboCriteres.h"
#include "classification/Classement.h"
#include "classification/CochesCriteres.h"
#include "platform/Messages.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"
#include "storage/Settings.h"

#include "BancSqlite.h"
#include "CatalogueGenere.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <set>
#include <vector>

namespace
{
constexpr int NbImages = 100000;
constexpr int NbCochees = 1000;
constexpr int NbDossiers = 10;
constexpr int NbTours = 3;
constexpr int NbToursComparaison = 7;

using Horloge = std::chrono::steady_clock;

double Secondes(Horloge::time_point t0)
{
    return std::chrono::duration<double>(Horloge::now() - t0).count();
}

// Processor time of this thread: on a machine busy with other work, the wall clock of a
// 20-millisecond task mostly measures the scheduler.
double SecondesCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

void Bench(const char *cNom, double dValeur, const char *cUnite)
{
    std::printf("BENCH %s %.6g %s\n", cNom, dValeur, cUnite);
    std::fflush(stdout);
}

// ---------------------------------------------------------------- the catalogue of store_bench

// The checked images live in folders of their own, where descript.ion files can be.
TCatalogue Genere(std::mt19937 &Alea, const QString &cPhotos)
{
    return GenereCatalogue(Alea, NbImages, [&](int i) {
        if (i % 100 != 1)
            return QString();
        const int j = i / 100;
        return QString("%1Dossier %2/IMG_%3.jpg")
            .arg(cPhotos)
            .arg(j / (NbCochees / NbDossiers))
            .arg(i, 6, 10, QChar('0'));
    });
}

// Every node of the tree, a node before its children.
QStringList Noeuds(const TCatalogue &c)
{
    QStringList r;
    QSet<QString> Vus;
    for (const QString &p : c.Chemins) {
        const QStringList Parties = p.split('/');
        for (qsizetype n = 1; n <= Parties.size(); ++n) {
            const QString cPrefixe = Parties.mid(0, n).join('/');
            if (!Vus.contains(cPrefixe)) {
                Vus.insert(cPrefixe);
                r << cPrefixe;
            }
        }
    }
    return r;
}

QByteArray Octets(const QString &c)
{
    return c.toUtf8();
}

struct TFichiers
{
    QString cBDD, cSetup;
    QHash<QString, QByteArray> Contenus; // every file as first written, restored before each round

    void Restaure() const
    {
        for (auto It = Contenus.cbegin(); It != Contenus.cend(); ++It) {
            QFile f(It.key());
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write(It.value());
        }
    }
};

TFichiers EcritFichiers(const TCatalogue &c, const QString &cDonnees, const QString &cPhotos, std::mt19937 &Alea)
{
    TFichiers f;
    f.cBDD = cDonnees + "KX_BDD.ini";
    f.cSetup = cDonnees + "KX_Setup.ini";
    QByteArray BDD;
    for (size_t i = 0; i < c.Images.size(); ++i) {
        BDD += '[' + Octets(c.Images[i]) + "]\r\n";
        for (const QString &p : c.Criteres[i])
            BDD += Octets(p) + "=\r\n";
    }
    f.Contenus.insert(f.cBDD, BDD);

    QByteArray Setup = "[GENERAL]\r\n";
    for (int i = 0; i < 80; ++i)
        Setup += "nReglage" + QByteArray::number(i) + '=' + QByteArray::number(i * 7) + "\r\n";
    Setup += "\r\n[CRITERES HIERARCHIQUES]\r\n";
    for (const QString &n : Noeuds(c))
        Setup += Octets(n) + "=\r\n";
    auto Section = [&](const char *cNom, auto &&Valeur) {
        Setup += QByteArray("\r\n[") + cNom + "]\r\n";
        for (const QString &cImage : c.Images)
            Setup += Octets(cImage) + '=' + Octets(Valeur()) + "\r\n";
    };
    Section("MOTS-CLES", [&] { return MotsCles(Alea); });
    Section("LEGENDES", [&] { return Legende(Alea); });
    Section("COUPS DE COEUR", [] { return QString(); });
    f.Contenus.insert(f.cSetup, Setup);

    // Each folder's descript.ion describes every other image, and files that are not checked.
    QHash<QString, QByteArray> Descriptions;
    for (size_t k = 0; k < c.Choisies.size(); ++k) {
        const QString &cCle = c.Images[size_t(c.Choisies[k])];
        const QString cDossier = cCle.left(cCle.lastIndexOf('/') + 1);
        QByteArray &d = Descriptions[cDossier + "descript.ion"];
        if (k % 2 == 0)
            d += Octets(cCle.mid(cCle.lastIndexOf('/') + 1)) + ' ' + Octets(Legende(Alea)) + "\r\n";
        d += "AUTRE_" + QByteArray::number(qulonglong(k)) + ".JPG Une autre image\r\n";
    }
    for (auto It = Descriptions.cbegin(); It != Descriptions.cend(); ++It) {
        QDir().mkpath(It.key().left(It.key().lastIndexOf('/')));
        f.Contenus.insert(It.key(), It.value());
    }
    QDir().mkpath(cPhotos);
    f.Restaure();
    return f;
}

// ---------------------------------------------------------------- the work

const QStringList CriteresCoches = {QString::fromUtf8("Lieux/Italie"), QString::fromUtf8("Sujets/Paysages/Mer")};
const QString cNouvMotsCles = QStringLiteral("SOLEIL VACANCES");
const QString cNouvLegende = QStringLiteral("Coucher de soleil sur la mer");
const QString cNouvDescription = QStringLiteral("Vacances 2004, la plage le soir");

TParamsClassement Params()
{
    TParamsClassement p;
    p.lAppCrit = true;
    p.lAppMC = true;
    p.cNouvMotsCles = cNouvMotsCles;
    p.lAppCDC = p.lNouvCDC = true;
    p.lAppLeg = true;
    p.cNouvLegende = cNouvLegende;
    p.lAppDes = true;
    p.cNouvDescription = cNouvDescription;
    return p;
}

class TOui : public IMessages
{
public:
    int nQuestions = 0;
    bool Question(QWidget *, const QString &, bool, const QString &) override
    {
        ++nQuestions;
        return true;
    }
    void Information(QWidget *, const QString &) override {}
    void Attention(QWidget *, const QString &) override {}
    void Erreur(QWidget *, const QString &cTexte) override { std::fprintf(stderr, "%s\n", qPrintable(cTexte)); }
};

// The program's state for one round, opened from the files as they stand.
struct TSession
{
    TEnrParametres Parametres;
    TBigIniFile Setup, BDD;
    TArboCriteres Arbo;
    TDescriptions Descriptions;
    TClassement Classement;
    TCochesCriteres Coches;
    std::vector<TEnrLV> Entrees;
    QList<const TEnrLV *> Images;

    TSession(const TFichiers &f, const TCatalogue &c, const QString &cIcones)
        : Setup(f.cSetup), BDD(f.cBDD, true), Descriptions(Setup),
          Classement(Setup, BDD, Descriptions, Arbo, Parametres), Coches(Arbo)
    {
        Setup.lAutoSave = BDD.lAutoSave = false;
        Parametres.lTrtDescription = true;
        Arbo.ChargerArboCritHier(Setup, Parametres, cIcones);
        for (const QString &p : CriteresCoches)
            Coches.CocherChemin(p);
        Entrees.resize(c.Choisies.size());
        for (size_t k = 0; k < c.Choisies.size(); ++k) {
            Entrees[k].cChemin = c.Images[size_t(c.Choisies[k])];
            Images << &Entrees[k];
        }
    }
};

// Counts the files saved in the watched folders: renames onto a name (atomic saves), direct
// writes and deletions; temporary files (".name.tmp-...") are not counted.
class TCompteEcritures
{
public:
    explicit TCompteEcritures(const QStringList &Dossiers)
    {
        m_fd = inotify_init1(IN_NONBLOCK);
        for (const QString &d : Dossiers)
            inotify_add_watch(m_fd, QFile::encodeName(d).constData(), IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE);
    }
    ~TCompteEcritures() { ::close(m_fd); }
    int Lit()
    {
        int n = 0;
        alignas(inotify_event) char Tampon[64 * 1024];
        for (;;) {
            const ssize_t nLus = ::read(m_fd, Tampon, sizeof Tampon);
            if (nLus <= 0)
                break;
            for (char *p = Tampon; p < Tampon + nLus;) {
                const auto *e = reinterpret_cast<const inotify_event *>(p);
                if (e->len && e->name[0] != '.')
                    ++n;
                p += sizeof(inotify_event) + e->len;
            }
        }
        return n;
    }

private:
    int m_fd = -1;
};

// ---------------------------------------------------------------- SQLite

sqlite3_stmt *Prepare(sqlite3 *db, const char *cSql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v3(db, cSql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "sqlite: %s (%s)\n", sqlite3_errmsg(db), cSql);
    return s;
}

const char *const Pragmas = "PRAGMA journal_mode=WAL;"
                            "PRAGMA synchronous=NORMAL;"
                            "PRAGMA temp_store=MEMORY;"
                            "PRAGMA cache_size=-65536;"
                            "PRAGMA mmap_size=268435456;"
                            "PRAGMA foreign_keys=OFF;";

const char *const Schema =
    "CREATE TABLE images(id INTEGER PRIMARY KEY, cle TEXT NOT NULL UNIQUE);"
    "CREATE TABLE criteres(id INTEGER PRIMARY KEY, chemin TEXT NOT NULL UNIQUE,"
    " ordre INTEGER NOT NULL, taille INTEGER NOT NULL);"
    "CREATE TABLE image_criteres(image INTEGER NOT NULL REFERENCES images(id),"
    " critere INTEGER NOT NULL REFERENCES criteres(id), PRIMARY KEY(image, critere)) WITHOUT ROWID;"
    "CREATE INDEX image_criteres_par_critere ON image_criteres(critere, image);"
    "CREATE TABLE motscles(image INTEGER PRIMARY KEY REFERENCES images(id), valeur TEXT NOT NULL);"
    "CREATE TABLE coups_de_coeur(image INTEGER PRIMARY KEY REFERENCES images(id));"
    "CREATE TABLE legendes(image INTEGER PRIMARY KEY REFERENCES images(id), valeur TEXT NOT NULL);"
    "CREATE TABLE descriptions(image INTEGER PRIMARY KEY REFERENCES images(id), valeur TEXT NOT NULL);";

// The same data as the stores and the descript.ion files.
void ConstruitSqlite(sqlite3 *db, const TCatalogue &c, const TArboCriteres &Arbo, const TBigIniFile &Setup,
                     TDescriptions &Descriptions)
{
    Exec(db, Pragmas);
    Exec(db, Schema);
    Exec(db, "BEGIN");
    sqlite3_stmt *s = Prepare(db, "INSERT INTO criteres VALUES(?,?,?,?)");
    for (const TNoeudCritere *n : Arbo.Preordre()) {
        sqlite3_bind_int(s, 1, n->Index() + 1);
        Lie(s, 2, CheminCritere(*n));
        sqlite3_bind_int(s, 3, n->Index());
        sqlite3_bind_int(s, 4, n->Taille());
        Execute(s);
    }
    sqlite3_finalize(s);
    sqlite3_stmt *sImage = Prepare(db, "INSERT INTO images VALUES(?,?)");
    sqlite3_stmt *sCrit = Prepare(db, "INSERT OR IGNORE INTO image_criteres VALUES(?,?)");
    sqlite3_stmt *sMC = Prepare(db, "INSERT INTO motscles VALUES(?,?)");
    sqlite3_stmt *sCDC = Prepare(db, "INSERT INTO coups_de_coeur VALUES(?)");
    sqlite3_stmt *sLeg = Prepare(db, "INSERT INTO legendes VALUES(?,?)");
    sqlite3_stmt *sDes = Prepare(db, "INSERT INTO descriptions VALUES(?,?)");
    std::set<int> Cochees(c.Choisies.begin(), c.Choisies.end());
    for (size_t i = 0; i < c.Images.size(); ++i) {
        const QString &cCle = c.Images[i];
        const int nId = int(i) + 1;
        sqlite3_bind_int(sImage, 1, nId);
        Lie(sImage, 2, cCle);
        Execute(sImage);
        for (const QString &p : c.Criteres[i]) {
            if (const TNoeudCritere *n = Arbo.NoeudDeChemin(p)) {
                sqlite3_bind_int(sCrit, 1, nId);
                sqlite3_bind_int(sCrit, 2, n->Index() + 1);
                Execute(sCrit);
            }
        }
        auto Valeur = [&](sqlite3_stmt *st, const char *cSection) {
            if (!Setup.ValueExists(QString::fromLatin1(cSection), cCle))
                return;
            sqlite3_bind_int(st, 1, nId);
            if (st != sCDC)
                Lie(st, 2, Setup.ReadString(QString::fromLatin1(cSection), cCle, QString()));
            Execute(st);
        };
        Valeur(sMC, "MOTS-CLES");
        Valeur(sCDC, "COUPS DE COEUR");
        Valeur(sLeg, "LEGENDES");
        if (Cochees.count(int(i))) {
            const QString cDes = Descriptions.DescriptionImage(0, cCle, nDescLecture);
            if (!cDes.isEmpty()) {
                sqlite3_bind_int(sDes, 1, nId);
                Lie(sDes, 2, cDes);
                Execute(sDes);
            }
        }
    }
    for (sqlite3_stmt *st : {sImage, sCrit, sMC, sCDC, sLeg, sDes})
        sqlite3_finalize(st);
    Exec(db, "COMMIT");
    Exec(db, "ANALYZE");
}

struct TRequetes
{
    sqlite3_stmt *sIdImage, *sCritere, *sCriteresImage, *sSupprCritere, *sAjoutCritere, *sLitMC, *sEcritMC, *sCDC,
        *sLeg, *sDes;

    explicit TRequetes(sqlite3 *db)
    {
        sIdImage = Prepare(db, "SELECT id FROM images WHERE cle=?");
        sCritere = Prepare(db, "SELECT id, ordre, taille FROM criteres WHERE chemin=?");
        sCriteresImage = Prepare(db, "SELECT c.id, c.ordre, c.taille FROM image_criteres ic"
                                     " JOIN criteres c ON c.id=ic.critere WHERE ic.image=?");
        sSupprCritere = Prepare(db, "DELETE FROM image_criteres WHERE image=? AND critere=?");
        sAjoutCritere = Prepare(db, "INSERT INTO image_criteres VALUES(?,?)");
        sLitMC = Prepare(db, "SELECT valeur FROM motscles WHERE image=?");
        sEcritMC = Prepare(db, "INSERT INTO motscles VALUES(?1,?2)"
                               " ON CONFLICT(image) DO UPDATE SET valeur=excluded.valeur");
        sCDC = Prepare(db, "INSERT OR IGNORE INTO coups_de_coeur VALUES(?)");
        sLeg = Prepare(db, "INSERT INTO legendes VALUES(?1,?2)"
                           " ON CONFLICT(image) DO UPDATE SET valeur=excluded.valeur WHERE valeur<>excluded.valeur");
        sDes = Prepare(db, "INSERT INTO descriptions VALUES(?1,?2)"
                           " ON CONFLICT(image) DO UPDATE SET valeur=excluded.valeur WHERE valeur<>excluded.valeur");
    }
    ~TRequetes()
    {
        for (sqlite3_stmt *s :
             {sIdImage, sCritere, sCriteresImage, sSupprCritere, sAjoutCritere, sLitMC, sEcritMC, sCDC, sLeg, sDes})
            sqlite3_finalize(s);
    }
};

// The same changes in one transaction: the criteria merged (the checked ones added, every
// criterion with another one below it dropped, by the tree's pre-order index and subtree size),
// the keywords merged by the program's own rule, the favourite, legend and description set.
void AppliqueSqlite(const TRequetes &r, const TCatalogue &c)
{
    struct TCrit
    {
        int nId, nOrdre, nTaille;
    };
    std::vector<TCrit> Coches;
    for (const QString &p : CriteresCoches) {
        Lie(r.sCritere, 1, p);
        if (sqlite3_step(r.sCritere) == SQLITE_ROW)
            Coches.push_back({sqlite3_column_int(r.sCritere, 0), sqlite3_column_int(r.sCritere, 1),
                              sqlite3_column_int(r.sCritere, 2)});
        sqlite3_reset(r.sCritere);
    }
    std::vector<TCrit> Avant, Tous;
    for (const int i : c.Choisies) {
        Lie(r.sIdImage, 1, c.Images[size_t(i)]);
        const int nId = sqlite3_step(r.sIdImage) == SQLITE_ROW ? sqlite3_column_int(r.sIdImage, 0) : 0;
        sqlite3_reset(r.sIdImage);

        Avant.clear();
        sqlite3_bind_int(r.sCriteresImage, 1, nId);
        while (sqlite3_step(r.sCriteresImage) == SQLITE_ROW)
            Avant.push_back({sqlite3_column_int(r.sCriteresImage, 0), sqlite3_column_int(r.sCriteresImage, 1),
                             sqlite3_column_int(r.sCriteresImage, 2)});
        sqlite3_reset(r.sCriteresImage);
        Tous = Avant;
        Tous.insert(Tous.end(), Coches.begin(), Coches.end());
        std::sort(Tous.begin(), Tous.end(), [](const TCrit &a, const TCrit &b) { return a.nOrdre < b.nOrdre; });
        Tous.erase(std::unique(Tous.begin(), Tous.end(), [](const TCrit &a, const TCrit &b) { return a.nId == b.nId; }),
                   Tous.end());
        for (size_t k = 0; k < Tous.size(); ++k) {
            // In pre-order a criterion's descendants follow it within its subtree size.
            const bool lGarde = k + 1 >= Tous.size() || Tous[k + 1].nOrdre >= Tous[k].nOrdre + Tous[k].nTaille;
            const bool lStocke =
                std::any_of(Avant.begin(), Avant.end(), [&](const TCrit &a) { return a.nId == Tous[k].nId; });
            if (lGarde && !lStocke) {
                sqlite3_bind_int(r.sAjoutCritere, 1, nId);
                sqlite3_bind_int(r.sAjoutCritere, 2, Tous[k].nId);
                Execute(r.sAjoutCritere);
            } else if (!lGarde && lStocke) {
                sqlite3_bind_int(r.sSupprCritere, 1, nId);
                sqlite3_bind_int(r.sSupprCritere, 2, Tous[k].nId);
                Execute(r.sSupprCritere);
            }
        }

        sqlite3_bind_int(r.sLitMC, 1, nId);
        const QString cAvant = sqlite3_step(r.sLitMC) == SQLITE_ROW ? Colonne(r.sLitMC, 0) : QString();
        sqlite3_reset(r.sLitMC);
        const QString cApres = MotsClesStockes(cNouvMotsCles + ' ' + cAvant);
        if (cApres != cAvant) {
            sqlite3_bind_int(r.sEcritMC, 1, nId);
            Lie(r.sEcritMC, 2, cApres);
            Execute(r.sEcritMC);
        }
        sqlite3_bind_int(r.sCDC, 1, nId);
        Execute(r.sCDC);
        sqlite3_bind_int(r.sLeg, 1, nId);
        Lie(r.sLeg, 2, cNouvLegende);
        Execute(r.sLeg);
        sqlite3_bind_int(r.sDes, 1, nId);
        Lie(r.sDes, 2, cNouvDescription);
        Execute(r.sDes);
    }
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir Dossier;
    if (!Dossier.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString cDonnees = Dossier.path() + "/donnees/";
    const QString cPhotos = Dossier.path() + "/photos/";
    const QString cIcones = cDonnees + "ImgsCH/";
    QDir().mkpath(cIcones);
    std::mt19937 Alea(20040704);
    const TCatalogue c = Genere(Alea, cPhotos);
    const TFichiers Fichiers = EcritFichiers(c, cDonnees, cPhotos, Alea);
    QStringList Surveilles{cDonnees};
    for (int k = 0; k < NbDossiers; ++k)
        Surveilles << QString("%1Dossier %2/").arg(cPhotos).arg(k);

    // The button's whole path, saves included, from the state the files hold.
    double dTotal = 1e9;
    int nEcritures = 0;
    for (int nTour = 0; nTour < NbTours; ++nTour) {
        Fichiers.Restaure();
        TSession s(Fichiers, c, cIcones);
        TOui Oui;
        TCompteEcritures Compte(Surveilles);
        const auto t0 = Horloge::now();
        const TResultatClassement r = s.Classement.AppliquerAuxImages(s.Images, s.Coches, Params(), Oui);
        dTotal = std::min(dTotal, Secondes(t0));
        nEcritures = Compte.Lit();
        if (r.ClesModifiees.size() != NbCochees || !r.Reussi() || Oui.nQuestions != 1)
            std::fprintf(stderr, "unexpected result: %d images changed, %d questions\n", int(r.ClesModifiees.size()),
                         Oui.nQuestions);
    }
    Bench("classify_1000", dTotal, "s");
    Bench("classify_store_size",
          double(QFile(Fichiers.cBDD).size() + QFile(Fichiers.cSetup).size()) / (1024.0 * 1024.0), "MB");
    Bench("classify_1000_writes", nEcritures, "count");

    // The changes alone, without saving anything, against SQLite doing them in one transaction
    // that is then rolled back. Rounds alternate between the two so that both meet the same
    // load of the machine; the best round of each is kept.
    Fichiers.Restaure();
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(Dossier.path() + "/catalogue.sqlite").constData(), &db);
    {
        TSession s(Fichiers, c, cIcones);
        ConstruitSqlite(db, c, s.Arbo, s.Setup, s.Descriptions);
    }
    double dNous = 1e9, dSqlite = 1e9, dNousCpu = 1e9, dSqliteCpu = 1e9, dCommit = 0;
    {
        const TRequetes Requetes(db);
        for (int nTour = 0; nTour < NbToursComparaison; ++nTour) {
            {
                Fichiers.Restaure();
                TSession s(Fichiers, c, cIcones);
                const double c0 = SecondesCpu();
                const auto t0 = Horloge::now();
                QStringList Coches;
                s.Coches.ListerCritCoches(Coches);
                TLotClassement Lot(s.Classement, Coches, Params());
                for (const TEnrLV *e : std::as_const(s.Images))
                    Lot.Appliquer(*e);
                dNous = std::min(dNous, Secondes(t0));
                dNousCpu = std::min(dNousCpu, SecondesCpu() - c0);
            }
            Exec(db, "BEGIN");
            const double c0 = SecondesCpu();
            const auto t0 = Horloge::now();
            AppliqueSqlite(Requetes, c);
            dSqlite = std::min(dSqlite, Secondes(t0));
            dSqliteCpu = std::min(dSqliteCpu, SecondesCpu() - c0);
            if (nTour + 1 < NbToursComparaison) {
                Exec(db, "ROLLBACK");
            } else {
                const auto t1 = Horloge::now();
                Exec(db, "COMMIT");
                dCommit = Secondes(t1);
            }
        }
    }
    // Not timed: the peer must have made the same changes as the program.
    {
        Fichiers.Restaure();
        TSession s(Fichiers, c, cIcones);
        QStringList Coches;
        s.Coches.ListerCritCoches(Coches);
        TLotClassement Lot(s.Classement, Coches, Params());
        for (const TEnrLV *e : std::as_const(s.Images))
            Lot.Appliquer(*e);
        sqlite3_stmt *sCrit = Prepare(db, "SELECT c.chemin FROM image_criteres ic JOIN criteres c ON c.id=ic.critere"
                                          " JOIN images i ON i.id=ic.image WHERE i.cle=? ORDER BY c.ordre");
        sqlite3_stmt *sMC = Prepare(db, "SELECT m.valeur FROM motscles m JOIN images i ON i.id=m.image WHERE i.cle=?");
        int nDifferences = 0;
        for (const TEnrLV *e : std::as_const(s.Images)) {
            QStringList Chemins;
            Lie(sCrit, 1, e->cChemin);
            while (sqlite3_step(sCrit) == SQLITE_ROW)
                Chemins << Colonne(sCrit, 0);
            sqlite3_reset(sCrit);
            Lie(sMC, 1, e->cChemin);
            const QString cMC = sqlite3_step(sMC) == SQLITE_ROW ? Colonne(sMC, 0) : QString();
            sqlite3_reset(sMC);
            if (Chemins != s.Classement.CriteresImage(*e) || cMC != s.Classement.MotsClesImage(*e))
                ++nDifferences;
        }
        sqlite3_finalize(sCrit);
        sqlite3_finalize(sMC);
        if (nDifferences)
            std::fprintf(stderr, "the SQLite peer differs on %d images\n", nDifferences);
    }
    sqlite3_close(db);
    Bench("classify_apply_1000", dNous, "s");
    Bench("classify_apply_1000_cpu", dNousCpu, "s");
    Bench("classify_apply_1000_sqlite", dSqlite, "s");
    Bench("classify_apply_1000_sqlite_cpu", dSqliteCpu, "s");
    Bench("classify_1000_sqlite_commit", dCommit, "s");
    std::printf("BENCH classify_apply_1000_vs_sqlite %.3g x\n", dNousCpu > 0 ? dSqliteCpu / dNousCpu : 0.0);
    return 0;
}
