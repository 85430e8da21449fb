#pragma once
// The application context: the one object, created in main, that holds what the whole run
// shares: the folders, the three stores, the settings record, the folder history and the
// volumes service. Windows and logic receive it, or the parts they need, by reference.

#include "platform/Messages.h"
#include "platform/Volumes.h"
#include "storage/BigIniFiles.h"
#include "storage/DataFolder.h"
#include "storage/Descriptions.h"
#include "storage/EnrFiltres.h"
#include "storage/Nettoyage.h"
#include "storage/Settings.h"

#include <QStringList>
#include <memory>
#include <set>

class TContexte
{
public:
    TContexte(const TEmplacementsConfig &Emplacements, const QString &cDossierProgramme,
              std::unique_ptr<IVolumes> Volumes);
    ~TContexte();
    TContexte(const TContexte &) = delete;
    TContexte &operator=(const TContexte &) = delete;

    // Fixes the folders (data folder lookup) and creates the missing ones. Once the data
    // folder is taken (PrendDossierDonnees), its folders stay those of the lock.
    void FixeDossiers();
    // Takes the data folder for this run: fixes the folders, then locks a file beside the
    // stores so that no other process of the program works on the same data. When another
    // holds it, says so through Messages (and on the error output) and returns false: the
    // caller ends without writing anything. Once held, removes the temporaries that killed
    // saves of the stores left behind. A folder where no lock can be made (read-only, a file
    // system without locks) is used all the same.
    bool PrendDossierDonnees();
    // True while this context holds the data-folder lock.
    bool DossierDonneesPris() const;
    // The name of the lock file in the data folder.
    static QString NomVerrouDonnees();
    // Opens the three stores with automatic saving off. The catalogue store's section names
    // are image keys, compared case-sensitively.
    void OuvreStores();
    // Reads the settings record and the folder history from the settings store.
    void LitParametres();
    // Writes the settings record and the trimmed folder history into the settings store.
    void EcritParametres(const TEnrParametres::TEtatSortie &Etat);
    // Saves the settings and catalogue stores; false when one of them could not be written
    // (its data stays in memory for the next save), each failure then adding a French line
    // "<file> : <reason>" to pErreurs.
    bool SauveStores(QStringList *pErreurs = nullptr);
    // The dated copies of other programs' versions that the last saves kept beside the
    // stores (their changes are there, not in the stores).
    QStringList CopiesConservees() const;
    // "<file> : <reason>" for each configuration file or store that exists but could not be
    // read at start-up; such a file is not replaced during the run.
    QStringList FichiersIllisibles() const;
    // Tells the user which files could not be read and why (an "Erreur" box through Messages,
    // and the error output); nothing when every file was read.
    void SignaleFichiersIllisibles(QWidget *Parent) const;

    const TEmplacementsConfig Emplacements;
    const QString cDossierProgrammeExecutable;
    TDossiers Dossiers;
    std::unique_ptr<TBigIniFile> iniSetup;
    std::unique_ptr<TBigIniFile> iniBDD;
    std::unique_ptr<TBigIniFile> iniCFAPN;
    TEnrParametres Parametres;
    QStringList HistoriqueRepertoires; // most recent first
    std::unique_ptr<IVolumes> Volumes;
    // The one reader and writer of descript.ion files, shared by every feature so that a
    // description written by one is read at once by the others. Made with the stores.
    std::unique_ptr<TDescriptions> Descriptions;
    // How windows ask and tell the user; main() installs the on-screen one, tests a fake.
    std::unique_ptr<IMessages> Messages;

    // The filters of the three ways of listing images: reset at start-up, never saved.
    TEnrFiltres enrFiltresExpl;
    TEnrFiltres enrFiltresRech;
    TEnrFiltres enrFiltresHisto;
    // The camera models met in the catalogue, while listing and in indexed CDs: what the filter
    // editor offers.
    std::set<QString> Appareils;

    // The thumbnail cache's reading of its own file names, used by the start-up clean-up.
    // Left empty, the clean-up keeps every thumbnail.
    FnImageDeVignette fnImageDeVignette;

private:
    int m_fdVerrou = -1;
};
