#include "mainwindow/Fonctionnalite.h"

#include <QMenu>

void TFonctionnalitesKX::Ajoute(IFonctionnaliteKX *pFonctionnalite)
{
    if (pFonctionnalite && !m_Liste.contains(pFonctionnalite))
        m_Liste.append(pFonctionnalite);
}

QList<QAction *> TFonctionnalitesKX::Actions(TEmplacementAction nPlace) const
{
    QList<QAction *> l;
    for (IFonctionnaliteKX *p : m_Liste)
        l += p->Actions(nPlace);
    return l;
}

int TFonctionnalitesKX::AjouteAuMenu(QMenu *Menu, TEmplacementAction nPlace) const
{
    int n = 0;
    for (IFonctionnaliteKX *p : m_Liste) {
        const QList<QAction *> l = p->Actions(nPlace);
        if (l.isEmpty())
            continue;
        if (!Menu->isEmpty())
            Menu->addSeparator();
        Menu->addActions(l);
        n += static_cast<int>(l.size());
    }
    return n;
}

std::optional<bool> TFonctionnalitesKX::OuvreDossierDemande(const QString &cDossier) const
{
    std::optional<bool> Reponse;
    for (IFonctionnaliteKX *p : m_Liste) {
        const std::optional<bool> r = p->OuvreDossierDemande(cDossier);
        if (r && *r)
            return true;
        if (r)
            Reponse = false;
    }
    return Reponse;
}
