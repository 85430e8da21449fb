#include "platform/Volumes.h"
#include "platform/VolumesFactices.h"
#include "platform/VolumesLinux.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
QStringList Points(const QList<TMontage> &Montages)
{
    QStringList Liste;
    for (const TMontage &M : Montages)
        Liste << M.cPointMontage;
    return Liste;
}

QStringList Points(const QList<TVolume> &Volumes)
{
    QStringList Liste;
    for (const TVolume &V : Volumes)
        Liste << V.cPointMontage;
    return Liste;
}

void Ecrit(const QString &cFichier, const QByteArray &Contenu)
{
    QFile F(cFichier);
    ASSERT_TRUE(F.open(QIODevice::WriteOnly));
    F.write(Contenu);
}
} // namespace

TEST(Mountinfo, KeepsUserVisibleMountsRootFirstAndDecodesEscapes)
{
    const QByteArray cTexte =
        "21 26 0:20 / /proc rw,relatime - proc proc rw\n"
        "22 26 0:21 / /sys rw,relatime - sysfs sysfs rw\n"
        "23 26 0:6 / /dev rw,relatime - devtmpfs devtmpfs rw,size=123k\n"
        "24 23 0:22 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
        "30 22 0:27 / /sys/fs/cgroup rw,relatime - tmpfs tmpfs rw,mode=755\n"
        "31 30 0:28 / /sys/fs/cgroup/cpu rw,relatime - cgroup cgroup rw,cpu\n"
        "40 26 8:2 / /home rw,relatime shared:3 - ext4 /dev/sda2 rw\n"
        "26 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw,errors=remount-ro\n"
        "41 26 0:40 / /run rw,nosuid shared:5 - tmpfs tmpfs rw,mode=755\n"
        "42 41 0:41 / /run/user/1000 rw shared:6 - tmpfs tmpfs rw,uid=1000\n"
        "43 26 7:0 / /snap/core/123 ro shared:7 - squashfs /dev/loop0 ro\n"
        "44 26 0:50 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw,lowerdir=x\n"
        "45 41 11:0 / /run/media/ann/MON\\040CD ro,nosuid shared:8 - iso9660 /dev/sr0 ro,uid=1000\n"
        "46 26 8:17 / /mnt/cl\\303\\251\\040USB rw shared:9 master:2 - vfat /dev/sdb1 rw\n"
        "47 26 8:33 / /media/data rw - ext4 /dev/sdc1 rw\n"
        "48 26 8:34 / /media/data rw - ext4 /dev/sdd1 rw\n"
        "49 26 0:60 / /mnt/a\\134b rw - udf /dev/sde rw\n"
        "garbage line without fields\n"
        "50 26 0:61 / /mnt/short rw\n";
    const QList<TMontage> Montages = AnalyseMountinfo(cTexte);
    EXPECT_EQ(Points(Montages), QStringList({"/", "/home/", "/run/media/ann/MON CD/",
                                             QString::fromUtf8("/mnt/clé USB/"), "/media/data/", "/mnt/a\\b/"}));
    ASSERT_EQ(Montages.size(), 6);
    EXPECT_EQ(Montages[0].cSource, "/dev/sda1");
    EXPECT_EQ(Montages[2].cSysteme, "iso9660");
    EXPECT_EQ(Montages[2].cSource, "/dev/sr0");
    // Mounted over: the later mount is the one visible.
    EXPECT_EQ(Montages[4].cSource, "/dev/sdd1");
    EXPECT_EQ(Montages[4].nId, 48);
}

TEST(Mountinfo, RootIsKeptWhateverItsFileSystem)
{
    const QByteArray cTexte = "10 1 0:30 / / rw - overlay overlay rw,lowerdir=a\n"
                              "11 10 0:31 / /tmp rw - tmpfs tmpfs rw\n";
    EXPECT_EQ(Points(AnalyseMountinfo(cTexte)), QStringList({"/", "/tmp/"}));
}

