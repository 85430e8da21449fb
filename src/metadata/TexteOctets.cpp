#include "metadata/TexteOctets.h"

#include "platform/TextCodec.h"

#include <QStringDecoder>

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
    // The five codes Windows-1252 leaves unassigned keep their Latin-1 value: no byte is lost.
    return DecodeWindows1252(QByteArrayView(c, n));
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
