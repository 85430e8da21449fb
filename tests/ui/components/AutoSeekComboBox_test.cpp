#include "components/AutoSeekComboBox.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace
{
struct Combo
{
    TAutoSeekComboBox cb;
    Combo()
    {
        cb.addItems({QStringLiteral("Paris"), QStringLiteral("Pau"), QStringLiteral("Lyon")});
        cb.setEditText(QString());
        cb.show();
        cb.lineEdit()->setFocus();
    }
    QLineEdit *ed() { return cb.lineEdit(); }
};
}

TEST(AutoSeekComboBox, TypingProposesTheFirstMatchingItem)
{
    Combo c;
    QSignalSpy spy(&c.cb, &TAutoSeekComboBox::Change);
    QTest::keyClicks(c.ed(), QStringLiteral("pa"));
    EXPECT_EQ(c.ed()->text(), "Paris");
    EXPECT_EQ(c.ed()->selectedText(), "ris");
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.last().at(0).toString(), "Paris");
    // Typing goes on over the proposed end.
    QTest::keyClicks(c.ed(), QStringLiteral("u"));
    EXPECT_EQ(c.ed()->text(), "Pau");
    EXPECT_TRUE(c.ed()->selectedText().isEmpty());
    QTest::keyClicks(c.ed(), QStringLiteral("x"));
    EXPECT_EQ(c.ed()->text(), "Paux");
}

TEST(AutoSeekComboBox, APrefixOfAnItemCanBeEntered)
{
    Combo c;
    QTest::keyClicks(c.ed(), QStringLiteral("Pa"));
    ASSERT_EQ(c.ed()->text(), "Paris");
    QTest::keyClick(c.ed(), Qt::Key_Backspace);
    EXPECT_EQ(c.ed()->text(), "Pa");
    QTest::keyClick(c.ed(), Qt::Key_Backspace);
    EXPECT_EQ(c.ed()->text(), "P");
    // Growing again completes again.
    QTest::keyClicks(c.ed(), QStringLiteral("ar"));
    EXPECT_EQ(c.ed()->text(), "Paris");
    EXPECT_EQ(c.ed()->selectedText(), "is");
}

TEST(AutoSeekComboBox, NoCompletionWhenOffOrNothingMatches)
{
    Combo c;
    c.cb.set_AutoSeek(false);
    QTest::keyClicks(c.ed(), QStringLiteral("pa"));
    EXPECT_EQ(c.ed()->text(), "pa");
    c.cb.set_AutoSeek(true);
    c.ed()->selectAll();
    QTest::keyClicks(c.ed(), QStringLiteral("ly"));
    EXPECT_EQ(c.ed()->text(), "Lyon");
    c.ed()->selectAll();
    QTest::keyClicks(c.ed(), QStringLiteral("zz"));
    EXPECT_EQ(c.ed()->text(), "zz");
    EXPECT_EQ(c.cb.ItemCompletant(QString()), -1);
}
