#include "classification/Audit_fm.h"
#include "classification/ArboCriteres.h"
#include "classification/AuditFiltrerRub_fm.h"
#include "classification/ExploreBDD_fm.h"
#include "classification/IndexClassement.h"
#include "components/VueParagraphes.h"
#include "platform/EcritRTF.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "support/Corpus.h"
#include "support/DossierDonneesTemporaire.h"
#include "support/Fichiers.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
struct PageAuditTest : ::testing::Test, TDossierDonneesTemporaire
{
    std::unique_ptr<TContexte> Contexte;
    TMessagesFactices *Messages = nullptr;
    std::unique_ptr<TIndexClassement> Index;
    std::unique_ptr<TPageAudit> Page;

    void SetUp() override
    {
        Contexte = NouveauContexte();
        auto m = std::make_unique<TMessagesFactices>();
        Messages = m.get();
        Contexte->Messages = std::move(m);
        Contexte->FixeDossiers();
        Contexte->OuvreStores();
        TBigIniFile &BDD = *Contexte->iniBDD;
        TBigIniFile &Setup = *Contexte->iniSetup;
        BDD.WriteString("/p/a.jpg", "A", "");
        BDD.WriteString("/p/b.jpg", "A/B", "");
        BDD.WriteString("/p/c.jpg", "C", "");
        Setup.WriteString(cSectionMotsCles, "/p/a.jpg", "mer");
        Setup.WriteString(cSectionEXIF, "/p/a.jpg", "Canon|50|1/60|2,8|01/01/2004|100|1|");
        Setup.WriteString(cSectionEXIF, "/p/b.jpg", "CANON|50|1/60|2,8|01/01/2004|100|1|");
        Setup.WriteString(cSectionEXIF, "/p/c.jpg", "Nikon|50|1/60|2,8|01/01/2004|100|1|");
        Index = std::make_unique<TIndexClassement>(BDD, Setup);
        TEntreesAudit e = EntreesAuditDuContexte(*Contexte, *Index, nullptr);
        e.Criteres = {{"A", 0, "A"}, {"B", 1, "A/B"}, {"C", 0, "C"}};
        e.fnModele = [](const QString &) { return std::nullopt; };
        Page = std::make_unique<TPageAudit>(*Contexte, std::move(e));
        Page->resize(900, 700);
        Page->show();
    }
    QList<QCheckBox *> Rubriques() const
    {
        return {Page->cbAuditRubCritHier, Page->cbAuditRubMC,     Page->cbAuditRubTrt,
                Page->cbAuditRubEXIF,     Page->cbAuditRubAlbImg, Page->cbAuditRubAlbWHP};
    }
    QList<QCheckBox *> Details() const
    {
        return {Page->cbAuditRubAffTrt,  Page->cbAuditRubAffCrit,   Page->cbAuditRubAffEXIF,
                Page->cbAuditRubAffIPTC, Page->cbAuditRubAffAlbImg, Page->cbAuditRubAffAlbWHP};
    }
    void Seulement(const QList<QCheckBox *> &Coches)
    {
        for (QCheckBox *c :
             {Page->cbAuditGalCritHier, Page->cbAuditGalMCPres, Page->cbAuditGalCritEnr, Page->cbAuditGalMCEnr})
            c->setChecked(Coches.contains(c));
        for (QCheckBox *c : Rubriques())
            c->setChecked(Coches.contains(c));
    }
    QString Texte() const { return TexteDeParagraphes(Page->Paragraphes()); }
};
} // namespace

