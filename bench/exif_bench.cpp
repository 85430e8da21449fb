// Reading EXIF and IPTC: the program's own readers against exiv2's library on the same files.
// Prints "BENCH read <µs per file> us" and "BENCH read_vs_exiv2 <exiv2 time / ours> x".

#include "imaging/FileKinds.h"
#include "metadata/LectureMeta.h"

#include <exiv2/exiv2.hpp>

#include <QCoreApplication>
#include <QDirIterator>
#include <chrono>
#include <cstdio>

namespace
{
using Horloge = std::chrono::steady_clock;

// The values the program reads, looked up in exiv2's decoded data.
const char *const ClesExif[] = {"Exif.Image.Model",
                                "Exif.Image.Orientation",
                                "Exif.Photo.ExposureTime",
                                "Exif.Photo.FNumber",
                                "Exif.Photo.FocalLength",
                                "Exif.Photo.ISOSpeedRatings",
                                "Exif.Photo.DateTimeOriginal",
                                "Exif.Photo.UserComment",
                                "Exif.Photo.FocalLengthIn35mmFilm"};
const char *const ClesIptc[] = {
    "Iptc.Application2.Headline",      "Iptc.Application2.Caption",     "Iptc.Application2.Copyright",
    "Iptc.Application2.Writer",        "Iptc.Application2.Keywords",    "Iptc.Application2.Category",
    "Iptc.Application2.SuppCategory",  "Iptc.Application2.Credit",      "Iptc.Application2.Source",
    "Iptc.Application2.ObjectName",    "Iptc.Application2.DateCreated", "Iptc.Application2.City",
    "Iptc.Application2.ProvinceState", "Iptc.Application2.CountryName"};

size_t LitExiv2(const std::string &cFichier)
{
    size_t n = 0;
    try {
        auto Image = Exiv2::ImageFactory::open(cFichier);
        Image->readMetadata();
        const Exiv2::ExifData &Exif = Image->exifData();
        for (const char *c : ClesExif) {
            auto it = Exif.findKey(Exiv2::ExifKey(c));
            if (it != Exif.end())
                n += it->toString().size();
        }
        const Exiv2::IptcData &Iptc = Image->iptcData();
        for (const char *c : ClesIptc) {
            auto it = Iptc.findKey(Exiv2::IptcKey(c));
            if (it != Iptc.end())
                n += it->toString().size();
        }
    } catch (...) {
    }
    return n;
}

size_t LitNotre(const QString &cFichier)
{
    const TMetaImage m = LitMetaImage(cFichier);
    return size_t(m.EXIF.Donnees.cAppareil.size() + m.EXIF.Donnees.cDatePDV.size() + m.IPTC.cTexte.size());
}
}

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);

    // Every corpus file whose kind the program reads metadata from (PNG and ".TIFF" names are
    // never read, so they would only flatter our side).
    QStringList Fichiers;
    QDirIterator it(QStringLiteral(VIMBREL_CORPUS_DIR), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        if (EstImage(f) && ExtensionMaj(f) != QLatin1String(".PNG"))
            Fichiers << f;
    }
    Fichiers.sort();
    std::vector<std::string> FichiersStd;
    for (const QString &f : Fichiers)
        FichiersStd.push_back(QFile::encodeName(f).toStdString());
    if (Fichiers.isEmpty()) {
        std::fprintf(stderr, "no corpus files\n");
        return 1;
    }

    size_t nPuits = 0;
    for (const QString &f : Fichiers) // warm the page cache for both sides
        nPuits += LitNotre(f);
    for (const std::string &f : FichiersStd)
        nPuits += LitExiv2(f);

    auto Mesure = [&](int nTours, auto &&Lecture) {
        const auto t0 = Horloge::now();
        for (int t = 0; t < nTours; ++t)
            Lecture();
        const double us = std::chrono::duration<double, std::micro>(Horloge::now() - t0).count();
        return us / (double(nTours) * double(Fichiers.size()));
    };
    const double dNotre = Mesure(50, [&] {
        for (const QString &f : Fichiers)
            nPuits += LitNotre(f);
    });
    const double dExiv2 = Mesure(10, [&] {
        for (const std::string &f : FichiersStd)
            nPuits += LitExiv2(f);
    });

    std::printf("BENCH read %.1f us\n", dNotre);
    std::printf("BENCH read_exiv2 %.1f us\n", dExiv2);
    std::printf("BENCH read_vs_exiv2 %.1f x\n", dExiv2 / dNotre);
    std::fflush(stdout);
    std::fprintf(stderr, "%lld files (%zu)\n", static_cast<long long>(Fichiers.size()), nPuits % 10);
    return 0;
}
