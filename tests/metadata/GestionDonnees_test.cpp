#include "metadata/GestionDonnees.h"

#include "imaging/JpegCodec.h"
#include "metadata/LectureMeta.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"
#include "storage/Sections.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace
{
QByteArray Lit(const QString &c)
{
    QFile f(c);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class GestionDonnees : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        Images = Tmp.path() + "/photos/";
        QDir().mkpath(Images);
        iniSetup = std::make_unique<TBigIniFile>(Tmp.path() + "/KX_Setup.ini");
        iniSetup->lAutoSave = false;
        iniBDD = std::make_unique<TBigIniFile>(Tmp.path() + "/KX_BDD.ini", true);
        iniBDD->lAutoSave = false;
        Descriptions = std::make_unique<TDescriptions>(*iniSetup);
        TVolume Racine;
        Racine.cPointMontage = "/";
        Racine.cSysteme = "ext4";
        Volumes.Ajoute(Racine);
    }

    TStoresGestion Stores() { return {*iniSetup, *iniBDD, *Descriptions, &Volumes}; }

    // A JPEG image of the folder, listed as the image list would give it.
    TImageGestion Jpeg(const QString &cNom)
    {
        QImage Image(8, 8, QImage::Format_RGB32);
        Image.fill(Qt::red);
        const QString c = Images + cNom;
        QFile f(c);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(JpegCodec::EncodeMemoire(Image));
        f.close();
        return Image_(cNom);
    }

    TImageGestion Image_(const QString &cNom)
    {
        TImageGestion Im;
        Im.cChemin = Images + cNom;
        Im.cCle = Im.cChemin;
        Im.cFichier = QFile::exists(Im.cChemin) ? Im.cChemin : QString();
        if (!Im.cFichier.isEmpty())
            LireIPTC(Im.cFichier, Im.Iptc);
        return Im;
    }

    static TImageGestion ImageCD(const QString &cChemin)
    {
        TImageGestion Im;
        Im.nNumCD = 0x1234;
        Im.cChemin = cChemin;
        Im.cCle = "<4660>" + cChemin;
        return Im;
    }

    static TParamsGestion Copie(TSourceGestion n, int nDest, const QString &cConstante = {})
    {
        TParamsGestion P;
        P.nSource = n;
        P.nDestinations = nDest;
        P.cConstante = cConstante;
        return P;
    }

    QTemporaryDir Tmp;
    QString Images;
    std::unique_ptr<TBigIniFile> iniSetup, iniBDD;
    std::unique_ptr<TDescriptions> Descriptions;
    TVolumesFactices Volumes;
};
}

TEST(GestionDonneesRegles, TraiterNeedsAnImageAndSomethingThatTheSourcePermits)
{
    TParamsGestion P;
    P.nSource = TSourceGestion::Constante;
    P.cConstante = "  ";
    P.nDestinations = nDonMotsCles;
    EXPECT_FALSE(TraitementPossible(P, 3));
    P.cConstante = "mer";
    EXPECT_TRUE(TraitementPossible(P, 3));
    EXPECT_FALSE(TraitementPossible(P, 0));
    // Keywords are not copied into themselves, nor criteria anywhere but the categories.
    P.nSource = TSourceGestion::MotsCles;
    EXPECT_FALSE(TraitementPossible(P, 1));
    P.nSource = TSourceGestion::CriteresHierarchiques;
    P.nDestinations = nDonLegende | nDonDescription | nDonLegendeIPTC;
    EXPECT_FALSE(TraitementPossible(P, 1));
    P.nDestinations |= nDonCategoriesIPTC;
    EXPECT_EQ(DonneesTouchees(P), nDonCategoriesIPTC);
    // Deleting ignores the copy's choices.
    P.lCopier = false;
    P.nSuppressions = 0;
    EXPECT_FALSE(TraitementPossible(P, 1));
    P.nSuppressions = nDonDescription;
    EXPECT_TRUE(TraitementPossible(P, 1));
}

