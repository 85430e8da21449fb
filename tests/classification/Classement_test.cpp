#include "ImpressionQt.h"
#include "classification/ArboCriteres.h"
#include "classification/Classement.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"
#include "storage/Settings.h"
#include "support/MessagesFactices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

namespace
{
const QByteArray cArbre = "[CRITERES HIERARCHIQUES]\r\n"
                          "Voyages=\r\nVoyages/Italie=\r\nVoyages/Italie/Rome=\r\nVoyages/Italie/Venise=\r\n"
                          "Voyages/France=\r\nAnimaux=\r\nAnimaux/Chats=chat.png\r\nA=\r\nA/B=\r\na=\r\n";

// Counts the saves that land on a file of the watched folders: a rename onto its name (an
// atomic save), a direct write or a deletion.
class TCompteSauvegardes
{
public:
    explicit TCompteSauvegardes(const QStringList &Dossiers)
    {
        m_fd = inotify_init1(IN_NONBLOCK);
        for (const QString &d : Dossiers)
            m_Dossiers.insert(
                inotify_add_watch(m_fd, QFile::encodeName(d).constData(), IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE),
                QDir(d).absolutePath() + u'/');
    }
    ~TCompteSauvegardes() { ::close(m_fd); }

    // Saves per full path since the last call.
    QHash<QString, int> Lit()
    {
        QHash<QString, int> n;
        alignas(inotify_event) char Tampon[64 * 1024];
        for (;;) {
            const ssize_t nLus = ::read(m_fd, Tampon, sizeof Tampon);
            if (nLus <= 0)
                break;
            for (char *p = Tampon; p < Tampon + nLus;) {
                const auto *e = reinterpret_cast<const inotify_event *>(p);
                const QString cNom = e->len ? QFile::decodeName(e->name) : QString();
                if (!cNom.startsWith(u'.'))
                    ++n[m_Dossiers.value(e->wd) + cNom];
                p += sizeof(inotify_event) + e->len;
            }
        }
        return n;
    }

private:
    int m_fd = -1;
    QHash<int, QString> m_Dossiers;
};

QByteArray LitFichier(const QString &cFichier)
{
    QFile f(cFichier);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

void EcritFichier(const QString &cFichier, const QByteArray &Octets)
{
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(cFichier);
    f.write(Octets);
}

struct ClassementTest : ::testing::Test
{
    QTemporaryDir Temp;
    QString cDonnees, cPhotos, cAutres;
    TEnrParametres Parametres;
    std::unique_ptr<TBigIniFile> Setup, BDD;
    std::unique_ptr<TDescriptions> Descriptions;
    TArboCriteres Arbo;
    std::unique_ptr<TClassement> Classement;

    void SetUp() override
    {
        cDonnees = Temp.path() + "/donnees/";
        cPhotos = Temp.path() + "/photos/";
        cAutres = Temp.path() + "/autres/";
        for (const QString &d : {cDonnees, cPhotos, cAutres, cDonnees + "ImgsCH/"})
            ASSERT_TRUE(QDir().mkpath(d));
        QImage Icone(16, 16, QImage::Format_RGB32);
        Icone.fill(Qt::red);
        ASSERT_TRUE(Icone.save(cDonnees + "ImgsCH/chat.png"));
        Parametres.lTrtDescription = true;
    }

    // Writes the two stores (the settings store after the criteria tree), then opens
    // everything as the program does.
    void Ouvre(const QByteArray &cSetup = {}, const QByteArray &cBDD = {})
    {
        EcritFichier(cDonnees + "KX_Setup.ini", cArbre + cSetup);
        EcritFichier(cDonnees + "KX_BDD.ini", cBDD);
        Reouvre();
    }
    void Reouvre()
    {
        Classement.reset();
        Descriptions.reset();
        Setup = std::make_unique<TBigIniFile>(cDonnees + "KX_Setup.ini");
        BDD = std::make_unique<TBigIniFile>(cDonnees + "KX_BDD.ini", true);
        Setup->lAutoSave = BDD->lAutoSave = false;
        Arbo.ChargerArboCritHier(*Setup, Parametres, cDonnees + "ImgsCH/");
        Descriptions = std::make_unique<TDescriptions>(*Setup);
        Classement = std::make_unique<TClassement>(*Setup, *BDD, *Descriptions, Arbo, Parametres);
    }

    static TEnrLV Image(const QString &cChemin, qint32 nVolume = 0)
    {
        TEnrLV e;
        e.nNumCD = nVolume;
        e.cChemin = cChemin;
        return e;
    }
    TEnrLV Photo(const char *cNom) const { return Image(cPhotos + QString::fromUtf8(cNom)); }

    TCochesCriteres Coches(const QStringList &Chemins) const
    {
        TCochesCriteres c(Arbo);
        for (const QString &p : Chemins)
            c.CocherChemin(p);
        return c;
    }
    QStringList Criteres(const TEnrLV &e) const { return Classement->CriteresImage(e); }
    QString Sur(const char *cSection, const TEnrLV &e, const QString &cDefaut = "<absent>") const
    {
        return Setup->ReadString(cSection, CleImage(e.nNumCD, e.cChemin), cDefaut);
    }
    // The stores as they are on disk.
    QByteArray Disque() const
    {
        return LitFichier(cDonnees + "KX_Setup.ini") + "|" + LitFichier(cDonnees + "KX_BDD.ini");
    }
};

TParamsClassement ParamsCriteres(bool lRemplacer)
{
    TParamsClassement p;
    p.lAppCrit = true;
    p.lRemplCrit = lRemplacer;
    return p;
}

TParamsClassement MotsCles(const QString &c, bool lRemplacer)
{
    TParamsClassement p;
    p.lAppMC = true;
    p.lRemplMC = lRemplacer;
    p.cNouvMotsCles = c;
    return p;
}
} // namespace

// ---- Criteria --------------------------------------------------------------------------------

TEST_F(ClassementTest, MergingRomeKeepsTheDeepestPathsInTreeOrder)
{
    const TEnrLV e = Photo("rome.jpg");
    Ouvre({}, QString("[%1]\r\nAnimaux=\r\nVoyages/Italie=\r\n").arg(e.cChemin).toUtf8());
    const TResultatClassement r =
        Classement->AppliquerClassement(e, Coches({"Voyages/Italie/Rome"}), ParamsCriteres(false));
    EXPECT_TRUE(r.Reussi());
    EXPECT_EQ(r.ClesModifiees, QStringList{e.cChemin});
    EXPECT_EQ(Criteres(e), QStringList({"Voyages/Italie/Rome", "Animaux"}));
    // Saved at once, as written.
    TBigIniFile Relu(cDonnees + "KX_BDD.ini", true);
    QStringList l;
    Relu.ReadSection(e.cChemin, l);
    EXPECT_EQ(l, QStringList({"Voyages/Italie/Rome", "Animaux"}));

    // Merging nothing checked changes nothing; replacing with nothing erases the section.
    const QByteArray Avant = Disque();
    EXPECT_TRUE(Classement->AppliquerClassement(e, Coches({}), ParamsCriteres(false)).ClesModifiees.isEmpty());
    EXPECT_EQ(Disque(), Avant);
    EXPECT_EQ(Classement->AppliquerClassement(e, Coches({}), ParamsCriteres(true)).ClesModifiees,
              QStringList{e.cChemin});
    EXPECT_FALSE(BDD->SectionExists(e.cChemin));
    EXPECT_FALSE(LitFichier(cDonnees + "KX_BDD.ini").contains("rome.jpg"));
    EXPECT_FALSE(Classement->AUnClassement(e));
}

TEST_F(ClassementTest, MergeComparesPathsExactlyAndDropsWhatTheTreeLacks)
{
    const TEnrLV e = Photo("x.jpg");
    // "a" and "A" are two criteria; "Voyages/Espagne" is no longer in the tree; "Voyages" is
    // implied by a deeper path.
    Ouvre({}, QString("[%1]\r\na=\r\nVoyages/Espagne=\r\nVoyages=\r\nVoyages/France=\r\n").arg(e.cChemin).toUtf8());
    Classement->AppliquerClassement(e, Coches({"A"}), ParamsCriteres(false));
    EXPECT_EQ(Criteres(e), QStringList({"Voyages/France", "A", "a"}));

    EXPECT_EQ(TLotClassement::FusionneCriteres(Arbo, {"A/B", "A", "Voyages/Italie", "Voyages/Italie/Rome",
                                                      "Voyages/Italie/Rome", "Inconnu/Rome", "Voyages/Italie/Venise"}),
              QStringList({"Voyages/Italie/Rome", "Voyages/Italie/Venise", "A/B"}));
}

TEST_F(ClassementTest, ReplacingWritesTheCheckedPathsAndSavesOnlyTheCatalogue)
{
    const TEnrLV e = Photo("x.jpg");
    Ouvre("[MOTS-CLES]\r\n", QString("[%1]\r\nAnimaux=\r\n").arg(e.cChemin).toUtf8());
    const QByteArray SetupAvant = LitFichier(cDonnees + "KX_Setup.ini");
    TCompteSauvegardes Compte({cDonnees});
    Classement->AppliquerClassement(e, Coches({"Voyages/France", "Voyages/Italie/Venise"}), ParamsCriteres(true));
    EXPECT_EQ(Criteres(e), QStringList({"Voyages/Italie/Venise", "Voyages/France"}));
    const QHash<QString, int> n = Compte.Lit();
    EXPECT_EQ(n.value(cDonnees + "KX_BDD.ini"), 1);
    EXPECT_EQ(n.value(cDonnees + "KX_Setup.ini"), 0);
    EXPECT_EQ(LitFichier(cDonnees + "KX_Setup.ini"), SetupAvant);
}

TEST_F(ClassementTest, AChangedImageKeepsItsPlaceInTheCatalogue)
{
    const TEnrLV a = Photo("a.jpg"), b = Photo("b.jpg");
    Ouvre({}, QString("[%1]\r\nAnimaux=\r\n[%2]\r\nA=\r\n").arg(a.cChemin, b.cChemin).toUtf8());
    Classement->AppliquerClassement(a, Coches({"Voyages/France"}), ParamsCriteres(false));
    EXPECT_EQ(LitFichier(cDonnees + "KX_BDD.ini"),
              QString("[%1]\r\nVoyages/France=\r\nAnimaux=\r\n[%2]\r\nA=\r\n").arg(a.cChemin, b.cChemin).toUtf8());
}

TEST_F(ClassementTest, DroppingACriterionIsRefusedWhenTheExactPathIsStored)
{
    const TEnrLV e = Photo("x.jpg");
    Ouvre({}, QString("[%1]\r\nAnimaux=\r\nVoyages/Italie=\r\n").arg(e.cChemin).toUtf8());
    EXPECT_FALSE(Classement->PeutDeposerCritere(e, "Animaux"));
    EXPECT_FALSE(Classement->PeutDeposerCritere(e, "Voyages/Grece"));
    EXPECT_TRUE(Classement->PeutDeposerCritere(e, "Voyages/Italie/Rome"));
    EXPECT_TRUE(Classement->PeutDeposerCritere(e, "a"));
    Classement->AjouterCritereImage(e, "Voyages/Italie/Rome");
    EXPECT_EQ(Criteres(e), QStringList({"Voyages/Italie/Rome", "Animaux"}));
    // An ancestor of a stored path is accepted but adds nothing, and nothing is saved.
    const QByteArray Avant = Disque();
    EXPECT_TRUE(Classement->AjouterCritereImage(e, "Voyages").ClesModifiees.isEmpty());
    EXPECT_EQ(Disque(), Avant);
}

// ---- Keywords, favourites, legends -----------------------------------------------------------

TEST_F(ClassementTest, KeywordsAreMergedOrReplacedAndNeverStoredAsTyped)
{
    const TEnrLV e = Photo("x.jpg");
    Ouvre(QString("[MOTS-CLES]\r\n%1=PLAGE MER\r\n").arg(e.cChemin).toUtf8());
    Classement->AppliquerClassement(e, Coches({}), MotsCles("MER SOLEIL", false));
    EXPECT_EQ(Sur("MOTS-CLES", e), "MER SOLEIL PLAGE");
    Classement->AppliquerClassement(e, Coches({}), MotsCles("", false));
    EXPECT_EQ(Sur("MOTS-CLES", e), "MER SOLEIL PLAGE");
    // Stored words repeated, or written in lower case by another tool, are merged once.
    const TEnrLV f = Photo("f.jpg"), g = Photo("g.jpg");
    Setup->WriteString("MOTS-CLES", f.cChemin, "PLAGE PLAGE MER");
    Setup->WriteString("MOTS-CLES", g.cChemin, "plage  Mer");
    Classement->AppliquerClassementLot({&f, &g}, Coches({}), MotsCles("soleil mer", false));
    EXPECT_EQ(Sur("MOTS-CLES", f), "SOLEIL MER PLAGE");
    EXPECT_EQ(Sur("MOTS-CLES", g), "SOLEIL MER PLAGE");
    Classement->AppliquerClassement(e, Coches({}), MotsCles(" mer  MER\tsoleil été ", true));
    EXPECT_EQ(Sur("MOTS-CLES", e), "MER SOLEIL T");
    Classement->AppliquerClassement(e, Coches({}), MotsCles("  ", true));
    EXPECT_EQ(Sur("MOTS-CLES", e), "<absent>");
    EXPECT_EQ(MotsClesStockes("a-b  A-B c"), "A-B C");
}

TEST_F(ClassementTest, DroppingAKeywordAddsItUnlessPresentAsAWholeWord)
{
    const TEnrLV e1 = Photo("1.jpg"), e2 = Photo("2.jpg"), e3 = Photo("3.jpg");
    Ouvre(QString("[MOTS-CLES]\r\n%1=MERS PLAGE\r\n%2=PLAGE MER\r\n").arg(e1.cChemin, e2.cChemin).toUtf8());
    ASSERT_TRUE(Classement->PeutDeposerMotCle(e1, "MER"));
    Classement->AjouterMotCleImage(e1, "MER");
    EXPECT_EQ(Sur("MOTS-CLES", e1), "MERS PLAGE MER");
    EXPECT_FALSE(Classement->PeutDeposerMotCle(e2, "MER"));
    EXPECT_TRUE(Classement->AjouterMotCleImage(e2, "MER").ClesModifiees.isEmpty());
    EXPECT_EQ(Sur("MOTS-CLES", e2), "PLAGE MER");
    // A keyword spelt in lower case by another tool is cleaned before it is compared.
    EXPECT_FALSE(Classement->PeutDeposerMotCle(e2, "mer"));
    EXPECT_FALSE(Classement->PeutDeposerMotCle(e3, "DEUX MOTS"));
    Classement->AjouterMotCleImage(e3, "chat");
    EXPECT_EQ(Sur("MOTS-CLES", e3), "CHAT");
    TBigIniFile Relu(cDonnees + "KX_Setup.ini");
    EXPECT_EQ(Relu.ReadString("MOTS-CLES", e3.cChemin, {}), "CHAT");
}

TEST_F(ClassementTest, TheFavouriteToggleWorksFromTheStoredMark)
{
    const TEnrLV e = Photo("x.jpg");
    Ouvre(QString("[COUPS DE COEUR]\r\n%1=\r\n").arg(e.cChemin).toUtf8());
    bool lEtat = true;
    Classement->BasculerCoupDeCoeur(e, lEtat);
    EXPECT_FALSE(lEtat);
    EXPECT_FALSE(Classement->EstCoupDeCoeur(e));
    EXPECT_FALSE(TBigIniFile(cDonnees + "KX_Setup.ini").ValueExists("COUPS DE COEUR", e.cChemin));
    Classement->BasculerCoupDeCoeur(e, lEtat);
    EXPECT_TRUE(lEtat);
    EXPECT_TRUE(TBigIniFile(cDonnees + "KX_Setup.ini").ValueExists("COUPS DE COEUR", e.cChemin));
    EXPECT_TRUE(Classement->AUnClassement(e));
}

TEST_F(ClassementTest, LegendsAreOneTrimmedLineAddedToTheListsOnce)
{
    const TEnrLV e = Photo("x.jpg");
    Ouvre();
    QSignalSpy Legendes(Classement.get(), &TClassement::LegendeAppliquee);
    QStringList Liste{"LE PORT"};
    TParamsClassement p;
    p.lAppLeg = true;
    p.cNouvLegende = "  Le port\r\nau matin ";
    p.pListeLegendes = &Liste;
    Classement->AppliquerClassement(e, Coches({}), p);
    EXPECT_EQ(Sur("LEGENDES", e), "Le port au matin");
    p.cNouvLegende = "le PORT";
    Classement->AppliquerClassement(e, Coches({}), p);
    EXPECT_EQ(Liste, QStringList({"LE PORT", "Le port au matin"}));
    ASSERT_EQ(Legendes.count(), 2);
    EXPECT_EQ(Legendes.at(0).at(0).toString(), "Le port au matin");
    p.cNouvLegende = " ";
    Classement->AppliquerClassement(e, Coches({}), p);
    EXPECT_EQ(Sur("LEGENDES", e), "<absent>");
    EXPECT_EQ(Legendes.count(), 2);
}

// ---- Descriptions ----------------------------------------------------------------------------

TEST_F(ClassementTest, ACDImageKeepsItsDescriptionButTakesItsLegend)
{
    const TEnrLV e = Image("/DCIM/IMG_0001.JPG", -1975582719);
    const QString cCle = CleImage(e.nNumCD, e.cChemin);
    Ouvre(QString("[DESCRIPTIONS]\r\n%1=Sur le disque\r\n").arg(cCle).toUtf8());
    EXPECT_FALSE(Classement->DescriptionModifiable(e));
    EXPECT_EQ(Classement->DescriptionImage(e), "Sur le disque");
    TParamsClassement p;
    p.lAppLeg = p.lAppDes = true;
    p.cNouvLegende = "Rome";
    p.cNouvDescription = "Autre";
    Classement->AppliquerClassement(e, Coches({}), p);
    EXPECT_EQ(Setup->ReadString("LEGENDES", cCle, {}), "Rome");
    EXPECT_EQ(Setup->ReadString("DESCRIPTIONS", cCle, {}), "Sur le disque");
    p.cNouvDescription.clear();
    Classement->AppliquerClassement(e, Coches({}), p);
    EXPECT_EQ(Setup->ReadString("DESCRIPTIONS", cCle, {}), "Sur le disque");

    TEditionClassement Edition(*Classement);
    Edition.Charger(e);
    Edition.FixeDescription("Changée");
    Edition.RAZ();
    EXPECT_EQ(Edition.Description(), "Sur le disque");
}

TEST_F(ClassementTest, DescriptionsAreWrittenOnlyWhenHandled)
{
    const TEnrLV e = Photo("x.jpg");
    Ouvre();
    Parametres.lTrtDescription = false;
    TParamsClassement p;
    p.lAppDes = true;
    p.cNouvDescription = "Plage";
    Classement->AppliquerClassement(e, Coches({}), p);
    EXPECT_FALSE(QFile::exists(cPhotos + "descript.ion"));
    Parametres.lTrtDescription = true;
    Classement->AppliquerClassement(e, Coches({}), p);
    EXPECT_EQ(LitFichier(cPhotos + "descript.ion"), "x.jpg Plage\r\n");
    EXPECT_FALSE(Classement->AUnClassement(e));
}

TEST_F(ClassementTest, ABatchSavesEachStoreOnceAndEachDescriptionFileOncePerFolder)
{
    Ouvre();
    EcritFichier(cPhotos + "descript.ion", "a.jpg Ancienne\r\nlibre texte\r\n");
    QList<TEnrLV> Images;
    for (const char *c : {"a.jpg", "b.jpg", "c.jpg"})
        Images << Photo(c);
    Images << Image(cAutres + "d.jpg") << Image(cAutres + "e.jpg");
    QList<const TEnrLV *> Liste;
    for (const TEnrLV &e : Images)
        Liste << &e;
    TParamsClassement p = MotsCles("MER", false);
    p.lAppCrit = true;
    p.lAppCDC = p.lNouvCDC = true;
    p.lAppLeg = true;
    p.cNouvLegende = "Plage";
    p.lAppDes = true;
    p.cNouvDescription = "Le soir";
    QSignalSpy Modifies(Classement.get(), &TClassement::ClassementModifie);
    TCompteSauvegardes Compte({cDonnees, cPhotos, cAutres});
    const TResultatClassement r = Classement->AppliquerClassementLot(Liste, Coches({"Animaux/Chats"}), p);
    EXPECT_TRUE(r.Reussi()) << qPrintable(r.cErreur);
    EXPECT_EQ(r.ClesModifiees.size(), 5);
    EXPECT_EQ(Modifies.count(), 5);
    const QHash<QString, int> n = Compte.Lit();
    EXPECT_EQ(n.value(cDonnees + "KX_BDD.ini"), 1);
    EXPECT_EQ(n.value(cDonnees + "KX_Setup.ini"), 1);
    EXPECT_EQ(n.value(cPhotos + "descript.ion"), 1);
    EXPECT_EQ(n.value(cAutres + "descript.ion"), 1);
    EXPECT_EQ(LitFichier(cPhotos + "descript.ion"),
              "a.jpg Le soir\r\nlibre texte\r\nb.jpg Le soir\r\nc.jpg Le soir\r\n");
    EXPECT_EQ(LitFichier(cAutres + "descript.ion"), "d.jpg Le soir\r\ne.jpg Le soir\r\n");
    for (const TEnrLV &e : Images) {
        EXPECT_EQ(Criteres(e), QStringList{"Animaux/Chats"});
        EXPECT_EQ(Sur("MOTS-CLES", e), "MER");
        EXPECT_EQ(Sur("COUPS DE COEUR", e), "");
        EXPECT_EQ(Sur("LEGENDES", e), "Plage");
        EXPECT_EQ(Classement->DescriptionImage(e), "Le soir");
    }

    // The same batch again changes nothing and writes nothing.
    Modifies.clear();
    EXPECT_TRUE(Classement->AppliquerClassementLot(Liste, Coches({"Animaux/Chats"}), p).ClesModifiees.isEmpty());
    EXPECT_TRUE(Compte.Lit().isEmpty());
    EXPECT_EQ(Modifies.count(), 0);
}

// The batch rewrites a descript.ion itself; it must come out as the descriptions' own
// one-change-at-a-time writing leaves it.
TEST_F(ClassementTest, ABatchRewritesADescriptionFileAsSingleChangesWould)
{
    Ouvre();
    const QByteArray Initial = "\xEF\xBB\xBF"
                               "a.jpg  Premi\xC3\xA8re\r\n"
                               "\"b c.jpg\"\tDeux mots\n"
                               "commentaire\r\n"
                               "\r\n"
                               "D.JPG Majuscules\r\n"
                               "a.jpg Doublon\r\n"
                               "e.jpg Caf\xE9 en 1252\r\n";
    EcritFichier(cPhotos + "descript.ion", Initial);
    EcritFichier(cAutres + "descript.ion", Initial);
    const QStringList Noms = {"a.jpg", "b c.jpg", "d.jpg", "e.jpg", "f g.jpg", "h.jpg"};
    const QStringList Retires = {"a.jpg", "f g.jpg"};
    const QString cThe = QString::fromUtf8("Thé");
    auto Lot = [&](const QStringList &Liste, const QString &cTexte) {
        QList<TEnrLV> Images;
        for (const QString &n : Liste)
            Images << Image(cPhotos + n);
        QList<const TEnrLV *> Pointeurs;
        for (const TEnrLV &e : Images)
            Pointeurs << &e;
        TParamsClassement p;
        p.lAppDes = true;
        p.cNouvDescription = cTexte;
        return Classement->AppliquerClassementLot(Pointeurs, Coches({}), p);
    };
    {
        TDescriptions Seules(*Setup);
        for (const QString &n : Noms)
            Seules.DescriptionImage(0, cAutres + n, nDescEcriture, cThe);
        for (const QString &n : Retires)
            Seules.DescriptionImage(0, cAutres + n, nDescSuppression);
    }
    TCompteSauvegardes Compte({cPhotos});
    EXPECT_TRUE(Lot(Noms, cThe).Reussi());
    EXPECT_TRUE(Lot(Retires, {}).Reussi());
    EXPECT_EQ(Compte.Lit().value(cPhotos + "descript.ion"), 2);
    EXPECT_EQ(LitFichier(cPhotos + "descript.ion"), LitFichier(cAutres + "descript.ion"));
    EXPECT_EQ(LitFichier(cPhotos + "descript.ion"), QByteArray("\xEF\xBB\xBF"
                                                               "\"b c.jpg\" Th\xE9\r\n"
                                                               "commentaire\r\n"
                                                               "\r\n"
                                                               "D.JPG Th\xE9\r\n"
                                                               "a.jpg Doublon\r\n"
                                                               "e.jpg Th\xE9\r\n"
                                                               "h.jpg Th\xE9\r\n"));
    // The descriptions read the file as it now is.
    EXPECT_EQ(Classement->DescriptionImage(Image(cPhotos + "a.jpg")), "Doublon");
}

TEST_F(ClassementTest, ABatchReadsEveryDescriptionAsTheDescriptionsDo)
{
    Ouvre();
    EcritFichier(cPhotos + "descript.ion", "a.jpg Mer\r\nB.JPG Port\r\n\"c d.jpg\" Quai\r\ne.jpg Mer\r\n");
    const TEnrLV a = Photo("a.jpg"), b = Photo("b.jpg"), c = Photo("c d.jpg"), e = Photo("e.jpg"), z = Photo("z.jpg");
    TParamsClassement p;
    p.lAppDes = true;
    p.cNouvDescription = "Mer";
    // b.jpg finds B.JPG's entry, no file of that spelling being there.
    EXPECT_EQ(Classement->PertesLot({&a, &b, &c, &e, &z}, Coches({}), p).nDescriptions, 2);
    const TResultatClassement r = Classement->AppliquerClassementLot({&a, &b, &c, &e, &z}, Coches({}), p);
    EXPECT_EQ(r.ClesModifiees, QStringList({b.cChemin, c.cChemin, z.cChemin}));
    EXPECT_EQ(LitFichier(cPhotos + "descript.ion"),
              "a.jpg Mer\r\nB.JPG Mer\r\n\"c d.jpg\" Mer\r\ne.jpg Mer\r\nz.jpg Mer\r\n");
}

TEST_F(ClassementTest, ABatchGoingOnAfterItEndsReadsTheDescriptionsItWrote)
{
    Ouvre();
    EcritFichier(cPhotos + "descript.ion", "a.jpg Port\r\n");
    const TEnrLV a = Photo("a.jpg");
    TParamsClassement p;
    p.lAppDes = true;
    p.cNouvDescription = "Mer";
    TLotClassement Lot(*Classement, {}, p);
    Lot.Appliquer(a);
    EXPECT_EQ(Lot.Terminer().ClesModifiees, QStringList{a.cChemin});
    // The second round finds "Mer" already there: nothing to change, nothing to save.
    Lot.Appliquer(a);
    EXPECT_TRUE(Lot.Terminer().ClesModifiees.isEmpty());
    EXPECT_EQ(LitFichier(cPhotos + "descript.ion"), "a.jpg Mer\r\n");
}

TEST_F(ClassementTest, DeletingEveryDescriptionOfAFolderDeletesItsFile)
{
    Ouvre();
    EcritFichier(cPhotos + "descript.ion", "a.jpg Un\r\nb.jpg Deux\r\n");
    const TEnrLV a = Photo("a.jpg"), b = Photo("b.jpg");
    TParamsClassement p;
    p.lAppDes = true;
    Classement->AppliquerClassementLot({&a, &b}, Coches({}), p);
    EXPECT_FALSE(QFile::exists(cPhotos + "descript.ion"));
}

// ---- Failed saves ----------------------------------------------------------------------------

TEST_F(ClassementTest, AFailedStoreSaveNamesTheFileAndKeepsTheChangeForTheNextSave)
{
    Ouvre();
    // The data folder has gone away: neither store can be written.
    const QString cAbsent = Temp.path() + "/parti/";
    Setup = std::make_unique<TBigIniFile>(cAbsent + "KX_Setup.ini");
    Setup->lAutoSave = false;
    Classement = std::make_unique<TClassement>(*Setup, *BDD, *Descriptions, Arbo, Parametres);
    const TEnrLV e = Photo("x.jpg");
    TResultatClassement r = Classement->AppliquerClassement(e, Coches({}), MotsCles("MER", true));
    EXPECT_EQ(r.cErreur, QString::fromUtf8("Le classement n'a pas pu être enregistré dans « %1 ».\r\n"
                                           "Les modifications restent en mémoire et seront enregistrées à "
                                           "la prochaine sauvegarde.")
                             .arg(cAbsent + "KX_Setup.ini"));
    EXPECT_EQ(Sur("MOTS-CLES", e), "MER");
    ASSERT_TRUE(QDir().mkpath(cAbsent));
    r = Classement->AppliquerClassement(Photo("y.jpg"), Coches({}), MotsCles("CHAT", true));
    EXPECT_TRUE(r.Reussi());
    TBigIniFile Relu(cAbsent + "KX_Setup.ini");
    EXPECT_EQ(Relu.ReadString("MOTS-CLES", e.cChemin, {}), "MER");
}

TEST_F(ClassementTest, AFailedDescriptionSaveNamesTheFileAndKeepsTheChanges)
{
    Ouvre();
    const QString cParti = Temp.path() + "/parti/";
    const TEnrLV a = Image(cParti + "a.jpg"), b = Image(cParti + "b.jpg"), c = Image(cParti + "c.jpg"),
                 d = Image(cParti + "d.jpg");
    TParamsClassement p;
    p.lAppDes = true;
    p.cNouvDescription = "Neige";
    TResultatClassement r = Classement->AppliquerClassementLot({&a, &b}, Coches({}), p);
    EXPECT_TRUE(r.cErreur.startsWith(
        QString::fromUtf8("La description n'a pas pu être enregistrée dans « %1 ».").arg(cParti + "descript.ion")))
        << qPrintable(r.cErreur);
    EXPECT_EQ(Classement->DescriptionImage(a), "Neige");
    ASSERT_TRUE(QDir().mkpath(cParti));
    // The next batch in that folder saves them with its own.
    p.cNouvDescription = "Pluie";
    EXPECT_TRUE(Classement->AppliquerClassementLot({&c, &d}, Coches({}), p).Reussi());
    EXPECT_EQ(LitFichier(cParti + "descript.ion"), "a.jpg Neige\r\nb.jpg Neige\r\nc.jpg Pluie\r\nd.jpg Pluie\r\n");
}

// ---- The application to the checked images -----------------------------------------------------

TEST_F(ClassementTest, ABatchThatRemovesDataIsAskedFirstAndDoesNothingOnNo)
{
    const TEnrLV a = Photo("a.jpg"), b = Photo("b.jpg"), c = Photo("c.jpg");
    Ouvre(QString("[COUPS DE COEUR]\r\n%1=\r\n%2=\r\n[LEGENDES]\r\n%1=Vieille\r\n[MOTS-CLES]\r\n%3=CHAT\r\n")
              .arg(a.cChemin, b.cChemin, c.cChemin)
              .toUtf8(),
          QString("[%1]\r\nAnimaux=\r\n").arg(c.cChemin).toUtf8());
    // The choice window's defaults with the search page empty and its favourite button up.
    const TParamsClassement p = ParamsDepuisChoix(TChoixDonneesAppliquer{}, true, false, " ", "", "");
    const TPertesClassement Pertes = Classement->PertesLot({&a, &b, &c}, Coches({}), p);
    EXPECT_EQ(Pertes.nCoupsDeCoeur, 2);
    EXPECT_EQ(Pertes.nLegendes, 1);
    EXPECT_EQ(Pertes.nMotsCles, 1);
    EXPECT_EQ(Pertes.nCriteres, 1);
    EXPECT_EQ(Pertes.nDescriptions, 0);
    EXPECT_EQ(Pertes.nImages, 3);

    const QByteArray Avant = Disque();
    TMessagesFactices Messages;
    Messages.Reponses = {false};
    EXPECT_TRUE(Classement->AppliquerAuxImages({&a, &b, &c}, Coches({}), p, Messages).ClesModifiees.isEmpty());
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, "Attention");
    EXPECT_EQ(Messages.Montres[0].cTexte,
              QString::fromUtf8("L'application aux 3 image(s) sélectionnée(s) va effacer des données de 3 image(s) :"
                                "\r\n     - les critères hiérarchiques de 1 image(s)"
                                "\r\n     - les mots-clés de 1 image(s)"
                                "\r\n     - le coup de coeur de 2 image(s)"
                                "\r\n     - la légende de 1 image(s)\r\n\r\nContinuer ?"));
    EXPECT_EQ(Disque(), Avant);
    EXPECT_TRUE(Classement->EstCoupDeCoeur(a));

