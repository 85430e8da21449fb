#include "BancSuppressionFm.h"
#include "publishing/HistoriqueAlbumsWeb_fm.h"
#include "publishing/PagesAlbumWEB.h"
#include "storage/Sections.h"
#include "support/Fichiers.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

namespace
{
class HistoriqueAlbumsWebFm : public BancSuppressionFm
{
protected:
    void SetUp() override
    {
        BancSuppressionFm::SetUp();
        Interface.pOperations = Operations.get();
        Interface.fnOuvrePage = [this](const QString &cPage) {
            Ouvertes << cPage;
            return lOuvrable;
        };
    }

    QString Album(const QString &cNom, const QString &cMotsCles)
    {
        TOptionsAlbumWEB O;
        O.cAWMotsCles = cMotsCles;
        const QString cDossier = cRacine + QStringLiteral("/albums/") + cNom + QLatin1Char('/');
        EcritFichier(cDossier + QStringLiteral("Index.htm"),
                     OctetsPageAlbumWEB(TeteAlbumWEB(cNom, O) + PiedAlbumWEB()));
        EcritFichier(cDossier + QStringLiteral("Vignettes/a.jpg"), "v");
        EcritFichier(cDossier + QStringLiteral("Vignettes/b.jpg"), "v");
        EcritFichier(cDossier + QStringLiteral("Images/a.jpg"), "i");
        Contexte->iniSetup->WriteString(cSectionAlbumsWebHistorique, cDossier, QString());
        return cDossier;
    }

    void TroisAlbums()
    {
        Album(QStringLiteral("plage"), QStringLiteral("MER PLAGE"));
        Album(QStringLiteral("Étang"), QStringLiteral("MERE MER"));
        Album(QStringLiteral("meres"), QStringLiteral("MERES"));
    }

    static QStringList Noms(const TfmAlbumWEBHisto &F)
    {
        QStringList l;
        for (int i = 0; i < F.lvHistorique->topLevelItemCount(); ++i)
            l << F.lvHistorique->topLevelItem(i)->text(0);
        return l;
    }

    // Runs the window through its entry, fnTest acting on it while it is "shown".
    int Ouvre(const std::function<void(TfmAlbumWEBHisto &)> &fnTest)
    {
        int nMontrees = 0;
        Interface.fnExecute = [&](TfmAlbumWEBHisto &F) {
            ++nMontrees;
            F.show();
            fnTest(F);
            return 0;
        };
        OuvreHistoriqueAlbumsWEB(*Contexte, nullptr, Interface);
        return nMontrees;
    }

    TInterfaceHistoAlbumsWEB Interface;
    QStringList Ouvertes;
    bool lOuvrable = true;
};
} // namespace

TEST_F(HistoriqueAlbumsWebFm, AnEmptyHistoryIsToldAndTheListFiltersByKeyword)
{
    EXPECT_EQ(Ouvre([](TfmAlbumWEBHisto &) {}), 0);
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Aucun historique des albums WEB.")});
    EXPECT_EQ(Messages->Montres[0].cTitre, QStringLiteral("Attention"));

    TroisAlbums();
    Messages->Montres.clear();
    EXPECT_EQ(Ouvre([&](TfmAlbumWEBHisto &F) {
                  EXPECT_EQ(F.windowTitle(), QStringLiteral("Historique des albums WEB"));
                  QTreeWidget *lv = F.lvHistorique;
                  ASSERT_EQ(lv->columnCount(), 6);
                  EXPECT_EQ(lv->headerItem()->text(5), QStringLiteral("Mots-clés"));
                  EXPECT_EQ(Noms(F),
                            (QStringList{QStringLiteral("Étang"), QStringLiteral("meres"), QStringLiteral("plage")}));
                  QTreeWidgetItem *Plage = lv->topLevelItem(2);
                  EXPECT_EQ(Plage->text(1), cRacine + QStringLiteral("/albums/"));
                  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d$"))
                                  .match(Plage->text(2))
                                  .hasMatch())
                      << Plage->text(2).toStdString();
                  EXPECT_EQ(Plage->text(3), QStringLiteral("2"));
                  EXPECT_EQ(Plage->text(4), QStringLiteral("1"));
                  EXPECT_EQ(Plage->textAlignment(3) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
                  EXPECT_EQ(Plage->text(5), QStringLiteral("MER PLAGE"));
                  EXPECT_EQ(lv->currentItem(), lv->topLevelItem(0));
                  EXPECT_TRUE(lv->topLevelItem(0)->isSelected());
                  EXPECT_TRUE(F.btVisualiser->isEnabled());
                  EXPECT_TRUE(F.btSupprimer->isEnabled());
                Capture(QStringLiteral("historique-albums-web.png"));

                  // The focus moved without the selection takes it along.
                  lv->selectionModel()->setCurrentIndex(lv->model()->index(1, 0), QItemSelectionModel::NoUpdate);
                  EXPECT_EQ(lv->selectedItems(), QList<QTreeWidgetItem *>{lv->topLevelItem(1)});

                  // Keyword mode: nothing typed, nothing listed.
                  EXPECT_FALSE(F.edChercherMC->isEnabled());
                  F.rbAlbumsContMC->click();
                  EXPECT_TRUE(F.edChercherMC->isEnabled());
                  EXPECT_TRUE(F.btChercherMC->isEnabled());
                  EXPECT_EQ(lv->topLevelItemCount(), 0);
                  EXPECT_FALSE(F.btVisualiser->isEnabled());
                  EXPECT_FALSE(F.btSupprimer->isEnabled());

                  QTest::keyClicks(F.edChercherMC, QStringLiteral("  mer "));
                  EXPECT_EQ(F.edChercherMC->text(), QStringLiteral("  MER "));
                  QTest::keyClick(F.edChercherMC, Qt::Key_Return);
                  EXPECT_EQ(F.edChercherMC->text(), QStringLiteral("MER"));
                  EXPECT_EQ(F.edChercherMC->cursorPosition(), 3);
                  EXPECT_EQ(Noms(F), (QStringList{QStringLiteral("Étang"), QStringLiteral("plage")}));
                  EXPECT_TRUE(F.isVisible());
                  F.cbMotEntier->click();
                  EXPECT_EQ(Noms(F).size(), 3);
                  F.rbTsAlbums->click();
                  EXPECT_FALSE(F.edChercherMC->isEnabled());
                  EXPECT_EQ(Noms(F).size(), 3);

                  // Opening the selected album, by the button or a double click.
                  F.btVisualiser->click();
                  lOuvrable = false;
                  emit lv->itemDoubleClicked(lv->topLevelItem(0), 0);
              }),
              1);
    const QString cPage = cRacine + QStringLiteral("/albums/Étang/Index.htm");
    EXPECT_EQ(Ouvertes, (QStringList{cPage, cPage}));
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Impossible d'ouvrir « %1 ».").arg(cPage)});
}

