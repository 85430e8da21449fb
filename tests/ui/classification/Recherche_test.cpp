#include "classification/Recherche_fm.h"

#include "classification/MigrationArbo.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/MessagesFactices.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
const QByteArray cArboTroisNiveaux = "[CRITERES HIERARCHIQUES]\r\n"
                                     "Voyages=\r\n"
                                     "Voyages/Italie=\r\n"
                                     "Voyages/Italie/Rome=\r\n"
                                     "Voyages/Italie/Venise=\r\n"
                                     "Voyages/France=\r\n"
                                     "Famille=\r\n";

struct RechercheTest : TBancFenetrePrincipale<>
{
    TRechercheKX *Rech = nullptr;
    TArbreCritRech *tv = nullptr;

    void Ecrit(const QString &cNom, const QByteArray &Contenu) { ASSERT_TRUE(EcritDonnees(cNom, Contenu)); }
    void Demarre(const QByteArray &cSetup)
    {
        Ecrit("KX_Setup.ini", cSetup);
        CreeFenetre();
        Rech = Fenetre->findChild<TRechercheKX *>();
        ASSERT_NE(Rech, nullptr);
        tv = Rech->tvCritRech;
        ASSERT_NE(tv, nullptr);
        Fenetre->resize(1000, 800);
        Fenetre->show();
        for (QWidget *w = Fenetre->PageRecherche(); w; w = w->parentWidget())
            if (auto *Onglets = qobject_cast<QTabWidget *>(w)) {
                Onglets->setCurrentWidget(Fenetre->PageRecherche());
                Onglets->setFixedHeight(500);
                break;
            }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
    }
    QTreeWidgetItem *Item(const QString &cChemin)
    {
        const TNoeudCritere *Noeud = Rech->Arbo().NoeudDeChemin(cChemin);
        return Noeud ? tv->ItemDe(*Noeud) : nullptr;
    }
    void Clique(const QString &cChemin, Qt::KeyboardModifiers Touches = {})
    {
        QTreeWidgetItem *i = Item(cChemin);
        ASSERT_NE(i, nullptr) << cChemin.toStdString();
        tv->scrollToItem(i);
        const QRect r = tv->RectCase(i);
        ASSERT_TRUE(tv->viewport()->rect().contains(r.center())) << cChemin.toStdString();
        QTest::mouseClick(tv->viewport(), Qt::LeftButton, Touches, r.center());
    }
    QStringList Coches() const
    {
        QStringList l;
        tv->Coches().ListerCritCoches(l);
        return l;
    }
    Qt::CheckState Etat(const QString &cChemin) { return Item(cChemin)->checkState(0); }
};
} // namespace

TEST_F(RechercheTest, TreeShowsEveryNodeWithItsIconAndTheRowsBelowAreDisabled)
{
    Demarre(cArboTroisNiveaux);
    EXPECT_EQ(tv->objectName(), "tvCritRech");
    EXPECT_EQ(tv->topLevelItemCount(), 2);
    ASSERT_NE(Item("Voyages/Italie/Venise"), nullptr);
    EXPECT_EQ(Item("Voyages/Italie/Venise")->parent(), Item("Voyages/Italie"));
    EXPECT_EQ(Item("Voyages/Italie/Venise")->text(0), "Venise");
    EXPECT_FALSE(Item("Famille")->icon(0).isNull());
    // Fully expanded by default.
    EXPECT_TRUE(Item("Voyages/Italie")->isExpanded());
    EXPECT_EQ(tv->font().pixelSize(), 13);
    // The search, its favourites button (also read by the application to the checked images)
    // and the filter button's menu are wired.
    EXPECT_TRUE(Rech->btRechercher->isEnabled());
    EXPECT_TRUE(Rech->btCritCDC->isEnabled());
    EXPECT_TRUE(Rech->btCritCDC->isCheckable());
    EXPECT_TRUE(Rech->btRechFiltres->isEnabled());
}

