#pragma once
// Deleting images: the file goes (to the trash, or for good when the user asks), and with it
// everything the catalogue keeps about the image, so that no orphan entry remains: its keys in
// the settings store, its catalogue section, its cached thumbnail, its place in the open image
// album, its description and, when the settings say so, its .THM and .WAV companions.
//
// The data go only once the file is really gone (lstat gives ENOENT): a file that could not be
// deleted keeps everything. Images on CDs are never deleted, and nothing is deleted outside
// update mode. A batch saves each changed store once, at its end.

#include "publishing/Suivi.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class IAlbumImages;
class IOperationsFichiers;
class IVolumes;
class TBigIniFile;
class TDescriptions;
class TModeleListeImages;

// The texts the windows around deletion show.
inline const QString cTitreSuppressionImages = QStringLiteral("Suppression des images");
inline const QString cTexteSupprimerDefinitivement =
    QStringLiteral("Supprimer définitivement (sans passer par la corbeille)");

// An image handed over for deletion: its full path and its row in the main image list (-1
// when it is not listed there).
struct TEnrImgASuppr
{
    QString cChemin;
    int nIndLV = -1;
    friend bool operator==(const TEnrImgASuppr &, const TEnrImgASuppr &) = default;
};

struct TParamsSuppression
{
    QString cDossierVignettes; // ends with "/"
    bool lTrtDescription = false;
    bool lTrtTHMDsOpFic = true;
    bool lTrtWAVDsOpFic = true;
    bool lModeMAJ = true;
};

// How one image fared.
enum class TIssueSuppression {
    Supprimee,
    SurCD,                 // on a CD: never deleted
    ModeConsultation,      // deleting is for update mode only
    Echec,                 // the file could not be deleted (missing, locked, no rights...)
    CorbeilleIndisponible, // its volume has no usable trash
};

struct TResultatSuppression
{
    TIssueSuppression nIssue = TIssueSuppression::Echec;
    QString cErreur;         // why the file stayed
    QStringList cCompagnons; // companions deleted with it
    bool Ok() const { return nIssue == TIssueSuppression::Supprimee; }
};

// What a batch did, and what the window says about it.
struct TBilanSuppression
{
    int nSupprimees = 0;
    int nNonTraitees = 0;
    bool lCorbeilleIndisponible = false; // at least one image stayed for want of a trash
    bool lInterrompu = false;            // Esc stopped the batch before its end
    bool lRefuse = false;                // consultation mode: nothing was tried
    QList<int> LignesSupprimees;         // rows of the main list removed, in the former numbering
    QStringList cErreursEnregistrement;  // "Le catalogue n'a pas pu être enregistré : %s" per store

    // The notice shown at the end ("Attention"): the count of images not processed, with the
    // trash hint when a trash was missing; empty when there is nothing to say.
    QString MessageFinal() const;
};

// "Supprimer les %d image(s) sélectionnée(s) ?"
QString QuestionSuppression(int nImages);
// The selected rows whose image is not on a CD: the n of the question.
int NombreImagesASupprimer(const TModeleListeImages &Modele, const QList<int> &Selection);

class IMessages;
class TSuppressionImages;

// The button's whole procedure, the window only asking the question: no image to delete gives
// "Aucune image à traiter."; otherwise Demande gets QuestionSuppression(n) and answers nullopt
// for No, else whether "Supprimer définitivement" is ticked; then the batch, its save errors
// ("Erreur") and its final notice ("Attention").
TBilanSuppression
ConfirmeEtSupprimeSelection(TSuppressionImages &Suppression, TModeleListeImages &Modele, const QList<int> &Selection,
                            const std::function<std::optional<bool>(const QString &cQuestion)> &Demande,
                            IMessages &Messages);

class TSuppressionImages
{
public:
    TSuppressionImages(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const IVolumes &Volumes,
                       IOperationsFichiers &Operations, const TParamsSuppression &Params);

    // Optional parts: descriptions are only touched when lTrtDescription is set and a
    // TDescriptions is given; the album step is skipped without an album.
    TDescriptions *pDescriptions = nullptr;
    IAlbumImages *pAlbum = nullptr;
    // Progress ("Suppression des images") and Esc, asked between images.
    TSuivi Suivi;

    // Deletes one image file (full path) and its data. lDefinitif: unlink instead of trashing.
    // The stores are changed but not saved: see EnregistreStores.
    TResultatSuppression SupprimerImage(const QString &cChemin, bool lDefinitif);

    // The button's batch: the selected rows (any order), from the last to the first; CD
    // images count as not processed. Deleted rows leave the model in one call, then the
    // stores are saved.
    TBilanSuppression SupprimerImagesSelectionnees(TModeleListeImages &Modele, const QList<int> &Selection,
                                                   bool lDefinitif);
    // The duplicate search's batch: from the last record to the first. Each deleted file's
    // row (the one the record names, checked against its path) leaves the model, when given.
    TBilanSuppression SupprimerImages(const QList<TEnrImgASuppr> &Images, TModeleListeImages *pModele, bool lDefinitif);

    // Saves the stores changed since the last save; the error texts of those that failed
    // (their data stay in memory for the next save).
    QStringList EnregistreStores();

private:
    TBilanSuppression Refus() const;
    void Compte(TBilanSuppression &Bilan, const TResultatSuppression &r) const;
    void FinLot(TBilanSuppression &Bilan, TModeleListeImages *pModele);
    QString SupprimeCompagnon(const QString &cCompagnon, bool lDefinitif);

    TBigIniFile &m_iniSetup;
    TBigIniFile &m_iniBDD;
    const IVolumes &m_Volumes;
    IOperationsFichiers &m_Operations;
    TParamsSuppression m_Params;
    bool m_lSetupModifie = false;
    bool m_lBDDModifie = false;
};
