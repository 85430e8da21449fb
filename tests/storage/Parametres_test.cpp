#include "storage/Parametres.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Parametres;

namespace
{

QString Texte(const QList<TElementOrdre> &l)
{
    QStringList t;
    for (const TElementOrdre &e : l)
        t.append((e.lCoche ? QStringLiteral("+") : QStringLiteral("-")) + e.cTexte);
    return t.join(QLatin1Char(' '));
}

} // namespace

TEST(Parametres, ItemsOfTheGeneralTree)
{
    const QList<TElementGeneral> &l = ElementsGeneral();
    ASSERT_EQ(l.size(), nNbElementsGeneral);
    EXPECT_EQ(l[29].cTexte, QStringLiteral("Traiter les .THM (copies, suppressions, datations et renomages)"));
    EXPECT_EQ(l[30].cTexte, QStringLiteral("Traiter les .WAV (copies, suppressions, datations et renomages)"));
    EXPECT_EQ(l[36].cTexte, QStringLiteral("Option 'Lire avec Vimbrel' dans le gestionnaire de fichiers"));
    // Groups never check: their icon stays whatever is done to them.
    TEtatParametres e = EtatDepuis(TEnrParametres{}, false);
    for (int i : {0, 1, 10, 13, 15, 18, 22, 27, 32}) {
        EXPECT_TRUE(l[i].lGroupe) << i;
        EXPECT_FALSE(e.Bascule(i));
        EXPECT_EQ(e.Icone(i), nIconeGroupe);
    }
    EXPECT_EQ(e.Icone(17), nIconeCoche); // lOrientationAuto is on by default
    EXPECT_TRUE(e.Bascule(17));
    EXPECT_EQ(e.Icone(17), nIconeDecoche);
    EXPECT_FALSE(e.Bascule(nNbElementsGeneral));
}

TEST(Parametres, RoundTripKeepsEveryEditedSetting)
{
    TEnrParametres Enr;
    Enr.lHintAffAlbWHP = true;
    Enr.lTrtDescription = true;
    Enr.lMsgConfQuitAppli = true;
    Enr.lModeMAJ = false;
    Enr.nAffLegMaxCarLig = 57;
    Enr.nVigCoulFond = 3;
    Enr.nIndTailleVigs = 9;
    Enr.vfGene_lActive = true;
    Enr.vfGene_nMaxLH = 800;
    Enr.vfGene_nQuelleImg = 3;
    Enr.cOrdreCol = QStringLiteral("dTrE");
    Enr.cOrdreEXIF = QStringLiteral("aFVDPIOc");
    const TEtatParametres e = EtatDepuis(Enr, true);
    EXPECT_TRUE(e.Coche(5));
    EXPECT_TRUE(e.Coche(31));
    EXPECT_FALSE(e.Coche(33));
    EXPECT_TRUE(e.Coche(nElementVerbeDossier));
    TEnrParametres Relu;
    RelitDans(e, Relu);
    EXPECT_EQ(Relu.lHintAffAlbWHP, true);
    EXPECT_EQ(Relu.lTrtDescription, true);
    EXPECT_EQ(Relu.lMsgConfQuitAppli, true);
    EXPECT_EQ(Relu.lModeMAJ, false);
    EXPECT_EQ(Relu.nAffLegMaxCarLig, 57);
    EXPECT_EQ(Relu.nVigCoulFond, 3);
    EXPECT_EQ(Relu.nIndTailleVigs, 9);
    EXPECT_TRUE(Relu.vfGene_lActive);
    EXPECT_EQ(Relu.vfGene_nMaxLH, 800);
    EXPECT_EQ(Relu.vfGene_nQuelleImg, 3);
    EXPECT_EQ(Relu.cOrdreCol, QStringLiteral("dTrE"));
    EXPECT_EQ(Relu.cOrdreEXIF, QStringLiteral("aFVDPIOc"));
    // What the window does not edit is not put back over a newer value.
    Relu.nLeft_Main = 123;
    RelitDans(e, Relu);
    EXPECT_EQ(Relu.nLeft_Main, 123);
}

