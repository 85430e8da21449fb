#include "metadata/Focale.h"

#include "metadata/Exif.h"
#include "platform/FrenchFormats.h"
#include "storage/BigIniFiles.h"

#include <cmath>

QString TexteCoeff(double dCoeff)
{
    if (dCoeff == std::floor(dCoeff) && std::fabs(dCoeff) < 1e15)
        return QString::number(qint64(dCoeff));
    return TexteDecimal(dCoeff, 1);
}

bool ApprendreCoeffFocale(TBigIniFile *iniCFAPN, const QString &cAppareil, const QString &cFocale, int nFocale35)
{
    if (!iniCFAPN || nFocale35 <= 0 || cAppareil.isEmpty() || cFocale.isEmpty())
        return true;
    const QString cCle = cAppareil.toUpper();
    if (iniCFAPN->ValueExists(cSectionCoeffFoc, cCle))
        return true;
    bool lOk = false;
    const double dFocale = FrenchFormats::LitNombre(cFocale, &lOk);
    if (!lOk || !(dFocale > 0) || !std::isfinite(dFocale))
        return true;
    iniCFAPN->WriteString(cSectionCoeffFoc, cCle, TexteCoeff(nFocale35 / dFocale));
    return iniCFAPN->UpdateFile();
}

bool ConvertirFocale(const TContexteFocale &Focale, const QString &cAppareil, QString &cFocale)
{
    if (!Focale.lCoeffFocDansTable || !Focale.iniCFAPN || cFocale.isEmpty())
        return false;
    const QString cCle = cAppareil.toUpper();
    if (!Focale.iniCFAPN->ValueExists(cSectionCoeffFoc, cCle))
        return false;
    const QString cCoeff = Focale.iniCFAPN->ReadString(cSectionCoeffFoc, cCle, QStringLiteral("1"));
    if (cCoeff == QLatin1String("1"))
        return false;
    bool lOk1 = false, lOk2 = false;
    const double dCoeff = FrenchFormats::LitNombre(cCoeff, &lOk1);
    const double dFocale = FrenchFormats::LitNombre(cFocale, &lOk2);
    if (!lOk1 || !lOk2 || !std::isfinite(dCoeff * dFocale) || std::fabs(dCoeff * dFocale) > 1e12)
        return false;
    cFocale = TexteDecimal(dFocale * dCoeff, 0);
    return true;
}
