#include "classification/Classement_fm.h"

#include "classification/ArboCriteres.h"
#include "classification/ChoixDonneesAppliquer_fm.h"
#include "classification/EditCritImg_fm.h"
#include "classification/LegendesRech_fm.h"
#include "classification/MotsCles.h"
#include "classification/MotsClesRech_fm.h"
#include "classification/Recherche_fm.h"
#include "components/MessagesQt.h"
#include "components/PaneledListView.h"
#include "exploration/ListeImages_fm.h"
#include "exploration/Selection.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

namespace
{
// Keeps note of a question answered No, so that a refused batch leaves the checks alone.
class TMessagesSuivis : public IMessages
{
public:
    explicit TMessagesSuivis(IMessages &Messages) : m_Messages(Messages) {}
    bool lRefus = false;
    bool Question(QWidget *Parent, const QString &cTexte, bool lOuiParDefaut, const QString &cTitre) override
    {
        const bool lOui = m_Messages.Question(Parent, cTexte, lOuiParDefaut, cTitre);
        lRefus = lRefus || !lOui;
        return lOui;
    }
    void Information(QWidget *Parent, const QString &cTexte) override { m_Messages.Information(Parent, cTexte); }
    void Attention(QWidget *Parent, const QString &cTexte) override { m_Messages.Attention(Parent, cTexte); }
    void Erreur(QWidget *Parent, const QString &cTexte) override { m_Messages.Erreur(Parent, cTexte); }

private:
    IMessages &m_Messages;
};

class TCurseurOccupe
{
public:
    TCurseurOccupe() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TCurseurOccupe() { QApplication::restoreOverrideCursor(); }
};

void AjouteNoeuds(QTreeWidgetItem *Parent, QTreeWidget *Vue, const QList<TNoeudClassement> &Noeuds,
                  const TListeImagesArbres &Images)
{
    for (const TNoeudClassement &n : Noeuds) {
        auto *Item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(Vue);
        Item->setText(0, n.cTexte);
        Item->setIcon(0, Images.Icone(n.nImage));
        AjouteNoeuds(Item, Vue, n.Enfants, Images);
        Item->setExpanded(n.lDeplie);
    }
}
} // namespace

