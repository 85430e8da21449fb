#pragma once
// The filter buttons of the pages (exploration, search): the glyph tells whether the filter
// does something, the hint sums it up, the right button's menu "&Pas de Filtre" resets it.
// And the filter's place in the listing: prepared before, tested for each candidate, released
// after.

#include "filters/Filtres.h"
#include "filters/ImageFiltree.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QPushButton;
class TContexte;
class TListeImagesKX;
class TfmFiltres;
enum class TModeListe;

// The two glyphs of the filter buttons, drawn by the program: 0 no filter, 1 a filter acts.
const QList<QIcon> &ImagesFiltres();

class TBoutonFiltresKX : public QObject
{
    Q_OBJECT
public:
    TBoutonFiltresKX(QPushButton *Bouton, TEnrFiltres &Enr, TTypeFiltre nType, TContexte &Contexte);

    // The glyph (1 when the filter acts, else 0) and the summary as the hint.
    void AfficheFiltre();
    // Every field back to its default, then AfficheFiltre.
    void RAZFiltre();
    // Opens the filter editor on the record; true when validated (the glyph and hint then
    // follow).
    bool EditeFiltre();
    int Glyphe() const { return m_nGlyphe; }

    // Another editor in place of the dialog (tests).
    std::function<bool(TEnrFiltres &Enr)> fnEditeFiltre;
    // Called with the dialog before it is shown modally (tests drive it from there).
    std::function<void(TfmFiltres &)> fnAvantExec;
    // Runs the search after a validated search filter whose dialog asked for it; by default
    // the search page's "Rechercher" button.
    std::function<void()> fnLanceRecherche;
    // What a reset or a validated edit rebuilds (the exploration list; nothing for the search).
    std::function<void()> fnReconstruit;

    QPushButton *Bouton = nullptr;
    QMenu *pmFiltres = nullptr;
    QAction *miFiltresPasDeFiltre = nullptr;

    void BoutonClick();
    void BoutonMouseUp(const QPoint &ptEcran);
    void miFiltresPasDeFiltreClick();

protected:
    bool eventFilter(QObject *Objet, QEvent *Evenement) override;

private:
    TEnrFiltres &m_Enr;
    TTypeFiltre m_nType;
    TContexte &m_Contexte;
    int m_nGlyphe = 0;
    bool m_lLanceRecherche = false;

    bool OuvreEditeur();
};

// The filters of the listings: before each listing the filter of its mode is prepared (an
// invalid mask is told and the listing does not happen), the walk tests each candidate, and
// the preparation is released after.
class TFiltresListeKX : public QObject
{
    Q_OBJECT
public:
    TFiltresListeKX(TListeImagesKX &Liste, TContexte &Contexte, QWidget *Parent);

    bool Prepare(TModeListe nMode);
    void Libere();
    // The test of the filter prepared for the current listing (every image passes outside one).
    bool Teste(TCandidatFiltre &Candidat);

    // Stand-ins for the colour and pattern tests (tests put them here); without them the
    // thumbnails are judged.
    std::function<int(TCandidatFiltre &, const TEnrFiltres &)> fnPctColorimetrie;
    std::function<int(TCandidatFiltre &, const TEnrFiltres &)> fnPctMotif;
    // A stand-in for the remembered treatments of a thumbnail (see TContexteFiltre).
    std::function<std::function<void(QImage &)>(const TCandidatFiltre &)> fnTraitement;
    // Worker threads judging thumbnails ahead of the walk (0: one per core, -1: none).
    int nFilsPixels = 0;

private:
    TListeImagesKX &m_Liste;
    TContexte &m_Contexte;
    QWidget *m_Parent;
    TEtatFiltre m_Etat;
    // What the listing's seam held before this listing took it.
    std::function<bool(TCandidatFiltre &)> m_FiltreAvant;
    std::function<void(qint32, const QString &)> m_CompteAvant;
    bool m_lFiltreLongAvant = false;
    bool m_lFiltrePris = false;
};

// Fills the context's camera models from the catalogue: the cached records at once, the files
// of the other images on worker threads, their models merged on the owner's thread when read.
// Destroying it stops the reading.
class TRemplisseurAppareils : public QObject
{
    Q_OBJECT
public:
    TRemplisseurAppareils(TContexte &Contexte, QObject *Parent);
    ~TRemplisseurAppareils() override;
    void Lance();
    bool EnCours() const { return m_Fil != nullptr; }
    // Called on the owner's thread once the files were read (tests wait for it).
    std::function<void()> fnFini;

private:
    TContexte &m_Contexte;
    class QThread *m_Fil = nullptr;
    std::shared_ptr<std::atomic<bool>> m_lAnnule;
};

// The exploration page's button and the listing's filters.
TFiltresListeKX *InstalleFiltresExploration(QPushButton *btExplFiltres, TListeImagesKX &Liste, TContexte &Contexte,
                                            std::function<void()> fnReconstruit, TBoutonFiltresKX **ppBouton = nullptr);
// The search page's button: its filter is reset and shown, and nothing is rebuilt.
TBoutonFiltresKX *InstalleFiltresRecherche(QPushButton *btRechFiltres, TContexte &Contexte);