TEST(Mountinfo, CdKinds)
{
    EXPECT_TRUE(EstMontageCD("iso9660", "/dev/loop3"));
    EXPECT_TRUE(EstMontageCD("udf", "/dev/sdb"));
    EXPECT_TRUE(EstMontageCD("vfat", "/dev/sr1"));
    EXPECT_FALSE(EstMontageCD("ext4", "/dev/sda1"));
    EXPECT_FALSE(EstMontageCD("vfat", "/dev/sdr1"));
}

TEST(VolumeContenant, DeepestMountPointHoldingThePath)
{
    TVolumesFactices Volumes;
    Volumes.Ajoute({"/", "ext4", "/dev/sda1", "", 0, false, 100});
    Volumes.AjouteCD("/media/cd", 0x1234, "DISQUE");
    Volumes.Ajoute({"/media/cdrom/", "ext4", "", "", 0, false, 5});
    EXPECT_EQ(Volumes.VolumeDe("/media/cd/DCIM/a.jpg").nSerie, 0x1234u);
    EXPECT_EQ(Volumes.VolumeDe("/media/cd").cPointMontage, "/media/cd/");
    // A longer name sharing the prefix is not inside the mount point.
    EXPECT_EQ(Volumes.VolumeDe("/media/cdx/a.jpg").cPointMontage, "/");
    EXPECT_EQ(Volumes.VolumeDe("/media/cdrom/a.jpg").cPointMontage, "/media/cdrom/");
    EXPECT_TRUE(Volumes.VolumeDe("relative/a.jpg").cPointMontage.isEmpty());
    EXPECT_EQ(Volumes.PointDeMontage(0x1234), "/media/cd/");
    EXPECT_TRUE(Volumes.PointDeMontage(0).isEmpty());

    EXPECT_TRUE(Volumes.Retire("/media/cd/"));
    EXPECT_FALSE(Volumes.Retire("/media/cd"));
    EXPECT_TRUE(Volumes.PointDeMontage(0x1234).isEmpty());
    EXPECT_EQ(Volumes.VolumeDe("/media/cd/DCIM/a.jpg").cPointMontage, "/");
}

TEST(CdSimule, ParsesDirSerialAndLabel)
{
    TCdSimule Cd;
    ASSERT_TRUE(AnalyseCdSimule("/tmp/disque=8A3F0001:MON CD", Cd));
    EXPECT_EQ(Cd.cDossier, "/tmp/disque/");
    EXPECT_EQ(Cd.nSerie, 0x8A3F0001u);
    EXPECT_EQ(Cd.cLabel, "MON CD");

    ASSERT_TRUE(AnalyseCdSimule("/tmp/d/=0x1f", Cd));
    EXPECT_EQ(Cd.cDossier, "/tmp/d/");
    EXPECT_EQ(Cd.nSerie, 0x1Fu);
    EXPECT_TRUE(Cd.cLabel.isEmpty());

    // A folder name holding "=", and a label holding ":".
    ASSERT_TRUE(AnalyseCdSimule("/tmp/a=b=FFFFFFFF:X:Y", Cd));
    EXPECT_EQ(Cd.cDossier, "/tmp/a=b/");
    EXPECT_EQ(Cd.nSerie, 0xFFFFFFFFu);
    EXPECT_EQ(Cd.cLabel, "X:Y");

    ASSERT_TRUE(AnalyseCdSimule("rel=1", Cd));
    EXPECT_EQ(Cd.cDossier, QDir::current().absoluteFilePath("rel") + "/");

    QString cErreur;
    for (const char *cFaux : {"/tmp/d=0", "/tmp/d=", "/tmp/d", "=12", "/tmp/d=123456789", "/tmp/d=12G4", "/tmp/d=0x"}) {
        cErreur.clear();
        EXPECT_FALSE(AnalyseCdSimule(cFaux, Cd, &cErreur)) << cFaux;
        EXPECT_FALSE(cErreur.isEmpty()) << cFaux;
    }
}

