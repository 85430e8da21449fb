#include "cdhistory/MaintenanceCD.h"
#include "imaging/NomVignette.h"

#include "BancCD.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace
{
constexpr qint32 nAutre = 0x1234;       // another disc of the history
constexpr quint32 nCopie = 0x0BADF00Du; // a copy of the disc, with its own serial
const qint32 nD = static_cast<qint32>(nCopie);

struct TBancMaintenance : TBancCD
{
    TBigIniFile iniBDD;
    TBancMaintenance() : iniBDD(QDir(Temp.path()).filePath(QStringLiteral("KX_BDD.ini")), true)
    {
        iniBDD.lAutoSave = false;
    }
    TStoresCD Stores() { return {iniSetup, iniBDD, Vignettes()}; }

    // An image of the history: size, resolution and a thumbnail file.
    void Image(qint32 nVolume, const QString &cChemin, const QByteArray &Vignette = "jpeg")
    {
        AjouteHistorique(nVolume, cChemin);
        iniSetup.WriteString(cSectionResolutionsVignettes, CleImage(nVolume, cChemin),
                             QString::number(640 + 65536 * 480));
        const QString cFichier = NomVignette(Vignettes(), nVolume, cChemin);
        QDir().mkpath(QFileInfo(cFichier).absolutePath());
        QFile f(cFichier);
        f.open(QIODevice::WriteOnly);
        f.write(Vignette);
    }
    void Classe(qint32 nVolume, const QString &cChemin, const QString &cMotsCles, const QString &cCritere)
    {
        const QString cCle = CleImage(nVolume, cChemin);
        iniSetup.WriteString(cSectionMotsCles, cCle, cMotsCles);
        iniBDD.WriteString(cCle, cCritere, QStringLiteral("1"));
    }
    // A file of the disc in the drive.
    void SurDisque(const QString &cChemin)
    {
        const QString cFichier = Disque() + cChemin.mid(1);
        QDir().mkpath(QFileInfo(cFichier).absolutePath());
        QFile f(cFichier);
        f.open(QIODevice::WriteOnly);
        f.write("x");
    }
    void Sauve()
    {
        ASSERT_TRUE(iniSetup.UpdateFile());
        ASSERT_TRUE(iniBDD.UpdateFile());
    }
    QByteArray Octets(const QString &cFichier) const
    {
        QFile f(cFichier);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray Fichiers() const { return Octets(iniSetup.FileName()) + "\n--\n" + Octets(iniBDD.FileName()); }
};

TNoeudCD *Noeud(TArboCD &a, qint32 nVolume, const QString &cDossier)
{
    std::function<TNoeudCD *(TNoeudCD *)> Cherche = [&](TNoeudCD *p) -> TNoeudCD * {
        if (p->Enr && p->Enr->nIdCD == nVolume && p->cDossier == cDossier)
            return p;
        for (auto &e : p->Enfants)
            if (TNoeudCD *r = Cherche(e.get()))
                return r;
        return nullptr;
    };
    return a.Racine ? Cherche(a.Racine.get()) : nullptr;
}
} // namespace

TEST(MaintenanceCD, RemovingEveryImageTakesThumbnailsDataFolderLabelAndNode)
{
    TBancMaintenance b;
    b.Image(b.Volume(), "/A.JPG");
    b.Image(b.Volume(), "/DCIM/B.JPG");
    b.Image(nAutre, "/DCIM/B.JPG");
    b.Classe(b.Volume(), "/A.JPG", "mer", "Lieux\\Plage");
    b.Classe(nAutre, "/DCIM/B.JPG", "montagne", "Lieux\\Col");
    b.iniSetup.WriteString(cSectionAlbumImages + QStringLiteral(" Vacances"), b.Cle("/A.JPG"), "1");
    b.iniSetup.WriteString(cSectionTaillesVignettes, "<12abc>/bad.jpg", "1"); // malformed: untouched
    b.iniSetup.WriteString(cSectionLabelsCD, "8a3f-1", "PHOTOS");
    b.Sauve();

    TArboCD a = ConstruitArboCD(b.iniSetup, {});
    TNoeudCD *cd = Noeud(a, b.Volume(), "/");
    ASSERT_TRUE(cd);
    EXPECT_EQ(QuestionSuppression(*cd, TPorteeSuppressionCD::Dossier),
              "CD : 8a3f-1 - \"PHOTOS\", Dossier : <RACINE !!!>\r\nSupprimer toutes les informations concernant les 1 "
              "images ainsi que les vignettes correspondantes ?");
    EXPECT_EQ(NombreImagesSuppression(*cd, TPorteeSuppressionCD::DossierEtFils), 2);
    EXPECT_TRUE(QuestionSuppression(*Noeud(a, b.Volume(), "/DCIM/"), TPorteeSuppressionCD::DossierEtFils)
                    .endsWith(", Dossier : 'DCIM'\r\nSupprimer toutes les informations concernant les 1 images ainsi "
                              "que les vignettes correspondantes ?\r\nAttention, suppression récursive !!!"));

    // The thumbnail was made read-only: it goes all the same.
    QFile(NomVignette(b.Vignettes(), b.Volume(), "/A.JPG")).setPermissions(QFileDevice::ReadOwner);
    const TBilanSuppressionCD r = SupprimeImagesCD(*cd, TPorteeSuppressionCD::DossierEtFils, b.Stores(), b.Volumes);
    EXPECT_EQ(r.nSupprimees, 2);
    EXPECT_EQ(r.cMessage, "2 Image(s) supprimée(s).");
    EXPECT_TRUE(r.Erreurs.isEmpty());
    EXPECT_TRUE(r.lLabelSupprime);
    EXPECT_TRUE(r.lDossierVignettesRetire);
    EXPECT_FALSE(QFileInfo::exists(b.Vignettes() + "8a3f-1"));
    EXPECT_FALSE(cd->Enr->lstChemins);
    EXPECT_EQ(cd->nIcone, 0);

    // Saved: read back from the files.
    TBigIniFile s(b.iniSetup.FileName()), c(b.iniBDD.FileName(), true);
    for (const QString &cSection : cSectionsHistoriqueCD)
        EXPECT_FALSE(s.ValueExists(cSection, b.Cle("/A.JPG")) || s.ValueExists(cSection, b.Cle("/DCIM/B.JPG")))
            << cSection.toStdString();
    EXPECT_FALSE(s.ValueExists(cSectionAlbumImages + QStringLiteral(" Vacances"), b.Cle("/A.JPG")));
    EXPECT_FALSE(c.SectionExists(b.Cle("/A.JPG")));
    EXPECT_FALSE(s.ValueExists(cSectionLabelsCD, "8a3f-1"));
    // The other disc and the malformed key are left alone.
    EXPECT_TRUE(s.ValueExists(cSectionMotsCles, CleImage(nAutre, "/DCIM/B.JPG")));
    EXPECT_TRUE(c.SectionExists(CleImage(nAutre, "/DCIM/B.JPG")));
    EXPECT_TRUE(s.ValueExists(cSectionTaillesVignettes, "<12abc>/bad.jpg"));
    EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Vignettes(), nAutre, "/DCIM/B.JPG")));
    const TArboCD Apres = ConstruitArboCD(s, {});
    ASSERT_TRUE(Apres.Racine);
    EXPECT_FALSE(Noeud(const_cast<TArboCD &>(Apres), b.Volume(), "/"));
}

