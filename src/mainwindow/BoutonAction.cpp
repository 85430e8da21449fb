#include "mainwindow/BoutonAction.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QPushButton>
#include <QAction>
#include <QEvent>
#include <QPointer>
#include <QToolButton>

namespace
{

class TLienBoutonAction : public QObject
{
public:
    TLienBoutonAction(QAbstractButton *Bouton, QAction *Action) : QObject(Bouton), m_Bouton(Bouton), m_Action(Action)
    {
        setObjectName(QStringLiteral("LienBoutonAction"));
        if (Bouton->isCheckable() || Action->isCheckable()) {
            Bouton->setCheckable(true);
            Action->setCheckable(true);
        }
        // The action's state wins: a feature may have set it before the button existed.
        CopieVersBouton();
        Bouton->installEventFilter(this);
        connect(Action, &QAction::changed, this, &TLienBoutonAction::CopieVersBouton);
        connect(Action, &QAction::toggled, Bouton, [this](bool lCoche) {
            if (m_Bouton && m_Bouton->isChecked() != lCoche)
                m_Bouton->setChecked(lCoche);
        });
        connect(Bouton, &QAbstractButton::toggled, Action, [this](bool lCoche) {
            if (m_Action && m_Action->isChecked() != lCoche)
                m_Action->setChecked(lCoche);
        });
        // Each side's activation is passed to the other once; the guard stops the echo.
        connect(Action, &QAction::triggered, Bouton, [this](bool lCoche) {
            if (m_lRelais || !m_Bouton)
                return;
            m_lRelais = true;
            emit m_Bouton->clicked(lCoche);
            m_lRelais = false;
        });
        connect(Bouton, &QAbstractButton::clicked, Action, [this](bool lCoche) {
            if (m_lRelais || !m_Action)
                return;
            m_lRelais = true;
            emit m_Action->triggered(lCoche);
            m_lRelais = false;
        });
    }

    QAction *Action() const { return m_Action; }

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override
    {
        if (Objet == m_Bouton && Evenement->type() == QEvent::EnabledChange && m_Action && !m_lCopie) {
            // Only the button's own state counts: a disabled parent disables it without
            // changing what its rule says.
            const bool lActive = m_Bouton->isEnabledTo(m_Bouton->parentWidget());
            if (m_Action->isEnabled() != lActive)
                m_Action->setEnabled(lActive);
        }
        return QObject::eventFilter(Objet, Evenement);
    }

private:
    void CopieVersBouton()
    {
        if (!m_Bouton || !m_Action)
            return;
        m_lCopie = true;
        m_Bouton->setEnabled(m_Action->isEnabled());
        if (m_Action->isCheckable() && m_Bouton->isChecked() != m_Action->isChecked())
            m_Bouton->setChecked(m_Action->isChecked());
        m_lCopie = false;
    }

    QPointer<QAbstractButton> m_Bouton;
    QPointer<QAction> m_Action;
    bool m_lRelais = false;
    bool m_lCopie = false;
};

} // namespace

void LieBoutonAction(QAbstractButton *Bouton, QAction *Action)
{
    if (!Bouton || !Action || ActionDuBouton(Bouton))
        return;
    new TLienBoutonAction(Bouton, Action);
}

QAction *ActionDuBouton(const QObject *Bouton)
{
    if (!Bouton)
        return nullptr;
    if (const auto *t = qobject_cast<const QToolButton *>(Bouton); t && t->defaultAction())
        return t->defaultAction();
    for (QObject *o : Bouton->children())
        if (auto *l = dynamic_cast<TLienBoutonAction *>(o))
            return l->Action();
    return nullptr;
}

QPushButton *AjouteBoutonBarre(QWidget *Barre, const char *cNom, const QString &cTexte, const QString &cBulle,
                               QAction *Action, int nPosition)
{
    auto *Rangee = qobject_cast<QBoxLayout *>(Barre ? Barre->layout() : nullptr);
    if (!Rangee || !Action)
        return nullptr;
    auto *b = new QPushButton(cTexte, Barre);
    b->setObjectName(QLatin1String(cNom));
    b->setToolTip(cBulle);
    b->setFocusPolicy(Qt::NoFocus);
    if (Action->objectName().isEmpty())
        Action->setObjectName(QStringLiteral("ac") + QLatin1String(cNom).mid(2));
    if (Action->text().isEmpty()) {
        Action->setText(cTexte);
        Action->setToolTip(cBulle);
    }
    LieBoutonAction(b, Action);
    Rangee->insertWidget(nPosition, b);
    return b;
}
