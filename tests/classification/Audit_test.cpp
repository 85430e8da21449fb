#include "classification/Audit.h"
#include "classification/ArboCriteres.h"
#include "classification/IndexClassement.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
// The report's text, one paragraph a line (bullets left out), as a reader sees it.
QStringList Lignes(const QList<TParagrapheRTF> &Paragraphes)
{
    QStringList l;
    for (const TParagrapheRTF &p : Paragraphes) {
        QString c;
        for (const TSegmentRTF &s : p.lstSegments)
            c += s.sTexte;
        l << c;
    }
    return l;
}

const TParagrapheRTF *Paragraphe(const QList<TParagrapheRTF> &Paragraphes, const QString &cTexte)
{
    for (const TParagrapheRTF &p : Paragraphes)
        if (!p.lstSegments.isEmpty() && p.lstSegments.first().sTexte == cTexte)
            return &p;
    return nullptr;
}

TOptionsAudit Aucune()
{
    TOptionsAudit o;
    o.lGalCritHier = o.lGalMCPres = o.lGalCritEnr = o.lGalMCEnr = false;
    o.Rubriques.fill(false);
    o.lAffTrt = o.lAffCrit = o.lAffEXIF = o.lAffIPTC = o.lAffAlbImg = o.lAffAlbWHP = false;
    return o;
}

TSelectionsAudit SansFiltre(const QList<QPair<TRubriqueAudit, QStringList>> &Groupes)
{
    TSelectionsAudit s;
    for (const auto &g : Groupes)
        s[g.first] = {g.second, g.second};
    return s;
}

// The two stores in memory, the index over them, and a source drawing on them.
struct AuditTest : ::testing::Test
{
    QTemporaryDir Temp;
    TBigIniFile iniBDD{QString(), true};
    TBigIniFile iniSetup{QString()};
    std::unique_ptr<TIndexClassement> Index;
    std::unique_ptr<TDonneesAuditStores> Donnees;
    TSourceAudit Source;

    void SetUp() override
    {
        iniBDD.lAutoSave = false;
        iniSetup.lAutoSave = false;
        Index = std::make_unique<TIndexClassement>(iniBDD, iniSetup);
        Donnees = std::make_unique<TDonneesAuditStores>(iniBDD, iniSetup, *Index, Temp.filePath("vignettes/"));
        Source.cDossierDonnees = QStringLiteral("/données/{Vimbrel}");
        Source.fnImagesGroupe = [this](TRubriqueAudit r, const QString &g) { return Donnees->ImagesGroupe(r, g); };
        Source.fnLabelCD = [this](qint32 n) { return Donnees->LabelCD(n); };
        Source.fnDetails = [this](const TEnrNomImg &e, const TOptionsAudit &o) { return Donnees->Details(e, o); };
    }
    void Noeuds(const QStringList &Chemins)
    {
        for (const QString &c : Chemins)
            Source.Criteres << TNoeudAudit{c.section('/', -1), int(c.count('/')), c};
    }
    QList<TParagrapheRTF> Compose(const TOptionsAudit &o, const TSelectionsAudit &s, bool *plComplet = nullptr)
    {
        QList<TParagrapheRTF> p;
        const bool l = ComposeAudit(Source, o, s, p);
        if (plComplet)
            *plComplet = l;
        return p;
    }
};
} // namespace

TEST(AuditOptions, GenerationNeedsASectionOrARubric)
{
    TOptionsAudit o = Aucune();
    o.lAffCrit = o.lAffEXIF = true; // details alone make no report
    EXPECT_FALSE(o.PeutGenerer());
    EXPECT_FALSE(o.UneRubrique());
    o.Rubriques[size_t(TRubriqueAudit::Appareil)] = true;
    EXPECT_TRUE(o.PeutGenerer());
    EXPECT_TRUE(o.UneRubrique());
    o = Aucune();
    o.lGalMCEnr = true;
    EXPECT_TRUE(o.PeutGenerer());
    EXPECT_FALSE(o.UneRubrique());
}

