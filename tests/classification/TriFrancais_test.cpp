#include "classification/TriFrancais.h"

#include <QCollator>
#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

namespace
{
QCollator Collateur()
{
    QCollator c{QLocale(QLocale::French, QLocale::France)};
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

// Random texts over an alphabet of letters of both cases with and without accents,
// punctuation, spaces, digits and "/", short enough for ties and shared beginnings.
std::vector<QString> Textes(std::mt19937 &Alea, const QString &cAlphabet, int nNombre, int nLongueurMax)
{
    std::vector<QString> v;
    for (int i = 0; i < nNombre; ++i) {
        QString c;
        const int n = int(Alea() % unsigned(nLongueurMax + 1));
        for (int k = 0; k < n; ++k)
            c += cAlphabet[qsizetype(Alea() % unsigned(cAlphabet.size()))];
        v.push_back(c);
    }
    return v;
}

// The texts as the collator orders them, equal ones by their codes.
std::vector<QString> SelonCollateur(std::vector<QString> v)
{
    const QCollator c = Collateur();
    std::sort(v.begin(), v.end(), [&](const QString &a, const QString &b) {
        if (const int n = c.compare(a, b); n != 0)
            return n < 0;
        return a < b;
    });
    return v;
}

std::vector<QString> SelonTri(const std::vector<QString> &v)
{
    std::vector<QString> r;
    for (int i : TriFrancais::Ordre(qsizetype(v.size()), [&](qsizetype k) { return QStringView(v[size_t(k)]); }))
        r.push_back(v[size_t(i)]);
    return r;
}

const QString cCouvert = QString::fromUtf8("aAbBcCeEzZ éÉèÈêëàÀâäçÇôöùûüîïñÑÿý-_./,;:'!?()[]{}@&#%+=~^$0129");

// Every printable ASCII character and every character from U+00A0 to U+00FF.
QString Latin1()
{
    QString c;
    for (char16_t u = 0x20; u <= 0xFF; ++u)
        if (u < 0x7F || u >= 0xA0)
            c += QChar(u);
    return c;
}
} // namespace

TEST(TriFrancais, OwnKeysOrderPairsAsTheCollator)
{
    // The keys are in use on this platform: otherwise every text goes through the collator and
    // the comparisons below would check nothing of them.
    ASSERT_TRUE(TriFrancais::Rapide());
    const QCollator c = Collateur();
    std::mt19937 Alea(7);
    // Short texts of a few characters for ties; then texts of every character the table takes.
    std::vector<QString> v = Textes(Alea, cCouvert, 3000, 7);
    QString cLarge;
    for (const QChar ch : Latin1()) {
        std::string Cle;
        if (TriFrancais::CleRapide(QString(ch), Cle))
            cLarge += ch;
    }
    EXPECT_EQ(cLarge.size(), 95 + 53) << "printable ASCII, and the Latin-1 letters that are a letter with an accent";
    for (const QString &c : Textes(Alea, cLarge, 3000, 5))
        v.push_back(c);
    std::vector<std::string> Cles(v.size());
    for (size_t i = 0; i < v.size(); ++i)
        ASSERT_TRUE(TriFrancais::CleRapide(v[i], Cles[i])) << v[i].toStdString();
    auto Signe = [](int n) { return (n > 0) - (n < 0); };
    int nEgaux = 0;
    for (size_t i = 0; i + 1 < v.size(); ++i)
        for (size_t j : {i + 1, size_t(Alea() % v.size())}) {
            const int nAttendu = Signe(c.compare(v[i], v[j]));
            nEgaux += nAttendu == 0;
            ASSERT_EQ(Signe(Cles[i].compare(Cles[j])), nAttendu) << v[i].toStdString() << " | " << v[j].toStdString();
        }
    // Case twins and empty texts make equal pairs, which must stay equal.
    EXPECT_GT(nEgaux, 0);

    // Characters outside the table leave the key as it was.
    std::string Cle = "x";
    EXPECT_FALSE(TriFrancais::CleRapide(QString::fromUtf8("cœur"), Cle));
    EXPECT_FALSE(TriFrancais::CleRapide(QString::fromUtf8("a\u0001b"), Cle));
    EXPECT_FALSE(TriFrancais::CleRapide(QString::fromUtf8("Straße"), Cle));
    EXPECT_EQ(Cle, "x");
}

TEST(TriFrancais, OrderEqualsTheCollatorsWithTextsInAndOutOfTheTable)
{
    std::mt19937 Alea(45);
    // Only covered texts; a mix with ligatures, sharp s, Greek, a control character and a
    // letter with a combining accent typed apart; texts all outside the table.
    const QString cMelange = cCouvert + QString::fromUtf8("œŒæßΩ\u0001e\u0301Łł");
    for (const auto &[cAlphabet, nLongueur] : {std::pair{cCouvert, 6}, std::pair{cMelange, 6}, std::pair{Latin1(), 4},
                                               std::pair{QString::fromUtf8("œßΩłŁ\u0301a"), 4}}) {
        const std::vector<QString> v = Textes(Alea, cAlphabet, 4000, nLongueur);
        EXPECT_EQ(SelonTri(v), SelonCollateur(v)) << cAlphabet.toStdString();
    }
    // Paths sharing a long beginning, as a catalogue's do, with folders differing by case,
    // accents, spaces and punctuation right after the shared part.
    std::vector<QString> Chemins;
    const char *const Dossiers[] = {"Été",  "ete",         "Ete",      "été 2004", "Noël",
                                    "noel", "[2004] Rome", "Week-end", "Weekend",  "Week end",
                                    "cœur", "a b",         "a",        "a-b",      "ÉTÉ"};
    for (int i = 0; i < 3000; ++i)
        Chemins.push_back(QString::fromUtf8("/home/ann/Photos/%1/IMG_%2.jpg")
                              .arg(QString::fromUtf8(Dossiers[Alea() % std::size(Dossiers)]))
                              .arg(Alea() % 500));
    EXPECT_EQ(SelonTri(Chemins), SelonCollateur(Chemins));
    EXPECT_TRUE(SelonTri({}).empty());
}
