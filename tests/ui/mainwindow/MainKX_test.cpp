#include "mainwindow/MainKX_fm.h"
#include "components/Separateur.h"

#include "components/ExpColPanel.h"
#include "components/MarkupHint.h"
#include "exploration/Selection.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/LecturesEnPanne.h"
#include "support/BancFenetrePrincipale.h"
#include "support/Fichiers.h"
#include "support/MessagesFactices.h"

#include <QAbstractButton>
#include <QToolButton>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <gtest/gtest.h>

namespace
{

struct MainKXTest : TBancFenetrePrincipale<>
{
    // The window's controls the tests look at.
    QLabel *pnVersion = nullptr;
    QPushButton *btQuitter = nullptr;
    QTabWidget *pcExplRech = nullptr;
    TExpColPanel *pnCommandes = nullptr;
    TExpColPanel *pnVigs = nullptr;
    TExpColPanel *pnTraitements = nullptr;
    TSeparateur *spCommandes = nullptr;

    void SetUp() override { ASSERT_TRUE(Temp.isValid()); }
    void Demarre(bool lMontre = true)
    {
        CreeFenetre();
        pnVersion = Controle<QLabel>("pnVersion");
        btQuitter = Controle<QPushButton>("btQuitter");
        pcExplRech = Controle<QTabWidget>("pcExplRech");
        pnCommandes = Controle<TExpColPanel>("pnCommandes");
        pnVigs = Controle<TExpColPanel>("pnVigs");
        pnTraitements = Controle<TExpColPanel>("pnTraitements");
        spCommandes = Controle<TSeparateur>("spCommandes");
        if (lMontre) {
            MontreFenetre();
            QCoreApplication::processEvents();
        }
    }
    static QByteArray Contenu(const QString &cFichier) { return LitFichier(cFichier); }
};

} // namespace

TEST_F(MainKXTest, EmptyDataFolderStartsAndLeavesTheVersion)
{
    Demarre();
    EXPECT_EQ(Fenetre->windowTitle(), "Vimbrel");
    EXPECT_EQ(pnVersion->text(), "v 1.44");
    EXPECT_EQ(pcExplRech->count(), 3);
    EXPECT_EQ(pcExplRech->tabText(0), "Exploration");
    EXPECT_EQ(pcExplRech->tabText(1), "Recherche");
    EXPECT_EQ(pcExplRech->tabText(2), "CDs");
    EXPECT_EQ(pcExplRech->currentIndex(), 0);
    for (const char *cDossier : {"Vignettes", "Motifs", "ImgsCH"})
        EXPECT_TRUE(QFileInfo(E.cDossierDefaut + cDossier).isDir()) << cDossier;
    EXPECT_TRUE(Fenetre->close());
    EXPECT_EQ(Relu().ReadString("GENERAL", "kcVersion", ""), "v 1.44");
}

TEST_F(MainKXTest, MaximisedAloneRestoresTo800x600AtOrigin)
{
    EcritReglages({{"nEtatFen_Main", "2"}});
    Demarre();
    EXPECT_TRUE(Fenetre->isMaximized());
    EXPECT_EQ(Fenetre->normalGeometry().size(), QSize(800, 600));
    // Back to normal, the title bar is on the screen: the frame, not the client area, is at 0, 0.
    Fenetre->showNormal();
    QTest::qWait(50);
    EXPECT_EQ(Fenetre->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(Fenetre->size(), QSize(800, 600));
}

TEST_F(MainKXTest, NormalWindowTakesItsStoredPlaceAndWritesItBack)
{
    EcritReglages({{"nEtatFen_Main", "0"},
                   {"nLeft_Main", "40"},
                   {"nTop_Main", "30"},
                   {"nWidth_Main", "1000"},
                   {"nHeight_Main", "700"}});
    Demarre();
    EXPECT_FALSE(Fenetre->isMaximized());
    // The stored place is the frame's top left corner, the stored size the client area's.
    EXPECT_EQ(Fenetre->frameGeometry().topLeft(), QPoint(40, 30));
    EXPECT_EQ(Fenetre->size(), QSize(1000, 700));
    Fenetre->move(50, 60);
    Fenetre->resize(900, 650);
    QTest::qWait(20);
    EXPECT_TRUE(Fenetre->close());
    const TBigIniFile Ini = Relu();
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nEtatFen_Main", -1), 0);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nLeft_Main", -1), 50);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nTop_Main", -1), 60);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nWidth_Main", -1), 900);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nHeight_Main", -1), 650);
}

