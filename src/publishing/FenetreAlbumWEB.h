#pragma once
// The rules of the web album window, kept apart from its widgets: what the window counts and
// shows, which controls it enables for a state, the personal albums it offers, and the checks
// that stand between the name typed and the folder that the generator fills. Replacing an
// existing folder is the one destructive step of the window, so it is offered only for a web
// album that holds neither the data folder nor the thumbnail cache, and it moves the folder to
// the trash rather than deleting it.

#include "publishing/GenerationAlbumWEB.h"
#include "publishing/OptionsAlbumWEB.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class IMessages;
class IOperationsFichiers;
class IVolumes;
class QWidget;
class TBigIniFile;

// What the window knows of its album when it decides what to show and enable.
struct TEtatAlbumWEB
{
    TSourceAlbumWEB nSource = saImagesCochees;
    int nImgsSource = 0;
    int nDisponibles = 0;
    int nContenu = caVignettesEtLiens;
    QString cNom; // the name typed, or the personal album chosen (source 3)
    bool lAffNom = true;
    bool lAffResol = false;
    bool lAffTaille = false;
    bool lAffDate = false;
    bool lAffLegende = false;
    bool lAffCadre = true;

    bool Hierarchique() const { return EstHierarchique(nSource); }
};

// The enabled and visible state of every control that depends on the album's state.
struct TActivationAlbumWEB
{
    bool lOK = false;
    bool lNomFenImgPE = false;       // stNomFenImgPE, edNomFenImgPE
    bool lDispoVig = false;          // cbDispoVig
    bool lReduction = false;         // the size reduction group
    bool lAffLegende = false;        // cbAffLegende
    bool lTypeLegende = false;       // cbTypeLegende
    bool lPolice = false;            // font label, cbAffPolice, btCoulPolice, btCoulFondDonnees
    bool lCoulCadre = false;         // btCoulCadre
    bool lHierDansVoletRech = false; // cbHierDansVoletRech
    bool lLignesVisibles = true;     // edNbLig and its label
    bool lColonnesVisibles = true;   // edNbCol and its label

    friend bool operator==(const TActivationAlbumWEB &, const TActivationAlbumWEB &) = default;
};

// Every enabling rule of the window, the OK button included, for one state. The window runs it
// after each change, so that no control keeps a state decided before the last change.
TActivationAlbumWEB ActivationAlbumWEB(const TEtatAlbumWEB &Etat);

// The text of stNbreVigImg.
QString TexteCompteAlbumWEB(const TEtatAlbumWEB &Etat);
// The image count that the row and column boxes divide (flat albums).
int NbImagesGrilleAlbumWEB(const TEtatAlbumWEB &Etat);

// The row and column boxes of a flat album of n images.
struct TGrilleAlbumWEB
{
    int nMax = 1; // the upper limit of both boxes, never below 1
    int nLignes = 1;
    int nColonnes = 1;
    friend bool operator==(const TGrilleAlbumWEB &, const TGrilleAlbumWEB &) = default;
};
// The limits set from n: both boxes in 1..max(n, 1), rows n / 5 rounded up, columns 5 or n.
TGrilleAlbumWEB GrilleAlbumWEB(int n);
// The boxes when the user types nLignes rows (clamped to the limits): columns follow.
TGrilleAlbumWEB GrilleSelonLignes(int n, int nLignes);
// The boxes when the user types nColonnes columns (clamped to the limits): rows follow.
TGrilleAlbumWEB GrilleSelonColonnes(int n, int nColonnes);

// The names of the personal web albums that have at least one folder, sorted as a French user
// sorts them, each once.
QStringList AlbumsPersoAlbumWEB(const TBigIniFile &Parametres);

// Makes the counts of the personal albums once each: choosing an album again, or switching
// the content kind, reuses them.
class TComptesAlbumsPerso
{
public:
    using TCompteur = std::function<TComptesAlbumWEB(const QString &cNom)>;
    explicit TComptesAlbumsPerso(TCompteur fnCompte) : m_fnCompte(std::move(fnCompte)) {}
    TComptesAlbumWEB Comptes(const QString &cNom);

private:
    TCompteur m_fnCompte;
    QHash<QString, TComptesAlbumWEB> m_Comptes;
};

// Locates every image of a list source again: the CD that holds it now (or none) and whether
// its file can be reached, so that the counts and the album follow the discs in the drives.
void RelocaliseImagesAlbumWEB(QList<TEnrLstAW> &Images, const IVolumes &Volumes);

// Prepares the state for a source: stores its counts (source 3 counts its albums as they are
// chosen, and starts at one image) and returns true when the source holds at least one image.
// The images of a list source are located again first (Params.pVolumes).
bool InitAlbumWEB(TEtatAlbumWEB &Etat, TSourceDonneesAW &Source, const TParamsAlbumWEB &Params);