TEST_F(AuditTest, SavedKeywordSetsAloneGiveTitleLocationAndOneSection)
{
    TOptionsAudit o = Aucune();
    o.lGalMCEnr = true;
    Source.MotsClesEnregistres = {QStringLiteral("MER PLAGE"), QStringLiteral("NEIGE")};
    Source.MotsClesPresents = {QStringLiteral("ignoré")};
    const QList<TParagrapheRTF> p = Compose(o, {});
    EXPECT_EQ(Lignes(p), (QStringList{"", "Audit de la base de données.", "", "Emplacement :", "/données/{Vimbrel}", "",
                                      "1) Mots-clés enregistrés.", "", "MER PLAGE", "NEIGE"}));
    const TParagrapheRTF &Titre = p[1];
    EXPECT_EQ(Titre.nAlignement, TAlignementRTF::Centre);
    EXPECT_EQ(Titre.lstSegments[0].rTaille, 24);
    EXPECT_TRUE(Titre.lstSegments[0].lGras && Titre.lstSegments[0].lSouligne);
    EXPECT_EQ(p[2].nAlignement, TAlignementRTF::Gauche);
    EXPECT_TRUE(p[3].lstSegments[0].lGras);
    EXPECT_FALSE(p[4].lstSegments[0].lGras);
    const TParagrapheRTF &Section = p[6];
    EXPECT_EQ(Section.lstSegments[0].rTaille, 16);
    EXPECT_TRUE(Section.lstSegments[0].lGras && Section.lstSegments[0].lSouligne);
    EXPECT_FALSE(Section.lPuce);
    EXPECT_TRUE(p[8].lPuce && p[9].lPuce);
    EXPECT_EQ(p[8].nRetraitGauche, 200); // 10 points
    EXPECT_EQ(p[8].lstSegments[0].rTaille, 8);
}

TEST_F(AuditTest, HeadingsAreNumberedThroughTheReportAndWithinTheirSection)
{
    TOptionsAudit o = Aucune();
    o.lGalCritHier = o.lGalMCPres = o.lGalCritEnr = o.lGalMCEnr = true;
    Noeuds({"Lieux", "Lieux/Mer", "Lieux/Mer/Plage", "Gens"});
    Source.RecherchesEnregistrees = {QStringLiteral("UN"), QStringLiteral("DEUX")};
    Source.fnRechercheEnregistree = [](const QString &) { return TDemandeRecherche{}; };
    const QList<TParagrapheRTF> p = Compose(o, {});
    const QStringList l = Lignes(p);
    for (const char *c : {"1) Critères hiérarchiques.", "2) Mots-clés présents.", "3) Critères enregistrés.", "1) UN",
                          "2) DEUX", "4) Mots-clés enregistrés."})
        EXPECT_TRUE(l.contains(QString::fromUtf8(c))) << c;
    EXPECT_LT(l.indexOf("1) UN"), l.indexOf("4) Mots-clés enregistrés."));
    // The tree: one tab per level, 10 points, 16 points of indent.
    const int n = int(l.indexOf("Lieux"));
    ASSERT_GE(n, 0);
    EXPECT_EQ(l.mid(n, 4), (QStringList{"Lieux", "\tMer", "\t\tPlage", "Gens"}));
    EXPECT_EQ(p[n].lstSegments[0].rTaille, 10);
    EXPECT_EQ(p[n].nRetraitPremiereLigne, 320);
    const TParagrapheRTF *Niveau2 = Paragraphe(p, "2) DEUX");
    ASSERT_TRUE(Niveau2);
    EXPECT_EQ(Niveau2->lstSegments[0].rTaille, 12);
    EXPECT_EQ(Niveau2->nRetraitPremiereLigne, 320);
}

