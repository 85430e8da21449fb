#include "classification/MemoEtat_fm.h"

#include "classification/MemoEtat.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"

#include <QBoxLayout>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QTabWidget>

TMemoEtatKX::TMemoEtatKX(TfmMainKX &Main, TContexte &Contexte, const TClassement &Classement)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte), m_Classement(Classement)
{
    setObjectName(QStringLiteral("MemoEtat"));
    pcEtat = Main.PanneauEtat();
    if (!pcEtat)
        return;
    // The tabs only choose what the one memo below them shows: their pages stay empty.
    pcEtat->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    mmEtat = new QPlainTextEdit(pcEtat->parentWidget());
    mmEtat->setObjectName(QStringLiteral("mmEtat"));
    mmEtat->setReadOnly(true);
    mmEtat->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    mmEtat->setFrameShape(QFrame::NoFrame);
    if (auto *Disposition = qobject_cast<QBoxLayout *>(pcEtat->parentWidget()->layout()))
        Disposition->addWidget(mmEtat, 1);
    ConstruitOnglets();

    connect(pcEtat, &QTabWidget::currentChanged, this, &TMemoEtatKX::RemplitMemoEtat);
    TSelectionKX &Selection = Main.Selection();
    connect(&Selection, &TSelectionKX::CouranteChange, this, &TMemoEtatKX::RemplitMemoEtat);
    connect(&Selection, &TSelectionKX::ListeConstruite, this, &TMemoEtatKX::RemplitMemoEtat);
    for (auto Signal : {&TSelectionKX::ClassementChange, &TSelectionKX::ImageChange})
        connect(&Selection, Signal, this, [this](const QString &cCle) {
            if (cCle == m_Main.Selection().CleCourante())
                RemplitMemoEtat();
        });
    RemplitMemoEtat();
}

void TMemoEtatKX::ConstruitOnglets()
{
    const bool lDescription = m_Contexte.Parametres.lTrtDescription;
    if (m_lOngletsFaits && lDescription == m_lOngletsDescription)
        return;
    const QSignalBlocker Bloque(pcEtat);
    while (pcEtat->count() > 0) {
        QWidget *Page = pcEtat->widget(0);
        pcEtat->removeTab(0);
        delete Page;
    }
    const QStringList Onglets = OngletsMemoEtat(lDescription);
    for (int i = 0; i < Onglets.size(); ++i) {
        auto *Page = new QWidget;
        Page->setFixedHeight(0);
        pcEtat->addTab(Page, Onglets[i]);
        pcEtat->tabBar()->setTabTextColor(i, CouleurContenuMemoEtat(ContenuOngletMemoEtat(i, lDescription)));
    }
    pcEtat->setCurrentIndex(0);
    pcEtat->setFixedHeight(pcEtat->tabBar()->sizeHint().height());
    m_lOngletsDescription = lDescription;
    m_lOngletsFaits = true;
}

void TMemoEtatKX::RemplitMemoEtat()
{
    if (!pcEtat || !mmEtat)
        return;
    ConstruitOnglets();
    const int nContenu = ContenuOngletMemoEtat(pcEtat->currentIndex(), m_lOngletsDescription);
    const TMemoEtat m = ::RemplitMemoEtat(m_Main.Selection().EnrCourant(), nContenu, m_Classement);
    QPalette p = mmEtat->palette();
    p.setColor(QPalette::Text, m.Couleur);
    mmEtat->setPalette(p);
    if (mmEtat->toPlainText() != m.cTexte)
        mmEtat->setPlainText(m.cTexte);
    mmEtat->setToolTip(m.cBulle);
}

TMemoEtatKX *InstalleMemoEtat(TfmMainKX &Main, TContexte &Contexte, const TClassement &Classement)
{
    return new TMemoEtatKX(Main, Contexte, Classement);
}
