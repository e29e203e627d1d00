// Names between UTF-16 (the Windows calls) and UTF-8 (the program): every name the
// system can hold comes back unchanged.

#include "platform/win32/WideText.h"

#include <gtest/gtest.h>

namespace nuvero::platform::win32 {
namespace {

TEST(WideTextTest, ConvertsEveryPlaneBothWays)
{
    const struct {
        std::u16string wide;
        std::string utf8;
    } cases[] = {
        { u"", "" },
        { u"plain.txt", "plain.txt" },
        { u"\u041E\u0442\u0447\u0451\u0442.doc", "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.doc" }, // Отчёт.doc
        { u"caf\u00E9 \u20AC", "caf\xC3\xA9 \xE2\x82\xAC" },
        { u"\U0001F600", "\xF0\x9F\x98\x80" }, // a surrogate pair is one character
        { u"\uFFFF\u0001", "\xEF\xBF\xBF\x01" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromUtf16(c.wide), c.utf8);
        EXPECT_EQ(toUtf16(c.utf8), c.wide);
    }
}

TEST(WideTextTest, LoneSurrogatesSurviveTheRoundTrip)
{
    const std::u16string names[] = {
        { u'a', char16_t(0xD800), u'b' }, // high surrogate alone
        { char16_t(0xDC00) }, // low surrogate alone
        { char16_t(0xDFFF), char16_t(0xD83D) }, // in the wrong order
        { char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00) }, // a lone one before a pair
    };
    for (const auto& name : names) {
        const std::string utf8 = fromUtf16(name);
        EXPECT_NE(utf8.find('\xED'), std::string::npos);
        EXPECT_EQ(toUtf16(utf8), name);
    }
    EXPECT_EQ(fromUtf16(std::u16string { char16_t(0xD800) }), "\xED\xA0\x80");
}

TEST(WideTextTest, BytesThatAreNoCharacterBecomeReplacementCharacters)
{
    EXPECT_EQ(toUtf16("a\xFF"
                      "b"),
        u"a\uFFFDb");
    EXPECT_EQ(toUtf16("\xC3"), u"\uFFFD"); // cut short
    EXPECT_EQ(toUtf16("\xED\xA0"), u"\uFFFD\uFFFD"); // half a surrogate form
    EXPECT_EQ(toUtf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // over-long
}

} // namespace
} // namespace nuvero::platform::win32
