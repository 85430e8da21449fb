#include "cdhistory/IndexationCD.h"
#include "imaging/NomVignette.h"
#include "support/EcritJpeg.h"
#include "support/Fichiers.h"

#include "BancCD.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace
{
struct TBancIndex : TBancCD
{
    TParamsIndexationCD Params;

    TBancIndex()
    {
        Params.TypesCoches = QList<bool>(TypesIndexationCD().size(), true);
        Params.Vignettes.cDossierVignettes = Vignettes();
        Params.Vignettes.nD = 60;
        Params.nFils = 2;
    }
    // A disc with \DCIM\A.JPG, \DCIM\SUB\B.JPG and \DCIM\C.jpeg, and what is no image of it.
    void DisqueDCIM()
    {
        ASSERT_TRUE(EcritJpeg(Disque() + "DCIM/A.JPG", 64, 48, Qt::red));
        ASSERT_TRUE(EcritJpeg(Disque() + "DCIM/SUB/B.JPG", 30, 80, Qt::green));
        ASSERT_TRUE(EcritJpeg(Disque() + "DCIM/C.jpeg", 50, 50, Qt::blue));
        ASSERT_TRUE(EcritJpeg(Disque() + ".cache/H.JPG", 10, 10, Qt::black));
        ASSERT_TRUE(EcritFichier(Disque() + "DCIM/LISEZMOI.TXT", "texte"));
        utimbuf t{1150000000, 1150000000};
        ASSERT_EQ(::utime(QFile::encodeName(Disque() + "DCIM/A.JPG").constData(), &t), 0);
    }
    TIndexationCD Indexation() { return TIndexationCD(iniSetup, Volumes, Params); }
    QStringList Cles() const
    {
        QStringList l;
        iniSetup.ReadSection(cSectionTaillesVignettes, l);
        l.sort();
        return l;
    }
    QString Vignette(const QString &cChemin) const { return NomVignette(Vignettes(), Volume(), cChemin); }
};

QList<bool> Seul(int nType)
{
    QList<bool> l(TypesIndexationCD().size(), false);
    l[nType] = true;
    return l;
}
} // namespace

TEST(IndexationCD, EachTypeAdmitsItsOwnFilesOnly)
{
    const QStringList &t = TypesIndexationCD();
    ASSERT_EQ(t.size(), 10);
    EXPECT_EQ(t.front(), ".JPG, .JPEG");
    const int nTIF = int(t.indexOf(".TIF"));
    ASSERT_GT(nTIF, 0);
    EXPECT_TRUE(TypeAdmet(0, "x.jpeg"));
    EXPECT_TRUE(TypeAdmet(0, "x.JPG"));
    for (int i = 1; i < t.size(); ++i)
        EXPECT_FALSE(TypeAdmet(i, "x.jpeg")) << t.at(i).toStdString();
    EXPECT_TRUE(TypeAdmet(nTIF, "x.tif"));
    EXPECT_FALSE(TypeAdmet(0, "x.TIF"));
    EXPECT_FALSE(TypeAdmet(nTIF, "x.PNG"));
    EXPECT_TRUE(TypeAdmet(int(t.indexOf(".NEF")), "d.nef"));
    EXPECT_FALSE(TypeAdmet(-1, "x.jpg"));
    EXPECT_FALSE(TypeAdmet(10, "x.jpg"));

    TBancIndex b;
    ASSERT_TRUE(EcritJpeg(b.Disque() + "a.jpeg", 8, 8, Qt::red));
    ASSERT_TRUE(EcritFichier(b.Disque() + "b.TIF", "II*"));
    b.Params.TypesCoches = Seul(0);
    EXPECT_EQ(b.Indexation().Compte(b.Disque()), 1);
    b.Params.TypesCoches = Seul(nTIF);
    EXPECT_EQ(b.Indexation().Compte(b.Disque()), 1);
    b.Params.TypesCoches = Seul(int(t.indexOf(".PNG")));
    EXPECT_EQ(b.Indexation().Compte(b.Disque()), 0);
    b.Params.TypesCoches = QList<bool>(t.size(), false);
    EXPECT_FALSE(b.Indexation().AuMoinsUnType());
    EXPECT_EQ(b.Indexation().Compte(b.Disque()), 0);
}

