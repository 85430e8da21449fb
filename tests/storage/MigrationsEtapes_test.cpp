// The migration steps over data folders written by earlier versions.
#include "storage/BigIniFiles.h"
#include "storage/DataFolder.h"
#include "storage/Migrations.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

const QString cActuelle = QStringLiteral("v 1.44");

bool EstJPEG(const QString &c)
{
    const QString e = c.section(QLatin1Char('.'), -1).toUpper();
    return c.contains(QLatin1Char('.')) && (e == "JPG" || e == "JPEG");
}
bool EstImage(const QString &c)
{
    const QString e = c.section(QLatin1Char('.'), -1).toUpper();
    return EstJPEG(c) || (c.contains(QLatin1Char('.')) && (e == "CRW" || e == "TIF" || e == "PNG"));
}

void Ecrit(const QString &cFichier, const QByteArray &Octets)
{
    QDir().mkpath(QFileInfo(cFichier).path());
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Octets);
}

QString Filtre(int nChamps)
{
    QStringList c;
    for (int i = 0; i < nChamps; ++i)
        c << QString::number(i + 1000);
    return c.join('|') + '|';
}

struct MigrationsEtapesTest : ::testing::Test
{
    QTemporaryDir Temp;

    TDossiers DossiersDe(const QString &cRacine) const
    {
        TDossiers d;
        d.cDossierDonnees = cRacine + "/";
        d.cDossierVignettes = d.cDossierDonnees + "Vignettes/";
        d.cFichierSetup = d.cDossierDonnees + "KX_Setup.ini";
        d.cFichierBDD = d.cDossierDonnees + "KX_BDD.ini";
        return d;
    }

    // A data folder as a version 1.0x of the earlier platform left it.
    void Ancien(const QString &cRacine, const QString &cVersion = {})
    {
        const TDossiers d = DossiersDe(cRacine);
        QDir().mkpath(cRacine);
        {
            TBigIniFile S(d.cFichierSetup);
            S.lAutoSave = false;
            if (!cVersion.isEmpty())
                S.WriteString("GENERAL", "kcVersion", cVersion);
            S.WriteInteger("GENERAL", "nRapZoom", 5);
            S.WriteInteger("GENERAL", "nIndTailleVigs", 3);
            S.WriteBool("GENERAL", "lPreRemplCBLEG", false);
            S.WriteString("ALBUMS WEB:GENERAL", "nAWCoulFondLegende", "255");
            S.WriteString("SAUVEGARDE ALBUM IMAGES", "<12>E:\\DCIM\\a.JPG", "");
            S.WriteString("SAUVEGARDE ALBUM IMAGES", "C:\\Photos\\b.jpg", "");
            S.WriteString("LEGENDES", "<12>E:\\DCIM\\a.JPG", "Plage");
            S.WriteString("IPTC", "<12>E:\\DCIM\\a.JPG", "x|y|");
            S.WriteString("ROTATIONS", "<12>E:\\DCIM\\a.JPG", "90");
            S.WriteString("ROTATIONS", "C:\\Photos\\b.jpg", "180");
            S.WriteString("TAILLES VIGNETTES", "C:\\Photos\\b.jpg", "1");
            S.WriteString("TAILLES VIGNETTES", "<12>E:\\DCIM\\a.JPG", "2");
            S.WriteString("RESOLUTIONS VIGNETTES", "C:\\Photos\\b.jpg", "3");
            S.WriteString("RESOLUTIONS VIGNETTES", "C:\\Photos\\c.txt", "4");
            S.WriteString("SAUVEGARDE FILTRES", "f39", Filtre(39));
            S.WriteString("SAUVEGARDE FILTRES", "f51", Filtre(51));
            S.WriteString("SAUVEGARDE FILTRES", "f57", Filtre(57));
            ASSERT_TRUE(S.UpdateFile());
            TBigIniFile B(d.cFichierBDD, true);
            B.lAutoSave = false;
            B.WriteString("<12>E:\\DCIM\\a.JPG", "Lieu\\Mer", "");
            B.WriteString("<-7>F:\\X\\b.CRW", "Lieu\\Mont", "");
            B.WriteString("C:\\Photos\\b.jpg", "Lieu\\Ville", "");
            ASSERT_TRUE(B.UpdateFile());
        }
        Ecrit(d.cDossierVignettes + "0-c/E#^DCIM^a.JPG.JPG", "cd");
        Ecrit(d.cDossierVignettes + "C#^Photos^b.jpg", "ancien");
        Ecrit(d.cDossierVignettes + "C#^Photos^c.jpg.JPG", "recent");
        Ecrit(Temp.filePath("apps/lire-avec-orbelune.desktop"), "x");
        Ecrit(Temp.filePath("apps/lire-avec-vimbrel.desktop"), "x");
    }

