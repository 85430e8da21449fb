#include "publishing/SuppressionImages_fm.h"

#include "calendar/VignetteFlottante_fm.h"
#include "components/FolderTreeView.h"
#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "imaging/NomVignette.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/Couleurs.h"
#include "platform/OperationsFichiers.h"
#include "publishing/Doublons.h"
#include "publishing/Doublons_fm.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTreeView>

namespace
{

// The wait cursor from the choice of the candidates until the pairs are shown.
class TCurseurAttente
{
public:
    void Montre()
    {
        if (!m_lMontre)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        m_lMontre = true;
    }
    void Cache()
    {
        if (m_lMontre)
            QApplication::restoreOverrideCursor();
        m_lMontre = false;
    }
    ~TCurseurAttente() { Cache(); }

private:
    bool m_lMontre = false;
};

// A progress window behind a TSuivi. It shows from the first report, or from Demarre when the
// work is about to begin (so that an Esc pressed during the first item is heard), and goes as
// soon as the work ends or stops, so that the messages that follow are not under it.
class TJaugeSuivi
{
public:
    TJaugeSuivi(QWidget *Fenetre, IMessages &Messages, const QString &cTitre)
        : m_Jauge(Fenetre, &Messages), m_cTitre(cTitre)
    {}
    void Demarre()
    {
        if (!m_lDemarree)
            m_Jauge.Demarre(m_cTitre, 0, 0, 1000);
        m_lDemarree = true;
    }
    void Arrete()
    {
        if (m_lDemarree)
            m_Jauge.Arrete();
        m_lDemarree = false;
    }
    TSuivi Suivi()
    {
        TSuivi s;
        s.Avance = [this](qint64 nPosition, qint64 nMaximum) {
            Demarre();
            m_Jauge.set_GaugeCurValue(nMaximum > 0 ? int(std::clamp<qint64>(nPosition * 1000 / nMaximum, 0, 1000)) : 0);
            if (nMaximum > 0 && nPosition >= nMaximum)
                Arrete();
        };
        s.Interrompu = [this] {
            Demarre();
            if (!m_Jauge.Interrompu())
                return false;
            Arrete();
            return true;
        };
        return s;
    }
    ~TJaugeSuivi() { Arrete(); }

private:
    TGaugeWindow m_Jauge;
    QString m_cTitre;
    bool m_lDemarree = false;
};

} // namespace

TSuppressionImagesKX::TSuppressionImagesKX(TContexte &Contexte, TSelectionKX &Selection, QTreeView *lvImgs,
                                           QWidget *Fenetre)
    : QObject(Fenetre), m_Contexte(Contexte), m_Selection(Selection), m_lvImgs(lvImgs), m_Fenetre(Fenetre)
{
    setObjectName(QStringLiteral("SuppressionImages"));
    fnExecute = [](QDialog &Dialogue) { return Dialogue.exec(); };

    miMainFicSupprimer = new QAction(QStringLiteral("Su&pprimer..."), this);
    miMainFicSupprimer->setObjectName(QStringLiteral("miMainFicSupprimer"));
    connect(miMainFicSupprimer, &QAction::triggered, this, &TSuppressionImagesKX::btSupprimeImgClick);
    miOutilsDiversRechercheDoublonsImg = new QAction(QStringLiteral("&Rechercher les images en double..."), this);
    miOutilsDiversRechercheDoublonsImg->setObjectName(QStringLiteral("miOutilsDiversRechercheDoublonsImg"));
    connect(miOutilsDiversRechercheDoublonsImg, &QAction::triggered, this,
            &TSuppressionImagesKX::miOutilsDiversRechercheDoublonsImgClick);

    TModeleListeImages &Modele = m_Selection.Modele();
    connect(&m_Selection, &TSelectionKX::ModeChange, this, &TSuppressionImagesKX::MajBoutons);
    connect(&m_Selection, &TSelectionKX::CochesChange, this, &TSuppressionImagesKX::MajBoutons);
    connect(&m_Selection, &TSelectionKX::ListeConstruite, this, &TSuppressionImagesKX::MajBoutons);
    connect(&Modele, &QAbstractItemModel::modelReset, this, &TSuppressionImagesKX::MajBoutons);
    connect(&Modele, &QAbstractItemModel::rowsRemoved, this, &TSuppressionImagesKX::MajBoutons);
}

TSuppressionImagesKX::~TSuppressionImagesKX() = default;

