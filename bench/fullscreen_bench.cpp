// The full-screen viewer's pictures: 40 photo-like 24 MP JPEGs shown fitted ("Ajusté") on the
// screen (run it on a 1920 × 1080 Xvfb screen). Figures are in milliseconds of wall time, each
// with its processor time of the whole process (worker included) beside it as *_cpu, since the
// machine is shared:
//   fullscreen_first       the decode-ahead worker asked with nothing ahead, orientation 6
//                          applied, to painted on a screen-sized surface;
//   fullscreen_next, _prev the real window: a key event sent to it, 300 ms apart, to the
//                          picture painted (median);
//   fullscreen_held        20 key presses at 30 per second, from the last one to painted;
//   fullscreen_peak_memory the process's peak resident size;
//   fullscreen_first_vs_vips `vips thumbnail` to 1920 × 1080 for the same files, same run;
//   floating_move          the floating thumbnail's whole handling of one mouse move (event
//                          filter, label rectangle, provider, choice) over a node of 5,000 files.

#include "PhotoGeneree.h"
#include "calendar/PleinEcran.h"
#include "calendar/PleinEcran_fm.h"
#include "calendar/VignetteFlottante.h"
#include "calendar/VignetteFlottante_fm.h"
#include "components/ComboZoom.h"
#include "components/FolderTreeView.h"
#include "exploration/Exploration_fm.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "mainwindow/Parametres_fm.h"
#include "support/DossierDonneesTemporaire.h"
#include "support/MessagesFactices.h"
#include "exploration/ChargeurImage.h"
#include "exploration/RapportZoom.h"
#include "imaging/JpegCodec.h"
#include "treatments/TraitementsImage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTest>
#include <QTreeWidget>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <sys/resource.h>
#include <vector>

using namespace PleinEcran;

