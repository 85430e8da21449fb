#pragma once
// JPEG (and .THM) through libjpeg-turbo directly: size from the header alone, decoding at
// 1/1, 1/2, 1/4 or 1/8, encoding at quality 90. Every function is safe on hostile files: a
// file libjpeg cannot decode gives false or a null image with the reason in cErreur, never a
// crash; data it can work around gives the picture it makes of it.

#include "storage/TailleImage.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <atomic>
#include <functional>

namespace JpegCodec
{
// Width and height from the header, without decoding the pixels.
bool LitTaille(const QString &cFichier, TTailleImage &Taille, QString *cErreur = nullptr);

// The reduction for a picture whose larger side is nCoteMax shown in a box of side nD: 8 when
// nCoteMax div 8 >= nD, else 4 when div 4 >= nD, else 2 when div 2 >= nD, else 1.
int EchellePour(qint64 nCoteMax, int nD);

// What a decoding makes of libjpeg's warnings: data it worked around, such as bytes before a
// marker, odd scan parameters, or a file cut short whose missing rows come out grey.
enum class TAvertissements {
    Toleres, // the picture libjpeg produced, as for every photograph
    Refuses  // no picture: for the program's own files, which only a cut-short write damages
};

// Decodes the whole file at 1/nEchelle (1, 2, 4 or 8) into a 32-bit picture. A null image and
// the reason in cErreur when libjpeg stops on an error (or, when they are refused, a warning).
QImage Decode(const QString &cFichier, int nEchelle = 1, QString *cErreur = nullptr,
              TAvertissements Avertissements = TAvertissements::Toleres);
QImage DecodeMemoire(const QByteArray &Donnees, int nEchelle = 1, QString *cErreur = nullptr,
                     TAvertissements Avertissements = TAvertissements::Toleres);
// The same, reporting the percentage of rows decoded (0 to 100) and giving the full-size
// width and height read from the header.
QImage DecodeAvecProgres(const QString &cFichier, int nEchelle, QString *cErreur,
                         const std::function<void(int nPourcent)> &Progres, TTailleImage *pTaille = nullptr);
QImage DecodeMemoireTaille(const QByteArray &Donnees, int nEchelle, QString *cErreur, TTailleImage *pTaille,
                           const std::function<void(int nPourcent)> &Progres = {});
// While one lives, every decode made on its thread stops between two rows as soon as lAbandon
// is set, and fails with "décodage abandonné": a viewer drops the decodes of images the user
// has already moved past instead of waiting for them. Scopes nest; other threads are unaffected.
class TAbandonDecodage
{
public:
    explicit TAbandonDecodage(const std::atomic<bool> &lAbandon);
    ~TAbandonDecodage();
    TAbandonDecodage(const TAbandonDecodage &) = delete;
    TAbandonDecodage &operator=(const TAbandonDecodage &) = delete;
    // Whether the decodes of the calling thread are to stop now.
    static bool Demande();

private:
    const std::atomic<bool> *m_pPrecedent;
};

// Width and height from the header of a JPEG held in memory (an embedded preview).
bool TailleMemoire(const QByteArray &Donnees, TTailleImage &Taille, QString *cErreur = nullptr);

// Writes the picture as a baseline JPEG (quality 90 unless told). False with the reason on
// failure; the target is written atomically.
bool Encode(const QImage &Image, const QString &cFichier, int nQualite = 90, QString *cErreur = nullptr);
QByteArray EncodeMemoire(const QImage &Image, int nQualite = 90);
}
