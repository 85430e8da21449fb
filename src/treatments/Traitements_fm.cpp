#include "treatments/Traitements_fm.h"

#include "classification/Classement_fm.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "exploration/EnrLV.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "thumbnails/ThumbnailCache_fm.h"
#include "treatments/DialoguesTrt_fm.h"
#include "treatments/GrapheDistribCoul_fm.h"
#include "treatments/ParamsTrt.h"
#include "treatments/Traitements.h"
#include "treatments/TraitementsImage.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

namespace
{
// Four small curves on black, as the graph shows them.
QIcon IconeGraphe()
{
    QPixmap px(16, 16);
    px.fill(Qt::black);
    QPainter p(&px);
    const QList<std::pair<QColor, QList<QPoint>>> Courbes = {
        {QColor(192, 192, 192), {{0, 14}, {4, 6}, {8, 9}, {11, 3}, {15, 14}}},
        {QColor(255, 0, 0), {{0, 15}, {5, 11}, {9, 13}, {15, 15}}},
        {QColor(0, 255, 0), {{0, 15}, {6, 13}, {10, 10}, {15, 15}}},
        {QColor(0, 0, 255), {{0, 15}, {3, 12}, {7, 14}, {15, 15}}}};
    for (const auto &[Couleur, Points] : Courbes) {
        p.setPen(Couleur);
        p.drawPolyline(Points.data(), int(Points.size()));
    }
    return QIcon(px);
}
} // namespace

