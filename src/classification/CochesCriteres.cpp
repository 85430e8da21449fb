#include "classification/CochesCriteres.h"

#include "classification/ArboCriteres.h"

TCochesCriteres::TCochesCriteres(const TArboCriteres &Arbo) : m_pArbo(&Arbo)
{
    Actualise();
}

void TCochesCriteres::Actualise() const
{
    if (m_nGeneration == m_pArbo->Generation() && m_Coches.size() == size_t(m_pArbo->NbNoeuds()))
        return;
    m_nGeneration = m_pArbo->Generation();
    m_Coches.assign(size_t(m_pArbo->NbNoeuds()), false);
    m_nNbCoches = 0;
    ++m_nRevision;
}

bool TCochesCriteres::EstCoche(const TNoeudCritere &Noeud) const
{
    Actualise();
    const size_t n = size_t(Noeud.Index());
    return n < m_Coches.size() && m_Coches[n];
}

void TCochesCriteres::Pose(const TNoeudCritere &Noeud, bool lCoche)
{
    const size_t n = size_t(Noeud.Index());
    if (n >= m_Coches.size() || m_Coches[n] == lCoche)
        return;
    m_Coches[n] = lCoche;
    m_nNbCoches += lCoche ? 1 : -1;
    ++m_nRevision;
}

void TCochesCriteres::BasculerCritere(const TNoeudCritere &Noeud)
{
    Actualise();
    if (!EstCoche(Noeud)) {
        for (const TNoeudCritere *p = &Noeud; p; p = p->Parent())
            Pose(*p, true);
        return;
    }
    std::vector<const TNoeudCritere *> Pile{&Noeud};
    while (!Pile.empty()) {
        const TNoeudCritere *p = Pile.back();
        Pile.pop_back();
        Pose(*p, false);
        const std::vector<TNoeudCritere *> &Enfants = p->Enfants();
        for (auto it = Enfants.rbegin(); it != Enfants.rend(); ++it)
            if (EstCoche(**it))
                Pile.push_back(*it);
    }
}

void TCochesCriteres::DecocherTout()
{
    Actualise();
    if (m_nNbCoches == 0)
        return;
    m_Coches.assign(m_Coches.size(), false);
    m_nNbCoches = 0;
    ++m_nRevision;
}

bool TCochesCriteres::AuMoinsUnCritCoche() const
{
    return NbCoches() > 0;
}

int TCochesCriteres::NbCoches() const
{
    Actualise();
    return m_nNbCoches;
}

void TCochesCriteres::ListerCritCoches(QStringList &Liste) const
{
    Liste.clear();
    Actualise();
    if (m_nNbCoches == 0)
        return;
    const std::vector<TNoeudCritere *> &Preordre = m_pArbo->Preordre();
    // In pre-order a subtree follows its node: an unchecked node or a listed one is skipped
    // with everything under it.
    size_t i = 0;
    while (i < Preordre.size()) {
        const TNoeudCritere *Noeud = Preordre[i];
        if (!m_Coches[i]) {
            i += size_t(Noeud->Taille());
            continue;
        }
        bool lEnfantCoche = false;
        for (const TNoeudCritere *Enfant : Noeud->Enfants())
            if (m_Coches[size_t(Enfant->Index())]) {
                lEnfantCoche = true;
                break;
            }
        if (lEnfantCoche) {
            ++i;
        } else {
            Liste.append(CheminCritere(*Noeud));
            i += size_t(Noeud->Taille());
        }
    }
}

void TCochesCriteres::CocherChemin(const QString &cChemin)
{
    Actualise();
    const QStringList Composants = DecoupeChemin(cChemin);
    if (Composants.isEmpty())
        return;
    const TNoeudCritere *Noeud = m_pArbo->Racine(Composants.first());
    for (qsizetype i = 1; Noeud; ++i) {
        Pose(*Noeud, true);
        Noeud = i < Composants.size() ? Noeud->Enfant(Composants[i]) : nullptr;
    }
}

quint64 TCochesCriteres::Revision() const
{
    Actualise();
    return m_nRevision;
}
