#pragma once
// The program's one way of asking and telling the user: modal boxes with the captions
// "Attention", "Information" and "Erreur" and the French buttons "&Oui" and "&Non". Windows
// take it from the application context; tests put a fake in its place that records the
// texts and answers as told.

#include <QString>

class QWidget;

class IMessages
{
public:
    virtual ~IMessages() = default;

    // A question captioned cTitre ("Attention" unless told otherwise) with "&Oui" and "&Non";
    // true on Oui. No is the default button unless lOuiParDefaut.
    virtual bool Question(QWidget *Parent, const QString &cTexte, bool lOuiParDefaut = false,
                          const QString &cTitre = QStringLiteral("Attention")) = 0;
    // A result, captioned "Information".
    virtual void Information(QWidget *Parent, const QString &cTexte) = 0;
    // A notice, captioned "Attention".
    virtual void Attention(QWidget *Parent, const QString &cTexte) = 0;
    // An error, captioned "Erreur".
    virtual void Erreur(QWidget *Parent, const QString &cTexte) = 0;
};
