#pragma once
// The two windows of the duplicate search: the choice of the candidate images (the main image
// list, or a folder with or without its sub-folders) and the pairs found, side by side, where
// the user ticks the copies to delete. The search itself lives in publishing/Doublons.

#include "publishing/Doublons.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class IVolumes;
class TFolderTreeView;
class TModeleListeImages;
class TPaneledListView;

// "Images en double : choix des images".
class TfmDoublonsChoixImg : public QDialog
{
    Q_OBJECT
public:
    // pModele: the main image list (its rows not on a CD are shown); cDossier: the folder the
    // tree starts on.
    TfmDoublonsChoixImg(const TModeleListeImages *pModele, const IVolumes *pVolumes, const QString &cDossier,
                        QWidget *Parent = nullptr);

    TChoixDoublons Choix() const;

    QRadioButton *rbListeImg = nullptr;
    QRadioButton *rbAutreEmplac = nullptr;
    QTreeView *lvDblListeImgs = nullptr; // the copy of the main list
    TFolderTreeView *tvDblReps = nullptr;
    QPushButton *btLectRecurs = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

private:
    void MajControles();
};

// How the pairs window draws its thumbnail panes.
struct TAspectVignettesDoublons
{
    bool lPanels3D = true;
    QColor CouleurPanneaux;
    QColor CouleurTexte;
    QColor CouleurFond;
};

// "Doublons", then "%d image(s) en double".
class TfmDoublons : public QDialog
{
    Q_OBJECT
public:
    // The candidates and pairs are only pointed to: they must outlive the window. fnImage gives
    // the 160-pixel picture of a candidate.
    TfmDoublons(const QList<TEnrImgSel> &Candidats, const QList<TPaireDoublons> &Paires,
                const TModeleListeImages *pModele, bool lModeMAJ, const TAspectVignettesDoublons &Aspect,
                std::function<QImage(const TEnrImgSel &)> fnImage, QWidget *Parent = nullptr);

    // The ticked rows as the deletion list, and whether the trash is skipped.
    TChoixSuppression Resultat() const;

    bool Coche(bool lSimilaires, int nLigne) const;
    void Bascule(bool lSimilaires, int nLigne);
    // The x where a row's tick area ends, in the list's viewport.
    static constexpr int nLargeurCoche = 15;

    QTreeWidget *lvDblImgs = nullptr;
    QTreeWidget *lvDblImgsSimil = nullptr;
    TPaneledListView *plvDblImgs = nullptr;
    TPaneledListView *plvDblImgsSimil = nullptr;
    QCheckBox *cbDefinitif = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btAnnuler = nullptr;

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    QTreeWidget *NouvelleListe(const QString &cNom);
    TPaneledListView *NouveauPanneau(const QString &cNom, const TAspectVignettesDoublons &Aspect);
    void Remplit();
    void LigneChange(QTreeWidget *Source, int nLigne);
    void Montre(TPaneledListView *Panneau, int nCandidat);

    const QList<TEnrImgSel> &m_Candidats;
    const QList<TPaireDoublons> &m_Paires;
    const TModeleListeImages *m_pModele;
    std::function<QImage(const TEnrImgSel &)> m_fnImage;
    bool m_lSynchro = false;
};

// The cells of a pair row: "Nom", "Emplacement", "Résol.", "Taille" (empty for 0 bytes), "Date"
// (local time; empty when it does not convert).
QStringList CellulesDoublon(const TEnrImgSel &Enr);
