#pragma once
// Small JPEGs with an EXIF block written byte by byte, for the benchmarks that read or show
// EXIF values: the same tags every time, values chosen by the caller.

#include <QByteArray>

#include <vector>

// A little-endian TIFF block: IFD0 (model, orientation, the EXIF IFD) and the EXIF IFD
// (exposure time, aperture, ISO, date taken, focal length), values after each directory.
inline QByteArray BlocEXIF(const QByteArray &cModele, quint32 nVitesse, quint32 nDiaph10, quint16 nISO,
                           const QByteArray &cDate, quint32 nFocale)
{
    struct TEntree
    {
        quint16 nTag, nType;
        quint32 nNombre;
        QByteArray Valeur; // inline when 4 bytes or fewer
    };
    auto U16 = [](quint16 v) {
        const char c[2] = {char(v & 0xff), char(v >> 8)};
        return QByteArray(c, 2);
    };
    auto U32 = [](quint32 v) {
        const char c[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char(v >> 24)};
        return QByteArray(c, 4);
    };
    auto Rationnel = [&](quint32 a, quint32 b) { return U32(a) + U32(b); };
    auto Ascii = [](QByteArray c) { return c.append('\0'); };
    QByteArray Tiff = QByteArray("II*\0", 4) + U32(8);
    auto Ecrit = [&](const std::vector<TEntree> &Entrees, quint32 nSuivant) {
        const quint32 nDebut = quint32(Tiff.size());
        quint32 nDonnees = nDebut + 2 + quint32(Entrees.size()) * 12 + 4;
        QByteArray Donnees;
        Tiff += U16(quint16(Entrees.size()));
        for (const TEntree &e : Entrees) {
            Tiff += U16(e.nTag) + U16(e.nType) + U32(e.nNombre);
            if (e.Valeur.size() <= 4) {
                Tiff += e.Valeur + QByteArray(4 - e.Valeur.size(), '\0');
            } else {
                Tiff += U32(nDonnees + quint32(Donnees.size()));
                Donnees += e.Valeur;
                if (Donnees.size() % 2)
                    Donnees += '\0';
            }
        }
        Tiff += U32(nSuivant);
        Tiff += Donnees;
    };
    const QByteArray cM = Ascii(cModele);
    // IFD0 is 2 + 3 × 12 + 4 bytes from offset 8, then the model: the EXIF IFD follows.
    const quint32 nExif = 8 + 2 + 3 * 12 + 4 + quint32(cM.size() + cM.size() % 2);
    Ecrit({{0x0110, 2, quint32(cM.size()), cM}, {0x0112, 3, 1, U16(1)}, {0x8769, 4, 1, U32(nExif)}}, 0);
    const QByteArray cD = Ascii(cDate);
    Ecrit({{0x829a, 5, 1, Rationnel(nVitesse >= 1000 ? nVitesse / 1000 : 1, nVitesse >= 1000 ? 1 : nVitesse)},
           {0x829d, 5, 1, Rationnel(nDiaph10, 10)},
           {0x8827, 3, 1, U16(nISO)},
           {0x9003, 2, quint32(cD.size()), cD},
           {0x920a, 5, 1, Rationnel(nFocale, 1)}},
          0);
    return Tiff;
}

// The JPEG with an APP1 EXIF segment put right after its start marker.
inline QByteArray AvecEXIF(const QByteArray &Jpeg, const QByteArray &Tiff)
{
    const QByteArray Corps = QByteArray("Exif\0\0", 6) + Tiff;
    const int n = int(Corps.size()) + 2;
    const char Entete[4] = {char(0xff), char(0xe1), char(n >> 8), char(n & 0xff)};
    return Jpeg.left(2) + QByteArray(Entete, 4) + Corps + Jpeg.mid(2);
}
