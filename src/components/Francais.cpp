#include "components/Francais.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

QTranslator *InstalleFrancais(QCoreApplication *Application)
{
    const QLocale Francais(QLocale::French, QLocale::France);
    QLocale::setDefault(Francais);
    if (!Application)
        return nullptr;
    auto *Traduction = new QTranslator(Application);
    const QString cDossier = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // By name, not by the locale's search list: the machine's language must not pick another.
    if (!Traduction->load(QStringLiteral("qtbase_fr"), cDossier) || !QCoreApplication::installTranslator(Traduction)) {
        QTextStream(stderr) << "vimbrel : traduction française de Qt introuvable dans " << cDossier << "\n";
        delete Traduction;
        return nullptr;
    }
    return Traduction;
}
