#include "thumbnails/ThumbnailCache_fm.h"

#include "components/PaneledListView.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/EcritJpeg.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{
// The test's message helper: questions and messages in two lists, questions answered by lOui.
class TMessagesBanc : public TMessagesFactices
{
public:
    QStringList &Questions;
    QStringList &Messages;
    bool lOui = true;
    TMessagesBanc(QStringList &q, QStringList &m) : Questions(q), Messages(m) {}
    bool Question(QWidget *, const QString &c, bool, const QString &) override
    {
        Questions << c;
        return lOui;
    }
    void Information(QWidget *, const QString &c) override { Messages << "Information|" + c; }
    void Attention(QWidget *, const QString &c) override { Messages << "Attention|" + c; }
    void Erreur(QWidget *, const QString &c) override { Messages << "Erreur|" + c; }
};

QByteArray Contenu(const QString &c)
{
    QFile f(c);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct TBancFenetre
{
    QTemporaryDir Temp;
    TContexte Contexte{TEmplacementsConfig{}, QString(), nullptr};
    TModeleListeImages Modele;
    TSelectionKX Selection{Modele};
    QWidget Fenetre;
    TPaneledListView *Grille = new TPaneledListView(&Fenetre);
    QProgressBar *Jauge = new QProgressBar(&Fenetre);
    std::unique_ptr<TVignettesKX> Vigs;
    QStringList Messages;
    QStringList Questions;
    TMessagesBanc *Reponses = nullptr;
    QString cImages;

    TBancFenetre()
    {
        Contexte.Dossiers.cDossierVignettes = Temp.path() + "/Vignettes/";
        QDir().mkpath(Contexte.Dossiers.cDossierVignettes);
        cImages = Temp.path() + "/Images/";
        QDir().mkpath(cImages);
        Contexte.iniSetup = std::make_unique<TBigIniFile>(Temp.path() + "/KX_Setup.ini");
        Contexte.iniSetup->lAutoSave = false;
        Contexte.Parametres.lModeMAJ = true;
        Grille->set_ItemDim(100);
        Vigs = std::make_unique<TVignettesKX>(Contexte, Selection, Grille, Jauge, &Fenetre);
        auto Faux = std::make_unique<TMessagesBanc>(Questions, Messages);
        Reponses = Faux.get();
        Contexte.Messages = std::move(Faux);
    }

    QString Jpeg(const QString &cNom, const QString &cDossier = {})
    {
        const QString d = cDossier.isEmpty() ? cImages : cDossier;
        EXPECT_TRUE(EcritJpeg(d + cNom, 120, 90, Qt::darkCyan));
        return d + cNom;
    }

    void Ajoute(const QString &cChemin, qint32 nNumCD = 0, const QString &cLecteur = {}, bool lExiste = true)
    {
        auto e = std::make_unique<TEnrLV>();
        e->nNumCD = nNumCD;
        e->cLecteur = cLecteur;
        e->cChemin = cChemin;
        e->lExiste = lExiste;
        Modele.Ajoute(std::move(e), false);
    }
};
} // namespace

