#include "platform/SauvegardeSortie.h"

#include "platform/Messages.h"

#include <QTextStream>

QString TexteReessaiEnregistrement(const QStringList &cRaisons)
{
    return QStringLiteral("Les données de Vimbrel n'ont pas pu être enregistrées :\r\n%1\r\n\r\n"
                          "Libérez de la place sur le disque ou rendez le dossier des données accessible "
                          "en écriture, puis répondez Oui. Non quitte Vimbrel sans enregistrer ces données.\r\n\r\n"
                          "Réessayer l'enregistrement ?")
        .arg(cRaisons.join(QStringLiteral("\r\n")));
}

int SauveEnSortant(const std::function<bool(QStringList *pRaisons)> &fnSauve, IMessages *pMessages, QWidget *Parent,
                   const std::function<bool()> &fnArret, QTextStream &Erreurs)
{
    if (!fnSauve)
        return 0;
    for (;;) {
        QStringList cRaisons;
        if (fnSauve(&cRaisons))
            return 0;
        if (cRaisons.isEmpty())
            cRaisons << QStringLiteral("enregistrement impossible");
        const bool lDemander = pMessages && !(fnArret && fnArret());
        if (!lDemander
            || !pMessages->Question(Parent, TexteReessaiEnregistrement(cRaisons), true, QStringLiteral("Erreur"))) {
            for (const QString &c : cRaisons)
                Erreurs << "vimbrel : données non enregistrées : " << c << "\n";
            Erreurs.flush();
            return nSortieNonEnregistree;
        }
    }
}

QString TexteCopiesConservees(const QStringList &cCopies)
{
    if (cCopies.isEmpty())
        return {};
    return QStringLiteral("Un autre programme a modifié les données de Vimbrel pendant cette session. "
                          "Sa version a été conservée dans :\r\n%1\r\n"
                          "Les modifications de cette session ont été enregistrées.")
        .arg(cCopies.join(QStringLiteral("\r\n")));
}
