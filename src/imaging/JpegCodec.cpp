#include "imaging/JpegCodec.h"
#include "imaging/LimitesImage.h"

#include "platform/AtomicFile.h"

#include <QFile>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

namespace
{
using LimitesImage::DimensionsAdmises;
// The file is read whole into memory; a JPEG file larger than this is not a photograph.
constexpr qint64 nTailleFichierMax = 1LL << 30;

// The flag of the innermost TAbandonDecodage alive on this thread.
thread_local const std::atomic<bool> *pAbandonFil = nullptr;

struct TErreurJpeg
{
    jpeg_error_mgr Pub;
    std::jmp_buf Saut;
    char cMessage[JMSG_LENGTH_MAX];
    bool lAvertissementsRefuses;
};

[[noreturn]] void SortieErreur(j_common_ptr cinfo)
{
    auto *err = reinterpret_cast<TErreurJpeg *>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->cMessage);
    std::longjmp(err->Saut, 1);
}

// Warnings (level -1) are data libjpeg worked around: bytes before a marker, odd scan
// parameters of many phone photos, a file cut short (the rows it lacks come out grey). The
// picture libjpeg makes of them is what the user expects to see, so only a decoding that asks
// for intact data stops there; warnings about odd but harmless header fields never do. Trace
// messages (level >= 0) are ignored.
void Message(j_common_ptr cinfo, int nNiveau)
{
    if (nNiveau >= 0)
        return;
    const auto *err = reinterpret_cast<const TErreurJpeg *>(cinfo->err);
    const int nCode = cinfo->err->msg_code;
    if (!err->lAvertissementsRefuses || nCode == JWRN_JFIF_MAJOR || nCode == JWRN_ADOBE_XFORM
        || nCode == JWRN_BOGUS_ICC)
        return;
    SortieErreur(cinfo);
}

// Gives the error manager for a codec object's err field. The jump point cannot be set here:
// setjmp must run in the frame that libjpeg's calls are made from.
jpeg_error_mgr *Installe(TErreurJpeg &Err)
{
    jpeg_std_error(&Err.Pub);
    Err.Pub.error_exit = SortieErreur;
    Err.Pub.emit_message = Message;
    Err.cMessage[0] = 0;
    Err.lAvertissementsRefuses = false;
    return &Err.Pub;
}

// libjpeg's own words for the fault that made it jump back.
QString Raison(const TErreurJpeg &Err)
{
    return QString::fromLocal8Bit(Err.cMessage);
}

void Pose(QString *cErreur, const QString &c)
{
    if (cErreur)
        *cErreur = c;
}

bool LitFichier(const QString &cFichier, QByteArray &Donnees, QString *cErreur)
{
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly)) {
        Pose(cErreur, QStringLiteral("fichier illisible : %1").arg(f.errorString()));
        return false;
    }
    if (f.size() > nTailleFichierMax) {
        Pose(cErreur, QStringLiteral("fichier trop grand"));
        return false;
    }
    Donnees = f.readAll();
    if (Donnees.isEmpty()) {
        Pose(cErreur, QStringLiteral("fichier vide"));
        return false;
    }
    return true;
}

// A libjpeg codec object with its error manager. Everything that longjmp may cross lives in
// one of these, on the heap, so that no object with a destructor is constructed between setjmp
// and the jump. The caller sets the jump point on Err.Saut, in its own frame, then calls Cree.
template <class TInfo>
struct TObjetJpeg
{
    TInfo cinfo{};
    TErreurJpeg Err{};
    bool lCree = false;
    TObjetJpeg() { cinfo.err = Installe(Err); }
    TObjetJpeg(const TObjetJpeg &) = delete;
    TObjetJpeg &operator=(const TObjetJpeg &) = delete;
    ~TObjetJpeg()
    {
        if (lCree)
            jpeg_destroy(reinterpret_cast<j_common_ptr>(&cinfo));
    }
    void Cree()
    {
        if constexpr (std::is_same_v<TInfo, jpeg_decompress_struct>)
            jpeg_create_decompress(&cinfo);
        else
            jpeg_create_compress(&cinfo);
        lCree = true;
    }
};