TEST_F(AuditTest, SavedSearchPrintsOnlyWhatItHolds)
{
    TOptionsAudit o = Aucune();
    o.lGalCritEnr = true;
    Source.lTrierArboCritHier = true;
    Source.RecherchesEnregistrees = {QStringLiteral("CRIT"), QStringLiteral("TOUT")};
    Source.fnRechercheEnregistree = [](const QString &cNom) {
        TDemandeRecherche d;
        d.CritCoches = {QStringLiteral("b/x"), QStringLiteral("A/y")};
        if (cNom == "TOUT") {
            d.cMotsCles = QStringLiteral("mer");
            d.lCoupsDeCoeur = true;
            d.cLegende = QStringLiteral("*été*");
            d.cDescription = QStringLiteral("desc");
        }
        return d;
    };
    const QStringList l = Lignes(Compose(o, {}));
    const QStringList Crit = l.mid(l.indexOf("1) CRIT"), l.indexOf("2) TOUT") - l.indexOf("1) CRIT"));
    EXPECT_EQ(Crit.mid(2), (QStringList{"Critères hiérarchiques :", "A", "\ty", "b", "\tx", ""}));
    const QStringList Tout = l.mid(l.indexOf("2) TOUT"));
    EXPECT_TRUE(Tout.contains("Mots-clés :") && Tout.contains("mer"));
    EXPECT_TRUE(Tout.contains("Coups de Coeur :") && Tout.contains("Oui"));
    EXPECT_TRUE(Tout.contains("Légende :") && Tout.contains("*été*"));
    EXPECT_FALSE(Tout.contains("Description :")); // descriptions not handled
}

TEST_F(AuditTest, CriterionRubricListsAnImageUnderItsOwnPathOnly)
{
    Noeuds({"A", "A/B", "C"});
    iniBDD.WriteString("/p/enfant.jpg", "A/B", "");
    iniBDD.WriteString("/p/parent.jpg", "A", "");
    iniBDD.WriteString("/p/autre.jpg", "C", "");
    TOptionsAudit o = Aucune();
    o.Rubriques[size_t(TRubriqueAudit::Critere)] = true;
    TSelectionsAudit s = SansFiltre({{TRubriqueAudit::Critere, {"A", "C"}}});
    QStringList l = Lignes(Compose(o, s));
    const QStringList Attendu{"A :", "", "1) /p/parent.jpg 0 Oct", "", "A/B :", "", "1) /p/enfant.jpg 0 Oct", "",
                              "C :", "", "1) /p/autre.jpg 0 Oct"};
    EXPECT_EQ(l.mid(l.indexOf("1) Images par critère hiérarchique.") + 3), Attendu);

    // Deselecting A drops its whole subtree; the filter is then active.
    s[TRubriqueAudit::Critere].Selection = {"C"};
    EXPECT_TRUE(s.FiltreActif());
    l = Lignes(Compose(o, s));
    EXPECT_FALSE(l.contains("A :"));
    EXPECT_FALSE(l.contains("A/B :"));
    EXPECT_TRUE(l.contains("C :"));
}

TEST_F(AuditTest, GroupsWithoutImagesPrintNothing)
{
    iniSetup.WriteString(cSectionNegatif, "/p/neg.jpg", "1");
    TOptionsAudit o = Aucune();
    o.Rubriques[size_t(TRubriqueAudit::Traitement)] = true;
    o.Rubriques[size_t(TRubriqueAudit::AlbumImages)] = true;
    const TSelectionsAudit s = SansFiltre(
        {{TRubriqueAudit::Traitement, Donnees->GroupesTraitements()}, {TRubriqueAudit::AlbumImages, {"Vide"}}});
    const QStringList l = Lignes(Compose(o, s));
    EXPECT_EQ(l.mid(l.indexOf("1) Images par traitement.")),
              (QStringList{"1) Images par traitement.", "", "", "NEGATIF :", "", "1) /p/neg.jpg 0 Oct", "",
                           "2) Images par Album d'image.", ""}));
}

TEST_F(AuditTest, KeywordGroupsIgnoreCaseAndListEachImageOnce)
{
    iniSetup.WriteString(cSectionMotsCles, "/p/a.jpg", "Mer plage");
    iniSetup.WriteString(cSectionMotsCles, "/p/b.jpg", "MER");
    iniSetup.WriteString(cSectionMotsCles, "/p/c.jpg", "mer MER");
    iniSetup.WriteString(cSectionMotsCles, "/p/d.jpg", "mers");
    EXPECT_EQ(Donnees->ImagesGroupe(TRubriqueAudit::MotCle, "mer"), (QStringList{"/p/a.jpg", "/p/b.jpg", "/p/c.jpg"}));
    EXPECT_EQ(Donnees->GroupesMotsCles().size(), 3);
    // A change reaches the next question.
    iniSetup.DeleteKey(cSectionMotsCles, "/p/b.jpg");
    EXPECT_EQ(Donnees->ImagesGroupe(TRubriqueAudit::MotCle, "MER"), (QStringList{"/p/a.jpg", "/p/c.jpg"}));
}

