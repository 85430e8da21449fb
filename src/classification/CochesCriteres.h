#pragma once
// The check marks of one view of the criteria tree, kept apart from the tree so that the
// search tree, the classification window and later views each have their own over one
// shared tree.
//
// Checked criteria always form whole paths from the top level: checking a node checks its
// ancestors, unchecking it unchecks its checked descendants. A loading of the tree drops
// every mark (the set notices the tree's new generation).

#include <QString>
#include <QStringList>
#include <vector>

class TArboCriteres;
class TNoeudCritere;

class TCochesCriteres
{
public:
    explicit TCochesCriteres(const TArboCriteres &Arbo);

    const TArboCriteres &Arbo() const { return *m_pArbo; }

    bool EstCoche(const TNoeudCritere &Noeud) const;
    // Unchecked: checks the node and every ancestor. Checked: unchecks it, then each checked
    // child in turn the same way; unchecked children are not descended into.
    void BasculerCritere(const TNoeudCritere &Noeud);
    void DecocherTout();
    bool AuMoinsUnCritCoche() const;
    int NbCoches() const;
    // Clears the list, then adds the path of every deepest checked node, in tree order.
    void ListerCritCoches(QStringList &Liste) const;
    // Checks the nodes named by the path's components from the top level down (exact case),
    // stopping at the first component not found.
    void CocherChemin(const QString &cChemin);

    // Grows at every change of the marks, so that a view can keep what it derived from them
    // (its hint) until they change.
    quint64 Revision() const;

private:
    void Actualise() const;
    void Pose(const TNoeudCritere &Noeud, bool lCoche);

    const TArboCriteres *m_pArbo;
    mutable std::vector<bool> m_Coches; // by pre-order index
    mutable quint64 m_nGeneration = 0;
    mutable int m_nNbCoches = 0;
    mutable quint64 m_nRevision = 0;
};