TClassementKX::TClassementKX(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste, TRechercheKX &Recherche)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Liste(Liste), m_Recherche(Recherche)
{
    setObjectName(QStringLiteral("Classement"));
    m_pClassement = std::make_unique<TClassement>(*Contexte.iniSetup, *Contexte.iniBDD, *Contexte.Descriptions,
                                                  Recherche.Arbo(), Contexte.Parametres);
    fnExecute = [](QDialog &Fenetre) { return Fenetre.exec(); };

    miImgsEditCritImg = new QAction(QStringLiteral("Editer les &critères..."), this);
    miImgsEditCritImg->setObjectName(QStringLiteral("miImgsEditCritImg"));
    miVigsEditCritImg = new QAction(QStringLiteral("&Editer les critères..."), this);
    miVigsEditCritImg->setObjectName(QStringLiteral("miVigsEditCritImg"));
    for (QAction *a : {miImgsEditCritImg, miVigsEditCritImg})
        connect(a, &QAction::triggered, this, [this] { EditeCriteres(m_Main.Selection().LigneCourante()); });
    miAppliqueCritRech =
        new QAction(QStringLiteral("&Appliquer les critères de recherche aux images sélectionnées..."), this);
    miAppliqueCritRech->setObjectName(QStringLiteral("miAppliqueCritRech"));
    connect(miAppliqueCritRech, &QAction::triggered, this, &TClassementKX::btAppliqueCritRechClick);

    // Ctrl+C toggles the favourite only where images have the focus: elsewhere it copies text.
    miCDC = new QAction(QStringLiteral("&Coup de coeur"), this);
    miCDC->setObjectName(QStringLiteral("miCDC"));
    miCDC->setCheckable(true);
    miCDC->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    miCDC->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(miCDC, &QAction::triggered, this, &TClassementKX::BasculeCoupDeCoeur);
    for (QWidget *Vue : {static_cast<QWidget *>(m_Main.Grille()), static_cast<QWidget *>(m_Main.VueListe()),
                         static_cast<QWidget *>(m_Liste.lvImgsIcones)})
        if (Vue)
            Vue->addAction(miCDC);

    // The list's tool bar: edit and apply.
    QWidget *Barre = m_Main.BarreListe();
    // Each button is its pop-up entry's action: one state, one handler.
    auto Bouton = [Barre](const char *cNom, const QString &cTexte, const QString &cBulle, QAction *Action) {
        QPushButton *b = AjouteBoutonBarre(Barre, cNom, cTexte, cBulle, Action);
        b->setFixedSize(24, 22);
        return b;
    };
    btEditeCritImg = Bouton("btEditeCritImg", QStringLiteral("✎"),
                            QStringLiteral("Editer les critères de l'image courante"), miVigsEditCritImg);
    btAppliqueCritRech = Bouton("btAppliqueCritRech", QStringLiteral("⇶"),
                                QStringLiteral("Appliquer les critères hiérarchiques+mots-clés+coups de coeur+légendes "
                                               "aux images sélectionnées"),
                                miAppliqueCritRech);

    // The treatment bar: the favourite button.
    btCDC = AjouteBoutonBarre(m_Main.BarreSauvegardes(), "btCDC", QString(), QStringLiteral("Coup de coeur (Oui/Non)"),
                              miCDC);
    btCDC->setIcon(QIcon(QPixmap::fromImage(IconesArbres::ImageIntegree(IconesArbres::nCoupDeCoeur))));

    tvVigsCrit = m_Main.ArbreCriteresVignettes();

    // Drops of a criterion or a keyword on a thumbnail.
    if (TPaneledListView *Grille = m_Main.Grille()) {
        Grille->TypesDepot = {cMimeCritere, cMimeMotCle};
        Grille->fnPeutDeposer = [this](TPLVListItem *Item, const QMimeData *Donnees) {
            return PeutDeposer(Item, Donnees);
        };
        Grille->fnDepose = [this](TPLVListItem *Item, const QMimeData *Donnees) { Depose(Item, Donnees); };
    }

    TSelectionKX &Selection = m_Main.Selection();
    connect(m_pClassement.get(), &TClassement::ClassementModifie, this, [this](const QString &cCle) {
        m_ClesModifiees.insert(cCle);
        // A window saving meanwhile (modal) is answered from its own event loop.
        if (!m_lRafraichissementPrevu) {
            m_lRafraichissementPrevu = true;
            QTimer::singleShot(0, this, &TClassementKX::Rafraichit);
        }
    });
    if (TLegendesRechKX *Legendes = Recherche.Legendes) {
        connect(m_pClassement.get(), &TClassement::LegendeAppliquee, Legendes, &TLegendesRechKX::AjouteLegende);
        connect(m_pClassement.get(), &TClassement::DescriptionAppliquee, Legendes, &TLegendesRechKX::AjouteDescription);
    }
    connect(&Liste, &TListeImagesKX::LigneActivee, this, &TClassementKX::EditeCriteres);
    connect(&Selection, &TSelectionKX::CouranteChange, this, [this] {
        AfficheClassement();
        MajEtats();
    });
    connect(&Selection, &TSelectionKX::ListeConstruite, this, [this] {
        AfficheClassement();
        MajEtats();
    });
    connect(&Selection, &TSelectionKX::ClassementChange, this, [this](const QString &cCle) {
        if (cCle == m_Main.Selection().CleCourante()) {
            AfficheClassement();
            MajEtats();
        }
    });
    connect(&Selection, &TSelectionKX::ModeChange, this, &TClassementKX::MajEtats);
    connect(&Selection, &TSelectionKX::CochesChange, this, &TClassementKX::MajEtats);
    connect(&Selection.Modele(), &QAbstractItemModel::modelReset, this, &TClassementKX::MajEtats);
    connect(&Selection.Modele(), &QAbstractItemModel::rowsRemoved, this, &TClassementKX::MajEtats);
    connect(&Selection.Modele(), &TModeleListeImages::nbCochesChange, this, &TClassementKX::MajEtats);
    MajEtats();
}

