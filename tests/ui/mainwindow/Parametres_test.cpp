#include "mainwindow/Parametres_fm.h"

#include "components/ColorComboBox.h"
#include "components/FolderTreeView.h"
#include "components/PaneledListView.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ModeleListe.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/DesktopEntry.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"
#include "support/Fichiers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace Parametres;

namespace
{

struct ParametresTest : TBancFenetrePrincipale<>
{
    std::unique_ptr<TfmParametres> fm;

    void SetUp() override
    {
        ASSERT_TRUE(Temp.isValid());
        CreeFenetre();
    }
    void TearDown() override
    {
        fm.reset();
        if (Fenetre)
            Fenetre->FermeSansQuestion();
    }
    // The window alone, filled from the context's settings, shown.
    void Ouvre(bool lModeMAJ = true, const QStringList &cCoeffs = {})
    {
        fm = std::make_unique<TfmParametres>(*Contexte);
        fm->Remplit(EtatDepuis(Contexte->Parametres, false), cCoeffs, lModeMAJ);
        fm->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(fm.get()));
    }
    QPoint PointIcone(int nElement) const
    {
        const QRect r = fm->tvGeneral->visualItemRect(fm->ElementGeneral(nElement));
        return QPoint(r.left() + 8, r.center().y());
    }
    QPoint PointTexte(int nElement) const
    {
        const QRect r = fm->tvGeneral->visualItemRect(fm->ElementGeneral(nElement));
        return QPoint(r.left() + 60, r.center().y());
    }
    // Every key of a settings record as the exit would write them.
    QByteArray Ecrit(const TEnrParametres &P, const QString &cNom) const
    {
        const QString cFichier = Temp.filePath(cNom);
        {
            TBigIniFile Ini(cFichier);
            P.Ecrit(Ini, {});
            Ini.UpdateFile();
        }
        return LitFichier(cFichier);
    }
    QStringList Textes(int nListe) const
    {
        QStringList l;
        for (int i = 0; i < fm->lbOrdre[nListe]->count(); ++i)
            l << fm->lbOrdre[nListe]->item(i)->text();
        return l;
    }
};

} // namespace

TEST_F(ParametresTest, GeneralTreeChecksByIconClickAndSpace)
{
    Ouvre();
    QWidget *Vue = fm->tvGeneral->viewport();
    const int nOrient = 17;
    ASSERT_EQ(fm->IconeElement(nOrient), nIconeCoche);
    // A click on the text only selects; on the icon it switches.
    QTest::mouseClick(Vue, Qt::LeftButton, {}, PointTexte(nOrient));
    EXPECT_EQ(fm->IconeElement(nOrient), nIconeCoche);
    QTest::mouseClick(Vue, Qt::LeftButton, {}, PointIcone(nOrient));
    EXPECT_EQ(fm->IconeElement(nOrient), nIconeDecoche);
    // With a modifier, nothing.
    QTest::mouseClick(Vue, Qt::LeftButton, Qt::ControlModifier, PointIcone(nOrient));
    EXPECT_EQ(fm->IconeElement(nOrient), nIconeDecoche);
    // A group's icon never switches.
    QTest::mouseClick(Vue, Qt::LeftButton, {}, PointIcone(18));
    EXPECT_EQ(fm->IconeElement(18), nIconeGroupe);
    // Space switches the selected item and moves down.
    fm->tvGeneral->setCurrentItem(fm->ElementGeneral(33));
    fm->tvGeneral->setFocus();
    const int nAvant = fm->IconeElement(33);
    QTest::keyClick(fm->tvGeneral, Qt::Key_Space);
    EXPECT_NE(fm->IconeElement(33), nAvant);
    EXPECT_EQ(fm->tvGeneral->currentItem(), fm->ElementGeneral(34));
    // Read back: the state follows the icons.
    EXPECT_FALSE(fm->Etat().Coche(nOrient));
    EXPECT_EQ(fm->Etat().Coche(33), nAvant == nIconeDecoche);
}

