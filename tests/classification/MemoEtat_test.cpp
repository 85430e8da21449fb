#include "classification/ArboCriteres.h"
#include "classification/Classement.h"
#include "classification/MemoEtat.h"
#include "metadata/DonneesMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/Descriptions.h"
#include "storage/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
struct MemoEtatTest : ::testing::Test
{
    QTemporaryDir Temp;
    TEnrParametres Parametres;
    std::unique_ptr<TBigIniFile> Setup, BDD;
    std::unique_ptr<TDescriptions> Descriptions;
    TArboCriteres Arbo;
    std::unique_ptr<TClassement> Classement;
    TEnrLV Photo;

    void SetUp() override
    {
        const QString cDonnees = Temp.path() + "/";
        Photo.cChemin = Temp.path() + "/photos/a.jpg";
        QFile f(cDonnees + "KX_Setup.ini");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(("[MOTS-CLES]\r\n" + Photo.cChemin + "=mer plage\r\n").toUtf8());
        f.close();
        Setup = std::make_unique<TBigIniFile>(cDonnees + "KX_Setup.ini");
        BDD = std::make_unique<TBigIniFile>(cDonnees + "KX_BDD.ini", true);
        Setup->lAutoSave = BDD->lAutoSave = false;
        Descriptions = std::make_unique<TDescriptions>(*Setup);
        Classement = std::make_unique<TClassement>(*Setup, *BDD, *Descriptions, Arbo, Parametres);
    }
};
} // namespace

TEST_F(MemoEtatTest, WithoutDescriptionsTheTabsFromTheFourthOnShowTheNextContent)
{
    EXPECT_EQ(OngletsMemoEtat(true).size(), 8);
    const QStringList Sans = OngletsMemoEtat(false);
    ASSERT_EQ(Sans.size(), 7);
    EXPECT_FALSE(Sans.contains("Description"));
    // The third tab is still the legend, the fourth the EXIF summary; every tab's content has
    // the tab's own caption.
    EXPECT_EQ(ContenuOngletMemoEtat(2, false), nMemoLegende);
    EXPECT_EQ(ContenuOngletMemoEtat(3, false), nMemoEXIF);
    EXPECT_EQ(ContenuOngletMemoEtat(3, true), nMemoDescription);
    for (bool lDescription : {false, true}) {
        const QStringList Onglets = OngletsMemoEtat(lDescription);
        for (int i = 0; i < Onglets.size(); ++i)
            EXPECT_EQ(TitreContenuMemoEtat(ContenuOngletMemoEtat(i, lDescription)), Onglets[i]) << i;
    }
    EXPECT_EQ(ContenuOngletMemoEtat(99, true), nMemoMotsClesIPTC);
}

TEST_F(MemoEtatTest, ContentsColoursAndHints)
{
    const TMemoEtat Nom = RemplitMemoEtat(&Photo, nMemoNom, *Classement);
    EXPECT_EQ(Nom.cTexte, Photo.cChemin);
    EXPECT_EQ(Nom.Couleur, QColor(Qt::black));

    const TMemoEtat MotsCles = RemplitMemoEtat(&Photo, nMemoMotsCles, *Classement);
    EXPECT_EQ(MotsCles.cTexte, "mer plage");
    EXPECT_EQ(MotsCles.Couleur, QColor(Qt::blue));
    EXPECT_TRUE(MotsCles.cBulle.startsWith("<SG>Mots-clés")) << MotsCles.cBulle.toStdString();
    EXPECT_TRUE(MotsCles.cBulle.contains("mer plage"));

    // No legend: the caption in bold, then " (vide)".
    const TMemoEtat Legende = RemplitMemoEtat(&Photo, nMemoLegende, *Classement);
    EXPECT_TRUE(Legende.cTexte.isEmpty());
    EXPECT_EQ(Legende.cBulle, "<SG>Légende</SG/> (vide)");

    Photo.cMotsClesIPTC = QStringLiteral("un") + cSepIPTC + QStringLiteral("deux");
    const TMemoEtat Iptc = RemplitMemoEtat(&Photo, nMemoMotsClesIPTC, *Classement);
    EXPECT_EQ(Iptc.cTexte, "un deux");
    EXPECT_EQ(Iptc.Couleur, QColor(0, 128, 128));

    Photo.cAppareil = "Canon EOS D60";
    Photo.cFocale = "28";
    const TMemoEtat Exif = RemplitMemoEtat(&Photo, nMemoEXIF, *Classement);
    EXPECT_EQ(Exif.cTexte, "Canon EOS D60 • 28 mm");
    EXPECT_EQ(Exif.Couleur, QColor(0, 128, 0));

    // Without a current image, nothing at all.
    const TMemoEtat Vide = RemplitMemoEtat(nullptr, nMemoLegende, *Classement);
    EXPECT_TRUE(Vide.cTexte.isEmpty());
    EXPECT_TRUE(Vide.cBulle.isEmpty());
}
