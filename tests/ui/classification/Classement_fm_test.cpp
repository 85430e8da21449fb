#include "classification/Classement_fm.h"

#include "classification/ChoixDonneesAppliquer_fm.h"
#include "classification/EditCritImg_fm.h"
#include "classification/EditMotsCles_fm.h"
#include "classification/LegendesRech_fm.h"
#include "classification/MotsCles.h"
#include "classification/MotsClesRech_fm.h"
#include "classification/Recherche_fm.h"
#include "components/MarkupHint.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
#include "imaging/JpegCodec.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/VolumesFactices.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTimer>
#include <QTreeView>
#include <gtest/gtest.h>

namespace
{
const QByteArray cArbo = "[CRITERES HIERARCHIQUES]\r\n"
                         "Voyages=\r\n"
                         "Voyages/Italie=\r\n"
                         "Voyages/Italie/Rome=\r\n"
                         "Animaux=\r\n";

struct ClassementFmTest : TBancFenetrePrincipale<>
{
    TClassementKX *Classement = nullptr;
    TRechercheKX *Rech = nullptr;
    TExplorationKX *Expl = nullptr;
    QString cPhotos;

    void Ecrit(const QString &cFichier, const QByteArray &Contenu)
    {
        QDir().mkpath(QFileInfo(cFichier).path());
        QFile f(cFichier);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Contenu);
    }
    static QByteArray Lit(const QString &cFichier)
    {
        QFile f(cFichier);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The settings store holds the tree, then cSetup; the list shows three images.
    void Demarre(const QByteArray &cSetup = {})
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        for (const char *c : {"a.jpg", "b.jpg", "c.jpg"}) {
            QImage im(24, 16, QImage::Format_RGB32);
            im.fill(Qt::darkCyan);
            ASSERT_TRUE(JpegCodec::Encode(im, cPhotos + c));
        }
        Ecrit(Donnees() + "KX_Setup.ini", cArbo + cSetup);
        CreeFenetre();
        Contexte->Parametres.lModeMAJ = true;
        Fenetre->ShowMode();
        Classement = Fenetre->findChild<TClassementKX *>();
        Rech = Fenetre->findChild<TRechercheKX *>();
        Expl = Fenetre->findChild<TExplorationKX *>();
        ASSERT_TRUE(Classement && Rech && Expl);
        Fenetre->resize(1000, 800);
        Fenetre->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        ASSERT_EQ(Fenetre->Modele().Nombre(), 3);
    }
    QString Cle(const QString &cNom) const { return cPhotos + cNom; }
    TListeImagesKX *Liste() const { return Fenetre->findChild<TListeImagesKX *>(); }
    QString Setup(const QString &cSection, const QString &cNom) const
    {
        return Contexte->iniSetup->ReadString(cSection, Cle(cNom), "<absent>");
    }
    QStringList Criteres(const QString &cNom) const
    {
        QStringList l;
        Contexte->iniBDD->ReadSection(Cle(cNom), l);
        return l;
    }
    void CliqueCritere(TArbreCritRech *tv, const QString &cChemin)
    {
        QTreeWidgetItem *Item = tv->ItemDe(*Rech->Arbo().NoeudDeChemin(cChemin));
        ASSERT_NE(Item, nullptr);
        tv->scrollToItem(Item);
        QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, tv->RectCase(Item).center());
    }
    // Opens the classification window on a row; fnDans runs while it is open.
    void Edite(int nLigne, const std::function<void(TfmEditCritImg &)> &fnDans)
    {
        bool lOuverte = false;
        Classement->fnExecute = [&](QDialog &d) {
            auto *f = qobject_cast<TfmEditCritImg *>(&d);
            EXPECT_NE(f, nullptr);
            lOuverte = true;
            if (f) {
                f->show();
                fnDans(*f);
                f->close();
            }
            return int(d.result());
        };
        Classement->EditeCriteres(nLigne);
        EXPECT_TRUE(lOuverte);
    }
};
} // namespace

