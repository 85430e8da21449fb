#include "BancSuppressionFm.h"
#include "publishing/AlbumWEB_fm.h"
#include "storage/Sections.h"
#include "support/Fichiers.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>

namespace
{
class AlbumWEBFm : public BancSuppressionFm
{
protected:
    void SetUp() override
    {
        BancSuppressionFm::SetUp();
        Barre = new QWidget(&Fenetre);
        new QHBoxLayout(Barre);
        Album = new TAlbumWEBKX(*Contexte, Selection, &Fenetre);
        Album->CreeBouton(Barre);
        Album->Interface.nFils = 1;
        Album->Interface.fnChoisitDossier = [this](QWidget *, const QString &cDepart) {
            Departs << cDepart;
            return cChoix;
        };
        Album->Interface.fnOuvrePage = [this](const QString &cPage) { Ouvertes << cPage; };
        cChoix = cRacine + QStringLiteral("/albums/Vacances");
        QDir().mkpath(cChoix);
    }

    QWidget *Barre = nullptr;
    TAlbumWEBKX *Album = nullptr;
    QString cChoix;
    QStringList Departs, Ouvertes;
};

TEST_F(AlbumWEBFm, CheckedImagesMakeAnAlbumRecordedInTheHistory)
{
    ASSERT_NE(Album->btAlbumWEB, nullptr);
    EXPECT_EQ(Album->btAlbumWEB->menu(), Album->pmAlbumWEB);
    Liste(Jpeg(QStringLiteral("p/a.jpg"), 10), true);
    Liste(Jpeg(QStringLiteral("p/b.jpg"), 20), false);
    Liste(Jpeg(QStringLiteral("q/a.jpg"), 30), true);
    emit Album->pmAlbumWEB->aboutToShow();
    ASSERT_TRUE(Album->miAlbumWEBGenAPartirImgSel->isEnabled());

    Album->miAlbumWEBGenAPartirImgSel->trigger();
    EXPECT_EQ(Messages->Textes(), QStringList());
    // The first choice starts in the data folder.
    EXPECT_EQ(Departs, QStringList{Contexte->Dossiers.cDossierDonnees});
    const QString cAlbum = cChoix + QLatin1Char('/');
    EXPECT_EQ(Ouvertes, QStringList{cAlbum + QStringLiteral("Index.htm")});
    const QString cIndex = QString::fromUtf8(LitFichier(cAlbum + QStringLiteral("Index.htm")));
    EXPECT_TRUE(cIndex.contains(QStringLiteral("<TITLE>Vacances</TITLE>")));
    EXPECT_TRUE(cIndex.contains(QStringLiteral("Image.htm?a(2).jpg")));
    EXPECT_FALSE(cIndex.contains(QStringLiteral("b.jpg")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Vignettes/a(2).jpg")));
    EXPECT_TRUE(Contexte->iniSetup->ValueExists(cSectionAlbumsWebHistorique, cAlbum));
    EXPECT_EQ(Contexte->iniSetup->ReadString(cSectionAlbumsWebGeneral, QStringLiteral("cAWDosParentAlbum"), {}),
              cRacine + QStringLiteral("/albums/"));
    EXPECT_TRUE(QFileInfo::exists(Contexte->iniSetup->FileName()));

    // The same folder again is no longer empty: refused, named, nothing added.
    Album->miAlbumWEBGenAPartirImgSel->trigger();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, QStringLiteral("Erreur"));
    EXPECT_TRUE(Messages->Montres[0].cTexte.contains(cChoix)) << Messages->Montres[0].cTexte.toStdString();
    EXPECT_EQ(Ouvertes.size(), 1);
    EXPECT_EQ(Departs.last(), cRacine + QStringLiteral("/albums/"));
}

TEST_F(AlbumWEBFm, RememberedTreatmentsAreAppliedToTheWrittenImages)
{
    const QString cTournee = Jpeg(QStringLiteral("p/tournee.jpg"), 10);
    const QString cIntacte = Jpeg(QStringLiteral("p/intacte.jpg"), 20);
    Liste(cTournee, true);
    Liste(cIntacte, true);
    Contexte->iniSetup->WriteString(cSectionRotations, cTournee, QStringLiteral("D"));
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(Messages->Textes(), QStringList());
    const QString cImages = cChoix + QStringLiteral("/Images/");
    EXPECT_EQ(QImage(cImages + QStringLiteral("tournee.jpg")).size(), QSize(48, 64));
    EXPECT_EQ(LitFichier(cImages + QStringLiteral("intacte.jpg")), LitFichier(cIntacte));
}

TEST_F(AlbumWEBFm, NothingToMakeOrCancelledWritesNothing)
{
    Liste(Jpeg(QStringLiteral("p/a.jpg")), false);
    emit Album->pmAlbumWEB->aboutToShow();
    EXPECT_FALSE(Album->miAlbumWEBGenAPartirImgSel->isEnabled());
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Aucune image à traiter.")});
    EXPECT_TRUE(Departs.isEmpty());

    Modele.MetCoche(0, true);
    cChoix.clear();
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(Departs.size(), 1);
    EXPECT_TRUE(Ouvertes.isEmpty());
    EXPECT_FALSE(Contexte->iniSetup->SectionExists(cSectionAlbumsWebHistorique));
}

TEST_F(AlbumWEBFm, FolderHierarchyFromTheCurrentFolder)
{
    Jpeg(QStringLiteral("photos/a.jpg"));
    Jpeg(QStringLiteral("photos/2024/b.jpg"));
    Selection.MetDossierCourant(cRacine + QStringLiteral("/photos"));
    emit Album->pmAlbumWEB->aboutToShow();
    EXPECT_EQ(Album->miAlbumWEBGenAWHDossiers->text(),
              QStringLiteral("Générer un album WEB hiérarchique à partir du &dossier '%1'...")
                  .arg(cRacine + QStringLiteral("/photos")));

    Album->miAlbumWEBGenAWHDossiers->trigger();
    EXPECT_EQ(Messages->Textes(), QStringList());
    const QString cAlbum = cChoix + QLatin1Char('/');
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Hierarchie.htm")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("2024/Images/b.jpg")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Images/a.jpg")));
    EXPECT_EQ(Ouvertes, QStringList{cAlbum + QStringLiteral("Index.htm")});
}
} // namespace
