#pragma once
// The corpus read by the tests (Corpus.h) and its independent reference values (one row per
// file, exiftool's reading).

#include "support/Corpus.h"

#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

namespace CorpusReference
{
inline QString Dossier()
{
    return Corpus::Dossier();
}

struct TLigne
{
    QString cFichier; // relative to the corpus folder
    QHash<QString, QString> Champs;
};

inline QList<TLigne> Lignes()
{
    QList<TLigne> Liste;
    QFile f(Dossier() + QStringLiteral("/reference.tsv"));
    if (!f.open(QIODevice::ReadOnly))
        return Liste;
    QStringList Colonnes;
    while (!f.atEnd()) {
        const QString cLigne = QString::fromUtf8(f.readLine()).chopped(1);
        if (cLigne.startsWith(QLatin1Char('#')) || cLigne.isEmpty())
            continue;
        const QStringList Valeurs = cLigne.split(QLatin1Char('\t'));
        if (Colonnes.isEmpty()) {
            Colonnes = Valeurs;
            continue;
        }
        TLigne l;
        l.cFichier = Valeurs.value(0);
        for (int i = 0; i < Colonnes.size(); ++i)
            l.Champs.insert(Colonnes[i], Valeurs.value(i));
        Liste.append(l);
    }
    return Liste;
}
}
