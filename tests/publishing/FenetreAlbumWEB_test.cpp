#include "BancPublication.h"
#include "publishing/FenetreAlbumWEB.h"
#include "storage/Sections.h"
#include "support/MessagesFactices.h"

#include <QCryptographicHash>
#include <QDirIterator>

#include <cerrno>
#include <unistd.h>

namespace
{
class FenetreAlbumWEB : public BancPublication
{
protected:
    // Every path under cDossier with the hash of its content, to show that nothing changed.
    static QStringList Empreinte(const QString &cDossier)
    {
        QStringList l;
        QDirIterator It(cDossier, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System,
                        QDirIterator::Subdirectories);
        while (It.hasNext()) {
            const QString c = It.next();
            l << c.mid(cDossier.size()) + QLatin1Char(' ')
                     + QString::fromLatin1(QCryptographicHash::hash(LitFichier(c), QCryptographicHash::Sha256).toHex());
        }
        l.sort();
        return l;
    }

    QString Prepare(const QString &cParent, const QString &cNom)
    {
        return PrepareDossierAlbumWEB({cParent, cNom, cDonnees, cVignettes}, *iniSetup, *Operations, Messages, nullptr);
    }

    TMessagesFactices Messages;
};
} // namespace

TEST_F(FenetreAlbumWEB, RowsAndColumnsFollowTheImageCount)
{
    TEtatAlbumWEB E;
    E.nContenu = caImagesSeules;
    E.nImgsSource = 15;
    E.nDisponibles = 12;
    EXPECT_EQ(TexteCompteAlbumWEB(E), QStringLiteral("12 Image(s) à organiser en"));
    ASSERT_EQ(NbImagesGrilleAlbumWEB(E), 12);
    EXPECT_EQ(GrilleAlbumWEB(12), (TGrilleAlbumWEB{12, 3, 5}));
    EXPECT_EQ(GrilleSelonLignes(12, 4), (TGrilleAlbumWEB{12, 4, 3}));
    EXPECT_EQ(GrilleSelonColonnes(12, 7), (TGrilleAlbumWEB{12, 2, 7}));
    // Fewer than five images: one row of them all, and no box above their number.
    EXPECT_EQ(GrilleAlbumWEB(3), (TGrilleAlbumWEB{3, 1, 3}));
    EXPECT_EQ(GrilleSelonLignes(3, 10), (TGrilleAlbumWEB{3, 3, 1}));
    // No image: the boxes stay at 1 instead of dividing by zero rows.
    EXPECT_EQ(GrilleAlbumWEB(0), (TGrilleAlbumWEB{1, 1, 1}));
    EXPECT_EQ(GrilleSelonColonnes(0, 0), (TGrilleAlbumWEB{1, 1, 1}));
    EXPECT_EQ(GrilleSelonLignes(0, 0), (TGrilleAlbumWEB{1, 1, 1}));

    // Thumbnails alone count every image of the source, reachable or not.
    E.nContenu = caVignettesSeules;
    EXPECT_EQ(TexteCompteAlbumWEB(E), QStringLiteral("15 Vignette(s) à organiser en"));
    EXPECT_EQ(NbImagesGrilleAlbumWEB(E), 15);
    E.nSource = saHierDossiers;
    EXPECT_EQ(TexteCompteAlbumWEB(E), QStringLiteral("12 Image(s) à disposer sur"));
    E.nContenu = caFrames;
    EXPECT_EQ(TexteCompteAlbumWEB(E), QStringLiteral("12 Image(s)"));
}

