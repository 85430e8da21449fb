#include "publishing/CopieImages.h"

#include "BancPublication.h"
#include "imaging/ChargeImage.h"
#include "imaging/FileKinds.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{
class CopieImagesTest : public BancPublication
{
protected:
    void SetUp() override
    {
        BancPublication::SetUp();
        cPhotos = cRacine + QStringLiteral("/photos/");
        cDest = cRacine + QStringLiteral("/dest/");
        QDir().mkpath(cDest);
    }

    // An image file with the list entry the listing would have made of it.
    TEnrLV Image(const QString &cChemin, const QByteArray &Contenu = {})
    {
        if (!Contenu.isEmpty())
            EXPECT_TRUE(EcritFichier(cChemin, Contenu));
        else
            EXPECT_TRUE(EcritJpeg(cChemin, 16, 8, Qt::red));
        const struct timespec Dates[2] = {{1'200'000'000, 0}, {1'100'000'000, 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(cChemin).constData(), Dates, 0);
        TEnrLV Enr;
        Enr.cChemin = cChemin;
        Enr.lExiste = true;
        TailleEtDate(cChemin, Enr.nTaille, Enr.nDate);
        return Enr;
    }
    void Classe(const QString &cCle)
    {
        iniSetup->WriteString(QStringLiteral("MOTS-CLES"), cCle, QStringLiteral("MER PLAGE"));
        iniSetup->WriteString(QStringLiteral("COUPS DE COEUR"), cCle, {});
        iniSetup->WriteString(QStringLiteral("LEGENDES"), cCle, QStringLiteral("Au soleil"));
        iniBDD->WriteString(cCle, QStringLiteral("Lieux/France/Bretagne"), QStringLiteral("x"));
        ASSERT_TRUE(iniSetup->UpdateFile());
        ASSERT_TRUE(iniBDD->UpdateFile());
    }
    TParamsCopie Params() const
    {
        TParamsCopie P;
        P.cDossierVignettes = cVignettes;
        P.lTrtDescription = true;
        return P;
    }
    // The stores as the disk holds them.
    QString Lu(const QString &cSection, const QString &cCle) const
    {
        const TBigIniFile Setup(iniSetup->FileName());
        return Setup.ReadString(cSection, cCle, QStringLiteral("<absent>"));
    }
    QStringList CriteresSurDisque(const QString &cCle) const
    {
        const TBigIniFile BDD(iniBDD->FileName(), true);
        QStringList l;
        BDD.ReadSection(cCle, l);
        return l;
    }
    static qint64 Mtime(const QString &c)
    {
        struct stat st
        {
        };
        return ::stat(QFile::encodeName(c).constData(), &st) == 0 ? qint64(st.st_mtim.tv_sec) : -1;
    }
    QStringList Dest() const { return QDir(cDest).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    QString cPhotos, cDest;
    TMessagesFactices Messages;
};
} // namespace

TEST_F(CopieImagesTest, TakenNameGetsSuffixWithDataBytesAndTime)
{
    const TEnrLV a = Image(cPhotos + QStringLiteral("a.jpg"));
    Classe(a.cChemin);
    iniSetup->WriteString(QStringLiteral("ROTATIONS"), a.cChemin, QStringLiteral("1"));
    TDescriptions Descriptions(*iniSetup);
    Descriptions.DescriptionImage(0, a.cChemin, nDescEcriture, QStringLiteral("Plage"));
    EcritFichier(cDest + QStringLiteral("a.jpg"), "déjà là");

    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, Params());
    Copie.pDescriptions = &Descriptions;
    const TBilanCopie Bilan = ConfirmeEtCopie(Copie, {a}, cDest, false, {}, Messages);

