#include "mainwindow/MenuPrincipal.h"

#include "components/ComboZoom.h"
#include "components/ExpColPanel.h"
#include "exploration/RapportZoom.h"
#include "exploration/Selection.h"
#include "mainwindow/BoutonAction.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"

#include <QAbstractButton>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

namespace
{

// The buttons of each page, by role: explore, filters, recursion.
enum { nRoleExplorer, nRoleFiltres, nRoleRecurs };

const char *const cBoutonsPages[3][3] = {
    {"btExplExplorer", "btExplFiltres", "btExplLectRecurs"},
    {"btRechercher", "btRechFiltres", nullptr},
    {"btHistoExplorer", "btHistoFiltres", "btHistoLectRecurs"},
};

// The panes of "&Affichage", in their entries' order.
const char *const cVolets[] = {"pnCommandes", "pnTraitements", "pnVigsCrit", "pnVigs", "pnEtat"};

// The features' "&Fichiers" entries in the order the menu shows them; the others follow.
const char *const cOrdreFichiers[] = {"miMainFicCopier", "miMainFicSupprimer", "miMainFicDater", "miMainFicRenommer"};

// Entries the features hand to "&Fichiers" that this menu shows elsewhere.
const char *const cAilleurs[] = {"miAppliqueCritRech"};

} // namespace

