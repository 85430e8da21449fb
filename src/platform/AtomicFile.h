#pragma once
// Whole-file saves that never leave a half-written file behind.

#include <QByteArray>
#include <QString>

// Writes Donnees as the whole content of cFichier: a temporary file in the same folder is
// written, flushed and synced, then renamed over the target, and the folder is synced so that
// the rename itself survives a crash. The permission bits of an existing target are kept.
// On failure the temporary file is removed, the previous file is left untouched, false is
// returned and, when cErreur is given, it receives a short description.
bool EcritFichierAtomique(const QString &cFichier, const QByteArray &Donnees, QString *cErreur = nullptr);