    const QString c = cDest + QStringLiteral("a(2).jpg");
    EXPECT_EQ(Bilan.cCopies, QStringList{c});
    EXPECT_EQ(LitFichier(c), LitFichier(a.cChemin));
    EXPECT_EQ(LitFichier(cDest + QStringLiteral("a.jpg")), QByteArray("déjà là"));
    EXPECT_EQ(Mtime(c), 1'100'000'000);
    EXPECT_EQ(Lu(QStringLiteral("MOTS-CLES"), c), QStringLiteral("MER PLAGE"));
    EXPECT_EQ(Lu(QStringLiteral("COUPS DE COEUR"), c), QString());
    EXPECT_EQ(Lu(QStringLiteral("LEGENDES"), c), QStringLiteral("Au soleil"));
    EXPECT_EQ(Lu(QStringLiteral("ROTATIONS"), c), QStringLiteral("1"));
    // A JPEG's resolution is read from its file, never copied.
    EXPECT_EQ(Lu(QStringLiteral("RESOLUTIONS VIGNETTES"), c), QStringLiteral("<absent>"));
    EXPECT_EQ(CriteresSurDisque(c), QStringList{QStringLiteral("Lieux/France/Bretagne")});
    EXPECT_EQ(Lu(QStringLiteral("MOTS-CLES"), a.cChemin), QStringLiteral("MER PLAGE"));
    EXPECT_EQ(Descriptions.DescriptionImage(0, c, nDescLecture), QStringLiteral("Plage"));
    EXPECT_EQ(Messages.Textes(), QStringList{QStringLiteral("1 Image(s) traitée(s) sur 1")});
}

TEST_F(CopieImagesTest, CompanionsNeedTheBaseNameFreeAndReplaceNothing)
{
    const TEnrLV a = Image(cPhotos + QStringLiteral("a.jpg"));
    EcritFichier(cPhotos + QStringLiteral("a.WAV"), "son");
    EcritFichier(cDest + QStringLiteral("a.CRW"), "raw");
    EcritFichier(cDest + QStringLiteral("a.WAV"), "autre son");

    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, Params());
    const TBilanCopie Bilan = Copie.CopierImages({a}, cDest);
    EXPECT_EQ(Bilan.nTraitees, 1);
    EXPECT_EQ(Dest(), (QStringList{QStringLiteral("a(2).WAV"), QStringLiteral("a(2).jpg"), QStringLiteral("a.CRW"),
                                   QStringLiteral("a.WAV")}));
    EXPECT_EQ(LitFichier(cDest + QStringLiteral("a(2).WAV")), QByteArray("son"));
    EXPECT_EQ(LitFichier(cDest + QStringLiteral("a.WAV")), QByteArray("autre son"));

    // The image's own name free but its companion's taken: the pair moves on together.
    const TEnrLV b = Image(cPhotos + QStringLiteral("b.jpg"));
    EcritFichier(cPhotos + QStringLiteral("b.wav"), "son b");
    EcritFichier(cDest + QStringLiteral("b.wav"), "autre");
    EXPECT_EQ(NomCopieUnique(cDest, QStringLiteral("b.jpg"), false, {QStringLiteral(".wav")}),
              QStringLiteral("b(2).jpg"));
    EXPECT_EQ(NomCopieUnique(cDest, QStringLiteral("b c.CRW"), true), QStringLiteral("b c.jpg"));
}

