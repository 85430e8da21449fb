#include "storage/BigIniFiles.h"

#include "platform/AtomicFile.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QHashFunctions>

#include <cstring>
#include <vector>

// How the file text maps onto memory.
//
// The lines before the first header are kept apart; each section owns its header line and the
// lines that follow it up to the next header, so inserting or removing a line touches one
// section only and never renumbers the others. Sections sit in file order in one vector.
//
// Two kinds of hashed index avoid walking the file: one from section name to the first
// section of that name, and, in sections holding many lines, one from key to its first line.
// Both store only a 32-bit hash and a position; the names themselves are compared in the
// lines on a hash hit, so the index costs no copy of the text. Removed sections and removed
// lines of indexed sections are left as holes (null entries) so that positions stay valid;
// the holes are squeezed out once they make up half of the vector.
//
// Names are compared in their decoded form: a "%" followed by two hex digits stands for that
// character, so that paths holding "=", "%" or line breaks fit on one line. Section names
// compare after QString::toUpper of both sides unless the store is case-sensitive.

namespace
{
// Sections with at most this many lines are searched directly: a few comparisons cost less
// than keeping a table for each of a hundred thousand image sections.
constexpr qsizetype SeuilIndexCles = 12;
// Holes are squeezed out when they exceed half of the entries and at least this many.
constexpr qsizetype MinTrous = 16;

// Open addressing with linear probing: each case holds a hash and position + 1 (0: empty).
class TIndexHache
{
public:
    template <class FEgal>
    qint64 Cherche(quint32 nHache, FEgal &&Egal) const
    {
        if (aCases.empty())
            return -1;
        for (size_t i = nHache & nMasque;; i = (i + 1) & nMasque) {
            const TCase &c = aCases[i];
            if (c.nPos == 0)
                return -1;
            if (c.nHache == nHache && Egal(c.nPos - 1))
                return c.nPos - 1;
        }
    }

    void Ajoute(quint32 nHache, quint32 nPos)
    {
        if ((nNb + 1) * 4 > aCases.size() * 3)
            Agrandit();
        size_t i = nHache & nMasque;
        while (aCases[i].nPos != 0)
            i = (i + 1) & nMasque;
        aCases[i] = {nHache, nPos + 1};
        ++nNb;
    }

    // Removes the entry of that exact position, shifting later entries of the run back so
    // that no probe chain is broken.
    void Retire(quint32 nHache, quint32 nPos)
    {
        if (aCases.empty())
            return;
        size_t i = nHache & nMasque;
        for (;; i = (i + 1) & nMasque) {
            if (aCases[i].nPos == 0)
                return;
            if (aCases[i].nPos == nPos + 1)
                break;
        }
        size_t j = i;
        for (;;) {
            j = (j + 1) & nMasque;
            if (aCases[j].nPos == 0)
                break;
            const size_t k = aCases[j].nHache & nMasque;
            // Move j back into the hole at i unless its home k lies cyclically in (i, j].
            const bool lReste = (i <= j) ? (i < k && k <= j) : (i < k || k <= j);
            if (!lReste) {
                aCases[i] = aCases[j];
                i = j;
            }
        }
        aCases[i] = {};
        --nNb;
    }

    void Vide()
    {
        aCases.clear();
        nNb = 0;
        nMasque = 0;
    }

    void Reserve(size_t n)
    {
        size_t nCap = 16;
        while (nCap * 3 < n * 4 + 4)
            nCap *= 2;
        if (nCap > aCases.size()) {
            std::vector<TCase> Anciennes;
            Anciennes.swap(aCases);
            aCases.assign(nCap, TCase{});
            nMasque = nCap - 1;
            nNb = 0;
            for (const TCase &c : Anciennes)
                if (c.nPos != 0)
                    Ajoute(c.nHache, c.nPos - 1);
        }
    }

private:
    struct TCase
    {
        quint32 nHache = 0;
        quint32 nPos = 0;
    };
    void Agrandit() { Reserve(std::max<size_t>(16, aCases.size())); }

