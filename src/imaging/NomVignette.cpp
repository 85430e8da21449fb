#include "imaging/NomVignette.h"

#include "storage/CleImage.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace
{
// Most Linux file systems limit a name to 255 bytes; keep room for the hash and ".JPG".
constexpr int nOctetsMax = 255;
const QString cExtension = QStringLiteral(".JPG");
const QString cMarqueAbrege = QStringLiteral("%~");

QString Abrege(const QString &cNom, const QString &cCleEntiere)
{
    const QByteArray hash = QCryptographicHash::hash(cCleEntiere.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    const int nReserve = cMarqueAbrege.size() + hash.size() + cExtension.size();
    // Cut on a character boundary, never inside an escape, so the kept part stays decodable.
    QString cTete = cNom;
    while (cTete.toUtf8().size() + nReserve > nOctetsMax)
        cTete.chop(1);
    if (cTete.size() >= 1 && cTete.endsWith(QLatin1Char('%')))
        cTete.chop(1);
    else if (cTete.size() >= 2 && cTete.at(cTete.size() - 2) == QLatin1Char('%'))
        cTete.chop(2);
    return cTete + cMarqueAbrege + QString::fromLatin1(hash) + cExtension;
}

std::optional<qint32> VolumeDeDossier(const QString &cDossier)
{
    const int n = cDossier.indexOf(QLatin1Char('-'));
    if (n <= 0 || n == cDossier.size() - 1 || cDossier.size() > 9)
        return std::nullopt;
    bool ok1 = false, ok2 = false;
    const uint nHaut = cDossier.left(n).toUInt(&ok1, 16);
    const uint nBas = cDossier.mid(n + 1).toUInt(&ok2, 16);
    if (!ok1 || !ok2 || nHaut > 0xFFFF || nBas > 0xFFFF)
        return std::nullopt;
    const quint32 nSerie = (nHaut << 16) | nBas;
    // Only the canonical spelling is a volume identifier ("1a2b-c4", not "1A2B-00c4").
    if (IdVolume(nSerie) != cDossier)
        return std::nullopt;
    return static_cast<qint32>(nSerie);
}
}

QString EncodeCheminVignette(const QString &cChemin)
{
    QString c;
    c.reserve(cChemin.size() + 8);
    for (const QChar ch : cChemin) {
        switch (ch.unicode()) {
        case '%': c += QLatin1String("%25"); break;
        case '#': c += QLatin1String("%23"); break;
        case '^': c += QLatin1String("%5E"); break;
        case ':': c += QLatin1Char('#'); break;
        case '/': c += QLatin1Char('^'); break;
        default: c += ch;
        }
    }
    return c;
}

QString DecodeCheminVignette(const QString &cEncode)
{
    QString c;
    c.reserve(cEncode.size());
    for (qsizetype i = 0; i < cEncode.size(); ++i) {
        const QChar ch = cEncode.at(i);
        if (ch == QLatin1Char('#'))
            c += QLatin1Char(':');
        else if (ch == QLatin1Char('^'))
            c += QLatin1Char('/');
        else if (ch == QLatin1Char('%') && i + 2 < cEncode.size()) {
            const QStringView esc = QStringView(cEncode).mid(i + 1, 2);
            if (esc == u"25")
                c += QLatin1Char('%');
            else if (esc == u"23")
                c += QLatin1Char('#');
            else if (esc.compare(u"5E", Qt::CaseInsensitive) == 0)
                c += QLatin1Char('^');
            else {
                c += ch;
                continue;
            }
            i += 2;
        } else
            c += ch;
    }
    return c;
}

QString NomVignette(const QString &cDossierVignettes, qint32 nVolume, const QString &cChemin)
{
    const QString cNom = EncodeCheminVignette(cChemin) + cExtension;
    const QString cFichier =
        cNom.toUtf8().size() <= nOctetsMax ? cNom : Abrege(EncodeCheminVignette(cChemin), CleImage(nVolume, cChemin));
    if (nVolume == 0)
        return cDossierVignettes + cFichier;
    return cDossierVignettes + IdVolume(static_cast<quint32>(nVolume)) + QLatin1Char('/') + cFichier;
}

bool EstNomVignetteAbrege(const QString &cNomFichier)
{
    return cNomFichier.contains(cMarqueAbrege);
}

std::optional<TCleVignette> CleDeNomVignette(const QString &cDossierVignettes, const QString &cFichier)
{
    if (!cFichier.startsWith(cDossierVignettes) || !cFichier.endsWith(cExtension))
        return std::nullopt;
    const QString cReste = cFichier.mid(cDossierVignettes.size());
    const int nBarre = cReste.indexOf(QLatin1Char('/'));
    if (nBarre != cReste.lastIndexOf(QLatin1Char('/')))
        return std::nullopt;
    TCleVignette cle;
    QString cNom = cReste;
    if (nBarre >= 0) {
        const auto nVolume = VolumeDeDossier(cReste.left(nBarre));
        if (!nVolume)
            return std::nullopt;
        cle.nVolume = *nVolume;
        cNom = cReste.mid(nBarre + 1);
    }
    if (EstNomVignetteAbrege(cNom))
        return std::nullopt;
    cNom.chop(cExtension.size());
    cle.cChemin = DecodeCheminVignette(cNom);
    return cle;
}

QByteArray CommentaireVignette(qint32 nVolume, const QString &cChemin)
{
    return QByteArrayLiteral("Vimbrel-cle:") + CleImage(nVolume, cChemin).toUtf8();
}

std::optional<TCleVignette> CleDeFichierVignette(const QString &cDossierVignettes, const QString &cFichier)
{
    if (!EstNomVignetteAbrege(QFileInfo(cFichier).fileName()))
        return CleDeNomVignette(cDossierVignettes, cFichier);
    // Walk the JPEG markers up to the first scan looking for our comment (bounded by the file).
    QFile f(cFichier);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray tete = f.read(64 * 1024);
    const QByteArray marque = QByteArrayLiteral("Vimbrel-cle:");
    qsizetype i = 2;
    if (tete.size() < 4 || uchar(tete[0]) != 0xFF || uchar(tete[1]) != 0xD8)
        return std::nullopt;
    while (i + 4 <= tete.size()) {
        if (uchar(tete[i]) != 0xFF)
            return std::nullopt;
        const uchar m = uchar(tete[i + 1]);
        const qsizetype nLong = (uchar(tete[i + 2]) << 8) | uchar(tete[i + 3]);
        if (nLong < 2 || i + 2 + nLong > tete.size() || m == 0xDA)
            return std::nullopt;
        if (m == 0xFE) {
            const QByteArray com = tete.mid(i + 4, nLong - 2);
            if (com.startsWith(marque)) {
                const QString cCle = QString::fromUtf8(com.mid(marque.size()));
                const TEnrLST vc = DecomposeCle(cCle);
                const QString cAttendu = NomVignette(cDossierVignettes, vc.nVolume, vc.cChemin);
                // The comment must name the image this very file is for.
                if (cAttendu != cFichier)
                    return std::nullopt;
                return TCleVignette{vc.nVolume, vc.cChemin};
            }
        }
        i += 2 + nLong;
    }
    return std::nullopt;
}