TEST(CdSimule, OptionValuesFromArguments)
{
    const QStringList Arguments = {"vimbrel", "--cd-simule", "/a=1", "/photos", "--cd-simule=/b=2:L", "--cd-simule"};
    EXPECT_EQ(ValeursCdSimule(Arguments), QStringList({"/a=1", "/b=2:L"}));
    EXPECT_TRUE(ValeursCdSimule({"vimbrel", "/photos"}).isEmpty());
}

TEST(CdSimule, FolderActsAsMountedCdWhileItExists)
{
    QTemporaryDir Tmp;
    ASSERT_TRUE(Tmp.isValid());
    const QString cDisque = Tmp.path() + "/disque";
    ASSERT_TRUE(QDir().mkpath(cDisque + "/DCIM"));
    auto Base = std::make_unique<TVolumesFactices>();
    Base->Ajoute({"/", "ext4", "/dev/sda1", "", 0, false, 100});
    TCdSimule Cd;
    ASSERT_TRUE(AnalyseCdSimule(cDisque + "=8A3F0001:VACANCES", Cd));
    TVolumesAvecCdSimules Volumes(std::move(Base), {Cd});

    const QList<TVolume> Liste = Volumes.Liste();
    ASSERT_EQ(Points(Liste), QStringList({"/", cDisque + "/"}));
    EXPECT_TRUE(Liste[1].lCD);
    EXPECT_EQ(Liste[1].nSerie, 0x8A3F0001u);
    EXPECT_EQ(Liste[1].cLabel, "VACANCES");
    const TVolume Volume = Volumes.VolumeDe(cDisque + "/DCIM/IMG_0001.JPG");
    EXPECT_TRUE(Volume.lCD);
    EXPECT_EQ(Volume.nSerie, 0x8A3F0001u);
    EXPECT_EQ(Volumes.PointDeMontage(0x8A3F0001u), cDisque + "/");
    EXPECT_FALSE(Volumes.VolumeDe(Tmp.path() + "/autre.jpg").lCD);

    // Ejected: the folder is gone.
    ASSERT_TRUE(QDir(cDisque).removeRecursively());
    EXPECT_TRUE(Volumes.PointDeMontage(0x8A3F0001u).isEmpty());
    EXPECT_FALSE(Volumes.VolumeDe(cDisque + "/DCIM/IMG_0001.JPG").lCD);
    EXPECT_EQ(Volumes.Liste().size(), 1);
}

TEST(CdSerial, LaneSumsOfTheDescriptor)
{
    QByteArray Descripteur(2048, '\0');
    Descripteur[0] = 1;
    Descripteur.replace(1, 5, "CD001");
    // Lane 0 gets 0x10 twice (0x20), lane 1 gets 0xFF + 0x02 (wraps to 0x01), lane 3 gets 0x80.
    Descripteur[100] = char(0x10);
    Descripteur[2044] = char(0x10);
    Descripteur[101] = char(0xFF);
    Descripteur[2045] = char(0x02);
    Descripteur[2047] = char(0x80);
    // The first six bytes are 01 43 44 30 30 31 (type 1, "CD001").
    const quint32 nAttendu = (quint32((0x01 + 0x30 + 0x20) & 0xFF) << 24) | (quint32((0x43 + 0x31 + 0x01) & 0xFF) << 16)
                             | (quint32(0x44) << 8) | quint32(0x30 + 0x80);
    EXPECT_EQ(SerieDescripteurISO(Descripteur), nAttendu);
    EXPECT_TRUE(EstDescripteurPrimaireISO(Descripteur));
    EXPECT_EQ(SerieDescripteurISO(Descripteur.left(2047)), 0u);
    Descripteur.replace(40, 12, "PHOTOS 2004 ");
    EXPECT_EQ(LabelDescripteurISO(Descripteur), "PHOTOS 2004");
}

