#include "thumbnails/ThumbnailCache_fm.h"

#include "thumbnails/Planche.h"
#include "thumbnails/SauveImage.h"

#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "components/PaneledListView.h"
#include "components/TacheLongue.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "imaging/JpegCodec.h"
#include "imaging/NomVignette.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "metadata/CacheMeta.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Descriptions.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QScreen>

#include <optional>

namespace
{
const QString cAttention = QStringLiteral("Attention");
const QString cErreur = QStringLiteral("Erreur");
const QString cAucuneImage = QStringLiteral("Aucune image à traiter.");

// Keeps the rows and the grid from being changed while thumbnails are applied to them.
class TAttente
{
public:
    TAttente() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TAttente() { QApplication::restoreOverrideCursor(); }
};
}

TVignettesKX::TVignettesKX(TContexte &Contexte, TSelectionKX &Selection, TPaneledListView *plvVigs,
                           QProgressBar *ggChrgImg, QWidget *Fenetre)
    : QObject(Fenetre), m_Contexte(Contexte), m_Selection(Selection), m_Modele(Selection.Modele()), m_plvVigs(plvVigs),
      m_ggChrgImg(ggChrgImg), m_Fenetre(Fenetre)
{
    m_pmEnregistrees = CreeMenuVignettesEnregistrees(Fenetre);
    // Until the image pane shows treated pictures, the picture saved is the image as loaded.
    fnImageAffichee = [this]() -> QImage {
        const TEnrLV *pEnr = m_Selection.EnrCourant();
        if (!pEnr || !pEnr->lExiste)
            return {};
        try {
            return ChargeImage(pEnr->CheminComplet(), false, 0, false, {}).Image;
        } catch (const EImageIllisible &) {
            return {};
        }
    };
    if (m_plvVigs) {
        // The remembered treatments reach a thumbnail when the grid decodes it.
        m_plvVigs->fnTransformeVignette = [this](const TPLVListItem &Item, QImage &Image) {
            const int n = Item.Index();
            if (fnAppliqueTraitements && n >= 0 && n < m_Modele.Nombre())
                fnAppliqueTraitements(Image, m_Modele.Enr(n));
        };
        connect(m_plvVigs, &TPaneledListView::VignetteIllisible, this, &TVignettesKX::RefaitVignetteIllisible);
    }
    connect(&m_Selection, &TSelectionKX::CouranteChange, this, &TVignettesKX::MajBoutons);
    connect(&m_Selection, &TSelectionKX::ListeConstruite, this, &TVignettesKX::MajBoutons);
    connect(&m_Modele, &QAbstractItemModel::modelReset, this, &TVignettesKX::MajBoutons);
    connect(&m_Modele, &QAbstractItemModel::rowsRemoved, this, &TVignettesKX::MajBoutons);
}

TVignettesKX::~TVignettesKX() = default;

QList<QAction *> TVignettesKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::PopupVignettes)
        return {};
    m_pmEnregistrees->setEnabled(LigneCourante() >= 0);
    return {m_pmEnregistrees->menuAction()};
}

int TVignettesKX::LigneCourante() const
{
    return m_Selection.LigneCourante();
}

void TVignettesKX::CreeBoutons(QWidget *Barre)
{
    auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr);
    if (!Disposition)
        return;
    auto Bouton = [this, Barre](const char *cNom, const QString &cTexte, const QString &cBulle) {
        return AjouteBoutonBarre(Barre, cNom, cTexte, cBulle, new QAction(this));
    };
    btSvgVigCour =
        Bouton("btSvgVigCour", QStringLiteral("Vignette"), QStringLiteral("Sauvegarder la vignette courante"));
    btSvgTtesVig = Bouton("btSvgTtesVig", QStringLiteral("Planche"),
                          QStringLiteral("Sauvegarder toutes les vignettes dans un même fichier"));
    btSvgImgCour = Bouton("btSvgImgCour", QStringLiteral("Image"), QStringLiteral("Sauvegarder l'image courante"));
    connect(btSvgVigCour, &QPushButton::clicked, this, [this] { btSvgVigCourClick(); });
    connect(btSvgImgCour, &QPushButton::clicked, this, [this] { btSvgImgCourClick(); });
    connect(btSvgTtesVig, &QPushButton::clicked, this, [this] {
        // On the exploration page the sheet is proposed under the current folder's name.
        QString cNom = QDir(m_Selection.DossierCourant()).dirName();
        if (cNom.isEmpty())
            cNom = QStringLiteral("Racine");
        btSvgTtesVigClick(cNom);
    });
    MajBoutons();
}