struct TDecodage : TObjetJpeg<jpeg_decompress_struct>
{
    QImage Image;
    std::vector<unsigned char> Ligne; // one CMYK row, for the files libjpeg cannot turn into RGB
};

inline unsigned char Mul255(unsigned a, unsigned b)
{
    const unsigned t = a * b + 128;
    return static_cast<unsigned char>((t + (t >> 8)) >> 8);
}

bool DecodeTampon(const unsigned char *pDonnees, size_t nTaille, int nEchelle, bool lEnTeteSeul, TTailleImage *pTaille,
                  QImage *pImage, QString *cErreur, const std::function<void(int)> *pProgres,
                  JpegCodec::TAvertissements Avertissements = JpegCodec::TAvertissements::Toleres)
{
    const unsigned nReduction = (nEchelle == 2 || nEchelle == 4 || nEchelle == 8) ? unsigned(nEchelle) : 1u;
    auto D = std::make_unique<TDecodage>();
    D->Err.lAvertissementsRefuses = Avertissements == JpegCodec::TAvertissements::Refuses;
    if (setjmp(D->Err.Saut)) {
        Pose(cErreur, QStringLiteral("JPEG invalide : %1").arg(Raison(D->Err)));
        return false;
    }
    D->Cree();
    jpeg_mem_src(&D->cinfo, pDonnees, static_cast<unsigned long>(nTaille));
    jpeg_read_header(&D->cinfo, TRUE);
    const qint64 w = D->cinfo.image_width, h = D->cinfo.image_height;
    if (!DimensionsAdmises(w, h, cErreur))
        return false;
    if (pTaille)
        *pTaille = TTailleImage{w, h};
    if (lEnTeteSeul)
        return true;

    const bool lCMYK = D->cinfo.jpeg_color_space == JCS_CMYK || D->cinfo.jpeg_color_space == JCS_YCCK;
    D->cinfo.out_color_space = lCMYK ? JCS_CMYK : JCS_EXT_BGRX;
    D->cinfo.scale_num = 1;
    D->cinfo.scale_denom = nReduction;
    jpeg_calc_output_dimensions(&D->cinfo);
    const int wSortie = static_cast<int>(D->cinfo.output_width);
    const int hSortie = static_cast<int>(D->cinfo.output_height);
    if (wSortie <= 0 || hSortie <= 0) {
        Pose(cErreur, QStringLiteral("dimensions nulles"));
        return false;
    }
    D->Image = QImage(wSortie, hSortie, QImage::Format_RGB32);
    if (D->Image.isNull()) {
        Pose(cErreur, QStringLiteral("mémoire insuffisante"));
        return false;
    }
    if (lCMYK)
        D->Ligne.resize(static_cast<size_t>(wSortie) * 4);
    jpeg_start_decompress(&D->cinfo);
    if (static_cast<int>(D->cinfo.output_width) != wSortie || static_cast<int>(D->cinfo.output_height) != hSortie) {
        Pose(cErreur, QStringLiteral("dimensions incohérentes"));
        return false;
    }
    // Adobe writes CMYK inverted; a file without its marker holds plain CMYK.
    const bool lInverse = D->cinfo.saw_Adobe_marker;
    int nDernier = -1;
    while (D->cinfo.output_scanline < D->cinfo.output_height) {
        const int y = static_cast<int>(D->cinfo.output_scanline);
        if (pAbandonFil && pAbandonFil->load(std::memory_order_relaxed)) {
            Pose(cErreur, QStringLiteral("décodage abandonné"));
            return false;
        }
        if (pProgres && *pProgres) {
            const int nPourcent = hSortie > 1 ? (y * 100 + (hSortie - 1) / 2) / (hSortie - 1) : 100;
            if (nPourcent != nDernier) {
                (*pProgres)(nPourcent);
                nDernier = nPourcent;
            }
        }
        if (!lCMYK) {
            JSAMPROW Lignes[1] = {D->Image.scanLine(y)};
            if (jpeg_read_scanlines(&D->cinfo, Lignes, 1) != 1) {
                Pose(cErreur, QStringLiteral("données JPEG tronquées"));
                return false;
            }
        } else {
            JSAMPROW Lignes[1] = {D->Ligne.data()};
            if (jpeg_read_scanlines(&D->cinfo, Lignes, 1) != 1) {
                Pose(cErreur, QStringLiteral("données JPEG tronquées"));
                return false;
            }
            auto *pSortie = reinterpret_cast<QRgb *>(D->Image.scanLine(y));
            const unsigned char *p = D->Ligne.data();
            for (int x = 0; x < wSortie; ++x, p += 4) {
                unsigned c = p[0], m = p[1], j = p[2], k = p[3];
                if (!lInverse) {
                    c = 255 - c;
                    m = 255 - m;
                    j = 255 - j;
                    k = 255 - k;
                }
                pSortie[x] = qRgb(Mul255(c, k), Mul255(m, k), Mul255(j, k));
            }
        }
    }
    jpeg_finish_decompress(&D->cinfo);
    if (pProgres && *pProgres && nDernier != 100)
        (*pProgres)(100);
    if (pImage)
        *pImage = std::move(D->Image);
    return true;
}