TEST_F(MainKXTest, MaximisedAtExitStoresTheNormalFramePlace)
{
    EcritReglages({{"nEtatFen_Main", "0"},
                   {"nLeft_Main", "40"},
                   {"nTop_Main", "30"},
                   {"nWidth_Main", "1000"},
                   {"nHeight_Main", "700"}});
    Demarre();
    Fenetre->showMaximized();
    QTest::qWait(50);
    ASSERT_TRUE(Fenetre->isMaximized());
    EXPECT_TRUE(Fenetre->close());
    const TBigIniFile Ini = Relu();
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nEtatFen_Main", -1), 2);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nLeft_Main", -1), 40);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nTop_Main", -1), 30);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nWidth_Main", -1), 1000);
    EXPECT_EQ(Ini.ReadInteger("GENERAL", "nHeight_Main", -1), 700);
}

TEST_F(MainKXTest, AnsweringNoToTheQuitQuestionWritesNothing)
{
    EcritReglages({{"lMsgConfQuitAppli", "1"}, {"kcVersion", "v 1.44"}});
    Demarre();
    auto *Messages = new TMessagesFactices;
    Contexte->Messages.reset(Messages);
    Messages->Reponses = {false, true};
    Contexte->HistoriqueRepertoires = QStringList{"/photos/"};
    const QByteArray Avant = Contenu(FichierSetup());
    const QByteArray AvantBDD = Contenu(E.cDossierDefaut + "KX_BDD.ini");

    EXPECT_FALSE(Fenetre->close());
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, "Attention");
    EXPECT_EQ(Messages->Montres[0].cTexte, "Quitter Vimbrel ?");
    EXPECT_TRUE(Fenetre->isVisible());
    EXPECT_FALSE(Fenetre->FormDestroyFait());
    EXPECT_EQ(Contenu(FichierSetup()), Avant);
    EXPECT_EQ(Contenu(E.cDossierDefaut + "KX_BDD.ini"), AvantBDD);
    EXPECT_FALSE(Relu().SectionExists("HISTORIQUE REPERTOIRES"));

    EXPECT_TRUE(Fenetre->close());
    EXPECT_EQ(Messages->Montres.size(), 2);
    EXPECT_TRUE(Relu().ValueExists("HISTORIQUE REPERTOIRES", "/photos/"));
}

TEST_F(MainKXTest, StopSignalClosesWithoutTheQuestionAndSaves)
{
    EcritReglages({{"lMsgConfQuitAppli", "1"}});
    Demarre();
    auto *Messages = new TMessagesFactices;
    Contexte->Messages.reset(Messages);
    Fenetre->FermeSansQuestion();
    EXPECT_TRUE(Messages->Montres.isEmpty());
    EXPECT_FALSE(Fenetre->isVisible());
    EXPECT_TRUE(Fenetre->FormDestroyFait());
    EXPECT_EQ(Relu().ReadString("GENERAL", "lMsgConfQuitAppli", ""), "1");
}

TEST_F(MainKXTest, FolderHistoryOfFourteenIsStoredAsItsFirstTen)
{
    Demarre();
    QStringList cDossiers;
    for (int i = 1; i <= 14; ++i)
        cDossiers << QStringLiteral("/photos/%1/").arg(i);
    Contexte->HistoriqueRepertoires = cDossiers;
    EXPECT_TRUE(Fenetre->close());
    QStringList cCles;
    Relu().ReadSection("HISTORIQUE REPERTOIRES", cCles);
    EXPECT_EQ(cCles, cDossiers.mid(0, 10));
}

