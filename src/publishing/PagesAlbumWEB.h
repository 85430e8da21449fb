#pragma once
// The lines of a web album's table page and single-image page. Every text that comes from the
// user's files or settings is escaped for the place it lands in: element text and attributes
// as HTML, script strings as JavaScript, file names in addresses percent-encoded. The pages are
// HTML5 in UTF-8, their lines ended by CR LF.

#include "publishing/MiseEnPageAlbumWEB.h"
#include "publishing/OptionsAlbumWEB.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The head of a table page or single-image page, down to the opening FONT line.
QStringList TeteAlbumWEB(const QString &cTitre, const TOptionsAlbumWEB &Options);
// The end of both pages.
QStringList PiedAlbumWEB();

QString LigneTableAlbumWEB(const TOptionsAlbumWEB &Options);
QString LigneRangeeAlbumWEB(quint32 nCouleur);

// The cell of a picture row for the content kind: cNomVignette and cNomImage are the names in
// the "Vignettes" and "Images" folders, cBulle the plain text of the hint.
QString CelluleImageAlbumWEB(int nContenu, const QString &cLargeur, const QString &cNomVignette,
                             const QString &cNomImage, const QString &cBulle);
// The cell of a data row; the legend goes under the text when lAvecLegende.
QString CelluleDonneesAlbumWEB(const QString &cLargeur, const QString &cTexte, bool lAvecLegende,
                               const QString &cLegende);

// One entry of a table page, its files already named.
struct TEntreeAlbumWEB
{
    QString cNomVignette; // name in "Vignettes"
    QString cNomImage;    // name in "Images"
    QString cBulle;       // plain text of the hint
    QString cTexte;       // data text
    QString cLegende;
};

// The lines of one table row: the picture row and, when the options ask for it, the data row.
QStringList RangeeAlbumWEB(const TOptionsAlbumWEB &Options, const TMiseEnPageAlbumWEB &MiseEnPage,
                           const TLigneAlbumWEB &Ligne, const QList<TEntreeAlbumWEB> &Entrees);

// The script of a single-image page showing the images cNoms (output names, in table order)
// with their legends when lLegendes; cPrefixe is the way up from the page's folder to the
// album folder ("", "../", "../../"...), where the navigation pictures are. The page's address
// names its image after the "?", percent-encoded; an undecodable or unknown name gives the
// alert.
QStringList ScriptImageAlbumWEB(const QStringList &cNoms, const QStringList &cLegendes, bool lLegendes,
                                const QString &cPrefixe);

// The lines as the file's bytes: UTF-8, each line ended by CR LF.
QByteArray OctetsPageAlbumWEB(const QStringList &Lignes);

// "Index.htm" of a flat "Frames" album: the frameset showing the thumbnail page and the first
// image (cPremiereImage, its output name); with no image, a page with its head and an empty
// body. nTailleVignette is the item size of the main thumbnail grid.
QStringList FramesetAlbumWEB(const TOptionsAlbumWEB &Options, const QString &cPremiereImage, int nTailleVignette);

// "Index.htm" of a hierarchical album. cCheminPremier is the first node's path, cPremiereImage
// the output name of its first image written (empty when it has none). With the tree "in the
// search pane" the tree takes a left frame of this page instead of a window of its own.
QStringList IndexHierarchieAlbumWEB(const TOptionsAlbumWEB &Options, const QString &cCheminPremier,
                                    const QString &cPremiereImage, int nTailleVignette);

// "Hierarchie.htm": one line per node, Premieres[i] the output name of node i's first image
// written (empty when none).
QStringList PageHierarchieAlbumWEB(const TOptionsAlbumWEB &Options, const QList<TEnrAWH> &Noeuds,
                                   const QStringList &Premieres);
