#include "classification/EditCritImg_fm.h"
#include "mainwindow/ContextesAide.h"

#include "classification/ArboCriteres.h"
#include "classification/EditMotsCles_fm.h"
#include "classification/IconesArbres.h"
#include "classification/MotsCles.h"
#include "classification/Recherche_fm.h"
#include "components/PaneledListView.h"
#include "exploration/ModeleListe.h"
#include "imaging/ChargeImage.h"
#include "platform/Messages.h"
#include "storage/Settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QValidator>
#include <QVBoxLayout>

namespace
{
constexpr int nTailleMaxVignettes = 200;

// What the keyword and saved-search boxes accept: upper case, blank & + , - . 0-9 A-Z _.
class TValidateurMotsCles : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &cTexte, int &nPos) const override
    {
        FiltreSaisieMotsCles(cTexte, nPos);
        for (qsizetype i = cTexte.size() - 1; i >= 0; --i)
            if (cTexte[i] == u'*') {
                cTexte.remove(i, 1);
                if (i < nPos)
                    --nPos;
            }
        return Acceptable;
    }
};

QPushButton *BoutonIcone(QWidget *Parent, const char *cNom, const QIcon &Icone, const QString &cBulle)
{
    auto *b = new QPushButton(Icone, QString(), Parent);
    b->setObjectName(QLatin1String(cNom));
    b->setToolTip(cBulle);
    return b;
}

QIcon IconeIntegree(int nIndex)
{
    return QIcon(QPixmap::fromImage(IconesArbres::ImageIntegree(nIndex)));
}
} // namespace

TfmEditCritImg::TfmEditCritImg(TClassement &Classement, TArboCriteres &Arbo, IMessages &Messages,
                               TModeleListeImages &Modele, const TPaneledListView *Grille, int nLigne, QWidget *Parent)
    : QDialog(Parent), m_Classement(Classement), m_Arbo(Arbo), m_Messages(Messages), m_Modele(Modele), m_Grille(Grille),
      m_Edition(Classement)
{
    setObjectName(QStringLiteral("fmEditCritImg"));
    FixeContexteAide(this, ContextesAide::nClassement);
    setModal(true);
    Construit();
    RemplitVignettes();
    if (nLigne >= 0 && nLigne < m_Modele.Nombre())
        Charge(nLigne);
    MajBoutons();
}

TfmEditCritImg::~TfmEditCritImg() = default;