    Messages.Reponses = {true};
    const TResultatClassement r = Classement->AppliquerAuxImages({&a, &b, &c}, Coches({}), p, Messages);
    EXPECT_EQ(r.ClesModifiees.size(), 3);
    for (const TEnrLV *e : {&a, &b, &c})
        EXPECT_FALSE(Classement->AUnClassement(*e));
    EXPECT_FALSE(TBigIniFile(cDonnees + "KX_Setup.ini").ValueExists("COUPS DE COEUR", a.cChemin));
}

TEST_F(ClassementTest, ABatchThatOnlyAddsIsNotAskedAndNothingToDoIsTold)
{
    const TEnrLV a = Photo("a.jpg");
    Ouvre(QString("[MOTS-CLES]\r\n%1=CHAT\r\n[LEGENDES]\r\n%1=Même\r\n").arg(a.cChemin).toUtf8(),
          QString("[%1]\r\nVoyages/Italie=\r\n").arg(a.cChemin).toUtf8());
    TChoixDonneesAppliquer Choix;
    Choix.lEffacerCriteres = Choix.lEffacerMotsCles = false;
    Choix.lDescription = false;
    const TParamsClassement p = ParamsDepuisChoix(Choix, true, true, "MER", QString::fromUtf8(" Même "), "");
    EXPECT_FALSE(p.lAppDes);
    TMessagesFactices Messages;
    Classement->AppliquerAuxImages({&a}, Coches({"Voyages/Italie/Rome"}), p, Messages);
    EXPECT_TRUE(Messages.Montres.isEmpty());
    EXPECT_EQ(Criteres(a), QStringList{"Voyages/Italie/Rome"});
    EXPECT_EQ(Sur("MOTS-CLES", a), "MER CHAT");
    EXPECT_TRUE(Classement->EstCoupDeCoeur(a));

    Classement->AppliquerAuxImages({}, Coches({}), p, Messages);
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, "Information");
    EXPECT_EQ(Messages.Montres[0].cTexte, QString::fromUtf8("Aucune image à traiter."));
}

