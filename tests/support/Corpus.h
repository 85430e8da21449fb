#pragma once
// Real camera files for the tests. The repository keeps a small copy of the corpus in
// tests/data/corpus (same layout, same reference.tsv columns); when the full corpus is at hand
// (the configured folder, or the one the environment variable VIMBREL_CORPUS names) the tests
// read all of it instead, so that a clone with nothing beside it still passes.

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <gtest/gtest.h>

namespace Corpus
{
// The full corpus, or an empty text when it is not there.
inline QString Complet()
{
    const QString cEnv = qEnvironmentVariable("VIMBREL_CORPUS");
    for (const QString &c : {cEnv, QStringLiteral(VIMBREL_CORPUS_DIR)})
        if (!c.isEmpty() && QFileInfo::exists(c + QStringLiteral("/reference.tsv")))
            return QDir::cleanPath(c);
    return {};
}

inline bool EstComplet()
{
    return !Complet().isEmpty();
}

// The folder the tests read: the full corpus when present, else the repository's copy.
inline QString Dossier()
{
    const QString c = Complet();
    return c.isEmpty() ? QStringLiteral(VIMBREL_TEST_DATA "/corpus") : c;
}

// A file by its path inside the corpus ("kinds/jpeg/x.jpg"); empty when the folder read holds
// no such file.
inline QString Fichier(const QString &cRelatif)
{
    const QString c = Dossier() + QLatin1Char('/') + cRelatif;
    return QFileInfo::exists(c) ? c : QString();
}

// How many files a walk over the folder must at least meet: the full corpus holds many more
// than the copy.
inline int Minimum(int nComplet, int nCopie)
{
    return EstComplet() ? nComplet : nCopie;
}
}

// Declares the QString cVariable holding the corpus file, or skips the test when the folder
// read does not hold it (a file kept only in the full corpus).
#define CORPUS_FICHIER(cVariable, cRelatif)                                                                            \
    const QString cVariable = Corpus::Fichier(QStringLiteral(cRelatif));                                               \
    if (cVariable.isEmpty())                                                                                           \
    GTEST_SKIP() << cRelatif << " is only in the full corpus (set VIMBREL_CORPUS to its folder)"
