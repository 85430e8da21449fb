#include "calendar/Calendrier.h"

#include "imaging/NomVignette.h"
#include "metadata/CacheMeta.h"
#include "metadata/Exif.h"
#include "metadata/LectureMeta.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "thumbnails/ThumbnailCache.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <sys/stat.h>
#include <iterator>
#include <thread>

namespace
{
constexpr qint64 nSecondesJour = 86400;

// The abbreviated French month names the labels use.
QString MoisCourt(int nMois)
{
    static const char *const mois[] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                       "juil.", "août",  "sept.", "oct.", "nov.", "déc."};
    return (nMois >= 1 && nMois <= 12) ? QString::fromUtf8(mois[nMois - 1]) : QString();
}

int IndexMois(int nMois, int nAnnee)
{
    return nAnnee * 12 + (nMois - 1);
}

// The first serial of the period and the one just after it.
void BornesPeriode(const TPeriode &P, qint64 &nDebut, qint64 &nFin)
{
    QDate d1, d2;
    switch (P.nGenre) {
    case TGenrePeriode::Jour:
        d1 = P.dJour;
        d2 = P.dJour.addDays(1);
        break;
    case TGenrePeriode::Semaine:
        d1 = LundiDe(P.dJour);
        d2 = d1.addDays(7);
        break;
    case TGenrePeriode::Annee:
        d1 = QDate(P.nAnnee, 1, 1);
        d2 = QDate(P.nAnnee + 1, 1, 1);
        break;
    default: {
        const int nDuree = P.nGenre == TGenrePeriode::Mois ? 1 : P.nGenre == TGenrePeriode::Trimestre ? 3 : 6;
        int m = P.nMois, a = P.nAnnee;
        d1 = QDate(a, m, 1);
        AjouteMois(m, a, nDuree);
        d2 = QDate(a, m, 1);
        break;
    }
    }
    nDebut = d1.isValid() ? SerieDate(d1) : 0;
    nFin = d2.isValid() ? SerieDate(d2) : 0;
}

// The modification time of a file as a local serial; false when it cannot be read.
bool DateFichier(const QByteArray &cFichier, qint64 &nSerie)
{
    struct stat s;
    if (::stat(cFichier.constData(), &s) != 0 || !S_ISREG(s.st_mode))
        return false;
    nSerie = SerieDeTempsFichier(s.st_mtim.tv_sec);
    return true;
}

// Compares two texts as their UTF-8 bytes compare, without encoding them: UTF-16 code units
// order as code points do except surrogates, which must come after U+E000..U+FFFF.
int CompareOctetsUTF8(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const QChar *pa = a.constData(), *pb = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        char16_t ca = pa[i].unicode(), cb = pb[i].unicode();
        if (ca == cb)
            continue;
        auto Rang = [](char16_t c) { return c >= 0xD800 && c < 0xE000 ? c + 0x2000 : c >= 0xE000 ? c - 0x800 : c; };
        return Rang(ca) < Rang(cb) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int NumeroCellule(const TGrille &g, int nLigne, int nColonne)
{
    return (nLigne - 1) * g.nColonnes + nColonne;
}
} // namespace

QString TEnrImgBDD::NomFichier() const
{
    const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
    return n < 0 ? cChemin : cChemin.mid(n + 1);
}

QString TEnrImgBDD::Dossier() const
{
    const QString c = CheminComplet();
    const qsizetype n = c.lastIndexOf(QLatin1Char('/'));
    return n < 0 ? QString() : c.left(n + 1);
}

qint64 SerieDate(const QDate &d, int nSecondes)
{
    return d.isValid() ? d.toJulianDay() * nSecondesJour + nSecondes : 0;
}

qint64 SerieDate(const QDateTime &dt)
{
    if (!dt.isValid())
        return 0;
    return SerieDate(dt.date(), dt.time().msecsSinceStartOfDay() / 1000);
}

QDate JourDeSerie(qint64 nSerie)
{
    return nSerie > 0 ? QDate::fromJulianDay(nSerie / nSecondesJour) : QDate();
}

QDateTime DateDeSerie(qint64 nSerie)
{
    if (nSerie <= 0)
        return {};
    return QDateTime(JourDeSerie(nSerie), QTime::fromMSecsSinceStartOfDay(int(nSerie % nSecondesJour) * 1000));
}

