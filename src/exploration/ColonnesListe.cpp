#include "exploration/ColonnesListe.h"

#include "exploration/EnrLV.h"
#include "imaging/FileKinds.h"
#include "platform/FrenchFormats.h"

#include <QDateTime>

namespace ColonnesListe
{
QString OrdreValide(const QString &cOrdre)
{
    if (cOrdre.size() != 4)
        return QString::fromLatin1(cOrdreColDefaut);
    QString cVu;
    for (const QChar c : cOrdre) {
        const QChar u = c.toUpper();
        if (!QStringLiteral("ERTD").contains(u) || cVu.contains(u))
            return QString::fromLatin1(cOrdreColDefaut);
        cVu += u;
    }
    return cOrdre;
}

QString Titre(QChar cLettre)
{
    switch (cLettre.toUpper().unicode()) {
    case 'E': return QStringLiteral("Emplacement");
    case 'R': return QStringLiteral("Résol.");
    case 'T': return QStringLiteral("Taille");
    case 'D': return QStringLiteral("Date");
    default: return {};
    }
}

QStringList Titres(const QString &cOrdre)
{
    QStringList l{QStringLiteral("Nom")};
    for (const QChar c : cOrdre)
        l << Titre(c);
    return l;
}

bool Visible(QChar cLettre)
{
    return cLettre.isUpper();
}

QString BasculeLettre(const QString &cOrdre, QChar cLettre)
{
    QString c = cOrdre;
    for (QChar &x : c)
        if (x.toUpper() == cLettre.toUpper())
            x = x.isUpper() ? x.toLower() : x.toUpper();
    return c;
}

QList<int> Permutation(const QString &cAncien, const QString &cNouveau)
{
    QList<int> l;
    const QString a = cAncien.toUpper();
    for (const QChar c : cNouveau)
        l << static_cast<int>(a.indexOf(c.toUpper()));
    return l;
}

int CleDeColonne(const QString &cTitre)
{
    if (cTitre.isEmpty())
        return -1;
    const qsizetype p = QStringLiteral("NERTD").indexOf(cTitre.at(0).toUpper());
    if (p < 0)
        return -1;
    return static_cast<int>(p > 1 ? p + 1 : p);
}

QStringList TitresMenuTri()
{
    return {QStringLiteral("le &Nom (+emplacement)"),
            QStringLiteral("l'&Emplacement (+le nom)"),
            QStringLiteral("le T&ype (+l'emplacement+le nom)"),
            QStringLiteral("la &Résolution (+l'emplacement+le nom)"),
            QStringLiteral("la &Taille (+l'emplacement+le nom)"),
            QStringLiteral("la D&ate (+l'emplacement+le nom)")};
}

QString TexteDate(qint64 nDate)
{
    if (nDate <= 0)
        return {};
    return FrenchFormats::DateHeure(QDateTime::fromSecsSinceEpoch(nDate));
}

QString TexteResolution(qint64 nLargeur, qint64 nHauteur)
{
    if (nLargeur <= 0 && nHauteur <= 0)
        return {};
    return QStringLiteral("%1x%2").arg(nLargeur).arg(nHauteur);
}

QString TexteResolution(const TEnrLV &Enr)
{
    return TexteResolution(Enr.nLargeur, Enr.nHauteur);
}

QString TexteColonne(const TEnrLV &Enr, QChar cLettre)
{
    switch (cLettre.toUpper().unicode()) {
    case 'E': return Enr.Dossier();
    case 'R': return TexteResolution(Enr);
    case 'T': return Enr.nTaille > 0 ? TexteTaille(Enr.nTaille) : QString();
    case 'D': return TexteDate(Enr.nDate);
    default: return {};
    }
}
}