TClassementKX::~TClassementKX() = default;

QList<QAction *> TClassementKX::Actions(TEmplacementAction nPlace)
{
    MajEtats();
    switch (nPlace) {
    case TEmplacementAction::PopupImages: return {miImgsEditCritImg};
    case TEmplacementAction::PopupVignettes: return {miVigsEditCritImg, miCDC};
    case TEmplacementAction::MenuFichiers: return {miAppliqueCritRech};
    }
    return {};
}

const TEnrLV *TClassementKX::EnrDeLigne(int nLigne) const
{
    const TModeleListeImages &Modele = m_Main.Modele();
    return nLigne >= 0 && nLigne < Modele.Nombre() ? &Modele.Enr(nLigne) : nullptr;
}

void TClassementKX::MajEtats()
{
    TSelectionKX &Selection = m_Main.Selection();
    const bool lMAJ = Selection.ModeMAJ();
    const TEnrLV *Enr = Selection.EnrCourant();
    const bool lEditer = lMAJ && Selection.Modele().Nombre() > 0 && Enr;
    btEditeCritImg->setEnabled(lEditer);
    miImgsEditCritImg->setEnabled(lEditer);
    miVigsEditCritImg->setEnabled(lEditer);
    const bool lAppliquer = lMAJ && Selection.Modele().nNbCoches() > 0;
    btAppliqueCritRech->setEnabled(lAppliquer);
    miAppliqueCritRech->setEnabled(lAppliquer);
    const bool lCDC = Enr && m_pClassement->EstCoupDeCoeur(*Enr);
    btCDC->setEnabled(lMAJ && Enr);
    miCDC->setEnabled(lMAJ && Enr);
    btCDC->setChecked(lCDC);
    miCDC->setChecked(lCDC);
}

void TClassementKX::AfficheClassement()
{
    if (!tvVigsCrit)
        return;
    tvVigsCrit->clear();
    const TEnrLV *Enr = m_Main.Selection().EnrCourant();
    if (!Enr)
        return;
    AjouteNoeuds(nullptr, tvVigsCrit, m_pClassement->AfficherClassement(*Enr), m_Recherche.Arbo().ilArbres());
    if (QTreeWidgetItem *Premier = tvVigsCrit->topLevelItem(0)) {
        tvVigsCrit->setCurrentItem(Premier);
        tvVigsCrit->scrollToItem(Premier);
    }
}

void TClassementKX::Rafraichit()
{
    m_lRafraichissementPrevu = false;
    if (m_ClesModifiees.isEmpty())
        return;
    const QSet<QString> Cles = std::exchange(m_ClesModifiees, {});
    // One pass over the rows whatever the size of the batch.
    TModeleListeImages &Modele = m_Main.Modele();
    for (int i = 0; i < Modele.Nombre(); ++i) {
        const TEnrLV &Enr = Modele.Enr(i);
        if (Cles.contains(Enr.Cle()))
            Modele.MetDonnees(i, m_pClassement->AUnClassement(Enr));
    }
    for (const QString &cCle : Cles)
        m_Main.Selection().SignaleClassement(cCle);
    MajEtats();
}

void TClassementKX::Signale(const TResultatClassement &r)
{
    if (!r.Reussi())
        MessagesDe(m_Contexte).Erreur(&m_Main, r.cErreur);
    Rafraichit();
}

void TClassementKX::EditeCriteres(int nLigne)
{
    if (!m_Main.Selection().ModeMAJ() || !EnrDeLigne(nLigne))
        return;
    TfmEditCritImg Fenetre(*m_pClassement, m_Recherche.Arbo(), MessagesDe(m_Contexte), m_Main.Modele(), m_Main.Grille(),
                           nLigne, &m_Main);
    if (m_Recherche.Legendes)
        Fenetre.MetListes(m_Recherche.Legendes->Legendes(), m_Recherche.Legendes->Descriptions());
    Fenetre.fnAppliqueTraitements = fnAppliqueTraitements;
    fnExecute(Fenetre);
    Rafraichit();
    // The current image's displays are read again even when nothing was saved: the favourite
    // may have been saved from another image of the window.
    AfficheClassement();
    MajEtats();
}