TEST(ThumbnailCacheFm, EscAtRowTenOfFiftyKeepsElevenRowsAndThumbnails)
{
    TBancFenetre b;
    for (int i = 0; i < 50; ++i)
        b.Ajoute(b.Jpeg(QString("p%1.jpg").arg(i, 2, 10, QChar('0'))));
    int nAppels = 0;
    b.Vigs->fnEchapAttendu = [&] { return nAppels++ == 10; };
    EXPECT_EQ(b.Vigs->ChargeVignettes(), 11);
    EXPECT_EQ(b.Questions, QStringList{"Interrompre le chargement des vignettes ?"});
    EXPECT_EQ(b.Modele.Nombre(), 11);
    ASSERT_EQ(b.Grille->Nombre(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_TRUE(b.Grille->Item(i)->AUneImage());
        EXPECT_EQ(b.Grille->Item(i)->cTitre(), QString("p%1.jpg").arg(i, 2, 10, QChar('0')));
        EXPECT_EQ(b.Modele.Enr(i).nLargeur, 120);
    }
    EXPECT_TRUE(b.Jauge->isHidden());
    EXPECT_EQ(b.Jauge->maximum(), 100);
}

TEST(ThumbnailCacheFm, AnsweringNoGoesOnAndTheStoreIsSavedOnce)
{
    TBancFenetre b;
    const QString cCD = b.Temp.path() + "/cd/";
    for (int i = 0; i < 5; ++i)
        b.Jpeg(QString("c%1.jpg").arg(i), cCD);
    for (int i = 0; i < 5; ++i)
        b.Ajoute(QString("/c%1.jpg").arg(i), 4242, b.Temp.path() + "/cd");
    b.Modele.Enr(0).lEXIF = true;
    b.Modele.Enr(0).cAppareil = "Canon EOS D60";
    b.Reponses->lOui = false;
    int nAppels = 0;
    b.Vigs->fnEchapAttendu = [&] { return nAppels++ == 1; };
    EXPECT_EQ(b.Vigs->ChargeVignettes(), 5);
    EXPECT_EQ(b.Modele.Nombre(), 5);
    // Five CD thumbnails wrote their sizes; the store reached the disk in one save.
    EXPECT_FALSE(b.Contexte.iniSetup->Modifie());
    TBigIniFile Relu(b.Contexte.iniSetup->FileName());
    QStringList Cles;
    Relu.ReadSection(cSectionTaillesVignettes, Cles);
    EXPECT_EQ(Cles.size(), 5);
    // The EXIF data of a CD image stay readable while the disc is out.
    EXPECT_TRUE(Relu.ReadString(cSectionEXIF, "<4242>/c0.jpg", "").startsWith("Canon EOS D60|"));
    EXPECT_FALSE(Relu.ValueExists(cSectionEXIF, "<4242>/c1.jpg"));
}

TEST(ThumbnailCacheFm, RemakeCountsEntriesOfAbsentCdsAsNotTreated)
{
    TBancFenetre b;
    const QString cLocale = b.Jpeg("a.jpg");
    b.Ajoute(cLocale);
    // A CD image listed while its disc was in: the listing made its thumbnail. The disc is
    // ejected afterwards, leaving its mount folder empty; the rows stay as they were listed.
    const QString cCD = b.Temp.path() + "/cd/";
    b.Jpeg("x.jpg", cCD + "DCIM/");
    b.Ajoute("/DCIM/x.jpg", 99, b.Temp.path() + "/cd", true);
    b.Vigs->ChargeVignettes();
    ASSERT_EQ(b.Grille->Nombre(), 2);
    EXPECT_FALSE(b.Modele.Enr(1).lIllisible);
    const QString cT = NomVignette(b.Contexte.Dossiers.cDossierVignettes, 99, "/DCIM/x.jpg");
    ASSERT_TRUE(QFileInfo::exists(cT));
    ASSERT_TRUE(QDir(cCD).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(cCD));
    ASSERT_TRUE(b.Modele.Enr(1).lExiste);

    b.Vigs->miVigsVigsEnregRecreerClick(TPorteeVignettes::Toutes);
    EXPECT_EQ(b.Messages, QStringList{"Attention|1 image(s) n'ont(a) pas été traitée(s)."});
    EXPECT_TRUE(QFileInfo::exists(cT));
    EXPECT_FALSE(b.Modele.Enr(1).lIllisible);
    EXPECT_TRUE(b.Contexte.iniSetup->ValueExists(cSectionTaillesVignettes, "<99>/DCIM/x.jpg"));
    EXPECT_TRUE(QFileInfo::exists(NomVignette(b.Contexte.Dossiers.cDossierVignettes, 0, cLocale)));

    b.Messages.clear();
    b.Vigs->miVigsVigsEnregSupprimerClick(TPorteeVignettes::Toutes);
    EXPECT_EQ(b.Messages, QStringList{"Attention|1 image(s) n'ont(a) pas été traitée(s)."});
    EXPECT_TRUE(QFileInfo::exists(cT));
    EXPECT_FALSE(QFileInfo::exists(NomVignette(b.Contexte.Dossiers.cDossierVignettes, 0, cLocale)));

    // Nothing checked: nothing to do.
    b.Messages.clear();
    b.Vigs->miVigsVigsEnregRecreerClick(TPorteeVignettes::Cochees);
    EXPECT_EQ(b.Messages, QStringList{"Attention|Aucune image à traiter."});
}

TEST(ThumbnailCacheFm, SavingRefusesTheImageItselfAsksBeforeReplacingAndRefusesHugeSheets)
{
    TBancFenetre b;
    const QString cImage = b.Jpeg("a.jpg");
    b.Ajoute(cImage);
    b.Vigs->ChargeVignettes();
    b.Selection.MetLigneCourante(0);
    QImage Affichee(50, 40, QImage::Format_RGB32);
    Affichee.fill(Qt::red);
    b.Vigs->fnImageAffichee = [&] { return Affichee; };
    const qint64 nTaille = QFileInfo(cImage).size();

    QString cTitreVu, cNomVu;
    b.Vigs->fnNomFichier = [&](const QString &t, const QString &, const QString &n) {
        cTitreVu = t;
        cNomVu = n;
        return cImage;
    };
    b.Vigs->btSvgImgCourClick();
    EXPECT_EQ(cTitreVu, "Sauvegarder l'image courante");
    EXPECT_EQ(cNomVu, "a.jpg");
    ASSERT_EQ(b.Messages.size(), 1);
    EXPECT_TRUE(b.Messages[0].startsWith("Erreur|"));
    EXPECT_EQ(QFileInfo(cImage).size(), nTaille);

    // Another file: asked first; No keeps it.
    const QString cAutre = b.Jpeg("autre.jpg");
    const qint64 nAutre = QFileInfo(cAutre).size();
    b.Vigs->fnNomFichier = [&](const QString &t, const QString &, const QString &n) {
        cTitreVu = t;
        cNomVu = n;
        return cAutre;
    };
    b.Reponses->lOui = false;
    b.Vigs->btSvgVigCourClick();
    EXPECT_EQ(cTitreVu, "Sauvegarder la vignette courante");
    EXPECT_EQ(cNomVu, "_a.jpg");
    EXPECT_EQ(b.Questions.size(), 1);
    EXPECT_EQ(QFileInfo(cAutre).size(), nAutre);

    // A folder that cannot be written: the failure is told.
    b.Messages.clear();
    b.Vigs->fnNomFichier = [&](const QString &, const QString &, const QString &) {
        return b.Temp.path() + "/absent/x.jpg";
    };
    b.Vigs->btSvgTtesVigClick("Images");
    ASSERT_EQ(b.Messages.size(), 1);
    EXPECT_TRUE(b.Messages[0].startsWith("Erreur|"));

    // A sheet written where it may be, its folder remembered.
    b.Messages.clear();
    b.Vigs->fnNomFichier = [&](const QString &, const QString &, const QString &n) {
        cNomVu = n;
        return b.Temp.path() + "/planche";
    };
    b.Vigs->btSvgTtesVigClick("Images");
    EXPECT_TRUE(b.Messages.isEmpty());
    EXPECT_EQ(cNomVu, "Images.jpg");
    EXPECT_EQ(JpegCodec::Decode(b.Temp.path() + "/planche.jpg").size(), QSize(112, 127));
    EXPECT_EQ(b.Contexte.Parametres.cRepSvgVig, b.Temp.path());

    // 401 thumbnails of 300 at W = 800: 2 columns, 201 rows of 327 = 65,727 pixels.
    TPaneledListView Grande;
    Grande.set_ItemDim(300);
    for (int i = 0; i < 401; ++i)
        Grande.Ajoute();
    b.Contexte.Parametres.nIndLargMaxSvgTtesVig = 1;
    b.Messages.clear();
    bool lDialogue = false;
    b.Vigs->fnNomFichier = [&](const QString &, const QString &, const QString &) {
        lDialogue = true;
        return QString();
    };
    EXPECT_FALSE(b.Vigs->SauverPlanche(&Grande, "Calendrier"));
    EXPECT_FALSE(lDialogue);
    ASSERT_EQ(b.Messages.size(), 1);
    EXPECT_TRUE(b.Messages[0].startsWith("Erreur|"));

    // An empty grid has nothing to save.
    TPaneledListView Vide;
    b.Messages.clear();
    EXPECT_FALSE(b.Vigs->SauverPlanche(&Vide, "Album d'Images"));
    EXPECT_EQ(b.Messages, QStringList{"Attention|Aucune image à traiter."});
}

TEST(ThumbnailCacheFm, StoredThumbnailsMenuTellsTheSizeItWasMadeAt)
{
    TBancFenetre b;
    b.Ajoute(b.Jpeg("a.jpg"));
    b.Vigs->ChargeVignettes();
    b.Selection.MetLigneCourante(0);
    // The grid's pop-up gets the menu from the commands, enabled while an entry is current.
    ASSERT_TRUE(b.Vigs->Actions(TEmplacementAction::PopupImages).isEmpty());
    const QList<QAction *> Grille = b.Vigs->Actions(TEmplacementAction::PopupVignettes);
    ASSERT_EQ(Grille.size(), 1);
    EXPECT_EQ(Grille[0]->text(), "Vignettes en&registrées");
    EXPECT_TRUE(Grille[0]->isEnabled());
    b.Selection.MetLigneCourante(-1);
    EXPECT_FALSE(b.Vigs->Actions(TEmplacementAction::PopupVignettes).at(0)->isEnabled());
    b.Selection.MetLigneCourante(0);

    QMenu *Menu = b.Vigs->CreeMenuVignettesEnregistrees(&b.Fenetre);
    ASSERT_EQ(Menu->title(), "Vignettes en&registrées");
    const QList<QAction *> Sous = Menu->actions();
    ASSERT_EQ(Sous.size(), 2);
    EXPECT_EQ(Sous[0]->text(), "&Recréer");
    EXPECT_EQ(Sous[1]->text(), "&Supprimer");
    const QList<QAction *> Recreer = Sous[0]->menu()->actions();
    ASSERT_EQ(Recreer.size(), 3);
    emit Menu->aboutToShow();
    EXPECT_EQ(Recreer[0]->text(), "la vignette &courante");
    EXPECT_EQ(Recreer[1]->text(), "les vignettes &sélectionnées");
    EXPECT_EQ(Recreer[2]->text(), "&Toutes les vignettes");
    EXPECT_FALSE(Recreer[1]->isEnabled()); // nothing checked
    // The grid grew: the file made at 100 × 75 is only fitted.
    b.Grille->set_ItemDim(160);
    emit Menu->aboutToShow();
    EXPECT_EQ(Recreer[0]->text(), "la vignette &courante  (taille de création : 100x75)");
    // Consultation mode: nothing is deleted.
    b.Contexte.Parametres.lModeMAJ = false;
    emit Menu->aboutToShow();
    EXPECT_FALSE(Sous[1]->menu()->isEnabled());
}

// A remade thumbnail is told to every feature showing that picture, once per image.
TEST(ThumbnailCacheFm, RemakeTellsWhichPicturesChanged)
{
    TBancFenetre b;
    b.Ajoute(b.Jpeg("a.jpg"));
    b.Ajoute(b.Jpeg("b.jpg"));
    b.Vigs->ChargeVignettes();
    b.Selection.MetLigneCourante(1);
    QSignalSpy Images(&b.Selection, &TSelectionKX::ImageChange);
    b.Vigs->miVigsVigsEnregRecreerClick(TPorteeVignettes::Courante);
    ASSERT_EQ(Images.size(), 1);
    EXPECT_EQ(Images.at(0).at(0).toString(), b.Modele.Enr(1).Cle());
    b.Vigs->miVigsVigsEnregRecreerClick(TPorteeVignettes::Toutes);
    EXPECT_EQ(Images.size(), 3);
    // Deleting stored thumbnails leaves the pictures shown as they are.
    b.Vigs->miVigsVigsEnregSupprimerClick(TPorteeVignettes::Toutes);
    EXPECT_EQ(Images.size(), 3);
}

TEST(ThumbnailCacheFm, CachedListingDecodesOnlyAroundTheViewAndRemakesDamagedFiles)
{
    TBancFenetre b;
    b.Fenetre.resize(400, 300);
    b.Grille->resize(400, 300);
    b.Fenetre.show();
    for (int i = 0; i < 30; ++i)
        b.Ajoute(b.Jpeg(QString("p%1.jpg").arg(i, 2, 10, QChar('0'))));
    const QString cCD = b.Temp.path() + "/cd/";
    b.Jpeg("x.jpg", cCD + "DCIM/");
    b.Ajoute("/DCIM/x.jpg", 99, b.Temp.path() + "/cd", true);
    ASSERT_EQ(b.Vigs->ChargeVignettes(), 31);

    // Two cache files cut short by a crash, past their headers; the disc is then ejected.
    const QString cVignettes = b.Contexte.Dossiers.cDossierVignettes;
    const QString cT0 = NomVignette(cVignettes, 0, b.Modele.Enr(0).cChemin);
    const QString cTCD = NomVignette(cVignettes, 99, "/DCIM/x.jpg");
    auto Coupe = [](const QString &c) {
        const QByteArray Bon = Contenu(c);
        const qsizetype nScan = Bon.indexOf(QByteArray::fromHex("FFDA"));
        EXPECT_GT(nScan, 0);
        const QByteArray Debut = Bon.left(nScan + (Bon.size() - nScan) / 2);
        QFile f(c);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(Debut);
        return Debut;
    };
    Coupe(cT0);
    const QByteArray CDCoupee = Coupe(cTCD);
    ASSERT_TRUE(JpegCodec::Decode(cT0, 1, nullptr, JpegCodec::TAvertissements::Refuses).isNull());
    ASSERT_TRUE(QDir(cCD).removeRecursively());
    b.Modele.Enr(30).cLecteur.clear();
    b.Modele.Enr(30).lExiste = false;

    // The second listing reads the files; the grid decodes the rows around its view only.
    ASSERT_EQ(b.Vigs->ChargeVignettes(), 31);
    QImage Vue(b.Grille->viewport()->size(), QImage::Format_RGB32);
    b.Grille->viewport()->render(&Vue);
    QApplication::processEvents();
    b.Grille->AttendRemplissage();
    for (int i = 24; i < 31; ++i)
        EXPECT_FALSE(b.Grille->Item(i)->lDecodee()) << i;
    EXPECT_TRUE(b.Grille->Item(1)->lDecodee());

    // The damaged file of a reachable image was made again when first shown.
    QApplication::processEvents();
    const QImage Refaite = JpegCodec::Decode(cT0, 1, nullptr, JpegCodec::TAvertissements::Refuses);
    ASSERT_FALSE(Refaite.isNull());
    EXPECT_EQ(b.Grille->Item(0)->Vignette(), Refaite);
    EXPECT_FALSE(b.Modele.Enr(0).lIllisible);

    // The one of an absent disc is left as it is; the row shows the placeholder instead.
    EXPECT_TRUE(b.Grille->Item(30)->Vignette().isNull());
    QApplication::processEvents();
    EXPECT_TRUE(b.Modele.Enr(30).lIllisible);
    EXPECT_EQ(b.Grille->Item(30)->Vignette().size(), QSize(100, 100));
    EXPECT_EQ(Contenu(cTCD), CDCoupee);
}
