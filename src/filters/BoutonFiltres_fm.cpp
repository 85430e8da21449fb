#include "filters/BoutonFiltres_fm.h"
#include "mainwindow/ContextesAide.h"

#include "components/MessagesQt.h"
#include "components/PaneledListView.h"
#include "exploration/EnrLV.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
#include "filters/Filtres_fm.h"
#include "filters/ListeAppareils.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"
#include "storage/TaillesVignettes.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <utility>

namespace
{
// A funnel: outlined in grey when no filter acts, filled in orange when one does.
QPixmap DessineEntonnoir(bool lActif)
{
    QPixmap Pix(16, 16);
    Pix.fill(Qt::transparent);
    QPainter p(&Pix);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath Chemin;
    Chemin.moveTo(1.5, 2.5);
    Chemin.lineTo(14.5, 2.5);
    Chemin.lineTo(9.5, 8.5);
    Chemin.lineTo(9.5, 14.0);
    Chemin.lineTo(6.5, 12.0);
    Chemin.lineTo(6.5, 8.5);
    Chemin.closeSubpath();
    if (lActif) {
        p.setPen(QPen(QColor(140, 60, 0), 1.2));
        p.setBrush(QColor(255, 140, 0));
    } else {
        p.setPen(QPen(QColor(110, 110, 110), 1.2));
        p.setBrush(Qt::NoBrush);
    }
    p.drawPath(Chemin);
    return Pix;
}
}

const QList<QIcon> &ImagesFiltres()
{
    static const QList<QIcon> Images = {QIcon(DessineEntonnoir(false)), QIcon(DessineEntonnoir(true))};
    return Images;
}

TBoutonFiltresKX::TBoutonFiltresKX(QPushButton *pBouton, TEnrFiltres &Enr, TTypeFiltre nType, TContexte &Contexte)
    : QObject(pBouton), Bouton(pBouton), m_Enr(Enr), m_nType(nType), m_Contexte(Contexte)
{
    pmFiltres = new QMenu(Bouton);
    pmFiltres->setObjectName(QStringLiteral("pmFiltres"));
    miFiltresPasDeFiltre = pmFiltres->addAction(QStringLiteral("&Pas de Filtre"));
    miFiltresPasDeFiltre->setObjectName(QStringLiteral("miFiltresPasDeFiltre"));
    connect(miFiltresPasDeFiltre, &QAction::triggered, this, [this] { miFiltresPasDeFiltreClick(); });

    // The button takes clicks (the menu needs them) even while the editor is not there.
    Bouton->setEnabled(true);
    // The menu opens when the right button is released, as the other pop-ups of the program.
    Bouton->setContextMenuPolicy(Qt::PreventContextMenu);
    Bouton->installEventFilter(this);
    connect(Bouton, &QPushButton::clicked, this, [this] { BoutonClick(); });
    RAZFiltre();
}

bool TBoutonFiltresKX::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet == Bouton && Evenement->type() == QEvent::MouseButtonRelease) {
        const auto *e = static_cast<QMouseEvent *>(Evenement);
        if (e->button() == Qt::RightButton) {
            BoutonMouseUp(e->globalPosition().toPoint());
            return true;
        }
    }
    return QObject::eventFilter(Objet, Evenement);
}

void TBoutonFiltresKX::AfficheFiltre()
{
    m_nGlyphe = m_Enr.lActif ? 1 : 0;
    Bouton->setIcon(ImagesFiltres().at(m_nGlyphe));
    Bouton->setToolTip(ResumeFiltre(m_Enr, m_nType, m_Contexte.Parametres.lTrtDescription));
}

void TBoutonFiltresKX::RAZFiltre()
{
    RAZEnrFiltre(m_Enr);
    AfficheFiltre();
}

bool TBoutonFiltresKX::EditeFiltre()
{
    const bool lValide = fnEditeFiltre ? fnEditeFiltre(m_Enr) : OuvreEditeur();
    if (!lValide)
        return false;
    AfficheFiltre();
    return true;
}

