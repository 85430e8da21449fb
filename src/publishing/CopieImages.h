#pragma once
// Copying the checked images of the list into a folder, each copy taking the catalogue data of
// its image (criteria, keywords, favourite mark, legend, description and, unless it is
// re-encoded, its treatments) so that it is catalogued like its image. Optionally the folder is
// emptied first, and an image with treatments is written already treated, as a JPEG.
//
// A CD is reached in two steps: the user burns the files with another program, then names the
// folder of the CD where they went, and the burnt files that match their image (size, and time
// to the second, which ISO 9660 keeps) are catalogued as images of that CD.
//
// Every copy is written and verified before it is counted or given any data, never replaces a
// file, and each store is saved once, at the end of the batch.

#include "exploration/EnrLV.h"
#include "publishing/CopieVerifiee.h"
#include "publishing/Suivi.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class IAlbumImages;
class IMessages;
class IOperationsFichiers;
class IVolumes;
class TBigIniFile;
class TDescriptions;
class TLecteursCD;
class TModeleListeImages;

inline const QString cTitreCopieImages = QStringLiteral("Copie des Images");
inline const QString cTexteViderRefuse =
    QStringLiteral("Le dossier de destination contient des images à copier : il ne peut pas être vidé.");

// The images to copy: the checked rows of the list, in list order, whose file is found now
// and whose thumbnail did not fail. A CD image found in a drive carries that drive.
struct TPreparationCopie
{
    QList<TEnrLV> Images;
    qint64 nTailleTotale = 0;
    // "Copier %d image(s) - %s", the caption of the window.
    QString Titre() const;
};
TPreparationCopie PreparerCopie(const TModeleListeImages &Modele, const TLecteursCD &Lecteurs);

// "%s disponibles sur %s:" with the free space ("??? Ko" when unknown) and the mount point.
QString TextePlaceDispo(qint64 nLibre, const QString &cPointMontage);
// "Vider le dossier '%s' avant la copie ?"
QString QuestionVider(const QString &cDossier);
// "%d Image(s) traitée(s) sur %d"
QString TexteImagesTraitees(int nTraitees, int nImages);

// The name of the copy in cDossier: the file name of the image, its extension made ".jpg" when
// lJpeg (a re-encoded camera raw, TIF or PNG), and "B(2)E", "B(3)E"... while the name, or the
// name of one of the companions (B with each extension of cExtCompagnons), is taken there. A
// link, even a broken one, takes its name.
QString NomCopieUnique(const QString &cDossier, const QString &cNomFichier, bool lJpeg,
                       const QStringList &cExtCompagnons = {});

struct TParamsCopie
{
    QString cDossierVignettes; // ends with "/"
    bool lTrtDescription = false;
    bool lTrtTHMDsOpFic = true;
    bool lTrtWAVDsOpFic = true;
    bool lCopieCriteres = true; // `cbCopieCriteres`
    bool lEffTrt = false;       // `cbEffTrt`

    // Whether an image has a saved treatment or an automatic orientation (it is then
    // re-encoded when lEffTrt), and the application of those treatments to its picture (false
    // when they cannot be applied). The window passes the treatments module's; without both,
    // nothing is re-encoded: each image is copied unchanged with its treatments, rather than
    // written as a JPEG that lost them.
    std::function<bool(const TBigIniFile &iniSetup, const TEnrLV &Enr)> fnATrtsImage;
    std::function<bool(QImage &Image, const TBigIniFile &iniSetup, const TEnrLV &Enr)> fnAppliqueTrtsImage;
    // Loads the whole picture of a file (throws EImageIllisible); the default is the image
    // loader at full size.
    std::function<QImage(const QString &cFichier)> fnChargeImage;
    // Passed to every verified copy (tests damage a copy through it).
    TOptionsCopie Options;
};

struct TBilanCopie
{
    int nImages = 0;
    int nTraitees = 0;
    bool lAnnule = false;     // nothing was tried: No to emptying, a refusal, a bad destination
    bool lInterrompu = false; // Esc stopped the batch after an image
    QStringList cCopies;      // full paths of the copies made, in order
    QStringList cErreurs;     // why images were not copied ("a.jpg : disque plein")
    QStringList cErreursEnregistrement;
    QString MessageFinal() const { return TexteImagesTraitees(nTraitees, nImages); }
};

class TCopieImages
{
public:
    TCopieImages(TBigIniFile &iniSetup, TBigIniFile &iniBDD, const IVolumes &Volumes, IOperationsFichiers &Operations,
                 TParamsCopie Params);

    TDescriptions *pDescriptions = nullptr;
    IAlbumImages *pAlbum = nullptr;
    // Progress ("Copie des Images", the index of the image) and Esc, heard after each image.
    TSuivi Suivi;

    // Why the folder cannot receive copies (gone, not a folder, not writable; a CD drive
    // without a disc), in French naming the folder; empty when it can.
    QString ErreurDestination(const QString &cDossier) const;
    // The refusal to empty cDossier when it holds one of the images (same file, whatever the
    // path that names it), else empty.
    QString RefusVider(const QString &cDossier, const QList<TEnrLV> &Images) const;
    // Deletes the image files of cDossier (not its sub-folders) with their data, as deleting
    // images does, and the .THM files beside a .CRW and the .WAV files when the settings say
    // so. The number of images that could not be deleted.
    int ViderDossier(const QString &cDossier, bool lDefinitif);

    // The copy to a folder not on a CD. Each image is written and verified, then counted and
    // given its data, description and companions. The stores are saved at the end.
    TBilanCopie CopierImages(const QList<TEnrLV> &Images, const QString &cDossier);
    // The burnt files of cDossierCD that match their image are catalogued as images of that CD.
    TBilanCopie EnregistrerCopiesCD(const QList<TEnrLV> &Images, const QString &cDossierCD);

    QStringList EnregistreStores();

private:
    bool CopieDonnees(const TEnrLV &Source, const QString &cCleCopie, bool lReencode, bool lCopieSurCD);
    void CopieDescription(const TEnrLV &Source, qint32 nVolume, const QString &cCheminCopie);
    void Fin(TBilanCopie &Bilan);

    TBigIniFile &m_iniSetup;
    TBigIniFile &m_iniBDD;
    const IVolumes &m_Volumes;
    IOperationsFichiers &m_Operations;
    TParamsCopie m_Params;
    bool m_lSetupModifie = false;
    bool m_lBDDModifie = false;
};

// The whole copy to a disk folder, the window only answering the emptying question: a
// destination that cannot receive copies is reported ("Erreur"); with lViderAvant, a refusal
// ("Attention"), else Demande gets QuestionVider and answers nullopt for No (the copy is
// cancelled) or whether "Supprimer définitivement" is ticked; then the batch, the reasons of
// the images not copied ("Erreur"), the save errors and the count ("Information").
TBilanCopie ConfirmeEtCopie(TCopieImages &Copie, const QList<TEnrLV> &Images, const QString &cDossier, bool lViderAvant,
                            const std::function<std::optional<bool>(const QString &cQuestion)> &Demande,
                            IMessages &Messages);
// The same for the CD step: the folder's errors, then the batch and the count.
TBilanCopie ConfirmeEtEnregistreCD(TCopieImages &Copie, const QList<TEnrLV> &Images, const QString &cDossierCD,
                                   IMessages &Messages);
