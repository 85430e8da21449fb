#include "metadata/ProprietesImage_fm.h"

#include "components/MarkupHint.h"
#include "components/PaneledListView.h"
#include "exploration/Exploration_fm.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/MemoSonore.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/Corpus.h"
#include "support/EcritJpeg.h"
#include "support/EcritWav.h"
#include "support/Fichiers.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace
{
struct ProprietesImageTest : TBancFenetrePrincipale<>
{
    TProprietesImageKX *Proprietes = nullptr;
    TMemoSonoreFactice *Memo = nullptr;
    QString cPhotos;

    // The window lists the folder's images; the sheet plays sounds through a fake.
    void Demarre(int nImages, const QStringList &Corpus = {})
    {
        cPhotos = Temp.filePath("photos") + "/";
        QDir().mkpath(cPhotos);
        for (int i = 0; i < nImages; ++i)
            ASSERT_TRUE(
                EcritJpeg(cPhotos + QStringLiteral("img%1.jpg").arg(i, 2, 10, QLatin1Char('0')), 32, 24, Qt::darkCyan));
        for (const QString &c : Corpus)
            ASSERT_TRUE(QFile::copy(c, cPhotos + QFileInfo(c).fileName()));
        CreeFenetre();
        Proprietes = Fenetre->findChild<TProprietesImageKX *>();
        ASSERT_NE(Proprietes, nullptr);
        auto m = std::make_unique<TMemoSonoreFactice>();
        Memo = m.get();
        Proprietes->MetMemoSonore(std::move(m));
        Fenetre->resize(1000, 700);
        MontreFenetre();
        auto *Expl = Fenetre->findChild<TExplorationKX *>();
        ASSERT_NE(Expl, nullptr);
        ASSERT_TRUE(Expl->OuvreDossier(cPhotos));
        ASSERT_EQ(Fenetre->Modele().Nombre(), nImages + int(Corpus.size()));
    }
    // Opens the sheet on a row; fnDans runs while it is open.
    void Ouvre(int nLigne, const std::function<void(TfmProprietesImage &)> &fnDans)
    {
        bool lOuverte = false;
        Proprietes->fnExecute = [&](QDialog &d) {
            auto *f = qobject_cast<TfmProprietesImage *>(&d);
            EXPECT_NE(f, nullptr);
            lOuverte = true;
            if (f) {
                f->show();
                fnDans(*f);
                f->close();
            }
            return int(d.result());
        };
        Proprietes->AfficheProprietes(nLigne);
        EXPECT_TRUE(lOuverte);
    }
};
} // namespace

TEST_F(ProprietesImageTest, NavigationWrapsAroundAndStopsTheSound)
{
    Demarre(12);
    ASSERT_TRUE(EcritFichier(cPhotos + "img11.Wav", WavPCM()));
    Ouvre(11, [&](TfmProprietesImage &f) {
        EXPECT_TRUE(f.windowTitle().endsWith("img11.jpg (12/12)")) << f.windowTitle().toStdString();
        EXPECT_EQ(f.stVNom->text(), "img11.jpg");
        ASSERT_TRUE(f.btMemoSonore->isEnabled());
        f.btMemoSonore->click();
        EXPECT_EQ(Memo->cJoue, cPhotos + "img11.Wav");
        EXPECT_TRUE(Memo->EnCours());

        f.btNavigSuiv->click();
        EXPECT_EQ(f.Index(), 0);
        EXPECT_TRUE(f.windowTitle().endsWith("img00.jpg (1/12)")) << f.windowTitle().toStdString();
        EXPECT_FALSE(Memo->EnCours());
        EXPECT_EQ(Memo->nArrets, 1);
        EXPECT_FALSE(f.btMemoSonore->isEnabled());
        EXPECT_EQ(f.ToutesMD()->windowTitle(), "Méta-données de " + cPhotos + "img00.jpg");

        f.btNavigPrec->click();
        EXPECT_EQ(f.Index(), 11);
        f.btNavigPrem->click();
        EXPECT_EQ(f.Index(), 0);
        f.btNavigDern->click();
        EXPECT_EQ(f.Index(), 11);
        EXPECT_TRUE(f.btNavigPrem->isEnabled());
        // Closing stops the sound as well.
        f.btMemoSonore->click();
    });
    EXPECT_FALSE(Memo->EnCours());
    EXPECT_EQ(Memo->nArrets, 2);
}

