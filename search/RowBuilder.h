#pragma once

#include "platform/DateTime.h"
#include "platform/DirEntry.h"
#include "search/ResultRow.h"
#include "search/SearchCriteria.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace nuvero {

// The texts of a result row, built on the search worker for every hit.

// Unit name shown after the size figure: "bytes", "KBytes", "MBytes", "GBytes".
std::string_view sizeUnitName(SizeUnit unit);

// "<figure> <unit>": the size divided by 1024 to the unit's power, remainder dropped.
// Units outside the four known ones are taken as the nearest known one.
std::string sizeText(std::uint64_t bytes, SizeUnit unit);
void appendSizeText(std::string& out, std::uint64_t bytes, SizeUnit unit);

// "dd.mm.yyyy  hh:nn:ss" (20 characters; same text as DateTime::rowText, without
// allocating).
std::array<char, 20> rowTimeCells(DateTime moment);

// The dir cell reads "DIR" only for an attribute word that is the directory flag alone;
// a read-only or hidden folder shows " ".
constexpr bool isDirCell(std::uint32_t attributes)
{
    return attributes == platform::Attr::Directory;
}

// A whole row for an entry found in the folder `path`.
ResultRow makeRow(const SharedText& path, const platform::DirEntry& entry, DateTime moment, SizeUnit unit);

} // namespace nuvero
