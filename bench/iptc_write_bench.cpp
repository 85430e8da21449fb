// Writing a constant into the IPTC keywords of 1,000 photographs of 12 megapixels, each with
// EXIF, XMP and a colour profile, through the program's batch; then the same with exiftool (one
// process for all files) and exiv2 (one process), when they are installed.
//
//   BENCH iptc_write_1000 <s> s
//   BENCH iptc_write_1000_cpu <s> s            (processor time of the program's batch)
//   BENCH iptc_write_1000_vs_exiftool <ratio> x
//   BENCH iptc_write_1000_vs_exiftool_cpu <ratio> x   (processor time of the peer over ours)
//   BENCH iptc_write_1000_vs_exiv2 <ratio> x
//   BENCH iptc_write_1000_vs_exiv2_cpu <ratio> x
//
// Ours syncs every file and folder before and after its rename; the peers sync nothing.
//
// VIMBREL_BENCH_IMAGES changes the number of files (the name keeps "1000").

#include "imaging/JpegCodec.h"
#include "metadata/GestionDonnees.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"

#include "PhotoGeneree.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace
{
void Ajoute16(QByteArray &b, quint32 n)
{
    b.append(char((n >> 8) & 0xFF));
    b.append(char(n & 0xFF));
}

QByteArray Segment(uchar nMarqueur, const QByteArray &Donnees)
{
    QByteArray s;
    s.append(char(0xFF));
    s.append(char(nMarqueur));
    Ajoute16(s, quint32(Donnees.size() + 2));
    return s + Donnees;
}

// A big-endian TIFF with Make, Model and DateTime.
QByteArray Exif(int nNumero)
{
    const QList<std::pair<quint16, QByteArray>> Tags = {
        {0x010F, QByteArray("Vimbrel\0", 8)},
        {0x0110, QByteArray("Banc IPTC\0", 10)},
        {0x0132, QStringLiteral("2026:12:10 03:%1:00").arg(nNumero % 60, 2, 10, QLatin1Char('0')).toLatin1() + '\0'}};
    QByteArray t("MM\0\x2A\0\0\0\x08", 8);
    Ajoute16(t, quint32(Tags.size()));
    quint32 nDonnees = 8 + 2 + quint32(Tags.size()) * 12 + 4;
    QByteArray Valeurs;
    for (const auto &[nTag, v] : Tags) {
        Ajoute16(t, nTag);
        Ajoute16(t, 2);
        t.append(char(0));
        t.append(char(0));
        Ajoute16(t, quint32(v.size()));
        t.append(char(0));
        t.append(char(0));
        Ajoute16(t, nDonnees + quint32(Valeurs.size()));
        Valeurs += v;
    }
    t.append(QByteArray(4, '\0'));
    return QByteArray("Exif\0\0", 6) + t + Valeurs;
}

QByteArray Xmp(int nNumero)
{
    return QByteArray("http://ns.adobe.com/xap/1.0/\0", 29)
           + QStringLiteral("<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?><x:xmpmeta xmlns:x='adobe:ns:meta/'>"
                            "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
                            "<rdf:Description xmlns:dc='http://purl.org/dc/elements/1.1/'><dc:title><rdf:Alt>"
                            "<rdf:li xml:lang='x-default'>Photo %1</rdf:li></rdf:Alt></dc:title></rdf:Description>"
                            "</rdf:RDF></x:xmpmeta>%2<?xpacket end='w'?>")
                 .arg(nNumero)
                 .arg(QString(2000, QLatin1Char(' ')))
                 .toUtf8();
}

double Secondes(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

// Processor time of the finished children (the peers), user and system.
double ProcesseurEnfants()
{
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double Processeur()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}
}

int main(int argc, char **argv)
{
    QGuiApplication App(argc, argv);
    const int nImages =
        qEnvironmentVariableIsSet("VIMBREL_BENCH_IMAGES") ? qEnvironmentVariableIntValue("VIMBREL_BENCH_IMAGES") : 1000;
    QTemporaryDir Dossier;
    if (!Dossier.isValid())
        return 1;

    // One picture, many files: each gets its own EXIF and XMP, all the same profile.
    QByteArray Image = JpegCodec::EncodeMemoire(Photo(4000, 3000, 7), 85);
    if (Image.size() > 20 && uchar(Image[3]) == 0xE0)
        Image.remove(2, 2 + ((uchar(Image[4]) << 8) | uchar(Image[5])));
    const QByteArray Icc = QByteArray("ICC_PROFILE\0\x01\x01", 14) + QColorSpace(QColorSpace::SRgb).iccProfile();
    auto Original = [&](int i) {
        return Image.left(2) + Segment(0xE1, Exif(i)) + Segment(0xE1, Xmp(i)) + Segment(0xE2, Icc) + Image.mid(2);
    };
    QStringList Fichiers;
    for (int i = 0; i < nImages; ++i)
        Fichiers << Dossier.filePath(QStringLiteral("photo%1.jpg").arg(i, 4, 10, QLatin1Char('0')));
    auto Remet = [&] {
        for (int i = 0; i < nImages; ++i) {
            const QByteArray b = Original(i);
            QFile f(Fichiers[i]);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(b) != b.size())
                return false;
        }
        return true;
    };
    if (!Remet())
        return 1;
    std::printf("note: %d files of %lld bytes\n", nImages, static_cast<long long>(Original(0).size()));

    TBigIniFile iniSetup(Dossier.filePath("KX_Setup.ini"));
    TBigIniFile iniBDD(Dossier.filePath("KX_BDD.ini"), true);
    TDescriptions Descriptions(iniSetup);
    TStoresGestion Stores{iniSetup, iniBDD, Descriptions, nullptr};
    TParamsGestion P;
    P.nSource = TSourceGestion::Constante;
    P.cConstante = QStringLiteral("BANC");
    P.nDestinations = nDonMotsClesIPTC;
    QList<TImageGestion> Images;
    for (const QString &c : Fichiers) {
        TImageGestion Im;
        Im.cCle = Im.cChemin = Im.cFichier = c;
        Images << Im;
    }
    QElapsedTimer t;
    const double fProc = Processeur();
    t.start();
    const TResultatGestion R = TraiteGestion(Stores, P, Images);
    const double fNous = Secondes(t);
    const double fNousProc = Processeur() - fProc;
    if (R.nEchecs != 0) {
        std::printf("error: %s\n", qPrintable(TexteRapportGestion(R)));
        return 1;
    }
    std::printf("BENCH iptc_write_1000 %.3f s\n", fNous);
    std::printf("BENCH iptc_write_1000_cpu %.3f s\n", fNousProc);

    const QString cExiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (cExiftool.isEmpty()) {
        std::printf("note: exiftool is not installed\n");
    } else if (Remet()) {
        QProcess p;
        const double fEnfants = ProcesseurEnfants();
        t.start();
        p.start(cExiftool, QStringList{"-q", "-overwrite_original", "-P", "-IPTC:Keywords=BANC"} + Fichiers);
        p.waitForFinished(-1);
        const double f = Secondes(t);
        const double fProc = ProcesseurEnfants() - fEnfants;
        std::printf("note: exiftool %.3f s, processor %.3f s (exit %d)\n", f, fProc, p.exitCode());
        std::printf("BENCH iptc_write_1000_vs_exiftool %.2f x\n", f / fNous);
        std::printf("BENCH iptc_write_1000_vs_exiftool_cpu %.2f x\n", fProc / fNousProc);
    }
    const QString cExiv2 = QStandardPaths::findExecutable(QStringLiteral("exiv2"));
    if (cExiv2.isEmpty()) {
        std::printf("note: exiv2 is not installed\n");
    } else if (Remet()) {
        QProcess p;
        const double fEnfants = ProcesseurEnfants();
        t.start();
        p.start(cExiv2, QStringList{"-M", "set Iptc.Application2.Keywords String BANC"} + Fichiers);
        p.waitForFinished(-1);
        const double f = Secondes(t);
        const double fProc = ProcesseurEnfants() - fEnfants;
        std::printf("note: exiv2 %.3f s, processor %.3f s (exit %d)\n", f, fProc, p.exitCode());
        std::printf("BENCH iptc_write_1000_vs_exiv2 %.2f x\n", f / fNous);
        std::printf("BENCH iptc_write_1000_vs_exiv2_cpu %.2f x\n", fProc / fNousProc);
    }
    return 0;
}
