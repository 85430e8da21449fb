#include "publishing/FichiersAlbumWEB.h"
#include "publishing/OptionsAlbumWEB.h"
#include "storage/BigIniFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace
{
class OptionsAlbumWEB : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(Tmp.isValid()); }
    QString Fichier() const { return Tmp.path() + QStringLiteral("/parametres.ini"); }
    QTemporaryDir Tmp;
};
} // namespace

TEST_F(OptionsAlbumWEB, FirstUseGivesTheDefaultLook)
{
    const TBigIniFile Vide(Fichier());
    const TOptionsAlbumWEB O = LitOptionsAlbumWEB(Vide);
    EXPECT_EQ(O, TOptionsAlbumWEB());
    EXPECT_EQ(O.nAWContAlbum, caVignettesEtLiens);
    EXPECT_EQ(O.cAWAffPolice, QStringLiteral("Arial"));
    EXPECT_FALSE(O.TailleMax().has_value());
    // A black page with white text and border, silver picture rows, grey data rows.
    EXPECT_EQ(CouleurHTML(O.nAWCoulFondFenetre), QStringLiteral("000000"));
    EXPECT_EQ(CouleurHTML(O.nAWCoulPolice), QStringLiteral("ffffff"));
    EXPECT_EQ(CouleurHTML(O.nAWCoulCadre), QStringLiteral("ffffff"));
    EXPECT_EQ(CouleurHTML(O.nAWCoulFondVigImg), QStringLiteral("c0c0c0"));
    EXPECT_EQ(CouleurHTML(O.nAWCoulFondDonnees), QStringLiteral("808080"));
    EXPECT_TRUE(O.lAWAffNom && O.lAWAffCadre && O.lAWVisuResApresCreation);
    EXPECT_FALSE(O.lAWAffResol || O.lAWAffTaille || O.lAWAffDate || O.lAWAffLegende || O.lAWHierDansVoletRech);
}

TEST_F(OptionsAlbumWEB, KeptOptionsComeBackFromTheStoreFile)
{
    TOptionsAlbumWEB O;
    O.cAWDosParentAlbum = QStringLiteral("/home/u/Albums");
    O.nAWContAlbum = caFrames;
    O.nAWDispoVig = dvVignettesAGauche;
    O.cAWRedImgTailleMax = QStringLiteral("800");
    O.lAWAffNom = false;
    O.lAWAffResol = O.lAWAffTaille = O.lAWAffDate = O.lAWAffLegende = true;
    O.lAWTypeLegende = 3;
    O.cAWAffPolice = QStringLiteral("DejaVu Sans");
    O.lAWAffCadre = false;
    O.nAWCoulFondFenetre = 0x010203;
    O.nAWCoulPolice = 0x040506;
    O.nAWCoulCadre = 0x070809;
    O.nAWCoulFondVigImg = 0xFFFFFF;
    O.nAWCoulFondDonnees = 0x0A0B0C;
    O.lAWHierDansVoletRech = true;
    O.lAWVisuResApresCreation = false;
    {
        TBigIniFile P(Fichier());
        EcritOptionsAlbumWEB(P, O);
        ASSERT_TRUE(P.UpdateFile());
    }
    const TBigIniFile Relu(Fichier());
    EXPECT_EQ(LitOptionsAlbumWEB(Relu), O);
    EXPECT_EQ(Relu.ReadString(cSectionAlbumsWebGeneral, QStringLiteral("nAWCoulFondVigImg"), {}),
              QStringLiteral("16777215"));
}

TEST_F(OptionsAlbumWEB, DamagedValuesFallBackToDefaults)
{
    TBigIniFile P(Fichier());
    P.WriteInteger(cSectionAlbumsWebGeneral, QStringLiteral("nAWContAlbum"), 9);
    P.WriteInteger(cSectionAlbumsWebGeneral, QStringLiteral("nAWDispoVig"), -1);
    P.WriteInteger(cSectionAlbumsWebGeneral, QStringLiteral("lAWTypeLegende"), -3);
    P.WriteInteger(cSectionAlbumsWebGeneral, QStringLiteral("nAWCoulPolice"), -1);
    const TOptionsAlbumWEB O = LitOptionsAlbumWEB(P);
    EXPECT_EQ(O.nAWContAlbum, caVignettesEtLiens);
    EXPECT_EQ(O.nAWDispoVig, dvVignettesEnHaut);
    EXPECT_EQ(O.lAWTypeLegende, 0);
    EXPECT_EQ(CouleurHTML(O.nAWCoulPolice), QStringLiteral("ffffff"));
}

TEST(OptionsAlbumWEBRegles, OnlyAPositiveIntegerReduces)
{
    TOptionsAlbumWEB O;
    for (const char *c : {"<pas de réduction>", "", "800px", "0", "-5", "8.5", "huit cents"}) {
        O.cAWRedImgTailleMax = QString::fromUtf8(c);
        EXPECT_FALSE(O.TailleMax().has_value()) << c;
    }
    O.cAWRedImgTailleMax = QStringLiteral("800");
    EXPECT_EQ(O.TailleMax(), 800);
    O.cAWRedImgTailleMax = QStringLiteral(" 1200 ");
    EXPECT_EQ(O.TailleMax(), 1200);
}

TEST(OptionsAlbumWEBRegles, DataRowFollowsTheDataBoxesAndTheImageLegend)
{
    TOptionsAlbumWEB O;
    O.lAWAffNom = false;
    EXPECT_FALSE(O.AvecLigneDonnees());
    O.lAWAffLegende = true; // the legend goes under the image, not into a data row
    EXPECT_FALSE(O.AvecLigneDonnees());
    O.nAWContAlbum = caImagesSeules;
    EXPECT_TRUE(O.AvecLigneDonnees());
    O.lAWAffLegende = false;
    O.lAWAffDate = true;
    EXPECT_TRUE(O.AvecLigneDonnees());
}

TEST(OptionsAlbumWEBRegles, EachSourceNeedsItsData)
{
    TSourceDonneesAW S;
    EXPECT_FALSE(ErreurSourceAlbumWEB(S).isEmpty()); // no image list given
    S.nSource = saListeImages;
    EXPECT_TRUE(ErreurSourceAlbumWEB(S).isEmpty());
    for (const TSourceAlbumWEB n : {saHierPerso, saHierDossiers, saHierCritere}) {
        S.nSource = n;
        S.cArgument.clear();
        EXPECT_FALSE(ErreurSourceAlbumWEB(S).isEmpty()) << n;
        S.cArgument = QStringLiteral("Voyages/Italie");
        EXPECT_TRUE(ErreurSourceAlbumWEB(S).isEmpty()) << n;
        EXPECT_TRUE(EstHierarchique(n));
    }
    EXPECT_FALSE(EstHierarchique(saAlbumImages));
}
