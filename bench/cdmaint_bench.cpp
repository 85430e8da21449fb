// Times the CD history's maintenance on the catalogue of 100,000 images the store benchmarks
// use, plus a CD of 5,000 images with thumbnails, criteria, keywords, legends and metadata
// caches:
//   cdmaint_unclassified   the CD's images without classification, sorted
//   cdmaint_replace_5000   the whole replacement by a new disc (thumbnails linked, stores
//                          re-keyed, both stores saved, the old folder removed)
//   cdmaint_remove_5000    the removal of the CD node with its sub-folders (thumbnails, keys,
//                          catalogue sections, both stores saved)
// and the re-keying alone (stores and saves, no thumbnail) against SQLite holding the same
// per-image data:
//
//   PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL (every commit reaches the disc, as our
//   saves do with their fsync)
//   image(id INTEGER PRIMARY KEY, volume INTEGER NOT NULL, chemin TEXT NOT NULL,
//         UNIQUE(volume, chemin))                  -- the image key, split; the unique index
//                                                  -- is (volume, chemin)
//   donnee(image INTEGER NOT NULL, section TEXT NOT NULL, valeur TEXT NOT NULL,
//          PRIMARY KEY(image, section)) WITHOUT ROWID   -- one row per per-image section
//   critere(image INTEGER NOT NULL, chemin TEXT NOT NULL,
//           PRIMARY KEY(image, chemin)) WITHOUT ROWID   -- the catalogue
// The replacement, one transaction (the source's data win over the destination's):
//   DELETE FROM donnee  WHERE image IN (SELECT d.id FROM image d JOIN image s ON s.chemin =
//                         d.chemin AND s.volume = :S WHERE d.volume = :D);
//   DELETE FROM critere WHERE image IN (same);
//   DELETE FROM image   WHERE id IN (same);
//   UPDATE image SET volume = :D WHERE volume = :S;
// Keys being split into their own table, the move itself touches only the 5,000 image rows.
//
// Times: wall clock (what the user waits for, syncs included) and the thread's processor time
// (the machine is shared). "cdmaint_replace_vs_sqlite" is SQLite's wall time divided by ours.
// "cdmaint_save_floor" is the bare atomic write of both stores' bytes (no re-keying, no
// formatting): "cdmaint_floor_vs_sqlite", SQLite's time over it, is the best ratio any design
// saving whole store files can reach.

#include "BancSqlite.h"
#include "CatalogueGenere.h"
#include "cdhistory/ArboCD.h"
#include "cdhistory/MaintenanceCD.h"
#include "imaging/NomVignette.h"
#include "platform/AtomicFile.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>
#include <random>

