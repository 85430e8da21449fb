#pragma once
// The thumbnail cache: every listed image gets a small JPEG file in the cache folder, made
// once, so that later listings, searches and filters work from it, and so that the images of
// a CD can still be shown (with their size and resolution, kept in the settings store) while
// the disc is absent.
//
// Making a thumbnail is split in three so that the decoding of many images can run on every
// core while the stores stay on the user-interface thread:
//   PrepareVignette   (user-interface thread) reads what the store knows of the image;
//   CalculeVignette   (any thread) loads or decodes the picture, fits it and writes the file;
//   EcritDonneesVignette (user-interface thread) records the data kept beside CD thumbnails.
// ChargeVignettesEnOrdre drives the three over a whole list, results applied in list order.

#include "imaging/VignetteCompacte.h"
#include "storage/CleImage.h"
#include "storage/TailleImage.h"
#include "storage/TaillesVignettes.h"

#include <QDate>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class TBigIniFile;
class TDescriptions;

// The size a picture of w × h takes once fitted into D × D, as the grid shows it: the larger
// side becomes D, the other is scaled and rounded, a portrait width leaving remainder 1 when
// divided by 4 is widened by one pixel. An empty size when w or h is not positive.
QSize TailleAjustee(qint64 w, qint64 h, int D);
// The picture fitted so; w and h are the proportions to keep (the image's own size, which a
// reduced JPEG decoding only approximates) when the picture has them within a pixel, otherwise
// the picture keeps its own (a CRW's .THM, a raw's preview).
QImage AjusteVignette(const QImage &Source, qint64 w, qint64 h, int D);

// What the cache needs to know of one list entry.
struct TImageVignette
{
    qint32 nNumCD = 0;    // volume number of the key (0: not on a CD)
    QString cLecteur;     // mount point of a present CD, without its final "/"; else empty
    QString cChemin;      // path part of the image key
    bool lExiste = false; // the file can be reached

    QString CheminComplet() const { return cLecteur + cChemin; }
    QString Cle() const { return CleImage(nNumCD, cChemin); }
};

struct TParamsVignettes
{
    QString cDossierVignettes; // ends with "/"
    int nD = 160;
    bool lLireVigDsTHM = false;
};

// One thumbnail to make, as read on the user-interface thread.
struct TTravailVignette
{
    TImageVignette Image;
    QString cFichierVignette; // the cache file T
    bool lJPEG = false;       // the image file is a JPEG
    bool lManquante = true;   // T did not exist
    // T exists and the file can be reached, but the data kept beside it never reached the
    // store (a stop between the two): they are read again from the file, without decoding.
    bool lDonneesManquantes = false;
    TTailleImage ResolutionStockee; // RESOLUTIONS VIGNETTES (0 × 0 when absent)
    int nD = 160;
    bool lLireVigDsTHM = false;
};

// What the work gives back.
struct TResultatVignette
{
    // The thumbnail as the grid keeps it, fitted into D × D: the bytes of T (read, or encoded
    // for it), else the pixels when no bytes could be made. Empty when the image could not be
    // loaded.
    TVignetteCompacte Vignette;
    // The fitted pixels when this work decoded the image; null when T was only read.
    QImage Image;
    TTailleImage Resolution; // the image's own size (D × D for an unreadable image)
    bool lIllisible = false;
    QString cErreur;             // why it could not be loaded
    bool lEcrite = false;        // T was written by this work
    bool lDonneesRelues = false; // T was kept and the data beside it read again
    QString cErreurEcriture;     // why T could not be written (the thumbnail is still shown)
    qint64 nTailleFichier = 0;   // the image file's size and date, read when T was written
    qint64 nDateFichier = 0;
    bool lAbandonne = false; // the work was cancelled before it began
};

// Reads the store and the cache folder: no decoding.
TTravailVignette PrepareVignette(const TBigIniFile &iniSetup, const TParamsVignettes &Params,
                                 const TImageVignette &Image);

// Loads the thumbnail (from T when it exists, else from the image), fits it into D × D and,
// when T was missing, writes it (creating a CD's sub-folder) and dates it. An existing T is
// read and its header checked but not decoded: the grid decodes it when it shows it. Never
// touches a store and never throws: safe on a worker thread.
TResultatVignette CalculeVignette(const TTravailVignette &Travail);

// Where the data kept beside a CD thumbnail come from.
struct TSourcesDonneesCD
{
    // Writes the entry's EXIF and IPTC records under the key when it has them.
    std::function<void(TBigIniFile &iniSetup, const QString &cCle)> EcritMetadonnees;
    // Descriptions: copied from the CD folder's descript.ion when set.
    TDescriptions *pDescriptions = nullptr;
    bool lTrtDescription = false;
};

