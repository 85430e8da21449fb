#include "platform/TextCodec.h"

#include <gtest/gtest.h>

TEST(TextCodec, RecognisesWellFormedUtf8)
{
    EXPECT_TRUE(EstUtf8Valide(""));
    EXPECT_TRUE(EstUtf8Valide("plain ASCII text, longer than eight bytes"));
    EXPECT_TRUE(EstUtf8Valide("\xC3\xA9t\xC3\xA9")); // été
    EXPECT_TRUE(EstUtf8Valide("\xE2\x82\xAC"));      // €
    EXPECT_TRUE(EstUtf8Valide("\xF0\x9F\x93\xB7"));  // camera emoji
    EXPECT_FALSE(EstUtf8Valide("\xE9t\xE9"));        // été in Windows-1252
    EXPECT_FALSE(EstUtf8Valide("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(EstUtf8Valide("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(EstUtf8Valide("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(EstUtf8Valide("abcdefgh\xE2\x82")); // truncated at the end
    EXPECT_FALSE(EstUtf8Valide("\x80"));
}

TEST(TextCodec, FallsBackToWindows1252PerLine)
{
    EXPECT_EQ(DecodeLigne("\xC3\xA9t\xC3\xA9"), QString::fromUtf8("été"));
    EXPECT_EQ(DecodeLigne("\xE9t\xE9"), QString::fromUtf8("été"));
    // The 0x80-0x9F range differs from Latin-1.
    EXPECT_EQ(DecodeLigne("\x80 \x85 \x8C\x9C \x99 \x9F"), QString::fromUtf8("€ … Œœ ™ Ÿ"));
    EXPECT_EQ(DecodeLigne("C\x9Cur \xE0 \xC9"), QString::fromUtf8("Cœur à É"));
    EXPECT_EQ(DecodeWindows1252("\x81\x8D"), QString(QChar(0x81)) + QChar(0x8D));
}

TEST(TextCodec, EncodesWindows1252AndReportsLoss)
{
    bool lOk = false;
    EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("Cœur à 5 € – «x»"), &lOk),
              QByteArray("C\x9C"
                         "ur \xE0 5 \x80 \x96 \xABx\xBB"));
    EXPECT_TRUE(lOk);
    EXPECT_EQ(EncodeWindows1252(QString::fromUtf8("a\u4E2Db\U0001F4F7c"), &lOk), QByteArray("a?b?c"));
    EXPECT_FALSE(lOk);
    // Every byte survives a decode and re-encode.
    QByteArray Tous;
    for (int i = 1; i < 256; ++i)
        Tous.append(char(i));
    EXPECT_EQ(EncodeWindows1252(DecodeWindows1252(Tous), &lOk), Tous);
    EXPECT_TRUE(lOk);
}