TEST_F(MainKXTest, ModeShowsInTheVersionPanel)
{
    EcritReglages({{"lModeMAJ", "0"}});
    Demarre(false);
    // The features hear the mode from the selection object, once per change.
    QSignalSpy Modes(&Fenetre->Selection(), &TSelectionKX::ModeChange);
    Fenetre->ShowMode();
    EXPECT_EQ(pnVersion->palette().color(QPalette::WindowText), QColor(0, 128, 0));
    EXPECT_EQ(pnVersion->toolTip(), "Vimbrel est en mode <SG>Consultation</SG/>");
    EXPECT_TRUE(Modes.isEmpty());
    EXPECT_FALSE(Fenetre->Selection().ModeMAJ());
    Contexte->Parametres.lModeMAJ = true;
    Fenetre->ShowMode();
    EXPECT_EQ(pnVersion->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(pnVersion->toolTip(), "Vimbrel est en mode <SG>Mise à jour</SG/>");
    Contexte->Parametres.lModeMAJ = false;
    Fenetre->ShowMode();
    ASSERT_EQ(Modes.size(), 2);
    EXPECT_TRUE(Modes.at(0).at(0).toBool());
    EXPECT_FALSE(Modes.at(1).at(0).toBool());
}

TEST_F(MainKXTest, VersionHintShowsTheModeInBold)
{
    EcritReglages({{"lModeMAJ", "1"}, {"nEtatFen_Main", "0"}});
    Demarre();
    QLabel *pn = pnVersion;
    const QPoint p = pn->rect().center();
    QHelpEvent Aide(QEvent::ToolTip, p, pn->mapToGlobal(p));
    QApplication::sendEvent(pn, &Aide);
    // The program's hint window shows it, drawing the bold words itself.
    ASSERT_TRUE(TMarkupHint::Visible());
    EXPECT_FALSE(QToolTip::isVisible());
    const QString cMontre = TMarkupHint::TexteAffiche();
    EXPECT_TRUE(cMontre.contains(QString::fromUtf8("<SG>Mise à jour</SG/>"))) << cMontre.toStdString();
    TMarkupHint::Cache();
}

TEST_F(MainKXTest, TreatmentBarIsAsHighAsItsButtons)
{
    Demarre();
    QCoreApplication::processEvents();
    const int nLibre = pnTraitements->height() - TExpColPanel::nEpaisseurBande;
    auto *btSvgVigCour = Fenetre->findChild<QPushButton *>("btSvgVigCour");
    ASSERT_NE(btSvgVigCour, nullptr);
    for (QWidget *b :
         {static_cast<QWidget *>(btQuitter), static_cast<QWidget *>(btSvgVigCour), static_cast<QWidget *>(pnVersion)}) {
        const int y = b->mapTo(pnTraitements, QPoint(0, 0)).y();
        EXPECT_GE(b->height(), b->sizeHint().height()) << b->objectName().toStdString();
        EXPECT_GE(y, 0) << b->objectName().toStdString();
        EXPECT_LE(y + b->height(), nLibre) << b->objectName().toStdString();
    }
}

// The strips along the command pane and the thumbnail pane are their splitters' handles.
TEST_F(MainKXTest, DraggingAPaneStripResizesThePane)
{
    EcritReglages({{"nEtatFen_Main", "0"}, {"nWidth_Main", "1200"}, {"nHeight_Main", "900"}});
    Demarre();
    const auto Glisse = [](QWidget *w, QPoint Depart, QPoint Arrivee) {
        const auto Envoie = [w](QEvent::Type t, QPoint g, Qt::MouseButton b, Qt::MouseButtons bs) {
            QMouseEvent e(t, QPointF(w->mapFromGlobal(g)), QPointF(g), b, bs, Qt::NoModifier);
            QApplication::sendEvent(w, &e);
        };
        Envoie(QEvent::MouseButtonPress, Depart, Qt::LeftButton, Qt::LeftButton);
        Envoie(QEvent::MouseMove, Arrivee, Qt::NoButton, Qt::LeftButton);
        Envoie(QEvent::MouseButtonRelease, Arrivee, Qt::LeftButton, Qt::NoButton);
    };
    EXPECT_EQ(spCommandes->width(), 0);
    const int nCommandes = pnCommandes->_LargHautRef();
    QWidget *Bande = pnCommandes->Bande();
    const QPoint g = Bande->mapToGlobal(Bande->rect().center());
    Glisse(Bande, g, g + QPoint(40, 0));
    EXPECT_EQ(pnCommandes->_LargHautRef(), nCommandes + 40);
    EXPECT_EQ(pnCommandes->width(), nCommandes + 40);

    const int nVigs = pnVigs->_LargHautRef();
    QWidget *BandeVigs = pnVigs->Bande();
    const QPoint v = BandeVigs->mapToGlobal(BandeVigs->rect().center());
    Glisse(BandeVigs, v, v + QPoint(0, 30));
    EXPECT_EQ(pnVigs->_LargHautRef(), nVigs + 30);
    EXPECT_EQ(pnVigs->height(), nVigs + 30);
}

TEST_F(MainKXTest, LayoutSurvivesARestart)
{
    EcritReglages({{"nEtatFen_Main", "0"}, {"nWidth_Main", "1200"}, {"nHeight_Main", "900"}});
    Demarre();
    pnCommandes->set_LargHautRef(350);
    pcExplRech->setFixedHeight(300);
    Fenetre->PlaceVigs(1);
    pnVigs->set_LargHautRef(260);
    EXPECT_TRUE(Fenetre->close());

    Demarre();
    EXPECT_EQ(pnCommandes->_LargHautRef(), 350);
    EXPECT_EQ(pnCommandes->width(), 350);
    EXPECT_EQ(pcExplRech->height(), 300);
    EXPECT_EQ(pnVigs->_Align(), paLeft);
    EXPECT_EQ(pnVigs->_LargHautRef(), 260);
    EXPECT_EQ(pnVigs->width(), 260);
}

TEST_F(MainKXTest, CollapsedCommandPaneKeepsItsStoredWidth)
{
    EcritReglages({{"pnCommandes.Width", "333"}});
    Demarre();
    pnCommandes->set_PanelState(psCollapsed);
    EXPECT_FALSE(Fenetre->VueListe()->isVisible());
    EXPECT_TRUE(Fenetre->close());
    EXPECT_EQ(Relu().ReadInteger("GENERAL", "pnCommandes.Width", 0), 333);
}

TEST_F(MainKXTest, MinimumSizeLeavesRoomRightOfTheCommandPane)
{
    EcritReglages({{"nEtatFen_Main", "0"}});
    Demarre();
    const int nCommandes = pnCommandes->width();
    EXPECT_GE(Fenetre->minimumWidth(), nCommandes + TfmMainKX::nLargMinDroite);
    Fenetre->resize(100, 100);
    QCoreApplication::processEvents();
    EXPECT_GE(pnTraitements->width(), TfmMainKX::nLargMinDroite);
    // Widening the command pane raises the minimum with it.
    pnCommandes->set_LargHautRef(400);
    QCoreApplication::processEvents();
    EXPECT_GE(Fenetre->minimumWidth(), 400 + TfmMainKX::nLargMinDroite);
}

TEST_F(MainKXTest, ImageListWidensUnderTheMouseInDetailsView)
{
    EcritReglages({{"nEtatFen_Main", "0"}, {"nWidth_Main", "1200"}, {"nHeight_Main", "800"}});
    Demarre();
    QStandardItemModel Modele(0, 5);
    QTreeView *lv = Fenetre->VueListe();
    lv->setModel(&Modele);
    for (int i = 0; i < 5; ++i)
        lv->header()->resizeSection(i, 150);
    const int nNormale = lv->width();
    EXPECT_EQ(nNormale, pcExplRech->width());

    // No rows: nothing to widen.
    QEvent Entree(QEvent::Enter);
    QCoreApplication::sendEvent(lv, &Entree);
    EXPECT_EQ(lv->width(), nNormale);

    Modele.appendRow(new QStandardItem("IMG_0001.JPG"));
    QCoreApplication::sendEvent(lv, &Entree);
    EXPECT_EQ(lv->width(), 5 * 150 + lv->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4);
    QEvent Sortie(QEvent::Leave);
    QCoreApplication::sendEvent(lv, &Sortie);
    EXPECT_EQ(lv->width(), pcExplRech->width());

    // Not in the details view, or with the setting off: no widening.
    Contexte->Parametres.lvImgs_ViewStyle = 2;
    QCoreApplication::sendEvent(lv, &Entree);
    EXPECT_EQ(lv->width(), nNormale);
    QCoreApplication::sendEvent(lv, &Sortie);
    Contexte->Parametres.lvImgs_ViewStyle = 3;
    Contexte->Parametres.lAgrandirLVQdSurvol = false;
    QCoreApplication::sendEvent(lv, &Entree);
    EXPECT_EQ(lv->width(), nNormale);
    lv->setModel(nullptr);
}

TEST_F(MainKXTest, FirstFolderIsTheArgumentThenTheLastFolderThenTheDataFolder)
{
    const QString cArgument = Temp.filePath("argument");
    const QString cDernier = Temp.filePath("dernier");
    QDir().mkpath(cArgument);
    QDir().mkpath(cDernier);
    EcritReglages({{"cRep", cDernier}});

    const auto PremierDossier = [this](const QString &cArg) {
        PrepareFenetre(false);
        Fenetre->cDossierArgument = cArg;
        Fenetre->FormCreate(nullptr);
        QSignalSpy Ouvert(Fenetre.get(), &TfmMainKX::PremierDossierOuvert);
        Fenetre->show();
        if (Ouvert.isEmpty())
            Ouvert.wait(2000);
        Fenetre->hide();
        // The folder tree writes folders with their final "/".
        return Ouvert.isEmpty() ? QString("<rien>") : AvecSeparateurFinal(Ouvert.at(0).at(0).toString());
    };
    EXPECT_EQ(PremierDossier(cArgument), cArgument + "/");
    EXPECT_EQ(PremierDossier(Temp.filePath("absent")), E.cDossierDefaut);
    Fenetre.reset();
    EXPECT_EQ(PremierDossier(QString()), cDernier + "/");
}

TEST_F(MainKXTest, LaterStartBringsTheWindowForwardWithItsFolder)
{
    Demarre();
    // A feature that opens any folder, beside the exploration page, which cannot open this one.
    struct TOuvreur : IFonctionnaliteKX
    {
        QString cOuvert;
        std::optional<bool> OuvreDossierDemande(const QString &c) override { return cOuvert = c, true; }
    } Ouvreur;
    Fenetre->Installe(&Ouvreur);
    const QString &cOuvert = Ouvreur.cOuvert;
    Fenetre->showMinimized();
    QCoreApplication::processEvents();
    Fenetre->RecoitDossier("/photos/[2004] Rome/");
    EXPECT_EQ(cOuvert, "/photos/[2004] Rome/");
    EXPECT_FALSE(Fenetre->isMinimized());
    EXPECT_TRUE(Fenetre->isVisible());
    Fenetre.reset();
}

TEST_F(MainKXTest, UnreadableCatalogueIsToldAtStartAndLeftAsItIs)
{
    EcritReglages({{"kcVersion", "v 1.44"}});
    const QString cBDD = E.cDossierDefaut + "KX_BDD.ini";
    {
        QFile F(cBDD);
        ASSERT_TRUE(F.open(QIODevice::WriteOnly));
        F.write("[/photos/a.jpg]\r\nLieux/Rome=\r\n");
    }
    PrepareFenetre(false);
    TMessagesFactices *pMessages = Messages;
    {
        const TLecturesEnPanne Panne = TLecturesEnPanne::Ouverture("KX_BDD.ini", EIO);
        Fenetre->FormCreate(nullptr);
    }
    ASSERT_EQ(pMessages->Montres.size(), 1);
    EXPECT_EQ(pMessages->Montres[0].cTitre, "Erreur");
    EXPECT_TRUE(
        pMessages->Montres[0].cTexte.contains(cBDD + QString::fromUtf8(" : ouverture : erreur d'entrée/sortie")))
        << pMessages->Montres[0].cTexte.toStdString();
    Fenetre->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Fenetre.get()));
    Fenetre->close();
    EXPECT_TRUE(Fenetre->FormDestroyFait());
    EXPECT_EQ(Contenu(cBDD), "[/photos/a.jpg]\r\nLieux/Rome=\r\n");
}

