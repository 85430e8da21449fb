#include "classification/Audit_fm.h"

#include "classification/ArboCriteres.h"
#include "classification/AuditFiltrerRub_fm.h"
#include "classification/ExploreBDD.h"
#include "classification/ExploreBDD_fm.h"
#include "classification/IndexClassement.h"
#include "classification/MotsCles.h"
#include "components/VueParagraphes.h"
#include "metadata/CacheMeta.h"
#include "metadata/LectureMeta.h"
#include "metadata/TextesMeta.h"
#include "platform/EcritRTF.h"
#include "platform/Messages.h"
#include "publishing/AlbumImages.h"
#include "publishing/AlbumsWebPerso.h"
#include "publishing/BulleAlbumWEB.h"
#include "publishing/BulleImage.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "storage/Descriptions.h"
#include "treatments/TraitementsImage.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
const QString cNomFichierAudit = QStringLiteral("Audit de Vimbrel.rtf");

void AjouteNoeuds(const TNoeudCritere &Noeud, int nProfondeur, QList<TNoeudAudit> &Noeuds)
{
    Noeuds << TNoeudAudit{Noeud.Caption(), nProfondeur, CheminCritere(Noeud)};
    for (const TNoeudCritere *Enfant : Noeud.Enfants())
        AjouteNoeuds(*Enfant, nProfondeur + 1, Noeuds);
}

QString Lignes(const QStringList &Noms)
{
    return Noms.join(QStringLiteral("\r\n"));
}
} // namespace

QList<TNoeudAudit> NoeudsAudit(const TArboCriteres &Arbre)
{
    QList<TNoeudAudit> Noeuds;
    for (const TNoeudCritere *Racine : Arbre.Racines())
        AjouteNoeuds(*Racine, 0, Noeuds);
    return Noeuds;
}

TEntreesAudit EntreesAuditDuContexte(TContexte &Contexte, TIndexClassement &Index, const TArboCriteres *Arbre)
{
    TEntreesAudit e;
    e.Index = &Index;
    Index.Actualise();
    if (Arbre)
        e.Criteres = NoeudsAudit(*Arbre);
    TBigIniFile &iniSetup = *Contexte.iniSetup;
    e.RecherchesEnregistrees = NomsRecherchesEnregistrees(iniSetup);
    TMotsClesRecherche MotsCles;
    MotsCles.ChargerMotsClesEnregistres(iniSetup);
    e.MotsClesEnregistres = MotsCles.MotsClesEnregistres();
    for (int n : EnsemblesExplore(Index).lstToutesImages)
        e.ToutesImages << Index.Cle(n);
    auto Albums = std::make_shared<TAlbumImages>(iniSetup, Contexte.Parametres);
    Albums->LitNomsSauves();
    e.AlbumsImages = Albums->NomsSauves();
    e.AlbumsWEBPerso = AlbumsWebPerso::ListerAlbumsPerso(iniSetup, true);
    e.fnImagesAlbumWEBPerso = [&iniSetup](const QString &cAlbum) {
        return AlbumsWebPerso::ImagesAlbumPerso(iniSetup, cAlbum);
    };
    auto Lecteurs = std::make_shared<TLecteursCD>(*Contexte.Volumes);
    const TContexteFocale Focale{Contexte.iniCFAPN.get(), Contexte.Parametres.lCoeffFocDansTable};
    e.fnModele = [Lecteurs, Focale](const QString &cCle) -> std::optional<QString> {
        const TEnrLST Lst = DecomposeCle(cCle);
        const QString cFichier = CheminFichierImage(*Lecteurs, Lst.nVolume, Lst.cChemin);
        if (cFichier.isEmpty())
            return std::nullopt;
        TDonneesEXIF EXIF;
        LireEXIF(cFichier, EXIF, true, Focale);
        if (!EXIF.lEXIF)
            return std::nullopt;
        return EXIF.cAppareil;
    };
    auto IndexWEB = std::make_shared<TIndexAlbumsWEBPerso>(iniSetup);
    TContexte *pContexte = &Contexte;
    e.fnComplete = [pContexte, Albums, IndexWEB, Lecteurs, Focale](const TEnrNomImg &Enr, const TOptionsAudit &o,
                                                                   TDetailsImageAudit &d) {
        const TBigIniFile &ini = *pContexte->iniSetup;
        if (o.lAffCrit && pContexte->Parametres.lTrtDescription && pContexte->Descriptions)
            d.cDescription = pContexte->Descriptions->DescriptionImage(Enr.nIdCD, Enr.cChemin, nDescLecture);
        if (o.lAffTrt)
            d.cTraitements = TexteBrut(
                DecritTrtsImage(LitRecetteTrts(ini, pContexte->Parametres, Enr.cCle, QStringLiteral("1")), QString()));
        if (o.lAffAlbImg)
            d.cAlbumsImages = Lignes(Albums->AlbumsDeImage(Enr.cCle));
        if (o.lAffAlbWHP)
            d.cAlbumsWEBPerso = Lignes(IndexWEB->Albums(Enr.cCle));
        if (!o.lAffEXIF && !o.lAffIPTC)
            return;
        const QString cFichier = Enr.nIdCD != 0 ? QString() : CheminFichierImage(*Lecteurs, 0, Enr.cChemin);
        TDonneesEXIF EXIF;
        TDonneesIPTC IPTC;
        if (o.lAffEXIF) {
            if (Enr.nIdCD != 0)
                LireEXIFCatalogue(ini, Enr.cCle, EXIF, Focale);
            else if (!cFichier.isEmpty())
                LireEXIF(cFichier, EXIF, false, Focale);
            if (EXIF.lEXIF)
                d.cEXIF = TexteBrut(BlocHintEXIF(EXIF, true));
        }
        if (o.lAffIPTC) {
            if (Enr.nIdCD != 0)
                LireIPTCCatalogue(ini, Enr.cCle, IPTC);
            else if (!cFichier.isEmpty())
                LireIPTC(cFichier, IPTC);
            if (IPTC.lIPTC)
                d.cIPTC = TexteBrut(BlocHintIPTC(IPTC, true));
        }
    };
    return e;
}

