#include "metadata/ExtraitDonGeneEtMD_fm.h"

#include "exploration/Exploration_fm.h"
#include "exploration/ModeleListe.h"
#include "mainwindow/MainKX_fm.h"
#include "metadata/ChoixImages_fm.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace
{
struct ExtraitDonGeneEtMDTest : TBancFenetrePrincipale<>
{
    TExtraitDonGeneEtMDKX *Extrait = nullptr;
    QString cPhotos;

    // Two generated pictures without metadata, then two real files with EXIF and IPTC.
    void Demarre(bool lDescriptions = false)
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        ASSERT_TRUE(EcritJpeg(cPhotos + "a1.jpg", 32, 24, Qt::darkCyan));
        ASSERT_TRUE(EcritJpeg(cPhotos + "a2.jpg", 32, 24, Qt::darkRed));
        const QString cCorpus = QStringLiteral(VIMBREL_TEST_DATA "/corpus/kinds/jpeg/");
        ASSERT_TRUE(QFile::copy(cCorpus + "mde_Nikon_D1X.jpg", cPhotos + "b1.jpg"));
        ASSERT_TRUE(QFile::copy(cCorpus + "exiftool_IPTC.jpg", cPhotos + "b2.jpg"));
        PrepareFenetre();
        Fenetre->FormCreate(nullptr);
        Contexte->Parametres.lTrtDescription = lDescriptions;
        Extrait = Fenetre->findChild<TExtraitDonGeneEtMDKX *>();
        ASSERT_NE(Extrait, nullptr);
        Fenetre->resize(1000, 700);
        MontreFenetre();
        auto *Expl = Fenetre->findChild<TExplorationKX *>();
        ASSERT_NE(Expl, nullptr);
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        ASSERT_EQ(Fenetre->Modele().Nombre(), 4);
    }
    void Ouvre(const std::function<void(TfmExtraitDonGeneEtMD &)> &fnDans)
    {
        bool lOuverte = false;
        Extrait->fnExecute = [&](TfmExtraitDonGeneEtMD &f) {
            lOuverte = true;
            f.show();
            fnDans(f);
            f.btQuitter->click();
        };
        // As the tools pop-up does when it opens.
        Extrait->Actions(TEmplacementAction::OutilsDivers);
        Extrait->miOutilsDiversExtraitDonGeneEtMD->trigger();
        EXPECT_TRUE(lOuverte);
    }
    int Ligne(const QString &cNom) const
    {
        for (int i = 0; i < Fenetre->Modele().Nombre(); ++i)
            if (Fenetre->Modele().Enr(i).NomFichier() == cNom)
                return i;
        return -1;
    }
};
} // namespace

