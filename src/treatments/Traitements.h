#pragma once
// The eight image treatments: their codes, their parameter texts and the descriptions shown
// in menus and hints. The texts are read at fixed character positions, the way they are
// written, so a hand-edited or damaged text never throws: a field that does not convert reads
// as 0, a value out of range is brought back into it, an unknown letter or digit does nothing.

#include <QChar>
#include <QString>

#include <array>

// Operation codes, in the order used everywhere (remembered sections, descriptions, engine).
enum TCodeTrt : int {
    nTrtRotationGauche = 0,
    nTrtRotationDroite = 1,
    nTrtMiroirH = 2,
    nTrtMiroirV = 3,
    nTrtNoirEtBlanc = 4,
    nTrtContrasteLuminosite = 5,
    nTrtNegatif = 6,
    nTrtCanaux = 7,
};
inline constexpr int nNbCodesTrt = 8;

// True for the codes that change colours without moving pixels (4 to 7).
constexpr bool EstTrtCouleur(int nCode)
{
    return nCode >= nTrtNoirEtBlanc && nCode <= nTrtCanaux;
}

inline const QString cParamNBDefaut = QStringLiteral("{ 30: 60: 10}");
inline const QString cParamCLDefaut = QStringLiteral("{   0:   0:   0:   0:   0:   0}");
inline const QString cParamCanauxDefaut = QStringLiteral("{D=0:A=0:I=0}");

// Black and white: the weights of red, green and blue, in per cent (0..100 each; they need not
// sum to 100).
struct TParamNB
{
    int nRouge = 0, nVert = 0, nBleu = 0;
    bool operator==(const TParamNB &) const = default;
};
TParamNB LitParamNB(const QString &cParam);
// "{%3d:%3d:%3d}", the values brought into 0..100 first.
QString TexteParamNB(const TParamNB &p);

// Contrast then luminosity, per channel (red, green, blue), in per cent (-100..100).
struct TParamCL
{
    std::array<int, 3> nContraste{0, 0, 0};
    std::array<int, 3> nLuminosite{0, 0, 0};
    bool operator==(const TParamCL &) const = default;
};
TParamCL LitParamCL(const QString &cParam);
// "{%4d:%4d:%4d:%4d:%4d:%4d}", the values brought into -100..100 first.
QString TexteParamCL(const TParamCL &p);

// The channel groups, each a letter and a digit, in their order of application.
inline constexpr QChar cGroupeDominantes = u'D';
inline constexpr QChar cGroupeAffectations = u'A';
inline constexpr QChar cGroupeInversions = u'I';
struct TGroupeCanaux
{
    QChar cLettre;    // 'D', 'A', 'I', or whatever the text held
    int nChiffre = 0; // 0 = nothing; -1 when the character is not a digit
    bool operator==(const TGroupeCanaux &) const = default;
};
struct TParamCanaux
{
    std::array<TGroupeCanaux, 3> Groupes{TGroupeCanaux{cGroupeDominantes, 0}, TGroupeCanaux{cGroupeAffectations, 0},
                                         TGroupeCanaux{cGroupeInversions, 0}};
    bool operator==(const TParamCanaux &) const = default;
};
// The letters at characters 2, 6 and 10, the digits at 4, 8 and 12, as they stand.
TParamCanaux LitParamCanaux(const QString &cParam);
// "{%s=%d:%s=%d:%s=%d}"; a digit that was not one is written as 0.
QString TexteParamCanaux(const TParamCanaux &p);

// "Dominantes", "Affectations", "Inversions" for 'D', 'A', 'I'; empty for another letter.
QString NomGroupeCanaux(QChar cLettre);
// How many choices a group offers (6, 6, 3), 0 for an unknown letter.
int NbChoixGroupeCanaux(QChar cLettre);
// The caption of choice nChiffre (1..) of a group ("Rouge", "Rouge <- Vert", "Vert <-> Bleu"...);
// empty when the group or the digit is unknown.
QString LibelleChoixCanaux(QChar cLettre, int nChiffre);

// The human-readable parameter text of code letter N (black and white), C (contrast,
// luminosity) or X (channels), as menus and hints show it.
QString DescriptionTrt(QChar cCode, const QString &cParam);
