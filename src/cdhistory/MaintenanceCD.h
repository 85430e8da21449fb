#pragma once
// Maintenance of the CD history: removing images from it (a folder, a folder with its
// sub-folders, the images no longer on the disc), listing a CD's unclassified images, comparing
// two CDs and moving the whole history of one CD to another (a re-burnt disc or a copy gets a
// new serial while its images stay the same). The windows of the page "CDs" ask the questions;
// everything that reads or changes the stores and the thumbnail folders is here.

#include "cdhistory/ArboCD.h"
#include "metadata/Focale.h"
#include "thumbnails/ThumbnailCache.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class IVolumes;
class TBigIniFile;
class TLecteursCD;

// What a maintenance command works on: the two stores and the thumbnail folder (ending "/").
struct TStoresCD
{
    TBigIniFile &iniSetup;
    TBigIniFile &iniBDD;
    QString cDossierVignettes;
};

// ---- Removing images from the history ----

enum class TPorteeSuppressionCD { Dossier, DossierEtFils, Obsoletes };

// The CD node above a node (the node itself for a CD node); null for the root.
const TNoeudCD *NoeudCDDe(const TNoeudCD *pNoeud);
// The images a removal would consider: the node's own list, or summed over its descendants.
int NombreImagesSuppression(const TNoeudCD &Noeud, TPorteeSuppressionCD nPortee);
// The question asked before a removal.
QString QuestionSuppression(const TNoeudCD &Noeud, TPorteeSuppressionCD nPortee);

struct TBilanSuppressionCD
{
    int nSupprimees = 0;
    bool lCDAbsent = false;    // obsolete images: the disc is not (or no longer) mounted
    int nVignettesRestees = 0; // thumbnails that could not be deleted (their data went)
    bool lDossierVignettesRetire = false;
    bool lLabelSupprime = false;
    QStringList Erreurs; // "Erreur" texts: failed saves, naming the file
    // The message to show at the end ("%d Image(s) supprimée(s)." or the absent CD's).
    QString cMessage;
};

struct TParamsSuppressionCD
{
    // How a file of the disc is found: 0 when it is there, else the errno of the failure.
    // Defaults to lstat; tests put I/O errors in its place.
    std::function<int(const QString &cFichier)> fnEtatFichier;
    // Told after each image of an obsolete-image walk (tests eject the disc there).
    std::function<void(int nImage)> fnApresImage;
};

// Removes the images of the node (and, but for Dossier, of its descendants that have a list)
// from the history: their thumbnails, every per-image key and catalogue section; the node lists
// lose the paths (an emptied list goes, the node getting the icons 0 and 1). For Obsoletes,
// only images the mounted disc reports missing (ENOENT) go, and nothing at all when the disc is
// not mounted at the start or at the end of the walk. The CD's label goes when no history key
// of its volume remains; its thumbnail folder when it is empty. Each changed store is saved
// once; a failed save keeps the data in memory and adds an "Erreur" text.
TBilanSuppressionCD SupprimeImagesCD(TNoeudCD &Noeud, TPorteeSuppressionCD nPortee, TStoresCD Stores,
                                     const IVolumes &Volumes, const TParamsSuppressionCD &Params = {});

// ---- Unclassified images ----

// The paths of the CD's history images without classification, in French order ignoring case.
QStringList ImagesSansCritere(const TBigIniFile &iniSetup, const TBigIniFile &iniBDD, qint32 nIdCD);

// ---- The shared list of the three windows ----

struct TLigneListeCD
{
    QString cNom;         // "Nom": the file name
    QString cEmplacement; // the path's folder
    QString cResolution;  // "%dx%d"
    QString cTaille;      // the size format of the image list; empty without a size
    QString cDate;        // the thumbnail file's date and time; empty without one
    int nIcone = 0;       // 4 when the image has a classification, 0 otherwise
    qint32 nVolume = 0;
    QString cChemin;
    QString cLecteur;     // the mount point where the file was found, or empty
    bool lTrouve = false; // the thumbnail file exists
    QString cFichierVignette;
};

QList<TLigneListeCD> LignesListeCD(const TStoresCD &Stores, const TLecteursCD &Lecteurs, qint32 nVolume,
                                   const QStringList &Chemins);
// The five captions of the shared list.
QStringList TitresListeCD();

// ---- Comparison and replacement ----

struct TComparaisonCD
{
    int nCommunes = 0;
    QStringList SourceSeule; // paths of S without a key under D, sorted as above
    QStringList DestinationSeule;
};
TComparaisonCD CompareCD(const TBigIniFile &iniSetup, qint32 nSource, qint32 nDestination);

// The paths of the history keys of a volume, in history order.
QStringList CheminsHistoriqueCD(const TBigIniFile &iniSetup, qint32 nIdCD);

// What a remade thumbnail of a CD image writes beside it, the disc being in a drive: the EXIF
// and IPTC records read again from the image file cFichier (on the disc), and, when
// descriptions are handled (pDescriptions given), the description of the disc's descript.ion.
TSourcesDonneesCD DonneesRelues(const QString &cFichier, const TContexteFocale &Focale, TDescriptions *pDescriptions);

// The question asked before a replacement ("%s - ""%s"" ?" after the window's caption).
QString QuestionRemplacement(const QString &cCaption, qint32 nDestination, const QString &cLabelDestination);
QString QuestionRemplacementReference();

struct TBilanRemplacementCD
{
    bool lRefuse = false; // destination = source: nothing done
    bool lFait = false;   // the stores were re-keyed (saved or not)
    int nImages = 0;      // history keys moved
    int nVignettesCopiees = 0;
    int nVignettesManquees = 0; // thumbnails that did not reach D's folder
    bool lDossierSourceRetire = false;
    QStringList Erreurs;
    QString cMessage; // a message for the end, empty when all went well
};

struct TParamsRemplacementCD
{
    // Called between the catalogue's save and the settings' save (tests stop the process).
    std::function<void()> fnEntreSauvegardes;
};

// Moves the history of S to D: thumbnails linked (else copied) into D's folder, replacing; the
// per-image keys of S re-keyed in place, S's values winning over D's; the catalogue sections of
// S renamed, replacing D's; LABELS CD; the catalogue saved, then the settings, then S's folder
// removed when every one of its files reached D's. Run again after a stop anywhere, it finishes
// the move.
TBilanRemplacementCD RemplaceCD(TStoresCD Stores, qint32 nSource, qint32 nDestination, const QString &cLabelDestination,
                                const TParamsRemplacementCD &Params = {});