bool TBoutonFiltresKX::OuvreEditeur()
{
    auto *Main = qobject_cast<TfmMainKX *>(Bouton->window());
    TImageCouranteFiltre Courante;
    bool lModeMAJ = true;
    if (Main) {
        TSelectionKX &Selection = Main->Selection();
        lModeMAJ = Selection.ModeMAJ();
        const TEnrLV *Enr = Selection.EnrCourant();
        const int nLigne = Selection.LigneCourante();
        if (Enr && !Enr->lIllisible && QFileInfo::exists(Enr->CheminComplet())) {
            Courante.lDisponible = true;
            Courante.cFichier = Enr->CheminComplet();
            Courante.fnVignette = [Main, nLigne] {
                TPLVListItem *Item = Main->Grille() ? Main->Grille()->Item(nLigne) : nullptr;
                return Item ? Item->Vignette() : QImage();
            };
        }
    }
    TfmFiltres Dialogue(m_Contexte, Bouton->window());
    FixeContexteAide(&Dialogue, ContextesAide::nFiltres + int(m_nType));
    Dialogue.Montre(m_Enr, m_nType == TTypeFiltre::Recherche, lModeMAJ, Courante);
    if (fnAvantExec)
        fnAvantExec(Dialogue);
    if (Dialogue.exec() != QDialog::Accepted)
        return false;
    m_Enr = Dialogue.Resultat();
    m_lLanceRecherche = Dialogue.LanceRecherche();
    return true;
}

void TBoutonFiltresKX::BoutonClick()
{
    m_lLanceRecherche = false;
    if (!EditeFiltre())
        return;
    if (fnReconstruit)
        fnReconstruit();
    // The search page lists nothing on its own: only when the dialog's box asks for the search.
    if (m_nType == TTypeFiltre::Recherche && m_lLanceRecherche) {
        if (fnLanceRecherche)
            fnLanceRecherche();
        else if (auto *b = Bouton->window()->findChild<QPushButton *>(QStringLiteral("btRechercher"));
                 b && b->isEnabled())
            b->click();
    }
}

void TBoutonFiltresKX::BoutonMouseUp(const QPoint &ptEcran)
{
    miFiltresPasDeFiltre->setEnabled(m_Enr.lActif);
    pmFiltres->popup(ptEcran);
}

void TBoutonFiltresKX::miFiltresPasDeFiltreClick()
{
    RAZFiltre();
    if (fnReconstruit)
        fnReconstruit();
}

TFiltresListeKX::TFiltresListeKX(TListeImagesKX &Liste, TContexte &Contexte, QWidget *Parent)
    : QObject(&Liste), m_Liste(Liste), m_Contexte(Contexte), m_Parent(Parent)
{
    TContexteListe &Ctx = m_Liste.ContexteListe();
    Ctx.PrepareFiltre = [this](TModeListe nMode) { return Prepare(nMode); };
    Ctx.LibereFiltre = [this] { Libere(); };
}

bool TFiltresListeKX::Prepare(TModeListe nMode)
{
    TEnrFiltres &Enr = nMode == TModeListe::Recherche      ? m_Contexte.enrFiltresRech
                       : nMode == TModeListe::HistoriqueCD ? m_Contexte.enrFiltresHisto
                                                           : m_Contexte.enrFiltresExpl;
    TContexteFiltre Ctx;
    Ctx.iniSetup = m_Contexte.iniSetup.get();
    Ctx.iniBDD = m_Contexte.iniBDD.get();
    Ctx.Descriptions = m_Contexte.Descriptions.get();
    Ctx.lTrtDescription = m_Contexte.Parametres.lTrtDescription;
    Ctx.pVolumes = m_Contexte.Volumes.get();
    Ctx.cDossierVignettes = m_Contexte.Dossiers.cDossierVignettes;
    Ctx.Focale.iniCFAPN = m_Contexte.iniCFAPN.get();
    Ctx.Focale.lCoeffFocDansTable = m_Contexte.Parametres.lCoeffFocDansTable;
    Ctx.lExploration = nMode == TModeListe::Exploration;
    Ctx.fnPctColorimetrie = fnPctColorimetrie;
    Ctx.fnPctMotif = fnPctMotif;
    Ctx.cDossierMotifs = m_Contexte.Dossiers.cDossierMotifs;
    Ctx.iniSetupVignettes = m_Contexte.iniSetup.get();
    Ctx.nDVignettes = TailleVignette(m_Contexte.Parametres.nIndTailleVigs);
    Ctx.lLireVigDsTHM = m_Contexte.Parametres.lLireVigDsTHM;
    Ctx.fnAttention = [this](const QString &cTexte) { MessagesDe(m_Contexte).Attention(m_Parent, cTexte); };
    Ctx.pParametres = &m_Contexte.Parametres;
    Ctx.fnTraitement = fnTraitement;
    Ctx.nFilsPixels = nFilsPixels;

    TContexteListe &Liste = m_Liste.ContexteListe();
    if (const std::optional<TErreurModele> Erreur = PrepareFiltre(m_Etat, Enr, Ctx)) {
        MessagesDe(m_Contexte).Erreur(m_Parent, Erreur->Message());
        return false;
    }
    // Only the walk of a folder asks the listing's seam; search and CD history test their own
    // candidates through Teste. The seam is taken for this listing only.
    if (m_Etat.Prepare() && nMode == TModeListe::Exploration) {
        m_FiltreAvant = std::exchange(Liste.Filtre, [this](TCandidatFiltre &c) { return Teste(c); });
        m_lFiltreLongAvant = std::exchange(Liste.lFiltreLong, Enr.lColorimetrie || Enr.lMotif);
        // The counting pass of a long filter hands its candidates to the work ahead.
        m_CompteAvant = std::exchange(Liste.CandidatCompte, [this](qint32 nNumCD, const QString &cChemin) {
            AnnonceCandidat(m_Etat, nNumCD, cChemin);
        });
        m_lFiltrePris = true;
    }
    return true;
}

