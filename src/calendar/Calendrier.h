#pragma once
// The calendar of images: the catalogued images laid out on a time grid of hours, days, spans
// of days or months. Everything here is plain data: the window only shows the cells and asks
// for the labels, the hints and the exploration tree.
//
// Dates are held as local "serials": the day's Julian number times 86,400 plus the seconds of
// the day, so that placing and ordering an image never goes through time zones again and two
// images of the same second compare equal whatever the fractions the file system keeps. 0 is
// "no date".

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

class TBigIniFile;
class TLecteursCD;

// One catalogued image, all of them held in one list for the window's life.
struct TEnrImgBDD
{
    qint32 nIdCD = 0;       // volume number of the key, 0 off CDs
    bool lLocalise = false; // cLecteur has been looked for since the window opened
    QString cLecteur;       // mount point of the CD found when locating, without its final "/"
    QString cChemin;        // path part of the key
    qint64 dDateFichier = 0;
    qint64 dDateEXIF = 0; // 0 until read, or when the image has no readable shooting date

    QString CheminComplet() const { return cLecteur + cChemin; }
    QString NomFichier() const;
    // The folder of the full path, with its final "/".
    QString Dossier() const;
};

// Local date serials.
qint64 SerieDate(const QDateTime &dt);
qint64 SerieDate(const QDate &d, int nSecondes = 0);
QDateTime DateDeSerie(qint64 nSerie);
QDate JourDeSerie(qint64 nSerie);
// The local serial of a file time (seconds since 1970, UTC).
qint64 SerieDeTempsFichier(qint64 nSecondesUTC);

// The period kinds, in the order of the window's list.
enum class TGenrePeriode { Jour = 0, Semaine, Mois, Trimestre, Semestre, Annee };
inline constexpr int nNbGenresPeriode = 6;
// "jour", "semaine", "mois", "trimestre", "semestre", "annee".
QString NomGenrePeriode(TGenrePeriode nGenre);

struct TPeriode
{
    TGenrePeriode nGenre = TGenrePeriode::Jour;
    QDate dJour;    // "jour" and "semaine"
    int nMois = 1;  // start month of "mois" to "semestre"
    int nAnnee = 0; // its year; the year of "annee"
};

// The first day of the week holding d (Monday).
QDate LundiDe(const QDate &d);
// The month nDecalage months after nMois of nAnnee, the year following.
void AjouteMois(int &nMois, int &nAnnee, int nDecalage);

struct TGrille
{
    int nColonnes = 0;
    int nLignes = 0;
    int Cellules() const { return nColonnes * nLignes; }
};
// The grid of a period: "mois" has 4 rows for a month of 28 days.
TGrille GrilleDe(const TPeriode &Periode);

// The label of cell nCellule (from 1, row by row in the period's grid); empty for a cell that
// stands for no time (the eighth of a week, days past the month's end).
QString LibelleCellule(const TPeriode &Periode, int nCellule);
// For "mois": the long names of the weekdays of days 1 to 7; empty for the other kinds.
QStringList EntetesColonnes(const TPeriode &Periode);

// Where a date falls in the period's grid (rows and columns from 1); false outside the period
// or for no date.
bool PlacerImage(const TPeriode &Periode, qint64 nDate, int &nLigne, int &nColonne);

// One cell of the grid.
struct TEnrCell
{
    int nNbImgs = 0;
    int nImgCour = -1;  // position in lstImgs of the image shown; -1 when empty
    QList<int> lstImgs; // positions in the image list, in cell order
    QString cLibelle;
};
inline constexpr int nLignesMax = 5;
inline constexpr int nColonnesMax = 7;
using TCellules = std::array<std::array<TEnrCell, nColonnesMax>, nLignesMax>;

// The chosen date of an image.
inline qint64 DateChoisie(const TEnrImgBDD &Img, bool lEXIF)
{
    return lEXIF ? Img.dDateEXIF : Img.dDateFichier;
}

