#include "results/Translite.h"

#include <gtest/gtest.h>

namespace nuvero {
namespace {

TEST(Translite, NamesAndPaths)
{
    // Every letter of the table, capital and small (Ё after Е), in one name each.
    std::string capitals = "xАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
    const std::string latin = "xABVGDEYOZHZIYKLMNOPRSTUFHTSCHSHSCHIEUYA";
    std::string smalls = "xабвгдеёжзийклмнопрстуфхцчшщъыьэюя";
    std::string latinSmall = latin;
    for (char& ch : latinSmall)
        ch = static_cast<char>(std::tolower(ch));
    const std::vector<std::pair<std::string, std::string>> cases = { { capitals, latin }, { smalls, latinSmall },
        { "", "" }, { "ъьЪЬ", "" }, { "report_2004.txt", "report_2004.txt" }, { "Щётка", "SCHyotka" },
        { "C:\\Документы\\Отчёт.doc", "C:\\Dokumenti\\Otchyot.doc" },
        // Other Cyrillic letters, other scripts and symbols pass.
        { "Є І Ї Ґ є і ї ґ Ў ў Ѐ ӿ", "Є І Ї Ґ є і ї ґ Ў ў Ѐ ӿ" }, { "Київ", "Kiїv" }, { "Ω №5 — 中 😀", "Ω №5 — 中 😀" },
        // Decomposed й, Й, ё, Ё (the letter, then a combining breve or diaeresis, as names
        // copied from macOS have them) give what the composed letters give; a combining
        // mark after any other character stays.
        { "Новыи\u0306", "Noviy" }, { "И\u0306ОД", "YOD" }, { "Ще\u0308тка", "SCHyotka" }, { "Е\u0308ЛКА", "YOLKA" },
        { "a\u0306о\u0308и\u0308е\u0306\u0306", "a\u0306o\u0308i\u0308e\u0306\u0306" }, { "\u0308е", "\u0308e" },
        // Bytes that are not UTF-8 are copied as they are.
        { "\xD0", "\xD0" }, { "\xD0\x41", "\xD0\x41" }, { "\xD1\xD0\x90", "\xD1\x41" }, { "\xFF\xFEЯ", "\xFF\xFEYA" },
        { "\xC0\x90", "\xC0\x90" }, { "\xE0\xD0\x90", "\xE0\x41" }, { "a\x80б\xBF", "a\x80\x62\xBF" } };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(translite(input), expected) << input;
}

} // namespace
} // namespace nuvero