TEST_F(CopieImagesTest, FlippedByteOrGoneDestinationLeavesNoFileNoDataNoCount)
{
    const TEnrLV a = Image(cPhotos + QStringLiteral("a.jpg"));
    Classe(a.cChemin);
    const QByteArray SetupAvant = LitFichier(iniSetup->FileName());
    const QByteArray BDDAvant = LitFichier(iniBDD->FileName());
    TParamsCopie P = Params();
    P.Options.fnApresEcriture = [](const QString &cTemporaire) {
        QFile f(cTemporaire);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(5);
        f.putChar('\x42');
    };
    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, P);
    const TBilanCopie Bilan = ConfirmeEtCopie(Copie, {a}, cDest, false, {}, Messages);
    EXPECT_EQ(Bilan.nTraitees, 0);
    EXPECT_TRUE(Dest().isEmpty());
    EXPECT_EQ(LitFichier(iniSetup->FileName()), SetupAvant);
    EXPECT_EQ(LitFichier(iniBDD->FileName()), BDDAvant);
    EXPECT_FALSE(iniSetup->ValueExists(QStringLiteral("MOTS-CLES"), cDest + QStringLiteral("a.jpg")));
    ASSERT_EQ(Messages.Montres.size(), 2);
    EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Erreur"));
    EXPECT_TRUE(Messages.Montres[0].cTexte.contains(QStringLiteral("a.jpg : ") + TexteCopieDifferente()));
    EXPECT_EQ(Messages.Montres[1].cTexte, QStringLiteral("0 Image(s) traitée(s) sur 1"));

    // A folder gone: named with its reason, nothing tried; a source gone: not processed.
    Messages.Montres.clear();
    TCopieImages Copie2(*iniSetup, *iniBDD, Volumes, *Operations, Params());
    const QString cParti = cRacine + QStringLiteral("/parti");
    EXPECT_TRUE(ConfirmeEtCopie(Copie2, {a}, cParti, false, {}, Messages).lAnnule);
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTexte,
              QStringLiteral("Impossible de copier vers le dossier '%1' : fichier introuvable.").arg(cParti));
    TEnrLV b = a;
    b.cChemin = cPhotos + QStringLiteral("b.jpg");
    EXPECT_EQ(Copie2.CopierImages({b, a}, cDest).nTraitees, 1);
    EXPECT_EQ(Dest(), QStringList{QStringLiteral("a.jpg")});
}

TEST_F(CopieImagesTest, EmptyingRefusedWhenTheFolderHoldsAnImageToCopy)
{
    const TEnrLV a = Image(cPhotos + QStringLiteral("a.jpg"));
    const TEnrLV b = Image(cPhotos + QStringLiteral("b.jpg"));
    Classe(a.cChemin);
    ASSERT_TRUE(QFile::link(cRacine + QStringLiteral("/photos"), cRacine + QStringLiteral("/lien")));
    for (const QString &cDossier :
         {cPhotos, cRacine + QStringLiteral("/lien"), cRacine + QStringLiteral("/./photos")}) {
        Messages.Montres.clear();
        TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, Params());
        Messages.ReponsesCase = {true};
        const TBilanCopie Bilan = ConfirmeEtCopie(Copie, {a}, cDossier, true, {}, Messages);
        EXPECT_TRUE(Bilan.lAnnule);
        ASSERT_EQ(Messages.Montres.size(), 1);
        EXPECT_EQ(Messages.Montres[0].cTitre, QStringLiteral("Attention"));
        EXPECT_EQ(Messages.Montres[0].cTexte, cTexteViderRefuse);
    }
    EXPECT_EQ(QDir(cPhotos).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(Lu(QStringLiteral("MOTS-CLES"), a.cChemin), QStringLiteral("MER PLAGE"));
    EXPECT_TRUE(Operations->Appels.isEmpty());
    Q_UNUSED(b);
}

TEST_F(CopieImagesTest, EmptyingPurgesTheFolderImagesAsDeletingDoes)
{
    const TEnrLV a = Image(cPhotos + QStringLiteral("a.jpg"));
    const TEnrLV vieille = Image(cDest + QStringLiteral("vieille.jpg"));
    Classe(vieille.cChemin);
    EcritFichier(cDest + QStringLiteral("x.CRW"), "raw");
    EcritFichier(cDest + QStringLiteral("x.THM"), "thm");
    EcritFichier(cDest + QStringLiteral("memo.WAV"), "son");
    EcritFichier(cDest + QStringLiteral("notes.txt"), "garde");
    EcritFichier(cDest + QStringLiteral("sous/c.jpg"), "garde");

    // No cancels the whole copy.
    TCopieImages Non(*iniSetup, *iniBDD, Volumes, *Operations, Params());
    EXPECT_TRUE(ConfirmeEtCopie(
                    Non, {a}, cDest, true, [](const QString &) { return std::nullopt; }, Messages)
                    .lAnnule);
    EXPECT_EQ(Dest().size(), 5);

    QString cQuestion;
    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, Params());
    const TBilanCopie Bilan = ConfirmeEtCopie(
        Copie, {a}, cDest, true,
        [&](const QString &c) {
            cQuestion = c;
            return std::optional<bool>(true);
        },
        Messages);
    EXPECT_EQ(cQuestion, QStringLiteral("Vider le dossier '%1' avant la copie ?").arg(cDest));
    EXPECT_EQ(Bilan.nTraitees, 1);
    EXPECT_EQ(Dest(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("notes.txt")}));
    EXPECT_TRUE(QFileInfo::exists(cDest + QStringLiteral("sous/c.jpg")));
    EXPECT_EQ(Lu(QStringLiteral("MOTS-CLES"), vieille.cChemin), QStringLiteral("<absent>"));
    EXPECT_TRUE(CriteresSurDisque(vieille.cChemin).isEmpty());
}

