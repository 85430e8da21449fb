#include "publishing/AlbumImages.h"

#include "BancPublication.h"
#include "imaging/NomVignette.h"
#include "publishing/Renommage.h"
#include "publishing/SuppressionImages.h"
#include "storage/Sections.h"
#include "storage/Settings.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

namespace
{

class AlbumImages : public BancPublication
{
protected:
    void SetUp() override
    {
        BancPublication::SetUp();
        Album = std::make_unique<TAlbumImages>(*iniSetup, Parametres);
        Album->cDossierVignettes = cVignettes;
    }
    // A 64 × 32 JPEG under photos/.
    QString Photo(const QString &cNom, const QColor &Couleur = Qt::blue)
    {
        const QString c = cRacine + QStringLiteral("/photos/") + cNom;
        EXPECT_TRUE(EcritJpeg(c, 64, 32, Couleur));
        return c;
    }
    int Ajoute(const QString &cChemin)
    {
        return Album->AjouterImage(Album->EnrRestaure(cChemin), QImage(8, 8, QImage::Format_RGB32), cChemin);
    }
    QStringList Chemins() const
    {
        QStringList l;
        for (int i = 0; i < Album->Nombre(); ++i)
            l << Album->Entree(i).Enr.cChemin;
        return l;
    }
    QByteArray Fichier() const { return LitFichier(iniSetup->FileName()); }

    TEnrParametres Parametres;
    std::unique_ptr<TAlbumImages> Album;
    TMessagesFactices Messages;
};

} // namespace

TEST_F(AlbumImages, AnImageIsNeverTwiceAndOnlyReachableListedFilesJoin)
{
    const QString a = Photo(QStringLiteral("a.jpg"));
    const QString b = Photo(QStringLiteral("b.jpg"));
    EXPECT_EQ(Ajoute(a), 0);
    EXPECT_EQ(Ajoute(b), 1);
    EXPECT_EQ(Ajoute(a), 0);
    EXPECT_EQ(Album->Nombre(), 2);
    EXPECT_EQ(Album->IndexImage(0, b), 1);
    EXPECT_EQ(Album->IndexImage(1, b), -1);
    EXPECT_EQ(Album->Entree(1).Titre(), QStringLiteral("b.jpg"));
    EXPECT_EQ(Album->Entree(0).Enr.nLargeur, 64);
    EXPECT_EQ(Album->Entree(0).Enr.nHauteur, 32);

    TEnrLV Enr;
    Enr.cChemin = a;
    Enr.lExiste = true;
    EXPECT_TRUE(PeutAjouterAlbum(Enr));
    TEnrLV SurCD = Enr;
    SurCD.nNumCD = 7;
    TEnrLV Absente = Enr;
    Absente.lExiste = false;
    TEnrLV Illisible = Enr;
    Illisible.lIllisible = true;
    EXPECT_FALSE(PeutAjouterAlbum(SurCD));
    EXPECT_FALSE(PeutAjouterAlbum(Absente));
    EXPECT_FALSE(PeutAjouterAlbum(Illisible));

    // Removing the active page shows the first one.
    Album->Active(1);
    Album->EnleverImage(0, b);
    EXPECT_EQ(Chemins(), QStringList{a});
    EXPECT_EQ(Album->PageActive(), 0);
    Album->EnleverImage(0, b);
    EXPECT_EQ(Album->Nombre(), 1);
}

