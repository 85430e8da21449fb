#include "calendar/Calendrier.h"

#include "imaging/NomVignette.h"
#include "metadata/CacheMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "support/Fichiers.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <sys/stat.h>
#include <utime.h>

namespace
{
TPeriode Mois(int nMois, int nAnnee, TGenrePeriode nGenre = TGenrePeriode::Mois)
{
    TPeriode p;
    p.nGenre = nGenre;
    p.nMois = nMois;
    p.nAnnee = nAnnee;
    return p;
}

TPeriode Jour(const QDate &d, TGenrePeriode nGenre = TGenrePeriode::Jour)
{
    TPeriode p;
    p.nGenre = nGenre;
    p.dJour = d;
    return p;
}

TEnrImgBDD Image(const QString &cChemin, const QDateTime &dt, const QDateTime &dtEXIF = {})
{
    TEnrImgBDD e;
    e.cChemin = cChemin;
    e.dDateFichier = SerieDate(dt);
    e.dDateEXIF = SerieDate(dtEXIF);
    return e;
}

QDateTime DT(int a, int m, int j, int h = 12, int mi = 0, int s = 0)
{
    return QDateTime(QDate(a, m, j), QTime(h, mi, s));
}

// Where RemplirCellules put image i, as (row, column); (0, 0) when in no cell.
std::pair<int, int> CelluleDe(const TCellules &c, int i)
{
    for (int r = 0; r < nLignesMax; ++r)
        for (int k = 0; k < nColonnesMax; ++k)
            if (c[r][k].lstImgs.contains(i))
                return {r + 1, k + 1};
    return {0, 0};
}

void DateFichier(const QString &cFichier, const QDateTime &dt)
{
    struct utimbuf t;
    t.actime = t.modtime = time_t(dt.toSecsSinceEpoch());
    ASSERT_EQ(utime(QFile::encodeName(cFichier).constData(), &t), 0) << cFichier.toStdString();
}

// A JPEG whose EXIF block holds only a shooting date ("yyyy:MM:dd HH:mm:ss").
QByteArray JpegAvecDate(const QByteArray &cDate)
{
    QByteArray t("II*\0\x08\0\0\0", 8);
    auto Mot = [&t](quint16 n) { t.append(char(n & 0xFF)).append(char(n >> 8)); };
    auto Long = [&t](quint32 n) {
        for (int i = 0; i < 4; ++i)
            t.append(char((n >> (8 * i)) & 0xFF));
    };
    Mot(1); // IFD0: the EXIF IFD pointer
    Mot(0x8769), Mot(4), Long(1), Long(26);
    Long(0);
    Mot(1); // EXIF IFD: DateTimeOriginal
    Mot(0x9003), Mot(2), Long(20), Long(44);
    Long(0);
    t.append(cDate).append('\0');
    QByteArray App1 = QByteArray("Exif\0\0", 6) + t;
    QByteArray j("\xFF\xD8\xFF\xE1", 4);
    j.append(char((App1.size() + 2) >> 8)).append(char((App1.size() + 2) & 0xFF)).append(App1);
    j.append("\xFF\xD9", 2);
    return j;
}

class TLocaleAnglaise
{
public:
    TLocaleAnglaise() : m_Defaut(QLocale())
    {
        m_cAncien = qgetenv("LC_ALL");
        qputenv("LC_ALL", "en_US.UTF-8");
        std::setlocale(LC_ALL, "");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    ~TLocaleAnglaise()
    {
        if (m_cAncien.isNull())
            qunsetenv("LC_ALL");
        else
            qputenv("LC_ALL", m_cAncien);
        std::setlocale(LC_ALL, "");
        QLocale::setDefault(m_Defaut);
    }

private:
    QByteArray m_cAncien;
    QLocale m_Defaut;
};
} // namespace

TEST(Calendrier, GrillesEtLibellesDesSixGenres)
{
    EXPECT_EQ(GrilleDe(Jour(QDate(2005, 4, 3))).nColonnes, 6);
    EXPECT_EQ(GrilleDe(Jour(QDate(2005, 4, 3))).nLignes, 4);
    EXPECT_EQ(LibelleCellule(Jour(QDate(2005, 4, 3)), 1), "0:00");
    EXPECT_EQ(LibelleCellule(Jour(QDate(2005, 4, 3)), 24), "23:00");
    EXPECT_EQ(LibelleCellule(Jour(QDate(2005, 4, 3)), 25), "");

    const TPeriode Semaine = Jour(QDate(2005, 4, 10), TGenrePeriode::Semaine); // a Sunday
    EXPECT_EQ(GrilleDe(Semaine).nColonnes, 4);
    EXPECT_EQ(GrilleDe(Semaine).nLignes, 2);
    EXPECT_EQ(LibelleCellule(Semaine, 1), "lundi 4 avr.");
    EXPECT_EQ(LibelleCellule(Semaine, 7), "dimanche 10 avr.");
    EXPECT_EQ(LibelleCellule(Semaine, 8), "");

    EXPECT_EQ(GrilleDe(Mois(2, 2005)).nLignes, 4);
    EXPECT_EQ(GrilleDe(Mois(2, 2004)).nLignes, 5);
    EXPECT_EQ(GrilleDe(Mois(1, 2005)).nColonnes, 7);
    EXPECT_EQ(LibelleCellule(Mois(2, 2004), 29), "29");
    EXPECT_EQ(LibelleCellule(Mois(2, 2004), 30), "");
    EXPECT_EQ(LibelleCellule(Mois(4, 2005), 31), "");
    // The first heading is the weekday of the 1st: 1 April 2005 was a Friday.
    EXPECT_EQ(EntetesColonnes(Mois(4, 2005)),
              QStringList({"vendredi", "samedi", "dimanche", "lundi", "mardi", "mercredi", "jeudi"}));
    EXPECT_TRUE(EntetesColonnes(Mois(4, 2005, TGenrePeriode::Annee)).isEmpty());

    const TPeriode Trimestre = Mois(11, 2004, TGenrePeriode::Trimestre);
    EXPECT_EQ(GrilleDe(Trimestre).Cellules(), 15);
    EXPECT_EQ(LibelleCellule(Trimestre, 1), "1..7 nov. 2004");
    EXPECT_EQ(LibelleCellule(Trimestre, 5), "29..30 nov. 2004");
    EXPECT_EQ(LibelleCellule(Trimestre, 10), "29..31 déc. 2004");
    EXPECT_EQ(LibelleCellule(Trimestre, 15), "29..31 janv. 2005");
    const TPeriode TrimestreFevrier = Mois(12, 2004, TGenrePeriode::Trimestre);
    EXPECT_EQ(LibelleCellule(TrimestreFevrier, 14), "22..28 févr. 2005");
    EXPECT_EQ(LibelleCellule(TrimestreFevrier, 15), "");

    const TPeriode Semestre = Mois(9, 2004, TGenrePeriode::Semestre);
    EXPECT_EQ(GrilleDe(Semestre).nColonnes, 3);
    EXPECT_EQ(LibelleCellule(Semestre, 1), "septembre 2004");
    EXPECT_EQ(LibelleCellule(Semestre, 6), "février 2005");

    const TPeriode Annee = Mois(1, 2005, TGenrePeriode::Annee);
    EXPECT_EQ(GrilleDe(Annee).nColonnes, 4);
    EXPECT_EQ(GrilleDe(Annee).nLignes, 3);
    EXPECT_EQ(LibelleCellule(Annee, 12), "décembre 2005");
}

TEST(Calendrier, PlacementDansChaqueGenre)
{
    int l = 0, c = 0;
    // The last minute of the day is in the last hour cell.
    ASSERT_TRUE(PlacerImage(Jour(QDate(2005, 4, 3)), SerieDate(DT(2005, 4, 3, 23, 59, 59)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(4, 6));
    ASSERT_TRUE(PlacerImage(Jour(QDate(2005, 4, 3)), SerieDate(DT(2005, 4, 3, 0, 0, 0)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(1, 1));
    EXPECT_FALSE(PlacerImage(Jour(QDate(2005, 4, 3)), SerieDate(DT(2005, 4, 4, 0, 0, 0)), l, c));

    // A week chosen by its Sunday runs from the Monday six days before.
    const TPeriode Semaine = Jour(QDate(2005, 4, 10), TGenrePeriode::Semaine);
    ASSERT_TRUE(PlacerImage(Semaine, SerieDate(DT(2005, 4, 4, 0, 0)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(1, 1));
    ASSERT_TRUE(PlacerImage(Semaine, SerieDate(DT(2005, 4, 10, 23, 0)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(2, 3));
    EXPECT_FALSE(PlacerImage(Semaine, SerieDate(DT(2005, 4, 3, 23, 0)), l, c));
    EXPECT_FALSE(PlacerImage(Semaine, SerieDate(DT(2005, 4, 11, 0, 0)), l, c));

    ASSERT_TRUE(PlacerImage(Mois(2, 2004), SerieDate(DT(2004, 2, 29)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(5, 1));
    ASSERT_TRUE(PlacerImage(Mois(2, 2005), SerieDate(DT(2005, 2, 28)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(4, 7));

    const TPeriode Trimestre = Mois(11, 2004, TGenrePeriode::Trimestre);
    ASSERT_TRUE(PlacerImage(Trimestre, SerieDate(DT(2005, 1, 31)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(3, 5));
    ASSERT_TRUE(PlacerImage(Trimestre, SerieDate(DT(2004, 11, 8)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(1, 2));
    EXPECT_FALSE(PlacerImage(Trimestre, SerieDate(DT(2005, 2, 1)), l, c));

    ASSERT_TRUE(PlacerImage(Mois(9, 2004, TGenrePeriode::Semestre), SerieDate(DT(2005, 2, 1)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(2, 3));
    ASSERT_TRUE(PlacerImage(Mois(1, 2005, TGenrePeriode::Annee), SerieDate(DT(2005, 5, 1)), l, c));
    EXPECT_EQ(std::pair(l, c), std::pair(2, 1));
    EXPECT_FALSE(PlacerImage(Mois(1, 2005, TGenrePeriode::Annee), 0, l, c));
}

TEST(Calendrier, CellulesTrieesALaSecondePuisParOctetsDuChemin)
{
    std::vector<TEnrImgBDD> Images = {
        Image("/photos/b.jpg", DT(2005, 4, 3, 10, 0, 0)),
        Image("/photos/Z.jpg", DT(2005, 4, 3, 10, 0, 0)),
        Image("/photos/é.jpg", DT(2005, 4, 3, 10, 0, 0)),
        Image("/photos/a.jpg", DT(2005, 4, 3, 9, 59, 59)),
        Image("/photos/autre.jpg", DT(2005, 4, 4, 10, 0, 0)),
        Image(QString::fromUtf8("/photos/\xF0\x9F\x98\x80.jpg"), DT(2005, 4, 3, 10, 0, 0)), // U+1F600
        Image(QString::fromUtf8("/photos/\xEF\xBC\xA1.jpg"), DT(2005, 4, 3, 10, 0, 0)),     // U+FF21
    };
    TCellules Cellules;
    const TGrille g = RemplirCellules(Images, false, Mois(4, 2005), Cellules);
    EXPECT_EQ(g.nLignes, 5);
    const TEnrCell &Le3 = Cellules[0][2];
    EXPECT_EQ(Le3.cLibelle, "3");
    EXPECT_EQ(Le3.nNbImgs, 6);
    EXPECT_EQ(Le3.nImgCour, 0);
    // Earlier second first; then "Z" (0x5A) before "b", "é" (0xC3 0xA9), U+FF21 (0xEF...) and
    // U+1F600 (0xF0...), whose UTF-16 surrogates would sort it before U+FF21.
    EXPECT_EQ(Le3.lstImgs, QList<int>({3, 1, 0, 2, 6, 5}));
    EXPECT_EQ(Cellules[0][3].lstImgs, QList<int>({4}));
    EXPECT_EQ(Cellules[0][0].nImgCour, -1);
    EXPECT_EQ(Cellules[4][1].cLibelle, "30");
    EXPECT_EQ(Cellules[4][2].cLibelle, "");

    // A second search empties the cells of the first one.
    RemplirCellules(Images, false, Mois(2, 2005), Cellules);
    EXPECT_EQ(CelluleDe(Cellules, 0), std::pair(0, 0));
    EXPECT_EQ(Cellules[4][0].cLibelle, "");
}

TEST(Calendrier, DateEXIFChoisieSansEXIFDansAucuneCellule)
{
    std::vector<TEnrImgBDD> Images = {
        Image("/a.jpg", DT(2005, 4, 3, 10, 0), DT(2005, 4, 1, 8, 0)),
        Image("/b.jpg", DT(2005, 4, 3, 10, 0)),
    };
    TCellules Cellules;
    RemplirCellules(Images, true, Mois(4, 2005), Cellules);
    EXPECT_EQ(CelluleDe(Cellules, 0), std::pair(1, 1));
    EXPECT_EQ(CelluleDe(Cellules, 1), std::pair(0, 0));
    RemplirCellules(Images, false, Mois(4, 2005), Cellules);
    EXPECT_EQ(CelluleDe(Cellules, 0), std::pair(1, 3));
    EXPECT_EQ(CelluleDe(Cellules, 1), std::pair(1, 3));
}

TEST(Calendrier, NavigationDUneUniteDansLesAnneesDeLaListe)
{
    TPeriode p = Mois(11, 2004, TGenrePeriode::Trimestre);
    ASSERT_TRUE(NaviguePeriode(p, 1, 1995, 2026));
    EXPECT_EQ(std::pair(p.nMois, p.nAnnee), std::pair(2, 2005));
    ASSERT_TRUE(NaviguePeriode(p, -1, 1995, 2026));
    ASSERT_TRUE(NaviguePeriode(p, -1, 1995, 2026));
    EXPECT_EQ(std::pair(p.nMois, p.nAnnee), std::pair(8, 2004));

    p = Mois(12, 2004);
    ASSERT_TRUE(NaviguePeriode(p, 1, 1995, 2026));
    EXPECT_EQ(std::pair(p.nMois, p.nAnnee), std::pair(1, 2005));
    p = Mois(3, 2005, TGenrePeriode::Semestre);
    ASSERT_TRUE(NaviguePeriode(p, -1, 1995, 2026));
    EXPECT_EQ(std::pair(p.nMois, p.nAnnee), std::pair(9, 2004));

    // The last year of the list: next does not move.
    p = Mois(6, 2026, TGenrePeriode::Annee);
    EXPECT_FALSE(NaviguePeriode(p, 1, 1995, 2026));
    EXPECT_EQ(p.nAnnee, 2026);
    p = Mois(12, 2026);
    EXPECT_FALSE(NaviguePeriode(p, 1, 1995, 2026));
    EXPECT_EQ(std::pair(p.nMois, p.nAnnee), std::pair(12, 2026));
    p = Mois(1, 1995);
    EXPECT_FALSE(NaviguePeriode(p, -1, 1995, 2026));

    p = Jour(QDate(2005, 3, 1));
    ASSERT_TRUE(NaviguePeriode(p, -1, 1995, 2026));
    EXPECT_EQ(p.dJour, QDate(2005, 2, 28));
    p = Jour(QDate(2005, 4, 10), TGenrePeriode::Semaine);
    ASSERT_TRUE(NaviguePeriode(p, 1, 1995, 2026));
    EXPECT_EQ(p.dJour, QDate(2005, 4, 17));

    EXPECT_EQ(BulleNavigation(TGenrePeriode::Trimestre, -1), "trimestre précédent(e)");
    EXPECT_EQ(BulleNavigation(TGenrePeriode::Annee, 1), "annee suivant(e)");
}

TEST(Calendrier, AnneesDeLaPlusAncienneALaPlusRecente)
{
    int nMin = 0, nMax = 0;
    AnneesCalendrier({}, QDate(2026, 12, 9), nMin, nMax);
    EXPECT_EQ(std::pair(nMin, nMax), std::pair(1995, 2026));
    // An old image and one dated in the future by a wrong clock are both reachable.
    AnneesCalendrier({Image("/a.jpg", DT(1987, 6, 1)), Image("/b.jpg", DT(2005, 1, 1), DT(2031, 1, 1))},
                     QDate(2026, 12, 9), nMin, nMax);
    EXPECT_EQ(std::pair(nMin, nMax), std::pair(1987, 2031));
    TPeriode p = Mois(6, 1987);
    TCellules Cellules;
    RemplirCellules({Image("/a.jpg", DT(1987, 6, 1))}, false, p, Cellules);
    EXPECT_EQ(Cellules[0][0].nNbImgs, 1);
}

TEST(Calendrier, BulleEtExploration)
{
    TEnrImgBDD e = Image("/photos/2005/img.jpg", DT(2005, 4, 3, 10, 0, 5), DT(2005, 4, 2, 9, 1, 2));
    EXPECT_EQ(BulleImageCalendrier(e, 2, 7, "Vacances"),
              "2°/7 Image(s)\r\n/photos/2005/\r\n<SG>img.jpg</SG/> Vacances\r\n"
              "date de modification : Di 03/04/2005 10:00:05\r\n"
              "date de prise de vue (EXIF) : Sa 02/04/2005 09:01:02");
    e.dDateEXIF = 0;
    EXPECT_FALSE(BulleImageCalendrier(e, 1, 1, "").contains("EXIF"));

    std::vector<TEnrImgBDD> Images = {
        Image("/b.jpg", DT(2005, 1, 30, 10, 0)),
        Image("/a.jpg", DT(2005, 1, 29, 10, 0)),
        Image("/c.jpg", DT(2005, 1, 30, 8, 0)),
    };
    TCellules Cellules;
    const TPeriode Trimestre = Mois(11, 2004, TGenrePeriode::Trimestre);
    RemplirCellules(Images, false, Trimestre, Cellules);
    const TExploration x = ExplorerCellule(Images, false, Trimestre, Cellules, 3, 5);
    EXPECT_EQ(x.Racine.cLibelle, "29..31 janv. 2005");
    EXPECT_EQ(x.cOnglet, "Exploration : 29..31 janv. 2005");
    EXPECT_EQ(x.Racine.lstImgs, QList<int>({1, 2, 0}));
    ASSERT_EQ(x.Jours.size(), 2);
    EXPECT_EQ(x.Jours[0].cLibelle, "Sa 29 janvier");
    EXPECT_EQ(x.Jours[0].lstImgs, QList<int>({1}));
    EXPECT_EQ(x.Jours[1].cLibelle, "Di 30 janvier");
    EXPECT_EQ(x.Jours[1].lstImgs, QList<int>({2, 0}));

    RemplirCellules(Images, false, Mois(1, 2005), Cellules);
    const TExploration m = ExplorerCellule(Images, false, Mois(1, 2005), Cellules, 5, 2);
    EXPECT_EQ(m.Racine.cLibelle, "dimanche 30 janvier 2005");
    EXPECT_EQ(m.cOnglet, "Exploration : Mois de janvier 2005");
    EXPECT_TRUE(m.Jours.isEmpty());

    const TPeriode j = Jour(QDate(2005, 1, 30));
    RemplirCellules(Images, false, j, Cellules);
    const TExploration h = ExplorerCellule(Images, false, j, Cellules, 2, 5);
    EXPECT_EQ(h.Racine.cLibelle, "Di 30/01/2005 10:00");
    EXPECT_EQ(h.Racine.lstImgs, QList<int>({0}));
}

TEST(Calendrier, GeometrieDuPopupEtTailleDesImages)
{
    // Seven pictures of 100: (520 - 0 - 17) / 103 = 4 columns, so 2 rows.
    TGeometriePopup g = GeometriePopup(7, 100, 0, 520, 17, 1000);
    EXPECT_EQ(std::pair(g.nColonnes, g.nLignes), std::pair(4, 2));
    EXPECT_EQ(std::pair(g.nLargeur, g.nHauteur), std::pair(412, 206));
    // No more columns than pictures, at least one, and the height limited to the room below.
    g = GeometriePopup(3, 100, 0, 2000, 17, 1000);
    EXPECT_EQ(std::pair(g.nColonnes, g.nLignes), std::pair(3, 1));
    g = GeometriePopup(7, 100, 450, 520, 17, 250);
    EXPECT_EQ(std::pair(g.nColonnes, g.nLignes), std::pair(1, 7));
    EXPECT_EQ(g.nHauteur, 250);
    EXPECT_EQ(g.nLargeur, 103 + 17);

    EXPECT_EQ(TailleImageCellule(100, 75, 100), QSize(100, 75));
    EXPECT_EQ(TailleImageCellule(200, 150, 100), QSize(100, 75));
    // An upright picture whose width leaves 1 in a division by 4 is widened by one pixel.
    EXPECT_EQ(TailleImageCellule(146, 200, 100), QSize(74, 100));
    EXPECT_EQ(TailleImageCellule(150, 200, 100), QSize(75, 100));
}

TEST(Calendrier, ChargementDesImagesDuCatalogue)
{
    QTemporaryDir Temp;
    const QString cVig = Temp.filePath("vig") + '/';
    const QString cImgs = Temp.filePath("imgs") + '/';
    TBigIniFile iniBDD(Temp.filePath("bdd.ini"), true);
    TBigIniFile iniSetup(Temp.filePath("setup.ini"));
    iniBDD.lAutoSave = iniSetup.lAutoSave = false;

    const QString cAvec = cImgs + "avec.jpg", cSansVig = cImgs + "sansvig.jpg", cMotCle = cImgs + "motcle.jpg";
    for (const QString &c : {cAvec, cSansVig, cMotCle})
        ASSERT_TRUE(EcritFichier(c, "x"));
    for (const QString &c : {cAvec, cMotCle, cImgs + "disparue.jpg"})
        ASSERT_TRUE(EcritFichier(NomVignette(cVig, 0, c), "v"));
    const qint32 nCD = -123456;
    ASSERT_TRUE(EcritFichier(NomVignette(cVig, nCD, "/dcim/cd.jpg"), "v"));
    DateFichier(cAvec, DT(2003, 5, 6, 7, 8, 9));
    DateFichier(NomVignette(cVig, nCD, "/dcim/cd.jpg"), DT(2001, 2, 3, 4, 5, 6));

    iniBDD.WriteString(cAvec, "Lieux/Paris", "1");
    iniBDD.WriteString(cSansVig, "Lieux/Paris", "1");
    iniBDD.WriteString(cImgs + "disparue.jpg", "Lieux/Paris", "1");
    iniSetup.WriteString(cSectionMotsCles, cMotCle, "mer");
    iniSetup.WriteString(cSectionCoupsDeCoeur, cAvec, "1");
    iniSetup.WriteString(cSectionLegendes, CleImage(nCD, "/dcim/cd.jpg"), "Sur le CD");

    EXPECT_EQ(ClesImagesCalendrier(iniBDD, iniSetup),
              QStringList({cAvec, cSansVig, cImgs + "disparue.jpg", cMotCle, CleImage(nCD, "/dcim/cd.jpg")}));
    const std::vector<TEnrImgBDD> Images = ChargerImagesCalendrier(iniBDD, iniSetup, cVig);
    ASSERT_EQ(Images.size(), 3u);
    EXPECT_EQ(Images[0].cChemin, cAvec);
    EXPECT_EQ(Images[0].dDateFichier, SerieDate(DT(2003, 5, 6, 7, 8, 9)));
    EXPECT_EQ(Images[1].cChemin, cMotCle);
    EXPECT_EQ(Images[2].nIdCD, nCD);
    EXPECT_EQ(Images[2].cChemin, "/dcim/cd.jpg");
    EXPECT_EQ(Images[2].dDateFichier, SerieDate(DT(2001, 2, 3, 4, 5, 6)));
    for (const TEnrImgBDD &e : Images)
        EXPECT_EQ(e.dDateEXIF, 0);
}

TEST(Calendrier, DatesEXIFLuesSousUneLocaleAnglaise)
{
    TLocaleAnglaise Locale;
    QTemporaryDir Temp;
    TBigIniFile iniSetup(Temp.filePath("setup.ini"));
    iniSetup.lAutoSave = false;

    const qint32 nCD = 77;
    TDonneesEXIF Exif;
    Exif.lEXIF = true;
    Exif.cAppareil = "Appareil";
    Exif.cDatePDV = "03/04/2005 10:00:00";
    EcrireEXIFCatalogue(iniSetup, CleImage(nCD, "/cd.jpg"), Exif);

    const QString cFichier = Temp.filePath("fichier.jpg");
    ASSERT_TRUE(EcritFichier(cFichier, JpegAvecDate("2005:04:05 06:07:08")));
    const QString cSansExif = Temp.filePath("sans.jpg");
    ASSERT_TRUE(EcritFichier(cSansExif, "pas une image"));

    std::vector<TEnrImgBDD> Images(3);
    Images[0].nIdCD = nCD;
    Images[0].cChemin = "/cd.jpg";
    Images[1].cChemin = cFichier;
    Images[2].cChemin = cSansExif;
    int nDernier = -1;
    ASSERT_TRUE(LireDatesEXIF(
        Images, iniSetup,
        [&](int n) {
            nDernier = n;
            return true;
        },
        2));
    EXPECT_EQ(nDernier, 3);
    EXPECT_EQ(Images[0].dDateEXIF, SerieDate(DT(2005, 4, 3, 10, 0, 0)));
    EXPECT_EQ(Images[1].dDateEXIF, SerieDate(DT(2005, 4, 5, 6, 7, 8)));
    EXPECT_EQ(Images[2].dDateEXIF, 0);

    TCellules Cellules;
    RemplirCellules(Images, true, Mois(4, 2005), Cellules);
    EXPECT_EQ(CelluleDe(Cellules, 0), std::pair(1, 3));

    // An interrupted reading leaves no date behind.
    EXPECT_FALSE(LireDatesEXIF(
        Images, iniSetup, [](int) { return false; }, 2));
    for (const TEnrImgBDD &e : Images)
        EXPECT_EQ(e.dDateEXIF, 0);
}

TEST(Calendrier, ChargementEnTranchesGardeLOrdreDesCles)
{
    QTemporaryDir Temp;
    const QString cVig = Temp.filePath("vig") + '/';
    TBigIniFile iniBDD(Temp.filePath("bdd.ini"), true);
    TBigIniFile iniSetup(Temp.filePath("setup.ini"));
    iniBDD.lAutoSave = iniSetup.lAutoSave = false;
    // Enough keys for several threads; only every 500th has its file and thumbnail.
    QStringList Attendues;
    for (int n = 0; n < 9000; ++n) {
        const QString c = Temp.filePath(QStringLiteral("imgs/%1.jpg").arg(8999 - n, 4, 10, QLatin1Char('0')));
        iniBDD.WriteString(c, "Lieux/Paris", "1");
        if (n % 500 == 0) {
            ASSERT_TRUE(EcritFichier(c, "x"));
            ASSERT_TRUE(EcritFichier(NomVignette(cVig, 0, c), "v"));
            Attendues << c;
        }
    }
    QStringList Lues;
    for (const TEnrImgBDD &e : ChargerImagesCalendrier(iniBDD, iniSetup, cVig))
        Lues << e.cChemin;
    EXPECT_EQ(Lues, Attendues);
}