TEST_F(FenetreAlbumWEB, EnablingFollowsTheWholeState)
{
    // A personal album whose images are all on an absent CD.
    TEtatAlbumWEB E;
    E.nSource = saHierPerso;
    E.cNom = QStringLiteral("Voyages");
    E.nImgsSource = 4;
    E.nDisponibles = 0;
    for (int nContenu : {caImagesSeules, caVignettesSeules, caFrames, caVignettesSeules, caVignettesEtLiens}) {
        E.nContenu = nContenu;
        EXPECT_EQ(ActivationAlbumWEB(E).lOK, nContenu == caVignettesSeules) << nContenu;
    }
    TActivationAlbumWEB A = ActivationAlbumWEB(E);
    EXPECT_TRUE(A.lNomFenImgPE && A.lHierDansVoletRech && A.lColonnesVisibles);
    EXPECT_FALSE(A.lLignesVisibles || A.lDispoVig);
    E.nContenu = caFrames;
    A = ActivationAlbumWEB(E);
    EXPECT_TRUE(A.lDispoVig);
    EXPECT_FALSE(A.lColonnesVisibles || A.lNomFenImgPE);

    // A flat album: a blank name never enables OK.
    TEtatAlbumWEB F;
    F.nImgsSource = F.nDisponibles = 3;
    F.cNom = QStringLiteral("   ");
    EXPECT_FALSE(ActivationAlbumWEB(F).lOK);
    F.cNom = QStringLiteral("Noël");
    A = ActivationAlbumWEB(F);
    EXPECT_TRUE(A.lOK && A.lLignesVisibles && A.lColonnesVisibles && A.lAffLegende && A.lReduction);
    EXPECT_FALSE(A.lHierDansVoletRech || A.lTypeLegende);
    F.lAffLegende = true;
    EXPECT_TRUE(ActivationAlbumWEB(F).lTypeLegende);
    // Thumbnails alone have no legend nor reduced images, whatever the box says.
    F.nContenu = caVignettesSeules;
    A = ActivationAlbumWEB(F);
    EXPECT_FALSE(A.lAffLegende || A.lTypeLegende || A.lReduction);
    // The font and its colours follow the data boxes, the frame colour the frame button.
    F.lAffNom = F.lAffLegende = false;
    F.lAffCadre = false;
    A = ActivationAlbumWEB(F);
    EXPECT_FALSE(A.lPolice || A.lCoulCadre);
    F.lAffDate = true;
    EXPECT_TRUE(ActivationAlbumWEB(F).lPolice);
}

TEST_F(FenetreAlbumWEB, PersonalAlbumsWithFoldersSortedAndCountedOnce)
{
    const QString S = cSectionAlbumWeb + QLatin1Char(':');
    iniSetup->WriteString(S + QStringLiteral("Zèbre"), QStringLiteral("<aDossiers>"), QStringLiteral("A"));
    iniSetup->WriteString(S + QStringLiteral("été"), QStringLiteral("<aDossiers>"), QStringLiteral("A|A/B"));
    iniSetup->WriteString(S + QStringLiteral("été:A"), QStringLiteral("/x.jpg"), QString());
    iniSetup->WriteString(S + QStringLiteral("abricot"), QStringLiteral("<aDossiers>"), QStringLiteral("X"));
    iniSetup->WriteString(S + QStringLiteral("Vide"), QStringLiteral("<aDossiers>"), QString());
    iniSetup->WriteString(S + QStringLiteral("SansCle"), QStringLiteral("autre"), QStringLiteral("X"));
    EXPECT_EQ(AlbumsPersoAlbumWEB(*iniSetup),
              (QStringList{QStringLiteral("abricot"), QStringLiteral("été"), QStringLiteral("Zèbre")}));

    QStringList Comptes;
    TComptesAlbumsPerso Perso([&](const QString &cNom) {
        Comptes << cNom;
        return TComptesAlbumWEB{int(cNom.size()), 1};
    });
    EXPECT_EQ(Perso.Comptes(QStringLiteral("été")).nImgsSource, 3);
    EXPECT_EQ(Perso.Comptes(QStringLiteral("Zèbre")).nImgsSource, 5);
    EXPECT_EQ(Perso.Comptes(QStringLiteral("été")).nImgsSource, 3);
    EXPECT_EQ(Comptes, (QStringList{QStringLiteral("été"), QStringLiteral("Zèbre")}));
}

TEST_F(FenetreAlbumWEB, InitCountsTheSourceAndWaitsForAPersonalAlbum)
{
    const QString cA = Cree(QStringLiteral("p/a.jpg"), "a");
    Liste(cA);
    Liste(Cree(QStringLiteral("p/b.jpg"), "b"));
    Modele.MetCoche(0, true);
    TSourceDonneesAW Source;
    Source.pModele = &Modele;
    TParamsAlbumWEB P;
    P.pVolumes = &Volumes;
    TEtatAlbumWEB E;
    TSourceDonneesAW Vide;
    EXPECT_FALSE(InitAlbumWEB(E, Vide, P));
    ASSERT_TRUE(InitAlbumWEB(E, Source, P));
    EXPECT_EQ(E.nImgsSource, 1);
    EXPECT_EQ(E.nDisponibles, 1);

    TSourceDonneesAW Perso;
    Perso.nSource = saHierPerso;
    EXPECT_TRUE(InitAlbumWEB(E, Perso, P));
    EXPECT_EQ(E.nSource, saHierPerso);
    EXPECT_EQ(E.nImgsSource, 1);
    EXPECT_EQ(E.nDisponibles, 0);

    // A list is located again: a disc put in since, a file gone since.
    Cree(QStringLiteral("cd/photos/c.jpg"), "c");
    TSourceDonneesAW Liste;
    Liste.nSource = saListeImages;
    TEnrLstAW SurCD;
    SurCD.EnrLV.nNumCD = static_cast<qint32>(nSerieCD);
    SurCD.EnrLV.cChemin = QStringLiteral("/photos/c.jpg");
    TEnrLstAW Parti;
    Parti.EnrLV.cChemin = cRacine + QStringLiteral("/parti.jpg");
    Parti.EnrLV.lExiste = true;
    Liste.lstImages = {SurCD, Parti};
    ASSERT_TRUE(InitAlbumWEB(E, Liste, P));
    EXPECT_EQ(E.nImgsSource, 2);
    EXPECT_EQ(E.nDisponibles, 1);
    EXPECT_EQ(Liste.lstImages[0].EnrLV.CheminComplet(), cRacine + QStringLiteral("/cd/photos/c.jpg"));
    EXPECT_TRUE(Liste.lstImages[0].EnrLV.lExiste);
    EXPECT_FALSE(Liste.lstImages[1].EnrLV.lExiste);
}

