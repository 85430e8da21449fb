#pragma once
// The report of chosen data of chosen images: which items exist and what each gives for a list
// entry, the saved choice of items, and the two pages built from them (a formatted page as
// paragraphs ready for a QTextDocument or RTF, and a "|"-separated table), in the normal mode
// (the list entries' own texts) and in the all-present mode (every EXIF tag and IPTC dataset
// of the files).

#include "exploration/EnrLV.h"
#include "metadata/ToutesMD.h"
#include "platform/EcritRTF.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QTextDocument;

inline constexpr int nNbChoixDon = 27;
inline constexpr int nMasqueChoixDonDefaut = 134217727; // all 27 items
inline constexpr int nChoixDescription = 4;

enum class TGroupeDon { Generales, EXIF, IPTC };

struct TChoixDon
{
    QString cNom;
    TGroupeDon nGroupe = TGroupeDon::Generales;
    QString cPrefixe; // before the value on the formatted page
    QString cUnite;   // after the value and a blank
};

// The 27 items in their order.
const QList<TChoixDon> &ChoixDonnees();
// The first and last item of a group (general 0-4, EXIF 5-12, IPTC 13-26).
int PremierChoixDuGroupe(TGroupeDon nGroupe);
int DernierChoixDuGroupe(TGroupeDon nGroupe);
// The bits of a group's items.
quint32 MasqueDuGroupe(TGroupeDon nGroupe);

// The items checked at opening from the saved mask: bits past 26 ignored, the description
// unchecked while descriptions are off whatever the mask says.
quint32 ChoixDeMasque(int nMasque, bool lTrtDescription);
// The mask saved at closing: the checked items, except that while descriptions are off the
// description's bit is kept as it was saved, so that the choice comes back with them; the
// bits past 26 of the saved mask are kept too.
int MasqueAEnregistrer(quint32 nChoix, int nMasqueLu, bool lTrtDescription);

// Where the general items come from.
struct TSourcesExtraction
{
    bool lTrtDescription = false;
    std::function<QString(const TEnrLV &)> fnMotsCles;    // "MOTS-CLES"
    std::function<QString(const TEnrLV &)> fnLegende;     // "LEGENDES"
    std::function<QString(const TEnrLV &)> fnDescription; // the description
    // The all-metadata lists of a full path; LitToutesMD when not set.
    std::function<TToutesMD(const QString &)> fnToutesMD;
};

// Item nChoix's value for an entry, trimmed, without prefix or unit; EXIF items are empty for
// an entry without EXIF, IPTC items for one without IPTC. Line breaks of the EXIF comment and
// of the general texts become blanks; repeatable IPTC values are joined by blanks.
QString ValeurChoix(int nChoix, const TEnrLV &Enr, const TSourcesExtraction &S);

// A value as a cell of the "|" table: "|" becomes "¦", each line break a blank.
QString CelluleTable(const QString &cValeur);

// Both pages of one extraction.
struct TRapportExtraction
{
    QList<TParagrapheRTF> Formate; // the formatted page, one paragraph per line
    QStringList Brut;              // the plain page, one entry per line
    // Per image handed over: the formatted page's paragraph and the plain page's line where it
    // starts; -1 when it does not take part.
    QList<int> nLigneFormate;
    QList<int> nLigneBrut;
    int nNbImages = 0; // images that take part
    QString TexteBrut() const;
};

// The normal mode over the checked images, in list order, with the checked items nChoix.
TRapportExtraction ExtraitNormal(const QList<const TEnrLV *> &Images, quint32 nChoix, const TSourcesExtraction &S);

// One image's entries in the all-present mode; nImage is its place in the list handed over.
struct TEnrGlobaleToutesMD
{
    QString cChemin;
    QList<TEnrToutesMD> EXIF;
    QList<TEnrToutesMD> IPTC;
    int nImage = -1;
};

// A tag identifier met in the all-present mode with the first name met for it.
struct TEnrTagNom
{
    quint32 nId = 0;
    QString cNom;
    friend bool operator==(const TEnrTagNom &, const TEnrTagNom &) = default;
};

// True when the entry's file can be read now (it exists and, on a CD, the disc is in a drive).
bool FichierDisponible(const TEnrLV &Enr);

// Reads the entries of each available image in order. fnAvance, when set, is asked before each
// image with the number done so far and stops the reading when it returns false: the images
// read until then are returned.
QList<TEnrGlobaleToutesMD> LitToutesPresentes(const QList<const TEnrLV *> &Images, const TSourcesExtraction &S,
                                              const std::function<bool(int nFaits)> &fnAvance = {});

// The union of the identifiers of one kind over the images, sorted by identifier.
QList<TEnrTagNom> UnionTags(const QList<TEnrGlobaleToutesMD> &Lues, bool lIPTC);

// The all-present mode over what LitToutesPresentes read from Images.
TRapportExtraction ExtraitToutesPresentes(const QList<const TEnrLV *> &Images, const QList<TEnrGlobaleToutesMD> &Lues,
                                          bool lEXIF, bool lIPTC);

// The formatted page as a document (default font Arial 8 pt, indents in pixels at 96 dpi).
void RemplitDocument(QTextDocument &doc, const QList<TParagrapheRTF> &Paragraphes);
