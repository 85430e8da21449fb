// The metadata half of the imaging layer: exiv2 for the all-metadata listings and IPTC writing,
// and the version text of the libraries.

#include "imaging/Imaging.h"

#include <QFile>

#include <exception>
#include <mutex>

#include <exiv2/exiv2.hpp>
#include <jpeglib.h>
#include <libraw/libraw.h>
#include <png.h>
#include <tiffio.h>

namespace
{
// A value longer than this (a binary block printed as numbers) says nothing in a grid cell.
constexpr int nValeurMax = 2000;
// Image files are rewritten in memory; a file larger than this is refused.
constexpr qint64 nTailleFichierMax = 1LL << 30;

void Pose(QString *cErreur, const QString &c)
{
    if (cErreur)
        *cErreur = c;
}

// exiv2 reports every oddity of a file on the terminal; the callers only want the entries.
void Silence()
{
    static std::once_flag Fait;
    std::call_once(Fait, [] { Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute); });
}

QString Borne(QString c)
{
    if (c.size() > nValeurMax)
        c = c.left(nValeurMax) + QStringLiteral("…");
    return c;
}

Exiv2::Image::AutoPtr Ouvre(const QString &cFichier)
{
    Silence();
    auto pImage = Exiv2::ImageFactory::open(std::string(QFile::encodeName(cFichier).constData()));
    if (pImage.get() == nullptr)
        throw Exiv2::Error(Exiv2::kerFileContainsUnknownImageType);
    pImage->readMetadata();
    return pImage;
}

QString Utf8(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString NomIPTC(const Exiv2::Iptcdatum &d)
{
    QString c = Utf8(d.tagLabel());
    return c.trimmed().isEmpty() ? Utf8(d.tagName()) : c;
}

// IPTC text is bytes; exiv2 hands it over as they are. UTF-8 when it is valid, else the
// Windows code page of the files this program has always met.
QString TexteIPTC(const std::string &s)
{
    const QByteArray b(s.data(), static_cast<qsizetype>(s.size()));
    QString c = QString::fromUtf8(b);
    if (c.contains(QChar::ReplacementCharacter))
        c = QString::fromLatin1(b);
    return c;
}
}

namespace Imaging
{
QList<TEntreeMeta> ListeEXIF(const QString &cFichier, QString *cErreur)
{
    QList<TEntreeMeta> Liste;
    try {
        auto pImage = Ouvre(cFichier);
        const Exiv2::ExifData &Exif = pImage->exifData();
        for (const auto &d : Exif) {
            // The maker's own notes are left out, their tags and the raw block that holds them.
            if (Exiv2::ExifTags::isMakerGroup(d.groupName()) || (d.tag() == 0x927c && d.groupName() == "Photo"))
                continue;
            QString cNom = Utf8(d.tagLabel());
            if (cNom.trimmed().isEmpty())
                cNom = Utf8(d.tagName());
            Liste.append({d.tag(), cNom, Borne(Utf8(d.print(&Exif)))});
        }
    } catch (const std::exception &e) {
        Pose(cErreur, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Pose(cErreur, QStringLiteral("métadonnées illisibles"));
    }
    return Liste;
}

QList<TEntreeMeta> ListeIPTC(const QString &cFichier, QString *cErreur)
{
    TBlocIPTC Bloc;
    if (!Bloc.Charge(cFichier, cErreur))
        return {};
    return Bloc.Entrees();
}

struct TBlocIPTC::TDonnees
{
    Exiv2::IptcData Iptc;
};

TBlocIPTC::TBlocIPTC() : d(std::make_unique<TDonnees>()) {}
TBlocIPTC::~TBlocIPTC() = default;

bool TBlocIPTC::Charge(const QString &cFichier, QString *cErreur)
{
    d->Iptc.clear();
    try {
        auto pImage = Ouvre(cFichier);
        d->Iptc = pImage->iptcData();
        return true;
    } catch (const std::exception &e) {
        Pose(cErreur, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        Pose(cErreur, QStringLiteral("métadonnées illisibles"));
    }
    return false;
}

QList<TEntreeMeta> TBlocIPTC::Entrees() const
{
    QList<TEntreeMeta> Liste;
    try {
        for (const auto &Donnee : d->Iptc) {
            if (Donnee.record() != Exiv2::IptcDataSets::application2)
                continue;
            Liste.append({Donnee.tag(), NomIPTC(Donnee), Borne(TexteIPTC(Donnee.toString()))});
        }
    } catch (...) {
    }
    return Liste;
}

void TBlocIPTC::SupprimeValeurs(quint32 nDataset)
{
    for (auto it = d->Iptc.begin(); it != d->Iptc.end();) {
        if (it->record() == Exiv2::IptcDataSets::application2 && it->tag() == nDataset)
            it = d->Iptc.erase(it);
        else
            ++it;
    }
}

void TBlocIPTC::AjouteValeur(quint32 nDataset, const QString &cValeur)
{
    try {
        const Exiv2::IptcKey Cle(static_cast<uint16_t>(nDataset), Exiv2::IptcDataSets::application2);
        Exiv2::Value::AutoPtr pValeur = Exiv2::Value::create(Exiv2::IptcDataSets::dataSetType(Cle.tag(), Cle.record()));
        const QByteArray b = cValeur.toUtf8();
        pValeur->read(std::string(b.constData(), static_cast<size_t>(b.size())));
        d->Iptc.add(Cle, pValeur.get());
    } catch (...) {
    }
}

QString TexteVersion()
{
    QString cTiff = QString::fromLatin1(TIFFGetVersion()).section(QLatin1Char('\n'), 0, 0);
    cTiff.replace(QStringLiteral("LIBTIFF, Version "), QStringLiteral("libtiff "));
#ifdef LIBJPEG_TURBO_VERSION
#define VIMBREL_CHAINE2(x) #x
#define VIMBREL_CHAINE(x) VIMBREL_CHAINE2(x)
    const QString cJpeg = QStringLiteral("libjpeg-turbo ") + QStringLiteral(VIMBREL_CHAINE(LIBJPEG_TURBO_VERSION));
#else
    const QString cJpeg = QStringLiteral("libjpeg %1").arg(JPEG_LIB_VERSION);
#endif
    return QStringLiteral("LibRaw %1, %2, libpng %3, Exiv2 %4, %5")
        .arg(QString::fromLatin1(LibRaw::version()), cTiff, QString::fromLatin1(png_get_libpng_ver(nullptr)),
             QString::fromStdString(Exiv2::versionString()), cJpeg);
}
}