TEST_F(ParametresTest, ItemControlsFollowTheirItems)
{
    Contexte->Parametres.lCoeffFocDansTable = false;
    Contexte->Parametres.nAffLegMaxCarLig = 40;
    Ouvre(true, {QStringLiteral("MODELE A=1.6"), QStringLiteral("MODELE B=x")});
    // The list has its header and the one number; what is picked goes back to the first row.
    ASSERT_EQ(fm->cbCoeffFoc->count(), 2);
    EXPECT_EQ(fm->cbCoeffFoc->itemText(1), QStringLiteral("MODELE A"));
    EXPECT_FALSE(fm->cbCoeffFoc->isEnabled());
    EXPECT_TRUE(fm->edAffLegMaxCarLig->isEnabled());
    QTest::mouseClick(fm->tvGeneral->viewport(), Qt::LeftButton, {}, PointIcone(nElementCoeffFoc));
    EXPECT_TRUE(fm->cbCoeffFoc->isEnabled());
    fm->cbCoeffFoc->setCurrentIndex(1);
    emit fm->cbCoeffFoc->activated(1);
    EXPECT_EQ(fm->cbCoeffFoc->currentIndex(), 0);

    // Beside the item's text, on its row.
    const QRect r = fm->tvGeneral->visualItemRect(fm->ElementGeneral(nElementLegMax));
    EXPECT_TRUE(fm->edAffLegMaxCarLig->isVisible());
    EXPECT_GT(fm->edAffLegMaxCarLig->geometry().left(), r.left() + 60);
    EXPECT_TRUE(
        fm->edAffLegMaxCarLig->geometry().contains(fm->edAffLegMaxCarLig->geometry().left() + 1, r.center().y()));
    // Its group collapsed: hidden; expanded again: back on its row.
    fm->ElementGeneral(18)->setExpanded(false);
    EXPECT_FALSE(fm->edAffLegMaxCarLig->isVisible());
    EXPECT_TRUE(fm->cbCoeffFoc->isVisible());
    // A collapse above moves the other control up with its item.
    const int nYAvant = fm->cbCoeffFoc->geometry().center().y();
    fm->ElementGeneral(0)->setExpanded(false);
    EXPECT_LT(fm->cbCoeffFoc->geometry().center().y(), nYAvant);
    EXPECT_EQ(fm->cbCoeffFoc->geometry().center().y() / 4,
              fm->tvGeneral->visualItemRect(fm->ElementGeneral(nElementCoeffFoc)).center().y() / 4);
    fm->ElementGeneral(18)->setExpanded(true);
    EXPECT_TRUE(fm->edAffLegMaxCarLig->isVisible());

    // Item 21 off with 40: -40; the spin keeps 40 for when it is on again.
    QTest::mouseClick(fm->tvGeneral->viewport(), Qt::LeftButton, {}, PointIcone(nElementLegMax));
    EXPECT_FALSE(fm->edAffLegMaxCarLig->isEnabled());
    TEnrParametres P;
    RelitDans(fm->Etat(), P);
    EXPECT_EQ(P.nAffLegMaxCarLig, -40);
}