TEST(Parametres, LegendLimitSignFollowsItsItem)
{
    TEnrParametres Enr;
    Enr.nAffLegMaxCarLig = 40;
    TEtatParametres e = EtatDepuis(Enr, false);
    ASSERT_TRUE(e.Coche(nElementLegMax));
    e.Bascule(nElementLegMax);
    RelitDans(e, Enr);
    EXPECT_EQ(Enr.nAffLegMaxCarLig, -40);
    e = EtatDepuis(Enr, false);
    EXPECT_FALSE(e.Coche(nElementLegMax));
    EXPECT_EQ(e.nLegMax, 40);
    e.Bascule(nElementLegMax);
    RelitDans(e, Enr);
    EXPECT_EQ(Enr.nAffLegMaxCarLig, 40);
}

TEST(Parametres, BadStoredValuesShowClampedOrDefault)
{
    TEnrParametres Enr;
    Enr.nAffLegMaxCarLig = 5;
    EXPECT_EQ(EtatDepuis(Enr, false).nLegMax, nLegMaxMin);
    Enr.nAffLegMaxCarLig = -900;
    TEtatParametres e = EtatDepuis(Enr, false);
    EXPECT_EQ(e.nLegMax, nLegMaxMax);
    EXPECT_FALSE(e.Coche(nElementLegMax));
    Enr.nAffLegMaxCarLig = 0;
    EXPECT_EQ(EtatDepuis(Enr, false).nLegMax, nLegMaxDefaut);
    Enr.nIndTailleVigs = 42;
    Enr.nIndLargMaxSvgTtesVig = -1;
    Enr.nVigCoulPan = 99;
    Enr.vfGene_nMaxLH = 10;
    Enr.vfGene_nQuelleImg = 7;
    Enr.cOrdreEXIF = QStringLiteral("AFZ");
    Enr.cOrdreCol = QStringLiteral("EERT");
    e = EtatDepuis(Enr, false);
    const TEnrParametres d;
    EXPECT_EQ(e.P.nIndTailleVigs, d.nIndTailleVigs);
    EXPECT_EQ(e.P.nIndLargMaxSvgTtesVig, d.nIndLargMaxSvgTtesVig);
    EXPECT_EQ(e.P.nVigCoulPan, d.nVigCoulPan);
    EXPECT_EQ(e.P.vfGene_nMaxLH, nVFMaxLHMin);
    EXPECT_EQ(e.P.vfGene_nQuelleImg, d.vfGene_nQuelleImg);
    EXPECT_EQ(e.P.cOrdreEXIF, d.cOrdreEXIF);
    EXPECT_EQ(e.P.cOrdreCol, d.cOrdreCol);
}

