#pragma once
// The open image album as the file operations see it: deleting, renaming and dating an image
// keep its album entry in step. The album window implements it; until it exists the program
// passes no album (a null pointer) and the operations skip this step.

#include <QString>
#include <QtGlobal>

struct TEnrLV;

class IAlbumImages
{
public:
    virtual ~IAlbumImages() = default;
    // The position of the image in the album, or -1.
    virtual int IndexImage(qint32 nVolume, const QString &cChemin) const = 0;
    // Removes the image's entry, when it is there.
    virtual void EnleverImage(qint32 nVolume, const QString &cChemin) = 0;
    // The entry follows its file to a new path (caption, page and hint included).
    virtual void RenommeImage(qint32 nVolume, const QString &cAncienChemin, const QString &cNouveauChemin) = 0;
    // Refreshes the album's copy of an entry and its hint (after dating).
    virtual void MettreAJourImage(const TEnrLV &Enr) = 0;
};
