#include "BancSuppressionFm.h"

#include "components/GaugeWindow.h"
#include "publishing/RenommageJournal.h"
#include "publishing/Renommage_fm.h"
#include "support/BancFenetrePrincipale.h"
#include "storage/Descriptions.h"

#include <QAction>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>

namespace
{
// Presses Esc on the first rename: the batch hears it before its second entry.
class TOperationsEchap : public IOperationsFichiers
{
public:
    TOperationsEchap(IOperationsFichiers &Reelles, QWidget *Cible) : m_Reelles(Reelles), m_Cible(Cible) {}
    TResultatOperation Renomme(const QString &a, const QString &b) override
    {
        const TResultatOperation r = m_Reelles.Renomme(a, b);
        if (nAppels++ == 0)
            QTest::keyClick(m_Cible, Qt::Key_Escape);
        return r;
    }
    TResultatOperation Corbeille(const QString &c) override { return m_Reelles.Corbeille(c); }
    TResultatOperation Supprime(const QString &c) override { return m_Reelles.Supprime(c); }
    bool Absent(const QString &c) const override { return m_Reelles.Absent(c); }
    int nAppels = 0;

private:
    IOperationsFichiers &m_Reelles;
    QWidget *m_Cible;
};

class RenommageFm : public BancSuppressionFm
{
protected:
    void SetUp() override
    {
        BancSuppressionFm::SetUp();
        Barre = new QWidget(&Fenetre);
        new QHBoxLayout(Barre);
        Renommage = new TRenommageImagesKX(*Contexte, Selection, &Fenetre);
        Renommage->MetOperations(Operations.get());
        Renommage->CreeBoutons(Barre);
        Contexte->Descriptions = std::make_unique<TDescriptions>(*Contexte->iniSetup);
        Contexte->Parametres.lTrtDescription = true;
    }
    QString Dossier() const { return cRacine + QStringLiteral("/img/"); }
    QList<TEnrLst> Entrees(int n)
    {
        QList<TEnrLst> E;
        for (int i = 0; i < n; ++i)
            E.append({i, Jpeg(QStringLiteral("img/e%1.jpg").arg(i), i * 20), {}});
        return E;
    }
    TParamsRenommage Params() const
    {
        TParamsRenommage P;
        P.cDossierDonnees = Contexte->Dossiers.cDossierDonnees;
        return P;
    }

    QWidget *Barre = nullptr;
    TRenommageImagesKX *Renommage = nullptr;
};
} // namespace

TEST_F(RenommageFm, NumberedWindowEnablesOnlyUsableSettings)
{
    TfmRenommeImg fm(Entrees(3), Params(), *Messages);
    EXPECT_EQ(fm.windowTitle(), QStringLiteral("Renommer les 3 images"));
    EXPECT_TRUE(fm.rbSuffixeNumerique->isChecked());
    EXPECT_FALSE(fm.rbNomSeul->isEnabled());
    EXPECT_FALSE(fm.edNomSeul->isEnabled());
    EXPECT_TRUE(fm.stExtension->isHidden());
    EXPECT_EQ(fm.edNbChiffres->minimum(), 1);
    EXPECT_EQ(fm.edNbChiffres->maximum(), 10);
    EXPECT_EQ(fm.edNbChiffres->value(), 2);
    EXPECT_EQ(fm.edOffset->text(), QStringLiteral("0"));
    EXPECT_TRUE(fm.edPrefixe->text().isEmpty());
    EXPECT_TRUE(fm.btOK->isEnabled());

    // An offset beyond 32 bits is taken; a negative or empty one disables OK and the test.
    QLineEdit *Offset = fm.edOffset->findChild<QLineEdit *>();
    Offset->setText(QStringLiteral("5000000000"));
    EXPECT_EQ(fm.Reglage().nOffset, 5000000000LL);
    EXPECT_TRUE(fm.btTester->isEnabled());
    Offset->setText(QStringLiteral("-1"));
    EXPECT_FALSE(fm.btOK->isEnabled());
    Offset->clear();
    EXPECT_FALSE(fm.btTester->isEnabled());
    // Leaving it empty writes the last value back.
    QTest::keyClicks(Offset, QStringLiteral("7"));
    Offset->clear();
    emit fm.edOffset->editingFinished();
    EXPECT_EQ(Offset->text(), QStringLiteral("7"));
    EXPECT_TRUE(fm.btOK->isEnabled());
    fm.edNbChiffres->findChild<QLineEdit *>()->clear();
    EXPECT_FALSE(fm.btOK->isEnabled());
}