    std::vector<TCase> aCases;
    size_t nNb = 0;
    size_t nMasque = 0;
};

quint32 Hache(QStringView s)
{
    const size_t h = qHash(s, 0x5bd1e995u);
    return quint32(h) ^ quint32(quint64(h) >> 32);
}

int ValeurHexa(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

bool ContientPourcent(QStringView s)
{
    return s.contains(u'%');
}

// "%XX" becomes the character XX; any other "%" stays as it is.
QString DecodeNom(QStringView s)
{
    QString r;
    r.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'%' && i + 2 < s.size() && ValeurHexa(s[i + 1]) >= 0 && ValeurHexa(s[i + 2]) >= 0) {
            r.append(QChar(char16_t(ValeurHexa(s[i + 1]) * 16 + ValeurHexa(s[i + 2]))));
            i += 2;
        } else {
            r.append(s[i]);
        }
    }
    return r;
}

QString DecodeSiBesoin(QStringView s)
{
    return ContientPourcent(s) ? DecodeNom(s) : s.toString();
}

// Names free of the escaped characters are written exactly as given.
QString EncodeNom(const QString &cNom, bool lCle)
{
    bool lBesoin = false;
    for (const QChar c : cNom) {
        const char16_t u = c.unicode();
        if (u == '%' || u == '\r' || u == '\n' || (lCle && u == '=')) {
            lBesoin = true;
            break;
        }
    }
    if (!lBesoin)
        return cNom;
    QString r;
    r.reserve(cNom.size() + 8);
    for (const QChar c : cNom) {
        switch (c.unicode()) {
        case '%': r += QLatin1StringView("%25"); break;
        case '\r': r += QLatin1StringView("%0D"); break;
        case '\n': r += QLatin1StringView("%0A"); break;
        case '=':
            if (lCle) {
                r += QLatin1StringView("%3D");
                break;
            }
            [[fallthrough]];
        default: r += c;
        }
    }
    return r;
}

// A line break inside a value would split the line: it is written as a blank.
QString ValeurSurUneLigne(const QString &cValeur)
{
    if (!cValeur.contains(u'\r') && !cValeur.contains(u'\n'))
        return cValeur;
    QString r = cValeur;
    r.replace(u'\r', u' ');
    r.replace(u'\n', u' ');
    return r;
}

// A blank line must never be mistaken for a removed one (a null string).
QString NonNulle(QString s)
{
    if (s.isNull())
        return QString(QLatin1StringView(""));
    return s;
}

// The key as written in the line, before its first "="; empty view and false for a line
// without "=".
bool CleBrute(const QString &cLigne, QStringView &Cle)
{
    const qsizetype p = cLigne.indexOf(u'=');
    if (p < 0)
        return false;
    Cle = QStringView(cLigne).left(p);
    return true;
}

bool CleEgale(QStringView Brute, const QString &cCle)
{
    if (!ContientPourcent(Brute))
        return Brute == QStringView(cCle);
    return DecodeNom(Brute) == cCle;
}

// Fast UTF-8 writer into a growing buffer; a lone surrogate becomes U+FFFD.
void AjouteUtf8(QByteArray &Tampon, qsizetype &nLong, const QString &s)
{
    const qsizetype nMax = nLong + s.size() * 3 + 2;
    if (nMax > Tampon.size())
        Tampon.resize(std::max(nMax, Tampon.size() * 2));
    auto *q = reinterpret_cast<unsigned char *>(Tampon.data()) + nLong;
    const char16_t *p = reinterpret_cast<const char16_t *>(s.constData());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = p[i];
        if (c < 0x80) {
            *q++ = static_cast<unsigned char>(c);
            continue;
        }
        if (c < 0x800) {
            *q++ = static_cast<unsigned char>(0xC0 | (c >> 6));
            *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < n && p[i + 1] >= 0xDC00 && p[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00);
                ++i;
                *q++ = static_cast<unsigned char>(0xF0 | (c >> 18));
                *q++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
                *q++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
                *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
                continue;
            }
            c = 0xFFFD;
        }
        *q++ = static_cast<unsigned char>(0xE0 | (c >> 12));
        *q++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        *q++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    *q++ = '\r';
    *q++ = '\n';
    nLong = reinterpret_cast<char *>(q) - Tampon.data();
}
} // namespace

