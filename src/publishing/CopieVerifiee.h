#pragma once
// Copying a file so that the copy is known good before it bears its name: the bytes go into a
// hidden temporary file of the destination folder, are flushed to the disk, their cached pages
// dropped and read back from the disk and compared with the source. Only then does the file
// get its final name, never replacing an existing file, with the source's modification time.
// On a mismatch or an error the temporary file goes and nothing else is left behind.
//
// The copies of images and the move of the data folder both rely on this one routine.

#include <QByteArray>
#include <QString>

#include <ctime>
#include <functional>
#include <optional>

struct TResultatCopie
{
    bool lOk = false;
    int nErrno = 0;  // why it failed (errno; EIO for a copy that read back different)
    QString cErreur; // the reason in French, for messages
};

struct TOptionsCopie
{
    // Called once the bytes are in the temporary file, before they are flushed and compared:
    // tests damage the file or create the target here, as a failing disk or another program
    // would.
    std::function<void(const QString &cTemporaire)> fnApresEcriture;
    // Whether the kernel may copy the bytes itself (copy_file_range); off, read and write.
    bool lCopieNoyau = true;
    // Batch form: the copy is named at once, without a flush or a read-back of its own; the
    // caller flushes the volume once for the whole batch and then checks each copy with
    // CompareCopie.
    bool lDifferee = false;
};

// The reason given for a copy that did not read back as its source.
QString TexteCopieDifferente();

// Copies cSource to cCible (a full path whose folder exists) with the source's modification
// time. Fails with EEXIST when cCible exists, even when it appeared during the copy.
TResultatCopie CopieVerifiee(const QString &cSource, const QString &cCible, const TOptionsCopie &Options = {});

// Reads a copy back from the disk (its cached pages dropped first) and compares it with its
// source: lOk, or the reason (EIO for different bytes).
TResultatCopie CompareCopie(const QString &cCopie, const QString &cSource);

// Writes Donnees as the new file cCible the same way; with a date, gives it that modification
// time.
TResultatCopie EcritVerifie(const QByteArray &Donnees, const QString &cCible,
                            std::optional<struct timespec> Date = std::nullopt, const TOptionsCopie &Options = {});

// The free space of the volume holding cDossier, in bytes; -1 when it cannot be queried.
qint64 PlaceLibre(const QString &cDossier);

// True when both paths name the same file (same device and inode), whatever the spelling:
// links, "..", doubled "/".
bool MemeInode(const QString &cA, const QString &cB);
