#include "components/TacheLongue.h"

#include "components/GaugeWindow.h"
#include "components/MessagesQt.h"
#include "support/MessagesFactices.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace
{
// A window with one button, and a dialog with one button, counting their clicks.
struct TBanc
{
    QWidget Principal;
    QPushButton *bt = new QPushButton(QStringLiteral("Commande"), &Principal);
    int nCommandes = 0;
    TBanc()
    {
        QObject::connect(bt, &QPushButton::clicked, [this] { ++nCommandes; });
        Principal.resize(200, 100);
        Principal.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Principal));
    }
    ~TBanc() { TTachesLongues::Etat().OublieArret(); }
};

struct TDialogue : QDialog
{
    QPushButton *bt = new QPushButton(QStringLiteral("OK"), this);
    int nClics = 0;
    TDialogue()
    {
        (new QVBoxLayout(this))->addWidget(bt);
        connect(bt, &QPushButton::clicked, this, [this] { ++nClics; });
        setModal(true);
    }
};

// Records whether Yes was the default of each question.
struct TMessagesDefaut : TMessagesFactices
{
    QList<bool> Defauts;
    bool Question(QWidget *p, const QString &c, bool lOui, const QString &t) override
    {
        Defauts << lOui;
        return TMessagesFactices::Question(p, c, lOui, t);
    }
};
} // namespace

TEST(TacheLongue, TheTasksOwnDialogTakesInputWhileTheRestIsBlocked)
{
    TBanc b;
    TDialogue Avant; // open before the task: it is part of what the task must not let run
    Avant.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Avant));
    {
        TTacheLongue Tache;
        EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor,
                  Qt::WaitCursor);
        QTest::mouseClick(Avant.bt, Qt::LeftButton);
        EXPECT_EQ(Avant.nClics, 0);
        Avant.hide();

        TDialogue Question; // the task's own question
        Question.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Question));
        QTest::mouseClick(Question.bt, Qt::LeftButton);
        EXPECT_EQ(Question.nClics, 1);
        QTest::keyClick(Question.bt, Qt::Key_Escape);
        EXPECT_FALSE(Question.isVisible()) << "Esc answers the question";
        EXPECT_FALSE(TTacheLongue::PrendEchap()) << "and is not a request to stop the task";

        QTest::mouseClick(b.bt, Qt::LeftButton);
        EXPECT_EQ(b.nCommandes, 0);
        EXPECT_FALSE(b.Principal.close());
        QTest::keyClick(b.bt, Qt::Key_Escape);
        EXPECT_TRUE(TTacheLongue::PrendEchap());
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    QTest::mouseClick(b.bt, Qt::LeftButton);
    EXPECT_EQ(b.nCommandes, 1);
    EXPECT_TRUE(b.Principal.close());
}

TEST(TacheLongue, AStopAnswersAnOpenQuestionNo)
{
    TMessagesQt Messages;
    QTimer::singleShot(0, [] { TTacheLongue::AbandonneDialogues(); });
    EXPECT_FALSE(Messages.Question(nullptr, QStringLiteral("Interrompre le traitement ?"), true));
    TDialogue d;
    QTimer::singleShot(0, [] { TTacheLongue::AbandonneDialogues(); });
    EXPECT_EQ(d.exec(), QDialog::Rejected);
}

TEST(TacheLongue, ProgressWindowAsksThroughTheMessageHelperAndTakesAStopWithoutAsking)
{
    TBanc b;
    TMessagesDefaut Messages;
    Messages.Reponses = {false};
    TGaugeWindow g(&b.Principal, &Messages);
    g.Demarre(QStringLiteral("Traitement en cours"), 0, 0, 9);
    QTest::keyClick(&b.Principal, Qt::Key_Escape);
    EXPECT_FALSE(g.Interrompu());
    ASSERT_EQ(Messages.Montres.size(), 1);
    EXPECT_EQ(Messages.Montres[0].cTitre, "Attention");
    EXPECT_EQ(Messages.Montres[0].cTexte, "Interrompre le traitement ?");
    EXPECT_EQ(Messages.Defauts, QList<bool>{true});

    // A hand-over arriving meanwhile waits for the task.
    bool lOuvert = false;
    QObject Destinataire;
    TTachesLongues::Etat().Differe(TTachesLongues::cCleListe, &Destinataire, [&] { lOuvert = true; });
    TTachesLongues::Etat().DemandeArret();
    EXPECT_TRUE(g.Interrompu());
    EXPECT_EQ(Messages.Montres.size(), 1) << "nobody is asked about a stop";
    g.Arrete();
    EXPECT_FALSE(lOuvert);
    QCoreApplication::processEvents();
    EXPECT_FALSE(lOuvert) << "a stop leaves nothing else to run";

    TTachesLongues::Etat().OublieArret();
    g.Demarre(QStringLiteral("Traitement en cours"), 0, 0, 9);
    TTachesLongues::Etat().Differe(TTachesLongues::cCleListe, &Destinataire, [&] { lOuvert = true; });
    g.set_GaugeCurValue(5);
    EXPECT_FALSE(lOuvert);
    g.Arrete();
    QCoreApplication::processEvents();
    EXPECT_TRUE(lOuvert);
}
