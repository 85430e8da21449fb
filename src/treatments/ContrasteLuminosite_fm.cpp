#include "treatments/ContrasteLuminosite_fm.h"

#include "treatments/BoutonsOKAnnuler_fm.h"
#include "treatments/CurseurChiffre_fm.h"
#include "treatments/Traitements.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace
{
// One group's box: three pairs, "Synchroniser" and "RAZ"; cPrefixe names the controls.
QGroupBox *CreeGroupe(QWidget *Parent, const QString &cTitre, const QString &cPrefixe,
                      std::array<TCurseurChiffre, 3> &Paires, QCheckBox *&cb, QPushButton *&bt)
{
    auto *gb = new QGroupBox(cTitre, Parent);
    gb->setObjectName(QStringLiteral("gb")
                      + (cPrefixe == u"Cont" ? QStringLiteral("Contraste") : QStringLiteral("Luminosite")));
    auto *Grille = new QGridLayout(gb);
    const QString cLibelles[3] = {QStringLiteral("Rouge"), QStringLiteral("Vert"), QStringLiteral("Bleu")};
    for (int i = 0; i < 3; ++i)
        Paires[i] = CreeCurseurChiffre(gb, Grille, i, cLibelles[i], -100, 100,
                                       QStringLiteral("tb%1PCT%2").arg(cPrefixe, cLibelles[i]),
                                       QStringLiteral("ed%1PCT%2").arg(cPrefixe, cLibelles[i]));
    cb = new QCheckBox(QStringLiteral("Synchroniser"), gb);
    cb->setObjectName(QStringLiteral("cb%1Synchro").arg(cPrefixe));
    bt = new QPushButton(QStringLiteral("RAZ"), gb);
    bt->setObjectName(QStringLiteral("bt%1RAZ").arg(cPrefixe));
    Grille->addWidget(cb, 3, 1);
    Grille->addWidget(bt, 3, 2);
    return gb;
}
} // namespace

TfmContrasteLuminosite::TfmContrasteLuminosite(const QString &cParam, bool lSynchroC, bool lSynchroL, QWidget *Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("fmContrasteLuminosite"));
    setWindowTitle(QStringLiteral("Contraste, Lumiosité (en %)"));
    setModal(true);

    std::array<TCurseurChiffre, 3> c, l;
    gbContraste = CreeGroupe(this, QStringLiteral("&Contraste"), QStringLiteral("Cont"), c, cbContSynchro, btContRAZ);
    gbLuminosite = CreeGroupe(this, QStringLiteral("&Luminosité"), QStringLiteral("Lum"), l, cbLumSynchro, btLumRAZ);
    tbContPCTRouge = c[0].tb, tbContPCTVert = c[1].tb, tbContPCTBleu = c[2].tb;
    edContPCTRouge = c[0].ed, edContPCTVert = c[1].ed, edContPCTBleu = c[2].ed;
    tbLumPCTRouge = l[0].tb, tbLumPCTVert = l[1].tb, tbLumPCTBleu = l[2].tb;
    edLumPCTRouge = l[0].ed, edLumPCTVert = l[1].ed, edLumPCTBleu = l[2].ed;
    m_Cont = TGroupe{{edContPCTRouge, edContPCTVert, edContPCTBleu}, cbContSynchro};
    m_Lum = TGroupe{{edLumPCTRouge, edLumPCTVert, edLumPCTBleu}, cbLumSynchro};

    const TBoutonsOKAnnuler Bas = CreeBoutonsOKAnnuler(this);
    btOK = Bas.btOK, btAnnuler = Bas.btAnnuler;
    auto *Principal = new QVBoxLayout(this);
    Principal->addWidget(gbContraste);
    Principal->addWidget(gbLuminosite);
    Principal->addLayout(Bas.Ligne);
    Principal->setSizeConstraint(QLayout::SetFixedSize);

    // The stored values are shown as they are, even when the stored flags would have kept
    // them equal; checking a box afterwards aligns them.
    const TParamCL p = LitParamCL(cParam);
    for (int i = 0; i < 3; ++i) {
        m_Cont.ed[i]->setValue(p.nContraste[i]);
        m_Lum.ed[i]->setValue(p.nLuminosite[i]);
    }
    cbContSynchro->setChecked(lSynchroC);
    cbLumSynchro->setChecked(lSynchroL);
    MetAJour();

    for (const TGroupe *g : {&m_Cont, &m_Lum}) {
        for (QSpinBox *ed : g->ed)
            connect(ed, &QSpinBox::valueChanged, this, [this, g](int n) { ValeurModifiee(*g, n); });
        connect(g->cb, &QCheckBox::toggled, this, [this, g](bool lCoche) { SynchroCochee(*g, lCoche); });
    }
    connect(btContRAZ, &QPushButton::clicked, this, [this] { RAZ(m_Cont); });
    connect(btLumRAZ, &QPushButton::clicked, this, [this] { RAZ(m_Lum); });
}

QString TfmContrasteLuminosite::cParametre() const
{
    TParamCL p;
    for (int i = 0; i < 3; ++i) {
        p.nContraste[i] = m_Cont.ed[i]->value();
        p.nLuminosite[i] = m_Lum.ed[i]->value();
    }
    return TexteParamCL(p);
}

bool TfmContrasteLuminosite::lSynchroC() const
{
    return cbContSynchro->isChecked();
}

bool TfmContrasteLuminosite::lSynchroL() const
{
    return cbLumSynchro->isChecked();
}

void TfmContrasteLuminosite::ValeurModifiee(const TGroupe &g, int nValeur)
{
    if (m_lSynchronise)
        return;
    if (g.cb->isChecked()) {
        // One change, however many controls it moves: the preview is told once.
        m_lSynchronise = true;
        for (QSpinBox *ed : g.ed)
            ed->setValue(nValeur);
        m_lSynchronise = false;
    }
    MetAJour();
}

void TfmContrasteLuminosite::SynchroCochee(const TGroupe &g, bool lCoche)
{
    if (lCoche)
        ValeurModifiee(g, g.ed[0]->value());
}

void TfmContrasteLuminosite::RAZ(const TGroupe &g)
{
    m_lSynchronise = true;
    for (QSpinBox *ed : g.ed)
        ed->setValue(0);
    m_lSynchronise = false;
    MetAJour();
}

void TfmContrasteLuminosite::MetAJour()
{
    bool lNonNul = false;
    for (const TGroupe *g : {&m_Cont, &m_Lum})
        for (const QSpinBox *ed : g->ed)
            lNonNul = lNonNul || ed->value() != 0;
    btOK->setEnabled(lNonNul);
    emit ParametreModifie(cParametre());
}