TEST_F(AuditTest, ImagesAreOrderedOffCdFirstAndCdImagesShowTheirDisc)
{
    const qint32 nCD = qint32(0x8a3f0001);
    iniSetup.WriteString(cSectionLabelsCD, IdVolume(quint32(nCD)), "");
    const qint32 nCD2 = 0x00020003;
    iniSetup.WriteString(cSectionLabelsCD, IdVolume(quint32(nCD2)), "Été");
    iniSetup.WriteString(cSectionTaillesVignettes, CleImage(nCD, "/DCIM/b.jpg"), "2048");
    for (const QString &c :
         {CleImage(nCD, "/DCIM/b.jpg"), CleImage(nCD2, "/z.jpg"), QString("/p/Z.jpg"), QString("/p/a.jpg")})
        iniSetup.WriteString(cSectionMotsCles, c, "mer");
    TOptionsAudit o = Aucune();
    o.Rubriques[size_t(TRubriqueAudit::MotCle)] = true;
    const QStringList l = Lignes(Compose(o, SansFiltre({{TRubriqueAudit::MotCle, {"mer"}}})));
    const QStringList Entrees = l.filter(QRegularExpression("^\\d\\) (?!Images)"));
    EXPECT_EQ(Entrees, (QStringList{"1) /p/a.jpg 0 Oct", "2) /p/Z.jpg 0 Oct", "3) 2-3 - \"Été\" : /z.jpg 0 Oct",
                                    "4) 8a3f-1 - \"\" : /DCIM/b.jpg 2,00 Ko"}));
}

TEST_F(AuditTest, EntryShowsSizeDateAndTheCheckedDetails)
{
    const QString cFichier = Temp.filePath("photo {1}.jpg");
    {
        QFile f(cFichier);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1500, 'x'));
        f.flush();
        ASSERT_TRUE(f.setFileTime(QDateTime(QDate(2004, 12, 25), QTime(14, 5, 9)), QFileDevice::FileModificationTime));
    }
    const QString cLegende = QStringLiteral("{a} \\b\tc é€œ’ 日本 😀");
    iniBDD.WriteString(cFichier, "Lieux/Mer", "");
    iniBDD.WriteString(cFichier, "Gens", "");
    iniSetup.WriteString(cSectionLegendes, cFichier, cLegende);
    iniSetup.WriteString(cSectionCoupsDeCoeur, cFichier, "");
    Noeuds({"Gens", "Lieux", "Lieux/Mer"});
    Source.fnDetails = [this](const TEnrNomImg &e, const TOptionsAudit &o) {
        TDetailsImageAudit d = Donnees->Details(e, o);
        d.cEXIF = QStringLiteral("\r\nAppareil : X\r\nISO : 100");
        d.cTraitements = QStringLiteral("\r\nNégatif");
        return d;
    };
    TOptionsAudit o = Aucune();
    o.Rubriques[size_t(TRubriqueAudit::Critere)] = true;
    o.lAffCrit = o.lAffEXIF = true;
    const QList<TParagrapheRTF> p = Compose(o, SansFiltre({{TRubriqueAudit::Critere, {"Gens"}}}));
    const QStringList l = Lignes(p);
    const int n = int(l.indexOf("Gens :"));
    ASSERT_GE(n, 0);
    EXPECT_EQ(l.mid(n + 2), (QStringList{"1) " + cFichier + " 1,46 Ko le 25/12/2004 14:05:09",
                                         "Critères hiérarchiques :", "Lieux", "\tMer", "Gens", "Coup de Coeur :", "Oui",
                                         "Légende :", cLegende, "EXIF :", "Appareil : X", "ISO : 100"}));
    const TParagrapheRTF &Entree = p[n + 2];
    EXPECT_TRUE(Entree.lstSegments[0].lGras);
    EXPECT_EQ(Entree.nRetraitPremiereLigne, 640);
    const TParagrapheRTF &Etiquette = p[n + 3];
    EXPECT_TRUE(Etiquette.lstSegments[0].lSouligne);
    EXPECT_FALSE(Etiquette.lstSegments[0].lGras);
    EXPECT_EQ(p[n + 4].nRetraitPremiereLigne, 960);
}

