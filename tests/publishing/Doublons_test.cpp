#include "publishing/Doublons.h"

#include "BancPublication.h"
#include "platform/Messages.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <QImage>
#include <QRandomGenerator>

#include <atomic>
#include <unistd.h>

namespace
{
QByteArray Aleatoire(qsizetype n, quint32 nGraine)
{
    QRandomGenerator g(nGraine);
    QList<quint32> Mots((n + 3) / 4);
    g.fillRange(Mots.data(), Mots.size());
    return QByteArray(reinterpret_cast<const char *>(Mots.constData()), n);
}

QByteArray AvecOctetChange(QByteArray b, qsizetype nPosition)
{
    b[nPosition] = static_cast<char>(b[nPosition] ^ 0x01);
    return b;
}

class Doublons : public BancPublication
{
protected:
    // The candidates of a whole folder, recursively.
    QList<TEnrImgSel> Candidats(const QString &cRelatif = QStringLiteral("photos"))
    {
        return CandidatsDossier(cRacine + QLatin1Char('/') + cRelatif, true, Volumes, cVignettes);
    }
    // The pairs as relative paths "a|b", in their row order.
    QStringList Paires(const QList<TEnrImgSel> &C, const QList<TPaireDoublons> &P) const
    {
        QStringList l;
        for (const TPaireDoublons &p : P)
            l << C[p.nImage].cChemin.mid(cRacine.size() + 1) + QLatin1Char('|')
                     + C[p.nSimilaire].cChemin.mid(cRacine.size() + 1);
        return l;
    }
    // The candidates sorted by path, so that tests do not depend on the directory order.
    static QList<TEnrImgSel> Tries(QList<TEnrImgSel> C)
    {
        std::sort(C.begin(), C.end(), [](const TEnrImgSel &a, const TEnrImgSel &b) { return a.cChemin < b.cChemin; });
        return C;
    }
};
} // namespace

TEST_F(Doublons, FilesDifferingByOneByteNeverPair)
{
    // Sizes around the 64 KiB prefix and far beyond, differences at the ends and in the middle,
    // in groups of two (compared at once) and of several (hashed first).
    for (const qsizetype nTaille :
         {qsizetype(1), qsizetype(1000), qsizetype(65536), qsizetype(65537), qsizetype(300000)}) {
        const QByteArray Base = Aleatoire(nTaille, quint32(nTaille));
        const QString d = QStringLiteral("photos/%1/").arg(nTaille);
        Cree(d + QStringLiteral("a.jpg"), Base);
        QList<qsizetype> Positions{0, nTaille - 1, nTaille / 2};
        if (nTaille > 70000)
            Positions << 70000;
        for (const qsizetype p : Positions)
            Cree(d + QStringLiteral("diff_%1.jpg").arg(p), AvecOctetChange(Base, p));
        // Two files of one size apart from the others, one byte apart: the direct comparison.
        const QByteArray Seul = Aleatoire(nTaille + 7, 99);
        Cree(d + QStringLiteral("seul1.png"), Seul);
        Cree(d + QStringLiteral("seul2.png"), AvecOctetChange(Seul, nTaille / 3));
    }
    const QList<TEnrImgSel> C = Candidats();
    ASSERT_GE(C.size(), 25);
    const TResultatPaires R = ChercherPaires(C);
    EXPECT_FALSE(R.lInterrompu);
    EXPECT_EQ(Paires(C, R.Paires), QStringList());
    EXPECT_FALSE(ComparerFichiers(cRacine + "/photos/300000/a.jpg", cRacine + "/photos/300000/diff_70000.jpg"));
}

TEST_F(Doublons, ThreeCopiesMakeThreePairsAndTheFileTickedTwiceGoesOnce)
{
    const QByteArray Photo = Aleatoire(150000, 7);
    Cree(QStringLiteral("photos/A.jpg"), Photo);
    Cree(QStringLiteral("photos/B.jpg"), Photo);
    Cree(QStringLiteral("photos/sous/C.jpg"), Photo);
    Cree(QStringLiteral("photos/autre.jpg"), Aleatoire(150000, 8)); // same size, other content
    Cree(QStringLiteral("photos/texte.txt"), Photo);                // not an image

    const QList<TEnrImgSel> C = Tries(Candidats());
    ASSERT_EQ(C.size(), 4);
    const TResultatPaires R = ChercherPaires(C);
    EXPECT_EQ(Paires(C, R.Paires), QStringList({"photos/A.jpg|photos/B.jpg", "photos/A.jpg|photos/sous/C.jpg",
                                                "photos/B.jpg|photos/sous/C.jpg"}));
    EXPECT_TRUE(ComparerFichiers(C[0].cChemin, C[1].cChemin));

    // A ticked in both of its rows, C ticked on the right of the last row; A is listed in the
    // main list at row 1, after another image.
    Liste(C[2].cChemin);
    Liste(C[0].cChemin);
    const QList<TEnrImgASuppr> Liste =
        ImagesASupprimer(R.Paires, C, {true, true, false}, {false, false, true}, &Modele);
    EXPECT_EQ(Liste, QList<TEnrImgASuppr>({{C[0].cChemin, 1}, {C[3].cChemin, -1}}));

    TParamsSuppression P;
    P.cDossierVignettes = cVignettes;
    TSuppressionImages S(*iniSetup, *iniBDD, Volumes, *Operations, P);
    const TBilanSuppression Bilan = S.SupprimerImages(Liste, &Modele, false);
    EXPECT_EQ(Bilan.nSupprimees, 2);
    EXPECT_EQ(Bilan.nNonTraitees, 0);
    EXPECT_FALSE(QFileInfo::exists(C[0].cChemin));
    EXPECT_TRUE(QFileInfo::exists(C[1].cChemin));
    EXPECT_FALSE(QFileInfo::exists(C[3].cChemin));
    EXPECT_EQ(CheminsListe(), QStringList{C[2].cChemin});
}

