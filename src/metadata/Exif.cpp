#include "metadata/Exif.h"
#include "metadata/TagsExif.h"

#include "metadata/SourceOctets.h"
#include "metadata/TexteOctets.h"
#include "platform/FrenchFormats.h"

#include <QDateTime>
#include <cmath>

namespace
{
// Raised by a failed read: the reader stops and keeps what it has.
struct TFinLecture
{
};

// Longest texts taken from a tag, whatever count the file declares.
constexpr qint64 nMaxModele = 256;
constexpr qint64 nMaxDate = 64;
constexpr qint64 nMaxCommentaire = 256;

int TailleType(quint16 nType)
{
    static const int tailles[] = {1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    // Type 13 (IFD) is a 32-bit offset, as some writers type the Exif pointer.
    return (nType >= 1 && nType <= 13) ? tailles[nType - 1] : 0;
}

class TLecteurTiff
{
public:
    TLecteurTiff(TSourceOctets &s, qint64 nEntete, bool lModeleSeul, TLectureEXIF &r)
        : Src(s), nEntete(nEntete), lModeleSeul(lModeleSeul), Res(r)
    {}

    // False when no valid byte-order mark stands at the header.
    bool Lit()
    {
        const uchar *p = Src.Octets(nEntete, 2);
        if (!p || p[0] != p[1] || (p[0] != 'I' && p[0] != 'M'))
            return false;
        lMotorola = p[0] == 'M';
        try {
            ParseIFD(nEntete + Lit32(Octets(nEntete + 4, 4), lMotorola), true);
            if (!lModeleSeul) {
                if (lPtrExif)
                    ParseIFD(nEntete + nPtrExif, false);
                if (lNote && Res.Donnees.cISO.isEmpty())
                    IsoNikon();
            }
        } catch (const TFinLecture &) {
        }
        Res.lTIFF = !lModeleSeul;
        return true;
    }

private:
    TSourceOctets &Src;
    const qint64 nEntete;
    const bool lModeleSeul;
    TLectureEXIF &Res;
    bool lMotorola = false;
    bool lPtrExif = false;
    quint32 nPtrExif = 0;
    bool lNote = false;
    quint32 nNote = 0;

    const uchar *Octets(qint64 nPos, qint64 n)
    {
        const uchar *p = Src.Octets(nPos, n);
        if (!p)
            throw TFinLecture{};
        return p;
    }

    // The first nLongueur bytes of an entry's data: in the value field when the whole data
    // fits in 4 bytes, else at its offset from the header.
    const uchar *Donnees(const uchar *e, qint64 nTailleDonnees, qint64 nLongueur)
    {
        if (nTailleDonnees <= 4) {
            // The value field holds 4 bytes: never read a longer value from it.
            if (nLongueur > 4)
                throw TFinLecture{};
            return e + 8;
        }
        return Octets(nEntete + Lit32(e + 8, lMotorola), nLongueur);
    }

    // The first value of an integer entry, decoded by its type (a LONG is read whole).
    bool Entier(const uchar *e, quint16 nType, qint64 nTailleDonnees, qint64 &nValeur)
    {
        switch (nType) {
        case 1:
        case 2:
        case 7: nValeur = *Donnees(e, nTailleDonnees, 1); return true;
        case 6: nValeur = qint8(*Donnees(e, nTailleDonnees, 1)); return true;
        case 3: nValeur = Lit16(Donnees(e, nTailleDonnees, 2), lMotorola); return true;
        case 8: nValeur = qint16(Lit16(Donnees(e, nTailleDonnees, 2), lMotorola)); return true;
        case 4:
        case 13: nValeur = Lit32(Donnees(e, nTailleDonnees, 4), lMotorola); return true;
        case 9: nValeur = qint32(Lit32(Donnees(e, nTailleDonnees, 4), lMotorola)); return true;
        default: return false;
        }
    }

    bool Rationnel(const uchar *e, quint16 nType, qint64 nTailleDonnees, qint64 &n, qint64 &d)
    {
        if (nType != 5 && nType != 10)
            return false;
        const uchar *p = Donnees(e, nTailleDonnees, 8);
        if (nType == 5) {
            n = Lit32(p, lMotorola);
            d = Lit32(p + 4, lMotorola);
        } else {
            n = qint32(Lit32(p, lMotorola));
            d = qint32(Lit32(p + 4, lMotorola));
        }
        return true;
    }

    QString Texte(const uchar *e, qint64 nTailleDonnees, qint64 nMax)
    {
        const qint64 n = qMin(nTailleDonnees, nMax);
        const uchar *p = Donnees(e, nTailleDonnees, n);
        qint64 nFin = 0;
        while (nFin < n && p[nFin] != 0)
            ++nFin;
        return TexteDeOctets(p, nFin);
    }

    void ParseIFD(qint64 nPos, bool lIFD0)
    {
        const quint16 nEntrees = Lit16(Octets(nPos, 2), lMotorola);
        for (qint64 i = 0; i < nEntrees; ++i) {
            const uchar *e = Octets(nPos + 2 + 12 * i, 12);
            // The entry is copied: reading its data may move the window it lies in.
            uchar Entree[12];
            std::copy(e, e + 12, Entree);
            const quint16 nTag = Lit16(Entree, lMotorola);
            const quint16 nType = Lit16(Entree + 2, lMotorola);
            const qint64 nCompte = Lit32(Entree + 4, lMotorola);
            const int nTailleT = TailleType(nType);
            if (nTailleT == 0)
                continue;
            const qint64 nTaille = nCompte * nTailleT; // at most 2^32 × 8: no overflow in 64 bits
            // An entry without any value has nothing to read.
            if (nCompte > 0)
                LitEntree(Entree, nTag, nType, nCompte, nTaille, lIFD0);
            if (lModeleSeul && TTagExif(nTag) == TTagExif::Model)
                return;
        }
    }

    // Decodes one entry of an IFD into the result when its tag is one the reader knows.
    void LitEntree(const uchar *e, quint16 nTag, quint16 nType, qint64 nCompte, qint64 nTaille, bool lIFD0)
    {
        TDonneesEXIF &D = Res.Donnees;
        qint64 v = 0, n = 0, d = 0;
        switch (TTagExif(nTag)) {
        case TTagExif::Model: D.cAppareil = TrimControle(Texte(e, nTaille, nMaxModele)); break;
        case TTagExif::Orientation:
            if (Entier(e, nType, nTaille, v) && v > 0)
                D.cOrientation = QString::number(v);
            break;
        case TTagExif::ExposureTime:
            if (Rationnel(e, nType, nTaille, n, d)) {
                const QString c = TexteVitesse(n, d);
                if (!c.isEmpty())
                    D.cVitesse = c;
            }
            break;
        case TTagExif::FNumber:
            if (Rationnel(e, nType, nTaille, n, d)) {
                const QString c = TexteDiaphragme(n, d);
                if (!c.isEmpty())
                    D.cDiaphragme = c;
            }
            break;
        case TTagExif::FocalLength:
            if (Rationnel(e, nType, nTaille, n, d)) {
                const QString c = TexteFocale(n, d);
                if (!c.isEmpty())
                    D.cFocale = c;
            }
            break;
        case TTagExif::IsoSpeedRatings:
            if (Entier(e, nType, nTaille, v))
                D.cISO = QString::number(v);
            break;
        case TTagExif::DateTimeOriginal: {
            const QString c = TexteDatePDV(Texte(e, nTaille, nMaxDate));
            if (!c.isEmpty())
                D.cDatePDV = c;
            break;
        }
        case TTagExif::UserComment:
            if (nType == 7 && nCompte > 8)
                D.cCommentaire = Commentaire(e, nCompte);
            break;
        case TTagExif::FocalLengthIn35mmFilm:
            if (Entier(e, nType, nTaille, v) && v > 0 && v < 100000)
                Res.nFocale35 = int(v);
            break;
        case TTagExif::ExifIfdPointer:
            // Only the pointer of IFD 0 is followed, once: no chain of sub-IFDs.
            if (lIFD0 && Entier(e, nType, nTaille, v) && v >= 0) {
                lPtrExif = true;
                nPtrExif = quint32(v);
            }
            break;
        case TTagExif::MakerNote:
            if (nTaille > 4) {
                lNote = true;
                nNote = Lit32(e + 8, lMotorola);
            }
            break;
        default: break;
        }
    }

    QString Commentaire(const uchar *e, qint64 nCompte)
    {
        const qint64 n = qMin(nCompte - 8, nMaxCommentaire);
        const uchar *p = Octets(nEntete + Lit32(e + 8, lMotorola), 8 + n);
        QString c;
        if (std::equal(p, p + 8, reinterpret_cast<const uchar *>("UNICODE\0"))) {
            // Two bytes per character in the byte order of the file.
            c.reserve(n / 2);
            for (qint64 i = 0; i + 1 < n; i += 2)
                c.append(QChar(Lit16(p + 8 + i, lMotorola)));
        } else {
            c = TexteDeOctets(p + 8, n);
        }
        c = TrimControle(c);
        // Inner control characters (zeros of a padded field, line breaks) become blanks, so
        // that the text can be cached and shown on one line.
        for (QChar &ch : c)
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
                ch = QLatin1Char(' ');
        return c;
    }

    void IsoNikon()
    {
        const qint64 nPos = nEntete + nNote;
        const uchar *p = Octets(nPos, 12);
        if (!(p[0] == 'N' && p[1] == 'i' && p[2] == 'k' && p[3] == 'o' && p[4] == 'n' && p[5] == 0))
            return;
        const bool lMM = p[10] == 'M' && p[11] == 'M';
        const quint16 nEntrees = Lit16(Octets(nPos + 18, 2), lMM);
        for (qint64 i = 0; i < nEntrees; ++i) {
            const uchar *e = Octets(nPos + 20 + 12 * i, 12);
            if (Lit16(e, lMM) == nTagNikonIso) {
                // Two 16-bit values; the second is the ISO.
                Res.Donnees.cISO = QString::number(Lit16(e + 10, lMM));
                return;
            }
        }
    }
};

// The EXIF of the TIFF structure whose header starts at nEntete.
bool LitEnteteTiff(TSourceOctets &s, qint64 nEntete, bool lModeleSeul, TLectureEXIF &r)
{
    return TLecteurTiff(s, nEntete, lModeleSeul, r).Lit();
}

// The EXIF of the APP1 segment of the JPEG that starts at nDebut.
bool LitSegmentApp1(TSourceOctets &s, qint64 nDebut, bool lModeleSeul, TLectureEXIF &r)
{
    const qint64 nPos = ChercheSegmentJpeg(s, nDebut, 0xE1);
    if (nPos < 0)
        return false;
    const uchar *p = s.Octets(nPos, 8);
    if (!p || !(p[2] == 'E' && p[3] == 'x' && p[4] == 'i' && p[5] == 'f'))
        return false;
    return LitEnteteTiff(s, nPos + 8, lModeleSeul, r);
}

// The model and date kept in the trailer of a CRW file.
bool LitFinCrw(TSourceOctets &s, bool lModeleSeul, TLectureEXIF &r)
{
    const qint64 nTaille = s.Taille();
    const uchar *pA = s.Octets(nTaille - 8, 4);
    const uchar *pB = s.Octets(nTaille - 4, 4);
    if (!pA || !pB)
        return false;
    const quint32 nA = Lit32(pA, false), nB = Lit32(pB, false);
    if (nA == 0xFFFFFFFFu || nB == 0xFFFFFFFFu)
        return false;
    const qint64 A = qint64(nA) + 26, B = qint64(nB) + 26;
    // These places hold the model and the date only in the files of some cameras; elsewhere
    // they hold other data. A model is printable text ended by a zero within its 32 bytes.
    bool lModele = false;
    if (A + 504 + 32 <= B) {
        if (const uchar *p = s.Octets(A + 504, 32)) {
            qint64 n = 0;
            bool lTexte = true;
            for (; n < 32 && p[n] != 0; ++n)
                lTexte &= p[n] >= 0x20 && p[n] < 0x7F;
            const QString cModele = lTexte && n < 32 ? TexteDeOctets(p, n).trimmed() : QString();
            lModele = !cModele.isEmpty();
            r.Donnees.cAppareil = cModele;
        }
    }
    if (!lModeleSeul && lModele && A + 4 <= B) {
        if (const uchar *p = s.Octets(A, 4)) {
            // The camera's clock, written as seconds since 1970 without a time zone; a time
            // before digital cameras or after today (a day ahead allows for the zone) is not
            // a shooting date.
            const qint64 nSecondes = Lit32(p, false);
            const qint64 n1990 = QDateTime(QDate(1990, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
            if (nSecondes >= n1990 && nSecondes <= QDateTime::currentSecsSinceEpoch() + 86400)
                r.Donnees.cDatePDV = FrenchFormats::DateHeure(QDateTime::fromSecsSinceEpoch(nSecondes, Qt::UTC));
        }
    }
    return true;
}

QString TexteEntierOuDecimal(double x, int nDecimales)
{
    if (x == std::floor(x))
        return QString::number(qint64(x));
    return TexteDecimal(x, nDecimales);
}
}

QString TexteDecimal(double dValeur, int nDecimales)
{
    double dEchelle = 1;
    for (int i = 0; i < nDecimales; ++i)
        dEchelle *= 10;
    const qint64 n = std::llround(std::fabs(dValeur) * dEchelle);
    QString c = QString::number(n / qint64(dEchelle));
    if (nDecimales > 0)
        c += QLatin1Char(',') + QString::number(n % qint64(dEchelle)).rightJustified(nDecimales, QLatin1Char('0'));
    if (dValeur < 0 && n != 0)
        c.prepend(QLatin1Char('-'));
    return c;
}

QString TexteVitesse(qint64 n, qint64 d)
{
    if (n < 1 || d < 1)
        return QString();
    if (n < d)
        return QStringLiteral("1/") + TexteDecimal(double(d) / double(n), 0);
    return TexteDecimal(double(n) / double(d), 0);
}

QString TexteDiaphragme(qint64 n, qint64 d)
{
    if (n < 1 || d < 1)
        return QString();
    return TexteEntierOuDecimal(double(n) / double(d), 1);
}

QString TexteFocale(qint64 n, qint64 d)
{
    if (n < 1 || d < 1)
        return QString();
    return TexteEntierOuDecimal(double(n) / double(d), 2);
}

QString TexteDatePDV(const QString &c)
{
    if (c.size() != 19)
        return QString();
    static const char forme[] = "9999:99:99 99:99:99";
    for (int i = 0; i < 19; ++i) {
        const QChar ch = c.at(i);
        if (forme[i] == '9' ? !(ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) : ch != QLatin1Char(forme[i]))
            return QString();
    }
    return c.mid(8, 2) + QLatin1Char('/') + c.mid(5, 2) + QLatin1Char('/') + c.left(4) + QLatin1Char(' ')
           + c.mid(11, 8);
}

QDateTime LitDatePDV(const QString &cTexte)
{
    const QString c = cTexte.trimmed();
    if (c.size() != 10 && c.size() != 19)
        return QDateTime();
    static const char forme[] = "99/99/9999 99:99:99";
    int n[14];
    int k = 0;
    for (int i = 0; i < c.size(); ++i) {
        const QChar ch = c.at(i);
        if (forme[i] == '9') {
            if (!(ch >= QLatin1Char('0') && ch <= QLatin1Char('9')))
                return QDateTime();
            n[k++] = ch.digitValue();
        } else if (ch != QLatin1Char(forme[i])) {
            return QDateTime();
        }
    }
    for (; k < 14; ++k)
        n[k] = 0;
    const QDate d(n[4] * 1000 + n[5] * 100 + n[6] * 10 + n[7], n[2] * 10 + n[3], n[0] * 10 + n[1]);
    const QTime t(n[8] * 10 + n[9], n[10] * 10 + n[11], n[12] * 10 + n[13]);
    if (!d.isValid() || !t.isValid())
        return QDateTime();
    return QDateTime(d, t);
}

qint64 ChercheSegmentJpeg(TSourceOctets &s, qint64 nDebut, uchar nMarqueur)
{
    qint64 nPos = nDebut + 2;
    for (;;) {
        const uchar *p = s.Octets(nPos, 4);
        if (!p) {
            // The marker may be the file's last two bytes.
            p = s.Octets(nPos, 2);
            if (p && p[0] == 0xFF && p[1] == nMarqueur)
                return nPos + 2;
            return -1;
        }
        if (p[0] == 0xFF && p[1] == nMarqueur)
            return nPos + 2;
        // Past the start of scan come compressed data, not segments; a length below 2 would
        // make the walk stand still or go back.
        if (p[0] != 0xFF || p[1] == 0xDA || p[1] == 0xD9)
            return -1;
        const qint64 nLong = (p[2] << 8) | p[3];
        if (nLong < 2)
            return -1;
        nPos += 2 + nLong;
    }
}

bool LitTailleSOF(TSourceOctets &s, qint64 &nLargeur, qint64 &nHauteur)
{
    const uchar *pSOI = s.Octets(0, 2);
    if (!pSOI || pSOI[0] != 0xFF || pSOI[1] != 0xD8)
        return false;
    qint64 nPos = 2;
    for (;;) {
        const uchar *p = s.Octets(nPos, 9);
        if (!p || p[0] != 0xFF || p[1] == 0xDA || p[1] == 0xD9)
            return false;
        const uchar m = p[1];
        if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
            nHauteur = (p[5] << 8) | p[6];
            nLargeur = (p[7] << 8) | p[8];
            return nLargeur > 0 && nHauteur > 0;
        }
        const qint64 nLong = (p[2] << 8) | p[3];
        if (nLong < 2)
            return false;
        nPos += 2 + nLong;
    }
}

TLectureEXIF LitEXIFSource(TSourceOctets &s, TModeEXIF Mode, bool lModeleSeul)
{
    TLectureEXIF r;
    if (!s.Ouverte())
        return r;
    switch (Mode) {
    case TModeEXIF::Aucun: break;
    case TModeEXIF::Jpeg: r.lLu = LitSegmentApp1(s, 0, lModeleSeul, r); break;
    case TModeEXIF::Tiff: r.lLu = LitEnteteTiff(s, 0, lModeleSeul, r); break;
    case TModeEXIF::Mrw: r.lLu = LitEnteteTiff(s, 48, lModeleSeul, r); break;
    case TModeEXIF::Raf:
        r.lLu = LitEnteteTiff(s, 120, lModeleSeul, r);
        if (!r.lLu) {
            // Most RAF files hold no TIFF header at byte 120 but a JPEG preview whose offset
            // is the big-endian value at byte 84; its APP1 carries the EXIF block.
            if (const uchar *p = s.Octets(84, 4))
                r.lLu = LitSegmentApp1(s, Lit32(p, true), lModeleSeul, r);
        }
        break;
    case TModeEXIF::Crw: r.lLu = LitFinCrw(s, lModeleSeul, r); break;
    }
    return r;
}

TLectureEXIF LitEXIFJpeg(const uchar *p, qint64 n, bool lModeleSeul)
{
    TSourceOctets s(p, n);
    return LitEXIFSource(s, TModeEXIF::Jpeg, lModeleSeul);
}

TLectureEXIF LitEXIFTiff(const uchar *p, qint64 n, qint64 nEntete, bool lModeleSeul)
{
    TSourceOctets s(p, n);
    TLectureEXIF r;
    r.lLu = LitEnteteTiff(s, nEntete, lModeleSeul, r);
    return r;
}

TLectureEXIF LitEXIFCrw(const uchar *p, qint64 n, bool lModeleSeul)
{
    TSourceOctets s(p, n);
    return LitEXIFSource(s, TModeEXIF::Crw, lModeleSeul);
}