void TVignettesKX::MajBoutons()
{
    if (!btSvgVigCour)
        return;
    // The current thumbnail and image can be saved when their picture could be read.
    const TEnrLV *pEnr = m_Selection.EnrCourant();
    const bool lValide = pEnr && !pEnr->lIllisible;
    btSvgVigCour->setEnabled(lValide);
    btSvgImgCour->setEnabled(lValide && pEnr->lExiste);
    btSvgTtesVig->setEnabled(m_plvVigs && m_plvVigs->Nombre() > 0);
}

TParamsVignettes TVignettesKX::Params() const
{
    TParamsVignettes P;
    P.cDossierVignettes = m_Contexte.Dossiers.cDossierVignettes;
    P.nD = m_plvVigs ? m_plvVigs->_ItemDim() : TailleVignette(m_Contexte.Parametres.nIndTailleVigs);
    P.lLireVigDsTHM = m_Contexte.Parametres.lLireVigDsTHM;
    return P;
}

TImageVignette TVignettesKX::ImageDe(const TEnrLV &Enr)
{
    TImageVignette i;
    i.nNumCD = Enr.nNumCD;
    i.cLecteur = Enr.cLecteur;
    i.cChemin = Enr.cChemin;
    i.lExiste = Enr.lExiste;
    return i;
}

TSourcesDonneesCD TVignettesKX::DonneesPour(const TEnrLV &Enr)
{
    TSourcesDonneesCD d;
    if (Enr.nNumCD == 0)
        return d;
    d.EcritMetadonnees = [&Enr](TBigIniFile &iniSetup, const QString &cCle) {
        // Each writer keeps a record only when the image has such data.
        EcrireEXIFCatalogue(iniSetup, cCle, Enr);
        EcrireIPTCCatalogue(iniSetup, cCle, Enr);
    };
    d.lTrtDescription = m_Contexte.Parametres.lTrtDescription;
    if (d.lTrtDescription)
        d.pDescriptions = m_Contexte.Descriptions.get();
    return d;
}

void TVignettesKX::Applique(int nLigne, TPLVListItem *pItem, const TResultatVignette &r)
{
    TEnrLV &Enr = m_Modele.Enr(nLigne);
    const int nD = Params().nD;
    // The row and its grid item keep the same bytes; the pixels decoded to make them are let go.
    TVignetteCompacte Vignette = r.Vignette;
    Enr.lIllisible = r.lIllisible;
    if (r.lIllisible || Vignette.Vide())
        Vignette = TVignetteCompacte::DePixels(ImageRemplacement(*m_Contexte.iniSetup, ImageDe(Enr), nD));
    m_Modele.MetResolution(nLigne, r.Resolution.nLargeur, r.Resolution.nHauteur);
    m_Modele.MetVignette(nLigne, Vignette);
    if (m_plvVigs && pItem)
        m_plvVigs->MetImage(pItem, Vignette);
    if (fnLigneAppliquee)
        fnLigneAppliquee(nLigne);
}

void TVignettesKX::RefaitVignetteIllisible(TPLVListItem *pItem)
{
    // A cache file damaged further than its header shows when first decoded: it is made again
    // from the image when that can be reached, else the row shows the placeholder.
    const int n = pItem ? pItem->Index() : -1;
    if (!m_plvVigs || n < 0 || n >= m_Modele.Nombre() || m_plvVigs->Item(n) != pItem)
        return;
    TEnrLV &Enr = m_Modele.Enr(n);
    TBigIniFile &iniSetup = *m_Contexte.iniSetup;
    std::optional<TLecteursCD> Lecteurs;
    if (m_Contexte.Volumes)
        Lecteurs.emplace(*m_Contexte.Volumes);
    TResultatVignette r;
    bool lModifie = false;
    if (RecreeVignette(iniSetup, Params(), ImageDe(Enr), DonneesPour(Enr), Lecteurs ? &*Lecteurs : nullptr, r, lModifie)
        || (!r.lIllisible && !r.Vignette.Vide())) {
        Applique(n, pItem, r);
        if (lModifie)
            iniSetup.UpdateFile();
        m_Selection.SignaleImage(Enr.Cle());
    } else {
        const TImageVignette Image = ImageActuelle(ImageDe(Enr), Lecteurs ? &*Lecteurs : nullptr);
        Enr.lIllisible = true;
        const TVignetteCompacte Remplacement =
            TVignetteCompacte::DePixels(ImageRemplacement(iniSetup, Image, Params().nD));
        m_Modele.MetVignette(n, Remplacement);
        m_plvVigs->MetImage(pItem, Remplacement);
    }
    MajBoutons();
}