TPageAudit::TPageAudit(TContexte &Contexte, TEntreesAudit Entrees, QWidget *Parent)
    : QWidget(Parent), m_Contexte(Contexte), m_Entrees(std::move(Entrees))
{
    setObjectName(QStringLiteral("pgAudit"));
    m_cDossierSauvegarde = Contexte.Dossiers.cDossierDonnees;
    if (m_Entrees.Index)
        m_Donnees = std::make_unique<TDonneesAuditStores>(*Contexte.iniBDD, *Contexte.iniSetup, *m_Entrees.Index,
                                                          Contexte.Dossiers.cDossierVignettes);

    // Every group of each rubric, all selected: no filter at opening. The camera models wait
    // until they are needed.
    auto Groupes = [this](TRubriqueAudit r, const QStringList &Tous) { m_Selections[r] = {Tous, Tous}; };
    if (m_Donnees) {
        Groupes(TRubriqueAudit::Traitement, m_Donnees->GroupesTraitements());
        Groupes(TRubriqueAudit::MotCle, m_Donnees->GroupesMotsCles());
    }
    QStringList Racines;
    for (const TNoeudAudit &n : std::as_const(m_Entrees.Criteres))
        if (n.nProfondeur == 0)
            Racines << n.cCaption;
    Groupes(TRubriqueAudit::Critere, Racines);
    Groupes(TRubriqueAudit::AlbumImages, m_Entrees.AlbumsImages);
    Groupes(TRubriqueAudit::AlbumWEBPerso, m_Entrees.AlbumsWEBPerso);

    auto *Colonne = new QVBoxLayout(this);
    auto *Haut = new QHBoxLayout;
    Colonne->addLayout(Haut);
    auto Case = [this](QWidget *Parent, const char *cNom, const char16_t *cTexte) {
        auto *c = new QCheckBox(QString::fromUtf16(cTexte), Parent);
        c->setObjectName(QLatin1String(cNom));
        c->setChecked(true);
        connect(c, &QCheckBox::toggled, this, &TPageAudit::MajEtats);
        return c;
    };

    auto *gbGeneral = new QGroupBox(QStringLiteral("Général"), this);
    auto *lGeneral = new QVBoxLayout(gbGeneral);
    cbAuditGalCritHier = Case(gbGeneral, "cbAuditGalCritHier", u"Critères hiérarchiques");
    cbAuditGalMCPres = Case(gbGeneral, "cbAuditGalMCPres", u"Mots-clés présents");
    cbAuditGalCritEnr = Case(gbGeneral, "cbAuditGalCritEnr", u"Critères enregistrés");
    cbAuditGalMCEnr = Case(gbGeneral, "cbAuditGalMCEnr", u"Mots-clés enregistrés");
    for (QCheckBox *c : {cbAuditGalCritHier, cbAuditGalMCPres, cbAuditGalCritEnr, cbAuditGalMCEnr})
        lGeneral->addWidget(c);
    lGeneral->addStretch(1);
    Haut->addWidget(gbGeneral);

    auto *gbRubriques = new QGroupBox(QStringLiteral("images par Rubrique"), this);
    auto *lRubriques = new QGridLayout(gbRubriques);
    lRubriques->addWidget(new QLabel(QStringLiteral("Rubriques :"), gbRubriques), 0, 0);
    cbAuditRubCritHier = Case(gbRubriques, "cbAuditRubCritHier", u"par Critère hiérarchique");
    cbAuditRubMC = Case(gbRubriques, "cbAuditRubMC", u"par Mot-clé");
    cbAuditRubTrt = Case(gbRubriques, "cbAuditRubTrt", u"par Traitement");
    cbAuditRubEXIF = Case(gbRubriques, "cbAuditRubEXIF", u"par Appareil (EXIF)");
    cbAuditRubAlbImg = Case(gbRubriques, "cbAuditRubAlbImg", u"par Album d'images");
    cbAuditRubAlbWHP = Case(gbRubriques, "cbAuditRubAlbWHP", u"par Album WEB hiérarchique perso.");
    int nLigne = 1;
    for (QCheckBox *c :
         {cbAuditRubCritHier, cbAuditRubMC, cbAuditRubTrt, cbAuditRubEXIF, cbAuditRubAlbImg, cbAuditRubAlbWHP})
        lRubriques->addWidget(c, nLigne++, 0);
    btAuditParRubriqueFiltrer = new QPushButton(gbRubriques);
    btAuditParRubriqueFiltrer->setObjectName(QStringLiteral("btAuditParRubriqueFiltrer"));
    btAuditParRubriqueFiltrer->setIcon(GlypheFiltreAudit(0));
    btAuditParRubriqueFiltrer->setToolTip(QStringLiteral("Filtrer les Rubriques"));
    lRubriques->addWidget(btAuditParRubriqueFiltrer, nLigne, 0, Qt::AlignLeft);
    lRubriques->addWidget(new QLabel(QStringLiteral("Afficher :"), gbRubriques), 0, 1);
    cbAuditRubAffDNTD = Case(gbRubriques, "cbAuditRubAffDNTD", u"Dossier, nom, taille et date");
    cbAuditRubAffDNTD->setEnabled(false);
    cbAuditRubAffTrt = Case(gbRubriques, "cbAuditRubAffTrt", u"Traitements");
    cbAuditRubAffCrit = Case(gbRubriques, "cbAuditRubAffCrit", u"Critères");
    cbAuditRubAffEXIF = Case(gbRubriques, "cbAuditRubAffEXIF", u"données EXIF");
    cbAuditRubAffIPTC = Case(gbRubriques, "cbAuditRubAffIPTC", u"données IPTC");
    cbAuditRubAffAlbImg = Case(gbRubriques, "cbAuditRubAffAlbImg", u"Album(s) d'images");
    cbAuditRubAffAlbWHP = Case(gbRubriques, "cbAuditRubAffAlbWHP", u"Album(s) WEB hiérarchique(s) perso.");
    nLigne = 1;
    for (QCheckBox *c : {cbAuditRubAffDNTD, cbAuditRubAffTrt, cbAuditRubAffCrit, cbAuditRubAffEXIF, cbAuditRubAffIPTC,
                         cbAuditRubAffAlbImg, cbAuditRubAffAlbWHP})
        lRubriques->addWidget(c, nLigne++, 1);
    Haut->addWidget(gbRubriques);

    auto *gbCommandes = new QGroupBox(QStringLiteral("Commandes"), this);
    auto *lCommandes = new QVBoxLayout(gbCommandes);
    auto Bouton = [gbCommandes, lCommandes](const char *cNom, const QString &cTexte, const QString &cBulle) {
        auto *b = new QPushButton(cTexte, gbCommandes);
        b->setObjectName(QLatin1String(cNom));
        b->setToolTip(cBulle);
        lCommandes->addWidget(b);
        return b;
    };
    btAuditGenerer = Bouton("btAuditGenerer", QStringLiteral("&Générer"), {});
    btAuditCopierPP = Bouton("btAuditCopierPP", QStringLiteral("&Copier"),
                             QStringLiteral("Copier le résultat de l'audit vers le presse-papiers"));
    btAuditSauvegarder = Bouton("btAuditSauvegarder", QStringLiteral("&Sauvegarder..."),
                                QStringLiteral("Sauvegarder le résultat de l'audit au format RTF"));
    btAuditImprimer = Bouton("btAuditImprimer", QStringLiteral("&Imprimer..."), {});
    lCommandes->addStretch(1);
    Haut->addWidget(gbCommandes);
    Haut->addStretch(1);
    for (QPushButton *b : {btAuditCopierPP, btAuditSauvegarder, btAuditImprimer})
        b->setEnabled(false);

    mmAudit = new TVueParagraphes(this);
    mmAudit->setObjectName(QStringLiteral("mmAudit"));
    mmAudit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Colonne->addWidget(mmAudit, 1);

    connect(btAuditGenerer, &QPushButton::clicked, this, &TPageAudit::Generer);
    connect(btAuditCopierPP, &QPushButton::clicked, this, &TPageAudit::CopierPP);
    connect(btAuditSauvegarder, &QPushButton::clicked, this, &TPageAudit::Sauvegarder);
    connect(btAuditImprimer, &QPushButton::clicked, this, &TPageAudit::Imprimer);
    connect(btAuditParRubriqueFiltrer, &QPushButton::clicked, this, &TPageAudit::Filtrer);
    MajEtats();
}

