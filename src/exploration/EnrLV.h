#pragma once
// One entry of the image list: the file, its volume, its size, date and resolution, its state
// flags and the EXIF and IPTC texts read when it was listed. Sizes, dates and resolutions are
// 64-bit so that a 3 GB TIF or a 50,000-pixel panorama is held and sorted right.

#include "metadata/DonneesMeta.h"

#include <QString>
#include <QtGlobal>

struct TEnrLV : TDonneesEXIF, TDonneesIPTC
{
    qint32 nNumCD = 0;   // volume number of the image key (0: not on a CD)
    QString cLecteur;    // mount point of a present CD, without its final "/"; else empty
    QString cChemin;     // path part of the image key; cLecteur + cChemin is the full path
    qint64 nTaille = 0;  // bytes
    qint64 nDate = 0;    // modification time, seconds since 1970 (UTC); <= 0 unknown
    qint64 nLargeur = 0; // resolution, 0 while unknown
    qint64 nHauteur = 0;

    bool lExiste = false;
    bool lIllisible = false;
    bool lRaccourci = false;

    // The EXIF texts and flags (lEXIF, lFocEq, cAppareil ... cCommentaire) and the IPTC ones
    // (lIPTC and its group flags, cTitre ... cOriPays) come from the two bases, so that the
    // metadata readers fill an entry directly.

    quint8 nPctCouleur = 0;
    quint8 nPctMotif = 0;

    QString CheminComplet() const { return cLecteur + cChemin; }
    // The image key: the path alone off CDs, "<serial>" + path on a CD.
    QString Cle() const;
    QString NomFichier() const
    {
        const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
        return n < 0 ? cChemin : cChemin.mid(n + 1);
    }
    // Folder of the full path, with its final "/".
    QString Dossier() const
    {
        const QString c = CheminComplet();
        const qsizetype n = c.lastIndexOf(QLatin1Char('/'));
        return n < 0 ? QString() : c.left(n + 1);
    }
};
