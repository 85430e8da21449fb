#include "storage/BigIniFiles.h"

#include "platform/AtomicFile.h"
#include "platform/TextCodec.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <QHashFunctions>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <deque>
#include <limits>
#include <utility>
#include <vector>

// How the file text maps onto memory.
//
// The text is kept as UTF-8 in one byte buffer, the file as it was read; each line is a
// slice of it (start, length, position of its first "="). A changed or new line is appended to
// the buffer and its slice moved there; a save writes the live lines into a fresh buffer that
// then replaces the old one, which drops the dead bytes. A hundred thousand lines thus cost a
// few bytes each beside their text, and loading or saving is little more than copying bytes.
//
// The lines before the first header are kept apart; each section owns its header and the lines
// that follow it up to the next header, so inserting or removing a line touches one section
// only and never renumbers the others. Sections sit in file order in one vector.
//
// Two kinds of hashed index avoid walking the file: one from section name to the first section
// of that name, and, in sections holding many lines, one from key to its first line. Both hold
// only a 32-bit hash and a position; the names are compared in the text on a hash hit. Removed
// sections and removed lines of indexed sections are left as holes so that positions stay
// valid; the holes are squeezed out once they make up half of the vector.
//
// Names are compared in their decoded form: a "%" followed by two hex digits stands for that
// byte, so that paths holding "=", "%" or line breaks fit on one line. Section names compare
// after QString::toUpper of both sides unless the store is case-sensitive (ASCII names take a
// shortcut that gives the same result).

namespace
{
// Sections with at most this many lines are searched directly: a few comparisons cost less
// than keeping a table for each of a hundred thousand image sections.
constexpr qsizetype SeuilIndexCles = 12;
// Holes are squeezed out when they exceed half of the entries and at least this many.
constexpr qsizetype MinTrous = 16;

qint64 nLongueurMaxLigne = std::numeric_limits<qint32>::max();

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

quint32 Hache(QByteArrayView s)
{
    const size_t h = qHash(s, 0x5bd1e995u);
    return quint32(h) ^ quint32(quint64(h) >> 32);
}

int ValeurHexa(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ContientPourcent(QByteArrayView s)
{
    return s.indexOf('%') >= 0;
}

// "%XX" becomes the byte XX; any other "%" stays as it is.
QByteArray DecodeNom(QByteArrayView s)
{
    QByteArray r;
    r.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && ValeurHexa(s[i + 1]) >= 0 && ValeurHexa(s[i + 2]) >= 0) {
            r.append(char(ValeurHexa(s[i + 1]) * 16 + ValeurHexa(s[i + 2])));
            i += 2;
        } else {
            r.append(s[i]);
        }
    }
    return r;
}

QByteArray DecodeSiBesoin(QByteArrayView s)
{
    return ContientPourcent(s) ? DecodeNom(s) : s.toByteArray();
}

// Names free of the escaped characters are written exactly as given.
QByteArray EncodeNom(const QByteArray &Nom, bool lCle)
{
    auto Special = [lCle](char c) { return c == '%' || c == '\r' || c == '\n' || (lCle && c == '='); };
    if (std::none_of(Nom.begin(), Nom.end(), Special))
        return Nom;
    QByteArray r;
    r.reserve(Nom.size() + 8);
    for (const char c : Nom) {
        switch (c) {
        case '%': r += "%25"; break;
        case '\r': r += "%0D"; break;
        case '\n': r += "%0A"; break;
        case '=':
            if (lCle) {
                r += "%3D";
                break;
            }
            [[fallthrough]];
        default: r += c;
        }
    }
    return r;
}

// The section name in the form names are compared in when case does not matter.
QByteArray PlieCasse(QByteArray s)
{
    if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        for (char &c : s)
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        return s;
    }
    return DecodeLigne(s).toUpper().toUtf8();
}

// A key line as written. A key opening with "[" before a value closing with "]" would read
// back as a header: its bracket is then written escaped, whether the key is new or kept.
QByteArray LigneCle(QByteArray Brute, const QByteArray &Valeur)
{
    if (Brute.startsWith('[') && Valeur.endsWith(']'))
        Brute.replace(0, 1, "%5B");
    return Brute + '=' + Valeur;
}

// The text of a store line is valid UTF-8 by construction; names decoded from "%XX" may not
// be, and then read as Windows-1252 like any other line.
QString VersTexte(QByteArrayView s)
{
    return DecodeLigne(s);
}
} // namespace

struct TBigIniFile::TDonnees
{
    struct TLigne
    {
        qint64 nDebut = 0;
        qint32 nLong = -1; // -1: removed
        qint32 nEgal = -1; // offset of the first "=" in the line, -1 when it has none

        bool Vivante() const { return nLong >= 0; }
    };

    struct TSection
    {
        TLigne Entete;
        std::vector<TLigne> Lignes;        // the lines up to the next header
        std::unique_ptr<TIndexHache> Cles; // built once the section grows past the threshold
        qint32 nTrous = 0;
        bool lEffacee = false;
        bool lClesEnDouble = false; // a key occurs twice: removal looks for the next one
        quint64 nGeneration = 0;    // a change noted on the section itself (NoteChangementSection)
    };

    QString cNomFichier;
    bool lSensibleCasse = false;
    bool lModifie = false;
    bool lIllisible = false;
    QString cErreurLecture;
    QString cErreur;
    QString cCopieConservee;
    QString cCopieEnAttente; // kept by a save whose write then failed
    TEtatFichier Etat;       // the file's version as last read or saved
    TEtatFichier EtatGarde;  // another program's version already kept as a dated copy
    QByteArray Texte;        // every line's bytes, plus dead bytes of replaced lines
    QByteArray Rechange;     // the text's previous buffer, reused by the next rebuild
    qint64 nMorts = 0;       // dead bytes in Texte
    std::vector<TLigne> Preambule;
    std::vector<TSection> Sections;
    qsizetype nSectionsTrous = 0;
    TIndexHache IndexSections;
    bool lSectionsEnDouble = false;
    quint64 nGeneration = 0;
    // By the section's compared form; a change noted on the section itself is kept there
    // instead, and a section's counter is the larger of the two.
    QHash<QByteArray, quint64> GenerationsSections;
    std::deque<TBigIniFile::TChangement> Journal; // the last changes, the newest at the end

