#include "platform/FrenchFormats.h"

#include <QCollator>
#include <QLocale>

namespace FrenchFormats
{
QString Nombre(double dValeur, int nDecimales)
{
    QString c = QString::number(dValeur, 'f', nDecimales);
    c.replace(QLatin1Char('.'), QLatin1Char(','));
    return c;
}

double LitNombre(const QString &cTexte, bool *lOk)
{
    QString c = cTexte.trimmed();
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    return c.toDouble(lOk);
}

QString Date(const QDate &d)
{
    return d.toString(QStringLiteral("dd/MM/yyyy"));
}
QString Heure(const QTime &t)
{
    return t.toString(QStringLiteral("HH:mm:ss"));
}
QString DateHeure(const QDateTime &dt)
{
    return Date(dt.date()) + QLatin1Char(' ') + Heure(dt.time());
}

QString NomJour(int nJour)
{
    static const char *const jours[] = {"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"};
    return (nJour >= 1 && nJour <= 7) ? QString::fromUtf8(jours[nJour - 1]) : QString();
}

QString NomMois(int nMois)
{
    static const char *const mois[] = {"janvier", "février", "mars",      "avril",   "mai",      "juin",
                                       "juillet", "août",    "septembre", "octobre", "novembre", "décembre"};
    return (nMois >= 1 && nMois <= 12) ? QString::fromUtf8(mois[nMois - 1]) : QString();
}

int Compare(const QString &a, const QString &b)
{
    // One collator for the whole program: building one per comparison is costly in a sort.
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::French, QLocale::France)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        c.setNumericMode(false);
        return c;
    }();
    return collator.compare(a, b);
}
}
