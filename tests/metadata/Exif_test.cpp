#include "ConstruitTiff.h"
#include "metadata/Exif.h"
#include "metadata/SourceOctets.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace
{
using E = TConstruitTiff::TEntree;

QByteArray Ascii(const char *c, int n)
{
    return QByteArray(c, n);
}

// A TIFF block with the usual camera tags: IFD 0 at 8 (model, orientation, Exif pointer),
// the Exif IFD at nPosExif, their data after each IFD.
QByteArray TiffCamera(bool lMM, quint32 nPosExif, quint16 nOrientation = 6)
{
    TConstruitTiff t(lMM);
    const quint32 nModele = 100;
    t.IFD(8,
          {E{0x0110, 2, 12, t.V32(nModele)}, E{0x0112, 3, 1, t.V16(nOrientation)}, E{0x8769, 4, 1, t.V32(nPosExif)}});
    t.Place(nModele, Ascii("Camera XY \0\0", 12));
    const quint32 d = nPosExif + 200;
    t.IFD(nPosExif, {E{0x829A, 5, 1, t.V32(d)}, E{0x829D, 5, 1, t.V32(d + 8)}, E{0x920A, 5, 1, t.V32(d + 16)},
                     E{0x8827, 3, 1, t.V16(400)}, E{0x9003, 2, 20, t.V32(d + 24)}, E{0xA405, 3, 1, t.V16(48)}});
    t.Place(d, t.Rationnel(10, 1250) + t.Rationnel(28, 10) + t.Rationnel(725, 100));
    t.Place(d + 24, Ascii("2005:07:14 18:30:05\0", 20));
    return t.Octets;
}

TLectureEXIF LitTiff(const QByteArray &b, bool lModeleSeul = false)
{
    return LitEXIFTiff(U(b), b.size(), 0, lModeleSeul);
}
}

TEST(TextesValeursEXIF, RationnelsSelonLesFormesDonnees)
{
    EXPECT_EQ(TexteVitesse(10, 1250), "1/125");
    EXPECT_EQ(TexteVitesse(2, 1), "2");
    EXPECT_EQ(TexteVitesse(1, 1), "1");
    EXPECT_EQ(TexteVitesse(0, 1), "");
    EXPECT_EQ(TexteVitesse(1, 0), "");
    EXPECT_EQ(TexteVitesse(-1, 60), "");
    EXPECT_EQ(TexteDiaphragme(28, 10), "2,8");
    EXPECT_EQ(TexteDiaphragme(8, 1), "8");
    EXPECT_EQ(TexteDiaphragme(0, 10), "");
    EXPECT_EQ(TexteFocale(725, 100), "7,25");
    EXPECT_EQ(TexteFocale(50, 1), "50");
    // Halves are rounded up, as the shown texts always were: 5.40625 mm reads 5,41.
    EXPECT_EQ(TexteFocale(173, 32), "5,41");
}

TEST(TextesValeursEXIF, DateDePriseDeVueSeulementSousSaFormeEntiere)
{
    EXPECT_EQ(TexteDatePDV("2005:07:14 18:30:05"), "14/07/2005 18:30:05");
    EXPECT_EQ(TexteDatePDV("2005:07:14"), "");
    EXPECT_EQ(TexteDatePDV("2005:07:14 18:30:05+02:00"), "");
    // A camera without a clock writes blanks of the right length.
    EXPECT_EQ(TexteDatePDV("    :  :     :  :  "), "");
}

