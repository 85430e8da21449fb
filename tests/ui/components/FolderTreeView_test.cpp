#include "components/FolderTreeView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{
class TVolumesTest : public IVolumes
{
public:
    QList<TVolume> lVolumes;
    QList<TVolume> Liste() const override { return lVolumes; }
    QString PointDeMontage(quint32 nSerie) const override
    {
        for (const TVolume &v : lVolumes)
            if (v.lCD && v.nSerie == nSerie)
                return v.cPointMontage;
        return QString();
    }
    TVolume VolumeDe(const QString &cChemin) const override
    {
        TVolume meilleur;
        for (const TVolume &v : lVolumes)
            if (cChemin.startsWith(v.cPointMontage) && v.cPointMontage.size() > meilleur.cPointMontage.size())
                meilleur = v;
        return meilleur;
    }
};

TVolume Volume(const QString &cPoint, quint32 nSerie, const QString &cLabel, bool lCD = false)
{
    TVolume v;
    v.cPointMontage = cPoint;
    v.nSerie = nSerie;
    v.cLabel = cLabel;
    v.lCD = lCD;
    v.cSysteme = lCD ? QStringLiteral("iso9660") : QStringLiteral("ext4");
    return v;
}

void Cree(const QString &c)
{
    ASSERT_TRUE(QDir().mkpath(c)) << qPrintable(c);
}

QStringList Enfants(QTreeWidgetItem *item)
{
    QStringList l;
    for (int i = 0; i < item->childCount(); ++i)
        l << item->child(i)->text(0);
    return l;
}

// A temporary folder mounted as a CD, next to "/".
struct Arbre
{
    QTemporaryDir tmp;
    QString cRacine;
    TVolumesTest volumes;
    std::unique_ptr<TFolderTreeView> tv;
    Arbre()
    {
        cRacine = tmp.path() + QLatin1Char('/');
        volumes.lVolumes = {Volume(QStringLiteral("/"), 0, QString()),
                            Volume(cRacine, 0x1A2B00C4u, QStringLiteral("PHOTOS"), true)};
    }
    void Montre()
    {
        tv = std::make_unique<TFolderTreeView>(&volumes);
        tv->resize(400, 500);
        tv->show();
    }
    QTreeWidgetItem *NoeudCD() const { return tv->topLevelItem(1); }
};
}

TEST(FolderTreeView, DriveTextsFollowSerialAndLabel)
{
    const QString cd = QStringLiteral("/media/cdrom/");
    EXPECT_EQ(TFolderTreeView::TexteLecteur(Volume(cd, 0x1A2B00C4u, QStringLiteral("PHOTOS"))),
              "(/media/cdrom) 1a2b-c4 - \"PHOTOS\"");
    EXPECT_EQ(TFolderTreeView::TexteLecteur(Volume(cd, 0x1A2B00C4u, QString())), "(/media/cdrom) 1a2b-c4");
    // A serial with a zero half is not shown.
    EXPECT_EQ(TFolderTreeView::TexteLecteur(Volume(cd, 0x1A2B0000u, QStringLiteral("PHOTOS"))),
              "(/media/cdrom) \"PHOTOS\"");
    EXPECT_EQ(TFolderTreeView::TexteLecteur(Volume(cd, 0x000000C4u, QString())), "(/media/cdrom)");
    EXPECT_EQ(TFolderTreeView::TexteLecteur(Volume(QStringLiteral("/"), 0, QString())), "(/)");

    TVolume v = Volume(QStringLiteral("/srv/partage/"), 0, QString());
    v.cSysteme = QStringLiteral("nfs4");
    EXPECT_EQ(TFolderTreeView::TypeVolume(v), TFolderTreeView::tvReseau);
    EXPECT_EQ(TFolderTreeView::TypeVolume(Volume(cd, 5, QString(), true)), TFolderTreeView::tvCD);
    EXPECT_EQ(TFolderTreeView::TypeVolume(Volume(QStringLiteral("/media/ann/CLE/"), 0, QString())),
              TFolderTreeView::tvAmovible);
    EXPECT_EQ(TFolderTreeView::TypeVolume(Volume(QStringLiteral("/home/"), 0, QString())), TFolderTreeView::tvFixe);
}

