#include "classification/TriFrancais.h"

#include <QCollator>
#include <QLocale>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <numeric>

namespace
{
QCollator CollateurFrancais()
{
    QCollator c{QLocale(QLocale::French, QLocale::France)};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

int Signe(int n)
{
    return (n > 0) - (n < 0);
}

struct TTable
{
    // By character code below 256: the first-level rank from 2 (0: not covered) and the
    // accent's rank from 2 (0: none). A key never holds a zero byte: 1 closes the first level
    // and stands for no accent, so that a shorter key is a key that ended.
    std::array<quint8, 256> Primaire{};
    std::array<quint8, 256> Accent{};
    bool lValable = false;

    // Writes a text's key at p, which has room for 3 bytes a character and one more; its
    // length, or -1 for a text with a character outside the table.
    qsizetype Ecrit(QStringView c, char *const pDebut) const
    {
        char *p = pDebut;
        quint8 nAccents = 0;
        for (const QChar ch : c) {
            const char16_t u = ch.unicode();
            if (u > 0xFF || Primaire[u] == 0)
                return -1;
            *p++ = char(Primaire[u]);
            nAccents |= Accent[u];
        }
        // A text without accents ends here: before any text of the same letters with accents.
        *p++ = '\1';
        if (nAccents)
            for (const QChar ch : c) {
                *p++ = '\1';
                if (const quint8 n = Accent[ch.unicode()])
                    *p++ = char(n);
            }
        return p - pDebut;
    }
    bool Cle(QStringView c, std::string &Cle) const
    {
        const size_t nDebut = Cle.size();
        Cle.resize(nDebut + 3 * size_t(c.size()) + 1);
        const qsizetype n = Ecrit(c, Cle.data() + nDebut);
        Cle.resize(n < 0 ? nDebut : nDebut + size_t(n));
        return n >= 0;
    }
};

// Texts where the levels and the punctuation decide, on which the table must agree with the
// collator before it is used.
const char *const Epreuves[] = {
    "",     "a",    "A",     "à",     "À",      "â",      "ä",      "b",        "ab",      "a b",      "a-b",  "a_b",
    "a.b",  "a/b",  "a'b",   "a,b",   "a b/c",  "a/b c",  "a/bc",   "ab/c",     "cote",    "côte",     "coté", "côté",
    "Côte", "COTE", "e",     "é",     "è",      "ê",      "ë",      "É",        "ea",      "éa",       "eá",   "ée",
    "eé",   "1",    "10",    "2",     "a1",     "a10",    "a2",     "c",        "ç",       "ca",       "ça",   "cz",
    "n",    "ñ",    "y",     "ý",     "ÿ",      "i",      "ï",      "o",        "ô",       "u",        "ù",    "Noël",
    "Noel", "noël", "Noëla", "Noelb", "[2004]", "(2004)", "{2004}", "Week-end", "Weekend", "Week end", "#a",   "~a",
    "a~",   "a!",   "a?",    "a@b",   "a&b",    "a+b",    "a=b",    "a%b"};

TTable FaitTable()
{
    TTable t;
    QCollator Col = CollateurFrancais();
    // The printable ASCII characters by the collator, equal ones (a case pair) sharing a rank.
    std::vector<char16_t> Ascii;
    for (char16_t u = 0x20; u < 0x7F; ++u)
        if (Col.compare(QString(QChar(u)), QString()) != 0)
            Ascii.push_back(u);
    std::stable_sort(Ascii.begin(), Ascii.end(),
                     [&](char16_t a, char16_t b) { return Col.compare(QString(QChar(a)), QString(QChar(b))) < 0; });
    int nRang = 0;
    for (size_t i = 0; i < Ascii.size(); ++i) {
        if (i == 0 || Col.compare(QString(QChar(Ascii[i - 1])), QString(QChar(Ascii[i]))) != 0)
            ++nRang;
        t.Primaire[Ascii[i]] = quint8(nRang + 1);
    }
    // The accents of the Latin-1 letters, ranked by the collator on one base letter, after the
    // mark of no accent (1).
    std::vector<char16_t> Marques;
    for (char16_t u = 0xC0; u <= 0xFF; ++u) {
        const QString cNfd = QString(QChar(u)).normalized(QString::NormalizationForm_D);
        if (cNfd.size() == 2 && cNfd[0].unicode() < 0x7F && t.Primaire[cNfd[0].unicode()] != 0
            && std::find(Marques.begin(), Marques.end(), cNfd[1].unicode()) == Marques.end())
            Marques.push_back(cNfd[1].unicode());
    }
    auto AvecMarque = [](char16_t m) { return QStringLiteral("a") + QChar(m); };
    std::stable_sort(Marques.begin(), Marques.end(),
                     [&](char16_t a, char16_t b) { return Col.compare(AvecMarque(a), AvecMarque(b)) < 0; });
    for (size_t i = 1; i < Marques.size(); ++i)
        if (Col.compare(AvecMarque(Marques[i - 1]), AvecMarque(Marques[i])) == 0)
            return t; // two accents the collator does not tell apart: not modelled
    for (char16_t u = 0xC0; u <= 0xFF; ++u) {
        const QString cNfd = QString(QChar(u)).normalized(QString::NormalizationForm_D);
        if (cNfd.size() != 2 || cNfd[0].unicode() >= 0x7F)
            continue;
        const auto it = std::find(Marques.begin(), Marques.end(), cNfd[1].unicode());
        if (it == Marques.end() || t.Primaire[cNfd[0].unicode()] == 0)
            continue;
        t.Primaire[u] = t.Primaire[cNfd[0].unicode()];
        t.Accent[u] = quint8(2 + (it - Marques.begin()));
    }

    // The table is used only when it orders every pair of the test texts as the collator does.
    t.lValable = true;
    std::vector<QString> Textes;
    for (const char *c : Epreuves)
        Textes.push_back(QString::fromUtf8(c));
    std::vector<std::string> Cles(Textes.size());
    for (size_t i = 0; i < Textes.size(); ++i)
        if (!t.Cle(Textes[i], Cles[i])) {
            t.lValable = false;
            return t;
        }
    for (size_t i = 0; i < Textes.size(); ++i)
        for (size_t j = i + 1; j < Textes.size(); ++j)
            if (Signe(Cles[i].compare(Cles[j])) != Signe(Col.compare(Textes[i], Textes[j]))) {
                t.lValable = false;
                return t;
            }
    return t;
}

const TTable &Table()
{
    static const TTable t = FaitTable();
    return t;
}

struct TRapide
{
    quint64 nCache; // the key's eight bytes at the depth being sorted, big-endian, 0 past its end
    quint32 nDebut;
    quint32 nLongueur;
    int nPos;
};

// Keys sorted eight bytes at a time: at each depth the keys are ordered by the eight bytes
// there, held beside them, and each run of equal bytes is sorted at the next depth. The keys
// of a catalogue share long beginnings, which a comparison sort would read again from the
// keys at each comparison. Equal keys are ordered by their texts.
void TriCles(TRapide *a, size_t n, size_t d, const char *pOctets, const std::function<QStringView(qsizetype)> &Texte)
{
    if (n < 2)
        return;
    for (size_t i = 0; i < n; ++i) {
        TRapide &r = a[i];
        if (d + 8 <= r.nLongueur) {
            quint64 v;
            std::memcpy(&v, pOctets + r.nDebut + d, 8);
            r.nCache = qFromBigEndian(v);
        } else {
            quint64 v = 0;
            for (size_t k = 0; k < 8; ++k)
                v = (v << 8) | (d + k < r.nLongueur ? quint8(pOctets[r.nDebut + d + k]) : 0u);
            r.nCache = v;
        }
    }
    std::sort(a, a + n, [](const TRapide &x, const TRapide &y) { return x.nCache < y.nCache; });
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && a[j].nCache == a[i].nCache)
            ++j;
        if (j - i > 1) {
            if ((a[i].nCache & 0xFF) == 0) {
                // The keys ended: equal keys.
                std::sort(a + i, a + j,
                          [&](const TRapide &x, const TRapide &y) { return Texte(x.nPos) < Texte(y.nPos); });
            } else {
                TriCles(a + i, j - i, d + 8, pOctets, Texte);
            }
        }
        i = j;
    }
}
} // namespace