    void NoteChangement(const QString &cSection, const QString &cCle)
    {
        NoteChangement(FormeArgument(cSection), cSection, cCle);
    }
    // The same, the section's compared form already at hand.
    void NoteChangement(const QByteArray &Forme, const QString &cSection, const QString &cCle)
    {
        lModifie = true;
        GenerationsSections.insert(Forme, ++nGeneration);
        Journal.push_back({cSection, cCle});
        if (Journal.size() > 4096)
            Journal.pop_front();
    }
    // A change of a whole live section that keeps its name: many sections rewritten at once
    // then cost neither a copy of each name nor a lookup in a large table.
    void NoteChangementSection(TSection &s, const QString &cSection)
    {
        lModifie = true;
        s.nGeneration = ++nGeneration;
        Journal.push_back({cSection, QString()});
        if (Journal.size() > 4096)
            Journal.pop_front();
    }

    QByteArrayView Vue(const TLigne &l) const { return QByteArrayView(Texte.constData() + l.nDebut, l.nLong); }
    QByteArrayView CleBrute(const TLigne &l) const { return Vue(l).first(l.nEgal); }
    QByteArrayView NomBrut(const TSection &s) const { return Vue(s.Entete).sliced(1, s.Entete.nLong - 2); }

    static bool EstCle(const TLigne &l) { return l.nLong >= 0 && l.nEgal >= 0; }

    TLigne Ajoute(QByteArrayView Octets)
    {
        TLigne l;
        l.nDebut = Texte.size();
        l.nLong = qint32(Octets.size());
        l.nEgal = qint32(Octets.indexOf('='));
        Texte.append(Octets);
        return l;
    }

    void Remplace(TLigne &l, QByteArrayView Octets)
    {
        nMorts += l.nLong;
        l = Ajoute(Octets);
        if (nMorts > (64 << 20) && nMorts > Texte.size() / 2)
            Reconstruit();
    }

    // ---- names

    QByteArray FormeSection(QByteArrayView Brut) const
    {
        QByteArray s = DecodeSiBesoin(Brut);
        return lSensibleCasse ? s : PlieCasse(std::move(s));
    }
    QByteArray FormeArgument(const QString &cNom) const
    {
        return lSensibleCasse ? cNom.toUtf8() : PlieCasse(cNom.toUtf8());
    }

