#include "classification/EditCritRech_fm.h"

#include "classification/CommandesRech_fm.h"
#include "classification/Recherche_fm.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
struct EditCritRechTest : TBancFenetrePrincipale<>
{
    TRechercheKX *Rech = nullptr;
    TCommandesRechKX *Cmd = nullptr;
    QString cA, cB;

    void Ecrit(const QString &cNom, const QByteArray &Contenu)
    {
        QDir().mkpath(QFileInfo(Donnees() + cNom).path());
        QFile f(Donnees() + cNom);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Contenu);
    }
    void SetUp() override
    {
        // Real files: the start-up clean-up drops the data of images that do not exist.
        cA = Temp.filePath("a.jpg");
        cB = Temp.filePath("b.jpg");
        for (const QString &c : {cA, cB}) {
            QFile f(c);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        Ecrit("KX_Setup.ini", "[GENERAL]\r\nlModeMAJ=1\r\n[CRITERES HIERARCHIQUES]\r\nVoyages=\r\nVoyages/Italie=\r\n"
                              "Voyages/Italie/Rome=\r\nVoyages/Italie/Milan=\r\nVoyages/France=\r\nArchives=\r\n"
                              "[MOTS-CLES]\r\n"
                                  + cA.toUtf8() + "=MER PLAGE\r\n" + cB.toUtf8()
                                  + "=SOLEIL\r\n[CRITERES ENREGISTRES:ROME]\r\nVoyages/Italie/Rome=\r\n");
        Ecrit("KX_BDD.ini", "[" + cA.toUtf8() + "]\r\nVoyages/Italie/Rome=\r\n");
        CreeFenetre();
        Rech = Fenetre->findChild<TRechercheKX *>();
        Cmd = Fenetre->findChild<TCommandesRechKX *>();
        ASSERT_NE(Rech, nullptr);
        ASSERT_NE(Cmd, nullptr);
        Fenetre->Selection().MetModeMAJ(true);
    }

    std::unique_ptr<TfmEditCritRech> Editeur()
    {
        auto e = std::make_unique<TfmEditCritRech>(*Contexte, Rech->Arbo(), &Cmd->Index(), Fenetre.get());
        e->show();
        return e;
    }
};

TEST_F(EditCritRechTest, EnablingAndTheSavedLists)
{
    auto e = Editeur();
    // Nothing selected: only the child creation.
    EXPECT_FALSE(e->btImageCH->isEnabled());
    EXPECT_FALSE(e->btCreeCritereFrere->isEnabled());
    EXPECT_FALSE(e->btSupprimeCritere->isEnabled());
    EXPECT_FALSE(e->btRenommeCritere->isEnabled());
    EXPECT_TRUE(e->btCreeCritereEnfant->isEnabled());
    e->tvCriteres->setCurrentItem(e->tvCriteres->ItemDe("Voyages/Italie"));
    for (QPushButton *b : {e->btImageCH, e->btCreeCritereFrere, e->btSupprimeCritere, e->btRenommeCritere})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();

    EXPECT_EQ(e->lbMAJMC->count(), 3);
    EXPECT_EQ(e->lbMAJMC->currentRow(), 0);
    EXPECT_EQ(e->lbSupprCritEnreg->count(), 1);
    EXPECT_TRUE(e->btSupprCritEnreg->isEnabled());
    EXPECT_FALSE(e->btSupprRechMC->isEnabled());
    Messages->Reponses = {true};
    e->btSupprCritEnregClick();
    EXPECT_EQ(Messages->Montres.last().cTexte, "Supprimer le critère enregistré 'ROME' ?");
    EXPECT_EQ(e->lbSupprCritEnreg->count(), 0);
    EXPECT_FALSE(e->btSupprCritEnreg->isEnabled());
    EXPECT_FALSE(Contexte->iniSetup->SectionExists(cPrefixeRechEnreg + "ROME"));

    // A refused keyword rename changes nothing; an accepted one follows in the list.
    e->fnExecSaisie = [](TfmSaisieChaine &s) {
        EXPECT_EQ(s.windowTitle(), "Saisie");
        EXPECT_EQ(s.stLabel->text(), "Renommer 'MER' en");
        s.edSaisie->clear();
        QTest::keyClicks(s.edSaisie, "soleil");
        EXPECT_EQ(s.edSaisie->text(), "SOLEIL");
        return int(QDialog::Accepted);
    };
    e->btRenMCClick();
    EXPECT_EQ(Messages->Montres.last().cTexte, "Mot-clé déjà existant ou contenant des caractères invalides.");
    e->fnExecSaisie = [](TfmSaisieChaine &s) {
        s.edSaisie->setText("OCEAN");
        return int(QDialog::Accepted);
    };
    e->btRenMCClick();
    EXPECT_EQ(Contexte->iniSetup->ReadString("MOTS-CLES", cA, ""), "OCEAN PLAGE");
    EXPECT_EQ(e->lbMAJMC->currentItem()->text(), "OCEAN");

    e->btCopiePPCritsMCClick();
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("CRITERES HIERARCHIQUES :\n"));
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("MOTS-CLES :\n-----------\nOCEAN\nPLAGE\nSOLEIL\n"));
}

