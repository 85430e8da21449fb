#pragma once
// Moving, duplicating or replacing the data folder, done so that a crash at any moment leaves
// one complete data folder in use.
//
// The settings window checks the chosen folder (VerifieDestination) and, once the user has
// confirmed, PlanifieDeplacement records the work in a journal beside the user's
// configuration file; the program then ends. At the very end of the run, once both stores are
// saved, ExecuteDeplacement does the work: (1) the data files are copied into the new folder,
// the copies all flushed at once and read back from the disk; (2) the configuration values
// are written and read back, and the journal says "basculé"; (3) the old files are deleted
// under the old folder's lock; (4) the journal goes. RepriseDeplacement, at the next start
// before the data folder is chosen, finishes what a crash interrupted: before the switch the
// partial copy goes and the old folder stays in use; after it, the deletion is finished.

#include "storage/DataFolder.h"

#include <QString>
#include <QStringList>
#include <functional>

enum class TSystemeDonnees { MonoUtilisateur, MultiUtilisateurs };

// The items of the operation list for a kind of system, in list order.
QStringList OperationsDeplacement(TSystemeDonnees Systeme);
// The explanation shown below the list for an item (empty out of range).
QString ExplicationDeplacement(TSystemeDonnees Systeme, int nOperation);

// What confirming an operation writes and leaves to do.
enum class TValeurMachine { Inchangee, NouveauDossier, Videe };
struct TPlanDeplacement
{
    TValeurMachine Machine = TValeurMachine::Inchangee; // the current user's value always takes the new folder
    int nBits = 0;                                      // 1: copy, 2: delete the files at the old place
};
TPlanDeplacement PlanDeplacement(TSystemeDonnees Systeme, int nOperation);

// The work bits.
constexpr int nBitCopie = 1;
constexpr int nBitSuppression = 2;

struct TVerificationDestination
{
    bool lAccepte = false;     // the question may be asked
    bool lSansObjet = false;   // the current data folder (however spelt) or the program folder
    QString cRefus;            // why the folder is refused, to show
    QString cQuestion;         // the question to ask under "Attention" (Yes, No the default)
    QString cDossierCanonique; // the new folder, links and ".." resolved, ending with "/"
};

// The checks at confirmation: not the current data folder nor the program folder (nothing to
// do), not inside the data folder nor holding it, holding no data of the program already,
// writable, and (when copying) with room for the data. The question names the machine-wide
// configuration file when it must change but cannot be written.
// fnPlaceLibre gives the free bytes of the volume holding a folder (-1: unknown); by default
// the file system's count.
TVerificationDestination VerifieDestination(const TEmplacementsConfig &Emplacements, const TDossiers &Dossiers,
                                            const QString &cNouveau, TSystemeDonnees Systeme, int nOperation,
                                            const std::function<qint64(const QString &cDossier)> &fnPlaceLibre = {});

// The journal of a scheduled move, beside the user's configuration file.
QString FichierJournalDeplacement(const TEmplacementsConfig &Emplacements);

// Points where the work may be interrupted, for tests: each file copied and each copy
// verified (n = its rank), the configuration about to be written, written, the switch
// recorded, each file deleted.
enum class TPointDeplacement { Copie, Verification, AvantConfig, ApresConfig, Bascule, Suppression };

// What the work uses of the outside world; the defaults are the real ones.
struct TOutilsDeplacement
{
    // Left both empty, the built-in copy: each source read once, written straight to its
    // name (never replacing) with its dates and fingerprinted; after the volume's flush each
    // copy read back from the disk and checked against that fingerprint. Given both, they
    // replace it (tests); given one alone, the copy fails.
    // Copies a file to a new name (never replacing); 0 or an errno.
    std::function<int(const QString &cSource, const QString &cCible)> fnCopie;
    // Reads a copy back from the disk and compares it with its source; 0, or an errno (EIO
    // for different bytes).
    std::function<int(const QString &cCopie, const QString &cSource)> fnCompare;
    // Writes a configuration value (EcritDossierDonneesConfig by default).
    std::function<bool(const QString &cFichier, const QString &cDossier, QString *cErreur)> fnEcritConfig;
    // Progress over the files of the thumbnail tree: (done, count), from (0, count) to
    // (count - 1, count).
    std::function<void(int nFait, int nTotal)> fnProgression;
    std::function<void(TPointDeplacement, int n)> fnPoint;
    // The running program holds the old data folder's lock: the deletion needs no other.
    bool lVerrouAncienDetenu = false;
    // How many threads copy, and then compare, at once: fnCopie, fnCompare and fnPoint are
    // called from all of them; fnProgression only from the calling thread.
    int nFils = 4;
};

// On Yes: records the work, or (when there is none) writes the configuration values at once.
// False with cErreur when the journal or the values could not be written.
bool PlanifieDeplacement(const TEmplacementsConfig &Emplacements, const TDossiers &Dossiers,
                         const TVerificationDestination &Verification, TSystemeDonnees Systeme, int nOperation,
                         QString &cErreur);

enum class TIssueDeplacement {
    Aucun,               // no journal
    Fait,                // the new folder is in use, the work finished
    SuppressionDifferee, // the new folder is in use; the old files wait for a later start
    Echoue,              // nothing changed: the old folder stays in use (cMessage says why)
    JournalEndommage     // the journal was set aside, nothing done (cMessage says so)
};
struct TResultatDeplacement
{
    TIssueDeplacement Issue = TIssueDeplacement::Aucun;
    QString cMessage; // for the user, empty when there is nothing to say
};

// The scheduled work, at the end of the run, the stores saved.
TResultatDeplacement ExecuteDeplacement(const TEmplacementsConfig &Emplacements, const TOutilsDeplacement &Outils);
// At start, before the data folder is chosen.
TResultatDeplacement RepriseDeplacement(const TEmplacementsConfig &Emplacements, const TOutilsDeplacement &Outils = {});