TEST(FolderTreeView, RootsAreSlashAndTheMountPointsReadLazily)
{
    Arbre a;
    Cree(a.cRacine + QStringLiteral("b"));
    Cree(a.cRacine + QStringLiteral("A/sous"));
    Cree(a.cRacine + QStringLiteral("c"));
    Cree(a.cRacine + QStringLiteral(".cache/x"));
    a.Montre();
    ASSERT_EQ(a.tv->topLevelItemCount(), 2);
    EXPECT_EQ(a.tv->topLevelItem(0)->text(0), "(/)");
    EXPECT_EQ(a.NoeudCD()->text(0), "(" + a.tmp.path() + ") 1a2b-c4 - \"PHOTOS\"");
    EXPECT_EQ(a.NoeudCD()->toolTip(0), a.cRacine);
    // Not read yet: one placeholder child.
    EXPECT_EQ(Enfants(a.NoeudCD()), QStringList{QStringLiteral("*")});
    EXPECT_EQ(TFolderTreeView::Info(a.NoeudCD()->child(0)), nullptr);
    a.NoeudCD()->setExpanded(true);
    EXPECT_EQ(Enfants(a.NoeudCD()), (QStringList{"A", "b", "c"})); // sorted, dot folder hidden
    EXPECT_TRUE(TFolderTreeView::Info(a.NoeudCD())->lLu);
    QTreeWidgetItem *pA = a.NoeudCD()->child(0);
    EXPECT_EQ(TFolderTreeView::Info(pA)->cChemin, a.cRacine + "A/");
    EXPECT_EQ(pA->toolTip(0), a.cRacine + "A/");
    EXPECT_EQ(pA->childCount(), 1);                    // has a sub-folder: can be expanded
    EXPECT_EQ(a.NoeudCD()->child(1)->childCount(), 0); // none: no expand button
}

TEST(FolderTreeView, ASingleVolumeListStillHasSlashOnce)
{
    TVolumesTest vide;
    TFolderTreeView tv(&vide);
    ASSERT_EQ(tv.topLevelItemCount(), 1);
    EXPECT_EQ(TFolderTreeView::Info(tv.topLevelItem(0))->cChemin, "/");
    TFolderTreeView sans;
    EXPECT_EQ(sans.topLevelItemCount(), 1);
}

