#include "imaging/TailleEntete.h"

#include "imaging/Imaging.h"
#include "imaging/LimitesImage.h"

bool LitTailleEntete(const QString &cFichier, TTailleImage &Taille)
{
    // The imaging layer picks the same reader as a decoding does, so both give one size.
    TTailleImage Lue;
    if (!Imaging::LitTaille(cFichier, Lue) || !LimitesImage::DimensionsAdmises(Lue.nLargeur, Lue.nHauteur, nullptr))
        return false;
    Taille = Lue;
    return true;
}