TTraitementsKX::TTraitementsKX(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche, TVignettesKX &Vignettes)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Selection(Main.Selection()), m_Affiche(Affiche),
      m_Vignettes(Vignettes)
{
    setObjectName(QStringLiteral("Traitements"));
    miRotEtat = new QAction(this);
    miRotEtat->setObjectName(QStringLiteral("miRotEtat"));
    miRotEtat->setEnabled(false);
    miRotGauche = Action("miRotGauche", QStringLiteral("à &Gauche"), Qt::Key_G, false);
    miRotDroite = Action("miRotDroite", QStringLiteral("à &Droite"), Qt::Key_D, false);
    miMirEtat = new QAction(this);
    miMirEtat->setObjectName(QStringLiteral("miMirEtat"));
    miMirEtat->setEnabled(false);
    miMirHorizontal = Action("miMirHorizontal", QStringLiteral("&Horizontal"), Qt::Key_H, false);
    miMirVertical = Action("miMirVertical", QStringLiteral("&Vertical"), Qt::Key_V, false);
    miNB = Action("miNB", QStringLiteral("&Noir et Blanc..."), Qt::Key_N, true);
    miCL = Action("miCL", QStringLiteral("Contraste, &Luminosité..."), Qt::Key_L, true);
    miNeg = Action("miNeg", QStringLiteral("Néga&tif"), Qt::Key_T, true);
    miCanaux = Action("miCanaux", QStringLiteral("Canau&x..."), Qt::Key_X, true);
    for (QAction *&a : m_Separateurs) {
        a = new QAction(this);
        a->setSeparator(true);
    }

    connect(miRotGauche, &QAction::triggered, this, [this] { BasculeTrt(nTrtRotationGauche); });
    connect(miRotDroite, &QAction::triggered, this, [this] { BasculeTrt(nTrtRotationDroite); });
    connect(miMirHorizontal, &QAction::triggered, this, [this] { BasculeTrt(nTrtMiroirH); });
    connect(miMirVertical, &QAction::triggered, this, [this] { BasculeTrt(nTrtMiroirV); });
    connect(miNB, &QAction::triggered, this, [this] { DialogueOuArret(nTrtNoirEtBlanc, miNB); });
    connect(miCL, &QAction::triggered, this, [this] { DialogueOuArret(nTrtContrasteLuminosite, miCL); });
    connect(miNeg, &QAction::triggered, this, [this] { BasculeTrt(nTrtNegatif); });
    connect(miCanaux, &QAction::triggered, this, [this] { DialogueOuArret(nTrtCanaux, miCanaux); });

    QWidget *Barre = Main.BarreTraitements();
    btRotGauche = Bouton("btRotGauche", miRotGauche, QStringLiteral("↺"), QStringLiteral("Rotation à Gauche"));
    btRotDroite = Bouton("btRotDroite", miRotDroite, QStringLiteral("↻"), QStringLiteral("Rotation à Droite"));
    btMirHorizontal =
        Bouton("btMirHorizontal", miMirHorizontal, QStringLiteral("⇅"), QStringLiteral("Miroir Horizontal"));
    btMirVertical = Bouton("btMirVertical", miMirVertical, QStringLiteral("⇆"), QStringLiteral("Miroir Vertical"));
    btNB = Bouton("btNB", miNB, QStringLiteral("NB"), QStringLiteral("Noir et Blanc"));
    btCL = Bouton("btCL", miCL, QStringLiteral("C/L"), QStringLiteral("Contraste, Lumiosité"));
    btNeg = Bouton("btNeg", miNeg, QStringLiteral("Nég"), QStringLiteral("Négatif"));
    btCanaux = Bouton("btCanaux", miCanaux, QStringLiteral("RVB"), QStringLiteral("Canaux"));
    btGrapheDistribCoul = new QToolButton(Barre);
    btGrapheDistribCoul->setObjectName(QStringLiteral("btGrapheDistribCoul"));
    btGrapheDistribCoul->setToolTip(QStringLiteral("Graphe de distribution des couleurs"));
    btGrapheDistribCoul->setIcon(IconeGraphe());
    btGrapheDistribCoul->setAutoRaise(false);
    btGrapheDistribCoul->setFocusPolicy(Qt::NoFocus);
    btGrapheDistribCoul->setMinimumWidth(26);
    connect(btGrapheDistribCoul, &QToolButton::clicked, this, &TTraitementsKX::GrapheDistribCoul);
    if (auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr))
        for (QToolButton *b : {btRotGauche, btRotDroite, btMirHorizontal, btMirVertical, btNB, btCL, btNeg, btCanaux,
                               btGrapheDistribCoul})
            Disposition->addWidget(b);

    fnDemandeParam = [this](int nCode) -> std::optional<QString> {
        const TSourceApercu Source = SourceApercuImageAffichee(m_Main, m_Affiche);
        switch (nCode) {
        case nTrtNoirEtBlanc: return DemandeParamNB(m_Contexte, &m_Main, Source);
        case nTrtContrasteLuminosite: return DemandeParamCL(m_Contexte, &m_Main, Source);
        case nTrtCanaux: return DemandeParamCanaux(m_Contexte, &m_Main, Source);
        default: return std::nullopt;
        }
    };

    TModeleListeImages &Modele = m_Selection.Modele();
    Modele.fnTournee = [this](const TEnrLV &e) {
        const QSize t = TailleTraitee(QSize(1, 2), Recette(e));
        return t.width() == 2;
    };
    connect(&m_Selection, &TSelectionKX::CouranteChange, this, &TTraitementsKX::EtatTrtsImage);
    connect(&m_Selection, &TSelectionKX::ListeConstruite, this, &TTraitementsKX::EtatTrtsImage);
    // Consultation mode leaves the image as it is; update mode allows changes again.
    connect(&m_Selection, &TSelectionKX::ModeChange, this, &TTraitementsKX::EtatTrtsImage);
    connect(&m_Selection, &TSelectionKX::ImageChange, this, [this](const QString &cCle) {
        if (cCle == m_Selection.CleCourante())
            EtatTrtsImage();
    });
    connect(&Modele, &QAbstractItemModel::modelReset, this, &TTraitementsKX::EtatTrtsImage);
    connect(&Modele, &QAbstractItemModel::rowsRemoved, this, &TTraitementsKX::EtatTrtsImage);
    EtatTrtsImage();
}

QAction *TTraitementsKX::Action(const char *cNom, const QString &cTexte, int nTouche, bool lCochable)
{
    auto *a = new QAction(cTexte, this);
    a->setObjectName(QLatin1String(cNom));
    a->setCheckable(lCochable);
    // Window-wide, so that the keys work without the pop-up; a text field with the focus
    // keeps its own Ctrl+V and Ctrl+X.
    a->setShortcut(QKeySequence(Qt::CTRL | nTouche));
    a->setShortcutContext(Qt::WindowShortcut);
    m_Main.addAction(a);
    return a;
}

