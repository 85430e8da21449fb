#include "calendar/Calendrier_fm.h"

#include "components/MarkupHint.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/EnrLV.h"
#include "imaging/NomVignette.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/BancFenetrePrincipale.h"
#include "support/EcritJpeg.h"
#include "thumbnails/ThumbnailCache_fm.h"
#include "treatments/TraitementsImage.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QHelpEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolTip>
#include <QTreeWidget>

#include <utime.h>

namespace
{
class Calendrier : public TBancFenetrePrincipale<>
{
protected:
    void SetUp() override { CreeFenetre(); }

    // An image file dated dt, its cached thumbnail (w × h) and a catalogue section.
    void AjouteImage(const QString &cNom, const QDateTime &dt, int w = 120, int h = 90)
    {
        const QString cChemin = Temp.filePath("photos/" + cNom);
        ASSERT_TRUE(EcritJpeg(cChemin, 32, 24, Qt::darkGreen));
        ASSERT_TRUE(EcritJpeg(NomVignette(Contexte->Dossiers.cDossierVignettes, 0, cChemin), w, h, Qt::blue));
        struct utimbuf t;
        t.actime = t.modtime = time_t(dt.toSecsSinceEpoch());
        ASSERT_EQ(utime(QFile::encodeName(cChemin).constData(), &t), 0);
        Contexte->iniBDD->WriteString(cChemin, "Lieux/Paris", "1");
    }

    std::unique_ptr<TfmCalendrier> Ouvre()
    {
        auto f = std::make_unique<TfmCalendrier>(*Contexte, nullptr);
        f->FormCreate();
        f->resize(1000, 700);
        return f;
    }

    static void Cherche(TfmCalendrier &f, int nGenre, int nMois, int nAnnee, const QDate &d = {})
    {
        f.lbPeriode->setCurrentRow(nGenre);
        if (d.isValid())
            f.dtDate->setDate(d);
        f.cbMois->setCurrentIndex(nMois - 1);
        f.cbAnnee->setCurrentIndex(f.cbAnnee->findText(QString::number(nAnnee)));
        f.btRechImgs->click();
    }
};
} // namespace

TEST_F(Calendrier, OuvertParLeBoutonEtLesOutils)
{
    auto *Commande = Fenetre->findChild<TCalendrierKX *>("Calendrier");
    ASSERT_NE(Commande, nullptr);
    ASSERT_NE(Fenetre->findChild<QPushButton *>("btCalendrier"), nullptr);
    const QList<QAction *> Outils = Fenetre->Fonctionnalites().Actions(TEmplacementAction::OutilsDivers);
    ASSERT_TRUE(Outils.contains(Commande->miCalendrier));
    EXPECT_EQ(Commande->miCalendrier->text(), "&Calendrier...");

    int nOuvertures = 0;
    Commande->fnExecute = [&](TfmCalendrier &f) {
        ++nOuvertures;
        EXPECT_EQ(f.windowTitle(), "Calendrier");
        EXPECT_TRUE(f.isModal());
        EXPECT_EQ(f.pos(), QPoint(50, 50));
        EXPECT_EQ(f.minimumSize(), QSize(600, 400));
        EXPECT_EQ(f.pcCalendrier->tabText(0), "Saisie de la période");
        EXPECT_FALSE(f.pcCalendrier->isTabVisible(1));
        EXPECT_EQ(f.lbPeriode->currentItem()->text(), "jour");
        EXPECT_EQ(f.cbTailleVig->currentText(), "100x100");
        EXPECT_EQ(f.dtDate->date(), QDate::currentDate());
        EXPECT_EQ(f.rgDateAPEC->checkedId(), 0);
        EXPECT_FALSE(f.btNavigPrec->isEnabled());
        EXPECT_FALSE(f.btSvgTtesVig->isEnabled());
    };
    Fenetre->findChild<QPushButton *>("btCalendrier")->click();
    Commande->miCalendrier->trigger();
    EXPECT_EQ(nOuvertures, 2);
}