TEST_F(ParametresTest, OrderListsUpDownRules)
{
    Ouvre();
    QListWidget *lb = fm->lbOrdre[nOrdreCol];
    EXPECT_EQ(Textes(nOrdreCol), QStringList({"Nom", "Emplacement", "Résol.", "Taille", "Date"}));
    const auto Etat = [&](int nLigne) {
        lb->setCurrentRow(nLigne);
        return std::pair(fm->btOrdreHaut[nOrdreCol]->isEnabled(), fm->btOrdreBas[nOrdreCol]->isEnabled());
    };
    EXPECT_EQ(Etat(0), std::pair(false, false));
    EXPECT_EQ(Etat(1), std::pair(false, true));
    EXPECT_EQ(Etat(2), std::pair(true, true));
    EXPECT_EQ(Etat(4), std::pair(true, false));
    // Unchecking "Nom" is undone.
    lb->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(lb->item(0)->checkState(), Qt::Checked);
    // "Date" unchecked, moved above "Résol.": the selection and the check follow.
    lb->item(4)->setCheckState(Qt::Unchecked);
    lb->setCurrentRow(4);
    fm->btOrdreHaut[nOrdreCol]->click();
    fm->btOrdreHaut[nOrdreCol]->click();
    EXPECT_EQ(lb->currentRow(), 2);
    EXPECT_EQ(Textes(nOrdreCol), QStringList({"Nom", "Emplacement", "Date", "Résol.", "Taille"}));
    EXPECT_EQ(fm->Etat().P.cOrdreCol, QStringLiteral("edRT"));

    // Other lists: up from the second, down to the one before last; the treatments unchecked.
    QListWidget *Exif = fm->lbOrdre[nOrdreEXIF];
    Exif->setCurrentRow(0);
    EXPECT_FALSE(fm->btOrdreHaut[nOrdreEXIF]->isEnabled());
    EXPECT_TRUE(fm->btOrdreBas[nOrdreEXIF]->isEnabled());
    fm->btOrdreBas[nOrdreEXIF]->click();
    EXPECT_EQ(fm->Etat().P.cOrdreEXIF, QStringLiteral("FAVDPIOC"));
    Exif->setCurrentRow(Exif->count() - 1);
    EXPECT_FALSE(fm->btOrdreBas[nOrdreEXIF]->isEnabled());
    EXPECT_EQ(fm->lbOrdre[nOrdreTrt]->item(0)->data(Qt::CheckStateRole), QVariant());
}

TEST_F(ParametresTest, DataPageOnlyInUpdateModeAndJudgesTheFolder)
{
    Ouvre(false);
    EXPECT_EQ(fm->pcParametres->count(), 3);
    EXPECT_EQ(fm->pcParametres->indexOf(fm->tsDonnees), -1);
    fm.reset();
    const QString cDonnees = Contexte->Dossiers.cDossierDonnees;
    ASSERT_TRUE(QDir().mkpath(cDonnees + "sous"));
    const QString cAilleurs = Temp.filePath("ailleurs");
    ASSERT_TRUE(QDir().mkpath(cAilleurs));
    Ouvre(true);
    ASSERT_EQ(fm->pcParametres->count(), 4);
    EXPECT_EQ(fm->pcParametres->tabText(3), QStringLiteral("Données"));
    // The data folder itself, a sub-folder of it: the kind and list disabled, the reason shown.
    fm->tvEmplDon->ChoisitDossier(cDonnees);
    EXPECT_FALSE(fm->rgDonSysteme->isEnabled());
    EXPECT_FALSE(fm->stOpDon->text().isEmpty());
    fm->tvEmplDon->ChoisitDossier(cDonnees + "sous");
    EXPECT_FALSE(fm->lbOpDon->isEnabled());
    EXPECT_TRUE(fm->stOpDon->text().contains(QStringLiteral("à l'intérieur")));
    // Another folder: enabled, the operation explained; the kind refills the list.
    fm->tvEmplDon->ChoisitDossier(cAilleurs);
    EXPECT_TRUE(fm->rgDonSysteme->isEnabled());
    EXPECT_EQ(fm->stOpDon->text(), ExplicationDeplacement(TSystemeDonnees::MonoUtilisateur, 0));
    fm->rbMulti->setChecked(true);
    EXPECT_EQ(fm->lbOpDon->count(), OperationsDeplacement(TSystemeDonnees::MultiUtilisateurs).size());
    EXPECT_EQ(fm->lbOpDon->currentRow(), 0);
    // A folder made here is selected.
    fm->fnDemandeNomDossier = [] { return std::optional<QString>(QStringLiteral("neuf")); };
    fm->btCreerDossier->click();
    EXPECT_TRUE(QFileInfo(cAilleurs + "/neuf").isDir());
    EXPECT_TRUE(fm->tvEmplDon->DossierCourant().startsWith(cAilleurs + "/neuf"));
}