QToolButton *TTraitementsKX::Bouton(const char *cNom, QAction *Action, const QString &cTexte, const QString &cBulle)
{
    // The button shows the action's short text and hint; the pop-up entry its own caption.
    Action->setIconText(cTexte);
    Action->setToolTip(cBulle);
    auto *b = new QToolButton(m_Main.BarreTraitements());
    b->setObjectName(QLatin1String(cNom));
    b->setDefaultAction(Action);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::NoFocus);
    b->setMinimumWidth(26);
    return b;
}

QList<QAction *> TTraitementsKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::PopupVignettes)
        return {};
    EtatTrtsImage();
    return {miRotEtat,     miRotGauche,
            miRotDroite,   m_Separateurs[0],
            miMirEtat,     miMirHorizontal,
            miMirVertical, m_Separateurs[1],
            miNB,          miCL,
            miNeg,         miCanaux};
}

TRecetteTrts TTraitementsKX::Recette(const TEnrLV &Enr) const
{
    if (!m_Contexte.iniSetup)
        return {};
    return LitRecetteTrts(*m_Contexte.iniSetup, m_Contexte.Parametres, Enr.Cle(), Enr.cOrientation);
}

void TTraitementsKX::EtatTrtsImage()
{
    const TEnrLV *pEnr = m_Selection.EnrCourant();
    // A picture that could not be read has nothing to treat.
    const bool lValide = pEnr && !pEnr->lIllisible;
    const TEtatTrtsImage e = ::EtatTrtsImage(pEnr ? Recette(*pEnr) : TRecetteTrts{}, lValide, m_Selection.ModeMAJ());
    for (QAction *a : {miRotGauche, miRotDroite, miMirHorizontal, miMirVertical})
        a->setEnabled(e.lRotationsMiroirs);
    for (QAction *a : {miNB, miCL, miNeg, miCanaux})
        a->setEnabled(e.lCouleurs);
    miNB->setChecked(e.lNoirEtBlanc);
    miCL->setChecked(e.lContrasteLuminosite);
    miNeg->setChecked(e.lNegatif);
    miCanaux->setChecked(e.lCanaux);
    // Reading the picture changes nothing: consultation mode may look at it too.
    btGrapheDistribCoul->setEnabled(lValide);
    miRotEtat->setText(e.cRotEtat);
    miMirEtat->setText(e.cMirEtat);
    miNB->setText(e.cNB);
    miCL->setText(e.cCL);
    miNeg->setText(e.cNeg);
    miCanaux->setText(e.cCanaux);
}

void TTraitementsKX::DialogueOuArret(int nCode, QAction *Action)
{
    const TEnrLV *pEnr = m_Selection.EnrCourant();
    if (!pEnr)
        return;
    const TRecetteTrts r = Recette(*pEnr);
    const bool lActif = nCode == nTrtNoirEtBlanc           ? !r.cNoirEtBlanc.isEmpty()
                        : nCode == nTrtContrasteLuminosite ? !r.cContrasteLuminosite.isEmpty()
                                                           : !r.cCanaux.isEmpty();
    if (lActif) {
        BasculeTrt(nCode);
        return;
    }
    const std::optional<QString> cParam = fnDemandeParam ? fnDemandeParam(nCode) : std::nullopt;
    if (cParam && !cParam->isEmpty())
        BasculeTrt(nCode, *cParam);
    else
        Action->setChecked(false);
}

void TTraitementsKX::BasculeTrt(int nCode, const QString &cParam)
{
    const TEnrLV *pEnr = m_Selection.EnrCourant();
    if (!pEnr || !m_Contexte.iniSetup) {
        EtatTrtsImage();
        return;
    }
    const int nLigne = m_Selection.LigneCourante();
    const QString cCle = pEnr->Cle();
    TBigIniFile &iniSetup = *m_Contexte.iniSetup;
    if (!::BasculeTrt(iniSetup, m_Contexte.Parametres, cCle, pEnr->cOrientation, nCode, cParam)) {
        EtatTrtsImage();
        return;
    }
    // A failed save keeps the change in memory for the next one.
    if (!iniSetup.UpdateFile() && m_Contexte.Messages)
        m_Contexte.Messages->Erreur(&m_Main, MessageEchecEnregistrementParams(iniSetup.FileName()));

    // The pane and the thumbnail are made again from their untreated pictures, never from the
    // file, the view staying where it was.
    TPanneauImage *Panneau = m_Main.PanneauImage();
    const int nH = Panneau ? Panneau->horizontalScrollBar()->value() : 0;
    const int nV = Panneau ? Panneau->verticalScrollBar()->value() : 0;
    m_Affiche.RetraiteImage();
    m_Selection.Modele().EnrModifie(nLigne); // "Résol." turns with the picture
    if (TPaneledListView *Grille = m_Main.Grille())
        Grille->OublieDecodee(Grille->Item(nLigne));
    m_Selection.SignaleImage(cCle);
    if (Panneau) {
        Panneau->horizontalScrollBar()->setValue(nH);
        Panneau->verticalScrollBar()->setValue(nV);
    }
    EtatTrtsImage();
}