namespace
{
bool FaitIso(const QString &cDossierSource, const QString &cLabel, const QString &cIso)
{
    QProcess Xorriso;
    Xorriso.start(QStringLiteral("xorriso"), {"-as", "mkisofs", "-quiet", "-V", cLabel, "-o", cIso, cDossierSource});
    return Xorriso.waitForFinished(60000) && Xorriso.exitStatus() == QProcess::NormalExit && Xorriso.exitCode() == 0;
}

quint32 SommesDesVoies(const QString &cIso)
{
    QFile F(cIso);
    if (!F.open(QIODevice::ReadOnly) || !F.seek(16 * 2048))
        return 0;
    const QByteArray Octets = F.read(2048);
    unsigned Voie[4] = {0, 0, 0, 0};
    for (int i = 0; i < Octets.size(); ++i)
        Voie[i % 4] = (Voie[i % 4] + static_cast<unsigned char>(Octets[i])) % 256;
    return (Voie[0] << 24) + (Voie[1] << 16) + (Voie[2] << 8) + Voie[3];
}
} // namespace

TEST(CdSerial, ReadFromIsoImagesMadeByXorriso)
{
    if (QStandardPaths::findExecutable("xorriso").isEmpty())
        GTEST_SKIP() << "xorriso is not installed";
    QTemporaryDir Tmp;
    ASSERT_TRUE(Tmp.isValid());
    const QString cSource = Tmp.path() + "/source";
    ASSERT_TRUE(QDir().mkpath(cSource + "/DCIM"));
    Ecrit(cSource + "/DCIM/IMG_0001.JPG", QByteArray(3000, 'x'));
    const QString cIsoA = Tmp.path() + "/a.iso";
    const QString cIsoB = Tmp.path() + "/b.iso";
    ASSERT_TRUE(FaitIso(cSource, "VACANCES_2004", cIsoA));
    ASSERT_TRUE(FaitIso(cSource, "NOEL_2005", cIsoB));

    const QByteArray DescA = LitDescripteurISO(cIsoA);
    const QByteArray DescB = LitDescripteurISO(cIsoB);
    ASSERT_EQ(DescA.size(), 2048);
    ASSERT_EQ(DescB.size(), 2048);
    const quint32 nSerieA = SommesDesVoies(cIsoA);
    EXPECT_NE(nSerieA, 0u);
    EXPECT_EQ(SerieDescripteurISO(DescA), nSerieA);
    EXPECT_EQ(SerieDescripteurISO(DescB), SommesDesVoies(cIsoB));
    EXPECT_NE(SerieDescripteurISO(DescA), SerieDescripteurISO(DescB));
    EXPECT_EQ(LabelDescripteurISO(DescA), "VACANCES_2004");
    EXPECT_EQ(LabelDescripteurISO(DescB), "NOEL_2005");

    // The same image seen through a mount table: the descriptor is read from the source.
    const QString cPoint = Tmp.path() + "/cdrom";
    ASSERT_TRUE(QDir().mkpath(cPoint));
    const QString cMountinfo = Tmp.path() + "/mountinfo";
    Ecrit(cMountinfo, "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 7:0 / " + cPoint.toUtf8() + " ro - iso9660 "
                          + cIsoA.toUtf8() + " ro\n");
    TVolumesLinux Volumes(cMountinfo, Tmp.path() + "/disk");
    const TVolume Cd = Volumes.VolumeDe(cPoint + "/DCIM/IMG_0001.JPG");
    EXPECT_TRUE(Cd.lCD);
    EXPECT_EQ(Cd.nSerie, nSerieA);
    EXPECT_EQ(Cd.cLabel, "VACANCES_2004");
    EXPECT_EQ(Volumes.PointDeMontage(nSerieA), cPoint + "/");

    // A file that is not an ISO 9660 image has no descriptor.
    EXPECT_TRUE(LitDescripteurISO(cSource + "/DCIM/IMG_0001.JPG").isEmpty());
    EXPECT_TRUE(LitDescripteurISO(Tmp.path() + "/absent.iso").isEmpty());
}