struct TEncodage : TObjetJpeg<jpeg_compress_struct>
{
    unsigned char *pSortie = nullptr;
    unsigned long nSortie = 0;
    // libjpeg hands the output buffer over to us; destroying the compressor leaves it alone.
    ~TEncodage() { std::free(pSortie); }
};

bool EncodeTampon(const QImage &Source, int nQualite, QByteArray &Resultat, QString *cErreur)
{
    if (Source.isNull() || Source.width() <= 0 || Source.height() <= 0) {
        Pose(cErreur, QStringLiteral("image vide"));
        return false;
    }
    // Transparent parts go over white, as the picture is shown on white everywhere else.
    QImage Image;
    if (Source.hasAlphaChannel()) {
        Image = QImage(Source.size(), QImage::Format_RGB32);
        Image.fill(Qt::white);
        const QImage Pre = Source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < Image.height(); ++y) {
            const auto *s = reinterpret_cast<const QRgb *>(Pre.constScanLine(y));
            auto *d = reinterpret_cast<QRgb *>(Image.scanLine(y));
            for (int x = 0; x < Image.width(); ++x) {
                const unsigned a = 255 - qAlpha(s[x]);
                d[x] = qRgb(qRed(s[x]) + Mul255(255, a), qGreen(s[x]) + Mul255(255, a), qBlue(s[x]) + Mul255(255, a));
            }
        }
    } else {
        Image = Source.convertToFormat(QImage::Format_RGB32);
    }
    auto E = std::make_unique<TEncodage>();
    if (setjmp(E->Err.Saut)) {
        Pose(cErreur, QStringLiteral("encodage JPEG impossible : %1").arg(Raison(E->Err)));
        return false;
    }
    E->Cree();
    jpeg_mem_dest(&E->cinfo, &E->pSortie, &E->nSortie);
    E->cinfo.image_width = static_cast<JDIMENSION>(Image.width());
    E->cinfo.image_height = static_cast<JDIMENSION>(Image.height());
    E->cinfo.input_components = 4;
    E->cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&E->cinfo);
    jpeg_set_quality(&E->cinfo, qBound(1, nQualite, 100), TRUE);
    jpeg_start_compress(&E->cinfo, TRUE);
    while (E->cinfo.next_scanline < E->cinfo.image_height) {
        JSAMPROW Lignes[1] = {
            const_cast<unsigned char *>(Image.constScanLine(static_cast<int>(E->cinfo.next_scanline)))};
        jpeg_write_scanlines(&E->cinfo, Lignes, 1);
    }
    jpeg_finish_compress(&E->cinfo);
    Resultat = QByteArray(reinterpret_cast<const char *>(E->pSortie), static_cast<qsizetype>(E->nSortie));
    return true;
}
}

namespace JpegCodec
{
bool LitTaille(const QString &cFichier, TTailleImage &Taille, QString *cErreur)
{
    // The header sits at the start, but EXIF blocks with large previews push it back: read
    // in steps until the header is found or the file ends.
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly)) {
        Pose(cErreur, QStringLiteral("fichier illisible : %1").arg(f.errorString()));
        return false;
    }
    QByteArray Donnees;
    qint64 nLu = 256 * 1024;
    for (;;) {
        Donnees = f.read(nLu);
        if (Donnees.isEmpty()) {
            Pose(cErreur, QStringLiteral("fichier vide"));
            return false;
        }
        QString cErr;
        if (DecodeTampon(reinterpret_cast<const unsigned char *>(Donnees.constData()),
                         static_cast<size_t>(Donnees.size()), 1, true, &Taille, nullptr, &cErr, nullptr))
            return true;
        if (Donnees.size() < nLu || nLu >= nTailleFichierMax || f.size() <= nLu) {
            Pose(cErreur, cErr);
            return false;
        }
        nLu *= 4;
        f.seek(0);
    }
}

