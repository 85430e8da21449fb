#include "classification/CommandesRech_fm.h"

#include "classification/Recherche_fm.h"
#include "exploration/ModeleListe.h"
#include "filters/BoutonFiltres_fm.h"
#include "filters/Filtres.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/VolumesFactices.h"
#include "storage/Contexte.h"
#include "support/Corpus.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
// The main window over a small catalogue of real files, with stand-ins for the keyword and
// legend rows, which other units build.
struct CommandesRechTest : TBancFenetrePrincipale<>
{
    TRechercheKX *Rech = nullptr;
    TCommandesRechKX *Cmd = nullptr;
    QLineEdit *MotsCles = nullptr;
    QLineEdit *Legende = nullptr;
    bool lOperateurET = false;
    QString cSoleil, cMer;

    void Ecrit(const QString &cNom, const QByteArray &Contenu)
    {
        QDir().mkpath(Donnees());
        QFile f(Donnees() + cNom);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Contenu);
    }
    void SetUp() override
    {
        const QString cSource = Corpus::Fichier("kinds/jpeg/exiftool_Canon.jpg");
        ASSERT_FALSE(cSource.isEmpty());
        QDir().mkpath(Temp.filePath("photos"));
        cSoleil = Temp.filePath("photos/soleil.jpg");
        cMer = Temp.filePath("photos/mer.jpg");
        ASSERT_TRUE(QFile::copy(cSource, cSoleil));
        ASSERT_TRUE(QFile::copy(cSource, cMer));
        Ecrit("KX_Setup.ini", "[CRITERES HIERARCHIQUES]\r\nVoyages=\r\nVoyages/Italie=\r\nFamille=\r\n"
                              "[LEGENDES]\r\n"
                                  + cSoleil.toUtf8() + "=Coucher de soleil\r\n" + cMer.toUtf8()
                                  + "=Vagues\r\n"
                                    "[CRITERES ENREGISTRES:SOIR]\r\nVoyages/Italie=\r\n_LEG=*COUCHER*\r\n");
        Ecrit("KX_BDD.ini", "[" + cSoleil.toUtf8() + "]\r\nVoyages/Italie=\r\n[" + cMer.toUtf8() + "]\r\nFamille=\r\n");

        CreeFenetre();
        Rech = Fenetre->findChild<TRechercheKX *>();
        Cmd = Fenetre->findChild<TCommandesRechKX *>();
        ASSERT_NE(Rech, nullptr);
        ASSERT_NE(Cmd, nullptr);

        MotsCles = new QLineEdit(Rech->pnMotsClesRech);
        Rech->pnMotsClesRech->layout()->addWidget(MotsCles);
        Legende = new QLineEdit(Rech->pnLegendeRech);
        Rech->pnLegendeRech->layout()->addWidget(Legende);
        TFournisseursRecherche &f = Cmd->Fournisseurs;
        f.fnMotsCles = [this] { return MotsCles->text(); };
        f.fnMetMotsCles = [this](const QString &c) { MotsCles->setText(c); };
        f.fnOperateurET = [this] { return lOperateurET; };
        f.fnLegende = [this] { return Legende->text(); };
        f.fnMetLegende = [this](const QString &c) { Legende->setText(c); };
        Cmd->BrancheEntree(MotsCles);
        Cmd->BrancheEntree(Legende);

        Fenetre->resize(1000, 800);
        Fenetre->show();
        for (QWidget *w = Fenetre->PageRecherche(); w; w = w->parentWidget())
            if (auto *Onglets = qobject_cast<QTabWidget *>(w)) {
                Onglets->setCurrentWidget(Fenetre->PageRecherche());
                break;
            }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
    }

    QStringList Liste() const
    {
        QStringList l;
        for (int i = 0; i < Fenetre->Modele().Nombre(); ++i)
            l << Fenetre->Modele().Enr(i).Cle();
        return l;
    }
    QStringList Coches() const
    {
        QStringList l;
        Rech->tvCritRech->Coches().ListerCritCoches(l);
        return l;
    }
};
} // namespace

TEST_F(CommandesRechTest, EnterSearchesAndABadPatternKeepsTheList)
{
    EXPECT_TRUE(Rech->btRechercher->isEnabled());
    Legende->setFocus();
    QTest::keyClicks(Legende, "*coucher*");
    QTest::keyClick(Legende, Qt::Key_Return);
    EXPECT_EQ(Liste(), QStringList{cSoleil});
    EXPECT_EQ(Fenetre->Modele().nMode, TModeListe::Recherche);

    Legende->clear();
    QTest::keyClick(MotsCles, Qt::Key_Enter);
    EXPECT_EQ(Liste(), (QStringList{cMer, cSoleil}));

    // The pattern is refused before anything is listed: the rows stay.
    MotsCles->setText("[A-");
    QTest::keyClick(MotsCles, Qt::Key_Return);
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Erreur");
    EXPECT_EQ(Messages->Montres[0].cTexte, "'[A-' est un masque incorrect à (1)");
    EXPECT_EQ(Liste(), (QStringList{cMer, cSoleil}));
    EXPECT_TRUE(Fenetre->isEnabled());
}

