#include "metadata/GereDonGeneEtMD_fm.h"

#include "metadata/ChoixImages_fm.h"

#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "publishing/AlbumImages.h"
#include "storage/Contexte.h"

#include <QAction>
#include <QButtonGroup>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace
{
const QString cDonnees = QStringLiteral("données générales et méta-données");
const QString cBulleJpeg = QStringLiteral("Pour les images <SG>JPEG</SG/> seulement");

QPushButton *Bouton(QWidget *Parent, const char *cNom, const QString &cTexte)
{
    auto *b = new QPushButton(cTexte, Parent);
    b->setObjectName(QLatin1String(cNom));
    b->setCheckable(true);
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

}

TfmGereDonGeneEtMD::TfmGereDonGeneEtMD(TContexte &Contexte, TModeleListeImages &Modele, const TPaneledListView *pGrille,
                                       QWidget *Parent)
    : QDialog(Parent), m_Contexte(Contexte), m_Modele(Modele)
{
    setObjectName(QStringLiteral("fmGereDonGeneEtMD"));
    setWindowTitle(QStringLiteral("Gestion des %1").arg(cDonnees));
    setSizeGripEnabled(true);
    const bool lDescriptions = Contexte.Parametres.lTrtDescription;

    auto *Principal = new QVBoxLayout(this);
    auto *Haut = new QHBoxLayout;
    Principal->addLayout(Haut);

    // Left: the images to work on.
    auto *Gauche = new QVBoxLayout;
    Haut->addLayout(Gauche, 1);
    ChoixImages = new TChoixImages(Modele, false, pGrille, this);
    ChoixImages->setObjectName(QStringLiteral("ChoixImages"));
    Gauche->addWidget(ChoixImages, 1);
    connect(ChoixImages, &TChoixImages::cochesChange, this, [this] { MajBoutons(); });

    // Right: what to do.
    // Three columns, so that hiding the description buttons closes each column up.
    auto *ColSources = new QVBoxLayout;
    auto *ColDestinations = new QVBoxLayout;
    auto *ColSuppressions = new QVBoxLayout;
    for (QVBoxLayout *Col : {ColSources, ColDestinations, ColSuppressions})
        Haut->addLayout(Col);
    rbCopier = new QRadioButton(QStringLiteral("Copier"), this);
    rbCopier->setObjectName(QStringLiteral("rbCopier"));
    rbCopier->setChecked(true);
    rbSupprimer = new QRadioButton(QStringLiteral("Supprimer (plusieurs choix possibles)"), this);
    rbSupprimer->setObjectName(QStringLiteral("rbSupprimer"));
    ColSources->addWidget(rbCopier);
    lbVers = new QLabel(QStringLiteral("vers (plusieurs choix possibles)"), this);
    lbVers->setObjectName(QStringLiteral("lbVers"));
    ColDestinations->addWidget(lbVers);
    ColSuppressions->addWidget(rbSupprimer);

    m_pSources = new QButtonGroup(this);
    m_pSources->setExclusive(true);
    btCopSrcCH = Bouton(this, "btCopSrcCH", QStringLiteral("Critères hiérarchiques"));
    btCopSrcMC = Bouton(this, "btCopSrcMC", QStringLiteral("Mots-clés"));
    btCopSrcLeg = Bouton(this, "btCopSrcLeg", QStringLiteral("Légende"));
    btCopSrcDes = Bouton(this, "btCopSrcDes", QStringLiteral("Description"));
    btCopSrcComEXIF = Bouton(this, "btCopSrcComEXIF", QStringLiteral("Commentaire EXIF"));
    btCopSrcLegIPTC = Bouton(this, "btCopSrcLegIPTC", QStringLiteral("Légende IPTC"));
    btCopSrcMCIPTC = Bouton(this, "btCopSrcMCIPTC", QStringLiteral("Mots-clés IPTC"));
    btCopSrcCatIPTC = Bouton(this, "btCopSrcCatIPTC", QStringLiteral("Cat. (+cat. suppl.) IPTC"));
    btCopSrcConst = Bouton(this, "btCopSrcConst", QStringLiteral("la constante :"));
    m_Sources = {{btCopSrcCH, TSourceGestion::CriteresHierarchiques},
                 {btCopSrcMC, TSourceGestion::MotsCles},
                 {btCopSrcLeg, TSourceGestion::Legende},
                 {btCopSrcDes, TSourceGestion::Description},
                 {btCopSrcComEXIF, TSourceGestion::CommentaireEXIF},
                 {btCopSrcLegIPTC, TSourceGestion::LegendeIPTC},
                 {btCopSrcMCIPTC, TSourceGestion::MotsClesIPTC},
                 {btCopSrcCatIPTC, TSourceGestion::CategoriesIPTC},
                 {btCopSrcConst, TSourceGestion::Constante}};
    for (const auto &[b, n] : m_Sources) {
        m_pSources->addButton(b);
        ColSources->addWidget(b);
    }
    edCopSrcConst = new QLineEdit(this);
    edCopSrcConst->setObjectName(QStringLiteral("edCopSrcConst"));
    ColSources->addWidget(edCopSrcConst);

    btCopDstMC = Bouton(this, "btCopDstMC", QStringLiteral("Mots-clés"));
    btCopDstLeg = Bouton(this, "btCopDstLeg", QStringLiteral("Légende"));
    btCopDstDes = Bouton(this, "btCopDstDes", QStringLiteral("Description"));
    btCopDstLegIPTC = Bouton(this, "btCopDstLegIPTC", QStringLiteral("Légende IPTC"));
    btCopDstMCIPTC = Bouton(this, "btCopDstMCIPTC", QStringLiteral("Mots-clés IPTC"));
    btCopDstCatIPTC = Bouton(this, "btCopDstCatIPTC", QStringLiteral("Cat. (+cat. suppl.) IPTC"));
    m_Destinations = {{btCopDstMC, nDonMotsCles},         {btCopDstLeg, nDonLegende},
                      {btCopDstDes, nDonDescription},     {btCopDstLegIPTC, nDonLegendeIPTC},
                      {btCopDstMCIPTC, nDonMotsClesIPTC}, {btCopDstCatIPTC, nDonCategoriesIPTC}};
    btSupMC = Bouton(this, "btSupMC", QStringLiteral("Mots-clés"));
    btSupLeg = Bouton(this, "btSupLeg", QStringLiteral("Légende"));
    btSupDes = Bouton(this, "btSupDes", QStringLiteral("Description"));
    btSupLegIPTC = Bouton(this, "btSupLegIPTC", QStringLiteral("Légende IPTC"));
    btSupMCIPTC = Bouton(this, "btSupMCIPTC", QStringLiteral("Mots-clés IPTC"));
    btSupCatIPTC = Bouton(this, "btSupCatIPTC", QStringLiteral("Cat. (+cat. suppl.) IPTC"));
    m_Suppressions = {{btSupMC, nDonMotsCles},         {btSupLeg, nDonLegende},
                      {btSupDes, nDonDescription},     {btSupLegIPTC, nDonLegendeIPTC},
                      {btSupMCIPTC, nDonMotsClesIPTC}, {btSupCatIPTC, nDonCategoriesIPTC}};
    for (const auto &[b, n] : m_Destinations) {
        ColDestinations->addWidget(b);
        if (n & nDonIPTC)
            b->setToolTip(cBulleJpeg);
    }
    for (const auto &[b, n] : m_Suppressions) {
        ColSuppressions->addWidget(b);
        if (n & nDonIPTC)
            b->setToolTip(cBulleJpeg);
    }
    for (QVBoxLayout *Col : {ColSources, ColDestinations, ColSuppressions})
        Col->addStretch();
    // Without descriptions their buttons go and the rows close up.
    for (QPushButton *b : {btCopSrcDes, btCopDstDes, btSupDes})
        b->setVisible(lDescriptions);

    auto *Bas = new QHBoxLayout;
    Bas->addStretch();
    btTraiter = new QPushButton(QStringLiteral("&Traiter"), this);
    btTraiter->setObjectName(QStringLiteral("btTraiter"));
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), this);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    Bas->addWidget(btTraiter);
    Bas->addWidget(btQuitter);
    Principal->addLayout(Bas);

    connect(rbCopier, &QRadioButton::toggled, this, [this] { MajBoutons(); });
    connect(m_pSources, &QButtonGroup::buttonClicked, this, [this] { SourceChoisie(); });
    for (const auto &l : {m_Destinations, m_Suppressions})
        for (const auto &[b, n] : l)
            connect(b, &QPushButton::toggled, this, [this] { MajBoutons(); });
    connect(edCopSrcConst, &QLineEdit::textChanged, this, [this](const QString &c) {
        edCopSrcConst->setToolTip(c);
        MajBoutons();
    });
    connect(btTraiter, &QPushButton::clicked, this, [this] { btTraiterClick(); });
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::accept);
    MajBoutons();
}