namespace TriFrancais
{
bool Rapide()
{
    return Table().lValable;
}

bool CleRapide(QStringView cTexte, std::string &Cle)
{
    const TTable &t = Table();
    return t.lValable && t.Cle(cTexte, Cle);
}

std::vector<int> Ordre(qsizetype nNombre, const std::function<QStringView(qsizetype)> &Texte)
{
    const TTable &t = Table();
    // The texts with keys of their own, their keys in one buffer; the others apart.
    size_t nPlace = 0;
    for (qsizetype i = 0; i < nNombre; ++i)
        nPlace += 3 * size_t(Texte(i).size()) + 1;
    // Not initialised: only what the keys take is written, and read.
    const std::unique_ptr<char[]> Tampon(t.lValable ? new char[nPlace] : nullptr);
    const char *const pOctets = Tampon.get();
    size_t nFin = 0;
    std::vector<TRapide> Rapides;
    std::vector<int> Lents;
    Rapides.reserve(size_t(nNombre));
    for (qsizetype i = 0; i < nNombre; ++i) {
        const qsizetype n = t.lValable ? t.Ecrit(Texte(i), Tampon.get() + nFin) : -1;
        if (n >= 0) {
            Rapides.push_back({0, quint32(nFin), quint32(n), int(i)});
            nFin += size_t(n);
        } else {
            Lents.push_back(int(i));
        }
    }
    // The beginning every key shares (a catalogue's root folder) is not read again.
    size_t nCommun = Rapides.empty() ? 0 : Rapides.front().nLongueur;
    for (const TRapide &r : Rapides) {
        const char *p = pOctets + Rapides.front().nDebut, *q = pOctets + r.nDebut;
        size_t k = 0;
        const size_t nMax = std::min<size_t>(nCommun, r.nLongueur);
        while (k < nMax && p[k] == q[k])
            ++k;
        nCommun = k;
    }
    TriCles(Rapides.data(), Rapides.size(), nCommun, pOctets, Texte);
    std::vector<int> Resultat;
    Resultat.reserve(size_t(nNombre));
    if (Lents.empty()) {
        for (const TRapide &r : Rapides)
            Resultat.push_back(r.nPos);
        return Resultat;
    }

    // The others by the collator's keys, made once per text.
    const QCollator Col = CollateurFrancais();
    {
        std::vector<QCollatorSortKey> Cles;
        Cles.reserve(Lents.size());
        for (int i : Lents)
            Cles.push_back(Col.sortKey(Texte(i).toString()));
        std::vector<int> Ordre(Lents.size());
        std::iota(Ordre.begin(), Ordre.end(), 0);
        std::sort(Ordre.begin(), Ordre.end(), [&](int a, int b) {
            if (const int n = Cles[size_t(a)].compare(Cles[size_t(b)]); n != 0)
                return n < 0;
            return Texte(Lents[size_t(a)]) < Texte(Lents[size_t(b)]);
        });
        std::vector<int> Tries;
        Tries.reserve(Lents.size());
        for (int k : Ordre)
            Tries.push_back(Lents[size_t(k)]);
        Lents = std::move(Tries);
    }
    // Merged: each of them finds its place after the last one's by a galloping search.
    auto Avant = [&](int a, int b) {
        if (const int n = Col.compare(Texte(a), Texte(b)); n != 0)
            return n < 0;
        return Texte(a) < Texte(b);
    };
    size_t j = 0;
    for (int l : Lents) {
        size_t nPas = 1, nBas = j;
        while (j + nPas <= Rapides.size() && !Avant(l, Rapides[j + nPas - 1].nPos)) {
            nBas = j + nPas;
            nPas *= 2;
        }
        const size_t nHaut = std::min(j + nPas - 1, Rapides.size());
        const auto it = std::partition_point(Rapides.begin() + qsizetype(nBas), Rapides.begin() + qsizetype(nHaut),
                                             [&](const TRapide &r) { return !Avant(l, r.nPos); });
        const size_t nFin = size_t(it - Rapides.begin());
        for (; j < nFin; ++j)
            Resultat.push_back(Rapides[j].nPos);
        Resultat.push_back(l);
    }
    for (; j < Rapides.size(); ++j)
        Resultat.push_back(Rapides[j].nPos);
    return Resultat;
}
} // namespace TriFrancais