TEST(MaintenanceCD, LabelFollowsTheKeysNotTheThumbnailFolder)
{
    TBancMaintenance b;
    b.Image(b.Volume(), "/DCIM/A.JPG");
    b.Image(b.Volume(), "/DCIM/SUB/B.JPG");
    b.iniSetup.WriteString(cSectionLabelsCD, "8a3f-1", "PHOTOS");
    // B's thumbnail was deleted by hand: the folder empties while B stays in the history.
    QFile::remove(NomVignette(b.Vignettes(), b.Volume(), "/DCIM/SUB/B.JPG"));
    TArboCD a = ConstruitArboCD(b.iniSetup, {});
    const TBilanSuppressionCD r =
        SupprimeImagesCD(*Noeud(a, b.Volume(), "/DCIM/"), TPorteeSuppressionCD::Dossier, b.Stores(), b.Volumes);
    EXPECT_EQ(r.nSupprimees, 1);
    EXPECT_TRUE(r.lDossierVignettesRetire);
    EXPECT_FALSE(r.lLabelSupprime);
    EXPECT_EQ(b.iniSetup.ReadString(cSectionLabelsCD, "8a3f-1", ""), "PHOTOS");
    EXPECT_TRUE(b.iniSetup.ValueExists(cSectionTaillesVignettes, b.Cle("/DCIM/SUB/B.JPG")));
}

