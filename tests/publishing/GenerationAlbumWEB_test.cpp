#include "publishing/BulleAlbumWEB.h"
#include "publishing/GenerationAlbumWEB.h"

#include "BancPublication.h"
#include "classification/ArboCriteres.h"
#include "imaging/FileKinds.h"
#include "storage/Settings.h"
#include "support/EcritJpeg.h"

#include <QDirIterator>
#include <QMutex>
#include <QRegularExpression>

#include <sys/stat.h>

namespace
{
qint64 DateNs(const QString &c)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(c).constData(), &st) != 0)
        return -1;
    return qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

QSize TailleJpeg(const QString &c)
{
    TTailleImage t;
    if (!JpegCodec::LitTaille(c, t))
        return {};
    return QSize(int(t.nLargeur), int(t.nHauteur));
}

// Every file and folder under a folder, relative to it, sorted, joined by "|".
QString Arbre(QString cDossier)
{
    if (cDossier.endsWith(QLatin1Char('/')))
        cDossier.chop(1);
    QStringList l;
    QDirIterator it(cDossier, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        l << it.next().mid(cDossier.size() + 1);
    l.sort();
    return l.join(QLatin1Char('|'));
}

class GenerationAlbumWEB : public BancPublication
{
protected:
    void SetUp() override
    {
        BancPublication::SetUp();
        cAlbum = cRacine + QStringLiteral("/album/");
        QDir().mkpath(cAlbum);
        Options.cAWDossierAlbum = cAlbum;
        Params.iniSetup = iniSetup.get();
        Params.iniBDD = iniBDD.get();
        Params.pVolumes = &Volumes;
        Params.cDossierVignettes = cVignettes;
        Params.nTailleVignette = 100;
        Params.nFils = 2;
        Params.Suivi.Avance = [this](qint64 n, qint64 nMax) {
            Positions << n;
            nMaximum = nMax;
        };
    }

    QString Jpeg(const QString &cRelatif, int w, int h, const QColor &c = Qt::darkCyan)
    {
        const QString cChemin = cRacine + QLatin1Char('/') + cRelatif;
        EXPECT_TRUE(EcritJpeg(cChemin, w, h, c)) << cChemin.toStdString();
        return cChemin;
    }

    // An image handed in by a caller, as the database explorer does.
    void Liste(const QString &cChemin, const QString &cHint = {})
    {
        TEnrLstAW l;
        l.EnrLV.cChemin = cChemin;
        l.EnrLV.lExiste = QFileInfo::exists(cChemin);
        const QSize t = TailleJpeg(cChemin);
        l.EnrLV.nLargeur = t.width();
        l.EnrLV.nHauteur = t.height();
        TailleEtDate(cChemin, l.EnrLV.nTaille, l.EnrLV.nDate);
        l.imVignette = QImage(40, 30, QImage::Format_RGB32);
        l.imVignette.fill(Qt::red);
        l.cHint = cHint;
        Source.lstImages << l;
    }

    QString Page(const QString &cRelatif) const { return QString::fromUtf8(LitFichier(cAlbum + cRelatif)); }

    TBilanAlbumWEB Genere() { return GenererAlbumWEB(Source, Options, Params); }

    QString cAlbum;
    TSourceDonneesAW Source{saListeImages, nullptr, {}, {}};
    TOptionsAlbumWEB Options;
    TParamsAlbumWEB Params;
    QList<qint64> Positions;
    qint64 nMaximum = -1;
};

TEST_F(GenerationAlbumWEB, SevenImagesInThreeColumnsWithTwoOfTheSameName)
{
    for (int i = 0; i < 6; ++i)
        Liste(Jpeg(QStringLiteral("p/img%1.jpg").arg(i), 64, 48));
    Liste(Jpeg(QStringLiteral("q/img0.jpg"), 64, 48));
    Options.nAWNbCol = 3;
    Options.nAWContAlbum = caVignettesEtLiens;

    const TBilanAlbumWEB b = Genere();
    ASSERT_TRUE(b.cErreur.isEmpty()) << b.cErreur.toStdString();
    EXPECT_EQ(b.nImages, 7);
    EXPECT_EQ(b.nNonTraitees, 0);
    EXPECT_TRUE(b.TexteNonTraitees().isEmpty());

    const QString cIndex = Page(QStringLiteral("Index.htm"));
    EXPECT_EQ(cIndex.count(QStringLiteral("<TR ALIGN=\"CENTER\" BGCOLOR=\"#c0c0c0\">")), 3);
    EXPECT_EQ(cIndex.count(QStringLiteral("<TD WIDTH=\"33%\"><A HREF=")), 7);
    // The second img0.jpg, from another folder, gets the next free name in both folders.
    EXPECT_TRUE(cIndex.contains(QStringLiteral("<A HREF=\"Image.htm?img0(2).jpg\" target=\"_blank\">"
                                               "<IMG SRC=\"Vignettes/img0(2).jpg\"")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Images/img0(2).jpg")));
    EXPECT_TRUE(cIndex.endsWith(QStringLiteral("</HTML>\r\n")));
    const QString cImage = Page(QStringLiteral("Image.htm"));
    EXPECT_TRUE(cImage.contains(QStringLiteral("nNbMaxImgs=7;")));
    EXPECT_TRUE(cImage.contains(QStringLiteral("aImgs[6] = \"img0(2).jpg\";")));

    // Row by row: 9 positions for 7 images in rows of 3, the maximum being the images less one.
    EXPECT_EQ(Positions, (QList<qint64>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(nMaximum, 6);

    for (const char *c : {"btPrem.jpg", "btPrec.jpg", "btSuiv.jpg", "btDern.jpg"})
        EXPECT_EQ(TailleJpeg(cAlbum + QLatin1String(c)), QSize(30, 30)) << c;
    EXPECT_EQ(TailleJpeg(cAlbum + QStringLiteral("Vignettes/img3.jpg")), QSize(40, 30));
    // Untreated and not reduced: copied as it is.
    EXPECT_EQ(LitFichier(cAlbum + QStringLiteral("Images/img3.jpg")),
              LitFichier(cRacine + QStringLiteral("/p/img3.jpg")));
}

TEST_F(GenerationAlbumWEB, ReductionReencodesAtTheSourceDateAndCopiesTheRest)
{
    const QString cGrande = Jpeg(QStringLiteral("a/grande.jpg"), 1600, 1200);
    const QString cLarge = Jpeg(QStringLiteral("a/large.jpg"), 1000, 700);
    const QString cPetite = Jpeg(QStringLiteral("a/petite.jpg"), 640, 480);
    for (const QString &c : {cGrande, cLarge, cPetite}) {
        QFile f(c);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.setFileTime(QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)), QFileDevice::FileModificationTime);
        Liste(c);
    }
    Options.nAWContAlbum = caImagesSeules;
    Options.cAWRedImgTailleMax = QStringLiteral("800");

    const TBilanAlbumWEB b = Genere();
    ASSERT_TRUE(b.cErreur.isEmpty()) << b.cErreur.toStdString();
    EXPECT_EQ(TailleJpeg(cAlbum + QStringLiteral("Images/grande.jpg")), QSize(800, 600));
    EXPECT_EQ(TailleJpeg(cAlbum + QStringLiteral("Images/large.jpg")), QSize(800, 560));
    EXPECT_EQ(LitFichier(cAlbum + QStringLiteral("Images/petite.jpg")), LitFichier(cPetite));
    for (const char *c : {"grande.jpg", "large.jpg", "petite.jpg"})
        EXPECT_EQ(DateNs(cAlbum + QStringLiteral("Images/") + QLatin1String(c)),
                  DateNs(cRacine + QStringLiteral("/a/") + QLatin1String(c)))
            << c;
    // "Images seules" writes no thumbnail and no single-image page.
    EXPECT_FALSE(QFileInfo::exists(cAlbum + QStringLiteral("Vignettes")));
    EXPECT_FALSE(QFileInfo::exists(cAlbum + QStringLiteral("Image.htm")));
    EXPECT_TRUE(Page(QStringLiteral("Index.htm")).contains(QStringLiteral("<IMG SRC=\"Images/grande.jpg\"")));
}

TEST_F(GenerationAlbumWEB, TreatmentsAreAppliedBeforeTheReductionAndTurnItsSides)
{
    const QString cGrande = Jpeg(QStringLiteral("a/grande.jpg"), 1600, 1200);
    const QString cSans = Jpeg(QStringLiteral("a/sans.jpg"), 640, 480);
    Liste(cGrande);
    Liste(cSans);
    iniSetup->WriteString(cSectionRotations, cGrande, QStringLiteral("1"));
    QStringList Traitees;
    QMutex Verrou;
    Params.AppliqueTrts = [&](QImage &Image, const QString &cCle, const QString &) {
        QMutexLocker l(&Verrou);
        Traitees << cCle;
        Image = Image.transformed(QTransform().rotate(90));
    };
    Options.nAWContAlbum = caImagesSeules;
    Options.cAWRedImgTailleMax = QStringLiteral("800");

    ASSERT_TRUE(Genere().cErreur.isEmpty());
    EXPECT_EQ(TailleJpeg(cAlbum + QStringLiteral("Images/grande.jpg")), QSize(600, 800));
    EXPECT_EQ(Traitees, QStringList{cGrande});
    EXPECT_EQ(LitFichier(cAlbum + QStringLiteral("Images/sans.jpg")), LitFichier(cSans));

    // An EXIF orientation other than "1" asks for a re-encoding too, when automatic.
    Source.lstImages[1].EnrLV.cOrientation = QStringLiteral("6");
    QDir(cAlbum).removeRecursively();
    QDir().mkpath(cAlbum);
    ASSERT_TRUE(Genere().cErreur.isEmpty());
    EXPECT_EQ(TailleJpeg(cAlbum + QStringLiteral("Images/sans.jpg")), QSize(480, 640));
}

TEST_F(GenerationAlbumWEB, HostileNamesAndLegendsStayText)
{
    const QString cNom = QStringLiteral("a\"b'c<d&e#f?g%h é.jpg");
    Liste(Jpeg(QStringLiteral("h/") + cNom, 32, 24), QStringLiteral("<SG>x</SG/>\"</script><b>"));
    iniSetup->WriteString(cSectionLegendes, cRacine + QStringLiteral("/h/") + cNom,
                          QStringLiteral("l1\r\n</script><script>alert(1)</script>'\""));
    Options.nAWContAlbum = caFrames;
    Options.lAWAffLegende = true;
    Options.cAWNomFenCipale = QStringLiteral("</title><i>");

    const TBilanAlbumWEB b = Genere();
    ASSERT_TRUE(b.cErreur.isEmpty()) << b.cErreur.toStdString();
    const QString cSortie = QStringLiteral("a\"b'c<d&e#f?g%h_é.jpg");
    EXPECT_EQ(b.cPremiereImage, cSortie);
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Images/") + cSortie));
    for (const char *c : {"Index.htm", "Vignettes.htm", "Image.htm"}) {
        const QString p = Page(QLatin1String(c));
        // One script at most, closed once; no foreign element.
        EXPECT_LE(p.count(QStringLiteral("</script>")), 1) << c;
        EXPECT_FALSE(p.contains(QStringLiteral("<b>"))) << c;
        EXPECT_FALSE(p.contains(QStringLiteral("<i>"))) << c;
        EXPECT_FALSE(p.contains(QStringLiteral("l1\r\n"))) << c;
    }
    EXPECT_TRUE(Page(QStringLiteral("Index.htm"))
                    .contains(QStringLiteral("Image.htm?a%22b%27c%3Cd%26e%23f%3Fg%25h_%C3%A9.jpg")));
    EXPECT_TRUE(
        Page(QStringLiteral("Vignettes.htm")).contains(QStringLiteral("ALT=\"x&quot;&lt;/script&gt;&lt;b&gt;\"")));
}

TEST_F(GenerationAlbumWEB, RefusalsWriteNothing)
{
    // A node path that climbs out of the album.
    iniSetup->WriteString(cSectionAlbumWeb + QStringLiteral(":Perso"), QStringLiteral("<aDossiers>"),
                          QStringLiteral("Haut|Haut/..|"));
    iniSetup->WriteString(cSectionAlbumWeb + QStringLiteral(":Perso:Haut"), Jpeg(QStringLiteral("x.jpg"), 8, 8), {});
    Source = {saHierPerso, nullptr, {}, QStringLiteral("Perso")};
    TBilanAlbumWEB b = Genere();
    EXPECT_TRUE(b.lRefuse);
    EXPECT_EQ(b.cErreur, QStringLiteral("Nom de dossier impossible dans un album WEB : « Haut/.. »."));
    EXPECT_EQ(Arbre(cAlbum), QString());
    EXPECT_EQ(Arbre(cRacine).split(QLatin1Char('|')).filter(QStringLiteral(".jpg")),
              QStringList{QStringLiteral("x.jpg")});

    // An album folder that is not empty.
    EcritFichier(cAlbum + QStringLiteral("deja.txt"), "x");
    Source = {saListeImages, nullptr, {}, {}};
    Liste(cRacine + QStringLiteral("/x.jpg"));
    b = Genere();
    EXPECT_TRUE(b.lRefuse);
    EXPECT_TRUE(b.cErreur.contains(QStringLiteral("n'est pas vide"))) << b.cErreur.toStdString();
    EXPECT_EQ(Arbre(cAlbum), QStringLiteral("deja.txt"));
}

TEST_F(GenerationAlbumWEB, AFolderThatCannotBeMadeStopsTheAlbumAndKeepsWhatWasWritten)
{
    // The second node's folder would be the first node's table page.
    iniSetup->WriteString(cSectionAlbumWeb + QStringLiteral(":Perso"), QStringLiteral("<aDossiers>"),
                          QStringLiteral("X|X/Vignettes.htm|Y"));
    Source = {saHierPerso, nullptr, {}, QStringLiteral("Perso")};
    const TBilanAlbumWEB b = Genere();
    EXPECT_FALSE(b.lRefuse);
    EXPECT_TRUE(b.cErreur.startsWith(QStringLiteral("Impossible d'écrire « ") + cAlbum
                                     + QStringLiteral("X/Vignettes.htm » : ")))
        << b.cErreur.toStdString();
    EXPECT_TRUE(QFileInfo(cAlbum + QStringLiteral("X/Vignettes.htm")).isFile());
    EXPECT_FALSE(QFileInfo::exists(cAlbum + QStringLiteral("Y")));
    EXPECT_FALSE(QFileInfo::exists(cAlbum + QStringLiteral("Hierarchie.htm")));
}

TEST_F(GenerationAlbumWEB, FailedImageIsCountedItsCellKeptAndEscStopsAfterTheRow)
{
    for (int i = 0; i < 5; ++i)
        Liste(Jpeg(QStringLiteral("p/i%1.jpg").arg(i), 16, 16));
    // Listed, then gone: its copy fails.
    QFile::remove(cRacine + QStringLiteral("/p/i1.jpg"));
    Options.nAWNbCol = 2;
    Options.nAWContAlbum = caVignettesEtLiens;
    int nRangees = 0;
    Params.Suivi.Interrompu = [&] { return ++nRangees == 2; };

    const TBilanAlbumWEB b = Genere();
    EXPECT_TRUE(b.lInterrompu);
    EXPECT_EQ(b.nImages, 4);
    EXPECT_EQ(b.nNonTraitees, 1);
    EXPECT_EQ(b.TexteNonTraitees(), QStringLiteral("1 image(s) n'ont(a) pas été traitée(s)."));
    const QString cIndex = Page(QStringLiteral("Index.htm"));
    EXPECT_TRUE(cIndex.contains(QStringLiteral("Image.htm?i1.jpg")));
    EXPECT_FALSE(cIndex.contains(QStringLiteral("i4.jpg")));
    EXPECT_TRUE(cIndex.endsWith(QStringLiteral("</HTML>\r\n")));
    EXPECT_TRUE(Page(QStringLiteral("Image.htm")).contains(QStringLiteral("nNbMaxImgs=4;")));
    EXPECT_FALSE(QFileInfo::exists(cAlbum + QStringLiteral("Images/i1.jpg")));
    EXPECT_FALSE(QFileInfo::exists(cAlbum + QStringLiteral("Images/i4.jpg")));
}

TEST_F(GenerationAlbumWEB, FolderHierarchyWithFramesMakesMissingThumbnailsAndNamesWrittenImages)
{
    Jpeg(QStringLiteral("src/b.jpg"), 300, 200);
    Jpeg(QStringLiteral("src/Sous/c d.jpg"), 200, 300);
    QDir().mkpath(cRacine + QStringLiteral("/src/Vide"));
    Source = {saHierDossiers, nullptr, {}, cRacine + QStringLiteral("/src/")};
    Options.nAWContAlbum = caFrames;
    Options.nAWDispoVig = dvVignettesAGauche;

    const TComptesAlbumWEB c = CompterImagesAlbumWEB(Source, Params);
    EXPECT_EQ(c.nImgsSource, 2);
    EXPECT_EQ(c.nDisponibles, 2);

    const TBilanAlbumWEB b = Genere();
    ASSERT_TRUE(b.cErreur.isEmpty()) << b.cErreur.toStdString();
    EXPECT_EQ(b.nImages, 2);
    EXPECT_EQ(Arbre(cAlbum).split(QLatin1Char('|')),
              (QStringList{"Hierarchie.htm", "Image.htm",          "Images",
                           "Images/b.jpg",   "Index.htm",          "Sous",
                           "Sous/Image.htm", "Sous/Images",        "Sous/Images/c_d.jpg",
                           "Sous/Vignettes", "Sous/Vignettes.htm", "Sous/Vignettes/c_d.jpg",
                           "Vide",           "Vide/Image.htm",     "Vide/Vignettes.htm",
                           "Vignettes",      "Vignettes.htm",      "Vignettes/b.jpg",
                           "bmDossierF.jpg", "bmDossierO.jpg",     "btDern.jpg",
                           "btPrec.jpg",     "btPrem.jpg",         "btSuiv.jpg"}));
    // The thumbnails came through the cache, which now holds them.
    EXPECT_EQ(TailleJpeg(cAlbum + QStringLiteral("Sous/Vignettes/c_d.jpg")).height(), 100);
    EXPECT_EQ(QDir(cVignettes).entryList(QDir::Files).size(), 2);

    EXPECT_TRUE(Page(QStringLiteral("Index.htm")).contains(QStringLiteral("<FRAME SRC=\"Image.htm?b.jpg\"")));
    const QString cArbre = Page(QStringLiteral("Hierarchie.htm"));
    EXPECT_TRUE(cArbre.contains(QStringLiteral("ClickDossier(this, 'Sous/', 'c_d.jpg');\">Sous <BR>")));
    EXPECT_TRUE(cArbre.contains(QStringLiteral("ClickDossier(this, 'Vide/', '');\">Vide <BR>")));
    // One image per row on the left; the empty node's page has no script.
    EXPECT_TRUE(Page(QStringLiteral("Vignettes.htm")).contains(QStringLiteral("<TD WIDTH=\"100%\">")));
    EXPECT_FALSE(Page(QStringLiteral("Vide/Image.htm")).contains(QStringLiteral("<script")));
    EXPECT_TRUE(Page(QStringLiteral("Sous/Image.htm")).contains(QStringLiteral("SRC=\"../btPrem.jpg\"")));
}

TEST_F(GenerationAlbumWEB, CriterionHierarchyReadsTheCatalogueOnce)
{
    for (const char *c : {"Lieux", "Lieux/France", "Lieux/France/Paris", "Lieux/Italie", "Gens"})
        iniSetup->WriteString(cSectionCritHier, QLatin1String(c), {});
    TEnrParametres Parametres;
    TArboCriteres Arbo;
    Arbo.ChargerArboCritHier(*iniSetup, Parametres, cDonnees + QStringLiteral("ImgsCH/"));
    const QString a = Jpeg(QStringLiteral("i/a.jpg"), 8, 8), b = Jpeg(QStringLiteral("i/b.jpg"), 8, 8);
    iniBDD->WriteString(a, QStringLiteral("Lieux/France/Paris"), {});
    iniBDD->WriteString(b, QStringLiteral("Lieux/France"), {});
    iniBDD->WriteString(b, QStringLiteral("Gens"), {});
    iniBDD->WriteString(QStringLiteral("/absente.jpg"), QStringLiteral("Lieux/Italie"), {});

    QList<TEnrAWH> n = ConstruireHierarchieCritere(*iniBDD, Arbo, QStringLiteral("Lieux/France"), false);
    ASSERT_EQ(n.size(), 2);
    EXPECT_EQ(n[0].cChemin, QStringLiteral("Lieux/France"));
    EXPECT_EQ(n[0].nNiveau, 0);
    EXPECT_EQ(n[0].lstImgs, (QList<TEnrLST>{{0, b}}));
    EXPECT_EQ(n[1].cNom, QStringLiteral("Paris"));
    EXPECT_EQ(n[1].nNiveau, 1);
    EXPECT_EQ(n[1].lstImgs, (QList<TEnrLST>{{0, a}}));

    n = ConstruireHierarchieCritere(*iniBDD, Arbo, QStringLiteral("Lieux"), true);
    ASSERT_EQ(n.size(), 4);
    // Sorted by upper-cased path: "/ABSENTE.JPG" comes before the temporary folder's.
    EXPECT_EQ(n[0].lstImgs, (QList<TEnrLST>{{0, QStringLiteral("/absente.jpg")}, {0, a}, {0, b}}));
    EXPECT_EQ(n[1].lstImgs, (QList<TEnrLST>{{0, a}, {0, b}}));
    EXPECT_EQ(n[3].cChemin, QStringLiteral("Lieux/Italie"));

    // The count takes every image below the criterion; the album leaves out the absent file.
    Params.pArbo = &Arbo;
    Params.lEtendRechCritEnf = false;
    Source = {saHierCritere, nullptr, {}, QStringLiteral("Lieux")};
    const TComptesAlbumWEB c = CompterImagesAlbumWEB(Source, Params);
    EXPECT_EQ(c.nImgsSource, 3);
    EXPECT_EQ(c.nDisponibles, 2);
    Options.nAWContAlbum = caImagesSeules;
    const TBilanAlbumWEB r = Genere();
    ASSERT_TRUE(r.cErreur.isEmpty()) << r.cErreur.toStdString();
    EXPECT_EQ(r.nImages, 2);
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Lieux/France/Paris/Images/a.jpg")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Lieux/France/Images/b.jpg")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Lieux/Italie/Image.htm")));
    EXPECT_TRUE(Page(QStringLiteral("Index.htm")).contains(QStringLiteral("<FRAME SRC=\"Lieux/Image.htm\"")));
}

TEST(BulleAlbumWEB, PlainTextOfTheHint)
{
    EXPECT_EQ(TexteBrut(QStringLiteral("dos/\r\n<SG>a.jpg</SG/> <SS>[2x3]</SS/>\n<PG>EXIF</PG/>")),
              QStringLiteral("dos/\r\na.jpg [2x3]\r\nEXIF"));
    // A lone "<" before a tag keeps the line as it is.
    EXPECT_EQ(TexteBrut(QStringLiteral("1 < 2 <SG>x</SG/>")), QStringLiteral("1 < 2 <SG>x</SG/>"));
    // Lines without tags are kept whole, every break becoming CR LF.
    EXPECT_EQ(TexteBrut(QStringLiteral("a b\rc</SG/>\n\n<SG>d</SG/>")), QStringLiteral("a b\r\nc</SG/>\r\n\r\nd"));

    TEnrLV e;
    e.nNumCD = 0x12340001;
    e.cLecteur = QStringLiteral("/media/cd");
    e.cChemin = QStringLiteral("/d/a.jpg");
    e.nLargeur = 4;
    e.nHauteur = 3;
    e.nTaille = 2048;
    TParamsBulleAlbumWEB p;
    p.cIdVolume = QStringLiteral("1234-1");
    p.cLabelCD = QStringLiteral("VACANCES");
    EXPECT_EQ(TexteBrut(TexteBulleAlbumWEB(e, p)),
              QStringLiteral("/media/cd/d/\r\na.jpg [4x3]\r\n(Sur le CD N° 1234-1 : \"VACANCES\")\r\n2,00 Ko le "));
}
} // namespace
