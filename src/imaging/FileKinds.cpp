#include "imaging/FileKinds.h"

#include "platform/FrenchFormats.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace
{
bool DansListe(const QString &cExt, std::initializer_list<const char *> Liste)
{
    for (const char *c : Liste)
        if (cExt == QLatin1String(c))
            return true;
    return false;
}

QString NomSeul(const QString &cChemin)
{
    const qsizetype n = cChemin.lastIndexOf(QLatin1Char('/'));
    return n < 0 ? cChemin : cChemin.mid(n + 1);
}

quint32 Lit32(const QByteArray &b, qint64 nPos)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData()) + nPos;
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 Lit16(const QByteArray &b, qint64 nPos)
{
    const auto *p = reinterpret_cast<const uchar *>(b.constData()) + nPos;
    return quint16(p[0] | p[1] << 8);
}

// A zero-terminated 8-bit text starting at nPos, never past nFin.
QString Texte8(const QByteArray &b, qint64 nPos, qint64 nFin)
{
    if (nPos < 0 || nPos >= nFin)
        return {};
    const qint64 nZero = b.indexOf('\0', nPos);
    if (nZero < 0 || nZero >= nFin)
        return {};
    return QString::fromUtf8(b.constData() + nPos, nZero - nPos);
}

// A zero-terminated UTF-16 text starting at nPos, never past nFin.
QString Texte16(const QByteArray &b, qint64 nPos, qint64 nFin)
{
    if (nPos < 0 || nPos >= nFin)
        return {};
    QString c;
    for (qint64 i = nPos; i + 1 < nFin; i += 2) {
        const quint16 u = Lit16(b, i);
        if (u == 0)
            return c;
        c.append(QChar(u));
    }
    return {};
}

bool CibleAdmise(const QString &c)
{
    if (!c.startsWith(QLatin1Char('/')) || c.contains(QChar(0)))
        return false;
    return QFileInfo::exists(c);
}
}

QString ExtensionMaj(const QString &cNom)
{
    const QString cSeul = NomSeul(cNom);
    const qsizetype n = cSeul.lastIndexOf(QLatin1Char('.'));
    return n < 0 ? QString() : cSeul.mid(n).toUpper();
}

bool EstJPEG(const QString &cNom)
{
    return DansListe(ExtensionMaj(cNom), {".JPG", ".JPEG"});
}

bool EstCRW(const QString &cNom)
{
    return ExtensionMaj(cNom) == QLatin1String(".CRW");
}

bool EstRAW(const QString &cNom)
{
    return DansListe(ExtensionMaj(cNom), {".CRW", ".CR2", ".NEF", ".MRW", ".ORF", ".PEF", ".RAF"});
}

bool EstAutreImage(const QString &cNom)
{
    const QString cExt = ExtensionMaj(cNom);
    return cExt == QLatin1String(".TIF") || cExt == QLatin1String(".PNG") || EstRAW(cNom);
}

bool EstImage(const QString &cNom)
{
    return EstJPEG(cNom) || EstAutreImage(cNom);
}

QString TexteGenre(const QString &cNom)
{
    if (EstJPEG(cNom))
        return QStringLiteral("JPEG");
    if (EstRAW(cNom))
        return QStringLiteral("RAW");
    const QString cExt = ExtensionMaj(cNom);
    if (cExt == QLatin1String(".TIF"))
        return QStringLiteral("TIF");
    if (cExt == QLatin1String(".PNG"))
        return QStringLiteral("PNG");
    return QStringLiteral("-");
}

bool EstRaccourci(const QString &cNom)
{
    const QString cMaj = NomSeul(cNom).toUpper();
    const qsizetype n = cMaj.indexOf(QLatin1String(".LNK"));
    return n >= 0 && n + 4 == cMaj.size();
}

