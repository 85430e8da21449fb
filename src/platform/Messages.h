#pragma once
// The program's one way of asking and telling the user: modal boxes with the captions
// "Attention", "Information" and "Erreur" and the French buttons "&Oui" and "&Non". Windows
// take it from the application context; tests put a fake in its place that records the
// texts and answers as told.

#include <QString>

#include <functional>
#include <optional>

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
    // A question with a check box cCase below its text, unticked at every showing: nullopt on
    // Non, else whether the box was ticked. A helper that cannot show a box asks the plain
    // question and answers as if the box stayed unticked.
    virtual std::optional<bool> QuestionCase(QWidget *Parent, const QString &cTexte, const QString &cCase,
                                             bool lOuiParDefaut = false,
                                             const QString &cTitre = QStringLiteral("Attention"))
    {
        Q_UNUSED(cCase);
        if (!Question(Parent, cTexte, lOuiParDefaut, cTitre))
            return std::nullopt;
        return false;
    }
};

// The helper seen by work run under a progress window: fnAvant runs before each message (it
// takes the progress window down), so that no message opens under it.
class TMessagesPrecedes : public IMessages
{
public:
    TMessagesPrecedes(IMessages &Messages, std::function<void()> fnAvant)
        : m_Messages(Messages), m_fnAvant(std::move(fnAvant))
    {}
    bool Question(QWidget *Parent, const QString &cTexte, bool lOuiParDefaut, const QString &cTitre) override;
    void Information(QWidget *Parent, const QString &cTexte) override;
    void Attention(QWidget *Parent, const QString &cTexte) override;
    void Erreur(QWidget *Parent, const QString &cTexte) override;
    std::optional<bool> QuestionCase(QWidget *Parent, const QString &cTexte, const QString &cCase, bool lOuiParDefaut,
                                     const QString &cTitre) override;

private:
    IMessages &m_Messages;
    std::function<void()> m_fnAvant;
};

// The message helper of a run without a user (a capture without a display): every message
// goes to the error stream as "<caption> : <text>" and a question takes its default answer,
// so that nothing waits for a click that will never come.
class TMessagesSansUtilisateur : public IMessages
{
public:
    explicit TMessagesSansUtilisateur(QString *pSortie = nullptr) : m_pSortie(pSortie) {}
    bool Question(QWidget *Parent, const QString &cTexte, bool lOuiParDefaut = false,
                  const QString &cTitre = QStringLiteral("Attention")) override;
    void Information(QWidget *Parent, const QString &cTexte) override;
    void Attention(QWidget *Parent, const QString &cTexte) override;
    void Erreur(QWidget *Parent, const QString &cTexte) override;

private:
    void Ecrit(const QString &cTitre, const QString &cTexte);
    QString *m_pSortie; // tests read what was written here; null: the error stream
};