// Empties the cells, sets the labels of the period's grid, places every image whose chosen date
// falls in the period and orders each cell by that date to the second, then by path byte by
// byte; each cell shows its first image. Returns the grid.
TGrille RemplirCellules(const std::vector<TEnrImgBDD> &Images, bool lEXIF, const TPeriode &Periode,
                        TCellules &Cellules);

// The period one unit before (nSens < 0) or after: a day, a week, one, three or six months, a
// year. The month kinds do not leave the years nAnneeMin..nAnneeMax: false and Periode unchanged.
bool NaviguePeriode(TPeriode &Periode, int nSens, int nAnneeMin, int nAnneeMax);
// Hint of the navigation buttons: "mois précédent(e)".
QString BulleNavigation(TGenrePeriode nGenre, int nSens);

// The years the year list offers: from the earliest to the latest dated image, and at least
// 1995 to the year of dAujourdhui.
void AnneesCalendrier(const std::vector<TEnrImgBDD> &Images, const QDate &dAujourdhui, int &nAnneeMin, int &nAnneeMax);

// The first two letters of the French day name of a serial's date, the first in upper case,
// and a space ("Di ").
QString PrefixeJourSerie(qint64 nSerie);
// "dd/MM/yyyy HH:mm:ss" of a serial.
QString TexteDateSerie(qint64 nSerie);

// The hint of a cell's image nPosition (from 1) out of nNombre, in the hint markup. cLabelCD is
// the CD's label (empty off CDs or when unknown).
QString BulleImageCalendrier(const TEnrImgBDD &Img, int nPosition, int nNombre, const QString &cLabelCD);

// The exploration of one cell: the root node with every image of the cell and, for the kinds
// whose cells hold several days, one child per day that has images.
struct TNoeudExploration
{
    QString cLibelle;
    QList<int> lstImgs; // positions in the image list, in cell order
};
struct TExploration
{
    QString cOnglet; // "Exploration : ..."
    TNoeudExploration Racine;
    QList<TNoeudExploration> Jours;
};
TExploration ExplorerCellule(const std::vector<TEnrImgBDD> &Images, bool lEXIF, const TPeriode &Periode,
                             const TCellules &Cellules, int nLigne, int nColonne);

// The pop-up of a cell's pictures: cells of S + 3 square, as many columns as fit between the
// cell's left edge and the grid's right edge less a scroll bar (at most the image count, at
// least 1), as many rows as needed, its height limited to the room below.
struct TGeometriePopup
{
    int nColonnes = 1;
    int nLignes = 1;
    int nLargeur = 0;
    int nHauteur = 0;
};
TGeometriePopup GeometriePopup(int nNbImgs, int nS, int nGaucheCellule, int nDroiteGrille, int nLargeurDefilement,
                               int nPlaceDessous);

// The size a cell draws a thumbnail of w × h at: as it is when its larger side is already S,
// else fitted into S × S by the grid's rule.
QSize TailleImageCellule(int w, int h, int nS);

// ---- Building the image list

// The image keys: the catalogue's sections, then the keys of "MOTS-CLES", "COUPS DE COEUR" and
// "LEGENDES" not already there, each once.
QStringList ClesImagesCalendrier(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup);

// The images of the keys that have a cached thumbnail, dated by the thumbnail file for a CD
// image (the cache stamps it with the image's date) and by the image file otherwise, which
// must exist.
std::vector<TEnrImgBDD> ChargerImagesCalendrier(const TBigIniFile &iniBDD, const TBigIniFile &iniSetup,
                                                const QString &cDossierVignettes);

// Reads the shooting dates: CD images from the catalogue's stored EXIF records, the others
// from their files on nFils worker threads (0: one per core). fnAvance(nFaits) is called on
// the calling thread now and then; when it answers false the reading stops, every date read
// is cleared and false is returned.
bool LireDatesEXIF(std::vector<TEnrImgBDD> &Images, const TBigIniFile &iniSetup,
                   const std::function<bool(int nFaits)> &fnAvance, int nFils = 0);

// Looks for the CD of an image once while the window is open.
void LocaliseImage(TEnrImgBDD &Img, const TLecteursCD &Lecteurs);
