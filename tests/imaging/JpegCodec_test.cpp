#include "imaging/JpegCodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace
{
QImage Degrade(int w, int h)
{
    QImage Image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            Image.setPixel(x, y, qRgb(x * 255 / qMax(1, w - 1), y * 255 / qMax(1, h - 1), 128));
    return Image;
}

int EcartMax(const QImage &a, const QImage &b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            n = qMax(n, qMax(qAbs(qRed(p) - qRed(q)), qMax(qAbs(qGreen(p) - qGreen(q)), qAbs(qBlue(p) - qBlue(q)))));
        }
    return n;
}

qsizetype PositionSOF(const QByteArray &b)
{
    return b.indexOf(QByteArray::fromHex("FFC0"));
}
qsizetype PositionSOS(const QByteArray &b)
{
    return b.indexOf(QByteArray::fromHex("FFDA"));
}

QString Ecrit(const QTemporaryDir &d, const QString &cNom, const QByteArray &b)
{
    QFile f(d.filePath(cNom));
    if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size())
        return {};
    return f.fileName();
}

bool Gris(QRgb p)
{
    return qAbs(qRed(p) - 128) <= 3 && qAbs(qGreen(p) - 128) <= 3 && qAbs(qBlue(p) - 128) <= 3;
}
}

TEST(JpegCodec, ReductionIsTheLargestThatStillCoversTheBox)
{
    EXPECT_EQ(JpegCodec::EchellePour(3000, 160), 8);
    EXPECT_EQ(JpegCodec::EchellePour(1280, 160), 8);
    EXPECT_EQ(JpegCodec::EchellePour(1279, 160), 4);
    EXPECT_EQ(JpegCodec::EchellePour(640, 160), 4);
    EXPECT_EQ(JpegCodec::EchellePour(639, 160), 2);
    EXPECT_EQ(JpegCodec::EchellePour(320, 160), 2);
    EXPECT_EQ(JpegCodec::EchellePour(319, 160), 1);
    EXPECT_EQ(JpegCodec::EchellePour(8, 160), 1);
}

TEST(JpegCodec, EncodesAndDecodesAtEveryScale)
{
    QTemporaryDir d;
    const QString c = d.filePath("degrade.jpg");
    const QImage Source = Degrade(100, 60);
    QString cErreur;
    ASSERT_TRUE(JpegCodec::Encode(Source, c, 90, &cErreur)) << cErreur.toStdString();
    TTailleImage t;
    ASSERT_TRUE(JpegCodec::LitTaille(c, t));
    EXPECT_EQ(t, (TTailleImage{100, 60}));

    const QImage Pleine = JpegCodec::Decode(c, 1);
    ASSERT_EQ(Pleine.size(), QSize(100, 60));
    EXPECT_EQ(Pleine.format(), QImage::Format_RGB32);
    EXPECT_LE(EcartMax(Source, Pleine), 12);
    // Reduced sizes round up, as the decoder computes them.
    EXPECT_EQ(JpegCodec::Decode(c, 2).size(), QSize(50, 30));
    EXPECT_EQ(JpegCodec::Decode(c, 4).size(), QSize(25, 15));
    EXPECT_EQ(JpegCodec::Decode(c, 8).size(), QSize(13, 8));

    const QByteArray Memoire = JpegCodec::EncodeMemoire(Source);
    ASSERT_FALSE(Memoire.isEmpty());
    EXPECT_EQ(JpegCodec::DecodeMemoire(Memoire, 1).size(), QSize(100, 60));

    QList<int> Pourcents;
    JpegCodec::DecodeAvecProgres(c, 1, nullptr, [&](int n) { Pourcents.append(n); });
    ASSERT_FALSE(Pourcents.isEmpty());
    EXPECT_EQ(Pourcents.first(), 0);
    EXPECT_EQ(Pourcents.last(), 100);
}

TEST(JpegCodec, TransparentPartsAreEncodedOverWhite)
{
    QImage Source(16, 16, QImage::Format_ARGB32);
    Source.fill(qRgba(0, 0, 0, 0));
    const QImage Sortie = JpegCodec::DecodeMemoire(JpegCodec::EncodeMemoire(Source));
    ASSERT_FALSE(Sortie.isNull());
    EXPECT_GE(qRed(Sortie.pixel(8, 8)), 250);
    EXPECT_GE(qBlue(Sortie.pixel(8, 8)), 250);
}

