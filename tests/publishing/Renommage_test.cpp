#include "publishing/Renommage.h"

#include "BancPublication.h"
#include "imaging/NomVignette.h"
#include "publishing/RenommageJournal.h"
#include "storage/Descriptions.h"

#include <cerrno>

namespace
{
const QString cMotsCles = QStringLiteral("MOTS-CLES");
const QString cLegendes = QStringLiteral("LEGENDES");
const QString cAlbum = QStringLiteral("SAUVEGARDE ALBUM IMAGES:Vacances");

class TAlbumRenomme : public TAlbumFactice
{
public:
    QStringList Renommes;
    void RenommeImage(qint32, const QString &a, const QString &b) override { Renommes << a + QLatin1Char('>') + b; }
};

// Creates a file at the target just before the rename reaches it, as another program might.
class TOperationsIntruses : public IOperationsFichiers
{
public:
    explicit TOperationsIntruses(IOperationsFichiers &Reelles) : m_Reelles(Reelles) {}
    QString cCibleIntruse;
    TResultatOperation Renomme(const QString &s, const QString &c) override
    {
        if (c == cCibleIntruse)
            EcritFichier(c, "intrus");
        return m_Reelles.Renomme(s, c);
    }
    TResultatOperation Corbeille(const QString &c) override { return m_Reelles.Corbeille(c); }
    TResultatOperation Supprime(const QString &c) override { return m_Reelles.Supprime(c); }
    bool Absent(const QString &c) const override { return m_Reelles.Absent(c); }

private:
    IOperationsFichiers &m_Reelles;
};

class Renommage : public BancPublication
{
protected:
    TParamsRenommage Params() const
    {
        TParamsRenommage P;
        P.cDossierVignettes = cVignettes;
        P.cDossierDonnees = cDonnees;
        P.lTrtDescription = true;
        return P;
    }
    static TReglageRenommage Numerote(int nChiffres, qint64 nOffset, const QString &cPrefixe = {})
    {
        TReglageRenommage R;
        R.nNbChiffres = nChiffres;
        R.nOffset = nOffset;
        R.cPrefixe = cPrefixe;
        return R;
    }
    static TReglageRenommage Nomme(const QString &cNom)
    {
        TReglageRenommage R;
        R.nMode = TModeRenommage::NomSeul;
        R.cNomSeul = cNom;
        return R;
    }
    QList<TEnrLst> Entrees(const QStringList &Chemins)
    {
        QList<TEnrLst> l;
        for (const QString &c : Chemins)
            l.append({Liste(c), c, {}});
        return l;
    }
    void DonneDonnees(const QString &cCle, const QString &cId)
    {
        iniSetup->WriteString(cMotsCles, cCle, QStringLiteral("K") + cId);
        iniSetup->WriteString(cLegendes, cCle, QStringLiteral("L") + cId);
        iniSetup->WriteString(cAlbum, cCle, cId);
        iniBDD->WriteString(cCle, QStringLiteral("Lieux/") + cId, {});
    }
    // The data found under a key, as one text ("K.. L.. A.. C.." for complete data).
    static QString Donnees(const TBigIniFile &Setup, const TBigIniFile &BDD, const QString &cCle)
    {
        QStringList l;
        if (Setup.ValueExists(cMotsCles, cCle))
            l << Setup.ReadString(cMotsCles, cCle, {});
        if (Setup.ValueExists(cLegendes, cCle))
            l << Setup.ReadString(cLegendes, cCle, {});
        if (Setup.ValueExists(cAlbum, cCle))
            l << QStringLiteral("A") + Setup.ReadString(cAlbum, cCle, {});
        QStringList cCriteres;
        BDD.ReadSection(cCle, cCriteres);
        for (const QString &c : std::as_const(cCriteres))
            l << QStringLiteral("C") + c.section(QLatin1Char('/'), 1);
        return l.join(QLatin1Char(' '));
    }
    static QString Attendu(const QString &cId) { return QStringLiteral("K%1 L%1 A%1 C%1").arg(cId); }
    QString DonneesSurDisque(const QString &cCle) const
    {
        const TBigIniFile Setup(iniSetup->FileName());
        const TBigIniFile BDD(iniBDD->FileName(), true);
        return Donnees(Setup, BDD, cCle);
    }
    QString Dossier() const { return cRacine + QStringLiteral("/photos/"); }
};
} // namespace

