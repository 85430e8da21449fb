#include "ImpressionQt.h"
#include "classification/IndexClassement.h"
#include "imaging/NomVignette.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "support/Corpus.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

namespace
{
// A catalogue of real image files copied into a temporary folder, its two stores in memory.
struct RechercheTest : ::testing::Test
{
    QTemporaryDir Temp;
    TBigIniFile iniBDD{QString(), true};
    TBigIniFile iniSetup{QString()};
    std::unique_ptr<TIndexClassement> Index;
    TContexteRecherche Ctx;
    bool lEtendre = true;

    void SetUp() override
    {
        iniBDD.lAutoSave = false;
        iniSetup.lAutoSave = false;
        Index = std::make_unique<TIndexClassement>(iniBDD, iniSetup);
        Ctx.iniSetup = &iniSetup;
        Ctx.cDossierVignettes = Temp.filePath(QStringLiteral("vignettes/"));
    }

    // The key of a real file made under that name in the temporary folder.
    QString Image(const QString &cNom)
    {
        const QString cSource = Corpus::Fichier(QStringLiteral("kinds/jpeg/exiftool_Canon.jpg"));
        EXPECT_FALSE(cSource.isEmpty());
        const QString c = Temp.filePath(cNom);
        if (!QFile::exists(c))
            EXPECT_TRUE(QFile::copy(cSource, c));
        return c;
    }
    void Criteres(const QString &cCle, const QStringList &Chemins)
    {
        for (const QString &c : Chemins)
            iniBDD.WriteString(cCle, c, QString());
    }

    // The keys found, in the order found; an invalid pattern gives its message.
    QStringList Cherche(const TDemandeRecherche &d, bool lTrtDescription = false)
    {
        TErreurModele Erreur;
        const std::optional<TRechercheCompilee> r = CompileRecherche(d, lTrtDescription, &Erreur);
        if (!r)
            return {Erreur.Message()};
        Ctx.lEtendRechCritEnf = lEtendre;
        Ctx.lTrtDescription = lTrtDescription;
        QStringList Trouvees;
        Rechercher(*Index, *r, Ctx, [&](const TImageTrouvee &t) { Trouvees << CleImage(t.nNumCD, t.cChemin); });
        return Trouvees;
    }
    QStringList ParCriteres(const QStringList &Chemins)
    {
        TDemandeRecherche d;
        d.CritCoches = Chemins;
        return Cherche(d);
    }
    QStringList ParMotsCles(const QString &cTexte, bool lET)
    {
        TDemandeRecherche d;
        d.cMotsCles = cTexte;
        d.lOperateurET = lET;
        return Cherche(d);
    }
    QStringList ParLegende(const QString &cModele)
    {
        TDemandeRecherche d;
        d.cLegende = cModele;
        return Cherche(d);
    }
};
} // namespace

TEST_F(RechercheTest, NoInputListsEveryClassifiedImageOnceKeysDifferingInCaseApart)
{
    const QString a = Image("IMG.jpg"), b = Image("img.jpg"), c = Image("c.jpg"), e = Image("e.jpg");
    Image("sans donnees.jpg");
    Criteres(a, {"Voyages"});
    iniSetup.WriteString(cSectionMotsCles, b, "MER");
    iniSetup.WriteString(cSectionMotsCles, a, "MER");
    iniSetup.WriteString(cSectionCoupsDeCoeur, c, QString());
    iniSetup.WriteString(cSectionLegendes, e, QString());
    iniSetup.WriteString(cSectionLegendes, c, "x");
    // A key whose file is gone is left out without a word.
    iniSetup.WriteString(cSectionLegendes, Temp.filePath("parti.jpg"), "x");
    EXPECT_EQ(Cherche({}), (QStringList{a, b, c, e}));
}

TEST_F(RechercheTest, FavouritesOnly)
{
    const QString a = Image("a.jpg"), b = Image("b.jpg"), c = Image("c.jpg");
    Criteres(a, {"Voyages"});
    Criteres(b, {"Voyages"});
    iniSetup.WriteString(cSectionCoupsDeCoeur, b, QString());
    iniSetup.WriteString(cSectionCoupsDeCoeur, c, QString());
    TDemandeRecherche d;
    d.lCoupsDeCoeur = true;
    EXPECT_EQ(Cherche(d), (QStringList{b, c}));
    d.CritCoches = {"Voyages"};
    EXPECT_EQ(Cherche(d), QStringList{b});
}

