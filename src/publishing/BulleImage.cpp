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

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

namespace
{
const QString cCRLF = QStringLiteral("\r\n");

// The list's date text of a modification time. localtime_r, unlike the conversions that call
// tzset first, does not look at the zone file again on every call: the hints of a list would
// spend most of their time there.
QString TexteDateBulle(qint64 nDate)
{
    const time_t t = time_t(nDate);
    tm l{};
    if (nDate <= 0 || qint64(t) != nDate || !localtime_r(&t, &l) || l.tm_year + 1900 > 9999)
        return ColonnesListe::TexteDate(nDate);
    char c[24];
    std::snprintf(c, sizeof c, "%02d/%02d/%04d %02d:%02d:%02d", l.tm_mday, l.tm_mon + 1, l.tm_year + 1900, l.tm_hour,
                  l.tm_min, l.tm_sec);
    return QString::fromLatin1(c);
}

// The personal web albums of the store, in section order, each with its folders' sections.
std::vector<std::pair<QString, QStringList>> AlbumsWEBPerso(const TBigIniFile &iniSetup)
{
    const QString cPrefixe = cSectionAlbumWeb + QLatin1Char(':');
    QStringList Sections;
    iniSetup.ReadSections(Sections);
    // An album is the section holding its folder list; its folders' sections follow its name
    // and a colon.
    std::vector<std::pair<QString, QStringList>> Albums;
    for (const QString &cSection : std::as_const(Sections))
        if (cSection.startsWith(cPrefixe) && iniSetup.ValueExists(cSection, QStringLiteral("<aDossiers>")))
            Albums.emplace_back(cSection.mid(cPrefixe.size()), QStringList());
    for (auto &[cAlbum, Dossiers] : Albums) {
        const QString cDossiers = cPrefixe + cAlbum + QLatin1Char(':');
        for (const QString &cSection : std::as_const(Sections))
            if (cSection.startsWith(cDossiers))
                Dossiers << cSection;
    }
    return Albums;
}

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
    QString c;
    // Room for the usual hint at once: it grows by many small pieces.
    c.reserve(2048);
    c += Enr.Dossier() + QStringLiteral("\r\n<SG>") + Enr.NomFichier() + QStringLiteral("</SG/> <SS>[")
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
    c += cCRLF + TexteTaille(Enr.nTaille) + QStringLiteral(" le ") + TexteDateBulle(Enr.nDate);
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
    c += BlocHintEXIF(Enr, P.lHintAffEXIF);
    c += BlocHintIPTC(Enr, P.lHintAffIPTC);
    return c;
}

QStringList AlbumsWEBPersoDeImage(const TBigIniFile &iniSetup, const QString &cCle)
{
    QStringList Resultat;
    for (const auto &[cAlbum, Dossiers] : AlbumsWEBPerso(iniSetup))
        if (std::any_of(Dossiers.cbegin(), Dossiers.cend(),
                        [&](const QString &cSection) { return iniSetup.ValueExists(cSection, cCle); }))
            Resultat << cAlbum;
    return Resultat;
}

QStringList TIndexAlbumsWEBPerso::Albums(const QString &cCle) const
{
    if (m_nGeneration != m_iniSetup.Generation()) {
        m_Index.clear();
        QStringList Cles;
        for (const auto &[cAlbum, Dossiers] : AlbumsWEBPerso(m_iniSetup))
            for (const QString &cSection : Dossiers) {
                m_iniSetup.ReadSection(cSection, Cles);
                for (const QString &c : std::as_const(Cles)) {
                    QStringList &l = m_Index[c];
                    if (l.isEmpty() || l.constLast() != cAlbum)
                        l << cAlbum;
                }
            }
        m_nGeneration = m_iniSetup.Generation();
    }
    return m_Index.value(cCle);
}