TEST(FolderTreeView, SubFolderProbeIgnoresFilesAndDotFolders)
{
    QTemporaryDir tmp;
    const QString c = tmp.path() + QLatin1Char('/');
    for (int i = 0; i < 200; ++i) {
        QFile f(c + QStringLiteral("img%1.jpg").arg(i));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Cree(c + QStringLiteral(".thumbnails"));
    EXPECT_FALSE(TFolderTreeView::ADesSousDossiers(c));
    // A link to a file is not a folder; a link to a folder is.
    ASSERT_TRUE(QFile::link(c + QStringLiteral("img0.jpg"), c + QStringLiteral("lienfichier")));
    EXPECT_FALSE(TFolderTreeView::ADesSousDossiers(c));
    QTemporaryDir autre;
    ASSERT_TRUE(QFile::link(autre.path(), c + QStringLiteral("lienDossier")));
    EXPECT_TRUE(TFolderTreeView::ADesSousDossiers(c));
    ASSERT_TRUE(QFile::remove(c + QStringLiteral("lienDossier")));
    Cree(c + QStringLiteral("zz"));
    EXPECT_TRUE(TFolderTreeView::ADesSousDossiers(c));
    EXPECT_FALSE(TFolderTreeView::ADesSousDossiers(c + QStringLiteral("manque")));
}

TEST(FolderTreeView, ChoisitDossierSelectsADeepPathExactly)
{
    Arbre a;
    Cree(a.cRacine + QStringLiteral("Photos/2004/Rome/jour 1"));
    Cree(a.cRacine + QStringLiteral("photos/2004"));
    a.Montre();
    QSignalSpy spy(a.tv.get(), &TFolderTreeView::Change);
    const QString cCible = a.cRacine + QStringLiteral("Photos/2004/Rome/jour 1");
    a.tv->ChoisitDossier(cCible);
    EXPECT_EQ(a.tv->DossierCourant(), cCible + "/");
    ASSERT_FALSE(spy.isEmpty());
    EXPECT_EQ(spy.last().at(0).toString(), cCible + "/");
    QTreeWidgetItem *item = a.tv->currentItem();
    QStringList lNiveaux;
    for (QTreeWidgetItem *p = item; p; p = p->parent())
        lNiveaux.prepend(p->text(0));
    EXPECT_EQ(lNiveaux, (QStringList{a.NoeudCD()->text(0), "Photos", "2004", "Rome", "jour 1"}));
    EXPECT_TRUE(item->parent()->isExpanded());
    // Names differing only by case are two folders.
    a.tv->ChoisitDossier(a.cRacine + QStringLiteral("photos/2004/"));
    EXPECT_EQ(a.tv->DossierCourant(), a.cRacine + "photos/2004/");
    EXPECT_EQ(a.tv->currentItem()->parent()->text(0), "photos");
    // A path written with "." and ".." reaches the same node.
    a.tv->ChoisitDossier(a.cRacine + QStringLiteral("Photos/./2004/Rome/../Rome"));
    EXPECT_EQ(a.tv->DossierCourant(), a.cRacine + "Photos/2004/Rome/");
}

TEST(FolderTreeView, UnreachablePathsRaiseCheminNonTrouve)
{
    Arbre a;
    Cree(a.cRacine + QStringLiteral("Photos"));
    Cree(a.cRacine + QStringLiteral(".cache/vignettes"));
    a.Montre();
    a.tv->ChoisitDossier(a.cRacine + QStringLiteral("Photos"));
    const QString cAvant = a.tv->DossierCourant();
    for (const QString &c : {a.cRacine + QStringLiteral("Manque"), a.cRacine + QStringLiteral("photos"),
                             a.cRacine + QStringLiteral(".cache/vignettes"), QStringLiteral("Photos"), QString()}) {
        try {
            a.tv->ChoisitDossier(c);
            ADD_FAILURE() << "no exception for " << qPrintable(c);
        } catch (const ECheminNonTrouve &e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8("Chemin non trouvé."));
        }
        EXPECT_EQ(a.tv->DossierCourant(), cAvant);
    }
}

TEST(FolderTreeView, ShellNodesComeFirstAndOwnTheirFolders)
{
    Arbre a;
    const QString cBureau = a.cRacine + QStringLiteral("Bureau");
    Cree(cBureau + QStringLiteral("/Projets/Album"));
    Cree(a.cRacine + QStringLiteral("Docs"));
    a.Montre();
    a.tv->setDossiersShell(cBureau, a.cRacine + QStringLiteral("Docs"));
    a.tv->set_ShowShellNodes(true);
    ASSERT_EQ(a.tv->topLevelItemCount(), 4);
    EXPECT_EQ(a.tv->topLevelItem(0)->text(0), "Bureau");
    EXPECT_EQ(a.tv->topLevelItem(1)->text(0), "Mes Documents");
    EXPECT_EQ(a.tv->topLevelItem(0)->childCount(), 1); // has a sub-folder
    EXPECT_EQ(a.tv->topLevelItem(1)->childCount(), 0); // has none
    a.tv->ChoisitDossier(cBureau + QStringLiteral("/Projets/Album"));
    QTreeWidgetItem *p = a.tv->currentItem();
    while (p->parent())
        p = p->parent();
    EXPECT_EQ(p->text(0), "Bureau");
}