TEST_F(AuditTest, InterruptionEndsTheReportThere)
{
    for (int i = 0; i < 5; ++i)
        iniSetup.WriteString(cSectionRotations, QStringLiteral("/p/%1.jpg").arg(i), "1");
    int nVus = 0;
    Source.fnAvance = [&](int n) { nVus = n; };
    Source.fnInterrompre = [&] { return nVus == 2; };
    TOptionsAudit o = Aucune();
    o.Rubriques[size_t(TRubriqueAudit::Traitement)] = true;
    o.Rubriques[size_t(TRubriqueAudit::MotCle)] = true;
    bool lComplet = true;
    const QStringList l = Lignes(Compose(o, SansFiltre({{TRubriqueAudit::Traitement, {"ROTATIONS"}}}), &lComplet));
    EXPECT_FALSE(lComplet);
    EXPECT_EQ(l.last(), "Audit interrompu.");
    EXPECT_EQ(l.filter(QRegularExpression("^\\d\\) /p/")).size(), 2);
    EXPECT_FALSE(l.contains("2) Images par mot-clé."));
}

TEST_F(AuditTest, AnImageListedInSeveralGroupsShowsTheSameDetailsAskedOnce)
{
    for (const QString &c : {QStringLiteral("/p/a.jpg"), QStringLiteral("/p/b.jpg")}) {
        iniSetup.WriteString(cSectionRotations, c, "1");
        iniSetup.WriteString(cSectionMotsCles, c, "mer");
    }
    iniSetup.WriteString(cSectionNegatif, "/p/a.jpg", "1");
    iniSetup.WriteString(cSectionLegendes, "/p/a.jpg", "Plage");
    iniBDD.WriteString("/p/a.jpg", "Lieux/Mer", "");
    iniBDD.WriteString("/p/b.jpg", "Lieux", "");
    QHash<QString, int> Demandes;
    Source.fnDetails = [&](const TEnrNomImg &e, const TOptionsAudit &o) {
        ++Demandes[e.cCle];
        TDetailsImageAudit d = Donnees->Details(e, o);
        d.cTraitements = e.cCle.endsWith("a.jpg") ? QStringLiteral("\r\nRotation\r\nNégatif") : QString();
        return d;
    };
    TOptionsAudit o = Aucune();
    o.Rubriques[size_t(TRubriqueAudit::Traitement)] = o.Rubriques[size_t(TRubriqueAudit::MotCle)] = true;
    o.lAffTrt = o.lAffCrit = true;
    const QList<TParagrapheRTF> p = Compose(o, SansFiltre({{TRubriqueAudit::Traitement, Donnees->GroupesTraitements()},
                                                           {TRubriqueAudit::MotCle, {"mer"}}}));
    EXPECT_EQ(Demandes.value("/p/a.jpg"), 1);
    EXPECT_EQ(Demandes.value("/p/b.jpg"), 1);
    // Each listing of a: its entry numbered within its group, then the same paragraphs.
    const QStringList l = Lignes(p);
    const QStringList Details{"Traitements :", "Rotation", "Négatif",     "Critères hiérarchiques :",
                              "Lieux",         "\tMer",    "Mots-clés :", "mer",
                              "Légende :",     "Plage"};
    QList<qsizetype> Listages;
    for (qsizetype i = 0; i < l.size(); ++i)
        if (l[i].endsWith(") /p/a.jpg 0 Oct"))
            Listages << i;
    ASSERT_EQ(Listages.size(), 3); // rotations, negative, keyword
    EXPECT_EQ(l[Listages[0]], "1) /p/a.jpg 0 Oct");
    EXPECT_EQ(l[Listages[1]], "1) /p/a.jpg 0 Oct");
    for (qsizetype n : Listages) {
        EXPECT_EQ(l.mid(n + 1, Details.size()), Details);
        for (qsizetype j = 0; j < Details.size(); ++j) {
            const TParagrapheRTF &q = p[n + 1 + j], &r = p[Listages[0] + 1 + j];
            EXPECT_EQ(q.nRetraitPremiereLigne, r.nRetraitPremiereLigne);
            EXPECT_EQ(q.lstSegments[0].lSouligne, r.lstSegments[0].lSouligne);
        }
    }
    // b, without treatments, is listed after a in the keyword group with its own details only.
    const qsizetype nB = l.lastIndexOf("2) /p/b.jpg 0 Oct");
    ASSERT_GT(nB, Listages[2]);
    EXPECT_EQ(l.mid(nB + 1), (QStringList{"Critères hiérarchiques :", "Lieux", "Mots-clés :", "mer"}));
    // The empty line before an entry sits at the indent left by the entry before it.
    EXPECT_EQ(p[nB - 1].nRetraitPremiereLigne, 960);
}