void TfmEditCritImg::Construit()
{
    const TEnrParametres &P = m_Classement.Parametres();
    resize(900, 640);
    auto *Colonne = new QVBoxLayout(this);
    auto *Haut = new QHBoxLayout;

    // Criteria.
    gbCriteres = new QGroupBox(QStringLiteral("Critères"), this);
    gbCriteres->setObjectName(QStringLiteral("gbCriteres"));
    auto *Criteres = new QVBoxLayout(gbCriteres);
    auto *LigneCrit = new QHBoxLayout;
    btRAZCritRech = new QPushButton(QStringLiteral("&RAZ critères"), gbCriteres);
    btRAZCritRech->setObjectName(QStringLiteral("btRAZCritRech"));
    btRAZCritRech->setToolTip(QStringLiteral("Désélection de tous les critères hiérarchiques+mots-clés+coups de "
                                             "coeur+légendes"));
    cbCritEnreg = new QComboBox(gbCriteres);
    cbCritEnreg->setObjectName(QStringLiteral("cbCritEnreg"));
    cbCritEnreg->setToolTip(QStringLiteral("Critères enregistrés"));
    cbCritEnreg->setEditable(true);
    cbCritEnreg->setInsertPolicy(QComboBox::NoInsert);
    cbCritEnreg->setValidator(new TValidateurMotsCles(cbCritEnreg));
    LigneCrit->addWidget(btRAZCritRech);
    LigneCrit->addWidget(cbCritEnreg, 1);
    tvCriteres = new TArbreCritRech(m_Arbo, gbCriteres);
    tvCriteres->setObjectName(QStringLiteral("tvCriteres"));
    tvCriteres->MetModeMAJ(false); // no drag out of this copy
    tvCriteres->miCritRechRAZ->setVisible(false);
    tvCriteres->MetIndicateurGras(true);
    if (P.lDeplEntArboCritHier)
        tvCriteres->expandAll();
    cbSvgAutoQdNavig = new QCheckBox(QStringLiteral("&Sauvegarder auto. si Navigation"), gbCriteres);
    cbSvgAutoQdNavig->setObjectName(QStringLiteral("cbSvgAutoQdNavig"));
    Criteres->addLayout(LigneCrit);
    Criteres->addWidget(tvCriteres, 1);
    Criteres->addWidget(cbSvgAutoQdNavig);

    // Image.
    gbImage = new QGroupBox(QStringLiteral("Image"), this);
    gbImage->setObjectName(QStringLiteral("gbImage"));
    auto *Image = new QVBoxLayout(gbImage);
    auto *LigneMC = new QHBoxLayout;
    btApercu = BoutonIcone(gbImage, "btApercu", style()->standardIcon(QStyle::SP_FileDialogContentsView),
                           QStringLiteral("Aperçu de l'image en taille réelle, vignette sinon"));
    btApercu->setCheckable(true);
    btMotsCles = BoutonIcone(gbImage, "btMotsCles", IconeIntegree(IconesArbres::nGroupeMotsCles),
                             QStringLiteral("Saisie de mots-clés, choix parmi ceux existants"));
    edMotsCles = new QLineEdit(gbImage);
    edMotsCles->setObjectName(QStringLiteral("edMotsCles"));
    edMotsCles->setToolTip(QStringLiteral("Mots-clés (séparés par un espace)"));
    edMotsCles->setValidator(new TValidateurMotsCles(edMotsCles));
    btCoupDeCoeur = BoutonIcone(gbImage, "btCoupDeCoeur", IconeIntegree(IconesArbres::nCoupDeCoeur),
                                QStringLiteral("Image coup de coeur"));
    btCoupDeCoeur->setCheckable(true);
    LigneMC->addWidget(btApercu);
    LigneMC->addWidget(btMotsCles);
    LigneMC->addWidget(edMotsCles, 1);
    LigneMC->addWidget(btCoupDeCoeur);
    auto Boite = [this](const char *cNom, const QString &cBulle) {
        auto *cb = new QComboBox(gbImage);
        cb->setObjectName(QLatin1String(cNom));
        cb->setEditable(true);
        cb->setInsertPolicy(QComboBox::NoInsert);
        cb->setToolTip(cBulle);
        if (!m_Classement.Parametres().lLegComplSaisie)
            cb->setCompleter(nullptr);
        return cb;
    };
    cbLegende = Boite("cbLegende", QStringLiteral("Légende"));
    if (const QScreen *Ecran = QApplication::primaryScreen())
        cbLegende->view()->setMinimumWidth(Ecran->availableGeometry().width() / 2);
    cbDescription = Boite("cbDescription", QStringLiteral("Description"));
    cbDescription->setVisible(P.lTrtDescription);
    sbImage = new QScrollArea(gbImage);
    sbImage->setObjectName(QStringLiteral("sbImage"));
    sbImage->setAlignment(Qt::AlignCenter);
    imImage = new QLabel;
    imImage->setObjectName(QStringLiteral("imImage"));
    imImage->installEventFilter(this);
    sbImage->setWidget(imImage);
    Image->addLayout(LigneMC);
    Image->addWidget(cbLegende);
    Image->addWidget(cbDescription);
    Image->addWidget(sbImage, 1);

    Haut->addWidget(gbCriteres, 2);
    Haut->addWidget(gbImage, 3);
    Colonne->addLayout(Haut, 1);

    // Thumbnails.
    plvEditVigs = new TPaneledListView(this);
    plvEditVigs->setObjectName(QStringLiteral("plvEditVigs"));
    plvEditVigs->set_Checks(false);
    plvEditVigs->set_UnSelectOnClickOut(false);
    const int nTaille =
        std::min(m_Grille ? m_Grille->_ItemDim() : TailleVignette(P.nIndTailleVigs), nTailleMaxVignettes);
    plvEditVigs->set_ItemDim(nTaille);
    plvEditVigs->setFixedHeight(PasYCellule(nTaille) + plvEditVigs->horizontalScrollBar()->sizeHint().height() + 8);
    if (m_Grille) {
        plvEditVigs->set_Panels3D(m_Grille->_Panels3D());
        plvEditVigs->set_PanelsColor(m_Grille->_PanelsColor());
        plvEditVigs->set_PanelsFontColor(m_Grille->_PanelsFontColor());
        plvEditVigs->setCouleurFond(m_Grille->CouleurFond());
    }
    Colonne->addWidget(plvEditVigs);

    // Commands.
    auto *Bas = new QHBoxLayout;
    btSvgCritsImgCour = BoutonIcone(this, "btSvgCritsImgCour", style()->standardIcon(QStyle::SP_DialogSaveButton),
                                    QStringLiteral("Sauvegarder les critères de l'image courante"));
    btNavigPrem = BoutonIcone(this, "btNavigPrem", style()->standardIcon(QStyle::SP_MediaSkipBackward),
                              QStringLiteral("Première image"));
    btNavigPrec = BoutonIcone(this, "btNavigPrec", style()->standardIcon(QStyle::SP_MediaSeekBackward),
                              QStringLiteral("Image précédente"));
    btNavigSuiv = BoutonIcone(this, "btNavigSuiv", style()->standardIcon(QStyle::SP_MediaSeekForward),
                              QStringLiteral("Image suivante"));
    btNavigDern = BoutonIcone(this, "btNavigDern", style()->standardIcon(QStyle::SP_MediaSkipForward),
                              QStringLiteral("Dernière image"));
    btSvgEtQuitter = new QPushButton(QStringLiteral("Sauvegarder &Et Quitter"), this);
    btSvgEtQuitter->setObjectName(QStringLiteral("btSvgEtQuitter"));
    btSvgEtQuitter->setToolTip(QStringLiteral("Sauvegarder les critères de l'image courante Et Quitter"));
    btQuitter = new QPushButton(QStringLiteral("&Quitter"), this);
    btQuitter->setObjectName(QStringLiteral("btQuitter"));
    btAide = new QPushButton(QStringLiteral("Aide"), this);
    btAide->setObjectName(QStringLiteral("btAide"));
    // The program has no help viewer yet.
    btAide->setEnabled(false);
    for (QPushButton *b : {btSvgCritsImgCour, btNavigPrem, btNavigPrec, btNavigSuiv, btNavigDern})
        Bas->addWidget(b);
    Bas->addStretch(1);
    for (QPushButton *b : {btSvgEtQuitter, btQuitter, btAide})
        Bas->addWidget(b);
    Colonne->addLayout(Bas);
    for (QPushButton *b : {btSvgEtQuitter, btQuitter, btAide, btSvgCritsImgCour})
        b->setAutoDefault(false);

    // Every change of the user's goes into the edition state.
    connect(tvCriteres, &TArbreCritRech::CochesModifiees, this, [this] {
        m_Edition.FixeCoches(tvCriteres->Coches());
        MajBoutons();
    });
    connect(btRAZCritRech, &QPushButton::clicked, this, &TfmEditCritImg::btRAZCritRechClick);
    connect(edMotsCles, &QLineEdit::textEdited, this, [this](const QString &c) {
        m_Edition.FixeMotsCles(c);
        MajBoutons();
    });
    connect(btMotsCles, &QPushButton::clicked, this, &TfmEditCritImg::btMotsClesClick);
    connect(btCoupDeCoeur, &QPushButton::clicked, this, [this](bool lDown) {
        m_Edition.FixeCoupDeCoeur(lDown);
        MajBoutons();
    });
    connect(cbLegende, &QComboBox::editTextChanged, this, [this](const QString &c) {
        if (m_lChargement)
            return;
        m_Edition.FixeLegende(c);
        cbLegende->setToolTip(m_Edition.HintLegende());
        MajBoutons();
    });
    connect(cbDescription, &QComboBox::editTextChanged, this, [this](const QString &c) {
        if (m_lChargement)
            return;
        m_Edition.FixeDescription(c);
        cbDescription->setToolTip(m_Edition.HintDescription());
        MajBoutons();
    });
    connect(cbCritEnreg, &QComboBox::textActivated, this, [this](const QString &cNom) {
        if (fnChargeCritEnreg && !cNom.isEmpty())
            fnChargeCritEnreg(cNom);
    });
    connect(btApercu, &QPushButton::toggled, this, [this] { MontreImage(); });
    connect(btSvgCritsImgCour, &QPushButton::clicked, this, &TfmEditCritImg::Sauvegarde);
    connect(btSvgEtQuitter, &QPushButton::clicked, this, [this] {
        Sauvegarde();
        accept();
    });
    connect(btQuitter, &QPushButton::clicked, this, &QDialog::reject);
    auto Voisine = [this](int nSens) { Navigue(ImageVoisine(m_nLigne, m_Modele.Nombre(), nSens)); };
    connect(btNavigPrem, &QPushButton::clicked, this, [this] { Navigue(0); });
    connect(btNavigPrec, &QPushButton::clicked, this, [Voisine] { Voisine(-1); });
    connect(btNavigSuiv, &QPushButton::clicked, this, [Voisine] { Voisine(+1); });
    connect(btNavigDern, &QPushButton::clicked, this, [this] { Navigue(m_Modele.Nombre() - 1); });
    plvEditVigs->_OnItemChange = [this](TPaneledListView *, TPLVListItem *Item) {
        if (Item && !m_lChargement)
            Navigue(Item->Index());
    };
}