TEST_F(CopieImagesTest, TreatedRawIsWrittenAsRotatedJpegWithoutItsTreatment)
{
    const TEnrLV Tourne = Image(cPhotos + QStringLiteral("t.CRW"), "raw tourné");
    const TEnrLV Brut = Image(cPhotos + QStringLiteral("u.CRW"), "raw intact");
    Classe(Tourne.cChemin);
    iniSetup->WriteString(QStringLiteral("ROTATIONS"), Tourne.cChemin, QStringLiteral("1"));
    iniSetup->WriteString(QStringLiteral("RESOLUTIONS VIGNETTES"), Tourne.cChemin, QStringLiteral("1310760"));

    TParamsCopie P = Params();
    P.lEffTrt = true;
    // A 40 × 20 picture, red on its left half, blue on its right.
    P.fnChargeImage = [](const QString &) {
        QImage i(40, 20, QImage::Format_RGB32);
        i.fill(Qt::red);
        for (int y = 0; y < 20; ++y)
            for (int x = 20; x < 40; ++x)
                i.setPixel(x, y, qRgb(0, 0, 255));
        return i;
    };
    P.fnATrtsImage = [](const TBigIniFile &ini, const TEnrLV &Enr) {
        return ini.ValueExists(QStringLiteral("ROTATIONS"), Enr.Cle());
    };
    P.fnAppliqueTrtsImage = [](QImage &i, const TBigIniFile &ini, const TEnrLV &Enr) {
        if (ini.ValueExists(QStringLiteral("ROTATIONS"), Enr.Cle()))
            i = i.transformed(QTransform().rotate(90));
        return true;
    };
    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, P);
    const TBilanCopie Bilan = Copie.CopierImages({Tourne, Brut}, cDest);
    EXPECT_EQ(Bilan.nTraitees, 2);
    EXPECT_EQ(Dest(), (QStringList{QStringLiteral("t.jpg"), QStringLiteral("u.CRW")}));

    const QString t = cDest + QStringLiteral("t.jpg");
    const QImage Copiee = JpegCodec::Decode(t);
    ASSERT_EQ(Copiee.size(), QSize(20, 40));
    // Turned clockwise: the left half went to the top.
    EXPECT_GT(qRed(Copiee.pixel(10, 5)), 200);
    EXPECT_GT(qBlue(Copiee.pixel(10, 35)), 200);
    EXPECT_EQ(Mtime(t), 1'100'000'000);
    EXPECT_EQ(Lu(QStringLiteral("ROTATIONS"), t), QStringLiteral("<absent>"));
    EXPECT_EQ(Lu(QStringLiteral("MOTS-CLES"), t), QStringLiteral("MER PLAGE"));
    EXPECT_EQ(Lu(QStringLiteral("RESOLUTIONS VIGNETTES"), t), QStringLiteral("1310760"));
    EXPECT_EQ(LitFichier(cDest + QStringLiteral("u.CRW")), QByteArray("raw intact"));

    // A picture that cannot be loaded is neither written nor counted.
    P.fnChargeImage = [](const QString &) -> QImage { throw EImageIllisible(QStringLiteral("illisible")); };
    TCopieImages Echec(*iniSetup, *iniBDD, Volumes, *Operations, P);
    EXPECT_EQ(Echec.CopierImages({Tourne}, cDest).nTraitees, 0);
    EXPECT_EQ(Dest().size(), 2);

    // Without a way to apply the treatments, the image is copied as it is and keeps them.
    P.fnAppliqueTrtsImage = nullptr;
    TCopieImages SansTrt(*iniSetup, *iniBDD, Volumes, *Operations, P);
    EXPECT_EQ(SansTrt.CopierImages({Tourne}, cDest).cCopies, QStringList{cDest + QStringLiteral("t.CRW")});
    EXPECT_EQ(Lu(QStringLiteral("ROTATIONS"), cDest + QStringLiteral("t.CRW")), QStringLiteral("1"));
}

