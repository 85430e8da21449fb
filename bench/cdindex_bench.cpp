// Indexes a simulated CD of 1,000 photo-like 12-megapixel JPEGs (hard links of 50 pictures)
// in 10 folders, files warmed, into an empty cache; compares it with the recursive first
// listing of the same folder into another empty cache; indexes it again without remaking the
// thumbnails; rebuilds the CD tree from 100,000 history keys on 40 discs.
//
// Usage: cdindex_bench [pictures folder]   (the 50 pictures are generated once into /tmp)
//        cdindex_bench --arbre               (the tree alone)

#include "PhotoGeneree.h"
#include "cdhistory/ArboCD.h"
#include "cdhistory/IndexationCD.h"
#include "exploration/ListeImages.h"
#include "exploration/ModeleListe.h"
#include "imaging/JpegCodec.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "thumbnails/ThumbnailCache.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>
#include <unistd.h>

namespace
{
constexpr int nSources = 50;
constexpr int nDossiers = 10;
constexpr int nParDossier = 100;
constexpr quint32 nSerie = 0x4B2C0017u;

QString Genere(const QString &cDossier)
{
    QDir().mkpath(cDossier);
    const QStringList Deja = QDir(cDossier).entryList({QStringLiteral("*.JPG")}, QDir::Files);
    if (Deja.size() == nSources)
        return cDossier;
    std::fprintf(stderr, "generating %d pictures of 4000x3000 in %s\n", nSources, qPrintable(cDossier));
    for (int n = 0; n < nSources; ++n) {
        const QString c = cDossier + QStringLiteral("/P%1.JPG").arg(n, 3, 10, QLatin1Char('0'));
        if (!JpegCodec::Encode(Photo(4000, 3000, quint32(n)), c)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(c));
            std::exit(1);
        }
    }
    return cDossier;
}

double SecondesCPU()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

struct TMesure
{
    double nSecondes = 0;
    double nCPU = 0;
    int nFaites = 0;
};

template <class F>
TMesure Mesure(F &&Travail)
{
    QElapsedTimer t;
    t.start();
    const double nCPU0 = SecondesCPU();
    TMesure m;
    m.nFaites = Travail();
    m.nSecondes = t.nsecsElapsed() / 1e9;
    m.nCPU = SecondesCPU() - nCPU0;
    return m;
}

TParamsIndexationCD Params(const QString &cVignettes, bool lRecreer)
{
    TParamsIndexationCD p;
    p.TypesCoches = QList<bool>(TypesIndexationCD().size(), true);
    p.lRecrVigExist = lRecreer;
    p.Vignettes.cDossierVignettes = cVignettes;
    p.Vignettes.nD = 160;
    return p;
}

