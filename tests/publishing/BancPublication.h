#pragma once
// What the deletion and duplicate tests share: a temporary tree with a data folder, the two
// stores, a home trash, fake volumes ("/" and a simulated CD) and an image list.

#include "exploration/ModeleListe.h"
#include "platform/OperationsFichiers.h"
#include "platform/VolumesFactices.h"
#include "publishing/AlbumImages.h"
#include "storage/BigIniFiles.h"
#include "support/Fichiers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// An album that records what it was told.
class TAlbumFactice : public IAlbumImages
{
public:
    QStringList Chemins;
    QStringList Enleves;
    int IndexImage(qint32, const QString &cChemin) const override { return int(Chemins.indexOf(cChemin)); }
    void EnleverImage(qint32, const QString &cChemin) override
    {
        Enleves << cChemin;
        Chemins.removeAll(cChemin);
    }
    void RenommeImage(qint32, const QString &, const QString &) override {}
    void MettreAJourImage(const TEnrLV &) override {}
};

class BancPublication : public ::testing::Test
{
protected:
    static constexpr quint32 nSerieCD = 0x1234abcd;

    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        cRacine = Tmp.path();
        cDonnees = cRacine + QStringLiteral("/donnees/");
        cVignettes = cDonnees + QStringLiteral("Vignettes/");
        cCorbeille = cRacine + QStringLiteral("/xdg/Trash");
        QDir().mkpath(cVignettes);
        TVolume Racine;
        Racine.cPointMontage = QStringLiteral("/");
        Volumes.Ajoute(Racine);
        Volumes.AjouteCD(cRacine + QStringLiteral("/cd"), nSerieCD);
        OuvreStores(cDonnees);
        Reelles = std::make_unique<TOperationsFichiers>(Volumes, cRacine + QStringLiteral("/xdg"));
        Operations = std::make_unique<TOperationsFichiersFactices>(*Reelles);
    }

    void OuvreStores(const QString &cDossier)
    {
        iniSetup = std::make_unique<TBigIniFile>(cDossier + QStringLiteral("KX_Setup.ini"));
        iniBDD = std::make_unique<TBigIniFile>(cDossier + QStringLiteral("KX_BDD.ini"), true);
        iniSetup->lAutoSave = false;
        iniBDD->lAutoSave = false;
    }

    QString Cree(const QString &cRelatif, const QByteArray &Contenu)
    {
        const QString c = cRacine + QLatin1Char('/') + cRelatif;
        EXPECT_TRUE(EcritFichier(c, Contenu)) << c.toStdString();
        return c;
    }

    // A row of the image list for a file not on a CD.
    int Liste(const QString &cChemin)
    {
        auto p = std::make_unique<TEnrLV>();
        p->cChemin = cChemin;
        p->lExiste = true;
        return Modele.Ajoute(std::move(p), false);
    }
    // A row for an image of the simulated CD (path below its mount point).
    int ListeCD(const QString &cCheminSurCD)
    {
        auto p = std::make_unique<TEnrLV>();
        p->nNumCD = static_cast<qint32>(nSerieCD);
        p->cLecteur = cRacine + QStringLiteral("/cd");
        p->cChemin = cCheminSurCD;
        p->lExiste = true;
        return Modele.Ajoute(std::move(p), false);
    }

    QStringList CheminsListe() const
    {
        QStringList l;
        for (int i = 0; i < Modele.Nombre(); ++i)
            l << Modele.Enr(i).CheminComplet();
        return l;
    }

    QTemporaryDir Tmp;
    QString cRacine, cDonnees, cVignettes, cCorbeille;
    TVolumesFactices Volumes;
    std::unique_ptr<TBigIniFile> iniSetup, iniBDD;
    std::unique_ptr<TOperationsFichiers> Reelles;
    std::unique_ptr<TOperationsFichiersFactices> Operations;
    TModeleListeImages Modele;
};