TEST(TextesValeursEXIF, DateDePriseDeVueRelueSousSaFormeFrancaiseQuelleQueSoitLaLangue)
{
    // The stored form is day first under any locale: 3 April, never 4 March.
    const char *ancienne = setlocale(LC_ALL, nullptr);
    const std::string garde = ancienne ? ancienne : "C";
    setlocale(LC_ALL, "en_US.UTF-8");
    const QDateTime d = LitDatePDV("03/04/2005 10:00:00");
    setlocale(LC_ALL, garde.c_str());
    ASSERT_TRUE(d.isValid());
    EXPECT_EQ(d.date(), QDate(2005, 4, 3));
    EXPECT_EQ(d.time(), QTime(10, 0, 0));
    EXPECT_EQ(d.timeSpec(), Qt::LocalTime);
    EXPECT_EQ(LitDatePDV(TexteDatePDV("2005:07:14 18:30:05")), QDateTime(QDate(2005, 7, 14), QTime(18, 30, 5)));
    EXPECT_EQ(LitDatePDV("29/02/2004"), QDateTime(QDate(2004, 2, 29), QTime(0, 0)));
    for (const char *c : {"29/02/2005 10:00:00", "14/07/2005 24:00:00", "14/07/2005 18:30", "2005:07:14 18:30:05", "",
                          "14-07-2005 18:30:05", "1a/07/2005 18:30:05"})
        EXPECT_FALSE(LitDatePDV(c).isValid()) << c;
}

TEST(LecteurTiff, LitLesValeursDesDeuxIFDEnPetitBoutiste)
{
    const TLectureEXIF r = LitTiff(TiffCamera(false, 300));
    EXPECT_TRUE(r.lLu);
    EXPECT_EQ(r.Donnees.cAppareil, "Camera XY");
    EXPECT_EQ(r.Donnees.cOrientation, "6");
    EXPECT_EQ(r.Donnees.cVitesse, "1/125");
    EXPECT_EQ(r.Donnees.cDiaphragme, "2,8");
    EXPECT_EQ(r.Donnees.cFocale, "7,25");
    EXPECT_EQ(r.Donnees.cISO, "400");
    EXPECT_EQ(r.Donnees.cDatePDV, "14/07/2005 18:30:05");
    EXPECT_EQ(r.nFocale35, 48);
}

TEST(LecteurTiff, PointeurExifAuDelaDe64KiEnGrandBoutiste)
{
    // The Exif pointer is a LONG in the value field: reading only its first 16-bit half would
    // lose the offset 70,000 (0x00011170).
    const TLectureEXIF r = LitTiff(TiffCamera(true, 70000, 3));
    EXPECT_TRUE(r.lLu);
    EXPECT_EQ(r.Donnees.cAppareil, "Camera XY");
    EXPECT_EQ(r.Donnees.cOrientation, "3");
    EXPECT_EQ(r.Donnees.cVitesse, "1/125");
    EXPECT_EQ(r.Donnees.cISO, "400");
    EXPECT_EQ(r.Donnees.cDatePDV, "14/07/2005 18:30:05");
}

TEST(LecteurTiff, ValeursEnLigneDecodeesSelonLeurType)
{
    for (bool lMM : {false, true}) {
        TConstruitTiff t(lMM);
        // ISO as a LONG above 65,535; orientation as a BYTE.
        t.IFD(8, {E{0x0112, 1, 1, QByteArray("\x08\0\0\0", 4)}, E{0x8827, 4, 1, t.V32(102400)}});
        const TLectureEXIF r = LitTiff(t.Octets);
        EXPECT_EQ(r.Donnees.cISO, "102400") << lMM;
        EXPECT_EQ(r.Donnees.cOrientation, "8") << lMM;
    }
}

TEST(LecteurTiff, ModeleSeulSArreteApresLeModele)
{
    const TLectureEXIF r = LitTiff(TiffCamera(false, 300), true);
    EXPECT_TRUE(r.lLu);
    EXPECT_EQ(r.Donnees.cAppareil, "Camera XY");
    EXPECT_EQ(r.Donnees.cOrientation, "1");
    EXPECT_TRUE(r.Donnees.cVitesse.isEmpty());
    EXPECT_FALSE(r.lTIFF);
}

