// The main window's part in the version migrations: a step that could not save its work
// leaves the stored version as it was at the close, so that the next start runs the steps
// again and finishes them.
#include "mainwindow/MainKX_fm.h"
#include "storage/BigIniFiles.h"
#include "support/BancFenetrePrincipale.h"

#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace
{
// While it lives, no file of the process may grow past nOctets: a larger write fails with
// EFBIG, as on a full disk, instead of raising the signal.
class TTailleFichiersLimitee
{
public:
    explicit TTailleFichiersLimitee(rlim_t nOctets)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_Avant);
        m_Signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_Avant;
        r.rlim_cur = nOctets;
        m_lPosee = ::setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~TTailleFichiersLimitee()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_Avant);
        std::signal(SIGXFSZ, m_Signal);
    }
    TTailleFichiersLimitee(const TTailleFichiersLimitee &) = delete;
    TTailleFichiersLimitee &operator=(const TTailleFichiersLimitee &) = delete;
    bool Posee() const { return m_lPosee; }

private:
    rlimit m_Avant{};
    void (*m_Signal)(int) = SIG_DFL;
    bool m_lPosee = false;
};

struct MigrationsFenetreTest : TBancFenetrePrincipale<>
{
};
} // namespace

TEST_F(MigrationsFenetreTest, AStepThatCouldNotSaveKeepsTheVersionUntilAStartFinishesIt)
{
    // Data of the earlier platform: a CD key with its drive, which the migrations rewrite in
    // the catalogue, and enough other images that the catalogue outgrows the limit below.
    EcritReglages({{"kcVersion", "v 1.10"}});
    QByteArray Catalogue = "[<12>E:\\DCIM\\a.JPG]\r\nLieu\\Mer=\r\n";
    for (int i = 0; i < 400; ++i)
        Catalogue += QStringLiteral("[/photos/p%1.jpg]\r\nLieu\\Ville=\r\n").arg(i).toUtf8();
    ASSERT_TRUE(EcritDonnees("KX_BDD.ini", Catalogue));
    ASSERT_GT(Catalogue.size(), 12000);

    PrepareFenetre();
    {
        const TTailleFichiersLimitee Limite(8192);
        ASSERT_TRUE(Limite.Posee());
        Fenetre->FormCreate(nullptr);
    }
    MontreFenetre();
    EXPECT_TRUE(Fenetre->close());
    ASSERT_TRUE(Fenetre->FormDestroyFait());
    EXPECT_EQ(Relu().ReadString("GENERAL", "kcVersion", ""), "v 1.10")
        << "the catalogue's step failed: the version must not claim it done";

    // The next start, with room, runs the steps again and records the version.
    CreeFenetre();
    MontreFenetre();
    EXPECT_TRUE(Fenetre->close());
    EXPECT_EQ(Relu().ReadString("GENERAL", "kcVersion", ""), "v 1.44");
    const TBigIniFile Bdd(Donnees() + "KX_BDD.ini", true);
    EXPECT_TRUE(Bdd.ValueExists("<12>/DCIM/a.JPG", "Lieu\\Mer"));
    EXPECT_FALSE(Bdd.SectionExists("<12>E:\\DCIM\\a.JPG"));
    EXPECT_TRUE(Bdd.ValueExists("/photos/p399.jpg", "Lieu\\Ville"));
}
