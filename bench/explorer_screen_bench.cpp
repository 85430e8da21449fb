// The database explorer's grid: a folder node of 2,000 images whose thumbnails are cached,
// selected in the folder tree of the "Base de données" page, to the first screenful of the
// grid painted (offscreen platform, or any screen). Figures in milliseconds of wall time, with
// the processor time of the thread beside them, the machine being shared:
//   explorer_first_screen   the selection to the grid's first paint holding a screenful of
//                           thumbnails (its count printed as explorer_first_screen_items);
//   explorer_node_listed    the selection to the whole node listed.
// With "--captures DIR" it measures nothing: it opens the window on a small generated catalogue
// (folders, keywords, EXIF) and saves pictures of the screen on the folder, keyword and EXIF
// pages in DIR (run it on a virtual screen with a window manager).

#include "ExifGenere.h"
#include "PhotoGeneree.h"
#include "classification/ArboCriteres.h"
#include "classification/ExploreBDD_fm.h"
#include "classification/IndexClassement.h"
#include "components/PaneledListView.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "storage/TaillesVignettes.h"
#include "support/DossierDonneesTemporaire.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{
constexpr int nImages = 2000;

double MsCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

void Bench(const char *cNom, double d, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, d, cUnite);
    std::fflush(stdout);
}

// Notes the first paint of the grid's viewport once it holds a screenful of thumbnails.
class TGuetPeinture : public QObject
{
public:
    TPaneledListView *plv = nullptr;
    QElapsedTimer Montre;
    double dCpu0 = 0;
    double dMur = -1, dCpu = -1;
    bool lActif = false;
    int nEcran = 1; // the items of one screenful

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (lActif && e->type() == QEvent::Paint && plv && o == plv->viewport() && plv->Nombre() > 0 && dMur < 0) {
            // The figure is taken once the paint is done.
            plv->viewport()->removeEventFilter(this);
            const bool l = QCoreApplication::sendEvent(plv->viewport(), e);
            dMur = double(Montre.nsecsElapsed()) / 1e6;
            dCpu = MsCpu() - dCpu0;
            plv->viewport()->installEventFilter(this);
            return l;
        }
        return false;
    }
};

