#pragma once
// The nodes of a hierarchical web album built from a folder of the disk: the folder and every
// sub-folder under it, each with the image files it holds itself.

#include "publishing/OptionsAlbumWEB.h"

#include <QList>
#include <QString>

class IVolumes;

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
