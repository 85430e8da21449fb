#include "filters/ColorMotif.h"
#include "filters/Filtres.h"
#include "filters/ImageFiltree.h"
#include "imaging/NomVignette.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"
#include "treatments/TraitementsImage.h"
#include "support/EcritJpeg.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
struct TBanc
{
    QTemporaryDir Temp;
    QString cPhotos, cVignettes, cMotifs;
    TBigIniFile iniSetup;
    TBigIniFile iniBDD;
    TEnrFiltres Enr;
    TContexteFiltre Ctx;
    TEtatFiltre Etat;
    QStringList Messages;

    TBanc()
        : iniSetup(QDir(Temp.path()).filePath("KX_Setup.ini")), iniBDD(QDir(Temp.path()).filePath("KX_BDD.ini"), true)
    {
        iniSetup.lAutoSave = false;
        iniBDD.lAutoSave = false;
        cPhotos = Temp.filePath("photos/");
        cVignettes = Temp.filePath("Vignettes/");
        cMotifs = Temp.filePath("Motifs/");
        for (const QString &c : {cPhotos, cVignettes, cMotifs})
            QDir().mkpath(c);
        Ctx.iniSetup = &iniSetup;
        Ctx.iniBDD = &iniBDD;
        Ctx.cDossierVignettes = cVignettes;
        Ctx.cDossierMotifs = cMotifs;
        Ctx.iniSetupVignettes = &iniSetup;
        Ctx.nDVignettes = 160;
        Ctx.nFilsPixels = -1;
        Ctx.fnAttention = [this](const QString &c) { Messages << c; };
    }
    QString Vignette(const QString &cNom, qint32 nCD = 0) const
    {
        return NomVignette(cVignettes, nCD, nCD ? "/" + cNom : cPhotos + cNom);
    }
    // An image file of one colour and, unless told otherwise, its cached thumbnail of another.
    void Image(const QString &cNom, const QColor &Fichier, std::optional<QColor> Vign)
    {
        ASSERT_TRUE(EcritJpeg(cPhotos + cNom, 320, 240, Fichier));
        if (Vign)
            ASSERT_TRUE(EcritJpeg(Vignette(cNom), 160, 120, *Vign));
    }
    void Couleur(int nTeinte)
    {
        Enr.nMethColorimetrie = 4;
        Enr.nTeinte = static_cast<quint8>(nTeinte);
        Enr.nTolColorimetrie = 16;
        Enr.nSeuilColorimetrie = 50;
        CalculeIndicateurs(Enr, false);
    }
    void Prepare() { ASSERT_FALSE(PrepareFiltre(Etat, Enr, Ctx).has_value()); }
    // cOrientation: the EXIF orientation the candidate's metadata give.
    bool Teste(const QString &cNom, TCandidatFiltre *pSortie = nullptr, qint32 nCD = 0,
               const QString &cOrientation = "1")
    {
        TCandidatFiltre c;
        c.nNumCD = nCD;
        c.cChemin = nCD ? "/" + cNom : cPhotos + cNom;
        c.lClasse = false;
        c.fnLitMeta = [cOrientation](TDonneesEXIF &x, TDonneesIPTC &) {
            x.lEXIF = true;
            x.cOrientation = cOrientation;
        };
        const bool l = ImageFiltree(Etat, c);
        if (pSortie)
            *pSortie = c;
        return l;
    }
    // The record prepared, one candidate tested, the preparation released.
    bool Passe(const QString &cNom, TCandidatFiltre *pSortie = nullptr, qint32 nCD = 0)
    {
        Prepare();
        const bool l = Teste(cNom, pSortie, nCD);
        LibereFiltre(Etat);
        return l;
    }
};

QImage Blocs(int nCote)
{
    static const QList<QColor> Couleurs = {Qt::red,     Qt::blue,     Qt::green,           Qt::yellow,
                                           Qt::cyan,    Qt::magenta,  QColor(255, 128, 0), QColor(128, 0, 255),
                                           Qt::darkRed, Qt::darkBlue, Qt::darkGreen,       Qt::darkYellow};
    QImage Image(4 * nCote, 3 * nCote, QImage::Format_RGB32);
    QPainter p(&Image);
    for (int i = 0; i < 12; ++i)
        p.fillRect((i % 4) * nCote, (i / 4) * nCote, nCote, nCote, Couleurs[i]);
    return Image;
}
}

