#include "platform/Balises.h"

namespace Balises
{

namespace
{
constexpr qsizetype nLongOuverture = 4; // "<KS>"
constexpr qsizetype nLongFermeture = 6; // "</xx/>"
} // namespace

QStringList Lignes(const QString &cTexte)
{
    // Cut at CR LF, LF or CR, a CR LF pair being one break; read by hand, as a regular
    // expression costs more than the rest of a short text's handling.
    QStringList Liste;
    const QChar *p = cTexte.constData();
    const qsizetype n = cTexte.size();
    qsizetype nDebut = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] != u'\r' && p[i] != u'\n')
            continue;
        Liste.append(cTexte.sliced(nDebut, i - nDebut));
        if (p[i] == u'\r' && i + 1 < n && p[i + 1] == u'\n')
            ++i;
        nDebut = i + 1;
    }
    Liste.append(cTexte.sliced(nDebut));
    return Liste;
}

QList<TMorceau> AnalyseLigne(const QString &cLigne)
{
    QList<TMorceau> Morceaux;
    QString r = cLigne;
    for (;;) {
        const qsizetype o = r.indexOf(QLatin1Char('<'));
        if (o < 0 || r.indexOf(QLatin1Char('>')) != o + nLongOuverture - 1
            || o + nLongOuverture + nLongFermeture > r.size())
            break;
        const qsizetype c = r.indexOf(QLatin1String("</"));
        if (c <= o || r.indexOf(QLatin1String("/>")) != c + nLongFermeture - 2)
            break;
        if (o > 0)
            Morceaux.append({r.left(o), false, {}, {}});
        Morceaux.append({r.mid(o + nLongOuverture, c - o - nLongOuverture), true, r.at(o + 1), r.at(o + 2)});
        r = r.mid(c + nLongFermeture);
    }
    if (!r.isEmpty())
        Morceaux.append({r, false, {}, {}});
    return Morceaux;
}

bool ABalise(const QString &cTexte)
{
    if (!cTexte.contains(QLatin1String("</")))
        return false;
    for (const QString &cLigne : Lignes(cTexte))
        for (const TMorceau &m : AnalyseLigne(cLigne))
            if (m.lBalise)
                return true;
    return false;
}

QString TexteSimple(const QString &cTexte)
{
    QStringList Simples;
    for (const QString &cLigne : Lignes(cTexte)) {
        QString c;
        for (const TMorceau &m : AnalyseLigne(cLigne))
            c += m.cTexte;
        Simples << c;
    }
    return Simples.join(QLatin1Char('\n'));
}

} // namespace Balises
