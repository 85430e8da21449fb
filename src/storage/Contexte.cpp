#include "storage/Contexte.h"

#include <QFileInfo>

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

bool TContexte::SauveStores(QStringList *pErreurs)
{
    bool lOk = true;
    for (TBigIniFile *pIni : {iniSetup.get(), iniBDD.get()}) {
        if (!pIni || pIni->UpdateFile())
            continue;
        lOk = false;
        if (pErreurs)
            *pErreurs << QStringLiteral("%1 : écriture impossible").arg(QFileInfo(pIni->FileName()).fileName());
    }
    return lOk;
}
