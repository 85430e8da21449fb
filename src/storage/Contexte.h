#pragma once
// The application context: the one object, created in main, that holds what the whole run
// shares: the folders, the three stores, the settings record, the folder history and the
// volumes service. Windows and logic receive it, or the parts they need, by reference.

#include "platform/Messages.h"
#include "platform/Volumes.h"
#include "storage/BigIniFiles.h"
#include "storage/DataFolder.h"
#include "storage/Nettoyage.h"
#include "storage/Settings.h"

#include <QStringList>
#include <memory>

class TContexte
{
public:
    TContexte(const TEmplacementsConfig &Emplacements, const QString &cDossierProgramme,
              std::unique_ptr<IVolumes> Volumes);
    ~TContexte();
    TContexte(const TContexte &) = delete;
    TContexte &operator=(const TContexte &) = delete;

    // Fixes the folders (data folder lookup) and creates the missing ones.
    void FixeDossiers();
    // Opens the three stores with automatic saving off. The catalogue store's section names
    // are image keys, compared case-sensitively.
    void OuvreStores();
    // Reads the settings record and the folder history from the settings store.
    void LitParametres();
    // Writes the settings record and the trimmed folder history into the settings store.
    void EcritParametres(const TEnrParametres::TEtatSortie &Etat);
    // Saves the settings and catalogue stores; false when one of them could not be written
    // (its data stays in memory for the next save). pErreurs receives one French line
    // "<file name> : <reason>" for each store that failed.
    bool SauveStores(QStringList *pErreurs = nullptr);

    const TEmplacementsConfig Emplacements;
    const QString cDossierProgrammeExecutable;
    TDossiers Dossiers;
    std::unique_ptr<TBigIniFile> iniSetup;
    std::unique_ptr<TBigIniFile> iniBDD;
    std::unique_ptr<TBigIniFile> iniCFAPN;
    TEnrParametres Parametres;
    QStringList HistoriqueRepertoires;   // most recent first
    std::unique_ptr<IVolumes> Volumes;
    // How windows ask and tell the user; main() installs the on-screen one, tests a fake.
    std::unique_ptr<IMessages> Messages;

    // The thumbnail cache's reading of its own file names, used by the start-up clean-up.
    // Left empty, the clean-up keeps every thumbnail.
    FnImageDeVignette fnImageDeVignette;
};
