#pragma once
// The desktop trash shared by file managers: a file is moved into a "files" folder and an
// "info/<name>.trashinfo" file records where it came from and when, so that any file manager
// can list and restore it.
//
// The home trash ($XDG_DATA_HOME/Trash) takes the files of its own volume. A file of another
// volume goes to that volume's $topdir/.Trash/$uid when $topdir/.Trash is a real folder with
// the sticky bit, else to $topdir/.Trash-$uid; a file is never copied across volumes. The info
// file is created first (O_EXCL, so that two programs never share a name), then the file is
// renamed in without replacing anything; a taken name becomes "name(2).ext", "name(3).ext"...
// When the rename fails the info file goes again.

#include "platform/OperationsFichiers.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <sys/types.h>
#include <unistd.h>

class IVolumes;

// Percent-encoding of a path's bytes for the Path= key; "/" and the unreserved characters stay.
QByteArray EncodeCheminCorbeille(const QByteArray &cChemin);
// The whole .trashinfo text: Path= the encoded path, DeletionDate= the local time
// (YYYY-MM-DDThh:mm:ss).
QByteArray ContenuInfoCorbeille(const QByteArray &cCheminEncode, const QDateTime &Date);
// The n-th name tried for a file in the trash: the name itself for n = 1, then "%s(%d)%s"
// with the name's stem and extension. A name whose info file name would exceed 255 bytes is
// shortened in its stem.
QString NomCandidatCorbeille(const QString &cNom, int n);

class TCorbeille
{
public:
    // cDossierDonneesUtilisateur stands for $XDG_DATA_HOME (empty: the environment's, else
    // ~/.local/share); nUid is the user whose topdir trashes are used.
    TCorbeille(const IVolumes &Volumes, const QString &cDossierDonneesUtilisateur = {}, uid_t nUid = ::getuid());

    // The home trash folder ($XDG_DATA_HOME/Trash, no final "/").
    QString CorbeilleMaison() const { return m_cMaison; }

    // The trash folder (holding files/ and info/) that takes cChemin, created when missing.
    // Empty, with the reason in r, when the file is missing or its volume has no usable trash.
    QString CorbeillePour(const QString &cChemin, TResultatOperation &r) const;

    // Moves the file (or link, or folder) into its trash. cDestination gets the path under
    // files/. DeletionDate is Date (now when invalid).
    TResultatOperation Jette(const QString &cChemin, const QDateTime &Date = {}) const;

private:
    QString CorbeilleSommet(const QString &cSommet, TResultatOperation &r) const;

    const IVolumes &m_Volumes;
    QString m_cMaison;
    uid_t m_nUid;
};
