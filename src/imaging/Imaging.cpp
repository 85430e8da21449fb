#include "imaging/Imaging.h"

#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "imaging/LimitesImage.h"

#include <QFile>
#include <QFileInfo>

#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include <libraw/libraw.h>
#include <png.h>
#include <tiffio.h>

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "32-bit pixels are written in little-endian order");

namespace
{
using LimitesImage::DimensionsAdmises;
using LimitesImage::nCoteLimite;

void Pose(QString *cErreur, const QString &c)
{
    if (cErreur)
        *cErreur = c;
}

// The decoded picture as each reader hands it over, before any fitting.
struct TImageBrute
{
    QImage Image;
    TTailleImage Taille;
    bool lApercu = false; // a raw's embedded preview, whose proportions may differ from Taille's
};

enum class TGenre { Inconnu, Jpeg, Tiff, Png };

TGenre GenreContenu(const QString &cFichier)
{
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly))
        return TGenre::Inconnu;
    const QByteArray b = f.read(8);
    if (b.size() >= 3 && uchar(b[0]) == 0xFF && uchar(b[1]) == 0xD8 && uchar(b[2]) == 0xFF)
        return TGenre::Jpeg;
    if (b.size() >= 8 && b.startsWith("\x89PNG\r\n\x1a\n"))
        return TGenre::Png;
    if (b.size() >= 4
        && (b.startsWith(QByteArray("II*\0", 4)) || b.startsWith(QByteArray("MM\0*", 4))
            || b.startsWith(QByteArray("II+\0", 4)) || b.startsWith(QByteArray("MM\0+", 4))))
        return TGenre::Tiff;
    return TGenre::Inconnu;
}

// ---------------------------------------------------------------------------------------------
// JPEG content met where another kind was expected (a mislabelled file, a raw's preview)

bool ChargeJpeg(const QString &cFichier, int nD, TImageBrute &Resultat, QString *cErreur)
{
    TTailleImage Taille;
    if (!JpegCodec::LitTaille(cFichier, Taille, cErreur))
        return false;
    const int nEchelle = nD > 0 ? JpegCodec::EchellePour(qMax(Taille.nLargeur, Taille.nHauteur), nD) : 1;
    QImage Image = JpegCodec::Decode(cFichier, nEchelle, cErreur);
    if (Image.isNull())
        return false;
    Resultat.Image = std::move(Image);
    Resultat.Taille = Taille;
    return true;
}

// ---------------------------------------------------------------------------------------------
// TIF

struct TMessagesTiff
{
    QString cErreur;
};

int ErreurTiff(TIFF *, void *pDonnees, const char *cModule, const char *cFormat, va_list Args)
{
    auto *m = static_cast<TMessagesTiff *>(pDonnees);
    if (m && m->cErreur.isEmpty()) {
        char c[512];
        std::vsnprintf(c, sizeof c, cFormat, Args);
        m->cErreur = QString::fromLocal8Bit(cModule ? cModule : "") + QStringLiteral(" : ") + QString::fromLocal8Bit(c);
    }
    return 1; // handled: nothing on the terminal
}

int AvertissementTiff(TIFF *, void *, const char *, const char *, va_list)
{
    return 1;
}

struct TTiff
{
    TIFF *pTif = nullptr;
    TIFFOpenOptions *pOptions = nullptr;
    TIFFRGBAImage Img{};
    bool lImg = false;
    ~TTiff()
    {
        if (lImg)
            TIFFRGBAImageEnd(&Img);
        if (pTif)
            TIFFClose(pTif);
        if (pOptions)
            TIFFOpenOptionsFree(pOptions);
    }
};