// ---- The classification window's state -------------------------------------------------------

TEST_F(ClassementTest, BrowsingWithAutoSaveAndNoEditLeavesEveryFileAsItWas)
{
    const TEnrLV a = Photo("a.jpg"), b = Photo("b.jpg"), c = Photo("c.jpg");
    // Written by hand, LF line ends, an absent criterion and paths out of tree order, a keyword
    // text that the program would not write: none of it may be touched by browsing.
    Ouvre(QString("[MOTS-CLES]\n%1=mer  soleil\n[LEGENDES]\n%2=Rome\n").arg(a.cChemin, b.cChemin).toUtf8(),
          QString("[%1]\nAnimaux=\nVoyages/Grece=\nVoyages/Italie/Rome=\n[%2]\nVoyages=\n")
              .arg(a.cChemin, b.cChemin)
              .toUtf8());
    EcritFichier(cPhotos + "descript.ion", "a.jpg  Soir\n");
    const QByteArray Avant = Disque() + LitFichier(cPhotos + "descript.ion");
    const QDateTime Date = QFileInfo(cDonnees + "KX_BDD.ini").lastModified();
    TEditionClassement Edition(*Classement);
    QString cQuestion = "reste";
    for (const TEnrLV *e : {&a, &b, &c, &a}) {
        EXPECT_TRUE(Edition.AvantChangement(true, "x", cQuestion).Reussi());
        EXPECT_TRUE(cQuestion.isEmpty());
        Edition.Charger(*e);
        EXPECT_FALSE(Edition.Modifie());
    }
    EXPECT_EQ(Disque() + LitFichier(cPhotos + "descript.ion"), Avant);
    EXPECT_EQ(QFileInfo(cDonnees + "KX_BDD.ini").lastModified(), Date);

    // Saving the window's values unchanged writes nothing either, even asked to.
    TParamsClassement p = MotsCles("", true);
    p.lAppCDC = true;
    p.lAppLeg = true;
    p.cNouvLegende = "Rome";
    EXPECT_TRUE(Classement->AppliquerClassement(b, Coches({"Voyages"}), p).ClesModifiees.isEmpty());
    EXPECT_EQ(Disque() + LitFichier(cPhotos + "descript.ion"), Avant);
}

