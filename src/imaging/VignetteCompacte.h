#pragma once
// A thumbnail as the grid and the image list keep it between two displays: the JPEG bytes of
// its cache file (a few kilobytes, where its pixels would take tens), or, for the pictures
// drawn by the program (placeholders), a picture shared by every item that shows it. Copies
// share their bytes or pixels.

#include <QByteArray>
#include <QImage>
#include <QMetaType>
#include <QSize>
#include <QString>

class TVignetteCompacte
{
public:
    TVignetteCompacte() = default;
    // JPEG bytes whose picture, of the size its header gives (TailleJpeg), is shown at
    // TailleAffichee. Empty when either size is empty.
    static TVignetteCompacte DeJpeg(const QByteArray &Octets, QSize TailleJpeg, QSize TailleAffichee);
    // Reads the size from the bytes' header; empty when there is none.
    static TVignetteCompacte DeJpeg(const QByteArray &Octets, QSize TailleAffichee);
    // A picture kept as it is and shown at its own size.
    static TVignetteCompacte DePixels(const QImage &Image);

    bool Vide() const { return TailleAffichee_.isEmpty(); }
    bool EstJpeg() const { return !Octets_.isEmpty(); }
    QSize Taille() const { return TailleAffichee_; }
    QSize TailleJpeg() const { return TailleJpeg_; }
    const QByteArray &Octets() const { return Octets_; }
    const QImage &Pixels() const { return Pixels_; }
    // The same thumbnail shown at another size (the bytes or pixels are shared).
    TVignetteCompacte AfficheeA(QSize Taille) const;

    // The picture at its displayed size in 32-bit pixels. The bytes are the program's own file:
    // any damage libjpeg reports (a write cut short) gives a null picture and the reason.
    QImage Decode(QString *cErreur = nullptr) const;

private:
    QByteArray Octets_;
    QImage Pixels_;
    QSize TailleJpeg_;
    QSize TailleAffichee_;
};

Q_DECLARE_METATYPE(TVignetteCompacte)
