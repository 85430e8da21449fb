#include "exploration/AfficheImage_fm.h"

#include "components/ComboZoom.h"
#include "components/PanneauImage.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "imaging/ChargeImage.h"
#include "mainwindow/MainKX_fm.h"
#include "platform/Couleurs.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Contexte.h"
#include "storage/Sections.h"

#include <QApplication>
#include <QProgressBar>
#include <QSignalBlocker>

#include <utility>

namespace
{
// The side of the placeholders drawn in the pane.
constexpr int nCoteSubstitut = 200;
}

TAfficheImageKX::TAfficheImageKX(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Liste(Liste), m_Selection(Main.Selection()),
      sbImage(Main.PanneauImage()), cbZoom(Main.ListeZoom()), ggChrgImg(Main.JaugeChargement()),
      m_pChargeur(new TChargeurImage(this))
{
    setObjectName(QStringLiteral("AfficheImage"));
    fnBulleImage = [](const TEnrLV &Enr) { return Enr.CheminComplet(); };
    connect(m_pChargeur, &TChargeurImage::Pret, this, &TAfficheImageKX::Pret);
    connect(m_pChargeur, &TChargeurImage::Progres, this, &TAfficheImageKX::Progres);
    connect(&m_Selection, &TSelectionKX::CouranteChange, this, [this](int nLigne) { CouranteChange(nLigne); });
    // A thumbnail remade or a treatment kept: the picture on disk or its treatment changed.
    connect(&m_Selection, &TSelectionKX::ImageChange, this, [this](const QString &cCle) {
        if (cCle == std::exchange(m_cCleRetraitee, QString()))
            return;
        if (m_nLigne >= 0 && cCle == m_Selection.CleCourante()) {
            m_pChargeur->Oublie(m_cFichier);
            m_nCleSource = 0;
            AfficheImage(m_nLigne);
        }
    });
    connect(cbZoom, &QComboBox::currentIndexChanged, this, &TAfficheImageKX::cbZoomChange);
    connect(sbImage, &TPanneauImage::Redimensionne, this, [this] {
        if (cbZoom->currentIndex() == RapportZoom::nAjuste)
            cbZoomChange();
    });
    connect(sbImage, &TPanneauImage::MenuDemande, this, [this](const QPoint &pt) { m_Liste.pmVigsPopup(pt); });
    connect(sbImage, &TPanneauImage::DoubleClic, this, &TAfficheImageKX::imImageDblClick);
}

TAfficheImageKX::~TAfficheImageKX()
{
    Attente(false);
}

TDemandeImage TAfficheImageKX::Demande(const QString &cFichier) const
{
    return {cFichier, cbZoom->currentIndex(), sbImage->TailleDisponible()};
}

QString TAfficheImageKX::FichierSuivant(int nLigne) const
{
    const TModeleListeImages &Modele = m_Selection.Modele();
    if (nLigne + 1 >= Modele.Nombre())
        return {};
    const TEnrLV &e = Modele.Enr(nLigne + 1);
    return e.nNumCD != 0 && e.cLecteur.isEmpty() ? QString() : e.CheminComplet();
}

void TAfficheImageKX::CouranteChange(int nLigne)
{
    if (nLigne >= 0 && !m_Contexte.Parametres.lConsRapZoom) {
        // The new image comes at "1:1"; the picture it replaces is not resized first.
        const QSignalBlocker Bloque(cbZoom);
        cbZoom->setCurrentIndex(RapportZoom::nUnUn);
    }
    AfficheImage(nLigne);
    sbImage->RetourOrigine();
}

void TAfficheImageKX::Attente(bool lAttente)
{
    if (lAttente == m_lAttente)
        return;
    m_lAttente = lAttente;
    if (lAttente)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TAfficheImageKX::AfficheImage(int nLigne, bool lZoom11)
{
    TModeleListeImages &Modele = m_Selection.Modele();
    m_nLigne = nLigne >= 0 && nLigne < Modele.Nombre() ? nLigne : -1;
    m_lLue = false;
    if (lZoom11) {
        const QSignalBlocker Bloque(cbZoom);
        cbZoom->setCurrentIndex(RapportZoom::nUnUn);
    }
    if (m_nLigne < 0) {
        m_pChargeur->Abandonne();
        m_cFichier.clear();
        m_nCleSource = 0;
        sbImage->Vide();
        sbImage->setToolTip(QString());
        cbZoom->setEnabled(false);
        Attente(false);
        return;
    }
    const TEnrLV &e = Modele.Enr(m_nLigne);
    if (e.nNumCD != 0 && e.cLecteur.isEmpty()) {
        const QString cLabel = m_Contexte.iniSetup
                                   ? m_Contexte.iniSetup->ReadString(cSectionLabelsCD, IdVolume(quint32(e.nNumCD)), {})
                                   : QString();
        m_pChargeur->Abandonne();
        m_cFichier.clear();
        MontreSubstitut(ImageNonTrouvee(nCoteSubstitut, IdVolume(quint32(e.nNumCD)), cLabel));
        return;
    }
    const QString cFichier = e.CheminComplet();
    if (cFichier != m_cFichier)
        m_nCleSource = 0;
    m_cFichier = cFichier;
    if (m_lPleinEcran) {
        // The full-screen view's decode serves the pane too.
        m_pChargeur->Abandonne();
        return;
    }
    Attente(true);
    // Answered at once when the picture is kept, otherwise once the worker has decoded it.
    m_pChargeur->Demande(Demande(cFichier), FichierSuivant(m_nLigne));
}

void TAfficheImageKX::MontreSubstitut(const QImage &Image)
{
    m_lLue = false;
    m_nCleSource = 0;
    m_TailleImage = QSize();
    sbImage->MetImage(Image, Image.size());
    cbZoom->setEnabled(false);
    Termine();
}

void TAfficheImageKX::Termine()
{
    if (m_nLigne >= 0 && m_nLigne < m_Selection.Modele().Nombre())
        sbImage->setToolTip(fnBulleImage ? fnBulleImage(m_Selection.Modele().Enr(m_nLigne)) : QString());
    m_Liste.MetCaption();
    Attente(false);
}

void TAfficheImageKX::Pret(const TImageDecodee &Image)
{
    if (m_cFichier.isEmpty() || Image.cFichier != m_cFichier || m_nLigne < 0)
        return;
    if (!Image.Valide()) {
        MontreSubstitut(ImageErreur(nCoteSubstitut));
        return;
    }
    TModeleListeImages &Modele = m_Selection.Modele();
    TEnrLV &e = Modele.Enr(m_nLigne);
    m_lLue = true;
    cbZoom->setEnabled(true);
    if (Image.Image.cacheKey() != m_nCleSource) {
        // A new decode: through the treatments, which may turn the picture.
        QImage Picture = Image.Image;
        QSize Taille(int(Image.Taille.nLargeur), int(Image.Taille.nHauteur));
        m_lTournee = false;
        if (fnTraitement) {
            const QImage Traitee = fnTraitement(Picture, e);
            if (!Traitee.isNull()) {
                m_lTournee = Traitee.size() != Picture.size() && Traitee.size() == Picture.size().transposed();
                if (m_lTournee)
                    Taille.transpose();
                Picture = Traitee;
            }
        }
        m_nCleSource = Image.Image.cacheKey();
        m_TailleImage = Taille;
        // The entry keeps the file's size (the list and caption turn it themselves), so that
        // the thumbnail and the pane, each setting it, never flip it back and forth.
        if (e.nLargeur != Image.Taille.nLargeur || e.nHauteur != Image.Taille.nHauteur)
            Modele.MetResolution(m_nLigne, Image.Taille.nLargeur, Image.Taille.nHauteur);
        sbImage->MetImage(Picture, sbImage->TailleAffichee());
    }
    cbZoomChange();
    Termine();
}

void TAfficheImageKX::cbZoomChange()
{
    const int nZoom = cbZoom->currentIndex();
    const RapportZoom::TAffichage A =
        RapportZoom::Affichage(nZoom, m_TailleImage.width(), m_TailleImage.height(), sbImage->TailleDisponible());
    if (!A.cBulle.isEmpty())
        cbZoom->setToolTip(A.cBulle);
    if (m_lPleinEcran) {
        if (m_lLue && !A.Taille.isEmpty())
            sbImage->MetTailleAffichee(A.Taille);
        return;
    }
    if (!m_lLue) {
        // A picture still loading is asked for at the new zoom instead.
        if (m_lAttente && !m_cFichier.isEmpty())
            m_pChargeur->Demande(Demande(m_cFichier), FichierSuivant(m_nLigne));
        return;
    }
    // A pane without room keeps the picture as it was until it has a size.
    if (!A.Taille.isEmpty())
        sbImage->MetTailleAffichee(A.Taille);
    // More detail than the decode at hand holds, unless it cannot be had.
    const TImageDecodee &Meilleure = m_pChargeur->Meilleure();
    const QSize Decodee = m_lTournee ? A.Taille.transposed() : A.Taille;
    if (Meilleure.cFichier == m_cFichier && !Meilleure.Couvre(Decodee) && !m_pChargeur->CompleteImpossible())
        m_pChargeur->Demande(Demande(m_cFichier), FichierSuivant(m_nLigne));
}

bool TAfficheImageKX::RetraiteImage()
{
    if (!m_lLue || m_cFichier.isEmpty() || m_nLigne < 0)
        return false;
    const TImageDecodee Decodee = m_pChargeur->Meilleure();
    if (Decodee.cFichier != m_cFichier || !Decodee.Valide())
        return false;
    m_cCleRetraitee = m_Selection.CleCourante();
    m_nCleSource = 0;
    Pret(Decodee);
    return true;
}

void TAfficheImageKX::Progres(int nEtape, int nPourcent)
{
    if (!ggChrgImg)
        return;
    if (nEtape == 0) {
        ggChrgImg->setRange(0, 100);
        ggChrgImg->setValue(0);
        ggChrgImg->show();
    } else if (nEtape == 1) {
        ggChrgImg->setValue(nPourcent);
    } else {
        ggChrgImg->hide();
    }
}

void TAfficheImageKX::imImageDblClick()
{
    if (!m_lLue || m_cFichier.isEmpty() || !fnPleinEcran)
        return;
    fnPleinEcran(sbImage->Image(), Couleurs::Couleur(m_Contexte.Parametres.nImgPECoulFond, QApplication::palette(), 0));
}

void TAfficheImageKX::DebutPleinEcran()
{
    m_lPleinEcran = true;
}

void TAfficheImageKX::ImagePleinEcran(const QString &cFichier, const QImage &Image, QSize Taille)
{
    if (!m_lPleinEcran || Image.isNull())
        return;
    // The view may show the new row before the pane heard of it.
    const int nLigne = m_Selection.LigneCourante();
    const TModeleListeImages &Modele = m_Selection.Modele();
    if (nLigne < 0 || nLigne >= Modele.Nombre() || Modele.Enr(nLigne).CheminComplet() != cFichier)
        return;
    m_nLigne = nLigne;
    m_cFichier = cFichier;
    m_lLue = true;
    m_lTournee = false;
    m_nCleSource = 0; // not a decode of the pane's loader: the pane decodes again afterwards
    m_TailleImage = Taille;
    cbZoom->setEnabled(true);
    const RapportZoom::TAffichage A =
        RapportZoom::Affichage(cbZoom->currentIndex(), Taille.width(), Taille.height(), sbImage->TailleDisponible());
    sbImage->MetImage(Image, A.Taille.isEmpty() ? Image.size() : A.Taille);
    Termine();
}

void TAfficheImageKX::FinPleinEcran()
{
    if (!m_lPleinEcran)
        return;
    m_lPleinEcran = false;
    m_lLue = false;
    AfficheImage(m_nLigne);
}

TAfficheImageKX *InstalleAfficheImage(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste)
{
    auto *Affiche = new TAfficheImageKX(Main, Contexte, Liste);
    Main.Installe(Affiche);
    // The entry current before the installation (if any) is shown now.
    if (Main.Selection().LigneCourante() >= 0)
        Affiche->AfficheImage(Main.Selection().LigneCourante());
    else
        Affiche->cbZoomChange();
    return Affiche;
}
