#include "metadata/ChoixImages_fm.h"

#include "components/PaneledListView.h"
#include "exploration/ModeleListe.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

namespace
{

void Remplit(TModeleListeImages &Modele, const QStringList &Noms)
{
    Modele.Debut();
    for (const QString &cNom : Noms) {
        auto e = std::make_unique<TEnrLV>();
        e->cChemin = QStringLiteral("/photos/") + cNom;
        Modele.Ajoute(std::move(e), false);
    }
    Modele.Fin();
}

// A plain left click at x pixels from the start of a row.
void Clique(TChoixImages &Choix, int nLigne, int x)
{
    const QRect r = Choix.lvImages->visualRect(Choix.Modele().index(nLigne, 0));
    QTest::mouseClick(Choix.lvImages->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(r.left() + x, r.center().y()));
}

} // namespace

TEST(ChoixImages, ChecksOfItsOwnToggledInTheLeftBandOnly)
{
    TModeleListeImages Source;
    Remplit(Source, {QStringLiteral("c.jpg"), QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    Source.MetCoche(2, true);
    TChoixImages Choix(Source, true, nullptr);
    Choix.resize(500, 400);
    Choix.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Choix));

    EXPECT_EQ(Choix.stNbImgSel->text(), QStringLiteral("3/3"));
    int nSignaux = 0;
    QObject::connect(&Choix, &TChoixImages::cochesChange, [&nSignaux](int) { ++nSignaux; });

    Clique(Choix, 1, 5);
    EXPECT_FALSE(Choix.Modele().Coche(1));
    EXPECT_EQ(Choix.stNbImgSel->text(), QStringLiteral("2/3"));
    EXPECT_EQ(nSignaux, 1);
    // Past the band: the row is selected and shows its thumbnail, its check stays.
    Clique(Choix, 0, nLargeurZoneCoche + 20);
    EXPECT_TRUE(Choix.Modele().Coche(0));
    EXPECT_EQ(Choix.LigneCourante(), 0);
    ASSERT_EQ(Choix.plvImages->Nombre(), 1);
    EXPECT_EQ(Choix.plvImages->Item(0)->cTitre(), QStringLiteral("c.jpg"));
    // A click with a modifier does not toggle.
    const QRect r = Choix.lvImages->visualRect(Choix.Modele().index(2, 0));
    QTest::mouseClick(Choix.lvImages->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      QPoint(r.left() + 5, r.center().y()));
    EXPECT_TRUE(Choix.Modele().Coche(2));
    // The main list's checks are not touched either way.
    EXPECT_EQ(Source.LignesCochees(), QList<int>({2}));

    Choix.btSelAucune->click();
    EXPECT_EQ(Choix.stNbImgSel->text(), QStringLiteral("0/3"));
    Choix.btSelToutes->click();
    EXPECT_EQ(Choix.Modele().LignesCochees(), QList<int>({0, 1, 2}));
    EXPECT_EQ(Choix.btSelToutes->toolTip(), QStringLiteral("Sélectionner toutes les images"));
    EXPECT_EQ(Choix.btSelAucune->toolTip(), QStringLiteral("Désélectionner toutes les images"));
}

TEST(ChoixImages, ChecksFollowTheirImagesThroughASort)
{
    TModeleListeImages Source;
    Remplit(Source, {QStringLiteral("c.jpg"), QStringLiteral("a.jpg"), QStringLiteral("b.jpg")});
    TModeleChoixImages Choix(Source, false);
    EXPECT_EQ(Choix.nNbCoches(), 0);
    Choix.MetCoche(0, true); // c.jpg
    Source.MetCleTri(0);
    Source.TrieListe();
    ASSERT_EQ(Source.Enr(2).NomFichier(), QStringLiteral("c.jpg"));
    EXPECT_EQ(Choix.LignesCochees(), QList<int>({2}));
    // A new listing starts over.
    Remplit(Source, {QStringLiteral("d.jpg")});
    EXPECT_EQ(Choix.rowCount(), 4);
    EXPECT_EQ(Choix.nNbCoches(), 0);
}
