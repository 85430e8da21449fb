#include "BancSuppressionFm.h"
#include "components/FolderTreeView.h"
#include "publishing/AlbumWEB_fm.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"
#include "support/Fichiers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>

namespace
{
class AlbumWEBFm : public BancSuppressionFm
{
protected:
    void SetUp() override
    {
        BancSuppressionFm::SetUp();
        Barre = new QWidget(&Fenetre);
        new QHBoxLayout(Barre);
        Album = new TAlbumWEBKX(*Contexte, Selection, &Fenetre);
        Album->CreeBouton(Barre);
        Album->Interface.nFils = 1;
        Album->Interface.pOperations = Operations.get();
        // The window as the user leaves it: the folder where the tree starts is noted, then the
        // name and the parent folder are given and OK is clicked, unless cNom is empty (Cancel).
        Album->Interface.fnExecute = [this](TfmAlbumWEB &F) {
            Departs << F.tvDosParentAlbum->DossierCourant();
            if (fnAvantOK)
                fnAvantOK(F);
            if (cNom.isEmpty())
                return int(QDialog::Rejected);
            F.edNomAlbum->setText(cNom);
            F.edNomFenCipale->setText(cNom);
            F.tvDosParentAlbum->ChoisitDossier(cParent);
            F.btOK->click();
            return F.result();
        };
        Album->Interface.fnOuvrePage = [this](const QString &cPage) { Ouvertes << cPage; };
        cParent = cRacine + QStringLiteral("/albums");
        QDir().mkpath(cParent);
        cChoix = cParent + QStringLiteral("/Vacances");
    }

