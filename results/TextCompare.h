#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace nuvero {

// The text comparison of the results list's sort, over UTF-8 texts.
//
// Every character gets a rank: its Windows-1251 byte where it has one (so Ё/ё, 0xA8/0xB8,
// rank before А, 0xC0, and all Cyrillic capitals before all small letters), with only "a"
// to "z" folded to "A" to "Z"; a character without a Windows-1251 byte ranks after 0xFF by
// its code point; a byte that is not valid UTF-8 ranks after every character, by its value.
namespace textcompare {

// Rank of the character that starts at text[pos]; advances pos past it.
std::uint32_t nextRank(std::string_view text, std::size_t& pos);

// Negative when a sorts before b, 0 when they are equal, positive after: the difference
// of the first two ranks that differ, else the difference of the lengths in characters.
int compare(std::string_view a, std::string_view b);

// Appends a byte string whose plain byte order (memcmp, shorter prefix first) is the order
// of compare(): the sort builds these once per key instead of decoding on every compare.
void appendSortKey(std::string& out, std::string_view text);

} // namespace textcompare

} // namespace nuvero