void TfmEditCritImg::RemplitVignettes()
{
    const bool lGrille = m_Grille && m_Grille->Nombre() == m_Modele.Nombre();
    for (int i = 0; i < m_Modele.Nombre(); ++i) {
        TPLVListItem *Item = plvEditVigs->Ajoute();
        if (lGrille) {
            const TPLVListItem *Source = m_Grille->Item(i);
            // The grid's own picture, shared and not decoded again.
            if (Source->AUneImage())
                plvEditVigs->MetImage(Item, Source->Vignette());
            plvEditVigs->MetTitre(Item, Source->cTitre());
            plvEditVigs->MetBulle(Item, Source->cBulle());
        } else {
            plvEditVigs->MetTitre(Item, m_Modele.Enr(i).NomFichier());
        }
    }
}

void TfmEditCritImg::MetListes(const QStringList &Legendes, const QStringList &Descriptions)
{
    m_Legendes = Legendes;
    m_Descriptions = Descriptions;
    MajListes();
}

void TfmEditCritImg::MajListes()
{
    const QScopedValueRollback Garde(m_lChargement, true);
    TrieFrancais(m_Legendes);
    TrieFrancais(m_Descriptions);
    const QString cLegende = cbLegende->currentText();
    cbLegende->clear();
    cbLegende->addItems(m_Legendes);
    cbLegende->setEditText(cLegende);
    const QString cDescription = cbDescription->currentText();
    cbDescription->clear();
    // A description that cannot be changed offers no list to choose from.
    if (m_Edition.DescriptionModifiable())
        cbDescription->addItems(m_Descriptions);
    cbDescription->setEditText(cDescription);
}