TEST_F(HistoriqueAlbumsWebFm, DeletingAsksTrashesTheAlbumAndDropsItsRowAndKey)
{
    TroisAlbums();
    const QString cEtang = cRacine + QStringLiteral("/albums/Étang/");
    Ouvre([&](TfmAlbumWEBHisto &F) {
        Messages->Reponses = {false};
        F.btSupprimer->click();
        ASSERT_EQ(Messages->Montres.size(), 1);
        EXPECT_EQ(Messages->Montres[0].cTexte, QStringLiteral("Supprimer l'Album WEB 'Étang' ?"));
        EXPECT_EQ(Noms(F).size(), 3);
        EXPECT_TRUE(QFileInfo::exists(cEtang));

        Messages->Reponses = {true};
        F.btSupprimer->click();
        EXPECT_EQ(Noms(F), (QStringList{QStringLiteral("meres"), QStringLiteral("plage")}));
        EXPECT_TRUE(F.lvHistorique->topLevelItem(0)->isSelected());
        EXPECT_EQ(F.lvHistorique->currentItem(), F.lvHistorique->topLevelItem(0));
    });
    EXPECT_EQ(Messages->Montres.size(), 2);
    EXPECT_FALSE(QFileInfo::exists(cEtang));
    EXPECT_TRUE(QFileInfo::exists(cRacine + QStringLiteral("/xdg/Trash/files/Étang/Images/a.jpg")));
    EXPECT_FALSE(TBigIniFile(Contexte->iniSetup->FileName()).ValueExists(cSectionAlbumsWebHistorique, cEtang));

    // A key edited to a folder that holds the data folder: refused, row and key kept.
    const QString cTout = cRacine + QLatin1Char('/');
    EcritFichier(cTout + QStringLiteral("Index.htm"), "");
    Contexte->iniSetup->WriteString(cSectionAlbumsWebHistorique, cTout, QString());
    Messages->Montres.clear();
    Ouvre([&](TfmAlbumWEBHisto &F) {
        const int n = int(Noms(F).indexOf(cRacine.section(QLatin1Char('/'), -1)));
        ASSERT_GE(n, 0);
        F.lvHistorique->setCurrentItem(F.lvHistorique->topLevelItem(n));
        Messages->Reponses = {true};
        F.btSupprimer->click();
        EXPECT_EQ(Noms(F).size(), 3);
    });
    ASSERT_EQ(Messages->Montres.size(), 2);
    EXPECT_EQ(Messages->Montres[1].cTitre, QStringLiteral("Erreur"));
    EXPECT_EQ(Messages->Montres[1].cTexte,
              QStringLiteral("Le dossier « %1 » n'est pas un album WEB : il n'est pas supprimé.").arg(cRacine));
    EXPECT_TRUE(Contexte->iniSetup->ValueExists(cSectionAlbumsWebHistorique, cTout));
    EXPECT_EQ(Operations->Appels.size(), 1);

    // Consultation mode: nothing to delete.
    Contexte->Parametres.lModeMAJ = false;
    Ouvre([&](TfmAlbumWEBHisto &F) {
        EXPECT_TRUE(F.btVisualiser->isEnabled());
        EXPECT_FALSE(F.btSupprimer->isEnabled());
    });
}
