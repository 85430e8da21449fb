#include "classification/Modele.h"

namespace
{
char16_t MajAscii(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}
} // namespace

QString TErreurModele::Message() const
{
    return QStringLiteral("'%1' est un masque incorrect à (%2)").arg(cModele).arg(nPosition);
}

EModeleIncorrect::EModeleIncorrect(TErreurModele Erreur) : m_Erreur(std::move(Erreur))
{
    m_cQuoi = m_Erreur.Message().toStdString();
}

TModele::TModele(const QString &cModele)
{
    TErreurModele Erreur;
    std::optional<TModele> m = Compile(cModele, &Erreur);
    if (!m)
        throw EModeleIncorrect(std::move(Erreur));
    *this = std::move(*m);
}

std::optional<TModele> TModele::Compile(const QString &cModele, TErreurModele *pErreur)
{
    auto Faute = [&](qsizetype nIndex) -> std::optional<TModele> {
        if (pErreur)
            *pErreur = {cModele, int(nIndex + 1)};
        return std::nullopt;
    };

    TModele m;
    m.m_cModele = cModele;
    const qsizetype n = cModele.size();
    bool lEtoile = false;
    int nNbEtoiles = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = cModele.at(i).unicode();
        if (c == u'*') {
            if (!lEtoile && ++nNbEtoiles > nMaxEtoiles)
                return Faute(i);
            lEtoile = true;
            continue;
        }
        TElement e;
        e.lEtoile = lEtoile;
        if (c == u'?') {
            // "*?" is the same as "*": the run may already hold that character.
            if (i > 0 && cModele.at(i - 1) == u'*')
                continue;
            e.nGenre = TGenre::NImporte;
        } else if (c == u'[') {
            const qsizetype nDebut = i;
            qsizetype j = i + 1;
            e.nGenre = TGenre::Ensemble;
            if (j < n && cModele.at(j) == u'!') {
                e.nGenre = TGenre::EnsembleNie;
                ++j;
            }
            e.nPremiere = int(m.m_Plages.size());
            // A character that may still become the start of a range.
            bool lDebutPossible = false;
            for (;; ++j) {
                if (j >= n)
                    return Faute(nDebut);
                const char16_t d = MajAscii(cModele.at(j).unicode());
                if (d == u']') {
                    if (e.nNbPlages == 0)
                        return Faute(j);
                    break;
                }
                if (d == u'-') {
                    if (!lDebutPossible)
                        return Faute(j);
                    // A "-" just before the closing bracket stands for itself.
                    if (j + 1 < n && cModele.at(j + 1) != u']') {
                        ++j;
                        m.m_Plages.back().cA = MajAscii(cModele.at(j).unicode());
                        lDebutPossible = false;
                        continue;
                    }
                }
                m.m_Plages.push_back({d, d});
                ++e.nNbPlages;
                lDebutPossible = d != u'-';
            }
            i = j;
        } else {
            e.nGenre = TGenre::Caractere;
            e.c = MajAscii(c);
        }
        m.m_Elements.push_back(e);
        lEtoile = false;
    }
    m.m_lEtoileFinale = lEtoile;
    return m;
}

bool TModele::ElementCorrespond(const TElement &e, char16_t c) const noexcept
{
    switch (e.nGenre) {
    case TGenre::Caractere: return e.c == MajAscii(c);
    case TGenre::NImporte: return true;
    case TGenre::Ensemble:
    case TGenre::EnsembleNie: {
        const char16_t d = MajAscii(c);
        bool lDans = false;
        for (int k = e.nPremiere; k < e.nPremiere + e.nNbPlages && !lDans; ++k)
            lDans = d >= m_Plages[size_t(k)].cDe && d <= m_Plages[size_t(k)].cA;
        return lDans != (e.nGenre == TGenre::EnsembleNie);
    }
    }
    return false;
}

bool TModele::Correspond(QStringView cTexte) const noexcept
{
    const size_t nNbElements = m_Elements.size();
    const qsizetype nLongueur = cTexte.size();
    size_t j = 0;
    qsizetype i = 0;
    // The last wildcard met: the item after it and the text position it was tried at. Retrying
    // an earlier wildcard can never help, since the last one may absorb whatever it would.
    size_t jReprise = SIZE_MAX;
    qsizetype iReprise = 0;
    while (i < nLongueur) {
        if (j < nNbElements && m_Elements[j].lEtoile && jReprise != j) {
            jReprise = j;
            iReprise = i;
        }
        if (j < nNbElements && ElementCorrespond(m_Elements[j], cTexte[i].unicode())) {
            ++i;
            ++j;
            continue;
        }
        if (j == nNbElements && m_lEtoileFinale)
            return true;
        if (jReprise == SIZE_MAX)
            return false;
        j = jReprise;
        i = ++iReprise;
    }
    return j == nNbElements;
}

bool CorrespondModele(const QString &cTexte, const QString &cModele)
{
    return TModele(cModele).Correspond(cTexte);
}
