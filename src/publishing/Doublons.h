#pragma once
// The duplicate search: image files whose contents are the same, found whatever their names,
// dates or places, shown in pairs so that the user ticks the copies to delete.
//
// Two files are duplicates only when every byte agrees. Files are grouped by size; a group of
// two is compared byte by byte at once; a larger group is split by a hash of its first 64 KiB,
// then by a hash of the whole files (XXH3, 128 bits), and what still agrees is confirmed byte
// by byte. A file reached twice (a hard link, a link's target) is one candidate, so it never
// pairs with itself; an empty or unreadable file never pairs; CD images are no candidates.

#include "publishing/SuppressionImages.h"
#include "publishing/Suivi.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

class IMessages;
class IVolumes;
class TBigIniFile;
class TModeleListeImages;

inline const QString cTitreRechercheDoublons = QStringLiteral("Recherche des doublons");

// One candidate.
struct TEnrImgSel
{
    QString cResol;     // "%dx%d", "?x?" when the thumbnail cache has no entry, empty after an error
    qint64 nTaille = 0; // bytes
    qint64 nDate = 0;   // modification time, seconds since 1970 (UTC)
    qint32 nNumCD = 0;  // always 0: CD images are no candidates
    QString cChemin;    // full path
    quint64 nPeripherique = 0;
    quint64 nInode = 0;
    bool lResolConnue = false; // cResol is already the text to show (taken from the list)

    QString NomFichier() const { return cChemin.mid(cChemin.lastIndexOf(QLatin1Char('/')) + 1); }
    // The folder, with its final "/".
    QString Dossier() const { return cChemin.left(cChemin.lastIndexOf(QLatin1Char('/')) + 1); }
};

// Row r of "Images" and row r of "Images similaires": two candidates with the same content.
struct TPaireDoublons
{
    int nImage = -1;
    int nSimilaire = -1;
    friend bool operator==(const TPaireDoublons &, const TPaireDoublons &) = default;
};

// What the choice window answers.
struct TChoixDoublons
{
    bool lListeImages = true; // the main image list; else a folder
    QString cDossier;
    bool lRecursif = false;
};

// The rows of the main list whose image is not on a CD, in list order, one per file.
// cResol is the row's resolution text.
QList<TEnrImgSel> CandidatsListe(const TModeleListeImages &Modele);
// The image files of a folder and, when lRecursif, of its sub-folders (depth first, in
// directory order, names beginning with "." skipped, the thumbnail folder and CDs left out,
// links not followed), one per file. Esc is heard every few entries; *plInterrompu tells.
QList<TEnrImgSel> CandidatsDossier(const QString &cDossier, bool lRecursif, const IVolumes &Volumes,
                                   const QString &cDossierVignettes, const TSuivi &Suivi = {},
                                   bool *plInterrompu = nullptr);
QList<TEnrImgSel> CandidatsDoublons(const TChoixDoublons &Choix, const TModeleListeImages *pModele,
                                    const IVolumes &Volumes, const QString &cDossierVignettes, const TSuivi &Suivi = {},
                                    bool *plInterrompu = nullptr);

// True when both files can be read whole and every byte agrees; false for an empty file.
bool ComparerFichiers(const QString &cA, const QString &cB);

struct TResultatPaires
{
    QList<TPaireDoublons> Paires; // in the order of the pair loop: by first, then second candidate
    bool lInterrompu = false;
};
// Every pair of candidates with the same content. The files are read on nFils worker threads
// while the calling thread reports progress (in bytes) and listens for Esc; an interrupted
// search gives no pair.
TResultatPaires ChercherPaires(const QList<TEnrImgSel> &Candidats, const TSuivi &Suivi = {}, int nFils = 2);

// The resolution text of the candidates that are in a pair: a JPEG's from its header, another
// kind's from RESOLUTIONS VIGNETTES ("?x?" without an entry); empty after an error.
void RemplitResolutions(QList<TEnrImgSel> &Candidats, const QList<TPaireDoublons> &Paires, const TBigIniFile &iniSetup);

// "%d image(s) en double"
QString TitreDoublons(int nLignes);

// The deletion list: the ticked rows of "Images" in row order, then those of "Images
// similaires", each path once; nIndLV is the first main-list row holding that path, or -1.
QList<TEnrImgASuppr> ImagesASupprimer(const QList<TPaireDoublons> &Paires, const QList<TEnrImgSel> &Candidats,
                                      const QList<bool> &CochesImages, const QList<bool> &CochesSimilaires,
                                      const TModeleListeImages *pModele);

// The pairs window's answer: what to delete and whether it skips the trash.
struct TChoixSuppression
{
    QList<TEnrImgASuppr> Images;
    bool lDefinitif = false;
};

// The windows and progress of the whole procedure.
struct TFenetresDoublons
{
    // The choice window; nullopt on Cancel.
    std::function<std::optional<TChoixDoublons>()> ChoixImages;
    // The pairs window (candidates with their resolutions, pairs); nullopt on Cancel.
    std::function<std::optional<TChoixSuppression>(const QList<TEnrImgSel> &, const QList<TPaireDoublons> &)> Paires;
    TSuivi SuiviCandidats;   // the walk of a folder
    TSuivi SuiviPaires;      // "Recherche des doublons"
    TSuivi SuiviSuppression; // "Suppression des images"
    int nFils = 2;
};

// The whole procedure: choice, candidates, pairs, pairs window, deletion. Messages go through
// the message helper; returns the deletion's summary (empty when nothing was deleted).
TBilanSuppression RechercherDoublons(TFenetresDoublons &Fenetres, TSuppressionImages &Suppression,
                                     TModeleListeImages *pModele, const IVolumes &Volumes, const TBigIniFile &iniSetup,
                                     const QString &cDossierVignettes, IMessages &Messages);
