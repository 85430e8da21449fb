#include "platform/SignauxArret.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <csignal>
#include <gtest/gtest.h>

TEST(SignauxArret, TermAndIntBecomeAQtSignal)
{
    TSignauxArret Signaux;
    ASSERT_TRUE(Signaux.Installe());
    QSignalSpy Arrets(&Signaux, &TSignauxArret::ArretDemande);
    ::raise(SIGTERM);
    ASSERT_TRUE(Arrets.wait(2000));
    EXPECT_EQ(Arrets.at(0).at(0).toInt(), SIGTERM);
    ::raise(SIGINT);
    if (Arrets.size() < 2)
        ASSERT_TRUE(Arrets.wait(2000));
    EXPECT_EQ(Arrets.at(1).at(0).toInt(), SIGINT);
}

TEST(SignauxArret, HupIsAStopRequestLikeTerm)
{
    // A closed terminal ends the program as a logout does, with its data saved.
    TSignauxArret Signaux;
    ASSERT_TRUE(Signaux.Installe());
    QSignalSpy Arrets(&Signaux, &TSignauxArret::ArretDemande);
    ::raise(SIGHUP);
    ASSERT_TRUE(Arrets.wait(2000));
    EXPECT_EQ(Arrets.at(0).at(0).toInt(), SIGHUP);
}
