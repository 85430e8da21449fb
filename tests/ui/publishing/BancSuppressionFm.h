#pragma once
// What the window tests of deleting and of the duplicate search share: a context with its
// stores, fake volumes ("/" and a simulated CD) and a home trash in a temporary tree, an image
// list with its selection and view, and the deleting commands on a plain window.

#include "exploration/ModeleListe.h"
#include "exploration/Selection.h"
#include "imaging/JpegCodec.h"
#include "platform/OperationsFichiers.h"
#include "platform/VolumesFactices.h"
#include "publishing/SuppressionImages_fm.h"
#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/MessagesFactices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// When VIMBREL_CAPTURES names a folder, the screen as it is now is saved there under cNom (run
// on a real display with a window manager to see the windows as users do).
inline void Capture(const QString &cNom)
{
    const QString cDossier = qEnvironmentVariable("VIMBREL_CAPTURES");
    if (cDossier.isEmpty())
        return;
    QTest::qWait(400);
    if (QScreen *Ecran = QGuiApplication::primaryScreen())
        Ecran->grabWindow(0).save(cDossier + QLatin1Char('/') + cNom, "PNG");
}

class BancSuppressionFm : public ::testing::Test
{
protected:
    static constexpr quint32 nSerieCD = 0x2468ace0;

    void SetUp() override
    {
        ASSERT_TRUE(Tmp.isValid());
        cRacine = Tmp.path();
        auto Vol = std::make_unique<TVolumesFactices>();
        TVolume Racine;
        Racine.cPointMontage = QStringLiteral("/");
        Vol->Ajoute(Racine);
        Vol->AjouteCD(cRacine + QStringLiteral("/cd"), nSerieCD);
        Contexte = std::make_unique<TContexte>(TEmplacementsConfig{}, QString(), std::move(Vol));
        Contexte->Dossiers.cDossierDonnees = cRacine + QStringLiteral("/donnees/");
        Contexte->Dossiers.cDossierVignettes = cRacine + QStringLiteral("/donnees/Vignettes/");
        QDir().mkpath(Contexte->Dossiers.cDossierVignettes);
        Contexte->iniSetup = std::make_unique<TBigIniFile>(Contexte->Dossiers.cDossierDonnees + "KX_Setup.ini");
        Contexte->iniBDD = std::make_unique<TBigIniFile>(Contexte->Dossiers.cDossierDonnees + "KX_BDD.ini", true);
        Contexte->iniSetup->lAutoSave = false;
        Contexte->iniBDD->lAutoSave = false;
        auto m = std::make_unique<TMessagesFactices>();
        Messages = m.get();
        Contexte->Messages = std::move(m);

        Vue = new QTreeView(&Fenetre);
        Vue->setModel(&Modele);
        Selection.MetModeMAJ(true);
        Reelles = std::make_unique<TOperationsFichiers>(*Contexte->Volumes, cRacine + QStringLiteral("/xdg"));
        Operations = std::make_unique<TOperationsFichiersFactices>(*Reelles);
        Suppression = new TSuppressionImagesKX(*Contexte, Selection, Vue, &Fenetre);
        Suppression->MetOperations(Operations.get());
        Suppression->nFils = 1;
    }

    // A small JPEG, its pixels depending on nTeinte, so that two values give two contents of
    // the same size.
    QString Jpeg(const QString &cRelatif, int nTeinte = 0)
    {
        const QString c = cRacine + QLatin1Char('/') + cRelatif;
        QDir().mkpath(QFileInfo(c).path());
        QImage im(64, 48, QImage::Format_RGB32);
        im.fill(QColor::fromHsv(nTeinte % 360, 200, 200));
        EXPECT_TRUE(JpegCodec::Encode(im, c)) << c.toStdString();
        return c;
    }
    QString Copie(const QString &cSource, const QString &cRelatif)
    {
        const QString c = cRacine + QLatin1Char('/') + cRelatif;
        QDir().mkpath(QFileInfo(c).path());
        EXPECT_TRUE(QFile::copy(cSource, c));
        return c;
    }

    int Liste(const QString &cChemin, bool lCoche = false)
    {
        auto p = std::make_unique<TEnrLV>();
        p->cChemin = cChemin;
        p->lExiste = true;
        const int n = Modele.Ajoute(std::move(p), false);
        if (lCoche)
            Modele.MetCoche(n, true);
        return n;
    }
    int ListeCD(const QString &cCheminSurCD, bool lCoche = false)
    {
        auto p = std::make_unique<TEnrLV>();
        p->nNumCD = static_cast<qint32>(nSerieCD);
        p->cLecteur = cRacine + QStringLiteral("/cd");
        p->cChemin = cCheminSurCD;
        p->lExiste = true;
        const int n = Modele.Ajoute(std::move(p), false);
        if (lCoche)
            Modele.MetCoche(n, true);
        return n;
    }
    QStringList CheminsListe() const
    {
        QStringList l;
        for (int i = 0; i < Modele.Nombre(); ++i)
            l << Modele.Enr(i).CheminComplet();
        return l;
    }
    // The files now in the home trash.
    QStringList DansCorbeille() const
    {
        return QDir(cRacine + QStringLiteral("/xdg/Trash/files")).entryList(QDir::Files);
    }

    QTemporaryDir Tmp;
    QString cRacine;
    std::unique_ptr<TContexte> Contexte;
    TMessagesFactices *Messages = nullptr;
    TModeleListeImages Modele;
    TSelectionKX Selection{Modele};
    QWidget Fenetre;
    QTreeView *Vue = nullptr;
    std::unique_ptr<TOperationsFichiers> Reelles;
    std::unique_ptr<TOperationsFichiersFactices> Operations;
    TSuppressionImagesKX *Suppression = nullptr;
};
