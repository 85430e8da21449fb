#pragma once
// The nodes of a hierarchical web album built from a folder of the disk: the folder and every
// sub-folder under it, each with the image files it holds itself.

#include "publishing/OptionsAlbumWEB.h"

#include <QList>
#include <QString>

class IVolumes;
class TBigIniFile;

// Sorts a node's images by their volume written "%x-%x" followed by their upper-cased path,
// compared byte by byte.
void TrieImagesNoeud(QList<TEnrLST> &Images);

// The nodes for folder cDossier: cDossier itself first (empty cChemin, level 0), then every
// folder under it, sorted by their upper-cased full paths (with their final "/") compared byte
// by byte, which keeps each sub-tree right after its folder. Names beginning with "." are
// skipped, links to folders are not followed, a folder reached twice (bind mount) is walked
// once, and the album folder and the thumbnail folder are left out with all they hold. An
// image on a CD is keyed by the CD's serial and its path on the disc.
QList<TEnrAWH> ConstruireHierarchieDossiers(const QString &cDossier, const IVolumes &Volumes,
                                            const QString &cDossierAlbum, const QString &cDossierVignettes);

// The nodes of personal hierarchy cNom as the settings store keeps it: its folder paths in
// stored order, each with the image keys of its folder section, sorted. Every key is listed:
// leaving out the images that cannot be reached is the gathering's work.
QList<TEnrAWH> ConstruireHierarchiePerso(const TBigIniFile &Parametres, const QString &cNom);

// The refusal of the first node whose path cannot be a folder of the album, empty when every
// node can; checked before anything is written.
QString ErreurHierarchieAlbumWEB(const QList<TEnrAWH> &Noeuds);