TEST_F(AlbumImages, OnlyTheActivePageAndItsNeighboursHoldFullPictures)
{
    // Two hundred 12 MP images: links to one generated file, each its own entry.
    const QString cSource = cRacine + QStringLiteral("/source.jpg");
    ASSERT_TRUE(EcritJpeg(cSource, 4000, 3000, Qt::darkGreen));
    QDir().mkpath(cRacine + QStringLiteral("/photos"));
    for (int i = 0; i < 200; ++i) {
        const QString c = cRacine + QStringLiteral("/photos/%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        ASSERT_TRUE(QFile::link(cSource, c));
        Ajoute(c);
    }
    EXPECT_EQ(Album->Nombre(), 200);
    EXPECT_LE(Album->NombreImagesPleines(), 3);
    EXPECT_EQ(Album->NombreChargements(), 2);

    Album->Active(100);
    EXPECT_EQ(Album->NombreImagesPleines(), 3);
    for (int i : {99, 100, 101})
        EXPECT_EQ(Album->Entree(i).imImage.size(), QSize(4000, 3000)) << i;
    EXPECT_TRUE(Album->Entree(0).imImage.isNull());
    Album->Active(101);
    EXPECT_EQ(Album->NombreImagesPleines(), 3);
    EXPECT_EQ(Album->NombreChargements(), 6);

    // The web album gets the pictures at hand and loads the others itself.
    const QList<TEnrLstAW> Liste = Album->ListeAlbumWEB();
    ASSERT_EQ(Liste.size(), 200);
    EXPECT_EQ(std::count_if(Liste.cbegin(), Liste.cend(), [](const TEnrLstAW &l) { return !l.imImage.isNull(); }), 3);
    EXPECT_EQ(Liste[5].EnrLV.cChemin, Album->Entree(5).Enr.cChemin);
}

TEST_F(AlbumImages, UnreadableImageStaysWithThePlaceholder)
{
    const QString c = Cree(QStringLiteral("photos/casse.jpg"), "pas une image");
    TEnrLV Enr = Album->EnrRestaure(c);
    EXPECT_EQ(Album->AjouterImage(Enr, {}, {}), 0);
    EXPECT_TRUE(Album->Entree(0).lIllisible);
    EXPECT_FALSE(Album->Entree(0).imImage.isNull());
    EXPECT_TRUE(Album->ListeAlbumWEB().first().imImage.isNull());
}

TEST_F(AlbumImages, ButtonsFollowTheNameTheAlbumAndTheMode)
{
    TEtatBoutonsAlbum E = Album->EtatBoutons(QStringLiteral("Vacances"), true);
    EXPECT_FALSE(E.lSvgAlbImg || E.lSupprImgCour || E.lSupprTtesImg || E.lSvgTtesVig || E.lAlbumWEB);
    Ajoute(Photo(QStringLiteral("a.jpg")));
    E = Album->EtatBoutons(QStringLiteral("  "), true);
    EXPECT_TRUE(E.lSupprImgCour && E.lSupprTtesImg && E.lSvgTtesVig && E.lAlbumWEB);
    EXPECT_FALSE(E.lSvgAlbImg);
    EXPECT_FALSE(E.lRstAlbImg);

    ASSERT_TRUE(Album->SauverAlbum(QStringLiteral(" Vacances "), Messages));
    EXPECT_EQ(Messages.Textes(), QStringList{QStringLiteral("1 image(s) sauvegardée(s).")});
    EXPECT_EQ(Album->NomsSauves(), QStringList{QStringLiteral("Vacances")});
    E = Album->EtatBoutons(QStringLiteral("vacances "), true);
    EXPECT_EQ(E.nNomListe, 0);
    EXPECT_TRUE(E.lSvgAlbImg && E.lRstAlbImg && E.lSupprAlbImg);
    // Consultation: restoring only.
    E = Album->EtatBoutons(QStringLiteral("Vacances"), false);
    EXPECT_TRUE(E.lRstAlbImg);
    EXPECT_FALSE(E.lSvgAlbImg || E.lSupprAlbImg);
}

TEST_F(AlbumImages, OverwritingAsksIgnoringCaseAndNoLeavesTheFileAlone)
{
    const QString a = Photo(QStringLiteral("a.jpg"));
    const QString b = Photo(QStringLiteral("b.jpg"));
    Ajoute(a);
    ASSERT_TRUE(Album->SauverAlbum(QStringLiteral("Vacances"), Messages));
    Ajoute(b);
    const QByteArray Avant = Fichier();

    Messages.Montres.clear();
    Messages.Reponses = {false};
    EXPECT_FALSE(Album->SauverAlbum(QStringLiteral("VACANCES"), Messages));
    EXPECT_EQ(Messages.Textes(), QStringList{QStringLiteral("Une sauvegarde de 'VACANCES' existe déjà.\r\n\r\n"
                                                            "L'écraser ?")});
    EXPECT_EQ(Fichier(), Avant);
    EXPECT_EQ(Album->CheminsSauves(QStringLiteral("Vacances")), QStringList{a});

    Messages.Reponses = {true};
    EXPECT_TRUE(Album->SauverAlbum(QStringLiteral("VACANCES"), Messages));
    EXPECT_EQ(Album->NomsSauves(), QStringList{QStringLiteral("VACANCES")});
    const TBigIniFile Relu(iniSetup->FileName());
    QStringList Cles;
    Relu.ReadSection(cPrefixeAlbumImages + QStringLiteral("Vacances"), Cles);
    EXPECT_EQ(Cles, (QStringList{a, b}));
    EXPECT_EQ(Album->AlbumsDeImage(b), QStringList{QStringLiteral("VACANCES")});

    // Deleting asks, then the album is gone from the list, the store and the index.
    Messages.Reponses = {true};
    EXPECT_TRUE(Album->SupprimerAlbum(QStringLiteral("vacances"), Messages));
    EXPECT_TRUE(Album->NomsSauves().isEmpty());
    EXPECT_FALSE(TBigIniFile(iniSetup->FileName()).SectionExists(cPrefixeAlbumImages + QStringLiteral("Vacances")));
    EXPECT_TRUE(Album->AlbumsDeImage(b).isEmpty());
    EXPECT_EQ(Messages.Textes().last(), QStringLiteral("Supprimer l'album d'images 'VACANCES' ?"));
}

TEST_F(AlbumImages, RestoringSkipsVanishedFilesTreatsThumbnailsAndKeepsTheSection)
{
    QStringList Fichiers;
    for (const char *c : {"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"})
        Fichiers << Photo(QString::fromLatin1(c));
    for (const QString &c : std::as_const(Fichiers))
        Ajoute(c);
    ASSERT_TRUE(Album->SauverAlbum(QStringLiteral("Bretagne"), Messages));
    // One image turned a quarter, another with a thumbnail in the cache.
    iniSetup->WriteString(cSectionRotations, Fichiers[2], QStringLiteral("D"));
    ASSERT_TRUE(EcritJpeg(NomVignette(cVignettes, 0, Fichiers[4]), 40, 20, Qt::red));
    ASSERT_TRUE(iniSetup->UpdateFile());
    QFile::remove(Fichiers[1]);
    QFile::remove(Fichiers[3]);
    const QByteArray Avant = Fichier();

    Messages.Montres.clear();
    Messages.Reponses = {true};
    EXPECT_EQ(Album->RestaurerAlbum(QStringLiteral("bretagne"), Messages), 3);
    EXPECT_EQ(Messages.Textes(),
              QStringList{QStringLiteral("Supprimer les 5 image(s) présentes et restaurer les 5 image(s) de "
                                         "'bretagne' ?")});
    EXPECT_EQ(Chemins(), (QStringList{Fichiers[0], Fichiers[2], Fichiers[4]}));
    EXPECT_EQ(Album->Entree(0).imVignette.size(), QSize(64, 32));
    EXPECT_EQ(Album->Entree(1).imVignette.size(), QSize(32, 64));
    EXPECT_EQ(Album->Entree(2).imVignette.size(), QSize(40, 20));
    EXPECT_EQ(Album->Entree(1).imImage.size(), QSize(32, 64));
    EXPECT_EQ(Album->Entree(1).Enr.nLargeur, 64);
    EXPECT_GT(Album->Entree(1).Enr.nTaille, 0);
    EXPECT_EQ(Album->PageActive(), 0);
    EXPECT_EQ(Fichier(), Avant);

    // Once every file is gone nothing is restored and the album stays as it was.
    for (const QString &c : std::as_const(Fichiers))
        QFile::remove(c);
    Messages.Montres.clear();
    EXPECT_EQ(Album->RestaurerAlbum(QStringLiteral("Bretagne"), Messages), -1);
    EXPECT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Erreur"));
    EXPECT_EQ(Messages.Montres[0].cTexte, QStringLiteral("Aucune image à restaurer."));
    EXPECT_EQ(Album->Nombre(), 3);
}

TEST_F(AlbumImages, RestoredImagesTakeTheirEXIFOrientation)
{
    // 80 × 40 stored, orientation 6: shown a quarter turned, as in the main grid.
    const QString c = cRacine + QStringLiteral("/photos/f6.jpg");
    QDir().mkpath(cRacine + QStringLiteral("/photos"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VIMBREL_TEST_DATA "/corpus/kinds/jpeg/goexif_f6-exif.jpg"), c));
    iniSetup->WriteString(cPrefixeAlbumImages + QStringLiteral("A"), c, {});
    Parametres.lOrientationAuto = true;
    ASSERT_EQ(Album->RestaurerAlbum(QStringLiteral("A"), Messages), 1);
    EXPECT_EQ(Album->Entree(0).Enr.cOrientation, QStringLiteral("6"));
    EXPECT_EQ(Album->Entree(0).imVignette.size(), QSize(40, 80));
    EXPECT_EQ(Album->Entree(0).imImage.size(), QSize(40, 80));
}

