#include "metadata/Iptc.h"

#include "metadata/Exif.h"
#include "metadata/SourceOctets.h"
#include "metadata/TexteOctets.h"

namespace
{
void Ajoute(QString &cChamp, const QString &cValeur)
{
    if (!cChamp.isEmpty())
        cChamp += cSepIPTC;
    cChamp += cValeur;
}
}

QString NettoieTexteIPTC(const QString &cTexte)
{
    QString c = TrimControle(cTexte);
    c.replace(QLatin1Char('\r'), QLatin1Char(' '));
    c.replace(QLatin1Char('\n'), QLatin1Char(' '));
    c = TrimControle(c);
    while (c.contains(QLatin1String("  ")))
        c.replace(QLatin1String("  "), QLatin1String(" "));
    return TrimControle(c);
}

TDonneesIPTC LitIPTCSegment(const uchar *p, qint64 L)
{
    TDonneesIPTC r;
    // Positions below are 0-based: p[0], p[1] are the segment's length bytes.
    qint64 i = 0;
    while (i + 1 < L && !(p[i] == 0x1C && p[i + 1] == 0x02))
        ++i;
    if (i + 1 >= L)
        return r;
    qint64 nPos = i + 1; // the record byte after the first 0x1C
    while (nPos < L - 3) {
        const int nRecord = p[nPos];
        const int nDataset = p[nPos + 1];
        const qint64 nTaille = (qint64(p[nPos + 2]) << 8) | p[nPos + 3];
        const qint64 nDebut = nPos + 4;
        // A dataset running past the segment ends the read (an extended length lands here too).
        if (nTaille > L - nDebut)
            break;
        if (nRecord == 2 && nDataset != 0) {
            const QString c = NettoieTexteIPTC(TexteDeOctets(p + nDebut, nTaille));
            switch (nDataset) {
            case 105: r.cTitre = c; break;
            case 120: r.cTexte = c; break;
            case 116: r.cCopyright = c; break;
            case 122: r.cAuteur = c; break;
            case 25: Ajoute(r.cMotsClesIPTC, c); break;
            case 15: r.cCategorie = c.left(64); break;
            case 20: Ajoute(r.cCatSuppl, c); break;
            case 110: r.cCredits = c; break;
            case 115: r.cSource = c; break;
            case 5: r.cOriNom = c; break;
            case 55:
                // CCYYMMDD; any other shape would give a date that is not one.
                if (c.size() == 8 && std::all_of(c.begin(), c.end(), [](QChar ch) { return ch.isDigit(); }))
                    r.cOriDate = c.mid(6, 2) + QLatin1Char('/') + c.mid(4, 2) + QLatin1Char('/') + c.left(4);
                break;
            case 90: r.cOriVille = c; break;
            case 95: r.cOriEtat = c; break;
            case 101: r.cOriPays = c; break;
            default: break;
            }
        }
        nPos = nDebut + nTaille + 1;
    }
    r.CalculeGroupes();
    return r;
}

TDonneesIPTC LitIPTCSource(TSourceOctets &s)
{
    if (!s.Ouverte())
        return {};
    const qint64 nPos = ChercheSegmentJpeg(s, 0, 0xED);
    if (nPos < 0)
        return {};
    const uchar *pL = s.Octets(nPos, 2);
    if (!pL)
        return {};
    const qint64 L = (qint64(pL[0]) << 8) | pL[1];
    if (L < 2)
        return {};
    // A segment cut short by the end of the file is not read.
    const uchar *p = s.Octets(nPos, L);
    if (!p)
        return {};
    return LitIPTCSegment(p, L);
}

TDonneesIPTC LitIPTCJpeg(const uchar *p, qint64 n)
{
    TSourceOctets s(p, n);
    return LitIPTCSource(s);
}
