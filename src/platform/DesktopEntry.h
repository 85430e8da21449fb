#pragma once
// The folder verb "Lire avec <product>" of the file managers: a desktop entry in the user's
// applications folder that opens folders (MimeType inode/directory) with the program.

#include <QString>

// The applications folder of the user: $XDG_DATA_HOME/applications (~/.local/share/applications).
QString DossierApplicationsUtilisateur();

// The desktop entry file of the verb for a product name, inside cDossierApplications.
QString FichierVerbeDossier(const QString &cDossierApplications, const QString &cProduit);

// Installed when the entry file exists.
bool VerbeDossierInstalle(const QString &cDossierApplications, const QString &cProduit);

// Writes the entry: its name "Lire avec <product>", Exec the quoted executable and %f (the
// folder the file manager passes). False when the file could not be written.
bool InstalleVerbeDossier(const QString &cDossierApplications, const QString &cProduit, const QString &cExecutable);

// Removes the entry when it exists; false only when it exists and could not be removed.
bool SupprimeVerbeDossier(const QString &cDossierApplications, const QString &cProduit);

// An argument of the Exec key quoted as the desktop entry format wants it.
QString ArgumentExecDesktop(const QString &cArgument);
