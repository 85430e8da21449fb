#include "metadata/TexteOctets.h"

#include <QStringDecoder>

namespace
{
// Windows-1252 differs from Latin-1 only in 0x80-0x9F; the five unassigned codes keep their
// Latin-1 value so that no byte is lost.
const char16_t kCp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                              0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}

QString TexteDeOctets(const uchar *p, qint64 n)
{
    if (!p || n <= 0)
        return QString();
    bool lAscii = true;
    for (qint64 i = 0; i < n && lAscii; ++i)
        lAscii = p[i] < 0x80;
    const char *c = reinterpret_cast<const char *>(p);
    if (lAscii)
        return QString::fromLatin1(c, n);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString cTexte = utf8.decode(QByteArrayView(c, n));
    if (!utf8.hasError())
        return cTexte;
    cTexte.resize(n);
    for (qint64 i = 0; i < n; ++i)
        cTexte[i] = (p[i] >= 0x80 && p[i] < 0xA0) ? QChar(kCp1252[p[i] - 0x80]) : QChar(p[i]);
    return cTexte;
}

QString TrimControle(const QString &c)
{
    qsizetype d = 0, f = c.size();
    while (d < f && c.at(d).unicode() <= 0x20)
        ++d;
    while (f > d && c.at(f - 1).unicode() <= 0x20)
        --f;
    return c.mid(d, f - d);
}
