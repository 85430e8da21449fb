#pragma once
// Renaming images: one new name for a single image, or a common prefix followed by a
// zero-padded number for several. Everything the catalogue keeps under the image's key follows
// the file (settings sections, album sections, the catalogue section), and so do its cached
// thumbnail, its description and, when the settings say so, its .THM and .WAV companions.
//
// The numbered mode renames in two passes through temporary names (final name + "_" + c), so
// that images may exchange names. No rename ever replaces a file. Before the first rename an
// intent journal is written to the data folder; should the program die in the middle, the next
// start replays it (Reprend) before the clean-up of vanished images would drop the data of the
// renamed files.

#include "publishing/Suivi.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class IAlbumImages;
class IOperationsFichiers;
class TBigIniFile;
class TDescriptions;
class TModeleListeImages;

inline const QString cTitreRenommageImages = QStringLiteral("Renommage des images");
inline const QString cTexteRenommageImpossible =
    QStringLiteral("Impossible de renommer les images.\r\n\r\n(Image(s) cible(s) existante(s) ou paramètre(s) "
                   "incorrect(s).)");
inline const QString cTexteRenommagePossible = QStringLiteral("Le renommage des images sera possible.");

// One image to rename: its row in the main list, its path, and its path once renamed (empty
// until then).
struct TEnrLst
{
    int nIndLV = -1;
    QString cAncien;
    QString cNouveau;
};

enum class TModeRenommage { SuffixeNumerique, NomSeul };

// What the renaming window holds.
struct TReglageRenommage
{
    TModeRenommage nMode = TModeRenommage::SuffixeNumerique;
    int nNbChiffres = 2;
    qint64 nOffset = 0;
    QString cPrefixe;
    QString cNomSeul; // single-name mode: the name without its extension
};

struct TParamsRenommage
{
    QString cDossierVignettes; // ends with "/"
    QString cDossierDonnees;   // where the journal goes; ends with "/"
    bool lTrtDescription = false;
    bool lTrtTHMDsOpFic = true;
    bool lTrtWAVDsOpFic = true;
    bool lModeMAJ = true;
};

// The path of entry i (from 0) in numbered mode: the old folder, the prefix as typed, offset + i
// padded with "0" to the number of digits, the old extension with its case.
QString NouveauNom(const QString &cAncien, const TReglageRenommage &R, qint64 i);
// The path in single-name mode: the old folder, the trimmed name, the old extension.
QString NouveauNomSeul(const QString &cAncien, const QString &cNom);
// The target of entry i in the mode chosen.
QString NomCible(const QList<TEnrLst> &Entrees, const TReglageRenommage &R, qint64 i);

// The companions that travel with an image under these settings (existing files only).
QStringList CompagnonsImage(const QString &cImage, const TParamsRenommage &P);
// The companion's path for a new image path: its extension (as the file has it) on that name.
QString CompagnonPour(const QString &cCompagnon, const QString &cNouvelleImage);

// Whether the renaming can go ahead: numbers that fit the digits, no target (nor companion
// target) taken by a file that is not itself moving away, a usable single name.
bool RenommageValide(const QList<TEnrLst> &Entrees, const TReglageRenommage &R, const TParamsRenommage &P);

// Renames without ever replacing a file (the errno, 0 on success); a change of case only,
// where both names are the same file (a case-blind volume), is a plain rename.
int RenommeSansEcraser(IOperationsFichiers &Operations, const QString &cSource, const QString &cCible);

// Where a file is on its volume, to find it again whatever its name.
struct TIdentiteFichier
{
    quint64 nPeripherique = 0;
    quint64 nInode = 0;
    bool Valide() const { return nInode != 0; }
    friend bool operator==(const TIdentiteFichier &, const TIdentiteFichier &) = default;
};
TIdentiteFichier IdentiteFichier(const QString &cChemin);

// One file's names through the rename: old, temporary (empty in single-name mode), final.
struct TNomsFichier
{
    QString cAncien, cTemporaire, cFinal;
    TIdentiteFichier Identite;
    // The name for a step: 0 old, 1 temporary (the final one in single-name mode), 2 final.
    QString Nom(int nEtape) const
    {
        return nEtape == 0 ? cAncien : (nEtape == 1 && !cTemporaire.isEmpty() ? cTemporaire : cFinal);
    }
};

// What the journal records of one entry.
struct TPlanRenommage
{
    int nEntree = -1;
    TNomsFichier Image;
    TNomsFichier Vignette; // cached thumbnail names; identity invalid when there is none
    QList<TNomsFichier> Compagnons;
};

// Places in the batch where a test may stop the process.
enum class TPointRenommage { ApresRenommage, EntrePhases, ApresEnregistrement };

struct TBilanRenommage
{
    int nRenommees = 0;
    int nNonTraitees = 0;
    bool lInvalide = false;     // RenommageValide said no: nothing moved
    bool lRefuse = false;       // consultation mode: nothing tried
    bool lInterrompu = false;   // Esc during the first pass
    QString cErreurPreparation; // the journal could not be written: nothing moved
    QStringList cErreursEnregistrement;

    // "%d image(s) n'ont(a) pas été traitée(s)." or empty.
    QString MessageFinal() const;
};

// What a start-up replay did.
struct TBilanReprise
{
    bool lJournal = false; // there was an unfinished batch
    int nEntrees = 0;
    int nTerminees = 0; // second passes completed now
    QStringList cErreursEnregistrement;
};

class TRenommageImages
{
public:
    TRenommageImages(TBigIniFile &iniSetup, TBigIniFile &iniBDD, IOperationsFichiers &Operations,
                     const TParamsRenommage &Params);

    TDescriptions *pDescriptions = nullptr;
    IAlbumImages *pAlbum = nullptr;
    TSuivi Suivi;
    // Called at the chosen places of the batch (the renames counted from 1).
    std::function<void(TPointRenommage, int)> fnPoint;

    // The whole batch. Entries get their cNouveau on success; stores are saved at the end.
    TBilanRenommage Renomme(QList<TEnrLst> &Entrees, const TReglageRenommage &R);

    // One image file from one step of its plan to the next (phase 1: old to temporary, or to
    // the final name in single-name mode; phase 2: temporary to final), with its data.
    bool RenommerFichierImage(const TPlanRenommage &Plan, int nPhase);

    // Replays the journal an interrupted batch left in the data folder, then removes it.
    TBilanReprise Reprend();

    // The journal's path in a data folder.
    static QString CheminJournal(const QString &cDossierDonnees);

private:
    QList<TPlanRenommage> Planifie(const QList<TEnrLst> &Entrees, const TReglageRenommage &R) const;
    void MeneVignette(const QString &cSource, const QString &cCible);
    void Point(TPointRenommage n, int i) const
    {
        if (fnPoint)
            fnPoint(n, i);
    }
    QStringList EnregistreStores(class TJournalRenommage &Journal);

    TBigIniFile &m_iniSetup;
    TBigIniFile &m_iniBDD;
    IOperationsFichiers &m_Operations;
    TParamsRenommage m_Params;
    QStringList m_cSections;
    bool m_lSetupModifie = false;
    bool m_lBDDModifie = false;
};

// The rows of renamed entries take their new path (captions and hints follow from it).
void AppliqueRenommage(TModeleListeImages &Modele, const QList<TEnrLst> &Entrees);
