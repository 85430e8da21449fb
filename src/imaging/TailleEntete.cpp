#include "imaging/TailleEntete.h"

#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "imaging/LimitesImage.h"

#include <QFile>

#include <cstdarg>
#include <memory>

#include <libraw/libraw.h>
#include <tiffio.h>

namespace
{
int TiffSilencieux(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

bool Admise(qint64 w, qint64 h, TTailleImage &Taille)
{
    if (!LimitesImage::DimensionsAdmises(w, h, nullptr))
        return false;
    Taille = {w, h};
    return true;
}

quint32 GrosBoutiste(const QByteArray &b, qsizetype i)
{
    return (quint32(uchar(b[i])) << 24) | (quint32(uchar(b[i + 1])) << 16) | (quint32(uchar(b[i + 2])) << 8)
           | quint32(uchar(b[i + 3]));
}

bool TaillePng(const QByteArray &Debut, TTailleImage &Taille)
{
    // Signature, then the IHDR chunk: length 13, type, width and height in big-endian order.
    if (Debut.size() < 24 || !Debut.startsWith("\x89PNG\r\n\x1a\n") || Debut.mid(12, 4) != "IHDR")
        return false;
    return Admise(GrosBoutiste(Debut, 16), GrosBoutiste(Debut, 20), Taille);
}

bool TailleTiff(const QString &cFichier, TTailleImage &Taille)
{
    TIFFOpenOptions *pOptions = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(pOptions, TiffSilencieux, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(pOptions, TiffSilencieux, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(pOptions, 64LL * 1024 * 1024);
    TIFF *pTif = TIFFOpenExt(QFile::encodeName(cFichier).constData(), "r", pOptions);
    bool lOk = false;
    if (pTif) {
        uint32_t w = 0, h = 0;
        lOk = TIFFGetField(pTif, TIFFTAG_IMAGEWIDTH, &w) == 1 && TIFFGetField(pTif, TIFFTAG_IMAGELENGTH, &h) == 1
              && Admise(w, h, Taille);
        TIFFClose(pTif);
    }
    TIFFOpenOptionsFree(pOptions);
    return lOk;
}

bool TailleRaw(const QString &cFichier, TTailleImage &Taille)
{
    try {
        auto pRaw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
        pRaw->imgdata.params.user_flip = 0;
        if (pRaw->open_file(QFile::encodeName(cFichier).constData()) != LIBRAW_SUCCESS)
            return false;
        // The size development gives: rotated sensors and non-square pixels accounted for.
        if (pRaw->adjust_sizes_info_only() != LIBRAW_SUCCESS)
            return false;
        return Admise(pRaw->imgdata.sizes.iwidth, pRaw->imgdata.sizes.iheight, Taille);
    } catch (...) {
        return false;
    }
}
} // namespace

bool LitTailleEntete(const QString &cFichier, TTailleImage &Taille)
{
    if (EstJPEG(cFichier))
        return JpegCodec::LitTaille(cFichier, Taille);
    if (EstRAW(cFichier) && TailleRaw(cFichier, Taille))
        return true;
    if (EstCRW(cFichier) && LitTailleCRW(cFichier, Taille) && !Taille.Vide())
        return true;
    QFile Fichier(cFichier);
    if (!Fichier.open(QIODevice::ReadOnly))
        return false;
    const QByteArray Debut = Fichier.read(24);
    Fichier.close();
    if (Debut.size() >= 3 && uchar(Debut[0]) == 0xFF && uchar(Debut[1]) == 0xD8 && uchar(Debut[2]) == 0xFF)
        return JpegCodec::LitTaille(cFichier, Taille);
    if (TaillePng(Debut, Taille))
        return true;
    if (Debut.startsWith(QByteArray("II*\0", 4)) || Debut.startsWith(QByteArray("MM\0*", 4))
        || Debut.startsWith(QByteArray("II+\0", 4)) || Debut.startsWith(QByteArray("MM\0+", 4)))
        return TailleTiff(cFichier, Taille);
    return false;
}