TEST_F(ClassementFmTest, WindowSavesEveryPartAndTheMainWindowFollows)
{
    Demarre();
    EXPECT_EQ(Fenetre->Modele().Icone(0) & 4, 0);
    Edite(0, [&](TfmEditCritImg &f) {
        EXPECT_EQ(f.windowTitle(), QString("Edition des critères de %1 [24x16]").arg(Cle("a.jpg")));
        EXPECT_FALSE(f.btSvgCritsImgCour->isEnabled());
        EXPECT_LE(f.plvEditVigs->_ItemDim(), 200);
        EXPECT_EQ(f.plvEditVigs->Nombre(), 3);
        CliqueCritere(f.tvCriteres, "Voyages/Italie/Rome");
        EXPECT_TRUE(f.tvCriteres->font().bold());
        // Typed keywords come out upper case, without the characters a keyword cannot hold.
        QTest::keyClicks(f.edMotsCles, "mer soleil!");
        EXPECT_EQ(f.edMotsCles->text(), "MER SOLEIL");
        f.btCoupDeCoeur->click();
        f.cbLegende->setEditText("Au bord de l'eau");
        EXPECT_TRUE(f.btSvgCritsImgCour->isEnabled());
        f.btSvgCritsImgCour->click();
        EXPECT_FALSE(f.btSvgCritsImgCour->isEnabled());
        EXPECT_TRUE(f.Legendes().contains("Au bord de l'eau"));
    });
    EXPECT_EQ(Criteres("a.jpg"), QStringList{"Voyages/Italie/Rome"});
    EXPECT_EQ(Setup("MOTS-CLES", "a.jpg"), "MER SOLEIL");
    EXPECT_EQ(Setup("COUPS DE COEUR", "a.jpg"), "");
    EXPECT_EQ(Setup("LEGENDES", "a.jpg"), "Au bord de l'eau");
    // Saving asked no question; the state icon, the image's tree, btCDC and the search page's
    // legend box followed.
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_EQ(Fenetre->Modele().Icone(0) & 4, 4);
    EXPECT_TRUE(Classement->btCDC->isChecked());
    QStringList Noeuds;
    for (int i = 0; i < Classement->tvVigsCrit->topLevelItemCount(); ++i)
        Noeuds << Classement->tvVigsCrit->topLevelItem(i)->text(0);
    EXPECT_EQ(Noeuds.mid(0, 4), QStringList({"Voyages", "Mots-clés", "Coup de coeur", "'Au bord de l'eau'"}));
    EXPECT_TRUE(Rech->Legendes->Legendes().contains("Au bord de l'eau"));
}

TEST_F(ClassementFmTest, NavigationWrapsAroundAndAsksBeforeDroppingChanges)
{
    Demarre();
    Edite(0, [&](TfmEditCritImg &f) {
        f.btNavigPrec->click();
        EXPECT_EQ(f.LigneCourante(), 2);
        f.btNavigSuiv->click();
        EXPECT_EQ(f.LigneCourante(), 0);
        f.btNavigDern->click();
        EXPECT_EQ(f.LigneCourante(), 2);
        f.btNavigPrem->click();
        EXPECT_EQ(f.LigneCourante(), 0);
        EXPECT_TRUE(Messages->Montres.isEmpty());

        // Changed, then No: nothing written.
        CliqueCritere(f.tvCriteres, "Animaux");
        Messages->Reponses = {false};
        f.btNavigSuiv->click();
        ASSERT_EQ(Messages->Montres.size(), 1);
        EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
        EXPECT_EQ(Messages->Montres[0].cTexte, "Sauvegarder les modifications apportées à 'a.jpg' ?");
        EXPECT_TRUE(Criteres("a.jpg").isEmpty());

        // Changed, then Yes on the thumbnail grid: saved before b.jpg's values are shown.
        CliqueCritere(f.tvCriteres, "Animaux");
        Messages->Reponses = {true};
        f.plvEditVigs->Selectionne(f.plvEditVigs->Item(2));
        EXPECT_EQ(f.LigneCourante(), 2);
        EXPECT_EQ(Criteres("b.jpg"), QStringList{"Animaux"});
        EXPECT_EQ(f.tvCriteres->Coches().NbCoches(), 0);

        // Closing with a change asks the same question.
        f.btCoupDeCoeur->click();
        Messages->Reponses = {true};
    });
    EXPECT_EQ(Messages->Montres.size(), 3);
    EXPECT_EQ(Setup("COUPS DE COEUR", "c.jpg"), "");
}