void TfmGereDonGeneEtMD::SourceChoisie()
{
    MajBoutons();
    if (btCopSrcConst->isChecked())
        edCopSrcConst->setFocus();
}

TParamsGestion TfmGereDonGeneEtMD::Params() const
{
    TParamsGestion P;
    P.lCopier = rbCopier->isChecked();
    for (const auto &[b, n] : m_Sources)
        if (b->isChecked())
            P.nSource = n;
    P.cConstante = edCopSrcConst->text();
    for (const auto &[b, n] : m_Destinations)
        if (b->isChecked() && b->isEnabled())
            P.nDestinations |= n;
    for (const auto &[b, n] : m_Suppressions)
        if (b->isChecked() && b->isEnabled())
            P.nSuppressions |= n;
    return P;
}

void TfmGereDonGeneEtMD::MajBoutons()
{
    const bool lCopier = rbCopier->isChecked();
    TSourceGestion nSource = TSourceGestion::Aucune;
    for (const auto &[b, n] : m_Sources) {
        b->setEnabled(lCopier);
        if (b->isChecked())
            nSource = n;
    }
    edCopSrcConst->setEnabled(lCopier && nSource == TSourceGestion::Constante);
    lbVers->setEnabled(lCopier);
    const int nPermises = lCopier ? DestinationsPermises(nSource) : 0;
    for (const auto &[b, n] : m_Destinations) {
        const bool lPermise = (nPermises & n) != 0;
        const QSignalBlocker Bloque(b);
        if (!lPermise)
            b->setChecked(false);
        b->setEnabled(lPermise);
    }
    for (const auto &[b, n] : m_Suppressions)
        b->setEnabled(!lCopier);
    btCopDstCatIPTC->setToolTip(
        cBulleJpeg + QStringLiteral(".\r\n")
        + (nSource == TSourceGestion::Constante
               ? QStringLiteral("Texte dans la <SG>%1</SG/> ; <SG>%2</SG/> effacées.")
               : QStringLiteral("1° élément dans la <SG>%1</SG/> ; les autres dans les <SG>%2</SG/>."))
              .arg(QStringLiteral("Catégorie"), QStringLiteral("Cat. Suppl.")));
    btTraiter->setEnabled(TraitementPossible(Params(), ChoixImages->Modele().nNbCoches()));
}