namespace
{
constexpr int nImages = 100000;
constexpr int nImagesCD = 5000;
constexpr qint32 nS = 0x51D0C0DE;
constexpr qint32 nD = 0x0C0B1E5;

using namespace MesureBanc;

QString CheminCD(int i)
{
    return QStringLiteral("/DCIM/%1CANON/IMG_%2.JPG").arg(100 + i / 500).arg(i, 4, 10, QChar('0'));
}

// The per-image lines of one image, as (section, value).
struct TDonneesImage
{
    QString cCle;
    std::vector<std::pair<QString, QString>> Lignes;
    std::vector<QString> Criteres;
};

std::vector<TDonneesImage> Genere()
{
    std::mt19937 Alea(20040611);
    const TCatalogue c = GenereCatalogue(Alea, nImages);
    std::vector<TDonneesImage> Images;
    Images.reserve(nImages + nImagesCD);
    auto Ajoute = [&](const QString &cCle, bool lCD, const std::vector<QString> &Criteres, int i, bool lSimule) {
        TDonneesImage d;
        d.cCle = cCle;
        d.Lignes.push_back({cSectionEXIF, QStringLiteral("Canon¦EOS 10D¦1/250¦f/8¦ISO 100¦%1").arg(i)});
        // One image in four of the CD is left without classification.
        const bool lSansCritere = lSimule && i % 4 == 0;
        if (i % 2 == 0 && !lSansCritere)
            d.Lignes.push_back({cSectionMotsCles, MotsCles(Alea)});
        if (i % 5 == 0 && !lSansCritere)
            d.Lignes.push_back({cSectionLegendes, Legende(Alea)});
        if (lCD) {
            d.Lignes.push_back({cSectionTaillesVignettes, QString::number(1500000 + i)});
            d.Lignes.push_back({cSectionResolutionsVignettes, QString::number(3072 + 65536 * 2048)});
            d.Lignes.push_back({cSectionIPTC, QStringLiteral("Rome¦Italie¦%1").arg(i)});
        }
        if (!lSansCritere)
            d.Criteres = Criteres;
        Images.push_back(std::move(d));
    };
    for (int i = 0; i < nImages; ++i)
        Ajoute(c.Images[size_t(i)], c.Images[size_t(i)].startsWith('<'), c.Criteres[size_t(i)], i, false);
    for (int i = 0; i < nImagesCD; ++i)
        Ajoute(CleImage(nS, CheminCD(i)), true, c.Criteres[size_t(i)], i, true);
    return Images;
}

void EcritStores(const std::vector<TDonneesImage> &Images, const QString &cSetup, const QString &cBDD)
{
    TBigIniFile iniSetup(cSetup), iniBDD(cBDD, true);
    iniSetup.lAutoSave = iniBDD.lAutoSave = false;
    for (const TDonneesImage &d : Images) {
        for (const auto &[cSection, cValeur] : d.Lignes)
            iniSetup.WriteString(cSection, d.cCle, cValeur);
        for (const QString &c : d.Criteres)
            iniBDD.WriteString(d.cCle, c, QString());
    }
    iniSetup.WriteString(cSectionLabelsCD, IdVolume(quint32(nS)), QStringLiteral("PHOTOS 2004"));
    iniSetup.UpdateFile();
    iniBDD.UpdateFile();
}

void EcritVignettes(const QString &cDossierVignettes)
{
    const QByteArray Octets(2500, '\x5a');
    for (int i = 0; i < nImagesCD; ++i) {
        const QString cFichier = NomVignette(cDossierVignettes, nS, CheminCD(i));
        if (i == 0)
            QDir().mkpath(QFileInfo(cFichier).absolutePath());
        QFile f(cFichier);
        if (f.open(QIODevice::WriteOnly))
            f.write(Octets);
    }
}

void CopieFichier(const QString &cDe, const QString &cVers)
{
    QFile::remove(cVers);
    QFile::copy(cDe, cVers);
}

double SqliteRemplace(const std::vector<TDonneesImage> &Images, const QString &cFichier, bool &lJuste)
{
    sqlite3 *db = nullptr;
    sqlite3_open(cFichier.toUtf8().constData(), &db);
    Exec(db, "PRAGMA journal_mode=WAL");
    Exec(db, "PRAGMA synchronous=FULL");
    Exec(db, "CREATE TABLE image(id INTEGER PRIMARY KEY, volume INTEGER NOT NULL, chemin TEXT NOT NULL, "
             "UNIQUE(volume, chemin))");
    Exec(db, "CREATE TABLE donnee(image INTEGER NOT NULL, section TEXT NOT NULL, valeur TEXT NOT NULL, "
             "PRIMARY KEY(image, section)) WITHOUT ROWID");
    Exec(db, "CREATE TABLE critere(image INTEGER NOT NULL, chemin TEXT NOT NULL, PRIMARY KEY(image, chemin)) "
             "WITHOUT ROWID");
    Exec(db, "BEGIN");
    sqlite3_stmt *si = nullptr, *sd = nullptr, *sc = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO image(id, volume, chemin) VALUES(?, ?, ?)", -1, &si, nullptr);
    sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO donnee VALUES(?, ?, ?)", -1, &sd, nullptr);
    sqlite3_prepare_v2(db, "INSERT OR IGNORE INTO critere VALUES(?, ?)", -1, &sc, nullptr);
    qint64 nId = 0;
    auto AjouteImage = [&](qint32 nVolume, const QString &cChemin, const TDonneesImage &d) {
        ++nId;
        sqlite3_bind_int64(si, 1, nId);
        sqlite3_bind_int(si, 2, nVolume);
        Lie(si, 3, cChemin);
        Execute(si);
        for (const auto &[cSection, cValeur] : d.Lignes) {
            sqlite3_bind_int64(sd, 1, nId);
            Lie(sd, 2, cSection);
            Lie(sd, 3, cValeur);
            Execute(sd);
        }
        for (const QString &c : d.Criteres) {
            sqlite3_bind_int64(sc, 1, nId);
            Lie(sc, 2, c);
            Execute(sc);
        }
    };
    for (const TDonneesImage &d : Images) {
        const TEnrLST e = DecomposeCle(d.cCle);
        AjouteImage(e.nVolume, e.cChemin, d);
    }
    // The destination already holds a tenth of the source's paths, with data of its own.
    for (int i = 0; i < nImagesCD; i += 10)
        AjouteImage(nD, CheminCD(i), Images[size_t(nImages + i)]);
    sqlite3_finalize(si);
    sqlite3_finalize(sd);
    sqlite3_finalize(sc);
    Exec(db, "COMMIT");
    Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");

    const char *cCommunes = "(SELECT d.id FROM image d JOIN image s ON s.chemin = d.chemin AND s.volume = ?1 "
                            "WHERE d.volume = ?2)";
    const QByteArray Requetes[] = {QByteArray("DELETE FROM donnee WHERE image IN ") + cCommunes,
                                   QByteArray("DELETE FROM critere WHERE image IN ") + cCommunes,
                                   QByteArray("DELETE FROM image WHERE id IN ") + cCommunes,
                                   QByteArray("UPDATE image SET volume = ?2 WHERE volume = ?1")};
    const TTemps t = Chrono([&] {
        Exec(db, "BEGIN");
        for (const QByteArray &q : Requetes) {
            sqlite3_stmt *s = nullptr;
            sqlite3_prepare_v2(db, q.constData(), -1, &s, nullptr);
            sqlite3_bind_int(s, 1, nS);
            sqlite3_bind_int(s, 2, nD);
            Execute(s);
            sqlite3_finalize(s);
        }
        Exec(db, "COMMIT");
    });
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT (SELECT count(*) FROM image WHERE volume = ?1), "
                       "(SELECT count(*) FROM image WHERE volume = ?2)",
                       -1, &s, nullptr);
    sqlite3_bind_int(s, 1, nS);
    sqlite3_bind_int(s, 2, nD);
    lJuste = sqlite3_step(s) == SQLITE_ROW && sqlite3_column_int(s, 0) == 0 && sqlite3_column_int(s, 1) == nImagesCD;
    sqlite3_finalize(s);
    sqlite3_close(db);
    Bench("cdmaint_sqlite_replace_cpu", t.dCpu / 1000.0, "s");
    return t.dMur;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    QTemporaryDir Temp;
    const QString cBase = Temp.path() + QLatin1Char('/');
    const QString cSetup = cBase + "KX_Setup.ini", cBDD = cBase + "KX_BDD.ini";
    const QString cVignettes = cBase + "Vignettes/";
    const std::vector<TDonneesImage> Images = Genere();
    EcritStores(Images, cBase + "setup.orig", cBDD + ".orig");
    {
        // The destination of the SQLite peer's case holds a tenth of S's paths: ours too.
        TBigIniFile ini(cBase + "setup.orig");
        ini.lAutoSave = false;
        for (int i = 0; i < nImagesCD; i += 10)
            ini.WriteString(cSectionTaillesVignettes, CleImage(nD, CheminCD(i)), QStringLiteral("1"));
        ini.UpdateFile();
    }
    auto Recharge = [&] {
        CopieFichier(cBase + "setup.orig", cSetup);
        CopieFichier(cBDD + ".orig", cBDD);
    };

