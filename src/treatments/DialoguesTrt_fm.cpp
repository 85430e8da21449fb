#include "treatments/DialoguesTrt_fm.h"

#include "storage/Contexte.h"
#include "treatments/Canaux_fm.h"
#include "treatments/ContrasteLuminosite_fm.h"
#include "treatments/NoirEtBlanc_fm.h"
#include "treatments/ParamsTrt.h"

namespace
{
void Memorise(TContexte &Contexte, QWidget *Parent, const TDerniersParamsTrt &d)
{
    if (!EnregistreDerniersParamsTrt(d, Contexte.Parametres, *Contexte.iniSetup) && Contexte.Messages)
        Contexte.Messages->Erreur(Parent, MessageEchecEnregistrementParams(Contexte.iniSetup->FileName()));
}
} // namespace

std::optional<QString> DemandeParamNB(TContexte &Contexte, QWidget *Parent)
{
    TfmNoirEtBlanc fm(Contexte.Parametres.cParamNB, Parent);
    if (fm.exec() != QDialog::Accepted)
        return std::nullopt;
    TDerniersParamsTrt d = DerniersParamsTrt(Contexte.Parametres);
    d.cParamNB = fm.cParametre();
    Memorise(Contexte, Parent, d);
    return d.cParamNB;
}

std::optional<QString> DemandeParamCL(TContexte &Contexte, QWidget *Parent)
{
    TfmContrasteLuminosite fm(Contexte.Parametres.cParamCL, Contexte.Parametres.lCLSynchroC,
                              Contexte.Parametres.lCLSynchroL, Parent);
    if (fm.exec() != QDialog::Accepted)
        return std::nullopt;
    TDerniersParamsTrt d = DerniersParamsTrt(Contexte.Parametres);
    d.cParamCL = fm.cParametre();
    d.lCLSynchroC = fm.lSynchroC();
    d.lCLSynchroL = fm.lSynchroL();
    Memorise(Contexte, Parent, d);
    return d.cParamCL;
}

std::optional<QString> DemandeParamCanaux(TContexte &Contexte, QWidget *Parent)
{
    TfmCanaux fm(Contexte.Parametres.cParamCanaux, Parent);
    if (fm.exec() != QDialog::Accepted)
        return std::nullopt;
    TDerniersParamsTrt d = DerniersParamsTrt(Contexte.Parametres);
    d.cParamCanaux = fm.cParametre();
    Memorise(Contexte, Parent, d);
    return d.cParamCanaux;
}
