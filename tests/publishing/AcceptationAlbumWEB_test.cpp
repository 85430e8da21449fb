// Hostile albums checked by real parsers: html5lib's strict parser on every page, and headless
// Chromium on the single-image pages. Skipped when either is missing (scripts/setup installs
// both). With VIMBREL_ALBUMS_WEB naming a folder, the albums are made and kept there.

#include "publishing/GenerationAlbumWEB.h"

#include "BancPublication.h"
#include "support/EcritJpeg.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

namespace
{
// A Python that has html5lib: Debian's package goes to the system's, which another Python
// earlier in the PATH may hide. Empty when none has it.
QString PythonAvecHtml5lib()
{
    for (const QString &c : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(c, {QStringLiteral("-c"), QStringLiteral("import html5lib")});
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return c;
    }
    return {};
}

class AcceptationAlbumWEB : public BancPublication
{
protected:
    void SetUp() override
    {
        BancPublication::SetUp();
        const QString cGarde = qEnvironmentVariable("VIMBREL_ALBUMS_WEB");
        cSortie = (cGarde.isEmpty() ? cRacine + QStringLiteral("/sortie") : cGarde) + QLatin1Char('/');
        Params.iniSetup = iniSetup.get();
        Params.iniBDD = iniBDD.get();
        Params.pVolumes = &Volumes;
        Params.cDossierVignettes = cVignettes;
        Params.nTailleVignette = 100;
        Params.nFils = 2;
    }

    // A source image with its legend in the catalogue.
    QString Image(const QString &cRelatif, const QString &cLegende, const QColor &c)
    {
        const QString cChemin = cRacine + QStringLiteral("/src/") + cRelatif;
        EXPECT_TRUE(EcritJpeg(cChemin, 240, 160, c)) << cChemin.toStdString();
        iniSetup->WriteString(cSectionLegendes, cChemin, cLegende);
        return cChemin;
    }

    QString Album(const QString &cNom, const TSourceDonneesAW &Source, TOptionsAlbumWEB O)
    {
        const QString cAlbum = cSortie + cNom + QLatin1Char('/');
        QDir(cAlbum).removeRecursively();
        EXPECT_TRUE(QDir().mkpath(cAlbum));
        O.cAWDossierAlbum = cAlbum;
        const TBilanAlbumWEB b = GenererAlbumWEB(Source, O, Params);
        EXPECT_TRUE(b.cErreur.isEmpty()) << b.cErreur.toStdString();
        EXPECT_EQ(b.nNonTraitees, 0);
        Albums << cAlbum;
        return cAlbum;
    }

    QString cSortie;
    TParamsAlbumWEB Params;
    QJsonArray Albums;
};

TEST_F(AcceptationAlbumWEB, HostilePagesParseAndShowTheirImageAndLegendAsText)
{
    const QString cPython = PythonAvecHtml5lib();
    if (cPython.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("chromium")).isEmpty())
        GTEST_SKIP() << "python3-html5lib or chromium is not installed (scripts/setup installs them)";

    struct TCas
    {
        QString cRelatif, cSortie, cLegende;
    };
    const QList<TCas> Cas = {
        {QStringLiteral("a\"b'c<d&e#f?g%h é.jpg"), QStringLiteral("a\"b'c<d&e#f?g%h_é.jpg"),
         QStringLiteral("légende \"1\" & 'une' <b>gras</b>")},
        {QStringLiteral("ligne\nsuite.jpg"), QStringLiteral("ligne\nsuite.jpg"),
         QStringLiteral("deux\r\nlignes </script><script>alert(1)</script>")},
        {QStringLiteral("x&amp;<i>y.jpg"), QStringLiteral("x&amp;<i>y.jpg"), QStringLiteral("%41 #x ?y \\' \\x3C")},
        {QStringLiteral("d\"'<&#?%é/sous.jpg"), QStringLiteral("sous.jpg"), QStringLiteral("</title><b>x")},
    };
    const QList<QColor> Couleurs = {Qt::darkRed, Qt::darkGreen, Qt::darkBlue, Qt::darkYellow};
    TSourceDonneesAW Plate{saListeImages, nullptr, {}, {}};
    for (qsizetype i = 0; i < Cas.size(); ++i) {
        TEnrLstAW l;
        l.EnrLV.cChemin = Image(Cas[i].cRelatif, Cas[i].cLegende, Couleurs[i]);
        l.EnrLV.lExiste = true;
        l.EnrLV.nLargeur = 240;
        l.EnrLV.nHauteur = 160;
        l.imVignette = QImage(90, 60, QImage::Format_RGB32);
        l.imVignette.fill(Couleurs[i]);
        l.cHint = QStringLiteral("<SG>") + Cas[i].cRelatif + QStringLiteral("</SG/>\r\n\"</script>");
        Plate.lstImages << l;
    }

    TOptionsAlbumWEB O;
    O.cAWNomFenCipale = QStringLiteral("Album </title><b>\"'&");
    O.cAWNomFenImgPE = QStringLiteral("Image <i>");
    O.cAWMotsCles = QStringLiteral("CLÉ \"1\" <B>");
    O.cAWAffPolice = QStringLiteral("Arial\" onload=\"x");
    O.lAWAffLegende = true;
    O.lAWAffResol = true;
    O.nAWNbCol = 3;
    O.nAWContAlbum = caVignettesEtLiens;
    const QString cPlat = Album(QStringLiteral("plat"), Plate, O);
    O.nAWContAlbum = caFrames;
    O.nAWDispoVig = dvVignettesAGauche;
    Album(QStringLiteral("frames"), Plate, O);
    O.nAWContAlbum = caImagesSeules;
    Album(QStringLiteral("images"), Plate, O);
    O.nAWContAlbum = caVignettesSeules;
    Album(QStringLiteral("vignettes"), Plate, O);

    TSourceDonneesAW Hier{saHierDossiers, nullptr, {}, cRacine + QStringLiteral("/src/")};
    O.nAWContAlbum = caFrames;
    O.nAWDispoVig = dvVignettesEnHaut;
    const QString cHier = Album(QStringLiteral("hier"), Hier, O);
    O.lAWHierDansVoletRech = true;
    O.nAWContAlbum = caVignettesEtLiens;
    Album(QStringLiteral("volet"), Hier, O);
    O.nAWContAlbum = caImagesSeules;
    Album(QStringLiteral("hierimages"), Hier, O);

    QJsonArray Pages;
    for (qsizetype i = 0; i < 3; ++i)
        Pages << QJsonObject{
            {"page", cPlat + QStringLiteral("Image.htm")}, {"nom", Cas[i].cSortie}, {"legende", Cas[i].cLegende}};
    Pages << QJsonObject{{"page", cHier + QStringLiteral("d\"'<&#?%é/Image.htm")},
                         {"nom", Cas[3].cSortie},
                         {"legende", Cas[3].cLegende}};
    const QString cAttendus = cSortie + QStringLiteral("attendus.json");
    ASSERT_TRUE(EcritFichier(cAttendus, QJsonDocument(QJsonObject{{"albums", Albums}, {"pages", Pages}}).toJson()));

    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(cPython, {QStringLiteral(VIMBREL_SOURCE_DIR "/tests/publishing/valide_album_web.py"), cAttendus});
    ASSERT_TRUE(p.waitForFinished(280000));
    const QString cSortieScript = QString::fromUtf8(p.readAll());
    EXPECT_EQ(p.exitCode(), 0) << cSortieScript.toStdString();
    EXPECT_TRUE(cSortieScript.contains(QStringLiteral(", 0 erreur(s)"))) << cSortieScript.toStdString();
}
} // namespace
