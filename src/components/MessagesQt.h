#pragma once
// The message helper shown on screen, with QMessageBox.

#include "platform/Messages.h"

class TContexte;

class TMessagesQt : public IMessages
{
public:
    bool Question(QWidget *Parent, const QString &cTexte, bool lOuiParDefaut = false,
                  const QString &cTitre = QStringLiteral("Attention")) override;
    void Information(QWidget *Parent, const QString &cTexte) override;
    void Attention(QWidget *Parent, const QString &cTexte) override;
    void Erreur(QWidget *Parent, const QString &cTexte) override;
    std::optional<bool> QuestionCase(QWidget *Parent, const QString &cTexte, const QString &cCase,
                                     bool lOuiParDefaut = false,
                                     const QString &cTitre = QStringLiteral("Attention")) override;
};

// The context's message helper; a context that was given none gets the on-screen one.
IMessages &MessagesDe(TContexte &Contexte);