TEST_F(ClassementFmTest, AutoSaveBrowsingWithoutEditsLeavesTheStoresUntouched)
{
    // Values no save would write back as they are: a path absent from the tree and doubled
    // blanks in the keywords.
    Demarre();
    Contexte->iniBDD->WriteString(Cle("a.jpg"), "Voyages/Inconnu", "");
    Contexte->iniSetup->WriteString("MOTS-CLES", Cle("b.jpg"), "MER  MER");
    ASSERT_TRUE(Contexte->SauveStores());
    const QByteArray Avant = Lit(Contexte->iniSetup->FileName()) + Lit(Contexte->iniBDD->FileName());
    Edite(0, [&](TfmEditCritImg &f) {
        f.cbSvgAutoQdNavig->setChecked(true);
        for (int i = 0; i < 4; ++i)
            f.btNavigSuiv->click();
        EXPECT_FALSE(f.Modifie());
    });
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_EQ(Lit(Contexte->iniSetup->FileName()) + Lit(Contexte->iniBDD->FileName()), Avant);
    EXPECT_FALSE(Contexte->iniSetup->Modifie());
    EXPECT_FALSE(Contexte->iniBDD->Modifie());
}

TEST_F(ClassementFmTest, CdImageDescriptionIsShownReadOnlyAndKept)
{
    Demarre();
    Contexte->Parametres.lTrtDescription = true;
    auto p = std::make_unique<TEnrLV>();
    p->nNumCD = 7;
    p->cChemin = "/dossier/cd.jpg";
    const QString cCle = p->Cle();
    Contexte->iniSetup->WriteString("DESCRIPTIONS", cCle, "Sur le disque");
    const int nLigne = Fenetre->Modele().Ajoute(std::move(p), false);
    Edite(nLigne, [&](TfmEditCritImg &f) {
        EXPECT_TRUE(f.cbDescription->isVisibleTo(&f));
        EXPECT_EQ(f.cbDescription->currentText(), "Sur le disque");
        EXPECT_TRUE(f.cbDescription->lineEdit()->isReadOnly());
        // The unreadable picture still leaves the classification editable.
        f.cbLegende->setEditText("Légende du CD");
        f.btSvgCritsImgCour->click();
    });
    EXPECT_EQ(Contexte->iniSetup->ReadString("LEGENDES", cCle, ""), "Légende du CD");
    EXPECT_EQ(Contexte->iniSetup->ReadString("DESCRIPTIONS", cCle, ""), "Sur le disque");
}

TEST_F(ClassementFmTest, ChoiceWindowStartsAllDownAndOkNeedsOneButton)
{
    TfmChoixDonneesAppliquer f(false);
    EXPECT_EQ(f.windowTitle(), "Choix des données à appliquer");
    EXPECT_TRUE(f.btDescription->isHidden());
    TChoixDonneesAppliquer c = f.Choix();
    EXPECT_TRUE(c.lCriteres && c.lEffacerCriteres && c.lMotsCles && c.lEffacerMotsCles && c.lCoupDeCoeur && c.lLegende);
    EXPECT_FALSE(c.lDescription);
    f.btCritHier->click();
    EXPECT_FALSE(f.cbEASCritHier->isEnabled());
    EXPECT_TRUE(f.cbEASMC->isEnabled());
    f.cbEASMC->click();
    for (QPushButton *b : {f.btMotsCles, f.btCoupDeCoeur})
        b->click();
    EXPECT_TRUE(f.btOK->isEnabled());
    f.btLegende->click();
    EXPECT_FALSE(f.btOK->isEnabled());
    f.btMotsCles->click();
    ASSERT_TRUE(f.btOK->isEnabled());
    f.btOK->click();
    EXPECT_EQ(f.result(), QDialog::Accepted);
    c = f.Choix();
    EXPECT_TRUE(c.lMotsCles && !c.lEffacerMotsCles);
    EXPECT_FALSE(c.lCriteres || c.lCoupDeCoeur || c.lLegende);

    TfmChoixDonneesAppliquer Avec(true);
    EXPECT_FALSE(Avec.btDescription->isHidden());
    EXPECT_TRUE(Avec.Choix().lDescription);
}