TEST_F(PageAuditTest, BoxesEnableTheCommands)
{
    for (QCheckBox *c : Rubriques() + Details())
        EXPECT_TRUE(c->isChecked() && c->isEnabled()) << c->objectName().toStdString();
    EXPECT_TRUE(Page->cbAuditRubAffDNTD->isChecked());
    EXPECT_FALSE(Page->cbAuditRubAffDNTD->isEnabled());
    for (QPushButton *b : {Page->btAuditCopierPP, Page->btAuditSauvegarder, Page->btAuditImprimer})
        EXPECT_FALSE(b->isEnabled());
    EXPECT_TRUE(Page->mmAudit->isReadOnly());

    Seulement({Page->cbAuditGalMCPres});
    EXPECT_TRUE(Page->btAuditGenerer->isEnabled());
    EXPECT_FALSE(Page->btAuditParRubriqueFiltrer->isEnabled());
    for (QCheckBox *c : Details())
        EXPECT_FALSE(c->isEnabled());
    EXPECT_FALSE(Page->cbAuditRubAffDNTD->isEnabled());
    Page->cbAuditGalMCPres->setChecked(false);
    EXPECT_FALSE(Page->btAuditGenerer->isEnabled());
    Page->cbAuditRubAlbWHP->setChecked(true);
    EXPECT_TRUE(Page->btAuditGenerer->isEnabled());
    EXPECT_TRUE(Page->btAuditParRubriqueFiltrer->isEnabled());
    EXPECT_TRUE(Page->cbAuditRubAffIPTC->isEnabled());
}

TEST_F(PageAuditTest, GeneratesShowsAndCopiesInThreeFormats)
{
    Seulement({Page->cbAuditGalCritHier, Page->cbAuditRubEXIF, Page->cbAuditRubCritHier});
    for (QCheckBox *d : Details())
        d->setChecked(false);
    QTest::mouseClick(Page->btAuditGenerer, Qt::LeftButton);
    const QString c = Texte();
    EXPECT_TRUE(c.contains("Audit de la base de données.\n\nEmplacement :\n" + Contexte->Dossiers.cDossierDonnees));
    // One camera group holds both spellings.
    EXPECT_TRUE(c.contains("Canon :\n\n1) /p/a.jpg 0 Oct\n\n2) /p/b.jpg 0 Oct\n")) << c.toStdString();
    EXPECT_FALSE(c.contains("CANON :"));
    EXPECT_TRUE(c.contains("A/B :\n\n1) /p/b.jpg 0 Oct\n"));
    EXPECT_EQ(Page->mmAudit->toPlainText() + "\n", c);
    EXPECT_FALSE(Page->mmAudit->ASelection());
    EXPECT_EQ(Page->mmAudit->PremierVisible(), 0);
    for (QPushButton *b : {Page->btAuditCopierPP, Page->btAuditSauvegarder, Page->btAuditImprimer})
        EXPECT_TRUE(b->isEnabled());

    // "Audit de" in the title, the second paragraph.
    Page->mmAudit->Selectionne({1, 0}, {1, 8});
    QTest::mouseClick(Page->btAuditCopierPP, Qt::LeftButton);
    const QMimeData *m = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text(), c);
    EXPECT_TRUE(m->hasHtml());
    EXPECT_TRUE(m->html().contains("Audit de la base de donn"));
    const QByteArray Rtf = m->data("text/rtf");
    EXPECT_TRUE(Rtf.startsWith("{\\rtf1"));
    EXPECT_EQ(Rtf, RTFDeParagraphes(Page->Paragraphes()));
    EXPECT_EQ(Page->mmAudit->TexteSelectionne(), "Audit de");
}