    // Unclassified images.
    {
        Recharge();
        TBigIniFile iniSetup(cSetup), iniBDD(cBDD, true);
        QStringList l;
        const TTemps t = Chrono([&] { l = ImagesSansCritere(iniSetup, iniBDD, nS); });
        Bench("cdmaint_unclassified", t.dMur, "ms");
        Bench("cdmaint_unclassified_cpu", t.dCpu, "ms");
        if (l.size() != nImagesCD / 4)
            std::fprintf(stderr, "unclassified: %lld instead of %d\n", static_cast<long long>(l.size()), nImagesCD / 4);
    }

    // Replacement by a new disc, thumbnails and all.
    {
        Recharge();
        QDir(cVignettes).removeRecursively();
        EcritVignettes(cVignettes);
        TBigIniFile iniSetup(cSetup), iniBDD(cBDD, true);
        iniSetup.lAutoSave = iniBDD.lAutoSave = false;
        TBilanRemplacementCD r;
        const TTemps t = Chrono([&] { r = RemplaceCD({iniSetup, iniBDD, cVignettes}, nS, nD, "COPIE"); });
        Bench("cdmaint_replace_5000", t.dMur / 1000.0, "s");
        Bench("cdmaint_replace_5000_cpu", t.dCpu / 1000.0, "s");
        if (r.nImages != nImagesCD || !r.lDossierSourceRetire || !r.Erreurs.isEmpty())
            std::fprintf(stderr, "replace: %d images, folder removed %d\n", r.nImages, int(r.lDossierSourceRetire));
    }

