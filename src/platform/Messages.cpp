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

bool TMessagesPrecedes::Question(QWidget *Parent, const QString &cTexte, bool lOuiParDefaut, const QString &cTitre)
{
    m_fnAvant();
    return m_Messages.Question(Parent, cTexte, lOuiParDefaut, cTitre);
}

void TMessagesPrecedes::Information(QWidget *Parent, const QString &cTexte)
{
    m_fnAvant();
    m_Messages.Information(Parent, cTexte);
}

void TMessagesPrecedes::Attention(QWidget *Parent, const QString &cTexte)
{
    m_fnAvant();
    m_Messages.Attention(Parent, cTexte);
}

void TMessagesPrecedes::Erreur(QWidget *Parent, const QString &cTexte)
{
    m_fnAvant();
    m_Messages.Erreur(Parent, cTexte);
}

std::optional<bool> TMessagesPrecedes::QuestionCase(QWidget *Parent, const QString &cTexte, const QString &cCase,
                                                    bool lOuiParDefaut, const QString &cTitre)
{
    m_fnAvant();
    return m_Messages.QuestionCase(Parent, cTexte, cCase, lOuiParDefaut, cTitre);
}
