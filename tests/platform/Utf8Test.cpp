#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace utf8 = nuvero::utf8;

namespace {

TEST(Utf8Test, DecodesValidSequencesAndTakesBadBytesOneByOne)
{
    const struct {
        std::string text;
        char32_t code;
        std::size_t length;
        bool valid;
    } cases[] = {
        { "A", U'A', 1, true },
        { "\xD0\x81", U'\u0401', 2, true }, // Ё
        { "\xE2\x82\xAC", U'\u20AC', 3, true }, // €
        { "\xF0\x9F\x98\x80", U'\U0001F600', 4, true },
        { "\xC0\x80", 0xC0, 1, false }, // overlong
        { "\xED\xA0\x80", 0xED, 1, false }, // surrogate
        { "\xD0", 0xD0, 1, false }, // truncated
        { "\xFF", 0xFF, 1, false },
        { "\x80", 0x80, 1, false },
    };
    for (const auto& c : cases) {
        const utf8::Char ch = utf8::decode(c.text, 0);
        EXPECT_EQ(ch.code, c.code);
        EXPECT_EQ(ch.length, c.length);
        EXPECT_EQ(ch.valid, c.valid);
    }
}

TEST(Utf8Test, CountsCharactersAndRoundTripsCodePoints)
{
    EXPECT_EQ(utf8::countChars(""), 0u);
    EXPECT_EQ(utf8::countChars("d:\\\xD0\xBE\xD1\x82\xD1\x87\xD1\x91\xD1\x82"), 8u); // d:\отчёт
    EXPECT_EQ(utf8::countChars("a\xFF\xFE"), 3u);
    EXPECT_TRUE(utf8::isValid("\xD0\xAF\xD0\xB1"));
    EXPECT_FALSE(utf8::isValid("ok\xFF"));
    for (char32_t code :
        { U'\u0000', U'\u007F', U'\u0080', U'\u07FF', U'\u0800', U'\uFFFD', U'\U00010000', U'\U0010FFFF' }) {
        std::string s;
        utf8::append(s, code);
        const auto ch = utf8::decode(s, 0);
        EXPECT_TRUE(ch.valid);
        EXPECT_EQ(ch.code, code);
        EXPECT_EQ(ch.length, s.size());
    }
}

TEST(Utf8Test, FoldsCapitalsOfTheNameAlphabets)
{
    const std::pair<char32_t, char32_t> cases[] = { { U'A', U'a' }, { U'z', U'z' }, { U'1', U'1' },
        { U'\u00C9', U'\u00E9' }, { U'\u00D7', U'\u00D7' }, { U'\u0410', U'\u0430' }, { U'\u042F', U'\u044F' },
        { U'\u0401', U'\u0451' }, { U'\u0404', U'\u0454' }, { U'\u0490', U'\u0491' }, { U'\u0391', U'\u03B1' },
        { U'\u0141', U'\u0142' }, { U'\u017D', U'\u017E' }, { U'\u0178', U'\u00FF' }, { U'\u4E2D', U'\u4E2D' } };
    for (const auto& [capital, small] : cases) {
        EXPECT_EQ(utf8::foldCase(capital), small) << static_cast<std::uint32_t>(capital);
        EXPECT_EQ(utf8::foldCase(small), small);
    }
}

} // namespace