TEST_F(ParametresTest, TesterThenAnnulerLeavesGridAndSettings)
{
    TPaneledListView *Grille = Fenetre->Grille();
    const QColor FondAvant = Grille->CouleurFond();
    const bool l3DAvant = Grille->_Panels3D();
    const TEnrParametres Avant = Contexte->Parametres;
    Fenetre->fnExecParametres = [&](TfmParametres &f) {
        f.cbVigPan3D->setChecked(!l3DAvant);
        f.cbVigCoulFond->setCurrentIndex(Avant.nVigCoulFond == 3 ? 4 : 3);
        f.btVigTester->click();
        EXPECT_NE(Grille->_Panels3D(), l3DAvant);
        EXPECT_NE(Grille->CouleurFond(), FondAvant);
        // Other changes Annuler drops.
        for (int n : {2, 17, 21, 33, 34}) {
            f.tvGeneral->setCurrentItem(f.ElementGeneral(n));
            QTest::keyClick(f.tvGeneral, Qt::Key_Space);
        }
        EXPECT_NE(f.Etat().Coche(17), Avant.lOrientationAuto);
        f.lbOrdre[nOrdreCol]->setCurrentRow(4);
        f.btOrdreHaut[nOrdreCol]->click();
        f.cbVigTailleVigs->setCurrentIndex(0);
        f.reject();
        return int(f.result());
    };
    Fenetre->btParametresClick();
    EXPECT_EQ(Grille->_Panels3D(), l3DAvant);
    EXPECT_EQ(Grille->CouleurFond(), FondAvant);
    EXPECT_EQ(Ecrit(Contexte->Parametres, "apres.ini"), Ecrit(Avant, "avant.ini"));
    EXPECT_EQ(Fenetre->Modele().cOrdreCol(), Avant.cOrdreCol);
    // "Défaut" puts 3-D and colours 29, 35, 30 in the lists.
    Fenetre->fnExecParametres = [&](TfmParametres &f) {
        f.cbVigPan3D->setChecked(false);
        f.cbVigCoulPan->setCurrentIndex(1);
        f.btVigValDef->click();
        EXPECT_TRUE(f.cbVigPan3D->isChecked());
        EXPECT_EQ(QList<int>({f.cbVigCoulFond->currentIndex(), f.cbVigCoulPan->currentIndex(),
                              f.cbVigCoulTxtPan->currentIndex()}),
                  QList<int>({29, 35, 30}));
        f.cbVigCoulFond->setCurrentIndex(3);
        f.accept();
        return int(f.result());
    };
    Fenetre->btParametresClick();
    EXPECT_EQ(Contexte->Parametres.nVigCoulFond, 3);
}