TEST_F(FenetreAlbumWEB, DamagedKeptOptionsTakeTheirDefaults)
{
    const QString &G = cSectionAlbumsWebGeneral;
    iniSetup->WriteString(G, QStringLiteral("cAWDosParentAlbum"), cRacine + QStringLiteral("/parti/"));
    iniSetup->WriteInteger(G, QStringLiteral("nAWContAlbum"), 9);
    iniSetup->WriteInteger(G, QStringLiteral("nAWCoulFondFenetre"), -1);
    iniSetup->WriteInteger(G, QStringLiteral("nAWCoulCadre"), 0x1000000);
    iniSetup->WriteInteger(G, QStringLiteral("nAWCoulFondVigImg"), 0x123456);
    iniSetup->WriteInteger(G, QStringLiteral("lAWTypeLegende"), 3);
    TOptionsAlbumWEB O = ReglagesAlbumWEB(*iniSetup, cDonnees, 3);
    EXPECT_EQ(O.cAWDosParentAlbum, cDonnees);
    EXPECT_EQ(O.nAWContAlbum, caVignettesEtLiens);
    EXPECT_EQ(O.nAWCoulFondFenetre, 0u);
    EXPECT_EQ(O.nAWCoulCadre, 0xFFFFFFu);
    EXPECT_EQ(O.nAWCoulFondVigImg, 0x123456u);
    EXPECT_EQ(O.lAWTypeLegende, 0);
    // With descriptions in use the list has a fourth item.
    EXPECT_EQ(ReglagesAlbumWEB(*iniSetup, cDonnees, 4).lAWTypeLegende, 3);
    QDir().mkpath(cRacine + QStringLiteral("/parti"));
    EXPECT_EQ(ReglagesAlbumWEB(*iniSetup, cDonnees, 3).cAWDosParentAlbum, cRacine + QStringLiteral("/parti/"));
}

TEST_F(FenetreAlbumWEB, NamesThatAreNotOnePlainFolderAreRefusedTouchingNothing)
{
    Cree(QStringLiteral("donnees/Vignettes/x.jpg"), "vignette");
    Cree(QStringLiteral("donnees/a/b/Index.htm"), "album");
    const QStringList Avant = Empreinte(cRacine);
    for (const QString &cNom : {QStringLiteral(".."), QStringLiteral("."), QStringLiteral("a/b"), QStringLiteral("  "),
                                QString::fromUtf16(u"x\0y", 3)}) {
        Messages.Montres.clear();
        EXPECT_TRUE(Prepare(cDonnees, cNom).isEmpty());
        ASSERT_EQ(Messages.Montres.size(), 1) << cNom.toStdString();
        EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Erreur"));
        EXPECT_EQ(Messages.Montres[0].cTexte, QStringLiteral("Nom d'album incorrect : « %1 ».").arg(cNom.trimmed()));
    }
    EXPECT_TRUE(ErreurNomAlbumWEB(QStringLiteral(" Noël 2024 ")).isEmpty());
    EXPECT_EQ(DossierAlbumWEB(QStringLiteral("/a/b"), QStringLiteral(" Noël ")), QStringLiteral("/a/b/Noël/"));
    EXPECT_EQ(Empreinte(cRacine), Avant);
    EXPECT_EQ(Operations->Appels, QStringList());
}

