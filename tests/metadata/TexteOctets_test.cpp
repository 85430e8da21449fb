#include "metadata/TexteOctets.h"

#include <gtest/gtest.h>

namespace
{

QString Texte(const QByteArray &Octets)
{
    return TexteDeOctets(reinterpret_cast<const uchar *>(Octets.constData()), Octets.size());
}

} // namespace

TEST(TexteOctets, Utf8WhenValidElseWindows1252KeepingEveryByte)
{
    EXPECT_EQ(Texte("Canon EOS 10D"), "Canon EOS 10D");
    EXPECT_EQ(Texte("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC"), QString::fromUtf8("été €"));
    // Not UTF-8: the camera wrote Windows-1252; its undefined codes (0x81, 0x8D) stay as they were.
    EXPECT_EQ(Texte("\xE9t\xE9 \x80\x81\x8D\x9F"),
              QString::fromUtf8("été €") + QChar(0x81) + QChar(0x8D) + QChar(0x178));
    EXPECT_EQ(TexteDeOctets(nullptr, 4), "");
    EXPECT_EQ(Texte(""), "");
}
