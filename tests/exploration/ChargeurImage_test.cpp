#include "exploration/ChargeurImage.h"
#include "exploration/RapportZoom.h"
#include "imaging/JpegCodec.h"

#include "support/Corpus.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
constexpr int nFit = RapportZoom::nAjuste;
constexpr int n11 = RapportZoom::nUnUn;
const QSize Panneau(1280, 800);

// Decoding counts only: the pictures are flat so that making them stays quick.
QString Jpeg(const QString &cDossier, const QString &cNom, int w, int h)
{
    QImage Image(w, h, QImage::Format_RGB32);
    Image.fill(QColor(40, 120, 200));
    const QString c = cDossier + "/" + cNom;
    EXPECT_TRUE(JpegCodec::Encode(Image, c));
    return c;
}

struct ChargeurImageTest : ::testing::Test
{
    static inline QTemporaryDir *Temp = nullptr;
    static inline QString cGrande;

    static void SetUpTestSuite()
    {
        Temp = new QTemporaryDir;
        cGrande = Jpeg(Temp->path(), "grande.jpg", 6000, 4000);
    }
    static void TearDownTestSuite()
    {
        delete Temp;
        Temp = nullptr;
    }

    TChargeurImage Chargeur;
    QSignalSpy Pret{&Chargeur, &TChargeurImage::Pret};

    TImageDecodee Attend()
    {
        if (Pret.isEmpty())
            EXPECT_TRUE(Pret.wait(20000));
        if (Pret.isEmpty())
            return {};
        return Pret.takeFirst().at(0).value<TImageDecodee>();
    }
    QList<int> Echelles(bool lAvance = false) const
    {
        QList<int> l;
        for (const auto &t : Chargeur.Decodages())
            if (t.lAvance == lAvance)
                l << t.nEchelle;
        return l;
    }
};
} // namespace

TEST_F(ChargeurImageTest, FitDecodesAQuarterOneToOneDecodesFullyAndBackToFitDecodesNothing)
{
    Chargeur.Demande({cGrande, nFit, Panneau});
    TImageDecodee D = Attend();
    ASSERT_TRUE(D.Valide()) << D.cErreur.toStdString();
    EXPECT_EQ(D.nEchelle, 4);
    EXPECT_EQ(D.Image.size(), QSize(1500, 1000));
    EXPECT_EQ(D.Taille.nLargeur, 6000);
    EXPECT_EQ(Echelles(), QList<int>({4}));

    Chargeur.Demande({cGrande, n11, Panneau});
    D = Attend();
    EXPECT_EQ(D.nEchelle, 1);
    EXPECT_EQ(D.Image.size(), QSize(6000, 4000));
    EXPECT_EQ(Echelles(), QList<int>({4, 1}));
    // The reduced decode stays at hand beside the full one.
    EXPECT_EQ(Chargeur.Reduite().Image.size(), QSize(1500, 1000));

    // Every zoom is now served at once from what is kept.
    for (int nZoom : {nFit, 9, 1}) {
        Chargeur.Demande({cGrande, nZoom, Panneau});
        ASSERT_EQ(Pret.size(), 1) << nZoom;
        Pret.clear();
    }
    EXPECT_EQ(Echelles(), QList<int>({4, 1}));
}

TEST_F(ChargeurImageTest, AFullDecodeThatCannotBeAllocatedKeepsTheReducedOne)
{
    Chargeur.MetOctetsMax(1500LL * 1000 * 4);
    Chargeur.Demande({cGrande, nFit, Panneau});
    ASSERT_EQ(Attend().nEchelle, 4);
    Chargeur.Demande({cGrande, n11, Panneau});
    const TImageDecodee D = Attend();
    ASSERT_TRUE(D.Valide());
    EXPECT_EQ(D.nEchelle, 4);
    // The full decode was tried once; asked again, it is not tried again.
    EXPECT_EQ(Echelles(), QList<int>({4, 1}));
    Chargeur.Demande({cGrande, n11, Panneau});
    ASSERT_EQ(Pret.size(), 1);
    EXPECT_EQ(Echelles(), QList<int>({4, 1}));
}