TEST_F(FenetreAlbumWEB, TheCacheTheDataFolderAndOtherFoldersAreNeverReplaced)
{
    // Even holding an Index.htm, the thumbnail cache and the data folder are not albums.
    Cree(QStringLiteral("donnees/Vignettes/Index.htm"), "leurre");
    Cree(QStringLiteral("donnees/Index.htm"), "leurre");
    Cree(QStringLiteral("donnees/Photos/a.jpg"), "photo");
    iniSetup->WriteString(cSectionAlbumsWebHistorique, cRacine + QStringLiteral("/"), QString());
    QDir().mkpath(cRacine + QStringLiteral("/ailleurs"));
    ASSERT_EQ(::symlink(QFile::encodeName(cDonnees + QStringLiteral("Photos")).constData(),
                        QFile::encodeName(cRacine + QStringLiteral("/ailleurs/Lien")).constData()),
              0);
    Cree(QStringLiteral("donnees/Photos/Index.htm"), "album?");
    const QStringList Avant = Empreinte(cRacine);
    Messages.Reponses = {true, true, true, true, true};
    const QList<std::pair<QString, QString>> Cas = {
        {cDonnees, QStringLiteral("Vignettes")},
        {cRacine, QStringLiteral("donnees")},
        // The folder that holds the data folder, known to the history.
        {QFileInfo(cRacine).path(), QFileInfo(cRacine).fileName()},
        {cRacine + QStringLiteral("/ailleurs"), QStringLiteral("Lien")},
    };
    for (const auto &[cParent, cNom] : Cas) {
        Messages.Montres.clear();
        EXPECT_TRUE(Prepare(cParent, cNom).isEmpty()) << cNom.toStdString();
        ASSERT_EQ(Messages.Montres.size(), 1) << cNom.toStdString();
        EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Erreur"));
        EXPECT_EQ(Messages.Montres[0].cTexte,
                  QStringLiteral("Le dossier « %1 » existe déjà et n'est pas un album WEB : choisissez un autre nom.")
                      .arg(cNom));
    }
    // A plain folder of photos is not offered either.
    QFile::remove(cDonnees + QStringLiteral("Photos/Index.htm"));
    const QStringList AvantPhotos = Empreinte(cRacine);
    Messages.Montres.clear();
    EXPECT_TRUE(Prepare(cDonnees, QStringLiteral("Photos")).isEmpty());
    EXPECT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Empreinte(cRacine), AvantPhotos);
    EXPECT_NE(AvantPhotos, Avant);
    EXPECT_EQ(Operations->Appels, QStringList());
}

TEST_F(FenetreAlbumWEB, AnAlbumIsReplacedOnlyOnYesAndGoesToTheTrash)
{
    Cree(QStringLiteral("donnees/Vacances/Index.htm"), "ancien");
    Cree(QStringLiteral("donnees/Vacances/Images/a.jpg"), "image");
    const QStringList Avant = Empreinte(cRacine);
    Messages.Reponses = {false};
    EXPECT_TRUE(Prepare(cDonnees, QStringLiteral("Vacances")).isEmpty());
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Attention"));
    EXPECT_EQ(Messages.Montres[0].cTexte, QStringLiteral("Le dossier 'Vacances' existe déjà.\r\n\r\nL'écraser ?"));
    EXPECT_EQ(Empreinte(cRacine), Avant);

    // A trash that refuses keeps the folder and the window.
    Operations->EchoueSur(cDonnees + QStringLiteral("Vacances"));
    Messages.Reponses = {true};
    EXPECT_TRUE(Prepare(cDonnees, QStringLiteral("Vacances")).isEmpty());
    EXPECT_EQ(Messages.Montres.last().cTitre, QStringLiteral("Erreur"));
    EXPECT_EQ(Empreinte(cRacine), Avant);

    Operations->Oublie();
    Messages.Reponses = {true};
    EXPECT_EQ(Prepare(cDonnees, QStringLiteral(" Vacances ")), cDonnees + QStringLiteral("Vacances/"));
    EXPECT_EQ(Operations->Appels, QStringList{QStringLiteral("corbeille:") + cDonnees + QStringLiteral("Vacances")});
    EXPECT_EQ(LitFichier(cCorbeille + QStringLiteral("/files/Vacances/Images/a.jpg")), QByteArray("image"));
    EXPECT_TRUE(QFileInfo::exists(cCorbeille + QStringLiteral("/info/Vacances.trashinfo")));
    EXPECT_TRUE(QDir(cDonnees + QStringLiteral("Vacances")).isEmpty());

    // A folder known only to the history is an album too.
    Cree(QStringLiteral("albums/Noel/Vignettes/a.jpg"), "v");
    iniSetup->WriteString(cSectionAlbumsWebHistorique, cRacine + QStringLiteral("/albums/Noel/"), QString());
    Messages.Reponses = {true};
    EXPECT_EQ(Prepare(cRacine + QStringLiteral("/albums"), QStringLiteral("Noel")),
              cRacine + QStringLiteral("/albums/Noel/"));
    EXPECT_TRUE(QFileInfo::exists(cCorbeille + QStringLiteral("/files/Noel/Vignettes/a.jpg")));
}

