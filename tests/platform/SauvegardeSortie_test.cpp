#include "platform/SauvegardeSortie.h"

#include "support/MessagesFactices.h"

#include <QTextStream>
#include <gtest/gtest.h>

namespace
{
// A save that fails nEchecs times, then succeeds.
struct TSauvegarde
{
    int nEchecs = 0;
    int nAppels = 0;
    bool operator()(QStringList *pRaisons)
    {
        if (nAppels++ < nEchecs) {
            if (pRaisons)
                *pRaisons << "KX_Setup.ini : plus de place sur le disque";
            return false;
        }
        return true;
    }
};
} // namespace

TEST(SauvegardeSortie, AFailureIsShownWithItsFileAndTriedAgainWhileTheUserSaysYes)
{
    TMessagesFactices Messages;
    Messages.Reponses = {true, false};
    TSauvegarde Sauve{10};
    QString cErreurs;
    QTextStream Erreurs(&cErreurs);
    const int nCode = SauveEnSortant(std::ref(Sauve), &Messages, nullptr, {}, Erreurs);
    EXPECT_EQ(Sauve.nAppels, 2);
    ASSERT_EQ(Messages.Montres.size(), 2);
    for (const auto &m : Messages.Montres) {
        EXPECT_EQ(m.cTitre, "Erreur");
        EXPECT_TRUE(m.cTexte.contains("KX_Setup.ini : plus de place sur le disque")) << m.cTexte.toStdString();
        EXPECT_TRUE(m.cTexte.contains("Réessayer l'enregistrement ?"));
    }
    EXPECT_NE(nCode, 0);
    EXPECT_TRUE(cErreurs.contains("KX_Setup.ini : plus de place sur le disque"));

    // Space freed before the second try: saved, nothing more asked, a normal end.
    TMessagesFactices Patient;
    Patient.Reponses = {true, false};
    TSauvegarde Puis{1};
    cErreurs.clear();
    EXPECT_EQ(SauveEnSortant(std::ref(Puis), &Patient, nullptr, {}, Erreurs), 0);
    EXPECT_EQ(Puis.nAppels, 2);
    EXPECT_EQ(Patient.Montres.size(), 1);
    EXPECT_TRUE(cErreurs.isEmpty());
}

TEST(SauvegardeSortie, WithoutAnyoneToAskTheReasonGoesToTheErrorStreamAndTheStatusFails)
{
    TSauvegarde Sauve{10};
    QString cErreurs;
    QTextStream Erreurs(&cErreurs);
    EXPECT_EQ(SauveEnSortant(std::ref(Sauve), nullptr, nullptr, {}, Erreurs), nSortieNonEnregistree);
    EXPECT_NE(nSortieNonEnregistree, 0);
    EXPECT_EQ(Sauve.nAppels, 1);
    EXPECT_TRUE(cErreurs.contains("KX_Setup.ini : plus de place sur le disque"));

    // A stop signal that came while the question was open: no second question.
    TMessagesFactices Messages;
    Messages.Reponses = {true, true, true};
    bool lArret = false;
    TSauvegarde Encore{10};
    cErreurs.clear();
    const int nCode = SauveEnSortant(
        [&](QStringList *p) {
            lArret = Encore.nAppels >= 1;
            return Encore(p);
        },
        &Messages, nullptr, [&] { return lArret; }, Erreurs);
    EXPECT_EQ(nCode, nSortieNonEnregistree);
    EXPECT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Encore.nAppels, 2);
    EXPECT_FALSE(cErreurs.isEmpty());

    // A save that works asks nothing and ends normally.
    TSauvegarde Bonne;
    TMessagesFactices Muet;
    cErreurs.clear();
    EXPECT_EQ(SauveEnSortant(std::ref(Bonne), &Muet, nullptr, {}, Erreurs), 0);
    EXPECT_TRUE(Muet.Montres.isEmpty());
    EXPECT_TRUE(cErreurs.isEmpty());
}

TEST(SauvegardeSortie, KeptCopiesOfAnotherProgramAreNamedAndNothingIsSaidWithoutThem)
{
    EXPECT_TRUE(TexteCopiesConservees({}).isEmpty());
    const QString c =
        TexteCopiesConservees({"/d/KX_BDD.ini.2026-12-09_10-45-00", "/d/KX_Setup.ini.2026-12-09_10-45-01"});
    EXPECT_TRUE(c.contains("/d/KX_BDD.ini.2026-12-09_10-45-00\r\n/d/KX_Setup.ini.2026-12-09_10-45-01"));
    EXPECT_TRUE(c.startsWith("Un autre programme a modifié"));
}

TEST(MessagesSansUtilisateur, EverythingIsWrittenOnOneLineAndQuestionsTakeTheirDefault)
{
    QString cSortie;
    TMessagesSansUtilisateur M(&cSortie);
    EXPECT_FALSE(M.Question(nullptr, "Quitter Vimbrel ?"));
    EXPECT_TRUE(M.Question(nullptr, "Interrompre le traitement ?", true));
    M.Erreur(nullptr, "KX_BDD.ini : lecture impossible\r\nrien n'est remplacé");
    M.Information(nullptr, "Fini.");
    EXPECT_EQ(cSortie, "vimbrel : Attention : Quitter Vimbrel ? (Non)\n"
                       "vimbrel : Attention : Interrompre le traitement ? (Oui)\n"
                       "vimbrel : Erreur : KX_BDD.ini : lecture impossible rien n'est remplacé\n"
                       "vimbrel : Information : Fini.\n");
}