TEST(LecteurTiff, CommentaireSansPrefixeNiSautsDeLigneEtLimite)
{
    TConstruitTiff t(false);
    QByteArray c = QByteArray("ASCII\0\0\0", 8) + "  Chambord\r\nLoire \0\0\0";
    QByteArray Long = QByteArray("ASCII\0\0\0", 8) + QByteArray(400, 'x');
    QByteArray Uni = QByteArray("UNICODE\0", 8) + QByteArray("C\0h\0\xe2\0t\0", 8);
    t.IFD(8, {E{0x8769, 4, 1, t.V32(40)}});
    t.IFD(40, {E{0x9286, 7, quint32(c.size()), t.V32(200)}});
    t.Place(200, c);
    EXPECT_EQ(LitTiff(t.Octets).Donnees.cCommentaire, "Chambord  Loire");
    t.Place(200, Long);
    t.IFD(40, {E{0x9286, 7, quint32(Long.size()), t.V32(200)}});
    EXPECT_EQ(LitTiff(t.Octets).Donnees.cCommentaire, QString(256, 'x'));
    t.Place(200, Uni);
    t.IFD(40, {E{0x9286, 7, quint32(Uni.size()), t.V32(200)}});
    EXPECT_EQ(LitTiff(t.Octets).Donnees.cCommentaire, QString::fromUtf8("Chât"));
}

TEST(LecteurTiff, ComptesEtDecalagesHorsDuFichierSansDebordement)
{
    TConstruitTiff t(false);
    // Orientation first, then a model of 4 G characters, then a rational far outside the file.
    t.IFD(8, {E{0x0112, 3, 1, t.V16(6)}, E{0x0110, 2, 0xFFFFFFFF, t.V32(0xFFFFFFF0)},
              E{0x829A, 5, 0x40000000, t.V32(30)}});
    const TLectureEXIF r = LitTiff(t.Octets);
    EXPECT_TRUE(r.lLu);                     // the byte-order mark was valid
    EXPECT_EQ(r.Donnees.cOrientation, "6"); // read before the fault, kept
    EXPECT_TRUE(r.Donnees.cAppareil.isEmpty());

    // IFD 0 at an offset beyond the file, then an entry count running past the end.
    TConstruitTiff u(true);
    u.Place(4, u.B32(0xFFFFFFFF));
    EXPECT_TRUE(LitTiff(u.Octets).lLu);
    TConstruitTiff v(true);
    v.Place(8, v.B16(0xFFFF));
    EXPECT_TRUE(LitTiff(v.Octets).lLu);
}

TEST(LecteurTiff, EntreeSansValeurIgnoree)
{
    // A rational with a count of 0 has no data: the 4-byte value field must not be read as one.
    TConstruitTiff t(true);
    t.IFD(8, {E{0x829A, 5, 0, t.V32(0)}, E{0x829D, 10, 0, t.V32(0)}, E{0x0112, 3, 1, t.V16(3)}});
    const TLectureEXIF r = LitTiff(t.Octets);
    EXPECT_TRUE(r.Donnees.cVitesse.isEmpty());
    EXPECT_TRUE(r.Donnees.cDiaphragme.isEmpty());
    EXPECT_EQ(r.Donnees.cOrientation, "3");
}

TEST(LecteurTiff, ExifQuiPointeSurLuiMemeNeBouclePas)
{
    TConstruitTiff t(false);
    t.IFD(8, {E{0x8769, 4, 1, t.V32(8)}, E{0x8827, 3, 1, t.V16(100)}});
    const TLectureEXIF r = LitTiff(t.Octets);
    EXPECT_EQ(r.Donnees.cISO, "100");
}

TEST(LecteurTiff, MarqueDOrdreInvalideEchoue)
{
    QByteArray b("IM*\0\x08\0\0\0", 8);
    EXPECT_FALSE(LitTiff(b).lLu);
    EXPECT_FALSE(LitEXIFTiff(nullptr, 0, 0, false).lLu);
}