TEST_F(ClassementTest, TheWindowLoadsChecksAsTheTreeHasThemAndSavesOnlyAfterAChange)
{
    const TEnrLV a = Photo("a.jpg"), b = Photo("b.jpg");
    Ouvre(QString("[MOTS-CLES]\r\n%1=MER\r\n").arg(a.cChemin).toUtf8(),
          QString("[%1]\r\nVoyages/Grece/Athenes=\r\nAnimaux/Chats=\r\n").arg(a.cChemin).toUtf8());
    TEditionClassement Edition(*Classement);
    Edition.Charger(a);
    QStringList l;
    Edition.Coches().ListerCritCoches(l);
    EXPECT_EQ(l, QStringList({"Voyages", "Animaux/Chats"}));
    EXPECT_EQ(Edition.MotsCles(), "MER");

    // Changing image with changes and no auto-save asks the closing question.
    Edition.FixeMotsCles("MER PLAGE");
    EXPECT_TRUE(Edition.Modifie());
    QString cQuestion;
    EXPECT_TRUE(Edition.AvantChangement(false, "a.jpg", cQuestion).ClesModifiees.isEmpty());
    EXPECT_EQ(cQuestion, QString::fromUtf8("Sauvegarder les modifications apportées à 'a.jpg' ?"));
    EXPECT_EQ(Sur("MOTS-CLES", a), "MER");

    // With auto-save the change is saved; the path absent from the tree has shrunk.
    EXPECT_EQ(Edition.AvantChangement(true, "a.jpg", cQuestion).ClesModifiees, QStringList{a.cChemin});
    EXPECT_TRUE(cQuestion.isEmpty());
    EXPECT_EQ(Sur("MOTS-CLES", a), "MER PLAGE");
    EXPECT_EQ(Criteres(a), QStringList({"Voyages", "Animaux/Chats"}));
    EXPECT_FALSE(Edition.Modifie());

    Edition.Charger(b);
    Edition.BasculerCritere(*Arbo.NoeudDeChemin("Voyages/Italie/Rome"));
    Edition.FixeCoupDeCoeur(true);
    Edition.FixeLegende(" Au port ");
    Edition.FixeDescription("Matin");
    QStringList Legendes;
    EXPECT_TRUE(Edition.Sauvegarder(&Legendes).Reussi());
    EXPECT_EQ(Legendes, QStringList{"Au port"});
    EXPECT_EQ(Criteres(b), QStringList{"Voyages/Italie/Rome"});
    EXPECT_TRUE(Classement->EstCoupDeCoeur(b));
    EXPECT_EQ(Sur("LEGENDES", b), "Au port");
    EXPECT_EQ(LitFichier(cPhotos + "descript.ion"), "b.jpg Matin\r\n");
    EXPECT_EQ(Edition.HintLegende(), "<SG>Légende :</SG/>\r\n     ' Au port '");

    Edition.RAZ();
    EXPECT_EQ(Edition.HintLegende(), "Légende");
    EXPECT_EQ(Edition.HintDescription(), "Description");
    Edition.Sauvegarder();
    EXPECT_FALSE(Classement->AUnClassement(b));
    EXPECT_FALSE(QFile::exists(cPhotos + "descript.ion"));
}

