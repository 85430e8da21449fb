#include "treatments/BoutonsOKAnnuler_fm.h"

#include "treatments/Canaux_fm.h"
#include "treatments/ContrasteLuminosite_fm.h"
#include "treatments/NoirEtBlanc_fm.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace
{
// The result of exec when the button named cNom is clicked once the dialog runs (-1 when
// there is no such button to click or the click does not close it).
int ResultatApres(QDialog &fm, const char *cNom)
{
    QTimer::singleShot(0, &fm, [&fm, cNom] {
        auto *bt = fm.findChild<QPushButton *>(QString::fromLatin1(cNom));
        if (bt && bt->isEnabled())
            bt->click();
        else
            fm.done(-1);
    });
    // A button that does not close the dialog must fail the test, not hang it.
    QTimer::singleShot(5000, &fm, [&fm] { fm.done(-1); });
    return fm.exec();
}
} // namespace

TEST(BoutonsOKAnnuler, OKIsTheDefaultAndSitsBeforeAnnulerAtTheRight)
{
    QDialog fm;
    const TBoutonsOKAnnuler b = CreeBoutonsOKAnnuler(&fm);
    EXPECT_EQ(b.btOK->text(), "OK");
    EXPECT_EQ(b.btAnnuler->text(), "Annuler");
    EXPECT_TRUE(b.btOK->isDefault());
    EXPECT_FALSE(b.btAnnuler->isDefault());
    ASSERT_EQ(b.Ligne->count(), 3);
    EXPECT_NE(b.Ligne->itemAt(0)->spacerItem(), nullptr);
    EXPECT_EQ(b.Ligne->itemAt(1)->widget(), b.btOK);
    EXPECT_EQ(b.Ligne->itemAt(2)->widget(), b.btAnnuler);
    delete b.Ligne; // never placed in a layout of the dialog
}

// Each treatment dialog closes by its own row: OK accepts, Annuler rejects.
TEST(BoutonsOKAnnuler, EveryTreatmentDialogAcceptsOnOKAndRejectsOnAnnuler)
{
    const auto Verifie = [](auto fnDialogue, const char *cQuoi) {
        auto fmOK = fnDialogue();
        EXPECT_EQ(ResultatApres(*fmOK, "btOK"), QDialog::Accepted) << cQuoi;
        auto fmAnnuler = fnDialogue();
        EXPECT_EQ(ResultatApres(*fmAnnuler, "btAnnuler"), QDialog::Rejected) << cQuoi;
    };
    Verifie([] { return std::make_unique<TfmNoirEtBlanc>("{ 30: 60: 10}"); }, "noir et blanc");
    Verifie([] { return std::make_unique<TfmContrasteLuminosite>("{  10:  10:  10:   0:   0:   0}", false, false); },
            "contraste");
    Verifie([] { return std::make_unique<TfmCanaux>("{I=3:D=1:A=0}"); }, "canaux");
}
