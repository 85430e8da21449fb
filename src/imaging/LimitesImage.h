#pragma once
// The sizes every image reader accepts. A side beyond 65,535 cannot be packed into the stored
// size and is no photograph; the pixel cap keeps a forged header from making a reader allocate
// gigabytes before the data proves to be missing.

#include <QString>
#include <QtGlobal>

namespace LimitesImage
{
inline constexpr qint64 nCoteLimite = 65535;
inline constexpr qint64 nPixelsLimite = 500LL * 1000 * 1000;

// True when w × h is a size worth decoding; otherwise false with the reason in cErreur
// (when given): "dimensions nulles" or "dimensions démesurées (w x h)".
bool DimensionsAdmises(qint64 w, qint64 h, QString *cErreur);
}