TEST_F(AlbumImages, RestoringIntoAFilledAlbumAsksAndNoKeepsIt)
{
    const QString a = Photo(QStringLiteral("a.jpg"));
    Ajoute(a);
    ASSERT_TRUE(Album->SauverAlbum(QStringLiteral("A"), Messages));
    const QString b = Photo(QStringLiteral("b.jpg"));
    Ajoute(b);
    Messages.Reponses = {false};
    EXPECT_EQ(Album->RestaurerAlbum(QStringLiteral("A"), Messages), -1);
    EXPECT_EQ(Chemins(), (QStringList{a, b}));
}

TEST_F(AlbumImages, SavedNamesAreReadSortedAndIndexedByImage)
{
    iniSetup->WriteString(cPrefixeAlbumImages + QStringLiteral("zoo"), QStringLiteral("/x.jpg"), {});
    iniSetup->WriteString(cPrefixeAlbumImages + QStringLiteral("Alpes"), QStringLiteral("/x.jpg"), {});
    iniSetup->WriteString(cPrefixeAlbumImages + QStringLiteral("Alpes"), QStringLiteral("/y.jpg"), {});
    iniSetup->WriteString(QStringLiteral("SAUVEGARDE ALBUM WEB:Site"), QStringLiteral("/x.jpg"), {});
    Album->LitNomsSauves();
    EXPECT_EQ(Album->NomsSauves(), (QStringList{QStringLiteral("Alpes"), QStringLiteral("zoo")}));
    EXPECT_EQ(Album->AlbumsDeImage(QStringLiteral("/x.jpg")),
              (QStringList{QStringLiteral("Alpes"), QStringLiteral("zoo")}));
    EXPECT_EQ(Album->AlbumsDeImage(QStringLiteral("/y.jpg")), QStringList{QStringLiteral("Alpes")});
    EXPECT_TRUE(Album->AlbumsDeImage(QStringLiteral("/z.jpg")).isEmpty());
}

