#include "metadata/ToutesMD.h"

#include "support/Corpus.h"
#include "support/EcritJpeg.h"
#include "support/Fichiers.h"

#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
QString Valeur(const QList<TEnrToutesMD> &Liste, quint32 nId)
{
    for (const TEnrToutesMD &e : Liste)
        if (e.nId == nId)
            return e.cValeur;
    return QStringLiteral("<absent>");
}

int Compte(const QList<TEnrToutesMD> &Liste, quint32 nId)
{
    return int(std::count_if(Liste.begin(), Liste.end(), [nId](const TEnrToutesMD &e) { return e.nId == nId; }));
}
} // namespace

TEST(ListesToutesMD, IptcJoinsRepeatedDatasetsOnOneSortedRow)
{
    const QList<Imaging::TEntreeMeta> Entrees = {{120, "Caption", "ligne un\r\nligne deux"},
                                                 {25, "Keywords", "mer"},
                                                 {90, "City", "Kingston"},
                                                 {25, "Keywords", "plage"},
                                                 {5, "  ", "sans nom"},
                                                 {25, "Keywords", "   "},
                                                 {25, "Keywords", "sable"}};
    const QList<TEnrToutesMD> l = ListeToutesIPTC(Entrees);
    const QList<TEnrToutesMD> Attendu = {
        {25, "Keywords", "mer plage sable"}, {90, "City", "Kingston"}, {120, "Caption", "ligne un  ligne deux"}};
    EXPECT_EQ(l, Attendu);
    EXPECT_EQ(TexteCopieToutesMD(l), "25 - Keywords : mer plage sable\n90 - City : Kingston\n"
                                     "120 - Caption : ligne un  ligne deux\n");
    EXPECT_EQ(TitrePageToutesMD("IPTC", l), "IPTC*");
    EXPECT_EQ(TitrePageToutesMD("IPTC", {}), "IPTC");
}

TEST(ListesToutesMD, ExifKeepsTheFirstEntryOfATagAndSortsStably)
{
    const QList<Imaging::TEntreeMeta> Entrees = {{0x9286, "User Comment", "charset=Ascii un\ndeux"},
                                                 {0x0110, "Model", "Premier"},
                                                 {0x010f, "Make", ""},
                                                 {0x0110, "Model", "Second"},
                                                 {0x010f, "Make", "Canon"}};
    const QList<TEnrToutesMD> l = ListeToutesEXIF(Entrees);
    const QList<TEnrToutesMD> Attendu = {
        {0x010f, "Make", "Canon"}, {0x0110, "Model", "Premier"}, {0x9286, "User Comment", "un deux"}};
    EXPECT_EQ(l, Attendu);
}

TEST(ListesToutesMD, ThousandsOfKeywordsMakeOneBoundedRow)
{
    QList<Imaging::TEntreeMeta> Entrees;
    for (int i = 0; i < 5000; ++i)
        Entrees.append({25, "Keywords", QStringLiteral("motcle%1").arg(i)});
    const QList<TEnrToutesMD> l = ListeToutesIPTC(Entrees);
    ASSERT_EQ(l.size(), 1);
    EXPECT_EQ(l[0].cValeur.size(), nMaxValeurToutesMD + 1);
    EXPECT_TRUE(l[0].cValeur.startsWith("motcle0 motcle1 "));
    EXPECT_TRUE(l[0].cValeur.endsWith(QStringLiteral("…")));
}

TEST(ListesToutesMD, RowHintAndValueColumn)
{
    EXPECT_EQ(BulleLigneToutesMD("Tag", {271, "Make", "Canon"}, "<SG>Make :</SG/>\r\n     'Canon'"),
              "<SG>Tag :</SG/>\r\n     271\r\n<SG>Make :</SG/>\r\n     'Canon'");
    EXPECT_EQ(LargeurColonneValeur(600), 372);
    // A narrow screen leaves the value column its minimum; the grid scrolls instead.
    EXPECT_EQ(LargeurColonneValeur(250), 100);
    EXPECT_EQ(LargeurColonneValeur(-40), 100);
}

