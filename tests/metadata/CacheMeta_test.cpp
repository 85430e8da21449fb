#include "metadata/CacheMeta.h"
#include "metadata/Focale.h"
#include "metadata/LectureMeta.h"
#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
TDonneesEXIF ExifComplet()
{
    TDonneesEXIF e;
    e.lEXIF = true;
    e.cAppareil = "Canon EOS 300D";
    e.cFocale = "28";
    e.cFocaleReelle = "14";
    e.cVitesse = "1/125";
    e.cDiaphragme = "2,8";
    e.cDatePDV = "14/07/2005 18:30:05";
    e.cISO = "400";
    e.cOrientation = "6";
    e.cCommentaire = "Chambord";
    return e;
}
}

TEST(RecordsCache, DecoupageSelonLaRegleDesItems)
{
    EXPECT_EQ(DecoupeRecord("a|b|c|"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(DecoupeRecord("|||"), QStringList({"", "", ""}));
    EXPECT_EQ(DecoupeRecord("a| b |c"), QStringList({"a", "b ", "c"}));
    EXPECT_TRUE(DecoupeRecord("").isEmpty());
    EXPECT_EQ(FormeRecord({"x|y", "l1\r\nl2", ""}), QString::fromUtf8("x¦y|l1  l2||"));
}

TEST(RecordsCache, ExifEcritPuisRelu)
{
    QTemporaryDir Dossier;
    TBigIniFile ini(Dossier.filePath("KX_Setup.ini"));
    const QString cCle = "<-1975582719>/DCIM/100CANON/IMG_0001.JPG";
    QStringList Modeles{"Canon EOS 300D"};
    TDonneesEXIF e = ExifComplet();
    e.cCommentaire = "ligne 1\r\nligne | 2";
    EcrireEXIFCatalogue(ini, cCle, e, &Modeles);
    // The recorded focal length is cached, never the converted one.
    EXPECT_EQ(ini.ReadString("EXIF", cCle, ""),
              QString::fromUtf8("Canon EOS 300D|14|1/125|2,8|14/07/2005 18:30:05|400|6|ligne 1  ligne ¦ 2|"));
    EXPECT_EQ(Modeles.size(), 1);

    // The store read back from its file keeps one line and eight items.
    ASSERT_TRUE(ini.UpdateFile());
    TBigIniFile Relu(Dossier.filePath("KX_Setup.ini"));
    TDonneesEXIF r;
    LireEXIFCatalogue(Relu, cCle, r, TContexteFocale{});
    EXPECT_TRUE(r.lEXIF);
    EXPECT_EQ(r.cAppareil, "Canon EOS 300D");
    EXPECT_EQ(r.cFocale, "14");
    EXPECT_EQ(r.cFocaleReelle, "14");
    EXPECT_EQ(r.cOrientation, "6");
    EXPECT_EQ(r.cCommentaire, QString::fromUtf8("ligne 1  ligne ¦ 2"));
    EXPECT_FALSE(r.lFocEq);
    QStringList Cles;
    Relu.ReadSection("EXIF", Cles);
    EXPECT_EQ(Cles, QStringList{cCle});

    // Without EXIF nothing is written; a new model joins the list once.
    TDonneesEXIF Sans;
    EcrireEXIFCatalogue(ini, "/autre.jpg", Sans, &Modeles);
    EXPECT_FALSE(ini.ValueExists("EXIF", "/autre.jpg"));
    TDonneesEXIF Autre = ExifComplet();
    Autre.cAppareil = "E950";
    EcrireEXIFCatalogue(ini, "/autre.jpg", Autre, &Modeles);
    EcrireEXIFCatalogue(ini, "/autre2.jpg", Autre, &Modeles);
    EXPECT_EQ(Modeles, QStringList({"Canon EOS 300D", "E950"}));
    Autre.cAppareil = "  ";
    EXPECT_FALSE(AjouteModeleConnu(Modeles, Autre.cAppareil));
}

TEST(RecordsCache, NombreDItemsFauxCompteCommeAbsent)
{
    QTemporaryDir Dossier;
    TBigIniFile ini(Dossier.filePath("KX_Setup.ini"));
    ini.WriteString("EXIF", "/a.jpg", "Canon|14|1/125|2,8|x|400|6|");
    ini.WriteString("IPTC", "/a.jpg", "t|x|");
    TDonneesEXIF e = ExifComplet();
    LireEXIFCatalogue(ini, "/a.jpg", e, TContexteFocale{});
    EXPECT_FALSE(e.lEXIF);
    EXPECT_EQ(e.cOrientation, "1");
    TDonneesIPTC r;
    LireIPTCCatalogue(ini, "/a.jpg", r);
    EXPECT_FALSE(r.lIPTC);
}

TEST(RecordsCache, IptcEcritPuisReluAvecSesSeparateurs)
{
    QTemporaryDir Dossier;
    TBigIniFile ini(Dossier.filePath("KX_Setup.ini"));
    TDonneesIPTC r;
    r.cTexte = "Texte";
    r.cMotsClesIPTC = QString("mer") + QChar(1) + "plage";
    r.cOriVille = "Paris|Nord";
    r.CalculeGroupes();
    EcrireIPTCCatalogue(ini, "/x/img.JPG", r);
    EcrireIPTCCatalogue(ini, "/x/img.CRW", r);
    ASSERT_TRUE(ini.UpdateFile());
    TBigIniFile Relu(Dossier.filePath("KX_Setup.ini"));
    TDonneesIPTC l;
    LireIPTCCatalogue(Relu, "/x/img.JPG", l);
    EXPECT_TRUE(l.lIPTC && l.lIPTCLegende && l.lIPTCMotsCles && l.lIPTCOrigine);
    EXPECT_FALSE(l.lIPTCCategorie || l.lIPTCCredits);
    EXPECT_EQ(l.cMotsClesIPTC, r.cMotsClesIPTC);
    EXPECT_EQ(l.cOriVille, QString::fromUtf8("Paris¦Nord"));
    // Only JPEG images have IPTC data.
    TDonneesIPTC c;
    LireIPTCCatalogue(Relu, "/x/img.CRW", c);
    EXPECT_FALSE(c.lIPTC);
}

TEST(CoefficientsFocale, ApprisUneFoisPuisAppliques)
{
    QTemporaryDir Dossier;
    TBigIniFile ini(Dossier.filePath("KX_CFAPN.ini"));
    ApprendreCoeffFocale(&ini, "Nikon D70=x", "30", 48);
    EXPECT_EQ(ini.ReadString(cSectionCoeffFoc, "NIKON D70=X", ""), "1,6");
    // A second image of the same camera does not change it.
    ApprendreCoeffFocale(&ini, "Nikon D70=x", "50", 75);
    EXPECT_EQ(ini.ReadString(cSectionCoeffFoc, "NIKON D70=X", ""), "1,6");
    // Saved at once, the key with its "=" read back whole.
    TBigIniFile Relu(Dossier.filePath("KX_CFAPN.ini"));
    EXPECT_EQ(Relu.ReadString(cSectionCoeffFoc, "NIKON D70=X", ""), "1,6");
    // Whole coefficients are written without decimals; a focal of 0 teaches nothing.
    ApprendreCoeffFocale(&ini, "E4500", "7,5", 15);
    EXPECT_EQ(ini.ReadString(cSectionCoeffFoc, "E4500", ""), "2");
    ApprendreCoeffFocale(&ini, "ZERO", "0", 35);
    EXPECT_FALSE(ini.ValueExists(cSectionCoeffFoc, "ZERO"));

    QString f = "14";
    EXPECT_FALSE(ConvertirFocale(TContexteFocale{&ini, false}, "E4500", f));
    EXPECT_EQ(f, "14");
    EXPECT_TRUE(ConvertirFocale(TContexteFocale{&ini, true}, "e4500", f));
    EXPECT_EQ(f, "28");
    f = "30";
    EXPECT_TRUE(ConvertirFocale(TContexteFocale{&ini, true}, "Nikon D70=x", f));
    EXPECT_EQ(f, "48");
    ini.WriteString(cSectionCoeffFoc, "UN", "1");
    ini.WriteString(cSectionCoeffFoc, "FAUX", "abc");
    f = "30";
    EXPECT_FALSE(ConvertirFocale(TContexteFocale{&ini, true}, "UN", f));
    EXPECT_FALSE(ConvertirFocale(TContexteFocale{&ini, true}, "FAUX", f));
    EXPECT_FALSE(ConvertirFocale(TContexteFocale{&ini, true}, "INCONNU", f));
    EXPECT_EQ(f, "30");
}

TEST(CoefficientsFocale, LectureConvertitEtLeCacheGardeLaFocaleReelle)
{
    // The same reading as a listing: a camera whose coefficient is 2 and whose focal is 14
    // shows 28 mm, and its cached record keeps 14.
    QTemporaryDir Dossier;
    TBigIniFile iniCF(Dossier.filePath("KX_CFAPN.ini"));
    TBigIniFile iniSetup(Dossier.filePath("KX_Setup.ini"));
    iniCF.WriteString(cSectionCoeffFoc, "CAMERA XY", "2");
    TLectureEXIF l;
    l.lLu = true;
    l.lTIFF = true;
    l.Donnees.cAppareil = "Camera XY";
    l.Donnees.cFocale = "14";
    l.nFocale35 = 21;
    TDonneesEXIF e;
    TermineLectureEXIF(l, e, false, TContexteFocale{&iniCF, true});
    EXPECT_TRUE(e.lEXIF);
    EXPECT_TRUE(e.lFocEq);
    EXPECT_EQ(e.cFocale, "28");
    EXPECT_EQ(e.cFocaleReelle, "14");
    EXPECT_EQ(iniCF.ReadString(cSectionCoeffFoc, "CAMERA XY", ""), "2"); // already known: kept
    EcrireEXIFCatalogue(iniSetup, "/img.jpg", e);
    EXPECT_EQ(DecoupeRecord(iniSetup.ReadString("EXIF", "/img.jpg", "")).value(1), "14");
    TDonneesEXIF c;
    LireEXIFCatalogue(iniSetup, "/img.jpg", c, TContexteFocale{&iniCF, true});
    EXPECT_EQ(c.cFocale, "28");
    EXPECT_EQ(c.cFocaleReelle, "14");
    EXPECT_TRUE(c.lFocEq);

    // A first image of a new camera learns and converts in the same reading.
    l.Donnees.cAppareil = "Neuve";
    l.Donnees.cFocale = "30";
    l.nFocale35 = 48;
    TermineLectureEXIF(l, e, false, TContexteFocale{&iniCF, true});
    EXPECT_EQ(iniCF.ReadString(cSectionCoeffFoc, "NEUVE", ""), "1,6");
    EXPECT_EQ(e.cFocale, "48");
    // Reading the model only learns nothing.
    l.Donnees.cAppareil = "Autre";
    TermineLectureEXIF(l, e, true, TContexteFocale{&iniCF, true});
    EXPECT_FALSE(iniCF.ValueExists(cSectionCoeffFoc, "AUTRE"));
    // Nothing read: no EXIF even with values.
    l.lLu = false;
    TermineLectureEXIF(l, e, false, TContexteFocale{});
    EXPECT_FALSE(e.lEXIF);
}

TEST(CoefficientsFocale, UneSauvegardeEchoueeLeDitEtGardeLeCoefficientPourLaSuivante)
{
    QTemporaryDir Dossier;
    const QString cSousDossier = Dossier.filePath("cfapn");
    const QString cFichier = cSousDossier + "/KX_CFAPN.ini";
    // Absent at load, so a new store; then a plain file takes its folder's place and no save
    // can be made there.
    TBigIniFile ini(cFichier);
    ini.lAutoSave = false;
    {
        QFile Bouchon(cSousDossier);
        ASSERT_TRUE(Bouchon.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(ApprendreCoeffFocale(&ini, "E4500", "7,5", 15));
    EXPECT_EQ(ini.ReadString(cSectionCoeffFoc, "E4500", ""), "2");
    EXPECT_TRUE(ini.Modifie());
    // Nothing to learn: nothing to report.
    EXPECT_TRUE(ApprendreCoeffFocale(&ini, "E4500", "8", 16));

    ASSERT_TRUE(QFile::remove(cSousDossier));
    ASSERT_TRUE(QDir().mkpath(cSousDossier));
    EXPECT_TRUE(ApprendreCoeffFocale(&ini, "D70", "30", 48));
    TBigIniFile Relu(cFichier);
    EXPECT_EQ(Relu.ReadString(cSectionCoeffFoc, "E4500", ""), "2");
    EXPECT_EQ(Relu.ReadString(cSectionCoeffFoc, "D70", ""), "1,6");
}