bool TTraitementsKX::AppliqueTrts(QImage &Image, const TEnrLV &Enr, bool lDiffere)
{
    if (Image.isNull())
        return true;
    const TResultatTrt r = AppliqueTrtsImage(Image, m_Contexte, Enr.Cle(), Enr.cOrientation);
    if (r || !m_Contexte.Messages)
        return r.lOk;
    if (!lDiffere) {
        SignaleErreurTrt(*m_Contexte.Messages, &m_Main, r);
        return false;
    }
    // Said once the grid has painted, and once for all the thumbnails that failed meanwhile.
    if (!m_lErreurPrevue) {
        m_lErreurPrevue = true;
        QMetaObject::invokeMethod(
            this,
            [this, r] {
                m_lErreurPrevue = false;
                SignaleErreurTrt(*m_Contexte.Messages, &m_Main, r);
            },
            Qt::QueuedConnection);
    }
    return false;
}

QImage TTraitementsKX::ImageAfficheeComplete()
{
    const TEnrLV *pEnr = m_Selection.EnrCourant();
    if (!pEnr || !pEnr->lExiste)
        return {};
    const QString cFichier = pEnr->CheminComplet();
    // The pane's decode serves when it is the full picture; a reduction is decoded again.
    QImage Image;
    for (const TImageDecodee *d : {&m_Affiche.Chargeur().Complete(), &m_Affiche.Chargeur().Reduite()})
        if (Image.isNull() && d->cFichier == cFichier && d->Valide() && d->nEchelle == 1)
            Image = d->Image;
    if (Image.isNull()) {
        try {
            Image = ChargeImage(cFichier, false, 0, false, {}).Image;
        } catch (const EImageIllisible &) {
            return {};
        }
    }
    return AppliqueTrts(Image, *pEnr) ? Image : QImage();
}

void TTraitementsKX::GrapheDistribCoul()
{
    if (!btGrapheDistribCoul->isEnabled())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QImage Image = ImageAfficheeComplete();
    QApplication::restoreOverrideCursor();
    if (Image.isNull())
        return;
    TfmGrapheDistribCoul fm(m_Contexte, m_Main.PanneauImage(), &m_Main);
    fm.CalculeDistribution(Image);
    Image = QImage();
    fm.Execute();
}

TTraitementsKX *InstalleTraitements(TfmMainKX &Main, TContexte &Contexte, TAfficheImageKX &Affiche,
                                    TVignettesKX &Vignettes, TClassementKX *Classement)
{
    auto *Traitements = new TTraitementsKX(Main, Contexte, Affiche, Vignettes);
    Affiche.fnTraitement = [Traitements](const QImage &Image, const TEnrLV &Enr) {
        QImage Traitee = Image;
        Traitements->AppliqueTrts(Traitee, Enr);
        return Traitee;
    };
    // Only decoded panels pay; the cache keeps the untreated thumbnails.
    Vignettes.fnAppliqueTraitements = [Traitements](QImage &Vignette, const TEnrLV &Enr) {
        return Traitements->AppliqueTrts(Vignette, Enr, true);
    };
    Vignettes.fnImageAffichee = [Traitements] { return Traitements->ImageAfficheeComplete(); };
    if (Classement)
        Classement->fnAppliqueTraitements = [Traitements](QImage &Image, const TEnrLV &Enr) {
            Traitements->AppliqueTrts(Image, Enr);
        };
    if (TPaneledListView *Grille = Main.Grille())
        Grille->OublieDecodees();
    Main.Installe(Traitements);
    return Traitements;
}
