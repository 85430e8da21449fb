#include "BancPublication.h"
#include "publishing/HistoriqueAlbumsWeb.h"
#include "publishing/PagesAlbumWEB.h"
#include "storage/Sections.h"

#include <QDirIterator>

#include <fcntl.h>
#include <unistd.h>

namespace
{
class HistoriqueAlbumsWeb : public BancPublication
{
protected:
    // An album folder under cRacine whose Index.htm has the generator's head with those keywords.
    QString Album(const QString &cRelatif, const QString &cMotsCles)
    {
        TOptionsAlbumWEB O;
        O.cAWMotsCles = cMotsCles;
        const QString cDossier = cRacine + QLatin1Char('/') + cRelatif + QLatin1Char('/');
        EXPECT_TRUE(EcritFichier(cDossier + QStringLiteral("Index.htm"),
                                 OctetsPageAlbumWEB(TeteAlbumWEB(QStringLiteral("Titre"), O) + PiedAlbumWEB())));
        iniSetup->WriteString(cSectionAlbumsWebHistorique, cDossier, QString());
        return cDossier;
    }

    static QStringList Noms(const QList<TLigneHistoAlbumWEB> &Lignes)
    {
        QStringList l;
        for (const TLigneHistoAlbumWEB &L : Lignes)
            l << L.cNom;
        return l;
    }

    QStringList Arbre(const QString &cDossier) const
    {
        QStringList l;
        QDirIterator It(cDossier, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                        QDirIterator::Subdirectories);
        while (It.hasNext()) {
            const QString c = It.next();
            l << c.mid(cDossier.size()) + QLatin1Char(' ') + QString::fromLatin1(LitFichier(c));
        }
        l.sort();
        return l;
    }

    TProtectionsAlbumWEB Protections() const { return {cDonnees, cVignettes, cRacine + QStringLiteral("/maison")}; }
};
} // namespace

TEST_F(HistoriqueAlbumsWeb, KeywordsComeBackAsTypedFromTheGeneratedHead)
{
    const QString c = Album(QStringLiteral("rd"), QStringLiteral("R&D <LABO> \"X\" L'ÉTÉ &AMP;"));
    EXPECT_EQ(MotsClesAlbum(c), QStringLiteral("R&D <LABO> \"X\" L'ÉTÉ &AMP;"));

    // A page of the older platform, in Windows-1252, and one without the closing of the value.
    EcritFichier(c + QStringLiteral("Index.htm"), "<HEAD>\r\n<META NAME=\"keywords\" CONTENT=\"\xC9T\xC9 MER\">\r\n");
    EXPECT_EQ(MotsClesAlbum(c), QStringLiteral("ÉTÉ MER"));
    EcritFichier(c + QStringLiteral("Index.htm"), "<META NAME=\"keywords\" CONTENT=\"MER\"\n\">");
    EXPECT_EQ(MotsClesAlbum(c), QString());
    // Only the head is read.
    EcritFichier(c + QStringLiteral("Index.htm"), "<HEAD>\n</HEAD>\n<META NAME=\"keywords\" CONTENT=\"MER\">\n");
    EXPECT_EQ(MotsClesAlbum(c), QString());
    EcritFichier(c + QStringLiteral("Index.htm"), "");
    EXPECT_EQ(MotsClesAlbum(c), QString());
}

