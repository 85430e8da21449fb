#include "classification/ArboCriteres.h"

#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <algorithm>

namespace
{
constexpr size_t nSeuilTableEnfants = 8;

bool EstBlanc(QChar c)
{
    return c.unicode() <= u' ';
}

QString SansBlancs(QStringView s)
{
    qsizetype nDebut = 0, nFin = s.size();
    while (nDebut < nFin && EstBlanc(s[nDebut]))
        ++nDebut;
    while (nFin > nDebut && EstBlanc(s[nFin - 1]))
        --nFin;
    return s.sliced(nDebut, nFin - nDebut).toString();
}
} // namespace

TNoeudCritere *TNoeudCritere::Enfant(const QString &cCaption) const
{
    if (!m_ParCaption.isEmpty())
        return m_ParCaption.value(cCaption, nullptr);
    for (TNoeudCritere *Noeud : m_Enfants)
        if (Noeud->m_cCaption == cCaption)
            return Noeud;
    return nullptr;
}

QString CheminCritere(const TNoeudCritere &Noeud)
{
    QStringList Captions;
    for (const TNoeudCritere *p = &Noeud; p; p = p->Parent())
        Captions.append(p->Caption());
    std::reverse(Captions.begin(), Captions.end());
    return Captions.join(u'/');
}

QStringList DecoupeChemin(const QString &cChemin)
{
    QStringList Composants;
    qsizetype nDebut = 0;
    for (;;) {
        const qsizetype nBarre = cChemin.indexOf(u'/', nDebut);
        const qsizetype nFin = nBarre < 0 ? cChemin.size() : nBarre;
        Composants.append(SansBlancs(QStringView(cChemin).sliced(nDebut, nFin - nDebut)));
        if (nBarre < 0)
            break;
        nDebut = nBarre + 1;
    }
    if (Composants.last().isEmpty())
        Composants.removeLast();
    return Composants;
}

QString ResumeCritCoches(const QStringList &Chemins, bool lTab)
{
    const QString cUnite = lTab ? QStringLiteral("\t") : QStringLiteral("     ");
    QStringList Lignes;
    QStringList Precedent;
    for (const QString &cChemin : Chemins) {
        const QStringList Composants = DecoupeChemin(cChemin);
        const qsizetype nCommun = std::min(Composants.size(), Precedent.size());
        qsizetype nDebut = 0;
        while (nDebut < nCommun && Composants[nDebut] == Precedent[nDebut])
            ++nDebut;
        for (qsizetype i = nDebut; i < Composants.size(); ++i)
            Lignes.append(cUnite.repeated(i) + Composants[i]);
        Precedent = Composants;
    }
    return Lignes.join(QStringLiteral("\r\n"));
}

TArboCriteres::TArboCriteres(QObject *parent) : QObject(parent), m_Racine(std::make_unique<TNoeudCritere>())
{
    m_Racine->m_nProfondeur = -1;
}

TArboCriteres::~TArboCriteres() = default;

void TArboCriteres::Vide()
{
    m_Preordre.clear();
    m_Noeuds.clear();
    m_Racine = std::make_unique<TNoeudCritere>();
    m_Racine->m_nProfondeur = -1;
    m_ilArbres.Vide();
}

TNoeudCritere *TArboCriteres::AjouteEnfant(TNoeudCritere &Parent, const QString &cCaption)
{
    m_Noeuds.push_back(std::make_unique<TNoeudCritere>());
    TNoeudCritere *Noeud = m_Noeuds.back().get();
    Noeud->m_cCaption = cCaption;
    Noeud->m_pParent = &Parent;
    Parent.m_Enfants.push_back(Noeud);
    if (!Parent.m_ParCaption.isEmpty()) {
        Parent.m_ParCaption.insert(cCaption, Noeud);
    } else if (Parent.m_Enfants.size() > nSeuilTableEnfants) {
        Parent.m_ParCaption.reserve(qsizetype(Parent.m_Enfants.size()) * 2);
        for (TNoeudCritere *Enfant : Parent.m_Enfants)
            Parent.m_ParCaption.insert(Enfant->m_cCaption, Enfant);
    }
    return Noeud;
}

void TArboCriteres::ChargerIconeCritere(TNoeudCritere &Noeud, const QString &cNomFichier)
{
    Noeud.m_cImageCH = cNomFichier;
    Noeud.m_nIndexImage = m_ilArbres.IndexIcone(cNomFichier);
    Noeud.m_Icone = m_ilArbres.Icone(Noeud.m_nIndexImage);
}

