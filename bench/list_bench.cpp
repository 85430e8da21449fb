// Times the listing of a folder of 10,000 small JPEGs (names, sizes, dates and resolutions)
// against the floor: a plain loop that stats each file and reads its JPEG header, in the same
// run. Also times a recursive listing of 1,000 JPEGs in 100 sub-folders.
//
// The JPEGs carry EXIF and IPTC data (written with exiv2), half of them are classified and the
// folder has a descript.ion: the same folder is then listed under filters that admit every
// file yet run every test, against the plain listing, and the EXIF filter against
// "exiftool -if" on the first 1,000 files.

#include "exploration/ListeImages.h"
#include "filters/Filtres.h"
#include "filters/ImageFiltree.h"
#include "imaging/JpegCodec.h"
#include "metadata/Focale.h"
#include "publishing/BulleImage.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"
#include "storage/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <functional>
#include <utility>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace
{
QByteArray PetitJpeg(int nGraine)
{
    QImage im(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < im.height(); ++y)
        for (int x = 0; x < im.width(); ++x)
            im.setPixel(x, y, qRgb((x * 4 + nGraine) & 255, (y * 5) & 255, (x + y + nGraine) & 255));
    return JpegCodec::EncodeMemoire(im, 90);
}

// The JPEG with a camera model, a focal length, an exposure, a shooting date and two IPTC
// keywords, as a camera and a cataloguing tool would leave them.
QByteArray AvecMeta(const QByteArray &Jpeg, int nGraine)
{
    Exiv2::Image::AutoPtr im =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(Jpeg.constData()), Jpeg.size());
    Exiv2::ExifData x;
    x["Exif.Image.Make"] = "Canon";
    x["Exif.Image.Model"] = "Canon EOS D60";
    x["Exif.Photo.FocalLength"] = Exiv2::URational(35 + nGraine, 1);
    x["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 125);
    x["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
    x["Exif.Photo.DateTimeOriginal"] = "2005:07:14 18:30:05";
    Exiv2::IptcData i;
    for (const char *cMot : {"mer", "plage", "soleil"}) {
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(Exiv2::string);
        v->read(cMot);
        i.add(Exiv2::IptcKey("Iptc.Application2.Keywords"), v.get());
    }
    im->setExifData(x);
    im->setIptcData(i);
    im->writeMetadata();
    Exiv2::BasicIo &io = im->io();
    io.seek(0, Exiv2::BasicIo::beg);
    const Exiv2::DataBuf b = io.read(static_cast<long>(io.size()));
    return QByteArray(reinterpret_cast<const char *>(b.pData_), static_cast<int>(b.size_));
}

void Ecrit(const QString &cChemin, const QByteArray &b)
{
    QFile f(cChemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(cChemin));
        std::exit(1);
    }
}

// The floor: every name of the folder, a stat and a JPEG header read per file.
qint64 Plancher(const QString &cDossier)
{
    qint64 nTotal = 0;
    DIR *d = ::opendir(QFile::encodeName(cDossier).constData());
    if (!d)
        return 0;
    while (const dirent *e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const QString c = cDossier + QFile::decodeName(e->d_name);
        struct stat st
        {
        };
        if (::stat(QFile::encodeName(c).constData(), &st) != 0)
            continue;
        TTailleImage t;
        if (JpegCodec::LitTaille(c, t))
            nTotal += t.nLargeur + st.st_size;
    }
    ::closedir(d);
    return nTotal;
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir Temp;
    const QString cPlat = Temp.path() + "/plat/", cArbre = Temp.path() + "/arbre/";
    QDir().mkpath(cPlat);
    QDir().mkpath(cArbre);
    const QByteArray Jpegs[] = {AvecMeta(PetitJpeg(1), 1), AvecMeta(PetitJpeg(2), 2), AvecMeta(PetitJpeg(3), 3)};
    for (int i = 0; i < 10000; ++i)
        Ecrit(cPlat + QString("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')), Jpegs[i % 3]);
    for (int d = 0; d < 100; ++d) {
        const QString s = cArbre + QString("dossier %1/").arg(d);
        QDir().mkpath(s);
        for (int i = 0; i < 10; ++i)
            Ecrit(s + QString("photo_%1.jpg").arg(i), Jpegs[(d + i) % 3]);
    }

    TBigIniFile iniSetup(Temp.path() + "/KX_Setup.ini"), iniBDD(Temp.path() + "/KX_BDD.ini", true);
    iniSetup.lAutoSave = false;
    iniBDD.lAutoSave = false;
    TContexteListe Ctx;
    Ctx.iniSetup = &iniSetup;
    Ctx.iniBDD = &iniBDD;
    Ctx.cDossierVignettes = Temp.path() + "/Vignettes/";
    TModeleListeImages Modele;

    auto Liste = [&](const QString &cDossier, bool lRecursif) {
        TDemandeListe Dem;
        Dem.cDossier = cDossier;
        Dem.lRecursif = lRecursif;
        QElapsedTimer t;
        t.start();
        const int n = ConstruitListe(Modele, Ctx, Dem);
        const double s = t.nsecsElapsed() / 1e9;
        if (n != (lRecursif ? 1000 : 10000) || Modele.Enr(0).nLargeur != 64) {
            std::fprintf(stderr, "wrong listing: %d rows\n", n);
            std::exit(1);
        }
        return s;
    };

    // Warm the file cache once, then take medians of alternating runs.
    Plancher(cPlat);
    Liste(cPlat, false);
    std::vector<double> Nous, Sol, Rec;
    for (int r = 0; r < 5; ++r) {
        QElapsedTimer t;
        t.start();
        if (Plancher(cPlat) <= 0)
            return 1;
        Sol.push_back(t.nsecsElapsed() / 1e9);
        Nous.push_back(Liste(cPlat, false));
        Rec.push_back(Liste(cArbre, true));
    }
    // As the program lists: EXIF and IPTC read from each file too.
    BrancheMetadonnees(Ctx, TContexteFocale{});
    std::vector<double> AvecMeta;
    for (int r = 0; r < 3; ++r)
        AvecMeta.push_back(Liste(cPlat, false));

    const double nNous = Mediane(Nous), nSol = Mediane(Sol);
    std::printf("BENCH list_10000 %.4f s\n", nNous);
    std::printf("BENCH list_recursive_1000 %.4f s\n", Mediane(Rec));
    std::printf("BENCH list_floor_10000 %.4f s\n", nSol);
    std::printf("BENCH list_vs_floor %.3f x\n", nSol / nNous);
    std::printf("BENCH list_10000_metadata %.4f s\n", Mediane(AvecMeta));
    std::printf("BENCH list_metadata_vs_floor %.3f x\n", nSol / Mediane(AvecMeta));
    std::fflush(stdout);

    // The image hint wired on the list as the main window wires it, every block on: a row's
    // hint is made when it is shown, so listing must cost the same as without it.
    TEnrParametres Parametres;
    Parametres.lHintAffTRT = Parametres.lHintAffCRIT = Parametres.lHintAffAlbImg = Parametres.lHintAffAlbWHP =
        Parametres.lHintAffEXIF = Parametres.lHintAffIPTC = Parametres.lAffHintDsLVImgs = true;
    TSourcesBulleImage Sources;
    Sources.iniSetup = &iniSetup;
    Sources.Parametres = &Parametres;
    TIndexAlbumsWEBPerso IndexWEB(iniSetup);
    Sources.fnAlbumsWEBPerso = [&IndexWEB](const QString &cCle) { return IndexWEB.Albums(cCle); };
    int nBullesFaites = 0;
    auto Bulle = [&](const TEnrLV &e) {
        ++nBullesFaites;
        return Parametres.lAffHintDsLVImgs ? TexteBulleImage(e, Sources) : QString();
    };
    // Processor time too: the machine may be busy with other work.
    auto Cpu = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    std::vector<double> SansBulles, AvecBulles, SansBullesCpu, AvecBullesCpu;
    for (int r = 0; r < 5; ++r) {
        Modele.fnBulle = nullptr;
        double c0 = Cpu();
        SansBulles.push_back(Liste(cPlat, false));
        SansBullesCpu.push_back(Cpu() - c0);
        Modele.fnBulle = Bulle;
        c0 = Cpu();
        AvecBulles.push_back(Liste(cPlat, false));
        AvecBullesCpu.push_back(Cpu() - c0);
    }
    if (nBullesFaites != 0 || !Modele.data(Modele.index(0, 0), Qt::ToolTipRole).toString().contains("IMG_00000.JPG")) {
        std::fprintf(stderr, "the listing made %d hints, or the rows have none\n", nBullesFaites);
        return 1;
    }
    Modele.fnBulle = nullptr;
    std::printf("BENCH list_hints_vs_plain %.3f x\n", Mediane(SansBulles) / Mediane(AvecBulles));
    std::printf("BENCH list_hints_vs_plain_cpu %.3f x\n", Mediane(SansBullesCpu) / Mediane(AvecBullesCpu));
    std::fflush(stdout);

    // Half the images are classified; every one has a description.
    QFile Desc(cPlat + cNomFichierDescriptions);
    if (!Desc.open(QIODevice::WriteOnly))
        return 1;
    for (int i = 0; i < 10000; ++i) {
        const QString cNom = QString("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        Desc.write(LigneDescription(cNom, QString("photo de vacances %1").arg(i)).toUtf8() + "\r\n");
        if (i % 2 == 0)
            iniBDD.WriteString(cPlat + cNom, QStringLiteral("Lieux/France"), QString());
    }
    Desc.close();
    TDescriptions Descriptions(iniSetup);

    TEnrFiltres Enr;
    TEtatFiltre Etat;
    TContexteFiltre CtxF;
    CtxF.iniSetup = &iniSetup;
    CtxF.iniBDD = &iniBDD;
    CtxF.Descriptions = &Descriptions;
    CtxF.lTrtDescription = true;
    CtxF.lExploration = true;
    CtxF.cDossierVignettes = Ctx.cDossierVignettes;
    Ctx.Filtre = [&](TCandidatFiltre &c) { return ImageFiltree(Etat, c); };
    auto ListeFiltree = [&](const QString &cDossier, int nAttendu) {
        CalculeIndicateurs(Enr, false);
        if (!Enr.lActif || PrepareFiltre(Etat, Enr, CtxF)) {
            std::fprintf(stderr, "filter not prepared\n");
            std::exit(1);
        }
        TDemandeListe Dem;
        Dem.cDossier = cDossier;
        QElapsedTimer t;
        t.start();
        const int n = ConstruitListe(Modele, Ctx, Dem);
        const double s = t.nsecsElapsed() / 1e9;
        LibereFiltre(Etat);
        if (n != nAttendu) {
            std::fprintf(stderr, "wrong filtered listing: %d rows, %d expected\n", n, nAttendu);
            std::exit(1);
        }
        return s;
    };
    // Each kind of filter, timed against the plain listing (metadata read as always) in
    // alternating runs.
    auto Mesure = [&](const char *cGenre, const std::function<void(TEnrFiltres &)> &Regle, int nAttendu) {
        std::vector<double> Filtre, Simple;
        for (int r = 0; r < 3; ++r) {
            const auto Garde = std::exchange(Ctx.Filtre, nullptr);
            Simple.push_back(Liste(cPlat, false));
            Ctx.Filtre = Garde;
            Enr = TEnrFiltres();
            Regle(Enr);
            Filtre.push_back(ListeFiltree(cPlat, nAttendu));
        }
        std::printf("BENCH list_filter_%s %.4f s\n", cGenre, Mediane(Filtre));
        std::printf("BENCH list_filter_%s_vs_plain %.3f x\n", cGenre, Mediane(Simple) / Mediane(Filtre));
        std::fflush(stdout);
    };
    const QDate Demain = QDate::currentDate().addDays(1);
    auto Exif = [](TEnrFiltres &e) {
        e.cFAppareil = "canon*";
        e.nOpFocale = 4;
        e.cFFocale = "35";
        e.nOpVitesse = 1;
        e.cFVitesse = "1/60";
        e.nOpDatePDV = 5;
        e.dFDatePDV = QDate(2000, 1, 1);
    };
    Mesure(
        "general",
        [&](TEnrFiltres &e) {
            e.lRAW = false;
            e.lPNG = false;
            e.lModeles = true;
            e.cModeles = "img*";
            e.lTailleInf = true;
            e.nTailleInf = 100000000;
            e.lTailleSup = true;
            e.nTailleSup = 10;
            e.lDateAnt = true;
            e.dDateAnt = Demain;
            e.lDatePst = true;
            e.dDatePst = QDate(2000, 1, 1);
        },
        10000);
    // The classification test admits the classified half only.
    Mesure(
        "classified", [](TEnrFiltres &e) { e.nImages = 2; }, 5000);
    Mesure("exif", Exif, 10000);
    Mesure(
        "iptc",
        [](TEnrFiltres &e) {
            e.cFMotsCles = QStringList({"MER", "PLAGE*"}).join(cSepIPTC);
        },
        10000);
    Mesure(
        "description",
        [](TEnrFiltres &e) {
            e.lDescription = true;
            e.cDescription = "*vacances*";
        },
        10000);

    // "exiftool -if" with the same EXIF condition on the first 1,000 files, in one process,
    // against our filtered listing of the same files.
    const QString cExiftool = QStandardPaths::findExecutable("exiftool");
    if (cExiftool.isEmpty()) {
        std::printf("# exiftool not found: filter_exif_vs_exiftool not measured\n");
        return 0;
    }
    const QString cMille = Temp.path() + "/mille/";
    QDir().mkpath(cMille);
    QStringList Args = {"-q",
                        "-q",
                        "-if",
                        "$Model =~ /^canon/i and $FocalLength# >= 35 and $ExposureTime# < 1/60 and "
                        "$DateTimeOriginal gt \"2000:01:01\"",
                        "-p",
                        "$FileName"};
    for (int i = 0; i < 1000; ++i) {
        const QString cNom = QString("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        Ecrit(cMille + cNom, Jpegs[i % 3]);
        Args << cMille + cNom;
    }
    Enr = TEnrFiltres();
    Exif(Enr);
    std::vector<double> Nous1000;
    for (int r = 0; r < 3; ++r)
        Nous1000.push_back(ListeFiltree(cMille, 1000));
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(cExiftool, Args);
    if (!p.waitForFinished(600000)) {
        std::fprintf(stderr, "exiftool did not finish\n");
        return 1;
    }
    const double nExiftool = t.nsecsElapsed() / 1e9;
    const int nLignes = static_cast<int>(p.readAllStandardOutput().count('\n'));
    if (nLignes != 1000) {
        std::fprintf(stderr, "exiftool admitted %d files\n", nLignes);
        return 1;
    }
    std::printf("BENCH filter_exif_1000 %.4f s\n", Mediane(Nous1000));
    std::printf("BENCH exiftool_if_1000 %.4f s\n", nExiftool);
    std::printf("BENCH filter_exif_vs_exiftool %.1f x\n", nExiftool / Mediane(Nous1000));
    return 0;
}