TEST(MaintenanceCD, ObsoleteImagesAreOnlyThoseTheMountedDiscReportsMissing)
{
    TBancMaintenance b;
    b.Image(b.Volume(), "/DCIM/A.JPG");
    b.Image(b.Volume(), "/DCIM/B.JPG");
    b.Image(b.Volume(), "/DCIM/C.JPG");
    b.SurDisque("/DCIM/A.JPG");
    b.SurDisque("/DCIM/B.JPG");
    b.SurDisque("/DCIM/C.JPG");
    b.Sauve();
    const QByteArray Avant = b.Fichiers();

    {
        // Absent disc: the message, nothing changed.
        TArboCD a = ConstruitArboCD(b.iniSetup, {});
        const auto r =
            SupprimeImagesCD(*Noeud(a, b.Volume(), "/"), TPorteeSuppressionCD::Obsoletes, b.Stores(), b.Volumes);
        EXPECT_TRUE(r.lCDAbsent);
        EXPECT_EQ(r.cMessage, "Le CD 8a3f-1 n'est pas présent dans le lecteur.");
    }
    b.Insere();
    {
        // Every file present: 0, nothing saved.
        TArboCD a = ConstruitArboCD(b.iniSetup, {});
        const auto r =
            SupprimeImagesCD(*Noeud(a, b.Volume(), "/"), TPorteeSuppressionCD::Obsoletes, b.Stores(), b.Volumes);
        EXPECT_EQ(r.nSupprimees, 0);
        EXPECT_EQ(r.cMessage, "0 Image(s) supprimée(s).");
        EXPECT_EQ(b.Fichiers(), Avant);
    }
    QFile::remove(b.Disque() + "DCIM/A.JPG");
    QFile::remove(b.Disque() + "DCIM/B.JPG");
    {
        // Ejected during the walk: every file then looks missing, yet nothing goes.
        TArboCD a = ConstruitArboCD(b.iniSetup, {});
        TParamsSuppressionCD p;
        p.fnApresImage = [&](int n) {
            if (n == 1)
                b.Ejecte();
        };
        const auto r =
            SupprimeImagesCD(*Noeud(a, b.Volume(), "/"), TPorteeSuppressionCD::Obsoletes, b.Stores(), b.Volumes, p);
        EXPECT_TRUE(r.lCDAbsent);
        EXPECT_EQ(r.nSupprimees, 0);
        EXPECT_EQ(b.Fichiers(), Avant);
        EXPECT_EQ(CheminsHistoriqueCD(b.iniSetup, b.Volume()).size(), 3);
    }
    b.Insere();
    {
        // A missing and an unreadable file: only the missing one is obsolete.
        TArboCD a = ConstruitArboCD(b.iniSetup, {});
        TParamsSuppressionCD p;
        p.fnEtatFichier = [](const QString &c) {
            if (c.endsWith("B.JPG"))
                return EIO;
            return QFileInfo::exists(c) ? 0 : ENOENT;
        };
        TNoeudCD *cd = Noeud(a, b.Volume(), "/");
        const auto r = SupprimeImagesCD(*cd, TPorteeSuppressionCD::Obsoletes, b.Stores(), b.Volumes, p);
        EXPECT_EQ(r.nSupprimees, 1);
        EXPECT_EQ(CheminsHistoriqueCD(b.iniSetup, b.Volume()), (QStringList{"/DCIM/B.JPG", "/DCIM/C.JPG"}));
        EXPECT_EQ(*Noeud(a, b.Volume(), "/DCIM/")->Enr->lstChemins, (QStringList{"/DCIM/B.JPG", "/DCIM/C.JPG"}));
        EXPECT_FALSE(QFileInfo::exists(NomVignette(b.Vignettes(), b.Volume(), "/DCIM/A.JPG")));
        EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Vignettes(), b.Volume(), "/DCIM/B.JPG")));
    }
}

