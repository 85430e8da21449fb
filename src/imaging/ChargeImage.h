#pragma once
// Turning an image file into a picture, at full size or as a thumbnail, and the two pictures
// drawn in place of an image that cannot be shown.

#include "imaging/ImageChargee.h"

#include <QImage>
#include <QString>

#include <functional>
#include <stdexcept>

// Raised when a file cannot be read or decoded; the message says why, in French.
class EImageIllisible : public std::runtime_error
{
public:
    explicit EImageIllisible(const QString &cMessage) : std::runtime_error(cMessage.toStdString()), m_cMessage(cMessage)
    {}
    const QString &Message() const { return m_cMessage; }

private:
    QString m_cMessage;
};

// Progress of a load: stage 0 starting, 1 running (with a percentage), 2 ending.
using TProgresImage = std::function<void(int nEtape, int nPourcent)>;

// Loads the file. A JPEG is decoded here, at full size, or for a thumbnail at the largest
// reduction (1/2, 1/4, 1/8) that still covers nD, so that corrupt data fails now and not when
// the picture is painted. A CRW in thumbnail mode with lLireVigDsTHM set uses its .THM
// companion when it exists and the CRW's own size can be read. Every other kind goes through
// the imaging layer: in thumbnail mode the picture is the centred rectangle of the fitted
// nD × nD bitmap. The result holds the image's own size. Raises EImageIllisible.
// Safe to call from worker threads.
TImageChargee ChargeImage(const QString &cFichier, bool lVignette, int nD, bool lLireVigDsTHM,
                          const TProgresImage &Progres = {});

// The width and height of a CRW file, from the start-of-frame of the JPEG picture whose
// position the file's trailer gives. False when it cannot be read.
bool LitTailleCRW(const QString &cFichier, TTailleImage &Taille);

// The picture of a file present but not decodable: a square of side nS.
QImage ImageErreur(int nS);

// The picture of an image whose CD is not in a drive: the CD's volume identifier and, when
// the CD's label is known (non-empty), the label between double quotes.
QImage ImageNonTrouvee(int nS, const QString &cIdVolume, const QString &cLabel);