qint64 SerieDeTempsFichier(qint64 nSecondesUTC)
{
    const time_t t = time_t(nSecondesUTC);
    struct tm Local;
    if (!localtime_r(&t, &Local))
        return 0;
    const QDate d(Local.tm_year + 1900, Local.tm_mon + 1, Local.tm_mday);
    // A leap second reads as the last second of its minute.
    return SerieDate(d, Local.tm_hour * 3600 + Local.tm_min * 60 + std::min(Local.tm_sec, 59));
}

QString NomGenrePeriode(TGenrePeriode nGenre)
{
    static const char *const noms[] = {"jour", "semaine", "mois", "trimestre", "semestre", "annee"};
    const int n = int(nGenre);
    return n >= 0 && n < nNbGenresPeriode ? QString::fromLatin1(noms[n]) : QString();
}

QDate LundiDe(const QDate &d)
{
    return d.isValid() ? d.addDays(1 - d.dayOfWeek()) : d;
}

void AjouteMois(int &nMois, int &nAnnee, int nDecalage)
{
    const int n = IndexMois(nMois, nAnnee) + nDecalage;
    nAnnee = n >= 0 ? n / 12 : (n - 11) / 12;
    nMois = n - nAnnee * 12 + 1;
}

TGrille GrilleDe(const TPeriode &Periode)
{
    switch (Periode.nGenre) {
    case TGenrePeriode::Jour: return {6, 4};
    case TGenrePeriode::Semaine: return {4, 2};
    case TGenrePeriode::Mois: return {7, QDate(Periode.nAnnee, Periode.nMois, 1).daysInMonth() == 28 ? 4 : 5};
    case TGenrePeriode::Trimestre: return {5, 3};
    case TGenrePeriode::Semestre: return {3, 2};
    case TGenrePeriode::Annee: return {4, 3};
    }
    return {};
}

QString LibelleCellule(const TPeriode &Periode, int n)
{
    const TGrille g = GrilleDe(Periode);
    if (n < 1 || n > g.Cellules())
        return {};
    switch (Periode.nGenre) {
    case TGenrePeriode::Jour: return QStringLiteral("%1:00").arg(n - 1);
    case TGenrePeriode::Semaine: {
        if (n > 7)
            return {};
        const QDate d = LundiDe(Periode.dJour).addDays(n - 1);
        return QStringLiteral("%1 %2 %3")
            .arg(FrenchFormats::NomJour(d.dayOfWeek()))
            .arg(d.day())
            .arg(MoisCourt(d.month()));
    }
    case TGenrePeriode::Mois:
        return n <= QDate(Periode.nAnnee, Periode.nMois, 1).daysInMonth() ? QString::number(n) : QString();
    case TGenrePeriode::Trimestre: {
        int m = Periode.nMois, a = Periode.nAnnee;
        AjouteMois(m, a, (n - 1) / g.nColonnes);
        const int c = (n - 1) % g.nColonnes + 1;
        const int nLongueur = QDate(a, m, 1).daysInMonth();
        const int nPremier = 7 * c - 6;
        if (nPremier > nLongueur)
            return {};
        return QStringLiteral("%1..%2 %3 %4").arg(nPremier).arg(std::min(7 * c, nLongueur)).arg(MoisCourt(m)).arg(a);
    }
    case TGenrePeriode::Semestre: {
        int m = Periode.nMois, a = Periode.nAnnee;
        AjouteMois(m, a, n - 1);
        return QStringLiteral("%1 %2").arg(FrenchFormats::NomMois(m)).arg(a);
    }
    case TGenrePeriode::Annee: return QStringLiteral("%1 %2").arg(FrenchFormats::NomMois(n)).arg(Periode.nAnnee);
    }
    return {};
}

QStringList EntetesColonnes(const TPeriode &Periode)
{
    QStringList l;
    if (Periode.nGenre != TGenrePeriode::Mois)
        return l;
    const QDate d(Periode.nAnnee, Periode.nMois, 1);
    for (int c = 0; c < 7; ++c)
        l << FrenchFormats::NomJour(d.addDays(c).dayOfWeek());
    return l;
}