int TVignettesKX::ChargeVignettes()
{
    const int nLignes = m_Modele.Nombre();
    TBigIniFile &iniSetup = *m_Contexte.iniSetup;
    const TParamsVignettes P = Params();
    if (m_plvVigs && m_plvVigs->Nombre() > 0)
        m_plvVigs->Vide();
    if (nLignes == 0)
        return 0;

    QPalette PaletteJauge;
    if (m_ggChrgImg) {
        PaletteJauge = m_ggChrgImg->palette();
        QPalette Active = PaletteJauge;
        Active.setColor(QPalette::Highlight, QColor(0, 84, 227)); // the active caption's blue
        m_ggChrgImg->setPalette(Active);
        m_ggChrgImg->setRange(0, nLignes - 1);
        m_ggChrgImg->setValue(0);
        m_ggChrgImg->show();
    }
    // Nothing may sort, check or clear the rows while their thumbnails are being applied, and
    // nothing may list again: a hand-over or a relisting waits for the loop to return.
    TTacheLongue Tache;

    bool lModifie = false;
    TPiloteVignettes Pilote;
    Pilote.Prepare = [&](int i) { return PrepareVignette(iniSetup, P, ImageDe(m_Modele.Enr(i))); };
    Pilote.Applique = [&](int i, const TTravailVignette &t, TResultatVignette &r) {
        if (m_ggChrgImg)
            m_ggChrgImg->setValue(i);
        TEnrLV &Enr = m_Modele.Enr(i);
        TPLVListItem *pItem = nullptr;
        if (m_plvVigs) {
            pItem = m_plvVigs->Ajoute();
            m_plvVigs->MetTitre(pItem, Enr.NomFichier());
        }
        if (EcritDonneesVignette(iniSetup, t, r, DonneesPour(Enr)))
            lModifie = true;
        Applique(i, pItem, r);
        // The first screenful shows while the rest is decoded; Esc is seen here too.
        TTacheLongue::TraiteEvenements(80);
    };
    Pilote.Interrompre = [&](int) {
        // A stop signal has nobody to ask: the loading ends as if the user had said Yes.
        if (TTacheLongue::ArretDemande())
            return true;
        if (fnEchapAttendu ? !fnEchapAttendu() : !TTacheLongue::PrendEchap())
            return false;
        const bool lOui = Demande(QStringLiteral("Interrompre le chargement des vignettes ?"));
        return lOui || TTacheLongue::ArretDemande();
    };
    const int nGardees = ChargeVignettesEnOrdre(nLignes, Pilote);

    if (nGardees < nLignes)
        m_Modele.SupprimeApres(nGardees - 1);
    // One save for the whole listing, interrupted or not. A failed save keeps the data in
    // memory, unsaved, for the next save; the close tells the user if it fails again.
    if (lModifie || iniSetup.Modifie())
        iniSetup.UpdateFile();
    if (m_ggChrgImg) {
        m_ggChrgImg->hide();
        m_ggChrgImg->setPalette(PaletteJauge);
        m_ggChrgImg->setRange(0, 100);
    }
    if (m_plvVigs)
        m_plvVigs->Reorganise();
    MajBoutons();
    return nGardees;
}

QList<int> TVignettesKX::Lignes(TPorteeVignettes nPortee) const
{
    QList<int> R;
    switch (nPortee) {
    case TPorteeVignettes::Courante: {
        const int n = LigneCourante();
        if (n >= 0 && n < m_Modele.Nombre())
            R << n;
        break;
    }
    case TPorteeVignettes::Cochees: R = m_Modele.LignesCochees(); break;
    case TPorteeVignettes::Toutes:
        for (int i = 0; i < m_Modele.Nombre(); ++i)
            R << i;
        break;
    }
    return R;
}

