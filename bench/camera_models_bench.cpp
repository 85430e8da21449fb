// Times the gathering of camera models from a catalogue of 10,000 JPEGs with EXIF models and no
// cached record (the files of list_bench, each with one of 25 models) plus 1,000 CD images with
// cached records: the whole gathering, the part that runs on the window's thread, and
// "exiftool -fast2 -s3 -Model" on the same 10,000 files in one process. Then the opening of
// the filter editor with 200 patterns of 12 megapixels in its pattern folder.

#include "filters/EditeurFiltre.h"
#include "filters/Filtres_fm.h"
#include "filters/ListeAppareils.h"
#include "imaging/JpegCodec.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <exiv2/exiv2.hpp>

#include <cstdio>
#include <ctime>
#include <set>

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

QByteArray AvecModele(const QByteArray &Jpeg, const QString &cModele)
{
    Exiv2::Image::AutoPtr im =
        Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte *>(Jpeg.constData()), Jpeg.size());
    Exiv2::ExifData x;
    x["Exif.Image.Make"] = "Canon";
    x["Exif.Image.Model"] = cModele.toStdString();
    x["Exif.Photo.FocalLength"] = Exiv2::URational(35, 1);
    x["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 125);
    x["Exif.Photo.DateTimeOriginal"] = "2005:07:14 18:30:05";
    im->setExifData(x);
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

double Processeur()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir Temp;
    const QString cPhotos = Temp.path() + "/photos/";
    QDir().mkpath(cPhotos);
    std::vector<QByteArray> Jpegs;
    for (int m = 0; m < 25; ++m)
        Jpegs.push_back(AvecModele(PetitJpeg(m), QStringLiteral("Modèle %1").arg(m)));

    TEmplacementsConfig E;
    E.cFichierUtilisateur = Temp.path() + "/config/Vimbrel.conf";
    E.cFichierMachine = Temp.path() + "/etc/Vimbrel.conf";
    E.cDossierDefaut = Temp.path() + "/donnees/";
    auto Volumes = std::make_unique<TVolumesFactices>();
    TVolume Racine;
    Racine.cPointMontage = "/";
    Volumes->Ajoute(Racine);
    TContexte Contexte(E, Temp.path() + "/bin", std::move(Volumes));
    Contexte.FixeDossiers();
    Contexte.OuvreStores();

    QStringList Fichiers;
    for (int i = 0; i < 10000; ++i) {
        const QString c = cPhotos + QString("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'));
        Ecrit(c, Jpegs[size_t(i % 25)]);
        Fichiers << c;
        Contexte.iniBDD->WriteString(c, "Lieu", "1");
    }
    for (int i = 0; i < 1000; ++i) {
        const QString cCle = QString("<305419896>/DCIM/CD_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        Contexte.iniBDD->WriteString("COUPS DE COEUR", cCle, "1");
        Contexte.iniSetup->WriteString("EXIF", cCle,
                                       QString("Modèle CD %1|35|1/125|2,8|14/07/2005|100|1||").arg(i % 7));
    }

    // The part on the window's thread, then the reading of the files.
    QElapsedTimer t;
    const double p0 = Processeur();
    t.start();
    const QStringList ALire = ModelesEnCache(ClesCataloguees(*Contexte.iniBDD), *Contexte.iniSetup, Contexte.Appareils);
    const double nBloque = t.nsecsElapsed() / 1e6;
    TLectureModeles Lecture;
    Lecture.pVolumes = Contexte.Volumes.get();
    const QStringList Lus = LitModeles(ALire, Lecture);
    const double nTotal = t.nsecsElapsed() / 1e9;
    const double nProc = Processeur() - p0;
    for (const QString &c : Lus)
        Contexte.Appareils.insert(c);
    if (Contexte.Appareils.size() != 32) {
        std::fprintf(stderr, "%zu models found instead of 32\n", Contexte.Appareils.size());
        return 1;
    }
    std::printf("BENCH camera_models_10000 %.4f s\n", nTotal);
    std::printf("BENCH camera_models_10000_cpu %.4f s\n", nProc);
    std::printf("BENCH camera_models_ui_blocked %.2f ms\n", nBloque);

    const QString cExiftool = QStandardPaths::findExecutable("exiftool");
    if (cExiftool.isEmpty()) {
        std::printf("# exiftool not found: camera_models_vs_exiftool not measured\n");
    } else {
        const QString cArgs = Temp.path() + "/args.txt";
        Ecrit(cArgs, Fichiers.join('\n').toUtf8() + '\n');
        QProcess p;
        QElapsedTimer te;
        te.start();
        p.start(cExiftool, {"-fast2", "-s3", "-Model", "-@", cArgs});
        p.waitForFinished(-1);
        const double nExiftool = te.nsecsElapsed() / 1e9;
        std::printf("BENCH exiftool_models_10000 %.4f s\n", nExiftool);
        std::printf("BENCH camera_models_vs_exiftool %.1f x\n", nExiftool / nTotal);
    }

    // 200 patterns of 12 megapixels (4000 × 3000), smooth enough to stay small on disk.
    QImage Grand(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < Grand.height(); ++y) {
        auto *l = reinterpret_cast<QRgb *>(Grand.scanLine(y));
        for (int x = 0; x < Grand.width(); ++x)
            l[x] = qRgb(x / 16 & 255, y / 12 & 255, (x + y) / 28 & 255);
    }
    const QByteArray Motif = JpegCodec::EncodeMemoire(Grand, 85);
    QDir().mkpath(Contexte.Dossiers.cDossierMotifs);
    for (int i = 0; i < 200; ++i)
        Ecrit(Contexte.Dossiers.cDossierMotifs + QString("motif_%1.jpg").arg(i, 3, 10, QLatin1Char('0')), Motif);
    TEnrFiltres Enr;
    Enr.lMotif = true;
    Enr.cMotif = "motif_000.jpg";
    Enr.nMethPixMotif = 4;
    double nOuverture = 1e9;
    for (int n = 0; n < 3; ++n) {
        QElapsedTimer to;
        to.start();
        TfmFiltres d(Contexte);
        d.Montre(Enr, false, true);
        d.show();
        QApplication::processEvents();
        nOuverture = std::min(nOuverture, to.nsecsElapsed() / 1e6);
    }
    std::printf("BENCH filter_dialog_open %.1f ms\n", nOuverture);
    return 0;
}
