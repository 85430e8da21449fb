#pragma once
// Patterns ("modèles") as every mask test of the program writes them: "*" for any run of
// characters, "?" for one character, "[...]" for one character of a set (ranges "a-z", "!"
// right after "[" to negate), anything else for itself. Letters a-z and A-Z match without
// regard to case (plain ASCII upper-casing on both sides); accented letters must be equal.
// The pattern covers the whole text.
//
// A pattern is compiled once into a list of one-character items, each possibly preceded by a
// wildcard run, and then matched against any number of texts. Matching keeps only the last
// wildcard to retry, which is enough because every item matches exactly one character: the
// cost is at most text length × item count, whatever the number of stars.

#include <QString>
#include <QStringView>

#include <exception>
#include <optional>
#include <string>
#include <vector>

// Where and why a pattern does not compile: the pattern as given and the 1-based position of
// the fault.
struct TErreurModele
{
    QString cModele;
    int nPosition = 0;

    // "'%s' est un masque incorrect à (%d)"
    QString Message() const;
};

class EModeleIncorrect : public std::exception
{
public:
    explicit EModeleIncorrect(TErreurModele Erreur);
    const TErreurModele &Erreur() const noexcept { return m_Erreur; }
    const char *what() const noexcept override { return m_cQuoi.c_str(); }

private:
    TErreurModele m_Erreur;
    std::string m_cQuoi;
};

class TModele
{
public:
    // More "*" groups than this make a pattern invalid.
    static constexpr int nMaxEtoiles = 30;

    // The empty pattern, which matches the empty text only.
    TModele() = default;

    // Compiles the pattern; throws EModeleIncorrect when it is invalid.
    explicit TModele(const QString &cModele);

    // Compiles without throwing: nothing, and the fault in pErreur when given, for an invalid
    // pattern.
    static std::optional<TModele> Compile(const QString &cModele, TErreurModele *pErreur = nullptr);

    bool Correspond(QStringView cTexte) const noexcept;

    const QString &Texte() const noexcept { return m_cModele; }

private:
    enum class TGenre : unsigned char { Caractere, NImporte, Ensemble, EnsembleNie };
    struct TElement
    {
        TGenre nGenre = TGenre::Caractere;
        // A wildcard run stands before this item.
        bool lEtoile = false;
        char16_t c = 0;
        // Index of the first range of the set in m_Plages and the number of ranges.
        int nPremiere = 0;
        int nNbPlages = 0;
    };
    struct TPlage
    {
        char16_t cDe = 0, cA = 0;
    };

    bool ElementCorrespond(const TElement &e, char16_t c) const noexcept;

    QString m_cModele;
    std::vector<TElement> m_Elements;
    std::vector<TPlage> m_Plages;
    // A wildcard run ends the pattern.
    bool m_lEtoileFinale = false;
};

// The text against the pattern; throws EModeleIncorrect when the pattern is invalid. Callers
// testing many texts compile a TModele once instead.
bool CorrespondModele(const QString &cTexte, const QString &cModele);
