#include "publishing/BulleAlbumWEB.h"

#include "exploration/ColonnesListe.h"
#include "exploration/EnrLV.h"
#include "imaging/FileKinds.h"
#include "metadata/TextesMeta.h"
#include "platform/Balises.h"

#include <QStringList>

QString TexteBrut(const QString &cTexte)
{
    QStringList Lignes;
    for (const QString &cLigne : Balises::Lignes(cTexte)) {
        // A line without "<" holds no tag: it is its own text.
        if (!cLigne.contains(QLatin1Char('<'))) {
            Lignes << cLigne;
            continue;
        }
        QString c;
        for (const Balises::TMorceau &m : Balises::AnalyseLigne(cLigne))
            c += m.cTexte;
        Lignes << c;
    }
    return Lignes.join(QStringLiteral("\r\n"));
}

QString TexteBulleAlbumWEB(const TEnrLV &Enr, const TParamsBulleAlbumWEB &P)
{
    QString c = Enr.Dossier() + QStringLiteral("\r\n<SG>") + Enr.NomFichier() + QStringLiteral("</SG/> <SS>[")
                + QString::number(Enr.nLargeur) + QLatin1Char('x') + QString::number(Enr.nHauteur)
                + QStringLiteral("]</SS/>");
    if (Enr.nNumCD != 0) {
        c += QStringLiteral("\r\n(Sur le CD N° ") + P.cIdVolume;
        if (!P.cLabelCD.isEmpty())
            c += QStringLiteral(" : <SG>\"") + P.cLabelCD + QStringLiteral("\"</SG/>");
        c += QLatin1Char(')');
    }
    c += QStringLiteral("\r\n") + TexteTaille(Enr.nTaille) + QStringLiteral(" le ")
         + ColonnesListe::TexteDate(Enr.nDate);
    return c + BlocHintEXIF(Enr, P.lHintAffEXIF) + BlocHintIPTC(Enr, P.lHintAffIPTC);
}