TPageAudit::~TPageAudit() = default;

TOptionsAudit TPageAudit::Options() const
{
    TOptionsAudit o;
    o.lGalCritHier = cbAuditGalCritHier->isChecked();
    o.lGalMCPres = cbAuditGalMCPres->isChecked();
    o.lGalCritEnr = cbAuditGalCritEnr->isChecked();
    o.lGalMCEnr = cbAuditGalMCEnr->isChecked();
    o.Rubriques[size_t(TRubriqueAudit::Traitement)] = cbAuditRubTrt->isChecked();
    o.Rubriques[size_t(TRubriqueAudit::Critere)] = cbAuditRubCritHier->isChecked();
    o.Rubriques[size_t(TRubriqueAudit::MotCle)] = cbAuditRubMC->isChecked();
    o.Rubriques[size_t(TRubriqueAudit::AlbumImages)] = cbAuditRubAlbImg->isChecked();
    o.Rubriques[size_t(TRubriqueAudit::AlbumWEBPerso)] = cbAuditRubAlbWHP->isChecked();
    o.Rubriques[size_t(TRubriqueAudit::Appareil)] = cbAuditRubEXIF->isChecked();
    o.lAffTrt = cbAuditRubAffTrt->isChecked();
    o.lAffCrit = cbAuditRubAffCrit->isChecked();
    o.lAffEXIF = cbAuditRubAffEXIF->isChecked();
    o.lAffIPTC = cbAuditRubAffIPTC->isChecked();
    o.lAffAlbImg = cbAuditRubAffAlbImg->isChecked();
    o.lAffAlbWHP = cbAuditRubAffAlbWHP->isChecked();
    return o;
}