TEST(IndexationCD, IndexingStoresThumbnailSizeResolutionAndLabelThenSavesOnce)
{
    TBancIndex b;
    b.DisqueDCIM();
    b.Insere("PHOTOS");
    TIndexationCD x = b.Indexation();
    EXPECT_EQ(x.Compte(b.Disque()), 3) << "names beginning with \".\" are skipped";
    int nAvances = 0;
    x.Avance = [&] { ++nAvances; };
    const TBilanIndexationCD r = x.Indexe(b.Disque());
    EXPECT_TRUE(r.cErreur.isEmpty()) << r.cErreur.toStdString();
    EXPECT_EQ(r.nTraitees, 3);
    EXPECT_EQ(r.nEchecs, 0);
    EXPECT_EQ(nAvances, 3);
    EXPECT_TRUE(r.lLabelEcrit);
    EXPECT_FALSE(b.iniSetup.Modifie());

    const TBigIniFile Relu(b.iniSetup.FileName());
    EXPECT_EQ(Relu.ReadString(cSectionLabelsCD, "8a3f-1", ""), "PHOTOS");
    const QString cA = b.Cle("/DCIM/A.JPG");
    EXPECT_EQ(Relu.ReadString(cSectionTaillesVignettes, cA, ""),
              QString::number(QFileInfo(b.Disque() + "DCIM/A.JPG").size()));
    EXPECT_EQ(Relu.ReadString(cSectionResolutionsVignettes, cA, ""), QString::number(64 + 65536 * 48));
    EXPECT_EQ(Relu.ReadString(cSectionResolutionsVignettes, b.Cle("/DCIM/SUB/B.JPG"), ""),
              QString::number(30 + 65536 * 80));
    QStringList Cles;
    Relu.ReadSection(cSectionTaillesVignettes, Cles);
    Cles.sort();
    EXPECT_EQ(Cles, QStringList({b.Cle("/DCIM/A.JPG"), b.Cle("/DCIM/C.jpeg"), b.Cle("/DCIM/SUB/B.JPG")}));
    // The thumbnail carries the image file's date.
    const QFileInfo Vignette(b.Vignette("/DCIM/A.JPG"));
    ASSERT_TRUE(Vignette.exists());
    EXPECT_EQ(Vignette.lastModified().toSecsSinceEpoch(), 1150000000);
    EXPECT_TRUE(QFileInfo::exists(b.Vignette("/DCIM/SUB/B.JPG")));
}

TEST(IndexationCD, ASubFolderGivesPathsFromTheDiscRootAndAnEmptyLabelNoKey)
{
    TBancIndex b;
    b.DisqueDCIM();
    b.Insere();
    const TBilanIndexationCD r = b.Indexation().Indexe(b.Disque() + "DCIM/SUB");
    EXPECT_EQ(r.nTraitees, 1);
    EXPECT_EQ(b.Cles(), QStringList({b.Cle("/DCIM/SUB/B.JPG")}));
    EXPECT_FALSE(b.iniSetup.SectionExists(cSectionLabelsCD));

    // A label already known is never replaced.
    b.iniSetup.WriteString(cSectionLabelsCD, "8a3f-1", "ANCIEN");
    b.Ejecte();
    b.Insere("NOUVEAU");
    EXPECT_FALSE(b.Indexation().Indexe(b.Disque()).lLabelEcrit);
    EXPECT_EQ(b.iniSetup.ReadString(cSectionLabelsCD, "8a3f-1", ""), "ANCIEN");
}

TEST(IndexationCD, IndexingTwiceWithoutRecreatingStoresNothingNewButMendsALostKey)
{
    TBancIndex b;
    b.DisqueDCIM();
    b.Insere();
    b.Params.lRecrVigExist = false;
    ASSERT_EQ(b.Indexation().Indexe(b.Disque()).nTraitees, 3);
    const quint64 nGeneration = b.iniSetup.Generation();
    const TBilanIndexationCD r = b.Indexation().Indexe(b.Disque());
    EXPECT_EQ(r.nDejaLa, 3);
    EXPECT_EQ(r.nTraitees, 0);
    EXPECT_EQ(b.iniSetup.Generation(), nGeneration);

    // A thumbnail left without its key (a stop before the save) is indexed again.
    b.iniSetup.DeleteKey(cSectionTaillesVignettes, b.Cle("/DCIM/C.jpeg"));
    const TBilanIndexationCD r2 = b.Indexation().Indexe(b.Disque());
    EXPECT_EQ(r2.nDejaLa, 2);
    EXPECT_EQ(r2.nTraitees, 1);
    EXPECT_EQ(b.Cles().size(), 3);
}

