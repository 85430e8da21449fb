// Metadata of many camera-like JPEG files: 1,000 generated 12 MP JPEGs carrying EXIF, XMP, an
// ICC profile and IPTC. The extraction half reads every EXIF tag and IPTC dataset of all of
// them into the report's two pages (the all-present mode), then compares with one exiftool
// process doing the same reading.
//
// Prints "BENCH extract_allpresent_1000 <s> s" (wall clock), "..._cpu <s> s" (processor time,
// the machine being shared), the same for exiftool when it is installed, and
// "BENCH extract_allpresent_1000_vs_exiftool <exiftool time / ours> x".

#include "metadata/Extraction.h"

#include <QBuffer>
#include <QColorSpace>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

namespace
{

constexpr int nNbFichiers = 1000;

using Horloge = std::chrono::steady_clock;

double Secondes(Horloge::time_point t0)
{
    return std::chrono::duration<double>(Horloge::now() - t0).count();
}

double TempsProcesseur(int nQui)
{
    rusage r{};
    getrusage(nQui, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

void Ajoute16(QByteArray &ba, quint16 n)
{
    ba.append(char(n >> 8)).append(char(n & 0xFF));
}

// A little-endian TIFF directory whose values that do not fit in an entry go to a data area
// laid out after it.
class TIfd
{
public:
    void Ascii(quint16 nTag, const QByteArray &cTexte) { Ajoute(nTag, 2, cTexte + '\0', cTexte.size() + 1); }
    void Court(quint16 nTag, quint16 n)
    {
        QByteArray v(2, 0);
        qToLittleEndian(n, v.data());
        Ajoute(nTag, 3, v, 1);
    }
    void Long(quint16 nTag, quint32 n)
    {
        QByteArray v(4, 0);
        qToLittleEndian(n, v.data());
        Ajoute(nTag, 4, v, 1);
    }
    void Rationnel(quint16 nTag, quint32 nNum, quint32 nDen)
    {
        QByteArray v(8, 0);
        qToLittleEndian(nNum, v.data());
        qToLittleEndian(nDen, v.data() + 4);
        Ajoute(nTag, 5, v, 1);
    }
    void Indefini(quint16 nTag, const QByteArray &v) { Ajoute(nTag, 7, v, v.size()); }
    qsizetype Taille() const
    {
        qsizetype n = 2 + 12 * m_Entrees.size() + 4;
        for (const TEntree &e : m_Entrees)
            if (e.Valeur.size() > 4)
                n += e.Valeur.size() + (e.Valeur.size() & 1);
        return n;
    }
    // The directory placed at nDebut (offset from the TIFF header), nSuivant the next one's.
    QByteArray Ecrit(quint32 nDebut, quint32 nSuivant = 0) const
    {
        QByteArray Ifd, Donnees;
        QByteArray v(4, 0);
        qToLittleEndian(quint16(m_Entrees.size()), v.data());
        Ifd.append(v.left(2));
        quint32 nDonnees = nDebut + 2 + 12 * quint32(m_Entrees.size()) + 4;
        for (const TEntree &e : m_Entrees) {
            QByteArray Entree(12, 0);
            qToLittleEndian(e.nTag, Entree.data());
            qToLittleEndian(e.nType, Entree.data() + 2);
            qToLittleEndian(e.nNombre, Entree.data() + 4);
            if (e.Valeur.size() <= 4) {
                Entree.replace(8, e.Valeur.size(), e.Valeur);
            } else {
                qToLittleEndian(nDonnees + quint32(Donnees.size()), Entree.data() + 8);
                Donnees.append(e.Valeur);
                if (e.Valeur.size() & 1)
                    Donnees.append('\0');
            }
            Ifd.append(Entree);
        }
        qToLittleEndian(nSuivant, v.data());
        Ifd.append(v);
        return Ifd + Donnees;
    }

private:
    struct TEntree
    {
        quint16 nTag, nType;
        quint32 nNombre;
        QByteArray Valeur;
    };
    void Ajoute(quint16 nTag, quint16 nType, const QByteArray &v, qsizetype nNombre)
    {
        m_Entrees.append({nTag, nType, quint32(nNombre), v});
    }
    QList<TEntree> m_Entrees;
};

QByteArray Segment(quint8 nMarqueur, const QByteArray &Contenu)
{
    QByteArray s;
    s.append(char(0xFF)).append(char(nMarqueur));
    Ajoute16(s, quint16(Contenu.size() + 2));
    return s + Contenu;
}

QByteArray SegmentEXIF(int nGraine)
{
    // IFD0's size does not depend on where the EXIF directory goes: build it once to measure.
    const auto Ifd0 = [](quint32 nExif) {
        TIfd Ifd;
        Ifd.Ascii(0x010F, "Vimbrel");
        Ifd.Ascii(0x0110, "Banc 12 MP");
        Ifd.Court(0x0112, 1);
        Ifd.Ascii(0x0132, "2026:12:10 10:00:00");
        Ifd.Long(0x8769, nExif);
        return Ifd;
    };
    TIfd Exif;
    Exif.Rationnel(0x829A, 1, 125 + quint32(nGraine % 50));
    Exif.Rationnel(0x829D, 56, 10);
    Exif.Court(0x8827, 200);
    Exif.Ascii(0x9003, "2026:12:10 10:00:00");
    Exif.Rationnel(0x920A, 50, 1);
    Exif.Indefini(0x9286, QByteArray("ASCII\0\0\0", 8) + "Banc d'extraction " + QByteArray::number(nGraine));
    const quint32 nExif = 8 + quint32(Ifd0(0).Taille());
    QByteArray Tiff("II*\0\x08\0\0\0", 8);
    Tiff += Ifd0(nExif).Ecrit(8) + Exif.Ecrit(nExif);
    return Segment(0xE1, QByteArray("Exif\0\0", 6) + Tiff);
}

QByteArray SegmentXMP()
{
    const QByteArray Paquet =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<dc:subject><rdf:Bag><rdf:li>mer</rdf:li><rdf:li>plage</rdf:li></rdf:Bag></dc:subject>"
        "</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end=\"w\"?>";
    return Segment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0", 29) + Paquet);
}

QByteArray SegmentICC()
{
    const QByteArray Profil = QColorSpace(QColorSpace::SRgb).iccProfile();
    return Segment(0xE2, QByteArray("ICC_PROFILE\0\x01\x01", 14) + Profil);
}

QByteArray SegmentIPTC(int nGraine)
{
    QByteArray Iptc;
    const auto Jeu = [&Iptc](quint8 nRec, quint8 nJeu, const QByteArray &v) {
        Iptc.append(char(0x1C)).append(char(nRec)).append(char(nJeu));
        Ajoute16(Iptc, quint16(v.size()));
        Iptc.append(v);
    };
    Jeu(1, 90, "\x1B%G");
    Jeu(2, 0, QByteArray("\0\x04", 2));
    Jeu(2, 5, "Banc " + QByteArray::number(nGraine));
    Jeu(2, 25, "mer");
    Jeu(2, 25, "plage");
    Jeu(2, 25, "soleil");
    Jeu(2, 90, "Brest");
    Jeu(2, 116, "(c) Vimbrel");
    Jeu(2, 120, "Une l\xC3\xA9gende de banc d'essai");
    QByteArray Ressource("8BIM\x04\x04\0\0", 8);
    QByteArray n(4, 0);
    qToBigEndian(quint32(Iptc.size()), n.data());
    Ressource += n + Iptc;
    if (Iptc.size() & 1)
        Ressource.append('\0');
    return Segment(0xED, QByteArray("Photoshop 3.0\0", 14) + Ressource);
}

// A 12 MP picture, smooth so that a thousand copies stay a few hundred megabytes.
QByteArray CorpsJPEG()
{
    QImage Image(4000, 3000, QImage::Format_RGB32);
    for (int y = 0; y < Image.height(); ++y) {
        auto *p = reinterpret_cast<QRgb *>(Image.scanLine(y));
        for (int x = 0; x < Image.width(); ++x)
            p[x] = qRgb(x * 255 / 4000, y * 255 / 3000, 128);
    }
    QByteArray Octets;
    QBuffer Tampon(&Octets);
    Tampon.open(QIODevice::WriteOnly);
    Image.save(&Tampon, "JPG", 85);
    // Everything after the start marker and the JFIF segment that Qt writes first.
    qsizetype nSuite = 2;
    if (Octets.size() > 6 && quint8(Octets[2]) == 0xFF && quint8(Octets[3]) == 0xE0)
        nSuite = 4 + ((quint8(Octets[4]) << 8) | quint8(Octets[5]));
    return Octets.mid(nSuite);
}

// Writes the files; returns their paths.
QStringList GenereFichiers(const QString &cDossier)
{
    const QByteArray Corps = CorpsJPEG();
    const QByteArray XMP = SegmentXMP();
    const QByteArray ICC = SegmentICC();
    QStringList Chemins;
    for (int i = 0; i < nNbFichiers; ++i) {
        const QString cChemin = cDossier + QStringLiteral("/IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        QFile f(cChemin);
        if (!f.open(QIODevice::WriteOnly))
            return {};
        f.write(QByteArray("\xFF\xD8", 2) + SegmentEXIF(i) + XMP + ICC + SegmentIPTC(i) + Corps);
        Chemins.append(cChemin);
    }
    return Chemins;
}

int BancExtraction(const QString &cDossier, const QStringList &Chemins)
{
    QList<TEnrLV> Images(Chemins.size());
    QList<const TEnrLV *> Liste;
    for (int i = 0; i < Chemins.size(); ++i) {
        Images[i].cChemin = Chemins[i];
        Images[i].lExiste = true;
        Liste.append(&Images[i]);
    }
    const TSourcesExtraction S;
    // One untimed pass so that both readers find the files in the page cache.
    LitToutesPresentes(Liste, S);

    const double rCpu0 = TempsProcesseur(RUSAGE_SELF);
    const auto t0 = Horloge::now();
    const QList<TEnrGlobaleToutesMD> Lues = LitToutesPresentes(Liste, S);
    const TRapportExtraction r = ExtraitToutesPresentes(Liste, Lues, true, true);
    const double rNotre = Secondes(t0);
    const double rNotreCpu = TempsProcesseur(RUSAGE_SELF) - rCpu0;
    // Every file with its ten EXIF tags (two directories) and its keywords.
    if (r.nNbImages != Chemins.size() || r.Brut.size() != Chemins.size() + 1 || Lues.isEmpty()
        || Lues[0].EXIF.size() < 10 || !r.Brut[1].contains(QStringLiteral("mer plage soleil"))) {
        std::fprintf(stderr, "extraction incomplète : %d image(s)\n", r.nNbImages);
        return 1;
    }
    std::printf("BENCH extract_allpresent_1000 %.3f s\n", rNotre);
    std::printf("BENCH extract_allpresent_1000_cpu %.3f s\n", rNotreCpu);

    const QString cExiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (cExiftool.isEmpty()) {
        std::printf("exiftool absent : pas de comparaison\n");
        return 0;
    }
    QProcess Processus;
    Processus.setStandardOutputFile(QProcess::nullDevice());
    const double rCpuEnfants0 = TempsProcesseur(RUSAGE_CHILDREN);
    const auto t1 = Horloge::now();
    Processus.start(cExiftool,
                    {QStringLiteral("-j"), QStringLiteral("-EXIF:all"), QStringLiteral("-IPTC:all"), cDossier});
    if (!Processus.waitForFinished(-1) || Processus.exitCode() != 0) {
        std::fprintf(stderr, "exiftool a échoué\n");
        return 1;
    }
    const double rExiftool = Secondes(t1);
    const double rExiftoolCpu = TempsProcesseur(RUSAGE_CHILDREN) - rCpuEnfants0;
    std::printf("BENCH extract_allpresent_1000_exiftool %.3f s\n", rExiftool);
    std::printf("BENCH extract_allpresent_1000_exiftool_cpu %.3f s\n", rExiftoolCpu);
    std::printf("BENCH extract_allpresent_1000_vs_exiftool %.1f x\n", rExiftool / rNotre);
    std::printf("BENCH extract_allpresent_1000_vs_exiftool_cpu %.1f x\n", rExiftoolCpu / rNotreCpu);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication App(argc, argv);
    QTemporaryDir Dossier;
    if (!Dossier.isValid())
        return 1;
    const QStringList Chemins = GenereFichiers(Dossier.path());
    if (Chemins.size() != nNbFichiers) {
        std::fprintf(stderr, "impossible d'écrire les fichiers de test\n");
        return 1;
    }
    return BancExtraction(Dossier.path(), Chemins);
}