TEST(ListesToutesMD, FileGoneOrUnreadableGivesEmptyLists)
{
    QTemporaryDir Dossier;
    const TToutesMD Absent = LitToutesMD(Dossier.path() + "/parti.jpg");
    EXPECT_TRUE(Absent.EXIF.isEmpty() && Absent.IPTC.isEmpty());
    ASSERT_TRUE(EcritFichier(Dossier.path() + "/faux.jpg", "pas une image"));
    const TToutesMD Faux = LitToutesMD(Dossier.path() + "/faux.jpg");
    EXPECT_TRUE(Faux.EXIF.isEmpty() && Faux.IPTC.isEmpty());
}

// Copies of camera JPEGs given keywords, a caption, a city, an envelope character set and an
// EXIF comment by exiftool: the rows must say what exiftool reads back.
TEST(ListesToutesMD, RowsMatchExiftoolOnCorpusCopies)
{
    const QString cExiftool = QStandardPaths::findExecutable("exiftool");
    if (cExiftool.isEmpty())
        GTEST_SKIP() << "exiftool is not installed";
    QTemporaryDir Dossier;
    int nFaits = 0;
    for (const char *cNom :
         {"exiftool_Canon.jpg", "exiftool_NikonD70.jpg", "exiftool_IPTC.jpg", "goexif_f1-exif.jpg"}) {
        const QString cSource = Corpus::Fichier(QStringLiteral("kinds/jpeg/") + cNom);
        if (cSource.isEmpty())
            continue;
        const QString cCopie = Dossier.path() + "/" + cNom;
        ASSERT_TRUE(QFile::copy(cSource, cCopie));
        QProcess Ecrit;
        Ecrit.start(cExiftool,
                    {"-q", "-overwrite_original", "-charset", "iptc=UTF8", "-IPTC:Keywords=", "-IPTC:Keywords=mer",
                     "-IPTC:Keywords=plage", "-IPTC:Keywords=sable", "-IPTC:Caption-Abstract=Au bord de l'eau",
                     "-IPTC:City=Québec", "-IPTC:CodedCharacterSet=UTF8",
                     "-EXIF:UserComment=première ligne\nseconde ligne", cCopie});
        ASSERT_TRUE(Ecrit.waitForFinished(60000));
        ASSERT_EQ(Ecrit.exitCode(), 0) << Ecrit.readAllStandardError().toStdString();

        QProcess Lit;
        Lit.start(cExiftool, {"-j", "-charset", "iptc=UTF8", "-IPTC:Keywords", "-IPTC:Caption-Abstract", "-IPTC:City",
                              "-EXIF:UserComment", cCopie});
        ASSERT_TRUE(Lit.waitForFinished(60000));
        const QJsonObject o = QJsonDocument::fromJson(Lit.readAllStandardOutput()).array().at(0).toObject();
        QStringList MotsCles;
        for (const QJsonValue &v : o.value("Keywords").toArray())
            MotsCles << v.toString();
        ASSERT_EQ(MotsCles, QStringList({"mer", "plage", "sable"})) << cNom;

        const TToutesMD t = LitToutesMD(cCopie);
        EXPECT_EQ(Valeur(t.IPTC, 25), MotsCles.join(' ')) << cNom;
        EXPECT_EQ(Valeur(t.IPTC, 120), o.value("Caption-Abstract").toString()) << cNom;
        // The envelope's character set (1:90) is not the city (2:90).
        EXPECT_EQ(Compte(t.IPTC, 90), 1) << cNom;
        EXPECT_EQ(Valeur(t.IPTC, 90), o.value("City").toString()) << cNom;
        EXPECT_EQ(Valeur(t.EXIF, 0x9286), o.value("UserComment").toString().replace('\n', ' ')) << cNom;
        // The maker note is a block of the maker's own tags, never shown as one row of bytes.
        EXPECT_EQ(Compte(t.EXIF, 0x927c), 0) << cNom;
        EXPECT_TRUE(std::is_sorted(t.EXIF.begin(), t.EXIF.end(),
                                   [](const TEnrToutesMD &a, const TEnrToutesMD &b) { return a.nId < b.nId; }));
        ++nFaits;
    }
    if (nFaits == 0)
        GTEST_SKIP() << "none of the JPEGs is in the corpus read";
}