TEST(LecteurTiff, IsoDeLaNoteDuFabricant)
{
    for (bool lMM : {true, false}) {
        TConstruitTiff t(lMM);
        t.IFD(8, {E{0x8769, 4, 1, t.V32(40)}});
        t.IFD(40, {E{0x927C, 7, 64, t.V32(100)}});
        // The maker note: signature, version, then a TIFF header of its own with one IFD.
        TConstruitTiff n(lMM);
        n.IFD(8, {E{0x0001, 7, 4, QByteArray("0210", 4)}, E{0x0002, 3, 2, n.B16(0) + n.B16(200)}});
        t.Place(100, QByteArray("Nikon\0\x02\x10\0\0", 10) + n.Octets);
        EXPECT_EQ(LitTiff(t.Octets).Donnees.cISO, "200") << lMM;
        // The ISO of the Exif IFD wins.
        t.IFD(40, {E{0x8827, 3, 1, t.V16(800)}, E{0x927C, 7, 64, t.V32(100)}});
        EXPECT_EQ(LitTiff(t.Octets).Donnees.cISO, "800") << lMM;
    }
}

TEST(LecteurJpeg, ExifDuPremierApp1Seulement)
{
    const QByteArray Tiff = TiffCamera(false, 300);
    const QByteArray Bon = JpegAvecSegments({{0xE0, "JFIF"}, {0xE1, SegmentExif(Tiff)}});
    const TLectureEXIF r = LitEXIFJpeg(U(Bon), Bon.size(), false);
    EXPECT_TRUE(r.lLu);
    EXPECT_EQ(r.Donnees.cAppareil, "Camera XY");
    // XMP first: the search stops at the first APP1 and finds no "Exif".
    const QByteArray Xmp = JpegAvecSegments({{0xE1, "http://ns.adobe.com/xap/1.0/\0<x/>"}, {0xE1, SegmentExif(Tiff)}});
    const TLectureEXIF x = LitEXIFJpeg(U(Xmp), Xmp.size(), false);
    EXPECT_FALSE(x.lLu);
    EXPECT_TRUE(x.Donnees.cAppareil.isEmpty());
}

TEST(LecteurJpeg, SegmentsMalFormesArretentLaRecherche)
{
    // A segment length of 0 or 1 would make the walk stand still.
    for (const char *c : {"\xFF\xD8\xFF\xE0\x00\x00\xFF\xE1", "\xFF\xD8\xFF\xE0\x00\x01\xFF\xE1"}) {
        const QByteArray b(c, 8);
        EXPECT_FALSE(LitEXIFJpeg(U(b), b.size(), false).lLu);
    }
    // The marker search does not go on into the compressed data after the start of scan.
    QByteArray s = JpegAvecSegments({{0xDA, "\x01\x02"}});
    s.insert(s.size() - 2, QByteArray("\xFF\xE1\x00\x10", 4) + SegmentExif(TiffCamera(false, 300)));
    EXPECT_FALSE(LitEXIFJpeg(U(s), s.size(), false).lLu);
    // Truncated inside the segment header.
    const QByteArray t("\xFF\xD8\xFF\xE1\x10", 5);
    EXPECT_FALSE(LitEXIFJpeg(U(t), t.size(), false).lLu);
}