TEST(MaintenanceCD, UnclassifiedImagesAndTheSharedList)
{
    TBancMaintenance b;
    b.Image(b.Volume(), "/b.jpg");
    b.Image(b.Volume(), "/DCIM/Été.JPG");
    b.Image(b.Volume(), "/A.JPG");
    b.Image(b.Volume(), "/classee.jpg");
    b.Image(b.Volume(), "/legende.jpg");
    b.Image(b.Volume(), "/critere.jpg");
    b.Image(nAutre, "/autre.jpg");
    b.iniSetup.WriteString(cSectionMotsCles, b.Cle("/classee.jpg"), "mer");
    b.iniSetup.WriteString(cSectionLegendes, b.Cle("/legende.jpg"), "Un soir");
    b.iniBDD.WriteString(b.Cle("/critere.jpg"), "Lieux", "1");
    // Sorted by file path, French order ignoring case.
    EXPECT_EQ(ImagesSansCritere(b.iniSetup, b.iniBDD, b.Volume()), (QStringList{"/A.JPG", "/b.jpg", "/DCIM/Été.JPG"}));

    QFile::remove(NomVignette(b.Vignettes(), b.Volume(), "/b.jpg"));
    b.iniSetup.WriteString(cSectionTaillesVignettes, b.Cle("/b.jpg"), "0");
    b.iniSetup.DeleteKey(cSectionResolutionsVignettes, b.Cle("/b.jpg"));
    b.Insere();
    b.SurDisque("/DCIM/Été.JPG");
    const TLecteursCD Lecteurs(b.Volumes);
    const auto l = LignesListeCD(b.Stores(), Lecteurs, b.Volume(), {"/DCIM/Été.JPG", "/b.jpg", "/critere.jpg"});
    ASSERT_EQ(l.size(), 3);
    EXPECT_EQ(l[0].cNom, "Été.JPG");
    EXPECT_EQ(l[0].cEmplacement, "/DCIM/");
    EXPECT_EQ(l[0].cResolution, "640x480");
    EXPECT_FALSE(l[0].cTaille.isEmpty());
    EXPECT_FALSE(l[0].cDate.isEmpty());
    EXPECT_TRUE(l[0].lTrouve);
    EXPECT_EQ(l[0].cLecteur, b.Disque());
    EXPECT_EQ(l[0].nIcone, 0);
    EXPECT_EQ(l[1].cResolution, "0x0");
    EXPECT_TRUE(l[1].cTaille.isEmpty());
    EXPECT_TRUE(l[1].cDate.isEmpty());
    EXPECT_FALSE(l[1].lTrouve);
    EXPECT_TRUE(l[1].cLecteur.isEmpty());
    EXPECT_EQ(l[2].nIcone, 4);
}

TEST(MaintenanceCD, ComparisonCountsCommonImagesAndListsTheOthers)
{
    TBancMaintenance b;
    for (const char *c : {"/DCIM/A.JPG", "/DCIM/b.JPG"}) {
        b.Image(b.Volume(), c);
        b.Image(nD, c);
    }
    TComparaisonCD r = CompareCD(b.iniSetup, b.Volume(), nD);
    EXPECT_EQ(r.nCommunes, 2);
    EXPECT_TRUE(r.SourceSeule.isEmpty() && r.DestinationSeule.isEmpty());

    b.Image(b.Volume(), "/z.jpg");
    b.Image(b.Volume(), "/C.jpg");
    b.Image(nD, "/dst.jpg");
    b.Image(nAutre, "/x.jpg");
    r = CompareCD(b.iniSetup, b.Volume(), nD);
    EXPECT_EQ(r.nCommunes, 2);
    EXPECT_EQ(r.SourceSeule, (QStringList{"/C.jpg", "/z.jpg"}));
    EXPECT_EQ(r.DestinationSeule, QStringList{"/dst.jpg"});
}

