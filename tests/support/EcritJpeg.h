#pragma once
// Small JPEG files for tests, written by the program's own encoder.

#include "imaging/JpegCodec.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>

// Writes a w × h JPEG of one colour at cChemin, making its folder first; nBourrage zero bytes
// after the picture make the file larger without changing what it shows.
inline bool EcritJpeg(const QString &cChemin, int w, int h, const QColor &Couleur, int nBourrage = 0)
{
    QDir().mkpath(QFileInfo(cChemin).absolutePath());
    QImage Image(w, h, QImage::Format_RGB32);
    Image.fill(Couleur);
    if (!JpegCodec::Encode(Image, cChemin))
        return false;
    if (nBourrage <= 0)
        return true;
    QFile f(cChemin);
    return f.open(QIODevice::Append) && f.write(QByteArray(nBourrage, '\0')) == nBourrage;
}