struct TBigIniFile::TDonnees
{
    struct TSection
    {
        QString cEntete;                    // the header line as it stands in the file
        std::vector<QString> Lignes;        // the lines up to the next header; null = removed
        std::unique_ptr<TIndexHache> Cles;  // built once the section grows past the threshold
        qsizetype nTrous = 0;
        bool lClesEnDouble = false;         // a key occurs twice: removal looks for the next one
    };

    QString cNomFichier;
    bool lSensibleCasse = false;
    bool lModifie = false;
    std::vector<QString> Preambule;
    std::vector<std::unique_ptr<TSection>> Sections; // null = erased
    qsizetype nSectionsTrous = 0;
    TIndexHache IndexSections;
    bool lSectionsEnDouble = false;

    // The section name in the form the index compares: decoded, and upper-cased unless the
    // store is case-sensitive.
    QString Forme(QStringView cNom) const
    {
        QString s = DecodeSiBesoin(cNom);
        return lSensibleCasse ? s : std::move(s).toUpper();
    }
    QString FormeArgument(const QString &cNom) const { return lSensibleCasse ? cNom : cNom.toUpper(); }

    static QStringView NomBrut(const TSection &s) { return QStringView(s.cEntete).mid(1, s.cEntete.size() - 2); }

    bool NomEgal(const TSection &s, const QString &cForme) const
    {
        const QStringView Brut = NomBrut(s);
        if (lSensibleCasse)
            return CleEgale(Brut, cForme);
        return Forme(Brut) == cForme;
    }

    qint64 ChercheSection(const QString &cSection) const
    {
        const QString cForme = FormeArgument(cSection);
        return IndexSections.Cherche(Hache(cForme), [&](quint32 nPos) {
            const TSection *s = Sections[nPos].get();
            return s && NomEgal(*s, cForme);
        });
    }

    TSection *Section(const QString &cSection) const
    {
        const qint64 n = ChercheSection(cSection);
        return n < 0 ? nullptr : Sections[size_t(n)].get();
    }

    void IndexeSection(quint32 nPos)
    {
        const TSection &s = *Sections[nPos];
        const QString cForme = Forme(NomBrut(s));
        const quint32 h = Hache(cForme);
        const bool lDejaLa = IndexSections.Cherche(h, [&](quint32 n) {
            return Sections[n] && NomEgal(*Sections[n], cForme);
        }) >= 0;
        if (lDejaLa)
            lSectionsEnDouble = true;
        else
            IndexSections.Ajoute(h, nPos);
    }

    void ReconstruitIndexSections()
    {
        IndexSections.Vide();
        IndexSections.Reserve(Sections.size());
        lSectionsEnDouble = false;
        for (size_t i = 0; i < Sections.size(); ++i)
            if (Sections[i])
                IndexeSection(quint32(i));
    }

    static void IndexeCles(TSection &s)
    {
        s.Cles = std::make_unique<TIndexHache>();
        s.Cles->Reserve(s.Lignes.size());
        s.lClesEnDouble = false;
        for (size_t i = 0; i < s.Lignes.size(); ++i)
            IndexeLigne(s, quint32(i));
    }

    static void IndexeLigne(TSection &s, quint32 nPos)
    {
        QStringView Brute;
        if (s.Lignes[nPos].isNull() || !CleBrute(s.Lignes[nPos], Brute))
            return;
        const QString cCle = DecodeSiBesoin(Brute);
        const quint32 h = Hache(cCle);
        if (ChercheCleIndexee(s, cCle, h) >= 0)
            s.lClesEnDouble = true;
        else
            s.Cles->Ajoute(h, nPos);
    }

