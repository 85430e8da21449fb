#include "exploration/ColonnesListe.h"
#include "exploration/ListeImages.h"
#include "imaging/FileKinds.h"
#include "metadata/Focale.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "support/Corpus.h"
#include "support/EcritJpeg.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
void EcritJpeg(const QString &cChemin, int nLargeur = 16, int nHauteur = 12)
{
    ASSERT_TRUE(::EcritJpeg(cChemin, nLargeur, nHauteur, Qt::darkCyan));
}

void EcritOctets(const QString &cChemin, qint64 nTaille)
{
    QFile f(cChemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(static_cast<int>(nTaille), 'x'));
}

// A minimal shell-link file whose LinkInfo holds a local base path.
void EcritRaccourci(const QString &cChemin, const QString &cCible)
{
    QByteArray b(76, '\0');
    auto Met32 = [](QByteArray &a, int nPos, quint32 v) {
        for (int i = 0; i < 4; ++i)
            a[nPos + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    Met32(b, 0, 0x4C);
    const uchar clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    for (int i = 0; i < 16; ++i)
        b[4 + i] = static_cast<char>(clsid[i]);
    Met32(b, 20, 0x2); // HasLinkInfo
    const QByteArray p = QFile::encodeName(cCible) + '\0';
    QByteArray info(28, '\0');
    Met32(info, 4, 28);
    Met32(info, 8, 1);
    Met32(info, 16, 28);
    Met32(info, 24, 28 + static_cast<quint32>(p.size()));
    info += p;
    info += '\0';
    Met32(info, 0, static_cast<quint32>(info.size()));
    QFile f(cChemin);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b + info);
}

struct TFixture
{
    QTemporaryDir Temp;
    TBigIniFile iniSetup;
    TBigIniFile iniBDD;
    TModeleListeImages Modele;
    TContexteListe Ctx;

    TFixture()
        : iniSetup(QDir(Temp.path()).filePath("KX_Setup.ini")), iniBDD(QDir(Temp.path()).filePath("KX_BDD.ini"), true)
    {
        iniSetup.lAutoSave = false;
        iniBDD.lAutoSave = false;
        Ctx.iniSetup = &iniSetup;
        Ctx.iniBDD = &iniBDD;
    }
    QString Dossier(const QString &cNom) const
    {
        QDir(Temp.path()).mkpath(cNom);
        return Temp.path() + "/" + cNom + "/";
    }
    int Liste(const QString &cDossier, bool lRecursif = false)
    {
        TDemandeListe d;
        d.cDossier = cDossier;
        d.lRecursif = lRecursif;
        return ConstruitListe(Modele, Ctx, d);
    }
    QStringList Chemins() const
    {
        QStringList l;
        for (int i = 0; i < Modele.Nombre(); ++i)
            l << Modele.Enr(i).CheminComplet();
        return l;
    }
};
}

TEST(ListeImages, ImagesAndShortcutsAreListedTheRestIsNot)
{
    TFixture f;
    const QString d = f.Dossier("photos"), ailleurs = f.Dossier("ailleurs");
    EcritJpeg(d + "a.jpg");
    EcritJpeg(d + "b.JPG");
    EcritJpeg(d + "c.jpeg");
    EcritOctets(d + "notes.txt", 40);
    EcritJpeg(ailleurs + "cible.jpg", 40, 30);
    EcritRaccourci(d + "vers cible.lnk", ailleurs + "cible.jpg");
    // Neither a shortcut to a missing image nor a hidden file is an entry.
    EcritRaccourci(d + "perdu.lnk", ailleurs + "efface.jpg");
    EcritJpeg(d + ".cache.jpg");

    ASSERT_EQ(f.Liste(d), 4);
    int nRaccourcis = 0;
    for (int i = 0; i < f.Modele.Nombre(); ++i) {
        const TEnrLV &e = f.Modele.Enr(i);
        EXPECT_TRUE(e.lExiste);
        EXPECT_EQ(e.nNumCD, 0);
        if (e.lRaccourci) {
            ++nRaccourcis;
            EXPECT_EQ(e.cChemin, ailleurs + "cible.jpg");
            EXPECT_EQ(e.Cle(), ailleurs + "cible.jpg");
            EXPECT_EQ(f.Modele.data(f.Modele.index(i, 0), Qt::DisplayRole).toString(), "cible.jpg");
            EXPECT_EQ(f.Modele.Icone(i) & 1, 1);
            EXPECT_EQ(e.nLargeur, 40);
            EXPECT_EQ(e.nHauteur, 30);
            EXPECT_EQ(e.nTaille, QFileInfo(ailleurs + "cible.jpg").size());
        } else {
            EXPECT_EQ(f.Modele.Icone(i) & 1, 0);
            EXPECT_EQ(e.nLargeur, 16);
        }
        EXPECT_FALSE(f.Modele.Coche(i));
    }
    EXPECT_EQ(nRaccourcis, 1);
}

