#pragma once
// Personal web albums: named trees of folders, each folder listing image keys chosen by the
// user, kept in the settings store. Section "SAUVEGARDE ALBUM WEB:<album>" holds "<aDossiers>",
// the album's folder paths joined by "|" (depth first, parents first, levels joined by "/");
// section "SAUVEGARDE ALBUM WEB:<album>:<path>" holds one key per image of that folder.
//
// Every action here changes the store and saves it once; the windows only call them and show
// what they answer. A folder's sub-tree is the folder P and every path beginning with P + "/",
// never a bare prefix, and paths compare ignoring case as the store's section names do.

#include <QString>
#include <QStringList>

#include <optional>

class TBigIniFile;

namespace AlbumsWebPerso
{
inline constexpr const char *cCleDossiers = "<aDossiers>";

// "SAUVEGARDE ALBUM WEB:" + album, and the section of one of its folders.
QString SectionAlbum(const QString &cAlbum);
QString SectionDossier(const QString &cAlbum, const QString &cChemin);

// The name after the last "/", and the path before it (empty at the top).
QString NomDossier(const QString &cChemin);
QString CheminParent(const QString &cChemin);
// p is P or lies under it.
bool DansSousArbre(const QString &p, const QString &P);

// What an action did.
struct TResultat
{
    bool lFait = false;        // the store was changed (maybe not saved)
    QString cRefus;            // why nothing was done, to show as an error; empty when done
    QString cErreurSauvegarde; // the save failed: the change stays in memory for the next save
    QString cChemin;           // the folder the action made or moved, to select afterwards
};

// Names of the albums (sections holding "<aDossiers>"), sorted as a French user sorts them;
// lAvecDossiers keeps only those whose folder list is not empty.
QStringList ListerAlbumsPerso(const TBigIniFile &iniSetup, bool lAvecDossiers);

// The album's folder paths as the editor shows them: each stored piece (trimmed, empty ones
// left out) split on "/", the nodes made as needed, then listed depth first with parents
// before children and siblings in the order first met. Duplicates and a child listed before
// its parent thus read as one tree.
QStringList LitDossiers(const TBigIniFile &iniSetup, const QString &cAlbum);
// Puts paths in tree order as LitDossiers does.
QStringList OrdonneDossiers(const QStringList &Pieces);
// Rewrites "<aDossiers>" from the paths (put in tree order first); does not save.
void EcrireDossiers(TBigIniFile &iniSetup, const QString &cAlbum, const QStringList &Chemins);

// Moves every key with its value from one section to another (keys already there are
// overwritten) and erases the old section; names that differ only in case are one section,
// whose keys are then written again under the new spelling.
void DeplacerSection(TBigIniFile &iniSetup, const QString &cAncienne, const QString &cNouvelle);

// The refusal of a name given at creation, empty when acceptable: anything but an empty name,
// "." or "..", or one holding ":" "/" "\" "|" "[" "]" or a control character.
QString RefusNomCreation(const QString &cNom);
// The refusal of a name given by renaming: only spaces, "-", ".", "_", digits and the letters
// A to Z and a to z, not empty once trimmed, neither "." nor "..".
QString RefusNomRenommage(const QString &cNom);

TResultat CreeAlbum(TBigIniFile &iniSetup, const QString &cNom);
// Erases the album's section and its folders' sections; another album whose name begins with
// this one's and a colon keeps its own.
TResultat SupprimeAlbum(TBigIniFile &iniSetup, const QString &cAlbum);
TResultat RenommeAlbum(TBigIniFile &iniSetup, const QString &cAncien, const QString &cNouveau);

// "Nouveau" followed by the smallest integer from 1 that no folder under cParent uses.
QString NomNouveauDossier(const QStringList &Chemins, const std::optional<QString> &cParent);
// A new folder under cParent (nullopt: at the top), last of its level; cChemin names it.
TResultat CreeDossier(TBigIniFile &iniSetup, const QString &cAlbum, const std::optional<QString> &cParent);
// The folder and its sub-folders take the new name; their sections follow.
TResultat RenommeDossier(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin,
                         const QString &cNouveauNom);
// A top-level folder goes with its sub-folders and their images; a deeper one's images (its
// sub-folders' too) join its parent's section, or are dropped with lEffaceImages.
TResultat SupprimeDossier(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin,
                          bool lEffaceImages = false);
// Whether cSource may be dropped on cCible: not itself, its parent nor under it, and cCible has
// no child of the same name.
bool PeutDeposer(const QStringList &Chemins, const QString &cSource, const QString &cCible);
// Recreates cSource and its sub-folders under cCible (with their images when lImages); a move
// then deletes the source: with lImages its sections are erased (their images went with the
// copy), without, they join the former parent as a deletion does.
TResultat CopieDossier(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cSource, const QString &cCible,
                       bool lImages, bool lDeplace);

// The keys of a folder's section, in file order.
QStringList ImagesDossier(const TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin);
// Every key of the album's folders, each once.
QStringList ImagesAlbumPerso(const TBigIniFile &iniSetup, const QString &cAlbum);

enum class TGestion { Supprime, Copie, Deplace };
// Whether the management dialog's OK applies: a deletion always, a copy or a move once a folder
// is chosen that is not the current one (same album and same path).
bool PeutGerer(TGestion nGestion, const QString &cAlbum, const QString &cChemin, const QString &cAlbumCible,
               const std::optional<QString> &cCheminCible);
TResultat GereImages(TBigIniFile &iniSetup, TGestion nGestion, const QString &cAlbum, const QString &cChemin,
                     const QStringList &Cles, const QString &cAlbumCible, const QString &cCheminCible);
// Writes the keys (empty values) into a folder's section.
TResultat AjouteImages(TBigIniFile &iniSetup, const QString &cAlbum, const QString &cChemin, const QStringList &Cles);
} // namespace AlbumsWebPerso