    static qint64 ChercheCleIndexee(const TSection &s, const QString &cCle, quint32 h)
    {
        return s.Cles->Cherche(h, [&](quint32 n) {
            QStringView Brute;
            return !s.Lignes[n].isNull() && CleBrute(s.Lignes[n], Brute) && CleEgale(Brute, cCle);
        });
    }

    static qint64 ChercheCle(TSection &s, const QString &cCle)
    {
        if (!s.Cles && qsizetype(s.Lignes.size()) > SeuilIndexCles)
            IndexeCles(s);
        if (s.Cles)
            return ChercheCleIndexee(s, cCle, Hache(cCle));
        for (size_t i = 0; i < s.Lignes.size(); ++i) {
            QStringView Brute;
            if (CleBrute(s.Lignes[i], Brute) && CleEgale(Brute, cCle))
                return qint64(i);
        }
        return -1;
    }

    static void RetireLigne(TSection &s, size_t nPos)
    {
        if (!s.Cles) {
            s.Lignes.erase(s.Lignes.begin() + qsizetype(nPos));
            return;
        }
        QStringView Brute;
        CleBrute(s.Lignes[nPos], Brute);
        const QString cCle = DecodeSiBesoin(Brute);
        const quint32 h = Hache(cCle);
        s.Cles->Retire(h, quint32(nPos));
        s.Lignes[nPos] = QString();
        ++s.nTrous;
        if (s.nTrous >= MinTrous && s.nTrous * 2 > qsizetype(s.Lignes.size())) {
            std::erase_if(s.Lignes, [](const QString &l) { return l.isNull(); });
            s.nTrous = 0;
            IndexeCles(s);
            return;
        }
        if (s.lClesEnDouble) {
            // The next line holding the same key becomes the one that reads and writes find.
            for (size_t i = nPos + 1; i < s.Lignes.size(); ++i) {
                if (CleBrute(s.Lignes[i], Brute) && CleEgale(Brute, cCle)) {
                    s.Cles->Ajoute(h, quint32(i));
                    break;
                }
            }
        }
    }

    void AjouteLigne(TSection &s, QString cLigne)
    {
        s.Lignes.push_back(std::move(cLigne));
        if (s.Cles)
            IndexeLigne(s, quint32(s.Lignes.size() - 1));
    }

    void Charge()
    {
        QFile f(cNomFichier);
        if (!f.open(QIODevice::ReadOnly))
            return;
        const QByteArray Octets = f.readAll();
        f.close();
        QByteArrayView Texte(Octets);
        if (Texte.startsWith("\xEF\xBB\xBF"))
            Texte = Texte.sliced(3);
        // One check of the whole file spares the per-line check in the usual all-UTF-8 case.
        const bool lToutUtf8 = EstUtf8Valide(Texte);
        const char *p = Texte.data();
        const char *const pFin = p + Texte.size();
        TSection *Courante = nullptr;

        auto AjouteLigneLue = [&](const char *d, const char *e) {
            const QByteArrayView Vue(d, e - d);
            QString cLigne = NonNulle(lToutUtf8 ? QString::fromUtf8(Vue) : DecodeLigne(Vue));
            if (Vue.size() >= 2 && Vue.front() == '[' && Vue.back() == ']') {
                auto s = std::make_unique<TSection>();
                s->cEntete = std::move(cLigne);
                Courante = s.get();
                Sections.push_back(std::move(s));
            } else if (Courante) {
                Courante->Lignes.push_back(std::move(cLigne));
            } else {
                Preambule.push_back(std::move(cLigne));
            }
        };

        while (p < pFin) {
            const char *pLf = static_cast<const char *>(std::memchr(p, '\n', size_t(pFin - p)));
            const char *e = pLf ? pLf : pFin;
            const char *eLigne = (e > p && e[-1] == '\r') ? e - 1 : e;
            // A lone CR also ends a line, as it did for files of the earlier platform.
            const char *d = p;
            while (const char *pCr = static_cast<const char *>(std::memchr(d, '\r', size_t(eLigne - d)))) {
                AjouteLigneLue(d, pCr);
                d = pCr + 1;
            }
            AjouteLigneLue(d, eLigne);
            p = pLf ? pLf + 1 : pFin;
        }
        ReconstruitIndexSections();
    }

