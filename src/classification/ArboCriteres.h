#pragma once
// The hierarchical criteria tree as data: the nodes the user built, as the settings store
// keeps them in section `CRITERES HIERARCHIQUES` (one line per node, its path as key and its
// icon file as value, in tree order).
//
// One tree serves every view: the search tree, the classification window's copy and the
// later ones each keep their own check marks (TCochesCriteres) beside it. A criterion is
// known everywhere by its path, the captions from the top level down joined by "/".
//
// Nothing here walks the tree by recursion: a hand-edited key may hold thousands of
// components, and every walk goes through the pre-order list or an explicit stack.

#include "classification/IconesArbres.h"
#include "storage/Sections.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class TBigIniFile;
struct TEnrParametres;

class TNoeudCritere
{
public:
    const QString &Caption() const { return m_cCaption; }
    // The icon file named by the line that created the node (empty: none).
    const QString &ImageCH() const { return m_cImageCH; }
    // Index in the image list: 0 for the default folder, 39 + n for the criterion's own icon.
    int IndexImage() const { return m_nIndexImage; }
    const QIcon &Icone() const { return m_Icone; }

    // nullptr for a top-level node.
    TNoeudCritere *Parent() const { return m_pParent && m_pParent->m_pParent ? m_pParent : nullptr; }
    const std::vector<TNoeudCritere *> &Enfants() const { return m_Enfants; }
    // The child of that exact caption (case included), or nullptr.
    TNoeudCritere *Enfant(const QString &cCaption) const;

    // Position in the pre-order of the whole tree (0 for the first top-level node).
    int Index() const { return m_nIndex; }
    // Nodes of the subtree, the node included: its descendants are the nodes whose
    // Index() lies in [Index() + 1, Index() + Taille()).
    int Taille() const { return m_nTaille; }
    // 0 for a top-level node.
    int Profondeur() const { return m_nProfondeur; }

private:
    friend class TArboCriteres;

    QString m_cCaption;
    QString m_cImageCH;
    int m_nIndexImage = IconesArbres::nDossierFerme;
    QIcon m_Icone;
    TNoeudCritere *m_pParent = nullptr;
    std::vector<TNoeudCritere *> m_Enfants;
    // Built once the children are many enough for a table to beat a look along the list.
    QHash<QString, TNoeudCritere *> m_ParCaption;
    int m_nIndex = -1;
    int m_nTaille = 1;
    int m_nProfondeur = 0;
};

// The captions of the node's ancestors from the top level down to the node, joined by "/".
QString CheminCritere(const TNoeudCritere &Noeud);

// The components of a criterion path as the tree reads them: split on "/", each trimmed of
// blanks at both ends, an empty last component dropped.
QStringList DecoupeChemin(const QString &cChemin);

// An indented outline of criterion paths, one line per component not shared with the
// previous path, indented by five blanks (one TAB when lTab) per level; lines are separated
// by CR LF. An empty list gives the empty text.
QString ResumeCritCoches(const QStringList &Chemins, bool lTab = false);

class TArboCriteres : public QObject
{
    Q_OBJECT
public:
    explicit TArboCriteres(QObject *parent = nullptr);
    ~TArboCriteres() override;

    // Rebuilds the tree from the store's section: each line's components are looked up
    // among the children of the previous one (exact case) and appended when absent, with the
    // line's icon; with Parametres.lTrierArboCritHier every node's children are then sorted
    // by the code order of their captions. The icon files are read from cDossierImgsCH.
    // Where the tree came from is kept for Recharger(), so the store and the settings record
    // must outlive the tree (the application context holds both for the whole run).
    void ChargerArboCritHier(const TBigIniFile &iniSetup, const TEnrParametres &Parametres,
                             const QString &cDossierImgsCH);
    // Loads again from the same store, with the settings of the moment: after the criteria
    // editor has changed the tree or an icon. Does nothing before a first loading.
    void Recharger();

    // The image list that the nodes' indexes point into; its reading of the icon files may
    // be replaced (tests count the reads).
    TListeImagesArbres &ilArbres() { return m_ilArbres; }
    const TListeImagesArbres &ilArbres() const { return m_ilArbres; }

    bool EstVide() const { return m_Preordre.empty(); }
    int NbNoeuds() const { return int(m_Preordre.size()); }
    const std::vector<TNoeudCritere *> &Racines() const { return m_Racine->m_Enfants; }
    // Every node, a node before its children, siblings in order.
    const std::vector<TNoeudCritere *> &Preordre() const { return m_Preordre; }
    TNoeudCritere *Noeud(int nIndex) const
    {
        return nIndex >= 0 && nIndex < NbNoeuds() ? m_Preordre[size_t(nIndex)] : nullptr;
    }
    // The node of an exact path (split as DecoupeChemin does), or nullptr.
    TNoeudCritere *NoeudDeChemin(const QString &cChemin) const;
    // The top-level node of that exact caption, or nullptr.
    TNoeudCritere *Racine(const QString &cCaption) const { return m_Racine->Enfant(cCaption); }

    // Grows by one at every loading: node pointers and indexes of an earlier loading are no
    // longer valid, and check marks taken on it are dropped.
    quint64 Generation() const { return m_nGeneration; }

    // Gives the node the icon named by cNomFichier, or the default folder.
    void ChargerIconeCritere(TNoeudCritere &Noeud, const QString &cNomFichier);

signals:
    // After every loading, for the views to rebuild.
    void ArboChargee();

private:
    void Vide();
    TNoeudCritere *AjouteEnfant(TNoeudCritere &Parent, const QString &cCaption);
    void TrieEnfants();
    void Numerote();

    std::vector<std::unique_ptr<TNoeudCritere>> m_Noeuds; // owner, in creation order
    std::unique_ptr<TNoeudCritere> m_Racine;              // hidden root above the top level
    std::vector<TNoeudCritere *> m_Preordre;
    TListeImagesArbres m_ilArbres;
    quint64 m_nGeneration = 0;

    const TBigIniFile *m_pIniSetup = nullptr;
    const TEnrParametres *m_pParametres = nullptr;
};