TEST(Parametres, OrderCodec)
{
    // "Nom" first and checked; lower case unchecked; letters left out come last, unchecked.
    EXPECT_EQ(Texte(DecodeOrdre(TListeOrdre::Colonnes, QStringLiteral("eRTD"))),
              QStringLiteral("+Nom -Emplacement +Résol. +Taille +Date"));
    EXPECT_EQ(Texte(DecodeOrdre(TListeOrdre::IPTC, QStringLiteral("Om"))),
              QStringLiteral("+Origine -Mots-clés -Légende -Catégorie -Crédits"));
    // The treatments are always checked and always written in upper case.
    QList<TElementOrdre> Trt = DecodeOrdre(TListeOrdre::Traitements, QStringLiteral("xRMNCT"));
    EXPECT_EQ(EncodeOrdre(TListeOrdre::Traitements, Trt), QStringLiteral("XRMNCT"));
    MetCocheOrdre(TListeOrdre::Traitements, Trt, 2, false);
    EXPECT_TRUE(Trt[2].lCoche);

    QList<TElementOrdre> Col = DecodeOrdre(TListeOrdre::Colonnes, QStringLiteral("eRTD"));
    // "Nom" neither moves nor unchecks, and nothing goes above it.
    MetCocheOrdre(TListeOrdre::Colonnes, Col, 0, false);
    EXPECT_TRUE(Col[0].lCoche);
    EXPECT_FALSE(MonteePossible(TListeOrdre::Colonnes, 0, 5));
    EXPECT_FALSE(MonteePossible(TListeOrdre::Colonnes, 1, 5));
    EXPECT_FALSE(DescentePossible(TListeOrdre::Colonnes, 0, 5));
    EXPECT_EQ(Monte(TListeOrdre::Colonnes, Col, 1), 1);
    EXPECT_TRUE(DescentePossible(TListeOrdre::Colonnes, 3, 5));
    EXPECT_FALSE(DescentePossible(TListeOrdre::Colonnes, 4, 5));
    // "Date" above "Résol.", checks travelling with their items.
    MetCocheOrdre(TListeOrdre::Colonnes, Col, 3, false);
    EXPECT_EQ(Monte(TListeOrdre::Colonnes, Col, 4), 3);
    EXPECT_EQ(Monte(TListeOrdre::Colonnes, Col, 3), 2);
    EXPECT_EQ(EncodeOrdre(TListeOrdre::Colonnes, Col), QStringLiteral("eDRt"));
    // Other lists: up from the second item, down to the one before last.
    EXPECT_TRUE(MonteePossible(TListeOrdre::EXIF, 1, 8));
    EXPECT_FALSE(MonteePossible(TListeOrdre::EXIF, 0, 8));
    EXPECT_TRUE(DescentePossible(TListeOrdre::EXIF, 0, 8));
    EXPECT_FALSE(DescentePossible(TListeOrdre::EXIF, 7, 8));
    EXPECT_FALSE(MonteePossible(TListeOrdre::EXIF, -1, 8));
}

TEST(Parametres, CoefficientRows)
{
    const QList<TLigneCoeffFoc> l =
        LignesCoeffFoc({QStringLiteral("ZX=1.53"), QStringLiteral("AB=2"), QStringLiteral("MAUVAIS=abc"),
                        QStringLiteral("CD=1,6"), QStringLiteral("=3")});
    ASSERT_EQ(l.size(), 4);
    EXPECT_TRUE(l[0].lEntete);
    EXPECT_EQ(l[0].cAppareil, QStringLiteral("Appareil"));
    EXPECT_EQ(l[0].cCoeff, QStringLiteral("Coeff"));
    EXPECT_EQ(l[1].cAppareil + l[1].cCoeff, QStringLiteral("AB2,0"));
    EXPECT_EQ(l[2].cAppareil + l[2].cCoeff, QStringLiteral("CD1,6"));
    EXPECT_EQ(l[3].cAppareil + l[3].cCoeff, QStringLiteral("ZX1,5"));
    EXPECT_FALSE(l[3].lEntete);
    // No row, no header.
    EXPECT_TRUE(LignesCoeffFoc({QStringLiteral("X=?")}).isEmpty());
}

TEST(Parametres, DefaultThumbnailLook)
{
    TEnrParametres Enr;
    Enr.lVigPan3D = false;
    Enr.nVigCoulFond = Enr.nVigCoulPan = Enr.nVigCoulTxtPan = 1;
    ValeursDefautVignettes(Enr);
    EXPECT_TRUE(Enr.lVigPan3D);
    EXPECT_EQ(QList<int>({Enr.nVigCoulFond, Enr.nVigCoulPan, Enr.nVigCoulTxtPan}), QList<int>({29, 35, 30}));
    EXPECT_EQ(TextesTaillesVignettes().first(), QStringLiteral("60x60"));
    EXPECT_EQ(TextesTaillesVignettes().last(), QStringLiteral("300x300"));
}

