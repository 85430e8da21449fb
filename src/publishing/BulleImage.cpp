#include "publishing/BulleImage.h"

#include "exploration/ColonnesListe.h"
#include "exploration/EnrLV.h"
#include "imaging/FileKinds.h"
#include "metadata/TextesMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "storage/Settings.h"
#include "treatments/TraitementsImage.h"

namespace
{
const QString cCRLF = QStringLiteral("\r\n");

QString BlocAlbums(const QString &cTitre, const QStringList &Albums)
{
    if (Albums.isEmpty())
        return {};
    QString c = QStringLiteral("\r\n<PG>%1</PG/>").arg(cTitre);
    for (const QString &cAlbum : Albums)
        c += cCRLF + cAlbum;
    return c;
}
} // namespace

QString TexteBulleImage(const TEnrLV &Enr, const TSourcesBulleImage &S)
{
    static const TEnrParametres Defauts;
    const TEnrParametres &P = S.Parametres ? *S.Parametres : Defauts;
    const QString cCle = Enr.Cle();
    TRecetteTrts Recette;
    if (S.iniSetup)
        Recette = LitRecetteTrts(*S.iniSetup, P, cCle, Enr.cOrientation);

    // The size as the image is shown: turned by its treatments.
    const QSize Taille = TailleTraitee(
        QSize(int(std::clamp<qint64>(Enr.nLargeur, 0, INT_MAX)), int(std::clamp<qint64>(Enr.nHauteur, 0, INT_MAX))),
        Recette);
    QString c = Enr.Dossier() + QStringLiteral("\r\n<SG>") + Enr.NomFichier() + QStringLiteral("</SG/> <SS>[")
                + QString::number(Taille.width()) + QLatin1Char('x') + QString::number(Taille.height())
                + QStringLiteral("]</SS/>");
    if (Enr.nNumCD != 0) {
        const QString cId = IdVolume(static_cast<quint32>(Enr.nNumCD));
        const QString cLabel = S.iniSetup ? S.iniSetup->ReadString(cSectionLabelsCD, cId, {}) : QString();
        c += QStringLiteral("\r\n(Sur le CD N° ") + cId;
        if (!cLabel.isEmpty())
            c += QStringLiteral(" : <SG>\"") + cLabel + QStringLiteral("\"</SG/>");
        c += QLatin1Char(')');
    }
    c += cCRLF + TexteTaille(Enr.nTaille) + QStringLiteral(" le ") + ColonnesListe::TexteDate(Enr.nDate);
    if (Enr.nPctCouleur > 0)
        c += QStringLiteral("\r\n% de correspondance avec la Colorimétrie : <SG>%1</SG/>").arg(Enr.nPctCouleur);
    if (Enr.nPctMotif > 0)
        c += QStringLiteral("\r\n% de correspondance avec le Motif : <SG>%1</SG/>").arg(Enr.nPctMotif);
    if (P.lHintAffTRT)
        c += DecritTrtsImage(Recette);
    if (P.lHintAffCRIT && S.fnBlocClassement)
        c += S.fnBlocClassement(Enr);
    if (P.lHintAffAlbImg && S.fnAlbumsImages)
        c += BlocAlbums(QStringLiteral("Albums d'images"), S.fnAlbumsImages(cCle));
    if (P.lHintAffAlbWHP && S.fnAlbumsWEBPerso)
        c += BlocAlbums(QStringLiteral("Albums WEB hiérarchiques personnels"), S.fnAlbumsWEBPerso(cCle));
    return c + BlocHintEXIF(Enr, P.lHintAffEXIF) + BlocHintIPTC(Enr, P.lHintAffIPTC);
}

QStringList AlbumsWEBPersoDeImage(const TBigIniFile &iniSetup, const QString &cCle)
{
    const QString cPrefixe = cSectionAlbumWeb + QLatin1Char(':');
    QStringList Sections;
    iniSetup.ReadSections(Sections);
    // An album is the section holding its folder list; its folders' sections follow its name
    // and a colon.
    QStringList Albums;
    for (const QString &cSection : Sections)
        if (cSection.startsWith(cPrefixe) && iniSetup.ValueExists(cSection, QStringLiteral("<aDossiers>")))
            Albums << cSection.mid(cPrefixe.size());
    QStringList Resultat;
    for (const QString &cAlbum : Albums) {
        const QString cDossiers = cPrefixe + cAlbum + QLatin1Char(':');
        for (const QString &cSection : Sections)
            if (cSection.startsWith(cDossiers) && iniSetup.ValueExists(cSection, cCle)) {
                Resultat << cAlbum;
                break;
            }
    }
    return Resultat;
}
