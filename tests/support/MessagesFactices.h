#pragma once
// A message helper for tests: records what would have been shown and answers questions from
// a queue (No once the queue is empty).

#include "platform/Messages.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class TMessagesFactices : public IMessages
{
public:
    struct TMessage
    {
        QString cTitre;
        QString cTexte;
    };
    QList<TMessage> Montres;
    QList<bool> Reponses;
    // The answers to questions with a check box (nullopt: Non; else the box's state on Oui),
    // and the box texts they were asked with. Non once the queue is empty.
    QList<std::optional<bool>> ReponsesCase;
    QStringList Cases;

    bool Question(QWidget *, const QString &cTexte, bool, const QString &cTitre) override
    {
        Montres.append({cTitre, cTexte});
        return Reponses.isEmpty() ? false : Reponses.takeFirst();
    }
    void Information(QWidget *, const QString &cTexte) override
    {
        Montres.append({QStringLiteral("Information"), cTexte});
    }
    void Attention(QWidget *, const QString &cTexte) override { Montres.append({QStringLiteral("Attention"), cTexte}); }
    void Erreur(QWidget *, const QString &cTexte) override { Montres.append({QStringLiteral("Erreur"), cTexte}); }
    std::optional<bool> QuestionCase(QWidget *, const QString &cTexte, const QString &cCase, bool,
                                     const QString &cTitre) override
    {
        Montres.append({cTitre, cTexte});
        Cases << cCase;
        return ReponsesCase.isEmpty() ? std::nullopt : ReponsesCase.takeFirst();
    }

    QStringList Textes() const
    {
        QStringList c;
        for (const TMessage &m : Montres)
            c << m.cTexte;
        return c;
    }
};