    TContexteMigration Contexte(TBigIniFile &S, TBigIniFile &B, const TDossiers &d)
    {
        TContexteMigration C{S, B, d};
        C.fnEstImage = EstImage;
        C.fnEstJPEG = EstJPEG;
        C.cDossierApplications = Temp.filePath("apps");
        return C;
    }

    // One start: open the stores, migrate, leave without saving anything else.
    int Demarre(const QString &cRacine, const std::function<void(int)> &fnApresEtape = {})
    {
        const TDossiers d = DossiersDe(cRacine);
        TBigIniFile S(d.cFichierSetup);
        TBigIniFile B(d.cFichierBDD, true);
        S.lAutoSave = B.lAutoSave = false;
        TContexteMigration C = Contexte(S, B, d);
        QList<TMigration> Liste = ListeMigrations();
        for (int i = 0; i < Liste.size(); ++i) {
            auto fn = Liste[i].Executer;
            Liste[i].Executer = [fn, fnApresEtape, i](TContexteMigration &Ctx, const QString &v) {
                fn(Ctx, v);
                if (fnApresEtape)
                    fnApresEtape(i);
            };
        }
        return ExecuteMigrations(C, Liste, cActuelle);
    }

    // Every file of a folder (the desktop entries beside it included), to compare two states.
    static std::map<QString, QByteArray> Etat(const QString &cRacine)
    {
        std::map<QString, QByteArray> m;
        QDirIterator It(cRacine, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (It.hasNext()) {
            const QString c = It.next();
            QFile f(c);
            f.open(QIODevice::ReadOnly);
            m[c.mid(cRacine.size())] = f.readAll();
        }
        return m;
    }
};

} // namespace

TEST_F(MigrationsEtapesTest, VersionCases)
{
    auto Lit = [&](const QString &cRacine, const QString &cSection, const QString &cCle) {
        return TBigIniFile(DossiersDe(cRacine).cFichierSetup).ReadString(cSection, cCle, "?");
    };
    // No version at all: every step, the zoom index included.
    Ancien(Temp.filePath("a"));
    Demarre(Temp.filePath("a"));
    EXPECT_EQ(Lit(Temp.filePath("a"), "GENERAL", "nRapZoom"), "6");
    EXPECT_EQ(Lit(Temp.filePath("a"), "GENERAL", "nIndTailleVigs"), "5");
    EXPECT_EQ(Lit(Temp.filePath("a"), "GENERAL", "kcVersion"), cActuelle);
    for (const char *f : {"f39", "f51", "f57"})
        EXPECT_EQ(ChampsFiltre(Lit(Temp.filePath("a"), "SAUVEGARDE FILTRES", f)).size(), 59) << f;
    const QStringList c39 = ChampsFiltre(Lit(Temp.filePath("a"), "SAUVEGARDE FILTRES", "f39"));
    EXPECT_EQ(c39.mid(10, 5), QStringList({"1010", "1011", "0", "", "1012"}));
    EXPECT_EQ(c39.mid(40, 4), QStringList({"1038", "120", "120", "120"}));
    EXPECT_EQ(c39.mid(47, 3), QStringList({"0", "", "4"}));
    const QStringList c51 = ChampsFiltre(Lit(Temp.filePath("a"), "SAUVEGARDE FILTRES", "f51"));
    EXPECT_EQ(c51.mid(40, 8), QStringList({"1038", "120", "120", "120", "0", "32", "75", "1039"}));
    EXPECT_EQ(c51.last(), "1050");

    // Version 1.20: the size index moves, the zoom index (a version is stored) does not.
    Ancien(Temp.filePath("b"), "v 1.20");
    Demarre(Temp.filePath("b"));
    EXPECT_EQ(Lit(Temp.filePath("b"), "GENERAL", "nIndTailleVigs"), "5");
    EXPECT_EQ(Lit(Temp.filePath("b"), "GENERAL", "nRapZoom"), "5");

    // Version 1.31: the size index stays.
    Ancien(Temp.filePath("c"), "v 1.31");
    Demarre(Temp.filePath("c"));
    EXPECT_EQ(Lit(Temp.filePath("c"), "GENERAL", "nIndTailleVigs"), "3");
    // Version 1.38: only the last filter change applies, to 57 fields alone.
    Ancien(Temp.filePath("e"), "v 1.38");
    Demarre(Temp.filePath("e"));
    EXPECT_EQ(ChampsFiltre(Lit(Temp.filePath("e"), "SAUVEGARDE FILTRES", "f39")).size(), 39);
    EXPECT_EQ(ChampsFiltre(Lit(Temp.filePath("e"), "SAUVEGARDE FILTRES", "f57")).size(), 59);
    EXPECT_EQ(Lit(Temp.filePath("e"), "GENERAL", "lPreRemplCBLeg"), "0");

    // A later version's data is never given an earlier version.
    Ancien(Temp.filePath("d"), "v 9.00");
    Demarre(Temp.filePath("d"));
    EXPECT_EQ(Lit(Temp.filePath("d"), "GENERAL", "kcVersion"), "v 9.00");
}