TEST(JpegCodec, HeaderFoundBehindLargeSegments)
{
    // Six 60 KB application segments push the frame header well past the first read.
    QByteArray b = JpegCodec::EncodeMemoire(Degrade(40, 30));
    QByteArray Segments;
    for (int i = 0; i < 6; ++i)
        Segments += QByteArray::fromHex("FFE9EA62") + QByteArray(60000, 'x');
    b.insert(2, Segments);
    QTemporaryDir d;
    QFile f(d.filePath("gros.jpg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
    f.close();
    TTailleImage t;
    ASSERT_TRUE(JpegCodec::LitTaille(f.fileName(), t));
    EXPECT_EQ(t, (TTailleImage{40, 30}));
}

TEST(JpegCodec, HostileFilesFailWithoutAllocating)
{
    const QByteArray Bon = JpegCodec::EncodeMemoire(Degrade(64, 64));
    const qsizetype nSOF = PositionSOF(Bon);
    ASSERT_GT(nSOF, 0);

    // 65,535 × 65,535 is over the pixel cap: refused at the header.
    QByteArray Enorme = Bon;
    Enorme[nSOF + 5] = Enorme[nSOF + 6] = Enorme[nSOF + 7] = Enorme[nSOF + 8] = char(0xFF);
    TTailleImage t;
    QString cErreur;
    EXPECT_FALSE(JpegCodec::TailleMemoire(Enorme, t, &cErreur));
    EXPECT_FALSE(cErreur.isEmpty());
    EXPECT_TRUE(JpegCodec::DecodeMemoire(Enorme).isNull());

    // A valid header with the data cut short gives the picture libjpeg makes of it, at every
    // scale, and nothing when intact data is asked for.
    const QByteArray Coupe = Bon.left(Bon.size() * 2 / 3);
    ASSERT_TRUE(JpegCodec::TailleMemoire(Coupe, t));
    for (int nEchelle : {1, 2, 4, 8})
        EXPECT_EQ(JpegCodec::DecodeMemoire(Coupe, nEchelle).size(), QSize(64 / nEchelle, 64 / nEchelle)) << nEchelle;

    // A width of zero is no picture.
    QByteArray Vide = Bon;
    Vide[nSOF + 7] = Vide[nSOF + 8] = 0;
    EXPECT_TRUE(JpegCodec::DecodeMemoire(Vide).isNull());
    EXPECT_TRUE(JpegCodec::DecodeMemoire(QByteArray()).isNull());
    EXPECT_TRUE(JpegCodec::DecodeMemoire(QByteArray("not a jpeg at all")).isNull());
    EXPECT_TRUE(JpegCodec::Decode("/nonexistent/x.jpg").isNull());
}

TEST(JpegCodec, WarningsGiveThePictureLibjpegMakes)
{
    QTemporaryDir d;
    const QImage Source = Degrade(64, 128);
    const QByteArray Bon = JpegCodec::EncodeMemoire(Source);
    ASSERT_GT(PositionSOS(Bon), 0);

    // Stray bytes before the frame header and before the scan: "3 extraneous bytes before marker".
    QByteArray Octets = Bon;
    Octets.insert(PositionSOS(Octets), QByteArray("\x12\x34\x56", 3));
    Octets.insert(PositionSOF(Octets), QByteArray("\x00\x77\x99", 3));
    const QString cOctets = Ecrit(d, "octets.jpg", Octets);
    TTailleImage t;
    ASSERT_TRUE(JpegCodec::LitTaille(cOctets, t));
    EXPECT_EQ(t, (TTailleImage{64, 128}));
    const QImage ImOctets = JpegCodec::Decode(cOctets);
    ASSERT_EQ(ImOctets.size(), QSize(64, 128));
    EXPECT_LE(EcartMax(Source, ImOctets), 12);

    // Scan parameters a sequential frame does not use, as some phones write them (all zero, or
    // anything): "Invalid SOS parameters for sequential JPEG".
    for (const QByteArray &Params : {QByteArray("\x00\x00\x00", 3), QByteArray("\x05\x0A\x21", 3)}) {
        QByteArray Sos = Bon;
        const qsizetype n = PositionSOS(Sos);
        const int nComposantes = uchar(Sos[n + 4]);
        Sos.replace(n + 5 + 2 * nComposantes, 3, Params);
        const QImage Im = JpegCodec::DecodeMemoire(Sos);
        ASSERT_EQ(Im.size(), QSize(64, 128)) << Params.toHex().toStdString();
        EXPECT_LE(EcartMax(Source, Im), 12);
        EXPECT_TRUE(
            JpegCodec::Decode(Ecrit(d, "sos.jpg", Sos), 1, nullptr, JpegCodec::TAvertissements::Refuses).isNull());
    }

    // A file cut in the middle of its scan: "Premature end of JPEG file". The rows decoded are
    // the picture's, the rest is grey.
    const QString cCoupe = Ecrit(d, "coupe.jpg", Bon.left(PositionSOS(Bon) + (Bon.size() - PositionSOS(Bon)) / 2));
    QString cErreur;
    const QImage ImCoupe = JpegCodec::Decode(cCoupe, 1, &cErreur);
    ASSERT_EQ(ImCoupe.size(), QSize(64, 128)) << cErreur.toStdString();
    EXPECT_LE(EcartMax(Source.copy(0, 0, 64, 16), ImCoupe.copy(0, 0, 64, 16)), 12);
    for (int x : {0, 31, 63}) {
        EXPECT_TRUE(Gris(ImCoupe.pixel(x, 127))) << x;
        EXPECT_FALSE(Gris(Source.pixel(x, 127))) << x;
    }
    // The program's own files are taken only intact: a cut-short one is made again.
    cErreur.clear();
    EXPECT_TRUE(JpegCodec::Decode(cCoupe, 1, &cErreur, JpegCodec::TAvertissements::Refuses).isNull());
    EXPECT_FALSE(cErreur.isEmpty());
    EXPECT_TRUE(JpegCodec::Decode(cOctets, 1, nullptr, JpegCodec::TAvertissements::Refuses).isNull());
    EXPECT_EQ(JpegCodec::Decode(Ecrit(d, "bon.jpg", Bon), 1, nullptr, JpegCodec::TAvertissements::Refuses).size(),
              QSize(64, 128));
}

TEST(JpegCodec, AbandonFlagStopsTheDecodesOfItsThreadBetweenRows)
{
    const QByteArray Donnees = JpegCodec::EncodeMemoire(Degrade(64, 256));
    ASSERT_FALSE(Donnees.isEmpty());
    std::atomic<bool> lAbandon = false;
    {
        const JpegCodec::TAbandonDecodage Abandon(lAbandon);
        // Raised half-way through: the rows after it are not decoded.
        int nDernier = -1;
        QString cErreur;
        const QImage Image = JpegCodec::DecodeMemoireTaille(Donnees, 1, &cErreur, nullptr, [&](int n) {
            nDernier = n;
            if (n >= 50)
                lAbandon = true;
        });
        EXPECT_TRUE(Image.isNull());
        EXPECT_EQ(cErreur, QStringLiteral("décodage abandonné"));
        EXPECT_GE(nDernier, 50);
        EXPECT_LT(nDernier, 60);
        EXPECT_TRUE(JpegCodec::TAbandonDecodage::Demande());

        // Another thread's decodes go on.
        QImage Ailleurs;
        std::thread([&] { Ailleurs = JpegCodec::DecodeMemoire(Donnees); }).join();
        EXPECT_EQ(Ailleurs.size(), QSize(64, 256));

        // An inner scope with its own flag, cleared, decodes; leaving it restores the outer one.
        std::atomic<bool> lInterieur = false;
        {
            const JpegCodec::TAbandonDecodage Interieur(lInterieur);
            EXPECT_EQ(JpegCodec::DecodeMemoire(Donnees, 2).size(), QSize(32, 128));
        }
        EXPECT_TRUE(JpegCodec::DecodeMemoire(Donnees).isNull());
    }
    // The scope gone, the flag still set no longer counts.
    EXPECT_FALSE(JpegCodec::TAbandonDecodage::Demande());
    EXPECT_EQ(JpegCodec::DecodeMemoire(Donnees).size(), QSize(64, 256));
}