QTreeWidgetItem *NoeudNomme(QTreeWidget *t, const QString &cTexte)
{
    for (QTreeWidgetItemIterator it(t); *it; ++it)
        if ((*it)->text(0) == cTexte)
            return *it;
    return nullptr;
}
// The folder, keyword and EXIF pages of a small catalogue, saved as pictures of the screen.
int Captures(const QString &cDossier)
{
    TDossierDonneesTemporaire Donnees;
    auto Contexte = Donnees.NouveauContexte();
    Contexte->Messages = std::make_unique<TMessagesFactices>();
    Contexte->FixeDossiers();
    Contexte->OuvreStores();
    const QString cPhotos = Donnees.Temp.filePath(QStringLiteral("Photos"));
    const char *const Dossiers[] = {"2004/Rome", "2004/Rome/Colisée", "2005/Bretagne", "2005/Noël en famille",
                                    "2006/Week-end à Lyon"};
    const char *const Modeles[] = {"Canon EOS 300D", "NIKON D70", "DSC-W1"};
    const quint32 Vitesses[] = {250, 60, 125, 2000};
    const char *const Mots[] = {"mer", "ROME", "famille", "nuit"};
    int i = 0;
    for (const char *d : Dossiers) {
        QDir().mkpath(cPhotos + QLatin1Char('/') + QString::fromUtf8(d));
        for (int k = 0; k < 9; ++k, ++i) {
            const QString c = cPhotos + QLatin1Char('/') + QString::fromUtf8(d)
                              + QStringLiteral("/IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
            const QByteArray Jpeg = JpegCodec::EncodeMemoire(::Photo(480, 360, quint32(i)), 85);
            const QByteArray cDate =
                QStringLiteral("200%1:0%2:1%3 12:00:00").arg(4 + i % 3).arg(1 + i % 9).arg(i % 10).toLatin1();
            QFile f(c);
            if (!f.open(QIODevice::WriteOnly)
                || f.write(AvecEXIF(Jpeg, BlocEXIF(Modeles[i % 3], Vitesses[i % 4], 28 + 8 * (i % 4),
                                                   quint16(100 << (i % 3)), cDate, 18 + 17 * (i % 3))))
                       <= 0)
                return 1;
            Contexte->iniBDD->WriteString(c, QStringLiteral("Lieux"), QString());
            if (i % 2 == 0)
                Contexte->iniSetup->WriteString(cSectionMotsCles, c,
                                                QString::fromLatin1(Mots[i % 4]) + QLatin1Char(' ')
                                                    + QString::fromLatin1(Mots[(i / 2) % 4]));
        }
    }
    Contexte->iniSetup->WriteString(cSectionCritHier, QStringLiteral("Lieux"), QString());
    TIndexClassement Index(*Contexte->iniBDD, *Contexte->iniSetup);
    TArboCriteres Arbo;
    Arbo.ChargerArboCritHier(*Contexte->iniSetup, Contexte->Parametres, Contexte->Dossiers.cDossierImgsCH);
    TfmExploreBDD Fenetre(*Contexte, Index, &Arbo, nullptr);
    Fenetre.show();
    if (!QTest::qWaitForWindowExposed(&Fenetre))
        return 1;
    QDir().mkpath(cDossier);
    auto Capture = [&](const char *cNom) {
        QTest::qWait(1500);
        return QApplication::primaryScreen()->grabWindow(0).save(cDossier + QLatin1Char('/') + QLatin1String(cNom));
    };
    auto *tvBDD = Fenetre.findChild<QTreeWidget *>(QStringLiteral("tvBDD"));
    if (QTreeWidgetItem *n = NoeudNomme(tvBDD, QStringLiteral("Rome")))
        tvBDD->setCurrentItem(n);
    bool l = Capture("n45-dossiers.png");
    Fenetre.pcExploreBDD->setCurrentIndex(TfmExploreBDD::pMC);
    auto *tvMCHaut = Fenetre.findChild<QTreeWidget *>(QStringLiteral("tvMCHaut"));
    if (QTreeWidgetItem *n = NoeudNomme(tvMCHaut, QStringLiteral("ROME")))
        tvMCHaut->setCurrentItem(n);
    l = Capture("n45-mots-cles.png") && l;
    Fenetre.pcExploreBDD->setCurrentIndex(TfmExploreBDD::pEXIF);
    Fenetre.btEXIFOrdreValiderClick();
    auto *tvEXIFHaut = Fenetre.findChild<QTreeWidget *>(QStringLiteral("tvEXIFHaut"));
    if (QTreeWidgetItem *r = tvEXIFHaut->topLevelItem(0); r && r->childCount() > 1) {
        r->child(1)->setExpanded(true);
        tvEXIFHaut->setCurrentItem(r->child(1)->childCount() ? r->child(1)->child(0) : r->child(1));
    }
    l = Capture("n45-exif.png") && l;
    return l ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication App(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--captures")
        return Captures(QString::fromLocal8Bit(argv[2]));
    TDossierDonneesTemporaire Donnees;
    auto Contexte = Donnees.NouveauContexte();
    Contexte->Messages = std::make_unique<TMessagesFactices>();
    Contexte->FixeDossiers();
    Contexte->OuvreStores();

    // The large node "grand" and a one-image node "petit" selected before it; every image has
    // its cached thumbnail, as after a first visit.
    const QString cPhotos = Donnees.Temp.filePath(QStringLiteral("photos"));
    QDir().mkpath(cPhotos + QStringLiteral("/grand"));
    QDir().mkpath(cPhotos + QStringLiteral("/petit"));
    const QByteArray Photo = JpegCodec::EncodeMemoire(::Photo(320, 240, 7), 85);
    const QByteArray Vignette = JpegCodec::EncodeMemoire(::Photo(120, 90, 7), 80);
    const QString &cVignettes = Contexte->Dossiers.cDossierVignettes;
    QDir().mkpath(cVignettes);
    std::vector<QString> Fichiers;
    for (int i = 0; i <= nImages; ++i)
        Fichiers.push_back(i < nImages ? cPhotos + QStringLiteral("/grand/IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))
                                       : cPhotos + QStringLiteral("/petit/IMG_0000.jpg"));
    for (const QString &c : Fichiers) {
        QFile f(c), v(NomVignette(cVignettes, 0, c));
        QDir().mkpath(QFileInfo(v.fileName()).absolutePath());
        if (!f.open(QIODevice::WriteOnly) || f.write(Photo) != Photo.size() || !v.open(QIODevice::WriteOnly)
            || v.write(Vignette) != Vignette.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(c));
            return 1;
        }
        Contexte->iniBDD->WriteString(c, QStringLiteral("Lieux"), QString());
    }

    TIndexClassement Index(*Contexte->iniBDD, *Contexte->iniSetup);
    TArboCriteres Arbo;
    TfmExploreBDD Fenetre(*Contexte, Index, &Arbo, nullptr);
    Fenetre.resize(1280, 900);
    Fenetre.show();
    if (!QTest::qWaitForWindowExposed(&Fenetre)) {
        std::fprintf(stderr, "the window is not shown\n");
        return 1;
    }
    auto *tvBDD = Fenetre.findChild<QTreeWidget *>(QStringLiteral("tvBDD"));
    auto *plv = Fenetre.findChild<TPaneledListView *>(QStringLiteral("plvBDDVigs"));
    QTreeWidgetItem *Grand = NoeudNomme(tvBDD, QStringLiteral("grand"));
    QTreeWidgetItem *Petit = NoeudNomme(tvBDD, QStringLiteral("petit"));
    if (!tvBDD || !plv || !Grand || !Petit) {
        std::fprintf(stderr, "the folder tree lacks its nodes\n");
        return 1;
    }

    TGuetPeinture Guet;
    Guet.plv = plv;
    const int nD = plv->_ItemDim();
    Guet.nEcran = std::min(nImages, (plv->viewport()->width() / PasXCellule(nD) + 1)
                                        * (plv->viewport()->height() / PasYCellule(nD) + 1));
    Bench("explorer_first_screen_items", Guet.nEcran, "items");
    plv->viewport()->installEventFilter(&Guet);
    std::vector<double> Premiers, PremiersCpu, Entiers, EntiersCpu;
    for (int nEssai = 0; nEssai < 5; ++nEssai) {
        tvBDD->setCurrentItem(Petit);
        QTest::qWait(50);
        Guet.dMur = -1;
        Guet.lActif = true;
        Guet.dCpu0 = MsCpu();
        Guet.Montre.start();
        tvBDD->setCurrentItem(Grand);
        const double dEntier = double(Guet.Montre.nsecsElapsed()) / 1e6;
        const double dEntierCpu = MsCpu() - Guet.dCpu0;
        Guet.lActif = false;
        if (plv->Nombre() != nImages || Guet.dMur < 0) {
            std::fprintf(stderr, "the node shows %d images of %d%s\n", plv->Nombre(), nImages,
                         Guet.dMur < 0 ? ", never painted while listed" : "");
            return 1;
        }
        Premiers.push_back(Guet.dMur);
        PremiersCpu.push_back(Guet.dCpu);
        Entiers.push_back(dEntier);
        EntiersCpu.push_back(dEntierCpu);
    }
    auto Median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    Bench("explorer_first_screen", Median(Premiers), "ms");
    Bench("explorer_first_screen_cpu", Median(PremiersCpu), "ms");
    Bench("explorer_node_listed", Median(Entiers), "ms");
    Bench("explorer_node_listed_cpu", Median(EntiersCpu), "ms");
    return 0;
}