TEST(GestionDonneesRegles, CopiedKeywordsDropWholeWordsAndKeepTheLastOfEqualOnes)
{
    bool lAvert = false;
    EXPECT_EQ(MotsClesCopies("mer plage mer", lAvert), "PLAGE MER");
    EXPECT_TRUE(lAvert);
    lAvert = false;
    EXPECT_EQ(MotsClesCopies("  r&b  a+b,c-d._e été x/y 42 ", lAvert), "R&B A+B,C-D._E 42");
    EXPECT_TRUE(lAvert);
    lAvert = false;
    EXPECT_EQ(MotsClesCopies("soleil plage", lAvert), "SOLEIL PLAGE");
    EXPECT_FALSE(lAvert);
}

TEST_F(GestionDonnees, ConstantIntoKeywordsSavesOnceAndWarns)
{
    QList<TImageGestion> L{Jpeg("a.jpg"), Image_("b.png")};
    auto S = Stores();
    const auto R = TraiteGestion(S, Copie(TSourceGestion::Constante, nDonMotsCles, " mer plage mer "), L);
    EXPECT_EQ(iniSetup->ReadString(cSectionMotsCles, L[0].cCle, "?"), "PLAGE MER");
    EXPECT_EQ(iniSetup->ReadString(cSectionMotsCles, L[1].cCle, "?"), "PLAGE MER");
    EXPECT_TRUE(L[0].lClassementChange && L[1].lClassementChange);
    EXPECT_EQ(TexteRapportGestion(R),
              "Certains Mots-clés n'ont pas été mis à jour correctement.\nTraitement terminé avec succès.");
    // Saved: a fresh reading of the store sees the keywords.
    TBigIniFile Relu(iniSetup->FileName());
    EXPECT_EQ(Relu.ReadString(cSectionMotsCles, L[0].cCle, "?"), "PLAGE MER");
}

TEST_F(GestionDonnees, CriteriaIntoCategoriesAndEmptySourcesFail)
{
    QList<TImageGestion> L{Jpeg("voyage.jpg"), Jpeg("sans.jpg")};
    iniBDD->WriteString(L[0].cCle, "Voyages/Italie", {});
    iniBDD->WriteString(L[0].cCle, "Famille", {});
    const QByteArray SansAvant = Lit(L[1].cFichier);
    auto S = Stores();
    int nRappels = 0;
    const auto R =
        TraiteGestion(S, Copie(TSourceGestion::CriteresHierarchiques, nDonCategoriesIPTC), L, [&](int) { ++nRappels; });
    EXPECT_EQ(nRappels, 2);
    EXPECT_EQ(L[0].Iptc.cCategorie, "Voyages Italie");
    EXPECT_EQ(L[0].Iptc.cCatSuppl, "Famille");
    EXPECT_TRUE(L[0].lFichierChange);
    EXPECT_EQ(L[0].nTaille, QFileInfo(L[0].cFichier).size());
    TDonneesIPTC Relu;
    LireIPTC(L[0].cFichier, Relu);
    EXPECT_EQ(Relu.cCategorie, "Voyages Italie");
    // The image without criteria is a failure and its file is not touched.
    EXPECT_TRUE(L[1].lEchec);
    EXPECT_EQ(Lit(L[1].cFichier), SansAvant);
    EXPECT_EQ(TexteRapportGestion(R), "1 image(s) traitée(s) sur 2.");

    // Then the IPTC keywords go into the catalogue's keywords and the categories into the
    // IPTC keywords, one per value.
    QList<TImageGestion> M{L[0]};
    TraiteGestion(S, Copie(TSourceGestion::CategoriesIPTC, nDonMotsClesIPTC), M);
    EXPECT_EQ(M[0].Iptc.cMotsClesIPTC, QString("Voyages Italie") + cSepIPTC + "Famille");
}