TEST_F(MigrationsEtapesTest, EarlierPlatformFolderComesToLinuxKeys)
{
    const QString r = Temp.filePath("a");
    Ancien(r);
    Demarre(r);
    const TDossiers d = DossiersDe(r);
    TBigIniFile S(d.cFichierSetup);
    TBigIniFile B(d.cFichierBDD, true);
    // CD keys lose their drive and take "/"; keys of other drives stay as they were.
    EXPECT_TRUE(B.ValueExists("<12>/DCIM/a.JPG", "Lieu\\Mer"));
    EXPECT_TRUE(B.ValueExists("<-7>/X/b.CRW", "Lieu\\Mont"));
    EXPECT_FALSE(B.SectionExists("<12>E:\\DCIM\\a.JPG"));
    EXPECT_TRUE(B.ValueExists("C:\\Photos\\b.jpg", "Lieu\\Ville"));
    for (const char *s : {"LEGENDES", "IPTC", "ROTATIONS", "SAUVEGARDE ALBUM IMAGES:Sans Nom"}) {
        EXPECT_TRUE(S.ValueExists(s, "<12>/DCIM/a.JPG")) << s;
        EXPECT_FALSE(S.ValueExists(s, "<12>E:\\DCIM\\a.JPG")) << s;
    }
    EXPECT_EQ(S.ReadString("LEGENDES", "<12>/DCIM/a.JPG", ""), "Plage");
    EXPECT_FALSE(S.SectionExists("SAUVEGARDE ALBUM IMAGES"));
    EXPECT_TRUE(S.ValueExists("SAUVEGARDE ALBUM IMAGES:Sans Nom", "C:\\Photos\\b.jpg"));
    // Sizes of other drives' images go; resolutions only for JPEG names.
    EXPECT_FALSE(S.ValueExists("TAILLES VIGNETTES", "C:\\Photos\\b.jpg"));
    EXPECT_TRUE(S.ValueExists("TAILLES VIGNETTES", "<12>/DCIM/a.JPG"));
    EXPECT_FALSE(S.ValueExists("RESOLUTIONS VIGNETTES", "C:\\Photos\\b.jpg"));
    EXPECT_TRUE(S.ValueExists("RESOLUTIONS VIGNETTES", "C:\\Photos\\c.txt"));
    EXPECT_EQ(S.ReadString("ALBUMS WEB:GENERAL", "nAWCoulFondDonnees", ""), "255");
    EXPECT_FALSE(S.ValueExists("ALBUMS WEB:GENERAL", "nAWCoulFondLegende"));
    // The thumbnails: ".JPG" added to the bare one, the CD one named as a Linux key's.
    EXPECT_TRUE(QFile::exists(d.cDossierVignettes + "0-c/^DCIM^a.JPG.JPG"));
    EXPECT_TRUE(QFile::exists(d.cDossierVignettes + "C#^Photos^b.jpg.JPG"));
    EXPECT_TRUE(QFile::exists(d.cDossierVignettes + "C#^Photos^c.jpg.JPG"));
    EXPECT_FALSE(QFile::exists(d.cDossierVignettes + "C#^Photos^c.jpg.JPG.JPG"));
    // The former name's folder verb goes, the program's own stays.
    EXPECT_EQ(QDir(Temp.filePath("apps")).entryList(QDir::Files), QStringList({"lire-avec-vimbrel.desktop"}));
}

