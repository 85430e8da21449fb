#pragma once
// The floating thumbnail `TfmVignetteFlottante`: while the mouse moves over the label of a node
// of a followed tree, a small borderless window in the tree's far corner shows one image of
// that node with its rank and name. It never takes the focus or the mouse. A node's images are
// listed when the mouse enters it (again when its folder changed), not at every move; the
// picture is decoded on a worker and shown only if the mouse is still on that node.

#include "calendar/PleinEcran.h"
#include "calendar/VignetteFlottante.h"

#include <QHash>
#include <QPointer>
#include <QThreadPool>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;
class TContexte;
class TDrawLabel;

// What the window needs of a node of a followed tree.
struct TNoeudVF
{
    bool lValide = false; // the node can be shown (its drive answers, it has images)
    QString cIdentite;    // the node's identity (the image key of its folder)
    QString cDossier;     // its folder on disk, whose date tells when to list it again; may be empty
    std::function<TListeVF()> fnListe;
};

// Has the floating thumbnail follow a folder tree of any window of the program running on that
// context, whenever the thumbnail is switched on.
void SuivreArbreDossiers(QTreeWidget *Arbre, TContexte &Contexte);

class TfmVignetteFlottante : public QWidget
{
    Q_OBJECT
public:
    using TFournisseur = std::function<TNoeudVF(const QTreeWidgetItem *pItem)>;

    explicit TfmVignetteFlottante(TContexte &Contexte);
    ~TfmVignetteFlottante() override;

    // Follows a tree of a kind (0 folder tree, 1 CD tree, 2 explorer tree) with its provider.
    void Suivre(QTreeWidget *Arbre, quint8 nTypeArbre, TFournisseur Fournisseur);
    // `SuivreSouris`: the mouse at pt (viewport coordinates) over a followed tree.
    void SuivreSouris(QTreeWidget *Arbre, const QPoint &pt);
    TEnrVigFlot Enr(QTreeWidget *Arbre) const { return m_Arbres.value(Arbre).R; }
    bool Suit(QTreeWidget *Arbre) const { return m_Arbres.contains(Arbre); }

    // Draws the random positions of "any image" (tests fix them).
    std::function<int(int n)> fnHasard;
    // For the tests: waits for the decode asked for to be applied.
    bool AttendChargement(int nMs = 10000);
    QString TexteNombre() const;
    QString TexteNom() const;

    // The folder trees of the main window, built with what the context knows of volumes and
    // thumbnails.
    static TFournisseur FournisseurDossiers(TContexte &Contexte);
    static TFournisseur FournisseurCD(TContexte &Contexte);

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    struct TArbre
    {
        quint8 nType = 0;
        TFournisseur Fournisseur;
        TEnrVigFlot R;
    };
    struct TAttente
    {
        QPointer<QTreeWidget> Arbre;
        QString cIdentite;
        QString cFichier;
        int nPosition = -1;
        int nNombre = 0;
        QString cNom;
        QPoint Souris;
    };
    void Cache();
    void DemandeListe(const TNoeudVF &Noeud, qint64 nDate);
    void ListeRecue(quint64 nDemande, const QString &cIdentite, qint64 nDate, const TListeVF &Liste);
    void Recoit();
    void Applique(const PleinEcran::TImagePleinEcran &Image);
    // Whether another window of the program lies over the tree at pt (viewport coordinates).
    bool Couvert(const QTreeWidget *Arbre, const QPoint &pt) const;
    QTreeWidgetItem *NoeudSousSouris(QTreeWidget *Arbre, const QPoint &pt, int *pGauche, int *pDroite) const;

    TContexte &m_Contexte;
    TDrawLabel *stNombreImages = nullptr;
    TDrawLabel *stNomImage = nullptr;
    QLabel *imDst = nullptr;
    QHash<QTreeWidget *, TArbre> m_Arbres;
    // The node whose list is held, and its folder's date when it was listed.
    QString m_cNoeudListe;
    qint64 m_nDateListe = 0;
    TListeVF m_Liste;
    // The list being built on a worker, for which node and folder date; a newer request makes
    // the older ones skip their work or their result.
    QString m_cNoeudDemande;
    qint64 m_nDateDemande = 0;
    std::shared_ptr<std::atomic<quint64>> m_pDemandeListe;
    QThreadPool m_Listeurs;
    TAttente m_Attente;
    // The node and tree under the mouse now.
    QString m_cNoeudSouris;
    QTreeWidget *m_pArbreSouris = nullptr;
    QPoint m_ptSouris;
    std::shared_ptr<std::atomic<int>> m_pMaxLH;
    std::unique_ptr<PleinEcran::TAvanceImages> m_pDecodeur;
};
