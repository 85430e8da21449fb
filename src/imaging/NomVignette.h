#pragma once
// Names of the thumbnail cache's files. An image not on a CD has its file directly in the
// cache folder; an image of a CD has it in the CD's sub-folder named by its volume identifier.
// The image path is encoded so that every name maps back to exactly one path: "%" → "%25",
// "#" → "%23", "^" → "%5E", then ":" → "#" and "/" → "^". A name longer than a file name may
// be is cut and ends with "%~" and a hash of the whole key; "%~" never occurs in an encoded
// path, so such a name is never taken for another image's. Its key is kept in the JPEG file's
// comment, where the reverse reads it.

#include "storage/CleImage.h"

#include <QString>
#include <optional>

using TCleVignette = TEnrLST;

QString EncodeCheminVignette(const QString &cChemin);
QString DecodeCheminVignette(const QString &cEncode);

// Full path of the cache file; cDossierVignettes ends with "/".
QString NomVignette(const QString &cDossierVignettes, qint32 nVolume, const QString &cChemin);

// True when the file name (without folder) is a shortened name ending with a hash.
bool EstNomVignetteAbrege(const QString &cNomFichier);

// The image a cache file belongs to, from its name alone: nullopt for a shortened name or a
// name that is not a cache name (no ".JPG" end, a sub-folder that is not a volume identifier).
std::optional<TCleVignette> CleDeNomVignette(const QString &cDossierVignettes, const QString &cFichier);

// As above, but reads the key from the file's JPEG comment for a shortened name.
std::optional<TCleVignette> CleDeFichierVignette(const QString &cDossierVignettes, const QString &cFichier);

// The comment written into a cache file whose name is shortened (the image key).
QByteArray CommentaireVignette(qint32 nVolume, const QString &cChemin);