TEST_F(MigrationsEtapesTest, KeyConversionsTouchOnlyTheirOldForm)
{
    EXPECT_EQ(CleSansLecteur("<12>E:\\DCIM\\a.JPG"), "<12>\\DCIM\\a.JPG");
    EXPECT_EQ(CleSansLecteur("<12>\\DCIM\\a.JPG"), "");
    EXPECT_EQ(CleSansLecteur("<12>/DCIM/E:a.JPG"), "");
    EXPECT_EQ(CleSansLecteur("C:\\Photos\\a.jpg"), "");
    EXPECT_EQ(CleSeparateursLinux("<12>\\DCIM\\a.JPG"), "<12>/DCIM/a.JPG");
    EXPECT_EQ(CleSeparateursLinux("<12>/DCIM/a\\b.JPG"), "");
    EXPECT_EQ(CleSeparateursLinux("C:\\Photos\\a.jpg"), "");
    EXPECT_EQ(ChampsFiltre("a|b||").size(), 3);
    EXPECT_EQ(JoinsChampsFiltre({"a", "", "b"}), "a||b|");
}

TEST_F(MigrationsEtapesTest, EachStepTwiceEqualsOnce)
{
    const QList<TMigration> Liste = ListeMigrations();
    ASSERT_EQ(Liste.size(), 11);
    for (int i = 0; i < Liste.size(); ++i) {
        std::map<QString, QByteArray> Etats[2];
        for (int nFois : {1, 2}) {
            const QString r = Temp.filePath(QStringLiteral("s%1-%2").arg(i).arg(nFois));
            Ancien(r);
            const TDossiers d = DossiersDe(r);
            {
                TBigIniFile S(d.cFichierSetup);
                TBigIniFile B(d.cFichierBDD, true);
                S.lAutoSave = B.lAutoSave = false;
                TContexteMigration C = Contexte(S, B, d);
                for (int k = 0; k < nFois; ++k)
                    Liste[i].Executer(C, QString());
                ASSERT_TRUE(S.UpdateFile() && B.UpdateFile());
            }
            Etats[nFois - 1] = Etat(r);
        }
        EXPECT_EQ(Etats[0], Etats[1]) << "step " << i;
    }
}

TEST_F(MigrationsEtapesTest, StartKilledAfterAnyStepThenRestartedEqualsOneCleanRun)
{
    const QString cPropre = Temp.filePath("propre");
    Ancien(cPropre);
    Demarre(cPropre);
    const auto Attendu = Etat(cPropre);
    const int nEtapes = static_cast<int>(ListeMigrations().size());
    for (int nTue = 0; nTue < nEtapes; ++nTue) {
        const QString r = Temp.filePath(QStringLiteral("tue%1").arg(nTue));
        Ancien(r);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            Demarre(r, [nTue](int i) {
                if (i == nTue)
                    ::raise(SIGKILL);
            });
            ::_exit(3);
        }
        int nEtat = 0;
        ASSERT_EQ(::waitpid(pid, &nEtat, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(nEtat) && WTERMSIG(nEtat) == SIGKILL);
        Demarre(r);
        EXPECT_EQ(Etat(r), Attendu) << "killed after step " << nTue;
        // A second start finds the current version and changes nothing.
        Demarre(r);
        EXPECT_EQ(Etat(r), Attendu);
    }
}