int EchellePour(qint64 nCoteMax, int nD)
{
    if (nD <= 0)
        return 8;
    if (nCoteMax / 8 >= nD)
        return 8;
    if (nCoteMax / 4 >= nD)
        return 4;
    if (nCoteMax / 2 >= nD)
        return 2;
    return 1;
}

TAbandonDecodage::TAbandonDecodage(const std::atomic<bool> &lAbandon) : m_pPrecedent(pAbandonFil)
{
    pAbandonFil = &lAbandon;
}

TAbandonDecodage::~TAbandonDecodage()
{
    pAbandonFil = m_pPrecedent;
}

bool TAbandonDecodage::Demande()
{
    return pAbandonFil && pAbandonFil->load(std::memory_order_relaxed);
}

QImage Decode(const QString &cFichier, int nEchelle, QString *cErreur, TAvertissements Avertissements)
{
    QByteArray Donnees;
    if (!LitFichier(cFichier, Donnees, cErreur))
        return {};
    QImage Image;
    if (!DecodeTampon(reinterpret_cast<const unsigned char *>(Donnees.constData()), static_cast<size_t>(Donnees.size()),
                      nEchelle, false, nullptr, &Image, cErreur, nullptr, Avertissements))
        return {};
    return Image;
}

QImage DecodeAvecProgres(const QString &cFichier, int nEchelle, QString *cErreur,
                         const std::function<void(int)> &Progres, TTailleImage *pTaille)
{
    QByteArray Donnees;
    if (!LitFichier(cFichier, Donnees, cErreur))
        return {};
    return DecodeMemoireTaille(Donnees, nEchelle, cErreur, pTaille, Progres);
}

QImage DecodeMemoire(const QByteArray &Donnees, int nEchelle, QString *cErreur, TAvertissements Avertissements)
{
    if (Donnees.isEmpty()) {
        Pose(cErreur, QStringLiteral("données vides"));
        return {};
    }
    QImage Image;
    if (!DecodeTampon(reinterpret_cast<const unsigned char *>(Donnees.constData()), static_cast<size_t>(Donnees.size()),
                      nEchelle, false, nullptr, &Image, cErreur, nullptr, Avertissements))
        return {};
    return Image;
}

QImage DecodeMemoireTaille(const QByteArray &Donnees, int nEchelle, QString *cErreur, TTailleImage *pTaille,
                           const std::function<void(int)> &Progres)
{
    if (Donnees.isEmpty()) {
        Pose(cErreur, QStringLiteral("données vides"));
        return {};
    }
    QImage Image;
    if (!DecodeTampon(reinterpret_cast<const unsigned char *>(Donnees.constData()), static_cast<size_t>(Donnees.size()),
                      nEchelle, false, pTaille, &Image, cErreur, &Progres))
        return {};
    return Image;
}

bool TailleMemoire(const QByteArray &Donnees, TTailleImage &Taille, QString *cErreur)
{
    if (Donnees.isEmpty()) {
        Pose(cErreur, QStringLiteral("données vides"));
        return false;
    }
    return DecodeTampon(reinterpret_cast<const unsigned char *>(Donnees.constData()),
                        static_cast<size_t>(Donnees.size()), 1, true, &Taille, nullptr, cErreur, nullptr);
}

bool Encode(const QImage &Image, const QString &cFichier, int nQualite, QString *cErreur)
{
    QByteArray Donnees;
    if (!EncodeTampon(Image, nQualite, Donnees, cErreur))
        return false;
    return EcritFichierAtomique(cFichier, Donnees, cErreur);
}

QByteArray EncodeMemoire(const QImage &Image, int nQualite)
{
    QByteArray Donnees;
    if (!EncodeTampon(Image, nQualite, Donnees, nullptr))
        return {};
    return Donnees;
}
}