// The list's bar gathers every feature's buttons: in a small window they wrap, none is cut.
TEST_F(MainKXTest, ListBarButtonsWrapInsteadOfBeingCutInASmallWindow)
{
    Demarre();
    Fenetre->resize(800, 600);
    QCoreApplication::processEvents();
    auto *Barre = Fenetre->findChild<QWidget *>("pnLVImgsCmdes");
    ASSERT_NE(Barre, nullptr);
    int nVisibles = 0;
    for (QPushButton *b : Barre->findChildren<QPushButton *>()) {
        if (!b->isVisible())
            continue;
        ++nVisibles;
        EXPECT_TRUE(Barre->rect().contains(b->geometry())) << b->objectName().toStdString();
        // Its caption is not cut either.
        EXPECT_GE(b->width(), b->fontMetrics().horizontalAdvance(b->text())) << b->objectName().toStdString();
    }
    EXPECT_GE(nVisibles, 8);
    // The list below starts under the bar's last row.
    auto *Zone = Fenetre->findChild<QWidget *>("pnZoneLVImgs");
    ASSERT_NE(Zone, nullptr);
    EXPECT_GE(Zone->mapTo(Fenetre.get(), QPoint(0, 0)).y(),
              Barre->mapTo(Fenetre.get(), QPoint(0, Barre->height())).y());

    // The treatment bar too: its groups wrap and it grows to hold them.
    const int nLibre = pnTraitements->height() - TExpColPanel::nEpaisseurBande;
    for (QAbstractButton *b : pnTraitements->findChildren<QAbstractButton *>()) {
        if (!b->isVisible() || b->parentWidget() == pnTraitements->Bande()
            || b == static_cast<QAbstractButton *>(pnTraitements->Bouton()))
            continue;
        const QRect r(b->mapTo(pnTraitements, QPoint(0, 0)), b->size());
        EXPECT_LE(r.right(), pnTraitements->width()) << b->objectName().toStdString();
        EXPECT_LE(r.bottom(), nLibre) << b->objectName().toStdString();
    }
}