// True when the folder of a folder hierarchy is "/" or a mount point, where the walk may take
// very long.
bool EstRacineAlbumWEB(const QString &cDossier, const IVolumes &Volumes);

// The kept options as the window shows them: a parent folder that no longer exists gives the
// data folder, a legend index past the nLegendes items of the list gives the first one.
TOptionsAlbumWEB ReglagesAlbumWEB(const TBigIniFile &Parametres, const QString &cDossierDonnees, int nLegendes);

// The refusal of an album name, empty when it is one plain folder name once trimmed.
QString ErreurNomAlbumWEB(const QString &cNom);

// The album folder: the parent folder + the trimmed name, ending with "/".
QString DossierAlbumWEB(const QString &cParent, const QString &cNom);

// The key of an album folder in the history: its full path ending with "/".
QString CleHistoriqueAlbumWEB(const QString &cDossier);

// What may be done with the album folder before generating.
enum class TEtatDossierAlbumWEB {
    Libre,       // no such folder: it is made
    Remplacable, // a web album the user may replace
    Refuse,      // anything else that exists: never touched
};
struct TVerifDossierAlbumWEB
{
    TEtatDossierAlbumWEB nEtat = TEtatDossierAlbumWEB::Libre;
    QString cMessage; // the refusal, when refused
};
// Looks at the album folder: an existing folder is replaceable only when it is a web album
// (its history key or an Index.htm), is not a link and neither is nor holds the data folder or
// the thumbnail cache.
TVerifDossierAlbumWEB VerifieDossierAlbumWEB(const QString &cDossier, const QString &cNom,
                                             const TBigIniFile &Parametres, const QString &cDossierDonnees,
                                             const QString &cDossierVignettes);

// Creates the folder and its missing parents; false with the reason in French otherwise.
bool CreeDossierAlbumWEB(const QString &cDossier, QString &cRaison);

// The folders that no album folder sent to the trash may be or hold.
struct TProtectionsAlbumWEB
{
    QString cDossierDonnees;
    QString cDossierVignettes;
    QString cDossierPersonnel; // the user's home; empty: the environment's
};
// Why cDossier may not go to the trash as a web album, empty when it may: it must be a real
// folder (not a link), neither "/" nor a mount point, and neither be nor hold one of the
// protected folders; with lIndexRequis it must also hold Index.htm as a regular file.
QString RefusJetAlbumWEB(const QString &cDossier, const TProtectionsAlbumWEB &Protections, bool lIndexRequis);

enum class TEtatJetAlbumWEB {
    Jete,   // in the trash
    Refuse, // not a web album that may go: untouched
    Echec,  // the trash would not take it: untouched
};
struct TJetAlbumWEB
{
    TEtatJetAlbumWEB nEtat = TEtatJetAlbumWEB::Refuse;
    QString cRaison; // the reason in French, refused or failed
};
// The one way an album folder leaves the disk, replaced or deleted from the history: checked
// as above just before, then moved whole to the trash of its volume, so that nothing outside
// it is touched and the links it holds move as links.
TJetAlbumWEB JetteAlbumWEB(const QString &cDossier, const TProtectionsAlbumWEB &Protections, bool lIndexRequis,
                           IOperationsFichiers &Operations);

// Steps 1 to 3 of OK: checks the name and the folder, asks before a replacement (which goes
// to the trash), creates the folder. Returns the album folder ready for the generator, or
// empty when the window must stay open (every refusal told through Messages).
struct TPreparationAlbumWEB
{
    QString cParent;
    QString cNom;
    QString cDossierDonnees;
    QString cDossierVignettes;
};
QString PrepareDossierAlbumWEB(const TPreparationAlbumWEB &Demande, const TBigIniFile &Parametres,
                               IOperationsFichiers &Operations, IMessages &Messages, QWidget *Parent);

// After a generation: keeps the options, writes the history key when the album's Index.htm
// exists, and saves the settings store once. Returns true when the album may be shown (it went
// to its end and its Index.htm exists); cErreurSauvegarde gets the storage message when the
// store could not be written (the options then stay in memory for the next save).
bool ConclutAlbumWEB(TBigIniFile &Parametres, const TOptionsAlbumWEB &Options, const TBilanAlbumWEB &Bilan,
                     QString &cErreurSauvegarde);

// The number of albums of the history whose Index.htm still exists.
int NbAlbumsHistorique(const TBigIniFile &Parametres);

// Opens a page with the program associated with it (xdg-open, the path as one argument).
bool OuvrePageAlbumWEB(const QString &cPage);