TEST_F(EditCritRechTest, F2RenamesAndABadCaptionIsRefused)
{
    auto e = Editeur();
    QTreeWidgetItem *Italie = e->tvCriteres->ItemDe("Voyages/Italie");
    ASSERT_NE(Italie, nullptr);
    e->tvCriteres->setCurrentItem(Italie);
    e->tvCriteres->setFocus();
    QTest::keyClick(e->tvCriteres, Qt::Key_F2);
    auto *Edition = e->tvCriteres->findChild<QLineEdit *>();
    ASSERT_NE(Edition, nullptr);
    Edition->selectAll();
    QTest::keyClicks(Edition, "France");
    QTest::keyClick(Edition, Qt::Key_Return);
    for (int i = 0; i < 100 && Messages->Montres.isEmpty(); ++i)
        QTest::qWait(20);
    ASSERT_EQ(Messages->Montres.size(), 1) << e->tvCriteres->ItemDe("Voyages/Italie")->text(0).toStdString();
    EXPECT_EQ(Messages->Montres.last().cTexte, "Valeur incorrecte.");
    EXPECT_NE(e->tvCriteres->ItemDe("Voyages/Italie"), nullptr);

    e->tvCriteres->setCurrentItem(e->tvCriteres->ItemDe("Voyages/Italie"));
    e->btRenommeCritereClick();
    Edition = e->tvCriteres->findChild<QLineEdit *>();
    ASSERT_NE(Edition, nullptr);
    Edition->setText(" Italia ");
    QTest::keyClick(Edition, Qt::Key_Return);
    for (int i = 0; i < 100 && !e->tvCriteres->ItemDe("Voyages/Italia/Rome"); ++i)
        QTest::qWait(20);
    EXPECT_EQ(TArbreEditCrit::CheminDe(e->tvCriteres->currentItem()), "Voyages/Italia");
    EXPECT_TRUE(Contexte->iniBDD->ValueExists(cA, "Voyages/Italia/Rome"));
    EXPECT_TRUE(e->Modifie());
}

TEST_F(EditCritRechTest, ADropOpensTheMenuAndMoves)
{
    auto e = Editeur();
    e->tvCriteres->setCurrentItem(e->tvCriteres->ItemDe("Voyages/Italie/Rome"));
    QStringList Textes;
    e->fnExecMenu = [&](QMenu *m, const QPoint &) -> QAction * {
        for (QAction *a : m->actions())
            Textes << a->text();
        return e->miDeplacer;
    };
    // A sibling is no target; France is.
    e->tvCriteres->expandAll();
    auto Centre = [&](const char *c) { return e->tvCriteres->visualItemRect(e->tvCriteres->ItemDe(c)).center(); };
    EXPECT_TRUE(e->tvCriteres->CibleAcceptee(Centre("Voyages/Italie/Milan")).isEmpty());
    EXPECT_TRUE(e->tvCriteres->CibleAcceptee(Centre("Voyages/Italie")).isEmpty());
    EXPECT_EQ(e->tvCriteres->CibleAcceptee(Centre("Voyages/France")), "Voyages/France");
    e->DepotDemande("Voyages/Italie/Rome", "Voyages/France", QPoint());
    EXPECT_EQ(Textes, (QStringList{"&Copier 'Rome' vers 'France'", "&Déplacer 'Rome' vers 'France'", "", "&Annuler"}));
    EXPECT_NE(e->tvCriteres->ItemDe("Voyages/France/Rome"), nullptr);
    EXPECT_EQ(e->tvCriteres->ItemDe("Voyages/Italie/Rome"), nullptr);
    EXPECT_TRUE(Contexte->iniBDD->ValueExists(cA, "Voyages/France/Rome"));
}