QString CibleRaccourci(const QString &cChemin)
{
    // Shell-link layout: a 76-byte header (size 0x4C, class identifier, flags), an optional
    // item-identifier list, then an optional LinkInfo block holding the local base path.
    QFile f(cChemin);
    if (!f.open(QIODevice::ReadOnly) || f.size() > 1024 * 1024)
        return {};
    const QByteArray b = f.readAll();
    const qint64 nTaille = b.size();
    if (nTaille < 76 || Lit32(b, 0) != 0x4C)
        return {};
    static const uchar Clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    if (memcmp(b.constData() + 4, Clsid, 16) != 0)
        return {};
    const quint32 nDrapeaux = Lit32(b, 20);
    qint64 nPos = 76;
    if (nDrapeaux & 0x1) { // HasLinkTargetIDList
        if (nPos + 2 > nTaille)
            return {};
        nPos += 2 + Lit16(b, nPos);
    }
    if (!(nDrapeaux & 0x2) || nPos + 28 > nTaille) // HasLinkInfo
        return {};
    const qint64 nInfo = nPos;
    const qint64 nTailleInfo = Lit32(b, nInfo);
    const qint64 nTailleEntete = Lit32(b, nInfo + 4);
    const qint64 nFin = nInfo + nTailleInfo;
    if (nTailleInfo < 28 || nFin > nTaille || nTailleEntete < 28 || nTailleEntete > nTailleInfo)
        return {};
    const quint32 nDrapeauxInfo = Lit32(b, nInfo + 8);
    if (!(nDrapeauxInfo & 0x1)) // VolumeIDAndLocalBasePath
        return {};
    const qint64 nBase = nInfo + Lit32(b, nInfo + 16);
    const qint64 nSuffixe = nInfo + Lit32(b, nInfo + 24);
    QString cUnicode;
    if (nTailleEntete >= 0x24 && nInfo + 0x24 <= nFin) {
        const quint32 nBaseU = Lit32(b, nInfo + 28), nSuffixeU = Lit32(b, nInfo + 32);
        if (nBaseU)
            cUnicode = Texte16(b, nInfo + nBaseU, nFin) + (nSuffixeU ? Texte16(b, nInfo + nSuffixeU, nFin) : QString());
    }
    if (CibleAdmise(cUnicode))
        return cUnicode;
    const QString cAnsi = Texte8(b, nBase, nFin) + Texte8(b, nSuffixe, nFin);
    if (CibleAdmise(cAnsi))
        return cAnsi;
    return {};
}

QString ImageDeEntree(const QString &cChemin)
{
    const QFileInfo fi(cChemin);
    if (fi.isSymLink()) {
        const QString cCible = fi.canonicalFilePath();
        if (cCible.isEmpty())
            return {};
        const QFileInfo fc(cCible);
        return fc.isFile() && EstImage(cCible) ? cCible : QString();
    }
    if (EstRaccourci(cChemin)) {
        if (!fi.isFile())
            return {};
        const QString cCible = CibleRaccourci(cChemin);
        if (cCible.isEmpty() || EstRaccourci(cCible) || !EstImage(cCible))
            return {};
        const QFileInfo fc(cCible);
        return fc.isFile() && !fc.isSymLink() ? cCible : QString();
    }
    return EstImage(cChemin) && fi.isFile() ? cChemin : QString();
}

QString RemplaceExtension(const QString &cChemin, const QString &cExt)
{
    const qsizetype nBarre = cChemin.lastIndexOf(QLatin1Char('/'));
    const qsizetype nPoint = cChemin.lastIndexOf(QLatin1Char('.'));
    if (nPoint < 0 || nPoint < nBarre)
        return cChemin + cExt;
    return cChemin.left(nPoint) + cExt;
}

QString TrouveCompagnon(const QString &cImage, const QString &cExtMaj)
{
    const QString cMaj = cExtMaj.toUpper();
    // Every mix of cases of the extension's letters (".THM", ".thm", ".Thm"...), the two
    // plain ones first: a few lookups, where listing the folder would cost one per file in it.
    QList<qsizetype> Lettres;
    for (qsizetype i = 0; i < cMaj.size(); ++i)
        if (cMaj[i] != cMaj[i].toLower())
            Lettres.append(i);
    const quint32 nMelanges = Lettres.size() <= 5 ? 1u << Lettres.size() : 2u;
    QList<quint32> Ordre{0, nMelanges - 1};
    for (quint32 m = 1; m + 1 < nMelanges; ++m)
        Ordre.append(m);
    for (const quint32 m : Ordre) {
        QString cExt = cMaj;
        for (qsizetype k = 0; k < Lettres.size(); ++k)
            if (m == nMelanges - 1 || (m >> k) & 1u)
                cExt[Lettres[k]] = cExt[Lettres[k]].toLower();
        const QString c = RemplaceExtension(cImage, cExt);
        const QFileInfo fi(c);
        if (fi.exists() && fi.isFile())
            return c;
    }
    return {};
}

bool TailleEtDate(const QString &cChemin, qint64 &nTaille, qint64 &nDate)
{
    nTaille = 0;
    nDate = 0;
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(cChemin).constData(), &st) != 0)
        return false;
    nTaille = static_cast<qint64>(st.st_size);
    nDate = static_cast<qint64>(st.st_mtime);
    return true;
}

QString TexteTaille(qint64 nTaille)
{
    if (nTaille > 1048576)
        return FrenchFormats::Nombre(static_cast<double>(nTaille) / 1048576.0, 2) + QStringLiteral(" Mo");
    if (nTaille > 1024)
        return FrenchFormats::Nombre(static_cast<double>(nTaille) / 1024.0, 2) + QStringLiteral(" Ko");
    return QString::number(nTaille) + QStringLiteral(" Oct");
}