void TArboCriteres::ChargerArboCritHier(const TBigIniFile &iniSetup, const TEnrParametres &Parametres,
                                        const QString &cDossierImgsCH)
{
    m_pIniSetup = &iniSetup;
    m_pParametres = &Parametres;
    m_ilArbres.setDossier(cDossierImgsCH);
    Recharger();
}

void TArboCriteres::Recharger()
{
    if (!m_pIniSetup || !m_pParametres)
        return;
    Vide();
    ++m_nGeneration;

    // The decoded keys and the whole lines come in the same order, one per key line, so that
    // a key holding "=" or "%" is read as it was written while its value stays as it stands.
    QStringList Cles, Lignes;
    m_pIniSetup->ReadSection(cSectionCritHier, Cles);
    m_pIniSetup->ReadSectionValues(cSectionCritHier, Lignes);
    const qsizetype nLignes = std::min(Cles.size(), Lignes.size());
    for (qsizetype i = 0; i < nLignes; ++i) {
        const QString &cLigne = Lignes[i];
        const QString cIcone = cLigne.mid(cLigne.indexOf(u'=') + 1);
        TNoeudCritere *Courant = m_Racine.get();
        for (const QString &cComposant : DecoupeChemin(Cles[i])) {
            TNoeudCritere *Suivant = Courant->Enfant(cComposant);
            if (!Suivant) {
                Suivant = AjouteEnfant(*Courant, cComposant);
                ChargerIconeCritere(*Suivant, cIcone);
            }
            Courant = Suivant;
        }
    }
    if (m_pParametres->lTrierArboCritHier)
        TrieEnfants();
    Numerote();
    emit ArboChargee();
}

void TArboCriteres::TrieEnfants()
{
    // Code order of the characters, as a byte comparison of the UTF-8 text gives it; each
    // caption is encoded once rather than at every comparison.
    std::vector<std::pair<QByteArray, TNoeudCritere *>> Cles;
    auto Trie = [&Cles](TNoeudCritere &Parent) {
        if (Parent.m_Enfants.size() < 2)
            return;
        Cles.clear();
        for (TNoeudCritere *Enfant : Parent.m_Enfants)
            Cles.emplace_back(Enfant->m_cCaption.toUtf8(), Enfant);
        std::stable_sort(Cles.begin(), Cles.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        for (size_t i = 0; i < Cles.size(); ++i)
            Parent.m_Enfants[i] = Cles[i].second;
    };
    Trie(*m_Racine);
    for (const std::unique_ptr<TNoeudCritere> &Noeud : m_Noeuds)
        Trie(*Noeud);
}

void TArboCriteres::Numerote()
{
    m_Preordre.clear();
    m_Preordre.reserve(m_Noeuds.size());
    // Children are pushed in reverse so that the first one comes off the stack first.
    std::vector<TNoeudCritere *> Pile(m_Racine->m_Enfants.rbegin(), m_Racine->m_Enfants.rend());
    while (!Pile.empty()) {
        TNoeudCritere *Noeud = Pile.back();
        Pile.pop_back();
        Noeud->m_nIndex = int(m_Preordre.size());
        Noeud->m_nProfondeur = Noeud->m_pParent->m_nProfondeur + 1;
        m_Preordre.push_back(Noeud);
        Pile.insert(Pile.end(), Noeud->m_Enfants.rbegin(), Noeud->m_Enfants.rend());
    }
    // In reverse pre-order every child is counted before its parent.
    for (auto it = m_Preordre.rbegin(); it != m_Preordre.rend(); ++it) {
        TNoeudCritere *Noeud = *it;
        Noeud->m_nTaille = 1;
        for (const TNoeudCritere *Enfant : Noeud->m_Enfants)
            Noeud->m_nTaille += Enfant->m_nTaille;
    }
}

TNoeudCritere *TArboCriteres::NoeudDeChemin(const QString &cChemin) const
{
    const QStringList Composants = DecoupeChemin(cChemin);
    if (Composants.isEmpty())
        return nullptr;
    const TNoeudCritere *Courant = m_Racine.get();
    for (const QString &cComposant : Composants) {
        Courant = Courant->Enfant(cComposant);
        if (!Courant)
            return nullptr;
    }
    return const_cast<TNoeudCritere *>(Courant);
}