TEST_F(Renommage, NumberedNamesKeepFolderPrefixAndExtensionCase)
{
    const TReglageRenommage R = Numerote(2, 0, QStringLiteral("Vac"));
    EXPECT_EQ(NouveauNom(QStringLiteral("/p/a.jpg"), R, 0), QStringLiteral("/p/Vac00.jpg"));
    EXPECT_EQ(NouveauNom(QStringLiteral("/p/c.JPG"), R, 2), QStringLiteral("/p/Vac02.JPG"));
    // Offsets beyond 32 bits and names without an extension.
    EXPECT_EQ(NouveauNom(QStringLiteral("/p/x"), Numerote(10, 4294967296LL), 1), QStringLiteral("/p/4294967297"));
    EXPECT_EQ(NouveauNomSeul(QStringLiteral("/p/a.b.CRW"), QStringLiteral("  Plage ")), QStringLiteral("/p/Plage.CRW"));
}

TEST_F(Renommage, ExchangedNamesCarryEveryDataAlong)
{
    const QString a = Cree(QStringLiteral("photos/00.jpg"), "zero");
    const QString b = Cree(QStringLiteral("photos/01.jpg"), "un");
    DonneDonnees(a, QStringLiteral("0"));
    DonneDonnees(b, QStringLiteral("1"));
    ASSERT_TRUE(iniSetup->UpdateFile() && iniBDD->UpdateFile());
    Cree(NomVignette(cVignettes, 0, a).mid(cRacine.size() + 1), "vig0");
    TDescriptions Descriptions(*iniSetup);
    Descriptions.DescriptionImage(0, a, nDescEcriture, QStringLiteral("Plage"));
    TAlbumRenomme Album;
    Album.Chemins = {a};

    QList<TEnrLst> E = Entrees({a, b});
    TRenommageImages Ren(*iniSetup, *iniBDD, *Operations, Params());
    Ren.pDescriptions = &Descriptions;
    Ren.pAlbum = &Album;
    const TBilanRenommage Bilan = Ren.Renomme(E, Numerote(2, 1));

    EXPECT_EQ(Bilan.nRenommees, 2);
    EXPECT_TRUE(Bilan.MessageFinal().isEmpty());
    const QString c = Dossier() + QStringLiteral("02.jpg");
    EXPECT_EQ(LitFichier(b), "zero");
    EXPECT_EQ(LitFichier(c), "un");
    EXPECT_EQ(E[0].cNouveau, b);
    EXPECT_EQ(E[1].cNouveau, c);
    EXPECT_EQ(DonneesSurDisque(b), Attendu(QStringLiteral("0")));
    EXPECT_EQ(DonneesSurDisque(c), Attendu(QStringLiteral("1")));
    EXPECT_EQ(DonneesSurDisque(a), QString());
    EXPECT_EQ(LitFichier(NomVignette(cVignettes, 0, b)), "vig0");
    EXPECT_FALSE(QFileInfo::exists(NomVignette(cVignettes, 0, a)));
    TDescriptions Relues(*iniSetup);
    EXPECT_EQ(Relues.DescriptionImage(0, b, nDescLecture), QStringLiteral("Plage"));
    EXPECT_EQ(Relues.DescriptionImage(0, c, nDescLecture), QString());
    EXPECT_EQ(Album.Renommes, QStringList{a + QLatin1Char('>') + b});
    EXPECT_FALSE(QFileInfo::exists(TRenommageImages::CheminJournal(cDonnees)));

    AppliqueRenommage(Modele, E);
    EXPECT_EQ(CheminsListe(), (QStringList{b, c}));
}

TEST_F(Renommage, InvalidSettingsMoveNothing)
{
    QStringList Chemins;
    for (int i = 0; i < 12; ++i)
        Chemins << Cree(QStringLiteral("photos/i%1.jpg").arg(i), "x");
    QList<TEnrLst> E = Entrees(Chemins);
    const TParamsRenommage P = Params();
    EXPECT_FALSE(RenommageValide(E, Numerote(1, 0), P));
    EXPECT_TRUE(RenommageValide(E, Numerote(2, 0), P));
    EXPECT_FALSE(RenommageValide(E, Numerote(2, 89), P));
    EXPECT_FALSE(RenommageValide(E, Numerote(0, 0), P));
    EXPECT_FALSE(RenommageValide(E, Numerote(2, -1), P));

    // A target held by a file that is not renamed.
    Cree(QStringLiteral("photos/05.jpg"), "autre");
    EXPECT_FALSE(RenommageValide(E, Numerote(2, 0), P));
    TRenommageImages Ren(*iniSetup, *iniBDD, *Operations, P);
    const TBilanRenommage Bilan = Ren.Renomme(E, Numerote(2, 0));
    EXPECT_TRUE(Bilan.lInvalide);
    EXPECT_TRUE(Operations->Appels.isEmpty());
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("05.jpg")), "autre");

    // Single name: one entry only, a name that stays in the folder, a free target.
    const QList<TEnrLst> Un{E[0]};
    EXPECT_TRUE(RenommageValide(Un, Nomme(QStringLiteral("Plage")), P));
    EXPECT_FALSE(RenommageValide(Un, Nomme(QStringLiteral("  ")), P));
    EXPECT_FALSE(RenommageValide(Un, Nomme(QStringLiteral("../Plage")), P));
    EXPECT_FALSE(RenommageValide(Un, Nomme(QStringLiteral("i1")), P));
    EXPECT_FALSE(RenommageValide(E, Nomme(QStringLiteral("Plage")), P));
}

