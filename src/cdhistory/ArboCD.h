#pragma once
// The CD history as a tree: one node per known CD under the root "CDs", and below each CD the
// folders of the disc that hold catalogued images. The history is the set of CD image keys of
// TAILLES VIGNETTES; the tree is built from one read of that section and one sort, without
// touching any file of a CD. The page "CDs" shows this model; the image list of a node is
// listed by ListeNoeudCD.

#include "classification/ArboDossiers.h" // LegendeCD

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TBigIniFile;
class TListeur;
struct TContexteListe;
struct TCandidatFiltre;

// The data of every node but the root.
struct TEnrNoeudCD
{
    qint32 nIdCD = 0;    // volume number of the node's CD
    int nNbImagesCD = 0; // history images of the whole CD, the same in every node of the CD
    // Paths on the CD of the images lying directly in this folder, in history order; none for
    // a folder without images of its own.
    std::optional<QStringList> lstChemins;
};

// The place the user left the page on: reselected when the tree is rebuilt.
struct TEnrHistoCD
{
    qint32 nIdCD = 0;
    QString cDossier; // the folder on the CD, from "/" and ending with "/"; empty for none
};

struct TNoeudCD
{
    QString cTexte;
    TNoeudCD *pParent = nullptr;
    int nNiveau = 0; // 0 the root, 1 a CD, 2 and more a folder
    // Icons of the node's image list: 0/1 a folder without images, 2/3 with images, 4/5 the root.
    int nIcone = 0;
    QString cDossier;               // on the CD, from "/" and ending with "/"; empty for the root
    std::optional<TEnrNoeudCD> Enr; // none for the root
    std::vector<std::unique_ptr<TNoeudCD>> Enfants;

    bool ADesImages() const { return Enr && Enr->lstChemins && !Enr->lstChemins->isEmpty(); }
};

struct TArboCD
{
    std::unique_ptr<TNoeudCD> Racine; // null when the history is empty
    // The node to select after a rebuild: the remembered place, else the root.
    TNoeudCD *pChoisi = nullptr;
};

// The tree of the history keys (TAILLES VIGNETTES) of iniSetup, made by the catalogue's folder
// tree builder. Keys that are not CD keys are left out; folders compare exactly, so that
// folders differing by case stay apart.
TArboCD ConstruitArboCD(const TBigIniFile &iniSetup, const TEnrHistoCD &Place);
// The same from a list of keys (the section as read).
TArboCD ConstruitArboCD(const QStringList &Cles, const TBigIniFile &iniSetup, const TEnrHistoCD &Place);

// What the page remembers when it is left with this node selected (null: nothing selected).
TEnrHistoCD PlaceDeNoeud(const TNoeudCD *pNoeud);

// The node of a remembered place in a tree, or null when the tree has no such folder.
const TNoeudCD *TrouveNoeudCD(const TArboCD &Arbo, const TEnrHistoCD &Place);

// The hint of a node: "%d CDs" for the root, "%s - %d image(s) / %d" for a node with images,
// "%s - %d image(s)" (the CD's identifier and total) for any other; empty without a node.
QString BulleNoeudCD(const TNoeudCD *pNoeud);

// The images of a node as the CD-mode producer of the listing gives them, while the listing
// flag (Listeur.lListage) holds: in count-only mode only the returned count. The size and the
// date come from the file when its CD is in a drive, else from the thumbnail's date (0 without
// one) and the stored size (0 without one). fnFiltre (null: every image passes) is the CD
// history's filter, given the candidate.
qint64 ListeNoeudCD(const TNoeudCD &Noeud, TListeur &Listeur, TContexteListe &Ctx,
                    const std::function<bool(TCandidatFiltre &)> &fnFiltre, bool lRecursif, bool lCompteSeul);
