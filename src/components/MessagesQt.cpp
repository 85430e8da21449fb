#include "components/MessagesQt.h"

#include "storage/Contexte.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>

namespace
{
void Montre(QWidget *Parent, QMessageBox::Icon Icone, const QString &cTitre, const QString &cTexte)
{
    QMessageBox Boite(Icone, cTitre, cTexte, QMessageBox::NoButton, Parent);
    Boite.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    Boite.exec();
}
}

bool TMessagesQt::Question(QWidget *Parent, const QString &cTexte, bool lOuiParDefaut, const QString &cTitre)
{
    QMessageBox Boite(QMessageBox::Question, cTitre, cTexte, QMessageBox::NoButton, Parent);
    // Our own buttons, so that the texts and their accelerators are French whatever
    // translation Qt found.
    QPushButton *btOui = Boite.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *btNon = Boite.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    Boite.setDefaultButton(lOuiParDefaut ? btOui : btNon);
    Boite.setEscapeButton(btNon);
    Boite.exec();
    return Boite.clickedButton() == btOui;
}

std::optional<bool> TMessagesQt::QuestionCase(QWidget *Parent, const QString &cTexte, const QString &cCase,
                                              bool lOuiParDefaut, const QString &cTitre)
{
    QMessageBox Boite(QMessageBox::Question, cTitre, cTexte, QMessageBox::NoButton, Parent);
    QPushButton *btOui = Boite.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *btNon = Boite.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    Boite.setDefaultButton(lOuiParDefaut ? btOui : btNon);
    Boite.setEscapeButton(btNon);
    // A new box at each question: a choice such as skipping the trash never carries over.
    auto *Case = new QCheckBox(cCase, &Boite);
    Case->setObjectName(QStringLiteral("cbCaseQuestion"));
    Boite.setCheckBox(Case);
    Boite.exec();
    if (Boite.clickedButton() != btOui)
        return std::nullopt;
    return Case->isChecked();
}

void TMessagesQt::Information(QWidget *Parent, const QString &cTexte)
{
    Montre(Parent, QMessageBox::Information, QStringLiteral("Information"), cTexte);
}

void TMessagesQt::Attention(QWidget *Parent, const QString &cTexte)
{
    Montre(Parent, QMessageBox::Warning, QStringLiteral("Attention"), cTexte);
}

void TMessagesQt::Erreur(QWidget *Parent, const QString &cTexte)
{
    Montre(Parent, QMessageBox::Critical, QStringLiteral("Erreur"), cTexte);
}

IMessages &MessagesDe(TContexte &Contexte)
{
    if (!Contexte.Messages)
        Contexte.Messages = std::make_unique<TMessagesQt>();
    return *Contexte.Messages;
}
