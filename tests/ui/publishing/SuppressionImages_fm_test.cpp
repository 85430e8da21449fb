#include "BancSuppressionFm.h"

#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "components/PaneledListView.h"
#include "mainwindow/MainKX_fm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace
{

using SuppressionFm = BancSuppressionFm;

// Passes everything to the real operations, and presses Esc once the first image has gone:
// the batch hears it before the next one.
class TOperationsEchap : public IOperationsFichiers
{
public:
    TOperationsEchap(IOperationsFichiers &Reelles, QWidget *Cible) : m_Reelles(Reelles), m_Cible(Cible) {}
    TResultatOperation Renomme(const QString &a, const QString &b) override { return m_Reelles.Renomme(a, b); }
    TResultatOperation Corbeille(const QString &c) override
    {
        const TResultatOperation r = m_Reelles.Corbeille(c);
        if (nAppels++ == 0)
            QTest::keyClick(m_Cible, Qt::Key_Escape);
        return r;
    }
    TResultatOperation Supprime(const QString &c) override { return m_Reelles.Supprime(c); }
    bool Absent(const QString &c) const override { return m_Reelles.Absent(c); }
    int nAppels = 0;

private:
    IOperationsFichiers &m_Reelles;
    QWidget *m_Cible;
};

} // namespace

TEST_F(SuppressionFm, CheckedImagesGoToTheTrashAfterTheQuestionAndTheCDImageIsCounted)
{
    const QString a = Jpeg("img/a.jpg", 10);
    const QString b = Jpeg("img/b.jpg", 20);
    const QString c = Jpeg("img/c.jpg", 30);
    Liste(a, true);
    Liste(b);
    Liste(c, true);
    ListeCD("/photos/d.jpg", true);
    Contexte->iniSetup->WriteString("LEGENDES", a, "plage");
    Contexte->iniBDD->WriteString(a, "Critere", "1");
    Messages->ReponsesCase = {false};

    Suppression->btSupprimeImgClick();

    ASSERT_GE(Messages->Montres.size(), 2);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
    EXPECT_EQ(Messages->Montres[0].cTexte, "Supprimer les 2 image(s) sélectionnée(s) ?");
    EXPECT_EQ(Messages->Cases, QStringList{"Supprimer définitivement (sans passer par la corbeille)"});
    EXPECT_EQ(Messages->Textes().last(), "1 image(s) n'ont(a) pas été traitée(s).");
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_TRUE(QFileInfo::exists(b));
    EXPECT_FALSE(QFileInfo::exists(c));
    EXPECT_EQ(DansCorbeille().size(), 2);
    // Rows of deleted files gone, the rest unchecked; the data of the deleted image purged and
    // saved.
    EXPECT_EQ(CheminsListe(), QStringList({b, cRacine + "/cd/photos/d.jpg"}));
    EXPECT_EQ(Modele.nNbCoches(), 0);
    TBigIniFile Relu(Contexte->Dossiers.cDossierDonnees + "KX_Setup.ini");
    EXPECT_TRUE(Relu.ReadString("LEGENDES", a, "<absent>") == "<absent>");
    EXPECT_FALSE(Contexte->iniBDD->SectionExists(a));
}

TEST_F(SuppressionFm, TickedBoxDeletesForGoodAndNoKeepsEverything)
{
    const QString a = Jpeg("img/a.jpg", 10);
    const QString b = Jpeg("img/b.jpg", 20);
    Liste(a, true);
    Liste(b, true);

    // No: nothing moves, the checks stay.
    Suppression->btSupprimeImgClick();
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_EQ(Modele.nNbCoches(), 2);
    EXPECT_EQ(Messages->Montres.size(), 1);

    Messages->ReponsesCase = {true};
    Suppression->btSupprimeImgClick();
    EXPECT_FALSE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_TRUE(DansCorbeille().isEmpty());
    EXPECT_EQ(Operations->Appels, QStringList({"supprime:" + b, "supprime:" + a}));
    EXPECT_EQ(Modele.Nombre(), 0);
}