TEST_F(RenommageFm, TestButtonAndOKJudgeTheSettings)
{
    QList<TEnrLst> E;
    for (int i = 0; i < 12; ++i)
        E.append({i, Jpeg(QStringLiteral("img/d%1.jpg").arg(i), i), {}});
    TfmRenommeImg fm(E, Params(), *Messages);
    fm.edNbChiffres->setValue(1);
    fm.btTester->click();
    fm.btOK->click();
    EXPECT_EQ(Messages->Textes(), (QStringList{cTexteRenommageImpossible, cTexteRenommageImpossible}));
    EXPECT_EQ(Messages->Montres.first().cTitre, QStringLiteral("Erreur"));
    EXPECT_NE(fm.result(), QDialog::Accepted);
    fm.edNbChiffres->setValue(2);
    fm.btTester->click();
    EXPECT_EQ(Messages->Montres.last().cTitre, QStringLiteral("Information"));
    EXPECT_EQ(Messages->Textes().last(), cTexteRenommagePossible);
    fm.btOK->click();
    EXPECT_EQ(fm.result(), QDialog::Accepted);
}

TEST_F(RenommageFm, SingleNameWindowShowsTheExtensionApart)
{
    TfmRenommeImg fm(Entrees(1), Params(), *Messages);
    EXPECT_EQ(fm.windowTitle(), QStringLiteral("Renommer les 1 images"));
    EXPECT_TRUE(fm.rbNomSeul->isChecked());
    EXPECT_FALSE(fm.rbSuffixeNumerique->isEnabled());
    EXPECT_FALSE(fm.edOffset->isEnabled());
    EXPECT_EQ(fm.edNomSeul->text(), QStringLiteral("e0"));
    EXPECT_EQ(fm.stExtension->text(), QStringLiteral(".jpg"));
    EXPECT_FALSE(fm.stExtension->isHidden());
    fm.edNomSeul->setText(QStringLiteral("   "));
    EXPECT_FALSE(fm.btOK->isEnabled());
    fm.edNomSeul->setText(QStringLiteral("Plage"));
    EXPECT_EQ(fm.Reglage().nMode, TModeRenommage::NomSeul);
    EXPECT_EQ(NouveauNomSeul(Dossier() + QStringLiteral("e0.jpg"), fm.Reglage().cNomSeul),
              Dossier() + QStringLiteral("Plage.jpg"));
}

