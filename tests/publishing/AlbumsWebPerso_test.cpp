#include "publishing/AlbumsWebPerso.h"

#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace AlbumsWebPerso;

namespace
{
class AlbumsWebPersoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        Ouvre(QString());
    }
    // A store holding the given text, changes saved only when an action saves.
    void Ouvre(const QString &cTexte)
    {
        cFichier = Tmp.path() + QStringLiteral("/KX_Setup.ini");
        if (!cTexte.isNull()) {
            QFile f(cFichier);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(cTexte.toUtf8());
        }
        ini = std::make_unique<TBigIniFile>(cFichier);
        ini->lAutoSave = false;
    }
    // The saved file's lines of one section, its header included.
    QStringList LignesSauvees(const QString &cSection) const
    {
        QFile f(cFichier);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList l;
        bool lDedans = false;
        for (const QString &c : QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"))) {
            if (c.startsWith(QLatin1Char('[')))
                lDedans = c == QLatin1Char('[') + cSection + QLatin1Char(']');
            if (lDedans && !c.isEmpty())
                l << c;
        }
        return l;
    }
    QString Dossiers(const QString &cAlbum) const
    {
        return ini->ReadString(SectionAlbum(cAlbum), QStringLiteral("<aDossiers>"), QStringLiteral("<absent>"));
    }
    void Images(const QString &cAlbum, const QString &cChemin, const QStringList &Cles)
    {
        for (const QString &c : Cles)
            ini->WriteString(SectionDossier(cAlbum, cChemin), c, QString());
    }
    // An album "Monde" with Voyages, Voyages/Italie (3 images), Voyages/Italie/Rome (1 image),
    // Voyages (1 image of its own), and Maison.
    void AlbumMonde()
    {
        ini->WriteString(SectionAlbum(QStringLiteral("Monde")), QStringLiteral("<aDossiers>"),
                         QStringLiteral("Voyages|Voyages/Italie|Voyages/Italie/Rome|Maison"));
        Images(QStringLiteral("Monde"), QStringLiteral("Voyages"), {QStringLiteral("/p/v.jpg")});
        Images(QStringLiteral("Monde"), QStringLiteral("Voyages/Italie"),
               {QStringLiteral("/p/a.jpg"), QStringLiteral("/p/b.jpg"), QStringLiteral("/p/c.jpg")});
        Images(QStringLiteral("Monde"), QStringLiteral("Voyages/Italie/Rome"), {QStringLiteral("/p/r.jpg")});
    }
    QStringList Cles(const QString &cAlbum, const QString &cChemin) const
    {
        QStringList l = ImagesDossier(*ini, cAlbum, cChemin);
        l.sort();
        return l;
    }

    QTemporaryDir Tmp;
    QString cFichier;
    std::unique_ptr<TBigIniFile> ini;
};