TEST(ListeImages, SymbolicLinkToAnImageIsKeyedByItsTarget)
{
    TFixture f;
    const QString d = f.Dossier("liens"), ailleurs = f.Dossier("ailleurs");
    EcritJpeg(ailleurs + "vraie.jpg");
    ASSERT_TRUE(QFile::link(ailleurs + "vraie.jpg", d + "alias.jpg"));
    ASSERT_TRUE(QFile::link(ailleurs + "absente.jpg", d + "casse.jpg"));
    ASSERT_EQ(f.Liste(d), 1);
    EXPECT_EQ(f.Modele.Enr(0).cChemin, QFileInfo(ailleurs + "vraie.jpg").canonicalFilePath());
    EXPECT_TRUE(f.Modele.Enr(0).lRaccourci);
}

TEST(ListeImages, SizeSortPadsNumbersAndStays64Bit)
{
    TFixture f;
    const QString d = f.Dossier("tailles");
    EcritOctets(d + "a_grand.jpg", 12000);
    EcritOctets(d + "b_petit.jpg", 900);
    {
        QFile g(d + "c_enorme.tif");
        ASSERT_TRUE(g.open(QIODevice::WriteOnly));
        ASSERT_TRUE(g.resize(3LL * 1024 * 1024 * 1024)); // sparse: takes no room
    }
    f.Modele.MetCleTri(ColonnesListe::TriTaille);
    ASSERT_EQ(f.Liste(d), 3);
    EXPECT_EQ(f.Chemins(), QStringList({d + "b_petit.jpg", d + "a_grand.jpg", d + "c_enorme.tif"}));
    EXPECT_EQ(f.Modele.Enr(2).nTaille, 3221225472LL);
    EXPECT_EQ(ColonnesListe::TexteColonne(f.Modele.Enr(2), 'T'), QString("3072,00 Mo"));
    EXPECT_EQ(ColonnesListe::TexteColonne(f.Modele.Enr(0), 'T'), QString("900 Oct"));

    f.Modele.MetCleTri(ColonnesListe::TriNom);
    f.Modele.TrieListe();
    EXPECT_EQ(f.Modele.Enr(0).NomFichier(), "a_grand.jpg");
}

TEST(ListeImages, ResolutionSortHandlesPanoramasBeyond32Bits)
{
    TFixture f;
    const QString d = f.Dossier("panoramas");
    EcritJpeg(d + "a_panorama.jpg", 50000, 4);
    EcritJpeg(d + "b_carre.jpg", 300, 300);
    ASSERT_EQ(f.Liste(d), 2);
    int nPano = f.Modele.Enr(0).NomFichier() == "a_panorama.jpg" ? 0 : 1;
    EXPECT_EQ(f.Modele.Enr(nPano).nLargeur, 50000);
    EXPECT_EQ(f.Modele.Enr(nPano).nHauteur, 4);
    EXPECT_EQ(ColonnesListe::TexteResolution(f.Modele.Enr(nPano)), "50000x4");

    // Resolutions given by thumbnails: 50,000 x 50,000 pixels is more than 2^31.
    f.Modele.MetResolution(nPano, 50000, 50000);
    f.Modele.MetResolution(1 - nPano, 40000, 40000);
    f.Modele.MetCleTri(ColonnesListe::TriResolution);
    f.Modele.TrieListe();
    EXPECT_EQ(f.Modele.Enr(0).NomFichier(), "b_carre.jpg");
    EXPECT_EQ(f.Modele.Enr(1).NomFichier(), "a_panorama.jpg");
}