TEST_F(Calendrier, GrilleEtLibellesDeChaqueGenre)
{
    AjouteImage("a.jpg", QDateTime(QDate(2005, 4, 3), QTime(23, 59)));
    auto f = Ouvre();
    ASSERT_EQ(f->ImagesCalendrier().size(), 1u);

    struct TCas
    {
        int nGenre;
        int nMois;
        QSize Grille;
        QString cPremier;
        QString cDernier;
    };
    const TCas Cas[] = {
        {0, 4, {6, 4}, "0:00", "23:00"},
        {1, 4, {4, 2}, "lundi 28 mars", ""},
        {2, 2, {7, 5}, "1", ""},
        {3, 11, {5, 3}, "1..7 nov. 2004", "29..31 janv. 2005"},
        {4, 4, {3, 2}, "avril 2004", "septembre 2004"},
        {5, 1, {4, 3}, "janvier 2004", "décembre 2004"},
    };
    for (const TCas &c : Cas) {
        Cherche(*f, c.nGenre, c.nMois, 2004, QDate(2005, 4, 3));
        const TGrille g = f->sgCalendrier->Grille();
        EXPECT_EQ(QSize(g.nColonnes, g.nLignes), c.Grille) << c.nGenre;
        EXPECT_EQ(f->Cellules()[0][0].cLibelle, c.cPremier) << c.nGenre;
        EXPECT_EQ(f->Cellules()[g.nLignes - 1][g.nColonnes - 1].cLibelle, c.cDernier) << c.nGenre;
        EXPECT_EQ(f->sgCalendrier->Entetes().isEmpty(), c.nGenre != 2);
        EXPECT_TRUE(f->btNavigSuiv->isEnabled());
    }
    // February 2004 above had 5 rows; 2005 has 4, headed by the weekday of the 1st (a Tuesday).
    Cherche(*f, 2, 2, 2005);
    EXPECT_EQ(f->sgCalendrier->Grille().nLignes, 4);
    EXPECT_EQ(f->Cellules()[3][6].cLibelle, "28");
    EXPECT_EQ(f->sgCalendrier->Entetes().value(0), "mardi");
    EXPECT_EQ(f->sgCalendrier->RectCellule(2, 2).size(), QSize(103, 118));
    EXPECT_EQ(f->btNavigSuiv->toolTip(), "mois suivant(e)");

    // The image of 23:59 in the last cell of its day.
    Cherche(*f, 0, 4, 2005, QDate(2005, 4, 3));
    EXPECT_EQ(f->Cellules()[3][5].nNbImgs, 1);
    EXPECT_TRUE(f->btExplImgs->isEnabled() == (f->Cellules()[0][0].nNbImgs > 0));
    // Another kind chosen: no navigation until it is searched.
    f->lbPeriode->setCurrentRow(2);
    EXPECT_FALSE(f->btNavigPrec->isEnabled());
    EXPECT_TRUE(f->dtDate->isEnabled() == false && f->cbMois->isEnabled());
    EXPECT_EQ(f->stMois->text(), "Mois");
    f->lbPeriode->setCurrentRow(1);
    EXPECT_EQ(f->stDate->text(), "La semaine du");
    EXPECT_FALSE(f->cbAnnee->isEnabled());
}

TEST_F(Calendrier, DateEXIFChoisieLueUneFois)
{
    // The generated pictures carry no EXIF block.
    AjouteImage("sans.jpg", QDateTime(QDate(2005, 4, 3), QTime(10, 0)));
    auto f = Ouvre();
    f->rgDateAPEC->button(1)->setChecked(true);
    Cherche(*f, 2, 4, 2005);
    EXPECT_TRUE(f->DatesEXIFLues());
    EXPECT_EQ(f->Cellules()[0][2].nNbImgs, 0);
    f->rgDateAPEC->button(0)->setChecked(true);
    f->btRechImgs->click();
    EXPECT_EQ(f->Cellules()[0][2].nNbImgs, 1);
}

TEST_F(Calendrier, NavigationEtAnneesDesImages)
{
    AjouteImage("vieille.jpg", QDateTime(QDate(1987, 6, 1), QTime(10, 0)));
    auto f = Ouvre();
    EXPECT_EQ(f->cbAnnee->itemText(0), "1987");
    Cherche(*f, 5, 1, 1987);
    EXPECT_EQ(f->Cellules()[1][1].nNbImgs, 1); // June
    f->btNavigPrec->click();
    EXPECT_EQ(f->cbAnnee->currentText(), "1987");
    f->btNavigSuiv->click();
    EXPECT_EQ(f->cbAnnee->currentText(), "1988");
    f->cbAnnee->setCurrentIndex(f->cbAnnee->count() - 1);
    const QString cDerniere = f->cbAnnee->currentText();
    f->btRechImgs->click();
    f->btNavigSuiv->click();
    EXPECT_EQ(f->cbAnnee->currentText(), cDerniere);
}

