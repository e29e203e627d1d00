#include "results/TextCompare.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace nuvero {
namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

struct Case {
    const char* a;
    const char* b;
    int expected; // sign
};

TEST(TextCompare, OrderOfTheList)
{
    const std::vector<Case> cases = {
        { "apple", "APPLE", 0 },
        { "Zebra", "apple", 1 },
        { "Яблоко", "яблоко", -1 },
        { "Ёлка", "Арбуз", -1 }, // Ё 0xA8 before А 0xC0
        { "ёлка", "Арбуз", -1 }, // ё 0xB8 too
        { "Ёлка", "ёлка", -1 },
        { "Ящик", "арбуз", -1 }, // every capital before every small letter
        { "Zzz", "Ааа", -1 }, // Latin before Cyrillic
        { "02.01.2024  10:00:00", "15.12.2023  10:00:00", -1 },
        { "100 KBytes", "20 KBytes", -1 },
        { " ", "DIR", -1 },
        { "_x", "ax", 1 }, // "a" folds to "A" (0x41), below "_" (0x5F)
        { "[", "a", 1 },
        { "Ä", "a", 1 }, // no other letter is folded
        { "abc", "abcd", -1 },
        { "", "", 0 },
        { "", " ", -1 },
        { "c:\\data", "C:\\DATA", 0 },
        { "Є", "Ё", 1 }, // 0xAA after 0xA8
        { "Ђ", "Ё", -1 }, // 0x80
        { "€", "Ё", -1 }, // U+20AC is 0x88
        { "№", "А", -1 }, // U+2116 is 0xB9
        { "я", "Ω", -1 }, // Ω has no Windows-1251 byte: after 0xFF
        { "Ω", "中", -1 }, // by code point among those
        { "😀", "\xFF", -1 }, // an invalid byte ranks after every character
        { "\x80", "\xFF", -1 },
        { "a\xD0", "a\xD0", 0 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sign(textcompare::compare(c.a, c.b)), c.expected) << c.a << " | " << c.b;
        EXPECT_EQ(sign(textcompare::compare(c.b, c.a)), -c.expected) << c.b << " | " << c.a;
    }
}

TEST(TextCompare, ResultValues)
{
    // First differing rank difference, else the length difference in characters.
    EXPECT_EQ(textcompare::compare("B", "A"), 1);
    EXPECT_EQ(textcompare::compare("a", "C"), 'A' - 'C');
    EXPECT_EQ(textcompare::compare("А", "Я"), 0xC0 - 0xDF);
    EXPECT_EQ(textcompare::compare("Ё", "А"), 0xA8 - 0xC0);
    EXPECT_EQ(textcompare::compare("Ж", "Жжж"), -2);
    EXPECT_EQ(textcompare::compare("ab\xFF\xFE", "ab"), 2);
}

// The sort compares encoded keys byte by byte; they must order exactly like compare().
TEST(TextCompare, SortKeysOrderLikeCompare)
{
    const std::vector<std::string> alphabet = { "a", "A", "z", "_", " ", "0", "\\", "Ё", "ё", "А", "а", "Я", "я", "Є",
        "€", "\xC2\xA0", "Ω", "中", "😀", "\xFF", "\x80", "\xD0", "\x01", std::string(1, '\0') };
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 5);
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        std::string t;
        for (int n = length(random); n > 0; --n)
            t += alphabet[pick(random)];
        texts.push_back(t);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        for (std::size_t j = i; j < std::min(texts.size(), i + 40); ++j) {
            std::string ka;
            std::string kb;
            textcompare::appendSortKey(ka, texts[i]);
            textcompare::appendSortKey(kb, texts[j]);
            EXPECT_EQ(sign(ka.compare(kb)), sign(textcompare::compare(texts[i], texts[j])));
        }
    }
}

} // namespace
} // namespace nuvero
