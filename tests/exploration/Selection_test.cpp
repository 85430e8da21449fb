#include "exploration/ColonnesListe.h"
#include "exploration/Selection.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{
// Five entries listed as "e, d, c, b, a" with sizes that sort them the other way round.
struct SelectionTest : ::testing::Test
{
    TModeleListeImages Modele;
    TSelectionKX Selection{Modele};

    void SetUp() override
    {
        const char *Noms[] = {"e", "d", "c", "b", "a"};
        for (int i = 0; i < 5; ++i) {
            auto p = std::make_unique<TEnrLV>();
            p->cChemin = QStringLiteral("/p/%1.jpg").arg(QLatin1String(Noms[i]));
            p->nTaille = 100 - i;
            p->lExiste = true;
            Modele.Ajoute(std::move(p), false);
        }
    }
};
} // namespace

TEST_F(SelectionTest, CurrentEntryIsReportedOnceAndQueriedByRowKeyAndRecord)
{
    QSignalSpy Courante(&Selection, &TSelectionKX::CouranteChange);
    EXPECT_EQ(Selection.LigneCourante(), -1);
    EXPECT_EQ(Selection.EnrCourant(), nullptr);
    EXPECT_TRUE(Selection.CleCourante().isEmpty());

    Selection.MetLigneCourante(1);
    Selection.MetLigneCourante(1); // already current: silent
    ASSERT_EQ(Courante.size(), 1);
    EXPECT_EQ(Courante.at(0).at(0).toInt(), 1);
    EXPECT_EQ(Courante.at(0).at(1).toString(), "/p/d.jpg");
    ASSERT_NE(Selection.EnrCourant(), nullptr);
    EXPECT_EQ(Selection.EnrCourant()->NomFichier(), "d.jpg");
    EXPECT_EQ(Selection.CleCourante(), "/p/d.jpg");

    // A row outside the list means no current entry.
    Selection.MetLigneCourante(7);
    ASSERT_EQ(Courante.size(), 2);
    EXPECT_EQ(Courante.at(1).at(0).toInt(), -1);
    EXPECT_TRUE(Courante.at(1).at(1).toString().isEmpty());
    EXPECT_EQ(Selection.EnrCourant(), nullptr);
}

TEST_F(SelectionTest, CurrentEntryFollowsSortsAndRemovalsWithoutSignalWhileItStays)
{
    Selection.MetLigneCourante(1); // d
    QSignalSpy Courante(&Selection, &TSelectionKX::CouranteChange);

    // A name sort reverses the rows: d moves from row 1 to row 3.
    Modele.MetCleTri(ColonnesListe::TriNom);
    Modele.TrieListe();
    EXPECT_EQ(Selection.LigneCourante(), 3);
    EXPECT_EQ(Selection.CleCourante(), "/p/d.jpg");
    // Removing a row before it moves it up; a row after it changes nothing.
    Modele.Supprime(0);
    EXPECT_EQ(Selection.LigneCourante(), 2);
    Modele.Supprime(3);
    EXPECT_EQ(Selection.LigneCourante(), 2);
    EXPECT_EQ(Selection.CleCourante(), "/p/d.jpg");
    EXPECT_TRUE(Courante.isEmpty());

    // Removing the current entry leaves none, said once.
    Modele.SupprimeApres(1);
    EXPECT_EQ(Selection.LigneCourante(), -1);
    ASSERT_EQ(Courante.size(), 1);
    EXPECT_EQ(Courante.at(0).at(0).toInt(), -1);

    // A new listing starts with no current entry.
    Selection.MetLigneCourante(0);
    Modele.Vide();
    EXPECT_EQ(Selection.LigneCourante(), -1);
    EXPECT_EQ(Courante.size(), 3);
}

TEST_F(SelectionTest, ListChecksModeAndFolderSignalInOrderWithTheirArguments)
{
    QStringList Ordre;
    QObject::connect(&Selection, &TSelectionKX::ListeConstruite,
                     [&](TModeListe n) { Ordre << QStringLiteral("liste %1").arg(int(n)); });
    QObject::connect(&Selection, &TSelectionKX::CochesChange,
                     [&](int n) { Ordre << QStringLiteral("coches %1").arg(n); });
    QObject::connect(&Selection, &TSelectionKX::ModeChange, [&](bool l) { Ordre << QStringLiteral("mode %1").arg(l); });
    QObject::connect(&Selection, &TSelectionKX::DossierChange, [&](const QString &c) { Ordre << "dossier " + c; });
    QObject::connect(&Selection, &TSelectionKX::ClassementChange,
                     [&](const QString &c) { Ordre << "classement " + c; });
    QObject::connect(&Selection, &TSelectionKX::ImageChange, [&](const QString &c) { Ordre << "image " + c; });

    Selection.MetDossierCourant("/p");
    Selection.MetDossierCourant("/p");
    Selection.SignaleListeConstruite(TModeListe::Recherche);
    Modele.BasculeCoche(2);
    Modele.BasculeCoche(2);
    Selection.MetModeMAJ(false); // consultation already
    Selection.MetModeMAJ(true);
    Selection.SignaleClassement("/p/c.jpg");
    Selection.SignaleImage("/p/a.jpg");
    Selection.SignaleImage(QString()); // no key, no image
    EXPECT_EQ(Ordre, QStringList({"dossier /p", "liste 1", "coches 1", "coches 0", "mode 1", "classement /p/c.jpg",
                                  "image /p/a.jpg"}));
    EXPECT_EQ(Selection.ModeListe(), TModeListe::Recherche);
    EXPECT_TRUE(Selection.ModeMAJ());
    EXPECT_EQ(Selection.DossierCourant(), "/p");
}