bool TfmGereDonGeneEtMD::btTraiterClick()
{
    const QList<int> Lignes = ChoixImages->Modele().LignesCochees();
    const TParamsGestion P = Params();
    if (!TraitementPossible(P, int(Lignes.size())))
        return false;
    if (!m_Contexte.Messages->Question(
            this,
            QStringLiteral("Traiter les %1 image(s) sélectionnée(s) avec les paramètres choisis ?").arg(Lignes.size())))
        return false;
    QList<TImageGestion> Images;
    for (int nLigne : Lignes) {
        const TEnrLV &e = m_Modele.Enr(nLigne);
        TImageGestion Im;
        Im.cCle = e.Cle();
        Im.nNumCD = e.nNumCD;
        Im.cChemin = e.cChemin;
        const QString cComplet = e.CheminComplet();
        if ((e.nNumCD == 0 || !e.cLecteur.isEmpty()) && QFileInfo(cComplet).isFile())
            Im.cFichier = cComplet;
        Im.cCommentaireEXIF = e.cCommentaire;
        Im.Iptc = e;
        Im.nTaille = e.nTaille;
        Images << Im;
    }
    TStoresGestion Stores{*m_Contexte.iniSetup, *m_Contexte.iniBDD, *m_Contexte.Descriptions, m_Contexte.Volumes.get()};
    const TResultatGestion R = TraiteGestion(Stores, P, Images, [&](int i) {
        const TImageGestion &Im = Images[i];
        const int nLigne = Lignes[i];
        if (Im.lFichierChange) {
            TEnrLV &e = m_Modele.Enr(nLigne);
            e.nTaille = Im.nTaille;
            static_cast<TDonneesIPTC &>(e) = Im.Iptc;
            m_Modele.EnrModifie(nLigne);
        }
    });
    for (int i = 0; i < Images.size(); ++i)
        if ((Images[i].lFichierChange || Images[i].lClassementChange) && fnImageModifiee)
            fnImageModifiee(Lignes[i], Images[i]);
    m_lTraite |= R.lQuelqueChose;
    m_Contexte.Messages->Information(this, TexteRapportGestion(R));
    return true;
}

