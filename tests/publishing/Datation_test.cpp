#include "publishing/Datation.h"

#include "BancPublication.h"
#include "metadata/Exif.h"
#include "metadata/LectureMeta.h"

#include <QProcess>
#include <QStandardPaths>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
struct TStat
{
    qint64 nModif = 0, nModifNs = 0, nAcces = 0;
};
TStat Stat(const QString &c)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(c).constData(), &st) != 0)
        return {};
    return {qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec), qint64(st.st_atim.tv_sec)};
}

// The local time zone for the length of a test.
class TFuseau
{
public:
    explicit TFuseau(const char *cTZ) : m_Ancien(qgetenv("TZ")), m_lAvait(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", cTZ);
        ::tzset();
    }
    ~TFuseau()
    {
        if (m_lAvait)
            qputenv("TZ", m_Ancien);
        else
            qunsetenv("TZ");
        ::tzset();
    }

private:
    QByteArray m_Ancien;
    bool m_lAvait;
};

class Datation : public BancPublication
{
protected:
    int ListeDatee(const QString &c, const QString &cDatePDV)
    {
        const int n = Liste(c);
        Modele.Enr(n).lEXIF = !cDatePDV.isEmpty();
        Modele.Enr(n).cDatePDV = cDatePDV;
        return n;
    }
    static void Vieillit(const QString &c)
    {
        ASSERT_EQ(DateFichier(c, QDateTime(QDate(2000, 1, 2), QTime(3, 4, 5))), 0);
    }
};
} // namespace

TEST_F(Datation, SetsTheSecondAndKeepsTheAccessTime)
{
    TFuseau Paris("Europe/Paris");
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    struct timespec t[2] = {{1000000000, 0}, {UTIME_OMIT, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(a).constData(), t, 0), 0);

    const QDateTime Ete(QDate(2005, 7, 14), QTime(18, 30, 25));
    ASSERT_EQ(DateFichier(a, Ete), 0);
    const TStat s = Stat(a);
    EXPECT_EQ(s.nModif, Ete.toSecsSinceEpoch());
    EXPECT_EQ(s.nModif, 1121358625); // 16:30:25 UTC: summer time
    EXPECT_EQ(s.nModifNs, 0);
    EXPECT_EQ(s.nAcces, 1000000000);
    EXPECT_EQ(DateDeFichier(a), s.nModif);
    EXPECT_NE(DateFichier(cRacine + QStringLiteral("/absent.jpg"), Ete), 0);
}

TEST_F(Datation, ExifDatesFollowTheFixedFormAndCompanionsAreDatedWithTheirImage)
{
    TFuseau Paris("Europe/Paris");
    const QString a = Cree(QStringLiteral("photos/a.CRW"), "A");
    const QString athm = Cree(QStringLiteral("photos/a.THM"), "t");
    const QString awav = Cree(QStringLiteral("photos/a.wav"), "w");
    const QString b = Cree(QStringLiteral("photos/b.jpg"), "B");
    const QString bwav = Cree(QStringLiteral("photos/b.WAV"), "w");
    const QString c = Cree(QStringLiteral("photos/c.jpg"), "C");
    for (const QString &f : {a, athm, awav, b, bwav, c})
        Vieillit(f);
    const qint64 nVieux = Stat(b).nModif;
    // Day first whatever the locale: 3 April, winter time.
    ListeDatee(a, QStringLiteral("03/04/2005 08:57:59"));
    ListeDatee(b, {});
    ListeDatee(c, QStringLiteral("2005:04:03 08:57:59"));
    ListeCD(QStringLiteral("/d.jpg"));

    TParamsDatation P;
    P.lTrtWAVDsOpFic = true;
    P.lTrtTHMDsOpFic = true;
    TDatationImages D(P);
    const TBilanDatation Bilan = D.Date(Modele, {3, 2, 1, 0}, true, {});
    EXPECT_EQ(Bilan.nDatees, 1);
    EXPECT_EQ(Bilan.nNonTraitees, 3);
    EXPECT_EQ(Bilan.MessageFinal(), QStringLiteral("3 image(s) n'ont(a) pas été traitée(s)."));
    const qint64 nAttendu = 1112511479; // 2005-04-03 06:57:59 UTC
    EXPECT_EQ(Stat(a).nModif, nAttendu);
    EXPECT_EQ(Modele.Enr(0).nDate, nAttendu);
    EXPECT_EQ(Stat(athm).nModif, nAttendu);
    EXPECT_EQ(Stat(awav).nModif, nAttendu);
    EXPECT_EQ(Stat(b).nModif, nVieux);
    EXPECT_EQ(Stat(bwav).nModif, nVieux);
    EXPECT_EQ(Stat(c).nModif, nVieux);

    // A chosen date; the .THM of a .CRW stays when the setting is off.
    P.lTrtTHMDsOpFic = false;
    TDatationImages D2(P);
    const QDateTime Hiver(QDate(2006, 12, 16), QTime(12, 42));
    EXPECT_EQ(D2.Date(Modele, {0, 1}, false, Hiver).nDatees, 2);
    EXPECT_EQ(Stat(a).nModif, Hiver.toSecsSinceEpoch());
    EXPECT_EQ(Stat(athm).nModif, nAttendu);
    EXPECT_EQ(Stat(bwav).nModif, Hiver.toSecsSinceEpoch());
}