TEST_F(Calendrier, PopupDeLaCelluleEtExploration)
{
    for (int i = 0; i < 7; ++i)
        AjouteImage(QStringLiteral("img%1.jpg").arg(i), QDateTime(QDate(2005, 4, 3), QTime(10, i)), i == 3 ? 90 : 120,
                    i == 3 ? 120 : 90);
    ASSERT_TRUE(Contexte->iniBDD->UpdateFile());
    auto f = Ouvre();
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    Cherche(*f, 2, 4, 2005);
    TGrilleCalendrier *g = f->sgCalendrier;
    const TEnrCell &Cell = f->Cellules()[0][2];
    ASSERT_EQ(Cell.nNbImgs, 7);
    EXPECT_FALSE(g->Popup()->isVisible());

    const QRect r = g->RectCellule(1, 3);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(g->ColonneCourante(), 3);
    TPopupCellule *p = g->Popup();
    ASSERT_TRUE(p->isVisible());
    // As many columns as fit right of the cell, rows enough for the seven.
    const int nPlace = g->viewport()->width() - r.left() - g->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    EXPECT_GE(p->Colonnes(), 1);
    EXPECT_LE(p->Colonnes(), 7);
    EXPECT_LE(p->Colonnes() * 103, std::max(nPlace, 103));
    if (p->Colonnes() < 7)
        EXPECT_GT((p->Colonnes() + 1) * 103, nPlace);
    EXPECT_EQ(p->Lignes(), (7 + p->Colonnes() - 1) / p->Colonnes());
    EXPECT_EQ(p->geometry().top(), r.top() + 118);
    EXPECT_EQ(p->Images(), Cell.lstImgs);

    QTest::keyClick(g, Qt::Key_Escape);
    EXPECT_FALSE(p->isVisible());
    QTest::keyClick(g, Qt::Key_Return);
    ASSERT_TRUE(p->isVisible());
    // Choosing the second picture makes it the cell's and closes the pop-up.
    QTest::mouseClick(p->viewport(), Qt::LeftButton, {}, QPoint(103 + 50, 50));
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(f->Cellules()[0][2].nImgCour, 1);

    // Exploration by a double click.
    QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, r.center());
    ASSERT_TRUE(f->pcCalendrier->isTabVisible(1));
    EXPECT_EQ(f->pcCalendrier->currentWidget(), f->tsExploreImgs);
    EXPECT_EQ(f->pcCalendrier->tabText(1), "Exploration : Mois de avril 2005");
    ASSERT_EQ(f->tvPeriodes->topLevelItemCount(), 1);
    EXPECT_EQ(f->tvPeriodes->topLevelItem(0)->text(0), "dimanche 3 avril 2005");
    EXPECT_EQ(f->tvPeriodes->height(), 40);
    EXPECT_EQ(f->plvVignettes->Nombre(), 7);
    EXPECT_EQ(f->plvVignettes->Item(0)->cTitre(), "img0.jpg");
    EXPECT_EQ(f->windowTitle(), "Calendrier - 7 Image(s) / 7");
    EXPECT_TRUE(f->btSvgTtesVig->isEnabled());
    EXPECT_FALSE(f->btAlbumWEB->isEnabled());
    EXPECT_FALSE(f->btHistoAlbumsWEB->isEnabled());
    // The contact sheet of the thumbnails shown, proposed as "Calendrier".
    QString cPropose;
    f->Vignettes()->fnNomFichier = [&](const QString &, const QString &, const QString &cNom) {
        cPropose = cNom;
        return Temp.filePath("planche.jpg");
    };
    f->btSvgTtesVig->click();
    EXPECT_EQ(cPropose, "Calendrier.jpg");
    EXPECT_TRUE(QFileInfo::exists(Temp.filePath("planche.jpg")));

    // A new search hides the exploration again; nothing was ever written to the stores.
    f->pcCalendrier->setCurrentIndex(0);
    EXPECT_FALSE(f->btSvgTtesVig->isEnabled());
    f->btRechImgs->click();
    EXPECT_FALSE(f->pcCalendrier->isTabVisible(1));
    EXPECT_FALSE(Contexte->iniBDD->Modifie());
    EXPECT_FALSE(Contexte->iniSetup->Modifie());
}

TEST_F(Calendrier, ExplorationDUnTrimestreParJour)
{
    AjouteImage("a.jpg", QDateTime(QDate(2005, 1, 29), QTime(9, 0)));
    AjouteImage("b.jpg", QDateTime(QDate(2005, 1, 30), QTime(9, 0)));
    auto f = Ouvre();
    bool lAlbum = false;
    f->fnOuvreAlbumWEB = [&](QWidget *, const QList<TEnrLV> &l) { lAlbum = l.size() == 1; };
    Cherche(*f, 3, 11, 2004);
    f->sgCalendrier->MetCourante(3, 5);
    ASSERT_TRUE(f->btExplImgs->isEnabled());
    f->btExplImgs->click();
    QTreeWidgetItem *Racine = f->tvPeriodes->topLevelItem(0);
    ASSERT_NE(Racine, nullptr);
    EXPECT_EQ(Racine->text(0), "29..31 janv. 2005");
    ASSERT_EQ(Racine->childCount(), 2);
    EXPECT_EQ(Racine->child(1)->text(0), "Di 30 janvier");
    EXPECT_EQ(f->tvPeriodes->height(), 120);
    f->tvPeriodes->setCurrentItem(Racine->child(1));
    EXPECT_EQ(f->plvVignettes->Nombre(), 1);
    EXPECT_EQ(f->windowTitle(), "Calendrier - 1 Image(s) / 2");
    ASSERT_TRUE(f->btAlbumWEB->isEnabled());
    f->btAlbumWEB->click();
    EXPECT_TRUE(lAlbum);
}

