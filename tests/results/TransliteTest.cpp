#include "results/Translite.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace nuvero {
namespace {

TEST(Translite, NamesAndPaths)
{
    const std::vector<std::pair<std::string, std::string>> cases = { { "", "" }, { "ъьЪЬ", "" },
        { "report_2004.txt", "report_2004.txt" }, { "Щётка", "SCHyotka" }, { "Жук", "ZHuk" }, { "ЁЛКА", "YOLKA" },
        { "Объявление", "Obyavlenie" }, { "Мышь", "Mish" }, { "Юрий", "Uriy" }, { "Эхо", "Eho" }, { "Ель", "El" },
        { "Эль", "El" }, { "Чаща", "CHascha" }, { "ЦЫПА", "TSIPA" },
        { "C:\\Документы\\Отчёт.doc", "C:\\Dokumenti\\Otchyot.doc" },
        { "d:\\work\\Отчёт.doc", "d:\\work\\Otchyot.doc" },
        // Ukrainian and Belarusian letters are not in the table; other scripts and symbols pass.
        { "Є І Ї Ґ є і ї ґ Ў ў", "Є І Ї Ґ є і ї ґ Ў ў" }, { "Київ", "Kiїv" },
        { "Ωmega №5 — 中文 😀", "Ωmega №5 — 中文 😀" },
        // Decomposed й, Й, ё, Ё (the letter, then a combining breve or diaeresis, as names
        // copied from macOS have them) give what the composed letters give; a combining
        // mark after any other character stays.
        { "Новыи\u0306", "Noviy" }, { "И\u0306ОД", "YOD" }, { "Ще\u0308тка", "SCHyotka" }, { "Е\u0308ЛКА", "YOLKA" },
        { "a\u0306о\u0308и\u0308е\u0306\u0306", "a\u0306o\u0308i\u0308e\u0306\u0306" }, { "\u0308е", "\u0308e" } };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(translite(input), expected) << input;
}

TEST(Translite, EveryLetterOfTheTable)
{
    // The 33 capitals in alphabet order (Ё after Е) and what each gives; a small letter
    // gives the same in small letters.
    const std::string capitals = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
    const std::string smalls = "абвгдеёжзийклмнопрстуфхцчшщъыьэюя";
    const std::vector<std::string> outputs = { "A", "B", "V", "G", "D", "E", "YO", "ZH", "Z", "I", "Y", "K", "L", "M",
        "N", "O", "P", "R", "S", "T", "U", "F", "H", "TS", "CH", "SH", "SCH", "", "I", "", "E", "U", "YA" };
    ASSERT_EQ(outputs.size(), 33U);
    ASSERT_EQ(capitals.size(), 66U); // two bytes a letter
    std::string allInput;
    std::string allOutput;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const std::string capital = capitals.substr(2 * i, 2);
        const std::string small = smalls.substr(2 * i, 2);
        std::string lower = outputs[i];
        for (char& c : lower)
            c = static_cast<char>(c - 'A' + 'a');
        EXPECT_EQ(translite(capital), outputs[i]) << capital;
        EXPECT_EQ(translite(small), lower) << small;
        allInput += "x" + capital + small;
        allOutput += "x" + outputs[i] + lower;
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
        { "\xD0\x41", "\xD0\x41" }, // lead byte without its continuation, then "A"
        { "\xD1\xD0\x90", "\xD1\x41" }, // a stray lead before a valid А
        { "\xFF\xFEЯ", "\xFF\xFEYA" }, // bytes that never start a character
        { "\xC0\x90", "\xC0\x90" }, // overlong form of U+0010
        { "\xE0\xD0\x90", "\xE0\x41" }, // truncated three-byte lead, then А
        { "a\x80б\xBF", "a\x80\x62\xBF" }, // lone continuation bytes
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(translite(input), expected);
}

} // namespace
} // namespace nuvero
