#include "ImpressionQt.h"
#include "classification/EditionCriteres.h"
#include "classification/IndexClassement.h"
#include "storage/BigIniFiles.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

namespace
{
using TGenre = TGenreOpCritere;

// Both stores on files of a temporary folder, saved only when asked, and an editor on them.
struct EditionTest : ::testing::Test
{
    QTemporaryDir Temp;
    std::unique_ptr<TBigIniFile> iniBDD, iniSetup;
    std::unique_ptr<TJournalCriteres> Journal;
    std::unique_ptr<TIndexClassement> Index;
    std::unique_ptr<TEditionCriteres> Ed;

    QString Fichier(const char *c) const { return Temp.filePath(QString::fromLatin1(c)); }

    void Ouvre()
    {
        Ed.reset();
        Index.reset();
        iniBDD = std::make_unique<TBigIniFile>(Fichier("KX_BDD.ini"), true);
        iniSetup = std::make_unique<TBigIniFile>(Fichier("KX_Setup.ini"));
        iniBDD->lAutoSave = iniSetup->lAutoSave = false;
        Journal = std::make_unique<TJournalCriteres>(Fichier("criteres.journal"));
        Index = std::make_unique<TIndexClassement>(*iniBDD, *iniSetup);
        Ed = std::make_unique<TEditionCriteres>(*iniSetup, *iniBDD, Index.get(), *Journal);
        Ed->Arbo().DepuisSection(*iniSetup);
    }
    void SetUp() override { Ouvre(); }

