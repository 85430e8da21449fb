#include "publishing/SuppressionImages.h"

#include "BancPublication.h"
#include "imaging/NomVignette.h"
#include "storage/Descriptions.h"
#include "support/MessagesFactices.h"

#include <cerrno>

namespace
{
const QString cAlbum = QStringLiteral("SAUVEGARDE ALBUM IMAGES:Vacances");
const QString cWeb = QStringLiteral("SAUVEGARDE ALBUM WEB:Site");
const QString cWebDossier = QStringLiteral("SAUVEGARDE ALBUM WEB:Site:Bretagne");

class Suppression : public BancPublication
{
protected:
    // Everything the catalogue can keep about an image not on a CD.
    void DonneDonnees(const QString &cCle)
    {
        iniSetup->WriteString(QStringLiteral("MOTS-CLES"), cCle, QStringLiteral("MER PLAGE"));
        iniSetup->WriteString(QStringLiteral("COUPS DE COEUR"), cCle, {});
        iniSetup->WriteString(QStringLiteral("LEGENDES"), cCle, QStringLiteral("Au soleil"));
        iniSetup->WriteString(QStringLiteral("ROTATIONS"), cCle, QStringLiteral("90"));
        iniSetup->WriteString(QStringLiteral("RESOLUTIONS VIGNETTES"), cCle, QStringLiteral("31457920"));
        iniSetup->WriteString(cAlbum, cCle, {});
        iniSetup->WriteString(cWebDossier, cCle, {});
        iniBDD->WriteString(cCle, QStringLiteral("Lieux/France/Bretagne"), {});
    }
    static int Cles(const TBigIniFile &Setup, const TBigIniFile &BDD, const QString &cCle)
    {
        int n = 0;
        QStringList Sections;
        Setup.ReadSections(Sections);
        for (const QString &s : std::as_const(Sections))
            n += Setup.ValueExists(s, cCle) ? 1 : 0;
        return n + (BDD.SectionExists(cCle) ? 1 : 0);
    }
    int Cles(const QString &cCle) const { return Cles(*iniSetup, *iniBDD, cCle); }
    // As the files on disk hold them.
    int ClesSurDisque(const QString &cCle) const
    {
        const TBigIniFile Setup(iniSetup->FileName());
        const TBigIniFile BDD(iniBDD->FileName(), true);
        return Cles(Setup, BDD, cCle);
    }

    TSuppressionImages Suppresseur(const TParamsSuppression &P)
    {
        return TSuppressionImages(*iniSetup, *iniBDD, Volumes, *Operations, P);
    }
    TParamsSuppression Params() const
    {
        TParamsSuppression P;
        P.cDossierVignettes = cVignettes;
        return P;
    }
};
} // namespace

TEST_F(Suppression, DeletedImageLeavesNoDataBehindAndStoresAreSavedOnce)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    const QString b = Cree(QStringLiteral("photos/b.jpg"), "B");
    DonneDonnees(a);
    DonneDonnees(b);
    iniSetup->WriteString(cWeb, QStringLiteral("<aDossiers>"), QStringLiteral("Bretagne"));
    ASSERT_TRUE(iniSetup->UpdateFile());
    ASSERT_TRUE(iniBDD->UpdateFile());
    const QString cVignette = NomVignette(cVignettes, 0, a);
    Cree(cVignette.mid(cRacine.size() + 1), "vignette");

    TDescriptions Descriptions(*iniSetup);
    Descriptions.DescriptionImage(0, a, nDescEcriture, QStringLiteral("Plage"));
    Descriptions.DescriptionImage(0, b, nDescEcriture, QStringLiteral("Port"));
    TAlbumFactice Album;
    Album.Chemins = {b, a};
    Liste(b);
    Liste(a);

    TParamsSuppression P = Params();
    P.lTrtDescription = true;
    TSuppressionImages S = Suppresseur(P);
    S.pDescriptions = &Descriptions;
    S.pAlbum = &Album;
    const TBilanSuppression Bilan = S.SupprimerImages({{a, 1}}, &Modele, false);

    EXPECT_EQ(Bilan.nSupprimees, 1);
    EXPECT_EQ(Bilan.nNonTraitees, 0);
    EXPECT_TRUE(Bilan.MessageFinal().isEmpty());
    EXPECT_TRUE(Bilan.cErreursEnregistrement.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(LitFichier(cCorbeille + QStringLiteral("/files/a.jpg")), "A");
    EXPECT_FALSE(QFileInfo::exists(cVignette));
    EXPECT_EQ(Album.Enleves, QStringList{a});
    EXPECT_EQ(CheminsListe(), QStringList{b});
    EXPECT_EQ(Descriptions.DescriptionImage(0, a, nDescLecture), QString());
    EXPECT_EQ(Descriptions.DescriptionImage(0, b, nDescLecture), QStringLiteral("Port"));

    // Saved: the files on disk no longer hold the key, the other image keeps everything.
    EXPECT_FALSE(iniSetup->Modifie());
    EXPECT_FALSE(iniBDD->Modifie());
    EXPECT_EQ(ClesSurDisque(a), 0);
    EXPECT_EQ(ClesSurDisque(b), 8);
    EXPECT_TRUE(TBigIniFile(iniSetup->FileName()).ValueExists(cWeb, QStringLiteral("<aDossiers>")));
}