TEST_F(RenommageFm, CommandRenamesTheCheckedRowsAndTheirData)
{
    const QString a = Jpeg("img/a.jpg", 10);
    const QString b = Jpeg("img/b.jpg", 20);
    const QString c = Jpeg("img/c.jpg", 30);
    Liste(a, true);
    Liste(b);
    Liste(c, true);
    ListeCD("/photos/d.jpg", true);
    Contexte->iniSetup->WriteString(QStringLiteral("LEGENDES"), c, QStringLiteral("port"));
    Contexte->Descriptions->DescriptionImage(0, a, nDescEcriture, QStringLiteral("plage"));
    EXPECT_TRUE(Renommage->btRenommeImg->isEnabled());
    EXPECT_EQ(Renommage->btRenommeImg->toolTip(), QStringLiteral("Renommer les images sélectionnées"));
    EXPECT_EQ(Renommage->btDateImg->toolTip(), QStringLiteral("Changer la date des images sélectionnées"));
    const QList<QAction *> Actions = Renommage->Actions(TEmplacementAction::MenuFichiers);
    ASSERT_EQ(Actions.size(), 2);
    EXPECT_EQ(Actions[0]->text(), QStringLiteral("&Renommer..."));
    EXPECT_EQ(Actions[1]->text(), QStringLiteral("chan&ger la Date..."));

    QString cTitre;
    Renommage->fnExecute = [&](QDialog &d) {
        auto &fm = static_cast<TfmRenommeImg &>(d);
        cTitre = fm.windowTitle();
        fm.edPrefixe->setText(QStringLiteral("Vac"));
        if (!qEnvironmentVariableIsEmpty("VIMBREL_CAPTURES")) {
            fm.show();
            Capture(QStringLiteral("i28-renommer.png"));
        }
        fm.btOK->click();
        return d.result();
    };
    Actions[0]->trigger();

    EXPECT_EQ(cTitre, QStringLiteral("Renommer les 2 images"));
    const QString a2 = Dossier() + QStringLiteral("Vac00.jpg");
    const QString c2 = Dossier() + QStringLiteral("Vac01.jpg");
    EXPECT_EQ(CheminsListe(), (QStringList{a2, b, c2, cRacine + QStringLiteral("/cd/photos/d.jpg")}));
    EXPECT_EQ(Modele.data(Modele.index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("Vac00.jpg"));
    EXPECT_TRUE(QFileInfo::exists(a2) && QFileInfo::exists(c2) && QFileInfo::exists(b));
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_EQ(TBigIniFile(Contexte->iniSetup->FileName()).ReadString(QStringLiteral("LEGENDES"), c2, {}),
              QStringLiteral("port"));
    EXPECT_EQ(Contexte->Descriptions->DescriptionImage(0, a2, nDescLecture), QStringLiteral("plage"));
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_FALSE(TGaugeWindow::TacheEnCours());

    // Consultation mode: renaming is off, dating stays.
    Selection.MetModeMAJ(false);
    EXPECT_FALSE(Renommage->btRenommeImg->isEnabled());
    EXPECT_FALSE(Actions[0]->isEnabled());
    EXPECT_TRUE(Renommage->btDateImg->isEnabled());
}

TEST_F(RenommageFm, NothingToRenameAndEscInTheFirstPass)
{
    ListeCD("/photos/d.jpg", true);
    bool lOuverte = false;
    Renommage->fnExecute = [&](QDialog &) {
        lOuverte = true;
        return int(QDialog::Rejected);
    };
    Renommage->RenommerImages();
    EXPECT_FALSE(lOuverte);
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Aucune image à traiter.")});
    Modele.Vide();
    Messages->Montres.clear();

    QStringList Fichiers;
    for (int i = 0; i < 4; ++i)
        Liste(Fichiers.emplace_back(Jpeg(QStringLiteral("img/p%1.jpg").arg(i), i * 40)), true);
    Fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Fenetre));
    TOperationsEchap Echap(*Operations, &Fenetre);
    Renommage->MetOperations(&Echap);
    Messages->Reponses = {true}; // "Interrompre le traitement ?"
    Renommage->fnExecute = [](QDialog &d) {
        auto &fm = static_cast<TfmRenommeImg &>(d);
        fm.edPrefixe->setText(QStringLiteral("n"));
        fm.edOffset->MetValeur(10);
        fm.btOK->click();
        return d.result();
    };
    Renommage->RenommerImages();

    // The first image got its temporary then its final name; the others were not touched.
    EXPECT_TRUE(Messages->Textes().contains(QStringLiteral("Interrompre le traitement ?")));
    EXPECT_EQ(CheminsListe(),
              (QStringList{Dossier() + QStringLiteral("n10.jpg"), Fichiers[1], Fichiers[2], Fichiers[3]}));
    EXPECT_TRUE(QFileInfo::exists(Dossier() + QStringLiteral("n10.jpg")));
    EXPECT_FALSE(QFileInfo::exists(Dossier() + QStringLiteral("n10.jpg_0")));
    EXPECT_EQ(Messages->Textes().last(), QStringLiteral("3 image(s) n'ont(a) pas été traitée(s)."));
    EXPECT_FALSE(TGaugeWindow::TacheEnCours());
}