void TVignettesKX::Traite(TPorteeVignettes nPortee, bool lRecreer)
{
    const QList<int> Rangs = Lignes(nPortee);
    if (Rangs.isEmpty()) {
        Message(cAttention, cAucuneImage);
        return;
    }
    TBigIniFile &iniSetup = *m_Contexte.iniSetup;
    const TParamsVignettes P = Params();
    std::unique_ptr<TGaugeWindow> Jauge;
    if (Rangs.size() > 1) {
        Jauge = std::make_unique<TGaugeWindow>(m_Fenetre, m_Contexte.Messages.get());
        Jauge->Demarre(QStringLiteral("Traitement en cours"), 0, 0, static_cast<int>(Rangs.size()) - 1);
    }
    int nNonTraitees = 0;
    bool lModifie = false;
    QStringList Changees;
    // The discs mounted now: a row's file is looked for again right before its thumbnail is
    // touched, since a CD may have been ejected since the listing.
    std::optional<TLecteursCD> Lecteurs;
    if (m_Contexte.Volumes)
        Lecteurs.emplace(*m_Contexte.Volumes);
    const TLecteursCD *pLecteurs = Lecteurs ? &*Lecteurs : nullptr;
    for (qsizetype k = 0; k < Rangs.size(); ++k) {
        const int i = Rangs[k];
        TEnrLV &Enr = m_Modele.Enr(i);
        const TImageVignette Image = ImageDe(Enr);
        if (lRecreer) {
            TResultatVignette r;
            if (!RecreeVignette(iniSetup, P, Image, DonneesPour(Enr), pLecteurs, r, lModifie))
                ++nNonTraitees;
            // A picture that could not be decoded leaves the row, like T, as it was.
            if (!r.lIllisible) {
                Applique(i, m_plvVigs ? m_plvVigs->Item(i) : nullptr, r);
                Changees << Enr.Cle();
            }
        } else if (!SupprimeVignette(iniSetup, P, Image, lModifie, pLecteurs))
            ++nNonTraitees;
        if (Jauge) {
            Jauge->set_GaugeCurValue(static_cast<int>(k));
            if (Jauge->Interrompu())
                break;
        }
    }
    if (Jauge)
        Jauge->Arrete();
    // A save that fails keeps the changes in memory for the next one (the close reports it).
    if (lModifie || iniSetup.Modifie())
        iniSetup.UpdateFile();
    for (const QString &cCle : Changees)
        m_Selection.SignaleImage(cCle);
    MajBoutons();
    if (nNonTraitees > 0)
        Message(cAttention, QStringLiteral("%1 image(s) n'ont(a) pas été traitée(s).").arg(nNonTraitees));
}

void TVignettesKX::miVigsVigsEnregRecreerClick(TPorteeVignettes nPortee)
{
    Traite(nPortee, true);
}

void TVignettesKX::miVigsVigsEnregSupprimerClick(TPorteeVignettes nPortee)
{
    if (!m_Contexte.Parametres.lModeMAJ)
        return;
    Traite(nPortee, false);
}

QMenu *TVignettesKX::CreeMenuVignettesEnregistrees(QWidget *Parent)
{
    auto *Menu = new QMenu(QStringLiteral("Vignettes en&registrées"), Parent);
    Menu->setObjectName(QStringLiteral("miVigsVigsEnreg"));
    auto *Recreer = Menu->addMenu(QStringLiteral("&Recréer"));
    Recreer->setObjectName(QStringLiteral("miVigsVigsEnregRecreer"));
    auto *Supprimer = Menu->addMenu(QStringLiteral("&Supprimer"));
    Supprimer->setObjectName(QStringLiteral("miVigsVigsEnregSupprimer"));
    const struct
    {
        const char *cTexte;
        TPorteeVignettes nPortee;
    } Choix[] = {{"la vignette &courante", TPorteeVignettes::Courante},
                 {"les vignettes &sélectionnées", TPorteeVignettes::Cochees},
                 {"&Toutes les vignettes", TPorteeVignettes::Toutes}};
    for (const auto &c : Choix) {
        const TPorteeVignettes n = c.nPortee;
        Recreer->addAction(QString::fromUtf8(c.cTexte), this, [this, n] { miVigsVigsEnregRecreerClick(n); });
        Supprimer->addAction(QString::fromUtf8(c.cTexte), this, [this, n] { miVigsVigsEnregSupprimerClick(n); });
    }
    // Enabled from the list as it is when the menu opens.
    connect(Menu, &QMenu::aboutToShow, this, [this, Recreer, Supprimer] {
        const bool lLignes = m_Modele.Nombre() > 0;
        const QList<QAction *> r = Recreer->actions();
        const QList<QAction *> s = Supprimer->actions();
        const bool lCourante = LigneCourante() >= 0;
        const bool lCochees = m_Modele.nNbCoches() > 0;
        const bool lEtats[] = {lCourante, lCochees, lLignes};
        for (int i = 0; i < 3; ++i) {
            r[i]->setEnabled(lEtats[i]);
            s[i]->setEnabled(lEtats[i] && m_Contexte.Parametres.lModeMAJ);
        }
        Supprimer->setEnabled(m_Contexte.Parametres.lModeMAJ);
        const QString cCourante = TexteVignetteCourante();
        r[0]->setText(cCourante);
        s[0]->setText(cCourante);
    });
    return Menu;
}

