#include "classification/CommandesRech_fm.h"
#include "classification/EditCritRech_fm.h"
#include "classification/LegendesRech_fm.h"
#include "classification/MotsClesRech_fm.h"

#include "classification/Recherche_fm.h"
#include "exploration/ListeImages_fm.h"
#include "filters/BoutonFiltres_fm.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStyle>

namespace
{
const QString cBulleRechercher =
    QStringLiteral("Lancer la recherche sur les critères+données EXIF+mots-clés+coups de coeur+filtres éventuels");

void Ecrit(const std::function<void(const QString &)> &fn, const QString &c)
{
    if (fn)
        fn(c);
}
} // namespace

void ChargerRecherche(const TContexte &Contexte, const QString &cNom, const TFournisseursRecherche &Controles,
                      TCochesCriteres &Coches)
{
    const bool lTrtDescription = Contexte.Parametres.lTrtDescription;
    Ecrit(Controles.fnMetMotsCles, QString());
    if (Controles.fnMetCoupsDeCoeur)
        Controles.fnMetCoupsDeCoeur(false);
    Ecrit(Controles.fnMetLegende, QString());
    Ecrit(Controles.fnMetDescription, QString());
    if (!Contexte.iniSetup)
        return;
    const TDemandeRecherche d = LitRechercheEnregistree(*Contexte.iniSetup, cNom, lTrtDescription);
    Coches.DecocherTout();
    for (const QString &c : d.CritCoches)
        Coches.CocherChemin(c);
    if (!d.cMotsCles.isEmpty())
        Ecrit(Controles.fnMetMotsCles, d.cMotsCles);
    if (d.lCoupsDeCoeur && Controles.fnMetCoupsDeCoeur)
        Controles.fnMetCoupsDeCoeur(true);
    if (!d.cLegende.isEmpty())
        Ecrit(Controles.fnMetLegende, d.cLegende);
    if (!d.cDescription.isEmpty())
        Ecrit(Controles.fnMetDescription, d.cDescription);
}

void RemplitNomsRecherches(QComboBox *Boite, const TContexte &Contexte)
{
    const QString cTexte = Boite->currentText();
    QStringList Noms = Contexte.iniSetup ? NomsRecherchesEnregistrees(*Contexte.iniSetup) : QStringList();
    Noms.sort(Qt::CaseInsensitive);
    const QSignalBlocker Bloque(Boite);
    Boite->clear();
    Boite->addItems(Noms);
    Boite->setCurrentIndex(-1);
    Boite->setEditText(cTexte);
}