TEST_F(SuppressionFm, ConsultationModeAsksNothingAndDeletesNothing)
{
    const QString a = Jpeg("img/a.jpg");
    Liste(a, true);
    QWidget Barre;
    auto *Disposition = new QHBoxLayout(&Barre);
    Disposition->addStretch(1);
    Suppression->CreeBouton(&Barre);
    ASSERT_NE(Suppression->btSupprimeImg, nullptr);
    EXPECT_EQ(Suppression->btSupprimeImg->toolTip(), "Supprimer les images sélectionnées");
    EXPECT_TRUE(Suppression->btSupprimeImg->isEnabled());

    Selection.MetModeMAJ(false);
    EXPECT_FALSE(Suppression->btSupprimeImg->isEnabled());
    const QList<QAction *> Fichiers = Suppression->Actions(TEmplacementAction::MenuFichiers);
    ASSERT_EQ(Fichiers.size(), 1);
    EXPECT_EQ(Fichiers[0]->text(), "Su&pprimer...");
    EXPECT_FALSE(Fichiers[0]->isEnabled());

    Messages->ReponsesCase = {false};
    Fichiers[0]->trigger();
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_EQ(Modele.Nombre(), 1);

    // Back in update mode, unchecking everything disables the command as well.
    Selection.MetModeMAJ(true);
    EXPECT_TRUE(Suppression->btSupprimeImg->isEnabled());
    Modele.MetCoche(0, false);
    EXPECT_FALSE(Suppression->btSupprimeImg->isEnabled());
}

TEST_F(SuppressionFm, AFileTheLayerCannotMoveKeepsItsRowAndData)
{
    const QString a = Jpeg("img/a.jpg", 10);
    const QString b = Jpeg("img/b.jpg", 20);
    Liste(a, true);
    Liste(b, true);
    Contexte->iniSetup->WriteString("LEGENDES", a, "garde");
    Contexte->iniSetup->WriteString("LEGENDES", b, "part");
    Contexte->iniBDD->WriteString(a, "Critere", "1");
    Operations->EchoueSur(a);
    Messages->ReponsesCase = {false};

    Suppression->btSupprimeImgClick();

    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_FALSE(QFileInfo::exists(b));
    EXPECT_EQ(CheminsListe(), QStringList{a});
    EXPECT_EQ(Contexte->iniSetup->ReadString("LEGENDES", a, ""), "garde");
    EXPECT_EQ(Contexte->iniSetup->ReadString("LEGENDES", b, "<absent>"), "<absent>");
    EXPECT_TRUE(Contexte->iniBDD->SectionExists(a));
    EXPECT_EQ(Messages->Textes().last(), "1 image(s) n'ont(a) pas été traitée(s).");
}

TEST_F(SuppressionFm, NoTrashOnTheVolumeSaysToTickTheBox)
{
    const QString a = Jpeg("img/a.jpg");
    Liste(a, true);
    Operations->SansCorbeille();
    Messages->ReponsesCase = {false};
    Suppression->btSupprimeImgClick();
    EXPECT_TRUE(QFileInfo::exists(a));
    EXPECT_EQ(Messages->Textes().last(), "1 image(s) n'ont(a) pas été traitée(s).\n"
                                         "(Corbeille indisponible : cochez « Supprimer définitivement ».)");
}

TEST_F(SuppressionFm, EscBetweenImagesStopsTheBatchUnderTheGauge)
{
    QStringList Fichiers;
    for (int i = 0; i < 4; ++i)
        Liste(Fichiers.emplace_back(Jpeg(QString("img/p%1.jpg").arg(i), i * 40)), true);
    Fenetre.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Fenetre));
    TOperationsEchap Echap(*Operations, &Fenetre);
    Suppression->MetOperations(&Echap);
    Messages->ReponsesCase = {false};
    Messages->Reponses = {true}; // "Interrompre le traitement ?"

    Suppression->btSupprimeImgClick();

    EXPECT_EQ(Echap.nAppels, 1);
    EXPECT_TRUE(Messages->Textes().contains("Interrompre le traitement ?"));
    // The last row goes first; the three others stay, unchecked.
    EXPECT_FALSE(QFileInfo::exists(Fichiers[3]));
    EXPECT_EQ(CheminsListe(), Fichiers.mid(0, 3));
    EXPECT_EQ(Modele.nNbCoches(), 0);
    EXPECT_FALSE(TGaugeWindow::TacheEnCours());
}

