#pragma once
// Builds small TIFF blocks and JPEG files byte by byte, so that tests can place values and
// offsets exactly where a case needs them.

#include <QByteArray>
#include <QList>
#include <QtGlobal>

class TConstruitTiff
{
public:
    explicit TConstruitTiff(bool lMotorola) : lMM(lMotorola)
    {
        Octets.append(lMM ? "MM" : "II", 2);
        Ecrit16(42);
        Ecrit32(8);
    }

    struct TEntree
    {
        quint16 nTag, nType;
        quint32 nCompte;
        QByteArray Valeur; // exactly 4 bytes, already in the file's byte order
    };

    QByteArray V16(quint16 v) const
    {
        QByteArray b = B16(v);
        b.append(2, '\0');
        return b;
    }
    QByteArray V32(quint32 v) const { return B32(v); }
    QByteArray B16(quint16 v) const
    {
        QByteArray b(2, '\0');
        b[lMM ? 0 : 1] = char(v >> 8);
        b[lMM ? 1 : 0] = char(v & 0xFF);
        return b;
    }
    QByteArray B32(quint32 v) const
    {
        QByteArray b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[lMM ? 3 - i : i] = char((v >> (8 * i)) & 0xFF);
        return b;
    }
    QByteArray Rationnel(quint32 n, quint32 d) const { return B32(n) + B32(d); }

    // Writes an IFD at nPos (the block grows as needed); nSuivant is the next-IFD offset.
    void IFD(qint64 nPos, const QList<TEntree> &Entrees, quint32 nSuivant = 0)
    {
        QByteArray b = B16(quint16(Entrees.size()));
        for (const TEntree &e : Entrees)
            b += B16(e.nTag) + B16(e.nType) + B32(e.nCompte) + e.Valeur.left(4).leftJustified(4, '\0');
        b += B32(nSuivant);
        Place(nPos, b);
    }
    void Place(qint64 nPos, const QByteArray &b)
    {
        if (Octets.size() < nPos + b.size())
            Octets.resize(nPos + b.size(), '\0');
        Octets.replace(nPos, b.size(), b);
    }

    QByteArray Octets;

private:
    bool lMM;
    void Ecrit16(quint16 v) { Octets += B16(v); }
    void Ecrit32(quint32 v) { Octets += B32(v); }
};

// A JPEG made of the start marker, the given segments (marker byte, payload) and an end.
inline QByteArray JpegAvecSegments(const QList<QPair<quint8, QByteArray>> &Segments)
{
    QByteArray j("\xFF\xD8", 2);
    for (const auto &s : Segments) {
        const int L = int(s.second.size()) + 2;
        j += char(0xFF);
        j += char(s.first);
        j += char(L >> 8);
        j += char(L & 0xFF);
        j += s.second;
    }
    j += QByteArray("\xFF\xD9", 2);
    return j;
}

inline QByteArray SegmentExif(const QByteArray &Tiff)
{
    return QByteArray("Exif\0\0", 6) + Tiff;
}

inline const uchar *U(const QByteArray &b)
{
    return reinterpret_cast<const uchar *>(b.constData());
}