TEST_F(AuditTest, EntryCriteriaAreSummedUpAsTheCriteriaSummaryDoes)
{
    // Blanks around parts, a shared beginning, a part holding a line break, an empty first part.
    const QStringList Chemins{"/Racine", " Lieux / Mer ", "Lieux/Mer/Plage", "Lieux/Mont", "Gens\r\nAmis/Paul", "Gens"};
    for (const QString &c : Chemins)
        iniBDD.WriteString("/p/a.jpg", c, "");
    iniSetup.WriteString(cSectionMotsCles, "/p/a.jpg", "mer");
    iniSetup.WriteString(cSectionRotations, "/p/a.jpg", "1");
    Noeuds({"Lieux", "Lieux/Mer"});
    TOptionsAudit o = Aucune();
    o.lGalCritHier = true;
    o.Rubriques[size_t(TRubriqueAudit::Traitement)] = o.Rubriques[size_t(TRubriqueAudit::MotCle)] = true;
    o.lAffCrit = true;
    const QList<TParagrapheRTF> p =
        Compose(o, SansFiltre({{TRubriqueAudit::Traitement, {"ROTATIONS"}}, {TRubriqueAudit::MotCle, {"mer"}}}));
    QStringList Cles;
    iniBDD.ReadSection("/p/a.jpg", Cles);
    ASSERT_EQ(Cles, Chemins);
    // The block as a value in one text: it loses a leading CR LF and is cut at the others.
    QString cAttendu = ResumeCritCoches(Cles, true);
    if (cAttendu.startsWith("\r\n"))
        cAttendu.remove(0, 2);
    const QStringList Attendu = cAttendu.split("\r\n");
    const QStringList l = Lignes(p);
    qsizetype n = l.indexOf("Critères hiérarchiques :");
    ASSERT_GE(n, 0);
    EXPECT_EQ(l.mid(n + 1, Attendu.size()), Attendu);
    n = l.indexOf("Critères hiérarchiques :", n + 1);
    ASSERT_GE(n, 0);
    EXPECT_EQ(l.mid(n + 1, Attendu.size()), Attendu);
    // One text in two looks: the tree's 10-point "Lieux" and the entry's 8-point one.
    const qsizetype nArbre = l.indexOf("Lieux");
    ASSERT_LT(nArbre, n);
    EXPECT_EQ(p[nArbre].lstSegments[0].rTaille, 10);
    EXPECT_EQ(p[l.indexOf("Lieux", n)].lstSegments[0].rTaille, 8);
}