TEST_F(Suppression, FileThatCannotGoKeepsAllItsData)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    const QString b = Cree(QStringLiteral("photos/b.jpg"), "B");
    DonneDonnees(a);
    DonneDonnees(b);
    ASSERT_TRUE(iniSetup->UpdateFile());
    ASSERT_TRUE(iniBDD->UpdateFile());
    Liste(a);
    Liste(b);
    Operations->EchoueSur(a, EACCES);
    // A deletion that says it succeeded while the file is still there is no deletion.
    Operations->SuccesSansEffet(b);

    TSuppressionImages S = Suppresseur(Params());
    const TBilanSuppression Bilan = S.SupprimerImages({{a, 0}, {b, 1}}, &Modele, false);
    EXPECT_EQ(Bilan.nSupprimees, 0);
    EXPECT_EQ(Bilan.nNonTraitees, 2);
    EXPECT_FALSE(Bilan.lCorbeilleIndisponible);
    EXPECT_EQ(Bilan.MessageFinal(), QStringLiteral("2 image(s) n'ont(a) pas été traitée(s)."));
    EXPECT_EQ(LitFichier(a), "A");
    EXPECT_EQ(LitFichier(b), "B");
    EXPECT_EQ(Cles(a), 8);
    EXPECT_EQ(Cles(b), 8);
    EXPECT_EQ(Modele.Nombre(), 2);
    EXPECT_FALSE(iniSetup->Modifie());
}

TEST_F(Suppression, MissingTrashSaysHowToDeleteForGood)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    DonneDonnees(a);
    Liste(a);
    Operations->SansCorbeille();
    TSuppressionImages S = Suppresseur(Params());

    TBilanSuppression Bilan = S.SupprimerImages({{a, 0}}, &Modele, false);
    EXPECT_EQ(Bilan.nNonTraitees, 1);
    EXPECT_TRUE(Bilan.lCorbeilleIndisponible);
    EXPECT_EQ(Bilan.MessageFinal(), QStringLiteral("1 image(s) n'ont(a) pas été traitée(s).\n"
                                                   "(Corbeille indisponible : cochez « Supprimer définitivement ».)"));
    EXPECT_EQ(Cles(a), 8);

    Bilan = S.SupprimerImages({{a, 0}}, &Modele, true);
    EXPECT_EQ(Bilan.nSupprimees, 1);
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(cCorbeille + QStringLiteral("/files/a.jpg")));
    EXPECT_EQ(Cles(a), 0);
    EXPECT_TRUE(Operations->Appels.contains(QStringLiteral("supprime:") + a));
}

TEST_F(Suppression, ThreeSelectedOneOnCdDeletesTwoAndReportsOne)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    const QString cCD = Cree(QStringLiteral("cd/DCIM/c.jpg"), "C");
    const QString b = Cree(QStringLiteral("photos/b.jpg"), "B");
    const QString d = Cree(QStringLiteral("photos/d.jpg"), "D");
    Liste(a);
    ListeCD(QStringLiteral("/DCIM/c.jpg"));
    Liste(b);
    Liste(d); // not selected

    const QList<int> Selection{2, 0, 1};
    EXPECT_EQ(NombreImagesASupprimer(Modele, Selection), 2);
    EXPECT_EQ(QuestionSuppression(2), QStringLiteral("Supprimer les 2 image(s) sélectionnée(s) ?"));

    TSuppressionImages S = Suppresseur(Params());
    const TBilanSuppression Bilan = S.SupprimerImagesSelectionnees(Modele, Selection, false);
    EXPECT_EQ(Bilan.nSupprimees, 2);
    EXPECT_EQ(Bilan.nNonTraitees, 1);
    EXPECT_EQ(Bilan.MessageFinal(), QStringLiteral("1 image(s) n'ont(a) pas été traitée(s)."));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_EQ(LitFichier(cCD), "C");
    EXPECT_EQ(CheminsListe(), QStringList({cCD, d}));

    // Handed over by its full path, a CD image is refused all the same.
    EXPECT_EQ(S.SupprimerImage(cCD, true).nIssue, TIssueSuppression::SurCD);
    EXPECT_EQ(S.SupprimerImage(QStringLiteral("<305441741>/DCIM/c.jpg"), true).nIssue, TIssueSuppression::SurCD);
    EXPECT_EQ(LitFichier(cCD), "C");
}

