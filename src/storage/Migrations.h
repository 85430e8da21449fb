#pragma once
// The version migrations: steps that bring the data of an earlier version up to date, run
// once per data folder at start-up.
//
// Each step carries the version from which it no longer applies and runs when the version
// stored in the settings (`kcVersion`) compares lower, as plain text ("v 1.30" < "v 1.31", an
// empty version lower than all). As soon as the steps have run, the current version is
// written and the settings store saved, so that a crash later in the run can never make the
// same steps run again over data they already changed.

#include <QList>
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
};

struct TMigration
{
    // The step runs when the stored version is lower than this one. An empty version makes
    // the step run whatever the stored version, and it decides by itself (for instance from
    // the absence of `kcVersion`).
    QString cVersion;
    // Does the work and saves what it changed. A step that changes a setting must change it
    // in the store: the settings are read again from the store after the migrations.
    std::function<void(TContexteMigration &, const QString &cVersionStockee)> Executer;
};

// The steps, in the order they run.
QList<TMigration> ListeMigrations();

// Reads the stored version, runs every step that applies, then writes cVersionActuelle as
// `kcVersion` and saves the settings store. Returns the number of steps run.
int ExecuteMigrations(TContexteMigration &Contexte, const QList<TMigration> &Migrations,
                      const QString &cVersionActuelle);