    void Compacte()
    {
        std::erase_if(Sections, [](const std::unique_ptr<TSection> &s) { return !s; });
        nSectionsTrous = 0;
        ReconstruitIndexSections();
    }
};

TBigIniFile::TBigIniFile(const QString &cNomFichier, bool lSectionsSensiblesCasse)
    : d(std::make_unique<TDonnees>())
{
    d->cNomFichier = cNomFichier;
    d->lSensibleCasse = lSectionsSensiblesCasse;
    d->Charge();
}

TBigIniFile::~TBigIniFile() = default;

QString TBigIniFile::FileName() const
{
    return d->cNomFichier;
}

QString TBigIniFile::ReadString(const QString &cSection, const QString &cCle, const QString &cDefaut) const
{
    TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return cDefaut;
    const qint64 n = TDonnees::ChercheCle(*s, cCle);
    if (n < 0)
        return cDefaut;
    const QString &cLigne = s->Lignes[size_t(n)];
    return cLigne.mid(cLigne.indexOf(u'=') + 1);
}

int TBigIniFile::ReadInteger(const QString &cSection, const QString &cCle, int nDefaut) const
{
    const QString cTexte = ReadString(cSection, cCle, QString());
    // Only a signed decimal number, nothing around it, within 32 bits.
    qsizetype i = 0;
    if (i < cTexte.size() && (cTexte[i] == u'-' || cTexte[i] == u'+'))
        ++i;
    if (i >= cTexte.size())
        return nDefaut;
    for (qsizetype k = i; k < cTexte.size(); ++k)
        if (cTexte[k] < u'0' || cTexte[k] > u'9')
            return nDefaut;
    bool lOk = false;
    const int n = cTexte.toInt(&lOk, 10);
    return lOk ? n : nDefaut;
}

bool TBigIniFile::ReadBool(const QString &cSection, const QString &cCle, bool lDefaut) const
{
    return ReadInteger(cSection, cCle, lDefaut ? 1 : 0) != 0;
}

void TBigIniFile::WriteString(const QString &cSection, const QString &cCle, const QString &cValeur)
{
    const QString cVal = ValeurSurUneLigne(cValeur);
    TDonnees::TSection *s = d->Section(cSection);
    if (!s) {
        auto Nouvelle = std::make_unique<TDonnees::TSection>();
        Nouvelle->cEntete = u'[' + EncodeNom(cSection, false) + u']';
        d->Sections.push_back(std::move(Nouvelle));
        d->IndexeSection(quint32(d->Sections.size() - 1));
        s = d->Sections.back().get();
    }
    const qint64 n = TDonnees::ChercheCle(*s, cCle);
    if (n >= 0) {
        // The key keeps the spelling it has in the file.
        QString &cLigne = s->Lignes[size_t(n)];
        const qsizetype p = cLigne.indexOf(u'=');
        if (QStringView(cLigne).sliced(p + 1) != QStringView(cVal)) {
            cLigne = cLigne.left(p + 1) + cVal;
            d->lModifie = true;
        }
    } else {
        QString cBrute = EncodeNom(cCle, true);
        // A key opening with "[" before a value closing with "]" would read back as a header.
        if (cBrute.startsWith(u'[') && cVal.endsWith(u']'))
            cBrute.replace(0, 1, QLatin1StringView("%5B"));
        d->AjouteLigne(*s, cBrute + u'=' + cVal);
        d->lModifie = true;
    }
    if (lAutoSave && d->lModifie)
        UpdateFile();
}

void TBigIniFile::WriteInteger(const QString &cSection, const QString &cCle, int nValeur)
{
    WriteString(cSection, cCle, QString::number(nValeur));
}

void TBigIniFile::WriteBool(const QString &cSection, const QString &cCle, bool lValeur)
{
    WriteString(cSection, cCle, lValeur ? QStringLiteral("1") : QStringLiteral("0"));
}

