// Duplicate search over 5,000 generated image-named files (about 1 GB) in a tree under /tmp:
// 10 % copies of other files, 3 % files of the same size as another differing by one byte,
// 800 distinct "raws" of one size sharing their header, hard links and empty files. After one
// read of every file (warm cache), our walk and pair search, `jdupes -r` and `fdupes -r -n`
// (empty files left out, as we do) run in turn, five rounds, median wall time each; the three
// must find the same groups of files (files compared by inode, so that hard links count once).
// A peer that is not installed is said so and left out. The tree is removed at the end.

#include "platform/VolumesFactices.h"
#include "publishing/Doublons.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr int nFichiers = 5000;
constexpr int nRaws = 800;
constexpr qint64 nTailleRaw = 560000;
constexpr int nCopies = nFichiers / 10;
constexpr int nVariantes = nFichiers * 3 / 100;
constexpr int nLiens = 50;
constexpr int nVides = 50;
constexpr int nEssais = 5;

using TGroupes = std::set<std::set<std::pair<quint64, quint64>>>;

std::mt19937_64 Alea(20240305);

QByteArray Octets(qint64 n)
{
    QByteArray b(n, Qt::Uninitialized);
    auto *p = reinterpret_cast<unsigned char *>(b.data());
    qint64 i = 0;
    for (; i + 8 <= n; i += 8) {
        const quint64 v = Alea();
        std::memcpy(p + i, &v, 8);
    }
    for (; i < n; ++i)
        p[i] = static_cast<unsigned char>(Alea());
    return b;
}

bool Ecrit(const QString &cChemin, const QByteArray &b)
{
    QDir().mkpath(QFileInfo(cChemin).path());
    QFile f(cChemin);
    return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
}

// The tree: originals and raws first, then the copies, variants, links and empty files, spread
// over folders the way cards and backups are.
qint64 Genere(const QString &cRacine)
{
    qint64 nTotal = 0;
    QStringList Sources;
    const int nOriginaux = nFichiers - nRaws - nCopies - nVariantes - nLiens - nVides;
    for (int i = 0; i < nOriginaux; ++i) {
        const QString c = QStringLiteral("%1/DCIM/%2CANON/IMG_%3.JPG")
                              .arg(cRacine)
                              .arg(100 + i / 400)
                              .arg(i, 4, 10, QLatin1Char('0'));
        const QByteArray b = Octets(std::uniform_int_distribution<qint64>(40000, 240000)(Alea));
        Ecrit(c, b);
        nTotal += b.size();
        Sources << c;
    }
    // Raw files of one camera: the same header layout, the shot's time and number early in it.
    const QByteArray Entete = Octets(16384);
    for (int i = 0; i < nRaws; ++i) {
        QByteArray b = Entete + Octets(nTailleRaw - Entete.size());
        const QByteArray Marque = QStringLiteral("2024:03:05 %1 #%2").arg(i / 60).arg(i).toLatin1();
        std::memcpy(b.data() + 300, Marque.constData(), static_cast<size_t>(Marque.size()));
        const QString c =
            QStringLiteral("%1/RAW/%2/IMG_%3.CR2").arg(cRacine).arg(i / 200).arg(i, 4, 10, QLatin1Char('0'));
        Ecrit(c, b);
        nTotal += b.size();
        Sources << c;
    }
    auto Source = [&] { return Sources[std::uniform_int_distribution<int>(0, int(Sources.size()) - 1)(Alea)]; };
    for (int i = 0; i < nCopies; ++i) {
        const QString s = Source();
        const QString c = QStringLiteral("%1/Sauvegarde/%2/copie_%3_%4")
                              .arg(cRacine)
                              .arg(i / 100)
                              .arg(i)
                              .arg(QFileInfo(s).fileName());
        QDir().mkpath(QFileInfo(c).path());
        QFile::copy(s, c);
        nTotal += QFileInfo(c).size();
    }
    for (int i = 0; i < nVariantes; ++i) {
        const QString s = Source();
        QFile f(s);
        f.open(QIODevice::ReadOnly);
        QByteArray b = f.readAll();
        const qint64 p = std::uniform_int_distribution<qint64>(0, b.size() - 1)(Alea);
        b[p] = static_cast<char>(b[p] ^ 0x20);
        Ecrit(QStringLiteral("%1/Retouches/var_%2_%3").arg(cRacine).arg(i).arg(QFileInfo(s).fileName()), b);
        nTotal += b.size();
    }
    for (int i = 0; i < nLiens; ++i) {
        const QString s = Source();
        const QString c = QStringLiteral("%1/Liens/lien_%2_%3").arg(cRacine).arg(i).arg(QFileInfo(s).fileName());
        QDir().mkpath(QFileInfo(c).path());
        if (::link(QFile::encodeName(s).constData(), QFile::encodeName(c).constData()) != 0)
            std::fprintf(stderr, "lien impossible : %s\n", qPrintable(c));
    }
    for (int i = 0; i < nVides; ++i)
        Ecrit(QStringLiteral("%1/Vides/vide_%2.JPG").arg(cRacine).arg(i), {});
    return nTotal;
}

void Rechauffe(const QString &cRacine)
{
    QProcess p;
    p.start(QStringLiteral("sh"),
            {QStringLiteral("-c"), QStringLiteral("find \"$0\" -type f -exec cat {} + > /dev/null"), cRacine});
    p.waitForFinished(-1);
}