// ---- The entry of the tools pop-up

TGereDonGeneEtMDKX::TGereDonGeneEtMDKX(TfmMainKX &Main, TContexte &Contexte, IAlbumImages *pAlbum)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_pAlbum(pAlbum)
{
    setObjectName(QStringLiteral("GereDonGeneEtMD"));
    fnExecute = [](TfmGereDonGeneEtMD &Fenetre) { Fenetre.exec(); };
    miOutilsDiversGereDonGeneEtMD = new QAction(QStringLiteral("&Gérer les %1...").arg(cDonnees), this);
    miOutilsDiversGereDonGeneEtMD->setObjectName(QStringLiteral("miOutilsDiversGereDonGeneEtMD"));
    connect(miOutilsDiversGereDonGeneEtMD, &QAction::triggered, this, &TGereDonGeneEtMDKX::Ouvre);
}

QList<QAction *> TGereDonGeneEtMDKX::Actions(TEmplacementAction nPlace)
{
    if (nPlace != TEmplacementAction::OutilsDivers || !m_Main.Selection().ModeMAJ())
        return {};
    miOutilsDiversGereDonGeneEtMD->setEnabled(m_Main.Modele().Nombre() > 0);
    return {miOutilsDiversGereDonGeneEtMD};
}

void TGereDonGeneEtMDKX::Ouvre()
{
    TfmGereDonGeneEtMD Fenetre(m_Contexte, m_Main.Modele(), m_Main.Grille(), &m_Main);
    // Each changed image is told to whoever shows its classification, and to the image album.
    Fenetre.fnImageModifiee = [this](int nLigne, const TImageGestion &Image) {
        if (m_pAlbum && m_pAlbum->IndexImage(Image.nNumCD, Image.cChemin) >= 0)
            m_pAlbum->MettreAJourImage(m_Main.Modele().Enr(nLigne));
        m_Main.Selection().SignaleClassement(Image.cCle);
    };
    fnExecute(Fenetre);
}

TGereDonGeneEtMDKX *InstalleGereDonGeneEtMD(TfmMainKX &Main, TContexte &Contexte, IAlbumImages *pAlbum)
{
    auto *Gere = new TGereDonGeneEtMDKX(Main, Contexte, pAlbum);
    Main.Installe(Gere);
    return Gere;
}