TEST(ImageVoisine, WrapsAroundAtBothEnds)
{
    EXPECT_EQ(ImageVoisine(0, 5, -1), 4);
    EXPECT_EQ(ImageVoisine(4, 5, +1), 0);
    EXPECT_EQ(ImageVoisine(2, 5, +1), 3);
    EXPECT_EQ(ImageVoisine(0, 1, +1), 0);
    EXPECT_EQ(ImageVoisine(0, 0, +1), -1);
}

// ---- Display ---------------------------------------------------------------------------------

TEST(TexteLegende, QuotedOnOneLineOrCutIntoLines)
{
    EXPECT_EQ(TexteLegende("Légende", "  ", 40), "");
    EXPECT_EQ(TexteLegende("Légende", "Rome", -40), "<SG>Légende :</SG/>\r\n     'Rome'");
    EXPECT_EQ(TexteLegende("Légende", "Rome", 40), "<SG>Légende :</SG/>\r\n     'Rome'");
    const QString c100 = QString(40, u'a') + QString(40, u'b') + QString(20, u'c');
    EXPECT_EQ(TexteLegende("Description", c100, 40), "<SG>Description :</SG/>\r\n     '" + QString(40, u'a')
                                                         + "\r\n     " + QString(40, u'b') + "\r\n     "
                                                         + QString(20, u'c') + "'");
    // The cut falls at the last blank of the first width characters, even at their end.
    EXPECT_EQ(TexteLegende("L", "un deux trois", 7), "<SG>L :</SG/>\r\n     'un\r\n     deux\r\n     trois'");
}