namespace
{
constexpr int nFichiers = 40;
const QSize Ecran(1920, 1080);

double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void Capture(const QString &cFichier)
{
    if (QScreen *s = QGuiApplication::primaryScreen())
        s->grabWindow(0).save(cFichier);
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Bench(const char *cNom, double v, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, v, cUnite);
    std::fflush(stdout);
}

// Waits without spinning for the worker to post a result.
struct TSignal
{
    std::mutex m;
    std::condition_variable c;
    int n = 0;
    void Poste()
    {
        {
            std::lock_guard l(m);
            ++n;
        }
        c.notify_all();
    }
    void Attend(int &nVu)
    {
        std::unique_lock l(m);
        c.wait(l, [&] { return n != nVu; });
        nVu = n;
    }
};

// The picture fitted and painted as the viewer's window paints it.
void Peint(QImage &Surface, const TImagePleinEcran &Image)
{
    const TDisposition d = DisposerImage(Image.Taille, Ecran, true, {});
    QPainter p(&Surface);
    if (Image.Affichee.size() == d.Taille) {
        p.drawImage(d.Position, Image.Affichee);
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(d.Position, d.Taille), Image.Image);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    // --captures DIR: screenshots of the full-screen view and of the floating thumbnail.
    const QStringList Arguments = App.arguments();
    const qsizetype nCaptures = Arguments.indexOf(QStringLiteral("--captures"));
    const QString cCaptures = nCaptures >= 0 && nCaptures + 1 < Arguments.size() ? Arguments[nCaptures + 1] : QString();
    TDossierDonneesTemporaire Donnees;
    QTemporaryDir &Temp = Donnees.Temp;
    const QString cPhotos = Temp.filePath(QStringLiteral("photos")) + QLatin1Char('/');
    QDir().mkpath(cPhotos);
    QStringList Fichiers;
    for (int i = 0; i < nFichiers; ++i) {
        const QString c = cPhotos + QStringLiteral("photo_%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
        if (!JpegCodec::Encode(Photo(6000, 4000, quint32(i + 1)), c, 90)) {
            std::fprintf(stderr, "génération des photos impossible\n");
            return 1;
        }
        Fichiers << c;
    }

    TRecetteTrts Recette;
    Recette.nOrientation = 6;
    const QList<TTrt> Trts = OperationsTrts(Recette);
    TSignal Signal;
    int nVu = 0;
    TAvanceImages Avance(
        [&](const QString &cFichier, const std::atomic<bool> &lAbandon) {
            // The viewer's own decoder, as its window runs it on its workers.
            return ImagePourEcran(cFichier, {RapportZoom::nAjuste, Ecran, Trts, true}, lAbandon, 0);
        },
        [&] { Signal.Poste(); });
    QImage Surface(Ecran, QImage::Format_RGB32);
    const auto Voisins = [&](int n) {
        return std::make_pair(Fichiers[(n + 1) % nFichiers], Fichiers[(n + nFichiers - 1) % nFichiers]);
    };
    // Shows image n: the milliseconds of processor time from the request to painted.
    const auto Montre = [&](int n) {
        QElapsedTimer t;
        t.start();
        const double t0 = CpuMs();
        const auto [cSuivant, cPrecedent] = Voisins(n);
        std::optional<TImagePleinEcran> Image = Avance.Demande(Fichiers[n], cSuivant, cPrecedent);
        while (!Image) {
            Signal.Attend(nVu);
            Image = Avance.Recoit();
        }
        Peint(Surface, *Image);
        return std::make_pair(t.nsecsElapsed() / 1e6, CpuMs() - t0);
    };
    const auto AttendRepos = [&] {
        while (Avance.Occupe()) {
            QThread::msleep(2);
            Avance.Recoit();
        }
    };

    std::vector<double> Premieres, PremieresCpu;
    for (int n : {0, 10, 20}) {
        AttendRepos();
        Avance.Demande({}, {}, {});
        const auto [ms, cpu] = Montre(n);
        Premieres.push_back(ms);
        PremieresCpu.push_back(cpu);
    }
    const double msPremiere = Mediane(PremieresCpu);
    Bench("fullscreen_first", Mediane(Premieres), "ms");
    Bench("fullscreen_first_cpu", msPremiere, "ms");

    const QString cVips = QStandardPaths::findExecutable(QStringLiteral("vips"));
    if (!cVips.isEmpty()) {
        std::vector<double> Vips;
        for (int i : {0, 10, 20}) {
            QProcess p;
            struct rusage Avant
            {
            };
            getrusage(RUSAGE_CHILDREN, &Avant);
            p.start(cVips,
                    {QStringLiteral("thumbnail"), Fichiers[i], Temp.filePath(QStringLiteral("vips.v")),
                     QString::number(Ecran.width()), QStringLiteral("--height"), QString::number(Ecran.height())});
            if (!p.waitForFinished(600000) || p.exitCode() != 0)
                break;
            struct rusage Apres
            {
            };
            getrusage(RUSAGE_CHILDREN, &Apres);
            const auto Ms = [](const rusage &u) {
                return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
            };
            Vips.push_back(Ms(Apres) - Ms(Avant));
        }
        if (Vips.size() == 3)
            Bench("fullscreen_first_vs_vips", Mediane(Vips) / msPremiere, "x");
    } else {
        std::printf("# vips absent\n");
    }

    // The real window over the main list of the 40 photos.
    auto Contexte = Donnees.NouveauContexte();
    Contexte->Messages = std::make_unique<TMessagesFactices>();
    TfmMainKX Main(*Contexte);
    Main.FormCreate(nullptr);
    Contexte->Parametres.vfGene_lActive = true;
    Contexte->Parametres.vfGene_nQuelleImg = 3;
    Main.showNormal();
    Main.resize(1000, 700);
    Main.activateWindow();
    QTest::qWaitForWindowActive(&Main);
    QTest::qWait(50);
    auto *Expl = Main.findChild<TExplorationKX *>();
    if (!Expl || !Expl->OuvreDossier(cPhotos) || Main.Modele().Nombre() != nFichiers) {
        std::fprintf(stderr, "liste principale impossible\n");
        return 1;
    }
    Main.ListeZoom()->setCurrentIndex(RapportZoom::nAjuste);
    Main.Selection().MetLigneCourante(20);
    {
        TfmPleinEcran fm(Main, *Contexte, Qt::black);
        fm.AfficherPleinEcran();
        fm.show();
        QTest::qWaitForWindowExposed(&fm);
        fm.AttendImage(60000);
        auto *Zone = fm.findChild<QWidget *>(QStringLiteral("sbPleinEcran"));
        const auto Repos = [&] {
            QTest::qWaitFor([&] { return !fm.Avance().Occupe(); }, 60000);
            QTest::qWait(300);
        };
        // From the key sent to the picture painted: wall and processor milliseconds.
        const auto Touche = [&](Qt::Key nTouche) {
            QElapsedTimer t;
            t.start();
            const double c0 = CpuMs();
            QTest::keyClick(&fm, nTouche);
            fm.AttendImage(60000);
            Zone->repaint();
            return std::make_pair(t.nsecsElapsed() / 1e6, CpuMs() - c0);
        };
        std::vector<double> Suiv, SuivCpu, Prec, PrecCpu;
        for (int i = 0; i < 12; ++i) {
            Repos();
            const auto [ms, cpu] = Touche(Qt::Key_Right);
            Suiv.push_back(ms);
            SuivCpu.push_back(cpu);
        }
        for (int i = 0; i < 12; ++i) {
            Repos();
            const auto [ms, cpu] = Touche(Qt::Key_Left);
            Prec.push_back(ms);
            PrecCpu.push_back(cpu);
        }
        Bench("fullscreen_next", Mediane(Suiv), "ms");
        Bench("fullscreen_next_cpu", Mediane(SuivCpu), "ms");
        Bench("fullscreen_prev", Mediane(Prec), "ms");
        Bench("fullscreen_prev_cpu", Mediane(PrecCpu), "ms");
        Repos();
        for (int i = 0; i < 19; ++i) {
            QTest::keyClick(&fm, Qt::Key_Right);
            QTest::qWait(33);
        }
        const auto [ms, cpu] = Touche(Qt::Key_Right);
        Bench("fullscreen_held", ms, "ms");
        Bench("fullscreen_held_cpu", cpu, "ms");
        if (!cCaptures.isEmpty()) {
            QTest::qWait(500);
            Capture(cCaptures + QStringLiteral("/pleinecran.png"));
        }
        fm.close();
    }
    if (!cCaptures.isEmpty()) {
        // The floating thumbnail over the folder tree of the settings window.
        Contexte->Parametres.vfGene_nMaxLH = 8000;
        Contexte->Parametres.vfGene_nQuelleImg = 3;
        Main.findChild<TPleinEcranKX *>()->MajVignetteFlottante();
        TfmParametres Reglages(*Contexte, &Main);
        auto *tv = Reglages.findChild<TFolderTreeView *>(QStringLiteral("tvEmplDon"));
        tv->set_FixedDisksOnly(false);
        tv->Remplit();
        tv->ChoisitDossier(cPhotos);
        // The page holding the tree.
        for (QWidget *w = tv; w; w = w->parentWidget())
            if (auto *Onglets =
                    qobject_cast<QTabWidget *>(w->parentWidget() ? w->parentWidget()->parentWidget() : nullptr))
                if (Onglets->indexOf(w) >= 0)
                    Onglets->setCurrentWidget(w);
        Reglages.show();
        QTest::qWaitForWindowExposed(&Reglages);
        QTest::qWait(500);
        tv->scrollToItem(tv->currentItem());
        const QRect r = tv->visualItemRect(tv->currentItem());
        QCursor::setPos(tv->viewport()->mapToGlobal(QPoint(r.left() + 40, r.center().y())));
        QTest::qWait(300);
        QCursor::setPos(tv->viewport()->mapToGlobal(QPoint(r.left() + 44, r.center().y())));
        if (auto *vf = Main.findChild<TPleinEcranKX *>()->VignetteFlottante())
            vf->AttendChargement(20000);
        QTest::qWait(800);
        Capture(cCaptures + QStringLiteral("/vignette-flottante.png"));
    }

    struct rusage Usage
    {
    };
    getrusage(RUSAGE_SELF, &Usage);
    Bench("fullscreen_peak_memory", Usage.ru_maxrss / 1024.0, "MB");

    // The floating thumbnail over a node of 5,000 image files: listed once on entering, then
    // every move goes through the whole handling.
    const QString cNoeud = Temp.filePath(QStringLiteral("noeud")) + QLatin1Char('/');
    QDir().mkpath(cNoeud);
    // Every file a real picture the size of a cached thumbnail, so that each position loads.
    const QByteArray Petite = JpegCodec::EncodeMemoire(Photo(160, 120, 7));
    for (int i = 0; i < 5000; ++i) {
        QFile f(cNoeud + QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(Petite) != Petite.size()) {
            std::fprintf(stderr, "dossier de cinq mille photos impossible\n");
            return 1;
        }
    }
    QTreeWidget Arbre;
    Arbre.setHeaderHidden(true);
    Arbre.resize(400, 300);
    auto *Item = new QTreeWidgetItem(&Arbre, {QStringLiteral("un dossier de cinq mille photos")});
    Arbre.show();
    QTest::qWaitForWindowExposed(&Arbre);
    TfmVignetteFlottante vf(*Contexte);
    vf.Suivre(&Arbre, 0, [cNoeud](const QTreeWidgetItem *) {
        TNoeudVF n;
        n.lValide = true;
        n.cIdentite = cNoeud;
        n.cDossier = cNoeud;
        n.fnListe = [cNoeud] {
            return VignetteFlottante::ListeDossier(cNoeud, false, false, [](const QString &) { return QString(); });
        };
        return n;
    });
    const QRect r = Arbre.visualItemRect(Item);
    const auto Bouge = [&](int x) {
        const QPoint pt(x, r.center().y());
        QMouseEvent e(QEvent::MouseMove, pt, Arbre.viewport()->mapToGlobal(pt), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(Arbre.viewport(), &e);
    };
    Bouge(r.left() + 20);
    vf.AttendChargement(60000);
    const int nMouvements = 20000;
    QElapsedTimer t;
    t.start();
    const double c0 = CpuMs();
    for (int i = 0; i < nMouvements; ++i)
        Bouge(r.left() + 20 + i % 150);
    Bench("floating_move", t.nsecsElapsed() / 1e3 / nMouvements, "us");
    Bench("floating_move_cpu", (CpuMs() - c0) * 1e3 / nMouvements, "us");
    vf.AttendChargement(60000);
    if (vf.TexteNombre().isEmpty())
        std::printf("# the floating thumbnail showed no image of the node\n");
    return 0;
}