bool PlacerImage(const TPeriode &Periode, qint64 nDate, int &nLigne, int &nColonne)
{
    if (nDate <= 0)
        return false;
    qint64 nDebut = 0, nFin = 0;
    BornesPeriode(Periode, nDebut, nFin);
    if (nDebut <= 0 || nDate < nDebut || nDate >= nFin)
        return false;
    const QDate d = JourDeSerie(nDate);
    int k = 0; // the cell, from 0, in the kind's own order
    int nColonnes = 0;
    switch (Periode.nGenre) {
    case TGenrePeriode::Jour:
        k = int((nDate % nSecondesJour) / 3600);
        nColonnes = 6;
        break;
    case TGenrePeriode::Semaine:
        k = int(LundiDe(Periode.dJour).daysTo(d));
        nColonnes = 4;
        break;
    case TGenrePeriode::Mois:
        k = d.day() - 1;
        nColonnes = 7;
        break;
    case TGenrePeriode::Trimestre:
        nLigne = IndexMois(d.month(), d.year()) - IndexMois(Periode.nMois, Periode.nAnnee) + 1;
        nColonne = (d.day() - 1) / 7 + 1;
        return true;
    case TGenrePeriode::Semestre:
        k = IndexMois(d.month(), d.year()) - IndexMois(Periode.nMois, Periode.nAnnee);
        nColonnes = 3;
        break;
    case TGenrePeriode::Annee:
        k = d.month() - 1;
        nColonnes = 4;
        break;
    }
    nLigne = k / nColonnes + 1;
    nColonne = k % nColonnes + 1;
    return true;
}

TGrille RemplirCellules(const std::vector<TEnrImgBDD> &Images, bool lEXIF, const TPeriode &Periode, TCellules &Cellules)
{
    const TGrille g = GrilleDe(Periode);
    for (int r = 0; r < nLignesMax; ++r)
        for (int c = 0; c < nColonnesMax; ++c) {
            TEnrCell &e = Cellules[r][c];
            e = TEnrCell();
            if (r < g.nLignes && c < g.nColonnes)
                e.cLibelle = LibelleCellule(Periode, NumeroCellule(g, r + 1, c + 1));
        }
    qint64 nDebut = 0, nFin = 0;
    BornesPeriode(Periode, nDebut, nFin);
    for (int i = 0; i < int(Images.size()); ++i) {
        const qint64 nDate = DateChoisie(Images[size_t(i)], lEXIF);
        // Most images lie outside the period: two comparisons before any date arithmetic.
        if (nDate < nDebut || nDate >= nFin || nDate <= 0)
            continue;
        int l = 0, c = 0;
        if (PlacerImage(Periode, nDate, l, c) && l >= 1 && l <= g.nLignes && c >= 1 && c <= g.nColonnes)
            Cellules[l - 1][c - 1].lstImgs.append(i);
    }
    for (int r = 0; r < g.nLignes; ++r)
        for (int c = 0; c < g.nColonnes; ++c) {
            TEnrCell &e = Cellules[r][c];
            e.nNbImgs = int(e.lstImgs.size());
            if (e.nNbImgs == 0)
                continue;
            if (e.nNbImgs > 1)
                std::sort(e.lstImgs.begin(), e.lstImgs.end(), [&](int a, int b) {
                    const TEnrImgBDD &A = Images[size_t(a)], &B = Images[size_t(b)];
                    const qint64 da = DateChoisie(A, lEXIF), db = DateChoisie(B, lEXIF);
                    if (da != db)
                        return da < db;
                    const int n = CompareOctetsUTF8(A.cChemin, B.cChemin);
                    return n != 0 ? n < 0 : a < b;
                });
            e.nImgCour = 0;
        }
    return g;
}

