#include "publishing/CopieImages_fm.h"

#include "BancSuppressionFm.h"
#include "components/FolderTreeView.h"
#include "imaging/FileKinds.h"
#include "storage/CleImage.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>

namespace
{
class CopieImagesFm : public BancSuppressionFm
{
protected:
    void SetUp() override
    {
        BancSuppressionFm::SetUp();
        a = Jpeg(QStringLiteral("photos/a.jpg"), 10);
        b = Jpeg(QStringLiteral("photos/b.jpg"), 200);
        for (const QString &c : {b, a}) {
            const int n = Liste(c, true);
            TailleEtDate(c, Modele.Enr(n).nTaille, Modele.Enr(n).nDate);
        }
        Contexte->iniSetup->WriteString(QStringLiteral("MOTS-CLES"), a, QStringLiteral("MER"));
    }
    std::unique_ptr<TfmCopieImg> Ouvre(const QString &cDepart)
    {
        auto fm =
            std::make_unique<TfmCopieImg>(*Contexte, PreparerCopie(Modele, TLecteursCD(*Contexte->Volumes)), cDepart);
        fm->MetOperations(Operations.get());
        return fm;
    }
    static void EtatBoutons(const TfmCopieImg &fm, bool lPrec, bool lSuiv, bool lCopier)
    {
        EXPECT_EQ(fm.btPrec->isEnabled(), lPrec);
        EXPECT_EQ(fm.btSuiv->isEnabled(), lSuiv);
        EXPECT_EQ(fm.btCopier->isEnabled(), lCopier);
    }

    QString a, b;
};
} // namespace

TEST_F(CopieImagesFm, DiskDestinationCopiesIntoAFolderMadeFromTheWindow)
{
    auto fm = Ouvre(cRacine + QStringLiteral("/photos"));
    fm->show();
    EXPECT_EQ(fm->windowTitle(),
              QStringLiteral("Copier 2 image(s) - %1").arg(TexteTaille(QFileInfo(a).size() + QFileInfo(b).size())));
    EXPECT_EQ(fm->tvDosDst->DossierCourant(), cRacine + QStringLiteral("/photos/"));
    EXPECT_FALSE(fm->pcPages->isTabVisible(1));
    EXPECT_FALSE(fm->pcPages->isTabVisible(2));
    EXPECT_FALSE(fm->btPrec->isVisible());
    EXPECT_FALSE(fm->btSuiv->isVisible());
    EXPECT_TRUE(fm->cbVidDosAvtCopie->isEnabled());
    EXPECT_FALSE(fm->cbVidDosAvtCopie->isChecked());
    EXPECT_TRUE(fm->cbCopieCriteres->isChecked());
    EXPECT_FALSE(fm->cbEffTrt->isChecked());
    EXPECT_TRUE(fm->btCopier->isEnabled());
    EXPECT_TRUE(fm->stMsgCDSel->text().isEmpty());
    EXPECT_TRUE(fm->stPlaceDispo->text().endsWith(QStringLiteral(" disponibles sur /:")));
    EXPECT_FALSE(fm->stPlaceDispo->text().startsWith(QStringLiteral("???")));

    // Emptying the folder the images are in is refused and the window stays.
    fm->cbVidDosAvtCopie->setChecked(true);
    fm->btCopier->click();
    EXPECT_EQ(Messages->Textes(), QStringList{cTexteViderRefuse});
    EXPECT_EQ(QDir(cRacine + QStringLiteral("/photos")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(fm->result(), 0);
    fm->cbVidDosAvtCopie->setChecked(false);
    Messages->Montres.clear();

    fm->fnDemandeNomDossier = [] { return std::optional<QString>(QStringLiteral("  Copies ")); };
    fm->btCreerDossier->click();
    const QString cCopies = cRacine + QStringLiteral("/photos/Copies/");
    EXPECT_EQ(fm->tvDosDst->DossierCourant(), cCopies);
    Capture(QStringLiteral("i31-disque.png"));
    fm->btCopier->click();
    EXPECT_EQ(fm->result(), int(QDialog::Accepted));
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("2 Image(s) traitée(s) sur 2")});
    EXPECT_EQ(QDir(cCopies).entryList(QDir::Files), (QStringList{QStringLiteral("a.jpg"), QStringLiteral("b.jpg")}));
    EXPECT_EQ(Contexte->iniSetup->ReadString(QStringLiteral("MOTS-CLES"), cCopies + QStringLiteral("a.jpg"), {}),
              QStringLiteral("MER"));
}