void TfmEditCritImg::MetCriteresEnregistres(const QStringList &Noms)
{
    const QString c = cbCritEnreg->currentText();
    cbCritEnreg->clear();
    cbCritEnreg->addItems(Noms);
    cbCritEnreg->setEditText(c);
}

void TfmEditCritImg::ChargeValeurs(const QStringList &Chemins, const QString &cMotsCles, bool lCoupDeCoeur,
                                   const QString &cLegende, const QString &cDescription)
{
    TCochesCriteres Coches(m_Arbo);
    for (const QString &c : Chemins)
        Coches.CocherChemin(c);
    m_Edition.FixeCoches(Coches);
    m_Edition.FixeMotsCles(NormaliseMotsCles(cMotsCles));
    m_Edition.FixeCoupDeCoeur(lCoupDeCoeur);
    m_Edition.FixeLegende(cLegende);
    m_Edition.FixeDescription(cDescription);
    MontreValeurs();
    MajBoutons();
}

QString TfmEditCritImg::CaptionVignette() const
{
    if (const TPLVListItem *Item = plvEditVigs->Item(m_nLigne))
        return Item->cTitre();
    return m_nLigne >= 0 && m_nLigne < m_Modele.Nombre() ? m_Modele.Enr(m_nLigne).NomFichier() : QString();
}

