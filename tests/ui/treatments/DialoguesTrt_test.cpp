#include "treatments/DialoguesTrt_fm.h"

#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/MessagesFactices.h"
#include "treatments/Canaux_fm.h"
#include "treatments/ContrasteLuminosite_fm.h"
#include "treatments/NoirEtBlanc_fm.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace
{
struct TBanc
{
    QTemporaryDir Temp;
    TContexte Contexte{TEmplacementsConfig{}, QString(), nullptr};
    TMessagesFactices *Messages = new TMessagesFactices;
    QString cFichier;

    explicit TBanc(const QString &cDossier = {})
    {
        cFichier = Temp.filePath(cDossier.isEmpty() ? QStringLiteral("KX_Setup.ini") : cDossier + "/KX_Setup.ini");
        Contexte.iniSetup = std::make_unique<TBigIniFile>(cFichier);
        Contexte.iniSetup->lAutoSave = false;
        Contexte.Messages.reset(Messages);
    }
    QString Stocke(const char *cCle) const
    {
        TBigIniFile Relu(cFichier);
        return Relu.ReadString("GENERAL", cCle, "<absent>");
    }
};

// Acts on the modal dialog of type T once it is shown; anything else showing is cancelled so
// that a wrong dialog fails the test instead of hanging it.
template <class T>
void Pilote(std::function<void(T &)> fn)
{
    QTimer::singleShot(0, [fn] {
        QWidget *w = QApplication::activeModalWidget();
        if (T *fm = qobject_cast<T *>(w))
            fn(*fm);
        else if (auto *d = qobject_cast<QDialog *>(w))
            d->reject();
    });
}
} // namespace

TEST(DialoguesTrt, BlackAndWhiteOkWritesTheRecordAndSavesTheStore)
{
    TBanc b;
    b.Contexte.Parametres.cParamNB = "{ 50: 50:  0}";
    QString cVu;
    Pilote<TfmNoirEtBlanc>([&](TfmNoirEtBlanc &fm) {
        cVu = fm.cParametre();
        fm.edPCTBleu->setValue(25);
        fm.btOK->click();
    });
    const std::optional<QString> c = DemandeParamNB(b.Contexte, nullptr);
    EXPECT_EQ(cVu, "{ 50: 50:  0}");
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(*c, "{ 50: 50: 25}");
    EXPECT_EQ(b.Contexte.Parametres.cParamNB, "{ 50: 50: 25}");
    EXPECT_EQ(b.Stocke("cParamNB"), "{ 50: 50: 25}");
    EXPECT_TRUE(b.Messages->Montres.isEmpty());
}

TEST(DialoguesTrt, CancelKeepsEverything)
{
    TBanc b;
    Pilote<TfmNoirEtBlanc>([](TfmNoirEtBlanc &fm) {
        fm.edPCTRouge->setValue(100);
        fm.btAnnuler->click();
    });
    EXPECT_FALSE(DemandeParamNB(b.Contexte, nullptr).has_value());
    EXPECT_EQ(b.Contexte.Parametres.cParamNB, "{ 30: 60: 10}");
    EXPECT_EQ(b.Stocke("cParamNB"), "<absent>");
}

TEST(DialoguesTrt, ContrastOkWritesTheTextAndBothFlags)
{
    TBanc b;
    b.Contexte.Parametres.lCLSynchroL = true;
    Pilote<TfmContrasteLuminosite>([](TfmContrasteLuminosite &fm) {
        fm.cbContSynchro->setChecked(true);
        fm.cbLumSynchro->setChecked(false);
        fm.edContPCTVert->setValue(15);
        fm.btOK->click();
    });
    const std::optional<QString> c = DemandeParamCL(b.Contexte, nullptr);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(*c, "{  15:  15:  15:   0:   0:   0}");
    EXPECT_EQ(b.Stocke("cParamCL"), "{  15:  15:  15:   0:   0:   0}");
    EXPECT_EQ(b.Stocke("lCLSynchroC"), "1");
    EXPECT_EQ(b.Stocke("lCLSynchroL"), "0");
    EXPECT_TRUE(b.Contexte.Parametres.lCLSynchroC);
    EXPECT_FALSE(b.Contexte.Parametres.lCLSynchroL);
}

TEST(DialoguesTrt, ChannelsOkWritesTheTextInTheGroupsOrder)
{
    TBanc b;
    b.Contexte.Parametres.cParamCanaux = "{I=0:A=0:D=0}";
    Pilote<TfmCanaux>([](TfmCanaux &fm) {
        fm.btDomJaune->click();
        fm.btInvRougeBleu->click();
        fm.btOK->click();
    });
    const std::optional<QString> c = DemandeParamCanaux(b.Contexte, nullptr);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(*c, "{I=2:A=0:D=5}");
    EXPECT_EQ(b.Stocke("cParamCanaux"), "{I=2:A=0:D=5}");
}

TEST(DialoguesTrt, AFailedSaveIsSaidAndTheValuesWaitForTheNextSave)
{
    TBanc b("pas-encore");
    Pilote<TfmNoirEtBlanc>([](TfmNoirEtBlanc &fm) {
        fm.edPCTRouge->setValue(100);
        fm.btOK->click();
    });
    const std::optional<QString> c = DemandeParamNB(b.Contexte, nullptr);
    ASSERT_TRUE(c.has_value());
    ASSERT_EQ(b.Messages->Montres.size(), 1);
    EXPECT_EQ(b.Messages->Montres[0].cTitre, "Erreur");
    EXPECT_TRUE(b.Messages->Montres[0].cTexte.startsWith("Impossible d'enregistrer " + b.cFichier));
    EXPECT_EQ(b.Contexte.Parametres.cParamNB, "{100: 60: 10}");
    ASSERT_TRUE(QDir().mkpath(b.Temp.filePath("pas-encore")));
    ASSERT_TRUE(b.Contexte.iniSetup->UpdateFile());
    EXPECT_EQ(b.Stocke("cParamNB"), "{100: 60: 10}");
}