TEST(MaintenanceCD, ReplacementMovesTheHistorySourceWinning)
{
    TBancMaintenance b;
    b.Image(b.Volume(), "/DCIM/A.JPG", "vignette de S");
    b.Image(b.Volume(), "/DCIM/S.JPG");
    b.Image(nD, "/DCIM/A.JPG", "vignette de D");
    b.Image(nD, "/DCIM/D.JPG");
    b.Classe(b.Volume(), "/DCIM/A.JPG", "source", "Lieux\\S");
    b.Classe(nD, "/DCIM/A.JPG", "destination", "Lieux\\D");
    b.Classe(nD, "/DCIM/D.JPG", "propre", "Lieux\\D2");
    // An image album: its lines keep their order, S's images under their new keys.
    const QString cAlbum = cSectionAlbumImages + QStringLiteral(" Voyage");
    b.iniSetup.WriteString(cAlbum, "/home/a.jpg", "1");
    b.iniSetup.WriteString(cAlbum, b.Cle("/DCIM/S.JPG"), "2");
    b.iniSetup.WriteString(cAlbum, CleImage(nD, "/DCIM/D.JPG"), "3");
    b.iniSetup.WriteString(cAlbum, b.Cle("/DCIM/A.JPG"), "4");
    b.iniSetup.WriteString(cSectionLabelsCD, "8a3f-1", "ANCIEN");
    b.Sauve();

    const auto r = RemplaceCD(b.Stores(), b.Volume(), nD, "NOUVEAU");
    EXPECT_TRUE(r.lFait);
    EXPECT_TRUE(r.Erreurs.isEmpty()) << r.Erreurs.join('\n').toStdString();
    EXPECT_EQ(r.nImages, 2);
    EXPECT_TRUE(r.lDossierSourceRetire);
    EXPECT_FALSE(QFileInfo::exists(b.Vignettes() + "8a3f-1"));

    TBigIniFile s(b.iniSetup.FileName()), c(b.iniBDD.FileName(), true);
    const QString cA = CleImage(nD, "/DCIM/A.JPG");
    EXPECT_EQ(s.ReadString(cSectionMotsCles, cA, ""), "source");
    EXPECT_TRUE(c.ValueExists(cA, "Lieux\\S"));
    EXPECT_FALSE(c.ValueExists(cA, "Lieux\\D"));
    EXPECT_EQ(s.ReadString(cSectionMotsCles, CleImage(nD, "/DCIM/D.JPG"), ""), "propre");
    EXPECT_TRUE(c.ValueExists(CleImage(nD, "/DCIM/D.JPG"), "Lieux\\D2"));
    EXPECT_TRUE(s.ValueExists(cSectionResolutionsVignettes, CleImage(nD, "/DCIM/S.JPG")));
    EXPECT_TRUE(CheminsHistoriqueCD(s, b.Volume()).isEmpty());
    EXPECT_EQ(CheminsHistoriqueCD(s, nD).size(), 3);
    QStringList Album;
    s.ReadSectionValues(cAlbum, Album);
    EXPECT_EQ(Album, (QStringList{"/home/a.jpg=1", CleImage(nD, "/DCIM/S.JPG") + "=2",
                                  CleImage(nD, "/DCIM/D.JPG") + "=3", cA + "=4"}));
    EXPECT_FALSE(s.ValueExists(cSectionLabelsCD, "8a3f-1"));
    EXPECT_EQ(s.ReadString(cSectionLabelsCD, IdVolume(nCopie), ""), "NOUVEAU");
    EXPECT_EQ(b.Octets(NomVignette(b.Vignettes(), nD, "/DCIM/A.JPG")), "vignette de S");
    EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Vignettes(), nD, "/DCIM/S.JPG")));
    EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Vignettes(), nD, "/DCIM/D.JPG")));
}

TEST(MaintenanceCD, AShortenedThumbnailNameTakesTheNewKeyInItsComment)
{
    TBancMaintenance b;
    const QString cChemin = "/DCIM/" + QString(300, 'a') + ".JPG";
    const QString cSource = NomVignette(b.Vignettes(), b.Volume(), cChemin);
    ASSERT_TRUE(EstNomVignetteAbrege(QFileInfo(cSource).fileName()));
    // A thumbnail: its key comment, then what follows it untouched.
    auto Segment = [](uchar m, const QByteArray &Octets) {
        const qsizetype n = Octets.size() + 2;
        return QByteArray("\xFF", 1) + char(m) + char(n >> 8) + char(n & 0xFF) + Octets;
    };
    const QByteArray Suite = Segment(0xDB, "table") + QByteArray("\xFF\xDA\0\x02pixels\xFF\xD9", 12);
    b.Image(b.Volume(), cChemin,
            QByteArray("\xFF\xD8", 2) + Segment(0xFE, CommentaireVignette(b.Volume(), cChemin)) + Suite);
    ASSERT_TRUE(CleDeFichierVignette(b.Vignettes(), cSource).has_value());
    b.Sauve();

    const auto r = RemplaceCD(b.Stores(), b.Volume(), nD, "NOUVEAU");
    EXPECT_TRUE(r.lDossierSourceRetire);
    const QString cCible = NomVignette(b.Vignettes(), nD, cChemin);
    const auto Cle = CleDeFichierVignette(b.Vignettes(), cCible);
    ASSERT_TRUE(Cle.has_value());
    EXPECT_EQ(Cle->nVolume, nD);
    EXPECT_EQ(Cle->cChemin, cChemin);
    EXPECT_EQ(b.Octets(cCible), QByteArray("\xFF\xD8", 2) + Segment(0xFE, CommentaireVignette(nD, cChemin)) + Suite);
}

