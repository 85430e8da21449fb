#include "classification/TriFrancais.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <array>
#include <cstring>
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
    // By character code below 256: the first-level rank (0: not covered) and the accent's rank
    // (0: none).
    std::array<quint8, 256> Primaire{};
    std::array<quint8, 256> Accent{};
    bool lValable = false;

    bool Cle(QStringView c, std::string &Cle) const
    {
        const size_t nDebut = Cle.size();
        // At most three bytes a character: its rank, and for a text with accents its mark of
        // no accent or its accent's rank.
        Cle.resize(nDebut + 3 * size_t(c.size()) + 1);
        char *p = Cle.data() + nDebut;
        quint8 nAccents = 0;
        for (const QChar ch : c) {
            const char16_t u = ch.unicode();
            if (u > 0xFF || Primaire[u] == 0) {
                Cle.resize(nDebut);
                return false;
            }
            *p++ = char(Primaire[u]);
            nAccents |= Accent[u];
        }
        // A text without accents ends here: before any text of the same letters with accents.
        *p++ = '\0';
        if (nAccents)
            for (const QChar ch : c) {
                *p++ = '\1';
                if (const quint8 n = Accent[ch.unicode()])
                    *p++ = char(n);
            }
        Cle.resize(size_t(p - Cle.data()));
        return true;
    }
};

// Texts where the levels and the punctuation decide, on which the table must agree with the
// collator before it is used.
const char *const Epreuves[] = {"",       "a",      "A",       "à",      "À",       "â",       "ä",      "b",
                                "ab",     "a b",    "a-b",     "a_b",    "a.b",     "a/b",     "a'b",    "a,b",
                                "a b/c",  "a/b c",  "a/bc",    "ab/c",   "cote",    "côte",    "coté",   "côté",
                                "Côte",   "COTE",   "e",       "é",      "è",       "ê",       "ë",      "É",
                                "ea",     "éa",     "eá",      "ée",     "eé",      "1",       "10",     "2",
                                "a1",     "a10",    "a2",      "c",      "ç",       "ca",      "ça",     "cz",
                                "n",      "ñ",      "y",       "ý",      "ÿ",       "i",       "ï",      "o",
                                "ô",      "u",      "ù",       "Noël",   "Noel",    "noël",    "Noëla",  "Noelb",
                                "[2004]", "(2004)", "{2004}",  "Week-end", "Weekend", "Week end", "#a", "~a",
                                "a~",     "a!",     "a?",      "a@b",    "a&b",     "a+b",     "a=b",    "a%b"};

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
        t.Primaire[Ascii[i]] = quint8(nRang);
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
    quint32 nDebut;
    quint32 nLongueur;
    int nPos;
};

// The key's byte at a depth, plus one; 0 past its end.
inline int Octet(const TRapide &r, const char *pOctets, size_t d)
{
    return d < r.nLongueur ? int(quint8(pOctets[r.nDebut + d])) + 1 : 0;
}

// Keys sorted by three-way radix quicksort: the keys share long beginnings (a catalogue's
// paths), which a comparison sort would read again at each comparison. Equal keys are ordered
// by their texts. d: the depth below which the keys of a..a+n are equal.
void TriCles(TRapide *a, size_t n, size_t d, const char *pOctets, const std::function<QStringView(qsizetype)> &Texte)
{
    auto ParTexte = [&](const TRapide &x, const TRapide &y) { return Texte(x.nPos) < Texte(y.nPos); };
    while (n > 1) {
        if (n < 12) {
            // Few keys: insertion by comparing what lies past the depth.
            auto Avant = [&](const TRapide &x, const TRapide &y) {
                const std::string_view u(pOctets + x.nDebut + d, x.nLongueur - d);
                const std::string_view v(pOctets + y.nDebut + d, y.nLongueur - d);
                if (const int c = u.compare(v); c != 0)
                    return c < 0;
                return ParTexte(x, y);
            };
            for (size_t i = 1; i < n; ++i)
                for (size_t j = i; j > 0 && Avant(a[j], a[j - 1]); --j)
                    std::swap(a[j], a[j - 1]);
            return;
        }
        // The median of three bytes as pivot.
        const int x = Octet(a[0], pOctets, d), y = Octet(a[n / 2], pOctets, d), z = Octet(a[n - 1], pOctets, d);
        const int nPivot = std::max(std::min(x, y), std::min(std::max(x, y), z));
        // Three-way partition: [0, lt) below, [lt, gt) equal, [gt, n) above.
        size_t lt = 0, i = 0, gt = n;
        while (i < gt) {
            const int c = Octet(a[i], pOctets, d);
            if (c < nPivot)
                std::swap(a[lt++], a[i++]);
            else if (c > nPivot)
                std::swap(a[i], a[--gt]);
            else
                ++i;
        }
        TriCles(a, lt, d, pOctets, Texte);
        TriCles(a + gt, n - gt, d, pOctets, Texte);
        if (nPivot == 0) {
            // Keys ended together: equal keys.
            std::sort(a + lt, a + gt, ParTexte);
            return;
        }
        a += lt;
        n = gt - lt;
        ++d;
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
    std::string Octets;
    std::vector<TRapide> Rapides;
    std::vector<int> Lents;
    Rapides.reserve(size_t(nNombre));
    Octets.reserve(size_t(nNombre) * 64);
    for (qsizetype i = 0; i < nNombre; ++i) {
        const size_t nDebut = Octets.size();
        if (t.lValable && t.Cle(Texte(i), Octets))
            Rapides.push_back({quint32(nDebut), quint32(Octets.size() - nDebut), int(i)});
        else
            Lents.push_back(int(i));
    }
    // The beginning every key shares (a catalogue's root folder) is not read again.
    size_t nCommun = Rapides.empty() ? 0 : Rapides.front().nLongueur;
    for (const TRapide &r : Rapides) {
        const char *p = Octets.data() + Rapides.front().nDebut, *q = Octets.data() + r.nDebut;
        size_t k = 0;
        const size_t nMax = std::min<size_t>(nCommun, r.nLongueur);
        while (k < nMax && p[k] == q[k])
            ++k;
        nCommun = k;
    }
    TriCles(Rapides.data(), Rapides.size(), nCommun, Octets.data(), Texte);
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