QString TVignettesKX::TexteVignetteCourante() const
{
    const QString cTexte = QStringLiteral("la vignette &courante");
    const int n = LigneCourante();
    if (n < 0 || n >= m_Modele.Nombre())
        return cTexte;
    const TEnrLV &Enr = m_Modele.Enr(n);
    const TParamsVignettes P = Params();
    TTailleImage Taille;
    // A thumbnail stored at another size is only fitted when shown: say so.
    if (!JpegCodec::LitTaille(NomVignette(P.cDossierVignettes, Enr.nNumCD, Enr.cChemin), Taille)
        || std::max(Taille.nLargeur, Taille.nHauteur) == P.nD)
        return cTexte;
    return QStringLiteral("%1  (taille de création : %2x%3)").arg(cTexte).arg(Taille.nLargeur).arg(Taille.nHauteur);
}

bool TVignettesKX::Demande(const QString &cTexte)
{
    return MessagesDe(m_Contexte).Question(m_Fenetre, cTexte);
}

void TVignettesKX::Message(const QString &cTitre, const QString &cTexte)
{
    IMessages &Messages = MessagesDe(m_Contexte);
    if (cTitre == cErreur)
        Messages.Erreur(m_Fenetre, cTexte);
    else if (cTitre == cAttention)
        Messages.Attention(m_Fenetre, cTexte);
    else
        Messages.Information(m_Fenetre, cTexte);
}

QString TVignettesKX::cNomEnregistrement(const QString &cTitre, const QString &cNomPropose)
{
    QString cDossier = m_Contexte.Parametres.cRepSvgVig;
    if (cDossier.isEmpty() || !QFileInfo(cDossier).isDir())
        cDossier = QDir::homePath();
    QString cFichier;
    if (fnNomFichier)
        cFichier = fnNomFichier(cTitre, cDossier, cNomPropose);
    else
        cFichier = QFileDialog::getSaveFileName(m_Fenetre, cTitre, QDir(cDossier).filePath(cNomPropose),
                                                QStringLiteral("Images JPEG (*.jpg)"), nullptr,
                                                QFileDialog::DontConfirmOverwrite);
    if (cFichier.isEmpty())
        return {};
    if (QFileInfo(cFichier).suffix().isEmpty())
        cFichier += QStringLiteral(".jpg");
    return cFichier;
}

bool TVignettesKX::SauveImage(const QImage &Image, const QString &cTitre, const QString &cNomPropose,
                              const QString &cFichierProtege)
{
    const QString cFichier = cNomEnregistrement(cTitre, cNomPropose);
    if (cFichier.isEmpty())
        return false;
    if (!cFichierProtege.isEmpty() && MemeFichier(cFichier, cFichierProtege)) {
        Message(cErreur, QStringLiteral("%1 est le fichier de l'image elle-même : il ne peut pas être remplacé.")
                             .arg(QDir::toNativeSeparators(cFichier)));
        return false;
    }
    if (QFileInfo::exists(cFichier)
        && !Demande(QStringLiteral("Le fichier %1 existe déjà.\r\nVoulez-vous le remplacer ?")
                        .arg(QDir::toNativeSeparators(cFichier))))
        return false;
    QString cRaison;
    bool lOk = false;
    {
        TAttente Attente;
        lOk = SauveImageJPEG(Image, cFichier, cFichierProtege, cRaison);
    }
    if (!lOk) {
        Message(cErreur,
                QStringLiteral("Impossible d'enregistrer %1 :\r\n%2").arg(QDir::toNativeSeparators(cFichier), cRaison));
        return false;
    }
    m_Contexte.Parametres.cRepSvgVig = QFileInfo(cFichier).absolutePath();
    return true;
}

