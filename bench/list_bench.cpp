// Times the listing of a folder of 10,000 small JPEGs (names, sizes, dates and resolutions)
// against the floor: a plain loop that stats each file and reads its JPEG header, in the same
// run. Also times a recursive listing of 1,000 JPEGs in 100 sub-folders.

#include "exploration/ListeImages.h"
#include "imaging/JpegCodec.h"
#include "metadata/Focale.h"
#include "storage/BigIniFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
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
    const QByteArray Jpegs[] = {PetitJpeg(1), PetitJpeg(2), PetitJpeg(3)};
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
    return 0;
}