TEST_F(ClassementTest, TheHintBlockShowsItsHeaderOnceBeforeWhatIsPresent)
{
    const TEnrLV a = Photo("a.jpg"), b = Photo("b.jpg"), c = Photo("c.jpg");
    Ouvre(QString("[LEGENDES]\r\n%1=Rome\r\n%2=Port\r\n[MOTS-CLES]\r\n%2=MER SOLEIL\r\n[COUPS DE COEUR]\r\n%2=\r\n")
              .arg(a.cChemin, b.cChemin)
              .toUtf8(),
          QString("[%1]\r\nVoyages/Italie/Venise=\r\nVoyages/Italie/Rome=\r\nanimaux=\r\n").arg(b.cChemin).toUtf8());
    EcritFichier(cPhotos + "descript.ion", "a.jpg Le soir\r\n");
    EXPECT_EQ(Classement->BlocHintClassement(a), "\r\n<PG>CRITERES</PG/>"
                                                 "\r\n<SG>Légende :</SG/>\r\n     'Rome'"
                                                 "\r\n<SG>Description :</SG/>\r\n     'Le soir'");
    EXPECT_EQ(Classement->BlocHintClassement(c), "");
    Parametres.lTrierArboCritHier = true;
    EXPECT_EQ(Classement->BlocHintClassement(b), "\r\n<PG>CRITERES</PG/>"
                                                 "\r\nanimaux\r\nVoyages\r\n     Italie\r\n          Rome"
                                                 "\r\n          Venise"
                                                 "\r\nMots-clés :\r\n     MER SOLEIL"
                                                 "\r\n<SG>Coup de coeur</SG/>"
                                                 "\r\n<SG>Légende :</SG/>\r\n     'Port'");
    Parametres.lHintAffCRIT = false;
    EXPECT_EQ(Classement->BlocHintClassement(b), "");
}