TEST_F(ClassementFmTest, FavouriteOnlyBatchWithSearchButtonUpRemovesMarksAfterYes)
{
    Demarre();
    for (const char *c : {"a.jpg", "b.jpg"})
        Contexte->iniSetup->WriteString("COUPS DE COEUR", Cle(c), "");
    Contexte->iniSetup->WriteString("MOTS-CLES", Cle("a.jpg"), "MER");
    Fenetre->Modele().MetCoche(0, true);
    Fenetre->Modele().MetCoche(1, true);
    ASSERT_TRUE(Classement->btAppliqueCritRech->isEnabled());
    ASSERT_FALSE(Rech->btCritCDC->isChecked());
    Classement->fnExecute = [](QDialog &d) {
        auto &f = dynamic_cast<TfmChoixDonneesAppliquer &>(d);
        for (QPushButton *b : {f.btCritHier, f.btMotsCles, f.btLegende})
            b->click();
        return int(QDialog::Accepted);
    };
    Messages->Reponses = {false};
    Classement->btAppliqueCritRech->click();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
    EXPECT_EQ(Setup("COUPS DE COEUR", "a.jpg"), "");
    EXPECT_EQ(Fenetre->Modele().nNbCoches(), 2); // a refused batch keeps the checks

    Messages->Reponses = {true};
    Classement->btAppliqueCritRech->click();
    EXPECT_EQ(Setup("COUPS DE COEUR", "a.jpg"), "<absent>");
    EXPECT_EQ(Setup("COUPS DE COEUR", "b.jpg"), "<absent>");
    EXPECT_EQ(Setup("MOTS-CLES", "a.jpg"), "MER");
    EXPECT_EQ(Fenetre->Modele().nNbCoches(), 0);
    EXPECT_EQ(Fenetre->findChild<QTabWidget *>("pcExplRech")->currentWidget(), Fenetre->PageRecherche());
    EXPECT_FALSE(Classement->btCDC->isChecked());

    // The keyword row's text, merged: no loss, no question.
    Rech->MotsCles()->cbCritMC->setEditText("soleil");
    Fenetre->Modele().MetCoche(0, true);
    Classement->fnExecute = [](QDialog &d) {
        auto &f = dynamic_cast<TfmChoixDonneesAppliquer &>(d);
        for (QPushButton *b : {f.btCritHier, f.btCoupDeCoeur, f.btLegende})
            b->click();
        f.cbEASMC->setChecked(false);
        return int(QDialog::Accepted);
    };
    const qsizetype nMontres = Messages->Montres.size();
    Classement->btAppliqueCritRech->click();
    EXPECT_EQ(Messages->Montres.size(), nMontres);
    EXPECT_EQ(Setup("MOTS-CLES", "a.jpg"), "SOLEIL MER");
}