TMenuPrincipalKX::TMenuPrincipalKX(TfmMainKX &Main, QMenuBar *mmMain, TContexte &Contexte, TSourcesMenuKX Sources)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Sources(std::move(Sources))
{
    setObjectName(QStringLiteral("MenuPrincipal"));
    m_pcExplRech = Main.findChild<QTabWidget *>(QStringLiteral("pcExplRech"));
    const auto Nomme = [](QMenu *m, const char *cNom) {
        m->setObjectName(QLatin1String(cNom));
        m->menuAction()->setObjectName(QLatin1String(cNom));
        return m;
    };

    // "&Fichiers".
    miMainFic = Nomme(mmMain->addMenu(QStringLiteral("&Fichiers")), "miMainFic");
    EntreeBouton(miMainFic, QStringLiteral("&Sélectionner toutes les images"), QStringLiteral("btCocheTtesImgs"));
    EntreeBouton(miMainFic, QStringLiteral("&Désélectionner toutes les images"), QStringLiteral("btDeCocheTtesImgs"));
    miMainFic->addSeparator();
    miMainFic->addSeparator();
    // The quit button's own action.
    miMainFicQuitter = ActionDuBouton(Trouve(QStringLiteral("btQuitter")));
    if (!miMainFicQuitter)
        miMainFicQuitter = new QAction(this);
    miMainFicQuitter->setText(QStringLiteral("&Quitter"));
    miMainFicQuitter->setObjectName(QStringLiteral("miMainFicQuitter"));
    miMainFicQuitter->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    miMainFic->addAction(miMainFicQuitter);
    connect(miMainFic, &QMenu::aboutToShow, this, &TMenuPrincipalKX::miMainFicDeroule);
    connect(miMainFic, &QMenu::aboutToShow, this, [this] { PlaceActionsBoutons(miMainFic); });

    // "&Explorer" / "&Rechercher".
    miMainERH = Nomme(mmMain->addMenu(QStringLiteral("&Explorer")), "miMainERH");
    m_miMaintenant = miMainERH->addAction(QStringLiteral("&Explorer &maintenant"));
    m_miMaintenant->setObjectName(QStringLiteral("miMainERHMaintenant"));
    connect(m_miMaintenant, &QAction::triggered, this, [this] {
        if (PageActive() == 1 && m_Sources.miRechMaintenant) {
            m_Sources.miRechMaintenant->trigger();
            return;
        }
        if (auto *b = qobject_cast<QAbstractButton *>(Trouve(BoutonDePage(nRoleExplorer))))
            b->click();
    });
    m_miFiltres = miMainERH->addAction(QStringLiteral("&Filtres..."));
    m_miFiltres->setObjectName(QStringLiteral("miMainERHFiltres"));
    connect(m_miFiltres, &QAction::triggered, this, [this] {
        if (auto *b = qobject_cast<QAbstractButton *>(Trouve(BoutonDePage(nRoleFiltres))))
            b->click();
    });
    m_miPasDeFiltre = miMainERH->addAction(QStringLiteral("&pas de Filtre"));
    m_miPasDeFiltre->setObjectName(QStringLiteral("miMainERHPasDeFiltre"));
    connect(m_miPasDeFiltre, &QAction::triggered, this, [this] {
        // The page's filter button owns its "no filter" entry.
        if (QObject *b = Trouve(BoutonDePage(nRoleFiltres)))
            if (auto *a = b->findChild<QAction *>(QStringLiteral("miFiltresPasDeFiltre")))
                a->trigger();
    });
    miMainERHRecurs = miMainERH->addAction(QStringLiteral("&Récursivité"));
    miMainERHRecurs->setObjectName(QStringLiteral("miMainERHRecurs"));
    miMainERHRecurs->setCheckable(true);
    connect(miMainERHRecurs, &QAction::triggered, this, [this](bool lCoche) {
        // A checkable button is set, then its click handler runs: clicking it would toggle it
        // a second time.
        if (auto *b = qobject_cast<QAbstractButton *>(Trouve(BoutonDePage(nRoleRecurs)))) {
            b->setChecked(lCoche);
            emit b->clicked(lCoche);
        }
    });
    miMainERH->addSeparator();
    miMainERHCR = Nomme(miMainERH->addMenu(QStringLiteral("&Critères de recherche")), "miMainERHCR");
    m_miCritRech = miMainERHCR->menuAction();
    miMainERH->addSeparator();
    m_miIndexerCD = m_Sources.miIndexerCD;
    if (m_miIndexerCD)
        miMainERH->addAction(m_miIndexerCD);
    connect(miMainERH, &QMenu::aboutToShow, this, &TMenuPrincipalKX::miMainERHDeroule);

    // "&Critères de recherche".
    if (m_Sources.miEditeCritRech)
        miMainERHCR->addAction(m_Sources.miEditeCritRech);
    miMainERHCR->addSeparator();
    m_miRAZHierarchiques = miMainERHCR->addAction(QStringLiteral("RAZ des critères &hiérarchiques"));
    m_miRAZHierarchiques->setObjectName(QStringLiteral("miCritRechRAZCrit"));
    connect(m_miRAZHierarchiques, &QAction::triggered, this, [this] {
        if (m_Sources.miCritRechRAZ)
            m_Sources.miCritRechRAZ->trigger();
    });
    if (m_Sources.miRAZTousCriteres)
        miMainERHCR->addAction(m_Sources.miRAZTousCriteres);
    // Menus have no columns: the keyword column becomes a titled section.
    miMainERHCR->addSection(QStringLiteral("Mots-clés"));
    miMainERHCR->addActions(m_Sources.ActionsMotsCles);
    if (m_Sources.ActionsMotsCles.size() == 4)
        miMainERHCR->insertSeparator(m_Sources.ActionsMotsCles.at(3));
    connect(miMainERHCR, &QMenu::aboutToShow, this, &TMenuPrincipalKX::miMainERHCRDeroule);

    // "&Affichage".
    miMainAff = Nomme(mmMain->addMenu(QStringLiteral("&Affichage")), "miMainAff");
    const QStringList cPages = {QStringLiteral("onglet &Exploration"), QStringLiteral("onglet &Recherche"),
                                QStringLiteral("onglet &Historique CDs")};
    for (int i = 0; i < cPages.size(); ++i) {
        QAction *a = miMainAff->addAction(cPages.at(i));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, i] {
            if (m_pcExplRech && i < m_pcExplRech->count())
                m_pcExplRech->setCurrentIndex(i);
        });
        m_Pages << a;
    }
    miMainAff->addSeparator();
    const QStringList cTextesVolets = {QStringLiteral("Volet d'e&xploration"), QStringLiteral("Barre de &traitements"),
                                       QStringLiteral("Arbre de &critères"), QStringLiteral("Liste de &vignettes"),
                                       QStringLiteral("&Barre d'état")};
    for (int i = 0; i < cTextesVolets.size(); ++i) {
        QAction *a = miMainAff->addAction(cTextesVolets.at(i));
        a->setCheckable(true);
        const QString cVolet = QLatin1String(cVolets[i]);
        connect(a, &QAction::triggered, this, [this, cVolet](bool lCoche) {
            // The pane's own state change emits its collapsed or expanded event.
            if (auto *p = qobject_cast<TExpColPanel *>(Trouve(cVolet)))
                p->set_PanelState(lCoche ? psExpanded : psCollapsed);
        });
        m_Volets << a;
    }
    miMainAff->addSeparator();
    miMainAffRZ = Nomme(miMainAff->addMenu(QStringLiteral("Rapport de &Zoom")), "miMainAffRZ");
    auto *GroupeZoom = new QActionGroup(miMainAffRZ);
    for (int i = 0; i < RapportZoom::nNombre; ++i) {
        if (i == RapportZoom::nUnUn || i == RapportZoom::nUnUn + 1)
            miMainAffRZ->addSeparator();
        QAction *a = miMainAffRZ->addAction(RapportZoom::Texte(i));
        a->setCheckable(true);
        a->setData(i);
        GroupeZoom->addAction(a);
        connect(a, &QAction::triggered, this, [this, i] {
            if (TComboZoom *cb = m_Main.ListeZoom())
                cb->setCurrentIndex(i);
        });
    }
    connect(miMainAff, &QMenu::aboutToShow, this, &TMenuPrincipalKX::miMainAffDeroule);
    connect(miMainAffRZ, &QMenu::aboutToShow, this, &TMenuPrincipalKX::miMainAffRZDeroule);

    // "&Image": the thumbnail pop-up's own entries.
    miMainImg = Nomme(mmMain->addMenu(QStringLiteral("&Image")), "miMainImg");
    connect(miMainImg, &QMenu::aboutToShow, this, &TMenuPrincipalKX::miMainImgDeroule);

    // "&Outils".
    miMainOut = Nomme(mmMain->addMenu(QStringLiteral("&Outils")), "miMainOut");
    EntreeBouton(miMainOut, QStringLiteral("&Appliquer les critères de recherche aux images sélectionnées..."),
                 QStringLiteral("btAppliqueCritRech"));
    miMainOut->addSeparator();
    EntreeBouton(miMainOut, QStringLiteral("&Calendrier..."), QStringLiteral("btCalendrier"));
    EntreeBouton(miMainOut, QStringLiteral("&Exploration de la base de données..."), QStringLiteral("btExploreBDD"));
    miMainOut->addSeparator();
    EntreeBouton(miMainOut, QStringLiteral("Afficher l'album d'&images..."), QStringLiteral("btAffAlbImg"));
    miMainOutAW = Nomme(miMainOut->addMenu(QStringLiteral("Album &WEB")), "miMainOutAW");
    miMainOutDiv = Nomme(miMainOut->addMenu(QStringLiteral("&Divers")), "miMainOutDiv");
    miMainOut->addSeparator();
    EntreeBouton(miMainOut, QStringLiteral("Sauvegarder la &vignette courante..."), QStringLiteral("btSvgVigCour"));
    EntreeBouton(miMainOut, QStringLiteral("Sauvegarder &toutes les vignettes dans un même fichier..."),
                 QStringLiteral("btSvgTtesVig"));
    EntreeBouton(miMainOut, QStringLiteral("&Sauvegarder l'image courante..."), QStringLiteral("btSvgImgCour"));
    miMainOut->addSeparator();
    EntreeBouton(miMainOut, QStringLiteral("&Paramètres..."), QStringLiteral("btParametres"));
    connect(miMainOut, &QMenu::aboutToShow, this, &TMenuPrincipalKX::miMainOutDeroule);
    connect(miMainOut, &QMenu::aboutToShow, this, [this] { PlaceActionsBoutons(miMainOut); });
    connect(miMainOutAW, &QMenu::aboutToShow, this,
            [this] { RecopiePopup(miMainOutAW, qobject_cast<QMenu *>(Trouve(QStringLiteral("pmAlbumWEB"))), {}); });
    connect(miMainOutDiv, &QMenu::aboutToShow, this, [this] {
        RecopiePopup(miMainOutDiv, qobject_cast<QMenu *>(Trouve(QStringLiteral("pmOutilsDivers"))), {});
    });

    // "Ai&de".
    miMainAid = Nomme(mmMain->addMenu(QStringLiteral("Ai&de")), "miMainAid");
    const auto Aide = [this](const QString &cTexte, const char *cNom, std::function<void()> TSourcesMenuKX::*fn) {
        QAction *a = miMainAid->addAction(cTexte);
        a->setObjectName(QLatin1String(cNom));
        connect(a, &QAction::triggered, this, [this, fn] {
            if (m_Sources.*fn)
                (m_Sources.*fn)();
        });
        return a;
    };
    QAction *miContextuelle =
        Aide(QStringLiteral("&Contextuelle"), "miMainAidContextuelle", &TSourcesMenuKX::fnAideContextuelle);
    miContextuelle->setShortcut(QKeySequence(Qt::Key_F1));
    miContextuelle->setShortcutContext(Qt::WindowShortcut);
    // The window holds the keys too, so that they work while the menu bar is hidden.
    Main.addAction(miContextuelle);
    Main.addAction(miMainFicQuitter);
    miMainAid->addSeparator();
    Aide(QStringLiteral("&Sommaire"), "miMainAidSommaire", &TSourcesMenuKX::fnAideSommaire);
    Aide(QStringLiteral("&Index"), "miMainAidIndex", &TSourcesMenuKX::fnAideIndex);
    Aide(QStringLiteral("&Accueil"), "miMainAidAccueil", &TSourcesMenuKX::fnAideAccueil);
    miMainAid->addSeparator();
    Aide(QStringLiteral("A &propos..."), "miMainAidAPropos", &TSourcesMenuKX::fnAPropos);
}

