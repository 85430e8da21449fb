#pragma once
// Building the image list: the folder walk of exploration, the creation of each entry, and
// the one routine that fills the list in every mode. Search and CD history give their images
// through a producer that calls AjouteEntree; exploration walks the folder itself.

#include "exploration/ModeleListe.h"
#include "filters/ImageFiltree.h"

#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <set>
#include <utility>

class TBigIniFile;
class IVolumes;
class TLecteursCD;

// What a listing needs from the program: the stores, the volumes, the thumbnail folder, and
// the seams where the filter, the progress window, Esc and the metadata reader plug in.
struct TContexteListe
{
    TBigIniFile *iniSetup = nullptr;     // LABELS CD, favourites, keywords, legends
    const TBigIniFile *iniBDD = nullptr; // catalogue sections (ADesDonnees)
    const IVolumes *pVolumes = nullptr;  // null: no volume is a CD
    QString cDossierVignettes;           // the thumbnail cache: never listed

    // Polled after every entry; true stops the walk at every level (Esc).
    std::function<bool()> Interrompre;

    // The filter of the walk; null admits every image. It may set the candidate's match
    // percentages of its colour and pattern tests.
    std::function<bool(TCandidatFiltre &Candidat)> Filtre;
    // Readies the filter of a mode before its listing (Filtre, lFiltreLong); false stops the
    // listing before anything changes. Undone after the listing.
    std::function<bool(TModeListe nMode)> PrepareFiltre;
    std::function<void()> LibereFiltre;
    // The filter has a colour or pattern part: the candidates are counted first and a progress
    // window is shown over them.
    bool lFiltreLong = false;
    // Told of each image the counting pass meets, in walk order, so that the filter can work
    // ahead of the walk.
    std::function<void(qint32 nNumCD, const QString &cChemin)> CandidatCompte;
    std::function<void(qint64 nMax)> OuvreProgression;
    std::function<bool()> AvanceProgression; // true when the user asked to stop
    std::function<void()> FermeProgression;

    // Reads the file's EXIF and IPTC into the entry's texts and flags (one read of the file).
    std::function<void(TEnrLV &Enr, const QString &cFichier)> LitMetadonnees;
    // Takes the cached EXIF and IPTC of an image whose CD is absent.
    std::function<void(TEnrLV &Enr, const QString &cCle)> LitMetadonneesCache;

    // JPEG resolutions are read from the file header while listing (cheap), so that the
    // resolution column and sort are right before any thumbnail exists.
    bool lResolutionJPEG = true;
};

struct TContexteFocale;
// Plugs the program's EXIF and IPTC readers into the context: the file's own data when it can
// be reached, the cached records of the settings store for an image of an absent CD.
void BrancheMetadonnees(TContexteListe &Ctx, const TContexteFocale &Focale);

// The catalogue holds data for the key (criteria, keywords, favourite or legend).
bool ADesDonneesListe(const TContexteListe &Ctx, const QString &cCle);

// True when the folder is the thumbnail folder or lies inside it.
bool EstDansVignettes(const QString &cDossier, const QString &cDossierVignettes);

class TListeur
{
public:
    TListeur(TModeleListeImages &Modele, TContexteListe &Ctx);
    ~TListeur();

    // Cleared to stop the listing; every level of the walk checks it.
    bool lListage = true;

    // Lists one folder (ending with "/") in directory order: image files and shortcuts to
    // images; sub-folders too when recursive. In count-only mode only nCompteur changes.
    void ParcourtDossier(const QString &cDossier, qint64 &nCompteur, bool lRecursif, bool lCompteSeul);

    // Creates the entry of one image: cChemin is the full path (a CD image's mount point
    // included) or, for an image of an absent CD, the path on the CD. Returns its row.
    int AjouteEntree(qint32 nNumCD, const QString &cChemin, qint64 nTaille, qint64 nDate, bool lRaccourci,
                     quint8 nPctCouleur = 0, quint8 nPctMotif = 0);

    // The volume number of a full path (0 off CDs); records a new CD label in LABELS CD.
    qint32 VolumeDeChemin(const QString &cChemin);

private:
    TModeleListeImages &m_Modele;
    TContexteListe &m_Ctx;
    std::set<std::pair<quint64, quint64>> m_DossiersVus; // device, inode
    std::unique_ptr<TLecteursCD> m_Lecteurs;             // the CDs mounted when the listing began
    std::pair<quint64, quint64> m_Vignettes{0, 0};
    bool m_lVignettesConnu = false;
    QSet<quint32> m_VolumesVus;
    QSet<QString> m_Appareils;

    void Parcourt(const QString &cDossier, qint64 &nCompteur, bool lRecursif, bool lCompteSeul, int nProfondeur);
    std::unique_ptr<TEnrLV> Entree(qint32 nNumCD, const QString &cChemin, qint64 nTaille, qint64 nDate, bool lRaccourci,
                                   int nExiste);
    // The one metadata read of an entry: its file's, or the cached records of an absent CD.
    void LitMeta(TEnrLV &e);
    void Insere(std::unique_ptr<TEnrLV> p, bool lMetaLue, bool lClasse);
    void Traite(const QString &cChemin, qint64 nTaille, qint64 nDate, bool lRaccourci, qint32 nNumCD, qint64 &nCompteur,
                bool lCompteSeul);
};

// A request to build the list.
struct TDemandeListe
{
    TModeListe nMode = TModeListe::Exploration;
    QString cDossier; // exploration: the folder to list
    bool lRecursif = false;
    // Search and CD history: gives the images by calling AjouteEntree (and may count them
    // first when asked with lCompteSeul true, returning the count).
    std::function<qint64(TListeur &Listeur, bool lCompteSeul)> Produit;
};

// Frees the former list, lists by mode, sorts by the model's key. Returns the row count.
int ConstruitListe(TModeleListeImages &Modele, TContexteListe &Ctx, const TDemandeListe &Demande);