TEST_F(ExtraitDonGeneEtMDTest, ControlsFollowTheChoicesAndTheMaskIsSavedAtClose)
{
    Demarre();
    const QList<QAction *> Actions = Extrait->Actions(TEmplacementAction::OutilsDivers);
    ASSERT_EQ(Actions.size(), 1);
    EXPECT_EQ(Actions[0]->objectName(), "miOutilsDiversExtraitDonGeneEtMD");
    EXPECT_EQ(Actions[0]->text(), "&Extraire les données générales et méta-données...");
    EXPECT_TRUE(Extrait->Actions(TEmplacementAction::MenuFichiers).isEmpty());

    Contexte->Parametres.nMasqueChoixDon = nMasqueChoixDonDefaut;
    Ouvre([&](TfmExtraitDonGeneEtMD &f) {
        EXPECT_EQ(f.windowTitle(), "Extraction des données générales et méta-données");
        EXPECT_GE(f.minimumWidth(), 740);
        ASSERT_EQ(f.lbChoixDonnees->count(), 27);
        // Descriptions are off: their item is unchecked and cannot be checked.
        EXPECT_EQ(f.lbChoixDonnees->item(4)->checkState(), Qt::Unchecked);
        EXPECT_FALSE(f.lbChoixDonnees->item(4)->flags() & Qt::ItemIsUserCheckable);
        EXPECT_EQ(f.Choix(), ((1u << 27) - 1) & ~(1u << 4));
        EXPECT_EQ(f.ChoixImages->stNbImgSel->text(), "4/4");
        EXPECT_TRUE(f.btExtraire->isEnabled());
        EXPECT_FALSE(f.btCopierRes->isEnabled());
        EXPECT_EQ(f.btEnlEXIF->toolTip(), "Enlever toutes les données <SG>EXIF</SG/>");
        EXPECT_EQ(f.btAjtGenerales->toolTip(), "Ajouter toutes les données <SG>générales</SG/>");
        EXPECT_EQ(f.btExtrTMDIPTC->text(), "toutes IPTC présentes");
        EXPECT_EQ(f.btExtrTMDIPTC->toolTip(), "toutes les données <SG>IPTC</SG/> présentes dans l'image");
        EXPECT_EQ(f.pcResultat->tabText(0), "Résultat formaté");
        EXPECT_EQ(f.pcResultat->tabText(1), "Résultat brut");

        f.btEnlGenerales->click();
        f.btEnlIPTC->click();
        EXPECT_EQ(f.Choix(), MasqueDuGroupe(TGroupeDon::EXIF));
        f.btEnlEXIF->click();
        EXPECT_FALSE(f.btExtraire->isEnabled());
        // An all-present toggle is enough, and locks the item list and group buttons.
        const QColor Inactif = f.pnChoixDonnees->palette().color(QPalette::Window);
        f.btExtrTMDEXIF->click();
        EXPECT_TRUE(f.btExtraire->isEnabled());
        EXPECT_FALSE(f.lbChoixDonnees->isEnabled());
        EXPECT_FALSE(f.btAjtIPTC->isEnabled());
        EXPECT_NE(f.pnChoixDonnees->palette().color(QPalette::Window), Inactif);
        f.btExtrTMDEXIF->click();
        EXPECT_TRUE(f.lbChoixDonnees->isEnabled());
        EXPECT_EQ(f.pnChoixDonnees->palette().color(QPalette::Window), Inactif);

        f.btAjtIPTC->click();
        EXPECT_TRUE(f.btExtraire->isEnabled());
        f.ChoixImages->btSelAucune->click();
        EXPECT_FALSE(f.btExtraire->isEnabled());
        EXPECT_EQ(f.ChoixImages->stNbImgSel->text(), "0/4");
    });
    // Saved at close, the description's bit as it was while descriptions are off.
    const int nAttendu = static_cast<int>(MasqueDuGroupe(TGroupeDon::IPTC) | (1u << 4));
    EXPECT_EQ(Contexte->Parametres.nMasqueChoixDon, nAttendu);
    EXPECT_EQ(Contexte->iniSetup->ReadInteger("GENERAL", "nMasqueChoixDon", 0), nAttendu);
}