TEST_F(Renommage, CompanionsFollowAndTheirTargetsAreChecked)
{
    const QString crw = Cree(QStringLiteral("photos/a.CRW"), "raw");
    Cree(QStringLiteral("photos/a.THM"), "thm");
    Cree(QStringLiteral("photos/a.wav"), "son");
    TParamsRenommage P = Params();
    QList<TEnrLst> E = Entrees({crw});

    // b.WAV belongs to b.CRW: renaming a.CRW to b would clobber it.
    Cree(QStringLiteral("photos/b.CRW"), "b");
    Cree(QStringLiteral("photos/b.WAV"), "bson");
    EXPECT_FALSE(RenommageValide(E, Nomme(QStringLiteral("b")), P));
    P.lTrtWAVDsOpFic = false;
    EXPECT_FALSE(RenommageValide(E, Nomme(QStringLiteral("b")), P)) << "b.CRW itself is taken";

    P = Params();
    TRenommageImages Ren(*iniSetup, *iniBDD, *Operations, P);
    EXPECT_EQ(Ren.Renomme(E, Nomme(QStringLiteral("c"))).nRenommees, 1);
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("c.CRW")), "raw");
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("c.THM")), "thm");
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("c.wav")), "son");

    // Without the .THM setting, the .THM keeps its name; numbered mode goes through "_0".
    P.lTrtTHMDsOpFic = false;
    QList<TEnrLst> E2 = Entrees({Dossier() + QStringLiteral("c.CRW"), Dossier() + QStringLiteral("b.CRW")});
    TRenommageImages Ren2(*iniSetup, *iniBDD, *Operations, P);
    EXPECT_EQ(Ren2.Renomme(E2, Numerote(1, 1, QStringLiteral("v"))).nRenommees, 2);
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("v1.CRW")), "raw");
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("v1.wav")), "son");
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("c.THM")), "thm");
    EXPECT_EQ(LitFichier(Dossier() + QStringLiteral("v2.WAV")), "bson");
    EXPECT_TRUE(Operations->Appels.contains(
        QStringLiteral("renomme:%1>%2")
            .arg(Dossier() + QStringLiteral("c.wav"), Dossier() + QStringLiteral("v1.wav_0"))));
}

TEST_F(Renommage, FailedRenameKeepsNameAndDataAndRacedTargetSurvives)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    const QString b = Cree(QStringLiteral("photos/b.jpg"), "B");
    DonneDonnees(a, QStringLiteral("a"));
    DonneDonnees(b, QStringLiteral("b"));
    ASSERT_TRUE(iniSetup->UpdateFile() && iniBDD->UpdateFile());

    // The file a refuses to move; b is renamed alone.
    Operations->EchoueSur(a, EACCES);
    QList<TEnrLst> E = Entrees({a, b});
    TRenommageImages Ren(*iniSetup, *iniBDD, *Operations, Params());
    TBilanRenommage Bilan = Ren.Renomme(E, Numerote(1, 1, QStringLiteral("n")));
    EXPECT_EQ(Bilan.nNonTraitees, 1);
    EXPECT_EQ(Bilan.MessageFinal(), QStringLiteral("1 image(s) n'ont(a) pas été traitée(s)."));
    EXPECT_EQ(LitFichier(a), "A");
    EXPECT_EQ(DonneesSurDisque(a), Attendu(QStringLiteral("a")));
    EXPECT_EQ(DonneesSurDisque(Dossier() + QStringLiteral("n2.jpg")), Attendu(QStringLiteral("b")));
    Operations->Oublie();

    // A file appears at the single name between the check and the rename.
    TOperationsIntruses Intruses(*Reelles);
    Intruses.cCibleIntruse = Dossier() + QStringLiteral("plage.jpg");
    QList<TEnrLst> E2{{0, a, {}}};
    TRenommageImages Ren2(*iniSetup, *iniBDD, Intruses, Params());
    Bilan = Ren2.Renomme(E2, Nomme(QStringLiteral("plage")));
    EXPECT_EQ(Bilan.nNonTraitees, 1);
    EXPECT_EQ(LitFichier(Intruses.cCibleIntruse), "intrus");
    EXPECT_EQ(LitFichier(a), "A");
    EXPECT_EQ(DonneesSurDisque(a), Attendu(QStringLiteral("a")));
}