TEST(ColorMotif, TheCachedThumbnailIsJudgedNotTheImageFile)
{
    TBanc b;
    b.Image("a.jpg", Qt::blue, QColor(Qt::red));
    b.Couleur(0);
    TCandidatFiltre c;
    EXPECT_TRUE(b.Passe("a.jpg", &c));
    EXPECT_EQ(c.nPctCouleur, 100);
    EXPECT_EQ(b.Enr.nResColorimetrie, 100);
    b.Couleur(159);
    EXPECT_FALSE(b.Passe("a.jpg", &c));
    EXPECT_EQ(c.nPctCouleur, 0);

    // An unreadable thumbnail fails, and neither it nor the image is touched.
    QFile f(b.Vignette("a.jpg"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("pas une image");
    f.close();
    const QByteArray Avant = [&] {
        QFile i(b.cPhotos + "a.jpg");
        return i.open(QIODevice::ReadOnly) ? i.readAll() : QByteArray();
    }();
    b.Couleur(159);
    EXPECT_FALSE(b.Passe("a.jpg", &c));
    EXPECT_EQ(QFileInfo(b.Vignette("a.jpg")).size(), 13);
    QFile i(b.cPhotos + "a.jpg");
    ASSERT_TRUE(i.open(QIODevice::ReadOnly));
    EXPECT_EQ(i.readAll(), Avant);
}

TEST(ColorMotif, AReachableImageWithoutThumbnailGetsOneAnAbsentOneFails)
{
    TBanc b;
    b.Image("jamais.jpg", Qt::red, std::nullopt);
    b.Couleur(0);
    EXPECT_FALSE(QFileInfo::exists(b.Vignette("jamais.jpg")));
    TCandidatFiltre c;
    EXPECT_TRUE(b.Passe("jamais.jpg", &c));
    EXPECT_EQ(c.nPctCouleur, 100);
    EXPECT_TRUE(QFileInfo::exists(b.Vignette("jamais.jpg")));
    // Made to the grid's size, as listing would.
    TTailleImage t;
    ASSERT_TRUE(JpegCodec::LitTaille(b.Vignette("jamais.jpg"), t));
    EXPECT_EQ(t.nLargeur, 160);

    // An image of an absent CD without thumbnail cannot be judged; with one it is.
    EXPECT_FALSE(b.Passe("cd.jpg", &c, 4242));
    EXPECT_FALSE(QFileInfo::exists(b.Vignette("cd.jpg", 4242)));
    ASSERT_TRUE(EcritJpeg(b.Vignette("cd.jpg", 4242), 160, 120, Qt::red));
    EXPECT_TRUE(b.Passe("cd.jpg", &c, 4242));
    // A file that is gone fails too.
    EXPECT_FALSE(b.Passe("parti.jpg", &c));
}

TEST(ColorMotif, RemembersTreatmentsThroughTheSeam)
{
    TBanc b;
    b.Image("a.jpg", Qt::red, QColor(Qt::red));
    b.Ctx.fnTraitement = [](const TCandidatFiltre &c) -> std::function<void(QImage &)> {
        if (!c.cChemin.endsWith("a.jpg"))
            return nullptr;
        return [](QImage &i) { i.invertPixels(); };
    };
    b.Couleur(120); // cyan
    EXPECT_TRUE(b.Passe("a.jpg"));
    b.Couleur(0);
    EXPECT_FALSE(b.Passe("a.jpg"));
}

TEST(ColorMotif, ThumbnailsAreJudgedWithTheirRememberedTreatments)
{
    TBanc b;
    TEnrParametres Parametres;
    b.Ctx.pParametres = &Parametres;
    b.Image("a.jpg", Qt::red, QColor(Qt::red));
    ASSERT_TRUE(BasculeTrt(b.iniSetup, Parametres, CleImage(0, b.cPhotos + "a.jpg"), "1", 6));
    b.Couleur(120); // cyan
    EXPECT_TRUE(b.Passe("a.jpg"));
    b.Couleur(0);
    EXPECT_FALSE(b.Passe("a.jpg"));

    // The automatic orientation turns the thumbnail before its pattern is compared, whether it
    // is judged ahead of the walk or when the walk reaches it.
    ASSERT_TRUE(Blocs(10).save(b.cMotifs + "blocs.png"));
    ASSERT_TRUE(JpegCodec::Encode(Blocs(40).transformed(QTransform().rotate(180)), b.Vignette("tourne.jpg")));
    b.Enr = TEnrFiltres();
    b.Enr.cMotif = "blocs.png";
    b.Enr.nMethPixMotif = 7;
    b.Enr.nSeuilMotif = 90;
    CalculeIndicateurs(b.Enr, true);
    for (int nFils : {-1, 2}) {
        b.Ctx.nFilsPixels = nFils;
        for (const char *cOrientation : {"1", "3"}) {
            b.Prepare();
            AnnonceCandidat(b.Etat, 0, b.cPhotos + "tourne.jpg");
            const bool l = b.Teste("tourne.jpg", nullptr, 0, cOrientation);
            LibereFiltre(b.Etat);
            EXPECT_EQ(l, QString(cOrientation) == "3") << nFils << " " << cOrientation;
        }
    }
    // Without the automatic orientation the picture stays as stored.
    Parametres.lOrientationAuto = false;
    b.Prepare();
    EXPECT_FALSE(b.Teste("tourne.jpg", nullptr, 0, "3"));
    LibereFiltre(b.Etat);
}

TEST(ColorMotif, APatternIsLoadedOncePerBuildAndJudgedOnThumbnails)
{
    TBanc b;
    ASSERT_TRUE(Blocs(10).save(b.cMotifs + "blocs.png"));
    // Thumbnails: the pattern enlarged, its mirror, something else.
    ASSERT_TRUE(JpegCodec::Encode(Blocs(40), b.Vignette("meme.jpg")));
    ASSERT_TRUE(JpegCodec::Encode(Blocs(40).mirrored(true, false), b.Vignette("miroir.jpg")));
    ASSERT_TRUE(EcritJpeg(b.Vignette("gris.jpg"), 160, 120, Qt::gray));
    b.Enr.cMotif = "blocs.png";
    b.Enr.nMethPixMotif = 7;
    b.Enr.nTolMotif = 32;
    b.Enr.nSeuilMotif = 90;
    CalculeIndicateurs(b.Enr, true);
    ASSERT_TRUE(b.Enr.lMotif);
    b.Prepare();
    TCandidatFiltre c;
    EXPECT_TRUE(b.Teste("meme.jpg", &c));
    EXPECT_GE(c.nPctMotif, 90);
    EXPECT_FALSE(b.Teste("miroir.jpg"));
    EXPECT_FALSE(b.Teste("gris.jpg", &c));
    EXPECT_EQ(c.nPctMotif, 0);
    LibereFiltre(b.Etat);
    b.Enr.lMotifSym = true;
    EXPECT_TRUE(b.Passe("miroir.jpg"));
    EXPECT_TRUE(b.Messages.isEmpty());
}

TEST(ColorMotif, AMissingOrRefusedPatternFailsEveryImageAndIsToldOnce)
{
    TBanc b;
    b.Image("a.jpg", Qt::red, QColor(Qt::red));
    b.Image("b.jpg", Qt::red, QColor(Qt::red));
    b.Enr.nMethPixMotif = 4;
    b.Enr.nSeuilMotif = 10;
    const auto Essaie = [&b](const QString &cMotif) {
        b.Messages.clear();
        b.Enr.cMotif = cMotif;
        CalculeIndicateurs(b.Enr, true);
        b.Prepare();
        const bool l = b.Teste("a.jpg") || b.Teste("b.jpg");
        LibereFiltre(b.Etat);
        return l;
    };
    EXPECT_FALSE(Essaie("absent.jpg"));
    EXPECT_EQ(b.Messages, QStringList{"Motif introuvable ou illisible : " + b.cMotifs + "absent.jpg"});
    // A readable picture outside the pattern folder is refused all the same.
    ASSERT_TRUE(EcritJpeg(b.Temp.filePath("x.jpg"), 40, 30, Qt::red));
    EXPECT_FALSE(Essaie("../x.jpg"));
    EXPECT_EQ(b.Messages.size(), 1);
    QFile f(b.cMotifs + "casse.jpg");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xFF\xD8 rien");
    f.close();
    EXPECT_FALSE(Essaie("casse.jpg"));
    EXPECT_EQ(b.Messages.size(), 1);

    // A zone from a hand-edited store: inverted leaves no pattern; beyond the picture, clamped.
    ASSERT_TRUE(EcritJpeg(b.cMotifs + "rouge.jpg", 40, 30, Qt::red));
    b.Enr.lMotifZone = true;
    b.Enr.nMethZoneMotif = 1;
    b.Enr.rZoneMotif = QRect(QPoint(30, 20), QPoint(5, 5));
    EXPECT_FALSE(Essaie("rouge.jpg"));
    EXPECT_EQ(b.Messages.size(), 1);
    b.Enr.rZoneMotif = QRect(QPoint(-100, -100), QPoint(9000, 9000));
    EXPECT_TRUE(Essaie("rouge.jpg"));
    EXPECT_TRUE(b.Messages.isEmpty());
}

// The work ahead of the walk (worker threads) must admit the same images with the same
// percentages as judging each one when the walk reaches it.
TEST(ColorMotif, WorkAheadGivesWhatOneThreadGives)
{
    TBanc b;
    ASSERT_TRUE(Blocs(10).save(b.cMotifs + "blocs.png"));
    QStringList Noms;
    const QList<QColor> Couleurs = {Qt::red, Qt::blue, QColor(200, 30, 30), Qt::green, QColor(255, 80, 80)};
    for (int i = 0; i < 24; ++i) {
        const QString cNom = QStringLiteral("img%1.%2").arg(i, 2, 10, QLatin1Char('0')).arg(i % 6 == 5 ? "png" : "jpg");
        Noms << cNom;
        QImage Image = i % 4 == 0 ? Blocs(20 + i) : QImage(200, 150, QImage::Format_RGB32);
        if (i % 4 != 0)
            Image.fill(Couleurs[i % Couleurs.size()]);
        ASSERT_TRUE(Image.save(b.cPhotos + cNom));
        // Some have no thumbnail yet, the PNG files none.
        if (i % 3 != 0 && i % 6 != 5)
            ASSERT_TRUE(JpegCodec::Encode(Image.scaled(160, 120), b.Vignette(cNom)));
    }
    b.Enr.lPNG = false; // the walk skips those before their thumbnail is looked at
    b.Couleur(0);
    b.Enr.cMotif = "blocs.png";
    b.Enr.nMethPixMotif = 6;
    b.Enr.nSeuilMotif = 10;
    b.Enr.lMotifSym = true;
    CalculeIndicateurs(b.Enr, true);

    const auto Liste = [&](int nFils, int nArret) {
        b.Ctx.nFilsPixels = nFils;
        b.Prepare();
        for (const QString &n : Noms)
            AnnonceCandidat(b.Etat, 0, b.cPhotos + n);
        QStringList r;
        for (int i = 0; i < nArret; ++i) {
            TCandidatFiltre c;
            const bool l = b.Teste(Noms[i], &c);
            r << QStringLiteral("%1 %2 %3 %4").arg(Noms[i]).arg(l ? 1 : 0).arg(c.nPctCouleur).arg(c.nPctMotif);
        }
        LibereFiltre(b.Etat);
        return r;
    };
    const auto Vignettes = [&] {
        QStringList v = QDir(b.cVignettes).entryList(QDir::Files);
        v.sort();
        return v;
    };
    const QStringList VignettesAvant = Vignettes();

    // Stopped after 10 images: the thumbnails made ahead for the others are removed.
    const QStringList Arret = Liste(3, 10);
    EXPECT_EQ(Vignettes().size(), VignettesAvant.size() + 4); // img00, img03, img06 and img09 made
    const QStringList UnFil = Liste(-1, Noms.size());
    for (const QString &c : {QString("img00.jpg"), QString("img12.jpg")})
        EXPECT_TRUE(QFileInfo::exists(b.Vignette(c))) << c.toStdString();
    EXPECT_FALSE(QFileInfo::exists(b.Vignette("img05.png")));
    EXPECT_FALSE(QFileInfo::exists(b.Vignette("img11.png")));
    const QStringList VignettesUnFil = Vignettes();
    EXPECT_EQ(Arret, UnFil.mid(0, 10));
    // Every thumbnail now exists: judged ahead on three threads, then on one, as on none.
    EXPECT_EQ(Liste(3, Noms.size()), UnFil);
    EXPECT_EQ(Liste(1, Noms.size()), UnFil);
    EXPECT_EQ(Vignettes(), VignettesUnFil);
    // Some admitted, some not, some by the pattern.
    EXPECT_GT(UnFil.filter(" 1 ").size(), 0);
    EXPECT_GT(UnFil.filter(" 0 ").size(), 0);
}