// After a thumbnail was written, or when an existing one lacked them: for a CD image its
// size, resolution, metadata and description; for another image that is not a JPEG its
// resolution. Never saves the store: the caller saves once at the end of its batch. True
// when the store changed.
bool EcritDonneesVignette(TBigIniFile &iniSetup, const TTravailVignette &Travail, const TResultatVignette &Resultat,
                          const TSourcesDonneesCD &Donnees);

// Removes the file a cancelled work wrote for a row that is not kept.
void AbandonneVignette(const TTravailVignette &Travail, const TResultatVignette &Resultat);

// The picture shown instead of an image that cannot be loaded: "Erreur" when its file can be
// reached, "NON trouvée :" with the CD's identifier and label otherwise. One picture per kind,
// disc and size, shared by every entry that shows it.
QImage ImageRemplacement(const TBigIniFile &iniSetup, const TImageVignette &Image, int nD);

// The whole of it on the calling thread (remaking one thumbnail). The store is not saved;
// lStoreModifie tells whether it changed.
TResultatVignette FaitVignette(TBigIniFile &iniSetup, const TParamsVignettes &Params, const TImageVignette &Image,
                               const TSourcesDonneesCD &Donnees, bool &lStoreModifie);

// Drives the thumbnails of a list. Rows are prepared and applied on the calling thread, in row
// order; their decoding runs meanwhile on a pool of nFils worker threads (0: one per core).
// After row i is applied, Interrompre(i) is asked; when it answers true the work stops there,
// the files written for rows after i are removed, and i + 1 is returned. Otherwise returns
// nLignes.
struct TPiloteVignettes
{
    std::function<TTravailVignette(int nLigne)> Prepare;
    std::function<void(int nLigne, const TTravailVignette &Travail, TResultatVignette &Resultat)> Applique;
    std::function<bool(int nLigne)> Interrompre;
    int nFils = 0;
};
int ChargeVignettesEnOrdre(int nLignes, const TPiloteVignettes &Pilote);

// Remaking and deleting thumbnails of entries. The entry is taken as listed, which may be
// long ago: whether its file can be reached is asked again right before T is touched (with
// pLecteurs, the CDs mounted now, the disc may also have moved to another drive; without,
// only the listed place is tried). An entry whose file cannot be reached now (its CD was
// ejected) is left alone and returns false: its thumbnail is the only picture of the image.

// The entry as it stands now: lExiste and, for a CD image, cLecteur asked again.
TImageVignette ImageActuelle(const TImageVignette &Image, const TLecteursCD *pLecteurs);
// Deleting removes T (its write bit set first) and the key from RESOLUTIONS VIGNETTES; a CD
// image keeps its TAILLES VIGNETTES key, which is part of the CD's history. The store is not
// saved.
bool SupprimeVignette(TBigIniFile &iniSetup, const TParamsVignettes &Params, const TImageVignette &Image,
                      bool &lStoreModifie, const TLecteursCD *pLecteurs = nullptr);
// Removes T (only when the file can be reached) so that FaitVignette makes it again.
bool EffaceVignettePourRecreer(const TParamsVignettes &Params, const TImageVignette &Image,
                               const TLecteursCD *pLecteurs = nullptr);
// Remakes T from the image: decoded into memory first, T replaced only once the new picture
// is written, then the data beside it recorded. False when the file cannot be reached now,
// cannot be decoded (T is kept as it was) or the new T could not be written; Resultat says
// which (a decoded picture is there even when the write failed). The store is not saved.
bool RecreeVignette(TBigIniFile &iniSetup, const TParamsVignettes &Params, const TImageVignette &Image,
                    const TSourcesDonneesCD &Donnees, const TLecteursCD *pLecteurs, TResultatVignette &Resultat,
                    bool &lStoreModifie);

// The purge of old thumbnails: the files lying directly in the cache folder whose date is
// before the day at 0:00; CD thumbnails, in sub-folders, are never listed.
QStringList VignettesAnciennes(const QString &cDossierVignettes, const QDate &Jour);
// Deletes them and removes each one's key from RESOLUTIONS VIGNETTES; saves the store when a
// key was removed (a failed save keeps the change for the next one, and sets *plSauve to
// false). Returns the number of files deleted.
int SupprimeVignettesAnciennes(TBigIniFile &iniSetup, const QString &cDossierVignettes, const QStringList &Fichiers,
                               bool *plSauve = nullptr);

// For the start-up clean-up: the image path a file lying directly in the cache folder stands
// for, when it is the thumbnail of an image file not on a CD; empty otherwise (among others a
// shortened name whose key cannot be read, so that it is never taken for a vanished image).
QString ImageDeVignette(const QString &cDossierVignettes, const QString &cNomFichierVignette);
