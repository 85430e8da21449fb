#include "publishing/AlbumWEB_fm.h"

#include "classification/ArboCriteres.h"
#include "components/GaugeWindow.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"
#include "storage/TaillesVignettes.h"
#include "treatments/TraitementsImage.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QUrl>

#include <algorithm>
#include <memory>

namespace
{
QString AvecBarre(QString c)
{
    if (!c.isEmpty() && !c.endsWith(QLatin1Char('/')))
        c += QLatin1Char('/');
    return c;
}

QString ChoixDossierParDefaut(QWidget *Parent, const QString &cDepart)
{
    return QFileDialog::getExistingDirectory(
        Parent, QStringLiteral("Dossier de l'album WEB (un dossier vide, à créer au besoin)"), cDepart);
}

void OuvrePageParDefaut(const QString &cPage)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(cPage));
}
} // namespace

TParamsAlbumWEB ParamsAlbumWEB(TContexte &C)
{
    const TEnrParametres &Pa = C.Parametres;
    TParamsAlbumWEB P;
    P.iniSetup = C.iniSetup.get();
    P.iniBDD = C.iniBDD.get();
    P.pVolumes = C.Volumes.get();
    P.pDescriptions = C.Descriptions.get();
    P.Focale = {C.iniCFAPN.get(), Pa.lCoeffFocDansTable};
    P.cDossierVignettes = C.Dossiers.cDossierVignettes;
    P.nTailleVignette = TailleVignette(Pa.nIndTailleVigs);
    P.lLireVigDsTHM = Pa.lLireVigDsTHM;
    P.lOrientationAuto = Pa.lOrientationAuto;
    P.lEtendRechCritEnf = Pa.lEtendRechCritEnf;
    P.lTrtDescription = Pa.lTrtDescription;
    P.lHintAffEXIF = Pa.lHintAffEXIF;
    P.lHintAffIPTC = Pa.lHintAffIPTC;
    if (const TBigIniFile *pIni = C.iniSetup.get()) {
        P.AppliqueTrts = [pIni, &Pa](QImage &Image, const QString &cCle, const QString &cOrientation) {
            AppliqueTrtsImage(Image, *pIni, Pa, cCle, cOrientation);
        };
        P.ATrts = [pIni, &Pa](const QString &cCle, const QString &cOrientation) {
            return ATrtsImage(*pIni, Pa, cCle, cOrientation);
        };
    }
    return P;
}

QString OuvreAlbumWEB(TContexte &C, QWidget *Parent, const TSourceDonneesAW &Source, const TInterfaceAlbumWEB &I)
{
    IMessages &Messages = *C.Messages;
    if (!C.iniSetup) {
        Messages.Erreur(Parent, QStringLiteral("Les paramètres ne sont pas disponibles."));
        return {};
    }
    const QString cErreurSource = ErreurSourceAlbumWEB(Source);
    if (!cErreurSource.isEmpty()) {
        Messages.Attention(Parent, cErreurSource);
        return {};
    }
    TParamsAlbumWEB P = ParamsAlbumWEB(C);
    P.nFils = I.nFils;
    std::unique_ptr<TArboCriteres> Arbo;
    if (Source.nSource == saHierCritere) {
        Arbo = std::make_unique<TArboCriteres>();
        Arbo->ChargerArboCritHier(*C.iniSetup, C.Parametres, C.Dossiers.cDossierImgsCH);
        P.pArbo = Arbo.get();
    }
    if (Source.nSource == saHierDossiers && QDir::cleanPath(Source.cArgument) == QLatin1String("/")
        && !Messages.Question(Parent, QStringLiteral("Le dossier sélectionné est à la racine de l'arborescence.\r\n\r\n"
                                                     "Générer tout de même l'album WEB hiérarchique correspondant ?\r\n"
                                                     "(ceci peut être très long.)")))
        return {};

    const TComptesAlbumWEB Comptes = CompterImagesAlbumWEB(Source, P);
    if (Comptes.nImgsSource <= 0) {
        Messages.Attention(Parent, QStringLiteral("Aucune image à traiter."));
        return {};
    }

    TOptionsAlbumWEB O = LitOptionsAlbumWEB(*C.iniSetup);
    if (O.nAWContAlbum != caVignettesSeules && Comptes.nDisponibles <= 0) {
        Messages.Attention(Parent, QStringLiteral("Aucune image à traiter."));
        return {};
    }
    const QString cDepart = O.cAWDosParentAlbum.isEmpty() ? C.Dossiers.cDossierDonnees : O.cAWDosParentAlbum;
    const auto Choisit = I.fnChoisitDossier ? I.fnChoisitDossier : ChoixDossierParDefaut;
    const QString cChoisi = Choisit(Parent, cDepart);
    if (cChoisi.isEmpty())
        return {};
    O.cAWDossierAlbum = AvecBarre(QDir::cleanPath(QDir(cChoisi).absolutePath()));
    const QString cNom = QDir(O.cAWDossierAlbum).dirName();
    O.cAWDosParentAlbum = AvecBarre(QDir::cleanPath(O.cAWDossierAlbum + QStringLiteral("..")));
    O.cAWNomFenCipale = cNom;
    O.cAWNomFenImgPE = cNom;
    // The window's first proposal: five columns, fewer for fewer images.
    const int nImages = O.nAWContAlbum == caVignettesSeules ? Comptes.nImgsSource : Comptes.nDisponibles;
    O.nAWNbCol = std::clamp(nImages, 1, 5);

    TGaugeWindow Jauge(Parent, &Messages);
    bool lDemarree = false;
    P.Suivi.Avance = [&](qint64 nPosition, qint64 nMaximum) {
        if (!lDemarree) {
            Jauge.Demarre(QStringLiteral("Création de l'Album WEB"), 0, 0, 1000);
            lDemarree = true;
        }
        Jauge.set_GaugeCurValue(TGaugeWindow::Millieme(0, int(std::min<qint64>(nPosition, INT_MAX)),
                                                       int(std::min<qint64>(nMaximum, INT_MAX))));
    };
    P.Suivi.Interrompu = [&] { return lDemarree && Jauge.Interrompu(); };
    const TBilanAlbumWEB B = GenererAlbumWEB(Source, O, P);
    if (lDemarree)
        Jauge.Arrete();

    // The thumbnails made meanwhile left their data in the store, whatever became of the album.
    if (B.lRefuse) {
        Messages.Erreur(Parent, B.cErreur);
        return {};
    }
    EcritOptionsAlbumWEB(*C.iniSetup, O);
    C.iniSetup->WriteString(cSectionAlbumsWebHistorique, O.cAWDossierAlbum, QString());
    C.iniSetup->UpdateFile();
    if (!B.cErreur.isEmpty())
        Messages.Erreur(Parent, B.cErreur);
    if (B.nNonTraitees > 0)
        Messages.Attention(Parent, B.TexteNonTraitees());
    if (O.lAWVisuResApresCreation)
        (I.fnOuvrePage ? I.fnOuvrePage : OuvrePageParDefaut)(O.cAWDossierAlbum + QStringLiteral("Index.htm"));
    return O.cAWDossierAlbum;
}