TEST_F(PageAuditTest, FilterDialogCountsAndNarrowsTheRubrics)
{
    Seulement({Page->cbAuditRubCritHier});
    bool lOKSansCoche = true;
    Page->fnExecFiltre = [&](TfmExploreBDDAuditFiltrerRub &d) {
        EXPECT_EQ(d.windowTitle(), "Filtrer les Rubriques");
        EXPECT_FALSE(d.cbGenereAuditAprValidFlt->isChecked());
        EXPECT_EQ(d.lbEXIF->count(), 2); // the camera table was built first
        EXPECT_EQ(d.Compte(TRubriqueAudit::Critere), 2);
        for (int i = 0; i < nNbRubriquesAudit; ++i)
            d.BoutonAucun(TRubriqueAudit(i))->click();
        lOKSansCoche = d.btOK->isEnabled();
        d.btPasDeFiltre->click();
        EXPECT_EQ(d.lbMC->item(0)->checkState(), Qt::Checked);
        d.lbCritHier->item(0)->setCheckState(Qt::Unchecked); // A
        d.lbCritHier->item(0)->setCheckState(Qt::Checked);
        d.lbCritHier->item(0)->setCheckState(Qt::Unchecked);
        EXPECT_EQ(d.Compte(TRubriqueAudit::Critere), 1);
        EXPECT_TRUE(d.btOK->isEnabled());
        d.cbGenereAuditAprValidFlt->setChecked(true);
        return int(QDialog::Accepted);
    };
    QTest::mouseClick(Page->btAuditParRubriqueFiltrer, Qt::LeftButton);
    EXPECT_FALSE(lOKSansCoche);
    EXPECT_EQ(Page->Selections()[TRubriqueAudit::Critere].Selection, QStringList{"C"});
    EXPECT_TRUE(Page->Selections().FiltreActif());
    EXPECT_EQ(Page->btAuditParRubriqueFiltrer->property("nImage").toInt(), 1);
    // Generated after validation, without A's subtree.
    EXPECT_TRUE(Page->btAuditCopierPP->isEnabled());
    EXPECT_TRUE(Texte().contains("C :"));
    EXPECT_FALSE(Texte().contains("A/B :"));

    // A cancelled dialog changes nothing.
    Page->fnExecFiltre = [](TfmExploreBDDAuditFiltrerRub &d) {
        d.btPasDeFiltre->click();
        return int(QDialog::Rejected);
    };
    Page->btAuditParRubriqueFiltrer->click();
    EXPECT_TRUE(Page->Selections().FiltreActif());
}

TEST_F(PageAuditTest, SavesAsRtfAndReportsAFolderItCannotWrite)
{
    Seulement({Page->cbAuditGalCritHier});
    Page->Generer();
    QStringList Dossiers;
    QString cCible = Temp.filePath("ailleurs/rapport");
    QDir().mkpath(Temp.filePath("ailleurs"));
    Page->fnChoisitFichier = [&](const QString &cDossier, const QString &cNom) {
        Dossiers << cDossier;
        EXPECT_EQ(cNom, "Audit de Vimbrel.rtf");
        return cCible;
    };
    Page->btAuditSauvegarder->click();
    EXPECT_TRUE(LitFichier(cCible + ".rtf").startsWith("{\\rtf1"));
    EcritFichier(Temp.filePath("fichier"), "x");
    cCible = Temp.filePath("fichier/Audit.rtf"); // below a file: cannot be written
    Page->btAuditSauvegarder->click();
    EXPECT_EQ(Dossiers, (QStringList{Contexte->Dossiers.cDossierDonnees, Temp.filePath("ailleurs/")}));
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Erreur");
    EXPECT_TRUE(
        Messages->Montres[0].cTexte.startsWith("L'audit n'a pas pu être enregistré dans « " + cCible + " » : "));
    EXPECT_TRUE(Texte().contains("1) Critères hiérarchiques."));
}

TEST_F(PageAuditTest, EscThenYesInterruptsAndTheReportStaysUsable)
{
    for (int i = 0; i < 20; ++i)
        Contexte->iniSetup->WriteString(cSectionRotations, QStringLiteral("/p/r%1.jpg").arg(i), "1");
    Seulement({Page->cbAuditRubTrt});
    QStringList Questions;
    Page->fnQuestionInterruption = [&](const QString &, const QString &cTexte) {
        Questions << cTexte;
        return true;
    };
    int nImages = 0;
    Page->fnApresImage = [&] {
        if (++nImages == 3)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : Page->mmAudit, Qt::Key_Escape);
    };
    Page->Generer();
    EXPECT_TRUE(Page->Interrompu());
    EXPECT_EQ(Questions, QStringList{"Interrompre le traitement ?"});
    EXPECT_TRUE(Texte().endsWith("\nAudit interrompu.\n"));
    EXPECT_TRUE(Page->mmAudit->toPlainText().endsWith("\nAudit interrompu."));
    EXPECT_LT(Texte().count(".jpg"), 20);
    EXPECT_TRUE(Page->btAuditSauvegarder->isEnabled());
}