TEST_F(ClassementFmTest, DropsAreAcceptedOverAnItemOnlyAndNeverTwice)
{
    Demarre();
    Contexte->iniSetup->WriteString("MOTS-CLES", Cle("a.jpg"), "MERS PLAGE");
    Contexte->iniSetup->WriteString("MOTS-CLES", Cle("b.jpg"), "PLAGE MER");
    Contexte->iniBDD->WriteString(Cle("c.jpg"), "Animaux", "");
    TPaneledListView *g = Fenetre->Grille();
    auto Depose = [g](int nItem, const QString &cType, const QString &cTexte) {
        QMimeData Donnees;
        Donnees.setData(cType, cTexte.toUtf8());
        // -1: the gap between the first two panels.
        const QPoint pt = nItem >= 0 ? g->rPanneau(nItem).center() : g->rPanneau(0).topRight() + QPoint(2, 10);
        // As a real drag does: the enter makes the grid the target of the moves and the drop.
        QDragEnterEvent Entree(pt, Qt::CopyAction, &Donnees, Qt::LeftButton, {});
        QCoreApplication::sendEvent(g->viewport(), &Entree);
        QDragMoveEvent Survol(pt, Qt::CopyAction, &Donnees, Qt::LeftButton, {});
        QCoreApplication::sendEvent(g->viewport(), &Survol);
        if (!Entree.isAccepted() || !Survol.isAccepted()) {
            QDragLeaveEvent Sortie;
            QCoreApplication::sendEvent(g->viewport(), &Sortie);
            return false;
        }
        QDropEvent Depot(QPointF(pt), Qt::CopyAction, &Donnees, Qt::LeftButton, {});
        QCoreApplication::sendEvent(g->viewport(), &Depot);
        return Depot.isAccepted();
    };
    ASSERT_EQ(g->Nombre(), 3);
    EXPECT_TRUE(Depose(0, cMimeMotCle, "MER"));
    EXPECT_EQ(Setup("MOTS-CLES", "a.jpg"), "MERS PLAGE MER");
    EXPECT_FALSE(Depose(1, cMimeMotCle, "MER"));
    EXPECT_FALSE(Depose(-1, cMimeMotCle, "SOLEIL"));
    EXPECT_FALSE(Depose(2, QStringLiteral("text/plain"), "SOLEIL"));
    EXPECT_FALSE(Depose(2, cMimeCritere, "Animaux"));
    EXPECT_TRUE(Depose(2, cMimeCritere, "Voyages/Italie"));
    EXPECT_EQ(Criteres("c.jpg"), QStringList({"Voyages/Italie", "Animaux"}));
    EXPECT_EQ(Fenetre->Modele().Icone(2) & 4, 4);
    // Consultation mode takes no drop.
    Contexte->Parametres.lModeMAJ = false;
    Fenetre->ShowMode();
    EXPECT_FALSE(Depose(2, cMimeMotCle, "SOLEIL"));
}

TEST_F(ClassementFmTest, CtrlCTogglesTheFavouriteInTheGridOnly)
{
    Demarre();
    TPaneledListView *g = Fenetre->Grille();
    g->setFocus();
    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Setup("COUPS DE COEUR", "a.jpg"), "");
    EXPECT_TRUE(Classement->btCDC->isChecked());
    EXPECT_TRUE(Classement->miCDC->isChecked());
    QComboBox *cb = Rech->Legendes->cbCritLeg;
    Fenetre->MontrePage(Fenetre->PageRecherche());
    cb->setFocus();
    QTest::keyClick(cb, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Setup("COUPS DE COEUR", "a.jpg"), "");
    Fenetre->VueListe()->setFocus();
    QTest::keyClick(Fenetre->VueListe(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Setup("COUPS DE COEUR", "a.jpg"), "<absent>");
    EXPECT_FALSE(Classement->btCDC->isChecked());
    Classement->btCDC->click();
    EXPECT_EQ(Setup("COUPS DE COEUR", "a.jpg"), "");
    EXPECT_TRUE(Classement->miCDC->isChecked());
}

TEST_F(ClassementFmTest, SearchLegendBoxListsEachLegendOnceSorted)
{
    Demarre("[LEGENDES]\r\n/x/1.jpg=plage\r\n/x/2.jpg=Mer\r\n/x/3.jpg=Plage\r\n/x/4.jpg=  \r\n");
    EXPECT_EQ(Rech->Legendes->Legendes(), QStringList({"Mer", "plage"}));
    QComboBox *cb = Rech->Legendes->cbCritLeg;
    EXPECT_EQ(cb->currentText(), "");
    EXPECT_EQ(cb->toolTip(), "Légende");
    cb->setEditText("Un texte");
    EXPECT_EQ(cb->toolTip(), TexteLegende("Légende", "Un texte", Contexte->Parametres.nAffLegMaxCarLig));
    Rech->Legendes->AjouteLegende("MER");
    Rech->Legendes->AjouteLegende("Arbre");
    EXPECT_EQ(Rech->Legendes->Legendes(), QStringList({"Arbre", "Mer", "plage"}));
    EXPECT_EQ(cb->currentText(), "Un texte");
    EXPECT_EQ(Rech->LegendeRech(), "Un texte");
}