TEST(FolderTreeView, CreeSousDossierRefusesUnsafeNames)
{
    Arbre a;
    Cree(a.cRacine + QStringLiteral("Photos"));
    a.Montre();
    EXPECT_FALSE(a.tv->CreeSousDossier(QStringLiteral("Nouveau"))); // nothing selected
    a.tv->ChoisitDossier(a.cRacine + QStringLiteral("Photos"));
    const QString cPhotos = a.cRacine + QStringLiteral("Photos/");
    for (const QString &cNom :
         {QString(), QStringLiteral("   "), QStringLiteral("."), QStringLiteral(".."), QStringLiteral(" .. "),
          QStringLiteral("a/b"), QStringLiteral("/"), QStringLiteral("../evasion"), QStringLiteral(".cache")}) {
        EXPECT_FALSE(a.tv->CreeSousDossier(cNom)) << qPrintable(cNom);
        EXPECT_EQ(a.tv->DossierCourant(), cPhotos);
    }
    EXPECT_TRUE(QDir(cPhotos).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(a.cRacine + QStringLiteral("evasion")));

    EXPECT_TRUE(a.tv->CreeSousDossier(QStringLiteral("  2005 ")));
    EXPECT_EQ(a.tv->DossierCourant(), cPhotos + "2005/");
    EXPECT_TRUE(QFileInfo(cPhotos + "2005").isDir());
    EXPECT_EQ(a.tv->currentItem()->text(0), "2005");
}

TEST(FolderTreeView, RafraichitRereadsFoldersAndTheDriveText)
{
    Arbre a;
    Cree(a.cRacine + QStringLiteral("un"));
    a.Montre();
    a.tv->ChoisitDossier(a.cRacine);
    a.NoeudCD()->setExpanded(true);
    EXPECT_EQ(Enfants(a.NoeudCD()), QStringList{QStringLiteral("un")});
    Cree(a.cRacine + QStringLiteral("deux"));
    a.volumes.lVolumes[1].cLabel = QStringLiteral("AUTRE");
    a.volumes.lVolumes[1].nSerie = 0x12345678u;
    QAction *act = a.tv->ActionRafraichir();
    EXPECT_EQ(act->text(), QString::fromUtf8("&Rafraîchir"));
    EXPECT_EQ(act->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(act->isEnabled());
    act->trigger();
    EXPECT_EQ(Enfants(a.NoeudCD()), (QStringList{"deux", "un"}));
    EXPECT_EQ(a.NoeudCD()->text(0), "(" + a.tmp.path() + ") 1234-5678 - \"AUTRE\"");
    EXPECT_EQ(a.tv->DossierCourant(), a.cRacine);

    a.tv->setCurrentItem(nullptr);
    EXPECT_FALSE(act->isEnabled());
}

TEST(FolderTreeView, RightClickOpensTheMenuWithoutChangingTheFolder)
{
    Arbre a;
    Cree(a.cRacine + QStringLiteral("un"));
    Cree(a.cRacine + QStringLiteral("deux"));
    a.Montre();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(a.tv.get()));
    a.tv->ChoisitDossier(a.cRacine + QStringLiteral("un"));
    QTreeWidgetItem *Deux = a.NoeudCD()->child(0);
    ASSERT_EQ(Deux->text(0), "deux");
    const QPoint p = a.tv->visualItemRect(Deux).center();
    QSignalSpy spy(a.tv.get(), &TFolderTreeView::Change);

    QTest::mouseClick(a.tv->viewport(), Qt::RightButton, {}, p);
    // The pop-up menu, closed as soon as it shows.
    QTimer::singleShot(0, [] {
        if (QWidget *Menu = QApplication::activePopupWidget())
            Menu->close();
    });
    QContextMenuEvent Menu(QContextMenuEvent::Mouse, p, a.tv->viewport()->mapToGlobal(p));
    QApplication::sendEvent(a.tv->viewport(), &Menu);

    EXPECT_EQ(a.tv->DossierCourant(), a.cRacine + "un/");
    EXPECT_TRUE(spy.isEmpty());
    EXPECT_TRUE(a.tv->ActionRafraichir()->isEnabled());
    // A left click still selects.
    QTest::mouseClick(a.tv->viewport(), Qt::LeftButton, {}, p);
    EXPECT_EQ(a.tv->DossierCourant(), a.cRacine + "deux/");
}
