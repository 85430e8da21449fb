#pragma once
// Bounded random access to the bytes of an image file, for the metadata readers.
//
// A file is opened once and its head read in one call; the rare offset beyond the head is
// served from a second window read on demand. The same readers run on a memory buffer (tests,
// fuzzing). Every request is checked against the real size with 64-bit arithmetic, so that a
// count or offset read from the file can never reach outside it.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

class QFile;

class TSourceOctets
{
public:
    // Head read at once from a file; enough for the EXIF and IPTC segments of a JPEG.
    static constexpr qint64 nTailleTete = 128 * 1024;
    // Largest single read beyond the head.
    static constexpr qint64 nTailleFenetre = 64 * 1024;

    // Over a memory buffer, which must outlive the source.
    TSourceOctets(const uchar *pDonnees, qint64 nTaille);
    // Opens the file read-only; Ouverte() is false when it cannot be opened.
    explicit TSourceOctets(const QString &cFichier);
    ~TSourceOctets();
    TSourceOctets(const TSourceOctets &) = delete;
    TSourceOctets &operator=(const TSourceOctets &) = delete;

    bool Ouverte() const { return m_lOuverte; }
    qint64 Taille() const { return m_nTaille; }

    // Pointer to nLongueur bytes at nPos (nLongueur ≤ nTailleFenetre), valid until the next call;
    // nullptr when the range lies outside the file or cannot be read.
    const uchar *Octets(qint64 nPos, qint64 nLongueur);

private:
    const uchar *m_pTete = nullptr;
    qint64 m_nTailleTeteLue = 0;
    qint64 m_nTaille = 0;
    bool m_lOuverte = false;
    std::unique_ptr<QFile> m_Fichier;
    QByteArray m_Tete;
    QByteArray m_Fenetre;
    qint64 m_nPosFenetre = -1;
};

// Reads a value in the byte order of the data.
inline quint16 Lit16(const uchar *p, bool lMotorola)
{
    return lMotorola ? quint16((p[0] << 8) | p[1]) : quint16((p[1] << 8) | p[0]);
}
inline quint32 Lit32(const uchar *p, bool lMotorola)
{
    return lMotorola ? (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3]
                     : (quint32(p[3]) << 24) | (quint32(p[2]) << 16) | (quint32(p[1]) << 8) | p[0];
}