void TFiltresListeKX::Libere()
{
    LibereFiltre(m_Etat);
    // The models met while listing join those the filter editor offers.
    for (const QString &c : std::as_const(m_Liste.Modele().lstAppareils))
        m_Contexte.Appareils.insert(c);
    if (m_lFiltrePris) {
        m_Liste.ContexteListe().Filtre = std::move(m_FiltreAvant);
        m_Liste.ContexteListe().lFiltreLong = m_lFiltreLongAvant;
        m_Liste.ContexteListe().CandidatCompte = std::move(m_CompteAvant);
        m_FiltreAvant = nullptr;
        m_CompteAvant = nullptr;
        m_lFiltrePris = false;
    }
}

bool TFiltresListeKX::Teste(TCandidatFiltre &Candidat)
{
    return ImageFiltree(m_Etat, Candidat);
}

TRemplisseurAppareils::TRemplisseurAppareils(TContexte &Contexte, QObject *Parent)
    : QObject(Parent), m_Contexte(Contexte)
{}

TRemplisseurAppareils::~TRemplisseurAppareils()
{
    if (m_Fil) {
        m_lAnnule->store(true);
        m_Fil->wait();
        // Its finished handler, which would have let it go, dies with this object.
        delete m_Fil;
    }
}

void TRemplisseurAppareils::Lance()
{
    if (m_Fil || !m_Contexte.iniBDD || !m_Contexte.iniSetup)
        return;
    const QStringList ALire =
        ModelesEnCache(ClesCataloguees(*m_Contexte.iniBDD), *m_Contexte.iniSetup, m_Contexte.Appareils);
    m_lAnnule = std::make_shared<std::atomic<bool>>(false);
    auto Resultat = std::make_shared<QStringList>();
    TLectureModeles Lecture;
    Lecture.pVolumes = m_Contexte.Volumes.get();
    Lecture.pAnnule = m_lAnnule.get();
    auto lAnnule = m_lAnnule;
    m_Fil = QThread::create([ALire, Lecture, Resultat, lAnnule] { *Resultat = LitModeles(ALire, Lecture); });
    connect(m_Fil, &QThread::finished, this, [this, Resultat] {
        for (const QString &c : std::as_const(*Resultat))
            m_Contexte.Appareils.insert(c);
        m_Fil->deleteLater();
        m_Fil = nullptr;
        if (fnFini)
            fnFini();
    });
    m_Fil->start(QThread::LowPriority);
}

TFiltresListeKX *InstalleFiltresExploration(QPushButton *btExplFiltres, TListeImagesKX &Liste, TContexte &Contexte,
                                            std::function<void()> fnReconstruit, TBoutonFiltresKX **ppBouton)
{
    auto *Bouton = new TBoutonFiltresKX(btExplFiltres, Contexte.enrFiltresExpl, TTypeFiltre::Exploration, Contexte);
    Bouton->fnReconstruit = std::move(fnReconstruit);
    if (ppBouton)
        *ppBouton = Bouton;
    // The camera models are gathered once the window shows, never on the start-up path.
    if (Contexte.Parametres.lPreRemplCBEXIFApp) {
        auto *Remplisseur = new TRemplisseurAppareils(Contexte, Bouton);
        QTimer::singleShot(0, Remplisseur, [Remplisseur] { Remplisseur->Lance(); });
    }
    return new TFiltresListeKX(Liste, Contexte, btExplFiltres->window());
}

TBoutonFiltresKX *InstalleFiltresRecherche(QPushButton *btRechFiltres, TContexte &Contexte)
{
    return new TBoutonFiltresKX(btRechFiltres, Contexte.enrFiltresRech, TTypeFiltre::Recherche, Contexte);
}