TEST_F(GestionDonnees, NonJpegCdAndDamagedFilesFailOnceEachWithTheirReason)
{
    const QString cPng = Images + "image.png";
    QImage(4, 4, QImage::Format_RGB32).save(cPng);
    {
        QList<TImageGestion> L{Image_("image.png")};
        const QByteArray Avant = Lit(cPng);
        auto S = Stores();
        TParamsGestion P;
        P.lCopier = false;
        P.nSuppressions = nDonMotsClesIPTC;
        const auto R = TraiteGestion(S, P, L);
        EXPECT_EQ(TexteRapportGestion(R), "0 image(s) traitée(s) sur 1.\n\nimage.png : pas une image JPEG");
        EXPECT_EQ(Lit(cPng), Avant);
    }
    // A CD image asked for a description and an IPTC legend fails once; the damaged file does
    // not stop the batch, the next one is written.
    TImageGestion Tronque = Jpeg("tronque.jpg");
    QFile::resize(Tronque.cFichier, 40);
    const QByteArray TronqueAvant = Lit(Tronque.cFichier);
    QList<TImageGestion> L{ImageCD("/dcim/cd.jpg"), Tronque, Jpeg("bon.jpg")};
    iniSetup->WriteString(cSectionLegendes, L[0].cCle, "Vacances");
    iniSetup->WriteString(cSectionLegendes, L[1].cCle, "Vacances");
    iniSetup->WriteString(cSectionLegendes, L[2].cCle, "Vacances");
    auto S = Stores();
    const auto R = TraiteGestion(S, Copie(TSourceGestion::Legende, nDonDescription | nDonLegendeIPTC), L);
    EXPECT_TRUE(L[0].lEchec);
    EXPECT_TRUE(L[1].lEchec);
    EXPECT_FALSE(L[2].lEchec);
    EXPECT_EQ(L[2].Iptc.cTexte, "Vacances");
    EXPECT_EQ(Lit(L[1].cFichier), TronqueAvant);
    EXPECT_EQ(TexteRapportGestion(R), "1 image(s) traitée(s) sur 3.\n\ncd.jpg : image sur un CD\n"
                                      "tronque.jpg : fichier tronqué");
    // Descriptions of the folder's images written in its one file, the CD's left alone.
    EXPECT_EQ(Descriptions->DescriptionImage(0, L[2].cChemin, nDescLecture), "Vacances");
    EXPECT_EQ(Descriptions->DescriptionImage(0, L[1].cChemin, nDescLecture), "Vacances");
    EXPECT_TRUE(iniSetup->ReadString(cSectionDescriptions, L[0].cCle, {}).isEmpty());
}

TEST_F(GestionDonnees, CommentLineBreaksBecomeBlanksAndDeletionRemovesKeys)
{
    QList<TImageGestion> L{Jpeg("c.jpg")};
    L[0].cCommentaireEXIF = "Première ligne\r\nseconde";
    auto S = Stores();
    TraiteGestion(S, Copie(TSourceGestion::CommentaireEXIF, nDonLegende | nDonLegendeIPTC), L);
    EXPECT_EQ(iniSetup->ReadString(cSectionLegendes, L[0].cCle, {}), "Première ligne seconde");
    EXPECT_EQ(L[0].Iptc.cTexte, "Première ligne seconde");

    iniSetup->WriteString(cSectionMotsCles, L[0].cCle, "MER");
    TParamsGestion P;
    P.lCopier = false;
    P.nSuppressions = nDonMotsCles | nDonLegende | nDonLegendeIPTC;
    const auto R = TraiteGestion(S, P, L);
    EXPECT_FALSE(iniSetup->ValueExists(cSectionMotsCles, L[0].cCle));
    EXPECT_FALSE(iniSetup->ValueExists(cSectionLegendes, L[0].cCle));
    EXPECT_TRUE(L[0].Iptc.cTexte.isEmpty());
    EXPECT_EQ(R.nEchecs, 0);
}

