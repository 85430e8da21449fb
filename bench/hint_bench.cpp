// Times the image hint on store_bench's catalogue of 100,000 images, with 50 saved image
// albums of 1,000 images, 20 personal web albums and every block of the hint switched on:
// the composition of one hint (median per image) and the painting of an 80-line hint by the
// hint window, offscreen. Processor times are given beside the wall-clock ones, the machine
// being shared.

#include "classification/ArboCriteres.h"
#include "classification/Classement.h"
#include "components/MarkupHint.h"
#include "exploration/EnrLV.h"
#include "platform/Balises.h"
#include "publishing/AlbumImages.h"
#include "publishing/BulleImage.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Descriptions.h"
#include "storage/Sections.h"
#include "storage/Settings.h"

#include "CatalogueGenere.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace
{
constexpr int NbImages = 100000;
constexpr int NbAlbums = 50;
constexpr int NbParAlbum = 1000;
constexpr int NbAlbumsWeb = 20;
constexpr int NbDossiersWeb = 5;
constexpr int NbParDossierWeb = 200;
constexpr int NbLignesPeintes = 80;
constexpr int NbPeintures = 200;

using Horloge = std::chrono::steady_clock;

double SecondesCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double Mediane(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The list entry of a catalogue key, with the metadata a camera and a cataloguing tool leave.
TEnrLV Entree(const QString &cCle, int i)
{
    TEnrLV e;
    if (cCle.startsWith(QLatin1Char('<'))) {
        const qsizetype n = cCle.indexOf(QLatin1Char('>'));
        e.nNumCD = cCle.mid(1, n - 1).toInt();
        e.cChemin = cCle.mid(n + 1);
    } else {
        e.cChemin = cCle;
        e.lExiste = true;
    }
    e.nTaille = 1500000 + i * 37;
    e.nDate = 1090000000 + qint64(i) * 3600;
    e.nLargeur = 3072;
    e.nHauteur = 2048;
    e.nPctCouleur = quint8(i % 3 == 0 ? 40 + i % 60 : 0);
    e.nPctMotif = quint8(i % 5 == 0 ? 30 + i % 70 : 0);
    e.lEXIF = true;
    e.cAppareil = QStringLiteral("Canon EOS D60");
    e.cFocale = QString::number(18 + i % 180);
    e.cVitesse = QStringLiteral("1/125");
    e.cDiaphragme = QStringLiteral("5.6");
    e.cDatePDV = QStringLiteral("14/07/2004 18:30:05");
    e.cISO = QStringLiteral("200");
    e.cOrientation = QStringLiteral("1");
    e.cTitre = QStringLiteral("Vacances");
    e.cTexte = QStringLiteral("Au bord de la mer, le soir");
    e.cMotsClesIPTC = QStringList({"mer", "plage", "soleil"}).join(cSepIPTC);
    e.cOriVille = QStringLiteral("Quimper");
    e.CalculeGroupes();
    return e;
}
} // namespace

int main(int argc, char **argv)
{
    // A screen tall enough for an 80-line hint: the hint window keeps to its screen.
    QTemporaryDir Temp;
    const QString cEcrans = Temp.path() + "/ecrans.json";
    {
        QFile f(cEcrans);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(R"({"screens": [{"name": "banc", "x": 0, "y": 0, "width": 2560, "height": 2048,
                     "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + cEcrans).toUtf8());
    QApplication app(argc, argv);

    std::mt19937 Alea(20040714);
    const TCatalogue c = GenereCatalogue(Alea, NbImages);

    TBigIniFile iniSetup(Temp.path() + "/KX_Setup.ini"), iniBDD(Temp.path() + "/KX_BDD.ini", true);
    iniSetup.lAutoSave = iniBDD.lAutoSave = false;
    std::vector<TEnrLV> Entrees;
    Entrees.reserve(c.Images.size());
    for (size_t i = 0; i < c.Images.size(); ++i) {
        const QString &cCle = c.Images[i];
        std::vector<std::pair<QString, QString>> Crit;
        for (const QString &p : c.Criteres[i])
            Crit.emplace_back(p, QString());
        iniBDD.RemplaceSection(cCle, Crit);
        iniSetup.WriteString(cSectionMotsCles, cCle, MotsCles(Alea));
        iniSetup.WriteString(cSectionLegendes, cCle, Legende(Alea));
        if (i % 4 == 0)
            iniSetup.WriteString(cSectionCoupsDeCoeur, cCle, QString());
        if (i % 6 == 0)
            iniSetup.WriteString(cSectionRotations, cCle, QStringLiteral("G"));
        if (i % 8 == 0)
            iniSetup.WriteString(cSectionMiroirs, cCle, QStringLiteral("H"));
        Entrees.push_back(Entree(cCle, int(i)));
        if (Entrees.back().nNumCD != 0)
            iniSetup.WriteString(cSectionLabelsCD, IdVolume(quint32(Entrees.back().nNumCD)),
                                 QStringLiteral("Vacances %1").arg(i / 5000));
    }
    // The albums hold images of the folders (albums never hold CD images).
    std::vector<int> Dossiers;
    for (int i = 0; i < NbImages; ++i)
        if (Entrees[size_t(i)].nNumCD == 0)
            Dossiers.push_back(i);
    for (int a = 0; a < NbAlbums; ++a) {
        std::vector<std::pair<QString, QString>> Lignes;
        for (int k = 0; k < NbParAlbum; ++k)
            Lignes.emplace_back(c.Images[size_t(Dossiers[Alea() % Dossiers.size()])], QString());
        iniSetup.RemplaceSection(cPrefixeAlbumImages + QStringLiteral("Album %1").arg(a), Lignes);
    }
    for (int a = 0; a < NbAlbumsWeb; ++a) {
        const QString cAlbum = cSectionAlbumWeb + QStringLiteral(":Site %1").arg(a);
        QStringList Noms;
        for (int d = 0; d < NbDossiersWeb; ++d) {
            const QString cDossier = QStringLiteral("Dossier %1").arg(d);
            Noms << cDossier;
            std::vector<std::pair<QString, QString>> Lignes;
            for (int k = 0; k < NbParDossierWeb; ++k)
                Lignes.emplace_back(c.Images[Alea() % c.Images.size()], QString());
            iniSetup.RemplaceSection(cAlbum + QLatin1Char(':') + cDossier, Lignes);
        }
        iniSetup.WriteString(cAlbum, QStringLiteral("<aDossiers>"), Noms.join(QLatin1Char('|')) + QLatin1Char('|'));
    }

    TEnrParametres Parametres;
    Parametres.lHintAffTRT = Parametres.lHintAffCRIT = Parametres.lHintAffAlbImg = Parametres.lHintAffAlbWHP =
        Parametres.lHintAffEXIF = Parametres.lHintAffIPTC = Parametres.lAffHintDsLVImgs = true;
    Parametres.lTrtDescription = true;
    Parametres.lOrientationAuto = false;
    TDescriptions Descriptions(iniSetup);
    TArboCriteres Arbo;
    TClassement Classement(iniSetup, iniBDD, Descriptions, Arbo, Parametres);
    TAlbumImages Album(iniSetup, Parametres);
    Album.LitNomsSauves();
    if (Album.NomsSauves().size() != NbAlbums) {
        std::fprintf(stderr, "albums not read: %d\n", int(Album.NomsSauves().size()));
        return 1;
    }

    // As the main window wires it.
    TSourcesBulleImage Sources;
    Sources.iniSetup = &iniSetup;
    Sources.Parametres = &Parametres;
    Sources.fnBlocClassement = [&Classement](const TEnrLV &e) { return Classement.BlocHintClassement(e); };
    Sources.fnAlbumsImages = [&Album](const QString &cCle) { return Album.AlbumsDeImage(cCle); };
    TIndexAlbumsWEBPerso IndexWEB(iniSetup);
    Sources.fnAlbumsWEBPerso = [&IndexWEB](const QString &cCle) { return IndexWEB.Albums(cCle); };

    // Every hint once, each timed. A hint lives while it is shown: only the first ones are kept,
    // to check them and to paint some.
    constexpr size_t nGardes = 200;
    std::vector<double> Durees;
    Durees.reserve(Entrees.size());
    std::vector<QString> Textes;
    size_t nAvecAlbums = 0, nAvecWeb = 0;
    std::vector<double> Cpu;
    Cpu.reserve(Entrees.size());
    for (size_t i = 0; i < Entrees.size(); ++i) {
        const double dCpu0 = SecondesCpu();
        const auto t0 = Horloge::now();
        const QString t = TexteBulleImage(Entrees[i], Sources);
        Durees.push_back(std::chrono::duration<double, std::micro>(Horloge::now() - t0).count());
        Cpu.push_back((SecondesCpu() - dCpu0) * 1e6);
        nAvecAlbums += t.contains(QStringLiteral("<PG>Albums d'images</PG/>")) ? 1 : 0;
        nAvecWeb += t.contains(QStringLiteral("<PG>Albums WEB hiérarchiques personnels</PG/>")) ? 1 : 0;
        if (i < nGardes)
            Textes.push_back(t);
    }
    if (nAvecAlbums == 0 || nAvecWeb == 0 || !Textes[0].contains(QStringLiteral("<PG>CRITERES</PG/>"))
        || !Textes[0].contains(QStringLiteral("<PG>EXIF</PG/>"))
        || !Textes[0].contains(QStringLiteral("<PG>IPTC</PG/>"))
        || !Textes[9].contains(QStringLiteral("(Sur le CD N° "))) {
        std::fprintf(stderr, "incomplete hints:\n%s\n", qPrintable(Textes[0]));
        return 1;
    }
    std::printf("# %zu hints, %zu with image albums, %zu with web albums, %d lines in the first\n", Entrees.size(),
                nAvecAlbums, nAvecWeb, int(Balises::Lignes(Textes[0]).size()));
    std::printf("BENCH hint_compose %.2f us\n", Mediane(Durees));
    std::printf("BENCH hint_compose_cpu %.2f us\n", Mediane(Cpu));
    std::fflush(stdout);

    // 80 lines of real hints, painted by the hint window as it shows them.
    QStringList Lignes;
    for (size_t i = 0; int(Lignes.size()) < NbLignesPeintes; ++i)
        Lignes << Balises::Lignes(Textes[i]);
    Lignes.resize(NbLignesPeintes);
    const QString cTexte = Lignes.join(QStringLiteral("\r\n"));
    TMarkupHint::Affiche(QPoint(10, 10), cTexte, nullptr);
    TMarkupHint *Bulle = TMarkupHint::Instance();
    const int nHauteurAttendue = NbLignesPeintes * Bulle->fontMetrics().height();
    if (!TMarkupHint::Visible() || Bulle->height() < nHauteurAttendue) {
        std::fprintf(stderr, "the hint shows %d px of %d\n", Bulle->height(), nHauteurAttendue);
        return 1;
    }
    QImage Image(Bulle->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> Peintures;
    const double dCpuP0 = SecondesCpu();
    for (int r = 0; r < NbPeintures; ++r) {
        const auto t0 = Horloge::now();
        Bulle->render(&Image);
        Peintures.push_back(std::chrono::duration<double, std::milli>(Horloge::now() - t0).count());
    }
    const double dCpuP = (SecondesCpu() - dCpuP0) * 1e3 / NbPeintures;
    std::printf("# hint of %dx%d px\n", Bulle->width(), Bulle->height());
    std::printf("BENCH hint_paint_80_lines %.3f ms\n", Mediane(Peintures));
    std::printf("BENCH hint_paint_80_lines_cpu %.3f ms\n", dCpuP);
    return 0;
}