TEST_F(ParametresTest, OkReordersTheListColumnsAtOnce)
{
    Fenetre->fnExecParametres = [](TfmParametres &f) {
        f.lbOrdre[nOrdreCol]->setCurrentRow(4);
        f.btOrdreHaut[nOrdreCol]->click();
        f.btOrdreHaut[nOrdreCol]->click();
        f.accept();
        return int(f.result());
    };
    Fenetre->btParametresClick();
    EXPECT_EQ(Contexte->Parametres.cOrdreCol, QStringLiteral("eDRT"));
    EXPECT_EQ(Fenetre->Modele().cOrdreCol(), QStringLiteral("eDRT"));
    QAbstractItemModel &m = Fenetre->Modele();
    EXPECT_EQ(m.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Nom"));
    EXPECT_EQ(m.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Date"));
    EXPECT_EQ(m.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Résol."));
}

TEST_F(ParametresTest, DesktopEntryFollowsItsItem)
{
    Fenetre->cDossierApplications = Temp.filePath("applications");
    QList<QStringList> Lances;
    Fenetre->fnExecute = [&](const QString &cProgramme, const QStringList &Arguments) {
        Lances.append(QStringList{cProgramme} + Arguments);
        return 0;
    };
    const auto Bascule = [this] {
        Fenetre->fnExecParametres = [](TfmParametres &f) {
            f.ElementGeneral(nElementVerbeDossier)->setSelected(true);
            f.tvGeneral->setCurrentItem(f.ElementGeneral(nElementVerbeDossier));
            QTest::keyClick(f.tvGeneral, Qt::Key_Space);
            f.accept();
            return int(f.result());
        };
        Fenetre->btParametresClick();
    };
    Bascule();
    const QString cFichier = FichierVerbeDossier(Fenetre->cDossierApplications, QStringLiteral("Vimbrel"));
    ASSERT_TRUE(QFileInfo::exists(cFichier));
    ASSERT_EQ(Lances.size(), 1);
    EXPECT_EQ(Lances[0], QStringList({QStringLiteral("update-desktop-database"), Fenetre->cDossierApplications}));
    const QString cValide = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!cValide.isEmpty()) {
        QProcess p;
        p.start(cValide, {cFichier});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardOutput().toStdString();
    }
    Bascule();
    EXPECT_FALSE(QFileInfo::exists(cFichier));
    EXPECT_EQ(Lances.size(), 2);
    // A folder where the entry cannot go: said, and nothing run.
    Fenetre->cDossierApplications = Temp.filePath("fichier");
    ASSERT_TRUE(EcritFichier(Fenetre->cDossierApplications, "x"));
    Bascule();
    EXPECT_EQ(Lances.size(), 2);
    ASSERT_FALSE(Messages->Montres.isEmpty());
    EXPECT_EQ(Messages->Montres.last().cTitre, QStringLiteral("Erreur"));
    EXPECT_TRUE(Messages->Montres.last().cTexte.startsWith(
        QStringLiteral("Le raccourci « Lire avec Vimbrel » n'a pas pu être modifié : ")));
}

TEST_F(ParametresTest, DataFolderChosenIsMovedOnlyOnYes)
{
    const QString cAilleurs = Temp.filePath("ailleurs");
    ASSERT_TRUE(QDir().mkpath(cAilleurs));
    const QString cJournal = FichierJournalDeplacement(Contexte->Emplacements);
    const auto Choisit = [&](bool lOK) {
        Fenetre->fnExecParametres = [&, lOK](TfmParametres &f) {
            f.tvEmplDon->ChoisitDossier(cAilleurs);
            lOK ? f.accept() : f.reject();
            return int(f.result());
        };
        Fenetre->btParametresClick();
    };
    // Annuler never schedules; No neither.
    Choisit(false);
    EXPECT_TRUE(Messages->Montres.isEmpty());
    Messages->Reponses = {false};
    Choisit(true);
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_TRUE(Messages->Montres[0].cTexte.contains(QDir::toNativeSeparators(cAilleurs)));
    EXPECT_FALSE(QFileInfo::exists(cJournal));
    // Yes: the move is recorded and the program closes.
    Messages->Reponses = {true};
    Choisit(true);
    EXPECT_TRUE(QFileInfo::exists(cJournal));
    EXPECT_TRUE(QTest::qWaitFor([this] { return Fenetre->FormDestroyFait(); }, 5000));
}

TEST_F(ParametresTest, OldThumbnailsPurgedOnYes)
{
    const QString cVigs = Contexte->Dossiers.cDossierVignettes;
    ASSERT_TRUE(EcritFichier(cVigs + "vieille.jpg", "x"));
    ASSERT_TRUE(EcritFichier(cVigs + "neuve.jpg", "x"));
    ASSERT_TRUE(EcritFichier(cVigs + "1-2/cd.jpg", "x"));
    const QDateTime Vieux = QDateTime::currentDateTime().addDays(-10);
    for (const QString &c : {QString(cVigs + "vieille.jpg"), QString(cVigs + "1-2/cd.jpg")}) {
        QFile f(c);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(Vieux, QFileDevice::FileModificationTime));
    }
    Ouvre();
    fm->dtSupprVigAnt->setDate(QDate::currentDate().addDays(-1));
    fm->btSupprVigAnt->click();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTexte, QStringLiteral("Supprimer les 1 vignettes trouvées ?"));
    EXPECT_TRUE(QFileInfo::exists(cVigs + "vieille.jpg"));
    Messages->Reponses = {true};
    fm->btSupprVigAnt->click();
    EXPECT_FALSE(QFileInfo::exists(cVigs + "vieille.jpg"));
    EXPECT_TRUE(QFileInfo::exists(cVigs + "neuve.jpg"));
    EXPECT_TRUE(QFileInfo::exists(cVigs + "1-2/cd.jpg"));
}