TEST_F(Suppression, CompanionsFollowTheirSettings)
{
    const QString crw = Cree(QStringLiteral("raw/x.CRW"), "raw");
    const QString thm = Cree(QStringLiteral("raw/x.THM"), "thm");
    const QString wav = Cree(QStringLiteral("raw/x.WAV"), "wav");
    const QString jpg = Cree(QStringLiteral("raw/y.jpg"), "jpg");
    const QString thmJpg = Cree(QStringLiteral("raw/y.THM"), "thm de jpg");

    TParamsSuppression P = Params();
    P.lTrtTHMDsOpFic = false;
    P.lTrtWAVDsOpFic = true;
    TSuppressionImages S = Suppresseur(P);
    TResultatSuppression r = S.SupprimerImage(crw, false);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.cCompagnons, QStringList{wav});
    EXPECT_EQ(LitFichier(thm), "thm");
    EXPECT_FALSE(QFileInfo::exists(wav));
    EXPECT_EQ(LitFichier(cCorbeille + QStringLiteral("/files/x.WAV")), "wav");

    // With the setting on, the .THM goes, but only beside a .CRW.
    const QString crw2 = Cree(QStringLiteral("raw/x.CRW"), "raw2");
    P.lTrtTHMDsOpFic = true;
    P.lTrtWAVDsOpFic = false;
    TSuppressionImages S2 = Suppresseur(P);
    r = S2.SupprimerImage(crw2, false);
    EXPECT_EQ(r.cCompagnons, QStringList{thm});
    EXPECT_FALSE(QFileInfo::exists(thm));
    ASSERT_TRUE(S2.SupprimerImage(jpg, false).Ok());
    EXPECT_EQ(LitFichier(thmJpg), "thm de jpg");
}

TEST_F(Suppression, RowsSevenThenThreeAreTheRowsRemoved)
{
    QStringList Chemins;
    for (int i = 0; i < 10; ++i) {
        Chemins << Cree(QStringLiteral("p/%1.jpg").arg(i), QByteArray::number(i));
        Liste(Chemins.last());
    }
    TSuppressionImages S = Suppresseur(Params());
    TBilanSuppression Bilan = S.SupprimerImages({{Chemins[7], 7}, {Chemins[3], 3}}, &Modele, false);
    EXPECT_EQ(Bilan.nSupprimees, 2);
    QStringList Attendus = Chemins;
    Attendus.removeAt(7);
    Attendus.removeAt(3);
    EXPECT_EQ(CheminsListe(), Attendus);

    // A record whose row no longer holds its file removes the row that does, not the one named.
    Bilan = S.SupprimerImages({{Chemins[8], 2}}, &Modele, false);
    Attendus.removeAll(Chemins[8]);
    EXPECT_EQ(CheminsListe(), Attendus);
    // A file that is not listed leaves the list alone.
    const QString cAutre = Cree(QStringLiteral("ailleurs/z.jpg"), "z");
    Bilan = S.SupprimerImages({{cAutre, -1}}, &Modele, false);
    EXPECT_EQ(Bilan.nSupprimees, 1);
    EXPECT_EQ(CheminsListe(), Attendus);
}

TEST_F(Suppression, ConsultationModeDeletesNothing)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    Liste(a);
    TParamsSuppression P = Params();
    P.lModeMAJ = false;
    TSuppressionImages S = Suppresseur(P);
    EXPECT_TRUE(S.SupprimerImagesSelectionnees(Modele, {0}, true).lRefuse);
    EXPECT_TRUE(S.SupprimerImages({{a, 0}}, &Modele, true).lRefuse);
    EXPECT_EQ(S.SupprimerImage(a, true).nIssue, TIssueSuppression::ModeConsultation);
    EXPECT_EQ(LitFichier(a), "A");
    EXPECT_EQ(Modele.Nombre(), 1);
    EXPECT_TRUE(Operations->Appels.isEmpty());
}