TCommandesRechKX::TCommandesRechKX(TRechercheKX &Recherche, TContexte &Contexte, TSelectionKX &Selection,
                                   TListeImagesKX &Liste)
    : QObject(Recherche.pnCommandesRech), m_Recherche(Recherche), m_Contexte(Contexte), m_Selection(Selection),
      m_Liste(Liste)
{
    setObjectName(QStringLiteral("CommandesRech"));
    QWidget *Rangee = Recherche.pnCommandesRech;
    auto *Disposition = qobject_cast<QHBoxLayout *>(Rangee->layout());

    btRAZCritRech = new QPushButton(QStringLiteral("RAZ des critères"), Rangee);
    btRAZCritRech->setObjectName(QStringLiteral("btRAZCritRech"));
    btRAZCritRech->setToolTip(
        QStringLiteral("Désélection de tous les critères hiérarchiques+mots-clés+coups de coeur+légendes"));
    btEditeCritRech = new QPushButton(QStringLiteral("Critères..."), Rangee);
    btEditeCritRech->setObjectName(QStringLiteral("btEditeCritRech"));
    btEditeCritRech->setToolTip(QStringLiteral("Editer (créer/modifier/supprimer) les critères de recherche"));
    cbCritEnreg = new QComboBox(Rangee);
    cbCritEnreg->setObjectName(QStringLiteral("cbCritEnreg"));
    cbCritEnreg->setEditable(true);
    cbCritEnreg->setInsertPolicy(QComboBox::NoInsert);
    cbCritEnreg->setToolTip(QStringLiteral("Critères enregistrés"));
    cbCritEnreg->setMinimumContentsLength(6);
    btSvgCritEnreg = new QPushButton(Rangee);
    btSvgCritEnreg->setObjectName(QStringLiteral("btSvgCritEnreg"));
    btSvgCritEnreg->setIcon(Rangee->style()->standardIcon(QStyle::SP_DialogSaveButton));
    btSvgCritEnreg->setToolTip(QStringLiteral("Sauvegarder les critères courants"));
    // The buttons keep their captions whole; the name box takes what is left.
    btRAZCritRech->setMinimumWidth(btRAZCritRech->sizeHint().width());
    for (QWidget *w : {static_cast<QWidget *>(btRAZCritRech), static_cast<QWidget *>(btEditeCritRech),
                       static_cast<QWidget *>(cbCritEnreg), static_cast<QWidget *>(btSvgCritEnreg)})
        Disposition->addWidget(w, w == cbCritEnreg ? 1 : 0);

    miRechMaintenant = new QAction(QStringLiteral("&Rechercher &maintenant"), this);
    miRAZTousCriteres = new QAction(QStringLiteral("RAZ de &tous les critères"), this);
    miEditeCritRech = new QAction(QStringLiteral("&Editer les critères de recherche"), this);
    pmCriteresRech = new QMenu(QStringLiteral("&Critères de recherche"));
    pmCriteresRech->addAction(miEditeCritRech);
    pmCriteresRech->addAction(miRAZTousCriteres);

    connect(btRAZCritRech, &QPushButton::clicked, this, [this] { RAZRecherche(); });
    connect(miRAZTousCriteres, &QAction::triggered, this, [this] { RAZRecherche(); });
    connect(btSvgCritEnreg, &QPushButton::clicked, this, [this] { SauverRecherche(); });
    connect(miRechMaintenant, &QAction::triggered, this, [this] { Rechercher(); });
    connect(Recherche.btRechercher, &QPushButton::clicked, this, [this] { Rechercher(); });
    Recherche.btRechercher->setEnabled(true);
    // Typed or pasted, a name keeps only the characters a name may hold.
    connect(cbCritEnreg->lineEdit(), &QLineEdit::textEdited, this, [this](const QString &cTexte) {
        const QString cFiltre = FiltreNomRecherche(cTexte);
        if (cFiltre != cTexte) {
            QLineEdit *Ligne = cbCritEnreg->lineEdit();
            const int nCurseur = Ligne->cursorPosition() - int(cTexte.size() - cFiltre.size());
            Ligne->setText(cFiltre);
            Ligne->setCursorPosition(std::max(0, nCurseur));
        }
        cbCritEnregChange(cFiltre);
    });
    connect(cbCritEnreg, &QComboBox::textActivated, this, [this](const QString &c) { cbCritEnregChange(c); });
    connect(&m_Selection, &TSelectionKX::ModeChange, this, [this] { MajBoutonSauver(); });
    auto MajEditeur = [this] {
        btEditeCritRech->setEnabled(m_Selection.ModeMAJ());
        miEditeCritRech->setEnabled(m_Selection.ModeMAJ());
    };
    connect(&m_Selection, &TSelectionKX::ModeChange, this, MajEditeur);
    MajEditeur();
    connect(btEditeCritRech, &QPushButton::clicked, this, [this] { EditeCriteres(); });
    connect(miEditeCritRech, &QAction::triggered, this, [this] { EditeCriteres(); });

    // Favourites: the page's own button until its row takes it over.
    if (QPushButton *b = Recherche.btCritCDC) {
        b->setEnabled(true);
        b->setToolTip(QStringLiteral("Filtrer (en + des critères/mots-clés/légende) les images coups de coeur"));
        Fournisseurs.fnCoupsDeCoeur = [b] { return b->isChecked(); };
        Fournisseurs.fnMetCoupsDeCoeur = [b](bool l) { b->setChecked(l); };
    }

    ChargeNomsRecherches();
    MajBoutonRechercher();
    MajBoutonSauver();
}

TCommandesRechKX::~TCommandesRechKX()
{
    delete pmCriteresRech;
}

TIndexClassement &TCommandesRechKX::Index()
{
    if (!m_Index)
        m_Index = std::make_unique<TIndexClassement>(*m_Contexte.iniBDD, *m_Contexte.iniSetup);
    return *m_Index;
}

