#pragma once
// Where the program keeps its data.
//
// The data folder is named by the value `cDossierDonnees` of a small configuration file, per
// user first, then machine-wide; a value that is empty or names no existing folder passes the
// turn. Without one, the per-user data folder of the desktop is used. The files that would sit
// beside the executable but are written while running (the focal coefficients, the criteria
// icons) go to that same per-user folder, since the program's own folder is read-only once
// installed.

#include <QString>
#include <QStringList>

// The configuration file standing for a registry root.
enum class TRacineConfig { Utilisateur, Machine };

// The three places the lookup consults. DuSysteme() gives the desktop's own; tests build
// their own in temporary folders.
struct TEmplacementsConfig
{
    QString cFichierUtilisateur; // $XDG_CONFIG_HOME/Vimbrel/Vimbrel.conf
    QString cFichierMachine;     // /etc/xdg/Vimbrel/Vimbrel.conf
    QString cDossierDefaut;      // $XDG_DATA_HOME/Vimbrel/, ending with "/"

    static TEmplacementsConfig DuSysteme();
    QString Fichier(TRacineConfig Racine) const
    {
        return Racine == TRacineConfig::Utilisateur ? cFichierUtilisateur : cFichierMachine;
    }
};

// The value `cDossierDonnees` of a configuration file; empty when the file or value is missing,
// or when the file exists but cannot be read (then cErreur, when given, says why).
QString LitDossierDonneesConfig(const QString &cFichierConfig, QString *cErreur = nullptr);
// Writes the value (an empty one clears it), creating the file and its folder when needed.
// False when it could not be written (a machine-wide file without the rights, typically, or a
// file that exists but cannot be read, which is never replaced); cErreur then says why.
bool EcritDossierDonneesConfig(const QString &cFichierConfig, const QString &cDossier, QString *cErreur = nullptr);

// The data folder of this run, ending with "/": the user's value, the machine's value, then
// the default folder. A configuration file that exists but cannot be read passes the turn
// like an empty one, and adds "<file> : <reason>" to pErreurs.
QString ChoisitDossierDonnees(const TEmplacementsConfig &Emplacements, QStringList *pErreurs = nullptr);

// Every folder and file name of the data, fixed once at start-up.
struct TDossiers
{
    QString cDossierProgramme;  // the executable's folder, ending with "/" (read-only files)
    QString cDossierDonnees;    // ending with "/"
    QString cDossierEcriture;   // writable stand-in for the program folder, ending with "/"
    QString cDossierVignettes;  // cDossierDonnees + "Vignettes/"
    QString cDossierMotifs;     // cDossierDonnees + "Motifs/"
    QString cDossierImgsCH;     // cDossierEcriture + "ImgsCH/"
    QString cFichierSetup;      // cDossierDonnees + "KX_Setup.ini"
    QString cFichierBDD;        // cDossierDonnees + "KX_BDD.ini"
    QString cFichierCFAPN;      // cDossierEcriture + "KX_CFAPN.ini"
    QString cFichierAide;       // cDossierProgramme + "KX.hlp"
    QStringList cErreursConfig; // "<file> : <reason>" of configuration files not read
};

// Fixes the folders: the data folder by ChoisitDossierDonnees, the writable program files in
// the default data folder.
TDossiers FixeDossiers(const TEmplacementsConfig &Emplacements, const QString &cDossierProgramme);

// Creates the thumbnail, pattern and icon folders (with their parents) when missing. Folders
// that cannot be created are left to fail later where they are used; false reports it.
bool CreeDossiers(const TDossiers &Dossiers);

// A folder path ending with exactly one "/".
QString AvecSeparateurFinal(const QString &cDossier);