TEST(LecteurCrw, ModeleEtDateAuxPlacesFixesDeLaFin)
{
    // A = 26 + the value 8 bytes before the end; B = 26 + the value 4 bytes before the end.
    QByteArray b(2000, '\0');
    const quint32 nA = 100, nB = 1000;
    TConstruitTiff le(false);
    b.replace(26 + nA, 4, le.B32(1100000000)); // 09/11/2004 11:33:20
    b.replace(26 + nA + 504, 9, QByteArray("Canon X1\0", 9));
    b.replace(b.size() - 8, 8, le.B32(nA) + le.B32(nB));
    const TLectureEXIF r = LitEXIFCrw(U(b), b.size(), false);
    EXPECT_TRUE(r.lLu);
    EXPECT_EQ(r.Donnees.cAppareil, "Canon X1");
    EXPECT_EQ(r.Donnees.cDatePDV, "09/11/2004 11:33:20");
    EXPECT_EQ(LitEXIFCrw(U(b), b.size(), true).Donnees.cDatePDV, "");

    // -1 as read means failure; a limit B below the model keeps the model empty, and without
    // the model at its place the date is not trusted either.
    QByteArray m = b;
    m.replace(m.size() - 8, 4, QByteArray(4, '\xFF'));
    EXPECT_FALSE(LitEXIFCrw(U(m), m.size(), false).lLu);
    QByteArray c = b;
    c.replace(c.size() - 4, 4, le.B32(nA + 100));
    const TLectureEXIF rc = LitEXIFCrw(U(c), c.size(), false);
    EXPECT_TRUE(rc.lLu);
    EXPECT_TRUE(rc.Donnees.cAppareil.isEmpty());
    EXPECT_TRUE(rc.Donnees.cDatePDV.isEmpty());
    // Other data at those places: bytes that are no text give no model and no date, and a
    // time before 1990 or after today is no shooting date.
    QByteArray g = b;
    g.replace(26 + nA + 504, 9, QByteArray("\x15\x08 \0", 4));
    EXPECT_EQ(LitEXIFCrw(U(g), g.size(), false).Donnees.cAppareil, "");
    EXPECT_EQ(LitEXIFCrw(U(g), g.size(), false).Donnees.cDatePDV, "");
    g = b;
    g.replace(26 + nA + 504, 5, QByteArray("Ca\x01on", 5));
    EXPECT_EQ(LitEXIFCrw(U(g), g.size(), false).Donnees.cAppareil, "");
    g = b;
    g.replace(26 + nA + 504, 32, QByteArray(32, 'C')); // no terminating zero
    EXPECT_EQ(LitEXIFCrw(U(g), g.size(), false).Donnees.cAppareil, "");
    struct TCasDate
    {
        qint64 nSecondes;
        const char *cAttendu;
    };
    const qint64 nMaintenant = QDateTime::currentSecsSinceEpoch();
    for (const TCasDate &Cas : {TCasDate{2272, ""}, TCasDate{631151999, ""}, TCasDate{631152000, "01/01/1990 00:00:00"},
                                TCasDate{1038150682, "24/11/2002 15:11:22"}, TCasDate{nMaintenant + 3 * 86400, ""},
                                TCasDate{1836401724, ""}}) {
        QByteArray t = b;
        t.replace(26 + nA, 4, le.B32(quint32(Cas.nSecondes)));
        EXPECT_EQ(LitEXIFCrw(U(t), t.size(), false).Donnees.cDatePDV, Cas.cAttendu) << Cas.nSecondes;
    }

    // Places beyond the end of the file are not read.
    QByteArray f(12, '\0');
    f.replace(4, 8, le.B32(0x7FFFFFF0) + le.B32(0x7FFFFFFE));
    EXPECT_TRUE(LitEXIFCrw(U(f), f.size(), false).Donnees.cAppareil.isEmpty());
}

TEST(SourceOctets, FenetreAuDelaDeLaTeteDUnFichier)
{
    // The head of a file is read at once; a place further on is read on demand, and never a
    // byte outside the file.
    QTemporaryDir Dossier;
    QFile f(Dossier.filePath("grand.tif"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray b(TSourceOctets::nTailleTete + 5000, 'a');
    b[TSourceOctets::nTailleTete + 10] = 'Z';
    f.write(b);
    f.close();
    TSourceOctets s(f.fileName());
    ASSERT_TRUE(s.Ouverte());
    const uchar *p = s.Octets(TSourceOctets::nTailleTete + 10, 1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(*p, 'Z');
    EXPECT_EQ(s.Octets(b.size() - 1, 2), nullptr);
    EXPECT_NE(s.Octets(b.size() - 2, 2), nullptr);
    EXPECT_EQ(s.Octets(-1, 1), nullptr);
    EXPECT_FALSE(TSourceOctets(Dossier.filePath("absent.jpg")).Ouverte());
}