TEST_F(FenetreAlbumWEB, AParentThatCannotBeMadeIsTold)
{
    // A file where a folder of the path should be: refused whoever runs the test.
    Cree(QStringLiteral("fichier"), "x");
    EXPECT_TRUE(Prepare(cRacine + QStringLiteral("/fichier/sous"), QStringLiteral("Album")).isEmpty());
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Erreur"));
    EXPECT_EQ(Messages.Montres[0].cTexte,
              QStringLiteral("Impossible de créer le dossier 'Album'.\n") + TexteErreurFichier(ENOTDIR));
    EXPECT_EQ(LitFichier(cRacine + QStringLiteral("/fichier")), QByteArray("x"));
}

TEST_F(FenetreAlbumWEB, TheHistoryKeyNeedsTheIndexAndOnlyAFinishedAlbumIsShown)
{
    TOptionsAlbumWEB O;
    O.nAWContAlbum = caFrames;
    O.cAWDossierAlbum = cDonnees + QStringLiteral("Fini/");
    Cree(QStringLiteral("donnees/Fini/Index.htm"), "page");
    QString cErreur;
    EXPECT_TRUE(ConclutAlbumWEB(*iniSetup, O, {}, cErreur));
    EXPECT_TRUE(cErreur.isEmpty());
    EXPECT_EQ(
        TBigIniFile(iniSetup->FileName()).ReadInteger(cSectionAlbumsWebGeneral, QStringLiteral("nAWContAlbum"), 0),
        caFrames);
    EXPECT_TRUE(TBigIniFile(iniSetup->FileName()).ValueExists(cSectionAlbumsWebHistorique, O.cAWDossierAlbum));
    EXPECT_EQ(NbAlbumsHistorique(*iniSetup), 1);

    // Interrupted after its Index.htm: listed, so that it can be found and deleted, not shown.
    TBilanAlbumWEB Interrompu;
    Interrompu.lInterrompu = true;
    O.cAWDossierAlbum = cDonnees + QStringLiteral("Coupe/");
    Cree(QStringLiteral("donnees/Coupe/Index.htm"), "page");
    EXPECT_FALSE(ConclutAlbumWEB(*iniSetup, O, Interrompu, cErreur));
    EXPECT_TRUE(iniSetup->ValueExists(cSectionAlbumsWebHistorique, O.cAWDossierAlbum));

    // Stopped before its Index.htm: no key.
    TBilanAlbumWEB Echec;
    Echec.cErreur = QStringLiteral("Impossible d'écrire");
    O.cAWDossierAlbum = cDonnees + QStringLiteral("Rate/");
    EXPECT_FALSE(ConclutAlbumWEB(*iniSetup, O, Echec, cErreur));
    EXPECT_FALSE(iniSetup->ValueExists(cSectionAlbumsWebHistorique, O.cAWDossierAlbum));
    EXPECT_EQ(NbAlbumsHistorique(*iniSetup), 2);
}

TEST_F(FenetreAlbumWEB, AFailedSaveKeepsTheOptionsInMemory)
{
    Cree(QStringLiteral("fichier"), "x");
    TBigIniFile Ini(cRacine + QStringLiteral("/fichier/KX_Setup.ini"));
    Ini.lAutoSave = false;
    TOptionsAlbumWEB O;
    O.lAWAffDate = true;
    O.cAWDossierAlbum = cDonnees + QStringLiteral("X/");
    QString cErreur;
    ConclutAlbumWEB(Ini, O, {}, cErreur);
    EXPECT_TRUE(cErreur.startsWith(Ini.FileName() + QStringLiteral(" : "))) << cErreur.toStdString();
    EXPECT_GT(cErreur.size(), Ini.FileName().size() + 3);
    EXPECT_TRUE(LitOptionsAlbumWEB(Ini).lAWAffDate);
}

TEST_F(FenetreAlbumWEB, RootsAndMountPointsAreTold)
{
    EXPECT_TRUE(EstRacineAlbumWEB(QStringLiteral("/"), Volumes));
    EXPECT_TRUE(EstRacineAlbumWEB(cRacine + QStringLiteral("/cd"), Volumes));
    EXPECT_TRUE(EstRacineAlbumWEB(cRacine + QStringLiteral("/cd/"), Volumes));
    EXPECT_FALSE(EstRacineAlbumWEB(cRacine + QStringLiteral("/cd/photos/"), Volumes));
}
