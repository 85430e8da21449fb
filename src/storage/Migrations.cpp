#include "storage/Migrations.h"

#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

QList<TMigration> ListeMigrations()
{
    return {};
}

int ExecuteMigrations(TContexteMigration &Contexte, const QList<TMigration> &Migrations,
                      const QString &cVersionActuelle)
{
    const QString cVersionStockee =
        Contexte.iniSetup.ReadString(cSectionGeneral, QStringLiteral("kcVersion"), QString());
    int nExecutees = 0;
    for (const TMigration &Migration : Migrations) {
        const bool lApplicable = Migration.cVersion.isEmpty() || cVersionStockee < Migration.cVersion;
        if (lApplicable && Migration.Executer) {
            Migration.Executer(Contexte, cVersionStockee);
            ++nExecutees;
        }
    }
    // Nothing to record when the data is already at this version: the store stays unchanged
    // and is not rewritten.
    if (cVersionStockee != cVersionActuelle) {
        Contexte.iniSetup.WriteString(cSectionGeneral, QStringLiteral("kcVersion"), cVersionActuelle);
        Contexte.iniSetup.UpdateFile();
    } else if (Contexte.iniSetup.Modifie()) {
        Contexte.iniSetup.UpdateFile();
    }
    return nExecutees;
}