// The same modification time as the two usual command-line tools give, for real camera files
// taken in summer and in winter.
TEST_F(Datation, SameFileDateAsTheCommandLineTools)
{
    const QString cCorpus = QStringLiteral(VIMBREL_CORPUS_DIR "/kinds/jpeg/");
    const QStringList cFichiers{QStringLiteral("ianare_Kodak_CX7530.jpg"), QStringLiteral("mde_Olympus_S760.jpg"),
                                QStringLiteral("exiftool_NikonD70.jpg"), QStringLiteral("mde_Nikon_D40.jpg")};
    if (!QFileInfo::exists(cCorpus + cFichiers[0]))
        GTEST_SKIP() << "corpus absent";
    const QString cJhead = QStandardPaths::findExecutable(QStringLiteral("jhead"));
    const QString cExiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (cJhead.isEmpty() || cExiftool.isEmpty())
        GTEST_SKIP() << "jhead or exiftool absent";
    TFuseau Paris("Europe/Paris");
    QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
    Env.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Paris"));
    auto Lance = [&](const QString &cProgramme, const QStringList &Args) {
        QProcess p;
        p.setProcessEnvironment(Env);
        p.start(cProgramme, Args);
        return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    };

    QList<int> Lignes;
    QStringList Nous, ParJhead, ParExiftool;
    for (const QString &cNom : cFichiers) {
        Nous << Cree(QStringLiteral("nous/") + cNom, LitFichier(cCorpus + cNom));
        ParJhead << Cree(QStringLiteral("jhead/") + cNom, LitFichier(cCorpus + cNom));
        ParExiftool << Cree(QStringLiteral("exiftool/") + cNom, LitFichier(cCorpus + cNom));
        Vieillit(Nous.last());
        auto p = std::make_unique<TEnrLV>();
        p->cChemin = Nous.last();
        LireEXIF(Nous.last(), *p, false, {});
        ASSERT_FALSE(p->cDatePDV.isEmpty()) << cNom.toStdString();
        Lignes << Modele.Ajoute(std::move(p), false);
    }
    ASSERT_TRUE(Lance(cJhead, QStringList{QStringLiteral("-q"), QStringLiteral("-ft")} + ParJhead));
    ASSERT_TRUE(Lance(cExiftool, QStringList{QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                             QStringLiteral("-FileModifyDate<DateTimeOriginal")}
                                     + ParExiftool));

    TDatationImages D({});
    EXPECT_EQ(D.Date(Modele, Lignes, true, {}).nDatees, int(cFichiers.size()));
    for (qsizetype i = 0; i < cFichiers.size(); ++i) {
        SCOPED_TRACE(cFichiers[i].toStdString());
        EXPECT_EQ(Stat(Nous[i]).nModif, Stat(ParJhead[i]).nModif);
        EXPECT_EQ(Stat(Nous[i]).nModif, Stat(ParExiftool[i]).nModif);
        EXPECT_EQ(Modele.Enr(Lignes[i]).nDate, Stat(Nous[i]).nModif);
    }
}