TEST_F(RechercheTest, CriteriaWithAndWithoutTheExtensionToChildren)
{
    const QString rome = Image("rome.jpg"), voy = Image("voyages.jpg"), it = Image("italiens.jpg"),
                  chat = Image("chat.jpg"), tout = Image("tout.jpg");
    Criteres(rome, {"Voyages/Italie/Rome"});
    Criteres(voy, {"Voyages"});
    Criteres(it, {"Voyages/Italiens"});
    Criteres(chat, {"Animaux"});
    Criteres(tout, {"Animaux", "Voyages/Italie"});

    EXPECT_EQ(ParCriteres({"Voyages"}), (QStringList{rome, voy, it, tout}));
    // Italie is not a prefix of Italiens: only whole names count.
    EXPECT_EQ(ParCriteres({"Voyages/Italie"}), (QStringList{rome, tout}));
    EXPECT_EQ(ParCriteres({"Voyages/Italie", "Animaux"}), QStringList{tout});
    EXPECT_EQ(ParCriteres({"voyages"}), QStringList{});
    EXPECT_EQ(ParCriteres({"Inconnu"}), QStringList{});

    lEtendre = false;
    EXPECT_EQ(ParCriteres({"Voyages"}), QStringList{voy});
    EXPECT_EQ(ParCriteres({"Voyages/Italie"}), QStringList{tout});
}

TEST_F(RechercheTest, KeywordPatternsWithAndOr)
{
    const QString a = Image("a.jpg"), b = Image("b.jpg"), c = Image("c.jpg"), d = Image("d.jpg");
    iniSetup.WriteString(cSectionMotsCles, a, "MER SOLEIL PLAGE");
    iniSetup.WriteString(cSectionMotsCles, b, "MER PLAGE");
    iniSetup.WriteString(cSectionMotsCles, c, "CHAT");
    iniSetup.WriteString(cSectionMotsCles, d, "MERLE");

    EXPECT_EQ(ParMotsCles("MER SOL*", true), QStringList{a});
    EXPECT_EQ(ParMotsCles("  MER   SOL*  ", false), (QStringList{a, b}));
    EXPECT_EQ(ParMotsCles("MER SOL* CHAT", false), (QStringList{a, b, c}));
    // Whole keywords: ME is not MER.
    EXPECT_EQ(ParMotsCles("ME", true), QStringList{});
    EXPECT_EQ(ParMotsCles("me*", true), (QStringList{a, b, d}));
}

TEST_F(RechercheTest, LegendPatternsAndInvalidPatterns)
{
    const QString a = Image("a.jpg"), b = Image("b.jpg"), c = Image("c.jpg");
    iniSetup.WriteString(cSectionLegendes, a, "Coucher de soleil");
    iniSetup.WriteString(cSectionLegendes, b, "Le COUCHER");
    iniSetup.WriteString(cSectionLegendes, c, "Été à la mer");
    EXPECT_EQ(ParLegende("*coucher*"), (QStringList{a, b}));
    EXPECT_EQ(ParLegende("coucher"), QStringList{});
    // Legends are upper-cased with the full rules, so accented letters meet.
    EXPECT_EQ(ParLegende("été*"), QStringList{c});

    // No image reaches the legend test, yet the bad pattern is reported.
    TDemandeRecherche d;
    d.CritCoches = {"Nulle part"};
    d.cLegende = "[A-";
    EXPECT_EQ(Cherche(d), QStringList{"'[A-' est un masque incorrect à (1)"});
    d.cLegende.clear();
    d.cMotsCles = "MER [!]";
    EXPECT_EQ(Cherche(d), QStringList{"'[!]' est un masque incorrect à (3)"});
    // The description is compiled only when descriptions are handled.
    d.cMotsCles.clear();
    d.cDescription = "x[";
    EXPECT_EQ(Cherche(d, false), QStringList{});
    EXPECT_EQ(Cherche(d, true), QStringList{"'X[' est un masque incorrect à (2)"});
}