TEST_F(CopieImagesFm, SimulatedCDWalksThroughItsTabsBeforeCopying)
{
    const QString cCD = cRacine + QStringLiteral("/cd/");
    QDir().mkpath(cCD + QStringLiteral("PHOTOS"));
    auto fm = Ouvre(cCD + QStringLiteral("PHOTOS"));
    fm->show();
    // A CD folder starts the tree on the disc's root.
    EXPECT_EQ(fm->tvDosDst->DossierCourant(), cCD);
    EXPECT_EQ(fm->stMsgCDSel->text(), QStringLiteral("Copie vers un CDROM possible si :\n- Copie des Critères.\n- Pas "
                                                     "de Traitement avant la copie."));
    EXPECT_TRUE(fm->pcPages->isTabVisible(1));
    EXPECT_TRUE(fm->btPrec->isVisible());
    EXPECT_FALSE(fm->cbVidDosAvtCopie->isEnabled());
    EtatBoutons(*fm, false, true, false);
    Capture(QStringLiteral("i31-cd-parametres.png"));

    // Treating before the copy makes a CD copy impossible: its tabs go.
    fm->cbEffTrt->setChecked(true);
    EXPECT_FALSE(fm->pcPages->isTabVisible(1));
    EtatBoutons(*fm, false, false, false);
    fm->cbEffTrt->setChecked(false);

    fm->btSuiv->click();
    EXPECT_EQ(fm->pcPages->currentWidget(), fm->tsMsgCopieCD);
    EtatBoutons(*fm, true, true, false);
    fm->btCopiePPNomFic->click();
    const QMimeData *Donnees = QApplication::clipboard()->mimeData();
    ASSERT_NE(Donnees, nullptr);
    EXPECT_EQ(Donnees->text(), a + QLatin1Char('\n') + b);
    EXPECT_EQ(Donnees->urls(), (QList<QUrl>{QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)}));
    // The copy button does nothing before the last tab, even when called.
    fm->btCopierClick();
    EXPECT_TRUE(Messages->Montres.isEmpty());

    fm->btSuiv->click();
    EXPECT_EQ(fm->pcPages->currentWidget(), fm->tsChoixDossierCD);
    EtatBoutons(*fm, true, false, true);
    ASSERT_EQ(fm->tvChoixDossierCD->topLevelItemCount(), 1);
    EXPECT_EQ(fm->tvChoixDossierCD->DossierCourant(), cCD);
    Capture(QStringLiteral("i31-cd.png"));

    // a burnt as it was, b burnt with another date.
    QFile::copy(a, cCD + QStringLiteral("PHOTOS/a.jpg"));
    QFile::copy(b, cCD + QStringLiteral("PHOTOS/b.jpg"));
    const struct timespec Dates[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(cCD + QStringLiteral("PHOTOS/b.jpg")).constData(), Dates, 0);
    struct stat st
    {
    };
    ::stat(QFile::encodeName(a).constData(), &st);
    const struct timespec DatesA[2] = {st.st_mtim, st.st_mtim};
    ::utimensat(AT_FDCWD, QFile::encodeName(cCD + QStringLiteral("PHOTOS/a.jpg")).constData(), DatesA, 0);
    fm->tvChoixDossierCD->ChoisitDossier(cCD + QStringLiteral("PHOTOS"));
    fm->btCopier->click();
    EXPECT_EQ(fm->result(), int(QDialog::Accepted));
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("1 Image(s) traitée(s) sur 2")});
    EXPECT_EQ(Contexte->iniSetup->ReadString(QStringLiteral("MOTS-CLES"),
                                             QStringLiteral("<%1>/PHOTOS/a.jpg").arg(qint32(nSerieCD)), {}),
              QStringLiteral("MER"));

    fm->btPrec->click();
    EXPECT_EQ(fm->pcPages->currentWidget(), fm->tsMsgCopieCD);
}

