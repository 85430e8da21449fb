#include "storage/Contexte.h"

TContexte::TContexte(const TEmplacementsConfig &EmplacementsConfig, const QString &cDossierProgramme,
                     std::unique_ptr<IVolumes> VolumesService)
    : Emplacements(EmplacementsConfig), cDossierProgrammeExecutable(cDossierProgramme),
      Volumes(std::move(VolumesService))
{
}

TContexte::~TContexte() = default;

void TContexte::FixeDossiers()
{
    Dossiers = ::FixeDossiers(Emplacements, cDossierProgrammeExecutable);
    CreeDossiers(Dossiers);
}

void TContexte::OuvreStores()
{
    iniSetup = std::make_unique<TBigIniFile>(Dossiers.cFichierSetup);
    iniBDD = std::make_unique<TBigIniFile>(Dossiers.cFichierBDD, true);
    iniCFAPN = std::make_unique<TBigIniFile>(Dossiers.cFichierCFAPN);
    iniSetup->lAutoSave = false;
    iniBDD->lAutoSave = false;
    iniCFAPN->lAutoSave = false;
}

void TContexte::LitParametres()
{
    Parametres.Lit(*iniSetup, Dossiers.cDossierDonnees);
    HistoriqueRepertoires = LitHistoriqueRepertoires(*iniSetup);
}

void TContexte::EcritParametres(const TEnrParametres::TEtatSortie &Etat)
{
    Parametres.Ecrit(*iniSetup, Etat);
    EcritHistoriqueRepertoires(*iniSetup, HistoriqueRepertoires);
}

bool TContexte::SauveStores()
{
    bool lOk = true;
    if (iniSetup && !iniSetup->UpdateFile())
        lOk = false;
    if (iniBDD && !iniBDD->UpdateFile())
        lOk = false;
    return lOk;
}
