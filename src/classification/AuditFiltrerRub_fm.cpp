#include "classification/AuditFiltrerRub_fm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

QIcon GlypheFiltreAudit(int nImage)
{
    // A funnel: grey and hollow without filter, filled in orange while a filter holds.
    QPixmap Pixmap(16, 16);
    Pixmap.fill(Qt::transparent);
    QPainter p(&Pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath Entonnoir;
    Entonnoir.moveTo(1.5, 2.5);
    Entonnoir.lineTo(14.5, 2.5);
    Entonnoir.lineTo(9.5, 8.5);
    Entonnoir.lineTo(9.5, 14.5);
    Entonnoir.lineTo(6.5, 12.5);
    Entonnoir.lineTo(6.5, 8.5);
    Entonnoir.closeSubpath();
    if (nImage == 1) {
        p.setPen(QPen(QColor(160, 60, 0), 1));
        p.setBrush(QColor(255, 140, 0));
    } else {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::NoBrush);
    }
    p.drawPath(Entonnoir);
    p.end();
    return QIcon(Pixmap);
}

TfmExploreBDDAuditFiltrerRub::TfmExploreBDDAuditFiltrerRub(const TSelectionsAudit &Selections, QWidget *Parent)
    : QDialog(Parent), m_Selections(Selections)
{
    setObjectName(QStringLiteral("fmExploreBDDAuditFiltrerRub"));
    setWindowTitle(QStringLiteral("Filtrer les Rubriques"));
    setModal(true);
    auto *Colonne = new QVBoxLayout(this);
    auto *Grille = new QGridLayout;
    Colonne->addLayout(Grille, 1);

    struct TBoite
    {
        TRubriqueAudit r;
        const char *cNom;
        const char16_t *cTitre;
        QListWidget **pListe;
    };
    const TBoite Boites[] = {
        {TRubriqueAudit::Critere, "lbCritHier", u"&Critères hiérarchiques (et leurs enfants)", &lbCritHier},
        {TRubriqueAudit::MotCle, "lbMC", u"&Mots-clés", &lbMC},
        {TRubriqueAudit::Traitement, "lbTrt", u"&Traitements", &lbTrt},
        {TRubriqueAudit::Appareil, "lbEXIF", u"&Appareil (EXIF)", &lbEXIF},
        {TRubriqueAudit::AlbumImages, "lbAlbImg", u"Albums d'images", &lbAlbImg},
        {TRubriqueAudit::AlbumWEBPerso, "lbAlbWHP", u"Albums WEB hiérarchiques personnels", &lbAlbWHP},
    };
    int nBoite = 0;
    for (const TBoite &b : Boites) {
        const size_t i = size_t(b.r);
        auto *Boite = new QGroupBox(this);
        auto *Disposition = new QVBoxLayout(Boite);
        // The group box's title cannot carry a mnemonic for its list; a buddy label does.
        auto *Etiquette = new QLabel(QString::fromUtf16(b.cTitre), Boite);
        auto *Liste = new QListWidget(Boite);
        Liste->setObjectName(QLatin1String(b.cNom));
        Etiquette->setBuddy(Liste);
        *b.pListe = Liste;
        m_Listes[i] = Liste;
        auto *Boutons = new QHBoxLayout;
        m_Tous[i] = new QPushButton(QStringLiteral("Tous"), Boite);
        m_Aucun[i] = new QPushButton(QStringLiteral("Aucun"), Boite);
        m_Tous[i]->setObjectName(QLatin1String(b.cNom) + QStringLiteral("Tous"));
        m_Aucun[i]->setObjectName(QLatin1String(b.cNom) + QStringLiteral("Aucun"));
        Boutons->addWidget(m_Tous[i]);
        Boutons->addWidget(m_Aucun[i]);
        Boutons->addStretch(1);
        Disposition->addWidget(Etiquette);
        Disposition->addWidget(Liste, 1);
        Disposition->addLayout(Boutons);
        Grille->addWidget(Boite, nBoite / 3, nBoite % 3);
        ++nBoite;

        m_lRemplissage = true;
        const TGroupesRubrique &g = m_Selections.Rubriques[i];
        const QSet<QString> Choisis(g.Selection.begin(), g.Selection.end());
        for (const QString &c : g.Tous) {
            auto *Item = new QListWidgetItem(c, Liste);
            Item->setFlags(Item->flags() | Qt::ItemIsUserCheckable);
            const bool lCoche = Choisis.contains(c);
            Item->setCheckState(lCoche ? Qt::Checked : Qt::Unchecked);
            Item->setData(Qt::UserRole, lCoche);
            m_Comptes[i] += lCoche ? 1 : 0;
        }
        if (Liste->count() > 0)
            Liste->setCurrentRow(0);
        m_lRemplissage = false;
        connect(Liste, &QListWidget::itemChanged, this,
                [this, r = b.r](QListWidgetItem *Item) { ItemChange(r, Item); });
        connect(m_Tous[i], &QPushButton::clicked, this, [this, r = b.r] { CocheTout(r, true); });
        connect(m_Aucun[i], &QPushButton::clicked, this, [this, r = b.r] { CocheTout(r, false); });
    }

    auto *Commandes = new QHBoxLayout;
    btPasDeFiltre = new QPushButton(QStringLiteral("&Pas de Filtre"), this);
    btPasDeFiltre->setObjectName(QStringLiteral("btPasDeFiltre"));
    cbGenereAuditAprValidFlt = new QCheckBox(QStringLiteral("&Générer l'Audit après validation"), this);
    cbGenereAuditAprValidFlt->setObjectName(QStringLiteral("cbGenereAuditAprValidFlt"));
    cbGenereAuditAprValidFlt->setChecked(false);
    btOK = new QPushButton(QStringLiteral("OK"), this);
    btOK->setObjectName(QStringLiteral("btOK"));
    btOK->setDefault(true);
    btAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    btAnnuler->setObjectName(QStringLiteral("btAnnuler"));
    Commandes->addWidget(btPasDeFiltre);
    Commandes->addWidget(cbGenereAuditAprValidFlt);
    Commandes->addStretch(1);
    Commandes->addWidget(btOK);
    Commandes->addWidget(btAnnuler);
    Colonne->addLayout(Commandes);
    connect(btPasDeFiltre, &QPushButton::clicked, this, [this] {
        for (int i = 0; i < nNbRubriquesAudit; ++i)
            CocheTout(TRubriqueAudit(i), true);
    });
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    resize(760, 520);
    MajOK();
}

