#include "storage/DataFolder.h"

#include "storage/BigIniFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

const QString cSectionConfig = QStringLiteral("General");
const QString cCleDossierDonnees = QStringLiteral("cDossierDonnees");

QString DossierXdg(const char *cVariable, const QString &cSousDossierMaison)
{
    QString cDossier = qEnvironmentVariable(cVariable);
    // The XDG base directory rules ignore relative values.
    if (cDossier.isEmpty() || QDir::isRelativePath(cDossier))
        cDossier = QDir::homePath() + cSousDossierMaison;
    return cDossier;
}

bool EstDossierExistant(const QString &cDossier)
{
    if (cDossier.isEmpty())
        return false;
    const QFileInfo Info(cDossier);
    return Info.exists() && Info.isDir();
}

} // namespace

QString AvecSeparateurFinal(const QString &cDossier)
{
    QString c = QDir::fromNativeSeparators(cDossier);
    while (c.size() > 1 && c.endsWith(QLatin1Char('/')))
        c.chop(1);
    if (!c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}

TEmplacementsConfig TEmplacementsConfig::DuSysteme()
{
    TEmplacementsConfig E;
    E.cFichierUtilisateur =
        DossierXdg("XDG_CONFIG_HOME", QStringLiteral("/.config")) + QStringLiteral("/Vimbrel/Vimbrel.conf");
    E.cFichierMachine = QStringLiteral("/etc/xdg/Vimbrel/Vimbrel.conf");
    E.cDossierDefaut =
        AvecSeparateurFinal(DossierXdg("XDG_DATA_HOME", QStringLiteral("/.local/share")) + QStringLiteral("/Vimbrel"));
    return E;
}

QString LitDossierDonneesConfig(const QString &cFichierConfig, QString *cErreur)
{
    if (cFichierConfig.isEmpty())
        return {};
    const TBigIniFile Config(cFichierConfig);
    if (Config.Illisible()) {
        if (cErreur)
            *cErreur = Config.DerniereErreur();
        return {};
    }
    return Config.ReadString(cSectionConfig, cCleDossierDonnees, QString()).trimmed();
}

bool EcritDossierDonneesConfig(const QString &cFichierConfig, const QString &cDossier, QString *cErreur)
{
    if (cFichierConfig.isEmpty())
        return false;
    QDir().mkpath(QFileInfo(cFichierConfig).absolutePath());
    TBigIniFile Config(cFichierConfig);
    Config.lAutoSave = false;
    Config.WriteString(cSectionConfig, cCleDossierDonnees, cDossier);
    const bool lOk = Config.UpdateFile();
    if (!lOk && cErreur)
        *cErreur = Config.DerniereErreur();
    return lOk;
}

QString ChoisitDossierDonnees(const TEmplacementsConfig &Emplacements, QStringList *pErreurs)
{
    for (const TRacineConfig Racine : {TRacineConfig::Utilisateur, TRacineConfig::Machine}) {
        QString cErreur;
        const QString cDossier = LitDossierDonneesConfig(Emplacements.Fichier(Racine), &cErreur);
        if (!cErreur.isEmpty() && pErreurs)
            *pErreurs << QStringLiteral("%1 : %2").arg(Emplacements.Fichier(Racine), cErreur);
        if (EstDossierExistant(cDossier))
            return AvecSeparateurFinal(QFileInfo(cDossier).absoluteFilePath());
    }
    return AvecSeparateurFinal(Emplacements.cDossierDefaut);
}

TDossiers FixeDossiers(const TEmplacementsConfig &Emplacements, const QString &cDossierProgramme)
{
    TDossiers D;
    D.cDossierProgramme = AvecSeparateurFinal(cDossierProgramme);
    D.cDossierDonnees = ChoisitDossierDonnees(Emplacements, &D.cErreursConfig);
    D.cDossierEcriture = AvecSeparateurFinal(Emplacements.cDossierDefaut);
    D.cDossierVignettes = D.cDossierDonnees + QStringLiteral("Vignettes/");
    D.cDossierMotifs = D.cDossierDonnees + QStringLiteral("Motifs/");
    D.cDossierImgsCH = D.cDossierEcriture + QStringLiteral("ImgsCH/");
    D.cFichierSetup = D.cDossierDonnees + QStringLiteral("KX_") + QStringLiteral("Setup.ini");
    D.cFichierBDD = D.cDossierDonnees + QStringLiteral("KX_") + QStringLiteral("BDD.ini");
    D.cFichierCFAPN = D.cDossierEcriture + QStringLiteral("KX_") + QStringLiteral("CFAPN.ini");
    D.cFichierAide = D.cDossierProgramme + QStringLiteral("KX.hlp");
    return D;
}

bool CreeDossiers(const TDossiers &Dossiers)
{
    bool lOk = true;
    // The data folder itself too: the stores are saved into it at the first save.
    for (const QString &cDossier : {Dossiers.cDossierDonnees, Dossiers.cDossierEcriture, Dossiers.cDossierVignettes,
                                    Dossiers.cDossierMotifs, Dossiers.cDossierImgsCH}) {
        if (!EstDossierExistant(cDossier) && !QDir().mkpath(cDossier))
            lOk = false;
    }
    return lOk;
}
