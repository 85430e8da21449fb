#include "treatments/Canaux_fm.h"

#include "treatments/BoutonsOKAnnuler_fm.h"
#include "treatments/Traitements.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfmCanaux::TfmCanaux(const QString &cParam, QWidget *Parent) : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmCanaux"));
    setWindowTitle(QStringLiteral("Canaux"));
    setModal(true);

    const struct
    {
        QChar cLettre;
        const char *cNomGroupe;
        QList<const char *> cNoms;
    } Defs[] = {
        {cGroupeDominantes,
         "gbDominantes",
         {"btDomRouge", "btDomVerte", "btDomBleue", "btDomViolette", "btDomJaune", "btDomCyan"}},
        {cGroupeAffectations,
         "gbAffectations",
         {"btAffRougeVert", "btAffRougeBleu", "btAffVertRouge", "btAffVertBleu", "btAffBleuRouge", "btAffBleuVert"}},
        {cGroupeInversions, "gbInversions", {"btInvRougeVert", "btInvRougeBleu", "btInvVertBleu"}},
    };
    for (const auto &d : Defs) {
        TGroupe g{d.cLettre, new QGroupBox(NomGroupeCanaux(d.cLettre), this), {}};
        g.gb->setObjectName(QString::fromLatin1(d.cNomGroupe));
        g.gb->setAutoFillBackground(true);
        auto *Grille = new QGridLayout(g.gb);
        for (int i = 0; i < d.cNoms.size(); ++i) {
            auto *bt = new QPushButton(LibelleChoixCanaux(d.cLettre, i + 1), g.gb);
            bt->setObjectName(QString::fromLatin1(d.cNoms[i]));
            bt->setCheckable(true);
            bt->setAutoDefault(false);
            bt->setMinimumWidth(110);
            Grille->addWidget(bt, i / 3, i % 3);
            g.Boutons.append(bt);
        }
        m_Groupes.append(g);
    }
    const QList<QPushButton *> &d = m_Groupes[0].Boutons, &a = m_Groupes[1].Boutons, &v = m_Groupes[2].Boutons;
    gbDominantes = m_Groupes[0].gb, gbAffectations = m_Groupes[1].gb, gbInversions = m_Groupes[2].gb;
    btDomRouge = d[0], btDomVerte = d[1], btDomBleue = d[2], btDomViolette = d[3], btDomJaune = d[4], btDomCyan = d[5];
    btAffRougeVert = a[0], btAffRougeBleu = a[1], btAffVertRouge = a[2], btAffVertBleu = a[3], btAffBleuRouge = a[4],
    btAffBleuVert = a[5];
    btInvRougeVert = v[0], btInvRougeBleu = v[1], btInvVertBleu = v[2];

    gbOrdre = new QGroupBox(QStringLiteral("Ordre"), this);
    gbOrdre->setObjectName(QStringLiteral("gbOrdre"));
    lbOrdre = new QListWidget(gbOrdre);
    lbOrdre->setObjectName(QStringLiteral("lbOrdre"));
    lbOrdre->setFixedHeight(lbOrdre->fontMetrics().height() * 3 + 4 * lbOrdre->frameWidth() + 6);
    lbOrdre->setMaximumWidth(140);
    btOrdreHaut = new QPushButton(QStringLiteral("&Monter"), gbOrdre);
    btOrdreHaut->setObjectName(QStringLiteral("btOrdreHaut"));
    btOrdreBas = new QPushButton(QStringLiteral("&Descendre"), gbOrdre);
    btOrdreBas->setObjectName(QStringLiteral("btOrdreBas"));
    for (QPushButton *bt : {btOrdreHaut, btOrdreBas})
        bt->setAutoDefault(false);
    auto *OrdreLayout = new QVBoxLayout(gbOrdre);
    OrdreLayout->addWidget(lbOrdre);
    OrdreLayout->addWidget(btOrdreHaut);
    OrdreLayout->addWidget(btOrdreBas);
    OrdreLayout->addStretch();

    const TBoutonsOKAnnuler Bas = CreeBoutonsOKAnnuler(this);
    btOK = Bas.btOK, btAnnuler = Bas.btAnnuler;

    m_Colonne = new QVBoxLayout;
    auto *Haut = new QHBoxLayout;
    Haut->addLayout(m_Colonne);
    Haut->addWidget(gbOrdre);
    auto *Principal = new QVBoxLayout(this);
    Principal->addLayout(Haut);
    Principal->addLayout(Bas.Ligne);
    Principal->setSizeConstraint(QLayout::SetFixedSize);

    // The order: the known letters as stored, each once, then the missing ones.
    QString cOrdre;
    const TParamCanaux p = LitParamCanaux(cParam);
    for (const TGroupeCanaux &gc : p.Groupes)
        if (GroupeDe(gc.cLettre) && !cOrdre.contains(gc.cLettre)) {
            cOrdre += gc.cLettre;
            const int n = gc.nChiffre;
            TGroupe &g = *GroupeDe(gc.cLettre);
            if (n >= 1 && n <= g.Boutons.size())
                g.Boutons[n - 1]->setChecked(true);
        }
    for (const TGroupe &g : m_Groupes)
        if (!cOrdre.contains(g.cLettre))
            cOrdre += g.cLettre;
    for (const QChar c : cOrdre) {
        auto *Item = new QListWidgetItem(NomGroupeCanaux(c), lbOrdre);
        Item->setData(Qt::UserRole, QString(c));
    }
    lbOrdre->setCurrentRow(0);
    DisposeGroupes();
    MetAJour();

    for (TGroupe &g : m_Groupes)
        for (QPushButton *bt : g.Boutons)
            connect(bt, &QPushButton::toggled, this, [this, &g, bt](bool lEnfonce) { BoutonBascule(g, bt, lEnfonce); });
    connect(lbOrdre, &QListWidget::currentRowChanged, this, &TfmCanaux::EtatBoutonsOrdre);
    connect(btOrdreHaut, &QPushButton::clicked, this, [this] { DeplaceOrdre(-1); });
    connect(btOrdreBas, &QPushButton::clicked, this, [this] { DeplaceOrdre(1); });
}