TEST_F(Renommage, UnwritableJournalRenamesNothing)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    TParamsRenommage P = Params();
    P.cDossierDonnees = cRacine + QStringLiteral("/absent/");
    QList<TEnrLst> E = Entrees({a});
    TRenommageImages Ren(*iniSetup, *iniBDD, *Operations, P);
    const TBilanRenommage Bilan = Ren.Renomme(E, Nomme(QStringLiteral("b")));
    EXPECT_EQ(Bilan.cErreurPreparation, QStringLiteral("Impossible de préparer le renommage : fichier introuvable"));
    EXPECT_TRUE(Operations->Appels.isEmpty());
    EXPECT_EQ(LitFichier(a), "A");

    P.lModeMAJ = false;
    TRenommageImages Consultation(*iniSetup, *iniBDD, *Operations, P);
    EXPECT_TRUE(Consultation.Renomme(E, Nomme(QStringLiteral("b"))).lRefuse);
}

TEST_F(Renommage, JournalReadsBackAnyPath)
{
    TPlanRenommage P;
    P.Image.cAncien = QStringLiteral("/p/a\tb\nc%41\r.jpg");
    P.Image.cTemporaire = QStringLiteral("/p/é 00.jpg_0");
    P.Image.cFinal = QStringLiteral("/p/%25 00.jpg");
    P.Image.Identite = {77, 4294967299ULL};
    P.Compagnons << TNomsFichier{QStringLiteral("/p/\x01.WAV"), {}, QStringLiteral("/p/x.WAV"), {1, 2}};
    const QString cJournal = cDonnees + QStringLiteral("j");
    {
        TJournalRenommage J(cJournal);
        ASSERT_EQ(J.Ecrit({P, P}), 0);
        ASSERT_EQ(J.AvantEnregistrement(QStringLiteral("setup"), {5, 6}), 0);
        ASSERT_EQ(J.Enregistre(QStringLiteral("setup")), 0);
    }
    TJournalRenommage::TContenu C;
    ASSERT_TRUE(TJournalRenommage::Lit(cJournal, C));
    ASSERT_EQ(C.Plans.size(), 2);
    EXPECT_EQ(C.Plans[1].Image.cAncien, P.Image.cAncien);
    EXPECT_EQ(C.Plans[1].Image.cTemporaire, P.Image.cTemporaire);
    EXPECT_EQ(C.Plans[1].Image.cFinal, P.Image.cFinal);
    EXPECT_EQ(C.Plans[1].Image.Identite, P.Image.Identite);
    ASSERT_EQ(C.Plans[1].Compagnons.size(), 1);
    EXPECT_EQ(C.Plans[1].Compagnons[0].cAncien, P.Compagnons[0].cAncien);
    EXPECT_TRUE(C.Enregistres.contains(QStringLiteral("setup")));
    EXPECT_EQ(C.EnInstance.value(QStringLiteral("setup")), (TIdentiteFichier{5, 6}));

    // Cut before its end line: the batch never started, the journal is not replayed.
    QByteArray Texte = LitFichier(cJournal);
    Texte.truncate(Texte.indexOf("FIN"));
    ASSERT_TRUE(EcritFichier(cJournal, Texte));
    EXPECT_FALSE(TJournalRenommage::Lit(cJournal, C));
}

TEST_F(Renommage, AnUnfinishedJournalIsNeverWrittenOver)
{
    const QString a = Cree(QStringLiteral("photos/a.jpg"), "A");
    const TParamsRenommage P = Params();
    // Left by a batch whose replay could not finish: only it can put that batch's data right.
    const QString cJournal = TRenommageImages::CheminJournal(P.cDossierDonnees);
    {
        QFile f(cJournal);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("journal d'un lot interrompu\n");
    }
    QList<TEnrLst> E = Entrees({a});
    TRenommageImages Ren(*iniSetup, *iniBDD, *Operations, P);
    const TBilanRenommage Bilan = Ren.Renomme(E, Nomme(QStringLiteral("b")));
    EXPECT_TRUE(Bilan.cErreurPreparation.startsWith(
        QStringLiteral("Impossible de préparer le renommage : un renommage interrompu n'est pas terminé")));
    EXPECT_TRUE(Operations->Appels.isEmpty());
    EXPECT_EQ(LitFichier(a), "A");
    EXPECT_EQ(LitFichier(cJournal), "journal d'un lot interrompu\n");
}
