#include "results/Translite.h"

#include "platform/Utf8.h"

#include <array>

namespace nuvero {

namespace {

// Outputs of the capitals А..Я (U+0410..U+042F), in letter order. The small letters give
// the same outputs in small letters. Ъ and Ь give nothing.
constexpr std::array<std::string_view, 32> CapitalOutputs = {
    "A",
    "B",
    "V",
    "G",
    "D",
    "E",
    "ZH",
    "Z",
    "I",
    "Y",
    "K",
    "L",
    "M",
    "N",
    "O",
    "P",
    "R",
    "S",
    "T",
    "U",
    "F",
    "H",
    "TS",
    "CH",
    "SH",
    "SCH",
    "",
    "I",
    "",
    "E",
    "U",
    "YA",
};

void appendSmall(std::string& out, std::string_view capital)
{
    for (const char c : capital)
        out.push_back(static_cast<char>(c - 'A' + 'a'));
}

// Й, й, Ё and ё written decomposed (И, и, Е or е followed by a combining breve U+0306 or
// diaeresis U+0308, as file systems of macOS store them): the composed letter, with its
// length grown by the two bytes of the mark. Any other pair is left alone.
utf8::Char composed(std::string_view text, std::size_t pos, utf8::Char c)
{
    const std::size_t mark = pos + c.length;
    if (!c.valid || text.size() < mark + 2 || static_cast<unsigned char>(text[mark]) != 0xCC)
        return c;
    const auto second = static_cast<unsigned char>(text[mark + 1]);
    char32_t code = 0;
    if (second == 0x86 && (c.code == 0x0418 || c.code == 0x0438))
        code = c.code + 1; // И -> Й, и -> й
    else if (second == 0x88 && c.code == 0x0415)
        code = 0x0401; // Е -> Ё
    else if (second == 0x88 && c.code == 0x0435)
        code = 0x0451; // е -> ё
    else
        return c;
    return { code, c.length + 2, true };
}

} // namespace

std::string translite(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        // Every letter of the table is a two-byte sequence led by 0xD0 or 0xD1; anything
        // else is copied as it stands, one byte or one whole sequence at a time.
        if (lead != 0xD0 && lead != 0xD1) {
            out.push_back(text[pos]);
            ++pos;
            continue;
        }
        const utf8::Char c = composed(text, pos, utf8::decode(text, pos));
        if (c.valid && c.code >= 0x0410 && c.code <= 0x042F) {
            out.append(CapitalOutputs[c.code - 0x0410]);
        } else if (c.valid && c.code >= 0x0430 && c.code <= 0x044F) {
            appendSmall(out, CapitalOutputs[c.code - 0x0430]);
        } else if (c.valid && c.code == 0x0401) {
            out.append("YO");
        } else if (c.valid && c.code == 0x0451) {
            out.append("yo");
        } else {
            out.append(text.substr(pos, c.length));
        }
        pos += c.length;
    }
    return out;
}

} // namespace nuvero