bool ChargeTiff(const QString &cFichier, TImageBrute &Resultat, QString *cErreur)
{
    const qint64 nTailleFichier = QFileInfo(cFichier).size();
    TMessagesTiff Messages;
    TTiff T;
    T.pOptions = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(T.pOptions, ErreurTiff, &Messages);
    TIFFOpenOptionsSetWarningHandlerExtR(T.pOptions, AvertissementTiff, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(T.pOptions, 512LL * 1024 * 1024);
    T.pTif = TIFFOpenExt(QFile::encodeName(cFichier).constData(), "r", T.pOptions);
    if (!T.pTif) {
        Pose(cErreur, QStringLiteral("TIF illisible : %1").arg(Messages.cErreur));
        return false;
    }
    char cMsg[1024] = {0};
    if (!TIFFRGBAImageOK(T.pTif, cMsg)) {
        Pose(cErreur, QStringLiteral("TIF non pris en charge : %1").arg(QString::fromLocal8Bit(cMsg)));
        return false;
    }
    if (!TIFFRGBAImageBegin(&T.Img, T.pTif, 1, cMsg)) {
        Pose(cErreur, QStringLiteral("TIF illisible : %1").arg(QString::fromLocal8Bit(cMsg)));
        return false;
    }
    T.lImg = true;
    const qint64 w = T.Img.width, h = T.Img.height;
    if (!DimensionsAdmises(w, h, cErreur))
        return false;
    // Compressed strips cannot hold more than a few thousand times their size; beyond that the
    // header lies and the raster would be allocated for nothing.
    const qint64 nOctetsBruts =
        w * h * qMax<qint64>(1, T.Img.samplesperpixel) * qMax<qint64>(1, T.Img.bitspersample) / 8;
    if (nOctetsBruts > nTailleFichier * 4096 + 1024 * 1024) {
        Pose(cErreur, QStringLiteral("TIF incohérent : dimensions sans rapport avec la taille du fichier"));
        return false;
    }
    // The picture comes out as stored: the orientation tag is left to the remembered
    // treatments, so the reader must neither flip nor mirror.
    T.Img.req_orientation = ORIENTATION_TOPLEFT;
    T.Img.orientation = ORIENTATION_TOPLEFT;
    QImage Image(static_cast<int>(w), static_cast<int>(h), QImage::Format_ARGB32_Premultiplied);
    if (Image.isNull() || Image.bytesPerLine() != w * 4) {
        Pose(cErreur, QStringLiteral("mémoire insuffisante"));
        return false;
    }
    auto *pRaster = reinterpret_cast<uint32_t *>(Image.bits());
    if (!TIFFRGBAImageGet(&T.Img, pRaster, static_cast<uint32_t>(w), static_cast<uint32_t>(h))) {
        Pose(cErreur, QStringLiteral("TIF illisible : %1")
                          .arg(Messages.cErreur.isEmpty() ? QStringLiteral("données corrompues") : Messages.cErreur));
        return false;
    }
    // libtiff packs A B G R from the high byte down; Qt wants A R G B.
    bool lAlpha = false;
    const qint64 n = w * h;
    for (qint64 i = 0; i < n; ++i) {
        const uint32_t p = pRaster[i];
        lAlpha |= (p >> 24) != 0xFF;
        pRaster[i] = (p & 0xFF00FF00u) | ((p & 0xFF) << 16) | ((p >> 16) & 0xFF);
    }
    Resultat.Image = Image.convertToFormat(lAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Resultat.Taille = {w, h};
    return true;
}

bool TailleTiff(const QString &cFichier, TTailleImage &Taille, QString *cErreur)
{
    TMessagesTiff Messages;
    TTiff T;
    T.pOptions = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(T.pOptions, ErreurTiff, &Messages);
    TIFFOpenOptionsSetWarningHandlerExtR(T.pOptions, AvertissementTiff, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(T.pOptions, 64LL * 1024 * 1024);
    T.pTif = TIFFOpenExt(QFile::encodeName(cFichier).constData(), "r", T.pOptions);
    if (!T.pTif) {
        Pose(cErreur, QStringLiteral("TIF illisible : %1").arg(Messages.cErreur));
        return false;
    }
    uint32_t w = 0, h = 0;
    if (!TIFFGetField(T.pTif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(T.pTif, TIFFTAG_IMAGELENGTH, &h)) {
        Pose(cErreur, QStringLiteral("TIF sans dimensions"));
        return false;
    }
    if (!DimensionsAdmises(w, h, cErreur))
        return false;
    Taille = {w, h};
    return true;
}

// ---------------------------------------------------------------------------------------------
// PNG

// Everything a longjmp from libpng may cross lives here, on the heap.
struct TPng
{
    std::FILE *pFichier = nullptr;
    png_structp pPng = nullptr;
    png_infop pInfo = nullptr;
    QImage Image;
    std::vector<png_bytep> Lignes;
    char cMessage[256] = {0};
    ~TPng()
    {
        if (pPng)
            png_destroy_read_struct(&pPng, pInfo ? &pInfo : nullptr, nullptr);
        if (pFichier)
            std::fclose(pFichier);
    }
};

[[noreturn]] void ErreurPng(png_structp pPng, png_const_charp cMessage)
{
    auto *p = static_cast<TPng *>(png_get_error_ptr(pPng));
    if (p)
        std::snprintf(p->cMessage, sizeof p->cMessage, "%s", cMessage ? cMessage : "");
    png_longjmp(pPng, 1);
}

void AvertissementPng(png_structp, png_const_charp) {}

// Opens the file and creates libpng's reader and info for it. The caller sets its own
// setjmp point afterwards: one set here would be gone once this returns.
bool OuvrePng(const QString &cFichier, TPng &P, QString *cErreur)
{
    P.pFichier = std::fopen(QFile::encodeName(cFichier).constData(), "rb");
    if (!P.pFichier) {
        Pose(cErreur, QStringLiteral("fichier illisible"));
        return false;
    }
    P.pPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, &P, ErreurPng, AvertissementPng);
    P.pInfo = P.pPng ? png_create_info_struct(P.pPng) : nullptr;
    if (!P.pInfo) {
        Pose(cErreur, QStringLiteral("mémoire insuffisante"));
        return false;
    }
    return true;
}

bool ChargePng(const QString &cFichier, TImageBrute &Resultat, QString *cErreur)
{
    auto P = std::make_unique<TPng>();
    if (!OuvrePng(cFichier, *P, cErreur))
        return false;
    if (setjmp(png_jmpbuf(P->pPng))) {
        Pose(cErreur, QStringLiteral("PNG illisible : %1").arg(QString::fromLocal8Bit(P->cMessage)));
        return false;
    }
    png_init_io(P->pPng, P->pFichier);
    png_set_user_limits(P->pPng, nCoteLimite, nCoteLimite);
    png_set_chunk_malloc_max(P->pPng, 64 * 1024 * 1024);
    png_read_info(P->pPng, P->pInfo);
    const qint64 w = png_get_image_width(P->pPng, P->pInfo);
    const qint64 h = png_get_image_height(P->pPng, P->pInfo);
    if (!DimensionsAdmises(w, h, cErreur))
        return false;
    const int nType = png_get_color_type(P->pPng, P->pInfo);
    const int nBits = png_get_bit_depth(P->pPng, P->pInfo);
    const bool lAlpha = (nType & PNG_COLOR_MASK_ALPHA) || png_get_valid(P->pPng, P->pInfo, PNG_INFO_tRNS);
    // Every depth and layout ends as 8-bit B G R A, the memory order of Qt's 32-bit formats.
    png_set_expand(P->pPng);
    if (nBits == 16)
        png_set_scale_16(P->pPng);
    if (!(nType & PNG_COLOR_MASK_COLOR))
        png_set_gray_to_rgb(P->pPng);
    png_set_bgr(P->pPng);
    if (!lAlpha)
        png_set_filler(P->pPng, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(P->pPng);
    png_read_update_info(P->pPng, P->pInfo);
    if (png_get_rowbytes(P->pPng, P->pInfo) != static_cast<size_t>(w) * 4) {
        Pose(cErreur, QStringLiteral("PNG non pris en charge"));
        return false;
    }
    P->Image = QImage(static_cast<int>(w), static_cast<int>(h), lAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (P->Image.isNull()) {
        Pose(cErreur, QStringLiteral("mémoire insuffisante"));
        return false;
    }
    P->Lignes.resize(static_cast<size_t>(h));
    for (qint64 y = 0; y < h; ++y)
        P->Lignes[static_cast<size_t>(y)] = P->Image.scanLine(static_cast<int>(y));
    png_read_image(P->pPng, P->Lignes.data());
    Resultat.Image = std::move(P->Image);
    Resultat.Taille = {w, h};
    return true;
}

bool TaillePng(const QString &cFichier, TTailleImage &Taille, QString *cErreur)
{
    auto P = std::make_unique<TPng>();
    if (!OuvrePng(cFichier, *P, cErreur))
        return false;
    if (setjmp(png_jmpbuf(P->pPng))) {
        Pose(cErreur, QStringLiteral("PNG illisible : %1").arg(QString::fromLocal8Bit(P->cMessage)));
        return false;
    }
    png_init_io(P->pPng, P->pFichier);
    png_set_user_limits(P->pPng, nCoteLimite, nCoteLimite);
    png_set_chunk_malloc_max(P->pPng, 64 * 1024 * 1024);
    png_read_info(P->pPng, P->pInfo);
    const qint64 w = png_get_image_width(P->pPng, P->pInfo);
    const qint64 h = png_get_image_height(P->pPng, P->pInfo);
    if (!DimensionsAdmises(w, h, cErreur))
        return false;
    Taille = {w, h};
    return true;
}

// ---------------------------------------------------------------------------------------------
// Camera raw

struct TDonneesRaw
{
    bool lErreurDonnees = false;
};

void ErreurDonneesRaw(void *pDonnees, const char *, const int)
{
    static_cast<TDonneesRaw *>(pDonnees)->lErreurDonnees = true;
}

QImage ImageDeTraitee(const libraw_processed_image_t *p)
{
    if (!p || p->type != LIBRAW_IMAGE_BITMAP || (p->colors != 1 && p->colors != 3) || (p->bits != 8 && p->bits != 16))
        return {};
    const qint64 w = p->width, h = p->height;
    const qint64 nOctetsPixel = qint64(p->colors) * (p->bits / 8);
    if (w <= 0 || h <= 0 || w * h * nOctetsPixel > qint64(p->data_size))
        return {};
    QImage Image(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (Image.isNull())
        return {};
    for (qint64 y = 0; y < h; ++y) {
        const uchar *s = p->data + y * w * nOctetsPixel;
        auto *d = reinterpret_cast<QRgb *>(Image.scanLine(static_cast<int>(y)));
        for (qint64 x = 0; x < w; ++x) {
            int r, g, b;
            if (p->bits == 8) {
                r = s[0];
                g = p->colors == 3 ? s[1] : r;
                b = p->colors == 3 ? s[2] : r;
            } else {
                const auto *s16 = reinterpret_cast<const quint16 *>(s);
                r = s16[0] >> 8;
                g = p->colors == 3 ? s16[1] >> 8 : r;
                b = p->colors == 3 ? s16[2] >> 8 : r;
            }
            d[x] = qRgb(r, g, b);
            s += nOctetsPixel;
        }
    }
    return Image;
}

struct TImageTraitee
{
    libraw_processed_image_t *p = nullptr;
    ~TImageTraitee() { LibRaw::dcraw_clear_mem(p); }
};

class TRaw
{
public:
    TRaw(const QString &cFichier) : m_cFichier(cFichier), m_nTailleFichier(QFileInfo(cFichier).size()) {}

    bool Ouvre(QString *cErreur)
    {
        try {
            m_pRaw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
            auto &P = m_pRaw->imgdata.params;
            P.user_flip = 0;
            P.output_bps = 8;
            P.use_camera_wb = 1;
            m_pRaw->set_dataerror_handler(ErreurDonneesRaw, &m_Donnees);
            const int rc = m_pRaw->open_file(QFile::encodeName(m_cFichier).constData());
            if (rc != LIBRAW_SUCCESS) {
                Pose(cErreur,
                     QStringLiteral("image brute illisible : %1").arg(QString::fromLatin1(libraw_strerror(rc))));
                return false;
            }
            const auto &S = m_pRaw->imgdata.sizes;
            if (!DimensionsAdmises(S.width, S.height, cErreur)
                || !DimensionsAdmises(S.raw_width, S.raw_height, cErreur))
                return false;
            m_Taille = TailleDeveloppee();
            return DimensionsAdmises(m_Taille.nLargeur, m_Taille.nHauteur, cErreur);
        } catch (...) {
            Pose(cErreur, QStringLiteral("image brute illisible"));
            return false;
        }
    }

    // The size the image develops to. A sensor whose photosites are turned by 45 degrees, or
    // that has non-square pixels, declares another size than the picture it gives; LibRaw
    // computes the developed size by altering the state a development relies on, so the
    // computation runs on a second opening of the file, and only for those sensors.
    TTailleImage TailleDeveloppee()
    {
        const auto &S = m_pRaw->imgdata.sizes;
        const TTailleImage Declaree{S.width, S.height};
        const bool lCarres = S.pixel_aspect >= 0.995 && S.pixel_aspect <= 1.005;
        if (m_pRaw->imgdata.rawdata.ioparams.fuji_width == 0 && lCarres)
            return Declaree;
        auto pCalcul = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
        pCalcul->imgdata.params.user_flip = 0;
        if (pCalcul->open_file(QFile::encodeName(m_cFichier).constData()) != LIBRAW_SUCCESS
            || pCalcul->adjust_sizes_info_only() != LIBRAW_SUCCESS)
            return Declaree;
        const auto &A = pCalcul->imgdata.sizes;
        return A.iwidth > 0 && A.iheight > 0 ? TTailleImage{A.iwidth, A.iheight} : Declaree;
    }

    TTailleImage Taille() const { return m_Taille; }

    // The embedded preview, decoded at the largest reduction that still covers nD (nD = 0:
    // full size). nCoteMax receives the preview's larger side at full size.
    bool Apercu(int nD, QImage &Image, qint64 &nCoteMax, QString *cErreur)
    {
        try {
            const auto &T = m_pRaw->imgdata.thumbnail;
            if (T.tlength == 0 || qint64(T.tlength) > m_nTailleFichier) {
                Pose(cErreur, QStringLiteral("pas d'aperçu"));
                return false;
            }
            int rc = m_pRaw->unpack_thumb();
            if (rc != LIBRAW_SUCCESS) {
                Pose(cErreur, QStringLiteral("aperçu illisible : %1").arg(QString::fromLatin1(libraw_strerror(rc))));
                return false;
            }
            TImageTraitee Traitee;
            Traitee.p = m_pRaw->dcraw_make_mem_thumb(&rc);
            if (!Traitee.p) {
                Pose(cErreur, QStringLiteral("aperçu illisible : %1").arg(QString::fromLatin1(libraw_strerror(rc))));
                return false;
            }
            if (Traitee.p->type == LIBRAW_IMAGE_JPEG) {
                const QByteArray Donnees(reinterpret_cast<const char *>(Traitee.p->data), Traitee.p->data_size);
                TTailleImage t;
                if (!JpegCodec::TailleMemoire(Donnees, t, cErreur))
                    return false;
                nCoteMax = qMax(t.nLargeur, t.nHauteur);
                Image = JpegCodec::DecodeMemoire(Donnees, nD > 0 ? JpegCodec::EchellePour(nCoteMax, nD) : 1, cErreur);
            } else {
                Image = ImageDeTraitee(Traitee.p);
                nCoteMax = qMax(Image.width(), Image.height());
                if (Image.isNull())
                    Pose(cErreur, QStringLiteral("aperçu illisible"));
            }
            return !Image.isNull();
        } catch (...) {
            Pose(cErreur, QStringLiteral("aperçu illisible"));
            return false;
        }
    }

    bool Developpe(bool lDemiTaille, QImage &Image, QString *cErreur)
    {
        try {
            // Files whose pixel data was stripped still declare their sensor: decoding them
            // would read past the end and paint noise. Real raw data takes well over half a
            // bit per pixel.
            const qint64 nDebut = m_pRaw->get_internal_data_pointer()->unpacker_data.data_offset;
            const auto &S = m_pRaw->imgdata.sizes;
            const qint64 nPixelsBruts = qint64(S.raw_width) * S.raw_height;
            if (nDebut <= 0 || nDebut >= m_nTailleFichier || (m_nTailleFichier - nDebut) * 16 < nPixelsBruts) {
                Pose(cErreur, QStringLiteral("données brutes absentes"));
                return false;
            }
            m_pRaw->imgdata.params.half_size = lDemiTaille ? 1 : 0;
            int rc = m_pRaw->unpack();
            if (rc != LIBRAW_SUCCESS || m_Donnees.lErreurDonnees || m_pRaw->error_count() > 0) {
                Pose(cErreur,
                     QStringLiteral("données brutes illisibles : %1")
                         .arg(QString::fromLatin1(rc != LIBRAW_SUCCESS ? libraw_strerror(rc) : "données corrompues")));
                return false;
            }
            rc = m_pRaw->dcraw_process();
            if (rc != LIBRAW_SUCCESS) {
                Pose(cErreur,
                     QStringLiteral("développement impossible : %1").arg(QString::fromLatin1(libraw_strerror(rc))));
                return false;
            }
            TImageTraitee Traitee;
            Traitee.p = m_pRaw->dcraw_make_mem_image(&rc);
            Image = ImageDeTraitee(Traitee.p);
            if (Image.isNull()) {
                Pose(cErreur, QStringLiteral("développement impossible"));
                return false;
            }
            return true;
        } catch (...) {
            Pose(cErreur, QStringLiteral("données brutes illisibles"));
            return false;
        }
    }

private:
    QString m_cFichier;
    qint64 m_nTailleFichier = 0;
    std::unique_ptr<LibRaw> m_pRaw;
    TDonneesRaw m_Donnees;
    TTailleImage m_Taille;
};

// nD = 0: full size; nD < 0: the half-size development; otherwise the picture need only
// cover nD.
bool ChargeRaw(const QString &cFichier, int nD, TImageBrute &Resultat, QString *cErreur)
{
    TRaw Raw(cFichier);
    if (!Raw.Ouvre(cErreur))
        return false;
    Resultat.Taille = Raw.Taille();
    QImage Apercu;
    qint64 nCoteApercu = 0;
    QString cErreurApercu;
    if (nD > 0) {
        if (Raw.Apercu(nD, Apercu, nCoteApercu, &cErreurApercu) && nCoteApercu >= nD) {
            Resultat.Image = std::move(Apercu);
            Resultat.lApercu = true;
            return true;
        }
        const qint64 nCote = qMax(Resultat.Taille.nLargeur, Resultat.Taille.nHauteur);
        if (Raw.Developpe(nCote / 2 >= nD, Resultat.Image, cErreur))
            return true;
    } else if (nD < 0) {
        if (Raw.Developpe(true, Resultat.Image, cErreur))
            return true;
        Raw.Apercu(0, Apercu, nCoteApercu, &cErreurApercu);
    } else {
        if (Raw.Developpe(false, Resultat.Image, cErreur)) {
            // Some sensors (rotated photosite grids) develop to another size than they declare.
            Resultat.Taille = {Resultat.Image.width(), Resultat.Image.height()};
            return true;
        }
        Raw.Apercu(0, Apercu, nCoteApercu, &cErreurApercu);
    }
    if (!Apercu.isNull()) {
        Resultat.Image = std::move(Apercu);
        Resultat.lApercu = true;
        return true;
    }
    return false;
}

bool ChargeBrute(const QString &cFichier, int nD, TImageBrute &Resultat, QString *cErreur)
{
    if (!QFileInfo(cFichier).isFile()) {
        Pose(cErreur, QStringLiteral("fichier introuvable"));
        return false;
    }
    const TGenre Genre = GenreContenu(cFichier);
    QString cErreurRaw;
    if (EstRAW(cFichier) || Genre == TGenre::Inconnu) {
        if (ChargeRaw(cFichier, nD, Resultat, &cErreurRaw))
            return true;
        // A raw that LibRaw refuses may still be a plain picture under a raw name.
        if (Genre == TGenre::Inconnu) {
            Pose(cErreur, EstRAW(cFichier) ? cErreurRaw : QStringLiteral("format non reconnu"));
            return false;
        }
    }
    bool lOk = false;
    switch (Genre) {
    case TGenre::Jpeg: lOk = ChargeJpeg(cFichier, nD, Resultat, cErreur); break;
    case TGenre::Tiff: lOk = ChargeTiff(cFichier, Resultat, cErreur); break;
    case TGenre::Png: lOk = ChargePng(cFichier, Resultat, cErreur); break;
    case TGenre::Inconnu: break;
    }
    if (!lOk && !cErreurRaw.isEmpty())
        Pose(cErreur, cErreurRaw);
    return lOk;
}
}

namespace Imaging
{
qint64 DivisionArrondiePair(qint64 nNum, qint64 nDen)
{
    if (nDen <= 0)
        return 0;
    const qint64 q = nNum / nDen, r = nNum % nDen;
    if (2 * r > nDen || (2 * r == nDen && (q & 1)))
        return q + 1;
    return q;
}

QRect RectangleVignette(qint64 w, qint64 h, int nD)
{
    if (nD <= 0 || w <= 0 || h <= 0)
        return {};
    if (w < h) {
        const int nLargeur = static_cast<int>(qBound(qint64(1), DivisionArrondiePair(w * nD, h), qint64(nD)));
        return {(nD - nLargeur) / 2, 0, nLargeur, nD};
    }
    const int nHauteur = static_cast<int>(qBound(qint64(1), DivisionArrondiePair(h * nD, w), qint64(nD)));
    return {0, (nD - nHauteur) / 2, nD, nHauteur};
}

bool LitTaille(const QString &cFichier, TTailleImage &Taille, QString *cErreur)
{
    if (!QFileInfo(cFichier).isFile()) {
        Pose(cErreur, QStringLiteral("fichier introuvable"));
        return false;
    }
    // The same choice of reader as a decoding, so that both give the same size.
    const TGenre Genre = GenreContenu(cFichier);
    QString cErreurRaw;
    if (EstRAW(cFichier) || Genre == TGenre::Inconnu) {
        TRaw Raw(cFichier);
        if (Raw.Ouvre(&cErreurRaw)) {
            Taille = Raw.Taille();
            return true;
        }
        if (Genre == TGenre::Inconnu) {
            Pose(cErreur, EstRAW(cFichier) ? cErreurRaw : QStringLiteral("format non reconnu"));
            return false;
        }
    }
    switch (Genre) {
    case TGenre::Jpeg: return JpegCodec::LitTaille(cFichier, Taille, cErreur);
    case TGenre::Tiff: return TailleTiff(cFichier, Taille, cErreur);
    case TGenre::Png: return TaillePng(cFichier, Taille, cErreur);
    case TGenre::Inconnu: break;
    }
    return false;
}

bool ChargeBitmap(const QString &cFichier, TBitmap &Resultat, QString *cErreur)
{
    TImageBrute Brute;
    if (!ChargeBrute(cFichier, 0, Brute, cErreur))
        return false;
    Resultat.Image = std::move(Brute.Image);
    Resultat.TailleSource = Brute.Taille;
    return true;
}

bool ChargeBitmapDemiTaille(const QString &cFichier, TBitmap &Resultat, QString *cErreur)
{
    TImageBrute Brute;
    if (!ChargeBrute(cFichier, EstRAW(cFichier) ? -1 : 0, Brute, cErreur))
        return false;
    Resultat.Image = std::move(Brute.Image);
    Resultat.TailleSource = Brute.Taille;
    return true;
}

bool ChargeVignette(const QString &cFichier, int nD, TBitmap &Resultat, QString *cErreur)
{
    if (nD <= 0 || nD > nCoteLimite) {
        Pose(cErreur, QStringLiteral("taille de vignette invalide"));
        return false;
    }
    TImageBrute Brute;
    if (!ChargeBrute(cFichier, nD, Brute, cErreur))
        return false;
    // A preview is fitted by its own proportions: a 4:3 preview of a 3:2 sensor, or the square
    // one of a turned sensor, would be stretched into the image's.
    const QRect r = Brute.lApercu ? RectangleVignette(Brute.Image.width(), Brute.Image.height(), nD)
                                  : RectangleVignette(Brute.Taille.nLargeur, Brute.Taille.nHauteur, nD);
    if (r.isEmpty()) {
        Pose(cErreur, QStringLiteral("dimensions nulles"));
        return false;
    }
    const bool lAlpha = Brute.Image.hasAlphaChannel();
    QImage Bitmap(nD, nD, lAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Bitmap.fill(Qt::white);
    const QImage Ajustee =
        Brute.Image.scaled(r.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(Bitmap.format());
    for (int y = 0; y < Ajustee.height(); ++y)
        std::memcpy(Bitmap.scanLine(r.y() + y) + r.x() * 4, Ajustee.constScanLine(y),
                    static_cast<size_t>(r.width()) * 4);
    Resultat.Image = std::move(Bitmap);
    Resultat.TailleSource = Brute.Taille;
    Resultat.Rectangle = r;
    return true;
}
}
