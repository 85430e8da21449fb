#include "publishing/EchappementWEB.h"

#include <QStringList>

namespace EchappementWEB
{
QString HTML(const QString &cTexte)
{
    QString r;
    r.reserve(cTexte.size() + cTexte.size() / 8);
    for (const QChar c : cTexte) {
        switch (c.unicode()) {
        case '&': r += QLatin1String("&amp;"); break;
        case '<': r += QLatin1String("&lt;"); break;
        case '>': r += QLatin1String("&gt;"); break;
        case '"': r += QLatin1String("&quot;"); break;
        case '\'': r += QLatin1String("&#39;"); break;
        default: r += c;
        }
    }
    return r;
}

QString JS(const QString &cTexte)
{
    QString r;
    r.reserve(cTexte.size() + cTexte.size() / 8);
    for (const QChar c : cTexte) {
        switch (c.unicode()) {
        case '\\': r += QLatin1String("\\\\"); break;
        case '\'': r += QLatin1String("\\'"); break;
        case '"': r += QLatin1String("\\\""); break;
        case '\r': r += QLatin1String("\\r"); break;
        case '\n': r += QLatin1String("\\n"); break;
        case '<': r += QLatin1String("\\x3C"); break;
        // Both line separators end a string literal in older script engines.
        case 0x2028: r += QLatin1String("\\u2028"); break;
        case 0x2029: r += QLatin1String("\\u2029"); break;
        default: r += c;
        }
    }
    return r;
}

QString PartieURL(const QString &cPartie)
{
    static const char cHex[] = "0123456789ABCDEF";
    const QByteArray Octets = cPartie.toUtf8();
    QString r;
    r.reserve(Octets.size());
    for (const char o : Octets) {
        const auto u = static_cast<unsigned char>(o);
        const bool lLibre = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-'
                            || u == '.' || u == '_' || u == '~' || u == '(' || u == ')';
        if (lLibre)
            r += QLatin1Char(static_cast<char>(u));
        else {
            r += QLatin1Char('%');
            r += QLatin1Char(cHex[u >> 4]);
            r += QLatin1Char(cHex[u & 0x0F]);
        }
    }
    return r;
}

QString CheminURL(const QString &cChemin)
{
    QStringList Parties = cChemin.split(QLatin1Char('/'));
    for (QString &p : Parties)
        p = PartieURL(p);
    return Parties.join(QLatin1Char('/'));
}

QString Legende(const QString &cTexte)
{
    return JS(HTML(cTexte));
}
}