TEST(MaintenanceCD, ARemadeThumbnailsDataAreReadAgainFromTheImage)
{
    TBancMaintenance b;
    // A JPEG whose EXIF block holds its camera model.
    QByteArray t("II*\0\x08\0\0\0", 8);
    auto Mot = [&t](quint16 n) { t.append(char(n & 0xFF)).append(char(n >> 8)); };
    auto Long = [&t](quint32 n) {
        for (int i = 0; i < 4; ++i)
            t.append(char((n >> (8 * i)) & 0xFF));
    };
    Mot(1);
    Mot(0x0110), Mot(2), Long(9), Long(26);
    Long(0);
    t.append("Appareil").append('\0');
    const QByteArray App1 = QByteArray("Exif\0\0", 6) + t;
    QByteArray Jpeg("\xFF\xD8\xFF\xE1", 4);
    Jpeg.append(char((App1.size() + 2) >> 8)).append(char((App1.size() + 2) & 0xFF)).append(App1).append("\xFF\xD9");
    const QString cFichier = b.Disque() + "DCIM/A.JPG";
    QDir().mkpath(b.Disque() + "DCIM");
    QFile f(cFichier);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Jpeg);
    f.close();
    // The cache holds a record the image no longer matches.
    const QString cCle = b.Cle("/DCIM/A.JPG");
    b.iniSetup.WriteString(cSectionEXIF, cCle, "ancien|");

    const TSourcesDonneesCD d = DonneesRelues(cFichier, {}, nullptr);
    EXPECT_FALSE(d.lTrtDescription);
    ASSERT_TRUE(d.EcritMetadonnees);
    d.EcritMetadonnees(b.iniSetup, cCle);
    EXPECT_TRUE(b.iniSetup.ReadString(cSectionEXIF, cCle, "").contains("Appareil"));
    EXPECT_FALSE(b.iniSetup.ValueExists(cSectionIPTC, cCle));
}

TEST(MaintenanceCD, ReplacementRefusesItselfAndNeverWritesAnEmptyLabel)
{
    TBancMaintenance b;
    b.Image(b.Volume(), "/A.JPG");
    b.Classe(b.Volume(), "/A.JPG", "mer", "Lieux");
    b.Sauve();
    const QByteArray Avant = b.Fichiers();
    const auto r = RemplaceCD(b.Stores(), b.Volume(), b.Volume(), "PHOTOS");
    EXPECT_TRUE(r.lRefuse);
    EXPECT_EQ(r.cMessage, "Le CD de destination est le CD source.");
    EXPECT_EQ(b.Fichiers(), Avant);
    EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Vignettes(), b.Volume(), "/A.JPG")));

    // A disc new to the history, without label: the history moves, no "id=" line appears.
    const auto r2 = RemplaceCD(b.Stores(), b.Volume(), nD, QString());
    EXPECT_TRUE(r2.lFait);
    EXPECT_FALSE(b.iniSetup.ValueExists(cSectionLabelsCD, IdVolume(nCopie)));
    EXPECT_EQ(b.iniSetup.ReadString(cSectionMotsCles, CleImage(nD, "/A.JPG"), ""), "mer");
    EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Vignettes(), nD, "/A.JPG")));
}

