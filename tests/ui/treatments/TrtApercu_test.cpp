#include "treatments/TrtApercu_fm.h"

#include "storage/BigIniFiles.h"
#include "storage/Contexte.h"
#include "support/MessagesFactices.h"
#include "treatments/Canaux_fm.h"
#include "treatments/DialoguesTrt_fm.h"
#include "treatments/MoteurTrt.h"
#include "treatments/NoirEtBlanc_fm.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{
// A picture whose pixels all differ in their three channels, so that any weighting shows.
QImage Degrade(int w, int h)
{
    QImage Image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            Image.setPixel(x, y, qRgb(x * 255 / std::max(1, w - 1), y * 255 / std::max(1, h - 1), 90));
    return Image;
}

QImage Attendu(const QImage &Source, int nCode, const QString &cParam)
{
    QImage Image = Source;
    EXPECT_TRUE(AppliqueTrt(Image, nCode, cParam, TOptionsTrt{1, 0}).lOk);
    return Image;
}

TfmTrtApercu *ApercuDe(QWidget &fm)
{
    return fm.findChild<TfmTrtApercu *>(QStringLiteral("fmTrtApercu"));
}
} // namespace

TEST(TrtApercu, ReducesTheLongestSideTo300RoundingHalvesToEven)
{
    EXPECT_EQ(ReduitPourApercu(Degrade(600, 400)).size(), QSize(300, 200));
    EXPECT_EQ(ReduitPourApercu(Degrade(400, 600)).size(), QSize(200, 300));
    // 5 × 300 / 600 = 2.5 and 7 × 300 / 600 = 3.5: halves go to the even side.
    EXPECT_EQ(ReduitPourApercu(Degrade(600, 5)).size(), QSize(300, 2));
    EXPECT_EQ(ReduitPourApercu(Degrade(7, 600)).size(), QSize(4, 300));
    // A small picture is brought up to 300 too; a sliver keeps at least one pixel.
    EXPECT_EQ(ReduitPourApercu(Degrade(30, 20)).size(), QSize(300, 200));
    EXPECT_EQ(ReduitPourApercu(Degrade(3000, 1)).size(), QSize(300, 1));
    EXPECT_TRUE(ReduitPourApercu(QImage()).isNull());
    EXPECT_TRUE(ReduitPourApercu(QImage(0, 10, QImage::Format_RGB32)).isNull());
}

TEST(TrtApercu, FollowsEveryChangeOfTheDialogFromTheUntreatedSource)
{
    TfmNoirEtBlanc fm("{ 30: 60: 10}");
    TfmTrtApercu *Apercu = AttacheApercu(fm, 4, true, [] { return Degrade(900, 600); });
    ASSERT_NE(Apercu, nullptr);
    EXPECT_EQ(Apercu->windowTitle(), "Aperçu");
    EXPECT_TRUE(Apercu->windowFlags().testFlag(Qt::Tool));
    EXPECT_EQ(Apercu->Source().size(), QSize(300, 200));
    EXPECT_EQ(Apercu->Apercu(), Attendu(Apercu->Source(), 4, "{ 30: 60: 10}"));

    fm.show();
    EXPECT_TRUE(Apercu->isVisible());
    fm.edPCTRouge->setValue(100);
    EXPECT_EQ(Apercu->Apercu(), Attendu(Apercu->Source(), 4, "{100: 60: 10}"));
    // Each change starts again from the source: going back gives the first preview again.
    fm.edPCTRouge->setValue(30);
    EXPECT_EQ(Apercu->Apercu(), Attendu(Apercu->Source(), 4, "{ 30: 60: 10}"));
    EXPECT_EQ(Apercu->imApercu->pixmap().toImage().convertToFormat(QImage::Format_RGB32), Apercu->Apercu());
    fm.hide();
    EXPECT_FALSE(Apercu->isVisible());
}

TEST(TrtApercu, ChannelDialogPreviewUsesItsOwnCode)
{
    TfmCanaux fm("{D=0:A=0:I=0}");
    TfmTrtApercu *Apercu = AttacheApercu(fm, 7, true, [] { return Degrade(200, 300); });
    ASSERT_NE(Apercu, nullptr);
    const QImage Avant = Apercu->Apercu();
    fm.btDomRouge->click();
    ASSERT_EQ(fm.cParametre(), "{D=1:A=0:I=0}");
    EXPECT_NE(Apercu->Apercu(), Avant);
    EXPECT_EQ(Apercu->Apercu(), Attendu(Apercu->Source(), 7, "{D=1:A=0:I=0}"));
}

TEST(TrtApercu, NoPreviewWithoutASourceOrWhenSwitchedOff)
{
    TfmNoirEtBlanc fm("{ 30: 60: 10}");
    EXPECT_EQ(AttacheApercu(fm, 4, true, [] { return QImage(); }), nullptr);
    EXPECT_EQ(AttacheApercu(fm, 4, true, TSourceApercu{}), nullptr);
    EXPECT_EQ(AttacheApercu(fm, 4, false, [] { return Degrade(90, 60); }), nullptr);
    EXPECT_EQ(ApercuDe(fm), nullptr);
    fm.edPCTRouge->setValue(50); // a change with nothing to preview must not fail

    TfmTrtApercu Vide(QImage(), 4, &fm);
    EXPECT_FALSE(Vide.Valide());
    Vide.Actualise("{ 30: 60: 10}");
    EXPECT_TRUE(Vide.Apercu().isNull());
    fm.show();
    EXPECT_FALSE(Vide.isVisible());
}

// The dialogs opened for a treatment take their preview from the given source and free it
// with themselves.
TEST(TrtApercu, DialogOpenedForATreatmentShowsItsPreview)
{
    QTemporaryDir Temp;
    TContexte Contexte{TEmplacementsConfig{}, QString(), nullptr};
    Contexte.iniSetup = std::make_unique<TBigIniFile>(Temp.filePath("KX_Setup.ini"));
    Contexte.iniSetup->lAutoSave = false;
    Contexte.Messages.reset(new TMessagesFactices);
    int nAppels = 0;
    bool lVu = false;
    QImage Vue;
    QPointer<TfmTrtApercu> pApercu;
    QTimer::singleShot(0, [&] {
        auto *fm = qobject_cast<TfmNoirEtBlanc *>(QApplication::activeModalWidget());
        if (!fm)
            return;
        if (TfmTrtApercu *Apercu = ApercuDe(*fm)) {
            pApercu = Apercu;
            lVu = Apercu->isVisible();
            fm->edPCTBleu->setValue(40);
            Vue = Apercu->Apercu();
        }
        fm->reject();
    });
    EXPECT_FALSE(DemandeParamNB(Contexte, nullptr, [&] {
                     ++nAppels;
                     return Degrade(640, 480);
                 }).has_value());
    EXPECT_EQ(nAppels, 1);
    EXPECT_TRUE(lVu);
    EXPECT_EQ(Vue, Attendu(ReduitPourApercu(Degrade(640, 480)), 4, "{ 30: 60: 40}"));
    EXPECT_TRUE(pApercu.isNull()) << "the preview outlives its dialog";

    Contexte.Parametres.lTrtApercu = false;
    nAppels = 0;
    QTimer::singleShot(0, [&] {
        if (auto *fm = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            EXPECT_EQ(ApercuDe(*fm), nullptr);
            fm->reject();
        }
    });
    DemandeParamNB(Contexte, nullptr, [&] {
        ++nAppels;
        return Degrade(640, 480);
    });
    EXPECT_EQ(nAppels, 0);
}
