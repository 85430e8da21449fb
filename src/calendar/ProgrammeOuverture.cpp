#include "calendar/ProgrammeOuverture.h"

#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>

QStringList DecoupeExec(const QString &cExec)
{
    QStringList l;
    QString cArg;
    bool lArg = false, lGuillemets = false;
    for (qsizetype i = 0; i < cExec.size(); ++i) {
        const QChar c = cExec[i];
        if (lGuillemets) {
            if (c == QLatin1Char('\\') && i + 1 < cExec.size()) {
                cArg += cExec[++i];
            } else if (c == QLatin1Char('"')) {
                lGuillemets = false;
            } else {
                cArg += c;
            }
        } else if (c == QLatin1Char('"')) {
            lGuillemets = true;
            lArg = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (lArg)
                l.append(cArg);
            cArg.clear();
            lArg = false;
        } else {
            cArg += c;
            lArg = true;
        }
    }
    if (lArg)
        l.append(cArg);
    return l;
}

QStringList TProgrammeOuverture::Arguments(const QString &cFichier) const
{
    QStringList l;
    bool lFichier = false;
    for (const QString &a : Commande) {
        if (a == QLatin1String("%f") || a == QLatin1String("%F") || a == QLatin1String("%u")
            || a == QLatin1String("%U")) {
            if (!lFichier)
                l.append(cFichier);
            lFichier = true;
            continue;
        }
        // Other field codes (%i, %c, %k and the deprecated ones) stand alone and are dropped;
        // "%%" is a percent sign.
        if (a.size() == 2 && a[0] == QLatin1Char('%') && a[1] != QLatin1Char('%'))
            continue;
        QString c = a;
        c.replace(QLatin1String("%%"), QLatin1String("%"));
        l.append(c);
    }
    if (!lFichier && !l.isEmpty())
        l.append(cFichier);
    return l;
}

std::optional<TProgrammeOuverture> LitEntreeBureau(const QString &cTexte)
{
    TProgrammeOuverture p;
    QString cNom, cNomFr, cNomFrFR;
    bool lGroupe = false;
    for (const QString &cLigneBrute : cTexte.split(QLatin1Char('\n'))) {
        const QString cLigne = cLigneBrute.trimmed();
        if (cLigne.startsWith(QLatin1Char('['))) {
            lGroupe = cLigne == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!lGroupe || cLigne.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype n = cLigne.indexOf(QLatin1Char('='));
        if (n <= 0)
            continue;
        const QString cCle = cLigne.left(n).trimmed();
        const QString cValeur = cLigne.mid(n + 1).trimmed();
        if (cCle == QLatin1String("Name"))
            cNom = cValeur;
        else if (cCle == QLatin1String("Name[fr]"))
            cNomFr = cValeur;
        else if (cCle == QLatin1String("Name[fr_FR]"))
            cNomFrFR = cValeur;
        else if (cCle == QLatin1String("Exec"))
            p.Commande = DecoupeExec(cValeur);
    }
    if (!p.Valide())
        return std::nullopt;
    p.cNom = !cNomFrFR.isEmpty() ? cNomFrFR : !cNomFr.isEmpty() ? cNomFr : cNom;
    return p;
}

TProgrammesOuverture::TProgrammesOuverture()
{
    fnMime = [](const QString &cFichier) { return QMimeDatabase().mimeTypeForFile(cFichier).name(); };
    fnDefaut = [](const QString &cMime) {
        const QString cXdg = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
        if (cXdg.isEmpty())
            return QString();
        QProcess p;
        p.start(cXdg, {QStringLiteral("query"), QStringLiteral("default"), cMime});
        if (!p.waitForFinished(3000)) {
            p.kill();
            p.waitForFinished(500);
            return QString();
        }
        return QString::fromUtf8(p.readAllStandardOutput().left(4096)).trimmed();
    };
    fnEntree = [](const QString &cEntree) {
        const QString c =
            QStandardPaths::locate(QStandardPaths::ApplicationsLocation, cEntree, QStandardPaths::LocateFile);
        QFile f(c);
        if (c.isEmpty() || !f.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(f.read(256 * 1024));
    };
}

TProgrammeOuverture TProgrammesOuverture::Programme(const QString &cFichier)
{
    const QString cMime = fnMime ? fnMime(cFichier) : QString();
    if (const auto it = m_Connus.constFind(cMime); it != m_Connus.cend())
        return *it;
    TProgrammeOuverture p;
    const QString cEntree = cMime.isEmpty() || !fnDefaut ? QString() : fnDefaut(cMime);
    if (!cEntree.isEmpty() && !cEntree.contains(QLatin1Char('/')) && fnEntree)
        if (const auto Lu = LitEntreeBureau(fnEntree(cEntree)))
            p = *Lu;
    m_Connus.insert(cMime, p);
    return p;
}
