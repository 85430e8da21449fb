#include "publishing/EchappementWEB.h"

#include <gtest/gtest.h>

namespace W = EchappementWEB;

TEST(EchappementWEB, HtmlMakesEveryMarkupCharacterAnEntityOnce)
{
    EXPECT_EQ(W::HTML(QStringLiteral("a&b<c>d\"e'f")), QStringLiteral("a&amp;b&lt;c&gt;d&quot;e&#39;f"));
    // An entity already in a name is text, not markup: its & is escaped again.
    EXPECT_EQ(W::HTML(QStringLiteral("&lt;")), QStringLiteral("&amp;lt;"));
    EXPECT_EQ(W::HTML(QStringLiteral("été #1 ?%")), QStringLiteral("été #1 ?%"));
}

TEST(EchappementWEB, JsStringCannotBeClosedOrBroken)
{
    EXPECT_EQ(W::JS(QStringLiteral("a\\b'c\"d")), QStringLiteral("a\\\\b\\'c\\\"d"));
    // A backslash before a quote must not end up escaping the quote's own backslash.
    EXPECT_EQ(W::JS(QStringLiteral("\\'")), QStringLiteral("\\\\\\'"));
    EXPECT_EQ(W::JS(QStringLiteral("l1\r\nl2")), QStringLiteral("l1\\r\\nl2"));
    const QString cScript = W::JS(QStringLiteral("</script><script>alert(1)</script>"));
    EXPECT_FALSE(cScript.contains(QLatin1Char('<')));
    EXPECT_TRUE(cScript.startsWith(QStringLiteral("\\x3C/script>")));
    EXPECT_EQ(W::JS(QString(QChar(0x2028))), QStringLiteral("\\u2028"));
}

TEST(EchappementWEB, UrlPartKeepsOnlyTheUnreservedSet)
{
    EXPECT_EQ(W::PartieURL(QStringLiteral("Az09-._~()")), QStringLiteral("Az09-._~()"));
    EXPECT_EQ(W::PartieURL(QStringLiteral("a(2).jpg")), QStringLiteral("a(2).jpg"));
    EXPECT_EQ(W::PartieURL(QStringLiteral("My photo#?%&'\".jpg")), QStringLiteral("My%20photo%23%3F%25%26%27%22.jpg"));
    // UTF-8 bytes, not Latin-1 nor UTF-16 units.
    EXPECT_EQ(W::PartieURL(QStringLiteral("é")), QStringLiteral("%C3%A9"));
    EXPECT_EQ(W::PartieURL(QString::fromUtf8("\xF0\x9F\x93\xB7")), QStringLiteral("%F0%9F%93%B7"));
    // Inside a part, a "/" is data and must not become a folder separator.
    EXPECT_EQ(W::PartieURL(QStringLiteral("a/b")), QStringLiteral("a%2Fb"));
    EXPECT_EQ(W::CheminURL(QStringLiteral("Été 2004/Noël à l'eau")),
              QStringLiteral("%C3%89t%C3%A9%202004/No%C3%ABl%20%C3%A0%20l%27eau"));
}

TEST(EchappementWEB, LegendIsInertBothAsScriptAndAsMarkup)
{
    const QString cLegende = W::Legende(QStringLiteral("<b>\"Tom & Jerry's\"</b>\nfin\\"));
    EXPECT_EQ(cLegende, QStringLiteral("&lt;b&gt;&quot;Tom &amp; Jerry&#39;s&quot;&lt;/b&gt;\\nfin\\\\"));
    EXPECT_FALSE(cLegende.contains(QLatin1Char('<')));
    EXPECT_FALSE(cLegende.contains(QLatin1Char('"')));
    EXPECT_FALSE(cLegende.contains(QLatin1Char('\'')));
}