TEST_F(RechercheTest, DescriptionsAreTestedForSurvivorsOnly)
{
    const QString a = Image("a.jpg"), b = Image("b.jpg");
    iniSetup.WriteString(cSectionLegendes, a, "x");
    iniSetup.WriteString(cSectionLegendes, b, "y");
    QStringList Demandees;
    Ctx.fnDescription = [&](qint32, const QString &cChemin) {
        Demandees << cChemin;
        return cChemin == a ? QStringLiteral("plage au soleil") : QString();
    };
    TDemandeRecherche d;
    d.cDescription = "*SOLEIL";
    EXPECT_EQ(Cherche(d, true), QStringList{a});
    d.cLegende = "y";
    EXPECT_EQ(Cherche(d, true), QStringList{});
    EXPECT_EQ(Demandees, (QStringList{a, b, b}));
}

TEST_F(RechercheTest, CdImagesPresentOrAbsent)
{
    TVolumesFactices Volumes;
    Ctx.pVolumes = &Volumes;
    const qint32 nSerie = 0x1A2B00C4;
    const QString cCle = CleImage(nSerie, "/DCIM/IMG_0001.JPG");
    const QString cAutre = CleImage(nSerie, "/DCIM/IMG_0002.JPG");
    iniSetup.WriteString(cSectionLegendes, cCle, "x");
    iniSetup.WriteString(cSectionLegendes, cAutre, "x");
    iniSetup.WriteString(cSectionTaillesVignettes, cCle, "123456");
    const QString cVignette = NomVignette(Ctx.cDossierVignettes, nSerie, "/DCIM/IMG_0001.JPG");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(cVignette).path()));
    {
        QFile f(cVignette);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("jpeg");
    }
    const QDateTime Date = QDateTime::fromSecsSinceEpoch(1100000000);
    {
        QFile f(cVignette);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(Date, QFileDevice::FileModificationTime));
    }

    auto Trouvees = [&] {
        std::vector<TImageTrouvee> v;
        Rechercher(*Index, *CompileRecherche({}, false), Ctx, [&](const TImageTrouvee &t) { v.push_back(t); });
        return v;
    };
    // The CD is absent: the cached size and the thumbnail's date; nothing cached gives 0.
    std::vector<TImageTrouvee> v = Trouvees();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].nNumCD, nSerie);
    EXPECT_EQ(v[0].cChemin, "/DCIM/IMG_0001.JPG");
    EXPECT_EQ(v[0].nTaille, 123456);
    EXPECT_EQ(v[0].nDate, 1100000000);
    EXPECT_EQ(v[1].nTaille, 0);
    EXPECT_EQ(v[1].nDate, 0);

    // Mounted, the file gives its own size; a file missing from the CD falls back on the cache.
    const QString cCD = Temp.filePath("cd/");
    ASSERT_TRUE(QDir().mkpath(cCD + "DCIM"));
    CORPUS_FICHIER(cSource, "kinds/jpeg/exiftool_Canon.jpg");
    ASSERT_TRUE(QFile::copy(cSource, cCD + "DCIM/IMG_0001.JPG"));
    Volumes.AjouteCD(cCD, quint32(nSerie));
    v = Trouvees();
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].nTaille, QFileInfo(cSource).size());
    EXPECT_EQ(v[0].cChemin, "/DCIM/IMG_0001.JPG");
    EXPECT_EQ(v[1].nTaille, 0);
}

