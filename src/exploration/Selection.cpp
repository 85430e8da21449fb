#include "exploration/Selection.h"

TSelectionKX::TSelectionKX(TModeleListeImages &Modele, QObject *Parent) : QObject(Parent), m_Modele(Modele)
{
    // A sort moves the current entry to another row: the same entry, so no signal.
    connect(&m_Modele, &TModeleListeImages::ordreChange, this, [this](const std::vector<int> &nAnciens) {
        for (size_t i = 0; i < nAnciens.size(); ++i)
            if (nAnciens[i] == m_nLigne) {
                m_nLigne = static_cast<int>(i);
                return;
            }
    });
    connect(&m_Modele, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int nPremiere, int nDerniere) {
                if (m_nLigne < nPremiere)
                    return;
                if (m_nLigne > nDerniere)
                    m_nLigne -= nDerniere - nPremiere + 1;
                else
                    Devient(-1);
            });
    // A reset (a new listing, new columns) leaves the views without a current row.
    connect(&m_Modele, &QAbstractItemModel::modelReset, this, [this] { Devient(-1); });
    connect(&m_Modele, &TModeleListeImages::nbCochesChange, this, &TSelectionKX::CochesChange);
}

QString TSelectionKX::CleCourante() const
{
    const TEnrLV *p = EnrCourant();
    return p ? p->Cle() : QString();
}

const TEnrLV *TSelectionKX::EnrCourant() const
{
    return m_nLigne >= 0 && m_nLigne < m_Modele.Nombre() ? &m_Modele.Enr(m_nLigne) : nullptr;
}

TEnrLV *TSelectionKX::EnrCourant()
{
    return m_nLigne >= 0 && m_nLigne < m_Modele.Nombre() ? &m_Modele.Enr(m_nLigne) : nullptr;
}

void TSelectionKX::Devient(int nLigne)
{
    if (nLigne == m_nLigne)
        return;
    m_nLigne = nLigne;
    emit CouranteChange(m_nLigne, CleCourante());
}

void TSelectionKX::MetLigneCourante(int nLigne)
{
    Devient(nLigne >= 0 && nLigne < m_Modele.Nombre() ? nLigne : -1);
}

void TSelectionKX::MetModeMAJ(bool lModeMAJ)
{
    if (lModeMAJ == m_lModeMAJ)
        return;
    m_lModeMAJ = lModeMAJ;
    emit ModeChange(m_lModeMAJ);
}

void TSelectionKX::MetDossierCourant(const QString &cDossier)
{
    if (cDossier == m_cDossier)
        return;
    m_cDossier = cDossier;
    emit DossierChange(m_cDossier);
}

void TSelectionKX::SignaleListeConstruite(TModeListe nMode)
{
    m_nModeListe = nMode;
    emit ListeConstruite(nMode);
}

void TSelectionKX::SignaleClassement(const QString &cCle)
{
    if (!cCle.isEmpty())
        emit ClassementChange(cCle);
}

void TSelectionKX::SignaleImage(const QString &cCle)
{
    if (!cCle.isEmpty())
        emit ImageChange(cCle);
}