void TBigIniFile::DeleteKey(const QString &cSection, const QString &cCle)
{
    TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return;
    const qint64 n = TDonnees::ChercheCle(*s, cCle);
    if (n < 0)
        return;
    TDonnees::RetireLigne(*s, size_t(n));
    d->lModifie = true;
    if (lAutoSave)
        UpdateFile();
}

void TBigIniFile::ReadSection(const QString &cSection, QStringList &Liste) const
{
    Liste.clear();
    const TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return;
    Liste.reserve(qsizetype(s->Lignes.size() - size_t(s->nTrous)));
    for (const QString &cLigne : s->Lignes) {
        QStringView Brute;
        if (!cLigne.isNull() && CleBrute(cLigne, Brute))
            Liste.append(DecodeSiBesoin(Brute));
    }
}

void TBigIniFile::ReadSectionValues(const QString &cSection, QStringList &Liste) const
{
    Liste.clear();
    const TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return;
    Liste.reserve(qsizetype(s->Lignes.size() - size_t(s->nTrous)));
    for (const QString &cLigne : s->Lignes)
        if (!cLigne.isNull() && cLigne.contains(u'='))
            Liste.append(cLigne);
}

void TBigIniFile::ReadSections(QStringList &Liste) const
{
    Liste.clear();
    Liste.reserve(qsizetype(d->Sections.size()) - d->nSectionsTrous);
    for (const auto &s : d->Sections)
        if (s)
            Liste.append(DecodeSiBesoin(TDonnees::NomBrut(*s)));
}

void TBigIniFile::EraseSection(const QString &cSection)
{
    const qint64 n = d->ChercheSection(cSection);
    if (n < 0)
        return;
    const QString cForme = d->FormeArgument(cSection);
    const quint32 h = Hache(cForme);
    d->IndexSections.Retire(h, quint32(n));
    d->Sections[size_t(n)].reset();
    ++d->nSectionsTrous;
    d->lModifie = true;
    if (d->nSectionsTrous >= MinTrous && d->nSectionsTrous * 2 > qsizetype(d->Sections.size())) {
        d->Compacte();
    } else if (d->lSectionsEnDouble) {
        // A later section of the same name now answers for it.
        for (size_t i = size_t(n) + 1; i < d->Sections.size(); ++i) {
            if (d->Sections[i] && d->NomEgal(*d->Sections[i], cForme)) {
                d->IndexSections.Ajoute(h, quint32(i));
                break;
            }
        }
    }
    if (lAutoSave)
        UpdateFile();
}

bool TBigIniFile::UpdateFile()
{
    qsizetype nEstime = 64;
    for (const QString &l : d->Preambule)
        nEstime += l.size() + 2;
    for (const auto &s : d->Sections) {
        if (!s)
            continue;
        nEstime += s->cEntete.size() + 2;
        for (const QString &l : s->Lignes)
            nEstime += l.size() + 2;
    }
    QByteArray Tampon;
    Tampon.resize(nEstime + nEstime / 8);
    qsizetype nLong = 0;
    for (const QString &l : d->Preambule)
        AjouteUtf8(Tampon, nLong, l);
    for (const auto &s : d->Sections) {
        if (!s)
            continue;
        AjouteUtf8(Tampon, nLong, s->cEntete);
        for (const QString &l : s->Lignes)
            if (!l.isNull())
                AjouteUtf8(Tampon, nLong, l);
    }
    Tampon.truncate(nLong);
    if (!EcritFichierAtomique(d->cNomFichier, Tampon))
        return false;
    d->lModifie = false;
    return true;
}

bool TBigIniFile::SectionExists(const QString &cSection) const
{
    return d->ChercheSection(cSection) >= 0;
}

bool TBigIniFile::ValueExists(const QString &cSection, const QString &cCle) const
{
    TDonnees::TSection *s = d->Section(cSection);
    return s && TDonnees::ChercheCle(*s, cCle) >= 0;
}

bool TBigIniFile::Modifie() const
{
    return d->lModifie;
}
