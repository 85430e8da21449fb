#pragma once
// Which files are images, how shortcuts lead to images, which companion files travel with an
// image, and how sizes are shown. Everything here is a pure function of a name, or of a path
// and the file system.

#include <QString>
#include <QtGlobal>

// The extension as the kinds are tested on: the text from the last "." of the file name
// (the part after the last "/"), upper-cased; empty when the name has no ".".
QString ExtensionMaj(const QString &cNom);

bool EstJPEG(const QString &cNom);       // ".JPG", ".JPEG"
bool EstCRW(const QString &cNom);        // ".CRW"
bool EstRAW(const QString &cNom);        // one of the seven camera raw extensions
bool EstAutreImage(const QString &cNom); // a raw extension, ".TIF" or ".PNG"
bool EstImage(const QString &cNom);      // EstJPEG or EstAutreImage

// The kind as the inspection line and the filters name it: "JPEG", "RAW", "TIF", "PNG", or "-"
// for a name that is no image.
QString TexteGenre(const QString &cNom);

// A shortcut file: the upper-cased name contains ".LNK" and its first occurrence ends it.
bool EstRaccourci(const QString &cNom);

// The target stored in a shell-link (.lnk) file, when it is an absolute local path that exists;
// else an empty text. The file is parsed defensively: any inconsistency gives an empty text.
QString CibleRaccourci(const QString &cChemin);

// The image a directory entry stands for, as its key is built from: an image file itself; the
// real path of an existing image file that a symbolic link points to; the target of a .lnk
// shortcut when it is an existing image file (a shortcut to a shortcut is not followed).
// Empty when the entry stands for no image.
QString ImageDeEntree(const QString &cChemin);

// The same path with its extension (from the last "." of the file name) replaced by cExt
// (given with its dot); cExt is appended when the name has no extension.
QString RemplaceExtension(const QString &cChemin, const QString &cExt);

// The existing companion of an image with the extension cExtMaj (".THM", ".WAV") in any case
// (".THM", ".thm", ".Thm"...), the name before the extension unchanged. Empty when none exists.
QString TrouveCompagnon(const QString &cImage, const QString &cExtMaj);
inline QString CompagnonTHM(const QString &cImage)
{
    return TrouveCompagnon(cImage, QStringLiteral(".THM"));
}
inline QString CompagnonWAV(const QString &cImage)
{
    return TrouveCompagnon(cImage, QStringLiteral(".WAV"));
}

// Size in bytes and modification time (seconds since 1970, UTC) as the directory listing
// gives them. False, with both left at 0, when the file cannot be listed.
bool TailleEtDate(const QString &cChemin, qint64 &nTaille, qint64 &nDate);

// "%d Oct" up to 1024 bytes, "%.2f Ko" up to 1 MiB, "%.2f Mo" above, with a decimal comma.
QString TexteTaille(qint64 nTaille);