TEST_F(ClassementTest, TheImageTreeShowsEveryPartWithItsIcons)
{
    TEnrLV e = Photo("a.jpg");
    Ouvre(QString("[MOTS-CLES]\r\n%1=MER SOLEIL\r\n[COUPS DE COEUR]\r\n%1=\r\n[LEGENDES]\r\n%1=Une longue legende\r\n")
              .arg(e.cChemin)
              .toUtf8(),
          QString("[%1]\r\nVoyages/Italie/Rome=\r\nAnimaux/Chats=\r\nVoyages/Grece=\r\n").arg(e.cChemin).toUtf8());
    EcritFichier(cPhotos + "descript.ion", "a.jpg Au bord de l'eau\r\n");
    e.lEXIF = true;
    e.cAppareil = "Canon EOS 300D";
    e.cISO = "200";
    e.cTitre = "Titre IPTC";
    e.cMotsClesIPTC = QString("UN") + cSepIPTC + "DEUX";
    e.CalculeGroupes();
    Parametres.cOrdreEXIF = "AfvdpIoc";

    using N = TNoeudClassement;
    const QList<N> Arbre = Classement->AfficherClassement(e);
    const QList<N> Attendu = {
        N{"Voyages", 0, 1, true, {N{"Italie", 0, 1, true, {N{"Rome", 0, 1, true, {}}}}, N{"Grece", 0, 1, true, {}}}},
        N{"Animaux", 0, 1, true, {N{"Chats", 39, 39, true, {}}}},
        N{"Mots-clés", 4, 5, true, {N{"MER", 6, 7, true, {}}, N{"SOLEIL", 6, 7, true, {}}}},
        N{"Coup de coeur", 8, 9, true, {}},
        N{"'Une longue legende'", 10, 11, true, {}},
        N{"Description :", 12, 13, true, {N{"Au bord de l'eau", 6, 7, true, {}}}},
        N{"EXIF", 14, 15, true, {N{"Canon EOS 300D", 16, 17, true, {}}, N{"200", 26, 27, true, {}}}},
        N{"IPTC",
          34,
          34,
          true,
          {N{"Légende", 35, 36, false, {N{"Titre : Titre IPTC", 37, 38, false, {}}}},
           N{"Mots-clés :", 35, 36, false, {N{"UN", 37, 38, false, {}}, N{"DEUX", 37, 38, false, {}}}}}},
    };
    ASSERT_EQ(Arbre.size(), Attendu.size());
    for (qsizetype i = 0; i < Arbre.size(); ++i)
        EXPECT_EQ(Arbre[i], Attendu[i]) << i;

    // A legend cut into lines under its own node; sorted criteria; no description when not
    // handled.
    Parametres.nAffLegMaxCarLig = 10;
    Parametres.lTrierArboCritHier = true;
    Parametres.lTrtDescription = false;
    const QList<N> Autre = Classement->AfficherClassement(e);
    EXPECT_EQ(Autre[0].cTexte, "Animaux");
    EXPECT_EQ(Autre[1].Enfants[0].cTexte, "Grece");
    EXPECT_EQ(Autre[4], (N{"Légende :",
                           10,
                           11,
                           true,
                           {N{"Une", 6, 7, true, {}}, N{"longue", 6, 7, true, {}}, N{"legende", 6, 7, true, {}}}}));
    EXPECT_EQ(Autre[5].cTexte, "EXIF");
    EXPECT_TRUE(Classement->AfficherClassement(Photo("vide.jpg")).isEmpty());
}

