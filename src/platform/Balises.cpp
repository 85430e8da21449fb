#include "platform/Balises.h"

#include <QRegularExpression>

namespace Balises
{

namespace
{
constexpr qsizetype nLongOuverture = 4; // "<KS>"
constexpr qsizetype nLongFermeture = 6; // "</xx/>"

QString EnLigne(const TMorceau &m)
{
    QString c = m.cTexte.toHtmlEscaped();
    if (!m.lBalise)
        return c;
    const QChar s = m.cStyle.toUpper();
    if (s == QLatin1Char('S') || s == QLatin1Char('T'))
        c = QStringLiteral("<u>") + c + QStringLiteral("</u>");
    if (s == QLatin1Char('G') || s == QLatin1Char('T'))
        c = QStringLiteral("<b>") + c + QStringLiteral("</b>");
    return c;
}

bool EstGenre(const TMorceau &m, char cGenre)
{
    return m.lBalise && m.cGenre.toUpper() == QLatin1Char(cGenre);
}

// Blanks are the hint's own layout (indented lines): they are kept, and nothing wraps.
const QString cParagraphe = QStringLiteral("<p style=\"margin:0px; white-space:pre\"%1>%2</p>");
const QString cRegle = QStringLiteral("<hr/>");
} // namespace

QStringList Lignes(const QString &cTexte)
{
    static const QRegularExpression Saut(QStringLiteral("\r\n|\n|\r"));
    return cTexte.split(Saut);
}

QList<TMorceau> AnalyseLigne(const QString &cLigne)
{
    QList<TMorceau> Morceaux;
    QString r = cLigne;
    for (;;) {
        const qsizetype o = r.indexOf(QLatin1Char('<'));
        if (o < 0 || r.indexOf(QLatin1Char('>')) != o + nLongOuverture - 1
            || o + nLongOuverture + nLongFermeture > r.size())
            break;
        const qsizetype c = r.indexOf(QLatin1String("</"));
        if (c <= o || r.indexOf(QLatin1String("/>")) != c + nLongFermeture - 2)
            break;
        if (o > 0)
            Morceaux.append({r.left(o), false, {}, {}});
        Morceaux.append({r.mid(o + nLongOuverture, c - o - nLongOuverture), true, r.at(o + 1), r.at(o + 2)});
        r = r.mid(c + nLongFermeture);
    }
    if (!r.isEmpty())
        Morceaux.append({r, false, {}, {}});
    return Morceaux;
}

bool ABalise(const QString &cTexte)
{
    if (!cTexte.contains(QLatin1String("</")))
        return false;
    for (const QString &cLigne : Lignes(cTexte))
        for (const TMorceau &m : AnalyseLigne(cLigne))
            if (m.lBalise)
                return true;
    return false;
}

QString TexteSimple(const QString &cTexte)
{
    QStringList Simples;
    for (const QString &cLigne : Lignes(cTexte)) {
        QString c;
        for (const TMorceau &m : AnalyseLigne(cLigne))
            c += m.cTexte;
        Simples << c;
    }
    return Simples.join(QLatin1Char('\n'));
}

QString TexteRiche(const QString &cTexte)
{
    QString Html = QStringLiteral("<qt>");
    for (const QString &cLigne : Lignes(cTexte)) {
        const QList<TMorceau> Morceaux = AnalyseLigne(cLigne);
        QString cEnLigne;
        bool lCentre = false, lTitre = false, lSeparateur = false, lDouble = false;
        for (const TMorceau &m : Morceaux) {
            if (EstGenre(m, 'L')) {
                // A separator's own text is never shown.
                lSeparateur = true;
                lDouble = lDouble || m.cStyle.toUpper() != QLatin1Char('S');
                continue;
            }
            lCentre = lCentre || EstGenre(m, 'C');
            lTitre = lTitre || EstGenre(m, 'P');
            cEnLigne += EnLigne(m);
        }
        if (lTitre) {
            // The title between two rules, 8 pixels clear of each.
            Html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
                                   "<td width=\"50%\" valign=\"middle\">%1</td>"
                                   "<td style=\"white-space:pre; padding-left:8px; padding-right:8px\">%2</td>"
                                   "<td width=\"50%\" valign=\"middle\">%1</td></tr></table>")
                        .arg(cRegle, cEnLigne);
        } else if (lSeparateur) {
            if (!cEnLigne.isEmpty())
                Html += cParagraphe.arg(QString(), cEnLigne);
            Html += lDouble ? cRegle + cRegle : cRegle;
        } else {
            // An empty line keeps its height.
            Html += cParagraphe.arg(lCentre ? QStringLiteral(" align=\"center\"") : QString(),
                                    cEnLigne.isEmpty() ? QStringLiteral("&nbsp;") : cEnLigne);
        }
    }
    Html += QStringLiteral("</qt>");
    return Html;
}

QString PourBulle(const QString &cTexte)
{
    return ABalise(cTexte) ? TexteRiche(cTexte) : cTexte;
}

} // namespace Balises
