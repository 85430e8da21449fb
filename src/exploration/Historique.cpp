#include "exploration/Historique.h"

namespace Historique
{
void MetEnTete(QStringList &Dossiers, const QString &cDossier)
{
    Dossiers.removeAll(cDossier);
    Dossiers.prepend(cDossier);
}

QString RaccourcitMilieu(const QString &cTexte, const std::function<bool(const QString &)> &lTient,
                         qsizetype *nPosPoint)
{
    if (nPosPoint)
        *nPosPoint = -1;
    if (lTient(cTexte))
        return cTexte;
    QString cGauche = cTexte.left(cTexte.size() / 2);
    QString cDroite = cTexte.mid(cTexte.size() / 2);
    bool lADroite = true;
    while (!cGauche.isEmpty() || !cDroite.isEmpty()) {
        if ((lADroite && !cDroite.isEmpty()) || cGauche.isEmpty())
            cDroite.remove(0, 1);
        else
            cGauche.chop(1);
        lADroite = !lADroite;
        const QString c = cGauche + QLatin1Char('.') + cDroite;
        if (lTient(c)) {
            if (nPosPoint)
                *nPosPoint = cGauche.size();
            return c;
        }
    }
    if (nPosPoint)
        *nPosPoint = 0;
    return QStringLiteral(".");
}
}