TEST_F(ClassementFmTest, KeywordPickerAssignsFiltersAndDeletesLines)
{
    Demarre("[MOTS-CLES]\r\n/x/1.jpg=MER PLAGE\r\n");
    TfmEditMotsCles f(*Messages, *Contexte->iniSetup, "SOLEIL  MER");
    EXPECT_EQ(f.mmMotsCles->toPlainText(), "SOLEIL\nMER");
    // The group node is selected at opening: nothing to assign.
    EXPECT_FALSE(f.btAffecterMCPresent->isEnabled());
    QTreeWidgetItem *Groupe = f.tvMotsClesPresents->topLevelItem(0);
    ASSERT_NE(Groupe, nullptr);
    ASSERT_EQ(Groupe->childCount(), 2);
    f.tvMotsClesPresents->setCurrentItem(Groupe->child(0)); // MER, already a line
    ASSERT_TRUE(f.btAffecterMCPresent->isEnabled());
    f.btAffecterMCPresent->click();
    EXPECT_EQ(f.MotsCles(), "SOLEIL MER");
    f.tvMotsClesPresents->setCurrentItem(Groupe->child(1)); // PLAGE
    f.btAffecterMCPresent->click();
    EXPECT_EQ(f.MotsCles(), "SOLEIL MER PLAGE");
    // Typing: upper case, no blank, no other character.
    f.mmMotsCles->moveCursor(QTextCursor::End);
    QTest::keyClick(f.mmMotsCles, Qt::Key_Return);
    QTest::keyClicks(f.mmMotsCles, "vent fort!");
    EXPECT_EQ(f.mmMotsCles->toPlainText(), "SOLEIL\nMER\nPLAGE\nVENTFORT");
    // Deleting the first line asks first.
    f.mmMotsCles->moveCursor(QTextCursor::Start);
    Messages->Reponses = {true};
    f.btSupprLigCour->click();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTexte, "Supprimer la ligne courante ?");
    EXPECT_EQ(f.MotsCles(), "MER PLAGE VENTFORT");

    // The window takes the picker's keywords on OK.
    Edite(0, [&](TfmEditCritImg &w) {
        w.edMotsCles->setText("A");
        QTimer::singleShot(0, [&] {
            auto *p = w.findChild<TfmEditMotsCles *>();
            ASSERT_NE(p, nullptr);
            p->mmMotsCles->setPlainText("PLAGE\nSOLEIL");
            p->btOK->click();
        });
        w.btMotsCles->click();
        EXPECT_EQ(w.edMotsCles->text(), "PLAGE SOLEIL");
        EXPECT_TRUE(w.Modifie());
        Messages->Reponses = {false};
    });
}

TEST_F(ClassementFmTest, ImageTreeFollowsTheCurrentImageWithItsMetadata)
{
    const QString cSource = QStringLiteral(VIMBREL_TEST_DATA "/corpus/kinds/jpeg/exiftool_GPS.jpg");
    if (!QFileInfo::exists(cSource))
        GTEST_SKIP() << "no EXIF and IPTC sample in the test data";
    Demarre();
    ASSERT_TRUE(QFile::copy(cSource, cPhotos + "d.jpg"));
    Contexte->iniSetup->WriteString("MOTS-CLES", cPhotos + "d.jpg", "MER");
    ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
    ASSERT_EQ(Fenetre->Modele().Nombre(), 4);
    QTreeWidget *tv = Classement->tvVigsCrit;
    auto Racines = [tv] {
        QStringList l;
        for (int i = 0; i < tv->topLevelItemCount(); ++i)
            l << tv->topLevelItem(i)->text(0);
        return l;
    };
    Liste()->SelectionneLigne(0);
    EXPECT_TRUE(Racines().isEmpty());
    Liste()->SelectionneLigne(3);
    ASSERT_EQ(Fenetre->Selection().CleCourante(), cPhotos + "d.jpg");
    const QStringList l = Racines();
    EXPECT_EQ(l.value(0), "Mots-clés");
    ASSERT_TRUE(l.contains("EXIF") && l.contains("IPTC")) << l.join(',').toStdString();
    // The IPTC node opens one level: its groups stay closed.
    QTreeWidgetItem *Iptc = tv->topLevelItem(int(l.indexOf("IPTC")));
    EXPECT_TRUE(Iptc->isExpanded());
    ASSERT_GT(Iptc->childCount(), 0);
    EXPECT_FALSE(Iptc->child(0)->isExpanded());
    EXPECT_EQ(tv->currentItem(), tv->topLevelItem(0));
}

