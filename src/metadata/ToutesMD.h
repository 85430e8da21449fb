#pragma once
// Everything the image properties sheet shows, as data: the all-metadata lists of a file (every
// EXIF tag and IPTC dataset the imaging layer reports), their copy text and row hints, and the
// sheet's texts and visibilities for one list entry. Reading only: nothing here writes.

#include "classification/Classement.h"
#include "exploration/EnrLV.h"
#include "imaging/Imaging.h"

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class TBigIniFile;

// One row of the all-metadata grids: EXIF tag number or IPTC dataset number, name, value.
struct TEnrToutesMD
{
    quint32 nId = 0;
    QString cNom;
    QString cValeur;
    friend bool operator==(const TEnrToutesMD &, const TEnrToutesMD &) = default;
};

// A grid cell holds one line: longer values (a block printed as numbers, thousands of keywords)
// end with "…" at this length.
inline constexpr int nMaxValeurToutesMD = 2000;

// The EXIF rows from the entries the imaging layer gives: entries with a blank name or value
// left out, CR and LF made blanks, only the first entry of a tag kept; sorted by tag.
QList<TEnrToutesMD> ListeToutesEXIF(const QList<Imaging::TEntreeMeta> &Entrees);
// The IPTC rows: the same, except that the values of one dataset are joined by a blank on its
// first row (repeatable datasets such as keywords).
QList<TEnrToutesMD> ListeToutesIPTC(const QList<Imaging::TEntreeMeta> &Entrees);

struct TToutesMD
{
    QList<TEnrToutesMD> EXIF;
    QList<TEnrToutesMD> IPTC;
};
// Both lists of a file; empty lists for a file that is gone or unreadable.
TToutesMD LitToutesMD(const QString &cFichier);

// The copy of a list: "%d - %s : %s" and a line feed per row.
QString TexteCopieToutesMD(const QList<TEnrToutesMD> &Liste);
// "EXIF" or "IPTC", with "*" when the list holds a row.
QString TitrePageToutesMD(const QString &cTitre, const QList<TEnrToutesMD> &Liste);
// The hint of a data row: the first column's title ("Tag" or "Id") in bold, the identifier
// indented below it, then the name and value as a legend (cLegende, already made).
QString BulleLigneToutesMD(const QString &cTitreColonne, const TEnrToutesMD &Enr, const QString &cLegende);
// The width of the value column of a window nLargeur wide: the rest beside the two first
// columns, never under 100 pixels (the grid scrolls then).
int LargeurColonneValeur(int nLargeurFenetre);

// The size the sheet draws the grid's thumbnail at: its longest side min(140, nTailleGrille),
// the other in proportion (rounded, at least 1). An empty size when there is no picture.
QSize TailleImageProprietes(QSize Vignette, int nTailleGrille);

// Where the sheet takes what is not in the list entry.
struct TSourcesProprietes
{
    const TBigIniFile *iniSetup = nullptr; // disc labels
    bool lTrtDescription = false;          // descriptions are handled
    // The list's column texts for the letters 'R', 'T' and 'D' (resolution, size, date).
    std::function<QString(const TEnrLV &, QChar)> fnTexteColonne;
    std::function<QList<TNoeudClassement>(const TEnrLV &)> fnClassement;
    std::function<QString(const TEnrLV &)> fnMotsCles;
    std::function<bool(const TEnrLV &)> fnCoupDeCoeur;
    std::function<QString(const TEnrLV &)> fnLegende;
    std::function<QString(const TEnrLV &)> fnDescription;
    // The names of the image albums and the personal web albums holding an image key.
    std::function<QStringList(const QString &)> fnAlbumsImages;
    std::function<QStringList(const QString &)> fnAlbumsWEBPerso;
    // The legend text of a hint (title, text, width).
    std::function<QString(const QString &, const QString &, int)> fnTexteLegende;
    // The all-metadata lists of a full path; LitToutesMD when not set.
    std::function<TToutesMD(const QString &)> fnToutesMD;
};

// One EXIF or IPTC value of the sheet: shown only when present.
struct TValeurProprietes
{
    bool lVisible = false;
    QString cTexte;
};

struct TContenuProprietes
{
    QString cTitre;         // "Propriétés de %s (%d/%d)"
    QString cTitreToutesMD; // "Méta-données de %s"

    QString cEmplacement, cCD, cNom, cResolution, cTaille, cDate;
    bool lColorimetrie = false, lMotif = false;
    QString cPctCouleur, cPctMotif;
    QString cMemoSonore; // the companion sound file; empty: none

    QList<TNoeudClassement> Criteres; // criterion nodes only
    QString cMotsCles;
    bool lCoupDeCoeur = false;
    QString cLegende, cBulleLegende;
    bool lDescription = false; // descriptions are handled: the description box shows
    QString cDescription, cBulleDescription;
    int nHauteurLegende = 41;
    QString cAlbImg, cAlbWHP;

    bool lEXIF = false;
    TValeurProprietes Appareil, Focale, Vitesse, Diaphragme, DatePDV, ISO, Orientation, Commentaire;

    bool lIPTC = false;
    QString cPageLegende, cPageMotsCles, cPageCategorie, cPageCredits; // captions, "*" when filled
    QString cLegTitre, cLegTexte, cBulleLegTexte, cLegCopyright, cLegAuteur;
    QString cMC; // one keyword per line
    QString cCatCat, cCatSuppl;
    QString cCrdCredits, cCrdSource, cOriNom, cOriDate, cOriVille, cOriEtat, cOriPays;

    TToutesMD ToutesMD;
    QString cPageEXIF, cPageIPTC;
};

// The criterion nodes of a classification tree: folder nodes (icons 0 and 1) and nodes with a
// criterion's own icon; keyword, favourite, legend, description, EXIF and IPTC nodes dropped.
QList<TNoeudClassement> NoeudsCriteres(const QList<TNoeudClassement> &Noeuds);

// The sheet for the entry at nIndex (0-based) of a list of nNombre images.
TContenuProprietes ContenuProprietes(const TEnrLV &Enr, int nIndex, int nNombre, const TSourcesProprietes &S);