TEST_F(ProprietesImageTest, OneImageDisablesNavigationAndNoMetadataHidesTheGroups)
{
    Demarre(1);
    Ouvre(0, [&](TfmProprietesImage &f) {
        for (QToolButton *b : {f.btNavigPrem, f.btNavigPrec, f.btNavigSuiv, f.btNavigDern})
            EXPECT_FALSE(b->isEnabled());
        EXPECT_FALSE(f.gbEXIF->isVisible());
        EXPECT_FALSE(f.gbIPTC->isVisible());
        EXPECT_TRUE(f.gbCaracteristiques->isVisible());
        EXPECT_EQ(f.stVResolution->text(), "32x24");
        EXPECT_FALSE(f.stVColorimetriePctPixOK->isVisible());
        EXPECT_FALSE(f.stVCDC->isVisible());
        // The grid's thumbnail, its longest side min(140, grid size).
        ASSERT_FALSE(f.imImage->pixmap().isNull());
        const QSize t = f.imImage->pixmap().size();
        EXPECT_EQ(std::max(t.width(), t.height()), std::min(140, Fenetre->Grille()->_ItemDim()));
        TfmProprietesImageToutesMD *t2 = f.ToutesMD();
        EXPECT_EQ(t2->pcToutesMD->tabText(0), "EXIF");
        EXPECT_EQ(t2->pcToutesMD->tabText(1), "IPTC");
        EXPECT_EQ(t2->grEXIF->rowCount(), 0);
    });
}

TEST_F(ProprietesImageTest, ToolWindowRefusesToCloseAndFollowsTheToggle)
{
    CORPUS_FICHIER(cIptc, "kinds/jpeg/exiftool_IPTC.jpg");
    Demarre(0, {cIptc});
    Ouvre(0, [&](TfmProprietesImage &f) {
        TfmProprietesImageToutesMD *t = f.ToutesMD();
        EXPECT_TRUE(f.btToutesMD->isChecked());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(t));
        EXPECT_GE(t->x(), f.frameGeometry().right());
        EXPECT_FALSE(t->close());
        EXPECT_TRUE(t->isVisible());
        f.btToutesMD->click();
        EXPECT_FALSE(t->isVisible());
        f.btToutesMD->click();
        EXPECT_TRUE(t->isVisible());

        EXPECT_TRUE(f.gbIPTC->isVisible());
        EXPECT_EQ(t->pcToutesMD->tabText(1), "IPTC*");
        QTableWidget *g = t->grIPTC;
        ASSERT_GE(g->rowCount(), 2);
        EXPECT_EQ(g->columnWidth(0), 40);
        EXPECT_EQ(g->columnWidth(1), 150);
        EXPECT_EQ(g->item(1, 2)->background().color(), QColor(255, 255, 192));
        EXPECT_NE(g->item(0, 2)->background().color(), QColor(255, 255, 192));
        EXPECT_TRUE(t->BulleLigne(g, 0).startsWith("<SG>Id :</SG/>\r\n     " + g->item(0, 0)->text() + "\r\n"));
        EXPECT_EQ(t->BulleLigne(g, g->rowCount()), "");

        // A row's hint stays while the mouse stays on the row and goes when it moves to another.
        t->pcToutesMD->setCurrentWidget(t->tsIPTC);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(g->viewport()));
        const QPoint Ligne0(60, g->rowViewportPosition(0) + 2), Ligne1(60, g->rowViewportPosition(1) + 2);
        QHelpEvent Bulle(QEvent::ToolTip, Ligne0, g->viewport()->mapToGlobal(Ligne0));
        QApplication::sendEvent(g->viewport(), &Bulle);
        EXPECT_TRUE(TMarkupHint::Visible());
        EXPECT_EQ(TMarkupHint::TexteAffiche(), t->BulleLigne(g, 0));
        const auto Bouge = [g](QPoint Pos) {
            QMouseEvent e(QEvent::MouseMove, Pos, g->viewport()->mapToGlobal(Pos), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
            QApplication::sendEvent(g->viewport(), &e);
        };
        Bouge(Ligne0 + QPoint(30, 1));
        EXPECT_TRUE(TMarkupHint::Visible());
        Bouge(Ligne1);
        EXPECT_FALSE(TMarkupHint::Visible());

        t->btCopierPP->click();
        const QString cCopie = QGuiApplication::clipboard()->text();
        EXPECT_TRUE(cCopie.startsWith(g->item(0, 0)->text() + " - " + g->item(0, 1)->text() + " : "));
        EXPECT_EQ(cCopie.count('\n'), g->rowCount());
    });
}

TEST_F(ProprietesImageTest, EntryInTheGridPopupAndUnderCtrlI)
{
    Demarre(2);
    EXPECT_TRUE(Fenetre->actions().contains(Proprietes->miVigsPropImg));
    EXPECT_EQ(Proprietes->miVigsPropImg->text(), "Propriétés de l'&image...");
    EXPECT_EQ(Proprietes->miVigsPropImg->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_I));
    const QList<QAction *> Popup = Fenetre->Fonctionnalites().Actions(TEmplacementAction::PopupVignettes);
    EXPECT_TRUE(Popup.contains(Proprietes->miVigsPropImg));
    ASSERT_GE(Fenetre->Selection().LigneCourante(), 0);
    int nOuvertures = 0;
    Proprietes->fnExecute = [&](QDialog &d) {
        ++nOuvertures;
        auto *f = qobject_cast<TfmProprietesImage *>(&d);
        EXPECT_TRUE(f && f->Index() == Fenetre->Selection().LigneCourante());
        return 0;
    };
    Fenetre->activateWindow();
    QTest::keyClick(Fenetre.get(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(nOuvertures, 1);
}