TAlbumWEBKX::TAlbumWEBKX(TContexte &Contexte, TSelectionKX &Selection, QWidget *Fenetre)
    : QObject(Fenetre), m_Contexte(Contexte), m_Selection(Selection), m_Fenetre(Fenetre)
{
    pmAlbumWEB = new QMenu(Fenetre);
    pmAlbumWEB->setObjectName(QStringLiteral("pmAlbumWEB"));
    miAlbumWEBGenAPartirImgSel =
        pmAlbumWEB->addAction(QStringLiteral("&Générer un album WEB à partir des images sélectionnées..."));
    miAlbumWEBGenAPartirImgSel->setObjectName(QStringLiteral("miAlbumWEBGenAPartirImgSel"));
    miAlbumWEBGenAWHDossiers = pmAlbumWEB->addAction(QString());
    miAlbumWEBGenAWHDossiers->setObjectName(QStringLiteral("miAlbumWEBGenAWHDossiers"));
    connect(miAlbumWEBGenAPartirImgSel, &QAction::triggered, this, &TAlbumWEBKX::miAlbumWEBGenAPartirImgSelClick);
    connect(miAlbumWEBGenAWHDossiers, &QAction::triggered, this, &TAlbumWEBKX::miAlbumWEBGenAWHDossiersClick);
    connect(pmAlbumWEB, &QMenu::aboutToShow, this, &TAlbumWEBKX::pmAlbumWEBPopup);
    pmAlbumWEBPopup();
}

void TAlbumWEBKX::pmAlbumWEBPopup()
{
    miAlbumWEBGenAPartirImgSel->setEnabled(m_Selection.Modele().nNbCoches() > 0);
    const QString cDossier = m_Selection.DossierCourant();
    miAlbumWEBGenAWHDossiers->setText(
        QStringLiteral("Générer un album WEB hiérarchique à partir du &dossier '%1'...").arg(cDossier));
    miAlbumWEBGenAWHDossiers->setEnabled(!cDossier.isEmpty());
}

void TAlbumWEBKX::CreeBouton(QWidget *Barre)
{
    auto *Disposition = qobject_cast<QHBoxLayout *>(Barre ? Barre->layout() : nullptr);
    if (!Disposition)
        return;
    btAlbumWEB = new QPushButton(QStringLiteral("Album WEB"), Barre);
    btAlbumWEB->setObjectName(QStringLiteral("btAlbumWEB"));
    btAlbumWEB->setToolTip(QStringLiteral("Exporter les images sélectionnées vers un album WEB ou générer/gérer les "
                                          "albums WEB hiérarchiques"));
    btAlbumWEB->setFocusPolicy(Qt::NoFocus);
    btAlbumWEB->setMenu(pmAlbumWEB);
    Disposition->addWidget(btAlbumWEB);
}

void TAlbumWEBKX::miAlbumWEBGenAPartirImgSelClick()
{
    TSourceDonneesAW Source;
    Source.nSource = saImagesCochees;
    Source.pModele = &m_Selection.Modele();
    OuvreAlbumWEB(m_Contexte, m_Fenetre, Source, Interface);
}

void TAlbumWEBKX::miAlbumWEBGenAWHDossiersClick()
{
    TSourceDonneesAW Source;
    Source.nSource = saHierDossiers;
    Source.cArgument = AvecBarre(m_Selection.DossierCourant());
    OuvreAlbumWEB(m_Contexte, m_Fenetre, Source, Interface);
}

TAlbumWEBKX *InstalleAlbumWEB(TfmMainKX &Main, TContexte &Contexte)
{
    auto *Album = new TAlbumWEBKX(Contexte, Main.Selection(), &Main);
    Album->CreeBouton(Main.BarreListe());
    Main.Installe(Album);
    return Album;
}