TEST(CdSerial, UnreadableDiscGetsAStableIdentifierFromUuidAndLabel)
{
    QTemporaryDir Tmp;
    ASSERT_TRUE(Tmp.isValid());
    // A stand-in for a block device without a readable descriptor, and udev's link folders as
    // three machines would show them.
    const QString cDev = Tmp.path() + "/sr0";
    Ecrit(cDev, "not a disc");
    auto Liens = [&](const QString &cDisques, const QString &cUuid, const QString &cLabel) {
        ASSERT_TRUE(QDir().mkpath(cDisques + "/by-uuid"));
        ASSERT_TRUE(QDir().mkpath(cDisques + "/by-label"));
        ASSERT_TRUE(QFile::link(cDev, cDisques + "/by-uuid/" + cUuid));
        ASSERT_TRUE(QFile::link(cDev, cDisques + "/by-label/" + cLabel));
    };
    Liens(Tmp.path() + "/d1", "2004-12-05-10-00-00-00", "MES\\x20PHOTOS");
    Liens(Tmp.path() + "/d2", "2005-01-01-10-00-00-00", "MES\\x20PHOTOS");
    Liens(Tmp.path() + "/d3", "2004-12-05-10-00-00-00", "AUTRES");
    ASSERT_TRUE(QDir().mkpath(Tmp.path() + "/m1"));
    const QString cMountinfo = Tmp.path() + "/mountinfo";
    Ecrit(cMountinfo, "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"
                      "2 1 11:0 / "
                          + Tmp.path().toUtf8() + "/m1 ro - udf " + cDev.toUtf8() + " ro\n");

    auto Volume = [&](const QString &cDisques) {
        return TVolumesLinux(cMountinfo, cDisques).VolumeDe(Tmp.path() + "/m1/a.jpg");
    };
    const TVolume V1 = Volume(Tmp.path() + "/d1");
    EXPECT_TRUE(V1.lCD);
    EXPECT_EQ(V1.cLabel, "MES PHOTOS");
    EXPECT_NE(V1.nSerie, 0u);
    EXPECT_EQ(Volume(Tmp.path() + "/d1/").nSerie, V1.nSerie);
    // Same label, other UUID; same UUID, other label: other discs.
    EXPECT_NE(Volume(Tmp.path() + "/d2").nSerie, V1.nSerie);
    const TVolume V3 = Volume(Tmp.path() + "/d3");
    EXPECT_EQ(V3.cLabel, "AUTRES");
    EXPECT_NE(V3.nSerie, V1.nSerie);
    // Nothing known at all still gives a non-zero identifier.
    EXPECT_NE(Volume(Tmp.path() + "/sans").nSerie, 0u);
    EXPECT_NE(HacheVolume(QString(), QString()), 0u);
}

TEST(VolumesLinux, ListsTheRealMountTableWithRootFirst)
{
    TVolumesLinux Volumes;
    const QList<TVolume> Liste = Volumes.Liste();
    ASSERT_FALSE(Liste.isEmpty());
    EXPECT_EQ(Liste.front().cPointMontage, "/");
    for (const TVolume &V : Liste) {
        EXPECT_TRUE(V.cPointMontage.endsWith('/'));
        EXPECT_FALSE(V.cPointMontage.startsWith("/proc/"));
        EXPECT_FALSE(V.cPointMontage.startsWith("/sys/"));
        EXPECT_EQ(V.lCD, V.nSerie != 0);
    }
    EXPECT_EQ(Volumes.VolumeDe(QDir::tempPath() + "/x").cPointMontage.isEmpty(), false);
}
