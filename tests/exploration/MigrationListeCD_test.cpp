// A data folder of the earlier platform, once migrated, serves the images of a CD: the
// listing's keys find their catalogue data and their thumbnails.
#include "exploration/ListeImages.h"
#include "imaging/FileKinds.h"
#include "imaging/NomVignette.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/DataFolder.h"
#include "storage/Migrations.h"
#include "support/EcritJpeg.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(MigrationListeCD, EarlierPlatformDataFollowsTheImagesOfASimulatedCD)
{
    QTemporaryDir Temp;
    const quint32 nSerie = 0x8A3F0001u;
    const QString cCle = QStringLiteral("<%1>").arg(static_cast<qint32>(nSerie));
    TDossiers d;
    d.cDossierDonnees = Temp.filePath("donnees/");
    d.cDossierVignettes = d.cDossierDonnees + "Vignettes/";
    d.cFichierSetup = d.cDossierDonnees + "KX_Setup.ini";
    d.cFichierBDD = d.cDossierDonnees + "KX_BDD.ini";
    const QString cVignettesCD = d.cDossierVignettes + IdVolume(nSerie) + "/";
    ASSERT_TRUE(QDir().mkpath(cVignettesCD));
    {
        // As the earlier platform wrote it: a drive letter and "\" in the keys and the names.
        TBigIniFile S(d.cFichierSetup), B(d.cFichierBDD, true);
        S.lAutoSave = B.lAutoSave = false;
        S.WriteString("GENERAL", "kcVersion", "v 1.10");
        S.WriteString("LEGENDES", cCle + "E:\\DCIM\\100CANON\\a.jpg", "Plage");
        B.WriteString(cCle + "E:\\DCIM\\100CANON\\a.jpg", "Lieux\\Mer", "");
        ASSERT_TRUE(S.UpdateFile() && B.UpdateFile());
        QFile f(cVignettesCD + "E#^DCIM^100CANON^a.jpg.JPG");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("vignette");
    }
    TBigIniFile S(d.cFichierSetup), B(d.cFichierBDD, true);
    S.lAutoSave = B.lAutoSave = false;
    TContexteMigration M{S, B, d};
    M.fnEstImage = [](const QString &c) { return EstImage(c); };
    M.fnEstJPEG = [](const QString &c) { return EstJPEG(c); };
    M.cDossierApplications = Temp.filePath("applications");
    ExecuteMigrations(M, ListeMigrations(), "v 1.44");
    ASSERT_FALSE(M.lEchec);

    // The folder given as a CD on the command line.
    const QString cCD = Temp.filePath("cd/");
    ASSERT_TRUE(QDir().mkpath(cCD + "DCIM/100CANON"));
    ASSERT_TRUE(EcritJpeg(cCD + "DCIM/100CANON/a.jpg", 16, 12, Qt::darkCyan));
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cCD, nSerie, "VACANCES");
    TModeleListeImages Modele;
    TContexteListe Ctx;
    Ctx.iniSetup = &S;
    Ctx.iniBDD = &B;
    Ctx.pVolumes = &Volumes;
    TDemandeListe Demande;
    Demande.cDossier = cCD;
    Demande.lRecursif = true;
    ASSERT_EQ(ConstruitListe(Modele, Ctx, Demande), 1);
    const TEnrLV &e = Modele.Enr(0);
    EXPECT_EQ(e.Cle(), cCle + "/DCIM/100CANON/a.jpg");
    EXPECT_TRUE(B.ValueExists(e.Cle(), "Lieux\\Mer"));
    EXPECT_EQ(S.ReadString("LEGENDES", e.Cle(), ""), "Plage");
    // The thumbnail the cache looks for is the one the earlier platform made.
    const QString cVignette = NomVignette(d.cDossierVignettes, e.nNumCD, e.cChemin);
    QFile f(cVignette);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << cVignette.toStdString();
    EXPECT_EQ(f.readAll(), "vignette");
    EXPECT_EQ(QDir(cVignettesCD).entryList(QDir::Files).size(), 1);
}