void TPageAudit::MajEtats()
{
    // Boxes toggled while the page is being built wait for the last control.
    if (!btAuditGenerer)
        return;
    const TOptionsAudit o = Options();
    const bool lRubrique = o.UneRubrique();
    btAuditParRubriqueFiltrer->setEnabled(lRubrique);
    for (QCheckBox *c : {cbAuditRubAffTrt, cbAuditRubAffCrit, cbAuditRubAffEXIF, cbAuditRubAffIPTC, cbAuditRubAffAlbImg,
                         cbAuditRubAffAlbWHP})
        c->setEnabled(lRubrique);
    btAuditGenerer->setEnabled(o.PeutGenerer());
}

void TPageAudit::TableAppareils()
{
    if (m_Appareils)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_Appareils = ConstruitTableAppareils(m_Entrees.ToutesImages, *m_Contexte.iniSetup, m_Entrees.fnModele);
    QApplication::restoreOverrideCursor();
    m_Selections[TRubriqueAudit::Appareil] = {m_Appareils->Modeles, m_Appareils->Modeles};
}

void TPageAudit::Filtrer()
{
    TableAppareils();
    TfmExploreBDDAuditFiltrerRub Dialogue(m_Selections, this);
    const int nResultat = fnExecFiltre ? fnExecFiltre(Dialogue) : Dialogue.exec();
    if (nResultat != QDialog::Accepted)
        return;
    m_Selections = Dialogue.Selections();
    btAuditParRubriqueFiltrer->setIcon(GlypheFiltreAudit(m_Selections.FiltreActif() ? 1 : 0));
    btAuditParRubriqueFiltrer->setProperty("nImage", m_Selections.FiltreActif() ? 1 : 0);
    if (Dialogue.GenererApres())
        Generer();
}

