#include "treatments/DialoguesTrt_fm.h"

#include "components/PanneauImage.h"
#include "exploration/AfficheImage_fm.h"
#include "mainwindow/MainKX_fm.h"
#include "storage/Contexte.h"
#include "treatments/Canaux_fm.h"
#include "treatments/ContrasteLuminosite_fm.h"
#include "treatments/NoirEtBlanc_fm.h"
#include "treatments/ParamsTrt.h"

#include <functional>

namespace
{
void Memorise(TContexte &Contexte, QWidget *Parent, const TDerniersParamsTrt &d)
{
    if (!EnregistreDerniersParamsTrt(d, Contexte.Parametres, *Contexte.iniSetup) && Contexte.Messages)
        Contexte.Messages->Erreur(Parent, MessageEchecEnregistrementParams(Contexte.iniSetup->FileName()));
}

// Runs fm; once accepted, keeps its text in the member pParam of the last parameters, with what
// fnAussi adds, and returns the text.
template <class TFm>
std::optional<QString> Retient(TContexte &Contexte, QWidget *Parent, TFm &fm, QString TDerniersParamsTrt::*pParam,
                               const std::function<void(TDerniersParamsTrt &)> &fnAussi = {})
{
    if (fm.exec() != QDialog::Accepted)
        return std::nullopt;
    TDerniersParamsTrt d = DerniersParamsTrt(Contexte.Parametres);
    d.*pParam = fm.cParametre();
    if (fnAussi)
        fnAussi(d);
    Memorise(Contexte, Parent, d);
    return d.*pParam;
}
} // namespace

std::optional<QString> DemandeParamNB(TContexte &Contexte, QWidget *Parent, const TSourceApercu &fnSource)
{
    TfmNoirEtBlanc fm(Contexte.Parametres.cParamNB, Parent);
    AttacheApercu(fm, 4, Contexte.Parametres.lTrtApercu, fnSource);
    return Retient(Contexte, Parent, fm, &TDerniersParamsTrt::cParamNB);
}

std::optional<QString> DemandeParamCL(TContexte &Contexte, QWidget *Parent, const TSourceApercu &fnSource)
{
    TfmContrasteLuminosite fm(Contexte.Parametres.cParamCL, Contexte.Parametres.lCLSynchroC,
                              Contexte.Parametres.lCLSynchroL, Parent);
    AttacheApercu(fm, 5, Contexte.Parametres.lTrtApercu, fnSource);
    return Retient(Contexte, Parent, fm, &TDerniersParamsTrt::cParamCL, [&fm](TDerniersParamsTrt &d) {
        d.lCLSynchroC = fm.lSynchroC();
        d.lCLSynchroL = fm.lSynchroL();
    });
}

std::optional<QString> DemandeParamCanaux(TContexte &Contexte, QWidget *Parent, const TSourceApercu &fnSource)
{
    TfmCanaux fm(Contexte.Parametres.cParamCanaux, Parent);
    AttacheApercu(fm, 7, Contexte.Parametres.lTrtApercu, fnSource);
    return Retient(Contexte, Parent, fm, &TDerniersParamsTrt::cParamCanaux);
}

TSourceApercu SourceApercuImageAffichee(const TfmMainKX &Main, const TAfficheImageKX &Affiche)
{
    return [&Main, &Affiche] { return Affiche.ImageLue() ? Main.PanneauImage()->Image() : QImage(); };
}