QObject *TMenuPrincipalKX::Trouve(const QString &cNom) const
{
    if (cNom.isEmpty())
        return nullptr;
    // Other windows of the program may use the same names: only the main window's own
    // controls count, and any action or menu of its features.
    for (QObject *o : m_Main.findChildren<QObject *>(cNom)) {
        if (auto *w = qobject_cast<QWidget *>(o)) {
            if (w->window() == &m_Main || qobject_cast<QMenu *>(w))
                return w;
        } else {
            return o;
        }
    }
    return nullptr;
}

int TMenuPrincipalKX::PageActive() const
{
    return m_pcExplRech ? std::max(0, m_pcExplRech->currentIndex()) : 0;
}

QString TMenuPrincipalKX::BoutonDePage(int nRole) const
{
    const int nPage = std::min(PageActive(), 2);
    const char *c = cBoutonsPages[nPage][nRole];
    return c ? QLatin1String(c) : QString();
}

void TMenuPrincipalKX::EntreeBouton(QMenu *Menu, const QString &cTexte, const QString &cBouton)
{
    QAction *Place = Menu->addAction(cTexte);
    Place->setProperty("cBouton", cBouton);
    Place->setVisible(false);
    m_PlacesBoutons << Place;
    PlaceActionsBoutons(Menu);
}

