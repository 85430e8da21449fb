#include "treatments/Traitements.h"

#include <algorithm>

namespace
{

// The field of nLongueur characters starting at character nDebut (counted from 1, the
// opening brace being character 1), as an integer; 0 when it does not convert.
int LitChamp(const QString &cParam, int nDebut, int nLongueur)
{
    bool lOk = false;
    const int n = cParam.mid(nDebut - 1, nLongueur).trimmed().toInt(&lOk);
    return lOk ? n : 0;
}

QString Champ(int n, int nLargeur)
{
    return QStringLiteral("%1").arg(n, nLargeur);
}

QChar Caractere(const QString &cParam, int nPosition)
{
    return nPosition - 1 < cParam.size() ? cParam.at(nPosition - 1) : QChar();
}

struct TGroupeDef
{
    QChar cLettre;
    const char16_t *cNom;
    std::array<const char16_t *, 6> cChoix;
    int nNbChoix;
};

const TGroupeDef Groupes[] = {
    {cGroupeDominantes, u"Dominantes", {u"Rouge", u"Verte", u"Bleue", u"Violette", u"Jaune", u"Cyan"}, 6},
    {cGroupeAffectations,
     u"Affectations",
     {u"Rouge <- Vert", u"Rouge <- Bleu", u"Vert <- Rouge", u"Vert <- Bleu", u"Bleu <- Rouge", u"Bleu <- Vert"},
     6},
    {cGroupeInversions,
     u"Inversions",
     {u"Rouge <-> Vert", u"Rouge <-> Bleu", u"Vert <-> Bleu", nullptr, nullptr, nullptr},
     3},
};

const TGroupeDef *Groupe(QChar cLettre)
{
    for (const TGroupeDef &g : Groupes)
        if (g.cLettre == cLettre)
            return &g;
    return nullptr;
}

} // namespace

TParamNB LitParamNB(const QString &cParam)
{
    TParamNB p;
    p.nRouge = std::clamp(LitChamp(cParam, 2, 3), 0, 100);
    p.nVert = std::clamp(LitChamp(cParam, 6, 3), 0, 100);
    p.nBleu = std::clamp(LitChamp(cParam, 10, 3), 0, 100);
    return p;
}

QString TexteParamNB(const TParamNB &p)
{
    return QStringLiteral("{%1:%2:%3}")
        .arg(Champ(std::clamp(p.nRouge, 0, 100), 3), Champ(std::clamp(p.nVert, 0, 100), 3),
             Champ(std::clamp(p.nBleu, 0, 100), 3));
}

TParamCL LitParamCL(const QString &cParam)
{
    TParamCL p;
    for (int i = 0; i < 3; ++i) {
        p.nContraste[i] = std::clamp(LitChamp(cParam, 2 + 5 * i, 4), -100, 100);
        p.nLuminosite[i] = std::clamp(LitChamp(cParam, 17 + 5 * i, 4), -100, 100);
    }
    return p;
}

QString TexteParamCL(const TParamCL &p)
{
    QString c = QStringLiteral("{");
    for (int i = 0; i < 6; ++i) {
        const int n = i < 3 ? p.nContraste[i] : p.nLuminosite[i - 3];
        if (i > 0)
            c += u':';
        c += Champ(std::clamp(n, -100, 100), 4);
    }
    return c + u'}';
}

TParamCanaux LitParamCanaux(const QString &cParam)
{
    TParamCanaux p;
    for (int i = 0; i < 3; ++i) {
        const QChar cChiffre = Caractere(cParam, 4 + 4 * i);
        p.Groupes[i].cLettre = Caractere(cParam, 2 + 4 * i);
        p.Groupes[i].nChiffre = (cChiffre >= u'0' && cChiffre <= u'9') ? cChiffre.unicode() - u'0' : -1;
    }
    return p;
}

QString TexteParamCanaux(const TParamCanaux &p)
{
    QString c = QStringLiteral("{");
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            c += u':';
        c += p.Groupes[i].cLettre;
        c += u'=';
        c += QString::number(std::max(0, p.Groupes[i].nChiffre));
    }
    return c + u'}';
}

QString NomGroupeCanaux(QChar cLettre)
{
    const TGroupeDef *g = Groupe(cLettre);
    return g ? QString::fromUtf16(g->cNom) : QString();
}

int NbChoixGroupeCanaux(QChar cLettre)
{
    const TGroupeDef *g = Groupe(cLettre);
    return g ? g->nNbChoix : 0;
}

QString LibelleChoixCanaux(QChar cLettre, int nChiffre)
{
    const TGroupeDef *g = Groupe(cLettre);
    if (!g || nChiffre < 1 || nChiffre > g->nNbChoix)
        return QString();
    return QString::fromUtf16(g->cChoix[nChiffre - 1]);
}

QString DescriptionTrt(QChar cCode, const QString &cParam)
{
    switch (cCode.unicode()) {
    case u'N': return QStringLiteral("R=%1%, V=%2%, B=%3%").arg(cParam.mid(1, 3), cParam.mid(5, 3), cParam.mid(9, 3));
    case u'C':
        return QStringLiteral("Cont : R=%1%, V=%2%, B=%3%/Lum : R=%4%, V=%5%, B=%6%")
            .arg(cParam.mid(1, 4), cParam.mid(6, 4), cParam.mid(11, 4), cParam.mid(16, 4), cParam.mid(21, 4),
                 cParam.mid(26, 4));
    case u'X': {
        QString c;
        for (const TGroupeCanaux &g : LitParamCanaux(cParam).Groupes) {
            const QString cChoix = LibelleChoixCanaux(g.cLettre, g.nChiffre);
            if (!cChoix.isEmpty())
                c += NomGroupeCanaux(g.cLettre) + u'=' + cChoix + u' ';
        }
        return c.trimmed();
    }
    default: return QString();
    }
}