TEST_F(RechercheTest, TheIndexFollowsEveryChangeOfTheStores)
{
    const QString a = Image("a.jpg"), b = Image("b.jpg"), c = Image("c.jpg");
    Criteres(a, {"Voyages/Italie"});
    iniSetup.WriteString(cSectionMotsCles, a, "MER");
    EXPECT_EQ(ParCriteres({"Voyages"}), QStringList{a});

    // A rename moves the key: it is found under its new name only, replayed image by image.
    ASSERT_TRUE(DeplaceDonnees(iniSetup, iniBDD, a, b));
    EXPECT_EQ(ParCriteres({"Voyages"}), QStringList{b});
    EXPECT_GT(Index->nDerniersRejoues, 0);
    EXPECT_EQ(Index->nDernieresReconstructions, 0);
    EXPECT_EQ(ParMotsCles("MER", true), QStringList{b});

    // A classification in place: criteria replaced, keyword removed, favourite and legend set.
    iniBDD.EraseSection(b);
    Criteres(b, {"Animaux"});
    iniSetup.DeleteKey(cSectionMotsCles, b);
    iniSetup.WriteString(cSectionCoupsDeCoeur, c, QString());
    iniSetup.WriteString(cSectionLegendes, c, "Coucher");
    EXPECT_EQ(ParCriteres({"Voyages"}), QStringList{});
    EXPECT_EQ(ParCriteres({"Animaux"}), QStringList{b});
    EXPECT_EQ(ParMotsCles("MER", true), QStringList{});
    EXPECT_EQ(ParLegende("COUCHER"), QStringList{c});

    // Erasing a whole section rebuilds that part.
    iniSetup.EraseSection(cSectionLegendes);
    EXPECT_EQ(ParLegende("COUCHER"), QStringList{});
    EXPECT_EQ(Index->nDernieresReconstructions, 1);

    // More changes than the stores remember: the moved parts are read again.
    for (int i = 0; i < 5000; ++i)
        iniSetup.WriteString(cSectionMotsCles, Temp.filePath(QString("x%1.jpg").arg(i)), "CHAT");
    iniSetup.WriteString(cSectionMotsCles, c, "CHAT");
    EXPECT_EQ(ParMotsCles("CHAT", true), QStringList{c});
    EXPECT_EQ(Index->nDernieresReconstructions, 1);
    // Settings elsewhere in the store change nothing.
    iniSetup.WriteString(cSectionGeneral, "x", "1");
    EXPECT_EQ(ParMotsCles("CHAT", true), QStringList{c});
    EXPECT_EQ(Index->nDerniersRejoues + Index->nDernieresReconstructions, 0);
}

TEST_F(RechercheTest, LongLegendsAndManyStarsStayLinear)
{
    const QString a = Image("a.jpg");
    iniSetup.WriteString(cSectionLegendes, a, QString(100000, QLatin1Char('A')));
    EXPECT_EQ(ParLegende("*A*A*A*A*A*A*B"), QStringList{});
    EXPECT_EQ(ParLegende("*A*A*A*A*A*A*A"), QStringList{a});
}

// ---- Saved searches --------------------------------------------------------------------------

TEST(RechercheEnregistree, WritesOnlyWhatIsAskedAndReadsItBack)
{
    TBigIniFile iniSetup{QString()};
    iniSetup.lAutoSave = false;
    auto Lignes = [&](const QString &cNom) {
        QStringList l;
        iniSetup.ReadSectionValues(cPrefixeRechEnreg + cNom, l);
        return l;
    };

    TDemandeRecherche d;
    d.cLegende = "  *COUCHER*  ";
    d.cDescription = "*PLAGE*";
    EXPECT_TRUE(EcritRechercheEnregistree(iniSetup, "SOIR", d, false));
    EXPECT_EQ(Lignes("SOIR"), QStringList{"_LEG=*COUCHER*"});

    EXPECT_FALSE(EcritRechercheEnregistree(iniSetup, "VIDE", TDemandeRecherche{}, false));
    EXPECT_FALSE(iniSetup.SectionExists(cPrefixeRechEnreg + "VIDE"));
    // A description alone is nothing while descriptions are not handled.
    TDemandeRecherche dd;
    dd.cDescription = "x";
    EXPECT_FALSE(EcritRechercheEnregistree(iniSetup, "VIDE", dd, false));

    TDemandeRecherche Tout;
    Tout.CritCoches = {"Voyages/Italie/Rome", "_Archives/2004", "Voyages/France"};
    Tout.cMotsCles = " MER SOL* ";
    Tout.lCoupsDeCoeur = true;
    Tout.cLegende = "*COUCHER*";
    Tout.cDescription = "*PLAGE*";
    EXPECT_TRUE(EcritRechercheEnregistree(iniSetup, "VACANCES 2004", Tout, true));
    EXPECT_EQ(Lignes("VACANCES 2004"), (QStringList{"Voyages/Italie/Rome=", "_Archives/2004=", "Voyages/France=",
                                                    "_MC=MER SOL*", "_CDC=", "_LEG=*COUCHER*", "_DES=*PLAGE*"}));
    EXPECT_EQ(NomsRecherchesEnregistrees(iniSetup), (QStringList{"SOIR", "VACANCES 2004"}));

    const TDemandeRecherche Lue = LitRechercheEnregistree(iniSetup, "VACANCES 2004", true);
    EXPECT_EQ(Lue.CritCoches, Tout.CritCoches);
    EXPECT_EQ(Lue.cMotsCles, "MER SOL*");
    EXPECT_TRUE(Lue.lCoupsDeCoeur);
    EXPECT_EQ(Lue.cLegende, "*COUCHER*");
    EXPECT_EQ(Lue.cDescription, "*PLAGE*");
    EXPECT_EQ(LitRechercheEnregistree(iniSetup, "VACANCES 2004", false).cDescription, QString());

    // Saving again replaces the section wholly.
    EXPECT_TRUE(EcritRechercheEnregistree(iniSetup, "VACANCES 2004", d, false));
    EXPECT_EQ(Lignes("VACANCES 2004"), QStringList{"_LEG=*COUCHER*"});

    // Sections merely starting alike in another case are not saved searches.
    iniSetup.WriteString("criteres enregistres:X", "_MC", "A");
    EXPECT_EQ(NomsRecherchesEnregistrees(iniSetup), (QStringList{"SOIR", "VACANCES 2004"}));
}

