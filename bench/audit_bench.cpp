// The catalogue audit on a large catalogue (the explorer benchmark's: 100,000 images, a tenth
// on CDs, and 5,000 more on ten other CDs): every section and rubric, details "Critères" and
// "Traitements". Times the composition, the RTF file, the report box (filled and scrolled to
// the end), the peak memory, and the criterion and keyword groups' key lists beside an
// indexed SQLite database of the same data.
//
// SQLite peer: critere(chemin, id) and motcle(mot COLLATE NOCASE, id), both WITHOUT ROWID
// with (value, id) as primary key, image(id INTEGER PRIMARY KEY, cle); journal off, ANALYZE
// after loading, statements prepared once.
//
// VIMBREL_AUDIT_TEXTE=<file> writes the report's plain text there and each paragraph's look to
// <file>.looks, to check that a change to the composition says the same thing;
// VIMBREL_AUDIT_RTF=<file> keeps a copy of the RTF file there, to compare byte for byte;
// VIMBREL_AUDIT_SANS_AFFICHAGE=1 skips the audit page, VIMBREL_AUDIT_MODELE_SEUL=1 all but the
// composition. Times are printed as wall and as the thread's processor time (user and system),
// which a loaded machine does not stretch as much.

#include "BancSqlite.h"
#include "CatalogueGenere.h"
#include "classification/Audit.h"
#include "classification/Audit_fm.h"
#include "classification/IndexClassement.h"
#include "components/VueParagraphes.h"
#include "platform/EcritRTF.h"
#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"
#include "treatments/TraitementsImage.h"
#include "publishing/BulleAlbumWEB.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <set>

using namespace MesureBanc;

namespace
{
void B(const QByteArray &cNom, double d, const char *cUnite)
{
    Bench(cNom.constData(), d, cUnite);
}

double MemoireMo(const char *cLigne)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &l : f.readAll().split('\n'))
        if (l.startsWith(cLigne))
            return l.mid(qsizetype(std::strlen(cLigne))).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// The report handed to the audit page, shown, scrolled to the end and painted, as the user
// sees it after a build; then the process's peak memory.
void MesureAffichage(const QList<TParagrapheRTF> &Paragraphes, const QByteArray &cN)
{
    QTemporaryDir Temp;
    TEmplacementsConfig E;
    E.cFichierUtilisateur = Temp.filePath(QStringLiteral("config/Vimbrel.conf"));
    E.cFichierMachine = Temp.filePath(QStringLiteral("etc/Vimbrel.conf"));
    E.cDossierDefaut = Temp.filePath(QStringLiteral("donnees/"));
    TContexte Contexte(E, Temp.filePath(QStringLiteral("bin")), std::make_unique<TVolumesFactices>());
    Contexte.FixeDossiers();
    Contexte.OuvreStores();
    TPageAudit Page(Contexte, TEntreesAudit{});
    Page.resize(1000, 800);
    Page.show();
    QApplication::processEvents();
    TVueParagraphes *Vue = Page.mmAudit;
    const double dAvant = MemoireMo("VmRSS:");
    const TTemps t = Chrono([&] {
        Page.MontreRapport(Paragraphes);
        QApplication::processEvents();
        Vue->AllerALaFin();
        Vue->viewport()->repaint();
        QApplication::processEvents();
    });
    if (Vue->DernierVisible() != Paragraphes.size() - 1)
        std::fprintf(stderr, "the end is not shown: paragraph %lld of %lld\n", (long long)Vue->DernierVisible(),
                     (long long)Paragraphes.size());
    B("audit_display_" + cN, t.dMur / 1000, "s");
    B("audit_display_" + cN + "_cpu", t.dCpu / 1000, "s");
    Bench("audit_display_laid_out", double(Vue->NombreDisposes()), "paragraphs");
    // What the shown report holds beyond the paragraphs themselves.
    Bench("audit_display_memory_added", MemoireMo("VmRSS:") - dAvant, "MB");
    Bench("audit_peak_memory", MemoireMo("VmHWM:"), "MB");
}

sqlite3_stmt *Prepare(sqlite3 *db, const char *cSql)
{
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, cSql, -1, &s, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s (%s)\n", sqlite3_errmsg(db), cSql);
        std::exit(1);
    }
    return s;
}

