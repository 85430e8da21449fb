#include "metadata/CacheMeta.h"

#include "imaging/FileKinds.h"
#include "storage/BigIniFiles.h"
#include "storage/Migrations.h"

QString ChampRecord(const QString &cChamp)
{
    QString c = cChamp;
    c.replace(QLatin1Char('|'), QChar(0x00A6));
    c.replace(QLatin1Char('\r'), QLatin1Char(' '));
    c.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return c;
}

QString FormeRecord(const QStringList &Champs)
{
    QString c;
    for (const QString &ch : Champs)
        c += ChampRecord(ch) + QLatin1Char('|');
    return c;
}

QStringList DecoupeRecord(const QString &cRecord)
{
    // The same cut as a saved filter's fields: one splitter for every "|" record of the stores.
    return ChampsFiltre(cRecord);
}

QString RecordEXIF(const TDonneesEXIF &e)
{
    return FormeRecord(
        {e.cAppareil, e.cFocaleReelle, e.cVitesse, e.cDiaphragme, e.cDatePDV, e.cISO, e.cOrientation, e.cCommentaire});
}

QString RecordIPTC(const TDonneesIPTC &r)
{
    QStringList Champs;
    for (int i = 0; i < 14; ++i)
        Champs << *r.Champ(i);
    return FormeRecord(Champs);
}

void LireEXIFCatalogue(const TBigIniFile &iniSetup, const QString &cCle, TDonneesEXIF &e, const TContexteFocale &Focale)
{
    e.Efface();
    MetEXIFDeRecord(e, DecoupeRecord(iniSetup.ReadString(cSectionEXIF, cCle, QString())), Focale);
}

bool MetEXIFDeRecord(TDonneesEXIF &e, const QStringList &It, const TContexteFocale &Focale)
{
    if (It.size() != 8)
        return false;
    e.lEXIF = true;
    e.cAppareil = It[0];
    e.cFocale = It[1];
    e.cFocaleReelle = It[1];
    e.cVitesse = It[2];
    e.cDiaphragme = It[3];
    e.cDatePDV = It[4];
    e.cISO = It[5];
    e.cOrientation = It[6];
    e.cCommentaire = It[7];
    e.lFocEq = ConvertirFocale(Focale, e.cAppareil, e.cFocale);
    return true;
}

void LireIPTCCatalogue(const TBigIniFile &iniSetup, const QString &cCle, TDonneesIPTC &r)
{
    r.Efface();
    if (!EstJPEG(cCle))
        return;
    const QStringList It = DecoupeRecord(iniSetup.ReadString(cSectionIPTC, cCle, QString()));
    if (It.size() != 14)
        return;
    for (int i = 0; i < 14; ++i)
        *r.Champ(i) = It[i];
    r.CalculeGroupes();
    // A record read whole counts as IPTC data, as the reader's own record did.
    r.lIPTC = true;
}

void EcrireEXIFCatalogue(TBigIniFile &iniSetup, const QString &cCle, const TDonneesEXIF &e, QStringList *ModelesConnus)
{
    if (!e.lEXIF)
        return;
    iniSetup.WriteString(cSectionEXIF, cCle, RecordEXIF(e));
    if (ModelesConnus)
        AjouteModeleConnu(*ModelesConnus, e.cAppareil);
}

void EcrireIPTCCatalogue(TBigIniFile &iniSetup, const QString &cCle, const TDonneesIPTC &r)
{
    if (r.lIPTC)
        iniSetup.WriteString(cSectionIPTC, cCle, RecordIPTC(r));
}

bool AjouteModeleConnu(QStringList &Modeles, const QString &cAppareil)
{
    if (cAppareil.trimmed().isEmpty() || Modeles.contains(cAppareil))
        return false;
    Modeles << cAppareil;
    return true;
}
