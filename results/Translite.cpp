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
        const utf8::Char c = utf8::decode(text, pos);
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
