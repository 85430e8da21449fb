#include "classification/LegendesRech_fm.h"

#include "classification/Classement.h"
#include "classification/IconesArbres.h"
#include "classification/MotsCles.h"
#include "classification/Recherche_fm.h"
#include "storage/Contexte.h"

#include <QComboBox>
#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringListModel>

namespace
{
QLabel *Icone(QWidget *Parent, const char *cNom, int nIndex)
{
    auto *im = new QLabel(Parent);
    im->setObjectName(QLatin1String(cNom));
    im->setPixmap(QPixmap::fromImage(IconesArbres::ImageIntegree(nIndex)));
    im->setFixedSize(IconesArbres::nTaille + 4, IconesArbres::nTaille + 4);
    im->setAlignment(Qt::AlignCenter);
    return im;
}
} // namespace

TLegendesRechKX::TLegendesRechKX(TRechercheKX &Recherche, TContexte &Contexte)
    : QObject(&Recherche), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("LegendesRech"));
    const TEnrParametres &P = Contexte.Parametres;
    auto Boite = [this, &P](QWidget *Ligne, const char *cNom, QStringListModel *Modele, int nLargeur,
                            const QString &cTitre) {
        auto *cb = new QComboBox(Ligne);
        cb->setObjectName(QLatin1String(cNom));
        cb->setEditable(true);
        cb->setInsertPolicy(QComboBox::NoInsert);
        // One model: a list of thousands of legends is set in one go.
        cb->setModel(Modele);
        cb->setCurrentIndex(-1);
        if (P.lLegComplSaisie) {
            cb->completer()->setCaseSensitivity(Qt::CaseInsensitive);
            cb->completer()->setCompletionMode(QCompleter::InlineCompletion);
        } else {
            cb->setCompleter(nullptr);
        }
        cb->setToolTip(cTitre);
        connect(cb, &QComboBox::editTextChanged, cb, [cb, nLargeur, cTitre](const QString &c) {
            const QString cBulle = TexteLegende(cTitre, c, nLargeur);
            cb->setToolTip(cBulle.isEmpty() ? cTitre : cBulle);
        });
        Ligne->layout()->addWidget(cb);
        return cb;
    };
    m_ModeleLeg = new QStringListModel(this);
    m_ModeleDes = new QStringListModel(this);
    imCritLeg = Icone(Recherche.pnLegendeRech, "imCritLeg", IconesArbres::nLegende);
    Recherche.pnLegendeRech->layout()->addWidget(imCritLeg);
    cbCritLeg = Boite(Recherche.pnLegendeRech, "cbCritLeg", m_ModeleLeg, P.nAffLegMaxCarLig, QStringLiteral("Légende"));
    imCritDes = Icone(Recherche.pnDescriptionRech, "imCritDes", IconesArbres::nDescription);
    Recherche.pnDescriptionRech->layout()->addWidget(imCritDes);
    cbCritDes = Boite(Recherche.pnDescriptionRech, "cbCritDes", m_ModeleDes, 200, QStringLiteral("Description"));
    Recherche.pnDescriptionRech->setVisible(P.lTrtDescription);
    // The favourite mark is both a search value and what the application writes.
    Recherche.btCritCDC->setToolTip(QStringLiteral("Coup de coeur"));
    Recherche.btCritCDC->setEnabled(true);
    ChargeLegendes();
}

void TLegendesRechKX::ChargeLegendes()
{
    const QString c = cbCritLeg->currentText();
    m_ModeleLeg->setStringList(m_Contexte.Parametres.lPreRemplCBLeg && m_Contexte.iniSetup
                                   ? ListeLegendes(*m_Contexte.iniSetup)
                                   : QStringList());
    cbCritLeg->setCurrentIndex(-1);
    cbCritLeg->setEditText(c);
}

QStringList TLegendesRechKX::Legendes() const
{
    return m_ModeleLeg->stringList();
}

QStringList TLegendesRechKX::Descriptions() const
{
    return m_ModeleDes->stringList();
}

void TLegendesRechKX::Ajoute(QComboBox *Boite, QStringListModel *Modele, const QString &cTexte)
{
    QStringList l = Modele->stringList();
    if (cTexte.trimmed().isEmpty() || !AjouteSansDoublon(l, cTexte.trimmed()))
        return;
    TrieFrancais(l);
    const QString c = Boite->currentText();
    Modele->setStringList(l);
    Boite->setCurrentIndex(-1);
    Boite->setEditText(c);
}

void TLegendesRechKX::AjouteLegende(const QString &cLegende)
{
    Ajoute(cbCritLeg, m_ModeleLeg, cLegende);
}

void TLegendesRechKX::AjouteDescription(const QString &cDescription)
{
    Ajoute(cbCritDes, m_ModeleDes, cDescription);
}