TEST_F(PageAuditTest, PrintsToPdf)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "pdftotext is not installed";
    Seulement({Page->cbAuditRubCritHier});
    Page->Generer();
    const QString cPdf = Temp.filePath("audit.pdf");
    Page->fnDialogueImpression = [&](QPrinter &p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(cPdf);
        return true;
    };
    Page->btAuditImprimer->click();
    QProcess p;
    p.start("pdftotext", {cPdf, "-"});
    ASSERT_TRUE(p.waitForFinished(10000));
    const QString c = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(c.contains("Audit de la base de données.")) << c.toStdString();
    EXPECT_TRUE(c.contains("1) /p/c.jpg")) << c.toStdString();
}

TEST(PageAuditExplorateur, ExplorerHostsThePageAndGivesItsCameraModels)
{
    TDossierDonneesTemporaire D;
    std::unique_ptr<TContexte> Contexte = D.NouveauContexte();
    Contexte->Messages = std::make_unique<TMessagesFactices>();
    Contexte->FixeDossiers();
    Contexte->OuvreStores();
    const QString cSource = Corpus::Fichier(QStringLiteral("kinds/jpeg/exiftool_Canon.jpg"));
    ASSERT_FALSE(cSource.isEmpty());
    const QString cFichier = D.Temp.filePath("photos/canon.jpg");
    QDir().mkpath(D.Temp.filePath("photos"));
    ASSERT_TRUE(QFile::copy(cSource, cFichier));
    TBigIniFile &Setup = *Contexte->iniSetup;
    Contexte->iniBDD->WriteString(cFichier, "Lieux/Paris", "");
    Setup.WriteString(cSectionCritHier, "Lieux", "");
    Setup.WriteString(cSectionCritHier, "Lieux/Paris", "");
    // Cached under another spelling: one group for both.
    Setup.WriteString(cSectionMotsCles, "/ailleurs/x.jpg", "mer");
    Setup.WriteString(cSectionEXIF, "/ailleurs/x.jpg", "CANON EOS DIGITAL REBEL|18|1/60|4|04/12/2003|100|1|");
    TIndexClassement Index(*Contexte->iniBDD, Setup);
    TArboCriteres Arbo;
    Arbo.ChargerArboCritHier(Setup, Contexte->Parametres, Contexte->Dossiers.cDossierImgsCH);
    TfmExploreBDD Fenetre(*Contexte, Index, &Arbo, nullptr);
    auto *Page = Fenetre.tsAudit->findChild<TPageAudit *>();
    ASSERT_TRUE(Page);
    for (QCheckBox *c : {Page->cbAuditGalMCPres, Page->cbAuditGalCritEnr, Page->cbAuditGalMCEnr,
                         Page->cbAuditRubCritHier, Page->cbAuditRubMC, Page->cbAuditRubTrt, Page->cbAuditRubAlbImg,
                         Page->cbAuditRubAlbWHP, Page->cbAuditRubAffCrit, Page->cbAuditRubAffTrt,
                         Page->cbAuditRubAffIPTC, Page->cbAuditRubAffAlbImg, Page->cbAuditRubAffAlbWHP})
        c->setChecked(false);
    Page->Generer();
    const QString c = TexteDeParagraphes(Page->Paragraphes());
    EXPECT_TRUE(c.contains("Lieux\n\tParis\n")) << c.toStdString();
    EXPECT_TRUE(c.contains("Canon EOS DIGITAL REBEL :\n\n1) /ailleurs/x.jpg 0 Oct\n\n2) " + cFichier))
        << c.toStdString();
    // The file's own EXIF lines follow its entry; the cached image has no file to read.
    EXPECT_TRUE(c.contains("EXIF :\n"));
    EXPECT_EQ(Fenetre.ValeursEXIF().value(cFichier).value(0), "Canon EOS DIGITAL REBEL");
}