TEST(ListeImages, RecursiveWalkNeverLoopsThroughLinks)
{
    TFixture f;
    const QString d = f.Dossier("racine");
    f.Dossier("racine/sous/plus bas");
    EcritJpeg(d + "un.jpg");
    EcritJpeg(d + "sous/deux.jpg");
    EcritJpeg(d + "sous/plus bas/trois.jpg");
    // A link back to the top and two ways into the same folder.
    ASSERT_TRUE(QFile::link(d, d + "sous/plus bas/retour"));
    ASSERT_TRUE(QFile::link(d + "sous", d + "encore sous"));

    ASSERT_EQ(f.Liste(d, true), 3);
    QStringList noms;
    for (int i = 0; i < f.Modele.Nombre(); ++i)
        noms << f.Modele.Enr(i).NomFichier();
    noms.sort();
    EXPECT_EQ(noms, QStringList({"deux.jpg", "trois.jpg", "un.jpg"}));

    EXPECT_EQ(f.Liste(d, false), 1);
}

TEST(ListeImages, ThumbnailCacheIsNeverListed)
{
    TFixture f;
    const QString d = f.Dossier("donnees");
    const QString v = f.Dossier("donnees/Vignettes");
    f.Dossier("donnees/Vignettes/1a2b-c4");
    EcritJpeg(d + "vraie.jpg");
    EcritJpeg(v + "^tmp^x.jpg.JPG");
    EcritJpeg(v + "1a2b-c4/^DCIM^y.jpg.JPG");
    f.Ctx.cDossierVignettes = v;

    EXPECT_EQ(f.Liste(d, true), 1);
    EXPECT_EQ(f.Modele.Enr(0).NomFichier(), "vraie.jpg");
    EXPECT_EQ(f.Liste(v, true), 0);
    EXPECT_EQ(f.Liste(v + "1a2b-c4/", false), 0);
    // Reached through a link, it is still the cache.
    const QString lien = f.Dossier("ailleurs") + "cache";
    ASSERT_TRUE(QFile::link(v, lien));
    EXPECT_EQ(f.Liste(f.Temp.path() + "/ailleurs/", true), 0);
    EXPECT_TRUE(EstDansVignettes(lien, v));
    EXPECT_FALSE(EstDansVignettes(d, v));
    EXPECT_FALSE(EstDansVignettes(f.Temp.path() + "/donnees/VignettesBis/", v));
}

TEST(ListeImages, EscStopsTheWalkAndKeepsWhatWasFound)
{
    TFixture f;
    const QString d = f.Dossier("beaucoup");
    for (int i = 0; i < 6; ++i)
        EcritJpeg(d + QString("img%1.jpg").arg(i));
    int nAppels = 0;
    f.Ctx.Interrompre = [&] { return ++nAppels >= 2; };
    EXPECT_EQ(f.Liste(d), 2);
    EXPECT_EQ(nAppels, 2);
}

TEST(ListeImages, FilterRejectsAndGivesPercentages)
{
    TFixture f;
    const QString d = f.Dossier("filtre");
    EcritJpeg(d + "garde.jpg");
    EcritJpeg(d + "rejete.jpg");
    f.Ctx.Filtre = [](TCandidatFiltre &c) {
        c.nPctCouleur = 70;
        c.nPctMotif = 30;
        return c.cChemin.endsWith("garde.jpg");
    };
    ASSERT_EQ(f.Liste(d), 1);
    EXPECT_EQ(f.Modele.Enr(0).nPctCouleur, 70);
    EXPECT_EQ(f.Modele.Enr(0).nPctMotif, 30);
}