void TMenuPrincipalKX::PlaceActionsBoutons(QMenu *Menu)
{
    // A place holder gives way to its button's action once the button is there.
    for (QAction *Place : Menu->actions()) {
        if (!m_PlacesBoutons.contains(Place))
            continue;
        QAction *a = ActionDuBouton(Trouve(Place->property("cBouton").toString()));
        if (!a)
            continue;
        a->setText(Place->text());
        Menu->insertAction(Place, a);
        m_PlacesBoutons.removeOne(Place);
        delete Place;
    }
}

void TMenuPrincipalKX::RecopiePopup(QMenu *Cible, QMenu *Source, const std::function<void()> &fnDeroule)
{
    for (QAction *a : Cible->actions())
        Cible->removeAction(a);
    if (!Source)
        return;
    // The pop-up's opening handler sets its entries as it would before showing them.
    if (fnDeroule)
        fnDeroule();
    else
        emit Source->aboutToShow();
    Cible->addActions(Source->actions());
}

void TMenuPrincipalKX::miMainFicDeroule()
{
    for (QAction *a : std::as_const(m_ActionsFeatures))
        miMainFic->removeAction(a);
    m_ActionsFeatures.clear();
    // The features are asked again: they set their entries' states now.
    QList<QAction *> l = m_Main.Fonctionnalites().Actions(TEmplacementAction::MenuFichiers);
    l.removeIf([](QAction *a) {
        if (a->isSeparator())
            return true;
        for (const char *c : cAilleurs)
            if (a->objectName() == QLatin1String(c))
                return true;
        return false;
    });
    for (const char *c : cOrdreFichiers)
        for (QAction *a : std::as_const(l))
            if (a->objectName() == QLatin1String(c))
                m_ActionsFeatures << a;
    for (QAction *a : std::as_const(l))
        if (!m_ActionsFeatures.contains(a))
            m_ActionsFeatures << a;
    // Between the menu's two separators, above "&Quitter".
    const QList<QAction *> Entrees = miMainFic->actions();
    QAction *Avant = miMainFicQuitter;
    for (int i = Entrees.indexOf(miMainFicQuitter) - 1; i >= 0; --i)
        if (Entrees.at(i)->isSeparator()) {
            Avant = Entrees.at(i);
            break;
        }
    miMainFic->insertActions(Avant, m_ActionsFeatures);
    miMainFicQuitter->setText(m_Contexte.Parametres.lMsgConfQuitAppli ? QStringLiteral("&Quitter...")
                                                                      : QStringLiteral("&Quitter"));
}