QList<QAction *> TCommandesRechKX::Actions(TEmplacementAction nPlace)
{
    // The search menu is not one of the window's places yet: its entries are the members
    // (the tools pop-up's items and hint are fixed by the features already there).
    Q_UNUSED(nPlace);
    miEditeCritRech->setEnabled(m_Selection.ModeMAJ());
    return {};
}

void TCommandesRechKX::EditeCriteres()
{
    if (!m_Selection.ModeMAJ())
        return;
    TArbreCritRech *tv = m_Recherche.tvCritRech;
    QStringList Coches;
    tv->Coches().ListerCritCoches(Coches);
    bool lModifie = false;
    {
        TfmEditCritRech Editeur(m_Contexte, m_Recherche.Arbo(), &Index(), tv->window());
        if (fnExecEditeur)
            fnExecEditeur(Editeur);
        else
            Editeur.exec();
        lModifie = Editeur.Modifie();
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    if (lModifie) {
        // A criterion renamed or moved meanwhile is no longer found: it loses its check.
        m_Recherche.ChargeArbo();
        for (const QString &c : std::as_const(Coches))
            tv->Coches().CocherChemin(c);
        tv->ActualiseCoches();
        tv->MetIndicateurGras(true);
    }
    ChargeNomsRecherches();
    if (TMotsClesRechKX *MotsCles = m_Recherche.MotsCles())
        MotsCles->ChargeEnregistres();
    TModeleListeImages &Modele = m_Selection.Modele();
    for (int n = 0; n < Modele.Nombre(); ++n)
        Modele.EnrModifie(n);
    m_Selection.SignaleClassement(m_Selection.CleCourante());
    QGuiApplication::restoreOverrideCursor();
}

TDemandeRecherche TCommandesRechKX::Demande() const
{
    TDemandeRecherche d;
    m_Recherche.tvCritRech->Coches().ListerCritCoches(d.CritCoches);
    const TFournisseursRecherche &f = Fournisseurs;
    d.cMotsCles = f.fnMotsCles ? f.fnMotsCles().trimmed() : QString();
    d.lOperateurET = f.fnOperateurET ? f.fnOperateurET() : true;
    d.lCoupsDeCoeur = f.fnCoupsDeCoeur && f.fnCoupsDeCoeur();
    d.cLegende = f.fnLegende ? f.fnLegende().trimmed() : QString();
    d.cDescription = f.fnDescription ? f.fnDescription().trimmed() : QString();
    return d;
}

bool TCommandesRechKX::Rechercher()
{
    if (!m_Contexte.iniBDD || !m_Contexte.iniSetup)
        return false;
    const TEnrParametres &p = m_Contexte.Parametres;
    TErreurModele Erreur;
    auto Compilee = std::make_shared<const std::optional<TRechercheCompilee>>(
        CompileRecherche(Demande(), p.lTrtDescription, &Erreur));
    if (!*Compilee) {
        m_Contexte.Messages->Erreur(m_Recherche.tvCritRech->window(), Erreur.Message());
        return false;
    }

    // The survivors go through the search page's filter, which the listing prepares for its
    // mode; outside a test seam it is the listing's own filters.
    auto fnFiltre = fnFiltreRech;
    bool lFiltreLong = fnFiltreRech && fnFiltreLong && fnFiltreLong();
    if (!fnFiltre && m_Contexte.enrFiltresRech.lActif) {
        if (TFiltresListeKX *Filtres = m_Liste.findChild<TFiltresListeKX *>()) {
            fnFiltre = [Filtres](qint32 nNumCD, const QString &cChemin, quint8 &nPctCouleur, quint8 &nPctMotif) {
                TCandidatFiltre Candidat;
                Candidat.nNumCD = nNumCD;
                Candidat.cChemin = cChemin;
                const bool lPasse = Filtres->Teste(Candidat);
                nPctCouleur = Candidat.nPctCouleur;
                nPctMotif = Candidat.nPctMotif;
                return lPasse;
            };
            lFiltreLong = m_Contexte.enrFiltresRech.lColorimetrie || m_Contexte.enrFiltresRech.lMotif;
        }
    }

    TContexteListe &Ctx = m_Liste.ContexteListe();
    const bool lEtendre = p.lEtendRechCritEnf;
    TDemandeListe Demande;
    Demande.nMode = TModeListe::Recherche;
    Demande.Produit = [this, Compilee, lEtendre, fnFiltre, &Ctx](TListeur &Listeur, bool lCompteSeul) -> qint64 {
        const TRechercheCompilee &r = **Compilee;
        if (lCompteSeul)
            return CompteCandidats(Index(), r, lEtendre);
        TContexteRecherche c;
        c.iniSetup = m_Contexte.iniSetup.get();
        c.pVolumes = m_Contexte.Volumes.get();
        c.cDossierVignettes = m_Contexte.Dossiers.cDossierVignettes;
        c.lEtendRechCritEnf = lEtendre;
        c.lTrtDescription = m_Contexte.Parametres.lTrtDescription;
        if (m_Contexte.Descriptions)
            c.fnDescription = [this](qint32 nVolume, const QString &cChemin) {
                return m_Contexte.Descriptions->DescriptionImage(nVolume, cChemin, nDescLecture);
            };
        c.fnFiltre = fnFiltre;
        if (Ctx.lFiltreLong)
            c.fnAvance = Ctx.AvanceProgression;
        c.fnInterrompre = Ctx.Interrompre;
        return ::Rechercher(Index(), r, c, [&Listeur](const TImageTrouvee &t) {
            Listeur.AjouteEntree(t.nNumCD, t.cChemin, t.nTaille, t.nDate, false, t.nPctCouleur, t.nPctMotif);
        });
    };
    // The list counts the candidates and shows the progress window from the mode's filter:
    // during the search that is the search page's one.
    const auto AncienFiltre = Ctx.Filtre;
    const bool lAncienLong = Ctx.lFiltreLong;
    Ctx.Filtre = nullptr;
    if (fnFiltre)
        Ctx.Filtre = [fnFiltre](TCandidatFiltre &c) {
            return fnFiltre(c.nNumCD, c.cChemin, c.nPctCouleur, c.nPctMotif);
        };
    Ctx.lFiltreLong = fnFiltre && lFiltreLong;
    m_Liste.ConstruitListe(Demande);
    Ctx.Filtre = AncienFiltre;
    Ctx.lFiltreLong = lAncienLong;
    return true;
}

void TCommandesRechKX::RAZRecherche()
{
    TArbreCritRech *tv = m_Recherche.tvCritRech;
    tv->Coches().DecocherTout();
    tv->ActualiseCoches();
    Ecrit(Fournisseurs.fnMetMotsCles, QString());
    if (Fournisseurs.fnMetCoupsDeCoeur)
        Fournisseurs.fnMetCoupsDeCoeur(false);
    Ecrit(Fournisseurs.fnMetLegende, QString());
    if (m_Contexte.Parametres.lTrtDescription)
        Ecrit(Fournisseurs.fnMetDescription, QString());
    tv->MetIndicateurGras(false);
}

bool TCommandesRechKX::SauverRecherche()
{
    const QString cNom = cbCritEnreg->currentText().trimmed();
    cbCritEnreg->setEditText(cNom);
    if (cNom.isEmpty() || !m_Contexte.iniSetup)
        return true;
    if (cbCritEnreg->findText(cNom, Qt::MatchFixedString) < 0) {
        int i = 0;
        while (i < cbCritEnreg->count() && cbCritEnreg->itemText(i).compare(cNom, Qt::CaseInsensitive) < 0)
            ++i;
        const QSignalBlocker Bloque(cbCritEnreg);
        cbCritEnreg->insertItem(i, cNom);
        cbCritEnreg->setCurrentIndex(i);
    }
    if (!EcritRechercheEnregistree(*m_Contexte.iniSetup, cNom, Demande(), m_Contexte.Parametres.lTrtDescription))
        return true;
    if (m_Contexte.iniSetup->UpdateFile())
        return true;
    m_Contexte.Messages->Erreur(
        m_Recherche.tvCritRech->window(),
        QStringLiteral("Impossible d'enregistrer %1.\r\nLes critères restent en mémoire pour le prochain "
                       "enregistrement.")
            .arg(QDir::toNativeSeparators(m_Contexte.iniSetup->FileName())));
    return false;
}

void TCommandesRechKX::ChargerRecherche(const QString &cNom)
{
    TArbreCritRech *tv = m_Recherche.tvCritRech;
    tv->setUpdatesEnabled(false);
    ::ChargerRecherche(m_Contexte, cNom, Fournisseurs, tv->Coches());
    tv->ActualiseCoches();
    tv->setUpdatesEnabled(true);
    tv->MetIndicateurGras(true);
}

void TCommandesRechKX::ChargeNomsRecherches()
{
    RemplitNomsRecherches(cbCritEnreg, m_Contexte);
}

void TCommandesRechKX::MajBoutonRechercher()
{
    const TEnrParametres &p = m_Contexte.Parametres;
    QPushButton *b = m_Recherche.btRechercher;
    b->setToolTip(p.lEtendRechCritEnf
                      ? cBulleRechercher
                      : cBulleRechercher + QStringLiteral("\r\nRECHERCHE NON ETENDUE AUX CRITERES ENFANTS"));
    b->setFixedHeight(p.lTrtDescription ? 44 : 20);
}

void TCommandesRechKX::MajBoutonSauver()
{
    btSvgCritEnreg->setEnabled(m_Selection.ModeMAJ() && !cbCritEnreg->currentText().trimmed().isEmpty());
}

void TCommandesRechKX::cbCritEnregChange(const QString &cTexte)
{
    MajBoutonSauver();
    const int i = cbCritEnreg->findText(cTexte.trimmed(), Qt::MatchFixedString);
    if (i < 0)
        return;
    {
        const QSignalBlocker Bloque(cbCritEnreg);
        cbCritEnreg->setCurrentIndex(i);
    }
    ChargerRecherche(cbCritEnreg->itemText(i));
}

void TCommandesRechKX::BrancheEntree(QWidget *Boite)
{
    if (auto *Combo = qobject_cast<QComboBox *>(Boite); Combo && Combo->lineEdit())
        Boite = Combo->lineEdit();
    Boite->installEventFilter(this);
}

bool TCommandesRechKX::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Evenement->type() == QEvent::KeyPress) {
        const int nTouche = static_cast<QKeyEvent *>(Evenement)->key();
        if (nTouche == Qt::Key_Return || nTouche == Qt::Key_Enter) {
            Rechercher();
            return true;
        }
    }
    return QObject::eventFilter(Objet, Evenement);
}

