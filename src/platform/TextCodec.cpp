#include "platform/TextCodec.h"

#include <cstring>

namespace
{
// Windows-1252 0x80..0x9F; the undefined positions keep their C1 control value.
constexpr char16_t Table80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int Octet80PourCaractere(char16_t c)
{
    for (int i = 0; i < 32; ++i)
        if (Table80[i] == c)
            return 0x80 + i;
    return -1;
}
}

bool EstUtf8Valide(QByteArrayView Octets)
{
    const auto *p = reinterpret_cast<const unsigned char *>(Octets.data());
    const qsizetype n = Octets.size();
    qsizetype i = 0;
    while (i < n) {
        // Plain ASCII is by far the most common: skip it eight bytes at a time.
        while (i + 8 <= n) {
            quint64 v;
            std::memcpy(&v, p + i, 8);
            if (v & 0x8080808080808080ull)
                break;
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int nSuite;
        unsigned nMin, nMax = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            nSuite = 1;
            nMin = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            nSuite = 2;
            nMin = c == 0xE0 ? 0xA0 : 0x80;
            if (c == 0xED)
                nMax = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            nSuite = 3;
            nMin = c == 0xF0 ? 0x90 : 0x80;
            if (c == 0xF4)
                nMax = 0x8F;
        } else {
            return false;
        }
        if (n - i <= nSuite)
            return false;
        if (p[i + 1] < nMin || p[i + 1] > nMax)
            return false;
        for (int k = 2; k <= nSuite; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        i += nSuite + 1;
    }
    return true;
}

QString DecodeWindows1252(QByteArrayView Octets)
{
    QString cTexte(Octets.size(), Qt::Uninitialized);
    char16_t *q = reinterpret_cast<char16_t *>(cTexte.data());
    for (qsizetype i = 0; i < Octets.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(Octets[i]);
        q[i] = (c >= 0x80 && c < 0xA0) ? Table80[c - 0x80] : char16_t(c);
    }
    return cTexte;
}

QString DecodeLigne(QByteArrayView Octets)
{
    if (EstUtf8Valide(Octets))
        return QString::fromUtf8(Octets);
    return DecodeWindows1252(Octets);
}

QByteArray EncodeWindows1252(const QString &cTexte, bool *lOk)
{
    QByteArray Octets;
    Octets.reserve(cTexte.size());
    bool lTout = true;
    for (qsizetype i = 0; i < cTexte.size(); ++i) {
        const QChar qc = cTexte[i];
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            Octets.append(char(c));
        } else if (c >= 0x80 && c < 0xA0 && Table80[c - 0x80] == c) {
            Octets.append(char(c)); // one of the five undefined bytes, read back as itself
        } else if (const int b = Octet80PourCaractere(c); b >= 0) {
            Octets.append(char(b));
        } else {
            // A surrogate pair is one character: one "?" for it.
            if (qc.isHighSurrogate() && i + 1 < cTexte.size() && cTexte[i + 1].isLowSurrogate())
                ++i;
            Octets.append('?');
            lTout = false;
        }
    }
    if (lOk)
        *lOk = lTout;
    return Octets;
}
