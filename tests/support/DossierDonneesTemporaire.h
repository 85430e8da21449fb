#pragma once
// A temporary folder holding the configuration places of a run (user and machine files) and
// its default data folder, and the contexts made on them: what a test needs to start the
// program's stores without touching the user's own.

#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/Fichiers.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QPair>
#include <QTemporaryDir>

#include <memory>

class TDossierDonneesTemporaire
{
public:
    // cDefaut names the default data folder inside the temporary folder.
    explicit TDossierDonneesTemporaire(const QString &cDefaut = QStringLiteral("donnees"))
    {
        E.cFichierUtilisateur = Temp.filePath(QStringLiteral("config/Vimbrel.conf"));
        E.cFichierMachine = Temp.filePath(QStringLiteral("etc/Vimbrel.conf"));
        E.cDossierDefaut = Temp.filePath(cDefaut) + QLatin1Char('/');
    }

    QTemporaryDir Temp;
    TEmplacementsConfig E;

    // The default data folder, ending with "/".
    QString Donnees() const { return E.cDossierDefaut; }
    QString FichierSetup() const { return E.cDossierDefaut + QStringLiteral("KX_Setup.ini"); }

    // Writes a file of the data folder, making the folder first.
    bool EcritDonnees(const QString &cNom, const QByteArray &Contenu) const
    {
        return EcritFichier(E.cDossierDefaut + cNom, Contenu);
    }
    // Sets keys of the settings store's general section before a start.
    void EcritReglages(const QList<QPair<QString, QString>> &Cles) const
    {
        QDir().mkpath(E.cDossierDefaut);
        TBigIniFile Ini(FichierSetup());
        for (const auto &[cCle, cValeur] : Cles)
            Ini.WriteString(QStringLiteral("GENERAL"), cCle, cValeur);
    }
    // The settings store as a start would read it now.
    TBigIniFile Relu() const { return TBigIniFile(FichierSetup()); }

    // A context on these places whose volumes service holds the root "/" (nothing with
    // lRacine false); it has no message helper yet.
    std::unique_ptr<TContexte> NouveauContexte(bool lRacine = true) const
    {
        auto Volumes = std::make_unique<TVolumesFactices>();
        if (lRacine) {
            TVolume Racine;
            Racine.cPointMontage = QStringLiteral("/");
            Volumes->Ajoute(Racine);
        }
        return std::make_unique<TContexte>(E, Temp.filePath(QStringLiteral("bin")), std::move(Volumes));
    }
};
