#pragma once
// Setting the file date of images: a date and time chosen by the user, or each image's EXIF
// shooting date. The date is taken as local time and set to the second (a volume that keeps
// coarser dates rounds it by itself, and the list shows what the file then holds); the access
// time is left as it was. The image's companions get the same date when the settings say so.

#include "publishing/Suivi.h"

#include <QDateTime>
#include <QList>
#include <QString>

class IAlbumImages;
class TModeleListeImages;

inline const QString cTitreDatationImages = QStringLiteral("Datation des images");

struct TParamsDatation
{
    bool lTrtTHMDsOpFic = true;
    bool lTrtWAVDsOpFic = true;
};

// Sets the file's modification time to D (local time, to the second), its access time kept.
// 0 or the errno.
int DateFichier(const QString &cChemin, const QDateTime &D);
// The file's modification time in seconds since 1970, or 0 when it cannot be read.
qint64 DateDeFichier(const QString &cChemin);

struct TBilanDatation
{
    int nDatees = 0;
    int nNonTraitees = 0;
    bool lInterrompu = false;
    QString MessageFinal() const;
};

class TDatationImages
{
public:
    explicit TDatationImages(const TParamsDatation &Params) : m_Params(Params) {}

    IAlbumImages *pAlbum = nullptr;
    TSuivi Suivi;

    // The rows given (any order; taken in list order). lEXIF: each image's shooting date;
    // otherwise D for all. Rows of CD images, images without a readable shooting date and
    // files whose date cannot be set count as not processed. Dated rows show the date read
    // back from the file.
    TBilanDatation Date(TModeleListeImages &Modele, const QList<int> &Lignes, bool lEXIF, const QDateTime &D);

private:
    TParamsDatation m_Params;
};
