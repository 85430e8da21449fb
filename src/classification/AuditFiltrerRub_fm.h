#pragma once
// "Filtrer les Rubriques": which groups of each rubric the audit lists. Each list counts its
// checked items so that OK is offered only while something would be listed.

#include "classification/Audit.h"

#include <QDialog>
#include <QIcon>

#include <array>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The glyph of the filter button: 0 without filter, 1 while some rubric is filtered.
QIcon GlypheFiltreAudit(int nImage);

class TfmExploreBDDAuditFiltrerRub : public QDialog
{
    Q_OBJECT
public:
    // Every rubric's groups, those selected checked (the camera models must be known).
    explicit TfmExploreBDDAuditFiltrerRub(const TSelectionsAudit &Selections, QWidget *Parent = nullptr);

    // Each rubric's checked groups in list order, as OK keeps them.
    TSelectionsAudit Selections() const;
    bool GenererApres() const;
    int Compte(TRubriqueAudit r) const { return m_Comptes[size_t(r)]; }

    QListWidget *lbCritHier = nullptr;
    QListWidget *lbMC = nullptr;
    QListWidget *lbTrt = nullptr;
    QListWidget *lbEXIF = nullptr;
    QListWidget *lbAlbImg = nullptr;
    QListWidget *lbAlbWHP = nullptr;
    QPushButton *btPasDeFiltre = nullptr;
    QCheckBox *cbGenereAuditAprValidFlt = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

    QListWidget *Liste(TRubriqueAudit r) const { return m_Listes[size_t(r)]; }
    // "Tous" and "Aucun" of a rubric's box.
    QPushButton *BoutonTous(TRubriqueAudit r) const { return m_Tous[size_t(r)]; }
    QPushButton *BoutonAucun(TRubriqueAudit r) const { return m_Aucun[size_t(r)]; }

private:
    void CocheTout(TRubriqueAudit r, bool lCoche);
    void ItemChange(TRubriqueAudit r, QListWidgetItem *Item);
    void MajOK();

    TSelectionsAudit m_Selections;
    std::array<QListWidget *, nNbRubriquesAudit> m_Listes{};
    std::array<QPushButton *, nNbRubriquesAudit> m_Tous{}, m_Aucun{};
    std::array<int, nNbRubriquesAudit> m_Comptes{};
    bool m_lRemplissage = false;
};
