#pragma once
// What is current in the window, as one object every feature connects to: the list that was
// built and its mode, the current entry, the checks, the working mode and the current folder.
// The windows that change these report them here; the others listen to the signals and ask
// the queries, so that a second feature never displaces the first one's hook.

#include "exploration/ModeleListe.h"

#include <QObject>
#include <QString>

class TSelectionKX : public QObject
{
    Q_OBJECT
public:
    explicit TSelectionKX(TModeleListeImages &Modele, QObject *Parent = nullptr);

    TModeleListeImages &Modele() { return m_Modele; }
    const TModeleListeImages &Modele() const { return m_Modele; }

    // The current entry: its row (-1 when none), key and record (null when none). The row
    // follows sorts and removals of the rows before it.
    int LigneCourante() const { return m_nLigne; }
    QString CleCourante() const;
    const TEnrLV *EnrCourant() const;
    TEnrLV *EnrCourant();

    // Where the current list came from; the working mode (true: update, false: consultation);
    // the folder the exploration page shows, as it is kept for the next start.
    TModeListe ModeListe() const { return m_nModeListe; }
    bool ModeMAJ() const { return m_lModeMAJ; }
    QString DossierCourant() const { return m_cDossier; }

    // Reports from the windows that make the change. Each signal fires once per real change:
    // reporting what already holds is silent.
    void MetLigneCourante(int nLigne);
    void MetModeMAJ(bool lModeMAJ);
    void MetDossierCourant(const QString &cDossier);
    void SignaleListeConstruite(TModeListe nMode);
    void SignaleClassement(const QString &cCle);
    void SignaleImage(const QString &cCle);

signals:
    // A listing ended (rows, thumbnails and first entry in place).
    void ListeConstruite(TModeListe nMode);
    // Another entry became current (-1 and an empty key: none).
    void CouranteChange(int nLigne, const QString &cCle);
    // A row was checked or unchecked; nNbCoches is the new count.
    void CochesChange(int nNbCoches);
    // The criteria, favourite mark or comments of an image changed.
    void ClassementChange(const QString &cCle);
    // The picture of an image changed (a thumbnail remade, a treatment kept).
    void ImageChange(const QString &cCle);
    void ModeChange(bool lModeMAJ);
    void DossierChange(const QString &cDossier);

private:
    void Devient(int nLigne);

    TModeleListeImages &m_Modele;
    int m_nLigne = -1;
    TModeListe m_nModeListe = TModeListe::Exploration;
    bool m_lModeMAJ = false;
    QString m_cDossier;
};