TEST(TailleImageProprietes, LongestSideFollowsTheGridAndEmptyPicturesGiveNone)
{
    EXPECT_EQ(TailleImageProprietes(QSize(160, 120), 200), QSize(140, 105));
    EXPECT_EQ(TailleImageProprietes(QSize(90, 120), 100), QSize(75, 100));
    EXPECT_EQ(TailleImageProprietes(QSize(3000, 2), 150), QSize(140, 1));
    // An empty or failed thumbnail has no proportions to keep: no picture rather than a
    // division by zero.
    EXPECT_FALSE(TailleImageProprietes(QSize(0, 0), 150).isValid());
    EXPECT_FALSE(TailleImageProprietes(QSize(120, 0), 150).isValid());
    EXPECT_FALSE(TailleImageProprietes(QSize(-1, -1), 150).isValid());
}

class ContenuProprietesTest : public ::testing::Test
{
protected:
    QTemporaryDir Dossier;
    TBigIniFile iniSetup{Dossier.path() + "/setup.ini"};
    TSourcesProprietes S;
    TEnrLV Enr;

    void SetUp() override
    {
        S.iniSetup = &iniSetup;
        S.fnToutesMD = [](const QString &) { return TToutesMD{}; };
        S.fnTexteLegende = [](const QString &t, const QString &c, int n) {
            return c.isEmpty() ? QString() : QStringLiteral("%1|%2|%3").arg(t, c).arg(n);
        };
        Enr.cLecteur = Dossier.path();
        Enr.cChemin = "/photos/IMG_1.JPG";
        Enr.lExiste = true;
    }
};

TEST_F(ContenuProprietesTest, DiscTextWithAndWithoutLabel)
{
    Enr.nNumCD = qint32(0x8a3f0001);
    Enr.cLecteur = "/media/cdrom";
    EXPECT_EQ(ContenuProprietes(Enr, 0, 1, S).cCD, QStringLiteral("Sur le CD N° 8a3f-1"));
    iniSetup.WriteString(cSectionLabelsCD, "8a3f-1", "Vacances");
    const TContenuProprietes c = ContenuProprietes(Enr, 2, 12, S);
    EXPECT_EQ(c.cCD, QStringLiteral("Sur le CD N° 8a3f-1 : \"Vacances\""));
    EXPECT_EQ(c.cTitre, QStringLiteral("Propriétés de /media/cdrom/photos/IMG_1.JPG (3/12)"));
    EXPECT_EQ(c.cTitreToutesMD, QStringLiteral("Méta-données de /media/cdrom/photos/IMG_1.JPG"));
    EXPECT_EQ(c.cEmplacement, "/media/cdrom/photos/");
    EXPECT_EQ(c.cNom, "IMG_1.JPG");
    Enr.nNumCD = 0;
    EXPECT_EQ(ContenuProprietes(Enr, 0, 1, S).cCD, "");
}

TEST_F(ContenuProprietesTest, AbsentDiscReadsNothingFromAPathThatHappensToExist)
{
    // The disc's path without its mount point exists on this machine, with a sound beside it.
    ASSERT_TRUE(EcritJpeg(Dossier.path() + "/photos/IMG_1.JPG", 8, 8, Qt::red));
    ASSERT_TRUE(EcritFichier(Dossier.path() + "/photos/IMG_1.wav", "RIFF"));
    Enr.cChemin = Dossier.path() + "/photos/IMG_1.JPG";
    Enr.cLecteur.clear();
    EXPECT_EQ(ContenuProprietes(Enr, 0, 1, S).cMemoSonore, Dossier.path() + "/photos/IMG_1.wav");
    bool lLu = false;
    S.fnToutesMD = [&lLu](const QString &) {
        lLu = true;
        return TToutesMD{};
    };
    Enr.nNumCD = 77;
    const TContenuProprietes c = ContenuProprietes(Enr, 0, 1, S);
    EXPECT_EQ(c.cMemoSonore, "");
    EXPECT_FALSE(lLu);
}