TEST_F(ClassementTest, AHandEditedPathOfManyLevelsIsShownFewLevelsDeep)
{
    const TEnrLV e = Photo("a.jpg");
    QStringList Niveaux;
    for (int i = 0; i < 100000; ++i)
        Niveaux << QString::number(i % 10);
    Ouvre({}, QString("[%1]\r\nVoyages/Italie=\r\n%2=\r\n").arg(e.cChemin, Niveaux.join(u'/')).toUtf8());
    const QList<TNoeudClassement> Arbre = Classement->AfficherClassement(e);
    ASSERT_EQ(Arbre.size(), 2);
    const TNoeudClassement *n = &Arbre[1];
    int nProfondeur = 1;
    while (!n->Enfants.isEmpty()) {
        ASSERT_EQ(n->Enfants.size(), 1);
        n = &n->Enfants[0];
        ++nProfondeur;
    }
    EXPECT_EQ(nProfondeur, 64);
    EXPECT_EQ(n->cTexte, Niveaux.mid(63).join(u'/'));

    const QStringList Lignes = Classement->BlocHintClassement(e).split("\r\n");
    ASSERT_EQ(Lignes.size(), 1 + 1 + 2 + 64);
    EXPECT_EQ(Lignes.last(), QString(63 * 5, u' ') + QString::fromUtf8("…"));
}

TEST_F(ClassementTest, ChecksTakenFromAViewCountAsAChangeOnlyWhenTheyDiffer)
{
    const TEnrLV a = Photo("a.jpg");
    Ouvre({}, QString("[%1]\r\nAnimaux/Chats=\r\n").arg(a.cChemin).toUtf8());
    TEditionClassement Edition(*Classement);
    Edition.Charger(a);
    Edition.FixeCoches(Coches({"Animaux/Chats"}));
    EXPECT_FALSE(Edition.Modifie());
    Edition.FixeCoches(Coches({"Animaux/Chats", "Voyages/Italie"}));
    EXPECT_TRUE(Edition.Modifie());
    Edition.Sauvegarder();
    EXPECT_EQ(Criteres(a), QStringList({"Voyages/Italie", "Animaux/Chats"}));
}

TEST_F(ClassementTest, TheLegendListHoldsEachLegendOnceSortedWithoutBlanks)
{
    Ouvre("[LEGENDES]\r\n/a.jpg=plage\r\n/b.jpg=Été\r\n/c.jpg=Mer\r\n/d.jpg=PLAGE\r\n/e.jpg=   \r\n/f.jpg= Mer \r\n");
    EXPECT_EQ(ListeLegendes(*Setup), QStringList({"Été", "Mer", "plage"}));
}