TEST_F(RenommageFm, DatingWindowAndCommand)
{
    {
        TfmDateImg fm(2);
        EXPECT_EQ(fm.windowTitle(), QStringLiteral("Dater les 2 image(s)"));
        EXPECT_TRUE(fm.rbChoisirDate->isChecked());
        EXPECT_EQ(fm.dtpDate->date(), QDate::currentDate());
        EXPECT_EQ(fm.dtpHeure->time().second(), 0);
        fm.dtpHeure->setTime(QTime(10, 20, 30, 400));
        EXPECT_EQ(fm.dtpHeure->time(), QTime(10, 20));
        fm.rbDatePDVEXIF->setChecked(true);
        EXPECT_FALSE(fm.dtpDate->isEnabled());
        EXPECT_FALSE(fm.dtpHeure->isEnabled());
        EXPECT_TRUE(fm.EXIF());
    }

    const QString a = Jpeg("img/a.jpg", 10);
    const QString b = Jpeg("img/b.jpg", 20);
    Liste(a, true);
    Liste(b, true);
    Modele.Enr(0).lEXIF = true;
    Modele.Enr(0).cDatePDV = QStringLiteral("14/07/2005 18:30:25");
    Selection.MetModeMAJ(false);
    Renommage->fnExecute = [](QDialog &d) {
        auto &fm = static_cast<TfmDateImg &>(d);
        if (!qEnvironmentVariableIsEmpty("VIMBREL_CAPTURES")) {
            fm.show();
            Capture(QStringLiteral("i28-dater.png"));
        }
        fm.rbDatePDVEXIF->setChecked(true);
        fm.btOK->click();
        return d.result();
    };
    Renommage->btDateImg->click();

    const QDateTime D(QDate(2005, 7, 14), QTime(18, 30, 25));
    EXPECT_EQ(QFileInfo(a).lastModified(), D);
    EXPECT_EQ(Modele.Enr(0).nDate, D.toSecsSinceEpoch());
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("1 image(s) n'ont(a) pas été traitée(s).")});
}

namespace
{
using RepriseDemarrage = TBancFenetrePrincipale<>;
}

// A batch killed after its renames, before its saves: the start moves the data to the new names
// before the clean-up, which would otherwise drop them as the data of vanished images.
TEST_F(RepriseDemarrage, TheStartReplaysTheJournalBeforeTheCleanUp)
{
    const QString a = Temp.filePath(QStringLiteral("photos/a.jpg"));
    const QString b = Temp.filePath(QStringLiteral("photos/b.jpg"));
    ASSERT_TRUE(EcritFichier(a, "image"));
    QDir().mkpath(Donnees());
    {
        TBigIniFile Setup(FichierSetup());
        Setup.WriteString(QStringLiteral("MOTS-CLES"), a, QStringLiteral("MER"));
        TBigIniFile BDD(Donnees() + QStringLiteral("KX_BDD.ini"), true);
        BDD.WriteString(a, QStringLiteral("Lieux/Rome"), {});
    }
    TPlanRenommage Plan;
    Plan.Image = {a, {}, b, IdentiteFichier(a)};
    TJournalRenommage Journal(TRenommageImages::CheminJournal(Donnees()));
    ASSERT_EQ(Journal.Ecrit({Plan}), 0);
    ASSERT_EQ(RenommeSansRemplacer(a, b), 0);

    CreeFenetre();

    const TBigIniFile Setup(FichierSetup());
    EXPECT_EQ(Setup.ReadString(QStringLiteral("MOTS-CLES"), b, {}), QStringLiteral("MER"));
    EXPECT_FALSE(Setup.ValueExists(QStringLiteral("MOTS-CLES"), a));
    EXPECT_TRUE(TBigIniFile(Donnees() + QStringLiteral("KX_BDD.ini"), true).SectionExists(b));
    EXPECT_FALSE(QFileInfo::exists(TRenommageImages::CheminJournal(Donnees())));
    EXPECT_NE(Controle<QPushButton>("btRenommeImg"), nullptr);
    EXPECT_NE(Controle<QPushButton>("btDateImg"), nullptr);
}