    QWidget *Barre = nullptr;
    TAlbumWEBKX *Album = nullptr;
    QString cNom = QStringLiteral("Vacances");
    QString cParent, cChoix;
    std::function<void(TfmAlbumWEB &)> fnAvantOK;
    QStringList Departs, Ouvertes;
};

TEST_F(AlbumWEBFm, CheckedImagesMakeAnAlbumRecordedInTheHistory)
{
    ASSERT_NE(Album->btAlbumWEB, nullptr);
    EXPECT_EQ(Album->btAlbumWEB->menu(), Album->pmAlbumWEB);
    Liste(Jpeg(QStringLiteral("p/a.jpg"), 10), true);
    Liste(Jpeg(QStringLiteral("p/b.jpg"), 20), false);
    Liste(Jpeg(QStringLiteral("q/a.jpg"), 30), true);
    emit Album->pmAlbumWEB->aboutToShow();
    ASSERT_TRUE(Album->miAlbumWEBGenAPartirImgSel->isEnabled());

    Album->miAlbumWEBGenAPartirImgSel->trigger();
    EXPECT_EQ(Messages->Textes(), QStringList());
    // The first choice starts in the data folder.
    EXPECT_EQ(Departs, QStringList{Contexte->Dossiers.cDossierDonnees});
    EXPECT_TRUE(QFileInfo(cChoix).isDir());
    const QString cAlbum = cChoix + QLatin1Char('/');
    EXPECT_EQ(Ouvertes, QStringList{cAlbum + QStringLiteral("Index.htm")});
    const QString cIndex = QString::fromUtf8(LitFichier(cAlbum + QStringLiteral("Index.htm")));
    EXPECT_TRUE(cIndex.contains(QStringLiteral("<TITLE>Vacances</TITLE>")));
    EXPECT_TRUE(cIndex.contains(QStringLiteral("Image.htm?a(2).jpg")));
    EXPECT_FALSE(cIndex.contains(QStringLiteral("b.jpg")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Vignettes/a(2).jpg")));
    EXPECT_TRUE(Contexte->iniSetup->ValueExists(cSectionAlbumsWebHistorique, cAlbum));
    EXPECT_EQ(Contexte->iniSetup->ReadString(cSectionAlbumsWebGeneral, QStringLiteral("cAWDosParentAlbum"), {}),
              cRacine + QStringLiteral("/albums/"));
    EXPECT_TRUE(QFileInfo::exists(Contexte->iniSetup->FileName()));

    // The same name again is an album now: offered for replacement, kept on No.
    const QByteArray Index = LitFichier(cAlbum + QStringLiteral("Index.htm"));
    Album->miAlbumWEBGenAPartirImgSel->trigger();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTexte, QStringLiteral("Le dossier 'Vacances' existe déjà.\r\n\r\nL'écraser ?"));
    EXPECT_EQ(LitFichier(cAlbum + QStringLiteral("Index.htm")), Index);
    EXPECT_EQ(Ouvertes.size(), 1);
    EXPECT_EQ(Departs.last(), cRacine + QStringLiteral("/albums/"));
}

TEST_F(AlbumWEBFm, RememberedTreatmentsAreAppliedToTheWrittenImages)
{
    const QString cTournee = Jpeg(QStringLiteral("p/tournee.jpg"), 10);
    const QString cIntacte = Jpeg(QStringLiteral("p/intacte.jpg"), 20);
    Liste(cTournee, true);
    Liste(cIntacte, true);
    Contexte->iniSetup->WriteString(cSectionRotations, cTournee, QStringLiteral("D"));
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(Messages->Textes(), QStringList());
    const QString cImages = cChoix + QStringLiteral("/Images/");
    EXPECT_EQ(QImage(cImages + QStringLiteral("tournee.jpg")).size(), QSize(48, 64));
    EXPECT_EQ(LitFichier(cImages + QStringLiteral("intacte.jpg")), LitFichier(cIntacte));
}

TEST_F(AlbumWEBFm, NothingToMakeOrCancelledWritesNothing)
{
    Liste(Jpeg(QStringLiteral("p/a.jpg")), false);
    emit Album->pmAlbumWEB->aboutToShow();
    EXPECT_FALSE(Album->miAlbumWEBGenAPartirImgSel->isEnabled());
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Aucune image à traiter.")});
    EXPECT_TRUE(Departs.isEmpty());

    Modele.MetCoche(0, true);
    cNom.clear();
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(Departs.size(), 1);
    EXPECT_TRUE(Ouvertes.isEmpty());
    EXPECT_FALSE(Contexte->iniSetup->SectionExists(cSectionAlbumsWebHistorique));
    EXPECT_FALSE(QFileInfo::exists(cChoix));
}

TEST_F(AlbumWEBFm, FolderHierarchyFromTheCurrentFolder)
{
    Jpeg(QStringLiteral("photos/a.jpg"));
    Jpeg(QStringLiteral("photos/2024/b.jpg"));
    Selection.MetDossierCourant(cRacine + QStringLiteral("/photos"));
    emit Album->pmAlbumWEB->aboutToShow();
    EXPECT_EQ(Album->miAlbumWEBGenAWHDossiers->text(),
              QStringLiteral("Générer un album WEB hiérarchique à partir du &dossier '%1'...")
                  .arg(cRacine + QStringLiteral("/photos")));

    Album->miAlbumWEBGenAWHDossiers->trigger();
    EXPECT_EQ(Messages->Textes(), QStringList());
    const QString cAlbum = cChoix + QLatin1Char('/');
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Hierarchie.htm")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("2024/Images/b.jpg")));
    EXPECT_TRUE(QFileInfo::exists(cAlbum + QStringLiteral("Images/a.jpg")));
    EXPECT_EQ(Ouvertes, QStringList{cAlbum + QStringLiteral("Index.htm")});
}

// A list source of n images, reachable or not.
TSourceDonneesAW SourceListe(const QString &cRacine, int n, bool lExiste = true)
{
    TSourceDonneesAW S;
    S.nSource = saListeImages;
    for (int i = 0; i < n; ++i) {
        TEnrLstAW l;
        l.EnrLV.cChemin =
            cRacine + (lExiste ? QStringLiteral("/liste/%1.jpg") : QStringLiteral("/absentes/%1.jpg")).arg(i);
        if (lExiste)
            EcritFichier(l.EnrLV.cChemin, "x");
        S.lstImages << l;
    }
    return S;
}

void CliqueContenu(TfmAlbumWEB &F, int nContenu)
{
    F.bgContAlbum->button(nContenu)->click();
}

TEST_F(AlbumWEBFm, CountTextAndBoxesOfAFlatAlbum)
{
    TfmAlbumWEB F(*Contexte, ParamsAlbumWEB(*Contexte), Album->Interface);
    ASSERT_TRUE(F.InitAlbumWEB(SourceListe(cRacine, 12)));
    F.FormShow();
    CliqueContenu(F, caImagesSeules);
    EXPECT_EQ(F.stNbreVigImg->text(), QStringLiteral("12 Image(s) à organiser en"));
    EXPECT_EQ(F.edNbLig->value(), 3);
    EXPECT_EQ(F.edNbCol->value(), 5);
    F.edNbLig->setValue(4);
    F.edNbLigChange();
    EXPECT_EQ(F.edNbCol->value(), 3);
    F.edNbCol->setValue(7);
    F.edNbColChange();
    EXPECT_EQ(F.edNbLig->value(), 2);
    // No name yet: OK waits for one.
    EXPECT_FALSE(F.btOK->isEnabled());
    F.edNomAlbum->setText(QStringLiteral("  "));
    EXPECT_FALSE(F.btOK->isEnabled());
    F.edNomAlbum->setText(QStringLiteral("Été"));
    EXPECT_TRUE(F.btOK->isEnabled());
    F.show();
    Capture(QStringLiteral("j36-album-plat.png"));
    EXPECT_FALSE(F.edNbLig->isHidden());
    EXPECT_FALSE(F.cbHierDansVoletRech->isEnabled());

    TfmAlbumWEB G(*Contexte, ParamsAlbumWEB(*Contexte), Album->Interface);
    ASSERT_TRUE(G.InitAlbumWEB(SourceListe(cRacine, 3)));
    G.FormShow();
    EXPECT_EQ(G.edNbLig->value(), 1);
    EXPECT_EQ(G.edNbCol->value(), 3);
    G.edNbCol->setValue(10);
    EXPECT_EQ(G.edNbCol->value(), 3);
    EXPECT_EQ(G.edNbLig->maximum(), 3);

    // Unreachable images: only thumbnails can be made, and their count is shown.
    TfmAlbumWEB H(*Contexte, ParamsAlbumWEB(*Contexte), Album->Interface);
    ASSERT_TRUE(H.InitAlbumWEB(SourceListe(cRacine, 4, false)));
    H.FormShow();
    H.edNomAlbum->setText(QStringLiteral("X"));
    CliqueContenu(H, caImagesSeules);
    EXPECT_EQ(H.stNbreVigImg->text(), QStringLiteral("0 Image(s) à organiser en"));
    EXPECT_EQ(H.edNbLig->maximum(), 1);
    EXPECT_FALSE(H.btOK->isEnabled());
    CliqueContenu(H, caVignettesSeules);
    EXPECT_EQ(H.stNbreVigImg->text(), QStringLiteral("4 Vignette(s) à organiser en"));
    EXPECT_TRUE(H.btOK->isEnabled());
}

TEST_F(AlbumWEBFm, APersonalAlbumOnAnAbsentCDMakesThumbnailsOnly)
{
    const QString S = cSectionAlbumWeb + QLatin1Char(':');
    Contexte->iniSetup->WriteString(S + QStringLiteral("Voyages"), QStringLiteral("<aDossiers>"),
                                    QStringLiteral("Italie"));
    Contexte->iniSetup->WriteString(S + QStringLiteral("Voyages:Italie"),
                                    CleImage(0x0bad0bad, QStringLiteral("/a.jpg")), QString());
    Contexte->iniSetup->WriteString(S + QStringLiteral("Voyages:Italie"),
                                    CleImage(0x0bad0bad, QStringLiteral("/b.jpg")), QString());
    Contexte->iniSetup->WriteString(S + QStringLiteral("Brouillon"), QStringLiteral("<aDossiers>"), QString());
    emit Album->pmAlbumWEB->aboutToShow();
    ASSERT_TRUE(Album->miAlbumWEBGenAWHPerso->isEnabled());
    EXPECT_FALSE(Album->miAlbumWEBAWH->isVisible());

    QList<bool> OK;
    cNom.clear();
    fnAvantOK = [&](TfmAlbumWEB &F) {
        EXPECT_TRUE(F.edNomAlbum->isHidden());
        EXPECT_FALSE(F.cbNomAlbum->isHidden());
        EXPECT_EQ(F.cbNomAlbum->count(), 1);
        EXPECT_EQ(F.edNomAlbum->text(), QStringLiteral("Voyages"));
        EXPECT_TRUE(F.edNbLig->isHidden());
        EXPECT_TRUE(F.cbHierDansVoletRech->isEnabled());
        for (int n :
             {caVignettesSeules, caImagesSeules, caVignettesSeules, caFrames, caVignettesEtLiens, caVignettesSeules}) {
            CliqueContenu(F, n);
            OK << F.btOK->isEnabled();
        }
        EXPECT_EQ(F.stNbreVigImg->text(), QStringLiteral("0 Image(s) à disposer sur"));
        CliqueContenu(F, caFrames);
        EXPECT_EQ(F.stNbreVigImg->text(), QStringLiteral("0 Image(s)"));
        EXPECT_TRUE(F.edNbCol->isHidden());
        F.show();
        Capture(QStringLiteral("j36-album-perso.png"));
    };
    Album->miAlbumWEBGenAWHPersoClick();
    EXPECT_EQ(OK, (QList<bool>{true, false, true, false, false, true}));
    EXPECT_EQ(Departs.size(), 1);
}

TEST_F(AlbumWEBFm, DefaultsReachThePagesAndChangedOptionsComeBack)
{
    Liste(Jpeg(QStringLiteral("p/a.jpg"), 10), true);
    Album->miAlbumWEBGenAPartirImgSelClick();
    ASSERT_EQ(Messages->Textes(), QStringList());
    const QString cIndex = QString::fromUtf8(LitFichier(cChoix + QStringLiteral("/Index.htm")));
    for (const char *c : {"000000", "ffffff", "c0c0c0", "808080"})
        EXPECT_TRUE(cIndex.contains(QLatin1String(c))) << c;

    // Changed options are kept and shown again at the next opening.
    TOptionsAlbumWEB Gardees;
    cNom = QStringLiteral("Noël");
    fnAvantOK = [&](TfmAlbumWEB &F) {
        CliqueContenu(F, caFrames);
        F.cbDispoVig->setCurrentIndex(dvVignettesAGauche);
        F.cbAffDate->click();
        F.btAffCadre->click();
        F.cbRedImgTailleMax->setCurrentText(QStringLiteral("800"));
        F.fnChoisitCouleur = [](quint32) { return std::optional<quint32>(0x0000FF); };
        F.btCoulFondFenetre->click();
        F.cbVisuResApresCreation->setChecked(false);
        F.edMotsCles->setText(QStringLiteral(" mer plage "));
        Gardees = F.OptionsControles();
    };
    Album->miAlbumWEBGenAPartirImgSelClick();
    ASSERT_EQ(Messages->Textes(), QStringList());
    EXPECT_EQ(Ouvertes.size(), 1);
    const QString cNoel = cParent + QStringLiteral("/Noël/");
    EXPECT_TRUE(Contexte->iniSetup->ValueExists(cSectionAlbumsWebHistorique, cNoel));
    EXPECT_TRUE(
        QString::fromUtf8(LitFichier(cNoel + QStringLiteral("Vignettes.htm"))).contains(QStringLiteral("ff0000")));
    EXPECT_TRUE(
        QString::fromUtf8(LitFichier(cNoel + QStringLiteral("Index.htm"))).contains(QStringLiteral("MER PLAGE")));

    TOptionsAlbumWEB Relues;
    cNom.clear();
    fnAvantOK = [&](TfmAlbumWEB &F) { Relues = F.OptionsControles(); };
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(Departs.last(), cParent + QLatin1Char('/'));
    Gardees.cAWNomFenCipale = Gardees.cAWMotsCles = Gardees.cAWNomFenImgPE = QString();
    Gardees.nAWNbCol = Relues.nAWNbCol;
    EXPECT_EQ(Relues, Gardees);
    EXPECT_EQ(Relues.nAWContAlbum, caFrames);
    EXPECT_EQ(Relues.nAWCoulFondFenetre, 0x0000FFu);
    EXPECT_FALSE(Relues.lAWAffCadre);
}

TEST_F(AlbumWEBFm, AReplacedAlbumGoesToTheTrashAndOthersAreRefused)
{
    Liste(Jpeg(QStringLiteral("p/a.jpg"), 10), true);
    EcritFichier(cChoix + QStringLiteral("/Index.htm"), "ancien");
    EcritFichier(cChoix + QStringLiteral("/Images/x.jpg"), "ancienne image");
    Messages->Reponses = {true};
    Album->miAlbumWEBGenAPartirImgSelClick();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(Messages->Montres[0].cTitre, QStringLiteral("Attention"));
    EXPECT_EQ(LitFichier(cRacine + QStringLiteral("/xdg/Trash/files/Vacances/Images/x.jpg")),
              QByteArray("ancienne image"));
    EXPECT_FALSE(QFileInfo::exists(cChoix + QStringLiteral("/Images/x.jpg")));
    EXPECT_EQ(Ouvertes, QStringList{cChoix + QStringLiteral("/Index.htm")});
    // The desktop's own tools see it where it came from.
    const QString cTrashList = QStandardPaths::findExecutable(QStringLiteral("trash-list"));
    if (!cTrashList.isEmpty()) {
        QProcess Liste;
        QProcessEnvironment Env = QProcessEnvironment::systemEnvironment();
        Env.insert(QStringLiteral("XDG_DATA_HOME"), cRacine + QStringLiteral("/xdg"));
        Liste.setProcessEnvironment(Env);
        Liste.start(cTrashList, {});
        ASSERT_TRUE(Liste.waitForFinished(60000));
        const QString cSortie = QString::fromUtf8(Liste.readAllStandardOutput());
        EXPECT_TRUE(cSortie.contains(QStringLiteral(" ") + cChoix + QLatin1Char('\n'))) << cSortie.toStdString();
    }

    // The thumbnail cache under the data folder: refused, the window stays open, nothing moved.
    EcritFichier(Contexte->Dossiers.cDossierVignettes + QStringLiteral("Index.htm"), "leurre");
    cParent = Contexte->Dossiers.cDossierDonnees;
    cNom = QStringLiteral("Vignettes");
    Messages->Montres.clear();
    Messages->Reponses = {true};
    int nResultat = -1;
    Album->Interface.fnExecute = [&](TfmAlbumWEB &F) {
        F.edNomAlbum->setText(cNom);
        F.tvDosParentAlbum->ChoisitDossier(cParent);
        F.btOK->click();
        nResultat = F.result();
        return nResultat;
    };
    const QStringList Avant =
        QDir(Contexte->Dossiers.cDossierVignettes).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    Album->miAlbumWEBGenAPartirImgSelClick();
    EXPECT_EQ(nResultat, int(QDialog::Rejected));
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_EQ(
        Messages->Montres[0].cTexte,
        QStringLiteral("Le dossier « Vignettes » existe déjà et n'est pas un album WEB : choisissez un autre nom."));
    EXPECT_EQ(QDir(Contexte->Dossiers.cDossierVignettes).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), Avant);
    EXPECT_EQ(Ouvertes.size(), 1);
}

TEST_F(AlbumWEBFm, EveryLayoutChangeIsSignalledAndTheHistoryButtonWaitsForAlbums)
{
    TfmAlbumWEB F(*Contexte, ParamsAlbumWEB(*Contexte), Album->Interface);
    ASSERT_TRUE(F.InitAlbumWEB(SourceListe(cRacine, 12)));
    F.FormShow();
    QSignalSpy Spy(&F, &TfmAlbumWEB::OptionsModifiees);
    CliqueContenu(F, caFrames);
    F.cbDispoVig->setCurrentIndex(1);
    F.cbAffResol->click();
    F.btAffCadre->click();
    F.cbAffPolice->setCurrentIndex(F.cbAffPolice->currentIndex() == 0 ? 1 : 0);
    F.edNbLig->setValue(2);
    F.edNbLigChange();
    F.fnChoisitCouleur = [](quint32) { return std::optional<quint32>(0x123456); };
    F.btCoulPolice->click();
    EXPECT_EQ(Spy.count(), 7);
    EXPECT_EQ(TfmAlbumWEB::CouleurBouton(F.btCoulPolice), 0x123456u);
    // Cancelling the colour dialog changes nothing.
    F.fnChoisitCouleur = [](quint32) { return std::optional<quint32>(); };
    F.btCoulFondVigImg->click();
    EXPECT_EQ(Spy.count(), 7);
    EXPECT_EQ(TfmAlbumWEB::CouleurBouton(F.btCoulFondVigImg), 0xC0C0C0u);
    // A frame turned off takes its colour button along.
    EXPECT_FALSE(F.btAffCadre->isChecked());
    EXPECT_FALSE(F.btCoulCadre->isEnabled());

    int nHistoriques = 0;
    Album->Interface.fnHistorique = [&](QWidget *) { ++nHistoriques; };
    TfmAlbumWEB G(*Contexte, ParamsAlbumWEB(*Contexte), Album->Interface);
    G.btHistorique->click();
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Aucun historique des albums WEB.")});
    EXPECT_EQ(nHistoriques, 0);
    EcritFichier(cChoix + QStringLiteral("/Index.htm"), "page");
    Contexte->iniSetup->WriteString(cSectionAlbumsWebHistorique, cChoix + QLatin1Char('/'), QString());
    G.btHistorique->click();
    EXPECT_EQ(nHistoriques, 1);
    EXPECT_EQ(Messages->Montres.size(), 1);
}

TEST_F(AlbumWEBFm, ControlsFollowTheSettingsAndTheirLimits)
{
    Contexte->Parametres.lTrtDescription = true;
    const QString &G = cSectionAlbumsWebGeneral;
    Contexte->iniSetup->WriteInteger(G, QStringLiteral("lAWTypeLegende"), 1);
    Contexte->iniSetup->WriteString(G, QStringLiteral("cAWAffPolice"), QStringLiteral("Police Introuvable"));
    Contexte->iniSetup->WriteString(G, QStringLiteral("cAWDosParentAlbum"), cRacine + QStringLiteral("/disparu/"));
    TfmAlbumWEB F(*Contexte, ParamsAlbumWEB(*Contexte), Album->Interface);
    ASSERT_TRUE(F.InitAlbumWEB(SourceListe(cRacine, 2)));
    F.FormShow();
    EXPECT_EQ(F.cbTypeLegende->count(), 4);
    EXPECT_EQ(F.cbTypeLegende->itemText(1), QStringLiteral("la description"));
    EXPECT_EQ(F.cbTypeLegende->currentIndex(), 1);
    EXPECT_EQ(F.cbAffPolice->currentText(), QStringLiteral("Police Introuvable"));
    EXPECT_GE(F.cbAffPolice->findText(QStringLiteral("Arial")), 0);
    EXPECT_EQ(F.tvDosParentAlbum->DossierCourant(), Contexte->Dossiers.cDossierDonnees);
    EXPECT_EQ(F.edNbLig->minimum(), 1);
    F.edMotsCles->setText(QString());
    QTest::keyClicks(F.edMotsCles, QStringLiteral("mer"));
    EXPECT_EQ(F.edMotsCles->text(), QStringLiteral("MER"));
    EXPECT_FALSE(F.btAide->isEnabled());
    EXPECT_EQ(F.btAide->property("nContexteAide").toInt(), 50);

    // "Créer un dossier..." makes a sub-folder of the tree's folder, or says why not.
    F.fnDemandeNomDossier = [] { return std::optional<QString>(QStringLiteral(" Nouveau ")); };
    F.btCreerDossier->click();
    EXPECT_TRUE(QFileInfo(Contexte->Dossiers.cDossierDonnees + QStringLiteral("Nouveau")).isDir());
    EXPECT_EQ(F.tvDosParentAlbum->DossierCourant(), Contexte->Dossiers.cDossierDonnees + QStringLiteral("Nouveau/"));
    F.fnDemandeNomDossier = [] { return std::optional<QString>(QStringLiteral("..")); };
    F.btCreerDossier->click();
    EXPECT_EQ(Messages->Textes(), QStringList{QStringLiteral("Impossible de créer le dossier '..'.")});
}

TEST_F(AlbumWEBFm, AVolumeRootAsksFirstAndNoIsNotCounted)
{
    Selection.MetDossierCourant(cRacine + QStringLiteral("/cd"));
    Album->miAlbumWEBGenAWHDossiersClick();
    ASSERT_EQ(Messages->Montres.size(), 1);
    EXPECT_TRUE(Messages->Montres[0].cTexte.startsWith(
        QStringLiteral("Le dossier sélectionné est à la racine de l'arborescence.")));
    EXPECT_TRUE(Departs.isEmpty());
}
} // namespace