void TfmEditCritImg::Charge(int nLigne)
{
    const QScopedValueRollback Garde(m_lChargement, true);
    m_nLigne = nLigne;
    const TEnrLV &Enr = m_Modele.Enr(nLigne);
    setWindowTitle(QStringLiteral("Edition des critères de %1 [%2x%3]")
                       .arg(Enr.CheminComplet())
                       .arg(Enr.nLargeur)
                       .arg(Enr.nHauteur));
    m_Edition.Charger(Enr);
    MontreImage();
    MontreValeurs();
    MajListes();
    if (!m_Classement.Parametres().lDeplEntArboCritHier) {
        // Only what is checked is opened.
        for (int i = 0; i < tvCriteres->topLevelItemCount(); ++i) {
            QTreeWidgetItem *Item = tvCriteres->topLevelItem(i);
            const bool lCoche = Item->checkState(0) == Qt::Checked;
            QList<QTreeWidgetItem *> Pile{Item};
            while (!Pile.isEmpty()) {
                QTreeWidgetItem *p = Pile.takeLast();
                p->setExpanded(lCoche);
                for (int j = 0; j < p->childCount(); ++j)
                    Pile << p->child(j);
            }
        }
    }
    if (QTreeWidgetItem *Premier = tvCriteres->topLevelItem(0)) {
        tvCriteres->setCurrentItem(Premier);
        tvCriteres->scrollToItem(Premier);
    }
    if (TPLVListItem *Item = plvEditVigs->Item(nLigne)) {
        plvEditVigs->Selectionne(Item);
        plvEditVigs->MontreItem(Item);
    }
    MajBoutons();
}

void TfmEditCritImg::MontreValeurs()
{
    const QScopedValueRollback Garde(m_lChargement, true);
    // Checked again path by path rather than copied, so that the tree's own revision moves on
    // and its hint is computed again.
    QStringList Chemins;
    m_Edition.Coches().ListerCritCoches(Chemins);
    TCochesCriteres &Coches = tvCriteres->Coches();
    Coches.DecocherTout();
    for (const QString &cChemin : std::as_const(Chemins))
        Coches.CocherChemin(cChemin);
    tvCriteres->ActualiseCoches();
    edMotsCles->setText(m_Edition.MotsCles());
    btCoupDeCoeur->setChecked(m_Edition.CoupDeCoeur());
    cbLegende->setEditText(m_Edition.Legende());
    cbLegende->setToolTip(m_Edition.HintLegende());
    cbDescription->setEditText(m_Edition.Description());
    cbDescription->setToolTip(m_Edition.HintDescription());
    // A CD image keeps its description: shown, never editable.
    cbDescription->lineEdit()->setReadOnly(!m_Edition.DescriptionModifiable());
}

void TfmEditCritImg::MontreImage()
{
    if (m_nLigne < 0)
        return;
    const TEnrLV &Enr = m_Modele.Enr(m_nLigne);
    const TPLVListItem *Vignette = plvEditVigs->Item(m_nLigne);
    QImage Image;
    if (btApercu->isChecked() && Enr.lExiste) {
        try {
            Image = ::ChargeImage(Enr.CheminComplet(), false, 0, false).Image;
            if (fnAppliqueTraitements)
                fnAppliqueTraitements(Image, Enr);
        } catch (const EImageIllisible &) {
            Image = ImageErreur(plvEditVigs->_ItemDim());
        }
    }
    if (Image.isNull())
        Image = Vignette && Vignette->AUneImage() ? Vignette->Vignette() : ImageErreur(plvEditVigs->_ItemDim());
    imImage->setPixmap(QPixmap::fromImage(Image));
    imImage->resize(Image.size());
    imImage->setToolTip(Vignette ? Vignette->cBulle() : QString());
    sbImage->horizontalScrollBar()->setValue(0);
    sbImage->verticalScrollBar()->setValue(0);
}