TEST(RechercheEnregistree, NamesAreFilteredAsTyped)
{
    EXPECT_EQ(FiltreNomRecherche("vacances été 2004 *&+,-._!?/"), "VACANCES T 2004 &+,-._");
}

// ---- Building from the stores' bytes ---------------------------------------------------------

namespace
{
bool EcritFichier(const QString &cFichier, const QByteArray &Octets)
{
    QFile f(cFichier);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(Octets) == Octets.size();
}

QStringList Cles(const TIndexClassement &Index, const std::vector<int> &Numeros)
{
    QStringList l;
    for (const int n : Numeros)
        l << Index.Cle(n);
    return l;
}
} // namespace

// The index read straight from the bytes answers as the readers by name say it should, on
// escaped names and keys, a section written twice, a key written twice, empty values, tabs.
TEST(IndexClassementOctets, AnswersAsTheReadersByName)
{
    QTemporaryDir Temp;
    const QString cBDD = Temp.filePath("bdd.ini"), cSetup = Temp.filePath("setup.ini");
    ASSERT_TRUE(EcritFichier(cBDD,
                             "[C:/a.jpg]\r\nVoyages/Italie=\r\nVoyages/Italie=\r\nLieux%3DX/%25Y=\r\nsans egal\r\n"
                             "[c:/A.jpg]\r\nAutre=\r\n"
                             "[C:/b%5B1%5D.jpg]\r\nVoyages=\r\n"
                             "[C:/vide.jpg]\r\n"
                             "[C:/%E9t%E9.jpg]\r\nCaf%E9=\r\n"
                             "[C:/\xC3\xA9t\xC3\xA9.jpg]\r\nCaf\xC3\xA9/Cr\xC3\xA8me=\r\n"
                             "[/racine]\r\n/x/y=\r\n"));
    ASSERT_TRUE(EcritFichier(cSetup, "[MOTS-CLES]\r\nC:/a.jpg=MER  SOL\tCHAT\r\nC:/a.jpg=AUTRE\r\n"
                                     "C:/b%5B1%5D.jpg=MER\r\nC:/x.jpg=\r\nc:/z.jpg=\xC3\x89T\xC3\x89 mer\r\n"
                                     "[COUPS DE COEUR]\r\nC:/y.jpg=\r\nC:/a.jpg=\r\n"
                                     "[LEGENDES]\r\nC:/a.jpg=Coucher de soleil\r\nC:/b%5B1%5D.jpg=coucher DE SOLEIL\r\n"
                                     "C:/e.jpg=\r\nC:/e.jpg=doublon\r\nC:/f.jpg=\xC3\xA9t\xC3\xA9\r\n"));
    for (const bool lCasse : {true, false}) {
        TBigIniFile iniBDD(cBDD, lCasse), iniSetup(cSetup);
        TIndexClassement Index(iniBDD, iniSetup);
        Index.Actualise();

        // The candidates: the sections in store order, then the keys of the three sections.
        QStringList Attendues, Sections, l;
        iniBDD.ReadSections(Sections);
        for (const QString &cSection : {cSectionMotsCles, cSectionCoupsDeCoeur, cSectionLegendes}) {
            iniSetup.ReadSection(cSection, l);
            Sections += l;
        }
        for (const QString &c : std::as_const(Sections))
            if (!Attendues.contains(c))
                Attendues << c;
        ASSERT_EQ(Index.Nombre(), Attendues.size());
        for (int n = 0; n < Index.Nombre(); ++n)
            EXPECT_EQ(Index.Cle(n), Attendues[n]);
        EXPECT_EQ(Cles(Index, Index.Selectionne(TRechercheCompilee{}, true)), Attendues);

        // Every path and ancestor, exactly and with its descendants.
        QStringList Chemins;
        for (const QString &c : std::as_const(Attendues)) {
            iniBDD.ReadSection(c, l);
            for (const QString &p : std::as_const(l))
                for (qsizetype k = 0; k <= p.size(); ++k)
                    if (k == p.size() || p[k] == u'/')
                        Chemins << p.left(k);
        }
        ASSERT_TRUE(Chemins.contains(QString::fromUtf8("Caf\xC3\xA9")));
        ASSERT_TRUE(Chemins.contains("Lieux=X/%Y"));
        ASSERT_TRUE(Chemins.contains(QString()));
        for (const bool lEtendre : {true, false}) {
            for (const QString &p : std::as_const(Chemins)) {
                QStringList Trouvees;
                for (const QString &c : std::as_const(Attendues)) {
                    iniBDD.ReadSection(c, l);
                    if (std::any_of(l.begin(), l.end(), [&](const QString &x) {
                            return x == p || (lEtendre && x.startsWith(p) && x[p.size()] == u'/');
                        }))
                        Trouvees << c;
                }
                TRechercheCompilee r;
                r.CritCoches = {p};
                EXPECT_EQ(Cles(Index, Index.Selectionne(r, lEtendre)), Trouvees) << qPrintable(p);
            }
        }

        // Each keyword and legend, as the first line of the key holds it.
        for (const QString &cMot : {"MER", "SOL", "CHAT", "AUTRE", "\u00c9T\u00c9", "Z"}) {
            const TModele m = *TModele::Compile(cMot);
            QStringList Trouvees;
            for (const QString &c : std::as_const(Attendues)) {
                const QStringList Mots = iniSetup.ReadString(cSectionMotsCles, c, QString())
                                             .split(QRegularExpression("[ \t]"), Qt::SkipEmptyParts);
                if (std::any_of(Mots.begin(), Mots.end(), [&](const QString &x) { return m.Correspond(x); }))
                    Trouvees << c;
            }
            TRechercheCompilee r;
            r.MotsCles.push_back(m);
            EXPECT_EQ(Cles(Index, Index.Selectionne(r, true)), Trouvees) << qPrintable(cMot);
        }
        for (const QString &cLegende : {"*SOLEIL*", "COUCHER DE SOLEIL", "*", "DOUBLON", "\u00c9T\u00c9"}) {
            TDemandeRecherche d;
            d.cLegende = cLegende;
            const TRechercheCompilee r = *CompileRecherche(d, false);
            QStringList Trouvees;
            for (const QString &c : std::as_const(Attendues)) {
                const QString cValeur = iniSetup.ReadString(cSectionLegendes, c, QString()).toUpper();
                if (!cValeur.isEmpty() && r.Legende->CorrespondMajuscules(cValeur))
                    Trouvees << c;
            }
            EXPECT_EQ(Cles(Index, Index.Selectionne(r, true)), Trouvees) << qPrintable(cLegende);
        }
        TRechercheCompilee Coeurs;
        Coeurs.lCoupsDeCoeur = true;
        EXPECT_EQ(Cles(Index, Index.Selectionne(Coeurs, true)), (QStringList{"C:/a.jpg", "C:/y.jpg"}));
    }
}
