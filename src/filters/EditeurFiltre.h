#pragma once
// The filter editor without its window: the dialog's state as plain data, how a record fills it
// and how a validated state makes a fresh record, the "*" of the page captions, the OK rule,
// the colour chart and bar, the zone drawn on the pattern picture, the resets of the
// "Pas de filtre" menu, the pattern folder and the saved filters.

#include "storage/EnrFiltres.h"

#include <QDate>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class TBigIniFile;

// The zone selected on the pattern picture, in its pixels, right and bottom included.
struct TZoneMotif
{
    bool lDefinie = false;
    bool lGlisse = false;
    int nCode = 0; // hit code of the last test: 0 outside, 1 to 9 corners, edges, inside
    QPoint ptDernier;
    int nGauche = 0, nHaut = 0, nDroite = 0, nBas = 0;

    QRect Rect() const { return QRect(QPoint(nGauche, nHaut), QPoint(nDroite, nBas)); }

    // The hit code of a point, with a band of 4 pixels around each edge; 0 without a zone.
    int Touche(const QPoint &pt) const;
    // Button pressed at pt: dragging starts; outside the zone it is dropped.
    void Presse(const QPoint &pt);
    // Mouse moved to pt. While dragging without a zone a 17 × 17 one is made under the
    // pointer; the pointer is then to move to the returned point (its lower right corner).
    std::optional<QPoint> Deplace(const QPoint &pt);
    // Button released: dragging stops and the zone is clamped into a picture of that size.
    void Relache(const QSize &Image);
    // A zone within the picture, or none when it cannot hold one.
    void Borne(const QSize &Image);
};

// Every control of the dialog, as the user leaves it.
struct TEtatEditeur
{
    int nPageFiltres = 0;
    int nPageIPTC = 0;

    int nImages = 0;
    bool lJPEG = true, lRAW = true, lPNG = true;
    bool lModeles = false;
    QString cModeles;
    bool lTailleInf = false, lTailleSup = false;
    qint64 nTailleInf = 0, nTailleSup = 0;
    bool lDateAnt = false, lDatePst = false;
    QDate dDateAnt = QDate::currentDate(), dDatePst = QDate::currentDate();
    bool lDescription = false;
    QString cDescription;

    QString cFAppareil;
    int nOpFocale = 0, nOpVitesse = 0, nOpDiaphragme = 0, nOpDatePDV = 0, nOpISO = 0;
    QString cFFocale, cFVitesse, cFDiaphragme, cFISO;
    QDate dFDatePDV = QDate::currentDate();
    QString cFCommentaire;

    QString cFTitre, cFTexte, cFCopyright, cFAuteur;
    QString cMemoMotsCles; // one mask a line
    QString cFCategorie;
    QString cMemoCatSuppl; // one mask a line
    QString cFCredits, cFSource;
    QString cFOriNom, cFOriVille, cFOriEtat, cFOriPays;
    int nOpOriDate = 0;
    QDate dOriDate = QDate::currentDate();

    int nTeinte = 120, nSaturation = 120, nLuminosite = 120;
    bool lColT = false, lColS = false, lColL = false;
    int nTolColorimetrie = 32, nSeuilColorimetrie = 75;

    bool lMotif = false; // the box "Filtrer sur le Motif"
    QString cMotif;      // the pattern name, empty when none is loaded
    bool lMotifSym = false;
    int nMethZoneMotif = 0;
    bool lPixT = true, lPixS = false, lPixL = false;
    int nTolMotif = 32, nSeuilMotif = 75;
    TZoneMotif Zone;
};

// The channel boxes as a 4/2/1 sum and back.
int SommeCanaux(bool lT, bool lS, bool lL);

