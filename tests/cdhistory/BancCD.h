#pragma once
// A temporary settings store, thumbnail folder and simulated CD drives, as the CD history's
// tests use them.

#include "platform/VolumesFactices.h"
#include "storage/BigIniFiles.h"
#include "storage/CleImage.h"
#include "storage/Sections.h"

#include <QDir>
#include <QTemporaryDir>

struct TBancCD
{
    static constexpr quint32 nSerie = 0x8A3F0001u; // identifier "8a3f-1"
    QTemporaryDir Temp;
    TBigIniFile iniSetup;
    TVolumesFactices Volumes;

    TBancCD() : iniSetup(QDir(Temp.path()).filePath(QStringLiteral("KX_Setup.ini")))
    {
        iniSetup.lAutoSave = false;
        QDir(Temp.path()).mkpath(QStringLiteral("Vignettes"));
        QDir(Temp.path()).mkpath(QStringLiteral("cd"));
    }
    QString Vignettes() const { return Temp.path() + QStringLiteral("/Vignettes/"); }
    // The folder that acts as the disc's mount point, ending with "/".
    QString Disque() const { return Temp.path() + QStringLiteral("/cd/"); }
    void Insere(const QString &cLabel = {}) { Volumes.AjouteCD(Disque(), nSerie, cLabel); }
    void Ejecte() { Volumes.Retire(Disque()); }
    static qint32 Volume() { return static_cast<qint32>(nSerie); }
    static QString Cle(const QString &cChemin) { return CleImage(Volume(), cChemin); }
    void AjouteHistorique(qint32 nVolume, const QString &cChemin, qint64 nTaille = 1000)
    {
        iniSetup.WriteString(cSectionTaillesVignettes, CleImage(nVolume, cChemin), QString::number(nTaille));
    }
};