TEST_F(HistoriqueAlbumsWeb, AHugeOrLinkedIndexGivesNoKeywords)
{
    const QString c = cRacine + QStringLiteral("/gros/");
    QDir().mkpath(c);
    // 2 GB, sparse, its keywords line past the first MiB: never reached.
    const int fd = ::open(QFile::encodeName(c + QStringLiteral("Index.htm")).constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    const QByteArray Ligne("\n<META NAME=\"keywords\" CONTENT=\"MER\">\n");
    ASSERT_EQ(::pwrite(fd, Ligne.constData(), Ligne.size(), nMaxLectureMotsCles + 100), Ligne.size());
    ASSERT_EQ(::ftruncate(fd, qint64(2) << 30), 0);
    ::close(fd);
    EXPECT_EQ(MotsClesAlbum(c), QString());

    const QString cLien = cRacine + QStringLiteral("/lien/");
    const QString cVrai = Album(QStringLiteral("vrai"), QStringLiteral("MER"));
    QDir().mkpath(cLien);
    ASSERT_TRUE(QFile::link(cVrai + QStringLiteral("Index.htm"), cLien + QStringLiteral("Index.htm")));
    EXPECT_EQ(MotsClesAlbum(cLien), QString());
}

TEST_F(HistoriqueAlbumsWeb, CountsTakeJpegsOfTheTwoFoldersOnceWithoutFollowingLinks)
{
    const QString c = cRacine + QStringLiteral("/album/");
    for (const char *n : {"Vignettes/a.jpg", "Vignettes/b.JPEG", "Vignettes/c.png", "Vignettes/.d.jpg", "Images/a.jpg",
                          "Images/sans", "vignettes/e.jpg", "IMAGES/f.jpg", ".cache/Images/g.jpg", "sous/Images/h.Jpg"})
        Cree(QStringLiteral("album/") + QLatin1String(n), "x");
    Cree(QStringLiteral("photos/Images/p1.jpg"), "photo");
    Cree(QStringLiteral("photos/Images/p2.jpg"), "photo");
    // A loop back to the album and a link to a folder of photos: neither is walked.
    ASSERT_TRUE(QFile::link(c, c + QStringLiteral("Images/boucle")));
    ASSERT_TRUE(QFile::link(cRacine + QStringLiteral("/photos"), c + QStringLiteral("photos")));
    ASSERT_TRUE(QFile::link(cRacine + QStringLiteral("/photos/Images/p1.jpg"), c + QStringLiteral("Images/lien.jpg")));
    EXPECT_EQ(CompterFichiersAlbum(c), (TComptesFichiersAlbum{2, 2}));
    EXPECT_EQ(CompterFichiersAlbum(cRacine + QStringLiteral("/absent/")), (TComptesFichiersAlbum{}));
}

TEST_F(HistoriqueAlbumsWeb, WholeWordsTryEveryOccurrenceAndKnowEveryScript)
{
    EXPECT_TRUE(ContientMotCle(QStringLiteral("MER PLAGE"), QStringLiteral("MER"), true));
    EXPECT_TRUE(ContientMotCle(QStringLiteral("MERE MER"), QStringLiteral("MER"), true));
    EXPECT_TRUE(ContientMotCle(QStringLiteral("MERES,MER"), QStringLiteral("MER"), true));
    EXPECT_FALSE(ContientMotCle(QStringLiteral("MERES"), QStringLiteral("MER"), true));
    EXPECT_TRUE(ContientMotCle(QStringLiteral("MERES"), QStringLiteral("MER"), false));
    EXPECT_FALSE(ContientMotCle(QStringLiteral("ÉTÉ"), QStringLiteral("T"), true));
    EXPECT_FALSE(ContientMotCle(QStringLiteral("2MER ΩMER MERΩ"), QStringLiteral("MER"), true));
    EXPECT_TRUE(ContientMotCle(QStringLiteral("R&D"), QStringLiteral("R&D"), true));
    EXPECT_FALSE(ContientMotCle(QStringLiteral("MER"), QString(), false));
    // A letter outside the basic plane is a letter too.
    EXPECT_FALSE(ContientMotCle(QStringLiteral("MER") + QString::fromUcs4(U"\U00010400"), QStringLiteral("MER"), true));
}

TEST_F(HistoriqueAlbumsWeb, RowsFollowTheKeysThatLeadToARealAlbum)
{
    Album(QStringLiteral("albums/plage"), QStringLiteral("MER PLAGE"));
    Album(QStringLiteral("albums/Étang"), QStringLiteral("MERE MER"));
    Album(QStringLiteral("albums/meres"), QStringLiteral("MERES"));
    Cree(QStringLiteral("albums/plage/Vignettes/a.jpg"), "v");
    Cree(QStringLiteral("albums/plage/Images/a.jpg"), "i");
    // Keys that are no album, or that nobody may trust: not listed and kept.
    const QStringList Douteuses{cRacine + QStringLiteral("/albums/sans-index/"),
                                cRacine + QStringLiteral("/albums/../albums/plage/"), QStringLiteral("albums/plage/"),
                                cRacine + QStringLiteral("//albums/plage/"), cRacine + QStringLiteral("/albums/lien/")};
    QDir().mkpath(cRacine + QStringLiteral("/albums/sans-index"));
    QDir().mkpath(cRacine + QStringLiteral("/albums/lien"));
    QFile::link(cRacine + QStringLiteral("/albums/plage/Index.htm"),
                cRacine + QStringLiteral("/albums/lien/Index.htm"));
    for (const QString &c : Douteuses)
        iniSetup->WriteString(cSectionAlbumsWebHistorique, c, QString());

    THistoriqueAlbumsWEB H(*iniSetup, Protections());
    const QList<TLigneHistoAlbumWEB> Tous = H.Lignes({});
    ASSERT_EQ(Noms(Tous), (QStringList{QStringLiteral("Étang"), QStringLiteral("meres"), QStringLiteral("plage")}));
    const TLigneHistoAlbumWEB &Plage = Tous[2];
    EXPECT_EQ(Plage.cParent, cRacine + QStringLiteral("/albums/"));
    EXPECT_EQ(Plage.Comptes, (TComptesFichiersAlbum{1, 1}));
    EXPECT_EQ(Plage.dDate.toSecsSinceEpoch(), QFileInfo(Plage.Index()).lastModified().toSecsSinceEpoch());

    EXPECT_EQ(Noms(H.Lignes({true, QStringLiteral("MER"), true})),
              (QStringList{QStringLiteral("Étang"), QStringLiteral("plage")}));
    EXPECT_EQ(Noms(H.Lignes({true, QStringLiteral("MER"), false})).size(), 3);
    EXPECT_TRUE(H.Lignes({true, QString(), false}).isEmpty());

    // A refill reads the cached keywords, not the file again; a vanished Index.htm hides its row.
    EcritFichier(Plage.Index(), "<META NAME=\"keywords\" CONTENT=\"AUTRE\">\n");
    QFile::remove(cRacine + QStringLiteral("/albums/meres/Index.htm"));
    EXPECT_EQ(Noms(H.Lignes({true, QStringLiteral("PLAGE"), true})), QStringList{QStringLiteral("plage")});
    EXPECT_EQ(H.Lignes({}).size(), 2);
    for (const QString &c : Douteuses)
        EXPECT_TRUE(iniSetup->ValueExists(cSectionAlbumsWebHistorique, c)) << c.toStdString();
    EXPECT_TRUE(iniSetup->ValueExists(cSectionAlbumsWebHistorique, cRacine + QStringLiteral("/albums/meres/")));
}

TEST_F(HistoriqueAlbumsWeb, AnAlbumGoesToTheTrashWithItsLinksAndItsKey)
{
    const QString c = Album(QStringLiteral("albums/Noel"), QStringLiteral("NOEL"));
    Cree(QStringLiteral("albums/Noel/Images/a.jpg"), "i");
    Cree(QStringLiteral("photos/p1.jpg"), "photo");
    ASSERT_TRUE(QFile::link(cRacine + QStringLiteral("/photos"), c + QStringLiteral("Images/photos")));
    ASSERT_TRUE(iniSetup->UpdateFile());
    const QStringList Photos = Arbre(cRacine + QStringLiteral("/photos"));

    THistoriqueAlbumsWEB H(*iniSetup, Protections());
    ASSERT_EQ(H.Lignes({}).size(), 1);
    const TSuppressionHisto S = H.Supprime(c, *Operations);
    EXPECT_EQ(S.nEtat, TEtatSuppressionHisto::Supprime) << S.cMessage.toStdString();
    EXPECT_FALSE(QFileInfo::exists(c));
    EXPECT_EQ(Arbre(cRacine + QStringLiteral("/photos")), Photos);
    EXPECT_TRUE(QFileInfo(cCorbeille + QStringLiteral("/files/Noel/Images/photos")).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(cCorbeille + QStringLiteral("/info/Noel.trashinfo")));
    EXPECT_FALSE(TBigIniFile(iniSetup->FileName()).ValueExists(cSectionAlbumsWebHistorique, c));
    EXPECT_TRUE(H.Lignes({}).isEmpty());
}

TEST_F(HistoriqueAlbumsWeb, EditedKeysAndAFullTrashTouchNothing)
{
    // Keys edited to the home folder, to a folder holding the data folder, to a link.
    const QString cMaison = Album(QStringLiteral("maison"), QString());
    const QString cTout = cRacine + QLatin1Char('/');
    Cree(QStringLiteral("Index.htm"), "");
    iniSetup->WriteString(cSectionAlbumsWebHistorique, cTout, QString());
    const QString cVrai = Album(QStringLiteral("vrai"), QString());
    ASSERT_TRUE(QFile::link(cRacine + QStringLiteral("/vrai"), cRacine + QStringLiteral("/lien")));
    iniSetup->WriteString(cSectionAlbumsWebHistorique, cRacine + QStringLiteral("/lien/"), QString());
    const QStringList Avant = Arbre(cRacine);

    THistoriqueAlbumsWEB H(*iniSetup, Protections());
    for (const QString &cCle : {cMaison, cTout, cRacine + QStringLiteral("/lien/"), QStringLiteral("/")}) {
        const TSuppressionHisto S = H.Supprime(cCle, *Operations);
        EXPECT_EQ(S.nEtat, TEtatSuppressionHisto::Refuse) << cCle.toStdString();
        EXPECT_EQ(S.cMessage, QStringLiteral("Le dossier « %1 » n'est pas un album WEB : il n'est pas supprimé.")
                                  .arg(QDir::cleanPath(cCle)));
    }
    EXPECT_TRUE(Operations->Appels.isEmpty());
    EXPECT_EQ(Arbre(cRacine), Avant);
    EXPECT_TRUE(iniSetup->ValueExists(cSectionAlbumsWebHistorique, cMaison));

    Operations->SansCorbeille();
    const TSuppressionHisto S = H.Supprime(cVrai, *Operations);
    EXPECT_EQ(S.nEtat, TEtatSuppressionHisto::Echec);
    EXPECT_TRUE(S.cMessage.startsWith(QStringLiteral("L'album WEB 'vrai' n'a pas été supprimé : ")))
        << S.cMessage.toStdString();
    EXPECT_EQ(Arbre(cRacine), Avant);
    EXPECT_TRUE(iniSetup->ValueExists(cSectionAlbumsWebHistorique, cVrai));
}

TEST_F(HistoriqueAlbumsWeb, AFailedSaveIsToldAndTheKeyStaysGoneInMemory)
{
    const QString c = Album(QStringLiteral("vrai"), QString());
    TBigIniFile Ailleurs(cRacine + QStringLiteral("/absent/dossier/KX_Setup.ini"));
    Ailleurs.lAutoSave = false;
    Ailleurs.WriteString(cSectionAlbumsWebHistorique, c, QString());
    THistoriqueAlbumsWEB H(Ailleurs, Protections());
    const TSuppressionHisto S = H.Supprime(c, *Operations);
    EXPECT_EQ(S.nEtat, TEtatSuppressionHisto::NonSauve);
    EXPECT_TRUE(S.cMessage.startsWith(Ailleurs.FileName())) << S.cMessage.toStdString();
    EXPECT_FALSE(Ailleurs.ValueExists(cSectionAlbumsWebHistorique, c));
}