bool NaviguePeriode(TPeriode &Periode, int nSens, int nAnneeMin, int nAnneeMax)
{
    const int s = nSens < 0 ? -1 : 1;
    TPeriode p = Periode;
    switch (p.nGenre) {
    case TGenrePeriode::Jour: p.dJour = p.dJour.addDays(s); break;
    case TGenrePeriode::Semaine: p.dJour = p.dJour.addDays(7 * s); break;
    case TGenrePeriode::Mois: AjouteMois(p.nMois, p.nAnnee, s); break;
    case TGenrePeriode::Trimestre: AjouteMois(p.nMois, p.nAnnee, 3 * s); break;
    case TGenrePeriode::Semestre: AjouteMois(p.nMois, p.nAnnee, 6 * s); break;
    case TGenrePeriode::Annee: p.nAnnee += s; break;
    }
    const bool lMois = p.nGenre != TGenrePeriode::Jour && p.nGenre != TGenrePeriode::Semaine;
    if (lMois && (p.nAnnee < nAnneeMin || p.nAnnee > nAnneeMax))
        return false;
    if (!lMois && !p.dJour.isValid())
        return false;
    Periode = p;
    return true;
}

QString BulleNavigation(TGenrePeriode nGenre, int nSens)
{
    return NomGenrePeriode(nGenre) + (nSens < 0 ? QStringLiteral(" précédent(e)") : QStringLiteral(" suivant(e)"));
}

void AnneesCalendrier(const std::vector<TEnrImgBDD> &Images, const QDate &dAujourdhui, int &nAnneeMin, int &nAnneeMax)
{
    nAnneeMin = 1995;
    nAnneeMax = std::max(1995, dAujourdhui.year());
    qint64 nPlusTot = 0, nPlusTard = 0;
    for (const TEnrImgBDD &i : Images)
        for (qint64 d : {i.dDateFichier, i.dDateEXIF}) {
            if (d <= 0)
                continue;
            if (nPlusTot == 0 || d < nPlusTot)
                nPlusTot = d;
            if (d > nPlusTard)
                nPlusTard = d;
        }
    if (nPlusTot > 0) {
        nAnneeMin = std::min(nAnneeMin, JourDeSerie(nPlusTot).year());
        nAnneeMax = std::max(nAnneeMax, JourDeSerie(nPlusTard).year());
    }
}

QString PrefixeJourSerie(qint64 nSerie)
{
    const QDate d = JourDeSerie(nSerie);
    if (!d.isValid())
        return {};
    const QString cJour = FrenchFormats::NomJour(d.dayOfWeek());
    return cJour.left(1).toUpper() + cJour.mid(1, 1) + QLatin1Char(' ');
}

QString TexteDateSerie(qint64 nSerie)
{
    return nSerie > 0 ? FrenchFormats::DateHeure(DateDeSerie(nSerie)) : QString();
}

QString BulleImageCalendrier(const TEnrImgBDD &Img, int nPosition, int nNombre, const QString &cLabelCD)
{
    const QString cCRLF = QStringLiteral("\r\n");
    QString c = QStringLiteral("%1°/%2 Image(s)").arg(nPosition).arg(nNombre);
    c += cCRLF + Img.Dossier();
    c += cCRLF + QStringLiteral("<SG>") + Img.NomFichier() + QStringLiteral("</SG/> ") + cLabelCD;
    c += cCRLF + QStringLiteral("date de modification : ") + PrefixeJourSerie(Img.dDateFichier)
         + TexteDateSerie(Img.dDateFichier);
    if (Img.dDateEXIF != 0)
        c += cCRLF + QStringLiteral("date de prise de vue (EXIF) : ") + PrefixeJourSerie(Img.dDateEXIF)
             + TexteDateSerie(Img.dDateEXIF);
    return c;
}

