#include "platform/Messages.h"

#include <QTextStream>

#include <cstdio>

bool TMessagesSansUtilisateur::Question(QWidget *, const QString &cTexte, bool lOuiParDefaut, const QString &cTitre)
{
    Ecrit(cTitre, cTexte + (lOuiParDefaut ? QStringLiteral(" (Oui)") : QStringLiteral(" (Non)")));
    return lOuiParDefaut;
}

void TMessagesSansUtilisateur::Information(QWidget *, const QString &cTexte)
{
    Ecrit(QStringLiteral("Information"), cTexte);
}

void TMessagesSansUtilisateur::Attention(QWidget *, const QString &cTexte)
{
    Ecrit(QStringLiteral("Attention"), cTexte);
}

void TMessagesSansUtilisateur::Erreur(QWidget *, const QString &cTexte)
{
    Ecrit(QStringLiteral("Erreur"), cTexte);
}

void TMessagesSansUtilisateur::Ecrit(const QString &cTitre, const QString &cTexte)
{
    QString cLigne = QStringLiteral("vimbrel : %1 : %2\n").arg(cTitre, cTexte);
    cLigne.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    if (m_pSortie) {
        *m_pSortie += cLigne;
        return;
    }
    QTextStream(stderr) << cLigne;
}