TEST_F(CopieImagesTest, WithoutCriteriaStoresStayButDescriptionAndCompanionsFollow)
{
    const TEnrLV a = Image(cPhotos + QStringLiteral("a.CRW"), "raw");
    EcritFichier(cPhotos + QStringLiteral("a.THM"), "thm");
    Classe(a.cChemin);
    TDescriptions Descriptions(*iniSetup);
    Descriptions.DescriptionImage(0, a.cChemin, nDescEcriture, QStringLiteral("Plage"));
    const QByteArray SetupAvant = LitFichier(iniSetup->FileName());
    const QByteArray BDDAvant = LitFichier(iniBDD->FileName());

    TParamsCopie P = Params();
    P.lCopieCriteres = false;
    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, P);
    Copie.pDescriptions = &Descriptions;
    EXPECT_EQ(Copie.CopierImages({a}, cDest).nTraitees, 1);
    EXPECT_EQ(Dest(), (QStringList{QStringLiteral("a.CRW"), QStringLiteral("a.THM"), cNomFichierDescriptions}));
    EXPECT_EQ(LitFichier(iniSetup->FileName()), SetupAvant);
    EXPECT_EQ(LitFichier(iniBDD->FileName()), BDDAvant);
    EXPECT_FALSE(iniSetup->Modifie());
    EXPECT_EQ(Descriptions.DescriptionImage(0, cDest + QStringLiteral("a.CRW"), nDescLecture), QStringLiteral("Plage"));
}

TEST_F(CopieImagesTest, EscStopsAfterTheCurrentImage)
{
    const QList<TEnrLV> Images = {Image(cPhotos + QStringLiteral("a.jpg")), Image(cPhotos + QStringLiteral("b.jpg")),
                                  Image(cPhotos + QStringLiteral("c.jpg"))};
    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, Params());
    QList<qint64> Positions;
    Copie.Suivi.Avance = [&](qint64 n, qint64 nMax) { Positions << n << nMax; };
    Copie.Suivi.Interrompu = [&] { return Positions.size() == 4; };
    const TBilanCopie Bilan = Copie.CopierImages(Images, cDest);
    EXPECT_TRUE(Bilan.lInterrompu);
    EXPECT_EQ(Bilan.nTraitees, 2);
    EXPECT_EQ(Positions, (QList<qint64>{0, 2, 1, 2}));
    EXPECT_EQ(Dest(), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
}