    void Arbre(const QStringList &Chemins)
    {
        for (const QString &c : Chemins)
            iniSetup->WriteString(cSectionCritHier, c, QString());
        Ed->Arbo().DepuisSection(*iniSetup);
    }
    void Image(const QString &cCle, const QStringList &Chemins)
    {
        for (const QString &c : Chemins)
            iniBDD->WriteString(cCle, c, QString());
    }
    QStringList Cles(const QString &cSection) const
    {
        QStringList l;
        iniBDD->ReadSection(cSection, l);
        return l;
    }
    QStringList Chemins() const
    {
        QStringList l;
        for (const TCritereEdite &e : Ed->Arbo().Noeuds())
            l << e.cChemin;
        return l;
    }
    void Fait(TGenre n, const QString &cChemin, const QString &cArgument = {})
    {
        QString cErreur;
        EXPECT_TRUE(Ed->Applique({n, cChemin, cArgument, 0}, cErreur)) << cErreur.toStdString();
    }
};

const QStringList cVoyages = {"Voyages",        "Voyages/Italie", "Voyages/Italie/Rome", "Voyages/Italie/Milan",
                              "Voyages/France", "Archives"};

TEST_F(EditionTest, NouveauTakesTheSmallestFreeNumberAmongSiblings)
{
    Arbre({"A", "A/Nouveau1", "A/Nouveau3", "B/Nouveau2"});
    for (int i = 0; i < 3; ++i)
        Fait(TGenre::Creation, "A");
    EXPECT_EQ(Ed->Arbo().CaptionsEnfants("A"),
              (QStringList{"Nouveau1", "Nouveau3", "Nouveau2", "Nouveau4", "Nouveau5"}));
    Fait(TGenre::Creation, QString());
    EXPECT_EQ(Chemins().last(), "Nouveau1");
    // Written into the settings store at once, the creation in the same order.
    QStringList l;
    iniSetup->ReadSection(cSectionCritHier, l);
    EXPECT_EQ(l, Chemins());
    EXPECT_TRUE(Ed->lModifie);
}

TEST_F(EditionTest, CaptionCheck)
{
    Arbre({"Voyages/Italie", "Voyages/France", "Voyages/Espagne/Madrid"});
    EXPECT_TRUE(Ed->RenommageCorrect("Voyages/Italie", "italie"));
    EXPECT_FALSE(Ed->RenommageCorrect("Voyages/Italie", "FRANCE"));
    EXPECT_FALSE(Ed->RenommageCorrect("Voyages/Italie", ""));
    EXPECT_FALSE(Ed->RenommageCorrect("Voyages/Italie", "Rome/Milan"));
    EXPECT_FALSE(Ed->RenommageCorrect("Voyages/Italie", QString::fromUtf8("Côte")));
    EXPECT_TRUE(Ed->RenommageCorrect("Voyages/Italie", "A & B, c+d-e.f_g 2"));
    // Names a saved search keeps for its keywords and patterns: refused at the top level only.
    for (const char *c : {"_MC", "_cdc", "_LEG", "_DES"}) {
        EXPECT_FALSE(Ed->RenommageCorrect("Voyages", c)) << c;
        EXPECT_TRUE(Ed->RenommageCorrect("Voyages/Italie", c)) << c;
    }
    // A refused rename is not carried.
    Image("i1", {"Voyages/Italie"});
    Fait(TGenre::Renommage, "Voyages/Italie", "France");
    EXPECT_EQ(Cles("i1"), QStringList{"Voyages/Italie"});
    EXPECT_FALSE(QFile::exists(Fichier("criteres.journal")));
}

TEST_F(EditionTest, DropRules)
{
    Arbre(cVoyages);
    const TArboEditee &a = Ed->Arbo();
    EXPECT_FALSE(DepotAccepte(a, "Voyages/Italie/Rome", "Voyages/Italie/Milan")); // sibling
    EXPECT_TRUE(DepotAccepte(a, "Voyages/Italie/Rome", "Voyages/France"));
    EXPECT_FALSE(DepotAccepte(a, "Voyages/Italie/Rome", "Voyages/Italie")); // own parent
    EXPECT_FALSE(DepotAccepte(a, "Voyages", "Voyages/Italie/Rome"));        // own descendant
    EXPECT_FALSE(DepotAccepte(a, "Voyages", "Archives"));                   // two top-level nodes
    EXPECT_FALSE(DepotAccepte(a, "Voyages", "Voyages"));
    EXPECT_FALSE(DepotAccepte(a, "Voyages/Absent", "Archives"));
    Arbre({"Archives/Rome"});
    EXPECT_FALSE(DepotAccepte(a, "Voyages/Italie/Rome", "Archives")); // a child of that caption
    EXPECT_TRUE(DepotAccepte(a, "Voyages/Italie/Milan", "Archives"));
}

TEST_F(EditionTest, RenameCarriedIntoImages)
{
    Arbre(cVoyages);
    Image("i1", {"Voyages/Italie/Milan", "Archives"});
    Image("i2", {"Voyages/Italiens"});
    Image("i3", {"Voyages/Italie"});
    Fait(TGenre::Renommage, "Voyages/Italie", "Rome");
    EXPECT_EQ(Cles("i1"), (QStringList{"Voyages/Rome/Milan", "Archives"}));
    EXPECT_EQ(Cles("i2"), QStringList{"Voyages/Italiens"});
    EXPECT_EQ(Cles("i3"), QStringList{"Voyages/Rome"});
    EXPECT_EQ(Chemins(), (QStringList{"Voyages", "Voyages/Rome", "Voyages/Rome/Rome", "Voyages/Rome/Milan",
                                      "Voyages/France", "Archives"}));
    // Saved at once, sections in their places.
    TBigIniFile Relu(Fichier("KX_BDD.ini"), true);
    QStringList Sections;
    Relu.ReadSections(Sections);
    EXPECT_EQ(Sections, (QStringList{"i1", "i2", "i3"}));
    Relu.ReadSection("i1", Sections);
    EXPECT_EQ(Sections, (QStringList{"Voyages/Rome/Milan", "Archives"}));
}

TEST_F(EditionTest, DeleteCutsKeysBackToTheParent)
{
    Arbre(cVoyages);
    Image("i1", {"Voyages/Italie/Rome", "Voyages/Italie/Milan"});
    Image("i2", {"Voyages/Italie"});
    Image("i3", {"Voyages/Italie/Rome", "Voyages/France"});
    Image("i4", {"Archives", "Voyages"});
    Image("i5", {"Voyages/France"});
    Fait(TGenre::Suppression, "Voyages/Italie");
    EXPECT_EQ(Cles("i1"), QStringList{"Voyages"});
    EXPECT_EQ(Cles("i2"), QStringList{"Voyages"});
    EXPECT_EQ(Cles("i3"), QStringList{"Voyages/France"});
    EXPECT_EQ(Chemins(), (QStringList{"Voyages", "Voyages/France", "Archives"}));

    Fait(TGenre::Suppression, "Voyages");
    QStringList Sections;
    iniBDD->ReadSections(Sections);
    EXPECT_EQ(Sections, QStringList{"i4"});
    EXPECT_EQ(Cles("i4"), QStringList{"Archives"});
    EXPECT_EQ(Chemins(), QStringList{"Archives"});
}

TEST_F(EditionTest, MoveAndCopy)
{
    Arbre(cVoyages);
    iniSetup->WriteString(cSectionCritHier, "Voyages/Italie/Rome", "Rome.bmp");
    Ed->Arbo().DepuisSection(*iniSetup);
    Image("i1", {"Voyages/Italie/Rome", "Voyages/France"});
    Image("i2", {"Voyages/Italie", "Archives"});
    Fait(TGenre::Copie, "Voyages/Italie/Rome", "Voyages/France");
    EXPECT_EQ(Cles("i1"), (QStringList{"Voyages/Italie/Rome", "Voyages/France"}));
    const int n = Ed->Arbo().Cherche("Voyages/France/Rome");
    ASSERT_GE(n, 0);
    EXPECT_EQ(Ed->Arbo().Noeuds()[size_t(n)].cImageCH, "Rome.bmp");

    Fait(TGenre::Deplacement, "Voyages/Italie", "Archives");
    EXPECT_EQ(Cles("i1"), (QStringList{"Archives/Italie/Rome", "Voyages/France"}));
    // The image held Archives and now a path under it: only the deeper one stays.
    EXPECT_EQ(Cles("i2"), QStringList{"Archives/Italie"});
    EXPECT_EQ(Chemins(), (QStringList{"Voyages", "Voyages/France", "Voyages/France/Rome", "Archives", "Archives/Italie",
                                      "Archives/Italie/Rome", "Archives/Italie/Milan"}));
    // A refused drop changes nothing.
    Fait(TGenre::Deplacement, "Archives", "Archives/Italie");
    EXPECT_EQ(Ed->Arbo().Nombre(), 7);
}

TEST_F(EditionTest, SavedSearchesFollowTheirCriteria)
{
    Arbre(cVoyages);
    const QString s1 = cPrefixeRechEnreg + "ROME";
    iniSetup->WriteString(s1, "Voyages/Italie/Rome", QString());
    iniSetup->WriteString(s1, "_MC", "PLAGE SOLEIL");
    iniSetup->WriteString(s1, "_LEG", "Voyages/Italie*");
    iniSetup->WriteString(s1, "_CDC", QString());
    Fait(TGenre::Renommage, "Voyages/Italie", "Italia");
    QStringList l;
    iniSetup->ReadSectionValues(s1, l);
    EXPECT_EQ(l, (QStringList{"Voyages/Italia/Rome=", "_MC=PLAGE SOLEIL", "_LEG=Voyages/Italie*", "_CDC="}));
    Fait(TGenre::Suppression, "Voyages");
    iniSetup->ReadSectionValues(s1, l);
    EXPECT_EQ(l, (QStringList{"_MC=PLAGE SOLEIL", "_LEG=Voyages/Italie*", "_CDC="}));
}

TEST_F(EditionTest, ForeignKeysAreComparedAsWritten)
{
    Arbre({"A=1%", "A=1%/B", "C"});
    Image("i1", {"A=1%/B", " A=1%/B", "A=1%B", "C"});
    Fait(TGenre::Renommage, "A=1%", "Z");
    EXPECT_EQ(Cles("i1"), (QStringList{"Z/B", " A=1%/B", "A=1%B", "C"}));
    TBigIniFile Relu(Fichier("KX_BDD.ini"), true);
    QStringList l;
    Relu.ReadSection("i1", l);
    EXPECT_EQ(l, Cles("i1"));
}

// ---- Random operations against the walk as written, image by image --------------------------

// The catalogue walk done literally on a map of sections, keys compared one by one.
void WalkLitteral(QMap<QString, QStringList> &Images, const TOperationCritere &Op, bool lReservees)
{
    const QString P = Op.cChemin;
    const qsizetype L = P.size() - CaptionChemin(P).size() - 1;
    const QStringList Reserves = {"_MC", "_CDC", "_LEG", "_DES"};
    for (auto it = Images.begin(); it != Images.end(); ++it) {
        QStringList &K = it.value();
        bool lAffecte = false;
        for (qsizetype k = K.size() - 1; k >= 0; --k) {
            if (lReservees && Reserves.contains(K[k]))
                continue;
            if (!(K[k] == P || K[k].startsWith(P + "/")))
                continue;
            lAffecte = true;
            if (Op.nGenre == TGenre::Renommage)
                K[k] = K[k].left(L + 1) + Op.cArgument + K[k].mid(P.size());
            else if (Op.nGenre == TGenre::Deplacement)
                K[k] = Op.cArgument + "/" + K[k].mid(L + 1);
            else if (L < 0)
                K.removeAt(k);
            else
                K[k] = K[k].left(L);
        }
        if (!lAffecte || Op.nGenre == TGenre::Renommage)
            continue;
        QStringList Sans;
        for (const QString &c : K)
            if (!Sans.contains(c))
                Sans << c;
        K.clear();
        for (const QString &c : Sans) {
            bool lAncetre = false;
            for (const QString &d : Sans)
                lAncetre = lAncetre || (!(lReservees && Reserves.contains(c)) && d.startsWith(c + "/"));
            if (!lAncetre)
                K << c;
        }
    }
    for (auto it = Images.begin(); it != Images.end();)
        it = it.value().isEmpty() ? Images.erase(it) : std::next(it);
}

std::set<QString> Trouves(TIndexClassement &Index, const QString &cChemin, bool lEtendre)
{
    TRechercheCompilee r;
    r.CritCoches = {cChemin};
    std::set<QString> s;
    for (int n : Index.Selectionne(r, lEtendre))
        s.insert(Index.Cle(n));
    return s;
}

TEST_F(EditionTest, RandomOperationsMatchTheWalkAndKeepTheIndexCurrent)
{
    QRandomGenerator Alea(20261209);
    const QStringList Captions = {"A", "B", "Ab", "a", "C d", "E=1", "F%"};
    auto Caption = [&] { return Captions[Alea.bounded(int(Captions.size()))]; };
    QStringList Depart;
    for (int i = 0; i < 40; ++i) {
        QString c = Caption();
        for (int k = Alea.bounded(4); k > 0; --k)
            c += "/" + Caption();
        Depart << c;
    }
    Arbre(Depart);
    QMap<QString, QStringList> Modele, Recherches;
    for (int i = 0; i < 150; ++i) {
        const QString cCle = QStringLiteral("img%1").arg(i);
        for (int k = Alea.bounded(1, 5); k > 0; --k) {
            const QStringList Noeuds = Chemins();
            QString c = Noeuds[Alea.bounded(int(Noeuds.size()))];
            if (Alea.bounded(8) == 0)
                c = " " + c; // not a node: never touched
            if (!Modele[cCle].contains(c))
                Modele[cCle] << c;
        }
        Image(cCle, Modele[cCle]);
    }
    for (int i = 0; i < 4; ++i) {
        const QString cSection = cPrefixeRechEnreg + QString::number(i);
        Recherches[cSection] = {"_MC", Chemins()[i * 3], Chemins()[i * 5 + 1], "_LEG"};
        for (const QString &c : Recherches[cSection])
            iniSetup->WriteString(cSection, c, c.startsWith('_') ? QStringLiteral("X") : QString());
    }
    iniBDD->UpdateFile();
    Index->Actualise();

    int nReportees = 0;
    for (int nOp = 0; nOp < 300; ++nOp) {
        const QStringList Noeuds = Chemins();
        if (Noeuds.isEmpty())
            break;
        const QString P = Noeuds[Alea.bounded(int(Noeuds.size()))];
        const QString T = Noeuds[Alea.bounded(int(Noeuds.size()))];
        TOperationCritere Op;
        bool lAcceptee = true;
        switch (Alea.bounded(6)) {
        case 0: Op = {TGenre::Creation, Alea.bounded(3) ? P : QString(), QString(), 0}; break;
        case 1:
            Op = {TGenre::Renommage, P, Caption() + QString::number(Alea.bounded(3)), 0};
            lAcceptee = Ed->RenommageCorrect(P, Op.cArgument);
            break;
        case 2:
            Op = {TGenre::Deplacement, P, T, 0};
            lAcceptee = DepotAccepte(Ed->Arbo(), P, T);
            break;
        case 3:
            Op = {TGenre::Copie, P, T, 0};
            lAcceptee = DepotAccepte(Ed->Arbo(), P, T);
            break;
        case 4: Op = {TGenre::Suppression, P, QString(), 0}; break;
        default: Op = {TGenre::Image, P, "x.bmp", int(Alea.bounded(3))};
        }
        const bool lSuivi = Index->CatalogueSuivi();
        QString cErreur;
        ASSERT_TRUE(Ed->Applique(Op, cErreur)) << cErreur.toStdString();
        EXPECT_EQ(Index->CatalogueSuivi(), lSuivi) << nOp;
        if (lAcceptee
            && (Op.nGenre == TGenre::Renommage || Op.nGenre == TGenre::Deplacement
                || Op.nGenre == TGenre::Suppression)) {
            WalkLitteral(Modele, Op, false);
            WalkLitteral(Recherches, Op, true);
            ++nReportees;
        }
    }
    EXPECT_GT(nReportees, 60);

    QStringList Sections;
    iniBDD->ReadSections(Sections);
    EXPECT_EQ(Sections.size(), Modele.size());
    for (auto it = Modele.cbegin(); it != Modele.cend(); ++it)
        EXPECT_EQ(Cles(it.key()), it.value()) << it.key().toStdString();
    for (auto it = Recherches.cbegin(); it != Recherches.cend(); ++it) {
        QStringList l;
        iniSetup->ReadSection(it.key(), l);
        EXPECT_EQ(l, it.value()) << it.key().toStdString();
    }
    // The file says the same as memory.
    TBigIniFile Relu(Fichier("KX_BDD.ini"), true);
    for (auto it = Modele.cbegin(); it != Modele.cend(); ++it) {
        QStringList l;
        Relu.ReadSection(it.key(), l);
        EXPECT_EQ(l, it.value());
    }
    // The index took every change in place and answers as a fresh one does.
    Index->Actualise();
    EXPECT_EQ(Index->nDerniersRejoues, 0);
    EXPECT_EQ(Index->nDernieresReconstructions, 0);
    TIndexClassement Frais(*iniBDD, *iniSetup);
    Frais.Actualise();
    std::set<QString> Demandes;
    for (const auto &l : Modele)
        for (const QString &c : l)
            for (qsizetype k = 0; k <= c.size(); ++k)
                if (k == c.size() || c[k] == u'/')
                    Demandes.insert(c.left(k));
    for (const QString &c : Chemins())
        Demandes.insert(c);
    for (const QString &c : Demandes)
        for (bool lEtendre : {false, true})
            EXPECT_EQ(Trouves(*Index, c, lEtendre), Trouves(Frais, c, lEtendre)) << c.toStdString();
}

// ---- Keywords and the clipboard ------------------------------------------------------------

TEST_F(EditionTest, KeywordDeleteAndRename)
{
    iniSetup->WriteString(cSectionMotsCles, "i1", "PLAGE SOLEIL plage");
    iniSetup->WriteString(cSectionMotsCles, "i2", "plage");
    iniSetup->WriteString(cSectionMotsCles, "i3", "MER  PLAGES");
    EXPECT_EQ(RenommeMotCle(*iniSetup, "PLAGE", "SABLE"), (QStringList{"i1", "i2"}));
    EXPECT_EQ(iniSetup->ReadString(cSectionMotsCles, "i1", ""), "SABLE SOLEIL plage");
    EXPECT_EQ(iniSetup->ReadString(cSectionMotsCles, "i2", ""), "SABLE");
    EXPECT_EQ(iniSetup->ReadString(cSectionMotsCles, "i3", ""), "MER  PLAGES");
    EXPECT_EQ(SupprimeMotCle(*iniSetup, "sable"), (QStringList{"i1", "i2"}));
    EXPECT_EQ(iniSetup->ReadString(cSectionMotsCles, "i1", ""), "SOLEIL plage");
    EXPECT_FALSE(iniSetup->ValueExists(cSectionMotsCles, "i2"));

    const QStringList Existants = {"MER", "PLAGE", "SOLEIL"};
    EXPECT_FALSE(RenommageMotCleCorrect("PLAGE", "PLAGE", Existants));
    EXPECT_FALSE(RenommageMotCleCorrect("mer", "PLAGE", Existants));
    EXPECT_FALSE(RenommageMotCleCorrect("SA BLE", "PLAGE", Existants));
    EXPECT_FALSE(RenommageMotCleCorrect("sable", "PLAGE", Existants));
    EXPECT_TRUE(RenommageMotCleCorrect("SABLE-FIN_2.0", "PLAGE", Existants));
}

TEST_F(EditionTest, ClipboardText)
{
    Arbre({"Voyages/Italie/Rome", "Archives"});
    EXPECT_EQ(TextePressePapiers(Ed->Arbo(), {"MER", "PLAGE"}),
              "CRITERES HIERARCHIQUES :\n------------------------\nVoyages\n\tItalie\n\t\tRome\nArchives\n"
              "\nMOTS-CLES :\n-----------\nMER\nPLAGE\n");
    EXPECT_EQ(TextePressePapiers(TArboEditee(), {"MER"}), "\nMOTS-CLES :\n-----------\nMER\n");
    EXPECT_EQ(TextePressePapiers(TArboEditee(), {}), "");
}

// ---- Icon files ----------------------------------------------------------------------------

void Bmp(const QString &cFichier, int nTaille)
{
    QImage i(nTaille, nTaille, QImage::Format_RGB32);
    i.fill(Qt::red);
    ASSERT_TRUE(i.save(cFichier, "BMP"));
}

TEST(ImagesCH, ListSortedByCategoryWithSeparators)
{
    QTemporaryDir Temp;
    for (const char *c : {"Pays-Italie.bmp", "Pays-France.bmp", "Soleil.BMP", "Animaux-Chat.bmp", ".cache.bmp"})
        Bmp(Temp.filePath(c), 16);
    Bmp(Temp.filePath("Grand.bmp"), 32);
    QDir(Temp.path()).mkdir("Dossier.bmp");
    QFile f(Temp.filePath("Faux.bmp"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("BM pas une image");
    f.close();

    std::vector<TEnrImgCH> Images;
    std::vector<TEnrCat> Categories;
    ListeImagesCH(Temp.path(), Images, Categories);
    QStringList Noms;
    std::vector<int> Separateurs;
    for (const TEnrImgCH &e : Images) {
        Noms << e.cNom;
        Separateurs.push_back(e.nSeparateur);
    }
    EXPECT_EQ(Noms, (QStringList{"<Valeur par défaut>", "Animaux-Chat.bmp", "Pays-France.bmp", "Pays-Italie.bmp",
                                 "Soleil.BMP"}));
    EXPECT_EQ(Separateurs, (std::vector<int>{0, 2, 1, 0, 2}));
    ASSERT_EQ(Categories.size(), 3u);
    EXPECT_EQ(Categories[0].cNom, "Animaux");
    EXPECT_EQ(Categories[1].cNom, "Pays");
    EXPECT_EQ(Categories[1].nPremier, 2);
    EXPECT_EQ(Categories[2].cNom, "<Sans>");
    EXPECT_EQ(Categories[2].nPremier, 4);

    EXPECT_EQ(IndiceAtteindre(Images, Categories, 1, " it "), 3);
    EXPECT_EQ(IndiceAtteindre(Images, Categories, -1, "so"), 4);
    EXPECT_EQ(IndiceAtteindre(Images, Categories, 2, "S"), 4);
    EXPECT_EQ(IndiceAtteindre(Images, Categories, 0, "France"), -1);
    EXPECT_EQ(IndiceAtteindre(Images, Categories, 1, " "), -1);
}

TEST(ImagesCH, NoSixteenPixelFileGivesNothing)
{
    QTemporaryDir Temp;
    Bmp(Temp.filePath("Grand.bmp"), 32);
    std::vector<TEnrImgCH> Images;
    std::vector<TEnrCat> Categories;
    ListeImagesCH(Temp.path(), Images, Categories);
    EXPECT_TRUE(Images.empty());
    EXPECT_TRUE(Categories.empty());
}
} // namespace
