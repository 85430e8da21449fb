#include "platform/DesktopEntry.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QString DossierApplicationsUtilisateur()
{
    QString cDonnees = qEnvironmentVariable("XDG_DATA_HOME");
    if (cDonnees.isEmpty() || QDir::isRelativePath(cDonnees))
        cDonnees = QDir::homePath() + QStringLiteral("/.local/share");
    return cDonnees + QStringLiteral("/applications");
}

QString FichierVerbeDossier(const QString &cDossierApplications, const QString &cProduit)
{
    // A desktop file id holds only letters, digits, "-", "_" and ".".
    QString cId;
    for (const QChar c : cProduit.toLower())
        cId += (c.isLetterOrNumber() && c.unicode() < 128) ? c : QLatin1Char('-');
    return cDossierApplications + QStringLiteral("/lire-avec-") + cId + QStringLiteral(".desktop");
}

bool VerbeDossierInstalle(const QString &cDossierApplications, const QString &cProduit)
{
    return QFileInfo::exists(FichierVerbeDossier(cDossierApplications, cProduit));
}

QString ArgumentExecDesktop(const QString &cArgument)
{
    static const QString cReserves = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`=%");
    bool lGuillemets = cArgument.isEmpty();
    for (const QChar c : cArgument)
        lGuillemets = lGuillemets || cReserves.contains(c);
    QString c = cArgument;
    // "%" is a field code even inside quotes: it is doubled.
    c.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (!lGuillemets)
        return c;
    QString cCite;
    for (const QChar x : std::as_const(c)) {
        if (x == QLatin1Char('"') || x == QLatin1Char('`') || x == QLatin1Char('$') || x == QLatin1Char('\\'))
            cCite += QLatin1Char('\\');
        cCite += x;
    }
    // Inside a value of the file, a backslash is itself escaped once more.
    cCite.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + cCite + QLatin1Char('"');
}

bool InstalleVerbeDossier(const QString &cDossierApplications, const QString &cProduit, const QString &cExecutable)
{
    if (!QDir().mkpath(cDossierApplications))
        return false;
    QString cNom = QStringLiteral("Lire avec %1").arg(cProduit);
    cNom.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QString cTexte = QStringLiteral("[Desktop Entry]\n"
                                          "Type=Application\n"
                                          "Name=%1\n"
                                          "Exec=%2 %f\n"
                                          "MimeType=inode/directory;\n"
                                          "NoDisplay=true\n"
                                          "Terminal=false\n")
                               .arg(cNom, ArgumentExecDesktop(cExecutable));
    return EcritFichierAtomique(FichierVerbeDossier(cDossierApplications, cProduit), cTexte.toUtf8());
}

bool SupprimeVerbeDossier(const QString &cDossierApplications, const QString &cProduit)
{
    const QString cFichier = FichierVerbeDossier(cDossierApplications, cProduit);
    return !QFileInfo::exists(cFichier) || QFile::remove(cFichier);
}