TEST_F(CopieImagesTest, BurntFilesMatchingTheirImageAreCataloguedOnTheCD)
{
    TEnrLV a = Image(cPhotos + QStringLiteral("a.jpg"));
    a.lEXIF = true;
    a.cAppareil = QStringLiteral("Canon");
    a.nLargeur = 16;
    a.nHauteur = 8;
    const TEnrLV b = Image(cPhotos + QStringLiteral("b.jpg"));
    Classe(a.cChemin);
    Classe(b.cChemin);
    EcritFichier(NomVignette(cVignettes, 0, a.cChemin), "vignette a");
    TDescriptions Descriptions(*iniSetup);
    Descriptions.DescriptionImage(0, a.cChemin, nDescEcriture, QStringLiteral("Plage"));

    // Burnt: a with its time, b an hour later.
    const QString cCD = cRacine + QStringLiteral("/cd/");
    Image(cCD + QStringLiteral("DCIM/a.jpg"), LitFichier(a.cChemin));
    EcritFichier(cCD + QStringLiteral("DCIM/b.jpg"), LitFichier(b.cChemin));
    const struct timespec Dates[2] = {{1'100'003'600, 0}, {1'100'003'600, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(cCD + QStringLiteral("DCIM/b.jpg")).constData(), Dates, 0);

    TCopieImages Copie(*iniSetup, *iniBDD, Volumes, *Operations, Params());
    Copie.pDescriptions = &Descriptions;
    const TBilanCopie Bilan = ConfirmeEtEnregistreCD(Copie, {a, b}, cCD + QStringLiteral("DCIM"), Messages);
    EXPECT_EQ(Bilan.nTraitees, 1);
    EXPECT_EQ(Messages.Textes(), QStringList{QStringLiteral("1 Image(s) traitée(s) sur 2")});

    const QString cCle = QStringLiteral("<%1>/DCIM/a.jpg").arg(qint32(nSerieCD));
    EXPECT_EQ(Lu(QStringLiteral("MOTS-CLES"), cCle), QStringLiteral("MER PLAGE"));
    EXPECT_EQ(Lu(QStringLiteral("EXIF"), cCle).section(u'|', 0, 0), QStringLiteral("Canon"));
    EXPECT_EQ(Lu(QStringLiteral("TAILLES VIGNETTES"), cCle), QString::number(a.nTaille));
    EXPECT_EQ(Lu(QStringLiteral("RESOLUTIONS VIGNETTES"), cCle), QString::number(16 | (8 << 16)));
    EXPECT_EQ(Lu(QStringLiteral("DESCRIPTIONS"), cCle), QStringLiteral("Plage"));
    EXPECT_EQ(CriteresSurDisque(cCle), QStringList{QStringLiteral("Lieux/France/Bretagne")});
    EXPECT_EQ(LitFichier(NomVignette(cVignettes, qint32(nSerieCD), QStringLiteral("/DCIM/a.jpg"))),
              QByteArray("vignette a"));
    const QString cCleB = QStringLiteral("<%1>/DCIM/b.jpg").arg(qint32(nSerieCD));
    EXPECT_EQ(Lu(QStringLiteral("MOTS-CLES"), cCleB), QStringLiteral("<absent>"));
    EXPECT_TRUE(CriteresSurDisque(cCleB).isEmpty());

    // A folder of the CD without the burnt files.
    Messages.Montres.clear();
    QDir().mkpath(cCD + QStringLiteral("VIDE"));
    ConfirmeEtEnregistreCD(Copie, {a, b}, cCD + QStringLiteral("VIDE"), Messages);
    EXPECT_EQ(Messages.Textes(), QStringList{QStringLiteral("0 Image(s) traitée(s) sur 2")});
}

TEST_F(CopieImagesTest, PreparationKeepsCheckedImagesFoundNow)
{
    const TEnrLV a = Image(cPhotos + QStringLiteral("a.jpg"), QByteArray(2048, 'a'));
    const TEnrLV b = Image(cPhotos + QStringLiteral("b.jpg"), QByteArray(1000, 'b'));
    for (const QString &c :
         {a.cChemin, b.cChemin, cPhotos + QStringLiteral("parti.jpg"), cPhotos + QStringLiteral("illisible.jpg")}) {
        const int n = Liste(c);
        Modele.Enr(n).nTaille = QFileInfo(c).size();
        Modele.MetCoche(n, true);
    }
    Modele.Enr(3).lIllisible = true;
    EcritFichier(cPhotos + QStringLiteral("illisible.jpg"), "x");
    Liste(cPhotos + QStringLiteral("pas-coche.jpg"));
    const TPreparationCopie P = PreparerCopie(Modele, TLecteursCD(Volumes));
    ASSERT_EQ(P.Images.size(), 2);
    EXPECT_EQ(P.Images[0].cChemin, a.cChemin);
    EXPECT_EQ(P.Titre(), QStringLiteral("Copier 2 image(s) - 2,98 Ko"));
    EXPECT_EQ(TextePlaceDispo(-1, QStringLiteral("/media/usb/")), QStringLiteral("??? Ko disponibles sur /media/usb:"));
    EXPECT_EQ(TextePlaceDispo(512, QStringLiteral("/")), QStringLiteral("512 Oct disponibles sur /:"));
}