TEST_F(AuditTest, KeysMadeAfreshForEachGroupFindTheirOwnImage)
{
    // Each group's keys are new texts, freed after the group: one image's key coming back,
    // then another's, may take the very place the first one had (in builds whose allocator
    // reuses freed memory at once, that is without the address sanitizer).
    Source.fnImagesGroupe = [](TRubriqueAudit, const QString &g) {
        return QStringList{QString::fromUtf8(g == "MIROIRS" ? "/p/b.jpg" : "/p/a.jpg")};
    };
    TOptionsAudit o = Aucune();
    o.Rubriques[size_t(TRubriqueAudit::Traitement)] = true;
    const QStringList l =
        Lignes(Compose(o, SansFiltre({{TRubriqueAudit::Traitement, {"ROTATIONS", "NEGATIF", "MIROIRS", "CANAUX"}}})));
    EXPECT_EQ(l.filter(QRegularExpression("^([A-Z]+ :|1\\) /p/)")),
              (QStringList{"ROTATIONS :", "1) /p/a.jpg 0 Oct", "NEGATIF :", "1) /p/a.jpg 0 Oct",
                           "MIROIRS :", "1) /p/b.jpg 0 Oct", "CANAUX :", "1) /p/a.jpg 0 Oct"}));

    // Keys borrowing one buffer that each group rewrites: same place, same length, new text.
    std::u16string Tampon;
    Source.fnImagesGroupe = [&Tampon](TRubriqueAudit, const QString &g) {
        Tampon = g == "MIROIRS" ? u"/p/b.jpg" : u"/p/a.jpg";
        return QStringList{
            QString::fromRawData(reinterpret_cast<const QChar *>(Tampon.data()), qsizetype(Tampon.size()))};
    };
    const QStringList l2 =
        Lignes(Compose(o, SansFiltre({{TRubriqueAudit::Traitement, {"ROTATIONS", "NEGATIF", "MIROIRS", "CANAUX"}}})));
    const QRegularExpression Titres("^([A-Z]+ :|1\\) /p/)");
    EXPECT_EQ(l2.filter(Titres), l.filter(Titres));
}

TEST(AuditAppareils, ModelsDifferingByCaseFormOneGroupOfAllTheirImages)
{
    TBigIniFile iniSetup{QString()};
    iniSetup.lAutoSave = false;
    iniSetup.WriteString(cSectionEXIF, "/a.jpg", "Canon|50|1/60|2,8|01/01/2004|100|1||");
    iniSetup.WriteString(cSectionEXIF, "/b.jpg", "CANON|50|1/60|2,8|01/01/2004|100|1||");
    iniSetup.WriteString(cSectionEXIF, "/c.jpg", "Nikon|35|1/60|2,8|01/01/2004|100|1||");
    iniSetup.WriteString(cSectionEXIF, "/seul.jpg", "Seul"); // one item: no model
    QStringList Lus;
    const auto fnModele = [&](const QString &cCle) -> std::optional<QString> {
        Lus << cCle;
        if (cCle == "/d.jpg")
            return QStringLiteral("canon");
        if (cCle == "/vide.jpg")
            return QString();
        return std::nullopt;
    };
    const TTableAppareils t = ConstruitTableAppareils(
        {"/a.jpg", "/b.jpg", "/c.jpg", "/seul.jpg", "/d.jpg", "/vide.jpg", "/absent.jpg"}, iniSetup, fnModele);
    EXPECT_EQ(Lus, (QStringList{"/d.jpg", "/vide.jpg", "/absent.jpg"})); // records are not read again
    EXPECT_EQ(t.Modeles, (QStringList{"", "Canon", "Nikon"}));
    EXPECT_EQ(t.Images("Canon"), (QStringList{"/a.jpg", "/b.jpg", "/d.jpg"}));
    EXPECT_EQ(t.Images("CANON"), t.Images("Canon"));
    EXPECT_EQ(t.Images(""), QStringList{"/vide.jpg"});
}

TEST(AuditTri, NamesSortOnTheirUpperCaseWhateverTheirAlphabet)
{
    // Upper-cased by code: "_" comes after the letters, "ß" reads as "SS", accented letters
    // after ASCII; names equal but for case keep their order.
    QList<TEnrNomImg> l;
    for (const char *c : {"/p/b.jpg", "/p/_x.jpg", "/p/A.jpg", "/p/é.jpg", "/p/a.jpg", "/p/ß.jpg", "/p/f.jpg"})
        l << EnrNomImg(QString::fromUtf8(c), {});
    TrieNomsImg(l);
    QStringList Ordre;
    for (const TEnrNomImg &e : std::as_const(l))
        Ordre << e.cAffiche;
    EXPECT_EQ(Ordre, (QStringList{"/p/A.jpg", "/p/a.jpg", "/p/b.jpg", "/p/f.jpg", QString::fromUtf8("/p/ß.jpg"),
                                  "/p/_x.jpg", QString::fromUtf8("/p/é.jpg")}));
}