// A record shown: every value brought within what its control offers (operators 0 to 6,
// tolerances 8 to 128, thresholds 10 to 100, colour values 0 to 239, a date that does not
// read is today). The zone is clamped later, against the pattern picture.
TEtatEditeur EtatDepuisEnr(const TEnrFiltres &Enr);
// The record made on OK: a fresh one, output percentages 0, then the derived flags.
// Without descriptions handled the description criterion stays off.
TEnrFiltres EnrDepuisEtat(const TEtatEditeur &e, bool lDescriptions);

// Where a page caption takes its "*".
struct TEtoiles
{
    bool lGeneral = false, lEXIF = false, lIPTC = false, lColorimetrie = false, lMotif = false;
    bool lLegende = false, lMotsCles = false, lCategorie = false, lCreditsOrigine = false;
};
TEtoiles Etoiles(const TEtatEditeur &e, bool lRecherche, bool lDescriptions);
inline QString Titre(const QString &cTitre, bool lEtoile)
{
    return lEtoile ? cTitre + QLatin1Char('*') : cTitre;
}
// OK needs a kind, a model text when models are asked, a description when it is asked.
bool OKPermis(const TEtatEditeur &e, bool lDescriptions);

// The colour of the chart and bar from hue 0-239, saturation and luminosity 0-240.
QRgb VersRVB(int h, int s, int l);
// The chart (hue across, saturation upward at luminosity 120) and the grey bar.
QImage DessineNuancier(const QSize &Taille);
QImage DessineBarre(const QSize &Taille);
// The marker ellipses (the rectangle they are drawn in) and what a click chooses.
QRect MarqueNuancier(int nTeinte, int nSaturation, const QSize &Taille);
QRect MarqueBarre(int nLuminosite, const QSize &Taille);
std::pair<int, int> ClicNuancier(const QPoint &pt, const QSize &Taille); // hue, saturation
int ClicBarre(int y, const QSize &Taille);

// The resets of "Pas de filtre", one page each.
void RAZGeneral(TEtatEditeur &e);
void RAZEXIF(TEtatEditeur &e);
void RAZIPTC(TEtatEditeur &e);
void RAZColorimetrie(TEtatEditeur &e);
void RAZMotif(TEtatEditeur &e);

// What a number edit keeps of typed or pasted text.
enum class TSaisie { Entier, Decimal, Vitesse };
QString FiltreSaisie(const QString &cTexte, TSaisie nGenre);
// A model text without its "." (the extension is the file's own).
QString FiltreModeles(const QString &cTexte);

// The pattern files: the JPEG files (not folders) of the folder, sorted; empty without it.
QStringList ListeMotifs(const QString &cDossierMotifs);
// A pattern picture read for the dialog, or nothing when it cannot be (missing, a name leading
// out of the folder, unreadable, beyond the imaging limits).
std::optional<QImage> ChargeMotif(const QString &cDossierMotifs, const QString &cNom);
// The blank square shown without a pattern.
QImage MotifVide(const QColor &Fond);
// The thumbnail taken as a pattern: its longer side made 120.
QImage ImagePriseCommeMotif(const QImage &Vignette);
// Writes the picture taken from the current image into the pattern folder under the image's
// name with ".jpg"; a different file already there keeps its name and the new one is numbered
// ("IMG_0001(2).jpg"). The name written, or nothing with the reason in cErreur (French).
std::optional<QString> EcritMotif(const QImage &Image, const QString &cDossierMotifs, const QString &cFichierImage,
                                  QString *cErreur);

// Saved filters of the settings store.
QStringList NomsFiltresSauves(const TBigIniFile &ini);
// The state restored from a saved filter: false (state unchanged) unless the value holds 59
// fields. Values out of range are brought within the controls' as when showing a record.
bool RestaureFiltre(const TBigIniFile &ini, const QString &cNom, TEtatEditeur &e);
// Writes the state as the saved form (the pattern box as checked) and saves the store; false
// when the save failed, the value then staying in memory.
bool SauveFiltre(TBigIniFile &ini, const QString &cNom, const TEtatEditeur &e, bool lDescriptions);
bool SupprimeFiltre(TBigIniFile &ini, const QString &cNom);
