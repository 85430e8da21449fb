#pragma once
// Whole-file saves that never leave a half-written file behind, and whole-file reads that
// tell a missing file from one that could not be read.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <sys/types.h>

// One version of a file as a read or a save saw it. Comparing it with the file as it stands
// tells whether someone else replaced or changed the file since.
struct TEtatFichier
{
    bool lExiste = false;
    quint64 nPeripherique = 0;
    quint64 nInode = 0;
    qint64 nTaille = 0;
    qint64 nModifNs = 0; // modification time, nanoseconds since the epoch

    bool operator==(const TEtatFichier &) const = default;
};

// The file's state now (through symbolic links); lExiste is false when it cannot be stat'ed.
TEtatFichier EtatFichier(const QString &cFichier);

// A short French description of a system error number ("plus de place sur le disque").
QString TexteErreurSysteme(int nErr);

// Writes Donnees as the whole content of cFichier: a temporary file in the same folder is
// written, flushed and synced, then renamed over the target, and the folder is synced so that
// the rename itself survives a crash. A new file gets the usual mode filtered by the umask;
// the permission bits of an existing target are kept. On failure the temporary file is
// removed, the previous file is left untouched, false is returned and, when cErreur is given,
// it receives a short French description. pEtat, when given, receives the written version.
bool EcritFichierAtomique(const QString &cFichier, const QByteArray &Donnees, QString *cErreur = nullptr,
                          TEtatFichier *pEtat = nullptr);

// Keeps the present version of cFichier beside it under its name followed by the date
// ("KX_BDD.ini.2026-12-09_10-45-00", then "-2", "-3"... when that name is taken): a hard link
// where the file system allows, a copy elsewhere. Returns the copy's path; empty on failure,
// with the reason in cErreur.
QString ConserveCopieDatee(const QString &cFichier, const QDateTime &Date, QString *cErreur = nullptr);

// True when cNom (a bare file name) is a temporary file that EcritFichierAtomique makes while
// saving a file named cNomCible.
bool EstTemporaireDe(const QString &cNom, const QString &cNomCible);

// Removes the temporaries that saves of cFichierCible left behind when they were killed, and
// only those; a temporary modified less than nAgeMinSecondes ago is left, as it may belong to
// a save in progress in another process. Returns how many were removed.
int SupprimeTemporairesPerimes(const QString &cFichierCible, qint64 nAgeMinSecondes = 0);

// The result of reading a whole file.
struct TLectureFichier
{
    enum class TResultat { Lu, Absent, Illisible };
    TResultat nResultat = TResultat::Absent;
    QByteArray Octets;
    QString cErreur;   // why, in French, when Illisible
    TEtatFichier Etat; // the version read, when Lu
};

// Reads the whole file. Only a file that does not exist (ENOENT) is Absent; a failed open or
// read, a read that ends before the file's size, a folder, pipe or device, or a file larger
// than nTailleMax is Illisible. nMarge more bytes are reserved after the contents for a caller
// that appends to them: its first appends then neither copy the whole file nor touch new pages.
TLectureFichier LitFichierEntier(const QString &cFichier, qint64 nTailleMax = qint64(1) << 40, qint64 nMarge = 0);

// The system calls LitFichierEntier goes through, so that tests can make them fail. An empty
// function stands for the real call. Returns the previous pair.
struct TAppelsLecture
{
    std::function<int(const char *cChemin, int nDrapeaux)> Ouvre;
    std::function<ssize_t(int fd, void *p, size_t n)> Lit;
};
TAppelsLecture RemplaceAppelsLecture(TAppelsLecture Appels);