void TVignettesKX::btSvgVigCourClick()
{
    const int n = LigneCourante();
    if (n < 0 || n >= m_Modele.Nombre()) {
        Message(cAttention, cAucuneImage);
        return;
    }
    const TEnrLV &Enr = m_Modele.Enr(n);
    QImage Image;
    if (m_plvVigs && m_plvVigs->Item(n) && m_plvVigs->Item(n)->AUneImage())
        Image = m_plvVigs->Item(n)->Vignette();
    if (Image.isNull())
        Image = m_Modele.Vignette(n).Decode();
    SauveImage(Image, QStringLiteral("Sauvegarder la vignette courante"), QLatin1Char('_') + Enr.NomFichier(),
               Enr.lExiste ? Enr.CheminComplet() : QString());
}

void TVignettesKX::btSvgImgCourClick()
{
    const int n = LigneCourante();
    const QImage Image = fnImageAffichee ? fnImageAffichee() : QImage();
    if (n < 0 || n >= m_Modele.Nombre() || Image.isNull()) {
        Message(cAttention, cAucuneImage);
        return;
    }
    const TEnrLV &Enr = m_Modele.Enr(n);
    SauveImage(Image, QStringLiteral("Sauvegarder l'image courante"), Enr.NomFichier(),
               Enr.lExiste ? Enr.CheminComplet() : QString());
}

void TVignettesKX::btSvgTtesVigClick(const QString &cNomPropose)
{
    SauverPlanche(m_plvVigs, cNomPropose);
}

bool TVignettesKX::SauverPlanche(TPaneledListView *Grille, const QString &cNomPropose)
{
    if (!Grille || Grille->Nombre() == 0) {
        Message(cAttention, cAucuneImage);
        return false;
    }
    const int nD = Grille->_ItemDim();
    int nEcran = fnLargeurEcran ? fnLargeurEcran() : 0;
    if (nEcran <= 0) {
        const QScreen *Ecran = m_Fenetre ? m_Fenetre->screen() : QGuiApplication::primaryScreen();
        nEcran = Ecran ? Ecran->geometry().width() : 1024;
    }
    const int nLargeurMax = LargeurMaxPlanche(m_Contexte.Parametres.nIndLargMaxSvgTtesVig, nEcran);
    const TGeometriePlanche g = GeometriePlanche(Grille->Nombre(), nD, nLargeurMax);
    if (!g.Valide()) {
        Message(cErreur, QStringLiteral("La planche de %1 vignettes mesurerait %2 x %3 pixels : un fichier JPEG "
                                        "ne peut dépasser 65535 pixels de côté.")
                             .arg(Grille->Nombre())
                             .arg(g.nLargeur)
                             .arg(g.nHauteur));
        return false;
    }
    QImage Planche;
    {
        TAttente Attente;
        // One thumbnail decoded at a time: the grid keeps the others compressed.
        Planche = DessinePlanche(Grille->Nombre(),
                                 [Grille](int i) {
                                     const TPLVListItem *p = Grille->Item(i);
                                     return TCellulePlanche{p->Vignette(), p->cTitre()};
                                 },
                                 nD, g, {Grille->CouleurFond(), Grille->_PanelsColor(), Grille->_PanelsFontColor()});
    }
    if (Planche.isNull()) {
        Message(
            cErreur,
            QStringLiteral("Mémoire insuffisante pour la planche de %1 x %2 pixels.").arg(g.nLargeur).arg(g.nHauteur));
        return false;
    }
    return SauveImage(Planche, QStringLiteral("Sauvegarder toutes les vignettes dans un même fichier"),
                      cNomPropose + QStringLiteral(".jpg"), QString());
}

TVignettesKX *InstalleVignettes(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste)
{
    auto *Vignettes = new TVignettesKX(Contexte, Main.Selection(), Main.Grille(), Main.JaugeChargement(), &Main);
    Vignettes->CreeBoutons(Main.BarreSauvegardes());
    Liste.fnChargeVignettes = [Vignettes] { return Vignettes->ChargeVignettes(); };
    Main.Installe(Vignettes);
    return Vignettes;
}