    // Removal of the CD node and its sub-folders.
    {
        Recharge();
        QDir(cVignettes).removeRecursively();
        EcritVignettes(cVignettes);
        TBigIniFile iniSetup(cSetup), iniBDD(cBDD, true);
        iniSetup.lAutoSave = iniBDD.lAutoSave = false;
        TVolumesFactices Volumes;
        TBilanSuppressionCD r;
        const TTemps t = Chrono([&] {
            TArboCD a = ConstruitArboCD(iniSetup, {});
            TNoeudCD *pCD = nullptr;
            for (auto &p : a.Racine->Enfants)
                if (p->Enr && p->Enr->nIdCD == nS)
                    pCD = p.get();
            if (pCD)
                r = SupprimeImagesCD(*pCD, TPorteeSuppressionCD::DossierEtFils, {iniSetup, iniBDD, cVignettes},
                                     Volumes);
        });
        Bench("cdmaint_remove_5000", t.dMur / 1000.0, "s");
        Bench("cdmaint_remove_5000_cpu", t.dCpu / 1000.0, "s");
        if (r.nSupprimees != nImagesCD)
            std::fprintf(stderr, "remove: %d images\n", r.nSupprimees);
    }

    // The re-keying alone against SQLite.
    {
        Recharge();
        const QString cVide = cBase + "SansVignettes/";
        TBigIniFile iniSetup(cSetup), iniBDD(cBDD, true);
        iniSetup.lAutoSave = iniBDD.lAutoSave = false;
        const TTemps t = Chrono([&] { RemplaceCD({iniSetup, iniBDD, cVide}, nS, nD, "COPIE"); });
        bool lJuste = false;
        const double dSqlite = SqliteRemplace(Images, cBase + "peer.db", lJuste);
        if (!lJuste)
            std::fprintf(stderr, "sqlite: the move is not complete\n");
        Bench("cdmaint_replace_stores", t.dMur / 1000.0, "s");
        Bench("cdmaint_replace_stores_cpu", t.dCpu / 1000.0, "s");
        Bench("cdmaint_sqlite_replace", dSqlite / 1000.0, "s");
        Bench("cdmaint_replace_vs_sqlite", dSqlite / t.dMur, "x");

        // The floor of any design that keeps whole store files saved atomically: the two
        // stores' bytes, already formatted, written to temporary files, synced and renamed,
        // and nothing else. SQLite's time over it bounds the ratio such a design can reach.
        const QByteArray Setup = LitFichierEntier(cSetup).Octets, Bdd = LitFichierEntier(cBDD).Octets;
        // The median of three, the disc being shared.
        std::vector<TTemps> Planchers;
        for (int i = 0; i < 3; ++i)
            Planchers.push_back(Chrono([&] {
                EcritFichierAtomique(cBase + "plancher-setup.ini", Setup);
                EcritFichierAtomique(cBase + "plancher-bdd.ini", Bdd);
            }));
        std::sort(Planchers.begin(), Planchers.end(), [](const TTemps &a, const TTemps &b) { return a.dMur < b.dMur; });
        const TTemps Plancher = Planchers[1];
        std::printf("stores saved: settings %.1f MB, catalogue %.1f MB\n", double(Setup.size()) / 1e6,
                    double(Bdd.size()) / 1e6);
        Bench("cdmaint_save_floor", Plancher.dMur / 1000.0, "s");
        Bench("cdmaint_save_floor_cpu", Plancher.dCpu / 1000.0, "s");
        Bench("cdmaint_floor_vs_sqlite", dSqlite / Plancher.dMur, "x");
    }
    return 0;
}