QList<QAction *> TSuppressionImagesKX::Actions(TEmplacementAction nPlace)
{
    switch (nPlace) {
    case TEmplacementAction::MenuFichiers: MajBoutons(); return {miMainFicSupprimer};
    case TEmplacementAction::OutilsDivers: return {miOutilsDiversRechercheDoublonsImg};
    default: return {};
    }
}

void TSuppressionImagesKX::CreeBouton(QWidget *Barre)
{
    auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr);
    if (!Disposition)
        return;
    btSupprimeImg = AjouteBoutonBarre(Barre, "btSupprimeImg", QStringLiteral("Supprimer"),
                                      QStringLiteral("Supprimer les images sélectionnées"), miMainFicSupprimer);
    MajBoutons();
}

void TSuppressionImagesKX::MajBoutons()
{
    // Deleting changes the user's folders: update mode only, and something must be checked.
    const bool l = m_Selection.ModeMAJ() && m_Selection.Modele().nNbCoches() > 0;
    if (btSupprimeImg)
        btSupprimeImg->setEnabled(l);
    miMainFicSupprimer->setEnabled(l);
}

IOperationsFichiers &TSuppressionImagesKX::Operations()
{
    return m_Operations.Operations(*m_Contexte.Volumes);
}

TParamsSuppression TSuppressionImagesKX::Params() const
{
    const TEnrParametres &P = m_Contexte.Parametres;
    TParamsSuppression p;
    p.cDossierVignettes = m_Contexte.Dossiers.cDossierVignettes;
    p.lTrtDescription = P.lTrtDescription;
    p.lTrtTHMDsOpFic = P.lTrtTHMDsOpFic;
    p.lTrtWAVDsOpFic = P.lTrtWAVDsOpFic;
    p.lModeMAJ = m_Selection.ModeMAJ();
    return p;
}

void TSuppressionImagesKX::btSupprimeImgClick()
{
    if (!m_Selection.ModeMAJ() || TGaugeWindow::TacheEnCours())
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    TModeleListeImages &Modele = m_Selection.Modele();
    TJaugeSuivi Jauge(m_Fenetre, Messages, cTitreSuppressionImages);
    TSuppressionImages Suppression(*m_Contexte.iniSetup, *m_Contexte.iniBDD, *m_Contexte.Volumes, Operations(),
                                   Params());
    Suppression.pDescriptions = m_Contexte.Descriptions.get();
    Suppression.pAlbum = pAlbum;
    Suppression.Suivi = Jauge.Suivi();

    bool lConfirme = false;
    const int nCourante = m_Selection.LigneCourante();
    TMessagesPrecedes MessagesLot(Messages, [&Jauge] { Jauge.Arrete(); });
    const TBilanSuppression Bilan = ConfirmeEtSupprimeSelection(
        Suppression, Modele, Modele.LignesCochees(),
        [&](const QString &cQuestion) {
            const std::optional<bool> r = Messages.QuestionCase(m_Fenetre, cQuestion, cTexteSupprimerDefinitivement);
            lConfirme = r.has_value();
            if (lConfirme)
                Jauge.Demarre();
            return r;
        },
        MessagesLot);
    Jauge.Arrete();
    if (!lConfirme)
        return;
    // What stayed checked (CD images, files that could not go) is unchecked with the rest.
    Modele.CocheSelon(false, [](const TEnrLV &, bool) { return true; });
    ApresLot(Bilan, nCourante);
}

void TSuppressionImagesKX::ApresLot(const TBilanSuppression &Bilan, int nCouranteAvant)
{
    TModeleListeImages &Modele = m_Selection.Modele();
    // The current image went with its row: the row now at its place (or the last) follows.
    if (!Bilan.LignesSupprimees.isEmpty() && m_Selection.LigneCourante() < 0 && Modele.Nombre() > 0 && m_lvImgs
        && m_lvImgs->model() && nCouranteAvant >= 0) {
        const int nLigne = std::min(nCouranteAvant, Modele.Nombre() - 1);
        m_lvImgs->setCurrentIndex(m_lvImgs->model()->index(nLigne, 0));
        m_Selection.MetLigneCourante(nLigne);
    }
    MajBoutons();
}