TEST(IndexationCD, RecreatingKeepsTheOldThumbnailWhenTheImageFailsAndCountsIt)
{
    TBancIndex b;
    b.DisqueDCIM();
    b.Insere();
    ASSERT_EQ(b.Indexation().Indexe(b.Disque()).nTraitees, 3);
    const QString cVignette = b.Vignette("/DCIM/A.JPG");
    const QByteArray Avant = LitFichier(cVignette);
    // The image can no longer be decoded: its old thumbnail and data stay.
    ASSERT_TRUE(EcritFichier(b.Disque() + "DCIM/A.JPG", QByteArray(4000, 'x')));
    const QString cTailleAvant = b.iniSetup.ReadString(cSectionTaillesVignettes, b.Cle("/DCIM/A.JPG"), "");
    const TBilanIndexationCD r = b.Indexation().Indexe(b.Disque());
    EXPECT_EQ(r.nEchecs, 1);
    EXPECT_EQ(r.nTraitees, 2);
    EXPECT_EQ(LitFichier(cVignette), Avant);
    EXPECT_EQ(b.iniSetup.ReadString(cSectionTaillesVignettes, b.Cle("/DCIM/A.JPG"), ""), cTailleAvant);

    // An unreadable image never indexed stores nothing.
    ASSERT_TRUE(EcritFichier(b.Disque() + "DCIM/D.JPG", QByteArray(100, 'y')));
    b.Indexation().Indexe(b.Disque());
    EXPECT_FALSE(b.iniSetup.ValueExists(cSectionTaillesVignettes, b.Cle("/DCIM/D.JPG")));
    EXPECT_FALSE(QFileInfo::exists(b.Vignette("/DCIM/D.JPG")));
}

TEST(IndexationCD, LinkedFoldersDoNotLoopAndAnInterruptionKeepsWhatWasDone)
{
    TBancIndex b;
    b.DisqueDCIM();
    ASSERT_EQ(::symlink("..", QFile::encodeName(b.Disque() + "DCIM/SUB/HAUT").constData()), 0);
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(EcritJpeg(b.Disque() + QString("LOT/%1.JPG").arg(i), 16, 16, Qt::gray));
    b.Insere("PHOTOS");
    TIndexationCD x = b.Indexation();
    EXPECT_EQ(x.Compte(b.Disque()), 33);

    // Stopped at the first image: what the threads had finished is kept (it is at most the
    // images queued ahead), with the label and the save.
    int nImages = 0;
    x.Avance = [&] { ++nImages; };
    bool lStop = false;
    x.Interrompre = [&] { return lStop && nImages >= 1; };
    lStop = true;
    const TBilanIndexationCD r = x.Indexe(b.Disque());
    EXPECT_TRUE(r.lInterrompu);
    EXPECT_GE(r.nTraitees, 1);
    EXPECT_LT(r.nTraitees + r.nEchecs, 33);
    EXPECT_TRUE(r.lLabelEcrit);
    EXPECT_FALSE(b.iniSetup.Modifie());
    EXPECT_EQ(b.Cles().size(), r.nTraitees);

    // The walk after an interruption finds everything again.
    lStop = false;
    EXPECT_EQ(x.Compte(b.Disque()), 33);
    EXPECT_EQ(x.Indexe(b.Disque()).nTraitees, 33);
}

TEST(IndexationCD, NotACdOrAnUnwritableCacheStopsBeforeAnything)
{
    TBancIndex b;
    b.DisqueDCIM();
    const TBilanIndexationCD r = b.Indexation().Indexe(b.Disque());
    EXPECT_FALSE(r.cErreur.isEmpty());
    EXPECT_EQ(r.nTraitees, 0);

    b.Insere("PHOTOS");
    // The cache folder is a file: the disc's sub-folder cannot be made.
    b.Params.Vignettes.cDossierVignettes = b.Temp.path() + "/fichier/";
    ASSERT_TRUE(EcritFichier(b.Temp.path() + "/fichier", "x"));
    const TBilanIndexationCD r2 = b.Indexation().Indexe(b.Disque());
    EXPECT_TRUE(r2.cErreur.startsWith("Impossible de créer le dossier")) << r2.cErreur.toStdString();
    EXPECT_TRUE(b.Cles().isEmpty());
    EXPECT_FALSE(b.iniSetup.SectionExists(cSectionLabelsCD));
}

TEST(IndexationCD, ADiscPulledMidwayCountsTheRestAsNotTreated)
{
    TBancIndex b;
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(EcritJpeg(b.Disque() + QString("LOT/%1.JPG").arg(i, 2, 10, QChar('0')), 16, 16, Qt::gray));
    b.Insere("PHOTOS");
    TIndexationCD x = b.Indexation();
    int nImages = 0;
    x.Avance = [&] {
        if (++nImages == 1)
            QDir(b.Disque() + "LOT").removeRecursively();
    };
    const TBilanIndexationCD r = x.Indexe(b.Disque());
    EXPECT_FALSE(r.lInterrompu);
    EXPECT_EQ(nImages, 30);
    EXPECT_EQ(r.nTraitees + r.nEchecs, 30);
    EXPECT_GT(r.nEchecs, 0);
    EXPECT_EQ(b.Cles().size(), r.nTraitees);
    EXPECT_TRUE(r.lLabelEcrit);
    EXPECT_TRUE(r.lSauve);
}
