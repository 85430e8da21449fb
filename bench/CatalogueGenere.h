#pragma once
// The catalogue the store benchmarks share: image keys of folders and CDs, a criteria tree of
// places, people, subjects and events, and one to four criteria per image, drawn from a
// seeded generator so that every run (and every program) gets the same one. Also how the
// benchmarks that work on it time their work and print their figures.

#include <QChar>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <iterator>
#include <random>
#include <vector>

namespace CatalogueGenere
{
inline const char *const Lieux[] = {
    "France/Paris", "France/Lyon", "France/Bretagne/Quimper", "Italie/Rome", "Italie/Venise", "Espagne/Barcelone",
    "Grèce/Crète",  "Maroc/Fès",   "Canada/Québec",           "Japon/Kyoto", "Écosse/Skye",   "Portugal/Porto"};
inline const char *const Personnes[] = {"Famille/Anne", "Famille/Paul", "Famille/Léa", "Famille/Grand-mère",
                                        "Amis/Marc",    "Amis/Sophie",  "Amis/Hélène", "Collègues/Équipe"};
inline const char *const Sujets[] = {
    "Architecture", "Paysages/Montagne", "Paysages/Mer", "Animaux/Chats", "Animaux/Oiseaux",
    "Fleurs",       "Portraits",         "Nuit",         "Sport/Vélo",    "Fêtes/Noël"};
inline const char *const Mots[] = {
    "ROME",    "VACANCES", "2004",   "FAMILLE", "MER",    "MONTAGNE", "NUIT",   "NEIGE", "ANNIVERSAIRE", "MARIAGE",
    "CHAT",    "PLAGE",    "VELO",   "FORET",   "EGLISE", "MUSEE",    "MARCHE", "PORT",  "BATEAU",       "PONT",
    "CHATEAU", "JARDIN",   "FLEURS", "COUCHER", "SOLEIL", "PLUIE",    "AMIS",   "ECOLE", "CONCERT",      "NOEL"};
inline const char *const Phrases[] = {"Le Colisée au coucher du soleil",  "Anne et Paul sur la plage",
                                      "Première neige sur le col",        "Marché du dimanche matin, place de l'église",
                                      "Vue depuis le pont, brume légère", "Le chat de la voisine",
                                      "Repas de famille chez grand-mère", "Retour de pêche au port",
                                      "Feu d'artifice du 14 juillet",     "Lumière d'hiver dans la forêt"};
} // namespace CatalogueGenere

struct TCatalogue
{
    std::vector<QString> Images;                // image keys
    std::vector<std::vector<QString>> Criteres; // criterion paths of each image
    std::vector<QString> Chemins;               // every criterion path of the tree
    std::vector<int> Choisies;                  // the images whose key the caller gave, in order
};

// nImages images; fnCle may give the key of image i itself (an empty text: the generated one).
inline TCatalogue GenereCatalogue(std::mt19937 &Alea, int nImages, const std::function<QString(int)> &fnCle = {})
{
    using namespace CatalogueGenere;
    TCatalogue c;
    for (const char *l : Lieux)
        c.Chemins.push_back(QString::fromUtf8("Lieux/") + QString::fromUtf8(l));
    for (const char *p : Personnes)
        c.Chemins.push_back(QString::fromUtf8("Personnes/") + QString::fromUtf8(p));
    for (const char *s : Sujets)
        c.Chemins.push_back(QString::fromUtf8("Sujets/") + QString::fromUtf8(s));
    for (int a = 1998; a <= 2008; ++a)
        c.Chemins.push_back(QString::fromUtf8("Événements/%1/Vacances d'été").arg(a));

    const char *const Dossiers[] = {"Rome", "Noël en famille", "[2004] Rome",    "Bretagne",
                                    "Été",  "Divers",          "Mariage de Léa", "Week-end à Lyon"};
    c.Images.reserve(size_t(nImages));
    for (int i = 0; i < nImages; ++i) {
        const int nAnnee = 1998 + i % 11;
        QString cCle = fnCle ? fnCle(i) : QString();
        if (!cCle.isEmpty()) {
            c.Choisies.push_back(i);
        } else if (i % 10 == 9) {
            // An image of an indexed CD.
            cCle = QString("<%1>/DCIM/%2CANON/IMG_%3.JPG")
                       .arg(-1975582719 + i / 5000)
                       .arg(100 + (i / 900) % 10)
                       .arg(i % 10000, 4, 10, QChar('0'));
        } else {
            const char *cExt = (i % 7 == 0) ? "CR2" : ((i % 13 == 0) ? "NEF" : "jpg");
            cCle = QString::fromUtf8("/home/ann/Photos/%1/%2 %3/IMG_%4.%5")
                       .arg(nAnnee)
                       .arg(1 + i % 12, 2, 10, QChar('0'))
                       .arg(QString::fromUtf8(Dossiers[(i / 97) % 8]))
                       .arg(i, 6, 10, QChar('0'))
                       .arg(cExt);
        }
        c.Images.push_back(cCle);
        std::vector<QString> Crit;
        const int nNb = 1 + int(Alea() % 4);
        while (int(Crit.size()) < nNb) {
            const QString &p = c.Chemins[Alea() % c.Chemins.size()];
            if (std::find(Crit.begin(), Crit.end(), p) == Crit.end())
                Crit.push_back(p);
        }
        c.Criteres.push_back(std::move(Crit));
    }
    return c;
}

// One to four keywords.
inline QString MotsCles(std::mt19937 &Alea)
{
    using namespace CatalogueGenere;
    QStringList l;
    const int n = 1 + int(Alea() % 4);
    for (int i = 0; i < n; ++i)
        l << QString::fromLatin1(Mots[Alea() % std::size(Mots)]);
    return l.join(' ');
}

inline QString Legende(std::mt19937 &Alea)
{
    using namespace CatalogueGenere;
    return QString::fromUtf8(Phrases[Alea() % std::size(Phrases)]);
}

// Timing in wall clock (what the user waits for, syncs included) and processor time of the
// thread (the machine is shared), in milliseconds.
namespace MesureBanc
{
inline void Bench(const char *cNom, double d, const char *cUnite)
{
    std::printf("BENCH %s %.3f %s\n", cNom, d, cUnite);
    std::fflush(stdout);
}

inline double MsCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
}

struct TTemps
{
    double dMur = 0, dCpu = 0;
};

template <class F>
TTemps Chrono(F &&f)
{
    const auto t0 = std::chrono::steady_clock::now();
    const double c0 = MsCpu();
    f();
    return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count(), MsCpu() - c0};
}
} // namespace MesureBanc