TCommandesRechKX *InstalleCommandesRech(TfmMainKX &Main, TContexte &Contexte, TRechercheKX &Recherche,
                                        TListeImagesKX &Liste)
{
    auto *Commandes = new TCommandesRechKX(Recherche, Contexte, Main.Selection(), Liste);
    // The keyword row reads and sets the search's keywords and operator; its own Enter key
    // asks for the search.
    if (TMotsClesRechKX *MotsCles = Recherche.MotsCles()) {
        TFournisseursRecherche &f = Commandes->Fournisseurs;
        f.fnMotsCles = [MotsCles] { return MotsCles->Texte(); };
        f.fnMetMotsCles = [MotsCles](const QString &cTexte) { MotsCles->cbCritMC->setEditText(cTexte); };
        f.fnOperateurET = [MotsCles] { return MotsCles->OperateurET(); };
        QObject::connect(MotsCles, &TMotsClesRechKX::RechercheDemandee, Commandes,
                         [Commandes] { Commandes->Rechercher(); });
    }
    // The legend and description rows, with their Enter key.
    if (TLegendesRechKX *Legendes = Recherche.Legendes) {
        TFournisseursRecherche &f = Commandes->Fournisseurs;
        f.fnLegende = [Legendes] { return Legendes->cbCritLeg->currentText(); };
        f.fnMetLegende = [Legendes](const QString &cTexte) { Legendes->cbCritLeg->setEditText(cTexte); };
        f.fnDescription = [Legendes] { return Legendes->cbCritDes->currentText(); };
        f.fnMetDescription = [Legendes](const QString &cTexte) { Legendes->cbCritDes->setEditText(cTexte); };
        Commandes->BrancheEntree(Legendes->cbCritLeg);
        Commandes->BrancheEntree(Legendes->cbCritDes);
    }
    Main.Installe(Commandes);
    return Commandes;
}