TEST(MessagesQtCase, TheBoxIsUntickedAtEveryQuestionAndItsStateIsTheAnswer)
{
    TMessagesQt Messages;
    QStringList Vus;
    // Answers each box: notes whether it came ticked, ticks it when asked, then clicks a button.
    const auto Repond = [&Vus](bool lCocher, const QString &cBouton) {
        QTimer::singleShot(0, [&Vus, lCocher, cBouton] {
            auto *Boite = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(Boite, nullptr);
            ASSERT_NE(Boite->checkBox(), nullptr);
            if (Vus.isEmpty())
                Capture("g27-question.png");
            Vus << Boite->windowTitle() + "|" + Boite->text() + "|" + Boite->checkBox()->text() + "|"
                       + (Boite->checkBox()->isChecked() ? "coché" : "vide");
            Boite->checkBox()->setChecked(lCocher);
            for (QAbstractButton *b : Boite->buttons())
                if (b->text() == cBouton)
                    b->click();
        });
    };
    const QString cQuestion = QuestionSuppression(2);
    Repond(true, "&Oui");
    EXPECT_EQ(Messages.QuestionCase(nullptr, cQuestion, cTexteSupprimerDefinitivement), std::optional<bool>(true));
    Repond(false, "&Oui");
    EXPECT_EQ(Messages.QuestionCase(nullptr, cQuestion, cTexteSupprimerDefinitivement), std::optional<bool>(false));
    Repond(true, "&Non");
    EXPECT_EQ(Messages.QuestionCase(nullptr, cQuestion, cTexteSupprimerDefinitivement), std::nullopt);
    EXPECT_EQ(Vus, QStringList(3, "Attention|" + cQuestion + "|" + cTexteSupprimerDefinitivement + "|vide"));
}

TEST(SuppressionFmFenetre, TheMainWindowOffersTheButtonTheMenuItemAndTheToolsItem)
{
    QTemporaryDir Temp;
    TEmplacementsConfig E;
    E.cFichierUtilisateur = Temp.filePath("config/Vimbrel.conf");
    E.cFichierMachine = Temp.filePath("etc/Vimbrel.conf");
    E.cDossierDefaut = Temp.filePath("donnees") + "/";
    auto Vol = std::make_unique<TVolumesFactices>();
    TVolume Racine;
    Racine.cPointMontage = "/";
    Vol->Ajoute(Racine);
    TContexte Contexte(E, Temp.filePath("bin"), std::move(Vol));
    Contexte.Messages = std::make_unique<TMessagesFactices>();
    TfmMainKX Fenetre(Contexte);
    Fenetre.FormCreate(nullptr);

    auto *bt = Fenetre.BarreListe()->findChild<QPushButton *>("btSupprimeImg");
    ASSERT_NE(bt, nullptr);
    QStringList Fichiers;
    for (QAction *a : Fenetre.Fonctionnalites().Actions(TEmplacementAction::MenuFichiers))
        Fichiers << a->text();
    EXPECT_TRUE(Fichiers.contains("Su&pprimer..."));
    const QList<QAction *> Outils = Fenetre.Fonctionnalites().Actions(TEmplacementAction::OutilsDivers);
    // Other features installed later add their own items after it.
    ASSERT_GE(Outils.size(), 1);
    EXPECT_EQ(Outils[0]->text(), "&Rechercher les images en double...");
    auto *btOutilsDivers = Fenetre.findChild<QPushButton *>("btOutilsDivers");
    ASSERT_NE(btOutilsDivers, nullptr);
    QMenu *pmOutilsDivers = btOutilsDivers->menu();
    ASSERT_NE(pmOutilsDivers, nullptr);
    EXPECT_EQ(pmOutilsDivers->objectName(), "pmOutilsDivers");
    EXPECT_TRUE(
        btOutilsDivers->toolTip().startsWith("<SG>Outils divers :</SG/>\r\n     - Rechercher les images en double"))
        << btOutilsDivers->toolTip().toStdString();
    emit pmOutilsDivers->aboutToShow();
    emit pmOutilsDivers->aboutToShow();
    // Opened twice, the pop-up holds each item once (features' groups set apart by separators).
    QList<QAction *> Items;
    for (QAction *a : pmOutilsDivers->actions())
        if (!a->isSeparator())
            Items << a;
    EXPECT_EQ(Items, Outils);
}