TEST_F(Doublons, AFileReachedTwiceNeverPairsWithItself)
{
    const QByteArray Photo = Aleatoire(80000, 3);
    const QString a = Cree(QStringLiteral("photos/a.jpg"), Photo);
    const QString lien = cRacine + QStringLiteral("/photos/lien_dur.jpg");
    ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(lien).constData()), 0);
    const QString symbole = cRacine + QStringLiteral("/photos/symbole.jpg");
    ASSERT_EQ(::symlink(QFile::encodeName(a).constData(), QFile::encodeName(symbole).constData()), 0);

    const QList<TEnrImgSel> C = Candidats();
    ASSERT_EQ(C.size(), 1);
    EXPECT_TRUE(ChercherPaires(C).Paires.isEmpty());

    // Listed twice in the main list (a row and a shortcut keyed by its target, a hard link):
    // still one candidate.
    Liste(a);
    Liste(lien);
    Liste(a);
    const QList<TEnrImgSel> L = CandidatsListe(Modele);
    ASSERT_EQ(L.size(), 1);
    EXPECT_TRUE(ChercherPaires(L).Paires.isEmpty());

    // Even when a caller hands the same file twice, by another name or without its identity.
    TEnrImgSel Double = L[0];
    Double.cChemin = lien;
    EXPECT_TRUE(ChercherPaires({L[0], Double}).Paires.isEmpty());
    TEnrImgSel SansIdentite = L[0];
    SansIdentite.nInode = 0;
    EXPECT_TRUE(ChercherPaires({SansIdentite, SansIdentite}).Paires.isEmpty());
    // A real copy beside it does pair, once, with whichever name of the file came first.
    const QString copie = Cree(QStringLiteral("photos/copie.jpg"), Photo);
    const QList<TEnrImgSel> C2 = Candidats();
    const QList<TPaireDoublons> P2 = ChercherPaires(C2).Paires;
    ASSERT_EQ(P2.size(), 1);
    EXPECT_TRUE(C2[P2[0].nImage].cChemin == copie || C2[P2[0].nSimilaire].cChemin == copie);
}

TEST_F(Doublons, EmptyUnreadableAndLargeGroupsOfEqualPrefixes)
{
    Cree(QStringLiteral("photos/vide1.jpg"), {});
    Cree(QStringLiteral("photos/vide2.jpg"), {});
    // Five files of one size whose first 100 KB agree: only the whole-file stage tells them apart.
    const QByteArray Tete = Aleatoire(100000, 11);
    const QByteArray Queue1 = Aleatoire(100000, 12), Queue2 = Aleatoire(100000, 13);
    Cree(QStringLiteral("photos/g1.CR2"), Tete + Queue1);
    Cree(QStringLiteral("photos/g2.CR2"), Tete + Queue2);
    Cree(QStringLiteral("photos/g3.CR2"), Tete + Queue1);
    Cree(QStringLiteral("photos/g4.CR2"), Tete + Aleatoire(100000, 14));
    Cree(QStringLiteral("photos/g5.CR2"), Tete + Queue2);
    // Three small equal files and one that vanishes before the search.
    const QByteArray Petit = Aleatoire(5000, 21);
    Cree(QStringLiteral("photos/p1.png"), Petit);
    Cree(QStringLiteral("photos/p2.png"), Petit);
    const QString p3 = Cree(QStringLiteral("photos/p3.png"), Petit);

    const QList<TEnrImgSel> C = Tries(Candidats());
    ASSERT_EQ(C.size(), 10);
    QFile::remove(p3);
    EXPECT_EQ(
        Paires(C, ChercherPaires(C, {}, 1).Paires),
        QStringList({"photos/g1.CR2|photos/g3.CR2", "photos/g2.CR2|photos/g5.CR2", "photos/p1.png|photos/p2.png"}));
    EXPECT_FALSE(ComparerFichiers(C[8].cChemin, C[9].cChemin)); // vide1, vide2
}