TEST(ListeImages, CdImagesAreKeyedBySerialAndLabelWrittenOnce)
{
    TFixture f;
    const QString cd = f.Dossier("cdrom");
    f.Dossier("cdrom/DCIM");
    EcritJpeg(cd + "DCIM/a.jpg");
    EcritJpeg(cd + "DCIM/b.jpg");
    TVolumesFactices Volumes;
    Volumes.AjouteCD(cd, 0x8A3F0001u, "VACANCES");
    f.Ctx.pVolumes = &Volumes;

    ASSERT_EQ(f.Liste(cd, true), 2);
    const TEnrLV &e = f.Modele.Enr(0);
    EXPECT_EQ(e.nNumCD, static_cast<qint32>(0x8A3F0001u));
    EXPECT_EQ(e.cChemin, "/DCIM/a.jpg");
    EXPECT_EQ(e.Cle(), "<-1975582719>/DCIM/a.jpg");
    EXPECT_EQ(e.CheminComplet(), cd + "DCIM/a.jpg");
    EXPECT_TRUE(e.lExiste);
    EXPECT_EQ(f.iniSetup.ReadString("LABELS CD", "8a3f-1", ""), "VACANCES");

    // A label is never updated once recorded.
    Volumes.AjouteCD(cd, 0x8A3F0001u, "AUTRE");
    f.Liste(cd, true);
    EXPECT_EQ(f.iniSetup.ReadString("LABELS CD", "8a3f-1", ""), "VACANCES");

    // Search mode gives a path on the CD without its mount point.
    TDemandeListe r;
    r.nMode = TModeListe::Recherche;
    r.Produit = [](TListeur &l, bool lCompte) -> qint64 {
        if (!lCompte) {
            l.AjouteEntree(static_cast<qint32>(0x8A3F0001u), "/DCIM/b.jpg", 5, 0, false);
            l.AjouteEntree(static_cast<qint32>(0x12345678), "/absent.jpg", 5, 0, false);
        }
        return 2;
    };
    ASSERT_EQ(ConstruitListe(f.Modele, f.Ctx, r), 2);
    EXPECT_EQ(f.Modele.nMode, TModeListe::Recherche);
    for (int i = 0; i < 2; ++i) {
        const TEnrLV &x = f.Modele.Enr(i);
        if (x.cChemin == "/DCIM/b.jpg") {
            EXPECT_TRUE(x.lExiste);
            EXPECT_EQ(x.CheminComplet(), cd + "DCIM/b.jpg");
        } else {
            EXPECT_FALSE(x.lExiste);
            EXPECT_TRUE(x.cLecteur.isEmpty());
        }
    }
}

TEST(ListeImages, MetadataHookFillsEntriesAndCameraList)
{
    TFixture f;
    const QString d = f.Dossier("meta");
    EcritJpeg(d + "a.jpg");
    EcritJpeg(d + "b.jpg");
    EcritJpeg(d + "c.jpg");
    f.Ctx.LitMetadonnees = [](TEnrLV &e, const QString &c) {
        e.cAppareil = c.endsWith("c.jpg") ? QString() : QStringLiteral("Canon EOS D60");
        e.lEXIF = !e.cAppareil.isEmpty();
    };
    f.iniSetup.WriteString("MOTS-CLES", d + "a.jpg", "MER");
    ASSERT_EQ(f.Liste(d), 3);
    EXPECT_EQ(f.Modele.lstAppareils, QStringList({"Canon EOS D60"}));
    EXPECT_EQ(f.Modele.Icone(0), 2 + 4); // a.jpg: metadata and catalogue data
    EXPECT_EQ(f.Modele.Icone(2), 0);
}