TEST_F(AlbumImages, StoreThatCannotBeSavedIsReportedAndTheAlbumStays)
{
    OuvreStores(cRacine + QStringLiteral("/absent/"));
    Album = std::make_unique<TAlbumImages>(*iniSetup, Parametres);
    Ajoute(Photo(QStringLiteral("a.jpg")));
    EXPECT_FALSE(Album->SauverAlbum(QStringLiteral("A"), Messages));
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Erreur"));
    EXPECT_TRUE(Messages.Montres[0].cTexte.startsWith(QDir::toNativeSeparators(iniSetup->FileName())));
    EXPECT_EQ(Album->Nombre(), 1);
    EXPECT_TRUE(iniSetup->Modifie());
}

TEST_F(AlbumImages, RenamingAndDeletingFilesKeepTheEntriesAndSavedAlbums)
{
    const QString a = Photo(QStringLiteral("a.jpg"));
    const QString b = Photo(QStringLiteral("b.jpg"));
    Ajoute(a);
    Ajoute(b);
    ASSERT_TRUE(Album->SauverAlbum(QStringLiteral("Vacances"), Messages));

    TParamsRenommage P;
    P.cDossierVignettes = cVignettes;
    P.cDossierDonnees = cDonnees;
    TReglageRenommage R;
    R.nMode = TModeRenommage::NomSeul;
    R.cNomSeul = QStringLiteral("plage");
    QList<TEnrLst> E{{Liste(a), a, {}}};
    TRenommageImages Ren(*iniSetup, *iniBDD, *Operations, P);
    Ren.pAlbum = Album.get();
    ASSERT_EQ(Ren.Renomme(E, R).nRenommees, 1);
    const QString c = E[0].cNouveau;
    ASSERT_NE(c, a);
    EXPECT_EQ(Chemins(), (QStringList{c, b}));
    EXPECT_EQ(Album->Entree(0).Titre(), QFileInfo(c).fileName());
    EXPECT_EQ(Album->Entree(0).cBulle, c);
    EXPECT_EQ(Album->AlbumsDeImage(c), QStringList{QStringLiteral("Vacances")});
    EXPECT_TRUE(Album->AlbumsDeImage(a).isEmpty());

    TParamsSuppression PS;
    PS.cDossierVignettes = cVignettes;
    TSuppressionImages S(*iniSetup, *iniBDD, Volumes, *Operations, PS);
    S.pAlbum = Album.get();
    EXPECT_EQ(S.SupprimerImages({{b, -1}}, nullptr, false).nSupprimees, 1);
    EXPECT_EQ(Chemins(), QStringList{c});
    EXPECT_TRUE(Album->AlbumsDeImage(b).isEmpty());
    EXPECT_EQ(Album->CheminsSauves(QStringLiteral("Vacances")), QStringList{c});
}