TEST_F(ExtraitDonGeneEtMDTest, ExtractsCopiesSavesAndPrintsTheVisiblePage)
{
    Demarre();
    Contexte->Parametres.nMasqueChoixDon = static_cast<int>((1u << 1) | (1u << 5) | (1u << 17));
    Ouvre([&](TfmExtraitDonGeneEtMD &f) {
        // Only the files with EXIF or IPTC take part once the general item is off.
        f.btEnlGenerales->click();
        f.btExtraire->click();
        const QStringList Brut = f.edResBrut->toPlainText().split('\n');
        ASSERT_EQ(Brut.size(), 3) << f.edResBrut->toPlainText().toStdString();
        EXPECT_EQ(Brut[0], "Appareil|Mots-clés|");
        EXPECT_EQ(Brut[1], "NIKON D1X|Woodworking|");
        EXPECT_EQ(Brut[2], "|ExifTool Test IPTC|");
        EXPECT_EQ(f.DocFormate().begin().text(), "1) b1.jpg :");
        EXPECT_TRUE(f.DocFormate().begin().begin().fragment().charFormat().font().bold());
        EXPECT_TRUE(f.btCopierRes->isEnabled());
        EXPECT_EQ(f.edResFormate->textCursor().position(), 0);

        // Selecting an image shows its first line on both pages; an image not in the report
        // leaves them as they are.
        f.ChoixImages->MetLigneCourante(Ligne("b2.jpg"));
        EXPECT_EQ(f.edResFormate->textCursor().selectedText(), "2) b2.jpg :");
        EXPECT_EQ(f.edResBrut->textCursor().selectedText(), "|ExifTool Test IPTC|");
        f.ChoixImages->MetLigneCourante(Ligne("a1.jpg"));
        EXPECT_EQ(f.edResBrut->textCursor().selectedText(), "|ExifTool Test IPTC|");

        f.btCopierResClick();
        const QMimeData *Copie = QApplication::clipboard()->mimeData();
        ASSERT_NE(Copie, nullptr);
        EXPECT_TRUE(Copie->data("text/rtf").startsWith("{\\rtf1"));
        EXPECT_TRUE(Copie->hasHtml());
        EXPECT_TRUE(Copie->text().startsWith("1) b1.jpg :\n"));
        // The user's selection is kept.
        EXPECT_EQ(f.edResFormate->textCursor().selectedText(), "2) b2.jpg :");

        QString cTitre, cPropose, cInitial;
        QString cChoisi = Temp.filePath("rapport.rtf");
        QString cFiltreChoisi = "Format texte enrichi (*.rtf)";
        f.fnNomSauvegarde = [&](const QString &t, const QString &p, const QString &, const QString &i, QString *pf) {
            cTitre = t;
            cPropose = p;
            cInitial = i;
            *pf = cFiltreChoisi;
            return cChoisi;
        };
        f.btSauvegarderRes->click();
        EXPECT_EQ(cTitre, "Sauvegarde du résultat");
        EXPECT_EQ(cPropose, Contexte->Dossiers.cDossierDonnees + f.windowTitle() + ".rtf");
        EXPECT_EQ(cInitial, "Format texte enrichi (*.rtf)");
        QFile Rtf(cChoisi);
        ASSERT_TRUE(Rtf.open(QIODevice::ReadOnly));
        const QByteArray baRtf = Rtf.readAll();
        EXPECT_TRUE(baRtf.startsWith("{\\rtf1"));
        EXPECT_TRUE(baRtf.contains("\\fs20\\b 1) b1.jpg :")) << baRtf.constData();

        // The plain page as text, in UTF-8.
        f.pcResultat->setCurrentWidget(f.tsResBrut);
        cChoisi = Temp.filePath("rapport.txt");
        cFiltreChoisi = "Format texte (*.txt)";
        f.btSauvegarderRes->click();
        EXPECT_EQ(cInitial, "Format texte (*.txt)");
        EXPECT_TRUE(cPropose.endsWith(".txt"));
        QFile Txt(cChoisi);
        ASSERT_TRUE(Txt.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(Txt.readAll()), f.edResBrut->toPlainText());

        // A folder that is not there: the error, in the program's words.
        cChoisi = Temp.filePath("absent/rapport.txt");
        f.btSauvegarderRes->click();
        ASSERT_FALSE(Messages->Montres.isEmpty());
        EXPECT_EQ(Messages->Montres.last().cTitre, "Erreur");
        EXPECT_TRUE(Messages->Montres.last().cTexte.startsWith("Impossible d'enregistrer « " + cChoisi + " » : "))
            << Messages->Montres.last().cTexte.toStdString();

        QString cImprime;
        f.fnImprime = [&](QTextDocument &doc) {
            cImprime = doc.toPlainText();
            return true;
        };
        f.btImprimerRes->click();
        EXPECT_EQ(cImprime, f.edResBrut->toPlainText());
        f.pcResultat->setCurrentWidget(f.tsResFormate);
        f.btImprimerRes->click();
        EXPECT_TRUE(cImprime.startsWith("1) b1.jpg :\n")) << cImprime.toStdString();
    });
}

TEST_F(ExtraitDonGeneEtMDTest, AllPresentModeReadsTheCheckedFiles)
{
    Demarre();
    Ouvre([&](TfmExtraitDonGeneEtMD &f) {
        f.ChoixImages->Modele().MetCoche(Ligne("b1.jpg"), false);
        f.btExtrTMDIPTC->click();
        f.btExtraire->click();
        const QStringList Brut = f.edResBrut->toPlainText().split('\n');
        ASSERT_EQ(Brut.size(), 2) << f.edResBrut->toPlainText().toStdString();
        EXPECT_TRUE(Brut[0].startsWith("Nom|"));
        EXPECT_TRUE(Brut[0].contains("|Keywords|")) << Brut[0].toStdString();
        EXPECT_TRUE(Brut[1].startsWith(cPhotos + "b2.jpg|"));
        EXPECT_EQ(f.LignesBrut().value(Ligne("b2.jpg")), 1);
        EXPECT_EQ(f.LignesBrut().value(Ligne("b1.jpg")), -1);
        EXPECT_EQ(f.DocFormate().findBlockByNumber(1).text(), "IPTC :");
    });
}