TExploration ExplorerCellule(const std::vector<TEnrImgBDD> &Images, bool lEXIF, const TPeriode &Periode,
                             const TCellules &Cellules, int nLigne, int nColonne)
{
    TExploration x;
    if (nLigne < 1 || nLigne > nLignesMax || nColonne < 1 || nColonne > nColonnesMax)
        return x;
    const TEnrCell &Cell = Cellules[nLigne - 1][nColonne - 1];
    x.Racine.lstImgs = Cell.lstImgs;
    switch (Periode.nGenre) {
    case TGenrePeriode::Jour:
        x.Racine.cLibelle = PrefixeJourSerie(SerieDate(Periode.dJour)) + FrenchFormats::Date(Periode.dJour)
                            + QLatin1Char(' ') + Cell.cLibelle;
        break;
    case TGenrePeriode::Mois: {
        const QStringList Entetes = EntetesColonnes(Periode);
        x.Racine.cLibelle = Entetes.value(nColonne - 1) + QLatin1Char(' ') + Cell.cLibelle + QLatin1Char(' ')
                            + FrenchFormats::NomMois(Periode.nMois) + QLatin1Char(' ')
                            + QString::number(Periode.nAnnee);
        break;
    }
    default: x.Racine.cLibelle = Cell.cLibelle; break;
    }
    x.cOnglet =
        QStringLiteral("Exploration : ")
        + (Periode.nGenre == TGenrePeriode::Mois ? QStringLiteral("Mois de ") + FrenchFormats::NomMois(Periode.nMois)
                                                       + QLatin1Char(' ') + QString::number(Periode.nAnnee)
                                                 : x.Racine.cLibelle);
    if (Periode.nGenre == TGenrePeriode::Trimestre || Periode.nGenre == TGenrePeriode::Semestre
        || Periode.nGenre == TGenrePeriode::Annee) {
        // The cell is in date order: each day's images follow one another.
        qint64 nJour = -1;
        for (int i : Cell.lstImgs) {
            const qint64 nDate = DateChoisie(Images[size_t(i)], lEXIF);
            if (nDate / 86400 != nJour) {
                nJour = nDate / 86400;
                const QDate d = JourDeSerie(nDate);
                x.Jours.append({PrefixeJourSerie(nDate) + QString::number(d.day()) + QLatin1Char(' ')
                                    + FrenchFormats::NomMois(d.month()),
                                {}});
            }
            x.Jours.last().lstImgs.append(i);
        }
    }
    return x;
}

TGeometriePopup GeometriePopup(int nNbImgs, int nS, int nGaucheCellule, int nDroiteGrille, int nLargeurDefilement,
                               int nPlaceDessous)
{
    TGeometriePopup g;
    const int nPas = nS + 3;
    const int nNb = std::max(1, nNbImgs);
    g.nColonnes = std::clamp((nDroiteGrille - nGaucheCellule - nLargeurDefilement) / std::max(1, nPas), 1, nNb);
    g.nLignes = (nNb + g.nColonnes - 1) / g.nColonnes;
    g.nLargeur = g.nColonnes * nPas;
    const int nHauteurEntiere = g.nLignes * nPas;
    // At least one row shows, whatever the room below.
    g.nHauteur = std::min(nHauteurEntiere, std::max(nPlaceDessous, nPas));
    if (g.nHauteur < nHauteurEntiere)
        g.nLargeur += nLargeurDefilement;
    return g;
}

QSize TailleImageCellule(int w, int h, int nS)
{
    if (w <= 0 || h <= 0)
        return {};
    if (std::max(w, h) == nS)
        return {w, h};
    return TailleAjustee(w, h, nS);
}

QStringList ClesImagesCalendrier(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup)
{
    QStringList Sections;
    iniBDD.ReadSections(Sections);
    QStringList Cles;
    QSet<QString> Vues;
    Vues.reserve(Sections.size());
    auto Ajoute = [&](const QString &c) {
        if (c.isEmpty() || Vues.contains(c))
            return;
        Vues.insert(c);
        Cles.append(c);
    };
    for (const QString &c : std::as_const(Sections))
        Ajoute(c);
    QStringList l;
    for (const QString &cSection : {cSectionMotsCles, cSectionCoupsDeCoeur, cSectionLegendes}) {
        iniSetup.ReadSection(cSection, l);
        for (const QString &c : std::as_const(l))
            Ajoute(c);
    }
    return Cles;
}

