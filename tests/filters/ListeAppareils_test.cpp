#include "filters/ListeAppareils.h"

#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
struct ListeAppareilsTest : ::testing::Test
{
    QTemporaryDir Temp;
    QString d;
    std::unique_ptr<TBigIniFile> iniBDD, iniSetup;

    void SetUp() override
    {
        d = Temp.path() + "/photos/";
        QDir().mkpath(d);
        const QString cSource = QStringLiteral(VIMBREL_TEST_DATA "/corpus/kinds/jpeg/exiftool_Canon.jpg");
        ASSERT_TRUE(QFile::copy(cSource, d + "b.jpg"));
        ASSERT_TRUE(QFile::copy(cSource, d + "c.jpg"));
        iniBDD = std::make_unique<TBigIniFile>(Temp.filePath("KX_BDD.ini"), true);
        iniSetup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
        iniBDD->WriteString(d + "a.jpg", "Lieu", "1");
        iniBDD->WriteString("MOTS-CLES", d + "b.jpg", "mer");
        iniBDD->WriteString("COUPS DE COEUR", d + "a.jpg", "1");
        iniBDD->WriteString("COUPS DE COEUR", d + "c.jpg", "1");
        iniBDD->WriteString("LEGENDES", d + "d.jpg", "absente");
        iniSetup->WriteString("EXIF", d + "a.jpg", "Nikon D70|18|1/60|5,6|01/01/2005|200|1||");
        // A record of one field does not count: the file is read.
        iniSetup->WriteString("EXIF", d + "c.jpg", "Vieux|");
    }
};
}

TEST_F(ListeAppareilsTest, CachedModelsFirstThenTheOtherFiles)
{
    const QStringList Cles = ClesCataloguees(*iniBDD);
    EXPECT_EQ(Cles, QStringList({d + "a.jpg", d + "b.jpg", d + "c.jpg", d + "d.jpg"}));
    std::set<QString> Appareils;
    const QStringList ALire = ModelesEnCache(Cles, *iniSetup, Appareils);
    EXPECT_EQ(Appareils, std::set<QString>({"Nikon D70"}));
    EXPECT_EQ(ALire, QStringList({d + "b.jpg", d + "c.jpg", d + "d.jpg"}));

    TLectureModeles Lecture;
    Lecture.nFils = 2;
    // Reference reading of the Canon file's model: "Canon EOS DIGITAL REBEL".
    EXPECT_EQ(LitModeles(ALire, Lecture), QStringList({"Canon EOS DIGITAL REBEL"}));
}

TEST_F(ListeAppareilsTest, AVolumeThatDoesNotAnswerIsProbedOnceAndSkipped)
{
    TVolumesFactices Volumes;
    TVolume v;
    v.cPointMontage = Temp.path() + "/";
    Volumes.Ajoute(v);
    int nSondes = 0;
    TLectureModeles Lecture;
    Lecture.pVolumes = &Volumes;
    Lecture.fnVolumeRepond = [&](const TVolume &) {
        ++nSondes;
        return false;
    };
    EXPECT_TRUE(LitModeles({d + "b.jpg", d + "c.jpg"}, Lecture).isEmpty());
    EXPECT_EQ(nSondes, 1);
    Lecture.fnVolumeRepond = [](const TVolume &) { return true; };
    EXPECT_EQ(LitModeles({d + "b.jpg"}, Lecture), QStringList({"Canon EOS DIGITAL REBEL"}));
    // An absent CD: its images are not looked for.
    EXPECT_TRUE(LitModeles({"<305419896>/DCIM/b.jpg"}, Lecture).isEmpty());
}
