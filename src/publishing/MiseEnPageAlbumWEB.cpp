#include "publishing/MiseEnPageAlbumWEB.h"

#include "exploration/ColonnesListe.h"
#include "imaging/FileKinds.h"

#include <cmath>

qint64 ArrondiPair(double n)
{
    const double nBas = std::floor(n);
    const double nReste = n - nBas;
    if (nReste > 0.5)
        return static_cast<qint64>(nBas) + 1;
    if (nReste < 0.5)
        return static_cast<qint64>(nBas);
    const auto nEntier = static_cast<qint64>(nBas);
    return (nEntier % 2 == 0) ? nEntier : nEntier + 1;
}

int ColonnesAlbumWEB(const TOptionsAlbumWEB &Options, bool lHierarchique, int nImages)
{
    if (lHierarchique && Options.nAWContAlbum == caFrames)
        return Options.nAWDispoVig == dvVignettesAGauche ? 1 : nImages;
    return Options.nAWNbCol;
}

QString LargeurCellule(int nCols)
{
    if (nCols <= 0)
        return QStringLiteral("100");
    // In integers, so that 12.5 is seen as an exact half.
    int nQuotient = 100 / nCols;
    const int nReste = 100 % nCols;
    if (2 * nReste > nCols || (2 * nReste == nCols && nQuotient % 2 != 0))
        ++nQuotient;
    return QString::number(nQuotient);
}

TMiseEnPageAlbumWEB MiseEnPageAlbumWEB(const TOptionsAlbumWEB &Options, bool lHierarchique, int nImages)
{
    TMiseEnPageAlbumWEB M;
    M.nCols = qMax(0, ColonnesAlbumWEB(Options, lHierarchique, nImages));
    M.cLargeur = LargeurCellule(M.nCols);
    if (M.nCols == 0 || nImages <= 0)
        return M;
    for (int nDebut = 0; nDebut < nImages; nDebut += M.nCols)
        M.Lignes.append({nDebut, qMin(M.nCols, nImages - nDebut)});
    M.nPas = static_cast<int>(M.Lignes.size()) * M.nCols;
    return M;
}

QString TexteDonneesAlbumWEB(const TEnrLV &Enr, const TOptionsAlbumWEB &Options)
{
    QString T;
    if (Options.lAWAffNom)
        T = Enr.cChemin.mid(Enr.cChemin.lastIndexOf(QLatin1Char('/')) + 1);
    if (Options.lAWAffResol)
        T += QStringLiteral(" [%1x%2]").arg(Enr.nLargeur).arg(Enr.nHauteur);
    if (Options.lAWAffTaille)
        T += QLatin1Char(' ') + TexteTaille(Enr.nTaille);
    if (Options.lAWAffDate)
        T += QStringLiteral(" le ") + ColonnesListe::TexteDate(Enr.nDate);
    return T;
}

bool ReductionAlbumWEB(int nLargeur, int nHauteur, std::optional<int> nMax)
{
    return nMax && *nMax > 0 && (nLargeur > *nMax || nHauteur > *nMax);
}

QSize TailleReduiteAlbumWEB(int nLargeur, int nHauteur, std::optional<int> nMax)
{
    if (!ReductionAlbumWEB(nLargeur, nHauteur, nMax))
        return {nLargeur, nHauteur};
    const double x = qMax(double(nLargeur) / *nMax, double(nHauteur) / *nMax);
    return {static_cast<int>(qMax<qint64>(1, ArrondiPair(nLargeur / x))),
            static_cast<int>(qMax<qint64>(1, ArrondiPair(nHauteur / x)))};
}
