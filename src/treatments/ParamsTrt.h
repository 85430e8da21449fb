#pragma once
// The last parameters validated in the three treatment dialogs, offered again next time. The
// dialogs only take a text and give one back; this is the one place that puts what they
// return into the settings record and saves the settings store.

#include <QString>

class TBigIniFile;
struct TEnrParametres;

struct TDerniersParamsTrt
{
    QString cParamNB;
    QString cParamCL;
    bool lCLSynchroC = false;
    bool lCLSynchroL = false;
    QString cParamCanaux;
};

TDerniersParamsTrt DerniersParamsTrt(const TEnrParametres &Parametres);

// Puts the five values into the record and into the settings store, then saves the store.
// False when the save failed: the values stay in the record and in the store for the next save.
bool EnregistreDerniersParamsTrt(const TDerniersParamsTrt &d, TEnrParametres &Parametres, TBigIniFile &iniSetup);

// What the user is told when that save failed.
QString MessageEchecEnregistrementParams(const QString &cFichier);
