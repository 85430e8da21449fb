#pragma once
// Copying one kind of an image's data into others, or deleting kinds of data, for a batch of
// images: keywords and legends of the settings store, descriptions, and the IPTC caption,
// keywords and categories written into JPEG files.
//
// Each image fails at most once whatever goes wrong for it, so that the count of images done
// never goes below zero; the reason of a failed IPTC write is kept for the report. Keywords and
// legends go to the settings store with one save at the end; descriptions with one save per
// folder.

#include "metadata/DonneesMeta.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class IVolumes;
class TBigIniFile;
class TDescriptions;

// Where the copied text comes from.
enum class TSourceGestion {
    Aucune,
    CriteresHierarchiques,
    MotsCles,
    Legende,
    Description,
    CommentaireEXIF,
    LegendeIPTC,
    MotsClesIPTC,
    CategoriesIPTC,
    Constante,
};

// The kinds of data a copy writes or a deletion removes, as bits.
enum : int {
    nDonMotsCles = 1,
    nDonLegende = 2,
    nDonDescription = 4,
    nDonLegendeIPTC = 8,
    nDonMotsClesIPTC = 16,
    nDonCategoriesIPTC = 32,
    nDonIPTC = nDonLegendeIPTC | nDonMotsClesIPTC | nDonCategoriesIPTC,
};

// The destinations a source may be copied to (a bit set of the kinds above).
int DestinationsPermises(TSourceGestion nSource);

struct TParamsGestion
{
    bool lCopier = true;
    TSourceGestion nSource = TSourceGestion::Aucune;
    QString cConstante;
    int nDestinations = 0; // bits; only those the source permits count
    int nSuppressions = 0; // bits
};

// The kinds a batch with these parameters writes or removes (none when it could not start).
int DonneesTouchees(const TParamsGestion &P);
// Whether "Traiter" may start: an image checked and something to do.
bool TraitementPossible(const TParamsGestion &P, int nImagesCochees);

// Keywords as stored from a copied text: upper case, split at blanks, a word with a character
// other than A-Z, 0-9, "&+,-._" dropped whole, of equal words the last kept. lAvertissement is
// set when a word was dropped.
QString MotsClesCopies(const QString &cTexte, bool &lAvertissement);

// One image of the batch, as the image list knows it; the results come back in it.
struct TImageGestion
{
    QString cCle;
    qint32 nNumCD = 0;
    QString cChemin;  // path part of the key
    QString cFichier; // full path of the file, empty when absent (CD not mounted, file gone)
    QString cCommentaireEXIF;
    TDonneesIPTC Iptc; // as listed; re-read after a write
    qint64 nTaille = 0;

    // Filled by the batch.
    bool lEchec = false;
    bool lClassementChange = false; // keywords, legend or description changed
    bool lFichierChange = false;    // IPTC written: size and IPTC above re-read
};

struct TStoresGestion
{
    TBigIniFile &iniSetup;
    TBigIniFile &iniBDD;
    TDescriptions &Descriptions;
    const IVolumes *pVolumes = nullptr;
};

struct TResultatGestion
{
    int nTotal = 0;
    int nEchecs = 0;
    bool lAvertissement = false;
    QStringList Erreurs; // "nom : raison"
    QString cErreurSauvegarde;
    bool lQuelqueChose = false; // something was written, for the main window's refresh
};

// Runs the batch over the images, in order; the IPTC files are written a few at a time once the
// stores' changes are noted. fnImageFaite, when given, is then called for each image (its
// index), in order, so that the caller refreshes its row.
TResultatGestion TraiteGestion(TStoresGestion &Stores, const TParamsGestion &P, QList<TImageGestion> &Images,
                               const std::function<void(int)> &fnImageFaite = {});

// The report's text.
QString TexteRapportGestion(const TResultatGestion &r);