TEST(ListeImages, ProgramReadersGiveCameraResolutionAndCachedDataOfAbsentCds)
{
    TFixture f;
    const QString d = f.Dossier("corpus");
    ASSERT_TRUE(QFile::copy(Corpus::Dossier() + "/kinds/jpeg/mde_Canon_EOS_D60.jpg", d + "d60.jpg"));
    BrancheMetadonnees(f.Ctx, TContexteFocale{});
    ASSERT_EQ(f.Liste(d), 1);
    const TEnrLV &e = f.Modele.Enr(0);
    // Independent values: the corpus reference.
    EXPECT_EQ(e.cAppareil, "Canon EOS D60");
    EXPECT_EQ(e.nLargeur, 1772);
    EXPECT_EQ(e.nHauteur, 1181);
    EXPECT_TRUE(e.lEXIF);
    EXPECT_EQ(f.Modele.Icone(0) & 2, 2);
    EXPECT_EQ(f.Modele.lstAppareils, QStringList({"Canon EOS D60"}));

    // An image of an absent CD takes its EXIF from the settings store's cache.
    f.iniSetup.WriteString("EXIF", "<77>/DCIM/x.jpg", "Canon EOS D60|28|28|1/30|2,8|26/10/2002 19:26:35|400|1|");
    TDemandeListe r;
    r.nMode = TModeListe::HistoriqueCD;
    r.Produit = [](TListeur &l, bool lCompte) -> qint64 {
        if (!lCompte)
            l.AjouteEntree(77, "/DCIM/x.jpg", 100, 0, false);
        return 1;
    };
    ASSERT_EQ(ConstruitListe(f.Modele, f.Ctx, r), 1);
    EXPECT_FALSE(f.Modele.Enr(0).lExiste);
    EXPECT_EQ(f.Modele.Enr(0).cAppareil, "Canon EOS D60");
    EXPECT_TRUE(f.Modele.Enr(0).lEXIF);
}

TEST(ListeImages, TheFilterSeesTheWalkAndItsMetadataReadIsKept)
{
    TFixture f;
    const QString d = f.Dossier("lecture");
    EcritJpeg(d + "a.jpg");
    EcritJpeg(d + "b.jpg");
    f.iniSetup.WriteString("MOTS-CLES", d + "a.jpg", "MER");
    QStringList Lus;
    f.Ctx.LitMetadonnees = [&Lus](TEnrLV &e, const QString &c) {
        Lus << c;
        e.cAppareil = QStringLiteral("Canon EOS D60");
        e.lEXIF = true;
    };
    QList<qint64> Tailles;
    f.Ctx.Filtre = [&](TCandidatFiltre &c) {
        Tailles << c.nTaille;
        EXPECT_TRUE(c.lTailleDate);
        EXPECT_GT(c.nDate, 0);
        EXPECT_EQ(c.lClasse, c.cChemin.endsWith("a.jpg"));
        // Asking for the metadata reads the file into the entry.
        c.fnLitMeta(c.EXIF(), c.IPTC());
        return c.EXIF().cAppareil == "Canon EOS D60" && c.cChemin.endsWith("a.jpg");
    };
    ASSERT_EQ(f.Liste(d), 1);
    EXPECT_EQ(Tailles.size(), 2);
    EXPECT_EQ(Tailles[0], QFileInfo(d + (Lus[0].endsWith("a.jpg") ? "a.jpg" : "b.jpg")).size());
    // One read per candidate, none more for the listed entry, which keeps what was read.
    EXPECT_EQ(Lus.size(), 2);
    EXPECT_EQ(f.Modele.Enr(0).cAppareil, "Canon EOS D60");
    EXPECT_EQ(f.Modele.lstAppareils, QStringList({"Canon EOS D60"}));
    EXPECT_EQ(f.Modele.Icone(0), 2 + 4);
}