TEST(AuditTri, EntryDatesReadAsEverywhereElseInTheProgram)
{
    // The entry writes its date itself: the common French date and time, for any year.
    const TEnrNomImg Enr = EnrNomImg(QStringLiteral("/p/a.jpg"), {});
    for (const QDateTime &dt :
         {QDateTime(QDate(2004, 12, 25), QTime(14, 5, 9)), QDateTime(QDate(2001, 1, 2), QTime(3, 4, 5)),
          QDateTime(QDate(1000, 10, 31), QTime(23, 59, 59)), QDateTime(QDate(9999, 7, 1), QTime(0, 0, 0)),
          QDateTime(QDate(999, 3, 4), QTime(12, 0, 0)), QDateTime(QDate(12345, 6, 7), QTime(8, 9, 10))})
        EXPECT_EQ(LigneImageAudit(7, Enr, 1536, dt), "7) /p/a.jpg 1,50 Ko le " + FrenchFormats::DateHeure(dt));
    EXPECT_EQ(LigneImageAudit(12, Enr, 10, QDateTime()), "12) /p/a.jpg 10 Oct");
}

TEST(AuditRedacteur, LinesKeepTheirTextAndLookWhateverTheirStorage)
{
    TRedacteurAudit R;
    QStringList Attendu;
    // Texts made and freed one after the other, their storage soon given again.
    for (int i = 0; i < 3000; ++i) {
        const QString c = QStringLiteral("ligne %1").arg(i % 700);
        R.Ligne(c);
        Attendu << c;
    }
    // One string changed in place between its lines, then shown in another look.
    QString c = QStringLiteral("avant");
    c.reserve(64);
    R.Ligne(c);
    c[0] = u'A';
    R.Ligne(c);
    R.lGras = true;
    R.Ligne(c);
    R.lGras = false;
    Attendu << "avant"
            << "Avant"
            << "Avant";
    // A borrowed buffer rewritten between its lines.
    char16_t Tampon[] = u"xyz";
    const QString cEmprunt = QString::fromRawData(reinterpret_cast<const QChar *>(Tampon), 3);
    R.Ligne(cEmprunt);
    Tampon[0] = u'w';
    R.Ligne(cEmprunt);
    Attendu << "xyz"
            << "wyz";
    QStringList Lu;
    for (const TParagrapheRTF &p : std::as_const(R.Paragraphes))
        Lu << p.lstSegments.value(0).sTexte;
    EXPECT_EQ(Lu, Attendu);
    const qsizetype n = R.Paragraphes.size();
    EXPECT_FALSE(R.Paragraphes[n - 4].lstSegments[0].lGras);
    EXPECT_TRUE(R.Paragraphes[n - 3].lstSegments[0].lGras);
}

TEST(AuditTri, SortKeysUpperCaseEveryLatinLetterAsTheFullMappingDoes)
{
    // Each character of Latin-1 and a few beyond, alone in a name: the order of the names is
    // the order of their upper-cased texts.
    QList<TEnrNomImg> l;
    QStringList Cles;
    for (char16_t u = 0x20; u < 0x180; ++u) {
        const QString c = QStringLiteral("/p/") + QChar(u) + QStringLiteral(".jpg");
        l << EnrNomImg(c, {});
        Cles << c;
    }
    std::stable_sort(Cles.begin(), Cles.end(),
                     [](const QString &a, const QString &b) { return a.toUpper() < b.toUpper(); });
    TrieNomsImg(l);
    QStringList Ordre;
    for (const TEnrNomImg &e : std::as_const(l))
        Ordre << e.cAffiche;
    EXPECT_EQ(Ordre, Cles);
}