TEST_F(Suppression, FailedSaveIsReportedAndDataStayInMemory)
{
    OuvreStores(cRacine + QStringLiteral("/absent/"));
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    DonneDonnees(a);
    TSuppressionImages S = Suppresseur(Params());
    const TBilanSuppression Bilan = S.SupprimerImages({{a, -1}}, nullptr, false);
    EXPECT_EQ(Bilan.nSupprimees, 1);
    EXPECT_EQ(Bilan.cErreursEnregistrement,
              QStringList({QStringLiteral("Le catalogue n'a pas pu être enregistré : ") + iniSetup->FileName(),
                           QStringLiteral("Le catalogue n'a pas pu être enregistré : ") + iniBDD->FileName()}));
    EXPECT_TRUE(iniSetup->Modifie());
    EXPECT_EQ(Cles(a), 0);

    // Once the folder exists, the next save writes what was kept.
    QDir().mkpath(cRacine + QStringLiteral("/absent"));
    EXPECT_TRUE(S.EnregistreStores().isEmpty());
    EXPECT_FALSE(iniSetup->Modifie());
}

TEST_F(Suppression, EscStopsBetweenImagesAndKeepsWhatWasDone)
{
    QStringList Chemins;
    for (int i = 0; i < 4; ++i) {
        Chemins << Cree(QStringLiteral("p/%1.jpg").arg(i), "x");
        DonneDonnees(Chemins.last());
        Liste(Chemins.last());
    }
    TSuppressionImages S = Suppresseur(Params());
    QList<qint64> Positions;
    S.Suivi.Avance = [&](qint64 n, qint64 nMax) {
        Positions << n;
        EXPECT_EQ(nMax, 4);
    };
    int nQuestions = 0;
    S.Suivi.Interrompu = [&] { return ++nQuestions == 2; };
    const TBilanSuppression Bilan = S.SupprimerImagesSelectionnees(Modele, {0, 1, 2, 3}, false);

    EXPECT_TRUE(Bilan.lInterrompu);
    EXPECT_EQ(Bilan.nSupprimees, 2);
    EXPECT_EQ(Positions, QList<qint64>({1, 2}));
    // From the last row: 3 and 2 went, with their rows and their data, saved.
    EXPECT_EQ(CheminsListe(), QStringList({Chemins[0], Chemins[1]}));
    EXPECT_TRUE(QFileInfo::exists(Chemins[1]));
    EXPECT_FALSE(QFileInfo::exists(Chemins[2]));
    EXPECT_EQ(ClesSurDisque(Chemins[2]), 0);
    EXPECT_EQ(ClesSurDisque(Chemins[1]), 8);
    EXPECT_FALSE(iniSetup->Modifie());
}

TEST_F(Suppression, ButtonAsksOnlyWhenThereIsSomethingToDeleteAndReports)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    const QString b = Cree(QStringLiteral("photos/b.jpg"), "B");
    Liste(a);
    ListeCD(QStringLiteral("/DCIM/c.jpg"));
    Liste(b);
    TSuppressionImages S = Suppresseur(Params());
    TMessagesFactices Messages;
    QStringList Questions;
    std::optional<bool> Reponse;
    auto Demande = [&](const QString &c) {
        Questions << c;
        return Reponse;
    };

    // Only a CD image selected: nothing to ask.
    ConfirmeEtSupprimeSelection(S, Modele, {1}, Demande, Messages);
    EXPECT_TRUE(Questions.isEmpty());
    EXPECT_EQ(Messages.Textes(), QStringList{"Aucune image à traiter."});
    EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Attention"));

    // No: nothing deleted, nothing more said.
    ConfirmeEtSupprimeSelection(S, Modele, {0, 1, 2}, Demande, Messages);
    EXPECT_EQ(Questions, QStringList{"Supprimer les 2 image(s) sélectionnée(s) ?"});
    EXPECT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Modele.Nombre(), 3);

    // Yes with the box ticked: the files go for good, the CD image is reported.
    Reponse = true;
    Operations->EchoueSur(b, EBUSY);
    const TBilanSuppression Bilan = ConfirmeEtSupprimeSelection(S, Modele, {0, 1, 2}, Demande, Messages);
    EXPECT_EQ(Bilan.nSupprimees, 1);
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(cCorbeille + QStringLiteral("/files/a.jpg")));
    EXPECT_EQ(Messages.Textes().last(), QStringLiteral("2 image(s) n'ont(a) pas été traitée(s)."));
    EXPECT_EQ(Messages.Montres.last().cTitre, QStringLiteral("Attention"));
}
