// Times the building of the keyword vocabulary, as the keyword panel does at every showing:
// 100,000 images with three keywords each (300,000 occurrences) among 5,000 distinct words,
// from a settings store already in memory. Prints the median of several runs.

#include "classification/MotsCles.h"
#include "storage/BigIniFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace
{
constexpr int nImages = 100000;
constexpr int nMotsParImage = 3;
constexpr int nMotsDistincts = 5000;

// Words of several lengths, a few with accented capitals, as a real vocabulary has.
QByteArray Mot(int n)
{
    static const char *const Racines[] = {"MER",   "PLAGE",   "SOLEIL", "MONTAGNE", "FAMILLE",     "ÉTÉ",
                                          "FORÊT", "CHÂTEAU", "NOËL",   "VACANCES", "ANNIVERSAIRE"};
    return QByteArray(Racines[n % 11]) + '_' + QByteArray::number(n / 11);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir Temp;

    std::mt19937 Alea(20041225);
    std::vector<int> Ordre(size_t(nImages) * nMotsParImage);
    for (size_t i = 0; i < Ordre.size(); ++i)
        Ordre[i] = int(i % nMotsDistincts);
    std::shuffle(Ordre.begin(), Ordre.end(), Alea);

    QByteArray Texte = "[GENERAL]\r\nkcVersion=v 1.44\r\n[MOTS-CLES]\r\n";
    Texte.reserve(nImages * 80);
    for (int i = 0; i < nImages; ++i) {
        Texte += "/home/photos/" + QByteArray::number(2000 + i % 10) + "/dossier" + QByteArray::number(i / 500)
                 + "/IMG_" + QByteArray::number(i).rightJustified(6, '0') + ".JPG=";
        for (int k = 0; k < nMotsParImage; ++k) {
            if (k)
                Texte += ' ';
            Texte += Mot(Ordre[size_t(i) * nMotsParImage + size_t(k)]);
        }
        Texte += "\r\n";
    }
    const QString cSetup = Temp.path() + "/KX_Setup.ini";
    QFile f(cSetup);
    if (!f.open(QIODevice::WriteOnly) || f.write(Texte) != Texte.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(cSetup));
        return 1;
    }
    f.close();

    TBigIniFile Setup(cSetup);
    Setup.lAutoSave = false;

    std::vector<double> Durees;
    QStringList Vocabulaire;
    for (int n = 0; n < 7; ++n) {
        QElapsedTimer t;
        t.start();
        ListerMotsCles(Setup, Vocabulaire);
        Durees.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    if (Vocabulaire.size() != nMotsDistincts) {
        std::fprintf(stderr, "vocabulary of %lld words instead of %d\n", qlonglong(Vocabulaire.size()), nMotsDistincts);
        return 1;
    }
    std::sort(Durees.begin(), Durees.end());
    std::printf("BENCH vocabulary_100000 %.1f ms\n", Durees[Durees.size() / 2]);
    return 0;
}