void TfmExploreBDDAuditFiltrerRub::CocheTout(TRubriqueAudit r, bool lCoche)
{
    QListWidget *Liste = m_Listes[size_t(r)];
    m_lRemplissage = true;
    for (int i = 0; i < Liste->count(); ++i) {
        Liste->item(i)->setCheckState(lCoche ? Qt::Checked : Qt::Unchecked);
        Liste->item(i)->setData(Qt::UserRole, lCoche);
    }
    m_lRemplissage = false;
    m_Comptes[size_t(r)] = lCoche ? Liste->count() : 0;
    MajOK();
}

void TfmExploreBDDAuditFiltrerRub::ItemChange(TRubriqueAudit r, QListWidgetItem *Item)
{
    if (m_lRemplissage)
        return;
    // itemChanged fires for every role: the item keeps the state last counted.
    const bool lCoche = Item->checkState() == Qt::Checked;
    const bool lEtait = Item->data(Qt::UserRole).toBool();
    m_lRemplissage = true;
    Item->setData(Qt::UserRole, lCoche);
    m_lRemplissage = false;
    if (lCoche != lEtait)
        m_Comptes[size_t(r)] += lCoche ? 1 : -1;
    MajOK();
}

void TfmExploreBDDAuditFiltrerRub::MajOK()
{
    int nTotal = 0;
    for (int n : m_Comptes)
        nTotal += n;
    btOK->setEnabled(nTotal > 0);
}

TSelectionsAudit TfmExploreBDDAuditFiltrerRub::Selections() const
{
    TSelectionsAudit s = m_Selections;
    for (size_t i = 0; i < size_t(nNbRubriquesAudit); ++i) {
        QStringList Choisis;
        for (int k = 0; k < m_Listes[i]->count(); ++k)
            if (m_Listes[i]->item(k)->checkState() == Qt::Checked)
                Choisis << m_Listes[i]->item(k)->text();
        s.Rubriques[i].Selection = Choisis;
    }
    return s;
}

bool TfmExploreBDDAuditFiltrerRub::GenererApres() const
{
    return cbGenereAuditAprValidFlt->isChecked();
}