TEST(Parametres, DataFolderRefusedWhateverItsSpelling)
{
    QTemporaryDir Temp;
    TEmplacementsConfig E;
    E.cFichierUtilisateur = Temp.filePath(QStringLiteral("conf/Vimbrel.conf"));
    E.cFichierMachine = Temp.filePath(QStringLiteral("etc/Vimbrel.conf"));
    TDossiers D;
    D.cDossierDonnees = Temp.filePath(QStringLiteral("donnees")) + QLatin1Char('/');
    D.cDossierProgramme = Temp.filePath(QStringLiteral("prog")) + QLatin1Char('/');
    ASSERT_TRUE(QDir().mkpath(D.cDossierDonnees + QStringLiteral("sous")));
    ASSERT_TRUE(QDir().mkpath(D.cDossierProgramme));
    ASSERT_TRUE(QFile::link(Temp.filePath(QStringLiteral("donnees")), Temp.filePath(QStringLiteral("lien"))));
    const auto Etat = [&](const QString &c) {
        return EtatDossierDonnees(E, D, c, TSystemeDonnees::MonoUtilisateur, 0);
    };
    for (const QString &c : {D.cDossierDonnees, Temp.filePath(QStringLiteral("donnees")), D.cDossierDonnees + "/",
                             Temp.filePath(QStringLiteral("lien")), Temp.filePath(QStringLiteral("lien/")),
                             Temp.filePath(QStringLiteral("donnees/sous")), D.cDossierProgramme}) {
        const TEtatDossierDonnees e = Etat(c);
        EXPECT_FALSE(e.lActif) << c.toStdString();
        EXPECT_FALSE(e.cTexte.isEmpty()) << c.toStdString();
    }
    EXPECT_TRUE(Etat(Temp.filePath(QStringLiteral("donnees/sous"))).cTexte.contains(QStringLiteral("à l'intérieur")));
    const TEtatDossierDonnees Bon = Etat(Temp.filePath(QStringLiteral("ailleurs")));
    EXPECT_TRUE(Bon.lActif);
    EXPECT_EQ(Bon.cTexte, ExplicationDeplacement(TSystemeDonnees::MonoUtilisateur, 0));
}

TEST(Parametres, ChangesAfterOkInOrder)
{
    TEnrParametres Av, Ap;
    // Nothing changed: only the refreshes that always run.
    EXPECT_EQ(ChangementsApresOK({Av, Ap}),
              QList<TChangement>({TChangement::BulleRecherche, TChangement::BoutonsTraitements}));
    Ap.lOrientationAuto = !Av.lOrientationAuto;
    Ap.cOrdreCol = QStringLiteral("eDRT");
    Ap.nAffLegMaxCarLig = -Av.nAffLegMaxCarLig;
    Ap.lCoeffFocDansTable = !Av.lCoeffFocDansTable;
    Ap.nVigCoulFond = 1;
    QList<TChangement> l = ChangementsApresOK({Av, Ap, false, true, false});
    EXPECT_EQ(l, QList<TChangement>({TChangement::Orientation, TChangement::BulleRecherche, TChangement::VerbeDossier,
                                     TChangement::AspectVignettes, TChangement::Colonnes, TChangement::BullesImages,
                                     TChangement::BoutonsTraitements}));
    // The coefficient notice only with images listed; the fills only when switched on.
    l = ChangementsApresOK({Av, Ap, false, false, true});
    EXPECT_EQ(l.last(), TChangement::AvisCoeffFoc);
    Av.lPreRemplCBLeg = true;
    Ap.lPreRemplCBLeg = false;
    EXPECT_FALSE(ChangementsApresOK({Av, Ap}).contains(TChangement::RemplitLegendes));
    EXPECT_TRUE(ChangementsApresOK({Ap, Av}).contains(TChangement::RemplitLegendes));
}