void TMenuPrincipalKX::miMainERHDeroule()
{
    const int nPage = PageActive();
    const bool lRecherche = nPage == 1;
    miMainERH->setTitle(lRecherche ? QStringLiteral("&Rechercher") : QStringLiteral("&Explorer"));
    m_miMaintenant->setText(miMainERH->title() + QStringLiteral(" &maintenant"));
    const auto *Explorer = qobject_cast<QAbstractButton *>(Trouve(BoutonDePage(nRoleExplorer)));
    m_miMaintenant->setEnabled(Explorer && Explorer->isEnabled());
    const auto *Filtres = qobject_cast<QAbstractButton *>(Trouve(BoutonDePage(nRoleFiltres)));
    m_miFiltres->setEnabled(Filtres && Filtres->isEnabled());
    const TEnrFiltres *Enr = nPage == 0   ? &m_Contexte.enrFiltresExpl
                             : lRecherche ? &m_Contexte.enrFiltresRech
                                          : &m_Contexte.enrFiltresHisto;
    m_miPasDeFiltre->setEnabled(Filtres && Enr->lActif);
    const auto *Recurs = qobject_cast<QAbstractButton *>(Trouve(BoutonDePage(nRoleRecurs)));
    miMainERHRecurs->setChecked(Recurs && Recurs->isChecked());
    miMainERHRecurs->setEnabled(!lRecherche && Recurs && Recurs->isEnabled());
    m_miCritRech->setEnabled(lRecherche);
    if (m_miIndexerCD)
        m_miIndexerCD->setEnabled(nPage == 2 && m_Main.Selection().ModeMAJ());
}

void TMenuPrincipalKX::miMainERHCRDeroule()
{
    if (m_Sources.miEditeCritRech)
        m_Sources.miEditeCritRech->setEnabled(m_Main.Selection().ModeMAJ());
    m_miRAZHierarchiques->setEnabled(m_Sources.miCritRechRAZ && m_Sources.fnArbreRechNonVide
                                     && m_Sources.fnArbreRechNonVide());
    const QList<QAction *> &MC = m_Sources.ActionsMotsCles;
    if (MC.size() == 4) {
        MC.at(0)->setChecked(m_Sources.fnMotsClesAffiches && m_Sources.fnMotsClesAffiches());
        const bool lET = !m_Sources.fnOperateurET || m_Sources.fnOperateurET();
        MC.at(1)->setChecked(lET);
        MC.at(2)->setChecked(!lET);
        MC.at(3)->setEnabled(m_Sources.fnMotsClesNonVides && m_Sources.fnMotsClesNonVides());
    }
}

void TMenuPrincipalKX::miMainAffDeroule()
{
    const int nPage = m_pcExplRech ? m_pcExplRech->currentIndex() : -1;
    for (int i = 0; i < m_Pages.size(); ++i)
        m_Pages.at(i)->setChecked(i == nPage);
    for (int i = 0; i < m_Volets.size(); ++i) {
        const auto *p = qobject_cast<TExpColPanel *>(Trouve(QLatin1String(cVolets[i])));
        m_Volets.at(i)->setVisible(p != nullptr);
        m_Volets.at(i)->setChecked(p && p->_PanelState() == psExpanded);
    }
    // The criteria tree lies inside the thumbnail pane.
    const auto *Vigs = qobject_cast<TExpColPanel *>(Trouve(QStringLiteral("pnVigs")));
    m_Volets.at(2)->setEnabled(Vigs && Vigs->_PanelState() == psExpanded);
}

void TMenuPrincipalKX::miMainAffRZDeroule()
{
    const TComboZoom *cb = m_Main.ListeZoom();
    for (QAction *a : miMainAffRZ->actions())
        if (!a->isSeparator())
            a->setChecked(cb && a->data().toInt() == cb->currentIndex());
}

void TMenuPrincipalKX::miMainImgDeroule()
{
    RecopiePopup(miMainImg, m_Sources.pmVigs, m_Sources.fnPmVigsDeroule);
}

void TMenuPrincipalKX::miMainOutDeroule()
{
    // The sub-menus are there only when their pop-ups are.
    miMainOutAW->menuAction()->setVisible(Trouve(QStringLiteral("pmAlbumWEB")) != nullptr);
    miMainOutDiv->menuAction()->setVisible(Trouve(QStringLiteral("pmOutilsDivers")) != nullptr);
}