TEST_F(ClassementFmTest, StateMemoFollowsTheCurrentImageItsTabAndItsLegend)
{
    Demarre("[LEGENDES]\r\n" + (Temp.filePath("photos") + "/b.jpg").toUtf8() + "=Coucher de soleil\r\n");
    QTabWidget *pcEtat = Fenetre->PanneauEtat();
    auto *mmEtat = Fenetre->findChild<QPlainTextEdit *>("mmEtat");
    ASSERT_TRUE(pcEtat && mmEtat);
    ASSERT_FALSE(Contexte->Parametres.lTrtDescription);
    ASSERT_EQ(pcEtat->count(), 7);
    EXPECT_EQ(pcEtat->tabText(3), "Données techniques EXIF");
    EXPECT_EQ(pcEtat->tabBar()->tabTextColor(2), QColor(Qt::blue));
    const auto Ligne = [this](const char *cNom) {
        for (int i = 0; i < Fenetre->Modele().Nombre(); ++i)
            if (Fenetre->Modele().Enr(i).NomFichier() == QLatin1String(cNom))
                return i;
        return -1;
    };

    Fenetre->Selection().MetLigneCourante(Ligne("a.jpg"));
    EXPECT_EQ(mmEtat->toPlainText(), Cle("a.jpg"));
    pcEtat->setCurrentIndex(2);
    EXPECT_TRUE(mmEtat->toPlainText().isEmpty());
    EXPECT_EQ(mmEtat->toolTip(), "<SG>Légende</SG/> (vide)");
    Fenetre->Selection().MetLigneCourante(Ligne("b.jpg"));
    EXPECT_EQ(mmEtat->toPlainText(), "Coucher de soleil");

    // Descriptions handled: the tabs are made again, the first one active.
    Contexte->Parametres.lTrtDescription = true;
    Fenetre->Selection().MetLigneCourante(Ligne("a.jpg"));
    EXPECT_EQ(pcEtat->count(), 8);
    EXPECT_EQ(pcEtat->currentIndex(), 0);
    EXPECT_EQ(mmEtat->toPlainText(), Cle("a.jpg"));
}

TEST_F(ClassementFmTest, ImageHintsOnTheGridTheListAndThePaneAreMadeWhenShown)
{
    Demarre("[LEGENDES]\r\n" + (Temp.filePath("photos") + "/b.jpg").toUtf8() + "=Coucher de soleil\r\n");
    InstalleMarkupHint(qApp);
    TModeleListeImages &Modele = Fenetre->Modele();
    int nB = -1;
    for (int i = 0; i < Modele.Nombre(); ++i)
        if (Modele.Enr(i).NomFichier() == "b.jpg")
            nB = i;
    ASSERT_GE(nB, 0);

    // The grid: the item's hint, classification block included.
    TPaneledListView *Grille = Fenetre->Grille();
    Grille->MontreItem(Grille->Item(nB));
    const QPoint p = Grille->rPanneau(nB).center();
    QHelpEvent Aide(QEvent::ToolTip, p, Grille->viewport()->mapToGlobal(p));
    QApplication::sendEvent(Grille->viewport(), &Aide);
    const QString cBulle = TMarkupHint::TexteAffiche();
    EXPECT_TRUE(cBulle.contains("<SG>b.jpg</SG/> <SS>[24x16]</SS/>")) << cBulle.toStdString();
    EXPECT_TRUE(cBulle.contains("Coucher de soleil"));
    TMarkupHint::Cache();

    // The list's rows only while the list's hint setting is on.
    Contexte->Parametres.lAffHintDsLVImgs = false;
    EXPECT_TRUE(Modele.data(Modele.index(nB, 0), Qt::ToolTipRole).toString().isEmpty());
    Contexte->Parametres.lAffHintDsLVImgs = true;
    EXPECT_EQ(Modele.data(Modele.index(nB, 0), Qt::ToolTipRole).toString(), cBulle);

    // The pane follows the current image and its classification.
    Fenetre->Selection().MetLigneCourante(nB);
    QWidget *Vue = Fenetre->PanneauImage()->viewport();
    EXPECT_EQ(Vue->toolTip(), cBulle);
    Classement->BasculeCoupDeCoeur();
    EXPECT_TRUE(Vue->toolTip().contains("Coup de coeur")) << Vue->toolTip().toStdString();
}
