#include "results/TextCompare.h"

#include <gtest/gtest.h>

namespace nuvero {
namespace {

// The list's order: Windows-1251 ranks with only "a".."z" folded to capitals; characters
// without a 1251 byte after 0xFF by code point, invalid bytes last. The result is the first
// rank difference, else the length difference. (Sort keys agree with it: a fuzz target.)
TEST(TextCompare, OrderOfTheList)
{
    const struct {
        const char* a;
        const char* b;
        int expected; // a sign, or the exact value where it is not ±1
    } cases[] = {
        { "apple", "APPLE", 0 },
        { "Zebra", "apple", 1 },
        { "Яблоко", "яблоко", -1 },
        { "Ёлка", "Арбуз", 0xA8 - 0xC0 },
        { "ёлка", "Арбуз", -1 },
        { "Ёлка", "ёлка", -1 },
        { "Ящик", "арбуз", -1 },
        { "Zzz", "Ааа", -1 },
        { "a", "C", 'A' - 'C' },
        { "Ж", "Жжж", -2 },
        { "ab\xFF\xFE", "ab", 2 },
        { "02.01.2024  10:00:00", "15.12.2023  10:00:00", -1 },
        { "100 KBytes", "20 KBytes", -1 },
        { " ", "DIR", -1 },
        { "_x", "ax", 1 },
        { "[", "a", 1 },
        { "Ä", "a", 1 },
        { "", "", 0 },
        { "", " ", -1 },
        { "c:\\data", "C:\\DATA", 0 },
        { "Є", "Ё", 1 },
        { "Ђ", "Ё", -1 },
        { "€", "Ё", -1 },
        { "№", "А", -1 },
        { "я", "Ω", -1 },
        { "Ω", "中", -1 },
        { "😀", "\xFF", -1 },
        { "\x80", "\xFF", -1 },
        { "a\xD0", "a\xD0", 0 },
    };
    for (const auto& c : cases) {
        const int ab = textcompare::compare(c.a, c.b);
        EXPECT_EQ(std::abs(c.expected) > 1 ? ab : (ab > 0) - (ab < 0), c.expected) << c.a << " | " << c.b;
        EXPECT_EQ(textcompare::compare(c.b, c.a), -ab) << c.b << " | " << c.a;
    }
}

} // namespace
} // namespace nuvero