TEST_F(CopieImagesFm, CDDriveWithoutDiscCannotBeCopiedTo)
{
    TVolume Vide;
    Vide.cPointMontage = cRacine + QStringLiteral("/lecteur/");
    Vide.lCD = true;
    static_cast<TVolumesFactices &>(*Contexte->Volumes).Ajoute(Vide);
    QDir().mkpath(Vide.cPointMontage);
    auto fm = Ouvre(Vide.cPointMontage);
    EXPECT_EQ(fm->tvDosDst->DossierCourant(), Vide.cPointMontage);
    EXPECT_TRUE(fm->stPlaceDispo->text().startsWith(QStringLiteral("??? Ko disponibles sur ")));
    EXPECT_TRUE(fm->stMsgCDSel->text().isEmpty());
    EXPECT_FALSE(fm->btCopier->isEnabled());
}

TEST_F(CopieImagesFm, CommandOpensTheWindowOnCheckedImagesOnly)
{
    auto *Commande = new TCopieImagesKX(*Contexte, Selection, &Fenetre);
    auto *Barre = new QWidget(&Fenetre);
    new QHBoxLayout(Barre);
    Commande->CreeBouton(Barre);
    ASSERT_NE(Commande->btCopieImg, nullptr);
    EXPECT_EQ(Commande->btCopieImg->toolTip(), QStringLiteral("Copier les images sélectionnées vers un dossier"));
    EXPECT_EQ(Commande->Actions(TEmplacementAction::MenuFichiers).value(0)->text(), QStringLiteral("&Copier..."));
    QString cTitre;
    Commande->fnExecute = [&](TfmCopieImg &fm) {
        cTitre = fm.windowTitle();
        return int(QDialog::Rejected);
    };
    Commande->btCopieImg->click();
    EXPECT_TRUE(cTitre.startsWith(QStringLiteral("Copier 2 image(s) - ")));

    // Checked images whose files went: nothing to copy.
    QFile::remove(a);
    QFile::remove(b);
    cTitre.clear();
    Commande->btCopieImgClick();
    EXPECT_TRUE(cTitre.isEmpty());
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Aucune image à traiter.")});
}

TEST_F(CopieImagesFm, TreatedImagesAreWrittenTurnedWithoutTheirTreatment)
{
    Contexte->iniSetup->WriteString(QStringLiteral("ROTATIONS"), a, QStringLiteral("D"));
    auto fm = Ouvre(cRacine + QStringLiteral("/photos"));
    fm->fnDemandeNomDossier = [] { return std::optional<QString>(QStringLiteral("Traitees")); };
    fm->btCreerDossier->click();
    fm->cbEffTrt->setChecked(true);
    fm->btCopier->click();
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("2 Image(s) traitée(s) sur 2")});

    const QString cDossier = cRacine + QStringLiteral("/photos/Traitees/");
    const QImage Tournee = JpegCodec::Decode(cDossier + QStringLiteral("a.jpg"));
    EXPECT_EQ(Tournee.size(), QSize(48, 64));
    EXPECT_FALSE(Contexte->iniSetup->ValueExists(QStringLiteral("ROTATIONS"), cDossier + QStringLiteral("a.jpg")));
    EXPECT_EQ(Contexte->iniSetup->ReadString(QStringLiteral("MOTS-CLES"), cDossier + QStringLiteral("a.jpg"), {}),
              QStringLiteral("MER"));
    QFile Source(b), Copie(cDossier + QStringLiteral("b.jpg"));
    ASSERT_TRUE(Source.open(QIODevice::ReadOnly) && Copie.open(QIODevice::ReadOnly));
    EXPECT_EQ(Copie.readAll(), Source.readAll());
}
