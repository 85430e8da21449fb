#include "publishing/BulleImage_fm.h"

#include "classification/Classement.h"
#include "components/PaneledListView.h"
#include "components/PanneauImage.h"
#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"

TBulleImageKX::TBulleImageKX(TfmMainKX &Main, TContexte &Contexte, const TClassement *Classement)
    : QObject(&Main), m_Main(Main), m_Contexte(Contexte)
{
    setObjectName(QStringLiteral("BulleImage"));
    Sources.iniSetup = Contexte.iniSetup.get();
    Sources.Parametres = &Contexte.Parametres;
    if (Classement)
        Sources.fnBlocClassement = [Classement](const TEnrLV &e) { return Classement->BlocHintClassement(e); };
    if (Contexte.iniSetup) {
        m_pIndexWEB = std::make_unique<TIndexAlbumsWEBPerso>(*Contexte.iniSetup);
        Sources.fnAlbumsWEBPerso = [Index = m_pIndexWEB.get()](const QString &cCle) { return Index->Albums(cCle); };
    }

    TSelectionKX &Selection = Main.Selection();
    TModeleListeImages &Modele = Selection.Modele();
    Modele.fnBulle = [this](const TEnrLV &e) { return m_Contexte.Parametres.lAffHintDsLVImgs ? Bulle(e) : QString(); };
    if (TPaneledListView *Grille = Main.Grille())
        Grille->fnBulle = [this, &Modele](int n) {
            return n >= 0 && n < Modele.Nombre() ? Bulle(Modele.Enr(n)) : QString();
        };
    connect(&Selection, &TSelectionKX::CouranteChange, this, &TBulleImageKX::MajBullePanneau);
    connect(&Selection, &TSelectionKX::ListeConstruite, this, &TBulleImageKX::MajBullePanneau);
    for (auto Signal : {&TSelectionKX::ClassementChange, &TSelectionKX::ImageChange})
        connect(&Selection, Signal, this, [this](const QString &cCle) {
            if (cCle == m_Main.Selection().CleCourante())
                MajBullePanneau();
        });
    MajBullePanneau();
}

QString TBulleImageKX::Bulle(const TEnrLV &Enr) const
{
    return TexteBulleImage(Enr, Sources);
}

void TBulleImageKX::MajBullePanneau()
{
    TPanneauImage *Panneau = m_Main.PanneauImage();
    if (!Panneau)
        return;
    const TEnrLV *pEnr = m_Main.Selection().EnrCourant();
    Panneau->viewport()->setToolTip(pEnr ? Bulle(*pEnr) : QString());
}

TBulleImageKX *InstalleBulleImage(TfmMainKX &Main, TContexte &Contexte, const TClassement *Classement)
{
    return new TBulleImageKX(Main, Contexte, Classement);
}
