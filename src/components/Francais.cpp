#include "components/Francais.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

namespace
{
// Qt's translation, completed with the few texts it lacks that its file dialog shows (the kind
// column of folders and the root of the file system).
class TTraductionFrancaise : public QTranslator
{
public:
    using QTranslator::QTranslator;
    QString translate(const char *cContexte, const char *cSource, const char *cPrecision, int n) const override
    {
        QString c = QTranslator::translate(cContexte, cSource, cPrecision, n);
        if (!c.isEmpty() || !cContexte || !cSource || qstrcmp(cContexte, "QAbstractFileIconProvider") != 0)
            return c;
        static const struct
        {
            const char *cSource, *cFrancais;
        } Complements[] = {{"Folder", "Dossier"},     {"File Folder", "Dossier"}, {"Drive", "Lecteur"},
                           {"Shortcut", "Raccourci"}, {"Alias", "Alias"},         {"Unknown", "Inconnu"}};
        for (const auto &t : Complements)
            if (qstrcmp(cSource, t.cSource) == 0)
                return QString::fromUtf8(t.cFrancais);
        return c;
    }
};
} // namespace

QTranslator *InstalleFrancais(QCoreApplication *Application)
{
    const QLocale Francais(QLocale::French, QLocale::France);
    QLocale::setDefault(Francais);
    if (!Application)
        return nullptr;
    auto *Traduction = new TTraductionFrancaise(Application);
    const QString cDossier = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // By name, not by the locale's search list: the machine's language must not pick another.
    if (!Traduction->load(QStringLiteral("qtbase_fr"), cDossier) || !QCoreApplication::installTranslator(Traduction)) {
        QTextStream(stderr) << "vimbrel : traduction française de Qt introuvable dans " << cDossier << "\n";
        delete Traduction;
        return nullptr;
    }
    return Traduction;
}