// The recursive first listing as the main window runs it: the walk, then the thumbnails.
int PremiereListe(const QString &cDisque, const QString &cVignettes, const IVolumes &Volumes)
{
    TBigIniFile iniSetup(cVignettes + QStringLiteral("../KX_Setup.ini"));
    iniSetup.lAutoSave = false;
    TBigIniFile iniBDD(cVignettes + QStringLiteral("../KX_BDD.ini"), true);
    iniBDD.lAutoSave = false;
    TModeleListeImages Modele;
    TContexteListe Ctx;
    Ctx.iniSetup = &iniSetup;
    Ctx.iniBDD = &iniBDD;
    Ctx.pVolumes = &Volumes;
    Ctx.cDossierVignettes = cVignettes;
    TDemandeListe Demande;
    Demande.cDossier = cDisque;
    Demande.lRecursif = true;
    const int nLignes = ConstruitListe(Modele, Ctx, Demande);
    TParamsVignettes P;
    P.cDossierVignettes = cVignettes;
    P.nD = 160;
    int nFaites = 0;
    TPiloteVignettes Pilote;
    Pilote.Prepare = [&](int i) {
        const TEnrLV &e = Modele.Enr(i);
        TImageVignette v;
        v.nNumCD = e.nNumCD;
        v.cLecteur = e.cLecteur;
        v.cChemin = e.cChemin;
        v.lExiste = e.lExiste;
        return PrepareVignette(iniSetup, P, v);
    };
    Pilote.Applique = [&](int i, const TTravailVignette &t, TResultatVignette &r) {
        EcritDonneesVignette(iniSetup, t, r, {});
        Modele.MetVignette(i, r.Vignette);
        if (r.lEcrite)
            ++nFaites;
    };
    ChargeVignettesEnOrdre(nLignes, Pilote);
    iniSetup.UpdateFile();
    return nFaites;
}
// Rebuilds the tree of 100,000 keys on 40 discs, 25 folders each, five times: the median wall
// and processor times.
bool MesureArbre(const QString &cFichier, double &nMs, double &nCPUMs)
{
    // 100,000 keys on 40 discs, 25 folders each.
    TBigIniFile iniArbre(cFichier);
    iniArbre.lAutoSave = false;
    for (int k = 0; k < 100000; ++k) {
        const qint32 nCD = qint32(0x10000001u + quint32(k % 40) * 0x10001u);
        iniArbre.WriteString(cSectionTaillesVignettes,
                             CleImage(nCD, QStringLiteral("/DCIM/%1/SOUS%2/IMG_%3.JPG")
                                               .arg(100 + (k / 40) % 25)
                                               .arg((k / 1000) % 2)
                                               .arg(k, 6, 10, QLatin1Char('0'))),
                             QStringLiteral("123456"));
    }
    std::vector<double> Arbres, ArbresCPU;
    QStringList Cles;
    QElapsedTimer tLecture;
    tLecture.start();
    iniArbre.ReadSection(cSectionTaillesVignettes, Cles);
    const double nLecture = tLecture.nsecsElapsed() / 1e6;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        const double nCPU0 = SecondesCPU();
        const TArboCD a = ConstruitArboCD(iniArbre, {});
        Arbres.push_back(t.nsecsElapsed() / 1e6);
        ArbresCPU.push_back((SecondesCPU() - nCPU0) * 1e3);
        if (!a.Racine || a.Racine->Enfants.size() != 40) {
            std::fprintf(stderr, "unexpected tree\n");
            return false;
        }
    }
    std::sort(Arbres.begin(), Arbres.end());
    std::sort(ArbresCPU.begin(), ArbresCPU.end());
    std::fprintf(stderr, "tree: reading the keys %.1f ms, whole build median %.1f ms (cpu %.1f ms)\n", nLecture,
                 Arbres[2], ArbresCPU[2]);

    nMs = Arbres[2];
    nCPUMs = ArbresCPU[2];
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir TempArbre;
    double nArbre = 0, nArbreCPU = 0;
    if (!MesureArbre(TempArbre.path() + QStringLiteral("/arbre.ini"), nArbre, nArbreCPU))
        return 1;
    // "--arbre": the tree alone.
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--arbre")) {
        std::printf("BENCH cdtree_100000 %.1f ms\n", nArbre);
        return 0;
    }
    const QString cSources = Genere(argc > 1 ? QString::fromLocal8Bit(argv[1])
                                             : QDir::tempPath() + QStringLiteral("/vimbrel-cdindex-bench-photos"));
    QTemporaryDir Temp;
    const QString cDisque = Temp.path() + QStringLiteral("/cd/");
    for (int d = 0; d < nDossiers; ++d) {
        const QString cDossier = cDisque + QStringLiteral("DCIM/%1CANON/").arg(100 + d);
        QDir().mkpath(cDossier);
        for (int i = 0; i < nParDossier; ++i) {
            const QString cSource =
                cSources + QStringLiteral("/P%1.JPG").arg((d * nParDossier + i) % nSources, 3, 10, QLatin1Char('0'));
            const QString cLien = cDossier + QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
            if (::link(QFile::encodeName(cSource).constData(), QFile::encodeName(cLien).constData()) != 0) {
                std::fprintf(stderr, "cannot link %s\n", qPrintable(cLien));
                return 1;
            }
        }
    }
    // Warmed: both runs find the pictures in the page cache.
    for (const QFileInfo &Fichier : QDir(cSources).entryInfoList(QDir::Files)) {
        QFile f(Fichier.filePath());
        if (f.open(QIODevice::ReadOnly))
            while (!f.read(1 << 20).isEmpty()) {
            }
    }
    TVolumesFactices Volumes;
    TVolume Racine;
    Racine.cPointMontage = QStringLiteral("/");
    Volumes.Ajoute(Racine);
    Volumes.AjouteCD(cDisque, nSerie, QStringLiteral("BANC"));

    const QString cIndex = Temp.path() + QStringLiteral("/index/Vignettes/");
    const QString cListe = Temp.path() + QStringLiteral("/liste/Vignettes/");
    QDir().mkpath(cIndex);
    QDir().mkpath(cListe);
    TBigIniFile iniSetup(Temp.path() + QStringLiteral("/index/KX_Setup.ini"));
    iniSetup.lAutoSave = false;

    const int nImages = nDossiers * nParDossier;
    const TMesure Index = Mesure([&] {
        TIndexationCD x(iniSetup, Volumes, Params(cIndex, true));
        return x.Indexe(cDisque).nTraitees;
    });
    const TMesure Liste = Mesure([&] { return PremiereListe(cDisque, cListe, Volumes); });
    const TMesure Encore = Mesure([&] {
        TIndexationCD x(iniSetup, Volumes, Params(cIndex, false));
        const TBilanIndexationCD b = x.Indexe(cDisque);
        return b.nDejaLa;
    });
    if (Index.nFaites != nImages || Liste.nFaites != nImages || Encore.nFaites != nImages) {
        std::fprintf(stderr, "unexpected counts: indexed %d, listed %d, skipped %d\n", Index.nFaites, Liste.nFaites,
                     Encore.nFaites);
        return 1;
    }

    std::fprintf(stderr,
                 "threads %d; index %.2f s (cpu %.2f s), first listing %.2f s (cpu %.2f s), again %.3f s (cpu %.3f "
                 "s), tree median of 5 %.1f ms\n",
                 QThread::idealThreadCount(), Index.nSecondes, Index.nCPU, Liste.nSecondes, Liste.nCPU,
                 Encore.nSecondes, Encore.nCPU, nArbre);
    std::printf("BENCH cdindex_1000 %.2f s\n", Index.nSecondes);
    std::printf("BENCH cdindex_vs_first_listing %.2f x\n", Liste.nSecondes / Index.nSecondes);
    std::printf("BENCH cdindex_again_1000 %.3f s\n", Encore.nSecondes);
    std::printf("BENCH cdtree_100000 %.1f ms\n", nArbre);
    return 0;
}
