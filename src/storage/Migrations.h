#pragma once
// The version migrations: steps that bring the data of an earlier version up to date, run
// once per data folder at start-up.
//
// Each step carries the version from which it no longer applies and runs when the version
// stored in the settings (`kcVersion`) compares lower, as plain text ("v 1.30" < "v 1.31", an
// empty version lower than all). A start may be killed anywhere, so every step is written to
// give the same result when it runs again over its own output: steps that change only the
// settings leave them in memory and the runner saves them once, together with `kcVersion`;
// steps that change files or the catalogue store only ever act on the old form of what they
// convert.

#include <QList>
#include <QSet>
#include <QString>
#include <functional>

class TBigIniFile;
struct TDossiers;

// What a step may work on.
struct TContexteMigration
{
    TBigIniFile &iniSetup;
    TBigIniFile &iniBDD;
    const TDossiers &Dossiers;
    // The kinds of image names (the imaging layer's, given by the caller). Steps that rename
    // thumbnails leave them alone when these are not given.
    std::function<bool(const QString &cNom)> fnEstImage = {};
    std::function<bool(const QString &cNom)> fnEstJPEG = {};
    // Where the desktop entries of the user live; empty: the desktop's own.
    QString cDossierApplications = {};
    // Set by a step whose save failed: the runner then records nothing, so that the next
    // start tries again.
    bool lEchec = false;
    // The counting steps done during this run, so that running one twice adds only once.
    QSet<QString> Faits = {};
};

struct TMigration
{
    // The step runs when the stored version is lower than this one. An empty version makes
    // the step run whatever the stored version, and it decides by itself (for instance from
    // the absence of `kcVersion`).
    QString cVersion;
    // Does the work. Settings changes stay in memory for the runner's save; a step that
    // changes the catalogue store or files saves or moves them itself.
    std::function<void(TContexteMigration &, const QString &cVersionStockee)> Executer;
};

// The steps, in the order they run.
QList<TMigration> ListeMigrations();

// Reads the stored version, runs every step that applies, then writes cVersionActuelle as
// `kcVersion` (never over a later version) and saves the settings store once. Returns the
// number of steps run.
int ExecuteMigrations(TContexteMigration &Contexte, const QList<TMigration> &Migrations,
                      const QString &cVersionActuelle);

// ---- Helpers the steps are made of, open to tests ----

// The fields of a saved filter as the filter codec counts them: the final empty piece after
// the last "|" is not a field.
QStringList ChampsFiltre(const QString &cValeur);
// Joins fields back: each followed by "|".
QString JoinsChampsFiltre(const QStringList &Champs);

// The key without the drive of the earlier platform: "<n>E:\DCIM\a.JPG" gives "<n>\DCIM\a.JPG".
// Only CD keys whose path starts with a letter and ":" change; empty when nothing changes.
QString CleSansLecteur(const QString &cCle);
// The CD key with the earlier platform's separators turned into "/": "<n>\DCIM\a.JPG" gives
// "<n>/DCIM/a.JPG". Only CD keys whose path starts with "\" change (other keys, and "C:\…"
// keys, stay); empty when nothing changes.
QString CleSeparateursLinux(const QString &cCle);