TEST_F(EditCritRechTest, OpenedFromTheSearchPageWhichFollowsOnClose)
{
    EXPECT_TRUE(Cmd->btEditeCritRech->isEnabled());
    Rech->tvCritRech->Coches().CocherChemin("Voyages/Italie/Rome");
    Rech->tvCritRech->Coches().CocherChemin("Archives");
    bool lOuvert = false;
    Cmd->fnExecEditeur = [&](TfmEditCritRech &e) {
        lOuvert = true;
        QString cErreur;
        EXPECT_TRUE(e.Edition().Applique({TGenreOpCritere::Renommage, "Voyages/Italie", "Italia", 0}, cErreur));
        e.accept();
    };
    Cmd->btEditeCritRech->click();
    EXPECT_TRUE(lOuvert);
    QStringList Coches;
    Rech->tvCritRech->Coches().ListerCritCoches(Coches);
    // The renamed criterion lost its check; checking its old path stops at Voyages.
    EXPECT_EQ(Coches, (QStringList{"Voyages", "Archives"}));
    EXPECT_NE(Rech->Arbo().NoeudDeChemin("Voyages/Italia/Rome"), nullptr);
    // The close saved the settings and the journal is gone.
    TBigIniFile Relu(Donnees() + "KX_Setup.ini");
    EXPECT_TRUE(Relu.ValueExists(cSectionCritHier, "Voyages/Italia/Milan"));
    EXPECT_FALSE(QFile::exists(Donnees() + cNomJournalCriteres));

    Fenetre->Selection().MetModeMAJ(false);
    EXPECT_FALSE(Cmd->btEditeCritRech->isEnabled());
    EXPECT_FALSE(Cmd->miEditeCritRech->isEnabled());
}

TEST_F(EditCritRechTest, IconChooserTypeAheadAndNoIconMessage)
{
    auto e = Editeur();
    e->tvCriteres->setCurrentItem(e->tvCriteres->ItemDe("Voyages"));
    e->btImageCHClick();
    EXPECT_TRUE(Messages->Montres.last().cTexte.startsWith("Pas d'image disponible sous ' "));

    QDir().mkpath(Contexte->Dossiers.cDossierImgsCH);
    for (const char *c : {"Pays-Italie.bmp", "Pays-France.bmp", "Soleil.bmp", "Animaux-Chat.bmp"}) {
        QImage i(16, 16, QImage::Format_RGB32);
        i.fill(Qt::blue);
        ASSERT_TRUE(i.save(Contexte->Dossiers.cDossierImgsCH + c, "BMP"));
    }
    e->fnExecImages = [](TfmEditCritRechImgsCH &d) {
        EXPECT_TRUE(d.rbAffecteImageCHCourEtEnf->isEnabled());
        EXPECT_EQ(d.lbImages->currentRow(), 0);
        d.cbImgCategories->setCurrentIndex(1);
        QTest::keyClicks(d.edImgAtteindre, "it");
        EXPECT_EQ(d.lbImages->currentItem()->text(), "Pays-Italie.bmp");
        QTest::keyClicks(d.edImgAtteindre, "x");
        EXPECT_EQ(d.lbImages->currentItem()->text(), "Pays-Italie.bmp");
        d.rbAffecteImageCHCourEtEnf->setChecked(true);
        EXPECT_TRUE(d.cbCHCourEtEnfRecurs->isEnabled());
        return int(QDialog::Accepted);
    };
    e->btImageCHClick();
    TBigIniFile Relu(Donnees() + "KX_Setup.ini");
    EXPECT_EQ(Relu.ReadString(cSectionCritHier, "Voyages", ""), "Pays-Italie.bmp");
    EXPECT_EQ(Relu.ReadString(cSectionCritHier, "Voyages/Italie", ""), "Pays-Italie.bmp");
    EXPECT_EQ(Relu.ReadString(cSectionCritHier, "Voyages/Italie/Rome", ""), "");
}
} // namespace
