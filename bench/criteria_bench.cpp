// Times the loading of a criteria tree of 10,000 criteria from the settings store: 16 top-level
// criteria of 24 children of 25 children each, a few with their own icon, read from a store
// already in memory as at start-up. A second figure loads the same tree sorted.

#include "classification/ArboCriteres.h"
#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{
double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Mesure(TArboCriteres &Arbo, int nFois)
{
    std::vector<double> Durees;
    for (int i = 0; i < nFois; ++i) {
        QElapsedTimer t;
        t.start();
        Arbo.Recharger();
        Durees.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return Mediane(Durees);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir Temp;
    const QString cIcones = Temp.path() + "/ImgsCH/";
    QDir().mkpath(cIcones);
    for (int i = 0; i < 5; ++i) {
        QImage Icone(16, 16, QImage::Format_RGB32);
        Icone.fill(QColor(40 * i, 200, 255 - 40 * i));
        Icone.save(cIcones + QStringLiteral("Icone%1.bmp").arg(i), "BMP");
    }

    QByteArray Texte = "[GENERAL]\r\nkcVersion=v 1.44\r\n[CRITERES HIERARCHIQUES]\r\n";
    int nCriteres = 0;
    // Siblings are written in descending order so that the sorted loading has work to do.
    for (int a = 15; a >= 0; --a) {
        const QByteArray A = "Critere " + QByteArray::number(a);
        Texte += A + "=Icone" + QByteArray::number(a % 5) + ".bmp\r\n";
        ++nCriteres;
        for (int b = 23; b >= 0; --b) {
            const QByteArray B = A + "/Sous-critere " + QByteArray::number(b);
            Texte += B + "=\r\n";
            ++nCriteres;
            for (int c = 24; c >= 0; --c) {
                Texte += B + "/Element " + QByteArray::number(c) + "=\r\n";
                ++nCriteres;
            }
        }
    }
    const QString cSetup = Temp.path() + "/KX_Setup.ini";
    QFile f(cSetup);
    if (!f.open(QIODevice::WriteOnly) || f.write(Texte) != Texte.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(cSetup));
        return 1;
    }
    f.close();

    TBigIniFile Setup(cSetup);
    TEnrParametres Parametres;
    TArboCriteres Arbo;
    Arbo.ChargerArboCritHier(Setup, Parametres, cIcones);
    if (Arbo.NbNoeuds() != nCriteres || nCriteres != 10000) {
        std::fprintf(stderr, "loaded %d criteria of %d\n", Arbo.NbNoeuds(), nCriteres);
        return 1;
    }
    std::printf("BENCH criteria_load_10000 %.2f ms\n", Mesure(Arbo, 21));
    Parametres.lTrierArboCritHier = true;
    std::printf("BENCH criteria_load_sorted_10000 %.2f ms\n", Mesure(Arbo, 21));
    return 0;
}
