#include "results/TextCompare.h"

#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <utility>

namespace nuvero::textcompare {

namespace {

// Ranks past the byte range: characters without a Windows-1251 byte, then invalid bytes.
constexpr std::uint32_t NoByteBase = 0x100;
constexpr std::uint32_t InvalidByteBase = NoByteBase + 0x110000;

// Code points of the Windows-1251 bytes 0x80..0xBF (0x98 has none), sorted by code point
// for the reverse look-up. Bytes 0xC0..0xFF are U+0410..U+044F and need no table.
constexpr auto UpperHalf = [] {
    constexpr std::array<char32_t, 64> codes = {
        0x0402,
        0x0403,
        0x201A,
        0x0453,
        0x201E,
        0x2026,
        0x2020,
        0x2021,
        0x20AC,
        0x2030,
        0x0409,
        0x2039,
        0x040A,
        0x040C,
        0x040B,
        0x040F,
        0x0452,
        0x2018,
        0x2019,
        0x201C,
        0x201D,
        0x2022,
        0x2013,
        0x2014,
        0x0000,
        0x2122,
        0x0459,
        0x203A,
        0x045A,
        0x045C,
        0x045B,
        0x045F,
        0x00A0,
        0x040E,
        0x045E,
        0x0408,
        0x00A4,
        0x0490,
        0x00A6,
        0x00A7,
        0x0401,
        0x00A9,
        0x0404,
        0x00AB,
        0x00AC,
        0x00AD,
        0x00AE,
        0x0407,
        0x00B0,
        0x00B1,
        0x0406,
        0x0456,
        0x0491,
        0x00B5,
        0x00B6,
        0x00B7,
        0x0451,
        0x2116,
        0x0454,
        0x00BB,
        0x0458,
        0x0405,
        0x0455,
        0x0457,
    };
    std::array<std::pair<char32_t, std::uint8_t>, 63> table {};
    std::size_t n = 0;
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] != 0)
            table[n++] = { codes[i], static_cast<std::uint8_t>(0x80 + i) };
    }
    std::sort(table.begin(), table.end());
    return table;
}();

std::uint32_t asciiRank(unsigned char b)
{
    return b >= 'a' && b <= 'z' ? b - ('a' - 'A') : b;
}

std::uint32_t codeRank(char32_t code)
{
    if (code < 0x80)
        return asciiRank(static_cast<unsigned char>(code));
    if (code >= 0x0410 && code <= 0x044F)
        return code - 0x0410 + 0xC0;
    const auto it = std::lower_bound(UpperHalf.begin(), UpperHalf.end(), std::pair<char32_t, std::uint8_t>(code, 0));
    if (it != UpperHalf.end() && it->first == code)
        return it->second;
    return NoByteBase + code;
}

} // namespace

std::uint32_t nextRank(std::string_view text, std::size_t& pos)
{
    const auto b = static_cast<unsigned char>(text[pos]);
    if (b < 0x80) {
        ++pos;
        return asciiRank(b);
    }
    const utf8::Char c = utf8::decode(text, pos);
    pos += c.length;
    return c.valid ? codeRank(c.code) : InvalidByteBase + b;
}

int compare(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        if ((ca | cb) < 0x80) {
            // Both ASCII: the common case of paths and names.
            const std::uint32_t ra = asciiRank(ca);
            const std::uint32_t rb = asciiRank(cb);
            if (ra != rb)
                return static_cast<int>(ra) - static_cast<int>(rb);
            ++i;
            ++j;
            continue;
        }
        const std::uint32_t ra = nextRank(a, i);
        const std::uint32_t rb = nextRank(b, j);
        if (ra != rb)
            return static_cast<int>(ra) - static_cast<int>(rb);
    }
    // One ran out; the characters passed so far are as many on both sides.
    return static_cast<int>(utf8::countChars(a.substr(i))) - static_cast<int>(utf8::countChars(b.substr(j)));
}

void appendSortKey(std::string& out, std::string_view text)
{
    // A rank below 0xFF is one byte of its own value; a larger rank is 0xFF and three
    // big-endian bytes. Each character's code is free of prefixes and ordered like its
    // rank, so the byte order of two keys is the rank order of the two texts.
    std::size_t pos = 0;
    while (pos < text.size()) {
        // A run of ASCII is copied whole and folded in place: most names are all ASCII.
        std::size_t end = pos;
        while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80)
            ++end;
        if (end > pos) {
            const std::size_t from = out.size();
            out.append(text.substr(pos, end - pos));
            for (auto it = out.begin() + static_cast<std::ptrdiff_t>(from); it != out.end(); ++it) {
                if (*it >= 'a' && *it <= 'z')
                    *it = static_cast<char>(*it - ('a' - 'A'));
            }
            pos = end;
            if (pos == text.size())
                break;
        }
        const std::uint32_t rank = nextRank(text, pos);
        if (rank < 0xFF) {
            out.push_back(static_cast<char>(rank));
        } else {
            const char code[4] = { static_cast<char>(0xFF), static_cast<char>((rank >> 16) & 0xFF),
                static_cast<char>((rank >> 8) & 0xFF), static_cast<char>(rank & 0xFF) };
            out.append(code, 4);
        }
    }
}

} // namespace nuvero::textcompare