    bool NomEgal(const TSection &s, QByteArrayView Forme) const
    {
        const QByteArrayView Brut = NomBrut(s);
        if (!ContientPourcent(Brut)) {
            if (lSensibleCasse)
                return Brut == Forme;
            // The usual ASCII name is compared in place, without building its folded copy.
            if (Brut.size() == Forme.size()) {
                bool lAscii = true, lEgal = true;
                for (qsizetype i = 0; i < Brut.size() && lAscii && lEgal; ++i) {
                    const char c = Brut[i];
                    lAscii = static_cast<unsigned char>(c) < 0x80;
                    lEgal = ((c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c) == Forme[i];
                }
                if (lAscii)
                    return lEgal;
            }
        }
        return QByteArrayView(FormeSection(Brut)) == Forme;
    }

    static bool CleEgale(QByteArrayView Brute, QByteArrayView Cle)
    {
        if (!ContientPourcent(Brute))
            return Brute == Cle;
        return QByteArrayView(DecodeNom(Brute)) == Cle;
    }

    qint64 ChercheSection(QByteArrayView Forme) const
    {
        return IndexSections.Cherche(Hache(Forme), [&](quint32 nPos) {
            const TSection &s = Sections[nPos];
            return !s.lEffacee && NomEgal(s, Forme);
        });
    }

    // f of the name's form (UTF-8, ASCII letters upper-cased when lPlie and case does not
    // matter). Lookups come by the million and their names are mostly short and ASCII: those
    // are converted on the stack, without building an array.
    template <class F>
    auto AvecOctets(const QString &cNom, bool lPlie, F &&f) const
    {
        constexpr qsizetype nMax = 512;
        if (cNom.size() <= nMax) {
            char Tampon[nMax];
            const char16_t *p = reinterpret_cast<const char16_t *>(cNom.utf16());
            qsizetype i = 0;
            for (; i < cNom.size() && p[i] < 0x80; ++i)
                Tampon[i] = lPlie && p[i] >= u'a' && p[i] <= u'z' ? char(p[i] - u'a' + 'A') : char(p[i]);
            if (i == cNom.size())
                return f(QByteArrayView(Tampon, i));
        }
        return f(QByteArrayView(lPlie ? FormeArgument(cNom) : cNom.toUtf8()));
    }
    // f of a key's UTF-8 bytes.
    template <class F>
    auto AvecCle(const QString &cCle, F &&f) const
    {
        return AvecOctets(cCle, false, std::forward<F>(f));
    }

    TSection *Section(const QString &cSection)
    {
        const qint64 n =
            AvecOctets(cSection, !lSensibleCasse, [this](QByteArrayView Forme) { return ChercheSection(Forme); });
        return n < 0 ? nullptr : &Sections[size_t(n)];
    }

    void IndexeSection(quint32 nPos)
    {
        const QByteArray Forme = FormeSection(NomBrut(Sections[nPos]));
        const quint32 h = Hache(Forme);
        if (ChercheSection(Forme) >= 0)
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
            if (!Sections[i].lEffacee)
                IndexeSection(quint32(i));
    }

    // ---- keys

    void IndexeCles(TSection &s) const
    {
        s.Cles = std::make_unique<TIndexHache>();
        s.Cles->Reserve(s.Lignes.size());
        s.lClesEnDouble = false;
        for (size_t i = 0; i < s.Lignes.size(); ++i)
            IndexeLigne(s, quint32(i));
    }

    void IndexeLigne(TSection &s, quint32 nPos) const
    {
        const TLigne &l = s.Lignes[nPos];
        if (!EstCle(l))
            return;
        const QByteArray Cle = DecodeSiBesoin(CleBrute(l));
        const quint32 h = Hache(Cle);
        if (ChercheCleIndexee(s, Cle, h) >= 0)
            s.lClesEnDouble = true;
        else
            s.Cles->Ajoute(h, nPos);
    }

    qint64 ChercheCleIndexee(const TSection &s, QByteArrayView Cle, quint32 h) const
    {
        return s.Cles->Cherche(h, [&](quint32 n) {
            const TLigne &l = s.Lignes[n];
            return EstCle(l) && CleEgale(CleBrute(l), Cle);
        });
    }

    // Only reads: a section large enough to be indexed was indexed when it was read or grew,
    // so that several threads may look keys up at once while nothing writes.
    qint64 ChercheCle(const TSection &s, QByteArrayView Cle) const
    {
        if (s.Cles)
            return ChercheCleIndexee(s, Cle, Hache(Cle));
        for (size_t i = 0; i < s.Lignes.size(); ++i) {
            const TLigne &l = s.Lignes[i];
            if (EstCle(l) && CleEgale(CleBrute(l), Cle))
                return qint64(i);
        }
        return -1;
    }

    void ParcourtLignes(const TSection &s, const std::function<void(const TBigIniFile::TLigneBrute &)> &f) const
    {
        QByteArray Decode;
        TBigIniFile::TLigneBrute b;
        for (const TLigne &l : s.Lignes) {
            if (!EstCle(l))
                continue;
            const QByteArrayView Ligne = Vue(l);
            b.Cle = Ligne.first(l.nEgal);
            b.Valeur = Ligne.sliced(l.nEgal + 1);
            b.lEchappe = ContientPourcent(b.Cle);
            if (b.lEchappe) {
                Decode = DecodeNom(b.Cle);
                b.Cle = Decode;
            }
            f(b);
        }
    }

    void RetireLigne(TSection &s, size_t nPos)
    {
        nMorts += s.Lignes[nPos].nLong;
        if (!s.Cles) {
            s.Lignes.erase(s.Lignes.begin() + qsizetype(nPos));
            return;
        }
        const QByteArray Cle = DecodeSiBesoin(CleBrute(s.Lignes[nPos]));
        const quint32 h = Hache(Cle);
        s.Cles->Retire(h, quint32(nPos));
        s.Lignes[nPos] = TLigne{};
        ++s.nTrous;
        if (s.nTrous >= MinTrous && qsizetype(s.nTrous) * 2 > qsizetype(s.Lignes.size())) {
            std::erase_if(s.Lignes, [](const TLigne &l) { return !l.Vivante(); });
            s.nTrous = 0;
            IndexeCles(s);
            return;
        }
        if (s.lClesEnDouble) {
            // The next line holding the same key becomes the one that reads and writes find.
            for (size_t i = nPos + 1; i < s.Lignes.size(); ++i) {
                const TLigne &l = s.Lignes[i];
                if (EstCle(l) && CleEgale(CleBrute(l), Cle)) {
                    s.Cles->Ajoute(h, quint32(i));
                    break;
                }
            }
        }
    }

    void AjouteLigne(TSection &s, QByteArrayView Octets)
    {
        s.Lignes.push_back(Ajoute(Octets));
        if (s.Cles)
            IndexeLigne(s, quint32(s.Lignes.size() - 1));
        else if (qsizetype(s.Lignes.size()) > SeuilIndexCles)
            IndexeCles(s);
    }

    void EffaceSection(size_t nPos, const QByteArray &Forme)
    {
        TSection &s = Sections[nPos];
        IndexSections.Retire(Hache(Forme), quint32(nPos));
        nMorts += s.Entete.nLong;
        for (const TLigne &l : s.Lignes)
            if (l.Vivante())
                nMorts += l.nLong;
        s = TSection{};
        s.lEffacee = true;
        ++nSectionsTrous;
        if (nSectionsTrous >= MinTrous && nSectionsTrous * 2 > qsizetype(Sections.size())) {
            std::erase_if(Sections, [](const TSection &x) { return x.lEffacee; });
            nSectionsTrous = 0;
            ReconstruitIndexSections();
        } else if (lSectionsEnDouble) {
            // A later section of the same name now answers for it.
            for (size_t i = nPos + 1; i < Sections.size(); ++i) {
                if (!Sections[i].lEffacee && NomEgal(Sections[i], Forme)) {
                    IndexSections.Ajoute(Hache(Forme), quint32(i));
                    break;
                }
            }
        }
    }

    // ---- whole text

    // Lays the live lines end to end, each ended by CR LF, in a fresh buffer that becomes the
    // store's text: this is both the file to write and the squeezing out of dead bytes.
    void Reconstruit()
    {
        qint64 nTaille = 0;
        auto Compte = [&](const TLigne &l) {
            if (l.Vivante())
                nTaille += l.nLong + 2;
        };
        std::for_each(Preambule.begin(), Preambule.end(), Compte);
        for (const TSection &s : Sections) {
            if (s.lEffacee)
                continue;
            Compte(s.Entete);
            std::for_each(s.Lignes.begin(), s.Lignes.end(), Compte);
        }
        // The previous text's buffer is kept for the next rebuild: a large store saved after
        // each change would otherwise fault in fresh pages for its whole size every time.
        QByteArray Neuf = std::move(Rechange);
        Rechange = QByteArray();
        if (Neuf.isDetached() && Neuf.capacity() >= nTaille && Neuf.capacity() <= 2 * nTaille + (2 << 20)) {
            Neuf.resize(nTaille);
        } else {
            Neuf = QByteArray();
            Neuf.reserve(nTaille + nTaille / 8 + (1 << 20));
            Neuf.resize(nTaille);
        }
        char *p = Neuf.data();
        const char *const pAncien = Texte.constData();
        const qint64 nAncien = Texte.size();
        // Lines that already follow one another in the old text, each ended by CR LF (most of
        // them once a file is loaded or saved), are copied as one run.
        qint64 nRunDebut = -1, nRunFin = -1;
        auto Vide = [&] {
            if (nRunDebut < 0)
                return;
            std::memcpy(p, pAncien + nRunDebut, size_t(nRunFin - nRunDebut));
            p += nRunFin - nRunDebut;
            *p++ = '\r';
            *p++ = '\n';
            nRunDebut = -1;
        };
        auto Copie = [&](TLigne &l) {
            if (!l.Vivante())
                return;
            const bool lSuit = nRunDebut >= 0 && l.nDebut == nRunFin + 2 && nRunFin + 2 <= nAncien
                               && pAncien[nRunFin] == '\r' && pAncien[nRunFin + 1] == '\n';
            if (!lSuit) {
                Vide();
                nRunDebut = l.nDebut;
            }
            nRunFin = l.nDebut + l.nLong;
            l.nDebut = (p - Neuf.constData()) + (l.nDebut - nRunDebut);
        };
        std::for_each(Preambule.begin(), Preambule.end(), Copie);
        for (TSection &s : Sections) {
            if (s.lEffacee)
                continue;
            Copie(s.Entete);
            std::for_each(s.Lignes.begin(), s.Lignes.end(), Copie);
        }
        Vide();
        std::swap(Texte, Neuf);
        Rechange = std::move(Neuf);
        nMorts = 0;
    }

    void Vide()
    {
        Texte.clear();
        nMorts = 0;
        Preambule.clear();
        Sections.clear();
        nSectionsTrous = 0;
        IndexSections.Vide();
        lSectionsEnDouble = false;
    }

    // Only a missing file makes a new store; any other failure leaves the store empty and
    // marked, so that the file, which may hold a whole catalogue, is never saved over.
    void Charge()
    {
        // Changed lines are appended to the text: room for them is kept from the start, so
        // that the first change of a large catalogue does not copy it whole.
        const qint64 nTaille = QFileInfo(cNomFichier).size();
        TLectureFichier Lecture = LitFichierEntier(cNomFichier, qint64(1) << 40, nTaille / 8 + (1 << 20));
        if (Lecture.nResultat == TLectureFichier::TResultat::Illisible) {
            lIllisible = true;
            cErreurLecture = cErreur = Lecture.cErreur;
            return;
        }
        if (Lecture.nResultat == TLectureFichier::TResultat::Absent)
            return;
        Etat = Lecture.Etat;
        if (!Decoupe(std::move(Lecture.Octets))) {
            Vide();
            lIllisible = true;
            cErreurLecture = cErreur = QStringLiteral("ligne de plus de %1 octets").arg(nLongueurMaxLigne);
        }
    }

    bool Decoupe(QByteArray Octets)
    {
        qsizetype nDepart = Octets.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        if (!EstUtf8Valide(QByteArrayView(Octets).sliced(nDepart))) {
            // Files from the earlier platform: each line that is not UTF-8 is Windows-1252.
            QByteArray Utf8;
            Utf8.reserve(Octets.size() + Octets.size() / 8);
            QByteArrayView Reste = QByteArrayView(Octets).sliced(nDepart);
            while (!Reste.isEmpty()) {
                qsizetype n = 0;
                while (n < Reste.size() && Reste[n] != '\n' && Reste[n] != '\r')
                    ++n;
                const QByteArrayView Ligne = Reste.first(n);
                if (EstUtf8Valide(Ligne))
                    Utf8.append(Ligne);
                else
                    Utf8.append(DecodeWindows1252(Ligne).toUtf8());
                const qsizetype nFin = std::min(Reste.size(), n + 1);
                Utf8.append(Reste.sliced(n, nFin - n));
                Reste = Reste.sliced(nFin);
            }
            Octets = std::move(Utf8);
            nDepart = 0;
        }
        Texte = std::move(Octets);

        const char *const pBase = Texte.constData();
        const char *p = pBase + nDepart;
        const char *const pFin = pBase + Texte.size();
        TSection *Courante = nullptr;
        const qint64 nMax = nLongueurMaxLigne;
        bool lTropLongue = false;
        auto LigneLue = [&](const char *d, const char *e) {
            if (e - d > nMax) {
                lTropLongue = true;
                return;
            }
            TLigne l;
            l.nDebut = d - pBase;
            l.nLong = qint32(e - d);
            const void *pEgal = std::memchr(d, '=', size_t(e - d));
            l.nEgal = pEgal ? qint32(static_cast<const char *>(pEgal) - d) : -1;
            if (e - d >= 2 && d[0] == '[' && e[-1] == ']') {
                Sections.emplace_back();
                Courante = &Sections.back();
                Courante->Entete = l;
            } else if (Courante) {
                Courante->Lignes.push_back(l);
            } else {
                Preambule.push_back(l);
            }
        };
        while (p < pFin) {
            const char *pLf = static_cast<const char *>(std::memchr(p, '\n', size_t(pFin - p)));
            const char *e = pLf ? pLf : pFin;
            const char *eLigne = (e > p && e[-1] == '\r') ? e - 1 : e;
            // A lone CR also ends a line, as it did for files of the earlier platform.
            const char *d = p;
            while (const char *pCr = static_cast<const char *>(std::memchr(d, '\r', size_t(eLigne - d)))) {
                LigneLue(d, pCr);
                d = pCr + 1;
            }
            LigneLue(d, eLigne);
            p = pLf ? pLf + 1 : pFin;
        }
        if (lTropLongue)
            return false;
        ReconstruitIndexSections();
        // The large sections are indexed now rather than at their first lookup, so that the
        // cost is paid while the program starts, not in the middle of a user's action.
        for (TSection &s : Sections)
            if (qsizetype(s.Lignes.size()) > SeuilIndexCles)
                IndexeCles(s);
        return true;
    }
};

TBigIniFile::TBigIniFile(const QString &cNomFichier, bool lSectionsSensiblesCasse) : d(std::make_unique<TDonnees>())
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
    const qint64 n = d->AvecCle(cCle, [&](QByteArrayView Cle) { return d->ChercheCle(*s, Cle); });
    if (n < 0)
        return cDefaut;
    const TDonnees::TLigne &l = s->Lignes[size_t(n)];
    return QString::fromUtf8(d->Vue(l).sliced(l.nEgal + 1));
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
    // A line break inside a value would split the line: it is written as a blank.
    QByteArray Valeur = cValeur.toUtf8();
    for (char &c : Valeur)
        if (c == '\r' || c == '\n')
            c = ' ';
    TDonnees::TSection *s = d->Section(cSection);
    if (!s) {
        TDonnees::TSection Nouvelle;
        Nouvelle.Entete = d->Ajoute('[' + EncodeNom(cSection.toUtf8(), false) + ']');
        d->Sections.push_back(std::move(Nouvelle));
        d->IndexeSection(quint32(d->Sections.size() - 1));
        s = &d->Sections.back();
    }
    const QByteArray Cle = cCle.toUtf8();
    const qint64 n = d->ChercheCle(*s, Cle);
    if (n >= 0) {
        // The key keeps the spelling it has in the file.
        TDonnees::TLigne &l = s->Lignes[size_t(n)];
        const QByteArrayView Ancienne = d->Vue(l);
        if (Ancienne.sliced(l.nEgal + 1) != Valeur) {
            d->Remplace(l, LigneCle(Ancienne.first(l.nEgal).toByteArray(), Valeur));
            d->NoteChangement(cSection, cCle);
        }
    } else {
        d->AjouteLigne(*s, LigneCle(EncodeNom(Cle, true), Valeur));
        d->NoteChangement(cSection, cCle);
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
    const qint64 n = d->ChercheCle(*s, cCle.toUtf8());
    if (n < 0)
        return;
    d->RetireLigne(*s, size_t(n));
    d->NoteChangement(cSection, cCle);
    if (lAutoSave)
        UpdateFile();
}

void TBigIniFile::ReadSection(const QString &cSection, QStringList &Liste) const
{
    Liste.clear();
    const TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return;
    Liste.reserve(qsizetype(s->Lignes.size()) - s->nTrous);
    for (const TDonnees::TLigne &l : s->Lignes) {
        if (!TDonnees::EstCle(l))
            continue;
        const QByteArrayView Brute = d->CleBrute(l);
        Liste.append(ContientPourcent(Brute) ? VersTexte(DecodeNom(Brute)) : QString::fromUtf8(Brute));
    }
}

void TBigIniFile::ReadSectionValues(const QString &cSection, QStringList &Liste) const
{
    Liste.clear();
    const TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return;
    Liste.reserve(qsizetype(s->Lignes.size()) - s->nTrous);
    for (const TDonnees::TLigne &l : s->Lignes)
        if (TDonnees::EstCle(l))
            Liste.append(QString::fromUtf8(d->Vue(l)));
}

void TBigIniFile::ReadSections(QStringList &Liste) const
{
    Liste.clear();
    Liste.reserve(qsizetype(d->Sections.size()) - d->nSectionsTrous);
    for (const TDonnees::TSection &s : d->Sections) {
        if (s.lEffacee)
            continue;
        const QByteArrayView Brut = d->NomBrut(s);
        Liste.append(ContientPourcent(Brut) ? VersTexte(DecodeNom(Brut)) : QString::fromUtf8(Brut));
    }
}

void TBigIniFile::EraseSection(const QString &cSection)
{
    const QByteArray Forme = d->FormeArgument(cSection);
    const qint64 n = d->ChercheSection(Forme);
    if (n < 0)
        return;
    d->EffaceSection(size_t(n), Forme);
    d->NoteChangement(cSection, QString());
    if (lAutoSave)
        UpdateFile();
}

QStringList TBigIniFile::SectionsSousChemin(const QString &cChemin) const
{
    QStringList Liste;
    bool lDouble = false;
    const QByteArray Chemin = cChemin.toUtf8();
    // Equal to the path, or the path followed by "/".
    auto Sous = [&](QByteArrayView Cle) {
        return Cle.startsWith(Chemin) && (Cle.size() == Chemin.size() || Cle[Chemin.size()] == '/');
    };
    for (const TDonnees::TSection &s : d->Sections) {
        if (s.lEffacee)
            continue;
        for (const TDonnees::TLigne &l : s.Lignes) {
            if (!TDonnees::EstCle(l))
                continue;
            const QByteArrayView Brute = d->CleBrute(l);
            if (ContientPourcent(Brute) ? Sous(DecodeNom(Brute)) : Sous(Brute)) {
                const QByteArrayView Brut = d->NomBrut(s);
                Liste.append(ContientPourcent(Brut) ? VersTexte(DecodeNom(Brut)) : QString::fromUtf8(Brut));
                lDouble = lDouble || d->lSectionsEnDouble;
                break;
            }
        }
    }
    if (lDouble) {
        // A name written twice is one section for every reader.
        QStringList Uniques;
        for (const QString &c : std::as_const(Liste))
            if (SectionExists(c) && !Uniques.contains(c))
                Uniques << c;
        Liste = Uniques;
    }
    return Liste;
}

bool TBigIniFile::ParcourtSection(const QString &cSection, const std::function<void(const TLigneBrute &)> &f) const
{
    const TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return false;
    d->ParcourtLignes(*s, f);
    return true;
}

void TBigIniFile::ParcourtSections(
    const std::function<bool(QByteArrayView cNom, bool lEchappe, bool lTrouvee)> &fSection,
    const std::function<void(const TLigneBrute &)> &fLigne) const
{
    QByteArray Decode;
    for (size_t i = 0; i < d->Sections.size(); ++i) {
        const TDonnees::TSection &s = d->Sections[i];
        if (s.lEffacee)
            continue;
        QByteArrayView Nom = d->NomBrut(s);
        const bool lEchappe = ContientPourcent(Nom);
        if (lEchappe) {
            Decode = DecodeNom(Nom);
            Nom = Decode;
        }
        // Without names written twice, every section is the one its name finds.
        const bool lTrouvee = !d->lSectionsEnDouble || d->ChercheSection(d->FormeSection(d->NomBrut(s))) == qint64(i);
        if (fSection(Nom, lEchappe, lTrouvee))
            d->ParcourtLignes(s, fLigne);
    }
}

void TBigIniFile::RecleSectionsSousChemin(const QString &cChemin,
                                          const std::function<bool(const QString &cSection, QStringList &Cles)> &f)
{
    QStringList Cles;
    const bool lAutoSaveAvant = std::exchange(lAutoSave, false);
    auto ParNom = [&](const QString &cSection) {
        ReadSection(cSection, Cles);
        if (!f(cSection, Cles))
            return;
        std::vector<std::pair<QString, QString>> Lignes;
        Lignes.reserve(size_t(Cles.size()));
        for (const QString &c : std::as_const(Cles))
            Lignes.push_back({c, QString()});
        RemplaceSection(cSection, Lignes);
    };
    if (d->lSectionsEnDouble) {
        // A name written twice is read and written through the section its name finds.
        for (const QString &cSection : SectionsSousChemin(cChemin))
            ParNom(cSection);
    } else {
        const QByteArray Chemin = cChemin.toUtf8();
        auto Sous = [&](QByteArrayView Cle) {
            return Cle.startsWith(Chemin) && (Cle.size() == Chemin.size() || Cle[Chemin.size()] == '/');
        };
        QByteArray Ligne;
        // The key is held so that its text cannot be freed and its address reused by a new key
        // while the section is rewritten: the same address then means the same, untouched key.
        struct TGardable
        {
            QString c;
            TDonnees::TLigne l;
            qint32 n0 = 0; // the line's length, kept when l is marked taken
        };
        std::vector<TGardable> Gardables;
        std::vector<TDonnees::TLigne> Lignes;
        // What may add, erase or squeeze sections waits for the end of the pass: a section whose
        // decoded name may not find it again goes through the lookups by name, and a section
        // left without keys is erased by its name.
        QStringList ParNomApres, Effacees;
        const size_t nFin = d->Sections.size();
        for (size_t i = 0; i < nFin; ++i) {
            if (d->Sections[i].lEffacee)
                continue;
            bool lSous = false;
            for (const TDonnees::TLigne &l : d->Sections[i].Lignes) {
                if (!TDonnees::EstCle(l))
                    continue;
                const QByteArrayView Brute = d->CleBrute(l);
                if (ContientPourcent(Brute) ? Sous(DecodeNom(Brute)) : Sous(Brute)) {
                    lSous = true;
                    break;
                }
            }
            if (!lSous)
                continue;
            const QByteArrayView Brut = d->NomBrut(d->Sections[i]);
            if (ContientPourcent(Brut)) {
                ParNomApres << VersTexte(DecodeNom(Brut));
                continue;
            }
            const QString cSection = QString::fromUtf8(Brut);
            TDonnees::TSection &s = d->Sections[i];
            Cles.clear();
            // Lines that a rewrite would make byte for byte as they are (a plain key, no value)
            // are kept when their key comes back untouched: no new bytes for them.
            Gardables.clear();
            for (const TDonnees::TLigne &l : s.Lignes) {
                if (!TDonnees::EstCle(l))
                    continue;
                const QByteArrayView Brute = d->CleBrute(l);
                if (ContientPourcent(Brute)) {
                    Cles.append(VersTexte(DecodeNom(Brute)));
                    continue;
                }
                Cles.append(QString::fromUtf8(Brute));
                if (l.nLong == l.nEgal + 1 && !Brute.startsWith('[') && !Brute.isEmpty())
                    Gardables.push_back({Cles.last(), l, l.nLong});
            }
            if (!f(cSection, Cles))
                continue;
            if (Cles.isEmpty()) {
                Effacees << cSection;
                continue;
            }
            Lignes.clear();
            for (const QString &c : std::as_const(Cles)) {
                auto it = std::find_if(Gardables.begin(), Gardables.end(), [&](const TGardable &g) {
                    return g.c.constData() == c.constData() && g.c.size() == c.size() && g.l.nLong >= 0;
                });
                if (it != Gardables.end()) {
                    Lignes.push_back(it->l);
                    it->l.nLong = -1; // taken once
                    continue;
                }
                Ligne = c.toUtf8();
                // A plain key is its line but for the "=": no second buffer for it.
                if (Ligne.startsWith('[') || std::any_of(Ligne.cbegin(), Ligne.cend(), [](char x) {
                        return x == '%' || x == '\r' || x == '\n' || x == '=';
                    }))
                    Ligne = LigneCle(EncodeNom(Ligne, true), QByteArray());
                else
                    Ligne.append('=');
                Lignes.push_back(d->Ajoute(Ligne));
            }
            // The old lines that were not kept are dead bytes now.
            for (const TDonnees::TLigne &l : s.Lignes)
                if (l.Vivante())
                    d->nMorts += l.nLong;
            for (const TGardable &g : Gardables)
                if (g.l.nLong < 0)
                    d->nMorts -= g.n0;
            // Copied into the section's own vector, whose room is kept: no allocation per section.
            s.Lignes.assign(Lignes.begin(), Lignes.end());
            s.Cles.reset();
            s.nTrous = 0;
            s.lClesEnDouble = false;
            if (qsizetype(s.Lignes.size()) > SeuilIndexCles)
                d->IndexeCles(s);
            d->NoteChangementSection(s, cSection);
        }
        for (const QString &cSection : std::as_const(ParNomApres))
            ParNom(cSection);
        for (const QString &cSection : std::as_const(Effacees))
            RemplaceSection(cSection, {});
    }
    lAutoSave = lAutoSaveAvant;
    if (lAutoSave && d->lModifie)
        UpdateFile();
}

void TBigIniFile::RemplaceSection(const QString &cSection, const std::vector<std::pair<QString, QString>> &Lignes)
{
    const QByteArray Forme = d->FormeArgument(cSection);
    const qint64 n = d->ChercheSection(Forme);
    if (Lignes.empty()) {
        if (n >= 0) {
            d->EffaceSection(size_t(n), Forme);
            d->NoteChangement(cSection, QString());
        }
    } else {
        if (n < 0) {
            TDonnees::TSection Nouvelle;
            Nouvelle.Entete = d->Ajoute('[' + EncodeNom(cSection.toUtf8(), false) + ']');
            d->Sections.push_back(std::move(Nouvelle));
            d->IndexeSection(quint32(d->Sections.size() - 1));
        }
        TDonnees::TSection &s = n < 0 ? d->Sections.back() : d->Sections[size_t(n)];
        for (const TDonnees::TLigne &l : s.Lignes)
            if (l.Vivante())
                d->nMorts += l.nLong;
        s.Lignes.clear();
        s.Cles.reset();
        s.nTrous = 0;
        s.lClesEnDouble = false;
        for (const auto &[cCle, cValeur] : Lignes) {
            QByteArray Valeur = cValeur.toUtf8();
            for (char &c : Valeur)
                if (c == '\r' || c == '\n')
                    c = ' ';
            s.Lignes.push_back(d->Ajoute(LigneCle(EncodeNom(cCle.toUtf8(), true), Valeur)));
        }
        if (qsizetype(s.Lignes.size()) > SeuilIndexCles)
            d->IndexeCles(s);
        d->NoteChangement(cSection, QString());
    }
    if (lAutoSave && d->lModifie)
        UpdateFile();
}

bool TBigIniFile::RenommeSection(const QString &cAncien, const QString &cNouveau)
{
    const QByteArray FormeAncien = d->FormeArgument(cAncien);
    const QByteArray FormeNouveau = d->FormeArgument(cNouveau);
    if (d->ChercheSection(FormeAncien) < 0)
        return false;
    if (FormeAncien == FormeNouveau) {
        if (cAncien == cNouveau)
            return false;
    } else if (const qint64 m = d->ChercheSection(FormeNouveau); m >= 0) {
        d->EffaceSection(size_t(m), FormeNouveau);
        d->NoteChangement(cNouveau, QString());
    }
    // Erasing may have squeezed the vector: the position is looked up again.
    const qint64 n = d->ChercheSection(FormeAncien);
    TDonnees::TSection &s = d->Sections[size_t(n)];
    d->IndexSections.Retire(Hache(FormeAncien), quint32(n));
    if (d->lSectionsEnDouble) {
        // A later section of the old name now answers for it.
        for (size_t i = size_t(n) + 1; i < d->Sections.size(); ++i) {
            if (!d->Sections[i].lEffacee && d->NomEgal(d->Sections[i], FormeAncien)) {
                d->IndexSections.Ajoute(Hache(FormeAncien), quint32(i));
                break;
            }
        }
    }
    d->Remplace(s.Entete, '[' + EncodeNom(cNouveau.toUtf8(), false) + ']');
    d->IndexeSection(quint32(n));
    d->NoteChangement(cAncien, QString());
    d->NoteChangement(cNouveau, QString());
    if (lAutoSave)
        UpdateFile();
    return true;
}

int TBigIniFile::RecleSection(const QString &cSection, const QString &cPrefixe,
                              const std::function<QString(const QString &cCle)> &fnNouvelle)
{
    TDonnees::TSection *s = d->Section(cSection);
    if (!s)
        return 0;
    const QByteArray Prefixe = cPrefixe.toUtf8();
    auto Decodee = [](QByteArrayView Brute) {
        return ContientPourcent(Brute) ? DecodeNom(Brute) : Brute.toByteArray();
    };
    // First pass: the new key of every offered line, without touching the section.
    std::vector<std::pair<size_t, QByteArray>> Nouvelles;
    QSet<QByteArray> Cibles;
    for (size_t i = 0; i < s->Lignes.size(); ++i) {
        const TDonnees::TLigne &l = s->Lignes[i];
        if (!TDonnees::EstCle(l))
            continue;
        const QByteArrayView Brute = d->CleBrute(l);
        // The prefix is compared decoded only when the raw key holds an escape.
        if (!(ContientPourcent(Brute) ? DecodeNom(Brute).startsWith(Prefixe) : Brute.startsWith(Prefixe)))
            continue;
        const QString cNouvelle = fnNouvelle(VersTexte(Decodee(Brute)));
        if (cNouvelle.isEmpty())
            continue;
        Nouvelles.emplace_back(i, cNouvelle.toUtf8());
    }
    if (Nouvelles.empty())
        return 0;
    std::vector<char> Recles(s->Lignes.size(), 0);
    std::vector<char> Retirees(s->Lignes.size(), 0);
    for (auto &[i, Cle] : Nouvelles) {
        if (Cibles.contains(Cle))
            Retirees[i] = 1;
        else {
            Cibles.insert(Cle);
            Recles[i] = 1;
        }
    }
    for (size_t i = 0; i < s->Lignes.size(); ++i) {
        const TDonnees::TLigne &l = s->Lignes[i];
        if (TDonnees::EstCle(l) && !Recles[i] && !Retirees[i] && Cibles.contains(Decodee(d->CleBrute(l))))
            Retirees[i] = 1;
    }
    // The section's lines are rebuilt in their order; untouched lines keep their bytes.
    std::vector<TDonnees::TLigne> Lignes;
    Lignes.reserve(s->Lignes.size());
    size_t k = 0;
    int nRecles = 0;
    for (size_t i = 0; i < s->Lignes.size(); ++i) {
        TDonnees::TLigne l = s->Lignes[i];
        if (!l.Vivante())
            continue;
        if (Retirees[i]) {
            d->nMorts += l.nLong;
            continue;
        }
        if (Recles[i]) {
            while (Nouvelles[k].first != i)
                ++k;
            const QByteArray Valeur = d->Vue(l).sliced(l.nEgal + 1).toByteArray();
            d->nMorts += l.nLong;
            l = d->Ajoute(LigneCle(EncodeNom(Nouvelles[k].second, true), Valeur));
            ++nRecles;
        }
        Lignes.push_back(l);
    }
    s->Lignes = std::move(Lignes);
    s->Cles.reset();
    s->nTrous = 0;
    s->lClesEnDouble = false;
    if (qsizetype(s->Lignes.size()) > SeuilIndexCles)
        d->IndexeCles(*s);
    d->NoteChangement(cSection, QString());
    if (lAutoSave)
        UpdateFile();
    return nRecles;
}

bool TBigIniFile::UpdateFile()
{
    d->cCopieConservee.clear();
    if (d->lIllisible) {
        d->cErreur =
            QStringLiteral("illisible au chargement (%1) : le fichier n'est pas remplacé").arg(d->cErreurLecture);
        return false;
    }
    const TEtatFichier Present = EtatFichier(d->cNomFichier);
    if (Present.lExiste && Present != d->Etat && Present != d->EtatGarde) {
        QString cRaison;
        const QString cCopie = ConserveCopieDatee(d->cNomFichier, QDateTime::currentDateTime(), &cRaison);
        if (cCopie.isEmpty()) {
            d->cErreur = QStringLiteral("modifié par un autre programme, dont la version n'a pas pu être gardée (%1)")
                             .arg(cRaison);
            return false;
        }
        d->EtatGarde = Present;
        d->cCopieEnAttente = cCopie;
    }
    // The rebuilt text is the file to write; it stays the store's text even if the write fails.
    d->Reconstruit();
    if (!EcritFichierAtomique(d->cNomFichier, d->Texte, &d->cErreur, &d->Etat))
        return false;
    d->cErreur.clear();
    d->cCopieConservee = std::exchange(d->cCopieEnAttente, QString());
    d->EtatGarde = {};
    d->lModifie = false;
    return true;
}

bool TBigIniFile::Illisible() const
{
    return d->lIllisible;
}

QString TBigIniFile::ErreurLecture() const
{
    return d->cErreurLecture;
}

QString TBigIniFile::DerniereErreur() const
{
    return d->cErreur;
}

QString TBigIniFile::CopieConservee() const
{
    return d->cCopieConservee;
}

qint64 TBigIniFile::LongueurMaxLigne()
{
    return nLongueurMaxLigne;
}

qint64 TBigIniFile::FixeLongueurMaxLigne(qint64 nLongueur)
{
    return std::exchange(nLongueurMaxLigne, std::min<qint64>(nLongueur, std::numeric_limits<qint32>::max()));
}

bool TBigIniFile::SectionExists(const QString &cSection) const
{
    return d->Section(cSection) != nullptr;
}

bool TBigIniFile::ValueExists(const QString &cSection, const QString &cCle) const
{
    TDonnees::TSection *s = d->Section(cSection);
    return s && d->AvecCle(cCle, [&](QByteArrayView Cle) { return d->ChercheCle(*s, Cle); }) >= 0;
}

bool TBigIniFile::Modifie() const
{
    return d->lModifie;
}

quint64 TBigIniFile::Generation() const
{
    return d->nGeneration;
}

quint64 TBigIniFile::GenerationSection(const QString &cSection) const
{
    const QByteArray Forme = d->FormeArgument(cSection);
    const qint64 n = d->ChercheSection(Forme);
    const quint64 nSection = n < 0 ? 0 : d->Sections[size_t(n)].nGeneration;
    return std::max(nSection, d->GenerationsSections.value(Forme, 0));
}

bool TBigIniFile::ChangementsDepuis(quint64 nDepuis, std::vector<TChangement> &Liste) const
{
    Liste.clear();
    if (nDepuis > d->nGeneration || d->nGeneration - nDepuis > d->Journal.size())
        return false;
    Liste.assign(d->Journal.end() - qsizetype(d->nGeneration - nDepuis), d->Journal.end());
    return true;
}

void EnregistreSiModifie(TBigIniFile &ini, bool &lModifie, QStringList &cErreurs)
{
    if (!lModifie)
        return;
    if (ini.UpdateFile())
        lModifie = false;
    else
        cErreurs << QStringLiteral("Le catalogue n'a pas pu être enregistré : %1").arg(ini.FileName());
}