TEST_F(Doublons, WalkSkipsHiddenNamesThumbnailsCdsAndOtherFiles)
{
    const QByteArray x = "xx";
    Cree(QStringLiteral("photos/a.jpg"), x);
    Cree(QStringLiteral("photos/b.NEF"), x);
    Cree(QStringLiteral("photos/c.tiff"), x);
    Cree(QStringLiteral("photos/.cache/d.jpg"), x);
    Cree(QStringLiteral("photos/.e.jpg"), x);
    Cree(QStringLiteral("photos/sous/f.png"), x);
    Cree(QStringLiteral("photos/sous/bas/g.jpeg"), x);
    Volumes.AjouteCD(cRacine + QStringLiteral("/photos/disque"), 0x77);
    Cree(QStringLiteral("photos/disque/h.jpg"), x);
    // The thumbnail folder inside the walked tree.
    cVignettes = cRacine + QStringLiteral("/photos/Vignettes/");
    Cree(QStringLiteral("photos/Vignettes/i.jpg.JPG"), x);

    auto Noms = [&](const QList<TEnrImgSel> &C) {
        QStringList l;
        for (const TEnrImgSel &e : C)
            l << e.cChemin.mid(cRacine.size() + 8);
        l.sort();
        return l;
    };
    EXPECT_EQ(Noms(Candidats()), QStringList({"a.jpg", "b.NEF", "sous/bas/g.jpeg", "sous/f.png"}));
    EXPECT_EQ(Noms(CandidatsDossier(cRacine + QStringLiteral("/photos"), false, Volumes, cVignettes)),
              QStringList({"a.jpg", "b.NEF"}));
    EXPECT_TRUE(CandidatsDossier(cRacine + QStringLiteral("/photos/disque"), true, Volumes, cVignettes).isEmpty());

    // From the image list: CD rows are no candidates; the row's resolution is kept.
    Liste(cRacine + QStringLiteral("/photos/a.jpg"));
    Modele.MetResolution(0, 640, 480);
    ListeCD(QStringLiteral("/h.jpg"));
    const QList<TEnrImgSel> L = CandidatsListe(Modele);
    ASSERT_EQ(L.size(), 1);
    EXPECT_EQ(L[0].cResol, QStringLiteral("640x480"));
    EXPECT_EQ(L[0].nTaille, 2);
    EXPECT_EQ(L[0].NomFichier(), QStringLiteral("a.jpg"));
    EXPECT_EQ(L[0].Dossier(), cRacine + QStringLiteral("/photos/"));
}

TEST_F(Doublons, ResolutionsAreReadOnlyForPairedFiles)
{
    const QString j1 = cRacine + QStringLiteral("/photos/j1.jpg");
    ASSERT_TRUE(EcritJpeg(j1, 40, 30, Qt::red));
    QFile::copy(j1, cRacine + QStringLiteral("/photos/j2.jpg"));
    const QByteArray Brut = Aleatoire(3000, 5);
    Cree(QStringLiteral("photos/r1.png"), Brut);
    Cree(QStringLiteral("photos/r2.png"), Brut);
    Cree(QStringLiteral("photos/seul.png"), Aleatoire(3001, 5));
    Cree(QStringLiteral("photos/faux1.jpg"), "pas un jpeg");
    Cree(QStringLiteral("photos/faux2.jpg"), "pas un jpeg");
    iniSetup->WriteString(QStringLiteral("RESOLUTIONS VIGNETTES"), cRacine + QStringLiteral("/photos/r1.png"),
                          QString::number(640 + 65536 * 480));
    iniSetup->WriteString(QStringLiteral("RESOLUTIONS VIGNETTES"), cRacine + QStringLiteral("/photos/seul.png"),
                          QString::number(1 + 65536 * 1));

    QList<TEnrImgSel> C = Tries(Candidats());
    ASSERT_EQ(C.size(), 7);
    const TResultatPaires R = ChercherPaires(C);
    ASSERT_EQ(R.Paires.size(), 3);
    RemplitResolutions(C, R.Paires, *iniSetup);
    QStringList Resol;
    for (const TEnrImgSel &e : C)
        Resol << e.NomFichier() + QLatin1Char('=') + e.cResol;
    EXPECT_EQ(Resol, QStringList({"faux1.jpg=", "faux2.jpg=", "j1.jpg=40x30", "j2.jpg=40x30", "r1.png=640x480",
                                  "r2.png=?x?", "seul.png="}));
    EXPECT_EQ(TitreDoublons(3), QStringLiteral("3 image(s) en double"));
}