TEST_F(CommandesRechTest, ResetKeepsFilterNameAndOperator)
{
    bool lFiltreAppele = false;
    Cmd->fnFiltreRech = [&](qint32, const QString &, quint8 &, quint8 &) { return lFiltreAppele = true; };
    Cmd->cbCritEnreg->setEditText("MES CRITERES");
    Rech->tvCritRech->Coches().CocherChemin("Voyages/Italie");
    Rech->tvCritRech->ActualiseCoches();
    Rech->tvCritRech->MetIndicateurGras(true);
    MotsCles->setText("MER");
    Legende->setText("*X*");
    Rech->btCritCDC->setChecked(true);

    QTest::mouseClick(Cmd->btRAZCritRech, Qt::LeftButton);
    EXPECT_TRUE(Coches().isEmpty());
    EXPECT_EQ(MotsCles->text(), "");
    EXPECT_EQ(Legende->text(), "");
    EXPECT_FALSE(Rech->btCritCDC->isChecked());
    EXPECT_FALSE(Rech->tvCritRech->IndicateurGras());
    EXPECT_EQ(Cmd->cbCritEnreg->currentText(), "MES CRITERES");
    EXPECT_FALSE(lOperateurET);
    // The filter is still the search's: it sees every image.
    QTest::mouseClick(Rech->btRechercher, Qt::LeftButton);
    EXPECT_TRUE(lFiltreAppele);
    EXPECT_EQ(Liste().size(), 2);
}

TEST_F(CommandesRechTest, SavedSearchesLoadAsTypedAndSave)
{
    EXPECT_EQ(Cmd->cbCritEnreg->count(), 1);
    EXPECT_EQ(Cmd->cbCritEnreg->itemText(0), "SOIR");
    // Typed in lower case with a stray character: filtered, recognised, loaded.
    QTest::keyClicks(Cmd->cbCritEnreg->lineEdit(), "so*ir");
    EXPECT_EQ(Cmd->cbCritEnreg->currentText(), "SOIR");
    EXPECT_EQ(Coches(), QStringList{"Voyages/Italie"});
    EXPECT_EQ(Legende->text(), "*COUCHER*");
    EXPECT_TRUE(Rech->tvCritRech->IndicateurGras());

    // Saving needs the update mode and a name.
    Fenetre->Selection().MetModeMAJ(false);
    EXPECT_FALSE(Cmd->btSvgCritEnreg->isEnabled());
    Fenetre->Selection().MetModeMAJ(true);
    Cmd->cbCritEnreg->lineEdit()->selectAll();
    QTest::keyClicks(Cmd->cbCritEnreg->lineEdit(), "  bord de mer");
    ASSERT_TRUE(Cmd->btSvgCritEnreg->isEnabled());
    MotsCles->setText("MER SOL*");
    QTest::mouseClick(Cmd->btSvgCritEnreg, Qt::LeftButton);
    EXPECT_EQ(Cmd->cbCritEnreg->currentText(), "BORD DE MER");
    EXPECT_EQ(Cmd->cbCritEnreg->itemText(0), "BORD DE MER");
    QStringList Lignes;
    Contexte->iniSetup->ReadSectionValues("CRITERES ENREGISTRES:BORD DE MER", Lignes);
    EXPECT_EQ(Lignes, (QStringList{"Voyages/Italie=", "_MC=MER SOL*", "_LEG=*COUCHER*"}));
    EXPECT_TRUE(Messages->Montres.isEmpty());

    // A save that cannot be written is told and kept in memory.
    ASSERT_TRUE(QFile::remove(Donnees() + "KX_Setup.ini"));
    ASSERT_TRUE(QDir().mkpath(Donnees() + "KX_Setup.ini"));
    Cmd->cbCritEnreg->setEditText("AUTRE");
    EXPECT_FALSE(Cmd->SauverRecherche());
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Erreur");
    EXPECT_TRUE(Contexte->iniSetup->SectionExists("CRITERES ENREGISTRES:AUTRE"));
}

TEST_F(CommandesRechTest, TheSearchFilterNarrowsTheSearchList)
{
    QTest::keyClick(MotsCles, Qt::Key_Return);
    ASSERT_EQ(Liste(), (QStringList{cMer, cSoleil}));

    // The record as the filter editor leaves it: only names starting with "sol".
    TEnrFiltres &r = Contexte->enrFiltresRech;
    r.lModeles = true;
    r.cModeles = "sol*";
    CalculeIndicateurs(r, false);
    Rech->BoutonFiltres->AfficheFiltre();
    EXPECT_EQ(Rech->BoutonFiltres->Glyphe(), 1);
    EXPECT_TRUE(Rech->BoutonFiltres->Bouton->toolTip().endsWith("<SG>Modèles :</SG/> sol*"));

    QTest::keyClick(MotsCles, Qt::Key_Return);
    EXPECT_EQ(Liste(), QStringList{cSoleil});
    // The criteria and the legend still apply on top of the filter.
    Legende->setText("*vagues*");
    QTest::keyClick(Legende, Qt::Key_Return);
    EXPECT_TRUE(Liste().isEmpty());

    // Without the filter the same search finds the other image again.
    Rech->BoutonFiltres->miFiltresPasDeFiltre->trigger();
    EXPECT_EQ(Rech->BoutonFiltres->Glyphe(), 0);
    QTest::keyClick(Legende, Qt::Key_Return);
    EXPECT_EQ(Liste(), QStringList{cMer});
    EXPECT_TRUE(Messages->Montres.isEmpty());
}