TSourceAudit TPageAudit::Source(TGaugeWindow &Jauge, int &nGroupes)
{
    TSourceAudit s;
    s.cDossierDonnees = m_Contexte.Dossiers.cDossierDonnees;
    s.lTrtDescription = m_Contexte.Parametres.lTrtDescription;
    s.lTrierArboCritHier = m_Contexte.Parametres.lTrierArboCritHier;
    s.Criteres = m_Entrees.Criteres;
    s.MotsClesPresents = m_Selections[TRubriqueAudit::MotCle].Tous;
    s.RecherchesEnregistrees = m_Entrees.RecherchesEnregistrees;
    const TBigIniFile *iniSetup = m_Contexte.iniSetup.get();
    const bool lTrtDescription = s.lTrtDescription;
    s.fnRechercheEnregistree = [iniSetup, lTrtDescription](const QString &cNom) {
        return LitRechercheEnregistree(*iniSetup, cNom, lTrtDescription);
    };
    s.MotsClesEnregistres = m_Entrees.MotsClesEnregistres;
    s.fnImagesGroupe = [this](TRubriqueAudit r, const QString &cGroupe) {
        if (r == TRubriqueAudit::Appareil)
            return m_Appareils ? m_Appareils->Images(cGroupe) : QStringList();
        if (r == TRubriqueAudit::AlbumWEBPerso)
            return m_Entrees.fnImagesAlbumWEBPerso ? m_Entrees.fnImagesAlbumWEBPerso(cGroupe) : QStringList();
        return m_Donnees ? m_Donnees->ImagesGroupe(r, cGroupe) : QStringList();
    };
    s.fnLabelCD = [this](qint32 n) { return m_Donnees ? m_Donnees->LabelCD(n) : QString(); };
    s.fnDetails = [this](const TEnrNomImg &Enr, const TOptionsAudit &o) {
        TDetailsImageAudit d = m_Donnees ? m_Donnees->Details(Enr, o) : TDetailsImageAudit{};
        if (m_Entrees.fnComplete)
            m_Entrees.fnComplete(Enr, o, d);
        return d;
    };
    s.fnGroupe = [&Jauge, &nGroupes] { Jauge.set_GaugeCurValue(++nGroupes); };
    s.fnAvance = [this](int) {
        if (fnApresImage)
            fnApresImage();
        TTacheLongue::TraiteEvenements();
    };
    s.fnInterrompre = [&Jauge] { return Jauge.Interrompu(); };
    return s;
}

void TPageAudit::Generer()
{
    const TOptionsAudit o = Options();
    if (!o.PeutGenerer())
        return;
    if (o.Rubrique(TRubriqueAudit::Appareil))
        TableAppareils();
    mmAudit->setFocus();
    mmAudit->Efface();
    m_Paragraphes.clear();
    TGaugeWindow Jauge(this, m_Contexte.Messages.get());
    if (fnQuestionInterruption)
        Jauge.setQuestion(fnQuestionInterruption);
    int nGroupes = 0;
    const TSourceAudit s = Source(Jauge, nGroupes);
    Jauge.Demarre(QStringLiteral("Audit de la base de données"), 0, 0,
                  std::max(1, NombreGroupesAudit(s, o, m_Selections)));
    QList<TParagrapheRTF> Paragraphes;
    const bool lInterrompu = !ComposeAudit(s, o, m_Selections, Paragraphes);
    Jauge.Arrete();
    MontreRapport(std::move(Paragraphes), lInterrompu);
}