TfmCanaux::TGroupe *TfmCanaux::GroupeDe(QChar cLettre)
{
    for (TGroupe &g : m_Groupes)
        if (g.cLettre == cLettre)
            return &g;
    return nullptr;
}

QString TfmCanaux::cParametre() const
{
    TParamCanaux p;
    for (int i = 0; i < 3 && i < lbOrdre->count(); ++i) {
        const QChar c = lbOrdre->item(i)->data(Qt::UserRole).toString().at(0);
        int nChiffre = 0;
        for (const TGroupe &g : m_Groupes)
            if (g.cLettre == c)
                for (int k = 0; k < g.Boutons.size(); ++k)
                    if (g.Boutons[k]->isChecked())
                        nChiffre = k + 1;
        p.Groupes[i] = TGroupeCanaux{c, nChiffre};
    }
    return TexteParamCanaux(p);
}

void TfmCanaux::BoutonBascule(TGroupe &g, QPushButton *bt, bool lEnfonce)
{
    if (lEnfonce)
        for (QPushButton *Autre : g.Boutons)
            if (Autre != bt && Autre->isChecked()) {
                const QSignalBlocker Bloque(Autre);
                Autre->setChecked(false);
            }
    MetAJour();
}

void TfmCanaux::DeplaceOrdre(int nSens)
{
    const int n = lbOrdre->currentRow(), m = n + nSens;
    if (n < 0 || m < 0 || m >= lbOrdre->count())
        return;
    QListWidgetItem *Item = lbOrdre->takeItem(n);
    lbOrdre->insertItem(m, Item);
    lbOrdre->setCurrentRow(m);
    DisposeGroupes();
    MetAJour();
}

void TfmCanaux::DisposeGroupes()
{
    for (int i = 0; i < lbOrdre->count(); ++i) {
        TGroupe *g = GroupeDe(lbOrdre->item(i)->data(Qt::UserRole).toString().at(0));
        m_Colonne->removeWidget(g->gb);
        m_Colonne->insertWidget(i, g->gb);
    }
}

void TfmCanaux::MetAJour()
{
    bool lUnEnfonce = false;
    for (TGroupe &g : m_Groupes) {
        bool lEnfonce = false;
        for (const QPushButton *bt : g.Boutons)
            lEnfonce = lEnfonce || bt->isChecked();
        lUnEnfonce = lUnEnfonce || lEnfonce;
        QPalette Palette = g.gb->palette();
        Palette.setColor(QPalette::Window, palette().color(lEnfonce ? QPalette::Button : QPalette::Dark));
        g.gb->setPalette(Palette);
    }
    EtatBoutonsOrdre();
    btOK->setEnabled(lUnEnfonce);
    emit ParametreModifie(cParametre());
}

void TfmCanaux::EtatBoutonsOrdre()
{
    const int n = lbOrdre->currentRow();
    btOrdreHaut->setEnabled(n > 0);
    btOrdreBas->setEnabled(n >= 0 && n < lbOrdre->count() - 1);
}
