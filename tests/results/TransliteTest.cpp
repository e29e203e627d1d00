#include "results/Translite.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace nuvero {
namespace {

TEST(Translite, NamesAndPaths)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "", "" },
        { "ъьЪЬ", "" },
        { "report_2004.txt", "report_2004.txt" },
        { "Щётка", "SCHyotka" },
        { "Жук", "ZHuk" },
        { "ЁЛКА", "YOLKA" },
        { "Объявление", "Obyavlenie" },
        { "Мышь", "Mish" },
        { "Юрий", "Uriy" },
        { "Эхо", "Eho" },
        { "Ель", "El" },
        { "Эль", "El" },
        { "Чаща", "CHascha" },
        { "ЦЫПА", "TSIPA" },
        { "C:\\Документы\\Отчёт.doc", "C:\\Dokumenti\\Otchyot.doc" },
        { "d:\\work\\Отчёт.doc", "d:\\work\\Otchyot.doc" },
        // Ukrainian and Belarusian letters are not in the table.
        { "Є І Ї Ґ є і ї ґ Ў ў", "Є І Ї Ґ є і ї ґ Ў ў" },
        { "Київ", "Kiїv" },
        // Other scripts and symbols pass through.
        { "Ωmega №5 — 中文 😀", "Ωmega №5 — 中文 😀" },
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(translite(input), expected) << input;
}

TEST(Translite, EveryLetterOfTheTable)
{
    struct Letter {
        const char* capital;
        const char* small;
        const char* output; // for the capital; the small letter gives it in small letters
    };
    const std::vector<Letter> table = {
        { "А", "а", "A" },
        { "Б", "б", "B" },
        { "В", "в", "V" },
        { "Г", "г", "G" },
        { "Д", "д", "D" },
        { "Е", "е", "E" },
        { "Ё", "ё", "YO" },
        { "Ж", "ж", "ZH" },
        { "З", "з", "Z" },
        { "И", "и", "I" },
        { "Й", "й", "Y" },
        { "К", "к", "K" },
        { "Л", "л", "L" },
        { "М", "м", "M" },
        { "Н", "н", "N" },
        { "О", "о", "O" },
        { "П", "п", "P" },
        { "Р", "р", "R" },
        { "С", "с", "S" },
        { "Т", "т", "T" },
        { "У", "у", "U" },
        { "Ф", "ф", "F" },
        { "Х", "х", "H" },
        { "Ц", "ц", "TS" },
        { "Ч", "ч", "CH" },
        { "Ш", "ш", "SH" },
        { "Щ", "щ", "SCH" },
        { "Ъ", "ъ", "" },
        { "Ы", "ы", "I" },
        { "Ь", "ь", "" },
        { "Э", "э", "E" },
        { "Ю", "ю", "U" },
        { "Я", "я", "YA" },
    };
    ASSERT_EQ(table.size() * 2, 66U);
    std::string allInput;
    std::string allOutput;
    for (const Letter& l : table) {
        std::string small = l.output;
        for (char& c : small)
            c = static_cast<char>(c - 'A' + 'a');
        EXPECT_EQ(translite(l.capital), l.output) << l.capital;
        EXPECT_EQ(translite(l.small), small) << l.small;
        allInput += std::string("x") + l.capital + l.small;
        allOutput += "x" + std::string(l.output) + small;
    }
    EXPECT_EQ(translite(allInput), allOutput);
}

TEST(Translite, CyrillicOutsideTheTableIsKept)
{
    // U+0400..U+04FF except the 66 letters: every one comes back as it was.
    for (char32_t code = 0x0400; code <= 0x04FF; ++code) {
        if ((code >= 0x0410 && code <= 0x044F) || code == 0x0401 || code == 0x0451)
            continue;
        std::string text;
        text.push_back(static_cast<char>(0xC0 | (code >> 6)));
        text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        EXPECT_EQ(translite(text), text) << static_cast<unsigned>(code);
    }
}

TEST(Translite, InvalidBytesAreCopiedAsTheyAre)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "\xD0", "\xD0" }, // lead byte at the end
        { "\xD0"
          "A",
            "\xD0"
            "A" }, // lead byte without its continuation
        { "\xD1\xD0\x90",
            "\xD1"
            "A" }, // a stray lead before a valid А
        { "\xFF\xFE"
          "Я",
            "\xFF\xFE"
            "YA" }, // bytes that never start a character
        { "\xC0\x90", "\xC0\x90" }, // overlong form of U+0010
        { "\xE0\xD0\x90",
            "\xE0"
            "A" }, // truncated three-byte lead, then А
        { "a\x80"
          "б\xBF",
            "a\x80"
            "b\xBF" }, // lone continuation bytes
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(translite(input), expected);
}

} // namespace
} // namespace nuvero