void TPageAudit::MontreRapport(QList<TParagrapheRTF> Paragraphes, bool lInterrompu)
{
    m_Paragraphes = std::move(Paragraphes);
    m_lInterrompu = lInterrompu;
    // The box shares the page's paragraphs; it starts at the beginning, nothing selected.
    mmAudit->setParagraphes(m_Paragraphes);
    for (QPushButton *b : {btAuditCopierPP, btAuditSauvegarder, btAuditImprimer})
        b->setEnabled(true);
}

void TPageAudit::CopierPP()
{
    // The user's selection in the box is left as it is: the whole report goes to the
    // clipboard without selecting it.
    auto *Donnees = new QMimeData;
    Donnees->setText(TexteDeParagraphes(m_Paragraphes));
    Donnees->setHtml(HTMLDeParagraphes(m_Paragraphes));
    Donnees->setData(QStringLiteral("text/rtf"), RTFDeParagraphes(m_Paragraphes));
    QApplication::clipboard()->setMimeData(Donnees);
}

void TPageAudit::Sauvegarder()
{
    QString cFichier;
    if (fnChoisitFichier)
        cFichier = fnChoisitFichier(m_cDossierSauvegarde, cNomFichierAudit);
    else
        cFichier = QFileDialog::getSaveFileName(this, QStringLiteral("Sauvegarde de l'Audit"),
                                                QDir(m_cDossierSauvegarde).filePath(cNomFichierAudit),
                                                QStringLiteral("Format texte enrichi (*.rtf)"));
    if (cFichier.isEmpty())
        return;
    if (QFileInfo(cFichier).suffix().isEmpty())
        cFichier += QStringLiteral(".rtf");
    m_cDossierSauvegarde = QFileInfo(cFichier).absolutePath() + QLatin1Char('/');
    QString cErreur;
    if (!EnregistreRTF(cFichier, RTFDeParagraphes(m_Paragraphes), &cErreur))
        m_Contexte.Messages->Erreur(this, QStringLiteral("L'audit n'a pas pu être enregistré dans « %1 » : %2")
                                              .arg(QDir::toNativeSeparators(cFichier), cErreur));
}

void TPageAudit::ImprimeSur(QPrinter &Imprimante)
{
    Imprimante.setDocName(QString());
    // Paragraph by paragraph, as the box shows them: a whole document of a large report
    // would take gigabytes.
    ImprimeParagraphes(m_Paragraphes, mmAudit->font(), Imprimante);
}

void TPageAudit::Imprimer()
{
    QPrinter Imprimante(QPrinter::HighResolution);
    // Without a printer the dialog offers Qt's printing to a PDF file.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        Imprimante.setOutputFormat(QPrinter::PdfFormat);
        Imprimante.setOutputFileName(QDir(m_cDossierSauvegarde).filePath(QStringLiteral("Audit de Vimbrel.pdf")));
    }
    bool lAccepte;
    if (fnDialogueImpression)
        lAccepte = fnDialogueImpression(Imprimante);
    else {
        QPrintDialog Dialogue(&Imprimante, this);
        lAccepte = Dialogue.exec() == QDialog::Accepted;
    }
    if (lAccepte)
        ImprimeSur(Imprimante);
}

TPageAudit *InstallePageAudit(TfmExploreBDD &Explorateur, TIndexClassement &Index, const TArboCriteres *pArbo)
{
    TEntreesAudit e = EntreesAuditDuContexte(Explorateur.Contexte(), Index, pArbo);
    e.ToutesImages.clear();
    for (int n : Explorateur.Ensembles().lstToutesImages)
        e.ToutesImages << Index.Cle(n);
    TfmExploreBDD *pExplorateur = &Explorateur;
    e.fnModele = [pExplorateur](const QString &cCle) -> std::optional<QString> {
        const QStringList Valeurs = pExplorateur->ValeursEXIF().value(cCle);
        if (Valeurs.isEmpty())
            return std::nullopt;
        return Valeurs.first();
    };
    auto *Page = new TPageAudit(Explorateur.Contexte(), std::move(e), Explorateur.tsAudit);
    Explorateur.tsAudit->layout()->addWidget(Page);
    return Page;
}