TEST_F(Doublons, EscStopsTheWalkAndTheSearchCleanly)
{
    for (int i = 0; i < 200; ++i)
        Cree(QStringLiteral("photos/%1/a.jpg").arg(i % 10) + QString::number(i) + QStringLiteral(".jpg"),
             Aleatoire(70000, quint32(i % 3)));

    TSuivi Suivi;
    Suivi.Interrompu = [] { return true; };
    bool lInterrompu = false;
    EXPECT_TRUE(CandidatsDossier(cRacine + QStringLiteral("/photos"), true, Volumes, cVignettes, Suivi, &lInterrompu)
                    .isEmpty());
    EXPECT_TRUE(lInterrompu);

    const QList<TEnrImgSel> C = Candidats();
    ASSERT_EQ(C.size(), 200);
    std::atomic<int> nQuestions{0};
    Suivi.Interrompu = [&] { return ++nQuestions >= 1; };
    const TResultatPaires R = ChercherPaires(C, Suivi, 2);
    EXPECT_TRUE(R.lInterrompu);
    EXPECT_TRUE(R.Paires.isEmpty());
    EXPECT_GE(nQuestions.load(), 1);

    // Uninterrupted, the same candidates give every pair of each of the three contents.
    qint64 nDernier = -1, nMax = 0;
    Suivi.Interrompu = [] { return false; };
    Suivi.Avance = [&](qint64 n, qint64 m) {
        nDernier = n;
        nMax = m;
    };
    const TResultatPaires Complet = ChercherPaires(C, Suivi, 2);
    EXPECT_FALSE(Complet.lInterrompu);
    // Seeds 0 and 1 have 67 files each, seed 2 has 66.
    EXPECT_EQ(Complet.Paires.size(), 2 * (67 * 66 / 2) + 66 * 65 / 2);
    EXPECT_EQ(nDernier, nMax);
    EXPECT_EQ(nMax, qint64(200) * 70000);
}

TEST_F(Doublons, WholeProcedureTellsWhenThereIsNothingToDo)
{
    TMessagesFactices Messages;
    TParamsSuppression P;
    P.cDossierVignettes = cVignettes;
    TSuppressionImages S(*iniSetup, *iniBDD, Volumes, *Operations, P);
    TFenetresDoublons F;
    int nFenetresPaires = 0;
    TChoixDoublons Choix;
    Choix.lListeImages = false;
    Choix.cDossier = cRacine + QStringLiteral("/photos");
    Choix.lRecursif = true;
    std::optional<TChoixSuppression> Reponse;
    F.ChoixImages = [&] { return std::optional<TChoixDoublons>(Choix); };
    F.Paires = [&](const QList<TEnrImgSel> &, const QList<TPaireDoublons> &) {
        ++nFenetresPaires;
        return Reponse;
    };
    auto Lance = [&] { return RechercherDoublons(F, S, &Modele, Volumes, *iniSetup, cVignettes, Messages); };

    // No image in the folder.
    QDir().mkpath(Choix.cDossier);
    Lance();
    // Images, but no pair.
    Cree(QStringLiteral("photos/a.jpg"), "a");
    Cree(QStringLiteral("photos/b.jpg"), "b");
    Lance();
    EXPECT_EQ(nFenetresPaires, 0);
    // A pair, nothing ticked.
    const QString c = Cree(QStringLiteral("photos/c.jpg"), "a");
    Reponse = TChoixSuppression{};
    Lance();
    EXPECT_EQ(nFenetresPaires, 1);
    ASSERT_EQ(Messages.Montres.size(), 3);
    EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Attention"));
    EXPECT_EQ(Messages.Textes(),
              QStringList({"Aucune image à traiter.", "Aucune image à traiter.", "Aucune image à supprimer."}));
    EXPECT_EQ(Messages.Montres[2].cTitre, QStringLiteral("Erreur"));

    // Cancel in the pairs window: nothing happens, nothing is said.
    Reponse.reset();
    Lance();
    EXPECT_EQ(Messages.Montres.size(), 3);
    // The copy ticked: deleted without another question, the original kept.
    Reponse = TChoixSuppression{{{c, -1}}, false};
    const TBilanSuppression Bilan = Lance();
    EXPECT_EQ(Bilan.nSupprimees, 1);
    EXPECT_FALSE(QFileInfo::exists(c));
    EXPECT_TRUE(QFileInfo::exists(cRacine + QStringLiteral("/photos/a.jpg")));
    EXPECT_EQ(Messages.Montres.size(), 3);
    // Cancel in the choice window ends everything at once.
    F.ChoixImages = [] { return std::optional<TChoixDoublons>(); };
    Lance();
    EXPECT_EQ(nFenetresPaires, 3);
}