std::pair<quint64, quint64> Identite(const QString &c)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(c).constData(), &st) != 0)
        return {0, 0};
    return {static_cast<quint64>(st.st_dev), static_cast<quint64>(st.st_ino)};
}

void AjouteGroupe(TGroupes &Groupes, const QStringList &Chemins)
{
    std::set<std::pair<quint64, quint64>> g;
    for (const QString &c : Chemins)
        g.insert(Identite(c));
    if (g.size() >= 2)
        Groupes.insert(g);
}

TGroupes GroupesNotre(const QList<TEnrImgSel> &C, const QList<TPaireDoublons> &Paires)
{
    std::vector<int> Parent(static_cast<size_t>(C.size()));
    std::iota(Parent.begin(), Parent.end(), 0);
    auto Racine = [&](int i) {
        while (Parent[size_t(i)] != i)
            i = Parent[size_t(i)] = Parent[size_t(Parent[size_t(i)])];
        return i;
    };
    for (const TPaireDoublons &p : Paires)
        Parent[size_t(Racine(p.nImage))] = Racine(p.nSimilaire);
    std::map<int, QStringList> ParRacine;
    for (const TPaireDoublons &p : Paires)
        for (const int i : {p.nImage, p.nSimilaire})
            if (!ParRacine[Racine(i)].contains(C[i].cChemin))
                ParRacine[Racine(i)] << C[i].cChemin;
    TGroupes Groupes;
    for (const auto &[r, l] : ParRacine)
        AjouteGroupe(Groupes, l);
    return Groupes;
}

// Groups printed one path a line, separated by blank lines.
TGroupes GroupesTexte(const QByteArray &Sortie)
{
    TGroupes Groupes;
    QStringList Courant;
    for (const QByteArray &Ligne : Sortie.split('\n')) {
        if (Ligne.trimmed().isEmpty()) {
            AjouteGroupe(Groupes, Courant);
            Courant.clear();
        } else
            Courant << QFile::decodeName(Ligne);
    }
    AjouteGroupe(Groupes, Courant);
    return Groupes;
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct TPair
{
    QString cNom;
    QString cProgramme;
    QStringList Arguments;
    std::vector<double> Temps;
    TGroupes Groupes;
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir Tmp(QStringLiteral("/tmp/vimbrel-dupes-XXXXXX"));
    if (!Tmp.isValid()) {
        std::fprintf(stderr, "dossier temporaire impossible\n");
        return 1;
    }
    const QString cRacine = Tmp.path() + QStringLiteral("/photos");
    const qint64 nOctets = Genere(cRacine);
    std::printf("# %d fichiers, %.2f Go de données, dans %s\n", nFichiers, double(nOctets) / 1e9, qPrintable(cRacine));
    Rechauffe(cRacine);

    std::vector<TPair> Pairs;
    for (const auto &[cNom, Args] :
         {std::pair{QStringLiteral("jdupes"), QStringList{QStringLiteral("-r")}},
          std::pair{QStringLiteral("fdupes"), QStringList{QStringLiteral("-r"), QStringLiteral("-n")}}}) {
        const QString cProgramme = QStandardPaths::findExecutable(cNom);
        if (cProgramme.isEmpty())
            std::printf("# %s absent : pas de comparaison avec lui (apt-get install %s)\n", qPrintable(cNom),
                        qPrintable(cNom));
        else
            Pairs.push_back({cNom, cProgramme, Args + QStringList{cRacine}, {}, {}});
    }

    TVolumesFactices Volumes;
    TVolume Racine;
    Racine.cPointMontage = QStringLiteral("/");
    Volumes.Ajoute(Racine);
    std::vector<double> Notres;
    TGroupes NosGroupes;
    int nPaires = 0;
    for (int e = 0; e < nEssais; ++e) {
        QElapsedTimer t;
        t.start();
        const QList<TEnrImgSel> C = CandidatsDossier(cRacine, true, Volumes, QString());
        const TResultatPaires R = ChercherPaires(C, {}, 2);
        Notres.push_back(t.nsecsElapsed() / 1e9);
        if (e == 0) {
            NosGroupes = GroupesNotre(C, R.Paires);
            nPaires = int(R.Paires.size());
        }
        for (TPair &p : Pairs) {
            QProcess Proc;
            t.restart();
            Proc.start(p.cProgramme, p.Arguments);
            Proc.waitForFinished(-1);
            const QByteArray Sortie = Proc.readAllStandardOutput();
            p.Temps.push_back(t.nsecsElapsed() / 1e9);
            if (e == 0)
                p.Groupes = GroupesTexte(Sortie);
        }
    }

    const double tNous = Mediane(Notres);
    std::printf("# nous : %d paires, %zu groupes\n", nPaires, NosGroupes.size());
    std::printf("BENCH dupes_5000 %.3f s\n", tNous);
    int nCode = 0;
    for (const TPair &p : Pairs) {
        const bool lMemes = p.Groupes == NosGroupes;
        std::printf("# %s : %zu groupes, %s, médiane %.3f s\n", qPrintable(p.cNom), p.Groupes.size(),
                    lMemes ? "les mêmes que les nôtres" : "DIFFÉRENTS des nôtres", Mediane(p.Temps));
        if (!lMemes)
            nCode = 2;
        std::printf("BENCH dupes_5000_vs_%s %.2f x\n", qPrintable(p.cNom), Mediane(p.Temps) / tNous);
    }
    return nCode;
}