TEST_F(ChargeurImageTest, UnreadableFilesGiveTheirReason)
{
    const QString cCorrompu = Temp->filePath("corrompu.jpg");
    QFile f(cCorrompu);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\xFF\xD8\xFF\xE0 pas une image"));
    f.close();
    // A JPEG cut inside its header.
    const QString cTronque = Temp->filePath("tronque.jpg");
    QFile g(cGrande);
    ASSERT_TRUE(g.open(QIODevice::ReadOnly));
    QFile t(cTronque);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write(g.read(100));
    t.close();

    for (const QString &c : {cCorrompu, cTronque, Temp->filePath("disparu.jpg"), Temp->filePath("disparu.tif")}) {
        Chargeur.Demande({c, nFit, Panneau});
        const TImageDecodee D = Attend();
        EXPECT_FALSE(D.Valide()) << c.toStdString();
        EXPECT_FALSE(D.cErreur.isEmpty()) << c.toStdString();
        EXPECT_EQ(D.cFichier, c);
    }
}

TEST_F(ChargeurImageTest, ANewerRequestSupersedesTheWaitingOneAndTheNextIsDecodedAhead)
{
    QStringList c;
    for (int i = 0; i < 6; ++i)
        c << Jpeg(Temp->path(), QString("p%1.jpg").arg(i), 3000, 2000);
    // A key held down: five selections in a row, each with the next entry to decode ahead.
    for (int i = 0; i < 5; ++i)
        Chargeur.Demande({c[i], nFit, Panneau}, c[i + 1]);
    TImageDecodee D;
    do
        D = Attend();
    while (D.Valide() && D.cFichier != c[4]);
    EXPECT_EQ(D.cFichier, c[4]);
    // At most the first (already running) and the last were decoded for display.
    const QList<TChargeurImage::TTrace> Traces = Chargeur.Decodages();
    int nAffiches = 0;
    for (const auto &t : Traces)
        nAffiches += t.lAvance ? 0 : 1;
    EXPECT_LE(nAffiches, 2);

    // The next entry arrives ahead; selecting it then needs no decode.
    for (int i = 0; i < 200 && (Chargeur.Occupe() || Echelles(true).isEmpty()); ++i)
        QTest::qWait(20);
    QCoreApplication::processEvents();
    ASSERT_FALSE(Echelles(true).isEmpty());
    const int nAvant = Chargeur.Decodages().size();
    Pret.clear();
    Chargeur.Demande({c[5], nFit, Panneau});
    ASSERT_EQ(Pret.size(), 1);
    EXPECT_EQ(Pret.at(0).at(0).value<TImageDecodee>().cFichier, c[5]);
    EXPECT_EQ(Chargeur.Decodages().size(), nAvant);
}

TEST_F(ChargeurImageTest, ARawIsDevelopedAtHalfSizeWhenHalfCoversTheFit)
{
    const QString cRaw = Corpus::Fichier("kinds/crw/gil_RAW_CANON_D30_SRGB.CRW");
    if (cRaw.isEmpty())
        GTEST_SKIP() << "pas de CRW dans le corpus";
    Chargeur.Demande({cRaw, nFit, QSize(800, 600)});
    TImageDecodee D = Attend();
    ASSERT_TRUE(D.Valide()) << D.cErreur.toStdString();
    EXPECT_EQ(D.nEchelle, 2);
    EXPECT_NEAR(D.Image.width(), D.Taille.nLargeur / 2, 2);

    Chargeur.Demande({cRaw, n11, QSize(800, 600)});
    D = Attend();
    EXPECT_EQ(D.nEchelle, 1);
    EXPECT_EQ(D.Image.width(), D.Taille.nLargeur);
}