QStringList Cles(sqlite3_stmt *s, const QString &cValeur)
{
    Lie(s, 1, cValeur);
    QStringList l;
    while (sqlite3_step(s) == SQLITE_ROW)
        l << Colonne(s, 0);
    sqlite3_reset(s);
    return l;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication App(argc, argv);
    const int nBase = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::mt19937 Alea(45);
    TCatalogue c = GenereCatalogue(Alea, nBase);
    for (int i = 0; i < nBase / 20; ++i) {
        c.Images.push_back(QStringLiteral("<%1>/DISQUE/%2/IMG_%3.JPG").arg(1000 + i % 10).arg(i % 37).arg(i));
        c.Criteres.push_back({c.Chemins[size_t(Alea() % c.Chemins.size())]});
    }
    const int nImages = int(c.Images.size());
    TBigIniFile iniBDD(QString(), true), iniSetup{QString()};
    iniBDD.lAutoSave = false;
    iniSetup.lAutoSave = false;
    std::vector<QString> MotsImages(static_cast<size_t>(nImages));
    const char *const Appareils[] = {"Canon EOS 300D", "NIKON D70",     "DSC-W1",
                                     "E-300",          "FinePix S5000", "CANON EOS 300D"};
    for (int i = 0; i < nImages; ++i) {
        const QString &k = c.Images[size_t(i)];
        for (const QString &p : c.Criteres[size_t(i)])
            iniBDD.WriteString(k, p, QString());
        if (i % 3 == 0) {
            MotsImages[size_t(i)] = MotsCles(Alea);
            iniSetup.WriteString(cSectionMotsCles, k, MotsImages[size_t(i)]);
        }
        if (i % 50 == 0)
            iniSetup.WriteString(cSectionCoupsDeCoeur, k, QStringLiteral("1"));
        if (i % 7 == 0)
            iniSetup.WriteString(cSectionLegendes, k, Legende(Alea));
        if (i % 17 == 0)
            iniSetup.WriteString(cSectionRotations, k, QStringLiteral("1"));
        if (i % 23 == 0)
            iniSetup.WriteString(cSectionNegatif, k, QStringLiteral("1"));
        if (i % 11 != 0)
            iniSetup.WriteString(cSectionEXIF, k,
                                 QStringLiteral("%1|50|1/60|2,8|01/01/2004 12:00:00|100|1|").arg(Appareils[i % 6]));
    }

    TIndexClassement Index(iniBDD, iniSetup);
    Index.Actualise();
    QTemporaryDir Temp;
    TDonneesAuditStores Donnees(iniBDD, iniSetup, Index, Temp.filePath(QStringLiteral("vignettes/")));
    QStringList ToutesImages;
    for (int i = 0; i < Index.Nombre(); ++i)
        ToutesImages << Index.Cle(i);

    // The criteria tree of the catalogue's paths, parents before children.
    std::set<QString> Noeuds;
    for (const QString &p : c.Chemins)
        for (qsizetype j = 0; j <= p.size(); ++j)
            if (j == p.size() || p[j] == u'/')
                Noeuds.insert(p.left(j));
    TSourceAudit s;
    for (const QString &p : Noeuds)
        s.Criteres << TNoeudAudit{p.section(QLatin1Char('/'), -1), int(p.count(QLatin1Char('/'))), p};
    s.cDossierDonnees = Temp.path();
    s.MotsClesPresents = Donnees.GroupesMotsCles();
    s.MotsClesEnregistres = {QStringLiteral("MER PLAGE"), QStringLiteral("NUIT")};
    TEnrParametres Parametres;
    const TTableAppareils Appareils6 = ConstruitTableAppareils(ToutesImages, iniSetup, {});
    s.fnImagesGroupe = [&](TRubriqueAudit r, const QString &g) {
        return r == TRubriqueAudit::Appareil ? Appareils6.Images(g) : Donnees.ImagesGroupe(r, g);
    };
    s.fnLabelCD = [&](qint32 n) { return Donnees.LabelCD(n); };
    s.fnDetails = [&](const TEnrNomImg &e, const TOptionsAudit &o) {
        TDetailsImageAudit d = Donnees.Details(e, o);
        d.cTraitements =
            TexteBrut(DecritTrtsImage(LitRecetteTrts(iniSetup, Parametres, e.cCle, QStringLiteral("1")), QString()));
        return d;
    };
    TOptionsAudit o;
    o.lAffEXIF = o.lAffIPTC = o.lAffAlbImg = o.lAffAlbWHP = false;
    TSelectionsAudit Sel;
    QStringList Racines;
    for (const TNoeudAudit &n : std::as_const(s.Criteres))
        if (n.nProfondeur == 0)
            Racines << n.cCaption;
    Sel[TRubriqueAudit::Traitement] = {Donnees.GroupesTraitements(), Donnees.GroupesTraitements()};
    Sel[TRubriqueAudit::Critere] = {Racines, Racines};
    Sel[TRubriqueAudit::MotCle] = {s.MotsClesPresents, s.MotsClesPresents};
    Sel[TRubriqueAudit::Appareil] = {Appareils6.Modeles, Appareils6.Modeles};

    // What the catalogue, stores and index take before the report.
    Bench("audit_memory_before_model", MemoireMo("VmRSS:"), "MB");
    QList<TParagrapheRTF> Paragraphes;
    rusage ruAvant{}, ruApres{};
    getrusage(RUSAGE_THREAD, &ruAvant);
    TTemps t = Chrono([&] { ComposeAudit(s, o, Sel, Paragraphes); });
    getrusage(RUSAGE_THREAD, &ruApres);
    const QByteArray cN = QByteArray::number(nBase);
    B("audit_model_" + cN, t.dMur / 1000, "s");
    B("audit_model_" + cN + "_cpu", t.dCpu / 1000, "s");
    // The system's part is mostly the pages the report takes for the first time: it varies
    // from run to run with the machine's memory more than with the composition.
    auto Secondes = [](const timeval &a, const timeval &b) {
        return double(b.tv_sec - a.tv_sec) + double(b.tv_usec - a.tv_usec) / 1e6;
    };
    B("audit_model_" + cN + "_user", Secondes(ruAvant.ru_utime, ruApres.ru_utime), "s");
    B("audit_model_" + cN + "_sys", Secondes(ruAvant.ru_stime, ruApres.ru_stime), "s");
    B("audit_model_" + cN + "_page_faults", double(ruApres.ru_minflt - ruAvant.ru_minflt), "faults");
    B("audit_paragraphs_" + cN, double(Paragraphes.size()), "paragraphs");
    // The report's plain text, to check that a faster composition still says the same.
    const QString cTexte = qEnvironmentVariable("VIMBREL_AUDIT_TEXTE");
    if (!cTexte.isEmpty()) {
        QFile f(cTexte);
        if (f.open(QIODevice::WriteOnly))
            f.write(TexteDeParagraphes(Paragraphes).toUtf8());
        // And each paragraph's look, a line each.
        QFile g(cTexte + QStringLiteral(".looks"));
        if (g.open(QIODevice::WriteOnly))
            for (const TParagrapheRTF &p : std::as_const(Paragraphes)) {
                QByteArray l = QByteArray::number(int(p.nAlignement)) + ' '
                               + QByteArray::number(p.nRetraitPremiereLigne) + ' '
                               + QByteArray::number(p.nRetraitGauche) + ' ' + QByteArray::number(p.lPuce);
                for (const TSegmentRTF &r : p.lstSegments)
                    l += ' ' + QByteArray::number(r.rTaille) + ',' + QByteArray::number(r.lGras) + ','
                         + QByteArray::number(r.lSouligne) + ',' + QByteArray::number(r.sTexte.size());
                g.write(l + '\n');
            }
    }

    if (!qEnvironmentVariableIsEmpty("VIMBREL_AUDIT_MODELE_SEUL"))
        return 0;
    const QString cRtf = Temp.filePath(QStringLiteral("Audit de Vimbrel.rtf"));
    t = Chrono([&] {
        if (!EnregistreRTF(cRtf, RTFDeParagraphes(Paragraphes)))
            std::fprintf(stderr, "RTF not written\n");
    });
    B("audit_rtf_" + cN, t.dMur / 1000, "s");
    B("audit_rtf_" + cN + "_cpu", t.dCpu / 1000, "s");
    B("audit_rtf_size_" + cN, double(QFileInfo(cRtf).size()) / 1048576.0, "MB");
    // A copy of the file kept, to compare byte for byte after a change.
    const QString cCopieRtf = qEnvironmentVariable("VIMBREL_AUDIT_RTF");
    if (!cCopieRtf.isEmpty()) {
        QFile::remove(cCopieRtf);
        if (!QFile::copy(cRtf, cCopieRtf))
            std::fprintf(stderr, "RTF not copied\n");
    }

    if (qEnvironmentVariableIsEmpty("VIMBREL_AUDIT_SANS_AFFICHAGE"))
        MesureAffichage(Paragraphes, cN);
    else
        Bench("audit_peak_memory", MemoireMo("VmHWM:"), "MB");

    // Criterion and keyword groups' key lists: the index beside indexed SQLite.
    sqlite3 *db = nullptr;
    sqlite3_open(":memory:", &db);
    Exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA temp_store=MEMORY;");
    Exec(db, "CREATE TABLE image(id INTEGER PRIMARY KEY, cle TEXT);"
             "CREATE TABLE critere(chemin TEXT, id INTEGER, PRIMARY KEY(chemin, id)) WITHOUT ROWID;"
             "CREATE TABLE motcle(mot TEXT COLLATE NOCASE, id INTEGER, PRIMARY KEY(mot, id)) WITHOUT ROWID;");
    Exec(db, "BEGIN");
    {
        sqlite3_stmt *Img = Prepare(db, "INSERT INTO image VALUES(?1, ?2)");
        sqlite3_stmt *Crit = Prepare(db, "INSERT OR IGNORE INTO critere VALUES(?1, ?2)");
        sqlite3_stmt *Mot = Prepare(db, "INSERT OR IGNORE INTO motcle VALUES(?1, ?2)");
        for (int i = 0; i < nImages; ++i) {
            sqlite3_bind_int(Img, 1, i);
            Lie(Img, 2, c.Images[size_t(i)]);
            Execute(Img);
            for (const QString &p : c.Criteres[size_t(i)]) {
                Lie(Crit, 1, p);
                sqlite3_bind_int(Crit, 2, i);
                Execute(Crit);
            }
            for (const QString &m : MotsImages[size_t(i)].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                Lie(Mot, 1, m);
                sqlite3_bind_int(Mot, 2, i);
                Execute(Mot);
            }
        }
        for (sqlite3_stmt *q : {Img, Crit, Mot})
            sqlite3_finalize(q);
    }
    Exec(db, "COMMIT; ANALYZE;");
    sqlite3_stmt *QCrit =
        Prepare(db, "SELECT image.cle FROM critere JOIN image USING(id) WHERE critere.chemin = ?1 ORDER BY id");
    sqlite3_stmt *QMot =
        Prepare(db, "SELECT image.cle FROM motcle JOIN image USING(id) WHERE motcle.mot = ?1 ORDER BY id");
    qsizetype nNous = 0, nSql = 0;
    auto Meilleur = [](auto &&f) {
        double d = 1e30;
        for (int i = 0; i < 5; ++i)
            d = std::min(d, Chrono(f).dMur);
        return d;
    };
    const double dNous = Meilleur([&] {
        nNous = 0;
        for (const TNoeudAudit &n : std::as_const(s.Criteres))
            nNous += Donnees.ImagesGroupe(TRubriqueAudit::Critere, n.cChemin).size();
        for (const QString &m : std::as_const(s.MotsClesPresents))
            nNous += Donnees.ImagesGroupe(TRubriqueAudit::MotCle, m).size();
    });
    const double dSql = Meilleur([&] {
        nSql = 0;
        for (const TNoeudAudit &n : std::as_const(s.Criteres))
            nSql += Cles(QCrit, n.cChemin).size();
        for (const QString &m : std::as_const(s.MotsClesPresents))
            nSql += Cles(QMot, m).size();
    });
    if (nNous != nSql)
        std::fprintf(stderr, "groups differ: %lld and %lld keys\n", (long long)nNous, (long long)nSql);
    // Same answers, group by group, whatever order each gives them in.
    int nGroupes = 0, nDifferents = 0;
    auto Compare = [&](QStringList a, QStringList b) {
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        ++nGroupes;
        if (a != b)
            ++nDifferents;
    };
    for (const TNoeudAudit &n : std::as_const(s.Criteres))
        Compare(Donnees.ImagesGroupe(TRubriqueAudit::Critere, n.cChemin), Cles(QCrit, n.cChemin));
    for (const QString &m : std::as_const(s.MotsClesPresents))
        Compare(Donnees.ImagesGroupe(TRubriqueAudit::MotCle, m), Cles(QMot, m));
    Bench("audit_groups_compared", nGroupes, "groups");
    Bench("audit_groups_differing", nDifferents, "groups");
    Bench("audit_groups_ms", dNous, "ms");
    Bench("audit_groups_vs_sqlite", dSql / dNous, "x");
    sqlite3_finalize(QCrit);
    sqlite3_finalize(QMot);
    sqlite3_close(db);
    return 0;
}