TEST_F(RechercheTest, PlainClickOnACheckBoxTogglesThroughTheChecksAndSetsBold)
{
    Demarre(cArboTroisNiveaux);
    EXPECT_FALSE(tv->font().bold());

    Clique("Voyages/Italie/Rome");
    EXPECT_EQ(Coches(), QStringList({"Voyages/Italie/Rome"}));
    EXPECT_EQ(Etat("Voyages"), Qt::Checked);
    EXPECT_EQ(Etat("Voyages/Italie"), Qt::Checked);
    EXPECT_EQ(Etat("Voyages/Italie/Venise"), Qt::Unchecked);
    EXPECT_TRUE(tv->font().bold());

    Clique("Voyages/France");
    EXPECT_EQ(Coches(), QStringList({"Voyages/Italie/Rome", "Voyages/France"}));

    // Unchecking a parent unchecks its checked children.
    Clique("Voyages");
    EXPECT_TRUE(Coches().isEmpty());
    EXPECT_EQ(Etat("Voyages/Italie/Rome"), Qt::Unchecked);
    EXPECT_FALSE(tv->font().bold());
}

TEST_F(RechercheTest, ClicksWithAModifierOrBesideTheBoxChangeNothing)
{
    Demarre(cArboTroisNiveaux);
    Clique("Famille", Qt::ShiftModifier);
    EXPECT_TRUE(Coches().isEmpty());
    Clique("Voyages/France", Qt::ControlModifier);
    EXPECT_TRUE(Coches().isEmpty());
    Clique("Voyages/Italie", Qt::AltModifier);
    EXPECT_TRUE(Coches().isEmpty());
    EXPECT_EQ(Etat("Famille"), Qt::Unchecked);
    EXPECT_FALSE(tv->font().bold());

    QTreeWidgetItem *i = Item("Famille");
    const QRect rTexte = tv->visualItemRect(i);
    QTest::mouseClick(tv->viewport(), Qt::LeftButton, {}, QPoint(rTexte.right() - 2, rTexte.center().y()));
    EXPECT_TRUE(Coches().isEmpty());
}

TEST_F(RechercheTest, HintSummarisesTheChecksAndFollowsTheirChanges)
{
    Demarre(cArboTroisNiveaux);
    EXPECT_EQ(tv->Bulle(), "Sélection/Désélection des critères hiérarchiques");

    Clique("Voyages/Italie/Rome");
    Clique("Voyages/Italie/Venise");
    const QString cAttendu = ResumeCritCoches({"Voyages/Italie/Rome", "Voyages/Italie/Venise"});
    EXPECT_EQ(tv->Bulle(), cAttendu);
    EXPECT_TRUE(cAttendu.contains("Venise"));

    // A mouse move puts it on the tree.
    QTest::mouseMove(tv->viewport(), QPoint(5, 5));
    QTest::mouseMove(tv->viewport(), QPoint(8, 8));
    EXPECT_EQ(tv->viewport()->toolTip(), cAttendu);

    // Checks changed from elsewhere are seen at once, not the cached text.
    tv->Coches().CocherChemin("Famille");
    EXPECT_EQ(tv->Bulle(), ResumeCritCoches({"Voyages/Italie/Rome", "Voyages/Italie/Venise", "Famille"}));
}

TEST_F(RechercheTest, PopupResetsAndCollapses)
{
    Demarre(cArboTroisNiveaux);
    tv->PreparePopup();
    EXPECT_TRUE(tv->pmCritRech->isEnabled());
    EXPECT_TRUE(tv->miCritRechRAZ->isEnabled());
    EXPECT_EQ(tv->miCritRechDeplier->text(), "&Déplier entièrement");
    EXPECT_EQ(tv->miCritRechReplier->text(), "&Replier entièrement");
    EXPECT_EQ(tv->miCritRechRAZ->text(), "RA&Z des critères hiérarchiques");

    Clique("Voyages/France");
    ASSERT_TRUE(tv->font().bold());
    tv->miCritRechRAZ->trigger();
    EXPECT_TRUE(Coches().isEmpty());
    EXPECT_EQ(Etat("Voyages"), Qt::Unchecked);
    EXPECT_FALSE(tv->font().bold());

    tv->miCritRechReplier->trigger();
    EXPECT_FALSE(Item("Voyages")->isExpanded());
    tv->miCritRechDeplier->trigger();
    EXPECT_TRUE(Item("Voyages/Italie")->isExpanded());
}

