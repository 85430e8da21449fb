#pragma once
// The texts that show an image's EXIF and IPTC data, in the program's markup: the state memo's
// metadata tabs, the blocks of the image hint and the nodes of the classification tree.

#include "metadata/DonneesMeta.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// "Lu " for a date (and time) of a Monday in the form dd/MM/yyyy [HH:mm:ss]; empty when the
// text is not such a date.
QString PrefixeJour(const QString &cDate);

// Splits a text into lines of at most nLargeur characters, cutting at the last blank when
// there is one.
QStringList CouperLignes(const QString &cTexte, int nLargeur);

// State memo tabs.
QString TexteEtatEXIF(const TDonneesEXIF &e);            // "Données techniques EXIF"
QString TexteEtatCommentaireEXIF(const TDonneesEXIF &e); // "Commentaire EXIF"
QString TexteEtatLegendeIPTC(const TDonneesIPTC &r);     // "Légende IPTC"
QString TexteEtatMotsClesIPTC(const TDonneesIPTC &r);    // "Mots-clés IPTC"
QColor CouleurEtatEXIF();                                // green
QColor CouleurEtatIPTC();                                // teal

// Blocks appended to the image hint; empty when the setting is off or the image has no data.
QString BlocHintEXIF(const TDonneesEXIF &e, bool lHintAffEXIF);
QString BlocHintIPTC(const TDonneesIPTC &r, bool lHintAffIPTC);

// A node of the classification tree: caption, its image and selected image indexes, children.
struct TNoeudMeta
{
    QString cTexte;
    int nImage = -1;
    int nImageSel = -1;
    QList<TNoeudMeta> Enfants;
};
// The "EXIF" node with one child per upper-case letter of cOrdreEXIF; none when the image
// has no EXIF data or the order shows nothing.
std::optional<TNoeudMeta> NoeudEXIF(const TDonneesEXIF &e, const QString &cOrdreEXIF);
// The "IPTC" node with one group per upper-case letter of cOrdreIPTC whose group is present.
std::optional<TNoeudMeta> NoeudIPTC(const TDonneesIPTC &r, const QString &cOrdreIPTC);
