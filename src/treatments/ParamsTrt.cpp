#include "treatments/ParamsTrt.h"

#include "storage/BigIniFiles.h"
#include "storage/Settings.h"

#include <QDir>

TDerniersParamsTrt DerniersParamsTrt(const TEnrParametres &P)
{
    return TDerniersParamsTrt{P.cParamNB, P.cParamCL, P.lCLSynchroC, P.lCLSynchroL, P.cParamCanaux};
}

bool EnregistreDerniersParamsTrt(const TDerniersParamsTrt &d, TEnrParametres &P, TBigIniFile &iniSetup)
{
    P.cParamNB = d.cParamNB;
    P.cParamCL = d.cParamCL;
    P.lCLSynchroC = d.lCLSynchroC;
    P.lCLSynchroL = d.lCLSynchroL;
    P.cParamCanaux = d.cParamCanaux;
    iniSetup.WriteString(cSectionGeneral, QStringLiteral("cParamNB"), d.cParamNB);
    iniSetup.WriteString(cSectionGeneral, QStringLiteral("cParamCL"), d.cParamCL);
    iniSetup.WriteBool(cSectionGeneral, QStringLiteral("lCLSynchroC"), d.lCLSynchroC);
    iniSetup.WriteBool(cSectionGeneral, QStringLiteral("lCLSynchroL"), d.lCLSynchroL);
    iniSetup.WriteString(cSectionGeneral, QStringLiteral("cParamCanaux"), d.cParamCanaux);
    return iniSetup.UpdateFile();
}

QString MessageEchecEnregistrementParams(const QString &cFichier)
{
    return QStringLiteral("Impossible d'enregistrer %1.\r\nLes paramètres restent en mémoire pour le prochain "
                          "enregistrement.")
        .arg(QDir::toNativeSeparators(cFichier));
}
