// The texts of the list's names: their order (Windows-1251 ranks with only "a".."z"
// folded to capitals; characters without a 1251 byte after 0xFF by code point, invalid
// bytes last) and their transliteration for the rename commands.
#include "platform/Utf8.h"
#include "results/TextCompare.h"
#include "results/Translite.h"

#include <gtest/gtest.h>

namespace nuvero {
namespace {

TEST(TextCompare, OrderOfTheList)
{
    // The result is the first rank difference, else the length difference. (Sort keys
    // agree with it: a fuzz target.)
    const struct {
        const char* a;
        const char* b;
        int expected; // a sign, or the exact value where it is not ±1
    } cases[] = { { "apple", "APPLE", 0 }, { "Zebra", "apple", 1 }, { "Ёлка", "Арбуз", 0xA8 - 0xC0 },
        { "Ж", "Жжж", -2 }, { "ab\xFF\xFE", "ab", 2 }, { "_x", "ax", 1 }, { "я", "Ω", -1 }, { "Ω", "中", -1 },
        { "😀", "\xFF", -1 }, { "a\xD0", "a\xD0", 0 } };
    for (const auto& c : cases) {
        const int ab = textcompare::compare(c.a, c.b);
        EXPECT_EQ(std::abs(c.expected) > 1 ? ab : (ab > 0) - (ab < 0), c.expected) << c.a << " | " << c.b;
        EXPECT_EQ(textcompare::compare(c.b, c.a), -ab) << c.b << " | " << c.a;
    }
    // The characters of the bytes 0x80..0xFF, in byte order, rank one after the other.
    const std::string upper = "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
                              "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя";
    std::string previous = "\x7F";
    for (std::size_t pos = 0; pos < upper.size(); pos += previous.size()) {
        const std::string current = upper.substr(pos, utf8::decode(upper, pos).length);
        EXPECT_LT(textcompare::compare(previous, current), 0) << previous << " | " << current;
        previous = current;
    }
}

TEST(Translite, NamesAndPaths)
{
    // Every letter of the table, capital and small (Ё after Е), in one name each.
    const std::pair<std::string, std::string> cases[] = { { "xАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ",
                                                              "xABVGDEYOZHZIYKLMNOPRSTUFHTSCHSHSCHIEUYA" },
        { "xабвгдеёжзийклмнопрстуфхцчшщъыьэюя", "xabvgdeyozhziyklmnoprstufhtschshschieuya" },
        { "C:\\Документы\\Отчёт.doc", "C:\\Dokumenti\\Otchyot.doc" },
        // Other Cyrillic letters, other scripts and symbols pass.
        { "Є І Ґ є ґ Ѐ ӿ Ω № 中 😀", "Є І Ґ є ґ Ѐ ӿ Ω № 中 😀" },
        // Decomposed й, Й, ё, Ё (the letter, then a combining breve or diaeresis, as names
        // copied from macOS have them) give what the composed letters give; a combining
        // mark after any other character stays.
        { "Новыи\u0306", "Noviy" }, { "И\u0306ОД", "YOD" }, { "Ще\u0308тка", "SCHyotka" }, { "Е\u0308ЛКА", "YOLKA" },
        { "a\u0306о\u0308и\u0308е\u0306\u0306", "a\u0306o\u0308i\u0308e\u0306\u0306" }, { "\u0308е", "\u0308e" },
        // Bytes that are not UTF-8 are copied as they are.
        { "\xD1\xD0\x90", "\xD1\x41" }, { "\xFF\xFEЯ", "\xFF\xFEYA" }, { "\xE0\xD0\x90", "\xE0\x41" } };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(translite(input), expected) << input;
}

} // namespace
} // namespace nuvero