std::vector<TEnrImgBDD> ChargerImagesCalendrier(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup,
                                                const QString &cDossierVignettes)
{
    const QStringList Cles = ClesImagesCalendrier(iniBDD, iniSetup);
    // The two stats of each key are most of the work and mostly waiting on the file system:
    // contiguous slices of the keys go to a few threads, joined back in key order.
    auto Tranche = [&Cles, &cDossierVignettes](qsizetype nDebut, qsizetype nFin, std::vector<TEnrImgBDD> &Images) {
        Images.reserve(size_t(nFin - nDebut));
        for (qsizetype i = nDebut; i < nFin; ++i) {
            const TEnrLST k = DecomposeCle(Cles[i]);
            if (k.cChemin.isEmpty())
                continue;
            qint64 nDateVignette = 0;
            if (!DateFichier(QFile::encodeName(NomVignette(cDossierVignettes, k.nVolume, k.cChemin)), nDateVignette))
                continue;
            TEnrImgBDD e;
            e.nIdCD = k.nVolume;
            e.cChemin = k.cChemin;
            if (k.nVolume != 0)
                e.dDateFichier = nDateVignette;
            else if (!DateFichier(QFile::encodeName(k.cChemin), e.dDateFichier))
                continue;
            Images.push_back(std::move(e));
        }
    };
    constexpr qsizetype nParFil = 2048;
    const int nFils =
        int(std::clamp<qsizetype>(Cles.size() / nParFil, 1, std::max(4, int(std::thread::hardware_concurrency()) * 2)));
    std::vector<std::vector<TEnrImgBDD>> Parties;
    Parties.resize(size_t(nFils));
    std::vector<std::thread> Fils;
    for (int f = 1; f < nFils; ++f)
        Fils.emplace_back(Tranche, Cles.size() * f / nFils, Cles.size() * (f + 1) / nFils,
                          std::ref(Parties[size_t(f)]));
    Tranche(0, Cles.size() / nFils, Parties[0]);
    for (std::thread &t : Fils)
        t.join();
    std::vector<TEnrImgBDD> Images = std::move(Parties[0]);
    for (int f = 1; f < nFils; ++f)
        std::move(Parties[size_t(f)].begin(), Parties[size_t(f)].end(), std::back_inserter(Images));
    return Images;
}

bool LireDatesEXIF(std::vector<TEnrImgBDD> &Images, const TBigIniFile &iniSetup,
                   const std::function<bool(int nFaits)> &fnAvance, int nFils)
{
    const int n = int(Images.size());
    std::atomic<int> nFaits{0};
    std::atomic<bool> lArret{false};
    std::vector<int> Fichiers;
    // The stored records of CD images are read here: the store is not shared with the workers.
    for (int i = 0; i < n; ++i) {
        TEnrImgBDD &e = Images[size_t(i)];
        if (e.nIdCD == 0) {
            Fichiers.push_back(i);
            continue;
        }
        TDonneesEXIF d;
        LireEXIFCatalogue(iniSetup, CleImage(e.nIdCD, e.cChemin), d, TContexteFocale());
        e.dDateEXIF = SerieDate(LitDatePDV(d.cDatePDV));
        ++nFaits;
        if ((i & 255) == 0 && fnAvance && !fnAvance(nFaits)) {
            lArret = true;
            break;
        }
    }
    if (!lArret && !Fichiers.empty()) {
        std::atomic<size_t> nSuivant{0};
        auto Travail = [&] {
            for (;;) {
                if (lArret)
                    return;
                const size_t k = nSuivant++;
                if (k >= Fichiers.size())
                    return;
                TEnrImgBDD &e = Images[size_t(Fichiers[k])];
                const TLectureEXIF l = LitEXIF(e.cChemin, false);
                e.dDateEXIF = SerieDate(LitDatePDV(l.Donnees.cDatePDV));
                ++nFaits;
            }
        };
        int nNbFils = nFils > 0 ? nFils : int(std::thread::hardware_concurrency());
        nNbFils = std::clamp(nNbFils, 1, std::max(1, int(Fichiers.size())));
        std::vector<std::thread> Fils;
        for (int i = 0; i < nNbFils; ++i)
            Fils.emplace_back(Travail);
        while (nFaits < n && !lArret) {
            if (fnAvance && !fnAvance(nFaits))
                lArret = true;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        for (std::thread &f : Fils)
            f.join();
    }
    if (lArret) {
        for (TEnrImgBDD &e : Images)
            e.dDateEXIF = 0;
        return false;
    }
    if (fnAvance)
        fnAvance(n);
    return true;
}

void LocaliseImage(TEnrImgBDD &Img, const TLecteursCD &Lecteurs)
{
    if (Img.lLocalise)
        return;
    Img.lLocalise = true;
    if (Img.nIdCD == 0)
        return;
    QString cLecteur;
    LecteurDeCle(Lecteurs, Img.nIdCD, Img.cChemin, cLecteur);
    if (cLecteur.endsWith(QLatin1Char('/')))
        cLecteur.chop(1);
    Img.cLecteur = cLecteur;
}