TEST_F(ParametresTest, FloatingThumbnailControlsFollowItsBox)
{
    Contexte->Parametres.vfGene_lActive = false;
    Contexte->Parametres.vfGene_nMaxLH = 10; // out of the box's range
    Ouvre();
    EXPECT_EQ(fm->edVFMaxLH->value(), nVFMaxLHMin);
    for (QWidget *w : std::initializer_list<QWidget *>{fm->cbVFAussiDepuisCD, fm->lbVFMaxLH, fm->edVFMaxLH,
                                                       fm->lbVFQuelleImg, fm->cbVFQuelleImg})
        EXPECT_FALSE(w->isEnabled());
    fm->cbVFActive->click();
    for (QWidget *w : std::initializer_list<QWidget *>{fm->cbVFAussiDepuisCD, fm->lbVFMaxLH, fm->edVFMaxLH,
                                                       fm->lbVFQuelleImg, fm->cbVFQuelleImg})
        EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ(fm->cbVigTailleVigs->count(), 10);
    EXPECT_EQ(fm->dtSupprVigAnt->displayFormat(), QStringLiteral("dd/MM/yyyy"));
}

TEST_F(ParametresTest, OrientationRetreatsTheGridWithoutReadingAnyFile)
{
    const QString cPhotos = Temp.filePath("photos") + "/";
    ASSERT_TRUE(QDir().mkpath(cPhotos));
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(EcritJpeg(cPhotos + QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0')), 90, 60, Qt::red));
    Contexte->Parametres.lOrientationAuto = false;
    MontreFenetre();
    auto *Expl = Fenetre->findChild<TExplorationKX *>();
    ASSERT_TRUE(Expl && Expl->OuvreDossier(cPhotos));
    TModeleListeImages &Modele = Fenetre->Modele();
    ASSERT_EQ(Modele.Nombre(), 200);
    TPaneledListView *Grille = Fenetre->Grille();
    const auto Decodee = [Grille] {
        Grille->viewport()->repaint();
        Grille->AttendRemplissage();
        return Grille->Item(0)->Vignette().size();
    };
    const QSize Avant = Decodee();
    ASSERT_GT(Avant.width(), Avant.height());
    for (int i = 0; i < Modele.Nombre(); ++i)
        Modele.Enr(i).cOrientation = QStringLiteral("6");
    // Once listed, the files are gone: nothing can be read from them, and the cache must stay.
    const QString cVigs = Contexte->Dossiers.cDossierVignettes;
    const auto Cache = [&cVigs] {
        QMap<QString, QByteArray> m;
        for (const QFileInfo &f : QDir(cVigs).entryInfoList(QDir::Files))
            m.insert(f.fileName(), LitFichier(f.absoluteFilePath()));
        return m;
    };
    const auto CacheAvant = Cache();
    ASSERT_FALSE(CacheAvant.isEmpty());
    ASSERT_TRUE(QDir(cPhotos).removeRecursively());

    Fenetre->fnExecParametres = [](TfmParametres &f) {
        f.tvGeneral->setCurrentItem(f.ElementGeneral(17));
        QTest::keyClick(f.tvGeneral, Qt::Key_Space);
        f.accept();
        return int(f.result());
    };
    Fenetre->btParametresClick();
    ASSERT_TRUE(Contexte->Parametres.lOrientationAuto);
    EXPECT_EQ(Decodee(), Avant.transposed());
    // "Résol." turns with the picture on every row.
    EXPECT_EQ(Modele.TexteResolution(Modele.Enr(0)), QStringLiteral("60x90"));
    EXPECT_EQ(Modele.TexteResolution(Modele.Enr(199)), QStringLiteral("60x90"));
    EXPECT_EQ(Cache(), CacheAvant);
    EXPECT_TRUE(Messages->Montres.isEmpty());
}