void TClassementKX::btAppliqueCritRechClick()
{
    TSelectionKX &Selection = m_Main.Selection();
    if (!Selection.ModeMAJ())
        return;
    m_Main.MontrePage(m_Main.PageRecherche());
    const TEnrParametres &P = m_Contexte.Parametres;
    TfmChoixDonneesAppliquer Choix(P.lTrtDescription, &m_Main);
    if (fnExecute(Choix) != QDialog::Accepted)
        return;
    TModeleListeImages &Modele = m_Main.Modele();
    const QList<int> Lignes = Modele.LignesCochees();
    QList<const TEnrLV *> Images;
    Images.reserve(Lignes.size());
    for (int n : Lignes)
        Images << &Modele.Enr(n);
    const TMotsClesRechKX *MotsCles = m_Recherche.MotsCles();
    const TParamsClassement Params = ParamsDepuisChoix(Choix.Choix(), P.lTrtDescription, m_Recherche.CoupDeCoeurRech(),
                                                       MotsCles ? MotsCles->Texte() : QString(),
                                                       m_Recherche.LegendeRech(), m_Recherche.DescriptionRech());
    TMessagesSuivis Messages(MessagesDe(m_Contexte));
    {
        const TCurseurOccupe Occupe;
        const TResultatClassement r =
            m_pClassement->AppliquerAuxImages(Images, m_Recherche.tvCritRech->Coches(), Params, Messages, &m_Main);
        Q_UNUSED(r);
    }
    Rafraichit();
    AfficheClassement();
    if (!Messages.lRefus && !Images.isEmpty() && P.lDecocheImgAprAffectCrit)
        Modele.CocheSelon(false, [](const TEnrLV &, bool) { return true; });
    MajEtats();
}

void TClassementKX::BasculeCoupDeCoeur()
{
    const TEnrLV *Enr = m_Main.Selection().EnrCourant();
    if (!m_Main.Selection().ModeMAJ() || !Enr)
        return;
    bool lNouvelEtat = false;
    Signale(m_pClassement->BasculerCoupDeCoeur(*Enr, lNouvelEtat));
    btCDC->setChecked(lNouvelEtat);
    miCDC->setChecked(lNouvelEtat);
}

bool TClassementKX::PeutDeposer(TPLVListItem *Item, const QMimeData *Donnees) const
{
    const TEnrLV *Enr =
        Item && m_Main.Grille()->Nombre() == m_Main.Modele().Nombre() ? EnrDeLigne(Item->Index()) : nullptr;
    if (!Enr || !m_Main.Selection().ModeMAJ())
        return false;
    if (Donnees->hasFormat(cMimeCritere))
        return m_pClassement->PeutDeposerCritere(*Enr, QString::fromUtf8(Donnees->data(cMimeCritere)));
    if (Donnees->hasFormat(cMimeMotCle))
        return m_pClassement->PeutDeposerMotCle(*Enr, QString::fromUtf8(Donnees->data(cMimeMotCle)));
    return false;
}

void TClassementKX::Depose(TPLVListItem *Item, const QMimeData *Donnees)
{
    if (!PeutDeposer(Item, Donnees))
        return;
    const TEnrLV &Enr = *EnrDeLigne(Item->Index());
    if (Donnees->hasFormat(cMimeCritere))
        Signale(m_pClassement->AjouterCritereImage(Enr, QString::fromUtf8(Donnees->data(cMimeCritere))));
    else
        Signale(m_pClassement->AjouterMotCleImage(Enr, QString::fromUtf8(Donnees->data(cMimeMotCle))));
}

TClassementKX *InstalleClassement(TfmMainKX &Main, TContexte &Contexte, TListeImagesKX &Liste, TRechercheKX &Recherche)
{
    auto *Classement = new TClassementKX(Main, Contexte, Liste, Recherche);
    Main.Installe(Classement);
    return Classement;
}