QImage TSuppressionImagesKX::ImageDoublon(const TEnrImgSel &Enr) const
{
    constexpr int nD = 160;
    const QString cVignette = NomVignette(m_Contexte.Dossiers.cDossierVignettes, 0, Enr.cChemin);
    if (QFileInfo::exists(cVignette)) {
        try {
            return ChargeImage(cVignette, true, nD, false).Image;
        } catch (const EImageIllisible &) {
            // The image itself is tried next.
        }
    }
    try {
        return ChargeImage(Enr.cChemin, true, nD, m_Contexte.Parametres.lLireVigDsTHM).Image;
    } catch (const EImageIllisible &) {
        return ImageErreur(nD);
    }
}

void TSuppressionImagesKX::miOutilsDiversRechercheDoublonsImgClick()
{
    if (TGaugeWindow::TacheEnCours())
        return;
    IMessages &Messages = MessagesDe(m_Contexte);
    TModeleListeImages &Modele = m_Selection.Modele();
    const TEnrParametres &P = m_Contexte.Parametres;
    TCurseurAttente Curseur;
    TJaugeSuivi JaugeRecherche(m_Fenetre, Messages, cTitreRechercheDoublons);
    TJaugeSuivi JaugeSuppression(m_Fenetre, Messages, cTitreSuppressionImages);

    TFenetresDoublons Fenetres;
    Fenetres.nFils = nFils;
    Fenetres.ChoixImages = [&]() -> std::optional<TChoixDoublons> {
        TfmDoublonsChoixImg fm(&Modele, m_Contexte.Volumes.get(), m_Selection.DossierCourant(), m_Fenetre);
        SuivreArbreDossiers(fm.tvDblReps, m_Contexte);
        if (fnExecute(fm) != QDialog::Accepted)
            return std::nullopt;
        Curseur.Montre();
        JaugeRecherche.Demarre();
        return fm.Choix();
    };
    Fenetres.Paires = [&](const QList<TEnrImgSel> &Candidats,
                          const QList<TPaireDoublons> &Paires) -> std::optional<TChoixSuppression> {
        JaugeRecherche.Arrete();
        Curseur.Cache();
        const QPalette Palette = QApplication::palette();
        TAspectVignettesDoublons Aspect;
        Aspect.lPanels3D = P.lVigPan3D;
        Aspect.CouleurPanneaux = Couleurs::Couleur(P.nVigCoulPan, Palette, 35);
        Aspect.CouleurTexte = Couleurs::Couleur(P.nVigCoulTxtPan, Palette, 30);
        Aspect.CouleurFond = Couleurs::Couleur(P.nVigCoulFond, Palette, 29);
        TfmDoublons fm(
            Candidats, Paires, &Modele, m_Selection.ModeMAJ(), Aspect,
            [this](const TEnrImgSel &Enr) { return ImageDoublon(Enr); }, m_Fenetre);
        if (fnExecute(fm) != QDialog::Accepted)
            return std::nullopt;
        TChoixSuppression Choix = fm.Resultat();
        if (!Choix.Images.isEmpty())
            JaugeSuppression.Demarre();
        return Choix;
    };
    Fenetres.SuiviCandidats = JaugeRecherche.Suivi();
    Fenetres.SuiviPaires = JaugeRecherche.Suivi();
    Fenetres.SuiviSuppression = JaugeSuppression.Suivi();
    TMessagesPrecedes MessagesLot(Messages, [&] {
        JaugeRecherche.Arrete();
        JaugeSuppression.Arrete();
        Curseur.Cache();
    });

    TSuppressionImages Suppression(*m_Contexte.iniSetup, *m_Contexte.iniBDD, *m_Contexte.Volumes, Operations(),
                                   Params());
    Suppression.pDescriptions = m_Contexte.Descriptions.get();
    Suppression.pAlbum = pAlbum;
    const int nCourante = m_Selection.LigneCourante();
    const TBilanSuppression Bilan =
        RechercherDoublons(Fenetres, Suppression, &Modele, *m_Contexte.Volumes, *m_Contexte.iniSetup,
                           m_Contexte.Dossiers.cDossierVignettes, MessagesLot);
    JaugeRecherche.Arrete();
    JaugeSuppression.Arrete();
    Curseur.Cache();
    ApresLot(Bilan, nCourante);
}

TSuppressionImagesKX *InstalleSuppressionImages(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Suppression = new TSuppressionImagesKX(Contexte, Main.Selection(), Main.VueListe(), &Main);
    Suppression->CreeBouton(Main.BarreListe());
    Main.Installe(Suppression);
    return Suppression;
}