TEST(MaintenanceCD, ReplacementKilledBetweenTheSavesIsFinishedByASecondRun)
{
    TBancMaintenance b;
    const QStringList Chemins{"/DCIM/A.JPG", "/DCIM/B.JPG", "/C.JPG"};
    for (const QString &c : Chemins) {
        b.Image(b.Volume(), c, c.toUtf8());
        b.Classe(b.Volume(), c, "mc " + c, "Crit " + c);
    }
    b.Image(nD, "/DCIM/A.JPG", "ancienne");
    b.Sauve();

    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        TParamsRemplacementCD p;
        p.fnEntreSauvegardes = [] { ::raise(SIGKILL); };
        RemplaceCD(b.Stores(), b.Volume(), nD, "COPIE", p);
        ::_exit(0);
    }
    int nStatut = 0;
    ASSERT_EQ(waitpid(pid, &nStatut, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(nStatut) && WTERMSIG(nStatut) == SIGKILL);

    // A new run of the program reads the files as the kill left them.
    TBigIniFile s(b.iniSetup.FileName()), c(b.iniBDD.FileName(), true);
    s.lAutoSave = c.lAutoSave = false;
    ASSERT_EQ(CheminsHistoriqueCD(s, b.Volume()).size(), 3) << "the settings were not saved: S is still listed";
    const auto r = RemplaceCD({s, c, b.Vignettes()}, b.Volume(), nD, "COPIE");
    EXPECT_TRUE(r.Erreurs.isEmpty());

    TBigIniFile s2(b.iniSetup.FileName()), c2(b.iniBDD.FileName(), true);
    EXPECT_TRUE(CheminsHistoriqueCD(s2, b.Volume()).isEmpty());
    for (const QString &cChemin : Chemins) {
        const QString cCle = CleImage(nD, cChemin);
        EXPECT_TRUE(s2.ValueExists(cSectionTaillesVignettes, cCle));
        EXPECT_EQ(s2.ReadString(cSectionMotsCles, cCle, ""), "mc " + cChemin);
        EXPECT_TRUE(c2.ValueExists(cCle, "Crit " + cChemin)) << cChemin.toStdString();
        EXPECT_EQ(b.Octets(NomVignette(b.Vignettes(), nD, cChemin)), cChemin.toUtf8());
    }
    EXPECT_EQ(s2.ReadString(cSectionLabelsCD, IdVolume(nCopie), ""), "COPIE");
    EXPECT_FALSE(QFileInfo::exists(b.Vignettes() + "8a3f-1"));
}

TEST(MaintenanceCD, FailedSavesNameTheFileAndKeepTheData)
{
    // A folder standing where a store's file is: no save can replace it, even as root.
    auto Bloque = [](const QString &cFichier) {
        QFile::remove(cFichier);
        QDir().mkpath(cFichier + "/occupe");
    };
    {
        TBancMaintenance b;
        b.Image(b.Volume(), "/A.JPG");
        b.Image(b.Volume(), "/B.JPG");
        b.Classe(b.Volume(), "/A.JPG", "mer", "Lieux");
        b.Sauve();
        Bloque(b.iniSetup.FileName());
        Bloque(b.iniBDD.FileName());
        TArboCD a = ConstruitArboCD(b.iniSetup, {});
        const auto r =
            SupprimeImagesCD(*Noeud(a, b.Volume(), "/"), TPorteeSuppressionCD::Dossier, b.Stores(), b.Volumes);
        EXPECT_EQ(r.nSupprimees, 2);
        ASSERT_EQ(r.Erreurs.size(), 2);
        EXPECT_TRUE(r.Erreurs[0].contains("KX_BDD.ini"));
        EXPECT_TRUE(r.Erreurs[1].contains("KX_Setup.ini"));
        // In memory the removal holds, for the next save.
        EXPECT_FALSE(b.iniBDD.SectionExists(b.Cle("/A.JPG")));
        EXPECT_FALSE(b.iniSetup.ValueExists(cSectionTaillesVignettes, b.Cle("/A.JPG")));
        EXPECT_TRUE(b.iniSetup.Modifie());
    }
    {
        // A replacement whose catalogue cannot be saved stops before the settings and keeps
        // S's thumbnail folder.
        TBancMaintenance b;
        b.Image(b.Volume(), "/A.JPG");
        b.Classe(b.Volume(), "/A.JPG", "mer", "Lieux");
        b.Sauve();
        const QByteArray Setup = b.Octets(b.iniSetup.FileName());
        Bloque(b.iniBDD.FileName());
        const auto r = RemplaceCD(b.Stores(), b.Volume(), nD, "X");
        ASSERT_EQ(r.Erreurs.size(), 1);
        EXPECT_TRUE(r.Erreurs[0].contains("KX_BDD.ini"));
        EXPECT_FALSE(r.lDossierSourceRetire);
        EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Vignettes(), b.Volume(), "/A.JPG")));
        EXPECT_EQ(b.Octets(b.iniSetup.FileName()), Setup);
        EXPECT_TRUE(b.iniBDD.SectionExists(CleImage(nD, "/A.JPG")));
    }
}
