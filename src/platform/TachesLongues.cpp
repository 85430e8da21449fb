#include "platform/TachesLongues.h"

#include <QMetaObject>

const QString TTachesLongues::cCleArret = QStringLiteral("arret");
const QString TTachesLongues::cCleListe = QStringLiteral("liste");

TTachesLongues &TTachesLongues::Etat()
{
    static TTachesLongues Etat;
    return Etat;
}

void TTachesLongues::Entre()
{
    // An Esc pressed before the task began is not a request to stop it.
    if (m_nProfondeur == 0)
        m_lEchap = false;
    ++m_nProfondeur;
}

void TTachesLongues::Sort()
{
    if (m_nProfondeur <= 0)
        return;
    if (--m_nProfondeur == 0) {
        m_lEchap = false;
        Poste();
    }
}

bool TTachesLongues::PrendEchap()
{
    const bool l = m_lEchap;
    m_lEchap = false;
    return l;
}

void TTachesLongues::Differe(const QString &cCle, QObject *Destinataire, std::function<void()> Action)
{
    if (!Action)
        return;
    if (!EnCours()) {
        Action();
        return;
    }
    for (TAction &a : m_Attente) {
        if (a.cCle == cCle) {
            a.Destinataire = Destinataire;
            a.Action = std::move(Action);
            return;
        }
    }
    m_Attente.append({cCle, Destinataire, std::move(Action)});
}

QStringList TTachesLongues::ClesEnAttente() const
{
    QStringList c;
    for (const TAction &a : m_Attente)
        c << a.cCle;
    return c;
}

void TTachesLongues::Poste()
{
    QList<TAction> Attente;
    Attente.swap(m_Attente);
    // Nothing is opened or listed on the way out: the stop's action alone runs.
    bool lArret = false;
    for (const TAction &a : Attente)
        lArret = lArret || (m_lArret && a.cCle == cCleArret);
    for (TAction &a : Attente) {
        if (!a.Destinataire || (lArret && a.cCle != cCleArret))
            continue;
        QObject *Destinataire = a.Destinataire;
        QMetaObject::invokeMethod(
            Destinataire,
            [this, cCle = a.cCle, Destinataire, Action = std::move(a.Action)]() mutable {
                if (!m_lArret || cCle == cCleArret)
                    Differe(cCle, Destinataire, std::move(Action));
            },
            Qt::QueuedConnection);
    }
}