TEST_F(RechercheTest, EmptyTreeDisablesThePopupAndTheDrag)
{
    Demarre("[GENERAL]\r\nlModeMAJ=1\r\n");
    EXPECT_EQ(tv->topLevelItemCount(), 0);
    tv->PreparePopup();
    EXPECT_FALSE(tv->pmCritRech->isEnabled());
    EXPECT_FALSE(tv->miCritRechDeplier->isEnabled());
    EXPECT_FALSE(tv->miCritRechReplier->isEnabled());
    EXPECT_FALSE(tv->miCritRechRAZ->isEnabled());
    EXPECT_FALSE(tv->PeutGlisser());
}

TEST_F(RechercheTest, DragOnlyInUpdateModeWithThumbnailsShown)
{
    Demarre(cArboTroisNiveaux);
    Fenetre->Selection().MetModeMAJ(false);
    EXPECT_FALSE(tv->dragEnabled());
    EXPECT_FALSE(tv->PeutGlisser());

    Fenetre->Selection().MetModeMAJ(true);
    EXPECT_TRUE(tv->dragEnabled());
    EXPECT_TRUE(tv->PeutGlisser());

    bool lVignettes = false;
    tv->fnVignettesVisibles = [&] { return lVignettes; };
    EXPECT_FALSE(tv->PeutGlisser());

    Fenetre->Selection().MetModeMAJ(false);
    EXPECT_FALSE(tv->dragEnabled());

    // What travels: the criterion's path in the program's own type.
    std::unique_ptr<QMimeData> Donnees(tv->mimeData(QList<QTreeWidgetItem *>{Item("Voyages/Italie/Rome")}));
    ASSERT_NE(Donnees, nullptr);
    EXPECT_EQ(tv->mimeTypes(), QStringList({"application/x-vimbrel-critere"}));
    EXPECT_EQ(QString::fromUtf8(Donnees->data("application/x-vimbrel-critere")), "Voyages/Italie/Rome");
}

TEST_F(RechercheTest, OldCriteriaFileIsConvertedAtStartBeforeTheTreeLoads)
{
    Ecrit(cFichierArboAncien, "Lieux\r\n\tBretagne\r\n\t\tQuimper\r\nAmis\r\n");
    Demarre("[GENERAL]\r\nkcVersion=v 1.39\r\n");
    EXPECT_FALSE(QFile::exists(Donnees() + cFichierArboAncien));
    ASSERT_NE(Item("Lieux/Bretagne/Quimper"), nullptr);
    EXPECT_NE(Item("Amis"), nullptr);
    EXPECT_TRUE(Messages->Montres.isEmpty()) << Messages->Textes().join('|').toStdString();
}

TEST_F(RechercheTest, ReloadDropsTheChecksAndShowsTheNewTree)
{
    Demarre(cArboTroisNiveaux);
    Clique("Famille");
    ASSERT_EQ(Coches(), QStringList({"Famille"}));
    Contexte->iniSetup->WriteString(cSectionCritHier, "Famille/Enfants", "");
    Rech->ChargeArbo();
    EXPECT_TRUE(Coches().isEmpty());
    ASSERT_NE(Item("Famille/Enfants"), nullptr);
    EXPECT_EQ(Etat("Famille"), Qt::Unchecked);
    EXPECT_FALSE(tv->font().bold());
}