void TfmEditCritImg::MajBoutons()
{
    const bool lModifie = m_Edition.Modifie();
    btSvgCritsImgCour->setEnabled(lModifie);
    btSvgEtQuitter->setEnabled(lModifie);
    const bool lNavig = m_Modele.Nombre() >= 2;
    for (QPushButton *b : {btNavigPrem, btNavigPrec, btNavigSuiv, btNavigDern})
        b->setEnabled(lNavig);
}

void TfmEditCritImg::btRAZCritRechClick()
{
    m_Edition.RAZ();
    MontreValeurs();
    MajBoutons();
}

void TfmEditCritImg::btMotsClesClick()
{
    TfmEditMotsCles Fenetre(m_Messages, m_Classement.iniSetup(), edMotsCles->text(), this);
    if (Fenetre.exec() != QDialog::Accepted)
        return;
    m_Edition.FixeMotsCles(Fenetre.MotsCles());
    edMotsCles->setText(m_Edition.MotsCles());
    MajBoutons();
}

void TfmEditCritImg::Signale(const TResultatClassement &r)
{
    if (!r.Reussi())
        m_Messages.Erreur(this, r.cErreur);
}

void TfmEditCritImg::Sauvegarde()
{
    if (!m_Edition.Modifie())
        return;
    Signale(m_Edition.Sauvegarder(&m_Legendes, &m_Descriptions));
    MajListes();
    // The main grid's thumbnail may have a new hint by now.
    if (m_Grille && m_Grille->Nombre() == m_Modele.Nombre())
        if (const TPLVListItem *Source = m_Grille->Item(m_nLigne)) {
            plvEditVigs->MetBulle(plvEditVigs->Item(m_nLigne), Source->cBulle());
            imImage->setToolTip(Source->cBulle());
        }
    MajBoutons();
}

void TfmEditCritImg::QuitteImage()
{
    // Saved through the window so that a new legend joins its lists.
    if (!m_Edition.Modifie())
        return;
    if (cbSvgAutoQdNavig->isChecked()
        || m_Messages.Question(this, TEditionClassement::QuestionFermeture(CaptionVignette()), true,
                               QStringLiteral("Attention")))
        Sauvegarde();
}

void TfmEditCritImg::Navigue(int nLigne)
{
    if (nLigne < 0 || nLigne >= m_Modele.Nombre() || nLigne == m_nLigne)
        return;
    QuitteImage();
    Charge(nLigne);
}

void TfmEditCritImg::done(int nResultat)
{
    if (!m_lFermeture && m_Edition.Modifie()) {
        const QScopedValueRollback Garde(m_lFermeture, true);
        if (m_Messages.Question(this, TEditionClassement::QuestionFermeture(CaptionVignette()), true,
                                QStringLiteral("Attention")))
            Sauvegarde();
    }
    QDialog::done(nResultat);
}

bool TfmEditCritImg::eventFilter(QObject *Objet, QEvent *Evenement)
{
    if (Objet != imImage)
        return QDialog::eventFilter(Objet, Evenement);
    // A picture larger than its box is scrolled by dragging it.
    const auto Deborde = [this] {
        return imImage->width() > sbImage->viewport()->width() || imImage->height() > sbImage->viewport()->height();
    };
    switch (Evenement->type()) {
    case QEvent::MouseButtonPress: {
        auto *e = static_cast<QMouseEvent *>(Evenement);
        if (e->button() == Qt::LeftButton && Deborde()) {
            m_lGlisse = true;
            m_ptGlisse = e->globalPosition().toPoint();
            imImage->setCursor(Qt::ClosedHandCursor);
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        auto *e = static_cast<QMouseEvent *>(Evenement);
        if (m_lGlisse) {
            const QPoint d = e->globalPosition().toPoint() - m_ptGlisse;
            m_ptGlisse = e->globalPosition().toPoint();
            sbImage->horizontalScrollBar()->setValue(sbImage->horizontalScrollBar()->value() - d.x());
            sbImage->verticalScrollBar()->setValue(sbImage->verticalScrollBar()->value() - d.y());
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (m_lGlisse) {
            m_lGlisse = false;
            imImage->unsetCursor();
            return true;
        }
        break;
    default: break;
    }
    return QDialog::eventFilter(Objet, Evenement);
}
