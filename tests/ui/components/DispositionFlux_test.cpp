#include "components/DispositionFlux.h"

#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace
{
struct DispositionFluxTest : ::testing::Test
{
    QWidget Barre;
    TDispositionFlux *Flux = new TDispositionFlux(&Barre);
    QList<QPushButton *> Boutons;

    DispositionFluxTest()
    {
        Flux->setContentsMargins(2, 1, 2, 1);
        Flux->setSpacing(2);
    }
    QPushButton *Ajoute(int nLargeur)
    {
        auto *b = new QPushButton(QStringLiteral("x"), &Barre);
        b->setFixedSize(nLargeur, 22);
        Flux->addWidget(b);
        Boutons << b;
        return b;
    }
    void Pose(int nLargeur) { Flux->setGeometry(QRect(0, 0, nLargeur, Flux->heightForWidth(nLargeur))); }
    // Every button lies wholly inside the bar and none overlaps another.
    void VerifieSansChevauchement(int nLargeur) const
    {
        const QRect Zone(0, 0, nLargeur, Flux->heightForWidth(nLargeur));
        for (int i = 0; i < Boutons.size(); ++i) {
            if (Boutons[i]->isHidden())
                continue;
            EXPECT_TRUE(Zone.contains(Boutons[i]->geometry())) << i;
            for (int j = i + 1; j < Boutons.size(); ++j)
                if (!Boutons[j]->isHidden())
                    EXPECT_FALSE(Boutons[i]->geometry().intersects(Boutons[j]->geometry())) << i << " " << j;
        }
    }
};
} // namespace

TEST_F(DispositionFluxTest, OneRowKeepsTheStretchThenWrapsLeftAlignedWhenTooNarrow)
{
    Flux->addStretch(1);
    for (int i = 0; i < 5; ++i)
        Ajoute(40);
    // 5 × 40 + 4 × 2 + margins = 212: one row, pushed right by the stretch.
    Pose(300);
    EXPECT_EQ(Flux->NombreRangees(300), 1);
    EXPECT_EQ(Flux->heightForWidth(300), 24);
    EXPECT_EQ(Boutons.last()->geometry().right(), 300 - 2 - 1);
    VerifieSansChevauchement(300);

    // 100 px hold two buttons a row: three rows, each starting at the left margin.
    Pose(100);
    EXPECT_EQ(Flux->NombreRangees(100), 3);
    EXPECT_EQ(Flux->heightForWidth(100), 3 * 22 + 2 * 2 + 2);
    EXPECT_EQ(Boutons[0]->x(), 2);
    EXPECT_EQ(Boutons[2]->x(), 2);
    EXPECT_EQ(Boutons[2]->y(), Boutons[0]->y() + 24);
    VerifieSansChevauchement(100);
}

TEST_F(DispositionFluxTest, HiddenButtonsTakeNoRoomAndAWideOneGetsItsOwnRow)
{
    Ajoute(40);
    Ajoute(40)->hide();
    Ajoute(150);
    Ajoute(40);
    Pose(160);
    EXPECT_EQ(Flux->NombreRangees(160), 3);
    EXPECT_EQ(Boutons[2]->x(), 2);
    // Never narrower than its widest button.
    EXPECT_EQ(Flux->minimumSize().width(), 150 + 4);
    VerifieSansChevauchement(160);
}
