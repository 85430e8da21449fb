#include "mainwindow/ContextesAide.h"

#include <QRegularExpression>
#include <QSet>
#include <QTextDocumentFragment>

#include <algorithm>

namespace
{

struct TContextePage
{
    int nContexte;
    const char *cPage;
};

const TContextePage Table[] = {
    {10, "accueil.html"},           {12, "liste-images.html#barre"}, {13, "liste-images.html"},
    {14, "barre-traitements.html"}, {-15, "bulle15.html"},           {-16, "bulle16.html"},
    {-17, "bulle17.html"},          {111, "page-exploration.html"},  {112, "page-recherche.html"},
    {113, "page-cds.html"},         {-1121, "bulle1121.html"},       {20, "explorateur-bdd.html"},
    {30, "parametres.html"},        {40, "albums-images.html"},      {50, "album-web.html"},
    {51, "albums-web-perso.html"},  {60, "classement.html"},         {70, "filtres.html"},
    {71, "filtres.html#recherche"}, {72, "filtres.html#cds"},        {80, "extraction.html"},
    {90, "gestion.html"},
};

} // namespace

QString PageDeContexte(int nContexte)
{
    for (const TContextePage &c : Table)
        if (c.nContexte == nContexte)
            return QLatin1String(c.cPage);
    return QLatin1String(cPageAccueil);
}

QList<int> ContextesConnus()
{
    QList<int> l;
    for (const TContextePage &c : Table)
        l << c.nContexte;
    return l;
}

QStringList AncresDePage(const QString &cHtml)
{
    static const QRegularExpression Ancre(QStringLiteral(R"re((?:\bid|\bname)\s*=\s*"([^"]+)")re"));
    QStringList l;
    for (auto i = Ancre.globalMatch(cHtml); i.hasNext();)
        l << i.next().captured(1);
    return l;
}

QStringList LiensDePage(const QString &cHtml)
{
    static const QRegularExpression Lien(QStringLiteral(R"re(\bhref\s*=\s*"([^"]*)")re"));
    QStringList l;
    for (auto i = Lien.globalMatch(cHtml); i.hasNext();) {
        const QString c = i.next().captured(1);
        if (!c.contains(QLatin1String("://")) && !c.startsWith(QLatin1String("mailto:")))
            l << c;
    }
    return l;
}

QString ResoutLien(const TPagesAide &Pages, const QString &cLien, const QString &cPageCourante)
{
    if (cLien.isEmpty())
        return {};
    const qsizetype nDiese = cLien.indexOf(QLatin1Char('#'));
    QString cPage = nDiese < 0 ? cLien : cLien.left(nDiese);
    const QString cAncre = nDiese < 0 ? QString() : cLien.mid(nDiese + 1);
    if (cPage.isEmpty())
        cPage = cPageCourante;
    const auto i = Pages.constFind(cPage);
    if (i == Pages.constEnd())
        return {};
    if (!cAncre.isEmpty() && !AncresDePage(*i).contains(cAncre))
        return {};
    return cPage;
}

QStringList LiensCasses(const TPagesAide &Pages)
{
    QStringList l;
    for (auto i = Pages.constBegin(); i != Pages.constEnd(); ++i)
        for (const QString &cLien : LiensDePage(i.value()))
            if (ResoutLien(Pages, cLien, i.key()).isEmpty())
                l << i.key() + QStringLiteral(": ") + cLien;
    return l;
}

QString TitrePage(const QString &cHtml)
{
    static const QRegularExpression Titre(QStringLiteral("<title>(.*)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption
                                              | QRegularExpression::InvertedGreedinessOption);
    const QRegularExpressionMatch m = Titre.match(cHtml);
    return m.hasMatch() ? QTextDocumentFragment::fromHtml(m.captured(1)).toPlainText().simplified() : QString();
}

QString TextePage(const QString &cHtml)
{
    return QTextDocumentFragment::fromHtml(cHtml).toPlainText();
}

QString FormeRecherche(const QString &c)
{
    QString r;
    r.reserve(c.size());
    for (const QChar ch : c.normalized(QString::NormalizationForm_D))
        if (ch.category() != QChar::Mark_NonSpacing)
            r += ch;
    // The ligatures decompose into nothing: they are spelt out.
    r.replace(QChar(0x153), QLatin1String("oe")).replace(QChar(0x152), QLatin1String("oe"));
    r.replace(QChar(0xE6), QLatin1String("ae")).replace(QChar(0xC6), QLatin1String("ae"));
    return r.toCaseFolded();
}

QStringList PagesContenant(const TPagesAide &Pages, const QString &cMots)
{
    static const QRegularExpression Separateurs(QStringLiteral(R"re([\s,;:.!?"()']+)re"));
    const QStringList Mots = FormeRecherche(cMots).split(Separateurs, Qt::SkipEmptyParts);
    if (Mots.isEmpty())
        return {};
    QStringList l;
    for (auto i = Pages.constBegin(); i != Pages.constEnd(); ++i) {
        const QString cTexte = FormeRecherche(TextePage(i.value()));
        if (std::all_of(Mots.cbegin(), Mots.cend(), [&](const QString &m) { return cTexte.contains(m); }))
            l << i.key();
    }
    return l;
}

QList<TEntreeIndex> LitIndex(const QString &cTexte, int nMaxEntrees)
{
    QList<TEntreeIndex> l;
    for (const QString &cLigne : cTexte.split(QLatin1Char('\n'))) {
        if (l.size() >= nMaxEntrees)
            break;
        const QStringList Champs = cLigne.trimmed().split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (Champs.size() != 2 || Champs.at(0).startsWith(QLatin1Char('#')))
            continue;
        l << TEntreeIndex{Champs.at(0).trimmed(), Champs.at(1).trimmed()};
    }
    return l;
}

QList<TEntreeIndex> FiltreIndex(const QList<TEntreeIndex> &Index, const QString &cFiltre)
{
    const QString f = FormeRecherche(cFiltre.trimmed());
    QList<TEntreeIndex> l;
    for (const TEntreeIndex &e : Index)
        if (f.isEmpty() || FormeRecherche(e.cMot).contains(f))
            l << e;
    std::stable_sort(l.begin(), l.end(), [](const TEntreeIndex &a, const TEntreeIndex &b) {
        return FormeRecherche(a.cMot).localeAwareCompare(FormeRecherche(b.cMot)) < 0;
    });
    return l;
}

QList<TEntreeSommaire> LitSommaire(const QString &cTexte, int nMaxEntrees)
{
    QList<TEntreeSommaire> l;
    for (const QString &cLigne : cTexte.split(QLatin1Char('\n'))) {
        if (l.size() >= nMaxEntrees)
            break;
        qsizetype nEspaces = 0;
        while (nEspaces < cLigne.size() && cLigne.at(nEspaces) == QLatin1Char(' '))
            ++nEspaces;
        const QStringList Champs = cLigne.mid(nEspaces).trimmed().split(QLatin1Char('\t'), Qt::SkipEmptyParts);
        if (Champs.size() != 2)
            continue;
        // A line cannot go deeper than one level below the line before it.
        const int nMax = l.isEmpty() ? 0 : l.last().nNiveau + 1;
        l << TEntreeSommaire{std::min(int(nEspaces / 2), nMax), Champs.at(0).trimmed(), Champs.at(1).trimmed()};
    }
    return l;
}
