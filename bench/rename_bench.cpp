// Renaming and dating 5,000 listed JPEGs (copies of a small corpus picture with its shooting
// date) that have keywords, a legend and criteria in a 100,000-image catalogue: our numbered
// rename (two passes, journal, data moved, each store saved once), then our dating from the
// EXIF date already listed. On copies of the same files, in the same run: exiftool renaming
// each file ('-FileName<v$FileName') and `jhead -ft`. Wall and processor times (ours in-process,
// the tools' as children); a tool that is not installed is said so and left out.

#include "CatalogueGenere.h"

#include "exploration/ModeleListe.h"
#include "metadata/LectureMeta.h"
#include "platform/OperationsFichiers.h"
#include "platform/VolumesFactices.h"
#include "publishing/Datation.h"
#include "publishing/Renommage.h"
#include "storage/BigIniFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace
{
constexpr int nImagesCatalogue = 100000;

double TempsProcesseur()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double TempsEnfants()
{
    rusage r{};
    getrusage(RUSAGE_CHILDREN, &r);
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

void Bench(const char *cNom, double dValeur, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, dValeur, cUnite);
    std::fflush(stdout);
}

// Copies of the picture: cDossier/IMG_00000.jpg ...
QStringList Copies(const QString &cDossier, const QByteArray &Image, int n)
{
    QDir().mkpath(cDossier);
    QStringList l;
    for (int i = 0; i < n; ++i) {
        const QString c = cDossier + QStringLiteral("/IMG_%1.jpg").arg(i, 5, 10, QLatin1Char('0'));
        QFile f(c);
        if (!f.open(QIODevice::WriteOnly) || f.write(Image) != Image.size())
            return {};
        l << c;
    }
    return l;
}

struct TTemps
{
    double dMur = -1, dProcesseur = -1;
};

TTemps Outil(const QString &cProgramme, const QStringList &Args)
{
    const double dAvant = TempsEnfants();
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(cProgramme, Args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s a échoué\n", qPrintable(cProgramme));
        return {};
    }
    return {t.elapsed() / 1000.0, TempsEnfants() - dAvant};
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int nImages = argc > 1 ? std::max(2, std::atoi(argv[1])) : 5000;
    const QString cSource = QStringLiteral(VIMBREL_CORPUS_DIR "/kinds/jpeg/exiftool_NikonD70.jpg");
    QFile fs(cSource);
    if (!fs.open(QIODevice::ReadOnly)) {
        std::printf("corpus absent (%s): rien à mesurer\n", qPrintable(cSource));
        return 0;
    }
    const QByteArray Image = fs.readAll();
    QTemporaryDir Tmp;
    const QString cDonnees = Tmp.path() + QStringLiteral("/donnees/");
    QDir().mkpath(cDonnees);
    const QStringList Nous = Copies(Tmp.path() + QStringLiteral("/nous"), Image, nImages);
    const QStringList Outils = Copies(Tmp.path() + QStringLiteral("/outils"), Image, nImages);
    if (Nous.isEmpty() || Outils.isEmpty())
        return 1;

    // The catalogue: our images spread among the 100,000.
    {
        std::mt19937 Alea(28);
        const int nPas = nImagesCatalogue / nImages;
        const TCatalogue Cat = GenereCatalogue(Alea, nImagesCatalogue, [&](int i) {
            return i % nPas == 0 && i / nPas < nImages ? Nous[i / nPas] : QString();
        });
        TBigIniFile Setup(cDonnees + QStringLiteral("KX_Setup.ini"));
        TBigIniFile BDD(cDonnees + QStringLiteral("KX_BDD.ini"), true);
        Setup.lAutoSave = false;
        BDD.lAutoSave = false;
        for (size_t i = 0; i < Cat.Images.size(); ++i) {
            Setup.WriteString(QStringLiteral("MOTS-CLES"), Cat.Images[i], QStringLiteral("ROME VACANCES"));
            if (i % 3 == 0)
                Setup.WriteString(QStringLiteral("LEGENDES"), Cat.Images[i], QStringLiteral("Le Colisée"));
            for (const QString &c : Cat.Criteres[i])
                BDD.WriteString(Cat.Images[i], c, {});
        }
        if (!Setup.UpdateFile() || !BDD.UpdateFile())
            return 1;
    }

    TBigIniFile Setup(cDonnees + QStringLiteral("KX_Setup.ini"));
    TBigIniFile BDD(cDonnees + QStringLiteral("KX_BDD.ini"), true);
    Setup.lAutoSave = false;
    BDD.lAutoSave = false;
    TVolumesFactices Volumes;
    TOperationsFichiers Operations(Volumes, Tmp.path() + QStringLiteral("/xdg"));
    TParamsRenommage P;
    P.cDossierDonnees = cDonnees;
    P.cDossierVignettes = cDonnees + QStringLiteral("Vignettes/");
    QList<TEnrLst> Entrees;
    for (int i = 0; i < nImages; ++i)
        Entrees.append({i, Nous[i], {}});
    TReglageRenommage R;
    R.cPrefixe = QStringLiteral("Vac");
    R.nNbChiffres = 5;
    R.nOffset = 1;

    double dProc = TempsProcesseur();
    QElapsedTimer t;
    t.start();
    TRenommageImages Renommage(Setup, BDD, Operations, P);
    const TBilanRenommage Bilan = Renommage.Renomme(Entrees, R);
    const double dRenommage = t.elapsed() / 1000.0;
    const double dRenommageProc = TempsProcesseur() - dProc;
    if (Bilan.nRenommees != nImages) {
        std::fprintf(stderr, "%d images renommées sur %d\n", Bilan.nRenommees, nImages);
        return 1;
    }

    // The list as the dating finds it: EXIF read when the folder was listed.
    TModeleListeImages Modele;
    QList<int> Lignes;
    for (const TEnrLst &E : std::as_const(Entrees)) {
        auto p = std::make_unique<TEnrLV>();
        p->cChemin = E.cNouveau;
        LireEXIF(E.cNouveau, *p, false, {});
        Lignes << Modele.Ajoute(std::move(p), false);
    }
    dProc = TempsProcesseur();
    t.restart();
    TDatationImages Datation({});
    const TBilanDatation BilanDate = Datation.Date(Modele, Lignes, true, {});
    const double dDatation = t.elapsed() / 1000.0;
    const double dDatationProc = TempsProcesseur() - dProc;
    if (BilanDate.nDatees != nImages) {
        std::fprintf(stderr, "%d images datées sur %d\n", BilanDate.nDatees, nImages);
        return 1;
    }

    const QByteArray cN = QByteArray::number(nImages);
    Bench(("rename_" + cN).constData(), dRenommage, "s");
    Bench(("rename_" + cN + "_cpu").constData(), dRenommageProc, "s");
    Bench(("date_" + cN).constData(), dDatation, "s");
    Bench(("date_" + cN + "_cpu").constData(), dDatationProc, "s");

    const QString cExiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (cExiftool.isEmpty())
        std::printf("exiftool absent: pas de comparaison du renommage\n");
    else {
        const TTemps T =
            Outil(cExiftool, {QStringLiteral("-q"), QStringLiteral("-FileName<v$FileName"), Tmp.path() + "/outils"});
        if (T.dMur > 0) {
            Bench(("rename_" + cN + "_exiftool").constData(), T.dMur, "s");
            Bench(("rename_" + cN + "_exiftool_cpu").constData(), T.dProcesseur, "s");
            Bench(("rename_" + cN + "_vs_exiftool").constData(), T.dMur / dRenommage, "x");
        }
    }
    const QString cJhead = QStandardPaths::findExecutable(QStringLiteral("jhead"));
    if (cJhead.isEmpty())
        std::printf("jhead absent: pas de comparaison de la datation\n");
    else {
        QStringList Args{QStringLiteral("-q"), QStringLiteral("-ft")};
        Args += QDir(Tmp.path() + "/outils").entryList(QDir::Files);
        QProcess Rep;
        const double dAvant = TempsEnfants();
        QElapsedTimer tj;
        tj.start();
        Rep.setWorkingDirectory(Tmp.path() + "/outils");
        Rep.start(cJhead, Args);
        if (Rep.waitForFinished(-1) && Rep.exitCode() == 0) {
            const double dMur = tj.elapsed() / 1000.0;
            Bench(("date_" + cN + "_jhead").constData(), dMur, "s");
            Bench(("date_" + cN + "_jhead_cpu").constData(), TempsEnfants() - dAvant, "s");
            Bench(("date_" + cN + "_vs_jhead").constData(), dMur / dDatation, "x");
        } else
            std::fprintf(stderr, "jhead a échoué\n");
    }
    return 0;
}
