#include "imaging/LimitesImage.h"

namespace LimitesImage
{
bool DimensionsAdmises(qint64 w, qint64 h, QString *cErreur)
{
    if (w <= 0 || h <= 0) {
        if (cErreur)
            *cErreur = QStringLiteral("dimensions nulles");
        return false;
    }
    if (w > nCoteLimite || h > nCoteLimite || w * h > nPixelsLimite) {
        if (cErreur)
            *cErreur = QStringLiteral("dimensions démesurées (%1 x %2)").arg(w).arg(h);
        return false;
    }
    return true;
}
}