TEST_F(AlbumsWebPersoTest, DeletingADeeperFolderMovesItsImagesUpAndATopFolderDropsThem)
{
    AlbumMonde();
    const TResultat R = SupprimeDossier(*ini, QStringLiteral("Monde"), QStringLiteral("Voyages/Italie"));
    EXPECT_TRUE(R.lFait);
    EXPECT_TRUE(R.cErreurSauvegarde.isEmpty());
    EXPECT_FALSE(ini->Modifie()) << "the action saves";
    EXPECT_EQ(Dossiers(QStringLiteral("Monde")), QStringLiteral("Voyages|Maison"));
    EXPECT_EQ(Cles(QStringLiteral("Monde"), QStringLiteral("Voyages")),
              QStringList({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/r.jpg", "/p/v.jpg"}));
    EXPECT_FALSE(ini->SectionExists(SectionDossier(QStringLiteral("Monde"), QStringLiteral("Voyages/Italie"))));
    EXPECT_FALSE(ini->SectionExists(SectionDossier(QStringLiteral("Monde"), QStringLiteral("Voyages/Italie/Rome"))));

    SupprimeDossier(*ini, QStringLiteral("Monde"), QStringLiteral("Voyages"));
    EXPECT_EQ(Dossiers(QStringLiteral("Monde")), QStringLiteral("Maison"));
    EXPECT_FALSE(ini->SectionExists(SectionDossier(QStringLiteral("Monde"), QStringLiteral("Voyages"))));
    EXPECT_TRUE(ImagesAlbumPerso(*ini, QStringLiteral("Monde")).isEmpty());
}

TEST_F(AlbumsWebPersoTest, RenamingAFolderMovesItsSubTreeOnlyInItsAlbum)
{
    AlbumMonde();
    // Another album with the same paths, and a sibling whose name only begins like the folder.
    ini->WriteString(SectionAlbum(QStringLiteral("Autre")), QStringLiteral("<aDossiers>"),
                     QStringLiteral("Voyages|Voyages/Italie|Voyages/Italiennes"));
    Images(QStringLiteral("Autre"), QStringLiteral("Voyages/Italie"), {QStringLiteral("/q/x.jpg")});
    Images(QStringLiteral("Monde"), QStringLiteral("Voyages/Italiennes"), {QStringLiteral("/q/i.jpg")});
    ini->WriteString(SectionAlbum(QStringLiteral("Monde")), QStringLiteral("<aDossiers>"),
                     QStringLiteral("Voyages|Voyages/Italie|Voyages/Italie/Rome|Voyages/Italiennes|Maison"));

    const TResultat R =
        RenommeDossier(*ini, QStringLiteral("Monde"), QStringLiteral("Voyages/Italie"), QStringLiteral("Italia"));
    EXPECT_TRUE(R.lFait);
    EXPECT_EQ(R.cChemin, QStringLiteral("Voyages/Italia"));
    EXPECT_EQ(Dossiers(QStringLiteral("Monde")),
              QStringLiteral("Voyages|Voyages/Italia|Voyages/Italia/Rome|Voyages/Italiennes|Maison"));
    EXPECT_EQ(Cles(QStringLiteral("Monde"), QStringLiteral("Voyages/Italia")),
              QStringList({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
    EXPECT_EQ(Cles(QStringLiteral("Monde"), QStringLiteral("Voyages/Italia/Rome")), QStringList({"/p/r.jpg"}));
    EXPECT_EQ(Cles(QStringLiteral("Monde"), QStringLiteral("Voyages/Italiennes")), QStringList({"/q/i.jpg"}));
    EXPECT_FALSE(ini->SectionExists(SectionDossier(QStringLiteral("Monde"), QStringLiteral("Voyages/Italie"))));
    EXPECT_EQ(Cles(QStringLiteral("Autre"), QStringLiteral("Voyages/Italie")), QStringList({"/q/x.jpg"}));
    EXPECT_EQ(Dossiers(QStringLiteral("Autre")), QStringLiteral("Voyages|Voyages/Italie|Voyages/Italiennes"));
}

TEST_F(AlbumsWebPersoTest, NamesGivenByRenamingAndAtCreation)
{
    AlbumMonde();
    const QString M = QStringLiteral("Monde");
    for (const char *c : {"..", ".", "  ", "Été", "a/b", "Maison", "MAISON ", "x:y"})
        EXPECT_EQ(RenommeDossier(*ini, M, QStringLiteral("Voyages"), QString::fromUtf8(c)).cRefus,
                  QStringLiteral("Valeur incorrecte."))
            << c;
    EXPECT_EQ(Dossiers(M), QStringLiteral("Voyages|Voyages/Italie|Voyages/Italie/Rome|Maison"));
    EXPECT_TRUE(RenommeDossier(*ini, M, QStringLiteral("Voyages"), QStringLiteral(" Vac_2-0.1 ")).lFait);
    EXPECT_EQ(Dossiers(M), QStringLiteral("Vac_2-0.1|Vac_2-0.1/Italie|Vac_2-0.1/Italie/Rome|Maison"));

    for (const char *c : {"", "  ", ".", "..", "A:B", "a/b", "a\\b", "a|b", "a[b", "a]b", "a\tb"})
        EXPECT_EQ(CreeAlbum(*ini, QString::fromUtf8(c)).cRefus, QStringLiteral("Valeur incorrecte.")) << c;
    EXPECT_TRUE(CreeAlbum(*ini, QStringLiteral(" Été à Nîmes ")).lFait);
    EXPECT_EQ(Dossiers(QStringLiteral("Été à Nîmes")), QString());
    EXPECT_EQ(CreeAlbum(*ini, QStringLiteral("MONDE")).cRefus,
              QStringLiteral("Impossible de créer l'album WEB hiérarchique 'MONDE'."));
    EXPECT_EQ(ListerAlbumsPerso(*ini, false), QStringList({"Été à Nîmes", "Monde"}));
    EXPECT_EQ(ListerAlbumsPerso(*ini, true), QStringList({"Monde"}));
    // An album may not take the name of another, whatever the case; its own in another case is fine.
    ASSERT_TRUE(CreeAlbum(*ini, QStringLiteral("Plage")).lFait);
    EXPECT_EQ(RenommeAlbum(*ini, M, QStringLiteral("PLAGE")).cRefus, QStringLiteral("Valeur incorrecte."));
    EXPECT_EQ(RenommeAlbum(*ini, M, QStringLiteral("..")).cRefus, QStringLiteral("Valeur incorrecte."));
    EXPECT_EQ(RenommeAlbum(*ini, M, QStringLiteral("Été")).cRefus, QStringLiteral("Valeur incorrecte."));
    EXPECT_TRUE(RenommeAlbum(*ini, M, QStringLiteral("MONDE")).lFait);
    EXPECT_EQ(ListerAlbumsPerso(*ini, false), QStringList({"Été à Nîmes", "MONDE", "Plage"}));
}

TEST_F(AlbumsWebPersoTest, NewFoldersTakeTheSmallestFreeNumberOfTheirLevel)
{
    ASSERT_TRUE(CreeAlbum(*ini, QStringLiteral("A")).lFait);
    EXPECT_EQ(CreeDossier(*ini, QStringLiteral("A"), std::nullopt).cChemin, QStringLiteral("Nouveau1"));
    EXPECT_EQ(CreeDossier(*ini, QStringLiteral("A"), std::nullopt).cChemin, QStringLiteral("Nouveau2"));
    EXPECT_EQ(CreeDossier(*ini, QStringLiteral("A"), QStringLiteral("Nouveau1")).cChemin,
              QStringLiteral("Nouveau1/Nouveau1"));
    EXPECT_EQ(CreeDossier(*ini, QStringLiteral("A"), QStringLiteral("Nouveau1")).cChemin,
              QStringLiteral("Nouveau1/Nouveau2"));
    SupprimeDossier(*ini, QStringLiteral("A"), QStringLiteral("Nouveau1"));
    EXPECT_EQ(CreeDossier(*ini, QStringLiteral("A"), std::nullopt).cChemin, QStringLiteral("Nouveau1"));
    EXPECT_EQ(Dossiers(QStringLiteral("A")), QStringLiteral("Nouveau2|Nouveau1"));
    EXPECT_FALSE(CreeDossier(*ini, QStringLiteral("A"), QStringLiteral("Absent")).lFait);
}

TEST_F(AlbumsWebPersoTest, CopyAndMoveOfAFolderWithOrWithoutItsImages)
{
    AlbumMonde();
    const QString M = QStringLiteral("Monde");
    // Copy with images: the sub-tree appears under the target with its keys, the source stays.
    TResultat R = CopieDossier(*ini, M, QStringLiteral("Voyages/Italie"), QStringLiteral("Maison"), true, false);
    EXPECT_EQ(R.cChemin, QStringLiteral("Maison/Italie"));
    EXPECT_EQ(Dossiers(M), QStringLiteral("Voyages|Voyages/Italie|Voyages/Italie/Rome|Maison|Maison/Italie|"
                                          "Maison/Italie/Rome"));
    EXPECT_EQ(Cles(M, QStringLiteral("Maison/Italie/Rome")), QStringList({"/p/r.jpg"}));
    EXPECT_EQ(Cles(M, QStringLiteral("Voyages/Italie")).size(), 3);

    // Move answered No: the folders go, their images join the former parent.
    CopieDossier(*ini, M, QStringLiteral("Maison/Italie"), QStringLiteral("Voyages/Italie/Rome"), false, true);
    EXPECT_EQ(Dossiers(M), QStringLiteral("Voyages|Voyages/Italie|Voyages/Italie/Rome|Voyages/Italie/Rome/Italie|"
                                          "Voyages/Italie/Rome/Italie/Rome|Maison"));
    EXPECT_EQ(Cles(M, QStringLiteral("Maison")), QStringList({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg", "/p/r.jpg"}));
    EXPECT_TRUE(Cles(M, QStringLiteral("Voyages/Italie/Rome/Italie")).isEmpty());

    // Move answered Yes: the images travel and the former parent's section is not touched.
    ASSERT_TRUE(ini->UpdateFile());
    const QStringList Avant = LignesSauvees(SectionDossier(M, QStringLiteral("Voyages")));
    CopieDossier(*ini, M, QStringLiteral("Voyages/Italie"), QStringLiteral("Maison"), true, true);
    EXPECT_EQ(LignesSauvees(SectionDossier(M, QStringLiteral("Voyages"))), Avant);
    EXPECT_EQ(Cles(M, QStringLiteral("Maison/Italie")), QStringList({"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
    EXPECT_FALSE(ini->SectionExists(SectionDossier(M, QStringLiteral("Voyages/Italie"))));
    EXPECT_EQ(Dossiers(M), QStringLiteral("Voyages|Maison|Maison/Italie|Maison/Italie/Rome|Maison/Italie/Rome/Italie|"
                                          "Maison/Italie/Rome/Italie/Rome"));

    // Moving a top-level folder answered No drops its images.
    CopieDossier(*ini, M, QStringLiteral("Voyages"), QStringLiteral("Maison/Italie"), false, true);
    EXPECT_TRUE(Cles(M, QStringLiteral("Maison/Italie/Voyages")).isEmpty());
    EXPECT_FALSE(ImagesAlbumPerso(*ini, M).contains(QStringLiteral("/p/v.jpg")));
}

TEST_F(AlbumsWebPersoTest, DropRules)
{
    const QStringList C = {"A", "A/B", "A/B/C", "AB", "D", "D/b"};
    EXPECT_FALSE(PeutDeposer(C, "A/B", "A/B")) << "itself";
    EXPECT_FALSE(PeutDeposer(C, "A/B", "A")) << "its parent";
    EXPECT_FALSE(PeutDeposer(C, "A", "A/B/C")) << "a descendant";
    EXPECT_FALSE(PeutDeposer(C, "A/B", "D")) << "a child of the same name, in another case";
    EXPECT_FALSE(PeutDeposer(C, "A/B", "Z")) << "no such target";
    EXPECT_TRUE(PeutDeposer(C, "A", "AB")) << "a name that merely begins like the source";
    EXPECT_TRUE(PeutDeposer(C, "A/B/C", "A"));
}

TEST_F(AlbumsWebPersoTest, DeletingAnAlbumSparesAnAlbumWhoseNameContinuesIt)
{
    Ouvre(QStringLiteral("[SAUVEGARDE ALBUM WEB:A]\r\n<aDossiers>=X\r\n"
                         "[SAUVEGARDE ALBUM WEB:A:X]\r\n/p/1.jpg=\r\n"
                         "[SAUVEGARDE ALBUM WEB:A:Ghost]\r\n/p/g.jpg=\r\n"
                         "[SAUVEGARDE ALBUM WEB:A:B]\r\n<aDossiers>=Y|Y/Z\r\n"
                         "[SAUVEGARDE ALBUM WEB:A:B:Y]\r\n/p/2.jpg=\r\n"
                         "[SAUVEGARDE ALBUM WEB:A:B:Y/Z]\r\n/p/3.jpg=\r\n"));
    QStringList Avant;
    for (const char *c : {"A:B", "A:B:Y", "A:B:Y/Z"})
        Avant << LignesSauvees(QStringLiteral("SAUVEGARDE ALBUM WEB:") + QLatin1String(c));
    EXPECT_EQ(ImagesAlbumPerso(*ini, QStringLiteral("A")), QStringList({"/p/1.jpg", "/p/g.jpg"}));
    ASSERT_TRUE(SupprimeAlbum(*ini, QStringLiteral("A")).lFait);
    QStringList Apres;
    for (const char *c : {"A:B", "A:B:Y", "A:B:Y/Z"})
        Apres << LignesSauvees(QStringLiteral("SAUVEGARDE ALBUM WEB:") + QLatin1String(c));
    EXPECT_EQ(Apres, Avant);
    EXPECT_TRUE(LignesSauvees(QStringLiteral("SAUVEGARDE ALBUM WEB:A:X")).isEmpty());
    EXPECT_TRUE(LignesSauvees(QStringLiteral("SAUVEGARDE ALBUM WEB:A:Ghost")).isEmpty());
    EXPECT_EQ(ListerAlbumsPerso(*ini, false), QStringList({"A:B"}));
}

TEST_F(AlbumsWebPersoTest, RenamingOnlyTheCaseKeepsEveryKey)
{
    ASSERT_TRUE(CreeAlbum(*ini, QStringLiteral("voyage")).lFait);
    EcrireDossiers(*ini, QStringLiteral("voyage"), {"ete", "ete/plage"});
    Images(QStringLiteral("voyage"), QStringLiteral("ete"), {"/p/1.jpg", "/p/2.jpg"});
    Images(QStringLiteral("voyage"), QStringLiteral("ete/plage"), {"/p/3.jpg"});

    ASSERT_TRUE(RenommeAlbum(*ini, QStringLiteral("voyage"), QStringLiteral("Voyage")).lFait);
    EXPECT_EQ(ListerAlbumsPerso(*ini, false), QStringList({"Voyage"}));
    EXPECT_EQ(Dossiers(QStringLiteral("Voyage")), QStringLiteral("ete|ete/plage"));
    EXPECT_EQ(Cles(QStringLiteral("Voyage"), QStringLiteral("ete")), QStringList({"/p/1.jpg", "/p/2.jpg"}));

    ASSERT_TRUE(RenommeDossier(*ini, QStringLiteral("Voyage"), QStringLiteral("ete"), QStringLiteral("Ete")).lFait);
    EXPECT_EQ(Dossiers(QStringLiteral("Voyage")), QStringLiteral("Ete|Ete/plage"));
    EXPECT_EQ(Cles(QStringLiteral("Voyage"), QStringLiteral("Ete")), QStringList({"/p/1.jpg", "/p/2.jpg"}));
    EXPECT_EQ(Cles(QStringLiteral("Voyage"), QStringLiteral("Ete/plage")), QStringList({"/p/3.jpg"}));
    // Saved under the new spelling.
    EXPECT_EQ(LignesSauvees(QStringLiteral("SAUVEGARDE ALBUM WEB:Voyage:Ete/plage")),
              QStringList({"[SAUVEGARDE ALBUM WEB:Voyage:Ete/plage]", "/p/3.jpg="}));
}

TEST_F(AlbumsWebPersoTest, DeplacerSectionMergesIntoAnExistingSection)
{
    ini->WriteString(QStringLiteral("S1"), QStringLiteral("a"), QStringLiteral("1"));
    ini->WriteString(QStringLiteral("S1"), QStringLiteral("b"), QStringLiteral("2"));
    ini->WriteString(QStringLiteral("S2"), QStringLiteral("b"), QStringLiteral("old"));
    ini->WriteString(QStringLiteral("S2"), QStringLiteral("c"), QStringLiteral("3"));
    DeplacerSection(*ini, QStringLiteral("S1"), QStringLiteral("S2"));
    EXPECT_FALSE(ini->SectionExists(QStringLiteral("S1")));
    QStringList l;
    ini->ReadSectionValues(QStringLiteral("S2"), l);
    l.sort();
    EXPECT_EQ(l, QStringList({"a=1", "b=2", "c=3"}));
}

TEST_F(AlbumsWebPersoTest, HandEditedFolderListsReadAsATreeAndAreRewrittenOnlyOnAChange)
{
    const QString cBrut = QStringLiteral(" B/C |B||A//x|b| ");
    Ouvre(QStringLiteral("[SAUVEGARDE ALBUM WEB:H]\r\n<aDossiers>=%1\r\n"
                         "[SAUVEGARDE ALBUM WEB:H:Cache]\r\n/p/c.jpg=\r\n")
              .arg(cBrut));
    // A child before its parent, duplicates in any case, an empty piece and an empty level.
    EXPECT_EQ(LitDossiers(*ini, QStringLiteral("H")), QStringList({"B", "B/C", "A", "A/", "A//x"}));
    EXPECT_EQ(Dossiers(QStringLiteral("H")), cBrut);
    EXPECT_EQ(ListerAlbumsPerso(*ini, true), QStringList({"H"}));

    ASSERT_TRUE(CreeDossier(*ini, QStringLiteral("H"), QStringLiteral("B")).lFait);
    EXPECT_EQ(Dossiers(QStringLiteral("H")), QStringLiteral("B|B/C|B/Nouveau1|A|A/|A//x"));
    // A folder section missing from the list outlives folder changes, not the album.
    SupprimeDossier(*ini, QStringLiteral("H"), QStringLiteral("B"));
    EXPECT_TRUE(ini->SectionExists(QStringLiteral("SAUVEGARDE ALBUM WEB:H:Cache")));
    SupprimeAlbum(*ini, QStringLiteral("H"));
    EXPECT_FALSE(ini->SectionExists(QStringLiteral("SAUVEGARDE ALBUM WEB:H:Cache")));
}

TEST_F(AlbumsWebPersoTest, ManagingImagesOfAFolder)
{
    AlbumMonde();
    CreeAlbum(*ini, QStringLiteral("Autre"));
    EcrireDossiers(*ini, QStringLiteral("Autre"), {"Voyages/Italie"});
    const QString M = QStringLiteral("Monde");
    const QString I = QStringLiteral("Voyages/Italie");
    // OK needs a folder other than the current one: the same path in another album is another.
    EXPECT_TRUE(PeutGerer(TGestion::Supprime, M, I, M, std::nullopt));
    EXPECT_FALSE(PeutGerer(TGestion::Copie, M, I, M, std::nullopt));
    EXPECT_FALSE(PeutGerer(TGestion::Deplace, M, I, QStringLiteral("monde"), QStringLiteral("voyages/italie")));
    EXPECT_TRUE(PeutGerer(TGestion::Copie, M, I, QStringLiteral("Autre"), I));

    GereImages(*ini, TGestion::Copie, M, I, {"/p/a.jpg"}, QStringLiteral("Autre"), I);
    EXPECT_EQ(Cles(QStringLiteral("Autre"), I), QStringList({"/p/a.jpg"}));
    EXPECT_EQ(Cles(M, I).size(), 3);
    GereImages(*ini, TGestion::Deplace, M, I, {"/p/a.jpg", "/p/b.jpg"}, M, QStringLiteral("Maison"));
    EXPECT_EQ(Cles(M, QStringLiteral("Maison")), QStringList({"/p/a.jpg", "/p/b.jpg"}));
    EXPECT_EQ(Cles(M, I), QStringList({"/p/c.jpg"}));
    GereImages(*ini, TGestion::Supprime, M, I, {"/p/c.jpg"}, QString(), QString());
    EXPECT_FALSE(ini->SectionExists(SectionDossier(M, I))) << "an emptied section is erased";
    EXPECT_EQ(Dossiers(M), QStringLiteral("Voyages|Voyages/Italie|Voyages/Italie/Rome|Maison"));

    EXPECT_TRUE(AjouteImages(*ini, M, I, {"/p/n.jpg", "/p/n.jpg"}).lFait);
    EXPECT_EQ(Cles(M, I), QStringList({"/p/n.jpg"}));
    EXPECT_EQ(ImagesAlbumPerso(*ini, M).count(QStringLiteral("/p/a.jpg")), 1);
}

TEST_F(AlbumsWebPersoTest, AFailedSaveIsReportedAndTheChangeKept)
{
    cFichier = Tmp.path() + QStringLiteral("/absent/KX_Setup.ini");
    ini = std::make_unique<TBigIniFile>(cFichier);
    ini->lAutoSave = false;
    const TResultat R = CreeAlbum(*ini, QStringLiteral("A"));
    EXPECT_TRUE(R.lFait);
    EXPECT_TRUE(R.cErreurSauvegarde.contains(QStringLiteral("KX_Setup.ini"))) << R.cErreurSauvegarde.toStdString();
    EXPECT_EQ(ListerAlbumsPerso(*ini, false), QStringList({"A"}));
    ASSERT_TRUE(QDir().mkpath(Tmp.path() + QStringLiteral("/absent")));
    EXPECT_TRUE(CreeDossier(*ini, QStringLiteral("A"), std::nullopt).cErreurSauvegarde.isEmpty());
    EXPECT_EQ(LignesSauvees(SectionAlbum(QStringLiteral("A"))),
              QStringList({"[SAUVEGARDE ALBUM WEB:A]", "<aDossiers>=Nouveau1"}));
}
} // namespace