TEST_F(GestionDonnees, UnwritableSettingsAreReportedAndTheChangesKept)
{
    auto Bloque = std::make_unique<TBigIniFile>(Tmp.path() + "/absent/KX_Setup.ini");
    Bloque->lAutoSave = false;
    TDescriptions D(*Bloque);
    TStoresGestion S{*Bloque, *iniBDD, D, &Volumes};
    QList<TImageGestion> L{Jpeg("d.jpg")};
    const auto R = TraiteGestion(S, Copie(TSourceGestion::Constante, nDonLegende, "Plage"), L);
    EXPECT_TRUE(R.cErreurSauvegarde.startsWith("Impossible d'enregistrer « " + Bloque->FileName() + " » : "))
        << R.cErreurSauvegarde.toStdString();
    EXPECT_TRUE(TexteRapportGestion(R).endsWith(R.cErreurSauvegarde));
    EXPECT_EQ(Bloque->ReadString(cSectionLegendes, L[0].cCle, {}), "Plage");
}

TEST_F(GestionDonnees, AFolderActingAsACdIsNeverWritten)
{
    // The key says the image is not on a CD; the volumes layer knows better.
    const auto Volumes = CreeVolumes({Images.chopped(1) + "=1A2B:DISQUE"});
    TStoresGestion S{*iniSetup, *iniBDD, *Descriptions, Volumes.get()};
    QList<TImageGestion> L{Jpeg("sur_cd.jpg")};
    const QByteArray Avant = Lit(L[0].cFichier);
    const auto R = TraiteGestion(S, Copie(TSourceGestion::Constante, nDonLegendeIPTC, "Plage"), L);
    EXPECT_EQ(Lit(L[0].cFichier), Avant);
    EXPECT_EQ(TexteRapportGestion(R), "0 image(s) traitée(s) sur 1.\n\nsur_cd.jpg : image sur un CD");
}

TEST_F(GestionDonnees, ManyImagesAreWrittenByGroupsAndCarryWhatTheirFilesNowHold)
{
    // More images than one group holds, over two folders, one of them a JPEG by content only
    // whose name the IPTC reader does not take.
    QDir().mkpath(Images + "sous");
    QList<TImageGestion> L;
    for (int i = 0; i < 150; ++i)
        L << Jpeg(QStringLiteral("%1p%2.jpg").arg(i % 2 ? QString() : QStringLiteral("sous/")).arg(i));
    L << Jpeg("nom.dat");
    const QList<QByteArray> Avant = [&] {
        QList<QByteArray> l;
        for (const TImageGestion &Im : L)
            l << Lit(Im.cFichier);
        return l;
    }();
    auto S = Stores();
    const auto R =
        TraiteGestion(S, Copie(TSourceGestion::Constante, nDonMotsClesIPTC | nDonLegendeIPTC, "mer plage"), L);
    EXPECT_EQ(TexteRapportGestion(R), "Traitement terminé avec succès.");
    for (qsizetype i = 0; i < L.size(); ++i) {
        const TImageGestion &Im = L[i];
        SCOPED_TRACE(Im.cFichier.toStdString());
        EXPECT_TRUE(Im.lFichierChange);
        const QByteArray Apres = Lit(Im.cFichier);
        EXPECT_NE(Apres, Avant[i]);
        EXPECT_EQ(Im.nTaille, Apres.size());
        TDonneesIPTC Relu;
        LireIPTC(Im.cFichier, Relu);
        EXPECT_EQ(Im.Iptc, Relu);
    }
    EXPECT_EQ(L[0].Iptc.cTexte, "mer plage");
    EXPECT_EQ(L[0].Iptc.cMotsClesIPTC, "mer plage");
    EXPECT_TRUE(L.last().Iptc.cTexte.isEmpty());
    EXPECT_TRUE(QDir(Images).entryList({".*iptc-*"}, QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(QDir(Images + "sous").entryList({".*iptc-*"}, QDir::Files | QDir::Hidden).isEmpty());
}