TEST_F(Calendrier, VignettesExploreesAvecLeursTraitements)
{
    AjouteImage("a.jpg", QDateTime(QDate(2005, 4, 3), QTime(10, 0)), 120, 90);
    ASSERT_TRUE(BasculeTrt(*Contexte->iniSetup, Contexte->Parametres, Temp.filePath("photos/a.jpg"), "1", 1));
    auto f = Ouvre();
    Cherche(*f, 2, 4, 2005);
    f->sgCalendrier->MetCourante(1, 3);
    f->btExplImgs->click();
    ASSERT_EQ(f->plvVignettes->Nombre(), 1);
    // The landscape thumbnail is shown turned a quarter.
    const QImage v = f->plvVignettes->Item(0)->Vignette();
    ASSERT_FALSE(v.isNull());
    EXPECT_GT(v.height(), v.width());
}

TEST_F(Calendrier, BullesEnBalisesDansLaFenetreDesBulles)
{
    InstalleMarkupHint(qApp);
    AjouteImage("a.jpg", QDateTime(QDate(2005, 4, 3), QTime(10, 0)));
    AjouteImage("b.jpg", QDateTime(QDate(2005, 4, 3), QTime(11, 0)));
    auto f = Ouvre();
    f->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f.get()));
    Cherche(*f, 2, 4, 2005);
    TGrilleCalendrier *g = f->sgCalendrier;
    QWidget *v = g->viewport();
    auto Survole = [](QWidget *w, const QPoint &p) {
        TMarkupHint::Cache();
        QHelpEvent Aide(QEvent::ToolTip, p, w->mapToGlobal(p));
        QApplication::sendEvent(w, &Aide);
        EXPECT_FALSE(QToolTip::isVisible());
        return TMarkupHint::TexteAffiche();
    };

    // The cell's hint keeps its markup: the window of hints draws the name in bold.
    const QRect r = g->RectCellule(1, 3);
    const QString cCellule = Survole(v, r.center());
    EXPECT_TRUE(cCellule.startsWith(QString::fromUtf8("1°/2 Image(s)\r\n"))) << cCellule.toStdString();
    EXPECT_TRUE(cCellule.contains("\r\n<SG>a.jpg</SG/> \r\n")) << cCellule.toStdString();
    EXPECT_EQ(TMarkupHint::Instance()->WidgetSource(), v);
    // Leaving the cell for another hides it; an empty cell has none.
    QMouseEvent Bouge(QEvent::MouseMove, QPointF(g->RectCellule(1, 4).center()),
                      QPointF(v->mapToGlobal(g->RectCellule(1, 4).center())), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(v, &Bouge);
    EXPECT_FALSE(TMarkupHint::Visible());
    EXPECT_TRUE(Survole(v, g->RectCellule(1, 4).center()).isEmpty());

    // The pictures of the cell's pop-up, the explored thumbnails and the image pane likewise.
    QTest::mouseClick(v, Qt::LeftButton, {}, r.center());
    TPopupCellule *p = g->Popup();
    ASSERT_TRUE(p->isVisible());
    EXPECT_TRUE(Survole(p->viewport(), QPoint(103 + 50, 50)).contains("<SG>b.jpg</SG/>"));
    QTest::keyClick(g, Qt::Key_Escape);
    f->btExplImgs->click();
    ASSERT_EQ(f->plvVignettes->Nombre(), 2);
    const QString cVignette = f->plvVignettes->Item(0)->cBulle();
    EXPECT_TRUE(cVignette.contains("\r\n<SG>a.jpg</SG/> <SS>[")) << cVignette.toStdString();
    EXPECT_EQ(f->sbImage->toolTip(), cVignette);
}

TEST_F(Calendrier, TheWebAlbumHistoryButtonGoesThroughItsEntry)
{
    auto f = std::make_unique<TfmCalendrier>(*Contexte, nullptr);
    QList<QWidget *> Parents;
    f->fnOuvreHistoAlbumsWEB = [&](QWidget *Parent) { Parents << Parent; };
    f->FormCreate();
    ASSERT_TRUE(f->btHistoAlbumsWEB->isEnabled());
    f->btHistoAlbumsWEB->click();
    EXPECT_EQ(Parents, QList<QWidget *>{f.get()});
}
