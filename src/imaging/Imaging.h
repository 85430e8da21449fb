#pragma once
// The imaging layer for every kind that is not a JPEG: camera raw through LibRaw, TIF through
// libtiff, PNG through libpng; the all-metadata listings through exiv2 (IPTC is written
// by EcritIPTC.h).
//
// Pictures come out as 32-bit pixels whatever the file's depth or layout (16-bit, grey,
// palette, CMYK, alpha), exactly as stored: nothing here turns a picture upright, that is done
// once, later, from the remembered treatments. Decoding keeps no shared state, so it may run on
// worker threads; the metadata functions are meant for the user-interface thread.

#include "storage/TailleImage.h"

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <memory>

namespace Imaging
{
// A decoded picture and the source image's own width and height.
struct TBitmap
{
    QImage Image;              // Format_RGB32, or Format_ARGB32 when the file has transparency
    TTailleImage TailleSource; // the file's own size (for a raw: the size LibRaw develops it to)
    QRect Rectangle;           // in a thumbnail, the part of the D × D bitmap the picture fills
};

// The image's width and height from its header, without decoding the pixels: the size a
// decoding reports (for a raw, the size it develops to). False, with a French reason in
// cErreur, when the header cannot be read.
bool LitTaille(const QString &cFichier, TTailleImage &Taille, QString *cErreur = nullptr);

// The whole image at full size. False, with a French reason in cErreur, when the file cannot be
// read or decoded.
bool ChargeBitmap(const QString &cFichier, TBitmap &Resultat, QString *cErreur = nullptr);
// The same, except that a raw is developed at half its size (TailleSource stays the full
// size); a raw that cannot be developed gives its embedded preview.
bool ChargeBitmapDemiTaille(const QString &cFichier, TBitmap &Resultat, QString *cErreur = nullptr);

// A D × D bitmap holding the whole image fitted into RectangleVignette and centred, white
// around it. A raw file gives its embedded preview when that is at least D pixels on its larger
// side, otherwise its developed picture, otherwise whatever preview it holds; a preview is
// fitted by its own proportions, which may not be the image's.
bool ChargeVignette(const QString &cFichier, int nD, TBitmap &Resultat, QString *cErreur = nullptr);

// The rectangle of a D × D thumbnail that holds a w × h image: for w < h, w × D / h wide
// (rounded to nearest, halves to even) and D high, starting at half the spare width (rounded
// down); otherwise D wide and h × D / w high, starting at half the spare height. A side never
// rounds down to nothing.
QRect RectangleVignette(qint64 w, qint64 h, int nD);

// Division of two non-negative integers rounded to the nearest, halves to even.
qint64 DivisionArrondiePair(qint64 nNum, qint64 nDen);

// One entry of the all-metadata listings: EXIF tag number or IPTC dataset number, name, value.
struct TEntreeMeta
{
    quint32 nId = 0;
    QString cNom;
    QString cValeur;
};

// Every EXIF entry of the file (camera maker notes left out: their tag numbers mean something
// else in each maker's block), in file order. Empty when the file has none or cannot be read.
QList<TEntreeMeta> ListeEXIF(const QString &cFichier, QString *cErreur = nullptr);
// Every IPTC dataset of the file, one entry per value, in file order.
QList<TEntreeMeta> ListeIPTC(const QString &cFichier, QString *cErreur = nullptr);

// A file's IPTC block as exiv2 reads it. Dataset numbers are those of the application record
// (2:25 keywords, 2:120 caption...).
class TBlocIPTC
{
public:
    TBlocIPTC();
    ~TBlocIPTC();
    TBlocIPTC(const TBlocIPTC &) = delete;
    TBlocIPTC &operator=(const TBlocIPTC &) = delete;

    // Reads the file's IPTC block (empty when it has none). False when the file cannot be read.
    bool Charge(const QString &cFichier, QString *cErreur = nullptr);
    QList<TEntreeMeta> Entrees() const;
    // Removes every value of the dataset.
    void SupprimeValeurs(quint32 nDataset);
    // Adds one value (called once per keyword for the repeatable datasets).
    void AjouteValeur(quint32 nDataset, const QString &cValeur);

private:
    struct TDonnees;
    std::unique_ptr<TDonnees> d;
};

// The libraries behind this layer and their versions, for the about box.
QString TexteVersion();
}