TEST_F(ContenuProprietesTest, ClassificationAlbumsAndDescriptionBox)
{
    S.fnClassement = [](const TEnrLV &) {
        return QList<TNoeudClassement>{{"Lieux", 0, 1, true, {{"Mer", 40, 40, true, {}}}},
                                       {"Perso", 39, 39, true, {}},
                                       {"Mots-clés", 4, 5, true, {{"mer", 6, 7, true, {}}}},
                                       {"Coup de coeur", 8, 9, true, {}},
                                       {"'Une légende'", 10, 11, true, {}},
                                       {"EXIF", 14, 15, true, {}},
                                       {"IPTC", 34, 35, true, {}}};
    };
    S.fnLegende = [](const TEnrLV &) { return QStringLiteral("Une légende"); };
    S.fnDescription = [](const TEnrLV &) { return QStringLiteral("Une description"); };
    S.fnAlbumsImages = [](const QString &cCle) {
        return cCle.endsWith("IMG_1.JPG") ? QStringList{"Été", "Noël 2020"} : QStringList{};
    };
    S.fnCoupDeCoeur = [](const TEnrLV &) { return true; };

    TContenuProprietes c = ContenuProprietes(Enr, 0, 1, S);
    ASSERT_EQ(c.Criteres.size(), 2);
    EXPECT_EQ(c.Criteres[0].cTexte, "Lieux");
    EXPECT_EQ(c.Criteres[0].Enfants.size(), 1);
    EXPECT_EQ(c.Criteres[1].cTexte, "Perso");
    EXPECT_EQ(c.cAlbImg, QStringLiteral("\"Été\" \"Noël 2020\""));
    EXPECT_EQ(c.cAlbWHP, "");
    EXPECT_TRUE(c.lCoupDeCoeur);
    EXPECT_EQ(c.cBulleLegende, QStringLiteral("Légende|Une légende|100"));
    // Descriptions off: no description read, the legend box takes its room.
    EXPECT_FALSE(c.lDescription);
    EXPECT_EQ(c.cDescription, "");
    EXPECT_EQ(c.nHauteurLegende, 105);
    S.lTrtDescription = true;
    c = ContenuProprietes(Enr, 0, 1, S);
    EXPECT_TRUE(c.lDescription);
    EXPECT_EQ(c.cDescription, "Une description");
    EXPECT_EQ(c.cBulleDescription, "Description|Une description|100");
    EXPECT_EQ(c.nHauteurLegende, 41);
}

TEST_F(ContenuProprietesTest, ExifAndIptcTexts)
{
    Enr.nPctCouleur = 0;
    Enr.nPctMotif = 37;
    Enr.lEXIF = true;
    Enr.cFocale = "50";
    Enr.cFocaleReelle = "31";
    Enr.lFocEq = true;
    Enr.cDiaphragme = "5,6";
    Enr.cVitesse = "1/60";
    Enr.cDatePDV = "27/09/2004 14:03:21"; // a Monday
    Enr.cOrientation = "1";
    Enr.lIPTC = true;
    Enr.cMotsClesIPTC = QString("mer") + cSepIPTC + "plage";
    Enr.cOriVille = "Kingston";
    TContenuProprietes c = ContenuProprietes(Enr, 0, 1, S);
    EXPECT_FALSE(c.lColorimetrie);
    EXPECT_TRUE(c.lMotif);
    EXPECT_EQ(c.cPctMotif, "37");
    EXPECT_EQ(c.Focale.cTexte, "50 (31) mm");
    EXPECT_EQ(c.Diaphragme.cTexte, "f 5,6");
    EXPECT_EQ(c.Vitesse.cTexte, "1/60 s");
    EXPECT_EQ(c.DatePDV.cTexte, "Lu 27/09/2004 14:03:21");
    EXPECT_FALSE(c.Orientation.lVisible);
    EXPECT_FALSE(c.Appareil.lVisible);
    EXPECT_EQ(c.cMC, "mer\nplage");
    EXPECT_EQ(c.cPageLegende, QStringLiteral("Légende"));
    EXPECT_EQ(c.cPageMotsCles, QStringLiteral("Mots-clés*"));
    EXPECT_EQ(c.cPageCategorie, QStringLiteral("Catégorie"));
    EXPECT_EQ(c.cPageCredits, QStringLiteral("Crédits, Origine*"));
    Enr.lFocEq = false;
    Enr.cOrientation = "6";
    c = ContenuProprietes(Enr, 0, 1, S);
    EXPECT_EQ(c.Focale.cTexte, "50 mm");
    EXPECT_TRUE(c.Orientation.lVisible);
    EXPECT_EQ(c.Orientation.cTexte, "6");
}
