#pragma once
// Whole files for tests: written with their folder made first, read back with "<absent>" for a
// file that cannot be opened (so that a missing file fails a comparison with a clear text).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

inline bool EcritFichier(const QString &cChemin, const QByteArray &Contenu)
{
    QDir().mkpath(QFileInfo(cChemin).path());
    QFile f(cChemin);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(Contenu) == Contenu.size();
}

inline QByteArray LitFichier(const QString &cChemin)
{
    QFile f(cChemin);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}
